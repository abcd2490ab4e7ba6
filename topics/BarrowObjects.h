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
