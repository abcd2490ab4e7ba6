// The "Printing" box a print job shows, on a desktop with a window manager: it belongs to the
// window the job was started from and stays above it when the user clicks that window, without
// being kept above every other program.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Forms.h"
#include "shell/PrintHelpers.h"
#include "tests/desktop/DesktopSupport.h"
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
