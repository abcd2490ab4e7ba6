#include "topics/Tweezers.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/GLExtrusion.h"
#include "engine/GLObjects.h"
#include "tests/topics/PulleyTopicsTestSupport.h"
#include "topics/TweezerObjects.h"

namespace {

// The phase at which the stroke is s (0 to 600) on the way down.
Single PhaseOf(double s) { return Single(std::asin(s / 600) * 180 / M_PI); }

TTweezers* Blade(TSceneFixture& f, Integer i) { return dynamic_cast<TTweezers*>(At(f.Get(), {i, 0})); }

TEST(TweezersTest, ChildTree)
{
  for (bool markers : {false, true}) {
    TSceneFixture f;
    BuildTweezersScene(f.Get(), &f.Lib, markers);
    ASSERT_EQ(f->GetCount(), 5);
    for (Integer i : {0, 1}) {
      ASSERT_EQ(f->GetChild(i)->GetCount(), 1);
      ASSERT_NE(Blade(f, i), nullptr);
      EXPECT_FLOAT_EQ(f->GetChild(i)->Scale.X, 1.8f);
      EXPECT_FLOAT_EQ(f->GetChild(i)->GetRollAngle(), -90);
      EXPECT_FLOAT_EQ(f->GetChild(i)->Position.Y, 1.1f);
    }
    EXPECT_FLOAT_EQ(Blade(f, 1)->GetPitchAngle(), 180);
    EXPECT_NE(dynamic_cast<TTweezerEnd*>(f->GetChild(2)), nullptr);
    EXPECT_FLOAT_EQ(f->GetChild(2)->Scale.Y, 0.9f);
    auto* block = dynamic_cast<TCube*>(f->GetChild(3));
    ASSERT_NE(block, nullptr);
    EXPECT_FLOAT_EQ(block->GetCubeWidth(), 0.0625f);
    EXPECT_FLOAT_EQ(block->Position.Y, -1.26f);
    ASSERT_EQ(f->GetChild(4)->GetCount(), 9);
    EXPECT_EQ(f->GetChild(4)->GetVisible(), markers);
    for (Integer k : {6, 8}) {
      auto* copy = dynamic_cast<TGLProxyObject*>(At(f.Get(), {4, k}));
      ASSERT_NE(copy, nullptr);
      EXPECT_EQ(copy->GetMasterObject(), At(f.Get(), {4, k - 1}));
    }
    EXPECT_NE(dynamic_cast<TExtrusionSolid*>(At(f.Get(), {4, 4})), nullptr);
    ShowTweezersMarkers(f.Get(), !markers);
    EXPECT_EQ(f->GetChild(4)->GetVisible(), !markers);
  }
}

TEST(TweezersTest, BladesMirrorEachOtherAndMeetAtTheButt)
{
  TSceneFixture f;
  BuildTweezersScene(f.Get(), &f.Lib, true);
  // Blade A's tip points down and bends towards +X; blade B mirrors it.
  auto tip = [&](Integer i) {
    return VectorTransform(PointMake(1.0f, 0.1f, 0), At(f.Get(), {i, 0})->AbsoluteMatrix());
  };
  const TVector a = tip(0), b = tip(1);
  EXPECT_NEAR(a[0], 0.18, 1e-5);
  EXPECT_NEAR(a[1], 1.1 - 1.8, 1e-5);
  EXPECT_NEAR(b[0], -a[0], 1e-5);
  EXPECT_NEAR(b[1], a[1], 1e-5);
}

TEST(TweezersTest, LowerGripLift)
{
  EXPECT_NEAR(TweezersStroke(90), 600, 1e-3);
  TSceneFixture f;
  BuildTweezersScene(f.Get(), &f.Lib, true);
  AnimateTweezersScene(f.Get(), 0);
  EXPECT_FLOAT_EQ(f->GetChild(0)->Position.Y, 1.1f);
  EXPECT_FLOAT_EQ(f->GetChild(3)->Position.Y, -1.26f);
  EXPECT_FLOAT_EQ(f->GetChild(4)->Position.Y, 0);
  EXPECT_FLOAT_EQ(f->GetChild(0)->GetRollAngle(), -90);
  AnimateTweezersScene(f.Get(), 19.47f);   // s just below 200
  EXPECT_NEAR(f->GetChild(0)->Position.Y, 0.6, 1e-3);
  EXPECT_NEAR(f->GetChild(4)->Position.Y, -0.5, 1e-3);
  AnimateTweezersScene(f.Get(), PhaseOf(201.01));
  EXPECT_FLOAT_EQ(f->GetChild(0)->Position.Y, 0.6f);
  EXPECT_FLOAT_EQ(f->GetChild(2)->Position.Y, 0.59f);
  EXPECT_NEAR(f->GetChild(0)->GetRollAngle(), -90.02, 5e-3);
  EXPECT_NEAR(f->GetChild(1)->GetRollAngle(), -89.98, 5e-3);
  AnimateTweezersScene(f.Get(), PhaseOf(400));
  EXPECT_NEAR(f->GetChild(0)->GetRollAngle(), -94.5, 1e-3);
  EXPECT_NEAR(Blade(f, 0)->GetControlPoint(1)[1], 0.045, 1e-5);
  EXPECT_NEAR(Blade(f, 1)->GetControlPoint(1)[1], 0.045, 1e-5);
  AnimateTweezersScene(f.Get(), 90);
  EXPECT_NEAR(f->GetChild(0)->Position.Y, 1.1, 1e-5);
  EXPECT_NEAR(f->GetChild(2)->Position.Y, 1.09, 1e-5);
  EXPECT_NEAR(f->GetChild(3)->Position.Y, -0.76, 1e-5);
  EXPECT_NEAR(f->GetChild(4)->Position.Y, 0, 1e-5);
  EXPECT_NEAR(f->GetChild(0)->GetRollAngle(), -94.545, 1e-3);
  // The block rises with the blades' tips while they hold it.
  const Single gap = f->GetChild(0)->Position.Y - f->GetChild(3)->Position.Y;
  AnimateTweezersScene(f.Get(), 60);
  EXPECT_NEAR(f->GetChild(0)->Position.Y - f->GetChild(3)->Position.Y, gap, 1e-5);
}

TEST(TweezersTest, PoseDependsOnThePhaseAlone)
{
  // Dragging straight to the lift must show the blades gripping the block, and dragging
  // back from it must open them again: the pose never depends on the frames before.
  for (Single phase : {0.0f, 10.0f, 25.0f, 35.0f, 41.8f, 60.0f, 90.0f, 120.0f, 150.0f, 170.0f, 180.0f}) {
    SCOPED_TRACE(phase);
    TSceneFixture direct, walked;
    BuildTweezersScene(direct.Get(), &direct.Lib, true);
    BuildTweezersScene(walked.Get(), &walked.Lib, true);
    for (Single p = 0; p < 180; p += 3.7f)
      AnimateTweezersScene(walked.Get(), p);
    AnimateTweezersScene(walked.Get(), phase);
    AnimateTweezersScene(direct.Get(), phase);
    EXPECT_EQ(PoseDifference(Snapshot(direct.Get()), Snapshot(walked.Get())), "");
    for (Integer i : {0, 1})
      EXPECT_EQ(Blade(direct, i)->GetControlPoint(1), Blade(walked, i)->GetControlPoint(1));
  }
}

TEST(TweezersTest, EveryPartBackAfterOneRepeat)
{
  // The shell wraps the phase at 180: the pose there is the built one, as at 0.
  TSceneFixture f;
  BuildTweezersScene(f.Get(), &f.Lib, true);
  const TPose built = Snapshot(f.Get());
  for (Single p = 0; p <= 180; p += 11)
    AnimateTweezersScene(f.Get(), p);
  AnimateTweezersScene(f.Get(), 180);
  EXPECT_EQ(PoseDifference(built, Snapshot(f.Get()), 1e-6), "");
  AnimateTweezersScene(f.Get(), 0);
  EXPECT_EQ(PoseDifference(built, Snapshot(f.Get()), 1e-6), "");
  for (Integer i : {0, 1})
    EXPECT_EQ(Blade(f, i)->GetControlPoint(1)[1], 0);
}

TEST(TweezersTest, MovesContinuouslyThroughTheBranches)
{
  // No jump bigger than a small step between neighbouring phases, also past the bar's end.
  TSceneFixture f;
  BuildTweezersScene(f.Get(), &f.Lib, true);
  AnimateTweezersScene(f.Get(), -5);
  TPose last = Snapshot(f.Get());
  for (Single p = -5; p <= 185; p += 0.05f) {
    AnimateTweezersScene(f.Get(), p);
    const TPose now = Snapshot(f.Get());
    EXPECT_EQ(PoseDifference(last, now, 0.01), "") << p;
    last = now;
  }
}

}   // namespace
