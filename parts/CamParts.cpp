// Cams, the crank web, the connecting rod and the piston.
#include <algorithm>
#include <cmath>

#include "parts/BasicParts.h"

// --- TCam ----------------------------------------------------------------------------------

TCam::TCam(TGLBaseSceneObject* AOwner, Single BaseRadius, Single NoseRadius, Single NoseDistance, Single Thickness,
           Integer Segments)
    : TGLSceneObject(AOwner), BaseRadius(BaseRadius), NoseRadius(NoseRadius), NoseDistance(NoseDistance),
      Thickness(Thickness), Segments(Segments)
{}

TGLVertexArray TCam::Outline(bool noseAlongPlusX) const
{
  Single rb = std::max(SafeSingle(BaseRadius), 0.0f), rn = std::max(SafeSingle(NoseRadius), 0.0f);
  Single d = std::max(SafeSingle(NoseDistance), 0.0f);
  Integer seg = SafeCount(Segments, 3);
  TGLVertexArray o;
  if (rb >= rn + d) {
    AppendArc(o, 0, 0, rb, 0, FullCircle, seg);
    o.pop_back();   // the circle closes on its first point
  } else if (rn >= rb + d) {
    AppendArc(o, d, 0, rn, 0, FullCircle, seg);
    o.pop_back();
  } else {
    // Both circles touch the flanks at the same polar angle +-phi, where cos phi = (Rb - Rn) / d.
    Single phi = ArcCos((rb - rn) / d);
    AppendArc(o, d, 0, rn, -phi, phi, seg);
    AppendArc(o, 0, 0, rb, phi, FullCircle - phi, seg);
  }
  if (!noseAlongPlusX)
    for (TAffineVector& p : o)
      p = {-p[0], -p[1], 0};
  return o;
}

void TCam::BuildList(TRenderContextInfo&)
{
  DrawExtrudedOutline(Outline(false), SafeSingle(Thickness) / 2, NullVector, true, SideColoured, SideColour);
}

void TBigEnd::BuildList(TRenderContextInfo&)
{
  DrawExtrudedOutline(Outline(true), SafeSingle(Thickness) / 2, NullVector, true, SideColoured, SideColour);
}

// --- THeartCam -----------------------------------------------------------------------------

THeartCam::THeartCam(TGLBaseSceneObject* AOwner, Single RisePerRadian, Single BaseRadius, Single Thickness,
                     Integer Segments)
    : TGLSceneObject(AOwner), RisePerRadian(RisePerRadian), BaseRadius(BaseRadius), Thickness(Thickness),
      Segments(Segments)
{}

Single THeartCam::RadiusAt(Single angle) const
{
  Single a = std::fmod(SafeSingle(angle), FullCircle);
  if (a < 0)
    a += FullCircle;
  if (a > cPI)
    a = FullCircle - a;
  return BaseRadius + RisePerRadian * a;
}

TGLVertexArray THeartCam::Outline() const
{
  Integer seg = SafeCount(Segments, 2);
  TGLVertexArray o;
  o.reserve(size_t(seg) * 2);
  for (Integer i = 0; i <= seg; ++i) {
    Single a = cPI * Single(i) / Single(seg);
    Single s, c, r = SafeSingle(RadiusAt(a));
    SinCos(a, s, c);
    o.push_back({r * c, r * s, 0});
  }
  // The lower half mirrors the upper one.
  for (Integer i = seg - 1; i >= 1; --i) {
    const TAffineVector& p = o[size_t(i)];
    o.push_back({p[0], -p[1], 0});
  }
  return o;
}

void THeartCam::BuildList(TRenderContextInfo&)
{
  DrawExtrudedOutline(Outline(), SafeSingle(Thickness) / 2, NullVector, true, SideColoured, SideColour);
}

// --- TCrankEx ------------------------------------------------------------------------------

TCrankEx::TCrankEx(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) {}

void TCrankEx::BuildList(TRenderContextInfo&)
{
  Integer seg = SafeCount(Segments, 3);
  Single len = SafeSingle(Length), h = SafeSingle(Thickness) / 2;
  Single rb = std::max(SafeSingle(BigEndRadius), 1e-3f), rs = std::max(SafeSingle(SmallEndRadius), 1e-3f);
  // Outline from big end to small end up +Y; the arm narrows towards the small end.
  TGLVertexArray outer;
  Single w = SafeSingle(ShankWidth) / 2;
  Single hb = std::min(w, 0.95f * rb), hs = std::min(0.7f * w, 0.95f * rs);
  Single ab = ArcSin(hb / rb), as = ArcSin(hs / rs);
  AppendArc(outer, 0, len, rs, -cPI / 2 + as, 1.5f * cPI - as, seg);
  AppendArc(outer, 0, 0, rb, cPI / 2 + ab, 2.5f * cPI - ab, seg);
  TGLVertexArray bigBore = CirclePoints(std::clamp(SafeSingle(BigEndBore), 1e-4f, 0.9f * rb), seg);
  TGLVertexArray smallBore = CirclePoints(std::clamp(SafeSingle(SmallEndBore), 1e-4f, 0.9f * rs), seg);
  for (TAffineVector& p : smallBore)
    p[1] += len;
  DrawExtrudedContours(outer, {bigBore, smallBore}, h);
  // The crank pin in the big end reaches out to the webs either side.
  Single pin = std::clamp(SafeSingle(BigEndBore), 1e-4f, 0.9f * rb);
  DrawRevolvedProfile({{0, -h - 0.03f, 0}, {pin, -h - 0.03f, 0}, {pin, h + 0.03f, 0}, {0, h + 0.03f, 0}}, seg);
}

// --- TPiston -------------------------------------------------------------------------------

TPiston::TPiston(TGLBaseSceneObject* AOwner, Single A, Single B, Single C, Single D, Single E, Integer Slices)
    : TGLSceneObject(AOwner), A(A), B(B), C(C), D(D), E(E), Slices(Slices)
{}

void TPiston::BuildList(TRenderContextInfo&)
{
  Single a = std::max(SafeSingle(A), 0.0f), e = std::clamp(SafeSingle(E), 0.0f, a);
  Single bottom = -SafeSingle(C), top = SafeSingle(D) - SafeSingle(C);
  Single crown = std::clamp(top - SafeSingle(B), bottom, top);
  Single g = e, groove = a - e / 2;
  Single g1 = top - 2 * e, g2 = top - 4 * e;
  TGLVertexArray profile{{a - e, bottom, 0}, {a, bottom, 0}};
  // Two ring grooves below the crown, where they fit above the skirt's foot.
  if (g2 - g > bottom && e > 0) {
    for (Single z : {g2, g1}) {
      profile.push_back({a, z - g, 0});
      profile.push_back({groove, z - g, 0});
      profile.push_back({groove, z, 0});
      profile.push_back({a, z, 0});
    }
  }
  profile.insert(profile.end(), {{a, top, 0}, {0, top, 0}, {0, crown, 0}, {a - e, crown, 0}, {a - e, bottom, 0}});
  // The piston's axis is its Y: the profile is revolved about Z turned onto Y.
  glPushMatrix();
  glRotatef(-90, 1, 0, 0);
  DrawRevolvedProfile(profile, SafeCount(Slices, 3));
  glPopMatrix();
}
