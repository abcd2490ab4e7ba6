#include <gtest/gtest.h>

#include <cmath>

#include "engine/GLExtrusion.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "topics/Motion.h"
#include "tests/topics/GearLinkTestSupport.h"
#include "topics/ScissorObjects.h"

namespace {

// --- roundabout ------------------------------------------------------------------------------

TEST(RoundaboutScene, TreeAndTurning)
{
  TTopicScene s;
  BuildRoundaboutScene(s.B(), &s.Lib);
  ASSERT_EQ(s.B()->GetCount(), 1);
  TGLBaseSceneObject* g = s.B()->GetChild(0);
  ASSERT_EQ(g->GetCount(), 16);
  for (Integer k = 1; k <= 5; ++k) {
    auto* panel = g->GetChildAs<TGLProxyObject>(1 + k);
    auto* bar = g->GetChildAs<TGLProxyObject>(7 + k);
    ASSERT_TRUE(panel && bar);
    EXPECT_EQ(panel->GetMasterObject(), g->GetChild(1));
    EXPECT_EQ(bar->GetMasterObject(), g->GetChild(7));
    EXPECT_FLOAT_EQ(bar->GetTurnAngle(), 60.0f * k);
  }
  // The hand bar: level from the post, round the bend, down to the ring at radius 1.1.
  auto* bar = g->GetChildAs<TPipe>(7);
  ASSERT_EQ(bar->GetNodes().GetCount(), 13);
  const TAffineVector top = InScene(bar, {0, 0.6f, 0}), foot = InScene(bar, {1.1f, 0, 0});
  EXPECT_NEAR(top[1], 0.1f, 1e-6f);
  EXPECT_NEAR(foot[1], InScene(g->GetChild(13), {0, 0, 0})[1] + 0.02f, 1e-6f);
  EXPECT_FLOAT_EQ(g->GetChild(15)->Scale.X, 0.2f);

  // One turn per 360 degrees, about the vertical.
  AnimateRoundaboutScene(s.B(), 90);
  const TAffineVector tip = InScene(bar, {1.1f, 0, 0});
  EXPECT_NEAR(tip[0], 0, 1e-5f);
  EXPECT_NEAR(tip[2], -1.1f, 1e-5f);
  const auto quarter = Pose(s.B());
  AnimateRoundaboutScene(s.B(), 450);
  EXPECT_LT(PoseDistance(quarter, Pose(s.B())), 1e-5f);
}

// --- escapement ------------------------------------------------------------------------------

TEST(EscapementScene, WheelCreepsLocksAndAdvancesOneTooth)
{
  EXPECT_EQ(EscapeWheelAngle(0), 0.0f);
  EXPECT_NEAR(EscapeWheelAngle(25), -0.2f, 1e-5f);
  EXPECT_NEAR(EscapeWheelAngle(170), -7.0f, 1e-5f);
  for (Single f = 180; f <= 210; f += 2.5f)
    EXPECT_NEAR(EscapeWheelAngle(f), -9.0f, 1e-5f) << f;   // locked
  EXPECT_NEAR(EscapeWheelAngle(360), -18.0f, 1e-5f);
  EXPECT_NEAR(EscapeWheelAngle(1440), -72.0f, 1e-4f);
  // It never goes back, and moves smoothly but for the two small drops of the pallet.
  Single last = EscapeWheelAngle(0);
  for (Single p = 0.05f; p <= 1440; p += 0.05f) {
    const Single a = EscapeWheelAngle(p);
    EXPECT_LE(a, last + 1e-4f) << p;
    const Single f = std::fmod(p, 360.0f);
    const bool drop = std::fabs(f - 120) < 0.06f || std::fabs(f - 240) < 0.06f;
    EXPECT_LT(last - a, drop ? 0.42f : 0.02f) << p;
    last = a;
  }
  // Ends of the formulas in the last half degree of a cycle stay on the last stretch.
  EXPECT_NEAR(EscapeWheelAngle(359.7f), -17.97f, 1e-3f);
  EXPECT_EQ(EscapeWheelAngle(NAN), 0.0f);
}

TEST(EscapementScene, TreeAndPoses)
{
  TTopicScene s;
  BuildEscapementScene(s.B(), &s.Lib);
  ASSERT_EQ(s.B()->GetCount(), 5);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 8);
  EXPECT_EQ(s.B()->GetChild(1)->GetCount(), 8);
  EXPECT_EQ(s.B()->GetChild(2)->GetCount(), 4);
  const auto built = Pose(s.B());
  AnimateEscapementScene(s.B(), 0);
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 1e-5f);
  auto* leaving = s.B()->GetChild(2)->GetChildAs<THelix>(0);
  EXPECT_EQ(leaving->Turns, 0.5f);
  EXPECT_FLOAT_EQ(s.B()->GetChild(4)->Position.Y, -1.016f);

  AnimateEscapementScene(s.B(), 195);
  EXPECT_NEAR(s.B()->GetChild(0)->GetRollAngle(), -9.0f, 1e-5f);
  EXPECT_NEAR(s.B()->GetChild(1)->GetRollAngle(), -2 * std::cos(195 * M_PI / 180), 1e-5f);
  EXPECT_NEAR(s.B()->GetChild(2)->GetRollAngle(), 3.6f, 1e-5f);
  EXPECT_NEAR(leaving->Turns, 0.49f, 1e-6f);
  EXPECT_NEAR(s.B()->GetChild(4)->Position.Y, -1.016f - 0.02f * 9 * M_PI / 180, 1e-6f);
}

// After the step bar's range the wheel, its spokes and pinion, the barrel's wheel and the
// pendulum look as at the start; only the cord and the weight go back at the wrap.
TEST(EscapementScene, RepeatAngleBringsTheTrainBack)
{
  TTopicScene s;
  BuildEscapementScene(s.B(), &s.Lib);
  AnimateEscapementScene(s.B(), Single(EscapementRepeatAngle));
  const Single wheel = s.B()->GetChild(0)->GetRollAngle();
  EXPECT_NEAR(std::remainder(wheel, 72.0f), 0, 1e-3f);   // five spokes, 20 teeth, 10 pinion teeth
  const Single barrel = s.B()->GetChild(2)->GetRollAngle();
  EXPECT_NEAR(std::remainder(barrel, 360.0f / 25), 0, 1e-3f);
  EXPECT_NEAR(s.B()->GetChild(1)->GetRollAngle(), -2.0f, 1e-5f);
}

// --- paper trimmer ---------------------------------------------------------------------------

TEST(GuillotineScene, CarriageRunsAndTheCardTips)
{
  TTopicScene s;
  BuildGuillotineScene(s.B(), &s.Lib);
  ASSERT_EQ(s.B()->GetCount(), 7);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 2);
  EXPECT_LE(s.B()->GetChild(1)->GetCount(), 1);   // the card, where the paper objects are built
  const auto built = Pose(s.B());
  AnimateGuillotineScene(s.B(), 0);
  EXPECT_EQ(built, Pose(s.B()));

  AnimateGuillotineScene(s.B(), 1.0f);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->Position.X, -0.2f);
  EXPECT_EQ(s.B()->GetChild(1)->GetRollAngle(), 0.0f);
  AnimateGuillotineScene(s.B(), 1.45f);
  EXPECT_EQ(s.B()->GetChild(1)->GetRollAngle(), 0.0f);
  AnimateGuillotineScene(s.B(), 1.6f);
  EXPECT_NEAR(s.B()->GetChild(1)->GetRollAngle(), 2.454f, 1e-4f);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->Position.X, -0.8f);
  // Back at the start everything stands as built.
  AnimateGuillotineScene(s.B(), 0);
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 1e-6f);
}

// The card's fold follows the blade, and stands at the card's ends before and after the cut,
// so going back to a travel gives the card it had there.
TEST(GuillotineScene, CardShapeFollowsTheTravelAlone)
{
  TTopicScene s;
  BuildGuillotineScene(s.B(), &s.Lib);
  auto* card = s.B()->GetChild(1)->GetChildAs<TCard>(0);
  ASSERT_NE(card, nullptr);
  AnimateGuillotineScene(s.B(), 0.3f);
  EXPECT_NEAR(card->Vertices[2][0], 0.45f, 1e-6f);
  AnimateGuillotineScene(s.B(), 1.0f);
  AnimateGuillotineScene(s.B(), 1.5f);
  EXPECT_NEAR(card->Vertices[2][0], -0.7f, 1e-6f);
  EXPECT_NEAR(card->Vertices[0][1], -0.06f, 1e-5f);
  AnimateGuillotineScene(s.B(), 0);
  EXPECT_NEAR(card->Vertices[2][0], 0.7f, 1e-6f);
  EXPECT_NEAR(card->Vertices[0][1], 0, 1e-6f);
  AnimateGuillotineScene(s.B(), 0.3f);
  EXPECT_NEAR(card->Vertices[2][0], 0.45f, 1e-6f);
}

// --- sewing machine --------------------------------------------------------------------------

struct TSewingJoints {
  TAffineVector CrankPin, RodTop, RodFoot, NeedleBar, LeverStart, LeverEnd, RockerEnd, Pivot;
};

TSewingJoints Joints(const TTopicScene& s)
{
  TGLBaseSceneObject* b = s.B();
  TSewingJoints j;
  j.CrankPin = InScene(b->GetChild(0), {-0.3f, 0, 0});
  j.RodTop = InScene(b->GetChild(1), {0, 0, 0});
  j.RodFoot = InScene(b->GetChild(1), {-0.5f, 0, 0});
  j.NeedleBar = InScene(b->GetChild(2), {0, 0, 0});
  j.LeverStart = InScene(b->GetChild(4), {0, 0, 0});
  j.LeverEnd = InScene(b->GetChild(4), {0.5f, 0, 0});
  j.RockerEnd = InScene(b->GetChild(3), {0.8f, 0, 0});
  j.Pivot = InScene(b->GetChild(3), {0, 0, 0});
  return j;
}

TEST(SewingMachineScene, TreeAndFixedNumbers)
{
  TTopicScene s;
  BuildSewingMachineScene(s.B(), &s.Lib);
  ASSERT_EQ(s.B()->GetCount(), 6);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 3);
  EXPECT_EQ(s.B()->GetChild(2)->GetCount(), 5);
  EXPECT_EQ(s.B()->GetChild(3)->GetCount(), 2);
  EXPECT_EQ(s.B()->GetChild(4)->GetCount(), 1);
  EXPECT_NEAR(RockerPivotX, -0.4464466f, 1e-6f);
  EXPECT_NEAR(RockerPivotY, 1.1535534f, 1e-6f);
  const auto built = Pose(s.B());
  AnimateSewingMachineScene(s.B(), 0);
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 2e-4f);

  AnimateSewingMachineScene(s.B(), 90);
  TSewingJoints j = Joints(s);
  EXPECT_NEAR(j.CrankPin[0], 0.3f, 1e-5f);
  EXPECT_NEAR(j.CrankPin[1], 0.5f, 1e-5f);
  EXPECT_NEAR(s.B()->GetChild(1)->GetRollAngle(), 53.13f, 1e-3f);
  for (Single phase : {0.0f, 180.0f}) {
    AnimateSewingMachineScene(s.B(), phase);
    EXPECT_NEAR(s.B()->GetChild(1)->GetRollAngle(), 90.0f, 1e-4f);
  }
  EXPECT_NEAR(s.B()->GetChild(2)->Position.Y, -0.3f, 1e-5f);
  AnimateSewingMachineScene(s.B(), 0);
  EXPECT_NEAR(s.B()->GetChild(2)->Position.Y, 0.3f, 1e-5f);
}

// The rod runs from the crank pin to the needle bar, the lever from the crank pin to the
// rocker's end, at every phase.
TEST(SewingMachineScene, LinkagesCloseAtEveryPhase)
{
  TTopicScene s;
  BuildSewingMachineScene(s.B(), &s.Lib);
  Single lowest = 1, highest = -1;
  for (Single phase = 0; phase < 720; phase += 2.5f) {
    AnimateSewingMachineScene(s.B(), phase);
    const TSewingJoints j = Joints(s);
    EXPECT_NEAR(j.RodTop[0], j.CrankPin[0], 1e-5f) << phase;
    EXPECT_NEAR(j.RodTop[1], j.CrankPin[1], 1e-5f) << phase;
    EXPECT_NEAR(j.RodFoot[0], 0, 1e-5f) << phase;
    EXPECT_NEAR(j.RodFoot[1], j.NeedleBar[1], 1e-5f) << phase;
    EXPECT_NEAR(j.LeverStart[0], j.CrankPin[0], 1e-5f) << phase;
    EXPECT_NEAR(j.LeverStart[1], j.CrankPin[1], 1e-5f) << phase;
    EXPECT_NEAR(j.LeverEnd[0], j.RockerEnd[0], 1e-4f) << phase;
    EXPECT_NEAR(j.LeverEnd[1], j.RockerEnd[1], 1e-4f) << phase;
    EXPECT_NEAR(j.Pivot[0], RockerPivotX, 1e-6f);
    lowest = std::min(lowest, j.NeedleBar[1]);
    highest = std::max(highest, j.NeedleBar[1]);
  }
  EXPECT_NEAR(highest - lowest, 0.6f, 1e-4f);
}

}   // namespace
