#include "parts/PartHelpers.h"

#include <algorithm>
#include <cmath>

#include "engine/OpenGL1x.h"

void EmitNormal(const TAffineVector& n)
{
  if (!std::isfinite(n[0]) || !std::isfinite(n[1]) || !std::isfinite(n[2]))
    return;
  if (n[0] == 0 && n[1] == 0 && n[2] == 0)
    return;
  glNormal3fv(n.data());
}

void EmitNormal(Single x, Single y, Single z) { EmitNormal(TAffineVector{x, y, z}); }

void EmitVertex(const TAffineVector& v) { glVertex3fv(v.data()); }

namespace {

// num / den clamped to [-1, 1]; a zero denominator gives the numerator's sign, NaN gives 0.
double ClampedRatio(double num, double den)
{
  double q = den == 0 ? (num > 0 ? 1 : num < 0 ? -1 : 0) : num / den;
  return std::isnan(q) ? 0 : std::clamp(q, -1.0, 1.0);
}

}   // namespace

Single ArcSinRatio(double num, double den) { return static_cast<Single>(std::asin(ClampedRatio(num, den))); }

Single ArcCosRatio(double num, double den) { return static_cast<Single>(std::acos(ClampedRatio(num, den))); }

Integer SafeSteps(double v, Integer lo, Integer hi)
{
  if (std::isnan(v) || v < lo)
    return lo;
  if (v > hi)
    return hi;
  return static_cast<Integer>(v);
}

void LimitGrid(Integer& along, Integer& around, Integer quads)
{
  along = std::max<Integer>(along, 1);
  around = std::max<Integer>(around, 1);
  while (static_cast<long long>(along) * around > quads && (along > 1 || around > 1)) {
    Integer& larger = along >= around ? along : around;
    larger = (larger + 1) / 2;
  }
}

Single WrapPositive(Single x, Single period)
{
  if (!(period > 0) || !std::isfinite(period) || !std::isfinite(x))
    return 0;
  double r = std::fmod(static_cast<double>(x), static_cast<double>(period));
  if (r < 0)
    r += period;
  if (r >= period)   // fmod of a tiny negative value rounds up to the period
    r = 0;
  return static_cast<Single>(r);
}

void DrawRowStrip(const TGLVertexArray& a, const TGLVertexArray& b, size_t from, size_t to)
{
  size_t n = std::min(a.size(), b.size());
  if (n == 0 || from >= n)
    return;
  to = std::min(to, n - 1);
  if (to <= from)
    return;
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t i = from; i <= to; ++i) {
    if (i < to)
      EmitNormal(UnitPlaneNormal(a[i], b[i], b[i + 1]));
    EmitVertex(a[i]);
    EmitVertex(b[i]);
  }
  glEnd();
}

TTubeSectionArray MakeTubeSection(Integer sides, Single radius)
{
  Integer n = SafeCount(sides);
  TTubeSectionArray t(static_cast<size_t>(n) + 1);
  for (Integer j = 0; j <= n; ++j) {
    double phi = (j == n ? 0.0 : j * 2.0 * M_PI / n);
    Single s = static_cast<Single>(std::sin(phi)), c = static_cast<Single>(std::cos(phi));
    t[size_t(j)] = {radius * c, radius * s, s, c};
  }
  return t;
}

void DrawTubeStrip(const TTubeSectionArray& section, const TTubeStation& a, const TTubeStation& b)
{
  if (section.size() < 2)
    return;
  bool oneNormal = a.Radial == b.Radial;
  auto point = [](const TTubeStation& st, const TTubeSection& e) {
    return TAffineVector{st.Centre[0] + st.Radial[0] * e.RC, st.Centre[1] + st.Radial[1] * e.RC,
                         st.Centre[2] + st.Radial[2] * e.RC + e.RS};
  };
  auto normal = [](const TTubeStation& st, const TTubeSection& e) {
    return TAffineVector{st.Radial[0] * e.C, st.Radial[1] * e.C, st.Radial[2] * e.C + e.S};
  };
  glBegin(GL_TRIANGLE_STRIP);
  for (const TTubeSection& e : section) {
    EmitNormal(normal(a, e));
    EmitVertex(point(a, e));
    if (!oneNormal)
      EmitNormal(normal(b, e));
    EmitVertex(point(b, e));
  }
  glEnd();
}

TTubeStation ArcStation(Single cx, Single cy, Single z, Single rho, Single theta)
{
  Single s, c;
  SinCos(theta, s, c);
  return {{cx + rho * c, cy + rho * s, z}, {c, s, 0}};
}
