#include "topics/Ratchets.h"

#include <cmath>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/SceneMatch.h"

namespace {

constexpr Integer RatchetTeeth = 20;
constexpr Single ToothAngle = 360.0f / RatchetTeeth;
// arctan 0.125 in degrees: how far the pawl swings while a tooth's back passes under it.
constexpr Single PawlLift = 7.125016f;
constexpr Single PawlClear = -15;

bool IsRatchetScene(const TDummyCube* base)
{
  return GroupHolding<TRatchet, TSlotAxle, TCube>(base, 0) && GroupHolding<TPawl, TCylinder>(base, 1);
}

}   // namespace

void BuildRatchetScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  TDummyCube* wheel = AddPlacedGroup(SceneBase, 0, 0, 0);
  wheel->Scale.ScaleBy(2);
  AddWithMaterial(wheel, std::make_unique<TRatchet>(nullptr, 0.1f, 0.05f, 0.05f, RatchetTeeth), MatLib, 1);
  AddWithMaterial(wheel, std::make_unique<TSlotAxle>(nullptr, 0.05f, 0.2f, 0.0175f, 0.025f, 20), MatLib, 0);
  auto key = TCube::CreateSized(nullptr, 0.0175f, 0.05f, 0.15f, cpAll & ~cpBottom, ndOutside);
  key->Position.SetPoint(0, 0.035f, 0);
  AddWithMaterial(wheel, std::move(key), MatLib, 2);

  TDummyCube* pawlGroup = AddPlacedGroup(SceneBase, 0.806f, 0.5466198f, 0);
  pawlGroup->Scale.ScaleBy(2);
  auto pawl = std::make_unique<TPawl>(nullptr, 0.1f, 0.05f, 0.1f, 0.4f, 0.05f, 20);
  pawl->HookRadius = 0.18f;
  pawl->SideColoured = true;
  AddWithMaterial(pawlGroup, std::move(pawl), MatLib, 7);
  auto pin = TCylinder::CreateSized(nullptr, 0.05f, 0.05f, 0.2f, 20, 1, 1, cyAll, ndOutside);
  pin->SetPitchAngle(90);
  AddWithMaterial(pawlGroup, std::move(pin), MatLib, 0);
}

namespace {

// The pawl's roll for a phase, degrees.
Single PawlAngle(bool Advancing, Single Phase)
{
  if (!Advancing)
    return PawlClear;
  if (!std::isfinite(Phase))
    return 0;
  // Where the pawl stands within the tooth now under it; floor keeps it in [0, 1) for
  // phases below zero too, so the pawl never swings down into the wheel.
  double t = double(Phase) / double(ToothAngle);
  return -Single(t - std::floor(t)) * PawlLift;
}

}   // namespace

void AnimateRatchetScene(TDummyCube* SceneBase, bool Advancing, Single Phase)
{
  if (!IsRatchetScene(SceneBase))
    return;
  SetChildRoll(SceneBase, 0, Phase);
  SetChildRoll(SceneBase, 1, PawlAngle(Advancing, Phase));
}
