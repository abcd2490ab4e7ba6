// What tests of docked toolbars share: a themed bar and a dock that let go of their windows
// when freed, and a window's outer rectangle on the screen.
#pragma once

#include "platform/Controls.h"
#include "toolbar/ThemedItems.h"

namespace dockedbars {

class TBar : public TTBXToolbar {
public:
  ~TBar() override { DestroyHandle(); }
};

class TDock : public TTBDock {
public:
  ~TDock() override { DestroyHandle(); }
};

// The control's whole window (its frame included) in screen coordinates.
inline TRect ScreenRectOf(const TControl& c)
{
  TPoint o = c.ClientOrigin();
  TPoint nc = c.NonClientSize();
  return Bounds(o.X - nc.X, o.Y - nc.Y, c.Width(), c.Height());
}

}   // namespace dockedbars
