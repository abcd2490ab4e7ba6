#include "topics/Barrows.h"

#include <gtest/gtest.h>

#include "engine/GLExtrusion.h"
#include "tests/topics/LeverTopicsATestSupport.h"
#include "topics/BarrowObjects.h"

namespace {

TEST(BarrowsTest, FrameOutline)
{
  const auto& o = WheelbarrowOutline();
  EXPECT_EQ(o[0], (TAffineVector{-0.3f, 0, 0}));
  EXPECT_EQ(o[58], (TAffineVector{1.4977f, 0.2821f, 0.3633f}));
  for (size_t k : {12u, 24u, 46u})
    EXPECT_EQ(o[k], o[k + 1]) << k;
  // Consecutive points along the bends lie 7 degrees of a 0.1 radius apart (chord 0.0122).
  for (size_t k = 14; k <= 23; ++k)
    EXPECT_NEAR(std::hypot(o[k][0] - o[k - 1][0], o[k][1] - o[k - 1][1], o[k][2] - o[k - 1][2]), 0.0122, 4e-4) << k;
}

TEST(BarrowsTest, Build)
{
  for (bool markers : {false, true}) {
    TSceneFixture f;
    BuildWheelbarrowScene(f.Get(), &f.Lib, markers);
    ASSERT_EQ(f->GetCount(), 4);
    EXPECT_EQ(f->GetChild(0)->GetCount(), 6);
    EXPECT_EQ(f->GetChild(1)->GetCount(), 4);
    EXPECT_EQ(f->GetChild(2)->GetCount(), 2);
    for (Integer i = 1; i <= 3; ++i)
      EXPECT_EQ(f->GetChild(i)->GetVisible(), markers);
    auto* frame = dynamic_cast<TPipe*>(At(f.Get(), {0, 3}));
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->GetNodes().GetCount(), 118);
    EXPECT_FLOAT_EQ(frame->GetNodes()[0]->Z, -0.3633f);
    EXPECT_EQ(frame->GetNodes()[58]->AsAffineVector(), frame->GetNodes()[59]->AsAffineVector());
    auto* copy = dynamic_cast<TGLProxyObject*>(At(f.Get(), {1, 3}));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetMasterObject(), At(f.Get(), {1, 2}));
  }
}

TEST(BarrowsTest, TrayLiesOverTheLoad)
{
  TSceneFixture f;
  BuildWheelbarrowScene(f.Get(), &f.Lib, false);
  auto* tray = static_cast<TAsymBox*>(At(f.Get(), {0, 4}));
  // The tray's middle (in the group) stands above the heap's middle, and across it is
  // centred on the barrow.
  TAffineVector mid{0, 0, 0};
  for (const auto& c : tray->Corners)
    for (size_t a = 0; a < 3; ++a)
      mid[a] += c[a] / 8;
  const TMatrix m = tray->LocalMatrix();
  const Single x = mid[0] * m[0][0] + mid[1] * m[1][0] + mid[2] * m[2][0] + m[3][0];
  const Single z = mid[0] * m[0][2] + mid[1] * m[1][2] + mid[2] * m[2][2] + m[3][2];
  EXPECT_NEAR(x, At(f.Get(), {0, 5})->Position.X, 0.05);
  EXPECT_NEAR(z, 0, 1e-5);
}

TEST(BarrowsTest, Tilting)
{
  TSceneFixture f;
  BuildWheelbarrowScene(f.Get(), &f.Lib, true);
  const TPose built = LeverPose(f.Get());
  AnimateWheelbarrowScene(f.Get(), 90);
  EXPECT_NEAR(f->GetChild(0)->GetRollAngle(), 17, 1e-4);
  EXPECT_NEAR(f->GetChild(2)->Position.X, -0.0175, 1e-4);
  EXPECT_NEAR(f->GetChild(2)->Position.Y, 0.1169, 1e-4);
  // The effort markers turn with the handles about the axle.
  const Single b = (19.653824f + 17) * Single(M_PI) / 180;
  EXPECT_NEAR(f->GetChild(1)->Position.X, 1.486606 * std::cos(b) - 0.4, 1e-5);
  for (Single p : {0.0f, 180.0f}) {
    AnimateWheelbarrowScene(f.Get(), p);
    EXPECT_EQ(PoseDifference(built, LeverPose(f.Get()), 1e-5), "") << p;
  }
  ShowWheelbarrowMarkers(f.Get(), false);
  for (Integer i = 1; i <= 3; ++i)
    EXPECT_FALSE(f->GetChild(i)->GetVisible());
}

TEST(BarrowsTest, PoseDependsOnThePhaseAlone)
{
  TSceneFixture ran, jumped;
  BuildWheelbarrowScene(ran.Get(), &ran.Lib, true);
  BuildWheelbarrowScene(jumped.Get(), &jumped.Lib, true);
  for (Single p = 0; p < 180; p += 1.7f)
    AnimateWheelbarrowScene(ran.Get(), p);
  AnimateWheelbarrowScene(ran.Get(), 33);
  AnimateWheelbarrowScene(jumped.Get(), 33);
  EXPECT_EQ(PoseDifference(LeverPose(ran.Get()), LeverPose(jumped.Get())), "");
}

}   // namespace
