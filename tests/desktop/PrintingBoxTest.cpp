// The "Printing" box a print job shows, on a desktop with a window manager: it belongs to the
// window the job was started from and stays above it when the user clicks that window, without
// being kept above every other program. The box that tells how the program's job ended belongs
// to the main window, whose menu bar works again, and looks it, once the box is closed.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Forms.h"
#include "shell/PrintHelpers.h"
#include "tests/desktop/DesktopSupport.h"
#include "tests/desktop/ScreenReadBack.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/platform/XInputSupport.h"

using namespace xinput;

TEST(DesktopPrintingBox, StaysAboveTheWindowThePrintingStartedFromAfterAClickOnIt)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TForm owner;
  owner.SetCaption("Picture to print");
  owner.SetBounds(100, 100, 500, 400);
  owner.Show();
  ASSERT_TRUE(PumpUntil([&] { return owner.Showing(); }));
  PumpFor(300);
  Click(Centre(&owner));
  ASSERT_TRUE(PumpUntil([&] { return owner.Active(); }, 3000)) << "the window never became active";

  std::unique_ptr<TAbortDialog> box = CreateAbortDialog();
  ASSERT_NE(box, nullptr);
  SetAbortDialogText(box.get(), "Printing Page 1:1 - 0%");
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  std::string boxId, ownerId;
  auto named = [&](const std::string& pattern) {
    const std::vector<std::string> ids = desk.WindowsNamed(pattern);
    return ids.empty() ? std::string() : ids.front();
  };
  ASSERT_TRUE(PumpUntil(
      [&] {
        boxId = named("^Printing Page 1:1");
        ownerId = named("^Picture to print$");
        return !boxId.empty() && !ownerId.empty();
      },
      5000))
      << "the box or its window is not on the screen";
  EXPECT_EQ(desk.TransientFor(boxId), ownerId) << "the box does not belong to its window";

  // A click on the window the job started from: the box stays above it.
  Click(owner.ClientToScreen({20, owner.ClientHeight() - 20}));
  PumpFor(500);
  EXPECT_TRUE(PumpUntil([&] { return desk.Above(boxId, ownerId); }, 3000)) << "the box fell behind its window";
  EXPECT_EQ(desk.NetState(boxId).find("_NET_WM_STATE_ABOVE"), std::string::npos) << "kept above every program";
  desk.Screenshot("printing-box-above-its-window.png");

  FreeAbortDialog(box);
  owner.Hide();
}

// The program itself on a desktop of its own: a model's picture printed through the menus and
// the print dialog to the run's spooler. The box that says the job is done belongs to the
// main window, and once it is closed the main window's menu bar is drawn as a working one
// (black entries), without a menu being opened first.
TEST(DesktopPrintingBox, TheProgramsMenuBarWorksAgainOnceThePrintedPictureIsReported)
{
  desktop::TDesktop desk("1280x1024");
  ASSERT_TRUE(desk.Running());
  desktop::TProgram program(desk);
  const std::string main = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  const desktop::TWindowPlace m = desk.Place(main);
  desktop::TXConnection x(desk.Display());
  // Dark pixels of the menu bar's entries: black when they work, grey when drawn disabled.
  auto menuInk = [&] {
    const desktop::TPixels p = x.Grab(m.X, m.Y, 260, 18);
    int dark = 0;
    for (size_t i = 0; i + 2 < p.Rgb.size(); i += 3)
      dark += p.Rgb[i] < 70 && p.Rgb[i + 1] < 70 && p.Rgb[i + 2] < 70;
    return dark;
  };
  std::this_thread::sleep_for(std::chrono::seconds(2));
  // "Levers", then "Levers class 1": a model to print.
  desk.Click(m.X + 696, m.Y + 204);
  std::this_thread::sleep_for(std::chrono::seconds(2));
  desk.Click(m.X + 747, m.Y + 224);
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const int working = menuInk();
  ASSERT_GT(working, 40) << "no menu bar to look at";
  // File, "Print mechanism..", a name, the picture's preview, then the print dialog.
  desk.Click(m.X + 15, m.Y + 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  desk.Click(m.X + 69, m.Y + 31);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  desk.Type("Ann");
  desk.Keys("Return");
  const std::string dialog = desk.WaitWindow("^Print$");
  ASSERT_FALSE(dialog.empty()) << "no print dialog";
  desk.Run("xdotool windowactivate --sync " + dialog + " key Return");
  const std::string box = desk.WaitWindow("^Information$", 60000);
  ASSERT_FALSE(box.empty()) << "no box said how the job ended";
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_EQ(desk.TransientFor(box), main) << "the box does not belong to the main window";
  desk.Screenshot("program-print-completed.png");
  desk.Run("xdotool windowactivate --sync " + box + " key Return");
  // The keyboard back on the main window, and the repaints that follow done: the entries
  // must be black then, and stay so.
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.ActiveWindow() == main; })) << "the main window is not active";
  std::this_thread::sleep_for(std::chrono::seconds(2));
  desk.Screenshot("program-after-print.png");
  EXPECT_GE(menuInk(), working * 9 / 10) << "the menu bar is drawn disabled";
  EXPECT_FALSE(testcmd::Output(std::string("lpstat -W completed -o ") + printtest::QueueName).empty())
      << "the picture never reached the queue";
}
