#include "parts/SlabParts.h"

#include <limits>

#include "PartTestSupport.h"

TEST(AnnulusEx, FullRingHasItsRadiiAndCoincidingEnds)
{
  TAnnulusEx ring(nullptr, 0.5f, 0.05f, 0.08f, 0, 360, 50);
  TBuiltPart b = BuildPart(ring);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 5u);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(b.Prims[size_t(i)].Vertices.size(), 102u);
  // Top strip: inner then outer per step.
  EXPECT_NEAR(Dist(b.Prims[0].Vertices[0], {0, 0.04f, 0}), 0.45f, 1e-5f);
  EXPECT_NEAR(Dist(b.Prims[0].Vertices[1], {0, 0.04f, 0}), 0.5f, 1e-5f);
  const auto& ends = b.Prims[4].Vertices;
  ASSERT_EQ(ends.size(), 8u);
  ExpectNear3(ends[0], ends[5]);   // outer top of the start and of the end face
}

TEST(AnnulusEx, ReversedSectorAndAssignAndZeroSegments)
{
  TAnnulusEx ring(nullptr, 1, 0.2f, 0.1f, 90, 0, 4);
  TBuiltPart b = BuildPart(ring);
  EXPECT_SOUND(b);
  ExpectNear3(b.Prims[0].Vertices[1], {0, 0.05f, -1});   // starts at 90 degrees: -Z
  TAnnulusEx copy(nullptr, 0, 0, 0, 0, 0, 0);
  copy.Assign(ring);
  EXPECT_EQ(copy.Segments, 4);
  EXPECT_EQ(copy.StartAngle, 90);
  TPie other(nullptr, 1, 1, 1);
  copy.Assign(other);   // another class: nothing of the ring
  EXPECT_EQ(copy.OuterRadius, 1);
  ring.Segments = 0;
  EXPECT_SOUND(BuildPart(ring));
  ring.Segments = -7;
  ring.OuterRadius = std::numeric_limits<float>::quiet_NaN();
  ExpectBounded(ring);
}

TEST(RoundCube, OutlineCountsAndTrueWallNormals)
{
  TRoundCube slab(nullptr, 1, 2, 0.1f, 0.2f, 6);
  TBuiltPart b = BuildPart(slab);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 2u);
  EXPECT_EQ(b.Prims[0].Vertices.size(), size_t(1 + 2 * 6 + 5));
  EXPECT_EQ(b.Pushes, 0);
  // Every wall normal points away from the slab's centre line at its vertex.
  const auto& wall = b.Prims[2].Vertices;
  size_t vi = 0;
  TGLRecorder rec;
  TRenderContextInfo rci;
  slab.BuildList(rci);
  TAffineVector n{0, 0, 0};
  bool inWall = false;
  int prim = 0;
  for (const TGLCall& c : rec.Calls()) {
    if (c.Name == "glBegin")
      inWall = ++prim == 3;
    if (!inWall)
      continue;
    if (c.Name.rfind("glNormal3f", 0) == 0)
      n = {Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])};
    if (c.Name.rfind("glVertex3f", 0) == 0) {
      const TAffineVector& v = wall[vi++];
      // Outward: the normal has a positive component along the vertex's direction.
      EXPECT_GT(n[0] * v[0] + n[1] * v[1], 0) << "wall vertex " << vi;
    }
  }
  EXPECT_EQ(vi, wall.size());
  slab.AllCornersRound = true;
  slab.UseSideColour = true;
  b = BuildPart(slab);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Prims[0].Vertices.size(), size_t(1 + 4 * 6 + 5));
  EXPECT_EQ(b.Pushes, 1);
  TRoundCube copy(nullptr, 0, 0, 0, 0, 0);
  copy.Assign(slab);
  EXPECT_TRUE(copy.AllCornersRound);
  EXPECT_EQ(copy.Segments, 6);
}

TEST(RoundCube, HalfSideRadiusAndDegenerates)
{
  TRoundCube slab(nullptr, 1, 1, 0.1f, 0.5f, 4);
  TBuiltPart b = BuildPart(slab);
  EXPECT_SOUND(b);
  // The arcs meet at the top: the right arc's last point is the left arc's first.
  ExpectNear3(b.Prims[0].Vertices[5], b.Prims[0].Vertices[6]);
  slab.Segments = 0;
  slab.CornerRadius = 0;
  ExpectBounded(slab);
  slab.Thickness = std::numeric_limits<float>::infinity();
  ExpectBounded(slab);
}

TEST(Pie, DiscHalfDiscAndFlippedFullCircle)
{
  TPie pie(nullptr, 1, 0.2f, 20);
  TBuiltPart b = BuildPart(pie);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Prims.size(), 3u);   // no radial faces on a full disc
  pie.StartAngle = 270;
  pie.EndAngle = 90;
  pie.UseSideColour = true;
  b = BuildPart(pie);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 4u);
  EXPECT_EQ(b.Pushes, 1);
  const auto& quads = b.Prims[3].Vertices;
  for (const auto& v : quads)
    EXPECT_NEAR(v[0], 0, 1e-5f);   // both radial faces lie on the Y axis
  // The half disc is on +X.
  for (const auto& v : b.Prims[0].Vertices)
    EXPECT_GE(v[0], -1e-5f);
  pie.StartAngle = 0;
  pie.EndAngle = -360;
  EXPECT_EQ(BuildPart(pie).Prims.size(), 4u);
  pie.StartAngle = 0;
  pie.EndAngle = 90;
  pie.Parts = 0;
  b = BuildPart(pie);
  ASSERT_EQ(b.Prims.size(), 1u);   // the radial faces are drawn whatever Parts holds
  EXPECT_EQ(b.Prims[0].Mode, GLenum(GL_QUADS));
  pie.Segments = 0;
  pie.EndAngle = std::numeric_limits<float>::quiet_NaN();
  ExpectBounded(pie);
}

TEST(RoundCube, BothBuildersWallsFaceOut)
{
  TRoundCube slab(nullptr, 1, 2, 0.1f, 0.2f, 6);
  for (bool all : {false, true}) {
    slab.AllCornersRound = all;
    TBuiltPart b = BuildPart(slab);
    std::vector<TAffineVector> outline(b.Prims[0].Vertices.begin() + 1, b.Prims[0].Vertices.end());
    ExpectWallFacesOut(b.Prims[2], outline);
  }
}
