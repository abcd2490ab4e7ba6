#include "parts/CamDrum.h"

#include <cmath>

#include "parts/PartHelpers.h"

THSCylinder::THSCylinder(TGLBaseSceneObject* AOwner, Single Radius, Single GrooveWidth, Single GrooveDepth,
                         Single GrooveAngle, Single Length, Integer Segments)
    : TGLSceneObject(AOwner), Radius(Radius), GrooveWidth(GrooveWidth), GrooveDepth(GrooveDepth),
      GrooveAngle(GrooveAngle), Segments(Segments), Length(Length)
{}

void THSCylinder::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const THSCylinder*>(&Source)) {
    Radius = s->Radius;
    GrooveWidth = s->GrooveWidth;
    GrooveDepth = s->GrooveDepth;
    GrooveAngle = s->GrooveAngle;
    Segments = s->Segments;
    Length = s->Length;
    UseSideColour = s->UseSideColour;
    SideColour = s->SideColour;
  }
  TGLSceneObject::Assign(Source);
}

void THSCylinder::BuildList(TRenderContextInfo&)
{
  const Integer n = SafeCount(Segments);
  const Single R = Radius, Rr = Radius - GrooveDepth, hl = Length / 2, hw = GrooveWidth / 2;
  Single sa, ca;
  SinCos(GrooveAngle * cPIdiv180, sa, ca);
  const Single A = R * sa, step = 2 * cPI / n;
  TGLVertexArray E0(n + 1), S1(n + 1), B2(n + 1), B3(n + 1), S4(n + 1), E5(n + 1), radial(n + 1);
  for (Integer i = 0; i <= n; ++i) {
    Single s, c;
    SinCos((i % n) * step, s, c);
    const Single g = A * s;
    E0[i] = {-hl, R * s, R * c};
    S1[i] = {g - hw, R * s, R * c};
    S4[i] = {g + hw, R * s, R * c};
    B2[i] = {g - hw, Rr * s, Rr * c};
    B3[i] = {g + hw, Rr * s, Rr * c};
    E5[i] = {hl, R * s, R * c};
    radial[i] = {0, R * s, R * c};
  }
  auto band = [&](const TGLVertexArray& a, const TGLVertexArray& b) {
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= n; ++i) {
      EmitNormal(radial[i]);
      EmitVertex(a[i]);
      EmitVertex(b[i]);
    }
    glEnd();
  };
  band(E0, S1);
  band(S4, E5);
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(-1, 0, 0);
  glVertex3f(-hl, 0, 0);
  for (Integer i = 0; i <= n; ++i)
    EmitVertex(E0[i]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glNormal3f(1, 0, 0);
  glVertex3f(hl, 0, 0);
  for (Integer i = n; i >= 0; --i)
    EmitVertex(E5[i]);
  glEnd();
  TSideColourScope colour(UseSideColour, SideColour);
  DrawRowStrip(S1, B2, 0, n);
  DrawRowStrip(B3, S4, 0, n);
  band(B2, B3);
}
