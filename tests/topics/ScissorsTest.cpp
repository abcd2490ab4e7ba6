#include "topics/Scissors.h"

#include <gtest/gtest.h>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLGeomObjects.h"
#include "tests/topics/LeverTopicsATestSupport.h"
#include "topics/Hammers.h"

namespace {

TPaper* Paper(TSceneFixture& f, Integer i) { return static_cast<TPaper*>(f->GetChild(i)); }

TAffineVector Place(const TGLBaseSceneObject* o)
{
  return VectorTransform(AffineVectorMake(0, 0, 0), o->AbsoluteMatrix());
}

// The turning effect about the fulcrum of the force a marker's arrow draws: its sign tells
// which way the force would turn the lever (counter-clockwise positive, seen from the front).
// Any point of the arrow's line gives the same moment; the tail is taken.
double Moment(const TGLBaseSceneObject* markerGroup, const TAffineVector& fulcrum)
{
  const TLines* arrow = nullptr;
  for (Integer i = 0; i < markerGroup->GetCount() && !arrow; ++i)
    arrow = dynamic_cast<const TLines*>(markerGroup->GetChild(i));
  if (!arrow || arrow->Nodes.GetCount() != 6)
    return 0;
  const TMatrix m = arrow->AbsoluteMatrix();
  const TAffineVector tail = VectorTransform(arrow->Nodes.GetItem(0)->AsAffineVector(), m);
  const TAffineVector tip = VectorTransform(arrow->Nodes.GetItem(3)->AsAffineVector(), m);
  const double rx = tail[0] - fulcrum[0], ry = tail[1] - fulcrum[1];
  return rx * (tip[1] - tail[1]) - ry * (tip[0] - tail[0]);
}

TEST(ScissorsTest, Build)
{
  TSceneFixture f;
  BuildScissorsScene(f.Get(), &f.Lib);
  ASSERT_EQ(f->GetCount(), 9);
  EXPECT_EQ(f->GetChild(0)->GetCount(), 3);
  EXPECT_EQ(f->GetChild(1)->GetCount(), 5);
  EXPECT_FLOAT_EQ(f->GetChild(0)->Scale.X, 2);
  auto* copy = dynamic_cast<TGLProxyObject*>(At(f.Get(), {1, 0}));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetMasterObject(), At(f.Get(), {0, 0}));
  EXPECT_EQ(copy->GetProxyOptions(), pooObjects);
  EXPECT_FLOAT_EQ(static_cast<TFlatHead*>(At(f.Get(), {1, 3}))->Size, 0.03f);
  EXPECT_FLOAT_EQ(Paper(f, 3)->GetPitchAngle(), 180);
  for (Integer i = 4; i <= 8; ++i)
    EXPECT_FALSE(f->GetChild(i)->GetVisible()) << i;
  for (Integer i = 4; i <= 7; ++i)
    EXPECT_EQ(f->GetChild(i)->GetCount(), 2);
}

TEST(ScissorsTest, Stages)
{
  TSceneFixture f;
  BuildScissorsScene(f.Get(), &f.Lib);
  AnimateScissorsScene(f.Get(), true, 150.99f);
  EXPECT_NEAR(f->GetChild(0)->GetRollAngle(), 15.099, 1e-4);
  EXPECT_NEAR(f->GetChild(1)->GetRollAngle(), -15.099, 1e-4);
  EXPECT_FALSE(f->GetChild(4)->GetVisible());
  AnimateScissorsScene(f.Get(), true, 151);
  EXPECT_FLOAT_EQ(f->GetChild(0)->GetRollAngle(), 15);
  AnimateScissorsScene(f.Get(), true, 250);
  EXPECT_NEAR(Paper(f, 2)->Position.X, -0.3, 1e-6);
  EXPECT_TRUE(Paper(f, 2)->Flat);

  // Cutting: at 251 the crossing is just short of the sheet, nothing lifts.
  EXPECT_NEAR(ScissorsCrossing(14.9f), 0.2962, 1e-4);
  AnimateScissorsScene(f.Get(), true, 251);
  EXPECT_FLOAT_EQ(Paper(f, 2)->Vertices[1][1], 0);
  EXPECT_TRUE(f->GetChild(4)->GetVisible());
  EXPECT_TRUE(f->GetChild(8)->GetVisible());
  // Mid-cut the cut point follows the crossing and the corner lifts.
  AnimateScissorsScene(f.Get(), false, 350);
  const Single a = 5, X = ScissorsCrossing(a);
  EXPECT_NEAR(Paper(f, 2)->Vertices[3][0], 0.3 - X, 1e-6);
  EXPECT_NEAR(Paper(f, 2)->Vertices[1][1], (X - 0.3) * std::sin((a + 4.763642) * M_PI / 180), 1e-5);
  EXPECT_NEAR(f->GetChild(5)->Position.X, -X, 1e-6);
  EXPECT_NEAR(f->GetChild(7)->Position.Y, 0.1 + X * std::sin(a * M_PI / 180), 1e-6);
  EXPECT_NEAR(f->GetChild(4)->Position.X, 0.9434 * std::cos((32.00538 + a) * M_PI / 180), 1e-5);
  EXPECT_FALSE(f->GetChild(4)->GetVisible());
  // Near the end the crossing is beyond the sheet: the cut stays at its end.
  AnimateScissorsScene(f.Get(), true, 394.5f);
  EXPECT_NEAR(ScissorsCrossing(0.55f), 1.0761, 1e-4);
  EXPECT_FLOAT_EQ(Paper(f, 2)->Vertices[3][0], -0.75f);
  EXPECT_NEAR(Paper(f, 2)->Vertices[1][1], 0.0719, 1e-4);

  // Parting: the halves move apart in z and keep the cut.
  AnimateScissorsScene(f.Get(), true, 500);
  EXPECT_FLOAT_EQ(f->GetChild(0)->GetRollAngle(), 0);
  EXPECT_NEAR(Paper(f, 2)->Position.Z, 1.06, 1e-5);
  EXPECT_NEAR(Paper(f, 3)->Position.Z, -1.06, 1e-5);
  EXPECT_FALSE(Paper(f, 2)->Flat);
  EXPECT_FALSE(f->GetChild(8)->GetVisible());
}

TEST(ScissorsTest, PoseDependsOnThePhaseAlone)
{
  // Scrubbing straight to a phase gives what running up to it gives, parting included.
  for (Single target : {100.0f, 200.0f, 300.0f, 394.5f, 420.0f, 500.0f}) {
    TSceneFixture ran, jumped;
    BuildScissorsScene(ran.Get(), &ran.Lib);
    BuildScissorsScene(jumped.Get(), &jumped.Lib);
    for (Single p = 0; p < target; p += 0.7f)
      AnimateScissorsScene(ran.Get(), true, p);
    AnimateScissorsScene(ran.Get(), true, target);
    AnimateScissorsScene(jumped.Get(), true, 480);
    AnimateScissorsScene(jumped.Get(), true, target);
    EXPECT_EQ(PoseDifference(LeverPose(ran.Get()), LeverPose(jumped.Get()), 2e-3), "") << target;
  }
  // After a whole run the start pose is the built one.
  TSceneFixture fresh, used;
  BuildScissorsScene(fresh.Get(), &fresh.Lib);
  BuildScissorsScene(used.Get(), &used.Lib);
  AnimateScissorsScene(fresh.Get(), false, 0);
  AnimateScissorsScene(used.Get(), true, 350);
  AnimateScissorsScene(used.Get(), true, 499);
  AnimateScissorsScene(used.Get(), true, 0);
  EXPECT_EQ(PoseDifference(LeverPose(fresh.Get()), LeverPose(used.Get())), "");
}

// A lever in balance: the effort turns it one way about the fulcrum and the load's force on
// it the other. The claw hammer draws its load so (the nail pulls the claw down); each
// blade of the scissors must too (the paper pushes the blade that cuts it away from the cut).
TEST(ScissorsTest, LoadArrowsTurnTheBladesAgainstTheEffortAsOnTheHammer)
{
  TSceneFixture hammer;
  BuildClawHammerScene(hammer.Get(), &hammer.Lib, std::string(ORRELO_TEST_OUTPUT) + "/no-models/");
  AnimateClawHammerScene(hammer.Get(), true, 70);
  ASSERT_TRUE(hammer->GetChild(3)->GetVisible());
  const TAffineVector hammerF = Place(hammer->GetChild(4));
  const double hammerE = Moment(hammer->GetChild(2), hammerF), hammerL = Moment(hammer->GetChild(3), hammerF);
  ASSERT_NE(hammerE, 0);
  EXPECT_LT(hammerE * hammerL, 0) << "the hammer's own markers do not balance";

  for (Single phase : {260.0f, 320.0f, 390.0f}) {
    TSceneFixture f;
    BuildScissorsScene(f.Get(), &f.Lib);
    AnimateScissorsScene(f.Get(), true, phase);
    const TAffineVector pivot = Place(f->GetChild(8));
    // Children 4 and 5 ride on the first blade (its loop and its edge), 6 and 7 on the second.
    for (Integer blade = 0; blade < 2; ++blade) {
      const double effort = Moment(f->GetChild(4 + 2 * blade), pivot);
      const double load = Moment(f->GetChild(5 + 2 * blade), pivot);
      ASSERT_NE(effort, 0) << phase;
      EXPECT_LT(effort * load, 0) << "blade " << blade << " at " << phase << ": its L arrow turns it with the effort";
    }
    // And every load arrow points away from the cut, whose line is y = 0.
    for (Integer i : {5, 7}) {
      const TGLBaseSceneObject* group = f->GetChild(i);
      const TLines* arrow = dynamic_cast<const TLines*>(group->GetChild(0));
      ASSERT_NE(arrow, nullptr);
      const TMatrix m = arrow->AbsoluteMatrix();
      const double tailY = VectorTransform(arrow->Nodes.GetItem(0)->AsAffineVector(), m)[1];
      const double tipY = VectorTransform(arrow->Nodes.GetItem(3)->AsAffineVector(), m)[1];
      EXPECT_GT(std::fabs(tipY), std::fabs(tailY)) << i << " at " << phase;
    }
  }
}

TEST(ScissorsTest, MarkersOnlyOnItsScene)
{
  TSceneFixture f;
  BuildScissorsScene(f.Get(), &f.Lib);
  ShowScissorsMarkers(f.Get(), true);
  for (Integer i = 4; i <= 8; ++i)
    EXPECT_TRUE(f->GetChild(i)->GetVisible());
  f->Remove(f->GetChild(8));
  const TPose before = LeverPose(f.Get());
  ShowScissorsMarkers(f.Get(), false);
  AnimateScissorsScene(f.Get(), true, 300);
  EXPECT_EQ(PoseDifference(before, LeverPose(f.Get())), "");
}

}   // namespace
