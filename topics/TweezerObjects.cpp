#include "topics/TweezerObjects.h"

#include <cmath>

#include "parts/PartHelpers.h"

namespace {

void PlaneNormal(const TAffineVector& p, const TAffineVector& q, const TAffineVector& r)
{
  EmitNormal(CalcPlaneNormal(p, q, r));
}

// A strip along the blade between two corners of every row, each step under the plane normal
// through a[i], b[i], b[i + 1]; first under the given start normal.
void SideStrip(const std::vector<TTweezers::TRow>& rows, size_t a, size_t b, const TAffineVector* start)
{
  glBegin(GL_TRIANGLE_STRIP);
  if (start)
    EmitNormal(*start);
  for (size_t i = 0; i + 1 < rows.size(); ++i) {
    PlaneNormal(rows[i][a], rows[i][b], rows[i + 1][b]);
    EmitVertex(rows[i][a]);
    EmitVertex(rows[i][b]);
  }
  EmitVertex(rows.back()[a]);
  EmitVertex(rows.back()[b]);
  glEnd();
}

TAffineVector NegZ(TAffineVector v)
{
  v[2] = -v[2];
  return v;
}

TAffineVector NegY(TAffineVector v)
{
  v[1] = -v[1];
  return v;
}

}   // namespace

// --- TTweezers -----------------------------------------------------------------------------

TTweezers::TTweezers(TGLBaseSceneObject* AOwner) : TBezierStrip(AOwner)
{
  FThickness = 0.01f;
  const Single points[8][2] = {{0, 0},     {0.05f, 0},    {0.47f, 0.15f}, {1.0f, 0.1f},
                               {0, 0.03f}, {0.5f, 0.05f}, {0.5f, 0.02f},  {1.0f, 0.01f}};
  for (Integer i = 0; i < 8; ++i)
    SetControlPoint(i, points[i][0], points[i][1], false);
}

std::vector<TTweezers::TRow> TTweezers::BuildTweezerRows() const
{
  const Integer n = FDivisions < 1 ? 1 : FDivisions;
  const Single T = Finite(FThickness);
  std::vector<TRow> rows(size_t(n) + 1);
  for (Integer i = 0; i <= n; ++i) {
    const Single t = Single(i) / Single(n), u = 1 - t;
    const Single w[4] = {u * u * u, 3 * t * u * u, 3 * t * t * u, t * t * t};
    Single bend = 0, x = 0, hw = 0;
    for (size_t k = 0; k < 4; ++k) {
      bend += w[k] * FControlPoints[k][1];
      x += w[k] * FControlPoints[4 + k][0];
      hw += w[k] * FControlPoints[4 + k][1];
    }
    rows[size_t(i)] = {{{x, bend + T, hw}, {x, bend, hw}, {x, bend, -hw}, {x, bend + T, -hw}}};
  }
  return rows;
}

void TTweezers::BuildList(TRenderContextInfo&)
{
  std::vector<TRow> rows = BuildTweezerRows();
  const size_t N = rows.size() - 1;
  const TRow E = rows.back();
  const TAffineVector plusZ{0, 0, 1};

  SideStrip(rows, 0, 1, &plusZ);   // +Z side
  glBegin(GL_TRIANGLE_STRIP);      // -Z side
  glNormal3f(0, 0, -1);
  for (const TRow& r : rows) {
    EmitVertex(r[2]);
    EmitVertex(r[3]);
  }
  glEnd();
  if (FSides & BezierStripSide(1))
    SideStrip(rows, 1, 2, nullptr);   // underside

  // The rib: the bottom corners become a roof 0.01 above the sheet, 0.01 in from each side.
  for (TRow& r : rows) {
    const Single top = r[0][1] + 0.01f;
    r[1] = {r[1][0], top, r[0][2] - 0.01f};
    r[2] = {r[2][0], top, r[3][2] + 0.01f};
  }
  const TAffineVector E1r = rows.back()[1], E2r = rows.back()[2];
  SideStrip(rows, 1, 0, &plusZ);   // +Z slope
  SideStrip(rows, 2, 1, &plusZ);   // roof top
  SideStrip(rows, 3, 2, &plusZ);   // -Z slope

  // Grip ridges across the roof between rows 3 and 10: every other point raised.
  if (N >= size_t(RidgeLastRow)) {
    std::vector<TAffineVector> A0, A1;
    for (size_t d = 3; d < size_t(RidgeLastRow); ++d) {
      const TAffineVector& p = rows[d][1];
      const TAffineVector& q = rows[d + 1][1];
      const Single delta = (q[0] - p[0]) / 10;
      for (int k = 0; k < 10; ++k) {
        const TAffineVector a = VectorAdd(p, VectorScale(VectorSubtract(q, p), Single(k) / 10));
        TAffineVector b = a;
        if ((A0.size() % 2) == 1)
          b[1] += delta;
        A0.push_back(a);
        A1.push_back(b);
      }
    }
    auto strip = [&](auto first, auto second) {
      glBegin(GL_TRIANGLE_STRIP);
      for (size_t j = 0; j + 1 < A0.size(); ++j) {
        PlaneNormal(first(j), second(j), second(j + 1));
        EmitVertex(first(j));
        EmitVertex(second(j));
      }
      glEnd();
    };
    auto a0 = [&](size_t j) { return A0[j]; };
    auto a1 = [&](size_t j) { return A1[j]; };
    auto a2 = [&](size_t j) { return NegZ(A1[j]); };
    auto a3 = [&](size_t j) { return NegZ(A0[j]); };
    strip(a2, a1);   // top
    strip(a1, a0);   // +Z side
    strip(a3, a2);   // -Z side
  }

  // The tip: a small end face at x = 1.05 joined to the last row.
  const TAffineVector A{1.05f, 0.1f, 0.01f}, B{1.05f, 0.105f, 0.01f}, C{1.05f, 0.105f, -0.01f}, D{1.05f, 0.1f, -0.01f};
  glBegin(GL_QUADS);
  PlaneNormal(A, B, E[0]);
  EmitVertex(A), EmitVertex(B), EmitVertex(E[0]), EmitVertex(E[1]);
  PlaneNormal(B, C, E2r);
  EmitVertex(B), EmitVertex(C), EmitVertex(E2r), EmitVertex(E1r);
  PlaneNormal(C, D, E[2]);
  EmitVertex(C), EmitVertex(D), EmitVertex(E[2]), EmitVertex(E[3]);
  PlaneNormal(D, A, E[1]);
  EmitVertex(D), EmitVertex(A), EmitVertex(E[1]), EmitVertex(E[2]);
  glNormal3f(1, 0, 0);
  EmitVertex(A), EmitVertex(D), EmitVertex(C), EmitVertex(B);
  glEnd();
  glBegin(GL_TRIANGLES);
  PlaneNormal(B, E1r, E[0]);
  EmitVertex(B), EmitVertex(E1r), EmitVertex(E[0]);
  PlaneNormal(C, E[3], E2r);
  EmitVertex(C), EmitVertex(E[3]), EmitVertex(E2r);
  glEnd();
}

// --- TTweezerEnd ---------------------------------------------------------------------------

void TTweezerEnd::BuildList(TRenderContextInfo&)
{
  const Single yz[8][2] = {{0.02f, 0.06f},   {0.04f, 0.04f},   {0.04f, -0.04f}, {0.02f, -0.06f},
                           {-0.02f, -0.06f}, {-0.04f, -0.04f}, {-0.04f, 0.04f}, {-0.02f, 0.06f}};
  TAffineVector O[8], Oe[8];
  for (int k = 0; k < 8; ++k) {
    O[k] = {-0.2f, yz[k][0], yz[k][1]};
    Oe[k] = {0, yz[k][0], yz[k][1]};
  }
  glBegin(GL_QUADS);
  for (int k = 0; k < 7; ++k) {
    PlaneNormal(O[k], Oe[k], Oe[k + 1]);
    EmitVertex(O[k]), EmitVertex(Oe[k]), EmitVertex(Oe[k + 1]), EmitVertex(O[k + 1]);
  }
  glNormal3f(0, 0, 1);
  EmitVertex(O[0]), EmitVertex(O[7]), EmitVertex(Oe[7]), EmitVertex(Oe[0]);
  glEnd();

  // The rounded end: a half disc of radius 0.06 at the side, chamfered to 0.04 top and bottom.
  constexpr int Steps = 20;
  TAffineVector M[Steps + 1], Nn[Steps + 1];
  Single cs[Steps + 1], sn[Steps + 1];
  for (int k = 0; k <= Steps; ++k) {
    const double phi = (90.0 + k * 9.0) * 3.14159265358979323846 / 180;
    cs[k] = Single(std::cos(phi));
    sn[k] = Single(std::sin(phi));
    M[k] = {-0.2f + 0.06f * cs[k], 0.02f, 0.06f * sn[k]};
    Nn[k] = {-0.2f + 0.04f * cs[k], 0.04f, 0.04f * sn[k]};
  }
  glBegin(GL_TRIANGLE_STRIP);   // outer band
  for (int k = 0; k <= Steps; ++k) {
    EmitNormal(0.06f * cs[k], 0, 0.06f * sn[k]);
    EmitVertex(NegY(M[k]));
    EmitVertex(M[k]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);   // upper slope
  for (int k = 0; k < Steps; ++k) {
    PlaneNormal(M[k], Nn[k], Nn[k + 1]);
    EmitVertex(M[k]);
    EmitVertex(Nn[k]);
  }
  EmitVertex(M[Steps]);
  EmitVertex(Nn[Steps]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);   // top
  glNormal3f(0, 1, 0);
  glVertex3f(-0.2f, 0.04f, 0);
  for (int k = Steps; k >= 0; --k)
    EmitVertex(Nn[k]);
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);   // lower slope
  for (int k = 0; k < Steps; ++k) {
    PlaneNormal(NegY(Nn[k]), NegY(M[k]), NegY(M[k + 1]));
    EmitVertex(NegY(Nn[k]));
    EmitVertex(NegY(M[k]));
  }
  EmitVertex(NegY(Nn[Steps]));
  EmitVertex(NegY(M[Steps]));
  glEnd();
  glBegin(GL_TRIANGLE_FAN);   // bottom
  glNormal3f(0, -1, 0);
  glVertex3f(-0.2f, -0.04f, 0);
  for (int k = 0; k <= Steps; ++k)
    EmitVertex(NegY(Nn[k]));
  glEnd();
}
