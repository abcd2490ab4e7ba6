// Shapes of revolution with straight outlines (cylinder, cone, annulus), the truncated
// pyramid and the torus.
#pragma once

#include <memory>

#include "engine/GLObjects.h"

// What cylinders and annuli share: the bottom radius, height and subdivisions. The shape is
// centred on its origin along local Y, the bottom at -Height/2.
class TCylinderBase : public TGLSceneObject {
public:
  explicit TCylinderBase(TGLBaseSceneObject* AOwner = nullptr) : TGLSceneObject(AOwner) {}

  Single GetBottomRadius() const { return FBottomRadius; }
  void SetBottomRadius(Single v);
  // A scene may change the height every frame: each change rebuilds once.
  Single GetHeight() const { return FHeight; }
  void SetHeight(Single v);
  Integer GetSlices() const { return FSlices; }
  void SetSlices(Integer v);   // at least 3
  Integer GetStacks() const { return FStacks; }
  void SetStacks(Integer v);   // at least 1
  Integer GetLoops() const { return FLoops; }
  void SetLoops(Integer v);   // at least 1
  TNormalDirection GetNormalDirection() const { return FNormalDirection; }
  void SetNormalDirection(TNormalDirection v);
  void Assign(const TGLBaseSceneObject& src) override;

protected:
  Single FBottomRadius = 0.5f;
  Single FHeight = 1;
  Integer FSlices = 16;
  Integer FStacks = 4;
  Integer FLoops = 1;
  TNormalDirection FNormalDirection = ndOutside;
};

enum TCylinderPart : uint8_t { cySides = 1, cyBottom = 2, cyTop = 4 };
using TCylinderParts = uint8_t;
constexpr TCylinderParts cyAll = cySides | cyBottom | cyTop;

// A cylinder or cone frustum (either radius may be 0).
class TCylinder : public TCylinderBase {
public:
  explicit TCylinder(TGLBaseSceneObject* AOwner = nullptr) : TCylinderBase(AOwner) {}
  TCylinder(TGLBaseSceneObject* AOwner, Single bottomRadius, Single topRadius, Single height, Integer slices,
            Integer stacks, Integer loops, TCylinderParts parts, TNormalDirection normals);
  static std::unique_ptr<TCylinder> CreateSized(TGLBaseSceneObject* AOwner, Single bottomRadius, Single topRadius,
                                                Single height, Integer slices, Integer stacks, Integer loops,
                                                TCylinderParts parts, TNormalDirection normals);

  Single GetTopRadius() const { return FTopRadius; }
  void SetTopRadius(Single v);
  TCylinderParts GetParts() const { return FParts; }
  void SetParts(TCylinderParts v);

  void BuildList(TRenderContextInfo& rci) override;
  // Closed with both caps and the normals outside.
  bool IsClosedSolid() const override;
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Single FTopRadius = 0.5f;
  TCylinderParts FParts = cyAll;
};

enum TAnnulusPart : uint8_t { anInnerSides = 1, anOuterSides = 2, anBottom = 4, anTop = 8 };
using TAnnulusParts = uint8_t;
constexpr TAnnulusParts anAll = anInnerSides | anOuterSides | anBottom | anTop;

// A thick ring along local Y: outer and inner radii at the bottom and at the top.
class TAnnulus : public TCylinderBase {
public:
  explicit TAnnulus(TGLBaseSceneObject* AOwner = nullptr);
  TAnnulus(TGLBaseSceneObject* AOwner, Single topRadius, Single topInnerRadius, Single bottomRadius,
           Single bottomInnerRadius, Single height, TAnnulusParts parts);
  static std::unique_ptr<TAnnulus> CreateSized(TGLBaseSceneObject* AOwner, Single topRadius, Single topInnerRadius,
                                               Single bottomRadius, Single bottomInnerRadius, Single height,
                                               TAnnulusParts parts);

  Single GetTopRadius() const { return FTopRadius; }
  void SetTopRadius(Single v);
  Single GetTopInnerRadius() const { return FTopInnerRadius; }
  void SetTopInnerRadius(Single v);
  Single GetBottomInnerRadius() const { return FBottomInnerRadius; }
  void SetBottomInnerRadius(Single v);
  TAnnulusParts GetParts() const { return FParts; }
  void SetParts(TAnnulusParts v);

  void BuildList(TRenderContextInfo& rci) override;
  // Closed with all four parts and the normals outside.
  bool IsClosedSolid() const override;
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Single FTopRadius = 0.5f;
  Single FTopInnerRadius = 0.3f;
  Single FBottomInnerRadius = 0.3f;
  TAnnulusParts FParts = anAll;
};

// A pyramid on a rectangular base, cut at Height: the base (BaseWidth along X, BaseDepth
// along Z) lies in the plane y = 0 centred on the origin, the cut at y = Height, the apex
// of the uncut pyramid at y = ApexHeight.
class TFrustrum : public TGLSceneObject {
public:
  explicit TFrustrum(TGLBaseSceneObject* AOwner = nullptr) : TGLSceneObject(AOwner) {}

  Single GetBaseWidth() const { return FBaseWidth; }
  void SetBaseWidth(Single v);
  Single GetBaseDepth() const { return FBaseDepth; }
  void SetBaseDepth(Single v);
  Single GetHeight() const { return FHeight; }
  void SetHeight(Single v);
  Single GetApexHeight() const { return FApexHeight; }
  void SetApexHeight(Single v);
  TNormalDirection GetNormalDirection() const { return FNormalDirection; }
  void SetNormalDirection(TNormalDirection v);

  // Width and depth of the cut face (0 when the cut reaches the apex or beyond).
  Single TopWidth() const;
  Single TopDepth() const;

  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return FNormalDirection == ndOutside; }
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Single FBaseWidth = 1;
  Single FBaseDepth = 1;
  Single FHeight = 0.5f;
  Single FApexHeight = 1;
  TNormalDirection FNormalDirection = ndOutside;
};

// A ring torus in the XY plane round local Z: Rings steps round the major circle, Sides
// round the tube.
class TTorus : public TGLSceneObject {
public:
  explicit TTorus(TGLBaseSceneObject* AOwner = nullptr) : TGLSceneObject(AOwner) {}

  Single GetMajorRadius() const { return FMajorRadius; }
  void SetMajorRadius(Single v);
  Single GetMinorRadius() const { return FMinorRadius; }
  void SetMinorRadius(Single v);
  Integer GetRings() const { return FRings; }
  void SetRings(Integer v);   // at least 3
  Integer GetSides() const { return FSides; }
  void SetSides(Integer v);   // at least 3

  void BuildList(TRenderContextInfo& rci) override;
  bool IsClosedSolid() const override { return true; }
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Single FMajorRadius = 0.4f;
  Single FMinorRadius = 0.1f;
  Integer FRings = 25;
  Integer FSides = 15;
};
