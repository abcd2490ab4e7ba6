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
#include "toolbar/TB2Item.h"

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

// Writes a picture to the test output folder, to be looked at.
inline void SavePng(const TBitmap& picture, const std::string& name)
{
  TPNGImage png;
  static_cast<TBitmap&>(png) = picture;
  TByteStream out;
  png.SaveToStream(out);
  WriteFileBytes(std::string(ORRELO_TEST_OUTPUT) + "/" + name, out.Bytes());
}

// The centre of a viewer in screen coordinates.
inline TPoint ScreenCentre(TTBItemViewer* v)
{
  const TRect& r = v->BoundsRect;
  return v->View()->Window()->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
}

// Steps run one after the other from a timer, so they can act while a nested loop runs.
// A step returns true when done; a step still waiting after its time-out fails the test
// and the script gives up (Abort runs, which should end whatever loop is running). After
// the last step the loop must end by itself within a grace time (Running tells).
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
  void Tick()
  {
    if (FBusy)
      return;
    FBusy = true;
    while (FNext < FSteps.size()) {
      TEntry& e = FSteps[FNext];
      if (e.Step()) {
        ++FNext;
        FStepStart = GetTickCount();
        continue;
      }
      if (GetTickCount() - FStepStart > e.TimeoutMs) {
        ADD_FAILURE() << "script step timed out: " << e.What;
        FNext = FSteps.size();
        if (Abort)
          Abort();
      }
      break;
    }
    if (FNext >= FSteps.size() && (!Running || !Running()))
      FTimer.SetEnabled(false);
    else if (FNext >= FSteps.size() && GetTickCount() - FStepStart > 3000) {
      ADD_FAILURE() << "the loop did not end after the script";
      FTimer.SetEnabled(false);
      if (Abort)
        Abort();
    }
    FBusy = false;
  }
  std::vector<TEntry> FSteps;
  size_t FNext = 0;
  Cardinal FStepStart = 0;
  bool FBusy = false;
  TTimer FTimer;
};

}  // namespace tbtest
