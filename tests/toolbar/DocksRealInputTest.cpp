// Dragging a toolbar with the real pointer: presses, moves and releases come
// from the X server (its test extension), so the grab the press starts, the
// window that appears under the pointer and the order in which the server
// reports things are a user's.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/Forms.h"
#include "tests/TestWait.h"
#include "tests/toolbar/RealInput.h"
#include "tests/toolbar/DockedBars.h"
#include "toolbar/ThemedItems.h"

using testwait::WaitUntil;

namespace {

using namespace dockedbars;

struct TDockedBar {
  TForm Form;
  TDock Top, Bottom;
  TBar Bar;
  TDockedBar()
  {
    Form.SetBounds(100, 100, 500, 320);
    Form.SetCaption("Docks");
    Top.SetParent(&Form);
    Bottom.SetPosition(dpBottom);
    Bottom.SetFixAlign(true);
    Bottom.SetParent(&Form);
    Bar.SetCaption("Tools");
    Bar.SetHideWhenInactive(false);
    for (const char* c : {"Open", "Save", "Print"}) {
      auto i = std::make_unique<TTBXItem>();
      i->SetCaption(c);
      Bar.Items()->Add(std::move(i));
    }
    Bar.SetParent(&Form);
    Bar.SetCurrentDock(&Top);
    Form.Show();
  }
  ~TDockedBar() { Form.Hide(); }
};

// The bar floats in a window that holds the point.
bool HoldsPointer(TDockedBar& f, TPoint p)
{
  TWinControl* w = f.Bar.FloatingWindowParent();
  if (!w)
    return false;
  const TRect r = ScreenRectOf(*w);
  return r.Left <= p.X && p.X < r.Right && r.Top <= p.Y && p.Y < r.Bottom;
}

}   // namespace

TEST(DocksRealInput, ToolbarFollowsThePointerFromTopDockToFloatingToBottomDock)
{
  realinput::TXInput x;
  if (!x.Available())
    GTEST_SKIP() << "no X display with the test extension";
  TDockedBar f;
  ASSERT_TRUE(WaitUntil([&] { return f.Form.Showing() && f.Bar.Showing(); }, 3000));
  WaitUntil([] { return false; }, 300);
  ASSERT_EQ(f.Bar.CurrentDock(), &f.Top);

  // The grab point: on the drag handle, left of the first button.
  TRect start = ScreenRectOf(f.Bar);
  TPoint grab{start.Left + 4, start.Top + start.Height() / 2};
  TPoint middle = f.Form.ClientToScreen({220, 130});
  TPoint further = f.Form.ClientToScreen({300, 170});
  TPoint bottom = f.Bottom.ClientToScreen({150, 0});
  TPoint away = f.Form.ClientToScreen({450, 60});

  std::vector<TRect> floatingAt;
  std::vector<TPoint> pointerAt;
  bool floatedMid = false, floatedFurther = false;
  // A reading waits for the floating window to have come to the pointer (a loaded machine
  // may take more than a tick; a window that does not follow ends the run), then moves on.
  auto reading = [&](TPoint at, bool& floated, const char* shot, TPoint next) {
    return realinput::TTimedSteps::TStep{[&f, at] { return HoldsPointer(f, at); },
                                         [&f, &x, &floatingAt, &pointerAt, &floated, at, shot, next] {
                                           floated = f.Bar.Floating();
                                           floatingAt.push_back(ScreenRectOf(*f.Bar.FloatingWindowParent()));
                                           pointerAt.push_back(at);
                                           realinput::Screenshot(shot);
                                           x.MoveTo(next);
                                         }};
  };
  realinput::TTimedSteps steps({
      [&] { x.MoveTo(grab); },
      [&] { x.Press(); },
      [&] {
        x.MoveTo({grab.X + 20, grab.Y + 30});
      },
      [&] { x.MoveTo(middle); },
      reading(middle, floatedMid, "dock-drag-1-floating.png", further),
      reading(further, floatedFurther, "dock-drag-2-following.png", {bottom.X, bottom.Y - 4}),
      [&] { x.MoveTo(bottom); },
      [&] { x.Release(); },
      [&] { x.MoveTo(away); },
      [&] { x.Key("a"); },
      [&] {},
  });
  ASSERT_TRUE(WaitUntil([&] { return steps.Done() && !f.Bar.DragMode(); }, 10000));
  WaitUntil([] { return false; }, 300);
  realinput::Screenshot("dock-drag-3-bottom.png");

  EXPECT_TRUE(floatedMid);
  EXPECT_TRUE(floatedFurther);
  ASSERT_EQ(floatingAt.size(), 2u);
  // The floating window keeps the grab point under the pointer: it moved as far
  // as the pointer did, and holds the pointer both times.
  EXPECT_EQ(floatingAt[1].Left - floatingAt[0].Left, further.X - middle.X);
  EXPECT_EQ(floatingAt[1].Top - floatingAt[0].Top, further.Y - middle.Y);
  for (size_t i = 0; i < floatingAt.size(); ++i) {
    EXPECT_TRUE(floatingAt[i].Left <= pointerAt[i].X && pointerAt[i].X < floatingAt[i].Right);
    EXPECT_TRUE(floatingAt[i].Top <= pointerAt[i].Y && pointerAt[i].Y < floatingAt[i].Bottom);
  }
  // Released over the bottom dock: it stays there after the pointer moves on
  // and a key goes.
  EXPECT_EQ(f.Bar.CurrentDock(), &f.Bottom);
  EXPECT_FALSE(f.Bar.Floating());
  EXPECT_GT(f.Bottom.Height(), 1);
  EXPECT_EQ(f.Top.Height(), 0);
  TRect end = ScreenRectOf(f.Bar);
  TRect dock = ScreenRectOf(f.Bottom);
  EXPECT_TRUE(dock.Top <= end.Top && end.Bottom <= dock.Bottom);

  // The real pointer goes out of the way of the windows of the tests that
  // follow.
  TSize screen = GetScreenSize();
  x.MoveTo({screen.cx - 1, screen.cy - 1});
}
