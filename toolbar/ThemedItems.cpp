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

void TTBXItemViewer::Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed, bool)
{
  TTBXTheme* theme = CurrentTheme();
  TTBCustomItem* item = Item();
  TTBView* view = View();
  TTBItemStyle style = item->ItemStyle();
  bool toolbarStyle = IsToolbarStyle();
  bool split = (style & tbisSplitDropdown) != 0;
  bool vertical = view->Orientation() == voVertical;

  // A split button whose popup is open shows the open state on its arrow only.
  bool popupOpen = false;
  if (split && IsPushed && !view->Capture()) {
    popupOpen = true;
    IsPushed = false;
  }
  // The record and the font.
  Canvas.Font().Assign(view->GetFont());
  TTBXItemInfo info = MakeItemInfo(Canvas, IsSelected, IsPushed);
  Canvas.Font().SetColor(theme->GetItemTextColor(info));
  AdjustFont(Canvas.Font(), info);
  TColor textColor = Canvas.Font().Color();

  // Caption, image and arrow placement.
  TSize img = GetImageSize();
  if (img.cx < 1 || img.cy < 1)
    img = {0, 0};
  bool imageShown = GetImageShown() && img.cx > 0;
  bool rotated = CaptionRotated();
  bool captionShown = CaptionShown();
  uint32_t flags = GetTextFlags() | ((rotated || !toolbarStyle) ? uint32_t(DT_SINGLELINE) : 0u);
  std::string caption = captionShown ? GetCaptionText() : std::string();
  TSize text = captionShown ? GetTextSize(Canvas, caption, flags, rotated) : TSize{0, 0};
  TTBXItemLayout layout = EffectiveLayout();
  bool dropdown = (style & tbisSubmenu) && (item->EffectiveOptions() & tboDropdownArrow);
  bool arrowBesideImage =
      toolbarStyle && dropdown && !split && layout == tbxlGlyphTop && imageShown && !rotated && text.cx > 0;

  TRect R = ClientAreaRect;
  TRect C;
  uint32_t format = flags;
  std::string shortcut;
  TRect S;
  if (toolbarStyle) {
    // Frame and arrow.
    Integer arrow = theme->GetIntegerMetric(TMI_DROPDOWN_ARROWWIDTH);
    Integer margin = theme->GetIntegerMetric(TMI_DROPDOWN_ARROWMARGIN);
    if (split || dropdown)
      info.ComboPart = CMB_DROPDOWN;
    if (split) {
      info.ComboPart = CMB_SPLITBTN;
      Integer w = theme->GetIntegerMetric(TMI_SPLITBTN_ARROWWIDTH);
      TRect arrowPart{R.Right - w, R.Top, R.Right, R.Bottom};
      R.Right -= w;
      theme->PaintButton(Canvas, R, info);
      TTBXItemInfo a = info;
      a.ComboPart = CMB_SPLITARROW;
      a.Pushed = popupOpen;
      a.Selected = false;
      theme->PaintButton(Canvas, arrowPart, a);
    } else {
      theme->PaintButton(Canvas, R, info);
      if (dropdown) {
        TRect A;
        if (arrowBesideImage) {
          // Level with the image, which sits at the top of the button.
          Integer c = (R.Left + R.Right + arrow + img.cx + 4) / 2;
          A = {c - arrow, R.Top + 2, c, R.Top + 2 + img.cy + 2};
        } else if (!vertical) {
          A = {R.Right - margin - arrow, R.Top, R.Right - margin, R.Bottom};
        } else {
          A = {R.Left, R.Bottom - margin - arrow, R.Right, R.Bottom - margin};
        }
        theme->PaintDropDownArrow(Canvas, A, info);
        if (!arrowBesideImage) {
          if (vertical)
            R.Bottom -= arrow;
          else
            R.Right -= arrow;
        }
      }
    }
    R = Shrunk(R, 2);
    // Caption rectangle: the text's own box, so it is not clipped to it (the item's
    // bounds clip already).
    format |= DT_CENTER | DT_VCENTER | DT_NOCLIP;
    if (imageShown) {
      C = R;
      if (layout == tbxlGlyphLeft) {
        C.Left += img.cx + 3;
        format &= ~static_cast<uint32_t>(DT_CENTER);
      } else {
        C.Top += img.cy + 1 + (rotated ? 3 : 0);
        format &= ~static_cast<uint32_t>(DT_VCENTER);
      }
      C = Centred(C, text);
    } else {
      C = Centred(R, text);
    }
  } else {
    // Menus.
    theme->PaintMenuItem(Canvas, ClientAreaRect, info);
    Integer hm = theme->GetIntegerMetric(TMI_MENU_ITEM_HMARGIN);
    R.Left += hm;
    R.Right -= hm;
    TTextMetric tm = Canvas.GetTextMetrics();
    Integer left = R.Left + info.PopupMargin + theme->GetIntegerMetric(TMI_MENU_IMGTEXTSPACE)
                   + theme->GetIntegerMetric(TMI_MENU_LCAPTIONMARGIN);
    C = {left, R.Top, left + text.cx, R.Bottom};
    format |= DT_VCENTER;
    if (R.Height() - tm.tmHeight - tm.tmExternalLeading == theme->GetIntegerMetric(TMI_MENU_ITEM_VMARGIN))
      C.Bottom -= 1;
    C.Top += tm.tmExternalLeading;
    shortcut = item->GetShortCutText();
    if (!shortcut.empty()) {
      Integer w = GetTextSize(Canvas, shortcut, DT_SINGLELINE | DT_NOPREFIX, false).cx;
      S = {R.Right - w - R.Height(), C.Top, R.Right - R.Height(), C.Bottom};
    }
  }

  // Caption and shortcut.
  if (captionShown) {
    Canvas.Font().SetColor(textColor);
    bool paintDefault = true;
    CaptionPaintHook(Canvas, ClientAreaRect, paintDefault, rotated, C);
    if (paintDefault)
      theme->PaintCaption(Canvas, C, info, caption, format, rotated);
  }
  if (!shortcut.empty()) {
    Canvas.Font().SetColor(textColor);
    bool paintDefault = true;
    CaptionPaintHook(Canvas, ClientAreaRect, paintDefault, false, S);
    if (paintDefault)
      theme->PaintCaption(Canvas, S, info, shortcut, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX, false);
  }

  // Image, or the check mark of a checked menu item.
  bool checkedMenuItem = !toolbarStyle && item->Checked();
  if (imageShown || checkedMenuItem) {
    TRect I = R;
    if (toolbarStyle) {
      if (arrowBesideImage) {
        Integer d = (theme->GetIntegerMetric(TMI_DROPDOWN_ARROWWIDTH) - 1) / 2;
        I.Left -= d;
        I.Right -= d;
      }
      if (layout == tbxlGlyphLeft)
        I.Right = I.Left + img.cx + 2;
      else
        I.Bottom = I.Top + img.cy + 2;
    } else {
      I = {R.Left, ClientAreaRect.Top, R.Left + ClientAreaRect.Height(), ClientAreaRect.Bottom};
    }
    if (imageShown)
      DrawImage(Canvas, Centred(I, img), info);
    else
      theme->PaintCheckMark(Canvas, I, info);
  }
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
