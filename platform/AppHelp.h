// The application's help service: its help file, the help event a router installs, and
// the help commands (in WinHelp's numbering) that menus, F1 and the Help menu issue.
// A command goes to the help event first; only when the event leaves CallHelp set does it
// go on to WinHelp, which this system does not have (the command then fails quietly).
// The application object holds the help file and the event (none before it is made).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Types.h"

using THelpContext = Integer;

// Help commands (Data's meaning follows the command).
constexpr Word HELP_CONTEXT = 1;   // Data: context number
constexpr Word HELP_QUIT = 2;
constexpr Word HELP_INDEX = 3;
constexpr Word HELP_CONTEXTPOPUP = 8;   // Data: context number
constexpr Word HELP_FINDER = 11;
constexpr Word HELP_SETPOPUP_POS = 13;    // Data: the point, packed as MakePopupPos does
constexpr Word HELP_TAB = 15;             // Data: 0 contents, else the index
constexpr Word HELP_KEY = 0x101;          // Data: const char*, the keyword
constexpr Word HELP_PARTIALKEY = 0x105;   // Data: const char*, the keyword

// The help event: its result is the command's; clearing CallHelp (true on entry) keeps the
// command from going on to WinHelp.
using THelpEvent = std::function<bool(Word Command, intptr_t Data, bool& CallHelp)>;

const std::string& ApplicationHelpFile();
void SetApplicationHelpFile(const std::string& fileName);
const THelpEvent& ApplicationOnHelp();
void SetApplicationOnHelp(THelpEvent handler);

// Issues a command: the help event, then (when CallHelp stays set) WinHelp.
bool ApplicationHelpCommand(Word Command, intptr_t Data);
// Help on a context number (HELP_CONTEXT).
bool ApplicationHelpContext(THelpContext Context);

// WinHelp: not available here; always false.
bool WinHelp(uintptr_t Window, const std::string& HelpFile, Word Command, intptr_t Data);

// HELP_SETPOPUP_POS packs x in the low and y in the high 16 bits (each signed).
inline intptr_t MakePopupPos(Integer X, Integer Y)
{
  return intptr_t((uint32_t(uint16_t(int16_t(X)))) | (uint32_t(uint16_t(int16_t(Y))) << 16));
}
inline TPoint PopupPosFromData(intptr_t Data)
{
  return {Integer(int16_t(uint16_t(uint32_t(Data) & 0xFFFF))), Integer(int16_t(uint16_t(uint32_t(Data) >> 16)))};
}
