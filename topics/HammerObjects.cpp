#include "topics/HammerObjects.h"

#include <cmath>

#include "engine/OpenGL1x.h"
#include "parts/PartHelpers.h"

namespace {

TAffineVector P(Single x, Single y, Single z) { return {x, y, z}; }

Single Deg(double d) { return Single(d * M_PI / 180); }

// W: the claw tip's abscissa; beta and gamma bound the inner arc of radius 0.55.
const double ClawW = 0.52 / std::cos(Deg(20));
const double ClawBeta = std::asin(0.2 / 0.55);
const double ClawGamma =
    M_PI / 2 - std::atan(0.2 / (ClawW - 0.02)) - std::acos(0.55 / std::sqrt((ClawW - 0.02) * (ClawW - 0.02) + 0.04));

TAffineVector WithZ(const TAffineVector& v, Single z) { return P(v[0], v[1], z); }

void Quad(const TAffineVector& a, const TAffineVector& b, const TAffineVector& c, const TAffineVector& d)
{
  EmitNormal(UnitPlaneNormal(a, b, c));
  EmitVertex(a);
  EmitVertex(b);
  EmitVertex(c);
  EmitVertex(d);
}

}   // namespace

Single THammerhead::CheekTop() { return Single(0.26 - 0.55 * std::cos(ClawBeta)); }

THammerhead::TClawProfile THammerhead::ClawProfile()
{
  TClawProfile p;
  const Single y0 = CheekTop();
  for (size_t row = 0; row <= 20; ++row) {
    const double th = Deg(3.5 * double(row));
    p.Outer[row] = P(Single(0.52 * std::sin(th)), Single(-0.52 * std::cos(th)), 0);
  }
  p.Outer[21] = P(Single(ClawW), 0, 0);
  p.Inner[0] = P(0, y0, 0);
  for (size_t row = 1; row <= 6; ++row) {
    const double phi = Deg(18.0 * double(row - 1));
    p.Inner[row] = P(Single(0.2 - 0.06 * std::cos(phi)), Single(y0 - 0.06 * std::sin(phi)), 0);
  }
  for (size_t row = 7; row <= 20; ++row) {
    const double th = ClawBeta + double(row - 6) * (ClawGamma - ClawBeta) / 14;
    p.Inner[row] = P(Single(0.55 * std::sin(th)), Single(0.2 - 0.55 * std::cos(th)), 0);
  }
  p.Inner[21] = P(Single(ClawW - 0.02), 0, 0);
  return p;
}

namespace {

using TClawProfile = THammerhead::TClawProfile;

TAffineVector Up(const TAffineVector& v) { return WithZ(v, THammerhead::HalfThickness(v[0])); }
TAffineVector Down(const TAffineVector& v) { return WithZ(v, -THammerhead::HalfThickness(v[0])); }
TAffineVector Mirror(const TAffineVector& v) { return P(v[0], v[1], -v[2]); }

// The prongs' outer edges reach from |z| = t - d to t, d the half-thickness at row 10: the
// notch opens there. Lowered is the upper prong's lower edge, raised the lower prong's upper.
struct TProngEdges {
  const TClawProfile& Prof;
  Single D = THammerhead::HalfThickness(Prof.Outer[10][0]);
  TAffineVector Lowered(size_t row) const
  {
    return WithZ(Prof.Outer[row], THammerhead::HalfThickness(Prof.Outer[row][0]) - D);
  }
  TAffineVector Raised(size_t row) const
  {
    return WithZ(Prof.Outer[row], -THammerhead::HalfThickness(Prof.Outer[row][0]) + D);
  }
  void Radial(size_t row) const { glNormal3f(Prof.Outer[row][0], Prof.Outer[row][1], 0); }
};

// The upper and lower faces, the outer edges of the prongs and of the solid part, the inner
// fillet and the prong tips.
void DrawClawSurfaces(const TClawProfile& prof, const TProngEdges& edges)
{
  glBegin(GL_TRIANGLE_STRIP);
  EmitNormal(UnitPlaneNormal(Up(prof.Inner[0]), Up(prof.Outer[0]), Up(prof.Outer[1])));
  for (size_t r = 0; r <= 21; ++r) {
    EmitVertex(Up(prof.Inner[r]));
    EmitVertex(Up(prof.Outer[r]));
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  EmitNormal(UnitPlaneNormal(Down(prof.Outer[0]), Down(prof.Inner[0]), Down(prof.Inner[1])));
  for (size_t r = 0; r <= 21; ++r) {
    EmitVertex(Down(prof.Outer[r]));
    EmitVertex(Down(prof.Inner[r]));
  }
  glEnd();

  // The prongs' outer edges.
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t r = 10; r <= 21; ++r) {
    if (r <= 20)
      edges.Radial(r);
    EmitVertex(Up(prof.Outer[r]));
    EmitVertex(edges.Lowered(r));
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t r = 21; r >= 10; --r) {
    if (r <= 20)
      edges.Radial(r);
    EmitVertex(Down(prof.Outer[r]));
    EmitVertex(edges.Raised(r));
  }
  glEnd();

  // The outer edge of the solid part.
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t r = 0; r <= 10; ++r) {
    edges.Radial(r);
    EmitVertex(Up(prof.Outer[r]));
    EmitVertex(Down(prof.Outer[r]));
  }
  glEnd();

  // The inner fillet.
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t r = 1; r <= 6; ++r) {
    EmitNormal(UnitPlaneNormal(Down(prof.Inner[r]), Up(prof.Inner[r]), Up(prof.Inner[r + 1])));
    EmitVertex(Down(prof.Inner[r]));
    EmitVertex(Up(prof.Inner[r]));
  }
  glEnd();

  // The prong tips.
  const TAffineVector tipIn = P(Single(ClawW) - 0.02f, 0, 0.05f);
  glBegin(GL_QUADS);
  glNormal3f(0, 1, 0);
  EmitVertex(Up(prof.Inner[21]));
  EmitVertex(Up(prof.Outer[21]));
  EmitVertex(edges.Lowered(21));
  EmitVertex(tipIn);
  EmitVertex(Down(prof.Outer[21]));
  EmitVertex(Down(prof.Inner[21]));
  EmitVertex(Mirror(tipIn));
  EmitVertex(edges.Raised(21));
  glEnd();
}

// The notch between the prongs: each prong's inner edge, and its face towards the notch as a
// fan about the notch's centre on the outer edge; the lower prong mirrors the upper one,
// wound the other way.
void DrawNotch(const TClawProfile& prof, const TProngEdges& edges)
{
  // The notch's root (a quarter circle on the inner arc) and the prong's inner edge beyond.
  std::array<TAffineVector, 16> N{};
  for (size_t j = 0; j <= 4; ++j) {
    const double phi = Deg(22.5 * double(j));
    const double x = 0.25 - 0.05 * std::cos(phi);
    N[j] = P(Single(x), Single(0.2 - std::sqrt(0.55 * 0.55 - x * x)), Single(0.05 * std::sin(phi)));
  }
  for (size_t j = 5; j <= 15; ++j)
    N[j] = WithZ(prof.Inner[j + 6], 0.05f);

  const TAffineVector C = WithZ(prof.Outer[10], 0);
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t j = 0; j <= 14; ++j) {
    EmitNormal(UnitPlaneNormal(N[j], Up(prof.Inner[j + 6]), Up(prof.Inner[j + 7])));
    EmitVertex(N[j]);
    EmitVertex(Up(prof.Inner[j + 6]));
  }
  EmitVertex(N[15]);
  EmitVertex(Up(prof.Inner[21]));
  glEnd();
  std::vector<TAffineVector> fan(N.begin(), N.end());
  for (size_t r = 21; r >= 11; --r)
    fan.push_back(edges.Lowered(r));
  glBegin(GL_TRIANGLE_FAN);
  EmitVertex(C);
  for (size_t k = 0; k < fan.size(); ++k) {
    if (k != 15)
      EmitNormal(UnitPlaneNormal(C, fan[k], k + 1 < fan.size() ? fan[k + 1] : edges.Lowered(10)));
    EmitVertex(fan[k]);
  }
  glEnd();

  glBegin(GL_TRIANGLE_STRIP);
  for (size_t j = 0; j <= 14; ++j) {
    EmitNormal(UnitPlaneNormal(Down(prof.Inner[j + 6]), Mirror(N[j]), Mirror(N[j + 1])));
    EmitVertex(Down(prof.Inner[j + 6]));
    EmitVertex(Mirror(N[j]));
  }
  EmitVertex(Down(prof.Inner[21]));
  EmitVertex(Mirror(N[15]));
  glEnd();
  std::vector<TAffineVector> lowerFan{C};
  for (size_t r = 11; r <= 21; ++r)
    lowerFan.push_back(edges.Raised(r));
  for (size_t j = 16; j-- > 0;)
    lowerFan.push_back(Mirror(N[j]));
  glBegin(GL_TRIANGLE_FAN);
  EmitVertex(C);
  for (size_t k = 0; k < lowerFan.size(); ++k) {
    EmitNormal(UnitPlaneNormal(C, k == 0 ? C : lowerFan[k - 1], lowerFan[k]));
    EmitVertex(lowerFan[k]);
  }
  glEnd();
}

// The neck (where the handle enters) and the cheek below it, down to y0.
void DrawNeckAndCheek(Single y0)
{
  glBegin(GL_QUADS);
  Quad(P(-0.1f, 0, 0.0688f), P(-0.14f, y0, 0.0888f), P(0.14f, y0, 0.1112f), P(0.1f, 0, 0.0912f));
  Quad(P(0.1f, 0, 0.0912f), P(0.14f, y0, 0.1112f), P(0.14f, y0, -0.1112f), P(0.1f, 0, -0.0912f));
  Quad(P(-0.14f, y0, 0.0888f), P(-0.14f, -0.52f, 0.0888f), P(0, -0.52f, 0.1f), P(0, y0, 0.1f));
  Quad(P(-0.1f, 0, 0.0688f), P(-0.1f, 0, -0.0688f), P(-0.14f, y0, -0.0888f), P(-0.14f, y0, 0.0888f));
  glNormal3f(-1, 0, 0);
  EmitVertex(P(-0.14f, y0, 0.0888f));
  EmitVertex(P(-0.14f, y0, -0.0888f));
  EmitVertex(P(-0.14f, -0.52f, -0.0888f));
  EmitVertex(P(-0.14f, -0.52f, 0.0888f));
  glNormal3f(0, -1, 0);
  EmitVertex(P(-0.14f, -0.52f, 0.0888f));
  EmitVertex(P(-0.14f, -0.52f, -0.0888f));
  EmitVertex(P(0, -0.52f, -0.1f));
  EmitVertex(P(0, -0.52f, 0.1f));
  Quad(P(-0.1f, 0, -0.0688f), P(0.1f, 0, -0.0912f), P(0.14f, y0, -0.1112f), P(-0.14f, y0, -0.0888f));
  Quad(P(-0.14f, y0, -0.0888f), P(0, y0, -0.1f), P(0, -0.52f, -0.1f), P(-0.14f, -0.52f, -0.0888f));
  glNormal3f(0, 1, 0);
  EmitVertex(P(-0.1f, 0, 0.0688f));
  EmitVertex(P(0.1f, 0, 0.0912f));
  EmitVertex(P(0.1f, 0, -0.0912f));
  EmitVertex(P(-0.1f, 0, -0.0688f));
  glEnd();
}

// The poll, a cone about y = yc between the cheek and the striking face, which closes it.
void DrawPoll(Single y0)
{
  const Single yc = (y0 - 0.52f) / 2;
  std::array<TAffineVector, 51> A{}, B{};
  for (size_t k = 0; k <= 50; ++k) {
    Single s, c;
    SinCos(DegToRad(7.2f * Single(k)), s, c);
    A[k] = P(-0.5f, yc + 0.12f * s, 0.12f * c);
    B[k] = P(-0.14f, yc + 0.08f * s, 0.08f * c);
  }
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t k = 0; k < 50; ++k) {
    EmitNormal(UnitPlaneNormal(A[k], B[k], B[k + 1]));
    EmitVertex(A[k]);
    EmitVertex(B[k]);
  }
  EmitVertex(A[50]);
  EmitVertex(B[50]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(-1, 0, 0);
  EmitVertex(P(-0.5f, yc, 0));
  for (const auto& a : A)
    EmitVertex(a);
  glEnd();
}

}   // namespace

void THammerhead::BuildList(TRenderContextInfo&)
{
  const TClawProfile prof = ClawProfile();
  const TProngEdges edges{prof};
  DrawClawSurfaces(prof, edges);
  DrawNotch(prof, edges);
  DrawNeckAndCheek(CheekTop());
  DrawPoll(CheekTop());
}
