#include "parts/ScrewParts.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "parts/PartHelpers.h"
#include "platform/SysUtils.h"

namespace {

// The longest thread a screw draws, in segments.
constexpr Integer MaxScrewSegments = 16 * MaxPartSegments;

// Rings of profile points along a thread, and the angle table they were placed with.
struct TThreadRings {
  Integer N = 2, T = 2, H = 1;
  std::vector<Single> Sin, Cos;
  std::vector<std::array<TAffineVector, 5>> Ring;
};

TThreadRings PrepareRings(const TScrew& s)
{
  TThreadRings r;
  r.N = SafeCount(s.SegmentsPerTurn, 2);
  const Integer turns = std::clamp(s.Turns, 1, std::max(1, MaxScrewSegments / r.N));
  r.T = r.N * turns;
  r.H = r.N / 2;
  r.Sin.resize(size_t(r.N));
  r.Cos.resize(size_t(r.N));
  const double step = 2 * M_PI / r.N;
  for (Integer k = 0; k < r.N; ++k) {
    const double a = s.LeftHanded ? k * step : -k * step;
    r.Sin[size_t(k)] = Single(std::sin(a));
    r.Cos[size_t(k)] = Single(std::cos(a));
  }
  r.Ring.resize(size_t(r.T) + 1);
  return r;
}

// The profile offsets along the axis: crest start, crest end, root end.
void ProfileOffsets(TThreadProfile profile, Single D, Single W, Single& lo, Single& mid, Single& hi)
{
  const Single t = Single(std::tan(15.0L * M_PIl / 180.0L));
  switch (profile) {
  case tpVee:
    lo = W / 2;
    mid = W / 2;
    hi = W;
    break;
  case tpSquare:
    lo = 0;
    mid = W / 2;
    hi = W / 2;
    break;
  case tpButtress:
    lo = W / 2;
    mid = W / 2;
    hi = W / 2;
    break;
  default:
    lo = D * t;
    mid = W / 2;
    hi = W / 2 + D * t;
    break;
  }
}

// One band of the thread between profile points a and b of every ring; the normal is the
// face's own, or the radial (sign +1 outwards, -1 inwards) when radial is non-zero.
void DrawBand(const TThreadRings& r, int a, int b, int radial)
{
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer j = 0; j <= r.T; ++j) {
    const auto& ring = r.Ring[size_t(j)];
    if (j < r.T) {
      if (radial) {
        const Integer k = j % r.N;
        EmitNormal(0, radial * r.Sin[size_t(k)], radial * r.Cos[size_t(k)]);
      } else {
        EmitNormal(UnitPlaneNormal(ring[size_t(a)], ring[size_t(b)], r.Ring[size_t(j) + 1][size_t(b)]));
      }
    }
    EmitVertex(ring[size_t(a)]);
    EmitVertex(ring[size_t(b)]);
  }
  glEnd();
}

}   // namespace

// --- TScrew ------------------------------------------------------------------------------

TScrew::TScrew(TGLBaseSceneObject* AOwner, Single Radius, Single ThreadDepth, Single Pitch, Single ThreadWidth,
               Integer Turns, Integer SegmentsPerTurn)
    : TGLSceneObject(AOwner), Radius(Radius), ThreadDepth(ThreadDepth), Pitch(Pitch), ThreadWidth(ThreadWidth),
      SegmentsPerTurn(SegmentsPerTurn), Turns(Turns)
{}

void TScrew::SetOption1(TThreadProfile Value)
{
  if (Value == Profile)
    return;
  Profile = Value;
  StructureChanged();
}

void TScrew::SetThreadStyle(bool Value)
{
  if (Value == InternalThread)
    return;
  InternalThread = Value;
  StructureChanged();
}

void TScrew::SetParts(TScrewParts Value)
{
  if (Value == Parts)
    return;
  Parts = Value;
  StructureChanged();
}

void TScrew::SetOption4(bool Value)
{
  if (Value == LeftHanded)
    return;
  LeftHanded = Value;
  StructureChanged();
}

void TScrew::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TScrew*>(&Source)) {
    Radius = s->Radius;
    ThreadDepth = s->ThreadDepth;
    Pitch = s->Pitch;
    ThreadWidth = s->ThreadWidth;
    SegmentsPerTurn = s->SegmentsPerTurn;
    Turns = s->Turns;
    Profile = s->Profile;
    InternalThread = s->InternalThread;
    Parts = s->Parts;
    LeftHanded = s->LeftHanded;
  }
  TGLSceneObject::Assign(Source);
}

bool TScrew::IsClosedSolid() const
{
  const bool start = InSet(Parts, spStartCap) || InSet(Parts, spRunIn);
  const bool end = InSet(Parts, spEndCap) || InSet(Parts, spRunOut);
  return !InternalThread && start && end;
}

void TScrew::BuildList(TRenderContextInfo&)
{
  if (InternalThread)
    BuildInternal();
  else
    BuildExternal();
}

void TScrew::BuildExternal()
{
  TThreadRings r = PrepareRings(*this);
  const Single R = Radius, D = ThreadDepth, dz = Pitch / r.N;
  Single lo, mid, hi;
  ProfileOffsets(Profile, D, ThreadWidth, lo, mid, hi);
  Single Rc = R + D;
  for (Integer j = 0; j <= r.T; ++j) {
    if (InSet(Parts, spRunIn) && j <= r.H)
      Rc = R + j * (D / r.H);
    if (InSet(Parts, spRunOut) && j > r.T - r.H)
      Rc = Rc - D / r.H;
    const Integer k = j % r.N;
    const Single x = j * dz, s = r.Sin[size_t(k)], c = r.Cos[size_t(k)];
    auto& ring = r.Ring[size_t(j)];
    ring[0] = {x, R * s, R * c};
    ring[1] = {x + lo, Rc * s, Rc * c};
    ring[2] = {x + mid, Rc * s, Rc * c};
    ring[3] = {x + hi, R * s, R * c};
  }
  // A left-handed thread is the mirror image: each strip's vertex order swaps so that the
  // faces still look outwards.
  const bool L = LeftHanded;
  DrawBand(r, L ? 0 : 1, L ? 1 : 0, 0);
  DrawBand(r, L ? 2 : 3, L ? 3 : 2, 0);
  if (Profile == tpSquare || Profile >= tpAcme)
    DrawBand(r, L ? 1 : 2, L ? 2 : 1, 1);
  // The caps lie in the plane of angle 0 and face away from the thread, which leaves that
  // plane towards -Y (right-handed) or +Y (left-handed).
  const Single side = L ? -1.0f : 1.0f;
  auto cap = [&](const std::array<TAffineVector, 5>& ring, Single ny, bool forward) {
    glBegin(GL_QUADS);
    glNormal3f(0, ny, 0);
    for (int i = 0; i < 4; ++i)
      EmitVertex(ring[size_t(forward ? i : 3 - i)]);
    glEnd();
  };
  if (InSet(Parts, spStartCap))
    cap(r.Ring.front(), side, !L);
  if (InSet(Parts, spEndCap))
    cap(r.Ring.back(), -side, L);
}

void TScrew::BuildInternal()
{
  TThreadRings r = PrepareRings(*this);
  const Single R = Radius, D = ThreadDepth, W = ThreadWidth, dz = Pitch / r.N;
  Single lo, mid, hi;
  ProfileOffsets(Profile, D, W, lo, mid, hi);
  Single Rb = R;
  for (Integer j = 0; j <= r.T; ++j) {
    if (InSet(Parts, spRunIn) && j <= r.H)
      Rb = (R + D) - j * (D / r.H);
    if (InSet(Parts, spRunOut) && j >= r.T - r.H)
      Rb = R + (j - (r.T - r.H)) * (D / r.H);
    const Integer k = j % r.N;
    const Single x = j * dz, s = r.Sin[size_t(k)], c = r.Cos[size_t(k)];
    auto& ring = r.Ring[size_t(j)];
    ring[0] = {x, Rb * s, Rb * c};
    ring[1] = {x + lo, (R + D) * s, (R + D) * c};
    ring[2] = {x + mid, (R + D) * s, (R + D) * c};
    ring[3] = {x + hi, Rb * s, Rb * c};
    ring[4] = {x + W, Rb * s, Rb * c};
  }
  const bool L = LeftHanded;
  DrawBand(r, L ? 1 : 0, L ? 0 : 1, 0);
  DrawBand(r, L ? 3 : 2, L ? 2 : 3, 0);
  if (Profile != tpVee)
    DrawBand(r, L ? 4 : 3, L ? 3 : 4, -1);
}

// --- THexNut -----------------------------------------------------------------------------

THexNut::THexNut(TGLBaseSceneObject* AOwner, Single Radius, Single HoleRadius, Single Thickness)
    : TGLSceneObject(AOwner), Radius(Radius), HoleRadius(HoleRadius), Thickness(Thickness)
{}

void THexNut::SetSolid(bool Value)
{
  if (Value == Solid)
    return;
  Solid = Value;
  StructureChanged();
}

void THexNut::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const THexNut*>(&Source)) {
    Radius = s->Radius;
    HoleRadius = s->HoleRadius;
    Thickness = s->Thickness;
  }
  TGLSceneObject::Assign(Source);
}

void THexNut::BuildList(TRenderContextInfo&)
{
  const Single h = Thickness / 2;
  TGLVertexArray top(13), bottom(13);
  for (int k = 0; k <= 12; k += 2) {
    Single s, c;
    SinCos((k / 2 % 6) * 60 * cPIdiv180, s, c);
    top[size_t(k)] = {Radius * c, Radius * s, h};
    bottom[size_t(k)] = {Radius * c, Radius * s, -h};
  }
  for (int k = 1; k < 12; k += 2) {
    top[size_t(k)] = VectorLerp(top[size_t(k) - 1], top[size_t(k) + 1], 0.5f);
    bottom[size_t(k)] = VectorLerp(bottom[size_t(k) - 1], bottom[size_t(k) + 1], 0.5f);
  }
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i < 6; ++i) {
    Single s, c;
    SinCos((30 + 60 * i) * cPIdiv180, s, c);
    glNormal3f(c, s, 0);
    EmitVertex(top[size_t(2 * i)]);
    EmitVertex(bottom[size_t(2 * i)]);
    EmitVertex(top[size_t(2 * i + 2)]);
    EmitVertex(bottom[size_t(2 * i + 2)]);
  }
  glEnd();
  if (Solid) {
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, 1);
    glVertex3f(0, 0, h);
    for (int k = 0; k <= 12; k += 2)
      EmitVertex(top[size_t(k)]);
    glEnd();
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, -1);
    glVertex3f(0, 0, -h);
    for (int k = 12; k >= 0; k -= 2)
      EmitVertex(bottom[size_t(k)]);
    glEnd();
    return;
  }
  TGLVertexArray holeTop(37), holeBottom(37);
  for (int i = 0; i <= 36; ++i) {
    Single s, c;
    SinCos((i % 36) * 10 * cPIdiv180, s, c);
    holeTop[size_t(i)] = {HoleRadius * c, HoleRadius * s, h};
    holeBottom[size_t(i)] = {HoleRadius * c, HoleRadius * s, -h};
  }
  for (int k = 0; k < 12; ++k) {
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, 1);
    EmitVertex(top[size_t(k)]);
    EmitVertex(top[size_t(k) + 1]);
    for (int i = 3 * (k + 1); i >= 3 * k; --i)
      EmitVertex(holeTop[size_t(i)]);
    glEnd();
  }
  for (int k = 0; k < 12; ++k) {
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(0, 0, -1);
    EmitVertex(bottom[size_t(k)]);
    for (int i = 3 * k; i <= 3 * (k + 1); ++i)
      EmitVertex(holeBottom[size_t(i)]);
    EmitVertex(bottom[size_t(k) + 1]);
    glEnd();
  }
  glBegin(GL_TRIANGLE_STRIP);
  for (int i = 0; i <= 36; ++i) {
    EmitNormal(-holeTop[size_t(i)][0], -holeTop[size_t(i)][1], 0);
    EmitVertex(holeBottom[size_t(i)]);
    EmitVertex(holeTop[size_t(i)]);
  }
  glEnd();
}

// --- TSquareNut --------------------------------------------------------------------------

TSquareNut::TSquareNut(TGLBaseSceneObject* AOwner, Single Size, Single HoleRadius, Single Thickness, Integer Segments)
    : TGLSceneObject(AOwner), HoleRadius(HoleRadius), Size(Size), Thickness(Thickness), Segments(Segments)
{}

void TSquareNut::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TSquareNut*>(&Source)) {
    HoleRadius = s->HoleRadius;
    Size = s->Size;
    Thickness = s->Thickness;
    Segments = s->Segments;
  }
  TGLSceneObject::Assign(Source);
}

void TSquareNut::BuildList(TRenderContextInfo&)
{
  const Integer M = SafeCount(Segments, 4) / 4 * 4;
  const Single s = Size / 2, h = Thickness / 2, step = 2 * cPI / M;
  // Only the M + 1 points of the circle are drawn, whatever Segments holds beyond M.
  TGLVertexArray top(size_t(M) + 1), bottom(size_t(M) + 1);
  for (Integer i = 0; i <= M; ++i) {
    Single sn, cs;
    SinCos(i * step, sn, cs);
    top[size_t(i)] = {HoleRadius * cs, HoleRadius * sn, h};
    bottom[size_t(i)] = {HoleRadius * cs, HoleRadius * sn, -h};
  }
  glBegin(GL_QUADS);
  glNormal3f(-1, 0, 0);
  glVertex3f(-s, -s, -h);
  glVertex3f(-s, -s, h);
  glVertex3f(-s, s, h);
  glVertex3f(-s, s, -h);
  glNormal3f(1, 0, 0);
  glVertex3f(s, -s, -h);
  glVertex3f(s, s, -h);
  glVertex3f(s, s, h);
  glVertex3f(s, -s, h);
  glNormal3f(0, 1, 0);
  glVertex3f(-s, s, -h);
  glVertex3f(-s, s, h);
  glVertex3f(s, s, h);
  glVertex3f(s, s, -h);
  glNormal3f(0, -1, 0);
  glVertex3f(-s, -s, -h);
  glVertex3f(s, -s, -h);
  glVertex3f(s, -s, h);
  glVertex3f(-s, -s, h);
  glEnd();
  // Corner q covers the hole's quarter from angle (q + 1) 90 down to q 90 degrees.
  const Single corner[4][2] = {{s, s}, {-s, s}, {-s, -s}, {s, -s}};
  const Single before[4][2] = {{0, s}, {-s, 0}, {0, -s}, {s, 0}};
  const Single after[4][2] = {{s, 0}, {0, s}, {-s, 0}, {0, -s}};
  for (int face = 0; face < 2; ++face) {
    const Single z = face == 0 ? h : -h;
    const TGLVertexArray& hole = face == 0 ? top : bottom;
    for (int q = 0; q < 4; ++q) {
      TGLVertexArray ring;
      ring.push_back({before[q][0], before[q][1], z});
      for (Integer i = (q + 1) * M / 4; i >= q * M / 4; --i)
        ring.push_back(hole[size_t(i)]);
      ring.push_back({after[q][0], after[q][1], z});
      ring.push_back({corner[q][0], corner[q][1], z});
      if (face == 0)
        DrawFrontFan({corner[q][0], corner[q][1], z}, ring);
      else
        DrawBackFan({corner[q][0], corner[q][1], z}, ring);
    }
  }
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer i = 0; i <= M; ++i) {
    EmitNormal(-top[size_t(i)][0], -top[size_t(i)][1], 0);
    EmitVertex(bottom[size_t(i)]);
    EmitVertex(top[size_t(i)]);
  }
  glEnd();
}

// --- TPartialTorus -----------------------------------------------------------------------

TPartialTorus::TPartialTorus(TGLBaseSceneObject* AOwner, Single MajorRadius, Single MinorRadius, Single StartAngle,
                             Single EndAngle, Integer Segments, Integer Sides)
    : TGLSceneObject(AOwner), MajorRadius(MajorRadius), MinorRadius(MinorRadius), Segments(Segments), Sides(Sides),
      StartAngle(StartAngle * cPIdiv180), EndAngle(EndAngle * cPIdiv180)
{}

void TPartialTorus::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TPartialTorus*>(&Source)) {
    MajorRadius = s->MajorRadius;
    MinorRadius = s->MinorRadius;
    Segments = s->Segments;
    Sides = s->Sides;
    StartAngle = s->StartAngle;
    EndAngle = s->EndAngle;
  }
  TGLSceneObject::Assign(Source);
}

void TPartialTorus::BuildList(TRenderContextInfo&)
{
  Integer n = SafeCount(Segments), sides = SafeCount(Sides);
  LimitGrid(n, sides);
  const TTubeSectionArray tube = MakeTubeSection(sides, MinorRadius);
  const Single dth = (EndAngle - StartAngle) / n;
  Single th0 = StartAngle;
  for (Integer i = 0; i < n; ++i) {
    const Single th1 = th0 + dth;
    DrawTubeStrip(tube, ArcStation(0, 0, 0, MajorRadius, th0), ArcStation(0, 0, 0, MajorRadius, th1));
    th0 = th1;
  }
}
