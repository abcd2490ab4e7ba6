// The HTML Help programming interface the help router talks to: the command numbers, the
// text-popup record and the run-time binding of the viewer's one entry point. On this system
// the viewer is the program's own help window (shell/HelpViewer.h); the binding is kept so
// that the router works as with any viewer, and so that tests can put a recorder in its place.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Application.h"
#include "platform/Types.h"

constexpr Cardinal HH_DISPLAY_TOPIC = 0;   // dwData: const char* topic inside the file, or 0
constexpr Cardinal HH_DISPLAY_TOC = 1;
constexpr Cardinal HH_DISPLAY_INDEX = 2;   // dwData: const char* keyword, or 0
constexpr Cardinal HH_DISPLAY_SEARCH = 3;
constexpr Cardinal HH_DISPLAY_TEXT_POPUP = 14;   // dwData: const THHPopup*
constexpr Cardinal HH_HELP_CONTEXT = 15;         // dwData: context number
constexpr Cardinal HH_CLOSE_ALL = 18;

// A text popup: the text with id idString from the popup file named in the call, or
// pszText when that is given; at pt (screen), in the colours (-1: the defaults), inside the
// margins (-1: the defaults), in the font "face, points[, , BOLD]".
struct THHPopup {
  Integer cbStruct = 52;
  uintptr_t hinst = 0;
  Cardinal idString = 0;
  const char* pszText = nullptr;
  TPoint pt;
  TColor clrForeground = -1;
  TColor clrBackground = -1;
  TRect rcMargins{-1, -1, -1, -1};
  const char* pszFont = nullptr;
};

// The viewer's entry point: gives the window that shows the request, or 0 when nothing
// was shown.
using THtmlHelpProc = std::function<HWND(HWND hwndCaller, const char* pszFile, Cardinal uCommand, uintptr_t dwData)>;

// Binds the viewer once ("HtmlHelpA"); true when its entry is there.
bool LoadHtmlHelp();
// The bound entry (empty before LoadHtmlHelp or when there is no viewer).
const THtmlHelpProc& HtmlHelpEntry();
// Closes what the viewer shows and lets the binding go (at shut-down).
void UnloadHtmlHelp();
// Tests: what LoadHtmlHelp binds from now on (an empty proc: no viewer on this system);
// ResetHtmlHelpBinding returns to the program's own viewer. Both drop the current binding.
void SetHtmlHelpBinding(THtmlHelpProc proc);
void ResetHtmlHelpBinding();
