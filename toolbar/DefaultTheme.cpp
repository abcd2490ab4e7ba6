#include "toolbar/DefaultTheme.h"

#include <algorithm>
#include <initializer_list>

#include "toolbar/KitHelpers.h"
#include "toolbar/Items.h"
#include "toolbar/ThemeUtils.h"

namespace {

const TTBXSystemValues& V() { return TBXSystemValues(); }

bool IsHot(const TTBXItemInfo& I) { return I.Enabled ? I.HoverKind != 0 : I.HoverKind == 1; }
bool IsToolbarStyle(const TTBXItemInfo& I) { return (I.ItemOptions & IO_TOOLBARSTYLE) != 0; }
bool IsMenuBar(const TTBXItemInfo& I) { return HasViewBits(I.ViewType, TVT_MENUBAR); }
bool IsPopupMenuItem(const TTBXItemInfo& I) { return HasViewBits(I.ViewType, VT_POPUP) && !IsToolbarStyle(I); }
bool IsOpaqueToolbar(Integer ViewType) { return HasViewBits(ViewType, VT_TOOLBAR | TVT_EMBEDDED); }
bool AppActive(const TTBXItemInfo& I) { return (I.ItemOptions & IO_APPACTIVE) != 0; }

void Polygon(TCanvas& C, std::initializer_list<TPoint> Points, TColor Color)
{
  C.Pen().SetColor(Color);
  C.Pen().SetStyle(psSolid);
  C.Pen().SetWidth(1);
  C.Brush().SetStyle(bsSolid);
  C.Brush().SetColor(Color);
  C.Polygon(std::vector<TPoint>(Points));
}

void Polyline(TCanvas& C, std::initializer_list<TPoint> Points, TColor Color)
{
  C.Pen().SetColor(Color);
  C.Pen().SetStyle(psSolid);
  C.Pen().SetWidth(1);
  C.Polyline(std::vector<TPoint>(Points));
}

// A one-bit glyph: one byte per row, the most significant bit leftmost.
void DrawGlyph(TCanvas& C, Integer X, Integer Y, std::initializer_list<Byte> Rows, TColor Color)
{
  Integer y = Y;
  for (Byte row : Rows) {
    for (Integer bit = 0; bit < 8; ++bit)
      if (row & (0x80 >> bit))
        C.FillRect({X + bit, y, X + bit + 1, y + 1}, Color);
    ++y;
  }
}

// Enabled in Color; disabled etched: highlight one pixel right and down, then shadow.
template <class F>
void Etched(bool Enabled, TColor Color, F&& Draw)
{
  if (Enabled) {
    Draw(0, Color);
  } else {
    Draw(1, clBtnHighlight);
    Draw(0, clBtnShadow);
  }
}

void CloseStates(Integer State, bool& Shown, bool& Hot, bool& Pushed)
{
  Shown = (State & CDBS_VISIBLE) != 0;
  Hot = (State & CDBS_HOT) != 0;
  Pushed = (State & CDBS_PRESSED) != 0;
}

TRect Inflate(const TRect& R, Integer D) { return {R.Left - D, R.Top - D, R.Right + D, R.Bottom + D}; }
TRect Intersect(const TRect& A, const TRect& B)
{
  return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
}

}   // namespace

// ---------------------------------------------------------------------------------------
// Life

TTBXDefaultTheme::TTBXDefaultTheme(const std::string& AName) : TTBXTheme(AName)
{
  AddThemeNotify(this, [this](TMessage& m) { Dispatch(m); });
  SetupColorCache();
}

TTBXDefaultTheme::~TTBXDefaultTheme() { RemoveThemeNotify(this); }

void TTBXDefaultTheme::Dispatch(TMessage& Message)
{
  if (Message.Msg == TBXM_THEMENOTIFY && Message.WParam == TSC_VIEWCHANGE)
    SetupColorCache();
}

void TTBXDefaultTheme::SetupColorCache() { FToolbarColor = V().ToolbarColor; }

void RegisterTBXDefaultTheme()
{
  if (FindTBXTheme("Default") < 0)
    RegisterTBXTheme("Default", [](const std::string& n) { return std::make_unique<TTBXDefaultTheme>(n); });
}

// ---------------------------------------------------------------------------------------
// Metrics

Integer TTBXDefaultTheme::GetIntegerMetric(Integer Index)
{
  switch (Index) {
  case TMI_SPLITBTN_ARROWWIDTH: return 11;
  case TMI_DROPDOWN_ARROWWIDTH: return 8;
  case TMI_DROPDOWN_ARROWMARGIN:
  case TMI_MENU_RCAPTIONMARGIN: return 3;
  case TMI_MENU_ITEM_VMARGIN:
  case TMI_MENU_LCAPTIONMARGIN:
  case TMI_MENU_MDI_DW:
  case TMI_EDIT_FRAMEWIDTH:
  case TMI_EDIT_TEXTMARGINHORZ: return 2;
  case TMI_MENU_ITEM_HMARGIN: return 0;
  case TMI_MENU_IMGTEXTSPACE:
  case TMI_EDIT_TEXTMARGINVERT: return 1;
  case TMI_MENU_SEPARATORSIZE:
  case TMI_TLBR_SEPARATORSIZE: return -1;
  case TMI_MENU_MDI_DH:
  case TMI_EDIT_MENURIGHTINDENT: return 4;
  case 40: return 6;
  case TMI_EDIT_BTNWIDTH: return 13;
  default: return -1;
  }
}

bool TTBXDefaultTheme::GetBooleanMetric(Integer Index)
{
  switch (Index) {
  case TMB_EDITMENUFULLSELECT:
  case TMB_SOLIDTOOLBARNCAREA: return true;
  case TMB_PAINTDOCKBACKGROUND: return V().USE_THEMES;
  default: return false;
  }
}

// ---------------------------------------------------------------------------------------
// Colours

TColor TTBXDefaultTheme::GetViewColor(Integer ViewType)
{
  if (HasViewBits(ViewType, VT_TOOLBAR))
    return FToolbarColor;
  if (HasViewBits(ViewType, VT_POPUP)) {
    if (HasViewBits(ViewType, PVT_POPUPMENU))
      return V().MenuColor;
    if (HasViewBits(ViewType, PVT_LISTBOX))
      return clWindow;
    if (HasViewBits(ViewType, PVT_TOOLBOX))
      return FToolbarColor;
    if (HasViewBits(ViewType, PVT_CHEVRONMENU))
      return V().MenuColor;
    return FToolbarColor;
  }
  if (HasViewBits(ViewType, VT_DOCKPANEL))
    return NearestBlend(FToolbarColor, clWindow, 64);
  return FToolbarColor;
}

TColor TTBXDefaultTheme::GetItemColor(const TTBXItemInfo& ItemInfo)
{
  if (!V().USE_THEMES && HasViewBits(ItemInfo.ViewType, PVT_POPUPMENU) && !IsToolbarStyle(ItemInfo) && IsHot(ItemInfo))
    return clHighlight;
  return GetViewColor(ItemInfo.ViewType);
}

TColor TTBXDefaultTheme::GetItemTextColor(const TTBXItemInfo& ItemInfo)
{
  if (!ItemInfo.Enabled)
    return clGrayText;
  bool menuBar = IsMenuBar(ItemInfo);
  if (IsToolbarStyle(ItemInfo) && !menuBar)
    return clBtnText;
  if (menuBar && !V().USE_FLATMENUS)
    return AppActive(ItemInfo) ? clBtnText : clGrayText;
  if (ItemInfo.HoverKind != 0)
    return clHighlightText;
  if (menuBar && !AppActive(ItemInfo))
    return clGrayText;
  return V().MenuTextColor;
}

TColor TTBXDefaultTheme::GetItemImageBackground(const TTBXItemInfo& ItemInfo)
{
  if (V().USE_FLATMENUS) {
    if (IsMenuBar(ItemInfo) && IsHot(ItemInfo))
      return clHighlight;
    if (HasViewBits(ItemInfo.ViewType, PVT_CHEVRONMENU))
      return FToolbarColor;
    if (HasViewBits(ItemInfo.ViewType, PVT_POPUPMENU) && IsHot(ItemInfo))
      return FToolbarColor;
  }
  return GetViewColor(ItemInfo.ViewType);
}

// ---------------------------------------------------------------------------------------
// Sizes

void TTBXDefaultTheme::GetViewBorder(Integer ViewType, TPoint& Border)
{
  if (HasViewBits(ViewType, VT_TOOLBAR | TVT_FLOATING)) {
    bool resizable = HasViewBits(ViewType, TVT_RESIZABLE);
    Border = {GetTBXSystemMetric(resizable ? SM_CXFRAME : SM_CXFIXEDFRAME),
              GetTBXSystemMetric(resizable ? SM_CYFRAME : SM_CYFIXEDFRAME)};
  } else if (HasViewBits(ViewType, VT_TOOLBAR) || HasViewBits(ViewType, VT_DOCKPANEL)) {
    Border = {2, 2};
  } else if (HasViewBits(ViewType, PVT_LISTBOX)) {
    Border = {1, 1};
  } else if (HasViewBits(ViewType, VT_POPUP)) {
    Border = {3, 3};
  } else {
    Border = {0, 0};
  }
}

void TTBXDefaultTheme::GetViewMargins(Integer ViewType, TTBXMargins& Margins)
{
  if (HasViewBits(ViewType, VT_TOOLBAR | TVT_FLOATING))
    Margins = {4, 4, 2, 1};
  else
    Margins = {};
}

void TTBXDefaultTheme::GetMargins(Integer MarginID, TTBXMargins& Margins)
{
  switch (MarginID) {
  case MID_TOOLBARITEM: Margins = {2, 2, 2, 2}; break;
  case MID_STATUSPANE: Margins = {1, 3, 1, 1}; break;
  default: Margins = {}; break;
  }
}

TPoint TTBXDefaultTheme::GetImageOffset(const TTBXItemInfo& ItemInfo)
{
  return (ItemInfo.Pushed || ItemInfo.Selected) ? TPoint{1, 1} : TPoint{0, 0};
}

// ---------------------------------------------------------------------------------------
// Backgrounds, buttons and arrows

void TTBXDefaultTheme::PaintBackgnd(TCanvas& Canvas, const TRect&, const TRect& ARect, const TRect& AClipRect,
                                    TColor AColor, bool Transparent, Integer)
{
  if (Transparent)
    return;
  TRect r = Intersect(ARect, AClipRect);
  if (!r.IsEmpty())
    FillRectEx(Canvas, r, AColor);
}

void TTBXDefaultTheme::PaintButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo)
{
  const TTBXItemInfo& I = ItemInfo;
  TRect r = ARect;
  if (I.ComboPart == CMB_SPLITARROW)
    r.Right -= 2;
  bool hot = IsHot(I), pushed = I.Pushed, checked = I.Selected, flat = V().USE_FLATMENUS;
  bool designing = (I.ItemOptions & IO_DESIGNING) != 0;
  if (IsMenuBar(I) && flat) {
    if ((I.Enabled && (pushed || checked)) || hot)
      FillRectEx(Canvas, r, clHighlight);
  } else {
    if (flat && (pushed || checked || hot))
      FillRectEx(Canvas, r, FToolbarColor);
    if (IsOpaqueToolbar(I.ViewType)) {
      if (I.ComboPart == CMB_SPLITBTN && !hot && !pushed)
        r.Right += 1;
      TRect e = r;
      Canvas.DrawEdge(e, EDGE_RAISED, (hot && !pushed && !checked) ? 0x280F : 0x680F);
      if (checked && I.Enabled && I.HoverKind == 0)
        DitherRect(Canvas, e, FToolbarColor, clBtnHighlight);
    } else if ((pushed || checked) && I.Enabled) {
      TRect e = r;
      Canvas.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
      if (!pushed && I.HoverKind == 0)
        DitherRect(Canvas, e, FToolbarColor, clBtnHighlight);
    } else if (hot || designing) {
      TRect e = r;
      Canvas.DrawEdge(e, BDR_RAISEDINNER, BF_RECT);
    }
  }
  if (I.ComboPart == CMB_SPLITARROW)
    PaintDropDownArrow(Canvas, r, I);
}

void TTBXDefaultTheme::PaintDropDownArrow(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo)
{
  Integer x = (ARect.Left + ARect.Right) / 2, y = (ARect.Top + ARect.Bottom) / 2 - 1;
  if ((ItemInfo.Pushed || ItemInfo.Selected) && ItemInfo.ComboPart != CMB_SPLITARROW) {
    ++x;
    ++y;
  }
  bool vertical = ItemInfo.IsVertical;
  TColor color = IsToolbarStyle(ItemInfo) ? V().MenuTextColor : clBtnText;
  Etched(ItemInfo.Enabled, color, [&](Integer d, TColor c) {
    Integer px = x + d, py = y + d;
    if (vertical)
      Polygon(Canvas, {{px, py + 2}, {px, py - 2}, {px - 2, py}}, c);
    else
      Polygon(Canvas, {{px - 2, py}, {px + 2, py}, {px, py + 2}}, c);
  });
}

void TTBXDefaultTheme::PaintCaption(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                                    const std::string& ACaption, uint32_t AFormat, bool Rotated)
{
  const TTBXItemInfo& I = ItemInfo;
  TColor saved = Canvas.Font().Color();
  TColor color = saved == clNone ? GetItemTextColor(I) : saved;
  int oldMode = Canvas.SetBkMode(TRANSPARENT);
  TRect r = ARect;
  if (I.Enabled && IsToolbarStyle(I) && (I.Pushed || I.Selected) && !(IsMenuBar(I) && V().USE_FLATMENUS))
    r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
  auto draw = [&](Integer d, TColor c) {
    TRect t{r.Left + d, r.Top + d, r.Right + d, r.Bottom + d};
    Canvas.Font().SetColor(c);
    if (Rotated)
      DrawRotatedText(Canvas, ACaption, t, AFormat);
    else
      Canvas.DrawText(ACaption, t, AFormat);
  };
  bool hotDisabledMenuItem = !IsToolbarStyle(I) && I.HoverKind == 1;
  if (!I.Enabled && !V().USE_THEMES && !hotDisabledMenuItem) {
    draw(1, clBtnHighlight);
    draw(0, clBtnShadow);
  } else {
    draw(0, color);
  }
  Canvas.Font().SetColor(saved);
  Canvas.SetBkMode(oldMode);
}

void TTBXDefaultTheme::PaintCheckMark(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo)
{
  Integer cx = (ARect.Left + ARect.Right) / 2, cy = (ARect.Top + ARect.Bottom) / 2;
  Polyline(Canvas,
           {{cx - 3, cy},
            {cx - 1, cy + 2},
            {cx + 3, cy - 2},
            {cx + 3, cy - 1},
            {cx - 1, cy + 3},
            {cx - 3, cy + 1},
            {cx - 3, cy}},
           ItemInfo.Enabled ? clBtnText : clGrayText);
  if (ItemInfo.Enabled)
    Polyline(Canvas, {{cx - 4, cy}, {cx - 4, cy + 1}, {cx - 1, cy + 4}, {cx + 4, cy - 1}, {cx + 4, cy - 3}},
             clBtnHighlight);
}

void TTBXDefaultTheme::PaintChevron(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo)
{
  PaintButton(Canvas, ARect, ItemInfo);
  Integer d = ItemInfo.Pushed ? 1 : 0;
  Etched(ItemInfo.Enabled, clBtnText, [&](Integer e, TColor c) {
    if (!ItemInfo.IsVertical)
      DrawGlyph(Canvas, ARect.Left + 2 + d + e, ARect.Top + 4 + d + e, {0xCC, 0x66, 0x33, 0x66, 0xCC}, c);
    else
      DrawGlyph(Canvas, ARect.Right - 9 + d + e, ARect.Top + 2 + d + e,
                {0x88, 0xD8, 0x70, 0x20, 0x88, 0xD8, 0x70, 0x20}, c);
  });
}

// ---------------------------------------------------------------------------------------
// Images

void TTBXDefaultTheme::PaintImage(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                                  TCustomImageList* ImageList, Integer ImageIndex)
{
  if (!ImageList)
    return;
  const TTBXItemInfo& I = ItemInfo;
  TRect r = ARect;
  if (I.Pushed || I.Selected)
    r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
  if (auto* state = dynamic_cast<TTBCustomImageList*>(ImageList)) {
    state->DrawState(Canvas, r.Left, r.Top, ImageIndex, I.Enabled, IsHot(I), I.Selected);
    return;
  }
  bool popupItem = IsPopupMenuItem(I);
  if ((popupItem && !V().USE_FLATMENUS) || (!popupItem && !V().USE_THEMES)) {
    ImageList->Draw(Canvas, r.Left, r.Top, ImageIndex, I.Enabled);
    return;
  }
  TColor bg = GetItemImageBackground(I);
  if (!I.Enabled) {
    DrawTBXIconShadow(Canvas, r, ImageList, ImageIndex, 0);
  } else if (!IsHot(I) && !I.Pushed && !I.Selected && !IsDarkColor(bg, 100) && !V().TBXLoColorOrWhiteFace) {
    BlendTBXIcon(Canvas, r, ImageList, ImageIndex, 178, clWindow);
  } else {
    DrawTBXIcon(Canvas, r, ImageList, ImageIndex, !popupItem && IsDarkColor(bg, 100));
  }
}

// ---------------------------------------------------------------------------------------
// Menus

void TTBXDefaultTheme::PaintMenuItemFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo)
{
  if (IsHot(ItemInfo))
    FillRectEx(Canvas, ARect, clHighlight);
}

void TTBXDefaultTheme::PaintMenuItem(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo)
{
  const TTBXItemInfo& I = ItemInfo;
  Integer arrowWidth = GetTBXSystemMetric(SM_CXMENUCHECK);
  bool hot = IsHot(I), split = (I.ItemOptions & IO_COMBO) != 0;
  bool imageOrCheck = I.HasImage || I.Selected;
  TRect r = ARect;
  if (split) {
    r.Right -= arrowWidth;
    TRect box{r.Right, ARect.Top, ARect.Right, ARect.Bottom};
    if (I.Enabled && I.HoverKind != 0) {
      Canvas.DrawEdge(box, BDR_SUNKENOUTER, BF_RECT);
    } else {
      TRect line{box.Left - 1, box.Top, box.Right, box.Bottom};
      Canvas.DrawEdge(line, hot ? BDR_SUNKENOUTER : EDGE_ETCHED, BF_LEFT);
    }
  }
  TRect content = r;
  if (imageOrCheck)
    content.Left += I.PopupMargin + GetIntegerMetric(TMI_MENU_IMGTEXTSPACE);
  PaintMenuItemFrame(Canvas, content, I);
  if (I.ItemOptions & IO_SUBMENUITEM) {
    Integer x = ARect.Right - arrowWidth * 2 / 3 - 2;
    Integer y = (ARect.Top + ARect.Bottom) / 2;
    TColor color = (hot && !split) ? clHighlightText : V().MenuTextColor;
    Etched(I.Enabled, color, [&](Integer d, TColor c) {
      Polygon(Canvas, {{x + d, y - 4 + d}, {x + 4 + d, y + d}, {x + d, y + 4 + d}}, c);
    });
  }
  if (I.Enabled && imageOrCheck && (hot || I.Selected)) {
    TRect column{ARect.Left, ARect.Top, ARect.Left + I.PopupMargin, ARect.Bottom};
    if (V().USE_FLATMENUS)
      FillRectEx(Canvas, column, FToolbarColor);
    PaintButton(Canvas, column, I);
  }
}

void TTBXDefaultTheme::PaintSeparator(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                                      bool Horizontal, bool LineSeparator)
{
  if (!ItemInfo.Enabled)
    return;   // a blank separator
  bool inMenu = HasViewBits(ItemInfo.ViewType, VT_POPUP);
  bool floating = HasViewBits(ItemInfo.ViewType, VT_TOOLBAR | TVT_FLOATING);
  Integer margin = 0;
  if (Horizontal && inMenu)
    margin = 12;
  else if (LineSeparator)
    margin = floating ? 1 : 4;
  if (Horizontal) {
    Integer y = ARect.Top + ARect.Height() / 2 - 1;
    TRect r{ARect.Left + margin, y, ARect.Right - margin, y + 2};
    Canvas.DrawEdge(r, EDGE_ETCHED, BF_TOP);
  } else {
    Integer x = ARect.Left + ARect.Width() / 2 - 1;
    TRect r{x, ARect.Top + margin, x + 2, ARect.Bottom - margin};
    Canvas.DrawEdge(r, EDGE_ETCHED, BF_LEFT);
  }
}

void TTBXDefaultTheme::PaintPopupNCArea(TCanvas& Canvas, const TRect& R, const TTBXPopupInfo& PopupInfo)
{
  TRect r = R;
  if (HasViewBits(PopupInfo.ViewType, PVT_LISTBOX)) {
    FrameRectEx(Canvas, r, clWindowFrame, true);
    FrameRectEx(Canvas, r, clWindow, true);
    FrameRectEx(Canvas, r, clWindow, true);
  } else if (V().USE_FLATMENUS && !HasViewBits(PopupInfo.ViewType, PVT_TOOLBOX)) {
    FrameRectEx(Canvas, r, clBtnShadow, true);
    FrameRectEx(Canvas, r, V().MenuColor, true);
    FrameRectEx(Canvas, r, V().MenuColor, true);
  } else {
    Canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FrameRectEx(Canvas, r, HasViewBits(PopupInfo.ViewType, PVT_TOOLBOX) ? FToolbarColor : V().MenuColor, true);
  }
}

void TTBXDefaultTheme::PaintPageScrollButton(TCanvas& Canvas, const TRect& ARect, Integer ButtonType, bool Hot)
{
  TRect r = ARect;
  if (Hot)
    Canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
  Integer x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
  TColor c = V().MenuTextColor;
  switch (ButtonType) {
  case PSBT_UP: Polygon(Canvas, {{x - 3, y + 1}, {x + 3, y + 1}, {x, y - 2}}, c); break;
  case PSBT_DOWN: Polygon(Canvas, {{x - 3, y - 1}, {x + 3, y - 1}, {x, y + 2}}, c); break;
  case PSBT_LEFT: Polygon(Canvas, {{x + 1, y - 3}, {x + 1, y + 3}, {x - 2, y}}, c); break;
  case PSBT_RIGHT: Polygon(Canvas, {{x - 1, y - 3}, {x - 1, y + 3}, {x + 2, y}}, c); break;
  default: break;
  }
}

// ---------------------------------------------------------------------------------------
// Edit frames

void TTBXDefaultTheme::PaintFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo)
{
  const TTBXItemInfo& I = ItemInfo;
  bool active = IsHot(I) || I.Pushed || I.Selected;
  TRect r = ARect;
  if (IsOpaqueToolbar(I.ViewType)) {
    if (active)
      Canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    else
      Canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_FLAT);
  } else if (active) {
    Canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  }
  FrameRectEx(Canvas, r, FToolbarColor, true);
  FrameRectEx(Canvas, r, clWindow, true);
}

void TTBXDefaultTheme::PaintEditFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                                      const TTBXEditFrameInfo& EditFrameInfo)
{
  PaintFrame(Canvas, ARect, ItemInfo);
  Integer inset = GetIntegerMetric(TMI_EDIT_FRAMEWIDTH);
  TRect r = Inflate(ARect, -inset);
  if (ItemInfo.Enabled) {
    TRect text = r;
    if (EditFrameInfo.LeftBtnWidth > 0)
      text.Left += EditFrameInfo.LeftBtnWidth - 2;
    if (EditFrameInfo.RightBtnWidth > 0)
      text.Right -= EditFrameInfo.RightBtnWidth - 2;
    FillRectEx(Canvas, text, clWindow);
  }
  if (EditFrameInfo.RightBtnWidth > 0) {
    TRect b{r.Right - EditFrameInfo.RightBtnWidth, r.Top, r.Right, r.Bottom};
    PaintEditButton(Canvas, b, ItemInfo, EditFrameInfo.RightBtnInfo);
  }
}

void TTBXDefaultTheme::PaintEditButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                                       const TTBXEditBtnInfo& ButtonInfo)
{
  TRect r = ARect;
  Integer state = ButtonInfo.ButtonState;
  bool hot = (state & EBDS_HOT) != 0, disabled = (state & EBDS_DISABLED) != 0;
  TColor line = clWindow;
  if (hot || (state & (EBDS_PRESSED | EBSS_DOWN)))
    line = FToolbarColor;
  else if (IsOpaqueToolbar(ItemInfo.ViewType))
    line = clBtnShadow;
  FillRectEx(Canvas, {r.Left, r.Top, r.Left + 1, r.Bottom}, line);
  ++r.Left;
  if (ButtonInfo.ButtonType == EBT_DROPDOWN) {
    if (state & EBDS_PRESSED)
      Canvas.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    else if (hot)
      Canvas.DrawEdge(r, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    TTBXItemInfo arrow = ItemInfo;
    arrow.Enabled = !disabled;
    arrow.Pushed = (state & EBDS_PRESSED) != 0;
    arrow.Selected = false;
    PaintDropDownArrow(Canvas, r, arrow);
  } else if (ButtonInfo.ButtonType == EBT_SPIN) {
    Integer mid = (r.Top + r.Bottom) / 2;
    TRect up{r.Left, r.Top, r.Right, mid}, down{r.Left, mid, r.Right, r.Bottom};
    for (int half = 0; half < 2; ++half) {
      TRect h = half == 0 ? up : down;
      bool pressed = (state & (half == 0 ? EBSS_UP : EBSS_DOWN)) != 0;
      if (pressed)
        Canvas.DrawEdge(h, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
      else if (hot)
        Canvas.DrawEdge(h, BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
      Integer x = (h.Left + h.Right) / 2, y = (h.Top + h.Bottom) / 2;
      Etched(!disabled, clBtnText, [&](Integer d, TColor c) {
        if (half == 0)
          Polygon(Canvas, {{x - 2 + d, y + 1 + d}, {x + 2 + d, y + 1 + d}, {x + d, y - 1 + d}}, c);
        else
          Polygon(Canvas, {{x - 2 + d, y - 1 + d}, {x + 2 + d, y - 1 + d}, {x + d, y + 1 + d}}, c);
      });
    }
  }
}

// ---------------------------------------------------------------------------------------
// Frames of windows, docks and the rest

void TTBXDefaultTheme::PaintDock(TCanvas&, const TRect&, const TRect&, TTBDockPosition)
{
  // The classic dock shows its own colour; there is nothing to add.
}

void TTBXDefaultTheme::PaintDockPanelNCArea(TCanvas& Canvas, const TRect& R, const TTBXDockPanelInfo& DockPanelInfo)
{
  TRect r = R;
  Canvas.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  if (DockPanelInfo.ShowCaption) {
    TRect cap{r.Left, r.Top, r.Right, r.Top + GetTBXSystemMetric(SM_CYSMCAPTION) - 1};
    FillRectEx(Canvas, cap, clBtnShadow);
    Canvas.Font().Assign(SmCaptionFont());
    Canvas.SetBkMode(TRANSPARENT);
    TRect t{cap.Left + 2, cap.Top, cap.Right - 2, cap.Bottom};
    Canvas.DrawText(DockPanelInfo.Caption, t, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
}

void TTBXDefaultTheme::PaintToolbarNCArea(TCanvas& Canvas, const TRect& R, const TTBXToolbarInfo& ToolbarInfo)
{
  TTBFrameState s;
  s.Vertical = ToolbarInfo.IsVertical;
  s.AllowDrag = ToolbarInfo.AllowDrag;
  s.BorderStyle = ToolbarInfo.BorderStyle;
  s.DragHandleStyle = ToolbarInfo.DragHandleStyle;
  CloseStates(ToolbarInfo.CloseButtonState, s.CloseShown, s.CloseHot, s.ClosePushed);
  DrawDockedFrame(Canvas, R, s, FToolbarColor);
}

void TTBXDefaultTheme::PaintFloatingBorder(TCanvas& Canvas, const TRect& ARect,
                                           const TTBXFloatingWindowParentInfo& WindowInfo)
{
  TTBFloatingFrameState s;
  s.Border = WindowInfo.CaptionSize;
  s.ShowCaption = WindowInfo.ShowCaption;
  s.Caption = WindowInfo.Caption;
  CloseStates(WindowInfo.CloseButtonState, s.CloseShown, s.CloseHot, s.ClosePushed);
  s.Inactive = WindowInfo.Inactive;
  DrawFloatingFrame(Canvas, ARect, s, FToolbarColor);
}

void TTBXDefaultTheme::PaintMDIButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                                      TTBXMDIButton ButtonKind)
{
  TRect r = ARect;
  FillRectEx(Canvas, r, clBtnFace);
  Canvas.DrawEdge(r, ItemInfo.Pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
  Integer d = ItemInfo.Pushed ? 1 : 0;
  Integer x = (r.Left + r.Right) / 2 - 4 + d, y = (r.Top + r.Bottom) / 2 - 3 + d;
  Etched(ItemInfo.Enabled, clBtnText, [&](Integer e, TColor c) {
    switch (ButtonKind) {
    case TTBXMDIButton::mbMinimize: DrawGlyph(Canvas, x + e, y + e, {0, 0, 0, 0, 0, 0x7E, 0x7E}, c); break;
    case TTBXMDIButton::mbRestore:
      DrawGlyph(Canvas, x + e, y + e, {0x1F, 0x1F, 0x71, 0xFD, 0xFF, 0x86, 0x84, 0xFC}, c);
      break;
    case TTBXMDIButton::mbClose: DrawGlyph(Canvas, x + e, y + e, {0xC6, 0x6C, 0x38, 0x38, 0x6C, 0xC6}, c); break;
    }
  });
}

void TTBXDefaultTheme::PaintFrameControl(TCanvas& Canvas, const TRect& R, Integer Kind, Integer State, void*)
{
  bool disabled = (State & PFS_DISABLED) != 0;
  TColor face = disabled || (State & PFS_PUSHED) ? clBtnFace : clWindow;
  if (Kind == PFC_RADIOBUTTON) {
    Canvas.Pen().SetColor(clBtnShadow);
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(face);
    Canvas.Ellipse(R);
    if (State & PFS_CHECKED) {
      Integer cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
      TColor dot = disabled ? clGrayText : clBtnText;
      Canvas.Pen().SetColor(dot);
      Canvas.Brush().SetColor(dot);
      Canvas.Ellipse(cx - 2, cy - 2, cx + 2, cy + 2);
    }
    return;
  }
  TRect r = R;
  Canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillRectEx(Canvas, r, (State & PFS_MIXED) ? clBtnFace : face);
  if (State & (PFS_CHECKED | PFS_MIXED)) {
    TTBXItemInfo info;
    info.Enabled = !disabled;
    PaintCheckMark(Canvas, r, info);
  }
}

void TTBXDefaultTheme::PaintStatusBar(TCanvas& Canvas, const TRect& R, Integer Part)
{
  switch (Part) {
  case SBP_BODY: FillRectEx(Canvas, R, clBtnFace); break;
  case SBP_PANE:
  case SBP_LASTPANE: {
    TRect r = R;
    if (Part == SBP_LASTPANE)
      r.Right -= 2;
    Frame3D(Canvas, r, clBtnShadow, clBtnHighlight);
    break;
  }
  case SBP_GRIPPER: {
    // Diagonal lines in the lower right corner: one light, two dark, three times.
    for (Integer i = 0; i < 3; ++i)
      for (Integer k = 0; k < 3; ++k) {
        Integer o = 4 * i + 2 + k;
        DrawLineEx(Canvas, R.Right - o, R.Bottom, R.Right, R.Bottom - o, k == 0 ? clBtnHighlight : clBtnShadow);
      }
    break;
  }
  default: break;
  }
}
