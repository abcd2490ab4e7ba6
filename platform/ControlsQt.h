// The toolkit side of the controls, shared by Controls.cpp and its Controls_*.cpp parts only
// (includes Qt): the widget under each windowed control, our side of the pointer and the
// keyboard, and the conversions of keys and cursors.
#pragma once

#include <QCloseEvent>
#include <QCursor>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QShowEvent>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <vector>

#include "platform/Accessible.h"
#include "platform/CanvasQt.h"
#include "platform/Controls.h"
#include "platform/DropShadowQt.h"
#include "platform/Forms.h"

struct xcb_connection_t;

struct TControlWidgetAccess {
  static void Paint(TControl* c, TCanvas& canvas, const TRect& area) { c->PaintAll(canvas, area); }
  static void* Widget(TControl* c) { return c->FWidget; }
  static void MakeWidget(TControl* c) { c->HandleNeeded(); }
  static TPoint NC(const TControl* c) { return c->NonClientSize(); }
  static void CaptureLost(TControl* c) { c->CaptureLost(); }
  static void Focus(TControl* c, bool in)
  {
    auto* wc = dynamic_cast<TWinControl*>(c);
    if (!wc)
      return;
    if (in)
      NotifyAccessibleFocusedPart(wc);
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

namespace controls {

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
  // CursorPos is where the display server last reported the pointer (not a simulated
  // position): the pointer may have moved on outside our windows since, so ask the server.
  bool CursorFromServer = false;
  // The window holding the display server's pointer grab: for a menu (SetPointerGrab), or
  // for a press given again (PointerGrabForPress).
  QPointer<QWindow> PointerGrab;
  // The widget whose window the menus keep the pointer for (SetPointerGrab), while one of
  // their popups shows or a button is down.
  QPointer<QWidget> MenuGrab;
  // A release taken from a window while captured, passed on to the toolkit so that it ends
  // its own press; its widget does not get it a second time (by its time stamp).
  bool ReleasePassedOn = false;
  quint64 ReleasePassedOnTime = 0;
  bool Buttons[3] = {false, false, false};
  // Buttons of presses given again (SimulateMouse: the press that ended a menu) while the
  // hand still held them. The toolkit saw no widget take such a press, so the display
  // server's release goes to no widget by itself; the input filter takes it at the window.
  Qt::MouseButtons GivenPressesHeld;
  // The pointer grab (PointerGrab) keeps the pointer for the window such a press was given
  // to, until its release, as the display server's own press would have kept it; not a menu's.
  bool PointerGrabForPress = false;
  // Buttons of presses given again after the hand had let go: the display server sent their
  // release to a window of the menus, which may be gone before the toolkit reads it, so the
  // release was given with the press. Should the server's still come, it is not given twice.
  Qt::MouseButtons ReleasesGivenAhead;
  // Shown top-level windows, bottom first.
  std::vector<TControl*> TopLevels;
  bool FilterInstalled = false;
  // Requests to activate a window made so far (RequestActivation).
  unsigned int ActivationRequests = 0;
  // The character code typed so far with Alt held on the keypad's digits; -1 for none.
  int AltCode = -1;
};

TInputState& InputState();

// A press the menus kept, given to another program through the display server: that
// program has the press and the hand's release after it, so our windows no longer hold the
// button down.
void PressGivenAway(TMouseButton button);
// Whether the display server has the button down now (the hand's, not what the toolkit has
// read so far); false where it cannot say.
bool ButtonHeldOnServer(TMouseButton button);

// The shift keys of the toolkit's modifiers.
TShiftState KeyShift(Qt::KeyboardModifiers m);

// Tells the handlers of window events (AddWindowEventHandler) that e happened to c.
void FireWindowEvent(TWindowEvent e, TControl* c);

class TWidgetRelease;

class TControlWidget;
// A window asked to be activated before it showed (RequestActivation), now on the screen.
void ActivateOnceShown(TControlWidget* w);

class TControlWidget : public QWidget {
public:
  TControlWidget(TControl* control, QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags), Control(control)
  {
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
  }
  ~TControlWidget() override;
  TControl* Control;
  // The control has gone: the widget waits in this release for the loop's next turn (freed
  // sooner with its parent's, it leaves its place there empty).
  TWidgetRelease* Release = nullptr;
  size_t ReleaseSlot = 0;
  // A showing waits for its first exposure (WindowExposed).
  bool ExposePending = false;
  // A control of the window took the focus before the window showed: the window is
  // activated as it shows, for the focus to reach it.
  bool ActivateWhenShown = false;
  // The window is to be activated once it is on the screen (RequestActivation), unless the
  // keyboard has gone meanwhile to another program's window; the server's keyboard window
  // before the window showed, and the request's number.
  bool ActivateWhenExposed = false;
  unsigned int KeyboardBeforeShowing = 0;
  unsigned int ActivationRequest = 0;
  // The window has had the keyboard since it last showed: where it went after is the user's.
  bool ActiveSinceShown = false;

  // A child wholly outside its parent has nothing on screen to repaint: its updates are off
  // until it lies in sight again (moved there, or its parent grown round it; the parent's
  // painting still draws it). Else the toolkit would list it among the widgets to paint at
  // each change (showing it is one) and, at the next paint, look for it among all its
  // siblings: a page of thousands of fields, most of them off the panel, would cost the
  // square of their number.
  static void FollowSight(QWidget* w)
  {
    const QWidget* p = w->parentWidget();
    const bool inSight = !p || w->isWindow() || w->geometry().intersects(p->rect());
    if (w->updatesEnabled() != inSight)
      w->setUpdatesEnabled(inSight);
  }

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
    if (e->type() == QEvent::FocusIn && watched == windowHandle())
      ActiveSinceShown = true;
    if (e->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed() && ExposePending
        && Control) {
      ExposePending = false;
      if (ActivateWhenExposed) {
        ActivateWhenExposed = false;
        ActivateOnceShown(this);
      }
      TControlWidgetAccess::Exposed(Control);
      // Up on the screen now: windows that belong to it may show above it.
      if (Control)
        FireWindowEvent(TWindowEvent::Shown, Control);
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
    TShiftState s = KeyShift(m);
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
    const TShiftState dbl = (c->ControlStyle() & csDoubleClicks) ? ssDouble : 0;
    GuardedCall([&] { c->DispatchMouseDown(Button(e->button()), Shift(e->modifiers(), e->buttons()) | dbl, p.X, p.Y); },
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
    bool handled = false;
    GuardedCall(
        [&] { handled = c->DispatchMouseWheel(Shift(e->modifiers(), e->buttons()), e->angleDelta().y(), screen); }, c);
    // A wheel that a control does not use goes on to the control it lies on, as a text box's
    // on a page scrolls the page.
    e->setAccepted(handled);
  }
  void moveEvent(QMoveEvent*) override
  {
    if (Control && isWindow()) {
      // The client area's place: once a shown window is moved from code, the event's own
      // position is the frame's, and input read against it would land a frame away.
      TControlWidgetAccess::TopMoved(Control, geometry().x(), geometry().y());
      UpdateDropShadow(this);
      FireWindowEvent(TWindowEvent::Moved, Control);
    }
  }
  void showEvent(QShowEvent* e) override
  {
    QWidget::showEvent(e);
    if (Control && isWindow()) {
      UpdateDropShadow(this);
      // One the window manager is to map tells it once mapped: at its first exposure, above.
      if (!ExposePending)
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
    for (QObject* o : children())
      if (auto* child = dynamic_cast<TControlWidget*>(o)) {
        // The widget of a freed control left showing out of sight is hidden once it could be seen.
        if (!child->Control) {
          if (child->isVisible() && child->geometry().intersects(rect()))
            child->hide();
          continue;
        }
        FollowSight(child);
      }
    if (Control && isWindow()) {
      TControlWidgetAccess::TopResized(Control, e->size().width(), e->size().height());
      UpdateDropShadow(this);
    }
  }
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  // The window manager's close button asks the form, which may refuse; the toolkit must
  // never hide a form behind its back. A disabled form is not asked: it waits for a modal
  // window or a job (a print), and closing it then would pull the program away beneath them.
  void closeEvent(QCloseEvent* e) override
  {
    auto* form = dynamic_cast<TCustomForm*>(Control);
    if (!form || !isWindow()) {
      QWidget::closeEvent(e);
      return;
    }
    e->ignore();
    if (form->Enabled())
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

// The widgets of freed controls, freed together at the loop's next turn: a widget may be in
// the middle of delivering an event when its control goes, and one release queued for a
// page's thousands of fields costs the loop far less than one each.
class TWidgetRelease : public QObject {
public:
  // Takes the widget of a control that has gone; it stays in place until then, hidden
  // unless it is out of its parent's sight without the keyboard (where nothing reaches it,
  // and hiding each of thousands would tell the toolkit's bookkeeping of every one).
  static void Take(TControlWidget* w);
  ~TWidgetRelease() override;

private:
  TWidgetRelease() = default;
  friend class TControlWidget;
  std::vector<TControlWidget*> FWidgets;
};

// The toolkit's connection to the display server (none where it has no such server).
xcb_connection_t* ToolkitConnection();
// Sends what is queued for the display server now rather than at the loop's next turn.
void FlushDisplay();
// Activates a top-level window: now if it is on the screen, else once it is, and then only
// if the keyboard is still where it was or with another of our windows. The window manager
// often gives a new window the keyboard as it maps it; a request sent after that (a busy
// program reads the map late) would only raise the window, with its owner, over a program
// the user has gone to meanwhile.
void RequestActivation(QWidget* top);
// Gives a shown top-level window the keyboard straight from the display server, without
// raising it or asking the window manager, where the server has it now with another of our
// windows or with none; leaves it where it is with w or another program (what the toolkit
// has read of the activations so far may be behind the server). False where this cannot be
// done: no server to ask, or the window not on the screen.
bool PassKeyboardFromOurWindows(QWidget* w);
// Notes where the display server has the keyboard as a top-level window is about to show.
void NoteKeyboardBeforeShowing(TControlWidget* w);
// A window that has the keyboard as it goes hands it to the window that owns it, if that one
// takes input: the window manager would give it to whichever window had it before, perhaps
// another program's.
void HandKeyboardToOwner(QWidget* w);
// A control's widget (nullptr before it has one), and the control of a widget or of the
// nearest widget above it that has one.
TControlWidget* WidgetOf(const TControl* c);
TControl* ControlOf(QObject* o);

// Keys: the toolkit's and ours (the virtual-key numbers), and the character a key event
// types (0 for none).
Word KeyFromQt(int key);
Word KeyFromQt(const QKeyEvent* e);
int KeyToQt(Word key);
char KeyChar(const QKeyEvent* e);

// Puts the event filter on the toolkit's application object (once), and makes the
// application's input hooks.
void EnsureInputFilter();

// The toolkit's cursor for one of ours (the program's own pictures included).
QCursor CursorOf(TCursor c);

}   // namespace controls
