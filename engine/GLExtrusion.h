// Swept shapes built from node lists: the pipe along a path, the solid of revolution and the
// extruded outline.
#pragma once

#include <memory>
#include <vector>

#include "engine/GLObjects.h"

// How the path between nodes is drawn: straight, or a cubic spline through the nodes.
enum TLineSplineMode : uint8_t { lsmLines, lsmCubicSpline };

// An object shaped by one list of nodes. Any change of the nodes rebuilds it.
class TPolygonBase : public TGLSceneObject {
public:
  explicit TPolygonBase(TGLBaseSceneObject* AOwner = nullptr);

  TGLNodes& GetNodes() { return *FNodes; }
  const TGLNodes& GetNodes() const { return *FNodes; }
  // Appends a node; notifies.
  void AddNode(Single x, Single y, Single z);
  void AddNode(const TAffineVector& v);
  void AddNodeVector(const TVector& v);

  TLineSplineMode GetSplineMode() const { return FSplineMode; }
  void SetSplineMode(TLineSplineMode v);
  // Steps between two nodes in spline mode.
  Integer GetDivision() const { return FDivision; }
  void SetDivision(Integer v);   // 1 to 100
  void Assign(const TGLBaseSceneObject& src) override;

protected:
  // For a class whose nodes carry more (the pipe).
  TPolygonBase(TGLBaseSceneObject* AOwner, TGLNodes::TNodeFactory factory);
  // The path as drawn: the nodes themselves, or the spline sampled Division times per span.
  // Also gives each point's parameter (node index, fractional between nodes).
  std::vector<TAffineVector> PathPoints(std::vector<Single>* params = nullptr) const;

private:
  void Init(TGLNodes::TNodeFactory factory);
  std::unique_ptr<TGLNodes> FNodes;
  TLineSplineMode FSplineMode = lsmLines;
  Integer FDivision = 10;
};

// A node of a pipe: the pipe's radius there is Radius times RadiusFactor.
class TGLPipeNode : public TGLNode {
public:
  using TGLNode::TGLNode;
  Single GetRadiusFactor() const { return FRadiusFactor; }
  // Negative and NaN factors are refused. Notifies.
  void SetRadiusFactor(Single v);
  void Assign(const TGLNode& src) override;

private:
  Single FRadiusFactor = 1;
};

enum TPipePart : uint8_t { ppOutside = 1, ppInside = 2, ppStartDisk = 4, ppStopDisk = 8 };
using TPipeParts = uint8_t;

// A tube along its nodes. Repeated nodes (zero-length spans) are skipped, so the tube's
// frames and normals stay defined.
class TPipe : public TPolygonBase {
public:
  explicit TPipe(TGLBaseSceneObject* AOwner = nullptr);

  Single GetRadius() const { return FRadius; }
  void SetRadius(Single v);
  Integer GetSlices() const { return FSlices; }
  void SetSlices(Integer v);   // at least 3
  TPipeParts GetParts() const { return FParts; }
  void SetParts(TPipeParts v);
  // The node at index as a pipe node (throws EGLSceneError outside the list).
  TGLPipeNode* GetPipeNode(Integer index) const;

  void BuildList(TRenderContextInfo& rci) override;
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Single FRadius = 1;
  Integer FSlices = 16;
  TPipeParts FParts = ppOutside;
};

enum TRevolutionSolidPart : uint8_t { rspOutside = 1, rspInside = 2, rspStartPolygon = 4, rspStopPolygon = 8 };
using TRevolutionSolidParts = uint8_t;

// The outline in the XY plane (x = radius, y = height) revolved a full turn about local Y.
// The start and stop polygons close the outline's first and last node to the axis where
// those nodes do not lie on it already.
class TRevolutionSolid : public TPolygonBase {
public:
  explicit TRevolutionSolid(TGLBaseSceneObject* AOwner = nullptr) : TPolygonBase(AOwner) {}

  Integer GetSlices() const { return FSlices; }
  void SetSlices(Integer v);   // at least 3
  TRevolutionSolidParts GetParts() const { return FParts; }
  void SetParts(TRevolutionSolidParts v);

  void BuildList(TRenderContextInfo& rci) override;
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Integer FSlices = 16;
  TRevolutionSolidParts FParts = rspOutside;
};

// An object shaped by several node lists (contours).
class TMultiPolygonBase : public TGLSceneObject {
public:
  explicit TMultiPolygonBase(TGLBaseSceneObject* AOwner = nullptr) : TGLSceneObject(AOwner) {}

  Integer GetContourCount() const { return static_cast<Integer>(FContours.size()); }
  // Throws EGLSceneError for an index outside the contours.
  TGLNodes& GetContour(Integer index) const;
  // Appends a node to the contour, creating contours up to that index; notifies.
  // A negative or absurd contour index throws EGLSceneError.
  void AddNode(Integer contour, Single x, Single y, Single z);
  void AddNode(Integer contour, const TAffineVector& v);
  void Clear();
  void Assign(const TGLBaseSceneObject& src) override;

  // Most contours an object takes.
  static constexpr Integer MaxContours = 1024;

private:
  TGLNodes& EnsureContour(Integer index);
  std::vector<std::unique_ptr<TGLNodes>> FContours;
};

enum TExtrusionSolidPart : uint8_t { espOutside = 1, espInside = 2, espStartPolygon = 4, espStopPolygon = 8 };
using TExtrusionSolidParts = uint8_t;

// How the walls' normals are worked out: one per face, or shared across the outline's
// corners where the walls meet at less than MinSmoothAngle.
enum TNormalSmoothing : uint8_t { nsFlat, nsSmooth, nsNone };

// The contours (in the XY plane) extruded from z = 0 to z = Height. The start polygon
// (z = 0, facing -Z) and the stop polygon (z = Height, facing +Z) are the region the
// contours bound, holes included, tessellated into triangles; concave outlines are fine.
class TExtrusionSolid : public TMultiPolygonBase {
public:
  explicit TExtrusionSolid(TGLBaseSceneObject* AOwner = nullptr) : TMultiPolygonBase(AOwner) {}

  Single GetHeight() const { return FHeight; }
  void SetHeight(Single v);
  Integer GetStacks() const { return FStacks; }
  void SetStacks(Integer v);   // at least 1
  TExtrusionSolidParts GetParts() const { return FParts; }
  void SetParts(TExtrusionSolidParts v);
  TNormalSmoothing GetNormals() const { return FNormals; }
  void SetNormals(TNormalSmoothing v);
  // Degrees, 0 to 180.
  Single GetMinSmoothAngle() const { return FMinSmoothAngle; }
  void SetMinSmoothAngle(Single v);

  void BuildList(TRenderContextInfo& rci) override;
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Single FHeight = 1;
  Integer FStacks = 1;
  TExtrusionSolidParts FParts = espOutside | espStartPolygon | espStopPolygon;
  TNormalSmoothing FNormals = nsFlat;
  Single FMinSmoothAngle = 5;
};
