#include "engine/GLCadencer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr uintptr_t FallbackTimer = 1;
}

TGLCadencer::TGLCadencer(TObject*)
{
  FTickMessage = RegisterWindowMessage("TickGLCadencer");
  FWindow = AllocateHWnd([this](TMessage& m) { HandleMessage(m); });
}

TGLCadencer::~TGLCadencer()
{
  FEnabled = false;
  DeallocateHWnd(FWindow);
}

double TGLCadencer::RawSeconds() const
{
  int64_t count = 0, freq = 0;
  if (!QueryPerformanceCounter(count) || !QueryPerformanceFrequency(freq) || freq <= 0)
    return GetTickCount() / 1000.0;
  return double(count) / double(freq);
}

void TGLCadencer::SetEnabled(bool v)
{
  if (v == FEnabled)
    return;
  FEnabled = v;
  if (v) {
    // Time while disabled does not count: the first tick measures from now.
    FLastRaw = RawSeconds();
    Schedule();
  }
}

void TGLCadencer::Schedule(bool AfterTick)
{
  if (FPending || !FEnabled)
    return;
  // Let waiting messages (input, paints, other windows' posts) through before ticking again.
  // After a tick the timer is used too: a chain of posted ticks would never leave the queue
  // empty, and the application's idle pass (hints, toolbar states) would never run.
  // After a tick the next waits for the next display refresh at 60 Hz: frames beyond that
  // are never seen, and a display server that does not pace swaps would let us draw
  // flat out. The phase follows the clock, so the speed is the same however often we tick.
  if (AfterTick) {
    double wait = FrameSeconds - (RawSeconds() - FLastRaw);
    auto ms = static_cast<Cardinal>(std::clamp(std::lround(wait * 1000), 1L, long(1000 * FrameSeconds) + 1));
    FPending = SetTimer(FWindow, FallbackTimer, ms) != 0;
  } else if (PendingMessageCount() > 0)
    FPending = SetTimer(FWindow, FallbackTimer, 1) != 0;
  else
    FPending = PostMessage(FWindow, FTickMessage, 0, 0);
}

void TGLCadencer::HandleMessage(TMessage& msg)
{
  if (msg.Msg == WM_TIMER && msg.WParam == FallbackTimer) {
    KillTimer(FWindow, FallbackTimer);
  } else if (msg.Msg != FTickMessage || FTickMessage == 0) {
    return;
  }
  FPending = false;
  if (!FEnabled)
    return;
  Progress();
  Schedule(true);
}

void TGLCadencer::Progress()
{
  if (!FEnabled || FProgressing)
    return;
  FProgressing = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FProgressing};
  double raw = RawSeconds();
  double delta = raw - FLastRaw;
  if (!(delta >= 0))
    delta = 0;
  FLastRaw = raw;
  FCurrentTime += delta;
  ++FTicks;
  if (FScene)
    FScene->Progress(delta, FCurrentTime);
  if (OnProgress)
    OnProgress(this, delta, FCurrentTime);
}
