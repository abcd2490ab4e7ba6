// The ratchet wheel with saw teeth and the pawl that holds it.
#pragma once

#include "engine/GLScene.h"
#include "parts/PartGeometry.h"

class TRatchet : public TGLSceneObject {
public:
  TRatchet(TGLBaseSceneObject* AOwner, Single Pitch, Single ToothDepth, Single Thickness, Integer Teeth);
  Single Pitch;   // tip radius = Teeth Pitch / 2pi
  Single ToothDepth;
  Single Thickness;
  Integer Teeth;
  bool SideColoured = false;   // kept and copied; the wheel is drawn in its material
  TSideColour SideColour = GreySideColour;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
};

// Pivot at the origin, reaching along -X to the hooked tip.
class TPawl : public TGLSceneObject {
public:
  TPawl(TGLBaseSceneObject* AOwner, Single HookHalfWidth, Single TipHeight, Single BossRadius, Single Length,
        Single Thickness, Integer Segments);
  Single TipHeight;
  Single HookHalfWidth;
  Single BossRadius;
  Single Length;
  Single Thickness;
  Integer Segments;
  Single HookRadius;   // 2 BossRadius after construction
  bool SideColoured = false;
  TSideColour SideColour = GreySideColour;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  // The outline drawn by BuildList, in the XY plane (its last point repeats the first).
  TGLVertexArray Outline() const;
};
