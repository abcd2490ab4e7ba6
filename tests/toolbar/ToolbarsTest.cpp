#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>

#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/SysSettings.h"
#include "toolbar/Toolbars.h"
#include "tests/toolbar/TestBar.h"

namespace {

class TTestToolbar : public TTBToolbar {
public:
  ~TTestToolbar() override { DestroyHandle(); }
};

class TTestDock : public TTBDock {
public:
  ~TTestDock() override { DestroyHandle(); }
};

TTBCustomItem* AddItem(TTBCustomItem* parent, const std::string& caption, TTBItemStyle extra = 0)
{
  auto i = std::make_unique<TTBCustomItem>();
  i->SetCaption(caption);
  i->SetItemStyle(i->ItemStyle() | extra);
  return parent->Add(std::move(i));
}

// A form with a panel at the top holding a top-aligned toolbar of six buttons.
struct TPanelBar {
  TForm Form;
  TPanel Panel;
  TTestToolbar Bar;
  TPanelBar(Integer width = 400)
  {
    Form.SetBounds(100, 100, width, 200);
    Panel.SetParent(&Form);
    Panel.SetBounds(0, 0, width, 60);
    Bar.SetBorderStyle(bsNone);
    Bar.SetParent(&Panel);
    Bar.SetAlign(alTop);
    for (int i = 1; i <= 6; ++i)
      AddItem(Bar.Items(), "Button " + std::to_string(i));
    Form.Show();
  }
  ~TPanelBar() { Form.Hide(); }
  Integer FullWidth()
  {
    TPoint s;
    Bar.GetBaseSize(s);
    return s.X;
  }
  TTBItemViewer* Chevron() { return Bar.View()->Find(Bar.ChevronItem()); }
  Integer HiddenCount()
  {
    Integer n = 0;
    for (Integer i = 0; i < Bar.View()->ViewerCount(); ++i)
      n += Bar.View()->Viewers(i)->OffEdge ? 1 : 0;
    return n;
  }
};

// Runs F from inside the next nested message loop. A loop still running 10 s on fails the
// test and loses the mouse capture, which ends the menu loop.
struct TPosted {
  explicit TPosted(std::function<void()> F)
      : Fn(std::move(F)), Bound("the loop a posted step ends", 10000, [] { ReleaseCapture(); })
  {
    Wnd = AllocateHWnd([this](TMessage&) { Fn(); });
    PostMessage(Wnd, WM_USER, 0, 0);
  }
  ~TPosted() { DeallocateHWnd(Wnd); }
  std::function<void()> Fn;
  testwait::TLoopBound Bound;
  HWND Wnd = 0;
};

}   // namespace

TEST(Toolbars, ChevronInANarrowPanelAndItsPopup)
{
  TPanelBar f(300);
  Integer full = f.FullWidth();
  ASSERT_GT(full, 200);
  // Narrower than the items: the ones that fit, then a 12 pixel chevron.
  f.Panel.SetWidth(full - 30);
  f.Bar.View()->ValidatePositions();
  EXPECT_EQ(f.Bar.Width(), f.Panel.InnerRect().Width());
  TTBItemViewer* chev = f.Chevron();
  ASSERT_TRUE(chev->Show);
  EXPECT_EQ(chev->BoundsRect.Width(), 12);
  EXPECT_LE(chev->BoundsRect.Right, f.Bar.Width());
  EXPECT_GE(f.HiddenCount(), 1);
  EXPECT_TRUE(f.Bar.ChevronItem()->Enabled());
  EXPECT_GT(f.Bar.Height(), 0);
  // Its popup shows exactly the hidden buttons, as toolbar buttons.
  f.Bar.View()->Select(chev, false);
  f.Bar.View()->OpenChildPopup(false);
  TTBView* pv = f.Bar.View()->OpenViewerView();
  ASSERT_NE(pv, nullptr);
  EXPECT_TRUE(pv->IsToolbar());
  Integer shown = 0;
  for (Integer i = 0; i < pv->ViewerCount(); ++i)
    if (pv->Viewers(i)->Show) {
      ++shown;
      EXPECT_TRUE(f.Bar.View()->Find(pv->Viewers(i)->Item())->OffEdge);
    }
  EXPECT_EQ(shown, f.HiddenCount());
  // Running a hidden button from the popup brings it back onto the bar.
  TTBItemViewer* hidden = nullptr;
  for (Integer i = 0; i < pv->ViewerCount() && !hidden; ++i)
    if (pv->Viewers(i)->Show)
      hidden = pv->Viewers(i);
  ASSERT_NE(hidden, nullptr);
  TTBCustomItem* item = hidden->Item();
  hidden->Execute(true);
  f.Bar.View()->ClearDoneAction();
  f.Bar.View()->CloseChildPopups();
  f.Bar.View()->ValidatePositions();
  EXPECT_TRUE(f.Bar.View()->Find(item)->Show);
  EXPECT_GE(f.HiddenCount(), 1);
  // Wide enough again: everything back, no chevron.
  f.Panel.SetWidth(full + 40);
  f.Bar.View()->ValidatePositions();
  EXPECT_FALSE(f.Chevron()->Show);
  EXPECT_EQ(f.HiddenCount(), 0);
}

TEST(Toolbars, SizingByAnchorsAndShrinkModes)
{
  // Not aligned, auto-resized, held at left and top only: grows to its items.
  TForm form;
  form.SetBounds(100, 100, 200, 200);
  TTestToolbar free;
  free.SetBorderStyle(bsNone);
  free.SetParent(&form);
  free.SetBounds(0, 0, 50, 22);
  for (int i = 1; i <= 6; ++i)
    AddItem(free.Items(), "Button " + std::to_string(i));
  free.View()->ValidatePositions();
  TPoint base;
  free.GetBaseSize(base);
  EXPECT_EQ(free.Width(), base.X);
  EXPECT_GT(free.Width(), 200);
  EXPECT_FALSE(free.View()->Find(free.ChevronItem())->Show);

  // No shrinking: neither a chevron nor a second row however narrow the panel.
  TPanelBar f(120);
  f.Bar.SetShrinkMode(tbsmNone);
  f.Bar.View()->ValidatePositions();
  EXPECT_FALSE(f.Chevron()->Show);
  EXPECT_EQ(f.Bar.View()->WrappedLines, 1);
  EXPECT_EQ(f.HiddenCount(), 0);

  // Wrapping: more rows, and the bar's height follows them.
  Integer oneRow = f.Bar.Height();
  f.Bar.SetShrinkMode(tbsmWrap);
  f.Bar.View()->ValidatePositions();
  EXPECT_GT(f.Bar.View()->WrappedLines, 1);
  EXPECT_GT(f.Bar.Height(), oneRow);
  EXPECT_FALSE(f.Chevron()->Show);
  for (Integer i = 0; i < f.Bar.View()->ViewerCount(); ++i) {
    TTBItemViewer* v = f.Bar.View()->Viewers(i);
    if (v->Show) {
      EXPECT_LE(v->BoundsRect.Right, 120) << i;
    }
  }
}

TEST(Toolbars, ChevronHintAndUpdateCounter)
{
  TTestToolbar bar;
  EXPECT_FALSE(bar.IsChevronHintStored());
  EXPECT_EQ(bar.ChevronItem()->Caption(), "More Buttons");
  bar.SetChevronHint("Fish & Chips|All the rest");
  EXPECT_TRUE(bar.IsChevronHintStored());
  EXPECT_EQ(bar.ChevronItem()->Caption(), "Fish && Chips");
  EXPECT_EQ(bar.ChevronItem()->Hint(), "Fish & Chips|All the rest");
  bar.SetChevronHint("More Buttons|");
  EXPECT_FALSE(bar.IsChevronHintStored());

  // Two BeginUpdate and one EndUpdate leave the layout waiting.
  bar.View()->ValidatePositions();
  bar.BeginUpdate();
  bar.BeginUpdate();
  AddItem(bar.Items(), "Late");
  bar.EndUpdate();
  EXPECT_FALSE(bar.View()->PositionsValid());
  bar.EndUpdate();
  EXPECT_TRUE(bar.View()->PositionsValid());
  EXPECT_TRUE(bar.View()->Find(bar.Items()->Items(0))->Show);
}

TEST(Toolbars, HostedControlsBecomeItems)
{
  TForm form;
  TTestToolbar bar;
  bar.SetParent(&form);
  TPanel* p = TComponent::Create<TPanel>(&form);
  p->SetBounds(0, 0, 40, 18);
  p->SetParent(&bar);
  ASSERT_EQ(bar.Items()->Count(), 1);
  auto* ci = dynamic_cast<TTBControlItem*>(bar.Items()->Items(0));
  ASSERT_NE(ci, nullptr);
  EXPECT_EQ(ci->Control(), p);
  bar.View()->ValidatePositions();
  EXPECT_EQ(p->Width(), 40);
  // Taking the control away frees its item, not the control.
  p->SetParent(&form);
  EXPECT_EQ(bar.Items()->Count(), 0);
  EXPECT_EQ(p->Owner(), &form);
}

TEST(Toolbars, ShortCutsOfTheForm)
{
  TForm form;
  form.SetBounds(100, 100, 300, 100);
  TTestToolbar bar;
  bar.SetParent(&form);
  TTBCustomItem* save = AddItem(bar.Items(), "&Save");
  save->SetShortCut(ShortCut('S', ssCtrl));
  int saves = 0;
  save->OnClick = [&](TObject*) { ++saves; };
  EXPECT_FALSE(ShortCutHookInstalled());
  bar.SetProcessShortCuts(true);
  EXPECT_EQ(ShortCutToolbarCount(), 1);
  EXPECT_TRUE(ShortCutHookInstalled());
  form.Show();
  form.Activate();
  EXPECT_TRUE(ToolbarsHandleKeyDown('S', ssCtrl, 0));
  EXPECT_EQ(saves, 1);
  EXPECT_FALSE(ToolbarsHandleKeyDown('Q', ssCtrl, 0));
  // A disabled item takes nothing; OnShortCut may take a key first.
  save->SetEnabled(false);
  EXPECT_FALSE(ToolbarsHandleKeyDown('S', ssCtrl, 0));
  save->SetEnabled(true);
  bar.OnShortCut = [](TObject*, TShortCut s, bool& handled) { handled = s == ShortCut('S', ssCtrl); };
  EXPECT_TRUE(ToolbarsHandleKeyDown('S', ssCtrl, 0));
  EXPECT_EQ(saves, 1);
  bar.OnShortCut = nullptr;
  bar.SetProcessShortCuts(false);
  EXPECT_EQ(ShortCutToolbarCount(), 0);
  EXPECT_FALSE(ShortCutHookInstalled());
  EXPECT_FALSE(ToolbarsHandleKeyDown('S', ssCtrl, 0));
  form.Hide();
}

TEST(Toolbars, AcceleratorsOfMenuBarsAndToolbars)
{
  TForm form;
  form.SetBounds(100, 100, 300, 100);
  TTestToolbar menu;
  menu.SetParent(&form);
  TTBCustomItem* file = AddItem(menu.Items(), "&File");
  TTBCustomItem* find = AddItem(menu.Items(), "&Find");
  int runs = 0;
  file->OnClick = [&](TObject*) { ++runs; };
  find->OnClick = [&](TObject*) { ++runs; };
  TTBCustomItem* view = AddItem(menu.Items(), "&View");
  view->OnClick = [&](TObject*) { ++runs; };
  menu.SetMenuBar(true);
  EXPECT_TRUE(menu.FullSize());
  EXPECT_EQ(menu.ShrinkMode(), tbsmWrap);
  EXPECT_FALSE(menu.CloseButton());
  EXPECT_TRUE(menu.ProcessShortCuts());
  form.Show();
  form.Activate();

  // Two items share F: the menu bar selects the first and runs nothing. (The pointer rests
  // off the bar: a pointer resting on an item would take the selection as the loop starts.)
  tbtest::ParkPointer();
  TTBItemViewer* selected = nullptr;
  {
    TPosted p([&] {
      selected = menu.View()->Selected();
      menu.View()->EndModal();
    });
    EXPECT_TRUE(menu.SystemCommandKey('f'));
  }
  Application->ProcessMessages();
  ASSERT_NE(selected, nullptr);
  EXPECT_EQ(selected->Item(), file) << selected->Item()->Caption();
  EXPECT_EQ(runs, 0);
  // A unique accelerator runs its item.
  EXPECT_TRUE(menu.SystemCommandKey('v'));
  Application->ProcessMessages();
  EXPECT_EQ(runs, 1);
  // A letter nobody uses beeps; "-" is left to the system, silently.
  Integer beeps = MessageBeepCount();
  EXPECT_TRUE(menu.SystemCommandKey('q'));
  EXPECT_EQ(MessageBeepCount(), beeps + 1);
  EXPECT_FALSE(menu.SystemCommandKey('-'));
  EXPECT_EQ(MessageBeepCount(), beeps + 1);

  // On an ordinary toolbar the shared accelerator does nothing, a unique one runs.
  menu.SetMenuBar(false);
  EXPECT_FALSE(menu.DialogChar('f'));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(menu.DialogChar('v'));
  Application->ProcessMessages();
  EXPECT_EQ(runs, 2);
  form.Hide();
}

TEST(Toolbars, AFloatingMenuBarStillAnswersItsFormsAltKeys)
{
  TForm form;
  form.SetBounds(100, 100, 300, 200);
  TTestDock dock;
  dock.SetParent(&form);
  TTestToolbar menu;
  menu.SetParent(&form);
  menu.SetMenuBar(true);
  menu.SetHideWhenInactive(false);
  TTBCustomItem* file = AddItem(menu.Items(), "&File");
  int runs = 0;
  file->OnClick = [&](TObject*) { ++runs; };
  menu.SetCurrentDock(&dock);
  form.Show();
  form.Activate();
  ASSERT_EQ(Screen().ActiveForm(), &form);
  tbtest::ParkPointer();

  // Docked, the bar is one of the form's controls.
  EXPECT_TRUE(ToolbarsHandleKeyDown('F', ssAlt, 0));
  Application->ProcessMessages();
  EXPECT_EQ(runs, 1);

  // Floating, it lives in a window of its own; the dock it left passes the key on.
  menu.SetFloatingPosition({500, 400});
  menu.SetFloating(true);
  ASSERT_TRUE(menu.Floating());
  ASSERT_EQ(menu.LastDock(), &dock);
  form.Activate();
  ASSERT_EQ(Screen().ActiveForm(), &form);
  EXPECT_TRUE(ToolbarsHandleKeyDown('F', ssAlt, 0));
  Application->ProcessMessages();
  EXPECT_EQ(runs, 2);

  // Not while it is disabled or hidden: the key is not taken.
  menu.SetEnabled(false);
  EXPECT_FALSE(ToolbarsHandleKeyDown('F', ssAlt, 0));
  menu.SetEnabled(true);
  menu.Hide();
  EXPECT_FALSE(ToolbarsHandleKeyDown('F', ssAlt, 0));
  Application->ProcessMessages();
  EXPECT_EQ(runs, 2);
  form.Hide();
}

TEST(Toolbars, MenuBarUnderlinesShowFromAltUntilTheMenuCloses)
{
  // With the desktop's default (keyboard cues off) a menu bar hides its accelerator marks
  // until Alt is pressed; an ordinary toolbar shows them always.
  ResetSystemSettings();
  ASSERT_FALSE(SystemSettings().KeyboardCues);
  TForm form;
  form.SetBounds(100, 100, 300, 100);
  TTestToolbar menu;
  menu.SetParent(&form);
  AddItem(menu.Items(), "&File");
  menu.SetMenuBar(true);
  TTestToolbar plain;
  plain.SetParent(&form);
  plain.SetTop(40);
  AddItem(plain.Items(), "&Save");
  form.Show();
  form.Activate();
  tbtest::ParkPointer();
  auto shot = [](TTestToolbar& bar) {
    bar.View()->ValidatePositions();
    TBitmap b(bar.Width(), bar.Height());
    bar.PaintTo(b.Canvas(), 0, 0);
    return b;
  };
  auto same = [](const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
      return false;
    for (Integer y = 0; y < a.Height(); ++y)
      for (Integer x = 0; x < a.Width(); ++x)
        if (a.GetPixel(x, y) != b.GetPixel(x, y))
          return false;
    return true;
  };
  TBitmap hidden = shot(menu), plainBefore = shot(plain);
  EXPECT_FALSE(menu.View()->AccelsVisible);
  TBitmap during;
  bool visibleDuring = false;
  {
    // Alt pressed and released alone enters the menu bar's loop with the marks shown.
    TPosted p([&] {
      visibleDuring = menu.View()->AccelsVisible;
      during = shot(menu);
      menu.View()->EndModal();
    });
    SimulateKey(VK_MENU);
  }
  Application->ProcessMessages();
  EXPECT_TRUE(visibleDuring);
  EXPECT_FALSE(same(hidden, during)) << "the underline shows while the menu runs";
  EXPECT_FALSE(menu.View()->AccelsVisible);
  EXPECT_TRUE(same(hidden, shot(menu))) << "and goes again after it";
  TBitmap plainHidden = shot(plain);
  EXPECT_TRUE(same(plainBefore, plainHidden));
  // The ordinary toolbar's mark was there from the start: with cues on nothing changes.
  TSystemSettings cues = SystemSettings();
  cues.KeyboardCues = true;
  SetSystemSettings(cues);
  EXPECT_TRUE(same(plainBefore, shot(plain)));
  EXPECT_FALSE(same(hidden, shot(menu))) << "cues on: the menu bar shows its marks always";
  ResetSystemSettings();
  form.Hide();
}

TEST(Toolbars, LeftDockedBarWritesItsCaptionsDownwards)
{
  TForm form;
  form.SetBounds(100, 100, 300, 260);
  form.SetColor(clBtnFace);
  TTestDock dock;
  dock.SetPosition(dpLeft);
  dock.SetParent(&form);
  TTestToolbar bar;
  bar.SetParent(&form);
  TTBCustomItem* start = AddItem(bar.Items(), "&Start");
  AddItem(bar.Items(), "Sto&p");
  TTBCustomItem* more = AddItem(bar.Items(), "More", tbisSubmenu);
  more->SetOptions(tboDropdownArrow);
  AddItem(more, "Nothing");
  bar.SetCurrentDock(&dock);
  form.Show();
  bar.View()->ValidatePositions();
  ASSERT_EQ(bar.View()->Orientation(), voVertical);
  TBitmap shot(form.ClientWidth(), form.ClientHeight());
  form.PaintTo(shot.Canvas(), 0, 0);
  tbtest::SavePng(shot, "toolbar_left_dock_rotated_captions.png");

  // The ink of the first caption stands tall and narrow inside its button, as text
  // written downwards does (upright it would lie wide and be cut by the button's width).
  TTBItemViewer* v = bar.View()->Find(start);
  TPoint o = form.ScreenToClient(bar.ClientToScreen({v->BoundsRect.Left, v->BoundsRect.Top}));
  Integer minX = INT32_MAX, maxX = -1, minY = INT32_MAX, maxY = -1;
  for (Integer y = 0; y < v->BoundsRect.Height(); ++y)
    for (Integer x = 0; x < v->BoundsRect.Width(); ++x) {
      TColor c = shot.GetPixel(o.X + x, o.Y + y);
      if ((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) < 3 * 96) {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    }
  ASSERT_GE(maxX, 0) << "the caption shows";
  Integer inkW = maxX - minX + 1, inkH = maxY - minY + 1;
  EXPECT_GT(inkH, 2 * inkW) << inkW << " x " << inkH;
  EXPECT_GE(inkH, bar.View()->MeasureCanvas().TextWidth("Start") - 3);
  form.Hide();
}

TEST(Toolbars, EachButtonGivesItsHintOverItsOwnRectangle)
{
  TForm form;
  form.SetBounds(100, 100, 300, 100);
  TTestToolbar bar;
  bar.SetParent(&form);
  bar.SetShowHint(true);
  TTBCustomItem* one = AddItem(bar.Items(), "One");
  one->SetHint("First|The first button");
  TTBCustomItem* two = AddItem(bar.Items(), "Two");
  two->SetHint("Second");
  form.Show();
  bar.View()->ValidatePositions();
  TTBItemViewer* v1 = bar.View()->Find(one);
  TTBItemViewer* v2 = bar.View()->Find(two);
  auto centre = [](TTBItemViewer* v) {
    return TPoint{(v->BoundsRect.Left + v->BoundsRect.Right) / 2, (v->BoundsRect.Top + v->BoundsRect.Bottom) / 2};
  };
  std::string hint;
  TRect area;
  ASSERT_TRUE(bar.GetHintInfo(centre(v2), hint, area));
  EXPECT_EQ(hint, "Second");
  EXPECT_EQ(area, v2->BoundsRect);
  ASSERT_TRUE(bar.GetHintInfo(centre(v1), hint, area));
  EXPECT_EQ(hint, "First");
  EXPECT_EQ(area, v1->BoundsRect);

  // Resting on one button shows its hint; moving on to the next shows the next one's.
  auto waitForHint = [](const std::string& text) {
    testwait::TWaiting waiting("the hint \"" + text + "\" to show");
    HWND beat = AllocateHWnd([](TMessage&) {});
    SetTimer(beat, 1, 10);
    Cardinal start = GetTickCount();
    while (ShownHintText() != text && GetTickCount() - start < 5000)
      Application->HandleMessage();
    DeallocateHWnd(beat);
    return ShownHintText();
  };
  SimulateMouse(TInputKind::MouseMove, bar.ClientToScreen(centre(v1)));
  EXPECT_EQ(waitForHint("First"), "First");
  SimulateMouse(TInputKind::MouseMove, bar.ClientToScreen(centre(v2)));
  EXPECT_EQ(ShownHintText(), "") << "the first button's hint goes with the pointer";
  EXPECT_EQ(waitForHint("Second"), "Second");
  CancelHint();
  form.Hide();
}

TEST(Toolbars, DockedBarShrinksToItsChevron)
{
  TForm form;
  form.SetBounds(100, 100, 500, 200);
  TTestDock dock;
  dock.SetParent(&form);
  TTestToolbar bar;
  bar.SetParent(&form);
  for (int i = 1; i <= 8; ++i)
    AddItem(bar.Items(), "Item " + std::to_string(i));
  bar.SetCurrentDock(&dock);
  form.Show();
  bar.View()->ValidatePositions();
  EXPECT_FALSE(bar.View()->Find(bar.ChevronItem())->Show);
  Integer min = 0;
  bar.GetMinShrinkSize(min);
  EXPECT_GT(min, 12);
  form.SetBounds(100, 100, 200, 200);
  bar.View()->ValidatePositions();
  EXPECT_LE(bar.Left() + bar.Width(), 200);
  EXPECT_TRUE(bar.View()->Find(bar.ChevronItem())->Show);
  form.Hide();
}

TEST(Toolbars, FloatingResizeStepsAndPositionData)
{
  TForm form;
  form.SetBounds(100, 100, 400, 200);
  TTestToolbar bar;
  bar.SetName("Bar");
  bar.SetParent(&form);
  for (int i = 1; i <= 6; ++i)
    AddItem(bar.Items(), "Item " + std::to_string(i));
  form.Show();
  bar.SetFloatingPosition({150, 150});
  bar.SetFloating(true);
  ASSERT_TRUE(bar.Floating());
  TPoint nc = bar.GetFloatingNCAreaSize();
  TRect orig = Bounds(150, 150, bar.Width() + nc.X, bar.Height() + nc.Y);
  bar.ResizeBegin(twshRight);
  // Dragging the right side far in takes the narrowest layout; a little way stays put.
  TRect r = orig;
  r.Right = orig.Right - 5;
  bar.ResizeTrack(r, orig);
  EXPECT_EQ(r, orig);
  r = orig;
  r.Right = orig.Left + 30;
  bar.ResizeTrack(r, orig);
  EXPECT_LT(r.Width(), orig.Width());
  EXPECT_GT(r.Height(), orig.Height());
  bar.ResizeTrackAccept();
  bar.ResizeEnd();
  EXPECT_GT(bar.FloatingRightX(), 0);
  EXPECT_GT(bar.View()->WrappedLines, 1);
  EXPECT_EQ(bar.Width() + nc.X, r.Width());

  std::map<std::string, Integer> store;
  bar.WritePositionData([&](const std::string& n, const std::string& v, Integer d) { store[n + "." + v] = d; });
  EXPECT_EQ(store["Bar.FloatRightX"], bar.FloatingRightX());
  store["Bar.FloatRightX"] = 0;
  bar.ReadPositionData([&](const std::string& n, const std::string& v, Integer d) {
    auto it = store.find(n + "." + v);
    return it == store.end() ? d : it->second;
  });
  EXPECT_EQ(bar.FloatingRightX(), 0);
  EXPECT_EQ(bar.View()->WrappedLines, 1);
  bar.SetFloating(false);
  form.Hide();
}

TEST(Toolbars, ABarInItsOwnFontFollowsThatFontAsItChanges)
{
  TPanelBar p;
  Integer systemHeight = p.Bar.Height();
  // In the system font the bar's own font does not count.
  p.Bar.Font().SetSize(24);
  EXPECT_EQ(p.Bar.Height(), systemHeight);
  EXPECT_TRUE(p.Bar.View()->PositionsValid());
  p.Bar.SetSystemFont(false);
  Integer bigHeight = p.Bar.Height();
  EXPECT_GT(bigHeight, systemHeight + 10);
  // Changed in place, the font re-lays the bar: the buttons shrink with it.
  Integer bigWidth = p.FullWidth();
  p.Bar.Font().SetSize(6);
  EXPECT_LT(p.Bar.Height(), bigHeight);
  EXPECT_LT(p.FullWidth(), bigWidth);
  p.Bar.SetSystemFont(true);
  EXPECT_EQ(p.Bar.Height(), systemHeight);
}
