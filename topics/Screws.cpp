#include "topics/Screws.h"

#include <algorithm>
#include <cmath>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLGeomObjects.h"
#include "topics/MachineHelpers.h"
#include "topics/SceneMatch.h"
#include "topics/TopicFrame.h"

namespace {

// --- screw thread --------------------------------------------------------------------------

constexpr Single BoltRadius = 0.2f;
constexpr Single BoltThreadDepth = 0.05f;
constexpr Single BoltThreadWidth = 0.1f;
constexpr Integer BoltTurns = 10;

bool IsScrewThreadScene(const TDummyCube* base)
{
  return ChildCount(base) == 2 && GroupHolding<TScrew, TCylinder, THexNut>(base, 0)
         && GroupHolding<THexNut, TScrew>(base, 1);
}

std::unique_ptr<TScrew> Thread(Single radius, Single depth, Single pitch, Single width, Integer turns, Integer segments,
                               TThreadProfile profile)
{
  auto t = std::make_unique<TScrew>(nullptr, radius, depth, pitch, width, turns, segments);
  t->SetOption1(profile);
  t->SetParts(ScrewParts({spRunIn, spRunOut}));
  return t;
}

// The turn that puts the nut's groove where the bolt's ridge arrives. The nut stands
// 5 pitches + 0.1 from the bolt's thread; only at a pitch of 0.1 is that whole pitches, so
// at any other pitch the unturned groove would sit half across the ridge.
Single NutThreadTurn(Single pitch)
{
  if (!(pitch > 0))
    return 0;
  const double turns = std::fmod(double(0.1f) / double(pitch), 1.0);
  // Within rounding of whole turns no turn is needed.
  return turns < 1e-6 || turns > 1 - 1e-6 ? 0 : Single(turns * 360);
}

// --- screw jack ----------------------------------------------------------------------------

constexpr Single ArmLength = 0.8f;
constexpr Single JackPitch = 0.05f;
constexpr Single PivotX = 0.2f;
constexpr Single BaseY = -0.75f;

bool IsNutGroup(const TDummyCube* base, Integer i)
{
  return GroupHolding<TLinkage, TLinkage, TLinkage, TLinkage, TSquareNut, TLinkAxle>(base, i);
}

bool IsScrewJackScene(const TDummyCube* base)
{
  return ChildCount(base) == 5
         && GroupHolding<TScrew, TScrew, TCylinder, TPartialTorus, TPartialTorus, TCylinder, TCylinder>(base, 0)
         && GroupHolding<TOpenBox, TLinkAxle, TLinkAxle>(base, 1) && IsNutGroup(base, 2) && IsNutGroup(base, 3)
         && GroupHolding<TOpenBox, TLinkAxle, TLinkAxle>(base, 4);
}

std::unique_ptr<TOpenBox> Plate(Single depth)
{
  auto box = std::make_unique<TOpenBox>(nullptr, 0.6f, 0.2f, depth, 0.02f);
  box->SetStyle(2);
  box->SetCornerRadius(0.05f);
  box->SetSideColour(true);
  return box;
}

void AddPivotPins(TGLBaseSceneObject* g, const TGLMaterialLibrary* lib, Single length)
{
  for (Single x : {-PivotX, PivotX}) {
    auto pin = std::make_unique<TLinkAxle>(nullptr, length, 0.035f, 0.05f, 0.02f, 20, 0);
    pin->Position.X = x;
    AddWithMaterial(g, std::move(pin), lib, 6);
  }
}

// Upper arms at roll `upper`, lower arms at `lower`, front and back of each, nut and its pin.
void AddNutAndArms(TGLBaseSceneObject* g, const TGLMaterialLibrary* lib, Single upper, Single lower)
{
  const std::pair<Single, Single> arms[] = {{0.088f, upper}, {-0.088f, upper}, {0.11f, lower}, {-0.11f, lower}};
  for (auto [z, roll] : arms) {
    auto arm = std::make_unique<TLinkage>(nullptr, 0.06f, 0.02f, ArmLength, 20);
    arm->SideColoured = true;
    arm->Position.Z = z;
    arm->SetRollAngle(roll);
    AddWithMaterial(g, std::move(arm), lib, 7);
  }
  auto nut = std::make_unique<TSquareNut>(nullptr, 0.152f, 0.06f, 0.15f, 20);
  nut->SetTurnAngle(90);
  AddWithMaterial(g, std::move(nut), lib, 6);
  AddWithMaterial(g, std::make_unique<TLinkAxle>(nullptr, 0.24f, 0.035f, 0.05f, 0.02f, 20, 0), lib, 6);
}

// The arm rolls of the left (mirrored) and right nut groups.
Single LeftUpperRoll(const TScrewJackPose& p) { return -(180 - p.Alpha); }
Single LeftLowerRoll(const TScrewJackPose& p) { return 180 - p.Alpha; }

}   // namespace

// --- screw thread --------------------------------------------------------------------------

void BuildScrewThreadScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, TThreadProfile Profile,
                           Single Pitch)
{
  if (!SceneBase)
    return;
  const Single p = Pitch;
  const Single len = 10 * p + 0.1f;
  const Single nutThickness = 2 * p + 0.1f;

  TDummyCube* bolt = AddPlacedGroup(SceneBase, 0, 0, 0);
  AddWithMaterial(bolt, Thread(BoltRadius, BoltThreadDepth, p, BoltThreadWidth, BoltTurns, 32, Profile), MatLib, 0);
  auto core = NewCylinder(BoltRadius, len, 32, cyAll);
  core->SetRollAngle(90);
  core->Position.X = 0.5f * len;
  AddWithMaterial(bolt, std::move(core), MatLib, 0);
  auto head = std::make_unique<THexNut>(nullptr, 0.4f, 0.0f, 0.24f);
  head->SetSolid(true);
  head->SetTurnAngle(90);
  head->Position.X = len + 0.12f;
  AddWithMaterial(bolt, std::move(head), MatLib, 0);

  TDummyCube* nut = AddPlacedGroup(SceneBase, -(5 * p + 0.1f), 0, 0);
  auto body = std::make_unique<THexNut>(nullptr, 0.4f, BoltRadius + BoltThreadDepth, nutThickness);
  body->SetTurnAngle(90);
  body->Position.X = 0.5f * nutThickness;
  AddWithMaterial(nut, std::move(body), MatLib, 0);
  auto groove = Thread(BoltRadius, BoltThreadDepth, p, BoltThreadWidth, 2, 32, Profile);
  groove->SetThreadStyle(true);
  groove->SetPitchAngle(NutThreadTurn(p));
  AddWithMaterial(nut, std::move(groove), MatLib, 0);
}

void AnimateScrewThreadScene(TDummyCube* SceneBase, Single Pitch, Single Phase)
{
  if (!IsScrewThreadScene(SceneBase) || !std::isfinite(Pitch) || !std::isfinite(Phase))
    return;
  // One pitch towards the nut per turn: the bolt runs along its own thread.
  TGLBaseSceneObject* bolt = SceneBase->GetChild(0);
  bolt->Position.SetCoordinate(0, -Pitch * Phase / 360);
  PitchFromRest(bolt, Phase);
}

// --- screw jack ----------------------------------------------------------------------------

TScrewJackPose ScrewJackPose(Single Phase)
{
  TScrewJackPose p;
  // The nuts start with the arms at 20 degrees and close in by one pitch per turn; they
  // cannot pass the middle, nor open beyond the arms' length.
  const Single start = ArmLength * Single(std::cos(20.0 * cPIdiv180));
  p.X = std::clamp(start - JackPitch * Phase / 360, 0.0f, ArmLength);
  p.Y = Single(std::sqrt(std::max(double(ArmLength) * ArmLength - double(p.X) * p.X, 0.0)));
  p.Alpha = RadToDegrees(std::atan2(double(p.Y), double(p.X)));
  p.NutX = p.X + PivotX;
  return p;
}

void BuildScrewJackScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Phase)
{
  if (!SceneBase)
    return;
  const TScrewJackPose p = ScrewJackPose(Single(Phase));
  const Single midY = p.Y + BaseY;

  TDummyCube* screw = AddPlacedGroup(SceneBase, 0, midY, 0);
  screw->SetPitchAngle(Single(Phase));
  for (bool left : {true, false}) {
    auto half = std::make_unique<TScrew>(nullptr, 0.04f, 0.02f, JackPitch, 0.04f, 18, 20);
    half->SetOption1(tpSquare);
    half->SetOption4(left);
    half->SetParts(ScrewParts({spRunIn, spRunOut}));
    if (!left)
      half->SetRollAngle(180);
    half->Position.X = left ? PivotX : -PivotX;
    AddWithMaterial(screw, std::move(half), MatLib, 0);
  }
  auto core = NewCylinder(0.04f, 2.25f, 20, cyAll);
  core->SetRollAngle(90);
  AddWithMaterial(screw, std::move(core), MatLib, 0);
  auto bend1 = std::make_unique<TPartialTorus>(nullptr, 0.1f, 0.04f, 0.0f, 90.0f, 10, 20);
  bend1->SetPitchAngle(180);
  bend1->Position.SetPoint(1.125f, 0.1f, 0);
  AddWithMaterial(screw, std::move(bend1), MatLib, 0);
  auto bend2 = std::make_unique<TPartialTorus>(nullptr, 0.1f, 0.04f, 0.0f, 90.0f, 10, 20);
  bend2->SetTurnAngle(180);
  bend2->Position.SetPoint(1.325f, 0.3f, 0);
  AddWithMaterial(screw, std::move(bend2), MatLib, 0);
  auto upright = NewCylinder(0.04f, 0.2f, 20, cySides);
  upright->Position.SetPoint(1.225f, 0.2f, 0);
  AddWithMaterial(screw, std::move(upright), MatLib, 0);
  auto handleEnd = NewCylinder(0.04f, 0.2f, 20, cySides | cyTop);
  handleEnd->SetRollAngle(-90);
  handleEnd->Position.SetPoint(1.425f, 0.4f, 0);
  AddWithMaterial(screw, std::move(handleEnd), MatLib, 0);

  TDummyCube* top = AddPlacedGroup(SceneBase, 0, 2 * p.Y + BaseY, 0);
  auto platform = Plate(0.24f);
  platform->SetRollAngle(180);
  AddWithMaterial(top, std::move(platform), MatLib, 4);
  AddPivotPins(top, MatLib, 0.24f);

  AddNutAndArms(AddPlacedGroup(SceneBase, -p.NutX, midY, 0), MatLib, LeftUpperRoll(p), LeftLowerRoll(p));
  AddNutAndArms(AddPlacedGroup(SceneBase, p.NutX, midY, 0), MatLib, -p.Alpha, p.Alpha);

  TDummyCube* base = AddPlacedGroup(SceneBase, 0, BaseY, 0);
  AddWithMaterial(base, Plate(0.284f), MatLib, 4);
  AddPivotPins(base, MatLib, 0.284f);
}

void AnimateScrewJackScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsScrewJackScene(SceneBase) || !std::isfinite(Phase))
    return;
  const TScrewJackPose p = ScrewJackPose(Phase);
  const Single midY = p.Y + BaseY;
  TGLBaseSceneObject* screw = SceneBase->GetChild(0);
  screw->Position.SetCoordinate(1, midY);
  PitchFromRest(screw, Phase);
  SceneBase->GetChild(1)->Position.SetCoordinate(1, 2 * p.Y + BaseY);
  const Single rolls[2][2] = {{LeftUpperRoll(p), LeftLowerRoll(p)}, {-p.Alpha, p.Alpha}};
  for (Integer side = 0; side < 2; ++side) {
    TGLBaseSceneObject* g = SceneBase->GetChild(2 + side);
    g->Position.SetCoordinate(0, side == 0 ? -p.NutX : p.NutX);
    g->Position.SetCoordinate(1, midY);
    for (Integer arm = 0; arm < 4; ++arm)
      PoseFromRest(g->GetChild(arm), rolls[side][arm / 2]);
  }
}
