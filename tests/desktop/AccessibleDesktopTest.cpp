// The program itself on a desktop with a window manager, read by a screen reader over the
// AT-SPI bus from outside: the window it opens with, a topic opened through the reader's
// actions on the page's links, and the test window answered through the reader. Nothing a
// user can act on goes unnamed, boxes and lists can be read, and nothing claims to show that
// lies off the screen.
#include <algorithm>
#include <chrono>
#include <iterator>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

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

// The process id of the program that shows a window.
std::string PidOf(const desktop::TDesktop& desk, const std::string& window)
{
  const std::string pid = desk.Run("xdotool getwindowpid " + window);
  return pid.substr(0, pid.find('\n'));
}

// The program on a desktop of its own, its main window shown.
struct TProgramOnDesktop {
  desktop::TDesktop Desk;
  desktop::TProgram Program{Desk};
  std::string Main = Desk.WaitWindow("^Orrelo$");
  std::string Pid = Main.empty() ? std::string() : PidOf(Desk, Main);
};

TPoint Middle(const atspi::TNode& n)
{
  return {(n.Extents.Left + n.Extents.Right) / 2, (n.Extents.Top + n.Extents.Bottom) / 2};
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
  TProgramOnDesktop on;
  ASSERT_TRUE(on.Desk.Running());
  ASSERT_FALSE(on.Main.empty()) << "the main window never showed";
  const desktop::TDesktop& desk = on.Desk;
  const std::string& pid = on.Pid;
  ASSERT_FALSE(pid.empty());
  atspi::TListener listener({std::atoi(pid.c_str())});

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
        return atspi::Find(topic, "spin button", "Number of teeth on cog 1") != nullptr;
      },
      20000, 500);
  Report("the simple gear train", topic);
  EXPECT_EQ(Faults(topic), std::vector<std::string>{}) << raw;
  const atspi::TNode* teeth = atspi::Find(topic, "spin button", "Number of teeth on cog 1");
  ASSERT_NE(teeth, nullptr) << raw;
  EXPECT_EQ(teeth->Text, "20");
  desk.Screenshot("accessible-desktop-topic.png");

  // The test window through the page toolbar's button; the first answer pressed through the
  // reader, its tick or cross read back.
  Read(desk, pid, {"act:push button:test:Press"}, raw);
  const std::string testWindow = desk.WaitWindow("^Test$");
  ASSERT_FALSE(testWindow.empty()) << "no test window";
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
    for (const atspi::TNode& n : atspi::Below(nodes, "document frame", "Question 1"))
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
  // Tab goes from answer to answer, each heard as it takes the focus.
  desk.Run("xdotool windowactivate --sync " + testWindow);
  listener.Take();
  std::set<std::string> answers;
  for (int tab = 0; tab < 6 && answers.size() < 2; ++tab) {
    desk.Keys("Tab");
    desktop::WaitFor(
        [&] {
          for (const atspi::TEvent& e : listener.Since())
            if (e.Type == "focus:" && e.Role == "link" && !e.Name.empty())
              answers.insert(e.Name);
          return answers.size() >= static_cast<size_t>(std::min(tab + 1, 2));
        },
        1500);
  }
  EXPECT_GE(answers.size(), 2u) << listener.Log();
  const std::string press = "act:link:" + answer->Name + ":Press";
  listener.Take();
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
  // A reader following events hears the answer: the score, the question's entry, the next
  // question chosen and its page, which takes the focus named with the mark just given.
  const std::string entry = right ? "Question 1: right" : "Question 1: wrong";
  const std::string next = entry + ". Question 2";
  for (const auto& [type, role, name] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"object:property-change:accessible-name", "list", strip->Name},
           {"object:property-change:accessible-name", "list item", entry},
           {"object:state-changed:selected", "list item", "Question 2: not answered"},
           {"object:property-change:accessible-name", "document frame", next},
           {"focus:", "document frame", next}})
    EXPECT_TRUE(listener.WaitHeard([&, type = type, role = role, name = name](const atspi::TEvent& e) {
      return e.Type == type && e.Role == role && (name.empty() || e.Name == name)
             && (e.Detail1 == 1 || type != "object:state-changed:selected");
    })) << type
        << " " << role << " " << name << "\n"
        << listener.Log();
  // The reader reads on from its caret, which stands at the question's first word, after the
  // page's heading (offsets count characters; the heading's space is two bytes, and the walk
  // prints line ends as spaces).
  const atspi::TNode* page = atspi::Find(after, "document frame", next);
  ASSERT_NE(page, nullptr) << raw;
  size_t words = page->Text.find("Question 2 ");
  ASSERT_NE(words, std::string::npos) << page->Text;
  for (words += 10; words < page->Text.size() && page->Text[words] == ' ';)
    ++words;
  int wordsAt = 0;
  for (size_t b = 0; b < words; ++b)
    wordsAt += (static_cast<unsigned char>(page->Text[b]) & 0xC0) != 0x80 ? 1 : 0;
  EXPECT_EQ(page->Caret, wordsAt) << page->Text;
  desk.Screenshot("accessible-desktop-test.png");
  EXPECT_TRUE(on.Program.Running());
}

// A keyboard user the reader follows: the focus comes back, heard, to the control that had
// it when menus, a toolbar entered by the reader and dialogs close; each focus heard names a
// live object; dialogs read as dialogs with a button to focus; the page's words stand where
// they show, and a page that replaces the focused link takes the focus.
TEST(AccessibleDesktop, AReaderFollowsTheFocusThroughMenusDialogsAndPages)
{
  ATSPI_TEST_UNDER_BUS();
  TProgramOnDesktop on;
  ASSERT_TRUE(on.Desk.Running());
  ASSERT_FALSE(on.Main.empty()) << "the main window never showed";
  const desktop::TDesktop& desk = on.Desk;
  const std::string &main = on.Main, &pid = on.Pid;
  atspi::TListener listener({std::atoi(pid.c_str())});
  ASSERT_TRUE(listener.Ready()) << listener.Log();
  std::string raw;
  // The focus events heard since the last look, as "role:name".
  auto focusHeard = [&](const std::string& last) {
    std::vector<std::string> heard;
    desktop::WaitFor([&] {
      heard.clear();
      for (const atspi::TEvent& e : listener.Since())
        if (e.Type == "focus:")
          heard.push_back(e.Role + ":" + e.Name);
      return !heard.empty() && heard.back() == last;
    });
    listener.Take();
    return heard;
  };
  // The last focus heard, once it is the one waited for.
  auto lastFocus = [&](const std::string& last) {
    const std::vector<std::string> heard = focusHeard(last);
    return heard.empty() ? std::string() : heard.back();
  };
  auto has = [](const std::vector<std::string>& heard, const std::string& what) {
    return std::find(heard.begin(), heard.end(), what) != heard.end();
  };
  // Something was heard, and all of it was that.
  auto onlyHeard = [](const std::vector<std::string>& heard, const std::string& what) {
    return !heard.empty() && std::count(heard.begin(), heard.end(), what) == std::ssize(heard);
  };
  // Return on an index heading opens its group on the same page: the focus stays, heard, on
  // the heading pressed, not on a new page's top.
  desk.Run("xdotool windowactivate --sync " + main);
  std::string heading;
  for (int tab = 0; tab < 12 && heading != "link:Gear systems"; ++tab) {
    desk.Keys("Tab");
    desktop::WaitFor(
        [&] {
          for (const atspi::TEvent& e : listener.Take())
            heading = e.Type == "focus:" ? e.Role + ":" + e.Name : heading;
          return heading == "link:Gear systems";
        },
        1500);
  }
  ASSERT_EQ(heading, "link:Gear systems") << listener.Log();
  desk.Keys("Return");
  std::vector<std::string> heard = focusHeard("link:Gear systems");
  EXPECT_TRUE(!heard.empty() && heard.back() == "link:Gear systems") << listener.Log();
  for (const std::string& f : heard)
    EXPECT_EQ(f.rfind("document frame:", 0), std::string::npos) << listener.Log();
  // The pointer resting on the page toolbar's buttons (their hints shown) takes no reader's
  // focus from the heading. A text size chosen from the toolbar's menu lays the page out
  // anew: the keyboard and the reader stay on the heading, and nothing is heard taking the
  // focus before the new page stands (the old page's links go with it) nor the new page's top.
  const std::vector<atspi::TNode> index = Read(desk, pid, {}, raw);
  const atspi::TNode *home = atspi::Find(index, "push button", "home"),
                     *font = atspi::Find(index, "push button", "font");
  ASSERT_TRUE(home && font) << raw;
  listener.Take();
  for (const auto& [over, hint] : {std::pair{home, "Main index"}, std::pair{font, "Text size"}}) {
    desk.Run("xdotool mousemove " + std::to_string(Middle(*over).X) + " " + std::to_string(Middle(*over).Y));
    EXPECT_TRUE(listener.WaitHeard([&, hint = hint](const atspi::TEvent& e) {
      return e.Role == "status bar" && e.Name == hint;
    })) << listener.Log();
  }
  for (const atspi::TEvent& e : listener.Take())
    EXPECT_NE(e.Type, "focus:") << e.Role << ":" << e.Name;
  desk.Click(Middle(*font).X, Middle(*font).Y);
  const atspi::TNode* size = nullptr;
  std::vector<atspi::TNode> menu;
  desktop::WaitFor(
      [&] {
        menu = Read(desk, pid, {}, raw);
        size = atspi::Find(menu, "menu item", "12 point");
        return size && size->Has("showing");
      },
      10000, 300);
  ASSERT_NE(size, nullptr) << raw;
  listener.Take();
  desk.Click(Middle(*size).X, Middle(*size).Y);
  desktop::WaitFor([&] {
    heard.clear();
    bool laidOut = false;
    for (const atspi::TEvent& e : listener.Since()) {
      laidOut = laidOut || e.Type == "document:load-complete";
      if (e.Type == "focus:")
        heard.push_back((laidOut ? "" : "before the new page: ") + e.Role + ":" + e.Name);
    }
    return !heard.empty() && heard.back() == "link:Gear systems";
  });
  EXPECT_TRUE(onlyHeard(heard, "link:Gear systems")) << listener.Log();
  Read(desk, pid, {"act:link:Simple gear train:Press"}, raw);
  std::vector<atspi::TNode> topic;
  desktop::WaitFor(
      [&] {
        topic = Read(desk, pid, {}, raw);
        return atspi::Find(topic, "check box", "Show markers")
               && atspi::Find(topic, "document frame", "Simple gear train");
      },
      20000, 500);
  ASSERT_NE(atspi::Find(topic, "check box", "Show markers"), nullptr) << raw;
  desk.Run("xdotool windowactivate --sync " + main);
  Read(desk, pid, {"focus:check box:Show markers"}, raw);

  const std::string box = "check box:Show markers";
  focusHeard(box);
  auto spaceTicks = [&](int checked) {
    desk.Keys("space");
    return listener.WaitHeard([&](const atspi::TEvent& e) {
      return e.Type == "object:state-changed:checked" && e.Name == "Show markers" && e.Detail1 == checked;
    });
  };
  // A reader's click on the model toolbar's separator takes no focus: the reader stays on the
  // box, whose keys tick it and untick it.
  const atspi::TNode* separator = nullptr;
  const std::vector<atspi::TNode> modelBar = atspi::Below(topic, "tool bar", "Model");
  for (const atspi::TNode& n : modelBar)
    separator = !separator && n.Role == "separator" && n.Has("showing") ? &n : separator;
  ASSERT_NE(separator, nullptr) << raw;
  desk.Click(Middle(*separator).X, Middle(*separator).Y);
  EXPECT_TRUE(spaceTicks(1) && spaceTicks(0)) << listener.Log();
  for (const atspi::TEvent& e : listener.Take())
    EXPECT_FALSE(e.Type == "focus:" && e.Role + ":" + e.Name != box) << e.Role << ":" << e.Name;
  // Into the File menu, Right into the next (its first item heard), Escape twice.
  desk.Keys("alt+f");
  focusHeard("menu item:Print mechanism..");
  desk.Keys("Right");
  heard = focusHeard("menu item:Copy mechanism to clipboard");
  EXPECT_TRUE(has(heard, "menu item:Edit")) << listener.Log();
  desk.Keys("Escape");
  EXPECT_EQ(lastFocus("menu item:Edit"), "menu item:Edit") << listener.Log();
  desk.Keys("Escape");
  EXPECT_EQ(lastFocus(box), box) << listener.Log();
  // A toolbar's item given the focus by the reader; Escape leaves the toolbar.
  Read(desk, pid, {"focus:push button:test"}, raw);
  focusHeard("push button:test");
  desk.Keys("Escape");
  EXPECT_EQ(lastFocus(box), box) << listener.Log();
  // Every focus heard came from an object that still stood when the reader asked. (An object
  // the re-layout or a closing window takes away, or a hint that shows for a moment, may
  // still say it lost the focus or changed: a listener lagging behind finds it gone, as a
  // reader would, and that costs the reader nothing.)
  auto noFocusFromTheGone = [&] {
    for (const char* gone : {"error\tfocus:\t", "error\tobject:state-changed:focused\t1\t"})
      EXPECT_EQ(listener.Log().find(gone), std::string::npos) << listener.Log();
  };
  noFocusFromTheGone();

  // The page's print preview, opened by the page toolbar's button: its Print heard taking
  // the keyboard as it opens, Shift+Tab on round to Close, which Space presses. The keyboard
  // is back on the box, though the page was laid out for the preview with the main window
  // disabled.
  const desktop::TWindowPlace m = desk.Place(main);
  desk.Click(m.X + desk.WorkArea().Width / 2 - 10 + 246, m.Y + 36);
  ASSERT_FALSE(desk.WaitWindow("^Print preview$").empty());
  EXPECT_EQ(lastFocus("push button:Print"), "push button:Print") << listener.Log();
  desk.Keys("shift+Tab");
  EXPECT_EQ(lastFocus("push button:Close"), "push button:Close") << listener.Log();
  desk.Keys("space");
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Print preview$").empty(); }));
  EXPECT_EQ(lastFocus(box), box) << listener.Log();
  // Space there ticks the box, and unticks it again: the keys reach it.
  EXPECT_TRUE(spaceTicks(1)) << listener.Log();
  // Opened from the File menu, closed by a click on Close: the same. Then closed by the
  // reader's Press on Close, which acts as the click: the keyboard stays where it is, and no
  // focus is heard from the window that goes (its Close), only the box.
  for (const bool byClick : {true, false}) {
    desk.Keys("alt+f Down Return");
    ASSERT_FALSE(desk.WaitWindow("^Print preview$").empty());
    focusHeard("push button:Print");
    // Print may be heard taking the focus a second time as the window manager activates the
    // window (the README says so): that is the window's opening, not its closing.
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    listener.Take();
    const std::vector<atspi::TNode> preview = Read(desk, pid, {}, raw);
    const atspi::TNode* close = atspi::Find(preview, "push button", "Close");
    ASSERT_NE(close, nullptr) << raw;
    if (byClick)
      desk.Click(Middle(*close).X, Middle(*close).Y);
    else
      Read(desk, pid, {"act:push button:Close:Press"}, raw);
    EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Print preview$").empty(); }));
    EXPECT_TRUE(onlyHeard(focusHeard(box), box)) << listener.Log();
    EXPECT_TRUE(byClick ? spaceTicks(0) : spaceTicks(1) && spaceTicks(0)) << listener.Log();
  }
  noFocusFromTheGone();
  // A message box: File > Exit asks first; No, by Escape and by a click, keeps the program,
  // and the keyboard is back on the box.
  for (const bool byKey : {true, false}) {
    desk.Keys("alt+f End Return");
    const std::string ask = desk.WaitWindow("^Confirm$");
    ASSERT_FALSE(ask.empty());
    const std::vector<atspi::TNode> asked = Read(desk, pid, {}, raw);
    const atspi::TNode* no = atspi::Find(asked, "push button", "No");
    ASSERT_NE(no, nullptr) << raw;
    if (byKey)
      desk.Keys("Escape");
    else
      desk.Click((no->Extents.Left + no->Extents.Right) / 2, (no->Extents.Top + no->Extents.Bottom) / 2);
    EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Confirm$").empty(); }));
    EXPECT_EQ(lastFocus(box), box) << (byKey ? "Escape" : "a click") << "\n" << listener.Log();
    EXPECT_TRUE(spaceTicks(byKey ? 1 : 0)) << listener.Log();
  }
  // The model's picture printed by keys alone, to the run's spooler: the name asked (where
  // the login name gives none), the picture's preview, the print dialog, the box that tells
  // the job is done; every window but the box's waited through the job.
  desk.Keys("alt+f Return");
  desktop::WaitFor([&] { return !desk.WindowsNamed("^(Print information|Print preview)$").empty(); });
  if (!desk.WindowsNamed("^Print information$").empty()) {
    desk.Type("Ann");
    desk.Keys("Return");
  }
  ASSERT_FALSE(desk.WaitWindow("^Print preview$").empty());
  focusHeard("push button:Print");
  desk.Keys("Return");
  ASSERT_FALSE(desk.WaitWindow("^Print$").empty()) << "no print dialog";
  desk.Keys("Return");
  ASSERT_FALSE(desk.WaitWindow("^Information$", 60000).empty()) << "no box said how the job ended";
  desk.Keys("Return");
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Information$").empty(); }));
  EXPECT_EQ(lastFocus(box), box) << listener.Log();
  EXPECT_TRUE(spaceTicks(1)) << listener.Log();
  EXPECT_TRUE(spaceTicks(0)) << listener.Log();
  // The test window, from the Test menu, closed by Alt+F4: the main window has the box's
  // keyboard back.
  desk.Keys("alt+t Return");
  const std::string test = desk.WaitWindow("^Test$");
  ASSERT_FALSE(test.empty());
  ASSERT_TRUE(desk.Focus(test));
  desk.Keys("alt+F4");
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Test$").empty(); }));
  EXPECT_EQ(lastFocus(box), box) << listener.Log();
  // Again, closed by a click on its Close: nothing of the window that goes (its button, its
  // page) is heard taking the focus, only the box.
  desk.Keys("alt+t Return");
  ASSERT_TRUE(desk.Focus(desk.WaitWindow("^Test$")));
  std::vector<atspi::TNode> testNodes;
  const atspi::TNode* closeButton = nullptr;
  desktop::WaitFor(
      [&] {
        testNodes = Read(desk, pid, {}, raw);
        closeButton = atspi::Find(testNodes, "push button", "Close");
        return closeButton && closeButton->Has("showing");
      },
      20000, 500);
  ASSERT_NE(closeButton, nullptr) << raw;
  listener.Take();
  desk.Click(Middle(*closeButton).X, Middle(*closeButton).Y);
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Test$").empty(); }));
  EXPECT_TRUE(onlyHeard(focusHeard(box), box)) << listener.Log();

  // The speed dialog: a dialog; Escape gives the box its focus back, and its key works there.
  desk.Keys("alt+a Return");
  ASSERT_FALSE(desk.WaitWindow("^Set the animation speed$").empty());
  focusHeard("push button:Apply");
  EXPECT_NE(atspi::Find(Read(desk, pid, {}, raw), "dialog", "Set the animation speed"), nullptr) << raw;
  desk.Keys("Escape");
  EXPECT_EQ(lastFocus(box), box) << listener.Log();
  desk.Keys("space");
  EXPECT_TRUE(listener.WaitHeard([&](const atspi::TEvent& e) {
    return e.Type == "object:state-changed:checked" && e.Name == "Show markers" && e.Detail1 == 1;
  })) << listener.Log();
  // About: read as a message box is, an alert whose labels' words a reader speaks as it opens
  // (once: no description repeats them), and whose OK takes the focus.
  desk.Keys("alt+h End Return");
  ASSERT_FALSE(desk.WaitWindow("^About$").empty());
  focusHeard("push button:OK");
  const std::vector<atspi::TNode> about = Read(desk, pid, {"describe:alert:About"}, raw);
  EXPECT_NE(atspi::Find(about, "alert", "About"), nullptr) << raw;
  const size_t described = raw.find("described\tdescribe:alert:About\t");
  ASSERT_NE(described, std::string::npos) << raw;
  EXPECT_EQ(raw.substr(described, raw.find('\n', described) - described).find("Telephone"), std::string::npos) << raw;
  std::string words;
  for (const atspi::TNode& n : atspi::Below(about, "alert", "About"))
    words += n.Role == "label" ? n.Name + "\n" : "";
  EXPECT_NE(words.find("Telephone"), std::string::npos) << raw;
  desk.Keys("Escape");
  EXPECT_EQ(lastFocus(box), box) << listener.Log();

  // The page's words stand where they show: each character of the first paragraph's first
  // words in a row inside the page, and the character at a point is the one standing there.
  const atspi::TNode* doc = atspi::Find(about, "document frame", "Simple gear train");
  ASSERT_NE(doc, nullptr) << raw;
  const size_t at = doc->Text.find("A gear (or cog)");
  ASSERT_NE(at, std::string::npos) << doc->Text;
  // (The picture's caption stands in a table floating beside the paragraph.)
  const size_t caption = doc->Text.find("Click the picture to enlarge it.");
  ASSERT_NE(caption, std::string::npos) << doc->Text;
  const size_t needed = std::max(at, caption) + 6;
  const std::string docId = "document frame:Simple gear train";
  Read(desk, pid, {"extents:" + docId + ":"}, raw);
  const size_t line = raw.find("extents\t");
  ASSERT_NE(line, std::string::npos) << raw;
  std::vector<TRect> boxes;
  {
    const std::string all = raw.substr(raw.find('\t', raw.find('\t', line) + 1) + 1);
    for (size_t p = 0; boxes.size() < needed && p < all.size() && all[p] != '\n';) {
      int x = 0, y = 0, w = 0, h = 0, used = 0;
      if (std::sscanf(all.c_str() + p, "%d,%d,%d,%d%n", &x, &y, &w, &h, &used) != 4)
        break;
      boxes.push_back(Bounds(x, y, w, h));
      p += static_cast<size_t>(used) + 1;
    }
  }
  ASSERT_GE(boxes.size(), needed) << "(the text is ASCII up to there) " << raw.substr(0, 2000);
  for (const size_t first : {at, caption})
    for (size_t k = first; k < first + 6; ++k) {
      const TRect& b = boxes[k];
      EXPECT_TRUE(b.Width() > 0 && b.Height() > 0 && b.Left >= doc->Extents.Left && b.Right <= doc->Extents.Right
                  && b.Top >= doc->Extents.Top && b.Bottom <= doc->Extents.Bottom)
          << k;
      if (k > first) {
        EXPECT_TRUE(b.Left >= boxes[k - 1].Right - 1 && b.Top == boxes[k - 1].Top) << k;
      }
    }
  EXPECT_GT(boxes[caption].Left, boxes[at].Left + 100) << "the float stands to the right of the paragraph";
  const TRect g = boxes[at + 2];
  Read(desk, pid,
       {"at:" + docId + ":" + std::to_string((g.Left + g.Right) / 2) + "," + std::to_string((g.Top + g.Bottom) / 2)},
       raw);
  EXPECT_NE(raw.find("\t" + std::to_string(at + 2) + "\n"), std::string::npos) << raw.substr(0, 300);
  // A click there puts the page's caret on that character, and the reader hears it move (so
  // it reads the line clicked, as from a stock text browser).
  listener.Take();
  desk.Click((g.Left + g.Right) / 2, (g.Top + g.Bottom) / 2);
  EXPECT_TRUE(listener.WaitHeard([&](const atspi::TEvent& e) {
    return e.Type == "object:text-caret-moved" && e.Role == "document frame" && e.Detail1 == static_cast<int>(at) + 2;
  })) << listener.Log();

  // A link followed from the keyboard goes with its page: the new page has the focus.
  desk.Click(doc->Extents.Right - 30, doc->Extents.Bottom - 10);
  listener.Take();
  std::string link;
  int caret = -1;
  for (int tab = 0; tab < 30 && !(link == "Idler gear" && caret >= 0); ++tab) {
    desk.Keys("shift+Tab");
    desktop::WaitFor(
        [&] {
          for (const atspi::TEvent& e : listener.Take()) {
            if (e.Type == "focus:") {
              link = e.Name;
              caret = -1;
            }
            if (e.Type == "object:text-caret-moved" && e.Role == "document frame")
              caret = e.Detail1;
          }
          return link == "Idler gear" && caret >= 0;
        },
        300);
  }
  ASSERT_EQ(link, "Idler gear") << listener.Log();
  // Reading goes on from the link: the page's caret moved to its first character (offsets
  // count characters, the text read holds them in UTF-8).
  size_t byte = 0;
  for (int chars = 0; byte < doc->Text.size() && chars < caret; ++byte)
    chars += (static_cast<unsigned char>(doc->Text[byte + 1]) & 0xC0) != 0x80 ? 1 : 0;
  EXPECT_EQ(doc->Text.substr(byte, 10), "Idler gear") << caret << "\n" << listener.Log();
  desk.Keys("Return");
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) {
    return e.Type == "focus:" && e.Role == "document frame";
  })) << listener.Log();
  // Back, pressed by the reader while the keyboard is on the model: the page gone back to is
  // heard as a followed link's is, loaded and taking the focus.
  const std::vector<atspi::TNode> idler = Read(desk, pid, {}, raw);
  const atspi::TNode* model = atspi::Find(idler, "panel", "3D model");
  ASSERT_NE(model, nullptr) << raw;
  desk.Click(Middle(*model).X, Middle(*model).Y);
  listener.Take();
  Read(desk, pid, {"act:push button:back:Press"}, raw);
  for (const char* type : {"document:load-complete", "focus:"})
    EXPECT_TRUE(listener.WaitHeard([&](const atspi::TEvent& e) {
      return e.Type == type && e.Role == "document frame" && e.Name == "Simple gear train";
    })) << type
        << "\n"
        << listener.Log();

  // The cam graph's shape list, opened by a reader's click: each entry the keys reach is
  // heard; Escape closes the list (the box heard) and leaves the toolbar, and the reader is
  // back on the page's link though the pointer rests (and stirs) on the box; Tab goes on from
  // there.
  Read(desk, pid,
       {"act:push button:home:Press", "sleep", "act:link:Cams and followers:Press", "act:link:Circular cam:Press",
        "sleep", "act:link:Cam graphs:Press"},
       raw);
  std::vector<atspi::TNode> graph;
  const atspi::TNode *shape = nullptr, *graphPage = nullptr;
  desktop::WaitFor(
      [&] {
        graph = Read(desk, pid, {}, raw);
        shape = atspi::Find(graph, "combo box", "Cam shape");
        graphPage = atspi::Find(graph, "document frame", "Cam graphs");
        return shape && graphPage && shape->Has("showing");
      },
      20000, 500);
  ASSERT_TRUE(shape && graphPage) << raw;
  desk.Click(graphPage->Extents.Right - 30, graphPage->Extents.Bottom - 10);
  desk.Keys("Tab");
  const std::string onLink = "link:cams and followers";
  ASSERT_EQ(lastFocus(onLink), onLink) << listener.Log();
  desk.Click(Middle(*shape).X, Middle(*shape).Y);
  EXPECT_EQ(lastFocus("list item:Pear shaped"), "list item:Pear shaped") << listener.Log();
  for (const std::string entry : {"list item:Circular", "list item:Heart shaped"}) {
    desk.Keys("Down");
    EXPECT_EQ(lastFocus(entry), entry) << listener.Log();
  }
  desk.Keys("Escape");
  EXPECT_EQ(lastFocus("combo box:Cam shape"), "combo box:Cam shape") << listener.Log();
  desk.Keys("Escape");
  desk.Run("xdotool mousemove_relative 1 1");
  desk.Keys("Tab");
  EXPECT_EQ(focusHeard("link:circular cam"), (std::vector<std::string>{onLink, "link:circular cam"})) << listener.Log();

  // A narrow window: the lever bar's chevron holds the Wheelbarrow. The reader opens the
  // chevron and presses it there: it runs and goes back onto its bar, as a click puts it.
  Read(desk, pid,
       {"act:push button:home:Press", "sleep", "act:link:Levers:Press", "sleep", "act:link:Levers class 2:Press"}, raw);
  desk.Run("xdotool windowsize " + main + " 450 560");
  auto onBar = [&](const std::string& item) {
    for (const atspi::TNode& n : atspi::Below(Read(desk, pid, {}, raw), "tool bar", "Levers"))
      if (n.Role == "push button" && n.Name == item)
        return n.Has("showing");
    return false;
  };
  desktop::WaitFor([&] { return onBar("Nut crackers") && !onBar("Wheelbarrow"); }, 20000, 500);
  ASSERT_TRUE(onBar("Nut crackers") && !onBar("Wheelbarrow")) << raw;
  Read(desk, pid,
       {"under:tool bar:Levers", "act:push button:More Buttons:ShowMenu", "sleep", "under:popup menu:More Buttons",
        "act:push button:Wheelbarrow:Press"},
       raw);
  EXPECT_NE(raw.find("acted\tact:push button:Wheelbarrow:Press\tdone"), std::string::npos) << raw;
  desktop::WaitFor([&] { return onBar("Wheelbarrow"); }, 5000, 300);
  EXPECT_TRUE(onBar("Wheelbarrow")) << raw;
  EXPECT_FALSE(onBar("Nut crackers")) << "the least recently used goes past the edge instead\n" << raw;
  EXPECT_TRUE(on.Program.Running());
}

namespace {

// The types of event a reader heard from one program, from what has one of the roles.
std::set<std::string> Kinds(const std::vector<atspi::TEvent>& heard, int pid, const std::set<std::string>& roles)
{
  std::set<std::string> kinds;
  for (const atspi::TEvent& e : heard)
    if (e.Pid == pid && roles.count(e.Role))
      kinds.insert(e.Type);
  return kinds;
}

// What of the reference's kinds ours lacks.
std::set<std::string> Lacking(const std::set<std::string>& reference, const std::set<std::string>& ours)
{
  std::set<std::string> lack;
  std::set_difference(reference.begin(), reference.end(), ours.begin(), ours.end(), std::inserter(lack, lack.end()));
  return lack;
}

}   // namespace

// The events a screen reader hears from our controls, beside what the desktop's own controls
// send for the same input in a stock program on the same desktop: an edit typed into, a
// check box toggled, a number box stepped, Tab from control to control.
TEST(AccessibleDesktop, AReaderHearsWhatChangesAsFromTheDesktopsOwnControls)
{
  ATSPI_TEST_UNDER_BUS();
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TProgram reference(desk, "reference_widgets");
  const std::string refWindow = desk.WaitWindow("^Reference widgets$");
  ASSERT_FALSE(refWindow.empty()) << "the reference program never showed";
  desktop::TProgram program(desk);
  const std::string main = desk.WaitWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  const std::string pid = PidOf(desk, main);
  const int ourPid = std::atoi(pid.c_str()), refPid = reference.Pid();
  atspi::TListener listener({ourPid, refPid});
  ASSERT_TRUE(listener.Ready()) << listener.Log();
  // A stock program joins the bus after its window shows, and what it says before then no
  // reader hears: it is used once a reader can read its edit.
  std::string refRaw;
  ASSERT_TRUE(desktop::WaitFor(
      [&] {
        const std::vector<atspi::TNode> nodes = Read(desk, std::to_string(refPid), {}, refRaw);
        return std::any_of(nodes.begin(), nodes.end(), [](const atspi::TNode& n) { return n.Role == "text"; });
      },
      20000, 500))
      << refRaw;

  // The reference: its edit has the focus as it opens.
  ASSERT_TRUE(desk.Focus(refWindow)) << "the reference program never took the keyboard";
  desk.Keys("End BackSpace");
  desk.Type("5");
  ASSERT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "object:text-changed:insert"; }))
      << listener.Log();
  const std::set<std::string> refEdit = Kinds(listener.Take(), refPid, {"text"});
  desk.Keys("Tab");
  ASSERT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "focus:"; })) << listener.Log();
  const std::set<std::string> refTab = Kinds(listener.Take(), refPid, {"combo box"});
  desk.Keys("Tab");
  desk.Keys("space");
  ASSERT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "object:state-changed:checked"; }))
      << listener.Log();
  // (The reference's status bar tells the marker's state.)
  const std::vector<atspi::TEvent> refToggled = listener.Take();
  const std::set<std::string> refCheck = Kinds(refToggled, refPid, {"check box"}),
                              refBar = Kinds(refToggled, refPid, {"status bar"});
  desk.Keys("Tab");
  ASSERT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "focus:" && e.Role == "slider"; }))
      << listener.Log();
  listener.Take();
  desk.Keys("Right");
  ASSERT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Role == "label"; })) << listener.Log();
  const std::vector<atspi::TEvent> refMoved = listener.Take();
  const std::set<std::string> refSlider = Kinds(refMoved, refPid, {"slider"}),
                              refLabel = Kinds(refMoved, refPid, {"label"});
  desk.Keys("Tab Up");
  ASSERT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) {
    return e.Type == "object:property-change:accessible-value" && e.Role == "spin button";
  })) << listener.Log();
  const std::set<std::string> refSpin = Kinds(listener.Take(), refPid, {"spin button"});

  // Ours: Tab from link to link in the page pane, each heard as it takes the focus.
  std::string raw;
  const std::vector<atspi::TNode> start = Read(desk, pid, {}, raw);
  const atspi::TNode* page = nullptr;
  for (const atspi::TNode& n : start)
    if (n.Role == "document frame" && !page)
      page = &n;
  ASSERT_NE(page, nullptr) << raw;
  desk.Run("xdotool windowactivate --sync " + main);
  desk.Click(page->Extents.Right - 30, page->Extents.Bottom - 10);
  listener.Take();
  desk.Keys("Tab Tab Tab");
  std::set<std::string> links;
  desktop::WaitFor([&] {
    for (const atspi::TEvent& e : listener.Since())
      if (e.Pid == ourPid && e.Type == "focus:" && e.Role == "link" && !e.Name.empty())
        links.insert(e.Name);
    return links.size() >= 3;
  });
  EXPECT_EQ(links.size(), 3u) << listener.Log();
  const std::set<std::string> ourTab = Kinds(listener.Take(), ourPid, {"link"});
  EXPECT_EQ(Lacking(refTab, ourTab), std::set<std::string>{}) << listener.Log();

  // The index's link objects a reader holds answer nothing once another page stands: the
  // next page numbers its links from the start again.
  listener.Take();
  Read(desk, pid, {"hold:link", "act:link:Gear systems:Press", "sleep", "held"}, raw);
  // The new page is heard loaded, as a reader starts reading a page on it.
  EXPECT_TRUE(listener.WaitHeard([&](const atspi::TEvent& e) {
    return e.Pid == ourPid && e.Type == "document:load-complete" && e.Role == "document frame";
  })) << listener.Log();
  EXPECT_NE(raw.find("held\tgone"), std::string::npos) << raw;
  EXPECT_EQ(raw.find("held\tlink"), std::string::npos) << raw;

  // Ours: the simple gear train's first cog, its number box and its marker box.
  Read(desk, pid, {"act:link:Simple gear train:Press"}, raw);
  std::vector<atspi::TNode> topic;
  desktop::WaitFor(
      [&] {
        topic = Read(desk, pid, {}, raw);
        return atspi::Find(topic, "spin button", "Number of teeth on cog 1")
               && atspi::Find(topic, "check box", "Show markers");
      },
      20000, 500);
  // (The number box is one control, as a stock one is; its arrows stand beside it.)
  const atspi::TNode* box = atspi::Find(topic, "spin button", "Number of teeth on cog 1");
  const atspi::TNode* marker = atspi::Find(topic, "check box", "Show markers");
  ASSERT_TRUE(box && marker) << raw;
  const TPoint boxAt = Middle(*box), markerAt = Middle(*marker);
  const TPoint upAt{box->Extents.Right + 7, box->Extents.Top + 3};
  desk.Run("xdotool windowactivate --sync " + main);

  // A reader moves the box's caret and selection, finds where its characters stand, and
  // gives it the focus, which is heard.
  listener.Take();
  const std::string boxId = "spin button:Number of teeth on cog 1";
  std::vector<atspi::TNode> moved = Read(desk, pid, {"focus:" + boxId, "caret:" + boxId + ":1"}, raw);
  EXPECT_NE(raw.find("focused\tfocus:" + boxId + "\tTrue"), std::string::npos) << raw;
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "focus:" && e.Role == "spin button"; }))
      << listener.Log();
  ASSERT_NE(atspi::Find(moved, "spin button", "Number of teeth on cog 1"), nullptr) << raw;
  EXPECT_EQ(atspi::Find(moved, "spin button", "Number of teeth on cog 1")->Caret, 1) << raw;
  moved = Read(desk, pid, {"select:" + boxId + ":0-2", "extents:" + boxId + ":"}, raw);
  EXPECT_EQ(atspi::Find(moved, "spin button", "Number of teeth on cog 1")->Selection, "0-2") << raw;
  int x0 = 0, y0 = 0, w0 = 0, h0 = 0, x1 = 0, y1 = 0, w1 = 0, h1 = 0;
  const size_t extents = raw.find("extents\t");
  ASSERT_NE(extents, std::string::npos) << raw;
  ASSERT_EQ(std::sscanf(raw.c_str() + raw.find('\t', raw.find('\t', extents) + 1) + 1, "%d,%d,%d,%d %d,%d,%d,%d", &x0,
                        &y0, &w0, &h0, &x1, &y1, &w1, &h1),
            8)
      << raw;
  EXPECT_TRUE(w0 > 0 && h0 > 0 && x1 >= x0 + w0 && y1 == y0) << raw;
  EXPECT_TRUE(x0 >= box->Extents.Left && x1 + w1 <= box->Extents.Right) << raw;

  desk.Click(boxAt.X, boxAt.Y);
  desk.Keys("End BackSpace");
  desk.Type("5");
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "object:text-changed:insert"; }))
      << listener.Log();
  const std::set<std::string> ourEdit = Kinds(listener.Take(), ourPid, {"spin button"});
  EXPECT_EQ(Lacking(refEdit, ourEdit), std::set<std::string>{}) << listener.Log();
  desk.Click(markerAt.X, markerAt.Y);
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "object:state-changed:checked"; }))
      << listener.Log();
  const std::set<std::string> ourCheck = Kinds(listener.Take(), ourPid, {"check box"});
  EXPECT_EQ(Lacking(refCheck, ourCheck), std::set<std::string>{}) << listener.Log();
  // The arrows give the box the keyboard (ours tells their hint under the pointer), and Up
  // and Down step it there: the focused box itself tells each value, as a stock one does.
  desk.Click(upAt.X, upAt.Y);
  EXPECT_TRUE(listener.WaitHeard([&](const atspi::TEvent& e) {
    return e.Pid == ourPid && e.Role == "status bar" && e.Name == "Set the number of teeth on the left cog";
  })) << listener.Log();
  desk.Keys("Up Down");
  std::vector<std::string> values;
  desktop::WaitFor([&] {
    values.clear();
    for (const atspi::TEvent& e : listener.Since())
      if (e.Pid == ourPid && e.Type == "object:property-change:accessible-value")
        values.push_back(e.Role + ":" + e.Name + (e.SourceFocused ? " (focused)" : ""));
    return values.size() >= 3;
  });
  EXPECT_TRUE(values.size() >= 3
              && std::count(values.begin(), values.end(), boxId + " (focused)") == std::ssize(values))
      << listener.Log();
  const std::vector<atspi::TEvent> ourStepped = listener.Take();
  const std::set<std::string> ourSpin = Kinds(ourStepped, ourPid, {"spin button"});
  EXPECT_EQ(Lacking(refSpin, ourSpin), std::set<std::string>{}) << listener.Log();
  EXPECT_EQ(Lacking(refBar, Kinds(ourStepped, ourPid, {"status bar"})), std::set<std::string>{}) << listener.Log();
  // A reader gives a toolbar's item the focus: it is selected there, as the keyboard
  // selects it; Escape leaves the toolbar.
  const std::vector<atspi::TNode> kit = Read(desk, pid, {"focus:push button:test"}, raw);
  EXPECT_NE(raw.find("focused\tfocus:push button:test\tTrue"), std::string::npos) << raw;
  ASSERT_NE(atspi::Find(kit, "push button", "test"), nullptr) << raw;
  EXPECT_TRUE(atspi::Find(kit, "push button", "test")->Has("focused")) << raw;
  desk.Keys("Escape");

  // Ours: the inclined plane's angle bar stepped with its arrow, its label following.
  Read(desk, pid, {"act:push button:home:Press", "sleep", "act:link:Reference:Press", "act:link:Inclined plane:Press"},
       raw);
  std::vector<atspi::TNode> plane;
  const atspi::TNode* bar = nullptr;
  desktop::WaitFor(
      [&] {
        plane = Read(desk, pid, {}, raw);
        bar = nullptr;
        for (const atspi::TNode& n : plane)
          if (n.Role == "slider" && n.Name.rfind("Angle = ", 0) == 0 && n.Has("showing"))
            bar = &n;
        return bar != nullptr;
      },
      40000, 500);
  ASSERT_NE(bar, nullptr) << raw;
  listener.Take();
  desk.Click(bar->Extents.Right - 6, Middle(*bar).Y);
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Role == "label"; })) << listener.Log();
  const std::vector<atspi::TEvent> ourMoved = listener.Take();
  EXPECT_EQ(Lacking(refSlider, Kinds(ourMoved, ourPid, {"slider"})), std::set<std::string>{}) << listener.Log();
  EXPECT_EQ(Lacking(refLabel, Kinds(ourMoved, ourPid, {"label"})), std::set<std::string>{}) << listener.Log();
  // The click gave the bar the keyboard: Right moves it as its arrow does, and the bar
  // named after the label is heard renamed with it.
  desk.Keys("Right");
  for (const char* type : {"object:property-change:accessible-value", "object:property-change:accessible-name"})
    EXPECT_TRUE(listener.WaitHeard([&](const atspi::TEvent& e) {
      return e.Pid == ourPid && e.Type == type && e.Role == "slider" && e.Name.rfind("Angle = ", 0) == 0;
    })) << type
        << "\n"
        << listener.Log();

  // Text the user selects in the page is the page's selection for a reader too.
  const atspi::TNode* doc = nullptr;
  for (const atspi::TNode& n : plane)
    if (n.Role == "document frame" && !doc)
      doc = &n;
  ASSERT_NE(doc, nullptr) << raw;
  const int left = doc->Extents.Left + 12, top = doc->Extents.Top + 60;
  desk.Run("xdotool mousemove " + std::to_string(left) + " " + std::to_string(top) + " mousedown 1 mousemove "
           + std::to_string(left + 150) + " " + std::to_string(top + 40) + " mouseup 1");
  const std::vector<atspi::TNode> selected = Read(desk, pid, {}, raw);
  const atspi::TNode* pane = nullptr;
  for (const atspi::TNode& n : selected)
    if (n.Role == "document frame" && !pane)
      pane = &n;
  ASSERT_NE(pane, nullptr) << raw;
  int from = 0, to = 0;
  EXPECT_EQ(std::sscanf(pane->Selection.c_str(), "%d-%d", &from, &to), 2) << raw;
  EXPECT_GT(to, from + 40) << raw;
  EXPECT_EQ(pane->Text.substr(static_cast<size_t>(std::min<int>(from, pane->Text.size())), 17), "An inclined plane")
      << raw;
  desk.Screenshot("accessible-desktop-events.png");

  // The help window's contents: the chosen entry is heard as the focus when the tree takes
  // it and as the choice moves, as a stock tree's item is.
  desk.Run("xdotool windowactivate --sync " + main);
  listener.Take();
  desk.Keys("F1");
  const std::string help = desk.WaitWindow("Help$");
  ASSERT_FALSE(help.empty()) << "no help window";
  desk.Run("xdotool windowactivate --sync " + help);
  desk.Keys("Down Down");
  // (A stock tree's items are heard as table cells, and ours so too.)
  std::set<std::string> entries;
  desktop::WaitFor([&] {
    for (const atspi::TEvent& e : listener.Take())
      if (e.Pid == ourPid && e.Type == "focus:" && e.Role == "table cell" && !e.Name.empty())
        entries.insert(e.Name);
    return entries.size() >= 2;
  });
  EXPECT_GE(entries.size(), 2u) << listener.Log();

  // Tab reaches the help window's buttons one by one (Back, once a page has gone before, and
  // the Contents and Index tabs), each heard as it takes the focus; past the page's last link
  // no panel that holds them is heard before them.
  std::set<std::string> buttons;
  std::vector<std::string> unnamed;
  for (int tab = 0; tab < 12 && !(buttons.count("Back") && buttons.count("Contents") && buttons.count("Index"));
       ++tab) {
    desk.Keys("Tab");
    desktop::WaitFor(
        [&] {
          for (const atspi::TEvent& e : listener.Take())
            if (e.Pid == ourPid && e.Type == "focus:") {
              buttons.insert(e.Name);
              if (e.Name.empty() || (e.Role == "panel" && e.Name == "Contents and Index"))
                unnamed.push_back(e.Role + ":" + e.Name);
            }
          return false;
        },
        300);
  }
  for (const char* b : {"Back", "Contents", "Index"})
    EXPECT_TRUE(buttons.count(b)) << b << "\n" << listener.Log();
  EXPECT_EQ(unnamed, std::vector<std::string>{}) << listener.Log();
  // Space presses the one with the focus: the Index tab goes down, heard as checked.
  std::string focused;
  for (int tab = 0; tab < 12 && focused != "Index"; ++tab) {
    desk.Keys("Tab");
    desktop::WaitFor(
        [&] {
          for (const atspi::TEvent& e : listener.Take())
            if (e.Pid == ourPid && e.Type == "focus:")
              focused = e.Name;
          return focused == "Index";
        },
        300);
  }
  ASSERT_EQ(focused, "Index") << listener.Log();
  // Asked, the tab says it has the focus, and the row that holds it does not.
  const std::vector<atspi::TNode> tabs = Read(desk, pid, {}, raw);
  const atspi::TNode* index = atspi::Find(tabs, "push button", "Index");
  const atspi::TNode* row = atspi::Find(tabs, "panel", "Contents and Index");
  ASSERT_TRUE(index && row) << raw;
  EXPECT_TRUE(index->Has("focused")) << index->States;
  EXPECT_FALSE(row->Has("focused")) << row->States;
  desk.Keys("space");
  EXPECT_TRUE(listener.WaitHeard([&](const atspi::TEvent& e) {
    return e.Pid == ourPid && e.Type == "object:state-changed:checked" && e.Name == "Index" && e.Detail1 == 1;
  })) << listener.Log();
  desk.Screenshot("accessible-desktop-help.png");
}
