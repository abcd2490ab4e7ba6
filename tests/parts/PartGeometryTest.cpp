#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/GLRecorder.h"
#include "parts/PartGeometry.h"

TEST(PartGeometry, UnitPlaneNormalIsUnitOrZero)
{
  TAffineVector n = UnitPlaneNormal({0, 0, 0}, {1, 0, 0}, {1, 1, 0});
  // (p1 - p2) x (p2 - p3) = (-1,0,0) x (0,-1,0) = (0,0,1)
  EXPECT_FLOAT_EQ(n[2], 1.0f);
  TAffineVector z = UnitPlaneNormal({1, 1, 1}, {1, 1, 1}, {2, 2, 2});
  EXPECT_EQ(z, (TAffineVector{0, 0, 0}));
}

TEST(PartGeometry, SafeNumbersStayBounded)
{
  EXPECT_EQ(SafeCount(0), 1);
  EXPECT_EQ(SafeCount(-5, 3), 3);
  EXPECT_EQ(SafeCount(1 << 30), MaxPartSegments);
  EXPECT_EQ(SafeCountF(std::numeric_limits<double>::quiet_NaN()), 1);
  EXPECT_EQ(SafeCountF(1e300), MaxPartSegments);
  EXPECT_EQ(SafeCountF(7.9), 7);
  EXPECT_EQ(SafeDivide(1, 0, 5), 5);
  EXPECT_EQ(SafeSingle(std::numeric_limits<float>::infinity(), 2), 2);
}

TEST(PartGeometry, ExtrudedOutlineIsClosedBalancedAndBanded)
{
  TGLRecorder rec;
  TGLVertexArray square{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  DrawExtrudedOutline(square, 0.05f, {0.5f, 0.5f, 0}, true, true, BronzeSideColour);
  EXPECT_EQ(rec.Problems(), "");
  auto prims = rec.Primitives();
  ASSERT_EQ(prims.size(), 3u);
  EXPECT_EQ(prims[0].Mode, GL_TRIANGLE_FAN);
  EXPECT_EQ(prims[0].VertexCount, 6);   // centre + 4 points + closing point
  EXPECT_EQ(prims[1].VertexCount, 6);
  EXPECT_EQ(prims[2].Mode, GL_TRIANGLE_STRIP);
  EXPECT_EQ(prims[2].VertexCount, 10);
  EXPECT_EQ(rec.Count("glPushAttrib"), 1);
  EXPECT_EQ(rec.Count("glPopAttrib"), 1);
}

TEST(PartGeometry, SideStripNormalsPointOutwardAndSurviveRepeatedPoints)
{
  TGLRecorder rec;
  // Counter-clockwise square with a repeated corner.
  TGLVertexArray ring{{1, -1, 0}, {1, 1, 0}, {1, 1, 0}, {-1, 1, 0}, {-1, -1, 0}, {1, -1, 0}};
  DrawSideStrip(LiftOutline(ring, 1), LiftOutline(ring, -1));
  EXPECT_TRUE(rec.AllNormalsFinite());
  // The first wall (x = 1) faces +X.
  for (const TGLCall& c : rec.Calls())
    if (c.Name == "glNormal3fv" || c.Name == "glNormal3f") {
      EXPECT_GT(c.Args[0], 0.9);
      break;
    }
}
