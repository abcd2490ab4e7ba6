// Installed fonts and the mapping of the Windows font names that pages and resources use
// onto the fonts of this system.
#pragma once

#include <string>
#include <vector>

// The installed screen fonts (Screen.Fonts): sorted without regard to case, with the
// Windows names we map ("Arial", "MS Sans Serif", "Times New Roman", "Courier New")
// included.
const std::vector<std::string>& ScreenFonts();
// True when name is in ScreenFonts, compared without regard to case.
bool IsScreenFont(const std::string& name);
// The family drawn for a font name: "Arial" and "MS Sans Serif" give Liberation Sans,
// "Times New Roman" Liberation Serif, "Courier New" Liberation Mono; installed families
// stay as they are; anything else gives Liberation Sans.
std::string ResolveFontFamily(const std::string& name);

// Fonts and painting need the GUI library started; this starts it (with the offscreen
// platform when there is no display) unless an application object already exists.
void EnsureGuiApplication();
