// The main window's button pictures, drawn here rather than shipped: the 3D view's toolbar
// (zoom, start, stop), the page toolbar (home, forward, back, copy, font, print, test), the
// lever examples and the program's icon. Each picture is drawn on a magenta ground that the
// image lists take as transparent.
#pragma once

#include "platform/Controls.h"

// The ground the pictures are drawn on: transparent wherever they are shown.
constexpr TColor GlyphGround = 0xFF00FF;

// Images of the 3D view's toolbar, 20 x 20.
enum TMainGlyph : Integer { mgZoomIn, mgZoomOut, mgStart, mgStop, mgCount };
// Images of the page toolbar, 20 x 20.
enum TPageGlyph : Integer { pgHome, pgForward, pgBack, pgCopy, pgFont, pgPrint, pgTest, pgCount };
// Images of the lever toolbar, 24 x 24, in the order of the lever examples.
enum TLeverGlyph : Integer { lgClawHammer, lgScissors, lgNutCrackers, lgWheelbarrow, lgArm, lgTweezers, lgCount };

void AddMainGlyphs(TCustomImageList& List);
void AddPageGlyphs(TCustomImageList& List);
void AddLeverGlyphs(TCustomImageList& List);
// The program's icon, 32 x 32: a gear wheel on the transparent ground.
TBitmap ApplicationIcon();
