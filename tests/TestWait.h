// Bounds on what tests wait for. A scripted loop or wait names what it waits for while it
// waits; a loop still running past its bound fails the test with that name and is ended;
// and a test that overruns the program's per-test limit (a wait nobody bounded, or a loop
// that cannot be ended) stops the program with the test's name and the waits then open,
// instead of hanging the suite until ctest's limit.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Application.h"

namespace testwait {

// Names a wait while it lives; waits nest (innermost last).
class TWaiting {
public:
  explicit TWaiting(std::string what);
  ~TWaiting();
  TWaiting(const TWaiting&) = delete;
  TWaiting& operator=(const TWaiting&) = delete;
  // The wait moved on to something else.
  void Set(std::string what);

private:
  int FId;
};

// The open waits of the running test, outermost first, "; "-separated ("" when none).
std::string OpenWaits();

// A bound on a nested loop a test drives: when the loop still runs after TimeoutMs, the
// test fails naming What and Escape runs (it should end the loop); when the loop has not
// ended 2 s later either, the application is told to quit, which ends every nested loop
// (and makes later ones of the program end at once: the program is failing by then).
// Done() tells the bound that the loop has ended, so it stays quiet.
class TLoopBound {
public:
  TLoopBound(std::string What, Cardinal TimeoutMs, std::function<void()> Escape);
  ~TLoopBound();
  TLoopBound(const TLoopBound&) = delete;
  TLoopBound& operator=(const TLoopBound&) = delete;
  void Done();
  // Whether the bound was reached (the test has failed).
  bool Reached() const { return FReached; }

private:
  void Tick();
  std::string FWhat;
  Cardinal FStart, FTimeoutMs;
  std::function<void()> FEscape;
  bool FReached = false, FQuit = false, FDone = false;
  TWaiting FWaiting;
  TTimer FTimer;
};

// The per-test limit of the watchdog in seconds (ORRELO_TEST_TIME_LIMIT, else 120).
int TestTimeLimitSeconds();

// Runs the message loop until cond holds or timeoutMs passed (the focus and activation of a
// shown window arrive from the display server in its own time); whether it holds. A ticking
// timer keeps the loop awake. Not a nested loop: an earlier test may have left the
// application terminated.
inline bool WaitUntil(const std::function<bool()>& cond, Cardinal timeoutMs = 2000)
{
  TTimer ticker;
  ticker.SetInterval(10);
  ticker.SetOnTimer([](TObject*) {});
  const Cardinal start = GetTickCount();
  while (!cond() && GetTickCount() - start <= timeoutMs)
    Application->HandleMessage();
  return cond();
}

}   // namespace testwait
