// Objects that only the nutcracker scene uses: one arm of the nutcracker and the rounded box
// that is its handle grip.
#pragma once

#include <vector>

#include "engine/GLScene.h"

// One arm: a quarter-round hinge end, a serrated notch for small nuts and one for large nuts
// cut into its lower edge, a curved back, open at x = 0.65 where the grip covers it. Its hinge
// end is half-lapped: a round tongue fills z from -Thickness/2 to 0, and z from 0 up is cut
// away, so a second arm turned 180 degrees about X closes the hinge.
class TNutCracker : public TGLSceneObject {
public:
  explicit TNutCracker(TGLBaseSceneObject* AOwner = nullptr);
  Single Thickness = 0.1f;

  // The 54 points of the lower outline (hinge at the origin, arm along +X) and the height of
  // the curved back above x.
  static std::vector<TAffineVector> LowerOutline();
  static Single BackHeight(Single x);

  void BuildList(TRenderContextInfo& rci) override;
};

// A box centred on its origin with its edges and corners rounded to CornerRadius.
class TRoundCuboid : public TGLSceneObject {
public:
  explicit TRoundCuboid(TGLBaseSceneObject* AOwner = nullptr);
  Single Depth = 0.1f;    // along Z
  Single Length = 1.0f;   // along X
  Single Height = 0.1f;   // along Y
  Single CornerRadius = 0.02f;
  Integer Segments = 10;   // steps per quarter circle of the rounding

  // Most steps per quarter circle drawn: the corners take (Segments + 1) squared points.
  static constexpr Integer MaxSegments = 64;

  void BuildList(TRenderContextInfo& rci) override;
};
