// Docked toolbars under a window manager, handled with the real pointer (xdotool through the
// X server): a double click on a docked toolbar's handle floats it in a window of its own,
// which the window manager then shows; a click on the handle without moving moves nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "tests/desktop/DesktopSupport.h"
#include "tests/platform/XInputSupport.h"
#include "tests/toolbar/DockedBars.h"
#include "toolbar/ThemedItems.h"

namespace {

using namespace dockedbars;

using namespace xinput;

// A window with a top dock holding two toolbars side by side in one row.
struct TTwoBars {
  TForm Form;
  TDock Top;
  TBar First, Second;
  TTwoBars()
  {
    Form.SetBounds(120, 140, 520, 300);
    Form.SetCaption("Two bars");
    Top.SetParent(&Form);
    Fill(First, "Tools", {"Open", "Save"});
    Fill(Second, "Shapes", {"Line", "Circle", "Square"});
    Form.Show();
  }
  void Fill(TBar& bar, const std::string& caption, const std::vector<std::string>& items)
  {
    bar.SetCaption(caption);
    bar.SetHideWhenInactive(false);
    // The themed bar leaves the double click off; a kit user turns it on.
    bar.SetDblClickUndock(true);
    for (const std::string& c : items) {
      auto i = std::make_unique<TTBXItem>();
      i->SetCaption(c);
      bar.Items()->Add(std::move(i));
    }
    bar.SetParent(&Form);
    bar.SetCurrentDock(&Top);
  }
  ~TTwoBars() { Form.Hide(); }
};

// The point on a docked bar's drag handle, left of its first button.
TPoint HandleOf(TControl& bar)
{
  TRect r = ScreenRectOf(bar);
  return {r.Left + 4, r.Top + r.Height() / 2};
}

bool SamePicture(const TBitmap& a, const TBitmap& b)
{
  if (a.Width() != b.Width() || a.Height() != b.Height())
    return false;
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x)
      if (a.GetPixel(x, y) != b.GetPixel(x, y))
        return false;
  return true;
}

void Park()
{
  TSize screen = GetScreenSize();
  X("mousemove " + std::to_string(screen.cx - 1) + " " + std::to_string(screen.cy - 1));
}

}   // namespace

// A double click as a hand gives it (press, release, press, release) on the handle of a
// docked toolbar floats it: the window manager shows its floating window, titled with the
// toolbar's caption, where the toolbar was.
TEST(DesktopToolbarDrag, ARealDoubleClickOnTheHandleFloatsADockedToolbar)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TTwoBars f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing() && f.Second.Showing(); }));
  PumpFor(300);
  ASSERT_EQ(f.Second.CurrentDock(), &f.Top);
  const TRect docked = ScreenRectOf(f.Second);
  X("mousemove " + At(HandleOf(f.Second)) + " click --repeat 2 --delay 90 1");
  EXPECT_TRUE(PumpUntil([&] { return f.Second.Floating(); }, 3000)) << "the double click did not float the toolbar";
  PumpFor(300);
  Park();
  // The X server has the floating window, on screen near where the bar was docked.
  const std::string shown = desktop::Output("xdotool search --onlyvisible --name '^Shapes$' 2>/dev/null");
  EXPECT_FALSE(shown.empty()) << "no floating window on the screen";
  ASSERT_NE(f.Second.FloatingWindowParent(), nullptr);
  const TRect floating = ScreenRectOf(*f.Second.FloatingWindowParent());
  EXPECT_LT(std::abs(floating.Left - docked.Left), 200);
  EXPECT_LT(std::abs(floating.Top - docked.Top), 200);
  EXPECT_EQ(f.First.CurrentDock(), &f.Top) << "the other bar stays docked";
  [[maybe_unused]] const int rc = std::system(
      ("import -window root '" + std::string(ORRELO_TEST_OUTPUT) + "/toolbar-double-click-floats.png' 2>/dev/null")
          .c_str());
}

// A press and a release on the handle of the first toolbar of a shared row, without moving
// between them, is a click: both bars stay where they were, and the screen shows the dock as
// before.
TEST(DesktopToolbarDrag, AClickOnTheHandleWithoutMotionMovesNothing)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TTwoBars f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing() && f.Second.Showing(); }));
  PumpFor(300);
  ASSERT_EQ(f.First.EffectiveDockRow(), f.Second.EffectiveDockRow()) << "the bars do not share a row";
  ASSERT_LT(f.First.Left(), f.Second.Left());
  const TRect first = f.First.BoundsRect(), second = f.Second.BoundsRect();
  TBitmap before;
  f.Top.CaptureScreen(before);
  ASSERT_FALSE(before.Empty());

  // One command: the press starts the drag's own loop, which must see the release.
  X("mousemove " + At(HandleOf(f.First)) + " mousedown 1 sleep 0.15 mouseup 1");
  PumpFor(400);
  Park();
  PumpFor(200);

  EXPECT_FALSE(f.First.DragMode());
  EXPECT_EQ(f.First.BoundsRect(), first);
  EXPECT_EQ(f.Second.BoundsRect(), second);
  EXPECT_LT(f.First.Left(), f.Second.Left()) << "the first bar went behind its neighbour";
  TBitmap after;
  f.Top.CaptureScreen(after);
  EXPECT_TRUE(SamePicture(before, after)) << "the dock shows something else after the click";
}
