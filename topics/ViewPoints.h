// Where the camera stands and where the scene base sits for each topic (and lever example);
// the shell and the topic gallery take them from here.
#pragma once

#include "engine/Base/VectorGeometry.h"

struct TViewPoint {
  TVector Camera;      // a point, w = 1
  TVector SceneBase;   // a point, w = 1; z is always 0
};

// Ids 26 to 28 have a row per example (0 or 1; other values take example 0); ids without a
// row (0, 40, anything else) give the camera at (0, 0, 10) and the scene base at the origin.
TViewPoint GetViewPoint(Integer id, Integer example);
