#include "topics/Arms.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/GLVectorFileObjects.h"
#include "platform/Files.h"
#include "tests/topics/LeverTopicsATestSupport.h"
#include "topics/TopicFrame.h"

namespace {

TPipe* Muscle(TSceneFixture& f) { return static_cast<TPipe*>(f->GetChild(3)); }

TEST(ArmsTest, BuildWithoutModels)
{
  // The build lays the real bones beside the test program; look where there are none.
  const std::string none = std::string(ORRELO_TEST_OUTPUT) + "/no-models/";
  for (bool markers : {false, true}) {
    TSceneFixture f;
    BuildArmScene(f.Get(), &f.Lib, none, markers);
    ASSERT_EQ(f->GetCount(), 5);
    for (Integer i = 0; i < 3; ++i)
      EXPECT_EQ(static_cast<TFreeForm*>(f->GetChild(i))->MeshObjectCount(), 0);
    EXPECT_EQ(f->GetChild(1)->GetCount(), 1);
    EXPECT_EQ(f->GetChild(2)->GetCount(), 3);
    EXPECT_EQ(Visible(f.Get(), {1, 0}), markers);
    EXPECT_EQ(Visible(f.Get(), {2, 0}), markers);
    EXPECT_EQ(Visible(f.Get(), {2, 1}), markers);
    EXPECT_EQ(Visible(f.Get(), {4}), markers);
    EXPECT_TRUE(Visible(f.Get(), {2, 2}));   // the weight
    EXPECT_EQ(Muscle(f)->GetNodes().GetCount(), 6);
    EXPECT_EQ(Muscle(f)->GetSplineMode(), lsmCubicSpline);
    EXPECT_FLOAT_EQ(Muscle(f)->GetPipeNode(3)->GetRadiusFactor(), 3.5f);
    EXPECT_EQ(Muscle(f)->GetNodes()[4]->AsAffineVector(), (TAffineVector{0.6f, 1.25f, 0}));
  }
}

TEST(ArmsTest, ADamagedBoneStaysEmptyWithItsFaultAndTheArmIsBuiltAroundIt)
{
  // The real bones, the upper arm scrambled past its file header.
  const std::string dir = std::string(ORRELO_TEST_OUTPUT) + "/arm-models/";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  for (const char* f : {"Arm_01.3ds", "Arm_02.3ds", "Arm_03.3ds", "ashwood.jpg"})
    std::filesystem::copy_file(ProgramModelFolder() + f, dir + f);
  std::vector<uint8_t> bytes = ReadFileBytes(dir + "Arm_01.3ds", 1 << 20);
  for (size_t i = 6; i < bytes.size(); ++i)
    bytes[i] ^= uint8_t(0x5A + i * 7);
  WriteFileBytes(dir + "Arm_01.3ds", bytes);

  TSceneFixture f;
  EXPECT_NO_THROW(BuildArmScene(f.Get(), &f.Lib, dir, true));
  ASSERT_EQ(f->GetCount(), 5);
  auto* upper = static_cast<TFreeForm*>(f->GetChild(0));
  EXPECT_EQ(upper->MeshObjectCount(), 0);
  EXPECT_GT(static_cast<TFreeForm*>(f->GetChild(1))->MeshObjectCount(), 0);
  EXPECT_GT(static_cast<TFreeForm*>(f->GetChild(2))->MeshObjectCount(), 0);
  // One fault, naming the file and what is wrong with it.
  const std::vector<std::string> faults = ModelLoadFaults(f.Get());
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0], upper->LoadFault());
  EXPECT_NE(faults[0].find(dir + "Arm_01.3ds: Bad 3DS file"), std::string::npos) << faults[0];
  // The arm moves as a whole one does.
  AnimateArmScene(f.Get(), 90);
  EXPECT_NEAR(f->GetChild(1)->GetRollAngle(), 30, 1e-4);
  ShowArmMarkers(f.Get(), false);
  EXPECT_FALSE(Visible(f.Get(), {4}));
  // A good file loaded again clears the fault.
  EXPECT_TRUE(upper->TryLoadFromFile(ProgramModelFolder() + "Arm_01.3ds"));
  EXPECT_EQ(upper->LoadFault(), "");
  EXPECT_TRUE(ModelLoadFaults(f.Get()).empty());
}

TEST(ArmsTest, Lifting)
{
  TSceneFixture f;
  BuildArmScene(f.Get(), &f.Lib, ProgramModelFolder(), true);
  const TPose built = LeverPose(f.Get());
  AnimateArmScene(f.Get(), 90);
  EXPECT_NEAR(f->GetChild(1)->GetRollAngle(), 30, 1e-4);
  EXPECT_NEAR(At(f.Get(), {1, 0})->GetRollAngle(), 60, 1e-4);
  EXPECT_NEAR(f->GetChild(2)->Position.X, 3.4641, 1e-4);
  EXPECT_NEAR(f->GetChild(2)->Position.Y, 2.0, 1e-4);
  EXPECT_NEAR(Muscle(f)->GetPipeNode(3)->GetRadiusFactor(), 5.0, 1e-5);
  EXPECT_NEAR(Muscle(f)->GetNodes()[5]->X, 0.2946, 1e-4);
  EXPECT_NEAR(Muscle(f)->GetNodes()[5]->Y, 0.6897, 1e-4);
  EXPECT_NEAR(Muscle(f)->GetNodes()[4]->Y, 0.8 + 0.6897, 1e-4);
  for (Single p : {0.0f, 180.0f}) {
    AnimateArmScene(f.Get(), p);
    EXPECT_EQ(PoseDifference(built, LeverPose(f.Get()), 1e-5), "") << p;
  }
  ShowArmMarkers(f.Get(), false);
  EXPECT_FALSE(Visible(f.Get(), {1, 0}));
  EXPECT_FALSE(Visible(f.Get(), {2, 1}));
  EXPECT_FALSE(Visible(f.Get(), {4}));
}

TEST(ArmsTest, PoseDependsOnThePhaseAlone)
{
  TSceneFixture ran, jumped;
  BuildArmScene(ran.Get(), &ran.Lib, ProgramModelFolder(), true);
  BuildArmScene(jumped.Get(), &jumped.Lib, ProgramModelFolder(), true);
  for (Single p = 0; p < 180; p += 2.3f)
    AnimateArmScene(ran.Get(), p);
  AnimateArmScene(ran.Get(), 61);
  AnimateArmScene(jumped.Get(), 61);
  EXPECT_EQ(PoseDifference(LeverPose(ran.Get()), LeverPose(jumped.Get())), "");
}

}   // namespace
