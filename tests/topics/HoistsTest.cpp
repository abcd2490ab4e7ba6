#include "topics/Hoists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "engine/GLBezier.h"
#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/BarrowObjects.h"
#include "tests/topics/PulleyTopicsTestSupport.h"

namespace {

TEST(HoistsTest, ChildCountsPerSheaveCount)
{
  const Integer counts[5] = {0, 5, 6, 7, 8};
  for (Integer n = 1; n <= 4; ++n) {
    TSceneFixture f;
    BuildPulleyHoistScene(f.Get(), &f.Lib, n);
    ASSERT_EQ(f->GetCount(), counts[n]) << n;
    auto* rope = dynamic_cast<TRope*>(f->GetChild(1));
    ASSERT_NE(rope, nullptr);
    EXPECT_EQ(rope->SheaveCount, n);
    EXPECT_FLOAT_EQ(rope->Drop, 1.7f);
    EXPECT_EQ(f->GetChild(0)->GetCount(), 1);
    EXPECT_EQ(f->GetChild(2)->GetCount(), n == 1 ? 1 : 2);
    EXPECT_EQ(f->GetChild(3)->GetCount(), n == 1 ? 0 : 1);
    for (Integer i = 4; i < counts[n]; ++i)
      EXPECT_EQ(f->GetChild(i)->GetCount(), 7);
    // One sheave: the weight hangs under the rope's left fall.
    EXPECT_FLOAT_EQ(f->GetChild(2)->Position.X, n == 1 ? -0.18f : 0.0f);
  }
}

TEST(HoistsTest, FramesAndSheavesStandWhereTheRopeRuns)
{
  TSceneFixture f;
  BuildPulleyHoistScene(f.Get(), &f.Lib, 4);
  auto* top = static_cast<TOpenBox*>(At(f.Get(), {0, 0}));
  EXPECT_NEAR(top->SizeX, 0.775, 1e-6);
  EXPECT_NEAR(top->Position.Y, -0.1575, 1e-6);
  auto* lower = static_cast<TOpenBox*>(At(f.Get(), {3, 0}));
  EXPECT_NEAR(lower->Position.Y, 0.1575, 1e-6);
  EXPECT_FLOAT_EQ(f->GetChild(6)->Position.Y, 0.74f);
  EXPECT_FLOAT_EQ(f->GetChild(7)->Position.Y, -0.24f);
  auto* small = static_cast<TVPulley*>(At(f.Get(), {6, 0}));
  EXPECT_FLOAT_EQ(small->RadiusA, 0.135f);
  EXPECT_FLOAT_EQ(small->InnerRadius, 0.108f);
  // The four spoke copies go before the spoke and stand at 72 degree steps.
  for (Integer k = 1; k <= 4; ++k) {
    auto* copy = dynamic_cast<TGLProxyObject*>(At(f.Get(), {4, 1 + k}));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetMasterObject(), At(f.Get(), {4, 6}));
    EXPECT_FLOAT_EQ(copy->GetRollAngle(), 72.0f * k);
  }
  // The weight's volume grows with the load.
  auto* weight = static_cast<TFrustrum*>(At(f.Get(), {2, 0}));
  EXPECT_NEAR(weight->GetBaseWidth(), 0.3 * std::cbrt(4.0), 1e-5);
  EXPECT_NEAR(weight->Position.Y + weight->GetHeight(), -0.3, 1e-5);
}

TEST(HoistsTest, LiftRaisesTheLowerBlockByLiftOverN)
{
  for (Integer n = 1; n <= 4; ++n) {
    TSceneFixture f;
    BuildPulleyHoistScene(f.Get(), &f.Lib, n);
    for (Single lift : {0.0f, 0.5f, 1.8f}) {
      AnimatePulleyHoistScene(f.Get(), n, lift);
      const Single yL = lift / n - 0.6f;
      EXPECT_NEAR(f->GetChild(2)->Position.Y, yL, 1e-6);
      EXPECT_NEAR(f->GetChild(3)->Position.Y, yL, 1e-6);
      if (n >= 2) {
        EXPECT_NEAR(f->GetChild(5)->Position.Y, yL, 1e-6);
      }
      EXPECT_NEAR(f->GetChild(4)->GetRollAngle(), -57.29578 * lift / 0.18, 1e-3);
      EXPECT_FLOAT_EQ(static_cast<TRope*>(f->GetChild(1))->Extent, lift);
    }
  }
  // Four sheaves at 1.8: risen 0.45, the lower small sheave at 0.21.
  TSceneFixture f;
  BuildPulleyHoistScene(f.Get(), &f.Lib, 4);
  AnimatePulleyHoistScene(f.Get(), 4, 1.8f);
  EXPECT_NEAR(f->GetChild(2)->Position.Y, -0.15, 1e-6);
  EXPECT_NEAR(f->GetChild(7)->Position.Y, 0.21, 1e-6);
  EXPECT_NEAR(f->GetChild(5)->GetRollAngle(), -0.75 * 57.29578 * 1.8 / 0.18, 1e-3);
  EXPECT_NEAR(f->GetChild(6)->GetRollAngle(), -2 * 57.29578 * 1.8 / (4 * 0.135), 1e-3);
  EXPECT_NEAR(f->GetChild(7)->GetRollAngle(), -57.29578 * 1.8 / (4 * 0.135), 1e-3);
  TSceneFixture three;
  BuildPulleyHoistScene(three.Get(), &three.Lib, 3);
  AnimatePulleyHoistScene(three.Get(), 3, 0.9f);
  EXPECT_NEAR(three->GetChild(5)->GetRollAngle(), -2.0 / 3 * 57.29578 * 0.9 / 0.18, 1e-3);
  EXPECT_NEAR(three->GetChild(6)->GetRollAngle(), -57.29578 * 0.9 / (3 * 0.135), 1e-3);
}

// Every sheave turns with its rope, without slipping: its rim travels half the difference of
// what its two falls travel (a fixed sheave's falls run opposite ways at one speed). With the
// hand pulling L and the lower block rising L/N, the rope's runs travel L over the top sheave;
// for N = 2 the loop under the lower sheave runs L on one fall and 0 on the fall tied to the top
// block; for N = 3 L and -L/3 round the lower sheave, -L/3 and +L/3 (tied to the lower block)
// round the top small one; for N = 4 L and -L/2, -L/2 and L/2, L/2 and 0.
TEST(HoistsTest, EverySheaveRollsWithItsRope)
{
  struct TCase {
    Integer N;
    double Rim[4];   // rim travel over L of children 4 to 7
  };
  const TCase cases[] = {{1, {1, 0, 0, 0}},
                         {2, {1, 0.5, 0, 0}},
                         {3, {1, 2.0 / 3, 1.0 / 3, 0}},
                         {4, {1, 0.75, 0.5, 0.25}}};
  const double radius[4] = {0.18, 0.18, 0.135, 0.135};
  const Single lift = 1.2f;
  for (const TCase& c : cases) {
    TSceneFixture f;
    BuildPulleyHoistScene(f.Get(), &f.Lib, c.N);
    AnimatePulleyHoistScene(f.Get(), c.N, lift);
    for (Integer i = 4; i < f->GetCount(); ++i) {
      const double turned = -f->GetChild(i)->GetRollAngle() * M_PI / 180;
      EXPECT_NEAR(turned * radius[i - 4], c.Rim[i - 4] * lift, 1e-5) << "N " << c.N << ", sheave " << i;
    }
  }
}

TEST(HoistsTest, AnimateTestsTheSheavesItAddresses)
{
  // Built for one sheave (five children), called for four: a pose read for four sheaves would address child 7.
  TSceneFixture f;
  BuildPulleyHoistScene(f.Get(), &f.Lib, 1);
  const TPose before = Snapshot(f.Get());
  for (Integer n : {2, 3, 4})
    AnimatePulleyHoistScene(f.Get(), n, 1.0f);
  EXPECT_EQ(PoseDifference(before, Snapshot(f.Get())), "");
  TSceneFixture four;
  BuildPulleyHoistScene(four.Get(), &four.Lib, 4);
  const TPose fourBefore = Snapshot(four.Get());
  AnimatePulleyHoistScene(four.Get(), 1, 1.0f);
  AnimatePulleyHoistScene(four.Get(), 2, 1.0f);
  EXPECT_EQ(PoseDifference(fourBefore, Snapshot(four.Get())), "");
}

TEST(HoistsTest, SheaveCountsOutsideOneToFourTakeTheNearest)
{
  TSceneFixture zero, five;
  BuildPulleyHoistScene(zero.Get(), &zero.Lib, 0);
  BuildPulleyHoistScene(five.Get(), &five.Lib, 5);
  EXPECT_EQ(zero->GetCount(), 5);
  EXPECT_EQ(five->GetCount(), 8);
  // No division by zero sheaves: the weight stays finite.
  AnimatePulleyHoistScene(zero.Get(), 0, 1.0f);
  EXPECT_NEAR(zero->GetChild(2)->Position.Y, 0.4, 1e-6);
  AnimatePulleyHoistScene(five.Get(), 5, 1.0f);
  EXPECT_NEAR(five->GetChild(2)->Position.Y, -0.35, 1e-6);
}

TEST(HoistsTest, HoistPoseDependsOnlyOnLift)
{
  TSceneFixture direct, stepped;
  BuildPulleyHoistScene(direct.Get(), &direct.Lib, 4);
  BuildPulleyHoistScene(stepped.Get(), &stepped.Lib, 4);
  AnimatePulleyHoistScene(direct.Get(), 4, 1.23f);
  for (Integer k = 0; k <= 180; ++k)
    AnimatePulleyHoistScene(stepped.Get(), 4, 0.01f * Single(k));
  AnimatePulleyHoistScene(stepped.Get(), 4, 1.23f);
  EXPECT_EQ(PoseDifference(Snapshot(direct.Get()), Snapshot(stepped.Get()), 1e-4), "");
}

TEST(HoistsTest, InclinedPlaneBuild)
{
  TSceneFixture f;
  BuildInclinedPlaneScene(f.Get(), &f.Lib, 10);
  ASSERT_EQ(f->GetCount(), 1);
  TGLBaseSceneObject* g = f->GetChild(0);
  ASSERT_EQ(g->GetCount(), 17);
  EXPECT_FLOAT_EQ(g->GetRollAngle(), 10);
  auto* cart = dynamic_cast<TAsymBox*>(g->GetChild(0));
  ASSERT_NE(cart, nullptr);
  EXPECT_EQ(cart->GetCount(), 7);
  EXPECT_FLOAT_EQ(cart->Position.X, -0.75f);
  EXPECT_FLOAT_EQ(cart->Corners[6][2], 0.2f);
  EXPECT_NE(dynamic_cast<TLines*>(g->GetChild(1)), nullptr);
  EXPECT_FLOAT_EQ(g->GetChild(2)->GetRollAngle(), -10);
  EXPECT_FLOAT_EQ(g->GetChild(3)->Position.X, -0.1f);
  EXPECT_FLOAT_EQ(g->GetChild(4)->Position.X, -0.7f);
  EXPECT_FLOAT_EQ(g->GetChild(3)->GetRollAngle(), -10);
  for (Integer k = 1; k <= 9; ++k) {
    auto* sleeper = dynamic_cast<TGLProxyObject*>(g->GetChild(7 + k));
    ASSERT_NE(sleeper, nullptr);
    EXPECT_NEAR(sleeper->Position.X, -0.95 + 0.2 * k, 1e-6);
  }
  // The axle's copy carries the master's own placement: it stands at 0.24 - 0.12.
  auto* axleCopy = dynamic_cast<TGLProxyObject*>(cart->GetChild(6));
  ASSERT_NE(axleCopy, nullptr);
  EXPECT_NE(axleCopy->GetProxyOptions() & pooTransformation, 0);
  // Every wheel faces outwards over its own rail: the far copy is turned like its master.
  for (Integer i : {1, 2, 3, 4})
    EXPECT_NEAR(cart->GetChild(i)->DirectionVector()[2], cart->GetChild(i)->Position.Z > 0 ? 1 : -1, 1e-6) << i;
}

TEST(HoistsTest, InclinedPlaneRunsAndTilts)
{
  TSceneFixture f;
  BuildInclinedPlaneScene(f.Get(), &f.Lib, 10);
  TGLBaseSceneObject* g = f->GetChild(0);
  EXPECT_FLOAT_EQ(InclinedPlaneCartX(0), -0.75f);
  EXPECT_FLOAT_EQ(InclinedPlaneCartX(400), 0.75f);
  AnimateInclinedPlaneScene(f.Get(), 400);
  for (Integer i : {0, 1, 2})
    EXPECT_FLOAT_EQ(g->GetChild(i)->Position.X, 0.75f);
  EXPECT_FLOAT_EQ(g->GetChild(3)->Position.X, 1.4f);
  EXPECT_FLOAT_EQ(g->GetChild(4)->Position.X, 0.8f);
  AnimateInclinedPlaneScene(f.Get(), 200);
  EXPECT_NEAR(g->GetChild(0)->Position.X, 0, 1e-6);

  // The angle changes in place and leaves the cart where it is.
  SetInclinedPlaneAngle(f.Get(), 30);
  EXPECT_FLOAT_EQ(g->GetRollAngle(), 30);
  for (Integer i : {2, 3, 4})
    EXPECT_FLOAT_EQ(g->GetChild(i)->GetRollAngle(), -30);
  EXPECT_FLOAT_EQ(g->GetChild(1)->GetRollAngle(), 0);
  EXPECT_NEAR(g->GetChild(0)->Position.X, 0, 1e-6);
  // The load arrow stays vertical in the scene whatever the slope.
  const TMatrix m = g->GetChild(2)->AbsoluteMatrix();
  EXPECT_NEAR(m[1][1], 1, 1e-5);
  EXPECT_NEAR(m[1][0], 0, 1e-5);

  SetInclinedPlaneAngle(f.Get(), 0);
  TSceneFixture level;
  BuildInclinedPlaneScene(level.Get(), &level.Lib, 0);
  AnimateInclinedPlaneScene(level.Get(), 200);
  EXPECT_EQ(PoseDifference(Snapshot(level.Get()), Snapshot(f.Get()), 1e-5), "");
}

TEST(HoistsTest, InclinedPlaneLoadStaysInsideTheCart)
{
  // The heap rides in the cart: below the rim it must stay within the side walls, above it
  // within the rim, at every phase and slope. Along the track it reaches into the walls'
  // thickness, so no gap shows between the heap and the walls.
  TSceneFixture f;
  BuildInclinedPlaneScene(f.Get(), &f.Lib, 10);
  TGLBaseSceneObject* g = f->GetChild(0);
  auto* cart = dynamic_cast<TAsymBox*>(g->GetChild(0));
  ASSERT_NE(cart, nullptr);
  auto* heap = dynamic_cast<TBezierSurface*>(cart->GetChild(0));
  ASSERT_NE(heap, nullptr);
  const auto& c = cart->Corners;   // 0 to 3 the rim, 4 to 7 the floor
  const Single rimY = c[0][1], floorY = c[4][1];
  auto halfAt = [&](int axis, Single y, Single inset) {
    Single t = std::clamp((y - floorY) / (rimY - floorY), 0.0f, 1.0f);
    return std::fabs(c[4][axis]) + t * (std::fabs(c[0][axis]) - std::fabs(c[4][axis])) - inset;
  };
  for (Single angle : {10.0f, 30.0f}) {
    SetInclinedPlaneAngle(f.Get(), angle);
    for (Single phase : {0.0f, 130.0f, 400.0f}) {
      AnimateInclinedPlaneScene(f.Get(), phase);
      const TMatrix toCart = MatrixInvert(cart->AbsoluteMatrix());
      Single reach = 0;
      for (int i = 0; i <= 20; ++i)
        for (int j = 0; j <= 20; ++j) {
          TAffineVector p = heap->SurfacePoint(Single(i) / 20, Single(j) / 20);
          p = VectorTransform(VectorTransform(p, heap->AbsoluteMatrix()), toCart);
          EXPECT_GT(p[1], floorY);
          EXPECT_LE(std::fabs(p[0]), halfAt(0, p[1], 0) + 1e-5f) << angle << " " << phase << " " << i << " " << j;
          EXPECT_LE(std::fabs(p[2]), halfAt(2, p[1], 0) + 1e-5f) << angle << " " << phase << " " << i << " " << j;
          if (p[1] < rimY)
            reach = std::max(reach, std::fabs(p[0]) - halfAt(0, p[1], cart->WallThickness));
        }
      EXPECT_GT(reach, 0) << angle << " " << phase;
    }
  }
}

TEST(HoistsTest, InclinedPlaneProceduresTestTheScene)
{
  TSceneFixture empty;
  AnimateInclinedPlaneScene(empty.Get(), 100);
  SetInclinedPlaneAngle(empty.Get(), 20);
  SetInclinedPlaneAngle(nullptr, 20);
  EXPECT_EQ(empty->GetCount(), 0);
  TSceneFixture hoist;
  BuildPulleyHoistScene(hoist.Get(), &hoist.Lib, 2);
  const TPose before = Snapshot(hoist.Get());
  AnimateInclinedPlaneScene(hoist.Get(), 100);
  SetInclinedPlaneAngle(hoist.Get(), 20);
  EXPECT_EQ(PoseDifference(before, Snapshot(hoist.Get())), "");
}

}   // namespace
