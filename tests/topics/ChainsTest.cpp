#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/GLObjects.h"
#include "engine/GLStandardScene.h"
#include "tests/topics/ChainCamTestUtil.h"
#include "parts/BasicParts.h"
#include "topics/Chains.h"
#include "topics/Markers.h"
#include "topics/TopicFrame.h"

namespace {

constexpr double Pi = TestPi;
using TBuilt = TBuiltScene;

Single R(Integer teeth) { return ToothedWheelRadius(teeth, ChainPitch); }

double Dist(const TChainPoint& a, const TChainPoint& b) { return std::hypot(double(a.X) - b.X, double(a.Y) - b.Y); }

// Angle in degrees reduced into [0, step).
double Mod(double a, double step)
{
  double r = std::fmod(a, step);
  return r < 0 ? r + step : r;
}

// Distance of an angle from the nearest whole multiple of step.
double OffStep(double a, double step)
{
  double r = Mod(a, step);
  return std::min(r, step - r);
}

// Every pair of neighbouring pins is a pitch apart along the path: exactly on a straight and
// a chord of a pitch's arc on a wheel; the last point lies on the first.
void ExpectClosedChain(const TChainArray& pts, double smallestRadius)
{
  ASSERT_GE(pts.size(), 3u);
  double shortest = 2 * smallestRadius * std::sin(ChainPitch / (2 * smallestRadius));
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    double d = Dist(pts[i], pts[i + 1]);
    ASSERT_LE(d, ChainPitch + 2e-5) << i;
    ASSERT_GE(d, shortest - 2e-5) << i;
  }
  EXPECT_LT(Dist(pts.front(), pts.back()), 2e-5);
}

// The pins that ride on a wheel stand in its seats: at the pitch radius from its centre, at
// whole seat steps from the wheel's roll. Returns how many pins rode on it.
int ExpectPinsInSeats(const TChainArray& pts, double cx, double cy, double r, Integer teeth, double rollDeg)
{
  int riding = 0;
  double step = 360.0 / teeth;
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    double dx = pts[i].X - cx, dy = pts[i].Y - cy;
    if (std::fabs(std::hypot(dx, dy) - r) > 1e-4)
      continue;
    ++riding;
    double a = std::atan2(dy, dx) * 180 / Pi;
    EXPECT_LT(OffStep(a - rollDeg, step), 0.05) << "pin " << i << " of a " << teeth << "-tooth wheel";
  }
  return riding;
}

TChainArray PinsOf(const TGLBaseSceneObject* chain)
{
  TChainArray r;
  for (Integer i = 0; i < chain->GetCount(); ++i)
    r.push_back({chain->GetChild(i)->Position.X, chain->GetChild(i)->Position.Y});
  return r;
}

// The chain as a set: where each link's first pin stands, which way it points, which kind.
struct TLinkPose {
  double X, Y, A;
  Integer Kind;
};

std::vector<TLinkPose> LinkSet(const TGLBaseSceneObject* chain)
{
  std::vector<TLinkPose> r;
  for (Integer i = 0; i < chain->GetCount(); ++i) {
    auto* l = dynamic_cast<TChainLink*>(chain->GetChild(i));
    r.push_back({l->Position.X, l->Position.Y, l->GetRollAngle(), l->Kind});
  }
  std::sort(r.begin(), r.end(),
            [](const TLinkPose& a, const TLinkPose& b) { return std::make_pair(a.X, a.Y) < std::make_pair(b.X, b.Y); });
  return r;
}

void ExpectSameChain(const TGLBaseSceneObject* a, const TGLBaseSceneObject* b)
{
  std::vector<TLinkPose> x = LinkSet(a), y = LinkSet(b);
  ASSERT_EQ(x.size(), y.size());
  // Each link of one stands where a link of the same kind stands in the other.
  for (const TLinkPose& p : x) {
    bool found = false;
    for (const TLinkPose& q : y)
      if (std::hypot(p.X - q.X, p.Y - q.Y) < 2e-4 && OffStep(p.A - q.A, 360) < 0.05 && p.Kind == q.Kind)
        found = true;
    ASSERT_TRUE(found) << "link at " << p.X << ", " << p.Y << " kind " << p.Kind;
  }
}

// The total roll of a wheel: its group's and its own.
double WheelRoll(const TGLBaseSceneObject* base, Integer group, Integer child = 0)
{
  const TGLBaseSceneObject* g = base->GetChild(group);
  return g->GetRollAngle() + g->GetChild(child)->GetRollAngle();
}

}   // namespace

TEST(ChainGeometry, PathLengthAndCentreDistanceFit)
{
  // Two equal wheels: straight runs and two half turns.
  EXPECT_NEAR(ChainPathLength(0.2f, 0.2f, 1.5f), 2 * (Pi * 0.2 + 1.5), 1e-5);
  for (auto [r1, r2, c] : {std::tuple{0.16f, 0.48f, 1.3f}, {0.48f, 0.16f, 2.0f}, {0.3f, 0.31f, 0.9f}}) {
    TChainPath path({{c / 2.0, 0, r2, 1}, {-c / 2.0, 0, r1, 1}}, 0);
    EXPECT_NEAR(ChainPathLength(r1, r2, c), path.Length(), 1e-5);
  }
  // Every pair the controls offer: the fit only grows C, and the path then takes an even
  // whole number of pitches, the next even number above what it held.
  for (Integer t1 = 10; t1 <= 40; t1 += 3)
    for (Integer t2 = 10; t2 <= 40; t2 += 2) {
      Single c0 = 2 * R(t1) + 1.0f, c = c0;
      FitChainCentreDistance(c, R(t1), R(t2));
      EXPECT_GE(c, c0);
      double pitches = ChainPathLength(R(t1), R(t2), c) / ChainPitch;
      Integer n = Integer(std::lround(pitches));
      EXPECT_NEAR(pitches, n, 1e-4) << t1 << " " << t2;
      EXPECT_EQ(n % 2, 0);
      Integer k0 = Integer(ChainPathLength(R(t1), R(t2), c0) / ChainPitch);
      EXPECT_EQ(n, k0 % 2 == 0 ? k0 + 2 : k0 + 1);
    }
  // Two 10-tooth sprockets start 1.318 apart.
  EXPECT_NEAR(2 * R(10) + 1.0, 1.318, 1e-3);
  // Nothing sensible to fit: C stays.
  Single bad = 0.1f;
  FitChainCentreDistance(bad, 0.2f, 0.5f);
  EXPECT_EQ(bad, 0.1f);
  Single negative = 1.3f;
  FitChainCentreDistance(negative, -0.2f, 0.3f);
  EXPECT_EQ(negative, 1.3f);
  Single nan = std::nanf("");
  FitChainCentreDistance(nan, 0.2f, 0.5f);
  EXPECT_TRUE(std::isnan(nan));
}

TEST(ChainGeometry, LinkAnglePointsAtTheNextPin)
{
  Single a;
  ChainLinkAngle({0, 0}, {1, 0}, a);
  EXPECT_NEAR(a, 270, 1e-4);
  ChainLinkAngle({0, 0}, {-1, 0}, a);
  EXPECT_NEAR(a, 90, 1e-4);
  ChainLinkAngle({0, 0}, {0, 1}, a);   // straight up: the link's own +Y
  EXPECT_NEAR(a, 0, 1e-4);
  ChainLinkAngle({0, 0}, {0, -1}, a);
  EXPECT_NEAR(a, 180, 1e-4);
  ChainLinkAngle({0, 0}, {1, 1}, a);
  EXPECT_NEAR(a, 315, 1e-4);
  ChainLinkAngle({0.5f, 0.5f}, {0.5f, 0.5f}, a);
  EXPECT_NEAR(a, 270, 1e-4);
}

TEST(ChainGeometry, PathsRefuseWheelsThatLeaveNoTangent)
{
  TChainPath inside({{0, 0, 1, 1}, {0.2, 0, 0.1, 1}}, 0);
  EXPECT_FALSE(inside.Valid());
  TChainPath crossed({{0, 0, 0.5, 1}, {0.8, 0, 0.5, -1}}, 0);   // discs overlap: no crossing tangent
  EXPECT_FALSE(crossed.Valid());
  TChainPath nan({{0, 0, std::nan(""), 1}, {1, 0, 0.1, 1}}, 0);
  EXPECT_FALSE(nan.Valid());
  TChainArray pts{{1, 1}};
  LayChainLinks(pts, 0.5f, 0.2f, 0.1f, 0);
  EXPECT_TRUE(pts.empty());
  // A valid path takes any length round it.
  TChainPath ok({{0, 0, 0.2, 1}, {-1, 0, 0.2, 1}}, 0);
  ASSERT_TRUE(ok.Valid());
  TChainPoint a = ok.PointAt(0.3), b = ok.PointAt(0.3 + 7 * ok.Length()), c = ok.PointAt(0.3 - 3 * ok.Length());
  EXPECT_LT(Dist(a, b), 1e-5);
  EXPECT_LT(Dist(a, c), 1e-5);
  TChainPoint start = ok.PointAt(std::nan(""));
  EXPECT_NEAR(start.X, 0.2, 1e-6);
}

TEST(ChainDriveScene, ChildCountsAndTheLeftWheelInMesh)
{
  for (auto [t1, t2] : {std::pair{10, 20}, {10, 10}, {15, 14}, {21, 37}, {40, 40}, {13, 11}, {13, 13}}) {
    SCOPED_TRACE(testing::Message() << t1 << " " << t2);
    TBuilt b;
    BuildChainDriveScene(&b.Base, &b.Lib, t1, t2, false);
    ASSERT_EQ(b.Base.GetCount(), 5);
    // Below 15 teeth a plain sprocket, from 15 a spoked wheel; then axle and key.
    EXPECT_EQ(b.Base.GetChild(0)->GetCount(), t2 < 15 ? 3 : 8);
    EXPECT_EQ(b.Base.GetChild(1)->GetCount(), t1 < 15 ? 3 : 8);
    EXPECT_EQ(b.Base.GetChild(0)->GetChildAs<TChainWheel>(0) != nullptr, t2 >= 15);
    EXPECT_NEAR(b.Base.GetChild(0)->Position.X, ChainDriveCentreDistance(t1, t2) / 2, 1e-6);
    EXPECT_NEAR(b.Base.GetChild(1)->Position.X, -ChainDriveCentreDistance(t1, t2) / 2, 1e-6);
    const TGLBaseSceneObject* chain = b.Base.GetChild(2);
    double pitches = ChainPathLength(R(t1), R(t2), ChainDriveCentreDistance(t1, t2)) / ChainPitch;
    EXPECT_EQ(chain->GetCount(), Integer(std::lround(pitches)));
    EXPECT_EQ(chain->GetCount() % 2, 0);
    for (Integer i = 0; i < chain->GetCount(); ++i)
      EXPECT_EQ(dynamic_cast<TChainLink*>(chain->GetChild(i))->Kind, i % 2);
    // Equal odd counts: the rule of half a tooth.
    if (t1 == t2 && t1 % 2 == 1) {
      EXPECT_NEAR(Mod(WheelRoll(&b.Base, 1), 360.0 / t1), 180.0 / t1, 1e-3);
    }
  }
}

TEST(ChainDriveScene, ChainClosedAndOnBothWheelsAtEveryPhase)
{
  for (auto [t1, t2] : {std::pair{10, 20}, {17, 12}, {40, 10}, {25, 25}}) {
    SCOPED_TRACE(testing::Message() << t1 << " " << t2);
    TBuilt b;
    BuildChainDriveScene(&b.Base, &b.Lib, t1, t2, true);
    Single c = ChainDriveCentreDistance(t1, t2);
    for (Single phase = 0; phase < 720; phase += 13.7f) {
      AnimateChainDriveScene(&b.Base, t1, t2, phase);
      TChainArray pts = PinsOf(b.Base.GetChild(2));
      TChainArray laid;
      LayChainLinks(laid, R(t1), R(t2), c, phase * cPIdiv180);
      ASSERT_EQ(laid.size(), pts.size() + 1);
      pts.push_back(laid.back());
      ExpectClosedChain(pts, std::min(R(t1), R(t2)));
      EXPECT_GT(ExpectPinsInSeats(pts, c / 2, 0, R(t2), t2, WheelRoll(&b.Base, 0)), 2);
      EXPECT_GT(ExpectPinsInSeats(pts, -c / 2, 0, R(t1), t1, WheelRoll(&b.Base, 1)), 2);
      // Every link points at the next pin.
      for (size_t i = 0; i + 1 < pts.size(); ++i) {
        Single a;
        ChainLinkAngle(pts[i], pts[i + 1], a);
        EXPECT_NEAR(b.Base.GetChild(2)->GetChild(Integer(i))->GetRollAngle(), a, 1e-3);
      }
      // The markers turn with their wheels.
      EXPECT_EQ(b.Base.GetChild(3)->GetRollAngle(), b.Base.GetChild(0)->GetRollAngle());
      EXPECT_EQ(b.Base.GetChild(4)->GetRollAngle(), b.Base.GetChild(1)->GetRollAngle());
    }
  }
}

TEST(ChainDriveScene, RepeatAngleBringsEveryPartBack)
{
  EXPECT_EQ(ChainDriveRepeatAngle(10, 20), 360);
  EXPECT_EQ(ChainDriveRepeatAngle(20, 20), 360);
  EXPECT_EQ(ChainDriveRepeatAngle(20, 30), 720);
  EXPECT_EQ(ChainDriveRepeatAngle(30, 20), 1080);
  // Both odd: the chain runs an odd number of pitches per turn pair, so twice round.
  EXPECT_EQ(ChainDriveRepeatAngle(13, 11), 2 * 13 * 360);
  EXPECT_EQ(ChainDriveRepeatAngle(15, 25), 2 * 3 * 360);
  for (auto [t1, t2] : {std::pair{10, 20}, {20, 30}, {13, 11}, {15, 25}, {14, 21}}) {
    SCOPED_TRACE(testing::Message() << t1 << " " << t2);
    Integer repeat = ChainDriveRepeatAngle(t1, t2);
    TBuilt start, end;
    BuildChainDriveScene(&start.Base, &start.Lib, t1, t2, true);
    BuildChainDriveScene(&end.Base, &end.Lib, t1, t2, true);
    AnimateChainDriveScene(&start.Base, t1, t2, 0);
    AnimateChainDriveScene(&end.Base, t1, t2, Single(repeat));
    for (Integer i : {0, 1, 3, 4})
      EXPECT_LT(OffStep(end.Base.GetChild(i)->GetRollAngle() - start.Base.GetChild(i)->GetRollAngle(), 360), 0.02) << i;
    ExpectSameChain(start.Base.GetChild(2), end.Base.GetChild(2));
  }
}

TEST(ChainDriveScene, PoseDependsOnThePhaseAlone)
{
  TBuilt direct, stepped;
  BuildChainDriveScene(&direct.Base, &direct.Lib, 12, 31, false);
  BuildChainDriveScene(&stepped.Base, &stepped.Lib, 12, 31, false);
  AnimateChainDriveScene(&direct.Base, 12, 31, 250);
  for (Single p = 0; p < 1000; p += 37)
    AnimateChainDriveScene(&stepped.Base, 12, 31, p);
  AnimateChainDriveScene(&stepped.Base, 12, 31, 250);
  for (Integer i = 0; i < 5; ++i)
    EXPECT_NEAR(direct.Base.GetChild(i)->GetRollAngle(), stepped.Base.GetChild(i)->GetRollAngle(), 1e-3);
  TChainArray a = PinsOf(direct.Base.GetChild(2)), b = PinsOf(stepped.Base.GetChild(2));
  for (size_t i = 0; i < a.size(); ++i)
    EXPECT_LT(Dist(a[i], b[i]), 1e-5);
}

TEST(ChainDriveScene, AnimateTestsWhatItAddresses)
{
  TBuilt b;
  BuildChainDriveScene(&b.Base, &b.Lib, 10, 20, false);
  AnimateChainDriveScene(&b.Base, 10, 20, 40);
  Single roll = b.Base.GetChild(0)->GetRollAngle();
  // Other counts than the scene was built with: nothing moves.
  AnimateChainDriveScene(&b.Base, 10, 21, 80);
  AnimateChainDriveScene(&b.Base, 11, 20, 80);
  EXPECT_EQ(b.Base.GetChild(0)->GetRollAngle(), roll);
  // A link taken out of the chain: the rest is not posed with a missing neighbour.
  TGLBaseSceneObject* chain = b.Base.GetChild(2);
  chain->Remove(chain->GetChild(chain->GetCount() - 1));
  AnimateChainDriveScene(&b.Base, 10, 20, 80);
  EXPECT_EQ(b.Base.GetChild(0)->GetRollAngle(), roll);
  // Too few children, or none.
  b.Base.Remove(b.Base.GetChild(4));
  ShowChainDriveMarkers(&b.Base, true);
  EXPECT_FALSE(b.Base.GetChild(3)->GetVisible());
  TDummyCube empty;
  AnimateChainDriveScene(&empty, 10, 20, 10);
  ShowChainDriveMarkers(&empty, true);
  AnimateChainDriveScene(nullptr, 10, 20, 10);
  ShowChainDriveMarkers(nullptr, true);
  BuildChainDriveScene(nullptr, &b.Lib, 10, 20, true);
  // Counts no control gives still build without a fault, and animating them does nothing.
  for (Integer t : {0, -4, 1}) {
    TBuilt odd;
    BuildChainDriveScene(&odd.Base, &odd.Lib, t, 20, true);
    EXPECT_EQ(odd.Base.GetCount(), 5);
    AnimateChainDriveScene(&odd.Base, t, 20, 30);
    ShowChainDriveMarkers(&odd.Base, true);
  }
}

// The arrows lie across the wheels' faces, out from the axles, and turn with the wheels: at an
// eighth and a quarter turn of the right wheel (a quarter and a half of the left one) their
// tips stand elsewhere, each still its wheel's radius from its axle, in front of the wheel.
TEST(ChainDriveScene, MarkersAreArrowsThatTurnWithTheirWheels)
{
  TBuilt b;
  BuildChainDriveScene(&b.Base, &b.Lib, 10, 20, true);
  std::vector<TAffineVector> tips[2];
  for (Single phase : {0.0f, 45.0f, 90.0f}) {
    AnimateChainDriveScene(&b.Base, 10, 20, phase);
    for (Integer k = 0; k < 2; ++k) {
      TGLBaseSceneObject* group = b.Base.GetChild(3 + k);
      auto* arrow = group->GetChildAs<TLines>(0);
      ASSERT_NE(arrow, nullptr);
      ASSERT_EQ(arrow->Nodes.GetCount(), 6);
      const TMatrix m = arrow->AbsoluteMatrix();
      const TAffineVector tail = VectorTransform(arrow->Nodes.GetItem(0)->AsAffineVector(), m);
      const TAffineVector tip = VectorTransform(arrow->Nodes.GetItem(3)->AsAffineVector(), m);
      const TAffineVector axle = VectorTransform(AffineVectorMake(0, 0, 0), b.Base.GetChild(k)->AbsoluteMatrix());
      EXPECT_NEAR(tail[0], axle[0], 1e-5);
      EXPECT_NEAR(tail[1], axle[1], 1e-5);
      EXPECT_NEAR(std::hypot(tip[0] - axle[0], tip[1] - axle[1]), R(k == 0 ? 20 : 10), 1e-5) << phase;
      EXPECT_NEAR(tip[2], tail[2], 1e-6) << "the arrow lies across the wheel, not along its axle";
      EXPECT_GT(tip[2], 0.02f) << "in front of the wheel";
      tips[k].push_back(tip);
    }
  }
  for (Integer k = 0; k < 2; ++k)
    for (size_t i = 0; i < tips[k].size(); ++i)
      for (size_t j = i + 1; j < tips[k].size(); ++j)
        EXPECT_GT(VectorDistance(tips[k][i], tips[k][j]), 0.1f) << k << ": the arrow looks the same at two angles";
}

TEST(BikeGeometry, ChainOfOneHundredAndTenLinksFitsEveryGear)
{
  EXPECT_NEAR(BikeChainringRadius, 0.7639, 1e-4);
  EXPECT_NEAR(BikeJockeyRadius, 0.1592, 1e-4);
  EXPECT_NEAR(BikeRearHubY, 0.4775, 1e-4);
  EXPECT_NEAR(BikeCageLength, 0.5048, 1e-4);
  const Integer teeth[3] = {14, 16, 18};
  // Close to the swings of a path whose straights were only nearly tangent.
  const Single roughly[3] = {0.161755f, 0.121995f, 0.079465f};
  for (Integer g = 0; g < 3; ++g) {
    SCOPED_TRACE(g);
    EXPECT_NEAR(BikeCageSwing[g], roughly[g], 0.01);
    TChainArray pts;
    LayBikeChainLinks(teeth[g], pts, 0, BikeCageSwing[g]);
    ASSERT_EQ(pts.size(), size_t(BikeChainLinks) + 1);
    ExpectClosedChain(pts, BikeJockeyRadius);
    for (Single angle : {0.3f, 1.7f, 5.0f, 40.0f}) {
      LayBikeChainLinks(teeth[g], pts, angle, BikeCageSwing[g]);
      ASSERT_EQ(pts.size(), size_t(BikeChainLinks) + 1);
      ExpectClosedChain(pts, BikeJockeyRadius);
    }
  }
  EXPECT_EQ(DerailleurRepeatAngle(0), 2520);
  EXPECT_EQ(DerailleurRepeatAngle(14), 2520);
  EXPECT_EQ(DerailleurRepeatAngle(1), 360);
  EXPECT_EQ(DerailleurRepeatAngle(16), 360);
  EXPECT_EQ(DerailleurRepeatAngle(2), 1080);
  EXPECT_EQ(DerailleurRepeatAngle(18), 1080);
  EXPECT_EQ(DerailleurRepeatAngle(-5), 1080);
}

TEST(DerailleurScene, BuildsEveryGearWithTheChainOnItsWheels)
{
  const Integer teeth[3] = {14, 16, 18};
  for (Integer gear : {0, 1, 2, 7}) {
    SCOPED_TRACE(gear);
    Integer g = gear > 2 ? 2 : gear;
    TBuilt b;
    BuildDerailleurScene(&b.Base, &b.Lib, gear, DerailleurRepeatAngle(gear), false);
    ASSERT_EQ(b.Base.GetCount(), 8);
    const Integer counts[8] = {11, 4, 1, 1, BikeChainLinks, 1, 4, 2};
    for (Integer i = 0; i < 8; ++i)
      EXPECT_EQ(b.Base.GetChild(i)->GetCount(), counts[i]) << i;
    // The cage's lower pin carries the lower jockey.
    TMatrix pin = b.Base.GetChild(6)->GetChild(3)->AbsoluteMatrix();
    TGLBaseSceneObject* lower = b.Base.GetChild(3);
    EXPECT_NEAR(pin[3][0], lower->Position.X, 1e-5);
    EXPECT_NEAR(pin[3][1], lower->Position.Y, 1e-5);
    EXPECT_NEAR(lower->Position.X, BikeJockeyX - BikeCageSwing[g], 1e-6);

    const double rear = ToothedWheelRadius(teeth[g], ChainPitch);
    for (Single phase = 0; phase < 2600; phase += 97) {
      AnimateDerailleurScene(&b.Base, gear, phase);
      TChainArray pts;
      LayBikeChainLinks(teeth[g], pts, phase * cPIdiv180, BikeCageSwing[g]);
      ASSERT_EQ(PinsOf(b.Base.GetChild(4)).size() + 1, pts.size());
      EXPECT_GT(ExpectPinsInSeats(pts, BikeChainstay / 2, 0, BikeChainringRadius, 48, WheelRoll(&b.Base, 0)), 10);
      // The cluster lists 18, 16, 14 teeth.
      EXPECT_GT(ExpectPinsInSeats(pts, BikeRearHubX, BikeRearHubY, rear, teeth[g], WheelRoll(&b.Base, 1, 2 - g)), 2);
      EXPECT_GT(ExpectPinsInSeats(pts, BikeJockeyX, BikeJockeyY, BikeJockeyRadius, 10, WheelRoll(&b.Base, 2)), 0);
      EXPECT_GT(ExpectPinsInSeats(pts, lower->Position.X, lower->Position.Y, BikeJockeyRadius, 10,
                                  WheelRoll(&b.Base, 3)),
                0);
      // The pedals stay level while the cranks turn.
      TMatrix pedal = b.Base.GetChild(7)->GetChild(0)->AbsoluteMatrix();
      EXPECT_NEAR(pedal[1][1], 1, 1e-4);
    }
  }
}

TEST(DerailleurScene, RepeatAngleAndPhaseAlone)
{
  for (Integer gear : {0, 1, 2}) {
    SCOPED_TRACE(gear);
    Integer repeat = DerailleurRepeatAngle(gear);
    TBuilt built, end;
    BuildDerailleurScene(&built.Base, &built.Lib, gear, repeat, true);
    BuildDerailleurScene(&end.Base, &end.Lib, gear, repeat, true);
    AnimateDerailleurScene(&end.Base, gear, Single(repeat));
    const Integer teeth[8] = {48, 0, 10, 10, 0, 0, 0, 0};
    for (Integer i : {0, 2, 3, 7}) {
      double step = i == 7 ? 360 : 360.0 / teeth[i];
      EXPECT_LT(OffStep(end.Base.GetChild(i)->GetRollAngle() - built.Base.GetChild(i)->GetRollAngle(), step), 0.02)
          << i;
    }
    EXPECT_LT(OffStep(end.Base.GetChild(1)->GetRollAngle(), 360), 0.02);
    // The build lays the chain for the step bar's start, which is the repeat angle, and
    // the drive at the repeat angle looks as it does at 0.
    ExpectSameChain(built.Base.GetChild(4), end.Base.GetChild(4));
    AnimateDerailleurScene(&built.Base, gear, 0);
    ExpectSameChain(built.Base.GetChild(4), end.Base.GetChild(4));

    TBuilt stepped;
    BuildDerailleurScene(&stepped.Base, &stepped.Lib, gear, repeat, true);
    for (Single p = 0; p < 900; p += 41)
      AnimateDerailleurScene(&stepped.Base, gear, p);
    AnimateDerailleurScene(&stepped.Base, gear, 123);
    AnimateDerailleurScene(&end.Base, gear, 123);
    TChainArray a = PinsOf(end.Base.GetChild(4)), b = PinsOf(stepped.Base.GetChild(4));
    for (size_t i = 0; i < a.size(); ++i)
      ASSERT_LT(Dist(a[i], b[i]), 1e-5);
    for (Integer i = 0; i < 8; ++i)
      EXPECT_NEAR(end.Base.GetChild(i)->GetRollAngle(), stepped.Base.GetChild(i)->GetRollAngle(), 1e-3);
  }
}

TEST(DerailleurScene, ProceduresTestWhatTheyAddress)
{
  TBuilt b;
  BuildDerailleurScene(&b.Base, &b.Lib, 1, 360, false);
  AnimateDerailleurScene(&b.Base, 1, 30);
  EXPECT_NEAR(b.Base.GetChild(2)->GetRollAngle(), -144, 1e-3);   // a 10-tooth jockey: 4.8 turns a turn
  EXPECT_NEAR(b.Base.GetChild(3)->GetRollAngle(), 144, 1e-3);
  EXPECT_NEAR(b.Base.GetChild(1)->GetRollAngle(), 90, 1e-3);
  EXPECT_NEAR(b.Base.GetChild(5)->GetRollAngle(), 90, 1e-3);
  // Another gear than the scene was built for: the cage stands elsewhere, nothing moves.
  AnimateDerailleurScene(&b.Base, 0, 60);
  AnimateDerailleurScene(&b.Base, 2, 60);
  EXPECT_NEAR(b.Base.GetChild(0)->GetRollAngle(), 30, 1e-4);
  EXPECT_FALSE(b.Base.GetChild(5)->GetVisible());
  ShowDerailleurMarkers(&b.Base, true);
  EXPECT_TRUE(b.Base.GetChild(5)->GetVisible());
  // The chain one link short.
  TGLBaseSceneObject* chain = b.Base.GetChild(4);
  chain->Remove(chain->GetChild(0));
  AnimateDerailleurScene(&b.Base, 1, 60);
  EXPECT_NEAR(b.Base.GetChild(0)->GetRollAngle(), 30, 1e-4);
  // The pedals group emptied.
  TBuilt c;
  BuildDerailleurScene(&c.Base, &c.Lib, 1, 360, false);
  c.Base.GetChild(7)->DeleteChildren();
  AnimateDerailleurScene(&c.Base, 1, 60);
  ShowDerailleurMarkers(&c.Base, true);
  EXPECT_EQ(c.Base.GetChild(0)->GetRollAngle(), 0);
  EXPECT_FALSE(c.Base.GetChild(5)->GetVisible());
  TDummyCube empty;
  AnimateDerailleurScene(&empty, 1, 10);
  ShowDerailleurMarkers(&empty, true);
  AnimateDerailleurScene(nullptr, 1, 10);
  ShowDerailleurMarkers(nullptr, false);
  EXPECT_EQ(empty.GetCount(), 0);
}
