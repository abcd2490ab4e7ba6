#include "parts/PartGeometry.h"

#include <algorithm>
#include <cmath>

#include "engine/GLTessellator.h"
#include "engine/OpenGL1x.h"

void SetVector(TAffineVector& v, Single x, Single y, Single z) { v = {x, y, z}; }

void SetVertex(TAffineVector& v, Single x, Single y, Single z) { v = {x, y, z}; }

void CopyVertex(const TAffineVector& source, TAffineVector& destination) { destination = source; }

void UnitPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3, TAffineVector& n)
{
  n = VectorNormalize(VectorCrossProduct(VectorSubtract(p1, p2), VectorSubtract(p2, p3)));
}

TAffineVector UnitPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3)
{
  TAffineVector n;
  UnitPlaneNormal(p1, p2, p3, n);
  return n;
}

Integer SafeCount(Integer n, Integer lo)
{
  if (lo < 1)
    lo = 1;
  if (n < lo)
    return lo;
  return n > MaxPartSegments ? MaxPartSegments : n;
}

Integer SafeCountF(double n, Integer lo)
{
  if (!std::isfinite(n))
    return SafeCount(lo, lo);
  if (n > MaxPartSegments)
    return MaxPartSegments;
  // A large negative count is below any Integer: clamp before converting.
  if (n < lo)
    return SafeCount(lo, lo);
  return SafeCount(static_cast<Integer>(n), lo);
}

Single SafeSingle(Single v, Single fallback) { return std::isfinite(v) ? v : fallback; }

Single SafeDivide(Single a, Single b, Single fallback)
{
  if (b == 0)
    return fallback;
  Single q = a / b;
  return std::isfinite(q) ? q : fallback;
}

void BeginSideColour(const TSideColour& colour)
{
  static const GLfloat specular[4] = {0.6f, 0.6f, 0.6f, 1.0f};
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glEnable(GL_COLOR_MATERIAL);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 60);
  const GLfloat rgb[3] = {colour.R, colour.G, colour.B};
  glColor3fv(rgb);
}

void EndSideColour() { glPopAttrib(); }

TSideColourScope::TSideColourScope(bool enabled, const TSideColour& colour) : FEnabled(enabled)
{
  if (FEnabled)
    BeginSideColour(colour);
}

TSideColourScope::~TSideColourScope()
{
  if (FEnabled)
    EndSideColour();
}

TGLVertexArray LiftOutline(const TGLVertexArray& outline, Single z)
{
  TGLVertexArray r(outline);
  for (TAffineVector& p : r)
    p[2] = z;
  return r;
}

void DrawFrontFan(const TAffineVector& centre, const TGLVertexArray& front)
{
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  glVertex3fv(centre.data());
  for (const TAffineVector& p : front)
    glVertex3fv(p.data());
  glEnd();
}

void DrawBackFan(const TAffineVector& centre, const TGLVertexArray& back)
{
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, -1);
  glVertex3fv(centre.data());
  for (auto it = back.rbegin(); it != back.rend(); ++it)
    glVertex3fv(it->data());
  glEnd();
}

void DrawSideStrip(const TGLVertexArray& front, const TGLVertexArray& back)
{
  size_t n = std::min(front.size(), back.size());
  if (n < 2)
    return;
  glBegin(GL_TRIANGLE_STRIP);
  TAffineVector normal{1, 0, 0};
  for (size_t i = 0; i < n; ++i) {
    if (i + 1 < n) {
      TAffineVector candidate = UnitPlaneNormal(front[i], back[i], back[i + 1]);
      if (VectorLength(candidate) > 0)   // a repeated point keeps the previous normal
        normal = candidate;
    }
    glNormal3fv(normal.data());
    glVertex3fv(front[i].data());
    glVertex3fv(back[i].data());
  }
  glEnd();
}

void DrawExtrudedOutline(const TGLVertexArray& outline, Single halfThickness, const TAffineVector& fanCentre,
                         bool close, bool sideColoured, const TSideColour& colour)
{
  if (outline.size() < 2)
    return;
  TGLVertexArray ring(outline);
  if (close && !VectorEquals(ring.front(), ring.back()))
    ring.push_back(ring.front());
  TGLVertexArray front = LiftOutline(ring, halfThickness);
  TGLVertexArray back = LiftOutline(ring, -halfThickness);
  DrawFrontFan({fanCentre[0], fanCentre[1], halfThickness}, front);
  DrawBackFan({fanCentre[0], fanCentre[1], -halfThickness}, back);
  TSideColourScope band(sideColoured, colour);
  DrawSideStrip(front, back);
}

void AppendArc(TGLVertexArray& points, Single cx, Single cy, Single r, Single a0, Single a1, Integer segments)
{
  segments = SafeCount(segments);
  for (Integer i = 0; i <= segments; ++i) {
    Single a = a0 + (a1 - a0) * Single(i) / Single(segments);
    Single s, c;
    SinCos(a, s, c);
    points.push_back({cx + r * c, cy + r * s, 0});
  }
}

namespace {

// Whether the outline turns one way only (counter-clockwise, straight runs allowed).
bool IsConvexCCW(const TGLVertexArray& outline)
{
  size_t n = outline.size();
  double area = 0;
  for (size_t i = 0; i < n; ++i) {
    const TAffineVector& a = outline[i];
    const TAffineVector& b = outline[(i + 1) % n];
    const TAffineVector& c = outline[(i + 2) % n];
    double cross = (double(b[0]) - a[0]) * (double(c[1]) - b[1]) - (double(b[1]) - a[1]) * (double(c[0]) - b[0]);
    if (cross < -1e-12)
      return false;
    area += double(a[0]) * b[1] - double(b[0]) * a[1];
  }
  return area > 0;
}

// Both faces of the region the contours bound (the first outer, the rest holes).
void DrawContourFaces(const std::vector<std::vector<TAffineVector>>& contours, Single halfThickness)
{
  if (contours.size() == 1 && contours[0].size() >= 3 && IsConvexCCW(contours[0])) {
    // A convex face is one fan: each corner sent once instead of three times per
    // triangle, which is most of the cost of a link plate on a software renderer.
    const TGLVertexArray& o = contours[0];
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, 1);
    for (const TAffineVector& p : o)
      glVertex3f(p[0], p[1], halfThickness);
    glEnd();
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, -1);
    for (auto it = o.rbegin(); it != o.rend(); ++it)
      glVertex3f((*it)[0], (*it)[1], -halfThickness);
    glEnd();
    return;
  }
  TGLVertexArray all;
  for (const TGLVertexArray& c : contours)
    all.insert(all.end(), c.begin(), c.end());
  std::vector<int> tri = TessellatePolygon(contours, ZVector);
  if (tri.empty())
    return;
  glBegin(GL_TRIANGLES);
  glNormal3f(0, 0, 1);
  for (int i : tri)
    glVertex3f(all[size_t(i)][0], all[size_t(i)][1], halfThickness);
  glEnd();
  glBegin(GL_TRIANGLES);
  glNormal3f(0, 0, -1);
  for (size_t t = 0; t + 2 < tri.size(); t += 3)
    for (size_t k = 0; k < 3; ++k) {
      const TAffineVector& p = all[size_t(tri[t + 2 - k])];
      glVertex3f(p[0], p[1], -halfThickness);
    }
  glEnd();
}

}   // namespace

void DrawOutlineFaces(const TGLVertexArray& outline, Single halfThickness)
{
  if (outline.size() >= 3)
    DrawContourFaces({outline}, halfThickness);
}

void DrawExtrudedPolygon(const TGLVertexArray& outline, Single halfThickness, bool sideColoured,
                         const TSideColour& colour)
{
  if (outline.size() < 3)
    return;
  DrawOutlineFaces(outline, halfThickness);
  TGLVertexArray ring(outline);
  ring.push_back(ring.front());
  TSideColourScope band(sideColoured, colour);
  DrawSideStrip(LiftOutline(ring, halfThickness), LiftOutline(ring, -halfThickness));
}

void DrawExtrudedRing(const TGLVertexArray& outer, const TGLVertexArray& inner, Single halfThickness, bool sideColoured,
                      const TSideColour& colour)
{
  size_t n = std::min(outer.size(), inner.size());
  if (n < 3)
    return;
  // Inner point first on the front keeps the strip's triangles counter-clockwise from +Z.
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, 1);
  for (size_t i = 0; i <= n; ++i) {
    size_t k = i % n;
    glVertex3f(inner[k][0], inner[k][1], halfThickness);
    glVertex3f(outer[k][0], outer[k][1], halfThickness);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, -1);
  for (size_t i = 0; i <= n; ++i) {
    size_t k = i % n;
    glVertex3f(outer[k][0], outer[k][1], -halfThickness);
    glVertex3f(inner[k][0], inner[k][1], -halfThickness);
  }
  glEnd();
  TGLVertexArray o(outer.begin(), outer.begin() + long(n));
  o.push_back(o.front());
  // The hole's wall runs the other way round so that its normals face into the hole.
  TGLVertexArray h(inner.rbegin() + long(inner.size() - n), inner.rend());
  h.push_back(h.front());
  TSideColourScope band(sideColoured, colour);
  DrawSideStrip(LiftOutline(o, halfThickness), LiftOutline(o, -halfThickness));
  DrawSideStrip(LiftOutline(h, halfThickness), LiftOutline(h, -halfThickness));
}

void DrawRevolvedProfile(const TGLVertexArray& profile, Integer slices)
{
  slices = SafeCount(slices, 3);
  std::vector<Single> sn(size_t(slices) + 1), cs(size_t(slices) + 1);
  for (Integer j = 0; j <= slices; ++j)
    SinCos(FullCircle * Single(j) / Single(slices), sn[size_t(j)], cs[size_t(j)]);
  for (size_t i = 0; i + 1 < profile.size(); ++i) {
    Single r0 = profile[i][0], z0 = profile[i][1];
    Single r1 = profile[i + 1][0], z1 = profile[i + 1][1];
    Single dr = r1 - r0, dz = z1 - z0;
    if ((dr == 0 && dz == 0) || (r0 == 0 && r1 == 0))
      continue;
    // Left of the direction of travel in the (radius, z) half-plane.
    Single nr = dz, nz = -dr;
    if (r0 == 0 || r1 == 0) {
      // A piece that meets the axis is a cone or a disc: a fan about its apex, not a strip of
      // quads that each lose one side there (half the triangles, none of zero area).
      bool apexFirst = r0 == 0;
      Single r = apexFirst ? r1 : r0, z = apexFirst ? z1 : z0, za = apexFirst ? z0 : z1;
      glBegin(GL_TRIANGLE_FAN);
      glNormal3f(0, 0, nz);   // at a cone's apex the axis stands for every side's normal
      glVertex3f(0, 0, za);
      // Counter-clockwise seen from the side the normal points to.
      bool reverse = nz < 0;
      for (Integer k = 0; k <= slices; ++k) {
        Integer j = reverse ? slices - k : k;
        Single c = cs[size_t(j)], sn1 = sn[size_t(j)];
        glNormal3f(nr * c, nr * sn1, nz);
        glVertex3f(r * c, r * sn1, z);
      }
      glEnd();
      continue;
    }
    glBegin(GL_QUAD_STRIP);
    for (Integer j = 0; j <= slices; ++j) {
      Single c = cs[size_t(j)], s = sn[size_t(j)];
      glNormal3f(nr * c, nr * s, nz);
      glVertex3f(r1 * c, r1 * s, z1);
      glVertex3f(r0 * c, r0 * s, z0);
    }
    glEnd();
  }
}

TGLVertexArray CirclePoints(Single radius, Integer segments, Single z)
{
  segments = SafeCount(segments, 3);
  TGLVertexArray r;
  r.reserve(size_t(segments));
  for (Integer i = 0; i < segments; ++i) {
    Single s, c;
    SinCos(FullCircle * Single(i) / Single(segments), s, c);
    r.push_back({radius * c, radius * s, z});
  }
  return r;
}

void DrawExtrudedContours(const TGLVertexArray& outer, const TGLVertexArrayArray& holes, Single halfThickness,
                          bool sideColoured, const TSideColour& colour)
{
  if (outer.size() < 3)
    return;
  std::vector<std::vector<TAffineVector>> contours{outer};
  for (const TGLVertexArray& h : holes)
    if (h.size() >= 3)
      contours.push_back(h);
  DrawContourFaces(contours, halfThickness);
  TSideColourScope band(sideColoured, colour);
  TGLVertexArray ring(outer);
  ring.push_back(ring.front());
  DrawSideStrip(LiftOutline(ring, halfThickness), LiftOutline(ring, -halfThickness));
  for (size_t c = 1; c < contours.size(); ++c) {
    TGLVertexArray h(contours[c].rbegin(), contours[c].rend());
    h.push_back(h.front());
    DrawSideStrip(LiftOutline(h, halfThickness), LiftOutline(h, -halfThickness));
  }
}

void DrawBox(const TAffineVector& lo, const TAffineVector& hi)
{
  const Single x0 = lo[0], y0 = lo[1], z0 = lo[2], x1 = hi[0], y1 = hi[1], z1 = hi[2];
  glBegin(GL_QUADS);
  glNormal3f(0, 0, 1);
  glVertex3f(x0, y0, z1);
  glVertex3f(x1, y0, z1);
  glVertex3f(x1, y1, z1);
  glVertex3f(x0, y1, z1);
  glNormal3f(0, 0, -1);
  glVertex3f(x0, y0, z0);
  glVertex3f(x0, y1, z0);
  glVertex3f(x1, y1, z0);
  glVertex3f(x1, y0, z0);
  glNormal3f(1, 0, 0);
  glVertex3f(x1, y0, z0);
  glVertex3f(x1, y1, z0);
  glVertex3f(x1, y1, z1);
  glVertex3f(x1, y0, z1);
  glNormal3f(-1, 0, 0);
  glVertex3f(x0, y0, z0);
  glVertex3f(x0, y0, z1);
  glVertex3f(x0, y1, z1);
  glVertex3f(x0, y1, z0);
  glNormal3f(0, 1, 0);
  glVertex3f(x0, y1, z0);
  glVertex3f(x0, y1, z1);
  glVertex3f(x1, y1, z1);
  glVertex3f(x1, y1, z0);
  glNormal3f(0, -1, 0);
  glVertex3f(x0, y0, z0);
  glVertex3f(x1, y0, z0);
  glVertex3f(x1, y0, z1);
  glVertex3f(x0, y0, z1);
  glEnd();
}
