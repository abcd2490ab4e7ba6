#include "engine/Base/VectorGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectNear(const TAffineVector& a, const TAffineVector& b, float eps = 1e-5f)
{
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(a[i], b[i], eps) << "component " << i;
}

TEST(VectorGeometry, DegreeFactorsAreTheSinglePrecisionConstants)
{
  EXPECT_EQ(cPIdiv180, 0.0174532924f);
  EXPECT_EQ(c180divPI, 57.2957802f);
  EXPECT_EQ(DegToRad(180), 180 * 0.0174532924f);
  EXPECT_EQ(RadToDeg(1), 57.2957802f);
}

TEST(VectorGeometry, RotationsAreRightHandedForRowVectors)
{
  const float q = DegToRad(90);
  ExpectNear(VectorTransform(XVector, CreateRotationMatrixZ(q)), YVector);
  ExpectNear(VectorTransform(YVector, CreateRotationMatrixX(q)), ZVector);
  ExpectNear(VectorTransform(ZVector, CreateRotationMatrixY(q)), XVector);
  // The axis-angle form agrees with the fixed-axis ones.
  TMatrix a = CreateRotationMatrix(AffineVectorMake(0, 0, 2), 0.7f);
  TMatrix b = CreateRotationMatrixZ(0.7f);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_NEAR(a[i][j], b[i][j], 1e-6f);
}

TEST(VectorGeometry, MatrixMultiplyAppliesTheLeftMatrixFirst)
{
  TMatrix m = MatrixMultiply(CreateTranslationMatrix(AffineVectorMake(1, 0, 0)), CreateRotationMatrixZ(DegToRad(90)));
  // Translate to (1,0,0) first, then turn a quarter: (0,1,0).
  ExpectNear(VectorTransform(NullVector, m), YVector);
  TVector p = VectorTransform(PointMake(0, 0, 0), m);
  EXPECT_NEAR(p[1], 1, 1e-6f);
  EXPECT_EQ(p[3], 1);
}

TEST(VectorGeometry, InvertMatrixRoundTripsAndSingularGivesIdentity)
{
  TMatrix m =
      MatrixMultiply(CreateScaleMatrix(AffineVectorMake(2, 3, 4)),
                     MatrixMultiply(CreateRotationMatrixX(0.3f), CreateTranslationMatrix(AffineVectorMake(1, -2, 5))));
  TMatrix inv = MatrixInvert(m);
  TMatrix id = MatrixMultiply(m, inv);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_NEAR(id[i][j], i == j ? 1 : 0, 1e-5f);
  TMatrix singular = CreateScaleMatrix(AffineVectorMake(1, 0, 1));
  InvertMatrix(singular);
  EXPECT_EQ(singular, IdentityHmgMatrix);
  TMatrix nan = IdentityHmgMatrix;
  nan[0][0] = NAN;
  InvertMatrix(nan);
  EXPECT_EQ(nan, IdentityHmgMatrix);
}

TEST(VectorGeometry, NormalsAndNormalisation)
{
  TAffineVector n;
  CalcPlaneNormal(AffineVectorMake(0, 0, 0), AffineVectorMake(2, 0, 0), AffineVectorMake(0, 3, 0), n);
  ExpectNear(n, ZVector);
  // A zero vector stays zero rather than turning into NaN.
  ExpectNear(VectorNormalize(NullVector), NullVector, 0);
  CalcPlaneNormal(AffineVectorMake(1, 1, 1), AffineVectorMake(1, 1, 1), AffineVectorMake(2, 2, 2), n);
  EXPECT_TRUE(std::isfinite(n[0]) && std::isfinite(n[1]) && std::isfinite(n[2]));
}

TEST(VectorGeometry, SinCosAndInverseFunctions)
{
  float s, c;
  SinCos(DegToRad(30), s, c);
  EXPECT_NEAR(s, 0.5f, 1e-6f);
  EXPECT_NEAR(c, std::sqrt(3.0f) / 2, 1e-6f);
  double sd, cd;
  SinCos(0.25, sd, cd);
  EXPECT_DOUBLE_EQ(sd, std::sin(0.25L));
  // Arguments a rounding error outside [-1, 1] do not give NaN.
  EXPECT_NEAR(ArcCos(1.0000001f), 0, 1e-6f);
  EXPECT_NEAR(ArcSin(-1.0000001f), -cPI / 2, 1e-6f);
  EXPECT_FLOAT_EQ(Power(2, 10), 1024);
  EXPECT_FLOAT_EQ(Power(0, 0), 1);
}

}   // namespace
