#include "topics/Motion.h"

#include <cmath>
#include <vector>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "topics/SceneMatch.h"
#include "topics/BodyParts.h"

namespace {

std::unique_ptr<TCylinder> Cylinder(Single bottom, Single top, Single height, Integer slices,
                                    TCylinderParts parts = cyAll)
{
  return TCylinder::CreateSized(nullptr, bottom, top, height, slices, 1, 1, parts, ndOutside);
}

// A copy of master drawn under its own placement, turned about Y or rolled about Z.
std::unique_ptr<TGLProxyObject> Copy(TGLBaseSceneObject* master)
{
  auto p = std::make_unique<TGLProxyObject>(nullptr);
  p->SetMasterObject(master);
  return p;
}

// --- roundabout ----------------------------------------------------------------------------

constexpr Integer RoundaboutParts = 16;

// The centre line of a hand bar in the XY plane: level from the post out to A at height
// B + R, a quarter circle of radius R about (A, B) and down to the ground at A + R.
void MakeHandrailPath(std::vector<TAffineVector>& Path, Single A, Single B, Single R)
{
  Path.assign(13, TAffineVector{0, 0, 0});
  Path[0] = {0, B + R, 0};
  for (Integer i = 0; i <= 10; ++i) {
    const double a = double(i) * 0.1570796f;
    Path[size_t(i) + 1] = {A + R * Single(std::sin(a)), B + R * Single(std::cos(a)), 0};
  }
  Path[12] = {A + R, 0, 0};
}

TDummyCube* RoundaboutGroup(const TDummyCube* base)
{
  TDummyCube* g = GroupOf(base, 0, RoundaboutParts);
  return g && ChildOf<TRoundabout>(g, 0) && ChildOf<TSlattedPlane>(g, 1) && ChildOf<TPipe>(g, 7)
                 && ChildOf<TAnnulusEx>(g, 13) && ChildOf<TDummyCube>(g, 15)
             ? g
             : nullptr;
}

// --- escapement ----------------------------------------------------------------------------

// One stretch of the escape wheel's progress through a swing: from the cycle position
// From to To (degrees) the wheel stands Start + Rate x (f - From) behind the cycle's start.
struct TWheelStretch {
  Single To;
  Single Start;
  Single Rate;
  Single From;
};

constexpr TWheelStretch WheelStretches[] = {
    {25, 0, 0.2f / 25, 0},       {50, 0.2f, 0.5f / 25, 25}, {60, 0.7f, 0.03f, 50},    {70, 1.0f, 0.03f, 60},
    {80, 1.3f, 0.05f, 70},       {90, 1.8f, 0.05f, 80},     {100, 2.3f, 0.07f, 90},   {110, 3.0f, 0.07f, 100},
    {120, 3.7f, 0.07f, 110},     {130, 4.5f, 0.06f, 120},   {140, 5.1f, 0.06f, 130},  {150, 5.7f, 0.06f, 140},
    {160, 6.3f, 0.04f, 150},     {170, 6.7f, 0.03f, 160},   {180, 7.0f, 0.2f, 170},   {210, 9.0f, 0, 180},
    {240, 9.0f, 0.2f / 30, 210}, {250, 9.6f, 0.03f, 240},   {260, 9.9f, 0.04f, 250},  {270, 10.3f, 0.06f, 260},
    {280, 10.9f, 0.07f, 270},    {290, 11.6f, 0.08f, 280},  {300, 12.4f, 0.06f, 290}, {310, 13.0f, 0.11f, 300},
    {320, 14.1f, 0.06f, 310},    {330, 14.7f, 0.03f, 320},  {360, 15.0f, 0.1f, 330},
};

// The barrel's wheel has 25 teeth against the pinion's 10, and turns the other way.
constexpr Single BarrelRatio = -0.4f;
constexpr Single WeightStartY = -1.016f;

bool IsEscapementScene(const TDummyCube* base)
{
  TDummyCube* wheel = GroupOf(base, 0, 8);
  TDummyCube* pendulum = GroupOf(base, 1, 8);
  return wheel && ChildOf<TEscWheel>(wheel, 0) && ChildOf<TCog>(wheel, 6) && pendulum && ChildOf<TPallet>(pendulum, 0)
         && GroupHolding<THelix, TCog, TCylinder, THelix>(base, 2) && ChildOf<TCylinder>(base, 3)
         && ChildOf<TCylinder>(base, 4);
}

}   // namespace

// --- roundabout ------------------------------------------------------------------------------

void BuildRoundaboutScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  TDummyCube* g = AddPlacedGroup(SceneBase, 0, 0, 0);

  auto platform = std::make_unique<TRoundabout>(nullptr);
  platform->Position.SetPoint(0, -0.02f, 0);
  platform->SetPitchAngle(90);
  AddWithMaterial(g, std::move(platform), MatLib, 11);

  // Six slatted panels under the platform's edge, and six hand bars.
  auto panel = std::make_unique<TSlattedPlane>(nullptr);
  panel->Position.SetPoint(0, -0.27f, Single(std::cos(30 * double(cPIdiv180))) - 0.01f);
  TSlattedPlane* firstPanel = AddWithMaterial(g, std::move(panel), MatLib, 16);
  for (Integer k = 1; k <= 5; ++k) {
    auto p = Copy(firstPanel);
    p->SetTurnAngle(Single(60 * k));
    g->AddChild(std::move(p));
  }
  auto bar = std::make_unique<TPipe>(nullptr);
  bar->SetRadius(0.02f);
  bar->SetSlices(8);   // a bar a few pixels thick: eight facets look round
  bar->SetParts(ppOutside);
  std::vector<TAffineVector> path;
  MakeHandrailPath(path, 1.0f, 0.5f, 0.1f);
  for (const TAffineVector& v : path)
    bar->AddNode(v);
  bar->Position.SetPoint(0, -0.5f, 0);
  TPipe* firstBar = AddWithMaterial(g, std::move(bar), MatLib, 0);
  for (Integer k = 1; k <= 5; ++k) {
    auto p = Copy(firstBar);
    p->SetTurnAngle(Single(60 * k));
    g->AddChild(std::move(p));
  }

  auto ring = std::make_unique<TAnnulusEx>(nullptr, 1.15f, 0.4f, 0.04f, 0.0f, 360.0f, 50);
  ring->Position.SetPoint(0, -0.52f, 0);
  AddWithMaterial(g, std::move(ring), MatLib, 11);
  auto post = Cylinder(0.1f, 0.1f, 0.8f, 50);
  post->Position.SetPoint(0, -0.24f, 0);
  AddWithMaterial(g, std::move(post), MatLib, 0);

  auto rider = std::make_unique<TDummyCube>(nullptr);
  rider->Position.SetPoint(0.75f, 0, 0.25f);
  rider->SetTurnAngle(90);
  rider->Scale.ScaleBy(0.2f);
  BuildFigure(rider.get(), MatLib, 17, 19, 4, 0.0f, 0.0f, -10.0f, 38);
  g->AddChild(std::move(rider));
}

void AnimateRoundaboutScene(TDummyCube* SceneBase, Single Phase)
{
  if (TDummyCube* g = RoundaboutGroup(SceneBase))
    PoseFromRest(g, 0, Phase);
}

// --- escapement ------------------------------------------------------------------------------

Single EscapeWheelAngle(Single Phase)
{
  if (!std::isfinite(Phase))
    return 0;
  // The cycle's start is floored, so a phase before 0 continues the cycles backwards.
  const double cycles = std::floor(double(Phase) / 360);
  const Single f = Single((double(Phase) / 360 - cycles) * 360);
  const Single start = Single(-18 * cycles);
  // Each stretch's formula runs up to its own end, where the next one takes over.
  const TWheelStretch* s = &WheelStretches[0];
  while (f > s->To && s != &WheelStretches[std::size(WheelStretches) - 1])
    ++s;
  return start - (s->Start + s->Rate * (f - s->From));
}

void BuildEscapementScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  TDummyCube* wheel = AddPlacedGroup(SceneBase, 0, 0.384f, 0);
  AddWithMaterial(wheel, std::make_unique<TEscWheel>(nullptr), MatLib, 14);
  TSpoke* spoke = AddWithMaterial(wheel, std::make_unique<TSpoke>(nullptr, 0.2f, 0.01f, 0.04f, 72, 10), MatLib, 14);
  for (Integer k = 1; k <= 4; ++k) {
    auto p = Copy(spoke);
    p->SetDirection(spoke->Direction);
    p->SetUp(spoke->Up);
    p->SetRollAngle(Single(72 * k));
    wheel->AddChild(std::move(p));
  }
  auto pinion = std::make_unique<TCog>(nullptr, 10, 0.05f, 0.025f, 0.04f, 0.0f);
  pinion->Position.SetPoint(0, 0, 0.1f);
  AddWithMaterial(wheel, std::move(pinion), MatLib, 14);
  auto arbor = Cylinder(0.02f, 0.02f, 0.2f, 20);
  arbor->SetPitchAngle(90);
  arbor->Position.SetPoint(0, 0, 0.05f);
  AddWithMaterial(wheel, std::move(arbor), MatLib, 0);

  TDummyCube* pendulum = AddPlacedGroup(SceneBase, 0, 1.3f, 0);
  pendulum->SetRollAngle(-2.0f);
  AddWithMaterial(pendulum, std::make_unique<TPallet>(nullptr), MatLib, 14);
  auto hub = Cylinder(0.05f, 0.05f, 0.05f, 20);
  hub->SetPitchAngle(90);
  AddWithMaterial(pendulum, std::move(hub), MatLib, 14);
  auto palletArbor = Cylinder(0.02f, 0.02f, 0.3f, 10);
  palletArbor->SetPitchAngle(90);
  palletArbor->Position.SetPoint(0, 0, -0.11f);
  AddWithMaterial(pendulum, std::move(palletArbor), MatLib, 0);
  auto crutch = TCube::CreateSized(nullptr, 0.1f, 0.2f, 0.1f, cpAll, ndOutside);
  crutch->Position.SetPoint(0, -0.07f, -0.1f);
  AddWithMaterial(pendulum, std::move(crutch), MatLib, 2);
  auto rod = Cylinder(0.02f, 0.02f, 2.0f, 10);
  rod->Position.SetPoint(0, -1.1f, -0.1f);
  AddWithMaterial(pendulum, std::move(rod), MatLib, 0);
  auto bob = Cylinder(0.25f, 0.25f, 0.04f, 50, cySides);
  bob->SetPitchAngle(90);
  bob->Position.SetPoint(0, -2.2f, -0.1f);
  AddWithMaterial(pendulum, std::move(bob), MatLib, 6);
  auto front = Cylinder(0.2f, 0.25f, 0.02f, 50, cySides | cyBottom);
  front->SetPitchAngle(90);
  front->Position.SetPoint(0, -2.2f, -0.07f);
  AddWithMaterial(pendulum, std::move(front), MatLib, 6);
  auto back = Cylinder(0.25f, 0.2f, 0.02f, 50, cySides | cyTop);
  back->SetPitchAngle(90);
  back->Position.SetPoint(0, -2.2f, -0.13f);
  AddWithMaterial(pendulum, std::move(back), MatLib, 6);

  TDummyCube* barrel = AddPlacedGroup(SceneBase, -0.182f, 0.202f, 0.1f);
  auto leaving = std::make_unique<THelix>(nullptr, 0.06f, 0.01f, 0.03f, 0.5f, 20, 5);
  leaving->Ends = 0;
  leaving->Position.SetPoint(0, 0, 0.17f);
  AddWithMaterial(barrel, std::move(leaving), MatLib, 7);
  auto barrelWheel = std::make_unique<TCog>(nullptr, 25, 0.05f, 0.025f, 0.02f, 0.0f);
  barrelWheel->SetRollAngle(9.0f);
  AddWithMaterial(barrel, std::move(barrelWheel), MatLib, 14);
  auto drum = Cylinder(0.05f, 0.05f, 0.2f, 20);
  drum->SetPitchAngle(90);
  drum->Position.SetPoint(0, 0, 0.1f);
  AddWithMaterial(barrel, std::move(drum), MatLib, 0);
  auto wound = std::make_unique<THelix>(nullptr, 0.06f, 0.01f, 0.03f, 4.0f, 20, 5);
  wound->Ends = 0b01;
  wound->Position.SetPoint(0, 0, 0.05f);
  AddWithMaterial(barrel, std::move(wound), MatLib, 7);

  auto cord = Cylinder(0.01f, 0.01f, 1.2f, 5, cySides);
  cord->Position.SetPoint(-0.242f, -0.398f, 0.285f);
  AddWithMaterial(SceneBase, std::move(cord), MatLib, 7);
  auto weight = Cylinder(0.1f, 0.1f, 0.4f, 20);
  weight->Position.SetPoint(-0.242f, WeightStartY, 0.285f);
  AddWithMaterial(SceneBase, std::move(weight), MatLib, 0);
}

void AnimateEscapementScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsEscapementScene(SceneBase) || !std::isfinite(Phase))
    return;
  const Single theta = EscapeWheelAngle(Phase);
  PoseFromRest(SceneBase->GetChild(1), Single(-2 * std::cos(double(Phase) * cPIdiv180)));
  PoseFromRest(SceneBase->GetChild(0), theta);
  TGLBaseSceneObject* barrel = SceneBase->GetChild(2);
  PoseFromRest(barrel, BarrelRatio * theta);
  // The cord leaving the barrel shortens as the barrel winds it off.
  barrel->GetChildAs<THelix>(0)->SetTurns(theta / 900 + 0.5f);
  // The weight sinks by the cord the barrel (radius 0.05) lets out.
  SceneBase->GetChild(4)->Position.SetCoordinate(1, 0.02f * theta * cPIdiv180 + WeightStartY);
}
