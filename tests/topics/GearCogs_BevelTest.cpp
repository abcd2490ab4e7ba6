#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "engine/GLObjects.h"
#include "parts/BasicParts.h"
#include "topics/GearCogs.h"
#include "topics/Markers.h"
#include "tests/engine/ShapesTestUtil.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

Integer GroupCount(const TTopicScene& s, Integer i) { return s.B()->GetChild(i)->GetCount(); }

TEST(BevelGearScene, TreeAndMarkers)
{
  TTopicScene s;
  BuildBevelGearScene(s.B(), &s.Lib, false);
  ASSERT_EQ(s.B()->GetCount(), 4);
  EXPECT_EQ(GroupCount(s, 0), 3);
  EXPECT_EQ(GroupCount(s, 1), 2);
  EXPECT_EQ(GroupCount(s, 2), 1);
  EXPECT_EQ(GroupCount(s, 3), 1);
  // The pinion stands at (A1, A2).
  EXPECT_NEAR(s.B()->GetChild(1)->Position.X, 0.75797f, 1e-4);
  EXPECT_NEAR(s.B()->GetChild(1)->Position.Y, 0.14200f, 1e-4);
  auto* wheelArrow = s.B()->GetChild(2)->GetChildAs<TLines>(0);
  ASSERT_NE(wheelArrow, nullptr);
  EXPECT_EQ(wheelArrow->GetNodes().GetCount(), 6);
  EXPECT_TRUE(wheelArrow->GetVisible());
  EXPECT_FALSE(s.B()->GetChild(2)->GetVisible());
  EXPECT_FALSE(s.B()->GetChild(3)->GetVisible());
  ShowBevelGearMarkers(s.B(), true);
  EXPECT_TRUE(s.B()->GetChild(2)->GetVisible());
  EXPECT_TRUE(s.B()->GetChild(3)->GetVisible());

  TTopicScene shown;
  BuildBevelGearScene(shown.B(), &shown.Lib, true);
  EXPECT_EQ(Pose(shown.B()), Pose(s.B()));
}

TEST(BevelGearScene, PinionTurnsFourTimesAsFast)
{
  TTopicScene s;
  BuildBevelGearScene(s.B(), &s.Lib, true);
  AnimateBevelGearScene(s.B(), 90);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetTurnAngle(), 90);
  EXPECT_FLOAT_EQ(s.B()->GetChild(2)->GetTurnAngle(), 90);
  EXPECT_FLOAT_EQ(s.B()->GetChild(1)->GetPitchAngle(), -360);
  EXPECT_FLOAT_EQ(s.B()->GetChild(3)->GetPitchAngle(), -360);

  // The pinion's group is back where it began after -360; the wheel's is a quarter turn on.
  TTopicScene fresh;
  BuildBevelGearScene(fresh.B(), &fresh.Lib, true);
  EXPECT_LT(PoseDistance(Pose(s.B()->GetChild(1)), Pose(fresh.B()->GetChild(1))), 1e-5);
  TAffineVector x = InScene(s.B()->GetChild(0), {1, 0, 0});
  EXPECT_NEAR(x[0], 0, 1e-5);
  EXPECT_NEAR(std::fabs(x[2]), 1, 1e-5);
}

TEST(MitreGearScene, TreeStartRollAndPoses)
{
  TTopicScene s;
  BuildMitreGearScene(s.B(), &s.Lib, false);
  ASSERT_EQ(s.B()->GetCount(), 4);
  for (Integer i : {0, 1})
    EXPECT_EQ(GroupCount(s, i), 2);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetChild(0)->GetRollAngle(), -16.875f);
  EXPECT_FALSE(s.B()->GetChild(2)->GetVisible());
  ShowMitreGearMarkers(s.B(), true);
  EXPECT_TRUE(s.B()->GetChild(2)->GetVisible() && s.B()->GetChild(3)->GetVisible());

  AnimateMitreGearScene(s.B(), 40);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->GetRollAngle(), 40);
  EXPECT_FLOAT_EQ(s.B()->GetChild(1)->GetPitchAngle(), 40);
  EXPECT_FLOAT_EQ(s.B()->GetChild(3)->GetRollAngle(), 40);
  EXPECT_FLOAT_EQ(s.B()->GetChild(2)->GetRollAngle(), -40);
  // The second marker turns with the second gear: its tip is carried about the gear's axis
  // (y = 0, z = the apex height, where the second gear stands) by the gear group's rotation.
  TTopicScene f;
  BuildMitreGearScene(f.B(), &f.Lib, true);
  const Single axisZ = f.B()->GetChild(1)->Position.Z;
  EXPECT_NEAR(axisZ, -f.B()->GetChild(1)->Position.X, 1e-6);   // both cones share one apex
  const TAffineVector tip0 = InScene(f.B()->GetChild(2)->GetChild(0), {0.25f, 0, 0});
  const TAffineVector tip = InScene(s.B()->GetChild(2)->GetChild(0), {0.25f, 0, 0});
  const TAffineVector expected = VectorRotate({tip0[0], tip0[1], tip0[2] - axisZ}, s.B()->GetChild(1)->LocalMatrix());
  EXPECT_NEAR(tip[0], expected[0], 1e-5);
  EXPECT_NEAR(tip[1], expected[1], 1e-5);
  EXPECT_NEAR(tip[2] - axisZ, expected[2], 1e-5);
}

TEST(MitreGearScene, ArrowsLieJustInFrontOfTheGearsFaces)
{
  // Each arrow must lie in front of its gear (not buried in the body) and over the small
  // end's face, close to it, at any phase.
  TTopicScene s;
  BuildMitreGearScene(s.B(), &s.Lib, true);
  for (Single phase : {0.0f, 40.0f, 250.0f}) {
    AnimateMitreGearScene(s.B(), phase);
    for (auto [group, marker] : {std::pair<Integer, Integer>{0, 3}, {1, 2}}) {
      SCOPED_TRACE(std::to_string(group) + " at " + std::to_string(phase));
      TGLBaseSceneObject* gear = s.B()->GetChild(group)->GetChild(0);
      TGLRecorder rec;
      RecordBuild(*gear, rec);
      Single front = -1e9f, faceRadius = 0;
      for (const TRecordedTriangle& t : RecordedTriangles(rec.Calls()))
        for (const TAffineVector& p : t.P)
          front = std::max(front, p[2]);
      for (const TRecordedTriangle& t : RecordedTriangles(rec.Calls()))
        for (const TAffineVector& p : t.P)
          if (p[2] > front - 1e-5f)
            faceRadius = std::max(faceRadius, std::hypot(p[0], p[1]));
      const TMatrix toGear = MatrixInvert(gear->AbsoluteMatrix());
      auto* arrow = dynamic_cast<TLines*>(s.B()->GetChild(marker)->GetChild(0));
      ASSERT_NE(arrow, nullptr);
      for (Integer k = 0; k < arrow->Nodes.GetCount(); ++k) {
        TAffineVector p = VectorTransform(InScene(arrow, arrow->Nodes.GetItem(k)->AsAffineVector()), toGear);
        EXPECT_GT(p[2], front + 0.005f) << k;
        EXPECT_LT(p[2], front + 0.05f) << k;
        EXPECT_LT(std::hypot(p[0], p[1]), 0.8f * faceRadius) << k;
      }
    }
  }
}

// An arrow shows its gear's turn: seen from the gear it must stand still at every phase. The
// second mitre gear turns about X while its arrow's group, turned to lie along that shaft,
// rolls about its own axis, so a wrong sign there sends the arrow round the other way.
TEST(MitreGearScene, ArrowsTurnWithTheirGears)
{
  TTopicScene s;
  BuildMitreGearScene(s.B(), &s.Lib, true);
  for (std::pair<Integer, Integer> pair : {std::pair<Integer, Integer>{0, 3}, {1, 2}}) {
    const Integer group = pair.first, marker = pair.second;
    auto inGear = [&](Single phase) {
      AnimateMitreGearScene(s.B(), phase);
      TGLBaseSceneObject* gear = s.B()->GetChild(group)->GetChild(0);
      auto* arrow = dynamic_cast<TLines*>(s.B()->GetChild(marker)->GetChild(0));
      const TMatrix toGear = MatrixInvert(gear->AbsoluteMatrix());
      std::vector<TAffineVector> nodes;
      for (Integer k = 0; arrow && k < arrow->Nodes.GetCount(); ++k)
        nodes.push_back(VectorTransform(InScene(arrow, arrow->Nodes.GetItem(k)->AsAffineVector()), toGear));
      return nodes;
    };
    const std::vector<TAffineVector> rest = inGear(0);
    ASSERT_EQ(rest.size(), 6u);
    for (Single phase : {30.0f, 90.0f, 200.0f}) {
      const std::vector<TAffineVector> now = inGear(phase);
      ASSERT_EQ(now.size(), rest.size());
      for (size_t k = 0; k < rest.size(); ++k)
        for (int c = 0; c < 3; ++c)
          EXPECT_NEAR(now[k][c], rest[k][c], 1e-4) << "group " << group << " phase " << phase << " node " << k;
    }
  }
}

TEST(RackPinionScene, RangeAndTravel)
{
  EXPECT_EQ(RackPinionRepeatAngle(10, 4.0f), 479);
  TTopicScene s;
  BuildRackPinionScene(s.B(), &s.Lib, 10, 4.0f, 0.2f, 0.2f, false);
  ASSERT_EQ(s.B()->GetCount(), 3);
  EXPECT_EQ(GroupCount(s, 0), 1);
  EXPECT_EQ(GroupCount(s, 1), 5);
  EXPECT_EQ(GroupCount(s, 2), 1);
  const Single r = 10 * 0.15f / 6.283185f;
  EXPECT_NEAR(s.B()->GetChild(1)->Position.Y, r - 0.0675f, 1e-6);
  EXPECT_FLOAT_EQ(s.B()->GetChild(1)->GetChild(0)->GetRollAngle(), -90);

  AnimateRackPinionScene(s.B(), 10, 479);
  EXPECT_NEAR(s.B()->GetChild(0)->Position.X, 1.996f, 1e-3);
  EXPECT_LT(s.B()->GetChild(0)->Position.X, 2.0f);
  EXPECT_FLOAT_EQ(s.B()->GetChild(1)->GetRollAngle(), 479);
  // Negative phases from the step bar run the other way.
  AnimateRackPinionScene(s.B(), 10, -479);
  EXPECT_NEAR(s.B()->GetChild(0)->Position.X, -1.996f, 1e-3);
  EXPECT_FLOAT_EQ(s.B()->GetChild(2)->GetRollAngle(), -479);

  EXPECT_FALSE(s.B()->GetChild(2)->GetVisible());
  ShowRackPinionMarkers(s.B(), true);
  EXPECT_TRUE(s.B()->GetChild(2)->GetVisible());
}

// The pinion's tooth nearest the rack stays centred in a gap of the rack at every phase.
TEST(RackPinionScene, PinionStaysInMesh)
{
  for (Integer teeth : {10, 17, 40}) {
    TTopicScene s;
    BuildRackPinionScene(s.B(), &s.Lib, teeth, 4.0f, 0.2f, 0.2f, false);
    auto* rack = s.B()->GetChild(0)->GetChildAs<TRackGear>(0);
    auto* cog = s.B()->GetChild(1)->GetChildAs<TCog>(0);
    ASSERT_TRUE(rack && cog);
    const double p = CogPitch, r = cog->TipRadius();
    const Integer m = RackPinionRepeatAngle(teeth, 4.0f);
    for (Single phase = Single(-m); phase <= Single(m); phase += 37.3f) {
      AnimateRackPinionScene(s.B(), teeth, phase);
      const TAffineVector centre = InScene(cog, {0, 0, 0});
      // Tooth centres lie 45/n degrees past each tooth's start; find the one lowest down.
      double best = 1e9, toothX = 0;
      for (Integer k = 0; k < teeth; ++k) {
        double a = (360.0 * k + 45.0) / teeth * M_PI / 180;
        TAffineVector q = InScene(cog, {Single(r * std::cos(a)), Single(r * std::sin(a)), 0});
        if (q[1] < best) {
          best = q[1];
          // Arc position along the pitch line: angle from straight down times the radius.
          toothX = centre[0] + r * std::atan2(q[0] - centre[0], centre[1] - q[1]);
        }
      }
      const double gapX = s.B()->GetChild(0)->Position.X + rack->FirstToothX() + 0.625 * p;
      EXPECT_NEAR(Centred(toothX - gapX, p), 0, 1e-3) << teeth << " teeth at phase " << phase;
    }
  }
}

}   // namespace
