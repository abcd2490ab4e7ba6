// Flat parts of the main library with round edges: a ring sector, a slab with rounded
// corners and a disc sector.
#pragma once

#include "engine/GLScene.h"
#include "parts/PartGeometry.h"

// A flat ring, or a sector of one, about the Y axis: washers, flywheel rims, curved guides.
class TAnnulusEx : public TGLSceneObject {
public:
  TAnnulusEx(TGLBaseSceneObject* AOwner, Single OuterRadius, Single Width, Single Thickness, Single StartAngle,
             Single EndAngle, Integer Segments);
  Single OuterRadius;
  Single Width;        // inner radius = OuterRadius - Width
  Single Thickness;    // along Y, centred
  Single StartAngle;   // degrees, from +X towards -Z
  Single EndAngle;
  Integer Segments;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A slab with its two upper corners rounded, or all four.
class TRoundCube : public TGLSceneObject {
public:
  TRoundCube(TGLBaseSceneObject* AOwner, Single SizeX, Single SizeY, Single Thickness, Single CornerRadius,
             Integer Segments);
  Single SizeX;
  Single SizeY;
  Single Thickness;
  Single CornerRadius;
  Integer Segments;   // per quarter circle
  bool UseSideColour = false;
  TSideColour SideColour = GreySideColour;
  bool AllCornersRound = false;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }

private:
  void BuildTwoCorners();
  void BuildFourCorners();
};

// A disc, or a sector of one, about Z.
class TPie : public TGLSceneObject {
public:
  TPie(TGLBaseSceneObject* AOwner, Single Radius, Single Thickness, Integer Segments);
  Single Radius;
  Single Thickness;
  Integer Segments;
  bool UseSideColour = false;
  TSideColour SideColour = GreySideColour;
  Byte Parts = 0b111;      // element 0 front face, 1 back face, 2 rim
  Single StartAngle = 0;   // degrees
  Single EndAngle = 360;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  // Closed with both faces and the rim (a sector closes its cut sides itself).
  bool IsClosedSolid() const override { return Parts == 0b111; }
};
