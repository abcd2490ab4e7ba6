// The platform's controls as a screen reader reads them over the AT-SPI bus:
// each runs again under a session bus of its own (AtSpiSupport.h) and reads its
// windows from outside.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <string>
#include <vector>

#include "platform/Accessible.h"
#include "platform/ComCtrls.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "platform/ScrollBar.h"
#include "platform/StdCtrls.h"
#include "tests/TestWait.h"
#include "tests/platform/AtSpiSupport.h"

namespace {

// A document shown in a child of its viewer, focused while the viewer is.
struct TSheetNode : TAccessibleNode {
  TWinControl* Viewer;
  explicit TSheetNode(TWinControl* v) : Viewer(v) {}
  bool Valid() override { return true; }
  std::u16string Name() override { return u"Sheet"; }
  int32_t Role() override { return ROLE_SYSTEM_DOCUMENT; }
  uint32_t State() override { return STATE_SYSTEM_FOCUSABLE | (Viewer->Focused() ? STATE_SYSTEM_FOCUSED : 0); }
  TRect ScreenRect() override { return {}; }
  const void* Identity() override { return this; }
  bool GetText(TAccessibleText& t) override
  {
    t.Text = u"Gear train\r\nA gear";
    return true;
  }
};

// A page of the kinds of controls the program's control pages hold.
struct TControlPage {
  TForm Form;
  TLabel Teeth, Speed;
  TPanel Box1, Box2;
  TUpDown Up1, Up2;
  TCheckBox Marker;
  TTrackBar Track;
  TScrollBar Step;
  TButton Ok;
  TPanel Viewer, Sheet;   // a viewer that shows its document in a child, as the page viewer does
  int UpClicks = 0, MarkerClicks = 0, StepChanges = 0, OkClicks = 0;
  std::vector<int32_t> StepMoves;
  TControlPage()
  {
    Form.SetBounds(100, 100, 520, 160);
    Form.SetCaption("Controls");
    for (TControl* c :
         std::initializer_list<TControl*>{&Teeth, &Speed, &Box1, &Box2, &Up1, &Up2, &Marker, &Track, &Step, &Ok})
      c->SetParent(&Form);
    Teeth.SetCaption("Number of teeth");
    Teeth.SetBounds(8, 8, 90, 14);
    // Two counters on the label's row: a number box and its arrows each.
    Box1.SetBounds(100, 4, 28, 21);
    Up1.SetBounds(128, 4, 15, 21);
    Box2.SetBounds(152, 4, 28, 21);
    Up2.SetBounds(180, 4, 15, 21);
    for (TUpDown* u : {&Up1, &Up2}) {
      u->SetMin(10);
      u->SetMax(40);
      u->SetPosition(20);
      u->OnClick = [this](TObject*, TUDBtnType) { ++UpClicks; };
    }
    Up1.SetAssociate(&Box1);
    Up2.SetAssociate(&Box2);
    Up1.SetHint("Set the number of teeth on the left cog");
    Marker.SetCaption("Show &marker");
    Marker.SetBounds(320, 6, 110, 17);
    Marker.OnClick = [this](TObject*) { ++MarkerClicks; };
    // A track bar under its label; a bar known by its hint alone.
    Speed.SetCaption("Speed");
    Speed.SetBounds(8, 40, 60, 14);
    Track.SetBounds(8, 56, 150, 30);
    Track.SetMax(10);
    Step.SetBounds(200, 60, 150, 17);
    Step.SetParams(0, 0, 360, 0);
    Step.SetHint("run animation manually");
    Step.SetLargeChange(36);
    Step.OnChange = [this](TObject*) {
      ++StepChanges;
      StepMoves.push_back(Step.Position());
    };
    Ok.SetCaption("OK");
    Ok.SetBounds(400, 100, 75, 25);
    Ok.OnClick = [this](TObject*) { ++OkClicks; };
    Viewer.SetParent(&Form);
    Viewer.SetBounds(8, 100, 150, 50);
    Viewer.SetAccessibleName("Topic page");
    Sheet.SetParent(&Viewer);
    Sheet.SetBounds(0, 0, 150, 50);
    SetAccessibleRoot(&Sheet, [this] { return std::make_shared<TSheetNode>(&Viewer); });
    Form.Show();
  }
  ~TControlPage() { Form.Hide(); }
};

}   // namespace

TEST(AccessibleControls, EachControlHasItsRoleNameValueAndActionsOverTheBus)
{
  ATSPI_TEST_UNDER_BUS();
  TControlPage page;
  testwait::WaitUntil([&] { return page.Form.Showing(); }, 3000);
  std::string raw;
  // The reader steps the first counter up, ticks the box, sets the bar and
  // presses OK.
  auto nodes = atspi::Walk({"act:spin button:Number of teeth:increase", "act:check box:Show marker:toggle",
                            "set:slider:run animation manually:90", "act:push button:OK:press"},
                           &raw);
  ASSERT_FALSE(nodes.empty()) << raw;
  if (std::getenv("ORRELO_ATSPI_DUMP"))
    std::fprintf(stderr, "%s", raw.c_str());
  EXPECT_EQ(raw.find("not found"), std::string::npos) << raw;
  EXPECT_EQ(atspi::Unreadable(nodes), std::vector<std::string>{}) << raw;

  // Names from the label beside (both counters), the caption without its
  // accelerator mark, the label above, and the hint.
  int counters = 0;
  for (const auto& n : nodes)
    if (n.Role == "spin button") {
      ++counters;
      EXPECT_EQ(n.Name, "Number of teeth");
      // (What Tab reaches, a reader can give the focus to.)
      EXPECT_EQ(n.Actions, "Increase,Decrease,SetFocus");
    }
  EXPECT_EQ(counters, 2);
  const atspi::TNode* marker = atspi::Find(nodes, "check box", "Show marker");
  ASSERT_NE(marker, nullptr) << raw;
  EXPECT_NE(marker->States.find("checked"), std::string::npos);
  const atspi::TNode* speed = atspi::Find(nodes, "slider", "Speed");
  ASSERT_NE(speed, nullptr) << raw;
  EXPECT_EQ(speed->Value, "0");
  const atspi::TNode* step = atspi::Find(nodes, "slider", "run animation manually");
  ASSERT_NE(step, nullptr) << raw;
  EXPECT_EQ(step->Value, "90");
  ASSERT_NE(atspi::Find(nodes, "label", "Number of teeth"), nullptr) << raw;
  ASSERT_NE(atspi::Find(nodes, "push button", "OK"), nullptr) << raw;

  // The actions acted as the user's input does: events fired, values moved.
  EXPECT_EQ(page.Up1.Position(), 21);
  EXPECT_EQ(page.Up2.Position(), 20);
  EXPECT_EQ(page.UpClicks, 1);
  EXPECT_TRUE(page.Marker.Checked());
  EXPECT_EQ(page.MarkerClicks, 1);
  EXPECT_EQ(page.Step.Position(), 90);
  EXPECT_GE(page.StepChanges, 1);
  EXPECT_EQ(page.OkClicks, 1);

  // Tab reaches the bar, and its keys move it as the mouse's clicks do (a line, a page, the
  // ends), each move heard as the slider's value.
  atspi::TListener listener({static_cast<int>(getpid())});
  ASSERT_TRUE(listener.Ready()) << listener.Log();
  page.Track.SetFocus();
  SimulateKey(VK_TAB);
  ASSERT_TRUE(testwait::WaitUntil([&] { return page.Step.Focused(); }, 3000));
  page.StepMoves.clear();
  listener.Take();
  for (Word key : {VK_RIGHT, VK_NEXT, VK_UP, VK_END, VK_HOME, VK_PRIOR})
    SimulateKey(key);
  EXPECT_EQ(page.StepMoves, (std::vector<int32_t>{91, 127, 126, 360, 0}));
  int heard = 0;
  testwait::WaitUntil(
      [&] {
        heard = 0;
        for (const atspi::TEvent& e : listener.Since())
          heard += e.Type == "object:property-change:accessible-value" && e.Role == "slider"
                           && e.Name == "run animation manually"
                       ? 1
                       : 0;
        return heard >= 5;
      },
      5000);
  EXPECT_EQ(heard, 5) << listener.Log();

  // The viewer takes the keyboard (back from a dialog): the reader ends on its document, after
  // the viewer around it; and so after a menu closed over the viewer.
  listener.Take();
  page.Viewer.SetFocus();
  ASSERT_TRUE(testwait::WaitUntil([&] { return page.Viewer.Focused(); }, 3000));
  auto lastFocus = [&] {
    std::string last;
    for (const atspi::TEvent& e : listener.Since())
      if (e.Type == "focus:")
        last = e.Role + " " + e.Name;
    return last;
  };
  EXPECT_TRUE(testwait::WaitUntil([&] { return lastFocus() == "document frame Sheet"; }, 5000)) << listener.Log();
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "focus:" && e.Role == "panel"; }))
      << listener.Log();
  listener.Take();
  NotifyAccessibleFocusReturn();
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) {
    return e.Type == "focus:" && e.Role == "document frame" && e.Name == "Sheet";
  })) << listener.Log();

  // The document's text is one run, each character in it.
  std::string runs;
  atspi::Walk({"runs:document frame:Sheet"}, &runs);
  std::string all;
  for (int i = 0; i < 18; ++i)
    all += (i ? " " : "") + std::string("0-18");
  EXPECT_NE(runs.find("\t" + all + "\n"), std::string::npos) << runs;
}

namespace {

// Boxes that hold text, a drop-down list, captions in the program's code page, and controls
// that do not show: one past the window's edge, one in a hidden panel.
struct TBoxPage {
  TForm Form;
  TLabel Angle, Price, TeethLabel, BeltLabel;
  TEdit Teeth;
  TUpDown TeethUpDown;
  TComboBox Belt;
  TListBox Keywords;
  TButton Away;
  TPanel Hidden;
  TButton InHidden;
  int BeltChanges = 0;
  TBoxPage()
  {
    Form.SetBounds(100, 100, 420, 140);
    Form.SetCaption("Boxes");
    for (TControl* c : std::initializer_list<TControl*>{&Angle, &Price, &TeethLabel, &BeltLabel, &Teeth, &TeethUpDown,
                                                        &Belt, &Keywords, &Away, &Hidden})
      c->SetParent(&Form);
    Angle.SetCaption("Angle = 10 \xBA");
    Angle.SetBounds(8, 8, 80, 14);
    Price.SetCaption(
        "\xA3"
        "5 a lesson");
    Price.SetBounds(200, 8, 100, 14);
    TeethLabel.SetCaption("Teeth");
    TeethLabel.SetBounds(8, 40, 50, 14);
    Teeth.SetBounds(70, 36, 40, 21);
    Teeth.SetText("24");
    Teeth.SetSelStart(1);
    TeethUpDown.SetBounds(110, 36, 15, 21);
    TeethUpDown.SetMin(10);
    TeethUpDown.SetMax(40);
    TeethUpDown.SetPosition(24);
    TeethUpDown.SetAssociate(&Teeth);
    BeltLabel.SetCaption("Belt type");
    BeltLabel.SetBounds(8, 74, 50, 14);
    Belt.SetBounds(70, 70, 90, 21);
    Belt.Items() = {"Vee belt", "Flat belt", "Round belt"};
    Belt.SetItemIndex(1);
    Belt.OnChange = [this](TObject*) { ++BeltChanges; };
    Keywords.SetAccessibleName("Keywords");
    Keywords.SetBounds(200, 30, 90, 48);
    Keywords.Items() = {"gears", "labels", "levers"};
    Keywords.ItemsChanged();
    Keywords.SetItemIndex(0);
    // Pushed off the window's left edge, as a hidden control is parked.
    Away.SetCaption("Far away");
    Away.SetBounds(-10160, 20, 75, 25);
    Hidden.SetBounds(300, 60, 100, 60);
    InHidden.SetParent(&Hidden);
    InHidden.SetCaption("Hidden button");
    InHidden.SetBounds(4, 4, 90, 25);
    Hidden.SetVisible(false);
    Form.Show();
  }
  ~TBoxPage() { Form.Hide(); }
};

}   // namespace

TEST(AccessibleControls, BoxesListsCaptionsInTheCodePageAndWhatShowsOverTheBus)
{
  ATSPI_TEST_UNDER_BUS();
  TBoxPage page;
  testwait::WaitUntil([&] { return page.Form.Showing(); }, 3000);
  atspi::TReader reader;
  ASSERT_TRUE(reader.Ready());
  std::string raw;
  // The reader picks "Round belt" from the closed list.
  auto nodes = reader.Walk({"act:list item:Round belt:Press"}, &raw);
  ASSERT_FALSE(nodes.empty()) << raw;
  EXPECT_EQ(raw.find("not found"), std::string::npos) << raw;
  EXPECT_EQ(atspi::Unreadable(nodes), std::vector<std::string>{}) << raw;
  EXPECT_EQ(atspi::Unread(nodes), std::vector<std::string>{}) << raw;
  EXPECT_EQ(atspi::ShowingOffScreen(nodes, Bounds(0, 0, Screen().Width(), Screen().Height())),
            std::vector<std::string>{})
      << raw;

  // Captions held in the code page arrive as themselves.
  EXPECT_NE(atspi::Find(nodes, "label", "Angle = 10 \xC2\xBA"), nullptr) << raw;
  EXPECT_NE(atspi::Find(nodes, "label",
                        "\xC2\xA3"
                        "5 a lesson"),
            nullptr)
      << raw;

  // The number box: one spin button with its value, text and caret, nothing selected (its
  // arrows are no control of their own).
  const atspi::TNode* teeth = atspi::Find(nodes, "spin button", "Teeth");
  ASSERT_NE(teeth, nullptr) << raw;
  EXPECT_EQ(std::count_if(nodes.begin(), nodes.end(), [](const atspi::TNode& n) { return n.Role == "spin button"; }), 1)
      << raw;
  EXPECT_EQ(teeth->Value, "24");
  EXPECT_TRUE(teeth->HasText);
  EXPECT_EQ(teeth->Text, "24");
  EXPECT_EQ(teeth->Caret, 1);
  EXPECT_EQ(teeth->Selection, "");
  EXPECT_TRUE(teeth->Has("editable"));

  // The list: its text and value, its entries below it; the pick went to the box as the
  // user's pick does.
  const atspi::TNode* belt = atspi::Find(nodes, "combo box", "Belt type");
  ASSERT_NE(belt, nullptr) << raw;
  EXPECT_EQ(belt->Text, "Round belt");
  EXPECT_EQ(belt->Value, "2");
  std::vector<std::string> entries;
  for (const atspi::TNode& n : atspi::Below(nodes, "combo box", "Belt type"))
    if (n.Role == "list item") {
      entries.push_back(n.Name);
      EXPECT_TRUE(n.Has("selectable")) << n.Name;
      EXPECT_EQ(n.Has("selected"), n.Name == "Round belt") << n.Name;
      EXPECT_FALSE(n.Has("showing")) << "a closed list does not show";
    }
  EXPECT_EQ(entries, (std::vector<std::string>{"Vee belt", "Flat belt", "Round belt"}));
  EXPECT_EQ(page.Belt.ItemIndex(), 2);
  EXPECT_EQ(page.BeltChanges, 1);

  // The keys change the list's choice aloud, as a stock combo box tells it (its name and
  // selection change); opened, the list's chosen entry has the reader's focus, and closed,
  // the box has it again.
  atspi::TListener listener({static_cast<int>(getpid())});
  ASSERT_TRUE(listener.Ready()) << listener.Log();
  page.Belt.SetFocus();
  testwait::WaitUntil([&] { return page.Belt.Focused(); }, 3000);
  listener.Take();
  SimulateKey(VK_UP);
  for (const char* type : {"object:property-change:accessible-name", "object:selection-changed"})
    EXPECT_TRUE(listener.WaitHeard([&](const atspi::TEvent& e) {
      return e.Type == type && e.Role == "combo box" && e.Name == "Belt type";
    })) << type
        << "\n"
        << listener.Log();
  SimulateKey(VK_F4);
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) {
    return e.Type == "focus:" && e.Role == "list item" && e.Name == "Flat belt";
  })) << listener.Log();
  SimulateKey(VK_DOWN);
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) {
    return e.Type == "focus:" && e.Role == "list item" && e.Name == "Round belt";
  })) << listener.Log();
  listener.Take();
  SimulateKey(VK_ESCAPE);
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) { return e.Type == "focus:" && e.Role == "combo box"; }))
      << listener.Log();
  // In a list box the keys move the reader's focus from entry to entry.
  page.Keywords.SetFocus();
  testwait::WaitUntil([&] { return page.Keywords.Focused(); }, 3000);
  listener.Take();
  SimulateKey(VK_DOWN);
  EXPECT_TRUE(listener.WaitHeard([](const atspi::TEvent& e) {
    return e.Type == "focus:" && e.Role == "list item" && e.Name == "labels";
  })) << listener.Log();

  // What the user cannot see does not show.
  const atspi::TNode* away = atspi::Find(nodes, "push button", "Far away");
  ASSERT_NE(away, nullptr) << raw;
  EXPECT_FALSE(away->Has("showing"));
  const atspi::TNode* hidden = atspi::Find(nodes, "push button", "Hidden button");
  if (hidden) {
    EXPECT_FALSE(hidden->Has("showing"));
  }

  // Selected backwards from the end, as Shift+Left leaves it: the selection, and the caret
  // at the end the user moved.
  page.Teeth.SetSelStart(2);
  for (int i = 0; i < 2; ++i) {
    Word key = VK_LEFT;
    page.Teeth.DispatchKeyDown(key, ssShift);
  }
  // Opened, the list shows with its entries.
  page.Belt.SetDroppedDown(true);
  auto open = reader.Walk({}, &raw);
  const atspi::TNode* selected = atspi::Find(open, "spin button", "Teeth");
  ASSERT_NE(selected, nullptr) << raw;
  EXPECT_EQ(selected->Selection, "0-2") << raw;
  EXPECT_EQ(selected->Caret, 0) << raw;
  int shown = 0;
  for (const atspi::TNode& n : atspi::Below(open, "combo box", "Belt type"))
    shown += n.Role == "list item" && n.Has("showing") ? 1 : 0;
  EXPECT_EQ(shown, 3) << raw;
  EXPECT_EQ(atspi::ShowingOffScreen(open, Bounds(0, 0, Screen().Width(), Screen().Height())),
            std::vector<std::string>{})
      << raw;
  // The open list is read once, below its box: its window does not stand beside the form,
  // open or kept hidden after it closed.
  auto besideTheForm = [](const std::vector<atspi::TNode>& nodes) {
    std::vector<std::string> beside;
    for (const atspi::TNode& n : nodes)
      if (n.Depth == 1 && !(n.Role == "frame" && n.Name == "Boxes"))
        beside.push_back(n.Role + " " + n.Name);
    return beside;
  };
  int flat = 0;
  for (const atspi::TNode& n : open)
    flat += n.Role == "list item" && n.Name == "Flat belt";
  EXPECT_EQ(flat, 1) << raw;
  EXPECT_EQ(besideTheForm(open), std::vector<std::string>{}) << raw;
  page.Belt.SetDroppedDown(false);
  auto closed = reader.Walk({}, &raw);
  EXPECT_EQ(besideTheForm(closed), std::vector<std::string>{}) << raw;
}

TEST(AccessibleControls, AListThatGoesTakesItsEntriesWithItAndEntriesAreSwept)
{
  TForm form;
  form.SetBounds(100, 100, 300, 200);
  auto belt = std::make_unique<TComboBox>();
  belt->SetParent(&form);
  belt->Items() = {"Vee belt", "Flat belt"};
  TListBox many;
  many.SetParent(&form);
  many.SetBounds(0, 40, 200, 100);
  for (int i = 0; i < 600; ++i)
    many.Items().push_back("Entry " + std::to_string(i));
  many.ItemsChanged();
  form.Show();
  // The reader has met the combo box's entries; then the box goes.
  TAccessibleSnapshot box = AccessibleSnapshot(belt.get());
  ASSERT_EQ(box.Children.size(), 1u);
  EXPECT_EQ(box.Children[0].Children.size(), 2u);
  belt.reset();
  // Enough entries met afterwards that the gone ones are swept (under the address
  // sanitizer a sweep that asked a gone box would fail here).
  TAccessibleSnapshot list = AccessibleSnapshot(&many);
  ASSERT_EQ(list.Children.size(), 600u);
  EXPECT_EQ(list.Children[599].Name, "Entry 599");
  EXPECT_NE(list.Children[599].State & STATE_SYSTEM_INVISIBLE, 0u) << "scrolled out of the box";
  EXPECT_EQ(list.Children[0].State & STATE_SYSTEM_INVISIBLE, 0u);
  // While the list has the keyboard, the entry the keys are on is the focused one.
  many.SetFocus();
  ASSERT_TRUE(testwait::WaitUntil([&] { return many.Focused(); }, 3000));
  many.SetItemIndex(3);
  list = AccessibleSnapshot(&many);
  for (size_t i : {2u, 3u, 4u})
    EXPECT_EQ((list.Children[i].State & STATE_SYSTEM_FOCUSED) != 0, i == 3) << i;
  form.Hide();
}
