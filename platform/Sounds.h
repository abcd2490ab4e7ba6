// System sounds: the desktop's sound theme (freedesktop event names such as
// "bell", "menu-popup", "menu-click") played through libcanberra, loaded at run
// time. Without the library, a sound theme or a sound device every call is
// silent and reports nothing.
#pragma once

#include <functional>
#include <string>

// Plays the theme's sound for the event, asynchronously, not stopping a sound
// that plays. Whether the sound library took it (false: silent).
bool PlaySoundEvent(const std::string& eventId);
// Whether sounds can be played at all (the library loaded and opened).
bool SoundEventsAvailable();

// The event name of a sound alias of the program's menus ("MenuPopup" ->
// "menu-popup", "MenuCommand" -> "menu-click"); empty for an alias without one.
std::string SoundEventForAlias(const std::string& alias);
// The event name of a beep of the given message-box kind (0 and 0xFFFFFFFF:
// "bell").
std::string SoundEventForBeep(unsigned type);

// Tests: every event id on its way to the library goes to the hook first (an
// empty hook removes it). The application holds the hook.
void SetSoundEventHook(std::function<void(const std::string&)> hook);
