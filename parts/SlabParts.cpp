#include "parts/SlabParts.h"

#include <cmath>

#include "parts/PartHelpers.h"
#include "platform/SysUtils.h"

// --- TAnnulusEx --------------------------------------------------------------------------

TAnnulusEx::TAnnulusEx(TGLBaseSceneObject* AOwner, Single OuterRadius, Single Width, Single Thickness,
                       Single StartAngle, Single EndAngle, Integer Segments)
    : TGLSceneObject(AOwner), OuterRadius(OuterRadius), Width(Width), Thickness(Thickness), StartAngle(StartAngle),
      EndAngle(EndAngle), Segments(Segments)
{}

void TAnnulusEx::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TAnnulusEx*>(&Source)) {
    OuterRadius = s->OuterRadius;
    Width = s->Width;
    Thickness = s->Thickness;
    StartAngle = s->StartAngle;
    EndAngle = s->EndAngle;
    Segments = s->Segments;
  }
  TGLSceneObject::Assign(Source);
}

void TAnnulusEx::BuildList(TRenderContextInfo&)
{
  const Integer n = SafeCount(Segments);
  const Single a0 = StartAngle * cPIdiv180, a1 = EndAngle * cPIdiv180;
  const Single step = (a1 - a0) / n;
  const Single h = Thickness / 2, R = OuterRadius, Ri = OuterRadius - Width;
  TGLVertexArray ot(n + 1), ob(n + 1), it(n + 1), ib(n + 1);
  for (Integer i = 0; i <= n; ++i) {
    Single s, c;
    SinCos(a0 + i * step, s, c);
    ot[i] = {R * c, h, -R * s};
    ob[i] = {R * c, -h, -R * s};
    it[i] = {Ri * c, h, -Ri * s};
    ib[i] = {Ri * c, -h, -Ri * s};
  }
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 1, 0);
  for (Integer i = 0; i <= n; ++i) {
    EmitVertex(it[i]);
    EmitVertex(ot[i]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, -1, 0);
  for (Integer i = 0; i <= n; ++i) {
    EmitVertex(ob[i]);
    EmitVertex(ib[i]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer i = 0; i <= n; ++i) {
    EmitNormal(ot[i][0], 0, ot[i][2]);
    EmitVertex(ot[i]);
    EmitVertex(ob[i]);
  }
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer i = 0; i <= n; ++i) {
    EmitNormal(-ot[i][0], 0, -ot[i][2]);
    EmitVertex(ib[i]);
    EmitVertex(it[i]);
  }
  glEnd();
  Single s0, c0, s1, c1;
  SinCos(a0, s0, c0);
  SinCos(a1, s1, c1);
  glBegin(GL_QUADS);
  EmitNormal(s0, 0, c0);
  EmitVertex(ot[0]);
  EmitVertex(it[0]);
  EmitVertex(ib[0]);
  EmitVertex(ob[0]);
  EmitNormal(-s1, 0, -c1);
  EmitVertex(it[n]);
  EmitVertex(ot[n]);
  EmitVertex(ob[n]);
  EmitVertex(ib[n]);
  glEnd();
}

// --- TRoundCube --------------------------------------------------------------------------

TRoundCube::TRoundCube(TGLBaseSceneObject* AOwner, Single SizeX, Single SizeY, Single Thickness, Single CornerRadius,
                       Integer Segments)
    : TGLSceneObject(AOwner), SizeX(SizeX), SizeY(SizeY), Thickness(Thickness), CornerRadius(CornerRadius),
      Segments(Segments)
{}

void TRoundCube::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TRoundCube*>(&Source)) {
    SizeX = s->SizeX;
    SizeY = s->SizeY;
    Thickness = s->Thickness;
    CornerRadius = s->CornerRadius;
    Segments = s->Segments;
    UseSideColour = s->UseSideColour;
    SideColour = s->SideColour;
    AllCornersRound = s->AllCornersRound;
  }
  TGLSceneObject::Assign(Source);
}

void TRoundCube::BuildList(TRenderContextInfo&)
{
  if (AllCornersRound)
    BuildFourCorners();
  else
    BuildTwoCorners();
}

namespace {

// The corner arcs' cosine and sine offsets, Segments + 1 of each.
void CornerArc(Integer n, Single rc, std::vector<Single>& a, std::vector<Single>& b)
{
  a.resize(size_t(n) + 1);
  b.resize(size_t(n) + 1);
  const Single step = 90.0f / n;
  for (Integer i = 0; i <= n; ++i) {
    Single s, c;
    SinCos(i * step * cPIdiv180, s, c);
    a[i] = rc * c;
    b[i] = rc * s;
  }
}

// Fans and the side band of a slab outline whose points each carry their own wall normal.
void DrawSlab(const TGLVertexArray& outline, const TGLVertexArray& normals, Single h, bool banded,
              const TSideColour& colour)
{
  TGLVertexArray front = LiftOutline(outline, h), back = LiftOutline(outline, -h);
  DrawFrontFan({0, 0, h}, front);
  DrawBackFan({0, 0, -h}, back);
  TSideColourScope band(banded, colour);
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t i = 0; i < outline.size(); ++i) {
    EmitNormal(normals[i]);
    EmitVertex(front[i]);
    EmitVertex(back[i]);
  }
  glEnd();
}

}   // namespace

void TRoundCube::BuildTwoCorners()
{
  const Integer n = SafeCount(Segments);
  std::vector<Single> A, B;
  CornerArc(n, CornerRadius, A, B);
  const Single h = Thickness / 2, cx = SizeX / 2 - CornerRadius, cy = SizeY / 2 - CornerRadius;
  const Single rc = CornerRadius;
  TGLVertexArray outline, normals;
  for (Integer i = 0; i <= n; ++i) {
    outline.push_back({cx + A[i], cy + B[i], 0});
    normals.push_back({A[i], B[i], 0});
  }
  for (Integer i = 0; i <= n; ++i) {
    outline.push_back({-cx - B[i], cy + A[i], 0});
    normals.push_back({-B[i], A[i], 0});
  }
  outline.push_back({-SizeX / 2, -SizeY / 2, 0});
  outline.push_back({SizeX / 2, -SizeY / 2, 0});
  outline.push_back(outline.front());
  TGLVertexArray front = LiftOutline(outline, h), back = LiftOutline(outline, -h);
  DrawFrontFan({0, 0, h}, front);
  DrawBackFan({0, 0, -h}, back);
  // The square corners are sent twice, once for each of their edges, so the left edge
  // faces -X, the bottom -Y and the right edge +X.
  TSideColourScope band(UseSideColour, SideColour);
  glBegin(GL_TRIANGLE_STRIP);
  for (size_t i = 0; i < normals.size(); ++i) {
    EmitNormal(normals[i]);
    EmitVertex(front[i]);
    EmitVertex(back[i]);
  }
  size_t k = normals.size();
  const Single side = rc != 0 ? rc : 1;
  EmitNormal(-side, 0, 0);
  EmitVertex(front[k]);
  EmitVertex(back[k]);
  EmitNormal(0, -side, 0);
  EmitVertex(front[k]);
  EmitVertex(back[k]);
  EmitVertex(front[k + 1]);
  EmitVertex(back[k + 1]);
  EmitNormal(side, 0, 0);
  EmitVertex(front[k + 1]);
  EmitVertex(back[k + 1]);
  EmitVertex(front[k + 2]);
  EmitVertex(back[k + 2]);
  glEnd();
}

void TRoundCube::BuildFourCorners()
{
  const Integer n = SafeCount(Segments);
  std::vector<Single> A, B;
  CornerArc(n, CornerRadius, A, B);
  const Single h = Thickness / 2, cx = SizeX / 2 - CornerRadius, cy = SizeY / 2 - CornerRadius;
  TGLVertexArray outline, normals;
  for (Integer i = 0; i <= n; ++i) {
    outline.push_back({cx + A[i], cy + B[i], 0});
    normals.push_back({A[i], B[i], 0});
  }
  for (Integer i = 0; i <= n; ++i) {
    outline.push_back({-cx - B[i], cy + A[i], 0});
    normals.push_back({-B[i], A[i], 0});
  }
  for (Integer i = 0; i <= n; ++i) {
    outline.push_back({-cx - A[i], -cy - B[i], 0});
    normals.push_back({-A[i], -B[i], 0});
  }
  for (Integer i = 0; i <= n; ++i) {
    outline.push_back({cx + B[i], -cy - A[i], 0});
    normals.push_back({B[i], -A[i], 0});
  }
  outline.push_back(outline.front());
  normals.push_back({CornerRadius, 0, 0});
  DrawSlab(outline, normals, h, UseSideColour, SideColour);
}

// --- TPie --------------------------------------------------------------------------------

TPie::TPie(TGLBaseSceneObject* AOwner, Single Radius, Single Thickness, Integer Segments)
    : TGLSceneObject(AOwner), Radius(Radius), Thickness(Thickness), Segments(Segments)
{}

void TPie::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TPie*>(&Source)) {
    Radius = s->Radius;
    Thickness = s->Thickness;
    Segments = s->Segments;
    UseSideColour = s->UseSideColour;
    SideColour = s->SideColour;
    Parts = s->Parts;
    StartAngle = s->StartAngle;
    EndAngle = s->EndAngle;
  }
  TGLSceneObject::Assign(Source);
}

void TPie::BuildList(TRenderContextInfo&)
{
  const Integer n = SafeCount(Segments);
  const Single step = std::fabs(EndAngle - StartAngle) * cPIdiv180 / n;
  const Single s0 = StartAngle * cPIdiv180, h = Thickness / 2;
  TGLVertexArray front(n + 1), back(n + 1);
  for (Integer i = 0; i <= n; ++i) {
    Single s, c;
    SinCos(s0 + i * step, s, c);
    front[i] = {Radius * c, Radius * s, h};
    back[i] = {Radius * c, Radius * s, -h};
  }
  if (InSet(Parts, 0))
    DrawFrontFan({0, 0, h}, front);
  if (InSet(Parts, 1))
    DrawBackFan({0, 0, -h}, back);
  TSideColourScope band(UseSideColour, SideColour);
  if (InSet(Parts, 2)) {
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= n; ++i) {
      EmitNormal(front[i][0], front[i][1], 0);
      EmitVertex(front[i]);
      EmitVertex(back[i]);
    }
    glEnd();
  }
  if (Trunc(EndAngle - StartAngle) != 360) {
    const TAffineVector cf{0, 0, h}, cb{0, 0, -h};
    glBegin(GL_QUADS);
    EmitNormal(UnitPlaneNormal(front[0], cf, cb));
    EmitVertex(front[0]);
    EmitVertex(cf);
    EmitVertex(cb);
    EmitVertex(back[0]);
    EmitNormal(UnitPlaneNormal(cb, cf, front[n]));
    EmitVertex(cf);
    EmitVertex(front[n]);
    EmitVertex(back[n]);
    EmitVertex(cb);
    glEnd();
  }
}
