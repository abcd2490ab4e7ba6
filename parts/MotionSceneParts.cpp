// Parts of the motion-type scenes: paper trimmer, escapement, sewing machine, roundabout.
#include <cmath>

#include "parts/MachineParts.h"
#include "parts/PartHelpers.h"

namespace {

TGLVertexArray Lift(const TGLVertexArray& p, Single z) { return LiftOutline(p, z); }

void Pair(const TAffineVector& a, const TAffineVector& b)
{
  EmitVertex(a);
  EmitVertex(b);
}

// A quarter turn as the motion parts write it.
constexpr Single QuarterTurn = 1.570796f;

}   // namespace

// --- TGTEnd ------------------------------------------------------------------------------

TGTEnd::TGTEnd(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

TGLVertexArray TGTEnd::Profile() const
{
  const Integer S = SafeCount(Segments);
  const Single A = SlopeRun, B = Height, r = Radius, D = FootDepth;
  const Single phi = std::atan2(B, A);
  const Single step = (QuarterTurn + phi) / S;
  TGLVertexArray p;
  for (Integer i = 0; i <= S; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p.push_back({r * c, r * s + B - r, 0});
  }
  p.push_back({-A, 0, 0});
  p.push_back({0, 0, 0});
  p.push_back({0, -D, 0});
  p.push_back({r, -D, 0});
  p.push_back(p.front());
  return p;
}

void TGTEnd::BuildList(TRenderContextInfo&)
{
  const TGLVertexArray p = Profile();
  const size_t S = p.size() - 6;
  const Single h = Thickness / 2;
  const TGLVertexArray F = Lift(p, h), B = Lift(p, -h);
  DrawFrontFan(F[S + 2], F);
  DrawBackFan(B[S + 2], B);
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t i = 0; i <= S; ++i) {
    EmitNormal(UnitPlaneNormal(F[i], B[i], B[i + 1]));
    Pair(F[i], B[i]);
  }
  Pair(F[S], B[S]);
  Pair(F[S + 1], B[S + 1]);
  glNormal3f(0, -1, 0);
  Pair(F[S + 1], B[S + 1]);
  Pair(F[S + 2], B[S + 2]);
  glNormal3f(-1, 0, 0);
  Pair(F[S + 2], B[S + 2]);
  Pair(F[S + 3], B[S + 3]);
  glNormal3f(0, -1, 0);
  Pair(F[S + 3], B[S + 3]);
  Pair(F[S + 4], B[S + 4]);
  glNormal3f(1, 0, 0);
  Pair(F[S + 4], B[S + 4]);
  Pair(F[0], B[0]);
  glEnd();
}

// --- TGTSlider ---------------------------------------------------------------------------

TGTSlider::TGTSlider(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TGTSlider::BuildList(TRenderContextInfo&)
{
  const Integer S = SafeCount(Segments);
  const Single a = Width / 2, yb = -(Height - a), hz = Length / 2, Rf = FilletRadius;
  // The profile ring: the arch, the two lower corners and the first point again.
  auto ring = [&](Single radius, Single z) {
    TGLVertexArray p;
    for (Integer i = 0; i <= S; ++i) {
      Single s, c;
      SinCos(i * cPI / S, s, c);
      p.push_back({radius * c, radius * s, z});
    }
    p.push_back({-radius, yb, z});
    p.push_back({radius, yb, z});
    p.push_back(p.front());
    return p;
  };
  const TGLVertexArray PF = ring(a, hz), PB = ring(a, -hz);
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer i = 0; i <= S; ++i) {
    EmitNormal(UnitPlaneNormal(PF[i], PB[i], PB[i + 1]));
    Pair(PF[i], PB[i]);
  }
  glNormal3f(-1, 0, 0);
  Pair(PF[S + 1], PB[S + 1]);
  glNormal3f(0, -1, 0);
  Pair(PF[S + 1], PB[S + 1]);
  Pair(PF[S + 2], PB[S + 2]);
  glNormal3f(1, 0, 0);
  Pair(PF[S + 2], PB[S + 2]);
  Pair(PF[S + 3], PB[S + 3]);
  glEnd();
  // Rounded end edges: five rings that close in while they move out. The back is the
  // mirror image, so its face normals are turned round to keep looking outwards.
  TGLVertexArray capF, capB;
  for (int side = 0; side < 2; ++side) {
    const Single sz = side == 0 ? 1.0f : -1.0f;
    TGLVertexArray cur = side == 0 ? PF : PB;
    for (int j = 1; j <= 5; ++j) {
      Single st, ct;
      SinCos(j * (QuarterTurn / 5), st, ct);
      const Single aj = a + (ct - 1) * Rf, zj = sz * (hz + Rf * st);
      const TGLVertexArray q = ring(aj, zj);
      auto normal = [&](const TAffineVector& Q, const TAffineVector& P0, const TAffineVector& P1) {
        EmitNormal(VectorScale(UnitPlaneNormal(Q, P0, P1), sz));
      };
      glBegin(GL_TRIANGLE_STRIP);
      normal(q[S + 2], cur[S + 2], cur[0]);
      Pair(q[S + 2], cur[S + 2]);
      for (Integer i = 0; i <= S; ++i) {
        normal(q[i], cur[i], cur[i + 1]);
        Pair(q[i], cur[i]);
      }
      Pair(q[S + 1], cur[S + 1]);
      glEnd();
      cur = q;
    }
    (side == 0 ? capF : capB) = cur;
  }
  DrawFrontFan({0, 0, hz + Rf}, capF);
  DrawBackFan({0, 0, -hz - Rf}, capB);
  const Single ap = a - Rf;
  for (int side = 0; side < 2; ++side) {
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, -1, 0);
    if (side == 0) {
      glVertex3f(0, yb, hz);
      for (int k = 0; k <= 5; ++k) {
        Single s, c;
        SinCos(k * (QuarterTurn / 5), s, c);
        glVertex3f(ap + Rf * c, yb, hz + Rf * s);
      }
      for (int k = 0; k <= 5; ++k) {
        Single s, c;
        SinCos(k * (QuarterTurn / 5), s, c);
        glVertex3f(-ap - Rf * s, yb, hz + Rf * c);
      }
    } else {
      glVertex3f(0, yb, -hz);
      for (int k = 0; k <= 5; ++k) {
        Single s, c;
        SinCos(k * (QuarterTurn / 5), s, c);
        glVertex3f(-ap - Rf * c, yb, -hz - Rf * s);
      }
      for (int k = 0; k <= 5; ++k) {
        Single s, c;
        SinCos(k * (QuarterTurn / 5), s, c);
        glVertex3f(ap + Rf * s, yb, -hz - Rf * c);
      }
    }
    glEnd();
  }
}

// --- TGTBlade ----------------------------------------------------------------------------

TGTBlade::TGTBlade(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TGTBlade::BuildList(TRenderContextInfo&)
{
  const Single a = Width / 2, H = Depth, T = Thickness;
  const TAffineVector Q[7] = {{a, 0, T}, {a, 0, 0}, {-a, 0, 0}, {-a, 0, T}, {a, T - H, T}, {a, -H, 0}, {-a, -T, 0}};
  auto face = [&](const TAffineVector& n, std::initializer_list<int> idx) {
    EmitNormal(n);
    for (int i : idx)
      EmitVertex(Q[i]);
  };
  glBegin(GL_QUADS);
  face({0, 0, -1}, {1, 5, 6, 2});
  face({1, 0, 0}, {1, 0, 4, 5});
  face({0, 1, 0}, {0, 1, 2, 3});
  face(UnitPlaneNormal(Q[6], Q[5], Q[4]), {6, 5, 4, 3});
  glEnd();
  glBegin(GL_TRIANGLES);
  face({0, 0, 1}, {0, 3, 4});
  face({-1, 0, 0}, {3, 2, 6});
  glEnd();
}

// --- TEscWheel ---------------------------------------------------------------------------

TEscWheel::TEscWheel(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TEscWheel::BuildList(TRenderContextInfo&)
{
  static const Single profile[8] = {1, 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f, 0.5f, 0.9f};
  const Integer teeth = SafeCount(Teeth);
  const Integer N = 8 * teeth;
  const Single r0 = teeth * Pitch / 6.283185f - Pitch, ri = r0 - 0.02f, h = Thickness / 2;
  const Single step = 6.283185f / N;
  TGLVertexArray IF(N + 1), IB(N + 1), OF(N + 1), OB(N + 1);
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos((i % N) * step, s, c);
    const Single r = r0 + ToothDepth * profile[i % 8];
    IF[i] = {ri * c, ri * s, h};
    IB[i] = {ri * c, ri * s, -h};
    OF[i] = {r * c, r * s, h};
    OB[i] = {r * c, r * s, -h};
  }
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, 1);
  for (Integer i = 0; i <= N; ++i)
    Pair(IF[i], OF[i]);
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, -1);
  for (Integer i = 0; i <= N; ++i)
    Pair(OB[i], IB[i]);
  glEnd();
  DrawRowStrip(OF, OB, 0, size_t(N));
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer i = 0; i <= N; ++i) {
    EmitNormal(-IF[i][0], -IF[i][1], 0);
    Pair(IB[i], IF[i]);
  }
  glEnd();
}

// --- TPallet -----------------------------------------------------------------------------

TPallet::TPallet(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

namespace {

// One closed prism of the anchor, outline P0..P10.
void DrawPalletPiece(const TGLVertexArray& p, Single h)
{
  const TGLVertexArray F = LiftOutline(p, h), B = LiftOutline(p, -h);
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  for (int k = 10; k >= 0; --k)
    EmitVertex(F[size_t(k)]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, -1);
  EmitVertex(B[10]);
  for (int k = 0; k <= 9; ++k)
    EmitVertex(B[size_t(k)]);
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  for (int k = 0; k <= 9; ++k) {
    EmitNormal(UnitPlaneNormal(B[size_t(k)], F[size_t(k)], F[size_t(k) + 1]));
    Pair(B[size_t(k)], F[size_t(k)]);
  }
  Pair(B[10], F[10]);
  EmitNormal(UnitPlaneNormal(B[10], F[10], F[0]));
  Pair(B[0], F[0]);
  glEnd();
}

}   // namespace

void TPallet::BuildList(TRenderContextInfo&)
{
  const Single h = Thickness / 2, W = ArmWidth, R = Radius, D = PadDepth;
  const Single a0 = AngleDeg * cPIdiv180, delta = SafeDivide(PadArc, 6 * R), aE = a0 + SafeDivide(PadArc, R);
  Single sE, cE;
  SinCos(aE, sE, cE);
  auto left = [](Single r, Single a) {
    Single s, c;
    SinCos(a, s, c);
    return TAffineVector{-r * s, -r * c, 0};
  };
  auto right = [](Single r, Single a) {
    Single s, c;
    SinCos(a, s, c);
    return TAffineVector{r * s, -r * c, 0};
  };
  const Single leftR[7] = {R - D, R - D / 2, R - D / 4, R - D / 8, R - D / 16, R - D / 32, R};
  const Single rightR[7] = {R, R - D / 2, R - 3 * D / 4, R - 7 * D / 8, R - 15 * D / 16, R - 31 * D / 32, R - D};
  TGLVertexArray L(11), Rt(11);
  for (int k = 0; k <= 6; ++k) {
    L[size_t(k)] = left(leftR[k], a0 + k * delta);
    Rt[size_t(k)] = right(rightR[k], a0 + k * delta);
  }
  L[7] = {L[6][0] - W * cE, L[6][1] + W * sE, 0};
  L[8] = {-W * cE, W * sE, 0};
  L[9] = {0, 0, 0};
  L[10] = left(R - D, aE);
  Rt[7] = {0, 0, 0};
  Rt[8] = {W * cE, W * sE, 0};
  Rt[10] = right(R, aE);
  Rt[9] = {Rt[10][0] + W * cE, Rt[10][1] + W * sE, 0};
  DrawPalletPiece(L, h);
  DrawPalletPiece(Rt, h);
  // The bow about (0, -R), meeting both arms at half the radius.
  const Single ra = SafeDivide(0.5f * R, cE), rb = ra + W;
  TGLVertexArray innerF(21), innerB(21), outerF(21), outerB(21);
  for (int i = 0; i <= 20; ++i) {
    Single s, c;
    SinCos(i * 2 * aE / 20 - aE, s, c);
    innerF[size_t(i)] = {ra * s, ra * c - R, h};
    innerB[size_t(i)] = {ra * s, ra * c - R, -h};
    outerF[size_t(i)] = {rb * s, rb * c - R, h};
    outerB[size_t(i)] = {rb * s, rb * c - R, -h};
  }
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, 1);
  for (int i = 0; i <= 20; ++i)
    Pair(outerF[size_t(i)], innerF[size_t(i)]);
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, -1);
  for (int i = 0; i <= 20; ++i)
    Pair(innerB[size_t(i)], outerB[size_t(i)]);
  glEnd();
  DrawRowStrip(outerB, outerF, 0, 20);
  DrawRowStrip(innerF, innerB, 0, 20);
}

// --- TSMRing -----------------------------------------------------------------------------

TSMRing::TSMRing(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TSMRing::BuildList(TRenderContextInfo&)
{
  const Integer n = SafeCount(Segments);
  const Single h = Thickness / 2, w = ShankWidth / 2, Ls = ShankLength, Ro = OuterRadius, Re = EyeRadius;
  const Single xj = -Ro * std::cos(SafeDivide(w, Ro));
  const Single step = 6.283185f / n;
  TGLVertexArray AF(n + 1), AB(n + 1), BF(n + 1), BB(n + 1);
  for (Integer i = 0; i <= n; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    AF[i] = {Re * c, Re * s, h};
    AB[i] = {Re * c, Re * s, -h};
    BF[i] = {Ro * c, Ro * s, h};
    BB[i] = {Ro * c, Ro * s, -h};
  }
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, 1);
  for (Integer i = 0; i <= n; ++i)
    Pair(AF[i], BF[i]);
  glEnd();
  glBegin(GL_QUADS);
  glNormal3f(0, 0, 1);
  glVertex3f(-Ls, w, h);
  glVertex3f(-Ls, -w, h);
  glVertex3f(xj, -w, h);
  glVertex3f(xj, w, h);
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, -1);
  for (Integer i = 0; i <= n; ++i)
    Pair(BB[i], AB[i]);
  glEnd();
  glBegin(GL_QUADS);
  glNormal3f(0, 0, -1);
  glVertex3f(-Ls, w, -h);
  glVertex3f(xj, w, -h);
  glVertex3f(xj, -w, -h);
  glVertex3f(-Ls, -w, -h);
  glEnd();
  TSideColourScope colour(true, SideColour);
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer i = 0; i <= n; ++i) {
    EmitNormal(BF[i][0], BF[i][1], 0);
    Pair(BF[i], BB[i]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer i = 0; i <= n; ++i) {
    EmitNormal(-AF[i][0], -AF[i][1], 0);
    Pair(AB[i], AF[i]);
  }
  glEnd();
  glBegin(GL_QUADS);
  glNormal3f(0, 1, 0);
  glVertex3f(-Ls, w, h);
  glVertex3f(xj, w, h);
  glVertex3f(xj, w, -h);
  glVertex3f(-Ls, w, -h);
  glNormal3f(0, -1, 0);
  glVertex3f(-Ls, -w, h);
  glVertex3f(-Ls, -w, -h);
  glVertex3f(xj, -w, -h);
  glVertex3f(xj, -w, h);
  glEnd();
}

// --- TNeedle -----------------------------------------------------------------------------

TNeedle::TNeedle(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner), BladeThickness(0.25f * 0.02f) {}

void TNeedle::BuildList(TRenderContextInfo&)
{
  const Integer S = SafeCount(Segments), M = S / 2;
  const Single t = BladeThickness / 2, d = Diameter / 2, r = 0.25f * Diameter;
  const Single yL = -Length + 6 * r, yU = yL + EyeLength;
  TGLVertexArray EF(size_t(2 * S) + 2), EB(size_t(2 * S) + 2);
  for (Integer j = 0; j <= S; ++j) {
    Single s, c;
    SinCos(j * cPI / S, s, c);
    EF[size_t(j)] = {r * c, yU + r * s, t};
    EF[size_t(S + 1 + j)] = {-r * c, yL - r * s, t};
  }
  for (size_t k = 0; k < EF.size(); ++k)
    EB[k] = {EF[k][0], EF[k][1], -t};
  const TAffineVector V1{-d, -Length + 5 * r, 0}, V2{0, -Length, 0}, V3{d, -Length + 5 * r, 0};
  const TAffineVector TLf{-d, 0, t}, TRf{d, 0, t}, TMf{0, 0, t}, TLb{-d, 0, -t}, TRb{d, 0, -t}, TMb{0, 0, -t};
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer k = 0; k <= 2 * S; ++k) {
    EmitNormal(UnitPlaneNormal(EB[size_t(k)], EF[size_t(k)], EF[size_t(k) + 1]));
    Pair(EB[size_t(k)], EF[size_t(k)]);
  }
  Pair(EB[size_t(2 * S + 1)], EF[size_t(2 * S + 1)]);
  glNormal3f(-1, 0, 0);
  Pair(EB[0], EF[0]);
  glEnd();
  auto run = [](const TGLVertexArray& e, Integer from, Integer to) {
    for (Integer k = from; from <= to ? k <= to : k >= to; from <= to ? ++k : --k)
      EmitVertex(e[size_t(k)]);
  };
  auto fan = [](Single nz) {
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, nz);
  };
  fan(1);
  Pair(V1, V2);
  run(EF, S + 1 + M, S + 1);
  glEnd();
  fan(1);
  EmitVertex(V3);
  run(EF, 2 * S + 1, S + 1 + M);
  EmitVertex(V2);
  glEnd();
  fan(1);
  Pair(TLf, V1);
  run(EF, S + 1, M);
  EmitVertex(TMf);
  glEnd();
  fan(1);
  Pair(TRf, TMf);
  run(EF, M, 0);
  EmitVertex(EF[size_t(2 * S + 1)]);
  EmitVertex(V3);
  glEnd();
  fan(-1);
  EmitVertex(V1);
  run(EB, S + 1, S + 1 + M);
  EmitVertex(V2);
  glEnd();
  fan(-1);
  Pair(V3, V2);
  run(EB, S + 1 + M, 2 * S + 1);
  glEnd();
  fan(-1);
  Pair(TLb, TMb);
  run(EB, M, S + 1);
  EmitVertex(V1);
  glEnd();
  fan(-1);
  Pair(TRb, V3);
  EmitVertex(EB[size_t(2 * S + 1)]);
  run(EB, 0, M);
  EmitVertex(TMb);
  glEnd();
  glBegin(GL_TRIANGLES);
  glNormal3f(-1, 0, 0);
  EmitVertex(TLf);
  EmitVertex(TLb);
  EmitVertex(V1);
  glNormal3f(1, 0, 0);
  EmitVertex(TRf);
  EmitVertex(V3);
  EmitVertex(TRb);
  glEnd();
}

// --- TRoundabout -------------------------------------------------------------------------

TRoundabout::TRoundabout(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TRoundabout::BuildList(TRenderContextInfo&)
{
  const Single h = Thickness / 2;
  TAffineVector top[6], bottom[6];
  for (int k = 0; k < 6; ++k) {
    Single s, c;
    SinCos(k * 1.0471976f, s, c);
    top[k] = {Radius * c, Radius * s, h};
    bottom[k] = {Radius * c, Radius * s, -h};
  }
  glBegin(GL_QUAD_STRIP);
  for (int k = 0; k < 6; ++k) {
    Single s, c;
    SinCos(0.5235988f + k * 1.0471976f, s, c);
    glNormal3f(c, s, 0);
    Pair(top[k], bottom[k]);
    Pair(top[(k + 1) % 6], bottom[(k + 1) % 6]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  glVertex3f(0, 0, h);
  for (int k = 0; k <= 6; ++k)
    EmitVertex(top[k % 6]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, -1);
  glVertex3f(0, 0, -h);
  for (int k = 6; k >= 0; --k)
    EmitVertex(bottom[(k + 5) % 6]);
  glEnd();
}

// --- TSlattedPlane -----------------------------------------------------------------------

TSlattedPlane::TSlattedPlane(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TSlattedPlane::BuildList(TRenderContextInfo&)
{
  const Integer n = SafeCount(Slats);
  const Single hw = Width / 2, hh = Height / 2, ht = Thickness / 2, s = Width / (2 * n - 1);
  auto quad = [](Single nx, Single ny, Single nz, std::initializer_list<TAffineVector> v) {
    glNormal3f(nx, ny, nz);
    for (const TAffineVector& p : v)
      EmitVertex(p);
  };
  glBegin(GL_QUADS);
  quad(0, 0, 1, {{-hw, hh, ht}, {-hw, hh - s, ht}, {hw, hh - s, ht}, {hw, hh, ht}});
  quad(0, 0, 1, {{-hw, -hh + s, ht}, {-hw, -hh, ht}, {hw, -hh, ht}, {hw, -hh + s, ht}});
  quad(0, 0, -1, {{-hw, hh, -ht}, {hw, hh, -ht}, {hw, hh - s, -ht}, {-hw, hh - s, -ht}});
  quad(0, 0, -1, {{-hw, -hh + s, -ht}, {hw, -hh + s, -ht}, {hw, -hh, -ht}, {-hw, -hh, -ht}});
  quad(0, -1, 0, {{-hw, hh - s, ht}, {-hw, hh - s, -ht}, {hw, hh - s, -ht}, {hw, hh - s, ht}});
  quad(0, 1, 0, {{-hw, -hh + s, ht}, {hw, -hh + s, ht}, {hw, -hh + s, -ht}, {-hw, -hh + s, -ht}});
  for (Integer i = 0; i < n; ++i) {
    const Single x = 2 * i * s - hw, y0 = hh - s, y1 = -hh + s;
    quad(0, 0, 1, {{x, y0, ht}, {x, y1, ht}, {x + s, y1, ht}, {x + s, y0, ht}});
    quad(0, 0, -1, {{x, y0, -ht}, {x + s, y0, -ht}, {x + s, y1, -ht}, {x, y1, -ht}});
    quad(1, 0, 0, {{x + s, y0, ht}, {x + s, y1, ht}, {x + s, y1, -ht}, {x + s, y0, -ht}});
    quad(-1, 0, 0, {{x, y0, ht}, {x, y0, -ht}, {x, y1, -ht}, {x, y1, ht}});
  }
  glEnd();
}
