// Application hooks of the kit: procedures that want to hear of window activation, window
// moves, windows about to be destroyed, or every input message. One registry for the
// process; each kind's platform hook is installed while some procedure needs it.
#pragma once

#include <cstdint>

#include "platform/Application.h"
#include "platform/Controls.h"

enum THookProcCode : uint8_t { hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy, hpGetMessage };
using THookProcCodes = uint8_t;   // bit (1 << code)
constexpr THookProcCodes HookCode(THookProcCode c) { return static_cast<THookProcCodes>(1u << c); }

// Wnd: the window concerned (none for hpGetMessage, whose LParam points at the
// TInputEvent); WParam: 1 for an activation, 0 for a deactivation.
using THookProc = void (*)(THookProcCode Code, TControl* Wnd, WPARAM WParam, LPARAM LParam);

void InstallHookProc(THookProc Proc, THookProcCodes Codes, bool OnlyIncrementCount = false);
void UninstallHookProc(THookProc Proc);
// Number of platform hooks installed (for tests).
int InstalledHookCount();
