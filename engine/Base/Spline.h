// Natural cubic splines through a list of values, one per dimension, with the node index as
// the parameter: node i is reached at t = i.
#pragma once

#include <vector>

#include "engine/Base/VectorGeometry.h"

class TCubicSpline {
public:
  // Splines through the points, one per coordinate. Fewer than two points give a constant
  // (or nothing at all for none).
  explicit TCubicSpline(const std::vector<TAffineVector>& points);

  Integer GetCount() const { return static_cast<Integer>(FValues.size()); }
  // The point at parameter t, clamped to 0..Count-1.
  TAffineVector SplineAffineVector(Single t) const;

private:
  // Second derivatives per node and coordinate.
  std::vector<TAffineVector> FValues;
  std::vector<TAffineVector> FSecond;
};
