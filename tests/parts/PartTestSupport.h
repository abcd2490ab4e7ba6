// What the part tests share: building a part into the recording GL table, reading the
// primitives' vertices back, and counting rebuilds caused by setters.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/GLContext.h"
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

// One build of the part's geometry into whatever GL table is current.
inline void BuildOnce(TGLBaseSceneObject& part)
{
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  part.BuildList(rci);
}

inline TBuiltPart BuildPart(TGLBaseSceneObject& part)
{
  TGLRecorder rec;
  BuildOnce(part);
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
  BuildOnce(part);
  EXPECT_TRUE(rec.BeginEndBalanced());
  EXPECT_TRUE(rec.AttribBalanced());
  EXPECT_LE(rec.VertexCount(), maxVertices);
}

// What one build of a part sends, checked on the fly through a GL table that keeps nothing,
// so that a part can be built hundreds of times, or send a hundred million vertices, in
// moments: the vertex count and the first fault (empty when the stream is sound: balanced
// begin/end and attributes, finite vertices, finite non-zero normals).
struct TStreamCheck {
  long long Vertices = 0;
  std::string Problem;
};

struct TStreamChecker {
  static inline TStreamCheck Result;
  static inline int Depth = 0, Attribs = 0;
  static void Fault(const char* what)
  {
    if (Result.Problem.empty())
      Result.Problem = what;
  }
  static void Vertex(GLfloat x, GLfloat y, GLfloat z)
  {
    ++Result.Vertices;
    if (Depth != 1)
      Fault("a vertex outside glBegin/glEnd");
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
      Fault("a vertex is not finite");
  }
  static void Normal(GLfloat x, GLfloat y, GLfloat z)
  {
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || (x == 0 && y == 0 && z == 0))
      Fault("a normal is not finite or has zero length");
  }
};

inline TStreamCheck CheckStream(TGLBaseSceneObject& part)
{
  using C = TStreamChecker;
  C::Result = {};
  C::Depth = C::Attribs = 0;
  TGLFunctions table = NullGLFunctions();
  table.Begin = [](GLenum) {
    if (++C::Depth != 1)
      C::Fault("glBegin inside glBegin");
  };
  table.End = [] {
    if (--C::Depth != 0)
      C::Fault("glEnd without glBegin");
  };
  table.Vertex3f = C::Vertex;
  table.Vertex3fv = [](const GLfloat* v) { C::Vertex(v[0], v[1], v[2]); };
  table.Normal3f = C::Normal;
  table.Normal3fv = [](const GLfloat* v) { C::Normal(v[0], v[1], v[2]); };
  table.PushAttrib = [](GLbitfield) { ++C::Attribs; };
  table.PopAttrib = [] {
    if (--C::Attribs < 0)
      C::Fault("glPopAttrib without glPushAttrib");
  };
  struct TSwap {
    TGLFunctions* Previous = GLTable;
    ~TSwap() { GLTable = Previous; }
  } swap;
  GLTable = &table;
  BuildOnce(part);
  if (C::Depth != 0)
    C::Fault("a glBegin left open");
  if (C::Attribs != 0)
    C::Fault("a glPushAttrib left open");
  return C::Result;
}

inline long long CountVertices(TGLBaseSceneObject& part) { return CheckStream(part).Vertices; }

// Odd values for the sizes, angles and counts a part's fields may be given: zero, negative,
// tiny, whole turns, huge, and the ends of the integer range.
template <class T>
T OddFieldValue(double v)
{
  if constexpr (std::is_same_v<T, bool>)
    return v != 0;
  else if constexpr (std::is_integral_v<T>)
    return T(std::clamp(v, double(std::numeric_limits<T>::min()), double(std::numeric_limits<T>::max())));
  else
    return T(v);
}

using TFieldWrite = std::pair<std::string, std::function<void(TGLBaseSceneObject&, double)>>;
#define PART_FIELD(Class, Field)                                        \
  TFieldWrite                                                           \
  {                                                                     \
#Class "." #Field, [](TGLBaseSceneObject& o, double v) {              \
                auto& f = static_cast<Class&>(o).Field;                             \
                f = OddFieldValue<std::decay_t<decltype(f)>>(v);                    \
              } \
  }

// For each field in turn, a fresh part with that field at each odd value draws a sound
// stream of a bounded size.
inline void ExpectSoundForOddFields(const std::function<std::unique_ptr<TGLBaseSceneObject>()>& make,
                                    const std::vector<TFieldWrite>& fields)
{
  static const double values[] = {0, -0.5, -3, 1, 2, 1e-7, 90, 360, 1e6, 2147483647.0, -2147483648.0};
  for (const auto& [name, write] : fields)
    for (double v : values) {
      auto part = make();
      write(*part, v);
      const TStreamCheck c = CheckStream(*part);
      EXPECT_EQ(c.Problem, "") << name << " = " << v;
      EXPECT_LE(c.Vertices, 2000000) << name << " = " << v;
    }
}

// Renders the part three times around `change`: the first render builds the list, then
// `same` is applied (no rebuild expected) and `change` (exactly one rebuild expected).
inline void ExpectSetterRebuilds(TGLBaseSceneObject& part, const std::function<void()>& same,
                                 const std::function<void()>& change)
{
  TGLRecorder rec;
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
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
    if ((poly[i][1] > y) != (poly[j][1] > y)
        && x < (poly[j][0] - poly[i][0]) * (y - poly[i][1]) / (poly[j][1] - poly[i][1]) + poly[i][0])
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

// What a part draws in its second colour: the colours it sets while attributes are pushed,
// and every vertex it sends there.
struct TSideBand {
  std::vector<TAffineVector> Colours;
  std::vector<TAffineVector> Vertices;
  int ColourTracking = 0;   // glEnable(GL_COLOR_MATERIAL) calls inside the band
};

inline TSideBand SideBand(TGLBaseSceneObject& part)
{
  TGLRecorder rec;
  BuildOnce(part);
  TSideBand band;
  int depth = 0;
  for (const TGLCall& c : rec.Calls()) {
    if (c.Name == "glPushAttrib")
      ++depth;
    else if (c.Name == "glPopAttrib")
      --depth;
    else if (depth > 0 && c.Name == "glColor3fv")
      band.Colours.push_back({Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])});
    else if (depth > 0 && c.Name == "glEnable" && c.Args[0] == GL_COLOR_MATERIAL)
      ++band.ColourTracking;
    else if (depth > 0 && c.Name.rfind("glVertex3f", 0) == 0)
      band.Vertices.push_back({Single(c.Args[0]), Single(c.Args[1]), Single(c.Args[2])});
  }
  return band;
}
