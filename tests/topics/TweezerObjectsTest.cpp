#include "topics/TweezerObjects.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/parts/PartTestSupport.h"

namespace {

TEST(TweezerObjectsTest, RowsFollowTheControlPoints)
{
  TTweezers blade;
  EXPECT_FLOAT_EQ(blade.GetThickness(), 0.01f);
  EXPECT_EQ(blade.GetDivisions(), 20);
  const auto rows = blade.BuildTweezerRows();
  ASSERT_EQ(rows.size(), 21u);
  ExpectNear3(rows[0][1], {0, 0, 0.03f});
  EXPECT_NEAR(rows[3][1][0], 0.1946, 1e-4);
  EXPECT_NEAR(rows[10][1][0], 0.5, 1e-6);
  EXPECT_NEAR(rows[10][1][1], 0.06875, 1e-6);
  EXPECT_NEAR(rows[10][1][2], 0.03125, 1e-6);
  ExpectNear3(rows[20][1], {1.0f, 0.1f, 0.01f});
  for (const auto& r : rows) {
    EXPECT_FLOAT_EQ(r[0][1] - r[1][1], 0.01f);   // the sheet's thickness
    EXPECT_FLOAT_EQ(r[2][2], -r[1][2]);
    EXPECT_FLOAT_EQ(r[3][2], -r[0][2]);
  }
  // Bending point 1 moves the middle of the blade, not its ends.
  blade.SetControlPoint(1, 0, 0.045f, true);
  const auto bent = blade.BuildTweezerRows();
  EXPECT_NEAR(bent[0][1][1], 0, 1e-7);
  EXPECT_NEAR(bent[20][1][1], 0.1, 1e-6);
  EXPECT_GT(bent[5][1][1], rows[5][1][1]);
}

TEST(TweezerObjectsTest, BladeDrawsSidesRibRidgesAndTip)
{
  TTweezers blade;
  const TBuiltPart b = BuildPart(blade);
  EXPECT_SOUND(b);
  // Sides, underside, three roof strips, three ridge strips; the tip's quads and triangles.
  const auto strips = b.OfMode(GL_TRIANGLE_STRIP);
  ASSERT_EQ(strips.size(), 9u);
  for (size_t s = 0; s < 6; ++s)
    EXPECT_EQ(strips[s].Vertices.size(), 42u) << s;
  for (size_t s = 6; s < 9; ++s)
    EXPECT_EQ(strips[s].Vertices.size(), 138u) << s;
  ASSERT_EQ(b.OfMode(GL_QUADS).size(), 1u);
  EXPECT_EQ(b.OfMode(GL_QUADS)[0].Vertices.size(), 20u);
  EXPECT_EQ(b.OfMode(GL_TRIANGLES)[0].Vertices.size(), 6u);
  // The ridges stand on the roof between x 0.1946 and 0.5, every other point raised.
  const auto& top = strips[6].Vertices;
  EXPECT_NEAR(top[1][0], 0.1946, 1e-4);
  EXPECT_LT(top.back()[0], 0.5f);
  EXPECT_GT(top[3][1], top[1][1]);
  // Nothing reaches past the tip's end face.
  for (const auto& p : b.Prims)
    for (const auto& v : p.Vertices)
      EXPECT_LE(v[0], 1.05f + 1e-6f);
  // Without side element 1 there is no underside.
  TTweezers open;
  open.SetSides(bssAll & ~BezierStripSide(1));
  EXPECT_EQ(BuildPart(open).OfMode(GL_TRIANGLE_STRIP).size(), 8u);
}

TEST(TweezerObjectsTest, FewDivisionsDrawWithoutRidges)
{
  // The ridges need rows 3 to 10; a blade with fewer rows must not read past its last one.
  for (Integer n : {1, 5, 9, 10, 40}) {
    SCOPED_TRACE(n);
    TTweezers blade;
    blade.SetDivisions(n);
    const TBuiltPart b = BuildPart(blade);
    EXPECT_SOUND(b);
    EXPECT_EQ(b.OfMode(GL_TRIANGLE_STRIP).size(), n >= 10 ? 9u : 6u);
  }
}

TEST(TweezerObjectsTest, ButtIsAClosedOctagonalBarWithARoundEnd)
{
  TTweezerEnd butt;
  const TBuiltPart b = BuildPart(butt);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.OfMode(GL_QUADS).size(), 1u);
  EXPECT_EQ(b.OfMode(GL_QUADS)[0].Vertices.size(), 32u);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_STRIP).size(), 3u);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 2u);
  for (const auto& p : b.Prims)
    for (const auto& v : p.Vertices) {
      EXPECT_GE(v[0], -0.26f - 1e-6f);
      EXPECT_LE(v[0], 0);
      EXPECT_LE(std::fabs(v[1]), 0.04f + 1e-6f);
      EXPECT_LE(std::fabs(v[2]), 0.06f + 1e-6f);
    }
  // The bar's walls face out from its axis.
  const auto q = b.OfMode(GL_QUADS)[0];
  for (size_t i = 0; i < q.Vertices.size(); ++i)
    EXPECT_GT(q.Normals[i][1] * q.Vertices[i][1] + q.Normals[i][2] * q.Vertices[i][2], 0) << i;
}

}   // namespace
