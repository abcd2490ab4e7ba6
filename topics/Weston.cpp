#include "topics/Weston.h"

#include <cmath>
#include <tuple>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/Markers.h"
#include "topics/Pulleys.h"
#include "topics/TopicFrame.h"

namespace {

constexpr Single AxleY = 1.0f;
constexpr Single LowerPulleyRadius = 0.1f;
constexpr Single ChainDrop = 1.5f;
constexpr Single SheaveOffset = 0.04f;
constexpr Integer UpperBlockCount = 13;
constexpr Integer LowerBlockCount = 5;
// Radii closer than half a step of the radius control count as equal: in single precision
// the control's 20 x 0.01 does not come out exactly as 0.2.
constexpr Single EqualRadiiTolerance = 0.005f;

// A sheave of radius r with five spokes in the plane z, on the upper block.
void AddSheave(TGLBaseSceneObject* block, const TGLMaterialLibrary* matLib, Single r, Single z)
{
  auto pulley = std::make_unique<TVPulley>(nullptr, r, r - 0.02f, 0.06f, 30, 0, 19);
  pulley->Position.SetPoint(0, 0, z);
  SetLibMaterial(pulley.get(), matLib, 1);
  block->AddChild(std::move(pulley));

  auto s = std::make_unique<TSpoke>(nullptr, r - 0.035f, 0.018f, 0.06f, 72, 20);
  s->Position.SetPoint(0, 0, z);
  SetLibMaterial(s.get(), matLib, 1);
  TSpoke* spoke = block->AddChild(std::move(s));
  for (Integer k = 1; k <= 4; ++k) {
    auto copy = std::make_unique<TGLProxyObject>(nullptr);
    copy->SetMasterObject(spoke);
    copy->SetDirection(spoke->Direction);
    copy->SetUp(spoke->Up);
    copy->SetRollAngle(72.0f * Single(k));
    block->AddChild(std::move(copy));
  }
}

// A rounded open box as the blocks' hangers.
std::unique_ptr<TOpenBox> NewHanger(Single sx, Single sy, Single sz)
{
  auto box = std::make_unique<TOpenBox>(nullptr, sx, sy, sz, 0.02f);
  box->SetCornerSegments(5);
  box->SetCornerRadius(0.04f);
  box->SetStyle(2);
  return box;
}

bool IsWestonScene(const TDummyCube* base)
{
  if (ChildCount(base) < 5)
    return false;
  TDummyCube* upper = GroupOf(base, 0, UpperBlockCount);
  TDummyCube* lower = GroupOf(base, 1, LowerBlockCount);
  return ChildOf<TVPulley>(upper, 0) && ChildOf<TVPulley>(upper, 6) && ChildOf<TCylinder>(upper, 12)
         && ChildOf<TVPulley>(lower, 0) && ChildOf<TCube>(lower, 3) && ChildOf<TWestonRope>(base, 2)
         && ChildOf<TLines>(base, 3) && ChildOf<TLines>(base, 4);
}

}   // namespace

Single WestonAdvantage(Single LargeRadius, Single SmallRadius)
{
  if (SmallRadius < LargeRadius - EqualRadiiTolerance)
    return SafeDivide(2 * LargeRadius, LargeRadius - SmallRadius, 40);
  return 40;
}

Single WestonBlockHeight(Single LargeRadius, Single SmallRadius, Single Phase)
{
  return (LargeRadius - SmallRadius) * Phase * cPIdiv180 / 2 - 0.5f;
}

void BuildWestonScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single LargeRadius,
                      Single SmallRadius, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const Single A = LargeRadius, B = SmallRadius, hm = (A - B) / 2;
  // The lower pulley hangs midway between the chain's falls (x = -A and x = +B).
  const Single lowerY = AxleY - ChainDrop;

  TDummyCube* upper = AddGroupAt(SceneBase, 0, AxleY);
  AddSheave(upper, MatLib, A, -SheaveOffset);
  AddSheave(upper, MatLib, B, SheaveOffset);
  AddShaftCylinder(upper, MatLib, 0.03f, 0.2f, 10, 6);

  TDummyCube* lower = AddGroupAt(SceneBase, -hm, lowerY);
  auto pulley = std::make_unique<TVPulley>(nullptr, LowerPulleyRadius, 0.08f, 0.06f, 20, 0, 15);
  SetLibMaterial(pulley.get(), MatLib, 1);
  lower->AddChild(std::move(pulley));
  auto frame = NewHanger(0.1f, 0.2f, 0.12f);
  frame->Position.SetPoint(0, -0.05f, 0);
  SetLibMaterial(frame.get(), MatLib, 0);
  lower->AddChild(std::move(frame));
  AddShaftCylinder(lower, MatLib, 0.03f, 0.14f, 10, 6);
  // The load's side grows with the cube root of the mechanical advantage.
  const Single s = 0.2f * Single(std::cbrt(double(WestonAdvantage(A, B))));
  auto load = TCube::CreateSized(nullptr, s, s, s, cpAll, ndOutside);
  load->Position.SetPoint(0, -(0.5f * s + 0.25f), 0);
  SetLibMaterial(load.get(), MatLib, 9);
  lower->AddChild(std::move(load));
  auto hook = TCylinder::CreateSized(nullptr, 0.0125f, 0.0125f, 0.1f, 6, 1, 1, cyAll, ndOutside);
  hook->Position.SetPoint(0, -0.2f, 0);
  SetLibMaterial(hook.get(), MatLib, 7);
  lower->AddChild(std::move(hook));

  auto chain = std::make_unique<TWestonRope>(nullptr, A, B, LowerPulleyRadius, ChainDrop, SheaveOffset);
  chain->Position.SetPoint(0, AxleY, 0);
  SetLibMaterial(chain.get(), MatLib, 0);
  SceneBase->AddChild(std::move(chain));

  for (auto [x, y, z] : {std::tuple{0.0f, AxleY, 0.14f}, std::tuple{-hm, lowerY, 0.1f}}) {
    std::unique_ptr<TLines> arrow = CreateArrowAlongX(MarkerColour, 0.2f);
    arrow->Position.SetPoint(x, y, z);
    arrow->SetVisible(ShowMarkers);
    SceneBase->AddChild(std::move(arrow));
  }

  auto hanger = NewHanger(0.1f, A + 0.1f, 0.18f);
  hanger->SetRollAngle(180);
  hanger->Position.SetPoint(0, 0.5f * A + AxleY, 0);
  SetLibMaterial(hanger.get(), MatLib, 0);
  SceneBase->AddChild(std::move(hanger));
}

void AnimateWestonScene(TDummyCube* SceneBase, Single LargeRadius, Single SmallRadius, Single Phase)
{
  if (!IsWestonScene(SceneBase))
    return;
  if (TWestonRope* chain = ChildOf<TWestonRope>(SceneBase, 2))
    chain->SetAngle(Phase);
  SetChildRoll(SceneBase, 0, -Phase);
  SetChildRoll(SceneBase, 3, -Phase);
  const Single y = WestonBlockHeight(LargeRadius, SmallRadius, Phase);
  for (Integer i : {1, 4})
    SceneBase->GetChild(i)->Position.SetCoordinate(1, y);
  // The lower pulley rolls in its loop of chain without slipping: one fall rises by A theta,
  // the other sinks by B theta, so its rim turns by half their sum about its rising centre.
  SetChildRoll(SceneBase, 4, -(LargeRadius + SmallRadius) * Phase / (2 * LowerPulleyRadius));
}

void ShowWestonMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsWestonScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 3, Visible);
  SetChildVisible(SceneBase, 4, Visible);
}
