// TCanvas raster operations: BitBlt, StretchBlt, PatBlt, masks and bitmap drawing. On a
// device with pixels they are computed here, pixel by pixel, with the device context's
// colour conversions; other devices (printers) get the stretched picture and the operation.
#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/CanvasInternal.h"
#include "platform/Graphics.h"

uint32_t ApplyPenMode(TPenMode mode, uint32_t p, uint32_t d)
{
  switch (mode) {
  case pmBlack: return 0;
  case pmNotMerge: return ~(p | d);
  case pmMaskNotPen: return ~p & d;
  case pmNotCopy: return ~p;
  case pmMaskPenNot: return p & ~d;
  case pmNot: return ~d;
  case pmXor: return p ^ d;
  case pmNotMask: return ~(p & d);
  case pmMask: return p & d;
  case pmNotXor: return ~(p ^ d);
  case pmNop: return d;
  case pmMergeNotPen: return ~p | d;
  case pmCopy: return p;
  case pmMergePenNot: return p | ~d;
  case pmMerge: return p | d;
  case pmWhite: return ~0u;
  }
  return p;
}

static bool HatchBit(TBrushStyle style, Integer x, Integer y)
{
  x &= 7;
  y &= 7;
  switch (style) {
  case bsHorizontal: return y == 7;
  case bsVertical: return x == 7;
  case bsFDiagonal: return x == y;
  case bsBDiagonal: return x + y == 7;
  case bsCross: return x == 7 || y == 7;
  case bsDiagCross: return x == y || x + y == 7;
  default: return false;
  }
}

TColor BrushPixel(const TDeviceBrush& brush, Integer x, Integer y, bool& transparent)
{
  transparent = false;
  if (brush.Pattern) {
    const TBitmap& pat = *brush.Pattern;
    Integer pw = std::min(pat.Width(), 8), ph = std::min(pat.Height(), 8);
    Integer px = ((x % pw) + pw) % pw, py = ((y % ph) + ph) % ph;
    if (pat.PixelFormat() == TPixelFormat::pf1bit) {
      bool bit = (pat.ScanLine(py)[px >> 3] >> (7 - (px & 7))) & 1;
      return bit ? brush.BkColor : brush.TextColor;
    }
    return pat.GetPixel(px, py);
  }
  if (brush.Style == bsSolid)
    return brush.Color;
  if (HatchBit(brush.Style, x, y))
    return brush.Color;
  transparent = !brush.BkOpaque;
  return brush.BkColor;
}

namespace {

inline bool MonoBit(const TBitmap& b, Integer x, Integer y) { return (b.ScanLine(y)[x >> 3] >> (7 - (x & 7))) & 1; }

inline void SetMonoBit(TBitmap& b, Integer x, Integer y, bool v)
{
  uint8_t& byte = b.ScanLine(y)[x >> 3];
  uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
  byte = v ? (byte | bit) : (byte & static_cast<uint8_t>(~bit));
}

// Index of the palette entry a colour becomes on a monochrome bitmap (1 = white).
inline bool MonoOf(const TBitmap& target, TColor c)
{
  if (target.HasPalette())
    return target.Palette().NearestIndex(c) != 0;
  return GetRValue(c) + GetGValue(c) + GetBValue(c) >= 384;
}

// The part two rectangles share (empty where they do not meet).
TRect Meet(const TRect& a, const TRect& b)
{
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

// Coordinate v of the span [from, from + extent) carried over to the span [toFrom, toFrom +
// toExtent) in proportion: rounded down, or up where up is asked.
Integer Scaled(Integer v, Integer from, Integer extent, Integer toFrom, Integer toExtent, bool up = false)
{
  const int64_t n = int64_t(v - from) * toExtent;
  return toFrom + static_cast<Integer>(n / extent + (up && n % extent != 0 ? 1 : 0));
}

// The rectangle r of the area from carried over to the area to, in proportion; rounded
// outward where outward is asked, else each edge down.
TRect Scaled(const TRect& r, const TRect& from, const TRect& to, bool outward)
{
  return {Scaled(r.Left, from.Left, from.Width(), to.Left, to.Width()),
          Scaled(r.Top, from.Top, from.Height(), to.Top, to.Height()),
          Scaled(r.Right, from.Left, from.Width(), to.Left, to.Width(), outward),
          Scaled(r.Bottom, from.Top, from.Height(), to.Top, to.Height(), outward)};
}

// One raster operation between a source picture (optional) and a target bitmap.
struct TBltJob {
  TBitmap* Target = nullptr;
  TRect Dest;   // in target pixels, may reach outside
  bool FlipX = false, FlipY = false;
  const TBitmap* Source = nullptr;
  TRect Src;                    // in source pixels (normalised)
  TColor SourceBk = clWhite;    // colour that turns into 1 on a monochrome target
  TColor TextColor = clBlack;   // a monochrome source's 0
  TColor BkColor = clWhite;     // a monochrome source's 1
  TDeviceBrush Brush;
  uint32_t Rop = SRCCOPY;
  int StretchMode = COLORONCOLOR;
  const TRegion* Clip = nullptr;   // target pixels

  void Run();
};

void TBltJob::Run()
{
  TBitmap& t = *Target;
  const bool useSrc = RopUsesSource(Rop) && Source;
  const bool usePat = RopUsesPattern(Rop);
  const bool monoTarget = t.PixelFormat() == TPixelFormat::pf1bit;
  const bool monoSource = useSrc && Source->PixelFormat() == TPixelFormat::pf1bit;
  const Integer dw = Dest.Width(), dh = Dest.Height();
  const Integer sw = Src.Width(), sh = Src.Height();
  if (dw <= 0 || dh <= 0 || (useSrc && (sw <= 0 || sh <= 0)))
    return;

  TRegion area(Meet(Dest, TRect{0, 0, t.Width(), t.Height()}));
  if (Clip)
    area.Intersect(*Clip);
  if (area.IsEmpty())
    return;

  // Plain copies between direct-colour bitmaps of the same size move bytes.
  auto direct = [](TPixelFormat f) {
    return f == TPixelFormat::pf24bit || f == TPixelFormat::pf32bit || f == TPixelFormat::pfDevice;
  };
  if (useSrc && ((Rop >> 16) & 0xFF) == 0xCC && dw == sw && dh == sh && !FlipX && !FlipY
      && direct(Source->PixelFormat()) && direct(t.PixelFormat())) {
    const int sb = Source->PixelFormat() == TPixelFormat::pf24bit ? 3 : 4;
    const int tb = t.PixelFormat() == TPixelFormat::pf24bit ? 3 : 4;
    TRegion inside(TRect{Dest.Left - Src.Left, Dest.Top - Src.Top, Dest.Left - Src.Left + Source->Width(),
                         Dest.Top - Src.Top + Source->Height()});
    area.Intersect(inside);
    for (const TRect& r : area.Rects())
      for (Integer y = r.Top; y < r.Bottom; ++y) {
        const uint8_t* from = Source->ScanLine(y - Dest.Top + Src.Top) + size_t(r.Left - Dest.Left + Src.Left) * sb;
        uint8_t* to = t.ScanLine(y) + size_t(r.Left) * tb;
        if (sb == tb && sb == 3) {
          std::memcpy(to, from, size_t(r.Width()) * 3);
          continue;
        }
        for (Integer x = r.Left; x < r.Right; ++x, from += sb, to += tb) {
          to[0] = from[0];
          to[1] = from[1];
          to[2] = from[2];
          if (tb == 4)
            to[3] = 0;
        }
      }
    t.Changed();
    return;
  }

  // A source sample as a colour (colour targets) or as a bit in bit 0 (monochrome targets).
  auto sourceValue = [&](Integer x, Integer y) -> uint32_t {
    if (monoSource) {
      bool bit = MonoBit(*Source, x, y);
      if (monoTarget)
        return bit;
      return static_cast<uint32_t>(bit ? BkColor : TextColor) & 0xFFFFFF;
    }
    TColor c = Source->GetPixel(x, y);
    if (monoTarget)
      return c == (SourceBk & 0xFFFFFF) ? 1u : 0u;
    return static_cast<uint32_t>(c);
  };
  // Source block of destination column/row i: [lo, hi), shrinking only.
  auto block = [](Integer i, Integer d, Integer s, bool flip, Integer origin, Integer& lo, Integer& hi) {
    int64_t a = int64_t(i) * s / d, b = int64_t(i + 1) * s / d;
    if (b <= a)
      b = a + 1;
    if (flip) {
      int64_t na = s - b, nb = s - a;
      a = na;
      b = nb;
    }
    lo = origin + static_cast<Integer>(a);
    hi = origin + static_cast<Integer>(b);
  };
  auto nearest = [](Integer i, Integer d, Integer s, bool flip, Integer origin) {
    int64_t v = (int64_t(2 * int64_t(i) + 1) * s) / (2 * int64_t(d));
    if (flip)
      v = s - 1 - v;
    return origin + static_cast<Integer>(v);
  };
  const bool shrinking = useSrc && (sw > dw || sh > dh) && StretchMode != COLORONCOLOR;

  for (const TRect& r : area.Rects()) {
    for (Integer y = r.Top; y < r.Bottom; ++y) {
      for (Integer x = r.Left; x < r.Right; ++x) {
        uint32_t s = 0;
        if (useSrc) {
          Integer i = x - Dest.Left, j = y - Dest.Top;
          if (!shrinking) {
            Integer sx = nearest(i, dw, sw, FlipX, Src.Left), sy = nearest(j, dh, sh, FlipY, Src.Top);
            if (sx < 0 || sy < 0 || sx >= Source->Width() || sy >= Source->Height())
              continue;
            s = sourceValue(sx, sy);
          } else {
            Integer x0, x1, y0, y1;
            block(i, dw, sw, FlipX, Src.Left, x0, x1);
            block(j, dh, sh, FlipY, Src.Top, y0, y1);
            x0 = std::max(x0, 0);
            y0 = std::max(y0, 0);
            x1 = std::min(x1, Source->Width());
            y1 = std::min(y1, Source->Height());
            if (x0 >= x1 || y0 >= y1)
              continue;
            if (StretchMode == HALFTONE && !monoTarget) {
              uint64_t rs = 0, gs = 0, bs = 0, n = 0;
              for (Integer yy = y0; yy < y1; ++yy)
                for (Integer xx = x0; xx < x1; ++xx) {
                  uint32_t c = sourceValue(xx, yy);
                  rs += c & 0xFF;
                  gs += (c >> 8) & 0xFF;
                  bs += (c >> 16) & 0xFF;
                  ++n;
                }
              s = static_cast<uint32_t>(RGBColor(int(rs / n), int(gs / n), int(bs / n)));
            } else {
              bool andMode = StretchMode == BLACKONWHITE;
              uint32_t acc = andMode ? ~0u : 0u;
              for (Integer yy = y0; yy < y1; ++yy)
                for (Integer xx = x0; xx < x1; ++xx)
                  acc = andMode ? (acc & sourceValue(xx, yy)) : (acc | sourceValue(xx, yy));
              s = acc;
            }
          }
        }
        uint32_t p = 0;
        if (usePat) {
          bool transparentHatch;
          TColor pc = BrushPixel(Brush, x, y, transparentHatch);
          p = monoTarget ? (MonoOf(t, pc) ? 1u : 0u) : static_cast<uint32_t>(pc & 0xFFFFFF);
        }
        if (monoTarget) {
          uint32_t d = MonoBit(t, x, y) ? ~0u : 0u;
          uint32_t res = ApplyRop3(Rop, p ? ~0u : 0u, s ? ~0u : 0u, d);
          SetMonoBit(t, x, y, res & 1);
        } else {
          uint32_t d = static_cast<uint32_t>(t.GetPixel(x, y));
          uint32_t res = ApplyRop3(Rop, p, s, d) & 0xFFFFFF;
          t.SetPixel(x, y, static_cast<TColor>(res));
        }
      }
    }
  }
  t.Changed();
}

}   // namespace

bool TCanvas::Blt(Integer x, Integer y, Integer w, Integer h, const TBitmap& source, TColor sourceBk, Integer sx,
                  Integer sy, Integer sw, Integer sh, uint32_t rop)
{
  TBltJob job;
  TPoint a = LPtoDP(TPoint{x, y});
  TPoint b = LPtoDP(TPoint{x + w, y + h});
  job.FlipX = (b.X < a.X) != (sw < 0);
  job.FlipY = (b.Y < a.Y) != (sh < 0);
  // A negative extent runs from its start pixel backwards: x + w + 1 .. x inclusive.
  auto span = [](Integer from, Integer to, Integer& lo, Integer& hi) {
    if (to < from) {
      lo = to + 1;
      hi = from + 1;
    } else {
      lo = from;
      hi = to;
    }
  };
  span(a.X, b.X, job.Dest.Left, job.Dest.Right);
  span(a.Y, b.Y, job.Dest.Top, job.Dest.Bottom);
  span(sx, sx + sw, job.Src.Left, job.Src.Right);
  span(sy, sy + sh, job.Src.Top, job.Src.Bottom);
  job.Source = &source;
  job.SourceBk = ColorToRGB(sourceBk);
  job.TextColor = ColorToRGB(FTextColor) & 0xFFFFFF;
  job.BkColor = ColorToRGB(FBkColor) & 0xFFFFFF;
  job.Brush = DeviceBrush();
  if (!HasBrush())
    job.Brush.Color = clBlack, job.Brush.Style = bsSolid, job.Brush.Pattern = nullptr;
  job.Rop = rop;
  job.StretchMode = FStretchMode;
  if (job.Dest.IsEmpty())
    return true;

  if (TBitmap* target = FDevice->PixelTarget()) {
    // Copying within one bitmap reads from a snapshot, so overlapping areas come out right.
    TBitmap snapshot;
    if (&source == target && RopUsesSource(rop)) {
      snapshot = source;
      job.Source = &snapshot;
    }
    job.Target = target;
    job.Clip = Clip();
    job.Run();
    FDevice->PixelsWritten(job.Dest);
    return true;
  }

  // No pixels to read: render the source part into a picture of the destination's size
  // (only the part on the device) and hand it over with the operation.
  const TRect visible = Meet(job.Dest, FDevice->DeviceRect());
  if (visible.IsEmpty())
    return true;
  uint32_t table = (rop >> 16) & 0xFF;
  if (!RopUsesSource(rop)) {
    if (table == 0xF0 || table == 0x00 || table == 0xFF) {
      TColor c = table == 0x00 ? clBlack : table == 0xFF ? clWhite : job.Brush.Color;
      FDevice->FillSolid(visible, c, Clip());
    } else {
      FDevice->DrawImage(visible, TBitmap(), TRect{}, rop, Clip());
    }
    return true;
  }
  // A plain copy of a colour picture, unstretched and inside it: the device draws it from
  // the source directly (converting only the rows it needs).
  // A high-density picture (more pixels than logical units) fully on the device is drawn
  // the same way, at the device's resolution.
  // So is an enlarged picture: the device scales it as it draws. On a printer every picture
  // is enlarged, to the printer's resolution; made here it would be a page-sized picture per
  // page, recorded or sent whole (a preview of many pictures took seconds a page). A shrunk
  // one is made here, as it comes out smaller than its source.
  const bool sameSize = job.Dest.Width() == job.Src.Width() && job.Dest.Height() == job.Src.Height();
  const bool dense = source.DevicePixelRatio() != 1;
  const bool enlarged = job.Dest.Width() >= job.Src.Width() && job.Dest.Height() >= job.Src.Height();
  const bool plainCopy = table == 0xCC && !job.FlipX && !job.FlipY && source.PixelFormat() != TPixelFormat::pf1bit
                         && source.PixelFormat() != TPixelFormat::pfCustom && job.Src.Left >= 0 && job.Src.Top >= 0
                         && job.Src.Right <= source.Width() && job.Src.Bottom <= source.Height();
  if (plainCopy && enlarged && !sameSize && !dense && !job.Src.IsEmpty()) {
    // Only the source pixels that land on the device inside the clip, whole, over the device
    // pixels they cover (a tall picture cut at a sheet's end sends each sheet its own rows):
    // the rest falls off the device or outside the clip.
    const TRect shown = Clip() ? Meet(visible, Clip()->BoundingBox()) : visible;
    if (shown.IsEmpty())
      return true;
    const TRect src = Scaled(shown, job.Dest, job.Src, true);
    FDevice->DrawImage(Scaled(src, job.Src, job.Dest, true), source, src, rop, Clip());
    return true;
  }
  if (plainCopy && (sameSize || dense)) {
    TRect src;
    if (sameSize) {
      src = {job.Src.Left + visible.Left - job.Dest.Left, job.Src.Top + visible.Top - job.Dest.Top, 0, 0};
      src.Right = src.Left + visible.Width();
      src.Bottom = src.Top + visible.Height();
    } else {
      // The source pixels behind the visible part, in proportion (a window partly off the
      // device, a picture scrolled partly out of view).
      src = Scaled(visible, job.Dest, job.Src, false);
      if (src.IsEmpty())
        return true;
    }
    FDevice->DrawImage(visible, source, src, rop, Clip());
    return true;
  }
  TBitmap picture;
  try {
    picture = TBitmap(visible.Width(), visible.Height(), TPixelFormat::pf32bit);
  } catch (const EOutOfResources&) {
    return false;
  }
  TBltJob copy = job;
  copy.Target = &picture;
  copy.Dest = {job.Dest.Left - visible.Left, job.Dest.Top - visible.Top, job.Dest.Right - visible.Left,
               job.Dest.Bottom - visible.Top};
  copy.Rop = SRCCOPY;
  copy.Clip = nullptr;
  copy.Run();
  FDevice->DrawImage(visible, picture, TRect{0, 0, picture.Width(), picture.Height()}, rop, Clip());
  return true;
}

bool TCanvas::BitBlt(Integer x, Integer y, Integer w, Integer h, const TBitmap& source, Integer sx, Integer sy,
                     uint32_t rop)
{
  return Blt(x, y, w, h, source, clWhite, sx, sy, w, h, rop);
}

bool TCanvas::StretchBlt(Integer x, Integer y, Integer w, Integer h, const TBitmap& source, Integer sx, Integer sy,
                         Integer sw, Integer sh, uint32_t rop)
{
  return Blt(x, y, w, h, source, clWhite, sx, sy, sw, sh, rop);
}

bool TCanvas::StretchBlt(Integer x, Integer y, Integer w, Integer h, TCanvas* source, Integer sx, Integer sy,
                         Integer sw, Integer sh, uint32_t rop)
{
  if (!RopUsesSource(rop))
    return PatBlt(x, y, w, h, rop);
  if (!source || !source->Bitmap())
    return false;
  TPoint a = source->LPtoDP(TPoint{sx, sy}), b = source->LPtoDP(TPoint{sx + sw, sy + sh});
  return Blt(x, y, w, h, *source->Bitmap(), source->FBkColor, a.X, a.Y, b.X - a.X, b.Y - a.Y, rop);
}

bool TCanvas::BitBlt(Integer x, Integer y, Integer w, Integer h, TCanvas* source, Integer sx, Integer sy, uint32_t rop)
{
  if (!source)
    return RopUsesSource(rop) ? false : PatBlt(x, y, w, h, rop);
  // The source extent in its own device units matches ours only without scaling.
  TPoint a = LPtoDP(TPoint{x, y}), b = LPtoDP(TPoint{x + w, y + h});
  TPoint sa = source->LPtoDP(TPoint{sx, sy});
  if (!source->Bitmap())
    return false;
  if (!RopUsesSource(rop))
    return PatBlt(x, y, w, h, rop);
  return Blt(x, y, w, h, *source->Bitmap(), source->FBkColor, sa.X, sa.Y, b.X - a.X, b.Y - a.Y, rop);
}

bool TCanvas::PatBlt(Integer x, Integer y, Integer w, Integer h, uint32_t rop)
{
  if (RopUsesSource(rop))
    return false;
  static const TBitmap none;
  return Blt(x, y, w, h, none, clWhite, 0, 0, 0, 0, rop);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect)
{
  StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), &source, sourceRect.Left, sourceRect.Top,
             sourceRect.Width(), sourceRect.Height(), FCopyMode);
}

void TCanvas::Draw(Integer x, Integer y, const TBitmap& bitmap)
{
  // A picture of a high-density screen area covers its logical extent, at its own resolution.
  StretchDraw(TRect{x, y, x + bitmap.LogicalWidth(), y + bitmap.LogicalHeight()}, bitmap);
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& bitmap)
{
  if (bitmap.Empty() || r.IsEmpty())
    return;
  if (bitmap.Transparent()) {
    std::unique_ptr<TBitmap> mask = bitmap.CreateMask(bitmap.TransparentColor());
    DrawMasked(r, bitmap, *mask);
    return;
  }
  // A colour picture shrinks by leaving rows and columns out. The canvas' own mode ANDs the
  // left-out pixels into the kept ones, which suits black-and-white pictures only: a colour
  // one loses whole bits of its channels (a wooden board turns yellow with red speckles).
  const int mode = bitmap.PixelFormat() == TPixelFormat::pf1bit ? FStretchMode : COLORONCOLOR;
  const int saved = std::exchange(FStretchMode, mode);
  try {
    StretchBlt(r.Left, r.Top, r.Width(), r.Height(), bitmap, 0, 0, bitmap.Width(), bitmap.Height(), FCopyMode);
  } catch (...) {
    FStretchMode = saved;
    throw;
  }
  FStretchMode = saved;
}

void TCanvas::DrawMasked(const TRect& dest, const TBitmap& bitmap, const TBitmap& mask)
{
  if (bitmap.Empty() || mask.Empty() || dest.IsEmpty())
    return;
  TRect d = LPtoDP(dest);
  Integer dw = d.Width(), dh = d.Height();
  if (dw <= 0 || dh <= 0)
    return;
  // Where the mask is black the picture shows; white mask pixels keep the background.
  auto opaque = [&](Integer mx, Integer my) {
    if (mx >= mask.Width() || my >= mask.Height())
      return false;
    return mask.PixelFormat() == TPixelFormat::pf1bit ? !MonoBit(mask, mx, my)
                                                      : (mask.GetPixel(mx, my) & 0xFFFFFF) != clWhite;
  };
  auto sample = [](Integer i, Integer d, Integer s) {
    return static_cast<Integer>((int64_t(2 * int64_t(i) + 1) * s) / (2 * int64_t(d)));
  };

  TRegion shown;
  {
    std::vector<TRect> runs;
    TRect dev = FDevice->DeviceRect();
    Integer y0 = std::max(d.Top, dev.Top), y1 = std::min(d.Bottom, dev.Bottom);
    Integer x0 = std::max(d.Left, dev.Left), x1 = std::min(d.Right, dev.Right);
    for (Integer y = y0; y < y1; ++y) {
      Integer my = sample(y - d.Top, dh, bitmap.Height());
      Integer runStart = -1;
      for (Integer x = x0; x <= x1; ++x) {
        bool in = x < x1 && opaque(sample(x - d.Left, dw, bitmap.Width()), my);
        if (in && runStart < 0)
          runStart = x;
        else if (!in && runStart >= 0) {
          runs.push_back({runStart, y, x, y + 1});
          runStart = -1;
        }
      }
    }
    shown = TRegion::FromRects(runs);
  }
  if (FHasClip)
    shown.Intersect(FClip);
  if (shown.IsEmpty())
    return;
  bool hadClip = FHasClip;
  TRegion saved = FClip;
  // Draw the picture through the region of opaque mask pixels.
  FClip = shown;
  FHasClip = true;
  FDevice->ClipChanged(&FClip);
  Blt(dest.Left, dest.Top, dest.Width(), dest.Height(), bitmap, clWhite, 0, 0, bitmap.Width(), bitmap.Height(),
      SRCCOPY);
  FClip = saved;
  FHasClip = hadClip;
  FDevice->ClipChanged(Clip());
}
