#include "topics/BodyParts.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "engine/GLExtrusion.h"
#include "engine/GLObjects.h"
#include "topics/BodyObjects.h"
#include "topics/TopicFrame.h"

namespace {

constexpr Integer SkinMaterial = 18;   // "mtPink70"

void AddContour(TExtrusionSolid& s, std::initializer_list<std::pair<Single, Single>> points)
{
  for (const auto& [x, y] : points)
    s.AddNode(0, x, y, 0);
}

// The seat curve from under the thigh up to the hip: 6 points on a quarter circle of 0.25.
void AddSeat(TExtrusionSolid& s)
{
  for (int m = 0; m <= 5; ++m) {
    const double a = m * 18 * 3.14159265358979323846 / 180;
    s.AddNode(0, Single(0.25 + 0.25 * std::sin(a)), Single(0.25 - 0.25 * std::cos(a)), 0);
  }
}

std::unique_ptr<TGLProxyObject> NewCopy(TGLBaseSceneObject* master)
{
  auto p = std::make_unique<TGLProxyObject>(nullptr);
  p->SetMasterObject(master);
  p->SetProxyOptions(pooObjects);
  return p;
}

}   // namespace

void BuildFigure(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer HeadMaterial,
                 Integer BodyMaterial, Integer LegMaterial, Single ArmRoll, Single OtherArmRoll, Single ArmPitch,
                 FigureOptions Options)
{
  if (!Parent)
    return;
  const bool low = Options & foLowShoulders, pitched = Options & foArmsPitched;
  // Shins slanting forward with the feet low (8) or a little higher (16), else straight down.
  const int shins = (Options & foShinsForward) ? 8 : (Options & foShinsForwardHigh) ? 16 : 0;

  auto head = std::make_unique<THead>(nullptr);
  head->Position.Y = 2.4f;
  SetLibMaterial(head.get(), MatLib, HeadMaterial);
  Parent->AddChild(std::move(head));

  auto torso = std::make_unique<TRevolutionSolid>(nullptr);
  torso->SetTurnAngle(45);
  torso->SetParts(rspOutside | rspStartPolygon | rspStopPolygon);
  torso->SetSplineMode(lsmCubicSpline);
  torso->SetSlices(4);
  torso->Position.SetPoint(0, 0.5f, 0);
  for (const auto& [r, h] : {std::pair{0.0f, 1.5f}, {0.25f, 1.5f}, {0.5f, 1.25f}, {0.6f, 0.0f}, {0.0f, 0.0f}})
    torso->AddNode(r, h, 0);
  SetLibMaterial(torso.get(), MatLib, BodyMaterial);
  Parent->AddChild(std::move(torso));

  if (Options & foArms) {
    auto arm = std::make_unique<TPipe>(nullptr);
    if (low)
      arm->Position.SetPoint(0, 1.6f, 0.25f);
    else
      arm->Position.SetPoint(0, 1.8f, 0.3f);
    arm->SetSplineMode(lsmCubicSpline);
    arm->SetParts(ppOutside | ppStopDisk);
    arm->SetRollAngle(ArmRoll);
    if (pitched)
      arm->SetPitchAngle(-ArmPitch);
    arm->SetRadius(0.15f);
    arm->AddNode(0, 0, 0);
    arm->AddNode(0, -0.2f, 0.2f);
    arm->AddNode(0, -1.0f, 0.3f);
    SetLibMaterial(arm.get(), MatLib, BodyMaterial);
    if (Options & foHands) {
      auto hand = std::make_unique<TExtrusionSolid>(nullptr);
      hand->SetHeight(0.1f);
      hand->Position.SetPoint(0, -1.0f, 0.25f);
      hand->SetParts(espOutside | espStartPolygon | espStopPolygon);
      AddContour(*hand, {{-0.1f, 0}, {-0.2f, -0.2f}, {-0.15f, -0.3f}, {0.15f, -0.3f}, {0.2f, -0.2f}, {0.1f, 0}});
      SetLibMaterial(hand.get(), MatLib, SkinMaterial);
      arm->AddChild(std::move(hand));
    }
    TPipe* first = Parent->AddChild(std::move(arm));
    auto other = NewCopy(first);
    other->SetTurnAngle(180);
    other->SetRollAngle(OtherArmRoll);
    if (pitched)
      other->SetPitchAngle(-ArmPitch);
    if (low)
      other->Position.SetPoint(0, 1.7f, -0.25f);
    else
      other->Position.SetPoint(0, 1.8f, -0.3f);
    Parent->AddChild(std::move(other));
  }

  // The leg seen from the side: thigh level from the hip forward to the knee, then the shin.
  auto leg = std::make_unique<TExtrusionSolid>(nullptr);
  leg->SetHeight(0.4f);
  if (shins == 8) {
    AddContour(*leg, {{-1.0f, -0.4f}, {-0.7f, 0}});
    AddSeat(*leg);
    AddContour(*leg, {{0.5f, 0.5f}, {-1.0f, 0.5f}, {-1.5f, -0.4f}});
  } else if (shins == 16) {
    AddContour(*leg, {{-1.0f, -0.3f}, {-0.7f, 0}});
    AddSeat(*leg);
    AddContour(*leg, {{0.5f, 0.5f}, {-1.0f, 0.5f}, {-1.5f, -0.3f}});
  } else {
    leg->SetNormals(nsSmooth);
    leg->SetMinSmoothAngle(0);
    AddContour(*leg, {{-0.5f, -1.0f}, {-0.5f, 0}});
    AddSeat(*leg);
    AddContour(*leg, {{0.5f, 0.5f}, {-0.9f, 0.5f}, {-1.0f, 0.4f}, {-1.0f, -1.0f}});
  }
  leg->Position.SetPoint(-0.1f, 0, 0.05f);
  leg->SetParts(espOutside | espStartPolygon | espStopPolygon);
  SetLibMaterial(leg.get(), MatLib, LegMaterial);
  TExtrusionSolid* firstLeg = Parent->AddChild(std::move(leg));
  auto otherLeg = NewCopy(firstLeg);
  otherLeg->Position.SetPoint(-0.1f, 0, -0.45f);
  Parent->AddChild(std::move(otherLeg));

  auto foot = TCube::CreateSized(nullptr, 0.8f, 0.3f, 0.4f, cpAll, ndOutside);
  if (shins == 8)
    foot->Position.SetPoint(-1.4f, -0.55f, 0.25f);
  else if (shins == 16)
    foot->Position.SetPoint(-1.4f, -0.45f, 0.25f);
  else
    foot->Position.SetPoint(-0.9f, -1.15f, 0.25f);
  TCube* firstFoot = Parent->AddChild(std::move(foot));
  auto otherFoot = NewCopy(firstFoot);
  otherFoot->Position.SetPoint(firstFoot->Position.X, firstFoot->Position.Y, -0.25f);
  Parent->AddChild(std::move(otherFoot));
}
