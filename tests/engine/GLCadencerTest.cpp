#include "engine/GLCadencer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Now()
{
  int64_t c = 0, f = 1;
  QueryPerformanceCounter(c);
  QueryPerformanceFrequency(f);
  return double(c) / double(f);
}

// Runs the message loop until done() or the time is up.
template <class F>
void RunLoopUntil(F done, double seconds)
{
  double end = Now() + seconds;
  while (!done() && Now() < end)
    Application->ProcessMessages();
}

TEST(GLCadencer, TicksWhileEnabledAndStops)
{
  TGLScene scene;
  auto* obj = scene.Objects()->AddNewChild<TDummyCube>();
  TGLCadencer cad;
  cad.SetScene(&scene);
  std::vector<std::pair<double, double>> ticks;
  int sceneTicks = 0;
  obj->OnProgress = [&](TObject*, double, double) { ++sceneTicks; };
  cad.OnProgress = [&](TObject* sender, double dt, double t) {
    EXPECT_EQ(sender, &cad);
    // The scene has already advanced when the handler runs.
    EXPECT_EQ(sceneTicks, int(ticks.size()) + 1);
    ticks.emplace_back(dt, t);
  };
  Application->ProcessMessages();
  EXPECT_TRUE(ticks.empty());   // disabled at start
  cad.SetEnabled(true);
  RunLoopUntil([&] { return ticks.size() >= 20 && cad.GetCurrentTime() > 0.02; }, 5);
  ASSERT_GE(ticks.size(), 20u);
  double sum = 0;
  for (auto [dt, t] : ticks) {
    EXPECT_GE(dt, 0);
    sum += dt;
    EXPECT_NEAR(t, sum, 1e-9);
  }
  cad.SetEnabled(false);
  size_t stopped = ticks.size();
  RunLoopUntil([] { return false; }, 0.05);
  EXPECT_EQ(ticks.size(), stopped);
  // A pause does not count as elapsed time.
  double before = cad.GetCurrentTime();
  cad.SetEnabled(true);
  RunLoopUntil([&] { return ticks.size() > stopped; }, 5);
  ASSERT_GT(ticks.size(), stopped);
  EXPECT_LT(ticks[stopped].first, 0.05);
  EXPECT_GE(cad.GetCurrentTime(), before);
  cad.SetEnabled(false);
}

TEST(GLCadencer, KeepsTickingWhileTheQueueIsFlooded)
{
  TGLCadencer cad;
  int ticks = 0;
  cad.OnProgress = [&](TObject*, double, double) { ++ticks; };
  int handled = 0;
  HWND other = 0;
  // Another window that keeps the queue busy: a burst of messages, each reposting itself.
  other = AllocateHWnd([&](TMessage& m) {
    if (m.Msg == WM_USER) {
      ++handled;
      PostMessage(other, WM_USER, 0, 0);
    }
  });
  for (int i = 0; i < 50; ++i)
    PostMessage(other, WM_USER, 0, 0);
  cad.SetEnabled(true);
  RunLoopUntil([&] { return ticks >= 10 && handled >= 100; }, 5);
  EXPECT_GE(ticks, 10);
  EXPECT_GE(handled, 100);
  cad.SetEnabled(false);
  DeallocateHWnd(other);
  RunLoopUntil([] { return false; }, 0.02);
}

TEST(GLCadencer, LetsTheApplicationIdleBetweenTicks)
{
  // The idle pass keeps the status line's hint and the page toolbar up to date: a running
  // animation must not starve it.
  TGLCadencer cad;
  int ticks = 0, idles = 0;
  cad.OnProgress = [&](TObject*, double, double) { ++ticks; };
  TIdleEvent saved = Application->OnIdle;
  Application->OnIdle = [&](TObject*, bool& done) {
    ++idles;
    done = true;
  };
  cad.SetEnabled(true);
  double end = Now() + 5;
  while ((ticks < 20 || idles < 10) && Now() < end)
    Application->HandleMessage();
  cad.SetEnabled(false);
  Application->OnIdle = saved;
  EXPECT_GE(ticks, 20);
  EXPECT_GE(idles, 10);
  RunLoopUntil([] { return false; }, 0.02);
}

TEST(GLCadencer, ToggleQuicklyDoesNotDoubleTheTicks)
{
  TGLCadencer cad;
  int ticks = 0;
  cad.OnProgress = [&](TObject*, double, double) { ++ticks; };
  Application->ProcessMessages();
  size_t before = PendingMessageCount();
  cad.SetEnabled(true);
  cad.SetEnabled(false);
  cad.SetEnabled(true);
  // One tick on its way, not two chains.
  EXPECT_EQ(PendingMessageCount(), before + 1);
  cad.SetEnabled(false);
  cad.Progress();   // disabled: nothing
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 0);
}

}   // namespace

TEST(GLCadencer, TicksAtMostOncePerDisplayRefreshAndKeepsTime)
{
  // Frames beyond the display's 60 a second are never seen; the phase still follows the
  // clock, so the model turns at the same speed.
  TGLCadencer cad;
  int ticks = 0;
  cad.OnProgress = [&](TObject*, double, double) { ++ticks; };
  cad.SetEnabled(true);
  const double start = Now();
  RunLoopUntil([] { return false; }, 0.5);
  const double elapsed = Now() - start;
  cad.SetEnabled(false);
  EXPECT_GE(ticks, 5);
  EXPECT_LE(ticks, int(elapsed * 60) + 2);
  EXPECT_LE(cad.GetCurrentTime(), elapsed + 0.001);
  EXPECT_GT(cad.GetCurrentTime(), elapsed - 0.25);
}
