// The three links of the toggle clamp: the forked rocker, the side plate with one cut
// end, and the bent lever link.
#pragma once

#include "engine/GLScene.h"
#include "parts/PartGeometry.h"

// The rocker: two fork plates about the pivot that close into one arm.
class TAToggleLink : public TGLSceneObject {
public:
  TAToggleLink(TGLBaseSceneObject* AOwner, Single ArmLength, Single PinSpacing, Single Width, Single PlateThickness);
  Single ArmLength;
  Single PinSpacing;
  Single PlateThickness;
  Single Width;
  Single CornerRadius;    // 0.2 PinSpacing
  Integer Segments = 5;   // per quarter circle
  Single ArmDepth;        // 0.5 PinSpacing
  Single PinOffset = 0;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  // The plate outline in the XY plane, 4 Segments + 6 points, the last repeating the first.
  TGLVertexArray Outline() const;
};

// A side plate: rounded about the pivot, its far end rounded above and cut below.
class TBToggleLink : public TGLSceneObject {
public:
  TBToggleLink(TGLBaseSceneObject* AOwner, Single Length, Single EndRadius, Single Thickness, Integer Segments);
  Single Length;
  Single Extension;   // 0.5 EndRadius
  Single Thickness;
  Single EndRadius;
  Integer Segments;   // per quarter circle
  Single CutAngle = 45;
  bool UseSideColour = true;
  TSideColour SideColour = GreySideColour;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
  // 3 Segments + 4 points, the last repeating the first.
  TGLVertexArray Outline() const;
};

// A link arm along -X and a lever arm at LeverAngle, meeting at the pivot.
class TCToggleLink : public TGLSceneObject {
public:
  TCToggleLink(TGLBaseSceneObject* AOwner, Single Length, Single LeverLength, Single EndRadius, Single Thickness,
               Integer Segments);
  Single LeverAngle = 45;   // degrees from +X
  Single Length;
  Single LeverLength;
  Single Thickness;
  Single EndRadius;
  Integer Segments;   // per half circle
  bool UseSideColour = true;
  TSideColour SideColour = GreySideColour;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
  // 2 Segments + K + 5 points (K the pivot steps below the lever), the last repeating the first.
  TGLVertexArray Outline() const;

private:
  void MakeOutline(TGLVertexArray& outline, TGLVertexArray& normals) const;
};
