// Docked toolbars under a window manager, handled with the real pointer (xdotool through the
// X server): a double click on a docked toolbar's handle floats it in a window of its own,
// which the window manager then shows with the kit's caption alone, above the toolbar's form
// and under other programs; a click on the handle without moving moves nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// Another program's window on this display, ended with the object.
class TOtherProgram {
public:
  TOtherProgram(const std::string& title, TPoint at)
  {
    FPid = fork();
    if (FPid == 0) {
      const std::string geometry = "+" + std::to_string(at.X) + "+" + std::to_string(at.Y);
      execlp("xmessage", "xmessage", "-title", title.c_str(), "-geometry", geometry.c_str(), "another program's window",
             static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TOtherProgram()
  {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      waitpid(FPid, nullptr, 0);
    }
  }
  TOtherProgram(const TOtherProgram&) = delete;
  TOtherProgram& operator=(const TOtherProgram&) = delete;

private:
  pid_t FPid = -1;
};

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

// The floating window shows one caption, the kit's own: the window manager draws no frame
// round it (no second title bar above the kit's), yet manages it: it stands in the window
// manager's list, belongs to the form the toolbar floats for and is kept above that form,
// not above every program (another program's window activated over it stays on top).
TEST(DesktopToolbarDrag, AFloatingToolbarShowsTheKitsCaptionAloneAboveItsFormOnly)
{
  if (!Available() || std::system("command -v xmessage > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool or xmessage is not installed";
  TTwoBars f;
  ASSERT_TRUE(PumpUntil([&] { return f.Form.Showing() && f.Second.Showing(); }));
  PumpFor(300);
  X("mousemove " + At(HandleOf(f.Second)) + " click --repeat 2 --delay 90 1");
  ASSERT_TRUE(PumpUntil([&] { return f.Second.Floating(); }, 3000)) << "the double click did not float the toolbar";
  PumpFor(500);
  Park();
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  const std::string bar = desk.WaitWindow("^Shapes$", 5000), form = desk.WaitWindow("^Two bars$", 5000);
  ASSERT_FALSE(bar.empty()) << "no floating window on the screen";
  ASSERT_FALSE(form.empty());
  PumpFor(300);
  const desktop::TWindowPlace p = desk.Place(bar);
  EXPECT_EQ(p.FrameLeft, 0);
  EXPECT_EQ(p.FrameRight, 0);
  EXPECT_EQ(p.FrameTop, 0) << "the window manager's title bar stands above the kit's caption";
  EXPECT_EQ(p.FrameBottom, 0);
  const TRect floating = ScreenRectOf(*f.Second.FloatingWindowParent());
  EXPECT_EQ(p.X, floating.Left);
  EXPECT_EQ(p.Y, floating.Top) << "the kit's frame is the window's outer edge";
  const std::vector<std::string> managed = desk.Stacking();
  EXPECT_NE(std::find(managed.begin(), managed.end(), bar), managed.end()) << "the window manager does not manage it";
  EXPECT_EQ(desk.TransientFor(bar), form) << "it does not belong to its form";
  EXPECT_TRUE(desk.Above(bar, form));
  EXPECT_EQ(desk.NetState(bar).find("_NET_WM_STATE_ABOVE"), std::string::npos) << "kept above every program";
  desk.Screenshot("toolbar-floating-one-caption.png");

  TOtherProgram other("Another program", {floating.Left, floating.Top});
  const std::string theirs = desk.WaitWindow("^Another program$", 5000);
  ASSERT_FALSE(theirs.empty()) << "the other program's window never showed";
  desk.Run("xdotool windowactivate " + theirs);
  EXPECT_TRUE(PumpUntil([&] { return desk.Above(theirs, bar); }, 3000)) << "the toolbar stays above other programs";
  EXPECT_TRUE(desk.Above(bar, form));
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
