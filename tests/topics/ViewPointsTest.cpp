#include <gtest/gtest.h>

#include "topics/ViewPoints.h"

TEST(ViewPoints, RowsExamplesAndTheDefault)
{
  TViewPoint one = GetViewPoint(1, 0);
  EXPECT_EQ(one.Camera, (TVector{-6.16f, 3.42f, 7.09f, 1}));
  EXPECT_EQ(one.SceneBase, (TVector{-0.08f, -0.12f, 0, 1}));
  EXPECT_EQ(GetViewPoint(21, 0).Camera[2], -7.97f);
  EXPECT_EQ(GetViewPoint(26, 1).SceneBase, (TVector{0.72f, -0.2f, 0, 1}));
  EXPECT_EQ(GetViewPoint(28, 0).Camera, (TVector{-6.07f, 5.74f, 26.32f, 1}));
  EXPECT_EQ(GetViewPoint(28, 5).Camera, GetViewPoint(28, 0).Camera);
  EXPECT_EQ(GetViewPoint(39, 0).Camera, GetViewPoint(38, 0).Camera);
  // A non-lever id ignores the example.
  EXPECT_EQ(GetViewPoint(3, 1).Camera, GetViewPoint(3, 0).Camera);
  for (Integer id : {0, 40, -1, 41}) {
    EXPECT_EQ(GetViewPoint(id, 0).Camera, (TVector{0, 0, 10, 1})) << id;
    EXPECT_EQ(GetViewPoint(id, 0).SceneBase, (TVector{0, 0, 0, 1})) << id;
  }
  // Every topic from 1 to 39 has its own row: none falls back to the default.
  for (Integer id = 1; id <= 39; ++id)
    EXPECT_NE(GetViewPoint(id, 0).Camera, (TVector{0, 0, 10, 1})) << id;
}
