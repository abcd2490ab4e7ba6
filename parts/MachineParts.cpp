// The rail wheel, the cutter bit, and the linear cam with its slotted plate.
#include "parts/MachineParts.h"

#include <cmath>

#include "parts/PartHelpers.h"

namespace {

void Quad(const TAffineVector& n, const TAffineVector& a, const TAffineVector& b, const TAffineVector& c,
          const TAffineVector& d)
{
  EmitNormal(n);
  EmitVertex(a);
  EmitVertex(b);
  EmitVertex(c);
  EmitVertex(d);
}

}   // namespace

// --- TWheel ------------------------------------------------------------------------------

TWheel::TWheel(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TWheel::BuildList(TRenderContextInfo&)
{
  const Integer n = SafeCount(WheelSegments);
  const Single T = FlangeThickness + TreadWidth;
  TGLVertexArray P0(n + 1), P1(n + 1), P2(n + 1), P3(n + 1);
  for (Integer i = 0; i <= n; ++i) {
    Single s, c;
    SinCos((i % n) * 2 * cPI / n, s, c);
    P0[i] = {FlangeRadius * c, FlangeRadius * s, 0};
    P1[i] = {FlangeRadius * c, FlangeRadius * s, FlangeThickness};
    P2[i] = {TreadRadius * c, TreadRadius * s, FlangeThickness};
    P3[i] = {TreadRadius * c, TreadRadius * s, T};
  }
  DrawFrontFan({0, 0, T}, P3);
  DrawBackFan({0, 0, 0}, P0);
  auto rim = [&](const TGLVertexArray& a, const TGLVertexArray& b) {
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= n; ++i) {
      EmitNormal(P0[i][0], P0[i][1], 0);
      EmitVertex(a[i]);
      EmitVertex(b[i]);
    }
    glEnd();
  };
  rim(P1, P0);
  rim(P3, P2);
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 0, 1);
  for (Integer i = 0; i <= n; ++i) {
    EmitVertex(P2[i]);
    EmitVertex(P1[i]);
  }
  glEnd();
}

// --- TCutBit -----------------------------------------------------------------------------

TCutBit::TCutBit(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TCutBit::BuildList(TRenderContextInfo&)
{
  const Single a = BitWidth / 2, b = BitLength / 2, c = BitThickness / 2;
  const Single xy[5][2] = {{-a, b}, {-a, TipHeight - b}, {-a - TipReach, -b}, {a, 0.03f - b}, {a, b}};
  TAffineVector V[10];
  for (int k = 0; k < 5; ++k) {
    V[k] = {xy[k][0], xy[k][1], c};
    V[k + 5] = {xy[k][0], xy[k][1], -c};
  }
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  for (int k : {3, 4, 0, 1, 2})
    EmitVertex(V[k]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, -1);
  for (int k : {8, 7, 6, 5, 9})
    EmitVertex(V[k]);
  glEnd();
  glBegin(GL_QUADS);
  Quad({-1, 0, 0}, V[0], V[5], V[6], V[1]);
  Quad({1, 0, 0}, V[4], V[3], V[8], V[9]);
  Quad({0, 1, 0}, V[0], V[4], V[9], V[5]);
  Quad(UnitPlaneNormal(V[2], V[7], V[8]), V[2], V[7], V[8], V[3]);
  Quad(UnitPlaneNormal(V[2], V[1], V[6]), V[2], V[1], V[6], V[7]);
  glEnd();
}

// --- TLinearCam --------------------------------------------------------------------------

TLinearCam::TLinearCam(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TLinearCam::BuildList(TRenderContextInfo&)
{
  const Integer n = SafeCount(Segments);
  const Single L = Length, h = Rise, w = Width / 2, bottom = -0.2f;
  TGLVertexArray P(n + 1), Q(n + 1);
  for (Integer i = 0; i <= n; ++i) {
    const Single y = h - h * std::cos(i * cPI / n);
    P[i] = {-i * L / n, y, w};
    Q[i] = {-i * L / n, y, -w};
  }
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, 1);
  glVertex3f(-L, bottom, w);
  glVertex3f(0, bottom, w);
  for (Integer i = 0; i <= n; ++i)
    EmitVertex(P[i]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(0, 0, -1);
  glVertex3f(-L, bottom, -w);
  for (Integer i = n; i >= 0; --i)
    EmitVertex(Q[i]);
  glVertex3f(0, bottom, -w);
  glEnd();
  glBegin(GL_QUADS);
  Quad({-1, 0, 0}, {-L, 2 * h, w}, {-L, 2 * h, -w}, {-L, bottom, -w}, {-L, bottom, w});
  Quad({0, -1, 0}, {-L, bottom, w}, {-L, bottom, -w}, {0, bottom, -w}, {0, bottom, w});
  Quad({1, 0, 0}, {0, 0, w}, {0, bottom, w}, {0, bottom, -w}, {0, 0, -w});
  glEnd();
  TSideColourScope colour(true, SideColour);
  DrawRowStrip(P, Q, 0, size_t(n));
}

// --- TLinearPlate ------------------------------------------------------------------------

TLinearPlate::TLinearPlate(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TLinearPlate::BuildList(TRenderContextInfo&)
{
  const Single a = Length / 2, b = Width / 2, c = Thickness / 2, d = SlotWidth / 2;
  glBegin(GL_QUADS);
  Quad({1, 0, 0}, {a, c, b}, {a, -c, b}, {a, -c, d}, {a, c, d});
  Quad({1, 0, 0}, {a, 0, d}, {a, -c, d}, {a, -c, -d}, {a, 0, -d});
  Quad({1, 0, 0}, {a, c, -d}, {a, -c, -d}, {a, -c, -b}, {a, c, -b});
  Quad({-1, 0, 0}, {-a, c, b}, {-a, c, d}, {-a, -c, d}, {-a, -c, b});
  Quad({-1, 0, 0}, {-a, 0, d}, {-a, 0, -d}, {-a, -c, -d}, {-a, -c, d});
  Quad({-1, 0, 0}, {-a, c, -d}, {-a, c, -b}, {-a, -c, -b}, {-a, -c, -d});
  Quad({0, 0, 1}, {a, c, b}, {-a, c, b}, {-a, -c, b}, {a, -c, b});
  Quad({0, 0, -1}, {a, c, -b}, {a, -c, -b}, {-a, -c, -b}, {-a, c, -b});
  Quad({0, -1, 0}, {a, -c, b}, {a, -c, -b}, {-a, -c, -b}, {-a, -c, b});
  Quad({0, 1, 0}, {a, c, b}, {a, c, d}, {-a, c, d}, {-a, c, b});
  Quad({0, 1, 0}, {a, c, -d}, {a, c, -b}, {-a, c, -b}, {-a, c, -d});
  glEnd();
  TSideColourScope colour(true, SideColour);
  glBegin(GL_QUADS);
  Quad({0, 0, 1}, {a, c, -d}, {-a, c, -d}, {-a, 0, -d}, {a, 0, -d});
  Quad({0, 0, -1}, {a, c, d}, {a, 0, d}, {-a, 0, d}, {-a, c, d});
  Quad({0, 1, 0}, {a, 0, d}, {a, 0, -d}, {-a, 0, -d}, {-a, 0, d});
  glEnd();
}
