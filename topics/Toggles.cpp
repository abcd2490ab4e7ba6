#include "topics/Toggles.h"

#include <algorithm>
#include <cmath>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/SceneMatch.h"

namespace {

// The fixed pin of the side links, their length, the rocker's length.
constexpr Single QX = 0.75f;
constexpr Single QY = -0.35f;
constexpr Single SideLink = 0.75f;
constexpr Single Rocker = 0.5f;

// The coupler's length: from Q to the rocker's upright pin (0, 0.5), less the side link.
Single CouplerLength() { return Single(std::sqrt(0.85 * 0.85 + 0.75 * 0.75)) - SideLink; }

// The direction of the line from Q to (0, 0.5), from -X towards +Y, radians.
Single BaseAngle() { return Single(std::atan(0.85 / 0.75)); }

// The input angle (radians) at which O, C and P come into line; beyond it the linkage has
// no pose.
double DeadCentre()
{
  const Single l = CouplerLength();
  const Single b = Single(std::sqrt(double(QX) * QX + double(QY) * QY));
  const Single c =
      Single((double(SideLink) * SideLink + double(b) * b - double(Rocker + l) * (Rocker + l)) / (2.0 * b * SideLink));
  const Single atQ = Single(std::acos(std::fabs(double(c))));
  const Single toQ = Single(std::atan(0.35 / 0.75));
  return double(atQ) - double(BaseAngle()) + double(toQ);
}

// The input held within the travel (degrees): outside it the linkage cannot close, so it
// stands at the nearer end; NaN stands at the start.
Single TravelInput(Single inputAngle)
{
  if (std::isnan(inputAngle))
    return 0;
  return std::clamp(inputAngle, 0.0f, Single(DeadCentre() * c180divPI));
}

// The coupler's angle from P towards C, degrees, as its RollAngle's opposite.
Single CouplerAngle(Single px, Single py, Single cx, Single cy)
{
  // Towards C the coupler runs along its local -X, so the angle is measured from -X;
  // atan2 keeps it right on either side of the vertical.
  return Single(std::atan2(double(cy) - py, double(px) - cx)) * c180divPI;
}

TDummyCube* RockerGroup(const TDummyCube* base)
{
  return GroupHolding<TAToggleLink, TLinkAxle, TLinkAxle, TCylinder, TCylinder, TScrew, THexNut>(base, 0);
}

bool IsToggleScene(const TDummyCube* base)
{
  return RockerGroup(base) && GroupHolding<TBToggleLink, TBToggleLink, TLinkAxle>(base, 1)
         && GroupHolding<TLinkAxle>(base, 2) && ChildOf<TCToggleLink>(base, 3);
}

std::unique_ptr<TLinkAxle> Pin() { return std::make_unique<TLinkAxle>(nullptr, 0.2f, 0.04f, 0.06f, 0.02f, 20, 0); }

std::unique_ptr<TCylinder> Upright(Single radius, Single height)
{
  return TCylinder::CreateSized(nullptr, radius, radius, height, 16, 1, 1, cyAll, ndOutside);
}

std::unique_ptr<TBToggleLink> SidePlate(Single a0Degrees, Single z)
{
  auto p = std::make_unique<TBToggleLink>(nullptr, SideLink, 0.1f, 0.05f, 5);
  p->CutAngle = 90 - a0Degrees;
  p->Extension = 0.1f;
  p->Position.SetPoint(0, 0, z);
  p->SetRollAngle(-a0Degrees);
  return p;
}

}   // namespace

void ToggleLinkPositions(Single& Theta, Single& Px, Single& Py, Single InputAngle, Single& Cx, Single& Cy)
{
  const double t = double(TravelInput(InputAngle)) * cPIdiv180;
  const Single l = CouplerLength();
  const Single a0 = BaseAngle();
  const double psi = M_PI - a0 - t;
  Px = Single(SideLink * std::cos(psi) + QX);
  Py = Single(SideLink * std::sin(psi) + QY);
  const Single d = Single(std::sqrt(double(Px) * Px + double(Py) * Py));
  // The law of cosines for the rocker's angle at O; rounding at the dead centre may put the
  // cosine a hair above 1.
  const Single c = Single((double(d) * d + double(Rocker) * Rocker - double(l) * l) / (2.0 * Rocker * d));
  Single theta = Single(std::acos(std::min(std::fabs(double(c)), 1.0)) + std::fabs(std::atan(double(Py) / Px)));
  // The rocker never leans past upright; at input 0 rounding puts it just beyond.
  if (theta > Single(M_PI / 2))
    theta = Single(M_PI / 2);
  Cx = Single(Rocker * std::cos(double(theta)));
  Cy = Single(Rocker * std::sin(double(theta)));
  Theta = theta * c180divPI;
}

Integer ToggleRepeatAngle() { return Trunc(2.0 * double(c180divPI) * DeadCentre()); }

void BuildToggleScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib)
{
  if (!SceneBase)
    return;
  const Single a0 = BaseAngle() * c180divPI;
  Single theta0, p0x, p0y, c0x, c0y;
  ToggleLinkPositions(theta0, p0x, p0y, 0, c0x, c0y);
  const Single l0 = Single(std::sqrt(double(p0x - c0x) * (p0x - c0x) + double(p0y - c0y) * (p0y - c0y)));
  const Single beta = CouplerAngle(p0x, p0y, c0x, c0y);

  // The rocker turns about O and carries the spindle over the workpiece.
  auto rocker = std::make_unique<TDummyCube>(nullptr);
  auto arm = std::make_unique<TAToggleLink>(nullptr, 1.1f, 0.5f, 0.2f, 0.05f);
  arm->PinOffset = 0.02f;
  AddWithMaterial(rocker.get(), std::move(arm), MatLib, 7);
  AddWithMaterial(rocker.get(), Pin(), MatLib, 6);
  auto pinC = Pin();
  pinC->Position.SetPoint(0, Rocker, 0);
  AddWithMaterial(rocker.get(), std::move(pinC), MatLib, 6);
  auto boss = Upright(0.11f, 0.25f);
  boss->Position.SetPoint(-1.0f, 0.475f, 0);
  AddWithMaterial(rocker.get(), std::move(boss), MatLib, 7);
  auto rod = TCylinder::CreateSized(nullptr, 0.05f, 0.05f, 1.0f, 16, 1, 1, cyAll, ndOutside);
  rod->Position.SetPoint(-1.0f, 0.2f, 0);
  AddWithMaterial(rocker.get(), std::move(rod), MatLib, 0);
  auto thread = std::make_unique<TScrew>(nullptr, 0.05f, 0.01f, 0.02f, 0.02f, 30, 20);
  thread->SetRollAngle(90);
  thread->Position.SetPoint(-1.0f, -0.3f, 0);
  AddWithMaterial(rocker.get(), std::move(thread), MatLib, 0);
  auto grip = std::make_unique<THexNut>(nullptr, 0.095f, 0.0f, 0.38f);
  grip->SetSolid(true);
  grip->SetPitchAngle(90);
  grip->Position.SetPoint(-1.0f, 0.48f, 0);
  AddWithMaterial(rocker.get(), std::move(grip), MatLib, 0);
  SceneBase->AddChild(std::move(rocker));

  // The pair of side links about Q, pointing at the coupler pin in the closed pose.
  auto sides = std::make_unique<TDummyCube>(nullptr);
  sides->Position.SetPoint(QX, QY, 0);
  AddWithMaterial(sides.get(), SidePlate(a0, 0.075f), MatLib, 7);
  AddWithMaterial(sides.get(), SidePlate(a0, -0.075f), MatLib, 7);
  AddWithMaterial(sides.get(), Pin(), MatLib, 6);
  SceneBase->AddChild(std::move(sides));

  auto moving = std::make_unique<TDummyCube>(nullptr);
  moving->Position.SetPoint(p0x, p0y, 0);
  AddWithMaterial(moving.get(), Pin(), MatLib, 6);
  SceneBase->AddChild(std::move(moving));

  auto coupler = std::make_unique<TCToggleLink>(nullptr, l0, 1.0f, 0.1f, 0.05f, 10);
  coupler->LeverAngle = a0;
  coupler->Position.SetPoint(p0x, p0y, 0);
  coupler->SetRollAngle(-beta);
  AddWithMaterial(SceneBase, std::move(coupler), MatLib, 4);

  auto bracket = std::make_unique<TRoundCube>(nullptr, 1.05f, 0.6f, 0.05f, 0.1f, 5);
  bracket->Position.SetPoint(0.4f, -0.2f, 0);
  AddWithMaterial(SceneBase, std::move(bracket), MatLib, 0);
  auto board = TCube::CreateSized(nullptr, 2.4f, 0.05f, 1.0f, cpAll, ndOutside);
  board->Position.SetPoint(-0.2f, -0.525f, 0);
  AddWithMaterial(SceneBase, std::move(board), MatLib, 0);
  auto work = TCube::CreateSized(nullptr, 0.5f, 0.2f, 0.5f, cpAll, ndOutside);
  work->Position.SetPoint(-1.0f, -0.4f, 0);
  AddWithMaterial(SceneBase, std::move(work), MatLib, 9);
}

void AnimateToggleScene(TDummyCube* SceneBase, Single InputAngle)
{
  if (!IsToggleScene(SceneBase))
    return;
  Single theta, px, py, cx, cy;
  ToggleLinkPositions(theta, px, py, InputAngle, cx, cy);
  // The side links turn by the input actually solved for, so they stay on P.
  const Single t = TravelInput(InputAngle);
  PoseFromRest(SceneBase->GetChild(0), -(90 - theta));
  PoseFromRest(SceneBase->GetChild(1), -t);
  TGLBaseSceneObject* pin = SceneBase->GetChild(2);
  pin->Position.SetCoordinate(0, px);
  pin->Position.SetCoordinate(1, py);
  TGLBaseSceneObject* coupler = SceneBase->GetChild(3);
  coupler->Position.SetCoordinate(0, px);
  coupler->Position.SetCoordinate(1, py);
  PoseFromRest(coupler, -CouplerAngle(px, py, cx, cy));
}
