#include "topics/Barrows.h"

#include <cmath>

#include "engine/GLBezier.h"
#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "topics/BarrowObjects.h"
#include "topics/LeverTopicsA.h"
#include "topics/Markers.h"
#include "topics/SceneMatch.h"

namespace {

constexpr Single AxleX = -0.4f;
constexpr Single TrayRoll = 5.71f;
constexpr Single TrayTurn = 90;
// The effort markers' rest place seen from the axle: angle arctan(0.5/1.4), distance
// sqrt(1.4^2 + 0.5^2).
constexpr Single EffortAngle = 19.653824f;
constexpr Single EffortRadius = 1.486606f;
constexpr Single LoadRadius = 0.4f;

bool IsBarrowGroup(const TGLBaseSceneObject* base)
{
  TDummyCube* g = GroupOf(base, 0, 6);
  return g && ChildOf<TTorus>(g, 1) && ChildOf<TPipe>(g, 3) && ChildOf<TAsymBox>(g, 4) && ChildOf<TBezierSurface>(g, 5);
}

bool IsWheelbarrowScene(const TDummyCube* base, Integer children)
{
  return ChildCount(base) >= children && IsBarrowGroup(base)
         && GroupHolding<TLines, TLines, TExtrusionSolid, TGLProxyObject>(base, 1)
         && GroupHolding<TLines, TExtrusionSolid>(base, 2) && (children < 4 || ChildOf<TExtrusionSolid>(base, 3));
}

}   // namespace

void BuildWheelbarrowScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers,
                           const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  TDummyCube* barrow = AddPlacedGroup(SceneBase, AxleX, 0, 0);
  auto discs = TCylinder::CreateSized(nullptr, 0.15f, 0.15f, 0.07f, 20, 1, 1, cyBottom | cyTop, ndOutside);
  discs->SetPitchAngle(90);
  AddWithMaterial(barrow, std::move(discs), MatLib, 1);
  auto tyre = std::make_unique<TTorus>(nullptr);
  tyre->SetRings(30);
  tyre->SetMajorRadius(0.15f);
  tyre->SetMinorRadius(0.05f);
  barrow->AddChild(std::move(tyre));
  auto axle = TCylinder::CreateSized(nullptr, 0.01f, 0.01f, 0.3f, 20, 1, 1, cyAll, ndOutside);
  axle->SetPitchAngle(90);
  AddWithMaterial(barrow, std::move(axle), MatLib, 0);

  auto frame = std::make_unique<TPipe>(nullptr);
  frame->SetRadius(0.03f);
  // Ten facets round a tube a few pixels thick look round: 118 nodes at sixteen cost more
  // than the rest of the scene.
  frame->SetSlices(10);
  frame->SetParts(ppOutside | ppStartDisk | ppStopDisk);
  const auto& outline = WheelbarrowOutline();
  for (size_t k = outline.size(); k-- > 0;)
    frame->GetNodes().AddNodeSilent(outline[k][0], outline[k][1], -outline[k][2]);
  for (const auto& p : outline)
    frame->GetNodes().AddNodeSilent(p[0], p[1], p[2]);
  frame->SetRollAngle(TrayRoll);
  AddWithMaterial(barrow, std::move(frame), MatLib, 0);

  auto tray = std::make_unique<TAsymBox>(nullptr);
  tray->Position.SetPoint(0.246f, 0.055f, 0);
  // The tray's corners run lengthwise along its z: turned a quarter about its own (tilted) up
  // axis, it lies along the frame and centred over the heap instead of off to one side.
  tray->SetRollAngle(TrayRoll);
  tray->SetTurnAngle(TrayTurn);
  AddWithMaterial(barrow, std::move(tray), MatLib, 0);

  auto heap = std::make_unique<TBezierSurface>(nullptr);
  heap->SetWidth(0.932f);
  heap->SetDepth(0.71f);
  heap->SetControlPoint(1, 1, {-0.5f, 1.0f, 0});
  heap->Position.SetPoint(0.558f, 0.3f, 0);
  AddWithMaterial(barrow, std::move(heap), MatLib, 9);

  TDummyCube* effort = AddPlacedGroup(SceneBase, 1.0f, 0.5f, 0);
  effort->SetVisible(ShowMarkers);
  AddArrowToOriginAlongYAt(effort, -1, MarkerColour, 0.3f, 0, 0.3f, 0.35f);
  AddArrowToOriginAlongYAt(effort, -1, MarkerColour, 0.3f, 0, 0.3f, -0.35f);
  TExtrusionSolid* e = AddLeverLetter(effort, 'E', MarkerColour, 0.05f, 0.01f, 0.03f, 0.1f, 0.35f);
  // The copy carries the master's own placement too, so it stands at z = -0.35.
  auto second = NewLeverProxy(e, pooEffects | pooObjects | pooTransformation);
  second->Position.SetPoint(0, 0, -0.7f);
  effort->AddChild(std::move(second));

  TDummyCube* load = AddPlacedGroup(SceneBase, 0, 0, 0);
  load->SetVisible(ShowMarkers);
  AddArrowToOriginAlongYAt(load, 1, MarkerColour, 0.3f, 0, -0.3f, 0);
  AddLeverLetter(load, 'L', MarkerColour, 0.05f, 0.01f, 0.03f, -0.2f, 0);

  AddLeverLetter(SceneBase, 'F', MarkerColour, 0.05f, 0.01f, -0.43f, 0, 0.15f)->SetVisible(ShowMarkers);
}

void AnimateWheelbarrowScene(TDummyCube* SceneBase, Single Phase)
{
  if (!IsWheelbarrowScene(SceneBase, 3))
    return;
  const Single t = 17 * std::sin(DegToRad(Phase));
  PoseFromRest(SceneBase->GetChild(0), t);
  Single s, c;
  SinCos(DegToRad(EffortAngle + t), s, c);
  SceneBase->GetChild(1)->Position.SetPoint(EffortRadius * c + AxleX, EffortRadius * s, 0);
  SinCos(DegToRad(t), s, c);
  SceneBase->GetChild(2)->Position.SetPoint(LoadRadius * c + AxleX, LoadRadius * s, 0);
}

void ShowWheelbarrowMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsWheelbarrowScene(SceneBase, 4))
    return;
  for (Integer i = 1; i <= 3; ++i)
    SetChildVisible(SceneBase, i, Visible);
}
