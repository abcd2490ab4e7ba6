#include <gtest/gtest.h>

#include <cmath>

#include "engine/GLRecorder.h"
#include "parts/OxGeometry.h"

namespace {

// Normal and vertex pairs as recorded, for checking which way surfaces face.
std::vector<std::pair<TAffineVector, TAffineVector>> NormalsAtVertices(const TGLRecorder& rec)
{
  std::vector<std::pair<TAffineVector, TAffineVector>> r;
  TAffineVector n{};
  for (const TGLCall& c : rec.Calls()) {
    if (c.Name.rfind("glNormal3f", 0) == 0)
      n = {Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])};
    else if (c.Name.rfind("glVertex3f", 0) == 0)
      r.push_back({n, {Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])}});
  }
  return r;
}

}   // namespace

TEST(OxGeometryShapes, ArcAndCircleReachTheirEnds)
{
  TGLVertexArray a;
  AppendArc(a, 1, 2, 0.5f, 0, cPI / 2, 4);
  ASSERT_EQ(a.size(), 5u);
  EXPECT_NEAR(a.front()[0], 1.5f, 1e-6);
  EXPECT_NEAR(a.back()[1], 2.5f, 1e-6);
  TGLVertexArray c = CirclePoints(2, 8, 0.3f);
  ASSERT_EQ(c.size(), 8u);
  for (const TAffineVector& p : c) {
    EXPECT_NEAR(std::hypot(p[0], p[1]), 2, 1e-5);
    EXPECT_EQ(p[2], 0.3f);
  }
}

TEST(OxGeometryShapes, RevolvedSolidFacesOutwards)
{
  TGLRecorder rec;
  // A closed cylinder of radius 1 from z = -1 to 1.
  DrawRevolvedProfile({{0, -1, 0}, {1, -1, 0}, {1, 1, 0}, {0, 1, 0}}, 12);
  EXPECT_EQ(rec.Problems(), "");
  for (const auto& [n, v] : NormalsAtVertices(rec)) {
    // Each normal points away from the solid's middle.
    EXPECT_GT(VectorDotProduct(n, v), 0) << v[0] << " " << v[1] << " " << v[2];
  }
}

TEST(OxGeometryShapes, RingAndHolesWallsFaceAwayFromTheMaterial)
{
  TGLRecorder rec;
  TGLVertexArray outer = CirclePoints(1, 16), inner = CirclePoints(0.5f, 16);
  DrawExtrudedRing(outer, inner, 0.1f, true, BronzeSideColour);
  EXPECT_EQ(rec.Problems(), "");
  EXPECT_EQ(rec.Count("glPushAttrib"), 1);
  for (const auto& [n, v] : NormalsAtVertices(rec)) {
    Single r = std::hypot(v[0], v[1]);
    Single radial = n[0] * v[0] + n[1] * v[1];
    if (std::abs(n[2]) > 0.5f)
      continue;   // faces
    if (r > 0.75f)
      EXPECT_GT(radial, 0);
    else
      EXPECT_LT(radial, 0);
  }
  rec.Clear();
  // A square with a square hole: faces as triangles, both walls.
  TGLVertexArray sq{{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
  TGLVertexArray hole{{-0.5f, -0.5f, 0}, {0.5f, -0.5f, 0}, {0.5f, 0.5f, 0}, {-0.5f, 0.5f, 0}};
  DrawExtrudedContours(sq, {hole}, 0.1f);
  EXPECT_EQ(rec.Problems(), "");
  auto prims = rec.Primitives();
  ASSERT_EQ(prims.size(), 4u);
  EXPECT_EQ(prims[0].VertexCount, 24);   // 8 triangles round the hole
  for (const auto& [n, v] : NormalsAtVertices(rec))
    if (std::abs(n[2]) < 0.5f && std::abs(v[0]) < 0.6f && std::abs(v[1]) < 0.6f)
      EXPECT_LT(n[0] * v[0] + n[1] * v[1], 0);
}

TEST(OxGeometryShapes, ConcaveOutlineAndBox)
{
  TGLRecorder rec;
  // An L: the fan from a centre would cover the notch, the triangles must not.
  TGLVertexArray l{{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
  DrawExtrudedPolygon(l, 0.5f);
  EXPECT_EQ(rec.Problems(), "");
  auto prims = rec.Primitives();
  ASSERT_GE(prims.size(), 3u);
  EXPECT_EQ(prims[0].VertexCount, 12);   // four triangles
  rec.Clear();
  DrawBox({0, 0, 0}, {1, 2, 3});
  EXPECT_EQ(rec.Problems(), "");
  for (const auto& [n, v] : NormalsAtVertices(rec))
    EXPECT_GT(VectorDotProduct(n, VectorSubtract(v, {0.5f, 1, 1.5f})), 0);
}
