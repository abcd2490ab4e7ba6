// The scene graph: objects with a placement (position, direction, up, scale), owned ordered
// children, display lists built lazily and rebuilt after StructureChanged; the camera, the
// lights, the proxy and the scene that holds them all.
//
// Orientation: an object's local axes are Right (X), Up (Y) and Direction (Z), given in its
// parent's space. The angle setters rotate about the object's own axes by the difference
// between the new and the stored angle:
//   RollAngle  about Direction; positive turns +Y towards -X (counter-clockwise from +Z);
//   PitchAngle about Right;     positive turns +Z towards +Y (the nose comes up);
//   TurnAngle  about Up;        positive turns +Z towards +X.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLMaterial.h"
#include "engine/GLRenderContextInfo.h"
#include "engine/OpenGL1x.h"
#include "platform/SysUtils.h"

class TGLBaseSceneObject;
class TGLScene;

class EGLSceneError : public Exception {
  using Exception::Exception;
};

// What "point" coordinates force: w = 1 for a point, w = 0 for a vector, nothing otherwise.
enum class TGLCoordinatesStyle : uint8_t { csUnknown, csPoint, csVector };

// Four Singles with a change notification. The fields may be written directly (as the
// scene builders do before the first frame): that does not notify.
class TGLCoordinates {
public:
  TGLCoordinates(Single x = 0, Single y = 0, Single z = 0, Single w = 0,
                 TGLCoordinatesStyle style = TGLCoordinatesStyle::csUnknown);
  TGLCoordinates(const TGLCoordinates&) = delete;
  TGLCoordinates& operator=(const TGLCoordinates&) = delete;

  Single X, Y, Z, W;
  // Called after every notifying change.
  std::function<void()> OnNotifyChange;

  TGLCoordinatesStyle GetStyle() const { return FStyle; }
  // x, y, z with w = 1; notifies.
  void SetPoint(Single x, Single y, Single z);
  // x, y, z with w = 0; notifies.
  void SetVector(Single x, Single y, Single z);
  // Index 0 X, 1 Y, 2 Z, 3 W; other indices are ignored. Notifies.
  void SetCoordinate(Integer index, Single value);
  Single GetCoordinate(Integer index) const;
  // All four (w forced to 1 for a point style, 0 for a vector style); notifies.
  void SetAsVector(const TVector& v);
  void SetAsAffineVector(const TAffineVector& v);
  TVector AsVector() const { return {X, Y, Z, W}; }
  TAffineVector AsAffineVector() const { return {X, Y, Z}; }
  // Multiplies X, Y and Z in place, without notification.
  void ScaleBy(Single factor);
  void Translate(const TAffineVector& v);   // notifies
  // Copies all four values and notifies.
  void Assign(const TGLCoordinates& src);
  void NotifyChange();

private:
  TGLCoordinatesStyle FStyle;
};

using TProgressEvent = std::function<void(TObject* Sender, double deltaTime, double newTime)>;

// An object of the scene graph. It owns its children; every other pointer to it is a view.
class TGLBaseSceneObject : public TObject {
public:
  // The owner is accepted for the classic signature only: ownership comes from AddChild.
  explicit TGLBaseSceneObject(TGLBaseSceneObject* AOwner = nullptr);
  ~TGLBaseSceneObject() override;
  TGLBaseSceneObject(const TGLBaseSceneObject&) = delete;
  TGLBaseSceneObject& operator=(const TGLBaseSceneObject&) = delete;

  std::string Name;
  TGLCoordinates Position;
  TGLCoordinates Direction;
  TGLCoordinates Up;
  TGLCoordinates Scale;
  // Called by the cadencer's progress with the elapsed and total seconds.
  TProgressEvent OnProgress;

  // --- children ---
  // Appends child as the last child and takes ownership; its index is the count before.
  template <class T>
  T* AddChild(std::unique_ptr<T> child)
  {
    static_assert(std::is_base_of_v<TGLBaseSceneObject, T>);
    T* p = child.get();
    InsertChild(std::unique_ptr<TGLBaseSceneObject>(std::move(child)));
    return p;
  }
  // Creates a T (owner null, then args) and appends it.
  template <class T, class... A>
  T* AddNewChild(A&&... args)
  {
    return AddChild(std::make_unique<T>(nullptr, std::forward<A>(args)...));
  }
  Integer GetCount() const { return static_cast<Integer>(FChildren.size()); }
  // Throws EGLSceneError for an index outside 0..Count-1.
  TGLBaseSceneObject* GetChild(Integer index) const;
  // The child as a T, or null when the index is out of range or the class differs.
  template <class T>
  T* GetChildAs(Integer index) const
  {
    return index >= 0 && index < GetCount() ? dynamic_cast<T*>(FChildren[size_t(index)].get()) : nullptr;
  }
  Integer IndexOfChild(const TGLBaseSceneObject* child) const;
  // Frees every child, last first.
  void DeleteChildren();
  // Takes the child out of the list and hands it back (null when it is not a child).
  std::unique_ptr<TGLBaseSceneObject> Remove(TGLBaseSceneObject* child);
  TGLBaseSceneObject* GetParent() const { return FParent; }
  // The scene the object's tree hangs in, or null.
  TGLScene* GetScene() const;

  // --- placement ---
  Single GetRollAngle() const { return FRollAngle; }
  void SetRollAngle(Single degrees);
  Single GetPitchAngle() const { return FPitchAngle; }
  void SetPitchAngle(Single degrees);
  Single GetTurnAngle() const { return FTurnAngle; }
  void SetTurnAngle(Single degrees);
  // Rotations by a delta about the object's own axes (the stored angles stay).
  void Roll(Single degrees);
  void Pitch(Single degrees);
  void Turn(Single degrees);
  // About right, up and direction in that order, by the full angles.
  void RotateByAngles(Single pitch, Single turn, Single roll);
  // Copy another object's vectors.
  void SetDirection(const TGLCoordinates& src) { Direction.Assign(src); }
  void SetUp(const TGLCoordinates& src) { Up.Assign(src); }
  // Direction +Z, up +Y, angles 0.
  void ResetRotations();
  // Local to parent: scale, then the orientation, then the position.
  TMatrix LocalMatrix() const;
  // Local to scene.
  TMatrix AbsoluteMatrix() const;
  TVector AbsolutePosition() const;
  // Orthonormal axes of the current orientation, in the parent's space.
  TAffineVector RightVector() const;
  TAffineVector UpVector() const;
  TAffineVector DirectionVector() const;

  bool GetVisible() const { return FVisible; }
  void SetVisible(bool v);
  bool GetShowAxes() const { return FShowAxes; }
  void SetShowAxes(bool v);

  // Copies placement, angles, visibility and axes (not children, not the name).
  virtual void Assign(const TGLBaseSceneObject& src);

  // Marks the display list for rebuilding before the next frame.
  void StructureChanged();
  void TransformationChanged();
  void NotifyChange();
  bool GetStructureChangedFlag() const { return FStructureDirty; }

  // --- rendering ---
  // Issues the object's own geometry; recorded into its display list.
  virtual void BuildList(TRenderContextInfo& rci) {}
  // With the object's matrix applied: its own geometry (material and list) when renderSelf,
  // then its visible children when renderChildren.
  virtual void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren);
  // The whole subtree: nothing when invisible; else push, multiply by LocalMatrix, DoRender, pop.
  void Render(TRenderContextInfo& rci);
  // Advances OnProgress of the object and its subtree.
  virtual void DoProgress(double deltaTime, double newTime);
  // True for a class whose geometry is closed surfaces only, every face wound
  // counter-clockwise seen from outside: its back faces can never show, so GL culls them
  // and rasterises half as much. The default, false, suits open or thin shapes seen from
  // both sides.
  virtual bool IsClosedSolid() const { return false; }
  // Names the geometry BuildList issues, for a class whose list follows from its fields
  // alone: objects with equal keys share one display list (compiled once, however many
  // links a chain has). Empty, the default: a list of the object's own.
  virtual std::string ListKey() const { return {}; }

  // A watcher is told (ReferenceFreed) when this object is freed, so it drops its pointer.
  void AddWatcher(TGLBaseSceneObject* watcher);
  void RemoveWatcher(TGLBaseSceneObject* watcher);

protected:
  // The geometry only: display list built when needed, then called.
  void BuildOrCallList(TRenderContextInfo& rci);
  // Own geometry with whatever state the class needs around it (material...).
  virtual void RenderGeometry(TRenderContextInfo& rci) { BuildOrCallList(rci); }
  // Whether the class draws anything itself (a group does not, so it gets no list).
  virtual bool HasGeometry() const { return true; }
  // A key from the object's class and the numbers its geometry depends on.
  std::string MakeListKey(std::initializer_list<double> values) const;
  virtual void ReferenceFreed(TGLBaseSceneObject* obj) {}
  // Points slot at next (never at this object), watching it; false when nothing changed.
  bool Watch(TGLBaseSceneObject*& slot, TGLBaseSceneObject* next);
  void DrawAxes();

private:
  void InsertChild(std::unique_ptr<TGLBaseSceneObject> child);
  void ReleaseList();
  friend class TGLScene;
  friend class TGLProxyObject;

  TGLBaseSceneObject* FParent = nullptr;
  TGLScene* FScene = nullptr;   // set on the root only
  std::vector<std::unique_ptr<TGLBaseSceneObject>> FChildren;
  std::vector<TGLBaseSceneObject*> FWatchers;
  Single FRollAngle = 0;
  Single FPitchAngle = 0;
  Single FTurnAngle = 0;
  bool FVisible = true;
  bool FShowAxes = false;
  bool FStructureDirty = true;
  bool FDrawingAsMaster = false;
  GLuint FListHandle = 0;
  std::weak_ptr<TGLContextNames> FListContext;   // the context the list lives in
  std::string FSharedKey;                        // the key of the shared list held, or empty for an own list
};

// Culls back faces or stops culling them, for what is drawn next in this frame.
void SetBackFaceCulling(TRenderContextInfo& rci, bool cull);

// An object without a material of its own.
class TGLImmaterialSceneObject : public TGLBaseSceneObject {
public:
  using TGLBaseSceneObject::TGLBaseSceneObject;
};

// An object drawn in its own material.
class TGLCustomSceneObject : public TGLBaseSceneObject {
public:
  using TGLBaseSceneObject::TGLBaseSceneObject;
  TGLMaterial Material;
  void SetMaterial(const TGLMaterial& m) { Material = m; }
  void Assign(const TGLBaseSceneObject& src) override;

protected:
  void RenderGeometry(TRenderContextInfo& rci) override;
};

// Base of every part and shape.
class TGLSceneObject : public TGLCustomSceneObject {
public:
  using TGLCustomSceneObject::TGLCustomSceneObject;
};

// An invisible group: draws nothing itself, only its children.
class TDummyCube : public TGLImmaterialSceneObject {
public:
  using TGLImmaterialSceneObject::TGLImmaterialSceneObject;

protected:
  bool HasGeometry() const override { return false; }
};

enum TGLProxyObjectOption : uint8_t { pooEffects = 1, pooObjects = 2, pooTransformation = 4 };
using TGLProxyObjectOptions = uint8_t;

// Draws its master's geometry and the master's children again under its own placement.
// With pooTransformation the master's own placement applies inside the proxy's. The
// master is drawn whether or not it is visible itself (a hidden master is a template).
class TGLProxyObject : public TGLBaseSceneObject {
public:
  using TGLBaseSceneObject::TGLBaseSceneObject;
  ~TGLProxyObject() override;
  TGLBaseSceneObject* GetMasterObject() const { return FMaster; }
  void SetMasterObject(TGLBaseSceneObject* master);
  TGLProxyObjectOptions GetProxyOptions() const { return FOptions; }
  void SetProxyOptions(TGLProxyObjectOptions o);
  void DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren) override;
  void Assign(const TGLBaseSceneObject& src) override;

protected:
  bool HasGeometry() const override { return false; }
  void ReferenceFreed(TGLBaseSceneObject* obj) override;

private:
  TGLBaseSceneObject* FMaster = nullptr;
  TGLProxyObjectOptions FOptions = pooEffects | pooObjects | pooTransformation;
};

enum class TLightStyle : uint8_t { lsSpot, lsOmni, lsParallel };

// A GL light placed in the scene; the buffer switches it on for the frame.
class TGLLightSource : public TGLImmaterialSceneObject {
public:
  explicit TGLLightSource(TGLBaseSceneObject* AOwner = nullptr);
  TGLColor Ambient;
  TGLColor Diffuse;
  TGLColor Specular;
  TGLCoordinates SpotDirection;
  bool GetShining() const { return FShining; }
  void SetShining(bool v);
  TLightStyle GetLightStyle() const { return FLightStyle; }
  void SetLightStyle(TLightStyle s);
  Single GetSpotCutOff() const { return FSpotCutOff; }
  void SetSpotCutOff(Single v);   // 0..90, or 180 for no cone
  Single GetSpotExponent() const { return FSpotExponent; }
  void SetSpotExponent(Single v);   // 0..128
  Single ConstAttenuation = 1;
  Single LinearAttenuation = 0;
  Single QuadraticAttenuation = 0;
  // Sets GL light number `light` from the light's place and colours; the modelview must hold
  // the camera's view.
  void SetupLight(GLenum light) const;

protected:
  bool HasGeometry() const override { return false; }

private:
  bool FShining = true;
  TLightStyle FLightStyle = TLightStyle::lsOmni;
  Single FSpotCutOff = 180;
  Single FSpotExponent = 0;
};

// The camera: a place, an up vector and a target it looks at.
class TGLCamera : public TGLBaseSceneObject {
public:
  explicit TGLCamera(TGLBaseSceneObject* AOwner = nullptr);
  ~TGLCamera() override;
  TGLBaseSceneObject* GetTargetObject() const { return FTarget; }
  void SetTargetObject(TGLBaseSceneObject* target);
  // Distance of the far clipping plane.
  Single GetDepthOfView() const { return FDepthOfView; }
  void SetDepthOfView(Single v);
  // The field of view is 2 atan(40 / FocalLength) across the viewport's shorter side: 200
  // shows about 4 units at a distance of 10 whether the view is wide or tall.
  Single GetFocalLength() const { return FFocalLength; }
  void SetFocalLength(Single v);
  Single FieldOfView() const;   // degrees, across the shorter side
  // Orbits the camera about its target: pitch about the camera's right axis (positive
  // lowers the camera), turn about its up axis (positive moves it to its right). Degrees.
  void MoveAroundTarget(Single pitchDelta, Single turnDelta);
  // Multiplies the distance to the target by ratio (positive and finite).
  void AdjustDistanceToTarget(Single ratio);
  Single DistanceToTarget() const;
  // Projection (gluPerspective) and view (gluLookAt) for a viewport of that size; in a
  // viewport taller than wide the vertical angle widens so the field of view spans the width.
  void Apply(Integer viewportWidth, Integer viewportHeight);

protected:
  bool HasGeometry() const override { return false; }
  void ReferenceFreed(TGLBaseSceneObject* obj) override;

private:
  // The target's absolute position in the camera's parent space.
  TAffineVector TargetInParentSpace() const;

  TGLBaseSceneObject* FTarget = nullptr;
  Single FDepthOfView = 100;
  Single FFocalLength = 50;
};

// The scene: the root of the object tree, and who to tell when it changes.
class TGLScene : public TObject {
public:
  explicit TGLScene(TObject* AOwner = nullptr);
  ~TGLScene() override;
  TGLBaseSceneObject* Objects() const { return FObjects.get(); }
  // Called on every change notification of an object in the scene.
  void AddChangeListener(void* key, std::function<void()> fn);
  void RemoveChangeListener(void* key);
  void NotifyChange();
  // Advances every object's progress (the cadencer's tick).
  void Progress(double deltaTime, double newTime);
  // Lights in tree order that are visible (with their ancestors) and shining.
  std::vector<TGLLightSource*> ActiveLights() const;
  // Sets up to eight lights and draws the visible tree; the camera must be applied.
  void RenderScene(TRenderContextInfo& rci);

private:
  std::unique_ptr<TGLBaseSceneObject> FObjects;
  std::vector<std::pair<void*, std::function<void()>>> FListeners;
};
