// Open, crossed and jockey belts: the path each runs along and the strips of its section.
#include <cmath>

#include "parts/MachineParts.h"
#include "parts/PartHelpers.h"
#include "platform/SysUtils.h"

namespace {

// The open belt's path: the tangent angle, its side and the cumulative piece lengths.
struct TOpenPath {
  Single a, s, t, sa, ca, s1, s2, s3, s4, L;
};

TOpenPath OpenPath(Single R1, Single R2, Single D)
{
  TOpenPath p;
  p.a = ArcSinRatio(std::fabs(R2 - R1), D);
  if (R1 <= R2) {
    p.t = cPI / 2 + p.a;
    p.s = 1;
  } else {
    p.t = cPI / 2 - p.a;
    p.s = -1;
  }
  SinCos(p.a, p.sa, p.ca);
  p.s1 = R2 * p.t;
  p.s2 = p.s1 + D * p.ca;
  p.s3 = p.s2 + 2 * (cPI - p.t) * R1;
  p.s4 = p.s3 + D * p.ca;
  p.L = 2 * (R2 * p.t + R1 * (cPI - p.t) + D * p.ca);
  return p;
}

// Section on an arc about (cx, cy): outer face at radius R, inner face at Rin.
TBeltSection ArcSection(Single cx, Single cy, Single R, Single Rin, Single theta, Single ht, Single hb)
{
  Single s, c;
  SinCos(theta, s, c);
  TBeltSection r;
  r.V[0] = {cx + R * c, cy + R * s, ht};
  r.V[1] = {cx + Rin * c, cy + Rin * s, hb};
  r.V[2] = {r.V[1][0], r.V[1][1], -hb};
  r.V[3] = {r.V[0][0], r.V[0][1], -ht};
  return r;
}

// Section on a straight: the outer point and the inner one Depth further in.
TBeltSection StraightSection(const TAffineVector& outer, Single inX, Single inY, Single ht, Single hb)
{
  TBeltSection r;
  r.V[0] = {outer[0], outer[1], ht};
  r.V[1] = {outer[0] + inX, outer[1] + inY, hb};
  r.V[2] = {r.V[1][0], r.V[1][1], -hb};
  r.V[3] = {outer[0], outer[1], -ht};
  return r;
}

// The upper and lower straights of an open belt, shared by the jockey belt.
TBeltSection OpenUpper(const TOpenPath& p, Single R2, Single D, Single depth, Single w, Single ht, Single hb)
{
  Single st, ct;
  SinCos(p.t, st, ct);
  const TAffineVector v{R2 * ct + D / 2 - w * p.ca, R2 * st - p.s * w * p.sa, 0};
  return StraightSection(v, p.s * depth * p.sa, -depth * p.ca, ht, hb);
}

TBeltSection OpenLower(const TOpenPath& p, Single R1, Single D, Single depth, Single w, Single ht, Single hb)
{
  Single st, ct;
  SinCos(p.t, st, ct);
  const TAffineVector v{R1 * ct - D / 2 + w * p.ca, -R1 * st - p.s * w * p.sa, 0};
  return StraightSection(v, p.s * depth * p.sa, depth * p.ca, ht, hb);
}

constexpr GLfloat BandColour[3] = {0.502f, 0.525f, 0.882f};

}   // namespace

// --- TBelt -------------------------------------------------------------------------------

TBelt::TBelt(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TBelt::SetAngle(Single Value)
{
  if (Value == Angle)
    return;
  Angle = Value;
  StructureChanged();
}

void TBelt::UpdateTravel()
{
  const Single L = PathLength();
  if (!(L > 0) || !std::isfinite(L)) {
    Travel = 0;
    return;
  }
  Travel = Finite(Single(Frac((Radius2 * Angle * cPIdiv180 + Travel) / L) * L));
}

Single TBelt::BandStart() const
{
  const Single L = PathLength();
  return WrapPositive(Radius2 * Angle * cPIdiv180 + Travel, L);
}

Single TBelt::PathLength() const { return OpenPath(Radius1, Radius2, CentreDistance).L; }

TBeltSection TBelt::SectionAt(Single u) const
{
  const TOpenPath p = OpenPath(Radius1, Radius2, CentreDistance);
  const Single D = CentreDistance, R1 = Radius1, R2 = Radius2, ht = TopWidth / 2, hb = BottomWidth / 2;
  if (u < p.s1)
    return ArcSection(D / 2, 0, R2, R2 - Depth, SafeDivide(u, R2), ht, hb);
  if (u < p.s2)
    return OpenUpper(p, R2, D, Depth, u - p.s1, ht, hb);
  if (u < p.s3)
    return ArcSection(-D / 2, 0, R1, R1 - Depth, p.t + SafeDivide(u - p.s2, R1), ht, hb);
  if (u < p.s4)
    return OpenLower(p, R1, D, Depth, u - p.s3, ht, hb);
  return ArcSection(D / 2, 0, R2, R2 - Depth, 2 * cPI - p.t + SafeDivide(u - p.s4, R2), ht, hb);
}

std::array<std::pair<int, int>, 4> TBelt::FacePairs() const { return {{{1, 0}, {0, 3}, {3, 2}, {2, 1}}}; }

void TBelt::BuildList(TRenderContextInfo&)
{
  const Single L = PathLength();
  if (!(L > 0) || !std::isfinite(L))
    return;
  const Integer n = SafeCount(Segments);
  const Integer band = BandSegments < 0 ? 0 : BandSegments >= n ? n - 1 : BandSegments;
  const Single step = L / n, offset = Radius2 * Angle * cPIdiv180 + Travel;
  std::array<TGLVertexArray, 4> V;
  for (auto& row : V)
    row.resize(size_t(n) + 1);
  for (Integer i = 0; i <= n; ++i) {
    Single u = i * step + offset;
    if (u > L || u < 0 || !std::isfinite(u))
      u = WrapPositive(u, L);
    const TBeltSection sec = SectionAt(u);
    for (int k = 0; k < 4; ++k)
      V[size_t(k)][size_t(i)] = sec.V[size_t(k)];
  }
  const auto pairs = FacePairs();
  for (const auto& [a, b] : pairs) {
    const TGLVertexArray& A = V[size_t(a)];
    const TGLVertexArray& B = V[size_t(b)];
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = band; i < n; ++i) {
      EmitNormal(UnitPlaneNormal(A[size_t(i)], B[size_t(i)], B[size_t(i) + 1]));
      EmitVertex(A[size_t(i)]);
      EmitVertex(B[size_t(i)]);
    }
    EmitVertex(A[0]);
    EmitVertex(B[0]);
    glEnd();
  }
  if (band < 1)
    return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glEnable(GL_COLOR_MATERIAL);
  glColor3fv(BandColour);
  for (const auto& [a, b] : pairs) {
    const TGLVertexArray& A = V[size_t(a)];
    const TGLVertexArray& B = V[size_t(b)];
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= band; ++i) {
      EmitNormal(UnitPlaneNormal(A[size_t(i)], B[size_t(i)], B[size_t(i) + 1]));
      EmitVertex(A[size_t(i)]);
      EmitVertex(B[size_t(i)]);
    }
    glEnd();
  }
  glPopAttrib();
}

// --- TXBelt ------------------------------------------------------------------------------

TXBelt::TXBelt(TGLBaseSceneObject* AOwner) : TBelt(AOwner)
{
  TopWidth = 0.2f;
  BottomWidth = 0.2f;
  Depth = 0.04f;
  Radius1 = 0.3f;
  Radius2 = 0.6f;
  CentreDistance = 1.0f;
  Segments = 80;
  BandSegments = 3;
}

Single TXBelt::PathLength() const
{
  const Single a = ArcSinRatio(Radius1 + Radius2, CentreDistance);
  return (cPI + 2 * a) * (Radius1 + Radius2) + 2 * CentreDistance * std::cos(a);
}

std::array<std::pair<int, int>, 4> TXBelt::FacePairs() const { return {{{0, 1}, {3, 0}, {1, 2}, {2, 3}}}; }

TBeltSection TXBelt::SectionAt(Single u) const
{
  const Single D = CentreDistance, R1 = Radius1, R2 = Radius2, ht = TopWidth / 2, hb = BottomWidth / 2;
  const Single a = ArcSinRatio(R1 + R2, D);
  Single sa, ca;
  SinCos(a, sa, ca);
  const Single Ls = D * ca;
  const Single s1 = (cPI / 2 + a) * R2, s2 = s1 + Ls, s3 = s2 + (cPI + 2 * a) * R1, s4 = s3 + Ls;
  const TAffineVector S[4] = {{Depth, 0, ht}, {Depth, 0, -ht}, {0, 0, -hb}, {0, 0, hb}};
  TBeltSection r;
  // Turn by psi about Z, twist by phi about X, then move to (x, y).
  auto place = [&](Single psi, Single phi, Single x, Single y, bool swapped) {
    Single sp, cp, sf, cf;
    SinCos(psi, sp, cp);
    SinCos(phi, sf, cf);
    for (int k = 0; k < 4; ++k) {
      const TAffineVector& q = S[swapped ? (k ^ 1) : k];
      const Single rx = q[0] * cp - q[1] * sp, ry = q[0] * sp + q[1] * cp, rz = q[2];
      r.V[size_t(k)] = {rx + x, ry * cf - rz * sf + y, ry * sf + rz * cf};
    }
  };
  auto arc = [&](Single cx, Single R, Single theta, bool swapped) {
    Single s, c;
    SinCos(theta, s, c);
    place(theta, 0, cx + R * c, R * s, swapped);
  };
  const Single psi0 = cPI / 2 + a;
  if (u < s1) {
    arc(D / 2, R2, SafeDivide(u, R2), false);
  } else if (u < s2) {
    const Single w = u - s1;
    const Single phi = std::min(SafeDivide(w * cPI, Ls, cPI), cPI);
    place(psi0 - SafeDivide(2 * a, Ls) * w, phi, D / 2 - R2 * sa - w * ca, R2 * ca - w * sa, false);
  } else if (u < s3) {
    arc(-D / 2, R1, 3 * cPI / 2 + a - SafeDivide(u - s2, R1), true);
  } else if (u < s4) {
    const Single w = u - s3;
    const Single phi = std::max(cPI - SafeDivide(w * cPI, Ls, cPI), 0.0f);
    place(2 * a - psi0 - SafeDivide(2 * a, Ls) * w, phi, R1 * sa - D / 2 + w * ca, R1 * ca - w * sa, false);
  } else {
    arc(D / 2, R2, 3 * cPI / 2 - a + SafeDivide(u - s4, R2), false);
  }
  return r;
}

// --- TJockeyBelt -------------------------------------------------------------------------

namespace {

struct TJockeyPath {
  TOpenPath Open;
  Single phi1, phi2, s1, s2, s3, s4, s5, s6, L;
  TAffineVector Q1, J1, J2, Q2;
};

TJockeyPath JockeyPath(const TJockeyBelt& b)
{
  TJockeyPath p;
  const Single D = b.CentreDistance, R1 = b.Radius1, R2 = b.Radius2, Rj = b.JockeyRadius;
  const Single jx = b.JockeyX, jy = b.JockeyY;
  p.Open = OpenPath(R1, R2, D);
  const Single d1 = std::hypot(jx + D / 2, jy), d2 = std::hypot(jx - D / 2, jy);
  p.phi1 = ArcCosRatio(std::fabs(jy), d1) - ArcCosRatio(R1 + Rj, d1);
  p.phi2 = ArcCosRatio(std::fabs(jy), d2) - ArcCosRatio(R2 + Rj, d2);
  Single s1, c1, s2, c2;
  SinCos(p.phi1, s1, c1);
  SinCos(p.phi2, s2, c2);
  p.Q1 = {R1 * s1 - D / 2, -R1 * c1, 0};
  p.J1 = {jx - Rj * s1, jy + Rj * c1, 0};
  p.J2 = {jx + Rj * s2, jy + Rj * c2, 0};
  p.Q2 = {D / 2 - R2 * s2, -R2 * c2, 0};
  p.s1 = R2 * p.Open.t;
  p.s2 = p.s1 + D * p.Open.ca;
  p.s3 = p.s2 + R1 * (cPI - p.Open.s * p.Open.a + p.phi1);
  p.s4 = p.s3 + VectorDistance(p.Q1, p.J1);
  p.s5 = p.s4 + (p.phi1 + p.phi2) * Rj;
  p.s6 = p.s5 + VectorDistance(p.J2, p.Q2);
  p.L = p.s6 + (cPI / 2 + p.phi2) * R2;
  return p;
}

}   // namespace

TJockeyBelt::TJockeyBelt(TGLBaseSceneObject* AOwner) : TBelt(AOwner), JockeyY(-Radius1) { BandSegments = 3; }

Single TJockeyBelt::PathLength() const { return JockeyPath(*this).L; }

TBeltSection TJockeyBelt::SectionAt(Single u) const
{
  const TJockeyPath p = JockeyPath(*this);
  const Single D = CentreDistance, R1 = Radius1, R2 = Radius2, Rj = JockeyRadius, d = Depth;
  const Single ht = TopWidth / 2, hb = BottomWidth / 2;
  if (u < p.s1)
    return ArcSection(D / 2, 0, R2, R2 - d, SafeDivide(u, R2), ht, hb);
  if (u < p.s2)
    return OpenUpper(p.Open, R2, D, d, u - p.s1, ht, hb);
  if (u < p.s3)
    return ArcSection(-D / 2, 0, R1, R1 - d, p.Open.t + SafeDivide(u - p.s2, R1), ht, hb);
  Single s1, c1, s2, c2;
  SinCos(p.phi1, s1, c1);
  SinCos(p.phi2, s2, c2);
  if (u < p.s4) {
    const Single w = u - p.s3;
    return StraightSection({p.Q1[0] + w * c1, p.Q1[1] + w * s1, 0}, -d * s1, d * c1, ht, hb);
  }
  if (u < p.s5)
    return ArcSection(JockeyX, JockeyY, Rj, Rj + d, cPI / 2 + p.phi1 - SafeDivide(u - p.s4, Rj), ht, hb);
  if (u < p.s6) {
    const Single w = u - p.s5;
    return StraightSection({p.J2[0] + w * c2, p.J2[1] - w * s2, 0}, d * s2, d * c2, ht, hb);
  }
  return ArcSection(D / 2, 0, R2, R2 - d, 3 * cPI / 2 - p.phi2 + SafeDivide(u - p.s6, R2), ht, hb);
}
