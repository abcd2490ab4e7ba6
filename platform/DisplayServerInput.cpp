// Input given through the display server (its XTEST extension) for windows of other programs.
#include <QGuiApplication>
#include <QWindow>
#include <QTimer>
#include <xcb/xcb.h>

#include <chrono>

#include <cstdlib>

#include "platform/Controls.h"

// Ends our side of a press given away; declared in ControlsQt.h, whose toolkit names clash
// with the display library's below.
namespace controls {
void PressGivenAway(TMouseButton button);
bool ButtonHeldOnServer(TMouseButton button);
xcb_connection_t* ToolkitConnection();
}   // namespace controls

// Last: the display library's macros would clash with the toolkit's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

using controls::ToolkitConnection;

// The toolkit's own requests (a pointer grab let go) reach the server before the input does:
// a round trip on its connection.
void SyncToolkitConnection()
{
  if (xcb_connection_t* c = ToolkitConnection())
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// Whether the user still holds the pointer's button down.
bool ButtonHeld(unsigned int number)
{
  xcb_connection_t* c = ToolkitConnection();
  if (!c)
    return false;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_query_pointer_reply_t* r = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
  const bool held = r && (r->mask & (XCB_BUTTON_MASK_1 << (number - 1)));
  std::free(r);
  return held;
}

unsigned int ButtonNumber(TMouseButton button) { return button == mbRight ? 3 : (button == mbMiddle ? 2 : 1); }

// The root's child a window hangs under: its frame, where the window manager gave it one.
xcb_window_t TopOf(xcb_connection_t* c, xcb_window_t root, xcb_window_t w)
{
  for (int depth = 0; w && w != root && depth < 16; ++depth) {
    xcb_query_tree_reply_t* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    if (!r)
      return 0;
    const xcb_window_t parent = r->parent;
    std::free(r);
    if (parent == root)
      return w;
    w = parent;
  }
  return 0;
}

struct TInputConnection {
  Display* D = nullptr;
  bool HasTest = false;
  TInputConnection()
  {
    D = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    HasTest = D && XTestQueryExtension(D, &event, &error, &major, &minor);
  }
  ~TInputConnection()
  {
    if (D)
      XCloseDisplay(D);
  }
};

}   // namespace

bool AnotherProgramAtPos(TPoint screenPos)
{
  xcb_connection_t* c = ToolkitConnection();
  if (!c)
    return false;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  // The server's answer follows the stacking of every program's windows, not only ours.
  xcb_translate_coordinates_reply_t* r =
      xcb_translate_coordinates_reply(c,
                                      xcb_translate_coordinates(c, root, root, static_cast<int16_t>(screenPos.X),
                                                                static_cast<int16_t>(screenPos.Y)),
                                      nullptr);
  const xcb_window_t top = r ? r->child : 0;
  std::free(r);
  if (!r)
    return false;
  if (!top)
    return true;   // the bare desktop
  for (QWindow* w : QGuiApplication::topLevelWindows())
    if (w->isVisible() && w->handle() && TopOf(c, root, static_cast<xcb_window_t>(w->winId())) == top)
      return false;
  return true;
}

// A round trip on the toolkit's connection: what it asked for before (a grab let go) the
// server has done, and the answer is the button as the server has it now.
bool controls::ButtonHeldOnServer(TMouseButton button) { return ButtonHeld(ButtonNumber(button)); }

bool GiveMouseToDisplayServer(TInputKind kind, TPoint screenPos, TMouseButton button)
{
  static TInputConnection connection;   // NOLINT(orrelo-static-local-state): one per process, opened on first use
  if (!connection.HasTest)
    return false;
  SyncToolkitConnection();
  Display* d = connection.D;
  const unsigned int number = ButtonNumber(button);
  const bool press = kind == TInputKind::MouseDown || kind == TInputKind::MouseDblClick;
  // A press is given as a whole click, and a release is not given on its own: the release
  // that belongs to the press may never come this way (the hand's may go straight to the
  // program), and a press given alone would leave the button down for good.
  if (kind == TInputKind::MouseUp)
    return true;
  // The press is that program's now, and so is the release the hand gives after it: our
  // windows, which took the press while the menus held the pointer, would wait for it in vain
  // (a menu opened next would take every key for a drag's and ignore it).
  if (press)
    controls::PressGivenAway(button);
  auto click = [d, number, screenPos, press] {
    XTestFakeMotionEvent(d, -1, screenPos.X, screenPos.Y, CurrentTime);
    if (press) {
      XTestFakeButtonEvent(d, number, True, CurrentTime);
      XTestFakeButtonEvent(d, number, False, CurrentTime);
    }
    XFlush(d);
  };
  if (press && ButtonHeld(number)) {
    // Still held by the hand: the click is given once it is let go.
    auto* poll = new QTimer(QCoreApplication::instance());
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, number, end, click] {
      if (ButtonHeld(number) && std::chrono::steady_clock::now() < end)
        return;
      poll->deleteLater();
      click();
    });
    poll->start(20);
    return true;
  }
  click();
  return true;
}
