// The program on a 1280 by 1024 desktop, one program run shared by the cases in order: its
// main window framed on the screen, the modal windows it opens kept above it by the window
// manager (a click on the main window leaves them on top), and the exit box, whose Alt+Y
// ends the program at once.
#include <chrono>
#include <memory>
#include <thread>

#include "tests/desktop/DesktopSupport.h"
#include "tests/desktop/ScreenReadBack.h"

namespace {

using desktop::TWindowPlace;

class OwnedWindows : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    Desk = std::make_unique<desktop::TDesktop>("1280x1024");
    if (!Desk->Running())
      return;
    Program = std::make_unique<desktop::TProgram>(*Desk);
    Main = Desk->WaitFramedWindow("^Orrelo$");
    if (Main.empty())
      Desk->Screenshot("owned-no-main-window.png");
  }
  static void TearDownTestSuite()
  {
    Program.reset();
    Desk.reset();
  }
  void SetUp() override
  {
    ASSERT_TRUE(Desk && Desk->Running());
    ASSERT_TRUE(Program->Running()) << "the program ended";
    ASSERT_FALSE(Main.empty()) << "the main window never showed";
  }

  static void ClickMain(int x, int y)
  {
    TWindowPlace m = Desk->Place(Main);
    Desk->Click(m.X + x, m.Y + y);
  }
  // Opens a menu of the main window's menu bar by a click and picks an item by keys.
  static void MenuCommand(int x, const std::string& keys)
  {
    ClickMain(x, 9);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Desk->Keys(keys);
  }
  // The window shows; it belongs to the main window; and after a click on the main window's
  // page pane (which the main window takes) it is still above it. Then Escape closes it.
  static void ExpectKeptAboveTheMainWindow(const std::string& title, const char* shot)
  {
    std::string w = Desk->WaitWindow(title);
    ASSERT_FALSE(w.empty()) << title << " never showed";
    EXPECT_EQ(Desk->TransientFor(w), Main) << title;
    ClickMain(1000, 700);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    Desk->Screenshot(shot);
    EXPECT_TRUE(Desk->Above(w, Main)) << title << " fell behind the main window";
    // Back to it by its title bar, as a user would, for the key.
    TWindowPlace p = Desk->Place(w);
    Desk->Click(p.X + p.Width / 2, p.Y - p.FrameTop / 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Desk->Keys("Escape");
    EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed(title).empty(); })) << title << " stayed";
  }

  static std::unique_ptr<desktop::TDesktop> Desk;
  static std::unique_ptr<desktop::TProgram> Program;
  static std::string Main;
};

std::unique_ptr<desktop::TDesktop> OwnedWindows::Desk;
std::unique_ptr<desktop::TProgram> OwnedWindows::Program;
std::string OwnedWindows::Main;

TEST_F(OwnedWindows, TheMainWindowsFrameFillsTheWorkArea)
{
  desktop::ExpectFrameCovers(Desk->Place(Main), Desk->WorkArea());
}

TEST_F(OwnedWindows, ModalWindowsStayAboveTheMainWindowAfterAClickOnIt)
{
  MenuCommand(117, "Down Return");   // Animation > "Speed.."
  ExpectKeptAboveTheMainWindow("^Set the animation speed$", "owned-speed.png");
  MenuCommand(193, "Up Return");   // Help > "About"
  ExpectKeptAboveTheMainWindow("^About$", "owned-about.png");

  // The page toolbar's "print": the preview fills the work area, frame and all, and belongs
  // to the main window.
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 246, 36);
  std::string preview = Desk->WaitWindow("^Print preview$");
  ASSERT_FALSE(preview.empty());
  EXPECT_EQ(Desk->TransientFor(preview), Main);
  desktop::ExpectFrameCovers(Desk->Place(preview), Desk->WorkArea());
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  Desk->Screenshot("owned-print-preview.png");
  Desk->Keys("Escape");
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Print preview$").empty(); }));
}

TEST_F(OwnedWindows, AltYOnTheExitBoxEndsTheProgramAtOnce)
{
  ClickMain(1000, 700);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Desk->Keys("alt+F4");
  std::string box = Desk->WaitWindow("^Confirm$");
  ASSERT_FALSE(box.empty()) << "closing did not ask";
  EXPECT_EQ(Desk->TransientFor(box), Main);
  Desk->Screenshot("owned-exit-box.png");
  Desk->Keys("alt+y");
  // No further key or click: the program ends by itself.
  EXPECT_TRUE(desktop::WaitFor([&] { return !Program->Running(); }, 15000)) << "the program ran on after Alt+Y";
}

}   // namespace
