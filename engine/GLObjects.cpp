#include "engine/GLObjects.h"

#include <algorithm>
#include <cmath>

// --- TGLNode -----------------------------------------------------------------------------

void TGLNode::NotifyChange()
{
  if (FOwner)
    FOwner->NotifyChange();
}

void TGLNode::SetX(Single v)
{
  X = v;
  NotifyChange();
}

void TGLNode::SetY(Single v)
{
  Y = v;
  NotifyChange();
}

void TGLNode::SetZ(Single v)
{
  Z = v;
  NotifyChange();
}

void TGLNode::SetAsVector(const TVector& v)
{
  X = v[0];
  Y = v[1];
  Z = v[2];
  NotifyChange();
}

void TGLNode::SetAsAffineVector(const TAffineVector& v)
{
  X = v[0];
  Y = v[1];
  Z = v[2];
  NotifyChange();
}

void TGLNode::Assign(const TGLNode& src)
{
  X = src.X;
  Y = src.Y;
  Z = src.Z;
}

// --- TGLNodes ----------------------------------------------------------------------------

TGLNodes::TGLNodes(TNodeFactory factory) : FFactory(std::move(factory))
{
  if (!FFactory)
    FFactory = [](TGLNodes* owner) { return std::make_unique<TGLNode>(owner); };
}

TGLNode* TGLNodes::GetItem(Integer index) const
{
  if (index < 0 || index >= GetCount())
    throw EGLSceneError("List index out of bounds (" + IntToStr(index) + ")");
  return FItems[size_t(index)].get();
}

TGLNode* TGLNodes::Add()
{
  FItems.push_back(FFactory(this));
  return FItems.back().get();
}

TGLNode* TGLNodes::AddNodeSilent(Single x, Single y, Single z)
{
  TGLNode* n = Add();
  n->X = x;
  n->Y = y;
  n->Z = z;
  return n;
}

TGLNode* TGLNodes::AddNode(Single x, Single y, Single z)
{
  TGLNode* n = AddNodeSilent(x, y, z);
  NotifyChange();
  return n;
}

TGLNode* TGLNodes::AddNode(const TAffineVector& v) { return AddNode(v[0], v[1], v[2]); }

void TGLNodes::Delete(Integer index)
{
  if (index < 0 || index >= GetCount())
    return;
  FItems.erase(FItems.begin() + index);
  NotifyChange();
}

void TGLNodes::Clear()
{
  FItems.clear();
  NotifyChange();
}

void TGLNodes::Assign(const TGLNodes& src)
{
  if (&src == this)
    return;
  FItems.clear();
  for (const auto& n : src.FItems)
    Add()->Assign(*n);
  NotifyChange();
}

std::vector<TAffineVector> TGLNodes::AsAffineVectors() const
{
  std::vector<TAffineVector> out;
  out.reserve(FItems.size());
  for (const auto& n : FItems)
    out.push_back(n->AsAffineVector());
  return out;
}

void TGLNodes::NotifyChange()
{
  if (OnNotifyChange)
    OnNotifyChange();
}

// --- TCube -------------------------------------------------------------------------------

TCube::TCube(TGLBaseSceneObject* AOwner, Single width, Single height, Single depth, TCubeParts parts,
             TNormalDirection normals)
    : TGLSceneObject(AOwner)
{
  SetCubeWidth(width);
  SetCubeHeight(height);
  SetCubeDepth(depth);
  FParts = parts & cpAll;
  FNormalDirection = normals;
}

std::unique_ptr<TCube> TCube::CreateSized(TGLBaseSceneObject* AOwner, Single width, Single height, Single depth,
                                          TCubeParts parts, TNormalDirection normals)
{
  return std::make_unique<TCube>(AOwner, width, height, depth, parts, normals);
}

void TCube::SetCubeWidth(Single v) { SetShapeSize(this, FWidth, v); }

void TCube::SetCubeHeight(Single v) { SetShapeSize(this, FHeight, v); }

void TCube::SetCubeDepth(Single v) { SetShapeSize(this, FDepth, v); }

void TCube::SetParts(TCubeParts v) { SetShapeValue(this, FParts, TCubeParts(v & cpAll)); }

void TCube::SetNormalDirection(TNormalDirection v) { SetShapeValue(this, FNormalDirection, v); }

void TCube::BuildList(TRenderContextInfo&)
{
  const Single hw = FWidth / 2, hh = FHeight / 2, hd = FDepth / 2;
  const bool out = FNormalDirection == ndOutside;
  const Single s = out ? 1.f : -1.f;
  // Each face: its part, its outward normal, and its corners counter-clockwise seen from
  // outside, starting at the corner that takes texture (0, 0).
  struct TFace {
    TCubePart Part;
    TAffineVector Normal;
    TAffineVector Corner[4];
  };
  const TFace faces[6] = {
      {cpFront, {0, 0, 1}, {{-hw, -hh, hd}, {hw, -hh, hd}, {hw, hh, hd}, {-hw, hh, hd}}},
      {cpBack, {0, 0, -1}, {{hw, -hh, -hd}, {-hw, -hh, -hd}, {-hw, hh, -hd}, {hw, hh, -hd}}},
      {cpLeft, {-1, 0, 0}, {{-hw, -hh, -hd}, {-hw, -hh, hd}, {-hw, hh, hd}, {-hw, hh, -hd}}},
      {cpRight, {1, 0, 0}, {{hw, -hh, hd}, {hw, -hh, -hd}, {hw, hh, -hd}, {hw, hh, hd}}},
      {cpTop, {0, 1, 0}, {{-hw, hh, hd}, {hw, hh, hd}, {hw, hh, -hd}, {-hw, hh, -hd}}},
      {cpBottom, {0, -1, 0}, {{-hw, -hh, -hd}, {hw, -hh, -hd}, {hw, -hh, hd}, {-hw, -hh, hd}}},
  };
  static const Single tex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  bool begun = false;
  for (const TFace& f : faces) {
    if (!(FParts & f.Part))
      continue;
    if (!begun) {
      glBegin(GL_QUADS);
      begun = true;
    }
    glNormal3f(s * f.Normal[0], s * f.Normal[1], s * f.Normal[2]);
    for (int k = 0; k < 4; ++k) {
      const int c = out ? k : 3 - k;
      glTexCoord2f(tex[c][0], tex[c][1]);
      glVertex3fv(f.Corner[c].data());
    }
  }
  if (begun)
    glEnd();
}

void TCube::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TCube*>(&src); c && c != this) {
    FWidth = c->FWidth;
    FHeight = c->FHeight;
    FDepth = c->FDepth;
    FParts = c->FParts;
    FNormalDirection = c->FNormalDirection;
  }
  TGLSceneObject::Assign(src);
}

// --- TSphere -----------------------------------------------------------------------------

void TSphere::SetRadius(Single v) { SetShapeSize(this, FRadius, v); }

void TSphere::SetSlices(Integer v) { SetShapeValue(this, FSlices, std::clamp<Integer>(v, 3, 1000)); }

void TSphere::SetStacks(Integer v) { SetShapeValue(this, FStacks, std::clamp<Integer>(v, 2, 1000)); }

void TSphere::SetStop(Integer v) { SetShapeValue(this, FStop, std::clamp<Integer>(v, 0, 360)); }

void TSphere::SetNormalDirection(TNormalDirection v) { SetShapeValue(this, FNormalDirection, v); }

void TSphere::BuildList(TRenderContextInfo&)
{
  if (FStop <= 0)
    return;
  // Slices cover the whole turn; a partial sphere keeps their width.
  const Integer slices = std::max<Integer>(1, Integer(std::ceil(Single(FSlices) * FStop / 360)));
  const Single sweep = DegToRad(Single(FStop));
  const bool out = FNormalDirection == ndOutside;
  const Single s = out ? 1.f : -1.f;
  for (Integer j = 0; j < FStacks; ++j) {
    // Latitudes of the band's lower and upper edges.
    const Single lat0 = -cPI / 2 + cPI * j / FStacks;
    const Single lat1 = -cPI / 2 + cPI * (j + 1) / FStacks;
    Single s0, c0, s1, c1;
    SinCos(lat0, s0, c0);
    SinCos(lat1, s1, c1);
    glBegin(GL_TRIANGLE_STRIP);
    for (Integer i = 0; i <= slices; ++i) {
      Single sl, cl;
      SinCos(sweep * i / slices, sl, cl);
      const Single tx = Single(i) / slices;
      const TAffineVector up{c1 * sl, s1, c1 * cl};
      const TAffineVector lo{c0 * sl, s0, c0 * cl};
      const TAffineVector& first = out ? up : lo;
      const TAffineVector& second = out ? lo : up;
      const Single t1 = Single(out ? j + 1 : j) / FStacks, t2 = Single(out ? j : j + 1) / FStacks;
      glNormal3f(s * first[0], s * first[1], s * first[2]);
      glTexCoord2f(tx, t1);
      glVertex3f(FRadius * first[0], FRadius * first[1], FRadius * first[2]);
      glNormal3f(s * second[0], s * second[1], s * second[2]);
      glTexCoord2f(tx, t2);
      glVertex3f(FRadius * second[0], FRadius * second[1], FRadius * second[2]);
    }
    glEnd();
  }
}

void TSphere::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TSphere*>(&src); c && c != this) {
    FRadius = c->FRadius;
    FSlices = c->FSlices;
    FStacks = c->FStacks;
    FStop = c->FStop;
    FNormalDirection = c->FNormalDirection;
  }
  TGLSceneObject::Assign(src);
}

// --- TLineBase ---------------------------------------------------------------------------

TLineBase::TLineBase(TGLBaseSceneObject* AOwner) : TGLImmaterialSceneObject(AOwner) {}

void TLineBase::SetLineColor(const TGLColor& c)
{
  LineColor = c;
  NotifyChange();
}

void TLineBase::SetLineColor(const TVector& c) { SetLineColor(TGLColor(c[0], c[1], c[2], c[3])); }

void TLineBase::SetLineWidth(Single v)
{
  if (std::isfinite(v) && v > 0 && v != FLineWidth) {
    FLineWidth = v;
    NotifyChange();
  }
}

void TLineBase::SetAntiAliased(bool v)
{
  if (v != FAntiAliased) {
    FAntiAliased = v;
    NotifyChange();
  }
}

void TLineBase::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TLineBase*>(&src); c && c != this) {
    LineColor = c->LineColor;
    FLineWidth = c->FLineWidth;
    FAntiAliased = c->FAntiAliased;
  }
  TGLImmaterialSceneObject::Assign(src);
}

void TLineBase::RenderGeometry(TRenderContextInfo& rci)
{
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_COLOR_BUFFER_BIT | GL_HINT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glLineWidth(FLineWidth);
  if (FAntiAliased) {
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  }
  glColor4fv(LineColor.GetColor().data());
  try {
    BuildOrCallList(rci);
  } catch (...) {
    glPopAttrib();
    throw;
  }
  glPopAttrib();
}

// --- TLines ------------------------------------------------------------------------------

TLines::TLines(TGLBaseSceneObject* AOwner) : TLineBase(AOwner)
{
  Nodes.OnNotifyChange = [this] { StructureChanged(); };
}

void TLines::AddNode(Single x, Single y, Single z) { Nodes.AddNode(x, y, z); }

void TLines::AddNode(const TAffineVector& v) { Nodes.AddNode(v); }

void TLines::AddNodeSilent(Single x, Single y, Single z) { Nodes.AddNodeSilent(x, y, z); }

void TLines::SetNodesAspect(TLineNodesAspect v) { SetShapeValue(this, FNodesAspect, v); }

void TLines::SetNodeSize(Single v)
{
  if (std::isfinite(v) && v > 0)
    SetShapeValue(this, FNodeSize, v);
}

void TLines::BuildList(TRenderContextInfo&)
{
  const Integer n = Nodes.GetCount();
  if (n >= 2) {
    glBegin(GL_LINE_STRIP);
    for (Integer i = 0; i < n; ++i) {
      const TGLNode* p = Nodes.GetItem(i);
      glVertex3f(p->X, p->Y, p->Z);
    }
    glEnd();
  }
  if (FNodesAspect == lnaInvisible || n == 0)
    return;
  const Single h = FNodeSize / 2;
  glBegin(GL_LINES);
  for (Integer i = 0; i < n; ++i) {
    const TGLNode* p = Nodes.GetItem(i);
    if (FNodesAspect == lnaAxes) {
      for (int a = 0; a < 3; ++a) {
        TAffineVector d{0, 0, 0};
        d[size_t(a)] = h;
        glVertex3f(p->X - d[0], p->Y - d[1], p->Z - d[2]);
        glVertex3f(p->X + d[0], p->Y + d[1], p->Z + d[2]);
      }
    } else {
      // The twelve edges of a small cube round the node.
      for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 4; ++k) {
          TAffineVector lo, hi;
          const Single u = (k & 1) ? h : -h, v = (k & 2) ? h : -h;
          const int b = (a + 1) % 3, c = (a + 2) % 3;
          lo[size_t(a)] = -h;
          hi[size_t(a)] = h;
          lo[size_t(b)] = hi[size_t(b)] = u;
          lo[size_t(c)] = hi[size_t(c)] = v;
          glVertex3f(p->X + lo[0], p->Y + lo[1], p->Z + lo[2]);
          glVertex3f(p->X + hi[0], p->Y + hi[1], p->Z + hi[2]);
        }
    }
  }
  glEnd();
}

void TLines::Assign(const TGLBaseSceneObject& src)
{
  if (auto* c = dynamic_cast<const TLines*>(&src); c && c != this) {
    Nodes.Assign(c->Nodes);
    FNodesAspect = c->FNodesAspect;
    FNodeSize = c->FNodeSize;
  }
  TLineBase::Assign(src);
}
