// Docked toolbars under a window manager, handled with the real pointer (xdotool through the
// X server): a double click on a docked toolbar's handle floats it in a window of its own,
// which the window manager then shows with the kit's caption alone, above the toolbar's form
// and under other programs; a click on the handle without moving moves nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
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

// A window with a toolbar of eight numbered buttons floating above it, each counting its
// clicks; floated once the window shows, or before (as a program restoring its toolbars'
// places at start-up does).
struct TFloatingBar {
  TForm Form;
  TBar Bar;
  int Clicks[8] = {};
  explicit TFloatingBar(bool hideWhenInactive, bool floatBeforeShow = false)
  {
    Form.SetBounds(120, 140, 420, 300);
    Form.SetCaption("Floating bar");
    Bar.SetCaption("Eight");
    Bar.SetHideWhenInactive(hideWhenInactive);
    for (int n = 0; n < 8; ++n) {
      auto i = std::make_unique<TTBXItem>();
      i->SetCaption(std::to_string(n + 1));
      i->OnClick = [this, n](TObject*) { ++Clicks[n]; };
      Bar.Items()->Add(std::move(i));
    }
    Bar.SetParent(&Form);
    if (!floatBeforeShow)
      Form.Show();
    Bar.SetFloatingPosition({floatBeforeShow ? 300 : 600, 200});
    Bar.SetFloating(true);
    Form.Show();
  }
  ~TFloatingBar() { Form.Hide(); }
  // The floating window as the X server shows it, once it does ("" when it never does).
  static std::string Window(const desktop::TDesktop& desk)
  {
    PumpUntil([&] { return !desk.WindowsNamed("^Eight$").empty(); }, 5000);
    return desk.WaitWindow("^Eight$", 100);
  }
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
// manager's list, belongs to the form the toolbar floats for and is kept above that form, the
// form raised too, not above every program (another program's window activated over it stays
// on top). So for a toolbar floated by a double click, and for one floated before its form
// first showed.
TEST(DesktopToolbarDrag, AFloatingToolbarShowsTheKitsCaptionAloneAboveItsFormOnly)
{
  if (!Available() || std::system("command -v xmessage > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool or xmessage is not installed";
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  for (bool beforeShow : {false, true}) {
    SCOPED_TRACE(beforeShow ? "floated before its form first showed" : "floated by a double click");
    std::unique_ptr<TTwoBars> two;
    std::unique_ptr<TFloatingBar> one;
    TTBCustomDockableWindow* floated = nullptr;
    std::string bar, form;
    if (beforeShow) {
      one = std::make_unique<TFloatingBar>(false, true);
      floated = &one->Bar;
      bar = TFloatingBar::Window(desk);
      form = desk.WaitWindow("^Floating bar$", 5000);
    } else {
      two = std::make_unique<TTwoBars>();
      floated = &two->Second;
      ASSERT_TRUE(PumpUntil([&] { return two->Form.Showing() && two->Second.Showing(); }));
      PumpFor(300);
      X("mousemove " + At(HandleOf(two->Second)) + " click --repeat 2 --delay 90 1");
      ASSERT_TRUE(PumpUntil([&] { return floated->Floating(); }, 3000)) << "the double click did not float the toolbar";
      PumpFor(500);
      Park();
      bar = desk.WaitWindow("^Shapes$", 5000);
      form = desk.WaitWindow("^Two bars$", 5000);
    }
    ASSERT_FALSE(bar.empty()) << "no floating window on the screen";
    ASSERT_FALSE(form.empty());
    PumpFor(300);
    const desktop::TWindowPlace p = desk.Place(bar);
    EXPECT_EQ(p.FrameLeft, 0);
    EXPECT_EQ(p.FrameRight, 0);
    EXPECT_EQ(p.FrameTop, 0) << "the window manager's title bar stands above the kit's caption";
    EXPECT_EQ(p.FrameBottom, 0);
    const TRect floating = ScreenRectOf(*floated->FloatingWindowParent());
    EXPECT_EQ(p.X, floating.Left);
    EXPECT_EQ(p.Y, floating.Top) << "the kit's frame is the window's outer edge";
    const std::vector<std::string> managed = desk.Stacking();
    EXPECT_NE(std::find(managed.begin(), managed.end(), bar), managed.end()) << "the window manager does not manage it";
    EXPECT_EQ(desk.TransientFor(bar), form) << "it does not belong to its form";
    EXPECT_TRUE(desk.Above(bar, form));
    desk.Run("xdotool windowraise " + form);
    PumpFor(300);
    EXPECT_TRUE(desk.Above(bar, form)) << "the form raised stands over it";
    EXPECT_EQ(desk.NetState(bar).find("_NET_WM_STATE_ABOVE"), std::string::npos) << "kept above every program";
    desk.Screenshot(beforeShow ? "toolbar-floated-before-show.png" : "toolbar-floating-one-caption.png");

    TOtherProgram other("Another program", {floating.Left, floating.Top});
    const std::string theirs = desk.WaitWindow("^Another program$", 5000);
    ASSERT_FALSE(theirs.empty()) << "the other program's window never showed";
    desk.Run("xdotool windowactivate " + theirs);
    EXPECT_TRUE(PumpUntil([&] { return desk.Above(theirs, bar); }, 3000)) << "the toolbar stays above other programs";
    EXPECT_TRUE(desk.Above(bar, form));
  }
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

// The floating toolbar's bottom edge dragged down by the real pointer as far as one column
// goes: the window the X server shows holds all eight buttons, one under another, and a
// click on each runs it (as the same size reached from the right edge does).
TEST(DesktopToolbarDrag, AFloatingToolbarResizedFromItsBottomEdgeShowsEveryButton)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TFloatingBar f(false);
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  const std::string bar = TFloatingBar::Window(desk);
  ASSERT_FALSE(bar.empty()) << "no floating window on the screen";
  PumpFor(300);
  const desktop::TWindowPlace before = desk.Place(bar);
  ASSERT_GT(before.Width, before.Height) << "the bar does not start as one row";
  // Pressed on the frame's bottom edge, dragged far down, let go.
  const TPoint edge{before.X + before.Width / 2, before.Y + before.Height - 2};
  X("mousemove " + At(edge) + " mousedown 1 sleep 0.1 mousemove " + At({edge.X, edge.Y + 120}) + " sleep 0.1 mousemove "
    + At({edge.X, edge.Y + 500}) + " sleep 0.2 mouseup 1");
  desktop::TWindowPlace after;
  EXPECT_TRUE(PumpUntil(
      [&] {
        after = desk.Place(bar);
        return after.Height > 3 * before.Height;
      },
      5000))
      << "the drag did not make the window taller";
  PumpFor(400);
  Park();
  PumpFor(200);
  after = desk.Place(bar);
  desk.Screenshot("toolbar-floating-one-column.png");
  EXPECT_LT(after.Width, before.Width / 2) << "not narrowed to a column";
  for (int n = 0; n < 8; ++n) {
    TTBItemViewer* v = f.Bar.View()->Find(f.Bar.Items()->Items(n));
    ASSERT_TRUE(v->Show) << "button " << n + 1 << " is not shown";
    const TRect& r = v->BoundsRect;
    const TPoint c = f.Bar.ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    EXPECT_TRUE(after.X <= c.X && c.X < after.X + after.Width && after.Y <= c.Y && c.Y < after.Y + after.Height)
        << "button " << n + 1 << " lies outside the window the screen shows";
    X("mousemove " + At(c) + " click 1");
    PumpUntil([&] { return f.Clicks[n] > 0; }, 2000);
    EXPECT_EQ(f.Clicks[n], 1) << "button " << n + 1 << " cannot be clicked";
  }
  Park();
}

// A floating toolbar that hides while its program is inactive: another program's window
// activated takes it off the screen, and a click on its form brings it back.
TEST(DesktopToolbarDrag, AFloatingToolbarHidesWhileAnotherProgramIsActive)
{
  if (!Available() || std::system("command -v xmessage > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool or xmessage is not installed";
  TFloatingBar f(true);
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  const std::string form = desk.WaitWindow("^Floating bar$", 5000);
  ASSERT_FALSE(form.empty());
  desk.Run("xdotool windowactivate --sync " + form);
  ASSERT_TRUE(PumpUntil([&] { return !desk.WindowsNamed("^Eight$").empty(); }, 5000))
      << "the floating bar does not show while its form is active";

  TOtherProgram other("Another program", {40, 600});
  const std::string theirs = desk.WaitWindow("^Another program$", 5000);
  ASSERT_FALSE(theirs.empty()) << "the other program's window never showed";
  desk.Run("xdotool windowactivate --sync " + theirs);
  EXPECT_TRUE(PumpUntil([&] { return desk.WindowsNamed("^Eight$").empty(); }, 3000))
      << "the floating bar stays on the screen while another program is active";
  desk.Screenshot("toolbar-floating-hidden.png");

  const desktop::TWindowPlace p = desk.Place(form);
  desk.Click(p.X + p.Width / 2, p.Y + p.Height / 2);
  EXPECT_TRUE(PumpUntil([&] { return !desk.WindowsNamed("^Eight$").empty(); }, 3000))
      << "the floating bar does not come back with its form";
  Park();
}
