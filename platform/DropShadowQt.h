// The shadow a window of the drop-shadow class (CS_DROPSHADOW: menus, where the desktop
// wants shadows) casts on what lies below and right of it, for other platform sources only
// (includes Qt). Without a compositing desktop nothing blends windows, so the shadow is two
// strips of the screen as it was beside the window, darkened towards their outer edges,
// shown in windows of their own that input passes through.
#pragma once

class QWidget;

// How far the shadow reaches beyond the window's right and bottom edges, in pixels.
constexpr int DropShadowSize = 4;

// Marks a top-level window as one that casts the shadow.
void SetCastsDropShadow(QWidget* window);
// Shows the shadow where the window stands now (the screen beside it taken afresh), or
// hides it while the window is hidden or shows only part of itself (a region is set, as
// while it slides in); nothing for a window that casts none.
void UpdateDropShadow(QWidget* window);
