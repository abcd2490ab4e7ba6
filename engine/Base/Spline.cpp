#include "engine/Base/Spline.h"

#include <cmath>

TCubicSpline::TCubicSpline(const std::vector<TAffineVector>& points) : FValues(points), FSecond(points.size())
{
  const size_t n = points.size();
  for (auto& m : FSecond)
    m = NullVector;
  if (n < 3)
    return;
  // Natural end conditions (zero curvature at both ends) and unit spacing: solve
  // M[i-1] + 4 M[i] + M[i+1] = 6 (y[i+1] - 2 y[i] + y[i-1]) by the Thomas algorithm.
  std::vector<double> c(n, 0.0);
  std::vector<std::array<double, 3>> d(n, {0, 0, 0});
  for (size_t i = 1; i + 1 < n; ++i) {
    const double denom = 4.0 - (i > 1 ? c[i - 1] : 0.0);
    c[i] = 1.0 / denom;
    for (size_t k = 0; k < 3; ++k) {
      const double rhs = 6.0 * (double(points[i + 1][k]) - 2.0 * points[i][k] + points[i - 1][k]);
      d[i][k] = (rhs - (i > 1 ? d[i - 1][k] : 0.0)) / denom;
    }
  }
  std::array<double, 3> next{0, 0, 0};
  for (size_t i = n - 2; i >= 1; --i) {
    for (size_t k = 0; k < 3; ++k) {
      next[k] = d[i][k] - c[i] * next[k];
      FSecond[i][k] = Single(next[k]);
    }
  }
}

TAffineVector TCubicSpline::SplineAffineVector(Single t) const
{
  const Integer n = GetCount();
  if (n == 0)
    return NullVector;
  if (n == 1 || !(t > 0))
    return FValues.front();
  if (!(t < Single(n - 1)))
    return FValues.back();
  Integer i = Integer(std::floor(t));
  if (i > n - 2)
    i = n - 2;
  const double u = double(t) - i, v = 1.0 - u;
  TAffineVector r;
  for (size_t k = 0; k < 3; ++k) {
    const double y0 = FValues[size_t(i)][k], y1 = FValues[size_t(i) + 1][k];
    const double m0 = FSecond[size_t(i)][k], m1 = FSecond[size_t(i) + 1][k];
    r[k] = Single(v * y0 + u * y1 + ((v * v * v - v) * m0 + (u * u * u - u) * m1) / 6.0);
  }
  return r;
}
