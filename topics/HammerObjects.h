// The claw-hammer head: y along the handle (the top face at y = 0), x from the striking face
// (x = -0.5) to the claw's tip, symmetric in z.
#pragma once

#include <array>

#include "engine/GLScene.h"

class THammerhead : public TGLSceneObject {
public:
  using TGLSceneObject::TGLSceneObject;

  // The claw's profile: per row its outer and inner point in the xy-plane (z = 0).
  struct TClawProfile {
    std::array<TAffineVector, 22> Outer{};
    std::array<TAffineVector, 22> Inner{};
  };
  static TClawProfile ClawProfile();
  // The head's half-thickness at abscissa x.
  static Single HalfThickness(Single x) { return 0.1f + 0.08f * x; }
  // The depth of the claw's face below the top face (about -0.2524).
  static Single CheekTop();

  void BuildList(TRenderContextInfo& rci) override;
};
