// TRegion: a set of pixels in device space, kept as horizontal bands of sorted, disjoint
// spans, which makes combining and point tests simple. Built from rectangles, round
// rectangles, ellipses and polygons; combined with and/or/xor/diff/copy; used for clipping
// and hit tests. A pixel (x, y) belongs to a shape when its centre (x + 0.5, y + 0.5) does.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/Types.h"

// Combine modes.
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
// Combine results / region kinds.
enum : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3 };
// Polygon fill modes.
enum : int { ALTERNATE = 1, WINDING = 2 };

class TRegion {
public:
  // Shapes are rasterised only within this range of coordinates, so a hostile image map
  // cannot make us walk millions of rows (bitmaps are no wider than this either).
  static constexpr Integer MaxCoord = 1 << 15;
  static constexpr size_t MaxPolygonPoints = 65536;

  TRegion() = default;
  explicit TRegion(const TRect& r);

  static TRegion FromRect(const TRect& r) { return TRegion(r); }
  static TRegion FromRects(const std::vector<TRect>& rects);
  // The ellipse inscribed in r.
  static TRegion Ellipse(const TRect& r);
  // A rectangle with corners rounded by ellipses of the given width and height.
  static TRegion RoundRect(const TRect& r, Integer ellipseWidth, Integer ellipseHeight);
  // Polygon with ALTERNATE (even-odd) or WINDING (non-zero) fill; closed implicitly.
  static TRegion Polygon(const TPoint* points, size_t count, int fillMode);
  static TRegion Polygon(const std::vector<TPoint>& points, int fillMode)
  {
    return Polygon(points.data(), points.size(), fillMode);
  }

  bool IsEmpty() const { return FBands.empty(); }
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Kind() const;
  TRect BoundingBox() const;
  bool Contains(Integer x, Integer y) const;
  bool Contains(TPoint p) const { return Contains(p.X, p.Y); }
  // True when any pixel of r lies in the region.
  bool Intersects(const TRect& r) const;
  void Offset(Integer dx, Integer dy);
  void Clear() { FBands.clear(); }

  // this := a op b (RGN_COPY copies a). Returns the kind of the result.
  int Combine(const TRegion& a, const TRegion& b, int mode);
  // Convenience forms: this := this op other.
  void Intersect(const TRegion& other) { Combine(*this, other, RGN_AND); }
  void Unite(const TRegion& other) { Combine(*this, other, RGN_OR); }
  void Subtract(const TRegion& other) { Combine(*this, other, RGN_DIFF); }

  // Disjoint rectangles covering the region, top to bottom, left to right.
  std::vector<TRect> Rects() const;

  friend bool operator==(const TRegion&, const TRegion&) = default;

  struct TSpan {
    Integer Left;
    Integer Right;
    friend bool operator==(const TSpan&, const TSpan&) = default;
  };
  struct TBand {
    Integer Top;
    Integer Bottom;
    std::vector<TSpan> Spans;
    friend bool operator==(const TBand&, const TBand&) = default;
  };
  const std::vector<TBand>& Bands() const { return FBands; }

private:
  // Appends a row band, merging with the previous one when it continues it.
  void AppendBand(Integer top, Integer bottom, std::vector<TSpan>&& spans);

  std::vector<TBand> FBands;
};
