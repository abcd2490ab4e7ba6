#include "topics/ScissorObjects.h"

#include <cmath>

#include "engine/OpenGL1x.h"
#include "parts/PartHelpers.h"

namespace {

TAffineVector P(Single x, Single y, Single z) { return {x, y, z}; }

void Vertex(Single x, Single y, Single z) { glVertex3f(x, y, z); }

}   // namespace

// --- TScissorBlade -------------------------------------------------------------------------

TScissorBlade::TScissorBlade(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

std::array<TAffineVector, 17> TScissorBlade::Outline(bool front, Single thickness)
{
  const Single z = front ? thickness : 0;
  // The cutting edge's front copy lies 0.01 lower: the bevel.
  const Single bevel = front ? -0.01f : 0;
  std::array<TAffineVector, 17> p{};
  p[0] = P(0.05f, -0.05f, z);
  p[1] = P(0.17f, 0.02f, z);
  p[2] = P(0.15f, 0.08f, z);
  p[3] = P(0, 0.05f, z);
  p[4] = P(-0.09f, 0.05f - 0.09f / 12, z);
  p[5] = P(-0.1f, 0.05f - 0.1f / 12 + bevel, z);
  p[6] = P(-0.6f, bevel, z);
  for (size_t k = 7; k <= 15; ++k) {
    Single s, c;
    SinCos(DegToRad(9.0f * Single(k - 6)), s, c);
    p[k] = P(-0.58f - 0.02f * c, -0.01f - 0.02f * s, z);
  }
  p[16] = p[0];
  return p;
}

void TScissorBlade::BuildList(TRenderContextInfo&)
{
  const auto front = Outline(true, Thickness), back = Outline(false, Thickness);
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  Vertex(0, 0, Thickness);
  for (const auto& v : front)
    EmitVertex(v);
  glEnd();

  // The back and the edges are bright steel whatever the blade's material.
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glEnable(GL_COLOR_MATERIAL);
  const GLfloat specular[4] = {0.8f, 0.8f, 0.8f, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 120);
  glColor3f(0.7f, 0.7f, 0.7f);

  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, -1);
  Vertex(0, 0, 0);
  for (size_t k = 17; k-- > 0;)
    EmitVertex(back[k]);
  glEnd();

  glBegin(GL_TRIANGLE_STRIP);
  for (size_t k = 0; k < 16; ++k) {
    EmitNormal(UnitPlaneNormal(front[k], back[k], back[k + 1]));
    EmitVertex(front[k]);
    EmitVertex(back[k]);
  }
  EmitVertex(front[16]);
  EmitVertex(back[16]);
  glEnd();
  glPopAttrib();
}

// --- TScissorHandle ------------------------------------------------------------------------

TScissorHandle::TScissorHandle(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TScissorHandle::BuildList(TRenderContextInfo&)
{
  const Integer segments = SafeCount(Segments, 3), sides = SafeCount(Sides, 1);
  const Single h = Thickness / 2, rm = InnerRadius + h;
  const Single step = 360.0f / Single(segments);

  // The rounded inner edge: the half of a tube section that faces the hole.
  for (Integer k = 0; k < segments; ++k) {
    Single s0, c0, s1, c1;
    SinCos(DegToRad(step * Single(k)), s0, c0);
    SinCos(DegToRad(step * Single(k + 1)), s1, c1);
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer j = 0; j <= sides; ++j) {
      Single sp, cp;
      SinCos(DegToRad(90.0f + Single(j) * 180.0f / Single(sides)), sp, cp);
      const Single r = rm + h * cp;
      glNormal3f(c0 * cp, s0 * cp, sp);
      Vertex(r * c0, r * s0, h * sp);
      glNormal3f(c1 * cp, s1 * cp, sp);
      Vertex(r * c1, r * s1, h * sp);
    }
    glEnd();
  }

  std::vector<TAffineVector> innerFront, outerFront, innerBack, outerBack;
  for (Integer k = 0; k <= segments; ++k) {
    Single s, c;
    SinCos(DegToRad(step * Single(k)), s, c);
    const Single ox = 1.1f * OuterRadius * c, oy = 0.9f * OuterRadius * s;
    innerFront.push_back(P(rm * c, rm * s, h));
    innerBack.push_back(P(rm * c, rm * s, -h));
    outerFront.push_back(P(ox, oy, h));
    outerBack.push_back(P(ox, oy, -h));
  }
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, 1);
  for (size_t k = 0; k < innerFront.size(); ++k) {
    EmitVertex(innerFront[k]);
    EmitVertex(outerFront[k]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, -1);
  for (size_t k = 0; k < innerFront.size(); ++k) {
    EmitVertex(outerBack[k]);
    EmitVertex(innerBack[k]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  TAffineVector n{};
  for (size_t k = 0; k < size_t(segments); ++k) {
    n = UnitPlaneNormal(outerFront[k], outerBack[k], outerBack[k + 1]);
    EmitNormal(n);
    EmitVertex(outerFront[k]);
    EmitVertex(outerBack[k]);
  }
  EmitNormal(n);
  EmitVertex(outerFront[0]);
  EmitVertex(outerBack[0]);
  glEnd();
}

// --- TFlatHead -----------------------------------------------------------------------------

void TFlatHead::BuildList(TRenderContextInfo&)
{
  const Single s = std::sin(DegToRad(5.0f));
  const Single R = 1.0f / std::cos(DegToRad(45.0f));
  const Single top = R * std::sin(DegToRad(85.0f)) - 1 + s;
  // A spherical dome cut by a slot of half-width s along x.
  auto point = [&](Integer i, Integer j) {
    Single sp, cp, st, ct;
    SinCos(DegToRad(45.0f + 5.0f * Single(i)), sp, cp);
    SinCos(DegToRad(5.0f * Single(j)), st, ct);
    const Single rho = R * cp;
    Single y = rho * st;
    if (y > -s && y < s)
      y = y >= 0 ? s : -s;
    return P(rho * ct, y, R * sp - 1 + s);
  };

  glPushMatrix();
  glScalef(Size, Size, Size);
  for (Integer half = 0; half < 2; ++half) {
    const Integer j0 = half == 0 ? 1 : 37, j1 = half == 0 ? 35 : 71;
    const Single apexY = half == 0 ? s : -s;
    for (Integer i = 0; i <= 8; ++i) {
      glBegin(GL_TRIANGLE_STRIP);
      for (Integer j = j0; j <= j1; ++j) {
        if (i < 8) {
          const TAffineVector a = point(i + 1, j);
          glNormal3f(a[0], a[1], a[2]);
          EmitVertex(a);
        } else {
          glNormal3f(0, 0, 1);
          Vertex(0, apexY, top);
        }
        EmitVertex(point(i, j));
      }
      glEnd();
    }
  }
  // The slot's two walls.
  for (Integer half = 0; half < 2; ++half) {
    const Integer ja = half == 0 ? 1 : 37, jb = half == 0 ? 35 : 71;
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, half == 0 ? -1.0f : 1.0f, 0);
    Vertex(0, half == 0 ? s : -s, s);
    for (Integer i = 0; i <= 8; ++i)
      EmitVertex(point(i, ja));
    for (Integer i = 8; i >= 0; --i)
      EmitVertex(point(i, jb));
    glEnd();
  }
  // The rim: a short band round the dome's foot, and its top, which is the slot's floor.
  std::vector<TAffineVector> upper, lower;
  for (Integer j = 0; j <= 72; ++j) {
    TAffineVector u = point(0, j);
    if (j % 36 == 0) {
      u[0] = j == 36 ? -1.0f : 1.0f;
      u[1] = 0;
    }
    u[0] *= 1 + s;
    u[1] *= 1 + s;
    upper.push_back(u);
    lower.push_back(P(u[0], u[1], 0));
  }
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t j = 0; j < upper.size(); ++j) {
    glNormal3f(lower[j][0], lower[j][1], lower[j][2]);
    EmitVertex(upper[j]);
    EmitVertex(lower[j]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  Vertex(0, 0, s);
  for (const auto& u : upper)
    EmitVertex(u);
  glEnd();
  glPopMatrix();
}

// --- TPaper --------------------------------------------------------------------------------

TPaper::TPaper(TGLBaseSceneObject* AOwner)
    : TGLSceneObject(AOwner),
      Vertices{{{0, 0, 0.5f}, {0, 0, 0}, {-0.4f, 0, 0.5f}, {-0.4f, 0, 0}, {-0.75f, 0, 0.5f}, {-0.75f, 0, 0}}}
{}

void TPaper::SetSheetSize(Single Width, Single Depth)
{
  const Single w = Width / 2, d = Depth / 2;
  Vertices = {{{w, 0, d}, {w, 0, -d}, {0, 0, d}, {0, 0, -d}, {-w, 0, d}, {-w, 0, -d}}};
}

void TPaper::SetCutPoint(Single CutX, Single Lift)
{
  if (Vertices[5][0] <= CutX && CutX <= Vertices[1][0])
    Vertices[3][0] = CutX;
  Vertices[1][1] = Finite(Lift);
  StructureChanged();
  Flat = false;
}

void TPaper::SetFoldLine(Single FoldX, Single Lift)
{
  if (!(Vertices[5][0] <= FoldX && FoldX <= Vertices[1][0]))
    return;
  Vertices[3][0] = FoldX;
  Vertices[1][1] = Finite(Lift);
  Vertices[2][0] = FoldX;
  Vertices[0][1] = Finite(Lift);
  StructureChanged();
  Flat = false;
}

void TPaper::ResetCut()
{
  if (Flat)
    return;
  Vertices[3][0] = (Vertices[5][0] + Vertices[1][0]) / 2;
  Vertices[1][1] = 0;
  Flat = true;
  StructureChanged();
}

namespace {

void DrawFan(const std::array<TAffineVector, 6>& v, Single ny, std::initializer_list<int> order)
{
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, ny, 0);
  for (int i : order)
    EmitVertex(v[size_t(i)]);
  glEnd();
}

}   // namespace

void TPaper::BuildList(TRenderContextInfo&)
{
  // The two faces lie in one plane: only the one facing the viewer may be drawn, or the
  // face turned away shows through it.
  glPushAttrib(GL_ENABLE_BIT);
  glEnable(GL_CULL_FACE);
  DrawFan(Vertices, 1, {2, 0, 1, 3, 5, 4});
  DrawFan(Vertices, -1, {2, 4, 5, 3, 1, 0});
  glPopAttrib();
}

void TCard::BuildList(TRenderContextInfo&)
{
  const auto& v = Vertices;
  std::array<TAffineVector, 6> w = v;
  for (auto& p : w)
    p[1] -= Thickness;
  DrawFan(v, 1, {2, 0, 1, 3, 5, 4});
  DrawFan(w, -1, {2, 4, 5, 3, 1, 0});
  glBegin(GL_QUADS);
  auto quad = [&](Single nx, Single nz, const TAffineVector& a, const TAffineVector& b, const TAffineVector& c,
                  const TAffineVector& d) {
    glNormal3f(nx, 0, nz);
    EmitVertex(a);
    EmitVertex(b);
    EmitVertex(c);
    EmitVertex(d);
  };
  quad(1, 0, v[1], v[0], w[0], w[1]);
  quad(-1, 0, v[4], v[5], w[5], w[4]);
  quad(0, 1, v[4], w[4], w[2], v[2]);
  quad(0, 1, v[2], w[2], w[0], v[0]);
  glEnd();
}
