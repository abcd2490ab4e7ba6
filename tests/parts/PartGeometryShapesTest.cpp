#include <gtest/gtest.h>

#include <cmath>

#include <functional>

#include "engine/GLRecorder.h"
#include "parts/PartGeometry.h"
#include "tests/engine/ShapesTestUtil.h"
#include "tests/parts/PartTestSupport.h"

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

// Draws whatever it is given, so that a drawing routine can be looked at as a part.
class TDrawing : public TGLSceneObject {
public:
  explicit TDrawing(std::function<void()> draw) : FDraw(std::move(draw)) {}
  void BuildList(TRenderContextInfo&) override { FDraw(); }

private:
  std::function<void()> FDraw;
};

TBuiltPart Built(std::function<void()> draw)
{
  TDrawing d(std::move(draw));
  return BuildPart(d);
}

}   // namespace

TEST(PartGeometryShapes, ArcAndCircleReachTheirEnds)
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

TEST(PartGeometryShapes, RevolvedSolidFacesOutwards)
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

TEST(PartGeometryShapes, RingAndHolesWallsFaceAwayFromTheMaterial)
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
    if (std::abs(n[2]) < 0.5f && std::abs(v[0]) < 0.6f && std::abs(v[1]) < 0.6f) {
      EXPECT_LT(n[0] * v[0] + n[1] * v[1], 0);
    }
}

TEST(PartGeometryShapes, ConcaveOutlineAndBox)
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

TEST(PartGeometryShapes, RevolvedSolidsAreClosedWithFansAtTheAxis)
{
  // A closed cylinder: the wall a strip, each end one fan about the axis.
  TBuiltPart rod = Built([] { DrawRevolvedProfile({{0, -1, 0}, {1, -1, 0}, {1, 1, 0}, {0, 1, 0}}, 12); });
  EXPECT_SOUND(rod);
  ASSERT_EQ(rod.Prims.size(), 3u);
  EXPECT_EQ(rod.Prims[0].Mode, GLenum(GL_TRIANGLE_FAN));
  EXPECT_EQ(rod.Prims[1].Mode, GLenum(GL_QUAD_STRIP));
  EXPECT_EQ(rod.Prims[2].Mode, GLenum(GL_TRIANGLE_FAN));
  EXPECT_EQ(rod.Prims[0].Vertices.size(), 14u);
  EXPECT_EQ(rod.Prims[0].Vertices[0], (TAffineVector{0, 0, -1}));
  EXPECT_EQ(rod.Prims[2].Vertices[0], (TAffineVector{0, 0, 1}));
  TDrawing rodAgain([] { DrawRevolvedProfile({{0, -1, 0}, {1, -1, 0}, {1, 1, 0}, {0, 1, 0}}, 12); });
  ExpectClosedSolid(rodAgain);
  // A cone from a point on the axis, and a spindle with two points: closed, wound outwards.
  for (const TGLVertexArray& profile :
       {TGLVertexArray{{0, 0, 0}, {1, 0, 0}, {0, 2, 0}}, TGLVertexArray{{0, -1, 0}, {0.5f, 0, 0}, {0, 1, 0}}}) {
    TBuiltPart b = Built([&] { DrawRevolvedProfile(profile, 9); });
    TDrawing d([&] { DrawRevolvedProfile(profile, 9); });
    ExpectClosedSolid(d);
    for (const auto& p : b.Prims)
      EXPECT_EQ(p.Mode, GLenum(GL_TRIANGLE_FAN));
  }
}

TEST(PartGeometryShapes, ExtrudedFacesAreFansOnlyWhereTheyMay)
{
  // A convex outline, counter-clockwise: each face one fan through its corners.
  TGLVertexArray hex = CirclePoints(1, 6);
  TBuiltPart b = Built([&] { DrawExtrudedPolygon(hex, 0.25f); });
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 3u);
  EXPECT_EQ(b.Prims[0].Mode, GLenum(GL_TRIANGLE_FAN));
  EXPECT_EQ(b.Prims[0].Vertices.size(), 6u);
  EXPECT_EQ(b.Prims[1].Mode, GLenum(GL_TRIANGLE_FAN));
  TDrawing prism([&] { DrawExtrudedPolygon(hex, 0.25f); });
  ExpectClosedSolid(prism);
  for (const TAffineVector& v : b.Prims[0].Vertices)
    EXPECT_EQ(v[2], 0.25f);
  for (const TAffineVector& v : b.Prims[1].Vertices)
    EXPECT_EQ(v[2], -0.25f);

  // The same outline clockwise, and the outline with a dent: triangles from the tessellator,
  // none of them outside the outline (a fan would cover the dent or face the wrong way).
  TGLVertexArray cw(hex.rbegin(), hex.rend());
  TGLVertexArray dented = hex;
  dented[2] = VectorScale(dented[2], 0.3f);
  for (const TGLVertexArray& outline : {cw, dented}) {
    TBuiltPart t = Built([&] { DrawExtrudedPolygon(outline, 0.25f); });
    EXPECT_SOUND(t);
    ASSERT_GE(t.Prims.size(), 2u);
    EXPECT_EQ(t.Prims[0].Mode, GLenum(GL_TRIANGLES));
    EXPECT_EQ(t.Prims[0].Vertices.size(), 12u);
    for (size_t k = 0; k + 2 < t.Prims[0].Vertices.size(); k += 3) {
      const auto& v = t.Prims[0].Vertices;
      float cx = (v[k][0] + v[k + 1][0] + v[k + 2][0]) / 3, cy = (v[k][1] + v[k + 1][1] + v[k + 2][1]) / 3;
      EXPECT_TRUE(InsideOutline(outline, cx, cy)) << cx << " " << cy;
    }
  }
}
