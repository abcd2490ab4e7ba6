// Themed items and their viewers: font settings, sizes and painting through the current
// theme; the nexus and the helpers the themed controls share.
#include "toolbar/ThemedItems.h"

#include <algorithm>

#include "toolbar/KitHelpers.h"
#include "toolbar/DefaultTheme.h"

// ---------------------------------------------------------------------------------------
// Font settings

void TFontSettings::Assign(const TFontSettings& Source)
{
  if (FBold == Source.FBold && FItalic == Source.FItalic && FUnderline == Source.FUnderline
      && FStrikeOut == Source.FStrikeOut && FSize == Source.FSize && FColor == Source.FColor && FName == Source.FName)
    return;
  FBold = Source.FBold;
  FItalic = Source.FItalic;
  FUnderline = Source.FUnderline;
  FStrikeOut = Source.FStrikeOut;
  FSize = Source.FSize;
  FColor = Source.FColor;
  FName = Source.FName;
  if (FOnChange)
    FOnChange();
}

void TFontSettings::Apply(TFont& Font) const
{
  // A share of nothing or less would leave no font at all: such a size is ignored.
  if (FSize != 100 && FSize > 0)
    Font.SetSize((Font.Size() * FSize + 50) / 100);
  if (FColor != clNone)
    Font.SetColor(FColor);
  if (!FName.empty())
    Font.SetName(FName);
  TFontStyles style = Font.Style();
  auto apply = [&](TTriState s, TFontStyles bit) {
    if (s == tsTrue)
      style |= bit;
    else if (s == tsFalse)
      style &= static_cast<TFontStyles>(~bit);
  };
  apply(FBold, fsBold);
  apply(FItalic, fsItalic);
  apply(FUnderline, fsUnderline);
  apply(FStrikeOut, fsStrikeOut);
  Font.SetStyle(style);
}

// ---------------------------------------------------------------------------------------
// Items

namespace {
const char TBXItemViewerClassToken = 0;
const char TBXSeparatorViewerClassToken = 0;
}   // namespace

TTBXCustomItem::TTBXCustomItem() : FFontSettings(std::make_unique<TFontSettings>([this] { Change(true); })) {}

void TTBXCustomItem::SetLayout(TTBXItemLayout Value)
{
  if (Value == FLayout)
    return;
  FLayout = Value;
  Change(true);
}

void TTBXCustomItem::SetMinHeight(Integer Value)
{
  if (Value == FMinHeight)
    return;
  FMinHeight = Value;
  Change(true);
}

void TTBXCustomItem::SetMinWidth(Integer Value)
{
  if (Value == FMinWidth)
    return;
  FMinWidth = Value;
  Change(true);
}

void TTBXCustomItem::SetStretch(bool Value)
{
  if (Value == Stretch())
    return;
  SetItemStyle(Value ? ItemStyle() | tbisStretch : ItemStyle() & ~tbisStretch);
  Change(true);
}

TTBPopupWindow* TTBXCustomItem::CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool PositionAsSubmenu,
                                            bool SelectFirstItem, bool Customizing, TPoint PopupPoint,
                                            TTBPopupAlignment Alignment)
{
  return TTBCustomItem::CreatePopup(ParentView, ParentViewer, PositionAsSubmenu, SelectFirstItem || FAlwaysSelectFirst,
                                    Customizing, PopupPoint, Alignment);
}

std::unique_ptr<TTBItemViewer> TTBXCustomItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  return std::make_unique<TTBXItemViewer>(AView, this, AGroupLevel);
}

const void* TTBXCustomItem::GetItemViewerClass(TTBView*) const { return &TBXItemViewerClassToken; }

std::unique_ptr<TTBPopupWindow> TTBXCustomItem::CreatePopupWindow(TTBView* ParentView, TTBCustomItem* ItemToShow,
                                                                  bool Customizing)
{
  return std::make_unique<TTBXPopupWindow>(ParentView, ItemToShow, Customizing);
}

TTBXSubmenuItem::TTBXSubmenuItem() { SetItemStyle(ItemStyle() | tbisSubmenu | tbisCarried); }

void TTBXSubmenuItem::SetDropdownCombo(bool Value)
{
  if (Value == DropdownCombo())
    return;
  SetItemStyle(Value ? ItemStyle() | tbisSplitDropdown : ItemStyle() & ~tbisSplitDropdown);
  Change(true);
}

void TTBXSeparatorItem::SetSize(Integer Value)
{
  Value = std::max(-1, Value);
  if (Value == FSize)
    return;
  FSize = Value;
  Change(true);
}

std::unique_ptr<TTBItemViewer> TTBXSeparatorItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  return std::make_unique<TTBXSeparatorItemViewer>(AView, this, AGroupLevel);
}

const void* TTBXSeparatorItem::GetItemViewerClass(TTBView*) const { return &TBXSeparatorViewerClassToken; }

// ---------------------------------------------------------------------------------------
// Item viewer

namespace {

TRect Shrunk(const TRect& R, Integer D) { return {R.Left + D, R.Top + D, R.Right - D, R.Bottom - D}; }

// Extent E centred in R (halves toward zero).
TRect Centred(const TRect& R, TSize E)
{
  Integer l = R.Left + (R.Width() - E.cx) / 2, t = R.Top + (R.Height() - E.cy) / 2;
  return {l, t, l + E.cx, t + E.cy};
}

Integer Metric(Integer Index) { return CurrentTheme()->GetIntegerMetric(Index); }

// The ISF_ bits of an item's state, for the item's own handlers.
Integer StateFlags(const TTBXItemInfo& I)
{
  return (I.Enabled ? 0 : ISF_DISABLED) | (I.HoverKind == 2 ? ISF_HOT : 0) | (I.Pushed ? ISF_PUSHED : 0)
         | (I.Selected ? ISF_SELECTED : 0);
}

}   // namespace

TTBXItemViewer::TTBXItemViewer(TTBView* AView, TTBCustomItem* AItem, Integer AGroupLevel)
    : TTBItemViewer(AView, AItem, AGroupLevel)
{}

const void* TTBXItemViewer::ViewerClass() const { return &TBXItemViewerClassToken; }

Integer TTBXItemViewer::GetAccRole()
{
  auto* x = dynamic_cast<TTBXCustomItem*>(Item());
  if (x && x->ToolBoxPopup() && (Item()->ItemStyle() & tbisSubmenu))
    return 58;
  return TTBItemViewer::GetAccRole();
}

bool TTBXItemViewer::IsToolbarSize()
{
  return TTBItemViewer::IsToolbarSize() || HasViewBits(GetViewType(View()), PVT_TOOLBOX);
}

bool TTBXItemViewer::IsToolbarStyle()
{
  return TTBItemViewer::IsToolbarStyle() || HasViewBits(GetViewType(View()), PVT_TOOLBOX);
}

bool TTBXItemViewer::IsPtInButtonPart(Integer X, Integer)
{
  if (Item()->ItemStyle() & tbisSplitDropdown) {
    Integer arrow = IsToolbarStyle() ? Metric(TMI_SPLITBTN_ARROWWIDTH) : SystemSettings().MenuCheckWidth;
    return X < BoundsRect.Width() - arrow;
  }
  return !(Item()->ItemStyle() & tbisSubmenu);
}

bool TTBXItemViewer::GetImageShown()
{
  if (Item()->ImageIndex() < 0)
    return false;
  switch (Item()->DisplayMode()) {
  case nbdmDefault:
  case nbdmImageAndText: return true;
  case nbdmTextOnlyInMenus: return IsToolbarStyle();
  default: return false;
  }
}

TSize TTBXItemViewer::GetImageSize()
{
  TCustomImageList* list = GetImageList();
  return list ? TSize{list->Width(), list->Height()} : TSize{0, 0};
}

uint32_t TTBXItemViewer::GetTextFlags()
{
  bool hide = !AreKeyboardCuesEnabled() && View()->HideAccelsUntilKeyboard && !View()->AccelsVisible;
  return hide ? uint32_t(DT_HIDEPREFIX) : 0u;
}

TSize TTBXItemViewer::GetTextSize(TCanvas& Canvas, const std::string& Text, uint32_t TextFlags, bool Rotated)
{
  if (Rotated)
    return {Canvas.GetTextMetrics().tmHeight, GetTextWidth(Canvas, Text, true)};
  TRect r{0, 0, 0, 0};
  Canvas.DrawText(Text, r, TextFlags | DT_CALCRECT);
  return {r.Width(), r.Height()};
}

TTBXItemLayout TTBXItemViewer::EffectiveLayout()
{
  auto* x = dynamic_cast<TTBXCustomItem*>(Item());
  TTBXItemLayout l = x ? x->Layout() : tbxlAuto;
  if (l != tbxlAuto)
    return l;
  bool above = (Item()->EffectiveOptions() & tboImageAboveCaption) != 0;
  return !above && View()->Orientation() != voVertical ? tbxlGlyphLeft : tbxlGlyphTop;
}

bool TTBXItemViewer::CaptionRotated()
{
  auto* x = dynamic_cast<TTBXCustomItem*>(Item());
  bool explicitLayout = x && x->Layout() != tbxlAuto;
  return IsToolbarStyle() && View()->Orientation() == voVertical && !explicitLayout
         && !(Item()->EffectiveOptions() & tboImageAboveCaption);
}

Integer TTBXItemViewer::PopupMargin(TCanvas& Canvas)
{
  TSize img = GetImageSize();
  if (img.cx == 0 || img.cy == 0) {
    TCustomImageList* list = View()->RootItem() ? View()->RootItem()->SubMenuImages() : nullptr;
    if (!list && View()->ParentItem())
      list = View()->ParentItem()->SubMenuImages();
    if (list)
      img = {list->Width(), list->Height()};
  }
  if (img.cx == 0 || img.cy == 0)
    img = {16, 16};
  TTextMetric tm = Canvas.GetTextMetrics();
  return TBXPopupMargin(img.cx, img.cy, tm.tmHeight + tm.tmExternalLeading, Metric(TMI_MENU_ITEM_VMARGIN));
}

Integer TBXPopupMargin(Integer ImageWidth, Integer ImageHeight, Integer TextHeight, Integer VMargin)
{
  Integer m = 2 * VMargin;
  Integer h = std::max(TextHeight + m, ImageHeight + m);
  // A theme's negative margin can empty the image row: the column is then the image's.
  if (ImageHeight + m <= 0)
    return std::max(0, ImageWidth + m);
  return (ImageWidth + m) * h / (ImageHeight + m);
}

void TTBXItemViewer::CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight)
{
  TTBCustomItem* item = Item();
  TTBItemStyle style = item->ItemStyle();
  bool toolbarStyle = IsToolbarStyle();
  bool vertical = View()->Orientation() == voVertical;
  TSize img = GetImageSize();
  if (img.cx < 1 || img.cy < 1)
    img = {0, 0};
  bool imageShown = GetImageShown() && img.cx > 0;
  TTBXItemLayout layout = EffectiveLayout();
  bool rotated = CaptionRotated();
  bool captionShown = CaptionShown();
  TSize text{0, 0};
  if (captionShown)
    text = GetTextSize(Canvas, GetCaptionText(),
                       GetTextFlags() | ((rotated || !toolbarStyle) ? uint32_t(DT_SINGLELINE) : 0u), rotated);

  if (toolbarStyle) {
    AWidth = AHeight = 6;
    if (captionShown) {
      AWidth += text.cx;
      AHeight += text.cy;
      if (rotated)
        AHeight += 4;
      else
        AWidth += 4;
    }
    if (imageShown) {
      if (layout == tbxlGlyphTop) {
        AHeight += img.cy;
        AWidth = std::max(AWidth, img.cx + 7);
      } else {
        AWidth += img.cx + (FImageGap ? 1 : 0);
        AHeight = std::max(AHeight, img.cy + 6);
      }
    }
    if (style & tbisSubmenu) {
      Integer arrow = Metric(TMI_DROPDOWN_ARROWWIDTH);
      if (style & tbisSplitDropdown) {
        AWidth += Metric(TMI_SPLITBTN_ARROWWIDTH);
      } else if (item->EffectiveOptions() & tboDropdownArrow) {
        if (layout == tbxlGlyphTop && imageShown && !rotated) {
          if (!vertical)
            AWidth = std::max(AWidth, arrow + img.cx + 2 + 7);
          else
            AHeight = std::max(AHeight, arrow + img.cy + 2 + 7);
        } else if (vertical) {
          AHeight += arrow;
        } else {
          AWidth += arrow;
        }
      }
    }
  } else {
    Integer vm = Metric(TMI_MENU_ITEM_VMARGIN);
    TTextMetric tm = Canvas.GetTextMetrics();
    AWidth = 2 * Metric(TMI_MENU_ITEM_HMARGIN) + text.cx;
    AHeight = 2 * vm + text.cy + tm.tmExternalLeading;
    TSize mi = imageShown ? img : TSize{16, 16};
    AHeight = std::max(AHeight, 2 * vm + mi.cy);
    AWidth += Metric(TMI_MENU_IMGTEXTSPACE) + PopupMargin(Canvas) + Metric(TMI_MENU_LCAPTIONMARGIN)
              + Metric(TMI_MENU_RCAPTIONMARGIN);
    std::string sc = item->GetShortCutText();
    if (!sc.empty())
      AWidth += GetTextSize(Canvas, sc, DT_SINGLELINE | DT_NOPREFIX, false).cx + (AHeight - 6);
    AWidth += AHeight;
  }
  if (auto* x = dynamic_cast<TTBXCustomItem*>(item)) {
    AWidth = std::max(AWidth, x->MinWidth());
    AHeight = std::max(AHeight, x->MinHeight());
  }
}

TTBXItemInfo TTBXItemViewer::MakeItemInfo(TCanvas& Canvas, bool IsSelected, bool IsPushed)
{
  TTBCustomItem* item = Item();
  TTBView* view = View();
  bool toolbarStyle = IsToolbarStyle();
  TTBXItemInfo info;
  info.ViewType = GetViewType(view);
  if (toolbarStyle)
    info.ItemOptions |= IO_TOOLBARSTYLE;
  if (item->ItemStyle() & tbisSubmenu)
    info.ItemOptions |= IO_SUBMENUITEM;
  if (item->ItemStyle() & tbisSplitDropdown)
    info.ItemOptions |= IO_COMBO;
  if (item->HasState(csDesigning))
    info.ItemOptions |= IO_DESIGNING;
  if (ApplicationIsActive())
    info.ItemOptions |= IO_APPACTIVE;
  info.Enabled = item->Enabled() || view->Customizing();
  info.Pushed = IsPushed;
  if (IsSelected) {
    if (info.Enabled)
      info.HoverKind = 2;
    else if (!view->MouseOverSelected())
      info.HoverKind = 1;
  }
  info.Selected = item->Checked();
  TSize img = GetImageSize();
  if (GetImageShown() && img.cx > 0 && img.cy > 0) {
    info.HasImage = true;
    info.ImageWidth = img.cx;
    info.ImageHeight = img.cy;
  }
  info.IsVertical = view->Orientation() == voVertical && !(item->ItemStyle() & tbisSplitDropdown);
  info.IsPopupParent = toolbarStyle && view->OpenViewer() == this;
  if (!toolbarStyle)
    info.PopupMargin = PopupMargin(Canvas);
  return info;
}

void TTBXItemViewer::AdjustFont(TFont& Font, const TTBXItemInfo& ItemInfo)
{
  if (Item()->EffectiveOptions() & tboDefault)
    Font.SetStyle(Font.Style() | fsBold);
  auto* x = dynamic_cast<TTBXCustomItem*>(Item());
  if (!x)
    return;
  x->FontSettings().Apply(Font);
  if (x->OnAdjustFont) {
    x->OnAdjustFont(x, this, Font, StateFlags(ItemInfo));
  }
}

void TTBXItemViewer::DrawImage(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo)
{
  TCustomImageList* list = GetImageList();
  Integer index = Item()->ImageIndex();
  if (!list || index < 0 || index >= list->Count())
    return;
  CurrentTheme()->PaintImage(Canvas, ARect, ItemInfo, list, index);
  auto* x = dynamic_cast<TTBXCustomItem*>(Item());
  if (x && x->OnDrawImage) {
    TPoint offset = CurrentTheme()->GetImageOffset(ItemInfo);
    x->OnDrawImage(x, this, Canvas, ARect, offset, StateFlags(ItemInfo));
  }
}

struct TTBXItemViewer::TPaintParts {
  TTBXTheme* Theme = nullptr;
  TRect ClientAreaRect;
  TTBXItemInfo Info;
  TColor TextColor = clNone;
  bool ToolbarStyle = false, Split = false, Vertical = false, PopupOpen = false;
  TSize Img;
  bool ImageShown = false, Rotated = false, CaptionShown = false;
  uint32_t Flags = 0;
  std::string Caption;
  TSize Text;
  TTBXItemLayout Layout = tbxlAuto;
  bool Dropdown = false, ArrowBesideImage = false;
  // The place left for the caption and image, the caption's and the shortcut's rectangles.
  TRect R, C, S;
  uint32_t Format = 0;
  std::string Shortcut;
};

void TTBXItemViewer::Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed, bool)
{
  TPaintParts p;
  p.Theme = CurrentTheme();
  p.ClientAreaRect = ClientAreaRect;
  TTBCustomItem* item = Item();
  TTBView* view = View();
  TTBItemStyle style = item->ItemStyle();
  p.ToolbarStyle = IsToolbarStyle();
  p.Split = (style & tbisSplitDropdown) != 0;
  p.Vertical = view->Orientation() == voVertical;

  // A split button whose popup is open shows the open state on its arrow only.
  p.PopupOpen = false;
  if (p.Split && IsPushed && !view->Capture()) {
    p.PopupOpen = true;
    IsPushed = false;
  }
  // The record and the font.
  Canvas.Font().Assign(view->GetFont());
  p.Info = MakeItemInfo(Canvas, IsSelected, IsPushed);
  Canvas.Font().SetColor(p.Theme->GetItemTextColor(p.Info));
  AdjustFont(Canvas.Font(), p.Info);
  p.TextColor = Canvas.Font().Color();

  // Caption, image and arrow placement.
  p.Img = GetImageSize();
  if (p.Img.cx < 1 || p.Img.cy < 1)
    p.Img = {0, 0};
  p.ImageShown = GetImageShown() && p.Img.cx > 0;
  p.Rotated = CaptionRotated();
  p.CaptionShown = CaptionShown();
  p.Flags = GetTextFlags() | ((p.Rotated || !p.ToolbarStyle) ? uint32_t(DT_SINGLELINE) : 0u);
  p.Caption = p.CaptionShown ? GetCaptionText() : std::string();
  p.Text = p.CaptionShown ? GetTextSize(Canvas, p.Caption, p.Flags, p.Rotated) : TSize{0, 0};
  p.Layout = EffectiveLayout();
  p.Dropdown = (style & tbisSubmenu) && (item->EffectiveOptions() & tboDropdownArrow);
  p.ArrowBesideImage = p.ToolbarStyle && p.Dropdown && !p.Split && p.Layout == tbxlGlyphTop && p.ImageShown
                       && !p.Rotated && p.Text.cx > 0;

  p.R = ClientAreaRect;
  p.Format = p.Flags;
  if (p.ToolbarStyle)
    PaintButtonFrame(Canvas, p);
  else
    PaintMenuItemFrame(Canvas, p);
  PaintCaptions(Canvas, p);
  PaintImageOrCheck(Canvas, p);
}

// A toolbar button: its frame, the split part or the drop-down arrow; then the caption's box,
// centred in what is left.
void TTBXItemViewer::PaintButtonFrame(TCanvas& Canvas, TPaintParts& P)
{
  TTBXTheme* theme = P.Theme;
  TRect& R = P.R;
  Integer arrow = theme->GetIntegerMetric(TMI_DROPDOWN_ARROWWIDTH);
  Integer margin = theme->GetIntegerMetric(TMI_DROPDOWN_ARROWMARGIN);
  if (P.Split || P.Dropdown)
    P.Info.ComboPart = CMB_DROPDOWN;
  if (P.Split) {
    P.Info.ComboPart = CMB_SPLITBTN;
    Integer w = theme->GetIntegerMetric(TMI_SPLITBTN_ARROWWIDTH);
    TRect arrowPart{R.Right - w, R.Top, R.Right, R.Bottom};
    R.Right -= w;
    theme->PaintButton(Canvas, R, P.Info);
    TTBXItemInfo a = P.Info;
    a.ComboPart = CMB_SPLITARROW;
    a.Pushed = P.PopupOpen;
    a.Selected = false;
    theme->PaintButton(Canvas, arrowPart, a);
  } else {
    theme->PaintButton(Canvas, R, P.Info);
    if (P.Dropdown) {
      TRect A;
      if (P.ArrowBesideImage) {
        // Level with the image, which sits at the top of the button.
        Integer c = (R.Left + R.Right + arrow + P.Img.cx + 4) / 2;
        A = {c - arrow, R.Top + 2, c, R.Top + 2 + P.Img.cy + 2};
      } else if (!P.Vertical) {
        A = {R.Right - margin - arrow, R.Top, R.Right - margin, R.Bottom};
      } else {
        A = {R.Left, R.Bottom - margin - arrow, R.Right, R.Bottom - margin};
      }
      theme->PaintDropDownArrow(Canvas, A, P.Info);
      if (!P.ArrowBesideImage) {
        if (P.Vertical)
          R.Bottom -= arrow;
        else
          R.Right -= arrow;
      }
    }
  }
  R = Shrunk(R, 2);
  // Caption rectangle: the text's own box, so it is not clipped to it (the item's bounds
  // clip already).
  P.Format |= DT_CENTER | DT_VCENTER | DT_NOCLIP;
  if (P.ImageShown) {
    TRect C = R;
    if (P.Layout == tbxlGlyphLeft) {
      C.Left += P.Img.cx + 3;
      P.Format &= ~static_cast<uint32_t>(DT_CENTER);
    } else {
      C.Top += P.Img.cy + 1 + (P.Rotated ? 3 : 0);
      P.Format &= ~static_cast<uint32_t>(DT_VCENTER);
    }
    P.C = Centred(C, P.Text);
  } else {
    P.C = Centred(R, P.Text);
  }
}

// A menu item: its background, then the caption's box after the image column and the
// shortcut's at the right.
void TTBXItemViewer::PaintMenuItemFrame(TCanvas& Canvas, TPaintParts& P)
{
  TTBXTheme* theme = P.Theme;
  TRect& R = P.R;
  theme->PaintMenuItem(Canvas, P.ClientAreaRect, P.Info);
  Integer hm = theme->GetIntegerMetric(TMI_MENU_ITEM_HMARGIN);
  R.Left += hm;
  R.Right -= hm;
  TTextMetric tm = Canvas.GetTextMetrics();
  Integer left = R.Left + P.Info.PopupMargin + theme->GetIntegerMetric(TMI_MENU_IMGTEXTSPACE)
                 + theme->GetIntegerMetric(TMI_MENU_LCAPTIONMARGIN);
  TRect& C = P.C;
  C = {left, R.Top, left + P.Text.cx, R.Bottom};
  P.Format |= DT_VCENTER;
  if (R.Height() - tm.tmHeight - tm.tmExternalLeading == theme->GetIntegerMetric(TMI_MENU_ITEM_VMARGIN))
    C.Bottom -= 1;
  C.Top += tm.tmExternalLeading;
  P.Shortcut = Item()->GetShortCutText();
  if (!P.Shortcut.empty()) {
    Integer w = GetTextSize(Canvas, P.Shortcut, DT_SINGLELINE | DT_NOPREFIX, false).cx;
    P.S = {R.Right - w - R.Height(), C.Top, R.Right - R.Height(), C.Bottom};
  }
}

// The caption and the shortcut, each through the caption hook first.
void TTBXItemViewer::PaintCaptions(TCanvas& Canvas, TPaintParts& P)
{
  if (P.CaptionShown) {
    Canvas.Font().SetColor(P.TextColor);
    bool paintDefault = true;
    CaptionPaintHook(Canvas, P.ClientAreaRect, paintDefault, P.Rotated, P.C);
    if (paintDefault)
      P.Theme->PaintCaption(Canvas, P.C, P.Info, P.Caption, P.Format, P.Rotated);
  }
  if (!P.Shortcut.empty()) {
    Canvas.Font().SetColor(P.TextColor);
    bool paintDefault = true;
    CaptionPaintHook(Canvas, P.ClientAreaRect, paintDefault, false, P.S);
    if (paintDefault)
      P.Theme->PaintCaption(Canvas, P.S, P.Info, P.Shortcut, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX,
                            false);
  }
}

// The image, or the check mark of a checked menu item.
void TTBXItemViewer::PaintImageOrCheck(TCanvas& Canvas, TPaintParts& P)
{
  bool checkedMenuItem = !P.ToolbarStyle && Item()->Checked();
  if (!P.ImageShown && !checkedMenuItem)
    return;
  const TRect& R = P.R;
  TRect I = R;
  if (P.ToolbarStyle) {
    if (P.ArrowBesideImage) {
      Integer d = (P.Theme->GetIntegerMetric(TMI_DROPDOWN_ARROWWIDTH) - 1) / 2;
      I.Left -= d;
      I.Right -= d;
    }
    if (P.Layout == tbxlGlyphLeft)
      I.Right = I.Left + P.Img.cx + 2;
    else
      I.Bottom = I.Top + P.Img.cy + 2;
  } else {
    I = {R.Left, P.ClientAreaRect.Top, R.Left + P.ClientAreaRect.Height(), P.ClientAreaRect.Bottom};
  }
  if (P.ImageShown)
    DrawImage(Canvas, Centred(I, P.Img), P.Info);
  else
    P.Theme->PaintCheckMark(Canvas, I, P.Info);
}

// ---------------------------------------------------------------------------------------
// Separator viewer

const void* TTBXSeparatorItemViewer::ViewerClass() const { return &TBXSeparatorViewerClassToken; }

bool TTBXSeparatorItemViewer::IsToolbarSize()
{
  return TTBSeparatorItemViewer::IsToolbarSize() || HasViewBits(GetViewType(View()), PVT_TOOLBOX);
}

bool TTBXSeparatorItemViewer::IsToolbarStyle()
{
  return TTBSeparatorItemViewer::IsToolbarStyle() || HasViewBits(GetViewType(View()), PVT_TOOLBOX);
}

void TTBXSeparatorItemViewer::CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight)
{
  auto* sep = dynamic_cast<TTBXSeparatorItem*>(Item());
  bool toolbarStyle = IsToolbarStyle();
  Integer size = sep ? sep->Size() : -1;
  if (size == -1)
    size = CurrentTheme()->GetIntegerMetric(toolbarStyle ? TMI_TLBR_SEPARATORSIZE : TMI_MENU_SEPARATORSIZE);
  if (size < 0) {
    TTBSeparatorItemViewer::CalcSize(Canvas, AWidth, AHeight);
    return;
  }
  AHeight = size;
  AWidth = toolbarStyle ? size : 0;
}

void TTBXSeparatorItemViewer::Paint(TCanvas& Canvas, const TRect& R, bool, bool IsPushed, bool)
{
  auto* sep = dynamic_cast<TTBXSeparatorItem*>(Item());
  if (sep && sep->Size() == 0)
    return;
  bool toolbarStyle = IsToolbarStyle();
  bool vertical = View()->Orientation() == voVertical;
  TTBXItemInfo info;
  info.ViewType = GetViewType(View());
  if (toolbarStyle)
    info.ItemOptions |= IO_TOOLBARSTYLE;
  if (Item()->HasState(csDesigning))
    info.ItemOptions |= IO_DESIGNING;
  auto* base = dynamic_cast<TTBSeparatorItem*>(Item());
  info.Enabled = !(base && base->Blank());
  info.Pushed = IsPushed;
  info.IsVertical = vertical;
  if (!toolbarStyle) {
    TTBXItemViewer probe(View(), Item(), GroupLevel);
    info.PopupMargin = probe.PopupMargin(Canvas);
  }
  bool horizontal = !toolbarStyle || vertical;
  if (LineSep)
    horizontal = !horizontal;
  bool inPopup = HasViewBits(info.ViewType, VT_POPUP) && !HasViewBits(info.ViewType, PVT_CHEVRONMENU);
  bool lineDiffers = vertical != horizontal;
  CurrentTheme()->PaintSeparator(Canvas, R, info, horizontal, inPopup || lineDiffers);
}

// ---------------------------------------------------------------------------------------
// Nexus and helpers

TTBXNexus::TTBXNexus(const std::string& ThemeName)
{
  RegisterTBXDefaultTheme();
  FTheme = GetTBXTheme(ThemeName);
  AddThemeNotify(this, [this](TMessage& m) { Notify(m); });
}

TTBXNexus::~TTBXNexus()
{
  RemoveThemeNotify(this);
  if (FTheme)
    ReleaseTBXTheme(FTheme);
}

void TTBXNexus::AddThemeNotification(TControl* AControl)
{
  if (AControl && std::find(FControls.begin(), FControls.end(), AControl) == FControls.end())
    FControls.push_back(AControl);
}

void TTBXNexus::RemoveThemeNotification(TControl* AControl)
{
  FControls.erase(std::remove(FControls.begin(), FControls.end(), AControl), FControls.end());
}

void TTBXNexus::Notify(TMessage& Message)
{
  if (Message.Msg != TBXM_THEMENOTIFY)
    return;
  // Controls may come and go while they are told: walk a copy, skip the departed.
  std::vector<TControl*> list = FControls;
  for (TControl* c : list) {
    if (std::find(FControls.begin(), FControls.end(), c) == FControls.end())
      continue;
    TMessage m{TBXM_THEMEUPDATE, Message.WParam, 0, 0, Message.Time};
    c->WndProc(m);
  }
}

TTBXNexus& TBXNexus()
{
  // The manager and the registry exist before the nexus, so they outlive it.
  TBXThemeManager();
  // One for the process: the nexus holds the theme every themed control of the program
  // draws with, and tells all of them when it changes.
  // NOLINTNEXTLINE(orrelo-static-local-state)
  static std::unique_ptr<TTBXNexus> nexus = std::make_unique<TTBXNexus>("Default");
  return *nexus;
}

TTBXTheme* CurrentTheme() { return TBXNexus().Theme(); }

Integer GetViewType(TControl* Control)
{
  if (!Control)
    return VT_UNKNOWN;
  TMessage m{TBXM_VIEWTYPE, 0, 0, 0, 0};
  Control->WndProc(m);
  return static_cast<Integer>(m.Result);
}

Integer GetViewType(TTBView* View) { return View ? GetViewType(View->Window()) : VT_UNKNOWN; }

TColor GetEffectiveColor(TControl* Control)
{
  if (!Control)
    return clBtnFace;
  TMessage m{TBXM_EFFECTIVECOLOR, 0, 0, 0, 0};
  Control->WndProc(m);
  if (m.LParam == 1)
    return static_cast<TColor>(m.Result);
  if (auto* f = dynamic_cast<TCustomForm*>(Control); f && f->FormStyle() == fsMDIForm)
    return clBtnFace;
  return Control->Color();
}

void PaintThemedImage(TCanvas& Canvas, const TRect& ARect, TCustomImageList* ImageList, Integer ImageIndex,
                      Integer Flags)
{
  TTBXItemInfo info;
  info.ViewType = VT_TOOLBAR;
  info.ItemOptions = IO_TOOLBARSTYLE;
  info.Enabled = !(Flags & ISF_DISABLED);
  info.Pushed = (Flags & ISF_PUSHED) != 0;
  info.HoverKind = (Flags & ISF_HOT) ? 2 : 0;
  info.Selected = (Flags & ISF_SELECTED) != 0;
  CurrentTheme()->PaintImage(Canvas, ARect, info, ImageList, ImageIndex);
}
