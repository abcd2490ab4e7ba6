// Where the camera stands and where the scene base sits for each topic (and lever example);
// the shell and the topic gallery take them from here.
#pragma once

#include "engine/Base/VectorGeometry.h"

struct TViewPoint {
  TVector Camera;      // a point, w = 1
  TVector SceneBase;   // a point, w = 1; z is always 0
};

// Each example of a topic has its own (an example the topic lacks takes its first); an id
// without a model (none, the cam graph, anything unknown) gives the camera at (0, 0, 10) and
// the scene base at the origin.
TViewPoint GetViewPoint(Integer id, Integer example);
