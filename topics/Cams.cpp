#include "topics/Cams.h"

#include <cmath>
#include <memory>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/PartHelpers.h"
#include "parts/BasicParts.h"
#include "topics/Markers.h"
#include "topics/TopicFrame.h"

namespace {

constexpr long double Pi = 3.14159265358979323846L;

// The cam's shaft along Z through the axis.
void AddCamShaft(TGLBaseSceneObject* group, const TGLMaterialLibrary* matLib)
{
  auto shaft = CamCylinder(0.2f, 0.2f, 0.5f, 40, cyAll);
  shaft->SetPitchAngle(-90);
  AddCamPart(group, std::move(shaft), matLib, 0, 0, 0, 0);
}

// The cam group, the follower group and the marker group that turns with the cam.
struct TCamScene {
  TDummyCube* Cam;
  TDummyCube* Follower;
};

TCamScene AddCamGroups(TDummyCube* base, const TGLMaterialLibrary* matLib, Integer kind, Single axisY, Single followerY,
                       Single followerSize, bool showMarkers, const TVector& markerColour)
{
  TCamScene s;
  s.Cam = base->AddChild(std::make_unique<TDummyCube>(nullptr));
  s.Cam->Position.SetPoint(0, axisY, 0);
  s.Follower = base->AddChild(std::make_unique<TDummyCube>(nullptr));
  s.Follower->Position.SetPoint(0, followerY, 0);
  AddCamFollower(s.Follower, matLib, kind, followerSize);
  TDummyCube* marker = base->AddChild(std::make_unique<TDummyCube>(nullptr));
  marker->Position.SetPoint(0, axisY, 0);
  AddArrowAlongXAt(marker, 1, markerColour, 0.2f, TVector{0, 0, 0.306f, 1}, true);
  marker->SetVisible(showMarkers);
  return s;
}

// The three rotary cam scenes differ only in what the cam group holds.
bool IsRotaryCamScene(const TDummyCube* base, Integer camParts)
{
  return ChildCount(base) >= 3 && GroupOf(base, 0, camParts) && IsCamFollowerGroup(base, 1)
         && ChildOf<TLines>(GroupOf(base, 2, 1), 0);
}

bool Same(Single a, Single b) { return std::fabs(a - b) < 1e-5f; }

// The eccentric disc of these sizes, its centre Offset from the axis.
bool IsCircularCamScene(const TDummyCube* base, Single radius, Single offset)
{
  if (!IsRotaryCamScene(base, 3))
    return false;
  TGLBaseSceneObject* cam = base->GetChild(0);
  TCylinder* disc = ChildOf<TCylinder>(cam, 0);
  if (!disc || !ChildOf<TCylinder>(cam, 1) || !ChildOf<TCylinder>(cam, 2))
    return false;
  return radius < 0 || (Same(disc->GetBottomRadius(), radius) && Same(disc->Position.Y, offset));
}

bool IsPearCamScene(const TDummyCube* base, Single baseRadius, Single noseRadius, Single noseDistance)
{
  if (!IsRotaryCamScene(base, 2))
    return false;
  TCam* cam = ChildOf<TCam>(base->GetChild(0), 0);
  if (!cam || !ChildOf<TCylinder>(base->GetChild(0), 1))
    return false;
  return baseRadius < 0
         || (Same(cam->BaseRadius, baseRadius) && Same(cam->NoseRadius, noseRadius)
             && Same(cam->NoseDistance, noseDistance));
}

bool IsHeartCamScene(const TDummyCube* base, Single rise, Single baseRadius)
{
  if (!IsRotaryCamScene(base, 2))
    return false;
  THeartCam* cam = ChildOf<THeartCam>(base->GetChild(0), 0);
  if (!cam || !ChildOf<TCylinder>(base->GetChild(0), 1))
    return false;
  return rise < 0 || (Same(cam->RisePerRadian, rise) && Same(cam->BaseRadius, baseRadius));
}

// The cam and its marker turn with the phase; the follower rides at the lift.
void PoseRotaryCam(TDummyCube* base, Single phase, Single lift)
{
  PoseFromRest(base->GetChild(0), phase);
  PoseFromRest(base->GetChild(2), phase);
  base->GetChild(1)->Position.SetCoordinate(1, Finite(lift));
}

// The lifts repeat every turn; the formulas take one turn from 0.
Single OneTurn(Single phase) { return WrapPositive(phase, 360); }

}   // namespace

std::unique_ptr<TCylinder> CamCylinder(Single Bottom, Single Top, Single Height, Integer Slices, TCylinderParts Parts)
{
  return TCylinder::CreateSized(nullptr, Bottom, Top, Height, Slices, 1, 1, Parts, ndOutside);
}

void AddCamPart(TGLBaseSceneObject* Parent, std::unique_ptr<TGLSceneObject> Part, const TGLMaterialLibrary* MatLib,
                Integer Material, Single X, Single Y, Single Z)
{
  Part->Position.SetPoint(X, Y, Z);
  SetLibMaterial(Part.get(), MatLib, Material);
  Parent->AddChild(std::move(Part));
}

bool IsCamFollowerGroup(const TGLBaseSceneObject* base, Integer i)
{
  TDummyCube* g = ChildOf<TDummyCube>(base, i);
  return g && g->GetCount() >= 2 && g->GetCount() <= 4 && ChildOf<TCylinder>(g, 0);
}

void AddCamFollower(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Kind, Single Size)
{
  if (!Parent)
    return;
  const Single s = Size;
  if (Kind == cfRoller) {
    AddCamPart(Parent, CamCylinder(0.5f * s, 0.5f * s, 0.48f, 20, cySides | cyTop), MatLib, 1, 0, 2.5f * s + 0.24f, 0);
    auto roller = CamCylinder(s, s, 2 * s, 20, cyAll);
    roller->SetPitchAngle(90);
    AddCamPart(Parent, std::move(roller), MatLib, 6, 0, s, 0);
    auto pin = CamCylinder(0.03f, 0.03f, 3 * s, 10, cyAll);
    pin->SetPitchAngle(90);
    AddCamPart(Parent, std::move(pin), MatLib, 2, 0, s, 0);
    AddCamPart(Parent, std::make_unique<TWheelBracket>(nullptr, s, 1.5f * s, 2.8f * s, 0.02f), MatLib, 1, 0, 1.8f * s,
               0);
    return;
  }
  AddCamPart(Parent, CamCylinder(s, s, 0.6f, 50, cyAll), MatLib, 1, 0, 0.3f + s, 0);
  if (Kind == cfPoint) {
    AddCamPart(Parent, CamCylinder(0, s, s, 50, cySides), MatLib, 1, 0, 0.5f * s, 0);
  } else if (Kind == cfRadius) {
    auto tip = std::make_unique<TSphere>(nullptr);
    tip->SetRadius(s);
    tip->SetStop(180);
    tip->SetRollAngle(-90);
    AddCamPart(Parent, std::move(tip), MatLib, 1, 0, s, 0);
  } else {
    AddCamPart(Parent, CamCylinder(0.25f, 0.25f, s, 50, cySides | cyBottom), MatLib, 1, 0, 0.5f * s, 0);
    AddCamPart(Parent, CamCylinder(0.25f, s, s, 50, cySides | cyTop), MatLib, 1, 0, 1.5f * s, 0);
  }
}

// --- lifts ---------------------------------------------------------------------------------

Single CircularCamLift(Integer Kind, Single Radius, Single Offset, Single Phase)
{
  long double th = Phase * cPIdiv180, r = Radius, e = Offset;
  if (Kind == cfFlat)
    return Single(e * std::cos(th) + r - e);
  long double beta = ArcSinRatio(double(std::sin(th) * e), double(r));
  long double gamma = Pi - th - beta;
  long double d = std::sqrt(std::fabs(r * r + e * e - 2 * r * e * std::cos(gamma)));
  return Single(d - e);
}

Single CircularArcCamLift(Single BaseRadius, Single NoseRadius, Single NoseDistance, Single CamAngle)
{
  long double th = CamAngle * cPIdiv180, rb = BaseRadius, rn = NoseRadius, d = NoseDistance;
  long double alpha = ArcSinRatio(double(std::fabs(rb - rn)), double(d));
  long double flank = d * std::cos(alpha);
  long double phi = rb > 0 ? std::atan(flank / rb) : Pi / 2;
  long double t1, t2, t3, t4;
  if (rn <= rb) {
    t1 = Pi / 2 + alpha;
    t2 = Pi / 2 + alpha + phi;
    t3 = 3 * Pi / 2 - alpha - phi;
    t4 = 3 * Pi / 2 - alpha;
  } else {
    t1 = Pi / 2 - alpha;
    t2 = Pi / 2 - alpha + phi;
    t3 = 3 * Pi / 2 + alpha - phi;
    t4 = 3 * Pi / 2 + alpha;
  }
  long double lift;
  if (th <= t1) {
    lift = rb;
  } else if (th <= t2) {
    lift = rb / std::cos(th - t1);
  } else if (th <= t3) {
    long double psi = Pi - th;
    long double beta = ArcSinRatio(double(std::sin(psi) * d), double(rn));
    long double gamma = Pi - beta - psi;
    lift = std::sqrt(std::fabs(rn * rn + d * d - 2 * rn * d * std::cos(gamma)));
  } else if (th <= t4) {
    lift = rb / std::cos(t4 - th);
  } else {
    lift = rb;
  }
  return SafeSingle(Single(lift), BaseRadius);
}

Single CircularArcCamFlatLift(Single BaseRadius, Single NoseRadius, Single NoseDistance, Single CamAngle)
{
  long double th = CamAngle * cPIdiv180, rb = BaseRadius, rn = NoseRadius, d = NoseDistance;
  long double alpha = ArcSinRatio(double(std::fabs(rb - rn)), double(d));
  long double t1 = rn <= rb ? Pi / 2 + alpha : Pi / 2 - alpha;
  long double t2 = rn <= rb ? 3 * Pi / 2 - alpha : 3 * Pi / 2 + alpha;
  if (th <= t1 || th > t2)
    return BaseRadius;
  return Single(rn - d * std::cos(th));
}

Single HeartCamLift(Single Angle, Single RisePerRadian, Single BaseRadius)
{
  if (Angle <= Single(Pi))
    return BaseRadius + RisePerRadian * Angle;
  return BaseRadius + RisePerRadian * (FullCircle - Angle);
}

Single HeartCamFlatLift(Integer AngleDeg, Single RisePerRadian, Single BaseRadius)
{
  Integer a = AngleDeg;
  long double th = Single(a) * cPIdiv180;
  if (a > 180) {
    th = FullCircle - th;
    a = 360 - a;
  }
  long double rise = RisePerRadian, base = BaseRadius;
  long double hLine = rise * th + base;
  long double hMin = 0.175L * rise + base;
  long double hMax = Pi * rise + base;
  long double h = a >= 160 && a <= 180 ? std::fabs(std::cos(th)) * hMax : (180 - a) * 0.0001L + hLine;
  return Single(h < hMin ? hMin : h);
}

// --- scenes --------------------------------------------------------------------------------

void BuildCircularCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Kind, Single Radius,
                           Single Offset, Single Thickness, bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  // The axis lies Offset below the origin, so the disc's centre starts at the origin.
  TCamScene s = AddCamGroups(SceneBase, MatLib, Kind, -Offset, Radius, Thickness / 2, ShowMarkers, MarkerColour);
  auto rim = CamCylinder(Radius, Radius, Thickness, 50, cySides);
  rim->SetPitchAngle(-90);
  AddCamPart(s.Cam, std::move(rim), MatLib, 6, 0, Offset, 0);
  auto faces = CamCylinder(Radius, Radius, Thickness, 50, cyBottom | cyTop);
  faces->SetPitchAngle(-90);
  AddCamPart(s.Cam, std::move(faces), MatLib, 1, 0, Offset, 0);
  AddCamShaft(s.Cam, MatLib);
}

void AnimateCircularCamScene(TDummyCube* SceneBase, Integer Kind, Single Radius, Single Offset, Single Phase)
{
  if (!IsCircularCamScene(SceneBase, Radius, Offset))
    return;
  PoseRotaryCam(SceneBase, Phase, CircularCamLift(Kind, Radius, Offset, OneTurn(Phase)));
}

void ShowCircularCamMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (IsCircularCamScene(SceneBase, -1, 0))
    SetChildVisible(SceneBase, 2, Visible);
}

void BuildPearCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Kind, Single BaseRadius,
                       Single NoseRadius, Single NoseDistance, Single Thickness, bool ShowMarkers,
                       const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  TCamScene s = AddCamGroups(SceneBase, MatLib, Kind, 0, BaseRadius, Thickness / 2, ShowMarkers, MarkerColour);
  // Rolled a quarter turn, the nose points down, away from the follower.
  auto cam = std::make_unique<TCam>(nullptr, BaseRadius, NoseRadius, NoseDistance, Thickness, 50);
  cam->SetRollAngle(90);
  AddCamPart(s.Cam, std::move(cam), MatLib, 1, 0, 0, 0);
  AddCamShaft(s.Cam, MatLib);
}

void AnimatePearCamScene(TDummyCube* SceneBase, Integer Kind, Single BaseRadius, Single NoseRadius, Single NoseDistance,
                         Single Phase)
{
  if (!IsPearCamScene(SceneBase, BaseRadius, NoseRadius, NoseDistance))
    return;
  Single a = OneTurn(Phase);
  Single lift = Kind == cfFlat ? CircularArcCamFlatLift(BaseRadius, NoseRadius, NoseDistance, a)
                               : CircularArcCamLift(BaseRadius, NoseRadius, NoseDistance, a);
  PoseRotaryCam(SceneBase, Phase, lift);
}

void ShowPearCamMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (IsPearCamScene(SceneBase, -1, 0, 0))
    SetChildVisible(SceneBase, 2, Visible);
}

void BuildHeartCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Kind, Single RisePerRadian,
                        Single BaseRadius, Single Thickness, bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  Single start = Kind == cfFlat ? HeartCamFlatLift(0, RisePerRadian, BaseRadius) : BaseRadius;
  TCamScene s = AddCamGroups(SceneBase, MatLib, Kind, 0, start, Thickness / 2, ShowMarkers, MarkerColour);
  // Rolled a quarter turn, the smallest radius faces the follower.
  auto cam = std::make_unique<THeartCam>(nullptr, RisePerRadian, BaseRadius, Thickness, 50);
  cam->SetRollAngle(90);
  AddCamPart(s.Cam, std::move(cam), MatLib, 1, 0, 0, 0);
  AddCamShaft(s.Cam, MatLib);
}

void AnimateHeartCamScene(TDummyCube* SceneBase, Integer Kind, Single RisePerRadian, Single BaseRadius, Single Phase)
{
  if (!IsHeartCamScene(SceneBase, RisePerRadian, BaseRadius))
    return;
  Single a = OneTurn(Phase);
  Single lift = Kind == cfFlat ? HeartCamFlatLift(SafeTrunc(a), RisePerRadian, BaseRadius)
                               : HeartCamLift(a * cPIdiv180, RisePerRadian, BaseRadius);
  PoseRotaryCam(SceneBase, Phase, lift);
}

void ShowHeartCamMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (IsHeartCamScene(SceneBase, -1, 0))
    SetChildVisible(SceneBase, 2, Visible);
}
