// Reading shapes back from the recorded GL stream: triangles with their vertex normals, so
// tests can check winding, facing and area without a driver.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/GLContext.h"
#include "engine/GLRecorder.h"
#include "engine/GLScene.h"

struct TRecordedTriangle {
  TAffineVector P[3];
  TAffineVector N[3];
  // (P1 - P0) x (P2 - P0), not normalised: its length is twice the area.
  TAffineVector Cross() const { return VectorCrossProduct(VectorSubtract(P[1], P[0]), VectorSubtract(P[2], P[0])); }
  double Area() const { return VectorLength(Cross()) / 2.0; }
};

// Every triangle the calls draw (strips, fans, quads and polygons split), in object space.
inline std::vector<TRecordedTriangle> RecordedTriangles(const std::vector<TGLCall>& calls)
{
  std::vector<TRecordedTriangle> out;
  TAffineVector normal{0, 0, 1};
  GLenum mode = 0;
  bool open = false;
  std::vector<TAffineVector> pts, nrm;
  auto flush = [&]() {
    auto add = [&](size_t a, size_t b, size_t c) {
      out.push_back({{pts[a], pts[b], pts[c]}, {nrm[a], nrm[b], nrm[c]}});
    };
    const size_t n = pts.size();
    switch (mode) {
    case GL_TRIANGLES:
      for (size_t i = 0; i + 2 < n; i += 3)
        add(i, i + 1, i + 2);
      break;
    case GL_TRIANGLE_STRIP:
      for (size_t i = 0; i + 2 < n; ++i)
        (i % 2 == 0) ? add(i, i + 1, i + 2) : add(i + 1, i, i + 2);
      break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
      for (size_t i = 1; i + 1 < n; ++i)
        add(0, i, i + 1);
      break;
    case GL_QUADS:
      for (size_t i = 0; i + 3 < n; i += 4) {
        add(i, i + 1, i + 2);
        add(i, i + 2, i + 3);
      }
      break;
    case GL_QUAD_STRIP:
      for (size_t i = 0; i + 3 < n; i += 2) {
        add(i, i + 1, i + 3);
        add(i, i + 3, i + 2);
      }
      break;
    default: break;
    }
  };
  for (const TGLCall& c : calls) {
    if (c.Name == "glBegin") {
      mode = GLenum(c.Args[0]);
      open = true;
      pts.clear();
      nrm.clear();
    } else if (c.Name == "glEnd") {
      if (open)
        flush();
      open = false;
    } else if (c.Name == "glNormal3f" || c.Name == "glNormal3fv") {
      normal = {Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])};
    } else if (open && (c.Name == "glVertex3f" || c.Name == "glVertex3fv")) {
      pts.push_back({Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])});
      nrm.push_back(normal);
    }
  }
  return out;
}

// The recorder found nothing wrong and every normal is finite and non-zero.
#define EXPECT_SOUND_STREAM(rec)            \
  do {                                      \
    EXPECT_EQ((rec).Problems(), "");        \
    EXPECT_TRUE((rec).AllNormalsFinite());  \
    EXPECT_TRUE((rec).AllVerticesFinite()); \
  } while (0)

// Builds the object's geometry once under a fresh recorder and hands the recorder back.
template <class T>
void RecordBuild(T& obj, TGLRecorder& rec)
{
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  rec.Clear();
  obj.BuildList(rci);
}

// The stream is sound, and every triangle of some size winds counter-clockwise seen from
// the side its normals face. Returns the number of triangles that do not.
inline int MisWoundTriangles(const std::vector<TRecordedTriangle>& tris, double minArea = 1e-9)
{
  int bad = 0;
  for (const auto& t : tris) {
    if (t.Area() < minArea)
      continue;
    const TAffineVector avg = VectorAdd(VectorAdd(t.N[0], t.N[1]), t.N[2]);
    if (VectorDotProduct(t.Cross(), avg) <= 0)
      ++bad;
  }
  return bad;
}

// Edges that no other triangle runs back along: 0 for a closed surface whose faces all wind
// the same way, so that only its outside can ever be seen. Corners are matched on a grid of
// 1e-5 (a seam where sin 2pi is not quite 0 is closed); triangles whose corners fall
// together there are left out.
inline int OpenEdges(const std::vector<TRecordedTriangle>& tris)
{
  using TPoint = std::array<long, 3>;
  using TKey = std::array<long, 6>;
  auto grid = [](const TAffineVector& v) {
    return TPoint{std::lround(v[0] * 1e5), std::lround(v[1] * 1e5), std::lround(v[2] * 1e5)};
  };
  std::map<TKey, int> edges;
  for (const auto& t : tris) {
    const TPoint v[3] = {grid(t.P[0]), grid(t.P[1]), grid(t.P[2])};
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

// The volume a closed surface encloses, positive when its faces wind counter-clockwise seen
// from outside (negative for one turned inside out).
inline double SignedVolume(const std::vector<TRecordedTriangle>& tris)
{
  double v = 0;
  for (const auto& t : tris)
    v += VectorDotProduct(t.P[0], VectorCrossProduct(t.P[1], t.P[2])) / 6.0;
  return v;
}

// A closed solid as the renderer takes it: a sound stream, closed, wound with its normals,
// and those facing out.
template <class T>
void ExpectClosedSolid(T& obj)
{
  TGLRecorder rec;
  RecordBuild(obj, rec);
  EXPECT_SOUND_STREAM(rec);
  auto tris = RecordedTriangles(rec.Calls());
  EXPECT_GT(tris.size(), 0u);
  EXPECT_EQ(MisWoundTriangles(tris), 0);
  EXPECT_EQ(OpenEdges(tris), 0);
  EXPECT_GT(SignedVolume(tris), 0);
}

inline double TotalArea(const std::vector<TRecordedTriangle>& tris)
{
  double a = 0;
  for (const auto& t : tris)
    a += t.Area();
  return a;
}
