#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "platform/Forms.h"
#include "tests/TestWait.h"
#include "toolbar/Docks.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/Items.h"
#include "toolbar/ThemeUtils.h"

namespace {

// A dockable window whose content has a fixed size.
class TTestBar : public TTBCustomDockableWindow {
public:
  explicit TTestBar(TPoint content = {100, 20}) : Content(content) { SetBounds(0, 0, content.X, content.Y); }
  ~TTestBar() override { DestroyHandle(); }
  TPoint DoArrange(bool, TTBDockType, bool, TTBDock*) override { return Content; }
  TPoint Content;
};

class TTestDock : public TTBDock {
public:
  ~TTestDock() override { DestroyHandle(); }
};

// Steps run one per posted message, from inside the nested loops they drive. A loop still
// running 10 s on fails the test and loses the mouse capture, which ends the drag and menu
// loops.
class TScript {
public:
  TScript() : FBound("the nested loop of a scripted press to end", 10000, [] { ReleaseCapture(); })
  {
    FWnd = AllocateHWnd([this](TMessage&) {
      if (FNext >= Steps.size())
        return;
      auto step = Steps[FNext++];
      PostMessage(FWnd, WM_USER, 0, 0);
      step();
    });
  }
  ~TScript() { DeallocateHWnd(FWnd); }
  void Start() { PostMessage(FWnd, WM_USER, 0, 0); }
  std::vector<std::function<void()>> Steps;

private:
  testwait::TLoopBound FBound;
  HWND FWnd = 0;
  size_t FNext = 0;
};

struct TDockForm {
  TForm Form;
  TTestDock Top, Bottom;
  TDockForm()
  {
    Form.SetBounds(100, 100, 400, 300);
    Top.SetParent(&Form);
    Bottom.SetPosition(dpBottom);
    Bottom.SetFixAlign(true);
    Bottom.SetParent(&Form);
    Form.Show();
    // Up on the screen, as a user first meets it: windows floating for it show from then.
    testwait::WaitUntil([&] { return Form.WindowShown(); });
  }
  ~TDockForm() { Form.Hide(); }
};

// Presses at a screen point and plays the steps while the press's loop runs.
void PressAndPlay(TPoint at, std::vector<std::function<void()>> steps)
{
  TScript s;
  s.Steps = std::move(steps);
  s.Start();
  SimulateMouse(TInputKind::MouseDown, at);
  Application->ProcessMessages();
}

TPoint HandleOf(TTBCustomDockableWindow& bar) { return bar.ClientToScreen({-3, 5}); }

// A window floating for a form with docks, and a second form to take the activation.
// Activates a form and waits until the display server has made it active, in its own time:
// its keyboard focus says so (Active() alone also stands for the form last shown or asked
// for). The request is repeated while waiting: one made before the window is mapped may
// land after a later request for another window, or not at all.
bool ActivatedByServer(TCustomForm& f)
{
  return testwait::WaitUntil([&] {
    if (!f.Focused())
      f.SetFocus();
    return f.Focused();
  });
}

struct TFloatingBar {
  TDockForm F;
  TForm Other;
  TTestBar Bar;
  TFloatingBar()
  {
    Other.SetBounds(600, 100, 200, 100);
    Other.Show();
    Bar.SetParent(&F.Form);
    Bar.SetHideWhenInactive(false);
    Bar.SetCurrentDock(&F.Top);
    Bar.SetFloatingPosition({300, 300});
    Bar.SetFloating(true);
  }
  ~TFloatingBar() { Other.Hide(); }
};

}   // namespace

TEST(Docks, ErrorTexts)
{
  TForm form;
  TTestDock outer, inner;
  outer.SetParent(&form);
  try {
    inner.SetParent(&outer);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "A TTBDock control cannot be placed inside a tool window or another TTBDock");
  }
  TTestBar bar;
  bar.SetParent(&form);
  EXPECT_THROW(inner.SetParent(&bar), EInvalidOperation);
  bar.SetCurrentDock(&outer);
  outer.SetPosition(dpTop);   // no change: no complaint
  try {
    outer.SetPosition(dpLeft);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Cannot change Position of a TTBDock if it already contains controls");
  }
  EXPECT_EQ(outer.Position(), dpTop);
  // A window without a form cannot go to it.
  TTestBar lone;
  try {
    lone.SetCurrentDock(nullptr);
    lone.SetFloating(false);
    lone.SetName("Lone");
    TTestDock d;
    lone.SetCurrentDock(&d);
    lone.SetCurrentDock(nullptr);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Control 'Lone' has no parent window");
  }
  lone.SetParent(nullptr);
}

TEST(Docks, ThicknessOfEmptyDocksAndBoundLines)
{
  TForm form;
  form.SetBounds(0, 0, 300, 200);
  TTestDock d;
  d.SetParent(&form);
  d.ArrangeToolbars();
  EXPECT_EQ(d.Height(), 0);
  d.SetFixAlign(true);
  EXPECT_EQ(d.Height(), 1);
  d.SetDesigning(true);
  d.ArrangeToolbars();
  EXPECT_EQ(d.Height(), 9);
  d.SetDesigning(false);
  d.SetFixAlign(false);

  TTestBar bar;
  bar.SetParent(&form);
  bar.SetCurrentDock(&d);
  // 20 of content, 4 of frame.
  EXPECT_EQ(d.Height(), 24);
  EXPECT_EQ(bar.BoundsRect(), (TRect{0, 0, 110, 24}));   // 100 + 4 + a single handle of 6
  EXPECT_EQ(bar.ClientRect(), (TRect{0, 0, 100, 20}));
  EXPECT_EQ(bar.NonClientSize(), (TPoint{8, 2}));
  d.SetBoundLines(blTop | blBottom);
  EXPECT_EQ(d.Height(), 26);
  EXPECT_EQ(d.ClientRect().Height(), 24);
  d.SetBoundLines(blLeft);
  EXPECT_EQ(d.ClientRect().Width(), 299);
  // Without dragging the handle goes.
  d.SetAllowDrag(false);
  EXPECT_EQ(bar.Width(), 104);
  EXPECT_EQ(GetTBXDragHandleSize(&bar), 0);
  d.SetAllowDrag(true);
  EXPECT_EQ(GetTBXDragHandleSize(&bar), 6);
  bar.SetCloseButtonWhenDocked(true);
  EXPECT_EQ(GetTBXDragHandleSize(&bar), 14);
  EXPECT_EQ(bar.Width(), 118);
  bar.SetCurrentDock(nullptr);
  EXPECT_EQ(bar.Parent(), &form);
  EXPECT_EQ(d.Height(), 0);
}

TEST(Docks, RowsAndPositions)
{
  TForm form;
  form.SetBounds(0, 0, 300, 200);
  TTestDock d;
  d.SetParent(&form);
  TTestBar a, b, c, full;
  for (TTestBar* bar : {&a, &b, &c}) {
    bar->SetParent(&form);
    bar->SetCurrentDock(&d);
  }
  // Same row and position: the dock-list order decides.
  EXPECT_EQ(a.Left(), 0);
  EXPECT_EQ(b.Left(), 110);
  EXPECT_EQ(c.Top(), 24);   // 330 does not fit in 300: a new row
  EXPECT_EQ(c.EffectiveDockRow(), 1);
  EXPECT_EQ(d.Height(), 48);
  EXPECT_EQ(d.GetHighestRow(true), 1);
  EXPECT_EQ(d.GetRowSize(0, nullptr), 24);

  d.SetLimitToOneRow(true);
  EXPECT_EQ(c.EffectiveDockRow(), 0);
  EXPECT_EQ(c.DockRow(), 0);
  EXPECT_EQ(d.Height(), 24);
  // The row is too long and nothing shrinks: packed from the start, past the end.
  EXPECT_EQ(b.Left(), 110);
  EXPECT_EQ(c.Left(), 220);
  d.SetLimitToOneRow(false);

  // A position beyond the previous window is kept.
  c.SetDockRow(2);
  c.SetDockPos(150);
  EXPECT_EQ(c.Left(), 150);
  EXPECT_EQ(c.EffectiveDockRow(), 1);   // rows numbered without gaps

  // A full-size window stands alone and spans the dock.
  full.SetParent(&form);
  full.SetFullSize(true);
  full.SetCurrentDock(&d);
  EXPECT_EQ(full.Width(), 300);
  for (TTestBar* bar : {&a, &b, &c})
    EXPECT_NE(bar->EffectiveDockRow(), full.EffectiveDockRow());

  // A stretching window reaches the next one or the row's end.
  full.SetCurrentDock(nullptr);
  b.SetStretch(true);
  EXPECT_EQ(b.Left() + b.Width(), 300);
}

// Each dock holds to its own edge of the form, with a toolbar in it, through a resize, and
// is anchored to that edge and the two beside it.
TEST(Docks, EachDockHoldsToItsOwnEdge)
{
  struct TCase {
    TTBDockPosition Pos;
    TAnchors Anchors;
  };
  const TCase cases[] = {{dpTop, akLeft | akTop | akRight},
                         {dpBottom, akLeft | akBottom | akRight},
                         {dpLeft, akLeft | akTop | akBottom},
                         {dpRight, akRight | akTop | akBottom}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.Pos));
    TForm form;
    form.SetBounds(0, 0, 300, 200);
    TTestDock d;
    d.SetPosition(c.Pos);
    d.SetParent(&form);
    TTestBar bar;
    bar.SetParent(&form);
    bar.SetCurrentDock(&d);
    EXPECT_EQ(d.Anchors(), c.Anchors);
    for (TPoint size : {TPoint{300, 200}, TPoint{420, 330}}) {
      form.SetBounds(0, 0, size.X, size.Y);
      const TRect client = form.ClientRect();
      const TRect r = d.BoundsRect();
      EXPECT_GT(r.Width() * r.Height(), 0);
      switch (c.Pos) {
      case dpTop: EXPECT_EQ(r, (TRect{0, 0, client.Right, r.Height()})); break;
      case dpBottom: EXPECT_EQ(r, (TRect{0, client.Bottom - r.Height(), client.Right, client.Bottom})); break;
      case dpLeft: EXPECT_EQ(r, (TRect{0, 0, r.Width(), client.Bottom})); break;
      case dpRight: EXPECT_EQ(r, (TRect{client.Right - r.Width(), 0, client.Right, client.Bottom})); break;
      }
    }
  }
}

TEST(Docks, FloatingAndRedocking)
{
  TDockForm f;
  TTestBar bar;
  bar.SetParent(&f.Form);
  bar.SetCaption("Tools");
  bar.SetHideWhenInactive(false);
  bar.SetCurrentDock(&f.Top);
  EXPECT_EQ(bar.LastDock(), &f.Top);
  std::vector<std::string> events;
  bar.OnDockChanging = [&](TObject*, bool floating, TTBDock* dock) {
    events.push_back(floating ? "floating" : dock ? "dock" : "form");
  };
  bar.OnDockChanged = [&](TObject*) { events.push_back("changed"); };
  bar.SetFloatingPosition({300, 300});
  bar.SetFloating(true);
  ASSERT_TRUE(bar.Floating());
  EXPECT_FALSE(bar.Docked());
  TTBFloatingWindowParent* p = bar.FloatingWindowParent();
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->Visible());
  EXPECT_EQ(p->Caption(), "Tools");
  EXPECT_EQ(p->Name().rfind("NBFloatingWindowParent_", 0), 0u);
  EXPECT_EQ(p->Name().size(), 23u + 8u);
  // The frame: the sizing border all round and the small caption above.
  EXPECT_EQ(p->BoundsRect(), (TRect{300, 300, 300 + 100 + 8, 300 + 20 + 8 + 16}));
  EXPECT_EQ(bar.BoundsRect(), (TRect{0, 0, 100, 20}));
  EXPECT_EQ(FloatingToolWindows().size(), 1u);
  EXPECT_EQ(f.Top.Height(), 0);
  EXPECT_EQ(f.Top.DockListCount(), 1);   // still its LastDock
  EXPECT_EQ(p->HitTest({50, 10}), TTBFloatingWindowParent::htCaption);
  EXPECT_EQ(p->HitTest({100, 10}), TTBFloatingWindowParent::htClose);
  EXPECT_EQ(p->HitTest({50, 30}), TTBFloatingWindowParent::htClient);
  EXPECT_EQ(p->HitTest({1, 22}), TTBFloatingWindowParent::htLeft);
  EXPECT_EQ(p->HitTest({1, 30}), TTBFloatingWindowParent::htBottomLeft);
  EXPECT_EQ(p->HitTest({1, 1}), TTBFloatingWindowParent::htTopLeft);
  EXPECT_EQ(GetTBXCloseButtonRect(&bar, true), (TRect{89, 4, 104, 19}));

  // Growing the content grows the floating frame.
  bar.SetBounds(0, 0, 120, 20);
  EXPECT_EQ(p->Width(), 128);

  // A double click on the caption docks it to its last dock.
  SimulateMouse(TInputKind::MouseDblClick, {350, 310});
  SimulateMouse(TInputKind::MouseUp, {350, 310});
  EXPECT_TRUE(bar.Docked());
  EXPECT_EQ(bar.CurrentDock(), &f.Top);
  EXPECT_EQ(bar.FloatingWindowParent(), nullptr);
  EXPECT_TRUE(FloatingToolWindows().empty());
  EXPECT_EQ(events, (std::vector<std::string>{"floating", "changed", "dock", "changed"}));

  // Off the monitor it is brought back; partly visible it stays.
  bar.SetFloatingPosition({-5000, -5000});
  bar.SetFloating(true);
  bar.MoveOnScreen(true);
  TRect work = GetRectOfMonitorContainingPoint({0, 0}, true);
  EXPECT_EQ(bar.FloatingPosition(), (TPoint{work.Left, work.Top}));
  bar.SetFloatingPosition({work.Left - 50, work.Top + 10});
  bar.MoveOnScreen(true);
  EXPECT_EQ(bar.FloatingPosition(), (TPoint{work.Left - 50, work.Top + 10}));
  bar.SetCurrentDock(&f.Bottom);
  EXPECT_EQ(f.Bottom.Height(), 24);
}

TEST(Docks, DoubleClickWithNowhereToGoDoesNothing)
{
  TDockForm f;
  TTestBar bar;
  bar.SetParent(&f.Form);
  bar.SetHideWhenInactive(false);
  bar.SetFloatingPosition({300, 300});
  bar.SetFloating(true);
  SimulateMouse(TInputKind::MouseDblClick, {350, 310});
  SimulateMouse(TInputKind::MouseUp, {350, 310});
  EXPECT_TRUE(bar.Floating());
  // With a default dock it goes before everything in row 0.
  bar.SetDefaultDock(&f.Bottom);
  SimulateMouse(TInputKind::MouseDblClick, {350, 310});
  SimulateMouse(TInputKind::MouseUp, {350, 310});
  EXPECT_EQ(bar.CurrentDock(), &f.Bottom);
  EXPECT_EQ(bar.DockRow(), 0);
}

TEST(Docks, DraggingBetweenDocks)
{
  TDockForm f;
  TTestBar a, b;
  for (TTestBar* bar : {&a, &b}) {
    bar->SetParent(&f.Form);
    bar->SetHideWhenInactive(false);
    bar->SetCurrentDock(&f.Top);
  }
  TPoint bottom = f.Bottom.ClientToScreen({150, 0});

  // Dragged onto the bottom dock and let go there.
  PressAndPlay(HandleOf(b), {[&] {
                               SimulateMouse(TInputKind::MouseMove, {bottom.X, bottom.Y - 5});
                             },
                             [&] { SimulateMouse(TInputKind::MouseMove, bottom); },
                             [&] { SimulateMouse(TInputKind::MouseUp, bottom); }});
  EXPECT_EQ(b.CurrentDock(), &f.Bottom);
  EXPECT_EQ(b.LastDock(), &f.Bottom);
  EXPECT_EQ(f.Bottom.Height(), 24);
  EXPECT_FALSE(b.DragMode());

  // Escape puts it back where the drag began.
  Integer row = b.DockRow(), pos = b.DockPos();
  TPoint top = f.Top.ClientToScreen({200, 10});
  PressAndPlay(HandleOf(b), {[&] { SimulateMouse(TInputKind::MouseMove, top); }, [&] { SimulateKey(VK_ESCAPE); }});
  EXPECT_EQ(b.CurrentDock(), &f.Bottom);
  EXPECT_EQ(b.DockRow(), row);
  EXPECT_EQ(b.DockPos(), pos);

  // Ctrl held over a dock keeps it floating.
  PressAndPlay(HandleOf(b), {[&] {
                               SimulateMouse(TInputKind::MouseMove, {top.X, top.Y + 1}, mbLeft, ssCtrl);
                             },
                             [&] {
                               SimulateMouse(TInputKind::MouseUp, {top.X, top.Y + 1}, mbLeft, ssCtrl);
                             }});
  EXPECT_TRUE(b.Floating());
  // Dragged by its caption back onto the top dock, beside the other window.
  TPoint cap = b.FloatingWindowParent()->ClientToScreen({10, -8});
  TPoint beside = f.Top.ClientToScreen({200, 10});
  PressAndPlay(cap, {[&] {
                       SimulateMouse(TInputKind::MouseMove, {beside.X, beside.Y + 2});
                     },
                     [&] { SimulateMouse(TInputKind::MouseMove, beside); },
                     [&] { SimulateMouse(TInputKind::MouseUp, beside); }});
  EXPECT_EQ(b.CurrentDock(), &f.Top);
  EXPECT_EQ(b.EffectiveDockRow(), a.EffectiveDockRow());
  EXPECT_GT(b.Left(), a.Left());
  EXPECT_EQ(b.FloatingWindowParent(), nullptr);
}

TEST(Docks, MovingAlongASharedRowKeepsTheRowAndALoneWindowChangesRows)
{
  TDockForm f;
  TTestBar a, b, c;
  for (TTestBar* bar : {&a, &b, &c}) {
    bar->SetParent(&f.Form);
    bar->SetHideWhenInactive(false);
    bar->SetCurrentDock(&f.Top);
  }
  c.SetDockRow(1);
  ASSERT_EQ(b.EffectiveDockRow(), a.EffectiveDockRow());
  ASSERT_EQ(c.Top(), 24);
  // Thirty pixels along the row, then a whole row down: b started beside a, so the drag
  // moves it within that row and the row below does not take it.
  Integer left = b.Left();
  TPoint p = HandleOf(b);
  PressAndPlay(p, {[&] {
                     SimulateMouse(TInputKind::MouseMove, {p.X + 15, p.Y});
                   },
                   [&] {
                     SimulateMouse(TInputKind::MouseMove, {p.X + 30, p.Y});
                   },
                   [&] {
                     SimulateMouse(TInputKind::MouseMove, {p.X + 30, p.Y + 24});
                   },
                   [&] {
                     SimulateMouse(TInputKind::MouseUp, {p.X + 30, p.Y + 24});
                   }});
  EXPECT_EQ(b.EffectiveDockRow(), a.EffectiveDockRow());
  EXPECT_NE(b.EffectiveDockRow(), c.EffectiveDockRow());
  EXPECT_EQ(b.Left(), left + 30);

  // c is alone in its row: the same moves carry it up into a's row.
  p = HandleOf(c);
  PressAndPlay(p, {[&] {
                     SimulateMouse(TInputKind::MouseMove, {p.X + 15, p.Y});
                   },
                   [&] {
                     SimulateMouse(TInputKind::MouseMove, {p.X + 30, p.Y});
                   },
                   [&] {
                     SimulateMouse(TInputKind::MouseMove, {p.X + 30, p.Y - 24});
                   },
                   [&] {
                     SimulateMouse(TInputKind::MouseUp, {p.X + 30, p.Y - 24});
                   }});
  EXPECT_EQ(c.EffectiveDockRow(), a.EffectiveDockRow());
  EXPECT_EQ(f.Top.Height(), 24);
}

TEST(Docks, AFreedWindowLeavesItsDockArranged)
{
  TDockForm f;
  TTestBar a;
  a.SetParent(&f.Form);
  a.SetCurrentDock(&f.Top);
  std::vector<std::string> events;
  f.Top.OnInsertRemoveBar = [&](TObject*, bool inserting, TTBCustomDockableWindow* w) {
    events.push_back(std::string(inserting ? "+" : "-") + (w == &a ? "a" : "b"));
  };
  {
    TTestBar b;
    b.SetParent(&f.Form);
    b.SetDockRow(1);
    b.SetCurrentDock(&f.Top);
    EXPECT_EQ(f.Top.Height(), 48);
    EXPECT_EQ(f.Top.DockVisibleListCount(), 2);
  }
  EXPECT_EQ(f.Top.DockListCount(), 1);
  EXPECT_EQ(f.Top.DockVisibleListCount(), 1);
  EXPECT_EQ(f.Top.Height(), 24);
  EXPECT_EQ(events, (std::vector<std::string>{"+b", "-b"}));
  // Hiding and showing a window tell the dock too.
  a.Hide();
  EXPECT_EQ(f.Top.Height(), 0);
  a.Show();
  EXPECT_EQ(f.Top.Height(), 24);
  EXPECT_EQ(events, (std::vector<std::string>{"+b", "-b", "-a", "+a"}));
  f.Top.OnInsertRemoveBar = nullptr;
}

TEST(Docks, WindowThatCannotFloatStaysDocked)
{
  TDockForm f;
  TTestBar a;
  a.SetParent(&f.Form);
  a.SetDockMode(dmCannotFloat);
  a.SetCurrentDock(&f.Top);
  TPoint away = f.Form.ClientToScreen({200, 150});
  PressAndPlay(HandleOf(a), {[&] { SimulateMouse(TInputKind::MouseMove, away); },
                             [&] { SimulateMouse(TInputKind::MouseUp, away); }});
  EXPECT_EQ(a.CurrentDock(), &f.Top);
  EXPECT_FALSE(a.Floating());
  EXPECT_EQ(a.Left(), 0);
}

TEST(Docks, RightClickOnTheFrameShowsThePopupMenuAfterTheHandler)
{
  TDockForm f;
  TTestBar bar;
  bar.SetParent(&f.Form);
  bar.SetHideWhenInactive(false);
  bar.SetCurrentDock(&f.Top);
  std::vector<std::string> events;
  bar.OnContextPopup = [&](TObject*) { events.push_back("context"); };
  auto menu = std::make_unique<TTBRootItem>();
  auto hide = std::make_unique<TTBCustomItem>();
  hide->SetCaption("Hide");
  hide->OnClick = [&](TObject*) { events.push_back("picked"); };
  menu->Add(std::move(hide));
  bar.SetPopupMenu(menu.get());

  // Picks the menu's first entry from the keyboard, if a menu is open to take the keys.
  auto rightClick = [&](TPoint at) {
    TScript s;
    s.Steps = {[] {
      SimulateKey(VK_DOWN);
      SimulateKey(VK_RETURN);
    }};
    s.Start();
    SimulateMouse(TInputKind::MouseDown, at, mbRight);
    SimulateMouse(TInputKind::MouseUp, at, mbRight);
    for (int i = 0; i < 5; ++i)
      Application->ProcessMessages();
  };
  rightClick(HandleOf(bar));
  EXPECT_EQ(events, (std::vector<std::string>{"context", "picked"}));

  // The client area is the content's: no menu there.
  events.clear();
  rightClick(bar.ClientToScreen({50, 10}));
  EXPECT_EQ(events, std::vector<std::string>{});

  // Floating, the caption is frame too.
  bar.SetFloatingPosition({300, 300});
  bar.SetFloating(true);
  ASSERT_TRUE(bar.Floating());
  rightClick({340, 310});
  EXPECT_EQ(events, (std::vector<std::string>{"context", "picked"}));

  // A freed menu is forgotten: the handler alone runs.
  events.clear();
  menu.reset();
  EXPECT_EQ(bar.PopupMenu(), nullptr);
  rightClick({340, 310});
  EXPECT_EQ(events, std::vector<std::string>{"context"});
}

TEST(Docks, AFloatingWindowOutlivesItsForm)
{
  TTestBar bar;
  bar.SetHideWhenInactive(false);
  {
    TDockForm f;
    bar.SetParent(&f.Form);
    bar.SetCurrentDock(&f.Top);
    bar.SetFloatingPosition({300, 300});
    bar.SetFloating(true);
    ASSERT_TRUE(bar.Floating());
    ASSERT_TRUE(bar.FloatingWindowParent()->Visible());
    EXPECT_EQ(bar.FloatingWindowParent()->ParentForm(), &f.Form);
  }
  // The form and its docks are gone: the window forgets them and hides with the form it
  // stood on top of.
  TTBFloatingWindowParent* p = bar.FloatingWindowParent();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->ParentForm(), nullptr);
  EXPECT_EQ(bar.LastDock(), nullptr);
  EXPECT_FALSE(p->Visible());
  // Activations and moves elsewhere re-check it without reaching the old form.
  TForm other;
  other.SetBounds(50, 50, 200, 100);
  other.Show();
  other.Activate();
  other.SetBounds(60, 60, 200, 100);
  EXPECT_TRUE(testwait::WaitUntil([&] { return other.Active(); }));
  EXPECT_FALSE(p->Visible());
  // Docking back needs a form: without one the window says so and stays.
  EXPECT_THROW(bar.SetFloating(false), EInvalidOperation);
  EXPECT_TRUE(bar.Floating());
  other.Hide();
}

TEST(Docks, AFloatingWindowShowsAndHidesWithItsForm)
{
  TFloatingBar t;
  TTBFloatingWindowParent* p = t.Bar.FloatingWindowParent();
  ASSERT_TRUE(p->Visible());
  ASSERT_TRUE(ActivatedByServer(t.Other));
  t.F.Form.Hide();
  EXPECT_TRUE(testwait::WaitUntil([&] { return !p->Visible(); }));
  t.F.Form.Show();
  EXPECT_TRUE(testwait::WaitUntil([&] { return p->Visible(); }));
  // Showing it takes no activation: the form stays active.
  ASSERT_TRUE(ActivatedByServer(t.F.Form));
  t.Bar.Hide();
  t.Bar.Show();
  EXPECT_TRUE(testwait::WaitUntil([&] { return p->Visible(); }));
  EXPECT_FALSE(testwait::WaitUntil([&] { return !t.F.Form.Focused(); }, 300)) << "the floating window took it";
  EXPECT_TRUE(t.F.Form.Active());
  EXPECT_FALSE(p->Active());
}

TEST(Docks, ClosingTheFloatingWindowClosesItsForm)
{
  TFloatingBar t;
  TDockForm& f = t.F;
  TTestBar& bar = t.Bar;
  TTBFloatingWindowParent* p = bar.FloatingWindowParent();
  ASSERT_TRUE(p->Visible());
  // A form that refuses: nothing closes, the window stays.
  int asked = 0;
  f.Form.OnClose = [&](TObject*, TCloseAction& a) {
    ++asked;
    a = caNone;
  };
  p->Close();   // as the window manager's close button asks
  Application->ProcessMessages();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(f.Form.Visible());
  EXPECT_TRUE(p->Visible());
  EXPECT_TRUE(bar.Floating());
  // A form that agrees hides, and the floating window with it.
  f.Form.OnClose = nullptr;
  p->Close();
  Application->ProcessMessages();
  EXPECT_FALSE(f.Form.Visible());
  EXPECT_FALSE(p->Visible());
  EXPECT_TRUE(bar.Visible()) << "the toolbar itself was not closed";
}

TEST(Docks, AClickOnAFloatingWindowActivatesItsForm)
{
  TFloatingBar t;
  TDockForm& f = t.F;
  TForm& other = t.Other;
  TTestBar& bar = t.Bar;
  auto clickOn = [&](TPoint at) {
    ASSERT_TRUE(ActivatedByServer(other));
    // The press starts a drag (content and caption both move the window); the release
    // ends it where it began.
    PressAndPlay(at, {[at] { SimulateMouse(TInputKind::MouseUp, at); }});
    Application->ProcessMessages();
  };
  // On the content and on the caption alike.
  auto formActive = [&] { return testwait::WaitUntil([&] { return f.Form.Active(); }); };
  clickOn(bar.ClientToScreen({50, 10}));
  EXPECT_TRUE(formActive());
  EXPECT_FALSE(bar.FloatingWindowParent()->Active());
  clickOn(bar.FloatingWindowParent()->ClientToScreen({10, -8}));
  EXPECT_TRUE(formActive());
  // Without ActivateParent the form is left as it was.
  bar.SetActivateParent(false);
  clickOn(bar.ClientToScreen({50, 10}));
  EXPECT_FALSE(f.Form.Active());
}

TEST(Docks, CloseButtonAndPositionData)
{
  TDockForm f;
  TTestBar a;
  a.SetParent(&f.Form);
  a.SetName("Bar");
  a.SetCloseButtonWhenDocked(true);
  a.SetCurrentDock(&f.Top);
  bool asked = false, closed = false;
  a.OnCloseQuery = [&](TObject*, bool& can) {
    asked = true;
    can = true;
  };
  a.OnClose = [&](TObject*) { closed = true; };
  TRect r = a.GetDockedCloseButtonRect(false);
  EXPECT_EQ(r, (TRect{3, 2, 14, 13}));
  TPoint at = a.ClientToScreen({r.Left + 4 - a.NonClientSize().X, r.Top + 4 - a.NonClientSize().Y});
  PressAndPlay(at, {[&] { SimulateMouse(TInputKind::MouseUp, at); }});
  EXPECT_TRUE(asked);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(a.Visible());
  EXPECT_EQ(f.Top.DockVisibleListCount(), 0);

  std::map<std::string, Integer> store;
  a.SetDockRow(3);
  a.WritePositionData([&](const std::string& s, const std::string& k, Integer v) { store[s + "." + k] = v; });
  EXPECT_EQ(store["Bar.DockRow"], 3);
  EXPECT_EQ(store["Bar.Visible"], 0);
  store["Bar.Visible"] = 1;
  store["Bar.DockRow"] = 0;
  a.ReadPositionData([&](const std::string& s, const std::string& k, Integer d) {
    auto it = store.find(s + "." + k);
    return it == store.end() ? d : it->second;
  });
  EXPECT_TRUE(a.Visible());
  EXPECT_EQ(a.DockRow(), 0);
  EXPECT_EQ(f.Top.Height(), 24);
}

namespace {

// A window that shrinks like a toolbar with a chevron, down to 40 pixels.
class TShrinkBar : public TTestBar {
public:
  TTBShrinkMode GetShrinkMode() override { return tbsmChevron; }
  void GetMinShrinkSize(Integer& AMinimumSize) override { AMinimumSize = 40; }
};

}   // namespace

namespace {

// A form of the given width with a top dock; bars docked in the order given.
struct TDockRow {
  explicit TDockRow(Integer width)
  {
    Form.SetBounds(0, 0, width, 200);
    D.SetParent(&Form);
  }
  void Dock(std::initializer_list<TTestBar*> bars)
  {
    for (TTestBar* bar : bars) {
      bar->SetParent(&Form);
      bar->SetCurrentDock(&D);
    }
  }
  TForm Form;
  TTestDock D;
};

}   // namespace

TEST(Docks, OverflowIsTakenFromShrinkingWindows)
{
  TDockRow row(300);
  TForm& form = row.Form;
  TTestDock& d = row.D;
  TTestBar a, b;
  TShrinkBar s;
  row.Dock({&a, &s, &b});
  // The shrinking window counts with its minimum, so all three share the row.
  EXPECT_EQ(d.GetHighestRow(true), 0);
  EXPECT_EQ(s.Width(), 80);
  EXPECT_EQ(s.CurrentSize(), 80);
  EXPECT_EQ(b.Left(), 190);
  EXPECT_EQ(b.Left() + b.Width(), 300);
  // A wider dock gives it back.
  form.SetBounds(0, 0, 400, 200);
  EXPECT_EQ(s.Width(), 110);
}

TEST(Docks, ShrinkingGoesFromTheLastWindowDownToItsMinimumBeforeTheOneBefore)
{
  TDockRow row(220);
  TForm& form = row.Form;
  TTestDock& d = row.D;
  TTestBar a;
  TShrinkBar s1, s2;
  row.Dock({&a, &s1, &s2});
  // 110 too long: the last gives 70 and is at its minimum, the one before gives the rest.
  EXPECT_EQ(d.GetHighestRow(true), 0);
  EXPECT_EQ(a.Width(), 110);
  EXPECT_EQ(s2.Width(), 40);
  EXPECT_EQ(s1.Width(), 70);
  EXPECT_EQ(s1.Left(), 110);
  EXPECT_EQ(s2.Left(), 180);
  // 60 too long: the last alone absorbs it.
  form.SetBounds(0, 0, 270, 200);
  EXPECT_EQ(s1.Width(), 110);
  EXPECT_EQ(s2.Width(), 50);
  EXPECT_EQ(s2.Left() + s2.Width(), 270);
  // Not even the minimums fit (110 + 40 + 40 > 180): the last window goes to a new row,
  // where it has its whole length, and the first row shrinks what it keeps.
  form.SetBounds(0, 0, 180, 200);
  EXPECT_EQ(d.GetHighestRow(true), 1);
  EXPECT_EQ(s1.Width(), 70);
  EXPECT_EQ(s2.Left(), 0);
  EXPECT_EQ(s2.Width(), 110);
  EXPECT_GT(s2.Top(), s1.Top());
}
