// The program on an 800 by 600 desktop, as a user meets it there, one program run shared by
// the cases in order: its splash while it starts, its main window framed on the screen, a
// topic's control row whole in the narrow model pane, and the windows it opens (the save
// dialog, the enlarged picture, the test window) kept above the main window.
#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/desktop/DesktopSupport.h"
#include "tests/desktop/ScreenReadBack.h"

namespace {

using desktop::TPixels;
using desktop::TWindowPlace;

// What was seen of the splash window while the program started.
struct TSplashSeen {
  bool Seen = false;
  TWindowPlace First;   // its place and frame when first seen on the screen
  bool PictureShown = false;
  bool FirstFramePicture = false;   // its picture was on the screen when it was first seen mapped
  bool BelowOther = false;          // ever stacked under another program's window activated meanwhile
  bool KeptAbove = false;           // it asks the window manager to keep it above all (_NET_WM_STATE_ABOVE)
  bool BelowMain = false;           // ever stacked under the main window while both showed
  bool Transient = false;           // it belongs to a window of the program (WM_TRANSIENT_FOR)
};

class SmallScreen : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    Desk = std::make_unique<desktop::TDesktop>("800x600");
    if (!Desk->Running())
      return;
    X = std::make_unique<desktop::TXConnection>(Desk->Display());
    Picture = desktop::PictureFile(desktop::BinFolder() + "/HTML/images/Splash_B.jpg");
    // Another program, where the splash will show, activated the moment the splash shows.
    Other = std::make_unique<desktop::TOtherProgram>(*Desk, "Another program", 300, 250);
    OtherWindow = Desk->WaitWindow("^Another program$");
    Program = std::make_unique<desktop::TProgram>(*Desk);
    WatchStartUp();
    Other.reset();
    Main = Desk->WaitFramedWindow("^Orrelo$");
    if (Main.empty())
      Desk->Screenshot("small-screen-no-main-window.png");
  }
  static void TearDownTestSuite()
  {
    Program.reset();
    X.reset();
    Desk.reset();
  }
  void SetUp() override
  {
    ASSERT_TRUE(Desk && Desk->Running());
    ASSERT_TRUE(Program->Running()) << "the program ended";
    ASSERT_FALSE(Main.empty()) << "the main window never showed";
  }

  // Follows the program's windows as it starts, from its own connection to the display
  // (the splash lives for a fraction of a second): the first window of the program is the
  // splash, any later one the main window.
  static void WatchStartUp()
  {
    unsigned long splash = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
      bool splashShows = false, mainShows = false;
      int splashAt = -1, mainAt = -1, otherAt = -1, at = 0;
      TWindowPlace splashPlace;
      for (const desktop::TManagedWindow& w : X->ManagedWindows()) {
        ++at;
        if (Other && w.Pid == Other->Pid() && w.Viewable)
          otherAt = at;
        if (w.Pid != Program->Pid() || !w.Viewable)
          continue;
        if (!splash) {
          splash = w.Id;
          Splash.Seen = true;
          Splash.First = w.Place;
          Splash.FirstFramePicture =
              desktop::MeanDifference(X->Grab(w.Place.X, w.Place.Y, w.Place.Width, w.Place.Height), Picture) < 12;
          Splash.PictureShown = Splash.FirstFramePicture;
          if (!OtherWindow.empty())
            Desk->Run("xdotool windowactivate " + OtherWindow);
        }
        if (w.Id == splash) {
          // Read from this connection while it shows (it may be gone before a tool of its own
          // could read it), and on every look: the window manager writes the state list again
          // as it takes the window on, and a read at that moment may find it without its entries.
          Splash.KeptAbove = Splash.KeptAbove || w.KeptAbove;
          Splash.Transient = Splash.Transient || w.Transient;
          splashShows = true;
          splashAt = at;
          splashPlace = w.Place;
        } else {
          mainShows = true;
          mainAt = at;
        }
      }
      if (splashShows && mainShows && mainAt > splashAt)
        Splash.BelowMain = true;
      if (splashShows && otherAt > splashAt)
        Splash.BelowOther = true;
      if (splashShows && !Splash.PictureShown && splashPlace.Width == Picture.Width
          && splashPlace.Height == Picture.Height)
        Splash.PictureShown =
            desktop::MeanDifference(X->Grab(splashPlace.X, splashPlace.Y, splashPlace.Width, splashPlace.Height),
                                    Picture)
            < 12;
      if (splash && !splashShows && mainShows)
        return;
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
    }
  }

  // The model pane's 3D view: the program's window that the window manager does not manage
  // (a child window of the main window), read from the display server.
  static TWindowPlace ModelView()
  {
    std::vector<desktop::TManagedWindow> managed = X->ManagedWindows();
    std::istringstream ids(Desk->Run("xdotool search --onlyvisible --class '^orrelo$'"));
    for (std::string id; ids >> id;) {
      const unsigned long number = std::strtoul(id.c_str(), nullptr, 10);
      if (std::any_of(managed.begin(), managed.end(), [&](const auto& w) { return w.Id == number; }))
        continue;
      TWindowPlace p = Desk->Place(id);
      if (p.Width > 100)
        return p;
    }
    return {};
  }
  // Once the model shows, the ink width of its marker box's caption in the strip of the
  // control pages just above the 3D view: from the box's white square (the rightmost white
  // block of the strip) to the last dark pixel, on the square's rows, before a wide gap; -1
  // without a box. *clear is set to whether the caption ends clear of the pane's right edge.
  static int MarkerCaptionWidth(const char* shot, bool* clear = nullptr)
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    TWindowPlace view;
    if (!desktop::WaitFor([&] {
          view = ModelView();
          return view.Width > 0;
        }))
      return -1;
    Desk->Screenshot(shot);
    TPixels row = X->Grab(view.X, view.Y - 30, view.Width, 28);
    // The rows of the column's longest white run, when it is a square's side.
    auto whiteRun = [&](int x, int& top, int& bottom) {
      for (int y = 0, run = 0; y < row.Height; ++y)
        if ((run = row.Luminance(x, y) >= 245 ? run + 1 : 0) >= 9) {
          top = y - run + 1;
          while (y + 1 < row.Height && row.Luminance(x, y + 1) >= 245)
            ++y;
          bottom = y;
          return true;
        }
      return false;
    };
    int squareRight = -1, top = 0, bottom = 0;
    for (int x = row.Width - 1; x >= 0 && squareRight < 0; --x)
      if (whiteRun(x, top, bottom)) {
        int left = x, t = 0, b = 0;
        while (left > 0 && whiteRun(left - 1, t, b))
          --left;
        if (x - left + 1 >= 8 && x - left + 1 <= 14)
          squareRight = x;
        else
          x = left;
      }
    if (squareRight < 0)
      return -1;
    int last = -1;
    for (int x = squareRight + 1, gap = 0; x < row.Width && gap < 14; ++x) {
      bool ink = false;
      for (int y = std::max(0, top - 3); y <= std::min(row.Height - 1, bottom + 3); ++y)
        ink = ink || row.Luminance(x, y) < 90;
      gap = ink ? 0 : gap + 1;
      if (ink)
        last = x;
    }
    if (clear)
      *clear = last >= 0 && last < row.Width - 4;
    return last < 0 ? -1 : last - squareRight;
  }
  // A click at a point of the main window's client area.
  static void ClickMain(int x, int y)
  {
    TWindowPlace m = Desk->Place(Main);
    Desk->Click(m.X + x, m.Y + y);
  }
  // The one visible window with that title, other than the main window.
  static std::string Opened(const std::string& title) { return Desk->WaitWindow(title, 20000); }

  static std::unique_ptr<desktop::TDesktop> Desk;
  static std::unique_ptr<desktop::TXConnection> X;
  static std::unique_ptr<desktop::TProgram> Program;
  static std::string Main;
  static TPixels Picture;
  static TSplashSeen Splash;
  static std::unique_ptr<desktop::TOtherProgram> Other;
  static std::string OtherWindow;
};

std::unique_ptr<desktop::TDesktop> SmallScreen::Desk;
std::unique_ptr<desktop::TXConnection> SmallScreen::X;
std::unique_ptr<desktop::TProgram> SmallScreen::Program;
std::string SmallScreen::Main;
TPixels SmallScreen::Picture;
TSplashSeen SmallScreen::Splash;
std::unique_ptr<desktop::TOtherProgram> SmallScreen::Other;
std::string SmallScreen::OtherWindow;

// Its first mapped frame already holds its picture, and another program activated the moment
// it shows stays under it.
TEST_F(SmallScreen, TheSplashShowsItsPictureBorderlessCentredAndAboveTheMainWindow)
{
  ASSERT_EQ(Picture.Width, 480) << "the splash picture could not be read";
  ASSERT_TRUE(Splash.Seen) << "no splash window showed";
  // Its first showing is already the picture's size, centred, with no frame round it.
  EXPECT_EQ(Splash.First.Width, 480);
  EXPECT_EQ(Splash.First.Height, 300);
  EXPECT_EQ(Splash.First.X, (800 - 480) / 2);
  EXPECT_EQ(Splash.First.Y, (600 - 300) / 2);
  EXPECT_EQ(Splash.First.FrameTop + Splash.First.FrameLeft + Splash.First.FrameRight + Splash.First.FrameBottom, 0);
  EXPECT_TRUE(Splash.PictureShown) << "the splash never showed its picture on the screen";
  EXPECT_TRUE(Splash.FirstFramePicture) << "the splash was mapped before its picture was on the screen";
  EXPECT_TRUE(Splash.KeptAbove) << "the splash does not ask to be kept above other programs";
  EXPECT_FALSE(Splash.BelowOther) << "a program activated as the splash showed covered it";
  EXPECT_TRUE(Splash.Transient) << "nothing keeps the splash above the program's windows";
  EXPECT_FALSE(Splash.BelowMain) << "the main window covered the splash";
}

TEST_F(SmallScreen, TheMainWindowsFrameFillsTheWorkArea)
{
  desktop::ExpectFrameCovers(Desk->Place(Main), Desk->WorkArea());
}

TEST_F(SmallScreen, TheWestonPagesMarkerBoxIsWholeInTheModelPane)
{
  // The chain drive's page has room for its "Show markers": the caption's width there is
  // the whole caption's. (The index: "Sprockets and chain", then "Sprocket and chain".)
  ClickMain(497, 338);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(518, 344);
  const int whole = MarkerCaptionWidth("small-screen-chain.png");
  ASSERT_GT(whole, 40) << "no marker box on the chain drive's page";
  // "home", "Lifting systems", "Weston differential pulley": the same caption, as wide.
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 24, 38);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(481, 417);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(535, 403);
  EXPECT_EQ(MarkerCaptionWidth("small-screen-weston.png"), whole) << "the caption is cut off at the pane's edge";
}

// The belt and cam pages have more controls than the pane's row holds beside their marker
// boxes: each box takes a row of its own below them, caption and all, clear of the pane's
// edge (the same caption, "Show markers", shows as wide on both pages).
TEST_F(SmallScreen, TheBeltAndCamPagesMarkerBoxesAreWholeInTheModelPane)
{
  // "home"; the open "Sprockets and chain" leaves "Pulley systems" where it shows; its
  // "Pulley belts".
  const int home = Desk->WorkArea().Width / 2 - 10 + 24;
  ClickMain(home, 38);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(482, 299);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(497, 355);
  bool beltClear = false, camClear = false;
  const int belt = MarkerCaptionWidth("small-screen-belt.png", &beltClear);
  ASSERT_GT(belt, 40) << "no whole marker box on the belt page";
  EXPECT_TRUE(beltClear) << "the belt page's caption runs to the pane's edge";
  // "home"; with "Pulley systems" open, "Cams and followers" stands below its four topics;
  // then its first topic.
  ClickMain(home, 38);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(497, 511);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(515, 392);
  EXPECT_EQ(MarkerCaptionWidth("small-screen-cam.png", &camClear), belt) << "the cam page's caption is cut";
  EXPECT_TRUE(camClear) << "the cam page's caption runs to the pane's edge";
}

TEST_F(SmallScreen, TheSaveDialogBelongsToTheMainWindowAndNamesItsFilterOnce)
{
  // Edit > "Copy mechanism to file..".
  ClickMain(41, 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Desk->Keys("Down Down Return");
  std::string dialog = Opened("^Copy the mechanism picture to a file$");
  ASSERT_FALSE(dialog.empty());
  EXPECT_EQ(Desk->TransientFor(dialog), Main);
  ClickMain(600, 400);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_TRUE(Desk->Above(dialog, Main)) << "the save dialog fell behind the main window";

  // The filter's text against the same text typed into the name box: the two rows of the
  // dialog's foot show it equally wide, unless the filter names its pattern twice.
  TWindowPlace d = Desk->Place(dialog);
  // Back to the dialog by its title bar, and into its "File name" box by its Alt key.
  Desk->Click(d.X + d.Width / 2, d.Y - d.FrameTop / 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Desk->Keys("alt+n");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  TPixels before = X->Grab(d.X, d.Y, d.Width, d.Height);
  Desk->Type("pictures files (*.jpg)");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  TPixels after = X->Grab(d.X, d.Y, d.Width, d.Height);
  Desk->Screenshot("small-screen-save-dialog.png");
  // What the typing changed on the left half: the name box's text.
  int x0 = d.Width, x1 = -1, y0 = d.Height, y1 = -1;
  for (int y = 0; y < d.Height; ++y)
    for (int x = 0; x < d.Width / 2; ++x)
      if (std::abs(before.Luminance(x, y) - after.Luminance(x, y)) > 60) {
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
  ASSERT_GT(x1, x0) << "the typing showed nowhere";
  const int typedWidth = x1 - x0;
  // The filter row below it: where the same first words stand in the same font (the
  // rows of the typed text's first half, matched pixel for pixel against the rows below,
  // shifted by a few pixels either way), its ink up to the first wide gap.
  const int h = y1 - y0 + 1, half = typedWidth / 2;
  auto ink = [&](int x, int y) { return after.Luminance(x, y) < 90; };
  int bestTop = -1, bestShift = 0, bestMiss = h * half;
  for (int top = y1 + 2; top + h < d.Height; ++top)
    for (int shift = -4; shift <= 4; ++shift) {
      int miss = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < half; ++x)
          miss += ink(x0 + x, y0 + y) != ink(x0 + shift + x, top + y);
      if (miss < bestMiss)
        bestTop = top, bestShift = shift, bestMiss = miss;
    }
  ASSERT_GE(bestTop, 0);
  EXPECT_LT(bestMiss, h * half / 20) << "no row below shows the same first words";
  int last = -1;
  for (int x = x0 + bestShift, gap = 0; x < d.Width && gap < 14; ++x) {
    bool any = false;
    for (int y = bestTop; y < bestTop + h; ++y)
      any = any || ink(x, y);
    gap = any ? 0 : gap + 1;
    if (any)
      last = x;
  }
  const int filterWidth = last - (x0 + bestShift);
  EXPECT_NEAR(filterWidth, typedWidth, 5) << "the filter's text is not \"pictures files (*.jpg)\"";
  Desk->Keys("Escape");
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Copy the mechanism").empty(); }));
}

TEST_F(SmallScreen, TheEnlargedPictureBelongsToTheMainWindow)
{
  // The page's picture (the cam page's, where the cases before left it) is a link to its
  // enlargement.
  ClickMain(647, 210);
  unsigned long big = 0;
  ASSERT_TRUE(desktop::WaitFor([&] {
    for (const desktop::TManagedWindow& w : X->ManagedWindows())
      if (w.Pid == Program->Pid() && w.Viewable && std::to_string(w.Id) != Main)
        big = w.Id;
    return big != 0;
  })) << "no enlarged picture showed";
  const std::string id = std::to_string(big);
  EXPECT_EQ(Desk->TransientFor(id), Main);
  // A click on the page where the picture leaves it free.
  ClickMain(740, 540);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Desk->Screenshot("small-screen-enlarged-picture.png");
  EXPECT_TRUE(Desk->Above(id, Main)) << "the enlarged picture fell behind the main window";
  // A click on the picture closes it.
  TWindowPlace p = Desk->Place(id);
  Desk->Click(p.X + p.Width / 2, p.Y + p.Height / 2);
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->Place(id).Width == 0 || Desk->WindowsNamed("^ $").empty(); }));
}

// The test window covers the 3D view alone, also after a topic whose control row wraps, and
// its buttons work where the program moved it. With the main window dragged down and right so
// that the 3D view's foot leaves the screen, it keeps to the work area, below the menu bar
// and the bars under it; dragged so low that most of the view has left, it goes above it.
TEST_F(SmallScreen, TheTestWindowFillsTheModelViewAndStaysAboveAfterALinkClick)
{
  TWindowPlace view = ModelView();
  ASSERT_GT(view.Width, 0) << "no model shows";
  // The page toolbar's "test" (the model pane is half the work area less 10 pixels).
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 290, 38);
  std::string test = Opened("^Test$");
  ASSERT_FALSE(test.empty());
  EXPECT_EQ(Desk->TransientFor(test), Main);
  // The window, frame and all, covers the 3D view and nothing of the control row above it.
  desktop::ExpectFrameCovers(Desk->Place(test), view);

  // "home", then a link in the index page ("Levers"): the main window takes the click and the test
  // window stays above it.
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 24, 38);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(455, 203);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  Desk->Screenshot("small-screen-test-window.png");
  EXPECT_EQ(Desk->ActiveWindow(), Main) << "the click did not reach the main window";
  EXPECT_TRUE(Desk->Above(test, Main)) << "the test window went behind the main window";

  // Closed; "Levers class 2" and its test, in a window opened anew; then "home", "Gear
  // systems", "Compound gear train", whose control row takes a second line ("Show marker"):
  // the test window moves below it.
  Desk->Run("xdotool windowactivate --sync " + test);
  Desk->Keys("alt+F4");
  ASSERT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Test$").empty(); }));
  ClickMain(506, 259);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 290, 38);
  test = Opened("^Test$");
  ASSERT_FALSE(test.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 24, 38);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(476, 356);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(523, 342);
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));
  Desk->Screenshot("small-screen-test-window-compound-gears.png");
  view = ModelView();
  EXPECT_GT(view.Y, Desk->Place(Main).Y + 70) << "no second control line above the 3D view";
  desktop::ExpectFrameCovers(Desk->Place(test), view);
  desktop::ExpectTestWindowButtonsWork(*Desk, test, "small-screen-test-window-moved-preview.png");

  // The main window dragged by its title bar, 100 pixels down and right.
  const TWindowPlace m = Desk->Place(Main);
  const int x = m.X + 300, y = m.OuterTop() + m.FrameTop / 2;
  auto at = [](int px, int py) { return std::to_string(px) + " " + std::to_string(py); };
  Desk->Run("xdotool mousemove " + at(x, y) + " mousedown 1 sleep 0.2 mousemove " + at(x + 50, y + 50)
            + " sleep 0.2 mousemove " + at(x + 100, y + 100) + " sleep 0.3 mouseup 1");
  ASSERT_TRUE(desktop::WaitFor([&] {
    view = ModelView();
    return view.Y + view.Height > 600;
  })) << "the 3D view's foot is still on the screen";
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 290, 38);
  test = Opened("^Test$");
  ASSERT_FALSE(test.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  Desk->Screenshot("small-screen-test-window-main-dragged.png");
  const TWindowPlace t = Desk->Place(test), work = Desk->WorkArea();
  view = ModelView();
  EXPECT_EQ(t.OuterTop(), view.Y) << "the test window covers the menu bar or the bars below it";
  EXPECT_EQ(t.OuterLeft(), view.X);
  EXPECT_LE(t.OuterBottom(), work.Y + work.Height);
  EXPECT_LE(t.OuterRight(), work.X + work.Width);
  EXPECT_GE(t.Height, 200) << "the test window is too small to use";

  // Dragged on to 291, 410: most of the 3D view has left the screen, and the test window moves
  // to the free part above the main window, clear of its frame, as wide as the 3D view.
  Desk->Run("xdotool mousemove " + at(x + 100, y + 100) + " mousedown 1 sleep 0.2 mousemove " + at(x + 200, y + 250)
            + " sleep 0.2 mousemove " + at(x + 291, y + 410) + " sleep 0.3 mouseup 1");
  ASSERT_TRUE(desktop::WaitFor([&] { return Desk->Place(Main).OuterTop() > 400; })) << "the main window stayed";
  const TWindowPlace low = Desk->Place(Main);
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->Place(test).OuterBottom() <= low.OuterTop(); }))
      << "the test window covers the main window";
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  Desk->Screenshot("small-screen-test-window-main-dragged-low.png");
  const TWindowPlace above = Desk->Place(test);
  view = ModelView();
  EXPECT_EQ(above.OuterRight() - above.OuterLeft(), view.Width);
  EXPECT_EQ(above.OuterTop(), work.Y);
  EXPECT_EQ(above.OuterBottom(), std::min(low.OuterTop(), work.Y + view.Height));
}

}   // namespace
