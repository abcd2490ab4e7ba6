#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Application.h"
#include "platform/Forms.h"

namespace {

// Runs the loop until done() holds or the time is up; a 5 ms heartbeat keeps the loop from
// sleeping past the deadline. Returns done().
bool RunUntil(const std::function<bool()>& done, Cardinal timeoutMs = 3000)
{
  HWND beat = AllocateHWnd([](TMessage&) {});
  SetTimer(beat, 1, 5);
  Cardinal start = GetTickCount();
  while (!done() && GetTickCount() - start < timeoutMs)
    Application->HandleMessage();
  DeallocateHWnd(beat);
  return done();
}

// Collects what reaches the application's exception handler while it lives.
struct TCaughtExceptions {
  std::vector<std::string> Messages;
  TExceptionEvent Saved;
  TCaughtExceptions()
  {
    Saved = Application->OnException;
    Application->OnException = [this](TObject*, const Exception& e) { Messages.push_back(e.Message); };
  }
  ~TCaughtExceptions() { Application->OnException = Saved; }
};

struct TRecorder {
  std::vector<TMessage> Got;
  HWND Wnd = AllocateHWnd([this](TMessage& m) { Got.push_back(m); });
  ~TRecorder() { DeallocateHWnd(Wnd); }
};

}   // namespace

TEST(Application, PostedMessagesArriveInOrderWithTheirPostingTime)
{
  TRecorder r;
  Cardinal before = GetTickCount();
  for (int i = 0; i < 50; ++i)
    ASSERT_TRUE(PostMessage(r.Wnd, WM_USER + 1, i, -i));
  EXPECT_TRUE(r.Got.empty());   // queued, not called
  ASSERT_TRUE(RunUntil([&] { return r.Got.size() == 50; }));
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(r.Got[i].Msg, WM_USER + 1);
    EXPECT_EQ(r.Got[i].WParam, WPARAM(i));
    EXPECT_EQ(r.Got[i].LParam, -i);
    EXPECT_GE(r.Got[i].Time - before, 0u);
    EXPECT_LE(r.Got[i].Time - before, 1000u);
  }
}

TEST(Application, SendMessageCallsAtOnceAndReturnsTheResult)
{
  HWND w = AllocateHWnd([](TMessage& m) { m.Result = static_cast<LRESULT>(m.WParam * 2); });
  EXPECT_EQ(SendMessage(w, WM_USER, 21, 0), 42);
  DeallocateHWnd(w);
  EXPECT_EQ(SendMessage(w, WM_USER, 21, 0), 0);
  EXPECT_FALSE(IsWindow(w));
}

TEST(Application, RegisteredMessagesShareIdsByName)
{
  Cardinal a = RegisterWindowMessage("TickGLCadencer");
  Cardinal b = RegisterWindowMessage("SomethingElse");
  EXPECT_GE(a, FirstRegisteredMessage);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_NE(a, b);
  EXPECT_EQ(RegisterWindowMessage("TickGLCadencer"), a);
  EXPECT_EQ(RegisterWindowMessage("tickglcadencer"), a);
  EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(Application, MessagesToAFreedWindowAreDropped)
{
  auto r = std::make_unique<TRecorder>();
  HWND w = r->Wnd;
  TRecorder other;
  PostMessage(w, WM_USER, 1, 0);
  PostMessage(other.Wnd, WM_USER, 2, 0);
  r.reset();   // frees the window with a message still queued
  EXPECT_FALSE(PostMessage(w, WM_USER, 3, 0));
  ASSERT_TRUE(RunUntil([&] { return other.Got.size() == 1; }));
  Application->ProcessMessages();
  TMsg m;
  EXPECT_FALSE(PeekMessage(m, w, 0, 0, PM_NOREMOVE));
}

TEST(Application, AWindowMayFreeItselfInItsHandler)
{
  int calls = 0;
  HWND w = 0;
  w = AllocateHWnd([&](TMessage&) {
    ++calls;
    DeallocateHWnd(w);
  });
  PostMessage(w, WM_USER, 0, 0);
  PostMessage(w, WM_USER, 0, 0);
  RunUntil([&] { return PendingMessageCount() == 0; });
  EXPECT_EQ(calls, 1);
}

TEST(Application, PeekMessageFiltersAndRemoves)
{
  TRecorder a, b;
  PostMessage(a.Wnd, WM_USER + 5, 0, 0);
  PostMessage(b.Wnd, WM_USER + 7, 0, 0);
  PostMessage(a.Wnd, WM_USER + 9, 0, 0);
  TMsg m;
  ASSERT_TRUE(PeekMessage(m, b.Wnd, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 7);
  ASSERT_TRUE(PeekMessage(m, a.Wnd, WM_USER + 6, WM_USER + 10, PM_REMOVE));
  EXPECT_EQ(m.message, WM_USER + 9);
  EXPECT_FALSE(PeekMessage(m, a.Wnd, WM_USER + 6, WM_USER + 10, PM_NOREMOVE));
  EXPECT_EQ(DispatchMessage(m), 0);
  ASSERT_EQ(a.Got.size(), 1u);
  EXPECT_EQ(a.Got[0].Msg, WM_USER + 9);
  Application->ProcessMessages();
  EXPECT_EQ(a.Got.size(), 2u);
  EXPECT_EQ(b.Got.size(), 1u);
}

TEST(Application, ProcessMessagesHandlesWhatIsPendingAndReturns)
{
  // A window that always posts itself again must not keep ProcessMessages busy forever.
  int count = 0;
  HWND w = 0;
  w = AllocateHWnd([&](TMessage&) {
    ++count;
    PostMessage(w, WM_USER, 0, 0);
  });
  PostMessage(w, WM_USER, 0, 0);
  Application->ProcessMessages();
  EXPECT_GE(count, 1);
  EXPECT_LE(count, 3);
  DeallocateHWnd(w);
}

TEST(Application, ANestedLoopInAHandlerReceivesTheMessagesQueuedBehindIt)
{
  // Two messages wait; the first one's handler runs a nested loop until the second has
  // arrived. Nothing else is posted, so only the queue's own wake can bring the second in.
  // A helper thread wakes the loop after a second in any case, so a fault fails instead of
  // waiting for ever.
  std::atomic<bool> late{false}, nestedDone{false};
  bool secondArrived = false, secondInTime = false;
  HWND second = AllocateHWnd([&](TMessage&) {
    secondArrived = true;
    secondInTime = !late.load();
  });
  HWND first = AllocateHWnd([&](TMessage&) {
    RunNestedLoop([&] { return secondArrived || late.load(); });
    nestedDone = true;
  });
  HWND rescue = AllocateHWnd([](TMessage&) {});
  PostMessage(first, WM_USER, 0, 0);
  PostMessage(second, WM_USER, 0, 0);
  std::thread waker([&] {
    for (int i = 0; i < 100 && !nestedDone; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    late = true;
    PostMessage(rescue, WM_USER, 0, 0);
  });
  // No heartbeat here: a timer's tick would wake the loop and hide the fault.
  Cardinal start = GetTickCount();
  while (!nestedDone && GetTickCount() - start < 5000)
    Application->HandleMessage();
  waker.join();
  EXPECT_TRUE(nestedDone);
  EXPECT_TRUE(secondArrived);
  EXPECT_TRUE(secondInTime) << "the nested loop waited until something else woke it";
  Application->ProcessMessages();
  DeallocateHWnd(first);
  DeallocateHWnd(second);
  DeallocateHWnd(rescue);
}

TEST(Application, TimersFireAndStop)
{
  TRecorder r;
  ASSERT_EQ(SetTimer(r.Wnd, 7, 10), 7u);
  ASSERT_TRUE(RunUntil([&] { return r.Got.size() >= 3; }));
  for (const TMessage& m : r.Got) {
    EXPECT_EQ(m.Msg, WM_TIMER);
    EXPECT_EQ(m.WParam, 7u);
  }
  EXPECT_TRUE(KillTimer(r.Wnd, 7));
  EXPECT_FALSE(KillTimer(r.Wnd, 7));
  size_t n = r.Got.size();
  RunUntil([] { return false; }, 60);
  EXPECT_EQ(r.Got.size(), n);
  EXPECT_EQ(SetTimer(r.Wnd, 0, 10), 0u);
  EXPECT_EQ(SetTimer(999999, 1, 10), 0u);
}

TEST(Application, TimerMessagesDoNotPileUp)
{
  TRecorder r;
  SetTimer(r.Wnd, 1, 1);
  Cardinal start = GetTickCount();
  while (GetTickCount() - start < 30) {}   // the loop is busy: the timer keeps firing meanwhile
  Application->ProcessMessages();
  Application->ProcessMessages();
  Application->ProcessMessages();
  EXPECT_LE(r.Got.size(), 3u);
  KillTimer(r.Wnd, 1);
}

TEST(Application, TTimerCallsOnTimerWhileEnabled)
{
  TTimer timer;
  int ticks = 0;
  timer.SetInterval(5);
  timer.SetOnTimer([&](TObject* sender) {
    EXPECT_EQ(sender, &timer);
    ++ticks;
  });
  ASSERT_TRUE(RunUntil([&] { return ticks >= 3; }));
  timer.SetEnabled(false);
  int stopped = ticks;
  RunUntil([] { return false; }, 40);
  EXPECT_EQ(ticks, stopped);
  timer.SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return ticks > stopped; }));
}

TEST(Application, TTimerMayBeFreedFromItsOwnHandler)
{
  auto timer = std::make_unique<TTimer>();
  int ticks = 0;
  timer->SetInterval(2);
  timer->SetOnTimer([&](TObject*) {
    ++ticks;
    timer.reset();
  });
  RunUntil([&] { return !timer; });
  RunUntil([] { return false; }, 20);
  EXPECT_EQ(ticks, 1);
}

TEST(Application, ExceptionsFromHandlersReachOnExceptionAndTheLoopGoesOn)
{
  TCaughtExceptions caught;
  TRecorder after;
  HWND bad = AllocateHWnd([](TMessage& m) {
    if (m.Msg == WM_USER)
      throw EInvalidGraphic("broken picture");
    throw std::runtime_error("plain");
  });
  PostMessage(bad, WM_USER, 0, 0);
  PostMessage(bad, WM_USER + 1, 0, 0);
  PostMessage(after.Wnd, WM_USER, 0, 0);
  ASSERT_TRUE(RunUntil([&] { return after.Got.size() == 1; }));
  ASSERT_EQ(caught.Messages.size(), 2u);
  EXPECT_EQ(caught.Messages[0], "broken picture");
  EXPECT_EQ(caught.Messages[1], "plain");

  // Sent messages and timers take the same route.
  EXPECT_EQ(SendMessage(bad, WM_USER, 0, 0), 0);
  EXPECT_EQ(caught.Messages.size(), 3u);
  TTimer timer;
  timer.SetInterval(2);
  timer.SetOnTimer([](TObject*) { throw Exception("tick failed"); });
  ASSERT_TRUE(RunUntil([&] { return caught.Messages.size() >= 4; }));
  EXPECT_EQ(caught.Messages[3], "tick failed");
  DeallocateHWnd(bad);
}

TEST(Application, AFailingExceptionHandlerIsContained)
{
  TExceptionEvent saved = Application->OnException;
  Application->OnException = [](TObject*, const Exception&) { throw Exception("handler broke"); };
  GuardedCall([] { throw Exception("first"); });   // must not escape
  Application->OnException = saved;
  SUCCEED();
}

TEST(Application, IdleRunsWhenTheQueueIsEmptyAndMayAskForMore)
{
  int idles = 0;
  Application->OnIdle = [&](TObject* sender, bool& done) {
    EXPECT_EQ(sender, Application);
    ++idles;
    done = idles >= 5;   // ask to be called again without waiting, four times
  };
  TRecorder r;
  SetTimer(r.Wnd, 1, 5);
  ASSERT_TRUE(RunUntil([&] { return idles >= 5 && !r.Got.empty(); }));
  Application->OnIdle = nullptr;

  TCaughtExceptions caught;
  Application->OnIdle = [](TObject*, bool&) { throw Exception("idle failed"); };
  RunUntil([&] { return !caught.Messages.empty(); });
  Application->OnIdle = nullptr;
  ASSERT_FALSE(caught.Messages.empty());
  EXPECT_EQ(caught.Messages[0], "idle failed");
}

TEST(Application, RunEndsOnTerminate)
{
  TRecorder r;
  int ticks = 0;
  HWND w = AllocateHWnd([&](TMessage&) {
    if (++ticks == 3)
      Application->Terminate();
  });
  SetTimer(w, 1, 2);
  PostMessage(r.Wnd, WM_USER, 0, 0);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(r.Got.size(), 1u);
  DeallocateHWnd(w);

  // A quit posted before the loop starts ends it once the messages before it are handled.
  PostMessage(r.Wnd, WM_USER, 0, 0);
  Application->Terminate();
  Application->Run();
  EXPECT_EQ(r.Got.size(), 2u);
}

TEST(Application, CountersAreMonotonic)
{
  int64_t freq = 0;
  ASSERT_TRUE(QueryPerformanceFrequency(freq));
  EXPECT_GE(freq, 1000);
  int64_t last = 0;
  QueryPerformanceCounter(last);
  Cardinal tick = GetTickCount();
  for (int i = 0; i < 10000; ++i) {
    int64_t now = 0;
    QueryPerformanceCounter(now);
    ASSERT_GE(now, last);
    last = now;
  }
  EXPECT_LT(GetTickCount() - tick, 1000u);
  int64_t a = 0, b = 0;
  QueryPerformanceCounter(a);
  Cardinal t0 = GetTickCount();
  while (GetTickCount() - t0 < 20) {}
  QueryPerformanceCounter(b);
  double ms = double(b - a) * 1000.0 / double(freq);
  EXPECT_GE(ms, 15.0);
  EXPECT_LT(ms, 500.0);
}

// The services keep their state in the application: one of each kind, made when first asked
// for, and the same one after (a second of a kind would lose what the first was told).
TEST(Application, KeepsOneServiceStateOfEachKind)
{
  struct TFirst : TApplicationState {
    int Value = 0;
  };
  struct TSecond : TApplicationState {
    int Value = 0;
  };
  ASSERT_NE(Application, nullptr);
  EXPECT_EQ(FoundApplicationState<TFirst>(), nullptr) << "looking made one";
  TFirst* first = ApplicationState<TFirst>();
  ASSERT_NE(first, nullptr);
  first->Value = 7;
  EXPECT_EQ(ApplicationState<TFirst>(), first);
  EXPECT_EQ(FoundApplicationState<TFirst>(), first);
  TSecond* second = ApplicationState<TSecond>();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(static_cast<void*>(second), static_cast<void*>(first)) << "two kinds share one state";
  EXPECT_EQ(second->Value, 0);
  EXPECT_EQ(ApplicationState<TFirst>()->Value, 7);
}
