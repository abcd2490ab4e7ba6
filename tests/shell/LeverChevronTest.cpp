// The lever bar in a narrow left pane: what does not fit, from the bar's right end (the
// check box first), is reached through the chevron, hosted controls as themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "MainWindowSupport.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "shell/MainWindow.h"

TEST(LeverChevron, AtA250PixelPaneTheChevronListsWhatGoesFromTheRightEnd)
{
  SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
  auto frm = std::make_unique<TKVMainFrm>(ExeFolder());
  frm->Show();
  mainwindow::Pump(100);
  frm->LeftPanel->SetWidth(250);
  frm->Splitter->MoveTo(250);
  GuardedCall([&] { frm->ShowTopic(26); });
  mainwindow::Pump(50);
  TTBXToolbar* bar = frm->LeverToolbar;
  ASSERT_TRUE(bar->Showing());
  TTBView* view = bar->View();
  view->ValidatePositions();
  TTBItemViewer* chevron = view->Find(bar->ChevronItem());
  ASSERT_TRUE(chevron->Show);
  ASSERT_TRUE(bar->ChevronItem()->Enabled());
  // What went past the edge, controls included.
  const std::vector<std::string> hidden = mainwindow::ChevronCaptions(*view, false);
  ASSERT_FALSE(hidden.empty());

  view->Select(chevron, false);
  view->OpenChildPopup(false);
  TTBView* popup = view->OpenViewerView();
  ASSERT_NE(popup, nullptr);
  mainwindow::Pump(100);
  std::system(
      ("import -window root '" + std::string(ORRELO_TEST_OUTPUT) + "/lever-chevron-250.png' 2> /dev/null").c_str());
  // The popup lists every hidden one: buttons as its viewers, the label and the box as
  // themselves inside its window.
  const std::vector<std::string> listed = mainwindow::ChevronCaptions(*popup, true);
  for (TControl* c : {static_cast<TControl*>(frm->LeverLabel), static_cast<TControl*>(frm->LeverChk)})
    if (c->Parent() == popup->Window()) {
      EXPECT_TRUE(popup->Window()->ClientRect().Contains({c->Left(), c->Top()})) << c->Caption();
    }
  EXPECT_EQ(listed, hidden);
  EXPECT_NE(std::find(listed.begin(), listed.end(), "Show labels"), listed.end());
  EXPECT_EQ(std::find(listed.begin(), listed.end(), "Class 1 levers"), listed.end()) << "the leftmost item went";

  // Closed: back on the bar, past its edge.
  view->CloseChildPopups();
  mainwindow::Pump();
  EXPECT_EQ(frm->LeverLabel->Parent(), bar);
  EXPECT_EQ(frm->LeverChk->Parent(), bar);
  EXPECT_LT(frm->LeverChk->Left(), -1000);
  EXPECT_GE(frm->LeverLabel->Left(), 0);
  frm.reset();
  SetMessageAnswerer(nullptr);
  mainwindow::Pump();
}
