#include <gtest/gtest.h>

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
