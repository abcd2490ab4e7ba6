#include <gtest/gtest.h>

#include "platform/ImageSave.h"
#include "toolbar/DefaultTheme.h"
#include "toolbar/ThemeUtils.h"

namespace {

struct TThemeHolder {
  TThemeHolder()
  {
    RegisterTBXDefaultTheme();
    Theme = GetTBXTheme("Default");
  }
  ~TThemeHolder() { ReleaseTBXTheme(Theme); }
  TTBXTheme* Theme;
};

TTBXItemInfo ToolbarItem(bool enabled = true, Byte hover = 0, bool pushed = false, bool checked = false)
{
  TTBXItemInfo i;
  i.ViewType = TVT_NORMALTOOLBAR;
  i.ItemOptions = IO_TOOLBARSTYLE | IO_APPACTIVE;
  i.Enabled = enabled;
  i.HoverKind = hover;
  i.Pushed = pushed;
  i.Selected = checked;
  return i;
}

TTBXItemInfo MenuItem(bool enabled = true, Byte hover = 0)
{
  TTBXItemInfo i;
  i.ViewType = PVT_POPUPMENU;
  i.ItemOptions = IO_APPACTIVE;
  i.Enabled = enabled;
  i.HoverKind = hover;
  i.PopupMargin = 20;
  return i;
}

TColor Sys(TColor c) { return ColorToRGB(c); }

}   // namespace

TEST(DefaultTheme, MetricsAndSizes)
{
  TThemeHolder h;
  TTBXTheme& t = *h.Theme;
  EXPECT_EQ(t.Name(), "Default");
  struct {
    Integer Index, Value;
  } metrics[] = {{10, 11}, {20, 8}, {21, 3},  {34, 3},  {30, 2}, {33, 2}, {36, 2}, {60, 2},  {61, 2}, {31, 0},
                 {32, 1},  {62, 1}, {35, -1}, {50, -1}, {37, 4}, {64, 4}, {40, 6}, {65, 13}, {99, -1}};
  for (auto m : metrics)
    EXPECT_EQ(t.GetIntegerMetric(m.Index), m.Value) << m.Index;
  EXPECT_TRUE(t.GetBooleanMetric(3));
  EXPECT_TRUE(t.GetBooleanMetric(6));
  EXPECT_FALSE(t.GetBooleanMetric(1));
  EXPECT_FALSE(t.GetBooleanMetric(4));
  EXPECT_FALSE(t.GetBooleanMetric(5));
  EXPECT_EQ(t.GetPopupShadowType(), 1);

  TPoint b;
  t.GetViewBorder(TVT_NORMALTOOLBAR, b);
  EXPECT_EQ(b, (TPoint{2, 2}));
  t.GetViewBorder(TVT_NORMALTOOLBAR | TVT_FLOATING | TVT_RESIZABLE, b);
  EXPECT_EQ(b, (TPoint{4, 4}));
  t.GetViewBorder(TVT_NORMALTOOLBAR | TVT_FLOATING, b);
  EXPECT_EQ(b, (TPoint{3, 3}));
  t.GetViewBorder(PVT_POPUPMENU, b);
  EXPECT_EQ(b, (TPoint{3, 3}));
  t.GetViewBorder(PVT_LISTBOX, b);
  EXPECT_EQ(b, (TPoint{1, 1}));
  t.GetViewBorder(0, b);
  EXPECT_EQ(b, (TPoint{0, 0}));
  TTBXMargins m;
  t.GetViewMargins(TVT_NORMALTOOLBAR | TVT_FLOATING, m);
  EXPECT_EQ(m, (TTBXMargins{4, 4, 2, 1}));
  t.GetViewMargins(TVT_NORMALTOOLBAR, m);
  EXPECT_EQ(m, (TTBXMargins{}));
  t.GetMargins(MID_TOOLBARITEM, m);
  EXPECT_EQ(m, (TTBXMargins{2, 2, 2, 2}));
  t.GetMargins(MID_MENUITEM, m);
  EXPECT_EQ(m, (TTBXMargins{}));
  t.GetMargins(MID_STATUSPANE, m);
  EXPECT_EQ(m, (TTBXMargins{1, 3, 1, 1}));
  EXPECT_EQ(t.GetImageOffset(ToolbarItem(true, 0, true)), (TPoint{1, 1}));
  EXPECT_EQ(t.GetImageOffset(ToolbarItem()), (TPoint{0, 0}));
}

TEST(DefaultTheme, Colours)
{
  TThemeHolder h;
  TTBXTheme& t = *h.Theme;
  EXPECT_EQ(t.GetViewColor(TVT_NORMALTOOLBAR), clBtnFace);
  EXPECT_EQ(t.GetViewColor(PVT_POPUPMENU), clMenu);
  EXPECT_EQ(t.GetViewColor(PVT_LISTBOX), clWindow);
  EXPECT_EQ(t.GetViewColor(PVT_TOOLBOX), clBtnFace);
  EXPECT_EQ(t.GetViewColor(PVT_CHEVRONMENU), clMenu);
  EXPECT_EQ(t.GetViewColor(VT_DOCKPANEL), Blend(clBtnFace, clWindow, 64));
  EXPECT_EQ(t.GetItemColor(MenuItem(true, 2)), clHighlight);
  EXPECT_EQ(t.GetItemColor(MenuItem(true, 0)), clMenu);
  EXPECT_EQ(t.GetItemColor(ToolbarItem(true, 2)), clBtnFace);

  EXPECT_EQ(t.GetItemTextColor(ToolbarItem(false)), clGrayText);
  EXPECT_EQ(t.GetItemTextColor(ToolbarItem(true, 2)), clBtnText);
  EXPECT_EQ(t.GetItemTextColor(MenuItem(true, 2)), clHighlightText);
  EXPECT_EQ(t.GetItemTextColor(MenuItem(true, 0)), clMenuText);
  TTBXItemInfo bar = ToolbarItem();
  bar.ViewType = TVT_MENUBAR;
  EXPECT_EQ(t.GetItemTextColor(bar), clBtnText);
  bar.ItemOptions &= ~IO_APPACTIVE;
  EXPECT_EQ(t.GetItemTextColor(bar), clGrayText);
  EXPECT_EQ(t.GetItemImageBackground(MenuItem(true, 2)), clMenu);
}

TEST(DefaultTheme, DrawsOnKnownPixels)
{
  TThemeHolder h;
  TTBXTheme& t = *h.Theme;
  TBitmap b(40, 40, TPixelFormat::pf24bit);
  TCanvas& c = b.Canvas();
  TColor face = Sys(clBtnFace);

  // A hot toolbar button: a raised inner edge, highlight top-left, shadow bottom-right.
  b.Fill(face);
  t.PaintButton(c, {0, 0, 20, 20}, ToolbarItem(true, 2));
  EXPECT_EQ(b.GetPixel(0, 0), Sys(clBtnHighlight));
  EXPECT_EQ(b.GetPixel(19, 19), Sys(clBtnShadow));
  EXPECT_EQ(b.GetPixel(10, 10), face);
  // An idle one draws nothing; a checked one is sunk and dithered.
  b.Fill(face);
  t.PaintButton(c, {0, 0, 20, 20}, ToolbarItem());
  EXPECT_EQ(b.GetPixel(0, 0), face);
  t.PaintButton(c, {0, 0, 20, 20}, ToolbarItem(true, 0, false, true));
  EXPECT_EQ(b.GetPixel(0, 0), Sys(clBtnShadow));
  EXPECT_EQ(b.GetPixel(19, 19), Sys(clBtnHighlight));
  EXPECT_NE(b.GetPixel(5, 5), b.GetPixel(6, 5));

  // The drop-down arrow: a triangle 5 wide pointing down around the centre.
  b.Fill(face);
  t.PaintDropDownArrow(c, {0, 0, 20, 20}, ToolbarItem());
  EXPECT_EQ(b.GetPixel(8, 9), Sys(clMenuText));
  EXPECT_EQ(b.GetPixel(12, 9), Sys(clMenuText));
  EXPECT_EQ(b.GetPixel(10, 11), Sys(clMenuText));
  EXPECT_EQ(b.GetPixel(10, 12), face);
  EXPECT_EQ(b.GetPixel(7, 9), face);
  // Disabled: etched.
  b.Fill(face);
  t.PaintDropDownArrow(c, {0, 0, 20, 20}, ToolbarItem(false));
  EXPECT_EQ(b.GetPixel(10, 9), Sys(clBtnShadow));
  EXPECT_EQ(b.GetPixel(13, 10), Sys(clBtnHighlight));

  // The check mark's outline around the centre.
  b.Fill(face);
  t.PaintCheckMark(c, {0, 0, 20, 20}, MenuItem());
  EXPECT_EQ(b.GetPixel(7, 10), Sys(clBtnText));
  EXPECT_EQ(b.GetPixel(13, 8), Sys(clBtnText));
  EXPECT_EQ(b.GetPixel(14, 9), Sys(clBtnHighlight));

  // A menu separator: an etched line with 12 pixels of margin.
  b.Fill(face);
  t.PaintSeparator(c, {0, 0, 40, 8}, MenuItem(), true, true);
  EXPECT_EQ(b.GetPixel(12, 3), Sys(clBtnShadow));
  EXPECT_EQ(b.GetPixel(12, 4), Sys(clBtnHighlight));
  EXPECT_EQ(b.GetPixel(11, 3), face);
  EXPECT_EQ(b.GetPixel(28, 3), face);
  // A blank one is not drawn.
  b.Fill(face);
  t.PaintSeparator(c, {0, 0, 40, 8}, MenuItem(false), true, true);
  EXPECT_EQ(b.GetPixel(20, 3), face);

  // The selected menu item: its content filled with the highlight.
  b.Fill(face);
  t.PaintMenuItem(c, {0, 0, 40, 20}, MenuItem(true, 2));
  EXPECT_EQ(b.GetPixel(2, 10), Sys(clHighlight));
  TTBXItemInfo withImage = MenuItem(true, 2);
  withImage.HasImage = true;
  b.Fill(face);
  t.PaintMenuItem(c, {0, 0, 40, 20}, withImage);
  EXPECT_EQ(b.GetPixel(22, 10), Sys(clHighlight));    // after the image column and metric 32
  EXPECT_EQ(b.GetPixel(0, 0), Sys(clBtnHighlight));   // the image column framed raised
  EXPECT_EQ(b.GetPixel(10, 10), face);

  // Background fills only the clip.
  b.Fill(face);
  t.PaintBackgnd(c, {}, {0, 0, 40, 40}, {5, 5, 10, 10}, clRed, false, TVT_NORMALTOOLBAR);
  EXPECT_EQ(b.GetPixel(5, 5), clRed);
  EXPECT_EQ(b.GetPixel(10, 10), face);
  t.PaintBackgnd(c, {}, {0, 0, 40, 40}, {0, 0, 40, 40}, clBlue, true, TVT_NORMALTOOLBAR);
  EXPECT_EQ(b.GetPixel(20, 20), face);

  // A disabled caption is etched: highlight one pixel down and right of the shadow.
  b.Fill(face);
  c.Font().SetColor(clNone);
  t.PaintCaption(c, {0, 0, 40, 20}, ToolbarItem(false), "W", DT_SINGLELINE | DT_LEFT | DT_TOP, false);
  // Glyph edges may be smoothed: look for pixels darker and lighter than the face.
  bool shadow = false, highlight = false;
  for (Integer y = 0; y < 20; ++y)
    for (Integer x = 0; x < 40; ++x) {
      Integer g = GetGValue(b.GetPixel(x, y));
      shadow = shadow || g < GetGValue(face) - 30;
      highlight = highlight || g > GetGValue(face) + 30;
    }
  EXPECT_TRUE(shadow);
  EXPECT_TRUE(highlight);
  EXPECT_EQ(c.Font().Color(), clNone);   // the font colour comes back
}

TEST(DefaultTheme, ColourCacheFollowsThemeChanges)
{
  TThemeHolder h;
  auto* t = static_cast<TTBXDefaultTheme*>(h.Theme);
  EXPECT_EQ(t->CachedColor(), clBtnFace);
  SendMessage(TBXThemeManager().Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(t->CachedColor(), clBtnFace);
}

TEST(DefaultTheme, PictureOfThemedItems)
{
  TThemeHolder h;
  TTBXTheme& t = *h.Theme;
  TBitmap b(360, 200, TPixelFormat::pf32bit);
  TCanvas& c = b.Canvas();
  b.Fill(Sys(clBtnFace));
  c.Font().SetName("MS Sans Serif");
  c.Font().SetSize(8);

  // A row of toolbar buttons in their states.
  const char* captions[] = {"Idle", "Hot", "Pushed", "Checked", "Disabled"};
  TTBXItemInfo states[] = {ToolbarItem(), ToolbarItem(true, 2), ToolbarItem(true, 2, true),
                           ToolbarItem(true, 0, false, true), ToolbarItem(false)};
  for (int i = 0; i < 5; ++i) {
    TRect r = Bounds(8 + i * 64, 8, 58, 24);
    t.PaintButton(c, r, states[i]);
    c.Font().SetColor(clNone);
    t.PaintCaption(c, r, states[i], captions[i], DT_SINGLELINE | DT_CENTER | DT_VCENTER, false);
  }
  // A split button with its arrow, and a chevron.
  TTBXItemInfo split = ToolbarItem(true, 2);
  split.ComboPart = CMB_SPLITBTN;
  t.PaintButton(c, Bounds(8, 40, 30, 24), split);
  split.ComboPart = CMB_SPLITARROW;
  t.PaintButton(c, Bounds(38, 40, 13, 24), split);
  t.PaintChevron(c, Bounds(60, 40, 12, 24), ToolbarItem(true, 2));
  // A menu: frame, items, separator and check.
  TRect popup = Bounds(100, 40, 150, 110);
  TTBXPopupInfo pi;
  pi.ViewType = PVT_POPUPMENU;
  c.FillRect(popup, clMenu);
  t.PaintPopupNCArea(c, popup, pi);
  TTBXItemInfo items[] = {MenuItem(), MenuItem(true, 2), MenuItem(false), MenuItem()};
  items[1].ItemOptions |= IO_SUBMENUITEM;
  items[3].Selected = true;
  const char* labels[] = {"Open", "Colours", "Disabled", "Show axes"};
  for (int i = 0; i < 4; ++i) {
    TRect r = Bounds(103, 43 + i * 22 + (i >= 2 ? 8 : 0), 144, 20);
    t.PaintMenuItem(c, r, items[i]);
    if (items[i].Selected)
      t.PaintCheckMark(c, Bounds(r.Left, r.Top, 20, 20), items[i]);
    c.Font().SetColor(clNone);
    t.PaintCaption(c, {r.Left + 24, r.Top, r.Right, r.Bottom}, items[i], labels[i], DT_SINGLELINE | DT_VCENTER, false);
  }
  t.PaintSeparator(c, Bounds(103, 87, 144, 8), MenuItem(), true, true);
  // A docked toolbar's frame with a double handle and close button, and a floating caption.
  TTBXToolbarInfo ti;
  ti.BorderStyle = bsSingle;
  ti.AllowDrag = true;
  ti.DragHandleStyle = dhDouble;
  ti.CloseButtonState = CDBS_VISIBLE | CDBS_HOT;
  t.PaintToolbarNCArea(c, Bounds(8, 160, 80, 26), ti);
  TTBXFloatingWindowParentInfo fi;
  fi.ShowCaption = true;
  fi.Caption = "Floating";
  fi.CaptionSize = {4, 4};
  fi.CloseButtonState = CDBS_VISIBLE;
  t.PaintFloatingBorder(c, Bounds(260, 40, 90, 60), fi);
  t.PaintStatusBar(c, Bounds(100, 160, 250, 22), SBP_BODY);
  t.PaintStatusBar(c, Bounds(100, 160, 120, 22), SBP_PANE);
  t.PaintStatusBar(c, Bounds(220, 160, 130, 22), SBP_LASTPANE);
  t.PaintStatusBar(c, Bounds(100, 160, 250, 22), SBP_GRIPPER);

  std::vector<uint8_t> pixels(static_cast<size_t>(b.Width()) * b.Height() * 4);
  for (Integer y = 0; y < b.Height(); ++y)
    std::copy_n(b.ScanLine(y), b.Width() * 4, pixels.data() + static_cast<size_t>(y) * b.Width() * 4);
  SavePixelsToPng(std::string(ORRELO_TEST_OUTPUT) + "/tbx_default_theme.png", b.Width(), b.Height(), pixels.data(),
                  false);

  // The hot button shows its raised edge, the pushed one its sunken edge.
  EXPECT_EQ(b.GetPixel(72, 8), Sys(clBtnHighlight));
  EXPECT_EQ(b.GetPixel(136, 8), Sys(clBtnShadow));
  // The caption title bar.
  EXPECT_EQ(b.GetPixel(300, 46), Sys(clActiveCaption));
}
