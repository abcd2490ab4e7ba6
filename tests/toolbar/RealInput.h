// Input through the X server's test extension, as xdotool sends it: the events
// reach the program by the same road as a user's hand on the mouse, grabs and
// all. Tests ask Available() first and skip where there is no X display with
// the extension.
#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/Application.h"

#include "platform/Types.h"

namespace realinput {

class TXInput {
public:
  TXInput();
  ~TXInput();
  TXInput(const TXInput&) = delete;
  TXInput& operator=(const TXInput&) = delete;
  bool Available() const { return FDisplay != nullptr; }

  void MoveTo(TPoint p);
  void Press(unsigned button = 1);
  void Release(unsigned button = 1);
  // A key pressed and let go, by its X key symbol name ("Escape", "a").
  void Key(const char* keysym);

private:
  void* FDisplay = nullptr;
};

// Steps run one after another from a timer, whichever loop is running then (a drag's or a
// menu's own loop once a press has started it): the X server delivers each step's input
// before the next runs. A step made with a condition waits, tick after tick, until what it
// reads has come about (the caller bounds the whole run, as with WaitUntil on Done()).
class TTimedSteps {
public:
  struct TStep {
    template <class F>
    requires std::is_invocable_r_v<void, F&> TStep(F act)
        : Act(std::move(act))   // NOLINT(google-explicit-constructor): a list of plain steps
    {}
    TStep(std::function<bool()> ready, std::function<void()> act) : Ready(std::move(ready)), Act(std::move(act)) {}
    std::function<bool()> Ready;
    std::function<void()> Act;
  };
  explicit TTimedSteps(std::vector<TStep> steps, Cardinal intervalMs = 150) : FSteps(std::move(steps))
  {
    FTimer.SetInterval(intervalMs);
    FTimer.SetOnTimer([this](TObject*) {
      if (FNext < FSteps.size() && (!FSteps[FNext].Ready || FSteps[FNext].Ready()))
        FSteps[FNext++].Act();
    });
  }
  bool Done() const { return FNext >= FSteps.size(); }

private:
  std::vector<TStep> FSteps;
  size_t FNext = 0;
  TTimer FTimer;
};

// The whole screen as the X server shows it, into the test output folder.
void Screenshot(const std::string& name);

}   // namespace realinput
