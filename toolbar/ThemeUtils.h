// The low layer under the themes: colour arithmetic, rectangles and lines in TColor terms,
// three ways of drawing an image-list image (with contrast correction, washed out, greyed),
// drop-shadow windows behind popups, the frame geometry of floating and docked toolbars,
// and the few system metrics the themes ask for.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

class TTBCustomDockableWindow;

// ---------------------------------------------------------------------------------------
// System metrics the themes and frames use (the classic values; indices as the system's)

enum : int {
  SM_CXFIXEDFRAME = 7,
  SM_CYFIXEDFRAME = 8,
  SM_CXFRAME = 32,
  SM_CYFRAME = 33,
  SM_CYSMCAPTION = 51,
  SM_CXMENUCHECK = 71,
  SM_CYMENUCHECK = 72
};
// The value of a metric above; 0 for any other index.
Integer GetTBXSystemMetric(int Index);
// The font of small (tool-window) captions, made on first use and never changed.
const TFont& SmCaptionFont();

// ---------------------------------------------------------------------------------------
// Colours (a system colour is resolved first; clNone is no colour)

// Per channel (C1 * W + C2 * (255 - W)) div 256; W must lie in 0..255.
TColor Blend(TColor C1, TColor C2, Integer W);
// Blend, then the nearest colour the screen shows (every colour, on this screen depth).
TColor NearestBlend(TColor C1, TColor C2, Integer W);
// Adds Amount to every channel, clamped to 0..255.
TColor Lighten(TColor C, Integer Amount);
// True when Threshold * 256 exceeds R * 76 + G * 150 + B * 30.
bool IsDarkColor(TColor C, Integer Threshold = 100);
// Exchanges the red and blue bytes (TColor against bitmap pixel order).
TColor SwapRB(TColor C);

// ---------------------------------------------------------------------------------------
// Rectangles and lines: each ignores clNone and returns whether it drew

bool FillRectEx(TCanvas& Canvas, const TRect& Rect, TColor Color);
// Frames Rect; with Adjust every side then moves one pixel inwards.
bool FrameRectEx(TCanvas& Canvas, TRect& Rect, TColor Color, bool Adjust);
// The line from (X1, Y1) to (X2, Y2), end point left out.
bool DrawLineEx(TCanvas& Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, TColor Color);
// Fills with the 8 by 8 checkerboard of the two colours (C1 on the even pixels).
bool DitherRect(TCanvas& Canvas, const TRect& Rect, TColor C1, TColor C2);
// Top and left lines in TopLeftColor, bottom and right in BottomRightColor; Rect shrinks by 1.
void Frame3D(TCanvas& Canvas, TRect& Rect, TColor TopLeftColor, TColor BottomRightColor);

// ---------------------------------------------------------------------------------------
// Image-list images. The drawn size is the smaller of the list's image and the rectangle.

// The colour that marks "no image here" in the work bitmaps: an image pixel of exactly this
// colour counts as transparent.
constexpr TColor TBXKeyColor = 0x203241;

// Without Contrast the list's own draw; with it, dark pixels are lifted and light ones
// lowered so the image stays visible on a dark background.
void DrawTBXIcon(TCanvas& Canvas, const TRect& R, TCustomImageList* ImageList, Integer ImageIndex, bool Contrast);
// Every image pixel becomes (pixel * Alpha + Color * (255 - Alpha)) div 256 per channel.
void BlendTBXIcon(TCanvas& Canvas, const TRect& R, TCustomImageList* ImageList, Integer ImageIndex, Byte Alpha,
                  TColor Color);
// Greyed image of a disabled item, in one of three strengths (Mode 0, 1, 2): the background
// darkened where the image has pixels.
void DrawTBXIconShadow(TCanvas& Canvas, const TRect& R, TCustomImageList* ImageList, Integer ImageIndex, Integer Mode);
// The per-pixel rules of the three draws above (the draws apply them to every image pixel).
TColor ContrastPixel(TColor Pixel);
TColor BlendPixel(TColor Pixel, Byte Alpha, TColor Color);
TColor ShadowPixel(TColor Pixel, TColor Background, Integer Mode);

// ---------------------------------------------------------------------------------------
// Frame geometry of floating and docked toolbars

// The caption bar of a floating window, in window coordinates: from the top-left border
// offset, as wide as the client area, the small-caption height less 1 high; narrowed by its
// own height when MinusCloseButton and the window shows a close button.
TRect GetTBXCaptionRect(TTBCustomDockableWindow* Window, bool AdjustForBorder, bool MinusCloseButton);
// The close button: the square at the right end of the caption.
TRect GetTBXCloseButtonRect(TTBCustomDockableWindow* Window, bool AdjustForBorder);
// The close button of a docked window: side = drag-handle size - 1, at the far end in left and
// right docks, at the start otherwise.
TRect GetTBXDockedCloseRect(TTBCustomDockableWindow* Window, bool DockedLeftRight);
// 0 when the window's dock does not allow dragging; else by the drag-handle style (9, 0, 6),
// 14 for every style when a close button is shown.
Integer GetTBXDragHandleSize(TTBCustomDockableWindow* Window);

// ---------------------------------------------------------------------------------------
// Drop shadows

// 0: not drawn; 1: a layered window with per-pixel alpha; 2: alpha-blended painting.
Integer ShadowLayeringMode(bool LowColor);

// Rounded ends of a shadow strip.
using TShadowEdges = Byte;
constexpr TShadowEdges seStart = 1, seEnd = 2;

// One strip of shadow: a window above everything that mouse input passes through.
class TShadow : public TPopupWindowControl {
public:
  TShadow(const TRect& Bounds, Byte Opacity, bool LowColor, TShadowEdges Edges);
  ~TShadow() override;
  Byte Opacity() const { return FOpacity; }
  TShadowEdges Edges() const { return FEdges; }
  Integer LayeringMode() const { return FStyle; }
  bool SaveBits() const { return FSaveBits; }
  void SetSaveBits(bool Value) { FSaveBits = Value; }
  // The gradient: alpha in the top byte of each pixel, colour black; rows from the top.
  std::vector<uint32_t> Gradient() const;
  // Alpha at (X, Y) of the window.
  virtual Byte AlphaAt(Integer X, Integer Y) const = 0;

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

  // Alpha of a strip pixel at distance I from the popup's edge (strip thickness T), and of
  // a rounded-end pixel at distances DX, DY from the end's inner corner (square side S).
  static Byte StripAlpha(Integer I, Integer T);
  static Byte CornerAlpha(Integer DX, Integer DY, Integer S);
  // The lengths of the start and end squares along a strip of Length.
  void EndLengths(Integer Length, Integer Thickness, Integer& StartLen, Integer& EndLen) const;

private:
  Byte FOpacity;
  TShadowEdges FEdges;
  Integer FStyle;
  bool FSaveBits = false;
};

// Below a popup: the gradient runs down, rounded ends at left and right.
class THorzShadow : public TShadow {
public:
  using TShadow::TShadow;
  Byte AlphaAt(Integer X, Integer Y) const override;
};

// Right of a popup: the gradient runs right, rounded ends at top and bottom.
class TVertShadow : public TShadow {
public:
  using TShadow::TShadow;
  Byte AlphaAt(Integer X, Integer Y) const override;
};

// The shadow of one popup, and of the toolbar item it opened from, as up to six strips.
class TShadows : public TObject {
public:
  // PopupRect and ParentItemRect in screen coordinates (ParentItemRect empty when the popup
  // did not open from a toolbar item).
  TShadows(const TRect& PopupRect, const TRect& ParentItemRect, Integer Size, Byte Opacity, bool LowColor);
  ~TShadows() override;
  void SetSaveBits(bool Value);
  // Places every strip directly behind AfterWindow and shows it without activating it.
  void Show(TControl* AfterWindow);
  Integer Count() const { return static_cast<Integer>(FShadows.size()); }
  TShadow* Shadows(Integer I) const { return FShadows.at(static_cast<size_t>(I)).get(); }

  struct TStrip {
    TRect Bounds;
    bool Vertical = false;
    TShadowEdges Edges = 0;
  };
  // Where the strips go: along the right and bottom edges of both rectangles, offset by
  // Size, leaving out what lies under the popup or the item.
  static std::vector<TStrip> Layout(const TRect& PopupRect, const TRect& ParentItemRect, Integer Size);

private:
  std::vector<std::unique_ptr<TShadow>> FShadows;
};
