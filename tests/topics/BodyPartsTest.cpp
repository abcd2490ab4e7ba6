#include "topics/BodyParts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/GLExtrusion.h"
#include "engine/GLObjects.h"
#include "engine/GLStandardScene.h"
#include "tests/parts/PartTestSupport.h"
#include "topics/BodyObjects.h"

namespace {

struct TFigure {
  TGLMaterialLibrary Lib;
  TDummyCube Base;
  explicit TFigure(FigureOptions options, Single armPitch = -10)
  {
    FillStandardMaterials(Lib);
    BuildFigure(&Base, &Lib, 17, 19, 4, 0, 0, armPitch, options);
  }
};

TEST(BodyObjectsTest, HeadIsAChamferedCylinder)
{
  THead head;
  EXPECT_EQ(head.Slices, 16);
  const TBuiltPart b = BuildPart(head);
  EXPECT_SOUND(b);
  EXPECT_EQ(b.Pushes, 1);
  EXPECT_EQ(b.Pops, 1);
  const auto strips = b.OfMode(GL_TRIANGLE_STRIP), fans = b.OfMode(GL_TRIANGLE_FAN);
  ASSERT_EQ(strips.size(), 3u);
  ASSERT_EQ(fans.size(), 2u);
  for (const auto& s : strips)
    EXPECT_EQ(s.Vertices.size(), 34u);
  // In units of the radius (the list scales by 0.4): side from -0.7 to 0.7, faces at +-1
  // with radius 0.7.
  for (const auto& v : strips[0].Vertices) {
    EXPECT_NEAR(std::hypot(v[0], v[2]), 1, 1e-6);
    EXPECT_NEAR(std::fabs(v[1]), 0.7, 1e-6);
  }
  for (const auto& v : fans[0].Vertices)
    EXPECT_NEAR(v[1], 1, 1e-6);
  EXPECT_NEAR(std::hypot(fans[0].Vertices[1][0], fans[0].Vertices[1][2]), 0.7, 1e-6);
  for (const auto& v : fans[1].Vertices)
    EXPECT_NEAR(v[1], -1, 1e-6);
  {
    // The underside is drawn untextured in skin colour inside saved state.
    TGLRecorder rec;
    TRenderContextInfo rci;
    head.BuildList(rci);
    int colour = -1, disable = -1, underside = -1, begin = 0;
    for (size_t i = 0; i < rec.Calls().size(); ++i) {
      const TGLCall& c = rec.Calls()[i];
      if (c.Name == "glColor3f")
        colour = int(i);
      if (c.Name == "glDisable" && c.Args[0] == GL_TEXTURE_2D)
        disable = int(i);
      if (c.Name == "glBegin" && ++begin == 5)
        underside = int(i);
    }
    EXPECT_LT(disable, underside);
    EXPECT_LT(colour, underside);
    EXPECT_GE(disable, 0);
  }
}

TEST(BodyObjectsTest, HeadDegenerateValuesStayBounded)
{
  for (Integer slices : {-1, 0, 2, 3, 1 << 30}) {
    THead head;
    head.Slices = slices;
    const TBuiltPart b = BuildPart(head);
    EXPECT_SOUND(b);
    EXPECT_GE(b.OfMode(GL_TRIANGLE_STRIP)[0].Vertices.size(), 8u);
  }
  for (Single radius : {0.0f, std::nanf("")}) {
    THead head;
    head.Radius = radius;
    const TBuiltPart b = BuildPart(head);
    EXPECT_SOUND(b);
    EXPECT_EQ(b.Vertices, 0);
  }
}

TEST(BodyPartsTest, ChildrenByOptions)
{
  TFigure plain(0);
  ASSERT_EQ(plain.Base.GetCount(), 6);
  EXPECT_NE(dynamic_cast<THead*>(plain.Base.GetChild(0)), nullptr);
  EXPECT_NE(dynamic_cast<TRevolutionSolid*>(plain.Base.GetChild(1)), nullptr);
  auto* leg = dynamic_cast<TExtrusionSolid*>(plain.Base.GetChild(2));
  ASSERT_NE(leg, nullptr);
  auto* otherLeg = dynamic_cast<TGLProxyObject*>(plain.Base.GetChild(3));
  ASSERT_NE(otherLeg, nullptr);
  EXPECT_EQ(otherLeg->GetMasterObject(), leg);
  auto* foot = dynamic_cast<TCube*>(plain.Base.GetChild(4));
  ASSERT_NE(foot, nullptr);
  auto* otherFoot = dynamic_cast<TGLProxyObject*>(plain.Base.GetChild(5));
  ASSERT_NE(otherFoot, nullptr);
  EXPECT_EQ(otherFoot->GetMasterObject(), foot);
  // Straight shins: feet under them, the second foot mirrored across z = 0.
  EXPECT_FLOAT_EQ(foot->Position.X, -0.9f);
  EXPECT_FLOAT_EQ(foot->Position.Y, -1.15f);
  EXPECT_FLOAT_EQ(foot->Position.Z, 0.25f);
  EXPECT_FLOAT_EQ(otherFoot->Position.Z, -0.25f);
  EXPECT_EQ(leg->GetContour(0).GetCount(), 12);
  EXPECT_EQ(leg->GetNormals(), nsSmooth);
  // The soles at y -1.3 and the top of the head at 2.8: 4.1 tall.
  EXPECT_NEAR(foot->Position.Y - foot->GetCubeHeight() / 2, -1.3, 1e-6);
  auto* head = static_cast<THead*>(plain.Base.GetChild(0));
  EXPECT_NEAR(head->Position.Y + head->Height / 2, 2.8, 1e-6);

  TFigure handsOnly(foHands);
  EXPECT_EQ(handsOnly.Base.GetCount(), 6);

  TFigure rider(38);
  ASSERT_EQ(rider.Base.GetCount(), 8);
  auto* arm = dynamic_cast<TPipe*>(rider.Base.GetChild(2));
  ASSERT_NE(arm, nullptr);
  EXPECT_FLOAT_EQ(arm->GetPitchAngle(), 10);
  EXPECT_FLOAT_EQ(arm->Position.Y, 1.8f);
  EXPECT_FLOAT_EQ(arm->Position.Z, 0.3f);
  ASSERT_EQ(arm->GetCount(), 1);
  EXPECT_NE(dynamic_cast<TExtrusionSolid*>(arm->GetChild(0)), nullptr);
  auto* otherArm = dynamic_cast<TGLProxyObject*>(rider.Base.GetChild(3));
  ASSERT_NE(otherArm, nullptr);
  EXPECT_EQ(otherArm->GetMasterObject(), arm);
  EXPECT_FLOAT_EQ(otherArm->GetTurnAngle(), 180);
  EXPECT_FLOAT_EQ(otherArm->Position.Z, -0.3f);

  TFigure armsNoHands(foArms);
  EXPECT_EQ(static_cast<TPipe*>(armsNoHands.Base.GetChild(2))->GetCount(), 0);
  EXPECT_FLOAT_EQ(armsNoHands.Base.GetChild(2)->GetPitchAngle(), 0);
}

TEST(BodyPartsTest, SlantingShins)
{
  TFigure low(foShinsForward), high(foShinsForwardHigh), both(foShinsForward | foShinsForwardHigh);
  auto footY = [](TFigure& f) { return f.Base.GetChild(4)->Position.Y; };
  EXPECT_FLOAT_EQ(footY(low), -0.55f);
  EXPECT_FLOAT_EQ(footY(high), -0.45f);
  EXPECT_FLOAT_EQ(footY(both), -0.55f);
  EXPECT_FLOAT_EQ(low.Base.GetChild(4)->Position.X, -1.4f);
  auto* leg = static_cast<TExtrusionSolid*>(both.Base.GetChild(2));
  EXPECT_EQ(leg->GetContour(0).GetCount(), 11);
  EXPECT_FLOAT_EQ(leg->GetContour(0).GetItem(0)->AsAffineVector()[1], -0.4f);
  // The seat curve ends at the hip.
  ExpectNear3(leg->GetContour(0).GetItem(7)->AsAffineVector(), {0.5f, 0.25f, 0});
}

}   // namespace
