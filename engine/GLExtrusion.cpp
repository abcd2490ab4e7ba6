#include "engine/GLExtrusion.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/Base/Spline.h"
#include "engine/GLTessellator.h"

namespace {

bool Finite(const TAffineVector& v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// Whether b repeats a (closer than a millionth of their size): such spans have no direction.
bool SamePoint(const TAffineVector& a, const TAffineVector& b)
{
  const Single scale = std::max({1.f, std::fabs(a[0]), std::fabs(a[1]), std::fabs(a[2])});
  return VectorDistance(a, b) <= 1e-6f * scale;
}

// Any unit vector perpendicular to the unit vector t.
TAffineVector Perpendicular(const TAffineVector& t)
{
  TAffineVector axis = XVector;
  if (std::fabs(t[1]) < std::fabs(t[0]) && std::fabs(t[1]) <= std::fabs(t[2]))
    axis = YVector;
  else if (std::fabs(t[2]) < std::fabs(t[0]))
    axis = ZVector;
  return VectorNormalize(VectorCrossProduct(t, axis));
}

Single SignedArea2D(const std::vector<TAffineVector>& poly)
{
  double a = 0;
  for (size_t i = 0, n = poly.size(); i < n; ++i) {
    const TAffineVector& p = poly[i];
    const TAffineVector& q = poly[(i + 1) % n];
    a += double(p[0]) * q[1] - double(q[0]) * p[1];
  }
  return Single(a / 2);
}

bool PointInPolygon2D(Single x, Single y, const std::vector<TAffineVector>& poly)
{
  bool inside = false;
  for (size_t i = 0, n = poly.size(), j = n - 1; i < n; j = i++) {
    const TAffineVector& a = poly[i];
    const TAffineVector& b = poly[j];
    if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0])
      inside = !inside;
  }
  return inside;
}

}   // namespace

// --- TPolygonBase ------------------------------------------------------------------------

TPolygonBase::TPolygonBase(TGLBaseSceneObject* AOwner) : TGLSceneObject(AOwner) { Init({}); }

TPolygonBase::TPolygonBase(TGLBaseSceneObject* AOwner, TGLNodes::TNodeFactory factory) : TGLSceneObject(AOwner)
{
  Init(std::move(factory));
}

void TPolygonBase::Init(TGLNodes::TNodeFactory factory)
{
  FNodes = std::make_unique<TGLNodes>(std::move(factory));
  FNodes->OnNotifyChange = [this] { StructureChanged(); };
}

void TPolygonBase::AddNode(Single x, Single y, Single z) { FNodes->AddNode(x, y, z); }

void TPolygonBase::AddNode(const TAffineVector& v) { FNodes->AddNode(v); }

void TPolygonBase::AddNodeVector(const TVector& v) { FNodes->AddNode(v[0], v[1], v[2]); }

void TPolygonBase::SetSplineMode(TLineSplineMode v) { SetShapeValue(this, FSplineMode, v); }

void TPolygonBase::SetDivision(Integer v) { SetShapeValue(this, FDivision, std::clamp<Integer>(v, 1, 100)); }

void TPolygonBase::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TPolygonBase*>(&src); c && c != this) {
    FNodes->Assign(*c->FNodes);
    FSplineMode = c->FSplineMode;
    FDivision = c->FDivision;
  }
  TGLSceneObject::Assign(src);
}

std::vector<TAffineVector> TPolygonBase::PathPoints(std::vector<Single>* params) const
{
  const std::vector<TAffineVector> nodes = FNodes->AsAffineVectors();
  std::vector<TAffineVector> out;
  if (params)
    params->clear();
  if (FSplineMode != lsmCubicSpline || nodes.size() < 3) {
    out = nodes;
    if (params)
      for (size_t i = 0; i < nodes.size(); ++i)
        params->push_back(Single(i));
    return out;
  }
  const TCubicSpline spline(nodes);
  const Integer spans = Integer(nodes.size()) - 1;
  out.reserve(size_t(spans * FDivision + 1));
  for (Integer i = 0; i < spans; ++i)
    for (Integer k = 0; k < FDivision; ++k) {
      const Single t = Single(i) + Single(k) / FDivision;
      out.push_back(spline.SplineAffineVector(t));
      if (params)
        params->push_back(t);
    }
  out.push_back(nodes.back());
  if (params)
    params->push_back(Single(spans));
  return out;
}

// --- TGLPipeNode -------------------------------------------------------------------------

void TGLPipeNode::SetRadiusFactor(Single v)
{
  if (!(v >= 0) || !std::isfinite(v) || v == FRadiusFactor)
    return;
  FRadiusFactor = v;
  NotifyChange();
}

void TGLPipeNode::Assign(const TGLNode& src)
{
  TGLNode::Assign(src);
  if (auto* p = dynamic_cast<const TGLPipeNode*>(&src))
    FRadiusFactor = p->FRadiusFactor;
}

// --- TPipe -------------------------------------------------------------------------------

TPipe::TPipe(TGLBaseSceneObject* AOwner)
    : TPolygonBase(AOwner, [](TGLNodes* owner) { return std::make_unique<TGLPipeNode>(owner); })
{}

void TPipe::SetRadius(Single v) { SetShapeSize(this, FRadius, v); }

void TPipe::SetSlices(Integer v) { SetShapeValue(this, FSlices, std::clamp<Integer>(v, 3, 1000)); }

void TPipe::SetParts(TPipeParts v) { SetShapeValue(this, FParts, TPipeParts(v & 15)); }

TGLPipeNode* TPipe::GetPipeNode(Integer index) const { return static_cast<TGLPipeNode*>(GetNodes().GetItem(index)); }

void TPipe::BuildList(TRenderContextInfo&)
{
  std::vector<Single> params;
  const std::vector<TAffineVector> raw = PathPoints(&params);
  const TGLNodes& nodes = GetNodes();
  auto factorAt = [&](Single t) {
    // Eased between nodes, so a swelling stays smooth along a spline without overshoot.
    const Integer n = nodes.GetCount();
    Integer i = std::clamp<Integer>(Integer(std::floor(t)), 0, n - 1);
    const Single f0 = static_cast<const TGLPipeNode*>(nodes.GetItem(i))->GetRadiusFactor();
    if (i + 1 >= n)
      return f0;
    const Single f1 = static_cast<const TGLPipeNode*>(nodes.GetItem(i + 1))->GetRadiusFactor();
    const Single u = std::clamp<Single>(t - Single(i), 0, 1);
    return f0 + (f1 - f0) * u * u * (3 - 2 * u);
  };
  // The path without repeated points, which would leave a span without a direction.
  std::vector<TAffineVector> pts;
  std::vector<Single> radii;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (!Finite(raw[i]) || (!pts.empty() && SamePoint(pts.back(), raw[i])))
      continue;
    pts.push_back(raw[i]);
    radii.push_back(FRadius * factorAt(params[i]));
  }
  const size_t n = pts.size();
  if (n < 2)
    return;
  std::vector<TAffineVector> dirs(n - 1);
  for (size_t i = 0; i + 1 < n; ++i)
    dirs[i] = VectorNormalize(VectorSubtract(pts[i + 1], pts[i]));
  // Rings along the path. A gentle bend shares one ring, set across the bisector; a bend
  // of a right angle or more ends one straight tube and starts the next, since a shared
  // ring there would fold the tube through itself.
  struct TStation {
    TAffineVector P, T, N, B;
    Single R, Tex;
    bool JoinsNext;
  };
  std::vector<TStation> st;
  st.reserve(2 * n);
  const Single texStep = 1.f / Single(n - 1);
  st.push_back({pts[0], dirs[0], {}, {}, radii[0], 0, true});
  for (size_t i = 1; i + 1 < n; ++i) {
    const Single tex = Single(i) * texStep;
    if (VectorDotProduct(dirs[i - 1], dirs[i]) > 0) {
      st.push_back({pts[i], VectorNormalize(VectorAdd(dirs[i - 1], dirs[i])), {}, {}, radii[i], tex, true});
    } else {
      st.push_back({pts[i], dirs[i - 1], {}, {}, radii[i], tex, false});
      st.push_back({pts[i], dirs[i], {}, {}, radii[i], tex, true});
    }
  }
  st.push_back({pts[n - 1], dirs[n - 2], {}, {}, radii[n - 1], 1, false});
  // Frames carried along the path without twisting.
  for (size_t k = 0; k < st.size(); ++k) {
    const TAffineVector& t = st[k].T;
    TAffineVector nv = Perpendicular(t);
    if (k > 0) {
      for (const TAffineVector* prev : {&st[k - 1].N, &st[k - 1].B}) {
        const TAffineVector q = VectorSubtract(*prev, VectorScale(t, VectorDotProduct(*prev, t)));
        if (VectorLength(q) > 1e-3f) {
          nv = VectorNormalize(q);
          if (prev == &st[k - 1].B)
            nv = VectorCrossProduct(nv, t);   // keep the turn of the frame the same way round
          break;
        }
      }
    }
    st[k].N = nv;
    st[k].B = VectorCrossProduct(t, nv);
  }
  std::vector<Single> sn(size_t(FSlices) + 1), cs(size_t(FSlices) + 1);
  for (Integer j = 0; j <= FSlices; ++j)
    SinCos(2 * cPI * (j % FSlices) / FSlices, sn[size_t(j)], cs[size_t(j)]);
  auto ringDir = [&](const TStation& q, Integer j) {
    return VectorAdd(VectorScale(q.N, cs[size_t(j)]), VectorScale(q.B, sn[size_t(j)]));
  };
  auto ringPoint = [&](const TStation& q, Integer j) { return VectorAdd(q.P, VectorScale(ringDir(q, j), q.R)); };
  for (int side = 0; side < 2; ++side) {
    const bool outside = side == 0;
    if (!(FParts & (outside ? ppOutside : ppInside)))
      continue;
    const Single s = outside ? 1.f : -1.f;
    for (size_t k = 0; k + 1 < st.size(); ++k) {
      if (!st[k].JoinsNext)
        continue;
      // The later ring first winds counter-clockwise seen from outside.
      const TStation& a = outside ? st[k + 1] : st[k];
      const TStation& b = outside ? st[k] : st[k + 1];
      glBegin(GL_TRIANGLE_STRIP);
      for (Integer j = 0; j <= FSlices; ++j) {
        const Single tx = Single(j) / FSlices;
        const TAffineVector da = ringDir(a, j), db = ringDir(b, j);
        glNormal3f(s * da[0], s * da[1], s * da[2]);
        glTexCoord2f(tx, a.Tex);
        glVertex3fv(ringPoint(a, j).data());
        glNormal3f(s * db[0], s * db[1], s * db[2]);
        glTexCoord2f(tx, b.Tex);
        glVertex3fv(ringPoint(b, j).data());
      }
      glEnd();
    }
  }
  auto disk = [&](const TStation& q, bool forward) {
    const Single s = forward ? 1.f : -1.f;
    glBegin(GL_TRIANGLE_FAN);
    glNormal3f(s * q.T[0], s * q.T[1], s * q.T[2]);
    glTexCoord2f(0.5f, 0.5f);
    glVertex3fv(q.P.data());
    for (Integer k = 0; k <= FSlices; ++k) {
      const Integer j = forward ? k : FSlices - k;
      glTexCoord2f(0.5f + 0.5f * cs[size_t(j)], 0.5f + 0.5f * sn[size_t(j)]);
      glVertex3fv(ringPoint(q, j).data());
    }
    glEnd();
  };
  if ((FParts & ppStartDisk) && st.front().R > 0)
    disk(st.front(), false);
  if ((FParts & ppStopDisk) && st.back().R > 0)
    disk(st.back(), true);
}

void TPipe::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TPipe*>(&src); c && c != this) {
    FRadius = c->FRadius;
    FSlices = c->FSlices;
    FParts = c->FParts;
  }
  TPolygonBase::Assign(src);
}

// --- TRevolutionSolid --------------------------------------------------------------------

void TRevolutionSolid::SetSlices(Integer v) { SetShapeValue(this, FSlices, std::clamp<Integer>(v, 3, 1000)); }

void TRevolutionSolid::SetParts(TRevolutionSolidParts v) { SetShapeValue(this, FParts, TRevolutionSolidParts(v & 15)); }

void TRevolutionSolid::BuildList(TRenderContextInfo&)
{
  std::vector<TAffineVector> pts;
  for (const TAffineVector& p : PathPoints())
    if (Finite(p) && (pts.empty() || !SamePoint(pts.back(), p)))
      pts.push_back({p[0], p[1], 0});
  const size_t n = pts.size();
  if (n < 2)
    return;
  // The outline closed along the axis: its winding tells which side of it is outside.
  std::vector<TAffineVector> closed = pts;
  closed.push_back({0, pts.back()[1], 0});
  closed.push_back({0, pts.front()[1], 0});
  const bool flip = SignedArea2D(closed) > 0;
  std::vector<Single> sn(size_t(FSlices) + 1), cs(size_t(FSlices) + 1);
  for (Integer j = 0; j <= FSlices; ++j)
    SinCos(2 * cPI * (j % FSlices) / FSlices, sn[size_t(j)], cs[size_t(j)]);
  // Outward profile normals of the spans: (-dy, dx) for an outline running clockwise in
  // the (radius, height) plane, the other way round for one running counter-clockwise.
  using TProfileNormal = std::array<Single, 2>;
  auto spanNormal = [&](const TAffineVector& a, const TAffineVector& b) {
    const Single dx = b[0] - a[0], dy = b[1] - a[1];
    const Single len = std::sqrt(dx * dx + dy * dy);
    const Single f = (flip ? -1.f : 1.f) / len;
    return TProfileNormal{-dy * f, dx * f};
  };
  std::vector<TProfileNormal> spans(n - 1);
  for (size_t i = 0; i + 1 < n; ++i)
    spans[i] = spanNormal(pts[i], pts[i + 1]);
  // Spans meeting at less than this share their normal at the corner, so a curved outline
  // shades smoothly while a nail's head keeps its edges.
  const Single smooth = std::cos(DegToRad(30));
  auto corner = [&](size_t span, size_t other) {
    const TProfileNormal& p = spans[span];
    const TProfileNormal& q = spans[other];
    if (p[0] * q[0] + p[1] * q[1] < smooth)
      return p;
    const Single x = p[0] + q[0], y = p[1] + q[1], len = std::sqrt(x * x + y * y);
    return TProfileNormal{x / len, y / len};
  };
  // The surface swept by the span a-b (in outline order) with the normals at its ends;
  // drawn from the side its normals face, or from the other side for the inside.
  auto band = [&](const TAffineVector& a, const TAffineVector& b, TProfileNormal na, TProfileNormal nb, bool outward) {
    const bool swapped = flip != !outward;
    const TAffineVector& p = swapped ? b : a;
    const TAffineVector& q = swapped ? a : b;
    if (swapped)
      std::swap(na, nb);
    const Single s = outward ? 1.f : -1.f;
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer j = 0; j <= FSlices; ++j) {
      const Single sj = sn[size_t(j)], cj = cs[size_t(j)];
      glNormal3f(s * na[0] * sj, s * na[1], s * na[0] * cj);
      glTexCoord2f(Single(j) / FSlices, 0);
      glVertex3f(p[0] * sj, p[1], p[0] * cj);
      glNormal3f(s * nb[0] * sj, s * nb[1], s * nb[0] * cj);
      glTexCoord2f(Single(j) / FSlices, 1);
      glVertex3f(q[0] * sj, q[1], q[0] * cj);
    }
    glEnd();
  };
  for (size_t i = 0; i + 1 < n; ++i) {
    const TProfileNormal na = i > 0 ? corner(i, i - 1) : spans[i];
    const TProfileNormal nb = i + 2 < n ? corner(i, i + 1) : spans[i];
    if (FParts & rspOutside)
      band(pts[i], pts[i + 1], na, nb, true);
    if (FParts & rspInside)
      band(pts[i], pts[i + 1], na, nb, false);
  }
  const Single eps = 1e-6f;
  if ((FParts & rspStartPolygon) && std::fabs(pts.front()[0]) > eps) {
    const TAffineVector axis{0, pts.front()[1], 0};
    const TProfileNormal nd = spanNormal(axis, pts.front());
    band(axis, pts.front(), nd, nd, true);
  }
  if ((FParts & rspStopPolygon) && std::fabs(pts.back()[0]) > eps) {
    const TAffineVector axis{0, pts.back()[1], 0};
    const TProfileNormal nd = spanNormal(pts.back(), axis);
    band(pts.back(), axis, nd, nd, true);
  }
}

void TRevolutionSolid::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TRevolutionSolid*>(&src); c && c != this) {
    FSlices = c->FSlices;
    FParts = c->FParts;
  }
  TPolygonBase::Assign(src);
}

// --- TMultiPolygonBase -------------------------------------------------------------------

TGLNodes& TMultiPolygonBase::GetContour(Integer index) const
{
  if (index < 0 || index >= GetContourCount())
    throw EGLSceneError("List index out of bounds (" + IntToStr(index) + ")");
  return *FContours[size_t(index)];
}

TGLNodes& TMultiPolygonBase::EnsureContour(Integer index)
{
  if (index < 0 || index >= MaxContours)
    throw EGLSceneError("Contour index out of bounds (" + IntToStr(index) + ")");
  while (GetContourCount() <= index) {
    FContours.push_back(std::make_unique<TGLNodes>());
    FContours.back()->OnNotifyChange = [this] { StructureChanged(); };
  }
  return *FContours[size_t(index)];
}

void TMultiPolygonBase::AddNode(Integer contour, Single x, Single y, Single z)
{
  EnsureContour(contour).AddNode(x, y, z);
}

void TMultiPolygonBase::AddNode(Integer contour, const TAffineVector& v) { AddNode(contour, v[0], v[1], v[2]); }

void TMultiPolygonBase::Clear()
{
  FContours.clear();
  StructureChanged();
}

void TMultiPolygonBase::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TMultiPolygonBase*>(&src); c && c != this) {
    FContours.clear();
    for (Integer i = 0; i < c->GetContourCount(); ++i)
      EnsureContour(i).Assign(c->GetContour(i));
  }
  TGLSceneObject::Assign(src);
}

// --- TExtrusionSolid ---------------------------------------------------------------------

void TExtrusionSolid::SetHeight(Single v)
{
  if (std::isfinite(v))
    SetShapeValue(this, FHeight, v);
}

void TExtrusionSolid::SetStacks(Integer v) { SetShapeValue(this, FStacks, std::clamp<Integer>(v, 1, 1000)); }

void TExtrusionSolid::SetParts(TExtrusionSolidParts v) { SetShapeValue(this, FParts, TExtrusionSolidParts(v & 15)); }

void TExtrusionSolid::SetNormals(TNormalSmoothing v) { SetShapeValue(this, FNormals, v); }

void TExtrusionSolid::SetMinSmoothAngle(Single v)
{
  if (std::isfinite(v))
    SetShapeValue(this, FMinSmoothAngle, std::clamp<Single>(v, 0, 180));
}

void TExtrusionSolid::BuildList(TRenderContextInfo&)
{
  // Contours without repeats (also none closing back on the first node).
  std::vector<std::vector<TAffineVector>> contours;
  for (Integer c = 0; c < GetContourCount(); ++c) {
    std::vector<TAffineVector> poly;
    for (const TAffineVector& p : GetContour(c).AsAffineVectors())
      if (Finite(p) && (poly.empty() || !SamePoint(poly.back(), p)))
        poly.push_back(p);
    while (poly.size() > 1 && SamePoint(poly.front(), poly.back()))
      poly.pop_back();
    if (poly.size() >= 2)
      contours.push_back(std::move(poly));
  }
  if (contours.empty())
    return;
  const Single h = FHeight;
  const Single flipCaps = h < 0 ? -1.f : 1.f;   // a negative height turns the solid inside out
  const Single cosSmooth = std::cos(DegToRad(FMinSmoothAngle));
  for (size_t ci = 0; ci < contours.size(); ++ci) {
    const std::vector<TAffineVector>& poly = contours[ci];
    const size_t m = poly.size();
    // Outlines run counter-clockwise, holes clockwise; then (dy, -dx) points out of the solid.
    int depth = 0;
    for (size_t cj = 0; cj < contours.size(); ++cj)
      if (cj != ci && contours[cj].size() >= 3 && PointInPolygon2D(poly[0][0], poly[0][1], contours[cj]))
        ++depth;
    const bool ccw = SignedArea2D(poly) >= 0;
    const Single orient = (ccw == (depth % 2 == 0)) ? 1.f : -1.f;
    const size_t edges = m >= 3 ? m : 1;   // two points make one wall, not a closed loop
    std::vector<TAffineVector> faceN(edges);
    for (size_t i = 0; i < edges; ++i) {
      const TAffineVector& a = poly[i];
      const TAffineVector& b = poly[(i + 1) % m];
      faceN[i] = VectorNormalize(TAffineVector{orient * (b[1] - a[1]), orient * (a[0] - b[0]), 0});
    }
    // Normal of wall i at its start (end = false) or end corner.
    auto cornerNormal = [&](size_t i, bool end) {
      if (FNormals != nsSmooth || edges < 2)
        return faceN[i];
      const size_t other = end ? (i + 1) % edges : (i + edges - 1) % edges;
      if (VectorDotProduct(faceN[i], faceN[other]) < cosSmooth)
        return faceN[i];
      const TAffineVector sum = VectorAdd(faceN[i], faceN[other]);
      return VectorLength(sum) > 0 ? VectorNormalize(sum) : faceN[i];
    };
    for (int side = 0; side < 2; ++side) {
      const bool outside = side == 0;
      if (!(FParts & (outside ? espOutside : espInside)))
        continue;
      const Single s = outside ? 1.f : -1.f;
      glBegin(GL_QUADS);
      for (size_t i = 0; i < edges; ++i) {
        const TAffineVector& a = poly[i];
        const TAffineVector& b = poly[(i + 1) % m];
        const TAffineVector na = VectorScale(cornerNormal(i, false), s);
        const TAffineVector nb = VectorScale(cornerNormal(i, true), s);
        for (Integer k = 0; k < FStacks; ++k) {
          const Single z0 = h * k / FStacks, z1 = h * (k + 1) / FStacks;
          // a-low, b-low, b-high, a-high winds counter-clockwise seen from the side the
          // normal faces for an outline running counter-clockwise and a positive height.
          const TAffineVector q[4] = {{a[0], a[1], a[2] + z0},
                                      {b[0], b[1], b[2] + z0},
                                      {b[0], b[1], b[2] + z1},
                                      {a[0], a[1], a[2] + z1}};
          const TAffineVector* qn[4] = {&na, &nb, &nb, &na};
          const bool forward = (orient * s * flipCaps) > 0;
          for (int v = 0; v < 4; ++v) {
            const int idx = forward ? v : 3 - v;
            glNormal3fv(qn[idx]->data());
            glVertex3fv(q[idx].data());
          }
        }
      }
      glEnd();
    }
  }
  if (!(FParts & (espStartPolygon | espStopPolygon)))
    return;
  const std::vector<int> tri = TessellatePolygon(contours, ZVector);
  if (tri.empty())
    return;
  std::vector<TAffineVector> flat;
  for (const auto& c : contours)
    flat.insert(flat.end(), c.begin(), c.end());
  for (int cap = 0; cap < 2; ++cap) {
    const bool stop = cap == 1;
    if (!(FParts & (stop ? espStopPolygon : espStartPolygon)))
      continue;
    const Single dz = stop ? h : 0;
    // The stop polygon faces +Z (the tessellator's winding), the start polygon -Z.
    const bool up = stop == (flipCaps > 0);
    glBegin(GL_TRIANGLES);
    glNormal3f(0, 0, up ? 1.f : -1.f);
    for (size_t i = 0; i + 2 < tri.size(); i += 3)
      for (int k = 0; k < 3; ++k) {
        const TAffineVector& p = flat[size_t(tri[i + size_t(up ? k : 2 - k)])];
        glVertex3f(p[0], p[1], p[2] + dz);
      }
    glEnd();
  }
}

void TExtrusionSolid::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TExtrusionSolid*>(&src); c && c != this) {
    FHeight = c->FHeight;
    FStacks = c->FStacks;
    FParts = c->FParts;
    FNormals = c->FNormals;
    FMinSmoothAngle = c->FMinSmoothAngle;
  }
  TMultiPolygonBase::Assign(src);
}
