#include "platform/Regions.h"

#include <algorithm>
#include <cmath>

namespace {

using TSpan = TRegion::TSpan;
using TBand = TRegion::TBand;

Integer ClampCoord(Integer v) { return std::clamp(v, -TRegion::MaxCoord, TRegion::MaxCoord); }

// Boolean combination of two sorted span lists.
std::vector<TSpan> CombineSpans(const std::vector<TSpan>& a, const std::vector<TSpan>& b, int mode)
{
  if (mode == RGN_OR && a.empty())
    return b;
  if ((mode == RGN_OR || mode == RGN_DIFF) && b.empty())
    return a;
  // Sweep over every edge; inside-ness of a and b decides.
  std::vector<std::pair<Integer, int>> edges;   // x, which (0 a, 1 b)
  edges.reserve(2 * (a.size() + b.size()));
  for (const TSpan& s : a) {
    edges.push_back({s.Left, 0});
    edges.push_back({s.Right, 0});
  }
  for (const TSpan& s : b) {
    edges.push_back({s.Left, 1});
    edges.push_back({s.Right, 1});
  }
  std::sort(edges.begin(), edges.end());
  std::vector<TSpan> out;
  bool inA = false, inB = false;
  size_t i = 0;
  Integer start = 0;
  bool inside = false;
  while (i < edges.size()) {
    Integer x = edges[i].first;
    while (i < edges.size() && edges[i].first == x) {
      if (edges[i].second == 0)
        inA = !inA;
      else
        inB = !inB;
      ++i;
    }
    bool now = false;
    switch (mode) {
    case RGN_AND: now = inA && inB; break;
    case RGN_OR: now = inA || inB; break;
    case RGN_XOR: now = inA != inB; break;
    case RGN_DIFF: now = inA && !inB; break;
    default: now = inA; break;
    }
    if (now && !inside) {
      start = x;
      inside = true;
    } else if (!now && inside) {
      if (x > start)
        out.push_back({start, x});
      inside = false;
    }
  }
  return out;
}

}   // namespace

TRegion::TRegion(const TRect& r)
{
  if (!r.IsEmpty())
    FBands.push_back({r.Top, r.Bottom, {{r.Left, r.Right}}});
}

void TRegion::AppendBand(Integer top, Integer bottom, std::vector<TSpan>&& spans)
{
  if (spans.empty() || bottom <= top)
    return;
  if (!FBands.empty() && FBands.back().Bottom == top && FBands.back().Spans == spans) {
    FBands.back().Bottom = bottom;
    return;
  }
  FBands.push_back({top, bottom, std::move(spans)});
}

TRegion TRegion::FromRects(const std::vector<TRect>& rects)
{
  // Rows that several rectangles share get their spans merged by union, in batches.
  TRegion result;
  std::vector<TRect> sorted;
  sorted.reserve(rects.size());
  for (const TRect& r : rects)
    if (!r.IsEmpty())
      sorted.push_back(r);
  if (sorted.empty())
    return result;
  std::vector<Integer> ys;
  for (const TRect& r : sorted) {
    ys.push_back(r.Top);
    ys.push_back(r.Bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::sort(sorted.begin(), sorted.end(), [](const TRect& a, const TRect& b) { return a.Top < b.Top; });
  size_t first = 0;
  std::vector<const TRect*> active;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    Integer y0 = ys[k], y1 = ys[k + 1];
    while (first < sorted.size() && sorted[first].Top <= y0)
      active.push_back(&sorted[first++]);
    active.erase(std::remove_if(active.begin(), active.end(), [&](const TRect* r) { return r->Bottom <= y0; }),
                 active.end());
    std::vector<TSpan> spans;
    for (const TRect* r : active)
      spans.push_back({r->Left, r->Right});
    std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) { return a.Left < b.Left; });
    std::vector<TSpan> merged;
    for (const TSpan& s : spans) {
      if (!merged.empty() && s.Left <= merged.back().Right)
        merged.back().Right = std::max(merged.back().Right, s.Right);
      else
        merged.push_back(s);
    }
    result.AppendBand(y0, y1, std::move(merged));
  }
  return result;
}

TRegion TRegion::Ellipse(const TRect& rect)
{
  TRect r{ClampCoord(std::min(rect.Left, rect.Right)), ClampCoord(std::min(rect.Top, rect.Bottom)),
          ClampCoord(std::max(rect.Left, rect.Right)), ClampCoord(std::max(rect.Top, rect.Bottom))};
  TRegion result;
  if (r.IsEmpty())
    return result;
  double cx = (double(r.Left) + r.Right) / 2, cy = (double(r.Top) + r.Bottom) / 2;
  double rx = r.Width() / 2.0, ry = r.Height() / 2.0;
  for (Integer y = r.Top; y < r.Bottom; ++y) {
    double dy = (y + 0.5 - cy) / ry;
    double q = 1 - dy * dy;
    if (q <= 0)
      continue;
    double half = rx * std::sqrt(q);
    Integer x0 = static_cast<Integer>(std::ceil(cx - half - 0.5));
    Integer x1 = static_cast<Integer>(std::ceil(cx + half - 0.5));
    if (x1 > x0)
      result.AppendBand(y, y + 1, {{x0, x1}});
  }
  return result;
}

TRegion TRegion::RoundRect(const TRect& rect, Integer ew, Integer eh)
{
  TRect r{ClampCoord(std::min(rect.Left, rect.Right)), ClampCoord(std::min(rect.Top, rect.Bottom)),
          ClampCoord(std::max(rect.Left, rect.Right)), ClampCoord(std::max(rect.Top, rect.Bottom))};
  TRegion result;
  if (r.IsEmpty())
    return result;
  ew = std::min(std::abs(ew), r.Width());
  eh = std::min(std::abs(eh), r.Height());
  if (ew < 2 || eh < 2)
    return TRegion(r);
  double rx = ew / 2.0, ry = eh / 2.0;
  for (Integer y = r.Top; y < r.Bottom; ++y) {
    double yc = y + 0.5;
    double inset = 0;
    double dy = 0;
    if (yc < r.Top + ry)
      dy = (r.Top + ry - yc) / ry;
    else if (yc > r.Bottom - ry)
      dy = (yc - (r.Bottom - ry)) / ry;
    if (dy > 0) {
      double q = 1 - dy * dy;
      if (q <= 0)
        continue;
      inset = rx - rx * std::sqrt(q);
    }
    Integer x0 = static_cast<Integer>(std::ceil(r.Left + inset - 0.5));
    Integer x1 = static_cast<Integer>(std::ceil(r.Right - inset - 0.5));
    if (x1 > x0)
      result.AppendBand(y, y + 1, {{x0, x1}});
  }
  return result;
}

TRegion TRegion::Polygon(const TPoint* points, size_t count, int fillMode)
{
  TRegion result;
  if (!points || count < 3)
    return result;
  count = std::min(count, MaxPolygonPoints);
  std::vector<TPoint> p(points, points + count);
  Integer top = MaxCoord, bottom = -MaxCoord;
  for (TPoint& q : p) {
    q.X = ClampCoord(q.X);
    q.Y = ClampCoord(q.Y);
    top = std::min(top, q.Y);
    bottom = std::max(bottom, q.Y);
  }
  std::vector<std::pair<double, int>> crossings;
  for (Integer y = top; y < bottom; ++y) {
    double yc = y + 0.5;
    crossings.clear();
    for (size_t i = 0; i < count; ++i) {
      const TPoint& a = p[i];
      const TPoint& b = p[(i + 1) % count];
      if (a.Y == b.Y)
        continue;
      bool down = b.Y > a.Y;
      double y0 = down ? a.Y : b.Y, y1 = down ? b.Y : a.Y;
      if (yc < y0 || yc >= y1)
        continue;
      double x = a.X + (yc - a.Y) * double(b.X - a.X) / double(b.Y - a.Y);
      crossings.push_back({x, down ? 1 : -1});
    }
    std::sort(crossings.begin(), crossings.end());
    std::vector<TSpan> spans;
    auto inside = [fillMode](int w) { return fillMode == WINDING ? w != 0 : (w & 1) != 0; };
    int winding = 0;
    double startX = 0;
    for (const auto& c : crossings) {
      bool before = inside(winding);
      winding += fillMode == WINDING ? c.second : 1;
      bool after = inside(winding);
      if (!before && after) {
        startX = c.first;
      } else if (before && !after) {
        Integer x0 = static_cast<Integer>(std::ceil(startX - 0.5));
        Integer x1 = static_cast<Integer>(std::ceil(c.first - 0.5));
        if (x1 > x0) {
          if (!spans.empty() && x0 <= spans.back().Right)
            spans.back().Right = std::max(spans.back().Right, x1);
          else
            spans.push_back({x0, x1});
        }
      }
    }
    result.AppendBand(y, y + 1, std::move(spans));
  }
  return result;
}

int TRegion::Kind() const
{
  if (FBands.empty())
    return NULLREGION;
  if (FBands.size() == 1 && FBands[0].Spans.size() == 1)
    return SIMPLEREGION;
  return COMPLEXREGION;
}

TRect TRegion::BoundingBox() const
{
  if (FBands.empty())
    return {};
  TRect r{FBands.front().Spans.front().Left, FBands.front().Top, FBands.front().Spans.back().Right,
          FBands.back().Bottom};
  for (const TBand& b : FBands) {
    r.Left = std::min(r.Left, b.Spans.front().Left);
    r.Right = std::max(r.Right, b.Spans.back().Right);
  }
  return r;
}

bool TRegion::Contains(Integer x, Integer y) const
{
  auto it = std::upper_bound(FBands.begin(), FBands.end(), y, [](Integer v, const TBand& b) { return v < b.Bottom; });
  if (it == FBands.end() || y < it->Top)
    return false;
  auto s =
      std::upper_bound(it->Spans.begin(), it->Spans.end(), x, [](Integer v, const TSpan& sp) { return v < sp.Right; });
  return s != it->Spans.end() && x >= s->Left;
}

bool TRegion::Intersects(const TRect& r) const
{
  if (r.IsEmpty())
    return false;
  for (const TBand& b : FBands) {
    if (b.Bottom <= r.Top)
      continue;
    if (b.Top >= r.Bottom)
      break;
    for (const TSpan& s : b.Spans)
      if (s.Right > r.Left && s.Left < r.Right)
        return true;
  }
  return false;
}

void TRegion::Offset(Integer dx, Integer dy)
{
  auto shift = [](Integer v, Integer d) {
    int64_t r = int64_t(v) + d;
    return static_cast<Integer>(std::clamp<int64_t>(r, INT32_MIN / 2, INT32_MAX / 2));
  };
  for (TBand& b : FBands) {
    b.Top = shift(b.Top, dy);
    b.Bottom = shift(b.Bottom, dy);
    for (TSpan& s : b.Spans) {
      s.Left = shift(s.Left, dx);
      s.Right = shift(s.Right, dx);
    }
  }
}

int TRegion::Combine(const TRegion& a, const TRegion& b, int mode)
{
  if (mode < RGN_AND || mode > RGN_COPY)
    return RGN_ERROR;
  if (mode == RGN_COPY) {
    if (this != &a)
      FBands = a.FBands;
    return Kind();
  }
  std::vector<Integer> ys;
  for (const TRegion* r : {&a, &b})
    for (const TBand& band : r->FBands) {
      ys.push_back(band.Top);
      ys.push_back(band.Bottom);
    }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  TRegion out;
  static const std::vector<TSpan> none;
  size_t ia = 0, ib = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    Integer y0 = ys[k], y1 = ys[k + 1];
    while (ia < a.FBands.size() && a.FBands[ia].Bottom <= y0)
      ++ia;
    while (ib < b.FBands.size() && b.FBands[ib].Bottom <= y0)
      ++ib;
    const std::vector<TSpan>& sa = (ia < a.FBands.size() && a.FBands[ia].Top <= y0) ? a.FBands[ia].Spans : none;
    const std::vector<TSpan>& sb = (ib < b.FBands.size() && b.FBands[ib].Top <= y0) ? b.FBands[ib].Spans : none;
    out.AppendBand(y0, y1, CombineSpans(sa, sb, mode));
  }
  FBands = std::move(out.FBands);
  return Kind();
}

std::vector<TRect> TRegion::Rects() const
{
  std::vector<TRect> out;
  for (const TBand& b : FBands)
    for (const TSpan& s : b.Spans)
      out.push_back({s.Left, b.Top, s.Right, b.Bottom});
  return out;
}
