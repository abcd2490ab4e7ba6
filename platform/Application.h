// The application object and its message loop: posted and registered messages delivered to
// hidden message windows, timers, the idle handler, the clocks, and the exception route.
// Every call our layer makes into handlers (messages, timers, idle, control events) goes
// through GuardedCall, so an exception never escapes into the toolkit's loop; it reaches
// TApplication::HandleException, which calls OnException or shows the message.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

#include "platform/SysUtils.h"
#include "platform/Types.h"

// A message window's handle. Handles are never reused, so a stale one is simply unknown.
using HWND = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

constexpr Cardinal WM_NULL = 0x0000;
constexpr Cardinal WM_QUIT = 0x0012;
constexpr Cardinal WM_TIMER = 0x0113;
constexpr Cardinal WM_USER = 0x0400;
constexpr Cardinal WM_APP = 0x8000;
// Registered messages take ids from here up to 0xFFFF.
constexpr Cardinal FirstRegisteredMessage = 0xC000;

// PeekMessage options.
constexpr Cardinal PM_NOREMOVE = 0;
constexpr Cardinal PM_REMOVE = 1;

// What a window's handler receives; Time is the tick count (ms) when the message was posted
// (or when a sent message was sent).
struct TMessage {
  Cardinal Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
  Cardinal Time = 0;
};

// A queued message as PeekMessage returns it.
struct TMsg {
  HWND hwnd = 0;
  Cardinal message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  Cardinal time = 0;
};

using TWndMethod = std::function<void(TMessage& Message)>;

// The same name (case-insensitive) always gives the same id; ids start at 0xC000.
// Returns 0 for an empty name or when the id range is used up.
Cardinal RegisterWindowMessage(const std::string& name);

// A hidden window of our own that receives messages through the handler.
HWND AllocateHWnd(TWndMethod method);
// Frees the window: its timers stop and messages still queued for it are dropped. Safe to
// call from within its own handler, and with 0 or an unknown handle.
void DeallocateHWnd(HWND wnd);
bool IsWindow(HWND wnd);

// Queues a message; delivered in order from the message loop. False for an unknown window.
// A window 0 message goes to the thread (only WM_QUIT means anything there). Thread-safe.
bool PostMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int32_t exitCode);
// Calls the window's handler at once and gives its Result (0 for an unknown window or when
// the handler raised, the exception having been routed to the handler of the application).
LRESULT SendMessage(HWND wnd, Cardinal msg, WPARAM wParam, LPARAM lParam);
// Looks for the first queued message for wnd (0: any) with an id in [filterMin, filterMax]
// (both 0: any) and copies it to msg; PM_REMOVE takes it out of the queue.
bool PeekMessage(TMsg& msg, HWND wnd, Cardinal filterMin, Cardinal filterMax, Cardinal removeMsg);
// Hands a message taken from the queue to its window's handler (guarded); gives its Result.
LRESULT DispatchMessage(const TMsg& msg);
// Number of messages waiting in the queue.
size_t PendingMessageCount();

// Starts (or restarts with the new interval) timer id of the window; every interval, while
// none is still pending, a WM_TIMER with WParam = id is queued for the window. Intervals
// below 1 ms count as 1 ms. Returns id, or 0 for an unknown window or id 0.
uintptr_t SetTimer(HWND wnd, uintptr_t id, Cardinal elapseMs);
// Stops the timer and drops its pending WM_TIMER; false when there was no such timer.
bool KillTimer(HWND wnd, uintptr_t id);

// Milliseconds of a monotonic clock, wrapping at 2^32.
Cardinal GetTickCount();
// High-resolution monotonic counter; the frequency is in counts per second.
bool QueryPerformanceCounter(int64_t& count);
bool QueryPerformanceFrequency(int64_t& frequency);

using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

struct TApplicationImpl;

// What a service of this layer keeps for the running program (the hint and its window, the
// program's input hooks, the settings record, the modal forms, the printer...): the
// application holds one of each kind, made when the service first needs it and freed with
// the application (the last made first) while the toolkit is still there.
class TApplicationState {
public:
  virtual ~TApplicationState() = default;
};

// Starts the toolkit's own thread that the first window would start otherwise: the session
// bus connection, which the accessibility bridge waits for when the first window shows. For
// a program that loads a large library on another thread while it starts (no thread can
// start meanwhile); call once after Initialize.
void StartToolkitThreads();

class TApplication : public TObject {
public:
  // Creates the one application object (and the toolkit's application) into Application.
  // argc and argv must outlive it, as main's do.
  static void Initialize(int& argc, char** argv);
  // Destroys it again (timers stop); the end of main calls this.
  static void Finalize();

  ~TApplication() override;

  // The message loop: handles messages until a WM_QUIT is met (Terminate posts one, and a
  // quit posted before Run ends it at once). Terminated is true from the quit met, wherever
  // it was met, so modal loops end too, until Run starts again.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles everything that is pending now, without waiting.
  void ProcessMessages();
  // Handles what is pending; when nothing was, runs the idle handler and then (unless it
  // asked to be called again) waits for the next event and handles it. A nested loop is
  // `while (!condition) Application->HandleMessage();`.
  void HandleMessage();

  std::string Title() const { return FTitle; }
  void SetTitle(const std::string& title) { FTitle = title; }

  // Called when the loop runs out of work; Done (true on entry) false asks for another call
  // before waiting.
  TIdleEvent OnIdle;
  // Receives every exception raised in a handler; unset, the message is shown in a box.
  TExceptionEvent OnException;

  // Routes the exception being handled (call it from a catch block): to OnException, else to
  // ShowException. Never throws.
  void HandleException(TObject* Sender) noexcept;
  // Shows the exception's message in an error box titled with Title.
  void ShowException(const Exception& E);

  // The toolkit layer's own idle work, run before OnIdle on every idle pass (the status
  // line's hint follows the control under the pointer there).
  void SetFrameworkIdleHook(std::function<void()> hook) { FFrameworkIdleHook = std::move(hook); }

  // The service state of kind T (a TApplicationState), made on first use.
  template <class T>
  T& State()
  {
    if (T* s = FindState<T>())
      return *s;
    auto made = std::make_unique<T>();
    T& s = *made;
    FStates.emplace_back(typeid(T), std::move(made));
    return s;
  }
  // The same, or nullptr while none has been made.
  template <class T>
  T* FindState() const
  {
    for (const auto& [kind, state] : FStates)
      if (kind == typeid(T))
        return static_cast<T*>(state.get());
    return nullptr;
  }

private:
  TApplication(int& argc, char** argv);
  friend struct TApplicationImpl;
  void Idle();

  std::unique_ptr<TApplicationImpl> FImpl;
  std::string FTitle;
  bool FTerminated = false;
  std::function<void()> FFrameworkIdleHook;
  std::vector<std::pair<std::type_index, std::unique_ptr<TApplicationState>>> FStates;
};

// The application object; nullptr before Initialize and after Finalize. The one root of the
// running program's state: the services of this layer keep theirs in it (State).
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the one application, as above.
extern TApplication* Application;

// The application's service state of kind T, made on first use; nullptr when there is no
// application (before Initialize, after Finalize), where a service answers as if nothing
// had been set.
template <class T>
T* ApplicationState()
{
  return Application ? &Application->State<T>() : nullptr;
}
// The same, without making it: for what is being freed (a control going away).
template <class T>
T* FoundApplicationState()
{
  return Application ? Application->FindState<T>() : nullptr;
}

// Routes the exception being handled (call it from a catch block) through the application's
// handler, or to the error stream when there is no application. Never throws.
void HandleCurrentException(TObject* Sender = nullptr) noexcept;

// Routes an error that was gathered rather than raised (a build that goes on past a file it
// could not read) through the application's handler, as a raised one would go. Never throws.
void ReportException(const Exception& E, TObject* Sender = nullptr) noexcept;

// Runs f, routing any exception it raises through HandleCurrentException. Every call from
// the platform layer into a handler goes through here.
template <class F>
void GuardedCall(F&& f, TObject* Sender = nullptr) noexcept
{
  try {
    f();
  } catch (...) {
    HandleCurrentException(Sender);
  }
}

// A component that calls OnTimer every Interval milliseconds while Enabled.
class TTimer : public TObject {
public:
  TTimer();
  ~TTimer() override;
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal ms);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent handler);

private:
  void UpdateTimer();
  void WndProc(TMessage& msg);

  Cardinal FInterval = 1000;
  bool FEnabled = true;
  TNotifyEvent FOnTimer;
  HWND FWindow = 0;
};
