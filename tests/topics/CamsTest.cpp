#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/GLObjects.h"
#include "engine/GLStandardScene.h"
#include "tests/topics/ChainCamTestUtil.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "parts/CamDrum.h"
#include "topics/Cams.h"

namespace {

constexpr double Pi = TestPi;
using TBuilt = TBuiltScene;

Single FollowerY(TDummyCube& base) { return base.GetChild(1)->Position.Y; }

// How far the pear cam's outline reaches along the line of stroke at a cam angle: the cam
// is the hull of the base circle at the axis and the nose circle, which points away from
// the follower at angle 0. Found by halving on the hull's inside test.
double PearReach(double rb, double rn, double d, double angleDeg)
{
  double th = angleDeg * Pi / 180;
  // The nose centre in the frame where the follower is on +Y.
  double nx = d * std::sin(th), ny = -d * std::cos(th);
  auto inside = [&](double y) {
    // The hull of two discs is the union of the discs between them, radius running linearly.
    for (int k = 0; k <= 4000; ++k) {
      double t = k / 4000.0;
      double cx = t * nx, cy = t * ny, r = rb + t * (rn - rb);
      if (std::hypot(cx, y - cy) <= r)
        return true;
    }
    return false;
  };
  double lo = 0, hi = rb + rn + d;
  for (int i = 0; i < 40; ++i) {
    double mid = (lo + hi) / 2;
    (inside(mid) ? lo : hi) = mid;
  }
  return lo;
}

}   // namespace

TEST(CamLifts, EccentricCircle)
{
  for (Integer kind : {0, 1, 2, 3})
    for (Single p = 0; p <= 360; p += 15)
      EXPECT_NEAR(CircularCamLift(kind, 0.5f, 0, p), 0.5f, 1e-6) << kind << " " << p;
  for (Integer kind : {0, 1, 2}) {
    EXPECT_NEAR(CircularCamLift(kind, 0.5f, 0.25f, 0), 0.5f, 1e-6);
    EXPECT_NEAR(CircularCamLift(kind, 0.5f, 0.25f, 180), 0.0f, 1e-6);
  }
  EXPECT_NEAR(CircularCamLift(cfFlat, 0.5f, 0.25f, 60), 0.25 * 0.5 + 0.25, 1e-6);
  // A point follower meets the disc's edge on the line of stroke: the axis lies Offset below
  // the disc's start, and at angle a the disc's centre has turned about it.
  for (Single p = 0; p < 360; p += 7) {
    double th = p * Pi / 180, e = 0.1;
    double cx = -e * std::sin(th), cy = -e + e * std::cos(th);
    double y = CircularCamLift(cfPoint, 0.5f, Single(e), p);
    EXPECT_NEAR(std::hypot(cx, y - cy), 0.5, 1e-5) << p;
    EXPECT_GT(y, cy);
  }
  // Out of the controls' range the lift stays a number.
  EXPECT_TRUE(std::isfinite(CircularCamLift(cfRoller, 0.1f, 0.5f, 90)));
  EXPECT_TRUE(std::isfinite(CircularCamLift(cfRoller, 0, 0.5f, 90)));
}

TEST(CamLifts, PearCamFollowsItsOutline)
{
  const Single rb = 0.3f, rn = 0.14f, d = 0.25f;
  double alpha = std::asin(0.64) * 180 / Pi;
  for (Single p = 0; p <= 90 + alpha - 0.01; p += 5)
    EXPECT_FLOAT_EQ(CircularArcCamLift(rb, rn, d, p), rb) << p;
  EXPECT_NEAR(CircularArcCamLift(rb, rn, d, 180), 0.39, 1e-6);
  Single previous = CircularArcCamLift(rb, rn, d, 0);
  for (Single p = 0; p <= 360; p += 0.5f) {
    Single lift = CircularArcCamLift(rb, rn, d, p);
    EXPECT_NEAR(lift, CircularArcCamLift(rb, rn, d, 360 - p), 1e-5) << p;
    EXPECT_LT(std::fabs(lift - previous), 0.01) << p;   // no jumps between the pieces
    previous = lift;
  }
  for (auto [b, n] : {std::pair{0.3f, 0.14f}, {0.3f, 0.1f}, {0.3f, 0.2f}, {0.2f, 0.3f}})
    for (Single p = 0; p < 360; p += 11)
      EXPECT_NEAR(CircularArcCamLift(b, n, d, p), PearReach(b, n, d, p), 2e-4) << b << " " << n << " " << p;
  // The flat follower: on the base circle, then on the nose circle's top.
  EXPECT_FLOAT_EQ(CircularArcCamFlatLift(rb, rn, d, 30), rb);
  EXPECT_NEAR(CircularArcCamFlatLift(rb, rn, d, 180), 0.39, 1e-6);
  EXPECT_NEAR(CircularArcCamFlatLift(rb, rn, d, 150), rn - d * std::cos(150 * Pi / 180), 1e-6);
  EXPECT_FLOAT_EQ(CircularArcCamFlatLift(rb, rn, d, 330), rb);
  EXPECT_TRUE(std::isfinite(CircularArcCamLift(rb, rn, 0, 180)));
}

TEST(CamLifts, HeartCam)
{
  EXPECT_FLOAT_EQ(HeartCamLift(0, 0.1f, 0.25f), 0.25f);
  EXPECT_NEAR(HeartCamLift(Single(Pi), 0.1f, 0.25f), 0.25 + 0.1 * Pi, 1e-6);
  EXPECT_NEAR(HeartCamLift(Single(Pi / 2), 0.1f, 0.25f), 0.25 + 0.05 * Pi, 1e-6);
  EXPECT_NEAR(HeartCamLift(Single(1.5 * Pi), 0.1f, 0.25f), 0.25 + 0.05 * Pi, 1e-6);
  // The flat follower sits 180 x 0.0001 above the base at the start, and rides the tip from
  // 160 to 200 degrees.
  EXPECT_NEAR(HeartCamFlatLift(0, 0.1f, 0.25f), 0.268, 1e-6);
  for (Integer a : {160, 170, 180, 190, 200})
    EXPECT_NEAR(HeartCamFlatLift(a, 0.1f, 0.25f), std::fabs(std::cos(a * Pi / 180)) * (0.25 + 0.1 * Pi), 1e-5) << a;
  for (Integer a = 0; a <= 360; ++a) {
    EXPECT_GE(HeartCamFlatLift(a, 0.1f, 0.25f), 0.2675f - 1e-6);
    EXPECT_NEAR(HeartCamFlatLift(a, 0.1f, 0.25f), HeartCamFlatLift(360 - a, 0.1f, 0.25f), 1e-5);
  }
}

TEST(CamScenes, FollowersAndChildCounts)
{
  // Roller: stem, roller, pin, fork; flat: stem, foot, taper; point and radius: stem, tip.
  const std::pair<Integer, Integer> followers[] = {{0, 4}, {1, 3}, {2, 2}, {3, 2}, {7, 3}, {-1, 3}};
  for (auto [kind, parts] : followers) {
    TDummyCube g;
    AddCamFollower(&g, nullptr, kind, 0.1f);
    EXPECT_EQ(g.GetCount(), parts) << kind;
  }
  AddCamFollower(nullptr, nullptr, 0, 0.1f);

  TBuilt c13, c14, c15, c16, c11;
  BuildCircularCamScene(&c13.Base, &c13.Lib, 2, 0.5f, 0.1f, 0.2f, false);
  BuildPearCamScene(&c14.Base, &c14.Lib, 0, 0.3f, 0.14f, 0.25f, 0.2f, false);
  BuildHeartCamScene(&c15.Base, &c15.Lib, 1, 0.1f, 0.25f, 0.2f, false);
  BuildBoxCamScene(&c16.Base, &c16.Lib, false, 0.2f, 20);
  BuildLinearCamScene(&c11.Base, &c11.Lib);
  for (TDummyCube* b : {&c13.Base, &c14.Base, &c15.Base, &c11.Base})
    EXPECT_EQ(b->GetCount(), 3);
  EXPECT_EQ(c16.Base.GetCount(), 2);
  EXPECT_EQ(c13.Base.GetChild(0)->GetCount(), 3);
  EXPECT_EQ(c14.Base.GetChild(0)->GetCount(), 2);
  EXPECT_EQ(c15.Base.GetChild(0)->GetCount(), 2);
  EXPECT_EQ(c13.Base.GetChild(1)->GetCount(), 2);
  EXPECT_EQ(c14.Base.GetChild(1)->GetCount(), 4);
  EXPECT_EQ(c15.Base.GetChild(1)->GetCount(), 3);
  EXPECT_EQ(c16.Base.GetChild(0)->GetCount(), 3);
  EXPECT_EQ(c16.Base.GetChild(1)->GetCount(), 2);
  EXPECT_EQ(c11.Base.GetChild(1)->GetCount(), 4);
  // Start poses: the disc's centre at the origin with the axis Offset below; the heart's
  // flat follower a little above the base radius.
  EXPECT_NEAR(c13.Base.GetChild(0)->Position.Y, -0.1f, 1e-7);
  EXPECT_NEAR(FollowerY(c13.Base), 0.5f, 1e-7);
  EXPECT_NEAR(FollowerY(c14.Base), 0.3f, 1e-7);
  EXPECT_NEAR(FollowerY(c15.Base), 0.268f, 1e-6);
}

TEST(CamScenes, FollowerRidesTheLiftAsTheCamTurns)
{
  for (Integer kind : {0, 1, 2, 3, 9}) {
    SCOPED_TRACE(kind);
    TBuilt c13, c14, c15;
    BuildCircularCamScene(&c13.Base, &c13.Lib, kind, 0.5f, 0.25f, 0.2f, true);
    BuildPearCamScene(&c14.Base, &c14.Lib, kind, 0.3f, 0.14f, 0.25f, 0.2f, true);
    BuildHeartCamScene(&c15.Base, &c15.Lib, kind, 0.1f, 0.25f, 0.2f, true);
    for (Single p = 0; p <= 720; p += 17.5f) {
      AnimateCircularCamScene(&c13.Base, kind, 0.5f, 0.25f, p);
      AnimatePearCamScene(&c14.Base, kind, 0.3f, 0.14f, 0.25f, p);
      AnimateHeartCamScene(&c15.Base, kind, 0.1f, 0.25f, p);
      Single a = std::fmod(p, 360.0f);
      EXPECT_NEAR(FollowerY(c13.Base), CircularCamLift(kind, 0.5f, 0.25f, a), 1e-5) << p;
      Single pear =
          kind == cfFlat ? CircularArcCamFlatLift(0.3f, 0.14f, 0.25f, a) : CircularArcCamLift(0.3f, 0.14f, 0.25f, a);
      EXPECT_NEAR(FollowerY(c14.Base), pear, 1e-5) << p;
      Single heart =
          kind == cfFlat ? HeartCamFlatLift(Integer(a), 0.1f, 0.25f) : HeartCamLift(a * cPIdiv180, 0.1f, 0.25f);
      EXPECT_NEAR(FollowerY(c15.Base), heart, 1e-5) << p;
      for (TDummyCube* b : {&c13.Base, &c14.Base, &c15.Base}) {
        EXPECT_EQ(b->GetChild(0)->GetRollAngle(), p);
        EXPECT_EQ(b->GetChild(2)->GetRollAngle(), p);
      }
    }
    // Points at 90 and 180 degrees.
    AnimateHeartCamScene(&c15.Base, kind, 0.1f, 0.25f, 90);
    if (kind != cfFlat) {
      EXPECT_NEAR(FollowerY(c15.Base), 0.25 + 0.05 * Pi, 1e-5);
    }
    AnimatePearCamScene(&c14.Base, kind, 0.3f, 0.14f, 0.25f, 90);
    EXPECT_NEAR(FollowerY(c14.Base), 0.3, 1e-6);
    AnimatePearCamScene(&c14.Base, kind, 0.3f, 0.14f, 0.25f, 180);
    EXPECT_NEAR(FollowerY(c14.Base), 0.39, 1e-6);
  }
}

TEST(CamScenes, AnimateTestsWhatItAddresses)
{
  TBuilt c13, c14, c15;
  BuildCircularCamScene(&c13.Base, &c13.Lib, 0, 0.5f, 0.1f, 0.2f, false);
  BuildPearCamScene(&c14.Base, &c14.Lib, 0, 0.3f, 0.14f, 0.25f, 0.2f, false);
  BuildHeartCamScene(&c15.Base, &c15.Lib, 0, 0.1f, 0.25f, 0.2f, false);
  // Each cam's procedure on the others' scenes, and with other sizes than built.
  AnimatePearCamScene(&c13.Base, 0, 0.3f, 0.14f, 0.25f, 50);
  AnimateHeartCamScene(&c13.Base, 0, 0.1f, 0.25f, 50);
  AnimateCircularCamScene(&c13.Base, 0, 0.5f, 0.2f, 50);
  AnimateCircularCamScene(&c14.Base, 0, 0.5f, 0.1f, 50);
  AnimateHeartCamScene(&c14.Base, 0, 0.1f, 0.25f, 50);
  AnimatePearCamScene(&c14.Base, 0, 0.3f, 0.18f, 0.25f, 50);
  AnimateCircularCamScene(&c15.Base, 0, 0.5f, 0.1f, 50);
  AnimatePearCamScene(&c15.Base, 0, 0.3f, 0.14f, 0.25f, 50);
  AnimateHeartCamScene(&c15.Base, 0, 0.12f, 0.25f, 50);
  for (TDummyCube* b : {&c13.Base, &c14.Base, &c15.Base})
    EXPECT_EQ(b->GetChild(0)->GetRollAngle(), 0);
  // A follower group emptied.
  c14.Base.GetChild(1)->DeleteChildren();
  AnimatePearCamScene(&c14.Base, 0, 0.3f, 0.14f, 0.25f, 50);
  EXPECT_EQ(c14.Base.GetChild(0)->GetRollAngle(), 0);
  TDummyCube empty;
  AnimateCircularCamScene(&empty, 0, 0.5f, 0.1f, 1);
  AnimatePearCamScene(&empty, 0, 0.3f, 0.14f, 0.25f, 1);
  AnimateHeartCamScene(&empty, 0, 0.1f, 0.25f, 1);
  AnimateBoxCamScene(&empty, 0.2f, 20, 1);
  AnimateLinearCamScene(&empty, 1);
  ShowCircularCamMarkers(&empty, true);
  ShowPearCamMarkers(&empty, true);
  ShowHeartCamMarkers(&empty, true);
  ShowBoxCamMarkers(&empty, true);
  AnimateLinearCamScene(nullptr, 1);
  ShowBoxCamMarkers(nullptr, true);
  EXPECT_EQ(empty.GetCount(), 0);
}

TEST(BoxCamScene, PegFollowsTheGroove)
{
  // A groove cut where a plane tilted by the slot angle meets the drum swings R tan(angle)
  // either side, and its steepest slope across the drum's surface is the slot angle.
  for (const Single angle : {30.0f, 45.0f}) {
    SCOPED_TRACE(angle);
    const double swing = 0.3 * std::tan(angle * Pi / 180);
    TBuilt b;
    BuildBoxCamScene(&b.Base, &b.Lib, false, 0.3f, angle);
    auto* drum = b.Base.GetChild(0)->GetChildAs<THSCylinder>(0);
    ASSERT_NE(drum, nullptr);
    // The part swings its groove by its radius times the sine of its angle.
    const double drawn = drum->Radius * std::sin(drum->GrooveAngle * Pi / 180);
    EXPECT_NEAR(drawn, swing, 1e-5);
    EXPECT_NEAR(std::atan(drawn / drum->Radius) * 180 / Pi, angle, 1e-3);
    EXPECT_NEAR(drum->Length, 2 * (swing + 0.15), 1e-5);
    EXPECT_TRUE(drum->UseSideColour);
    Single lo = 1, hi = -1;
    for (Single p = 0; p <= 360; p += 5) {
      AnimateBoxCamScene(&b.Base, 0.3f, angle, p);
      Single x = b.Base.GetChild(1)->Position.X;
      lo = std::min(lo, x);
      hi = std::max(hi, x);
      EXPECT_EQ(b.Base.GetChild(0)->GetPitchAngle(), p);
      // The groove's centre line passes under the top of the turning drum right at the peg:
      // the drum's point at the top has ring angle 90 degrees plus or minus the phase.
      EXPECT_NEAR(x, swing * std::cos(p * Pi / 180), 1e-5);
      // Its narrow end on the groove's floor.
      EXPECT_NEAR(b.Base.GetChild(1)->Position.Y + b.Base.GetChild(1)->GetChild(0)->Position.Y - 0.05f, 0.3f - 0.05f,
                  1e-6);
    }
    EXPECT_NEAR(hi, swing, 1e-5);
    EXPECT_NEAR(lo, -swing, 1e-5);
    // Other sizes than built: nothing moves.
    AnimateBoxCamScene(&b.Base, 0.2f, angle, 30);
    AnimateBoxCamScene(&b.Base, 0.3f, angle - 5, 30);
    EXPECT_EQ(b.Base.GetChild(0)->GetPitchAngle(), 360);
  }
  TBuilt flat;
  BuildBoxCamScene(&flat.Base, &flat.Lib, true, 0.2f, 0);
  EXPECT_NEAR(flat.Base.GetChild(0)->GetChildAs<THSCylinder>(0)->Length, 0.3, 1e-6);
  for (Single p = 0; p < 360; p += 30) {
    AnimateBoxCamScene(&flat.Base, 0.2f, 0, p);
    EXPECT_EQ(flat.Base.GetChild(1)->Position.X, 0);
  }
  // The drum's own arrow count: the show-markers procedure checks the group it addresses.
  flat.Base.GetChild(0)->Remove(flat.Base.GetChild(0)->GetChild(2));
  ShowBoxCamMarkers(&flat.Base, false);
  AnimateBoxCamScene(&flat.Base, 0.2f, 0, 45);
  EXPECT_EQ(flat.Base.GetChild(0)->GetPitchAngle(), 330);
}

TEST(LinearCamScene, BarSlidesUnderTheRoller)
{
  TBuilt b;
  BuildLinearCamScene(&b.Base, &b.Lib);
  ASSERT_NE(b.Base.GetChildAs<TLinearCam>(0), nullptr);
  ASSERT_NE(b.Base.GetChildAs<TLinearPlate>(2), nullptr);
  EXPECT_NEAR(b.Base.GetChild(2)->Position.Y, -0.2f, 1e-7);
  const TLinearCam* bar = b.Base.GetChildAs<TLinearCam>(0);
  for (Single p = 0; p <= 180; p += 10) {
    AnimateLinearCamScene(&b.Base, p);
    Single x = b.Base.GetChild(0)->Position.X, y = FollowerY(b.Base);
    EXPECT_NEAR(x, 2 * p / 180, 1e-6);
    // The follower stands at x = 0, over the bar's point -x, whose top is the half cosine.
    double local = -x;
    double top = bar->Rise - bar->Rise * std::cos(-local / bar->Length * Pi);
    EXPECT_NEAR(y, top, 1e-5) << p;
  }
  AnimateLinearCamScene(&b.Base, 90);
  EXPECT_NEAR(b.Base.GetChild(0)->Position.X, 1.0, 1e-6);
  EXPECT_NEAR(FollowerY(b.Base), 0.2, 1e-6);
  AnimateLinearCamScene(&b.Base, 0);
  EXPECT_NEAR(FollowerY(b.Base), 0, 1e-7);
}
