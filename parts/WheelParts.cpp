// Chain wheels, chain links, spokes and pulleys.
#include <algorithm>
#include <cmath>

#include "parts/BasicParts.h"

namespace {

// A chain roller's radius and where a link's plates lie across Z, all against the pitch.
constexpr Single RollerFactor = 0.3f;
constexpr Single RollerHalfWidth = 0.1f;
constexpr Single InnerPlateZ[2] = {0.11f, 0.16f};
constexpr Single OuterPlateZ[2] = {0.17f, 0.22f};
constexpr Single PinHalfLength = 0.25f;
constexpr Single PinFactor = 0.15f;

// A cylinder along Z from z0 to z1 with both end discs.
void DrawRod(Single radius, Single z0, Single z1, Integer slices)
{
  DrawRevolvedProfile({{0, z0, 0}, {radius, z0, 0}, {radius, z1, 0}, {0, z1, 0}}, slices);
}

// The pin of a chain link: drawn by the link's first child so it can take its own material.
class TChainPin : public TGLSceneObject {
public:
  TChainPin(TGLBaseSceneObject* AOwner, Single pitch, Integer slices)
      : TGLSceneObject(AOwner), FPitch(pitch), FSlices(slices)
  {}
  void BuildList(TRenderContextInfo&) override
  {
    Single p = SafeSingle(FPitch);
    DrawRod(PinFactor * p, -PinHalfLength * p, PinHalfLength * p, FSlices);
  }
  // Every pin of a chain is the same: one list serves them all.
  std::string ListKey() const override { return MakeListKey({FPitch, double(FSlices)}); }
  bool IsClosedSolid() const override { return true; }

private:
  Single FPitch;
  Integer FSlices;
};

// Stadium outline round (0, 0) and (0, length), counter-clockwise.
TGLVertexArray StadiumY(Single radius, Single length, Integer segments)
{
  TGLVertexArray r;
  AppendArc(r, 0, 0, radius, cPI, 2 * cPI, segments);
  AppendArc(r, 0, length, radius, 0, cPI, segments);
  return r;
}

}   // namespace

// --- TSprocket -----------------------------------------------------------------------------

TSprocket::TSprocket(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single Thickness)
    : TGLSceneObject(AOwner), Teeth(Teeth), Pitch(Pitch), Thickness(Thickness)
{}

Single TSprocket::PitchRadius() const { return ToothedWheelRadius(Teeth, Pitch); }

Single TSprocket::RollerRadius() const { return RollerFactor * Pitch; }

TGLVertexArray TSprocket::Outline() const
{
  Integer n = SafeCount(Teeth, 3);
  Single rp = SafeSingle(PitchRadius());
  Single rr = SafeSingle(RollerRadius());
  Single tip = rp + 0.35f * SafeSingle(Pitch);
  Single step = FullCircle / Single(n);
  TGLVertexArray r;
  r.reserve(size_t(n) * 11);
  for (Integer k = 0; k < n; ++k) {
    Single a = step * Single(k);
    Single s, c;
    SinCos(a, s, c);
    // The seat: the inner half of the roller's circle, from behind round to ahead.
    // Three segments: the seat is a few pixels across at any distance the scenes show it.
    AppendArc(r, rp * c, rp * s, rr, a - cPI / 2, a - 3 * cPI / 2, 3);
    // The tooth between this seat and the next, with a small flat tip.
    Single mid = a + step / 2;
    Single flat = step * 0.08f;
    SinCos(mid - flat, s, c);
    r.push_back({tip * c, tip * s, 0});
    SinCos(mid + flat, s, c);
    r.push_back({tip * c, tip * s, 0});
  }
  return r;
}

void TSprocket::BuildList(TRenderContextInfo&) { DrawExtrudedPolygon(Outline(), SafeSingle(Thickness) / 2); }

TChainWheel::TChainWheel(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single Thickness)
    : TSprocket(AOwner, Teeth, Pitch, Thickness)
{
  InnerRadius = 0.9f * (PitchRadius() - RollerRadius());
}

void TChainWheel::BuildList(TRenderContextInfo&)
{
  TGLVertexArray outer = Outline();
  // The rim's inside follows the outline's polar angles so the face strips never cross.
  TGLVertexArray inner;
  inner.reserve(outer.size());
  Single ri = SafeSingle(InnerRadius);
  for (const TAffineVector& p : outer) {
    Single a = std::atan2(p[1], p[0]);
    Single s, c;
    SinCos(a, s, c);
    inner.push_back({ri * c, ri * s, 0});
  }
  DrawExtrudedRing(outer, inner, SafeSingle(Thickness) / 2);
}

// --- TChainLink ----------------------------------------------------------------------------

TChainLink::TChainLink(TGLBaseSceneObject* AOwner, Single Pitch, Single PlateWidth, Integer Kind, Integer Slices)
    : TGLSceneObject(AOwner), Pitch(Pitch), PlateWidth(PlateWidth), Kind(Kind), Slices(Slices)
{
  // The pin shows only as its ends beyond the plates, half the roller's width: it takes
  // fewer facets than the roller.
  AddChild(std::make_unique<TChainPin>(nullptr, Pitch, std::max<Integer>(6, (Slices * 4 + 4) / 5)));
}

TGLSceneObject* TChainLink::GetPin() const { return GetChildAs<TGLSceneObject>(0); }

void TChainLink::SetPinMaterial(const TGLMaterial& material)
{
  if (TGLSceneObject* pin = GetPin())
    pin->Material = material;
}

void TChainLink::BuildList(TRenderContextInfo&)
{
  Single p = SafeSingle(Pitch);
  Integer slices = SafeCount(Slices, 3);
  // The roller on this link's own pin; the next pin's roller belongs to the next link.
  DrawRod(RollerFactor * p, -RollerHalfWidth * p, RollerHalfWidth * p, slices);
  const Single* z = Kind % 2 == 0 ? InnerPlateZ : OuterPlateZ;
  Single half = (z[1] - z[0]) * p / 2;
  Single mid = (z[0] + z[1]) * p / 2;
  TGLVertexArray plate = StadiumY(SafeSingle(PlateWidth) / 2, p, SafeCount(slices / 2, 2));
  for (Single sign : {1.0f, -1.0f}) {
    glPushMatrix();
    glTranslatef(0, 0, sign * mid);
    DrawExtrudedPolygon(plate, half);
    glPopMatrix();
  }
}

std::string TChainLink::ListKey() const { return MakeListKey({Pitch, PlateWidth, double(Kind % 2), double(Slices)}); }

// --- TSpoke --------------------------------------------------------------------------------

TSpoke::TSpoke(TGLBaseSceneObject* AOwner, Single Radius, Single Width, Single Thickness, Integer AngleDeg,
               Integer Segments)
    : TGLSceneObject(AOwner), Radius(Radius), Width(Width), Thickness(Thickness), AngleDeg(AngleDeg), Segments(Segments)
{}

Single TSpoke::HubRadius() const
{
  Single h = 2.5f * Width;
  return h < 0.5f * Radius ? h : 0.5f * Radius;
}

void TSpoke::BuildList(TRenderContextInfo&)
{
  Single radius = SafeSingle(Radius), w = SafeSingle(Width) / 2, hub = SafeSingle(HubRadius());
  if (radius <= 0 || w <= 0 || hub <= w)
    return;
  Single half = Single(AngleDeg > 359 ? 359 : AngleDeg) * cPIdiv180 / 2;
  Single beta = ArcSin(w / hub);
  if (half < beta)
    half = beta;
  Integer seg = SafeCount(Segments, 2);
  TGLVertexArray outline{{0, 0, 0}};
  AppendArc(outline, 0, 0, hub, -half, -beta, seg);
  outline.push_back({radius, -w, 0});
  outline.push_back({radius, w, 0});
  AppendArc(outline, 0, 0, hub, beta, half, seg);
  DrawExtrudedPolygon(outline, SafeSingle(Thickness) / 2);
}

// --- TVPulley ------------------------------------------------------------------------------

TVPulley::TVPulley(TGLBaseSceneObject* AOwner, Single RadiusA, Single RadiusB, Single Width, Integer Slices, Integer N,
                   Byte Faces)
    : TGLSceneObject(AOwner), RadiusA(RadiusA), RadiusB(RadiusB), Width(Width), Slices(Slices), N(N), Faces(Faces)
{
  InnerRadius = RadiusB - 0.25f * Width;
}

namespace {

void QuadricCylinder(GLUquadric* q, Single base, Single top, Single z0, Single z1, Integer slices, bool inside)
{
  if (z1 <= z0)
    return;
  gluQuadricOrientation(q, inside ? GLU_INSIDE : GLU_OUTSIDE);
  glPushMatrix();
  glTranslatef(0, 0, z0);
  gluCylinder(q, base, top, z1 - z0, slices, 1);
  glPopMatrix();
}

void QuadricDisk(GLUquadric* q, Single inner, Single outer, Single z, Integer slices, bool facingBack)
{
  if (outer <= inner)
    return;
  gluQuadricOrientation(q, facingBack ? GLU_INSIDE : GLU_OUTSIDE);
  glPushMatrix();
  glTranslatef(0, 0, z);
  gluDisk(q, inner, outer, slices, 1);
  glPopMatrix();
}

}   // namespace

bool TVPulley::IsClosedSolid() const
{
  const bool rims = (Faces & vpfFrontRim) && (Faces & vpfBackRim);
  const bool webs = (Faces & vpfFrontWeb) && (Faces & vpfBackWeb);
  // One web with the inner wall is a cup: looking into it shows the web's back.
  const bool noWeb = !(Faces & (vpfFrontWeb | vpfBackWeb));
  return rims && (webs || ((Faces & vpfInnerWall) && noWeb));
}

void TVPulley::BuildList(TRenderContextInfo&)
{
  Single ra = SafeSingle(RadiusA), rb = SafeSingle(RadiusB), h = SafeSingle(Width) / 2;
  Single ri = SafeSingle(InnerRadius);
  if (ri < 0)
    ri = 0;
  if (ri > rb)
    ri = rb;
  Integer slices = SafeCount(Slices, 3);
  GLUquadric* q = gluNewQuadric();
  if (!q)
    return;
  gluQuadricNormals(q, GLU_SMOOTH);
  if (GrooveKind == 0) {
    QuadricCylinder(q, ra, rb, -h, 0, slices, false);
    QuadricCylinder(q, rb, ra, 0, h, slices, false);
  } else {
    Single f = 0.12f * 2 * h;   // flange thickness
    QuadricCylinder(q, ra, ra, -h, -h + f, slices, false);
    QuadricCylinder(q, ra, ra, h - f, h, slices, false);
    QuadricDisk(q, rb, ra, -h + f, slices, false);
    QuadricDisk(q, rb, ra, h - f, slices, true);
    QuadricCylinder(q, rb, rb, -h + f, h - f, slices, false);
  }
  if (Faces & vpfFrontRim)
    QuadricDisk(q, ri, ra, h, slices, false);
  if (Faces & vpfBackRim)
    QuadricDisk(q, ri, ra, -h, slices, true);
  if (Faces & vpfFrontWeb)
    QuadricDisk(q, 0, ri, h, slices, false);
  if (Faces & vpfBackWeb)
    QuadricDisk(q, 0, ri, -h, slices, true);
  if (Faces & vpfInnerWall)
    QuadricCylinder(q, ri, ri, -h, h, slices, true);
  gluDeleteQuadric(q);
}
