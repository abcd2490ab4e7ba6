#include "shell/CamGraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Graphics.h"
#include "tests/shell/PictureOutput.h"

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr TColor LightYellow = RGBColor(0xFF, 0xFF, 0x80);

// Distance from the cam centre to the cam's edge straight up, worked out from the cam's
// shape alone (not from the lift formulas), with the cam turned by angleDeg.
double EdgeAbove(const TCamGraph& g, double angleDeg)
{
  double phi = (90.0 - angleDeg) * Pi / 180;   // the upward direction in the cam's own frame
  double ux = std::cos(phi), uy = std::sin(phi);
  switch (g.Shape) {
  case TCamGraph::ckRound: {
    // Circle of radius R centred e along the cam's zero direction.
    double e = g.Eccentricity, r = g.BaseRadius;
    double along = e * ux;
    return along + std::sqrt(r * r - e * e + along * along);
  }
  case TCamGraph::ckHeart: {
    double t = std::fmod(phi + 4 * Pi, 2 * Pi);
    return t <= Pi ? g.HeartBase + g.HeartRate * t : g.HeartBase + g.HeartRate * (2 * Pi - t);
  }
  default: {
    // The pear is the convex hull of the base circle and the nose circle, i.e. the union
    // of the circles between them; search the edge along the ray.
    auto inside = [&](double t) {
      double px = t * ux, py = t * uy;
      for (int k = 0; k <= 2000; ++k) {
        double l = k / 2000.0;
        double cx = -l * g.NoseDistance;
        double r = (1 - l) * g.BaseRadius + l * g.NoseRadius;
        if (std::hypot(px - cx, py) <= r)
          return true;
      }
      return false;
    };
    double lo = 0, hi = 2;
    for (int i = 0; i < 40; ++i) {
      double mid = (lo + hi) / 2;
      (inside(mid) ? lo : hi) = mid;
    }
    return lo;
  }
  }
}

TCamGraph MakeGraph(Byte kind, TCanvas* canvas = nullptr)
{
  TCamGraph g(canvas, 390, 400);
  g.SetShape(kind);
  return g;
}

TColor PixelAt(const TCamGraph& g, int x, int y) { return g.Picture()->GetPixel(x, y) & 0xFFFFFF; }

}   // namespace

TEST(CamGraphTest, StartShapesAndShapeParameter)
{
  TCamGraph g(nullptr, 390, 400);
  EXPECT_EQ(g.Shape, TCamGraph::ckPear);
  g.SetShapeParam(50);
  EXPECT_NEAR(g.NoseRadius, 0.19f, 1e-6);
  g.SetShape(TCamGraph::ckRound);
  g.SetShapeParam(50);
  EXPECT_NEAR(g.Eccentricity, 0.1f, 1e-6);
  g.SetShape(TCamGraph::ckHeart);
  g.SetShapeParam(50);
  EXPECT_NEAR(g.HeartBase, 0.15f, 1e-6);

  g.SetShapeParam(0);
  EXPECT_NEAR(g.HeartBase, 0.1f, 1e-6);
  g.SetShapeParam(100);
  EXPECT_NEAR(g.HeartBase, 0.2f, 1e-6);
  g.SetShape(7);   // no such kind: kept
  EXPECT_EQ(g.Shape, TCamGraph::ckHeart);
}

TEST(CamGraphTest, RoundCamWithoutEccentricityHasFlatLift)
{
  TCamGraph g = MakeGraph(TCamGraph::ckRound);
  g.SetShapeParam(0);
  EXPECT_NEAR(g.Eccentricity, 0.0f, 1e-6);
  for (int a = 0; a <= 360; a += 15)
    EXPECT_NEAR(g.Lift(Single(a)), g.BaseRadius, 1e-5) << a;
}

TEST(CamGraphTest, LiftFollowsTheCamEdgeForEveryKindAndShape)
{
  for (Byte kind : {TCamGraph::ckPear, TCamGraph::ckRound, TCamGraph::ckHeart})
    for (Single v : {0.0f, 25.0f, 50.0f, 75.0f, 100.0f}) {
      TCamGraph g = MakeGraph(kind);
      g.SetShapeParam(v);
      for (int a = -360; a <= 720; a += 5)
        EXPECT_NEAR(g.Lift(Single(a)), EdgeAbove(g, a), 2e-4) << "kind " << int(kind) << " v " << v << " angle " << a;
    }
}

TEST(CamGraphTest, PearLiftMatchesItsArcsAndFlanks)
{
  TCamGraph g = MakeGraph(TCamGraph::ckPear);
  // Base circle straight up at 90 degrees; the nose (d + r2) at 270.
  EXPECT_NEAR(g.Lift(90), 0.3f, 1e-5);
  EXPECT_NEAR(g.Lift(270), 0.25f + 0.19f, 1e-4);
  // Symmetric about the nose.
  for (int a = 0; a <= 180; a += 10)
    EXPECT_NEAR(g.Lift(Single(270 - a)), g.Lift(Single(270 + a)), 1e-4) << a;
  // Never inside the base circle.
  for (int a = 0; a < 360; ++a)
    EXPECT_GE(g.Lift(Single(a)), 0.3f - 1e-5) << a;
}

TEST(CamGraphTest, AngleZeroAndFullTurnDrawTheSamePicture)
{
  for (Byte kind : {TCamGraph::ckPear, TCamGraph::ckRound, TCamGraph::ckHeart}) {
    TCamGraph a = MakeGraph(kind), b = MakeGraph(kind);
    a.Angle = 0;
    b.Angle = 360;
    a.Draw();
    b.Draw();
    ASSERT_TRUE(a.Picture() && b.Picture());
    EXPECT_EQ(0, std::memcmp(a.Picture()->Bits(), b.Picture()->Bits(), a.Picture()->Stride() * 400)) << int(kind);
  }
}

TEST(CamGraphTest, FollowerCurveAndCamMeetInThePicture)
{
  for (Byte kind : {TCamGraph::ckPear, TCamGraph::ckRound, TCamGraph::ckHeart})
    for (Single angle : {0.0f, 40.0f, 135.0f, 200.0f, 290.0f}) {
      TCamGraph g = MakeGraph(kind);
      g.Angle = angle;
      g.Draw();
      ASSERT_NE(g.Picture(), nullptr);
      int ty = 300 - SafeRound(150.0 * g.Lift(angle));
      // Red dot on the follower's top, silver rod, the cam just under the tip.
      EXPECT_EQ(PixelAt(g, 100, ty - 140), clRed) << int(kind) << " " << angle;
      EXPECT_EQ(PixelAt(g, 100, ty - 60), clSilver) << int(kind) << " " << angle;
      TColor under = PixelAt(g, 100, ty + 4);
      EXPECT_TRUE(under == LightYellow || under == clBlack) << int(kind) << " " << angle;
      // Beside the rod, above the cam: background.
      EXPECT_EQ(PixelAt(g, 110, ty - 60), clWhite) << int(kind) << " " << angle;
      // The curve passes the follower's column at the follower's lift.
      int cy = 160 - SafeRound(150.0 * g.Lift(angle));
      bool red = false;
      for (int y = cy - 2; y <= cy + 2; ++y)
        red = red || PixelAt(g, 100, y) == clRed;
      EXPECT_TRUE(red) << int(kind) << " " << angle;
    }
}

// The graph names its axes: the cam's angle under its bottom edge, at the right where the cam
// is not drawn, and the follower's lift at its top left, above the curve.
TEST(CamGraphTest, TheAxesAreNamed)
{
  TCamGraph g = MakeGraph(TCamGraph::ckRound);
  g.Draw();
  ASSERT_NE(g.Picture(), nullptr);
  auto inked = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const TColor c = PixelAt(g, x, y);
        n += GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
      }
    return n;
  };
  EXPECT_GT(inked(g.Picture()->LogicalWidth() - 140, 161, g.Picture()->LogicalWidth() - 4, 180), 20) << "cam angle";
  EXPECT_GT(inked(4, 2, 90, 20), 20) << "follower lift";
}

TEST(CamGraphTest, DrawCopiesToTheCanvasAndSurvivesOddSizes)
{
  TBitmap target(390, 400);
  target.Fill(clBlack);
  TCamGraph g(&target.Canvas(), 390, 400);
  g.Draw();
  // Sunken edge: shadow at the top-left, highlight at the bottom-right.
  EXPECT_EQ(target.GetPixel(0, 0) & 0xFFFFFF, ColorToRGB(clBtnShadow) & 0xFFFFFF);
  EXPECT_EQ(target.GetPixel(389, 399) & 0xFFFFFF, ColorToRGB(clBtnHighlight) & 0xFFFFFF);
  EXPECT_EQ(target.GetPixel(200, 300) & 0xFFFFFF, clWhite);

  TCamGraph none(nullptr, 0, 0);
  none.Draw();
  EXPECT_EQ(none.Picture(), nullptr);
  TCamGraph narrow(nullptr, 20, 400);   // no room for a curve step
  narrow.Draw();
  EXPECT_NE(narrow.Picture(), nullptr);
  TCamGraph wild(nullptr, 390, 400);
  wild.Angle = std::nanf("");
  wild.NoseDistance = 0;
  wild.Draw();
  EXPECT_NE(wild.Picture(), nullptr);
}

TEST(CamGraphTest, RenderingOfTheThreeCams)
{
  TBitmap all(390 * 3, 400);
  const Byte kinds[] = {TCamGraph::ckPear, TCamGraph::ckRound, TCamGraph::ckHeart};
  const Single angles[] = {30, 100, 250};
  for (int k = 0; k < 3; ++k) {
    TCamGraph g(nullptr, 390, 400);
    g.SetShape(kinds[k]);
    g.Angle = angles[k];
    g.Draw();
    all.Canvas().Draw(390 * k, 0, *g.Picture());
  }
  SaveTestPicture(all, "camgraph.png");
}
