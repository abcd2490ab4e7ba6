#include "topics/Weston.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "tests/topics/PulleyTopicsTestSupport.h"

namespace {

Single LoadSide(TSceneFixture& f) { return static_cast<TCube*>(At(f.Get(), {1, 3}))->GetCubeWidth(); }

TEST(WestonTest, ChildCounts)
{
  TSceneFixture f;
  BuildWestonScene(f.Get(), &f.Lib, false, 0.2f, 0.15f);
  ASSERT_EQ(f->GetCount(), 6);
  EXPECT_EQ(f->GetChild(0)->GetCount(), 13);
  EXPECT_EQ(f->GetChild(1)->GetCount(), 5);
  EXPECT_NE(dynamic_cast<TWestonRope*>(f->GetChild(2)), nullptr);
  EXPECT_FALSE(f->GetChild(3)->GetVisible());
  EXPECT_FALSE(f->GetChild(4)->GetVisible());
  EXPECT_NE(dynamic_cast<TOpenBox*>(f->GetChild(5)), nullptr);
  // The lower block hangs midway between the falls, the drop below the axle.
  EXPECT_FLOAT_EQ(f->GetChild(1)->Position.X, -0.025f);
  EXPECT_FLOAT_EQ(f->GetChild(1)->Position.Y, -0.5f);
  EXPECT_FLOAT_EQ(f->GetChild(5)->Position.Y, 1.1f);
  for (Integer k = 1; k <= 4; ++k) {
    auto* copy = dynamic_cast<TGLProxyObject*>(At(f.Get(), {0, 1 + k}));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetMasterObject(), At(f.Get(), {0, 1}));
    EXPECT_FLOAT_EQ(copy->GetRollAngle(), 72.0f * k);
  }
  EXPECT_FLOAT_EQ(static_cast<TVPulley*>(At(f.Get(), {0, 6}))->RadiusA, 0.15f);
}

TEST(WestonTest, LoadGrowsWithTheAdvantage)
{
  TSceneFixture a, b;
  BuildWestonScene(a.Get(), &a.Lib, true, 0.2f, 0.15f);
  EXPECT_NEAR(WestonAdvantage(0.2f, 0.15f), 8, 1e-4);
  EXPECT_NEAR(LoadSide(a), 0.4, 1e-5);
  BuildWestonScene(b.Get(), &b.Lib, true, 0.2f, 0.12f);
  EXPECT_NEAR(LoadSide(b), 0.2 * std::cbrt(5.0), 1e-5);
  EXPECT_NEAR(At(b.Get(), {1, 3})->Position.Y, -(0.5 * LoadSide(b) + 0.25), 1e-6);
}

TEST(WestonTest, EqualRadiiFromTheControlGiveTheCappedLoad)
{
  // The control passes 20 x 0.01, which in single precision is not 0.2: the load must
  // still be the capped one (side 0.684), not a cube tens of units wide.
  const Single fromControl = Single(20) * 0.01f;
  for (Single small : {fromControl, 0.2f, 0.2000001f, 0.25f}) {
    TSceneFixture f;
    BuildWestonScene(f.Get(), &f.Lib, false, 0.2f, small);
    EXPECT_NEAR(LoadSide(f), 0.2 * std::cbrt(40.0), 1e-4) << small;
  }
  EXPECT_NEAR(WestonAdvantage(0.2f, 0.19f), 40, 1e-3);
  TSceneFixture f;
  BuildWestonScene(f.Get(), &f.Lib, false, 0.2f, fromControl);
  AnimateWestonScene(f.Get(), 0.2f, fromControl, 1080);
  EXPECT_NEAR(f->GetChild(1)->Position.Y, -0.5, 1e-6);
  EXPECT_FLOAT_EQ(static_cast<TWestonRope*>(f->GetChild(2))->Angle, 1080);
}

TEST(WestonTest, BlockRisesByHalfTheDifference)
{
  TSceneFixture f;
  BuildWestonScene(f.Get(), &f.Lib, true, 0.2f, 0.12f);
  AnimateWestonScene(f.Get(), 0.2f, 0.12f, 0);
  EXPECT_NEAR(f->GetChild(1)->Position.Y, -0.5, 1e-6);
  AnimateWestonScene(f.Get(), 0.2f, 0.12f, 1080);
  EXPECT_NEAR(f->GetChild(1)->Position.Y, -0.5 + 3 * M_PI * 0.08, 1e-4);
  EXPECT_NEAR(f->GetChild(4)->Position.Y, -0.5 + 3 * M_PI * 0.08, 1e-4);
  EXPECT_FLOAT_EQ(f->GetChild(0)->GetRollAngle(), -1080);
  EXPECT_FLOAT_EQ(f->GetChild(3)->GetRollAngle(), -1080);
  // The lower pulley (radius 0.1) rolls in its loop without slipping: its left rim keeps pace
  // with the fall off the large sheave (up by A theta), its right rim with the fall off the
  // small one (down by B theta).
  {
    const double theta = 1080 * M_PI / 180, rise = f->GetChild(1)->Position.Y + 0.5;
    const double rim = -f->GetChild(4)->GetRollAngle() * M_PI / 180 * 0.1;
    EXPECT_NEAR(rise + rim, 0.2 * theta, 1e-4);
    EXPECT_NEAR(rise - rim, -0.12 * theta, 1e-4);
  }
  AnimateWestonScene(f.Get(), 0.2f, 0.12f, 90);
  EXPECT_NEAR(WestonBlockHeight(0.2f, 0.12f, 90), 0.04 * M_PI / 2 - 0.5, 1e-6);
  EXPECT_NEAR(f->GetChild(1)->Position.Y, 0.04 * M_PI / 2 - 0.5, 1e-6);
}

TEST(WestonTest, PoseDependsOnlyOnThePhase)
{
  TSceneFixture direct, stepped;
  BuildWestonScene(direct.Get(), &direct.Lib, true, 0.2f, 0.15f);
  BuildWestonScene(stepped.Get(), &stepped.Lib, true, 0.2f, 0.15f);
  AnimateWestonScene(direct.Get(), 0.2f, 0.15f, 733);
  for (Integer k = 0; k <= 1080; k += 3)
    AnimateWestonScene(stepped.Get(), 0.2f, 0.15f, Single(k));
  AnimateWestonScene(stepped.Get(), 0.2f, 0.15f, 733);
  EXPECT_EQ(PoseDifference(Snapshot(direct.Get()), Snapshot(stepped.Get()), 1e-4), "");
  // The upper sheaves are home after the period of three turns.
  AnimateWestonScene(direct.Get(), 0.2f, 0.15f, 0);
  const TMatrix m0 = direct->GetChild(0)->LocalMatrix();
  AnimateWestonScene(direct.Get(), 0.2f, 0.15f, 1080);
  const TMatrix m1 = direct->GetChild(0)->LocalMatrix();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(m0[r][c], m1[r][c], 1e-4);
}

TEST(WestonTest, MarkersAndGuards)
{
  TSceneFixture f;
  BuildWestonScene(f.Get(), &f.Lib, false, 0.2f, 0.15f);
  ShowWestonMarkers(f.Get(), true);
  EXPECT_TRUE(f->GetChild(3)->GetVisible());
  EXPECT_TRUE(f->GetChild(4)->GetVisible());
  TSceneFixture empty;
  AnimateWestonScene(empty.Get(), 0.2f, 0.15f, 100);
  ShowWestonMarkers(empty.Get(), true);
  AnimateWestonScene(nullptr, 0.2f, 0.15f, 100);
  EXPECT_EQ(empty->GetCount(), 0);
}

}   // namespace
