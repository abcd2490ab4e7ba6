// Helpers the toolbar kit stands on: system settings (menu delay, flat menus, keyboard
// cues), monitors, the shared menu font, rotated text, accelerator text handling, menu
// sounds, message-queue helpers and the halftone drag rectangle.
#pragma once

#include <string>

#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/SysSettings.h"
#include "platform/SysUtils.h"

// Menu show delay in ms: the system's answer, else the stored per-user value ("abc" gives
// 0, nothing stored gives 400); never negative.
Integer GetMenuShowDelay();
bool AreFlatMenusEnabled();
bool AreKeyboardCuesEnabled();
bool MultiMonitorsPresent();
// The work area (WorkArea) or the whole rectangle of the monitor holding R or P.
TRect GetRectOfMonitorContainingRect(const TRect& R, bool WorkArea);
TRect GetRectOfMonitorContainingPoint(TPoint P, bool WorkArea);
bool ApplicationIsActive();

// The shared menu font: made on first use.
TFont& ToolbarMenuFont();
void UpdateMenuFont();

// Text helpers; Prefix: accelerator marks count as removed.
Integer GetTextHeight(TCanvas& Canvas);
Integer GetTextWidth(TCanvas& Canvas, const std::string& Text, bool Prefix);
// Draws Text turned a quarter (top to bottom) in Rect with DT_ flags.
// The canvas's font turned to run downwards (the outline twin of the bitmap face).
void SelectRotatedFont(TCanvas& Canvas);
// Text running downwards in the rectangle, centred across it (and along it with
// DT_CENTER), its accelerator underlined unless DT_HIDEPREFIX.
void DrawRotatedText(TCanvas& Canvas, std::string Text, const TRect& ARect, uint32_t Format);
// "&&" becomes "&", a single "&" goes.
std::string StripAccelChars(const std::string& S);
std::string EscapeAmpersands(const std::string& S);
// Drops one trailing ":" or "...".
std::string StripTrailingPunctuation(const std::string& S);

void PlaySystemSound(const std::string& Name);

// Handles pending paint requests now.
void ProcessPaintMessages();
// Takes queued messages First..Last out of the queue; a quit among them is posted again.
void RemoveMessages(Cardinal First, Cardinal Last);

// Integer division rounded away from zero (0 for a divisor of 0).
Integer DivRoundUp(Integer A, Integer B);
inline Integer Min(Integer A, Integer B) { return A < B ? A : B; }

// The 8 by 8 checkerboard of the halftone brush (1-bit).
const TBitmap& HalftoneBrushBitmap();
// Inverts the frame of NewRect (thickness NewSize) and restores that of OldRect, leaving
// the overlap untouched.
void DrawHalftoneInvertRect(TCanvas& Canvas, const TRect* NewRect, const TRect* OldRect, TSize NewSize, TSize OldSize);
