#include "parts/SlotLinks.h"

#include <limits>

#include "PartTestSupport.h"

TEST(SlotLinkage, CountsSlotAndOuterWall)
{
  TSlotLinkage link(nullptr, 0.1f, 0.04f, 1.5f, 12);
  link.SlotWidth = 0.1f;
  link.SlotTop = 1.25f;
  link.SlotBottom = 0.25f;
  TBuiltPart b = BuildPart(link);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Pushes, 0);
  const TGLVertexArray o = link.Outline();
  ASSERT_EQ(o.size(), size_t(2 * 12 + 2));
  ExpectNear3(o[0], {0.1f, 1.5f, 0});
  ExpectNear3(o[12], {-0.1f, 1.5f, 0}, 1e-6f);
  ExpectNear3(o[13], {-0.1f, 0, 0}, 1e-6f);
  ExpectNear3(o[25], {0.1f, 0, 0});
  const auto fans = b.OfMode(GL_TRIANGLE_FAN);
  ASSERT_EQ(fans.size(), 4u);
  for (const auto& f : fans)
    EXPECT_EQ(f.Vertices.size(), 14u);
  const auto strips = b.OfMode(GL_QUAD_STRIP);
  ASSERT_EQ(strips.size(), 3u);
  EXPECT_EQ(strips[0].Vertices.size(), 16u);
  EXPECT_EQ(strips[1].Vertices.size(), 10u);
  EXPECT_EQ(strips[2].Vertices.size(), 10u);
  // The slot walls face into the slot.
  const auto& wall = strips[0];
  for (size_t i = 0; i < wall.Vertices.size(); ++i) {
    const auto& v = wall.Vertices[i];
    const auto& n = wall.Normals[i];
    const TAffineVector centre{0, 0.75f, v[2]};
    EXPECT_LE(n[0] * (v[0] - centre[0]) + n[1] * (v[1] - centre[1]), 1e-6f) << i;
  }
  // The outer wall closes the right-hand straight edge.
  const auto outer = b.OfMode(GL_TRIANGLE_STRIP)[0].Vertices;
  EXPECT_EQ(outer.size(), size_t(2 * 26 + 2));
  ExpectNear3(outer.back(), outer[1]);
}

TEST(SlotLinkage, BrakeHolderSideColourAssignAndDegenerates)
{
  TSlotLinkage holder(nullptr, 0.03f, 0.02f, 0.12f, 8);
  holder.SlotWidth = 0.04f;
  holder.SlotTop = 0.12f;
  holder.SlotBottom = 0;
  holder.SideColoured = true;
  TBuiltPart b = BuildPart(holder);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Pushes, 1);
  EXPECT_EQ(b.Pops, 1);
  TSlotLinkage copy(nullptr, 0, 0, 0, 1);
  copy.Assign(holder);
  EXPECT_EQ(copy.SlotTop, 0.12f);
  EXPECT_EQ(copy.Length, 0.12f);
  EXPECT_TRUE(copy.SideColoured);
  TSlotLinkage empty(nullptr, 0.1f, 0.04f, 1, 0);
  b = BuildPart(empty);   // a slot of no size leaves the faces whole
  EXPECT_EQ(b.OfMode(GL_QUAD_STRIP).size(), 3u);
  ExpectBounded(empty);
  empty.Segments = 1 << 30;
  empty.Length = std::numeric_limits<float>::quiet_NaN();
  ExpectBounded(empty);
}

TEST(SlotLinkage, OuterWallFacesOut)
{
  TSlotLinkage link(nullptr, 0.1f, 0.04f, 1.5f, 12);
  ExpectWallFacesOut(BuildPart(link).OfMode(GL_TRIANGLE_STRIP)[0], link.Outline());
}
