#include "platform/ExtCtrls.h"

#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "platform/GLSurface.h"

// ---------------------------------------------------------------------------------------
// TSplitter

TSplitter::TSplitter()
{
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

TControl* TSplitter::FindControl() const
{
  TWinControl* p = Parent();
  if (!p)
    return nullptr;
  // The control of the same alignment laid out just before the splitter: its far edge
  // touches the splitter's near edge.
  for (int i = 0; i < p->ControlCount(); ++i) {
    TControl* c = p->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align())
      continue;
    switch (Align()) {
    case alLeft:
      if (c->Left() + c->Width() == Left())
        return c;
      break;
    case alRight:
      if (c->Left() == Left() + Width())
        return c;
      break;
    case alTop:
      if (c->Top() + c->Height() == Top())
        return c;
      break;
    case alBottom:
      if (c->Top() == Top() + Height())
        return c;
      break;
    default: break;
    }
  }
  return nullptr;
}

void TSplitter::MoveTo(Integer size)
{
  TControl* c = FindControl();
  TWinControl* p = Parent();
  if (!c || !p)
    return;
  const bool h = Horizontal();
  const Integer current = h ? c->Width() : c->Height();
  const Integer own = h ? Width() : Height();
  // Room the other controls leave: everything in the parent but this pair and what stays.
  const Integer total = h ? p->ClientWidth() : p->ClientHeight();
  Integer others = 0;
  for (int i = 0; i < p->ControlCount(); ++i) {
    TControl* o = p->Controls(i);
    if (o == c || o == this || !o->Visible() || o->Align() == alClient || o->Align() == alNone)
      continue;
    if (h == (o->Align() == alLeft || o->Align() == alRight))
      others += h ? o->Width() : o->Height();
  }
  const Integer maxSize = std::max(FMinSize, total - others - own - FMinSize);
  size = std::clamp(size, FMinSize, maxSize);
  if (size == current)
    return;
  if (h)
    c->SetWidth(size);
  else
    c->SetHeight(size);
  if (OnMoved)
    OnMoved(this);
}

void TSplitter::Paint()
{
  TCanvas& c = Canvas();
  c.FillRect(ClientRect(), clBtnFace);
  if (FBeveled) {
    TRect r = ClientRect();
    c.DrawEdge(r, EDGE_RAISED, Horizontal() ? (BF_LEFT | BF_RIGHT) : (BF_TOP | BF_BOTTOM));
  }
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  TGraphicControl::MouseDown(button, shift, x, y);
  TControl* c = FindControl();
  if (button != mbLeft || !c)
    return;
  FDragging = true;
  TPoint s = ClientToScreen({x, y});
  FDownAt = Horizontal() ? s.X : s.Y;
  FStartSize = Horizontal() ? c->Width() : c->Height();
}

void TSplitter::MouseMove(TShiftState shift, Integer x, Integer y)
{
  TGraphicControl::MouseMove(shift, x, y);
  if (!FDragging)
    return;
  TPoint s = ClientToScreen({x, y});
  Integer delta = (Horizontal() ? s.X : s.Y) - FDownAt;
  if (Align() == alRight || Align() == alBottom)
    delta = -delta;
  MoveTo(FStartSize + delta);
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button == mbLeft)
    FDragging = false;
}

// ---------------------------------------------------------------------------------------
// TGLHost

TGLHost::TGLHost()
{
  SetColor(clBlack);
  SetControlStyle(ControlStyle() | csOpaque);
}

TGLHost::~TGLHost()
{
  SetSurface(nullptr);
  DestroyHandle();
}

void TGLHost::SetSurface(TGLSurface* surface)
{
  if (surface == FSurface)
    return;
  Detach();
  if (FSurface)
    FSurface->SetHostRelease(nullptr);
  FSurface = surface;
  // A surface that goes first takes itself out of here.
  if (FSurface)
    FSurface->SetHostRelease([this] {
      Detach();
      FSurface = nullptr;
    });
  Attach();
}

void TGLHost::Attach()
{
  if (!FSurface || !HandleAllocated() || FContainer)
    return;
  auto* window = static_cast<QWindow*>(FSurface->Window());
  auto* host = static_cast<QWidget*>(ToolkitWidget());
  if (!window || !host)
    return;
  // The surface keeps its own native window, so a frame goes straight to the screen instead
  // of being composed with the rest of the form. Input goes to the host, which is a control
  // like any other: the pointer passes through the window to the host below, and whatever
  // the window still gets it hands to the host; the surface only draws.
  window->setFlag(Qt::WindowTransparentForInput, true);
  window->setFlag(Qt::WindowDoesNotAcceptFocus, true);
  QWidget* container = QWidget::createWindowContainer(window, host);
  container->setAttribute(Qt::WA_TransparentForMouseEvents);
  container->setFocusPolicy(Qt::NoFocus);
  TRect r = ClientRect();
  container->setGeometry(r.Left, r.Top, r.Width(), r.Height());
  FSurface->SetInputWidget(host);
  FContainer = container;
  container->show();
}

void TGLHost::Detach()
{
  if (!FSurface)
    return;
  FSurface->SetInputWidget(nullptr);
  auto* container = static_cast<QWidget*>(FContainer);
  FContainer = nullptr;
  // The surface belongs to its viewer: it must never go down with our window. Taken out
  // of the container, the window is the surface's again and the container forgets it.
  if (auto* window = static_cast<QWindow*>(FSurface->Window())) {
    window->hide();
    window->setParent(nullptr);
    window->setFlag(Qt::SubWindow, false);
  }
  delete container;
}

void TGLHost::HandleCreated() { Attach(); }

void TGLHost::DestroyingHandle() { Detach(); }

void TGLHost::Resize()
{
  TCustomControl::Resize();
  if (auto* container = static_cast<QWidget*>(FContainer))
    container->setGeometry(0, 0, ClientWidth(), ClientHeight());
}
