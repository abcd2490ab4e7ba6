#include <gtest/gtest.h>

#include "platform/Clipboard.h"
#include "platform/StdCtrls.h"

namespace {

struct TEditOnForm {
  TForm Form;
  TEdit* Edit;
  int Changes = 0;
  TEditOnForm()
  {
    Form.SetClientSize(200, 40);
    Edit = TComponent::Create<TEdit>(&Form);
    Edit->SetParent(&Form);
    Edit->SetBounds(5, 5, 120, 21);
    Edit->OnChange = [this](TObject*) { ++Changes; };
  }
  void Type(const std::string& text)
  {
    for (char ch : text)
      Edit->DispatchKeyPress(ch);
  }
  void Key(Word key) { Edit->DispatchKeyDown(key, 0); }
};

}   // namespace

TEST(StdCtrlsEditTest, TypingAndTheCaret)
{
  TEditOnForm t;
  TEdit& e = *t.Edit;
  t.Type("Gars");
  EXPECT_EQ(e.Text(), "Gars");
  EXPECT_EQ(t.Changes, 4);
  for (int i = 0; i < 3; ++i)
    t.Key(VK_LEFT);
  t.Type("e");
  EXPECT_EQ(e.Text(), "Gears");
  EXPECT_EQ(e.SelStart(), 2);
  t.Key(VK_HOME);
  t.Key(VK_DELETE);
  EXPECT_EQ(e.Text(), "ears");
  char back = '\b';
  e.DispatchKeyPress(back);   // nothing before the caret
  EXPECT_EQ(e.Text(), "ears");
  t.Key(VK_END);
  back = '\b';   // the handled key came back as 0
  e.DispatchKeyPress(back);
  EXPECT_EQ(e.Text(), "ear");
  t.Key(VK_DELETE);   // nothing after the caret
  EXPECT_EQ(e.Text(), "ear");
  int changes = t.Changes;
  t.Key(VK_LEFT);
  char control = 7;
  e.DispatchKeyPress(control);   // control characters are not text
  EXPECT_EQ(t.Changes, changes);

  // Set from code: no event; typing stops at the limit.
  e.SetText("Levers");
  EXPECT_EQ(t.Changes, changes);
  e.SetSelStart(6);
  e.SetMaxLength(7);
  t.Type("!!");
  EXPECT_EQ(e.Text(), "Levers!");
  e.SetSelStart(99);
  EXPECT_EQ(e.SelStart(), 7);
  e.SetSelStart(-3);
  EXPECT_EQ(e.SelStart(), 0);
}

TEST(StdCtrlsEditTest, LongTextScrollsAndClicksPlaceTheCaret)
{
  TEditOnForm t;
  TEdit& e = *t.Edit;
  t.Form.Show();
  e.SetText(std::string(80, 'W'));
  e.SetSelStart(80);
  // Painting with the caret at the end scrolls the text: the end shows.
  TBitmap shot(e.Width(), e.Height());
  e.SetFocus();
  e.PaintTo(shot.Canvas(), 0, 0);
  // A click at the left edge puts the caret well after the start of the text.
  TPoint p = e.ClientToScreen({3, 10});
  SimulateMouse(TInputKind::MouseDown, p);
  SimulateMouse(TInputKind::MouseUp, p);
  EXPECT_GT(e.SelStart(), 40);
  EXPECT_LT(e.SelStart(), 80);

  e.SetText("ab");
  e.SetSelStart(0);
  p = e.ClientToScreen({e.Width() - 5, 10});
  SimulateMouse(TInputKind::MouseDown, p);
  SimulateMouse(TInputKind::MouseUp, p);
  EXPECT_EQ(e.SelStart(), 2);
  t.Form.Hide();
}

// The selection from the keyboard: Shift extends from where the caret was, an arrow without
// Shift collapses a selection to its near end, Ctrl moves by words; typing and Backspace
// replace what is selected, and the room a limit leaves counts the selection as gone.
TEST(StdCtrlsEditTest, KeysSelectAndTypingReplacesTheSelection)
{
  TEditOnForm t;
  TEdit& e = *t.Edit;
  e.SetText("pear round heart");
  e.SetSelStart(16);
  auto key = [&](Word k, TShiftState shift) { e.DispatchKeyDown(k, shift); };
  key(VK_LEFT, ssShift | ssCtrl);
  EXPECT_EQ(e.SelStart(), 11);
  EXPECT_EQ(e.SelText(), "heart");
  key(VK_LEFT, ssShift | ssCtrl);
  EXPECT_EQ(e.SelText(), "round heart");
  key(VK_RIGHT, ssShift);   // the caret end moves, the other end stays
  EXPECT_EQ(e.SelText(), "ound heart");
  key(VK_LEFT, 0);
  EXPECT_EQ(e.SelStart(), 6) << "Left collapses the selection to its start";
  EXPECT_EQ(e.SelLength(), 0);
  key(VK_END, ssShift);
  key(VK_RIGHT, 0);
  EXPECT_EQ(e.SelStart(), 16) << "Right collapses it to its end";
  key(VK_HOME, ssShift);
  EXPECT_EQ(e.SelLength(), 16);
  t.Type("cam");
  EXPECT_EQ(e.Text(), "cam");
  e.SetSel(1, 1);
  char back = '\b';
  e.DispatchKeyPress(back);
  EXPECT_EQ(e.Text(), "cm") << "Backspace takes the selection, not the character before it";

  // Full at the limit, yet a selection leaves room for what replaces it.
  e.SetMaxLength(4);
  e.SetText("2040");
  key('A', ssCtrl);
  EXPECT_EQ(e.SelLength(), 4);
  t.Type("12");
  EXPECT_EQ(e.Text(), "12");
  e.SetSel(0, 1);
  t.Type("345");
  EXPECT_EQ(e.Text(), "3452") << "the limit cuts what is typed over a selection";
  // Set from code the limit does not cut; read-only nothing changes but the caret.
  e.SetText("longer than four");
  EXPECT_EQ(e.Text(), "longer than four");
  e.SetReadOnly(true);
  key('A', ssCtrl);
  t.Type("x");
  key(VK_DELETE, 0);
  EXPECT_EQ(e.Text(), "longer than four");
  EXPECT_EQ(e.SelLength(), 16);
}

// The clipboard keys: Ctrl+C copies the selection, Ctrl+X cuts it, Ctrl+V pastes the first
// line of what the clipboard holds over the selection; a password is never handed out.
TEST(StdCtrlsEditTest, ClipboardKeysCopyCutAndPaste)
{
  TEditOnForm t;
  TEdit& e = *t.Edit;
  auto key = [&](Word k, TShiftState shift) { e.DispatchKeyDown(k, shift); };
  e.SetText("worm gear");
  e.SetSel(5, 4);
  key('C', ssCtrl);
  EXPECT_EQ(Clipboard().AsText(), "gear");
  e.SetSel(0, 5);
  key('X', ssCtrl);
  EXPECT_EQ(e.Text(), "gear");
  EXPECT_EQ(Clipboard().AsText(), "worm ");
  Clipboard().SetAsText("rack\r\nand pinion");
  e.SetSel(0, 4);
  key('V', ssCtrl);
  EXPECT_EQ(e.Text(), "rack") << "one line pasted over the selection";
  const int changes = t.Changes;
  e.SetPasswordChar('*');
  e.SelectAll();
  key('C', ssCtrl);
  key('X', ssCtrl);
  EXPECT_EQ(Clipboard().AsText(), "rack\r\nand pinion") << "a password reached the clipboard";
  EXPECT_EQ(e.Text(), "rack");
  EXPECT_EQ(t.Changes, changes);
}
