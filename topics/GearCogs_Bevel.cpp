// The bevel, mitre and rack scenes of the gear module.
#include <cmath>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/GearCogs.h"
#include "topics/Markers.h"
#include "topics/SceneMatch.h"

namespace {

// Bevel scene: the wheel's teeth, pitch and the pinion's.
constexpr Integer BevelWheelTeeth = 60;
constexpr Integer BevelPinionTeeth = 15;
constexpr Single BevelPitch = 0.1f;
constexpr Single BevelArrowHead = 0.05f;

constexpr Integer MitreTeeth = 16;

Single CosDeg(Single deg) { return Single(std::cos((long double)deg * (long double)cPIdiv180)); }

// Where the pinion's group stands: A1 out along X, A2 up.
Single BevelA1() { return CogRadius(BevelWheelTeeth, BevelPitch) - 0.2f * CosDeg(10); }

Single BevelA2() { return CogRadius(BevelPinionTeeth, BevelPitch) - 0.2f * CosDeg(80) - 0.05f - 0.012f; }

// An arrow drawn inline: the six nodes in order, appended with notification.
TLines* AddNodeArrow(TGLBaseSceneObject* parent, const TVector& colour, const TAffineVector (&nodes)[6])
{
  auto l = NewMarkerLines(colour);
  for (const TAffineVector& n : nodes)
    l->AddNode(n);
  return parent->AddChild(std::move(l));
}

std::unique_ptr<TCylinder> Cylinder(Single radius, Single height, TCylinderParts parts, Integer slices = 20)
{
  return TCylinder::CreateSized(nullptr, radius, radius, height, slices, 1, 1, parts, ndOutside);
}

bool IsBevelScene(const TDummyCube* base)
{
  return GroupHolding<TBevelCog, TCylinder, TCylinder>(base, 0) && GroupHolding<TBevelCogEx, TCylinder>(base, 1)
         && ArrowGroup(base, 2) && ArrowGroup(base, 3);
}

bool IsMitreScene(const TDummyCube* base)
{
  return GroupHolding<TBevelCogEx, TCylinder>(base, 0) && GroupHolding<TBevelCogEx, TCylinder>(base, 1)
         && ArrowGroup(base, 2) && ArrowGroup(base, 3);
}

bool IsRackScene(const TDummyCube* base)
{
  return GroupHolding<TRackGear>(base, 0) && GroupHolding<TCog, TCylinder, TCylinder, TSlotAxle, TCube>(base, 1)
         && ArrowGroup(base, 2);
}

}   // namespace

// --- bevel ---------------------------------------------------------------------------------

void BuildBevelGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers,
                         const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const Single a1 = BevelA1(), a2 = BevelA2();

  TDummyCube* wheel = AddPlacedGroup(SceneBase, 0, 0, 0);
  auto cog = std::make_unique<TBevelCog>(nullptr, BevelWheelTeeth, BevelPitch, 0.05f, 0.24f, 15.0f);
  cog->SetPitchAngle(90);
  AddWithMaterial(wheel, std::move(cog), MatLib, 1);
  auto hub = TCylinder::CreateSized(nullptr, a1 + 0.02f, a1 + 0.02f, 0.1f, 20, 1, 1, cyBottom | cyTop, ndOutside);
  hub->Position.SetPoint(0, -0.12f, 0);
  AddWithMaterial(wheel, std::move(hub), MatLib, 3);
  auto shaft = Cylinder(0.1f, 0.5f, cyAll);
  shaft->Position.SetPoint(0, -0.12f, 0);
  AddWithMaterial(wheel, std::move(shaft), MatLib, 0);

  TDummyCube* pinion = AddPlacedGroup(SceneBase, a1, a2, 0);
  auto gear = std::make_unique<TBevelCogEx>(nullptr, BevelPinionTeeth, BevelPitch, 0.05f, 75.0f);
  gear->RotateByAngles(0, 90, BevelPinionStartAngle(BevelPinionTeeth));
  AddWithMaterial(pinion, std::move(gear), MatLib, 1);
  auto pinionShaft = Cylinder(0.1f, 0.4f, cyAll);
  pinionShaft->SetRollAngle(90);
  pinionShaft->Position.SetPoint(0.1f, 0, 0);
  AddWithMaterial(pinion, std::move(pinionShaft), MatLib, 0);

  // The wheel's arrow lies along its top face; the pinion's stands on its back.
  TDummyCube* wheelMarker = AddPlacedGroup(SceneBase, 0, 0, 0);
  const Single h = 0.5f * a1, z = 0.15f, w = ArrowHalfWidth;
  AddNodeArrow(wheelMarker, MarkerColour,
               {{0, 0, z}, {h, 0, z}, {h, w, z}, {h + BevelArrowHead, 0, z}, {h, -w, z}, {h, 0, z}})
      ->SetPitchAngle(90);
  wheelMarker->SetVisible(ShowMarkers);

  TDummyCube* pinionMarker = AddPlacedGroup(SceneBase, a1, a2, 0);
  const Single x = -0.12f;
  AddNodeArrow(pinionMarker, MarkerColour,
               {{x, 0, 0}, {x, a2, 0}, {x, a2, w}, {x, a2 + BevelArrowHead, 0}, {x, a2, -w}, {x, a2, 0}});
  pinionMarker->SetVisible(ShowMarkers);
}

void AnimateBevelGearScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsBevelScene(SceneBase))
    return;
  const Single pinion = -Phase * Single(BevelWheelTeeth / BevelPinionTeeth);
  SetChildTurn(SceneBase, 0, Phase);
  SetChildTurn(SceneBase, 2, Phase);
  SetChildPitch(SceneBase, 1, pinion);
  SetChildPitch(SceneBase, 3, pinion);
}

void ShowBevelGearMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsBevelScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 2, Visible);
  SetChildVisible(SceneBase, 3, Visible);
}

// --- mitre ---------------------------------------------------------------------------------

Single MitreMarkerOffset(Single apexHeight) { return apexHeight / 3 + 0.02f; }

void BuildMitreGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers,
                         const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  auto mitre = [] { return std::make_unique<TBevelCogEx>(nullptr, MitreTeeth, 0.25f, 0.08f, 45.0f); };
  // The two pitch cones must share their apex. The placement the scene was drawn up with
  // (the second gear 0.25 out along each axis) would push the 16-tooth gears of this pitch
  // through each other, so the second gear stands its apex height out instead.
  const Single apex = mitre()->ApexHeight();

  TDummyCube* first = AddPlacedGroup(SceneBase, 0, 0, 0);
  auto gear = mitre();
  gear->SetRollAngle(-CogStartAngle(MitreTeeth));
  AddWithMaterial(first, std::move(gear), MatLib, 1);
  auto shaft = Cylinder(0.15f, 1.0f, cyAll);
  shaft->SetPitchAngle(90);
  shaft->Position.SetPoint(0, 0, -0.49f);
  AddWithMaterial(first, std::move(shaft), MatLib, 0);

  TDummyCube* second = AddPlacedGroup(SceneBase, -apex, 0, apex);
  gear = mitre();
  gear->SetTurnAngle(90);
  AddWithMaterial(second, std::move(gear), MatLib, 1);
  shaft = Cylinder(0.15f, 1.0f, cyAll);
  shaft->SetRollAngle(90);
  shaft->Position.SetPoint(-0.49f, 0, 0);
  AddWithMaterial(second, std::move(shaft), MatLib, 0);

  // Each arrow lies just in front of its gear's small end, whose face stands a third of the
  // apex height out from the big end (the teeth run a third of the way to the apex): any
  // nearer and the arrow is buried in the gear.
  const Single face = MitreMarkerOffset(apex);
  TDummyCube* secondMarker = AddPlacedGroup(SceneBase, face - apex, 0, apex);
  secondMarker->SetTurnAngle(90);
  AddArrowAlongX(secondMarker, 1, MarkerColour, 0.25f, true);
  secondMarker->SetVisible(ShowMarkers);

  TDummyCube* firstMarker = AddPlacedGroup(SceneBase, 0, 0, face);
  AddArrowAlongX(firstMarker, 1, MarkerColour, 0.25f, true);
  firstMarker->SetVisible(ShowMarkers);
}

void AnimateMitreGearScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsMitreScene(SceneBase))
    return;
  SetChildRoll(SceneBase, 0, Phase);
  SetChildPitch(SceneBase, 1, Phase);
  SetChildRoll(SceneBase, 3, Phase);
  // The second marker group is turned to lie along the second shaft, so its own roll is
  // that shaft's pitch the other way round.
  SetChildRoll(SceneBase, 2, -Phase);
}

void ShowMitreGearMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsMitreScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 2, Visible);
  SetChildVisible(SceneBase, 3, Visible);
}

// --- rack and pinion -----------------------------------------------------------------------

void BuildRackPinionScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Teeth, Single RackLength,
                          Single RackB, Single Thickness, bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const Single r = CogRadius(Teeth);
  // The pinion's tips reach 0.9 of a tooth depth into the rack.
  const Single centre = r - 0.9f * CogToothDepth;

  TDummyCube* rack = AddPlacedGroup(SceneBase, 0, 0, 0);
  AddWithMaterial(rack,
                  std::make_unique<TRackGear>(nullptr, RackLength, RackB, Thickness, CogPitch, CogToothDepth, Teeth),
                  MatLib, 1);

  TDummyCube* pinion = AddPlacedGroup(SceneBase, 0, centre, 0);
  AddCogAssembly(pinion, MatLib, Teeth, CogPitch, CogToothDepth, Thickness, r - 0.15f, -90, NullVector);

  TDummyCube* marker = AddPlacedGroup(SceneBase, 0, centre, 0.25f);
  AddArrowAlongX(marker, 1, MarkerColour, r, true);
  marker->SetVisible(ShowMarkers);
}

void AnimateRackPinionScene(TDummyCube* SceneBase, Integer Teeth, Single Phase)
{
  if (!IsRackScene(SceneBase))
    return;
  // The arc the pinion's tip circle rolls through.
  const Single d = Phase * cPIdiv180 * CogRadius(Teeth);
  SetChildRoll(SceneBase, 1, Phase);
  SceneBase->GetChild(0)->Position.SetCoordinate(0, d);
  SetChildRoll(SceneBase, 2, Phase);
}

void ShowRackPinionMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsRackScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 2, Visible);
}
