#include "engine/GLScene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <typeinfo>

#include "engine/GLContext.h"

namespace {

bool Finite(const TAffineVector& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// Right, up and direction made orthonormal from the stored (possibly unnormalised or
// skewed) direction and up; degenerate input falls back to the default axes.
void Basis(const TGLCoordinates& dir, const TGLCoordinates& up, TAffineVector& r, TAffineVector& u, TAffineVector& d)
{
  d = dir.AsAffineVector();
  Single dl = VectorLength(d);
  if (!(dl > 1e-12f) || !Finite(d))
    d = ZVector;
  else
    d = VectorScale(d, 1 / dl);
  TAffineVector u0 = up.AsAffineVector();
  if (!Finite(u0))
    u0 = YVector;
  r = VectorCrossProduct(u0, d);
  if (!(VectorLength(r) > 1e-6f)) {
    u0 = std::fabs(d[1]) < 0.9f ? YVector : XVector;
    r = VectorCrossProduct(u0, d);
  }
  r = VectorNormalize(r);
  u = VectorCrossProduct(d, r);
}

// Restores the matrix stack however the block is left.
struct TMatrixGuard {
  explicit TMatrixGuard(const TMatrix& m)
  {
    glPushMatrix();
    glMultMatrixf(&m[0][0]);
  }
  ~TMatrixGuard() { glPopMatrix(); }
};

}   // namespace

// --- TGLCoordinates ----------------------------------------------------------------------

TGLCoordinates::TGLCoordinates(Single x, Single y, Single z, Single w, TGLCoordinatesStyle style)
    : X(x), Y(y), Z(z), W(w), FStyle(style)
{}

void TGLCoordinates::NotifyChange()
{
  if (OnNotifyChange)
    OnNotifyChange();
}

void TGLCoordinates::SetPoint(Single x, Single y, Single z)
{
  X = x;
  Y = y;
  Z = z;
  W = 1;
  NotifyChange();
}

void TGLCoordinates::SetVector(Single x, Single y, Single z)
{
  X = x;
  Y = y;
  Z = z;
  W = 0;
  NotifyChange();
}

void TGLCoordinates::SetCoordinate(Integer index, Single value)
{
  switch (index) {
  case 0: X = value; break;
  case 1: Y = value; break;
  case 2: Z = value; break;
  case 3: W = value; break;
  default: return;
  }
  NotifyChange();
}

Single TGLCoordinates::GetCoordinate(Integer index) const
{
  switch (index) {
  case 0: return X;
  case 1: return Y;
  case 2: return Z;
  case 3: return W;
  default: return 0;
  }
}

void TGLCoordinates::SetAsVector(const TVector& v)
{
  X = v[0];
  Y = v[1];
  Z = v[2];
  W = FStyle == TGLCoordinatesStyle::csPoint ? 1 : FStyle == TGLCoordinatesStyle::csVector ? 0 : v[3];
  NotifyChange();
}

void TGLCoordinates::SetAsAffineVector(const TAffineVector& v)
{
  X = v[0];
  Y = v[1];
  Z = v[2];
  NotifyChange();
}

void TGLCoordinates::ScaleBy(Single factor)
{
  X *= factor;
  Y *= factor;
  Z *= factor;
}

void TGLCoordinates::Translate(const TAffineVector& v)
{
  X += v[0];
  Y += v[1];
  Z += v[2];
  NotifyChange();
}

void TGLCoordinates::Assign(const TGLCoordinates& src)
{
  X = src.X;
  Y = src.Y;
  Z = src.Z;
  W = src.W;
  NotifyChange();
}

// --- TGLBaseSceneObject ------------------------------------------------------------------

TGLBaseSceneObject::TGLBaseSceneObject(TGLBaseSceneObject*)
    : Position(0, 0, 0, 1, TGLCoordinatesStyle::csPoint), Direction(0, 0, 1, 0, TGLCoordinatesStyle::csVector),
      Up(0, 1, 0, 0, TGLCoordinatesStyle::csVector), Scale(1, 1, 1, 0)
{
  auto changed = [this] { TransformationChanged(); };
  Position.OnNotifyChange = changed;
  Direction.OnNotifyChange = changed;
  Up.OnNotifyChange = changed;
  Scale.OnNotifyChange = changed;
}

TGLBaseSceneObject::~TGLBaseSceneObject()
{
  while (!FChildren.empty())
    FChildren.pop_back();
  std::vector<TGLBaseSceneObject*> watchers;
  watchers.swap(FWatchers);
  for (TGLBaseSceneObject* w : watchers)
    w->ReferenceFreed(this);
  ReleaseList();
}

void TGLBaseSceneObject::InsertChild(std::unique_ptr<TGLBaseSceneObject> child)
{
  if (!child)
    throw EGLSceneError("Cannot add a null scene object");
  for (const TGLBaseSceneObject* p = this; p; p = p->FParent)
    if (p == child.get())
      throw EGLSceneError("A scene object cannot be its own descendant");
  child->FParent = this;
  FChildren.push_back(std::move(child));
  StructureChanged();
}

TGLBaseSceneObject* TGLBaseSceneObject::GetChild(Integer index) const
{
  if (index < 0 || index >= GetCount())
    throw EGLSceneError("List index out of bounds (" + IntToStr(index) + ")");
  return FChildren[size_t(index)].get();
}

Integer TGLBaseSceneObject::IndexOfChild(const TGLBaseSceneObject* child) const
{
  for (size_t i = 0; i < FChildren.size(); ++i)
    if (FChildren[i].get() == child)
      return Integer(i);
  return -1;
}

void TGLBaseSceneObject::DeleteChildren()
{
  if (FChildren.empty())
    return;
  while (!FChildren.empty()) {
    // Take it out first, so the list never holds a half-destroyed object.
    std::unique_ptr<TGLBaseSceneObject> last = std::move(FChildren.back());
    FChildren.pop_back();
    last.reset();
  }
  NotifyChange();
}

std::unique_ptr<TGLBaseSceneObject> TGLBaseSceneObject::Remove(TGLBaseSceneObject* child)
{
  Integer i = IndexOfChild(child);
  if (i < 0)
    return nullptr;
  std::unique_ptr<TGLBaseSceneObject> p = std::move(FChildren[size_t(i)]);
  FChildren.erase(FChildren.begin() + i);
  p->FParent = nullptr;
  NotifyChange();
  return p;
}

TGLScene* TGLBaseSceneObject::GetScene() const
{
  const TGLBaseSceneObject* r = this;
  while (r->FParent)
    r = r->FParent;
  return r->FScene;
}

void TGLBaseSceneObject::Roll(Single degrees)
{
  if (!std::isfinite(degrees))
    return;   // a NaN would spoil the orientation for good
  TAffineVector r, u, d;
  Basis(Direction, Up, r, u, d);
  Up.SetAsAffineVector(RotateVector(u, d, DegToRad(degrees)));
}

void TGLBaseSceneObject::Pitch(Single degrees)
{
  if (!std::isfinite(degrees))
    return;   // a NaN would spoil the orientation for good
  TAffineVector r, u, d;
  Basis(Direction, Up, r, u, d);
  Single a = -DegToRad(degrees);
  TAffineVector nd = RotateVector(d, r, a);
  TAffineVector nu = RotateVector(u, r, a);
  Direction.X = nd[0];
  Direction.Y = nd[1];
  Direction.Z = nd[2];
  Up.SetAsAffineVector(nu);
}

void TGLBaseSceneObject::Turn(Single degrees)
{
  if (!std::isfinite(degrees))
    return;   // a NaN would spoil the orientation for good
  TAffineVector r, u, d;
  Basis(Direction, Up, r, u, d);
  Direction.SetAsAffineVector(RotateVector(d, u, DegToRad(degrees)));
}

void TGLBaseSceneObject::SetRollAngle(Single degrees)
{
  if (degrees == FRollAngle || !std::isfinite(degrees))
    return;
  Roll(degrees - FRollAngle);
  FRollAngle = degrees;
}

void TGLBaseSceneObject::SetPitchAngle(Single degrees)
{
  if (degrees == FPitchAngle || !std::isfinite(degrees))
    return;
  Pitch(degrees - FPitchAngle);
  FPitchAngle = degrees;
}

void TGLBaseSceneObject::SetTurnAngle(Single degrees)
{
  if (degrees == FTurnAngle || !std::isfinite(degrees))
    return;
  Turn(degrees - FTurnAngle);
  FTurnAngle = degrees;
}

void TGLBaseSceneObject::RotateByAngles(Single pitch, Single turn, Single roll)
{
  Pitch(pitch);
  Turn(turn);
  Roll(roll);
}

void TGLBaseSceneObject::ResetRotations()
{
  Direction.X = 0;
  Direction.Y = 0;
  Direction.Z = 1;
  Up.X = 0;
  Up.Y = 1;
  Up.Z = 0;
  FRollAngle = FPitchAngle = FTurnAngle = 0;
  TransformationChanged();
}

TAffineVector TGLBaseSceneObject::RightVector() const
{
  TAffineVector r, u, d;
  Basis(Direction, Up, r, u, d);
  return r;
}

TAffineVector TGLBaseSceneObject::UpVector() const
{
  TAffineVector r, u, d;
  Basis(Direction, Up, r, u, d);
  return u;
}

TAffineVector TGLBaseSceneObject::DirectionVector() const
{
  TAffineVector r, u, d;
  Basis(Direction, Up, r, u, d);
  return d;
}

TMatrix TGLBaseSceneObject::LocalMatrix() const
{
  TAffineVector r, u, d;
  Basis(Direction, Up, r, u, d);
  TMatrix m;
  m[0] = VectorMake(VectorScale(r, Scale.X), 0);
  m[1] = VectorMake(VectorScale(u, Scale.Y), 0);
  m[2] = VectorMake(VectorScale(d, Scale.Z), 0);
  m[3] = {Position.X, Position.Y, Position.Z, 1};
  return m;
}

TMatrix TGLBaseSceneObject::AbsoluteMatrix() const
{
  TMatrix m = LocalMatrix();
  for (const TGLBaseSceneObject* p = FParent; p; p = p->FParent)
    m = MatrixMultiply(m, p->LocalMatrix());
  return m;
}

TVector TGLBaseSceneObject::AbsolutePosition() const
{
  const TMatrix m = AbsoluteMatrix();
  return m[3];
}

void TGLBaseSceneObject::SetVisible(bool v)
{
  if (v == FVisible)
    return;
  FVisible = v;
  NotifyChange();
}

void TGLBaseSceneObject::SetShowAxes(bool v)
{
  if (v == FShowAxes)
    return;
  FShowAxes = v;
  NotifyChange();
}

void TGLBaseSceneObject::Assign(const TGLBaseSceneObject& src)
{
  if (&src == this)
    return;
  Position.Assign(src.Position);
  Direction.Assign(src.Direction);
  Up.Assign(src.Up);
  Scale.Assign(src.Scale);
  FRollAngle = src.FRollAngle;
  FPitchAngle = src.FPitchAngle;
  FTurnAngle = src.FTurnAngle;
  FVisible = src.FVisible;
  FShowAxes = src.FShowAxes;
  StructureChanged();
}

void TGLBaseSceneObject::StructureChanged()
{
  FStructureDirty = true;
  NotifyChange();
}

void TGLBaseSceneObject::TransformationChanged() { NotifyChange(); }

void TGLBaseSceneObject::NotifyChange()
{
  if (TGLScene* s = GetScene())
    s->NotifyChange();
}

void SetBackFaceCulling(TRenderContextInfo& rci, bool cull)
{
  // Switched only when it changes: a chain's links and pins all cull, one switch serves them.
  if (rci.CullingBackFaces == cull)
    return;
  if (cull)
    glEnable(GL_CULL_FACE);
  else
    glDisable(GL_CULL_FACE);
  rci.CullingBackFaces = cull;
}

void TGLBaseSceneObject::ReleaseList()
{
  if (auto context = FListContext.lock()) {
    if (!FSharedKey.empty())
      context->ReleaseSharedList(FSharedKey);
    else
      context->QueueListDeletion(FListHandle);
  }
  FSharedKey.clear();
  FListHandle = 0;
  FListContext.reset();
}

std::string TGLBaseSceneObject::MakeListKey(std::initializer_list<double> values) const
{
  // The class's name keeps a derived class that draws otherwise from sharing its base's list;
  // the numbers go in exactly (as their bits), so only equal geometry shares.
  std::string key = typeid(*this).name();
  for (double v : values) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    key += '|';
    key += std::to_string(bits);
  }
  return key;
}

void TGLBaseSceneObject::BuildOrCallList(TRenderContextInfo& rci)
{
  if (FListHandle && !SameGLContext(FListContext, rci.Context))
    ReleaseList();
  if (FListHandle && !FSharedKey.empty() && !FStructureDirty) {
    glCallList(FListHandle);
    return;
  }
  if (rci.Context) {
    std::string key = ListKey();
    if (!key.empty()) {
      ReleaseList();
      FStructureDirty = false;
      GLuint list = rci.Context->AcquireSharedList(key);
      if (!list) {
        list = glGenLists(1);
        if (!list) {
          FStructureDirty = true;
          BuildList(rci);
          return;
        }
        glNewList(list, GL_COMPILE);
        try {
          BuildList(rci);
        } catch (...) {
          glEndList();
          glDeleteLists(list, 1);
          FStructureDirty = true;
          throw;
        }
        glEndList();
        rci.Context->AddSharedList(key, list);
      }
      FListHandle = list;
      FListContext = rci.Context;
      FSharedKey = key;
      glCallList(list);
      return;
    }
  }
  if (!FSharedKey.empty())
    ReleaseList();   // the key went away: compile a list of its own
  if (!FListHandle) {
    FListHandle = glGenLists(1);
    FListContext = rci.Context;
    FStructureDirty = true;
    if (!FListHandle) {
      // No list to be had (no GL yet): draw directly.
      BuildList(rci);
      return;
    }
  }
  if (FStructureDirty) {
    // Cleared first, so a BuildList that changes the structure again is rebuilt next frame.
    FStructureDirty = false;
    glNewList(FListHandle, GL_COMPILE);
    try {
      BuildList(rci);
    } catch (...) {
      glEndList();
      FStructureDirty = true;
      throw;
    }
    glEndList();
  }
  glCallList(FListHandle);
}

void TGLBaseSceneObject::DrawAxes()
{
  const Single L = 2;
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glLineWidth(1);
  glBegin(GL_LINES);
  glColor3f(1, 0, 0);
  glVertex3f(0, 0, 0);
  glVertex3f(L, 0, 0);
  glColor3f(0, 1, 0);
  glVertex3f(0, 0, 0);
  glVertex3f(0, L, 0);
  glColor3f(0, 0, 1);
  glVertex3f(0, 0, 0);
  glVertex3f(0, 0, L);
  glEnd();
  // The negative halves dashed, so the axes' directions read at a glance.
  glEnable(GL_LINE_STIPPLE);
  glLineStipple(1, 0xCCCC);
  glBegin(GL_LINES);
  glColor3f(1, 0, 0);
  glVertex3f(0, 0, 0);
  glVertex3f(-L, 0, 0);
  glColor3f(0, 1, 0);
  glVertex3f(0, 0, 0);
  glVertex3f(0, -L, 0);
  glColor3f(0, 0, 1);
  glVertex3f(0, 0, 0);
  glVertex3f(0, 0, -L);
  glEnd();
  glPopAttrib();
}

void TGLBaseSceneObject::DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren)
{
  if (renderSelf) {
    if (FShowAxes)
      DrawAxes();
    if (HasGeometry()) {
      SetBackFaceCulling(rci, IsClosedSolid());
      RenderGeometry(rci);
    }
  }
  if (renderChildren)
    for (size_t i = 0; i < FChildren.size(); ++i)
      FChildren[i]->Render(rci);
}

void TGLBaseSceneObject::Render(TRenderContextInfo& rci)
{
  if (!FVisible)
    return;
  TMatrixGuard guard(LocalMatrix());
  DoRender(rci, true, true);
}

void TGLBaseSceneObject::DoProgress(double deltaTime, double newTime)
{
  if (OnProgress)
    OnProgress(this, deltaTime, newTime);
  // By index: a handler may change the tree.
  for (size_t i = 0; i < FChildren.size(); ++i)
    FChildren[i]->DoProgress(deltaTime, newTime);
}

void TGLBaseSceneObject::AddWatcher(TGLBaseSceneObject* watcher)
{
  if (watcher && std::find(FWatchers.begin(), FWatchers.end(), watcher) == FWatchers.end())
    FWatchers.push_back(watcher);
}

void TGLBaseSceneObject::RemoveWatcher(TGLBaseSceneObject* watcher)
{
  FWatchers.erase(std::remove(FWatchers.begin(), FWatchers.end(), watcher), FWatchers.end());
}

bool TGLBaseSceneObject::Watch(TGLBaseSceneObject*& slot, TGLBaseSceneObject* next)
{
  if (next == this)
    next = nullptr;
  if (next == slot)
    return false;
  if (slot)
    slot->RemoveWatcher(this);
  slot = next;
  if (slot)
    slot->AddWatcher(this);
  return true;
}

// --- TGLCustomSceneObject ----------------------------------------------------------------

void TGLCustomSceneObject::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TGLCustomSceneObject*>(&src); c && c != this)
    Material = c->Material;
  TGLBaseSceneObject::Assign(src);
}

void TGLCustomSceneObject::RenderGeometry(TRenderContextInfo& rci)
{
  Material.Apply(rci);
  try {
    BuildOrCallList(rci);
  } catch (...) {
    Material.UnApply(rci);
    throw;
  }
  Material.UnApply(rci);
}

// --- TGLProxyObject ----------------------------------------------------------------------

TGLProxyObject::~TGLProxyObject()
{
  if (FMaster)
    FMaster->RemoveWatcher(this);
}

void TGLProxyObject::SetMasterObject(TGLBaseSceneObject* master)
{
  if (Watch(FMaster, master))
    StructureChanged();
}

void TGLProxyObject::SetProxyOptions(TGLProxyObjectOptions o)
{
  if (o == FOptions)
    return;
  FOptions = o;
  StructureChanged();
}

void TGLProxyObject::ReferenceFreed(TGLBaseSceneObject* obj)
{
  if (obj == FMaster) {
    FMaster = nullptr;
    StructureChanged();
  }
}

void TGLProxyObject::Assign(const TGLBaseSceneObject& src)
{
  if (auto* p = dynamic_cast<const TGLProxyObject*>(&src); p && p != this) {
    SetMasterObject(p->FMaster);
    FOptions = p->FOptions;
  }
  TGLBaseSceneObject::Assign(src);
}

void TGLProxyObject::DoRender(TRenderContextInfo& rci, bool renderSelf, bool renderChildren)
{
  // A master already being drawn through a proxy further up is not drawn again, which
  // ends cycles (a proxy below its own master); the depth cap ends everything else.
  if (renderSelf && FMaster && (FOptions & pooObjects) && !FMaster->FDrawingAsMaster && rci.ProxyDepth < 16) {
    struct TGuard {
      TGLBaseSceneObject* Master;
      TRenderContextInfo& Rci;
      TGuard(TGLBaseSceneObject* m, TRenderContextInfo& r) : Master(m), Rci(r)
      {
        Master->FDrawingAsMaster = true;
        ++Rci.ProxyDepth;
      }
      ~TGuard()
      {
        Master->FDrawingAsMaster = false;
        --Rci.ProxyDepth;
      }
    } guard(FMaster, rci);
    if (FOptions & pooTransformation) {
      TMatrixGuard m(FMaster->LocalMatrix());
      FMaster->DoRender(rci, true, true);
    } else {
      FMaster->DoRender(rci, true, true);
    }
  }
  TGLBaseSceneObject::DoRender(rci, renderSelf, renderChildren);
}

// --- TGLLightSource ----------------------------------------------------------------------

TGLLightSource::TGLLightSource(TGLBaseSceneObject* AOwner)
    : TGLImmaterialSceneObject(AOwner), Ambient(0, 0, 0, 1), Diffuse(1, 1, 1, 1), Specular(0, 0, 0, 1),
      SpotDirection(0, 0, -1, 0, TGLCoordinatesStyle::csVector)
{
  SpotDirection.OnNotifyChange = [this] { NotifyChange(); };
}

void TGLLightSource::SetShining(bool v)
{
  if (v != FShining) {
    FShining = v;
    NotifyChange();
  }
}

void TGLLightSource::SetLightStyle(TLightStyle s)
{
  if (s != FLightStyle) {
    FLightStyle = s;
    NotifyChange();
  }
}

void TGLLightSource::SetSpotCutOff(Single v)
{
  if (!(v >= 0))
    v = 0;
  FSpotCutOff = v > 90 ? 180 : v;
  NotifyChange();
}

void TGLLightSource::SetSpotExponent(Single v)
{
  FSpotExponent = std::isfinite(v) ? std::clamp<Single>(v, 0, 128) : 0;
  NotifyChange();
}

void TGLLightSource::SetupLight(GLenum light) const
{
  glLightfv(light, GL_AMBIENT, Ambient.GetColor().data());
  glLightfv(light, GL_DIFFUSE, Diffuse.GetColor().data());
  glLightfv(light, GL_SPECULAR, Specular.GetColor().data());
  const TMatrix m = AbsoluteMatrix();
  TMatrixGuard guard(m);
  TAffineVector sd = VectorNormalize(SpotDirection.AsAffineVector());
  if (FLightStyle == TLightStyle::lsParallel) {
    // GL takes the direction towards the light.
    const GLfloat pos[4] = {-sd[0], -sd[1], -sd[2], 0};
    glLightfv(light, GL_POSITION, pos);
    glLightf(light, GL_SPOT_CUTOFF, 180);
  } else {
    const GLfloat pos[4] = {0, 0, 0, 1};
    glLightfv(light, GL_POSITION, pos);
    if (FLightStyle == TLightStyle::lsSpot && FSpotCutOff <= 90) {
      const GLfloat dir[3] = {sd[0], sd[1], sd[2]};
      glLightfv(light, GL_SPOT_DIRECTION, dir);
      glLightf(light, GL_SPOT_CUTOFF, FSpotCutOff);
      glLightf(light, GL_SPOT_EXPONENT, FSpotExponent);
    } else {
      glLightf(light, GL_SPOT_CUTOFF, 180);
    }
  }
  glLightf(light, GL_CONSTANT_ATTENUATION, ConstAttenuation);
  glLightf(light, GL_LINEAR_ATTENUATION, LinearAttenuation);
  glLightf(light, GL_QUADRATIC_ATTENUATION, QuadraticAttenuation);
}

// --- TGLCamera ---------------------------------------------------------------------------

TGLCamera::TGLCamera(TGLBaseSceneObject* AOwner) : TGLBaseSceneObject(AOwner) { Direction.Z = -1; }

TGLCamera::~TGLCamera()
{
  if (FTarget)
    FTarget->RemoveWatcher(this);
}

void TGLCamera::SetTargetObject(TGLBaseSceneObject* target)
{
  if (Watch(FTarget, target))
    NotifyChange();
}

void TGLCamera::ReferenceFreed(TGLBaseSceneObject* obj)
{
  if (obj == FTarget)
    FTarget = nullptr;
}

void TGLCamera::SetDepthOfView(Single v)
{
  if (std::isfinite(v) && v > 0) {
    FDepthOfView = v;
    NotifyChange();
  }
}

void TGLCamera::SetFocalLength(Single v)
{
  if (std::isfinite(v) && v > 0) {
    FFocalLength = v;
    NotifyChange();
  }
}

// A focal length of 200 sees about 4 units at a distance of 10: the topics viewpoints
// stand three to eight model sizes away, so every model fits and most fill the view.
Single TGLCamera::FieldOfView() const { return 2 * RadToDeg(ArcTan2(40, FFocalLength)); }

TAffineVector TGLCamera::TargetInParentSpace() const
{
  if (!FTarget)
    return NullVector;
  TAffineVector t = AffineVectorMake(FTarget->AbsolutePosition());
  if (GetParent())
    t = VectorTransform(t, MatrixInvert(GetParent()->AbsoluteMatrix()));
  return t;
}

Single TGLCamera::DistanceToTarget() const { return VectorDistance(Position.AsAffineVector(), TargetInParentSpace()); }

void TGLCamera::MoveAroundTarget(Single pitchDelta, Single turnDelta)
{
  if (!std::isfinite(pitchDelta) || !std::isfinite(turnDelta))
    return;
  TAffineVector t = TargetInParentSpace();
  TAffineVector v = VectorSubtract(Position.AsAffineVector(), t);
  if (!(VectorLength(v) > 0))
    return;
  TAffineVector up = Up.AsAffineVector();
  TAffineVector right = VectorCrossProduct(VectorNegate(v), up);
  if (!(VectorLength(right) > 1e-6f * VectorLength(v))) {
    up = std::fabs(VectorNormalize(v)[1]) < 0.9f ? YVector : XVector;
    right = VectorCrossProduct(VectorNegate(v), up);
  }
  right = VectorNormalize(right);
  up = VectorNormalize(VectorCrossProduct(right, VectorNegate(v)));
  // Up turns with the pitch, so orbiting over the top never degenerates.
  v = RotateVector(v, right, DegToRad(pitchDelta));
  up = RotateVector(up, right, DegToRad(pitchDelta));
  v = RotateVector(v, up, DegToRad(turnDelta));
  Up.X = up[0];
  Up.Y = up[1];
  Up.Z = up[2];
  Position.SetAsAffineVector(VectorAdd(t, v));
}

void TGLCamera::AdjustDistanceToTarget(Single ratio)
{
  if (!(ratio > 0) || !std::isfinite(ratio))
    return;
  TAffineVector t = TargetInParentSpace();
  TAffineVector v = VectorScale(VectorSubtract(Position.AsAffineVector(), t), ratio);
  if (!Finite(v) || !(VectorLength(v) > 0))
    return;
  Position.SetAsAffineVector(VectorAdd(t, v));
}

void TGLCamera::Apply(Integer viewportWidth, Integer viewportHeight)
{
  double aspect = viewportHeight > 0 && viewportWidth > 0 ? double(viewportWidth) / viewportHeight : 1.0;
  double zFar = FDepthOfView;
  double zNear = std::max(zFar * 1e-4, 0.01);
  // The main window's 3D pane is taller than wide: a fixed vertical angle there would cut
  // off the sides of a model that a wide view shows whole.
  double fovy = FieldOfView();
  if (aspect < 1)
    fovy = 2 * std::atan(std::tan(fovy * std::numbers::pi / 360) / aspect) * 180 / std::numbers::pi;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, aspect, zNear, zFar);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const TMatrix abs = AbsoluteMatrix();
  TAffineVector eye = AffineVectorMake(abs[3]);
  TAffineVector dir = VectorNormalize(AffineVectorMake(abs[2]));
  TAffineVector up = VectorNormalize(AffineVectorMake(abs[1]));
  TAffineVector centre = FTarget ? AffineVectorMake(FTarget->AbsolutePosition()) : VectorAdd(eye, dir);
  TAffineVector look = VectorSubtract(centre, eye);
  if (!(VectorLength(look) > 0)) {
    centre = VectorAdd(eye, dir);
    look = dir;
  }
  if (!(VectorLength(VectorCrossProduct(look, up)) > 1e-6f * VectorLength(look)))
    up = std::fabs(VectorNormalize(look)[1]) < 0.9f ? YVector : XVector;
  gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]);
}

// --- TGLScene ----------------------------------------------------------------------------

TGLScene::TGLScene(TObject*) : FObjects(std::make_unique<TDummyCube>())
{
  FObjects->Name = "ObjectRoot";
  FObjects->FScene = this;
}

TGLScene::~TGLScene()
{
  FListeners.clear();
  FObjects->DeleteChildren();
  FObjects->FScene = nullptr;
}

void TGLScene::AddChangeListener(void* key, std::function<void()> fn)
{
  RemoveChangeListener(key);
  FListeners.emplace_back(key, std::move(fn));
}

void TGLScene::RemoveChangeListener(void* key)
{
  FListeners.erase(std::remove_if(FListeners.begin(), FListeners.end(), [&](const auto& l) { return l.first == key; }),
                   FListeners.end());
}

void TGLScene::NotifyChange()
{
  // By index and without a copy: animation notifies hundreds of times a tick.
  for (size_t i = 0; i < FListeners.size(); ++i)
    FListeners[i].second();
}

void TGLScene::Progress(double deltaTime, double newTime) { FObjects->DoProgress(deltaTime, newTime); }

namespace {

void CollectLights(TGLBaseSceneObject* o, std::vector<TGLLightSource*>& out)
{
  if (!o->GetVisible())
    return;
  if (auto* l = dynamic_cast<TGLLightSource*>(o); l && l->GetShining())
    out.push_back(l);
  for (Integer i = 0; i < o->GetCount(); ++i)
    CollectLights(o->GetChild(i), out);
}

}   // namespace

std::vector<TGLLightSource*> TGLScene::ActiveLights() const
{
  std::vector<TGLLightSource*> out;
  CollectLights(FObjects.get(), out);
  return out;
}

void TGLScene::RenderScene(TRenderContextInfo& rci)
{
  if (rci.Context)
    rci.Context->FlushDeletions();
  rci.Scene = this;
  std::vector<TGLLightSource*> lights = ActiveLights();
  for (GLenum i = 0; i < 8; ++i) {
    if (i < lights.size()) {
      lights[i]->SetupLight(GL_LIGHT0 + i);
      glEnable(GL_LIGHT0 + i);
    } else {
      glDisable(GL_LIGHT0 + i);
    }
  }
  FObjects->Render(rci);
  SetBackFaceCulling(rci, false);
}
