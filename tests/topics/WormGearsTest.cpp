#include <gtest/gtest.h>

#include "parts/BasicParts.h"
#include "topics/GearCogs.h"
#include "topics/WormGears.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

TEST(WormGearScene, TreeMarkersAndReset)
{
  TTopicScene s;
  BuildWormGearScene(s.B(), &s.Lib, 10, false);
  EXPECT_EQ(WormWheelAdvance(s.B()), 0);
  ASSERT_EQ(s.B()->GetCount(), 10);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 3);
  EXPECT_EQ(s.B()->GetChild(1)->GetCount(), 5);
  const Single r = 10 * 0.15f / 6.283185f;
  EXPECT_NEAR(s.B()->GetChild(0)->Position.Y, r + 0.105f, 1e-6);
  EXPECT_FALSE(s.B()->GetChild(2)->GetVisible());
  ShowWormGearMarkers(s.B(), true);
  EXPECT_TRUE(s.B()->GetChild(2)->GetVisible() && s.B()->GetChild(3)->GetVisible());
}

TEST(WormGearScene, WheelAngleAcrossTheWrap)
{
  TTopicScene s;
  BuildWormGearScene(s.B(), &s.Lib, 10, false);
  AnimateWormGearScene(s.B(), 10, 700);
  EXPECT_FLOAT_EQ(s.B()->GetChild(1)->GetRollAngle(), -70);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetPitchAngle(), 700);
  EXPECT_FLOAT_EQ(s.B()->GetChild(3)->GetRollAngle(), 700);

  // The pose just before the wrap and just after it are the same.
  AnimateWormGearScene(s.B(), 10, 720);
  const auto before = Pose(s.B());
  AdvanceWormWheel(s.B(), 720.0f / 10);
  EXPECT_FLOAT_EQ(WormWheelAdvance(s.B()), 72);
  AnimateWormGearScene(s.B(), 10, 0);
  EXPECT_FLOAT_EQ(s.B()->GetChild(1)->GetRollAngle(), -72);
  EXPECT_LT(PoseDistance(before, Pose(s.B())), 1e-4);

  // Dragging repeats the same angles and leaves the kept angle alone.
  AnimateWormGearScene(s.B(), 10, 360);
  const auto at360 = Pose(s.B());
  AnimateWormGearScene(s.B(), 10, 100);
  AnimateWormGearScene(s.B(), 10, 360);
  EXPECT_LT(PoseDistance(at360, Pose(s.B())), 1e-4);
  EXPECT_FLOAT_EQ(WormWheelAdvance(s.B()), 72);

  // A new build starts the wheel from where it was made, whatever the last one reached.
  TTopicScene fresh;
  BuildWormGearScene(fresh.B(), &fresh.Lib, 10, false);
  EXPECT_EQ(WormWheelAdvance(fresh.B()), 0);
  AnimateWormGearScene(fresh.B(), 10, 0);
  EXPECT_FLOAT_EQ(fresh.B()->GetChild(1)->GetRollAngle(), 0);
}

TEST(WormGearScene, AdvanceWrapsAboveAFullTurn)
{
  TTopicScene s;
  BuildWormGearScene(s.B(), &s.Lib, 10, false);
  for (int i = 0; i < 5; ++i)
    AdvanceWormWheel(s.B(), 72);
  EXPECT_FLOAT_EQ(WormWheelAdvance(s.B()), 360);
  AdvanceWormWheel(s.B(), 72);
  EXPECT_FLOAT_EQ(WormWheelAdvance(s.B()), 72);
  // Steps no clock produces still leave the angle within a turn.
  AdvanceWormWheel(s.B(), 5000);
  EXPECT_GE(WormWheelAdvance(s.B()), 0);
  EXPECT_LE(WormWheelAdvance(s.B()), 360);
  const Single kept = WormWheelAdvance(s.B());
  AdvanceWormWheel(s.B(), NAN);
  EXPECT_EQ(WormWheelAdvance(s.B()), kept);
  // Another scene has no wheel to carry on.
  TTopicScene other;
  AdvanceWormWheel(other.B(), 72);
  EXPECT_EQ(WormWheelAdvance(other.B()), 0);
}

// The worm's thread, where it crosses under the worm, stays over a gap of the wheel.
TEST(WormGearScene, ThreadStaysInAGap)
{
  for (Integer teeth : {10, 23, 40}) {
    TTopicScene s;
    BuildWormGearScene(s.B(), &s.Lib, teeth, false);
    auto* worm = s.B()->GetChild(0)->GetChildAs<TWorm>(0);
    auto* wheel = s.B()->GetChild(1)->GetChildAs<TWormWheel>(0);
    ASSERT_TRUE(worm && wheel);
    const double p = CogPitch, r = CogRadius(teeth);
    for (int wraps = 0; wraps < 3; ++wraps) {
      for (Single phase = 0; phase < 720; phase += 41.7f) {
        AnimateWormGearScene(s.B(), teeth, phase);
        // Straight down, in the worm's own space: the angle there picks the thread's x.
        TMatrix inv = MatrixInvert(worm->AbsoluteMatrix());
        TAffineVector down = VectorRotate({0, -1, 0}, inv);
        double phi = std::atan2(down[2], down[1]);
        double x = p / 8 + p * (phi - M_PI) / (2 * M_PI);
        double rad = worm->RootRadius;
        TAffineVector q = InScene(worm, {Single(x), Single(rad * std::cos(phi)), Single(rad * std::sin(phi))});
        // The wheel's gap centres lie at (360k + 225)/n degrees of its own layout.
        double best = -1e9, gapX = 0;
        for (Integer k = 0; k < teeth; ++k) {
          double a = (360.0 * k + 225.0) / teeth * M_PI / 180;
          TAffineVector g = InScene(wheel, {Single(r * std::cos(a)), Single(r * std::sin(a)), 0});
          if (g[1] > best) {
            best = g[1];
            gapX = r * std::atan2(g[0], g[1]);
          }
        }
        EXPECT_NEAR(Centred(q[0] - gapX, p), 0, 2e-3) << teeth << " teeth, phase " << phase;
      }
      AdvanceWormWheel(s.B(), 720.0f / Single(teeth));
    }
  }
}

}   // namespace
