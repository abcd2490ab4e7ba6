#include <cmath>
#include <limits>
#include <memory>

#include "PartTestSupport.h"
#include "parts/MachineParts.h"

namespace {

// Walks the whole path in small steps: no corner of the section may jump more than the
// step, and the path must close on itself.
void ExpectContinuousPath(const TBelt& belt)
{
  const Single L = belt.PathLength();
  ASSERT_GT(L, 0);
  const int n = 400000;
  float worst = 0;
  TBeltSection prev = belt.SectionAt(0);
  for (int i = 1; i <= n; ++i) {
    const TBeltSection cur = belt.SectionAt(L * i / n);
    for (int k = 0; k < 4; ++k)
      worst = std::max(worst, Dist(prev.V[size_t(k)], cur.V[size_t(k)]) - 2.5f * L / n);
    prev = cur;
  }
  EXPECT_LT(worst, 1e-5f) << "the path has a step";
  const TBeltSection a = belt.SectionAt(0), b = belt.SectionAt(L);
  for (int k = 0; k < 4; ++k)
    ExpectNear3(a.V[size_t(k)], b.V[size_t(k)], 1e-5f);
}

// The band stands where it stood before a phase wrap that folds the angle into Travel.
void ExpectNoJumpAtWrap(TBelt& belt)
{
  // Far enough along that the sum passes the end of every belt's path.
  belt.Travel = 2.0f;
  belt.Angle = 350;
  const Single before = belt.BandStart();
  const TBeltSection at = belt.SectionAt(before);
  belt.UpdateTravel();
  belt.Angle = 0;
  const TBeltSection after = belt.SectionAt(belt.BandStart());
  for (int k = 0; k < 4; ++k)
    ExpectNear3(at.V[size_t(k)], after.V[size_t(k)], 1e-4f);
}

}   // namespace

TEST(Belt, DefaultsAndPathLengths)
{
  TBelt belt;
  EXPECT_EQ(belt.Segments, 80);
  EXPECT_EQ(belt.BandSegments, 3);
  belt.Radius1 = belt.Radius2 = 0.4f;
  EXPECT_NEAR(belt.PathLength(), 2 * M_PI * 0.4 + 2, 1e-5);
  // Equal radii: the straights are horizontal at y = +-R.
  const TBeltSection top = belt.SectionAt(belt.Radius2 * M_PI / 2 + 0.5f);
  EXPECT_NEAR(top.V[0][1], 0.4f, 1e-6f);
  EXPECT_NEAR(top.V[0][0], 0, 1e-5f);
  // Angle 0 and Travel 0: the band starts at (D/2 + R2, 0) on pulley 2.
  TBuiltPart b = BuildPart(belt);
  EXPECT_SOUND(b);
  ASSERT_EQ(b.Prims.size(), 8u);
  EXPECT_EQ(b.Prims[0].Vertices.size(), size_t(2 * 77 + 2));
  EXPECT_EQ(b.Prims[4].Vertices.size(), size_t(2 * 4));
  ExpectNear3(b.Prims[4].Vertices[1], {0.9f, 0, 0.075f});
  EXPECT_EQ(b.Pushes, 1);
}

TEST(Belt, EveryBeltPathIsContinuousAndClosed)
{
  TBelt open;
  ExpectContinuousPath(open);
  open.Radius1 = 0.6f;
  open.Radius2 = 0.3f;   // pulley 1 gets the larger wrap
  ExpectContinuousPath(open);
  TXBelt crossed;
  ExpectContinuousPath(crossed);
  crossed.Radius1 = crossed.Radius2 = 0.4f;
  crossed.CentreDistance = 1.2f;
  ExpectContinuousPath(crossed);
  TJockeyBelt jockey;
  jockey.Radius1 = 0.3f;
  jockey.Radius2 = 0.5f;
  jockey.CentreDistance = 1.6f;
  jockey.JockeyX = (jockey.Radius1 - jockey.Radius2) / 2;
  jockey.JockeyY = -0.3f;
  ExpectContinuousPath(jockey);
  jockey.Radius2 = 0.3f;
  jockey.JockeyX = 0;
  ExpectContinuousPath(jockey);
}

TEST(Belt, BandGoesOnAcrossAPhaseWrapOnItsOwnPath)
{
  TBelt open;
  ExpectNoJumpAtWrap(open);
  TXBelt crossed;
  ExpectNoJumpAtWrap(crossed);
  TJockeyBelt jockey;
  jockey.CentreDistance = 1.6f;
  jockey.JockeyY = -0.3f;
  ExpectNoJumpAtWrap(jockey);
  // Travel stays in [0, L): unchanged at angle 0, a sum just above L wraps.
  open.Angle = 0;
  open.Travel = 1.0f;
  open.UpdateTravel();
  EXPECT_FLOAT_EQ(open.Travel, 1.0f);
  const Single L = open.PathLength();
  open.Travel = L - 0.01f;
  open.Angle = 0.05f / (open.Radius2 * cPIdiv180);
  open.UpdateTravel();
  EXPECT_NEAR(open.Travel, 0.04f, 1e-4f);
}

TEST(Belt, CrossedStraightsCrossAtTheOrigin)
{
  TXBelt belt;
  belt.Radius1 = belt.Radius2 = 0.3f;
  const Single a = std::asin(0.6f);
  const Single s1 = (M_PI / 2 + a) * 0.3f, Ls = std::cos(a);
  const TBeltSection mid = belt.SectionAt(s1 + Ls / 2);
  // The inner face's middle crosses the origin with the section on edge: its width
  // stands along Y there.
  const TAffineVector innerMiddle = VectorLerp(mid.V[2], mid.V[3], 0.5f);
  ExpectNear3(innerMiddle, {0, 0, 0}, 1e-5f);
  EXPECT_NEAR(std::fabs(mid.V[0][1] - mid.V[1][1]), 0.2f, 1e-5f);
  EXPECT_NEAR(mid.V[0][2], mid.V[1][2], 1e-5f);
  TBuiltPart b = BuildPart(belt);
  EXPECT_SOUND(b);
}

TEST(Belt, JockeyTangentsAreSymmetricForEqualPulleys)
{
  TJockeyBelt belt;
  belt.Radius1 = belt.Radius2 = 0.3f;
  belt.CentreDistance = 1.6f;
  belt.JockeyY = -0.3f;
  EXPECT_FLOAT_EQ(TJockeyBelt().JockeyY, -0.3f);
  const Single L = belt.PathLength();
  // The lowest point of the lower run lies on the jockey, halfway along the loop's
  // bottom, above the jockey's centre by its radius.
  float lowest = 1e9f, lowestX = 0;
  for (int i = 0; i <= 2000; ++i) {
    const TBeltSection s = belt.SectionAt(L * i / 2000);
    if (s.V[0][0] > -0.5f && s.V[0][0] < 0.5f && s.V[0][1] < 0 && -s.V[0][1] < lowest) {
      lowest = -s.V[0][1];
      lowestX = s.V[0][0];
    }
  }
  EXPECT_NEAR(-lowest, -0.3f + 0.2f, 1e-3f);
  EXPECT_NEAR(lowestX, 0, 5e-3f);
  TBuiltPart b = BuildPart(belt);
  EXPECT_SOUND(b);
}

TEST(Belt, AngleSetterAndDegenerates)
{
  TBelt belt;
  ExpectSetterRebuilds(
      belt, [&] { belt.SetAngle(0); }, [&] { belt.SetAngle(10); });
  TBelt b1;
  b1.Segments = 1;
  EXPECT_SOUND(BuildPart(b1));
  b1.Segments = 0;
  b1.BandSegments = 100;
  ExpectBounded(b1);
  std::unique_ptr<TBelt> belts[3] = {std::make_unique<TBelt>(), std::make_unique<TXBelt>(),
                                     std::make_unique<TJockeyBelt>()};
  for (auto& p : belts) {
    p->CentreDistance = 0;
    ExpectBounded(*p);
    p->UpdateTravel();
    EXPECT_TRUE(std::isfinite(p->Travel));
    p->CentreDistance = std::numeric_limits<float>::quiet_NaN();
    p->Angle = 1e30f;
    ExpectBounded(*p);
    p->UpdateTravel();
    EXPECT_TRUE(std::isfinite(p->Travel));
    p->Segments = 1 << 30;
    ExpectBounded(*p);
  }
}

TEST(Belt, TravelFoldsWithoutARebuildAndTheBandRunsWithPulleyTwo)
{
  TBelt belt;
  belt.SetAngle(30);
  // The band's first outer edge stands where pulley 2, turned 30 degrees counter-clockwise,
  // has carried the point that was at angle 0.
  const Single R2 = belt.Radius2, D = belt.CentreDistance, a = 30 * cPIdiv180;
  const TAffineVector carried{D / 2 + R2 * std::cos(a), R2 * std::sin(a), belt.TopWidth / 2};
  ExpectNear3(BuildPart(belt).Prims[4].Vertices[1], carried, 1e-5f);
  {
    // Folding the angle into the travel keeps the picture, so the list stays; the next new
    // angle rebuilds it.
    TGLRecorder rec;
    TRenderContextInfo rci;
    rci.Context = std::make_shared<TGLContextNames>();
    belt.Render(rci);
    ASSERT_EQ(rec.Count("glNewList"), 1);
    belt.UpdateTravel();
    EXPECT_NEAR(belt.Travel, R2 * a, 1e-5f);
    belt.Render(rci);
    EXPECT_EQ(rec.Count("glNewList"), 1);
    belt.SetAngle(0);
    belt.Render(rci);
    EXPECT_EQ(rec.Count("glNewList"), 2);
  }
  // Rebuilt from the folded travel, the band has not moved.
  ExpectNear3(BuildPart(belt).Prims[4].Vertices[1], carried, 1e-5f);
}
