// Toothed wheels: spur, helical, bevel and worm gears, the rack and the worm.
#include <cmath>

#include "parts/BasicParts.h"

namespace {

// Tooth outline of the cog layout: 4n points, 90/n degrees apart from +X turned by `angle`
// radians, tip, tip, root, root for each tooth.
TGLVertexArray ToothOutline(Integer teeth, Single tip, Single root, Single angle, Single z = 0)
{
  Integer n = SafeCount(teeth, 3);
  Integer count = 4 * n;
  TGLVertexArray r;
  r.reserve(size_t(count));
  for (Integer j = 0; j < count; ++j) {
    Single s, c;
    SinCos(angle + FullCircle * Single(j) / Single(count), s, c);
    Single radius = (j % 4) < 2 ? tip : root;
    r.push_back({radius * c, radius * s, z});
  }
  return r;
}

TGLVertexArray Scaled(const TGLVertexArray& points, Single k, Single z)
{
  TGLVertexArray r(points);
  for (TAffineVector& p : r)
    p = {p[0] * k, p[1] * k, z};
  return r;
}

TGLVertexArray Closed(TGLVertexArray points)
{
  if (!points.empty())
    points.push_back(points.front());
  return points;
}

// A toothed ring or disc whose outline turns by `twist` radians from back to front, drawn
// in `layers` slices so the turned teeth look wound. The mid-plane keeps the plain layout.
void DrawToothedBody(Integer teeth, Single tip, Single root, Single thickness, Single bore, Single twist,
                     Integer layers)
{
  Single h = SafeSingle(thickness) / 2;
  tip = SafeSingle(tip);
  root = SafeSingle(root);
  bore = SafeSingle(bore);
  if (!std::isfinite(twist))
    twist = 0;
  if (twist == 0)
    layers = 1;
  layers = SafeCount(layers);
  auto outlineAt = [&](Integer i) {
    Single t = Single(i) / Single(layers);   // 0 front .. 1 back
    return ToothOutline(teeth, tip, root, twist * (0.5f - t), h - 2 * h * t);
  };
  TGLVertexArray front = outlineAt(0);
  TGLVertexArray back = outlineAt(layers);
  bool bored = bore > 1e-6f;
  if (bored) {
    TGLVertexArray boreFront = ToothOutline(teeth, bore, bore, twist * 0.5f, h);
    TGLVertexArray boreBack = ToothOutline(teeth, bore, bore, -twist * 0.5f, -h);
    // Front and back faces between the teeth and the bore (the ring helper wants one z).
    glBegin(GL_TRIANGLE_STRIP);
    glNormal3f(0, 0, 1);
    for (size_t i = 0; i <= front.size(); ++i) {
      size_t k = i % front.size();
      glVertex3fv(boreFront[k].data());
      glVertex3fv(front[k].data());
    }
    glEnd();
    glBegin(GL_TRIANGLE_STRIP);
    glNormal3f(0, 0, -1);
    for (size_t i = 0; i <= back.size(); ++i) {
      size_t k = i % back.size();
      glVertex3fv(back[k].data());
      glVertex3fv(boreBack[k].data());
    }
    glEnd();
    // The bore's wall joins the faces' inner edges point for point (turned with the twist),
    // so the body is closed and its back faces can be culled.
    TGLVertexArray bf = Closed(boreFront);
    TGLVertexArray bb = Closed(boreBack);
    std::reverse(bf.begin(), bf.end());
    std::reverse(bb.begin(), bb.end());
    DrawSideStrip(bf, bb);
  } else {
    DrawFrontFan({0, 0, h}, Closed(front));
    DrawBackFan({0, 0, -h}, Closed(back));
  }
  for (Integer i = 0; i < layers; ++i)
    DrawSideStrip(Closed(outlineAt(i)), Closed(outlineAt(i + 1)));
}

// A bevel gear: the cog outline of the big end (tip radius R at z = 0) carried towards the
// apex at (0, 0, R tan(cone)) for `face` along the cone, and a plate `back` deep behind it.
void DrawBevelBody(Integer teeth, Single radius, Single depth, Single coneDeg, Single face, Single back)
{
  radius = SafeSingle(radius);
  if (radius <= 0)
    return;
  Single cone = SafeSingle(coneDeg) * cPIdiv180;
  Single s, c;
  SinCos(cone, s, c);
  Single apex = c > 1e-4f ? radius * s / c : radius;
  Single coneLength = c > 1e-4f ? radius / c : radius;
  Single k = 1 - SafeDivide(SafeSingle(face), coneLength, 0.3f);
  if (k < 0.05f)
    k = 0.05f;
  if (k > 1)
    k = 1;
  TGLVertexArray big = ToothOutline(teeth, radius, radius - SafeSingle(depth), 0);
  TGLVertexArray small = Scaled(big, k, apex * (1 - k));
  TGLVertexArray plate = LiftOutline(big, -SafeSingle(back));
  DrawFrontFan({0, 0, apex * (1 - k)}, Closed(small));
  DrawSideStrip(Closed(small), Closed(big));
  if (back > 0)
    DrawSideStrip(Closed(big), Closed(plate));
  DrawBackFan({0, 0, -SafeSingle(back)}, Closed(plate));
}

}   // namespace

Single ToothedWheelRadius(Integer teeth, Single pitch) { return Single(teeth) * pitch / FullCircle; }

// --- TCog ----------------------------------------------------------------------------------

TCog::TCog(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single ToothDepth, Single Thickness,
           Single BoreRadius)
    : TGLSceneObject(AOwner), Teeth(Teeth), Pitch(Pitch), ToothDepth(ToothDepth), Thickness(Thickness),
      BoreRadius(BoreRadius)
{}

Single TCog::TipRadius() const { return ToothedWheelRadius(Teeth, Pitch); }

Single TCog::RootRadius() const { return TipRadius() - ToothDepth; }

TGLVertexArray TCog::Outline(Single angle) const { return ToothOutline(Teeth, TipRadius(), RootRadius(), angle); }

void TCog::BuildList(TRenderContextInfo&)
{
  DrawToothedBody(Teeth, TipRadius(), RootRadius(), Thickness, BoreRadius, 0, 1);
}

void THelicalGear::BuildList(TRenderContextInfo&)
{
  // Twist is tip arc, so gears of any size with opposite twists stay in mesh.
  Single twist = SafeDivide(Twist, TipRadius());
  DrawToothedBody(Teeth, TipRadius(), RootRadius(), Thickness, BoreRadius, twist, 8);
}

// --- bevel gears -------------------------------------------------------------------------

TBevelCog::TBevelCog(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single BackThickness, Single C,
                     Single ConeAngleDeg)
    : TGLSceneObject(AOwner), Teeth(Teeth), Pitch(Pitch), BackThickness(BackThickness), C(C), ConeAngleDeg(ConeAngleDeg)
{}

namespace {

Single BevelApexHeight(Single radius, Single coneDeg) { return radius * Tan(coneDeg * cPIdiv180); }

}   // namespace

Single TBevelCog::PitchRadius() const { return ToothedWheelRadius(Teeth, Pitch); }

Single TBevelCog::ApexHeight() const { return BevelApexHeight(PitchRadius(), ConeAngleDeg); }

void TBevelCog::BuildList(TRenderContextInfo&)
{
  DrawBevelBody(Teeth, PitchRadius(), Pitch / 2, ConeAngleDeg, C, BackThickness);
}

TBevelCogEx::TBevelCogEx(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single B, Single ConeAngleDeg)
    : TGLSceneObject(AOwner), Teeth(Teeth), Pitch(Pitch), B(B), ConeAngleDeg(ConeAngleDeg)
{}

Single TBevelCogEx::PitchRadius() const { return ToothedWheelRadius(Teeth, Pitch); }

Single TBevelCogEx::ApexHeight() const { return BevelApexHeight(PitchRadius(), ConeAngleDeg); }

void TBevelCogEx::BuildList(TRenderContextInfo&)
{
  Single s, c;
  SinCos(SafeSingle(ConeAngleDeg) * cPIdiv180, s, c);
  Single coneLength = c > 1e-4f ? PitchRadius() / c : PitchRadius();
  DrawBevelBody(Teeth, PitchRadius(), Pitch / 2, ConeAngleDeg, coneLength / 3, B);
}

// --- TRackGear -----------------------------------------------------------------------------

TRackGear::TRackGear(TGLBaseSceneObject* AOwner, Single Length, Single B, Single Thickness, Single Pitch,
                     Single ToothDepth, Integer Teeth)
    : TGLSceneObject(AOwner), Length(Length), B(B), Thickness(Thickness), Pitch(Pitch), ToothDepth(ToothDepth),
      Teeth(Teeth)
{}

Single TRackGear::FirstToothX() const
{
  // A cog turned -90 degrees shows the start of a tooth tip at its lowest point, so the
  // rack's gaps are centred an eighth of a pitch right of x = 0: tips start at -P/2 + kP.
  Single p = SafeSingle(Pitch);
  if (p <= 0)
    return 0;
  Single half = SafeSingle(Length) / 2;
  Single k = std::ceil((-half + p / 4 + p / 2) / p);
  return k * p - p / 2;
}

void TRackGear::BuildList(TRenderContextInfo&)
{
  Single p = SafeSingle(Pitch), d = SafeSingle(ToothDepth), half = SafeSingle(Length) / 2;
  Single bottom = -d - SafeSingle(B);
  TGLVertexArray top;   // left to right
  top.push_back({-half, -d, 0});
  if (p > 0) {
    Integer count = SafeCountF((2 * half) / p + 2, 0);
    Single x = FirstToothX();
    for (Integer k = 0; k < count && x + 0.75f * p <= half + 1e-6f; ++k, x += p) {
      top.push_back({x, 0, 0});
      top.push_back({x + 0.25f * p, 0, 0});
      top.push_back({x + 0.5f * p, -d, 0});
      top.push_back({x + 0.75f * p, -d, 0});
    }
  }
  top.push_back({half, -d, 0});
  TGLVertexArray outline{{-half, bottom, 0}, {half, bottom, 0}};
  for (auto it = top.rbegin(); it != top.rend(); ++it)
    if (!VectorEquals(*it, outline.back()))
      outline.push_back(*it);
  DrawExtrudedPolygon(outline, SafeSingle(Thickness) / 2);
}

// --- TWorm ---------------------------------------------------------------------------------

TWorm::TWorm(TGLBaseSceneObject* AOwner, Single RootRadius, Single ThreadDepth, Single Pitch, Single D, Single E,
             Integer Turns, Integer SegmentsPerTurn)
    : TGLSceneObject(AOwner), RootRadius(RootRadius), ThreadDepth(ThreadDepth), Pitch(Pitch), D(D), E(E), Turns(Turns),
      SegmentsPerTurn(SegmentsPerTurn)
{}

Single TWorm::LeadAngle(Single r) const { return std::atan2(Pitch, FullCircle * r); }

void TWorm::BuildList(TRenderContextInfo&)
{
  Integer turns = SafeCount(Turns);
  Integer perTurn = SafeCount(SegmentsPerTurn, 3);
  Integer steps = SafeCount(turns * perTurn);
  Single p = SafeSingle(Pitch), r0 = SafeSingle(RootRadius), r1 = r0 + SafeSingle(ThreadDepth);
  Single d2 = SafeSingle(D) / 2, e2 = SafeSingle(E) / 2;
  // Start so the thread's middle is under the axis (angle pi) at x = P/8 + kP.
  Single start = std::floor((-Single(turns) * p / 2 + 3 * p / 8) / (p > 0 ? p : 1) + 0.5f) * p - 3 * p / 8;
  // Profile across the thread: (offset along x, radius).
  const Single prof[4][2] = {{-d2, r0}, {-e2, r1}, {e2, r1}, {d2, r0}};
  // Outward normals of the three faces in (x, radial).
  const Single fn[3][2] = {{-(r1 - r0), d2 - e2}, {0, 1}, {r1 - r0, d2 - e2}};
  auto point = [&](Integer i, int k) {
    Single phi = FullCircle * Single(i) / Single(perTurn);
    Single s, c;
    SinCos(phi, s, c);
    Single x = start + p * Single(i) / Single(perTurn) + prof[k][0];
    return TAffineVector{x, prof[k][1] * c, prof[k][1] * s};
  };
  for (int f = 0; f < 3; ++f) {
    glBegin(GL_QUAD_STRIP);
    for (Integer i = 0; i <= steps; ++i) {
      Single s, c;
      SinCos(FullCircle * Single(i) / Single(perTurn), s, c);
      glNormal3f(fn[f][0], fn[f][1] * c, fn[f][1] * s);
      TAffineVector a = point(i, f), b = point(i, f + 1);
      glVertex3fv(a.data());
      glVertex3fv(b.data());
    }
    glEnd();
  }
  // End caps facing back along the thread.
  for (Integer i : {Integer(0), steps}) {
    Single s, c;
    SinCos(FullCircle * Single(i) / Single(perTurn), s, c);
    Single sign = i == 0 ? -1.0f : 1.0f;
    glBegin(GL_QUADS);
    glNormal3f(sign * p / FullCircle, sign * -s * r1, sign * c * r1);
    for (int k = 0; k < 4; ++k) {
      TAffineVector q = point(i, i == 0 ? 3 - k : k);
      glVertex3fv(q.data());
    }
    glEnd();
  }
}

// --- TWormWheel ----------------------------------------------------------------------------

TWormWheel::TWormWheel(TGLBaseSceneObject* AOwner, Integer Teeth, Single Pitch, Single ToothDepth, Single Thickness,
                       Single D, Single E)
    : TGLSceneObject(AOwner), Teeth(Teeth), Pitch(Pitch), ToothDepth(ToothDepth), Thickness(Thickness), D(D), E(E)
{}

void TWormWheel::BuildList(TRenderContextInfo&)
{
  Single tip = ToothedWheelRadius(Teeth, Pitch);
  // The back face is E ahead of the front: the front turns by -E against the back.
  DrawToothedBody(Teeth, tip, tip - ToothDepth, Thickness, D, -E, 8);
}
