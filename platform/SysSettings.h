// System settings the program asks about (menu delays and effects, the menu font, metrics,
// monitors, sounds), held in one record that tests may replace (the application object holds
// it; without one the defaults stand); the desktop's effects and menu font come from the
// toolkit, which reads them from the desktop's settings. What has no meaning here (sound
// schemes, layered windows, visual styles) answers "not available", so callers take their
// plain branch.
#pragma once

#include <functional>
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

// A font as the desktop names it: its family, its size in points, bold and italic.
struct TDesktopFont {
  std::string Name = "MS Sans Serif";
  Integer Size = 8;
  TFontStyles Style = 0;
  bool operator==(const TDesktopFont&) const = default;
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
  // The desktop's own choices, as the toolkit hands them on from the desktop's settings:
  // its user-interface effects and its menu font. Empty: as the desktop has them
  // (SystemSettings() fills them in).
  std::optional<bool> MenuAnimation;   // menus slide in
  std::optional<bool> MenuFade;        // menus fade in (where windows can be faded)
  std::optional<bool> DropShadow;      // menus cast a shadow
  // Where the desktop names no menu font, menus keep the classic one (the default here).
  std::optional<TDesktopFont> MenuFont;
  bool MenuDropAlignmentRight = false;
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

// The current settings (with Monitors and the desktop's choices filled in where not
// injected).
TSystemSettings SystemSettings();
// Replaces the settings (tests); ResetSystemSettings returns to the defaults. Both tell the
// handlers below, as a change of the desktop's settings does.
void SetSystemSettings(const TSystemSettings& settings);
void ResetSystemSettings();

// Handlers told when the settings change: the desktop's (its theme, fonts or effects, as
// the toolkit reports a change; several reports in a row make one call) or injected ones.
int AddSettingsChangeHandler(std::function<void()> handler);
void RemoveSettingsChangeHandler(int id);

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
