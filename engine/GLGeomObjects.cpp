#include "engine/GLGeomObjects.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Sine and cosine of the slices' angles, 0..slices inclusive. Angles run from +Z towards
// +X, so walking them is counter-clockwise seen from +Y.
void SliceTable(Integer slices, std::vector<Single>& s, std::vector<Single>& c)
{
  s.resize(size_t(slices) + 1);
  c.resize(size_t(slices) + 1);
  for (Integer i = 0; i <= slices; ++i)
    SinCos(2 * cPI * (i % slices) / slices, s[size_t(i)], c[size_t(i)]);
}

// A band round the axis between heights y0 (radius r0) and y1 (radius r1), y1 > y0, its
// normals pointing away from the axis (outward) or towards it, each strip wound
// counter-clockwise seen from the side its normals face.
void SideBand(Single y0, Single r0, Single y1, Single r1, Integer stacks, bool outward, const std::vector<Single>& s,
              const std::vector<Single>& c)
{
  const Integer slices = Integer(s.size()) - 1;
  const Single h = std::fabs(y1 - y0);
  const Single sign = outward ? 1.f : -1.f;
  for (Integer j = 0; j < stacks; ++j) {
    const Single ya = y0 + (y1 - y0) * j / stacks, yb = y0 + (y1 - y0) * (j + 1) / stacks;
    const Single ra = r0 + (r1 - r0) * j / stacks, rb = r0 + (r1 - r0) * (j + 1) / stacks;
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= slices; ++i) {
      const Single si = s[size_t(i)], ci = c[size_t(i)];
      TAffineVector n{si * h, r0 - r1, ci * h};
      if (!(VectorLength(n) > 0))
        n = {si, 0, ci};
      n = VectorScale(VectorNormalize(n), sign);
      const Single tx = Single(i) / slices;
      glNormal3fv(n.data());
      // Upper edge first for outward faces, lower first for inward ones.
      if (outward) {
        glTexCoord2f(tx, Single(j + 1) / stacks);
        glVertex3f(rb * si, yb, rb * ci);
        glTexCoord2f(tx, Single(j) / stacks);
        glVertex3f(ra * si, ya, ra * ci);
      } else {
        glTexCoord2f(tx, Single(j) / stacks);
        glVertex3f(ra * si, ya, ra * ci);
        glTexCoord2f(tx, Single(j + 1) / stacks);
        glVertex3f(rb * si, yb, rb * ci);
      }
    }
    glEnd();
  }
}

// A flat ring (or disc when inner is 0) at height y between two radii, facing +Y (up) or
// -Y, in `loops` concentric bands.
void FlatRing(Single y, Single inner, Single outer, Integer loops, bool up, const std::vector<Single>& s,
              const std::vector<Single>& c)
{
  if (!(outer > inner))
    return;
  const Integer slices = Integer(s.size()) - 1;
  const Single ny = up ? 1.f : -1.f;
  const Single texScale = outer > 0 ? 0.5f / outer : 0;
  for (Integer k = 0; k < loops; ++k) {
    const Single ra = inner + (outer - inner) * k / loops, rb = inner + (outer - inner) * (k + 1) / loops;
    glNormal3f(0, ny, 0);
    if (ra <= 0) {
      glBegin(GL_TRIANGLE_FAN);
      glTexCoord2f(0.5f, 0.5f);
      glVertex3f(0, y, 0);
      for (Integer i = 0; i <= slices; ++i) {
        const Integer m = up ? i : slices - i;
        const Single si = s[size_t(m)], ci = c[size_t(m)];
        glTexCoord2f(0.5f + si * rb * texScale, 0.5f + ci * rb * texScale);
        glVertex3f(rb * si, y, rb * ci);
      }
      glEnd();
      continue;
    }
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= slices; ++i) {
      const Integer m = up ? i : slices - i;
      const Single si = s[size_t(m)], ci = c[size_t(m)];
      // Inner then outer is counter-clockwise from above when walking the angles upwards.
      glTexCoord2f(0.5f + si * ra * texScale, 0.5f + ci * ra * texScale);
      glVertex3f(ra * si, y, ra * ci);
      glTexCoord2f(0.5f + si * rb * texScale, 0.5f + ci * rb * texScale);
      glVertex3f(rb * si, y, rb * ci);
    }
    glEnd();
  }
}

}   // namespace

// --- TCylinderBase -----------------------------------------------------------------------

void TCylinderBase::SetBottomRadius(Single v) { SetShapeSize(this, FBottomRadius, v); }

void TCylinderBase::SetHeight(Single v) { SetShapeSize(this, FHeight, v); }

void TCylinderBase::SetSlices(Integer v) { SetShapeValue(this, FSlices, std::clamp<Integer>(v, 3, 1000)); }

void TCylinderBase::SetStacks(Integer v) { SetShapeValue(this, FStacks, std::clamp<Integer>(v, 1, 1000)); }

void TCylinderBase::SetLoops(Integer v) { SetShapeValue(this, FLoops, std::clamp<Integer>(v, 1, 1000)); }

void TCylinderBase::SetNormalDirection(TNormalDirection v) { SetShapeValue(this, FNormalDirection, v); }

void TCylinderBase::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TCylinderBase*>(&src); c && c != this) {
    FBottomRadius = c->FBottomRadius;
    FHeight = c->FHeight;
    FSlices = c->FSlices;
    FStacks = c->FStacks;
    FLoops = c->FLoops;
    FNormalDirection = c->FNormalDirection;
  }
  TGLSceneObject::Assign(src);
}

// --- TCylinder ---------------------------------------------------------------------------

TCylinder::TCylinder(TGLBaseSceneObject* AOwner, Single bottomRadius, Single topRadius, Single height, Integer slices,
                     Integer stacks, Integer loops, TCylinderParts parts, TNormalDirection normals)
    : TCylinderBase(AOwner)
{
  SetBottomRadius(bottomRadius);
  SetTopRadius(topRadius);
  SetHeight(height);
  SetSlices(slices);
  SetStacks(stacks);
  SetLoops(loops);
  FParts = parts & cyAll;
  FNormalDirection = normals;
}

std::unique_ptr<TCylinder> TCylinder::CreateSized(TGLBaseSceneObject* AOwner, Single bottomRadius, Single topRadius,
                                                  Single height, Integer slices, Integer stacks, Integer loops,
                                                  TCylinderParts parts, TNormalDirection normals)
{
  return std::make_unique<TCylinder>(AOwner, bottomRadius, topRadius, height, slices, stacks, loops, parts, normals);
}

void TCylinder::SetTopRadius(Single v) { SetShapeSize(this, FTopRadius, v); }

void TCylinder::SetParts(TCylinderParts v) { SetShapeValue(this, FParts, TCylinderParts(v & cyAll)); }

void TCylinder::BuildList(TRenderContextInfo&)
{
  std::vector<Single> s, c;
  SliceTable(FSlices, s, c);
  const bool out = FNormalDirection == ndOutside;
  const Single y0 = -FHeight / 2, y1 = FHeight / 2;
  if ((FParts & cySides) && (FBottomRadius > 0 || FTopRadius > 0))
    SideBand(y0, FBottomRadius, y1, FTopRadius, FStacks, out, s, c);
  if (FParts & cyBottom)
    FlatRing(y0, 0, FBottomRadius, FLoops, !out, s, c);
  if (FParts & cyTop)
    FlatRing(y1, 0, FTopRadius, FLoops, out, s, c);
}

bool TCylinder::IsClosedSolid() const { return FParts == cyAll && FNormalDirection == ndOutside; }

void TCylinder::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TCylinder*>(&src); c && c != this) {
    FTopRadius = c->FTopRadius;
    FParts = c->FParts;
  }
  TCylinderBase::Assign(src);
}

// --- TAnnulus ----------------------------------------------------------------------------

bool TAnnulus::IsClosedSolid() const { return FParts == anAll && FNormalDirection == ndOutside; }

TAnnulus::TAnnulus(TGLBaseSceneObject* AOwner) : TCylinderBase(AOwner) { FStacks = 1; }

TAnnulus::TAnnulus(TGLBaseSceneObject* AOwner, Single topRadius, Single topInnerRadius, Single bottomRadius,
                   Single bottomInnerRadius, Single height, TAnnulusParts parts)
    : TAnnulus(AOwner)
{
  SetTopRadius(topRadius);
  SetTopInnerRadius(topInnerRadius);
  SetBottomRadius(bottomRadius);
  SetBottomInnerRadius(bottomInnerRadius);
  SetHeight(height);
  FParts = parts & anAll;
}

std::unique_ptr<TAnnulus> TAnnulus::CreateSized(TGLBaseSceneObject* AOwner, Single topRadius, Single topInnerRadius,
                                                Single bottomRadius, Single bottomInnerRadius, Single height,
                                                TAnnulusParts parts)
{
  return std::make_unique<TAnnulus>(AOwner, topRadius, topInnerRadius, bottomRadius, bottomInnerRadius, height, parts);
}

void TAnnulus::SetTopRadius(Single v) { SetShapeSize(this, FTopRadius, v); }

void TAnnulus::SetTopInnerRadius(Single v) { SetShapeSize(this, FTopInnerRadius, v); }

void TAnnulus::SetBottomInnerRadius(Single v) { SetShapeSize(this, FBottomInnerRadius, v); }

void TAnnulus::SetParts(TAnnulusParts v) { SetShapeValue(this, FParts, TAnnulusParts(v & anAll)); }

void TAnnulus::BuildList(TRenderContextInfo&)
{
  std::vector<Single> s, c;
  SliceTable(FSlices, s, c);
  const bool out = FNormalDirection == ndOutside;
  const Single y0 = -FHeight / 2, y1 = FHeight / 2;
  if ((FParts & anOuterSides) && (FBottomRadius > 0 || FTopRadius > 0))
    SideBand(y0, FBottomRadius, y1, FTopRadius, FStacks, out, s, c);
  if ((FParts & anInnerSides) && (FBottomInnerRadius > 0 || FTopInnerRadius > 0))
    SideBand(y0, FBottomInnerRadius, y1, FTopInnerRadius, FStacks, !out, s, c);
  if (FParts & anBottom)
    FlatRing(y0, FBottomInnerRadius, FBottomRadius, FLoops, !out, s, c);
  if (FParts & anTop)
    FlatRing(y1, FTopInnerRadius, FTopRadius, FLoops, out, s, c);
}

void TAnnulus::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TAnnulus*>(&src); c && c != this) {
    FTopRadius = c->FTopRadius;
    FTopInnerRadius = c->FTopInnerRadius;
    FBottomInnerRadius = c->FBottomInnerRadius;
    FParts = c->FParts;
  }
  TCylinderBase::Assign(src);
}

// --- TFrustrum ---------------------------------------------------------------------------

void TFrustrum::SetBaseWidth(Single v) { SetShapeSize(this, FBaseWidth, v); }

void TFrustrum::SetBaseDepth(Single v) { SetShapeSize(this, FBaseDepth, v); }

void TFrustrum::SetHeight(Single v) { SetShapeSize(this, FHeight, v); }

void TFrustrum::SetApexHeight(Single v)
{
  if (std::isfinite(v) && v > 0)
    SetShapeValue(this, FApexHeight, v);
}

void TFrustrum::SetNormalDirection(TNormalDirection v) { SetShapeValue(this, FNormalDirection, v); }

Single TFrustrum::TopWidth() const { return std::max<Single>(0, FBaseWidth * (FApexHeight - FHeight) / FApexHeight); }

Single TFrustrum::TopDepth() const { return std::max<Single>(0, FBaseDepth * (FApexHeight - FHeight) / FApexHeight); }

void TFrustrum::BuildList(TRenderContextInfo&)
{
  // A cut at or above the apex leaves the whole pyramid, up to the apex.
  const Single h = std::min(FHeight, FApexHeight);
  const Single bw = FBaseWidth / 2, bd = FBaseDepth / 2, tw = TopWidth() / 2, td = TopDepth() / 2;
  const bool out = FNormalDirection == ndOutside;
  const Single s = out ? 1.f : -1.f;
  // Base corners b and cut corners t, counter-clockwise from above starting at front left.
  const TAffineVector b[4] = {{-bw, 0, bd}, {bw, 0, bd}, {bw, 0, -bd}, {-bw, 0, -bd}};
  const TAffineVector t[4] = {{-tw, h, td}, {tw, h, td}, {tw, h, -td}, {-tw, h, -td}};
  // Outward normals of the front, right, back and left walls: each leans out by half the
  // shrink of its side over the height.
  const TAffineVector wall[4] = {VectorNormalize(TAffineVector{0, bd - td, h}),
                                 VectorNormalize(TAffineVector{h, bw - tw, 0}),
                                 VectorNormalize(TAffineVector{0, bd - td, -h}),
                                 VectorNormalize(TAffineVector{-h, bw - tw, 0})};
  auto quad = [&](const TAffineVector& n, const TAffineVector& p0, const TAffineVector& p1, const TAffineVector& p2,
                  const TAffineVector& p3) {
    glNormal3f(s * n[0], s * n[1], s * n[2]);
    const TAffineVector* v[4] = {&p0, &p1, &p2, &p3};
    static const Single tex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k) {
      const int i = out ? k : 3 - k;
      glTexCoord2f(tex[i][0], tex[i][1]);
      glVertex3fv(v[i]->data());
    }
  };
  if (!(VectorLength(wall[0]) > 0) || !(VectorLength(wall[1]) > 0))
    return;   // nothing but a flat rectangle
  glBegin(GL_QUADS);
  for (int k = 0; k < 4; ++k) {
    const int n = (k + 1) % 4;
    quad(wall[k], b[k], b[n], t[n], t[k]);
  }
  quad({0, -1, 0}, b[3], b[2], b[1], b[0]);
  if (tw > 0 && td > 0)
    quad({0, 1, 0}, t[0], t[1], t[2], t[3]);
  glEnd();
}

void TFrustrum::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TFrustrum*>(&src); c && c != this) {
    FBaseWidth = c->FBaseWidth;
    FBaseDepth = c->FBaseDepth;
    FHeight = c->FHeight;
    FApexHeight = c->FApexHeight;
    FNormalDirection = c->FNormalDirection;
  }
  TGLSceneObject::Assign(src);
}

// --- TTorus ------------------------------------------------------------------------------

void TTorus::SetMajorRadius(Single v) { SetShapeSize(this, FMajorRadius, v); }

void TTorus::SetMinorRadius(Single v) { SetShapeSize(this, FMinorRadius, v); }

void TTorus::SetRings(Integer v) { SetShapeValue(this, FRings, std::clamp<Integer>(v, 3, 1000)); }

void TTorus::SetSides(Integer v) { SetShapeValue(this, FSides, std::clamp<Integer>(v, 3, 1000)); }

void TTorus::BuildList(TRenderContextInfo&)
{
  std::vector<Single> ss(size_t(FSides) + 1), sc(size_t(FSides) + 1);
  for (Integer j = 0; j <= FSides; ++j)
    SinCos(2 * cPI * (j % FSides) / FSides, ss[size_t(j)], sc[size_t(j)]);
  for (Integer i = 0; i < FRings; ++i) {
    Single s0, c0, s1, c1;
    SinCos(2 * cPI * i / FRings, s0, c0);
    SinCos(2 * cPI * ((i + 1) % FRings) / FRings, s1, c1);
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer j = 0; j <= FSides; ++j) {
      const Single cs = sc[size_t(j)], sn = ss[size_t(j)];
      // The earlier ring first: counter-clockwise seen from outside the tube.
      glNormal3f(cs * c0, cs * s0, sn);
      glTexCoord2f(Single(i) / FRings, Single(j) / FSides);
      glVertex3f((FMajorRadius + FMinorRadius * cs) * c0, (FMajorRadius + FMinorRadius * cs) * s0, FMinorRadius * sn);
      glNormal3f(cs * c1, cs * s1, sn);
      glTexCoord2f(Single(i + 1) / FRings, Single(j) / FSides);
      glVertex3f((FMajorRadius + FMinorRadius * cs) * c1, (FMajorRadius + FMinorRadius * cs) * s1, FMinorRadius * sn);
    }
    glEnd();
  }
}

void TTorus::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TTorus*>(&src); c && c != this) {
    FMajorRadius = c->FMajorRadius;
    FMinorRadius = c->FMinorRadius;
    FRings = c->FRings;
    FSides = c->FSides;
  }
  TGLSceneObject::Assign(src);
}
