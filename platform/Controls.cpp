// Controls on toolkit widgets. Our side keeps the truth (bounds, visibility, capture, the
// window under the pointer); the widgets only show it and bring input back (ControlsQt.h,
// Controls_Widget.cpp, Controls_Input.cpp). Here: the control and the windowed control
// themselves, their widgets made and freed, shown and hidden, laid out and painted.
#include "platform/Controls.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <algorithm>

#include "platform/Accessible.h"
#include "platform/Bitmap.h"
#include "platform/ControlsQt.h"
#include "platform/Fonts.h"
#include "platform/Forms.h"

using namespace controls;

namespace {

void RemoveTopLevel(TControl* c)
{
  auto& v = InputState().TopLevels;
  v.erase(std::remove(v.begin(), v.end(), c), v.end());
}

}   // namespace

// ---------------------------------------------------------------------------------------
// TControl

TControl::TControl() { EnsureInputFilter(); }

TControl::~TControl()
{
  TInputState& s = InputState();
  if (s.Capture == this)
    s.Capture = nullptr;
  if (s.MouseControl == this)
    s.MouseControl = nullptr;
  if (s.PressTarget == this)
    s.PressTarget = nullptr;
  if (s.GrabTarget == this)
    s.GrabTarget = nullptr;
  RemoveTopLevel(this);
  if (FParent)
    SetParent(nullptr);
  DestroyHandle();
  DeallocateHWnd(FHandle);
}

void TControl::CreateParams(TCreateParams& params)
{
  // A control without a parent is a window of its own, with the window manager's usual frame.
  params.Style = FParent ? Cardinal(WS_CHILD)
                         : Cardinal(WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
}

namespace {

// A top-level window's kind and frame, from its styles. The window manager keeps a dialog or
// a tool window above the window it belongs to (above the program's windows where it names
// none), and draws the frame the styles ask for.
Qt::WindowFlags TopLevelFlags(const TCreateParams& p)
{
  Qt::WindowFlags flags = Qt::Window;
  if (p.ExStyle & WS_EX_TOOLWINDOW)
    flags = Qt::Tool;
  else if (p.WndParent || (p.ExStyle & WS_EX_TOPMOST))
    flags = Qt::Dialog;
  constexpr Cardinal overlapped = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  if ((p.Style & overlapped) == overlapped)
    return flags;
  if (!(p.Style & (WS_CAPTION | WS_THICKFRAME)))
    return flags | Qt::FramelessWindowHint;
  flags |= Qt::CustomizeWindowHint;
  if ((p.Style & WS_CAPTION) == WS_CAPTION)
    flags |= Qt::WindowTitleHint;
  if (p.Style & WS_SYSMENU)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (p.Style & WS_MINIMIZEBOX)
    flags |= Qt::WindowMinimizeButtonHint;
  if (p.Style & WS_MAXIMIZEBOX)
    flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

// Tells the window manager which window a top-level window belongs to (WM_TRANSIENT_FOR):
// the top-level window of owner, while it is shown. A window that would end up belonging to
// itself, round a chain of owners, belongs to none.
void SetOwnerWindow(QWidget* w, TControl* owner)
{
  w->winId();
  QWindow* win = w->windowHandle();
  if (!win)
    return;
  QWindow* own = nullptr;
  if (owner) {
    while (owner->Parent())
      owner = owner->Parent();
    if (QWidget* ow = WidgetOf(owner); ow && ow != w && ow->isVisible())
      own = ow->windowHandle();
  }
  for (QWindow* t = own; t; t = t->transientParent())
    if (t == win) {
      own = nullptr;
      break;
    }
  win->setTransientParent(own);
}

}   // namespace

void TControl::HandleNeeded()
{
  if (FWidget)
    return;
  TCreateParams params;
  CreateParams(params);
  FIsPopup = (params.Style & WS_POPUP) != 0 && !FParent;
  QWidget* parentWidget = nullptr;
  if (FParent) {
    FParent->HandleNeeded();
    parentWidget = WidgetOf(FParent);
  }
  Qt::WindowFlags flags;
  if (!FParent) {
    if (FIsPopup)
      // Not a toolkit popup: that would grab the pointer and swallow the click that
      // closes a menu, which must still reach the window under it.
      flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint
              | ((params.ExStyle & WS_EX_TOPMOST) ? Qt::WindowStaysOnTopHint : Qt::WindowFlags())
              | (FMouseTransparent ? Qt::WindowTransparentForInput : Qt::WindowFlags());
    else
      flags = TopLevelFlags(params);
  }
  FFixedFrame = !FParent && !FIsPopup && (params.Style & WS_CAPTION) && !(params.Style & WS_THICKFRAME);
  EnsureAccessibleControls();
  auto* w = new TControlWidget(this, parentWidget, flags);
  if (FIsPopup)
    w->setAttribute(Qt::WA_ShowWithoutActivating);
  if (FIsPopup && (params.WindowClassStyle & CS_DROPSHADOW))
    SetCastsDropShadow(w);
  if (!FParent && !FIsPopup)
    w->setWindowTitle(QString::fromStdString(FCaption));
  FWidget = w;
  UpdateWidgetOpacity();
  w->setCursor(CursorOf(FCursor));
  w->setEnabled(FEnabled);
  UpdateWidgetGeometry();
  if (auto* wc = dynamic_cast<TWinControl*>(this))
    for (TControl* child : wc->FControls)
      child->WindowWanted();
  GuardedCall([&] { HandleCreated(); }, this);
  UpdateWidgetVisibility();
}

void TControl::WindowWanted()
{
  if (FWidget || !FVisible || (FParent && !FParent->HandleAllocated()))
    return;
  if (FParent && FParent->FChildWindowsInSight && FWidth > 0 && FHeight > 0) {
    const TRect area = FParent->ClientRect();
    if (FLeft + FWidth <= area.Left || FLeft >= area.Right || FTop + FHeight <= area.Top || FTop >= area.Bottom)
      return;
  }
  HandleNeeded();
}

void TControl::DestroyHandle() { DestroyWidget(false); }

void TControl::DestroyWidget(bool withParent)
{
  if (!FWidget)
    return;
  if (auto* wc = dynamic_cast<TWinControl*>(this))
    for (TControl* child : wc->FControls)
      child->DestroyWidget(true);
  GuardedCall([&] { DestroyingHandle(); }, this);
  FireWindowEvent(TWindowEvent::Destroying, this);
  auto* w = static_cast<TControlWidget*>(FWidget);
  FWidget = nullptr;
  w->Control = nullptr;
  // The loop frees the widget (TWidgetRelease). It stays where it is until then: taking it
  // out of its window now would walk the window's whole focus chain, for each of a page's
  // thousands of fields. Widgets of children go with their parent's.
  if (!withParent)
    TWidgetRelease::Take(w);
  RemoveTopLevel(this);
}

void TControl::RecreateHandle()
{
  if (!FWidget)
    return;
  DestroyHandle();
  HandleNeeded();
}

void TControl::UpdateWidgetGeometry()
{
  auto* w = WidgetOf(this);
  if (!w)
    return;
  Integer x = FLeft, y = FTop;
  if (FParent) {
    TPoint nc = FParent->NonClientSize();
    x += nc.X;
    y += nc.Y;
  }
  if (FFixedFrame) {
    // The window manager offers no sizing (nor maximising) of a window whose size is fixed.
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
  w->setGeometry(x, y, std::max(0, FWidth), std::max(0, FHeight));
  if (FParent)
    TControlWidget::FollowSight(w);
  if (FFixedFrame)
    w->setFixedSize(std::max(0, FWidth), std::max(0, FHeight));
}

void TControl::UpdateWidgetVisibility()
{
  auto* w = WidgetOf(this);
  if (!w)
    return;
  if (FVisible) {
    if (!FParent && !FIsPopup && !w->isVisible()) {
      // The last moment to size and place the window before it shows (a handler may also
      // hide it again), then the window it belongs to.
      GuardedCall([&] { WindowShowing(); }, this);
      if (!FVisible || WidgetOf(this) != w)
        return;
      TCreateParams params;
      CreateParams(params);
      SetOwnerWindow(w, params.WndParent);
      w->ExposePending = true;
      w->WatchExposures();
      NoteKeyboardBeforeShowing(w);
    }
    if (!FParent) {
      RemoveTopLevel(this);
      InputState().TopLevels.push_back(this);
    }
    // While a parent takes many children at once, the toolkit would search all of them for
    // the one under the pointer as each shows (to tell it the pointer entered), and as each
    // child of theirs shows (a page's radio button stands on a panel of its own): the parent
    // stands out of that search meanwhile.
    TWinControl* batch = FParent;
    while (batch && batch->FAlignDisabled == 0)
      batch = batch->FParent;
    if (QWidget* pw = batch ? WidgetOf(batch) : nullptr) {
      const bool through = pw->testAttribute(Qt::WA_TransparentForMouseEvents);
      pw->setAttribute(Qt::WA_TransparentForMouseEvents, true);
      w->show();
      pw->setAttribute(Qt::WA_TransparentForMouseEvents, through);
    } else
      w->show();
    if (FIsPopup)
      w->raise();
    if (w->ActivateWhenShown) {
      w->ActivateWhenShown = false;
      RequestActivation(w);
    }
  } else {
    // Asked before the window goes, while the window manager still sees the keyboard with
    // one of ours.
    if (!FParent && !FIsPopup)
      HandKeyboardToOwner(w);
    w->hide();
    RemoveTopLevel(this);
  }
}

void TControl::SetParent(TWinControl* parent)
{
  if (parent == FParent)
    return;
  if (parent == this)
    throw EComponentError("A control cannot have itself as its parent");
  DestroyHandle();
  // Only an aligned child moves its siblings: adding or removing others leaves the layout as
  // it is (a page of thousands of fields would otherwise lay out all of them for each one).
  if (FParent) {
    // Many children go in the order they came (a page's fields): the search starts at the
    // front, and the lists let go of either end at once.
    auto& v = FParent->FControls;
    if (auto it = std::find(v.begin(), v.end(), this); it != v.end())
      v.erase(it);
    auto& tabs = FParent->FTabList;
    if (auto it = std::find(tabs.begin(), tabs.end(), this); it != tabs.end())
      tabs.erase(it);
    TWinControl* old = FParent;
    FParent = nullptr;
    old->ControlRemoved(this);
    if (FAlign != alNone)
      old->Realign();
  }
  FParent = parent;
  if (parent) {
    RemoveTopLevel(this);
    parent->FControls.push_back(this);
    if (auto* wc = dynamic_cast<TWinControl*>(this))
      parent->FTabList.push_back(wc);
    parent->ControlInserted(this);
    WindowWanted();
    if (FAlign != alNone)
      parent->Realign();
  }
}

void TControl::SetBounds(Integer left, Integer top, Integer width, Integer height)
{
  width = std::max(0, width);
  height = std::max(0, height);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
    return;
  bool resized = width != FWidth || height != FHeight;
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  UpdateWidgetGeometry();
  if (FParent)
    WindowWanted();
  // Children that waited out of sight may stand in it now.
  if (auto* wc = dynamic_cast<TWinControl*>(this); wc && resized && wc->FChildWindowsInSight && FWidget)
    for (TControl* child : wc->FControls)
      child->WindowWanted();
  if (FParent && FAlign != alNone)
    FParent->Realign();
  if (resized && !FInResize) {
    FInResize = true;
    GuardedCall([&] { Resize(); }, this);
    FInResize = false;
  }
}

TRect TControl::ClientRect() const
{
  TPoint nc = NonClientSize();
  return {0, 0, std::max(0, FWidth - 2 * nc.X), std::max(0, FHeight - 2 * nc.Y)};
}

void TControl::SetClientSize(Integer w, Integer h)
{
  TPoint nc = NonClientSize();
  SetBounds(FLeft, FTop, w + 2 * nc.X, h + 2 * nc.Y);
}

void TControl::SetAlign(TAlign align)
{
  if (align == FAlign)
    return;
  FAlign = align;
  // Aligned edges anchor the control to them, as the layout keeps them there.
  switch (align) {
  case alTop: FAnchors = akLeft | akTop | akRight; break;
  case alBottom: FAnchors = akLeft | akBottom | akRight; break;
  case alLeft: FAnchors = akLeft | akTop | akBottom; break;
  case alRight: FAnchors = akRight | akTop | akBottom; break;
  case alClient: FAnchors = akLeft | akTop | akRight | akBottom; break;
  default: break;
  }
  if (FParent)
    FParent->Realign();
}

void TControl::SetVisible(bool visible)
{
  if (visible == FVisible)
    return;
  FVisible = visible;
  if (!visible) {
    TInputState& s = InputState();
    if (s.Capture == this)
      ReleaseCapture();
    if (s.MouseControl == this)
      s.MouseControl = nullptr;
  }
  if (visible)
    WindowWanted();
  UpdateWidgetVisibility();
  if (FParent && FAlign != alNone)
    FParent->Realign();
  GuardedCall([&] { VisibleChanged(); }, this);
}

bool TControl::Showing() const
{
  for (const TControl* c = this; c; c = c->FParent)
    if (!c->FVisible || !c->FWidget)
      return false;
  return true;
}

void TControl::SetEnabled(bool enabled)
{
  if (enabled == FEnabled)
    return;
  FEnabled = enabled;
  if (auto* w = WidgetOf(this))
    w->setEnabled(enabled);
  EnabledChanged();
  Invalidate();
}

void TControl::SetCursor(TCursor c)
{
  FCursor = c;
  if (auto* w = WidgetOf(this))
    w->setCursor(CursorOf(c));
}

void TControl::SetColor(TColor c)
{
  if (c == FColor)
    return;
  FColor = c;
  UpdateWidgetOpacity();
  Invalidate();
}

void TControl::SetControlStyle(TControlStyle s)
{
  FControlStyle = s;
  UpdateWidgetOpacity();
}

void TControl::UpdateWidgetOpacity()
{
  // A control without a colour of its own shows its parent through: the parent must paint
  // beneath it first, or the pixels of whatever stood there before (a hidden toolbar's check
  // box, the splash picture) stay behind its caption.
  if (auto* w = WidgetOf(this))
    w->setAttribute(Qt::WA_OpaquePaintEvent, (FControlStyle & csOpaque) || FColor != clNone);
}

void TControl::SetCaption(const std::string& caption)
{
  if (caption == FCaption)
    return;
  FCaption = caption;
  if (auto* w = WidgetOf(this))
    if (w->isWindow())
      w->setWindowTitle(QString::fromStdString(caption));
  Invalidate();
}

void TControl::Invalidate()
{
  if (auto* w = WidgetOf(this))
    w->update();
}

void TControl::InvalidateRect(const TRect& r)
{
  if (auto* w = WidgetOf(this)) {
    TPoint nc = NonClientSize();
    w->update(r.Left + nc.X, r.Top + nc.Y, r.Width(), r.Height());
  }
}

void TControl::ScrollContents(Integer dx, Integer dy)
{
  auto* w = WidgetOf(this);
  if (!w)
    return;
  if (!w->isVisible()) {
    w->update();
    return;
  }
  TPoint nc = NonClientSize();
  if (nc.X == 0 && nc.Y == 0)
    w->scroll(dx, dy);
  else
    w->scroll(dx, dy, QRect(nc.X, nc.Y, ClientWidth(), ClientHeight()));
  // The display server starts moving the pixels now, while the caller may already draw the
  // strip that comes uncovered, instead of at the next paint.
  FlushDisplay();
}

void TControl::Update()
{
  if (auto* w = WidgetOf(this))
    if (w->isVisible()) {
      w->repaint();
      FlushDisplay();
    }
}

void TControl::Repaint()
{
  Invalidate();
  Update();
}

void TControl::SetWindowRegion(const TRect* r)
{
  auto* w = WidgetOf(this);
  if (!w)
    return;
  // A window not yet on the screen gets its region now, so that it appears with it.
  if (w->isWindow())
    (void)w->winId();
  // An empty region shows nothing of the window. The toolkit takes an empty mask for none
  // at all (the whole window), so the mask is then a pixel beside the window.
  if (r && (r->Width() <= 0 || r->Height() <= 0))
    w->setMask(QRegion(-1, -1, 1, 1));
  else if (r)
    w->setMask(QRegion(r->Left, r->Top, r->Width(), r->Height()));
  else
    w->clearMask();
  // A window that shows only part of itself casts no shadow yet.
  UpdateDropShadow(w);
}

TPoint TControl::ClientOrigin() const
{
  TPoint nc = NonClientSize();
  if (!FParent)
    return {FLeft + nc.X, FTop + nc.Y};
  TPoint p = FParent->ClientOrigin();
  return {p.X + FLeft + nc.X, p.Y + FTop + nc.Y};
}

TPoint TControl::ClientToScreen(TPoint p) const
{
  TPoint o = ClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
  TPoint o = ClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

bool TControl::MouseCapture() const { return InputState().Capture == this; }

void TControl::SetMouseCapture(bool on)
{
  if (on)
    SetCaptureControl(this);
  else if (MouseCapture())
    ReleaseCapture();
}

HWND TControl::Handle()
{
  if (!FHandle)
    FHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
  return FHandle;
}

void TControl::WndProc(TMessage&) {}

bool TControl::GetHintInfo(TPoint, std::string& hint, TRect& hintArea)
{
  hint = FHint.substr(0, FHint.find('|'));
  hintArea = ClientRect();
  return FShowHint && !hint.empty();
}

TCanvas& TControl::Canvas()
{
  if (!FCanvas)
    throw EInvalidGraphic("Canvas does not allow drawing");
  return *FCanvas;
}

void TControl::PaintAll(TCanvas& canvas, const TRect&)
{
  TCanvas* saved = FCanvas;
  FCanvas = &canvas;
  struct TRestore {
    TControl* C;
    TCanvas* Saved;
    ~TRestore() { C->FCanvas = Saved; }
  } restore{this, saved};
  TPoint nc = NonClientSize();
  if (nc.X != 0 || nc.Y != 0) {
    int s = canvas.SaveDC();
    PaintNonClient(canvas);
    canvas.RestoreDC(s);
  }
  int s = canvas.SaveDC();
  TPoint vp = canvas.ViewportOrg();
  canvas.SetViewportOrgEx(vp.X + nc.X, vp.Y + nc.Y);
  TRect cr = ClientRect();
  canvas.IntersectClipRect(0, 0, cr.Right, cr.Bottom);
  EraseBackground(canvas);
  Paint();
  canvas.RestoreDC(s);
}

void TControl::EraseBackground(TCanvas& canvas)
{
  if ((FControlStyle & csOpaque) || FColor == clNone)
    return;
  canvas.FillRect(ClientRect(), FColor);
}

void TControl::PaintTo(TCanvas& canvas, Integer x, Integer y)
{
  int s = canvas.SaveDC();
  TPoint vp = canvas.ViewportOrg();
  canvas.SetViewportOrgEx(vp.X + x, vp.Y + y);
  canvas.IntersectClipRect(0, 0, FWidth, FHeight);
  PaintAll(canvas, {0, 0, FWidth, FHeight});
  if (auto* wc = dynamic_cast<TWinControl*>(this)) {
    TPoint nc = NonClientSize();
    for (TControl* child : wc->FControls)
      if (child->FVisible)
        child->PaintTo(canvas, nc.X + child->FLeft, nc.Y + child->FTop);
  }
  canvas.RestoreDC(s);
}

void TControl::RenderTo(TBitmap& bitmap)
{
  auto* w = WidgetOf(this);
  if (!w) {
    bitmap.SetSize(0, 0);
    return;
  }
  QImage image(w->size(), QImage::Format_RGB32);
  image.fill(Qt::black);
  w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  bitmap = QImageToBitmap(image);
}

double TControl::DevicePixelRatio() const
{
  auto* w = WidgetOf(const_cast<TControl*>(this));
  if (w)
    return w->devicePixelRatioF();
  // Not on screen yet (a popup about to slide in): the screens' ratio.
  return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

void TControl::CaptureScreen(TBitmap& bitmap)
{
  auto* w = WidgetOf(this);
  QWidget* top = w ? w->window() : nullptr;
  if (!w || !w->isVisible() || !top->windowHandle() || !top->windowHandle()->screen()) {
    bitmap.SetSize(0, 0);
    return;
  }
  QPoint at = w->mapTo(top, QPoint(0, 0));
  QPixmap shot = top->windowHandle()->screen()->grabWindow(top->winId(), at.x(), at.y(), w->width(), w->height());
  bitmap = QImageToBitmap(shot.toImage());
}

void TControl::DispatchMouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (!FEnabled)
    return;
  if ((FControlStyle & csCaptureMouse) && button == mbLeft && !(shift & ssDouble))
    InputState().PressTarget = this;
  if (auto* wc = dynamic_cast<TWinControl*>(this); wc && wc->TabStop() && !wc->Focused())
    wc->SetFocus();
  if (button == mbLeft)
    FMouseDownForClick = !(shift & ssDouble);
  if ((shift & ssDouble) && button == mbLeft && (FControlStyle & csDoubleClicks))
    DblClick();
  MouseDown(button, shift, x, y);
}

void TControl::DispatchMouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (InputState().PressTarget == this)
    InputState().PressTarget = nullptr;
  bool click = button == mbLeft && FMouseDownForClick && ClientRect().Contains({x, y});
  if (button == mbLeft)
    FMouseDownForClick = false;
  MouseUp(button, shift, x, y);
  if (click && (FControlStyle & csClickEvents))
    Click();
}

void TControl::DispatchMouseMove(TShiftState shift, Integer x, Integer y) { MouseMove(shift, x, y); }

bool TControl::DispatchMouseWheel(TShiftState shift, Integer delta, TPoint screenPos)
{
  return DoMouseWheel(shift, delta, screenPos);
}

void TControl::DispatchKeyDown(Word& key, TShiftState shift) { KeyDown(key, shift); }
void TControl::DispatchKeyUp(Word& key, TShiftState shift) { KeyUp(key, shift); }
void TControl::DispatchKeyPress(char& key) { KeyPress(key); }
void TControl::DispatchMouseEnter() { MouseEnter(); }
void TControl::DispatchMouseLeave() { MouseLeave(); }

void TControl::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (OnMouseDown)
    OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (OnMouseUp)
    OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, Integer x, Integer y)
{
  if (OnMouseMove)
    OnMouseMove(this, shift, x, y);
}

bool TControl::DoMouseWheel(TShiftState shift, Integer delta, TPoint mousePos)
{
  bool handled = false;
  if (OnMouseWheel)
    OnMouseWheel(this, shift, delta, mousePos, handled);
  return handled;
}

void TControl::Click()
{
  if (OnClick)
    OnClick(this);
}

void TControl::DblClick()
{
  if (OnDblClick)
    OnDblClick(this);
}

void TControl::MouseEnter()
{
  if (OnMouseEnter)
    OnMouseEnter(this);
}

void TControl::MouseLeave()
{
  if (OnMouseLeave)
    OnMouseLeave(this);
}

void TControl::Resize()
{
  if (auto* wc = dynamic_cast<TWinControl*>(this))
    wc->Realign();
  if (OnResize)
    OnResize(this);
}

TCustomForm* TControl::GetParentForm() const
{
  const TControl* c = this;
  while (c->FParent)
    c = c->FParent;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

// ---------------------------------------------------------------------------------------
// TWinControl

TWinControl::~TWinControl()
{
  DestroyHandle();
  // Children outlive us only when their owners still hold them: they become parentless.
  std::vector<TControl*> children(FControls.begin(), FControls.end());
  FControls.clear();
  FTabList.clear();
  for (TControl* c : children)
    c->FParent = nullptr;
}

void TWinControl::EnableAlign()
{
  if (FAlignDisabled > 0 && --FAlignDisabled == 0)
    Realign();
}

void TWinControl::Realign()
{
  if (FAlignDisabled > 0)
    return;
  TRect r = ClientRect();
  ++FAlignDisabled;
  GuardedCall([&] { AlignControls(r); }, this);
  --FAlignDisabled;
}

void TWinControl::AlignControls(TRect& r)
{
  for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient})
    for (TControl* c : FControls) {
      if (c->FAlign != pass || !c->FVisible)
        continue;
      switch (pass) {
      case alTop:
        c->SetBounds(r.Left, r.Top, r.Width(), c->FHeight);
        r.Top += c->FHeight;
        break;
      case alBottom:
        c->SetBounds(r.Left, r.Bottom - c->FHeight, r.Width(), c->FHeight);
        r.Bottom -= c->FHeight;
        break;
      case alLeft:
        c->SetBounds(r.Left, r.Top, c->FWidth, r.Height());
        r.Left += c->FWidth;
        break;
      case alRight:
        c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, r.Height());
        r.Right -= c->FWidth;
        break;
      default: c->SetBounds(r.Left, r.Top, r.Width(), r.Height()); break;
      }
    }
}

void TWinControl::SetBounds(Integer left, Integer top, Integer width, Integer height)
{
  TControl::SetBounds(left, top, width, height);
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const
{
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (c->FVisible && (allowDisabled || c->FEnabled) && c->BoundsRect().Contains(p))
      return c;
  }
  return nullptr;
}

bool TWinControl::Focused() const
{
  auto* w = WidgetOf(this);
  return w && w->hasFocus();
}

void TWinControl::SetFocus()
{
  HandleNeeded();
  if (auto* w = WidgetOf(this)) {
    w->setFocusPolicy(Qt::StrongFocus);
    // As the system's SetFocus does, focusing a control of a shown window that is not
    // active activates that window (without it the focus would wait for the window); one
    // about to show is activated as it shows. (Windows shown without activation, such as
    // menus, stay as they are.)
    if (QWidget* top = w->window(); !top->testAttribute(Qt::WA_ShowWithoutActivating) && !top->isActiveWindow())
      RequestActivation(top);
    w->setFocus(Qt::OtherFocusReason);
  }
}

void TWinControl::DoEnter()
{
  if (OnEnter)
    OnEnter(this);
}

void TWinControl::DoExit()
{
  if (OnExit)
    OnExit(this);
}
