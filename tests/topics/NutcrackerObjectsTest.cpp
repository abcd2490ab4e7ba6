#include "topics/NutcrackerObjects.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/parts/PartTestSupport.h"

namespace {

TEST(NutcrackerObjectsTest, OutlineMeetsTheEdgeWhereTheNotchesStartAndEnd)
{
  const auto P = TNutCracker::LowerOutline();
  ASSERT_EQ(P.size(), 54u);
  ExpectNear3(P[0], {0, 0.05f, 0});
  ExpectNear3(P[10], {0.05f, 0, 0});
  EXPECT_NEAR(P[11][0], 0.0825, 1e-4);
  for (size_t i : {11, 31, 32})
    EXPECT_NEAR(P[i][1], 0, 1e-6) << i;
  EXPECT_NEAR(P[31][0], 0.2775, 1e-4);
  EXPECT_NEAR(P[32][0], 0.3188, 1e-4);
  ExpectNear3(P[52], {0.5416f, 0.0891f, 0}, 1e-4f);
  ExpectNear3(P[53], {0.65f, 0.11f, 0});
  // The small notch's even points lie on its circle, the odd ones 0.006 out: a serrated jaw.
  for (size_t i = 11; i <= 31; ++i)
    EXPECT_NEAR(std::hypot(P[i][0] - 0.18, P[i][1] + 0.07), (i - 11) % 2 ? 0.126 : 0.12, 1e-6) << i;
  EXPECT_NEAR(std::hypot(P[21][0] - 0.18, P[21][1] + 0.07), 0.12, 1e-6);
  EXPECT_NEAR(P[21][1], 0.05, 1e-6);
  // The back starts at the hinge circle's top and flattens out towards the grip.
  EXPECT_NEAR(TNutCracker::BackHeight(0), 0.05, 1e-4);
  EXPECT_NEAR(TNutCracker::BackHeight(0.65f), 0.1992, 1e-4);
  for (size_t i = 0; i < P.size(); ++i)
    EXPECT_GE(TNutCracker::BackHeight(P[i][0]), P[i][1] - 1e-6) << i;
}

TEST(NutcrackerObjectsTest, ArmIsHalfLappedAtTheHinge)
{
  TNutCracker arm;
  EXPECT_FLOAT_EQ(arm.Thickness, 0.1f);
  const TBuiltPart b = BuildPart(arm);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_STRIP).size(), 6u);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 4u);
  ASSERT_EQ(b.OfMode(GL_QUADS).size(), 1u);
  for (const auto& p : b.Prims)
    for (const auto& v : p.Vertices)
      EXPECT_LE(std::fabs(v[2]), 0.05f + 1e-7f);
  // The recess floor and the tongue's front lie on z = 0; the tongue stays behind it, within
  // the hinge circle.
  const auto fans = b.OfMode(GL_TRIANGLE_FAN);
  for (const auto& v : fans[1].Vertices)
    EXPECT_EQ(v[2], 0);
  for (size_t f : {2u, 3u})
    for (const auto& v : fans[f].Vertices) {
      EXPECT_LE(v[2], 0);
      EXPECT_LE(std::hypot(v[0], v[1]), 0.048f + 1e-6f);
    }
  // The curved back's normals point up and the front and back faces are whole strips.
  const auto strips = b.OfMode(GL_TRIANGLE_STRIP);
  EXPECT_EQ(strips[0].Vertices.size(), 108u);
  for (const auto& n : strips[2].Normals)
    EXPECT_GT(n[1], 0);
  // The lower edge takes four vertices per step and so keeps one winding.
  EXPECT_EQ(strips[4].Vertices.size(), 4u * 43);
}

TEST(NutcrackerObjectsTest, RoundCuboidIsClosedAndFacesOut)
{
  for (Integer segments : {1, 3, 10}) {
    SCOPED_TRACE(segments);
    TRoundCuboid grip;
    grip.Depth = 0.13f;
    grip.Height = 0.14f;
    grip.Segments = segments;
    const TBuiltPart b = BuildPart(grip);
    EXPECT_SOUND(b);
    const auto quads = b.OfMode(GL_QUADS), strips = b.OfMode(GL_TRIANGLE_STRIP);
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].Vertices.size(), 24u);
    ASSERT_EQ(strips.size(), size_t(12 + 8 * segments));
    for (size_t e = 0; e < 12; ++e)
      EXPECT_EQ(strips[e].Vertices.size(), size_t(2 * (segments + 1)));
    ExpectNormalsOutward(b, {0, 0, 0});
    // Every strip is wound so that its front faces the outside.
    for (size_t e = 0; e < 12; ++e) {
      const auto& v = strips[e].Vertices;
      const TAffineVector n = VectorCrossProduct(VectorSubtract(v[1], v[0]), VectorSubtract(v[2], v[0]));
      EXPECT_GT(VectorDotProduct(n, v[0]), 0) << "edge " << e;
    }
    for (const auto& p : b.Prims)
      for (const auto& v : p.Vertices) {
        EXPECT_LE(std::fabs(v[0]), 0.5f + 1e-6f);
        EXPECT_LE(std::fabs(v[1]), 0.07f + 1e-6f);
        EXPECT_LE(std::fabs(v[2]), 0.065f + 1e-6f);
      }
    // The corner points lie on the rounding's sphere about the inset corner.
    for (size_t s = 12; s < strips.size(); ++s)
      for (const auto& v : strips[s].Vertices)
        EXPECT_NEAR(Dist({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])}, {0.48f, 0.05f, 0.045f}), 0.02f, 1e-6);
  }
}

TEST(NutcrackerObjectsTest, RoundCuboidDegenerateValuesStayBounded)
{
  TRoundCuboid plain;
  plain.CornerRadius = 0;
  const TBuiltPart b = BuildPart(plain);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_STRIP).size(), 12u + 80u);
  for (Integer segments : {0, -5, 1 << 30}) {
    TRoundCuboid odd;
    odd.Segments = segments;
    ExpectBounded(odd, 100000);
  }
  TRoundCuboid nan;
  nan.Length = std::nanf("");
  ExpectBounded(nan);
}

}   // namespace
