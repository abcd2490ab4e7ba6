#include <gtest/gtest.h>

#include "topics/CaliperBrake.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

TEST(BellCrankScene, TreeAndScale)
{
  TTopicScene s;
  BuildBellCrankScene(s.B(), &s.Lib);
  ASSERT_EQ(s.B()->GetCount(), 5);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 9);
  EXPECT_EQ(s.B()->GetChild(1)->GetCount(), 11);
  EXPECT_EQ(s.B()->GetChild(2)->GetCount(), 6);
  for (Integer i = 0; i < 3; ++i)
    EXPECT_FLOAT_EQ(s.B()->GetChild(i)->Scale.X, 2);
  // Arm A's pivot washer, doubled by its group's scale, is where the clamp hangs.
  const TAffineVector washer = InScene(s.B()->GetChild(0)->GetChild(8), {0, 0, 0});
  EXPECT_NEAR(washer[0], -0.635f, 1e-6);
  EXPECT_FLOAT_EQ(s.B()->GetChild(2)->Position.X, -0.635f);
}

TEST(BellCrankScene, SwingFollowsTheSine)
{
  TTopicScene s;
  BuildBellCrankScene(s.B(), &s.Lib);
  const auto built = Pose(s.B());
  for (Single phase : {0.0f, 180.0f, 360.0f, 720.0f}) {
    AnimateBellCrankScene(s.B(), 90);
    AnimateBellCrankScene(s.B(), phase);
    EXPECT_EQ(Pose(s.B()), built) << phase;
  }
  AnimateBellCrankScene(s.B(), 90);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetRollAngle(), -3);
  EXPECT_FLOAT_EQ(s.B()->GetChild(1)->GetRollAngle(), 3);
  EXPECT_FLOAT_EQ(s.B()->GetChild(2)->GetRollAngle(), 3);
  EXPECT_NEAR(s.B()->GetChild(2)->Position.Y, 0.0332f, 1e-4);
  AnimateBellCrankScene(s.B(), 270);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetRollAngle(), 3);
  EXPECT_NEAR(s.B()->GetChild(2)->Position.Y, -0.0332f, 1e-4);
  // The clamp keeps its x and stays on arm A's end within the swing's small-angle error.
  for (Single phase = 0; phase < 360; phase += 10) {
    AnimateBellCrankScene(s.B(), phase);
    EXPECT_FLOAT_EQ(s.B()->GetChild(2)->Position.X, -0.635f);
    const TAffineVector washer = InScene(s.B()->GetChild(0)->GetChild(8), {0, 0, 0});
    const TAffineVector clamp = InScene(s.B()->GetChild(2), {0, 0, 0});
    EXPECT_NEAR(washer[1], clamp[1], 1e-6) << phase;
    EXPECT_NEAR(washer[0], clamp[0], 1e-3) << phase;
  }
}

}   // namespace
