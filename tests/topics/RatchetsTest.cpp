#include <gtest/gtest.h>

#include "topics/Ratchets.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

Single Pawl(const TTopicScene& s) { return s.B()->GetChild(1)->GetRollAngle(); }

TEST(RatchetScene, TreeAndScale)
{
  TTopicScene s;
  BuildRatchetScene(s.B(), &s.Lib);
  ASSERT_EQ(s.B()->GetCount(), 2);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 3);
  EXPECT_EQ(s.B()->GetChild(1)->GetCount(), 2);
  for (Integer i : {0, 1})
    EXPECT_FLOAT_EQ(s.B()->GetChild(i)->Scale.X, 2);
  EXPECT_FLOAT_EQ(s.B()->GetChild(1)->Position.Y, 0.5466198f);
}

TEST(RatchetScene, PawlRidesEachToothAndDrops)
{
  TTopicScene s;
  BuildRatchetScene(s.B(), &s.Lib);
  AnimateRatchetScene(s.B(), true, 9);
  EXPECT_NEAR(Pawl(s), -3.5625f, 1e-4);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetRollAngle(), 9);
  AnimateRatchetScene(s.B(), true, 18);
  EXPECT_NEAR(Pawl(s), 0, 1e-5);
  AnimateRatchetScene(s.B(), true, 17.99f);
  EXPECT_LT(Pawl(s), -7.1f);
  EXPECT_GT(Pawl(s), -7.125017f);
  for (Single phase : {0.0f, 55.0f, 200.0f}) {
    AnimateRatchetScene(s.B(), false, phase);
    EXPECT_FLOAT_EQ(Pawl(s), -15);
  }
  // Below zero the pawl still rides the tooth under it, never into the wheel.
  AnimateRatchetScene(s.B(), true, -9);
  EXPECT_NEAR(Pawl(s), -3.5625f, 1e-4);
  AnimateRatchetScene(s.B(), true, NAN);
  EXPECT_TRUE(std::isfinite(Pawl(s)));
}

TEST(RatchetScene, RepeatAngleBringsEverythingBack)
{
  TTopicScene a, b;
  BuildRatchetScene(a.B(), &a.Lib);
  BuildRatchetScene(b.B(), &b.Lib);
  AnimateRatchetScene(a.B(), true, 0);
  AnimateRatchetScene(b.B(), true, 90);
  AnimateRatchetScene(b.B(), true, Single(RatchetRepeatAngle));
  EXPECT_LT(PoseDistance(Pose(a.B()), Pose(b.B())), 1e-5);
}

}   // namespace
