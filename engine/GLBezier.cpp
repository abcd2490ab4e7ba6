#include "engine/GLBezier.h"

#include <algorithm>
#include <cmath>
#include <vector>

// --- TBezierStrip ------------------------------------------------------------------------

TBezierStrip::TBezierStrip(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner)
{
  // A gentle arch 1 long and 0.2 wide, so a new strip shows something.
  FControlPoints = {{{0, 0}, {0.33f, 0.2f}, {0.67f, 0.2f}, {1, 0}, {0, 0.2f}, {0.33f, 0.4f}, {0.67f, 0.4f}, {1, 0.2f}}};
}

const TVector2f& TBezierStrip::GetControlPoint(Integer index) const
{
  return FControlPoints[size_t(std::clamp<Integer>(index, 0, 7))];
}

void TBezierStrip::SetControlPoint(Integer index, Single x, Single y, bool update)
{
  if (index < 0 || index > 7)
    return;
  FControlPoints[size_t(index)] = {x, y};
  if (update)
    StructureChanged();
}

void TBezierStrip::SetThickness(Single v) { SetShapeSize(this, FThickness, v); }

void TBezierStrip::SetDivisions(Integer v) { SetShapeValue(this, FDivisions, std::clamp<Integer>(v, 1, 1000)); }

void TBezierStrip::SetSides(TBezierStripSides v) { SetShapeValue(this, FSides, TBezierStripSides(v & bssAll)); }

void TBezierStrip::SetSideColour(const TVector& c) { SetShapeValue(this, FSideColour, c); }

void TBezierStrip::SetUseSideColour(bool v) { SetShapeValue(this, FUseSideColour, v); }

TVector2f TBezierStrip::BezierPoint(const TVector2f& p0, const TVector2f& p1, const TVector2f& p2, const TVector2f& p3,
                                    Single t)
{
  const Single u = 1 - t;
  const Single b0 = u * u * u, b1 = 3 * t * u * u, b2 = 3 * t * t * u, b3 = t * t * t;
  return {b0 * p0[0] + b1 * p1[0] + b2 * p2[0] + b3 * p3[0], b0 * p0[1] + b1 * p1[1] + b2 * p2[1] + b3 * p3[1]};
}

namespace {

// A wall standing on the path (z from -h to +h), the path running the way the outline
// runs counter-clockwise, so its outside is on the right. Normals are shared at interior
// corners; spans of no length borrow their neighbours'.
void StripWall(const std::vector<TVector2f>& path, Single h)
{
  const size_t n = path.size();
  if (n < 2)
    return;
  std::vector<TAffineVector> seg(n - 1);
  bool any = false;
  for (size_t i = 0; i + 1 < n; ++i) {
    const Single dx = path[i + 1][0] - path[i][0], dy = path[i + 1][1] - path[i][1];
    seg[i] = VectorNormalize(TAffineVector{dy, -dx, 0});
    any = any || VectorLength(seg[i]) > 0;
  }
  if (!any)
    return;
  // Fill spans without a direction from the nearest one that has it.
  for (size_t i = 1; i < seg.size(); ++i)
    if (!(VectorLength(seg[i]) > 0))
      seg[i] = seg[i - 1];
  for (size_t i = seg.size() - 1; i-- > 0;)
    if (!(VectorLength(seg[i]) > 0))
      seg[i] = seg[i + 1];
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t i = 0; i < n; ++i) {
    TAffineVector nv = i == 0 ? seg[0] : i == n - 1 ? seg[n - 2] : VectorAdd(seg[i - 1], seg[i]);
    if (!(VectorLength(nv) > 0))
      nv = seg[i > 0 ? i - 1 : 0];
    glNormal3fv(VectorNormalize(nv).data());
    glVertex3f(path[i][0], path[i][1], h);
    glVertex3f(path[i][0], path[i][1], -h);
  }
  glEnd();
}

}   // namespace

void TBezierStrip::BuildList(TRenderContextInfo&)
{
  const Integer n = FDivisions;
  const Single h = FThickness / 2;
  std::vector<TVector2f> a(size_t(n) + 1), b(size_t(n) + 1);
  const auto& p = FControlPoints;
  for (Integer i = 0; i <= n; ++i) {
    const Single t = Single(i) / n;
    a[size_t(i)] = BezierPoint(p[0], p[1], p[2], p[3], t);
    b[size_t(i)] = BezierPoint(p[4], p[5], p[6], p[7], t);
  }
  // The outline runs first edge forward, across the end, second edge back, across the start.
  double area2 = 0;
  std::vector<TVector2f> ring(a);
  ring.insert(ring.end(), b.rbegin(), b.rend());
  for (size_t i = 0, m = ring.size(); i < m; ++i)
    area2 += double(ring[i][0]) * ring[(i + 1) % m][1] - double(ring[(i + 1) % m][0]) * ring[i][1];
  const bool ccw = area2 >= 0;

  // Faces: +Z front and -Z back, each a strip across the ribbon.
  for (int face = 0; face < 2; ++face) {
    const bool front = face == 0;
    const Single z = front ? h : -h;
    // For a counter-clockwise outline, second edge then first winds counter-clockwise from +Z.
    const bool secondFirst = ccw == front;
    glBegin(GL_TRIANGLE_STRIP);
    glNormal3f(0, 0, front ? 1.f : -1.f);
    for (Integer i = 0; i <= n; ++i) {
      const TVector2f& u = secondFirst ? b[size_t(i)] : a[size_t(i)];
      const TVector2f& v = secondFirst ? a[size_t(i)] : b[size_t(i)];
      glVertex3f(u[0], u[1], z);
      glVertex3f(v[0], v[1], z);
    }
    glEnd();
  }
  if (!FSides)
    return;
  if (FUseSideColour) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    const GLfloat specular[4] = {0.6f, 0.6f, 0.6f, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 60);
    glColor3fv(FSideColour.data());
  }
  // Each wall's path in the counter-clockwise direction of the outline.
  auto wall = [&](TBezierStripSides side, std::vector<TVector2f> path) {
    if (!(FSides & side))
      return;
    if (!ccw)
      std::reverse(path.begin(), path.end());
    StripWall(path, h);
  };
  wall(bssFirstEdge, a);
  wall(bssEnd, {a.back(), b.back()});
  wall(bssSecondEdge, std::vector<TVector2f>(b.rbegin(), b.rend()));
  wall(bssStart, {b.front(), a.front()});
  if (FUseSideColour)
    glPopAttrib();
}

void TBezierStrip::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TBezierStrip*>(&src); c && c != this) {
    FControlPoints = c->FControlPoints;
    FThickness = c->FThickness;
    FDivisions = c->FDivisions;
    FSides = c->FSides;
    FSideColour = c->FSideColour;
    FUseSideColour = c->FUseSideColour;
  }
  TGLSceneObject::Assign(src);
}

// --- TBezierSurface ----------------------------------------------------------------------

TBezierSurface::TBezierSurface(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner)
{
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      FPoints[size_t(r)][size_t(c)] = {(c - 1) * 0.5f, 0, (r - 1) * 0.5f};
}

void TBezierSurface::SetWidth(Single v) { SetShapeSize(this, FWidth, v); }

void TBezierSurface::SetDepth(Single v) { SetShapeSize(this, FDepth, v); }

const TAffineVector& TBezierSurface::GetControlPoint(Integer row, Integer column) const
{
  return FPoints[size_t(std::clamp<Integer>(row, 0, 2))][size_t(std::clamp<Integer>(column, 0, 2))];
}

void TBezierSurface::SetControlPoint(Integer row, Integer column, const TAffineVector& p)
{
  if (row < 0 || row > 2 || column < 0 || column > 2)
    return;
  if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
    return;
  SetShapeValue(this, FPoints[size_t(row)][size_t(column)], p);
}

void TBezierSurface::SetDivisions(Integer v) { SetShapeValue(this, FDivisions, std::clamp<Integer>(v, 1, 200)); }

namespace {

void Bernstein2(Single t, Single b[3], Single d[3])
{
  const Single u = 1 - t;
  b[0] = u * u;
  b[1] = 2 * t * u;
  b[2] = t * t;
  d[0] = -2 * u;
  d[1] = 2 - 4 * t;
  d[2] = 2 * t;
}

}   // namespace

TAffineVector TBezierSurface::SurfacePoint(Single u, Single v) const
{
  Single bu[3], du[3], bv[3], dv[3];
  Bernstein2(u, bu, du);
  Bernstein2(v, bv, dv);
  TAffineVector p{0, 0, 0};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      p = VectorAdd(p, VectorScale(FPoints[size_t(r)][size_t(c)], bv[r] * bu[c]));
  return {p[0] * FWidth, p[1], p[2] * FDepth};
}

TAffineVector TBezierSurface::SurfaceNormal(Single u, Single v) const
{
  Single bu[3], du[3], bv[3], dv[3];
  Bernstein2(u, bu, du);
  Bernstein2(v, bv, dv);
  TAffineVector su{0, 0, 0}, sv{0, 0, 0};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      su = VectorAdd(su, VectorScale(FPoints[size_t(r)][size_t(c)], bv[r] * du[c]));
      sv = VectorAdd(sv, VectorScale(FPoints[size_t(r)][size_t(c)], dv[r] * bu[c]));
    }
  su = {su[0] * FWidth, su[1], su[2] * FDepth};
  sv = {sv[0] * FWidth, sv[1], sv[2] * FDepth};
  const TAffineVector n = VectorCrossProduct(sv, su);
  // A pinched corner (or a patch of no size) has no tangent plane: face up there.
  return VectorLength(n) > 1e-12f ? VectorNormalize(n) : YVector;
}

void TBezierSurface::BuildList(TRenderContextInfo&)
{
  const Integer n = FDivisions;
  for (Integer j = 0; j < n; ++j) {
    const Single v0 = Single(j) / n, v1 = Single(j + 1) / n;
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= n; ++i) {
      const Single u = Single(i) / n;
      glNormal3fv(SurfaceNormal(u, v0).data());
      glTexCoord2f(u, v0);
      glVertex3fv(SurfacePoint(u, v0).data());
      glNormal3fv(SurfaceNormal(u, v1).data());
      glTexCoord2f(u, v1);
      glVertex3fv(SurfacePoint(u, v1).data());
    }
    glEnd();
  }
}

void TBezierSurface::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TBezierSurface*>(&src); c && c != this) {
    FPoints = c->FPoints;
    FWidth = c->FWidth;
    FDepth = c->FDepth;
    FDivisions = c->FDivisions;
  }
  TGLSceneObject::Assign(src);
}
