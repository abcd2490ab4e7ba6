// Our side of the pointer and the keyboard. One event filter on the toolkit's application
// object sees all mouse and key input first: it runs the program's input filters (which may
// swallow an event), hands the mouse to the control holding the capture, and follows which
// control the pointer is over. Here too: the capture and the filters themselves, the
// pointer's position, the control at a point of the screen, and input simulated as the
// toolkit's own would arrive.
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/Application.h"
#include "platform/ControlsQt.h"
#include "platform/Fonts.h"
#include "platform/Forms.h"

using namespace controls;

TInputState& controls::InputState()
{
  static TInputState s;   // NOLINT(orrelo-static-local-state): one per process, as the toolkit's (ControlsQt.h)
  return s;
}

namespace {

// The running program's hooks into the input: the input filters (the menu loop's, the
// shortcuts') and the handlers told of window events. The application holds them; made, they
// also have the application follow the pointer with its hint on every idle pass.
struct TInputHooks : TApplicationState {
  TInputHooks();
  std::map<int, TInputFilter> Filters;
  std::map<int, TWindowEventHandler> WindowHandlers;
  int NextId = 1;   // of a filter or a handler, never given twice
};

TInputHooks* Hooks() { return ApplicationState<TInputHooks>(); }

Qt::MouseButton QtButton(TMouseButton b)
{
  return b == mbRight ? Qt::RightButton : (b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton);
}

}   // namespace

void controls::FireWindowEvent(TWindowEvent e, TControl* c)
{
  TInputHooks* hooks = FoundApplicationState<TInputHooks>();
  if (!hooks)
    return;
  std::map<int, TWindowEventHandler> handlers = hooks->WindowHandlers;
  for (auto& entry : handlers)
    if (hooks->WindowHandlers.count(entry.first))
      GuardedCall([&] { entry.second(e, c); });
}

static TControl* DeepestAt(TControl* c, TPoint screen);

namespace {

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

// The control under the pointer. A move the display server delivered with no button held
// went to the window really under the pointer (window): the control is looked for there,
// since of two overlapping windows of ours the one shown last may lie behind the other.
TControl* ControlUnderPointer(TPoint screen, TControl* window)
{
  if (window) {
    while (window->Parent())
      window = window->Parent();
    if (window->Visible() && !window->IsPopupWindow() && window->BoundsRect().Contains(screen))
      return DeepestAt(window, screen);
  }
  return FindControlAtPos(screen);
}

void UpdateMouseControl(TPoint screen, TControl* window = nullptr)
{
  TInputState& s = InputState();
  TControl* now = ControlUnderPointer(screen, window);
  if (now == s.MouseControl)
    return;
  TControl* old = s.MouseControl;
  s.MouseControl = now;
  if (old)
    GuardedCall([&] { old->DispatchMouseLeave(); }, old);
  // The leave handler may have freed the new control: look again.
  if (now && now == ControlUnderPointer(screen, window) && s.MouseControl == now)
    GuardedCall([&] { now->DispatchMouseEnter(); }, now);
}

// Keys pass the filters first. Alt held with the keypad's digits types the character of
// that code (in Latin-1) when Alt is let go, as users of the other desktop know: the digits
// type nothing themselves, and the Alt release that ends the code is no key of its own (a
// menu or an edit in a toolbar that closes on Alt's release stays).
bool AltCodeKey(QObject* watched, TInputEvent& ev)
{
  TInputState& s = InputState();
  const bool digit = ev.Key >= VK_NUMPAD0 && ev.Key <= VK_NUMPAD9;
  if (ev.Kind == TInputKind::KeyDown) {
    if (digit && (ev.Shift & ssAlt) && !(ev.Shift & ssCtrl)) {
      s.AltCode = (std::max(s.AltCode, 0) * 10 + (ev.Key - VK_NUMPAD0)) % 1000;
      ev.Char = 0;   // the digit is part of the code, no character of its own
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
void HoldPointerForGivenPress(TControl* target, TMouseButton button);
void GrabPointer(QWindow* window);
void FollowMenuGrab(const QWidget* showing = nullptr, const QWidget* hiding = nullptr);
void GiveReleaseAhead(TPoint screenPos, TMouseButton button, TShiftState shift);

// While a control holds the capture, the mouse belongs to it whatever window the display
// server reports it in. The server keeps a pressed pointer on the window the press went
// down in, and the toolkit hands such events only to a widget of that window: once the
// pressed control has moved to another window (a toolbar dragged out of its dock into a
// floating window of its own) they would reach no control at all. So the window's events
// are taken here and delivered to our controls as our capture rules say.
// The same holds for every event while a menu holds the display server's pointer grab: the
// server reports the whole screen's pointer to the grabbing window.
bool CapturedWindowMouse(QObject* watched, QMouseEvent* me)
{
  TInputState& s = InputState();
  if (!watched->isWindowType() || (!s.Capture && (!s.PointerGrab || s.PointerGrab != watched)))
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
  s.CursorFromServer = true;
  // The toolkit sends the pointer's moves to the widget a press went down on until it sees
  // the last button let go: withheld, the release would leave every later move with that
  // widget (no other control of the window would see the pointer again). So it goes on to
  // the toolkit, and the widget does not get it a second time.
  if (kind == TInputKind::MouseUp && me->buttons() == Qt::NoButton) {
    // The press given again has had its release: the pointer is free again. So it is where
    // the menus held it only for the button.
    if (s.PointerGrabForPress && s.PointerGrab == watched) {
      s.PointerGrabForPress = false;
      GrabPointer(nullptr);
    } else {
      FollowMenuGrab();
    }
    s.ReleasePassedOn = true;
    s.ReleasePassedOnTime = me->timestamp();
    return false;
  }
  return true;
}

// With Alt held the keypad's keys are its digits by their scan codes, whatever NumLock makes
// of them (without it they are arrows, Home, End...): Alt and a code type that character.
Word AltKeypadDigit(const QKeyEvent* ke, Word key, TShiftState shift)
{
  if (!(shift & ssAlt) || (shift & ssCtrl))
    return key;
  // The keyboard's scan codes of the keypad's 7 8 9, 4 5 6, 1 2 3 and 0 (the display server
  // numbers its keys 8 above them).
  constexpr int digits[] = {7, 8, 9, -1, 4, 5, 6, -1, 1, 2, 3, 0};
  const int scan = static_cast<int>(ke->nativeScanCode()) - 8;
  if (scan < 0x47 || scan > 0x52 || digits[scan - 0x47] < 0)
    return key;
  return static_cast<Word>(VK_NUMPAD0 + digits[scan - 0x47]);
}

// A press given again while the hand still held its button (SimulateMouse, as the press that
// ended a menu reaches its window once the menus let go) has its release still to come from
// the display server, to a window of ours: the toolkit, which saw no widget take the press,
// hands that release to none, and the button would stay down for us (a menu opened next would
// take every key for a drag's and ignore it). The first event of the window that shows the
// button let go ends the press here, as the release of the press given; a release itself is
// then used up. While a menu holds the pointer its capture takes the release as it takes all.
bool ReleaseOfGivenPress(QObject* watched, QMouseEvent* me)
{
  TInputState& s = InputState();
  if ((!s.GivenPressesHeld && !s.ReleasesGivenAhead) || !watched->isWindowType() || !me->spontaneous())
    return false;
  // Pressed anew, the button's release went elsewhere (another program's window); this
  // press is the toolkit's own.
  if (me->type() == QEvent::MouseButtonPress || me->type() == QEvent::MouseButtonDblClick) {
    s.GivenPressesHeld &= ~Qt::MouseButtons(me->button());
    s.ReleasesGivenAhead &= ~Qt::MouseButtons(me->button());
  }
  // The server's release of a press whose release was given with it.
  if (me->type() == QEvent::MouseButtonRelease && (s.ReleasesGivenAhead & me->button())) {
    s.ReleasesGivenAhead &= ~Qt::MouseButtons(me->button());
    return true;
  }
  const Qt::MouseButtons up = s.GivenPressesHeld & ~me->buttons();
  if (!up)
    return false;
  s.GivenPressesHeld &= ~up;
  if (s.Capture || (s.PointerGrab && s.PointerGrab == watched))
    return false;
  const TPoint screen{static_cast<Integer>(std::floor(me->globalPosition().x())),
                      static_cast<Integer>(std::floor(me->globalPosition().y()))};
  const TShiftState shift = KeyShift(me->modifiers());
  for (TMouseButton b : {mbLeft, mbRight, mbMiddle})
    if (up & QtButton(b))
      SimulateMouse(TInputKind::MouseUp, screen, b, shift);
  return me->type() == QEvent::MouseButtonRelease && (up & me->button());
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
      if (ReleaseOfGivenPress(watched, static_cast<QMouseEvent*>(event)))
        return true;
      if (CapturedWindowMouse(watched, static_cast<QMouseEvent*>(event)))
        return true;
      return Mouse(watched, static_cast<QMouseEvent*>(event));
    case QEvent::Show:
    case QEvent::Hide:
      // A menu's popup coming or going.
      if (InputState().MenuGrab && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
        auto* w = static_cast<QWidget*>(watched);
        FollowMenuGrab(event->type() == QEvent::Show ? w : nullptr, event->type() == QEvent::Hide ? w : nullptr);
      }
      return false;
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
      ev.Shift = KeyShift(ke->modifiers());
      ev.Key = AltKeypadDigit(ke, KeyFromQt(ke), ev.Shift);
      ev.Char = KeyChar(ke);
      ev.ScreenPos = GetCursorPos();
      return AltCodeKey(watched, ev);
    }
    case QEvent::Leave: {
      TInputState& s = InputState();
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
    TInputState& s = InputState();
    if (me->type() == QEvent::MouseButtonRelease && s.ReleasePassedOn) {
      s.ReleasePassedOn = false;
      if (me->timestamp() == s.ReleasePassedOnTime)
        return true;   // delivered already, while captured
    }
    TControl* target = widget->Control;
    if (!target)
      return true;
    TPoint nc = target->NonClientSize();
    TPoint local{static_cast<Integer>(std::floor(me->position().x())) - nc.X,
                 static_cast<Integer>(std::floor(me->position().y())) - nc.Y};
    TPoint screen = target->ClientToScreen(local);
    s.HaveCursorPos = true;
    s.CursorPos = screen;
    if (me->spontaneous())
      s.CursorFromServer = true;
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
      // A control that takes no double clicks has the second press as a press of its own.
      ev.Kind = (target->ControlStyle() & csDoubleClicks) ? TInputKind::MouseDblClick : TInputKind::MouseDown;
      s.Buttons[b] = true;
      s.GrabTarget = target;
      if (ev.Kind == TInputKind::MouseDblClick)
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
      UpdateMouseControl(screen,
                         me->spontaneous() && !s.Buttons[0] && !s.Buttons[1] && !s.Buttons[2] ? target : nullptr);
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
  TInputState& s = InputState();
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

}   // namespace

void controls::EnsureInputFilter()
{
  Hooks();
  TInputState& s = InputState();
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

// ---------------------------------------------------------------------------------------
// Capture, filters, cursor

TControl* GetCaptureControl() { return InputState().Capture; }

void SetCaptureControl(TControl* control)
{
  TInputState& s = InputState();
  TControl* old = s.Capture;
  if (old == control)
    return;
  s.Capture = control;
  if (old)
    GuardedCall([&] { TControlWidgetAccess::CaptureLost(old); }, old);
}

void ReleaseCapture() { SetCaptureControl(nullptr); }

void SetPointerGrab(TControl* control)
{
  TInputState& s = InputState();
  s.PointerGrabForPress = false;
  s.MenuGrab = control ? WidgetOf(control) : nullptr;
  FollowMenuGrab();
}

namespace {

template <class THook>
int AddHook(std::map<int, THook> TInputHooks::*list, THook hook)
{
  EnsureInputFilter();
  TInputHooks* hooks = Hooks();
  if (!hooks)
    return 0;
  int id = hooks->NextId++;
  (hooks->*list).emplace(id, std::move(hook));
  return id;
}

template <class THook>
void RemoveHook(std::map<int, THook> TInputHooks::*list, int id)
{
  if (TInputHooks* hooks = FoundApplicationState<TInputHooks>())
    (hooks->*list).erase(id);
}

}   // namespace

int AddInputFilter(TInputFilter filter) { return AddHook(&TInputHooks::Filters, std::move(filter)); }

void RemoveInputFilter(int id) { RemoveHook(&TInputHooks::Filters, id); }

int AddWindowEventHandler(TWindowEventHandler handler)
{
  return AddHook(&TInputHooks::WindowHandlers, std::move(handler));
}

void RemoveWindowEventHandler(int id) { RemoveHook(&TInputHooks::WindowHandlers, id); }

TPoint GetCursorPos()
{
  TInputState& s = InputState();
  if (s.HaveCursorPos && !s.CursorFromServer)
    return s.CursorPos;
  EnsureGuiApplication();
  QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

void SetCursorPos(TPoint p)
{
  TInputState& s = InputState();
  s.HaveCursorPos = true;
  s.CursorPos = p;
  s.CursorFromServer = false;
}

bool IsMouseButtonDown(TMouseButton button) { return InputState().Buttons[static_cast<int>(button)]; }

void controls::PressGivenAway(TMouseButton button)
{
  TInputState& s = InputState();
  s.Buttons[static_cast<int>(button)] = false;
  s.GivenPressesHeld &= ~Qt::MouseButtons(QtButton(button));
  if (!s.Buttons[0] && !s.Buttons[1] && !s.Buttons[2])
    s.GrabTarget = nullptr;
}

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
  auto& tops = InputState().TopLevels;
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

TControl* GetMouseControl() { return InputState().MouseControl; }

TWinControl* FindFocusedControl() { return dynamic_cast<TWinControl*>(ControlOf(QApplication::focusWidget())); }

void SimulateMouse(TInputKind kind, TPoint screenPos, TMouseButton button, TShiftState shift)
{
  TInputState& s = InputState();
  s.HaveCursorPos = true;
  s.CursorPos = screenPos;
  // Input given again where the pointer stands (a press the menus kept) leaves the position
  // the server's; elsewhere the simulated position holds until real input comes.
  const QPoint real = QCursor::pos();
  s.CursorFromServer = real.x() == screenPos.X && real.y() == screenPos.Y;
  // While a button is held the toolkit keeps giving the mouse to the window it went down on.
  TControl* target = (s.PressTarget && kind != TInputKind::MouseDown && kind != TInputKind::MouseDblClick)
                         ? s.PressTarget
                         : FindControlAtPos(screenPos);
  if (kind == TInputKind::MouseDown || kind == TInputKind::MouseDblClick)
    s.PressTarget = target;
  // A press given while the toolkit has that button down (the press that ended a menu,
  // given again once the menus have let the pointer go): its release is the server's, still
  // to come. A release given here ends that wait.
  const Qt::MouseButton qb = QtButton(button);
  if ((kind == TInputKind::MouseDown || kind == TInputKind::MouseDblClick) && (QGuiApplication::mouseButtons() & qb)) {
    if (ButtonHeldOnServer(button)) {
      s.GivenPressesHeld |= qb;
      HoldPointerForGivenPress(target, button);
    } else {
      GiveReleaseAhead(screenPos, button, shift);
    }
  } else if (kind == TInputKind::MouseUp) {
    s.GivenPressesHeld &= ~Qt::MouseButtons(qb);
  }
  DeliverMouse(kind, screenPos, button, shift, target);
}

namespace {

// The hand still holds the button of a press given again (ReleaseOfGivenPress waits for its
// release). A press of its own would have kept the pointer for its window until let go; the
// menus' grab, let go, leaves none: moves with the button down would reach no control (the
// toolkit, which saw no widget take the press, drops them: a drag would select nothing and
// never scroll) and, off the window, neither would the release. So the window holds the
// pointer until then, and its events go to the control that has the press.
void HoldPointerForGivenPress(TControl* target, TMouseButton button)
{
  TInputState& s = InputState();
  QWidget* w = target ? WidgetOf(target) : nullptr;
  if (s.PointerGrab || !w || !w->isVisible())
    return;
  GrabPointer(w->window()->windowHandle());
  s.PointerGrabForPress = s.PointerGrab != nullptr;
  // Let go meanwhile, the release may have passed the window by: no release would end the
  // grab. The release is waited for without it, as before.
  if (s.PointerGrabForPress && !ButtonHeldOnServer(button)) {
    s.PointerGrabForPress = false;
    GrabPointer(nullptr);
  }
}

// The display server's pointer grab on window; nullptr lets it go.
void GrabPointer(QWindow* window)
{
  TInputState& s = InputState();
  if (s.PointerGrab == window)
    return;
  if (s.PointerGrab)
    s.PointerGrab->setMouseGrabEnabled(false);
  s.PointerGrab = window && window->setMouseGrabEnabled(true) ? window : nullptr;
}

// A popup window of ours that takes input (a menu's, not a hint or a shadow) shows: the one
// showing counts, the one hiding does not.
bool PopupShown(const QWidget* showing, const QWidget* hiding)
{
  for (TControl* c : InputState().TopLevels) {
    if (!c->IsPopupWindow() || !c->Visible() || !c->Enabled() || c->MouseTransparent())
      continue;
    const QWidget* w = WidgetOf(c);
    if (w && (w == showing || (w != hiding && w->isVisible())))
      return true;
  }
  return false;
}

// The menus keep the pointer only while a popup of theirs shows (a press anywhere closes it,
// and reaches what lies under it once it has) or while a button is down (a drag from a title
// into its menu, a release still to come). A bar that only waits for keys (its menu closed by
// Escape, or entered with Alt) leaves the pointer to the desktop: other programs' windows
// take their hover, wheel and title-bar drags.
void FollowMenuGrab(const QWidget* showing, const QWidget* hiding)
{
  TInputState& s = InputState();
  if (s.PointerGrabForPress)
    return;
  QWidget* w = s.MenuGrab;
  QWindow* window = w && w->isVisible() ? w->window()->windowHandle() : nullptr;
  if (window && !PopupShown(showing, hiding) && !ButtonHeldOnServer(mbLeft) && !ButtonHeldOnServer(mbRight)
      && !ButtonHeldOnServer(mbMiddle))
    window = nullptr;
  GrabPointer(window);
}

// The hand let go before the press was given again: the server sent the release to a window
// of the menus, which may be gone before the toolkit reads it (a click tapped on a check box
// as a popup menu closes would never toggle it). The release follows the press from the
// queue, where a loop the press starts still gets it; the server's, should it come after
// all, is not given again.
void GiveReleaseAhead(TPoint screenPos, TMouseButton button, TShiftState shift)
{
  InputState().ReleasesGivenAhead |= QtButton(button);
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [=] { SimulateMouse(TInputKind::MouseUp, screenPos, button, shift); },
      Qt::QueuedConnection);
}

// A mouse event at a screen point for a chosen control: through its widget (and so through
// the input filters and the capture, as the toolkit's own events go), or, outside all our
// windows, to the filters and the capture holder alone.
void DeliverMouse(TInputKind kind, TPoint screenPos, TMouseButton button, TShiftState shift, TControl* target)
{
  TInputState& s = InputState();
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
    TInputState& s = InputState();
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
