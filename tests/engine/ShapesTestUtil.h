// Reading shapes back from the recorded GL stream: triangles with their vertex normals, so
// tests can check winding, facing and area without a driver.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/GLRecorder.h"
#include "engine/GLScene.h"

struct TRecordedTriangle {
  TAffineVector P[3];
  TAffineVector N[3];
  // (P1 - P0) x (P2 - P0), not normalised: its length is twice the area.
  TAffineVector Cross() const
  {
    return VectorCrossProduct(VectorSubtract(P[1], P[0]), VectorSubtract(P[2], P[0]));
  }
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

// Builds the object's geometry once under a fresh recorder and hands the recorder back.
template <class T>
void RecordBuild(T& obj, TGLRecorder& rec)
{
  TRenderContextInfo rci;
  rci.ContextId = 1;
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

inline double TotalArea(const std::vector<TRecordedTriangle>& tris)
{
  double a = 0;
  for (const auto& t : tris)
    a += t.Area();
  return a;
}

// The recorder found nothing wrong and every normal is finite and non-zero.
#define EXPECT_SOUND_STREAM(rec)                  \
  do {                                            \
    EXPECT_EQ((rec).Problems(), "");              \
    EXPECT_TRUE((rec).AllNormalsFinite());        \
    EXPECT_TRUE((rec).AllVerticesFinite());       \
  } while (0)
