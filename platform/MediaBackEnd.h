// The part of the media player that talks to Qt Multimedia. It is built as a module of its
// own (MediaBackEndFile, beside the program) and loaded the first time a clip is needed, so
// that starting the program does not load the media stack: Qt Multimedia, the sound server's
// client, the audio codecs and the network library they bring. Only Qt Core and Gui types
// cross the boundary; the module needs nothing from the rest of the platform layer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QImage;

// One player's clip: opened, played and positioned. Its handlers are called on the thread
// that made it.
class TMediaClip {
public:
  virtual ~TMediaClip() = default;

  // Reads the file and waits until it is ready to play (true) or refused or too slow to read
  // (false, and nothing stays open).
  virtual bool Load(const std::string& path) = 0;
  // Stops and lets go of the file.
  virtual void Unload() = 0;
  // A clip that has ended plays again from its beginning.
  virtual void Play() = 0;
  virtual void Pause() = 0;
  virtual bool Playing() const = 0;
  // Milliseconds.
  virtual int64_t Length() const = 0;
  virtual int64_t Position() const = 0;
  virtual void SetPosition(int64_t ms) = 0;
  // The picture size (0 x 0 for a clip without picture).
  virtual int PictureWidth() const = 0;
  virtual int PictureHeight() const = 0;

  // Each picture as it is due.
  std::function<void(const QImage&)> OnFrame;
  // The end of the clip was reached.
  std::function<void()> OnEnd;
  // Playing failed.
  std::function<void()> OnError;
};

class TMediaBackEnd {
public:
  // Whether the system has a media back end that plays clips.
  virtual bool Available() = 0;
  virtual std::unique_ptr<TMediaClip> NewClip() = 0;

protected:
  ~TMediaBackEnd() = default;
};

// The module's file and its one entry point, which returns the back end (it lives as long as
// the process).
inline constexpr const char* MediaBackEndFile = "liborrelo_media.so";
inline constexpr const char* MediaBackEndEntry = "OrreloMediaBackEnd";
extern "C" __attribute__((visibility("default"))) TMediaBackEnd* OrreloMediaBackEnd();
