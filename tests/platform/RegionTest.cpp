#include <gtest/gtest.h>

#include "platform/Regions.h"

namespace {

Integer Area(const TRegion& r)
{
  Integer a = 0;
  for (const TRect& q : r.Rects())
    a += q.Width() * q.Height();
  return a;
}

}   // namespace

TEST(Region, CombineModes)
{
  TRegion a(Rect(0, 0, 10, 10)), b(Rect(5, 5, 15, 15)), r;
  EXPECT_EQ(r.Combine(a, b, RGN_AND), SIMPLEREGION);
  EXPECT_EQ(r.Rects(), (std::vector<TRect>{Rect(5, 5, 10, 10)}));
  EXPECT_EQ(r.Combine(a, b, RGN_OR), COMPLEXREGION);
  EXPECT_EQ(Area(r), 175);
  EXPECT_EQ(r.BoundingBox(), Rect(0, 0, 15, 15));
  EXPECT_TRUE(r.Contains(12, 12));
  EXPECT_FALSE(r.Contains(12, 2));
  r.Combine(a, b, RGN_XOR);
  EXPECT_EQ(Area(r), 150);
  EXPECT_FALSE(r.Contains(7, 7));
  r.Combine(a, b, RGN_DIFF);
  EXPECT_EQ(Area(r), 75);
  EXPECT_TRUE(r.Contains(2, 7));
  EXPECT_FALSE(r.Contains(7, 7));
  EXPECT_EQ(r.Combine(a, b, RGN_COPY), SIMPLEREGION);
  EXPECT_EQ(r, a);
  EXPECT_EQ(r.Combine(a, TRegion(Rect(20, 20, 30, 30)), RGN_AND), NULLREGION);
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_EQ(r.Combine(a, b, 99), RGN_ERROR);

  // Combining in place and unions of touching rectangles merge back into one band.
  TRegion u(Rect(0, 0, 5, 5));
  u.Unite(TRegion(Rect(5, 0, 10, 5)));
  u.Unite(TRegion(Rect(0, 5, 10, 8)));
  EXPECT_EQ(u.Kind(), SIMPLEREGION);
  EXPECT_EQ(u.Rects(), (std::vector<TRect>{Rect(0, 0, 10, 8)}));
  u.Offset(3, -2);
  EXPECT_EQ(u.BoundingBox(), Rect(3, -2, 13, 6));
  EXPECT_TRUE(u.Intersects(Rect(12, 5, 20, 20)));
  EXPECT_FALSE(u.Intersects(Rect(13, 5, 20, 20)));
}

TEST(Region, FromRectsIsTheUnion)
{
  std::vector<TRect> runs{Rect(0, 0, 3, 1), Rect(5, 0, 8, 1), Rect(2, 0, 6, 1), Rect(0, 1, 8, 2), Rect(1, 3, 2, 4)};
  TRegion r = TRegion::FromRects(runs);
  EXPECT_EQ(Area(r), 8 + 8 + 1);
  EXPECT_TRUE(r.Contains(4, 0));
  EXPECT_FALSE(r.Contains(4, 2));
  EXPECT_EQ(TRegion::FromRects({}).Kind(), NULLREGION);
}

TEST(Region, ShapesAndPolygonWinding)
{
  // A 10 x 10 circle: centre in, corners out, symmetric.
  TRegion e = TRegion::Ellipse(Rect(0, 0, 10, 10));
  EXPECT_TRUE(e.Contains(5, 5));
  EXPECT_TRUE(e.Contains(0, 5));
  EXPECT_TRUE(e.Contains(9, 4));
  EXPECT_FALSE(e.Contains(0, 0));
  EXPECT_FALSE(e.Contains(9, 9));
  EXPECT_FALSE(e.Contains(10, 5));
  EXPECT_EQ(e.BoundingBox(), Rect(0, 0, 10, 10));
  for (Integer y = 0; y < 10; ++y)
    for (Integer x = 0; x < 10; ++x)
      ASSERT_EQ(e.Contains(x, y), e.Contains(9 - x, 9 - y)) << x << "," << y;

  TRegion rr = TRegion::RoundRect(Rect(0, 0, 20, 10), 6, 6);
  EXPECT_FALSE(rr.Contains(0, 0));
  EXPECT_TRUE(rr.Contains(10, 0));
  EXPECT_TRUE(rr.Contains(0, 5));

  // A rectangle polygon covers exactly its pixels.
  std::vector<TPoint> square{{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  TRegion sq = TRegion::Polygon(square, ALTERNATE);
  EXPECT_EQ(sq.Rects(), (std::vector<TRect>{Rect(0, 0, 4, 4)}));

  // A pentagram: the centre is inside with WINDING and outside with ALTERNATE.
  std::vector<TPoint> star{{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
  TRegion wind = TRegion::Polygon(star, WINDING);
  TRegion alt = TRegion::Polygon(star, ALTERNATE);
  EXPECT_TRUE(wind.Contains(50, 50));
  EXPECT_FALSE(alt.Contains(50, 50));
  EXPECT_TRUE(alt.Contains(50, 20));
  EXPECT_TRUE(wind.Contains(50, 20));
  EXPECT_GT(Area(wind), Area(alt));

  // Degenerate and hostile input.
  EXPECT_TRUE(TRegion::Polygon(square.data(), 2, WINDING).IsEmpty());
  EXPECT_TRUE(TRegion::Polygon(nullptr, 5, WINDING).IsEmpty());
  EXPECT_TRUE(TRegion::Ellipse(Rect(5, 5, 5, 50)).IsEmpty());
  std::vector<TPoint> huge{{0, -2000000000}, {10, 2000000000}, {-10, 2000000000}};
  TRegion h = TRegion::Polygon(huge, WINDING);
  EXPECT_LE(h.BoundingBox().Bottom, TRegion::MaxCoord);
  EXPECT_GE(h.BoundingBox().Top, -TRegion::MaxCoord);
}
