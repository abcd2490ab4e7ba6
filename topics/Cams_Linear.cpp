// The box (cylindrical) cam and the linear cam.
#include <algorithm>
#include <cmath>
#include <memory>

#include "engine/GLObjects.h"
#include "parts/MachineParts.h"
#include "parts/PartHelpers.h"
#include "parts/CamDrum.h"
#include "topics/Cams.h"
#include "topics/Markers.h"
#include "topics/TopicFrame.h"

namespace {

// The groove's swing either side of the drum's middle: a groove cut where a plane tilted by
// the slot angle meets the drum swings the radius times the angle's tangent, so its steepest
// slope across the drum's surface is the slot angle itself.
Single GrooveSwing(Single radius, Single slotAngle)
{
  return Single(radius * std::tan((long double)(slotAngle * cPIdiv180)));
}

// The drum part swings its groove by its radius times the sine of the angle it is given: the
// angle whose sine is the slot angle's tangent draws the tilted plane's groove (the slot bar
// stops at 45 degrees, where the tangent reaches 1).
Single DrumGrooveAngle(Single slotAngle)
{
  const long double t = std::tan((long double)(slotAngle * cPIdiv180));
  return Single(std::asin(std::clamp(t, -1.0L, 1.0L)) / cPIdiv180);
}

// The box cam's drum of this radius and groove angle, its shaft and arrow; the peg.
bool IsBoxCamScene(const TDummyCube* base, Single radius, Single slotAngle)
{
  TDummyCube* drum = GroupOf(base, 0, 3);
  TDummyCube* peg = GroupOf(base, 1, 2);
  if (ChildCount(base) < 2 || !drum || !peg || !ChildOf<TCylinder>(drum, 1) || !ChildOf<TLines>(drum, 2)
      || !ChildOf<TCylinder>(peg, 0) || !ChildOf<TCylinder>(peg, 1))
    return false;
  THSCylinder* cam = ChildOf<THSCylinder>(drum, 0);
  if (!cam)
    return false;
  return radius < 0
         || (std::fabs(cam->Radius - radius) < 1e-5f
             && std::fabs(cam->GrooveAngle - DrumGrooveAngle(slotAngle)) < 1e-5f);
}

bool IsLinearCamScene(const TDummyCube* base)
{
  return ChildCount(base) >= 3 && ChildOf<TLinearCam>(base, 0) && IsCamFollowerGroup(base, 1)
         && ChildOf<TLinearPlate>(base, 2);
}

}   // namespace

void BuildBoxCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single Radius,
                      Single SlotAngle, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  Single swing = GrooveSwing(Radius, SlotAngle);
  TDummyCube* drum = SceneBase->AddChild(std::make_unique<TDummyCube>(nullptr));
  // The groove leaves 0.15 of plain drum at each end at its widest swing.
  auto cam =
      std::make_unique<THSCylinder>(nullptr, Radius, 0.1f, 0.05f, DrumGrooveAngle(SlotAngle), 2 * (swing + 0.15f), 40);
  cam->UseSideColour = true;
  AddCamPart(drum, std::move(cam), MatLib, 1, 0, 0, 0);
  auto shaft = CamCylinder(0.05f, 0.05f, 1.0f, 20, cyAll);
  shaft->SetRollAngle(90);
  AddCamPart(drum, std::move(shaft), MatLib, 0, 0, 0, 0);
  std::unique_ptr<TLines> arrow = CreateArrowAlongX(MarkerColour, 0.25f);
  arrow->Position.X = -0.52f;
  arrow->SetTurnAngle(90);
  arrow->SetVisible(ShowMarkers);
  drum->AddChild(std::move(arrow));

  // The peg's narrow end rests on the groove's floor under the top of the drum.
  TDummyCube* peg = SceneBase->AddChild(std::make_unique<TDummyCube>(nullptr));
  peg->Position.SetPoint(swing, Radius - 0.05f, 0);
  AddCamPart(peg, CamCylinder(0.045f, 0.055f, 0.1f, 20, cyAll), MatLib, 0, 0, 0.05f, 0);
  AddCamPart(peg, CamCylinder(0.035f, 0.035f, 0.1f, 20, cyAll), MatLib, 0, 0, 0.15f, 0);
}

void AnimateBoxCamScene(TDummyCube* SceneBase, Single Radius, Single SlotAngle, Single Phase)
{
  if (!IsBoxCamScene(SceneBase, Radius, SlotAngle))
    return;
  // From rest, so the drum's pose depends on the phase alone.
  TGLBaseSceneObject* drum = SceneBase->GetChild(0);
  drum->ResetRotations();
  drum->SetPitchAngle(Phase);
  Single x = GrooveSwing(Radius, SlotAngle) * Single(std::cos((long double)(Phase * cPIdiv180)));
  SceneBase->GetChild(1)->Position.SetCoordinate(0, Finite(x));
}

void ShowBoxCamMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (IsBoxCamScene(SceneBase, -1, 0))
    SetChildVisible(SceneBase->GetChild(0), 2, Visible);
}

void BuildLinearCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  AddCamPart(SceneBase, std::make_unique<TLinearCam>(nullptr), MatLib, 1, 0, 0, 0);
  TDummyCube* follower = SceneBase->AddChild(std::make_unique<TDummyCube>(nullptr));
  AddCamFollower(follower, MatLib, cfRoller, 0.1f);
  // The bar's bottom, 0.2 below its origin, runs on the slot's floor.
  AddCamPart(SceneBase, std::make_unique<TLinearPlate>(nullptr), MatLib, 4, 0, -0.2f, 0);
}

void AnimateLinearCamScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsLinearCamScene(SceneBase))
    return;
  // The bar runs its whole length of 2 over 180 degrees under the fixed follower, which
  // follows the bar's half-cosine top.
  SceneBase->GetChild(0)->Position.SetCoordinate(0, Finite(2 * Phase / 180));
  Single y = 0.2f - 0.2f * Single(std::cos((long double)(Phase * cPIdiv180)));
  SceneBase->GetChild(1)->Position.SetCoordinate(1, Finite(y));
}
