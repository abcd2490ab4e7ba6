// Themed edit and combo items: the combo's item index and text, auto-completion, the busy
// flag, the edit control's modes, measures and parts of the viewers, and mouse and keyboard
// selection scripted through the toolkit under a real display, with a picture.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "toolbar/AccessibleItems.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/ThemedEditItems.h"
#include "tests/toolbar/TestBar.h"

using namespace tbtest;

namespace {

const std::vector<std::string> Shapes{"Pear shaped", "Round", "Heart shaped"};

// Types into a themed edit that tells the combo of each change, as the in-place edit does.
struct TTypist {
  TTBXEdit Edit;
  TTBXComboBoxItem& Combo;
  explicit TTypist(TTBXComboBoxItem& c) : Combo(c)
  {
    Edit.OnChange = [this](TObject*) { Combo.HandleEditChange(&Edit); };
  }
  void Type(const std::string& s)
  {
    for (char ch : s) {
      char k = ch;
      Edit.DispatchKeyPress(k);
    }
  }
  void Backspace() { Type("\b"); }
};

struct TProbeEdit : TTBXEdit {
  using TTBXEdit::DisplayText;
  using TTBXEdit::TextLeft;
};

class TTestToolbar : public TTBXToolbar {
public:
  ~TTestToolbar() override { DestroyHandle(); }
};

// Lets the message loop run until Cond holds, for at most TimeoutMs.
bool PumpUntil(const std::function<bool()>& Cond, Cardinal TimeoutMs = 3000)
{
  Cardinal start = GetTickCount();
  while (!Cond()) {
    if (GetTickCount() - start > TimeoutMs)
      return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void TypeKeys(const std::string& s)
{
  for (char c : s)
    SimulateKey(static_cast<Word>(c >= 'a' && c <= 'z' ? c - 32 : c), 0, c);
}

}   // namespace

// ---------------------------------------------------------------------------------------
// The combo without a window

TEST(ThemedComboBox, ItemIndexFromCodeSetsTheTextAndReadersSeeOnlyEntries)
{
  TTBXComboBoxItem combo;
  EXPECT_EQ(combo.ItemStyle() & (tbisSubmenu | tbisSplitDropdown | tbisCarried), tbisSubmenu | tbisSplitDropdown);
  ASSERT_EQ(combo.Count(), 1) << "the list is the only child, so the popup is the list";
  EXPECT_EQ(combo.Items(0), combo.List());
  EXPECT_EQ(combo.MinListWidth(), 64);
  combo.SetStrings(Shapes);
  combo.SetText("Pear shaped");
  std::vector<std::string> changes;
  int clicks = 0;
  combo.OnChange = [&](TTBXEditItem* s, const std::string& t) {
    EXPECT_EQ(s, &combo);
    changes.push_back(t);
  };
  combo.OnItemClick = [&](TObject*) { ++clicks; };

  combo.SetItemIndex(2);
  EXPECT_EQ(combo.ItemIndex(), 2);
  EXPECT_EQ(combo.Text(), "Heart shaped");
  EXPECT_EQ(changes, std::vector<std::string>{"Heart shaped"});
  combo.SetItemIndex(2);
  EXPECT_EQ(changes.size(), 1u) << "the same entry again changes no text";
  combo.SetItemIndex(0);
  EXPECT_EQ(combo.Text(), "Pear shaped");
  EXPECT_EQ(clicks, 0) << "an index set from code is no click";

  combo.SetItemIndex(-5);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "Pear shaped");
  // An index beyond the strings is kept by the list, but names no entry to any reader.
  combo.SetItemIndex(7);
  EXPECT_EQ(combo.List()->ItemIndex(), 7);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "Pear shaped");
  combo.SetItemIndex(2);
  combo.SetStrings({"Pear shaped", "Round"});
  EXPECT_EQ(combo.ItemIndex(), -1) << "the entry went with the strings";
  EXPECT_EQ(changes.size(), 3u);
}

TEST(ThemedComboBox, AThrowingOnChangeLeavesAutoCompletionWorking)
{
  TTBXComboBoxItem combo;
  combo.SetStrings(Shapes);
  combo.OnChange = [](TTBXEditItem*, const std::string& t) {
    if (t == "Round")
      throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(combo.SetItemIndex(1), std::runtime_error);
  EXPECT_FALSE(combo.Busy());
  EXPECT_EQ(combo.Text(), "Round");

  TTypist t(combo);
  t.Type("h");
  EXPECT_EQ(t.Edit.Text(), "Heart shaped") << "completion still runs";
  EXPECT_EQ(combo.ItemIndex(), 2);

  // A handler that fails on the completed text, inside the busy part of the completion.
  t.Edit.SelectAll();
  t.Backspace();
  combo.OnChange = [](TTBXEditItem*, const std::string& t) {
    if (t == "Pear shaped")
      throw std::runtime_error("handler failed");
  };
  EXPECT_THROW(t.Type("p"), std::runtime_error);
  EXPECT_FALSE(combo.Busy());
  combo.OnChange = nullptr;
  t.Edit.SelectAll();
  t.Backspace();
  t.Type("r");
  EXPECT_EQ(t.Edit.Text(), "Round");
}

TEST(ThemedComboBox, AutoCompletionCompletesTypingAtTheEndAndNeverADeletion)
{
  TTBXComboBoxItem combo;
  combo.SetStrings(Shapes);
  std::vector<std::string> changes;
  combo.OnChange = [&](TTBXEditItem*, const std::string& t) { changes.push_back(t); };
  TTypist t(combo);
  t.Type("r");
  EXPECT_EQ(t.Edit.Text(), "Round");
  EXPECT_EQ(t.Edit.SelStart(), 1);
  EXPECT_EQ(t.Edit.SelLength(), 4);
  EXPECT_EQ(combo.ItemIndex(), 1);
  // The typed text, the completed one, and the item's text following the list's entry.
  EXPECT_EQ(changes, (std::vector<std::string>{"r", "Round", "Round"}));
  t.Type("o");
  EXPECT_EQ(t.Edit.Text(), "Round");
  EXPECT_EQ(t.Edit.SelStart(), 2);
  EXPECT_EQ(t.Edit.SelLength(), 3);
  // Typing on over the added part goes on completing.
  t.Type("u");
  EXPECT_EQ(t.Edit.Text(), "Round");
  EXPECT_EQ(t.Edit.SelStart(), 3);
  EXPECT_EQ(combo.ItemIndex(), 1);
  t.Backspace();   // takes the added "nd"
  EXPECT_EQ(t.Edit.Text(), "Rou");
  EXPECT_EQ(combo.ItemIndex(), -1);
  t.Backspace();
  EXPECT_EQ(t.Edit.Text(), "Ro") << "a deletion is not completed again";
  t.Type("x");
  EXPECT_EQ(t.Edit.Text(), "Rox");
  EXPECT_EQ(combo.ItemIndex(), -1);
  t.Edit.SelectAll();
  t.Backspace();
  EXPECT_EQ(combo.ItemIndex(), -1);
  t.Type("HEA");
  EXPECT_EQ(t.Edit.Text(), "Heart shaped") << "the entry's own spelling";
  EXPECT_EQ(t.Edit.SelStart(), 3);
  EXPECT_EQ(combo.ItemIndex(), 2);

  // Without completion the text stays as typed; the index names an entry equal to it.
  TTBXComboBoxItem plain;
  plain.SetAutoComplete(false);
  plain.SetStrings({"Round shaped", "Heart shaped", "Round"});
  TTypist p(plain);
  p.Type("ro");
  EXPECT_EQ(p.Edit.Text(), "ro");
  EXPECT_EQ(plain.ItemIndex(), -1);
  p.Type("und");
  EXPECT_EQ(plain.ItemIndex(), 2) << "the equal entry, not the first that starts with it";
}

TEST(ThemedComboBox, LoadingOpeningTheListAndTheImageShown)
{
  TTBXComboBoxItem combo;
  int changes = 0;
  combo.OnChange = [&](TTBXEditItem*, const std::string&) { ++changes; };
  combo.BeginLoading();
  combo.SetStrings(Shapes);
  combo.SetText("Round");
  combo.EndLoading();
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(combo.Busy());
  TTBXComboBoxItem other;
  other.BeginLoading();
  other.SetStrings(Shapes);
  other.SetText("round");
  other.EndLoading();
  EXPECT_EQ(other.ItemIndex(), -1) << "only the exact text names an entry";

  int popups = 0;
  combo.OnPopup = [&](TTBCustomItem*, bool) { ++popups; };
  combo.SetText("Heart shaped");
  combo.DoPopup(&combo, false);
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(combo.ItemIndex(), 2);
  combo.SetText("Oval");
  combo.DoPopup(&combo, false);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "Oval");

  combo.SetImageIndex(5);
  EXPECT_EQ(combo.GetImageIndex(), 5);
  combo.SetItemIndex(1);
  EXPECT_EQ(combo.GetImageIndex(), 1) << "the entry's image";
  int asked = 0;
  combo.OnAdjustImageIndex = [&](TTBXComboBoxItem*, const std::string& text, Integer index, Integer& image) {
    ++asked;
    if (index == -1) {
      EXPECT_EQ(text, combo.Text());
    }
    image += 10;
  };
  combo.SetItemIndex(2);
  EXPECT_EQ(combo.GetImageIndex(), 12);
  EXPECT_EQ(combo.GetImageIndex(), 12);
  EXPECT_EQ(asked, 1) << "kept until the next change";
  // The list's entries ask the combo too, each with its own text.
  std::string entryText;
  combo.OnAdjustImageIndex = [&](TTBXComboBoxItem*, const std::string& text, Integer, Integer& image) {
    entryText = text;
    image = 7;
  };
  EXPECT_EQ(combo.List()->GetImageIndex(0), 7);
  EXPECT_EQ(entryText, "Pear shaped");
}

TEST(ThemedComboBox, EditControlModes)
{
  TProbeEdit e;
  e.SetText("abc");
  e.SetReadOnly(true);
  char k = 'x';
  e.DispatchKeyPress(k);
  k = '\b';
  e.DispatchKeyPress(k);
  Word key = VK_HOME;
  e.DispatchKeyDown(key, 0);
  key = VK_DELETE;
  e.DispatchKeyDown(key, 0);
  EXPECT_EQ(e.Text(), "abc") << "read-only: nothing typed or deleted";
  EXPECT_EQ(e.SelStart(), 0) << "but the caret moves";
  e.SetReadOnly(false);
  k = 'x';
  e.DispatchKeyPress(k);
  EXPECT_EQ(e.Text(), "xabc");

  e.SetPasswordChar('*');
  EXPECT_EQ(e.DisplayText(), "****");
  e.SetBounds(0, 0, 100, 20);
  TBitmap bm(10, 10);
  TCanvas& c = bm.Canvas();
  c.Font().Assign(e.Font());
  Integer w = c.TextWidth("****");
  EXPECT_EQ(e.TextLeft("****"), 1);
  e.SetAlignment(taRightJustify);
  EXPECT_EQ(e.TextLeft("****"), 100 - 1 - w);
  EXPECT_EQ(e.TextLeft(std::string(60, 'W')), 1) << "too wide for the box: from the left";
}

// ---------------------------------------------------------------------------------------
// On a toolbar

namespace {

struct ThemedComboBar : ::testing::Test {
  TForm Form;
  TPanel Panel;
  TTestToolbar Bar;
  TTBXComboBoxItem* Cam = nullptr;    // read-only list, as the cam graph's
  TTBXComboBoxItem* Free = nullptr;   // typed into
  TLater Later;
  std::vector<std::string> Changes;
  int Clicks = 0;

  void SetUp() override
  {
    Form.SetBounds(100, 100, 420, 260);
    Panel.SetParent(&Form);
    Panel.SetBounds(0, 0, 420, 40);
    Bar.SetBorderStyle(bsNone);
    Bar.SetParent(&Panel);
    Bar.SetAlign(alTop);
    Bar.SetItemTransparency(itEnable);
    Cam = Bar.Items()->AddNew<TTBXComboBoxItem>();
    Cam->SetEditWidth(120);
    Cam->SetReadOnly(true);
    Cam->SetDropDownList(true);
    Cam->SetStrings(Shapes);
    Cam->SetText(Shapes[0]);
    Cam->SetItemIndex(0);
    Cam->OnChange = [this](TTBXEditItem*, const std::string& t) { Changes.push_back(t); };
    Cam->OnItemClick = [this](TObject*) { ++Clicks; };
    auto* start = Bar.Items()->AddNew<TTBXItem>();
    start->SetCaption("Start");
    Free = Bar.Items()->AddNew<TTBXComboBoxItem>();
    Free->SetEditWidth(100);
    Free->SetStrings(Shapes);
    Form.Show();
    Application->ProcessMessages();
    Bar.View()->ValidatePositions();
  }
  void TearDown() override
  {
    if (Bar.View()->InModalLoop)
      Bar.View()->EndModal();
    Form.Hide();
    Application->ProcessMessages();
  }
  TTBXComboBoxItemViewer* ViewerOf(TTBXComboBoxItem* c)
  {
    return dynamic_cast<TTBXComboBoxItemViewer*>(Bar.View()->Find(c));
  }
  TTBView* Popup() { return Bar.View()->OpenViewerView(); }
  TTBXCustomListViewer* ListViewer()
  {
    TTBView* p = Popup();
    return p && p->ViewerCount() > 0 ? dynamic_cast<TTBXCustomListViewer*>(p->Viewers(0)) : nullptr;
  }
  // The screen point in the middle of entry i of the open list.
  TPoint EntryPoint(Integer i)
  {
    TTBXCustomListViewer* v = ListViewer();
    const TRect& r = v->BoundsRect;
    return v->View()->Window()->ClientToScreen({r.Left + 10, r.Top + v->ItemHeight() * i + v->ItemHeight() / 2});
  }
  // Runs the script from a press at P; the toolbar's loop runs inside the press.
  void Run(TScript& script, TPoint p)
  {
    script.Abort = [this] {
      auto* v = ViewerOf(Free);
      if (v && v->Editing())
        SimulateKey(VK_ESCAPE, 0, '\x1b');
      Bar.View()->EndModal();
    };
    script.Running = [this] { return Bar.View()->InModalLoop; };
    script.Start();
    SimulateMouse(TInputKind::MouseDown, p);
    EXPECT_TRUE(PumpUntil([&] { return script.Finished() && !Bar.View()->InModalLoop; }, 8000));
    // Clicks are delivered once the menus are gone.
    PumpUntil([] { return PendingClickCount() == 0; }, 1000);
  }
  // A press and release that starts editing the typed-into combo.
  void StartEditing(TScript& script, std::function<void(TScript&)> steps)
  {
    TPoint p = ScreenCentre(ViewerOf(Free));
    p.X -= 20;   // on the box, clear of the drop-down button
    script.Do([this, p] { Later.Run([p] { SimulateMouse(TInputKind::MouseUp, p); }); });
    script.WaitFor([this] { return ViewerOf(Free)->Editing(); }, "editing starts");
    steps(script);
    Run(script, p);
  }
};

}   // namespace

TEST_F(ThemedComboBar, MeasuresPartsAndViewerClasses)
{
  TTBXComboBoxItemViewer* v = ViewerOf(Cam);
  ASSERT_NE(v, nullptr);
  TCanvas& c = Bar.View()->MeasureCanvas();
  c.Font().Assign(Bar.View()->GetFont());
  Integer textH = GetTextHeight(c);
  EXPECT_EQ(v->BoundsRect.Width(), 120);
  EXPECT_EQ(v->BoundsRect.Height(), (textH + 6) | 1);
  EXPECT_EQ(v->GetAccRole(), ROLE_SYSTEM_COMBOBOX);

  // The edit lies inside the frame, clear of the 13-pixel drop-down button.
  TTBXComboBoxItemViewer* f = ViewerOf(Free);
  TRect r = f->GetEditControlRect();
  const TRect& b = f->BoundsRect;
  EXPECT_EQ(r.Left, b.Left + 1);
  EXPECT_EQ(r.Right, b.Right - 1 - 13);
  EXPECT_EQ(r.Top, b.Top);
  EXPECT_TRUE(f->IsPtInButtonPart(100 - 14, 5));
  EXPECT_FALSE(f->IsPtInButtonPart(100 - 13, 5)) << "the drop-down button";
  TCursor cur = crDefault;
  f->GetCursor({20, 5}, cur);
  EXPECT_EQ(cur, crIBeam);
  // A read-only list is all button: no I-beam, no edit.
  EXPECT_FALSE(v->IsPtInButtonPart(5, 5));
  cur = crDefault;
  v->GetCursor({20, 5}, cur);
  EXPECT_EQ(cur, crDefault);
  EXPECT_FALSE(v->DoExecute());
  EXPECT_FALSE(v->Editing());
  // A bigger font in the combo grows it, not the button measured after it.
  TTBItemViewer* start = Bar.View()->Find(Bar.Items()->Items(1));
  Integer startWidth = start->BoundsRect.Width();
  Cam->FontSettings().SetSize(200);
  Bar.View()->ValidatePositions();
  EXPECT_GT(ViewerOf(Cam)->BoundsRect.Height(), (textH + 6) | 1);
  EXPECT_EQ(Bar.View()->Find(Bar.Items()->Items(1))->BoundsRect.Width(), startWidth);

  // A vertical bar shows a plain button unless the item asks for its edit.
  TTBRootItem root;
  auto* combo = root.AddNew<TTBXComboBoxItem>();
  auto* edit = root.AddNew<TTBXEditItem>();
  TTestBar side(&root);
  side.View->SetOrientation(voVertical);
  side.View->UpdatePositions();
  TTBItemViewer* cv = side.View->Find(combo);
  EXPECT_EQ(dynamic_cast<TTBXEditItemViewer*>(cv), nullptr);
  EXPECT_NE(dynamic_cast<TTBXItemViewer*>(cv), nullptr);
  EXPECT_FALSE(combo->NeedToRecreateViewer(cv)) << "the plain button is the right viewer";
  combo->SetEditOptions(tboUseEditWhenVertical);
  side.View->UpdatePositions();
  EXPECT_NE(dynamic_cast<TTBXComboBoxItemViewer*>(side.View->Find(combo)), nullptr);
  EXPECT_EQ(side.View->Find(edit)->GetAccRole(), ROLE_SYSTEM_PUSHBUTTON);
  edit->SetEditOptions(tboUseEditWhenVertical);
  side.View->UpdatePositions();
  EXPECT_EQ(side.View->Find(edit)->GetAccRole(), ROLE_SYSTEM_TEXT);
}

TEST_F(ThemedComboBar, MouseSelectionOnTheReadOnlyList)
{
  TScript script;
  Integer popupType = 0;
  Integer hoverAtOpen = -2;
  TPoint entry;
  TPoint at = ScreenCentre(ViewerOf(Cam));
  at.X -= 30;   // on the text: a read-only list opens from anywhere
  script.Do([at] { SimulateMouse(TInputKind::MouseUp, at); });
  script.WaitFor([this] { return ListViewer() != nullptr; }, "the list opens");
  script.Do([&] {
    popupType = GetViewType(Popup());
    hoverAtOpen = ListViewer()->HoverIndex();
    entry = EntryPoint(2);
    SimulateMouse(TInputKind::MouseMove, entry);
  });
  script.Do([&] { SimulateMouse(TInputKind::MouseDown, entry); });
  script.Do([&] { SimulateMouse(TInputKind::MouseUp, entry); });
  Run(script, at);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(popupType, PVT_LISTBOX);
  EXPECT_EQ(hoverAtOpen, 0) << "the list opens on the entry of the text";
  EXPECT_EQ(Cam->ItemIndex(), 2);
  EXPECT_EQ(Cam->Text(), "Heart shaped");
  EXPECT_EQ(Changes, std::vector<std::string>{"Heart shaped"});
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Popup(), nullptr);
}

TEST_F(ThemedComboBar, KeyboardSelectionInTheOpenListEscapeCancelsEnterPicks)
{
  TPoint at = ScreenCentre(ViewerOf(Cam));
  TScript cancel;
  cancel.Do([at] { SimulateMouse(TInputKind::MouseUp, at); });
  cancel.WaitFor([this] { return ListViewer() != nullptr; }, "the list opens");
  cancel.Do([] { SimulateKey(VK_DOWN); });
  cancel.WaitFor([this] { return Cam->ItemIndex() == 1; }, "Down moves to Round");
  cancel.Do([] { SimulateKey(VK_ESCAPE, 0, '\x1b'); });
  cancel.WaitFor([this] { return Popup() == nullptr; }, "Escape closes the list");
  cancel.Do([] { SimulateKey(VK_ESCAPE, 0, '\x1b'); });
  Run(cancel, at);
  EXPECT_TRUE(cancel.Finished());
  EXPECT_EQ(Cam->ItemIndex(), 0) << "the entry the list opened with";
  EXPECT_EQ(Cam->Text(), "Pear shaped");
  EXPECT_EQ(Clicks, 0);
  Changes.clear();

  TScript script;
  Integer atEnd = -2;
  script.Do([at] { SimulateMouse(TInputKind::MouseUp, at); });
  script.WaitFor([this] { return ListViewer() != nullptr; }, "the list opens");
  script.Do([] { SimulateKey('X', 0, 'x'); });   // nothing to type into
  script.Do([] { SimulateKey(VK_DOWN); });
  script.WaitFor([this] { return Cam->ItemIndex() == 1; }, "Down moves to Round");
  script.Do([] { SimulateKey(VK_DOWN); });
  script.WaitFor([this] { return Cam->ItemIndex() == 2; }, "Down moves to Heart shaped");
  script.Do([] { SimulateKey(VK_DOWN); });
  script.Sleep(30);
  script.Do([&] {
    atEnd = Cam->ItemIndex();
    SimulateKey(VK_RETURN, 0, '\r');
  });
  Run(script, at);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(atEnd, 2) << "Down at the last entry stays there";
  EXPECT_EQ(Cam->Text(), "Heart shaped");
  EXPECT_EQ(Changes, (std::vector<std::string>{"Round", "Heart shaped"}));
  EXPECT_EQ(Clicks, 1) << "Enter picks the entry as a click does";
  EXPECT_EQ(Popup(), nullptr);
  EXPECT_FALSE(Bar.View()->InModalLoop);
}

TEST_F(ThemedComboBar, TypingCompletesAndUpDownStayWithinTheList)
{
  TScript script;
  std::string afterTyping;
  Integer selStart = -1, selLength = -1;
  std::vector<Integer> indices;
  StartEditing(script, [&](TScript& s) {
    s.Do([] { TypeKeys("ro"); });
    s.WaitFor([&] { return ViewerOf(Free)->EditControl()->Text() == "Round"; }, "completion");
    s.Do([&] {
      TTBEditControl* e = ViewerOf(Free)->EditControl();
      afterTyping = e->Text();
      selStart = e->SelStart();
      selLength = e->SelLength();
      indices.push_back(Free->ItemIndex());
    });
    for (Word k : {VK_DOWN, VK_DOWN, VK_UP, VK_UP, VK_UP})
      s.Do([&, k] {
        SimulateKey(k);
        indices.push_back(Free->ItemIndex());
      });
    s.Do([&] {
      TTBEditControl* e = ViewerOf(Free)->EditControl();
      EXPECT_EQ(e->Text(), "Pear shaped");
      EXPECT_EQ(e->SelLength(), 11) << "the entry shows all selected";
      SimulateKey(VK_RETURN, 0, '\r');
    });
  });
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(afterTyping, "Round");
  EXPECT_EQ(selStart, 2);
  EXPECT_EQ(selLength, 3);
  EXPECT_EQ(indices, (std::vector<Integer>{1, 2, 2, 1, 0, 0}));
  EXPECT_EQ(Free->Text(), "Pear shaped");
  EXPECT_FALSE(ViewerOf(Free)->Editing());
  EXPECT_FALSE(Bar.View()->InModalLoop);
}

TEST_F(ThemedComboBar, F4OpensTheListWhileEditingAndAPickEndsTheEdit)
{
  int freeClicks = 0;
  Free->OnItemClick = [&](TObject*) { ++freeClicks; };
  TScript script;
  bool editingWithListOpen = false;
  Integer indexWhileTyping = -2;
  TPoint entry;
  StartEditing(script, [&](TScript& s) {
    s.Do([] { SimulateKey(VK_F4); });
    s.WaitFor([this] { return ListViewer() != nullptr; }, "F4 opens the list");
    s.Do([] { TypeKeys("h"); });
    s.WaitFor([this] { return Free->ItemIndex() == 2; }, "typing selects in the open list");
    s.Do([&] {
      editingWithListOpen = ViewerOf(Free)->Editing() && ListViewer();
      indexWhileTyping = Free->ItemIndex();
      entry = EntryPoint(1);
      SimulateMouse(TInputKind::MouseMove, entry);
    });
    s.Do([&] { SimulateMouse(TInputKind::MouseDown, entry); });
    s.WaitFor([this] { return !ViewerOf(Free)->Editing(); }, "the press ends the edit");
    s.Do([&] { SimulateMouse(TInputKind::MouseUp, entry); });
  });
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(editingWithListOpen);
  EXPECT_EQ(indexWhileTyping, 2);
  EXPECT_EQ(Free->ItemIndex(), 1);
  EXPECT_EQ(Free->Text(), "Round");
  EXPECT_EQ(freeClicks, 1);
  EXPECT_EQ(Popup(), nullptr);
}

TEST_F(ThemedComboBar, PictureOfTheCamComboDroppedDown)
{
  TTBXComboBoxItemViewer* v = ViewerOf(Cam);
  Bar.View()->Select(v, false);
  ASSERT_TRUE(Bar.View()->OpenChildPopup(true));
  TTBXCustomListViewer* lv = ListViewer();
  ASSERT_NE(lv, nullptr);
  lv->MouseMove(10, lv->ItemHeight() + 2);   // hover "Round"
  TTBPopupWindow* popup = Bar.View()->OpenViewerWindow();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->NonClientSize(), (TPoint{1, 1})) << "a list popup's thin frame";
  TPoint barTopLeft = Bar.ClientToScreen({0, 0});
  EXPECT_EQ(popup->Top(), barTopLeft.Y + v->BoundsRect.Bottom);
  EXPECT_EQ(popup->Left(), barTopLeft.X + v->BoundsRect.Left);
  Application->ProcessMessages();

  TBitmap shot(300, 130, TPixelFormat::pf32bit);
  shot.Fill(RGBColor(0, 128, 128));
  Form.PaintTo(shot.Canvas(), 0, 0);
  TPoint formTopLeft = Form.ClientToScreen({0, 0});
  Integer px = popup->Left() - formTopLeft.X, py = popup->Top() - formTopLeft.Y;
  popup->PaintTo(shot.Canvas(), px, py);
  SavePng(shot, "tbx-combo-dropped.png");

  Integer listLeft = px + 1, listTop = py + 1;
  Integer h = lv->ItemHeight();
  EXPECT_EQ(shot.GetPixel(px, py + 3), ColorToRGB(clWindowFrame)) << "the frame";
  EXPECT_EQ(shot.GetPixel(listLeft + 1, listTop + 1), ColorToRGB(clWindow)) << "Pear shaped";
  EXPECT_EQ(shot.GetPixel(listLeft + 1, listTop + h + 1), ColorToRGB(clHighlight)) << "Round, hovered";
  EXPECT_EQ(shot.GetPixel(listLeft + 1, listTop + 2 * h + 1), ColorToRGB(clWindow));
  // The combo's box: the window colour inside the frame, left of the button.
  TPoint bar = Bar.ClientToScreen({0, 0});
  Integer bx = bar.X - formTopLeft.X + v->BoundsRect.Left, by = bar.Y - formTopLeft.Y + v->BoundsRect.Top;
  EXPECT_EQ(shot.GetPixel(bx + 3, by + v->BoundsRect.Height() / 2), ColorToRGB(clWindow));
  Bar.View()->CloseChildPopups();
}

TEST_F(ThemedComboBar, ThemedEditHandsItsModesToTheEdit)
{
  auto* pin = Bar.Items()->AddNew<TTBXEditItem>();
  pin->SetText("ab");
  pin->SetPasswordChar('*');
  pin->SetAlignment(taRightJustify);
  pin->SetReadOnly(true);
  pin->FontSettings().SetBold(tsTrue);
  TTBXEdit* control = nullptr;
  char mask = 0;
  TAlignment alignment = taLeftJustify;
  bool bold = false, readOnly = false;
  pin->OnBeginEdit = [&](TTBEditItem*, TTBEditItemViewer*, TTBEditControl* c) {
    if ((control = dynamic_cast<TTBXEdit*>(c))) {
      mask = control->PasswordChar();
      alignment = control->Alignment();
      readOnly = control->ReadOnly();
      bold = (control->Font().Style() & fsBold) != 0;
    }
  };
  Bar.View()->ValidatePositions();
  TPoint p = ScreenCentre(Bar.View()->Find(pin));
  TScript script;
  script.Do([this, p] { Later.Run([p] { SimulateMouse(TInputKind::MouseUp, p); }); });
  script.WaitFor([&] { return control != nullptr; }, "editing starts");
  script.Do([] { TypeKeys("zz"); });
  script.Do([] { SimulateKey(VK_RETURN, 0, '\r'); });
  Run(script, p);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(mask, '*');
  EXPECT_EQ(alignment, taRightJustify);
  EXPECT_TRUE(readOnly);
  EXPECT_TRUE(bold);
  EXPECT_EQ(pin->Text(), "ab") << "nothing typed into a read-only edit";
}

TEST(ThemedEditInMenus, TheBoxKeepsItsWidthBesideTheCaptionAndDropDownsOpenToolBoxes)
{
  TForm form;
  form.SetBounds(100, 100, 300, 200);
  TTBRootItem root;
  auto* edit = root.AddNew<TTBXEditItem>();
  edit->SetEditCaption("&Name:");
  edit->SetText("Cam");
  auto* drop = root.AddNew<TTBXDropDownItem>();
  auto* inside = drop->AddNew<TTBXItem>();
  inside->SetCaption("Inside");
  TTestBar menu(&root);
  menu.SetParent(&form);
  menu.SetBounds(0, 0, 300, 120);
  menu.View->SetIsToolbar(false);
  menu.View->RecreateAllViewers();
  form.Show();
  menu.View->UpdatePositions();
  auto* ev = dynamic_cast<TTBXEditItemViewer*>(menu.View->Find(edit));
  ASSERT_NE(ev, nullptr);
  EXPECT_FALSE(ev->IsToolbarStyle());
  // Whatever the caption and the image column take, the box is the EditWidth: the edit
  // control lies 3 pixels inside its rectangle, and the frame one more.
  TRect r = ev->GetEditControlRect();
  EXPECT_EQ(r.Right, ev->BoundsRect.Right - 1);
  EXPECT_EQ(r.Width(), 64 - 2);
  menu.Repaint();
  TBitmap shot(300, 120, TPixelFormat::pf32bit);
  menu.PaintTo(shot.Canvas(), 0, 0);   // a menu-hosted box paints its caption beside it
  EXPECT_EQ(shot.GetPixel(r.Left + 4, r.Top + 2), ColorToRGB(clWindow));

  // A drop-down item's own children open in a tool-box popup, F4 or not.
  TTBItemViewer* dv = menu.View->Find(drop);
  EXPECT_EQ(dv->GetAccRole(), ROLE_SYSTEM_COMBOBOX);
  menu.View->Select(dv, false);
  ASSERT_TRUE(menu.View->OpenChildPopup(false));
  EXPECT_EQ(GetViewType(menu.View->OpenViewerView()), PVT_TOOLBOX);
  menu.View->CloseChildPopups();
  form.Hide();
}
