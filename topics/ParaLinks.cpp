#include "topics/ParaLinks.h"

#include <cmath>

#include "parts/BasicParts.h"
#include "topics/SceneMatch.h"

namespace {

// The pins stand off the links by 1.5 thicknesses and reach through both.
constexpr Single PinOffset = 1.5f * ParaLinkThickness;
constexpr Single PinLength = PinOffset + ParaLinkThickness;

std::unique_ptr<TLinkage> Link(const TGLMaterialLibrary* matLib, Integer material)
{
  auto l = std::make_unique<TLinkage>(nullptr, ParaLinkEndRadius, ParaLinkThickness, ParaLinkLength, 16);
  l->SideColoured = true;
  SetLibMaterial(l.get(), matLib, material);
  return l;
}

std::unique_ptr<TGLProxyObject> ProxyOf(TGLBaseSceneObject* master)
{
  auto p = std::make_unique<TGLProxyObject>(nullptr);
  p->SetMasterObject(master);
  p->SetProxyOptions(pooObjects);
  return p;
}

TGLProxyObject* FarProxy(const TDummyCube* base, const TGLBaseSceneObject* group)
{
  TGLProxyObject* p = ChildOf<TGLProxyObject>(base, 1);
  return p && p->GetMasterObject() == group ? p : nullptr;
}

}   // namespace

void BuildParallelLinkScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  TDummyCube* g = AddPlacedGroup(SceneBase, 0, 0, 0);
  // The rocking link stands from the pivot up to the joint; the second link runs level from
  // the joint, as the pose at phase 0 has it.
  auto rocker = Link(MatLib, 7);
  rocker->Position.SetPoint(0, ParaLinkLength, 0);
  rocker->SetRollAngle(90);
  g->AddChild(std::move(rocker));
  auto level = Link(MatLib, 4);
  level->Position.SetPoint(0, ParaLinkLength, -PinOffset);
  g->AddChild(std::move(level));
  auto pin = std::make_unique<TLinkAxle>(nullptr, PinLength, 0.12f, 0.3f, 0.1f, 16, 0);
  pin->Position.SetPoint(0, ParaLinkLength, -PinOffset / 2);
  SetLibMaterial(pin.get(), MatLib, 6);
  TLinkAxle* joint = g->AddChild(std::move(pin));
  // The same pin again at the pivot.
  auto pivot = ProxyOf(joint);
  pivot->Position.SetPoint(0, 0, -PinOffset / 2);
  g->AddChild(std::move(pivot));

  auto copy = ProxyOf(g);
  copy->SetRollAngle(180);
  copy->Position.SetPoint(-ParaLinkLength, ParaLinkLength, 0);
  SceneBase->AddChild(std::move(copy));
}

void AnimateParallelLinkScene(TDummyCube* SceneBase, Single Phase)
{
  TDummyCube* g = GroupHolding<TLinkage, TLinkage, TLinkAxle, TGLProxyObject>(SceneBase, 0);
  TGLProxyObject* copy = FarProxy(SceneBase, g);
  if (!g || !copy)
    return;
  const Single a = Single(std::sin(double(Phase) * cPIdiv180)) * 60;
  g->SetRollAngle(a);
  SetChildRoll(g, 1, -a);
  const double s = std::sin(double(a) * cPIdiv180), c = std::cos(double(a) * cPIdiv180);
  copy->Position.SetAsVector({Single(-ParaLinkLength - ParaLinkLength * s), Single(ParaLinkLength * c), 0, 1});
  copy->SetRollAngle(180 + a);
}
