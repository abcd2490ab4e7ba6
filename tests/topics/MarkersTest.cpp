#include <gtest/gtest.h>

#include "engine/GLRecorder.h"
#include "topics/GLSimpleText.h"
#include "topics/GeometryEx.h"
#include "topics/Markers.h"

namespace {

std::vector<TAffineVector> Nodes(const TLines& l)
{
  return l.Nodes.AsAffineVectors();
}

}   // namespace

TEST(Markers, ArrowsAlongXAndTowardsTheOrigin)
{
  TDummyCube parent;
  TLines* a = AddArrowAlongX(&parent, -1, MarkerColour, 0.5f, false);
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
  EXPECT_EQ(a->LineColor.GetColor(), MarkerColour);

  std::unique_ptr<TLines> sized = CreateArrowAlongXSized(0.3f, 0.05f, 0.01f);
  n = Nodes(*sized);
  EXPECT_NEAR(n[1][0], 0.25f, 1e-6);
  EXPECT_NEAR(n[2][1], 0.01f, 1e-6);
  EXPECT_NEAR(n[4][1], -0.01f, 1e-6);

  TLines* y = AddRolledArrowToOriginAlongYAt(&parent, 1, 0.4f, -0.75f, 0.4f, 0, -10);
  n = Nodes(*y);
  EXPECT_NEAR(n[0][1], 0.4f, 1e-6);
  EXPECT_NEAR(n[1][1], 0.075f, 1e-6);
  EXPECT_NEAR(n[2][2], -0.02f, 1e-6);
  EXPECT_EQ(n[3], (TAffineVector{0, 0, 0}));
  EXPECT_FLOAT_EQ(y->Position.X, -0.75f);
  EXPECT_FLOAT_EQ(y->GetRollAngle(), -10);

  TVector at{1, 2, 3, 1};
  TLines* placed = AddArrowAlongXAt(&parent, 1, MarkerColour, 0.2f, at, true);
  EXPECT_EQ(placed->Position.AsVector(), at);
  EXPECT_EQ(AddArrowAlongX(nullptr, 1, MarkerColour, 0.2f, true), nullptr);
  EXPECT_EQ(MarkerColour, (TVector{1, 1, 1, 1}));
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
