#include "topics/ScissorObjects.h"

#include <gtest/gtest.h>

#include "engine/OpenGL1x.h"
#include "tests/parts/PartTestSupport.h"

namespace {

TEST(ScissorObjectsTest, PaperCutFoldAndReset)
{
  TPaper p;
  EXPECT_TRUE(p.Flat);
  EXPECT_FLOAT_EQ(p.Vertices[3][0], -0.4f);
  // Off the sheet: the corner still lifts, the cut point stays.
  p.SetCutPoint(0.2f, 0.07f);
  EXPECT_FLOAT_EQ(p.Vertices[3][0], -0.4f);
  EXPECT_FLOAT_EQ(p.Vertices[1][1], 0.07f);
  EXPECT_FALSE(p.Flat);
  p.SetCutPoint(-0.75f, 0.01f);   // the sheet's end is on it
  EXPECT_FLOAT_EQ(p.Vertices[3][0], -0.75f);
  p.ResetCut();
  EXPECT_TRUE(p.Flat);
  EXPECT_FLOAT_EQ(p.Vertices[3][0], -0.375f);
  EXPECT_FLOAT_EQ(p.Vertices[1][1], 0);
  const auto flat = p.Vertices;
  p.ResetCut();
  EXPECT_EQ(p.Vertices, flat);

  // A fold line off the sheet changes nothing; on it V0 and V1 lift, V2 and V3 move.
  p.SetFoldLine(0.01f, 0.2f);
  EXPECT_EQ(p.Vertices, flat);
  EXPECT_TRUE(p.Flat);
  p.SetFoldLine(0, 0.2f);
  EXPECT_FLOAT_EQ(p.Vertices[2][0], 0);
  EXPECT_FLOAT_EQ(p.Vertices[0][1], 0.2f);
  p.ResetCut();
  EXPECT_FLOAT_EQ(p.Vertices[2][0], 0);   // the fold stays
  EXPECT_FLOAT_EQ(p.Vertices[0][1], 0.2f);

  p.SetSheetSize(2, 1);
  EXPECT_EQ(p.Vertices[1], (TAffineVector{1, 0, -0.5f}));
  EXPECT_EQ(p.Vertices[4], (TAffineVector{-1, 0, 0.5f}));
}

TEST(ScissorObjectsTest, ShapesDrawSoundly)
{
  TScissorBlade blade;
  TScissorHandle handle;
  TFlatHead head(nullptr, 0.03f), unsized;
  TPaper paper;
  TCard card;
  EXPECT_FLOAT_EQ(unsized.Size, 0);
  for (TGLBaseSceneObject* o : std::initializer_list<TGLBaseSceneObject*>{&blade, &handle, &head, &paper, &card}) {
    const TBuiltPart b = BuildPart(*o);
    EXPECT_SOUND(b);
    EXPECT_EQ(b.Pushes, b.Pops);
  }
  // The blade: front fan about the pivot, the back fan, the edge band.
  const TBuiltPart b = BuildPart(blade);
  ASSERT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 2u);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_FAN)[0].Vertices.size(), 18u);
  const auto front = TScissorBlade::Outline(true, 0.01f), back = TScissorBlade::Outline(false, 0.01f);
  EXPECT_NEAR(front[5][1] - back[5][1], -0.01, 1e-6);
  EXPECT_EQ(front[16], front[0]);
  // The edge band's normals point out of the outline (which runs counter-clockwise).
  double area = 0;
  for (size_t k = 0; k < 16; ++k)
    area += back[k][0] * back[k + 1][1] - back[k + 1][0] * back[k][1];
  EXPECT_GT(area, 0);
  const auto strip = b.OfMode(GL_TRIANGLE_STRIP)[0];
  for (size_t k = 0; k < 16; ++k) {
    const TAffineVector& n = strip.Normals[2 * k];
    const Single dx = back[k + 1][0] - back[k][0], dy = back[k + 1][1] - back[k][1];
    EXPECT_GT(n[0] * dy - n[1] * dx, 0) << k;
  }
  // The loop's plate reaches 0.132 along x and 0.108 along y; its inner edge meets the
  // plate at 0.075.
  const TBuiltPart h = BuildPart(handle);
  Single maxX = 0, maxY = 0;
  for (const auto& p : h.Prims)
    for (const auto& v : p.Vertices) {
      maxX = std::max(maxX, v[0]);
      maxY = std::max(maxY, v[1]);
    }
  EXPECT_NEAR(maxX, 0.132, 1e-5);
  EXPECT_NEAR(maxY, 0.108, 1e-3);   // 30 steps miss the top by a little
  EXPECT_NEAR(h.Prims[0].Vertices.front()[0], 0.075, 1e-6);
  // No steps at all cannot divide by zero.
  handle.Segments = 0;
  handle.Sides = 0;
  EXPECT_SOUND(BuildPart(handle));
}

}   // namespace
