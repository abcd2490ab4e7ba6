// The main part library: gears, wheels, chain links, pulleys, shafts, links, frames, cams
// and the engine parts. Every part lies in its local XY plane with its thickness along Z,
// centred on z = 0, unless its comment says otherwise, and draws itself from the numbers it
// was made with. Sizes are scene units, angles degrees unless stated.
#pragma once

#include <memory>

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "parts/PartGeometry.h"

// The tip radius of a toothed wheel: teeth times pitch over a full turn.
Single ToothedWheelRadius(Integer teeth, Single pitch);

// --- gears -----------------------------------------------------------------------------

// A spur gear about Z. Tips at Teeth x Pitch / (2 pi), roots ToothDepth lower; the outline
// has four points per tooth at steps of 90/Teeth degrees counter-clockwise from +X: points
// 4k and 4k+1 on the tip circle, 4k+2 and 4k+3 on the root circle. A bore when BoreRadius > 1e-6.
class TCog : public TGLSceneObject {
public:
  TCog(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single ToothDepth, Single Thickness, Single BoreRadius);
  Integer Teeth;
  Single Pitch;
  Single ToothDepth;
  Single Thickness;
  Single BoreRadius;

  Single TipRadius() const;
  Single RootRadius() const;
  // The outline at z = 0, rotated by `angle` radians.
  TGLVertexArray Outline(Single angle = 0) const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A spur gear whose teeth wind round as they cross the face: the front face (z = +h) is
// turned Twist/2 of tip arc ahead (counter-clockwise) and the back face Twist/2 behind, so
// the mid-plane keeps the cog's layout and two gears of opposite twist stay in mesh.
class THelicalGear : public TCog {
public:
  using TCog::TCog;
  Single Twist = 0;
  void BuildList(TRenderContextInfo& rci) override;
};

// Bevel gears about Z with their teeth on the +Z side: the pitch cone's big end, radius
// Teeth x Pitch / (2 pi), lies in z = 0 and its apex on the axis at z = radius x tan(cone
// angle); the cone angle is measured from the gear's plane.
class TBevelCog : public TGLSceneObject {
public:
  // BackThickness: the plate behind the big end; C: the face width along the cone.
  TBevelCog(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single BackThickness, Single C,
            Single ConeAngleDeg);
  Integer Teeth;
  Single Pitch;
  Single BackThickness;
  Single C;
  Single ConeAngleDeg;

  Single PitchRadius() const;
  Single ApexHeight() const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// The second bevel form: a solid cone gear; B is the plate behind the big end, the face runs
// a third of the way to the apex.
class TBevelCogEx : public TGLSceneObject {
public:
  TBevelCogEx(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single B, Single ConeAngleDeg);
  Integer Teeth;
  Single Pitch;
  Single B;
  Single ConeAngleDeg;

  Single PitchRadius() const;
  Single ApexHeight() const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A toothed rack along X, centred on its origin, teeth on top (+Y) with their tips at
// y = 0, the bar B deep below the roots. Tooth k's tip runs from x0 + k Pitch to
// x0 + k Pitch + Pitch/4, like the cog's layout unrolled, so a cog of the same pitch whose
// tip circle touches y = 0 meshes with it.
class TRackGear : public TGLSceneObject {
public:
  TRackGear(TGLBaseSceneObject* AOwner, Single Length, Single B, Single Thickness, Single Pitch, Single ToothDepth,
            Integer Teeth);
  Single Length;
  Single B;
  Single Thickness;
  Single Pitch;
  Single ToothDepth;
  Integer Teeth;
  // x of the first tooth's tip start.
  Single FirstToothX() const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// The thread of a single-start worm along X, centred on its origin: a trapezoid of base D at
// the root radius and crest E at RootRadius + ThreadDepth, advancing Pitch per turn
// (right-handed about +X). The thread's middle crosses the worm's underside (-Y) at
// x = Pitch/8 + k Pitch, where a worm wheel turned 90 degrees (cog layout) a quarter pitch
// behind the worm's origin has a gap.
class TWorm : public TGLSceneObject {
public:
  TWorm(TGLBaseSceneObject* AOwner, Single RootRadius, Single ThreadDepth, Single Pitch, Single D, Single E,
        Integer Turns, Integer SegmentsPerTurn);
  Single RootRadius;
  Single ThreadDepth;
  Single Pitch;
  Single D;
  Single E;
  Integer Turns;
  Integer SegmentsPerTurn;
  // The thread's lead angle at radius r, radians.
  Single LeadAngle(Single r) const;
  void BuildList(TRenderContextInfo& rci) override;
};

// A worm wheel: a cog's teeth with a hub of radius D, each tooth's back face turned E
// radians from its front face (the scene passes minus the worm's lead angle), the
// mid-plane keeping the cog's layout.
class TWormWheel : public TGLSceneObject {
public:
  TWormWheel(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single ToothDepth, Single Thickness, Single D,
             Single E);
  Integer Teeth;
  Single Pitch;
  Single ToothDepth;
  Single Thickness;
  Single D;
  Single E;
  void BuildList(TRenderContextInfo& rci) override;
};

// --- chain wheels -------------------------------------------------------------------------

// A toothed chain wheel about Z: pitch radius Teeth x Pitch / (2 pi); a roller seat centred
// on the pitch circle at every 360/Teeth degrees from +X, teeth between them.
class TSprocket : public TGLSceneObject {
public:
  TSprocket(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single Thickness);
  Integer Teeth;
  Single Pitch;
  Single Thickness;
  Single PitchRadius() const;
  // Radius of the chain rollers the seats fit.
  Single RollerRadius() const;
  TGLVertexArray Outline() const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A sprocket's teeth on a ring: the inside open to InnerRadius for spokes.
class TChainWheel : public TSprocket {
public:
  TChainWheel(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single Thickness);
  // 0.9 of the seat bottom's radius.
  Single InnerRadius;
  void BuildList(TRenderContextInfo& rci) override;
};

// One roller-chain link from its first pin at the origin one Pitch along +Y. Kind 0: inner
// plates close to the rollers; kind 1: outer plates outside them. Its first child is the
// pin (a cylinder along Z through the origin).
class TChainLink : public TGLSceneObject {
public:
  TChainLink(TGLBaseSceneObject* AOwner, Single Pitch, Single PlateWidth, Integer Kind, Integer Slices);
  Single Pitch;
  Single PlateWidth;
  Integer Kind;
  Integer Slices;
  TGLSceneObject* GetPin() const;
  void SetPinMaterial(const TGLMaterial& material);
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
  // The links of a chain come in two forms: one list for each.
  std::string ListKey() const override;
};

// One spoke of a wheel: a bar of Width from the hub out to Radius along +X, and the hub
// ring's sector of AngleDeg centred on it, so that copies turned by AngleDeg make the hub.
class TSpoke : public TGLSceneObject {
public:
  TSpoke(TGLBaseSceneObject* AOwner, Single Radius, Single Width, Single Thickness, Integer AngleDeg, Integer Segments);
  Single Radius;
  Single Width;
  Single Thickness;
  Integer AngleDeg;
  Integer Segments;
  Single HubRadius() const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// Optional faces of a pulley.
enum TVPulleyFace : Byte {
  vpfFrontRim = 1,     // the rim ring's front face (InnerRadius to RadiusA at z = +Width/2)
  vpfBackRim = 2,      // the rim ring's back face
  vpfFrontWeb = 4,     // a solid disc inside the rim, front
  vpfBackWeb = 8,      // the same at the back
  vpfInnerWall = 16,   // the rim ring's inner wall, for spoked wheels
};

// A pulley about Z drawn with GLU quadrics, Width wide, centred on z = 0: a V groove from
// the rim radius RadiusA down to RadiusB at the middle (GrooveKind 0) or a flat band at
// RadiusB between two flanges of RadiusA (any other GrooveKind).
class TVPulley : public TGLSceneObject {
public:
  TVPulley(TGLBaseSceneObject* AOwner, Single RadiusA, Single RadiusB, Single Width, Integer Slices, Integer N,
           Byte Faces);
  Single RadiusA;
  Single RadiusB;
  Single Width;
  Integer Slices;
  Integer N;
  Byte Faces;
  Single InnerRadius;
  Byte GrooveKind = 0;
  void BuildList(TRenderContextInfo& rci) override;
  // Closed when both rim faces are drawn and the middle is shut by both webs, or left open
  // as a hole lined by the rim's inner wall.
  bool IsClosedSolid() const override;
};

// --- shafts, links and frames -----------------------------------------------------------

// A round shaft along Z, centred on its origin, with a key slot on its +Y side.
class TSlotAxle : public TGLSceneObject {
public:
  TSlotAxle(TGLBaseSceneObject* AOwner, Single Radius, Single Length, Single SlotWidth, Single SlotDepth,
            Integer Slices);
  Single Radius;
  Single Length;
  Single SlotWidth;
  Single SlotDepth;
  Integer Slices;
  TGLVertexArray Outline() const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A pin joining links, along Z, centred on its origin: a shank of RadiusA and Length with a
// head of RadiusB and HeadThickness at each end (mode 0) or at the front only (any other).
class TLinkAxle : public TGLSceneObject {
public:
  TLinkAxle(TGLBaseSceneObject* AOwner, Single Length, Single RadiusA, Single RadiusB, Single HeadThickness,
            Integer Slices, Integer Mode);
  Single Length;
  Single RadiusA;
  Single RadiusB;
  Single HeadThickness;
  Integer Slices;
  Integer Mode;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// Where a link bar lies against its origin.
enum TLinkagePlacement : Byte {
  lpFromOriginMinusX = 0,   // from its origin end along -X
  lpCentred = 1,            // centred on the origin, along X
  lpFromOriginPlusX = 2,    // from its origin end along +X
};

// A flat bar with semicircular ends of EndRadius whose end centres lie Length apart.
class TLinkage : public TGLSceneObject {
public:
  TLinkage(TGLBaseSceneObject* AOwner, Single EndRadius, Single Thickness, Single Length, Integer Segments);
  Single EndRadius;
  Single Thickness;
  Single Length;
  Integer Segments;
  Byte Placement = lpFromOriginMinusX;
  bool SideColoured = false;
  TSideColour SideColour = GreySideColour;
  void Assign(const TGLBaseSceneObject& src) override;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A crank arm from a boss of BossRadius1 at its origin to a boss of BossRadius2 Length along
// +X; the arm tapers from ArmWidth1 to ArmWidth2.
class TCrank : public TGLSceneObject {
public:
  TCrank(TGLBaseSceneObject* AOwner, Single BossRadius1, Single BossRadius2, Single ArmWidth1, Single ArmWidth2,
         Single Thickness, Single Length, Integer Segments);
  Single BossRadius1;
  Single BossRadius2;
  Single ArmWidth1;
  Single ArmWidth2;
  Single Thickness;
  Single Length;
  Integer Segments;
  TGLVertexArray Outline() const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// An open box of the outer sizes given, centred on its origin: a floor at -Y and two side
// walls at +-X, open at the top and at the ends along Z (style 1: the two side walls and
// the floor with square corners; style 2: the same with the floor's corners rounded to
// CornerRadius in CornerSegments steps; style 3: four walls round a floor, open at the top;
// any other: a square tube along Z).
class TOpenBox : public TGLSceneObject {
public:
  TOpenBox(TGLBaseSceneObject* AOwner, Single SizeX, Single SizeY, Single SizeZ, Single WallThickness);
  Single SizeX;
  Single SizeY;
  Single SizeZ;
  Single WallThickness;
  Byte GetStyle() const { return FStyle; }
  void SetStyle(Byte v);
  Single GetCornerRadius() const { return FCornerRadius; }
  void SetCornerRadius(Single v);
  Integer GetCornerSegments() const { return FCornerSegments; }
  void SetCornerSegments(Integer v);
  bool GetSideColour() const { return FSideColour; }
  void SetSideColour(bool v);
  TSideColour SideColour = GreySideColour;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }

private:
  Byte FStyle = 1;
  Single FCornerRadius = 0;
  Integer FCornerSegments = 4;
  bool FSideColour = false;
};

// The fork of a roller follower, centred on its origin: two plates PlateThickness thick
// standing either side of the roller (at z = +-SizeZ/2 inside), SizeY tall, SizeX wide,
// joined by a bridge across the top.
class TWheelBracket : public TGLSceneObject {
public:
  TWheelBracket(TGLBaseSceneObject* AOwner, Single SizeX, Single SizeY, Single SizeZ, Single PlateThickness);
  Single SizeX;
  Single SizeY;
  Single SizeZ;
  Single PlateThickness;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// --- cams and engine parts ----------------------------------------------------------------

// A circular-arc cam: the base circle about the origin, the nose circle centred
// NoseDistance along local -X, joined by straight tangent flanks.
class TCam : public TGLSceneObject {
public:
  TCam(TGLBaseSceneObject* AOwner, Single BaseRadius, Single NoseRadius, Single NoseDistance, Single Thickness,
       Integer Segments);
  Single BaseRadius;
  Single NoseRadius;
  Single NoseDistance;
  Single Thickness;
  Integer Segments;
  bool SideColoured = true;
  TSideColour SideColour = BronzeSideColour;
  // The outline, counter-clockwise, nose along -X (or +X when noseAlongPlusX).
  TGLVertexArray Outline(bool noseAlongPlusX = false) const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A crank web: the cam's outline with the nose NoseDistance along +X, where it carries the
// crank pin.
class TBigEnd : public TCam {
public:
  using TCam::TCam;
  void BuildList(TRenderContextInfo& rci) override;
};

// A heart cam: radius BaseRadius + RisePerRadian x a for the polar angle a from 0 (+X) to
// pi, mirrored beyond.
class THeartCam : public TGLSceneObject {
public:
  THeartCam(TGLBaseSceneObject* AOwner, Single RisePerRadian, Single BaseRadius, Single Thickness, Integer Segments);
  Single RisePerRadian;
  Single BaseRadius;
  Single Thickness;
  Integer Segments;
  bool SideColoured = true;
  TSideColour SideColour = BronzeSideColour;
  Single RadiusAt(Single angle) const;   // radians
  TGLVertexArray Outline() const;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// A connecting rod from its big end at the origin to its small end at local Y = Length.
class TCrankEx : public TGLSceneObject {
public:
  explicit TCrankEx(TGLBaseSceneObject* AOwner);
  Single Length = 1.0f;
  Single BigEndRadius = 0.1f;
  Single SmallEndRadius = 0.07f;
  Single BigEndBore = 0.05f;
  Single SmallEndBore = 0.035f;
  Single ShankWidth = 0.07f;
  Single Thickness = 0.1f;
  Integer Segments = 20;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// An engine piston along Y with its pin at the origin: radius A, crown B thick, skirt
// reaching C below the pin, D tall in all, walls E thick; two ring grooves under the crown.
class TPiston : public TGLSceneObject {
public:
  TPiston(TGLBaseSceneObject* AOwner, Single A, Single B, Single C, Single D, Single E, Integer Slices);
  Single A;
  Single B;
  Single C;
  Single D;
  Single E;
  Integer Slices;
  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
};

// The second half of the library: belts' and machines' neighbours of the same module,
// declared in their own headers (each of them may build on the classes above).
#include "parts/CamDrum.h"
#include "parts/ToggleLinks.h"
#include "parts/RatchetParts.h"
#include "parts/RopeParts.h"
#include "parts/ScrewParts.h"
#include "parts/SlabParts.h"
#include "parts/SlotLinks.h"
