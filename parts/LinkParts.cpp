// Shafts, pins, link bars, crank arms and the boxes and brackets that hold them.
#include <algorithm>
#include <cmath>

#include "parts/BasicParts.h"

namespace {

// Pushes the corner arc, or the corner itself when the radius is nil.
void Corner(TGLVertexArray& points, Single cx, Single cy, Single r, Single a0, Single a1, Integer segments)
{
  if (r > 1e-6f)
    AppendArc(points, cx, cy, r, a0, a1, segments);
  else
    points.push_back({cx, cy, 0});
}

// Outline of two round bosses joined by a tapering arm: boss r1 at `a`, boss r2 at `b`
// (in the XY plane), arm width w1 at a and w2 at b, counter-clockwise.
TGLVertexArray BossedArm(const TAffineVector& a, const TAffineVector& b, Single r1, Single r2, Single w1, Single w2,
                         Integer segments)
{
  Single dx = b[0] - a[0], dy = b[1] - a[1];
  Single len = std::sqrt(dx * dx + dy * dy);
  Single dir = len > 0 ? std::atan2(dy, dx) : 0;
  r1 = std::max(r1, 1e-4f);
  r2 = std::max(r2, 1e-4f);
  Single h1 = std::min(w1 / 2, 0.95f * r1), h2 = std::min(w2 / 2, 0.95f * r2);
  Single a1 = ArcSin(h1 / r1), a2 = ArcSin(h2 / r2);
  TGLVertexArray r;
  // Round the far boss from the lower edge of the arm to its upper edge, then the near one.
  AppendArc(r, b[0], b[1], r2, dir - cPI + a2, dir + cPI - a2, segments);
  AppendArc(r, a[0], a[1], r1, dir + a1, dir + 2 * cPI - a1, segments);
  return r;
}

}   // namespace

// --- TSlotAxle -----------------------------------------------------------------------------

TSlotAxle::TSlotAxle(TGLBaseSceneObject* AOwner, Single Radius, Single Length, Single SlotWidth, Single SlotDepth,
                     Integer Slices)
    : TGLSceneObject(AOwner), Radius(Radius), Length(Length), SlotWidth(SlotWidth), SlotDepth(SlotDepth), Slices(Slices)
{}

TGLVertexArray TSlotAxle::Outline() const
{
  Single r = std::max(SafeSingle(Radius), 0.0f);
  Single w = std::clamp(SafeSingle(SlotWidth) / 2, 0.0f, 0.9f * r);
  Single d = std::clamp(SafeSingle(SlotDepth), 0.0f, 0.9f * r);
  Single corner = ArcSin(r > 0 ? w / r : 0);
  TGLVertexArray o;
  AppendArc(o, 0, 0, r, cPI / 2 + corner, cPI / 2 - corner + FullCircle, SafeCount(Slices, 3));
  if (w > 0 && d > 0) {
    o.push_back({w, r - d, 0});
    o.push_back({-w, r - d, 0});
  } else {
    o.pop_back();   // the circle closes on itself
  }
  return o;
}

void TSlotAxle::BuildList(TRenderContextInfo&) { DrawExtrudedPolygon(Outline(), SafeSingle(Length) / 2); }

// --- TLinkAxle -----------------------------------------------------------------------------

TLinkAxle::TLinkAxle(TGLBaseSceneObject* AOwner, Single Length, Single RadiusA, Single RadiusB, Single HeadThickness,
                     Integer Slices, Integer Mode)
    : TGLSceneObject(AOwner), Length(Length), RadiusA(RadiusA), RadiusB(RadiusB), HeadThickness(HeadThickness),
      Slices(Slices), Mode(Mode)
{}

void TLinkAxle::BuildList(TRenderContextInfo&)
{
  Single l = SafeSingle(Length) / 2, a = SafeSingle(RadiusA), b = SafeSingle(RadiusB);
  Single t = SafeSingle(HeadThickness);
  // The heads sit on the faces of the links the shank passes through.
  TGLVertexArray profile;
  if (Mode == 0) {
    profile = {{0, -l - t, 0}, {b, -l - t, 0}, {b, -l, 0}, {a, -l, 0}};
  } else {
    profile = {{0, -l, 0}, {a, -l, 0}};
  }
  profile.insert(profile.end(), {{a, l, 0}, {b, l, 0}, {b, l + t, 0}, {0, l + t, 0}});
  DrawRevolvedProfile(profile, SafeCount(Slices, 3));
}

// --- TLinkage ------------------------------------------------------------------------------

TLinkage::TLinkage(TGLBaseSceneObject* AOwner, Single EndRadius, Single Thickness, Single Length, Integer Segments)
    : TGLSceneObject(AOwner), EndRadius(EndRadius), Thickness(Thickness), Length(Length), Segments(Segments)
{
  SideColour = GreySideColour;
}

void TLinkage::Assign(const TGLBaseSceneObject& src)
{
  if (auto* l = dynamic_cast<const TLinkage*>(&src)) {
    EndRadius = l->EndRadius;
    Thickness = l->Thickness;
    Length = l->Length;
    Segments = l->Segments;
    Placement = l->Placement;
    SideColoured = l->SideColoured;
    SideColour = l->SideColour;
    StructureChanged();
  }
  TGLSceneObject::Assign(src);
}

void TLinkage::BuildList(TRenderContextInfo&)
{
  Single len = SafeSingle(Length), r = SafeSingle(EndRadius);
  Single x0 = -len, x1 = 0;
  if (Placement == lpCentred) {
    x0 = -len / 2;
    x1 = len / 2;
  } else if (Placement == lpFromOriginPlusX) {
    x0 = 0;
    x1 = len;
  }
  if (x1 < x0)
    std::swap(x0, x1);
  Integer seg = SafeCount(Segments, 2);
  TGLVertexArray outline;
  AppendArc(outline, x1, 0, r, -cPI / 2, cPI / 2, seg);
  AppendArc(outline, x0, 0, r, cPI / 2, 3 * cPI / 2, seg);
  DrawExtrudedOutline(outline, SafeSingle(Thickness) / 2, {(x0 + x1) / 2, 0, 0}, true, SideColoured, SideColour);
}

// --- TCrank --------------------------------------------------------------------------------

TCrank::TCrank(TGLBaseSceneObject* AOwner, Single BossRadius1, Single BossRadius2, Single ArmWidth1, Single ArmWidth2,
               Single Thickness, Single Length, Integer Segments)
    : TGLSceneObject(AOwner), BossRadius1(BossRadius1), BossRadius2(BossRadius2), ArmWidth1(ArmWidth1),
      ArmWidth2(ArmWidth2), Thickness(Thickness), Length(Length), Segments(Segments)
{}

TGLVertexArray TCrank::Outline() const
{
  return BossedArm({0, 0, 0}, {SafeSingle(Length), 0, 0}, SafeSingle(BossRadius1), SafeSingle(BossRadius2),
                   SafeSingle(ArmWidth1), SafeSingle(ArmWidth2), SafeCount(Segments, 2));
}

void TCrank::BuildList(TRenderContextInfo&) { DrawExtrudedPolygon(Outline(), SafeSingle(Thickness) / 2); }

// --- TOpenBox ------------------------------------------------------------------------------

TOpenBox::TOpenBox(TGLBaseSceneObject* AOwner, Single SizeX, Single SizeY, Single SizeZ, Single WallThickness)
    : TGLSceneObject(AOwner), SizeX(SizeX), SizeY(SizeY), SizeZ(SizeZ), WallThickness(WallThickness)
{}

void TOpenBox::SetStyle(Byte v)
{
  if (v == FStyle)
    return;
  FStyle = v;
  StructureChanged();
}

void TOpenBox::SetCornerRadius(Single v)
{
  FCornerRadius = v;
  FStyle = 2;
  StructureChanged();
}

void TOpenBox::SetCornerSegments(Integer v)
{
  FCornerSegments = v;
  FStyle = 2;
  StructureChanged();
}

void TOpenBox::SetSideColour(bool v)
{
  if (v == FSideColour)
    return;
  FSideColour = v;
  StructureChanged();
}

void TOpenBox::BuildList(TRenderContextInfo&)
{
  // The cross-section lies across Z and Y and runs along X: drawn in a frame turned about Y
  // so the section's x is the box's z and the extrusion its x.
  Single a = std::max(SafeSingle(SizeZ) / 2, 0.0f), b = std::max(SafeSingle(SizeY) / 2, 0.0f);
  Single t = std::clamp(SafeSingle(WallThickness), 0.0f, std::min(a, 2 * b));
  Single hx = SafeSingle(SizeX) / 2;
  if (a <= 0 || b <= 0 || t <= 0)
    return;
  glPushMatrix();
  glRotatef(90, 0, 1, 0);
  if (FStyle == 1) {
    // Two cheek plates.
    for (Single s : {1.0f, -1.0f}) {
      Single z0 = s > 0 ? a - t : -a, z1 = z0 + t;
      DrawExtrudedPolygon({{z0, -b, 0}, {z1, -b, 0}, {z1, b, 0}, {z0, b, 0}}, hx, FSideColour, SideColour);
    }
  } else if (FStyle == 2 || FStyle == 3) {
    // Cheeks joined by a floor at -Y, the corners rounded in style 2.
    Single ro = FStyle == 2 ? std::clamp(SafeSingle(FCornerRadius), 0.0f, std::min(a, 2 * b)) : 0.0f;
    Single ri = std::max(ro - t, 0.0f);
    Integer seg = SafeCount(FCornerSegments, 1);
    TGLVertexArray u{{a, b, 0}, {a - t, b, 0}};
    Corner(u, a - t - ri, -b + t + ri, ri, 0, -cPI / 2, seg);
    Corner(u, -a + t + ri, -b + t + ri, ri, -cPI / 2, -cPI, seg);
    u.push_back({-a + t, b, 0});
    u.push_back({-a, b, 0});
    Corner(u, -a + ro, -b + ro, ro, cPI, 1.5f * cPI, seg);
    Corner(u, a - ro, -b + ro, ro, -cPI / 2, 0, seg);
    DrawExtrudedPolygon(u, hx, FSideColour, SideColour);
  } else {
    // A square tube.
    TGLVertexArray outer{{a, -b, 0}, {a, b, 0}, {-a, b, 0}, {-a, -b, 0}};
    TGLVertexArray inner{{a - t, -b + t, 0}, {a - t, b - t, 0}, {-a + t, b - t, 0}, {-a + t, -b + t, 0}};
    DrawExtrudedRing(outer, inner, hx, FSideColour, SideColour);
  }
  glPopMatrix();
}

// --- TWheelBracket -------------------------------------------------------------------------

TWheelBracket::TWheelBracket(TGLBaseSceneObject* AOwner, Single SizeX, Single SizeY, Single SizeZ,
                             Single PlateThickness)
    : TGLSceneObject(AOwner), SizeX(SizeX), SizeY(SizeY), SizeZ(SizeZ), PlateThickness(PlateThickness)
{}

void TWheelBracket::BuildList(TRenderContextInfo&)
{
  Single w = std::max(SafeSingle(SizeX) / 2, 0.0f), b = SafeSingle(SizeY) / 2, c = SafeSingle(SizeZ) / 2;
  Single t = std::max(SafeSingle(PlateThickness), 0.0f);
  if (w <= 0 || t <= 0)
    return;
  // Each cheek hangs below the bridge with a round end round the roller's pin.
  TGLVertexArray cheek;
  AppendArc(cheek, 0, -b, w, cPI, 2 * cPI, 10);
  cheek.push_back({w, b, 0});
  cheek.push_back({-w, b, 0});
  for (Single s : {1.0f, -1.0f}) {
    glPushMatrix();
    glTranslatef(0, 0, s * (c - t / 2));
    DrawExtrudedPolygon(cheek, t / 2);
    glPopMatrix();
  }
  DrawBox({-w, b - t, -c}, {w, b, c});
}
