#include "topics/CaliperBrake.h"

#include <cmath>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLBezier.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/MachineHelpers.h"
#include "topics/SceneMatch.h"
#include "topics/TopicFrame.h"

namespace {

constexpr Single GroupScale = 2;
constexpr Single MaxSwing = 3;
// The clamp hangs on arm A's end, this far left of the central bolt (in the scene).
constexpr Single ClampArm = 0.635f;
constexpr TSideColour RedSide{1, 0, 0, 1};
constexpr TSideColour BlueGreySide{0.502f, 0.525f, 0.882f, 1};

using TPoints = std::array<TVector2f, 8>;

constexpr TPoints CurvedLimb{{{0, -0.05f},
                              {0.13f, -0.05f},
                              {0.25f, -0.12f},
                              {0.25f, -0.28f},
                              {0, 0.05f},
                              {0.29f, 0.05f},
                              {0.29f, -0.12f},
                              {0.29f, -0.28f}}};

TDummyCube* AddScaledGroup(TGLBaseSceneObject* parent, Single x, Single z)
{
  TDummyCube* g = AddPlacedGroup(parent, x, 0, z);
  g->Scale.ScaleBy(GroupScale);
  return g;
}

TBezierStrip* AddStrip(TGLBaseSceneObject* g, const TGLMaterialLibrary* lib, const TPoints& points,
                       TBezierStripSides sides, Integer material)
{
  auto strip = std::make_unique<TBezierStrip>(nullptr);
  for (Integer i = 0; i < 8; ++i)
    strip->SetControlPoint(i, points[size_t(i)][0], points[size_t(i)][1], false);
  strip->SetThickness(0.04f);
  strip->SetSides(sides);
  strip->SetUseSideColour(true);
  return AddWithMaterial(g, std::move(strip), lib, material);
}

// Holder, backing, block, stud, stud thread and stud nut of one brake block; Side is +1 for
// arm A (right) and -1 for arm B (left).
void AddBrakeBlock(TGLBaseSceneObject* g, const TGLMaterialLibrary* lib, Single side, const TSideColour& colour)
{
  auto holder = std::make_unique<TSlotLinkage>(nullptr, 0.05f, 0.04f, 0.12f, 20);
  holder->SlotWidth = 0.04f;
  holder->SlotTop = 0.12f;
  holder->SideColoured = true;
  holder->SideColour = colour;
  holder->SetTurnAngle(90);
  holder->Position.SetPoint(0.27f * side, -0.44f, 0);
  AddWithMaterial(g, std::move(holder), lib, 0);

  auto backing = TCube::CreateSized(nullptr, 0.03f, 0.09f, 0.36f, cpAll, ndOutside);
  backing->Position.SetPoint(0.235f * side, -0.38f, 0);
  AddWithMaterial(g, std::move(backing), lib, 0);

  auto block = std::make_unique<TFrustrum>(nullptr);
  block->SetBaseWidth(0.09f);
  block->SetBaseDepth(0.36f);
  block->SetHeight(0.08f);
  block->SetRollAngle(90 * side);
  block->Position.SetPoint(0.22f * side, -0.38f, 0);
  AddWithMaterial(g, std::move(block), lib, 2);

  auto stud = NewCylinder(0.016f, 0.1f, 16, cySides | cyTop);
  stud->SetRollAngle(-90 * side);
  stud->Position.SetPoint(0.3f * side, -0.38f, 0);
  AddWithMaterial(g, std::move(stud), lib, 6);

  auto thread = std::make_unique<TScrew>(nullptr, 0.016f, 0.004f, 0.01f, 0.01f, 9, 10);
  thread->SetParts(ScrewParts({spEndCap, spRunOut}));
  if (side < 0)
    thread->SetRollAngle(180);
  thread->Position.SetPoint(0.25f * side, -0.38f, 0);
  AddWithMaterial(g, std::move(thread), lib, 6);

  auto nut = std::make_unique<THexNut>(nullptr, 0.05f, 0.0f, 0.04f);
  nut->SetSolid(true);
  nut->SetTurnAngle(90);
  nut->Position.SetPoint(0.31f * side, -0.38f, 0);
  AddWithMaterial(g, std::move(nut), lib, 0);
}

bool IsBellCrankScene(const TDummyCube* base)
{
  return ChildCount(base) == 5
         && GroupHolding<TBezierStrip, TBezierStrip, TSlotLinkage, TCube, TFrustrum, TCylinder, TScrew, THexNut,
                         TCylinder>(base, 0)
         && GroupHolding<TBezierStrip, TBezierStrip, TBezierStrip, TSlotLinkage, TCube, TFrustrum, TCylinder, TScrew,
                         THexNut, TPie, TCylinder>(base, 1)
         && GroupHolding<TCylinder, TPie, TCylinder, TCube, THexNut, TCylinder>(base, 2) && ChildOf<TCylinder>(base, 3)
         && ChildOf<TCylinder>(base, 4);
}

}   // namespace

Single BellCrankSwing(Single Phase) { return Single(MaxSwing * SinDegrees(Phase)); }

void BuildBellCrankScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  TDummyCube* armA = AddScaledGroup(SceneBase, 0, 0.0502f);
  AddStrip(armA, MatLib,
           {{{-0.35f, 0.05f},
             {-0.4f, 0.05f},
             {-0.4f, -0.05f},
             {-0.35f, -0.05f},
             {0, 0.05f},
             {0, 0.05f},
             {0, -0.05f},
             {0, -0.05f}}},
           bssFirstEdge | bssStart | bssEnd, 7);
  AddStrip(armA, MatLib, CurvedLimb, bssFirstEdge | bssSecondEdge, 7);
  AddBrakeBlock(armA, MatLib, 1, RedSide);
  auto washer = NewCylinder(0.04f, 0.025f, 0.02f, 16, cySides | cyTop);
  washer->SetPitchAngle(-90);
  washer->Position.SetPoint(-0.3175f, 0, 0.03f);
  AddWithMaterial(armA, std::move(washer), MatLib, 6);

  TDummyCube* armB = AddScaledGroup(SceneBase, 0, -0.0502f);
  AddStrip(armB, MatLib, CurvedLimb, bssFirstEdge | bssSecondEdge, 4)->SetTurnAngle(180);
  AddStrip(
      armB, MatLib,
      {{{0, 0.05f}, {0, 0.05f}, {0, -0.05f}, {0, -0.05f}, {0.035f, 0.05f}, {0.076f, 0}, {0.044f, -0.05f}, {0, -0.05f}}},
      bssSecondEdge, 4);
  AddStrip(armB, MatLib,
           {{{-0.3f, 0.2f},
             {-0.22f, 0.2f},
             {-0.04f, 0.06f},
             {-0.11f, 0.02f},
             {-0.3f, 0.27f},
             {-0.19f, 0.28f},
             {-0.07f, 0.17f},
             {0.035f, 0.05f}}},
           bssFirstEdge | bssSecondEdge, 4);
  AddBrakeBlock(armB, MatLib, -1, BlueGreySide);
  auto stop = std::make_unique<TPie>(nullptr, 0.035f, 0.07f, 16);
  stop->UseSideColour = true;
  stop->SideColour = BlueGreySide;
  stop->SetPitchAngle(90);
  stop->Position.SetPoint(-0.3175f, 0.235f, 0);
  AddWithMaterial(armB, std::move(stop), MatLib, 0);
  auto sleeve = NewCylinder(0.02f, 0.4f, 8, cySides | cyTop);
  sleeve->Position.SetPoint(-0.3175f, 0.47f, 0);
  AddWithMaterial(armB, std::move(sleeve), MatLib, 9);

  TDummyCube* clamp = AddScaledGroup(SceneBase, -ClampArm, 0);
  auto boss = NewCylinder(0.03f, 0.03f, 16, cyAll);
  boss->SetPitchAngle(90);
  AddWithMaterial(clamp, std::move(boss), MatLib, 6);
  auto plate = std::make_unique<TPie>(nullptr, 0.03f, 0.08f, 20);
  plate->StartAngle = 270;
  plate->EndAngle = 90;
  plate->Position.Z = -0.05f;
  AddWithMaterial(clamp, std::move(plate), MatLib, 6);
  auto cable = NewCylinder(0.005f, 0.8f, 8, cyAll);
  cable->Position.SetPoint(0, 0.35f, -0.0251f);
  AddWithMaterial(clamp, std::move(cable), MatLib, 5);
  auto clampWasher = TCube::CreateSized(nullptr, 0.02f, 0.06f, 0.08f, cpAll, ndOutside);
  clampWasher->Position.SetPoint(-0.015f, 0, -0.051f);
  AddWithMaterial(clamp, std::move(clampWasher), MatLib, 6);
  auto clampNut = std::make_unique<THexNut>(nullptr, 0.03f, 0.0f, 0.03f);
  clampNut->SetSolid(true);
  clampNut->SetTurnAngle(90);
  clampNut->Position.SetPoint(-0.03f, 0, -0.051f);
  AddWithMaterial(clamp, std::move(clampNut), MatLib, 0);
  auto clampBolt = NewCylinder(0.02f, 0.02f, 16, cyAll);
  clampBolt->SetRollAngle(90);
  clampBolt->Position.SetPoint(0, 0, -0.051f);
  AddWithMaterial(clamp, std::move(clampBolt), MatLib, 0);

  auto bolt = NewCylinder(0.05f, 0.8f, 16, cySides | cyTop);
  bolt->SetPitchAngle(90);
  bolt->Position.Z = -0.3f;
  AddWithMaterial(SceneBase, std::move(bolt), MatLib, 6);
  auto boltHead = NewCylinder(0.08f, 0.05f, 0.04f, 16, cySides | cyTop);
  boltHead->SetPitchAngle(-90);
  boltHead->Position.Z = 0.1102f;
  AddWithMaterial(SceneBase, std::move(boltHead), MatLib, 6);
}

void AnimateBellCrankScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsBellCrankScene(SceneBase) || !std::isfinite(Phase))
    return;
  const Single a = BellCrankSwing(Phase);
  PoseFromRest(SceneBase->GetChild(0), -a);
  PoseFromRest(SceneBase->GetChild(1), a);
  // The clamp rides up and down with arm A's end and leans with the cable.
  TGLBaseSceneObject* clamp = SceneBase->GetChild(2);
  clamp->Position.SetCoordinate(1, ClampArm * Single(SinDegrees(a)));
  PoseFromRest(clamp, a);
}
