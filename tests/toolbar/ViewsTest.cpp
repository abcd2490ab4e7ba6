#include <gtest/gtest.h>

#include "toolbar/Items.h"
#include "tests/toolbar/TestBar.h"

using namespace tbtest;

TEST(ToolbarView, SeparatorsCollapseAndKeyboardSelection)
{
  TTBRootItem root;
  root.Add(std::make_unique<TTBSeparatorItem>());
  root.Add(Item("A"));
  root.Add(std::make_unique<TTBSeparatorItem>());
  root.Add(std::make_unique<TTBSeparatorItem>());
  root.Add(Item("B"));
  root.Add(std::make_unique<TTBSeparatorItem>());
  TTestBar bar(&root);
  bar.View->UpdatePositions();
  std::vector<bool> shown;
  for (Integer i = 0; i < bar.View->ViewerCount(); ++i)
    shown.push_back(bar.View->Viewers(i)->Show);
  EXPECT_EQ(shown, (std::vector<bool>{false, true, true, false, true, false}));
  TTBItemViewer* first = bar.View->FirstSelectable();
  EXPECT_EQ(first->Item()->Caption(), "A");
  EXPECT_EQ(bar.View->NextSelectable(first, true)->Item()->Caption(), "B");
  EXPECT_EQ(bar.View->NextSelectable(first, false)->Item()->Caption(), "B");
  EXPECT_THROW(bar.View->Find(&root), ETBItemError);
}

TEST(ToolbarView, RenderToolbarAndPopupWithSubmenu)
{
  TTBRootItem root;
  root.Add(Item("&File"));
  TTBCustomItem* view = root.Add(Item("&View", tbisSubmenu));
  view->Add(Item("&Zoom\tCtrl+Z"));
  TTBCustomItem* colours = view->Add(Item("&Colours", tbisSubmenu));
  view->Add(std::make_unique<TTBSeparatorItem>());
  TTBCustomItem* axes = view->Add(Item("Show &axes"));
  axes->SetChecked(true);
  view->Add(Item("Disabled"))->SetEnabled(false);
  colours->Add(Item("Black"));
  colours->Add(Item("White"));
  TForm form;
  form.SetBounds(100, 100, 300, 200);
  TTestBar bar(&root);
  bar.SetParent(&form);
  bar.SetBounds(0, 0, 300, 24);
  form.Show();
  bar.View->UpdatePositions();
  TTBItemViewer* vv = bar.View->Find(view);
  bar.View->Select(vv, false);
  bar.View->OpenChildPopup(true);
  ASSERT_NE(bar.View->OpenViewerView(), nullptr);
  TTBView* pv = bar.View->OpenViewerView();
  pv->Select(pv->Find(colours), false);
  pv->OpenChildPopup(false);
  ASSERT_NE(pv->OpenViewerWindow(), nullptr);
  TTBPopupWindow* p1 = bar.View->OpenViewerWindow();
  TTBPopupWindow* p2 = pv->OpenViewerWindow();
  EXPECT_EQ(p1->Top(), bar.ClientToScreen({0, vv->BoundsRect.Bottom}).Y);   // below its button
  EXPECT_GE(p2->Left(), p1->Left() + p1->Width() - 6);                      // the submenu beside its entry

  TBitmap shot(500, 400);
  shot.Fill(RGBColor(0, 128, 128));
  form.PaintTo(shot.Canvas(), 100 - 50, 100 - 50);
  p1->PaintTo(shot.Canvas(), p1->Left() - 50, p1->Top() - 50);
  p2->PaintTo(shot.Canvas(), p2->Left() - 50, p2->Top() - 50);
  // The menu highlight and the popups' frames are there.
  TRect cr = pv->Find(colours)->BoundsRect;
  TPoint sel = p1->ClientToScreen({cr.Right - 30, cr.Top + 2});
  EXPECT_EQ(shot.GetPixel(sel.X - 50, sel.Y - 50), ColorToRGB(clHighlight));
  SavePng(shot, "toolbar_menu.png");
  bar.View->CloseChildPopups();
  form.Hide();
}

namespace {

// The top left of the dark (text) pixels inside a viewer, its two-pixel edge left out, from
// the viewer's own top left; {-1, -1} where there are none.
TPoint TextOrigin(TBitmap& shot, TTBItemViewer* v)
{
  const TRect& r = v->BoundsRect;
  TPoint first{-1, -1};
  for (Integer y = r.Top + 2; y < r.Bottom - 2; ++y)
    for (Integer x = r.Left + 2; x < r.Right - 2; ++x) {
      TColor c = ColorToRGB(shot.GetPixel(x, y));
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) >= 200)
        continue;
      if (first.Y < 0)
        first.Y = y - r.Top;
      if (first.X < 0 || x - r.Left < first.X)
        first.X = x - r.Left;
    }
  return first;
}

}   // namespace

TEST(ToolbarView, ACheckedButtonShowsItsCaptionPressedIn)
{
  TTBRootItem root;
  root.Add(Item("Go"));
  root.Add(Item("Go"))->SetChecked(true);
  TBarOnForm on(&root, {100, 100, 300, 100}, {200, 24});
  on.Bar.View->UpdatePositions();
  TTBItemViewer* plain = on.Bar.View->Viewers(0);
  TTBItemViewer* checked = on.Bar.View->Viewers(1);
  ASSERT_EQ(plain->BoundsRect.Width(), checked->BoundsRect.Width());
  TBitmap shot(200, 24);
  shot.Fill(clBtnFace);
  on.Bar.PaintTo(shot.Canvas(), 0, 0);
  TPoint a = TextOrigin(shot, plain), b = TextOrigin(shot, checked);
  ASSERT_GE(a.X, 0);
  // The checked button's caption sits one pixel right of and below the plain one's.
  EXPECT_EQ(b, (TPoint{a.X + 1, a.Y + 1}));
}

TEST(ToolbarView, ArrowKeysWalkTheMenuBarAndItsMenusAndF1AsksForHelp)
{
  TTBRootItem root;
  TTBCustomItem* file = root.Add(Item("&File", tbisSubmenu));
  TTBCustomItem* x = file->Add(Item("X"));
  TTBCustomItem* y = file->Add(Item("Y"));
  y->SetEnabled(false);   // disabled items are walked over too
  TTBCustomItem* z = file->Add(Item("Z"));
  z->SetHelpContext(42);
  TTBCustomItem* edit = root.Add(Item("&Edit", tbisSubmenu));
  TTBCustomItem* u = edit->Add(Item("U"));
  edit->Add(Item("V"));
  TBarOnForm on(&root, {100, 100, 400, 300}, {300, 24});
  ParkPointer();
  TTBView& v = *on.Bar.View;
  v.UpdatePositions();
  v.InModalLoop = true;   // as inside the menu loop
  auto key = [](TTBView& view, Word k) {
    view.KeyDown(k, 0);
    return k;
  };
  auto selected = [](TTBView* view) { return view && view->Selected() ? view->Selected()->Item() : nullptr; };

  v.Select(v.Find(file), false);
  EXPECT_EQ(key(v, VK_DOWN), 0);   // Down on the bar opens the menu, first item selected
  TTBView* menu = v.OpenViewerView();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(selected(menu), x);
  // Up and Down go opposite ways, round the ends; Home and End go to them.
  struct TStep {
    Word Key;
    TTBCustomItem* Then;
  } walk[] = {{VK_DOWN, y}, {VK_DOWN, z}, {VK_UP, y}, {VK_UP, x}, {VK_UP, z}, {VK_DOWN, x}, {VK_END, z}, {VK_HOME, x}};
  for (const TStep& s : walk) {
    key(*menu, s.Key);
    EXPECT_EQ(selected(menu), s.Then) << "key " << s.Key << " to " << s.Then->Caption();
  }

  // Right where nothing opens moves the bar on to the next menu, which opens at once.
  key(*menu, VK_RIGHT);
  EXPECT_EQ(selected(&v), edit);
  menu = v.OpenViewerView();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->ParentItem(), edit);
  EXPECT_EQ(selected(menu), u);
  // Left from the bar's own menu goes back to the previous one.
  key(*menu, VK_LEFT);
  EXPECT_EQ(selected(&v), file);
  menu = v.OpenViewerView();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->ParentItem(), file);

  // F1 on the item that has a help context ends the loop asking for that help.
  menu->Select(menu->Find(z), false);
  key(*menu, VK_F1);
  EXPECT_EQ(v.DoneAction(), tbdaHelpContext);
  v.ClearDoneAction();
  // Escape in the menu closes it and leaves the bar's menu mode; on the bar it ends the loop.
  key(*menu, VK_ESCAPE);
  EXPECT_EQ(v.OpenViewerView(), nullptr);
  EXPECT_FALSE(v.MenuMode);
  key(v, VK_ESCAPE);
  EXPECT_EQ(v.DoneAction(), tbdaCancel);
  v.InModalLoop = false;
}

TEST(ToolbarView, ScrollingOverAnArrowBandStopsWhenThePointerLeavesThePopup)
{
  TSystemSettings saved = SystemSettings();
  TSystemSettings s = saved;
  s.Monitors = {{{0, 0, 1280, 300}, {0, 0, 1280, 300}, true}};
  SetSystemSettings(s);
  TTBCustomItem menu;
  for (int i = 0; i < 30; ++i)
    menu.Add(Item("Entry " + std::to_string(i)));
  std::unique_ptr<TTBPopupWindow> w = PopupItem(&menu, {100, 0}, tbpaLeft);
  TTBView* v = w->View();
  ASSERT_TRUE(v->ShowDownArrow);
  TPoint band = w->ClientToScreen({w->ClientWidth() / 2, w->ClientHeight() - 5});
  v->UpdateSelection(&band, true);
  EXPECT_TRUE(v->TimerRunning(tiScrollDown));
  // Out of the popup past its side, still level with the band: the scrolling stops.
  TPoint outside{w->Left() + w->Width() + 20, band.Y};
  v->UpdateSelection(&outside, true);
  EXPECT_FALSE(v->TimerRunning(tiScrollDown));
  v->UpdateSelection(&band, true);
  EXPECT_TRUE(v->TimerRunning(tiScrollDown));
  // Over the frame below the client area is out of the band too.
  TPoint frame = w->ClientToScreen({w->ClientWidth() / 2, w->ClientHeight() + 1});
  ASSERT_LT(frame.Y, w->Top() + w->Height());
  v->UpdateSelection(&frame, true);
  EXPECT_FALSE(v->TimerRunning(tiScrollDown));
  w.reset();
  SetSystemSettings(saved);
}

TEST(ToolbarView, DropDownsMoveAsideRatherThanCoverTheirBar)
{
  // Three 40-pixel buttons; the middle one opens a drop-down 100 wide and 500 high.
  TTBRootItem root;
  for (const char* c : {"A", "B", "C"})
    root.Add(Item(c));
  TBarOnForm on(&root, {300, 300, 700, 400}, {400, 100});
  TTestBar& bar = on.Bar;
  TTBView& v = *bar.View;
  auto place = [&](TTBViewOrientation o, TRect monitor) {
    v.SetOrientation(o);
    v.UpdatePositions();
    TTBItemViewer* b = v.Viewers(1);
    TPoint tl = bar.ClientToScreen({b->BoundsRect.Left, b->BoundsRect.Top});
    TTBPopupPositionRec r;
    r.MonitorRect = monitor;
    r.ParentItemRect = Bounds(tl.X, tl.Y, b->BoundsRect.Width(), b->BoundsRect.Height());
    r.W = 100;
    r.H = 500;
    const TRect& p = r.ParentItemRect;
    r.X = o == voVertical ? p.Left - r.W : p.Left;
    r.Y = o == voVertical ? p.Top : p.Bottom;
    TTBCustomItem item;
    item.GetPopupPosition(&v, nullptr, r);
    return std::pair{r, p};
  };
  // A horizontal bar with no room below or above: pushed up over the bar, the popup moves
  // to the right of its button instead, and slides rightward.
  auto [h, hp] = place(voHorizontal, TRect{0, 0, 800, 600});
  EXPECT_EQ(h.Y, 100);
  EXPECT_EQ(h.X, hp.Right);
  EXPECT_EQ(h.AnimDir, 2);
  // The same near the monitor's right edge: to the left of the button.
  auto [h2, hp2] = place(voHorizontal, TRect{0, 0, hp.Right + 60, 600});
  EXPECT_EQ(h2.X, hp2.Left - 100);
  EXPECT_EQ(h2.AnimDir, 1);
  // A vertical bar at the monitor's left edge: the drop-down would lie over the bar's
  // buttons; it goes to the right of the bar's button.
  auto [vr, vp] = place(voVertical, TRect{bar.ClientToScreen({0, 0}).X, 0, 1200, 1000});
  EXPECT_EQ(vr.X, vp.Right);
  EXPECT_EQ(vr.Y, vp.Top);
  EXPECT_EQ(vr.AnimDir, 2);
}
