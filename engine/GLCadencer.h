// TGLCadencer: the animation clock. While enabled it ticks once per display refresh (60 a
// second) at most: the first tick posts the registered message "TickGLCadencer" to a hidden
// window of its own, and every later one comes from a timer set for the rest of the frame
// (1 ms at least), so that waiting messages and the application's idle pass run between
// ticks. Every tick measures the time since the last
// one on the high-resolution counter, advances the scene's objects and then calls
// OnProgress, all on the GUI thread.
#pragma once

#include <cstdint>

#include "engine/GLScene.h"
#include "platform/Application.h"

class TGLCadencer : public TObject {
public:
  // The shortest time between two ticks: one refresh of a 60 Hz display.
  static constexpr double FrameSeconds = 1.0 / 60;

  explicit TGLCadencer(TObject* AOwner = nullptr);
  ~TGLCadencer() override;
  TGLCadencer(const TGLCadencer&) = delete;
  TGLCadencer& operator=(const TGLCadencer&) = delete;

  TGLScene* GetScene() const { return FScene; }
  void SetScene(TGLScene* scene) { FScene = scene; }
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v);
  // Seconds of enabled time so far (pauses do not count).
  double GetCurrentTime() const { return FCurrentTime; }
  int64_t TickCount() const { return FTicks; }

  // (Sender, deltaTime, newTime): seconds since the last tick and since the start.
  TProgressEvent OnProgress;

  // Runs one tick now (the message handler's work); does nothing while disabled.
  void Progress();

private:
  void Schedule(bool AfterTick = false);
  void HandleMessage(TMessage& msg);
  double RawSeconds() const;

  TGLScene* FScene = nullptr;
  bool FEnabled = false;
  bool FPending = false;       // a tick message or timer is on its way
  bool FProgressing = false;   // a handler that pumps messages does not tick again inside
  double FCurrentTime = 0;
  double FLastRaw = 0;
  int64_t FTicks = 0;
  HWND FWindow = 0;
  Cardinal FTickMessage = 0;
};
