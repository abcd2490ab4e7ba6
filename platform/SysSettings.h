// System settings the program asks about (menu delays and effects, metrics, monitors,
// sounds), held in one record that tests may replace. What has no meaning here (sound
// schemes, layered windows, visual styles) answers "not available", so callers take their
// plain branch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Graphics.h"
#include "platform/Types.h"

struct TMonitorInfo {
  TRect Bounds;     // screen coordinates
  TRect WorkArea;   // Bounds less panels and docks
  bool Primary = false;
};

struct TSystemSettings {
  // The system's answer to the menu show delay query (ms); empty: the query fails.
  std::optional<Integer> MenuShowDelay = 400;
  // The per-user stored menu show delay, as text; empty: not set.
  std::optional<std::string> StoredMenuShowDelay;
  bool FlatMenus = false;
  // Accelerator underlines always shown; off (the desktops' way) they show once Alt is
  // pressed or a menu is entered from the keyboard.
  bool KeyboardCues = false;
  bool MenuAnimation = false;
  bool MenuFade = false;
  bool MenuDropAlignmentRight = false;
  bool DropShadow = false;
  bool LayeredWindows = false;   // "not available"
  bool SoundSchemes = true;      // the desktop's sound theme
  bool ShowShortcutsInHints = false;
  Integer MenuCheckWidth = 13;   // width of a menu check mark (and of a menu arrow)
  Integer DoubleClickTime = 500;
  // Lines a wheel notch scrolls (below 1: a page); empty: the desktop's setting.
  std::optional<Integer> WheelScrollLines;
  // Monitors; empty: taken from the display.
  std::vector<TMonitorInfo> Monitors;
};

// The current settings (with Monitors filled from the display when not injected).
TSystemSettings SystemSettings();
// Replaces the settings (tests); ResetSystemSettings returns to the defaults.
void SetSystemSettings(const TSystemSettings& settings);
void ResetSystemSettings();

// Lines a wheel notch scrolls: the injected value, else the desktop's setting.
Integer WheelScrollLines();

// Monitors of the desktop, primary first; never empty.
std::vector<TMonitorInfo> GetMonitors();
// The monitor containing the point, else the nearest one.
TMonitorInfo MonitorFromPoint(TPoint p);
// The monitor sharing the largest area with the rectangle, else the nearest one.
TMonitorInfo MonitorFromRect(const TRect& r);
// The desktop work area of the primary monitor.
TRect GetDesktopWorkArea();
TSize GetScreenSize();

// Sounds by alias ("MenuPopup", "MenuCommand"): the desktop's sound theme plays them
// (Sounds.h); an alias has a sound while SoundSchemes is on and the theme names an event
// for it. Returns whether the sound library took the sound.
bool IsSoundEventSet(const std::string& eventName);
bool PlaySoundAlias(const std::string& alias);
// MessageBeep: the theme's bell (or the dialog sound of a message-box kind); also counted
// so tests can see it.
void MessageBeep(Cardinal type);
Integer MessageBeepCount();
