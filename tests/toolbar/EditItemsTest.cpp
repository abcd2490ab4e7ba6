// The edit item: its properties, measures, viewer class by orientation, and the in-place
// edit loop driven through the toolkit under a real display.
#include <gtest/gtest.h>

#include <functional>

#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/EditItems.h"
#include "toolbar/Items.h"
#include "tests/TestWait.h"
#include "tests/toolbar/TestBar.h"

using namespace tbtest;

namespace {

struct ToolbarEditItem : ::testing::Test {
  TTBRootItem Root;
  TTBCustomItem* Before = nullptr;
  TTBEditItem* Edit = nullptr;
  TTBCustomItem* After = nullptr;
  TForm Form;
  std::unique_ptr<TTestBar> Bar;
  TLater Later;
  int Accepts = 0;

  void SetUp() override
  {
    Before = Root.Add(Item("Before"));
    Edit = Root.AddNew<TTBEditItem>();
    After = Root.Add(Item("After"));
    Edit->SetText("old");
    Edit->OnAcceptText = [this](TObject*, std::string&, bool&) { ++Accepts; };
    Form.SetBounds(100, 100, 400, 200);
    Bar = std::make_unique<TTestBar>(&Root);
    Bar->SetParent(&Form);
    Bar->SetBounds(0, 0, 400, 30);
    Form.Show();
    Bar->View->UpdatePositions();
  }
  void TearDown() override
  {
    Form.Hide();
    Bar.reset();
    Application->ProcessMessages();
  }
  TTBEditItemViewer* EditViewer() { return dynamic_cast<TTBEditItemViewer*>(Bar->View->Find(Edit)); }
  // Presses the box and releases it from the script: editing starts on the release.
  void StartEditing(TScript& script, std::function<void(TScript&)> steps)
  {
    TPoint p = ScreenCentre(EditViewer());
    script.Do([this, p] { Later.Run([p] { SimulateMouse(TInputKind::MouseUp, p); }); });
    script.WaitFor([this] { return EditViewer() && EditViewer()->Editing(); }, "editing starts");
    steps(script);
    script.Abort = [this] {
      if (EditViewer() && EditViewer()->Editing())
        SimulateKey(VK_ESCAPE, 0, '\x1b');
      Bar->View->EndModal();
    };
    script.Running = [this] { return Bar->View->InModalLoop; };
    script.Start();
    SimulateMouse(TInputKind::MouseDown, p);
  }
  static void Type(TScript& script, const std::string& s)
  {
    script.Do([s] {
      for (char c : s)
        SimulateKey(static_cast<Word>(c >= 'a' && c <= 'z' ? c - 32 : c), 0, c);
    });
  }
};

}   // namespace

TEST(ToolbarEditItemProps, CharCaseTextAndTheirNotifications)
{
  TTBRootItem root;
  auto* e = root.AddNew<TTBEditItem>();
  std::vector<TTBItemChangeKind> kinds;
  root.RegisterNotification(&kinds, [&](TTBCustomItem*, bool, TTBItemChangeKind k, Integer, TTBCustomItem*) {
    kinds.push_back(k);
  });
  e->SetCharCase(ecUpperCase);
  e->SetText("abc");
  EXPECT_EQ(e->Text(), "ABC");
  EXPECT_EQ(kinds, std::vector<TTBItemChangeKind>{ickInvalidate}) << "text repaints without re-layout";
  kinds.clear();
  e->SetText("aBc");
  EXPECT_TRUE(kinds.empty()) << "the same text after the case change: nothing";
  e->SetCharCase(ecLowerCase);
  EXPECT_EQ(e->Text(), "abc");
  e->SetText("\xC9T\xC9");   // "ÉTÉ" in Windows-1252
  EXPECT_EQ(e->Text(), "\xE9t\xE9");
  kinds.clear();
  e->SetEditWidth(80);
  e->SetEditCaption("Cam:");
  EXPECT_EQ(kinds, (std::vector<TTBItemChangeKind>{ickInvalidateAndResize, ickInvalidateAndResize}));
  EXPECT_EQ(e->EditWidth(), 80);
  root.UnregisterNotification(&kinds);
}

TEST(ToolbarEditItemProps, AnEditActionLendsItsEditValuesWhileTheItemKeepsThem)
{
  TTBRootItem root;
  auto* e = root.AddNew<TTBEditItem>();
  auto* own = root.AddNew<TTBEditItem>();
  TTBEditAction action;
  action.SetEditCaption("Cam:");
  action.SetEditWidth(120);
  action.SetText("Round");
  action.SetEditOptions(tboUseEditWhenVertical);
  int asked = 0;
  action.OnAcceptText = [&](TObject* sender, std::string& text, bool&) {
    ++asked;
    text += "!";
    EXPECT_EQ(sender, e);
  };
  // Assigned outside loading: every value comes from the action.
  own->SetEditWidth(90);
  own->SetText("mine");
  e->SetAction(&action);
  own->SetAction(&action);
  EXPECT_EQ(e->EditCaption(), "Cam:");
  EXPECT_EQ(e->EditWidth(), 120);
  EXPECT_EQ(e->Text(), "Round");
  EXPECT_EQ(e->EditOptions(), tboUseEditWhenVertical);
  EXPECT_EQ(own->EditWidth(), 120);

  // Changes of the action reach the items whose values still follow it.
  own->SetText("mine");
  action.SetText("Pear");
  action.SetEditWidth(100);
  EXPECT_EQ(e->Text(), "Pear");
  EXPECT_EQ(e->EditWidth(), 100);
  EXPECT_EQ(own->Text(), "mine") << "a text of the item's own stays";
  EXPECT_EQ(own->EditWidth(), 100);

  // The action is asked for typed text when the item has no handler of its own.
  std::string typed = "Heart";
  bool accept = true;
  e->DoAcceptText(typed, accept);
  EXPECT_EQ(typed, "Heart!");
  EXPECT_EQ(asked, 1);
  int ownAsked = 0;
  own->OnAcceptText = [&](TObject*, std::string&, bool&) { ++ownAsked; };
  own->DoAcceptText(typed, accept);
  EXPECT_EQ(ownAsked, 1);
  EXPECT_EQ(asked, 1);
  e->SetAction(nullptr);
  own->SetAction(nullptr);
}

TEST(ToolbarEditItemProps, EditControlTypesWithinItsLimits)
{
  TTBEditControl c;
  c.SetMaxLength(4);
  c.SetCharCase(ecUpperCase);
  c.SetText("ab");
  for (char ch : std::string("cdef")) {
    char k = ch;
    c.DispatchKeyPress(k);
  }
  EXPECT_EQ(c.Text(), "ABCD") << "MaxLength stops typing";
  c.SelectAll();
  char k = 'x';
  c.DispatchKeyPress(k);
  EXPECT_EQ(c.Text(), "X") << "typing replaces the selection";
  Word key = VK_HOME;
  c.DispatchKeyDown(key, 0);
  k = 'y';
  c.DispatchKeyPress(k);
  k = '\b';
  c.DispatchKeyPress(k);
  key = VK_DELETE;
  c.DispatchKeyDown(key, 0);
  EXPECT_EQ(c.Text(), "");
  k = '\b';
  c.DispatchKeyPress(k);   // nothing left to delete
  EXPECT_EQ(c.Text(), "");
}

TEST_F(ToolbarEditItem, MeasuresAndViewerClassFollowTheOrientation)
{
  TCanvas& c = Bar->View->MeasureCanvas();
  c.Font().Assign(Bar->View->GetFont());
  Integer textH = GetTextHeight(c);
  TTBEditItemViewer* v = EditViewer();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->BoundsRect.Width(), 64);
  Integer w = 0, h = 0;
  v->CalcSize(c, w, h);
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, textH + 7);
  // In a menu the caption sits left of the box.
  auto menuRoot = std::make_unique<TTBRootItem>();
  auto* me = menuRoot->AddNew<TTBEditItem>();
  me->SetEditCaption("&Name");
  TTestBar host(menuRoot.get());
  host.View->SetIsToolbar(false);
  host.View->RecreateAllViewers();
  auto* mv = dynamic_cast<TTBEditItemViewer*>(host.View->Find(me));
  ASSERT_NE(mv, nullptr);
  mv->CalcSize(c, w, h);
  EXPECT_EQ(w, 64 + GetTextWidth(c, "&Name", true) + 10);
  EXPECT_EQ(h, std::max(textH + DivRoundUp(textH, 4), textH + 7));

  // A vertical toolbar shows an ordinary button unless asked otherwise.
  Bar->View->SetOrientation(voVertical);
  Bar->View->UpdatePositions();
  EXPECT_EQ(EditViewer(), nullptr);
  EXPECT_NE(Bar->View->Find(Edit), nullptr);
  Edit->SetEditOptions(tboUseEditWhenVertical);
  Bar->View->UpdatePositions();
  EXPECT_NE(EditViewer(), nullptr);
  Edit->SetEditOptions(0);
  Bar->View->SetOrientation(voHorizontal);
  Bar->View->UpdatePositions();
  EXPECT_NE(EditViewer(), nullptr);
}

TEST_F(ToolbarEditItem, EnterAcceptsTheTypedTextAndEndsTheLoop)
{
  TScript script;
  std::string beginText;
  TTBEditControl* beginControl = nullptr;
  Edit->OnBeginEdit = [&](TTBEditItem*, TTBEditItemViewer* v, TTBEditControl* c) {
    beginControl = c;
    beginText = c->Text();
    EXPECT_EQ(c->SelLength(), 3) << "all the text is selected";
    EXPECT_EQ(v, EditViewer());
  };
  TCursor overBox = crDefault;
  StartEditing(script, [&](TScript& s) {
    s.Do([&] {
      TTBEditItemViewer* v = EditViewer();
      v->GetCursor({5, 5}, overBox);
      TRect r = v->EditControl()->BoundsRect();
      EXPECT_EQ(r.Left, v->BoundsRect.Left + 3);
      EXPECT_EQ(r.Width(), v->BoundsRect.Width() - 6);
    });
    Type(s, "new");
    s.Do([] { SimulateKey(VK_RETURN, 0, '\r'); });
  });
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Edit->Text(), "new");
  EXPECT_EQ(Accepts, 1);
  EXPECT_EQ(beginText, "old");
  EXPECT_NE(beginControl, nullptr);
  EXPECT_EQ(overBox, crIBeam);
  EXPECT_FALSE(EditViewer()->Editing());
  EXPECT_FALSE(Bar->View->InModalLoop);
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(ToolbarEditItem, TheFocusGoesBackWhereItWasAfterEditing)
{
  TEdit field;
  field.SetParent(&Form);
  field.SetBounds(10, 60, 120, 24);
  field.SetFocus();
  ASSERT_TRUE(testwait::WaitUntil([&] { return field.Focused(); }));
  // Enter ends the edit and the toolbar's loop.
  {
    TScript script;
    bool editHadFocus = false;
    StartEditing(script, [&](TScript& s) {
      s.Do([&] { editHadFocus = EditViewer()->EditControl()->Focused(); });
      Type(s, "x");
      s.Do([] { SimulateKey(VK_RETURN, 0, '\r'); });
    });
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(editHadFocus);
    EXPECT_TRUE(testwait::WaitUntil([&] { return field.Focused(); }));
  }
  // Escape ends the edit only: the field has the focus back while the loop goes on.
  {
    TScript script;
    bool focusedInLoop = false;
    StartEditing(script, [&](TScript& s) {
      s.Do([] { SimulateKey(VK_ESCAPE, 0, '\x1b'); });
      s.WaitFor([this] { return !EditViewer()->Editing(); }, "editing ends");
      s.Do([&] {
        focusedInLoop = field.Focused();
        Bar->View->EndModal();
      });
    });
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(focusedInLoop);
    EXPECT_TRUE(testwait::WaitUntil([&] { return field.Focused(); }));
  }
}

TEST_F(ToolbarEditItem, EscapeKeepsTheTextWithoutAsking)
{
  TScript script;
  StartEditing(script, [&](TScript& s) {
    Type(s, "zz");
    s.Do([] { SimulateKey(VK_ESCAPE, 0, '\x1b'); });
    s.WaitFor([this] { return !EditViewer()->Editing(); }, "editing ends");
    s.Do([this] { Bar->View->EndModal(); });
  });
  EXPECT_EQ(Edit->Text(), "old");
  EXPECT_EQ(Accepts, 0);
}

TEST_F(ToolbarEditItem, RefusedTextStaysOldAndChangedTextIsStored)
{
  Edit->OnAcceptText = [this](TObject*, std::string& t, bool& accept) {
    ++Accepts;
    if (t == "bad")
      accept = false;
    else
      t = "<" + t + ">";
  };
  TScript script;
  StartEditing(script, [&](TScript& s) {
    Type(s, "bad");
    s.Do([] { SimulateKey(VK_RETURN, 0, '\r'); });
  });
  EXPECT_EQ(Accepts, 1);
  EXPECT_EQ(Edit->Text(), "old");
  TScript again;
  StartEditing(again, [&](TScript& s) {
    Type(s, "ok");
    s.Do([] { SimulateKey(VK_RETURN, 0, '\r'); });
  });
  EXPECT_EQ(Edit->Text(), "<ok>");
}

TEST_F(ToolbarEditItem, TabAcceptsAndMovesOnAltEndsAClickElsewhereAccepts)
{
  TScript script;
  TTBItemViewer* selectedAfterTab = nullptr;
  StartEditing(script, [&](TScript& s) {
    Type(s, "tab");
    s.Do([] { SimulateKey(VK_TAB, 0, '\t'); });
    s.WaitFor([this] { return !EditViewer()->Editing(); }, "Tab ends the edit");
    s.Do([&] {
      selectedAfterTab = Bar->View->Selected();
      Bar->View->EndModal();
    });
  });
  EXPECT_EQ(Edit->Text(), "tab");
  EXPECT_EQ(selectedAfterTab, Bar->View->Find(After));

  // Alt with a letter closes without accepting.
  TScript alt;
  StartEditing(alt, [&](TScript& s) {
    Type(s, "q");
    s.Do([] { SimulateKey('X', ssAlt, 0); });
  });
  EXPECT_EQ(Edit->Text(), "tab");
  EXPECT_FALSE(Bar->View->InModalLoop);

  // Alt with the keypad's digits types the character of their code and the edit goes on.
  TScript code;
  bool editingAfterCode = false;
  StartEditing(code, [&](TScript& s) {
    Type(s, "q");
    s.Do([] {
      for (int d : {0, 6, 5})
        SimulateKey(static_cast<Word>(VK_NUMPAD0 + d), ssAlt);
      SimulateKey(VK_MENU, ssAlt);
    });
    s.Do([&] { editingAfterCode = EditViewer()->Editing(); });
    s.Do([] { SimulateKey(VK_RETURN, 0, '\r'); });
  });
  EXPECT_TRUE(editingAfterCode);
  EXPECT_EQ(Edit->Text(), "qA");

  // A press outside the box accepts the text and then reaches its own window.
  TScript click;
  int before = Bar->Presses;
  StartEditing(click, [&](TScript& s) {
    Type(s, "clk");
    // Press and release in one step: the press ends the loops, so a later step would never
    // run and the button would stay held for the tests after this one.
    s.Do([this] {
      SimulateMouse(TInputKind::MouseDown, Form.ClientToScreen({200, 150}));
      SimulateMouse(TInputKind::MouseUp, Form.ClientToScreen({200, 150}));
    });
  });
  EXPECT_EQ(Edit->Text(), "clk");
  EXPECT_FALSE(Bar->View->InModalLoop);
  EXPECT_EQ(Bar->Presses, before + 1) << "only the press that opened the edit reached the bar";
  // The release follows the press from the queue.
  Application->ProcessMessages();
  EXPECT_FALSE(IsMouseButtonDown(mbLeft)) << "the release reaches its window after the press";
}

TEST_F(ToolbarEditItem, DisabledItemIsNotEdited)
{
  Edit->SetEnabled(false);
  TTBEditItemViewer* v = EditViewer();
  TCursor cur = crDefault;
  v->GetCursor({5, 5}, cur);
  EXPECT_EQ(cur, crDefault);
  EXPECT_FALSE(v->DoExecute());
  EXPECT_FALSE(v->Editing());
}

TEST_F(ToolbarEditItem, PictureOfTheBox)
{
  auto menuRoot = std::make_unique<TTBRootItem>();
  auto* me = menuRoot->AddNew<TTBEditItem>();
  me->SetEditCaption("&Shape");
  me->SetText("Pear");
  auto* dis = menuRoot->AddNew<TTBEditItem>();
  dis->SetText("Disabled");
  dis->SetEnabled(false);
  TTestBar menu(menuRoot.get());
  menu.SetParent(&Form);
  menu.SetBounds(0, 40, 200, 60);
  menu.View->SetIsToolbar(false);
  menu.View->RecreateAllViewers();
  menu.View->UpdatePositions();
  Edit->SetText("Toolbar box");
  Bar->View->Select(EditViewer(), false);
  Form.Repaint();
  TBitmap pic(400, 110);
  Form.PaintTo(pic.Canvas(), 0, 0);
  SavePng(pic, "tb2-edit-items.png");
  // The box's inside is the window colour; the disabled one's the button face.
  TTBItemViewer* dv = menu.View->Find(dis);
  TRect r = dv->BoundsRect;
  EXPECT_EQ(pic.GetPixel(r.Left + 3, 40 + r.Top + 3), ColorToRGB(clBtnFace));
}
