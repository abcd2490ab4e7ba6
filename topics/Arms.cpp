#include "topics/Arms.h"

#include <cmath>

#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "engine/GLVectorFileObjects.h"
#include "topics/LeverTopicsA.h"
#include "topics/Markers.h"
#include "topics/SceneMatch.h"

namespace {

// The muscle's lower attachment on the forearm: radius and angle (arctan(0.45/0.6)) about
// the elbow; it swells 0.05 per degree from 3.5 at rest.
constexpr Single AttachRadius = 0.75f;
constexpr Single AttachAngle = 36.86989975f;
constexpr Single MuscleSwell = 0.05f;
constexpr Single MuscleRestFactor = 3.5f;
constexpr Integer MuscleNodes = 6;
constexpr Integer SwellNode = 3;
constexpr Single EffortArrowRoll = 90;

TFreeForm* AddBone(TGLBaseSceneObject* base, const TGLMaterialLibrary* matLib, const std::string& file)
{
  auto bone = std::make_unique<TFreeForm>(nullptr);
  // A damaged bone stays empty and keeps its fault for the report: the arm is built around it.
  if (LeverFileExists(file))
    bone->TryLoadFromFile(file);
  SetLibMaterial(bone.get(), matLib, 9);
  return base->AddChild(std::move(bone));
}

TLines* AddSizedArrow(TGLBaseSceneObject* parent, const TVector& colour, Single roll, Single x, Single y, Single z,
                      bool visible)
{
  auto arrow = CreateArrowAlongXSized(colour, 2.0f, 0.3f, 0.1f);
  arrow->SetRollAngle(roll);
  arrow->Position.SetPoint(x, y, z);
  arrow->SetVisible(visible);
  return parent->AddChild(std::move(arrow));
}

bool IsArmScene(const TDummyCube* base, Integer children)
{
  if (ChildCount(base) < children)
    return false;
  TFreeForm* forearm = ChildOf<TFreeForm>(base, 1);
  TFreeForm* hand = ChildOf<TFreeForm>(base, 2);
  TPipe* muscle = ChildOf<TPipe>(base, 3);
  return ChildOf<TFreeForm>(base, 0) && ChildOf<TLines>(forearm, 0) && ChildOf<TLines>(hand, 0)
         && ChildOf<TExtrusionSolid>(hand, 1) && muscle && muscle->GetNodes().GetCount() >= MuscleNodes
         && (children < 5 || ChildOf<TExtrusionSolid>(base, 4));
}

}   // namespace

void BuildArmScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, const std::string& ModelFolder,
                   bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  AddBone(SceneBase, MatLib, ModelFolder + "Arm_01.3ds");
  TFreeForm* forearm = AddBone(SceneBase, MatLib, ModelFolder + "Arm_02.3ds");
  TLines* effort = AddSizedArrow(forearm, MarkerColour, EffortArrowRoll, 0.8f, 0.5f, 0.38f, ShowMarkers);
  AddLeverLetter(effort, 'E', MarkerColour, 0.25f, 0.05f, 1.5f, -0.2f, 0)->SetRollAngle(-90);

  TFreeForm* hand = AddBone(SceneBase, MatLib, ModelFolder + "Arm_03.3ds");
  hand->Position.SetPoint(HandDistance, 0, 0);
  AddSizedArrow(hand, MarkerColour, -90, 1.3f, 0, 0, ShowMarkers);
  AddLeverLetter(hand, 'L', MarkerColour, 0.25f, 0.05f, 1.5f, -2.0f, 0)->SetVisible(ShowMarkers);
  auto weight = std::make_unique<TFrustrum>(nullptr);
  weight->SetBaseWidth(1.4f);
  weight->SetBaseDepth(1.4f);
  weight->SetHeight(1.4f);
  weight->SetApexHeight(5.6f);
  weight->Position.SetPoint(1.3f, 0.1f, -0.2f);
  hand->AddChild(std::move(weight));

  auto muscle = std::make_unique<TPipe>(nullptr);
  muscle->SetRadius(0.08f);
  muscle->SetSplineMode(lsmCubicSpline);
  const Single uv[MuscleNodes][2] = {{0, 4.8f}, {0.5f, 4.5f}, {0.6f, 3.9f}, {0.6f, 2.6f}, {0.4f, 0.8f}, {0.4f, 0}};
  for (const auto& p : uv)
    muscle->GetNodes().AddNodeSilent(0.2f + p[0], 0.45f + p[1], 0);
  muscle->GetPipeNode(SwellNode)->SetRadiusFactor(MuscleRestFactor);
  AddWithMaterial(SceneBase, std::move(muscle), MatLib, 12);

  AddLeverLetter(SceneBase, 'F', MarkerColour, 0.25f, 0.05f, -0.8f, -0.5f, 0)->SetVisible(ShowMarkers);
}

void AnimateArmScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsArmScene(SceneBase, 4))
    return;
  const Single t = 30 * std::sin(DegToRad(Phase));
  Single s, c;
  SinCos(DegToRad(t), s, c);
  TGLBaseSceneObject* forearm = SceneBase->GetChild(1);
  PoseFromRest(forearm, t);
  // The effort arrow keeps pointing the same way while the forearm turns.
  PoseFromRest(forearm->GetChild(0), EffortArrowRoll - t);
  SceneBase->GetChild(2)->Position.SetPoint(HandDistance * c, HandDistance * s, 0);
  TPipe* muscle = ChildOf<TPipe>(SceneBase, 3);
  SinCos(DegToRad(t + AttachAngle), s, c);
  muscle->GetNodes().GetItem(4)->SetAsAffineVector({AttachRadius * c, 0.8f + AttachRadius * s, 0});
  muscle->GetNodes().GetItem(5)->SetAsAffineVector({AttachRadius * c, AttachRadius * s, 0});
  muscle->GetPipeNode(SwellNode)->SetRadiusFactor(MuscleRestFactor + MuscleSwell * t);
}

void ShowArmMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsArmScene(SceneBase, 5))
    return;
  SetChildVisible(SceneBase->GetChild(1), 0, Visible);
  SetChildVisible(SceneBase->GetChild(2), 0, Visible);
  SetChildVisible(SceneBase->GetChild(2), 1, Visible);
  SetChildVisible(SceneBase, 4, Visible);
}
