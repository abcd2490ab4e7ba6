// The program's windows as a screen reader reads them over the AT-SPI bus, one program
// under the bus per kind of window: the main window with every page of the topic index and
// the cam graph with its shape list open; the test window in the middle of a test; a help
// page. Nothing a user can act on goes unnamed, every box and list can be read, and nothing
// claims to show that is not on the screen. Each run prints, per window, how many nodes the
// reader met and how many of them had no name (in the run's log under test-output).
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "MainWindowSupport.h"
#include "platform/AppHelp.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/CamGraph.h"
#include "shell/HelpContexts.h"
#include "shell/HelpViewer.h"
#include "shell/MainWindow.h"
#include "shell/TopicDispatch.h"
#include "shell/TopicTest.h"
#include "tests/platform/AtSpiSupport.h"

namespace {

using TFaults = std::map<std::string, std::vector<std::string>>;

// What a reader could not read in a walk, under the name of what was walked; and the count
// of nodes and of nameless ones, printed for the record.
void Check(const std::string& where, const std::vector<atspi::TNode>& nodes, TFaults& faults)
{
  const TRect screen = Bounds(0, 0, Screen().Width(), Screen().Height());
  for (const auto& list : {atspi::Unreadable(nodes), atspi::Unread(nodes), atspi::ShowingOffScreen(nodes, screen)})
    for (const std::string& f : list)
      faults[where].push_back(f);
  int unnamed = 0, unnamedInteractive = 0;
  for (const atspi::TNode& n : nodes) {
    unnamed += n.Name.empty() ? 1 : 0;
    unnamedInteractive += n.Name.empty() && n.Interactive() ? 1 : 0;
  }
  std::printf("accessibility: %s: %zu nodes, %d without a name, %d of them interactive\n", where.c_str(), nodes.size(),
              unnamed, unnamedInteractive);
}

const atspi::TNode* FindStarting(const std::vector<atspi::TNode>& nodes, const std::string& role,
                                 const std::string& start)
{
  for (const atspi::TNode& n : nodes)
    if (n.Role == role && n.Name.rfind(start, 0) == 0)
      return &n;
  return nullptr;
}

// What a reader said after "pieces" requests: the start-end of each piece asked for, in order.
std::vector<std::pair<int, int>> Pieces(const std::string& raw)
{
  std::vector<std::pair<int, int>> out;
  for (size_t line = raw.find("pieces\t"); line != std::string::npos; line = raw.find("\npieces\t", line + 1)) {
    const size_t from = raw.find('\t', raw.find('\t', line + 1) + 1) + 1;
    std::stringstream in(raw.substr(from, raw.find('\n', from) - from));
    std::string piece;
    int s = 0, e = 0;
    while (in >> piece)
      if (std::sscanf(piece.c_str(), "%d-%d", &s, &e) == 2)
        out.emplace_back(s, e);
  }
  return out;
}

// Where each character of a text stands, after an "extents" request (empty: nowhere).
std::vector<TRect> Extents(const std::string& raw)
{
  std::vector<TRect> boxes;
  const size_t line = raw.find("extents\t");
  if (line == std::string::npos)
    return boxes;
  const size_t from = raw.find('\t', raw.find('\t', line) + 1) + 1;
  std::stringstream in(raw.substr(from, raw.find('\n', from) - from));
  std::string box;
  int x = 0, y = 0, w = 0, h = 0;
  while (in >> box)
    if (std::sscanf(box.c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) == 4)
      boxes.push_back(h > 0 ? Bounds(x, y, w, h) : TRect{});
  return boxes;
}

struct TMainWindowRun {
  std::unique_ptr<TKVMainFrm> Frm;
  TMainWindowRun()
  {
    SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
    Frm = std::make_unique<TKVMainFrm>(ExeFolder());
    Frm->Show();
    mainwindow::Pump(100);
  }
  ~TMainWindowRun()
  {
    Frm.reset();
    SetMessageAnswerer(nullptr);
    mainwindow::Pump();
  }
  void Follow(const std::string& url)
  {
    Frm->Viewer->URL = url;
    GuardedCall([this] { Frm->Viewer->FollowLink(); });
    mainwindow::Pump(20);
  }
};

}   // namespace

TEST(MainWindowAccessibility, EveryIndexPageAndTheCamGraphWithItsListOpenAreReadable)
{
  ATSPI_TEST_UNDER_BUS();
  TMainWindowRun run;
  atspi::TReader reader;
  ASSERT_TRUE(reader.Ready());
  TFaults faults;

  std::string raw;
  auto index = reader.Walk({}, &raw);
  ASSERT_FALSE(index.empty()) << raw;
  Check("main window, index page", index, faults);
  // The page's links are links with their words.
  const std::vector<TIndexHeading>& headings = TopicIndexContents();
  for (const TIndexHeading& h : headings)
    EXPECT_NE(atspi::Find(index, "link", h.Title), nullptr) << h.Title;
  const atspi::TNode* page = atspi::Find(index, "document frame", "Topic page");
  EXPECT_NE(page, nullptr) << raw;
  if (page) {
    EXPECT_NE(page->Text.find(headings[0].Title), std::string::npos) << "the page's words can be read";
  }
  // From the very start of the page, whose words begin with a line end, a reader reads by
  // words and sentences as anywhere.
  raw.clear();
  reader.Walk({"pieces:document frame:Topic page:word@0,1", "pieces:document frame:Topic page:sentence@0"}, &raw);
  const std::vector<std::pair<int, int>> first = Pieces(raw);
  ASSERT_EQ(first.size(), 3u) << raw.substr(0, 500);
  for (const auto& [piece, offset] : {std::pair{first[0], 0}, std::pair{first[1], 1}, std::pair{first[2], 0}})
    EXPECT_TRUE(piece.first <= offset && offset < piece.second) << piece.first << "-" << piece.second;

  // A topic's page read by lines: a line is a row of the page as it shows, not a paragraph
  // (each of its characters stands in one row, and the one after it in another), and some
  // line of a paragraph that wraps has words of the same paragraph beside it. The caret a
  // reader puts on a word is found there.
  run.Follow(headings[0].Items[0].URL);
  auto topic = reader.Walk({}, &raw);
  const atspi::TNode* doc = nullptr;
  for (const atspi::TNode& n : topic)
    doc = !doc && n.Role == "document frame" && n.HasText ? &n : doc;
  ASSERT_NE(doc, nullptr) << raw;
  const std::string docId = "document frame:" + doc->Name;
  raw.clear();
  reader.Walk({"extents:" + docId + ":"}, &raw);
  const std::vector<TRect> boxes = Extents(raw);
  ASSERT_GT(boxes.size(), 200u) << raw.substr(0, 500);
  const int count = static_cast<int>(boxes.size());
  std::string offsets;
  std::vector<int> asked;
  for (int o = 0; o < count; o += 5) {
    offsets += (offsets.empty() ? "" : ",") + std::to_string(o);
    asked.push_back(o);
  }
  raw.clear();
  reader.Walk({"pieces:" + docId + ":line@" + offsets}, &raw);
  const std::vector<std::pair<int, int>> lines = Pieces(raw);
  ASSERT_EQ(lines.size(), asked.size()) << raw.substr(0, 500);
  int inside = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto [start, end] = lines[i];
    ASSERT_TRUE(start <= asked[i] && asked[i] < end && end <= count) << asked[i] << ": " << start << "-" << end;
    int top = -1;
    for (int k = start; k < end; ++k)
      if (!boxes[static_cast<size_t>(k)].IsEmpty()) {
        if (top < 0)
          top = boxes[static_cast<size_t>(k)].Top;
        EXPECT_EQ(boxes[static_cast<size_t>(k)].Top, top) << "the line " << start << "-" << end << " at " << k;
      }
    if (end < count && top >= 0 && !boxes[static_cast<size_t>(end)].IsEmpty()) {
      EXPECT_NE(boxes[static_cast<size_t>(end)].Top, top) << "the line " << start << "-" << end << " goes on";
      inside = boxes[static_cast<size_t>(start)].IsEmpty() ? inside : start + 1;
    }
  }
  ASSERT_GT(inside, 0) << "every line a reader met was a whole paragraph";
  raw.clear();
  auto moved = reader.Walk({"caret:" + docId + ":" + std::to_string(inside)}, &raw);
  const atspi::TNode* movedDoc = atspi::Find(moved, "document frame", doc->Name);
  ASSERT_NE(movedDoc, nullptr) << raw;
  EXPECT_EQ(movedDoc->Caret, inside);

  // Every page of the index beside its model and controls.
  std::string angle;
  std::set<std::string> named;   // "role:name" of everything met
  bool toggleDown = false;
  for (const TIndexHeading& h : headings)
    for (const TIndexLink& l : h.Items) {
      run.Follow(l.URL);
      raw.clear();
      auto nodes = reader.Walk({}, &raw);
      ASSERT_FALSE(nodes.empty()) << raw;
      Check(std::string("main window, ") + l.URL, nodes, faults);
      if (const atspi::TNode* a = FindStarting(nodes, "label", "Angle = "); a && angle.empty())
        angle = a->Name;
      std::set<std::string> boxNames;   // the page's text and number boxes, each named apart
      for (const atspi::TNode& n : nodes) {
        if ((n.Role == "text" || n.Role == "spin button") && n.Has("showing")) {
          EXPECT_TRUE(boxNames.insert(n.Name).second) << l.URL << ": two boxes named " << n.Name;
        }
        named.insert(n.Role + ":" + n.Name);
        if (n.Role == "push button" && (n.Name == "14" || n.Name == "16") && n.Has("showing")) {
          EXPECT_EQ(n.Has("checked") && n.Has("pressed"), n.Name == "16") << n.Name << " " << n.States;
        }
        toggleDown = toggleDown || (n.Name == "16" && n.Has("checked"));
      }
    }
  EXPECT_EQ(angle, "Angle = 10 \xC2\xBA") << "the ordinal sign arrives as itself";
  // What a user meets is named: each cog's box apart, the 3D view, the cam graph's drawing;
  // the derailleur's gear buttons say which is down.
  for (const char* n : {"spin button:Number of teeth on cog 1", "spin button:Number of teeth on cog 2",
                        "spin button:Number of teeth on sprocket 2", "panel:3D model"})
    EXPECT_TRUE(named.count(n)) << n;
  EXPECT_TRUE(toggleDown) << "the derailleur's 16 button is down at first";
  EXPECT_EQ(faults, TFaults{});
  faults.clear();
  if (std::getenv("ORRELO_ATSPI_DUMP"))
    std::printf("%s", raw.c_str());

  // The cam graph: its shape list, named for what it picks rather than by the shape picked,
  // opened through the reader, read while open, and a shape picked from it.
  run.Follow("/Cam_Box.htm");
  auto graph = reader.Walk();
  Check("main window, cam graph", graph, faults);
  EXPECT_NE(atspi::Find(graph, "image", "Cam graph drawing"), nullptr);
  const atspi::TNode* combo = atspi::Find(graph, "combo box", "Cam shape");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->Text, "Pear shaped");
  EXPECT_EQ(combo->Value, "0");
  ASSERT_FALSE(combo->Actions.empty());
  std::vector<std::vector<atspi::TNode>> walks;
  {
    testwait::TLoopBound bound("the cam graph's open shape list", 30000,
                               [&] { run.Frm->Cam2DToolbar->View()->EndModal(); });
    walks = reader.Walks({"act:combo box:Cam shape:" + combo->Actions.substr(0, combo->Actions.find(',')), "walk",
                          "act:list item:Circular:Press"},
                         &raw);
  }
  ASSERT_EQ(walks.size(), 2u) << raw;
  Check("main window, cam graph with its list open", walks[0], faults);
  // The open list is read once, below its combo box: no window of its own beside the
  // program's.
  int popups = 0;
  for (const atspi::TNode& n : walks[0])
    popups += n.Role == "popup menu" && n.Name == "Cam shape";
  EXPECT_EQ(popups, 1) << raw;
  for (const atspi::TNode& n : walks[0])
    EXPECT_FALSE(n.Depth == 1 && n.Role != "frame") << n.Role << " " << n.Name << " stands beside the windows";
  int entries = 0;
  for (const atspi::TNode& n : atspi::Below(walks[0], "combo box", "Cam shape"))
    if (n.Role == "list item" && n.Has("showing")) {
      ++entries;
      EXPECT_TRUE(n.Has("selectable")) << n.Name;
      EXPECT_EQ(n.Has("selected"), n.Name == "Pear shaped") << n.Name;
    }
  EXPECT_EQ(entries, 3) << raw;
  EXPECT_EQ(run.Frm->CamGraphCB->ItemIndex(), 1) << "the reader's pick reached the combo";
  EXPECT_EQ(run.Frm->CamDiagram->Shape, 1) << "and the cam graph";
  const atspi::TNode* picked = atspi::Find(walks[1], "combo box", "Cam shape");
  ASSERT_NE(picked, nullptr) << raw;
  EXPECT_EQ(picked->Text, "Circular");
  EXPECT_EQ(picked->Value, "1");

  EXPECT_EQ(faults, TFaults{});
}

TEST(MainWindowAccessibility, TheTestWindowMidTestIsReadableAndAnsweredThroughTheReader)
{
  ATSPI_TEST_UNDER_BUS();
  TMainWindowRun run;
  TTestWindows& tests = run.Frm->TestWindows;
  tests.RunTest(0, Bounds(40, 40, 620, 480));
  ASSERT_TRUE(tests.TestFrmOpen());
  TTestFrm& test = *tests.TestFrm();
  mainwindow::Pump(100);
  atspi::TReader reader;
  ASSERT_TRUE(reader.Ready());
  TFaults faults;
  std::string raw;
  auto before = reader.Walk({}, &raw);
  Check("test window, question 1", before, faults);
  EXPECT_NE(atspi::Find(before, "tool bar", "Test"), nullptr) << raw;

  // The answers: a link each, named by its words, that can take the focus and be pressed.
  const TTarvQuestion& q = *test.Questions[0];
  const std::vector<atspi::TNode> page = atspi::Below(before, "document frame", "Question 1");
  std::vector<const atspi::TNode*> answers;
  for (const atspi::TNode& n : page)
    if (n.Role == "link")
      answers.push_back(&n);
  size_t offered = 0;
  for (const std::string& a : q.Answers)
    offered += a.empty() ? 0 : 1;
  ASSERT_EQ(answers.size(), offered) << raw;
  for (const atspi::TNode* a : answers) {
    EXPECT_FALSE(a->Name.empty());
    EXPECT_TRUE(a->Has("focusable")) << a->Name;
    EXPECT_NE(a->Actions, "") << a->Name;
  }
  ASSERT_NE(atspi::Find(before, "list item", "Question 1: not answered"), nullptr) << raw;

  // The pupil presses the first answer; the strip then says whether it was right.
  const bool right = q.Correct == 0 && !q.Answers.empty() && !q.Answers[0].empty();
  atspi::TListener listener({static_cast<int>(getpid())});
  ASSERT_TRUE(listener.Ready()) << listener.Log();
  raw.clear();
  auto after = reader.Walk({"act:link:" + answers.front()->Name + ":Press"}, &raw);
  Check("test window, question 2", after, faults);
  EXPECT_EQ(test.Current, 1) << raw;
  EXPECT_NE(atspi::Find(after, "list item", right ? "Question 1: right" : "Question 1: wrong"), nullptr) << raw;
  const atspi::TNode* strip = FindStarting(after, "list", "Answers: ");
  ASSERT_NE(strip, nullptr) << raw;
  EXPECT_EQ(strip->Name,
            right ? "Answers: 1 right, 0 wrong, 9 not answered" : "Answers: 0 right, 1 wrong, 9 not answered");
  const atspi::TNode* second = atspi::Find(after, "list item", "Question 2: not answered");
  ASSERT_NE(second, nullptr) << raw;
  EXPECT_TRUE(second->Has("selected")) << "the question shown";
  // The next question's page is named with the mark just given, for a reader to speak first.
  EXPECT_NE(atspi::Find(after, "document frame",
                        (right ? "Question 1: right" : "Question 1: wrong") + std::string(". Question 2")),
            nullptr)
      << raw;
  // What the strip shows changing is heard: the entry's mark and the score, by their names.
  for (const std::string& changed : {std::string(right ? "Question 1: right" : "Question 1: wrong"), strip->Name})
    EXPECT_TRUE(listener.WaitHeard(
        [&](const atspi::TEvent& e) { return e.Type == "object:property-change:accessible-name" && e.Name == changed; },
        5000))
        << changed << listener.Log();

  // Tried again after the test, question 1's page stays: it is named with the new mark (no
  // stale one) and heard as a new page is, by the focus coming to it.
  test.Finished = test.Reported = true;
  test.Questions[1]->State = TTarvQuestion::qsWrong;   // no result message comes
  test.Current = 0;
  test.ShowQuestion(0);
  test.viewer->SetFocus();
  ASSERT_TRUE(
      testwait::WaitUntil([&] { return test.viewer->Focused() || test.viewer->PaintPanel()->Focused(); }, 3000));
  mainwindow::Pump(100);
  const std::string again = right ? "Question 1: right" : "Question 1: wrong";
  auto retried = reader.Walk({"act:link:" + answers.front()->Name + ":Press"}, &raw);
  EXPECT_EQ(test.Current, 0);
  EXPECT_NE(atspi::Find(retried, "document frame", again), nullptr) << raw;
  EXPECT_TRUE(listener.WaitHeard(
      [&](const atspi::TEvent& e) { return e.Type == "focus:" && e.Role == "document frame" && e.Name == again; },
      5000))
      << listener.Log();

  EXPECT_EQ(faults, TFaults{});
}

TEST(MainWindowAccessibility, AHelpPageIsReadable)
{
  ATSPI_TEST_UNDER_BUS();
  TMainWindowRun run;
  ASSERT_TRUE(ApplicationHelpContext(IDH_TEST_WINDOW));
  ASSERT_TRUE(testwait::WaitUntil([] { return HelpViewerWindow() && HelpViewerWindow()->Showing(); }, 5000));
  mainwindow::Pump(100);
  atspi::TReader reader;
  ASSERT_TRUE(reader.Ready());
  TFaults faults;
  std::string raw;
  auto nodes = reader.Walk({}, &raw);
  ASSERT_FALSE(nodes.empty()) << raw;
  Check("help window", nodes, faults);
  // The contents: the entries shown, each once, as the tree's items; a book says whether it
  // is open ("Tests", which holds the page shown) or closed, a page says neither; the page
  // shown is the chosen item.
  const atspi::TNode* tree = atspi::Find(nodes, "tree", "Contents");
  ASSERT_NE(tree, nullptr) << raw;
  std::map<std::string, const atspi::TNode*> items;
  const std::vector<atspi::TNode> below = atspi::Below(nodes, "tree", "Contents");
  for (const atspi::TNode& n : below)
    if (n.Depth == tree->Depth + 1 && n.Role != "scroll bar" && n.Role != "slider") {
      EXPECT_TRUE(items.emplace(n.Name, &n).second) << n.Name << " twice";
    }
  ASSERT_TRUE(items.count("Tests") && items.count("Welcome to Orrelo") && items.count("Printing and copying")
              && items.count("The test window"))
      << raw;
  EXPECT_TRUE(items["Tests"]->Has("expandable") && items["Tests"]->Has("expanded")) << items["Tests"]->States;
  EXPECT_TRUE(items["Printing and copying"]->Has("expandable") && items["Printing and copying"]->Has("collapsed")
              && !items["Printing and copying"]->Has("expanded"))
      << items["Printing and copying"]->States;
  EXPECT_FALSE(items["Welcome to Orrelo"]->Has("expandable")) << items["Welcome to Orrelo"]->States;
  EXPECT_FALSE(items.count("Printing")) << "an entry of a closed book is read";
  EXPECT_TRUE(items["The test window"]->Has("selected"));
  if (std::getenv("ORRELO_ATSPI_DUMP"))
    std::printf("%s", raw.c_str());
  EXPECT_EQ(faults, TFaults{});
}
