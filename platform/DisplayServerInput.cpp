// Input given through the display server (its XTEST extension) for windows of other programs.
#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>

#include "platform/Controls.h"

// Last: the display library's macros would clash with the toolkit's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

// The toolkit's own requests (a pointer grab let go) reach the server before the input does:
// a round trip on its connection.
void SyncToolkitConnection()
{
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection())
    return;
  std::free(xcb_get_input_focus_reply(x11->connection(), xcb_get_input_focus(x11->connection()), nullptr));
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

bool GiveMouseToDisplayServer(TInputKind kind, TPoint screenPos, TMouseButton button)
{
  static TInputConnection connection;   // NOLINT(orrelo-static-local-state): one per process, opened on first use
  if (!connection.HasTest)
    return false;
  SyncToolkitConnection();
  Display* d = connection.D;
  const unsigned int number = button == mbRight ? 3 : (button == mbMiddle ? 2 : 1);
  XTestFakeMotionEvent(d, -1, screenPos.X, screenPos.Y, CurrentTime);
  switch (kind) {
  case TInputKind::MouseDown:
  case TInputKind::MouseDblClick: XTestFakeButtonEvent(d, number, True, CurrentTime); break;
  case TInputKind::MouseUp: XTestFakeButtonEvent(d, number, False, CurrentTime); break;
  default: break;
  }
  XFlush(d);
  return true;
}
