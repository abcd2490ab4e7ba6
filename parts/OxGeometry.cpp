#include "parts/OxGeometry.h"

#include <cmath>

#include "engine/OpenGL1x.h"

void SetVector(TAffineVector& v, Single x, Single y, Single z)
{
  v = {x, y, z};
}

void SetVertex(TAffineVector& v, Single x, Single y, Single z)
{
  v = {x, y, z};
}

void CopyVertex(const TAffineVector& source, TAffineVector& destination)
{
  destination = source;
}

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
  return SafeCount(static_cast<Integer>(n), lo);
}

Single SafeSingle(Single v, Single fallback)
{
  return std::isfinite(v) ? v : fallback;
}

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

void EndSideColour()
{
  glPopAttrib();
}

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
