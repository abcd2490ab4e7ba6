#include "tools/make-content/ContentKit.h"

#include <algorithm>


double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

double SmoothStep(double e0, double e1, double v)
{
  const double t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

double Mix(double a, double b, double t) { return a + (b - a) * t; }

namespace {

uint32_t Hash(int32_t x, int32_t y, int32_t z, uint32_t seed)
{
  uint32_t h = seed * 0x9E3779B9u;
  h ^= uint32_t(x) * 0x85EBCA6Bu;
  h = (h << 13) | (h >> 19);
  h ^= uint32_t(y) * 0xC2B2AE35u;
  h = (h << 11) | (h >> 21);
  h ^= uint32_t(z) * 0x27D4EB2Fu;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

double Lattice(int32_t x, int32_t y, int32_t z, uint32_t seed)
{
  return double(Hash(x, y, z, seed) >> 8) / double(1u << 24);
}

double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}   // namespace

double Noise3(double x, double y, double z, uint32_t seed)
{
  const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int32_t ix = SafeTrunc(fx), iy = SafeTrunc(fy), iz = SafeTrunc(fz);
  const double u = Fade(x - fx), v = Fade(y - fy), w = Fade(z - fz);
  double plane[2];
  for (int k = 0; k < 2; ++k) {
    const double a = Mix(Lattice(ix, iy, iz + k, seed), Lattice(ix + 1, iy, iz + k, seed), u);
    const double b = Mix(Lattice(ix, iy + 1, iz + k, seed), Lattice(ix + 1, iy + 1, iz + k, seed), u);
    plane[k] = Mix(a, b, v);
  }
  return Mix(plane[0], plane[1], w);
}

double Noise2(double x, double y, uint32_t seed) { return Noise3(x, y, 0, seed); }

double Fractal3(double x, double y, double z, int octaves, uint32_t seed)
{
  double sum = 0, weight = 1, total = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += weight * Noise3(x, y, z, seed + uint32_t(o));
    total += weight;
    weight *= 0.5;
    x *= 2;
    y *= 2;
    z *= 2;
  }
  return sum / total;
}

double Fractal2(double x, double y, int octaves, uint32_t seed) { return Fractal3(x, y, 0, octaves, seed); }

TRGB MixColour(TRGB a, TRGB b, double t) { return {Mix(a.R, b.R, t), Mix(a.G, b.G, t), Mix(a.B, b.B, t)}; }

TRGB ScaleColour(TRGB a, double k) { return {a.R * k, a.G * k, a.B * k}; }

TPicture::TPicture(int32_t width, int32_t height)
    : FWidth(width), FHeight(height), FPixels(size_t(width) * size_t(height))
{}

TBitmap TPicture::ToBitmap() const
{
  TBitmap bmp(FWidth, FHeight, TPixelFormat::pf24bit);
  auto byte = [](double v) { return uint8_t(SafeRound(Clamp01(v) * 255)); };
  for (int32_t y = 0; y < FHeight; ++y) {
    uint8_t* row = bmp.ScanLine(y);
    for (int32_t x = 0; x < FWidth; ++x) {
      const TRGB& c = At(x, y);
      row[3 * x] = byte(c.B);
      row[3 * x + 1] = byte(c.G);
      row[3 * x + 2] = byte(c.R);
    }
  }
  return bmp;
}

Single Quantise(double v) { return Single(std::round(v * 65536.0) / 65536.0); }

TAffineVector StoredPoint(TV3 p) { return {Quantise(p.X), Quantise(p.Y), Quantise(p.Z)}; }

void AddLathe(T3DSMesh& mesh, TV3 from, TV3 to, TV3 side, const std::vector<TRing>& rings, int sides)
{
  const TV3 axis = Normalized(to - from);
  const TV3 u = Normalized(side - axis * Dot(side, axis));
  const TV3 w = Cross(axis, u);
  // First index of each ring; a pole ring has one vertex.
  std::vector<size_t> first;
  for (const TRing& r : rings) {
    first.push_back(mesh.Vertices.size());
    const TV3 centre = from + axis * r.At;
    if (r.Side == 0 && r.Across == 0) {
      mesh.Vertices.push_back(StoredPoint(centre));
      continue;
    }
    for (int k = 0; k < sides; ++k) {
      const double a = 2 * Pi * k / sides;
      mesh.Vertices.push_back(StoredPoint(centre + u * (r.Side * std::cos(a)) + w * (r.Across * std::sin(a))));
    }
  }
  auto index = [&](size_t ring, int k) {
    const bool pole = rings[ring].Side == 0 && rings[ring].Across == 0;
    return uint16_t(first[ring] + (pole ? 0 : size_t(k % sides)));
  };
  for (size_t i = 0; i + 1 < rings.size(); ++i) {
    const bool pole0 = rings[i].Side == 0 && rings[i].Across == 0;
    const bool pole1 = rings[i + 1].Side == 0 && rings[i + 1].Across == 0;
    for (int k = 0; k < sides; ++k) {
      const uint16_t a = index(i, k), b = index(i, k + 1), c = index(i + 1, k + 1), d = index(i + 1, k);
      if (!pole1)
        mesh.Faces.push_back({a, c, d});
      if (!pole0)
        mesh.Faces.push_back({a, b, c});
    }
  }
}

void AddEllipsoid(T3DSMesh& mesh, TV3 centre, TV3 radii, int sides, int rings)
{
  std::vector<TRing> r;
  for (int i = 0; i <= rings; ++i) {
    const double t = Pi * i / rings;
    const double s = i == 0 || i == rings ? 0 : std::sin(t);
    r.push_back({radii.Y * (1 - std::cos(t)), radii.X * s, radii.Z * s});
  }
  AddLathe(mesh, centre - TV3{0, radii.Y, 0}, centre + TV3{0, radii.Y, 0}, {1, 0, 0}, r, sides);
}

void AddLongBone(T3DSMesh& mesh, TV3 from, TV3 to, double r0, double rs, double r1, int sides)
{
  const double length = Length(to - from);
  // A rounded knob: quarter-circle rings, then a neck down to the waist.
  std::vector<TRing> rings{{0, 0, 0}};
  for (double a : {0.2, 0.55}) {
    const double rr = r0 * std::sqrt(1 - (1 - a) * (1 - a));
    rings.push_back({a * r0, rr, rr});
  }
  rings.push_back({1.2 * r0, r0, r0});
  rings.push_back({std::min(2.4 * r0, 0.45 * length), rs, rs});
  rings.push_back({std::max(length - 2.4 * r1, 0.55 * length), rs, rs});
  rings.push_back({length - 1.2 * r1, r1, r1});
  for (double a : {0.55, 0.2}) {
    const double rr = r1 * std::sqrt(1 - (1 - a) * (1 - a));
    rings.push_back({length - a * r1, rr, rr});
  }
  rings.push_back({length, 0, 0});
  // Any side direction that is not along the bone.
  const TV3 axis = Normalized(to - from);
  const TV3 side = std::fabs(axis.Y) < 0.9 ? TV3{0, 1, 0} : TV3{1, 0, 0};
  AddLathe(mesh, from, to, side, rings, sides);
}
