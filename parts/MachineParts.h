// The further machine parts: belts, the rail wheel and cutter bit, the linear cam and its
// plate, and the small parts of the motion-type scenes (paper trimmer, escapement, sewing
// machine, roundabout). Each takes only its owner and sets its own defaults; callers
// write the public fields before the first render.
#pragma once

#include <array>
#include <utility>

#include "engine/GLScene.h"
#include "parts/PartGeometry.h"

// The four corners of a belt's section at one place on its path: V0 and V3 the outer
// edges, V1 and V2 the inner ones.
struct TBeltSection {
  std::array<TAffineVector, 4> V{};
};

// An open belt round two pulleys at (-CentreDistance/2, 0) and (+CentreDistance/2, 0).
class TBelt : public TGLSceneObject {
public:
  explicit TBelt(TGLBaseSceneObject* AOwner = nullptr);
  Single TopWidth = 0.15f;
  Single BottomWidth = 0.05f;
  Single Depth = 0.1f;
  Single Radius1 = 0.3f;
  Single Radius2 = 0.6f;
  Single CentreDistance = 1.0f;
  Single Angle = 0;   // of pulley 2, degrees
  Integer Segments = 80;
  Single Travel = 0;   // run of earlier drive cycles
  Integer BandSegments = 3;

  void SetAngle(Single Value);
  // Folds the current angle into Travel, modulo this belt's own path length.
  void UpdateTravel();
  void BuildList(TRenderContextInfo& rci) override;

  // The length of the belt's path and its section at arc length u (0 <= u <= length).
  virtual Single PathLength() const;
  virtual TBeltSection SectionAt(Single u) const;
  // Where the band starts on the path: R2 Angle + Travel reduced to [0, length).
  Single BandStart() const;

protected:
  // The corner pairs of the four faces, in strip order.
  virtual std::array<std::pair<int, int>, 4> FacePairs() const;
};

// A crossed belt: a figure of eight with a half twist on each straight.
class TXBelt : public TBelt {
public:
  explicit TXBelt(TGLBaseSceneObject* AOwner = nullptr);
  Single PathLength() const override;
  TBeltSection SectionAt(Single u) const override;

protected:
  std::array<std::pair<int, int>, 4> FacePairs() const override;
};

// An open belt whose lower run is pressed in by a jockey pulley on its back.
class TJockeyBelt : public TBelt {
public:
  explicit TJockeyBelt(TGLBaseSceneObject* AOwner = nullptr);
  Single JockeyRadius = 0.2f;
  Single JockeyX = 0;
  Single JockeyY;   // -Radius1 at construction
  Single PathLength() const override;
  TBeltSection SectionAt(Single u) const override;
};

// A flanged rail wheel about Z, the flange's back at z = 0.
class TWheel : public TGLSceneObject {
public:
  explicit TWheel(TGLBaseSceneObject* AOwner = nullptr);
  Single TreadRadius = 0.06f;
  Single FlangeRadius = 0.07f;
  Single FlangeThickness = 0.005f;
  Single TreadWidth = 0.02f;
  Integer WheelSegments = 20;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A square tool bit with a ground tip at its lower end.
class TCutBit : public TGLSceneObject {
public:
  explicit TCutBit(TGLBaseSceneObject* AOwner = nullptr);
  Single BitLength = 0.5f;
  Single BitWidth = 0.1f;
  Single BitThickness = 0.1f;
  Single TipReach = 0.05f;
  Single TipHeight = 0.1f;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A bar from x = -Length to 0 whose top rises along a half cosine.
class TLinearCam : public TGLSceneObject {
public:
  explicit TLinearCam(TGLBaseSceneObject* AOwner = nullptr);
  Single Length = 2.0f;
  Single Rise = 0.2f;
  Single Width = 0.2f;
  Integer Segments = 20;
  TSideColour SideColour = BronzeSideColour;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A plate with a slot along its length, half its thickness deep.
class TLinearPlate : public TGLSceneObject {
public:
  explicit TLinearPlate(TGLBaseSceneObject* AOwner = nullptr);
  Single Length = 4.0f;
  Single Width = 1.0f;
  Single Thickness = 0.1f;
  Single SlotWidth = 0.2f;
  TSideColour SideColour = GreySideColour;
  void BuildList(TRenderContextInfo& rci) override;
};

// The paper trimmer's end block.
class TGTEnd : public TGLSceneObject {
public:
  explicit TGTEnd(TGLBaseSceneObject* AOwner = nullptr);
  Single SlopeRun = 0.3f;
  Single Height = 0.3f;
  Single Thickness = 0.06f;
  Integer Segments = 20;
  Single Radius = 0.1f;
  Single FootDepth = 0.06f;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
  // The profile: Segments + 6 points, the last repeating the first.
  TGLVertexArray Profile() const;
};

// The trimmer's carriage: an arched profile along Z with rounded ends.
class TGTSlider : public TGLSceneObject {
public:
  explicit TGTSlider(TGLBaseSceneObject* AOwner = nullptr);
  Single Width = 0.18f;
  Single Height = 0.28f;
  Single Length = 0.2f;
  Integer Segments = 20;
  Single FilletRadius = 0.02f;
  void BuildList(TRenderContextInfo& rci) override;
};

// The trimmer's blade.
class TGTBlade : public TGLSceneObject {
public:
  explicit TGTBlade(TGLBaseSceneObject* AOwner = nullptr);
  Single Width = 0.1f;
  Single Depth = 0.05f;
  Single Thickness = 0.01f;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A clock's escape wheel with saw teeth on a thin rim.
class TEscWheel : public TGLSceneObject {
public:
  explicit TEscWheel(TGLBaseSceneObject* AOwner = nullptr);
  Single Thickness = 0.04f;
  Single Pitch = 0.1f;
  Single ToothDepth = 0.13f;
  Integer Teeth = 20;
  void BuildList(TRenderContextInfo& rci) override;
};

// The escapement's anchor: two arms with pallet pads, joined by a bow.
class TPallet : public TGLSceneObject {
public:
  explicit TPallet(TGLBaseSceneObject* AOwner = nullptr);
  Single Thickness = 0.04f;
  Single ArmWidth = 0.04f;
  Single AngleDeg = 20.0f;
  Single Radius = 0.81f;
  Single PadArc = 0.08f;
  Single PadDepth = 0.03f;
  void BuildList(TRenderContextInfo& rci) override;
};

// The thread eye of a sewing machine's take-up lever: a ring with a shank along -X.
class TSMRing : public TGLSceneObject {
public:
  explicit TSMRing(TGLBaseSceneObject* AOwner = nullptr);
  Single Thickness = 0.04f;
  Single ShankLength = 0.2f;
  Single ShankWidth = 0.05f;
  Single EyeRadius = 0.03f;
  Single OuterRadius = 0.05f;
  Integer Segments = 20;
  TSideColour SideColour = GreySideColour;
  void BuildList(TRenderContextInfo& rci) override;
};

// A machine needle hanging from its origin along -Y, with a slotted eye.
class TNeedle : public TGLSceneObject {
public:
  explicit TNeedle(TGLBaseSceneObject* AOwner = nullptr);
  Single BladeThickness;   // 0.25 Diameter at construction
  Single Length = 0.3f;
  Single Diameter = 0.02f;
  Single EyeLength = 0.05f;
  Integer Segments = 10;
  void BuildList(TRenderContextInfo& rci) override;
};

// The roundabout's hexagonal platform.
class TRoundabout : public TGLSceneObject {
public:
  explicit TRoundabout(TGLBaseSceneObject* AOwner = nullptr);
  Single Radius = 1.02f;
  Single Thickness = 0.04f;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A panel of vertical slats between two rails.
class TSlattedPlane : public TGLSceneObject {
public:
  explicit TSlattedPlane(TGLBaseSceneObject* AOwner = nullptr);
  Single Width = 1.0f;
  Single Height = 0.46f;
  Single Thickness = 0.02f;
  Integer Slats = 10;
  void BuildList(TRenderContextInfo& rci) override;
};
