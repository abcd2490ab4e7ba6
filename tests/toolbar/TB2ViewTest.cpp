#include <gtest/gtest.h>

#include "toolbar/TB2Item.h"
#include "tests/toolbar/TestBar.h"

using namespace tbtest;

TEST(TB2View, SeparatorsCollapseAndKeyboardSelection)
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

TEST(TB2View, RenderToolbarAndPopupWithSubmenu)
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
  EXPECT_GE(p2->Left(), p1->Left() + p1->Width() - 6);   // the submenu beside its entry

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
