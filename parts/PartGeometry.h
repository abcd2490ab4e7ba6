// Small vector helpers of the part library and the drawing patterns every flat part shares:
// the extruded outline (front fan, back fan, side strip), the side band drawn in a second
// colour, and the safe counts that keep a part drawable whatever numbers it is given.
#pragma once

#include <vector>

#include "engine/Base/VectorGeometry.h"
#include "platform/Types.h"

// The outlines the drawing routines keep, and arrays of them.
using TGLVertexArray = std::vector<TAffineVector>;
using TGLVertexArrayArray = std::vector<TGLVertexArray>;

void SetVector(TAffineVector& v, Single x, Single y, Single z);
void SetVertex(TAffineVector& v, Single x, Single y, Single z);
void CopyVertex(const TAffineVector& source, TAffineVector& destination);

// N = (p1 - p2) x (p2 - p3) scaled to unit length; a zero-length product stays zero.
void UnitPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3, TAffineVector& n);
TAffineVector UnitPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3);

// A full turn as the toothed-wheel and part formulas take it.
constexpr Single FullCircle = 6.283185f;

// --- safe numbers ------------------------------------------------------------------------
// The largest number of segments, teeth or steps a part draws: beyond it a part would only
// allocate and draw without any visible gain.
constexpr Integer MaxPartSegments = 4096;

// A count clamped to [lo, MaxPartSegments] (lo at least 1 by default).
Integer SafeCount(Integer n, Integer lo = 1);
// A count computed from a floating value (truncated): NaN and infinities give lo.
Integer SafeCountF(double n, Integer lo = 1);
// v when it is finite, else fallback.
Single SafeSingle(Single v, Single fallback = 0);
// a / b, or fallback when b is 0 or the result is not finite.
Single SafeDivide(Single a, Single b, Single fallback = 0);

// --- second colour -------------------------------------------------------------------------
// The colour of a side band: red, green, blue, alpha.
struct TSideColour {
  Single R = 0.6f, G = 0.6f, B = 0.6f, A = 1.0f;
  friend bool operator==(const TSideColour&, const TSideColour&) = default;
};
constexpr TSideColour GreySideColour{0.6f, 0.6f, 0.6f, 1.0f};
constexpr TSideColour BronzeSideColour{0.65f, 0.49f, 0.24f, 1.0f};

// Pushes all attributes and makes the following geometry take `colour` through colour
// tracking, with specular (0.6, 0.6, 0.6, 1) and shininess 60 on both faces.
void BeginSideColour(const TSideColour& colour);
// Pops what BeginSideColour pushed.
void EndSideColour();

// Runs BeginSideColour / EndSideColour around a scope when `enabled`.
class TSideColourScope {
public:
  TSideColourScope(bool enabled, const TSideColour& colour);
  ~TSideColourScope();
  TSideColourScope(const TSideColourScope&) = delete;
  TSideColourScope& operator=(const TSideColourScope&) = delete;

private:
  bool FEnabled;
};

// --- extruded outlines ----------------------------------------------------------------------
// The outline in the XY plane lifted to z.
TGLVertexArray LiftOutline(const TGLVertexArray& outline, Single z);

// Front face: a triangle fan with normal (0, 0, 1) from `centre` through the points in order.
void DrawFrontFan(const TAffineVector& centre, const TGLVertexArray& front);
// Back face: a triangle fan with normal (0, 0, -1) from `centre` through the points reversed.
void DrawBackFan(const TAffineVector& centre, const TGLVertexArray& back);
// Side wall: one triangle strip; per point i < n-1 the normal UnitPlaneNormal(front i,
// back i, back i+1), then front i and back i; the last point keeps the previous normal.
// front and back must have the same length.
void DrawSideStrip(const TGLVertexArray& front, const TGLVertexArray& back);

// A whole flat part: the outline (closed: its last point repeats its first, or will be
// closed here when `close` is set) at z = +h and -h, fans about the two centres and the
// side strip, the strip inside a side-colour scope when `sideColoured`.
void DrawExtrudedOutline(const TGLVertexArray& outline, Single halfThickness, const TAffineVector& fanCentre,
                         bool close, bool sideColoured = false, const TSideColour& colour = GreySideColour);

// --- further shapes -------------------------------------------------------------------------
// Appends the arc of radius r about (cx, cy) from angle a0 to a1 (radians, either way) in
// `segments` steps: segments + 1 points, both ends included.
void AppendArc(TGLVertexArray& points, Single cx, Single cy, Single r, Single a0, Single a1, Integer segments);

// Front (z = +h, normal +Z) and back (z = -h, normal -Z) faces of any simple outline,
// concave ones included, as triangles.
void DrawOutlineFaces(const TGLVertexArray& outline, Single halfThickness);

// A flat part of any simple outline (counter-clockwise, not closed): both faces as
// triangles and the closed side strip, in the side colour when `sideColoured`.
void DrawExtrudedPolygon(const TGLVertexArray& outline, Single halfThickness, bool sideColoured = false,
                         const TSideColour& colour = GreySideColour);

// A flat part with holes: the outer outline counter-clockwise, each hole counter-clockwise
// too (it is walked the other way for its wall, whose normals face into the hole).
void DrawExtrudedContours(const TGLVertexArray& outer, const TGLVertexArrayArray& holes, Single halfThickness,
                          bool sideColoured = false, const TSideColour& colour = GreySideColour);

// An axis-aligned box between two corners, six quads with outward normals.
void DrawBox(const TAffineVector& lo, const TAffineVector& hi);

// A flat ring between two outlines of the same point count (both counter-clockwise, not
// closed, point i of one facing point i of the other): faces as triangle strips, the outer
// wall facing out and the inner wall facing the hole; both walls in the side colour when
// `sideColoured`.
void DrawExtrudedRing(const TGLVertexArray& outer, const TGLVertexArray& inner, Single halfThickness,
                      bool sideColoured = false, const TSideColour& colour = GreySideColour);

// A solid of revolution about Z: the profile is a list of (radius, z) pairs in x and y of
// the points, ordered so that the outside lies on the right of the direction of travel (a
// solid's profile runs out from the axis at the bottom, up the outer wall and back in at
// the top). One quad strip per profile segment, with the segment's own normal; segments
// on the axis are skipped.
void DrawRevolvedProfile(const TGLVertexArray& profile, Integer slices);

// The points of a circle (counter-clockwise from +X, not closed).
TGLVertexArray CirclePoints(Single radius, Integer segments, Single z = 0);
