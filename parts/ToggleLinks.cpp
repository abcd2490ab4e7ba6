#include "parts/ToggleLinks.h"

#include <algorithm>
#include <cmath>

#include "parts/PartHelpers.h"
#include "platform/SysUtils.h"

namespace {

// One pair of the side wall: an outline point and the normal it is sent with. A hard
// corner is sent twice, once with the normal of each of its edges.
struct TWallEntry {
  size_t Point;
  TAffineVector Normal;
};
using TWall = std::vector<TWallEntry>;

// Every outline point once, with its own normal.
TWall PlainWall(const TGLVertexArray& normals)
{
  TWall w;
  for (size_t i = 0; i < normals.size(); ++i)
    w.push_back({i, normals[i]});
  return w;
}

// Fans over the outline at zFront (in order) and zBack (reversed), and the wall strip,
// each pair given as (first, second).
void DrawPlate(const TGLVertexArray& outline, const TWall& wall, const TAffineVector& centre, Single zFront,
               Single zBack, bool frontFacesPlus, bool banded, const TSideColour& colour)
{
  const TGLVertexArray front = LiftOutline(outline, zFront), back = LiftOutline(outline, zBack);
  if (frontFacesPlus) {
    DrawFrontFan({centre[0], centre[1], zFront}, front);
    DrawBackFan({centre[0], centre[1], zBack}, back);
  } else {
    DrawBackFan({centre[0], centre[1], zFront}, front);
    DrawFrontFan({centre[0], centre[1], zBack}, back);
  }
  TSideColourScope band(banded, colour);
  glBegin(GL_TRIANGLE_STRIP);
  for (const TWallEntry& e : wall) {
    const size_t i = e.Point;
    EmitNormal(e.Normal);
    if (frontFacesPlus) {
      EmitVertex(front[i]);
      EmitVertex(back[i]);
    } else {
      EmitVertex(back[i]);
      EmitVertex(front[i]);
    }
  }
  glEnd();
}

// Quarter-circle steps in radians.
Single QuarterStep(Integer n) { return 90.0f / n * cPIdiv180; }

}   // namespace

// --- TAToggleLink ------------------------------------------------------------------------

TAToggleLink::TAToggleLink(TGLBaseSceneObject* AOwner, Single ArmLength, Single PinSpacing, Single Width,
                           Single PlateThickness)
    : TGLSceneObject(AOwner), ArmLength(ArmLength), PinSpacing(PinSpacing), PlateThickness(PlateThickness),
      Width(Width), CornerRadius(0.2f * PinSpacing), ArmDepth(0.5f * PinSpacing)
{}

void TAToggleLink::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TAToggleLink*>(&Source)) {
    ArmLength = s->ArmLength;
    PinSpacing = s->PinSpacing;
    PlateThickness = s->PlateThickness;
    Width = s->Width;
    CornerRadius = s->CornerRadius;
    Segments = s->Segments;
    ArmDepth = s->ArmDepth;
    PinOffset = s->PinOffset;
  }
  TGLSceneObject::Assign(Source);
}

namespace {

void AToggleOutline(const TAToggleLink& l, TGLVertexArray& p, TWall& n)
{
  const Integer N = SafeCount(l.Segments);
  const Single r = l.CornerRadius, H = l.PinSpacing, D = l.ArmDepth, e = l.PinOffset, step = QuarterStep(N);
  p.clear();
  n.clear();
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p.push_back({e + r * c, H + r * s, 0});
    n.push_back({p.size() - 1, {r * c, r * s, 0}});
  }
  // The beak's top-left corner and the foot of its front face are hard corners: the top
  // edge faces +Y, the front face -X, the cove its centre.
  p.push_back({-(e + 2 * r), H + r, 0});
  n.push_back({p.size() - 1, {0, 1, 0}});
  n.push_back({p.size() - 1, {-1, 0, 0}});
  n.push_back({p.size(), {-1, 0, 0}});
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p.push_back({-(e + 2 * r) + r * s, H - D + r * c, 0});
    n.push_back({p.size() - 1, {-r * s, -r * c, 0}});
  }
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p.push_back({-e - r * c, -r * s, 0});
    n.push_back({p.size() - 1, {-r * c, -r * s, 0}});
  }
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p.push_back({e + r * s, -r * c, 0});
    n.push_back({p.size() - 1, {r * s, -r * c, 0}});
  }
  p.push_back(p.front());
  n.push_back({p.size() - 1, {r, 0, 0}});
}

}   // namespace

TGLVertexArray TAToggleLink::Outline() const
{
  TGLVertexArray p;
  TWall n;
  AToggleOutline(*this, p, n);
  return p;
}

void TAToggleLink::BuildList(TRenderContextInfo&)
{
  TGLVertexArray outline;
  TWall wall;
  AToggleOutline(*this, outline, wall);
  const Single h = Width / 2, T = PlateThickness, r = CornerRadius, H = PinSpacing, D = ArmDepth;
  // The plate faces are fans. From the height of the cove's foot, (0, H - D), the cove curves
  // back towards the centre and its fan folds over a sliver of the cove; from the height of
  // the cove's top, level with the beak's underside, every point of the outline is seen in
  // turn, so the fan covers the plate and nothing beyond it.
  const TAffineVector centre{0, H - D + r, 0};
  DrawPlate(outline, wall, centre, h, h - T, true, false, GreySideColour);
  DrawPlate(outline, wall, centre, -h, -(h - T), false, false, GreySideColour);
  const Single yTop = H + r, yLow = H - D + r, xA = -(PinOffset + 2 * r), xB = -(PinOffset + 3 * r),
               xC = -(ArmLength - r);
  const Single alpha = r > 0 ? std::atan((h - T) / r) : 0;
  const Single s = std::sin(alpha), c = std::cos(alpha);
  struct TQuad {
    TAffineVector N;
    TAffineVector V[4];
  };
  const TQuad quads[13] = {
      {{-s, 0, c}, {{xA, yTop, h}, {xB, yTop, T}, {xB, yLow, T}, {xA, yLow, h}}},
      {{s, 0, -c}, {{xA, yTop, h - T}, {xA, yLow, h - T}, {xB, yLow, 0}, {xB, yTop, 0}}},
      {{s, 0, c}, {{xA, yTop, -(h - T)}, {xB, yTop, 0}, {xB, yLow, 0}, {xA, yLow, -(h - T)}}},
      {{-s, 0, -c}, {{xB, yTop, -T}, {xA, yTop, -h}, {xA, yLow, -h}, {xB, yLow, -T}}},
      {{0, 0, 1}, {{xB, yTop, T}, {xC, yTop, T}, {xC, yLow, T}, {xB, yLow, T}}},
      {{0, 0, -1}, {{xC, yTop, -T}, {xB, yTop, -T}, {xB, yLow, -T}, {xC, yLow, -T}}},
      {{-1, 0, 0}, {{xC, yTop, T}, {xC, yTop, -T}, {xC, yLow, -T}, {xC, yLow, T}}},
      {{0, 1, 0}, {{xC, yTop, T}, {xB, yTop, T}, {xB, yTop, -T}, {xC, yTop, -T}}},
      {{0, 1, 0}, {{xB, yTop, T}, {xA, yTop, h}, {xA, yTop, h - T}, {xB, yTop, 0}}},
      {{0, 1, 0}, {{xA, yTop, -h}, {xB, yTop, -T}, {xB, yTop, 0}, {xA, yTop, -(h - T)}}},
      {{0, -1, 0}, {{xB, yLow, T}, {xC, yLow, T}, {xC, yLow, -T}, {xB, yLow, -T}}},
      {{0, -1, 0}, {{xA, yLow, h}, {xB, yLow, T}, {xB, yLow, 0}, {xA, yLow, h - T}}},
      {{0, -1, 0}, {{xB, yLow, -T}, {xA, yLow, -h}, {xA, yLow, -(h - T)}, {xB, yLow, 0}}},
  };
  glBegin(GL_QUADS);
  for (const TQuad& q : quads) {
    EmitNormal(q.N);
    for (const TAffineVector& v : q.V)
      EmitVertex(v);
  }
  glEnd();
}

// --- TBToggleLink ------------------------------------------------------------------------

TBToggleLink::TBToggleLink(TGLBaseSceneObject* AOwner, Single Length, Single EndRadius, Single Thickness,
                           Integer Segments)
    : TGLSceneObject(AOwner), Length(Length), Extension(0.5f * EndRadius), Thickness(Thickness), EndRadius(EndRadius),
      Segments(Segments)
{}

void TBToggleLink::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TBToggleLink*>(&Source)) {
    Length = s->Length;
    Extension = s->Extension;
    Thickness = s->Thickness;
    EndRadius = s->EndRadius;
    Segments = s->Segments;
    CutAngle = s->CutAngle;
    UseSideColour = s->UseSideColour;
    SideColour = s->SideColour;
  }
  TGLSceneObject::Assign(Source);
}

namespace {

void BToggleOutline(const TBToggleLink& l, TGLVertexArray& p, TGLVertexArray& n)
{
  const Integer N = SafeCount(l.Segments);
  const Single R = l.EndRadius, x0 = -(l.Length + l.Extension), step = QuarterStep(N);
  // A cut at 0 degrees would run off to infinity; it stays at the end's own corner.
  const Single d = SafeDivide(R, Tan(l.CutAngle * cPIdiv180), 0);
  p.clear();
  n.clear();
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p.push_back({R * c, R * s, 0});
    n.push_back({c, s, 0});
  }
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p.push_back({x0 - R * s, R * c, 0});
    n.push_back({-s, c, 0});
  }
  // The foot of the cut belongs to the long lower edge, which faces -Y.
  p.push_back({x0 - R + d, -R, 0});
  n.push_back({0, -1, 0});
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p.push_back({R * s, -R * c, 0});
    n.push_back({s, -c, 0});
  }
}

}   // namespace

TGLVertexArray TBToggleLink::Outline() const
{
  TGLVertexArray p, n;
  BToggleOutline(*this, p, n);
  return p;
}

void TBToggleLink::BuildList(TRenderContextInfo&)
{
  TGLVertexArray outline, normals;
  BToggleOutline(*this, outline, normals);
  const Single h = Thickness / 2, x0 = -(Length + Extension);
  DrawPlate(outline, PlainWall(normals), {x0, 0, 0}, h, -h, true, UseSideColour, SideColour);
}

// --- TCToggleLink ------------------------------------------------------------------------

TCToggleLink::TCToggleLink(TGLBaseSceneObject* AOwner, Single Length, Single LeverLength, Single EndRadius,
                           Single Thickness, Integer Segments)
    : TGLSceneObject(AOwner), Length(Length), LeverLength(LeverLength), Thickness(Thickness), EndRadius(EndRadius),
      Segments(Segments)
{}

void TCToggleLink::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TCToggleLink*>(&Source)) {
    LeverAngle = s->LeverAngle;
    Length = s->Length;
    LeverLength = s->LeverLength;
    Thickness = s->Thickness;
    EndRadius = s->EndRadius;
    Segments = s->Segments;
    UseSideColour = s->UseSideColour;
    SideColour = s->SideColour;
  }
  TGLSceneObject::Assign(Source);
}

void TCToggleLink::MakeOutline(TGLVertexArray& p, TGLVertexArray& n) const
{
  const Integer N = SafeCount(Segments);
  const Single stepDeg = 180.0f / N, R = EndRadius;
  const Single phi = Finite(LeverAngle);
  Single sp, cp;
  SinCos(phi * cPIdiv180, sp, cp);
  const Single Ex = LeverLength * cp, Ey = LeverLength * sp;
  // At most a full circle of steps below the pivot.
  const Integer K = SafeSteps(phi / stepDeg, 0, 2 * N);
  p.clear();
  n.clear();
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos((phi - 90 + i * stepDeg) * cPIdiv180, s, c);
    p.push_back({Ex + R * c, Ey + R * s, 0});
    n.push_back({R * c, R * s, 0});
  }
  // The elbow's upper corner: its normal halves the angle between the link arm's top and
  // the lever's side, which is the corner's own direction from the pivot.
  Single sh, ch;
  SinCos(phi / 2 * cPIdiv180, sh, ch);
  p.push_back({-R * sh, R * ch, 0});
  n.push_back({-sh, ch, 0});
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * stepDeg * cPIdiv180, s, c);
    p.push_back({-Length - R * s, R * c, 0});
    n.push_back({-R * s, R * c, 0});
  }
  for (Integer i = 0; i <= K; ++i) {
    Single s, c;
    SinCos(i * stepDeg * cPIdiv180, s, c);
    p.push_back({R * s, -R * c, 0});
    n.push_back({R * s, -R * c, 0});
  }
  p.push_back(p.front());
  n.push_back(n.front());
}

TGLVertexArray TCToggleLink::Outline() const
{
  TGLVertexArray p, n;
  MakeOutline(p, n);
  return p;
}

void TCToggleLink::BuildList(TRenderContextInfo&)
{
  TGLVertexArray outline, normals;
  MakeOutline(outline, normals);
  const Single h = Thickness / 2;
  DrawPlate(outline, PlainWall(normals), {0, 0, 0}, h, -h, true, UseSideColour, SideColour);
}
