#include "topics/Sliders.h"

#include <algorithm>
#include <cmath>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "topics/MachineHelpers.h"
#include "topics/SceneMatch.h"
#include "topics/TopicFrame.h"

namespace {

// --- crank and slider ----------------------------------------------------------------------

constexpr Single CrankCentreY = -0.5f;
constexpr Single ConRodLength = 1.0f;

// The rod's angle from the vertical when the crank pin stands r cos a off the piston's line.
// A throw longer than the rod cannot close; the rod then leans as far as it can.
Single RodAngle(Single r, Single phase)
{
  const double lean = double(r) * std::cos(double(phase) * cPIdiv180) / ConRodLength;
  return RadToDegrees(std::asin(std::clamp(lean, -1.0, 1.0)));
}

bool IsCrankSliderScene(const TDummyCube* base)
{
  return ChildCount(base) == 3 && GroupHolding<TPiston, TCrankEx, TCylinder>(base, 0)
         && GroupHolding<TCylinder, TCylinder, TBigEnd, TBigEnd>(base, 1) && GroupHolding<TAnnulusEx>(base, 2);
}

// --- crank and slotted link ----------------------------------------------------------------

constexpr Single SlotPivotY = -0.75f;
constexpr Single SlotLinkLength = 1.6f;
constexpr Single ConnectingLinkLength = 0.5f;
constexpr Single RamPinY = 1.0f;
constexpr Single PinionRatio = 2.5f;
constexpr Single PinionX = -0.7248592f;

bool IsCrankSlotScene(const TDummyCube* base)
{
  return ChildCount(base) == 7 && GroupHolding<TSlotLinkage>(base, 0)
         && GroupHolding<TCylinder, TCog, TSlotAxle, TCube, TCylinder>(base, 1)
         && GroupHolding<TLinkage, TLinkAxle>(base, 2)
         && GroupHolding<TOpenBox, TLinkAxle, TCube, TOpenBox, TCutBit, TCylinder, TScrew, THexNut>(base, 3)
         && GroupHolding<TCog, TCylinder, TSlotAxle, TCube>(base, 4) && GroupHolding<TCube>(base, 5)
         && GroupHolding<TOpenBox, TLinkAxle>(base, 6);
}

// Shaft, key and web of a gear, appended after the gear itself.
void AddShaftAndKey(TGLBaseSceneObject* g, const TGLMaterialLibrary* lib)
{
  AddWithMaterial(g, std::make_unique<TSlotAxle>(nullptr, 0.05f, 0.14f, 0.35f * 0.05f, 0.5f * 0.05f, 20), lib, 0);
  auto key = TCube::CreateSized(nullptr, 0.35f * 0.05f, 0.05f, 0.1f, cpAll, ndOutside);
  key->Position.Y = 0.7f * 0.05f;
  AddWithMaterial(g, std::move(key), lib, 2);
}

std::unique_ptr<TCylinder> Web(Single radius)
{
  auto web = NewCylinder(radius, 0.05f, 10, cyAll);
  web->SetPitchAngle(90);
  return web;
}

std::unique_ptr<TLinkAxle> Pin(Single length, Single radiusA, Single radiusB)
{
  return std::make_unique<TLinkAxle>(nullptr, length, radiusA, radiusB, 0.02f, 20, 0);
}

std::unique_ptr<TOpenBox> RoundedBox(Single x, Single y, Single z, Single wall)
{
  auto box = std::make_unique<TOpenBox>(nullptr, x, y, z, wall);
  box->SetStyle(2);
  box->SetCornerRadius(0.05f);
  box->SetSideColour(true);
  return box;
}

// --- windlass ------------------------------------------------------------------------------

constexpr Single AxleY = 0.7f;
constexpr Single DrumRadius = 0.06f;
constexpr Single RopeRadius = 0.01f;
constexpr Single CoilPitch = 0.03f;
constexpr Single RopeStart = 2.0f;
// Where the rope leaves the drum: its coil starts here and the hanging rope runs down from it.
constexpr Single RopeX = -0.125f;
constexpr Single RopeZ = DrumRadius + RopeRadius;

bool IsWindlassScene(const TDummyCube* base)
{
  return ChildCount(base) == 4 && GroupHolding<THelix>(base, 0) && GroupHolding<TCylinder>(base, 1)
         && GroupHolding<TCylinder, TCylinder, TCylinder, TLinkage>(base, 2) && GroupHolding<TFrustrum>(base, 3);
}

}   // namespace

// --- crank and slider ----------------------------------------------------------------------

void BuildCrankSliderScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Single CrankOffset)
{
  if (!SceneBase)
    return;
  const Single r = CrankOffset;
  const Single phi0 = RodAngle(r, 0);

  TDummyCube* rod = AddPlacedGroup(SceneBase, r, CrankCentreY, 0);
  rod->SetRollAngle(phi0);
  auto piston = std::make_unique<TPiston>(nullptr, 0.3f, 0.05f, 0.1f, 0.35f, 0.03f, 50);
  piston->Position.Y = ConRodLength;
  piston->SetRollAngle(-phi0);
  AddWithMaterial(rod, std::move(piston), MatLib, 5);
  AddWithMaterial(rod, std::make_unique<TCrankEx>(nullptr), MatLib, 1);
  auto gudgeon = NewCylinder(0.035f, 0.58f, 20, cyAll);
  gudgeon->SetPitchAngle(-90);
  gudgeon->Position.Y = ConRodLength;
  AddWithMaterial(rod, std::move(gudgeon), MatLib, 6);

  TDummyCube* crank = AddPlacedGroup(SceneBase, 0, CrankCentreY, 0);
  for (Single side : {1.0f, -1.0f}) {
    auto journal = NewCylinder(0.13f, 0.3f, 20, cySides | cyTop);
    journal->SetPitchAngle(-90 * side);
    journal->Position.Z = 0.33f * side;
    AddWithMaterial(crank, std::move(journal), MatLib, 5);
  }
  for (Single side : {1.0f, -1.0f}) {
    auto web = std::make_unique<TBigEnd>(nullptr, 0.32f, 0.18f, r, 0.1f, 20);
    web->Position.Z = 0.13f * side;
    AddWithMaterial(crank, std::move(web), MatLib, 2);
  }

  TDummyCube* cylinder = AddPlacedGroup(SceneBase, 0, CrankCentreY, 0);
  // The front half is cut away so that the piston shows.
  auto wall = std::make_unique<TAnnulusEx>(nullptr, 0.3075f + 0.04f, 0.04f, 2 * r + 0.4f, 0.0f, 180.0f, 30);
  wall->Position.Y = 1.2f;
  AddWithMaterial(cylinder, std::move(wall), MatLib, 0);
}

void AnimateCrankSliderScene(TDummyCube* SceneBase, Single Phase, Single CrankOffset)
{
  if (!IsCrankSliderScene(SceneBase) || !std::isfinite(Phase) || !std::isfinite(CrankOffset))
    return;
  const double a = double(Phase) * cPIdiv180;
  const Single r = CrankOffset;
  const Single phi = RodAngle(r, Phase);
  TGLBaseSceneObject* rod = SceneBase->GetChild(0);
  rod->Position.SetCoordinate(0, Single(r * std::cos(a)));
  rod->Position.SetCoordinate(1, Single(r * std::sin(a)) + CrankCentreY);
  PoseFromRest(rod, phi);
  PoseFromRest(SceneBase->GetChild(1), Phase);
  // Turned back by the rod's angle, the piston stays upright.
  PoseFromRest(rod->GetChild(0), -phi);
}

// --- crank and slotted link ----------------------------------------------------------------

TCrankSlotAngles CrankSlotAngles(Single CrankOffset, Single Phase)
{
  const double a = double(Phase) * cPIdiv180, r = CrankOffset;
  TCrankSlotAngles s;
  // The crank pin relative to the link's pivot: atan2 keeps the angle defined where the
  // pin would pass the pivot (a throw of 0.75 or more).
  s.Theta = std::atan2(r * std::cos(a), r * std::sin(a) - SlotPivotY);
  // The link's top pin to the ram pin's height, over the link's length; beyond reach the
  // link stands as steep as it can.
  const double rise = (RamPinY - SlotPivotY - SlotLinkLength * std::cos(s.Theta)) / ConnectingLinkLength;
  s.Psi = std::acos(std::clamp(rise, -1.0, 1.0));
  return s;
}

void BuildCrankSlotScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Single CrankOffset, Single Phase)
{
  if (!SceneBase)
    return;
  const Single r = CrankOffset;
  const TCrankSlotAngles s0 = CrankSlotAngles(r, 0);
  const Single theta0 = RadToDegrees(s0.Theta), psi0 = RadToDegrees(s0.Psi);
  const Single topX = SlotLinkLength * Single(std::sin(s0.Theta));
  const Single topY = SlotLinkLength * Single(std::cos(s0.Theta)) + SlotPivotY;

  TDummyCube* slot = AddPlacedGroup(SceneBase, 0, SlotPivotY, 0);
  slot->SetRollAngle(-theta0);
  auto link = std::make_unique<TSlotLinkage>(nullptr, 0.1f, 0.04f, SlotLinkLength, 20);
  link->SlotWidth = 0.1f;
  link->SlotTop = 1.25f;
  link->SlotBottom = 0.25f;
  link->SideColoured = true;
  link->Position.Z = 0.02f;
  AddWithMaterial(slot, std::move(link), MatLib, 7);

  TDummyCube* wheel = AddPlacedGroup(SceneBase, 0, 0, -0.1f);
  AddWithMaterial(wheel, Web(0.5f), MatLib, 3);
  AddWithMaterial(wheel, std::make_unique<TCog>(nullptr, 25, 0.14f, 0.06f, 0.06f, 0.45f), MatLib, 1);
  AddShaftAndKey(wheel, MatLib);
  auto crankPin = NewCylinder(0.03f, 0.17f, 20, cyAll);
  crankPin->SetPitchAngle(90);
  crankPin->Position.SetPoint(r, 0, 0.07f);
  AddWithMaterial(wheel, std::move(crankPin), MatLib, 6);

  TDummyCube* connecting = AddPlacedGroup(SceneBase, topX, topY, 0);
  connecting->SetRollAngle(-(psi0 + 90));
  auto conLink = std::make_unique<TLinkage>(nullptr, 0.07f, 0.04f, ConnectingLinkLength, 10);
  conLink->SideColoured = true;
  conLink->Position.Z = 0.062f;
  AddWithMaterial(connecting, std::move(conLink), MatLib, 7);
  auto topPin = Pin(0.084f, 0.04f, 0.06f);
  topPin->Position.Z = 0.04f;
  AddWithMaterial(connecting, std::move(topPin), MatLib, 6);

  const Single ramX = topX + ConnectingLinkLength * Single(std::sin(s0.Psi));
  TDummyCube* ram = AddPlacedGroup(SceneBase, ramX, RamPinY, 0);
  auto bracket = RoundedBox(0.2f, 0.2f, 0.16f, 0.02f);
  bracket->SetRollAngle(180);
  bracket->Position.Z = 0.062f;
  AddWithMaterial(ram, std::move(bracket), MatLib, 4);
  auto ramPin = Pin(0.16f, 0.04f, 0.06f);
  ramPin->Position.Z = 0.062f;
  AddWithMaterial(ram, std::move(ramPin), MatLib, 6);
  auto bar = TCube::CreateSized(nullptr, 1.0f, 0.24f, 0.2f, cpAll, ndOutside);
  bar->Position.SetPoint(-0.3f, 0.22f, 0.062f);
  AddWithMaterial(ram, std::move(bar), MatLib, 4);
  auto head = std::make_unique<TOpenBox>(nullptr, 0.24f, 0.2f, 0.2f, 0.04f);
  head->SetStyle(1);
  head->SetRollAngle(-90);
  head->Position.SetPoint(-0.9f, 0.22f, 0.062f);
  AddWithMaterial(ram, std::move(head), MatLib, 4);
  auto cutter = std::make_unique<TCutBit>(nullptr);
  cutter->Position.SetPoint(-0.85f, 0.22f, 0.062f);
  AddWithMaterial(ram, std::move(cutter), MatLib, 0);
  auto washer = NewCylinder(0.04f, 0.02f, 20, cySides | cyBottom);
  washer->SetRollAngle(90);
  washer->Position.SetPoint(-0.91f, 0.22f, 0.062f);
  AddWithMaterial(ram, std::move(washer), MatLib, 0);
  auto clampScrew = std::make_unique<TScrew>(nullptr, 0.04f, 0.01f, 0.02f, 0.02f, 10, 20);
  clampScrew->SetOption1(tpVee);
  clampScrew->SetThreadStyle(false);
  clampScrew->SetParts(ScrewParts({spRunOut}));
  clampScrew->Position.SetPoint(-1.12f, 0.22f, 0.062f);
  AddWithMaterial(ram, std::move(clampScrew), MatLib, 0);
  auto clampNut = std::make_unique<THexNut>(nullptr, 0.07f, 0.0f, 0.08f);
  clampNut->SetTurnAngle(90);
  clampNut->Position.SetPoint(-1.12f, 0.22f, 0.062f);
  AddWithMaterial(ram, std::move(clampNut), MatLib, 0);

  TDummyCube* pinion = AddPlacedGroup(SceneBase, PinionX, 0, -0.1f);
  auto pinionCog = std::make_unique<TCog>(nullptr, 10, 0.14f, 0.06f, 0.06f, 0.1f);
  // A tooth of the pinion sits in the wheel's gap at phase 0.
  pinionCog->SetRollAngle(-9);
  AddWithMaterial(pinion, std::move(pinionCog), MatLib, 1);
  AddWithMaterial(pinion, Web(0.15f), MatLib, 3);
  AddShaftAndKey(pinion, MatLib);

  TDummyCube* block = AddPlacedGroup(SceneBase, r, 0, 0);
  block->SetRollAngle(-theta0);
  auto slider = TCube::CreateSized(nullptr, 0.1f, 0.15f, 0.06f, cpAll, ndOutside);
  slider->Position.Z = 0.02f;
  AddWithMaterial(block, std::move(slider), MatLib, 0);

  TDummyCube* pivot = AddPlacedGroup(SceneBase, 0, SlotPivotY, 0.02f);
  AddWithMaterial(pivot, RoundedBox(0.4f, 0.3f, 0.16f, 0.04f), MatLib, 4);
  AddWithMaterial(pivot, Pin(0.16f, 0.04f, 0.06f), MatLib, 6);

  // The whole model at the phase asked for, not the link at one phase and the wheel at another.
  AnimateCrankSlotScene(SceneBase, CrankOffset, Phase);
}

void AnimateCrankSlotScene(TDummyCube* SceneBase, Single CrankOffset, Single Phase)
{
  if (!IsCrankSlotScene(SceneBase) || !std::isfinite(Phase) || !std::isfinite(CrankOffset))
    return;
  const double a = double(Phase) * cPIdiv180, r = CrankOffset;
  const TCrankSlotAngles s = CrankSlotAngles(CrankOffset, Phase);
  const Single theta = RadToDegrees(s.Theta), psi = RadToDegrees(s.Psi);
  const Single topX = SlotLinkLength * Single(std::sin(s.Theta));

  PoseFromRest(SceneBase->GetChild(0), -theta);
  PoseFromRest(SceneBase->GetChild(1), Phase);
  TGLBaseSceneObject* connecting = SceneBase->GetChild(2);
  connecting->Position.SetCoordinate(0, topX);
  connecting->Position.SetCoordinate(1, SlotLinkLength * Single(std::cos(s.Theta)) + SlotPivotY);
  PoseFromRest(connecting, -(psi + 90));
  SceneBase->GetChild(3)->Position.SetCoordinate(0, ConnectingLinkLength * Single(std::sin(s.Psi)) + topX);
  PoseFromRest(SceneBase->GetChild(4), -PinionRatio * Phase);
  TGLBaseSceneObject* block = SceneBase->GetChild(5);
  block->Position.SetCoordinate(0, Single(r * std::cos(a)));
  block->Position.SetCoordinate(1, Single(r * std::sin(a)));
  PoseFromRest(block, -theta);
}

// --- windlass ------------------------------------------------------------------------------

Single WindlassAxleRadius() { return DrumRadius; }

Single WindlassRopeLength(Single Phase)
{
  // Past the full length the rope would have a negative height; it stops at the drum.
  return std::max(RopeStart - DrumRadius * (Phase * cPIdiv180), 0.0f);
}

void BuildWindlassScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Single HandleRadius, Single Phase)
{
  if (!SceneBase)
    return;
  const Single R = HandleRadius;
  const Single L = WindlassRopeLength(0);
  // The load's side: its volume follows the ratio of handle to drum radius.
  const Single s = Single(std::pow(double(0.006f * R / DrumRadius), 0.3333333));

  TDummyCube* coil = AddPlacedGroup(SceneBase, 0, AxleY, 0);
  auto helix = std::make_unique<THelix>(nullptr, DrumRadius + RopeRadius, RopeRadius, CoilPitch, 1.0f, 20, 5);
  helix->SetEnds(0b10);
  helix->Position.X = RopeX;
  helix->SetTurnAngle(-90);
  AddWithMaterial(coil, std::move(helix), MatLib, 7);

  TDummyCube* hanging = AddPlacedGroup(SceneBase, 0, AxleY, 0);
  auto rope = NewCylinder(RopeRadius, L, 10, cyAll);
  rope->Position.SetPoint(RopeX, -0.5f * L, RopeZ);
  AddWithMaterial(hanging, std::move(rope), MatLib, 7);

  TDummyCube* drum = AddPlacedGroup(SceneBase, 0, AxleY, 0);
  auto barrel = NewCylinder(DrumRadius, 0.6f, 20, cyAll);
  barrel->SetRollAngle(90);
  barrel->Position.X = 0.1f;
  AddWithMaterial(drum, std::move(barrel), MatLib, 1);
  auto grip = NewCylinder(0.03f, 0.3f, 10, cyAll);
  grip->SetRollAngle(90);
  grip->Position.SetPoint(0.55f, 0, R);
  AddWithMaterial(drum, std::move(grip), MatLib, 4);
  auto collar = NewCylinder(0.04f, 0.03f, 0.01f, 10, cySides | cyTop);
  collar->SetRollAngle(-90);
  collar->Position.X = 0.42f;
  AddWithMaterial(drum, std::move(collar), MatLib, 6);
  auto arm = std::make_unique<TLinkage>(nullptr, 0.1f, 0.03f, R, 20);
  arm->SideColoured = true;
  arm->SetTurnAngle(90);
  arm->Position.X = 0.4f;
  AddWithMaterial(drum, std::move(arm), MatLib, 4);

  TDummyCube* load = AddPlacedGroup(SceneBase, 0, AxleY - L, 0);
  auto weight = std::make_unique<TFrustrum>(nullptr);
  weight->SetBaseWidth(s);
  weight->SetBaseDepth(s);
  weight->SetHeight(s);
  weight->Position.SetPoint(RopeX, -s, RopeZ);
  AddWithMaterial(load, std::move(weight), MatLib, 2);

  // Coil, rope, load and handle all at the phase asked for.
  AnimateWindlassScene(SceneBase, Phase);
}

void AnimateWindlassScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsWindlassScene(SceneBase) || !std::isfinite(Phase))
    return;
  const Single L = WindlassRopeLength(Phase);
  // The coil grows by a pitch per turn away from the hanging rope while the rope and load
  // shift the other way, so the coil's far end keeps its place on the drum.
  const Single x = CoilPitch * Phase / 360;
  const Single turns = std::max(Phase / 360 + 1.0f, 0.0f);
  SceneBase->GetChild(0)->GetChildAs<THelix>(0)->SetTurns(turns);
  SceneBase->GetChild(0)->Position.SetCoordinate(0, x);
  TGLBaseSceneObject* hanging = SceneBase->GetChild(1);
  hanging->Position.SetCoordinate(0, x);
  TCylinder* rope = hanging->GetChildAs<TCylinder>(0);
  rope->Position.SetCoordinate(1, -0.5f * L);
  rope->SetHeight(L);
  PitchFromRest(SceneBase->GetChild(2), Phase);
  TGLBaseSceneObject* load = SceneBase->GetChild(3);
  load->Position.SetCoordinate(1, AxleY - L);
  load->Position.SetCoordinate(0, x);
}
