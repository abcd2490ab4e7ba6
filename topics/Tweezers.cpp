#include "topics/Tweezers.h"

#include <cmath>

#include "engine/GLExtrusion.h"
#include "engine/GLObjects.h"
#include "platform/SysUtils.h"
#include "topics/GLSimpleText.h"
#include "topics/Markers.h"
#include "topics/TopicFrame.h"
#include "topics/TweezerObjects.h"

namespace {

constexpr Single BladeY = 1.1f;
constexpr Single ButtY = 1.09f;
constexpr Single BlockY = -1.26f;
constexpr Single OpenRoll = -90;
constexpr Integer SceneChildren = 5;
constexpr Integer MarkerChildren = 9;
// The grip the gripping stroke reaches at its end, which the lift keeps.
constexpr Single FullGrip = 202;

TExtrusionSolid* AddLetter(TGLBaseSceneObject* group, Integer letter, const TVector& colour, Single x, Single y)
{
  auto l = BuildLetterSolid(letter, 0.05f, 0.01f);
  l->Position.SetPoint(x, y, 0);
  l->Material.FrontProperties.Ambient.SetColor(colour);
  return group->AddChild(std::move(l));
}

void AddCopy(TGLBaseSceneObject* group, TGLBaseSceneObject* master, Single x, Single y)
{
  auto p = std::make_unique<TGLProxyObject>(nullptr);
  p->SetMasterObject(master);
  p->Position.SetPoint(x, y, 0);
  p->SetProxyOptions(pooObjects);
  group->AddChild(std::move(p));
}

std::unique_ptr<TDummyCube> NewBladeGroup(const TGLMaterialLibrary* MatLib, bool turned)
{
  auto g = std::make_unique<TDummyCube>(nullptr);
  g->Scale.ScaleBy(1.8f);
  g->SetRollAngle(OpenRoll);
  g->Position.Y = BladeY;
  auto blade = std::make_unique<TTweezers>(nullptr);
  if (turned)
    blade->SetPitchAngle(180);
  SetLibMaterial(blade.get(), MatLib, 0);
  g->AddChild(std::move(blade));
  return g;
}

struct TTweezersScene {
  TDummyCube* Blades[2] = {nullptr, nullptr};
  TTweezers* Blade[2] = {nullptr, nullptr};
  TGLBaseSceneObject* Butt = nullptr;
  TGLBaseSceneObject* Block = nullptr;
  TDummyCube* Markers = nullptr;
};

// Every child the procedures address, of the class they expect, or false.
bool FindScene(TDummyCube* base, TTweezersScene& s)
{
  if (ChildCount(base) < SceneChildren)
    return false;
  for (Integer i = 0; i < 2; ++i) {
    s.Blades[i] = ChildOf<TDummyCube>(base, i);
    s.Blade[i] = ChildOf<TTweezers>(s.Blades[i], 0);
    if (!s.Blade[i])
      return false;
  }
  s.Butt = ChildOf<TTweezerEnd>(base, 2);
  s.Block = ChildOf<TCube>(base, 3);
  s.Markers = GroupOf(base, 4, MarkerChildren);
  return s.Butt && s.Block && s.Markers;
}

void SetY(TGLBaseSceneObject* obj, Single y) { obj->Position.SetCoordinate(1, y); }

// Bends both blades near the root and turns them towards each other by the grip g (0 to 202).
void Grip(const TTweezersScene& s, Single g)
{
  const Single e = g * 0.000225f, f = g * 0.0225f;
  for (TTweezers* b : s.Blade) {
    const TVector2f& p = b->GetControlPoint(1);
    if (p[0] != 0 || p[1] != e)
      b->SetControlPoint(1, 0, e, true);
  }
  PoseFromRest(s.Blades[0], -f + OpenRoll);
  PoseFromRest(s.Blades[1], f + OpenRoll);
}

}   // namespace

Single TweezersStroke(Single Phase) { return 600 * Single(std::sin(double(Phase) * cPIdiv180)); }

void BuildTweezersScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers,
                        const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  SceneBase->AddChild(NewBladeGroup(MatLib, false));
  SceneBase->AddChild(NewBladeGroup(MatLib, true));

  auto butt = std::make_unique<TTweezerEnd>(nullptr);
  butt->Scale.ScaleBy(0.9f);
  butt->SetRollAngle(OpenRoll);
  butt->Position.Y = ButtY;
  SetLibMaterial(butt.get(), MatLib, 0);
  SceneBase->AddChild(std::move(butt));

  auto block = TCube::CreateSized(nullptr, 0.0625f, 0.07f, 0.3f, cpAll, ndOutside);
  block->Position.Y = BlockY;
  SetLibMaterial(block.get(), MatLib, 4);
  SceneBase->AddChild(std::move(block));

  auto m = std::make_unique<TDummyCube>(nullptr);
  m->SetVisible(ShowMarkers);
  AddPlacedArrowAlongX(m.get(), MarkerColour, 0.3f, 0.55f, 0, 0, 180);
  AddPlacedArrowAlongX(m.get(), MarkerColour, 0.3f, 0.25f, -0.5f, 0, 0);
  AddPlacedArrowAlongX(m.get(), MarkerColour, 0.3f, -0.55f, 0, 0, 0);
  AddPlacedArrowAlongX(m.get(), MarkerColour, 0.3f, -0.25f, -0.5f, 0, 180);
  AddLetter(m.get(), 'F', MarkerColour, 0.1f, 1.0f);
  TExtrusionSolid* e = AddLetter(m.get(), 'E', MarkerColour, 0.4f, 0.03f);
  AddCopy(m.get(), e, -0.45f, 0.03f);
  TExtrusionSolid* l = AddLetter(m.get(), 'L', MarkerColour, 0.3f, -0.47f);
  AddCopy(m.get(), l, -0.35f, -0.47f);
  SceneBase->AddChild(std::move(m));
}

void AnimateTweezersScene(TDummyCube* SceneBase, Single Phase)
{
  TTweezersScene s;
  if (!FindScene(SceneBase, s))
    return;
  const Single stroke = TweezersStroke(Phase);
  const Integer k = SafeTrunc(stroke);
  // Every branch sets the whole pose (grip and marker height too), so a phase gives the same
  // pose however it was reached. A stroke below 0 (a phase past the bar's end) keeps lowering
  // rather than jumping to the lift.
  if (k <= 200) {
    const Single d = 0.0025f * stroke;
    SetY(s.Blades[0], BladeY - d);
    SetY(s.Blades[1], BladeY - d);
    SetY(s.Butt, ButtY - d);
    SetY(s.Block, BlockY);
    SetY(s.Markers, -d);
    Grip(s, 0);
  } else if (k <= 401) {
    SetY(s.Blades[0], 0.6f);
    SetY(s.Blades[1], 0.6f);
    SetY(s.Butt, 0.59f);
    Grip(s, stroke - 200);
    SetY(s.Block, BlockY);
    SetY(s.Markers, -0.5f);
  } else {
    const Single d = (stroke - 400) * 0.0025f;
    SetY(s.Blades[0], 0.6f + d);
    SetY(s.Blades[1], 0.6f + d);
    SetY(s.Butt, 0.59f + d);
    SetY(s.Block, BlockY + d);
    SetY(s.Markers, -0.5f + d);
    Grip(s, FullGrip);
  }
}

void ShowTweezersMarkers(TDummyCube* SceneBase, bool Visible)
{
  TTweezersScene s;
  if (FindScene(SceneBase, s))
    s.Markers->SetVisible(Visible);
}
