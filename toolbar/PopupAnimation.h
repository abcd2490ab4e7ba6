// The popup animation: a window slides in (or fades, where layered windows exist) over
// 150 ms in at most 16 steps. A timer on the GUI thread advances it; the window paints the
// picture captured at the start, moved by the current offset. One animation at a time.
#pragma once

#include "platform/Controls.h"

// Slide directions (bits).
constexpr Byte tbadLeftward = 1, tbadRightward = 2, tbadDownward = 4, tbadUpward = 8;

// Private messages: a frame is due (LParam: the animation's serial number), and the end.
constexpr Cardinal WM_TB2K_ANIMATIONFRAME = 0x955;
constexpr Cardinal WM_TB2K_ANIMATIONEND = 0x956;

// Ends any running animation, then shows Wnd (without activating it) and animates it.
void StartAnimation(TControl* Wnd, Integer Time, bool Blend, Byte Direction);
// Ends the running animation when Wnd is it (or nullptr): the window shows in full and gets
// WM_TB2K_ANIMATIONEND.
void EndAnimation(TControl* Wnd);
bool IsAnimating(const TControl* Wnd);
// While Wnd animates: the picture of the whole window and where it goes now.
bool GetAnimationFrame(const TControl* Wnd, const TBitmap*& Image, TPoint& Offset);
// While Wnd animates, draws its picture where it goes now on a canvas whose origin lies at
// Origin in the window (the client area's origin for its client painting); false otherwise.
bool DrawAnimationFrame(const TControl* Wnd, TCanvas& Canvas, TPoint Origin);
// The window passes WM_TB2K_ANIMATIONFRAME here.
void HandleAnimationMessage(TControl* Wnd, const TMessage& Message);

// The step (0..255, a multiple of 16) reached after ElapsedMs of an animation lasting
// TimeMs; 255 when it has ended (a duration of 0 ends at once).
Integer AnimationStep(int64_t ElapsedMs, Integer TimeMs);
// Milliseconds from counter ticks at a counter frequency (frequencies below 1000 per
// second count as 1000).
int64_t AnimationElapsedMs(int64_t Ticks, int64_t Frequency);
// Window offset of a slide at a step: (dx, dy) of a window W by H.
TPoint AnimationSlideOffset(Byte Direction, Integer Step, Integer W, Integer H);
