#include "platform/GLSurface.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <QSurfaceFormat>
#include <QWheelEvent>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

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
  case Qt::Key_Return:
  case Qt::Key_Enter: return 0x0D;
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

// The thread that loads the GL libraries ahead (PrepareGLDriver). Joined before the
// application goes, and at the latest when the process ends. The libraries are loaded once
// for the process, so one thread does it.
std::thread& DriverLoader()
{
  // NOLINTNEXTLINE(orrelo-static-local-state): one per process, as above.
  static struct TLoader {
    std::thread Thread;
    ~TLoader()
    {
      if (Thread.joinable())
        Thread.join();
    }
  } loader;
  return loader.Thread;
}

void FinishLoadingDriver()
{
  if (DriverLoader().joinable())
    DriverLoader().join();
}

// Mesa's drivers: on most systems one library under a name per device (hard links of one
// file). Where the folder holds just that one library it is the driver whatever the device;
// anywhere else which one is needed is not known without asking the display.
std::string MesaDriverFile(void* glx)
{
  std::string folder;
  if (const char* path = std::getenv("LIBGL_DRIVERS_PATH"); path && *path)
    folder = std::string(path).substr(0, std::string(path).find(':'));
  else {
    char origin[4096] = {};
    if (dlinfo(glx, RTLD_DI_ORIGIN, origin) != 0)
      return {};
    folder = std::string(origin) + "/dri";
  }
  std::string first;
  struct stat firstStat = {};
  namespace fs = std::filesystem;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() < 8 || name.compare(name.size() - 7, 7, "_dri.so") != 0)
      continue;
    struct stat st = {};
    if (stat(e.path().c_str(), &st) != 0)
      continue;
    if (first.empty()) {
      first = e.path().string();
      firstStat = st;
    } else if (st.st_dev != firstStat.st_dev || st.st_ino != firstStat.st_ino)
      return {};   // separate drivers
  }
  return first;
}

}   // namespace

void PrepareGLDriver()
{
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QGuiApplication::platformName() != QLatin1String("xcb") || DriverLoader().joinable())
    return;
  // Mesa's libraries only: where another vendor's serve GL (chosen in the environment, or the
  // NVIDIA driver running) they would be loaded for nothing.
  const char* vendor = std::getenv("__GLX_VENDOR_LIBRARY_NAME");
  if ((vendor && *vendor && std::string(vendor) != "mesa") || access("/proc/driver/nvidia/version", F_OK) == 0)
    return;
  // Loading holds the library loader, and no thread can start until it is done.
  StartToolkitThreads();
  qAddPostRoutine(FinishLoadingDriver);
  // Only libraries are loaded here: the display is not asked anything off the GUI thread,
  // whose connection to it the toolkit uses meanwhile. The libraries stay loaded.
  DriverLoader() = std::thread([] {
    void* glx = dlopen("libGLX_mesa.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!glx)
      return;
    const std::string driver = MesaDriverFile(glx);
    if (!driver.empty())
      dlopen(driver.c_str(), RTLD_NOW | RTLD_LOCAL);
  });
}

// The window surface's native window: paints on expose and update requests, and passes the
// toolkit's input on, either to the surface's handlers or, when embedded, to the widget that
// stands for it in the control tree.
class TGLSurfaceWindow : public QWindow {
public:
  explicit TGLSurfaceWindow(TGLSurfaceImpl* impl) : Impl(impl)
  {
    setSurfaceType(QWindow::OpenGLSurface);
    setFormat(LegacyFormat());
  }
  TGLSurfaceImpl* Impl;
  QPointer<QWidget> InputWidget;
  bool Pressed = false;

protected:
  bool event(QEvent* e) override;
  void exposeEvent(QExposeEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;

private:
  bool Forward(QEvent* e);
};

struct TGLSurfaceImpl {
  TGLSurface* Owner = nullptr;
  std::unique_ptr<TGLSurfaceWindow> Window;       // window kind
  std::unique_ptr<QOffscreenSurface> Offscreen;   // offscreen kind
  std::unique_ptr<QOpenGLContext> Context;
  std::unique_ptr<QOpenGLFramebufferObject> Fbo;
  int32_t Width = 0;
  int32_t Height = 0;
  bool Painting = false;
  bool FramebufferStale = false;   // the framebuffer lags the latest frame or state

  QSurface* Drawable() const
  {
    if (Window)
      return Window.get();
    return Offscreen.get();
  }

  int32_t PixelWidth() const
  {
    return Window ? std::max(1, int32_t(Window->width() * Window->devicePixelRatio())) : Width;
  }
  int32_t PixelHeight() const
  {
    return Window ? std::max(1, int32_t(Window->height() * Window->devicePixelRatio())) : Height;
  }

  bool EnsureFbo()
  {
    const int32_t w = PixelWidth(), h = PixelHeight();
    if (Fbo && Fbo->width() == w && Fbo->height() == h)
      return true;
    Fbo.reset();
    QOpenGLFramebufferObjectFormat f;
    f.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    f.setSamples(0);
    Fbo = std::make_unique<QOpenGLFramebufferObject>(std::max(1, w), std::max(1, h), f);
    return Fbo->isValid();
  }

  // Renders a frame: a window on the screen draws straight into its own buffers and
  // presents them (a copy through the framebuffer costs a software renderer as much as a
  // simple frame); anything else, or when asked, draws into the framebuffer.
  void Paint(bool toFramebuffer)
  {
    if (Painting || !Owner->CreateContext())
      return;
    const bool onScreen = !toFramebuffer && Window && Window->isExposed();
    // A frame for the screen needs no framebuffer of ours; it is made when first needed.
    if (onScreen ? !Context->makeCurrent(Window.get()) : !Owner->MakeCurrent())
      return;
    Painting = true;
    if (onScreen)
      QOpenGLFramebufferObject::bindDefault();
    if (Owner->OnPaint)
      GuardedCall([&] { Owner->OnPaint(); }, Owner);
    if (onScreen) {
      Context->swapBuffers(Window.get());
      if (Fbo)
        Fbo->bind();
    }
    FramebufferStale = onScreen;
    Painting = false;
  }

  void Resized()
  {
    // An offscreen surface's framebuffer is its picture and takes the new size now; a
    // window's is resized when next used.
    if (!Context || !(Window ? Context->makeCurrent(Window.get()) : Owner->MakeCurrent()))
      return;
    if (Owner->OnResize)
      GuardedCall([&] { Owner->OnResize(Owner->Width(), Owner->Height()); }, Owner);
  }
};

bool TGLSurfaceWindow::event(QEvent* e)
{
  if (e->type() == QEvent::UpdateRequest) {
    // Off the screen a frame would be drawn for nobody: whoever reads one draws it then.
    if (isExposed())
      Impl->Paint(false);
    return true;
  }
  return QWindow::event(e);
}

void TGLSurfaceWindow::exposeEvent(QExposeEvent*)
{
  if (isExposed())
    Impl->Paint(false);
}

void TGLSurfaceWindow::resizeEvent(QResizeEvent*) { Impl->Resized(); }

// Embedded, the widget in the control tree takes the input as if the pointer were over it.
bool TGLSurfaceWindow::Forward(QEvent* e)
{
  QWidget* to = InputWidget.data();
  if (!to)
    return false;
  if (e->type() == QEvent::Wheel) {
    auto* we = static_cast<QWheelEvent*>(e);
    QWheelEvent copy(to->mapFromGlobal(we->globalPosition()), we->globalPosition(), we->pixelDelta(), we->angleDelta(),
                     we->buttons(), we->modifiers(), we->phase(), we->inverted(), we->source());
    QCoreApplication::sendEvent(to, &copy);
    e->setAccepted(copy.isAccepted());
    return true;
  }
  auto* me = static_cast<QMouseEvent*>(e);
  QMouseEvent copy(me->type(), to->mapFromGlobal(me->globalPosition()), me->globalPosition(), me->button(),
                   me->buttons(), me->modifiers());
  QCoreApplication::sendEvent(to, &copy);
  return true;
}

void TGLSurfaceWindow::mousePressEvent(QMouseEvent* e)
{
  if (Forward(e))
    return;
  TGLSurface* owner = Impl->Owner;
  TGLSurface::TMouseButton b;
  Pressed = true;
  if (ButtonOf(e->button(), b) && owner->OnMouseDown) {
    QPoint p = e->position().toPoint();
    GuardedCall([&] { owner->OnMouseDown(b, ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); }, owner);
  }
}

void TGLSurfaceWindow::mouseReleaseEvent(QMouseEvent* e)
{
  if (Forward(e))
    return;
  TGLSurface* owner = Impl->Owner;
  TGLSurface::TMouseButton b;
  QPoint p = e->position().toPoint();
  if (ButtonOf(e->button(), b) && owner->OnMouseUp)
    GuardedCall([&] { owner->OnMouseUp(b, ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); }, owner);
  // A click is a press and release of the left button inside the surface.
  if (Pressed && e->button() == Qt::LeftButton && QRect(QPoint(0, 0), size()).contains(p) && owner->OnClick)
    GuardedCall([&] { owner->OnClick(); }, owner);
  Pressed = false;
}

void TGLSurfaceWindow::mouseDoubleClickEvent(QMouseEvent* e)
{
  if (Forward(e))
    return;
  mousePressEvent(e);
  if (Impl->Owner->OnDblClick)
    GuardedCall([&] { Impl->Owner->OnDblClick(); }, Impl->Owner);
}

void TGLSurfaceWindow::mouseMoveEvent(QMouseEvent* e)
{
  if (Forward(e))
    return;
  TGLSurface* owner = Impl->Owner;
  if (owner->OnMouseMove) {
    QPoint p = e->position().toPoint();
    GuardedCall([&] { owner->OnMouseMove(ShiftOf(e->modifiers(), e->buttons()), p.x(), p.y()); }, owner);
  }
}

void TGLSurfaceWindow::wheelEvent(QWheelEvent* e)
{
  if (Forward(e))
    return;
  TGLSurface* owner = Impl->Owner;
  bool handled = false;
  if (owner->OnMouseWheel) {
    QPoint p = e->position().toPoint();
    GuardedCall(
        [&] { owner->OnMouseWheel(ShiftOf(e->modifiers(), e->buttons()), e->angleDelta().y(), p.x(), p.y(), handled); },
        owner);
  }
  e->setAccepted(handled);
}

void TGLSurfaceWindow::keyPressEvent(QKeyEvent* e)
{
  uint16_t key = VirtualKey(e->key());
  if (key && Impl->Owner->OnKeyDown)
    GuardedCall([&] { Impl->Owner->OnKeyDown(key, ShiftOf(e->modifiers(), Qt::NoButton)); }, Impl->Owner);
  if (!key)
    QWindow::keyPressEvent(e);
}

void TGLSurfaceWindow::keyReleaseEvent(QKeyEvent* e)
{
  uint16_t key = VirtualKey(e->key());
  if (key && Impl->Owner->OnKeyUp)
    GuardedCall([&] { Impl->Owner->OnKeyUp(key, ShiftOf(e->modifiers(), Qt::NoButton)); }, Impl->Owner);
  if (!key)
    QWindow::keyReleaseEvent(e);
}

TGLSurface::TGLSurface(TKind kind, int32_t width, int32_t height)
    : FKind(kind), FImpl(std::make_unique<TGLSurfaceImpl>())
{
  FImpl->Owner = this;
  FImpl->Width = std::max(1, width);
  FImpl->Height = std::max(1, height);
  if (kind == TKind::Window) {
    FImpl->Window = std::make_unique<TGLSurfaceWindow>(FImpl.get());
    FImpl->Window->resize(FImpl->Width, FImpl->Height);
  }
}

TGLSurface::~TGLSurface()
{
  if (auto release = std::move(FHostRelease))
    release();
  if (FImpl->Context && FImpl->Context->makeCurrent(FImpl->Drawable())) {
    if (OnContextDestroying)
      GuardedCall([&] { OnContextDestroying(); }, this);
    FImpl->Fbo.reset();
    FImpl->Context->doneCurrent();
  }
  OnContextDestroying = nullptr;
  FImpl->Fbo.reset();
  FImpl->Context.reset();
  FImpl->Window.reset();
  FImpl->Offscreen.reset();
}

bool TGLSurface::CreateContext()
{
  if (FImpl->Context)
    return FImpl->Context->isValid();
  auto ctx = std::make_unique<QOpenGLContext>();
  ctx->setFormat(LegacyFormat());
  if (!ctx->create())
    return false;
  if (FImpl->Window) {
    // A native window can take the context before it is shown; the frames go to the
    // framebuffer until it is.
    FImpl->Window->create();
    if (!FImpl->Window->handle() || !ctx->makeCurrent(FImpl->Window.get()))
      return false;
  } else {
    auto surf = std::make_unique<QOffscreenSurface>();
    surf->setFormat(ctx->format());
    surf->create();
    if (!surf->isValid() || !ctx->makeCurrent(surf.get()))
      return false;
    FImpl->Offscreen = std::move(surf);
  }
  FImpl->Context = std::move(ctx);
  // A window's frames go to the screen once it is shown, so its framebuffer waits until
  // something draws or reads off the screen; an offscreen surface has nothing else.
  if (!FImpl->Window) {
    if (!FImpl->EnsureFbo()) {
      FImpl->Context->doneCurrent();
      FImpl->Context.reset();
      FImpl->Offscreen.reset();
      return false;
    }
    FImpl->Fbo->bind();
  }
  if (OnContextCreated)
    GuardedCall([&] { OnContextCreated(); }, this);
  if (OnResize)
    GuardedCall([&] { OnResize(Width(), Height()); }, this);
  return true;
}

bool TGLSurface::HasContext() const { return FImpl->Context && FImpl->Context->isValid(); }

bool TGLSurface::MakeCurrent()
{
  if (!FImpl->Context || !FImpl->Context->makeCurrent(FImpl->Drawable()))
    return false;
  if (!FImpl->EnsureFbo())
    return false;
  FImpl->Fbo->bind();
  return true;
}

void TGLSurface::DoneCurrent()
{
  if (FImpl->Context)
    FImpl->Context->doneCurrent();
}

void TGLSurface::SwapBuffers()
{
  // A window presents after OnPaint; an offscreen framebuffer has nothing to present.
  if (FImpl->Context && FImpl->Context->isValid() && !FImpl->Window)
    FImpl->Context->functions()->glFlush();
}

void* TGLSurface::GetProcAddress(const char* name) const
{
  return FImpl->Context ? reinterpret_cast<void*>(FImpl->Context->getProcAddress(name)) : nullptr;
}

int32_t TGLSurface::Width() const { return FImpl->Window ? FImpl->Window->width() : FImpl->Width; }
int32_t TGLSurface::Height() const { return FImpl->Window ? FImpl->Window->height() : FImpl->Height; }
int32_t TGLSurface::FramebufferWidth() const { return FImpl->PixelWidth(); }
int32_t TGLSurface::FramebufferHeight() const { return FImpl->PixelHeight(); }

void TGLSurface::SetSize(int32_t width, int32_t height)
{
  width = std::clamp(width, 1, 16384);
  height = std::clamp(height, 1, 16384);
  if (FImpl->Window) {
    FImpl->Window->resize(width, height);
    return;
  }
  if (width == FImpl->Width && height == FImpl->Height)
    return;
  FImpl->Width = width;
  FImpl->Height = height;
  FImpl->Resized();
}

void TGLSurface::Show()
{
  if (FImpl->Window)
    FImpl->Window->show();
}

void TGLSurface::Hide()
{
  if (FImpl->Window)
    FImpl->Window->hide();
}

bool TGLSurface::Visible() const { return FImpl->Window && FImpl->Window->isVisible(); }

void TGLSurface::Invalidate()
{
  // The framebuffer no longer holds what a frame would show: whoever reads it draws one.
  FImpl->FramebufferStale = true;
  if (FImpl->Window && FImpl->Window->isExposed())
    FImpl->Window->requestUpdate();
}

void TGLSurface::Repaint() { FImpl->Paint(false); }

void TGLSurface::PaintToFramebuffer() { FImpl->Paint(true); }

bool TGLSurface::FramebufferStale() const { return FImpl->FramebufferStale; }

void TGLSurface::SetFocus()
{
  if (FImpl->Window && FImpl->Window->isVisible())
    FImpl->Window->requestActivate();
}

bool TGLSurface::Focused() const { return FImpl->Window && QGuiApplication::focusWindow() == FImpl->Window.get(); }

void TGLSurface::SetHandCursor(bool hand)
{
  if (FImpl->Window)
    FImpl->Window->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TGLSurface::SetHint(const std::string&)
{
  // A native window shows no tooltips of its own; an embedded surface's hint is its host's.
}

void* TGLSurface::Window() const { return FImpl->Window.get(); }

void TGLSurface::SetInputWidget(void* widget)
{
  if (FImpl->Window)
    FImpl->Window->InputWidget = static_cast<QWidget*>(widget);
}
