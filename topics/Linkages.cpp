#include "topics/Linkages.h"

#include <algorithm>
#include <cmath>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/SceneMatch.h"

namespace {

std::unique_ptr<TLinkage> SideColouredLink(Single endRadius, Single thickness, Single length)
{
  auto l = std::make_unique<TLinkage>(nullptr, endRadius, thickness, length, 20);
  l->SideColoured = true;
  return l;
}

std::unique_ptr<TCylinder> Rod(Single radius, Single height, Integer slices, TCylinderParts parts)
{
  auto c = TCylinder::CreateSized(nullptr, radius, radius, height, slices, 1, 1, parts, ndOutside);
  c->SetPitchAngle(90);
  return c;
}

Single Degrees(double radians) { return Single(radians) * c180divPI; }

// --- reverse motion ----------------------------------------------------------------------------

TDummyCube* ReverseMotionGroup(const TDummyCube* base)
{
  return GroupHolding<TLinkage, TCylinder, TLinkAxle, TLinkAxle, TLinkage, TLinkage>(base, 0);
}

// --- treadle -------------------------------------------------------------------------------------

// The crank turns about (0, 0.75), the treadle about (-0.4, -0.75) with an arm of 0.4.
constexpr Single CrankCentreY = 0.75f;
constexpr Single TreadlePivotX = -0.4f;
constexpr Single TreadlePivotY = -0.75f;
constexpr Single TreadleArm = 0.4f;
constexpr Single CentreRise = CrankCentreY - TreadlePivotY;   // 1.5
// Half the offset that keeps the layers apart in Z.
constexpr Single LayerOffset = 0.015225f;

Single RodLength(Single crank) { return Single(std::sqrt(double(crank) * crank + double(CentreRise) * CentreRise)); }

bool IsTreadleScene(const TDummyCube* base)
{
  return GroupHolding<TLinkage, TLinkAxle, TCylinder>(base, 0) && ChildOf<TLinkage>(base, 1)
         && GroupHolding<TLinkage, TLinkAxle, TCylinder>(base, 2)
         && GroupHolding<TAnnulusEx, TSpoke, TSpoke, TSpoke, TSpoke, TSpoke, TSpoke, TSpoke, TSpoke>(base, 3)
         && GroupHolding<TCube, TCylinder, TOpenBox>(base, 4);
}

}   // namespace

// --- reverse motion ------------------------------------------------------------------------------

void BuildReverseMotionScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer PivotOffset,
                             Integer Phase)
{
  if (!SceneBase)
    return;
  // Where the pivot divides the lever: 0.2 to 0.8 of its length below the upper end.
  const Single p = 0.5f + 0.01f * Single(PivotOffset);
  TDummyCube* g = AddPlacedGroup(SceneBase, 0, 0, 0);

  auto lever = SideColouredLink(0.1f, 0.02f, 1.0f);
  lever->Position.SetPoint(0, p, 0);
  lever->SetRollAngle(90);
  AddWithMaterial(g, std::move(lever), MatLib, 7);
  AddWithMaterial(g, Rod(0.04f, 0.5f, 20, cyAll), MatLib, 6);
  // The pins at the lever's ends, each on the side of the link it carries.
  for (Single side : {1.0f, -1.0f}) {
    auto pin = std::make_unique<TLinkAxle>(nullptr, 0.05f, 0.035f, 0.05f, 0.02f, 20, 0);
    pin->Position.SetPoint(0, side > 0 ? p : p - 1, 0.015f * side);
    AddWithMaterial(g, std::move(pin), MatLib, 6);
  }
  auto upper = SideColouredLink(0.1f, 0.02f, 1.0f);
  upper->Position.SetPoint(0, p, 0.03f);
  AddWithMaterial(g, std::move(upper), MatLib, 4);
  auto lower = SideColouredLink(0.1f, 0.02f, 1.0f);
  lower->Position.SetPoint(0, p - 1, -0.03f);
  lower->SetRollAngle(-180);
  AddWithMaterial(g, std::move(lower), MatLib, 4);

  AnimateReverseMotionScene(SceneBase, Single(Phase));
}

void AnimateReverseMotionScene(TDummyCube* SceneBase, Single Phase)
{
  TDummyCube* g = ReverseMotionGroup(SceneBase);
  if (!g)
    return;
  const Single a = Single(std::sin(double(Phase) * cPIdiv180)) * 45;
  g->SetRollAngle(-a);
  // The links turn back by as much as the lever, so they keep their direction in the scene.
  SetChildRoll(g, 4, a);
  SetChildRoll(g, 5, 180 + a);
}

// --- treadle -------------------------------------------------------------------------------------

void BuildTreadleScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool LinkageOnly, Single CrankLength)
{
  if (!SceneBase)
    return;
  const Single r = CrankLength;
  const Single rod = RodLength(r);

  TDummyCube* treadle = AddPlacedGroup(SceneBase, TreadlePivotX, TreadlePivotY, 0);
  auto arm = SideColouredLink(0.05f, 0.03f, TreadleArm);
  arm->Placement = lpFromOriginPlusX;
  arm->Position.SetPoint(0, 0, -LayerOffset);
  AddWithMaterial(treadle, std::move(arm), MatLib, 7);
  auto treadlePin = std::make_unique<TLinkAxle>(nullptr, 0.0609f, 0.025f, 0.04f, 0.02f, 20, 0);
  treadlePin->Position.SetPoint(TreadleArm, 0, 0);
  AddWithMaterial(treadle, std::move(treadlePin), MatLib, 6);
  auto pivot = Rod(0.025f, 0.1f, 10, cyAll);
  pivot->Position.SetPoint(0, 0, -LayerOffset);
  AddWithMaterial(treadle, std::move(pivot), MatLib, 0);

  auto conRod = SideColouredLink(0.05f, 0.03f, rod);
  conRod->SetRollAngle(90 - Degrees(std::atan(double(r) / CentreRise)));
  conRod->Position.SetPoint(r, CrankCentreY, LayerOffset);
  AddWithMaterial(SceneBase, std::move(conRod), MatLib, 4);

  // The crank runs out along +X to its pin, where the connecting rod starts.
  TDummyCube* crank = AddPlacedGroup(SceneBase, 0, CrankCentreY, 0);
  auto crankLink = SideColouredLink(0.05f, 0.03f, r);
  crankLink->Placement = lpFromOriginPlusX;
  crankLink->Position.SetPoint(0, 0, -LayerOffset);
  AddWithMaterial(crank, std::move(crankLink), MatLib, 7);
  auto crankPin = std::make_unique<TLinkAxle>(nullptr, 0.0609f, 0.025f, 0.04f, 0.02f, 20, 0);
  crankPin->Position.SetPoint(r, 0, 0);
  AddWithMaterial(crank, std::move(crankPin), MatLib, 6);
  auto crankShaft = TCylinder::CreateSized(nullptr, 0.03f, 0.03f, 0.2f, 10, 1, 1, cySides | cyTop, ndOutside);
  crankShaft->SetPitchAngle(90);
  crankShaft->Position.SetPoint(0, 0, -0.11f);
  AddWithMaterial(crank, std::move(crankShaft), MatLib, 0);

  TDummyCube* flywheel = AddPlacedGroup(SceneBase, 0, CrankCentreY, -0.2f);
  auto rim = std::make_unique<TAnnulusEx>(nullptr, 0.5f, 0.05f, 0.08f, 0.0f, 360.0f, 50);
  rim->SetPitchAngle(90);
  AddWithMaterial(flywheel, std::move(rim), MatLib, 1);
  for (Integer i = 0; i < 8; ++i) {
    auto spoke = std::make_unique<TSpoke>(nullptr, 0.5f, 0.02f, 0.03f, 45, 10);
    spoke->SetRollAngle(Single(45 * i));
    AddWithMaterial(flywheel, std::move(spoke), MatLib, 1);
  }
  flywheel->SetVisible(!LinkageOnly);

  TDummyCube* foot = AddPlacedGroup(SceneBase, TreadlePivotX, TreadlePivotY, 0.4f);
  auto plate = TCube::CreateSized(nullptr, 0.6f, 0.03f, 0.2f, cpAll, ndOutside);
  plate->Position.SetPoint(0, 0.05f, 0);
  AddWithMaterial(foot, std::move(plate), MatLib, 9);
  auto footRod = Rod(0.025f, 0.6f, 10, cyAll);
  footRod->Position.SetPoint(0, 0, -0.1f);
  AddWithMaterial(foot, std::move(footRod), MatLib, 0);
  auto box = std::make_unique<TOpenBox>(nullptr, 0.07f, 0.07f, 0.2f, 0.01f);
  box->SetStyle(2);
  box->SetRollAngle(180);
  AddWithMaterial(foot, std::move(box), MatLib, 0);
  foot->SetVisible(!LinkageOnly);
}

void AnimateTreadleScene(TDummyCube* SceneBase, Single CrankLength, Single Phase)
{
  if (!IsTreadleScene(SceneBase) || !std::isfinite(CrankLength) || !std::isfinite(Phase))
    return;
  const double r = CrankLength;
  const double rod2 = r * r + double(CentreRise) * CentreRise;
  const double phi = double(Phase) * cPIdiv180;
  // The crank pin relative to the crank's centre, then relative to the treadle's pivot.
  const double cx = r * std::cos(phi), cy = r * std::sin(phi);
  const double px = cx - TreadlePivotX, py = cy + CentreRise;
  // Direction from the treadle's pivot to the crank pin, and their distance.
  const double theta1 = std::atan2(py, px);
  const double d = std::max(std::sqrt(px * px + py * py), 1e-9);
  // The triangle pivot, pin, treadle end: its angle at the pivot, then at the pin. Beyond the
  // lengths that can close, the treadle stands as near to the pin as it can.
  const double arm = TreadleArm;
  const double theta2 = std::acos(std::clamp((d * d + arm * arm - rod2) / (2 * d * arm), -1.0, 1.0));
  const double theta3 = std::asin(std::clamp(arm * std::sin(theta2) / std::sqrt(rod2), -1.0, 1.0));

  const Single treadle = Degrees(theta1 - theta2);
  SetChildRoll(SceneBase, 0, treadle);
  TGLBaseSceneObject* conRod = SceneBase->GetChild(1);
  conRod->Position.SetCoordinate(0, Single(cx));
  conRod->Position.SetCoordinate(1, Single(cy) + CrankCentreY);
  conRod->SetRollAngle(Degrees(theta1 + theta3));
  SetChildRoll(SceneBase, 2, Phase);
  SetChildRoll(SceneBase, 3, Phase);
  SetChildRoll(SceneBase, 4, treadle);
}

void ShowTreadleLinkageOnly(TDummyCube* SceneBase, bool LinkageOnly)
{
  if (!IsTreadleScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 3, !LinkageOnly);
  SetChildVisible(SceneBase, 4, !LinkageOnly);
}
