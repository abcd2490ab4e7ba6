#include "platform/ComCtrls.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "platform/Application.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "tests/TestWait.h"

namespace {

struct TBarOnForm {
  TForm Form;
  TTrackBar* Bar;
  int Changes = 0;
  TBarOnForm()
  {
    Form.SetClientSize(300, 60);
    Bar = TComponent::Create<TTrackBar>(&Form);
    Bar->SetParent(&Form);
    // Wide enough for a pixel to every position.
    Bar->SetBounds(10, 5, 240, 45);
    Bar->SetRange(1, 200);
    Bar->OnChange = [this](TObject*) { ++Changes; };
  }
  void Key(Word key) { Bar->DispatchKeyDown(key, 0); }
};

}   // namespace

TEST(ComCtrlsTest, TrackBarRangeAndPosition)
{
  TBarOnForm t;
  TTrackBar& bar = *t.Bar;
  EXPECT_EQ(bar.Position(), 1);   // pulled into the range
  bar.SetPosition(500);
  EXPECT_EQ(bar.Position(), 200);
  bar.SetPosition(-5);
  EXPECT_EQ(bar.Position(), 1);
  bar.SetPosition(150);
  bar.SetMax(100);
  EXPECT_EQ(bar.Position(), 100);
  bar.SetMin(120);   // the maximum follows
  EXPECT_EQ(bar.Min(), 120);
  EXPECT_EQ(bar.Max(), 120);
  EXPECT_EQ(bar.Position(), 120);
  // Nothing set from code tells OnChange.
  EXPECT_EQ(t.Changes, 0);

  // Ends of the range at the ends of the thumb's run; positions and x agree both ways.
  bar.SetRange(1, 200);
  EXPECT_EQ(bar.PositionToX(1), 13);
  EXPECT_EQ(bar.PositionToX(200), bar.Width() - 14);
  for (Integer p = 1; p <= 200; ++p)
    EXPECT_EQ(bar.XToPosition(bar.PositionToX(p)), p) << p;
  EXPECT_EQ(bar.XToPosition(-1000), 1);
  EXPECT_EQ(bar.XToPosition(100000), 200);

  // The widest range and an empty one stay defined.
  bar.SetRange(INT_MIN, INT_MAX);
  EXPECT_EQ(bar.PositionToX(INT_MIN), 13);
  EXPECT_EQ(bar.PositionToX(INT_MAX), bar.Width() - 14);
  EXPECT_EQ(bar.XToPosition(bar.Width()), INT_MAX);
  bar.SetRange(5, 5);
  EXPECT_EQ(bar.XToPosition(90), 5);
  bar.SetBounds(0, 0, 10, 10);
  EXPECT_EQ(bar.XToPosition(5), 5);
  TBitmap tiny(10, 10);
  bar.PaintTo(tiny.Canvas(), 0, 0);
}

TEST(ComCtrlsTest, TrackBarKeysAndMouse)
{
  TBarOnForm t;
  TTrackBar& bar = *t.Bar;
  bar.SetPageSize(20);
  bar.SetPosition(100);
  t.Key(VK_RIGHT);
  EXPECT_EQ(bar.Position(), 101);
  t.Key(VK_UP);
  t.Key(VK_LEFT);
  EXPECT_EQ(bar.Position(), 99);
  t.Key(VK_NEXT);
  EXPECT_EQ(bar.Position(), 119);
  t.Key(VK_PRIOR);
  EXPECT_EQ(bar.Position(), 99);
  t.Key(VK_END);
  EXPECT_EQ(bar.Position(), 200);
  int changes = t.Changes;
  t.Key(VK_RIGHT);   // already at the end: no change, no event
  EXPECT_EQ(t.Changes, changes);
  t.Key(VK_HOME);
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(t.Changes, changes + 1);

  // A click beside the thumb pages towards it; dragging the thumb follows the pointer.
  t.Form.Show();
  bar.SetPosition(100);
  TRect thumb = bar.ThumbRect();
  TPoint right = bar.ClientToScreen({thumb.Right + 20, 10});
  SimulateMouse(TInputKind::MouseDown, right);
  SimulateMouse(TInputKind::MouseUp, right);
  EXPECT_EQ(bar.Position(), 120);
  thumb = bar.ThumbRect();
  TPoint grip = bar.ClientToScreen({thumb.Left + 5, thumb.Top + 5});
  SimulateMouse(TInputKind::MouseDown, grip);
  SimulateMouse(TInputKind::MouseMove, bar.ClientToScreen({bar.PositionToX(50), 12}));
  EXPECT_EQ(bar.Position(), 50);
  SimulateMouse(TInputKind::MouseMove, bar.ClientToScreen({-50, 12}));
  EXPECT_EQ(bar.Position(), 1);
  SimulateMouse(TInputKind::MouseUp, bar.ClientToScreen({-50, 12}));
  SimulateMouse(TInputKind::MouseMove, bar.ClientToScreen({bar.PositionToX(150), 12}));
  EXPECT_EQ(bar.Position(), 1);   // released: no more dragging
  t.Form.Hide();
}

// The topic pages' counters are used without the mouse too: Tab reaches them, Up and Down
// step them like the arrow buttons, and the focused one shows it.
TEST(ComCtrlsTest, UpDownTakesTheFocusAndStepsByTheArrowKeys)
{
  TForm form;
  form.SetClientSize(200, 60);
  TCheckBox* box = TComponent::Create<TCheckBox>(&form);
  box->SetParent(&form);
  TUpDown* ud = TComponent::Create<TUpDown>(&form);
  ud->SetParent(&form);
  ud->SetBounds(100, 5, 15, 21);
  ud->SetMin(10);
  ud->SetMax(12);
  ud->SetPosition(11);
  std::vector<TUDBtnType> clicks;
  ud->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b); };
  EXPECT_EQ(form.FindNextControl(box, true), ud);
  EXPECT_EQ(form.FindNextControl(ud, true), box);

  auto key = [&](Word k) {
    Word w = k;
    ud->DispatchKeyDown(w, 0);
    return w;
  };
  EXPECT_EQ(key(VK_UP), 0) << "the key is used";
  EXPECT_EQ(ud->Position(), 12);
  key(VK_UP);   // at the top: no step, no event
  key(VK_DOWN);
  key(VK_DOWN);
  key(VK_DOWN);
  EXPECT_EQ(ud->Position(), 10);
  EXPECT_EQ(clicks, (std::vector<TUDBtnType>{btNext, btPrev, btPrev}));
  EXPECT_EQ(key(VK_LEFT), VK_LEFT) << "other keys are not its own";
  EXPECT_EQ(ud->Position(), 10);

  // With a number box beside it, box and arrows are one stop: the box, whose keys step them.
  TEdit* edit = TComponent::Create<TEdit>(&form);
  edit->SetParent(&form);
  ud->SetAssociate(edit);
  EXPECT_EQ(form.FindNextControl(box, true), edit);
  EXPECT_EQ(form.FindNextControl(edit, true), box);
  EXPECT_EQ(form.FindNextControl(box, false), edit);
  ud->SetAssociate(nullptr);
  EXPECT_EQ(form.FindNextControl(box, true), ud) << "alone again, the arrows are a stop";

  form.Show();
  TBitmap before(15, 21), after(15, 21);
  ud->PaintTo(before.Canvas(), 0, 0);
  ud->SetFocus();
  ASSERT_TRUE(testwait::WaitUntil([&] { return ud->Focused(); }, 3000));
  ud->PaintTo(after.Canvas(), 0, 0);
  bool differs = false;
  for (Integer y = 0; y < 21 && !differs; ++y)
    for (Integer x = 0; x < 15 && !differs; ++x)
      differs = before.GetPixel(x, y) != after.GetPixel(x, y);
  EXPECT_TRUE(differs);
}
