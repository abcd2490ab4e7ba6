#include "parts/ScrewParts.h"

#include <cmath>
#include <limits>

#include "PartTestSupport.h"

TEST(Screw, BandsPerProfileAndCaps)
{
  TScrew screw(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 3, 20);
  for (TThreadProfile p : {tpVee, tpSquare, tpButtress, tpAcme, TThreadProfile(9)}) {
    SCOPED_TRACE(int(p));
    screw.Profile = p;
    TBuiltPart b = BuildPart(screw);
    EXPECT_SOUND(b);
    const size_t bands = (p == tpSquare || p >= tpAcme) ? 3 : 2;
    ASSERT_EQ(b.OfMode(GL_TRIANGLE_STRIP).size(), bands);
    EXPECT_EQ(b.Prims[0].Vertices.size(), size_t(2 * (60 + 1)));
    ASSERT_EQ(b.OfMode(GL_QUADS).size(), 1u);   // the end cap only, by default
  }
  screw.SetParts(ScrewParts({spStartCap, spEndCap}));
  EXPECT_EQ(BuildPart(screw).OfMode(GL_QUADS).size(), 2u);
  screw.SetParts(ScrewParts({spRunOut}));
  EXPECT_EQ(BuildPart(screw).OfMode(GL_QUADS).size(), 0u);
}

TEST(Screw, RunInAndRunOutStartAndEndAtTheRoot)
{
  TScrew screw(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 20);
  screw.SetParts(ScrewParts({spRunIn, spRunOut}));
  TBuiltPart b = BuildPart(screw);
  EXPECT_SOUND(b);
  // First flank: (ring j point 1, ring j point 0) pairs; point 1 is on the crest.
  const auto& v = b.Prims[0].Vertices;
  auto radius = [](const TAffineVector& p) { return std::hypot(p[1], p[2]); };
  EXPECT_NEAR(radius(v[0]), 0.1f, 1e-6f);              // j = 0
  EXPECT_NEAR(radius(v[2 * 10]), 0.13f, 1e-6f);        // j = H
  EXPECT_NEAR(radius(v[2 * 30]), 0.13f, 1e-6f);        // j = T - H
  EXPECT_NEAR(radius(v[v.size() - 2]), 0.1f, 1e-6f);   // j = T
}

TEST(Screw, LeftHandedMirrorsAndFlipsCaps)
{
  TScrew right(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 16);
  right.SetParts(ScrewParts({spStartCap, spEndCap}));
  TScrew left(nullptr, 0, 0, 0, 0, 1, 2);
  right.SetOption4(true);
  left.Assign(right);
  EXPECT_TRUE(left.LeftHanded);
  right.SetOption4(false);
  right.SetOption1(tpSquare);
  left.SetOption1(tpSquare);
  TBuiltPart r = BuildPart(right), l = BuildPart(left);
  EXPECT_SOUND(r);
  EXPECT_SOUND(l);
  ASSERT_EQ(r.Vertices, l.Vertices);
  // Mirror in Y with each pair swapped.
  const auto& rv = r.Prims[0].Vertices;
  const auto& lv = l.Prims[0].Vertices;
  ExpectNear3(lv[1], {rv[0][0], -rv[0][1], rv[0][2]}, 1e-6f);
  ExpectNear3(lv[2 * 5], {rv[2 * 5 + 1][0], -rv[2 * 5 + 1][1], rv[2 * 5 + 1][2]}, 1e-6f);
  // The caps face away from the thread on both hands.
  auto capNormals = [](const TBuiltPart& b) {
    std::vector<float> ys;
    for (const auto& n : b.NormalList)
      if (n[0] == 0 && n[2] == 0 && std::fabs(n[1]) == 1)
        ys.push_back(n[1]);
    return ys;
  };
  EXPECT_EQ(capNormals(r), (std::vector<float>{1, -1}));
  EXPECT_EQ(capNormals(l), (std::vector<float>{-1, 1}));
  // And a right-handed thread's first ring really does move off towards -Y.
  EXPECT_LT(rv[2][1], 0);
}

TEST(Screw, InternalThreadAndSetters)
{
  TScrew nut(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 20);
  nut.SetThreadStyle(true);
  TBuiltPart b = BuildPart(nut);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_STRIP).size(), 2u);
  EXPECT_EQ(b.OfMode(GL_QUADS).size(), 0u);
  nut.SetOption1(tpButtress);
  EXPECT_EQ(BuildPart(nut).OfMode(GL_TRIANGLE_STRIP).size(), 3u);
  ExpectSetterRebuilds(
      nut,
      [&] {
        nut.SetOption1(tpButtress);
        nut.SetThreadStyle(true);
        nut.SetOption4(false);
      },
      [&] { nut.SetOption4(true); });
  TScrew copy(nullptr, 0, 0, 0, 0, 1, 2);
  copy.Assign(nut);
  EXPECT_EQ(copy.Profile, tpButtress);
  EXPECT_TRUE(copy.InternalThread);
  EXPECT_TRUE(copy.LeftHanded);
}

TEST(Screw, DegenerateCountsStayBounded)
{
  for (auto [turns, segments] : {std::pair{0, 0}, {-5, 1}, {1 << 30, 1 << 30}, {3, -2}}) {
    TScrew screw(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, turns, segments);
    screw.SetParts(ScrewParts({spRunIn, spRunOut, spStartCap, spEndCap}));
    ExpectBounded(screw, 3000000);
    screw.SetThreadStyle(true);
    ExpectBounded(screw, 3000000);
  }
}

TEST(HexNut, SolidAndHoledCounts)
{
  THexNut nut(nullptr, 0.1f, 0.05f, 0.06f);
  TBuiltPart b = BuildPart(nut);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 24u);
  for (const auto& f : b.OfMode(GL_TRIANGLE_FAN))
    EXPECT_EQ(f.Vertices.size(), 6u);
  const auto strips = b.OfMode(GL_TRIANGLE_STRIP);
  ASSERT_EQ(strips.size(), 2u);
  EXPECT_EQ(strips[0].Vertices.size(), 24u);
  EXPECT_EQ(strips[1].Vertices.size(), 74u);   // a 37-point wall
  ExpectSetterRebuilds(
      nut, [&] { nut.SetSolid(false); }, [&] { nut.SetSolid(true); });
  b = BuildPart(nut);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 2u);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_FAN)[0].Vertices.size(), 8u);
  THexNut copy(nullptr, 0, 0, 0);
  copy.Assign(nut);
  EXPECT_FALSE(copy.Solid);
  EXPECT_EQ(copy.Radius, 0.1f);
  THexNut pin(nullptr, 0.1f, 0, 0.06f);
  b = BuildPart(pin);
  EXPECT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 24u);
  EXPECT_TRUE(b.Problems.empty()) << b.Problems;
}

TEST(SquareNut, QuartersOfTheHole)
{
  for (int segments : {20, 22}) {
    TSquareNut nut(nullptr, 0.2f, 0.05f, 0.06f, segments);
    TBuiltPart b = BuildPart(nut);
    EXPECT_SOUND(b);
    const auto fans = b.OfMode(GL_TRIANGLE_FAN);
    ASSERT_EQ(fans.size(), 8u);
    EXPECT_EQ(fans[0].Vertices.size(), size_t(1 + 1 + 6 + 1 + 1));
    EXPECT_EQ(b.OfMode(GL_TRIANGLE_STRIP)[0].Vertices.size(), 42u);
  }
  TSquareNut odd(nullptr, 0.2f, 0.05f, 0.06f, 2);
  EXPECT_SOUND(BuildPart(odd));
  odd.Segments = std::numeric_limits<int>::max();
  ExpectBounded(odd);
}

TEST(PartialTorus, QuarterInTenStrips)
{
  TPartialTorus bend(nullptr, 0.2f, 0.02f, 0, 90, 10, 8);
  TBuiltPart b = BuildPart(bend);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 10u);
  // Strip 1 runs from 9 to 18 degrees: its first vertex (phi = 0) lies at 9 degrees.
  const auto& v = b.Prims[1].Vertices[0];
  EXPECT_NEAR(std::atan2(v[1], v[0]) * 180 / M_PI, 9, 1e-4);
  EXPECT_NEAR(std::hypot(v[0], v[1]), 0.22f, 1e-6f);
  TPartialTorus copy(nullptr, 0, 0, 0, 0, 1, 1);
  copy.Assign(bend);
  EXPECT_NEAR(copy.EndAngle, M_PI / 2, 1e-6);
  bend.Segments = 0;
  bend.Sides = 0;
  ExpectBounded(bend);
}

TEST(Screw, FlanksFaceOutOfTheThreadOnBothHands)
{
  for (bool internal : {false, true})
    for (bool left : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "internal " << internal << " left " << left);
      TScrew screw(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 20);
      screw.SetThreadStyle(internal);
      screw.SetOption4(left);
      screw.SetParts(0);
      TBuiltPart b = BuildPart(screw);
      ASSERT_EQ(b.Prims.size(), 2u);
      // A screw's ridge: the first flank looks back along -X, the second on along +X, both
      // away from the axis. A nut's groove: its flanks look into the groove and towards
      // the axis.
      const float inwards = internal ? -1.0f : 1.0f;
      for (size_t p = 0; p < 2; ++p)
        for (size_t i = 0; i + 2 < b.Prims[p].Vertices.size(); i += 2) {
          const auto& n = b.Prims[p].Normals[i];
          const auto& v = b.Prims[p].Vertices[i];
          EXPECT_LT((p == 0 ? 1 : -1) * inwards * n[0], 0) << "flank " << p << " pair " << i / 2;
          EXPECT_GT(inwards * (n[1] * v[1] + n[2] * v[2]), 1e-6f) << "flank " << p << " pair " << i / 2;
        }
    }
}

TEST(PartialTorus, FineCountsTogetherStayDrawable)
{
  TPartialTorus bend(nullptr, 0.2f, 0.02f, 0, 90, 1 << 20, 1 << 20);
  ASSERT_LE(CountVertices(bend), 2000000);
  TBuiltPart b = BuildPart(bend);
  EXPECT_SOUND(b);
  // The whole quarter is still swept.
  const auto& last = b.Prims.back().Vertices;
  EXPECT_NEAR(std::atan2(last[1][1], last[1][0]) * 180 / M_PI, 90, 1e-3);
}

TEST(Screw, EverySetterRebuildsOnlyOnAChange)
{
  // A fresh screw for each setter: a compiled list lives on in the part.
  TScrew a(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 20);
  ExpectSetterRebuilds(
      a, [&] { a.SetOption1(tpVee); }, [&] { a.SetOption1(tpAcme); });
  EXPECT_EQ(a.Profile, tpAcme);
  TScrew b(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 20);
  ExpectSetterRebuilds(
      b, [&] { b.SetThreadStyle(false); }, [&] { b.SetThreadStyle(true); });
  EXPECT_TRUE(b.InternalThread);
  TScrew c(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 20);
  ExpectSetterRebuilds(
      c,
      [&] {
        c.SetParts(ScrewParts({spEndCap, spRunIn}));
      },
      [&] { c.SetParts(ScrewParts({spRunOut})); });
  EXPECT_EQ(c.Parts, ScrewParts({spRunOut}));
  TScrew d(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 20);
  ExpectSetterRebuilds(
      d, [&] { d.SetOption4(false); }, [&] { d.SetOption4(true); });
  EXPECT_TRUE(d.LeftHanded);
}

TEST(Screw, NutGrooveDeepensOverTheRunInAndFlattensOverTheRunOut)
{
  // A nut's thread: the bore at Radius, the groove bottom ThreadDepth further out; with both
  // runs the groove grows from nothing over the first half turn and fades over the last.
  TScrew nut(nullptr, 0.1f, 0.03f, 0.1f, 0.08f, 2, 20);
  nut.SetThreadStyle(true);
  nut.SetOption1(tpSquare);
  nut.SetParts(ScrewParts({spRunIn, spRunOut}));
  const TBuiltPart b = BuildPart(nut);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 3u);
  auto radius = [](const TAffineVector& p) { return std::hypot(p[1], p[2]); };
  // First flank: pairs (ring j point 0 on the bore, point 1 on the groove bottom).
  const auto& flank = b.Prims[0].Vertices;
  ASSERT_EQ(flank.size(), 2u * 41);
  for (int j : {0, 5, 10, 20, 30, 35, 40}) {
    SCOPED_TRACE(j);
    const float expected = j <= 10 ? 0.13f - j * 0.003f : j >= 30 ? 0.1f + (j - 30) * 0.003f : 0.1f;
    EXPECT_NEAR(radius(flank[size_t(2 * j)]), expected, 1e-6f);
    EXPECT_NEAR(radius(flank[size_t(2 * j + 1)]), 0.13f, 1e-6f);
  }
  // The land between the grooves lies on the bore and faces the axis, from the end of the
  // groove's root (W/2 on) to the next groove (W on).
  const auto& land = b.Prims[2];
  const TAffineVector a = land.Vertices[2 * 20], c = land.Vertices[2 * 20 + 1];
  EXPECT_NEAR(radius(a), 0.1f, 1e-6f);
  EXPECT_NEAR(c[0] - a[0], 0.04f, 1e-6f);
  const TAffineVector n = land.Normals[2 * 20];
  EXPECT_LT(n[1] * a[1] + n[2] * a[2], 0);
}

TEST(Screw, ProfilesPlaceCrestAndRootAlongTheAxis)
{
  // Offsets from the start of a turn's profile: crest start, crest end, root end.
  const Single D = 0.03f, W = 0.08f, t = std::tan(15 * M_PI / 180);
  struct {
    TThreadProfile Profile;
    Single Lo, Mid, Hi;
  } const cases[] = {{tpVee, W / 2, W / 2, W},
                     {tpSquare, 0, W / 2, W / 2},
                     {tpButtress, W / 2, W / 2, W / 2},
                     {tpAcme, D * t, W / 2, W / 2 + D * t},
                     {TThreadProfile(7), D * t, W / 2, W / 2 + D * t}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.Profile));
    TScrew screw(nullptr, 0.1f, D, 0.1f, W, 2, 20);
    screw.SetOption1(c.Profile);
    screw.SetParts(0);
    const TBuiltPart b = BuildPart(screw);
    // First flank pairs (point 1, point 0), second flank pairs (point 3, point 2).
    const auto& first = b.Prims[0].Vertices;
    const auto& second = b.Prims[1].Vertices;
    for (size_t j : {0u, 7u, 40u}) {
      const Single x0 = first[2 * j + 1][0];
      EXPECT_NEAR(first[2 * j][0] - x0, c.Lo, 1e-6f);
      EXPECT_NEAR(second[2 * j + 1][0] - x0, c.Mid, 1e-6f);
      EXPECT_NEAR(second[2 * j][0] - x0, c.Hi, 1e-6f);
    }
  }
  // A V thread as wide as its pitch: each turn's root end is the next turn's root start.
  TScrew full(nullptr, 0.1f, D, 0.1f, 0.1f, 2, 20);
  full.SetParts(0);
  const TBuiltPart b = BuildPart(full);
  for (size_t j : {0u, 5u, 19u})
    ExpectNear3(b.Prims[1].Vertices[2 * j], b.Prims[0].Vertices[2 * (j + 20) + 1], 1e-6f);
}
