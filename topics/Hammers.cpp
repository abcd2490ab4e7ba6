#include "topics/Hammers.h"

#include <cmath>

#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "topics/HammerObjects.h"
#include "topics/LeverTopicsA.h"
#include "topics/Markers.h"
#include "topics/SceneMatch.h"

namespace {

constexpr Single HammerRestRoll = -70;
constexpr Single BoardThickness = 0.26f;
// Where the build puts the effort marker: at the grip, 1.0 up the handle rolled -70.
const Single EffortRestX = std::cos(DegToRad(20.0f));
const Single EffortRestY = std::sin(DegToRad(20.0f));
constexpr Single EffortLetterRoll = -90;

bool IsHammerScene(const TDummyCube* base)
{
  if (ChildCount(base) < 5)
    return false;
  return ChildOf<THammerhead>(ChildOf<TDummyCube>(base, 0), 0) && GroupHolding<TRevolutionSolid>(base, 1)
         && GroupHolding<TExtrusionSolid, TLines>(base, 2) && GroupHolding<TExtrusionSolid, TLines>(base, 3)
         && ChildOf<TExtrusionSolid>(base, 4);
}

TCylinder* AddHandlePart(TGLBaseSceneObject* g, Single bottom, Single top, Single height, TCylinderParts parts,
                         Single y, const TGLMaterialLibrary* matLib, Integer material)
{
  auto c = TCylinder::CreateSized(nullptr, bottom, top, height, 20, 1, 1, parts, ndOutside);
  c->Position.SetPoint(0, y, 0);
  if (material >= 0)
    SetLibMaterial(c.get(), matLib, material);
  return g->AddChild(std::move(c));
}

void SetMarkers(TDummyCube* base, bool visible)
{
  for (Integer i = 2; i <= 4; ++i)
    SetChildVisible(base, i, visible);
}

void TextureBoard(TCube& board, const std::string& file)
{
  if (!LeverFileExists(file))
    return;
  TGLMaterial m = board.Material;
  try {
    m.Texture.Image.LoadFromFile(file);
  } catch (const Exception&) {
    return;   // a picture we cannot read leaves the board plain, as a missing one does
  }
  m.Texture.SetDisabled(false);
  m.Texture.SetMinFilter(TGLMinFilter::miLinearMipmapNearest);
  m.Texture.SetTextureMode(TGLTextureMode::tmModulate);
  m.FrontProperties.Ambient.SetColor(0.9f, 0.9f, 0.9f, 1);
  m.FrontProperties.Diffuse.SetColor(0.9f, 0.9f, 0.9f, 1);
  m.FrontProperties.Specular.SetColor(1, 1, 1, 1);
  m.FrontProperties.SetShininess(100);
  board.Material = m;
}

}   // namespace

void BuildClawHammerScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, const std::string& ModelFolder,
                          const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  TDummyCube* hammer = AddPlacedGroup(SceneBase, 0, 0, 0);
  hammer->SetRollAngle(HammerRestRoll);
  AddWithMaterial(hammer, std::make_unique<THammerhead>(nullptr), MatLib, 0);
  TCylinder* shank = AddHandlePart(hammer, 0.06f, 0.06f, 0.5f, cySides, 0.25f, MatLib, -1);
  shank->Material.FrontProperties.Ambient.SetColor(0.7f, 0.7f, 0.7f, 1);
  shank->Material.FrontProperties.Diffuse.SetColor(0.7f, 0.7f, 0.7f, 1);
  shank->Material.FrontProperties.Specular.SetColor(1, 1, 1, 1);
  shank->Material.FrontProperties.SetShininess(128);
  AddHandlePart(hammer, 0.09f, 0.09f, 1.0f, cySides, 1.0f, MatLib, 4);
  AddHandlePart(hammer, 0.09f, 0.07f, 0.02f, cySides | cyTop, 1.51f, MatLib, 4);
  AddHandlePart(hammer, 0.07f, 0.09f, 0.02f, cySides | cyBottom, 0.49f, MatLib, 4);

  TDummyCube* nailGroup = AddPlacedGroup(SceneBase, ClawArc, -NailDepth, 0);
  auto nail = std::make_unique<TRevolutionSolid>(nullptr);
  const Single outline[6][2] = {{0, 0.262f}, {0.025f, 0.262f}, {0.025f, 0.25f}, {0.01f, 0.25f}, {0.01f, 0.01f}, {0, 0}};
  for (const auto& n : outline)
    nail->AddNode(n[0], n[1], 0);
  nail->Position.SetPoint(0, -NailLength, 0);
  AddWithMaterial(nailGroup, std::move(nail), MatLib, 6);

  TDummyCube* effort = AddPlacedGroup(SceneBase, EffortRestX, EffortRestY, 0);
  effort->SetVisible(false);
  AddLeverLetter(effort, 'E', MarkerColour, 0.05f, 0.02f, -0.1f, 0.4f, 0)->SetRollAngle(EffortLetterRoll);
  AddRolledArrowAlongX(effort, 1, MarkerColour, 0.4f, 110);

  TDummyCube* load = AddPlacedGroup(SceneBase, ClawArc, -0.47f, 0);
  load->SetVisible(false);
  AddLeverLetter(load, 'L', MarkerColour, 0.05f, 0.02f, 0.05f, 0.3f, 0);
  AddArrowToOriginAlongY(load, 1, MarkerColour, 0.3f, true);

  AddLeverLetter(SceneBase, 'F', MarkerColour, 0.05f, 0.02f, 0, -NailDepth, 0.15f)->SetVisible(false);

  // The claw rolls on the board's top at y = -0.52; the board reaches down past the tip of the
  // driven nail (y = -0.73) so that no view shows the nail through it.
  auto board = TCube::CreateSized(nullptr, 2.0f, BoardThickness, 0.6f, cpAll, ndOutside);
  board->Position.SetPoint(0, -0.52f - BoardThickness / 2, 0);
  TextureBoard(*board, ModelFolder + "ashwood.jpg");
  SceneBase->AddChild(std::move(board));
}

void AnimateClawHammerScene(TDummyCube* SceneBase, bool ShowMarkers, Single Phase)
{
  if (!IsHammerScene(SceneBase))
    return;
  const Single a = 170 * std::sin(DegToRad(Phase));
  TGLBaseSceneObject* hammer = SceneBase->GetChild(0);
  TGLBaseSceneObject* nailGroup = SceneBase->GetChild(1);
  TGLBaseSceneObject* nail = nailGroup->GetChild(0);
  TGLBaseSceneObject* effort = SceneBase->GetChild(2);
  TGLBaseSceneObject* effortLetter = effort->GetChild(0);
  if (!(a > 100)) {
    // Sliding in: everything the levering moves goes back where the build put it.
    hammer->Position.SetCoordinate(0, 0.01f * ClawArc * a);
    PoseFromRest(hammer, HammerRestRoll);
    nailGroup->Position.SetPoint(ClawArc, -NailDepth, 0);
    PoseFromRest(nailGroup, 0);
    PoseFromRest(nail, 0);
    effort->Position.SetPoint(EffortRestX, EffortRestY, 0);
    PoseFromRest(effort, 0);
    PoseFromRest(effortLetter, EffortLetterRoll);
    SceneBase->GetChild(3)->Position.SetPoint(ClawArc, -0.47f, 0);
    SceneBase->GetChild(4)->Position.SetCoordinate(0, 0);
    SetMarkers(SceneBase, false);
    return;
  }
  // Levering: the claw rolls on the board; r is the arc rolled off.
  const Single r = 0.52f * (170 - a) * cPIdiv180;
  const Single b = DegToRad(190 - a);
  hammer->Position.SetCoordinate(0, r);
  PoseFromRest(hammer, a - 170);
  const Single x1 = r + NailDepth * std::cos(b), y1 = -NailDepth * std::sin(b);
  nailGroup->Position.SetPoint(x1, y1, 0);
  const Single phi = std::atan((ClawArc - x1) / (0.52f + NailLength - NailDepth * std::sin(b))) * c180divPI;
  PoseFromRest(nailGroup, phi);
  PoseFromRest(nail, a - 100 - phi);
  Single s, c;
  SinCos(DegToRad(a - 80), s, c);
  effort->Position.SetPoint(r + c, s, 0);
  PoseFromRest(effort, a - 100);
  PoseFromRest(effortLetter, -(a - 100));
  SceneBase->GetChild(3)->Position.SetPoint(x1, y1, 0);
  SceneBase->GetChild(4)->Position.SetCoordinate(0, r);
  SetMarkers(SceneBase, ShowMarkers);
}

void ShowClawHammerMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (IsHammerScene(SceneBase))
    SetMarkers(SceneBase, Visible);
}
