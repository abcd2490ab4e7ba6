// The program itself on a desktop with a window manager, read by a screen reader over the
// AT-SPI bus from outside: the window it opens with, a topic opened through the reader's
// actions on the page's links, and the test window answered through the reader. Nothing a
// user can act on goes unnamed, boxes and lists can be read, and nothing claims to show that
// lies off the screen.
#include <optional>

#include "tests/desktop/DesktopSupport.h"
#include "tests/platform/AtSpiSupport.h"

namespace {

// One reading of the program's tree after the requests (walk.py), as the reader prints it.
std::vector<atspi::TNode> Read(const desktop::TDesktop& desk, const std::string& pid,
                               const std::vector<std::string>& requests, std::string& raw)
{
  std::string command = std::string(atspi::Python()) + " " + ORRELO_TEST_DATA + "/atspi/walk.py " + pid;
  for (const std::string& r : requests)
    command += " " + desktop::Quoted(r);
  raw = desk.Run(command);
  return atspi::ParseWalk(raw);
}

std::vector<std::string> Faults(const std::vector<atspi::TNode>& nodes)
{
  std::vector<std::string> all;
  for (const auto& list :
       {atspi::Unreadable(nodes), atspi::Unread(nodes), atspi::ShowingOffScreen(nodes, Bounds(0, 0, 1280, 1024))})
    all.insert(all.end(), list.begin(), list.end());
  return all;
}

void Report(const std::string& where, const std::vector<atspi::TNode>& nodes)
{
  int unnamed = 0;
  for (const atspi::TNode& n : nodes)
    unnamed += n.Name.empty() ? 1 : 0;
  std::printf("accessibility on the desktop: %s: %zu nodes, %d without a name\n", where.c_str(), nodes.size(), unnamed);
}

}   // namespace

TEST(AccessibleDesktop, TheProgramIsReadAndUsedThroughAScreenReader)
{
  ATSPI_TEST_UNDER_BUS();
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TProgram program(desk);
  const std::string main = desk.WaitWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  std::string pid = desk.Run("xdotool getwindowpid " + main);
  pid = pid.substr(0, pid.find('\n'));
  ASSERT_FALSE(pid.empty());

  std::string raw;
  auto start = Read(desk, pid, {}, raw);
  ASSERT_FALSE(start.empty()) << raw;
  Report("the window it opens with", start);
  EXPECT_EQ(Faults(start), std::vector<std::string>{}) << raw;

  // A topic through the index's links: its counters' boxes can be read.
  Read(desk, pid, {"act:link:Gear systems:Press", "act:link:Simple gear train:Press"}, raw);
  std::vector<atspi::TNode> topic;
  desktop::WaitFor(
      [&] {
        topic = Read(desk, pid, {}, raw);
        return atspi::Find(topic, "text", "Number of teeth") != nullptr;
      },
      20000, 500);
  Report("the simple gear train", topic);
  EXPECT_EQ(Faults(topic), std::vector<std::string>{}) << raw;
  const atspi::TNode* teeth = atspi::Find(topic, "text", "Number of teeth");
  ASSERT_NE(teeth, nullptr) << raw;
  EXPECT_EQ(teeth->Text, "20");
  desk.Screenshot("accessible-desktop-topic.png");

  // The test window through the page toolbar's button; the first answer pressed through the
  // reader, its tick or cross read back.
  Read(desk, pid, {"act:push button:test:Press"}, raw);
  ASSERT_FALSE(desk.WaitWindow("^Test$").empty()) << "no test window";
  std::vector<atspi::TNode> test;
  desktop::WaitFor(
      [&] {
        test = Read(desk, pid, {}, raw);
        return atspi::Find(test, "list item", "Question 1: not answered") != nullptr;
      },
      20000, 500);
  Report("the test window", test);
  EXPECT_EQ(Faults(test), std::vector<std::string>{}) << raw;
  // As a reader's user would, the answers are pressed once the question has settled in its
  // window: the same first answer at the same place on two readings.
  auto firstAnswer = [](const std::vector<atspi::TNode>& nodes) -> std::optional<atspi::TNode> {
    for (const atspi::TNode& n : atspi::Below(nodes, "document frame", "Question"))
      if (n.Role == "link")
        return n;
    return std::nullopt;
  };
  std::optional<atspi::TNode> answer = firstAnswer(test);
  desktop::WaitFor(
      [&] {
        test = Read(desk, pid, {}, raw);
        const std::optional<atspi::TNode> now = firstAnswer(test);
        const bool settled = answer && now && now->Name == answer->Name && now->Extents == answer->Extents;
        answer = now;
        return settled;
      },
      20000, 500);
  ASSERT_TRUE(answer.has_value()) << raw;
  const std::string press = "act:link:" + answer->Name + ":Press";
  std::string pressed;
  Read(desk, pid, {press}, pressed);
  EXPECT_NE(pressed.find("acted\t" + press + "\tdone"), std::string::npos) << pressed;
  std::vector<atspi::TNode> after;
  desktop::WaitFor(
      [&] {
        after = Read(desk, pid, {}, raw);
        return atspi::Find(after, "list item", "Question 1: right")
               || atspi::Find(after, "list item", "Question 1: wrong");
      },
      20000, 500);
  const bool right = atspi::Find(after, "list item", "Question 1: right") != nullptr;
  EXPECT_TRUE(right || atspi::Find(after, "list item", "Question 1: wrong")) << pressed << raw;
  const atspi::TNode* strip = nullptr;
  for (const atspi::TNode& n : after)
    if (n.Role == "list" && n.Name.rfind("Answers: ", 0) == 0)
      strip = &n;
  ASSERT_NE(strip, nullptr) << raw;
  EXPECT_EQ(strip->Name,
            right ? "Answers: 1 right, 0 wrong, 9 not answered" : "Answers: 0 right, 1 wrong, 9 not answered");
  desk.Screenshot("accessible-desktop-test.png");
  EXPECT_TRUE(program.Running());
}
