#include "parts/SlotLinks.h"

#include "parts/PartHelpers.h"

void TSlotLinkage::Assign(const TGLBaseSceneObject& Source)
{
  if (auto* s = dynamic_cast<const TSlotLinkage*>(&Source)) {
    SlotWidth = s->SlotWidth;
    SlotTop = s->SlotTop;
    SlotBottom = s->SlotBottom;
  }
  TLinkage::Assign(Source);
}

TGLVertexArray TSlotLinkage::Outline() const
{
  const Integer N = SafeCount(Segments);
  const Single R = EndRadius, L = Length, step = 180.0f / N * cPIdiv180;
  TGLVertexArray p(size_t(2 * N + 2));
  for (Integer i = 0; i <= N; ++i) {
    Single s, c;
    SinCos(i * step, s, c);
    p[size_t(i)] = {R * c, L + R * s, 0};
    p[size_t(2 * N + 1 - i)] = {R * c, -R * s, 0};
  }
  return p;
}

void TSlotLinkage::BuildList(TRenderContextInfo&)
{
  const TGLVertexArray outline = Outline();
  const size_t N = outline.size() / 2 - 1;
  const Single h = Thickness / 2, w = SlotWidth / 2, R = EndRadius, L = Length;
  const Single top = SlotTop, bottom = SlotBottom;
  const TGLVertexArray F = LiftOutline(outline, h), B = LiftOutline(outline, -h);
  const TGLVertexArray upperF(F.begin(), F.begin() + long(N) + 1), lowerF(F.begin() + long(N) + 1, F.end());
  const TGLVertexArray upperB(B.begin(), B.begin() + long(N) + 1), lowerB(B.begin() + long(N) + 1, B.end());
  DrawFrontFan({0, L, h}, upperF);
  DrawFrontFan({0, 0, h}, lowerF);
  DrawBackFan({0, L, -h}, upperB);
  DrawBackFan({0, 0, -h}, lowerB);
  {
    TSideColourScope band(SideColoured, SideColour);
    glBegin(GL_TRIANGLE_STRIP);
    for (size_t i = 0; i < outline.size(); ++i) {
      EmitNormal(outline[i][0], i <= N ? outline[i][1] - L : outline[i][1], 0);
      EmitVertex(F[i]);
      EmitVertex(B[i]);
    }
    EmitVertex(F[0]);
    EmitVertex(B[0]);
    glEnd();
    // The slot's walls face into the slot.
    auto pair = [h](Single x, Single y) {
      glVertex3f(x, y, -h);
      glVertex3f(x, y, h);
    };
    glBegin(GL_QUAD_STRIP);
    glNormal3f(-1, 0, 0);
    pair(w, bottom);
    pair(w, top);
    glNormal3f(0, -1, 0);
    pair(w, top);
    pair(-w, top);
    glNormal3f(1, 0, 0);
    pair(-w, top);
    pair(-w, bottom);
    glNormal3f(0, 1, 0);
    pair(-w, bottom);
    pair(w, bottom);
    glEnd();
  }
  // The middle faces with the slot left open.
  glBegin(GL_QUAD_STRIP);
  glNormal3f(0, 0, 1);
  const Single front[10][2] = {{w, bottom}, {R, 0},       {w, top}, {R, L},      {-w, top},
                               {-R, L},     {-w, bottom}, {-R, 0},  {w, bottom}, {R, 0}};
  for (const auto& v : front)
    glVertex3f(v[0], v[1], h);
  glEnd();
  glBegin(GL_QUAD_STRIP);
  glNormal3f(0, 0, -1);
  const Single back[10][2] = {{R, 0},    {w, bottom}, {R, L},       {w, top}, {-R, L},
                              {-w, top}, {-R, 0},     {-w, bottom}, {R, 0},   {w, bottom}};
  for (const auto& v : back)
    glVertex3f(v[0], v[1], -h);
  glEnd();
}
