// Ropes, chains and coils: the hoist rope reeved over its sheaves, the endless hand chain
// of the differential pulley, and the helix of springs and wound ropes.
#pragma once

#include <array>

#include "engine/GLScene.h"
#include "parts/PartHelpers.h"

// One row of a rope's section table: r cos phi, r sin phi, sin phi, cos phi.
using TRopeSection = TTubeSection;

class TRope : public TGLSceneObject {
public:
  TRope(TGLBaseSceneObject* AOwner, Single SheaveRadius, Single SmallSheaveRadius, Single Drop, Single Thickness,
        Integer SheaveCount, Integer Sides, Integer ArcSegments);
  Single SheaveRadius;
  Single SmallSheaveRadius;
  Integer SheaveCount;   // 2, 3 or 4 choose a reeving; anything else one sheave
  Single Drop;
  Integer ArcSegments;
  Integer Sides;
  Single Extent = 0;
  Single Thickness;
  std::vector<TRopeSection> Section;
  Single EndDrop = 0.3f;

  void SetExtent(Single Value);
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;

private:
  // Remakes the section table with `sides` steps round the current Thickness.
  void BuildSection(Integer sides);
  void Arc(Single rho0, Single y0, Single a0, Single a1);
  void VerticalRun(Single x, Single y1, Single y2);
  void Straight(Single yc, Single rho0, Single lambda, Single dx, Single dy);
  Integer FSectionSides = -1;   // the field's value the table was made for
  Single FSectionThickness = 0;
  Integer FArcSteps = 1;   // steps of every arc in the current build
};

// Four corner points of one entry of a link outline: outer and inner on the +h face, then
// the same on the -h face.
using TLinkEntry = std::array<TAffineVector, 4>;
using TLinkOutline = std::array<TLinkEntry, 8>;

class TWestonRope : public TGLSceneObject {
public:
  TWestonRope(TGLBaseSceneObject* AOwner, Single LargeRadius, Single SmallRadius, Single PulleyRadius, Single Drop,
              Single Offset);
  Single LargeRadius;
  Single SmallRadius;
  Single PulleyRadius;
  Single Drop;
  Single Offset;
  Single LinkLength = 0.08f;
  Single LinkWidth = 0.032f;
  Single WireThickness = 0.008f;
  Single Angle = 0;
  TLinkOutline FlatLink{};
  TLinkOutline UprightLink{};

  void SetAngle(Single Value);
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
  // Every link is a closed ring of its own.
  bool IsClosedSolid() const override { return true; }
  // The chain path at the current angle: the link positions, the last one closing the loop.
  TGLVertexArray Path() const;
  // The total length of the path and the point at arc length s (0 <= s <= length).
  Single PathLength() const;
  TAffineVector PathPoint(Single s) const;

private:
  void BuildOutlines();
  void DrawLink(const TLinkOutline& link, bool flat) const;
};

class THelix : public TGLSceneObject {
public:
  THelix(TGLBaseSceneObject* AOwner, Single CoilRadius, Single WireRadius, Single Pitch, Single Turns,
         Integer SegmentsPerTurn, Integer Sides);
  Single CoilRadius;
  Single WireRadius;
  Integer SegmentsPerTurn;
  Integer Sides;
  Single Turns;
  Single Pitch;
  Byte Ends = 0b11;   // element 0: cap at the start; 1: at the end

  void SetEnds(Byte Value);
  void SetTurns(Single Value);
  void Assign(const TGLBaseSceneObject& Source) override;
  void BuildList(TRenderContextInfo& rci) override;
};
