#include "engine/Base/VectorGeometry.h"

#include <cmath>

TAffineVector AffineVectorMake(Single x, Single y, Single z) { return {x, y, z}; }
TAffineVector AffineVectorMake(const TVector& v) { return {v[0], v[1], v[2]}; }
TVector VectorMake(Single x, Single y, Single z, Single w) { return {x, y, z, w}; }
TVector VectorMake(const TAffineVector& v, Single w) { return {v[0], v[1], v[2], w}; }
TVector PointMake(Single x, Single y, Single z) { return {x, y, z, 1}; }
TVector PointMake(const TAffineVector& v) { return {v[0], v[1], v[2], 1}; }

TAffineVector VectorAdd(const TAffineVector& a, const TAffineVector& b)
{
  return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
TVector VectorAdd(const TVector& a, const TVector& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2], a[3] + b[3]}; }
TAffineVector VectorSubtract(const TAffineVector& a, const TAffineVector& b)
{
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
TVector VectorSubtract(const TVector& a, const TVector& b)
{
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2], a[3] - b[3]};
}
TAffineVector VectorScale(const TAffineVector& v, Single f) { return {v[0] * f, v[1] * f, v[2] * f}; }
TVector VectorScale(const TVector& v, Single f) { return {v[0] * f, v[1] * f, v[2] * f, v[3] * f}; }
TAffineVector VectorNegate(const TAffineVector& v) { return {-v[0], -v[1], -v[2]}; }
Single VectorDotProduct(const TAffineVector& a, const TAffineVector& b)
{
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
Single VectorDotProduct(const TVector& a, const TVector& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

TAffineVector VectorCrossProduct(const TAffineVector& a, const TAffineVector& b)
{
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

TVector VectorCrossProduct(const TVector& a, const TVector& b)
{
  return VectorMake(VectorCrossProduct(AffineVectorMake(a), AffineVectorMake(b)), 0);
}

Single VectorLength(const TAffineVector& v) { return std::sqrt(VectorDotProduct(v, v)); }
Single VectorLength(const TVector& v) { return std::sqrt(VectorDotProduct(v, v)); }
Single VectorDistance(const TAffineVector& a, const TAffineVector& b) { return VectorLength(VectorSubtract(a, b)); }

TAffineVector VectorNormalize(const TAffineVector& v)
{
  Single len = VectorLength(v);
  if (!(len > 0) || !std::isfinite(len))
    return v;
  return VectorScale(v, 1 / len);
}

TVector VectorNormalize(const TVector& v)
{
  Single len = VectorLength(v);
  if (!(len > 0) || !std::isfinite(len))
    return v;
  Single f = 1 / len;
  return {v[0] * f, v[1] * f, v[2] * f, v[3]};
}

void NormalizeVector(TAffineVector& v) { v = VectorNormalize(v); }
void NormalizeVector(TVector& v) { v = VectorNormalize(v); }

TAffineVector VectorLerp(const TAffineVector& a, const TAffineVector& b, Single t)
{
  return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}

bool VectorEquals(const TAffineVector& a, const TAffineVector& b) { return a == b; }

void CalcPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3, TAffineVector& n)
{
  n = VectorNormalize(VectorCrossProduct(VectorSubtract(p2, p1), VectorSubtract(p3, p1)));
}

TAffineVector CalcPlaneNormal(const TAffineVector& p1, const TAffineVector& p2, const TAffineVector& p3)
{
  TAffineVector n;
  CalcPlaneNormal(p1, p2, p3, n);
  return n;
}

TMatrix CreateTranslationMatrix(const TAffineVector& v)
{
  TMatrix m = IdentityHmgMatrix;
  m[3][0] = v[0];
  m[3][1] = v[1];
  m[3][2] = v[2];
  return m;
}

TMatrix CreateTranslationMatrix(const TVector& v) { return CreateTranslationMatrix(AffineVectorMake(v)); }

TMatrix CreateScaleMatrix(const TAffineVector& v)
{
  TMatrix m = IdentityHmgMatrix;
  m[0][0] = v[0];
  m[1][1] = v[1];
  m[2][2] = v[2];
  return m;
}

TMatrix CreateScaleMatrix(const TVector& v) { return CreateScaleMatrix(AffineVectorMake(v)); }

TMatrix CreateRotationMatrixX(Single angle)
{
  Single s, c;
  SinCos(angle, s, c);
  TMatrix m = IdentityHmgMatrix;
  m[1][1] = c;
  m[1][2] = s;
  m[2][1] = -s;
  m[2][2] = c;
  return m;
}

TMatrix CreateRotationMatrixY(Single angle)
{
  Single s, c;
  SinCos(angle, s, c);
  TMatrix m = IdentityHmgMatrix;
  m[0][0] = c;
  m[0][2] = -s;
  m[2][0] = s;
  m[2][2] = c;
  return m;
}

TMatrix CreateRotationMatrixZ(Single angle)
{
  Single s, c;
  SinCos(angle, s, c);
  TMatrix m = IdentityHmgMatrix;
  m[0][0] = c;
  m[0][1] = s;
  m[1][0] = -s;
  m[1][1] = c;
  return m;
}

TMatrix CreateRotationMatrix(const TAffineVector& anAxis, Single angle)
{
  TAffineVector a = VectorNormalize(anAxis);
  Single s, c;
  SinCos(angle, s, c);
  Single t = 1 - c;
  Single x = a[0], y = a[1], z = a[2];
  // Rows are the images of the unit axes (row-vector convention).
  TMatrix m = IdentityHmgMatrix;
  m[0][0] = t * x * x + c;
  m[0][1] = t * x * y + s * z;
  m[0][2] = t * x * z - s * y;
  m[1][0] = t * x * y - s * z;
  m[1][1] = t * y * y + c;
  m[1][2] = t * y * z + s * x;
  m[2][0] = t * x * z + s * y;
  m[2][1] = t * y * z - s * x;
  m[2][2] = t * z * z + c;
  return m;
}

TMatrix CreateRotationMatrix(const TVector& axis, Single angle)
{
  return CreateRotationMatrix(AffineVectorMake(axis), angle);
}

TMatrix MatrixMultiply(const TMatrix& a, const TMatrix& b)
{
  TMatrix r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j] + a[i][3] * b[3][j];
  return r;
}

TAffineVector VectorTransform(const TAffineVector& v, const TMatrix& m)
{
  return {v[0] * m[0][0] + v[1] * m[1][0] + v[2] * m[2][0] + m[3][0],
          v[0] * m[0][1] + v[1] * m[1][1] + v[2] * m[2][1] + m[3][1],
          v[0] * m[0][2] + v[1] * m[1][2] + v[2] * m[2][2] + m[3][2]};
}

TVector VectorTransform(const TVector& v, const TMatrix& m)
{
  TVector r;
  for (int j = 0; j < 4; ++j)
    r[j] = v[0] * m[0][j] + v[1] * m[1][j] + v[2] * m[2][j] + v[3] * m[3][j];
  return r;
}

TAffineVector VectorRotate(const TAffineVector& v, const TMatrix& m)
{
  return {v[0] * m[0][0] + v[1] * m[1][0] + v[2] * m[2][0], v[0] * m[0][1] + v[1] * m[1][1] + v[2] * m[2][1],
          v[0] * m[0][2] + v[1] * m[1][2] + v[2] * m[2][2]};
}

TAffineVector RotateVector(const TAffineVector& v, const TAffineVector& axis, Single angle)
{
  return VectorRotate(v, CreateRotationMatrix(axis, angle));
}

TMatrix TransposeMatrix(const TMatrix& m)
{
  TMatrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r[i][j] = m[j][i];
  return r;
}

namespace {

// Gauss-Jordan elimination with partial pivoting, in double for stability.
bool Invert(const TMatrix& m, TMatrix& out, double* det)
{
  double a[4][8];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      a[i][j] = m[i][j];
      a[i][j + 4] = i == j ? 1 : 0;
    }
  double d = 1;
  for (int col = 0; col < 4; ++col) {
    int pivot = col;
    for (int r = col + 1; r < 4; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col]))
        pivot = r;
    if (!(std::fabs(a[pivot][col]) > 1e-30)) {
      if (det)
        *det = 0;
      return false;
    }
    if (pivot != col) {
      for (int j = 0; j < 8; ++j)
        std::swap(a[pivot][j], a[col][j]);
      d = -d;
    }
    double p = a[col][col];
    d *= p;
    for (int j = 0; j < 8; ++j)
      a[col][j] /= p;
    for (int r = 0; r < 4; ++r)
      if (r != col) {
        double f = a[r][col];
        if (f != 0)
          for (int j = 0; j < 8; ++j)
            a[r][j] -= f * a[col][j];
      }
  }
  if (det)
    *det = d;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      out[i][j] = static_cast<Single>(a[i][j + 4]);
      if (!std::isfinite(out[i][j]))
        return false;
    }
  return true;
}

}   // namespace

Single MatrixDeterminant(const TMatrix& m)
{
  TMatrix dummy;
  double d = 0;
  Invert(m, dummy, &d);
  return static_cast<Single>(d);
}

void InvertMatrix(TMatrix& m)
{
  TMatrix r;
  m = Invert(m, r, nullptr) ? r : IdentityHmgMatrix;
}

TMatrix MatrixInvert(const TMatrix& m)
{
  TMatrix r = m;
  InvertMatrix(r);
  return r;
}

void SinCos(Single theta, Single& s, Single& c)
{
  long double t = theta;
  s = static_cast<Single>(std::sin(t));
  c = static_cast<Single>(std::cos(t));
}

void SinCos(Double theta, Double& s, Double& c)
{
  long double t = theta;
  s = static_cast<Double>(std::sin(t));
  c = static_cast<Double>(std::cos(t));
}

void SinCos(Double theta, Single& s, Single& c)
{
  long double t = theta;
  s = static_cast<Single>(std::sin(t));
  c = static_cast<Single>(std::cos(t));
}

void SinCos(Single theta, Single radius, Single& s, Single& c)
{
  long double t = theta;
  s = static_cast<Single>(std::sin(t) * radius);
  c = static_cast<Single>(std::cos(t) * radius);
}

static long double Clamp1(long double x) { return x < -1 ? -1 : (x > 1 ? 1 : x); }

Single ArcSin(Single x) { return std::isnan(x) ? x : static_cast<Single>(std::asin(Clamp1(x))); }
Single ArcCos(Single x) { return std::isnan(x) ? x : static_cast<Single>(std::acos(Clamp1(x))); }
Single ArcTan2(Single y, Single x)
{
  return static_cast<Single>(std::atan2(static_cast<long double>(y), static_cast<long double>(x)));
}
Single Tan(Single x) { return static_cast<Single>(std::tan(static_cast<long double>(x))); }

Single Power(Single base, Single exponent)
{
  if (exponent == 0)
    return 1;
  if (base == 0)
    return exponent > 0 ? 0 : HUGE_VALF;
  return static_cast<Single>(std::pow(static_cast<long double>(base), static_cast<long double>(exponent)));
}

Single DegToRad(Single deg) { return deg * cPIdiv180; }
Single RadToDeg(Single rad) { return rad * c180divPI; }
