// The keys a user tries in the main window and its name dialog, on a desktop with a window
// manager: keys and clicks come through the X server (xdotool), and what the box shows is
// read back from the screen. Number boxes and the name dialog's edit select as any text box
// does; Tab walks past the controls a toolbar hosts off its edge, and from a toolbar into
// the page's links.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/MainWindow.h"
#include "shell/UserInfo.h"
#include "tests/platform/XInputSupport.h"
#include "tests/shell/MainWindowSupport.h"

namespace {

using namespace xinput;

// How many pixels of the control, as the screen shows it now, have the selection's colour.
int SelectionPixels(TControl* c)
{
  TBitmap shot;
  c->CaptureScreen(shot);
  const TColor highlight = ColorToRGB(clHighlight);
  int n = 0;
  for (int32_t y = 0; y < shot.Height(); ++y)
    for (int32_t x = 0; x < shot.Width(); ++x)
      n += shot.GetPixel(x, y) == highlight;
  return n;
}

void Shot(const std::string& name)
{
  [[maybe_unused]] const int rc =
      std::system(("import -window root '" + std::string(ORRELO_TEST_OUTPUT) + "/" + name + "' 2>/dev/null").c_str());
}

class DesktopKeys : public ::testing::Test {
protected:
  void SetUp() override
  {
    if (!Available())
      GTEST_SKIP() << "xdotool is not installed";
    SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
  }
  void TearDown() override
  {
    Frm.reset();
    mainwindow::Pump();
    SetMessageAnswerer(nullptr);
  }
  void Start()
  {
    Frm = std::make_unique<TKVMainFrm>(ExeFolder());
    Frm->Show();
    ASSERT_TRUE(PumpUntil([&] { return Frm->Showing(); }));
    mainwindow::Pump(200);
  }
  void Follow(const std::string& url)
  {
    Frm->Viewer->URL = url;
    GuardedCall([this] { Frm->Viewer->FollowLink(); });
    mainwindow::Pump(100);
  }
  // Keys go one at a time, each handled before the next.
  void Key(const std::string& keys)
  {
    X("key --delay 60 " + keys);
    PumpFor(120);
  }
  std::unique_ptr<TKVMainFrm> Frm;
};

}   // namespace

// A teeth box: Ctrl+A, a double click, Shift+Home and a drag of the mouse select its number
// (the screen shows the selection), and what is typed then replaces it; Tab into the next
// box selects its number too.
TEST_F(DesktopKeys, NumberBoxesSelectAndTypingReplacesTheSelection)
{
  Start();
  Follow("/TwoCog.htm");
  ASSERT_EQ(Frm->CurrentTopic, 1);
  TEdit* box = Frm->CogST[0];
  TUpDown* arrows = Frm->CogUpDn[0];
  ASSERT_EQ(box->Text(), "20");
  auto typeOver = [&](const std::string& number) {
    X("type --delay 60 " + number);
    Key("Return");
    EXPECT_TRUE(PumpUntil([&] { return arrows->Position() == std::stoi(number); }))
        << "typed " << number << ", the box reads " << box->Text();
  };

  Click(Centre(box));
  ASSERT_TRUE(PumpUntil([&] { return box->Focused(); })) << "the box did not take the focus";
  Key("End");
  EXPECT_EQ(SelectionPixels(box), 0);
  Key("ctrl+a");
  EXPECT_GT(SelectionPixels(box), 20) << "Ctrl+A shows no selection";
  Shot("keys-number-box-select-all.png");
  // "12" over "20": were it added, "2012" would be clamped to 40.
  typeOver("12");

  // A double click on the number.
  X("mousemove " + At(Centre(box)) + " click --repeat 2 --delay 80 1");
  PumpFor(200);
  EXPECT_GT(SelectionPixels(box), 20) << "a double click shows no selection";
  typeOver("15");

  // Shift+Home from the end.
  Key("End shift+Home");
  typeOver("30");

  // Shift and the arrows.
  Key("End shift+Left shift+Left");
  typeOver("25");

  // A drag from the text's left end to its right end.
  const TPoint from = box->ClientToScreen({2, box->ClientHeight() / 2});
  const TPoint to = box->ClientToScreen({box->ClientWidth() - 2, box->ClientHeight() / 2});
  X("mousemove " + At(from) + " mousedown 1 mousemove " + At({from.X + 4, from.Y}) + " mousemove " + At(to)
    + " mouseup 1");
  PumpFor(200);
  EXPECT_GT(SelectionPixels(box), 20) << "a drag shows no selection";
  typeOver("33");

  // Tab on to the next box (past the arrows): it selects its number.
  TEdit* next = Frm->CogST[1];
  for (int i = 0; i < 4 && !next->Focused(); ++i)
    Key("Tab");
  ASSERT_TRUE(next->Focused()) << "Tab did not reach the second box";
  EXPECT_GT(SelectionPixels(next), 20) << "Tab into the box shows no selection";
  Shot("keys-number-box-tabbed.png");
  X("type --delay 60 18");
  Key("Return");
  EXPECT_TRUE(PumpUntil([&] { return Frm->CogUpDn[1]->Position() == 18; })) << next->Text();
}

// The name dialog: a name typed, selected with Ctrl+A and typed over, is the name taken;
// a double click selects a word of it.
TEST_F(DesktopKeys, TheNameDialogsEditSelectsAndTypesOver)
{
  TUserFrm form;
  form.Show();
  ASSERT_TRUE(PumpUntil([&] { return form.NameEdit->Focused(); })) << "the name box did not take the focus";
  mainwindow::Pump(200);
  X("type --delay 40 'Ann Lee'");
  PumpUntil([&] { return form.NameEdit->Text() == "Ann Lee"; });
  Key("ctrl+a");
  EXPECT_GT(SelectionPixels(form.NameEdit), 20) << "Ctrl+A shows no selection";
  Shot("keys-name-dialog-select-all.png");
  X("type --delay 40 'Bo Ek'");
  EXPECT_TRUE(PumpUntil([&] { return form.NameEdit->Text() == "Bo Ek"; })) << form.NameEdit->Text();
  // A double click on the second word selects it alone.
  TBitmap measure(1, 1);
  measure.Canvas().Font().Assign(form.NameEdit->Font());
  const TPoint onEk =
      form.NameEdit->ClientToScreen({2 + measure.Canvas().TextWidth("Bo E"), form.NameEdit->ClientHeight() / 2});
  X("mousemove " + At(onEk) + " click --repeat 2 --delay 80 1");
  PumpFor(200);
  X("type --delay 40 Sun");
  EXPECT_TRUE(PumpUntil([&] { return form.NameEdit->Text() == "Bo Sun"; })) << form.NameEdit->Text();
  EXPECT_TRUE(form.OKBtn->Enabled());
  form.Hide();
}

// In a narrow left pane the lever bar's "Show labels" box lies past the bar's edge, reached
// through the chevron only. Tab round the whole window never lands on it (Space would have
// unticked it unseen).
TEST_F(DesktopKeys, TabPassesTheControlsAToolbarHoldsPastItsEdge)
{
  Start();
  Follow("/Lever_Class1.htm");
  // The lever buttons used (the scissors, then the hammer again): the bar keeps them when
  // it has to let items go, and the label and the box go past its edge first.
  TTBView* view = Frm->LeverToolbar->View();
  for (TTBCustomItem* button : {Frm->LeverBtn2, Frm->LeverBtn1}) {
    TTBItemViewer* b = view->Find(button);
    ASSERT_TRUE(b && b->Show);
    Click(Frm->LeverToolbar->ClientToScreen(
        {(b->BoundsRect.Left + b->BoundsRect.Right) / 2, (b->BoundsRect.Top + b->BoundsRect.Bottom) / 2}));
    PumpFor(300);
  }
  // The pane narrowed until the box no longer fits on the bar.
  for (Integer w = Frm->LeftPanel->Width(); w >= 150 && Frm->LeverChk->Left() > -1000; w -= 10) {
    Frm->LeftPanel->SetWidth(w);
    Frm->Splitter->MoveTo(w);
    mainwindow::Pump(50);
    view->ValidatePositions();
  }
  ASSERT_TRUE(Frm->LeverToolbar->Showing());
  ASSERT_LT(Frm->LeverChk->Left(), -1000) << "the box is not past the bar's edge";
  ASSERT_TRUE(Frm->LeverChk->Checked());
  const size_t stops = Frm->Viewer->SectionList().TabItems().size() + 8;
  // From the page, as a user who clicked into it.
  Click(Frm->Viewer->ClientToScreen({Frm->Viewer->ClientWidth() - 30, Frm->Viewer->ClientHeight() - 30}));
  PumpFor(200);
  bool reached = false;
  for (size_t i = 0; i < stops && !reached; ++i) {
    Key("Tab");
    reached = Frm->LeverChk->Focused();
  }
  EXPECT_FALSE(reached) << "Tab reached the box past the toolbar's edge";
  Key("space");
  EXPECT_TRUE(Frm->LeverChk->Checked());
  Shot("keys-tab-past-off-edge-box.png");
}

// Tab from a toolbar goes on into the page at its first link, and on through every link and
// field of it; Shift+Tab comes back the same way.
TEST_F(DesktopKeys, TabFromAToolbarEntersThePageAtItsFirstLink)
{
  Start();
  Follow("/Lever_Class1.htm");
  ASSERT_TRUE(Frm->LeverChk->Showing());
  THTMLViewer& v = *Frm->Viewer;
  const std::vector<TSectionList::TTabItem> items = v.SectionList().TabItems();
  ASSERT_GE(items.size(), 2u);
  ASSERT_NE(items.front().Link, nullptr);
  // The box on the lever toolbar, clicked: the focus is on the toolbar.
  Click(Centre(Frm->LeverChk));
  ASSERT_TRUE(PumpUntil([&] { return Frm->LeverChk->Focused(); }));
  const bool checked = Frm->LeverChk->Checked();
  Key("Tab");
  EXPECT_EQ(v.FocusedLinkURL(), items.front().Link->GetURL()) << "Tab did not enter the page at its first link";
  EXPECT_EQ(Frm->LeverChk->Checked(), checked);
  Shot("keys-tab-into-page.png");
  for (size_t i = 1; i < items.size(); ++i) {
    Key("Tab");
    if (items[i].Link) {
      EXPECT_EQ(v.FocusedLinkURL(), items[i].Link->GetURL()) << "stop " << i;
    }
  }
  for (size_t i = items.size() - 1; i > 0; --i)
    Key("shift+Tab");
  EXPECT_EQ(v.FocusedLinkURL(), items.front().Link->GetURL()) << "Shift+Tab back to the first link";
}

// Alt+Left and Alt+Right go back and forward while a page's text box or text area has the
// keyboard, as a browser's do; the field keeps its other keys (Ctrl+Left, Left, Home move its
// caret), and what was typed into it is there again on coming forward.
TEST_F(DesktopKeys, AltLeftAndRightGoBackAndForwardFromAPagesTextFields)
{
  Start();
  Follow("/TwoCog.htm");
  ASSERT_EQ(Frm->CurrentTopic, 1);
  const std::string page = std::string(ORRELO_TEST_OUTPUT) + "/keys-text-fields.htm";
  std::ofstream(page) << "<html><head><title>Fields</title></head><body><form><p><input name=a value=\"one two\">"
                         "<p><textarea name=b cols=30>three four</textarea></form></body></html>";
  Frm->Viewer->LoadFromFile(page);
  mainwindow::Pump(100);
  auto field = [&](size_t i) -> TInputControl* {
    const std::vector<TSectionList::TTabItem> items = Frm->Viewer->SectionList().TabItems();
    return i < items.size() && items[i].Control ? dynamic_cast<TInputControl*>(items[i].Control->GetControl())
                                                : nullptr;
  };
  auto text = [&](size_t i) {
    if (auto* e = dynamic_cast<TEdit*>(field(i)))
      return e->Text();
    auto* m = dynamic_cast<TMemo*>(field(i));
    return m ? m->Text() : std::string("(none)");
  };
  auto onPage = [&](const std::string& name) {
    return PumpUntil([&] { return Frm->Viewer->CurrentFile().ends_with(name); });
  };
  const std::string expected[] = {"Yone Xtwo", "Ythree Xfour"};
  // To the start of the last word: by a word in the text box, by letters in the text area.
  const std::string toLastWord[] = {"End ctrl+Left", "End Left Left Left Left"};
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_NE(field(i), nullptr) << "field " << i;
    Click(Centre(field(i)));
    ASSERT_TRUE(PumpUntil([&] { return field(i)->Focused(); })) << "field " << i << " took no focus";
    // The field's own keys: to the last word, then to the start.
    Key(toLastWord[i]);
    X("type --delay 60 X");
    Key("Home Right Left");
    X("type --delay 60 Y");
    EXPECT_TRUE(PumpUntil([&] { return text(i) == expected[i]; })) << text(i);
    Key("alt+Left");
    EXPECT_TRUE(onPage("TwoCog.htm")) << "Alt+Left in field " << i << " did not go back";
    EXPECT_EQ(Frm->CurrentTopic, 1);
    Shot("keys-alt-left-from-field-" + std::to_string(i) + ".png");
    Key("alt+Right");
    EXPECT_TRUE(onPage("keys-text-fields.htm")) << "Alt+Right did not go forward";
    EXPECT_EQ(text(i), expected[i]) << "what was typed is lost";
  }
  // With no page to go forward to, Alt+Right does nothing, and moves no caret either.
  Click(Centre(field(0)));
  ASSERT_TRUE(PumpUntil([&] { return field(0)->Focused(); }));
  Key("Home alt+Right");
  X("type --delay 60 Z");
  EXPECT_TRUE(PumpUntil([&] { return text(0) == "Z" + expected[0]; })) << text(0);
  EXPECT_TRUE(Frm->Viewer->CurrentFile().ends_with("keys-text-fields.htm"));
}
