// The main window and the test window as a screen reader reads them over the AT-SPI bus:
// for every topic, what shows (its control page, the toolbars above the model, the page's
// toolbar) can be named and read, and nothing a user can act on goes unnamed.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "MainWindowSupport.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "shell/MainWindow.h"
#include "shell/TopicTest.h"
#include "tests/platform/AtSpiSupport.h"
#include "topics/TopicTable.h"

TEST(MainWindowAccessibility, EveryTopicsControlsAndTheTestWindowAreReadable)
{
  ATSPI_TEST_UNDER_BUS();
  SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
  auto frm = std::make_unique<TKVMainFrm>(ExeFolder());
  frm->Show();
  mainwindow::Pump(100);

  std::map<std::string, std::vector<std::string>> unreadable;
  std::map<Integer, std::vector<atspi::TNode>> seen;
  for (const TTopicEntry& e : TopicEntries()) {
    if (e.Example != 0 || seen.count(e.Id))
      continue;
    GuardedCall([&] { frm->ShowTopic(e.Id); });
    mainwindow::Pump(20);
    std::string raw;
    seen[e.Id] = atspi::Walk({"showing"}, &raw);
    ASSERT_FALSE(seen[e.Id].empty()) << raw;
    for (const std::string& b : atspi::Unreadable(seen[e.Id]))
      unreadable["topic " + std::to_string(e.Id)].push_back(b);
  }
  EXPECT_EQ(unreadable, (std::map<std::string, std::vector<std::string>>{}));

  // The two-gear page: its counters known by their label, the marker box, and the step bar
  // in the model's toolbar with the angle it stands at.
  const auto& gears = seen[1];
  int counters = 0;
  for (const auto& n : gears)
    if (n.Role == "spin button") {
      ++counters;
      EXPECT_EQ(n.Name, "Number of teeth");
      EXPECT_FALSE(n.Value.empty());
    }
  EXPECT_EQ(counters, 2);
  EXPECT_NE(atspi::Find(gears, "check box", "Show marker"), nullptr);
  const atspi::TNode* step = atspi::Find(gears, "slider", "run animation manually");
  ASSERT_NE(step, nullptr);
  EXPECT_FALSE(step->Value.empty());
  EXPECT_NE(atspi::Find(gears, "tool bar", "Model"), nullptr);
  for (const auto& n : gears)
    if (n.Role == "separator")
      EXPECT_EQ(n.Actions, "") << "a separator does nothing when pressed";

  // The test window, over the left pane.
  RunTest(0xFFFF, Bounds(40, 40, 620, 480));
  ASSERT_TRUE(TestFrmOpen());
  mainwindow::Pump(100);
  std::string raw;
  auto test = atspi::Walk({"showing"}, &raw);
  EXPECT_NE(atspi::Find(test, "tool bar", "Test"), nullptr) << raw;
  EXPECT_EQ(atspi::Unreadable(test), std::vector<std::string>{}) << raw;
  FreeTestWindow();
  frm.reset();
  SetMessageAnswerer(nullptr);
  mainwindow::Pump();
}
