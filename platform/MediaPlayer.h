// A media player for video clips: opens a file, plays, pauses, rewinds, tells the length
// and position, and shows the picture in a display control at a display rectangle. When
// the system has no media back end every open fails cleanly with the player's error.
#pragma once

#include <memory>
#include <string>

#include "platform/Classes.h"
#include "platform/Controls.h"

// The player's own failures (no back end, no such file, a clip it cannot play).
class EMCIDeviceError : public Exception {
  using Exception::Exception;
};

enum class TMPNotifyValues : uint8_t { nvSuccessful, nvSuperseded, nvAborted, nvFailure };
using enum TMPNotifyValues;

struct TMediaPlayerImpl;

class TMediaPlayer : public TComponent {
public:
  TMediaPlayer();
  ~TMediaPlayer() override;

  // Whether clips can be played here at all.
  static bool Available();

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& fileName) { FFileName = fileName; }
  // Opens FileName and waits until the clip is ready; EMCIDeviceError when it cannot be
  // played. The display rectangle becomes the clip's own size at the top-left.
  void Open();
  void Close();
  bool IsOpen() const;

  void Play();
  void Pause();
  void Stop() { Pause(); }
  // Back to the start, stopped.
  void Rewind();
  bool Playing() const;
  // Milliseconds.
  Integer Length() const;
  Integer Position() const;
  void SetPosition(Integer ms);
  // The clip's own picture size (0 x 0 for a clip without picture).
  Integer ClipWidth() const { return FClipWidth; }
  Integer ClipHeight() const { return FClipHeight; }

  // Where the picture is shown: a rectangle of the display control's client area.
  TWinControl* Display() const { return FDisplay; }
  void SetDisplay(TWinControl* display);
  TRect DisplayRect() const { return FDisplayRect; }
  void SetDisplayRect(const TRect& r);
  // The picture last shown (empty before the first).
  const TBitmap& Frame() const;

  // When Notify is set, the end of the next Play fires OnNotify with NotifyValue; Notify is
  // then cleared and must be set again for another notice.
  bool Notify = false;
  TMPNotifyValues NotifyValue = nvSuccessful;
  TNotifyEvent OnNotify;

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  friend struct TMediaPlayerImpl;
  void PlaceSurface();
  void Finished(TMPNotifyValues value);

  std::unique_ptr<TMediaPlayerImpl> FImpl;
  std::string FFileName;
  TWinControl* FDisplay = nullptr;
  TRect FDisplayRect;
  Integer FClipWidth = 0;
  Integer FClipHeight = 0;
};
