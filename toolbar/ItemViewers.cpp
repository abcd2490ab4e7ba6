// Item viewers: measuring and painting one item, its hint, and its reaction to the mouse.
#include "platform/SysSettings.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/Items.h"

TTBItemViewer::TTBItemViewer(TTBView* AView, TTBCustomItem* AItem, Integer AGroupLevel)
    : GroupLevel(AGroupLevel), FView(AView), FItem(AItem)
{
  AddClickQueueRef();
}

TTBItemViewer::~TTBItemViewer()
{
  if (AccObjectInstance)
    TBAccClientDestroying(AccObjectInstance);
  ReleaseClickQueueRef(this);
}

bool TTBItemViewer::IsToolbarStyle() { return FView->IsToolbar() || (FItem->EffectiveOptions() & tboToolbarStyle); }
bool TTBItemViewer::IsToolbarSize() { return FView->IsToolbar() || (FItem->EffectiveOptions() & tboToolbarSize); }

bool TTBItemViewer::UsesSameWidth()
{
  TTBItemOptions o = FItem->EffectiveOptions();
  return (o & tboImageAboveCaption) && (o & tboSameWidth) && IsToolbarSize();
}

std::string TTBItemViewer::GetCaptionText()
{
  const std::string& c = FItem->Caption();
  size_t tab = c.find('\t');
  return tab == std::string::npos ? c : c.substr(0, tab);
}

bool TTBItemViewer::CaptionShown()
{
  if (!GetCaptionText().empty()
      && (!IsToolbarStyle() || FItem->ImageIndex() < 0 || FItem->DisplayMode() == nbdmTextOnly
          || FItem->DisplayMode() == nbdmImageAndText))
    return true;
  return (FItem->EffectiveOptions() & tboImageAboveCaption) != 0;
}

bool TTBItemViewer::ImageShown()
{
  if (FItem->ImageIndex() < 0)
    return false;
  switch (FItem->DisplayMode()) {
  case nbdmDefault:
  case nbdmImageAndText: return true;
  case nbdmTextOnlyInMenus: return IsToolbarStyle();
  default: return false;
  }
}

TCustomImageList* TTBItemViewer::GetImageList()
{
  if (FItem->Images())
    return FItem->Images();
  for (TTBView* v = FView; v; v = v->ParentView()) {
    if (v->RootItem() && v->RootItem()->SubMenuImages())
      return v->RootItem()->SubMenuImages();
    if (v->ParentItem() && v->ParentItem()->SubMenuImages())
      return v->ParentItem()->SubMenuImages();
  }
  return nullptr;
}

bool TTBItemViewer::IsRotated()
{
  return FView->Orientation() == voVertical && !(FItem->EffectiveOptions() & (tboNoRotation | tboImageAboveCaption));
}

bool TTBItemViewer::IsPtInButtonPart(Integer X, Integer)
{
  if (FItem->ItemStyle() & tbisSplitDropdown) {
    Integer a = IsToolbarStyle() ? 11 : SystemSettings().MenuCheckWidth;
    return X < BoundsRect.Width() - a;
  }
  return !(FItem->ItemStyle() & tbisSubmenu);
}

Integer TTBItemViewer::GetAccRole()
{
  if (dynamic_cast<TTBControlItem*>(FItem))
    return 10;
  if (FItem->ItemStyle() & tbisSeparator)
    return 21;
  if (!FView->IsToolbar() || FView->MenuBar)
    return 12;
  return (FItem->ItemStyle() & tbisSubmenu) ? 57 : 43;
}

void TTBItemViewer::Entering(TTBItemViewer*)
{
  if (FItem->OnSelect)
    FItem->OnSelect(FItem, this, true);
}

void TTBItemViewer::Leaving()
{
  if (FItem->OnSelect)
    FItem->OnSelect(FItem, this, false);
}

void TTBItemViewer::LosingCapture() { FView->Invalidate(this); }

bool TTBItemViewer::DoExecute()
{
  FView->EndModalWithClick(this);
  return true;
}

void TTBItemViewer::Execute(bool AGivePriority)
{
  if (DoExecute() && AGivePriority)
    FView->GivePriority(this);
}

std::string TTBItemViewer::GetHint()
{
  std::string h = GetShortHint(FItem->Hint());
  if (h.empty() && !(FItem->EffectiveOptions() & tboNoAutoHint)) {
    if ((FItem->ItemStyle() & tbisSubmenu) && !(FItem->ItemStyle() & tbisSplitDropdown) && CaptionShown())
      h.clear();
    else
      h = StripAccelChars(StripTrailingPunctuation(GetCaptionText()));
  }
  // The action may change the hint, or decline it.
  if (auto* a = dynamic_cast<TCustomAction*>(FItem->Action()))
    if (!a->DoHint(h))
      h.clear();
  if (SystemSettings().ShowShortcutsInHints && FItem->GetShortCut() != 0)
    h = h + " (" + ShortCutToText(FItem->GetShortCut()) + ")";
  return h;
}

void TTBItemViewer::CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight)
{
  bool toolbarStyle = IsToolbarStyle();
  AWidth = toolbarStyle ? 6 : 0;
  AHeight = toolbarStyle ? 6 : 0;
  TCustomImageList* images = GetImageList();
  bool imageAbove = (FItem->EffectiveOptions() & tboImageAboveCaption) != 0;
  if (!toolbarStyle || CaptionShown()) {
    Integer textH = GetTextHeight(Canvas);
    Integer textW = GetTextWidth(Canvas, GetCaptionText(), true);
    if (IsRotated()) {
      AWidth += textH;
      AHeight += textW;
      if (toolbarStyle)
        AHeight += 6;
    } else {
      AHeight += textH;
      AWidth += textW;
      if (toolbarStyle)
        AWidth += 6;
    }
  }
  if (toolbarStyle && ImageShown() && images) {
    if (!IsRotated() && !imageAbove) {
      AWidth += images->Width() + 1;
      AHeight = std::max(AHeight, images->Height() + 6);
    } else {
      AHeight += images->Height();
      AWidth = std::max(AWidth, images->Width() + 7);
    }
  }
  if (toolbarStyle && (FItem->ItemStyle() & tbisSubmenu)) {
    if (FItem->ItemStyle() & tbisSplitDropdown)
      AWidth += 11;
    else if (FItem->EffectiveOptions() & tboDropdownArrow) {
      if (FView->Orientation() == voVertical)
        AHeight += 8;
      else
        AWidth += 8;
    }
  }
  if (!toolbarStyle) {
    AHeight += Canvas.GetTextMetrics().tmExternalLeading + 4;
    Integer column;
    if (images) {
      AHeight = std::max(AHeight, images->Height() + 3);
      column = MulDiv(images->Width() + 3, AHeight, images->Height() + 3);
    } else {
      column = AHeight;
    }
    AWidth += column + 6;
    std::string sc = FItem->GetShortCutText();
    if (!sc.empty())
      AWidth += GetTextWidth(Canvas, sc, false) + AHeight - 6;
    AWidth += AHeight;
  }
}

void TTBItemViewer::DrawItemCaption(TCanvas& Canvas, TRect ARect, const std::string& ACaption, bool, uint32_t AFormat)
{
  if (IsRotated())
    DrawRotatedText(Canvas, ACaption, ARect, AFormat);
  else
    Canvas.DrawText(ACaption, ARect, AFormat);
}

namespace {

// A filled triangle in the current text colour (or embossed when disabled).
void DrawArrow(TCanvas& Canvas, const std::vector<TPoint>& pts, bool disabledShadow)
{
  auto draw = [&](TColor c, Integer dx) {
    std::vector<TPoint> p = pts;
    for (TPoint& q : p) {
      q.X += dx;
      q.Y += dx;
    }
    Canvas.Pen().SetColor(c);
    Canvas.Brush().SetColor(c);
    Canvas.Polygon(p);
  };
  if (disabledShadow) {
    draw(clBtnHighlight, 1);
    draw(clBtnShadow, 0);
  } else {
    draw(Canvas.TextColor(), 0);
  }
}

void Checkerboard(TCanvas& Canvas, const TRect& r)
{
  TBitmap pattern(8, 8, TPixelFormat::pf24bit);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      pattern.SetPixel(x, y, ((x + y) & 1) ? ColorToRGB(clBtnHighlight) : ColorToRGB(clBtnFace));
  TBrush saved;
  saved.Assign(Canvas.Brush());
  Canvas.Brush().SetBitmap(&pattern);
  Canvas.FillRect(r);
  Canvas.Brush().SetBitmap(nullptr);
  Canvas.Brush().Assign(saved);
}

}   // namespace

struct TTBItemViewer::TPaintParts {
  TRect R;
  bool IsSelected = false, IsPushed = false, UseDisabledShadow = false;
  TTBItemStyle Style = 0;
  bool ToolbarStyle = false;
  bool ShowEnabled = false;
  bool HasArrow = false;
  TCustomImageList* Images = nullptr;
  bool DrawImage = false;
  bool Checked = false;
  bool Capture = false;
  // The image column's width in menus.
  Integer ImageColumn = 0;
  // Where a toolbar button's caption and image go, inside its frame and arrow.
  TRect Content;
};

void TTBItemViewer::Paint(TCanvas& Canvas, const TRect& R, bool IsSelected, bool IsPushed, bool UseDisabledShadow)
{
  TPaintParts p;
  p.R = R;
  p.IsSelected = IsSelected;
  p.IsPushed = IsPushed;
  p.UseDisabledShadow = UseDisabledShadow;
  p.Style = FItem->ItemStyle();
  p.ToolbarStyle = IsToolbarStyle();
  p.ShowEnabled = FItem->Enabled() || FView->Customizing();
  p.HasArrow =
      (p.Style & tbisSubmenu) && ((p.Style & tbisSplitDropdown) || (FItem->EffectiveOptions() & tboDropdownArrow));
  p.Images = GetImageList();
  p.DrawImage = ImageShown() && p.Images;
  p.Checked = FItem->Checked();
  p.Capture = FView->Capture();
  p.Content = R;
  if (!p.ToolbarStyle)
    PaintMenuSelection(Canvas, p);
  else
    PaintToolbarFrame(Canvas, p);
  if (CaptionShown())
    PaintCaption(Canvas, p);
  if (!p.ToolbarStyle && (p.Style & tbisSubmenu))
    PaintSubmenuArrow(Canvas, p);
  PaintImage(Canvas, p);
}

// A menu item: the selection's fill, right of the image column.
void TTBItemViewer::PaintMenuSelection(TCanvas& Canvas, TPaintParts& P)
{
  const TRect& R = P.R;
  P.ImageColumn = P.Images ? MulDiv(P.Images->Width() + 3, R.Height(), P.Images->Height() + 3) : R.Height();
  if (!P.IsSelected)
    return;
  TRect fill = R;
  if (P.DrawImage || P.Checked)
    fill.Left += P.ImageColumn + 1;
  if ((P.Style & tbisSplitDropdown) && FItem->Enabled())
    fill.Right -= SystemSettings().MenuCheckWidth;
  Canvas.FillRect(fill);
}

// A toolbar button: the split part's arrow, the button's edge (checked ones on a
// checkerboard), the drop-down arrow; the content moves with a pushed look.
void TTBItemViewer::PaintToolbarFrame(TCanvas& Canvas, TPaintParts& P)
{
  const TRect& R = P.R;
  TRect button = R;
  if (P.Style & tbisSplitDropdown) {
    button.Right -= 11;
    TRect arrow{R.Right - 11, R.Top, R.Right - 2, R.Bottom};
    if (P.IsSelected && P.ShowEnabled) {
      TRect a = arrow;
      Canvas.DrawEdge(a, (P.IsPushed && !P.Capture) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    Integer cx = (arrow.Left + arrow.Right) / 2, cy = (arrow.Top + arrow.Bottom) / 2;
    if (P.IsPushed && !P.Capture) {
      ++cx;
      ++cy;
    }
    DrawArrow(Canvas, {{cx - 2, cy - 1}, {cx + 2, cy - 1}, {cx, cy + 1}}, P.UseDisabledShadow);
  }
  bool pushedLook = (P.Style & tbisSplitDropdown) ? (P.IsPushed && P.Capture) : P.IsPushed;
  if ((P.IsSelected && P.ShowEnabled) || P.Checked) {
    if (P.Checked && !(P.IsSelected && P.ShowEnabled)) {
      TRect inner{button.Left + 1, button.Top + 1, button.Right - 1, button.Bottom - 1};
      Checkerboard(Canvas, inner);
    }
    TRect b = button;
    Canvas.DrawEdge(b, (pushedLook || P.Checked) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  P.Content = button;
  if (P.Checked || (P.IsSelected && pushedLook)) {
    P.Content.Left += 1;
    P.Content.Top += 1;
    P.Content.Right += 1;
    P.Content.Bottom += 1;
  }
  if (!P.HasArrow || (P.Style & tbisSplitDropdown))
    return;
  TRect arrow = FView->Orientation() == voVertical ? TRect{0, R.Bottom - 11, R.Right, R.Bottom - 3}
                                                   : TRect{R.Right - 11, 0, R.Right - 3, R.Bottom};
  Integer cx = (arrow.Left + arrow.Right) / 2, cy = (arrow.Top + arrow.Bottom) / 2;
  if (P.IsPushed) {
    ++cx;
    ++cy;
  }
  if (IsRotated())
    DrawArrow(Canvas, {{cx - 1, cy + 2}, {cx - 1, cy - 2}, {cx - 3, cy}}, P.UseDisabledShadow);
  else
    DrawArrow(Canvas, {{cx - 2, cy - 1}, {cx + 2, cy - 1}, {cx, cy + 1}}, P.UseDisabledShadow);
  if (FView->Orientation() == voVertical)
    P.Content.Bottom -= 8;
  else
    P.Content.Right -= 8;
}

// The caption (bold for the default item, embossed when disabled) and, in menus, the
// shortcut text right-aligned one row height short of the right edge.
void TTBItemViewer::PaintCaption(TCanvas& Canvas, const TPaintParts& P)
{
  const TRect& R = P.R;
  TFontStyles savedStyle = Canvas.Font().Style();
  TColor textColor = Canvas.TextColor();
  if (FItem->EffectiveOptions() & tboDefault)
    Canvas.Font().SetStyle(savedStyle | fsBold);
  Canvas.SetTextColor(textColor);
  uint32_t format = DT_SINGLELINE | DT_VCENTER;
  if (P.ToolbarStyle)
    format |= DT_CENTER;
  bool hideAccels = !AreKeyboardCuesEnabled() && FView->HideAccelsUntilKeyboard && !FView->AccelsVisible;
  if (hideAccels)
    format |= DT_HIDEPREFIX;
  TRect tr = P.Content;
  if (!P.ToolbarStyle) {
    tr.Left = R.Left + P.ImageColumn + 3;
    Integer th = GetTextHeight(Canvas) + Canvas.GetTextMetrics().tmExternalLeading;
    if (R.Height() - th == 4)
      tr.Bottom -= 1;
    tr.Top += Canvas.GetTextMetrics().tmExternalLeading;
  } else if (P.DrawImage) {
    if (IsRotated() || (FItem->EffectiveOptions() & tboImageAboveCaption))
      tr.Top += P.Images->Height() + 1;
    else
      tr.Left += P.Images->Width() + 1;
  }
  Canvas.SetBkMode(TRANSPARENT);
  auto drawCaption = [&](TRect r) { DrawItemCaption(Canvas, r, GetCaptionText(), P.UseDisabledShadow, format); };
  if (!FItem->Enabled() && P.UseDisabledShadow && !FView->Customizing()) {
    Canvas.SetTextColor(ColorToRGB(clBtnHighlight));
    drawCaption({tr.Left + 1, tr.Top + 1, tr.Right + 1, tr.Bottom + 1});
    Canvas.SetTextColor(ColorToRGB(clBtnShadow));
  }
  drawCaption(tr);
  if (!P.ToolbarStyle) {
    std::string sc = FItem->GetShortCutText();
    if (!sc.empty()) {
      TRect sr = tr;
      sr.Left = R.Left;
      sr.Right = R.Right - R.Height();
      Canvas.DrawText(sc, sr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    }
  }
  Canvas.SetTextColor(textColor);
  Canvas.Font().SetStyle(savedStyle);
  Canvas.SetTextColor(textColor);
}

// A submenu's arrow at a menu item's right end, with the divider of a split item.
void TTBItemViewer::PaintSubmenuArrow(TCanvas& Canvas, const TPaintParts& P)
{
  const TRect& R = P.R;
  Integer aw = SystemSettings().MenuCheckWidth;
  if (P.Style & tbisSplitDropdown) {
    TRect div{R.Right - aw - 2, R.Top + 1, R.Right - aw, R.Bottom - 1};
    Canvas.DrawEdge(div, P.IsSelected ? BDR_SUNKENOUTER : EDGE_ETCHED, BF_LEFT);
  }
  Integer cx = R.Right - aw / 2 - 2, cy = (R.Top + R.Bottom) / 2;
  DrawArrow(Canvas, {{cx - 2, cy - 4}, {cx - 2, cy + 4}, {cx + 2, cy}}, !FItem->Enabled() && P.UseDisabledShadow);
}

// The image column in menus (a check mark where a checked item has no image), the image
// box in toolbars.
void TTBItemViewer::PaintImage(TCanvas& Canvas, const TPaintParts& P)
{
  const TRect& R = P.R;
  TRect imageBox;
  if (!P.ToolbarStyle) {
    if (P.DrawImage || P.Checked) {
      TRect col{R.Left, R.Top, R.Left + P.ImageColumn, R.Bottom};
      if (P.Checked && !P.IsSelected)
        Checkerboard(Canvas, {col.Left + 1, col.Top + 1, col.Right - 1, col.Bottom - 1});
      if (P.Checked || (P.IsSelected && FItem->Enabled())) {
        TRect e = col;
        Canvas.DrawEdge(e, P.Checked ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      }
      imageBox = col;
      if (P.Checked) {
        imageBox.Left += 1;
        imageBox.Top += 1;
        imageBox.Right += 1;
        imageBox.Bottom += 1;
      }
    }
  } else if (P.DrawImage) {
    const TRect& content = P.Content;
    imageBox = {content.Left + 2, content.Top, content.Left + 2 + P.Images->Width() + 2, content.Bottom};
    if (IsRotated() || (FItem->EffectiveOptions() & tboImageAboveCaption) || !CaptionShown())
      imageBox = {content.Left, content.Top + 2, content.Right, content.Top + 2 + P.Images->Height() + 2};
    if (!CaptionShown())
      imageBox = content;
  }
  if (P.DrawImage) {
    Integer x = imageBox.Left + (imageBox.Width() - P.Images->Width()) / 2;
    Integer y = imageBox.Top + (imageBox.Height() - P.Images->Height()) / 2;
    if (auto* stateList = dynamic_cast<TTBCustomImageList*>(P.Images))
      stateList->DrawState(Canvas, x, y, FItem->ImageIndex(), P.ShowEnabled, P.IsSelected, P.Checked);
    else
      P.Images->Draw(Canvas, x, y, FItem->ImageIndex(), P.ShowEnabled);
  } else if (!P.ToolbarStyle && P.Checked) {
    // A check mark: two strokes in the text colour.
    Integer cx = imageBox.Left + imageBox.Width() / 2, cy = imageBox.Top + imageBox.Height() / 2;
    Canvas.Pen().SetColor(Canvas.TextColor());
    for (int d = 0; d < 3; ++d) {
      Canvas.MoveTo(cx - 3, cy - 1 + d);
      Canvas.LineTo(cx - 1, cy + 1 + d);
      Canvas.LineTo(cx + 4, cy - 4 + d);
    }
  }
}

void TTBItemViewer::MouseDown(TShiftState Shift, Integer X, Integer Y, bool& MouseDownOnMenu)
{
  TTBView* view = FView;
  if (!FItem->Enabled()) {
    if (!view->ParentView() && view->IsToolbar())
      view->EndModal();
    return;
  }
  if (IsPtInButtonPart(X, Y)) {
    if (IsToolbarStyle()) {
      view->SetCapture(true);
      view->Invalidate(this);
      view->MenuMode = false;
    }
    return;
  }
  bool wasOpen = view->OpenViewer() == this;
  view->OpenChildPopup(false);
  if (wasOpen && !view->ParentView() && view->IsToolbar())
    MouseDownOnMenu = true;
  if ((Shift & ssDouble) && !(FItem->ItemStyle() & tbisSplitDropdown) && view->OpenViewerView()) {
    TTBView* child = view->OpenViewerView();
    for (Integer i = 0; i < child->ViewerCount(); ++i) {
      TTBItemViewer* v = child->Viewers(i);
      TTBCustomItem* it = v->Item();
      if (v->Show && it->Enabled() && it->Visible() && (it->ItemStyle() & tbisSelectable)
          && (it->EffectiveOptions() & tboDefault)) {
        v->Execute(true);
        break;
      }
    }
  }
}

void TTBItemViewer::MouseUp(Integer X, Integer Y, bool MouseWasDownOnMenu)
{
  TTBView* view = FView;
  bool topToolbar = !view->ParentView() && view->IsToolbar();
  bool hadCapture = view->Capture();
  if (hadCapture) {
    view->SetCapture(false);
    view->Invalidate(this);
  }
  TPoint p = view->Window()->ScreenToClient(GetCursorPos());
  bool over = view->Selected() == this && BoundsRect.Contains(p);
  (void)X;
  (void)Y;
  if (over && FItem->Enabled() && !(FItem->ItemStyle() & tbisClickThrough)) {
    if ((FItem->ItemStyle() & tbisSubmenu) && !IsPtInButtonPart(p.X - BoundsRect.Left, p.Y - BoundsRect.Top)) {
      if (MouseWasDownOnMenu && topToolbar)
        view->EndModal();
      return;
    }
    if (IsToolbarStyle() && !hadCapture)
      return;
    Execute(true);
    return;
  }
  if (topToolbar)
    view->EndModal();
}

// ---------------------------------------------------------------------------------------

void TTBSeparatorItemViewer::CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight)
{
  if (IsToolbarStyle()) {
    AWidth = 6;
    AHeight = 6;
  } else {
    AWidth = 0;
    AHeight = DivRoundUp(GetTextHeight(Canvas) * 2, 3);
  }
}

void TTBSeparatorItemViewer::Paint(TCanvas& Canvas, const TRect& R, bool, bool, bool)
{
  auto* sep = dynamic_cast<TTBSeparatorItem*>(Item());
  if (sep && sep->Blank())
    return;
  bool horizontal = !IsToolbarStyle() || View()->Orientation() == voVertical;
  if (LineSep)
    horizontal = !horizontal;
  if (horizontal) {
    Integer inset = !IsToolbarStyle() ? 12 : (LineSep ? (View()->Orientation() == voFloating ? 1 : 4) : 0);
    TRect r{R.Left + inset, R.Height() / 2 - 1, R.Right - inset, R.Height() / 2 + 1};
    Canvas.DrawEdge(r, EDGE_ETCHED, BF_TOP);
  } else {
    Integer inset = LineSep ? 4 : 0;
    TRect r{R.Width() / 2 - 1, R.Top + inset, R.Width() / 2 + 1, R.Bottom - inset};
    Canvas.DrawEdge(r, EDGE_ETCHED, BF_LEFT);
  }
}
