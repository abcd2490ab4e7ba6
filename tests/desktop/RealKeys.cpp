// The keyboard through the display library: XTest key events by key number, NumLock through
// the keyboard extension's locked modifiers. Each request is flushed to the server at once.
#include "tests/desktop/RealKeys.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace desktop {

namespace {

Display* D(void* d) { return static_cast<Display*>(d); }

}   // namespace

TKeyboard::TKeyboard() : FDisplay(XOpenDisplay(nullptr)) {}

TKeyboard::~TKeyboard()
{
  if (FDisplay)
    XCloseDisplay(D(FDisplay));
}

unsigned TKeyboard::Code(const char* keysym) { return XKeysymToKeycode(D(FDisplay), XStringToKeysym(keysym)); }

void TKeyboard::SetNumLock(bool on)
{
  const unsigned mask = XkbKeysymToModifiers(D(FDisplay), XK_Num_Lock);
  XkbLockModifiers(D(FDisplay), XkbUseCoreKbd, mask, on ? mask : 0);
  XSync(D(FDisplay), False);
}

bool TKeyboard::NumLock()
{
  XkbStateRec state{};
  XkbGetState(D(FDisplay), XkbUseCoreKbd, &state);
  return (state.locked_mods & XkbKeysymToModifiers(D(FDisplay), XK_Num_Lock)) != 0;
}

void TKeyboard::Send(unsigned code, bool down)
{
  XTestFakeKeyEvent(D(FDisplay), code, down ? True : False, CurrentTime);
  XSync(D(FDisplay), False);
}

}   // namespace desktop
