#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/GLRecorder.h"
#include "topics/GLSimpleText.h"
#include "topics/GeometryEx.h"
#include "topics/Markers.h"

namespace {

std::vector<TAffineVector> Nodes(const TLines& l) { return l.Nodes.AsAffineVectors(); }

}   // namespace

TEST(Markers, ArrowsAlongXAndTowardsTheOrigin)
{
  TDummyCube parent;
  // Each arrow takes the colour it is handed.
  const TVector black{0, 0, 0, 1}, red{1, 0, 0, 1};
  TLines* a = AddArrowAlongX(&parent, -1, black, 0.5f, false);
  ASSERT_EQ(parent.GetCount(), 1);
  std::vector<TAffineVector> n = Nodes(*a);
  ASSERT_EQ(n.size(), 6u);
  const Single xs[6] = {0, -0.425f, -0.425f, -0.5f, -0.425f, -0.425f};
  const Single ys[6] = {0, 0, 0.02f, 0, -0.02f, 0};
  for (int i = 0; i < 6; ++i) {
    EXPECT_NEAR(n[size_t(i)][0], xs[i], 1e-6) << i;
    EXPECT_NEAR(n[size_t(i)][1], ys[i], 1e-6) << i;
  }
  EXPECT_FALSE(a->GetVisible());
  EXPECT_TRUE(a->GetAntiAliased());
  EXPECT_EQ(a->GetNodesAspect(), lnaInvisible);
  EXPECT_EQ(a->LineColor.GetColor(), black);

  std::unique_ptr<TLines> sized = CreateArrowAlongXSized(red, 0.3f, 0.05f, 0.01f);
  EXPECT_EQ(sized->LineColor.GetColor(), red);
  n = Nodes(*sized);
  EXPECT_NEAR(n[1][0], 0.25f, 1e-6);
  EXPECT_NEAR(n[2][1], 0.01f, 1e-6);
  EXPECT_NEAR(n[4][1], -0.01f, 1e-6);

  TLines* y = AddRolledArrowToOriginAlongYAt(&parent, 1, black, 0.4f, -0.75f, 0.4f, 0, -10);
  EXPECT_EQ(y->LineColor.GetColor(), black);
  n = Nodes(*y);
  EXPECT_NEAR(n[0][1], 0.4f, 1e-6);
  EXPECT_NEAR(n[1][1], 0.075f, 1e-6);
  EXPECT_NEAR(n[2][2], -0.02f, 1e-6);
  EXPECT_EQ(n[3], (TAffineVector{0, 0, 0}));
  EXPECT_FLOAT_EQ(y->Position.X, -0.75f);
  EXPECT_FLOAT_EQ(y->GetRollAngle(), -10);

  TVector at{1, 2, 3, 1};
  TLines* placed = AddArrowAlongXAt(&parent, 1, red, 0.2f, at, true);
  EXPECT_EQ(placed->Position.AsVector(), at);
  EXPECT_EQ(placed->LineColor.GetColor(), red);
  EXPECT_EQ(AddArrowAlongX(nullptr, 1, black, 0.2f, true), nullptr);
  EXPECT_EQ(DefaultMarkerColour, (TVector{1, 1, 1, 1})) << "white until the View menu says otherwise";
}

TEST(Markers, LettersAreSolidOutlines)
{
  std::unique_ptr<TExtrusionSolid> e = BuildLetterSolid('E', 0.05f, 0.02f);
  ASSERT_EQ(e->GetContourCount(), 1);
  EXPECT_EQ(e->GetContour(0).GetCount(), 12);
  EXPECT_FLOAT_EQ(e->GetHeight(), 0.02f);
  EXPECT_EQ(e->GetParts(), espOutside | espStartPolygon | espStopPolygon);
  std::vector<TAffineVector> n = e->GetContour(0).AsAffineVectors();
  EXPECT_NEAR(n[1][0], 0.06f, 1e-6);
  EXPECT_NEAR(n[11][1], 0.09f, 1e-6);
  EXPECT_EQ(BuildLetterSolid('F', 1, 1)->GetContour(0).GetCount(), 10);
  EXPECT_EQ(BuildLetterSolid('L', 1, 1)->GetContour(0).GetCount(), 6);
  std::unique_ptr<TExtrusionSolid> none = BuildLetterSolid('Q', 1, 1);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->GetContourCount(), 0);
  // The concave letters draw as sound triangles.
  TGLRecorder rec;
  TRenderContextInfo rci;
  for (char c : {'E', 'F', 'L'})
    BuildLetterSolid(c, 0.05f, 0.01f)->BuildList(rci);
  EXPECT_EQ(rec.Problems(), "");
  TAffineVector v;
  MakeVector(v, 1, 2, 3);
  EXPECT_EQ(v, (TAffineVector{1, 2, 3}));
}

TEST(Markers, LettersHaveTheirStrokes)
{
  // Each letter: 1.2 by 1.8 scales, square corners only, and the ink of its strokes 0.2
  // thick (E: an upright and three bars, F: an upright and two, L: an upright and a foot);
  // the bars of E and F stand at the same heights.
  const Single s = 0.05f;
  const struct {
    char Letter;
    Single Area;   // in square scales
    std::vector<Single> BarTops;
  } letters[] = {{'E', 0.96f, {0.2f, 1.0f, 1.8f}}, {'F', 0.76f, {1.0f, 1.8f}}, {'L', 0.56f, {0.2f}}};
  for (const auto& l : letters) {
    std::unique_ptr<TExtrusionSolid> solid = BuildLetterSolid(l.Letter, s, 0.01f);
    std::vector<TAffineVector> n = solid->GetContour(0).AsAffineVectors();
    ASSERT_GE(n.size(), 4u) << l.Letter;
    Single area = 0, minX = 1, maxX = -1, minY = 1, maxY = -1;
    std::vector<Single> barTops;
    for (size_t i = 0; i < n.size(); ++i) {
      const TAffineVector& a = n[i];
      const TAffineVector& b = n[(i + 1) % n.size()];
      EXPECT_TRUE(a[0] == b[0] || a[1] == b[1]) << l.Letter << " edge " << i << " is not square";
      EXPECT_EQ(a[2], 0) << l.Letter;
      area += a[0] * b[1] - b[0] * a[1];
      minX = std::min(minX, a[0]);
      maxX = std::max(maxX, a[0]);
      minY = std::min(minY, a[1]);
      maxY = std::max(maxY, a[1]);
      // A bar's top right corner: at full width, the outline turns back towards the upright.
      if (std::fabs(a[0] - 1.2f * s) < 1e-6f && a[1] == b[1] && b[0] < a[0])
        barTops.push_back(a[1] / s);
    }
    EXPECT_NEAR(area / 2, l.Area * s * s, 1e-7) << l.Letter << " (counter-clockwise, strokes 0.2 thick)";
    EXPECT_NEAR(minX, 0, 1e-7) << l.Letter;
    EXPECT_NEAR(maxX, 1.2f * s, 1e-7) << l.Letter;
    EXPECT_NEAR(minY, 0, 1e-7) << l.Letter;
    EXPECT_NEAR(maxY, 1.8f * s, 1e-7) << l.Letter;
    std::sort(barTops.begin(), barTops.end());
    ASSERT_EQ(barTops.size(), l.BarTops.size()) << l.Letter;
    for (size_t k = 0; k < barTops.size(); ++k)
      EXPECT_NEAR(barTops[k], l.BarTops[k], 1e-5) << l.Letter << " bar " << k;
  }
}
