#include "parts/RopeParts.h"

#include <cmath>

#include "engine/OpenGL1x.h"
#include "platform/SysUtils.h"

namespace {

// The angle at which the effort run leaves the top sheave, and the run's length at Extent 0.
constexpr Single LeadAngle = 0.349065f;
constexpr Single LeadLength = 0.5f;
// The longest coil a helix draws, in segments.
constexpr Integer MaxHelixSegments = 4 * MaxPartSegments;

}   // namespace

// --- TRope -------------------------------------------------------------------------------

TRope::TRope(TGLBaseSceneObject* AOwner, Single SheaveRadius, Single SmallSheaveRadius, Single Drop, Single Thickness,
             Integer SheaveCount, Integer Sides, Integer ArcSegments)
    : TGLSceneObject(AOwner), SheaveRadius(SheaveRadius), SmallSheaveRadius(SmallSheaveRadius),
      SheaveCount(SheaveCount), Drop(Drop), ArcSegments(ArcSegments), Sides(Sides), Thickness(Thickness)
{
  BuildSection(Sides);
}

void TRope::BuildSection(Integer sides)
{
  Section = MakeTubeSection(sides, Thickness / 2);
  FSectionSides = Sides;
  FSectionThickness = Thickness;
}

void TRope::SetExtent(Single Value)
{
  if (Value == Extent)
    return;
  Extent = Value;
  StructureChanged();
}

void TRope::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TRope*>(&Source)) {
    SheaveRadius = s->SheaveRadius;
    SmallSheaveRadius = s->SmallSheaveRadius;
    SheaveCount = s->SheaveCount;
    Drop = s->Drop;
    ArcSegments = s->ArcSegments;
    Sides = s->Sides;
    Thickness = s->Thickness;
    EndDrop = s->EndDrop;
    // The table belongs to the section size, which may have changed.
    BuildSection(Sides);
  }
  TGLSceneObject::Assign(Source);
}

void TRope::Arc(Single rho0, Single y0, Single a0, Single a1)
{
  const Integer n = FArcSteps;
  const Single step = (a1 - a0) / n;
  for (Integer i = 0; i < n; ++i)
    DrawTubeStrip(Section, ArcStation(0, y0, 0, rho0, a0 + i * step),
                  ArcStation(0, y0, 0, rho0, i + 1 == n ? a1 : a0 + (i + 1) * step));
}

void TRope::VerticalRun(Single x, Single y1, Single y2)
{
  DrawTubeStrip(Section, {{-x, y1, 0}, {-1, 0, 0}}, {{-x, y2, 0}, {-1, 0, 0}});
}

void TRope::Straight(Single yc, Single rho0, Single lambda, Single dx, Single dy)
{
  TTubeStation a = ArcStation(0, yc, 0, rho0, lambda), b = a;
  b.Centre[0] += dx;
  b.Centre[1] += dy;
  DrawTubeStrip(Section, a, b);
}

void TRope::BuildList(TRenderContextInfo&)
{
  // At most four arcs and four straight runs: fine arcs round a fine section are drawn
  // coarser together.
  Integer sides = SafeCount(Sides);
  FArcSteps = SafeCount(ArcSegments);
  LimitGrid(FArcSteps, sides, MaxTubeQuads / 8);
  // Sides or Thickness written directly since the table was made, or fewer sides drawn.
  if (FSectionSides != Sides || FSectionThickness != Thickness || Section.size() != size_t(sides) + 1)
    BuildSection(sides);
  const Single A = SheaveRadius, B = SmallSheaveRadius, E = Extent;
  // Effort run: from the hand up to the top sheave, tangent to it at the lead angle.
  {
    TTubeStation sheave = ArcStation(0, 0, 0, A, LeadAngle), hand = sheave;
    Single s, c;
    SinCos(LeadAngle, s, c);
    hand.Centre[0] += (LeadLength + E) * s;
    hand.Centre[1] -= (LeadLength + E) * c;
    DrawTubeStrip(Section, hand, sheave);
  }
  Arc(A, 0, LeadAngle, cPI);
  switch (SheaveCount) {
  case 2: {
    const Single h = Drop - E / 2;
    VerticalRun(A, 0, -h);
    const Single H = h - A - 0.05f;
    const Single beta = ArcSinRatio(A, H);
    Arc(A, -h, cPI, 2 * cPI + beta);
    Straight(-h, A, beta, -A, H);
    break;
  }
  case 3: {
    const Single h = Drop - E / 3;
    VerticalRun(A, 0, -h);
    const Single gamma = ArcSinRatio(A - B, h - 2 * A);
    Arc(A, -h, cPI, 2 * cPI + gamma);
    // Tangent from the lower sheave to the small top sheave: both touch at gamma.
    Single sg, cg;
    SinCos(gamma, sg, cg);
    Straight(-h, A, gamma, -(A - B) * cg, (h - 2 * A) - (A - B) * sg);
    const Single fall = h - 3 * A - 0.05f;
    const Single delta = cPI + ArcSinRatio(B, fall);
    Arc(B, -2 * A, gamma, delta);
    Straight(-2 * A, B, delta, B, -fall);
    break;
  }
  case 4: {
    const Single h = Drop - E / 4;
    VerticalRun(A, 0, -h);
    VerticalRun(B, -2 * A, 2 * A - h);
    const Single gamma = ArcSinRatio(A - B, h - 2 * A);
    Single sg, cg;
    SinCos(gamma, sg, cg);
    Straight(-h, A, gamma, -(A - B) * cg, (h - 2 * A) - (A - B) * sg);
    Arc(A, -h, cPI, 2 * cPI + gamma);
    Arc(B, -2 * A, gamma, cPI);
    const Single fall = h - 4 * A - B - 0.05f;
    const Single delta = ArcSinRatio(B, fall);
    Arc(B, 2 * A - h, cPI, 2 * cPI + delta);
    Straight(2 * A - h, B, delta, -B, fall);
    break;
  }
  default: VerticalRun(A, 0, E - Drop - EndDrop); break;
  }
}

// --- TWestonRope -------------------------------------------------------------------------

namespace {

// The chain path's pieces at one angle: the cumulative lengths and the ends of the straights.
struct TWestonPath {
  Single A, B, C, E, s0, Dh, Rm, hm, beta;
  Single s[8];   // s[k]: where piece k + 1 begins (s[0] unused)
  Single Lt;
  TAffineVector P1, BendStart, Q1, P2, SmallStart, P3, LowStart, P4, LargeStart;
};

TWestonPath WestonPath(const TWestonRope& w)
{
  TWestonPath p{};
  const Single th = w.Angle * cPIdiv180;
  p.A = w.LargeRadius;
  p.B = w.SmallRadius;
  p.C = w.PulleyRadius;
  p.E = w.Offset;
  p.s0 = p.A * th;
  const Single rise = th * (p.A - p.B) / 2;
  const Single Ls = 0.4f + rise;
  p.Dh = w.Drop - rise;
  p.Rm = (p.A + p.B) / 2;
  p.hm = (p.A - p.B) / 2;
  p.beta = ArcSinRatio(p.Rm - p.C, p.Dh);
  const Single c45 = std::cos(cPI / 4), s45 = std::sin(cPI / 4);
  Single sb, cb;
  SinCos(p.beta, sb, cb);
  p.P1 = {p.A * c45, p.A * s45, -p.E};
  p.Q1 = {Ls * s45 + p.hm * c45, -Ls * c45 + p.hm * s45, -p.E};
  p.BendStart = {p.Q1[0] + p.Rm * c45, p.Q1[1] + p.Rm * s45, -p.E};
  p.P2 = {p.Q1[0] - p.Rm * c45, p.Q1[1] - p.Rm * s45, -p.E};
  // The small sheave's arc begins where the rising straight ends, at 5pi/4.
  p.SmallStart = {-p.B * c45, -p.B * s45, p.E};
  p.P3 = {p.B * cb, -p.B * sb, p.E};
  p.LowStart = {p.C * cb - p.hm, -p.C * sb - p.Dh, 0};
  p.P4 = {-p.hm - p.C * cb, -p.Dh - p.C * sb, 0};
  p.LargeStart = {-p.A * cb, -p.A * sb, -p.E};
  p.s[1] = Ls;
  p.s[2] = p.s[1] + cPI * p.Rm;
  p.s[3] = p.s[2] + Ls;
  p.s[4] = p.s[3] + (cPI + cPI / 4 + p.beta) * p.B;
  p.s[5] = p.s[4] + p.Dh * cb;
  p.s[6] = p.s[5] + (cPI - 2 * p.beta) * p.C;
  p.s[7] = p.s[6] + p.Dh * cb;
  p.Lt = p.s[7] + (cPI - cPI / 4 + p.beta) * p.A;
  return p;
}

// A straight between two fixed ends, walked by arc length over its nominal length.
TAffineVector Between(const TAffineVector& a, const TAffineVector& b, Single u, Single length)
{
  Single t = length > 0 ? u / length : 0;
  return VectorLerp(a, b, t);
}

TAffineVector WestonPoint(const TWestonPath& p, Single s)
{
  auto onCircle = [](Single cx, Single cy, Single z, Single r, Single phi) {
    Single sn, cs;
    SinCos(phi, sn, cs);
    return TAffineVector{cx + r * cs, cy + r * sn, z};
  };
  if (s < p.s[1])
    return Between(p.P1, p.BendStart, s, p.s[1]);
  if (s < p.s[2])
    return onCircle(p.Q1[0], p.Q1[1], -p.E, p.Rm, cPI / 4 - (s - p.s[1]) / p.Rm);
  if (s < p.s[3])
    return Between(p.P2, p.SmallStart, s - p.s[2], p.s[3] - p.s[2]);
  if (s < p.s[4])
    return onCircle(0, 0, p.E, p.B, cPI + cPI / 4 - (s - p.s[3]) / p.B);
  if (s <= p.s[5])
    return Between(p.P3, p.LowStart, s - p.s[4], p.s[5] - p.s[4]);
  if (s < p.s[6])
    return onCircle(-p.hm, -p.Dh, 0, p.C, -p.beta - (s - p.s[5]) / p.C);
  if (s < p.s[7])
    return Between(p.P4, p.LargeStart, s - p.s[6], p.s[7] - p.s[6]);
  return onCircle(0, 0, -p.E, p.A, cPI + p.beta - (s - p.s[7]) / p.A);
}

}   // namespace

TWestonRope::TWestonRope(TGLBaseSceneObject* AOwner, Single LargeRadius, Single SmallRadius, Single PulleyRadius,
                         Single Drop, Single Offset)
    : TGLSceneObject(AOwner), LargeRadius(LargeRadius), SmallRadius(SmallRadius), PulleyRadius(PulleyRadius),
      Drop(Drop), Offset(Offset)
{
  BuildOutlines();
}

void TWestonRope::BuildOutlines()
{
  const Single L = LinkLength, w = LinkWidth / 2, t = WireThickness, h = t / 2;
  const Single outer[8][2] = {{-t, w - t},       {-t, -(w - t)}, {0, -w}, {L, -w},
                              {L + t, -(w - t)}, {L + t, w - t}, {L, w},  {0, w}};
  const Single inner[8][2] = {{0, h},  {0, -h}, {h, -(w - t)},  {L - h, -(w - t)},
                              {L, -h}, {L, h},  {L - h, w - t}, {h, w - t}};
  for (int k = 0; k < 8; ++k) {
    UprightLink[k] = {TAffineVector{outer[k][0], outer[k][1], h}, TAffineVector{inner[k][0], inner[k][1], h},
                      TAffineVector{outer[k][0], outer[k][1], -h}, TAffineVector{inner[k][0], inner[k][1], -h}};
    FlatLink[k] = {TAffineVector{outer[k][0], h, outer[k][1]}, TAffineVector{inner[k][0], h, inner[k][1]},
                   TAffineVector{outer[k][0], -h, outer[k][1]}, TAffineVector{inner[k][0], -h, inner[k][1]}};
  }
}

void TWestonRope::SetAngle(Single Value)
{
  if (Value == Angle)
    return;
  Angle = Value;
  StructureChanged();
}

void TWestonRope::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TWestonRope*>(&Source)) {
    LargeRadius = s->LargeRadius;
    SmallRadius = s->SmallRadius;
    PulleyRadius = s->PulleyRadius;
    Drop = s->Drop;
    Offset = s->Offset;
    LinkLength = s->LinkLength;
    LinkWidth = s->LinkWidth;
    // The outlines follow the link sizes just copied.
    BuildOutlines();
  }
  TGLSceneObject::Assign(Source);
}

Single TWestonRope::PathLength() const { return WestonPath(*this).Lt; }

TAffineVector TWestonRope::PathPoint(Single s) const { return WestonPoint(WestonPath(*this), s); }

TGLVertexArray TWestonRope::Path() const
{
  const TWestonPath p = WestonPath(*this);
  if (!(p.Lt > 0) || !std::isfinite(p.Lt))
    return {};
  Integer n = SafeCountF(LinkLength > 0 ? p.Lt / LinkLength : 2.0, 2);
  if (n % 2)
    ++n;   // flat and upright links alternate all round the loop
  const Single S = p.Lt / n;
  TGLVertexArray points(size_t(n) + 1);
  for (Integer i = 0; i <= n; ++i) {
    Single s = i * S + p.s0;
    if (s > p.Lt || s < 0)
      s = WrapPositive(s, p.Lt);
    points[size_t(i)] = WestonPoint(p, s);
  }
  return points;
}

void TWestonRope::DrawLink(const TLinkOutline& k, bool flat) const
{
  // The upright link's normals; the flat one swaps Y and Z.
  auto normal = [flat](Single x, Single y, Single z) {
    if (flat)
      EmitNormal(x, z, y);
    else
      EmitNormal(x, y, z);
  };
  // Swapping Y and Z mirrors the flat link, which would turn its faces' winding inside out:
  // each pair of a strip goes the other way round there, so both forms face outwards.
  auto pair = [flat](const TAffineVector& a, const TAffineVector& b) {
    EmitVertex(flat ? b : a);
    EmitVertex(flat ? a : b);
  };
  glBegin(GL_TRIANGLE_STRIP);
  normal(0, 0, 1);
  for (int e = 0; e <= 8; ++e)
    pair(k[e % 8][1], k[e % 8][0]);
  glEnd();
  glBegin(GL_TRIANGLE_STRIP);
  normal(0, 0, -1);
  for (int e = 0; e <= 8; ++e)
    pair(k[e % 8][2], k[e % 8][3]);
  glEnd();
  static const Single outerN[8][2] = {{-1, 0}, {-0.5f, -0.5f}, {0, -1}, {0.5f, -0.5f},
                                      {1, 0},  {0.5f, 0.5f},   {0, 1},  {-0.5f, 0.5f}};
  glBegin(GL_TRIANGLE_STRIP);
  for (int e = 0; e < 8; ++e) {
    normal(outerN[e][0], outerN[e][1], 0);
    pair(k[e][0], k[e][2]);
    pair(k[(e + 1) % 8][0], k[(e + 1) % 8][2]);
  }
  glEnd();
  static const Single innerN[8][2] = {{1, 0},  {0.5f, 0.5f},   {0, 1},  {-0.5f, 0.5f},
                                      {-1, 0}, {-0.5f, -0.5f}, {0, -1}, {0.5f, -0.5f}};
  glBegin(GL_TRIANGLE_STRIP);
  for (int e = 0; e <= 8; ++e) {
    normal(innerN[e % 8][0], innerN[e % 8][1], 0);
    pair(k[e % 8][3], k[e % 8][1]);
  }
  glEnd();
}

void TWestonRope::BuildList(TRenderContextInfo&)
{
  const TGLVertexArray points = Path();
  if (points.size() < 2)
    return;
  const Single S = WestonPath(*this).Lt / Single(points.size() - 1);
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    const TAffineVector d = VectorSubtract(points[i + 1], points[i]);
    const Single az = std::atan2(d[1], d[0]) * c180divPI;
    const Single ay = std::atan2(d[2], S) * c180divPI;
    glPushMatrix();
    glTranslatef(points[i][0], points[i][1], points[i][2]);
    glRotatef(ay, 0, 1, 0);
    glRotatef(az, 0, 0, 1);
    DrawLink(i % 2 == 0 ? UprightLink : FlatLink, i % 2 != 0);
    glPopMatrix();
  }
}

// --- THelix ------------------------------------------------------------------------------

THelix::THelix(TGLBaseSceneObject* AOwner, Single CoilRadius, Single WireRadius, Single Pitch, Single Turns,
               Integer SegmentsPerTurn, Integer Sides)
    : TGLSceneObject(AOwner), CoilRadius(CoilRadius), WireRadius(WireRadius), SegmentsPerTurn(SegmentsPerTurn),
      Sides(Sides), Turns(Turns), Pitch(Pitch)
{}

void THelix::SetEnds(Byte Value)
{
  if (Value == Ends)
    return;
  Ends = Value;
  StructureChanged();
}

void THelix::SetTurns(Single Value)
{
  if (Value == Turns)
    return;
  Turns = Value;
  StructureChanged();
}

void THelix::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const THelix*>(&Source)) {
    CoilRadius = s->CoilRadius;
    WireRadius = s->WireRadius;
    SegmentsPerTurn = s->SegmentsPerTurn;
    Sides = s->Sides;
    Turns = s->Turns;
    Pitch = s->Pitch;
    Ends = s->Ends;
  }
  TGLSceneObject::Assign(Source);
}

void THelix::BuildList(TRenderContextInfo&)
{
  Integer N = SafeCount(SegmentsPerTurn), S = SafeCount(Sides);
  const Single Rc = CoilRadius;
  // Negative, NaN or endless turns draw as the nearest coil that can be drawn.
  Single turns = std::isnan(Turns) || Turns < 0 ? 0 : Turns;
  if (turns * N > MaxHelixSegments)
    turns = Single(MaxHelixSegments) / N;
  // Fine steps along many turns round a fine wire are drawn coarser together: fewer steps
  // per turn, or fewer sides once the turns alone are many.
  Integer M = SafeSteps(double(N) * turns, 0, MaxHelixSegments);
  while (static_cast<long long>(M + 1) * S > MaxTubeQuads) {
    if (N > 1 && N >= S)
      N = (N + 1) / 2;
    else
      S = std::max<Integer>(2, (S + 1) / 2);
    M = SafeSteps(double(N) * turns, 0, MaxHelixSegments);
    if (N == 1 && S == 2)
      break;
  }
  const TTubeSectionArray wire = MakeTubeSection(S, WireRadius);
  const Single dz = Pitch / N, dth = 2 * cPI / N, thEnd = 2 * cPI * turns;
  if (InSet(Ends, 0)) {
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, -1, 0);
    glVertex3f(Rc, 0, 0);
    for (const TTubeSection& e : wire)
      glVertex3f(Rc + e.RC, 0, e.RS);
    glEnd();
  }
  Single tha = 0;
  for (Integer j = 0; j <= M; ++j) {
    const Single thb = j == M ? thEnd : tha + dth;
    const Single z = j * dz;
    DrawTubeStrip(wire, ArcStation(0, 0, z, Rc, tha), ArcStation(0, 0, z + dz, Rc, thb));
    tha = thb;
  }
  if (InSet(Ends, 1)) {
    const Single ze = (M + 1) * dz;
    Single s, c;
    SinCos(thEnd, s, c);
    glBegin(GL_TRIANGLE_FAN);
    EmitNormal(-s, c, 0);
    glVertex3f(Rc * c, Rc * s, ze);
    for (auto it = wire.rbegin(); it != wire.rend(); ++it)
      glVertex3f((Rc + it->RC) * c, (Rc + it->RC) * s, ze + it->RS);
    glEnd();
  }
}
