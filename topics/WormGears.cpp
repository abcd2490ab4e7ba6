#include "topics/WormGears.h"

#include <cmath>

#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/GearCogs.h"
#include "topics/Markers.h"
#include "topics/SceneMatch.h"

namespace {

// A quarter of the pitch: the worm's lead over the wheel's tip radius gives the skew.
constexpr Single QuarterPitch = 0.25f * CogPitch;

// Brings an angle into [0, 360] as the wrap rule leaves it: above 360 comes down by whole
// turns, so no sequence of steps makes it grow without bound.
Single WrapWheelAngle(Single a)
{
  if (!std::isfinite(a))
    return 0;
  if (a > 360) {
    a = std::fmod(a, 360.0f);
    if (a == 0)
      a = 360;
  } else if (a < -360) {
    a = std::fmod(a, 360.0f);
  }
  return a;
}

std::unique_ptr<TCylinder> Cylinder(Single bottom, Single top, Single height, Integer slices, TCylinderParts parts)
{
  return TCylinder::CreateSized(nullptr, bottom, top, height, slices, 1, 1, parts, ndOutside);
}

// A drum part of the drive unit along the worm's axis.
template <class T>
void AddDrivePart(TGLBaseSceneObject* base, std::unique_ptr<T> part, Single x, Single h,
                  const TGLMaterialLibrary* matLib, Integer material)
{
  part->SetRollAngle(90);
  part->Position.SetPoint(x, h, 0);
  AddWithMaterial(base, std::move(part), matLib, material);
}

void AddWire(TGLBaseSceneObject* base, Single h, Single z, const TGLMaterialLibrary* matLib, Integer material)
{
  auto wire = std::make_unique<TPipe>(nullptr);
  wire->SetRadius(0.02f);
  wire->SetParts(ppOutside | ppStopDisk);
  wire->Position.SetPoint(1.6f, h, z);
  wire->AddNode(0, 0, 0);
  wire->AddNode(0.2f, 0, 0);
  for (Integer i = 0; i <= 5; ++i) {
    long double a = (long double)(18 * i) * (long double)cPIdiv180;
    wire->AddNode(0.2f + 0.05f * Single(std::sin(a)), -0.05f + 0.05f * Single(std::cos(a)), 0);
  }
  wire->AddNode(0.25f, -1.0f, 0);
  AddWithMaterial(base, std::move(wire), matLib, material);
}

bool IsWormScene(const TDummyCube* base)
{
  return GroupHolding<TWorm, TCylinder, TCylinder>(base, 0)
         && GroupHolding<TWormWheel, TCylinder, TCylinder, TSlotAxle, TCube>(base, 1) && ChildOf<TWheelGroup>(base, 1)
         && ArrowGroup(base, 2) && ArrowGroup(base, 3);
}

}   // namespace

void BuildWormGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Teeth, bool ShowMarkers,
                        const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const Single r = CogRadius(Teeth);
  const Single lambda = Single(std::atan((long double)QuarterPitch / (long double)r));
  const Single hub = r - 0.1125f;
  const Single h = r + 0.105f;   // the worm's axis above the wheel's centre

  TDummyCube* worm = AddPlacedGroup(SceneBase, 0, h, 0);
  auto thread = std::make_unique<TWorm>(nullptr, 0.1f, 0.075f, CogPitch, 0.075f, 0.02f, 6, 20);
  thread->Position.SetPoint(QuarterPitch, 0, 0);
  AddWithMaterial(worm, std::move(thread), MatLib, 6);
  auto core = Cylinder(0.1f, 0.1f, 0.98f, 20, cyAll);
  core->SetRollAngle(90);
  core->Position.SetPoint(QuarterPitch, 0, 0);
  AddWithMaterial(worm, std::move(core), MatLib, 6);
  auto shaft = Cylinder(0.05f, 0.05f, 0.9f, 20, cySides);
  shaft->SetRollAngle(90);
  shaft->Position.SetPoint(0.45f, 0, 0);
  AddWithMaterial(worm, std::move(shaft), MatLib, 14);

  TDummyCube* wheel = SceneBase->AddChild(std::make_unique<TWheelGroup>());
  auto gear = std::make_unique<TWormWheel>(nullptr, Teeth, CogPitch, CogToothDepth, CogThickness, hub, -lambda);
  gear->SetRollAngle(90);
  AddWithMaterial(wheel, std::move(gear), MatLib, 1);
  auto web = Cylinder(hub + 0.02f, hub + 0.02f, 0.1f, 20, cyBottom | cyTop);
  web->SetPitchAngle(90);
  AddWithMaterial(wheel, std::move(web), MatLib, 3);
  auto boss = Cylinder(0.13f, 0.11f, 0.15f, 20, cySides | cyTop);
  boss->SetPitchAngle(-90);
  boss->Position.SetPoint(0, 0, 0.075f);
  AddWithMaterial(wheel, std::move(boss), MatLib, 3);
  AddWithMaterial(wheel, std::make_unique<TSlotAxle>(nullptr, 0.08f, 0.6f, 0.028f, 0.04f, 20), MatLib, 0);
  auto key = TCube::CreateSized(nullptr, 0.028f, 0.08f, 0.3f, cpAll & ~cpBottom, ndOutside);
  key->Position.SetPoint(0, 0.056f, 0.06f);
  AddWithMaterial(wheel, std::move(key), MatLib, 2);

  TDummyCube* wheelMarker = AddPlacedGroup(SceneBase, 0, 0, 0);
  AddArrowAlongXAt(wheelMarker, 1, MarkerColour, r, {0, 0, 0.2f, 1}, true);
  wheelMarker->SetVisible(ShowMarkers);

  // Turned to look along the worm, so its roll is the worm's turn.
  TDummyCube* wormMarker = AddPlacedGroup(SceneBase, 0, h, 0);
  wormMarker->SetTurnAngle(-90);
  AddArrowAlongXAt(wormMarker, 1, MarkerColour, 0.175f, {0, 0, 0.5f, 1}, true);
  wormMarker->SetVisible(ShowMarkers);

  AddDrivePart(SceneBase, Cylinder(0.4f, 0.4f, 0.8f, 50, cySides), 1.2f, h, MatLib, 4);
  AddDrivePart(SceneBase, Cylinder(0.4f, 0.35f, 0.04f, 50, cySides | cyTop), 0.78f, h, MatLib, 4);
  AddDrivePart(SceneBase, Cylinder(0.41f, 0.41f, 0.04f, 50, cyAll), 1.61f, h, MatLib, 0);
  AddDrivePart(SceneBase,
               TAnnulus::CreateSized(nullptr, 0.1f, 0.053f, 0.1f, 0.053f, 0.04f, anInnerSides | anOuterSides | anTop),
               0.74f, h, MatLib, 0);
  AddWire(SceneBase, h, 0.2f, MatLib, 7);
  AddWire(SceneBase, h, -0.2f, MatLib, 8);
}

void AnimateWormGearScene(TDummyCube* SceneBase, Integer Teeth, Single Phase)
{
  if (Teeth <= 0 || !IsWormScene(SceneBase))
    return;
  Single w = Phase / Single(Teeth) + static_cast<TWheelGroup*>(SceneBase->GetChild(1))->Advance;
  if (w > 360)
    w -= 360;
  SetChildPitch(SceneBase, 0, Phase);
  SetChildRoll(SceneBase, 1, -w);
  SetChildRoll(SceneBase, 2, -w);
  SetChildRoll(SceneBase, 3, Phase);
}

void ShowWormGearMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsWormScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 2, Visible);
  SetChildVisible(SceneBase, 3, Visible);
}

void AdvanceWormWheel(TDummyCube* SceneBase, Single Step)
{
  TWheelGroup* wheel = ChildOf<TWheelGroup>(SceneBase, 1);
  if (!wheel || !std::isfinite(Step))
    return;
  wheel->Advance = WrapWheelAngle(wheel->Advance + Step);
}

Single WormWheelAdvance(const TDummyCube* SceneBase)
{
  const TWheelGroup* wheel = ChildOf<TWheelGroup>(SceneBase, 1);
  return wheel ? wheel->Advance : 0;
}
