// Shapes from Bezier curves: a solid ribbon between two cubic edges, and a quadratic patch.
#pragma once

#include <array>

#include "engine/GLObjects.h"

using TVector2f = std::array<Single, 2>;

// The side walls of a TBezierStrip, as a set of elements 0 to 3.
enum TBezierStripSide : uint8_t {
  bssFirstEdge = 1,    // 0: the wall along the first edge (points 0 to 3)
  bssSecondEdge = 2,   // 1: the wall along the second edge (points 4 to 7)
  bssStart = 4,        // 2: the wall across the start (points 0 and 4)
  bssEnd = 8           // 3: the wall across the end (points 3 and 7)
};
using TBezierStripSides = uint8_t;
constexpr TBezierStripSides bssAll = bssFirstEdge | bssSecondEdge | bssStart | bssEnd;
// The set element of a wall number 0 to 3.
constexpr TBezierStripSides BezierStripSide(int element) { return TBezierStripSides(1u << (element & 3)); }

// A solid ribbon in the XY plane between two cubic Bezier edges (control points 0 to 3 and
// 4 to 7), Thickness deep along Z centred on z = 0, with Divisions steps along the edges.
// Derived classes may read the fields in their own way and draw their own BuildList.
class TBezierStrip : public TGLSceneObject {
public:
  explicit TBezierStrip(TGLBaseSceneObject* AOwner = nullptr);

  const TVector2f& GetControlPoint(Integer index) const;   // index clamped to 0..7
  // Stores one point (an index outside 0..7 is ignored); rebuilds when update is true.
  void SetControlPoint(Integer index, Single x, Single y, bool update);

  Single GetThickness() const { return FThickness; }
  void SetThickness(Single v);
  Integer GetDivisions() const { return FDivisions; }
  void SetDivisions(Integer v);   // 1 to 1000
  TBezierStripSides GetSides() const { return FSides; }
  void SetSides(TBezierStripSides v);
  // The side walls drawn in SideColour (the faces keep the material) when UseSideColour.
  const TVector& GetSideColour() const { return FSideColour; }
  void SetSideColour(const TVector& c);
  bool GetUseSideColour() const { return FUseSideColour; }
  void SetUseSideColour(bool v);

  // Point t (0 to 1) of a cubic Bezier through four points.
  static TVector2f BezierPoint(const TVector2f& p0, const TVector2f& p1, const TVector2f& p2, const TVector2f& p3,
                               Single t);

  void BuildList(TRenderContextInfo& rci) override;
  void Assign(const TGLBaseSceneObject& src) override;

protected:
  std::array<TVector2f, 8> FControlPoints{};
  Single FThickness = 0.1f;
  Integer FDivisions = 20;
  TBezierStripSides FSides = bssAll;
  TVector FSideColour{0.6f, 0.6f, 0.6f, 1};
  bool FUseSideColour = false;
};

// A quadratic Bezier patch of 3 by 3 control points. Control points are in units of the
// patch: x across Width, z across Depth (both from -0.5 to 0.5 in the flat default), y
// as it stands. The patch faces +Y.
class TBezierSurface : public TGLSceneObject {
public:
  explicit TBezierSurface(TGLBaseSceneObject* AOwner = nullptr);

  Single GetWidth() const { return FWidth; }
  void SetWidth(Single v);
  Single GetDepth() const { return FDepth; }
  void SetDepth(Single v);
  // Row and column 0 to 2 (rows along Z, columns along X); others are ignored.
  const TAffineVector& GetControlPoint(Integer row, Integer column) const;
  void SetControlPoint(Integer row, Integer column, const TAffineVector& p);
  Integer GetDivisions() const { return FDivisions; }
  void SetDivisions(Integer v);   // 1 to 200

  // The patch's point and unit normal at (u, v) in 0..1, in object space.
  TAffineVector SurfacePoint(Single u, Single v) const;
  TAffineVector SurfaceNormal(Single u, Single v) const;

  void BuildList(TRenderContextInfo& rci) override;
  void Assign(const TGLBaseSceneObject& src) override;

private:
  std::array<std::array<TAffineVector, 3>, 3> FPoints{};
  Single FWidth = 1;
  Single FDepth = 1;
  Integer FDivisions = 16;
};
