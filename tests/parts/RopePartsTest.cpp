#include "parts/RopeParts.h"

#include <limits>

#include "PartTestSupport.h"
#include "tests/engine/ShapesTestUtil.h"

namespace {

// Start ring (even vertices) and end ring (odd vertices) of a tube strip.
std::vector<TAffineVector> Ring(const TRecordedPrimitive& p, int parity)
{
  std::vector<TAffineVector> r;
  for (size_t i = size_t(parity); i < p.Vertices.size(); i += 2)
    r.push_back(p.Vertices[i]);
  return r;
}

bool SameRing(const std::vector<TAffineVector>& a, const std::vector<TAffineVector>& b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Dist(a[i], b[i]) > 1e-5f)
      return false;
  return true;
}

// A rope is one tube: every piece starts where another ends, except the hand end and the
// tied end.
void ExpectOneContinuousTube(const TBuiltPart& b)
{
  int openStarts = 0, openEnds = 0;
  for (const auto& p : b.Prims) {
    bool startJoined = false, endJoined = false;
    for (const auto& q : b.Prims) {
      if (&p == &q)
        continue;
      startJoined = startJoined || SameRing(Ring(p, 0), Ring(q, 1));
      endJoined = endJoined || SameRing(Ring(p, 1), Ring(q, 0));
    }
    openStarts += !startJoined;
    openEnds += !endJoined;
  }
  EXPECT_EQ(openStarts, 1);
  EXPECT_EQ(openEnds, 1);
}

}   // namespace

TEST(Rope, EveryReevingIsOneContinuousTube)
{
  for (int sheaves : {1, 2, 3, 4}) {
    SCOPED_TRACE(sheaves);
    TRope rope(nullptr, 0.2f, 0.1f, 2.0f, 0.03f, sheaves, 8, 10);
    rope.SetExtent(0.6f);
    TBuiltPart b = BuildPart(rope);
    EXPECT_SOUND(b);
    ExpectOneContinuousTube(b);
  }
}

TEST(Rope, SingleSheaveFallAndOtherCounts)
{
  TRope rope(nullptr, 0.2f, 0.1f, 1.5f, 0.04f, 1, 6, 10);
  TBuiltPart b = BuildPart(rope);
  EXPECT_SOUND(b);
  // Effort run, ten arc strips and the fall.
  ASSERT_EQ(b.Prims.size(), 12u);
  for (const auto& v : Ring(b.Prims.back(), 1))
    EXPECT_NEAR(v[1], -1.5f - 0.3f, 1e-5f);
  for (int count : {0, 5, -1}) {
    rope.SheaveCount = count;
    EXPECT_EQ(BuildPart(rope).Prims.size(), 12u);
  }
}

TEST(Rope, SectionTableFollowsAssignAndDirectWrites)
{
  TRope small(nullptr, 0.2f, 0.1f, 1.5f, 0.04f, 2, 4, 6);
  TRope big(nullptr, 0.3f, 0.1f, 1.5f, 0.08f, 3, 16, 6);
  small.Assign(big);
  EXPECT_EQ(small.Section.size(), 17u);
  EXPECT_NEAR(small.Section[0].RC, 0.04f, 1e-7f);
  EXPECT_SOUND(BuildPart(small));
  small.Sides = 40;   // written without the table
  TBuiltPart b = BuildPart(small);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Prims[0].Vertices.size(), 82u);
}

TEST(Rope, ExtentSetterAndBlocksPulledTogether)
{
  TRope rope(nullptr, 0.2f, 0.1f, 1.0f, 0.04f, 2, 6, 8);
  ExpectSetterRebuilds(
      rope, [&] { rope.SetExtent(0); }, [&] { rope.SetExtent(0.25f); });
  for (int sheaves : {2, 3, 4})
    for (float e : {2.0f * sheaves, 10.0f, std::numeric_limits<float>::quiet_NaN()}) {
      rope.SheaveCount = sheaves;
      rope.Extent = e;
      ExpectBounded(rope);
    }
  rope.ArcSegments = 1 << 30;
  rope.Sides = 0;
  ExpectBounded(rope, 200000);
}

TEST(WestonRope, SceneSizesGive72LinksOnAClosedContinuousPath)
{
  TWestonRope chain(nullptr, 0.2f, 0.15f, 0.1f, 1.5f, 0.04f);
  EXPECT_NEAR(chain.PathLength(), 5.728f, 1e-3f);
  const TGLVertexArray path = chain.Path();
  ASSERT_EQ(path.size(), 73u);
  EXPECT_NEAR(Dist(path[0], path[1]), 0.0796f, 2e-3f);
  ExpectNear3(path.front(), path.back());
  for (float angle : {0.0f, 37.0f, 200.0f}) {
    chain.Angle = angle;
    const Single L = chain.PathLength();
    const int n = 200000;
    float worst = 0;
    for (int i = 0; i < n; ++i) {
      const Single s0 = L * i / n, s1 = L * (i + 1) / n;
      worst = std::max(worst, Dist(chain.PathPoint(s0), chain.PathPoint(s1)) - (s1 - s0));
    }
    EXPECT_LT(worst, 1e-5f) << "a gap in the path at angle " << angle;
    ExpectNear3(chain.PathPoint(0), chain.PathPoint(L));
  }
  TGLRecorder rec;
  TRenderContextInfo rci;
  chain.BuildList(rci);
  EXPECT_EQ(rec.Problems(), "");
  EXPECT_EQ(rec.Count("glPushMatrix"), 72);
}

TEST(WestonRope, LinksAlternateEqualSheavesAndAssignRebuildsOutlines)
{
  TWestonRope chain(nullptr, 0.2f, 0.2f, 0.1f, 1.5f, 0.04f);
  const Single L0 = chain.PathLength();
  chain.Angle = 500;
  EXPECT_NEAR(chain.PathLength(), L0, 1e-4f);   // no rise with equal sheaves
  EXPECT_EQ(chain.Path().size() % 2, 1u);       // an even number of links
  TWestonRope other(nullptr, 0.3f, 0.1f, 0.1f, 1.0f, 0.05f);
  other.LinkLength = 0.12f;
  other.LinkWidth = 0.05f;
  chain.Assign(other);
  EXPECT_EQ(chain.LargeRadius, 0.3f);
  EXPECT_NEAR(chain.UprightLink[3][0][0], 0.12f, 1e-7f);   // entry 3's outer point at x = L
  EXPECT_NEAR(chain.FlatLink[6][0][2], 0.025f, 1e-7f);     // entry 6's outer point at v = w
  ExpectSetterRebuilds(
      chain, [&] { chain.SetAngle(chain.Angle); }, [&] { chain.SetAngle(12); });
}

TEST(WestonRope, EveryLinkIsClosedAndFacesOutwards)
{
  // The chain culls its back faces: each link, upright or flat (the flat one mirrored from
  // the upright outline), must be closed and wound with its normals, facing out.
  TWestonRope w(nullptr, 0.2f, 0.15f, 0.1f, 1.5f, 0.04f);
  w.SetAngle(30);
  EXPECT_TRUE(w.IsClosedSolid());
  TGLRecorder rec;
  RecordBuild(w, rec);
  EXPECT_SOUND_STREAM(rec);
  // Each link is drawn between a push and a pop, in its own frame.
  std::vector<std::vector<TGLCall>> links;
  for (const TGLCall& c : rec.Calls()) {
    if (c.Name == "glPushMatrix")
      links.emplace_back();
    else if (!links.empty())
      links.back().push_back(c);
  }
  ASSERT_GE(links.size(), 20u);
  for (size_t i = 0; i < links.size(); ++i) {
    SCOPED_TRACE(i);
    auto tris = RecordedTriangles(links[i]);
    EXPECT_EQ(MisWoundTriangles(tris), 0);
    EXPECT_EQ(OpenEdges(tris), 0);
    EXPECT_GT(SignedVolume(tris), 0);
  }
}

TEST(WestonRope, DegenerateSizesStayBounded)
{
  TWestonRope chain(nullptr, 0.2f, 0.15f, 0.1f, 1.5f, 0.04f);
  chain.LinkLength = 0;
  ExpectBounded(chain, 10000000);
  chain.LinkLength = std::numeric_limits<float>::quiet_NaN();
  ExpectBounded(chain, 10000000);
  chain.LinkLength = 0.08f;
  chain.Angle = -1e9f;
  ExpectBounded(chain, 10000000);
  TWestonRope zero(nullptr, 0, 0, 0, 0, 0);
  ExpectBounded(zero, 10000000);
}

TEST(Helix, OneTurnOneAndAHalfAndNone)
{
  THelix coil(nullptr, 0.1f, 0.01f, 0.05f, 1.0f, 20, 6);
  TBuiltPart b = BuildPart(coil);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 23u);   // start cap, 21 strips, end cap
  const Single dz = 0.05f / 20;
  ExpectNear3(b.Prims.back().Vertices[0], {0.1f, 0, 21 * dz}, 1e-5f);
  for (size_t j = 1; j + 2 < b.Prims.size(); ++j)
    EXPECT_TRUE(SameRing(Ring(b.Prims[j], 1), Ring(b.Prims[j + 1], 0))) << "strip " << j;
  coil.Turns = 1.5f;
  b = BuildPart(coil);
  ASSERT_EQ(b.Prims.size(), 33u);
  ExpectNear3(b.Prims.back().Vertices[0], {-0.1f, 0, 31 * dz}, 1e-5f);
  coil.SetEnds(0);
  coil.Turns = 0;
  b = BuildPart(coil);
  ASSERT_EQ(b.Prims.size(), 1u);
  EXPECT_EQ(b.Prims[0].Mode, GLenum(GL_TRIANGLE_STRIP));
  coil.SetEnds(2);
  EXPECT_EQ(BuildPart(coil).OfMode(GL_TRIANGLE_FAN).size(), 1u);
}

TEST(Helix, TurnsSetterAssignAndWildTurns)
{
  THelix coil(nullptr, 0.1f, 0.01f, 0.05f, 2.0f, 20, 6);
  ExpectSetterRebuilds(
      coil, [&] { coil.SetTurns(2.0f); }, [&] { coil.SetTurns(2.5f); });
  THelix copy(nullptr, 0, 0, 0, 0, 1, 1);
  coil.SetEnds(1);
  copy.Assign(coil);
  EXPECT_EQ(copy.Turns, 2.5f);
  EXPECT_EQ(copy.Ends, 1);
  for (float t : {-3.0f, 1e30f, std::numeric_limits<float>::quiet_NaN()}) {
    coil.Turns = t;
    ExpectBounded(coil, 2000000);
  }
  coil.SegmentsPerTurn = 0;
  coil.Sides = -1;
  coil.Turns = 3;
  ExpectBounded(coil);
}

TEST(Rope, FineCountsTogetherStayDrawable)
{
  // Each count alone is bounded; many arc steps round many sides would still make a rope
  // of hundreds of millions of vertices.
  TRope rope(nullptr, 0.2f, 0.1f, 2.0f, 0.03f, 4, 1 << 20, 1 << 20);
  ASSERT_LE(CountVertices(rope), 2000000);
  TBuiltPart b = BuildPart(rope);
  EXPECT_SOUND(b);
  ExpectOneContinuousTube(b);
  // Counts that fit are drawn as given.
  TRope fine(nullptr, 0.2f, 0.1f, 2.0f, 0.03f, 4, 32, 200);
  b = BuildPart(fine);
  EXPECT_EQ(b.Prims[0].Vertices.size(), 2u * 33);
  EXPECT_EQ(b.Prims.size(), size_t(2 + 4 * 200 + 3));
}

TEST(Rope, LengthStaysWhileTheLowerBlockRisesByExtentPerSheave)
{
  // The rope's axis: each tube piece runs from the centre of its first ring to the centre of
  // its last.
  auto centre = [](const TRecordedPrimitive& p, int parity) {
    const std::vector<TAffineVector> ring = Ring(p, parity);
    TAffineVector c{0, 0, 0};
    for (size_t i = 0; i + 1 < ring.size(); ++i)   // the last entry repeats the first
      c = VectorAdd(c, ring[i]);
    return VectorScale(c, 1.0f / Single(ring.size() - 1));
  };
  for (int sheaves : {1, 2, 3, 4}) {
    SCOPED_TRACE(sheaves);
    double length0 = 0;
    float lowest0 = 0;
    for (float e : {0.0f, 0.6f}) {
      TRope rope(nullptr, 0.2f, 0.1f, 2.0f, 0.03f, sheaves, 16, 40);
      rope.SetExtent(e);
      TBuiltPart b = BuildPart(rope);
      double length = 0;
      float lowest = 1e9f;
      for (const auto& p : b.Prims) {
        length += Dist(centre(p, 0), centre(p, 1));
        for (const auto& v : p.Vertices)
          lowest = std::min(lowest, v[1]);
      }
      if (e == 0) {
        length0 = length;
        lowest0 = lowest;
        continue;
      }
      // Pulled through by e: the effort run grows by e and the falls give it back; only
      // the arcs' angles shift a little.
      EXPECT_NEAR(length, length0, 0.01);
      EXPECT_NEAR(lowest - lowest0, e / sheaves, 1e-4f);
    }
  }
}

TEST(Helix, FineCountsTogetherStayDrawable)
{
  THelix coil(nullptr, 0.1f, 0.01f, 0.05f, 4, 1 << 20, 1 << 20);
  ASSERT_LE(CountVertices(coil), 2000000);
  TBuiltPart b = BuildPart(coil);
  EXPECT_SOUND(b);
  // Still the whole coil: four turns up and round to angle 0 again.
  const TAffineVector end = b.Prims.back().Vertices[0];
  EXPECT_NEAR(end[0], 0.1f, 1e-4f);
  EXPECT_NEAR(end[1], 0, 1e-4f);
  THelix many(nullptr, 0.1f, 0.01f, 0.05f, 1e6f, 1, 1 << 20);
  ASSERT_LE(CountVertices(many), 2000000);
  EXPECT_SOUND(BuildPart(many));
}

TEST(Helix, EndsSetterRebuildsOnlyOnAChange)
{
  THelix coil(nullptr, 0.1f, 0.01f, 0.05f, 2.0f, 20, 6);
  ExpectSetterRebuilds(
      coil, [&] { coil.SetEnds(0b11); }, [&] { coil.SetEnds(0b10); });
  EXPECT_EQ(coil.Ends, 0b10);
  // Only the end cap now: the one fan faces along the coil at its end.
  const TBuiltPart b = BuildPart(coil);
  ASSERT_EQ(b.OfMode(GL_TRIANGLE_FAN).size(), 1u);
  ExpectNear3(b.OfMode(GL_TRIANGLE_FAN)[0].Normals[0], {0, 1, 0});
}
