// Drawing pieces the second half of the part library shares: normals that never go out
// zero or NaN, guarded inverse sines, strips between two rows of points, and the round
// tube pieces that ropes, coils and bent bars are made of.
#pragma once

#include <cstddef>
#include <vector>

#include "parts/PartGeometry.h"

// Emits the normal unless it is zero or not finite; GL then keeps the previous one, so a
// degenerate face shades like its neighbour instead of going black.
void EmitNormal(const TAffineVector& n);
void EmitNormal(Single x, Single y, Single z);
void EmitVertex(const TAffineVector& v);

// arcsin(num / den) and arccos(num / den) with the ratio clamped to [-1, 1]; a zero
// denominator gives the limit for the numerator's sign, NaN gives 0 (arcsin) or pi/2.
Single ArcSinRatio(double num, double den);
Single ArcCosRatio(double num, double den);
// Finite value, else 0.
inline Single Finite(Single v) { return SafeSingle(v, 0); }
// A step count from a floating value with an explicit range: NaN and -inf give lo.
Integer SafeSteps(double v, Integer lo, Integer hi);
// x reduced into [0, period); 0 when the period is not positive and finite.
Single WrapPositive(Single x, Single period);
// The most quads a round piece made of strips about a section (a rope, a coil, a torus) is
// drawn with: each of its two counts is bounded on its own, but their product could still
// fill a display list with hundreds of millions of vertices and hold the program up, with
// nothing more to see.
constexpr Integer MaxTubeQuads = 1 << 16;
// Halves the larger of the two counts (both kept at least 1) until their product is at
// most `quads`; counts that already fit are left alone.
void LimitGrid(Integer& along, Integer& around, Integer quads = MaxTubeQuads);
// Whether element is in a one-byte set.
inline bool InSet(Byte set, int element) { return element >= 0 && element < 8 && (set >> element) & 1; }

// A strip between two rows: per i < n-1 the normal UnitPlaneNormal(a[i], b[i], b[i+1]),
// then a[i] and b[i]; the last pair under the last normal. The rows cover [from, to].
void DrawRowStrip(const TGLVertexArray& a, const TGLVertexArray& b, size_t from, size_t to);

// One entry of a round section: the offsets r cos phi, r sin phi and the unit sin, cos.
struct TTubeSection {
  Single RC = 0, RS = 0, S = 0, C = 0;
};
using TTubeSectionArray = std::vector<TTubeSection>;
// Sides + 1 entries at phi = j 2pi / Sides of a section of radius r; the last repeats the first.
TTubeSectionArray MakeTubeSection(Integer sides, Single radius);

// A place on a tube's axis: the centre point there and the outward radial direction in the
// XY plane; the section's second axis is Z.
struct TTubeStation {
  TAffineVector Centre{};
  TAffineVector Radial{1, 0, 0};
};
// One strip over the section from station a to station b: per entry the normal at a and
// its vertex, then the normal at b and its vertex (one normal when the radials agree).
void DrawTubeStrip(const TTubeSectionArray& section, const TTubeStation& a, const TTubeStation& b);
// A station on a circle of radius rho about (cx, cy, z) at angle theta.
TTubeStation ArcStation(Single cx, Single cy, Single z, Single rho, Single theta);
