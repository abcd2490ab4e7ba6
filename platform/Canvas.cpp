// TCanvas: device-context state and everything that can be computed without a backend
// (mapping, clipping, alignment, justification, text layout of DrawText, 3-D edges).
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/CanvasInternal.h"
#include "platform/Graphics.h"

struct TCanvas::TState {
  TFont Font;
  TPen Pen;
  TBrush Brush;
  TColor TextColor, BkColor;
  int BkMode, StretchMode, PolyFillMode;
  uint32_t TextAlign;
  TPoint PenPos;
  Integer JustifyExtra, JustifyCount, CharExtra;
  TMapping Map;
  TRegion Clip;
  bool HasClip;
};

TCanvas::TCanvas(std::unique_ptr<TCanvasDevice> device) : FDevice(std::move(device))
{
  FTextColor = FFont.Color();
  FBkColor = FBrush.Color();
  FFont.OnChange = [this](TFont*) { FontChanged(); };
  FBrush.OnChange = [this](TBrush*) { BrushChanged(); };
}

TCanvas::~TCanvas() = default;

void TCanvas::FontChanged() { FTextColor = FFont.Color(); }

void TCanvas::BrushChanged()
{
  FBkColor = FBrush.Color();
  FBkMode = FBrush.Style() == bsClear ? TRANSPARENT : OPAQUE;
}

TColor TCanvas::SetTextColor(TColor c) { return std::exchange(FTextColor, c); }
TColor TCanvas::SetBkColor(TColor c) { return std::exchange(FBkColor, c); }
int TCanvas::SetBkMode(int mode)
{
  if (mode != TRANSPARENT && mode != OPAQUE)
    return 0;
  return std::exchange(FBkMode, mode);
}
uint32_t TCanvas::SetTextAlign(uint32_t align) { return std::exchange(FTextAlign, align); }
int TCanvas::SetStretchBltMode(int mode)
{
  if (mode < BLACKONWHITE || mode > HALFTONE)
    return 0;
  return std::exchange(FStretchMode, mode);
}
int TCanvas::SetPolyFillMode(int mode)
{
  if (mode != ALTERNATE && mode != WINDING)
    return 0;
  return std::exchange(FPolyFillMode, mode);
}

// ---------------------------------------------------------------------------------------
// Mapping

int TCanvas::SetMapMode(int mode)
{
  if (mode != MM_TEXT && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC)
    return 0;
  int old = FMap.Mode;
  FMap.Mode = mode;
  if (mode == MM_TEXT) {
    FMap.WindowExt = {1, 1};
    FMap.ViewportExt = {1, 1};
  }
  return old;
}

TPoint TCanvas::SetWindowOrgEx(Integer x, Integer y) { return std::exchange(FMap.WindowOrg, TPoint{x, y}); }
TPoint TCanvas::SetViewportOrgEx(Integer x, Integer y) { return std::exchange(FMap.ViewportOrg, TPoint{x, y}); }

static void MakeIsotropic(TSize& viewport, const TSize& window)
{
  // Keep the same scale both ways, the smaller one, with the signs as given.
  double sx = std::abs(double(viewport.cx) / window.cx), sy = std::abs(double(viewport.cy) / window.cy);
  double s = std::min(sx, sy);
  viewport.cx = (viewport.cx < 0 ? -1 : 1) * SafeRound(s * std::abs(double(window.cx)));
  viewport.cy = (viewport.cy < 0 ? -1 : 1) * SafeRound(s * std::abs(double(window.cy)));
  if (viewport.cx == 0)
    viewport.cx = 1;
  if (viewport.cy == 0)
    viewport.cy = 1;
}

TSize TCanvas::SetWindowExtEx(Integer x, Integer y)
{
  TSize old = FMap.WindowExt;
  if (FMap.Mode == MM_TEXT || x == 0 || y == 0)
    return old;
  FMap.WindowExt = {x, y};
  if (FMap.Mode == MM_ISOTROPIC)
    MakeIsotropic(FMap.ViewportExt, FMap.WindowExt);
  return old;
}

TSize TCanvas::SetViewportExtEx(Integer x, Integer y)
{
  TSize old = FMap.ViewportExt;
  if (FMap.Mode == MM_TEXT || x == 0 || y == 0)
    return old;
  FMap.ViewportExt = {x, y};
  if (FMap.Mode == MM_ISOTROPIC)
    MakeIsotropic(FMap.ViewportExt, FMap.WindowExt);
  return old;
}

static Integer Clamp64(int64_t v)
{
  return static_cast<Integer>(
      std::clamp<int64_t>(v, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()));
}

// v * num / den rounded to nearest, halves away from zero, in 64 bits.
static Integer MulDiv64(int64_t v, int64_t num, int64_t den)
{
  if (den == 0)
    return 0;
  int64_t p = v * num;
  int64_t q = p / den, r = p % den;
  if (2 * std::abs(r) >= std::abs(den))
    q += ((p < 0) != (den < 0)) ? -1 : 1;
  return Clamp64(q);
}

Integer TCanvas::ScaleX(Integer dx) const
{
  return FMap.Mode == MM_TEXT ? dx : MulDiv64(dx, FMap.ViewportExt.cx, FMap.WindowExt.cx);
}
Integer TCanvas::ScaleY(Integer dy) const
{
  return FMap.Mode == MM_TEXT ? dy : MulDiv64(dy, FMap.ViewportExt.cy, FMap.WindowExt.cy);
}
Integer TCanvas::UnscaleX(Integer dx) const
{
  return FMap.Mode == MM_TEXT ? dx : MulDiv64(dx, FMap.WindowExt.cx, FMap.ViewportExt.cx);
}
Integer TCanvas::UnscaleY(Integer dy) const
{
  return FMap.Mode == MM_TEXT ? dy : MulDiv64(dy, FMap.WindowExt.cy, FMap.ViewportExt.cy);
}

TPoint TCanvas::LPtoDP(TPoint p) const
{
  return {Clamp64(int64_t(ScaleX(Clamp64(int64_t(p.X) - FMap.WindowOrg.X))) + FMap.ViewportOrg.X),
          Clamp64(int64_t(ScaleY(Clamp64(int64_t(p.Y) - FMap.WindowOrg.Y))) + FMap.ViewportOrg.Y)};
}

TPoint TCanvas::DPtoLP(TPoint p) const
{
  return {Clamp64(int64_t(UnscaleX(Clamp64(int64_t(p.X) - FMap.ViewportOrg.X))) + FMap.WindowOrg.X),
          Clamp64(int64_t(UnscaleY(Clamp64(int64_t(p.Y) - FMap.ViewportOrg.Y))) + FMap.WindowOrg.Y)};
}


TRect TCanvas::LPtoDP(const TRect& r) const
{
  TPoint a = LPtoDP(TPoint{r.Left, r.Top}), b = LPtoDP(TPoint{r.Right, r.Bottom});
  return NormalizedRect({a.X, a.Y, b.X, b.Y});
}

TRect TCanvas::DPtoLP(const TRect& r) const
{
  TPoint a = DPtoLP(TPoint{r.Left, r.Top}), b = DPtoLP(TPoint{r.Right, r.Bottom});
  return NormalizedRect({a.X, a.Y, b.X, b.Y});
}

Integer TCanvas::GetDeviceCaps(int index) const
{
  TRect d = FDevice->DeviceRect();
  switch (index) {
  case HORZRES: return d.Width();
  case VERTRES: return d.Height();
  case BITSPIXEL: return FDevice->BitsPerPixel();
  case PLANES: return 1;
  case LOGPIXELSX:
  case LOGPIXELSY: return FDevice->LogPixels();
  default: return 0;
  }
}

// ---------------------------------------------------------------------------------------
// Clipping

void TCanvas::SetClip(const TRegion* rgn)
{
  if (rgn) {
    FClip = *rgn;
    FHasClip = true;
  } else {
    FClip.Clear();
    FHasClip = false;
  }
  FDevice->ClipChanged(Clip());
}

int TCanvas::SelectClipRgn(const TRegion* rgn)
{
  SetClip(rgn);
  return rgn ? std::max(FClip.Kind(), int(NULLREGION)) : SIMPLEREGION;
}

int TCanvas::ExtSelectClipRgn(const TRegion* rgn, int mode)
{
  if (mode == RGN_COPY || !rgn)
    return SelectClipRgn(mode == RGN_COPY ? rgn : nullptr);
  TRegion current = FHasClip ? FClip : TRegion(FDevice->DeviceRect());
  TRegion result;
  result.Combine(current, *rgn, mode);
  SetClip(&result);
  return result.Kind();
}

bool TCanvas::GetClipRgn(TRegion& rgn) const
{
  if (!FHasClip)
    return false;
  rgn = FClip;
  return true;
}

int TCanvas::IntersectClipRect(Integer l, Integer t, Integer r, Integer b)
{
  TRegion rect(LPtoDP(TRect{l, t, r, b}));
  if (FHasClip)
    rect.Intersect(FClip);
  SetClip(&rect);
  return rect.Kind();
}

int TCanvas::ExcludeClipRect(Integer l, Integer t, Integer r, Integer b)
{
  TRegion result = FHasClip ? FClip : TRegion(FDevice->DeviceRect());
  result.Subtract(TRegion(LPtoDP(TRect{l, t, r, b})));
  SetClip(&result);
  return result.Kind();
}

int TCanvas::OffsetClipRgn(Integer dx, Integer dy)
{
  if (!FHasClip)
    return SIMPLEREGION;
  FClip.Offset(ScaleX(dx), ScaleY(dy));
  FDevice->ClipChanged(Clip());
  return FClip.Kind();
}

void TCanvas::ClipToDeviceRect(TRect& r) const
{
  TRect d = FDevice->DeviceRect();
  if (FHasClip) {
    TRect b = FClip.BoundingBox();
    d = {std::max(d.Left, b.Left), std::max(d.Top, b.Top), std::min(d.Right, b.Right), std::min(d.Bottom, b.Bottom)};
  }
  r = {std::max(r.Left, d.Left), std::max(r.Top, d.Top), std::min(r.Right, d.Right), std::min(r.Bottom, d.Bottom)};
  if (r.IsEmpty())
    r = {};
}

TRect TCanvas::ClipRect() const
{
  TRect d = FDevice->DeviceRect();
  ClipToDeviceRect(d);
  return DPtoLP(d);
}

bool TCanvas::PtVisible(Integer x, Integer y) const
{
  TPoint p = LPtoDP(TPoint{x, y});
  if (!FDevice->DeviceRect().Contains(p))
    return false;
  return !FHasClip || FClip.Contains(p);
}

bool TCanvas::RectVisible(const TRect& r) const
{
  TRect d = LPtoDP(r);
  TRect dev = FDevice->DeviceRect();
  TRect both{std::max(d.Left, dev.Left), std::max(d.Top, dev.Top), std::min(d.Right, dev.Right),
             std::min(d.Bottom, dev.Bottom)};
  if (both.IsEmpty())
    return false;
  return !FHasClip || FClip.Intersects(both);
}

// ---------------------------------------------------------------------------------------
// State stack

int TCanvas::SaveDC()
{
  FSaved.push_back(TState{FFont, FPen, FBrush, FTextColor, FBkColor, FBkMode, FStretchMode, FPolyFillMode, FTextAlign,
                          FPenPos, FJustifyExtra, FJustifyCount, FCharExtra, FMap, FClip, FHasClip});
  return static_cast<int>(FSaved.size());
}

bool TCanvas::RestoreDC(int saved)
{
  int depth = static_cast<int>(FSaved.size());
  int target = saved < 0 ? depth + saved + 1 : saved;   // the depth whose state comes back
  if (target < 1 || target > depth)
    return false;
  TState s = std::move(FSaved[target - 1]);
  FSaved.resize(target - 1);
  FFont.Assign(s.Font);
  FPen.Assign(s.Pen);
  FBrush.Assign(s.Brush);
  FTextColor = s.TextColor;
  FBkColor = s.BkColor;
  FBkMode = s.BkMode;
  FStretchMode = s.StretchMode;
  FPolyFillMode = s.PolyFillMode;
  FTextAlign = s.TextAlign;
  FPenPos = s.PenPos;
  FJustifyExtra = s.JustifyExtra;
  FJustifyCount = s.JustifyCount;
  FCharExtra = s.CharExtra;
  FMap = s.Map;
  SetClip(s.HasClip ? &s.Clip : nullptr);
  return true;
}

// ---------------------------------------------------------------------------------------
// Pens, brushes and shapes

bool TCanvas::HasPen() const { return FPen.Style() != psClear && FPen.Color() != clNone && FPen.Mode() != pmNop; }
bool TCanvas::HasBrush() const { return FBrush.Style() != bsClear && (FBrush.Color() != clNone || FBrush.Bitmap()); }

TDevicePen TCanvas::DevicePen() const
{
  TDevicePen p;
  p.Color = ColorToRGB(FPen.Color());
  p.Width = std::max(1, std::abs(ScaleX(FPen.Width())));
  p.Width = std::min(p.Width, 4096);
  p.Style = FPen.Style();
  p.Mode = FPen.Mode();
  return p;
}

TDeviceBrush TCanvas::DeviceBrush() const
{
  TDeviceBrush b;
  b.Color = ColorToRGB(FBrush.Color());
  if (b.Color == clNone)
    b.Color = clWhite;
  b.Style = FBrush.Style();
  b.Pattern = FBrush.Bitmap() && !FBrush.Bitmap()->Empty() ? FBrush.Bitmap() : nullptr;
  b.TextColor = ColorToRGB(FTextColor) & 0xFFFFFF;
  b.BkColor = ColorToRGB(FBkColor) & 0xFFFFFF;
  b.BkOpaque = FBkMode == OPAQUE;
  return b;
}

void TCanvas::DrawShapeLogical(TShape& shape, bool outline, bool fill)
{
  for (TPoint& p : shape.Points)
    p = LPtoDP(p);
  if (shape.Kind != TShape::Polyline && shape.Kind != TShape::Polygon) {
    TPoint a = LPtoDP(TPoint{shape.Rect.Left, shape.Rect.Top});
    TPoint b = LPtoDP(TPoint{shape.Rect.Right, shape.Rect.Bottom});
    shape.Rect = NormalizedRect({a.X, a.Y, b.X, b.Y});
    shape.Start = LPtoDP(shape.Start);
    shape.End = LPtoDP(shape.End);
    shape.Corner = {std::abs(ScaleX(shape.Corner.cx)), std::abs(ScaleY(shape.Corner.cy))};
  }
  TDevicePen pen = DevicePen();
  TDeviceBrush brush = DeviceBrush();
  outline = outline && HasPen();
  fill = fill && HasBrush();
  if (!outline && !fill)
    return;
  FDevice->DrawShape(shape, outline ? &pen : nullptr, fill ? &brush : nullptr, Clip());
}

void TCanvas::MoveTo(Integer x, Integer y) { FPenPos = {x, y}; }

void TCanvas::LineTo(Integer x, Integer y)
{
  TShape s;
  s.Kind = TShape::Polyline;
  s.Points = {FPenPos, TPoint{x, y}};
  DrawShapeLogical(s, true, false);
  FPenPos = {x, y};
}

void TCanvas::Polyline(const TPoint* points, size_t count)
{
  if (!points || count < 2)
    return;
  TShape s;
  s.Kind = TShape::Polyline;
  s.Points.assign(points, points + std::min(count, TRegion::MaxPolygonPoints));
  DrawShapeLogical(s, true, false);
}

void TCanvas::Polygon(const TPoint* points, size_t count)
{
  if (!points || count < 2)
    return;
  TShape s;
  s.Kind = TShape::Polygon;
  s.Points.assign(points, points + std::min(count, TRegion::MaxPolygonPoints));
  s.FillMode = FPolyFillMode;
  DrawShapeLogical(s, true, true);
}

void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2)
{
  TShape s;
  s.Kind = TShape::Rectangle;
  s.Rect = NormalizedRect({x1, y1, x2, y2});
  DrawShapeLogical(s, true, true);
}

void TCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer w, Integer h)
{
  TShape s;
  s.Kind = TShape::RoundRect;
  s.Rect = NormalizedRect({x1, y1, x2, y2});
  s.Corner = {std::abs(w), std::abs(h)};
  DrawShapeLogical(s, true, true);
}

void TCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2)
{
  TShape s;
  s.Kind = TShape::Ellipse;
  s.Rect = NormalizedRect({x1, y1, x2, y2});
  DrawShapeLogical(s, true, true);
}

static TShape ArcShape(TShape::TKind kind, Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3,
                       Integer x4, Integer y4)
{
  TShape s;
  s.Kind = kind;
  s.Rect = NormalizedRect({x1, y1, x2, y2});
  s.Start = {x3, y3};
  s.End = {x4, y4};
  return s;
}

void TCanvas::Arc(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4)
{
  TShape s = ArcShape(TShape::Arc, x1, y1, x2, y2, x3, y3, x4, y4);
  DrawShapeLogical(s, true, false);
}

void TCanvas::Pie(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4)
{
  TShape s = ArcShape(TShape::Pie, x1, y1, x2, y2, x3, y3, x4, y4);
  DrawShapeLogical(s, true, true);
}

void TCanvas::Chord(Integer x1, Integer y1, Integer x2, Integer y2, Integer x3, Integer y3, Integer x4, Integer y4)
{
  TShape s = ArcShape(TShape::Chord, x1, y1, x2, y2, x3, y3, x4, y4);
  DrawShapeLogical(s, true, true);
}

void TCanvas::FillRect(const TRect& r)
{
  if (!HasBrush())
    return;
  TDeviceBrush brush = DeviceBrush();
  TRect d = LPtoDP(r);
  if (d.IsEmpty())
    return;
  if (brush.Style == bsSolid && !brush.Pattern) {
    FDevice->FillSolid(d, brush.Color, Clip());
    return;
  }
  // Patterns and hatches go through the shape path, filling exactly the rectangle.
  TShape s;
  s.Kind = TShape::Polygon;
  s.Points = {{d.Left, d.Top}, {d.Right, d.Top}, {d.Right, d.Bottom}, {d.Left, d.Bottom}};
  FDevice->DrawShape(s, nullptr, &brush, Clip());
}

void TCanvas::FillRect(const TRect& r, TColor color)
{
  if (color == clNone)
    return;
  TRect d = LPtoDP(r);
  if (!d.IsEmpty())
    FDevice->FillSolid(d, ColorToRGB(color) & 0xFFFFFF, Clip());
}

void TCanvas::FrameRect(const TRect& r)
{
  if (FBrush.Color() == clNone || r.IsEmpty())
    return;
  TColor c = FBrush.Color();
  FillRect({r.Left, r.Top, r.Right, r.Top + 1}, c);
  FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, c);
  FillRect({r.Left, r.Top + 1, r.Left + 1, r.Bottom - 1}, c);
  FillRect({r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, c);
}

void TCanvas::FillRegion(const TRegion& rgn, TColor color)
{
  if (color == clNone)
    return;
  TColor c = ColorToRGB(color) & 0xFFFFFF;
  for (const TRect& r : rgn.Rects())
    FDevice->FillSolid(r, c, Clip());
}

void TCanvas::FrameRegion(const TRegion& rgn, TColor color, Integer w, Integer h)
{
  // The frame is the region less itself shrunk by w and h.
  TRegion inner = rgn, shifted;
  for (int dx : {-w, w}) {
    shifted = rgn;
    shifted.Offset(dx, 0);
    inner.Intersect(shifted);
  }
  for (int dy : {-h, h}) {
    shifted = rgn;
    shifted.Offset(0, dy);
    inner.Intersect(shifted);
  }
  TRegion frame;
  frame.Combine(rgn, inner, RGN_DIFF);
  FillRegion(frame, color);
}

void TCanvas::InvertRect(const TRect& r) { PatBlt(r.Left, r.Top, r.Width(), r.Height(), DSTINVERT); }

void TCanvas::DrawFocusRect(const TRect& r)
{
  TRect d = LPtoDP(r);
  if (d.IsEmpty())
    return;
  TBitmap* target = FDevice->PixelTarget();
  if (!target) {
    TShape frame;
    frame.Kind = TShape::Rectangle;
    frame.Rect = d;
    TDevicePen dotted{clBlack, 1, psDot, pmCopy};
    FDevice->DrawShape(frame, &dotted, nullptr, Clip());
    return;
  }
  // Every other pixel of the one-pixel frame is inverted, on the device's checkerboard, so
  // drawing the same rectangle again takes it away.
  auto invert = [&](Integer x, Integer y) {
    if (((x + y) & 1) != 0)
      return;
    if (FHasClip && !FClip.Contains(x, y))
      return;
    if (x < 0 || y < 0 || x >= target->Width() || y >= target->Height())
      return;
    if (target->PixelFormat() == TPixelFormat::pf1bit) {
      uint8_t* row = target->ScanLine(y);
      row[x >> 3] ^= static_cast<uint8_t>(0x80 >> (x & 7));
    } else {
      target->SetPixel(x, y, ~target->GetPixel(x, y) & 0xFFFFFF);
    }
  };
  TRect dev = FDevice->DeviceRect();
  Integer left = std::max(d.Left, dev.Left - 1), right = std::min(d.Right, dev.Right + 1);
  Integer top = std::max(d.Top, dev.Top - 1), bottom = std::min(d.Bottom, dev.Bottom + 1);
  for (Integer x = left; x < right; ++x) {
    invert(x, d.Top);
    if (d.Bottom - 1 != d.Top)
      invert(x, d.Bottom - 1);
  }
  for (Integer y = top + 1; y < bottom - 1; ++y) {
    invert(d.Left, y);
    if (d.Right - 1 != d.Left)
      invert(d.Right - 1, y);
  }
  target->Changed();
  FDevice->PixelsWritten(d);
}

bool TCanvas::DrawEdge(TRect& r, uint32_t edge, uint32_t flags)
{
  // Top-left and bottom-right colours of the outer and inner borders.
  TColor outerTL = clNone, outerBR = clNone, innerTL = clNone, innerBR = clNone;
  bool soft = flags & BF_SOFT;
  if (flags & BF_MONO) {
    if (edge & BDR_OUTER)
      outerTL = outerBR = clWindowFrame;
    if (edge & BDR_INNER)
      innerTL = innerBR = clWindow;
  } else if (flags & BF_FLAT) {
    if (edge & BDR_OUTER)
      outerTL = outerBR = clBtnShadow;
    if (edge & BDR_INNER)
      innerTL = innerBR = clBtnFace;
  } else {
    if (edge & BDR_RAISEDOUTER) {
      outerTL = soft ? clBtnHighlight : cl3DLight;
      outerBR = cl3DDkShadow;
    } else if (edge & BDR_SUNKENOUTER) {
      outerTL = soft ? cl3DDkShadow : clBtnShadow;
      outerBR = clBtnHighlight;
    }
    if (edge & BDR_RAISEDINNER) {
      innerTL = soft ? cl3DLight : clBtnHighlight;
      innerBR = clBtnShadow;
    } else if (edge & BDR_SUNKENINNER) {
      innerTL = soft ? clBtnShadow : cl3DDkShadow;
      innerBR = cl3DLight;
    }
  }
  TRect q = r;
  auto border = [&](TColor tl, TColor br) {
    if (tl == clNone && br == clNone)
      return;
    if (flags & BF_TOP)
      FillRect({q.Left, q.Top, q.Right - 1, q.Top + 1}, tl);
    if (flags & BF_LEFT)
      FillRect({q.Left, q.Top, q.Left + 1, q.Bottom - 1}, tl);
    if (flags & BF_RIGHT)
      FillRect({q.Right - 1, q.Top, q.Right, q.Bottom}, br);
    if (flags & BF_BOTTOM)
      FillRect({q.Left, q.Bottom - 1, q.Right, q.Bottom}, br);
    if (flags & BF_LEFT)
      ++q.Left;
    if (flags & BF_TOP)
      ++q.Top;
    if (flags & BF_RIGHT)
      --q.Right;
    if (flags & BF_BOTTOM)
      --q.Bottom;
  };
  border(outerTL, outerBR);
  border(innerTL, innerBR);
  if ((flags & BF_MIDDLE) && !q.IsEmpty())
    FillRect(q, (flags & BF_MONO) ? clWindow : clBtnFace);
  if (flags & BF_ADJUST)
    r = q;
  return true;
}

// ---------------------------------------------------------------------------------------
// Pixels

TColor TCanvas::GetPixel(Integer x, Integer y)
{
  TBitmap* target = FDevice->PixelTarget();
  if (!target || !PtVisible(x, y))
    return clNone;
  TPoint p = LPtoDP(TPoint{x, y});
  return target->GetPixel(p.X, p.Y);
}

TColor TCanvas::SetPixel(Integer x, Integer y, TColor color)
{
  if (color == clNone || !PtVisible(x, y))
    return clNone;
  TPoint p = LPtoDP(TPoint{x, y});
  TColor c = ColorToRGB(color) & 0xFFFFFF;
  if (TBitmap* target = FDevice->PixelTarget()) {
    target->SetPixel(p.X, p.Y, c);
    FDevice->PixelsWritten({p.X, p.Y, p.X + 1, p.Y + 1});
    return target->GetPixel(p.X, p.Y);
  }
  FDevice->FillSolid({p.X, p.Y, p.X + 1, p.Y + 1}, c, Clip());
  return c;
}
