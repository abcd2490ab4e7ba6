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

void THammerhead::BuildList(TRenderContextInfo&)
{
  const TClawProfile prof = ClawProfile();
  const Single y0 = CheekTop();
  const Single W = Single(ClawW);
  auto up = [](const TAffineVector& v) { return WithZ(v, HalfThickness(v[0])); };
  auto down = [](const TAffineVector& v) { return WithZ(v, -HalfThickness(v[0])); };
  const Single d = HalfThickness(prof.Outer[10][0]);
  // The prongs' outer edges reach from |z| = t - d to t: the notch opens at row 10.
  auto lowered = [&](size_t row) { return WithZ(prof.Outer[row], HalfThickness(prof.Outer[row][0]) - d); };
  auto raised = [&](size_t row) { return WithZ(prof.Outer[row], -HalfThickness(prof.Outer[row][0]) + d); };
  auto radial = [&](size_t row) { glNormal3f(prof.Outer[row][0], prof.Outer[row][1], 0); };

  // The notch's root (a quarter circle on the inner arc) and the prong's inner edge beyond.
  std::array<TAffineVector, 16> N{};
  for (size_t j = 0; j <= 4; ++j) {
    const double phi = Deg(22.5 * double(j));
    const double x = 0.25 - 0.05 * std::cos(phi);
    N[j] = P(Single(x), Single(0.2 - std::sqrt(0.55 * 0.55 - x * x)), Single(0.05 * std::sin(phi)));
  }
  for (size_t j = 5; j <= 15; ++j)
    N[j] = WithZ(prof.Inner[j + 6], 0.05f);
  auto mirror = [](const TAffineVector& v) { return P(v[0], v[1], -v[2]); };

  // Upper and lower faces.
  glBegin(GL_TRIANGLE_STRIP);
  EmitNormal(UnitPlaneNormal(up(prof.Inner[0]), up(prof.Outer[0]), up(prof.Outer[1])));
  for (size_t r = 0; r <= 21; ++r) {
    EmitVertex(up(prof.Inner[r]));
    EmitVertex(up(prof.Outer[r]));
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  EmitNormal(UnitPlaneNormal(down(prof.Outer[0]), down(prof.Inner[0]), down(prof.Inner[1])));
  for (size_t r = 0; r <= 21; ++r) {
    EmitVertex(down(prof.Outer[r]));
    EmitVertex(down(prof.Inner[r]));
  }
  glEnd();

  // The prongs' outer edges.
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t r = 10; r <= 21; ++r) {
    if (r <= 20)
      radial(r);
    EmitVertex(up(prof.Outer[r]));
    EmitVertex(lowered(r));
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t r = 21; r >= 10; --r) {
    if (r <= 20)
      radial(r);
    EmitVertex(down(prof.Outer[r]));
    EmitVertex(raised(r));
  }
  glEnd();

  // The outer edge of the solid part.
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t r = 0; r <= 10; ++r) {
    radial(r);
    EmitVertex(up(prof.Outer[r]));
    EmitVertex(down(prof.Outer[r]));
  }
  glEnd();

  // The inner fillet.
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t r = 1; r <= 6; ++r) {
    EmitNormal(UnitPlaneNormal(down(prof.Inner[r]), up(prof.Inner[r]), up(prof.Inner[r + 1])));
    EmitVertex(down(prof.Inner[r]));
    EmitVertex(up(prof.Inner[r]));
  }
  glEnd();

  // The prong tips.
  const TAffineVector tipIn = P(W - 0.02f, 0, 0.05f);
  glBegin(GL_QUADS);
  glNormal3f(0, 1, 0);
  EmitVertex(up(prof.Inner[21]));
  EmitVertex(up(prof.Outer[21]));
  EmitVertex(lowered(21));
  EmitVertex(tipIn);
  EmitVertex(down(prof.Outer[21]));
  EmitVertex(down(prof.Inner[21]));
  EmitVertex(mirror(tipIn));
  EmitVertex(raised(21));
  glEnd();

  const TAffineVector C = WithZ(prof.Outer[10], 0);
  // The upper prong's inner edge and its face towards the notch.
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t j = 0; j <= 14; ++j) {
    EmitNormal(UnitPlaneNormal(N[j], up(prof.Inner[j + 6]), up(prof.Inner[j + 7])));
    EmitVertex(N[j]);
    EmitVertex(up(prof.Inner[j + 6]));
  }
  EmitVertex(N[15]);
  EmitVertex(up(prof.Inner[21]));
  glEnd();
  std::vector<TAffineVector> fan(N.begin(), N.end());
  for (size_t r = 21; r >= 11; --r)
    fan.push_back(lowered(r));
  glBegin(GL_TRIANGLE_FAN);
  EmitVertex(C);
  for (size_t k = 0; k < fan.size(); ++k) {
    if (k != 15)
      EmitNormal(UnitPlaneNormal(C, fan[k], k + 1 < fan.size() ? fan[k + 1] : lowered(10)));
    EmitVertex(fan[k]);
  }
  glEnd();

  // The lower prong: the mirror, wound the other way.
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t j = 0; j <= 14; ++j) {
    EmitNormal(UnitPlaneNormal(down(prof.Inner[j + 6]), mirror(N[j]), mirror(N[j + 1])));
    EmitVertex(down(prof.Inner[j + 6]));
    EmitVertex(mirror(N[j]));
  }
  EmitVertex(down(prof.Inner[21]));
  EmitVertex(mirror(N[15]));
  glEnd();
  std::vector<TAffineVector> lowerFan{C};
  for (size_t r = 11; r <= 21; ++r)
    lowerFan.push_back(raised(r));
  for (size_t j = 16; j-- > 0;)
    lowerFan.push_back(mirror(N[j]));
  glBegin(GL_TRIANGLE_FAN);
  EmitVertex(C);
  for (size_t k = 0; k < lowerFan.size(); ++k) {
    EmitNormal(UnitPlaneNormal(C, k == 0 ? C : lowerFan[k - 1], lowerFan[k]));
    EmitVertex(lowerFan[k]);
  }
  glEnd();

  // The neck (where the handle enters) and the cheek below it.
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

  // The poll, a cone about y = yc, and the striking face closing it.
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
