#include <gtest/gtest.h>

#include "parts/BasicParts.h"
#include "topics/Linkages.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

TEST(ReverseMotionScene, PivotOffsetPlacesThePins)
{
  for (Integer offset : {-30, 0, 30}) {
    TTopicScene s;
    BuildReverseMotionScene(s.B(), &s.Lib, offset);
    ASSERT_EQ(s.B()->GetCount(), 1);
    TGLBaseSceneObject* g = s.B()->GetChild(0);
    ASSERT_EQ(g->GetCount(), 6);
    const Single p = 0.5f + 0.01f * Single(offset);
    EXPECT_NEAR(g->GetChild(2)->Position.Y, p, 1e-6);
    EXPECT_NEAR(g->GetChild(3)->Position.Y, p - 1, 1e-6);
    EXPECT_NEAR(g->GetChild(5)->Position.Y, p - 1, 1e-6);
  }
}

TEST(ReverseMotionScene, LinksStayLevelAndOnTheLeverEnds)
{
  TTopicScene s;
  BuildReverseMotionScene(s.B(), &s.Lib, 12);
  TGLBaseSceneObject* g = s.B()->GetChild(0);
  AnimateReverseMotionScene(s.B(), 90);
  EXPECT_FLOAT_EQ(g->GetRollAngle(), -45);
  EXPECT_FLOAT_EQ(g->GetChild(4)->GetRollAngle(), 45);
  EXPECT_FLOAT_EQ(g->GetChild(5)->GetRollAngle(), 225);
  for (Single phase = 0; phase <= 360; phase += 13) {
    AnimateReverseMotionScene(s.B(), phase);
    for (Integer link : {4, 5}) {
      // A link's far end is a link length along its own -X; level means same height.
      TAffineVector a = InScene(g->GetChild(link), {0, 0, 0});
      TAffineVector b = InScene(g->GetChild(link), {-1, 0, 0});
      EXPECT_NEAR(a[1], b[1], 1e-5) << phase;
      TAffineVector pin = InScene(g->GetChild(link == 4 ? 2 : 3), {0, 0, 0});
      EXPECT_NEAR(a[0], pin[0], 1e-5);
      EXPECT_NEAR(a[1], pin[1], 1e-5);
    }
  }
}

// Where the connecting rod ends and where the treadle's pin stands, in the scene.
void RodAndTreadle(const TTopicScene& s, TAffineVector& rodEnd, TAffineVector& treadlePin)
{
  auto* rod = s.B()->GetChildAs<TLinkage>(1);
  rodEnd = InScene(rod, {-rod->Length, 0, 0});
  treadlePin = InScene(s.B()->GetChild(0)->GetChild(1), {0, 0, 0});
}

TEST(TreadleScene, StartPose)
{
  TTopicScene s;
  BuildTreadleScene(s.B(), &s.Lib, true, 0.15f);
  ASSERT_EQ(s.B()->GetCount(), 5);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 3);
  EXPECT_EQ(s.B()->GetChild(2)->GetCount(), 3);
  EXPECT_EQ(s.B()->GetChild(3)->GetCount(), 9);
  EXPECT_EQ(s.B()->GetChild(4)->GetCount(), 3);
  TGLBaseSceneObject* rod = s.B()->GetChild(1);
  EXPECT_NEAR(rod->GetRollAngle(), 84.29f, 0.01f);
  EXPECT_FLOAT_EQ(rod->Position.X, 0.15f);
  EXPECT_FLOAT_EQ(rod->Position.Y, 0.75f);
  const auto built = Pose(s.B());
  AnimateTreadleScene(s.B(), 0.15f, 0);
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 1e-5);
  // The crank runs from its centre out to the pin the rod starts from.
  auto* crank = s.B()->GetChild(2)->GetChildAs<TLinkage>(0);
  EXPECT_EQ(crank->Placement, lpFromOriginPlusX);

  EXPECT_FALSE(s.B()->GetChild(3)->GetVisible());
  EXPECT_FALSE(s.B()->GetChild(4)->GetVisible());
  ShowTreadleLinkageOnly(s.B(), false);
  EXPECT_TRUE(s.B()->GetChild(3)->GetVisible());
  EXPECT_TRUE(s.B()->GetChild(4)->GetVisible());
}

TEST(TreadleScene, RodMeetsTheTreadleAtEveryPhase)
{
  for (Single crank : {0.1f, 0.15f, 0.22f, 0.3f}) {
    TTopicScene s;
    BuildTreadleScene(s.B(), &s.Lib, false, crank);
    for (Single phase = 0; phase < 720; phase += 7.5f) {
      AnimateTreadleScene(s.B(), crank, phase);
      TAffineVector rodEnd, pin;
      RodAndTreadle(s, rodEnd, pin);
      EXPECT_NEAR(rodEnd[0], pin[0], 1e-4) << crank << " at " << phase;
      EXPECT_NEAR(rodEnd[1], pin[1], 1e-4) << crank << " at " << phase;
      // The rod starts on the crank pin.
      TAffineVector crankPin = InScene(s.B()->GetChild(2)->GetChild(1), {0, 0, 0});
      TAffineVector rodStart = InScene(s.B()->GetChild(1), {0, 0, 0});
      EXPECT_NEAR(rodStart[0], crankPin[0], 1e-5);
      EXPECT_NEAR(rodStart[1], crankPin[1], 1e-5);
      // The foot plate rocks with the treadle.
      EXPECT_FLOAT_EQ(s.B()->GetChild(4)->GetRollAngle(), s.B()->GetChild(0)->GetRollAngle());
    }
  }
}

TEST(TreadleScene, LengthsThatCannotCloseStayFinite)
{
  TTopicScene s;
  BuildTreadleScene(s.B(), &s.Lib, true, 1.2f);
  for (Single phase = 0; phase < 360; phase += 30) {
    AnimateTreadleScene(s.B(), 1.2f, phase);
    for (Single v : Pose(s.B()))
      ASSERT_TRUE(std::isfinite(v)) << phase;
  }
  const auto before = Pose(s.B());
  AnimateTreadleScene(s.B(), NAN, 10);
  AnimateTreadleScene(s.B(), 0.15f, INFINITY);
  EXPECT_EQ(Pose(s.B()), before);
}

}   // namespace
