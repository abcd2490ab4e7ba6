// Objects that only the tweezers scene uses: one blade and the joined butt.
#pragma once

#include <array>
#include <vector>

#include "engine/GLBezier.h"
#include "engine/GLScene.h"

// One blade. It reads the strip's fields its own way: the second coordinates of control
// points 0 to 3 bend the blade across its thickness (local Y) along its length; points 4 to 7
// give the position along the blade (local X) and the half-width (local Z); Thickness is the
// sheet's thickness; side element 1 draws the underside. A raised rib with grip ridges runs
// along its top, and it ends in a small square tip at x = 1.05.
class TTweezers : public TBezierStrip {
public:
  explicit TTweezers(TGLBaseSceneObject* AOwner = nullptr);

  // One cross-section: V0 top +Z, V1 bottom +Z, V2 bottom -Z, V3 top -Z.
  using TRow = std::array<TAffineVector, 4>;
  // Divisions + 1 rows from the root (t = 0) to the end (t = 1).
  std::vector<TRow> BuildTweezerRows() const;
  // The grip ridges take rows 3 to 10; a blade with fewer divisions is drawn without them.
  static constexpr Integer RidgeLastRow = 10;

  void BuildList(TRenderContextInfo& rci) override;
};

// The butt where the blades are joined: an octagonal bar from x = -0.2 to 0 with a rounded end.
class TTweezerEnd : public TGLSceneObject {
public:
  using TGLSceneObject::TGLSceneObject;
  void BuildList(TRenderContextInfo& rci) override;
};
