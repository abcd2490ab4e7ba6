#include "platform/BmpFile.h"
#include "tools/make-content/Content.h"
#include "tools/make-content/ContentKit.h"

// The nut lies between the nutcracker's small-nut notches, 0.2 from the hinge: their teeth
// stand about 0.097 from its centre with the arms open (15 degrees) and 0.064 when closed
// (5 degrees). The shell reaches those teeth only as the arms close, and no further: the jaws
// hold it at the end of their travel without cutting into it. The arms are 0.1 thick; the nut
// is a little wider than they are.

namespace {

constexpr double HalfLength = 0.072;   // along X, from the base to the tip
constexpr double HalfWidth = 0.064;    // along Y (between the jaws) and Z
constexpr int Segments = 40;           // round the long axis
constexpr int Bands = 24;              // from tip to base
constexpr int TextureSize = 128;
constexpr uint32_t Seed = 1723;

// How deep the shell's wrinkles are at a point of the unit sphere, 0 (ridge) to 1 (groove):
// a ridged noise whose creases meander like a walnut's.
double Groove(TV3 d)
{
  const double n = Fractal3(d.X * 3.1 + 7, d.Y * 3.1, d.Z * 3.1, 3, Seed);
  const double crease = std::fabs(2 * n - 1);
  return 1 - SmoothStep(0.02, 0.3, crease);
}

// The seam where the two half shells meet runs round the nut in the plane y = 0.
double Seam(TV3 d) { return std::exp(-(d.Y / 0.09) * (d.Y / 0.09)); }

// The direction at texture coordinates (s round the long axis, t from tip to base).
TV3 Direction(double s, double t)
{
  const double theta = Pi * t, phi = 2 * Pi * s;
  return {std::cos(theta), std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi)};
}

}   // namespace

T3DSModel MakeNut()
{
  T3DSMesh m;
  m.Name = "nut";
  // A grid of (Segments + 1) x (Bands + 1) points: the first and last columns coincide so
  // the texture can wrap; the poles repeat their point with each column's s.
  for (int i = 0; i <= Bands; ++i)
    for (int j = 0; j <= Segments; ++j) {
      const double s = double(j) / Segments, t = double(i) / Bands;
      const TV3 d = Direction(s, t);
      // A blunt point at the tip, a flatter base.
      const double tip = d.X > 0 ? 0.14 * std::pow(d.X, 12) : -0.04 * std::pow(-d.X, 6);
      const double r = 1 - 0.07 * Groove(d) + 0.07 * Seam(d);
      TV3 p{d.X * HalfLength * (r + tip), d.Y * HalfWidth * r, d.Z * HalfWidth * r};
      if (i == 0 || i == Bands)
        p = {d.X * HalfLength * (r + tip), 0, 0};
      m.Vertices.push_back(StoredPoint(p));
      m.TexCoords.push_back({Quantise(s), Quantise(t)});
    }
  auto at = [](int i, int j) { return uint16_t(i * (Segments + 1) + j); };
  for (int i = 0; i < Bands; ++i)
    for (int j = 0; j < Segments; ++j) {
      // These windings face outwards (s turns about +X, t runs towards -X). The first
      // and last bands meet a pole, where one of each pair of triangles has no area.
      if (i > 0)
        m.Faces.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
      if (i + 1 < Bands)
        m.Faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
    }
  T3DSModel model;
  model.Meshes.push_back(std::move(m));
  return model;
}

std::vector<uint8_t> MakeNutTexture()
{
  TPicture pic(TextureSize, TextureSize);
  const TRGB shell{0.74, 0.56, 0.36}, deep{0.36, 0.22, 0.11}, seam{0.62, 0.45, 0.27};
  for (int32_t y = 0; y < TextureSize; ++y)
    for (int32_t x = 0; x < TextureSize; ++x) {
      const TV3 d = Direction((x + 0.5) / TextureSize, (y + 0.5) / TextureSize);
      TRGB c = MixColour(shell, deep, 0.85 * Groove(d));
      c = MixColour(c, seam, 0.5 * Seam(d));
      // Fine speckle in the shell's surface.
      const double speck = Noise3(d.X * 40, d.Y * 40, d.Z * 40, Seed + 9);
      pic.At(x, y) = ScaleColour(c, 0.9 + 0.2 * speck);
    }
  return SaveBmpToBytes(pic.ToBitmap());
}
