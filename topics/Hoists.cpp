#include "topics/Hoists.h"

#include <cmath>

#include "engine/GLBezier.h"
#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "topics/BarrowObjects.h"
#include "topics/GLSimpleText.h"
#include "topics/Markers.h"
#include "topics/Pulleys.h"
#include "topics/TopicFrame.h"

namespace {

constexpr Single DegreesPerRadian = 57.29578f;
constexpr Integer SheaveGroupCount = 7;   // pulley, axle, four spoke copies, spoke
constexpr Integer PlaneGroupCount = 17;   // cart, two arrows, two letters, two rails, ten sleepers

Integer ClampSheaves(Integer n) { return n < 1 ? 1 : n > 4 ? 4 : n; }

// A block's frame: an open box standing upright (rolled 90) with its centre c below the group.
void AddBlockFrame(TGLBaseSceneObject* group, const TGLMaterialLibrary* matLib, Single h, Single c)
{
  auto box = std::make_unique<TOpenBox>(nullptr, h, 0.1f, 0.14f, 0.018f);
  box->SetRollAngle(90);
  box->Position.SetPoint(0, c, 0);
  SetLibMaterial(box.get(), matLib, 0);
  group->AddChild(std::move(box));
}

std::unique_ptr<TGLProxyObject> NewProxy(TGLBaseSceneObject* master, TGLProxyObjectOptions options)
{
  auto p = std::make_unique<TGLProxyObject>(nullptr);
  p->SetMasterObject(master);
  p->SetProxyOptions(options);
  return p;
}

bool IsSheaveGroup(const TGLBaseSceneObject* base, Integer i)
{
  TDummyCube* g = GroupOf(base, i, SheaveGroupCount);
  return ChildOf<TVPulley>(g, 0) && ChildOf<TSpoke>(g, SheaveGroupCount - 1);
}

// The hoist as built for n sheaves: frames, rope reeved for n, weight and n sheaves.
bool IsHoistScene(const TDummyCube* base, Integer n)
{
  if (ChildCount(base) != 4 + n)
    return false;
  const TRope* rope = ChildOf<TRope>(base, 1);
  if (!rope || rope->SheaveCount != n || !ChildOf<TOpenBox>(GroupOf(base, 0, 1), 0))
    return false;
  if (!ChildOf<TFrustrum>(ChildOf<TDummyCube>(base, 2), 0) || !ChildOf<TDummyCube>(base, 3))
    return false;
  for (Integer i = 4; i < 4 + n; ++i)
    if (!IsSheaveGroup(base, i))
      return false;
  return true;
}

TDummyCube* InclinedPlaneGroup(const TDummyCube* base)
{
  TDummyCube* g = GroupOf(base, 0, PlaneGroupCount);
  if (ChildOf<TAsymBox>(g, 0) && ChildOf<TLines>(g, 1) && ChildOf<TLines>(g, 2) && ChildOf<TExtrusionSolid>(g, 3)
      && ChildOf<TExtrusionSolid>(g, 4) && ChildOf<TCube>(g, 5))
    return g;
  return nullptr;
}

void SetChildY(TGLBaseSceneObject* parent, Integer i, Single y)
{
  if (TGLBaseSceneObject* c = ChildOf<TGLBaseSceneObject>(parent, i))
    c->Position.SetCoordinate(1, y);
}

void SetChildX(TGLBaseSceneObject* parent, Integer i, Single x)
{
  if (TGLBaseSceneObject* c = ChildOf<TGLBaseSceneObject>(parent, i))
    c->Position.SetCoordinate(0, x);
}

TExtrusionSolid* AddLetter(TGLBaseSceneObject* group, Integer letter, const TVector& colour, Single x, Single y,
                           Single angle)
{
  auto l = BuildLetterSolid(letter, 0.05f, 0.02f);
  l->Position.SetPoint(x, y, 0);
  l->SetRollAngle(-angle);
  l->Material.FrontProperties.Diffuse.SetColor(colour);
  return group->AddChild(std::move(l));
}

}   // namespace

// --- topic 9 -------------------------------------------------------------------------------

void AddHoistPulleyBlock(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Single Radius, Single Y)
{
  if (!Parent)
    return;
  auto pulley = std::make_unique<TVPulley>(nullptr, Radius, Radius - 0.02f, 0.08f, 50, 1, 19);
  pulley->Position.SetPoint(0, Y, 0);
  pulley->InnerRadius = 0.8f * Radius;
  SetLibMaterial(pulley.get(), MatLib, 1);
  Parent->AddChild(std::move(pulley));

  AddShaftCylinder(Parent, MatLib, 0.03f, 0.15f, 10, 6);

  // The copies go in before the spoke they copy, so the five spokes stand at 0, 72 .. 288.
  auto spoke = std::make_unique<TSpoke>(nullptr, 0.8f * Radius, 0.018f, 0.08f, 72, 10);
  spoke->Position.SetPoint(0, Y, 0);
  SetLibMaterial(spoke.get(), MatLib, 1);
  for (Integer k = 1; k <= 4; ++k) {
    auto copy = NewProxy(spoke.get(), pooEffects | pooObjects | pooTransformation);
    copy->SetRollAngle(72.0f * Single(k));
    Parent->AddChild(std::move(copy));
  }
  Parent->AddChild(std::move(spoke));
}

void AddHoistLoad(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer N)
{
  if (!Parent)
    return;
  N = ClampSheaves(N);
  const Single s = 0.3f * Single(std::cbrt(double(N)));
  auto weight = std::make_unique<TFrustrum>(nullptr);
  weight->SetBaseWidth(s);
  weight->SetBaseDepth(s);
  weight->SetHeight(s);
  weight->SetApexHeight(0.7f + s);
  weight->Position.SetPoint(0, -0.3f - s, 0);
  SetLibMaterial(weight.get(), MatLib, 2);
  Parent->AddChild(std::move(weight));
  if (N != 1) {
    auto link = TCylinder::CreateSized(nullptr, 0.0125f, 0.0125f, 0.1f, 6, 1, 1, cyAll, ndOutside);
    link->Position.SetPoint(0, -0.25f, 0);
    SetLibMaterial(link.get(), MatLib, 7);
    Parent->AddChild(std::move(link));
  }
}

void BuildPulleyHoistScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer N)
{
  if (!SceneBase)
    return;
  N = ClampSheaves(N);
  const Single R = HoistSheaveRadius, r = HoistSmallSheaveRadius;
  const Single wide = 3 * R + r + 0.1f, narrow = 2 * R + 0.1f, shift = (R + r) / 2;

  TDummyCube* top = AddGroupAt(SceneBase, 0, HoistTopY);
  if (N <= 2)
    AddBlockFrame(top, MatLib, narrow, 0);
  else
    AddBlockFrame(top, MatLib, wide, -shift);

  auto rope = std::make_unique<TRope>(nullptr, R, r, HoistTopY - HoistBottomY, 0.025f, N, 6, 16);
  rope->Position.SetPoint(0, HoistTopY, 0);
  SetLibMaterial(rope.get(), MatLib, 7);
  SceneBase->AddChild(std::move(rope));

  // With one sheave the weight hangs under the rope's left fall.
  AddHoistLoad(AddGroupAt(SceneBase, N == 1 ? -R : 0, HoistBottomY), MatLib, N);

  TDummyCube* lower = AddGroupAt(SceneBase, 0, HoistBottomY);
  if (N == 2 || N == 3)
    AddBlockFrame(lower, MatLib, narrow, 0);
  else if (N == 4)
    AddBlockFrame(lower, MatLib, wide, shift);

  AddHoistPulleyBlock(AddGroupAt(SceneBase, 0, HoistTopY), MatLib, R, 0);
  if (N >= 2)
    AddHoistPulleyBlock(AddGroupAt(SceneBase, 0, HoistBottomY), MatLib, R, 0);
  if (N >= 3)
    AddHoistPulleyBlock(AddGroupAt(SceneBase, 0, HoistTopY - 2 * R), MatLib, r, 0);
  if (N == 4)
    AddHoistPulleyBlock(AddGroupAt(SceneBase, 0, 2 * R + HoistBottomY), MatLib, r, 0);
}

void AnimatePulleyHoistScene(TDummyCube* SceneBase, Integer N, Single Lift)
{
  N = ClampSheaves(N);
  if (!IsHoistScene(SceneBase, N))
    return;
  const Single R = HoistSheaveRadius, r = HoistSmallSheaveRadius;
  const Single yL = Lift / Single(N) + HoistBottomY;
  const Single a1 = DegreesPerRadian * Lift / R;
  const Single a3 = DegreesPerRadian * Lift / (3 * r);
  const Single a4 = DegreesPerRadian * Lift / (4 * r);
  SetChildY(SceneBase, 2, yL);
  SetChildY(SceneBase, 3, yL);
  // The top sheave turns clockwise by the pulled length over its radius.
  SetChildRoll(SceneBase, 4, -a1);
  switch (N) {
  case 1: break;
  case 2:
    // The lower sheave hangs in a loop whose one fall runs at the pulled speed and whose
    // other is tied to the top block: its rim turns at half the pulled length.
    SetChildY(SceneBase, 5, yL);
    SetChildRoll(SceneBase, 5, -a1 / 2);
    break;
  case 3:
    SetChildY(SceneBase, 5, yL);
    SetChildRoll(SceneBase, 5, -2 * a1 / 3);
    SetChildRoll(SceneBase, 6, -a3);
    break;
  default:
    SetChildY(SceneBase, 5, yL);
    SetChildRoll(SceneBase, 5, -0.75f * a1);
    SetChildY(SceneBase, 7, 2 * R + yL);
    SetChildRoll(SceneBase, 6, -2 * a4);
    SetChildRoll(SceneBase, 7, -a4);
    break;
  }
  if (TRope* rope = ChildOf<TRope>(SceneBase, 1))
    rope->SetExtent(Lift);
}

// --- topic 39 ------------------------------------------------------------------------------

Single InclinedPlaneCartX(Single Phase)
{
  const Single track = Single(TrackLength);
  return track * -0.5f + 0.25f + (track - 0.5f) * 0.0025f * Phase;
}

void BuildInclinedPlaneScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Single Angle,
                             const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const Single track = Single(TrackLength), start = InclinedPlaneCartX(0);
  auto g = std::make_unique<TDummyCube>(nullptr);
  g->SetRollAngle(Angle);
  TDummyCube* group = SceneBase->AddChild(std::move(g));

  auto box = std::make_unique<TAsymBox>(nullptr);
  box->Corners = {{{0.16f, 0.2f, -0.25f},
                   {0.16f, 0.2f, 0.25f},
                   {-0.16f, 0.2f, 0.25f},
                   {-0.16f, 0.2f, -0.25f},
                   {0.12f, 0.01f, -0.2f},
                   {0.12f, 0.01f, 0.2f},
                   {-0.12f, 0.01f, 0.2f},
                   {-0.12f, 0.01f, -0.2f}}};
  box->Position.SetPoint(start, 0.08f, 0);
  SetLibMaterial(box.get(), MatLib, 4);
  TAsymBox* cart = group->AddChild(std::move(box));

  // The heap's rim lies at y = 0.15 in the cart, where the side walls stand 0.1495 either
  // side of the middle (the body widens from 0.12 at the floor to 0.16 at the top): at 0.29
  // along the track it fills the cart without poking through the walls, as 0.45 did.
  auto heap = std::make_unique<TBezierSurface>(nullptr);
  heap->SetWidth(InclinedPlaneLoadWidth);
  heap->SetDepth(InclinedPlaneLoadDepth);
  heap->SetControlPoint(1, 1, {-0.1f, 0.5f, 0});
  heap->Position.SetPoint(0, 0.15f, 0);
  SetLibMaterial(heap.get(), MatLib, 9);
  cart->AddChild(std::move(heap));

  for (Single z : {0.15f, -0.15f}) {
    auto wheel = std::make_unique<TWheel>(nullptr);
    wheel->Position.SetPoint(-0.12f, 0, z);
    // The far wheels face the other way, so their treads lie on the far rail.
    if (z < 0)
      wheel->SetPitchAngle(180);
    SetLibMaterial(wheel.get(), MatLib, 0);
    TWheel* master = cart->AddChild(std::move(wheel));
    auto copy = NewProxy(master, pooObjects);
    copy->Position.SetPoint(0.12f, 0, z);
    if (z < 0)
      copy->SetPitchAngle(180);
    cart->AddChild(std::move(copy));
  }
  TCylinder* axleMaster = AddShaftCylinder(cart, MatLib, 0.01f, 0.4f, 20, 2);
  axleMaster->Position.SetPoint(-0.12f, 0, 0);
  // With the master's own placement inside, the copy at 0.24 stands at x = 0.12.
  auto axleCopy = NewProxy(axleMaster, pooEffects | pooObjects | pooTransformation);
  axleCopy->Position.SetPoint(0.24f, 0, 0);
  cart->AddChild(std::move(axleCopy));

  AddPlacedArrowAlongX(group, MarkerColour, 0.6f, start, 0.15f, 0, 0);
  // The load arrow and the letters are turned back by the slope so that they stay upright.
  AddRolledArrowToOriginAlongYAt(group, 1, MarkerColour, 0.4f, start, 0.4f, 0, -Angle);
  AddLetter(group, 'E', MarkerColour, track * -0.5f + 0.9f, 0.15f, Angle);
  AddLetter(group, 'L', MarkerColour, track * -0.5f + 0.3f, 0.4f, Angle);

  auto rail = TCube::CreateSized(nullptr, track, 0.02f, 0.02f, cpAll, ndOutside);
  rail->Position.SetPoint(0, 0.01f, 0.165f);
  SetLibMaterial(rail.get(), MatLib, 0);
  TCube* railMaster = group->AddChild(std::move(rail));
  auto railCopy = NewProxy(railMaster, pooObjects);
  railCopy->Position.SetPoint(0, 0.01f, -0.165f);
  group->AddChild(std::move(railCopy));

  const Single sleeperX = track * -0.5f + 0.05f;
  auto sleeper = TCube::CreateSized(nullptr, 0.1f, 0.02f, 0.5f, cpAll, ndOutside);
  sleeper->Position.SetPoint(sleeperX, -0.01f, 0);
  SetLibMaterial(sleeper.get(), MatLib, 16);
  TCube* sleeperMaster = group->AddChild(std::move(sleeper));
  for (Integer k = 1; k <= 9; ++k) {
    auto copy = NewProxy(sleeperMaster, pooObjects);
    copy->Position.SetPoint(sleeperX + 0.2f * Single(k), -0.01f, 0);
    group->AddChild(std::move(copy));
  }
}

void AnimateInclinedPlaneScene(TDummyCube* SceneBase, Single Phase)
{
  TDummyCube* g = InclinedPlaneGroup(SceneBase);
  if (!g)
    return;
  const Single x = InclinedPlaneCartX(Phase);
  for (Integer i : {0, 1, 2})
    SetChildX(g, i, x);
  SetChildX(g, 3, x + 0.65f);
  SetChildX(g, 4, x + 0.05f);
}

void SetInclinedPlaneAngle(TDummyCube* SceneBase, Single Angle)
{
  TDummyCube* g = InclinedPlaneGroup(SceneBase);
  if (!g)
    return;
  g->SetRollAngle(Angle);
  for (Integer i : {2, 3, 4})
    SetChildRoll(g, i, -Angle);
}
