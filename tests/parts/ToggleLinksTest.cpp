#include "parts/ToggleLinks.h"

#include <cmath>
#include <limits>

#include "PartTestSupport.h"

TEST(AToggleLink, OutlineCountsPlatesAndArm)
{
  TAToggleLink rocker(nullptr, 1.0f, 0.5f, 0.2f, 0.03f);
  EXPECT_FLOAT_EQ(rocker.CornerRadius, 0.1f);
  EXPECT_FLOAT_EQ(rocker.ArmDepth, 0.25f);
  TBuiltPart b = BuildPart(rocker);
  EXPECT_SOUND(b);
  const auto fans = b.OfMode(GL_TRIANGLE_FAN);
  ASSERT_EQ(fans.size(), 4u);
  for (const auto& f : fans)
    EXPECT_EQ(f.Vertices.size(), size_t(1 + 4 * 5 + 6));
  ASSERT_EQ(b.OfMode(GL_QUADS).size(), 1u);
  EXPECT_EQ(b.OfMode(GL_QUADS)[0].Vertices.size(), 52u);
  // The lower corner arcs meet at (0, -r) when the pin offset is 0.
  const TGLVertexArray o = rocker.Outline();
  ASSERT_EQ(o.size(), 26u);
  ExpectNear3(o[18], {0, -0.1f, 0});
  ExpectNear3(o[19], {0, -0.1f, 0});
  // The plates sit at the outer faces, the second the mirror of the first.
  EXPECT_NEAR(fans[0].Vertices[1][2], 0.1f, 1e-7f);
  EXPECT_NEAR(fans[2].Vertices[1][2], -0.1f, 1e-7f);
  TAToggleLink copy(nullptr, 0, 0, 0, 0);
  rocker.PinOffset = 0.02f;
  copy.Assign(rocker);
  EXPECT_EQ(copy.PinOffset, 0.02f);
  EXPECT_EQ(copy.Segments, 5);
}

TEST(AToggleLink, ZeroCornerRadiusAndDegenerates)
{
  TAToggleLink rocker(nullptr, 1.0f, 0.5f, 0.2f, 0.03f);
  rocker.CornerRadius = 0;
  ExpectBounded(rocker);
  TBuiltPart b = BuildPart(rocker);
  // Slope angle 0: the first arm quad's normal is (0, 0, 1).
  const auto quads = b.OfMode(GL_QUADS);
  ExpectNear3(quads[0].Normals[0], {0, 0, 1});
  rocker.Segments = -1;
  rocker.Width = std::numeric_limits<float>::quiet_NaN();
  ExpectBounded(rocker);
}

TEST(BToggleLink, CountsCutAndTrueWallNormals)
{
  TBToggleLink side(nullptr, 1.0f, 0.1f, 0.02f, 6);
  EXPECT_FLOAT_EQ(side.Extension, 0.05f);
  TBuiltPart b = BuildPart(side);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Pushes, 1);
  ASSERT_EQ(b.Prims.size(), 3u);
  EXPECT_EQ(b.Prims[0].Vertices.size(), size_t(1 + 3 * 6 + 4));
  ExpectNear3(b.Prims[0].Vertices[0], {-1.05f, 0, 0.01f});
  const TGLVertexArray o = side.Outline();
  ExpectNear3(o.front(), o.back());
  // 45 degree cut: its foot lies EndRadius in from the far end.
  ExpectNear3(o[2 * 7], {-1.05f - 0.1f + 0.1f, -0.1f, 0}, 1e-6f);
  // Every wall normal lies in the plate's plane and looks out of it.
  const auto& wall = b.Prims[2];
  for (size_t i = 0; i < wall.Vertices.size(); ++i) {
    const auto& n = wall.Normals[i];
    const auto& v = wall.Vertices[i];
    EXPECT_EQ(n[2], 0) << i;
    EXPECT_GT(n[0] * (v[0] + 0.525f) + n[1] * v[1], 0) << i;
  }
  side.CutAngle = 90;
  ExpectNear3(side.Outline()[2 * 7], {-1.15f, -0.1f, 0}, 1e-6f);
  side.CutAngle = 0;
  side.UseSideColour = false;
  b = BuildPart(side);
  EXPECT_EQ(b.Pushes, 0);
  EXPECT_TRUE(b.Problems.empty()) << b.Problems;
  TBToggleLink copy(nullptr, 0, 0, 0, 1);
  copy.Assign(side);
  EXPECT_EQ(copy.CutAngle, 0);
  EXPECT_FALSE(copy.UseSideColour);
}

TEST(CToggleLink, CountsFollowTheLeverAngle)
{
  TCToggleLink lever(nullptr, 1.0f, 0.6f, 0.08f, 0.02f, 10);
  TBuiltPart b = BuildPart(lever);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Pushes, 1);
  const int K = 2;   // 45 degrees in steps of 18
  EXPECT_EQ(lever.Outline().size(), size_t(2 * 10 + K + 5));
  EXPECT_EQ(b.Prims[0].Vertices.size(), size_t(1 + 2 * 10 + K + 5));
  lever.LeverAngle = 0;
  const TGLVertexArray o = lever.Outline();
  ASSERT_EQ(o.size(), size_t(2 * 10 + 5));
  ExpectNear3(o[o.size() - 2], {0, -0.08f, 0});
  // The elbow's corner faces up on a straight lever.
  b = BuildPart(lever);
  const auto& wall = b.Prims[2];
  ExpectNear3(wall.Normals[2 * 11], {0, 1, 0});
  TCToggleLink copy(nullptr, 0, 0, 0, 0, 1);
  copy.Assign(lever);
  EXPECT_EQ(copy.LeverAngle, 0);
  for (float a : {-90.0f, 1e20f, std::numeric_limits<float>::quiet_NaN()}) {
    lever.LeverAngle = a;
    ExpectBounded(lever);
  }
  lever.Segments = 0;
  ExpectBounded(lever);
}

TEST(ToggleLinks, WallsFaceOut)
{
  TAToggleLink rocker(nullptr, 1.0f, 0.5f, 0.2f, 0.03f);
  TBuiltPart a = BuildPart(rocker);
  const auto aWalls = a.OfMode(GL_TRIANGLE_STRIP);
  ASSERT_EQ(aWalls.size(), 2u);
  ExpectWallFacesOut(aWalls[0], rocker.Outline());
  ExpectWallFacesOut(aWalls[1], rocker.Outline());
  TBToggleLink side(nullptr, 1.0f, 0.1f, 0.02f, 6);
  ExpectWallFacesOut(BuildPart(side).OfMode(GL_TRIANGLE_STRIP)[0], side.Outline());
  TCToggleLink lever(nullptr, 1.0f, 0.6f, 0.08f, 0.02f, 10);
  for (float angle : {0.0f, 45.0f, 90.0f}) {
    lever.LeverAngle = angle;
    ExpectWallFacesOut(BuildPart(lever).OfMode(GL_TRIANGLE_STRIP)[0], lever.Outline());
  }
}

TEST(AToggleLink, PlateFacesCoverTheOutlineAndNothingBeyond)
{
  // Each plate face is a fan from one centre: every triangle must turn the same way round
  // it, or the fan folds back over the cove under the beak and covers a sliver of it.
  for (Single offset : {0.0f, 0.02f, 0.1f})
    for (Single depth : {0.25f, 0.4f}) {
      SCOPED_TRACE(::testing::Message() << "pin offset " << offset << " arm depth " << depth);
      TAToggleLink rocker(nullptr, 1.1f, 0.5f, 0.2f, 0.05f);
      rocker.PinOffset = offset;
      rocker.ArmDepth = depth;
      const TBuiltPart b = BuildPart(rocker);
      const auto fans = b.OfMode(GL_TRIANGLE_FAN);
      ASSERT_EQ(fans.size(), 4u);
      const TGLVertexArray outline = rocker.Outline();
      double outlineArea = 0;
      for (size_t i = 0; i + 1 < outline.size(); ++i)
        outlineArea += (outline[i][0] * outline[i + 1][1] - outline[i + 1][0] * outline[i][1]) / 2;
      for (const auto& fan : fans) {
        double area = 0;
        int folded = 0;
        for (size_t i = 1; i + 1 < fan.Vertices.size(); ++i) {
          const TAffineVector c = VectorCrossProduct(VectorSubtract(fan.Vertices[i], fan.Vertices[0]),
                                                     VectorSubtract(fan.Vertices[i + 1], fan.Vertices[0]));
          const double turn = VectorDotProduct(c, fan.Normals[i]) / 2;
          folded += turn < -1e-9;
          area += std::fabs(turn);
        }
        EXPECT_EQ(folded, 0);
        EXPECT_NEAR(area, outlineArea, 1e-5);
      }
    }
}
