// What the content generator's files share: a small double-precision vector, a
// deterministic noise, colours, and meshes made of revolved rings. Every number is worked
// out in double and rounded onto a coarse grid before it is stored, so the files come out
// byte for byte the same wherever the generator runs.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/File3DS.h"
#include "platform/Bitmap.h"

struct TV3 {
  double X = 0, Y = 0, Z = 0;
};
inline TV3 operator+(TV3 a, TV3 b) { return {a.X + b.X, a.Y + b.Y, a.Z + b.Z}; }
inline TV3 operator-(TV3 a, TV3 b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
inline TV3 operator*(TV3 a, double k) { return {a.X * k, a.Y * k, a.Z * k}; }
inline double Dot(TV3 a, TV3 b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
inline TV3 Cross(TV3 a, TV3 b) { return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X}; }
inline double Length(TV3 a) { return std::sqrt(Dot(a, a)); }
inline TV3 Normalized(TV3 a)
{
  const double l = Length(a);
  return l > 0 ? a * (1 / l) : a;
}

constexpr double Pi = 3.14159265358979323846;

double Clamp01(double v);
double SmoothStep(double e0, double e1, double v);
double Mix(double a, double b, double t);

// Lattice noise from an integer hash: values in [0, 1], smooth between lattice points.
double Noise2(double x, double y, uint32_t seed);
double Noise3(double x, double y, double z, uint32_t seed);
// Sums of octaves, each twice the frequency and half the weight; in [0, 1].
double Fractal2(double x, double y, int octaves, uint32_t seed);
double Fractal3(double x, double y, double z, int octaves, uint32_t seed);

struct TRGB {
  double R = 0, G = 0, B = 0;
};
TRGB MixColour(TRGB a, TRGB b, double t);
TRGB ScaleColour(TRGB a, double k);

// A 24-bit picture from colours in [0, 1] (rounded, clamped).
class TPicture {
public:
  TPicture(int32_t width, int32_t height);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  TRGB& At(int32_t x, int32_t y) { return FPixels[size_t(y) * size_t(FWidth) + size_t(x)]; }
  const TRGB& At(int32_t x, int32_t y) const { return FPixels[size_t(y) * size_t(FWidth) + size_t(x)]; }
  TBitmap ToBitmap() const;

private:
  int32_t FWidth, FHeight;
  std::vector<TRGB> FPixels;
};

// One ring of a revolved surface: its distance along the axis and its radii towards the
// side direction and across it. A ring of zero radii is a pole and closes the surface.
struct TRing {
  double At = 0;
  double Side = 0;
  double Across = 0;
};

// Adds the surface through the rings, revolved about the line from `from` towards `to`,
// faces turned outwards. `side` fixes which way the rings' Side radius points.
void AddLathe(T3DSMesh& mesh, TV3 from, TV3 to, TV3 side, const std::vector<TRing>& rings, int sides);
// An ellipsoid about `centre` with the three half axes.
void AddEllipsoid(T3DSMesh& mesh, TV3 centre, TV3 radii, int sides, int rings);
// The rings of a long bone from `from` to `to`: rounded knobs of radius r0 and r1 at the
// ends and a waist of radius rs between, round in section.
void AddLongBone(T3DSMesh& mesh, TV3 from, TV3 to, double r0, double rs, double r1, int sides);

// A stored coordinate: on a grid of 1/65536, so a last-bit difference of the maths library
// does not reach the file.
Single Quantise(double v);
TAffineVector StoredPoint(TV3 p);
