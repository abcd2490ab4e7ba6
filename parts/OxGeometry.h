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
void UnitPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3,
                     TAffineVector& n);
TAffineVector UnitPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3);

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
