#include "platform/Forms.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>

#include "platform/Application.h"
#include "platform/CanvasQt.h"
#include "platform/ControlsQt.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

// ---------------------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm()
{
  SetBounds(0, 0, 320, 240);
  SetVisible(false);
  Screen().FForms.push_back(this);
}

TCustomForm::~TCustomForm()
{
  RemoveHelpKey();
  auto& v = Screen().FForms;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  if (Screen().FLastActive == this)
    Screen().FLastActive = nullptr;
  DestroyHandle();
}

void TCustomForm::Close()
{
  TCloseAction action = caHide;
  if (OnClose)
    OnClose(this, action);
  if (action == caHide || action == caFree || action == caMinimize)
    Hide();
}

void TCustomForm::ShowAndPaint()
{
  Show();
  auto* w = static_cast<QWidget*>(ToolkitWidget());
  QPointer<QWindow> win = w ? w->windowHandle() : nullptr;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (win && Visible() && !win->isExposed() && std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (win && !win->isExposed())
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  Update();
}

void TCustomForm::SetIcon(const TBitmap& icon, TColor transparentColor)
{
  FIcon = icon;
  FIconTransparent = transparentColor;
  ApplyIcon();
}

void TCustomForm::HandleCreated() { ApplyIcon(); }

void TCustomForm::ApplyIcon()
{
  auto* w = static_cast<QWidget*>(ToolkitWidget());
  if (!w || FIcon.Empty())
    return;
  QImage image = BitmapToQImage(FIcon).convertToFormat(QImage::Format_ARGB32);
  if (FIconTransparent != clNone) {
    const QRgb key = qRgb(GetRValue(FIconTransparent), GetGValue(FIconTransparent), GetBValue(FIconTransparent));
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x)
        if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
          line[x] = 0;
    }
  }
  w->setWindowIcon(QIcon(QPixmap::fromImage(image)));
}

bool TCustomForm::WindowShown() const
{
  const controls::TControlWidget* w = controls::WidgetOf(this);
  return w && w->isVisible() && !w->ExposePending;
}

bool TCustomForm::Active() const { return Screen().ActiveForm() == this; }

void TCustomForm::Activate()
{
  Screen().FLastActive = this;
  HandleNeeded();
  // A shown window is brought forward and takes the keyboard, as the system's activation does.
  // One still on its way to the screen comes up on top: raised as well, it could come over a
  // program the user has gone to meanwhile.
  if (controls::TControlWidget* w = controls::WidgetOf(this); w && w->isVisible() && !IsPopupWindow()) {
    if (!w->ExposePending)
      w->raise();
    controls::RequestActivation(w);
  }
}

void TCustomForm::VisibleChanged()
{
  if (Visible())
    Screen().FLastActive = this;
  else if (OnHide)
    OnHide(this);
}

void TCustomForm::WindowShowing()
{
  // The frame first, so that OnShow sees the size the window shows at.
  if (FFitFrame) {
    TFrameWidths frame;
    if (!RequestFrame(frame))
      frame = {};
    FitFrame(frame);
  }
  if (OnShow)
    OnShow(this);
  // What the window manager is to know of the window before it maps, and the picture the
  // display server is to show at once.
  DeclareStates();
  ApplyMappedPicture();
}

void TCustomForm::WindowExposed()
{
  if (!FFitFrame)
    return;
  FFitFrame = false;
  TFrameWidths frame;
  if (ReadFrame(frame) && !(frame == FFrameUsed))
    FitFrame(frame);
}

void TCustomForm::CreateParams(TCreateParams& params)
{
  TCustomControl::CreateParams(params);
  if (Parent())
    return;
  Cardinal style = 0;
  switch (FBorderStyle) {
  case bsNone: break;
  case bsSingle:
  case bsToolWindow: style = WS_CAPTION; break;
  case bsSizeable:
  case bsSizeToolWin: style = WS_CAPTION | WS_THICKFRAME; break;
  case bsDialog:
    style = WS_CAPTION;
    params.ExStyle |= WS_EX_DLGMODALFRAME;
    break;
  }
  if (FBorderStyle != bsNone && (FBorderIcons & biSystemMenu)) {
    style |= WS_SYSMENU;
    // Only the main kinds of frame have the buttons that minimise and maximise.
    if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) {
      if (FBorderIcons & biMinimize)
        style |= WS_MINIMIZEBOX;
      if (FBorderIcons & biMaximize)
        style |= WS_MAXIMIZEBOX;
    }
  }
  params.Style = style;
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
    params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FFormStyle == fsStayOnTop)
    params.ExStyle |= WS_EX_TOPMOST;
  params.WndParent = OwnerWindow();
}

TCustomForm* TCustomForm::OwnerWindow() const
{
  for (TComponent* o = Owner(); o; o = o->Owner())
    if (auto* f = dynamic_cast<TCustomForm*>(o))
      return f;
  return FFormStyle == fsStayOnTop ? ActiveOpener() : nullptr;
}

TCustomForm* TCustomForm::ActiveOpener() const
{
  TCustomForm* active = Screen().ActiveForm();
  return active && active != this && active->Showing() ? active : nullptr;
}

void TCustomForm::SetBounds(Integer left, Integer top, Integer width, Integer height)
{
  if (!FFitting)
    FFitFrame = false;
  TCustomControl::SetBounds(left, top, width, height);
}

void TCustomForm::SetFrameBounds(const TRect& r)
{
  FFrameTarget = r;
  TFrameWidths frame;
  // Shown: the frame the window has now. Not yet: the one it will get is asked for when it
  // shows; meanwhile it is placed as if it had none.
  const bool shown = Showing() && ReadFrame(frame);
  FitFrame(frame);
  FFitFrame = !shown;
}

TRect TCustomForm::FrameRect() const
{
  TFrameWidths frame;
  if (!Showing() || !ReadFrame(frame))
    frame = {};
  return Rect(Left() - frame.Left, Top() - frame.Top, Left() + Width() + frame.Right, Top() + Height() + frame.Bottom);
}

void TCustomForm::FitFrame(const TFrameWidths& frame)
{
  FFrameUsed = frame;
  FFitting = true;
  const TRect& r = FFrameTarget;
  SetBounds(r.Left + frame.Left, r.Top + frame.Top, r.Width() - frame.Left - frame.Right,
            r.Height() - frame.Top - frame.Bottom);
  FFitting = false;
}

// ---------------------------------------------------------------------------------------
// What the window manager says of a window's frame (_NET_FRAME_EXTENTS: left, right, top,
// bottom), read from the display server.

namespace {

struct TX11 {
  xcb_connection_t* C = nullptr;
  xcb_window_t Root = 0;
  xcb_window_t Window = 0;
};

bool X11Of(const TControl& control, TX11& x)
{
  auto* w = static_cast<QWidget*>(control.ToolkitWidget());
  x.C = controls::ToolkitConnection();
  if (!x.C || !w || !w->isWindow())
    return false;
  x.Window = static_cast<xcb_window_t>(w->winId());
  x.Root = xcb_setup_roots_iterator(xcb_get_setup(x.C)).data->root;
  return x.Window != 0;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
  xcb_intern_atom_reply_t* r =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(r);
  return a;
}

// The property's 32-bit values, up to max of them.
std::vector<uint32_t> Values(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, xcb_atom_t type, uint32_t max)
{
  std::vector<uint32_t> out;
  xcb_get_property_reply_t* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, max), nullptr);
  if (r && r->format == 32) {
    const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
    out.assign(v, v + std::min<uint32_t>(r->value_len, max));
  }
  std::free(r);
  return out;
}

}   // namespace

bool TCustomForm::ReadFrame(TFrameWidths& frame) const
{
  TX11 x;
  if (!X11Of(*this, x))
    return false;
  std::vector<uint32_t> v = Values(x.C, x.Window, Atom(x.C, "_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 4);
  if (v.size() != 4)
    return false;
  frame = {Integer(v[0]), Integer(v[2]), Integer(v[1]), Integer(v[3])};
  return true;
}

bool TCustomForm::RequestFrame(TFrameWidths& frame) const
{
  TX11 x;
  if (!X11Of(*this, x))
    return false;
  const xcb_atom_t request = Atom(x.C, "_NET_REQUEST_FRAME_EXTENTS");
  std::vector<uint32_t> supported = Values(x.C, x.Root, Atom(x.C, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096);
  if (request == XCB_ATOM_NONE || std::find(supported.begin(), supported.end(), request) == supported.end())
    return false;
  // What an earlier showing left there would answer before the window manager does.
  xcb_delete_property(x.C, x.Window, Atom(x.C, "_NET_FRAME_EXTENTS"));
  xcb_client_message_event_t ev = {};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = x.Window;
  ev.type = request;
  xcb_send_event(x.C, 0, x.Root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&ev));
  xcb_flush(x.C);
  // The window manager answers at once; one that does not within a quarter of a second is
  // not waited for (the window is placed again once it is framed).
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
  do {
    if (ReadFrame(frame))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < end);
  return false;
}

// ---------------------------------------------------------------------------------------
// Modal windows, windows kept above all, pictures shown at mapping, and F1.

namespace {

// Adds or removes a state of a window the window manager has not mapped yet: it reads
// _NET_WM_STATE when the window maps (the toolkit adds its own states to what it finds).
void SetUnmappedState(const TX11& x, const char* state, bool on)
{
  const xcb_atom_t property = Atom(x.C, "_NET_WM_STATE"), atom = Atom(x.C, state);
  std::vector<uint32_t> states = Values(x.C, x.Window, property, XCB_ATOM_ATOM, 64);
  std::erase(states, atom);
  if (on)
    states.push_back(atom);
  xcb_change_property(x.C, XCB_PROP_MODE_REPLACE, x.Window, property, XCB_ATOM_ATOM, 32,
                      static_cast<uint32_t>(states.size()), states.data());
}

// The picture in the window's own pixel layout, as a pixmap; 0 where the window's format is
// not the usual 24-bit true colour in 32-bit pixels.
xcb_pixmap_t PictureToPixmap(const TX11& x, const TBitmap& picture)
{
  xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(x.C, xcb_get_geometry(x.C, x.Window), nullptr);
  const uint8_t depth = g ? g->depth : 0;
  std::free(g);
  const xcb_setup_t* setup = xcb_get_setup(x.C);
  bool thirtyTwoBits = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
    thirtyTwoBits |= f.data->depth == depth && f.data->bits_per_pixel == 32;
  if ((depth != 24 && depth != 32) || !thirtyTwoBits || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
    return 0;
  const auto w = static_cast<uint16_t>(std::min(picture.Width(), 32767));
  const auto h = static_cast<uint16_t>(std::min(picture.Height(), 32767));
  const xcb_pixmap_t pixmap = xcb_generate_id(x.C);
  xcb_create_pixmap(x.C, depth, pixmap, x.Window, w, h);
  const xcb_gcontext_t gc = xcb_generate_id(x.C);
  xcb_create_gc(x.C, gc, pixmap, 0, nullptr);
  // In strips that each fit one request.
  const size_t rowBytes = size_t(w) * 4;
  const size_t maxBytes = size_t(xcb_get_maximum_request_length(x.C)) * 4 - 64;
  const uint16_t rows = static_cast<uint16_t>(std::clamp<size_t>(maxBytes / rowBytes, 1, h));
  std::vector<uint32_t> strip(size_t(w) * rows);
  for (uint16_t y0 = 0; y0 < h; y0 = static_cast<uint16_t>(y0 + rows)) {
    const uint16_t n = std::min<uint16_t>(rows, static_cast<uint16_t>(h - y0));
    for (uint16_t y = 0; y < n; ++y)
      picture.ReadRow(y0 + y, 0, w, strip.data() + size_t(y) * w);
    xcb_put_image(x.C, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, w, n, 0, static_cast<int16_t>(y0), 0, depth,
                  static_cast<uint32_t>(rowBytes * n), reinterpret_cast<const uint8_t*>(strip.data()));
  }
  xcb_free_gc(x.C, gc);
  return pixmap;
}

// A window that waits (disabled while a modal window is up or a job runs) takes no input and
// is never the active one, as a disabled window never is. The keys typed in it reach nothing
// of the program (the toolkit gives a disabled window none, but the program's own key
// handlers would hear them first: a menu bar's Alt key, a window's F1). One that gets the
// activation all the same (a click on it activates it, whatever the window manager makes of
// the modal state) passes it straight on to the window it waits for, so the keys go there:
// the modal one, or else a window that still takes input (a print job's "Printing" box), its
// own before another.
class TWaitingWindowFilter : public QObject {
protected:
  bool eventFilter(QObject* watched, QEvent* event) override
  {
    const QEvent::Type type = event->type();
    if ((type != QEvent::WindowActivate && type != QEvent::KeyPress && type != QEvent::KeyRelease)
        || !watched->isWidgetType())
      return false;
    const QWidget* window = static_cast<QWidget*>(watched)->window();
    TCustomForm* form = nullptr;
    for (int i = 0; i < Screen().FormCount() && !form; ++i)
      if (Screen().Forms(i)->ToolkitWidget() == window)
        form = Screen().Forms(i);
    if (!form || form->Enabled())
      return false;
    if (type != QEvent::WindowActivate)
      return true;
    TCustomForm* waitedFor = window == watched ? WaitedFor(*form) : nullptr;
    // Later, once the activation is through; by then the window may have gone.
    if (waitedFor)
      QMetaObject::invokeMethod(
          this,
          [waitedFor] {
            if (Screen().HasForm(waitedFor) && waitedFor->Showing() && waitedFor->Enabled()
                && !controls::PassKeyboardFromOurWindows(controls::WidgetOf(waitedFor)))
              waitedFor->Activate();
          },
          Qt::QueuedConnection);
    return false;
  }

private:
  static TCustomForm* WaitedFor(const TCustomForm& waiting)
  {
    const auto* w = static_cast<const QWidget*>(waiting.ToolkitWidget());
    const QWindow* window = w ? w->windowHandle() : nullptr;
    TCustomForm* modal = nullptr;
    TCustomForm* owned = nullptr;
    TCustomForm* other = nullptr;
    for (int i = 0; i < Screen().FormCount(); ++i) {
      TCustomForm* f = Screen().Forms(i);
      if (f == &waiting || !f->Showing() || !f->Enabled() || f->IsPopupWindow())
        continue;
      const auto* fw = static_cast<const QWidget*>(f->ToolkitWidget());
      if (f->ShownModally())
        modal = f;
      else if (window && fw && fw->windowHandle() && fw->windowHandle()->transientParent() == window)
        owned = f;
      else
        other = f;
    }
    return modal ? modal : owned ? owned : other;
  }
};

struct TWaitingWindowState : TApplicationState {
  std::unique_ptr<TWaitingWindowFilter> Filter;
};

// Puts the filter on the toolkit's application object, once, before the program's input
// handlers (the filter put there last hears an event first).
void EnsureWaitingWindowFilter()
{
  if (TWaitingWindowState* state = ApplicationState<TWaitingWindowState>();
      state && !state->Filter && QCoreApplication::instance()) {
    controls::EnsureInputFilter();
    state->Filter = std::make_unique<TWaitingWindowFilter>();
    QCoreApplication::instance()->installEventFilter(state->Filter.get());
  }
}

}   // namespace

void TCustomForm::SetShownModally(bool modal)
{
  FShownModally = modal;
  if (modal)
    EnsureWaitingWindowFilter();
}

void TCustomForm::DeclareStates()
{
  TX11 x;
  if (!X11Of(*this, x))
    return;
  SetUnmappedState(x, "_NET_WM_STATE_MODAL", FShownModally);
  SetUnmappedState(x, "_NET_WM_STATE_ABOVE", FKeptAboveAll);
}

void TCustomForm::SetMappedPicture(const TBitmap& picture)
{
  FMappedPicture = picture;
  if (Showing())
    ApplyMappedPicture();
}

void TCustomForm::ApplyMappedPicture()
{
  TX11 x;
  if (!X11Of(*this, x))
    return;
  uint32_t background = XCB_BACK_PIXMAP_NONE;
  const xcb_pixmap_t pixmap = FMappedPicture.Empty() ? 0 : PictureToPixmap(x, FMappedPicture);
  if (pixmap)
    background = pixmap;
  xcb_change_window_attributes(x.C, x.Window, XCB_CW_BACK_PIXMAP, &background);
  // The window holds the pixmap as long as it needs it.
  if (pixmap)
    xcb_free_pixmap(x.C, pixmap);
  xcb_flush(x.C);
}

void TCustomForm::SetHelpContext(THelpContext context)
{
  FHelpContext = context;
  if (!context) {
    RemoveHelpKey();
    return;
  }
  if (FHelpKeyFilter)
    return;
  FHelpKeyFilter = AddInputFilter([this](const TInputEvent& ev) {
    if (ev.Kind != TInputKind::KeyDown || ev.Key != VK_F1 || ev.Shift != 0 || !ev.Target
        || ev.Target->GetParentForm() != this || !FHelpContext)
      return false;
    const THelpContext context = FHelpContext;
    GuardedCall([context] { ApplicationHelpContext(context); });
    return true;
  });
}

void TCustomForm::RemoveHelpKey()
{
  if (FHelpKeyFilter)
    RemoveInputFilter(FHelpKeyFilter);
  FHelpKeyFilter = 0;
}

void TPopupWindowControl::CreateParams(TCreateParams& params)
{
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP;
  params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
}

// ---------------------------------------------------------------------------------------
// TScreen

TScreen& Screen()
{
  static TScreen screen;   // NOLINT(orrelo-static-local-state): the desktop the process shows on is one
  return screen;
}

TMonitorInfo TScreen::MonitorFromWindow(const TControl& control) const
{
  TPoint o = control.ClientToScreen({0, 0});
  TPoint nc = control.NonClientSize();
  return ::MonitorFromRect(Bounds(o.X - nc.X, o.Y - nc.Y, control.Width(), control.Height()));
}

void TScreen::SetCursor(TCursor c)
{
  if (c == FCursor)
    return;
  FCursor = c;
  SetOverrideCursor(c);
}

TCustomForm* TScreen::ActiveForm() const
{
  if (qobject_cast<QApplication*>(QCoreApplication::instance()))
    if (QWidget* w = QApplication::activeWindow())
      for (TCustomForm* f : FForms)
        if (f->Showing() && f->ToolkitWidget() == w)
          return f;
  return FLastActive;
}

// ---------------------------------------------------------------------------------------
// Hints

namespace {

class THintWindow : public TPopupWindowControl {
public:
  THintWindow()
  {
    SetColor(clInfoBk);
    // Clicks on a hint reach the window under it.
    SetMouseTransparent(true);
  }
  ~THintWindow() override { DestroyHandle(); }
  std::string Text;

protected:
  void Paint() override
  {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(clInfoText);
    c.FrameRect(r);
    c.Font().SetColor(clInfoText);
    c.Brush().SetStyle(bsClear);
    r.Left += 3;
    c.DrawText(Text, r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
};

// The application's hint: its text, who hears of it, and the hint window with its pauses.
struct THintState : TApplicationState {
  ~THintState() override { RemoveWindowEventHandler(DestroyWatch); }
  std::string Hint;
  TNotifyEvent OnHint;
  TControl* Control = nullptr;   // the control the pause or the shown hint belongs to
  TPoint Pos;
  TRect Area;   // screen coordinates, while shown or expired
  bool Showing = false;
  bool Expired = false;
  std::unique_ptr<THintWindow> Window;
  std::unique_ptr<TTimer> Timer;
  int DestroyWatch = 0;
};

THintState* Hints() { return ApplicationState<THintState>(); }

void HideHintWindow(THintState& h)
{
  if (h.Timer)
    h.Timer->SetEnabled(false);
  // The window lives only while it shows, so none outlives the toolkit at exit.
  h.Window.reset();
  h.Showing = false;
}

void CancelHint(THintState& h)
{
  HideHintWindow(h);
  h.Control = nullptr;
  h.Expired = false;
}

void HintTimerFired(THintState& h)
{
  h.Timer->SetEnabled(false);
  if (h.Showing) {
    HideHintWindow(h);
    h.Expired = true;
    return;
  }
  if (!h.Control)
    return;
  std::string text;
  TRect area;
  if (!h.Control->Showing() || !h.Control->GetHintInfo(h.Control->ScreenToClient(h.Pos), text, area) || text.empty()) {
    h.Control = nullptr;
    return;
  }
  TPoint tl = h.Control->ClientToScreen({area.Left, area.Top});
  h.Area = Bounds(tl.X, tl.Y, area.Width(), area.Height());
  h.Window = std::make_unique<THintWindow>();
  TBitmap measure(1, 1);
  std::unique_ptr<TCanvas> mc = CreateBitmapCanvas(measure);
  mc->Font().Assign(h.Window->Font());
  TSize ext = mc->TextExtent(text);
  Integer w = ext.cx + 8, ht = ext.cy + 4;
  TRect work = MonitorFromPoint(h.Pos).WorkArea;
  Integer x = std::max(work.Left, std::min(h.Pos.X, work.Right - w));
  Integer y = h.Pos.Y + 20;
  if (y + ht > work.Bottom)
    y = h.Pos.Y - ht - 2;
  h.Window->Text = text;
  h.Window->SetBounds(x, y, w, ht);
  h.Window->Show();
  h.Window->Invalidate();
  h.Showing = true;
  h.Timer->SetInterval(HintHidePauseMs);
  h.Timer->SetEnabled(true);
}

}   // namespace

void SetApplicationHint(const std::string& hint)
{
  THintState* h = Hints();
  if (!h || hint == h->Hint)
    return;
  h->Hint = hint;
  if (h->OnHint)
    GuardedCall([h] { h->OnHint(nullptr); });
}

std::string ApplicationHint()
{
  const THintState* h = FoundApplicationState<THintState>();
  return h ? h->Hint : std::string();
}

void SetOnApplicationHint(TNotifyEvent handler)
{
  if (THintState* h = Hints())
    h->OnHint = std::move(handler);
}

void CancelHint()
{
  if (THintState* h = FoundApplicationState<THintState>())
    CancelHint(*h);
}

void HintMouseMessage(TControl* control, TPoint screenPos)
{
  THintState* found = Hints();
  if (!found)
    return;
  THintState& h = *found;
  if (!control) {
    CancelHint(h);
    return;
  }
  if (control == h.Control && (h.Showing || h.Expired) && h.Area.Contains(screenPos))
    return;
  if (control == h.Control && !h.Showing && !h.Expired && h.Timer && h.Timer->Enabled()) {
    h.Pos = screenPos;   // still resting: the pause runs on
    return;
  }
  CancelHint(h);
  if (!h.Timer) {
    h.Timer = std::make_unique<TTimer>();
    h.Timer->SetEnabled(false);
    h.Timer->SetOnTimer([&h](TObject*) { HintTimerFired(h); });
    // A control going away takes its hint with it.
    h.DestroyWatch = AddWindowEventHandler([&h](TWindowEvent e, TControl* c) {
      if (e == TWindowEvent::Destroying && c && c == h.Control)
        CancelHint(h);
    });
  }
  h.Control = control;
  h.Pos = screenPos;
  h.Timer->SetInterval(HintPauseMs);
  h.Timer->SetEnabled(true);
}

std::string ShownHintText()
{
  const THintState* h = FoundApplicationState<THintState>();
  return h && h->Showing && h->Window ? h->Window->Text : std::string();
}

TRect ShownHintBounds()
{
  const THintState* h = FoundApplicationState<THintState>();
  return h && h->Showing && h->Window ? h->Window->BoundsRect() : TRect{};
}

std::string GetShortHint(const std::string& hint)
{
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(0, bar);
}

std::string GetLongHint(const std::string& hint)
{
  size_t bar = hint.find('|');
  return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

// ---------------------------------------------------------------------------------------
// Nested loops

// ---------------------------------------------------------------------------------------
// Windows waiting for a modal window or a job

struct TWindowsDisabled::TWindow {
  TCustomForm* Form;
  // The window's own keyboard control, inactive or not; gone with its widget.
  QPointer<QWidget> Focus;
};

TWindowsDisabled::TWindowsDisabled(const TCustomForm* Except)
{
  EnsureWaitingWindowFilter();
  for (int i = 0; i < Screen().FormCount(); ++i) {
    TCustomForm* f = Screen().Forms(i);
    if (f == Except || !f->Visible() || !f->Enabled())
      continue;
    auto* w = static_cast<QWidget*>(f->ToolkitWidget());
    FWindows.push_back({f, w ? w->focusWidget() : nullptr});
    f->SetEnabled(false);
  }
}

TWindowsDisabled::~TWindowsDisabled()
{
  for (const TWindow& d : FWindows) {
    // A window freed meanwhile is no longer on the screen's list.
    if (!Screen().HasForm(d.Form))
      continue;
    d.Form->SetEnabled(true);
    // Still in that window, shown and enabled with all its parents: it has the keyboard
    // there again, now if the window is active, else once it is.
    if (QWidget* w = d.Focus; w && w->window() == d.Form->ToolkitWidget() && w->isVisible() && w->isEnabled())
      w->setFocus(Qt::OtherFocusReason);
  }
}

bool TWindowsDisabled::Holds(const TCustomForm* Form) const
{
  return std::any_of(FWindows.begin(), FWindows.end(), [Form](const TWindow& d) { return d.Form == Form; });
}

bool RunNestedLoop(const std::function<bool()>& finished)
{
  if (!Application)
    return false;
  while (!finished()) {
    if (Application->Terminated())
      return false;
    Application->HandleMessage();
  }
  return !Application->Terminated();
}
