// Controls on toolkit widgets. Our side keeps the truth (bounds, visibility, capture, the
// window under the pointer); the widgets only show it and bring input back. One
// application-wide event filter sees all mouse and key input first: it runs the input
// filters (which may swallow an event), redirects mouse input to the capture holder, and
// tracks which control the pointer is over.
#include "platform/Controls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>
#include <QShowEvent>
#include <QHideEvent>
#include <QWheelEvent>
#include <QWidget>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/Accessible.h"
#include "platform/Bitmap.h"
#include "platform/CanvasQt.h"
#include "platform/DropShadowQt.h"
#include "platform/Fonts.h"
#include "platform/Forms.h"

// ---------------------------------------------------------------------------------------
// Shared state

namespace {

// The pointer and the keyboard as the toolkit's application object delivers them, and the
// program's windows on the screen. The toolkit keeps one application object, its pointer
// grab and its windows for the whole process (it may be made before the application object
// and outlive it), and this is our side of them.
struct TInputState {
  TControl* Capture = nullptr;
  TControl* MouseControl = nullptr;
  // The control a pressed button went down on: the toolkit keeps sending it the mouse.
  TControl* PressTarget = nullptr;
  // The control the display server's press went down on: it keeps the pointer for that
  // control's window until the buttons are let go, wherever the control moves meanwhile.
  TControl* GrabTarget = nullptr;
  bool HaveCursorPos = false;
  TPoint CursorPos;
  bool Buttons[3] = {false, false, false};
  // Shown top-level windows, bottom first.
  std::vector<TControl*> TopLevels;
  bool FilterInstalled = false;
  // The character code typed so far with Alt held on the keypad's digits; -1 for none.
  int AltCode = -1;
};

TInputState& State()
{
  static TInputState s;   // NOLINT(orrelo-static-local-state): one per process, as the toolkit's, above
  return s;
}

// The running program's hooks into the input: the input filters (the menu loop's, the
// shortcuts') and the handlers told of window events. The application holds them; made, they
// also have the application follow the pointer with its hint on every idle pass.
struct TInputHooks : TApplicationState {
  TInputHooks();
  std::map<int, TInputFilter> Filters;
  int NextFilter = 1;
  std::map<int, TWindowEventHandler> WindowHandlers;
  int NextWindowHandler = 1;
};

TInputHooks* Hooks() { return ApplicationState<TInputHooks>(); }

}   // namespace

struct TControlWidgetAccess {
  static void Paint(TControl* c, TCanvas& canvas, const TRect& area) { c->PaintAll(canvas, area); }
  static void* Widget(TControl* c) { return c->FWidget; }
  static TPoint NC(const TControl* c) { return c->NonClientSize(); }
  static void CaptureLost(TControl* c) { c->CaptureLost(); }
  static void Focus(TControl* c, bool in)
  {
    if (auto* wc = dynamic_cast<TWinControl*>(c))
      in ? wc->DoEnter() : wc->DoExit();
  }
  static void TopMoved(TControl* c, int x, int y)
  {
    if (c->FParent)
      return;
    c->FLeft = x;
    c->FTop = y;
  }
  // The window manager (the user dragging the frame) resized a top-level window: the control
  // takes the new size and lays its children out again, as if SetBounds had asked for it.
  static void TopResized(TControl* c, int w, int h)
  {
    if (c->FParent || (w == c->FWidth && h == c->FHeight))
      return;
    c->FWidth = w;
    c->FHeight = h;
    if (!c->FInResize) {
      c->FInResize = true;
      GuardedCall([&] { c->Resize(); }, c);
      c->FInResize = false;
    }
  }
  static void Exposed(TControl* c)
  {
    GuardedCall([&] { c->WindowExposed(); }, c);
  }
};

namespace {

void FireWindowEvent(TWindowEvent e, TControl* c)
{
  TInputHooks* hooks = FoundApplicationState<TInputHooks>();
  if (!hooks)
    return;
  std::map<int, TWindowEventHandler> handlers = hooks->WindowHandlers;
  for (auto& entry : handlers)
    if (hooks->WindowHandlers.count(entry.first))
      GuardedCall([&] { entry.second(e, c); });
}

class TControlWidget : public QWidget {
public:
  TControlWidget(TControl* control, QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags), Control(control)
  {
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
  }
  TControl* Control;
  // A showing waits for its first exposure (WindowExposed).
  bool ExposePending = false;
  // A control of the window took the focus before the window showed: the window is
  // activated as it shows, for the focus to reach it.
  bool ActivateWhenShown = false;

  // Watches the top-level window's exposures (the toolkit tells them to the window, not to
  // the widget).
  void WatchExposures()
  {
    if (QWindow* win = windowHandle())
      win->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject* watched, QEvent* e) override
  {
    if (e->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed() && ExposePending
        && Control) {
      ExposePending = false;
      TControlWidgetAccess::Exposed(Control);
    }
    return false;
  }
  void paintEvent(QPaintEvent* e) override
  {
    if (!Control)
      return;
    QPainter p(this);
    TCanvas canvas(CreatePainterDevice(p, {0, 0, width(), height()}, 96, false));
    QRect r = e->rect();
    TRect area{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
    // Drawing outside the part to paint would be thrown away: say so to the painting code.
    if (r != rect())
      canvas.IntersectClipRect(area.Left, area.Top, area.Right, area.Bottom);
    GuardedCall([&] { TControlWidgetAccess::Paint(Control, canvas, area); }, Control);
  }
  TPoint Local(const QPointF& p) const
  {
    TPoint nc = TControlWidgetAccess::NC(Control);
    return {static_cast<Integer>(std::floor(p.x())) - nc.X, static_cast<Integer>(std::floor(p.y())) - nc.Y};
  }
  static TShiftState Shift(Qt::KeyboardModifiers m, Qt::MouseButtons b)
  {
    TShiftState s = 0;
    if (m & Qt::ShiftModifier)
      s |= ssShift;
    if (m & Qt::AltModifier)
      s |= ssAlt;
    if (m & Qt::ControlModifier)
      s |= ssCtrl;
    if (b & Qt::LeftButton)
      s |= ssLeft;
    if (b & Qt::RightButton)
      s |= ssRight;
    if (b & Qt::MiddleButton)
      s |= ssMiddle;
    return s;
  }
  static TMouseButton Button(Qt::MouseButton b)
  {
    return b == Qt::RightButton ? mbRight : (b == Qt::MiddleButton ? mbMiddle : mbLeft);
  }
  void mousePressEvent(QMouseEvent* e) override
  {
    if (!Control)
      return;
    TPoint p = Local(e->position());
    TControl* c = Control;
    GuardedCall([&] { c->DispatchMouseDown(Button(e->button()), Shift(e->modifiers(), e->buttons()), p.X, p.Y); }, c);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override
  {
    if (!Control)
      return;
    TPoint p = Local(e->position());
    TControl* c = Control;
    GuardedCall(
        [&] { c->DispatchMouseDown(Button(e->button()), Shift(e->modifiers(), e->buttons()) | ssDouble, p.X, p.Y); },
        c);
  }
  void mouseReleaseEvent(QMouseEvent* e) override
  {
    if (!Control)
      return;
    TPoint p = Local(e->position());
    TControl* c = Control;
    GuardedCall([&] { c->DispatchMouseUp(Button(e->button()), Shift(e->modifiers(), e->buttons()), p.X, p.Y); }, c);
  }
  void mouseMoveEvent(QMouseEvent* e) override
  {
    if (!Control)
      return;
    TPoint p = Local(e->position());
    TControl* c = Control;
    GuardedCall([&] { c->DispatchMouseMove(Shift(e->modifiers(), e->buttons()), p.X, p.Y); }, c);
  }
  void wheelEvent(QWheelEvent* e) override
  {
    if (!Control)
      return;
    TControl* c = Control;
    TPoint local = Local(e->position());
    TPoint screen = c->ClientToScreen(local);
    GuardedCall([&] { c->DispatchMouseWheel(Shift(e->modifiers(), e->buttons()), e->angleDelta().y(), screen); }, c);
  }
  void moveEvent(QMoveEvent* e) override
  {
    if (Control && isWindow()) {
      TControlWidgetAccess::TopMoved(Control, e->pos().x(), e->pos().y());
      UpdateDropShadow(this);
      FireWindowEvent(TWindowEvent::Moved, Control);
    }
  }
  void showEvent(QShowEvent* e) override
  {
    QWidget::showEvent(e);
    if (Control && isWindow()) {
      UpdateDropShadow(this);
      FireWindowEvent(TWindowEvent::Shown, Control);
    }
  }
  void hideEvent(QHideEvent* e) override
  {
    QWidget::hideEvent(e);
    if (isWindow())
      UpdateDropShadow(this);
    if (Control && isWindow())
      FireWindowEvent(TWindowEvent::Hidden, Control);
  }
  void resizeEvent(QResizeEvent* e) override
  {
    if (Control && isWindow()) {
      TControlWidgetAccess::TopResized(Control, e->size().width(), e->size().height());
      UpdateDropShadow(this);
    }
  }
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  // The window manager's close button asks the form, which may refuse; the toolkit must
  // never hide a form behind its back.
  void closeEvent(QCloseEvent* e) override
  {
    auto* form = dynamic_cast<TCustomForm*>(Control);
    if (!form || !isWindow()) {
      QWidget::closeEvent(e);
      return;
    }
    e->ignore();
    GuardedCall([&] { form->Close(); }, form);
  }
  void focusInEvent(QFocusEvent*) override
  {
    if (TControl* c = Control)
      GuardedCall([&] { TControlWidgetAccess::Focus(c, true); }, c);
  }
  void focusOutEvent(QFocusEvent*) override
  {
    if (TControl* c = Control)
      GuardedCall([&] { TControlWidgetAccess::Focus(c, false); }, c);
  }
  // Tab and Shift+Tab walk our own tab lists, from the focused control whether or not it is
  // a tab stop itself (the 3D view takes the focus by a click), as the form's dialog keys
  // do. Inside a control with tab parts, that control moves among its parts first.
  bool focusNextPrevChild(bool next) override
  {
    auto* wc = dynamic_cast<TWinControl*>(Control);
    if (!wc)
      return false;
    TWinControl* holder = wc;
    for (TWinControl* c = wc; c; c = c->Parent())
      if (c->HasTabParts()) {
        holder = c;
        break;
      }
    bool moved = false;
    GuardedCall(
        [&] {
          if (holder->TabWithin(next)) {
            moved = true;
            return;
          }
          TWinControl* root = wc;
          while (root->Parent())
            root = root->Parent();
          moved = root->SelectNext(wc, next);
        },
        wc);
    return moved;
  }
};

// Sends what is queued for the display server now rather than at the loop's next turn.
void FlushDisplay()
{
  if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
    if (xcb_connection_t* c = x11->connection())
      xcb_flush(c);
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

bool RunFilters(const TInputEvent& ev)
{
  TInputHooks* hooks = FoundApplicationState<TInputHooks>();
  if (!hooks)
    return false;
  std::map<int, TInputFilter> filters = hooks->Filters;
  for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
    if (!hooks->Filters.count(it->first))
      continue;
    bool swallowed = false;
    GuardedCall([&] { swallowed = it->second(ev); });
    if (swallowed)
      return true;
  }
  return false;
}

void UpdateMouseControl(TPoint screen)
{
  TInputState& s = State();
  TControl* now = FindControlAtPos(screen);
  if (now == s.MouseControl)
    return;
  TControl* old = s.MouseControl;
  s.MouseControl = now;
  if (old)
    GuardedCall([&] { old->DispatchMouseLeave(); }, old);
  // The leave handler may have freed the new control: look again.
  if (now && now == FindControlAtPos(screen) && s.MouseControl == now)
    GuardedCall([&] { now->DispatchMouseEnter(); }, now);
}

// Keys pass the filters first. Alt held with the keypad's digits types the character of
// that code (in Latin-1) when Alt is let go, as users of the other desktop know: the digits
// type nothing themselves, and the Alt release that ends the code is no key of its own (a
// menu or an edit in a toolbar that closes on Alt's release stays).
bool AltCodeKey(QObject* watched, TInputEvent& ev)
{
  TInputState& s = State();
  const bool digit = ev.Key >= VK_NUMPAD0 && ev.Key <= VK_NUMPAD9;
  if (ev.Kind == TInputKind::KeyDown) {
    if (digit && (ev.Shift & ssAlt) && !(ev.Shift & ssCtrl)) {
      s.AltCode = (std::max(s.AltCode, 0) * 10 + (ev.Key - VK_NUMPAD0)) % 1000;
      RunFilters(ev);
      return true;
    }
    if (ev.Key != VK_MENU)
      s.AltCode = -1;
    return RunFilters(ev);
  }
  if (ev.Key == VK_MENU && s.AltCode >= 0) {
    const int code = s.AltCode % 256;
    s.AltCode = -1;
    if (code == 0)
      return true;
    TInputEvent typed = ev;
    typed.Kind = TInputKind::KeyDown;
    typed.Key = 0;
    typed.Shift = 0;
    typed.Char = static_cast<char>(code);
    if (RunFilters(typed))
      return true;
    QWidget* focus = QApplication::focusWidget();
    TControl* c = ControlOf(focus ? focus : watched);
    if (c) {
      char ch = typed.Char;
      GuardedCall([&] { c->DispatchKeyPress(ch); }, c);
    }
    return true;
  }
  if (digit && (ev.Shift & ssAlt))
    return true;
  return RunFilters(ev);
}

void DeliverMouse(TInputKind kind, TPoint screenPos, TMouseButton button, TShiftState shift, TControl* target);

// While a control holds the capture, the mouse belongs to it whatever window the display
// server reports it in. The server keeps a pressed pointer on the window the press went
// down in, and the toolkit hands such events only to a widget of that window: once the
// pressed control has moved to another window (a toolbar dragged out of its dock into a
// floating window of its own) they would reach no control at all. So the window's events
// are taken here and delivered to our controls as our capture rules say.
bool CapturedWindowMouse(QObject* watched, QMouseEvent* me)
{
  TInputState& s = State();
  if (!s.Capture || !watched->isWindowType())
    return false;
  // The second press of a double click reaches a window before the double click that
  // stands for it; widgets see only the double click, and so do our controls here.
  if (me->type() == QEvent::MouseButtonPress && (me->flags() & Qt::MouseEventCreatedDoubleClick))
    return true;
  TPoint screen{static_cast<Integer>(std::floor(me->globalPosition().x())),
                static_cast<Integer>(std::floor(me->globalPosition().y()))};
  TMouseButton button =
      me->button() == Qt::RightButton ? mbRight : (me->button() == Qt::MiddleButton ? mbMiddle : mbLeft);
  TShiftState shift = KeyShift(me->modifiers());
  TInputKind kind = TInputKind::MouseMove;
  switch (me->type()) {
  case QEvent::MouseButtonPress: kind = TInputKind::MouseDown; break;
  case QEvent::MouseButtonDblClick: kind = TInputKind::MouseDblClick; break;
  case QEvent::MouseButtonRelease: kind = TInputKind::MouseUp; break;
  default: break;
  }
  const bool held = s.Buttons[0] || s.Buttons[1] || s.Buttons[2];
  TControl* target = (held && s.GrabTarget && kind != TInputKind::MouseDown && kind != TInputKind::MouseDblClick)
                         ? s.GrabTarget
                         : FindControlAtPos(screen);
  DeliverMouse(kind, screen, button, shift, target);
  return true;
}

// Input first comes here: filters, capture redirection, enter and leave.
class TInputFilterObject : public QObject {
protected:
  bool eventFilter(QObject* watched, QEvent* event) override
  {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
      if (CapturedWindowMouse(watched, static_cast<QMouseEvent*>(event)))
        return true;
      return Mouse(watched, static_cast<QMouseEvent*>(event));
    case QEvent::Wheel: {
      TControl* target = ControlOf(watched);
      if (!target || !dynamic_cast<TControlWidget*>(watched))
        return false;
      auto* we = static_cast<QWheelEvent*>(event);
      TInputEvent ev;
      ev.Kind = TInputKind::MouseWheel;
      ev.Target = target;
      TPoint nc = target->NonClientSize();
      ev.ScreenPos = target->ClientToScreen(
          {static_cast<Integer>(we->position().x()) - nc.X, static_cast<Integer>(we->position().y()) - nc.Y});
      ev.WheelDelta = we->angleDelta().y();
      ev.Shift = KeyShift(we->modifiers());
      return RunFilters(ev);
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      if (!watched->isWidgetType())
        return false;
      // Key events travel up the widget parents; look at them once, at the receiver.
      auto* ke = static_cast<QKeyEvent*>(event);
      if (ke->spontaneous() && watched != QApplication::focusWidget() && QApplication::focusWidget())
        return false;
      // Keys typed into the toolkit's own windows (a message box, a file dialog) are theirs:
      // our filters would take them for keys of our windows (Alt+Y on a box's "Yes" opening
      // the main window's menus in a loop the box then waits behind).
      if (!dynamic_cast<TControlWidget*>(static_cast<QWidget*>(watched)->window()))
        return false;
      TInputEvent ev;
      ev.Kind = event->type() == QEvent::KeyPress ? TInputKind::KeyDown : TInputKind::KeyUp;
      ev.Target = ControlOf(watched);
      ev.Key = KeyFromQt(ke);
      ev.Shift = KeyShift(ke->modifiers());
      ev.Char = KeyChar(ke);
      ev.ScreenPos = GetCursorPos();
      return AltCodeKey(watched, ev);
    }
    case QEvent::Leave: {
      TInputState& s = State();
      TControl* c = ControlOf(watched);
      if (c && c == s.MouseControl && !s.Capture && dynamic_cast<TControlWidget*>(watched)) {
        TPoint p{QCursor::pos().x(), QCursor::pos().y()};
        if (!FindControlAtPos(p)) {
          s.MouseControl = nullptr;
          GuardedCall([&] { c->DispatchMouseLeave(); }, c);
        }
      }
      return false;
    }
    default: return false;
    }
  }

  bool Mouse(QObject* watched, QMouseEvent* me)
  {
    auto* widget = dynamic_cast<TControlWidget*>(watched);
    if (!widget)
      return false;
    TInputState& s = State();
    TControl* target = widget->Control;
    if (!target)
      return true;
    TPoint nc = target->NonClientSize();
    TPoint local{static_cast<Integer>(std::floor(me->position().x())) - nc.X,
                 static_cast<Integer>(std::floor(me->position().y())) - nc.Y};
    TPoint screen = target->ClientToScreen(local);
    s.HaveCursorPos = true;
    s.CursorPos = screen;
    int b = me->button() == Qt::RightButton ? 1 : (me->button() == Qt::MiddleButton ? 2 : 0);
    TInputEvent ev;
    ev.Target = target;
    ev.ScreenPos = screen;
    ev.Button = static_cast<TMouseButton>(b);
    ev.Shift = KeyShift(me->modifiers());
    switch (me->type()) {
    case QEvent::MouseButtonPress:
      ev.Kind = TInputKind::MouseDown;
      s.Buttons[b] = true;
      s.GrabTarget = target;
      break;
    case QEvent::MouseButtonDblClick:
      ev.Kind = TInputKind::MouseDblClick;
      s.Buttons[b] = true;
      s.GrabTarget = target;
      ev.Shift |= ssDouble;
      break;
    case QEvent::MouseButtonRelease:
      ev.Kind = TInputKind::MouseUp;
      s.Buttons[b] = false;
      if (!s.Buttons[0] && !s.Buttons[1] && !s.Buttons[2])
        s.GrabTarget = nullptr;
      break;
    default: ev.Kind = TInputKind::MouseMove; break;
    }
    if (s.Buttons[0])
      ev.Shift |= ssLeft;
    if (s.Buttons[1])
      ev.Shift |= ssRight;
    if (s.Buttons[2])
      ev.Shift |= ssMiddle;
    if (ev.Kind == TInputKind::MouseMove)
      UpdateMouseControl(screen);
    if (RunFilters(ev))
      return true;
    TControl* capture = s.Capture;
    if (capture && capture != target) {
      // Capture: the event belongs to the holder, in its own coordinates.
      TPoint p = capture->ScreenToClient(screen);
      GuardedCall(
          [&] {
            switch (ev.Kind) {
            case TInputKind::MouseDown: capture->DispatchMouseDown(ev.Button, ev.Shift, p.X, p.Y); break;
            case TInputKind::MouseDblClick: capture->DispatchMouseDown(ev.Button, ev.Shift, p.X, p.Y); break;
            case TInputKind::MouseUp: capture->DispatchMouseUp(ev.Button, ev.Shift, p.X, p.Y); break;
            default: capture->DispatchMouseMove(ev.Shift, p.X, p.Y); break;
            }
          },
          capture);
      return true;
    }
    return false;
  }
};

// On every idle pass the application's hint (which the status line
// shows) is the long hint of the control under the pointer, or of its nearest parent that
// has one. While a control holds the mouse (a drag, a menu loop) the hint is left to it.
void UpdateApplicationHint()
{
  TInputState& s = State();
  if (s.Capture)
    return;
  std::string hint;
  for (TControl* c = s.MouseControl; c; c = c->Parent())
    if (!c->Hint().empty()) {
      hint = c->Hint();
      break;
    }
  SetApplicationHint(GetLongHint(hint));
}

TInputHooks::TInputHooks() { Application->SetFrameworkIdleHook(UpdateApplicationHint); }

void EnsureInputFilter()
{
  Hooks();
  TInputState& s = State();
  if (s.FilterInstalled)
    return;
  EnsureGuiApplication();
  // On the toolkit's application object, for as long as that lives.
  static TInputFilterObject filter;   // NOLINT(orrelo-static-local-state): one per process, as the toolkit's
  QCoreApplication::instance()->installEventFilter(&filter);
  QObject::connect(qApp, &QGuiApplication::applicationStateChanged, &filter, [](Qt::ApplicationState st) {
    FireWindowEvent(st == Qt::ApplicationActive ? TWindowEvent::Activated : TWindowEvent::Deactivated, nullptr);
  });
  s.FilterInstalled = true;
}

void RemoveTopLevel(TControl* c)
{
  auto& v = State().TopLevels;
  v.erase(std::remove(v.begin(), v.end(), c), v.end());
}

// The program's own cursors, by their numbers in the screen's cursor table (from 1 on): the
// screen's, so one table for the process, as the screen is.
std::map<TCursor, QCursor>& CustomCursors()
{
  static std::map<TCursor, QCursor> cursors;   // NOLINT(orrelo-static-local-state): the screen's, as above
  return cursors;
}

Qt::CursorShape CursorShape(TCursor c);

QCursor CursorOf(TCursor c)
{
  if (c > 0)
    if (auto it = CustomCursors().find(c); it != CustomCursors().end())
      return it->second;
  return QCursor(CursorShape(c));
}

Qt::CursorShape CursorShape(TCursor c)
{
  switch (c) {
  case crCross: return Qt::CrossCursor;
  case crIBeam: return Qt::IBeamCursor;
  case crSizeNESW: return Qt::SizeBDiagCursor;
  case crSizeNS: return Qt::SizeVerCursor;
  case crSizeNWSE: return Qt::SizeFDiagCursor;
  case crSizeWE: return Qt::SizeHorCursor;
  case crUpArrow: return Qt::UpArrowCursor;
  case crHourGlass: return Qt::WaitCursor;
  case crNo:
  case crNoDrop: return Qt::ForbiddenCursor;
  case crAppStart: return Qt::BusyCursor;
  case crHelp: return Qt::WhatsThisCursor;
  case crHandPoint: return Qt::PointingHandCursor;
  case crSizeAll: return Qt::SizeAllCursor;
  case crHSplit: return Qt::SplitHCursor;
  case crVSplit: return Qt::SplitVCursor;
  case crNone: return Qt::BlankCursor;
  default: return Qt::ArrowCursor;
  }
}

}   // namespace

// ---------------------------------------------------------------------------------------
// TControl

TControl::TControl() { EnsureInputFilter(); }

TControl::~TControl()
{
  TInputState& s = State();
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
      if (child->FVisible)
        child->HandleNeeded();
  GuardedCall([&] { HandleCreated(); }, this);
  UpdateWidgetVisibility();
}

void TControl::DestroyHandle()
{
  if (!FWidget)
    return;
  if (auto* wc = dynamic_cast<TWinControl*>(this))
    for (TControl* child : wc->FControls)
      child->DestroyHandle();
  GuardedCall([&] { DestroyingHandle(); }, this);
  FireWindowEvent(TWindowEvent::Destroying, this);
  auto* w = static_cast<TControlWidget*>(FWidget);
  FWidget = nullptr;
  w->Control = nullptr;
  w->hide();
  // The widget may be in the middle of delivering an event: let the loop free it.
  w->setParent(nullptr);
  w->deleteLater();
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
    }
    if (!FParent) {
      RemoveTopLevel(this);
      State().TopLevels.push_back(this);
    }
    w->show();
    if (FIsPopup)
      w->raise();
    if (w->ActivateWhenShown) {
      w->ActivateWhenShown = false;
      w->activateWindow();
    }
  } else {
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
  if (FParent) {
    auto& v = FParent->FControls;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    std::erase(FParent->FTabList, this);
    TWinControl* old = FParent;
    FParent = nullptr;
    old->ControlRemoved(this);
    old->Realign();
  }
  FParent = parent;
  if (parent) {
    RemoveTopLevel(this);
    parent->FControls.push_back(this);
    if (auto* wc = dynamic_cast<TWinControl*>(this))
      parent->FTabList.push_back(wc);
    parent->ControlInserted(this);
    if (parent->HandleAllocated() && FVisible)
      HandleNeeded();
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
    TInputState& s = State();
    if (s.Capture == this)
      ReleaseCapture();
    if (s.MouseControl == this)
      s.MouseControl = nullptr;
  }
  if (visible && (!FParent || FParent->HandleAllocated()))
    HandleNeeded();
  UpdateWidgetVisibility();
  if (FParent)
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
  if (r)
    w->setMask(QRegion(r->Left, r->Top, std::max(0, r->Width()), std::max(0, r->Height())));
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

bool TControl::MouseCapture() const { return State().Capture == this; }

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
    State().PressTarget = this;
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
  if (State().PressTarget == this)
    State().PressTarget = nullptr;
  bool click = button == mbLeft && FMouseDownForClick && ClientRect().Contains({x, y});
  if (button == mbLeft)
    FMouseDownForClick = false;
  MouseUp(button, shift, x, y);
  if (click && (FControlStyle & csClickEvents))
    Click();
}

void TControl::DispatchMouseMove(TShiftState shift, Integer x, Integer y) { MouseMove(shift, x, y); }

void TControl::DispatchMouseWheel(TShiftState shift, Integer delta, TPoint screenPos)
{
  DoMouseWheel(shift, delta, screenPos);
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
  std::vector<TControl*> children = FControls;
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
    if (QWidget* top = w->window(); !top->testAttribute(Qt::WA_ShowWithoutActivating)) {
      if (top->isVisible() && !top->isActiveWindow())
        top->activateWindow();
      else if (auto* tw = dynamic_cast<TControlWidget*>(top); tw && !top->isVisible())
        tw->ActivateWhenShown = true;
    }
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

// ---------------------------------------------------------------------------------------
// Capture, filters, cursor

TControl* GetCaptureControl() { return State().Capture; }

void SetCaptureControl(TControl* control)
{
  TInputState& s = State();
  TControl* old = s.Capture;
  if (old == control)
    return;
  s.Capture = control;
  if (old)
    GuardedCall([&] { TControlWidgetAccess::CaptureLost(old); }, old);
}

void ReleaseCapture() { SetCaptureControl(nullptr); }

int AddInputFilter(TInputFilter filter)
{
  EnsureInputFilter();
  TInputHooks* hooks = Hooks();
  if (!hooks)
    return 0;
  int id = hooks->NextFilter++;
  hooks->Filters.emplace(id, std::move(filter));
  return id;
}

void RemoveInputFilter(int id)
{
  if (TInputHooks* hooks = FoundApplicationState<TInputHooks>())
    hooks->Filters.erase(id);
}

int AddWindowEventHandler(TWindowEventHandler handler)
{
  EnsureInputFilter();
  TInputHooks* hooks = Hooks();
  if (!hooks)
    return 0;
  int id = hooks->NextWindowHandler++;
  hooks->WindowHandlers.emplace(id, std::move(handler));
  return id;
}

void RemoveWindowEventHandler(int id)
{
  if (TInputHooks* hooks = FoundApplicationState<TInputHooks>())
    hooks->WindowHandlers.erase(id);
}

void SetOverrideCursor(TCursor c)
{
  EnsureInputFilter();
  if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
    return;
  while (QApplication::overrideCursor())
    QApplication::restoreOverrideCursor();
  if (c != crDefault)
    QApplication::setOverrideCursor(CursorOf(c));
}

namespace {

// One pixel of a cursor: the mask keeps the screen where it is white; there a black image
// pixel lets the screen through and a white one turns it over, which a picture can only
// approach with black. Under the mask's black the image's own black or white shows.
// Gives false where the screen shows through.
bool CursorPixel(const TBitmap& image, const TBitmap& mask, Integer x, Integer y, TColor& colour)
{
  const bool keepScreen = ColorToRGB(mask.GetPixel(x, y)) == clWhite;
  const bool white = ColorToRGB(image.GetPixel(x, y)) == clWhite;
  colour = white && !keepScreen ? clWhite : clBlack;
  return !keepScreen || white;
}

}   // namespace

TBitmap CursorPicture(const TBitmap& image, const TBitmap& mask, TColor screen)
{
  const Integer w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  TBitmap out(std::max<Integer>(w, 0), std::max<Integer>(h, 0));
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      TColor c;
      out.SetPixel(x, y, CursorPixel(image, mask, x, y, c) ? c : screen);
    }
  return out;
}

void SetScreenCursorImage(TCursor index, const TBitmap& image, const TBitmap& mask, TPoint hotSpot)
{
  if (index <= 0 || !qobject_cast<QApplication*>(QCoreApplication::instance()))
    return;
  const Integer w = std::min(image.Width(), mask.Width()), h = std::min(image.Height(), mask.Height());
  if (w <= 0 || h <= 0)
    return;
  QImage picture(w, h, QImage::Format_ARGB32);
  for (Integer y = 0; y < h; ++y)
    for (Integer x = 0; x < w; ++x) {
      TColor c;
      const bool shows = CursorPixel(image, mask, x, y, c);
      picture.setPixel(x, y, shows ? qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) : qRgba(0, 0, 0, 0));
    }
  CustomCursors()[index] = QCursor(QPixmap::fromImage(picture), hotSpot.X, hotSpot.Y);
}

bool HasScreenCursorImage(TCursor index) { return CustomCursors().count(index) != 0; }

TPoint GetCursorPos()
{
  TInputState& s = State();
  if (s.HaveCursorPos)
    return s.CursorPos;
  EnsureGuiApplication();
  QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

void SetCursorPos(TPoint p)
{
  TInputState& s = State();
  s.HaveCursorPos = true;
  s.CursorPos = p;
}

bool IsMouseButtonDown(TMouseButton button) { return State().Buttons[static_cast<int>(button)]; }

static TControl* DeepestAt(TControl* c, TPoint screen)
{
  auto* wc = dynamic_cast<TWinControl*>(c);
  if (!wc)
    return c;
  TPoint p = c->ScreenToClient(screen);
  for (int i = wc->ControlCount() - 1; i >= 0; --i) {
    TControl* child = wc->Controls(i);
    if (child->Visible() && child->HandleAllocated() && child->BoundsRect().Contains(p))
      return DeepestAt(child, screen);
  }
  return c;
}

TControl* FindControlAtPos(TPoint screenPos)
{
  auto& tops = State().TopLevels;
  // Popups float above ordinary windows; among each kind the last shown is on top.
  for (int pass = 0; pass < 2; ++pass)
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
      TControl* c = *it;
      if (c->IsPopupWindow() != (pass == 0) || !c->Visible() || !c->HandleAllocated() || c->MouseTransparent())
        continue;
      if (c->BoundsRect().Contains(screenPos))
        return DeepestAt(c, screenPos);
    }
  return nullptr;
}

TControl* GetMouseControl() { return State().MouseControl; }

TWinControl* FindFocusedControl() { return dynamic_cast<TWinControl*>(ControlOf(QApplication::focusWidget())); }

void SimulateMouse(TInputKind kind, TPoint screenPos, TMouseButton button, TShiftState shift)
{
  TInputState& s = State();
  s.HaveCursorPos = true;
  s.CursorPos = screenPos;
  // While a button is held the toolkit keeps giving the mouse to the window it went down on.
  TControl* target = (s.PressTarget && kind != TInputKind::MouseDown && kind != TInputKind::MouseDblClick)
                         ? s.PressTarget
                         : FindControlAtPos(screenPos);
  if (kind == TInputKind::MouseDown || kind == TInputKind::MouseDblClick)
    s.PressTarget = target;
  DeliverMouse(kind, screenPos, button, shift, target);
}

namespace {

// A mouse event at a screen point for a chosen control: through its widget (and so through
// the input filters and the capture, as the toolkit's own events go), or, outside all our
// windows, to the filters and the capture holder alone.
void DeliverMouse(TInputKind kind, TPoint screenPos, TMouseButton button, TShiftState shift, TControl* target)
{
  TInputState& s = State();
  s.HaveCursorPos = true;
  s.CursorPos = screenPos;
  TControlWidget* w = target ? WidgetOf(target) : nullptr;
  if (!w) {
    // Outside all our windows: only the filters could have seen it (and capture holders).
    if (kind == TInputKind::MouseMove)
      UpdateMouseControl(screenPos);
    TInputEvent ev;
    ev.Kind = kind;
    ev.ScreenPos = screenPos;
    ev.Button = button;
    ev.Shift = shift;
    int b = static_cast<int>(button);
    if (kind == TInputKind::MouseDown || kind == TInputKind::MouseDblClick)
      s.Buttons[b] = true;
    else if (kind == TInputKind::MouseUp)
      s.Buttons[b] = false;
    if (!RunFilters(ev) && s.Capture) {
      TControl* capture = s.Capture;
      TPoint p = capture->ScreenToClient(screenPos);
      GuardedCall(
          [&] {
            if (kind == TInputKind::MouseDown || kind == TInputKind::MouseDblClick)
              capture->DispatchMouseDown(button, shift, p.X, p.Y);
            else if (kind == TInputKind::MouseUp)
              capture->DispatchMouseUp(button, shift, p.X, p.Y);
            else if (kind == TInputKind::MouseMove)
              capture->DispatchMouseMove(shift, p.X, p.Y);
          },
          capture);
    }
    if (kind == TInputKind::MouseUp)
      s.PressTarget = nullptr;
    return;
  }
  TPoint local = target->ScreenToClient(screenPos);
  TPoint nc = target->NonClientSize();
  QPointF lp(local.X + nc.X + 0.5, local.Y + nc.Y + 0.5);
  QPointF gp(screenPos.X + 0.5, screenPos.Y + 0.5);
  Qt::MouseButton qb = button == mbRight ? Qt::RightButton : (button == mbMiddle ? Qt::MiddleButton : Qt::LeftButton);
  Qt::KeyboardModifiers mods;
  if (shift & ssShift)
    mods |= Qt::ShiftModifier;
  if (shift & ssCtrl)
    mods |= Qt::ControlModifier;
  if (shift & ssAlt)
    mods |= Qt::AltModifier;
  Qt::MouseButtons held;
  for (int b = 0; b < 3; ++b)
    if (s.Buttons[b])
      held |= b == 0 ? Qt::LeftButton : (b == 1 ? Qt::RightButton : Qt::MiddleButton);
  QEvent::Type type;
  switch (kind) {
  case TInputKind::MouseDown:
    type = QEvent::MouseButtonPress;
    held |= qb;
    break;
  case TInputKind::MouseDblClick:
    type = QEvent::MouseButtonDblClick;
    held |= qb;
    break;
  case TInputKind::MouseUp:
    type = QEvent::MouseButtonRelease;
    held &= ~Qt::MouseButtons(qb);
    break;
  case TInputKind::MouseWheel: {
    QWheelEvent we(lp, gp, QPoint(), QPoint(0, 120), held, mods, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(w, &we);
    return;
  }
  default:
    type = QEvent::MouseMove;
    qb = Qt::NoButton;
    break;
  }
  QMouseEvent me(type, lp, gp, qb, held, mods);
  QPointer<TControlWidget> guard(w);
  QCoreApplication::sendEvent(w, &me);
  if (kind == TInputKind::MouseUp)
    s.PressTarget = nullptr;
}

}   // namespace

void SimulateWindowResize(TControl* window, Integer width, Integer height)
{
  // Straight to the toolkit's window, past the control, as a frame drag arrives.
  if (QWidget* w = WidgetOf(window); w && w->isWindow())
    w->resize(std::max(1, width), std::max(1, height));
}

void SimulateKey(Word key, TShiftState shift, char ch)
{
  EnsureInputFilter();
  QWidget* target = QApplication::focusWidget();
  if (!target) {
    TInputState& s = State();
    TControl* c = s.Capture;
    if (!c)
      for (auto it = s.TopLevels.rbegin(); it != s.TopLevels.rend() && !c; ++it)
        if (!(*it)->IsPopupWindow())
          c = *it;
    if (!c && !s.TopLevels.empty())
      c = s.TopLevels.back();
    target = c ? WidgetOf(c) : nullptr;
  }
  Qt::KeyboardModifiers mods;
  if (shift & ssShift)
    mods |= Qt::ShiftModifier;
  if (shift & ssCtrl)
    mods |= Qt::ControlModifier;
  if (shift & ssAlt)
    mods |= Qt::AltModifier;
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
    mods |= Qt::KeypadModifier;
  QString text = ch ? QString(QChar(static_cast<unsigned char>(ch))) : QString();
  QKeyEvent press(QEvent::KeyPress, KeyToQt(key), mods, text);
  QKeyEvent release(QEvent::KeyRelease, KeyToQt(key), mods, text);
  if (!target) {
    // No window at all: the filters still see it.
    TInputEvent ev;
    ev.Kind = TInputKind::KeyDown;
    ev.Key = key;
    ev.Shift = shift;
    ev.Char = ch;
    RunFilters(ev);
    return;
  }
  QPointer<QWidget> guard(target);
  QCoreApplication::sendEvent(target, &press);
  if (guard)
    QCoreApplication::sendEvent(target, &release);
}

// ---------------------------------------------------------------------------------------
// Shortcuts

TShortCut ShortCut(Word key, TShiftState shift)
{
  if (key & 0xFF00)
    return 0;
  TShortCut s = key;
  if (shift & ssShift)
    s |= scShift;
  if (shift & ssCtrl)
    s |= scCtrl;
  if (shift & ssAlt)
    s |= scAlt;
  return s;
}

std::string ShortCutToText(TShortCut shortCut)
{
  Word key = shortCut & 0xFF;
  std::string name;
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
    name = std::string(1, static_cast<char>(key));
  else if (key >= VK_F1 && key <= VK_F12)
    name = "F" + IntToStr(key - VK_F1 + 1);
  else
    switch (key) {
    case VK_BACK: name = "BkSp"; break;
    case VK_TAB: name = "Tab"; break;
    case VK_RETURN: name = "Enter"; break;
    case VK_ESCAPE: name = "Esc"; break;
    case VK_SPACE: name = "Space"; break;
    case VK_PRIOR: name = "PgUp"; break;
    case VK_NEXT: name = "PgDn"; break;
    case VK_END: name = "End"; break;
    case VK_HOME: name = "Home"; break;
    case VK_LEFT: name = "Left"; break;
    case VK_UP: name = "Up"; break;
    case VK_RIGHT: name = "Right"; break;
    case VK_DOWN: name = "Down"; break;
    case VK_INSERT: name = "Ins"; break;
    case VK_DELETE: name = "Del"; break;
    case VK_ADD: name = "+"; break;
    case VK_SUBTRACT: name = "-"; break;
    default: break;
    }
  if (name.empty())
    return "";
  std::string out;
  if (shortCut & scShift)
    out += "Shift+";
  if (shortCut & scCtrl)
    out += "Ctrl+";
  if (shortCut & scAlt)
    out += "Alt+";
  return out + name;
}

// For the accessibility bridge: a control's own widget (nullptr before it has one), and the
// control whose own widget an object is.
QWidget* AccessibleWidgetOf(TControl* control) { return control ? WidgetOf(control) : nullptr; }
TControl* AccessibleControlOf(QObject* object)
{
  TControl* c = ControlOf(object);
  return c && WidgetOf(c) == object ? c : nullptr;
}
