#include "topics/BarrowObjects.h"

#include "parts/PartHelpers.h"

namespace {

// The five faces (no top), each as the four corner indices in drawing order.
constexpr int Faces[5][4] = {
  {0, 3, 7, 4},   // back
  {0, 4, 5, 1},   // side
  {1, 5, 6, 2},   // front
  {3, 2, 6, 7},   // side
  {6, 5, 4, 7},   // floor
};

// Signs of the inner shell's x and z offsets per corner.
constexpr Single InnerX[8] = {1, -1, -1, 1, 1, -1, -1, 1};
constexpr Single InnerZ[8] = {-1, -1, 1, 1, -1, -1, 1, 1};

// The faces' corner orders run clockwise seen from outside, so the plane normal of their
// first three corners points into the box: right for the inner shell, which is seen from
// the cavity; the outer shell takes it reversed (sign -1) so that it is lit from outside.
void DrawShell(const std::array<TAffineVector, 8>& c, Single sign)
{
  glBegin(GL_QUADS);
  for (const auto& f : Faces) {
    EmitNormal(VectorScale(CalcPlaneNormal(c[size_t(f[0])], c[size_t(f[1])], c[size_t(f[2])]), sign));
    for (int k : f)
      EmitVertex(c[size_t(k)]);
  }
  glEnd();
}

}   // namespace

TAsymBox::TAsymBox(TGLBaseSceneObject* AOwner)
    : TGLSceneObject(AOwner),
      Corners{{{0.4f, 0.4f, -0.2f},
               {0.4f, 0.3f, 0.849f},
               {-0.4f, 0.3f, 0.849f},
               {-0.4f, 0.4f, -0.2f},
               {0.3f, 0, 0},
               {0.3f, 0, 0.74f},
               {-0.3f, 0, 0.74f},
               {-0.3f, 0, 0}}}
{
}

std::array<TAffineVector, 8> TAsymBox::InnerCorners() const
{
  std::array<TAffineVector, 8> l = Corners;
  for (size_t i = 0; i < 8; ++i) {
    l[i][0] += InnerX[i] * WallThickness;
    l[i][2] += InnerZ[i] * WallThickness;
  }
  return l;
}

void TAsymBox::BuildList(TRenderContextInfo&)
{
  DrawShell(Corners, -1);
  const std::array<TAffineVector, 8> inner = InnerCorners();
  // The inner shell faces the other way: same vertex order, opposite winding.
  glFrontFace(GL_CW);
  DrawShell(inner, 1);
  glFrontFace(GL_CCW);

  glBegin(GL_TRIANGLE_STRIP);
  glNormal3f(0, 1, 0);
  for (size_t i = 0; i <= 4; ++i) {
    EmitVertex(inner[i % 4]);
    EmitVertex(Corners[i % 4]);
  }
  glEnd();
}
