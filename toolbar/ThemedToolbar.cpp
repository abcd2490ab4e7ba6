// Themed popups, the themed chevron, the themed toolbar with the colour it takes from its
// parent, and its floating window.
#include <algorithm>

#include "toolbar/PopupAnimation.h"
#include "toolbar/KitHelpers.h"
#include "toolbar/ThemedItems.h"

// ---------------------------------------------------------------------------------------
// Popup window

TTBXPopupWindow::~TTBXPopupWindow() { DestroyShadow(); }

Integer TTBXPopupWindow::ViewType() const
{
  TTBCustomItem* parent = View() ? View()->ParentItem() : nullptr;
  if (auto* x = dynamic_cast<TTBXCustomItem*>(parent); x && x->ToolBoxPopup())
    return PVT_TOOLBOX;
  return PVT_POPUPMENU;
}

bool TTBXPopupWindow::ShadowWanted() const { return !HasViewBits(ViewType(), PVT_LISTBOX); }

TPoint TTBXPopupWindow::GetNCSize() const
{
  TPoint border;
  CurrentTheme()->GetViewBorder(ViewType(), border);
  return border;
}

void TTBXPopupWindow::CreateParams(TCreateParams& Params)
{
  TTBPopupWindow::CreateParams(Params);
  Params.WindowClassStyle &= ~0x20008u;
  if (CurrentTheme()->GetPopupShadowType() == PST_WINDOWSXP && SystemSettings().DropShadow.value_or(false))
    Params.WindowClassStyle |= CS_DROPSHADOW;
}

TRect TTBXPopupWindow::ParentItemScreenRect() const
{
  TTBView* parent = View() ? View()->ParentView() : nullptr;
  TTBItemViewer* v = parent ? parent->OpenViewer() : nullptr;
  if (!v || !v->IsToolbarStyle() || !parent->Window())
    return {};
  TPoint tl = parent->Window()->ClientToScreen({v->BoundsRect.Left, v->BoundsRect.Top});
  return Bounds(tl.X, tl.Y, v->BoundsRect.Width(), v->BoundsRect.Height());
}

void TTBXPopupWindow::CreateShadow()
{
  DestroyShadow();
  Integer kind = CurrentTheme()->GetPopupShadowType();
  if (kind != PST_OFFICEXP && kind != PST_WINDOWS2K)
    return;
  FShadows = std::make_unique<TShadows>(Bounds(Left(), Top(), Width(), Height()), ParentItemScreenRect(), 4, 255,
                                        TBXSystemValues().TBXLoColor);
  FShadows->Show(this);
}

void TTBXPopupWindow::DestroyShadow() { FShadows.reset(); }

void TTBXPopupWindow::SetBounds(Integer left, Integer top, Integer width, Integer height)
{
  TTBPopupWindow::SetBounds(left, top, width, height);
  if (FShadows)
    CreateShadow();
}

void TTBXPopupWindow::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case TBXM_VIEWTYPE: Message.Result = ViewType(); return;
  case TBM_POPUPNOTIFY:
    if ((Message.WParam == 2 || Message.WParam == 3) && ShadowWanted())
      CreateShadow();
    break;
  default: break;
  }
  TTBPopupWindow::WndProc(Message);
}

void TTBXPopupWindow::PaintNonClient(TCanvas& Canvas)
{
  if (DrawAnimationFrame(this, Canvas, {0, 0}))
    return;
  TTBXPopupInfo info;
  info.WindowHandle = this;
  info.ViewType = ViewType();
  info.BorderSize = GetNCSize();
  TRect p = ParentItemScreenRect();
  if (!p.IsEmpty())
    info.ParentRect = {p.Left - Left(), p.Top - Top(), p.Right - Left(), p.Bottom - Top()};
  CurrentTheme()->PaintPopupNCArea(Canvas, {0, 0, Width(), Height()}, info);
}

void TTBXPopupWindow::Paint()
{
  TCanvas& c = Canvas();
  // The client area shows its part of the sliding picture.
  if (DrawAnimationFrame(this, c, GetNCSize()))
    return;
  Integer vt = ViewType();
  TRect cr = ClientRect();
  CurrentTheme()->PaintBackgnd(c, {}, cr, cr, CurrentTheme()->GetViewColor(vt), false, vt);
  View()->DrawSubitems(c);
  PaintScrollArrows(c);
}

// ---------------------------------------------------------------------------------------
// Chevron

namespace {
const char TBXChevronViewerClassToken = 0;
}

std::unique_ptr<TTBItemViewer> TTBXChevronItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  return std::make_unique<TTBXChevronItemViewer>(AView, this, AGroupLevel);
}

const void* TTBXChevronItem::GetItemViewerClass(TTBView*) const { return &TBXChevronViewerClassToken; }
const void* TTBXChevronItemViewer::ViewerClass() const { return &TBXChevronViewerClassToken; }

std::unique_ptr<TTBPopupWindow> TTBXChevronItem::CreatePopupWindow(TTBView* ParentView, TTBCustomItem* ItemToShow,
                                                                   bool Customizing)
{
  return std::make_unique<TTBXChevronPopupWindow>(ParentView, ItemToShow, Customizing);
}

void TTBXChevronItemViewer::Paint(TCanvas& Canvas, const TRect& R, bool IsSelected, bool IsPushed, bool)
{
  TTBXItemInfo info;
  info.ViewType = GetViewType(View());
  info.ItemOptions = IO_TOOLBARSTYLE | (ApplicationIsActive() ? uint32_t(IO_APPACTIVE) : 0u);
  info.Enabled = Item()->Enabled() || View()->Customizing();
  info.Pushed = IsPushed;
  info.HoverKind = IsSelected ? (info.Enabled ? 2 : 1) : 0;
  info.IsVertical = View()->Orientation() == voVertical;
  info.IsPopupParent = View()->OpenViewer() == this;
  CurrentTheme()->PaintChevron(Canvas, R, info);
}

// ---------------------------------------------------------------------------------------
// Toolbar view

void TTBXToolbarView::GetMargins(TTBViewOrientation AOrientation, TTBMargins& Margins)
{
  Integer vt = GetViewType(Toolbar()) & ~TVT_FLOATING;
  if (AOrientation == voFloating)
    vt |= TVT_FLOATING;
  TTBXMargins m;
  CurrentTheme()->GetViewMargins(vt, m);
  Margins = {m.LeftWidth, m.TopHeight, m.RightWidth, m.BottomHeight};
}

// ---------------------------------------------------------------------------------------
// Toolbar

namespace {

TTBToolbarClasses ThemedClasses()
{
  TTBToolbarClasses c;
  c.ViewClass = [](TTBCustomToolbar* t) { return std::make_unique<TTBXToolbarView>(t); };
  c.ChevronClass = [](TTBCustomToolbar* t) { return std::make_unique<TTBXChevronItem>(t); };
  return c;
}

}   // namespace

TTBXToolbar::TTBXToolbar() : TTBCustomToolbar(ThemedClasses())
{
  TBXNexus().AddThemeNotification(this);
  FEffectiveColor = TTBCustomToolbar::Color();
  TTBCustomToolbar::SetColor(clNone);
  SetControlStyle(ControlStyle() & ~csOpaque);
  SetDblClickUndock(false);
  UpdateEffectiveColor();
}

TTBXToolbar::~TTBXToolbar()
{
  TBXNexus().RemoveThemeNotification(this);
  DestroyHandle();
}

Integer TTBXToolbar::ViewType() const
{
  Integer vt = MenuBar() ? TVT_MENUBAR : TVT_NORMALTOOLBAR;
  if (Floating())
    vt |= TVT_FLOATING;
  if (Resizable())
    vt |= TVT_RESIZABLE;
  if (FItemTransparency == itDisable || (FItemTransparency == itAuto && !Floating() && !Docked()))
    vt |= TVT_EMBEDDED;
  return vt;
}

void TTBXToolbar::SetItemTransparency(TTBXItemTransparency Value)
{
  if (Value == FItemTransparency)
    return;
  FItemTransparency = Value;
  Invalidate();
}

void TTBXToolbar::SetSnapDistance(Integer Value)
{
  FSnapDistance = std::max(0, Value);
  if (auto* f = dynamic_cast<TTBXFloatingWindowParent*>(FloatingWindowParent()))
    f->SetSnapDistance(FSnapDistance);
}

TColor TTBXToolbar::EffectiveColor()
{
  // Taken afresh while it follows the parent, so a parent's new colour shows at once.
  if (Color() == clNone && !Floating() && !Docked())
    FEffectiveColor = GetEffectiveColor(Parent());
  return FEffectiveColor;
}

void TTBXToolbar::UpdateEffectiveColor()
{
  if (Color() != clNone)
    FEffectiveColor = Color();
  else if (!Floating() && !Docked())
    FEffectiveColor = GetEffectiveColor(Parent());
  else
    FEffectiveColor = CurrentTheme()->GetViewColor(ViewType());
  if (View())
    View()->BackgroundColor = FEffectiveColor;
  BroadcastParentColor();
}

void TTBXToolbar::BroadcastParentColor()
{
  for (int i = 0; i < ControlCount(); ++i) {
    TMessage m{CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(FEffectiveColor), 0, 0};
    Controls(i)->WndProc(m);
  }
}

void TTBXToolbar::SetColor(TColor c)
{
  TTBCustomToolbar::SetColor(c);
  UpdateEffectiveColor();
  Invalidate();
}

void TTBXToolbar::SetParent(TWinControl* parent)
{
  TTBCustomToolbar::SetParent(parent);
  UpdateEffectiveColor();
  if (auto* f = dynamic_cast<TTBXFloatingWindowParent*>(FloatingWindowParent()))
    f->SetSnapDistance(FSnapDistance);
}

void TTBXToolbar::ControlInserted(TControl* Control)
{
  TTBCustomToolbar::ControlInserted(Control);
  if (Color() == clNone) {
    TMessage m{CM_PARENTCOLORCHANGED, 1, static_cast<LPARAM>(EffectiveColor()), 0, 0};
    Control->WndProc(m);
  }
}

void TTBXToolbar::WndProc(TMessage& Message)
{
  switch (Message.Msg) {
  case TBXM_VIEWTYPE: Message.Result = ViewType(); return;
  case TBXM_EFFECTIVECOLOR:
    Message.Result = static_cast<LRESULT>(EffectiveColor());
    Message.LParam = 1;
    return;
  case TBXM_THEMEUPDATE:
    switch (Message.WParam) {
    case TSC_BEFOREVIEWCHANGE:
      // Held once per change, and let go only by the change that held it, so a stray
      // end never takes away an update of the toolbar's owner.
      if (!FThemeUpdating) {
        FThemeUpdating = true;
        BeginUpdate();
      }
      break;
    case TSC_AFTERVIEWCHANGE:
      UpdateEffectiveColor();
      if (FloatingWindowParent())
        FloatingWindowParent()->Invalidate();
      Invalidate();
      View()->InvalidatePositions();
      Arrange();
      if (FThemeUpdating) {
        FThemeUpdating = false;
        EndUpdate();
      }
      break;
    case TSC_APPACTIVATE:
    case TSC_APPDEACTIVATE:
      if (MenuBar())
        Invalidate();
      break;
    default: break;
    }
    return;
  default: TTBCustomToolbar::WndProc(Message);
  }
}

std::unique_ptr<TTBFloatingWindowParent> TTBXToolbar::CreateFloatingWindowParent()
{
  auto f = std::make_unique<TTBXFloatingWindowParent>(this);
  f->SetSnapDistance(FSnapDistance);
  return f;
}

void TTBXToolbar::DrawNCArea(TCanvas& Canvas, const TRect& R)
{
  if (!Docked() || !CurrentDock())
    return;
  TTBXToolbarInfo info;
  info.WindowHandle = this;
  info.ViewType = ViewType();
  info.IsVertical = CurrentDock()->Position() == dpLeft || CurrentDock()->Position() == dpRight;
  info.AllowDrag = CurrentDock()->AllowDrag();
  info.BorderStyle = BorderStyle();
  info.BorderSize = {2, 2};
  info.ClientWidth = ClientWidth();
  info.ClientHeight = ClientHeight();
  info.DragHandleStyle = DragHandleStyle();
  if (CloseButtonWhenDocked() && info.AllowDrag)
    info.CloseButtonState = CDBS_VISIBLE | (CloseButtonHover() ? CDBS_HOT : 0) | (CloseButtonDown() ? CDBS_PRESSED : 0);
  Canvas.Brush().SetColor(EffectiveColor());
  CurrentTheme()->PaintToolbarNCArea(Canvas, R, info);
}

void TTBXToolbar::EraseBackground(TCanvas& Canvas)
{
  TColor color = EffectiveColor();
  TRect cr = ClientRect();
  TRect dockRect;
  bool transparent = false;
  if (Color() == clNone) {
    TTBDock* dock = Docked() ? CurrentDock() : nullptr;
    if (dock && dock->BackgroundOnToolbars() && dock->UsingBackground()) {
      // The dock's picture runs on under the toolbar.
      TPoint o = dock->ScreenToClient(ClientToScreen({0, 0}));
      int saved = Canvas.SaveDC();
      TPoint org = Canvas.WindowOrg();
      Canvas.SetWindowOrgEx(org.X + o.X, org.Y + o.Y);
      dock->DrawBackground(Canvas, Bounds(o.X, o.Y, cr.Width(), cr.Height()));
      Canvas.RestoreDC(saved);
      dockRect = Bounds(-o.X, -o.Y, dock->ClientWidth(), dock->ClientHeight());
      transparent = true;
    } else if (!Docked() && !Floating()) {
      if (auto* parentDock = dynamic_cast<TTBDock*>(Parent())) {
        TPoint org = Canvas.WindowOrg();
        int saved = Canvas.SaveDC();
        Canvas.SetWindowOrgEx(org.X + Left(), org.Y + Top());
        parentDock->DrawBackground(Canvas, BoundsRect());
        Canvas.RestoreDC(saved);
      } else {
        Canvas.FillRect(cr, Parent() ? GetEffectiveColor(Parent()) : clBtnFace);
      }
      transparent = true;
    }
  }
  CurrentTheme()->PaintBackgnd(Canvas, dockRect, cr, cr, color, transparent, ViewType());
}

// ---------------------------------------------------------------------------------------
// Floating window

void TTBXFloatingWindowParent::SetBounds(Integer left, Integer top, Integer width, Integer height)
{
  // Moving (not resizing) snaps the edges near the monitor's work area onto it.
  if (FSnapDistance > 0 && width == Width() && height == Height() && (left != Left() || top != Top())) {
    TRect work = GetRectOfMonitorContainingRect(Bounds(left, top, width, height), true);
    if (std::abs(left - work.Left) < FSnapDistance)
      left = work.Left;
    if (std::abs(top - work.Top) < FSnapDistance)
      top = work.Top;
    if (std::abs(work.Right - (left + width)) < FSnapDistance)
      left = work.Right - width;
    if (std::abs(work.Bottom - (top + height)) < FSnapDistance)
      top = work.Bottom - height;
  }
  TTBFloatingWindowParent::SetBounds(left, top, width, height);
}

void TTBXFloatingWindowParent::PaintNonClient(TCanvas& Canvas)
{
  TTBCustomDockableWindow* w = DockableWindow();
  auto* t = dynamic_cast<TTBXToolbar*>(w);
  TTBXFloatingWindowParentInfo info;
  info.WindowHandle = this;
  info.ParentHandle = w;
  info.ParentViewType = GetViewType(w);
  info.ClientWidth = ClientWidth();
  info.ClientHeight = ClientHeight();
  info.ShowCaption = w && w->ShowCaption();
  info.CaptionSize = w ? w->GetFloatingBorderSize() : TPoint{};
  if (w && w->CloseButton())
    info.CloseButtonState =
        CDBS_VISIBLE | (w->CloseButtonHover() ? CDBS_HOT : 0) | (w->CloseButtonDown() ? CDBS_PRESSED : 0);
  info.Caption = Caption();
  info.Inactive = !ApplicationIsActive();
  Canvas.Brush().SetColor(t ? t->EffectiveColor() : clBtnFace);
  CurrentTheme()->PaintFloatingBorder(Canvas, {0, 0, Width(), Height()}, info);
}
