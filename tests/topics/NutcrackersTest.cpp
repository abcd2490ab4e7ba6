#include "topics/Nutcrackers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "engine/GLExtrusion.h"
#include "engine/GLVectorFileObjects.h"
#include "platform/Files.h"
#include "tests/topics/PulleyTopicsTestSupport.h"
#include "topics/Markers.h"
#include "topics/NutcrackerObjects.h"
#include "topics/TopicFrame.h"

namespace {

TEST(NutcrackersTest, ChildTree)
{
  for (bool markers : {false, true}) {
    TSceneFixture f;
    BuildNutCrackerScene(f.Get(), &f.Lib, ProgramModelFolder(), markers);
    ASSERT_EQ(f->GetCount(), 6);
    auto* arm = dynamic_cast<TDummyCube*>(f->GetChild(0));
    ASSERT_NE(arm, nullptr);
    ASSERT_EQ(arm->GetCount(), 2);
    EXPECT_NE(dynamic_cast<TNutCracker*>(arm->GetChild(0)), nullptr);
    auto* grip = dynamic_cast<TRoundCuboid*>(arm->GetChild(1));
    ASSERT_NE(grip, nullptr);
    EXPECT_FLOAT_EQ(grip->Depth, 0.13f);
    EXPECT_FLOAT_EQ(grip->Height, 0.14f);
    EXPECT_FLOAT_EQ(grip->Length, 1.0f);
    EXPECT_FLOAT_EQ(grip->Position.X, 1.1f);
    EXPECT_FLOAT_EQ(grip->Position.Y, 0.15f);
    EXPECT_FLOAT_EQ(arm->Position.X, -0.8f);
    EXPECT_FLOAT_EQ(arm->Position.Z, -0.001f);
    EXPECT_FLOAT_EQ(arm->GetRollAngle(), 15);
    auto* lower = dynamic_cast<TGLProxyObject*>(f->GetChild(1));
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(lower->GetMasterObject(), arm);
    EXPECT_EQ(lower->GetProxyOptions(), pooObjects);
    EXPECT_FLOAT_EQ(lower->Position.Z, 0.001f);
    for (Integer g : {2, 3}) {
      EXPECT_EQ(f->GetChild(g)->GetCount(), 4);
      EXPECT_EQ(f->GetChild(g)->GetVisible(), markers);
      EXPECT_FLOAT_EQ(f->GetChild(g)->Position.X, -0.96f);
    }
    EXPECT_NE(dynamic_cast<TFreeForm*>(f->GetChild(4)), nullptr);
    EXPECT_EQ(f->GetChild(5)->GetVisible(), markers);
    EXPECT_FLOAT_EQ(f->GetChild(5)->Position.X, -1.0f);
  }
}

TEST(NutcrackersTest, MarkersStandWhereTheLeverActs)
{
  TSceneFixture f;
  // Handed black (the View menu's white background), the markers are built black.
  const TVector black{0, 0, 0, 1};
  BuildNutCrackerScene(f.Get(), &f.Lib, ProgramModelFolder(), true, black);
  auto pos = [&](std::initializer_list<Integer> path) { return At(f.Get(), path)->Position.AsAffineVector(); };
  auto near = [](const TAffineVector& v, Single x, Single y) {
    EXPECT_NEAR(v[0], x, 1e-4);
    EXPECT_NEAR(v[1], y, 1e-4);
  };
  near(pos({2, 0}), 1.5009f, 0.4442f);
  near(pos({2, 2}), 0.4222f, 0.3284f);
  near(pos({3, 0}), 1.5009f, -0.4942f);
  near(pos({3, 2}), 0.4222f, -0.3784f);
  near(pos({3, 3}), 0.3922f, -0.1784f);
  near(pos({2, 3}), 0.3922f, 0.1784f);
  EXPECT_FLOAT_EQ(At(f.Get(), {2, 0})->GetRollAngle(), -15);
  EXPECT_FLOAT_EQ(At(f.Get(), {3, 2})->GetRollAngle(), 15);
  // The effort arrows point at the handles from above and below: tips at (1.4709, +-0.2942).
  auto* down = dynamic_cast<TLines*>(At(f.Get(), {2, 1}));
  auto* up = dynamic_cast<TLines*>(At(f.Get(), {3, 1}));
  ASSERT_TRUE(down && up);
  near(down->Position.AsAffineVector(), 1.4709f, 0.2942f);
  near(up->Position.AsAffineVector(), 1.4709f, -0.2942f);
  EXPECT_GT(down->GetNodes().GetItem(0)->AsAffineVector()[1], 0);
  EXPECT_LT(up->GetNodes().GetItem(0)->AsAffineVector()[1], 0);
  EXPECT_EQ(down->LineColor.GetColor(), black);
  EXPECT_EQ(up->LineColor.GetColor(), black);
  // Letters take the marker colour as their ambient colour, the fulcrum's F too.
  for (std::initializer_list<Integer> path : {std::initializer_list<Integer>{2, 0}, {3, 2}, {5}}) {
    auto* letter = dynamic_cast<TExtrusionSolid*>(At(f.Get(), path));
    ASSERT_NE(letter, nullptr);
    EXPECT_EQ(letter->Material.FrontProperties.Ambient.GetColor(), black);
  }
}

TEST(NutcrackersTest, ArmsCloseAtNinetyAndOpenAgain)
{
  EXPECT_NEAR(NutCrackerArmAngle(0), 15, 1e-5);
  EXPECT_NEAR(NutCrackerArmAngle(30), 10, 1e-4);
  EXPECT_NEAR(NutCrackerArmAngle(90), 5, 1e-5);
  EXPECT_NEAR(NutCrackerArmAngle(180), 15, 1e-4);
  TSceneFixture f;
  BuildNutCrackerScene(f.Get(), &f.Lib, ProgramModelFolder(), true);
  const TPose built = Snapshot(f.Get());
  AnimateNutCrackerScene(f.Get(), true, 0);
  EXPECT_EQ(PoseDifference(built, Snapshot(f.Get()), 1e-6), "");
  AnimateNutCrackerScene(f.Get(), true, 90);
  EXPECT_NEAR(f->GetChild(0)->GetRollAngle(), 5, 1e-5);
  EXPECT_NEAR(f->GetChild(2)->GetRollAngle(), 5, 1e-5);
  EXPECT_NEAR(f->GetChild(3)->GetRollAngle(), -5, 1e-5);
  EXPECT_NEAR(At(f.Get(), {2, 0})->GetRollAngle(), -5, 1e-5);
  EXPECT_NEAR(At(f.Get(), {3, 2})->GetRollAngle(), 5, 1e-5);
  // The two arms mirror each other about the hinge line y = 0: the grip's centre of each.
  const TMatrix upper = At(f.Get(), {0, 1})->AbsoluteMatrix();
  const TMatrix lower = MatrixMultiply(At(f.Get(), {0, 1})->LocalMatrix(), f->GetChild(1)->AbsoluteMatrix());
  EXPECT_NEAR(upper[3][0], lower[3][0], 1e-5);
  EXPECT_NEAR(upper[3][1], -lower[3][1], 1e-5);
  EXPECT_GT(upper[3][1], 0.2);
  // The nut and the F stay.
  EXPECT_FLOAT_EQ(f->GetChild(4)->Position.X, -0.6f);
  EXPECT_FLOAT_EQ(f->GetChild(5)->GetRollAngle(), 15);
  // Back at 180 the scene is as built, within rounding, however it got there.
  for (Single p = 0; p <= 180; p += 7)
    AnimateNutCrackerScene(f.Get(), true, p);
  AnimateNutCrackerScene(f.Get(), true, 180);
  EXPECT_EQ(PoseDifference(built, Snapshot(f.Get()), 2e-6), "");
}

TEST(NutcrackersTest, AnimateAppliesTheLabelsState)
{
  TSceneFixture f;
  BuildNutCrackerScene(f.Get(), &f.Lib, ProgramModelFolder(), false);
  AnimateNutCrackerScene(f.Get(), true, 40);
  for (Integer i : {2, 3, 5})
    EXPECT_TRUE(f->GetChild(i)->GetVisible());
  ShowNutCrackerMarkers(f.Get(), false);
  for (Integer i : {2, 3, 5})
    EXPECT_FALSE(f->GetChild(i)->GetVisible());
  EXPECT_TRUE(f->GetChild(0)->GetVisible());
}

TEST(NutcrackersTest, NutLoadsOnlyWhatIsThere)
{
  // No model folder: the nut is an empty free form and the scene animates as usual.
  const std::filesystem::path dir = std::filesystem::path(ORRELO_TEST_OUTPUT) / "nutcracker-3ds";
  std::filesystem::remove_all(dir);
  const std::string folder = dir.string() + "/";
  {
    TSceneFixture f;
    BuildNutCrackerScene(f.Get(), &f.Lib, folder, true);
    auto* nut = dynamic_cast<TFreeForm*>(f->GetChild(4));
    ASSERT_NE(nut, nullptr);
    EXPECT_EQ(nut->MeshObjectCount(), 0);
    EXPECT_FLOAT_EQ(nut->GetPitchAngle(), 180);
  }
  // A model and a picture that are there but broken leave the nut empty, not the scene half
  // built, and the model's fault is kept for the report: the real walnut cut short.
  std::filesystem::create_directories(dir);
  std::vector<uint8_t> walnut = ReadFileBytes(ProgramModelFolder() + "nut.3ds", 1 << 20);
  walnut.resize(walnut.size() / 2);
  WriteFileBytes(folder + "nut.3ds", walnut);
  std::ofstream(dir / "nut.bmp") << "not a picture";
  {
    TSceneFixture f;
    EXPECT_NO_THROW(BuildNutCrackerScene(f.Get(), &f.Lib, folder, true));
    ASSERT_EQ(f->GetCount(), 6);
    auto* nut = dynamic_cast<TFreeForm*>(f->GetChild(4));
    EXPECT_EQ(nut->MeshObjectCount(), 0);
    EXPECT_FALSE(nut->Material.Texture.Enabled());
    const std::vector<std::string> faults = ModelLoadFaults(f.Get());
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_NE(faults[0].find(folder + "nut.3ds: Truncated 3DS file: it ends "), std::string::npos) << faults[0];
    AnimateNutCrackerScene(f.Get(), true, 45);
  }
}

}   // namespace
