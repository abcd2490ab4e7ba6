// Screw threads, the nuts that go on them, and the bent bar of a crank handle.
#pragma once

#include "engine/GLScene.h"
#include "parts/PartGeometry.h"

using TThreadProfile = Byte;
constexpr TThreadProfile tpVee = 0;
constexpr TThreadProfile tpSquare = 1;
constexpr TThreadProfile tpButtress = 2;
constexpr TThreadProfile tpAcme = 3;   // and every value above

enum TScrewPart : Byte { spStartCap = 0, spEndCap = 1, spRunIn = 2, spRunOut = 3 };
// A set of TScrewPart, one bit per element.
using TScrewParts = Byte;
constexpr TScrewParts ScrewParts(std::initializer_list<TScrewPart> parts)
{
  TScrewParts s = 0;
  for (TScrewPart p : parts)
    s = TScrewParts(s | (1u << p));
  return s;
}

// A helical thread along local +X from X = 0: the ridge of a screw or the groove of a nut.
class TScrew : public TGLSceneObject {
public:
  TScrew(TGLBaseSceneObject* AOwner, Single Radius, Single ThreadDepth, Single Pitch, Single ThreadWidth, Integer Turns,
         Integer SegmentsPerTurn);
  Single Radius;
  Single ThreadDepth;
  Single Pitch;
  Single ThreadWidth;
  Integer SegmentsPerTurn;
  Integer Turns;
  TThreadProfile Profile = tpVee;
  bool InternalThread = false;
  TScrewParts Parts = ScrewParts({spEndCap, spRunIn});
  bool LeftHanded = false;

  void SetOption1(TThreadProfile Value);   // Profile
  void SetThreadStyle(bool Value);         // InternalThread
  void SetParts(TScrewParts Value);
  void SetOption4(bool Value);   // LeftHanded
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  // An outside thread whose ends are closed (a cap, or a run that meets the core) shows
  // only its outer faces: the open underside lies on the core.
  bool IsClosedSolid() const override;

private:
  void BuildExternal();
  void BuildInternal();
};

class THexNut : public TGLSceneObject {
public:
  THexNut(TGLBaseSceneObject* AOwner, Single Radius, Single HoleRadius, Single Thickness);
  Single Radius;   // axis to corner
  Single HoleRadius;
  Single Thickness;
  bool Solid = false;   // True: no hole
  void SetSolid(bool Value);
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
};

class TSquareNut : public TGLSceneObject {
public:
  TSquareNut(TGLBaseSceneObject* AOwner, Single Size, Single HoleRadius, Single Thickness, Integer Segments);
  Single HoleRadius;
  Single Size;
  Single Thickness;
  Integer Segments;   // steps round the hole, used as a multiple of 4
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
};

// A sector of a torus about Z; the ends stay open.
class TPartialTorus : public TGLSceneObject {
public:
  TPartialTorus(TGLBaseSceneObject* AOwner, Single MajorRadius, Single MinorRadius, Single StartAngle, Single EndAngle,
                Integer Segments, Integer Sides);
  Single MajorRadius;
  Single MinorRadius;
  Integer Segments;
  Integer Sides;
  Single StartAngle;   // radians (the constructor takes degrees)
  Single EndAngle;
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
};
