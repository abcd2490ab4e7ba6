#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>

#include "engine/GLObjects.h"
#include "engine/GLStandardScene.h"
#include "parts/BasicParts.h"
#include "topics/GearCogs.h"
#include "topics/TopicFrame.h"

namespace {

// A scene base with the standard materials, rebuilt per test.
struct TStage {
  TDummyCube Base;
  TGLMaterialLibrary Lib;
  TStage() { FillStandardMaterials(Lib); }
};

// The roll of the cog at child `cogIndex` of scene-base child `group`, with its group's.
Single CogRoll(TDummyCube& base, Integer group, Integer cogIndex = 0)
{
  TGLBaseSceneObject* g = base.GetChild(group);
  return g->GetRollAngle() + g->GetChild(cogIndex)->GetRollAngle();
}

Integer CogTeeth(TDummyCube& base, Integer group, Integer cogIndex = 0)
{
  return dynamic_cast<TCog&>(*base.GetChild(group)->GetChild(cogIndex)).Teeth;
}

// Height above the line of centres, as tip arc, of the tooth centre nearest the mesh, for a
// cog facing its partner on the right (facing 0) or on the left (facing 180).
double ToothArc(Integer teeth, double rollDeg, double facingDeg)
{
  double r = teeth * double(CogPitch) / 6.283185;
  double a = (rollDeg + 45.0 / teeth - facingDeg) * M_PI / 180.0;
  return facingDeg == 0 ? r * a : -r * a;
}

// A tooth of one cog stands in a gap of the other: tooth centres differ by half a pitch.
::testing::AssertionResult InMesh(Integer left, double leftRoll, Integer right, double rightRoll)
{
  double d = ToothArc(left, leftRoll, 0) - ToothArc(right, rightRoll, 180);
  double m = std::remainder(d / CogPitch - 0.5, 1.0);
  if (std::abs(m) < 2e-3)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "teeth " << left << "/" << right << " rolls " << leftRoll << "/" << rightRoll
                                       << " off by " << m << " pitch";
}

// Whole turns within the rounding of a single-precision angle of that size.
bool WholeTurns(double degrees) { return std::abs(std::remainder(degrees, 360.0)) < 1e-3 + 2e-7 * std::abs(degrees); }

}   // namespace

TEST(GearCogs, ArithmeticValues)
{
  EXPECT_EQ(GreatestCommonDivisor(12, 18), 6);
  EXPECT_EQ(GreatestCommonDivisor(18, 12), 6);
  EXPECT_EQ(GreatestCommonDivisor(7, 7), 7);
  EXPECT_EQ(GreatestCommonDivisor(13, 17), 1);
  EXPECT_EQ(GreatestCommonDivisor(0, 5), 1);
  EXPECT_EQ(GreatestCommonDivisor(12, 12, 6), 6);
  EXPECT_EQ(GreatestCommonDivisor(20, 10, 20), 10);

  EXPECT_EQ(GearPairRepeatAngle(20, 20), 360);
  EXPECT_EQ(GearPairRepeatAngle(20, 30), 1080);
  EXPECT_EQ(GearPairRepeatAngle(30, 20), 720);
  EXPECT_EQ(GearTrainRepeatAngle(20, 10, 20), 360);
  EXPECT_EQ(GearTrainRepeatAngle(20, 15, 20), 1080);
  EXPECT_EQ(GearTrainRepeatAngle(12, 18, 30), 32400);
  EXPECT_EQ(CompoundGearRepeatAngle(20, 10, 20, 10), 360);
  // The centre shaft makes half a turn per driver turn: two turns bring it round.
  EXPECT_EQ(CompoundGearRepeatAngle(10, 20, 20, 10), 720);
  EXPECT_EQ(PulleyPairRepeatAngle(3, 5), 5400);
  EXPECT_EQ(PulleyPairRepeatAngle(4, 4), 360);
  EXPECT_EQ(RackPinionRepeatAngle(10, 4.0f), 479);
  EXPECT_EQ(RackPinionRepeatAngle(20, 4.0f), 239);
  EXPECT_EQ(RackPinionRepeatAngle(40, 4.0f), 119);

  EXPECT_FLOAT_EQ(CogStartAngle(20), 13.5f);
  EXPECT_NEAR(CogStartAngle(21), 4.2857f, 1e-4);
  EXPECT_FLOAT_EQ(MeshPhaseAngle(20, 10), 36);
  EXPECT_FLOAT_EQ(MeshPhaseAngle(21, 10), 18);
  EXPECT_NEAR(MeshPhaseAngle(20, 11), 16.3636f, 1e-4);
  EXPECT_FLOAT_EQ(MeshPhaseAngle(21, 11), 0);
  EXPECT_FLOAT_EQ(DriverStartAngle(20, 10), 13.5f);
  EXPECT_FLOAT_EQ(DriverStartAngle(20, 11), 4.5f);
  EXPECT_FLOAT_EQ(BevelPinionStartAngle(15), 108);
  EXPECT_FLOAT_EQ(BevelPinionStartAngle(16), 95.625f);
}

TEST(GearCogs, EveryShaftTurnsWholeAtTheRepeatAngle)
{
  // Driver turns k = repeat / 360; a shaft at ratio num/den of the driver is round when k num / den is whole.
  auto round = [](Integer repeat, int64_t num, int64_t den) {
    return repeat % 360 == 0 && (int64_t(repeat / 360) * num) % den == 0;
  };
  for (Integer a = 10; a <= 40; ++a)
    for (Integer b = 10; b <= 40; ++b) {
      ASSERT_TRUE(round(GearPairRepeatAngle(a, b), a, b)) << a << " " << b;
      for (Integer c = 10; c <= 40; ++c) {
        Integer r = GearTrainRepeatAngle(a, b, c);
        ASSERT_TRUE(round(r, a, b) && round(r, a, c)) << a << " " << b << " " << c;
        for (Integer d = 10; d <= 40; ++d) {
          Integer q = CompoundGearRepeatAngle(a, b, c, d);
          ASSERT_TRUE(round(q, a, b) && round(q, int64_t(a) * c, int64_t(b) * d))
              << a << " " << b << " " << c << " " << d;
        }
      }
    }
}

TEST(GearCogs, AnimatedScenesComeRoundAtTheirRepeatAngle)
{
  // The same through the scenes themselves, for a spread of counts.
  for (Integer a : {10, 13, 20, 27, 40})
    for (Integer b : {11, 20, 24, 39}) {
      TStage s;
      BuildCompoundGearScene(&s.Base, &s.Lib, a, b, b + 1, a + 3, false);
      Integer r = CompoundGearRepeatAngle(a, b, b + 1, a + 3);
      AnimateCompoundGearScene(&s.Base, a, b, b + 1, a + 3, Single(r));
      for (Integer i = 0; i < 6; ++i)
        EXPECT_TRUE(WholeTurns(s.Base.GetChild(i)->GetRollAngle())) << a << " " << b << " child " << i;

      TStage t;
      BuildThreeCogScene(&t.Base, &t.Lib, a, b, a + 1, false);
      AnimateThreeCogScene(&t.Base, a, b, a + 1, Single(GearTrainRepeatAngle(a, b, a + 1)));
      for (Integer i = 0; i < 6; ++i)
        EXPECT_TRUE(WholeTurns(t.Base.GetChild(i)->GetRollAngle())) << a << " " << b << " child " << i;
    }
}

TEST(GearCogs, TeethStayInMeshAtEveryPhase)
{
  const Single phases[] = {0, 1.5f, 7.3f, 45, 90, 133.7f, 270, 359.9f, 1000};
  for (Integer a = 10; a <= 40; ++a)
    for (Integer b = 10; b <= 40; b += (a % 3) + 1) {
      TStage two, three, compound, helical;
      BuildTwoCogScene(&two.Base, &two.Lib, a, b, false);
      BuildThreeCogScene(&three.Base, &three.Lib, a, b, 51 - a, false);
      BuildCompoundGearScene(&compound.Base, &compound.Lib, a, b, 50 - b, 51 - a, false);
      BuildHelicalGearScene(&helical.Base, &helical.Lib, a, b, false);
      for (Single p : phases) {
        AnimateTwoCogScene(&two.Base, a, b, p);
        EXPECT_TRUE(InMesh(a, CogRoll(two.Base, 0), b, CogRoll(two.Base, 1)));
        AnimateHelicalGearScene(&helical.Base, a, b, p);
        EXPECT_TRUE(InMesh(a, CogRoll(helical.Base, 0), b, CogRoll(helical.Base, 1)));
        AnimateThreeCogScene(&three.Base, a, b, 51 - a, p);
        EXPECT_TRUE(InMesh(a, CogRoll(three.Base, 0), b, CogRoll(three.Base, 2)));
        EXPECT_TRUE(InMesh(b, CogRoll(three.Base, 2), 51 - a, CogRoll(three.Base, 4)));
        AnimateCompoundGearScene(&compound.Base, a, b, 50 - b, 51 - a, p);
        EXPECT_TRUE(InMesh(a, CogRoll(compound.Base, 0), b, CogRoll(compound.Base, 2, 0)));
        EXPECT_TRUE(InMesh(50 - b, CogRoll(compound.Base, 2, 5), 51 - a, CogRoll(compound.Base, 4)));
        ASSERT_EQ(CogTeeth(compound.Base, 2, 5), 50 - b);
      }
    }
}

TEST(GearCogs, ScenesStandWhereTheCentreDistancesPutThem)
{
  TStage s;
  BuildTwoCogScene(&s.Base, &s.Lib, 20, 20, true);
  EXPECT_NEAR(s.Base.GetChild(0)->Position.X, -0.4775f, 1e-4);
  EXPECT_NEAR(s.Base.GetChild(1)->Position.X, 0.4025f, 1e-4);
  EXPECT_NEAR(CogRoll(s.Base, 1), -13.5f, 1e-5);
  // The arrow of each wheel reaches its own root circle.
  auto tip = [&](Integer group) {
    auto* l = dynamic_cast<TLines*>(s.Base.GetChild(group)->GetChild(0));
    return l->Nodes[3]->X;
  };
  EXPECT_NEAR(tip(2), CogRadius(20) - 0.075f, 1e-5);
  EXPECT_NEAR(tip(3), -(CogRadius(20) - 0.075f), 1e-5);

  TStage t;
  BuildThreeCogScene(&t.Base, &t.Lib, 20, 10, 20, false);
  EXPECT_NEAR(CogRoll(t.Base, 2), -27, 1e-4);
  EXPECT_NEAR(CogRoll(t.Base, 4), 18, 1e-4);
  AnimateThreeCogScene(&t.Base, 20, 10, 20, 90);
  EXPECT_NEAR(t.Base.GetChild(2)->GetRollAngle(), -180, 1e-4);
  EXPECT_NEAR(t.Base.GetChild(4)->GetRollAngle(), 90, 1e-4);
  AnimateThreeCogScene(&t.Base, 20, 10, 20, 0);
  for (Integer i = 0; i < 6; ++i)
    EXPECT_EQ(t.Base.GetChild(i)->GetRollAngle(), 0);
}

TEST(GearCogs, AnimateTurnsByTheCountsItIsGiven)
{
  // The driven cog follows the counts handed to the animate step: 90 degrees of a 20-tooth
  // driver turn a 40-tooth cog back by 45 and a 30-tooth one back by 60.
  TStage s;
  BuildTwoCogScene(&s.Base, &s.Lib, 20, 40, false);
  AnimateTwoCogScene(&s.Base, 20, 40, 90);
  EXPECT_NEAR(s.Base.GetChild(1)->GetRollAngle(), -45, 1e-4);
  TStage h;
  BuildHelicalGearScene(&h.Base, &h.Lib, 20, 30, false);
  AnimateHelicalGearScene(&h.Base, 20, 30, 90);
  EXPECT_NEAR(h.Base.GetChild(1)->GetRollAngle(), -60, 1e-4);
}
