// Objects that only the wheelbarrow and inclined-plane scenes use.
#pragma once

#include <array>

#include "engine/GLScene.h"

// An open tapered box whose eight corners are free: C0 to C3 the rim, C4 to C7 the floor
// corners below them. Drawn as an outer shell, an inner shell WallThickness in, and a rim.
class TAsymBox : public TGLSceneObject {
public:
  explicit TAsymBox(TGLBaseSceneObject* AOwner = nullptr);
  Single WallThickness = 0.01f;
  // The wheelbarrow tray by default; callers may overwrite them before the first draw.
  std::array<TAffineVector, 8> Corners;

  // The inner shell's corners: each corner moved by the wall thickness in x and z.
  std::array<TAffineVector, 8> InnerCorners() const;
  void BuildList(TRenderContextInfo& rci) override;
};

// The centre line of one half of the wheelbarrow's tubular frame, 59 points from the nose in
// front of the wheel back to the handle (x forward, y up, z outward); the other half is its
// mirror in z. Points 12 and 13, 24 and 25, 46 and 47 repeat: each bend starts where the
// run before it ends.
const std::array<TAffineVector, 59>& WheelbarrowOutline();
