#include "topics/Pulleys.h"

#include <tuple>
#include <typeinfo>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "topics/GearCogs.h"
#include "topics/Markers.h"
#include "topics/TopicFrame.h"

namespace {

constexpr Single AxleRadius = 0.08f;
constexpr Single JockeyRadius = 0.2f;
constexpr Single ConeCentre = 0.8f;
constexpr Single ConeStepWidth = 0.15f;
constexpr Integer ConeSteps = 4;

TDummyCube* AddGroup(TGLBaseSceneObject* parent, Single x) { return AddGroupAt(parent, x, 0); }

// The slotted shaft of a pulley or cone, with the key cube that sits in its slot.
void AddAxleAndKey(TGLBaseSceneObject* parent, const TGLMaterialLibrary* matLib, Single length, Single keyLength,
                   Single keyZ)
{
  auto axle = std::make_unique<TSlotAxle>(nullptr, AxleRadius, length, 0.35f * AxleRadius, 0.5f * AxleRadius, 20);
  SetLibMaterial(axle.get(), matLib, 0);
  parent->AddChild(std::move(axle));
  auto key = TCube::CreateSized(nullptr, 0.35f * AxleRadius, AxleRadius, keyLength, cpAll & ~cpBottom, ndOutside);
  key->Position.SetPoint(0, 0.7f * AxleRadius, keyZ);
  SetLibMaterial(key.get(), matLib, 2);
  parent->AddChild(std::move(key));
}

// Topic 5's radius arrow: from the axis along X to the groove bottom, head 0.05 long.
void AddRadiusArrow(TGLBaseSceneObject* group, const TVector& colour, Single r)
{
  auto l = NewMarkerLines(colour);
  constexpr Single z = 0.15f;
  l->AddNodeSilent(0, 0, z);
  l->AddNodeSilent(r, 0, z);
  l->AddNodeSilent(r, ArrowHalfWidth, z);
  l->AddNodeSilent(r + 0.05f, 0, z);
  l->AddNodeSilent(r, -ArrowHalfWidth, z);
  l->AddNodeSilent(r, 0, z);
  group->AddChild(std::move(l));
}

TLines* AddArrowAt(TGLBaseSceneObject* parent, const TVector& colour, Single length, Single x, Single y, Single z,
                   bool visible)
{
  return AddArrowAlongXAt(parent, 1, colour, length, PointMake(x, y, z), visible);
}

template <class T>
bool IsExactly(const TGLBaseSceneObject* obj)
{
  return obj && typeid(*obj) == typeid(T);
}

// --- what the scenes are made of, recognised before anything is posed ---

bool IsPulleySet(const TGLBaseSceneObject* base, Integer i)
{
  TDummyCube* g = GroupOf(base, i, 4);
  return ChildOf<TVPulley>(g, 0) && ChildOf<TCylinder>(g, 1) && ChildOf<TSlotAxle>(g, 2) && ChildOf<TCube>(g, 3);
}

bool IsArrow(const TGLBaseSceneObject* base, Integer i) { return ChildOf<TLines>(base, i) != nullptr; }

bool IsArrowGroup(const TGLBaseSceneObject* base, Integer i)
{
  return ChildOf<TLines>(GroupOf(base, i, 1), 0) != nullptr;
}

// Belt, two pulley sets and the two arrows (bare or in groups) of topics 5 and 6.
template <class TBeltClass>
bool IsTwoPulleyScene(const TDummyCube* base, Integer count, bool arrowGroups)
{
  if (ChildCount(base) < count || !IsExactly<TBeltClass>(ChildOf<TGLBaseSceneObject>(base, 0)))
    return false;
  if (!IsPulleySet(base, 1) || !IsPulleySet(base, 2))
    return false;
  return arrowGroups ? IsArrowGroup(base, 3) && IsArrowGroup(base, 4) : IsArrow(base, 3) && IsArrow(base, 4);
}

bool IsOpenBeltScene(const TDummyCube* base) { return IsTwoPulleyScene<TBelt>(base, 5, true); }

bool IsCrossedBeltScene(const TDummyCube* base) { return IsTwoPulleyScene<TXBelt>(base, 5, false); }

bool IsJockeyBeltScene(const TDummyCube* base)
{
  if (!IsTwoPulleyScene<TJockeyBelt>(base, 7, false))
    return false;
  TDummyCube* jockey = GroupOf(base, 5, 2);
  return ChildOf<TVPulley>(jockey, 0) && ChildOf<TCylinder>(jockey, 1) && IsArrow(base, 6);
}

bool IsCone(const TGLBaseSceneObject* base, Integer i)
{
  TDummyCube* g = GroupOf(base, i, ConeSteps);
  if (!g)
    return false;
  for (Integer k = 0; k < ConeSteps; ++k)
    if (!ChildOf<TVPulley>(g, k))
      return false;
  return true;
}

bool IsConeAxle(const TGLBaseSceneObject* base, Integer i)
{
  TDummyCube* g = GroupOf(base, i, 2);
  return ChildOf<TSlotAxle>(g, 0) && ChildOf<TCube>(g, 1);
}

bool IsStepConeScene(const TDummyCube* base)
{
  return ChildCount(base) >= 7 && IsExactly<TBelt>(ChildOf<TGLBaseSceneObject>(base, 0)) && IsCone(base, 1)
         && IsCone(base, 2) && IsArrow(base, 3) && IsArrow(base, 4) && IsConeAxle(base, 5) && IsConeAxle(base, 6);
}

void SetBeltAngle(TDummyCube* base, Single angle)
{
  if (TBelt* belt = ChildOf<TBelt>(base, 0))
    belt->SetAngle(angle);
}

void SetRolls(TDummyCube* base, std::initializer_list<Integer> children, Single angle)
{
  for (Integer i : children)
    SetChildRoll(base, i, angle);
}

Integer ClampStep(Integer step) { return step >= 0 && step < ConeSteps ? step : ConeSteps - 1; }

}   // namespace

TDummyCube* AddGroupAt(TGLBaseSceneObject* Parent, Single X, Single Y)
{
  auto g = std::make_unique<TDummyCube>(nullptr);
  g->Position.SetPoint(X, Y, 0);
  return Parent->AddChild(std::move(g));
}

TCylinder* AddShaftCylinder(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Single Radius, Single Height,
                            Integer Slices, Integer Material)
{
  auto c = TCylinder::CreateSized(nullptr, Radius, Radius, Height, Slices, 1, 1, cyAll, ndOutside);
  c->SetPitchAngle(90);
  SetLibMaterial(c.get(), MatLib, Material);
  return Parent->AddChild(std::move(c));
}

void AddPulleyAssembly(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Slices, Single RadiusB,
                       Single RadiusA, Single Width, Byte Faces, Byte Kind)
{
  if (!Parent)
    return;
  auto pulley = std::make_unique<TVPulley>(nullptr, RadiusA, RadiusB, Width, Slices, 1, Faces);
  pulley->GrooveKind = Kind;
  SetLibMaterial(pulley.get(), MatLib, 1);
  Parent->AddChild(std::move(pulley));

  // The hub stands a little proud of the pulley's faces: ends level with them fight the
  // faces for depth and speckle.
  AddShaftCylinder(Parent, MatLib, 0.12f, Width + 2 * PulleyHubProud, 20, 3);

  AddAxleAndKey(Parent, MatLib, 0.6f, Width + 0.1f, 0);
}

// --- topic 5 -------------------------------------------------------------------------------

void BuildOpenBeltScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single R1, Single R2,
                        Byte Kind, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const bool vee = Kind == VeeBelt;
  const Single d = vee ? 0.1f : 0.02f;
  const Single r1 = R1 - d, r2 = R2 - d, D = R1 + R2 + 0.5f;

  auto belt = std::make_unique<TBelt>(nullptr);
  belt->TopWidth = 0.15f;
  belt->BottomWidth = vee ? 0.05f : 0.15f;
  belt->Depth = d;
  belt->Radius1 = R1;
  belt->Radius2 = R2;
  belt->CentreDistance = D;
  SetLibMaterial(belt.get(), MatLib, 2);
  SceneBase->AddChild(std::move(belt));

  AddPulleyAssembly(AddGroup(SceneBase, -D / 2), MatLib, 50, r1, R1, 0.2f, 15, Kind);
  AddPulleyAssembly(AddGroup(SceneBase, D / 2), MatLib, 50, r2, R2, 0.2f, 15, Kind);
  for (auto [x, r] : {std::pair{-D / 2, r1}, std::pair{D / 2, r2}}) {
    TDummyCube* g = AddGroup(SceneBase, x);
    g->SetVisible(ShowMarkers);
    AddRadiusArrow(g, MarkerColour, r);
  }
}

void AnimateOpenBeltScene(TDummyCube* SceneBase, Single Phase, Single R1, Single R2)
{
  if (!IsOpenBeltScene(SceneBase))
    return;
  SetRolls(SceneBase, {2, 4}, Phase);
  SetRolls(SceneBase, {1, 3}, Phase * SafeDivide(R2, R1));
  SetBeltAngle(SceneBase, Phase);
}

void BuildCrossedBeltScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single R,
                           const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const Single r = R - 0.02f, D = 2 * R + 1.0f;
  auto belt = std::make_unique<TXBelt>(nullptr);
  belt->Radius1 = r;
  belt->Radius2 = r;
  belt->Depth = 0.02f;
  belt->TopWidth = 0.15f;
  belt->BottomWidth = 0.15f;
  belt->CentreDistance = D;
  SetLibMaterial(belt.get(), MatLib, 2);
  SceneBase->AddChild(std::move(belt));

  AddPulleyAssembly(AddGroup(SceneBase, -D / 2), MatLib, 50, r, R, 0.2f, 15, FlatBelt);
  AddPulleyAssembly(AddGroup(SceneBase, D / 2), MatLib, 50, r, R, 0.2f, 15, FlatBelt);
  AddArrowAt(SceneBase, MarkerColour, 0.4f, -D / 2, 0, 0.31f, ShowMarkers);
  AddArrowAt(SceneBase, MarkerColour, 0.4f, D / 2, 0, 0.31f, ShowMarkers);
}

void AnimateCrossedBeltScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsCrossedBeltScene(SceneBase))
    return;
  SetRolls(SceneBase, {1, 3}, -Phase);
  SetRolls(SceneBase, {2, 4}, Phase);
  SetBeltAngle(SceneBase, Phase);
}

void ShowBeltDriveMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsOpenBeltScene(SceneBase) && !IsCrossedBeltScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 3, Visible);
  SetChildVisible(SceneBase, 4, Visible);
}

// --- topic 6 -------------------------------------------------------------------------------

void BuildJockeyBeltScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single R1,
                          Single R2, Byte Kind, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const bool vee = Kind == VeeBelt;
  const Single d = vee ? 0.06f : 0.02f;
  const Single r1 = R1 - d, r2 = R2 - d, D = R1 + R2 + 1.0f;
  const Single jx = (R1 - R2) / 2, jy = R1 > R2 ? -R2 : -R1;

  auto belt = std::make_unique<TJockeyBelt>(nullptr);
  belt->Radius1 = R1;
  belt->Radius2 = R2;
  belt->JockeyX = jx;
  belt->JockeyY = jy;
  belt->CentreDistance = D;
  belt->TopWidth = 0.1125f;
  belt->BottomWidth = vee ? 0.0375f : 0.1125f;
  belt->Depth = d;
  belt->Segments = 100;
  belt->JockeyRadius = JockeyRadius;
  SetLibMaterial(belt.get(), MatLib, 2);
  SceneBase->AddChild(std::move(belt));

  AddPulleyAssembly(AddGroup(SceneBase, -D / 2), MatLib, 50, r1, R1, 0.15f, 15, Kind);
  AddPulleyAssembly(AddGroup(SceneBase, D / 2), MatLib, 50, r2, R2, 0.15f, 15, Kind);
  AddArrowAt(SceneBase, MarkerColour, R1, -D / 2, 0, 0.31f, ShowMarkers);
  AddArrowAt(SceneBase, MarkerColour, R2, D / 2, 0, 0.31f, ShowMarkers);

  // The jockey's flat band (0.18 about a centre 0.02 up) meets the top of the belt's jockey
  // circle, where the belt's back runs over it.
  TDummyCube* jockey = AddGroupAt(SceneBase, jx, jy + 0.02f);
  auto pulley = std::make_unique<TVPulley>(nullptr, JockeyRadius, 0.18f, 0.15f, 30, 1, 15);
  pulley->GrooveKind = FlatBelt;
  SetLibMaterial(pulley.get(), MatLib, 1);
  jockey->AddChild(std::move(pulley));
  AddShaftCylinder(jockey, MatLib, 0.06f, 0.15f + 2 * PulleyHubProud, 20, 0);
  AddArrowAt(SceneBase, MarkerColour, JockeyRadius, jx, jy + 0.02f, 0.11f, ShowMarkers);
}

void AnimateJockeyBeltScene(TDummyCube* SceneBase, Single Phase, Single R1, Single R2)
{
  const Single a1 = Phase * SafeDivide(R2, R1);
  if (!IsJockeyBeltScene(SceneBase))
    return;
  SetRolls(SceneBase, {1, 3}, a1);
  SetRolls(SceneBase, {2, 4}, Phase);
  SetBeltAngle(SceneBase, Phase);
  // The jockey runs the other way at the rim speed of pulley 2.
  SetRolls(SceneBase, {5, 6}, -Phase * R2 / JockeyRadius);
}

void ShowJockeyBeltMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsJockeyBeltScene(SceneBase))
    return;
  for (Integer i : {3, 4, 6})
    SetChildVisible(SceneBase, i, Visible);
}

Integer JockeyBeltRepeatAngle(Integer s1, Integer s2)
{
  const Integer pair = PulleyPairRepeatAngle(s1, s2);
  // The jockey turns s2 / 2 times per drive turn: an odd s2 over an odd number of turns
  // leaves it half a turn out.
  const Integer turns = pair / 360;
  if ((int64_t(turns) * s2) % 2 != 0 && pair <= INT32_MAX / 2)
    return 2 * pair;
  return pair;
}

// --- topic 7 -------------------------------------------------------------------------------

Single StepConeLeftRadius(Integer Step) { return 0.5f - 0.1f * Single(ClampStep(Step)); }

Single StepConeRightRadius(Integer Step) { return 0.5f - 0.1f * Single(ConeSteps - 1 - ClampStep(Step)); }

void BuildStepConeScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Step, bool ShowMarkers,
                        const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  Step = ClampStep(Step);
  auto belt = std::make_unique<TBelt>(nullptr);
  belt->Radius1 = StepConeLeftRadius(Step);
  belt->Radius2 = StepConeRightRadius(Step);
  belt->TopWidth = 0.1125f;
  belt->BottomWidth = 0.0375f;
  belt->Depth = 0.075f;
  belt->CentreDistance = 2 * ConeCentre;
  belt->Position.SetPoint(0, 0, (Single(Step) - 1.5f) * ConeStepWidth);
  SetLibMaterial(belt.get(), MatLib, 2);
  SceneBase->AddChild(std::move(belt));

  // Each step is a closed solid, so it can cull its back faces: the faces where one step
  // meets the next lie inside the next one's body and never show. The largest step keeps the
  // bore through its outer end.
  constexpr Integer StepN[ConeSteps] = {1, 1, 0, 1};
  constexpr Byte StepFaces[ConeSteps] = {vpfFrontRim | vpfBackRim | vpfInnerWall,
                                         vpfFrontRim | vpfBackRim | vpfFrontWeb | vpfBackWeb,
                                         vpfFrontRim | vpfBackRim | vpfFrontWeb | vpfBackWeb,
                                         vpfFrontRim | vpfBackRim | vpfFrontWeb | vpfBackWeb};
  for (Single x : {-ConeCentre, ConeCentre}) {
    TDummyCube* cone = AddGroup(SceneBase, x);
    // The right cone is the left one turned over, so it shows the opposite step at each z.
    if (x > 0)
      cone->SetPitchAngle(180);
    for (Integer i = 0; i < ConeSteps; ++i) {
      const Single ra = 0.5f - 0.1f * Single(i);
      auto p = std::make_unique<TVPulley>(nullptr, ra, ra - 0.075f, ConeStepWidth, 50, StepN[i], StepFaces[i]);
      p->Position.SetPoint(0, 0, (Single(i) - 1.5f) * ConeStepWidth);
      SetLibMaterial(p.get(), MatLib, 1);
      cone->AddChild(std::move(p));
    }
  }
  // The arrows turn with the shafts, just above their ends, two pixels wide: on a white
  // background they are black, and must stand out from the dark belt, shafts and recessed
  // faces as well as from the brass. The left one reaches the radius of its cone's largest
  // step and stands a little higher, so that pointing along the belt it clears the far run in
  // the view and pointing at the viewer it stops short of the near one; the right one reaches
  // past its top step's rim onto the bright brass.
  for (auto [x, z, length] : {std::tuple{-ConeCentre, 0.4f, StepConeLeftRadius(0)}, {ConeCentre, 0.38f, 0.7f}})
    AddArrowAt(SceneBase, MarkerColour, length, x, 0, z, ShowMarkers)->SetLineWidth(2);
  AddAxleAndKey(AddGroup(SceneBase, -ConeCentre), MatLib, 0.7f, 0.5f, 0.1f);
  AddAxleAndKey(AddGroup(SceneBase, ConeCentre), MatLib, 0.7f, 0.5f, -0.1f);
}

void AnimateStepConeScene(TDummyCube* SceneBase, Integer Step, Single Phase)
{
  if (!IsStepConeScene(SceneBase))
    return;
  const Single a2 = Phase * SafeDivide(StepConeLeftRadius(Step), StepConeRightRadius(Step));
  SetRolls(SceneBase, {3, 5}, Phase);
  SetRolls(SceneBase, {4, 6}, a2);
  // The belt runs at r1 x Phase on both cones.
  SetBeltAngle(SceneBase, a2);
}

void ShowStepConeMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsStepConeScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 3, Visible);
  SetChildVisible(SceneBase, 4, Visible);
}

Integer StepConeRepeatAngle(Integer Step)
{
  switch (Step) {
  case 0: return 720;
  case 1: return 1080;
  case 2: return 1440;
  default: return 1800;
  }
}

void UpdateBeltTravel(TDummyCube* SceneBase)
{
  if (TBelt* belt = ChildOf<TBelt>(SceneBase, 0))
    belt->UpdateTravel();
}
