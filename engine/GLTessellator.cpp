#include "engine/GLTessellator.h"

#include <algorithm>
#include <cmath>

namespace {

struct P2 {
  double X, Y;
  int Index;   // into the caller's numbering
};

double Cross(const P2& a, const P2& b, const P2& c) { return (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X); }

double SignedArea(const std::vector<P2>& poly)
{
  double a = 0;
  for (size_t i = 0, n = poly.size(); i < n; ++i) {
    const P2& p = poly[i];
    const P2& q = poly[(i + 1) % n];
    a += p.X * q.Y - q.X * p.Y;
  }
  return a / 2;
}

bool PointInPolygon(double x, double y, const std::vector<P2>& poly)
{
  bool inside = false;
  for (size_t i = 0, n = poly.size(), j = n - 1; i < n; j = i++) {
    const P2& a = poly[i];
    const P2& b = poly[j];
    if ((a.Y > y) != (b.Y > y) && x < (b.X - a.X) * (y - a.Y) / (b.Y - a.Y) + a.X)
      inside = !inside;
  }
  return inside;
}

bool InTriangle(const P2& p, const P2& a, const P2& b, const P2& c)
{
  // Inclusive test so that vertices on an ear's edge block it (keeps bridged holes sound).
  return Cross(a, b, p) >= 0 && Cross(b, c, p) >= 0 && Cross(c, a, p) >= 0;
}

bool SegmentsCross(const P2& a, const P2& b, const P2& c, const P2& d)
{
  double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// Joins a hole (clockwise) into the outer ring (counter-clockwise) through the shortest
// bridge from the hole's rightmost vertex that crosses no edge.
void MergeHole(std::vector<P2>& outer, const std::vector<P2>& hole)
{
  size_t hi = 0;
  for (size_t i = 1; i < hole.size(); ++i)
    if (hole[i].X > hole[hi].X)
      hi = i;
  const P2& h = hole[hi];
  size_t best = outer.size();
  double bestD = 0;
  for (size_t i = 0; i < outer.size(); ++i) {
    const P2& o = outer[i];
    double d = (o.X - h.X) * (o.X - h.X) + (o.Y - h.Y) * (o.Y - h.Y);
    if (best != outer.size() && d >= bestD)
      continue;
    bool blocked = false;
    for (size_t j = 0, n = outer.size(); j < n && !blocked; ++j)
      blocked = SegmentsCross(h, o, outer[j], outer[(j + 1) % n]);
    for (size_t j = 0, n = hole.size(); j < n && !blocked; ++j)
      blocked = SegmentsCross(h, o, hole[j], hole[(j + 1) % n]);
    if (!blocked) {
      best = i;
      bestD = d;
    }
  }
  if (best == outer.size())
    return;   // no visible vertex: leave the hole out rather than tear the outline
  std::vector<P2> merged(outer.begin(), outer.begin() + best + 1);
  for (size_t k = 0; k <= hole.size(); ++k)
    merged.push_back(hole[(hi + k) % hole.size()]);
  merged.push_back(outer[best]);
  merged.insert(merged.end(), outer.begin() + best + 1, outer.end());
  outer.swap(merged);
}

void EarClip(std::vector<P2> poly, std::vector<int>& out)
{
  // Drop consecutive duplicates, which would make zero-area ears.
  std::vector<P2> clean;
  for (const P2& p : poly)
    if (clean.empty() || clean.back().X != p.X || clean.back().Y != p.Y)
      clean.push_back(p);
  while (clean.size() > 1 && clean.front().X == clean.back().X && clean.front().Y == clean.back().Y)
    clean.pop_back();
  poly.swap(clean);
  size_t guard = poly.size() * poly.size() + 16;
  while (poly.size() > 3 && guard-- > 0) {
    size_t n = poly.size();
    bool clipped = false;
    for (size_t i = 0; i < n; ++i) {
      const P2& a = poly[(i + n - 1) % n];
      const P2& b = poly[i];
      const P2& c = poly[(i + 1) % n];
      double cr = Cross(a, b, c);
      if (cr <= 0) {
        if (cr == 0 && !(a.X == c.X && a.Y == c.Y)) {
          // A straight vertex that lies between its neighbours adds nothing.
          double dot = (b.X - a.X) * (c.X - b.X) + (b.Y - a.Y) * (c.Y - b.Y);
          if (dot > 0) {
            poly.erase(poly.begin() + i);
            clipped = true;
            break;
          }
        }
        continue;
      }
      bool empty = true;
      for (size_t j = 0; j < n && empty; ++j) {
        if (j == i || j == (i + 1) % n || j == (i + n - 1) % n)
          continue;
        const P2& p = poly[j];
        if ((p.X == a.X && p.Y == a.Y) || (p.X == b.X && p.Y == b.Y) || (p.X == c.X && p.Y == c.Y))
          continue;   // bridge copies of the ear's own corners
        if (InTriangle(p, a, b, c))
          empty = false;
      }
      if (!empty)
        continue;
      out.insert(out.end(), {a.Index, b.Index, c.Index});
      poly.erase(poly.begin() + i);
      clipped = true;
      break;
    }
    if (!clipped)
      break;   // self-intersecting or degenerate remainder
  }
  if (poly.size() == 3 && Cross(poly[0], poly[1], poly[2]) > 0)
    out.insert(out.end(), {poly[0].Index, poly[1].Index, poly[2].Index});
}

}   // namespace

std::vector<int> TessellatePolygon(const std::vector<std::vector<TAffineVector>>& contours,
                                   const TAffineVector& normalIn)
{
  std::vector<int> out;
  // Newell's normal of all contours when none is given.
  TAffineVector n = normalIn;
  if (VectorLength(n) == 0) {
    double nx = 0, ny = 0, nz = 0;
    for (const auto& c : contours)
      for (size_t i = 0, m = c.size(); i < m; ++i) {
        const TAffineVector& p = c[i];
        const TAffineVector& q = c[(i + 1) % m];
        nx += (double(p[1]) - q[1]) * (double(p[2]) + q[2]);
        ny += (double(p[2]) - q[2]) * (double(p[0]) + q[0]);
        nz += (double(p[0]) - q[0]) * (double(p[1]) + q[1]);
      }
    n = AffineVectorMake(Single(nx), Single(ny), Single(nz));
  }
  if (!(VectorLength(n) > 0) || !std::isfinite(VectorLength(n)))
    return out;
  // Project on to the plane of the normal, with (u, v, n) right-handed.
  TAffineVector nn = VectorNormalize(n);
  TAffineVector helper = std::fabs(nn[0]) < 0.9f ? XVector : YVector;
  TAffineVector u = VectorNormalize(VectorCrossProduct(helper, nn));
  TAffineVector v = VectorCrossProduct(nn, u);

  std::vector<std::vector<P2>> rings;
  int base = 0;
  for (const auto& c : contours) {
    std::vector<P2> ring;
    for (size_t i = 0; i < c.size(); ++i) {
      if (!std::isfinite(c[i][0]) || !std::isfinite(c[i][1]) || !std::isfinite(c[i][2]))
        continue;
      ring.push_back({VectorDotProduct(c[i], u), VectorDotProduct(c[i], v), base + int(i)});
    }
    base += int(c.size());
    if (ring.size() >= 3 && SignedArea(ring) != 0)
      rings.push_back(std::move(ring));
  }
  // Nesting depth decides outer (even) or hole (odd).
  std::vector<int> depth(rings.size(), 0);
  for (size_t i = 0; i < rings.size(); ++i)
    for (size_t j = 0; j < rings.size(); ++j)
      if (i != j && PointInPolygon(rings[i][0].X, rings[i][0].Y, rings[j]))
        ++depth[i];
  for (size_t i = 0; i < rings.size(); ++i) {
    if (depth[i] % 2)
      continue;
    std::vector<P2> outer = rings[i];
    if (SignedArea(outer) < 0)
      std::reverse(outer.begin(), outer.end());
    // Holes directly inside this outline, rightmost first so bridges do not cross.
    std::vector<std::vector<P2>> holes;
    for (size_t j = 0; j < rings.size(); ++j)
      if (depth[j] == depth[i] + 1 && PointInPolygon(rings[j][0].X, rings[j][0].Y, rings[i])) {
        std::vector<P2> h = rings[j];
        if (SignedArea(h) > 0)
          std::reverse(h.begin(), h.end());
        holes.push_back(std::move(h));
      }
    auto maxX = [](const std::vector<P2>& r) {
      double m = r[0].X;
      for (const P2& p : r)
        m = std::max(m, p.X);
      return m;
    };
    std::sort(holes.begin(), holes.end(), [&](const auto& a, const auto& b) { return maxX(a) > maxX(b); });
    for (const auto& h : holes)
      MergeHole(outer, h);
    EarClip(std::move(outer), out);
  }
  return out;
}
