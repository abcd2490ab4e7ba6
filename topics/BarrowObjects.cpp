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
    : TGLSceneObject(AOwner), Corners{{{0.4f, 0.4f, -0.2f},
                                       {0.4f, 0.3f, 0.849f},
                                       {-0.4f, 0.3f, 0.849f},
                                       {-0.4f, 0.4f, -0.2f},
                                       {0.3f, 0, 0},
                                       {0.3f, 0, 0.74f},
                                       {-0.3f, 0, 0.74f},
                                       {-0.3f, 0, 0}}}
{}

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

const std::array<TAffineVector, 59>& WheelbarrowOutline()
{
  // Bends of radius 0.1: the nose round the wheel, the run beside it, a run splayed out by
  // 10 degrees, a bend down, the leg, the foot's U-bend, the rise, a bend, the handle.
  static const std::array<TAffineVector, 59> points{{
      {-0.3f, 0, 0},
      {-0.2988f, 0, 0.0156f},
      {-0.2951f, 0, 0.0309f},
      {-0.2891f, 0, 0.0454f},
      {-0.2809f, 0, 0.0588f},
      {-0.2707f, 0, 0.0707f},
      {-0.2588f, 0, 0.0809f},
      {-0.2454f, 0, 0.0891f},
      {-0.2309f, 0, 0.0951f},
      {-0.2156f, 0, 0.0988f},
      {-0.2f, 0, 0.1f},
      {0.05f, 0, 0.1f},
      {0.6409f, 0, 0.2042f},
      {0.6409f, 0, 0.2042f},
      {0.6531f, -0.0007f, 0.2063f},
      {0.6651f, -0.003f, 0.2084f},
      {0.6767f, -0.0066f, 0.2104f},
      {0.6878f, -0.0117f, 0.2123f},
      {0.6982f, -0.0181f, 0.2141f},
      {0.7078f, -0.0257f, 0.2158f},
      {0.7164f, -0.0344f, 0.2173f},
      {0.7238f, -0.0441f, 0.2186f},
      {0.73f, -0.0546f, 0.2197f},
      {0.7349f, -0.0658f, 0.2205f},
      {0.7691f, -0.1598f, 0.2368f},
      {0.7691f, -0.1598f, 0.2368f},
      {0.7739f, -0.171f, 0.2377f},
      {0.7801f, -0.1815f, 0.2387f},
      {0.7876f, -0.1912f, 0.24f},
      {0.7961f, -0.1999f, 0.2415f},
      {0.8057f, -0.2075f, 0.2432f},
      {0.8161f, -0.2139f, 0.245f},
      {0.8272f, -0.2189f, 0.2469f},
      {0.8388f, -0.2226f, 0.2489f},
      {0.8508f, -0.2248f, 0.251f},
      {0.863f, -0.2256f, 0.2531f},
      {0.8752f, -0.2248f, 0.2553f},
      {0.8872f, -0.2226f, 0.2573f},
      {0.8989f, -0.2189f, 0.2594f},
      {0.91f, -0.2139f, 0.2613f},
      {0.9204f, -0.2075f, 0.2631f},
      {0.9299f, -0.1999f, 0.2648f},
      {0.9385f, -0.1912f, 0.2662f},
      {0.9459f, -0.1815f, 0.2675f},
      {0.9521f, -0.171f, 0.2686f},
      {0.957f, -0.1598f, 0.2695f},
      {1.0596f, 0.1221f, 0.2873f},
      {1.0596f, 0.1221f, 0.2873f},
      {1.0626f, 0.1294f, 0.2878f},
      {1.0661f, 0.1364f, 0.2884f},
      {1.0702f, 0.1431f, 0.2891f},
      {1.0748f, 0.1495f, 0.2899f},
      {1.0798f, 0.1555f, 0.2908f},
      {1.0854f, 0.1611f, 0.2918f},
      {1.0913f, 0.1662f, 0.2928f},
      {1.0977f, 0.1708f, 0.2939f},
      {1.1043f, 0.175f, 0.295f},
      {1.1113f, 0.1786f, 0.2963f},
      {1.4977f, 0.2821f, 0.3633f},
  }};
  return points;
}
