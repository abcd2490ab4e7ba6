#include "topics/GearCogs.h"

#include <cmath>
#include <cstdint>
#include <numeric>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/Markers.h"
#include "topics/TopicFrame.h"


// --- arithmetic ----------------------------------------------------------------------------

Single CogRadius(Integer n, Single p) { return Single(n) * p / FullCircle; }

Single CogCentreDistance(Integer a, Integer b) { return CogRadius(a) + CogRadius(b) - CogToothDepth; }

Single CogStartAngle(Integer n)
{
  if (n == 0)
    return 0;
  return n % 2 != 0 ? 90.0f / Single(n) : 270.0f / Single(n);
}

Single MeshPhaseAngle(Integer a, Integer b)
{
  if (b == 0)
    return 0;
  Single s = 180.0f / Single(b);
  bool aOdd = a % 2 != 0, bOdd = b % 2 != 0;
  if (bOdd)
    return aOdd ? 0 : s;
  return aOdd ? s : 2 * s;
}

Single DriverStartAngle(Integer n, Integer m)
{
  if (n == 0)
    return 0;
  Single s = 180.0f / Single(n);
  return m % 2 == 0 ? 1.5f * s : 0.5f * s;
}

Single BevelPinionStartAngle(Integer n)
{
  if (n == 0)
    return 90;
  Single s = 180.0f / Single(n);
  return n % 2 == 0 ? 90 + 0.5f * s : 90 + 1.5f * s;
}

Integer GreatestCommonDivisor(Integer a, Integer b)
{
  if (b == a)
    return a;
  // Descending trial from below the larger value; unequal values cannot both divide by it.
  for (Integer t = (b > a ? b : a) - 1; t > 0; --t)
    if (a % t == 0 && b % t == 0)
      return t;
  return 1;
}

Integer GreatestCommonDivisor(Integer a, Integer b, Integer c)
{
  if (b == a && c == b)
    return a;
  Integer m = a;
  if (m <= b)
    m = b;
  if (m <= c)
    m = c;
  for (Integer t = m - 1; t > 0; --t)
    if (a % t == 0 && b % t == 0 && c % t == 0)
      return t;
  return 1;
}

namespace {

// Whole turns of the driver after which a shaft turning ratio num/den of it is back where it
// started: den / gcd(num, den). Counts up to the controls' 40 keep every product small.
int64_t TurnsToRepeat(int64_t num, int64_t den)
{
  if (num == 0 || den == 0)
    return 1;
  return std::abs(den) / std::gcd(num, den);
}

Integer Degrees(int64_t turns)
{
  int64_t d = turns * 360;
  return d > INT32_MAX ? INT32_MAX : Integer(d);
}

}   // namespace

Integer GearPairRepeatAngle(Integer t1, Integer t2) { return Degrees(SafeDiv(t2, GreatestCommonDivisor(t1, t2))); }

Integer GearTrainRepeatAngle(Integer t1, Integer t2, Integer t3)
{
  if (t3 == t1)
    return GearPairRepeatAngle(t1, t2);
  Integer g = GreatestCommonDivisor(t1, t2, t3);
  return Degrees(std::llround(double(int64_t(t2) * t3) / double(g)));
}

Integer CompoundGearRepeatAngle(Integer t1, Integer t2, Integer t3, Integer t4)
{
  // The centre shaft turns t1/t2 of the driver and the right shaft t1 t3 / (t2 t4): the
  // repeat is the least number of driver turns that brings both round whole.
  int64_t centre = TurnsToRepeat(t1, t2);
  int64_t right = TurnsToRepeat(int64_t(t1) * t3, int64_t(t2) * t4);
  return Degrees(std::lcm(centre, right));
}

Integer PulleyPairRepeatAngle(Integer s1, Integer s2)
{
  if (s1 == s2)
    return 360;
  Integer g = GreatestCommonDivisor(s1, s2);
  return Degrees(int64_t(SafeDiv(s1, g)) * SafeDiv(s2, g));
}

Integer RackPinionRepeatAngle(Integer n, Single RackLength)
{
  long double v = (long double)RackLength * 180.0L / ((long double)n * (long double)CogPitch);
  if (!std::isfinite(double(v)))
    return 0;
  return SafeTrunc(double(v));
}

// --- assemblies ----------------------------------------------------------------------------

namespace {

void AddAssemblyParts(TGLBaseSceneObject* parent, const TGLMaterialLibrary* matLib, std::unique_ptr<TCog> gear,
                      Single toothDepth, Single thickness, Single boreRadius, Single roll, const TAffineVector& at)
{
  TCog* cog = parent->AddChild(std::move(gear));
  cog->SetRollAngle(roll);
  cog->Position.SetAsAffineVector(at);
  SetLibMaterial(cog, matLib, 1);

  auto web = TCylinder::CreateSized(nullptr, boreRadius + 0.02f, boreRadius + 0.02f, 0.5f * thickness, 20, 1, 1,
                                    cyBottom | cyTop, ndOutside);
  web->SetPitchAngle(90);
  web->Position.SetAsAffineVector(at);
  SetLibMaterial(web.get(), matLib, 3);
  parent->AddChild(std::move(web));

  auto boss = TCylinder::CreateSized(nullptr, 1.6f * toothDepth, 1.4f * toothDepth, 0.75f * thickness, 20, 1, 1,
                                     cySides | cyTop, ndOutside);
  boss->SetPitchAngle(-90);
  boss->Position.SetPoint(at[0], at[1], at[2] + 0.075f);
  SetLibMaterial(boss.get(), matLib, 3);
  parent->AddChild(std::move(boss));

  Single r = 0.8f * toothDepth;
  auto axle = std::make_unique<TSlotAxle>(nullptr, r, 0.6f, 0.35f * r, 0.5f * r, 20);
  axle->Position.SetAsAffineVector(at);
  SetLibMaterial(axle.get(), matLib, 0);
  parent->AddChild(std::move(axle));

  auto key = TCube::CreateSized(nullptr, 0.35f * r, r, 0.4f, cpAll & ~cpBottom, ndOutside);
  key->Position.SetPoint(at[0], at[1] + 0.7f * r, at[2]);
  SetLibMaterial(key.get(), matLib, 2);
  parent->AddChild(std::move(key));
}

// The scene's arrow: from the wheel's axis along X to a + 0.075, at depth z.
TLines* AddCogArrow(TGLBaseSceneObject* parent, const TVector& colour, Single a, Single sign, Single z)
{
  auto l = NewMarkerLines(colour);
  l->AddNode(0, 0, z);
  l->AddNode(sign * a, 0, z);
  l->AddNode(sign * a, ArrowHalfWidth, z);
  l->AddNode(sign * (a + CogToothDepth), 0, z);
  l->AddNode(sign * a, -ArrowHalfWidth, z);
  l->AddNode(sign * a, 0, z);
  return parent->AddChild(std::move(l));
}

TDummyCube* AddGroup(TGLBaseSceneObject* sceneBase, Single x, Single z = 0)
{
  auto g = std::make_unique<TDummyCube>(nullptr);
  g->Position.SetPoint(x, 0, z);
  return sceneBase->AddChild(std::move(g));
}

TDummyCube* AddMarkerGroup(TGLBaseSceneObject* sceneBase, const TVector& colour, Single x, Single z, bool visible,
                           Single a, Single sign, Single arrowZ)
{
  TDummyCube* g = AddGroup(sceneBase, x, z);
  AddCogArrow(g, colour, a, sign, arrowZ);
  g->SetVisible(visible);
  return g;
}

void AddSceneCog(TGLBaseSceneObject* group, const TGLMaterialLibrary* matLib, Integer teeth, Single roll,
                 const TAffineVector& at = NullVector)
{
  AddCogAssembly(group, matLib, teeth, CogPitch, CogToothDepth, CogThickness, CogRadius(teeth) - 0.15f, roll, at);
}

// What the scenes are made of, recognised before anything is posed.
bool IsCogGroup(const TGLBaseSceneObject* base, Integer i, Integer cogs)
{
  TDummyCube* g = GroupOf(base, i, 5 * cogs);
  if (!g)
    return false;
  for (Integer k = 0; k < cogs; ++k)
    if (!ChildOf<TCog>(g, 5 * k) || ChildOf<THelicalGear>(g, 5 * k))
      return false;
  return true;
}

bool IsMarkerGroup(const TGLBaseSceneObject* base, Integer i)
{
  return ChildOf<TLines>(GroupOf(base, i, 1), 0) != nullptr;
}

bool IsHelicalGroup(const TGLBaseSceneObject* base, Integer i)
{
  TDummyCube* g = GroupOf(base, i, 6);
  return ChildOf<THelicalGear>(g, 0) && ChildOf<TLines>(g, 5);
}

bool IsTwoCogScene(const TDummyCube* base)
{
  return ChildCount(base) >= 4 && IsCogGroup(base, 0, 1) && IsCogGroup(base, 1, 1) && IsMarkerGroup(base, 2)
         && IsMarkerGroup(base, 3);
}

// Topics 2 and 3 differ only in the centre group: one cog or two on one shaft.
bool IsTrainScene(const TDummyCube* base, Integer centreCogs)
{
  return ChildCount(base) >= 6 && IsCogGroup(base, 0, 1) && IsMarkerGroup(base, 1) && IsCogGroup(base, 2, centreCogs)
         && IsMarkerGroup(base, 3) && IsCogGroup(base, 4, 1) && IsMarkerGroup(base, 5);
}

bool IsHelicalScene(const TDummyCube* base)
{
  return ChildCount(base) >= 2 && IsHelicalGroup(base, 0) && IsHelicalGroup(base, 1);
}

// The three shafts of a train and the arrows that turn with them.
void PoseTrain(TDummyCube* base, Single left, Single centre, Single right)
{
  const Single rolls[3] = {left, centre, right};
  for (Integer i = 0; i < 6; ++i)
    SetChildRoll(base, i, rolls[i / 2]);
}

// Minus the driven wheel's turn for the driver's phase.
Single Driven(Single phase, Integer driver, Integer driven)
{
  return -phase * SafeDivide(Single(driver), Single(driven));
}

}   // namespace

void AddCogAssembly(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Teeth, Single Pitch,
                    Single ToothDepth, Single Thickness, Single BoreRadius, Single Roll, const TAffineVector& Position)
{
  if (!Parent)
    return;
  AddAssemblyParts(Parent, MatLib, std::make_unique<TCog>(nullptr, Teeth, Pitch, ToothDepth, Thickness, BoreRadius),
                   ToothDepth, Thickness, BoreRadius, Roll, Position);
}

void AddHelicalGearAssembly(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Teeth, Single Pitch,
                            Single ToothDepth, Single Thickness, Single BoreRadius, Single Roll, Single Twist)
{
  if (!Parent)
    return;
  auto gear = std::make_unique<THelicalGear>(nullptr, Teeth, Pitch, ToothDepth, Thickness, BoreRadius);
  gear->Twist = Twist;
  AddAssemblyParts(Parent, MatLib, std::move(gear), ToothDepth, Thickness, BoreRadius, Roll, NullVector);
}

// --- scenes --------------------------------------------------------------------------------

void BuildTwoCogScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer T1, Integer T2, bool ShowMarkers,
                      const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  Single r1 = CogRadius(T1), r2 = CogRadius(T2);
  AddSceneCog(AddGroup(SceneBase, -r1), MatLib, T1, 0);
  AddSceneCog(AddGroup(SceneBase, r2 - CogToothDepth), MatLib, T2, -CogStartAngle(T2));
  AddMarkerGroup(SceneBase, MarkerColour, -r1, 0, ShowMarkers, r1 - 0.15f, 1, 0.32f);
  AddMarkerGroup(SceneBase, MarkerColour, r2 - CogToothDepth, 0, ShowMarkers, r2 - 0.15f, -1, 0.32f);
}

void BuildThreeCogScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer T1, Integer T2, Integer T3,
                        bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  Single r1 = CogRadius(T1), r2 = CogRadius(T2), r3 = CogRadius(T3);
  Single left = -r1 - r2 + CogToothDepth, right = r2 + r3 - CogToothDepth;
  AddSceneCog(AddGroup(SceneBase, left), MatLib, T1, 0);
  AddMarkerGroup(SceneBase, MarkerColour, left, 0, ShowMarkers, r1 - 0.15f, 1, 0.32f);
  AddSceneCog(AddGroup(SceneBase, 0), MatLib, T2, -CogStartAngle(T2));
  AddMarkerGroup(SceneBase, MarkerColour, 0, 0, ShowMarkers, r2 - 0.15f, -1, 0.32f);
  AddSceneCog(AddGroup(SceneBase, right), MatLib, T3, MeshPhaseAngle(T2, T3));
  AddMarkerGroup(SceneBase, MarkerColour, right, 0, ShowMarkers, r3 - 0.15f, 1, 0.32f);
}

void BuildCompoundGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer T1, Integer T2, Integer T3,
                            Integer T4, bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  Single r1 = CogRadius(T1), r2 = CogRadius(T2), r3 = CogRadius(T3), r4 = CogRadius(T4);
  Single left = -r1 - r2 + CogToothDepth, right = r3 + r4 - CogToothDepth;
  // The left pair meshes in z = 0.2, the right pair in z = -0.2; the centre cogs share a shaft.
  AddSceneCog(AddGroup(SceneBase, left, 0.2f), MatLib, T1, -DriverStartAngle(T1, T2));
  AddMarkerGroup(SceneBase, MarkerColour, left, 0.2f, ShowMarkers, r1 - 0.15f, 1, 0.22f);
  TDummyCube* centre = AddGroup(SceneBase, 0);
  AddSceneCog(centre, MatLib, T2, 0, {0, 0, 0.2f});
  AddSceneCog(centre, MatLib, T3, 0, {0, 0, -0.2f});
  AddMarkerGroup(SceneBase, MarkerColour, 0, 0, ShowMarkers, r2 - 0.15f, 1, 0.42f);
  AddSceneCog(AddGroup(SceneBase, right, -0.2f), MatLib, T4, -CogStartAngle(T4));
  AddMarkerGroup(SceneBase, MarkerColour, right, -0.2f, ShowMarkers, r4 - 0.15f, 1, 0.22f);
}

void BuildHelicalGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer T1, Integer T2,
                           bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const Single twist = 0.25f * CogPitch;
  Single r1 = CogRadius(T1), r2 = CogRadius(T2);
  struct TWheel {
    Integer Teeth;
    Single X, Roll, Twist, R;
  };
  for (const TWheel& w :
       {TWheel{T1, -r1, 0, twist, r1}, TWheel{T2, r2 - CogToothDepth, -CogStartAngle(T2), -twist, r2}}) {
    auto g = std::make_unique<TDummyCube>(nullptr);
    g->Position.X = w.X;
    TDummyCube* group = SceneBase->AddChild(std::move(g));
    AddHelicalGearAssembly(group, MatLib, w.Teeth, CogPitch, CogToothDepth, CogThickness, w.R - 0.15f, w.Roll, w.Twist);
    AddCogArrow(group, MarkerColour, w.R - 0.15f, 1, 0.32f)->SetVisible(ShowMarkers);
  }
}

void AnimateTwoCogScene(TDummyCube* SceneBase, Integer T1, Integer T2, Single Phase)
{
  if (!IsTwoCogScene(SceneBase))
    return;
  Single b = Driven(Phase, T1, T2);
  SetChildRoll(SceneBase, 0, Phase);
  SetChildRoll(SceneBase, 2, Phase);
  SetChildRoll(SceneBase, 1, b);
  SetChildRoll(SceneBase, 3, b);
}

void AnimateThreeCogScene(TDummyCube* SceneBase, Integer T1, Integer T2, Integer T3, Single Phase)
{
  if (!IsTrainScene(SceneBase, 1))
    return;
  Single b = Driven(Phase, T1, T2);
  Single c = -Driven(Phase, T1, T3);
  PoseTrain(SceneBase, Phase, b, c);
}

void AnimateCompoundGearScene(TDummyCube* SceneBase, Integer T1, Integer T2, Integer T3, Integer T4, Single Phase)
{
  if (!IsTrainScene(SceneBase, 2))
    return;
  Single b = Driven(Phase, T1, T2);
  Single c = Driven(b, T3, T4);
  PoseTrain(SceneBase, Phase, b, c);
}

void AnimateHelicalGearScene(TDummyCube* SceneBase, Integer T1, Integer T2, Single Phase)
{
  if (!IsHelicalScene(SceneBase))
    return;
  SetChildRoll(SceneBase, 0, Phase);
  SetChildRoll(SceneBase, 1, Driven(Phase, T1, T2));
}

void ShowTwoCogMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsTwoCogScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 2, Visible);
  SetChildVisible(SceneBase, 3, Visible);
}

void ShowThreeCogMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsTrainScene(SceneBase, 1) && !IsTrainScene(SceneBase, 2))
    return;
  for (Integer i : {1, 3, 5})
    SetChildVisible(SceneBase, i, Visible);
}

void ShowHelicalGearMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsHelicalScene(SceneBase))
    return;
  for (Integer i : {0, 1})
    SetChildVisible(SceneBase->GetChild(i), 5, Visible);
}
