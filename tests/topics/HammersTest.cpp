#include "topics/Hammers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/GLObjects.h"
#include "tests/parts/PartTestSupport.h"
#include "tests/topics/LeverTopicsATestSupport.h"
#include "topics/HammerObjects.h"
#include "topics/TopicFrame.h"

namespace {

TEST(HammersTest, HeadProfile)
{
  const auto p = THammerhead::ClawProfile();
  EXPECT_NEAR(THammerhead::CheekTop(), -0.25235, 1e-5);
  EXPECT_NEAR(p.Outer[21][0], 0.55337, 1e-5);
  // The inner fillet joins the inner arc without a step.
  EXPECT_NEAR(p.Inner[6][0], 0.2, 1e-6);
  EXPECT_NEAR(p.Inner[6][1], THammerhead::CheekTop() - 0.06, 1e-6);
  EXPECT_NEAR(std::hypot(p.Inner[7][0], p.Inner[7][1] - 0.2), 0.55, 1e-6);
  // The inner arc ends where it meets the line to the claw's tip.
  for (size_t r = 0; r < 22; ++r)
    EXPECT_LT(p.Inner[r][1], p.Outer[r][1] + 0.3f);
  THammerhead head;
  const TBuiltPart b = BuildPart(head);
  EXPECT_EQ(b.Problems.find("NaN"), std::string::npos) << b.Problems;
  EXPECT_GT(b.Vertices, 300);
  for (const auto& prim : b.Prims)
    for (const auto& v : prim.Vertices) {
      EXPECT_GE(v[0], -0.5f - 1e-6f);
      EXPECT_LE(v[0], 0.5534f + 1e-4f);
      EXPECT_LE(v[1], 1e-6f);
      EXPECT_LE(std::fabs(v[2]), THammerhead::HalfThickness(0.5534f) + 1e-5f);
    }
}

TEST(HammersTest, Build)
{
  // The build lays the real board picture beside the test program; look where there is none.
  TSceneFixture f;
  BuildClawHammerScene(f.Get(), &f.Lib, std::string(ORRELO_TEST_OUTPUT) + "/no-models/");
  ASSERT_EQ(f->GetCount(), 6);
  EXPECT_EQ(f->GetChild(0)->GetCount(), 5);
  EXPECT_FLOAT_EQ(f->GetChild(0)->GetRollAngle(), -70);
  EXPECT_NEAR(f->GetChild(1)->Position.X, 0.63530, 1e-5);
  for (Integer i : {2, 3, 4})
    EXPECT_FALSE(f->GetChild(i)->GetVisible());
  // Without the picture the board stays untextured.
  EXPECT_FALSE(static_cast<TCube*>(f->GetChild(5))->Material.Texture.Enabled());
}

TEST(HammersTest, BoardTakesThePictureWhenThere)
{
  const std::string dir = std::string(ORRELO_TEST_OUTPUT) + "/hammer-models/";
  std::filesystem::create_directories(dir);
  // A picture we cannot read leaves the board plain, as a missing one does.
  std::ofstream(dir + "ashwood.jpg") << "not a picture";
  TSceneFixture f;
  BuildClawHammerScene(f.Get(), &f.Lib, dir);
  EXPECT_EQ(f->GetCount(), 6);
  EXPECT_FALSE(static_cast<TCube*>(f->GetChild(5))->Material.Texture.Enabled());
}

TEST(HammersTest, Levering)
{
  TSceneFixture f;
  BuildClawHammerScene(f.Get(), &f.Lib, ProgramModelFolder());
  AnimateClawHammerScene(f.Get(), true, 90);
  EXPECT_NEAR(f->GetChild(0)->Position.X, 0, 1e-6);
  EXPECT_NEAR(f->GetChild(0)->GetRollAngle(), 0, 1e-4);
  EXPECT_NEAR(f->GetChild(1)->Position.X, 0.4511, 1e-4);
  EXPECT_NEAR(f->GetChild(1)->Position.Y, -0.1642, 1e-4);
  EXPECT_NEAR(f->GetChild(1)->GetRollAngle(), 16.92, 1e-2);
  EXPECT_NEAR(At(f.Get(), {1, 0})->GetRollAngle(), 53.08, 1e-2);
  EXPECT_NEAR(f->GetChild(2)->Position.Y, 1, 1e-6);
  EXPECT_NEAR(At(f.Get(), {2, 0})->GetRollAngle(), -70, 1e-4);
  for (Integer i : {2, 3, 4})
    EXPECT_TRUE(f->GetChild(i)->GetVisible());
  // Sliding: the hammer moves in rolled -70, the markers hide whatever is asked.
  AnimateClawHammerScene(f.Get(), true, 20);
  const Single a = 170 * std::sin(20 * M_PI / 180);
  EXPECT_NEAR(f->GetChild(0)->Position.X, 0.01 * ClawArc * a, 1e-6);
  EXPECT_NEAR(f->GetChild(0)->GetRollAngle(), -70, 1e-4);
  EXPECT_FALSE(f->GetChild(2)->GetVisible());
  // The two stages meet at a = 100.
  const Single joint = Single(std::asin(100.0 / 170) * 180 / M_PI);
  AnimateClawHammerScene(f.Get(), true, joint + 1e-3f);
  EXPECT_NEAR(f->GetChild(1)->Position.X, ClawArc, 1e-3);
  EXPECT_NEAR(f->GetChild(1)->Position.Y, -0.48, 1e-3);
  EXPECT_NEAR(At(f.Get(), {1, 0})->GetRollAngle(), 0, 0.1);
}

TEST(HammersTest, PoseDependsOnThePhaseAlone)
{
  for (Single target : {0.0f, 20.0f, 60.0f, 90.0f, 150.0f, 180.0f}) {
    TSceneFixture ran, jumped;
    BuildClawHammerScene(ran.Get(), &ran.Lib, ProgramModelFolder());
    BuildClawHammerScene(jumped.Get(), &jumped.Lib, ProgramModelFolder());
    for (Single p = 0; p < 180; p += 3.3f)
      AnimateClawHammerScene(ran.Get(), false, p);
    AnimateClawHammerScene(ran.Get(), false, target);
    AnimateClawHammerScene(jumped.Get(), false, 90);
    AnimateClawHammerScene(jumped.Get(), false, target);
    EXPECT_EQ(PoseDifference(LeverPose(ran.Get()), LeverPose(jumped.Get())), "") << target;
  }
  // One repeat brings every part back: phase 180 is the built pose.
  TSceneFixture fresh, used;
  BuildClawHammerScene(fresh.Get(), &fresh.Lib, ProgramModelFolder());
  BuildClawHammerScene(used.Get(), &used.Lib, ProgramModelFolder());
  AnimateClawHammerScene(used.Get(), true, 90);
  AnimateClawHammerScene(used.Get(), true, 180);
  EXPECT_EQ(PoseDifference(LeverPose(fresh.Get()), LeverPose(used.Get()), 1e-4), "");
}

TEST(HammersTest, NailEndsInsideTheBoard)
{
  TSceneFixture f;
  BuildClawHammerScene(f.Get(), &f.Lib, ProgramModelFolder());
  auto* board = static_cast<TCube*>(f->GetChild(5));
  const Single top = board->Position.Y + board->GetCubeHeight() / 2;
  const Single bottom = board->Position.Y - board->GetCubeHeight() / 2;
  // The tip and the shank's edge just above it, in the nail's own frame.
  const TAffineVector tipPoints[3] = {{0, 0, 0}, {0.01f, 0.01f, 0}, {-0.01f, 0.01f, 0}};
  auto lowest = [&] {
    const TMatrix m = At(f.Get(), {1, 0})->AbsoluteMatrix();
    Single y = 1e9f;
    for (const TAffineVector& p : tipPoints)
      y = std::min(y, VectorTransform(p, m)[1]);
    return y;
  };
  // At rest the nail is driven in: its tip lies between the board's faces.
  EXPECT_LT(lowest(), top);
  EXPECT_GT(lowest(), bottom);
  // Drawn out, it only rises.
  for (Single phase = 0; phase <= 180; phase += 2.5f) {
    AnimateClawHammerScene(f.Get(), false, phase);
    ASSERT_GT(lowest(), bottom) << "phase " << phase;
  }
}

}   // namespace
