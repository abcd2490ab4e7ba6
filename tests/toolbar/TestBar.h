// Test fixtures of the toolbar tests: a plain bar window for the core view (the themed
// toolbar comes later), item makers, and a script that drives input from a timer while a
// menu loop runs.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/HTMLStreams.h"
#include "html/PNGImage.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "tests/TestWait.h"
#include "toolbar/Items.h"

namespace tbtest {

inline std::unique_ptr<TTBCustomItem> Item(const std::string& caption, TTBItemStyle extra = 0)
{
  auto i = std::make_unique<TTBCustomItem>();
  i->SetCaption(caption);
  i->SetItemStyle(i->ItemStyle() | extra);
  return i;
}

inline TTBCustomItem* AddSep(TTBCustomItem* parent) { return parent->Add(std::make_unique<TTBSeparatorItem>()); }

// A bar that starts the menu loop when a button is pressed, as a toolbar does.
class TTestBar : public TCustomControl {
public:
  explicit TTestBar(TTBCustomItem* root, bool usePriorityList = false)
  {
    View = std::make_unique<TTBView>(nullptr, root, this, true, false, usePriorityList);
  }
  ~TTestBar() override
  {
    View.reset();
    DestroyHandle();
  }
  std::unique_ptr<TTBView> View;
  int Presses = 0;

protected:
  void Paint() override { View->DrawSubitems(Canvas()); }
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override
  {
    ++Presses;
    if (button != mbLeft)
      return;
    if (TTBItemViewer* v = View->ViewerFromPoint({x, y})) {
      View->Select(v, true);
      View->EnterToolbarLoop(tbetMouseDown);
    }
  }
};

// A bar on a shown form, at the form's top left.
struct TBarOnForm {
  TBarOnForm(TTBCustomItem* root, TRect formBounds, TSize barSize) : Bar(root)
  {
    Form.SetBounds(formBounds.Left, formBounds.Top, formBounds.Width(), formBounds.Height());
    Bar.SetParent(&Form);
    Bar.SetBounds(0, 0, barSize.cx, barSize.cy);
    Form.Show();
  }
  ~TBarOnForm() { Form.Hide(); }
  TForm Form;
  TTestBar Bar;
};

// Writes a picture to the test output folder, to be looked at.
inline void SavePng(const TBitmap& picture, const std::string& name)
{
  TPNGImage png;
  static_cast<TBitmap&>(png) = picture;
  TByteStream out;
  png.SaveToStream(out);
  WriteFileBytes(std::string(ORRELO_TEST_OUTPUT) + "/" + name, out.Bytes());
}

// Rests the pointer where no test window lies. Simulated input leaves the pointer where it
// went last, and a menu loop takes the item under a resting pointer as hovered: a test
// that leaves it over the place where the next test's bar shows decides that test's
// selection.
inline void ParkPointer() { SetCursorPos({1270, 1015}); }

// The centre of a viewer in screen coordinates.
inline TPoint ScreenCentre(TTBItemViewer* v)
{
  const TRect& r = v->BoundsRect;
  return v->View()->Window()->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

// Runs f once from the message loop, so a step of a script can start a nested loop
// without holding the script up.
class TLater {
public:
  void Run(std::function<void()> f)
  {
    FFunc = std::move(f);
    FTimer.SetInterval(1);
    FTimer.SetOnTimer([this](TObject*) {
      FTimer.SetEnabled(false);
      FFunc();
    });
    FTimer.SetEnabled(true);
  }

private:
  std::function<void()> FFunc;
  TTimer FTimer;
};

// Steps run one after the other from a timer, so they can act while a nested loop runs.
// A step returns true when done; a step still waiting after its time-out fails the test
// and the script gives up (Abort runs, which should end whatever loop is running). After
// the last step the loop must end by itself within a grace time (Running tells). A loop
// that Abort does not end either within 2 s is ended by telling the application to quit.
// While it runs, the script names its current step as what the test waits for.
class TScript {
public:
  using TStep = std::function<bool()>;
  void Do(std::function<void()> f)
  {
    FSteps.push_back({[f] {
                        f();
                        return true;
                      },
                      0, "do"});
  }
  void WaitFor(std::function<bool()> cond, const std::string& what, Cardinal timeoutMs = 3000)
  {
    FSteps.push_back({std::move(cond), timeoutMs, what});
  }
  void Sleep(Cardinal ms)
  {
    FSteps.push_back({[this, ms] { return GetTickCount() - FStepStart >= ms; }, ms + 1000, "sleep"});
  }
  std::function<void()> Abort;
  std::function<bool()> Running;
  void Start()
  {
    FStepStart = GetTickCount();
    FWaiting = std::make_unique<testwait::TWaiting>(Describe());
    FTimer.SetInterval(5);
    FTimer.SetOnTimer([this](TObject*) { Tick(); });
    FTimer.SetEnabled(true);
  }
  bool Finished() const { return FNext >= FSteps.size(); }

private:
  struct TEntry {
    TStep Step;
    Cardinal TimeoutMs;
    std::string What;
  };
  std::string Describe() const
  {
    if (FNext < FSteps.size())
      return "script step " + std::to_string(FNext + 1) + " of " + std::to_string(FSteps.size()) + ": "
             + FSteps[FNext].What;
    return "the loop to end after the script";
  }
  void GiveUp(const std::string& why)
  {
    ADD_FAILURE() << why;
    FNext = FSteps.size();
    FAborted = true;
    FAbortTime = GetTickCount();
    if (Abort)
      Abort();
  }
  void Stop()
  {
    FTimer.SetEnabled(false);
    FWaiting.reset();
  }
  void Tick()
  {
    if (FBusy)
      return;
    FBusy = true;
    bool running = Running && Running();
    if (FAborted) {
      // Abort should have ended the loop; if it has not, every nested loop is ended.
      if (!running) {
        Stop();
      } else if (GetTickCount() - FAbortTime > 2000) {
        ADD_FAILURE() << "the loop did not end when the script gave up; quitting the application's loops";
        Stop();
        Application->Terminate();
      }
      FBusy = false;
      return;
    }
    while (FNext < FSteps.size()) {
      TEntry& e = FSteps[FNext];
      if (e.Step()) {
        ++FNext;
        FStepStart = GetTickCount();
        if (FWaiting)
          FWaiting->Set(Describe());
        continue;
      }
      if (GetTickCount() - FStepStart > e.TimeoutMs)
        GiveUp("script step timed out: " + e.What);
      break;
    }
    running = Running && Running();
    if (!FAborted && FNext >= FSteps.size()) {
      if (!running)
        Stop();
      else if (GetTickCount() - FStepStart > 3000)
        GiveUp("the loop did not end after the script");
    }
    FBusy = false;
  }
  std::vector<TEntry> FSteps;
  size_t FNext = 0;
  Cardinal FStepStart = 0, FAbortTime = 0;
  bool FBusy = false, FAborted = false;
  std::unique_ptr<testwait::TWaiting> FWaiting;
  TTimer FTimer;
};

}   // namespace tbtest
