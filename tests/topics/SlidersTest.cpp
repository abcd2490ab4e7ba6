#include <gtest/gtest.h>

#include "engine/GLGeomObjects.h"
#include "parts/BasicParts.h"
#include "topics/Sliders.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

std::vector<Integer> Counts(const TGLBaseSceneObject* base)
{
  std::vector<Integer> r{base->GetCount()};
  for (Integer i = 0; i < base->GetCount(); ++i)
    r.push_back(base->GetChild(i)->GetCount());
  return r;
}

TEST(CrankSliderScene, TreeAndStartPose)
{
  TTopicScene s;
  BuildCrankSliderScene(s.B(), &s.Lib, 0.25f);
  EXPECT_EQ(Counts(s.B()), (std::vector<Integer>{3, 3, 4, 1}));
  TGLBaseSceneObject* rod = s.B()->GetChild(0);
  EXPECT_FLOAT_EQ(rod->Position.X, 0.25f);
  EXPECT_FLOAT_EQ(rod->Position.Y, -0.5f);
  EXPECT_NEAR(rod->GetRollAngle(), 14.4775f, 1e-3);
  EXPECT_NEAR(rod->GetChild(0)->GetRollAngle(), -14.4775f, 1e-3);
  const auto built = Pose(s.B());
  AnimateCrankSliderScene(s.B(), 0, 0.25f);
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 1e-6);
}

TEST(CrankSliderScene, PistonRunsOnItsLineAndTheRodOnTheCrankPin)
{
  for (Single r : {0.2f, 0.25f, 0.35f}) {
    TTopicScene s;
    BuildCrankSliderScene(s.B(), &s.Lib, r);
    TGLBaseSceneObject* rod = s.B()->GetChild(0);
    for (Single phase = 0; phase <= 360; phase += 7.5f) {
      AnimateCrankSliderScene(s.B(), phase, r);
      const TAffineVector pin = InScene(rod->GetChild(0), {0, 0, 0});
      EXPECT_NEAR(pin[0], 0, 1e-5) << r << " at " << phase;
      // The piston stays upright.
      const TAffineVector up = InScene(rod->GetChild(0), {0, 1, 0});
      EXPECT_NEAR(up[0], pin[0], 1e-5);
      // The rod starts where the crank web carries its pin.
      const TAffineVector crankPin = InScene(s.B()->GetChild(1)->GetChild(2), {r, 0, 0});
      const TAffineVector rodStart = InScene(rod, {0, 0, 0});
      EXPECT_NEAR(Dist(crankPin, {rodStart[0], rodStart[1], crankPin[2]}), 0, 1e-5);
    }
    AnimateCrankSliderScene(s.B(), 90, r);
    EXPECT_NEAR(InScene(rod->GetChild(0), {0, 0, 0})[1], 0.5f + r, 1e-5);
    AnimateCrankSliderScene(s.B(), 270, r);
    EXPECT_NEAR(InScene(rod->GetChild(0), {0, 0, 0})[1], 0.5f - r, 1e-5);
  }
}

TEST(CrankSlotScene, NumbersAtTheStart)
{
  TCrankSlotAngles a = CrankSlotAngles(0.3f, 0);
  EXPECT_NEAR(a.Theta * 180 / M_PI, 21.80, 0.01);
  EXPECT_NEAR(a.Psi * 180 / M_PI, 58.07, 0.01);
  // With the pin straight above the pivot the link stands upright.
  a = CrankSlotAngles(0.3f, 90);
  EXPECT_NEAR(a.Theta, 0, 1e-7);
  EXPECT_NEAR(a.Psi * 180 / M_PI, 72.54, 0.01);
  for (Single r : {0.1f, 0.2f, 0.3f})
    for (Single phase = 0; phase < 360; phase += 5) {
      const double rise = std::cos(CrankSlotAngles(r, phase).Psi);
      EXPECT_GE(rise, 0.3 - 1e-6);
      EXPECT_LE(rise, 0.5672);
    }
  // Throws the control cannot reach still give finite angles.
  for (Single r : {0.75f, 1.5f})
    for (Single phase = 0; phase < 360; phase += 15) {
      a = CrankSlotAngles(r, phase);
      EXPECT_TRUE(std::isfinite(a.Theta) && std::isfinite(a.Psi));
    }

  TTopicScene s;
  BuildCrankSlotScene(s.B(), &s.Lib, 0.3f, 0);
  EXPECT_EQ(Counts(s.B()), (std::vector<Integer>{7, 1, 5, 2, 8, 4, 1, 2}));
  EXPECT_NEAR(s.B()->GetChild(0)->GetRollAngle(), -21.80f, 0.01f);
  // The pinion keeps its own -9 degrees inside its group.
  AnimateCrankSlotScene(s.B(), 0.3f, 100);
  const TAffineVector x = InScene(s.B()->GetChild(4)->GetChild(0), {1, 0, 0});
  const TAffineVector o = InScene(s.B()->GetChild(4)->GetChild(0), {0, 0, 0});
  EXPECT_NEAR(std::atan2(x[1] - o[1], x[0] - o[0]) * 180 / M_PI, -259 + 360, 1e-3);
}

// Pin in block, block in slot, links on their pins, ram level, gears in mesh.
TEST(CrankSlotScene, ClosesAtEveryPhase)
{
  const double wheelR = 25 * 0.14 / (2 * M_PI), pinionR = 10 * 0.14 / (2 * M_PI);
  for (Single r : {0.1f, 0.2f, 0.3f}) {
    TTopicScene s;
    BuildCrankSlotScene(s.B(), &s.Lib, r, 0);
    TDummyCube* B = s.B();
    for (Single phase = 0; phase < 720; phase += 6.5f) {
      AnimateCrankSlotScene(B, r, phase);
      const TAffineVector pin = InScene(B->GetChild(1)->GetChild(4), {0, 0, 0});
      const TAffineVector block = InScene(B->GetChild(5), {0, 0, 0});
      EXPECT_NEAR(pin[0], block[0], 1e-5) << r << " at " << phase;
      EXPECT_NEAR(pin[1], block[1], 1e-5);
      // In the slotted link's own frame the pin lies on its axis, within the slot.
      auto* link = B->GetChild(0)->GetChildAs<TSlotLinkage>(0);
      const TAffineVector inLink = VectorTransform(pin, MatrixInvert(link->AbsoluteMatrix()));
      EXPECT_NEAR(inLink[0], 0, 1e-5);
      EXPECT_GE(inLink[1], link->SlotBottom + 0.075f);
      EXPECT_LE(inLink[1], link->SlotTop - 0.075f);
      // The connecting link runs from the slotted link's top to the ram's pin.
      const TAffineVector top = InScene(link, {0, 1.6f, 0});
      const TAffineVector conStart = InScene(B->GetChild(2), {0, 0, 0});
      const TAffineVector conEnd = InScene(B->GetChild(2)->GetChild(0), {-0.5f, 0, 0});
      const TAffineVector ramPin = InScene(B->GetChild(3)->GetChild(1), {0, 0, 0});
      EXPECT_NEAR(top[0], conStart[0], 1e-5);
      EXPECT_NEAR(top[1], conStart[1], 1e-5);
      EXPECT_NEAR(conEnd[0], ramPin[0], 1e-5);
      EXPECT_NEAR(conEnd[1], ramPin[1], 1e-5);
      EXPECT_FLOAT_EQ(B->GetChild(3)->Position.Y, 1.0f);
      // Mesh: a gap of the wheel and a tooth of the pinion meet on the line of centres.
      auto angle = [](const TGLBaseSceneObject* cog) {
        TAffineVector o = InScene(cog, {0, 0, 0}), x = InScene(cog, {1, 0, 0});
        return std::atan2(x[1] - o[1], x[0] - o[0]) * 180 / M_PI;
      };
      const double gap = Centred(angle(B->GetChild(1)->GetChild(1)) + 9 - 180, 14.4);
      const double tooth = Centred(angle(B->GetChild(4)->GetChild(0)) + 4.5, 36);
      EXPECT_NEAR(Centred(wheelR * gap * M_PI / 180 + pinionR * tooth * M_PI / 180, 0.14), 0, 1e-4) << phase;
    }
  }
}

TEST(WindlassScene, NumbersAtTheEnds)
{
  EXPECT_FLOAT_EQ(WindlassAxleRadius(), 0.06f);
  TTopicScene s;
  BuildWindlassScene(s.B(), &s.Lib, 0.6f, 0);
  EXPECT_EQ(Counts(s.B()), (std::vector<Integer>{4, 1, 1, 4, 1}));
  auto* helix = s.B()->GetChild(0)->GetChildAs<THelix>(0);
  auto* rope = s.B()->GetChild(1)->GetChildAs<TCylinder>(0);
  auto* load = s.B()->GetChild(3)->GetChildAs<TFrustrum>(0);
  EXPECT_FLOAT_EQ(helix->Turns, 1);
  EXPECT_FLOAT_EQ(rope->GetHeight(), 2.0f);
  EXPECT_FLOAT_EQ(s.B()->GetChild(3)->Position.Y, -1.3f);
  EXPECT_NEAR(load->GetBaseWidth(), 0.391f, 1e-3);
  AnimateWindlassScene(s.B(), 1800);
  EXPECT_NEAR(rope->GetHeight(), 2.0 - 0.06 * 10 * M_PI, 1e-4);
  EXPECT_FLOAT_EQ(helix->Turns, 6);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->Position.X, 0.15f);
  // Far past a lift the rope stops at the drum instead of turning inside out.
  AnimateWindlassScene(s.B(), 5000);
  EXPECT_EQ(rope->GetHeight(), 0);
  EXPECT_FLOAT_EQ(s.B()->GetChild(3)->Position.Y, 0.7f);
}

// The hanging rope leaves the coil where it starts and carries the load at its lower end;
// the coil's far end keeps its place on the drum; the drum winds the rope on.
TEST(WindlassScene, RopeCoilAndLoadStayJoined)
{
  TTopicScene s;
  BuildWindlassScene(s.B(), &s.Lib, 0.3f, 0);
  auto* helix = s.B()->GetChild(0)->GetChildAs<THelix>(0);
  auto* rope = s.B()->GetChild(1)->GetChildAs<TCylinder>(0);
  double farEnd0 = 0;
  for (Single phase = 0; phase <= 1800; phase += 45) {
    AnimateWindlassScene(s.B(), phase);
    const TAffineVector coilStart = InScene(helix, {helix->CoilRadius, 0, 0});
    const TAffineVector ropeTop = InScene(rope, {0, 0.5f * rope->GetHeight(), 0});
    EXPECT_LT(Dist(coilStart, ropeTop), 1e-5) << phase;
    EXPECT_NEAR(ropeTop[1], 0.7f, 1e-6);
    const TAffineVector ropeEnd = InScene(rope, {0, -0.5f * rope->GetHeight(), 0});
    const TAffineVector loadTop =
        InScene(s.B()->GetChild(3)->GetChild(0), {0, s.B()->GetChild(3)->GetChildAs<TFrustrum>(0)->GetHeight(), 0});
    EXPECT_LT(Dist(ropeEnd, loadTop), 1e-5) << phase;
    // The coil ends (Trunc(20 turns) + 1) steps of 0.0015 from its start.
    const Single turns = helix->Turns;
    const double along = (std::trunc(20.0 * turns) + 1) * 0.03 / 20;
    const double farEnd = InScene(helix, {0, 0, Single(along)})[0];
    if (phase == 0)
      farEnd0 = farEnd;
    EXPECT_NEAR(farEnd, farEnd0, 0.0016) << phase;
  }
  AnimateWindlassScene(s.B(), 10);
  EXPECT_GT(InScene(s.B()->GetChild(2), {0, 0, 1})[1], 0.7f);
}

}   // namespace
