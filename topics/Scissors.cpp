#include "topics/Scissors.h"

#include <algorithm>
#include <cmath>

#include "engine/GLBezier.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "topics/LeverTopicsA.h"
#include "topics/Markers.h"
#include "topics/ScissorObjects.h"
#include "topics/SceneMatch.h"

namespace {

constexpr Integer SceneChildren = 9;
constexpr Single PaperRestX = -1.3f;
constexpr Single PaperCutX = -0.3f;
// The end of the cutting stage: the parted halves keep the cut shape it gives.
constexpr Single CutEndPhase = 395;
// arctan(1/12): the slope of the cutting edge.
const Single EdgeSlope = std::atan(1.0f / 12.0f);
// The effort markers' rest place: angle arctan(0.5/0.8) and distance sqrt(0.8^2 + 0.5^2).
constexpr Single EffortAngle = 32.00538f;
constexpr Single EffortRadius = 0.9434f;

TDummyCube* AddMarkerGroup(TGLBaseSceneObject* base, Single x, Single y, Integer sign, Single letterY, Integer letter,
                           const TVector& colour)
{
  TDummyCube* g = AddPlacedGroup(base, x, y, 0);
  g->SetVisible(false);
  if (letter == 'L')
    // The load is the paper's push on the blade, away from the cut: from the blade's edge
    // outwards, as the other levers draw the load's force on the lever.
    AddArrowToOriginAlongYAt(g, -sign, colour, 0.3f, 0, Single(sign) * 0.3f, 0);
  else
    AddArrowToOriginAlongY(g, sign, colour, 0.3f, true);
  AddLeverLetter(g, letter, colour, 0.05f, 0.02f, 0.03f, letterY, 0);
  return g;
}

// The scene as the build made it: what the animate and markers procedures address.
bool IsScissorsScene(const TDummyCube* base)
{
  if (ChildCount(base) < SceneChildren)
    return false;
  if (!ChildOf<TScissorBlade>(ChildOf<TDummyCube>(base, 0), 0))
    return false;
  TDummyCube* second = ChildOf<TDummyCube>(base, 1);
  if (!ChildOf<TGLProxyObject>(second, 0) || !ChildOf<TFlatHead>(second, 3))
    return false;
  if (!ChildOf<TPaper>(base, 2) || !ChildOf<TPaper>(base, 3))
    return false;
  for (Integer i = 4; i <= 7; ++i)
    if (!GroupHolding<TLines, TExtrusionSolid>(base, i))
      return false;
  return ChildOf<TExtrusionSolid>(base, 8) != nullptr;
}

// Where the build puts the four marker groups.
constexpr Single MarkerRest[4][2] = {{0.8f, 0.5f}, {-1.2f, -0.1f}, {0.8f, -0.5f}, {-1.2f, 0.1f}};

// Outside the cut the hidden markers go back to where the build put them, so that a phase
// gives one pose however it was reached.
void RestMarkers(TDummyCube* base)
{
  for (Integer k = 0; k < 4; ++k)
    ChildOf<TGLBaseSceneObject>(base, 4 + k)->Position.SetPoint(MarkerRest[k][0], MarkerRest[k][1], 0);
}

void SetMarkers(TDummyCube* base, bool visible)
{
  for (Integer i = 4; i <= 8; ++i)
    SetChildVisible(base, i, visible);
}

void SetBlades(TDummyCube* base, Single a)
{
  PoseFromRest(ChildOf<TGLBaseSceneObject>(base, 0), a);
  PoseFromRest(ChildOf<TGLBaseSceneObject>(base, 1), -a);
}

// The sheet's cut for blades a degrees open: the cut point (kept on the sheet) and the lift
// of the corner where the cut began.
void CutShape(const TPaper& paper, Single a, Single& cutX, Single& lift)
{
  const Single X = ScissorsCrossing(a);
  lift = (X - 0.3f) * std::sin(DegToRad(a) + EdgeSlope);
  if (!(lift > 0))
    lift = 0;
  // Off the sheet the cut stays at the sheet's end, where running up to it leaves it.
  cutX = std::clamp(0.3f - X, paper.Vertices[5][0], paper.Vertices[1][0]);
}

void CutPapers(TDummyCube* base, Single a)
{
  for (Integer i : {2, 3})
    if (TPaper* p = ChildOf<TPaper>(base, i)) {
      Single cutX, lift;
      CutShape(*p, a, cutX, lift);
      p->SetCutPoint(cutX, lift);
    }
}

void PlacePapers(TDummyCube* base, Single x, Single z)
{
  ChildOf<TPaper>(base, 2)->Position.SetPoint(x, 0, z);
  ChildOf<TPaper>(base, 3)->Position.SetPoint(x, 0, -z);
}

void ResetPapers(TDummyCube* base)
{
  ChildOf<TPaper>(base, 2)->ResetCut();
  ChildOf<TPaper>(base, 3)->ResetCut();
}

}   // namespace

Single ScissorsCrossing(Single a)
{
  Single s, c;
  SinCos(DegToRad(a), s, c);
  return 1.2f / (c + 12 * s);
}

void BuildScissorsScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  TDummyCube* first = AddPlacedGroup(SceneBase, 0, 0, 0);
  first->Scale.SetVector(2, 2, 2);
  TScissorBlade* blade = AddWithMaterial(first, std::make_unique<TScissorBlade>(nullptr), MatLib, 0);
  auto handle = std::make_unique<TScissorHandle>(nullptr);
  handle->Position.SetPoint(0.38f, 0.125f, 0.005f);
  handle->SetRollAngle(10);
  TScissorHandle* loop = AddWithMaterial(first, std::move(handle), MatLib, 4);
  auto strip = std::make_unique<TBezierStrip>(nullptr);
  const Single points[8][2] = {{0.17f, 0.01f}, {0.22f, 0.04f}, {0.25f, 0.08f}, {0.28f, 0.05f},
                               {0.14f, 0.09f}, {0.2f, 0.1f},   {0.26f, 0.16f}, {0.28f, 0.187f}};
  for (Integer k = 0; k < 8; ++k)
    strip->SetControlPoint(k, points[k][0], points[k][1], false);
  strip->SetThickness(0.03f);
  strip->Position.SetPoint(0, 0, 0.005f);
  TBezierStrip* shank = AddWithMaterial(first, std::move(strip), MatLib, 4);

  TDummyCube* second = AddPlacedGroup(SceneBase, 0, 0, 0);
  second->Scale.SetVector(2, 2, 2);
  auto bladeCopy = NewLeverProxy(blade, pooObjects);
  bladeCopy->SetPitchAngle(180);
  second->AddChild(std::move(bladeCopy));
  auto loopCopy = NewLeverProxy(loop, pooObjects);
  loopCopy->Position.SetPoint(0.38f, -0.125f, -0.005f);
  loopCopy->SetRollAngle(-10);
  second->AddChild(std::move(loopCopy));
  auto shankCopy = NewLeverProxy(shank, pooObjects);
  shankCopy->SetPitchAngle(180);
  shankCopy->Position.SetPoint(0, 0, -0.005f);
  second->AddChild(std::move(shankCopy));
  auto head = std::make_unique<TFlatHead>(nullptr, 0.03f);
  head->Position.SetPoint(0, 0, 0.01f);
  second->AddChild(std::move(head));
  auto nut = TCylinder::CreateSized(nullptr, 0.02f, 0.02f, 0.004f, 10, 1, 1, cySides | cyTop, ndOutside);
  nut->SetPitchAngle(90);
  nut->Position.SetPoint(0, 0, -0.012f);
  second->AddChild(std::move(nut));

  for (Integer k = 0; k < 2; ++k) {
    auto paper = std::make_unique<TPaper>(nullptr);
    paper->Position.SetPoint(PaperRestX, 0, 0);
    if (k == 1)
      paper->SetPitchAngle(180);
    AddWithMaterial(SceneBase, std::move(paper), MatLib, 9);
  }

  const Integer signs[4] = {1, -1, -1, 1};
  const Integer letters[4] = {'E', 'L', 'E', 'L'};
  for (Integer k = 0; k < 4; ++k)
    AddMarkerGroup(SceneBase, MarkerRest[k][0], MarkerRest[k][1], signs[k], signs[k] > 0 ? 0.15f : -0.2f, letters[k],
                   MarkerColour);
  AddLeverLetter(SceneBase, 'F', MarkerColour, 0.05f, 0.02f, 0, 0, 0.05f)->SetVisible(false);
}

void AnimateScissorsScene(TDummyCube* SceneBase, bool ShowMarkers, Single Phase)
{
  if (!IsScissorsScene(SceneBase))
    return;
  const Integer n = SafeTrunc(Phase);
  if (n < 151) {
    // Opening.
    SetBlades(SceneBase, 0.1f * Phase);
    PlacePapers(SceneBase, PaperRestX, 0);
    ResetPapers(SceneBase);
    RestMarkers(SceneBase);
    SetMarkers(SceneBase, false);
  } else if (n < 251) {
    // Feeding the sheet in.
    SetBlades(SceneBase, 15);
    PlacePapers(SceneBase, PaperRestX + 0.01f * (Phase - 150), 0);
    ResetPapers(SceneBase);
    RestMarkers(SceneBase);
    SetMarkers(SceneBase, false);
  } else if (n < 395) {
    // Cutting.
    const Single a = 0.1f * (400 - Phase);
    SetBlades(SceneBase, a);
    const Single X = ScissorsCrossing(a);
    const Single rise = 0.1f + X * std::sin(DegToRad(a));
    ChildOf<TGLBaseSceneObject>(SceneBase, 5)->Position.SetPoint(-X, -rise, 0);
    ChildOf<TGLBaseSceneObject>(SceneBase, 7)->Position.SetPoint(-X, rise, 0);
    PlacePapers(SceneBase, PaperCutX, 0);
    CutPapers(SceneBase, a);
    Single s, c;
    SinCos(DegToRad(EffortAngle + a), s, c);
    ChildOf<TGLBaseSceneObject>(SceneBase, 4)->Position.SetPoint(EffortRadius * c, EffortRadius * s, 0);
    ChildOf<TGLBaseSceneObject>(SceneBase, 6)->Position.SetPoint(EffortRadius * c, -EffortRadius * s, 0);
    SetMarkers(SceneBase, ShowMarkers);
  } else {
    // Parting: the blades shut, the halves keep the cut's last shape and move apart.
    SetBlades(SceneBase, 0);
    PlacePapers(SceneBase, PaperCutX, 0.01f * (Phase - 394));
    CutPapers(SceneBase, 0.1f * (400 - CutEndPhase));
    RestMarkers(SceneBase);
    SetMarkers(SceneBase, false);
  }
}

void ShowScissorsMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (IsScissorsScene(SceneBase))
    SetMarkers(SceneBase, Visible);
}
