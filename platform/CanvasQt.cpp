// Canvas devices on Qt: fonts realised as QFont/QRawFont with integer advances that add up,
// shapes drawn without antialiasing by the canvas's pixel rules, bitmaps painted in
// place (24 and 32 bits) or through a 32-bit working copy (indexed and 16-bit formats).
#include "platform/CanvasQt.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QThreadStorage>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <tuple>
#include <unordered_map>

#include "platform/CanvasInternal.h"
#include "platform/Fonts.h"

void ConvertBitmapRows(const TBitmap& b, const TRect& part, QImage& out)
{
  if (b.PixelFormat() == TPixelFormat::pf32bit || b.PixelFormat() == TPixelFormat::pfDevice) {
    // The same layout: only the spare byte becomes opaque alpha, in one pass, four pixels at
    // a time (the viewer's buffer goes through here on every paint).
    const size_t width = size_t(std::max(part.Width(), 0));
    for (Integer y = 0; y < part.Height(); ++y) {
      const uint8_t* from = b.ScanLine(part.Top + y) + size_t(part.Left) * 4;
      uint8_t* to = out.scanLine(y);
      size_t x = 0;
      for (; x + 4 <= width; x += 4) {
        uint32_t v[4];
        std::memcpy(v, from + x * 4, sizeof v);
        for (uint32_t& p : v)
          p |= 0xFF000000u;
        std::memcpy(to + x * 4, v, sizeof v);
      }
      for (; x < width; ++x) {
        uint32_t v;
        std::memcpy(&v, from + x * 4, 4);
        v |= 0xFF000000u;
        std::memcpy(to + x * 4, &v, 4);
      }
    }
    return;
  }
  for (Integer y = 0; y < part.Height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    b.ReadRow(part.Top + y, part.Left, part.Width(), line);
    for (Integer x = 0; x < part.Width(); ++x)
      line[x] |= 0xFF000000u;
  }
}

QImage BitmapPartImage(const TBitmap& b, const TRect& part)
{
  // A high-density bitmap is only ever drawn on by the painter, which keeps the spare byte
  // of 32-bit pixels opaque: its rows are already what the painter reads.
  if (b.DevicePixelRatio() != 1
      && (b.PixelFormat() == TPixelFormat::pf32bit || b.PixelFormat() == TPixelFormat::pfDevice))
    return QImage(b.ScanLine(part.Top) + size_t(part.Left) * 4, part.Width(), part.Height(), qsizetype(b.Stride()),
                  QImage::Format_RGB32);
  if (b.PixelFormat() == TPixelFormat::pf24bit)   // read in place: the painter converts as it draws
    return QImage(b.ScanLine(part.Top) + size_t(part.Left) * 3, part.Width(), part.Height(), qsizetype(b.Stride()),
                  QImage::Format_BGR888);
  // Converted into a picture kept between calls of the same size: the viewer's buffer is
  // drawn every paint and should not allocate and fault in a new one each time. Whoever
  // still holds the last one (a printer's record) keeps it, as writing detaches. (Kept in
  // the toolkit's per-thread storage: a thread_local's destructor is registered under the
  // library loader's lock, which a library loading on another thread holds.)
  static QThreadStorage<QImage> pictures;   // NOLINT(orrelo-static-local-state): a scratch picture per thread, as above
  QImage& scratch = pictures.localData();
  if (scratch.width() != part.Width() || scratch.height() != part.Height())
    scratch = QImage(part.Width(), part.Height(), QImage::Format_RGB32);
  ConvertBitmapRows(b, part, scratch);
  return scratch;
}

namespace {

QColor ToQColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

QPolygon ToQPolygon(const std::vector<TPoint>& points)
{
  QPolygon poly;
  for (const TPoint& q : points)
    poly << QPoint(q.X, q.Y);
  return poly;
}

// ---------------------------------------------------------------------------------------
// Realised fonts

struct TRealFont {
  QFont Font;
  QRawFont Raw;
  TTextMetric Metrics;
  Integer UnderlinePos = 1, StrikeOutPos = 3, LineWidth = 1;
  std::unordered_map<char16_t, Integer> Widths;
};

using TFontKey = std::tuple<std::string, Integer, TFontStyles, TFontCharset, TFontPitch>;

bool IsSymbolFamily(const std::string& name)
{
  std::string n = LowerCase(name);
  return n.find("symbol") != std::string::npos || n.find("wingdings") != std::string::npos
         || n.find("webdings") != std::string::npos;
}

QFont MakeQFont(const std::string& family, Integer pixelSize, const TDeviceFont& f)
{
  QFont q(QString::fromStdString(family));
  q.setPixelSize(std::max(1, pixelSize));
  q.setWeight((f.Style & fsBold) ? QFont::Bold : QFont::Normal);
  q.setItalic(f.Style & fsItalic);
  q.setUnderline(f.Style & fsUnderline);
  q.setStrikeOut(f.Style & fsStrikeOut);
  q.setKerning(false);
  q.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
  if (f.Pitch == fpFixed)
    q.setStyleHint(QFont::Monospace);
  return q;
}

// The fonts realised so far: the installed fonts are the process's, so one cache serves
// every canvas.
TRealFont& Realise(const TDeviceFont& f)
{
  static std::map<TFontKey, TRealFont> cache;   // NOLINT(orrelo-static-local-state): the fonts', as above
  TFontKey key{f.Name, f.Height, f.Style, f.Charset, f.Pitch};
  auto it = cache.find(key);
  if (it != cache.end())
    return it->second;
  if (cache.size() > 512)   // pages with many sizes; refill as needed
    cache.clear();
  EnsureGuiApplication();
  std::string family = ResolveFontFamily(f.Name);
  Integer em = std::abs(f.Height);
  if (f.Height > 0) {
    // A cell height: find the em size whose ascent + descent gives it.
    QFontMetrics big(MakeQFont(family, 1000, f));
    int cell = big.ascent() + big.descent();
    if (cell > 0)
      em = std::max(1, static_cast<Integer>(std::lround(double(f.Height) * 1000 / cell)));
  }
  TRealFont rf;
  rf.Font = MakeQFont(family, em, f);
  rf.Raw = QRawFont::fromFont(rf.Font);
  QFontMetrics fm(rf.Font);
  TTextMetric& tm = rf.Metrics;
  tm.tmAscent = fm.ascent();
  tm.tmDescent = fm.descent();
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - em);
  tm.tmExternalLeading = std::max(0, fm.leading());
  tm.tmAveCharWidth = std::max(1, fm.horizontalAdvance(QChar(u'x')));
  tm.tmMaxCharWidth = std::max(tm.tmAveCharWidth, fm.maxWidth());
  tm.tmWeight = (f.Style & fsBold) ? 700 : 400;
  tm.tmOverhang = 0;
  tm.tmItalic = (f.Style & fsItalic) ? 1 : 0;
  tm.tmUnderlined = (f.Style & fsUnderline) ? 1 : 0;
  tm.tmStruckOut = (f.Style & fsStrikeOut) ? 1 : 0;
  bool fixed = QFontInfo(rf.Font).fixedPitch();
  // Bit 0 set means variable pitch; 2 vector, 4 TrueType.
  tm.tmPitchAndFamily = static_cast<Byte>((fixed ? 0 : 1) | 2 | 4);
  tm.tmCharSet = IsSymbolFamily(f.Name) ? SYMBOL_CHARSET : (f.Charset == DEFAULT_CHARSET ? ANSI_CHARSET : f.Charset);
  rf.UnderlinePos = std::max(1, fm.underlinePos());
  rf.StrikeOutPos = std::max(1, fm.strikeOutPos());
  rf.LineWidth = std::max(1, fm.lineWidth());
  return cache.emplace(key, std::move(rf)).first->second;
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

Integer CharWidth(TRealFont& rf, const char16_t* text, size_t count, size_t i, size_t& units)
{
  units = 1;
  if (IsHigh(text[i]) && i + 1 < count && IsLow(text[i + 1])) {
    units = 2;
    QFontMetrics fm(rf.Font);
    return fm.horizontalAdvance(QString(reinterpret_cast<const QChar*>(text + i), 2));
  }
  char16_t c = text[i];
  auto it = rf.Widths.find(c);
  if (it != rf.Widths.end())
    return it->second;
  QFontMetrics fm(rf.Font);
  Integer w = c < 32 ? 0 : fm.horizontalAdvance(QChar(c));
  rf.Widths.emplace(c, w);
  return w;
}

// ---------------------------------------------------------------------------------------
// Device base: everything except how the painter is obtained.

class TQtDevice : public TCanvasDevice {
public:
  TTextMetric TextMetrics(const TDeviceFont& font) override { return Realise(font).Metrics; }

  void CharWidths(const TDeviceFont& font, const char16_t* text, size_t count, Integer* widths) override
  {
    TRealFont& rf = Realise(font);
    for (size_t i = 0; i < count;) {
      size_t units;
      widths[i] = CharWidth(rf, text, count, i, units);
      if (units == 2)
        widths[i + 1] = 0;
      i += units;
    }
  }

  void DrawGlyphs(const TDeviceFont& font, Integer x, Integer y, const char16_t* text, size_t count,
                  const Integer* advances, TColor color, const TRegion* clip) override
  {
    TRealFont& rf = Realise(font);
    int64_t total = 0;
    for (size_t i = 0; i < count; ++i)
      total += advances[i];
    Integer h = rf.Metrics.tmHeight;
    TRect bounds{std::min<Integer>(x, x + Integer(total)) - h, y - h * 2, std::max<Integer>(x, x + Integer(total)) + h,
                 y + h * 2};
    if (font.Orientation != 0) {
      // Turned text may lie in any direction from its start.
      Integer reach = static_cast<Integer>(std::min<int64_t>(std::abs(total) + 2 * int64_t(h), 1 << 28));
      bounds = {x - reach, y - reach, x + reach, y + reach};
    }
    Paint(clip, bounds, [&](QPainter& p) {
      if (font.Orientation != 0) {
        // The glyphs are laid out upright from (x, y) and turned about that point.
        p.translate(x, y);
        p.rotate(-font.Orientation / 10.0);
        p.translate(-x, -y);
      }
      QColor qc = Colour(color);
      p.setPen(qc);
      p.setFont(rf.Font);
      QVector<quint32> glyphs;
      QVector<QPointF> positions;
      int64_t pos = x;
      for (size_t i = 0; i < count;) {
        size_t units = (IsHigh(text[i]) && i + 1 < count && IsLow(text[i + 1])) ? 2 : 1;
        char16_t c = text[i];
        if (c >= 32 || units == 2) {
          quint32 g = 0;
          int n = 1;
          if (rf.Raw.isValid())
            rf.Raw.glyphIndexesForChars(reinterpret_cast<const QChar*>(text + i), int(units), &g, &n);
          if (g != 0 && n == 1) {
            glyphs.push_back(g);
            positions.push_back(QPointF(double(pos), double(y)));
          } else {
            // Not in this face: let Qt's fallback draw it in its cell.
            p.drawText(QPointF(double(pos), double(y)), QString(reinterpret_cast<const QChar*>(text + i), int(units)));
          }
        }
        for (size_t k = 0; k < units; ++k)
          pos += advances[i + k];
        i += units;
      }
      if (!glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(rf.Raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        p.drawGlyphRun(QPointF(0, 0), run);
      }
      Integer left = static_cast<Integer>(std::min<int64_t>(x, pos)),
              right = static_cast<Integer>(std::max<int64_t>(x, pos));
      if (font.Style & fsUnderline)
        p.fillRect(QRect(left, y + rf.UnderlinePos, right - left, rf.LineWidth), qc);
      if (font.Style & fsStrikeOut)
        p.fillRect(QRect(left, y - rf.StrikeOutPos, right - left, rf.LineWidth), qc);
    });
  }

  void DrawShape(const TShape& s, const TDevicePen* pen, const TDeviceBrush* brush, const TRegion* clip) override
  {
    Integer w = pen ? pen->Width : 0;
    TRect bounds = s.Rect;
    if (s.Kind == TShape::Polyline || s.Kind == TShape::Polygon) {
      if (s.Points.empty())
        return;
      bounds = {s.Points[0].X, s.Points[0].Y, s.Points[0].X + 1, s.Points[0].Y + 1};
      for (const TPoint& q : s.Points)
        bounds = {std::min(bounds.Left, q.X), std::min(bounds.Top, q.Y), std::max(bounds.Right, q.X + 1),
                  std::max(bounds.Bottom, q.Y + 1)};
    }
    bounds = {bounds.Left - w - 1, bounds.Top - w - 1, bounds.Right + w + 1, bounds.Bottom + w + 1};
    Paint(clip, bounds, [&](QPainter& p) { PaintShape(p, s, pen, brush); });
  }

  void FillSolid(const TRect& r, TColor color, const TRegion* clip) override
  {
    Paint(clip, r, [&](QPainter& p) { p.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), Colour(color)); });
  }

  void DrawImage(const TRect& dest, const TBitmap& src, const TRect& srcRect, uint32_t rop,
                 const TRegion* clip) override
  {
    Paint(clip, dest, [&](QPainter& p) {
      uint32_t table = (rop >> 16) & 0xFF;
      switch (table) {
      case 0x88: p.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
      case 0xEE: p.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
      case 0x66: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
      case 0x33: p.setCompositionMode(QPainter::RasterOp_NotSource); break;
      case 0x55:
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), Qt::black);
        return;
      default: break;
      }
      if (src.Empty())
        return;
      // Only the part drawn is converted (a scrolled strip is a few rows of the buffer).
      TRect part{std::max(srcRect.Left, 0), std::max(srcRect.Top, 0), std::min(srcRect.Right, src.Width()),
                 std::min(srcRect.Bottom, src.Height())};
      if (part.IsEmpty())
        return;
      QImage img = Shades(BitmapPartImage(src, part));
      // On a high-density device pictures are enlarged smoothly, not by repeated pixels.
      p.setRenderHint(QPainter::SmoothPixmapTransform, p.device() && p.device()->devicePixelRatio() != 1);
      // A high-density picture covers its own pixels' extent from the destination's corner,
      // so at fractional ratios its pixels land one to one on the device's.
      const double r = src.DevicePixelRatio();
      QRectF target = r != 1 ? QRectF(dest.Left, dest.Top, srcRect.Width() / r, srcRect.Height() / r)
                             : QRectF(dest.Left, dest.Top, dest.Width(), dest.Height());
      // A job's file keeps an enlarged picture's pixels as they are: in the toolkit's lossy
      // form a diagram's flat colours bleed into each other, and the page would enlarge every
      // smear. One drawn at the device's own pixels may lose what is too small to see.
      p.setRenderHint(QPainter::LosslessImageRendering,
                      target.width() > srcRect.Width() || target.height() > srcRect.Height());
      p.drawImage(target, img,
                  QRectF(srcRect.Left - part.Left, srcRect.Top - part.Top, srcRect.Width(), srcRect.Height()));
    });
  }

protected:
  // A printer asked for greys draws every colour and picture in its shade of grey (the
  // toolkit's weighting of red, green and blue), as the job's file is to show it.
  bool FGreys = false;
  QColor Colour(TColor c) const
  {
    if (!FGreys)
      return ToQColor(c);
    const int g = qGray(GetRValue(c), GetGValue(c), GetBValue(c));
    return QColor(g, g, g);
  }
  QImage Shades(QImage img) const
  {
    return FGreys ? img.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32) : img;
  }

  // Runs f with a painter set up for the device and clipped to clip; bounds is where
  // the drawing can land (device pixels).
  virtual void Paint(const TRegion* clip, const TRect& bounds, const std::function<void(QPainter&)>& f) = 0;

  static void ApplyClip(QPainter& p, const TRegion* clip)
  {
    if (!clip)
      return;
    QRegion region;
    std::vector<TRect> rects = clip->Rects();
    if (!rects.empty()) {
      std::vector<QRect> q;
      q.reserve(rects.size());
      for (const TRect& r : rects)
        q.emplace_back(r.Left, r.Top, r.Width(), r.Height());
      region.setRects(q.data(), int(q.size()));
    }
    // A page recorded for a preview is played scaled, where under a clip of a plain rectangle
    // the toolkit rounds each picture's width on its own: pictures side by side (a tiled
    // background) would show seams of the ground between them. The clip is given in two
    // parts instead, so each edge is rounded where it lies; the second part leaves out the
    // clip's last device pixel on the right, too small to see on a preview.
    if (p.device() && p.device()->devType() == QInternal::Picture && region.rectCount() == 1) {
      const QRect r = region.boundingRect();
      if (r.height() > 1 && r.width() > 1) {
        const int half = r.height() / 2;
        region = QRegion(r.adjusted(0, 0, 0, half - r.height()));
        region += r.adjusted(0, half, -1, 0);
      }
    }
    p.setClipRegion(region);
  }

  static void SetPenMode(QPainter& p, TPenMode mode)
  {
    switch (mode) {
    case pmXor: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    case pmNot: p.setCompositionMode(QPainter::RasterOp_NotDestination); break;
    case pmNotXor: p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
    case pmMerge: p.setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
    case pmMask: p.setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
    case pmNotCopy: p.setCompositionMode(QPainter::RasterOp_NotSource); break;
    default: p.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
    }
  }

  QBrush MakeBrush(const TDeviceBrush& b) const
  {
    if (b.Pattern) {
      QImage img = Shades(BitmapToQImage(*b.Pattern));
      if (b.Pattern->PixelFormat() == TPixelFormat::pf1bit)
        for (int y = 0; y < img.height(); ++y)
          for (int x = 0; x < img.width(); ++x) {
            bool transparent;
            img.setPixel(x, y, Colour(BrushPixel(b, x, y, transparent)).rgb());
          }
      return QBrush(img.copy(0, 0, std::min(8, img.width()), std::min(8, img.height())));
    }
    switch (b.Style) {
    case bsHorizontal: return QBrush(Colour(b.Color), Qt::HorPattern);
    case bsVertical: return QBrush(Colour(b.Color), Qt::VerPattern);
    case bsFDiagonal: return QBrush(Colour(b.Color), Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(Colour(b.Color), Qt::BDiagPattern);
    case bsCross: return QBrush(Colour(b.Color), Qt::CrossPattern);
    case bsDiagCross: return QBrush(Colour(b.Color), Qt::DiagCrossPattern);
    default: return QBrush(Colour(b.Color));
    }
  }

  QPen MakePen(const TDevicePen& pen) const
  {
    QPen q(Colour(pen.Color));
    q.setWidth(pen.Width <= 1 ? 0 : pen.Width);
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    switch (pen.Style) {
    case psDash: q.setStyle(Qt::DashLine); break;
    case psDot: q.setStyle(Qt::DotLine); break;
    case psDashDot: q.setStyle(Qt::DashDotLine); break;
    case psDashDotDot: q.setStyle(Qt::DashDotDotLine); break;
    default: q.setStyle(Qt::SolidLine); break;
    }
    return q;
  }

  static double ArcAngle(const TRect& r, TPoint p)
  {
    double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0;
    double a = std::atan2(-(p.Y - cy) * r.Width(), (p.X - cx) * r.Height()) * 180 / M_PI;
    return a;
  }

  void PaintShape(QPainter& p, const TShape& s, const TDevicePen* pen, const TDeviceBrush* brush) const
  {
    p.setRenderHint(QPainter::Antialiasing, false);
    if (pen)
      SetPenMode(p, pen->Mode);
    // Brush interior first (pen-less fills are one pixel smaller at right and bottom, so
    // that adjacent fills meet without overlap), then the outline.
    const bool solidPen =
        pen && pen->Style != psDash && pen->Style != psDot && pen->Style != psDashDot && pen->Style != psDashDotDot;
    const TRect& r = s.Rect;
    QBrush qb = brush ? MakeBrush(*brush) : QBrush();
    if (brush && brush->Style != bsSolid && !brush->Pattern && brush->BkOpaque) {
      // Hatches on an opaque background: the background first.
      QBrush bk(Colour(brush->BkColor));
      p.setPen(Qt::NoPen);
      p.setBrush(bk);
      FillPath(p, s);
    }
    switch (s.Kind) {
    case TShape::Polyline: {
      if (!pen || s.Points.size() < 2)
        return;
      // The last point is not drawn: draw each segment with its end left out.
      p.setPen(MakePen(*pen));
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(ToQPolygon(s.Points));
      return;
    }
    case TShape::Rectangle: {
      if (brush) {
        QRect inner = pen ? QRect(r.Left + 1, r.Top + 1, r.Width() - 2, r.Height() - 2)
                          : QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
        if (inner.width() > 0 && inner.height() > 0)
          p.fillRect(inner, qb);
      }
      if (pen) {
        if (solidPen) {
          // Frame of the pen's width: inside the box for psInsideFrame, centred on its edge otherwise.
          Integer w = pen->Width;
          Integer out = pen->Style == psInsideFrame ? 0 : (w - 1) / 2;
          QRect o(r.Left - out, r.Top - out, r.Width() + 2 * out, r.Height() + 2 * out);
          QColor c = Colour(pen->Color);
          w = std::min(w, std::max(1, std::min(o.width(), o.height())));
          p.fillRect(QRect(o.left(), o.top(), o.width(), w), c);
          p.fillRect(QRect(o.left(), o.bottom() - w + 1, o.width(), w), c);
          p.fillRect(QRect(o.left(), o.top() + w, w, o.height() - 2 * w), c);
          p.fillRect(QRect(o.right() - w + 1, o.top() + w, w, o.height() - 2 * w), c);
        } else {
          p.setPen(MakePen(*pen));
          p.setBrush(Qt::NoBrush);
          p.drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
        }
      }
      return;
    }
    default: break;
    }
    p.setPen(pen ? MakePen(*pen) : QPen(Qt::NoPen));
    p.setBrush(brush ? qb : QBrush(Qt::NoBrush));
    QRectF box(r.Left + 0.5, r.Top + 0.5, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1));
    switch (s.Kind) {
    case TShape::Polygon: {
      p.drawPolygon(ToQPolygon(s.Points), s.FillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
      break;
    }
    case TShape::RoundRect: p.drawRoundedRect(box, s.Corner.cx / 2.0, s.Corner.cy / 2.0); break;
    case TShape::Ellipse: p.drawEllipse(box); break;
    case TShape::Arc:
    case TShape::Pie:
    case TShape::Chord: {
      double a0 = ArcAngle(r, s.Start), a1 = ArcAngle(r, s.End);
      double span = a1 - a0;
      if (span <= 0)
        span += 360;
      int qa = int(std::lround(a0 * 16)), qs = int(std::lround(span * 16));
      if (s.Kind == TShape::Arc)
        p.drawArc(box, qa, qs);
      else if (s.Kind == TShape::Pie)
        p.drawPie(box, qa, qs);
      else
        p.drawChord(box, qa, qs);
      break;
    }
    default: break;
    }
  }

  static void FillPath(QPainter& p, const TShape& s)
  {
    const TRect& r = s.Rect;
    QRectF box(r.Left + 0.5, r.Top + 0.5, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1));
    switch (s.Kind) {
    case TShape::Polygon: {
      p.drawPolygon(ToQPolygon(s.Points), s.FillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
      break;
    }
    case TShape::Rectangle: p.drawRect(box); break;
    case TShape::RoundRect: p.drawRoundedRect(box, s.Corner.cx / 2.0, s.Corner.cy / 2.0); break;
    case TShape::Ellipse: p.drawEllipse(box); break;
    default: break;
    }
  }
};

// ---------------------------------------------------------------------------------------

class TBitmapDevice : public TQtDevice {
public:
  explicit TBitmapDevice(TBitmap& b) : FBitmap(b) {}

  // A bitmap of a high-density screen area is drawn in logical units through the painter
  // only; its pixels are not the canvas's units, so raster operations do not reach them.
  bool Dense() const { return FBitmap.DevicePixelRatio() != 1; }
  TRect DeviceRect() const override
  {
    if (Dense())
      return {0, 0, Integer(std::ceil(FBitmap.Width() / FBitmap.DevicePixelRatio())),
              Integer(std::ceil(FBitmap.Height() / FBitmap.DevicePixelRatio()))};
    return {0, 0, FBitmap.Width(), FBitmap.Height()};
  }
  Integer BitsPerPixel() const override { return std::max(1, FBitmap.BitsPerPixel()); }
  TBitmap* PixelTarget() override { return Dense() ? nullptr : &FBitmap; }

  void FillSolid(const TRect& rect, TColor color, const TRegion* clip) override
  {
    if (Dense()) {
      TQtDevice::FillSolid(rect, color, clip);
      return;
    }
    // Direct writes: exact, and no painter or working copy needed.
    TRegion area(TRect{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, FBitmap.Width()),
                       std::min(rect.Bottom, FBitmap.Height())});
    if (clip)
      area.Intersect(*clip);
    if (area.IsEmpty())
      return;
    TPixelFormat f = FBitmap.PixelFormat();
    if (f == TPixelFormat::pf24bit || f == TPixelFormat::pf32bit || f == TPixelFormat::pfDevice) {
      int bpp = f == TPixelFormat::pf24bit ? 3 : 4;
      uint8_t px[4] = {uint8_t(GetBValue(color)), uint8_t(GetGValue(color)), uint8_t(GetRValue(color)), 0};
      // The first row of each rectangle by pixels, the others copied from it.
      for (const TRect& r : area.Rects()) {
        uint8_t* first = FBitmap.ScanLine(r.Top) + size_t(r.Left) * bpp;
        const size_t bytes = size_t(r.Width()) * bpp;
        if (bpp == 4) {
          uint32_t v;
          std::memcpy(&v, px, 4);
          std::fill_n(reinterpret_cast<uint32_t*>(first), r.Width(), v);
        } else {
          for (size_t x = 0; x < bytes; x += 3)
            std::memcpy(first + x, px, 3);
        }
        for (Integer y = r.Top + 1; y < r.Bottom; ++y)
          std::memcpy(FBitmap.ScanLine(y) + size_t(r.Left) * bpp, first, bytes);
      }
      FBitmap.Changed();
    } else {
      for (const TRect& r : area.Rects())
        for (Integer y = r.Top; y < r.Bottom; ++y)
          for (Integer x = r.Left; x < r.Right; ++x)
            FBitmap.SetPixel(x, y, color);
    }
  }

protected:
  void Paint(const TRegion* clip, const TRect& bounds, const std::function<void(QPainter&)>& f) override
  {
    if (FBitmap.Empty())
      return;
    TPixelFormat fmt = FBitmap.PixelFormat();
    if (fmt == TPixelFormat::pf32bit || fmt == TPixelFormat::pfDevice || fmt == TPixelFormat::pf24bit) {
      QImage img(FBitmap.Bits(), FBitmap.Width(), FBitmap.Height(), qsizetype(FBitmap.Stride()),
                 fmt == TPixelFormat::pf24bit ? QImage::Format_BGR888 : QImage::Format_RGB32);
      img.setDevicePixelRatio(FBitmap.DevicePixelRatio());
      {
        QPainter p(&img);
        ApplyClip(p, clip);
        f(p);
      }
      FBitmap.Changed();
      return;
    }
    // Indexed and 16-bit formats: paint on a 32-bit copy of the affected area, then
    // bring back the pixels that changed, mapped to the nearest palette entry.
    TRect area{std::max(bounds.Left, 0), std::max(bounds.Top, 0), std::min(bounds.Right, FBitmap.Width()),
               std::min(bounds.Bottom, FBitmap.Height())};
    if (area.IsEmpty())
      return;
    QImage work(area.Width(), area.Height(), QImage::Format_RGB32);
    ConvertBitmapRows(FBitmap, area, work);
    QImage before = work.copy();
    {
      QPainter p(&work);
      p.translate(-area.Left, -area.Top);
      ApplyClip(p, clip);
      f(p);
    }
    for (Integer y = 0; y < area.Height(); ++y) {
      auto* now = reinterpret_cast<const QRgb*>(work.constScanLine(y));
      auto* old = reinterpret_cast<const QRgb*>(before.constScanLine(y));
      for (Integer x = 0; x < area.Width(); ++x)
        if ((now[x] & 0xFFFFFF) != (old[x] & 0xFFFFFF))
          FBitmap.SetPixel(area.Left + x, area.Top + y, RGBColor(qRed(now[x]), qGreen(now[x]), qBlue(now[x])));
    }
  }

private:
  TBitmap& FBitmap;
};

class TPainterDevice : public TQtDevice {
public:
  TPainterDevice(QPainter& p, const TRect& area, Integer logPixels, bool printer, bool greys)
      : FPainter(p), FArea(area), FLogPixels(logPixels), FPrinter(printer)
  {
    FGreys = greys;
  }
  ~TPainterDevice() override
  {
    if (FClipSet && FPainter.isActive())
      FPainter.restore();
  }
  TRect DeviceRect() const override { return FArea; }
  Integer LogPixels() const override { return FLogPixels; }
  Integer BitsPerPixel() const override { return 24; }
  bool IsPrinter() const override { return FPrinter; }

  // A plain fill changes nothing in the painter but the pixels: no state to save.
  void FillSolid(const TRect& r, TColor color, const TRegion* clip) override
  {
    if (FPrinter) {
      TQtDevice::FillSolid(r, color, clip);
      return;
    }
    UseClip(clip);
    FPainter.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), Colour(color));
  }

protected:
  void Paint(const TRegion* clip, const TRect&, const std::function<void(QPainter&)>& f) override
  {
    if (FPrinter) {
      FPainter.save();
      ApplyClip(FPainter, clip);
      f(FPainter);
      FPainter.restore();
      return;
    }
    UseClip(clip);
    FPainter.save();
    f(FPainter);
    FPainter.restore();
  }

private:
  // A window's paint sets its clip once and draws many small pieces through it (a scroll
  // bar's thumb, a page's text runs): the clip is handed to the painter only when it
  // changes, in a saved state of its own that each drawing's save and restore leave alone.
  void UseClip(const TRegion* clip)
  {
    if (clip ? FClipSet && FClip == *clip : !FClipSet)
      return;
    if (FClipSet)
      FPainter.restore();
    FClipSet = clip != nullptr;
    if (clip) {
      FPainter.save();
      ApplyClip(FPainter, clip);
      FClip = *clip;
    }
  }

  QPainter& FPainter;
  bool FClipSet = false;
  TRegion FClip;
  TRect FArea;
  Integer FLogPixels;
  bool FPrinter;
};

}   // namespace

std::unique_ptr<TCanvasDevice> CreateBitmapDevice(TBitmap& bitmap) { return std::make_unique<TBitmapDevice>(bitmap); }

std::unique_ptr<TCanvasDevice> CreatePainterDevice(QPainter& painter, const TRect& area, Integer logPixels,
                                                   bool printer, bool greys)
{
  return std::make_unique<TPainterDevice>(painter, area, logPixels, printer, greys);
}

std::unique_ptr<TCanvas> CreateBitmapCanvas(TBitmap& bitmap)
{
  return std::make_unique<TCanvas>(CreateBitmapDevice(bitmap));
}

TCanvas& MeasuringCanvas(const TFont& font)
{
  // Like the screen it measures for, one for the process.
  static TBitmap bitmap(1, 1);   // NOLINT(orrelo-static-local-state): the screen's, as above
  TCanvas& c = bitmap.Canvas();
  c.Font().Assign(font);
  return c;
}

QImage BitmapToQImage(const TBitmap& b)
{
  QImage img(std::max(1, b.Width()), std::max(1, b.Height()), QImage::Format_RGB32);
  if (b.Empty()) {
    img.fill(Qt::black);
    return img;
  }
  ConvertBitmapRows(b, TRect{0, 0, b.Width(), b.Height()}, img);
  return img;
}

TBitmap QImageToBitmap(const QImage& image)
{
  QImage src = image.convertToFormat(QImage::Format_RGB32);
  TBitmap b(src.width(), src.height(), TPixelFormat::pf24bit);
  for (int y = 0; y < src.height(); ++y) {
    auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    uint8_t* row = b.ScanLine(y);
    for (int x = 0; x < src.width(); ++x) {
      row[3 * x] = uint8_t(qBlue(line[x]));
      row[3 * x + 1] = uint8_t(qGreen(line[x]));
      row[3 * x + 2] = uint8_t(qRed(line[x]));
    }
  }
  b.Changed();
  return b;
}
