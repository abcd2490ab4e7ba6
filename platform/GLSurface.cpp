#include "platform/GLSurface.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include "platform/Application.h"

namespace {

QSurfaceFormat LegacyFormat()
{
  // Immediate mode and display lists need the compatibility profile.
  QSurfaceFormat f;
  f.setRenderableType(QSurfaceFormat::OpenGL);
  f.setProfile(QSurfaceFormat::CompatibilityProfile);
  f.setVersion(2, 1);
  f.setDepthBufferSize(24);
  f.setStencilBufferSize(8);
  f.setSamples(0);
  return f;
}

TGLSurface::TShift ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
  TGLSurface::TShift s = 0;
  if (mods & Qt::ShiftModifier)
    s |= TGLSurface::ssShift;
  if (mods & Qt::AltModifier)
    s |= TGLSurface::ssAlt;
  if (mods & Qt::ControlModifier)
    s |= TGLSurface::ssCtrl;
  if (buttons & Qt::LeftButton)
    s |= TGLSurface::ssLeft;
  if (buttons & Qt::RightButton)
    s |= TGLSurface::ssRight;
  if (buttons & Qt::MiddleButton)
    s |= TGLSurface::ssMiddle;
  return s;
}

bool ButtonOf(Qt::MouseButton b, TGLSurface::TMouseButton& out)
{
  switch (b) {
    case Qt::LeftButton: out = TGLSurface::mbLeft; return true;
    case Qt::RightButton: out = TGLSurface::mbRight; return true;
    case Qt::MiddleButton: out = TGLSurface::mbMiddle; return true;
    default: return false;
  }
}

uint16_t VirtualKey(int key)
{
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
    return uint16_t(key);
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    default:
      if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return uint16_t(0x70 + (key - Qt::Key_F1));
      return 0;
  }
}

}  // namespace

// The window surface's widget: forwards the toolkit's calls to the surface's handlers.
class TGLSurfaceWidget : public QOpenGLWidget {
public:
  explicit TGLSurfaceWidget(TGLSurface* owner) : Owner(owner)
  {
    setFormat(LegacyFormat());
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
  }
  ~TGLSurfaceWidget() override
  {
    // The context outlives this part of the widget: tell the owner now, not from the
    // toolkit's signal once only the base class is left.
    if (QOpenGLContext* c = context()) {
      disconnect(c, nullptr, this, nullptr);
      makeCurrent();
      if (Owner->OnContextDestroying)
        GuardedCall([&] { Owner->OnContextDestroying(); }, Owner);
      doneCurrent();
    }
  }
  TGLSurface* Owner;
  bool Pressed = false;

protected:
  void initializeGL() override
  {
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
      makeCurrent();
      if (Owner->OnContextDestroying)
        GuardedCall([&] { Owner->OnContextDestroying(); }, Owner);
      doneCurrent();
    });
    if (Owner->OnContextCreated)
      GuardedCall([&] { Owner->OnContextCreated(); }, Owner);
  }
  void resizeGL(int w, int h) override
  {
    if (Owner->OnResize)
      GuardedCall([&] { Owner->OnResize(w, h); }, Owner);
  }
  void paintGL() override
  {
    if (Owner->OnPaint)
      GuardedCall([&] { Owner->OnPaint(); }, Owner);
  }
  void mousePressEvent(QMouseEvent* e) override
  {
    TGLSurface::TMouseButton b;
    Pressed = true;
    if (ButtonOf(e->button(), b) && Owner->OnMouseDown) {
      QPoint p = e->position().toPoint();
      GuardedCall([&] { Owner->OnMouseDown(b, ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); }, Owner);
    }
  }
  void mouseReleaseEvent(QMouseEvent* e) override
  {
    TGLSurface::TMouseButton b;
    QPoint p = e->position().toPoint();
    if (ButtonOf(e->button(), b) && Owner->OnMouseUp)
      GuardedCall([&] { Owner->OnMouseUp(b, ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); }, Owner);
    // A click is a press and release of the left button inside the control.
    if (Pressed && e->button() == Qt::LeftButton && rect().contains(p) && Owner->OnClick)
      GuardedCall([&] { Owner->OnClick(); }, Owner);
    Pressed = false;
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override
  {
    mousePressEvent(e);
    if (Owner->OnDblClick)
      GuardedCall([&] { Owner->OnDblClick(); }, Owner);
  }
  void mouseMoveEvent(QMouseEvent* e) override
  {
    if (Owner->OnMouseMove) {
      QPoint p = e->position().toPoint();
      GuardedCall([&] { Owner->OnMouseMove(ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); }, Owner);
    }
  }
  void wheelEvent(QWheelEvent* e) override
  {
    bool handled = false;
    if (Owner->OnMouseWheel) {
      QPoint p = e->position().toPoint();
      GuardedCall([&] { Owner->OnMouseWheel(ShiftOf(e->modifiers(), e->buttons()), e->angleDelta().y(), p.x(), p.y(), handled); },
                  Owner);
    }
    e->setAccepted(handled);
  }
  void keyPressEvent(QKeyEvent* e) override
  {
    uint16_t key = VirtualKey(e->key());
    if (key && Owner->OnKeyDown)
      GuardedCall([&] { Owner->OnKeyDown(key, ShiftOf(e->modifiers(), Qt::NoButton)); }, Owner);
    if (!key)
      QOpenGLWidget::keyPressEvent(e);
  }
  void keyReleaseEvent(QKeyEvent* e) override
  {
    uint16_t key = VirtualKey(e->key());
    if (key && Owner->OnKeyUp)
      GuardedCall([&] { Owner->OnKeyUp(key, ShiftOf(e->modifiers(), Qt::NoButton)); }, Owner);
    if (!key)
      QOpenGLWidget::keyReleaseEvent(e);
  }
};

struct TGLSurfaceImpl {
  TGLSurface* Owner = nullptr;
  std::unique_ptr<TGLSurfaceWidget> Widget;          // window kind
  std::unique_ptr<QOffscreenSurface> Offscreen;      // offscreen kind
  std::unique_ptr<QOpenGLContext> Context;
  std::unique_ptr<QOpenGLFramebufferObject> Fbo;
  int32_t Width = 0;
  int32_t Height = 0;
  bool Notified = false;

  QOpenGLContext* CurrentContext() const
  {
    if (Widget)
      return Widget->context();
    return Context.get();
  }

  bool EnsureFbo()
  {
    if (Fbo && Fbo->width() == Width && Fbo->height() == Height)
      return true;
    Fbo.reset();
    QOpenGLFramebufferObjectFormat f;
    f.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    f.setSamples(0);
    Fbo = std::make_unique<QOpenGLFramebufferObject>(std::max(1, Width), std::max(1, Height), f);
    return Fbo->isValid();
  }
};

TGLSurface::TGLSurface(TKind kind, int32_t width, int32_t height) : FKind(kind), FImpl(std::make_unique<TGLSurfaceImpl>())
{
  FImpl->Owner = this;
  FImpl->Width = std::max(1, width);
  FImpl->Height = std::max(1, height);
  if (kind == TKind::Window) {
    FImpl->Widget = std::make_unique<TGLSurfaceWidget>(this);
    FImpl->Widget->resize(FImpl->Width, FImpl->Height);
  }
}

TGLSurface::~TGLSurface()
{
  if (FImpl->Context && FImpl->Context->makeCurrent(FImpl->Offscreen.get())) {
    if (OnContextDestroying)
      GuardedCall([&] { OnContextDestroying(); }, this);
    FImpl->Fbo.reset();
    FImpl->Context->doneCurrent();
  }
  // The widget's context reports its end itself; the handlers must not reach a half-gone owner.
  OnContextDestroying = nullptr;
  FImpl->Widget.reset();
  FImpl->Fbo.reset();
  FImpl->Context.reset();
  FImpl->Offscreen.reset();
}

bool TGLSurface::CreateContext()
{
  if (FImpl->Widget) {
    // A widget makes its context when it is first shown or grabbed; do it now, unseen.
    if (!FImpl->Widget->context())
      FImpl->Widget->grabFramebuffer();
    return FImpl->Widget->context() && FImpl->Widget->context()->isValid();
  }
  if (FImpl->Context)
    return FImpl->Context->isValid();
  auto ctx = std::make_unique<QOpenGLContext>();
  ctx->setFormat(LegacyFormat());
  if (!ctx->create())
    return false;
  auto surf = std::make_unique<QOffscreenSurface>();
  surf->setFormat(ctx->format());
  surf->create();
  if (!surf->isValid() || !ctx->makeCurrent(surf.get()))
    return false;
  FImpl->Context = std::move(ctx);
  FImpl->Offscreen = std::move(surf);
  if (!FImpl->EnsureFbo()) {
    FImpl->Context->doneCurrent();
    FImpl->Context.reset();
    return false;
  }
  FImpl->Fbo->bind();
  if (OnContextCreated)
    OnContextCreated();
  if (OnResize)
    OnResize(FImpl->Width, FImpl->Height);
  return true;
}

bool TGLSurface::HasContext() const
{
  QOpenGLContext* c = FImpl->CurrentContext();
  return c && c->isValid();
}

bool TGLSurface::MakeCurrent()
{
  if (FImpl->Widget) {
    if (!FImpl->Widget->context())
      return false;
    FImpl->Widget->makeCurrent();
    return true;
  }
  if (!FImpl->Context || !FImpl->Context->makeCurrent(FImpl->Offscreen.get()))
    return false;
  if (!FImpl->EnsureFbo())
    return false;
  FImpl->Fbo->bind();
  return true;
}

void TGLSurface::DoneCurrent()
{
  if (FImpl->Widget)
    FImpl->Widget->doneCurrent();
  else if (FImpl->Context)
    FImpl->Context->doneCurrent();
}

void TGLSurface::SwapBuffers()
{
  // A widget presents after paintGL; an offscreen framebuffer has nothing to present.
  if (QOpenGLContext* c = FImpl->CurrentContext())
    if (!FImpl->Widget && c->isValid())
      c->functions()->glFlush();
}

void* TGLSurface::GetProcAddress(const char* name) const
{
  QOpenGLContext* c = FImpl->CurrentContext();
  return c ? reinterpret_cast<void*>(c->getProcAddress(name)) : nullptr;
}

int32_t TGLSurface::Width() const { return FImpl->Widget ? FImpl->Widget->width() : FImpl->Width; }
int32_t TGLSurface::Height() const { return FImpl->Widget ? FImpl->Widget->height() : FImpl->Height; }

int32_t TGLSurface::FramebufferWidth() const
{
  return FImpl->Widget ? int32_t(FImpl->Widget->width() * FImpl->Widget->devicePixelRatioF()) : FImpl->Width;
}

int32_t TGLSurface::FramebufferHeight() const
{
  return FImpl->Widget ? int32_t(FImpl->Widget->height() * FImpl->Widget->devicePixelRatioF()) : FImpl->Height;
}

void TGLSurface::SetSize(int32_t width, int32_t height)
{
  width = std::clamp(width, 1, 16384);
  height = std::clamp(height, 1, 16384);
  if (FImpl->Widget) {
    FImpl->Widget->resize(width, height);
    return;
  }
  if (width == FImpl->Width && height == FImpl->Height)
    return;
  FImpl->Width = width;
  FImpl->Height = height;
  if (FImpl->Context && MakeCurrent() && OnResize)
    OnResize(width, height);
}

void TGLSurface::Show()
{
  if (FImpl->Widget)
    FImpl->Widget->show();
}

void TGLSurface::Hide()
{
  if (FImpl->Widget)
    FImpl->Widget->hide();
}

bool TGLSurface::Visible() const { return FImpl->Widget && FImpl->Widget->isVisible(); }

void TGLSurface::Invalidate()
{
  if (FImpl->Widget)
    FImpl->Widget->update();
}

void TGLSurface::Repaint()
{
  if (FImpl->Widget) {
    if (FImpl->Widget->isVisible())
      FImpl->Widget->repaint();
    else
      FImpl->Widget->grabFramebuffer();   // renders into the widget's framebuffer unseen
    return;
  }
  if (!CreateContext() || !MakeCurrent())
    return;
  if (OnPaint)
    OnPaint();
}

void TGLSurface::SetFocus()
{
  if (FImpl->Widget)
    FImpl->Widget->setFocus(Qt::OtherFocusReason);
}

bool TGLSurface::Focused() const { return FImpl->Widget && FImpl->Widget->hasFocus(); }

void TGLSurface::SetHandCursor(bool hand)
{
  if (FImpl->Widget)
    FImpl->Widget->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TGLSurface::SetHint(const std::string& hint)
{
  if (FImpl->Widget)
    FImpl->Widget->setToolTip(QString::fromLatin1(hint.c_str()));
}

void* TGLSurface::Widget() const { return FImpl->Widget.get(); }
