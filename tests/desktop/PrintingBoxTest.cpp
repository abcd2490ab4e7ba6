// The "Printing" box a print job shows, on a desktop with a window manager: it belongs to the
// window the job was started from and stays above it when the user clicks that window, without
// being kept above every other program. So does the box that tells how the job ended, and
// the window's menu bar works again, and looks it, once the job is over.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "shell/ModelPicture.h"
#include "shell/PrintHelpers.h"
#include "tests/desktop/DesktopSupport.h"
#include "tests/desktop/ScreenReadBack.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/platform/ModalSupport.h"
#include "tests/platform/XInputSupport.h"
#include "toolbar/ThemedItems.h"

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

namespace {

class TMenuToolbar : public TTBXToolbar {
public:
  ~TMenuToolbar() override { DestroyHandle(); }
};

}   // namespace

TEST(DesktopPrintingBox, TheResultBelongsToTheWindowWhoseMenuBarIsThenEnabledAtOnce)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TForm owner;
  owner.SetCaption("Picture to print");
  owner.SetBounds(100, 100, 500, 400);
  owner.SetColor(clWhite);
  // A menu bar, whose entries are drawn greyed while the program is not the active one.
  TMenuToolbar bar;
  bar.SetBorderStyle(bsNone);
  bar.SetItemTransparency(itEnable);
  bar.SetMenuBar(true);
  bar.SetAlign(alTop);
  auto file = std::make_unique<TTBXSubmenuItem>();
  file->SetCaption("File");
  file->Add(std::make_unique<TTBXItem>())->SetCaption("Print the picture");
  bar.Items()->Add(std::move(file));
  auto help = std::make_unique<TTBXSubmenuItem>();
  help->SetCaption("Help");
  bar.Items()->Add(std::move(help));
  bar.SetParent(&owner);
  // Another program's window on the desktop, used before this one: where the result box
  // belongs to no window of ours, closing it hands the keyboard to that program.
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  const pid_t other = fork();
  if (other == 0) {
    execlp("xmessage", "xmessage", "-geometry", "+800+500", "Another program", static_cast<char*>(nullptr));
    _exit(127);
  }
  struct TEnd {
    pid_t Pid;
    ~TEnd()
    {
      kill(Pid, SIGTERM);
      waitpid(Pid, nullptr, 0);
    }
  } endOther{other};
  const std::string otherId = desk.WaitWindow("^xmessage$");
  ASSERT_FALSE(otherId.empty()) << "xmessage did not show";
  X("windowactivate --sync " + otherId);
  owner.Show();
  ASSERT_TRUE(PumpUntil([&] { return owner.Showing(); }));
  PumpFor(300);
  Click(owner.ClientToScreen({20, owner.ClientHeight() - 20}));
  ASSERT_TRUE(PumpUntil([&] { return owner.Active(); }, 3000)) << "the window never became active";
  desktop::TXConnection x(desk.Display());
  const TPoint barAt = bar.ClientToScreen({0, 0});
  auto barPixels = [&] { return x.Grab(barAt.X, barAt.Y, bar.Width(), bar.Height()); };
  const desktop::TPixels enabled = barPixels();

  printtest::PrintToPdf("result-box-picture.pdf", 150);
  std::string boxId, ownerId, transientFor;
  desktop::TPixels whileTold;
  std::function<void()> answer = [&] {
    const std::vector<std::string> boxes = desk.WindowsNamed("^Information$");
    if (boxes.empty()) {
      PumpFor(20);
      modal::Later(answer);
      return;
    }
    boxId = boxes.front();
    const std::vector<std::string> owners = desk.WindowsNamed("^Picture to print$");
    ownerId = owners.empty() ? "" : owners.front();
    transientFor = desk.TransientFor(boxId);
    desk.Screenshot("print-result-box.png");
    X("windowactivate --sync " + boxId + " key Return");
  };
  modal::Later(answer);
  TBitmap picture(200, 150);
  picture.Fill(clGreen);
  EXPECT_TRUE(PrintBitmap(picture, "Ann"));
  ASSERT_FALSE(boxId.empty()) << "no result box was shown";
  EXPECT_EQ(transientFor, ownerId) << "the result box does not belong to the window the job started from";
  // The menu bar looks as it did before the job, without a menu being opened first.
  EXPECT_TRUE(PumpUntil([&] { return desktop::MeanDifference(barPixels(), enabled) < 1.0; }, 3000))
      << "the menu bar still looks disabled";
  EXPECT_TRUE(owner.Enabled());
  EXPECT_TRUE(PumpUntil([&] { return owner.Active(); }, 3000)) << "the window did not get the keyboard back";
  desk.Screenshot("print-result-menu-bar.png");
  Printer().SetOutputFileName("");
  owner.Hide();
}
