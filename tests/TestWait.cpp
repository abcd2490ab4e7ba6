#include "tests/TestWait.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <mutex>

namespace testwait {

namespace {

// Read by the watchdog thread, so guarded.
struct TWaits {
  std::mutex Lock;
  std::map<int, std::string> Open;
  int Next = 0;
};

TWaits& Waits()
{
  static TWaits w;
  return w;
}

}   // namespace

TWaiting::TWaiting(std::string what)
{
  TWaits& w = Waits();
  std::lock_guard<std::mutex> g(w.Lock);
  FId = ++w.Next;
  w.Open.emplace(FId, std::move(what));
}

TWaiting::~TWaiting()
{
  TWaits& w = Waits();
  std::lock_guard<std::mutex> g(w.Lock);
  w.Open.erase(FId);
}

void TWaiting::Set(std::string what)
{
  TWaits& w = Waits();
  std::lock_guard<std::mutex> g(w.Lock);
  w.Open[FId] = std::move(what);
}

std::string OpenWaits()
{
  TWaits& w = Waits();
  std::lock_guard<std::mutex> g(w.Lock);
  std::string out;
  for (const auto& [id, what] : w.Open)
    out += (out.empty() ? "" : "; ") + what;
  return out;
}

TLoopBound::TLoopBound(std::string What, Cardinal TimeoutMs, std::function<void()> Escape)
    : FWhat(std::move(What)), FStart(GetTickCount()), FTimeoutMs(TimeoutMs), FEscape(std::move(Escape)), FWaiting(FWhat)
{
  FTimer.SetInterval(50);
  FTimer.SetOnTimer([this](TObject*) { Tick(); });
  FTimer.SetEnabled(true);
}

TLoopBound::~TLoopBound() { FTimer.SetEnabled(false); }

void TLoopBound::Done()
{
  FDone = true;
  FTimer.SetEnabled(false);
}

void TLoopBound::Tick()
{
  if (FDone)
    return;
  Cardinal elapsed = GetTickCount() - FStart;
  if (!FReached && elapsed > FTimeoutMs) {
    FReached = true;
    ADD_FAILURE() << "still waiting after " << FTimeoutMs << " ms: " << FWhat;
    if (FEscape)
      FEscape();
  } else if (FReached && !FQuit && elapsed > FTimeoutMs + 2000) {
    FQuit = true;
    ADD_FAILURE() << "the loop did not end when told to; quitting the application's loops: " << FWhat;
    FTimer.SetEnabled(false);
    Application->Terminate();
  }
}

int TestTimeLimitSeconds()
{
  const char* v = std::getenv("ORRELO_TEST_TIME_LIMIT");
  int s = v ? std::atoi(v) : 0;
  return s > 0 ? s : 120;
}

}   // namespace testwait
