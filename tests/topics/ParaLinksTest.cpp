#include <gtest/gtest.h>

#include "topics/ParaLinks.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

TEST(ParallelLinkScene, TreeAndStartPose)
{
  TTopicScene s;
  BuildParallelLinkScene(s.B(), &s.Lib);
  ASSERT_EQ(s.B()->GetCount(), 2);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 4);
  auto* proxy = s.B()->GetChildAs<TGLProxyObject>(1);
  ASSERT_NE(proxy, nullptr);
  EXPECT_EQ(proxy->GetMasterObject(), s.B()->GetChild(0));
  EXPECT_EQ(proxy->GetProxyOptions(), pooObjects);
  // Built as phase 0 and phase 180 pose it.
  const auto built = Pose(s.B());
  AnimateParallelLinkScene(s.B(), 0);
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 1e-5);
  AnimateParallelLinkScene(s.B(), 180);
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 1e-5);
}

TEST(ParallelLinkScene, QuarterPhase)
{
  TTopicScene s;
  BuildParallelLinkScene(s.B(), &s.Lib);
  AnimateParallelLinkScene(s.B(), 90);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetRollAngle(), 60);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetChild(1)->GetRollAngle(), -60);
  TGLBaseSceneObject* proxy = s.B()->GetChild(1);
  EXPECT_NEAR(proxy->Position.X, -9.330f, 1e-3);
  EXPECT_NEAR(proxy->Position.Y, 2.5f, 1e-4);
  EXPECT_FLOAT_EQ(proxy->Position.W, 1);
  EXPECT_FLOAT_EQ(proxy->GetRollAngle(), 240);
}

// The four links close a parallelogram: the copy's rocker hangs from the far end of the
// level link down to a fixed pivot at (-5, 0).
TEST(ParallelLinkScene, ParallelogramClosesAtEveryPhase)
{
  TTopicScene s;
  BuildParallelLinkScene(s.B(), &s.Lib);
  TGLBaseSceneObject* g = s.B()->GetChild(0);
  TGLBaseSceneObject* proxy = s.B()->GetChild(1);
  for (Single phase = 0; phase < 360; phase += 11) {
    AnimateParallelLinkScene(s.B(), phase);
    TAffineVector levelEnd = InScene(g->GetChild(1), {-ParaLinkLength, 0, 0});
    // Turned half round, the copy's joint end is its foot and its pivot end its top.
    TAffineVector copyTop = InProxy(proxy, g->GetChild(0), {-ParaLinkLength, 0, 0});
    TAffineVector copyFoot = InProxy(proxy, g->GetChild(0), {0, 0, 0});
    EXPECT_NEAR(levelEnd[0], copyTop[0], 1e-4) << phase;
    EXPECT_NEAR(levelEnd[1], copyTop[1], 1e-4) << phase;
    EXPECT_NEAR(copyFoot[0], -ParaLinkLength, 1e-4) << phase;
    EXPECT_NEAR(copyFoot[1], 0, 1e-4) << phase;
    // The level link keeps its direction.
    TAffineVector levelStart = InScene(g->GetChild(1), {0, 0, 0});
    EXPECT_NEAR(levelStart[1], levelEnd[1], 1e-4);
  }
}

}   // namespace
