// The drum of a box cam: a cylinder along X with an inclined groove cut round it.
#pragma once

#include "engine/GLScene.h"
#include "parts/PartGeometry.h"

class THSCylinder : public TGLSceneObject {
public:
  THSCylinder(TGLBaseSceneObject* AOwner, Single Radius, Single GrooveWidth, Single GrooveDepth, Single GrooveAngle,
              Single Length, Integer Segments);
  Single Radius;
  Single GrooveWidth;
  Single GrooveDepth;
  Single GrooveAngle;   // degrees
  Integer Segments;
  Single Length;
  bool UseSideColour = false;
  TSideColour SideColour = BronzeSideColour;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};
