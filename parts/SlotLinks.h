// A link bar with a straight slot through its middle, built on TLinkage.
#pragma once

#include "parts/BasicParts.h"

// Runs from the end centre at the origin to the one at (0, Length) on +Y, whatever
// TLinkage's placement says.
class TSlotLinkage : public TLinkage {
public:
  using TLinkage::TLinkage;
  Single SlotWidth = 0;
  Single SlotTop = 0;
  Single SlotBottom = 0;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  // The slot's walls meet the faces at points of their own: not closed edge for edge, so
  // both sides are drawn as for any open shape.
  bool IsClosedSolid() const override { return false; }
  // 2 Segments + 2 points: the upper end from (R, L) over to (-R, L), then the lower end
  // from (-R, 0) round to (R, 0).
  TGLVertexArray Outline() const;
};
