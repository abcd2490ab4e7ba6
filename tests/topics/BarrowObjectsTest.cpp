#include "topics/BarrowObjects.h"

#include <gtest/gtest.h>

#include "engine/GLRecorder.h"
#include "engine/OpenGL1x.h"
#include "tests/parts/PartTestSupport.h"

namespace {

TEST(BarrowObjectsTest, DefaultsAreTheWheelbarrowTray)
{
  TAsymBox box;
  EXPECT_FLOAT_EQ(box.WallThickness, 0.01f);
  EXPECT_FLOAT_EQ(box.Corners[1][2], 0.849f);
  EXPECT_FLOAT_EQ(box.Corners[6][0], -0.3f);
  const auto l = box.InnerCorners();
  const Single dx[8] = {1, -1, -1, 1, 1, -1, -1, 1}, dz[8] = {-1, -1, 1, 1, -1, -1, 1, 1};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_FLOAT_EQ(l[i][0], box.Corners[i][0] + 0.01f * dx[i]);
    EXPECT_FLOAT_EQ(l[i][1], box.Corners[i][1]);
    EXPECT_FLOAT_EQ(l[i][2], box.Corners[i][2] + 0.01f * dz[i]);
  }
}

TEST(BarrowObjectsTest, DrawsTwoShellsAndARim)
{
  for (bool custom : {false, true}) {
    TAsymBox box;
    if (custom)
      box.Corners = {{{0.16f, 0.2f, -0.25f},
                      {0.16f, 0.2f, 0.25f},
                      {-0.16f, 0.2f, 0.25f},
                      {-0.16f, 0.2f, -0.25f},
                      {0.12f, 0.01f, -0.2f},
                      {0.12f, 0.01f, 0.2f},
                      {-0.12f, 0.01f, 0.2f},
                      {-0.12f, 0.01f, -0.2f}}};
    const TBuiltPart d = BuildPart(box);
    EXPECT_SOUND(d);
    const auto quads = d.OfMode(GL_QUADS), strips = d.OfMode(GL_TRIANGLE_STRIP);
    ASSERT_EQ(quads.size(), 2u);
    EXPECT_EQ(quads[0].Vertices.size(), 20u);
    EXPECT_EQ(quads[1].Vertices.size(), 20u);
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0].Vertices.size(), 10u);
    {
      // The inner shell is wound the other way, and the winding is put back after it.
      TGLRecorder rec;
      TRenderContextInfo rci;
      box.BuildList(rci);
      std::vector<double> faces;
      for (const TGLCall& c : rec.Calls())
        if (c.Name == "glFrontFace")
          faces.push_back(c.Args[0]);
      EXPECT_EQ(faces, (std::vector<double>{GL_CW, GL_CCW}));
    }
    // The outer faces' normals point away from the box's middle (the floor's down), the
    // inner faces' into it.
    TAffineVector mid{0, 0, 0};
    for (const auto& c : box.Corners)
      for (int k = 0; k < 3; ++k)
        mid[size_t(k)] += c[size_t(k)] / 8;
    for (size_t f = 0; f < 5; ++f) {
      const TAffineVector& n = quads[0].Normals[4 * f];
      EXPECT_NEAR(VectorLength(n), 1, 1e-5);
      TAffineVector centre{0, 0, 0};
      for (size_t k = 0; k < 4; ++k)
        for (int a = 0; a < 3; ++a)
          centre[size_t(a)] += quads[0].Vertices[4 * f + k][size_t(a)] / 4;
      EXPECT_GT(VectorDotProduct(n, VectorSubtract(centre, mid)), 0) << "face " << f << (custom ? " custom" : "");
      EXPECT_LT(VectorDotProduct(quads[1].Normals[4 * f], VectorSubtract(centre, mid)), 0) << "inner face " << f;
    }
    EXPECT_LT(quads[0].Normals[16][1], -0.99f);
    EXPECT_GT(quads[1].Normals[16][1], 0.99f);
    // The rim joins the inner rim corners to the outer ones and closes.
    EXPECT_EQ(strips[0].Vertices[0], box.InnerCorners()[0]);
    EXPECT_EQ(strips[0].Vertices[1], box.Corners[0]);
    EXPECT_EQ(strips[0].Vertices[8], strips[0].Vertices[0]);
  }
}

}   // namespace
