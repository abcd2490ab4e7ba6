#include "tests/toolbar/RealInput.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>

namespace realinput {

namespace {
Display* D(void* d) { return static_cast<Display*>(d); }
}   // namespace

TXInput::TXInput()
{
  Display* d = XOpenDisplay(nullptr);
  int ev = 0, err = 0, major = 0, minor = 0;
  if (d && !XTestQueryExtension(d, &ev, &err, &major, &minor)) {
    XCloseDisplay(d);
    d = nullptr;
  }
  FDisplay = d;
}

TXInput::~TXInput()
{
  if (FDisplay)
    XCloseDisplay(D(FDisplay));
}

void TXInput::MoveTo(TPoint p)
{
  if (!FDisplay)
    return;
  XTestFakeMotionEvent(D(FDisplay), -1, p.X, p.Y, CurrentTime);
  XSync(D(FDisplay), False);
}

void TXInput::Press(unsigned button)
{
  if (!FDisplay)
    return;
  XTestFakeButtonEvent(D(FDisplay), button, True, CurrentTime);
  XSync(D(FDisplay), False);
}

void TXInput::Release(unsigned button)
{
  if (!FDisplay)
    return;
  XTestFakeButtonEvent(D(FDisplay), button, False, CurrentTime);
  XSync(D(FDisplay), False);
}

void TXInput::Key(const char* keysym)
{
  if (!FDisplay)
    return;
  KeyCode code = XKeysymToKeycode(D(FDisplay), XStringToKeysym(keysym));
  XTestFakeKeyEvent(D(FDisplay), code, True, CurrentTime);
  XTestFakeKeyEvent(D(FDisplay), code, False, CurrentTime);
  XSync(D(FDisplay), False);
}

void Screenshot(const std::string& name)
{
  std::string cmd = "import -window root '" + std::string(ORRELO_TEST_OUTPUT) + "/" + name + "' 2> /dev/null";
  (void)std::system(cmd.c_str());
}

}   // namespace realinput
