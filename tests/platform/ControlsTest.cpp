// Controls on real toolkit windows: aligned layout, mouse capture, input filters, enter and
// leave tracking, popup windows, hints and nested loops.
#include <gtest/gtest.h>

#include "tests/TestWait.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

namespace {

// Records the calls a control gets.
class TProbe : public TCustomControl {
public:
  std::vector<std::string> Log;
  int CaptureLosses = 0;

protected:
  void MouseDown(TMouseButton, TShiftState, Integer x, Integer y) override { Add("down", x, y); }
  void MouseUp(TMouseButton, TShiftState, Integer x, Integer y) override { Add("up", x, y); }
  void MouseMove(TShiftState, Integer x, Integer y) override { Add("move", x, y); }
  void MouseEnter() override { Log.push_back("enter"); }
  void MouseLeave() override { Log.push_back("leave"); }
  void CaptureLost() override { ++CaptureLosses; }

private:
  void Add(const char* what, Integer x, Integer y)
  {
    Log.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y));
  }
};

class TPopup : public TPopupWindowControl {
public:
  ~TPopup() override { DestroyHandle(); }
};

// A form with two probes side by side.
struct TTwoProbes {
  TForm Form;
  TProbe A, B;
  TTwoProbes()
  {
    Form.SetBounds(50, 60, 300, 200);
    A.SetParent(&Form);
    A.SetBounds(10, 10, 100, 100);
    B.SetParent(&Form);
    B.SetBounds(150, 10, 100, 100);
    Form.Show();
  }
  ~TTwoProbes()
  {
    ReleaseCapture();
    Form.Hide();
  }
  TPoint InA(Integer x, Integer y) { return A.ClientToScreen({x, y}); }
  TPoint InB(Integer x, Integer y) { return B.ClientToScreen({x, y}); }
};

using testwait::WaitUntil;

// A control with parts the keyboard walks: an edit inside it, then a part of its own (the
// control itself holds the focus for it), as a page holds fields and links.
class TPartsProbe : public TCustomControl {
public:
  TEdit Field;
  bool OnOwnPart = false;
  bool Empty = false;
  std::vector<std::string> Log;
  TPartsProbe()
  {
    Field.SetParent(this);
    Field.SetBounds(5, 5, 60, 24);
  }
  ~TPartsProbe() override { Field.SetParent(nullptr); }
  bool HasTabParts() const override { return true; }
  bool TabInto(bool forward) override
  {
    Log.push_back(forward ? "into" : "into back");
    if (Empty)
      return false;
    Go(forward ? 0 : 1);
    return true;
  }
  bool TabWithin(bool forward) override
  {
    Log.push_back("within");
    const int at = Field.Focused() ? 0 : OnOwnPart ? 1 : -1;
    const int next = forward ? at + 1 : at - 1;
    OnOwnPart = false;
    if (next < 0 || next > 1)
      return false;
    Go(next);
    return true;
  }

private:
  void Go(int part)
  {
    OnOwnPart = part == 1;
    if (part == 0)
      Field.SetFocus();
    else
      SetFocus();
  }
};

// Types keys on the X server's keyboard (XTest), as a user does.
bool Keys(const std::string& keys) { return std::system(("xdotool key --delay 30 " + keys).c_str()) == 0; }

}   // namespace

// A control with parts is one stop in its window's Tab walk: Tab from the control before it
// goes to its first part, its parts in turn, then out to the next stop; Shift+Tab comes in
// at its last part; the edit inside it is no stop of its own; one with nothing to take the
// focus is passed over.
TEST(Controls, AControlWithPartsWalksThemInItsPlaceInTheTabOrder)
{
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool is not installed";
  TForm form;
  form.SetBounds(60, 60, 400, 200);
  TEdit before, after;
  TPartsProbe parts, empty;
  before.SetParent(&form);
  before.SetBounds(10, 10, 80, 24);
  parts.SetParent(&form);
  parts.SetBounds(10, 50, 200, 100);
  empty.SetParent(&form);
  empty.SetBounds(220, 50, 50, 50);
  empty.Empty = true;
  after.SetParent(&form);
  after.SetBounds(300, 10, 80, 24);
  EXPECT_EQ(form.FindNextControl(&before, true), &parts);
  EXPECT_EQ(form.FindNextControl(&parts.Field, true), &empty) << "the walk goes on after the holder";
  form.Show();
  before.SetFocus();
  ASSERT_TRUE(WaitUntil([&] { return before.Focused(); }, 3000));

  ASSERT_TRUE(Keys("Tab"));
  EXPECT_TRUE(WaitUntil([&] { return parts.Field.Focused(); }));
  ASSERT_TRUE(Keys("Tab"));
  EXPECT_TRUE(WaitUntil([&] { return parts.Focused() && parts.OnOwnPart; }));
  ASSERT_TRUE(Keys("Tab"));
  EXPECT_TRUE(WaitUntil([&] { return after.Focused(); }));
  EXPECT_EQ(empty.Log, (std::vector<std::string>{"into"})) << "asked, and passed over";
  ASSERT_TRUE(Keys("shift+Tab"));
  EXPECT_TRUE(WaitUntil([&] { return parts.Focused() && parts.OnOwnPart; }));
  ASSERT_TRUE(Keys("shift+Tab"));
  EXPECT_TRUE(WaitUntil([&] { return parts.Field.Focused(); }));
  ASSERT_TRUE(Keys("shift+Tab"));
  EXPECT_TRUE(WaitUntil([&] { return before.Focused(); }));
  EXPECT_EQ(parts.Log, (std::vector<std::string>{"into", "within", "within", "into back", "within", "within"}));
  form.Hide();
}

// A container that leaves some of its children out of the Tab walk (as a toolbar leaves the
// controls it hosts): the walk passes them and what lies inside them; from one of them Tab
// goes on from the container's place, Shift+Tab back from it; Tab into an edit selects it.
TEST(Controls, ChildrenLeftOutOfTheTabOrderAreWalkedPast)
{
  struct THolder : TCustomControl {
    std::vector<TWinControl*> Left;
    std::vector<TWinControl*> TabOrderList() const override
    {
      std::vector<TWinControl*> list = TCustomControl::TabOrderList();
      std::erase_if(list, [this](TWinControl* c) { return std::find(Left.begin(), Left.end(), c) != Left.end(); });
      return list;
    }
  };
  TForm form;
  form.SetBounds(60, 60, 400, 200);
  TEdit first, kept, last;
  THolder holder;
  TCustomControl hosted;   // left out, with an edit inside it
  TEdit hostedEdit, loose;
  first.SetParent(&form);
  holder.SetParent(&form);
  last.SetParent(&form);
  hosted.SetParent(&holder);
  kept.SetParent(&holder);
  loose.SetParent(&holder);
  hostedEdit.SetParent(&hosted);
  holder.Left = {&hosted, &loose};
  EXPECT_EQ(form.FindNextControl(&first, true), &kept);
  EXPECT_EQ(form.FindNextControl(&kept, true), &last) << "past the left-out edit and the one inside the other";
  EXPECT_EQ(form.FindNextControl(&last, true), &first);
  // From a left-out control: on from the holder's place.
  EXPECT_EQ(form.FindNextControl(&loose, true), &kept);
  EXPECT_EQ(form.FindNextControl(&loose, false), &first);
  EXPECT_EQ(form.FindNextControl(&hostedEdit, true), &kept);

  last.SetText("forty");
  last.SetSelStart(2);
  ASSERT_TRUE(form.SelectNext(&kept, true));
  EXPECT_EQ(last.SelStart(), 0);
  EXPECT_EQ(last.SelLength(), 5) << "Tab selects the text of the edit it reaches";
}

TEST(Controls, AlignedChildrenFillTheClientAreaInOrder)
{
  TForm form;
  form.SetBounds(0, 0, 200, 150);
  TCustomControl top, bottom, left, right, client, loose;
  for (TControl* c : std::vector<TControl*>{&client, &right, &left, &bottom, &top, &loose})
    c->SetParent(&form);
  top.SetHeight(20);
  bottom.SetHeight(10);
  left.SetWidth(30);
  right.SetWidth(40);
  loose.SetBounds(5, 5, 7, 7);
  // Set out of order: the layout still takes top, bottom, left, right, then client.
  client.SetAlign(alClient);
  right.SetAlign(alRight);
  left.SetAlign(alLeft);
  bottom.SetAlign(alBottom);
  top.SetAlign(alTop);
  EXPECT_EQ(top.BoundsRect(), (TRect{0, 0, 200, 20}));
  EXPECT_EQ(bottom.BoundsRect(), (TRect{0, 140, 200, 150}));
  EXPECT_EQ(left.BoundsRect(), (TRect{0, 20, 30, 140}));
  EXPECT_EQ(right.BoundsRect(), (TRect{160, 20, 200, 140}));
  EXPECT_EQ(client.BoundsRect(), (TRect{30, 20, 160, 140}));
  EXPECT_EQ(loose.BoundsRect(), (TRect{5, 5, 12, 12}));
  // Resizing the parent and hiding a child lay out again.
  form.SetBounds(0, 0, 300, 150);
  left.Hide();
  EXPECT_EQ(client.BoundsRect(), (TRect{0, 20, 260, 140}));
  EXPECT_EQ(right.BoundsRect(), (TRect{260, 20, 300, 140}));
}

// A parent that counts its layout passes.
class TCountingParent : public TCustomControl {
public:
  int Passes = 0;

protected:
  void AlignControls(TRect& r) override
  {
    ++Passes;
    TCustomControl::AlignControls(r);
  }
};

TEST(Controls, ManyChildrenComeAndGoWithoutLayingOutTheirSiblings)
{
  TForm form;
  form.SetBounds(0, 0, 200, 150);
  TCountingParent panel;
  panel.SetParent(&form);
  panel.SetBounds(0, 0, 200, 150);
  TCustomControl top, bottom;
  top.SetHeight(20);
  top.SetAlign(alTop);
  top.SetParent(&panel);
  form.Show();
  // A page's worth of fields come, show, hide and go one by one: the layout is not theirs.
  // Their widgets wait for the loop as one release; only those in sight (the first 120) and
  // the one with the keyboard are hidden first, and the keyboard stays with none of them.
  panel.Passes = 0;
  Application->ProcessMessages();
  const TWidgetReleaseCounts before = WidgetReleaseCounts();
  EXPECT_EQ(before.Waiting, 0u);
  {
    std::vector<std::unique_ptr<TCustomControl>> fields;
    for (int i = 0; i < 1000; ++i) {
      fields.push_back(std::make_unique<TCustomControl>());
      fields.back()->SetParent(&panel);
      fields.back()->SetBounds(0, 30 + i, 10, 10);
    }
    fields[5]->Hide();
    fields[5]->Show();
    EXPECT_EQ(panel.ControlCount(), 1001);
    fields[900]->SetTabStop(true);
    fields[900]->SetFocus();
    EXPECT_TRUE(WaitUntil([&] { return fields[900]->Focused(); }, 3000));
    // Children leave from anywhere, the rest keeping their order.
    for (size_t i : {size_t{998}, size_t{3}, size_t{500}})
      fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(i));
    ASSERT_EQ(panel.ControlCount(), 998);
    for (int i = 0; i < 997; ++i)
      ASSERT_EQ(panel.Controls(i + 1), fields[static_cast<size_t>(i)].get()) << i;
  }
  ASSERT_EQ(panel.ControlCount(), 1);
  EXPECT_EQ(panel.Controls(0), &top);
  EXPECT_EQ(panel.Passes, 0);
  const TWidgetReleaseCounts gone = WidgetReleaseCounts();
  EXPECT_EQ(gone.Waiting, 1000u);
  EXPECT_EQ(gone.Queued, before.Queued + 1);
  EXPECT_EQ(gone.Hidden, before.Hidden + 121);
  Application->ProcessMessages();
  EXPECT_EQ(WidgetReleaseCounts().Waiting, 0u);
  const TWinControl* focused = FindFocusedControl();
  EXPECT_TRUE(focused == nullptr || focused == &form || focused == &panel || focused == &top);
  // An aligned child moves the others; in a batch, once at its end.
  bottom.SetHeight(10);
  bottom.SetAlign(alBottom);
  panel.DisableAlign();
  bottom.SetParent(&panel);
  top.Hide();
  EXPECT_EQ(panel.Passes, 0);
  panel.EnableAlign();
  EXPECT_EQ(panel.Passes, 1);
  EXPECT_EQ(bottom.BoundsRect(), (TRect{0, 140, 200, 150}));
  top.Show();
  EXPECT_EQ(panel.Passes, 2);
  EXPECT_EQ(top.BoundsRect(), (TRect{0, 0, 200, 20}));
}

TEST(Controls, ChildrenOutOfSightGetTheirWindowsOnlyOnceSeenOrFocused)
{
  TForm form;
  form.SetBounds(0, 0, 200, 150);
  TCustomControl panel;
  panel.SetParent(&form);
  panel.SetBounds(0, 0, 200, 150);
  panel.SetChildWindowsInSight(true);
  form.Show();
  Application->ProcessMessages();
  const TWidgetReleaseCounts before = WidgetReleaseCounts();
  {
    // A page parks its fields below the panel before it places the few in view.
    std::vector<std::unique_ptr<TCustomControl>> fields;
    for (int i = 0; i < 1000; ++i) {
      fields.push_back(std::make_unique<TCustomControl>());
      fields.back()->SetBounds(0, -400, 10, 10);
      fields.back()->SetParent(&panel);
    }
    TCustomControl inner;   // a field's own child comes with it
    inner.SetBounds(1, 1, 5, 5);
    inner.SetParent(fields[2].get());
    auto made = [&] {
      return std::count_if(fields.begin(), fields.end(), [](auto& f) { return f->HandleAllocated(); });
    };
    EXPECT_EQ(made(), 0);
    EXPECT_FALSE(inner.HandleAllocated());
    // One sized nowhere yet has its window as before.
    TCustomControl unsized;
    unsized.SetParent(&panel);
    EXPECT_TRUE(unsized.HandleAllocated());
    // Placed in view, or with the panel grown round it, or focused far off: made.
    fields[2]->SetBounds(20, 30, 10, 10);
    EXPECT_TRUE(fields[2]->HandleAllocated() && inner.HandleAllocated());
    EXPECT_TRUE(fields[2]->Showing());
    fields[3]->SetBounds(0, 160, 10, 10);
    fields[4]->SetBounds(195, 140, 10, 10);   // a corner in view is in sight
    EXPECT_FALSE(fields[3]->HandleAllocated());
    EXPECT_TRUE(fields[4]->HandleAllocated());
    panel.SetBounds(0, 0, 200, 200);
    EXPECT_TRUE(fields[3]->HandleAllocated());
    fields[900]->SetTabStop(true);
    fields[900]->SetFocus();
    EXPECT_TRUE(WaitUntil([&] { return fields[900]->Focused(); }, 3000));
    // A hidden one stays without, in sight or not.
    fields[5]->Hide();
    fields[5]->SetBounds(0, 0, 10, 10);
    EXPECT_FALSE(fields[5]->HandleAllocated());
    EXPECT_EQ(made(), 4);
  }
  // Only the windows made wait to be freed: four fields', the inner one's and the unsized one's.
  EXPECT_EQ(WidgetReleaseCounts().Waiting, before.Waiting + 6);
  Application->ProcessMessages();
  EXPECT_EQ(WidgetReleaseCounts().Waiting, 0u);
}

TEST(Controls, CaptureTakesTheMouseAndIsLostToTheNextHolder)
{
  TTwoProbes f;
  f.A.SetMouseCapture(true);
  EXPECT_EQ(GetCaptureControl(), &f.A);
  SimulateMouse(TInputKind::MouseMove, f.InB(5, 6));
  SimulateMouse(TInputKind::MouseDown, f.InB(5, 6));
  SimulateMouse(TInputKind::MouseUp, f.InB(5, 6));
  // Over B, but in A's own coordinates.
  EXPECT_EQ(f.A.Log, (std::vector<std::string>{"move 145,6", "down 145,6", "up 145,6"}));
  EXPECT_TRUE(std::find(f.B.Log.begin(), f.B.Log.end(), "down 5,6") == f.B.Log.end());
  SetCaptureControl(&f.B);
  EXPECT_EQ(f.A.CaptureLosses, 1);
  ReleaseCapture();
  EXPECT_EQ(f.B.CaptureLosses, 1);
  EXPECT_EQ(GetCaptureControl(), nullptr);
  // Hiding the holder releases the capture.
  f.A.SetMouseCapture(true);
  f.A.Hide();
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(f.A.CaptureLosses, 2);
}

TEST(Controls, InputFiltersSeeInputFirstAndMaySwallowIt)
{
  TTwoProbes f;
  std::vector<std::string> seen;
  int first = AddInputFilter([&](const TInputEvent& e) {
    seen.push_back("first");
    return e.Kind == TInputKind::MouseDown;   // swallows presses
  });
  int second = 0;
  second = AddInputFilter([&](const TInputEvent& e) {
    seen.push_back(e.Target == &f.A ? "second on A" : "second");
    RemoveInputFilter(second);   // a filter may go while it runs
    return false;
  });
  SimulateMouse(TInputKind::MouseDown, f.InA(3, 4));
  SimulateMouse(TInputKind::MouseUp, f.InA(3, 4));
  // The last added runs first; the swallowed press never reached A.
  EXPECT_EQ(seen, (std::vector<std::string>{"second on A", "first", "first"}));
  EXPECT_EQ(f.A.Log, (std::vector<std::string>{"up 3,4"}));
  RemoveInputFilter(first);
  SimulateMouse(TInputKind::MouseDown, f.InA(3, 4));
  EXPECT_EQ(f.A.Log.back(), "down 3,4");
  SimulateMouse(TInputKind::MouseUp, f.InA(3, 4));
  EXPECT_EQ(seen.size(), 3u);
}

TEST(Controls, EnterAndLeaveFollowThePointer)
{
  TTwoProbes f;
  SimulateMouse(TInputKind::MouseMove, f.InA(5, 5));
  SimulateMouse(TInputKind::MouseMove, f.InA(6, 5));
  SimulateMouse(TInputKind::MouseMove, f.InB(5, 5));
  SimulateMouse(TInputKind::MouseMove, {f.Form.Left() + 2, f.Form.Top() + 2});
  EXPECT_EQ(f.A.Log, (std::vector<std::string>{"enter", "move 5,5", "move 6,5", "leave"}));
  EXPECT_EQ(f.B.Log, (std::vector<std::string>{"enter", "move 5,5", "leave"}));
  EXPECT_EQ(GetMouseControl(), &f.Form);
}

TEST(Controls, PopupWindowFloatsAboveWithoutTakingTheFocus)
{
  TTwoProbes f;
  f.Form.SetFocus();
  // The display server gives the focus in its own time (and other test programs share it).
  bool focused = WaitUntil([&] { return f.Form.Focused(); }, 2000);
  TPopup popup;
  popup.SetBounds(f.InA(0, 0).X, f.InA(0, 0).Y, 80, 40);
  popup.Show();
  Application->ProcessMessages();
  EXPECT_TRUE(popup.IsPopupWindow());
  EXPECT_EQ(f.Form.Focused(), focused) << "showing the popup leaves the focus where it was";
  EXPECT_FALSE(popup.Focused());
  EXPECT_EQ(FindControlAtPos(f.InA(5, 5)), &popup);
  EXPECT_EQ(FindControlAtPos(f.InA(5, 50)), &f.A);
  // A click beside the popup reaches the window under it; one on it goes to the popup.
  SimulateMouse(TInputKind::MouseDown, f.InB(5, 5));
  SimulateMouse(TInputKind::MouseUp, f.InB(5, 5));
  EXPECT_EQ(f.B.Log.back(), "up 5,5");
  size_t logged = f.A.Log.size();
  SimulateMouse(TInputKind::MouseDown, f.InA(5, 5));
  SimulateMouse(TInputKind::MouseUp, f.InA(5, 5));
  for (size_t i = logged; i < f.A.Log.size(); ++i)
    EXPECT_NE(f.A.Log[i].rfind("down", 0), 0u);
  popup.Hide();
  EXPECT_EQ(FindControlAtPos(f.InA(5, 5)), &f.A);
}

TEST(Controls, HintShowsAfterThePauseAndGoesOnCancel)
{
  TTwoProbes f;
  f.A.SetHint("Short|The long one");
  f.A.SetShowHint(true);
  EXPECT_EQ(GetShortHint(f.A.Hint()), "Short");
  EXPECT_EQ(GetLongHint(f.A.Hint()), "The long one");
  HintMouseMessage(&f.A, f.InA(5, 5));
  EXPECT_EQ(ShownHintText(), "");
  Cardinal start = GetTickCount();
  EXPECT_TRUE(WaitUntil([] { return !ShownHintText().empty(); }, 3000));
  EXPECT_EQ(ShownHintText(), "Short");
  EXPECT_GE(GetTickCount() - start, HintPauseMs - 20);
  // The hint lies below the pointer and lets the mouse through.
  TRect hr = ShownHintBounds();
  EXPECT_GT(hr.Top, f.InA(5, 5).Y);
  TPoint onHint{hr.Left + 2, hr.Top + 2};
  EXPECT_EQ(FindControlAtPos(onHint), &f.A);
  // Moving inside the hint area keeps it; cancelling hides it.
  HintMouseMessage(&f.A, f.InA(50, 50));
  EXPECT_EQ(ShownHintText(), "Short");
  CancelHint();
  EXPECT_EQ(ShownHintText(), "");
  // No hint for a control that does not show hints.
  HintMouseMessage(&f.B, f.InB(5, 5));
  EXPECT_FALSE(WaitUntil([] { return !ShownHintText().empty(); }, HintPauseMs + 100));
  CancelHint();
}

TEST(Controls, ScreenCursorOverridesAndReturns)
{
  Screen().SetCursor(crArrow);
  EXPECT_EQ(Screen().Cursor(), crArrow);
  Screen().SetCursor(crHandPoint);
  EXPECT_EQ(Screen().Cursor(), crHandPoint);
  Screen().SetCursor(crDefault);
  EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST(Controls, NestedLoopEndsOnItsConditionAndOnQuit)
{
  // Inside Run, so that the quit this test posts ends Run too and leaves no state behind.
  std::vector<std::string> log;
  HWND wnd = AllocateHWnd([&](TMessage& m) {
    if (m.Msg != WM_USER)
      return;
    bool done = false;
    PostMessage(wnd, WM_USER + 1, 0, 0);
    HWND helper = AllocateHWnd([&](TMessage& h) {
      if (h.Msg == WM_USER + 2)
        done = true;
    });
    PostMessage(helper, WM_USER + 2, 0, 0);
    log.push_back(RunNestedLoop([&] { return done; }) ? "condition" : "quit?");
    log.push_back(Application->Terminated() ? "terminated" : "running");
    // A quit met inside a nested loop ends it, and stays in force for the loops outside.
    PostQuitMessage(0);
    log.push_back(RunNestedLoop([] { return false; }) ? "condition?" : "quit");
    log.push_back(Application->Terminated() ? "terminated" : "running");
    DeallocateHWnd(helper);
  });
  PostMessage(wnd, WM_USER, 0, 0);
  Application->Run();
  EXPECT_EQ(log, (std::vector<std::string>{"condition", "running", "quit", "terminated"}));
  DeallocateHWnd(wnd);
}

TEST(Controls, ControlsWithoutAColourShowTheirParentThroughOnTheScreen)
{
  TForm form;
  form.SetColor(clRed);
  form.SetBounds(40, 40, 240, 120);
  TCheckBox box;   // no colour of its own
  TLabel label;
  TPanel cover;   // a colour of its own hides the red
  cover.SetBevelOuter(bvNone);
  cover.SetColor(clLime);
  Integer y = 10;
  for (TControl* c : std::vector<TControl*>{&box, &label, &cover}) {
    c->SetParent(&form);
    c->SetBounds(10, y, 200, 20);
    c->SetCaption("x");
    y += 30;
  }
  form.Show();
  Application->ProcessMessages();

  TBitmap shot;
  form.RenderTo(shot);
  ASSERT_EQ(shot.Width(), form.Width());
  // Right of the captions nothing is drawn by the box or the label: the form's red is there.
  EXPECT_EQ(shot.GetPixel(180, 20) & 0xFFFFFF, clRed);
  EXPECT_EQ(shot.GetPixel(180, 50) & 0xFFFFFF, clRed);
  EXPECT_EQ(shot.GetPixel(180, 80) & 0xFFFFFF, clLime);

  // Taking the colour away, or giving one, changes what shows.
  cover.SetColor(clNone);
  box.SetColor(clBlue);
  Application->ProcessMessages();
  form.RenderTo(shot);
  EXPECT_EQ(shot.GetPixel(180, 80) & 0xFFFFFF, clRed);
  EXPECT_EQ(shot.GetPixel(180, 20) & 0xFFFFFF, clBlue);
  form.Hide();
}

TEST(Controls, AWindowResizedFromOutsideLaysItsChildrenOutAgain)
{
  TForm form;
  form.SetBounds(30, 30, 300, 200);
  TCustomControl left, client, bottom;
  for (TControl* c : std::vector<TControl*>{&left, &client, &bottom})
    c->SetParent(&form);
  left.SetWidth(100);
  left.SetAlign(alLeft);
  bottom.SetHeight(20);
  bottom.SetAlign(alBottom);
  client.SetAlign(alClient);
  int resizes = 0;
  form.OnResize = [&resizes](TObject*) { ++resizes; };
  form.Show();
  Application->ProcessMessages();

  // Smaller, then larger than it started: the frame drag reaches the layout both ways.
  for (TPoint size : {TPoint{180, 120}, TPoint{420, 260}}) {
    SimulateWindowResize(&form, size.X, size.Y);
    ASSERT_TRUE(WaitUntil([&] { return form.ClientWidth() == size.X && form.ClientHeight() == size.Y; }, 2000))
        << form.ClientWidth() << "x" << form.ClientHeight();
    EXPECT_EQ(bottom.BoundsRect(), (TRect{0, size.Y - 20, size.X, size.Y}));
    EXPECT_EQ(left.BoundsRect(), (TRect{0, 0, 100, size.Y - 20}));
    EXPECT_EQ(client.BoundsRect(), (TRect{100, 0, size.X, size.Y - 20}));
  }
  EXPECT_EQ(resizes, 2);
  form.Hide();
}

TEST(Controls, TheApplicationHintFollowsTheControlUnderThePointer)
{
  // The status line shows it: a control's long hint, its parent's when it has none.
  TTwoProbes f;
  f.Form.SetHint("Form|The form's long hint");
  f.A.SetHint("Rotate the view");
  int changes = 0;
  SetOnApplicationHint([&changes](TObject*) { ++changes; });
  Application->ProcessMessages();

  SimulateMouse(TInputKind::MouseMove, f.InA(50, 50));
  EXPECT_TRUE(WaitUntil([] { return ApplicationHint() == "Rotate the view"; }, 2000)) << ApplicationHint();
  SimulateMouse(TInputKind::MouseMove, f.InB(50, 50));
  EXPECT_TRUE(WaitUntil([] { return ApplicationHint() == "The form's long hint"; }, 2000)) << ApplicationHint();
  EXPECT_GE(changes, 2);
  // A hint that changes under a resting pointer (a toolbar's hovered item) follows too.
  f.Form.SetHint("");
  EXPECT_TRUE(WaitUntil([] { return ApplicationHint().empty(); }, 2000)) << ApplicationHint();
  SetOnApplicationHint(nullptr);
  SimulateMouse(TInputKind::MouseMove, {0, 0});
}
