// The widget under each windowed control, where what the toolkit reports of the window
// (keys here; painting, the mouse, moves, sizes and the close button in ControlsQt.h) goes
// to the control; the conversions of the toolkit's keys; and, for the accessibility bridge,
// the way from a control to its widget and back.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>
#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>

#include "platform/AccessibleQt.h"
#include "platform/ControlsQt.h"

namespace controls {

xcb_connection_t* ToolkitConnection()
{
  // A program without a graphical application (a tool, a test) has none.
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

void FlushDisplay()
{
  if (xcb_connection_t* c = ToolkitConnection())
    xcb_flush(c);
}

namespace {

// The window that has the keyboard on the display server now (none where there is no server
// to ask): the server's answer, not what the toolkit has read of it so far.
std::optional<xcb_window_t> KeyboardWindow()
{
  xcb_connection_t* c = ToolkitConnection();
  xcb_get_input_focus_reply_t* r = c ? xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr) : nullptr;
  if (!r)
    return std::nullopt;
  const xcb_window_t focus = r->focus;
  std::free(r);
  return focus;
}

bool OurWindow(xcb_window_t id)
{
  for (const QWindow* w : QGuiApplication::allWindows())
    if (w->handle() && w->winId() == id)
      return true;
  return false;
}

}   // namespace

void RequestActivation(QWidget* top)
{
  auto* w = dynamic_cast<TControlWidget*>(top);
  // A request made later, for this window or another, stands in for one still waiting.
  const unsigned int request = ++InputState().ActivationRequests;
  if (!top->isVisible()) {
    if (w)
      w->ActivateWhenShown = true;
    return;
  }
  if (!w || !w->ExposePending) {
    top->activateWindow();
    return;
  }
  w->ActivateWhenExposed = true;
  w->ActivationRequest = request;
}

void NoteKeyboardBeforeShowing(TControlWidget* w)
{
  w->KeyboardBeforeShowing = KeyboardWindow().value_or(XCB_NONE);
  w->ActiveSinceShown = false;
}

void HandKeyboardToOwner(QWidget* w)
{
  const QWindow* window = w->windowHandle();
  const QWindow* owner = window ? window->transientParent() : nullptr;
  if (!owner || !w->isActiveWindow())
    return;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->windowHandle() == owner && top->isVisible() && top->isEnabled() && !top->isMinimized()) {
      top->raise();
      top->activateWindow();
      return;
    }
}

bool PassKeyboardFromOurWindows(QWidget* w)
{
  xcb_connection_t* c = ToolkitConnection();
  const std::optional<xcb_window_t> now = KeyboardWindow();
  if (!c || !now || !w || !w->windowHandle() || !w->windowHandle()->isExposed())
    return false;
  if (*now != w->winId() && (*now <= XCB_INPUT_FOCUS_POINTER_ROOT || OurWindow(*now))) {
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(w->winId()), XCB_CURRENT_TIME);
    xcb_flush(c);
  }
  return true;
}

void ActivateOnceShown(TControlWidget* w)
{
  // The window manager gives a new window the keyboard as it maps it, or not at all: a
  // moment for it, then the server says which.
  QTimer::singleShot(50, w, [w] {
    if (!w->isVisible() || w->ActiveSinceShown || w->ActivationRequest != InputState().ActivationRequests)
      return;
    const std::optional<xcb_window_t> now = KeyboardWindow();
    const bool hasIt = now && *now == w->winId();
    const bool goneElsewhere =
        now && *now > XCB_INPUT_FOCUS_POINTER_ROOT && *now != w->KeyboardBeforeShowing && !OurWindow(*now);
    if (!hasIt && !goneElsewhere)
      w->activateWindow();
  });
}

namespace {

// The release the loop has yet to free, which the next field's widget joins, and its counts.
struct TReleaseState {
  TWidgetRelease* Pending = nullptr;
  TWidgetReleaseCounts Counts;
};
TReleaseState& Releases()
{
  static TReleaseState s;   // NOLINT(orrelo-static-local-state): one per process, as the event loop
  return s;
}

}   // namespace

TControlWidget::~TControlWidget()
{
  if (Release) {
    Release->FWidgets[ReleaseSlot] = nullptr;
    --Releases().Counts.Waiting;
  }
}

void TWidgetRelease::Take(TControlWidget* w)
{
  // Out of sight: wholly outside its parent, or its parent outside its own, up to the window.
  bool inSight = true;
  for (QWidget* c = w; inSight && !c->isWindow() && c->parentWidget(); c = c->parentWidget())
    inSight = c->geometry().intersects(c->parentWidget()->rect());
  QWidget* focus = QApplication::focusWidget();
  if (inSight || w->isWindow() || !w->parentWidget() || focus == w || (focus && w->isAncestorOf(focus))) {
    w->hide();
    ++Releases().Counts.Hidden;
  }
  TReleaseState& r = Releases();
  if (!r.Pending) {
    r.Pending = new TWidgetRelease;
    r.Pending->deleteLater();
    ++r.Counts.Queued;
  }
  w->Release = r.Pending;
  w->ReleaseSlot = r.Pending->FWidgets.size();
  r.Pending->FWidgets.push_back(w);
  ++r.Counts.Waiting;
}

TWidgetRelease::~TWidgetRelease()
{
  // Widgets freed from here may free controls whose widgets wait for the next release.
  if (Releases().Pending == this)
    Releases().Pending = nullptr;
  // In the order they went: a page's fields leave their parent's list of children from its
  // front.
  for (size_t i = 0; i < FWidgets.size(); ++i)
    if (TControlWidget* w = FWidgets[i]) {
      w->Release = nullptr;
      --Releases().Counts.Waiting;
      delete w;
    }
}

TControlWidget* WidgetOf(const TControl* c)
{
  return static_cast<TControlWidget*>(TControlWidgetAccess::Widget(const_cast<TControl*>(c)));
}

TControl* ControlOf(QObject* o)
{
  for (QObject* w = o; w; w = w->parent())
    if (auto* cw = dynamic_cast<TControlWidget*>(w))
      return cw->Control;
  return nullptr;
}

Word KeyFromQt(int key)
{
  if (key >= Qt::Key_A && key <= Qt::Key_Z)
    return static_cast<Word>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9)
    return static_cast<Word>('0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
    return static_cast<Word>(VK_F1 + (key - Qt::Key_F1));
  switch (key) {
  case Qt::Key_Backspace: return VK_BACK;
  case Qt::Key_Tab:
  case Qt::Key_Backtab: return VK_TAB;
  case Qt::Key_Return:
  case Qt::Key_Enter: return VK_RETURN;
  case Qt::Key_Shift: return VK_SHIFT;
  case Qt::Key_Control: return VK_CONTROL;
  case Qt::Key_Alt: return VK_MENU;
  case Qt::Key_Escape: return VK_ESCAPE;
  case Qt::Key_Space: return VK_SPACE;
  case Qt::Key_PageUp: return VK_PRIOR;
  case Qt::Key_PageDown: return VK_NEXT;
  case Qt::Key_End: return VK_END;
  case Qt::Key_Home: return VK_HOME;
  case Qt::Key_Left: return VK_LEFT;
  case Qt::Key_Up: return VK_UP;
  case Qt::Key_Right: return VK_RIGHT;
  case Qt::Key_Down: return VK_DOWN;
  case Qt::Key_Insert: return VK_INSERT;
  case Qt::Key_Delete: return VK_DELETE;
  case Qt::Key_Plus: return VK_ADD;
  case Qt::Key_Minus: return VK_SUBTRACT;
  default: return 0;
  }
}

// The keypad's digits have keys of their own, as the keyboard's layout gives them.
Word KeyFromQt(const QKeyEvent* e)
{
  const int key = e->key();
  if ((e->modifiers() & Qt::KeypadModifier) && key >= Qt::Key_0 && key <= Qt::Key_9)
    return static_cast<Word>(VK_NUMPAD0 + (key - Qt::Key_0));
  return KeyFromQt(key);
}

int KeyToQt(Word key)
{
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
    return Qt::Key_0 + (key - VK_NUMPAD0);
  if (key >= 'A' && key <= 'Z')
    return Qt::Key_A + (key - 'A');
  if (key >= '0' && key <= '9')
    return Qt::Key_0 + (key - '0');
  if (key >= VK_F1 && key <= VK_F12)
    return Qt::Key_F1 + (key - VK_F1);
  switch (key) {
  case VK_BACK: return Qt::Key_Backspace;
  case VK_TAB: return Qt::Key_Tab;
  case VK_RETURN: return Qt::Key_Return;
  case VK_SHIFT: return Qt::Key_Shift;
  case VK_CONTROL: return Qt::Key_Control;
  case VK_MENU: return Qt::Key_Alt;
  case VK_ESCAPE: return Qt::Key_Escape;
  case VK_SPACE: return Qt::Key_Space;
  case VK_PRIOR: return Qt::Key_PageUp;
  case VK_NEXT: return Qt::Key_PageDown;
  case VK_END: return Qt::Key_End;
  case VK_HOME: return Qt::Key_Home;
  case VK_LEFT: return Qt::Key_Left;
  case VK_UP: return Qt::Key_Up;
  case VK_RIGHT: return Qt::Key_Right;
  case VK_DOWN: return Qt::Key_Down;
  case VK_INSERT: return Qt::Key_Insert;
  case VK_DELETE: return Qt::Key_Delete;
  default: return Qt::Key_unknown;
  }
}

TShiftState KeyShift(Qt::KeyboardModifiers m)
{
  TShiftState s = 0;
  if (m & Qt::ShiftModifier)
    s |= ssShift;
  if (m & Qt::AltModifier)
    s |= ssAlt;
  if (m & Qt::ControlModifier)
    s |= ssCtrl;
  return s;
}

char KeyChar(const QKeyEvent* e)
{
  QString t = e->text();
  if (t.size() != 1)
    return 0;
  char16_t u = t.at(0).unicode();
  if (u < 32 && u != 8 && u != 9 && u != 13 && u != 27)
    return 0;
  return u < 256 ? static_cast<char>(u) : '?';
}

void TControlWidget::keyPressEvent(QKeyEvent* e)
{
  if (!Control)
    return;
  Word key = KeyFromQt(e);
  TShiftState shift = KeyShift(e->modifiers());
  char ch = KeyChar(e);
  TControl* c = Control;
  GuardedCall(
      [&] {
        if (key != 0)
          c->DispatchKeyDown(key, shift);
        if ((key != 0 || KeyFromQt(e->key()) == 0) && ch != 0)
          c->DispatchKeyPress(ch);
      },
      c);
}

void TControlWidget::keyReleaseEvent(QKeyEvent* e)
{
  if (!Control)
    return;
  Word key = KeyFromQt(e);
  TShiftState shift = KeyShift(e->modifiers());
  TControl* c = Control;
  if (key != 0)
    GuardedCall([&] { c->DispatchKeyUp(key, shift); }, c);
}

}   // namespace controls

TWidgetReleaseCounts WidgetReleaseCounts() { return controls::Releases().Counts; }

using namespace controls;

// For the accessibility bridge: a control's own widget (nullptr before it has one), and the
// control whose own widget an object is.
QWidget* AccessibleWidgetOf(TControl* control) { return control ? WidgetOf(control) : nullptr; }
QWidget* AccessibleWidgetMade(TControl* control)
{
  if (control && !control->HandleAllocated() && control->Parent() && control->Parent()->HandleAllocated())
    TControlWidgetAccess::MakeWidget(control);
  return AccessibleWidgetOf(control);
}
TControl* AccessibleControlOf(QObject* object)
{
  TControl* c = ControlOf(object);
  return c && WidgetOf(c) == object ? c : nullptr;
}
