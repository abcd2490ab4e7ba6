#include <gtest/gtest.h>

#include <cmath>

#include "parts/BasicParts.h"
#include "topics/Toggles.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

TEST(ToggleLinkage, ValuesAlongTheTravel)
{
  struct TRow {
    Single T, Theta, Px, Py, Cx, Cy;
  };
  const TRow rows[] = {
      {0, 90, 0.2538f, 0.2124f, 0, 0.5f},
      {20, 76.34f, 0.4761f, 0.3482f, 0.1180f, 0.4859f},
      {40, 45.54f, 0.7314f, 0.3998f, 0.3502f, 0.3569f},
      {44, 31.79f, 0.7837f, 0.3992f, 0.4250f, 0.2634f},
  };
  for (const TRow& r : rows) {
    Single theta, px, py, cx, cy;
    ToggleLinkPositions(theta, px, py, r.T, cx, cy);
    EXPECT_NEAR(theta, r.Theta, 0.01f) << r.T;
    EXPECT_NEAR(px, r.Px, 1e-4f) << r.T;
    EXPECT_NEAR(py, r.Py, 1e-4f) << r.T;
    EXPECT_NEAR(cx, r.Cx, 1e-4f) << r.T;
    EXPECT_NEAR(cy, r.Cy, 1e-4f) << r.T;
  }
  // The closed pose stands exactly upright.
  Single theta, px, py, cx, cy;
  ToggleLinkPositions(theta, px, py, 0, cx, cy);
  EXPECT_EQ(theta, 90.0f);
  EXPECT_EQ(ToggleRepeatAngle(), 88);
}

// Inputs the linkage cannot reach hold it at the end of its travel, closed and finite.
TEST(ToggleLinkage, OutsideTheTravelItStaysClosed)
{
  const Single l = Single(std::sqrt(0.85 * 0.85 + 0.75 * 0.75)) - 0.75f;
  for (Single t : {-30.0f, -1.0f, 0.0f, 10.0f, 44.0f, 44.35f, 44.4f, 45.0f, 90.0f, 1e9f, NAN, INFINITY, -INFINITY}) {
    Single theta, px, py, cx, cy;
    ToggleLinkPositions(theta, px, py, t, cx, cy);
    ASSERT_TRUE(std::isfinite(theta) && std::isfinite(px) && std::isfinite(py) && std::isfinite(cx)
                && std::isfinite(cy))
        << t;
    EXPECT_NEAR(std::hypot(px - 0.75f, py + 0.35f), 0.75f, 1e-5f) << t;
    EXPECT_NEAR(std::hypot(cx, cy), 0.5f, 1e-5f) << t;
    EXPECT_NEAR(std::hypot(px - cx, py - cy), l, 2e-4f) << t;
  }
}

TEST(ToggleScene, TreeAndStartPose)
{
  TTopicScene s;
  BuildToggleScene(s.B(), &s.Lib);
  ASSERT_EQ(s.B()->GetCount(), 7);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 7);
  EXPECT_EQ(s.B()->GetChild(1)->GetCount(), 3);
  EXPECT_EQ(s.B()->GetChild(2)->GetCount(), 1);
  auto* coupler = s.B()->GetChildAs<TCToggleLink>(3);
  ASSERT_NE(coupler, nullptr);
  EXPECT_NEAR(coupler->Length, 0.38358f, 1e-5f);
  EXPECT_NEAR(coupler->LeverAngle, 48.5763f, 1e-3f);
  EXPECT_NEAR(coupler->GetRollAngle(), -48.58f, 0.01f);
  auto* plate = s.B()->GetChild(1)->GetChildAs<TBToggleLink>(0);
  EXPECT_NEAR(plate->CutAngle, 41.4237f, 1e-3f);
  EXPECT_NEAR(plate->GetRollAngle(), -48.5763f, 1e-3f);

  // The build stands as the animate procedure poses input 0: the spindle on the workpiece.
  const auto built = Pose(s.B());
  AnimateToggleScene(s.B(), 0);
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 1e-5f);
  EXPECT_EQ(s.B()->GetChild(0)->GetRollAngle(), 0.0f);
  TAffineVector spindleEnd = InScene(s.B()->GetChild(0), {-1.0f, -0.3f, 0});
  TAffineVector workTop = InScene(s.B()->GetChild(6), {0, 0.1f, 0});
  EXPECT_NEAR(spindleEnd[1], workTop[1], 1e-5f);
}

// Each pin is where both the links it joins put it, over the whole travel and beyond.
TEST(ToggleScene, LinksMeetAtTheirPins)
{
  TTopicScene s;
  BuildToggleScene(s.B(), &s.Lib);
  TGLBaseSceneObject* rocker = s.B()->GetChild(0);
  TGLBaseSceneObject* sides = s.B()->GetChild(1);
  auto* coupler = s.B()->GetChildAs<TCToggleLink>(3);
  for (Single t = -5; t <= 50; t += 0.5f) {
    AnimateToggleScene(s.B(), t);
    const TAffineVector c = InScene(rocker->GetChild(2), {0, 0, 0});
    const TAffineVector couplerEnd = InScene(coupler, {-coupler->Length, 0, 0});
    EXPECT_LT(Dist(c, couplerEnd), 2e-4) << t;
    const TAffineVector p = InScene(s.B()->GetChild(2), {0, 0, 0});
    for (Integer plate : {0, 1}) {
      TAffineVector end = InScene(sides->GetChild(plate), {-0.75f, 0, 0});
      EXPECT_NEAR(end[0], p[0], 1e-5f) << t;
      EXPECT_NEAR(end[1], p[1], 1e-5f) << t;
    }
    const TAffineVector couplerStart = InScene(coupler, {0, 0, 0});
    EXPECT_LT(Dist(p, couplerStart), 1e-6) << t;
  }
  // In the travel the side links turn by the input itself.
  AnimateToggleScene(s.B(), 20);
  EXPECT_EQ(sides->GetRollAngle(), -20.0f);
  EXPECT_NEAR(coupler->GetRollAngle(), -21.04f, 0.01f);
  AnimateToggleScene(s.B(), 44);
  EXPECT_NEAR(coupler->GetRollAngle(), 20.74f, 0.01f);
}

}   // namespace
