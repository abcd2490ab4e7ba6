#include "platform/Application.h"
#include "platform/Dialogs.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDBusConnection>
#include <QEvent>
#include <QObject>
#include <QTimerEvent>

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>
#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the one application (Application.h).
TApplication* Application = nullptr;

namespace {

using TTimerKey = std::pair<HWND, uintptr_t>;

class TDispatcher;

// The queue and the windows live apart from the application object, so that posting before
// start-up or freeing a window after shut-down stays harmless: one queue for the process,
// which other threads post to as well.
struct TMessageState {
  std::mutex Lock;
  std::deque<TMsg> Queue;
  std::unordered_map<HWND, std::shared_ptr<TWndMethod>> Windows;
  HWND NextWindow = 1;
  std::map<std::string, Cardinal> Registered;
  Cardinal NextRegistered = FirstRegisteredMessage;
  std::map<TTimerKey, int> Timers;   // our timer -> toolkit timer id
  std::unordered_map<int, TTimerKey> ToolkitTimers;
  std::set<TTimerKey> PendingTimers;   // a WM_TIMER of these is queued
  TDispatcher* Dispatcher = nullptr;   // set while the application exists
  bool WakePosted = false;
};

TMessageState& MessageState()
{
  static TMessageState state;   // NOLINT(orrelo-static-local-state): the process's one queue, as above
  return state;
}

const QEvent::Type WakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

void DeliverBatch();
void TimerFired(int toolkitId);

// Receives the toolkit's side of our queue: one wake event while messages wait, and the
// toolkit timers behind SetTimer.
class TDispatcher : public QObject {
protected:
  bool event(QEvent* e) override
  {
    if (e->type() == WakeEvent) {
      DeliverBatch();
      return true;
    }
    return QObject::event(e);
  }
  void timerEvent(QTimerEvent* e) override { TimerFired(e->timerId()); }
};

// Lock held. Makes sure the loop will come round to the queue.
void WakeLocked(TMessageState& s)
{
  if (s.WakePosted || !s.Dispatcher || s.Queue.empty())
    return;
  s.WakePosted = true;
  QCoreApplication::postEvent(s.Dispatcher, new QEvent(WakeEvent));
}

// Lock held. Removes the queue entry at i, keeping the timer bookkeeping right.
void EraseLocked(TMessageState& s, std::deque<TMsg>::iterator it)
{
  if (it->message == WM_TIMER)
    s.PendingTimers.erase({it->hwnd, it->wParam});
  s.Queue.erase(it);
}

void Deliver(const TMsg& msg);

// Delivers the messages that were queued when the batch began; later ones wait for the next
// turn of the loop, so input and painting are never starved by a window that keeps posting.
void DeliverBatch()
{
  TMessageState& s = MessageState();
  size_t count;
  {
    std::lock_guard<std::mutex> g(s.Lock);
    s.WakePosted = false;
    count = s.Queue.size();
  }
  for (size_t i = 0; i < count; ++i) {
    TMsg msg;
    if (!PeekMessage(msg, 0, 0, 0, PM_REMOVE))
      break;
    {
      // The handler may run a nested loop (a menu, a modal form, an edit); that loop must
      // come round to the messages still waiting behind this one, which this batch cannot
      // deliver until the handler returns. Without a wake of their own they would sit in
      // the queue (a timer's next tick is held back while one waits) and the loop would
      // wait for ever.
      std::lock_guard<std::mutex> g(s.Lock);
      WakeLocked(s);
    }
    Deliver(msg);
  }
  std::lock_guard<std::mutex> g(s.Lock);
  WakeLocked(s);
}

void TimerFired(int toolkitId)
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  auto it = s.ToolkitTimers.find(toolkitId);
  if (it == s.ToolkitTimers.end())
    return;
  // Like the system's timers: at most one WM_TIMER of a timer waits in the queue.
  if (!s.PendingTimers.insert(it->second).second)
    return;
  s.Queue.push_back({it->second.first, WM_TIMER, it->second.second, 0, GetTickCount()});
  WakeLocked(s);
}

void KillTimerLocked(TMessageState& s, std::map<TTimerKey, int>::iterator it)
{
  if (s.Dispatcher && it->second != 0)
    s.Dispatcher->killTimer(it->second);
  s.ToolkitTimers.erase(it->second);
  TTimerKey key = it->first;
  s.Timers.erase(it);
  if (s.PendingTimers.count(key)) {
    for (auto q = s.Queue.begin(); q != s.Queue.end(); ++q)
      if (q->message == WM_TIMER && q->hwnd == key.first && q->wParam == key.second) {
        EraseLocked(s, q);
        break;
      }
  }
}

}   // namespace

struct TApplicationImpl {
  std::unique_ptr<QApplication> App;
  std::unique_ptr<TDispatcher> Dispatcher;

  static void Quit(TApplication& app) { app.FTerminated = true; }
};

namespace {

void Deliver(const TMsg& msg)
{
  if (msg.hwnd == 0) {
    if (msg.message == WM_QUIT && Application)
      TApplicationImpl::Quit(*Application);
    return;
  }
  DispatchMessage(msg);
}

}   // namespace

// ---- messages and windows ----

Cardinal RegisterWindowMessage(const std::string& name)
{
  if (name.empty())
    return 0;
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  std::string key = UpperCase(name);
  auto it = s.Registered.find(key);
  if (it != s.Registered.end())
    return it->second;
  if (s.NextRegistered > 0xFFFF)
    return 0;
  Cardinal id = s.NextRegistered++;
  s.Registered.emplace(key, id);
  return id;
}

HWND AllocateHWnd(TWndMethod method)
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  HWND wnd = s.NextWindow++;
  s.Windows.emplace(wnd, std::make_shared<TWndMethod>(std::move(method)));
  return wnd;
}

void DeallocateHWnd(HWND wnd)
{
  TMessageState& s = MessageState();
  std::shared_ptr<TWndMethod> handler;   // released outside the lock
  std::lock_guard<std::mutex> g(s.Lock);
  auto w = s.Windows.find(wnd);
  if (w == s.Windows.end())
    return;
  handler = std::move(w->second);
  s.Windows.erase(w);
  for (auto t = s.Timers.lower_bound({wnd, 0}); t != s.Timers.end() && t->first.first == wnd;)
    KillTimerLocked(s, t++);
  for (auto q = s.Queue.begin(); q != s.Queue.end();) {
    if (q->hwnd == wnd)
      q = s.Queue.erase(q);
    else
      ++q;
  }
}

bool IsWindow(HWND wnd)
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  return s.Windows.count(wnd) != 0;
}

bool PostMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam)
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  if (wnd != 0 && !s.Windows.count(wnd))
    return false;
  s.Queue.push_back({wnd, msg, wParam, lParam, GetTickCount()});
  WakeLocked(s);
  return true;
}

void PostQuitMessage(int32_t exitCode)
{
  PostMessage(0, WM_QUIT, static_cast<WPARAM>(static_cast<uint32_t>(exitCode)), 0);
}

static std::shared_ptr<TWndMethod> FindHandler(HWND wnd)
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  auto it = s.Windows.find(wnd);
  return it == s.Windows.end() ? nullptr : it->second;
}

// The handler is held by a shared pointer for the call, so a window may free itself (and
// the function object) from within its own handler.
static LRESULT CallHandler(HWND wnd, TMessage& m)
{
  std::shared_ptr<TWndMethod> handler = FindHandler(wnd);
  if (!handler || !*handler)
    return 0;
  bool failed = true;
  GuardedCall([&] {
    (*handler)(m);
    failed = false;
  });
  return failed ? 0 : m.Result;
}

LRESULT SendMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam)
{
  TMessage m{msg, wParam, lParam, 0, GetTickCount()};
  return CallHandler(wnd, m);
}

bool PeekMessage(TMsg& msg, HWND wnd, Cardinal filterMin, Cardinal filterMax, Cardinal removeMsg)
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  bool anyId = filterMin == 0 && filterMax == 0;
  for (auto it = s.Queue.begin(); it != s.Queue.end(); ++it) {
    if (wnd != 0 && it->hwnd != wnd)
      continue;
    if (!anyId && (it->message < filterMin || it->message > filterMax))
      continue;
    msg = *it;
    if (removeMsg & PM_REMOVE)
      EraseLocked(s, it);
    return true;
  }
  return false;
}

LRESULT DispatchMessage(const TMsg& msg)
{
  TMessage m{msg.message, msg.wParam, msg.lParam, 0, msg.time};
  return CallHandler(msg.hwnd, m);
}

size_t PendingMessageCount()
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  return s.Queue.size();
}

// ---- timers and clocks ----

uintptr_t SetTimer(HWND wnd, uintptr_t id, Cardinal elapseMs)
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  if (id == 0 || !s.Windows.count(wnd) || !s.Dispatcher)
    return 0;
  auto old = s.Timers.find({wnd, id});
  if (old != s.Timers.end())
    KillTimerLocked(s, old);
  int ms = static_cast<int>(std::clamp<Cardinal>(elapseMs, 1, INT_MAX));
  int toolkitId = s.Dispatcher->startTimer(ms, Qt::PreciseTimer);
  if (toolkitId == 0)
    return 0;
  s.Timers[{wnd, id}] = toolkitId;
  s.ToolkitTimers[toolkitId] = {wnd, id};
  return id;
}

bool KillTimer(HWND wnd, uintptr_t id)
{
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  auto it = s.Timers.find({wnd, id});
  if (it == s.Timers.end())
    return false;
  KillTimerLocked(s, it);
  return true;
}

Cardinal GetTickCount()
{
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<Cardinal>(static_cast<uint64_t>(ms.count()));
}

bool QueryPerformanceCounter(int64_t& count)
{
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch());
  count = static_cast<int64_t>(ns.count());
  return true;
}

bool QueryPerformanceFrequency(int64_t& frequency)
{
  frequency = 1000000000;
  return true;
}

void StartToolkitThreads()
{
  // The toolkit has one bus connection for the process, so one thread starts it.
  static std::thread bus;   // NOLINT(orrelo-static-local-state): one per process, as above
  if (!QCoreApplication::instance() || bus.joinable())
    return;
  // Connecting may start the bus itself; it is long done when the application goes.
  bus = std::thread([] { QDBusConnection::sessionBus(); });
  qAddPostRoutine([] { bus.join(); });
}

// ---- the application object ----

// Owns what Application points to.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the one application, as above.
static std::unique_ptr<TApplication> TheApplication;

void TApplication::Initialize(int& argc, char** argv)
{
  if (TheApplication)
    return;
  TheApplication.reset(new TApplication(argc, argv));
  Application = TheApplication.get();
}

void TApplication::Finalize() { TheApplication.reset(); }

TApplication::TApplication(int& argc, char** argv) : FImpl(std::make_unique<TApplicationImpl>())
{
#if defined(__GLIBC__)
  // The C library keeps freed small blocks aside unmerged, and sweeps them all each time a
  // large free area forms: as a page of thousands of paragraphs and fields was let go, those
  // sweeps cost more the larger the page (half the time of leaving 32,000 lines). Small
  // blocks are merged as they are freed instead; nothing else measured changes.
  mallopt(M_MXFAST, 0);
#endif
  // A file that would grow past the user's limit on file sizes ("ulimit -f") is a write that
  // fails, told as a full disk is, and not the end of the program.
  std::signal(SIGXFSZ, SIG_IGN);
  if (!QCoreApplication::instance())
    FImpl->App = std::make_unique<QApplication>(argc, argv);
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    app->setQuitOnLastWindowClosed(false);   // the program ends through Terminate
  FImpl->Dispatcher = std::make_unique<TDispatcher>();
  TMessageState& s = MessageState();
  std::lock_guard<std::mutex> g(s.Lock);
  s.Dispatcher = FImpl->Dispatcher.get();
  WakeLocked(s);
}

TApplication::~TApplication()
{
  // The services' state goes first, the last made first, while timers and the toolkit still
  // work; what it frees (a hint window, a printer) may look for state that has gone already.
  while (!FStates.empty()) {
    std::unique_ptr<TApplicationState> last = std::move(FStates.back().second);
    FStates.pop_back();
    last.reset();
  }
  // Widgets of freed controls still waiting for the loop go while the toolkit works.
  if (QCoreApplication::instance())
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  {
    TMessageState& s = MessageState();
    std::lock_guard<std::mutex> g(s.Lock);
    while (!s.Timers.empty())
      KillTimerLocked(s, s.Timers.begin());
    s.Dispatcher = nullptr;
    s.WakePosted = false;
  }
  FImpl->Dispatcher.reset();
  FImpl->App.reset();
  if (Application == this)
    Application = nullptr;
}

void TApplication::Run()
{
  FTerminated = false;
  while (!FTerminated)
    HandleMessage();
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::ProcessMessages()
{
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  DeliverBatch();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TApplication::HandleMessage()
{
  bool handled = false;
  if (auto* d = QAbstractEventDispatcher::instance())
    handled = d->processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  if (!handled)
    Idle();
}

void TApplication::Idle()
{
  if (FFrameworkIdleHook)
    GuardedCall([this] { FFrameworkIdleHook(); }, this);
  bool done = true;
  if (OnIdle)
    GuardedCall([&] { OnIdle(this, done); }, this);
  if (done)
    if (auto* d = QAbstractEventDispatcher::instance())
      d->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

static void ReportToStderr(const std::string& message)
{
  std::fprintf(stderr, "Unhandled exception: %s\n", message.c_str());
}

static void Route(TApplication& app, TObject* sender, const Exception& e) noexcept
{
  try {
    if (app.OnException)
      app.OnException(sender, e);
    else
      app.ShowException(e);
  } catch (...) {
    // The handler itself failed: there is nobody left to tell but the error stream.
    ReportToStderr(e.Message);
  }
}

void TApplication::HandleException(TObject* Sender) noexcept
{
  std::exception_ptr current = std::current_exception();
  if (!current)
    return;
  try {
    std::rethrow_exception(current);
  } catch (const Exception& e) {
    Route(*this, Sender, e);
  } catch (const std::exception& e) {
    try {
      Route(*this, Sender, Exception(e.what()));
    } catch (...) {}
  } catch (...) {
    try {
      Route(*this, Sender, Exception("Unknown exception"));
    } catch (...) {}
  }
}

void TApplication::ShowException(const Exception& E)
{
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    ReportToStderr(E.Message);
    return;
  }
  // The program's own error box, which stands above whatever window opened it.
  MessageBox(E.Message, FTitle, MB_OK | MB_ICONERROR);
}

void ReportException(const Exception& E, TObject* Sender) noexcept
{
  if (Application)
    Route(*Application, Sender, E);
  else
    ReportToStderr(E.Message);
}

void HandleCurrentException(TObject* Sender) noexcept
{
  if (Application) {
    Application->HandleException(Sender);
    return;
  }
  if (!std::current_exception())
    return;
  try {
    throw;
  } catch (const std::exception& e) {
    ReportToStderr(e.what());
  } catch (...) {
    ReportToStderr("unknown exception");
  }
}

// ---- TTimer ----

TTimer::TTimer()
{
  FWindow = AllocateHWnd([this](TMessage& m) { WndProc(m); });
}

TTimer::~TTimer() { DeallocateHWnd(FWindow); }

void TTimer::SetInterval(Cardinal ms)
{
  if (ms == FInterval)
    return;
  FInterval = ms;
  UpdateTimer();
}

void TTimer::SetEnabled(bool enabled)
{
  if (enabled == FEnabled)
    return;
  FEnabled = enabled;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler)
{
  FOnTimer = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer()
{
  KillTimer(FWindow, 1);
  if (FInterval != 0 && FEnabled && FOnTimer)
    if (SetTimer(FWindow, 1, FInterval) == 0)
      throw EOutOfResources("Not enough timers available");
}

void TTimer::WndProc(TMessage& msg)
{
  if (msg.Msg != WM_TIMER)
    return;
  // A copy: the handler may replace OnTimer or free this timer.
  TNotifyEvent handler = FOnTimer;
  if (handler)
    handler(this);
}
