// Vector and matrix maths of the scene engine, in single precision as the scenes expect.
// Matrices follow the row-vector convention: a point is a row vector multiplied on the
// left (p' = p * M), so the translation sits in row 3 and MatrixMultiply(A, B) applies A
// first, then B. That layout is also the memory layout glMultMatrixf expects.
#pragma once

#include <array>

#include "platform/Types.h"

using TAffineVector = std::array<Single, 3>;
using TVector = std::array<Single, 4>;
using TVector3f = TAffineVector;
using TVector4f = TVector;
using TMatrix = std::array<TVector, 4>;
using TAffineMatrix = std::array<TAffineVector, 3>;

// Axis-aligned bounding box.
struct TAABB {
  TAffineVector Min{};
  TAffineVector Max{};
};

// pi/180 and 180/pi held as Singles, as every angle conversion of the scenes uses them.
constexpr Single cPIdiv180 = 0.0174532924f;
constexpr Single c180divPI = 57.2957802f;
constexpr Single cPI = 3.14159265f;

constexpr TAffineVector NullVector{0, 0, 0};
constexpr TAffineVector XVector{1, 0, 0};
constexpr TAffineVector YVector{0, 1, 0};
constexpr TAffineVector ZVector{0, 0, 1};
constexpr TVector NullHmgVector{0, 0, 0, 0};
constexpr TVector NullHmgPoint{0, 0, 0, 1};
constexpr TVector XHmgVector{1, 0, 0, 0};
constexpr TVector YHmgVector{0, 1, 0, 0};
constexpr TVector ZHmgVector{0, 0, 1, 0};
constexpr TMatrix IdentityHmgMatrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

TAffineVector AffineVectorMake(Single x, Single y, Single z);
TAffineVector AffineVectorMake(const TVector& v);
TVector VectorMake(Single x, Single y, Single z, Single w = 0);
TVector VectorMake(const TAffineVector& v, Single w = 0);
// A point in homogeneous form: (x, y, z, 1).
TVector PointMake(Single x, Single y, Single z);
TVector PointMake(const TAffineVector& v);

TAffineVector VectorAdd(const TAffineVector& a, const TAffineVector& b);
TVector VectorAdd(const TVector& a, const TVector& b);
TAffineVector VectorSubtract(const TAffineVector& a, const TAffineVector& b);
TVector VectorSubtract(const TVector& a, const TVector& b);
TAffineVector VectorScale(const TAffineVector& v, Single f);
TVector VectorScale(const TVector& v, Single f);
TAffineVector VectorNegate(const TAffineVector& v);
Single VectorDotProduct(const TAffineVector& a, const TAffineVector& b);
// Dot product of the x, y, z parts only.
Single VectorDotProduct(const TVector& a, const TVector& b);
TAffineVector VectorCrossProduct(const TAffineVector& a, const TAffineVector& b);
// Cross product of the x, y, z parts; w of the result is 0.
TVector VectorCrossProduct(const TVector& a, const TVector& b);
Single VectorLength(const TAffineVector& v);
Single VectorLength(const TVector& v);   // of x, y, z
Single VectorDistance(const TAffineVector& a, const TAffineVector& b);
// Unit vector in the same direction; a zero (or non-finite) vector stays as it is.
TAffineVector VectorNormalize(const TAffineVector& v);
TVector VectorNormalize(const TVector& v);
void NormalizeVector(TAffineVector& v);
void NormalizeVector(TVector& v);
TAffineVector VectorLerp(const TAffineVector& a, const TAffineVector& b, Single t);
bool VectorEquals(const TAffineVector& a, const TAffineVector& b);

// Unit normal of the plane through three points: (p2 - p1) x (p3 - p1), normalised.
void CalcPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3, TAffineVector& n);
TAffineVector CalcPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3);

TMatrix CreateTranslationMatrix(const TAffineVector& v);
TMatrix CreateTranslationMatrix(const TVector& v);
TMatrix CreateScaleMatrix(const TAffineVector& v);
TMatrix CreateScaleMatrix(const TVector& v);
// Right-handed rotations (counter-clockwise looking down the axis towards the origin),
// angles in radians.
TMatrix CreateRotationMatrixX(Single angle);
TMatrix CreateRotationMatrixY(Single angle);
TMatrix CreateRotationMatrixZ(Single angle);
TMatrix CreateRotationMatrix(const TAffineVector& axis, Single angle);
TMatrix CreateRotationMatrix(const TVector& axis, Single angle);

// A * B: applying the result is applying A, then B.
TMatrix MatrixMultiply(const TMatrix& a, const TMatrix& b);
// Point transform: v is taken with w = 1, so translation applies.
TAffineVector VectorTransform(const TAffineVector& v, const TMatrix& m);
TVector VectorTransform(const TVector& v, const TMatrix& m);
// Direction transform: rotation and scale only.
TAffineVector VectorRotate(const TAffineVector& v, const TMatrix& m);
// Rotates v about the (unit or not) axis by angle radians, right-handed.
TAffineVector RotateVector(const TAffineVector& v, const TAffineVector& axis, Single angle);
TMatrix TransposeMatrix(const TMatrix& m);
Single MatrixDeterminant(const TMatrix& m);
// Inverse in place; a singular (or non-finite) matrix becomes the identity.
void InvertMatrix(TMatrix& m);
TMatrix MatrixInvert(const TMatrix& m);

// Sine and cosine of one angle, worked out in extended precision and stored at the
// precision of the result.
void SinCos(Single theta, Single& s, Single& c);
void SinCos(Double theta, Double& s, Double& c);
void SinCos(Double theta, Single& s, Single& c);
void SinCos(Single theta, Single radius, Single& s, Single& c);
Single ArcSin(Single x);   // argument clamped to [-1, 1]
Single ArcCos(Single x);   // argument clamped to [-1, 1]
Single ArcTan2(Single y, Single x);
Single Tan(Single x);
Single Power(Single base, Single exponent);
Single DegToRad(Single deg);
Single RadToDeg(Single rad);
