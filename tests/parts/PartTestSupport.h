// What the part tests share: building a part into the recording GL table, reading the
// primitives' vertices back, and counting rebuilds caused by setters.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/GLRecorder.h"
#include "engine/GLScene.h"

struct TRecordedPrimitive {
  GLenum Mode = 0;
  std::vector<TAffineVector> Vertices;
  std::vector<TAffineVector> Normals;   // the normal current at each vertex
};

struct TBuiltPart {
  std::string Problems;   // empty when the stream is sound
  std::vector<TRecordedPrimitive> Prims;
  int Pushes = 0, Pops = 0, Vertices = 0, Normals = 0;
  std::vector<TAffineVector> NormalList;

  std::vector<TRecordedPrimitive> OfMode(GLenum mode) const
  {
    std::vector<TRecordedPrimitive> r;
    for (const auto& p : Prims)
      if (p.Mode == mode)
        r.push_back(p);
    return r;
  }
};

inline TBuiltPart BuildPart(TGLBaseSceneObject& part)
{
  TGLRecorder rec;
  TRenderContextInfo rci;
  rci.ContextId = 1;
  part.BuildList(rci);
  TBuiltPart b;
  b.Problems = rec.Problems();
  TAffineVector normal{0, 0, 0};
  for (const TGLCall& c : rec.Calls()) {
    if (c.Name == "glBegin") {
      b.Prims.push_back({GLenum(c.Args[0]), {}, {}});
    } else if (c.Name.rfind("glVertex3f", 0) == 0) {
      ++b.Vertices;
      if (!b.Prims.empty()) {
        b.Prims.back().Vertices.push_back({Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])});
        b.Prims.back().Normals.push_back(normal);
      }
    } else if (c.Name.rfind("glNormal3f", 0) == 0) {
      ++b.Normals;
      normal = {Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])};
      b.NormalList.push_back({Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])});
    } else if (c.Name == "glPushAttrib") {
      ++b.Pushes;
    } else if (c.Name == "glPopAttrib") {
      ++b.Pops;
    }
  }
  return b;
}

// The stream is sound: balanced, complete primitives, finite non-zero normals.
#define EXPECT_SOUND(built) EXPECT_EQ((built).Problems, "")

// Bounded for degenerate input: balanced begin/end and attributes, nothing endless.
inline void ExpectBounded(TGLBaseSceneObject& part, int maxVertices = 2000000)
{
  TGLRecorder rec;
  TRenderContextInfo rci;
  rci.ContextId = 1;
  part.BuildList(rci);
  EXPECT_TRUE(rec.BeginEndBalanced());
  EXPECT_TRUE(rec.AttribBalanced());
  EXPECT_LE(rec.VertexCount(), maxVertices);
}

// Renders the part three times around `change`: the first render builds the list, then
// `same` is applied (no rebuild expected) and `change` (exactly one rebuild expected).
inline void ExpectSetterRebuilds(TGLBaseSceneObject& part, const std::function<void()>& same,
                                 const std::function<void()>& change)
{
  TGLRecorder rec;
  TRenderContextInfo rci;
  rci.ContextId = 1;
  part.Render(rci);
  EXPECT_EQ(rec.Count("glNewList"), 1);
  same();
  part.Render(rci);
  EXPECT_EQ(rec.Count("glNewList"), 1) << "the same value rebuilt the part";
  change();
  part.Render(rci);
  part.Render(rci);
  EXPECT_EQ(rec.Count("glNewList"), 2) << "a new value did not rebuild exactly once";
}

inline void ExpectNear3(const TAffineVector& a, const TAffineVector& b, float eps = 1e-5f)
{
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(a[i], b[i], eps) << "component " << i;
}

inline float Dist(const TAffineVector& a, const TAffineVector& b)
{
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// For a convex solid: every vertex's normal points away from a point inside it.
inline void ExpectNormalsOutward(const TBuiltPart& b, const TAffineVector& inside)
{
  for (size_t p = 0; p < b.Prims.size(); ++p)
    for (size_t i = 0; i < b.Prims[p].Vertices.size(); ++i) {
      const TAffineVector& v = b.Prims[p].Vertices[i];
      const TAffineVector& n = b.Prims[p].Normals[i];
      const float d = n[0] * (v[0] - inside[0]) + n[1] * (v[1] - inside[1]) + n[2] * (v[2] - inside[2]);
      EXPECT_GT(d, 0) << "primitive " << p << " vertex " << i;
    }
}

// Even-odd test of a point against a closed outline in the XY plane.
inline bool InsideOutline(const std::vector<TAffineVector>& poly, float x, float y)
{
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
    if ((poly[i][1] > y) != (poly[j][1] > y) &&
        x < (poly[j][0] - poly[i][0]) * (y - poly[i][1]) / (poly[j][1] - poly[i][1]) + poly[i][0])
      in = !in;
  return in;
}

// A flat part's side wall (a strip of vertex pairs round its outline) shades the right way:
// from the middle of each wall face, a step along the normal of one of its two edges (a
// corner may be smoothed over) leaves the outline and a step against it enters.
inline void ExpectWallFacesOut(const TRecordedPrimitive& wall, const std::vector<TAffineVector>& outline,
                               float step = 1e-3f)
{
  int bad = 0;
  for (size_t k = 0; k + 3 < wall.Vertices.size(); k += 2) {
    const TAffineVector& a = wall.Vertices[k];
    const TAffineVector& b = wall.Vertices[k + 2];
    if (std::hypot(b[0] - a[0], b[1] - a[1]) < 1e-5f)
      continue;
    const float mx = (a[0] + b[0]) / 2, my = (a[1] + b[1]) / 2;
    auto facesOut = [&](const TAffineVector& n) {
      const float len = std::hypot(n[0], n[1]);
      if (len == 0)
        return false;
      const float nx = n[0] / len * step, ny = n[1] / len * step;
      return !InsideOutline(outline, mx + nx, my + ny) && InsideOutline(outline, mx - nx, my - ny);
    };
    if (!facesOut(wall.Normals[k]) && !facesOut(wall.Normals[k + 2])) {
      ++bad;
      ADD_FAILURE() << "wall face " << k / 2 << " at (" << mx << ", " << my << ") normal (" << wall.Normals[k][0]
                    << ", " << wall.Normals[k][1] << ")";
    }
  }
  EXPECT_EQ(bad, 0);
}

// The triangles a primitive draws, each as three vertex indices in GL's winding order.
inline std::vector<std::array<size_t, 3>> PrimitiveTriangles(const TRecordedPrimitive& p)
{
  std::vector<std::array<size_t, 3>> t;
  const size_t n = p.Vertices.size();
  switch (p.Mode) {
    case GL_TRIANGLES:
      for (size_t i = 0; i + 2 < n; i += 3)
        t.push_back({i, i + 1, i + 2});
      break;
    case GL_TRIANGLE_STRIP:
      for (size_t i = 0; i + 2 < n; ++i)
        t.push_back(i % 2 == 0 ? std::array<size_t, 3>{i, i + 1, i + 2} : std::array<size_t, 3>{i + 1, i, i + 2});
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
      for (size_t i = 1; i + 1 < n; ++i)
        t.push_back({0, i, i + 1});
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4) {
        t.push_back({i, i + 1, i + 2});
        t.push_back({i, i + 2, i + 3});
      }
      break;
    case GL_QUAD_STRIP:
      for (size_t i = 0; i + 3 < n; i += 2) {
        t.push_back({i, i + 1, i + 3});
        t.push_back({i, i + 3, i + 2});
      }
      break;
    default:
      break;
  }
  return t;
}

// Triangles whose winding (counter-clockwise is the front) turns them away from the normals
// given at their corners: a renderer that culls back faces would drop them. Triangles of no
// area are not counted.
inline int MisWoundTriangles(const TBuiltPart& b)
{
  int bad = 0;
  for (const TRecordedPrimitive& p : b.Prims)
    for (const auto& tri : PrimitiveTriangles(p)) {
      const TAffineVector& a = p.Vertices[tri[0]];
      const TAffineVector& c1 = p.Vertices[tri[1]];
      const TAffineVector& c2 = p.Vertices[tri[2]];
      const double ux = c1[0] - a[0], uy = c1[1] - a[1], uz = c1[2] - a[2];
      const double vx = c2[0] - a[0], vy = c2[1] - a[1], vz = c2[2] - a[2];
      const double gx = uy * vz - uz * vy, gy = uz * vx - ux * vz, gz = ux * vy - uy * vx;
      const double len = std::sqrt(gx * gx + gy * gy + gz * gz);
      if (len < 1e-12)
        continue;
      double nx = 0, ny = 0, nz = 0;
      for (size_t k : tri) {
        const TAffineVector& n = p.Normals[k];
        const double l = std::sqrt(double(n[0]) * n[0] + double(n[1]) * n[1] + double(n[2]) * n[2]);
        if (l > 0) {
          nx += n[0] / l;
          ny += n[1] / l;
          nz += n[2] / l;
        }
      }
      if (gx * nx + gy * ny + gz * nz <= 0)
        ++bad;
    }
  return bad;
}

// Edges of the drawn triangles that no other triangle runs back along: 0 for a closed
// surface whose faces all wind the same way, so that only its outside can ever be seen.
// Corners are matched on a grid of 1e-5 (a seam where sin 2pi is not quite 0 is closed);
// triangles whose corners fall together there are left out.
inline int OpenEdges(const TBuiltPart& b)
{
  using TPoint = std::array<long, 3>;
  using TKey = std::array<long, 6>;
  auto grid = [](const TAffineVector& v) {
    return TPoint{std::lround(v[0] * 1e5), std::lround(v[1] * 1e5), std::lround(v[2] * 1e5)};
  };
  std::map<TKey, int> edges;
  for (const TRecordedPrimitive& p : b.Prims)
    for (const auto& tri : PrimitiveTriangles(p)) {
      const TPoint v[3] = {grid(p.Vertices[tri[0]]), grid(p.Vertices[tri[1]]), grid(p.Vertices[tri[2]])};
      if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2])
        continue;
      for (int e = 0; e < 3; ++e) {
        const TPoint& a = v[e];
        const TPoint& c = v[(e + 1) % 3];
        ++edges[{a[0], a[1], a[2], c[0], c[1], c[2]}];
      }
    }
  int open = 0;
  for (const auto& [k, n] : edges) {
    auto back = edges.find({k[3], k[4], k[5], k[0], k[1], k[2]});
    if (back == edges.end() || back->second != n)
      ++open;
  }
  return open;
}
