// The test's own connection to a desktop's display server (ScreenReadBack.h).
#include "tests/desktop/ScreenReadBack.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>

namespace desktop {

namespace {

Display* Dpy(void* d) { return static_cast<Display*>(d); }

int Shift(unsigned long mask)
{
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

}   // namespace

TXConnection::TXConnection(const std::string& display) : FDisplay(XOpenDisplay(display.c_str()))
{
  // A window may go between a look at a list and a look at the window: no error may end the
  // test program.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
}

TXConnection::~TXConnection()
{
  if (FDisplay)
    XCloseDisplay(Dpy(FDisplay));
}

std::vector<unsigned long> TXConnection::Cardinals(unsigned long window, const char* name, unsigned long type)
{
  std::vector<unsigned long> out;
  Atom actual;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(Dpy(FDisplay), window, XInternAtom(Dpy(FDisplay), name, False), 0, 4096, False, type, &actual,
                         &format, &count, &after, &data)
          == Success
      && data && format == 32) {
    auto* v = reinterpret_cast<unsigned long*>(data);
    out.assign(v, v + count);
  }
  if (data)
    XFree(data);
  return out;
}

std::vector<TManagedWindow> TXConnection::ManagedWindows()
{
  std::vector<TManagedWindow> out;
  if (!FDisplay)
    return out;
  Display* d = Dpy(FDisplay);
  for (unsigned long id : Cardinals(DefaultRootWindow(d), "_NET_CLIENT_LIST_STACKING", XA_WINDOW)) {
    TManagedWindow w;
    w.Id = id;
    std::vector<unsigned long> pid = Cardinals(id, "_NET_WM_PID", XA_CARDINAL);
    w.Pid = pid.empty() ? 0 : pid_t(pid[0]);
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, id, &a))
      continue;
    w.Viewable = a.map_state == IsViewable;
    Window child;
    XTranslateCoordinates(d, id, DefaultRootWindow(d), 0, 0, &w.Place.X, &w.Place.Y, &child);
    w.Place.Width = a.width;
    w.Place.Height = a.height;
    std::vector<unsigned long> f = Cardinals(id, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (f.size() == 4) {
      w.Place.FrameLeft = int(f[0]);
      w.Place.FrameRight = int(f[1]);
      w.Place.FrameTop = int(f[2]);
      w.Place.FrameBottom = int(f[3]);
    }
    const Atom above = XInternAtom(d, "_NET_WM_STATE_ABOVE", False);
    for (unsigned long state : Cardinals(id, "_NET_WM_STATE", XA_ATOM))
      w.KeptAbove = w.KeptAbove || state == above;
    std::vector<unsigned long> owner = Cardinals(id, "WM_TRANSIENT_FOR", XA_WINDOW);
    w.Transient = !owner.empty() && owner[0] != 0;
    out.push_back(w);
  }
  return out;
}

TPixels TXConnection::Grab(int x, int y, int width, int height)
{
  TPixels p;
  if (!FDisplay || width <= 0 || height <= 0)
    return p;
  Display* d = Dpy(FDisplay);
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
  if (!image)
    return p;
  p.Width = width;
  p.Height = height;
  p.Rgb.resize(size_t(width) * height * 3);
  const int rs = Shift(image->red_mask), gs = Shift(image->green_mask), bs = Shift(image->blue_mask);
  for (int yy = 0; yy < height; ++yy)
    for (int xx = 0; xx < width; ++xx) {
      unsigned long v = XGetPixel(image, xx, yy);
      uint8_t* px = &p.Rgb[(size_t(yy) * width + xx) * 3];
      px[0] = uint8_t((v & image->red_mask) >> rs);
      px[1] = uint8_t((v & image->green_mask) >> gs);
      px[2] = uint8_t((v & image->blue_mask) >> bs);
    }
  XDestroyImage(image);
  return p;
}

bool TXConnection::PointerGrabbable()
{
  if (!FDisplay)
    return false;
  Display* d = Dpy(FDisplay);
  const int result = XGrabPointer(d, DefaultRootWindow(d), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                                  None, CurrentTime);
  if (result == GrabSuccess)
    XUngrabPointer(d, CurrentTime);
  XSync(d, False);
  return result == GrabSuccess;
}

void TXConnection::WatchFramesShown()
{
  if (!FDisplay)
    return;
  Display* d = Dpy(FDisplay);
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
}

bool TXConnection::WaitFrameShown(int timeoutMs)
{
  if (!FDisplay)
    return false;
  Display* d = Dpy(FDisplay);
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    while (XPending(d)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type == MapNotify && !e.xmap.override_redirect)
        return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      return false;
    pollfd p{ConnectionNumber(d), POLLIN, 0};
    poll(&p, 1, static_cast<int>(left.count()));
  }
}

}   // namespace desktop
