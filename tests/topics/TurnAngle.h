// How far a part has turned between two of its placements, read from its frames.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "engine/Base/VectorGeometry.h"

// In degrees: the largest angle between the two images of an axis (an axis square to the turn
// moves through all of it). Axes shrunk to nothing in either frame are left out.
inline double TurnedBy(const TMatrix& a, const TMatrix& b)
{
  double most = 0;
  for (size_t k = 0; k < 3; ++k) {
    double dot = 0, la = 0, lb = 0;
    for (size_t i = 0; i < 3; ++i) {
      dot += double(a[k][i]) * b[k][i];
      la += double(a[k][i]) * a[k][i];
      lb += double(b[k][i]) * b[k][i];
    }
    if (la > 1e-12 && lb > 1e-12)
      most = std::max(most, std::acos(std::clamp(dot / std::sqrt(la * lb), -1.0, 1.0)) * 180 / M_PI);
  }
  return most;
}
