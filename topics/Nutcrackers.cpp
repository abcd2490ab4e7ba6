#include "topics/Nutcrackers.h"

#include <cmath>

#include "engine/GLExtrusion.h"
#include "engine/GLVectorFileObjects.h"
#include "platform/Files.h"
#include "topics/GLSimpleText.h"
#include "topics/Markers.h"
#include "topics/NutcrackerObjects.h"
#include "topics/TopicFrame.h"

namespace {

constexpr Single BuildAngle = 15;
constexpr Single HingeX = -0.8f;
constexpr Single MarkerPivotX = -0.96f;
constexpr Integer SceneChildren = 6;
constexpr Integer MarkerChildren = 4;

// The handles' line: tan(theta) = 0.2.
const Single Cos = Single(std::cos(std::atan(0.2)));
const Single Sin = Single(std::sin(std::atan(0.2)));

void AddLetter(TGLBaseSceneObject* group, Integer letter, const TVector& colour, Single x, Single y, Single roll)
{
  auto l = BuildLetterSolid(letter, 0.05f, 0.01f);
  l->Position.SetPoint(x, y, 0);
  l->SetRollAngle(roll);
  l->Material.FrontProperties.Ambient.SetColor(colour);
  group->AddChild(std::move(l));
}

// The nut's mesh and texture from the model folder, where they are. A mesh that is there but
// cannot be read leaves the nut empty with its fault kept for the report; a picture that
// cannot be read leaves it untextured, as a missing one does.
void LoadNut(TFreeForm& nut, const std::string& folder)
{
  const std::string mesh = folder + "nut.3ds", picture = folder + "nut.bmp";
  if (!FileExists(mesh) || !nut.TryLoadFromFile(mesh))
    return;
  if (!FileExists(picture))
    return;
  TGLMaterial& m = nut.Material;
  try {
    m.Texture.Image.LoadFromFile(picture);
  } catch (const Exception&) {
    m.Texture.Image.Clear();
    return;
  }
  m.Texture.SetDisabled(false);
  m.Texture.SetMinFilter(TGLMinFilter::miLinearMipmapNearest);
  m.Texture.SetTextureMode(TGLTextureMode::tmModulate);
  m.FrontProperties.Ambient.SetColor(TVector{0.9f, 0.9f, 0.9f, 1});
  m.FrontProperties.Diffuse.SetColor(TVector{0.9f, 0.9f, 0.9f, 1});
  m.FrontProperties.Specular.SetColor(TVector{1, 1, 1, 1});
  m.FrontProperties.SetShininess(100);
}

// The scene's groups when the scene base holds the nutcracker, else false: every child the
// procedures address, of the class they expect.
struct TNutCrackerScene {
  TDummyCube* Arm = nullptr;
  TGLProxyObject* OtherArm = nullptr;
  TDummyCube* Markers[2] = {nullptr, nullptr};
  TGLBaseSceneObject* Fulcrum = nullptr;
};

bool FindScene(TDummyCube* base, TNutCrackerScene& s)
{
  if (ChildCount(base) < SceneChildren)
    return false;
  s.Arm = ChildOf<TDummyCube>(base, 0);
  s.OtherArm = ChildOf<TGLProxyObject>(base, 1);
  s.Markers[0] = GroupOf(base, 2, MarkerChildren);
  s.Markers[1] = GroupOf(base, 3, MarkerChildren);
  s.Fulcrum = ChildOf<TExtrusionSolid>(base, 5);
  return s.Arm && ChildOf<TNutCracker>(s.Arm, 0) && s.OtherArm && s.OtherArm->GetMasterObject() == s.Arm && s.Markers[0]
         && s.Markers[1] && ChildOf<TFreeForm>(base, 4) && s.Fulcrum;
}

// The lower arm is the upper one turned over: its roll is measured after the half turn.
void PoseOtherArm(TGLBaseSceneObject* arm, Single roll)
{
  arm->ResetRotations();
  arm->SetPitchAngle(180);
  arm->SetRollAngle(roll);
}

}   // namespace

Single NutCrackerArmAngle(Single Phase) { return (300 - 200 * Single(std::sin(double(Phase) * cPIdiv180))) * 0.05f; }

void BuildNutCrackerScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, const std::string& ModelFolder,
                          bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  auto arm = std::make_unique<TDummyCube>(nullptr);
  arm->Position.Z = -0.001f;
  arm->Position.X = HingeX;
  arm->SetRollAngle(BuildAngle);
  auto cracker = std::make_unique<TNutCracker>(nullptr);
  SetLibMaterial(cracker.get(), MatLib, 0);
  arm->AddChild(std::move(cracker));
  auto grip = std::make_unique<TRoundCuboid>(nullptr);
  grip->Depth = 0.13f;
  grip->Height = 0.14f;
  grip->Position.X = 1.1f;
  grip->Position.Y = 0.15f;
  SetLibMaterial(grip.get(), MatLib, 4);
  arm->AddChild(std::move(grip));
  TDummyCube* upper = SceneBase->AddChild(std::move(arm));

  auto lower = std::make_unique<TGLProxyObject>(nullptr);
  lower->SetMasterObject(upper);
  lower->SetProxyOptions(pooObjects);
  lower->SetPitchAngle(180);
  lower->Position.Z = 0.001f;
  lower->Position.X = HingeX;
  lower->SetRollAngle(BuildAngle);
  SceneBase->AddChild(std::move(lower));

  // Markers of the upper arm, then the lower arm's mirrored below the hinge line.
  for (Single side : {1.0f, -1.0f}) {
    auto g = std::make_unique<TDummyCube>(nullptr);
    g->Position.X = MarkerPivotX;
    g->SetRollAngle(side * BuildAngle);
    g->SetVisible(ShowMarkers);
    // The letters stand 0.15 above the upper arm's arrows and 0.2 below the lower arm's.
    const Single offset = side > 0 ? 0.15f : -0.2f;
    AddLetter(g.get(), 'E', MarkerColour, 0.03f + 1.5f * Cos, side * 1.5f * Sin + offset, -side * BuildAngle);
    AddArrowToOriginAlongYAt(g.get(), Integer(side), MarkerColour, 0.3f, 1.5f * Cos, side * 1.5f * Sin, 0);
    AddLetter(g.get(), 'L', MarkerColour, 0.03f + 0.4f * Cos, side * (0.4f * Sin + 0.1f) + offset, -side * BuildAngle);
    AddPlacedArrowAlongX(g.get(), MarkerColour, 0.3f, 0.4f * Cos, side * (0.4f * Sin + 0.1f), 0, side * 90);
    SceneBase->AddChild(std::move(g));
  }

  auto nut = std::make_unique<TFreeForm>(nullptr);
  nut->SetPitchAngle(180);
  nut->Position.SetPoint(-0.6f, 0, 0);
  LoadNut(*nut, ModelFolder);
  SceneBase->AddChild(std::move(nut));

  auto f = BuildLetterSolid('F', 0.05f, 0.01f);
  f->Position.X = -1.0f;
  f->SetRollAngle(BuildAngle);
  f->SetVisible(ShowMarkers);
  f->Material.FrontProperties.Ambient.SetColor(MarkerColour);
  SceneBase->AddChild(std::move(f));
}

void AnimateNutCrackerScene(TDummyCube* SceneBase, bool ShowMarkers, Single Phase)
{
  TNutCrackerScene s;
  if (!FindScene(SceneBase, s))
    return;
  const Single a = NutCrackerArmAngle(Phase);
  // Each turn is set from rest, so a phase gives the same pose however it was reached; the
  // letters turn back so that they stay upright.
  PoseFromRest(s.Arm, a);
  PoseOtherArm(s.OtherArm, a);
  PoseFromRest(s.Markers[0], a);
  PoseFromRest(s.Markers[0]->GetChild(0), -a);
  PoseFromRest(s.Markers[0]->GetChild(2), -a);
  PoseFromRest(s.Markers[1], -a);
  PoseFromRest(s.Markers[1]->GetChild(0), a);
  PoseFromRest(s.Markers[1]->GetChild(2), a);
  s.Markers[0]->SetVisible(ShowMarkers);
  s.Markers[1]->SetVisible(ShowMarkers);
  s.Fulcrum->SetVisible(ShowMarkers);
}

void ShowNutCrackerMarkers(TDummyCube* SceneBase, bool Visible)
{
  TNutCrackerScene s;
  if (!FindScene(SceneBase, s))
    return;
  s.Markers[0]->SetVisible(Visible);
  s.Markers[1]->SetVisible(Visible);
  s.Fulcrum->SetVisible(Visible);
}
