#include "topics/Chains.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/GearCogs.h"
#include "topics/Markers.h"
#include "topics/TopicFrame.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double TwoPi = 2 * Pi;
// More links than any control setting asks for; a path longer than this is not laid.
constexpr Integer MaxChainLinks = 2000;
constexpr Integer BikeRearTeeth[3] = {14, 16, 18};
constexpr Integer BikeChainringTeeth = 48;
// Facets round a roller: eight look round on the chain drive's close view; the bicycle's
// chain is seen from three times as far, where a link is a dozen pixels long and six look
// the same. The plates' ends take half as many, the pins at least six.
constexpr Integer ChainLinkSlices = 8;
constexpr Integer BikeChainLinkSlices = 6;
constexpr Integer BikeJockeyTeeth = 10;
// The chain's slant in degrees from the chain wheel to the rear sprocket in use, which
// stands 0.05 in front, level or 0.05 behind: arctan(0.05 / 3.2).
constexpr Single BikeChainTurn[3] = {0.8951f, 0, -0.8951f};

// x reduced into [0, period).
double Wrap(double x, double period)
{
  double r = std::fmod(x, period);
  if (r < 0)
    r += period;
  return r >= period ? 0 : r;
}

double Radians(Single degrees) { return double(degrees * cPIdiv180); }

Single PitchRadius(Integer teeth) { return ToothedWheelRadius(teeth, ChainPitch); }

// The pins of a closed path: a whole number of links, as near a pitch long as the path
// allows, the first pin `offset` along it; the last point lies on the first.
void LayPins(const TChainPath& path, double offset, TChainArray& points)
{
  points.clear();
  if (!path.Valid())
    return;
  double links = std::round(path.Length() / double(ChainPitch));
  if (!(links >= 2) || links > MaxChainLinks)
    return;
  Integer n = Integer(links);
  double spacing = path.Length() / links;
  points.resize(size_t(n) + 1);
  for (Integer i = 0; i <= n; ++i)
    points[size_t(i)] = path.PointAt(double(i) * spacing + offset);
}

TChainPath DrivePath(Single R1, Single R2, Single C)
{
  return TChainPath({{C / 2.0, 0, R2, 1}, {-C / 2.0, 0, R1, 1}}, 0);
}

struct TBikeGeometry {
  Single ChainringRadius, JockeyRadius, RearHubX, RearHubY, JockeyX, JockeyY, CageLength;
  Single CageSwing[3];
};

// Chain wheel, rear sprocket, upper jockey (wrapped clockwise), lower jockey.
TChainPath BikePath(const TBikeGeometry& bike, Integer rearTeeth, double q)
{
  double d = bike.CageLength;
  double drop = std::sqrt(std::max(0.0, d * d - q * q));
  double rj = bike.JockeyRadius;
  return TChainPath({{BikeChainstay / 2.0, 0, bike.ChainringRadius, 1},
                     {bike.RearHubX, bike.RearHubY, PitchRadius(rearTeeth), 1},
                     {bike.JockeyX, bike.JockeyY, rj, -1},
                     {bike.JockeyX - q, bike.JockeyY - drop, rj, 1}},
                    0);
}

TBikeGeometry MakeBikeGeometry()
{
  TBikeGeometry b{};
  b.ChainringRadius = PitchRadius(BikeChainringTeeth);
  b.JockeyRadius = PitchRadius(BikeJockeyTeeth);
  b.RearHubX = -BikeChainstay / 2;
  b.RearHubY = b.ChainringRadius - PitchRadius(18);
  b.JockeyX = -BikeChainstay / 2;
  b.JockeyY = -BikeJockeyDrop;
  b.CageLength = b.ChainringRadius - b.JockeyRadius - BikeJockeyDrop;
  // The cage swings back until the path is exactly the chain's length; the path grows
  // steadily with the swing, so halving the interval finds it.
  const double target = double(BikeChainLinks) * ChainPitch;
  for (Integer g = 0; g < 3; ++g) {
    double lo = 0, hi = 0.99 * b.CageLength;
    for (int i = 0; i < 80; ++i) {
      double mid = (lo + hi) / 2;
      (BikePath(b, BikeRearTeeth[g], mid).Length() < target ? lo : hi) = mid;
    }
    b.CageSwing[g] = Single(hi);
  }
  return b;
}

const TBikeGeometry Bike = MakeBikeGeometry();

Integer GearIndex(Integer gear) { return gear == 0 || gear == 1 ? gear : 2; }

}   // namespace

// --- the path ------------------------------------------------------------------------------

TChainPath::TChainPath(std::vector<TWheel> wheels, double startAngle) : FWheels(std::move(wheels))
{
  size_t n = FWheels.size();
  if (n < 2 || !std::isfinite(startAngle))
    return;
  for (const TWheel& w : FWheels)
    if (!std::isfinite(w.X) || !std::isfinite(w.Y) || !std::isfinite(w.R) || w.R < 0 || (w.Dir != 1 && w.Dir != -1))
      return;
  // The straight from wheel i to wheel i + 1: with the chain's direction u and its left
  // normal nrm, each wheel's centre lies Dir x R along nrm from its tangent point.
  struct TStraight {
    double AX, AY, BX, BY, DX, DY, Length;
  };
  std::vector<TStraight> straights(n);
  for (size_t i = 0; i < n; ++i) {
    const TWheel& a = FWheels[i];
    const TWheel& b = FWheels[(i + 1) % n];
    double wx = b.X - a.X, wy = b.Y - a.Y;
    double dist = std::hypot(wx, wy);
    if (!(dist > 0))
      return;
    double ratio = (b.Dir * b.R - a.Dir * a.R) / dist;
    if (!(std::fabs(ratio) < 1))
      return;
    double th = std::atan2(wy, wx) - std::asin(ratio);
    double ux = std::cos(th), uy = std::sin(th);
    double nx = -uy, ny = ux;
    straights[i] = {a.X - a.Dir * a.R * nx,
                    a.Y - a.Dir * a.R * ny,
                    b.X - b.Dir * b.R * nx,
                    b.Y - b.Dir * b.R * ny,
                    ux,
                    uy,
                    dist * std::sqrt(1 - ratio * ratio)};
  }
  auto angleOf = [&](size_t wheel, double x, double y) {
    return std::atan2(y - FWheels[wheel].Y, x - FWheels[wheel].X);
  };
  // The sweep from angle `from` to `to` in the wheel's sense; a rounding hair below zero is zero.
  auto sweep = [&](size_t wheel, double from, double to) {
    double s = Wrap(FWheels[wheel].Dir * (to - from), TwoPi);
    return s > TwoPi - 1e-12 ? 0.0 : s;
  };
  double at = 0;
  auto addArc = [&](size_t wheel, double from, double to) {
    const TWheel& w = FWheels[wheel];
    TSegment seg;
    seg.Start = at;
    seg.Arc = true;
    seg.X = w.X;
    seg.Y = w.Y;
    seg.R = w.R;
    seg.A = from;
    seg.Dir = w.Dir;
    seg.Wheel = wheel;
    seg.Length = w.R * sweep(wheel, from, to);
    FSegments.push_back(seg);
    at += seg.Length;
  };
  auto addStraight = [&](size_t i) {
    TSegment seg;
    seg.Start = at;
    seg.X = straights[i].AX;
    seg.Y = straights[i].AY;
    seg.DX = straights[i].DX;
    seg.DY = straights[i].DY;
    seg.Length = straights[i].Length;
    seg.Wheel = i;
    FSegments.push_back(seg);
    at += seg.Length;
  };
  FEntryLength.assign(n, 0);
  FEntryAngle.assign(n, startAngle);
  addArc(0, startAngle, angleOf(0, straights[0].AX, straights[0].AY));
  addStraight(0);
  for (size_t i = 1; i < n; ++i) {
    double entry = angleOf(i, straights[i - 1].BX, straights[i - 1].BY);
    FEntryLength[i] = at;
    FEntryAngle[i] = entry;
    addArc(i, entry, angleOf(i, straights[i].AX, straights[i].AY));
    addStraight(i);
  }
  addArc(0, angleOf(0, straights[n - 1].BX, straights[n - 1].BY), startAngle);
  FLength = at;
  FValid = std::isfinite(FLength) && FLength > 0;
}

TChainPoint TChainPath::PointAt(double s) const
{
  if (!FValid)
    return {};
  s = std::isfinite(s) ? Wrap(s, FLength) : 0;
  const TSegment* seg = &FSegments.back();
  for (const TSegment& g : FSegments)
    if (s < g.Start + g.Length) {
      seg = &g;
      break;
    }
  double u = s - seg->Start;
  if (!seg->Arc)
    return {Single(seg->X + u * seg->DX), Single(seg->Y + u * seg->DY)};
  double th = seg->R > 0 ? seg->A + seg->Dir * u / seg->R : seg->A;
  return {Single(seg->X + seg->R * std::cos(th)), Single(seg->Y + seg->R * std::sin(th))};
}

double TChainPath::MeshRoll(size_t wheel, Integer teeth) const
{
  if (!FValid || wheel >= FWheels.size() || teeth < 1 || !(FWheels[wheel].R > 0))
    return 0;
  // A pin reaches the wheel at its entry angle once the chain has run the entry length;
  // counting back along the seats' arcs gives where the seat of pin 0 stands.
  const TWheel& w = FWheels[wheel];
  double seat = TwoPi / teeth;
  double roll = FEntryAngle[wheel] - w.Dir * FEntryLength[wheel] / w.R;
  return Wrap(roll, seat) * 180 / Pi;
}

// --- geometry ------------------------------------------------------------------------------

Single ChainPathLength(Single R1, Single R2, Single C)
{
  long double r1 = R1, r2 = R2, c = C;
  long double ratio = std::fabs(r2 - r1) / c;
  if (!(ratio <= 1))
    return 0;
  long double a = std::asin(ratio);
  long double l = c * std::cos(a);
  long double phi = R1 <= R2 ? Pi / 2 + a : Pi / 2 - a;
  return Single(2 * (r2 * phi + r1 * (Pi - phi) + l));
}

void FitChainCentreDistance(Single& C, Single R1, Single R2)
{
  if (!std::isfinite(C) || !(R1 >= 0) || !(R2 >= 0) || !std::isfinite(R1 + R2) || !(std::fabs(R2 - R1) < C))
    return;
  // Aim at the even number of pitches just above the path's length now, then find the
  // centre distance that makes the path exactly that long, so the chain closes and a
  // whole number of pitches brings every link to where its neighbour stood.
  double pitches = double(ChainPathLength(R1, R2, C)) / ChainPitch;
  if (pitches > MaxChainLinks)
    return;
  Integer k0 = SafeTrunc(pitches);
  if (k0 % 2 == 0)
    ++k0;
  double target = double(k0 + 1) * ChainPitch;
  auto length = [&](double c) { return TChainPath({{c / 2, 0, R2, 1}, {-c / 2, 0, R1, 1}}, 0).Length(); };
  // The path grows with the centre distance.
  double lo = C, hi = C + target;
  for (int i = 0; i < 64 && length(hi) < target; ++i)
    hi += target;
  for (int i = 0; i < 80; ++i) {
    double mid = (lo + hi) / 2;
    (length(mid) < target ? lo : hi) = mid;
  }
  C = Single(hi);
}

void LayChainLinks(TChainArray& Points, Single R1, Single R2, Single C, Single Angle)
{
  LayPins(DrivePath(R1, R2, C), double(R2) * Angle, Points);
}

void LayBikeChainLinks(Integer RearTeeth, TChainArray& Points, Single Angle, Single Q)
{
  LayPins(BikePath(Bike, RearTeeth, Q), double(Bike.ChainringRadius) * Angle, Points);
}

void ChainLinkAngle(const TChainPoint& P1, const TChainPoint& P2, Single& Angle)
{
  double dx = double(P2.X) - P1.X, dy = double(P2.Y) - P1.Y;
  if (dx == 0 && dy == 0) {
    Angle = 270;
    return;
  }
  // The direction to the next pin less a quarter turn: the link is drawn along its +Y.
  double a = std::atan2(dy, dx) * 180 / Pi + 270;
  Angle = Single(Wrap(a, 360));
}

void AddChainLink(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Kind, Single Pitch, Single X,
                  Single Y, Single Angle, Integer Slices)
{
  if (!Parent)
    return;
  auto link = std::make_unique<TChainLink>(nullptr, Pitch, 0.05f, Kind, Slices);
  link->Position.SetPoint(X, Y, 0);
  link->SetRollAngle(Angle);
  SetLibMaterial(link.get(), MatLib, 2);
  if (MatLib && MatLib->Materials.GetCount() > 0)
    link->SetPinMaterial(MatLib->Materials.GetItem(0)->Material);
  Parent->AddChild(std::move(link));
}

const Single BikeChainringRadius = Bike.ChainringRadius;
const Single BikeJockeyRadius = Bike.JockeyRadius;
const Single BikeRearHubX = Bike.RearHubX;
const Single BikeRearHubY = Bike.RearHubY;
const Single BikeJockeyX = Bike.JockeyX;
const Single BikeJockeyY = Bike.JockeyY;
const Single BikeCageLength = Bike.CageLength;
const Single BikeCageSwing[3] = {Bike.CageSwing[0], Bike.CageSwing[1], Bike.CageSwing[2]};

// --- scenes --------------------------------------------------------------------------------

namespace {

TDummyCube* AddGroup(TGLBaseSceneObject* parent, Single x, Single y, Single z)
{
  auto g = std::make_unique<TDummyCube>(nullptr);
  g->Position.SetPoint(x, y, z);
  return parent->AddChild(std::move(g));
}

// A spoke and four copies of it a fifth of a turn apart.
void AddSpokes(TGLBaseSceneObject* parent, const TGLMaterialLibrary* matLib, Single radius, Single width)
{
  // Eight steps on each side of a spoke round its piece of the hub: forty round the hub.
  auto spoke = std::make_unique<TSpoke>(nullptr, radius, width, 0.02f, 72, 8);
  SetLibMaterial(spoke.get(), matLib, 1);
  TSpoke* master = parent->AddChild(std::move(spoke));
  for (Integer k = 1; k <= 4; ++k) {
    auto copy = std::make_unique<TGLProxyObject>(nullptr);
    copy->SetMasterObject(master);
    copy->SetRollAngle(Single(72 * k));
    parent->AddChild(std::move(copy));
  }
}

// Topic 8's wheel: a plain sprocket below 15 teeth, a spoked chain wheel from 15 on; then
// the slotted axle and its key.
void AddDriveWheel(TGLBaseSceneObject* group, const TGLMaterialLibrary* matLib, Integer teeth, Single roll)
{
  Single r = PitchRadius(teeth);
  if (teeth < 15) {
    auto wheel = std::make_unique<TSprocket>(nullptr, teeth, ChainPitch, 0.02f);
    wheel->SetRollAngle(roll);
    SetLibMaterial(wheel.get(), matLib, 1);
    group->AddChild(std::move(wheel));
  } else {
    auto wheel = std::make_unique<TChainWheel>(nullptr, teeth, ChainPitch, 0.02f);
    wheel->SetRollAngle(roll);
    SetLibMaterial(wheel.get(), matLib, 1);
    Single ri = wheel->InnerRadius;
    group->AddChild(std::move(wheel));
    AddSpokes(group, matLib, ri, 0.1f * ri);
  }
  Single ra = std::max(0.15f * r, 0.034f);
  auto axle = std::make_unique<TSlotAxle>(nullptr, ra, 0.2f, 0.35f * ra, 0.5f * ra, 20);
  SetLibMaterial(axle.get(), matLib, 0);
  group->AddChild(std::move(axle));
  auto key = TCube::CreateSized(nullptr, 0.35f * ra, ra, 0.1f, cpAll & ~cpBottom, ndOutside);
  key->Position.Y = 0.7f * ra;
  SetLibMaterial(key.get(), matLib, 2);
  group->AddChild(std::move(key));
}

void AddLinks(TGLBaseSceneObject* chain, const TGLMaterialLibrary* matLib, const TChainArray& points, Integer slices)
{
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    Single angle;
    ChainLinkAngle(points[i], points[i + 1], angle);
    AddChainLink(chain, matLib, Integer(i % 2), ChainPitch, points[i].X, points[i].Y, angle, slices);
  }
}

// Moves the links onto the points; the caller has checked there is one point more than links.
void PlaceLinks(TGLBaseSceneObject* chain, const TChainArray& points)
{
  for (Integer i = 0; i < chain->GetCount(); ++i) {
    const TChainPoint& a = points[size_t(i)];
    Single angle;
    ChainLinkAngle(a, points[size_t(i) + 1], angle);
    TGLBaseSceneObject* link = chain->GetChild(i);
    link->Position.SetPoint(a.X, a.Y, 0);
    PoseFromRest(link, angle);
  }
}

TGLBaseSceneObject* MarkerGroup(TGLBaseSceneObject* parent, const TVector& colour, Single x, Single y, Single z,
                                Single length, bool visible)
{
  TDummyCube* g = AddGroup(parent, x, y, z);
  // Across the wheel's face from its axle: it turns with the wheel, so it shows which way
  // the wheel goes round.
  AddArrowAlongX(g, 1, colour, length, true);
  g->SetVisible(visible);
  return g;
}

// What the scenes are made of, recognised before anything is posed.
bool IsChainGroup(const TGLBaseSceneObject* base, Integer i)
{
  TDummyCube* g = ChildOf<TDummyCube>(base, i);
  if (!g || g->GetCount() < 2)
    return false;
  for (Integer k = 0; k < g->GetCount(); ++k)
    if (!ChildOf<TChainLink>(g, k))
      return false;
  return true;
}

bool IsMarkerGroup(const TGLBaseSceneObject* base, Integer i)
{
  return ChildOf<TLines>(GroupOf(base, i, 1), 0) != nullptr;
}

// A group whose first child is a sprocket of that many teeth.
bool IsWheelGroup(const TGLBaseSceneObject* base, Integer i, Integer teeth)
{
  TSprocket* s = ChildOf<TSprocket>(ChildOf<TDummyCube>(base, i), 0);
  return s && s->Teeth == teeth;
}

bool Near(Single a, Single b) { return std::fabs(a - b) < 1e-4f; }

// Topic 8 built with these counts: its wheels stand either side of the origin.
bool IsChainDriveScene(const TDummyCube* base, Integer teeth1, Integer teeth2)
{
  if (ChildCount(base) < 5 || !IsWheelGroup(base, 0, teeth2) || !IsWheelGroup(base, 1, teeth1) || !IsChainGroup(base, 2)
      || !IsMarkerGroup(base, 3) || !IsMarkerGroup(base, 4))
    return false;
  return base->GetChild(0)->Position.X > 0 && base->GetChild(1)->Position.X == -base->GetChild(0)->Position.X;
}

bool IsAnyChainDriveScene(const TDummyCube* base)
{
  TSprocket* right = ChildOf<TSprocket>(ChildOf<TDummyCube>(base, 0), 0);
  TSprocket* left = ChildOf<TSprocket>(ChildOf<TDummyCube>(base, 1), 0);
  return right && left && IsChainDriveScene(base, left->Teeth, right->Teeth);
}

// Topic 34 built for this gear: the lower jockey stands where the gear's cage swing puts it.
bool IsDerailleurScene(const TDummyCube* base, Integer gear)
{
  if (ChildCount(base) < 8 || !IsWheelGroup(base, 0, BikeChainringTeeth) || !GroupOf(base, 1, 4)
      || !IsWheelGroup(base, 2, BikeJockeyTeeth) || !IsWheelGroup(base, 3, BikeJockeyTeeth) || !IsChainGroup(base, 4)
      || !IsMarkerGroup(base, 5) || !ChildOf<TLinkage>(GroupOf(base, 6, 4), 0)
      || !ChildOf<TOpenBox>(GroupOf(base, 7, 2), 0) || !ChildOf<TOpenBox>(base->GetChild(7), 1))
    return false;
  TDummyCube* rear = GroupOf(base, 1, 4);
  for (Integer k = 0; k < 3; ++k)
    if (!ChildOf<TSprocket>(rear, k))
      return false;
  if (gear < 0)
    return true;
  return Near(base->GetChild(3)->Position.X, BikeJockeyX - BikeCageSwing[GearIndex(gear)]);
}

}   // namespace

Single ChainDriveCentreDistance(Integer Teeth1, Integer Teeth2)
{
  const Single r1 = PitchRadius(Teeth1), r2 = PitchRadius(Teeth2);
  Single c = 2 * r1 + 1.0f;
  FitChainCentreDistance(c, r1, r2);
  return c;
}

Integer ChainDriveRepeatAngle(Integer Teeth1, Integer Teeth2)
{
  Integer repeat = GearPairRepeatAngle(Teeth2, Teeth1);
  // Over one repeat the chain runs lcm(T1, T2) pitches; an odd number would leave the
  // inner and outer links swapped, so the drive goes round once more.
  Integer g = GreatestCommonDivisor(Teeth1, Teeth2);
  int64_t pitches = g > 0 ? int64_t(Teeth1) / g * Teeth2 : 0;
  if (pitches % 2 != 0 && repeat <= INT32_MAX / 2)
    repeat *= 2;
  return repeat;
}

void BuildChainDriveScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Teeth1, Integer Teeth2,
                          bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  Single r1 = PitchRadius(Teeth1), r2 = PitchRadius(Teeth2);
  Single c = ChainDriveCentreDistance(Teeth1, Teeth2);

  TChainPath path = DrivePath(r1, r2, c);
  AddDriveWheel(AddGroup(SceneBase, c / 2, 0, 0), MatLib, Teeth2, 0);
  // The left wheel is turned so that its seats stand under the pins the chain brings it.
  AddDriveWheel(AddGroup(SceneBase, -c / 2, 0, 0), MatLib, Teeth1, Single(path.MeshRoll(1, Teeth1)));
  TChainArray points;
  LayChainLinks(points, r1, r2, c, 0);
  AddLinks(AddGroup(SceneBase, 0, 0, 0), MatLib, points, ChainLinkSlices);
  MarkerGroup(SceneBase, MarkerColour, c / 2, 0, 0.05f, r2, ShowMarkers);
  MarkerGroup(SceneBase, MarkerColour, -c / 2, 0, 0.05f, r1, ShowMarkers);
}

void AnimateChainDriveScene(TDummyCube* SceneBase, Integer Teeth1, Integer Teeth2, Single Phase)
{
  if (!IsChainDriveScene(SceneBase, Teeth1, Teeth2))
    return;
  TGLBaseSceneObject* chain = SceneBase->GetChild(2);
  // The build stood the right wheel at half the centre distance.
  const Single centres = 2 * SceneBase->GetChild(0)->Position.X;
  TChainArray points;
  LayChainLinks(points, PitchRadius(Teeth1), PitchRadius(Teeth2), centres, Single(Radians(Phase)));
  if (points.size() != size_t(chain->GetCount()) + 1)
    return;
  Single left = SafeDivide(Single(Teeth2) * Phase, Single(Teeth1));
  PoseFromRest(SceneBase->GetChild(0), Phase);
  PoseFromRest(SceneBase->GetChild(3), Phase);
  PoseFromRest(SceneBase->GetChild(1), left);
  PoseFromRest(SceneBase->GetChild(4), left);
  PlaceLinks(chain, points);
}

void ShowChainDriveMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsAnyChainDriveScene(SceneBase))
    return;
  SetChildVisible(SceneBase, 3, Visible);
  SetChildVisible(SceneBase, 4, Visible);
}

Integer DerailleurRepeatAngle(Integer Gear)
{
  if (Gear == 0 || Gear == 14)
    return 2520;
  if (Gear == 1 || Gear == 16)
    return 360;
  return 1080;
}

void BuildDerailleurScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Gear, Integer StartPhase,
                          bool ShowMarkers, const TVector& MarkerColour)
{
  if (!SceneBase)
    return;
  const Integer g = GearIndex(Gear);
  const Integer teeth = BikeRearTeeth[g];
  const Single q = BikeCageSwing[g];
  const Single zoff[3] = {0.05f, 0, -0.05f};
  const Single rc = BikeChainringRadius, d = BikeCageLength;
  const Single lowerDrop = std::sqrt(std::max(0.0f, d * d - q * q));
  TChainPath path = BikePath(Bike, teeth, q);

  // 0: chain wheel, spokes, bottom bracket, cranks and pedal spindles.
  TDummyCube* ring = AddGroup(SceneBase, BikeChainstay / 2, 0, 0);
  ring->SetTurnAngle(BikeChainTurn[g]);
  auto wheel = std::make_unique<TChainWheel>(nullptr, BikeChainringTeeth, ChainPitch, 0.02f);
  SetLibMaterial(wheel.get(), MatLib, 1);
  ring->AddChild(std::move(wheel));
  AddSpokes(ring, MatLib, 0.9f * rc, 0.09f * rc);
  auto axle = TCylinder::CreateSized(nullptr, 0.08f, 0.08f, 0.5f, 16, 1, 1, cyAll, ndOutside);
  axle->SetPitchAngle(-90);
  axle->Position.SetPoint(0, 0, -0.13f);
  SetLibMaterial(axle.get(), MatLib, 0);
  ring->AddChild(std::move(axle));
  for (Integer k = 0; k < 2; ++k) {
    auto crank = std::make_unique<TCrank>(nullptr, 0.12f, 0.06f, 0.07f, 0.05f, 0.06f, 1.0f, 10);
    if (k == 1)
      crank->SetRollAngle(180);
    crank->Position.SetPoint(0, 0, k == 0 ? 0.1f : -0.32f);
    SetLibMaterial(crank.get(), MatLib, 0);
    ring->AddChild(std::move(crank));
  }
  for (Integer k = 0; k < 2; ++k) {
    auto spindle = TCylinder::CreateSized(nullptr, 0.04f, 0.04f, 0.5f, 10, 1, 1, cyAll, ndOutside);
    spindle->SetPitchAngle(-90);
    spindle->Position.SetPoint(k == 0 ? 1.0f : -1.0f, 0, k == 0 ? 0.3f : -0.53f);
    SetLibMaterial(spindle.get(), MatLib, 6);
    ring->AddChild(std::move(spindle));
  }

  // 1: the rear cluster; the sprocket that carries the chain is turned into mesh with it.
  TDummyCube* rear = AddGroup(SceneBase, BikeRearHubX, BikeRearHubY, 0);
  const Single clusterRoll[3] = {180.0f / 14, 0, 10};
  const Single clusterZ[3] = {0.05f, 0, -0.05f};
  const Integer clusterMaterial[3] = {4, 8, 7};
  for (Integer k : {2, 1, 0}) {
    auto s = std::make_unique<TSprocket>(nullptr, BikeRearTeeth[k], ChainPitch, 0.02f);
    s->SetRollAngle(k == g ? Single(path.MeshRoll(1, teeth)) : clusterRoll[k]);
    s->Position.Z = clusterZ[k];
    SetLibMaterial(s.get(), MatLib, clusterMaterial[k]);
    rear->AddChild(std::move(s));
  }
  auto hub = TCylinder::CreateSized(nullptr, 0.05f, 0.05f, 0.25f, 36, 1, 1, cyAll, ndOutside);
  hub->SetPitchAngle(-90);
  SetLibMaterial(hub.get(), MatLib, 0);
  rear->AddChild(std::move(hub));

  // 2, 3: the jockey wheels.
  const TAffineVector jockeys[2] = {{BikeJockeyX, BikeJockeyY, zoff[g]},
                                    {BikeJockeyX - q, BikeJockeyY - lowerDrop, zoff[g]}};
  for (Integer k = 0; k < 2; ++k) {
    TDummyCube* j = AddGroup(SceneBase, jockeys[k][0], jockeys[k][1], jockeys[k][2]);
    auto s = std::make_unique<TSprocket>(nullptr, BikeJockeyTeeth, ChainPitch, 0.02f);
    s->SetRollAngle(Single(path.MeshRoll(size_t(2 + k), BikeJockeyTeeth)));
    SetLibMaterial(s.get(), MatLib, 1);
    j->AddChild(std::move(s));
  }

  // 4: the chain, in the plane from the chain wheel to the rear sprocket in use.
  TDummyCube* chain = AddGroup(SceneBase, 0, 0, zoff[g] / 2);
  chain->SetTurnAngle(BikeChainTurn[g]);
  TChainArray points;
  LayBikeChainLinks(teeth, points, Single(Radians(Single(StartPhase))), q);
  AddLinks(chain, MatLib, points, BikeChainLinkSlices);

  // 5: the rear wheel's marker.
  MarkerGroup(SceneBase, MarkerColour, BikeRearHubX, BikeRearHubY, 0.15f, 0.5f, ShowMarkers);

  // 6: the cage, swung so its lower pin carries the lower jockey.
  TDummyCube* cage = AddGroup(SceneBase, BikeJockeyX, BikeJockeyY, zoff[g]);
  cage->SetRollAngle(-std::asin(std::clamp(q / d, -1.0f, 1.0f)) / cPIdiv180);
  for (Single z : {0.04f, -0.04f}) {
    auto plate = std::make_unique<TLinkage>(nullptr, 0.05f, 0.01f, d, 10);
    plate->SetRollAngle(90);
    plate->Position.Z = z;
    SetLibMaterial(plate.get(), MatLib, 0);
    cage->AddChild(std::move(plate));
  }
  for (Single y : {0.0f, -d}) {
    auto pin = TCylinder::CreateSized(nullptr, 0.02f, 0.025f, 0.1f, 10, 1, 1, cyAll, ndOutside);
    pin->SetPitchAngle(-90);
    pin->Position.Y = y;
    SetLibMaterial(pin.get(), MatLib, 6);
    cage->AddChild(std::move(pin));
  }

  // 7: the pedals, kept level by the animation.
  TDummyCube* pedals = AddGroup(SceneBase, BikeChainstay / 2, 0, 0);
  for (Integer k = 0; k < 2; ++k) {
    auto box = std::make_unique<TOpenBox>(nullptr, 0.3f, 0.12f, 0.38f, 0.02f);
    box->Position.SetPoint(k == 0 ? 1.0f : -1.0f, 0, k == 0 ? 0.35f : -0.58f);
    SetLibMaterial(box.get(), MatLib, 2);
    pedals->AddChild(std::move(box));
  }
}

void AnimateDerailleurScene(TDummyCube* SceneBase, Integer Gear, Single Phase)
{
  if (!IsDerailleurScene(SceneBase, Gear))
    return;
  const Integer g = GearIndex(Gear);
  TGLBaseSceneObject* chain = SceneBase->GetChild(4);
  TChainArray points;
  LayBikeChainLinks(BikeRearTeeth[g], points, Single(Radians(Phase)), BikeCageSwing[g]);
  if (points.size() != size_t(chain->GetCount()) + 1)
    return;
  TGLBaseSceneObject* pedals = SceneBase->GetChild(7);
  PoseFromRest(SceneBase->GetChild(0), Phase, BikeChainTurn[g]);
  PoseFromRest(pedals, Phase);
  PoseFromRest(pedals->GetChild(0), -Phase);
  PoseFromRest(pedals->GetChild(1), -Phase);
  Single rear = Phase * Single(BikeChainringTeeth) / Single(BikeRearTeeth[g]);
  PoseFromRest(SceneBase->GetChild(1), rear);
  PoseFromRest(SceneBase->GetChild(5), rear);
  PoseFromRest(SceneBase->GetChild(2), -4.8f * Phase);
  PoseFromRest(SceneBase->GetChild(3), 4.8f * Phase);
  PlaceLinks(chain, points);
}

void ShowDerailleurMarkers(TDummyCube* SceneBase, bool Visible)
{
  if (!IsDerailleurScene(SceneBase, -1))
    return;
  SetChildVisible(SceneBase, 5, Visible);
}
