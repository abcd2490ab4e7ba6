#include "topics/NutcrackerObjects.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "parts/PartHelpers.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

TAffineVector At(const TAffineVector& p, Single z) { return {p[0], p[1], z}; }

// The plane normal through three points; a degenerate face keeps the previous normal.
void PlaneNormal(const TAffineVector& p, const TAffineVector& q, const TAffineVector& r)
{
  EmitNormal(CalcPlaneNormal(p, q, r));
}

}   // namespace

// --- TNutCracker ---------------------------------------------------------------------------

TNutCracker::TNutCracker(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

std::vector<TAffineVector> TNutCracker::LowerOutline()
{
  std::vector<TAffineVector> p;
  p.reserve(54);
  // The hinge's quarter circle, from the top of the hinge round to the lower edge.
  for (int i = 0; i <= 10; ++i)
    p.push_back({Single(0.05 * std::sin(i * Pi / 20)), Single(0.05 * std::cos(i * Pi / 20)), 0});
  // The small-nut notch: a circle that meets the lower edge at both ends, every other point
  // standing out a little to serrate the jaw.
  const double alpha = Pi / 2 - std::asin(7.0 / 12.0);
  for (int j = 0; j <= 20; ++j) {
    const double th = (Pi / 2 + alpha) - j * (2 * alpha / 20), r = j % 2 ? 0.126 : 0.12;
    p.push_back({Single(0.18 + r * std::cos(th)), Single(-0.07 + r * std::sin(th)), 0});
  }
  // The large-nut notch, ending at 70 degrees on the way up to the grip.
  const double beta = Pi / 2 - std::asin(4.0 / 9.0);
  for (int j = 0; j <= 20; ++j) {
    const double th = (Pi / 2 + beta) - j * (beta + 20 * Pi / 180) / 20, r = j % 2 ? 0.186 : 0.18;
    p.push_back({Single(0.48 + r * std::cos(th)), Single(-0.08 + r * std::sin(th)), 0});
  }
  p.push_back({0.65f, 0.11f, 0});
  return p;
}

Single TNutCracker::BackHeight(Single x)
{
  // 0.03596 makes the back meet the hinge circle's top (0.05) at x = 0.
  return Single(0.2 * (1 - std::exp(-8 * (double(x) + 0.03596))));
}

void TNutCracker::BuildList(TRenderContextInfo&)
{
  const std::vector<TAffineVector> P = LowerOutline();
  const size_t n = P.size();   // 54
  const Single w = Finite(Thickness) / 2;
  std::vector<TAffineVector> F(n), FU(n), BU(n), B(n);
  for (size_t i = 0; i < n; ++i) {
    const Single h = BackHeight(P[i][0]);
    F[i] = At(P[i], w);
    B[i] = At(P[i], -w);
    FU[i] = {P[i][0], h, w};
    BU[i] = {P[i][0], h, -w};
  }

  glBegin(GL_TRIANGLE_STRIP);   // front
  glNormal3f(0, 0, 1);
  for (size_t i = 0; i < n; ++i) {
    EmitVertex(FU[i]);
    EmitVertex(F[i]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);   // back
  glNormal3f(0, 0, -1);
  for (size_t i = 0; i < n; ++i) {
    EmitVertex(B[i]);
    EmitVertex(BU[i]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_FAN);   // back of the hinge quarter disc
  glNormal3f(0, 0, -1);
  glVertex3f(0, 0, -w);
  for (size_t i = 0; i <= 10; ++i)
    EmitVertex(B[i]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);   // floor of the hinge recess
  glNormal3f(0, 0, 1);
  glVertex3f(0, 0, 0);
  for (size_t i = 11; i-- > 0;)
    EmitVertex(At(P[i], 0));
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);   // the curved back
  for (size_t i = 0; i + 1 < n; ++i) {
    PlaneNormal(BU[i], FU[i], FU[i + 1]);
    EmitVertex(BU[i]);
    EmitVertex(FU[i]);
  }
  EmitVertex(BU[n - 1]);
  EmitVertex(FU[n - 1]);
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);   // wall of the hinge recess, facing the hinge axis
  for (size_t i = 0; i <= 10; ++i) {
    EmitNormal(-P[i][0], -P[i][1], 0);
    EmitVertex(F[i]);
    EmitVertex(B[i]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);   // lower edge with the notches, flat per step
  for (size_t i = 10; i + 1 < n; ++i) {
    PlaneNormal(F[i], B[i], B[i + 1]);
    EmitVertex(F[i]);
    EmitVertex(B[i]);
    EmitVertex(F[i + 1]);
    EmitVertex(B[i + 1]);
  }
  glEnd();

  // The hinge tongue: 270 degrees of a disc a little smaller than the hinge circle.
  std::array<TAffineVector, 31> T;
  for (size_t k = 0; k < T.size(); ++k)
    T[k] = {Single(0.048 * std::cos(Pi / 2 + k * Pi / 20)), Single(0.048 * std::sin(Pi / 2 + k * Pi / 20)), 0};
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, -1);
  glVertex3f(0, 0, -w);
  for (size_t k = T.size(); k-- > 0;)
    EmitVertex(At(T[k], -w));
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  glVertex3f(0, 0, 0);
  for (const TAffineVector& t : T)
    EmitVertex(t);
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  for (const TAffineVector& t : T) {
    EmitNormal(t[0], t[1], 0);
    EmitVertex(t);
    EmitVertex(At(t, -w));
  }
  glEnd();
  // Close the small gaps between the tongue's ends and the outline.
  glBegin(GL_QUADS);
  glNormal3f(0, 0.05f, 0);
  EmitVertex(At(T[0], -w));
  EmitVertex(T[0]);
  glVertex3f(0, 0.05f, 0);
  glVertex3f(0, 0.05f, -w);
  glNormal3f(1, 0, 0);
  EmitVertex(T[30]);
  EmitVertex(At(T[30], -w));
  glVertex3f(0.05f, 0, -w);
  glVertex3f(0.05f, 0, 0);
  glEnd();
}

// --- TRoundCuboid --------------------------------------------------------------------------

TRoundCuboid::TRoundCuboid(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TRoundCuboid::BuildList(TRenderContextInfo&)
{
  const Integer N = std::min(SafeCount(Segments), MaxSegments);
  const Single a = Finite(Length) / 2, b = Finite(Height) / 2, c = Finite(Depth) / 2, r = Finite(CornerRadius);
  const Single ai = a - r, bi = b - r, ci = c - r;
  std::vector<Single> S(size_t(N) + 1), C(size_t(N) + 1);
  for (Integer i = 0; i <= N; ++i) {
    S[size_t(i)] = Single(std::sin(i * (Pi / 2) / N));
    C[size_t(i)] = Single(std::cos(i * (Pi / 2) / N));
  }

  glBegin(GL_QUADS);
  glNormal3f(0, 0, 1);
  glVertex3f(-ai, bi, c), glVertex3f(-ai, -bi, c), glVertex3f(ai, -bi, c), glVertex3f(ai, bi, c);
  glNormal3f(0, 0, -1);
  glVertex3f(-ai, bi, -c), glVertex3f(ai, bi, -c), glVertex3f(ai, -bi, -c), glVertex3f(-ai, -bi, -c);
  glNormal3f(0, 1, 0);
  glVertex3f(-ai, b, ci), glVertex3f(ai, b, ci), glVertex3f(ai, b, -ci), glVertex3f(-ai, b, -ci);
  glNormal3f(0, -1, 0);
  glVertex3f(-ai, -b, -ci), glVertex3f(ai, -b, -ci), glVertex3f(ai, -b, ci), glVertex3f(-ai, -b, ci);
  glNormal3f(1, 0, 0);
  glVertex3f(a, bi, ci), glVertex3f(a, -bi, ci), glVertex3f(a, -bi, -ci), glVertex3f(a, bi, -ci);
  glNormal3f(-1, 0, 0);
  glVertex3f(-a, bi, -ci), glVertex3f(-a, -bi, -ci), glVertex3f(-a, -bi, ci), glVertex3f(-a, bi, ci);
  glEnd();

  // The edges: a quarter cylinder about each inset edge line, turning from the face normal u
  // (first row) to v (last). u = axis x v keeps every strip wound outwards.
  const TAffineVector inset{ai, bi, ci};
  auto edge = [&](int axis, TAffineVector u, TAffineVector v) {
    TAffineVector dir{};
    dir[size_t(axis)] = 1;
    if (VectorCrossProduct(dir, v) != u)
      std::swap(u, v);
    TAffineVector centre{};
    for (size_t k = 0; k < 3; ++k)
      centre[k] = (u[k] + v[k]) * inset[k];
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= N; ++i) {
      const TAffineVector d = VectorAdd(VectorScale(u, C[size_t(i)]), VectorScale(v, S[size_t(i)]));
      EmitNormal(d);
      TAffineVector p = VectorAdd(centre, VectorScale(d, r));
      p[size_t(axis)] = -inset[size_t(axis)];
      EmitVertex(p);
      p[size_t(axis)] = inset[size_t(axis)];
      EmitVertex(p);
    }
    glEnd();
  };
  const TAffineVector X{1, 0, 0}, Y{0, 1, 0}, Z{0, 0, 1}, mX{-1, 0, 0}, mY{0, -1, 0}, mZ{0, 0, -1};
  edge(0, Z, Y), edge(0, Z, mY), edge(0, mZ, mY), edge(0, mZ, Y);
  edge(2, X, Y), edge(2, mX, Y), edge(2, mX, mY), edge(2, X, mY);
  edge(1, X, Z), edge(1, mX, Z), edge(1, mX, mZ), edge(1, X, mZ);

  // The corners: one octant grid mirrored into each corner.
  std::vector<TAffineVector> G((size_t(N) + 1) * (size_t(N) + 1));
  auto g = [&](Integer j, Integer k) -> TAffineVector& { return G[size_t(j) * (size_t(N) + 1) + size_t(k)]; };
  for (Integer j = 0; j <= N; ++j)
    for (Integer k = 0; k <= N; ++k)
      g(j, k) = {r * C[size_t(j)] * C[size_t(k)], r * S[size_t(j)], r * C[size_t(j)] * S[size_t(k)]};
  const Single signs[8][3] = {{1, 1, 1},  {-1, 1, 1},  {1, 1, -1},  {-1, 1, -1},
                              {1, -1, 1}, {-1, -1, 1}, {1, -1, -1}, {-1, -1, -1}};
  for (const auto& s : signs) {
    auto corner = [&](const TAffineVector& o) {
      return TAffineVector{s[0] * (ai + o[0]), s[1] * (bi + o[1]), s[2] * (ci + o[2])};
    };
    for (Integer j = 0; j < N; ++j) {
      glBegin(GL_TRIANGLE_STRIP);
      for (Integer k = 0; k <= N; ++k) {
        const TAffineVector& o = g(j, k);
        EmitNormal(s[0] * o[0], s[1] * o[1], s[2] * o[2]);
        EmitVertex(corner(o));
        EmitVertex(corner(g(j + 1, k)));
      }
      glEnd();
    }
  }
}
