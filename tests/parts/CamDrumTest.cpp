#include "parts/CamDrum.h"

#include <cmath>
#include <limits>

#include "PartTestSupport.h"

TEST(HSCylinder, BoxCamGrooveSwingsAndBands)
{
  const float len = 2 * (0.2f * std::sin(20 * M_PI / 180) + 0.15f);
  THSCylinder drum(nullptr, 0.2f, 0.1f, 0.05f, 20, len, 40);
  TBuiltPart b = BuildPart(drum);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 7u);
  EXPECT_EQ(b.Pushes, 0);
  // The floor strip: B2 of ring 10 (a = 90 degrees) has its centre at x = 0.0684.
  const auto& floor = b.Prims[6].Vertices;
  EXPECT_NEAR((floor[20][0] + floor[21][0]) / 2, 0.0684f, 1e-4f);
  EXPECT_NEAR((floor[60][0] + floor[61][0]) / 2, -0.0684f, 1e-4f);
  drum.UseSideColour = true;
  b = BuildPart(drum);
  EXPECT_EQ(b.Pushes, 1);
  EXPECT_EQ(b.Pops, 1);
  THSCylinder copy(nullptr, 0, 0, 0, 0, 0, 1);
  copy.Assign(drum);
  EXPECT_TRUE(copy.UseSideColour);
  EXPECT_EQ(copy.Segments, 40);
}

TEST(HSCylinder, FlatGrooveAndDegenerates)
{
  THSCylinder drum(nullptr, 0.2f, 0.1f, 0.05f, 0, 1, 12);
  TBuiltPart b = BuildPart(drum);
  for (const auto& v : b.Prims[6].Vertices)
    EXPECT_NEAR(std::fabs(v[0]), 0.05f, 1e-6f);
  drum.Segments = 0;
  drum.GrooveAngle = std::numeric_limits<float>::quiet_NaN();
  ExpectBounded(drum);
}

TEST(HSCylinder, GrooveWallsFaceIntoTheGroove)
{
  THSCylinder drum(nullptr, 0.2f, 0.1f, 0.05f, 20, 1, 40);
  TBuiltPart b = BuildPart(drum);
  // Left wall faces +X, right wall -X, all round (their normals follow the incline).
  for (const auto& n : b.Prims[4].Normals)
    EXPECT_GT(n[0], 0.9f);
  for (const auto& n : b.Prims[5].Normals)
    EXPECT_LT(n[0], -0.9f);
  // The drum's surfaces face away from the axis.
  for (size_t p : {0u, 1u, 6u})
    for (size_t i = 0; i < b.Prims[p].Vertices.size(); ++i) {
      const auto& v = b.Prims[p].Vertices[i];
      const auto& n = b.Prims[p].Normals[i];
      EXPECT_GT(n[1] * v[1] + n[2] * v[2], 0);
    }
}
