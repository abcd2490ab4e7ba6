#include "parts/RatchetParts.h"

#include <cmath>

#include "parts/PartHelpers.h"
#include "platform/SysUtils.h"

// --- TRatchet ----------------------------------------------------------------------------

TRatchet::TRatchet(TGLBaseSceneObject* AOwner, Single Pitch, Single ToothDepth, Single Thickness, Integer Teeth)
    : TGLSceneObject(AOwner), Pitch(Pitch), ToothDepth(ToothDepth), Thickness(Thickness), Teeth(Teeth)
{}

void TRatchet::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TRatchet*>(&Source)) {
    Teeth = s->Teeth;
    Pitch = s->Pitch;
    ToothDepth = s->ToothDepth;
    Thickness = s->Thickness;
    SideColour = s->SideColour;
    SideColoured = s->SideColoured;
  }
  TGLSceneObject::Assign(Source);
}

void TRatchet::BuildList(TRenderContextInfo&)
{
  const Integer teeth = SafeCount(Teeth);
  const Single R = teeth * Pitch / (2 * cPI), r0 = R - ToothDepth, h = ToothDepth / 3;
  const Single a = 2 * cPI / teeth, z = Thickness / 2;
  const Integer n = 4 * teeth;
  TGLVertexArray front(n + 1), back(n + 1);
  auto put = [&](Integer i, Single r, Single angle) {
    Single s, c;
    SinCos(angle, s, c);
    front[i] = {r * c, r * s, z};
    back[i] = {r * c, r * s, -z};
  };
  for (Integer k = 0; k < teeth; ++k) {
    Single t = k * a;
    put(4 * k, r0, t);
    put(4 * k + 1, R, t);
    put(4 * k + 2, R - h, t + a / 3);
    put(4 * k + 3, r0 + h, t + 2 * a / 3);
  }
  front[n] = front[0];
  back[n] = back[0];
  DrawFrontFan({0, 0, z}, front);
  DrawBackFan({0, 0, -z}, back);
  // The radial face and the last piece of each back get hard edges; the two back pieces
  // share their middle vertex's normal.
  glBegin(GL_TRIANGLE_STRIP);
  for (Integer i = 0; i < n; ++i) {
    EmitNormal(UnitPlaneNormal(front[i], back[i], back[i + 1]));
    EmitVertex(front[i]);
    EmitVertex(back[i]);
    if (i % 4 == 0 || i % 4 == 3) {
      EmitVertex(front[i + 1]);
      EmitVertex(back[i + 1]);
    }
  }
  EmitVertex(front[n]);
  EmitVertex(back[n]);
  glEnd();
}

// --- TPawl -------------------------------------------------------------------------------

TPawl::TPawl(TGLBaseSceneObject* AOwner, Single HookHalfWidth, Single TipHeight, Single BossRadius, Single Length,
             Single Thickness, Integer Segments)
    : TGLSceneObject(AOwner), TipHeight(TipHeight), HookHalfWidth(HookHalfWidth), BossRadius(BossRadius),
      Length(Length), Thickness(Thickness), Segments(Segments), HookRadius(2 * BossRadius)
{}

void TPawl::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TPawl*>(&Source)) {
    TipHeight = s->TipHeight;
    HookHalfWidth = s->HookHalfWidth;
    BossRadius = s->BossRadius;
    Length = s->Length;
    Thickness = s->Thickness;
    Segments = s->Segments;
  }
  TGLSceneObject::Assign(Source);
}

TGLVertexArray TPawl::Outline() const
{
  const double A = TipHeight, B = HookHalfWidth, C = BossRadius, D = Length, F = HookRadius;
  const Integer S = SafeCount(Segments);
  const double L = std::sqrt(A * A + B * B);
  const double alpha = ArcSinRatio(B, F);
  const double beta = std::atan2(C - L, D);
  const double c = F * std::cos(alpha), d = D - B;
  const double gamma = ArcCosRatio(C, D - L) - M_PI / 2;
  const double step = (M_PI + gamma + beta) / S;
  const double delta = std::atan2(B, A) - beta;
  // A tip or hook arc shorter than one boss step still gets one step; a vanishing step
  // cannot blow the counts up.
  const Integer kT = SafeCountF(step != 0 ? delta / step : 1);
  const Integer kH = SafeCountF(step != 0 ? 2 * alpha / step : 1);
  const double sT = delta / kT, sH = 2 * alpha / kH;
  TGLVertexArray p;
  p.reserve(size_t(S + kT + kH + 4));
  auto add = [&](double x, double y) { p.push_back({Single(x), Single(y), 0}); };
  for (Integer i = 0; i <= S; ++i) {
    double t = i * step - (gamma + M_PI / 2);
    add(C * std::cos(t), C * std::sin(t));
  }
  for (Integer j = 0; j <= kT; ++j) {
    double u = j * sT + M_PI / 2 + beta;
    add(L * std::cos(u) - d, L * std::sin(u));
  }
  add(-D, 0);
  for (Integer j = 0; j <= kH; ++j) {
    double v = alpha + M_PI / 2 - j * sH;
    add(F * std::cos(v) - d, F * std::sin(v) - c);
  }
  p.back() = p.front();
  return p;
}

void TPawl::BuildList(TRenderContextInfo&)
{
  const TGLVertexArray outline = Outline();
  const Single h = Thickness / 2;
  const Single d = Length - HookHalfWidth;
  const Single L = std::sqrt(TipHeight * TipHeight + HookHalfWidth * HookHalfWidth);
  const TGLVertexArray front = LiftOutline(outline, h), back = LiftOutline(outline, -h);
  DrawFrontFan({-d, 0.9f * L, h}, front);
  DrawBackFan({-d, 0.9f * L, -h}, back);
  TSideColourScope band(SideColoured, SideColour);
  DrawRowStrip(front, back, 0, front.size() - 1);
}
