// The linear and reciprocating motion scenes: the paper trimmer and the sewing machine.
#include <algorithm>
#include <cmath>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "topics/Motion.h"
#include "topics/SceneMatch.h"
#include "topics/ScissorObjects.h"

namespace {
// The crank's pin circle reaches 0.5 sin 45 degrees to either side.
const Single RockerReach = Single(0.5 * std::sin(45 * double(cPIdiv180)));
}   // namespace

const Single RockerPivotX = RockerReach - 0.8f;
const Single RockerPivotY = 0.3f + RockerReach + 0.5f;

namespace {

std::unique_ptr<TCylinder> Cylinder(Single bottom, Single top, Single height, Integer slices,
                                    TCylinderParts parts = cyAll)
{
  return TCylinder::CreateSized(nullptr, bottom, top, height, slices, 1, 1, parts, ndOutside);
}

// --- paper trimmer ---------------------------------------------------------------------------

constexpr Single CarriageStartX = 0.8f;
// The card is 1.4 wide, centred in its own group; the blade reaches its +X end at travel 0.05
// and its -X end at travel 1.45, after which the cut strip tips away.
[[maybe_unused]] constexpr Single CardWidth = 1.4f;
constexpr Single CutEnd = 1.45f;
constexpr Single TipPerTravel = 16.36f;
[[maybe_unused]] constexpr Single BladeOffset = 0.75f;          // the blade's X at travel 0, in the card's frame
[[maybe_unused]] constexpr Single SinkPerTravel = -0.041379f;   // the cut part sinks by 0.06 over the cut

bool IsGuillotineScene(const TDummyCube* base)
{
  return GroupHolding<TGTSlider, TGTBlade>(base, 0) && ChildOf<TDummyCube>(base, 1) && ChildOf<TCube>(base, 2)
         && ChildOf<TGTEnd>(base, 3) && ChildOf<TGTEnd>(base, 4) && ChildOf<TCylinder>(base, 5)
         && ChildOf<TCube>(base, 6);
}

// --- sewing machine ----------------------------------------------------------------------------

constexpr Single CrankRadius = 0.3f;
constexpr Single ShaftY = 0.5f;
constexpr Single RodLength = 0.5f;
constexpr Single RockerLength = 0.8f;
constexpr Single LeverLength = 0.5f;

// The machine's links: bars with round ends and grey side walls.
std::unique_ptr<TLinkage> Link(Single length, TLinkagePlacement placement)
{
  auto l = std::make_unique<TLinkage>(nullptr, 0.06f, 0.04f, length, 20);
  l->Placement = placement;
  l->SideColoured = true;
  return l;
}

bool IsSewingMachineScene(const TDummyCube* base)
{
  TCam* crank = ChildOf<TCam>(base, 0);
  TLinkage* rocker = ChildOf<TLinkage>(base, 3);
  TLinkage* lever = ChildOf<TLinkage>(base, 4);
  return crank && crank->GetCount() == 3 && ChildOf<TLinkage>(base, 1) && ChildOf<TCube>(base, 2)
         && base->GetChild(2)->GetCount() == 5 && rocker && rocker->GetCount() == 2 && lever && lever->GetCount() == 1
         && ChildOf<TOpenBox>(base, 5);
}

}   // namespace

// --- paper trimmer ---------------------------------------------------------------------------

void BuildGuillotineScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  TDummyCube* carriage = AddPlacedGroup(SceneBase, CarriageStartX, 0.2f, 0.7f);
  auto slider = std::make_unique<TGTSlider>(nullptr);
  slider->SetTurnAngle(-90);
  AddWithMaterial(carriage, std::move(slider), MatLib, 4);
  auto blade = std::make_unique<TGTBlade>(nullptr);
  blade->Position.SetPoint(0, -0.19f, 0);
  AddWithMaterial(carriage, std::move(blade), MatLib, 0);

  TDummyCube* cardGroup = AddPlacedGroup(SceneBase, 0.7f, 0, 0.7f);
  auto card = std::make_unique<TCard>(nullptr);
  card->SetSheetSize(CardWidth, 0.2f);
  card->Position.SetPoint(-0.7f, 0.005f, 0.1f);
  AddWithMaterial(cardGroup, std::move(card), MatLib, 1);

  auto board = TCube::CreateSized(nullptr, 2.0f, 0.06f, 1.4f, cpAll, ndOutside);
  board->Position.SetPoint(0, -0.03f, 0);
  AddWithMaterial(SceneBase, std::move(board), MatLib, 4);
  for (Single x : {-0.97f, 0.97f}) {
    auto end = std::make_unique<TGTEnd>(nullptr);
    end->SetTurnAngle(-90);
    end->Position.SetPoint(x, 0, 0.7f);
    AddWithMaterial(SceneBase, std::move(end), MatLib, 4);
  }
  auto rail = Cylinder(0.05f, 0.05f, 1.94f, 20, cySides);
  rail->SetRollAngle(90);
  rail->Position.SetPoint(0, 0.2f, 0.7f);
  AddWithMaterial(SceneBase, std::move(rail), MatLib, 5);
  auto sheet = TCube::CreateSized(nullptr, 1.4f, 0.005f, 1.0f, cpAll, ndOutside);
  sheet->Position.SetPoint(0, 0.0025f, 0.2f);
  AddWithMaterial(SceneBase, std::move(sheet), MatLib, 1);
}

void AnimateGuillotineScene(TDummyCube* SceneBase, Single Travel)
{
  if (!IsGuillotineScene(SceneBase) || !std::isfinite(Travel))
    return;
  SceneBase->GetChild(0)->Position.SetCoordinate(0, CarriageStartX - Travel);
  TGLBaseSceneObject* cardGroup = SceneBase->GetChild(1);
  PoseFromRest(cardGroup, Travel >= CutEnd ? (Travel - CutEnd) * TipPerTravel : 0.0f);
  if (TCard* card = cardGroup->GetChildAs<TCard>(0)) {
    // The fold follows the blade while it crosses the card and stays at the card's ends
    // before and after, so the card's shape depends on the travel alone.
    const Single t = std::clamp(Travel, 0.0f, CutEnd);
    card->SetFoldLine(std::clamp(BladeOffset - t, -CardWidth / 2, CardWidth / 2), SinkPerTravel * t);
  }
}

// --- sewing machine ----------------------------------------------------------------------------

void BuildSewingMachineScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  auto crank = std::make_unique<TCam>(nullptr, 0.15f, 0.1f, 0.3f, 0.1f, 20);
  crank->SideColoured = false;
  crank->Position.SetPoint(0, ShaftY, -0.05f);
  crank->SetRollAngle(-90);
  auto shaft = Cylinder(0.05f, 0.05f, 1.0f, 20);
  shaft->SetPitchAngle(90);
  shaft->Position.SetPoint(0, 0, -0.55f);
  AddWithMaterial(crank.get(), std::move(shaft), MatLib, 0);
  auto crankPin = Cylinder(0.03f, 0.03f, 0.08f, 20, cySides);
  crankPin->SetPitchAngle(90);
  crankPin->Position.SetPoint(-CrankRadius, 0, 0.09f);
  AddWithMaterial(crank.get(), std::move(crankPin), MatLib, 6);
  auto pinHead = Cylinder(0.04f, 0.03f, 0.01f, 20, cySides | cyTop);
  pinHead->SetPitchAngle(-90);
  pinHead->Position.SetPoint(-CrankRadius, 0, 0.175f);
  AddWithMaterial(crank.get(), std::move(pinHead), MatLib, 6);
  AddWithMaterial(SceneBase, std::move(crank), MatLib, 1);

  auto rod = Link(RodLength, lpFromOriginMinusX);
  rod->SetRollAngle(90);
  rod->Position.SetPoint(0, ShaftY + CrankRadius, 0.1f);
  AddWithMaterial(SceneBase, std::move(rod), MatLib, 4);

  auto block = TCube::CreateSized(nullptr, 0.1f, 0.1f, 0.1f, cpAll, ndOutside);
  block->Position.SetPoint(0, ShaftY + CrankRadius - RodLength, 0.2f);
  auto needleBar = Cylinder(0.012f, 0.012f, 1.5f, 20);
  needleBar->Position.SetPoint(0, -0.04f, 0);
  AddWithMaterial(block.get(), std::move(needleBar), MatLib, 6);
  auto boss = Cylinder(0.03f, 0.03f, 0.03f, 20);
  boss->SetPitchAngle(90);
  boss->Position.SetPoint(0, 0, -0.065f);
  AddWithMaterial(block.get(), std::move(boss), MatLib, 6);
  auto bossHead = Cylinder(0.04f, 0.03f, 0.01f, 20, cySides | cyTop);
  bossHead->SetPitchAngle(90);
  bossHead->Position.SetPoint(0, 0, -0.125f);
  AddWithMaterial(block.get(), std::move(bossHead), MatLib, 6);
  auto needle = std::make_unique<TNeedle>(nullptr);
  needle->Position.SetPoint(0, -0.84f, 0);
  AddWithMaterial(block.get(), std::move(needle), MatLib, 5);
  auto clamp = Cylinder(0.02f, 0.02f, 0.1f, 10);
  clamp->Position.SetPoint(0, -0.8f, 0);
  AddWithMaterial(block.get(), std::move(clamp), MatLib, 6);
  AddWithMaterial(SceneBase, std::move(block), MatLib, 1);

  auto rocker = Link(RockerLength, lpFromOriginPlusX);
  rocker->Position.SetPoint(RockerPivotX, RockerPivotY, 0.1f);
  auto joint = std::make_unique<TLinkAxle>(nullptr, 0.08f, 0.03f, 0.04f, 0.01f, 20, 0);
  joint->Position.SetPoint(RockerLength, 0, -0.02f);
  AddWithMaterial(rocker.get(), std::move(joint), MatLib, 6);
  auto pivot = Cylinder(0.03f, 0.03f, 0.1f, 20);
  pivot->SetPitchAngle(90);
  AddWithMaterial(rocker.get(), std::move(pivot), MatLib, 6);
  AddWithMaterial(SceneBase, std::move(rocker), MatLib, 4);

  auto lever = Link(LeverLength, lpFromOriginPlusX);
  lever->SetRollAngle(45);
  lever->Position.SetPoint(0, ShaftY + CrankRadius, 0.06f);
  auto eye = std::make_unique<TSMRing>(nullptr);
  eye->Position.SetPoint(0.6414f, -0.1414f, 0);
  eye->SetRollAngle(-45);
  AddWithMaterial(lever.get(), std::move(eye), MatLib, 7);
  AddWithMaterial(SceneBase, std::move(lever), MatLib, 7);

  auto guide = std::make_unique<TOpenBox>(nullptr, 0.1f, 0.15f, 0.8f, 0.02f);
  guide->SetStyle(2);
  guide->SetSideColour(true);
  guide->SetCornerRadius(0.05f);
  guide->SetPitchAngle(90);
  guide->Position.SetPoint(0, 0, 0.22f);
  AddWithMaterial(SceneBase, std::move(guide), MatLib, 7);
}

void AnimateSewingMachineScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsSewingMachineScene(SceneBase) || !std::isfinite(Phase))
    return;
  const double ph = double(Phase) * cPIdiv180;
  const Single s = Single(std::sin(ph)), c = Single(std::cos(ph));
  PoseFromRest(SceneBase->GetChild(0), -Phase - 90);

  // The crank pin, and the connecting rod down from it to the needle bar's axis X = 0.
  const Single x = CrankRadius * s, y = CrankRadius * c + ShaftY;
  TGLBaseSceneObject* rod = SceneBase->GetChild(1);
  rod->Position.SetCoordinate(1, y);
  rod->Position.SetCoordinate(0, x);
  const double a = std::asin(std::clamp(double(x) / RodLength, -1.0, 1.0));
  PoseFromRest(rod, 90 - Single(a) * c180divPI);
  SceneBase->GetChild(2)->Position.SetCoordinate(1, y - Single(RodLength * std::cos(a)));

  // The take-up lever: a four-bar of the crank, the lever from the crank pin and the rocker
  // about its fixed pivot P, closed at the joint Q.
  const double dx = double(x) - RockerPivotX, dy = double(RockerPivotY) - y;
  const double d = std::max(std::sqrt(dx * dx + dy * dy), 1e-9);
  const double cosBeta =
      (double(RockerLength) * RockerLength + d * d - double(LeverLength) * LeverLength) / (2 * RockerLength * d);
  const double beta = std::acos(std::clamp(cosBeta, -1.0, 1.0));
  // The direction from P to the crank pin, below +X; atan2 keeps its quadrant.
  const double gamma = std::atan2(dy, dx);
  const double phi = gamma - beta;
  PoseFromRest(SceneBase->GetChild(3), -Single(phi) * c180divPI);
  const double qx = RockerPivotX + RockerLength * std::cos(phi), qy = RockerPivotY - RockerLength * std::sin(phi);
  TGLBaseSceneObject* lever = SceneBase->GetChild(4);
  lever->Position.SetCoordinate(1, y);
  lever->Position.SetCoordinate(0, x);
  PoseFromRest(lever, Single(std::atan2(qy - y, qx - x)) * c180divPI);
}
