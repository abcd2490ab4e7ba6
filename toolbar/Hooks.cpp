#include "toolbar/Hooks.h"

#include <vector>

namespace {

struct THookEntry {
  THookProc Proc;
  int RefCount;
  THookProcCodes Codes;
};

// The window-event hook serves kinds 0, 1 and 2; the input hook kind 3.
enum THookType { htWindowEvents, htInput, htCount };

struct THookState {
  std::vector<THookEntry> Procs;
  int Handles[htCount] = {0, 0};
  int RefCounts[htCount] = {0, 0};
};

THookState& Hooks()
{
  // One for the process: the application's window events and input reach the kit through
  // one filter each, shared out here among the procedures installed.
  // NOLINTNEXTLINE(orrelo-static-local-state)
  static THookState s;
  return s;
}

void CallProcs(THookProcCode code, TControl* wnd, WPARAM wParam, LPARAM lParam)
{
  // A procedure may uninstall itself (or others) while being called: walk a copy and skip
  // the ones that went.
  std::vector<THookEntry> procs = Hooks().Procs;
  for (const THookEntry& e : procs) {
    if (!(e.Codes & HookCode(code)))
      continue;
    bool still = false;
    for (const THookEntry& now : Hooks().Procs)
      still = still || now.Proc == e.Proc;
    if (still)
      e.Proc(code, wnd, wParam, lParam);
  }
}

THookType TypeOf(THookProcCode code) { return code == hpGetMessage ? htInput : htWindowEvents; }

void Install(THookType t)
{
  THookState& s = Hooks();
  if (s.RefCounts[t]++ > 0)
    return;
  if (t == htInput)
    s.Handles[t] = AddInputFilter([](const TInputEvent& ev) {
      CallProcs(hpGetMessage, nullptr, 1, reinterpret_cast<LPARAM>(&ev));
      return false;
    });
  else
    s.Handles[t] = AddWindowEventHandler([](TWindowEvent e, TControl* c) {
      switch (e) {
      case TWindowEvent::Activated: CallProcs(hpSendActivateApp, c, 1, 0); break;
      case TWindowEvent::Deactivated: CallProcs(hpSendActivateApp, c, 0, 0); break;
      // A window's position record changes when it moves, shows or hides.
      case TWindowEvent::Moved:
      case TWindowEvent::Shown:
      case TWindowEvent::Hidden: CallProcs(hpSendWindowPosChanged, c, 0, 0); break;
      case TWindowEvent::Destroying: CallProcs(hpPreDestroy, c, 0, 0); break;
      }
    });
}

void Release(THookType t)
{
  THookState& s = Hooks();
  if (s.RefCounts[t] == 0 || --s.RefCounts[t] > 0)
    return;
  if (t == htInput)
    RemoveInputFilter(s.Handles[t]);
  else
    RemoveWindowEventHandler(s.Handles[t]);
  s.Handles[t] = 0;
}

// The platform hooks the codes need, each once.
void ForEachType(THookProcCodes codes, void (*f)(THookType))
{
  bool need[htCount] = {false, false};
  for (int c = 0; c < 4; ++c)
    if (codes & HookCode(static_cast<THookProcCode>(c)))
      need[TypeOf(static_cast<THookProcCode>(c))] = true;
  for (int t = 0; t < htCount; ++t)
    if (need[t])
      f(static_cast<THookType>(t));
}

}   // namespace

void InstallHookProc(THookProc Proc, THookProcCodes Codes, bool OnlyIncrementCount)
{
  THookState& s = Hooks();
  bool found = false;
  for (THookEntry& e : s.Procs)
    if (e.Proc == Proc) {
      ++e.RefCount;
      Codes = e.Codes;
      found = true;
      break;
    }
  if (!found)
    s.Procs.push_back({Proc, 1, Codes});
  if (!OnlyIncrementCount)
    ForEachType(Codes, Install);
}

void UninstallHookProc(THookProc Proc)
{
  THookState& s = Hooks();
  for (auto it = s.Procs.begin(); it != s.Procs.end(); ++it)
    if (it->Proc == Proc) {
      THookProcCodes codes = it->Codes;
      if (--it->RefCount == 0)
        s.Procs.erase(it);
      ForEachType(codes, Release);
      return;
    }
}

int InstalledHookCount()
{
  THookState& s = Hooks();
  return (s.Handles[htWindowEvents] ? 1 : 0) + (s.Handles[htInput] ? 1 : 0);
}
