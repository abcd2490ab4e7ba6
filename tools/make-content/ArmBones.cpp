#include "tools/make-content/Content.h"
#include "tools/make-content/ContentKit.h"

// Sizes follow the forearm scene: the biceps leaves the shoulder at (0.2, 5.25) and reaches
// the forearm at (0.6, 0.45), swelling to about 0.28 round (0.8, 3.05); the hand rides 4.0
// from the elbow and carries a 1.4 weight whose base lies at y 0.1 from x 0.6 to 2.0.

namespace {

T3DSModel OneMesh(const std::string& name, T3DSMesh mesh)
{
  mesh.Name = name;
  T3DSModel model;
  model.Meshes.push_back(std::move(mesh));
  return model;
}

}   // namespace

T3DSModel MakeUpperArmBone()
{
  T3DSMesh m;
  // The roller of the elbow about the Z axis: the grooved trochlea behind, the round
  // capitulum in front where the radius meets it.
  AddLathe(m, {0, 0, -0.42}, {0, 0, 0.42}, {1, 0, 0},
           {{0, 0, 0},
            {0.02, 0.15, 0.15},
            {0.07, 0.22, 0.22},
            {0.15, 0.26, 0.26},
            {0.3, 0.25, 0.25},
            {0.4, 0.2, 0.2},
            {0.5, 0.2, 0.2},
            {0.58, 0.24, 0.24},
            {0.7, 0.25, 0.25},
            {0.78, 0.22, 0.22},
            {0.82, 0.14, 0.14},
            {0.84, 0, 0}},
           16);
  // The shaft: wide across the epicondyles at the elbow, slender in the middle, swelling
  // under the head. Its side radius runs along X, its across radius along Z.
  AddLathe(m, {-0.02, 0.05, 0}, {-0.08, 5.4, 0}, {1, 0, 0},
           {{0, 0, 0},
            {0.01, 0.17, 0.36},
            {0.25, 0.19, 0.46},
            {0.45, 0.18, 0.4},
            {0.8, 0.16, 0.26},
            {1.3, 0.145, 0.17},
            {2.4, 0.135, 0.15},
            {3.6, 0.14, 0.15},
            {4.4, 0.17, 0.18},
            {4.85, 0.23, 0.23},
            {5.15, 0.27, 0.27},
            {5.3, 0.2, 0.2},
            {5.35, 0, 0}},
           16);
  // The head, turned back towards the shoulder, and the greater tubercle beside it.
  AddEllipsoid(m, {-0.16, 5.45, 0}, {0.33, 0.33, 0.33}, 16, 10);
  AddEllipsoid(m, {0.06, 5.3, 0.1}, {0.17, 0.2, 0.16}, 10, 6);
  return OneMesh("humerus", std::move(m));
}

T3DSModel MakeForearmBones()
{
  T3DSMesh m;
  // The radius on the thumb side (+Z): a disc-like head against the capitulum, a thin neck,
  // the tuberosity where the biceps pulls, widening to the wrist.
  AddLathe(m, {0.26, 0.08, 0.2}, {3.95, 0.0, 0.14}, {0, 1, 0},
           {{0, 0, 0},
            {0.01, 0.15, 0.15},
            {0.06, 0.17, 0.17},
            {0.14, 0.15, 0.15},
            {0.24, 0.1, 0.1},
            {0.5, 0.11, 0.1},
            {1.2, 0.1, 0.09},
            {2.4, 0.11, 0.1},
            {3.2, 0.14, 0.13},
            {3.55, 0.2, 0.17},
            {3.65, 0.21, 0.18},
            {3.69, 0, 0}},
           14);
  AddEllipsoid(m, {0.62, 0.26, 0.13}, {0.2, 0.18, 0.1}, 10, 6);
  // The ulna on the little-finger side: the olecranon cupping the roller from behind and
  // below, a shaft tapering to a small head at the wrist.
  AddEllipsoid(m, {-0.22, -0.19, -0.12}, {0.22, 0.17, 0.16}, 12, 8);
  AddLathe(m, {-0.12, -0.3, -0.12}, {3.85, -0.1, -0.12}, {0, 1, 0},
           {{0, 0, 0},
            {0.03, 0.14, 0.13},
            {0.2, 0.18, 0.15},
            {0.55, 0.15, 0.12},
            {1.2, 0.11, 0.09},
            {2.6, 0.09, 0.08},
            {3.5, 0.08, 0.08},
            {3.75, 0.12, 0.11},
            {3.9, 0.1, 0.09},
            {3.97, 0, 0}},
           14);
  return OneMesh("forearm", std::move(m));
}

T3DSModel MakeHandBones()
{
  T3DSMesh m;
  const int sides = 8;
  // The wrist: two rows of four small bones.
  for (int row = 0; row < 2; ++row)
    for (int k = 0; k < 4; ++k) {
      const double z = -0.27 + 0.18 * k;
      AddEllipsoid(m, {0.1 + 0.19 * row, -0.04, z}, {0.09, 0.07, 0.085}, sides, 6);
    }
  // The fingers, little finger (-Z) to index: metacarpal, then three phalanges lying flat
  // under the weight; a phalanx that starts beyond its far edge curls up round it.
  const double zs[4] = {-0.27, -0.09, 0.09, 0.27};
  const double scale[4] = {0.8, 0.95, 1.0, 0.95};
  const double weightEdge = 1.98;
  for (int f = 0; f < 4; ++f) {
    const double s = scale[f], z = zs[f];
    TV3 p{0.4, -0.02, z};
    TV3 q{0.4 + 0.75 * s, 0, z};
    AddLongBone(m, p, q, 0.065, 0.04, 0.07, sides);
    const double lengths[3] = {0.45 * s, 0.3 * s, 0.22 * s};
    const double radii[3] = {0.055, 0.048, 0.042};
    for (int j = 0; j < 3; ++j) {
      p = q + TV3{0.04, 0, 0};
      const double a = p.X >= weightEdge ? 55 * Pi / 180 : 0;
      q = p + TV3{lengths[j] * std::cos(a), lengths[j] * std::sin(a), 0};
      AddLongBone(m, p, q, radii[j], radii[j] * 0.65, radii[j] * (j == 2 ? 0.8 : 0.95), sides);
    }
  }
  // The thumb beside the index finger, lying along the weight's side.
  const TV3 thumb[4] = {{0.32, -0.04, 0.34}, {0.72, -0.02, 0.55}, {1.06, 0.0, 0.66}, {1.3, 0.04, 0.7}};
  AddLongBone(m, thumb[0], thumb[1], 0.07, 0.045, 0.07, sides);
  AddLongBone(m, thumb[1] + TV3{0.03, 0, 0.015}, thumb[2], 0.06, 0.04, 0.055, sides);
  AddLongBone(m, thumb[2] + TV3{0.03, 0, 0.01}, thumb[3], 0.05, 0.035, 0.04, sides);
  return OneMesh("hand", std::move(m));
}
