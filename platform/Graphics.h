// The drawing layer: fonts, pens, brushes and TCanvas, which gives the program the device
// context semantics its drawing code relies on (text and background colour, background mode,
// text alignment, clip regions in device space, raster operations, a mapping mode for
// printing) on top of a device backend: Qt painting on a TBitmap or a printer, or a
// fixed-metric recorder for layout tests (CanvasFixed.h). No Qt type appears here.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/CodePages.h"
#include "platform/Regions.h"
#include "platform/Types.h"

struct TSize {
  Integer cx = 0;
  Integer cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// ---------------------------------------------------------------------------------------
// Colours and resolution

// A system colour resolved through the fixed classic table; palette-relative colours lose
// their flag; clNone and clDefault come back unchanged (callers test for them first).
TColor ColorToRGB(TColor c);
// The classic value of a system colour index (COLOR_...); black for an unknown index.
TColor GetSysColor(int index);

// Logical resolution of the screen (Screen.PixelsPerInch); 96 unless a test changes it.
Integer ScreenPixelsPerInch();
void SetScreenPixelsPerInch(Integer ppi);

// ---------------------------------------------------------------------------------------
// Fonts

using TFontStyles = uint8_t;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

enum class TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
using enum TFontPitch;

class TFont {
public:
  TFont();
  TFont(const TFont& other);
  TFont& operator=(const TFont& other);
  virtual ~TFont() = default;

  // Copies every attribute (not OnChange) and signals a change.
  void Assign(const TFont& source);

  const std::string& Name() const { return FName; }
  void SetName(const std::string& name);
  // Size in points; negative when the height was given as a cell height.
  Integer Size() const;
  void SetSize(Integer points);
  // Height in logical pixels: negative gives the character height (em), positive the cell height.
  Integer Height() const { return FHeight; }
  void SetHeight(Integer height);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset charset);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch pitch);
  // The direction text runs in, in tenths of a degree counter-clockwise from the right
  // (2700: downwards, as vertical toolbars write their captions); glyphs turn with it.
  Integer Orientation() const { return FOrientation; }
  void SetOrientation(Integer tenths);
  // Resolution the point size is converted with (the screen's when created).
  Integer PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer ppi) { FPixelsPerInch = ppi > 0 ? ppi : 96; }

  // Same face, height, style, charset and pitch (colour not compared).
  bool SameFace(const TFont& other) const;

  std::function<void(TFont*)> OnChange;

protected:
  virtual void Changed();

private:
  std::string FName = "MS Sans Serif";
  Integer FHeight = -11;
  TFontStyles FStyle = 0;
  TColor FColor = clWindowText;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
  Integer FOrientation = 0;
  Integer FPixelsPerInch = 96;
};

// Text metrics as the program reads them. All values in logical units.
struct TTextMetric {
  Integer tmHeight = 0;   // ascent + descent
  Integer tmAscent = 0;
  Integer tmDescent = 0;
  Integer tmInternalLeading = 0;   // tmHeight - character height
  Integer tmExternalLeading = 0;
  Integer tmAveCharWidth = 0;
  Integer tmMaxCharWidth = 0;
  Integer tmWeight = 400;
  Integer tmOverhang = 0;
  Integer tmDigitizedAspectX = 96;
  Integer tmDigitizedAspectY = 96;
  char16_t tmFirstChar = 32;
  char16_t tmLastChar = 0xFFFD;
  char16_t tmDefaultChar = u'?';
  char16_t tmBreakChar = u' ';
  Byte tmItalic = 0;
  Byte tmUnderlined = 0;
  Byte tmStruckOut = 0;
  Byte tmPitchAndFamily = 0;
  Byte tmCharSet = 0;
};

// ---------------------------------------------------------------------------------------
// Pens and brushes

enum class TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
using enum TPenStyle;
// Binary raster operations of the pen (R2_ codes in this order, from 1).
enum class TPenMode : uint8_t {
  pmBlack,
  pmNotMerge,
  pmMaskNotPen,
  pmNotCopy,
  pmMaskPenNot,
  pmNot,
  pmXor,
  pmNotMask,
  pmMask,
  pmNotXor,
  pmNop,
  pmMergeNotPen,
  pmCopy,
  pmMergePenNot,
  pmMerge,
  pmWhite
};
using enum TPenMode;

class TPen {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor c)
  {
    FColor = c;
    Changed();
  }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer w)
  {
    FWidth = w < 0 ? 0 : w;
    Changed();
  }
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle s)
  {
    FStyle = s;
    Changed();
  }
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode m)
  {
    FMode = m;
    Changed();
  }
  void Assign(const TPen& p)
  {
    FColor = p.FColor;
    FWidth = p.FWidth;
    FStyle = p.FStyle;
    FMode = p.FMode;
    Changed();
  }

  std::function<void(TPen*)> OnChange;

private:
  void Changed()
  {
    if (OnChange)
      OnChange(this);
  }
  TColor FColor = clBlack;
  Integer FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

enum class TBrushStyle : uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
using enum TBrushStyle;

class TBrush {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor c);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle s)
  {
    FStyle = s;
    Changed();
  }
  // A pattern brush: the bitmap (not owned, at most 8 x 8 used) is tiled from the device
  // origin; a 1-bit pattern takes the text colour for 0 and the background colour for 1.
  const TBitmap* Bitmap() const { return FBitmap; }
  void SetBitmap(const TBitmap* b)
  {
    FBitmap = b;
    Changed();
  }
  void Assign(const TBrush& b)
  {
    FColor = b.FColor;
    FStyle = b.FStyle;
    FBitmap = b.FBitmap;
    Changed();
  }

  std::function<void(TBrush*)> OnChange;

private:
  void Changed()
  {
    if (OnChange)
      OnChange(this);
  }
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  const TBitmap* FBitmap = nullptr;
};

// ---------------------------------------------------------------------------------------
// Device context constants

// Background modes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
// Text alignment (SetTextAlign).
enum : uint32_t {
  TA_NOUPDATECP = 0,
  TA_UPDATECP = 1,
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24
};
// ExtTextOut options.
enum : uint32_t { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
// DrawText formats.
enum : uint32_t {
  DT_TOP = 0,
  DT_LEFT = 0,
  DT_CENTER = 1,
  DT_RIGHT = 2,
  DT_VCENTER = 4,
  DT_BOTTOM = 8,
  DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20,
  DT_EXPANDTABS = 0x40,
  DT_TABSTOP = 0x80,
  DT_NOCLIP = 0x100,
  DT_EXTERNALLEADING = 0x200,
  DT_CALCRECT = 0x400,
  DT_NOPREFIX = 0x800,
  DT_INTERNAL = 0x1000,
  DT_EDITCONTROL = 0x2000,
  DT_PATH_ELLIPSIS = 0x4000,
  DT_END_ELLIPSIS = 0x8000,
  DT_MODIFYSTRING = 0x10000,
  DT_RTLREADING = 0x20000,
  DT_WORD_ELLIPSIS = 0x40000,
  DT_HIDEPREFIX = 0x100000,
  DT_PREFIXONLY = 0x200000
};
// DrawEdge edges and flags.
enum : uint32_t {
  BDR_RAISEDOUTER = 1,
  BDR_SUNKENOUTER = 2,
  BDR_RAISEDINNER = 4,
  BDR_SUNKENINNER = 8,
  BDR_OUTER = 3,
  BDR_INNER = 12,
  BDR_RAISED = 5,
  BDR_SUNKEN = 10,
  EDGE_RAISED = 5,
  EDGE_SUNKEN = 10,
  EDGE_ETCHED = 6,
  EDGE_BUMP = 9,
  BF_LEFT = 1,
  BF_TOP = 2,
  BF_RIGHT = 4,
  BF_BOTTOM = 8,
  BF_TOPLEFT = 3,
  BF_BOTTOMRIGHT = 12,
  BF_RECT = 15,
  BF_DIAGONAL = 0x10,
  BF_MIDDLE = 0x800,
  BF_SOFT = 0x1000,
  BF_ADJUST = 0x2000,
  BF_FLAT = 0x4000,
  BF_MONO = 0x8000
};
// Raster operations (ternary; the middle byte pair is the boolean table of P, S, D).
enum : uint32_t {
  SRCCOPY = 0x00CC0020,
  SRCPAINT = 0x00EE0086,
  SRCAND = 0x008800C6,
  SRCINVERT = 0x00660046,
  SRCERASE = 0x00440328,
  NOTSRCCOPY = 0x00330008,
  NOTSRCERASE = 0x001100A6,
  MERGECOPY = 0x00C000CA,
  MERGEPAINT = 0x00BB0226,
  PATCOPY = 0x00F00021,
  PATPAINT = 0x00FB0A09,
  PATINVERT = 0x005A0049,
  DSTINVERT = 0x00550009,
  BLACKNESS = 0x00000042,
  WHITENESS = 0x00FF0062,
  // Mask draws: DSPDXAX paints the brush where the source is 1 and keeps the destination
  // where it is 0; PSDPXAX keeps the destination where the source is 1 and paints the brush
  // where it is 0.
  DSPDXAX = 0x00E20746,
  PSDPXAX = 0x00B8074A
};
// Stretch modes.
enum : int { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };
// Mapping modes.
enum : int { MM_TEXT = 1, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };
// GetDeviceCaps indexes.
enum : int { HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14, LOGPIXELSX = 88, LOGPIXELSY = 90 };

// ---------------------------------------------------------------------------------------
// Device backends

// A pen or brush resolved for the device: colours are plain RGB.
struct TDevicePen {
  TColor Color = clBlack;
  Integer Width = 1;   // device pixels, at least 1
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
};
struct TDeviceBrush {
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
  const TBitmap* Pattern = nullptr;
  TColor TextColor = clBlack;   // for 1-bit patterns and hatch lines
  TColor BkColor = clWhite;     // hatch background when BkOpaque, 1-bit pattern ones
  bool BkOpaque = true;
};

// A shape in device coordinates.
struct TShape {
  enum TKind : uint8_t { Polyline, Polygon, Rectangle, RoundRect, Ellipse, Arc, Pie, Chord };
  TKind Kind = Polyline;
  std::vector<TPoint> Points;   // Polyline, Polygon
  TRect Rect;                   // bounding box of the other kinds (right/bottom exclusive)
  TSize Corner;                 // RoundRect's corner ellipse
  TPoint Start, End;            // Arc/Pie/Chord radial end points
  int FillMode = ALTERNATE;
};

// The font a device is asked to realise: the logical font with its height in device pixels.
struct TDeviceFont {
  std::string Name;
  Integer Height = -11;   // device pixels; negative = character height
  TFontStyles Style = 0;
  TFontCharset Charset = DEFAULT_CHARSET;
  TFontPitch Pitch = fpDefault;
  Integer Orientation = 0;   // tenths of a degree counter-clockwise; 0 upright
};

// What TCanvas needs of a device. All coordinates are device pixels; clip is the current
// clip region (nullptr: none).
class TCanvasDevice {
public:
  virtual ~TCanvasDevice() = default;
  // The device's drawable area.
  virtual TRect DeviceRect() const = 0;
  virtual Integer LogPixels() const { return ScreenPixelsPerInch(); }
  virtual Integer BitsPerPixel() const { return 32; }
  virtual bool IsPrinter() const { return false; }
  // A bitmap whose pixels we may read and write directly (raster operations, pixel
  // access); nullptr when the device has none.
  virtual TBitmap* PixelTarget() { return nullptr; }
  // Called after TCanvas wrote pixels of PixelTarget itself.
  virtual void PixelsWritten(const TRect& area) {}

  virtual TTextMetric TextMetrics(const TDeviceFont& font) = 0;
  // Advance width of every UTF-16 unit (a surrogate pair's second unit gets 0).
  virtual void CharWidths(const TDeviceFont& font, const char16_t* text, size_t count, Integer* widths) = 0;
  // Draws the glyphs with their left edges at x + the sum of the previous advances and
  // their baseline at y, in an RGB colour, including underline and strike-out.
  virtual void DrawGlyphs(const TDeviceFont& font, Integer x, Integer y, const char16_t* text, size_t count,
                          const Integer* advances, TColor color, const TRegion* clip) = 0;
  // Outline with pen (nullptr: none), interior with brush (nullptr: none).
  virtual void DrawShape(const TShape& shape, const TDevicePen* pen, const TDeviceBrush* brush,
                         const TRegion* clip) = 0;
  // Fills a rectangle with one RGB colour.
  virtual void FillSolid(const TRect& r, TColor color, const TRegion* clip) = 0;
  // Copies pixels onto a device without PixelTarget (dest may be larger than src: stretch).
  virtual void DrawImage(const TRect& dest, const TBitmap& src, const TRect& srcRect, uint32_t rop, const TRegion* clip)
  {}
  // Told about clip changes (the fixed-metric recorder logs them).
  virtual void ClipChanged(const TRegion* clip) {}
};

// ---------------------------------------------------------------------------------------
// The canvas

class TCanvas {
public:
  explicit TCanvas(std::unique_ptr<TCanvasDevice> device);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;
  virtual ~TCanvas();

  TCanvasDevice& Device() { return *FDevice; }
  // The bitmap drawn on, when the device is one.
  TBitmap* Bitmap() { return FDevice->PixelTarget(); }

  // Selected objects. Changing the font resets the text colour to its colour; changing the
  // brush sets the background colour to its colour and the background mode to TRANSPARENT
  // for bsClear, else OPAQUE.
  TFont& Font() { return FFont; }
  void SetFont(const TFont& f) { FFont.Assign(f); }
  TPen& Pen() { return FPen; }
  void SetPen(const TPen& p) { FPen.Assign(p); }
  TBrush& Brush() { return FBrush; }
  void SetBrush(const TBrush& b) { FBrush.Assign(b); }

  // Colours and modes of the device context.
  TColor SetTextColor(TColor c);
  TColor TextColor() const { return FTextColor; }
  TColor SetBkColor(TColor c);
  TColor BkColor() const { return FBkColor; }
  int SetBkMode(int mode);
  int BkMode() const { return FBkMode; }
  uint32_t SetTextAlign(uint32_t align);
  uint32_t TextAlign() const { return FTextAlign; }
  int SetStretchBltMode(int mode);
  int StretchBltMode() const { return FStretchMode; }
  // CopyMode: the raster operation of CopyRect and Draw.
  uint32_t CopyMode() const { return FCopyMode; }
  void SetCopyMode(uint32_t rop) { FCopyMode = rop; }

  // Lines and shapes (logical coordinates). Polyline leaves out its last point, LineTo
  // its end point, so joined lines never draw a pixel twice.
  TPoint PenPos() const { return FPenPos; }
  void SetPenPos(TPoint p) { FPenPos = p; }
  void MoveTo(Integer x, Integer y);
  void LineTo(Integer x, Integer y);
  void Polyline(const TPoint* points, size_t count);
  void Polyline(const std::vector<TPoint>& points) { Polyline(points.data(), points.size()); }
  void Polygon(const TPoint* points, size_t count);
  void Polygon(const std::vector<TPoint>& points) { Polygon(points.data(), points.size()); }
  int SetPolyFillMode(int mode);
  // Pen outline covers x1..x2-1, y1..y2-1; the brush fills the inside.
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer w, Integer h);
  void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Counter-clockwise from the radial through (x3, y3) to the one through (x4, y4).
  void Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  void Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4);
  // Fills with the brush, no outline (nothing for bsClear or clNone).
  void FillRect(const TRect& r);
  // Fills with an explicit colour (nothing for clNone), ignoring the brush.
  void FillRect(const TRect& r, TColor color);
  // One-pixel frame in the brush colour.
  void FrameRect(const TRect& r);
  // Dotted frame drawn by inversion (drawing it twice restores the pixels).
  void DrawFocusRect(const TRect& r);
  void InvertRect(const TRect& r);
  // The 3-D borders of the classic look; with BF_ADJUST r shrinks by the border drawn.
  bool DrawEdge(TRect& r, uint32_t edge, uint32_t flags);
  void FillRegion(const TRegion& rgn, TColor color);   // device coordinates
  void FrameRegion(const TRegion& rgn, TColor color, Integer w, Integer h);

  // Text. 8-bit strings are in the system code page (1252).
  void TextOut(Integer x, Integer y, const std::string& text);
  void TextOutW(Integer x, Integer y, const std::u16string& text);
  // Draws text clipped to r (and opaque over it when the brush is not clear).
  void TextRect(const TRect& r, Integer x, Integer y, const std::string& text);
  void TextRectW(const TRect& r, Integer x, Integer y, const std::u16string& text);
  // ExtTextOut: options ETO_OPAQUE (fill rect with the background colour) and ETO_CLIPPED
  // (clip to rect); dx, when given, holds count advances.
  bool ExtTextOutW(Integer x, Integer y, uint32_t options, const TRect* rect, const char16_t* text, size_t count,
                   const Integer* dx = nullptr);
  bool ExtTextOut(Integer x, Integer y, uint32_t options, const TRect* rect, const std::string& text,
                  const Integer* dx = nullptr);

  TSize TextExtent(const std::string& text);
  Integer TextWidth(const std::string& text) { return TextExtent(text).cx; }
  Integer TextHeight(const std::string& text) { return TextExtent(text).cy; }
  TSize TextExtentW(const std::u16string& text) { return GetTextExtentPoint32W(text.data(), text.size()); }
  Integer TextWidthW(const std::u16string& text) { return TextExtentW(text).cx; }
  Integer TextHeightW(const std::u16string& text) { return TextExtentW(text).cy; }
  // Extent of count units (justification and character extra included).
  TSize GetTextExtentPoint32W(const char16_t* text, size_t count);
  // How many units fit in maxExtent (fit, when given) and the extent of every prefix
  // (partial, when given, count entries); the size returned is of the whole text.
  TSize GetTextExtentExPointW(const char16_t* text, size_t count, Integer maxExtent, Integer* fit, Integer* partial);
  TTextMetric GetTextMetrics();
  bool GetTextMetrics(TTextMetric& tm)
  {
    tm = GetTextMetrics();
    return true;
  }
  // Spreads extra pixels over the next text's break characters (breakCount of them).
  void SetTextJustification(Integer extra, Integer breakCount);
  Integer SetTextCharacterExtra(Integer extra);
  // Returns the height of the text drawn (or measured with DT_CALCRECT, which also sets r).
  Integer DrawTextW(const std::u16string& text, TRect& r, uint32_t format);
  Integer DrawText(const std::string& text, TRect& r, uint32_t format);

  // Pictures.
  // Draws a bitmap at its size; a Transparent bitmap leaves its transparent colour out.
  void Draw(Integer x, Integer y, const TBitmap& bitmap);
  void StretchDraw(const TRect& r, const TBitmap& bitmap);
  // CopyRect with CopyMode from another canvas.
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);
  // Raster operations. Monochrome sources turn 0 into the text colour and 1 into the
  // background colour; colour sources copied to a monochrome target give 1 where they
  // equal the source's background colour (white for a bare bitmap).
  bool BitBlt(Integer x, Integer y, Integer w, Integer h, TCanvas* source, Integer sx, Integer sy, uint32_t rop);
  bool BitBlt(Integer x, Integer y, Integer w, Integer h, const TBitmap& source, Integer sx, Integer sy, uint32_t rop);
  bool StretchBlt(Integer x, Integer y, Integer w, Integer h, TCanvas* source, Integer sx, Integer sy, Integer sw,
                  Integer sh, uint32_t rop);
  bool StretchBlt(Integer x, Integer y, Integer w, Integer h, const TBitmap& source, Integer sx, Integer sy, Integer sw,
                  Integer sh, uint32_t rop);
  bool PatBlt(Integer x, Integer y, Integer w, Integer h, uint32_t rop);
  // Draws the picture where the 1-bit mask is black; white mask pixels stay transparent.
  void DrawMasked(const TRect& dest, const TBitmap& bitmap, const TBitmap& mask);

  // Pixels (logical coordinates); GetPixel gives clNone outside the device or the clip.
  TColor GetPixel(Integer x, Integer y);
  TColor SetPixel(Integer x, Integer y, TColor color);

  // Clipping, in device coordinates for regions and logical ones for rectangles.
  // SelectClipRgn copies rgn (nullptr removes the clip). Results are region kinds.
  int SelectClipRgn(const TRegion* rgn);
  int ExtSelectClipRgn(const TRegion* rgn, int mode);
  // True with the clip in rgn when there is one.
  bool GetClipRgn(TRegion& rgn) const;
  int IntersectClipRect(Integer l, Integer t, Integer r, Integer b);
  int ExcludeClipRect(Integer l, Integer t, Integer r, Integer b);
  int OffsetClipRgn(Integer dx, Integer dy);
  // Bounding box of what can be drawn, in logical coordinates.
  TRect ClipRect() const;
  bool PtVisible(Integer x, Integer y) const;
  bool RectVisible(const TRect& r) const;

  // State stack: SaveDC returns the new depth; RestoreDC(-1) pops one, RestoreDC(n)
  // returns to the state saved at depth n.
  int SaveDC();
  bool RestoreDC(int saved);

  // Mapping: logical point p maps to (p - WindowOrg) * ViewportExt / WindowExt + ViewportOrg
  // (extents used only in the anisotropic and isotropic modes).
  int SetMapMode(int mode);
  int MapMode() const { return FMap.Mode; }
  TPoint SetWindowOrgEx(Integer x, Integer y);
  TPoint SetViewportOrgEx(Integer x, Integer y);
  TSize SetWindowExtEx(Integer x, Integer y);
  TSize SetViewportExtEx(Integer x, Integer y);
  TPoint WindowOrg() const { return FMap.WindowOrg; }
  TPoint ViewportOrg() const { return FMap.ViewportOrg; }
  TSize WindowExt() const { return FMap.WindowExt; }
  TSize ViewportExt() const { return FMap.ViewportExt; }
  TPoint LPtoDP(TPoint p) const;
  TPoint DPtoLP(TPoint p) const;
  TRect LPtoDP(const TRect& r) const;
  TRect DPtoLP(const TRect& r) const;

  Integer GetDeviceCaps(int index) const;

private:
  struct TMapping {
    int Mode = MM_TEXT;
    TPoint WindowOrg, ViewportOrg;
    TSize WindowExt{1, 1}, ViewportExt{1, 1};
  };
  struct TState;

  void FontChanged();
  void BrushChanged();
  TDeviceFont DeviceFont() const;
  TDevicePen DevicePen() const;
  TDeviceBrush DeviceBrush() const;
  bool HasPen() const;
  bool HasBrush() const;
  Integer ScaleX(Integer dx) const;
  Integer ScaleY(Integer dy) const;
  Integer UnscaleX(Integer dx) const;
  Integer UnscaleY(Integer dy) const;
  const TRegion* Clip() const { return FHasClip ? &FClip : nullptr; }
  void ClipToDeviceRect(TRect& r) const;
  void SetClip(const TRegion* rgn);
  void DrawShapeLogical(TShape& shape, bool outline, bool fill);
  // Device-unit text widths with justification and character extra applied.
  std::vector<Integer> DeviceAdvances(const char16_t* text, size_t count);
  void TextOutInternal(Integer x, Integer y, uint32_t options, const TRect* rect, const char16_t* text, size_t count,
                       const Integer* dx, bool updateCp);
  bool Blt(Integer x, Integer y, Integer w, Integer h, const TBitmap& source, TColor sourceBk, Integer sx, Integer sy,
           Integer sw, Integer sh, uint32_t rop);

  std::unique_ptr<TCanvasDevice> FDevice;
  TFont FFont;
  TPen FPen;
  TBrush FBrush;
  TColor FTextColor = clBlack;
  TColor FBkColor = clWhite;
  int FBkMode = OPAQUE;
  uint32_t FTextAlign = TA_TOP | TA_LEFT;
  int FStretchMode = BLACKONWHITE;
  int FPolyFillMode = ALTERNATE;
  uint32_t FCopyMode = SRCCOPY;
  TPoint FPenPos;
  Integer FJustifyExtra = 0;
  Integer FJustifyCount = 0;
  Integer FCharExtra = 0;
  TMapping FMap;
  TRegion FClip;
  bool FHasClip = false;
  std::vector<TState> FSaved;
};

// A canvas drawing on a bitmap (kept alive by the caller). Indexed bitmaps are drawn
// through a 32-bit working copy whose pixels go back to the nearest palette entry.
std::unique_ptr<TCanvas> CreateBitmapCanvas(TBitmap& bitmap);
