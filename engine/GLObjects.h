// Basic shapes (cube, sphere) and lines through nodes, with the node lists that lines,
// pipes and solids of revolution share.
#pragma once

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "engine/GLScene.h"

// Which way the normals of a closed shape point.
enum TNormalDirection : uint8_t { ndInside, ndOutside };

class TGLNodes;

// One point of a node list. X, Y and Z may be written directly (no notification, as the
// scenes do before the first frame); the setters tell the list, which tells its object.
class TGLNode {
public:
  explicit TGLNode(TGLNodes* owner = nullptr) : FOwner(owner) {}
  virtual ~TGLNode() = default;
  TGLNode(const TGLNode&) = delete;
  TGLNode& operator=(const TGLNode&) = delete;

  Single X = 0, Y = 0, Z = 0;

  Single GetX() const { return X; }
  Single GetY() const { return Y; }
  Single GetZ() const { return Z; }
  void SetX(Single v);
  void SetY(Single v);
  void SetZ(Single v);
  TAffineVector AsAffineVector() const { return {X, Y, Z}; }
  TVector AsVector() const { return {X, Y, Z, 1}; }
  // Moves the node (w is ignored) and notifies.
  void SetAsVector(const TVector& v);
  void SetAsAffineVector(const TAffineVector& v);
  // Copies the values of another node (of the same class where it has more); no notification.
  virtual void Assign(const TGLNode& src);
  TGLNodes* GetOwner() const { return FOwner; }

protected:
  void NotifyChange();

private:
  TGLNodes* FOwner;
};

// An ordered list of nodes, all of one class (the factory makes them).
class TGLNodes {
public:
  using TNodeFactory = std::function<std::unique_ptr<TGLNode>(TGLNodes* owner)>;
  // The default factory makes plain TGLNodes.
  explicit TGLNodes(TNodeFactory factory = {});
  TGLNodes(const TGLNodes&) = delete;
  TGLNodes& operator=(const TGLNodes&) = delete;

  // Called on every notifying change of the list or of one of its nodes.
  std::function<void()> OnNotifyChange;

  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  // Throws EGLSceneError for an index outside 0..Count-1.
  TGLNode* GetItem(Integer index) const;
  TGLNode* operator[](Integer index) const { return GetItem(index); }
  TGLNode* First() const { return FItems.empty() ? nullptr : FItems.front().get(); }
  TGLNode* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }
  // Appends a node at the origin, without notification.
  TGLNode* Add();
  // Appends a node at the point; notifies.
  TGLNode* AddNode(Single x, Single y, Single z);
  TGLNode* AddNode(const TAffineVector& v);
  // Appends without notification.
  TGLNode* AddNodeSilent(Single x, Single y, Single z);
  void Delete(Integer index);   // notifies; out-of-range indices are ignored
  void Clear();                 // notifies
  // Copies every node (through this list's factory); notifies.
  void Assign(const TGLNodes& src);
  std::vector<TAffineVector> AsAffineVectors() const;
  void NotifyChange();

private:
  TNodeFactory FFactory;
  std::vector<std::unique_ptr<TGLNode>> FItems;
};

// --- TCube -------------------------------------------------------------------------------

enum TCubePart : uint8_t { cpTop = 1, cpBottom = 2, cpFront = 4, cpBack = 8, cpLeft = 16, cpRight = 32 };
using TCubeParts = uint8_t;
constexpr TCubeParts cpAll = cpTop | cpBottom | cpFront | cpBack | cpLeft | cpRight;

// A box centred on its origin: width along X, height along Y, depth along Z. Front is +Z,
// right is +X, top is +Y.
class TCube : public TGLSceneObject {
public:
  explicit TCube(TGLBaseSceneObject* AOwner = nullptr) : TGLSceneObject(AOwner) {}
  TCube(TGLBaseSceneObject* AOwner, Single width, Single height, Single depth, TCubeParts parts = cpAll,
        TNormalDirection normals = ndOutside);
  static std::unique_ptr<TCube> CreateSized(TGLBaseSceneObject* AOwner, Single width, Single height, Single depth,
                                            TCubeParts parts = cpAll, TNormalDirection normals = ndOutside);

  Single GetCubeWidth() const { return FWidth; }
  void SetCubeWidth(Single v);
  Single GetCubeHeight() const { return FHeight; }
  void SetCubeHeight(Single v);
  Single GetCubeDepth() const { return FDepth; }
  void SetCubeDepth(Single v);
  TCubeParts GetParts() const { return FParts; }
  void SetParts(TCubeParts v);
  TNormalDirection GetNormalDirection() const { return FNormalDirection; }
  void SetNormalDirection(TNormalDirection v);

  void BuildList(TRenderContextInfo& rci) override;
  // Closed with all six faces and the normals outside.
  bool IsClosedSolid() const override { return FParts == cpAll && FNormalDirection == ndOutside; }
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Single FWidth = 1, FHeight = 1, FDepth = 1;
  TCubeParts FParts = cpAll;
  TNormalDirection FNormalDirection = ndOutside;
};

// --- TSphere -----------------------------------------------------------------------------

// A sphere centred on its origin, its poles on Y. Longitude runs from +Z (0 degrees)
// towards +X (90 degrees) to Stop, so Stop 180 draws the half on the +X side.
class TSphere : public TGLSceneObject {
public:
  explicit TSphere(TGLBaseSceneObject* AOwner = nullptr) : TGLSceneObject(AOwner) {}

  Single GetRadius() const { return FRadius; }
  void SetRadius(Single v);
  Integer GetSlices() const { return FSlices; }
  void SetSlices(Integer v);   // at least 3
  Integer GetStacks() const { return FStacks; }
  void SetStacks(Integer v);   // at least 2
  // Degrees of longitude drawn, 0 to 360.
  Integer GetStop() const { return FStop; }
  void SetStop(Integer v);
  TNormalDirection GetNormalDirection() const { return FNormalDirection; }
  void SetNormalDirection(TNormalDirection v);

  void BuildList(TRenderContextInfo& rci) override;
  // Closed when the whole round is drawn with the normals outside.
  bool IsClosedSolid() const override { return FStop >= 360 && FNormalDirection == ndOutside; }
  void Assign(const TGLBaseSceneObject& src) override;

private:
  Single FRadius = 0.5f;
  Integer FSlices = 16;
  Integer FStacks = 16;
  Integer FStop = 360;
  TNormalDirection FNormalDirection = ndOutside;
};

// --- lines -------------------------------------------------------------------------------

// Unlit lines in one colour. The colour and line settings are applied around the display
// list, so changing them needs no rebuild.
class TLineBase : public TGLImmaterialSceneObject {
public:
  explicit TLineBase(TGLBaseSceneObject* AOwner = nullptr);

  TGLColor LineColor{1, 1, 1, 1};
  void SetLineColor(const TGLColor& c);
  void SetLineColor(const TVector& c);
  Single GetLineWidth() const { return FLineWidth; }
  void SetLineWidth(Single v);
  bool GetAntiAliased() const { return FAntiAliased; }
  void SetAntiAliased(bool v);
  void Assign(const TGLBaseSceneObject& src) override;

protected:
  void RenderGeometry(TRenderContextInfo& rci) override;

private:
  Single FLineWidth = 1;
  bool FAntiAliased = false;
};

// How the nodes of a TLines are marked.
enum TLineNodesAspect : uint8_t { lnaInvisible, lnaAxes, lnaCube };

// One polyline through its nodes, in order.
class TLines : public TLineBase {
public:
  explicit TLines(TGLBaseSceneObject* AOwner = nullptr);

  TGLNodes Nodes;
  TGLNodes& GetNodes() { return Nodes; }
  // Appends a node and rebuilds before the next frame.
  void AddNode(Single x, Single y, Single z);
  void AddNode(const TAffineVector& v);
  // Appends without notification (for an object not yet drawn).
  void AddNodeSilent(Single x, Single y, Single z);

  TLineNodesAspect GetNodesAspect() const { return FNodesAspect; }
  void SetNodesAspect(TLineNodesAspect v);
  Single GetNodeSize() const { return FNodeSize; }
  void SetNodeSize(Single v);

  void BuildList(TRenderContextInfo& rci) override;
  void Assign(const TGLBaseSceneObject& src) override;

private:
  TLineNodesAspect FNodesAspect = lnaAxes;
  Single FNodeSize = 0.1f;
};

// Stores v in field and calls StructureChanged when it differs; NaN is refused.
template <class O, class T>
void SetShapeValue(O* obj, T& field, T v)
{
  if constexpr (std::is_floating_point_v<T>)
    if (v != v)
      return;
  if (field == v)
    return;
  field = v;
  obj->StructureChanged();
}

// The same for a size: negative, infinite and NaN values leave the old one.
template <class O>
void SetShapeSize(O* obj, Single& field, Single v)
{
  if (std::isfinite(v) && v >= 0)
    SetShapeValue(obj, field, v);
}
