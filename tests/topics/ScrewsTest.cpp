#include <gtest/gtest.h>

#include "parts/BasicParts.h"
#include "topics/Screws.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

// Where a thread's helix crosses X at the scene angle 0 (from +Z towards +Y): a right-handed
// thread's ridge at the scene angle phi lies at x = c - pitch phi / 2 pi, c this value.
double HelixOrigin(const TScrew* thread, bool rightHanded)
{
  const TAffineVector p = InScene(thread, {0, 0, thread->Radius});
  const TAffineVector axis = InScene(thread, {0, 0, 0});
  const double phi = std::atan2(double(p[1] - axis[1]), double(p[2] - axis[2]));
  return p[0] + (rightHanded ? 1 : -1) * thread->Pitch * phi / (2 * M_PI);
}

TEST(ScrewThreadScene, TreeAndTravel)
{
  TTopicScene s;
  BuildScrewThreadScene(s.B(), &s.Lib, tpSquare, 0.1f);
  ASSERT_EQ(s.B()->GetCount(), 2);
  EXPECT_EQ(s.B()->GetChild(0)->GetCount(), 3);
  EXPECT_EQ(s.B()->GetChild(1)->GetCount(), 2);
  EXPECT_EQ(s.B()->GetChild(0)->GetChildAs<TScrew>(0)->Profile, tpSquare);
  EXPECT_TRUE(s.B()->GetChild(1)->GetChildAs<TScrew>(1)->InternalThread);
  const auto built = Pose(s.B());
  AnimateScrewThreadScene(s.B(), 0.1f, 3600);
  EXPECT_NEAR(s.B()->GetChild(0)->Position.X, -1.0f, 1e-6);
  // Ten whole turns: the bolt stands as built, ten pitches along.
  s.B()->GetChild(0)->Position.X = 0;
  EXPECT_LT(PoseDistance(built, Pose(s.B())), 1e-4);

  TTopicScene coarse;
  BuildScrewThreadScene(coarse.B(), &coarse.Lib, tpVee, 0.4f);
  EXPECT_FLOAT_EQ(coarse.B()->GetChild(1)->GetChildAs<THexNut>(0)->Thickness, 0.9f);
  EXPECT_EQ(coarse.B()->GetChild(1)->GetChildAs<TScrew>(1)->Turns, 2);
}

// The bolt runs along its own thread, and the nut's groove lies where the ridge arrives.
TEST(ScrewThreadScene, RidgeFollowsTheNutsGrooveAtEveryPitch)
{
  for (Integer pos = 10; pos <= 40; pos += 5) {
    const Single p = Single(pos) * 0.01f;
    TTopicScene s;
    BuildScrewThreadScene(s.B(), &s.Lib, tpAcme, p);
    auto* bolt = s.B()->GetChild(0)->GetChildAs<TScrew>(0);
    auto* nut = s.B()->GetChild(1)->GetChildAs<TScrew>(1);
    const double groove = HelixOrigin(nut, true);
    const double start = HelixOrigin(bolt, true);
    EXPECT_NEAR(Centred(start - groove, p), 0, 1e-5) << p;
    for (Single phase = 0; phase <= 3600; phase += 97) {
      AnimateScrewThreadScene(s.B(), p, phase);
      EXPECT_NEAR(Centred(HelixOrigin(bolt, true) - start, p), 0, 1e-4) << p << " at " << phase;
    }
  }
}

TEST(ScrewJackScene, NumbersAtTheEnds)
{
  TScrewJackPose p = ScrewJackPose(0);
  EXPECT_NEAR(p.X, 0.75175f, 1e-5);
  EXPECT_NEAR(p.Y, 0.27362f, 1e-5);
  EXPECT_NEAR(p.Alpha, 20, 1e-4);
  EXPECT_NEAR(p.NutX, 0.95175f, 1e-5);
  p = ScrewJackPose(3600);
  EXPECT_NEAR(p.X, 0.25175f, 1e-5);
  EXPECT_NEAR(p.Y, 0.75935f, 1e-5);
  EXPECT_NEAR(p.Alpha, 71.66f, 0.01f);
  // Beyond the stroke the nuts stop at the middle or at the arms' full spread.
  for (Single phase : {-5000.0f, 20000.0f, 1e30f}) {
    p = ScrewJackPose(phase);
    EXPECT_TRUE(std::isfinite(p.Y) && std::isfinite(p.Alpha)) << phase;
  }

  TTopicScene s;
  BuildScrewJackScene(s.B(), &s.Lib, 0);
  ASSERT_EQ(s.B()->GetCount(), 5);
  const Integer counts[] = {7, 3, 6, 6, 3};
  for (Integer i = 0; i < 5; ++i)
    EXPECT_EQ(s.B()->GetChild(i)->GetCount(), counts[i]);
  EXPECT_NEAR(s.B()->GetChild(1)->Position.Y, -0.20276f, 1e-5);
  EXPECT_NEAR(s.B()->GetChild(2)->Position.X, -0.95175f, 1e-5);
  EXPECT_NEAR(s.B()->GetChild(3)->Position.X, 0.95175f, 1e-5);
  AnimateScrewJackScene(s.B(), 3600);
  EXPECT_NEAR(s.B()->GetChild(1)->Position.Y, 0.7687f, 1e-4);
}

// Every arm reaches from its nut's pin to a top or bottom pivot pin, and each nut rides its
// half of the screw: the thread carries it one pitch towards the middle per turn.
TEST(ScrewJackScene, ArmsMeetThePinsAndNutsRideTheThread)
{
  TTopicScene s;
  BuildScrewJackScene(s.B(), &s.Lib, 0);
  TDummyCube* B = s.B();
  auto* leftHanded = B->GetChild(0)->GetChildAs<TScrew>(0);
  auto* rightHanded = B->GetChild(0)->GetChildAs<TScrew>(1);
  ASSERT_TRUE(leftHanded->LeftHanded);
  const double leftStart = HelixOrigin(rightHanded, true) - B->GetChild(2)->Position.X;
  const double rightStart = HelixOrigin(leftHanded, false) - B->GetChild(3)->Position.X;
  for (Single phase = 0; phase <= 3600; phase += 45) {
    AnimateScrewJackScene(B, phase);
    for (Integer side : {2, 3})
      for (Integer arm = 0; arm < 4; ++arm) {
        const TAffineVector end = InScene(B->GetChild(side)->GetChild(arm), {-0.8f, 0, 0});
        const TGLBaseSceneObject* pin = B->GetChild(arm < 2 ? 1 : 4)->GetChild(side == 2 ? 1 : 2);
        const TAffineVector at = InScene(pin, {0, 0, 0});
        EXPECT_NEAR(end[0], at[0], 1e-5) << phase << " " << side << " " << arm;
        EXPECT_NEAR(end[1], at[1], 1e-5);
        const TAffineVector nutPin = InScene(B->GetChild(side)->GetChild(5), {0, 0, 0});
        const TAffineVector start = InScene(B->GetChild(side)->GetChild(arm), {0, 0, 0});
        EXPECT_NEAR(nutPin[1], start[1], 1e-6);
      }
    // The screw rides at the nuts' height.
    EXPECT_FLOAT_EQ(B->GetChild(0)->Position.Y, B->GetChild(2)->Position.Y);
    EXPECT_NEAR(Centred(HelixOrigin(rightHanded, true) - B->GetChild(2)->Position.X - leftStart, 0.05), 0, 1e-4)
        << phase;
    EXPECT_NEAR(Centred(HelixOrigin(leftHanded, false) - B->GetChild(3)->Position.X - rightStart, 0.05), 0, 1e-4)
        << phase;
  }
}

}   // namespace
