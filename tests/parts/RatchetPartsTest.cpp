#include "parts/RatchetParts.h"

#include <limits>

#include "PartTestSupport.h"

TEST(Ratchet, TwentyTeethGive81PointsAndTipRadius)
{
  TRatchet wheel(nullptr, 0.1f, 0.05f, 0.05f, 20);
  TBuiltPart b = BuildPart(wheel);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 3u);
  EXPECT_EQ(b.Prims[0].Vertices.size(), 82u);   // centre and 81 outline points
  EXPECT_EQ(b.Prims[1].Vertices.size(), 82u);
  EXPECT_EQ(b.Prims[2].Vertices.size(), size_t(12 * 20 + 2));
  EXPECT_NEAR(Dist(b.Prims[0].Vertices[2], {0, 0, 0.025f}), 0.31831f, 1e-5f);
  ExpectNear3(b.Prims[0].Vertices[1], b.Prims[0].Vertices[81]);
}

TEST(Ratchet, SideColourChangesNothingAndAssignCopiesIt)
{
  TRatchet wheel(nullptr, 0.1f, 0.05f, 0.05f, 12);
  TBuiltPart plain = BuildPart(wheel);
  wheel.SideColoured = true;
  wheel.SideColour = {1, 0, 0, 1};
  TBuiltPart coloured = BuildPart(wheel);
  EXPECT_EQ(coloured.Pushes, 0);
  EXPECT_EQ(coloured.Vertices, plain.Vertices);
  TRatchet copy(nullptr, 0, 0, 0, 1);
  copy.Assign(wheel);
  EXPECT_EQ(copy.Teeth, 12);
  EXPECT_TRUE(copy.SideColoured);
  EXPECT_EQ(copy.SideColour.R, 1);
}

TEST(Ratchet, DegenerateTeethStayBounded)
{
  for (int teeth : {0, -3, 1 << 30}) {
    TRatchet wheel(nullptr, 0.1f, 0.05f, 0.05f, teeth);
    ExpectBounded(wheel);
  }
  TRatchet wheel(nullptr, std::numeric_limits<float>::quiet_NaN(), 0, 0, 5);
  ExpectBounded(wheel);
}

TEST(Pawl, SceneSizesGive40PointsClosedOutline)
{
  TPawl pawl(nullptr, 0.1f, 0.05f, 0.1f, 0.4f, 0.05f, 20);
  pawl.HookRadius = 0.18f;
  pawl.SideColoured = true;
  TBuiltPart b = BuildPart(pawl);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 3u);
  EXPECT_EQ(b.Prims[0].Vertices.size(), 41u);
  EXPECT_EQ(b.Prims[2].Vertices.size(), 80u);
  EXPECT_EQ(b.Pushes, 1);
  EXPECT_EQ(b.Pops, 1);
  const TGLVertexArray outline = pawl.Outline();
  ASSERT_EQ(outline.size(), 40u);
  ExpectNear3(outline.front(), outline.back());
  // The tip arc ends at the top of the tip face, then drops straight to the axis.
  const size_t tipEnd = 21 + 8;
  ExpectNear3(outline[tipEnd], {-0.4f, 0.05f, 0});
  ExpectNear3(outline[tipEnd + 1], {-0.4f, 0, 0});
}

TEST(Pawl, AssignKeepsHookRadiusAndOddSizesStayDrawable)
{
  TPawl source(nullptr, 0.1f, 0.05f, 0.1f, 0.4f, 0.05f, 20);
  source.HookRadius = 0.5f;
  TPawl target(nullptr, 0, 0, 0, 0, 0, 1);
  target.HookRadius = 0.3f;
  target.Assign(source);
  EXPECT_EQ(target.HookRadius, 0.3f);
  EXPECT_EQ(target.Length, 0.4f);
  // Hook wider than its radius, a boss longer than the pawl, no segments: arcsine and
  // arccosine without real values, counts of 0.
  TPawl odd(nullptr, 0.5f, 0.05f, 1, 0.2f, 0.05f, 0);
  odd.HookRadius = 0.1f;
  TBuiltPart b = BuildPart(odd);
  EXPECT_TRUE(b.Problems.empty() || b.Problems.find("normal") != std::string::npos) << b.Problems;
  ExpectBounded(odd);
  TPawl nan(nullptr, std::numeric_limits<float>::quiet_NaN(), 0, 0, 0, 0, 5);
  ExpectBounded(nan);
}

TEST(RatchetAndPawl, WallsFaceOut)
{
  TRatchet wheel(nullptr, 0.1f, 0.05f, 0.05f, 20);
  TBuiltPart b = BuildPart(wheel);
  std::vector<TAffineVector> rim(b.Prims[0].Vertices.begin() + 1, b.Prims[0].Vertices.end());
  ExpectWallFacesOut(b.Prims[2], rim);
  TPawl pawl(nullptr, 0.1f, 0.05f, 0.1f, 0.4f, 0.05f, 20);
  pawl.HookRadius = 0.18f;
  ExpectWallFacesOut(BuildPart(pawl).Prims[2], pawl.Outline());
}
