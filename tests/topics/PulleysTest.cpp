#include "topics/Pulleys.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "engine/GLViewer.h"
#include "platform/ImageSave.h"
#include "parts/MachineParts.h"
#include "parts/PartHelpers.h"
#include "parts/BasicParts.h"
#include "topics/GearCogs.h"
#include "topics/PulleyTopics.h"
#include "tests/topics/PulleyTopicsTestSupport.h"
#include "topics/ViewPoints.h"

namespace {

constexpr double Tol = 2e-3;

// The scene of one of topics 5 to 7 with its animate call and period.
struct TBeltCase {
  std::string Name;
  std::function<void(TSceneFixture&)> Build;
  std::function<void(TDummyCube*, Single)> Animate;
  Integer Repeat;
};

std::vector<TBeltCase> BeltCases()
{
  std::vector<TBeltCase> r;
  for (Integer s1 = 3; s1 <= 10; ++s1)
    for (Integer s2 : {3, 4, 5, 6, 7, 10}) {
      const Single R1 = PulleySizeRadius(s1), R2 = PulleySizeRadius(s2);
      for (Byte kind : {VeeBelt, FlatBelt}) {
        r.push_back({"open " + std::to_string(s1) + "/" + std::to_string(s2),
                     [=](TSceneFixture& f) { BuildOpenBeltScene(f.Get(), &f.Lib, true, R1, R2, kind); },
                     [=](TDummyCube* b, Single p) { AnimateOpenBeltScene(b, p, R1, R2); },
                     PulleyPairRepeatAngle(s1, s2)});
        r.push_back({"jockey " + std::to_string(s1) + "/" + std::to_string(s2),
                     [=](TSceneFixture& f) { BuildJockeyBeltScene(f.Get(), &f.Lib, true, R1, R2, kind); },
                     [=](TDummyCube* b, Single p) { AnimateJockeyBeltScene(b, p, R1, R2); },
                     JockeyBeltRepeatAngle(s1, s2)});
      }
    }
  r.push_back({"crossed", [](TSceneFixture& f) { BuildCrossedBeltScene(f.Get(), &f.Lib, true, 0.4f); },
               [](TDummyCube* b, Single p) { AnimateCrossedBeltScene(b, p); }, 360});
  for (Integer step = 0; step <= 3; ++step)
    r.push_back({"cones " + std::to_string(step),
                 [=](TSceneFixture& f) { BuildStepConeScene(f.Get(), &f.Lib, step, true); },
                 [=](TDummyCube* b, Single p) { AnimateStepConeScene(b, step, p); }, StepConeRepeatAngle(step)});
  return r;
}

// The pose without the belt's own run, which goes on round the loop by design.
TPose PartsPose(TDummyCube* base)
{
  TPose p = Snapshot(base);
  for (TPoseEntry& e : p)
    if (e.Path == ".0")
      e.Values.resize(17);
  return p;
}

TEST(PulleysTest, HubsStandProudOfThePulleyFaces)
{
  // A hub whose ends lie in the pulley's faces fights them for depth (speckles round the
  // axle): each end must stand a little out from its face, on both sides.
  int hubs = 0;
  for (const TBeltCase& c : BeltCases()) {
    SCOPED_TRACE(c.Name);
    TSceneFixture f;
    c.Build(f);
    for (Integer i = 0; i < f->GetCount(); ++i) {
      TGLBaseSceneObject* g = f->GetChild(i);
      auto* pulley = g->GetCount() >= 2 ? dynamic_cast<TVPulley*>(g->GetChild(0)) : nullptr;
      auto* hub = pulley ? dynamic_cast<TCylinder*>(g->GetChild(1)) : nullptr;
      if (!hub)
        continue;
      ++hubs;
      // Along the group's Z: the pulley's faces and the hub's ends (its axis is its local Y).
      Single faces[2], ends[2];
      for (int k = 0; k < 2; ++k) {
        const Single side = k == 0 ? -1.0f : 1.0f;
        faces[k] = VectorTransform(TAffineVector{0, 0, side * pulley->Width / 2}, pulley->LocalMatrix())[2];
        ends[k] = VectorTransform(TAffineVector{0, side * hub->GetHeight() / 2, 0}, hub->LocalMatrix())[2];
      }
      std::sort(faces, faces + 2);
      std::sort(ends, ends + 2);
      EXPECT_GT(faces[0] - ends[0], 0.002f) << i;
      EXPECT_GT(ends[1] - faces[1], 0.002f) << i;
      EXPECT_LT(faces[0] - ends[0], 0.02f) << i;
      EXPECT_LT(ends[1] - faces[1], 0.02f) << i;
    }
  }
  EXPECT_GT(hubs, 100);
}

TEST(PulleysTest, ChildCountsAndMaterials)
{
  TSceneFixture open;
  BuildOpenBeltScene(open.Get(), &open.Lib, false, 0.3f, 0.6f, VeeBelt);
  ASSERT_EQ(open->GetCount(), 5);
  EXPECT_NE(dynamic_cast<TBelt*>(open->GetChild(0)), nullptr);
  for (Integer i : {1, 2})
    EXPECT_EQ(open->GetChild(i)->GetCount(), 4);
  for (Integer i : {3, 4}) {
    EXPECT_EQ(open->GetChild(i)->GetCount(), 1);
    EXPECT_FALSE(open->GetChild(i)->GetVisible());
  }
  auto* belt = static_cast<TBelt*>(open->GetChild(0));
  EXPECT_FLOAT_EQ(belt->CentreDistance, 1.4f);
  EXPECT_FLOAT_EQ(belt->Depth, 0.1f);
  EXPECT_FLOAT_EQ(belt->BottomWidth, 0.05f);
  EXPECT_FLOAT_EQ(open->GetChild(1)->Position.X, -0.7f);
  auto* pulley = dynamic_cast<TVPulley*>(At(open.Get(), {1, 0}));
  ASSERT_NE(pulley, nullptr);
  EXPECT_FLOAT_EQ(pulley->RadiusB, 0.2f);
  EXPECT_EQ(pulley->GrooveKind, 0);
  EXPECT_EQ(pulley->Material.FrontProperties.Diffuse, open.Lib.Materials.GetItem(1)->Material.FrontProperties.Diffuse);
  EXPECT_FLOAT_EQ(At(open.Get(), {1, 3})->Position.Y, 0.056f);

  TSceneFixture flat;
  BuildOpenBeltScene(flat.Get(), &flat.Lib, true, 0.5f, 0.5f, FlatBelt);
  EXPECT_FLOAT_EQ(static_cast<TBelt*>(flat->GetChild(0))->Depth, 0.02f);
  EXPECT_EQ(static_cast<TVPulley*>(At(flat.Get(), {2, 0}))->GrooveKind, 1);
  EXPECT_TRUE(flat->GetChild(3)->GetVisible());

  TSceneFixture crossed;
  BuildCrossedBeltScene(crossed.Get(), &crossed.Lib, true, 0.4f);
  ASSERT_EQ(crossed->GetCount(), 5);
  auto* xbelt = dynamic_cast<TXBelt*>(crossed->GetChild(0));
  ASSERT_NE(xbelt, nullptr);
  EXPECT_FLOAT_EQ(xbelt->Radius1, 0.38f);
  EXPECT_FLOAT_EQ(xbelt->CentreDistance, 1.8f);
  EXPECT_NE(dynamic_cast<TLines*>(crossed->GetChild(3)), nullptr);
  EXPECT_FLOAT_EQ(crossed->GetChild(4)->Position.Z, 0.31f);

  TSceneFixture jockey;
  BuildJockeyBeltScene(jockey.Get(), &jockey.Lib, false, 0.7f, 0.4f, VeeBelt);
  ASSERT_EQ(jockey->GetCount(), 7);
  auto* jbelt = dynamic_cast<TJockeyBelt*>(jockey->GetChild(0));
  ASSERT_NE(jbelt, nullptr);
  EXPECT_FLOAT_EQ(jbelt->JockeyX, 0.15f);
  EXPECT_FLOAT_EQ(jbelt->JockeyY, -0.4f);
  EXPECT_FLOAT_EQ(jbelt->CentreDistance, 2.1f);
  EXPECT_EQ(jockey->GetChild(5)->GetCount(), 2);
  EXPECT_FLOAT_EQ(jockey->GetChild(5)->Position.Y, -0.38f);
  for (Integer i : {3, 4, 6})
    EXPECT_FALSE(jockey->GetChild(i)->GetVisible());

  TSceneFixture cones;
  BuildStepConeScene(cones.Get(), &cones.Lib, 0, false);
  ASSERT_EQ(cones->GetCount(), 7);
  for (Integer i : {1, 2})
    EXPECT_EQ(cones->GetChild(i)->GetCount(), 4);
  for (Integer i : {5, 6})
    EXPECT_EQ(cones->GetChild(i)->GetCount(), 2);
  EXPECT_FLOAT_EQ(cones->GetChild(2)->GetPitchAngle(), 180);
  EXPECT_FLOAT_EQ(cones->GetChild(1)->GetPitchAngle(), 0);
}

TEST(PulleysTest, StepConeGeometry)
{
  // Step 0: the left cone's largest step (0.5) against the right's smallest (0.2), at z = -0.225.
  const Single r1[4] = {0.5f, 0.4f, 0.3f, 0.2f};
  for (Integer step = 0; step < 4; ++step) {
    TSceneFixture f;
    BuildStepConeScene(f.Get(), &f.Lib, step, false);
    auto* belt = static_cast<TBelt*>(f->GetChild(0));
    EXPECT_NEAR(belt->Radius1, r1[step], 1e-6);
    EXPECT_NEAR(belt->Radius2, r1[3 - step], 1e-6);
    EXPECT_NEAR(belt->Position.Z, (step - 1.5) * 0.15, 1e-6);
    // The right cone is turned over: the step at the belt's z has the belt's right radius.
    TMatrix m = f->GetChild(2)->LocalMatrix();
    for (Integer i = 0; i < 4; ++i) {
      auto* p = static_cast<TVPulley*>(At(f.Get(), {2, i}));
      const double z = m[2][2] * p->Position.Z;
      if (std::fabs(z - belt->Position.Z) < 1e-4) {
        EXPECT_NEAR(p->RadiusA, belt->Radius2, 1e-6);
      }
    }
  }
  EXPECT_EQ(StepConeRepeatAngle(0), 720);
  EXPECT_EQ(StepConeRepeatAngle(1), 1080);
  EXPECT_EQ(StepConeRepeatAngle(2), 1440);
  EXPECT_EQ(StepConeRepeatAngle(3), 1800);
  EXPECT_EQ(StepConeRepeatAngle(-1), 1800);
  EXPECT_EQ(StepConeRepeatAngle(9), 1800);
  // A step outside 0..3 is built, animated and timed as step 3: no zero or negative radius.
  EXPECT_FLOAT_EQ(StepConeLeftRadius(7), 0.2f);
  EXPECT_FLOAT_EQ(StepConeRightRadius(-5), 0.5f);
  TSceneFixture odd;
  BuildStepConeScene(odd.Get(), &odd.Lib, -4, false);
  AnimateStepConeScene(odd.Get(), -4, 300);
  EXPECT_NEAR(odd->GetChild(4)->GetRollAngle(), 120, 1e-3);
}

TEST(PulleysTest, AnimatePosesByRatio)
{
  TSceneFixture open;
  BuildOpenBeltScene(open.Get(), &open.Lib, false, 0.3f, 0.6f, VeeBelt);
  AnimateOpenBeltScene(open.Get(), 90, 0.3f, 0.6f);
  EXPECT_FLOAT_EQ(open->GetChild(2)->GetRollAngle(), 90);
  EXPECT_FLOAT_EQ(open->GetChild(4)->GetRollAngle(), 90);
  EXPECT_NEAR(open->GetChild(1)->GetRollAngle(), 180, 1e-4);
  EXPECT_NEAR(open->GetChild(3)->GetRollAngle(), 180, 1e-4);
  EXPECT_FLOAT_EQ(static_cast<TBelt*>(open->GetChild(0))->Angle, 90);

  TSceneFixture crossed;
  BuildCrossedBeltScene(crossed.Get(), &crossed.Lib, false, 0.4f);
  AnimateCrossedBeltScene(crossed.Get(), 40);
  EXPECT_FLOAT_EQ(crossed->GetChild(1)->GetRollAngle(), -40);
  EXPECT_FLOAT_EQ(crossed->GetChild(3)->GetRollAngle(), -40);
  EXPECT_FLOAT_EQ(crossed->GetChild(2)->GetRollAngle(), 40);

  TSceneFixture jockey;
  BuildJockeyBeltScene(jockey.Get(), &jockey.Lib, false, 0.3f, 0.6f, FlatBelt);
  AnimateJockeyBeltScene(jockey.Get(), 10, 0.3f, 0.6f);
  EXPECT_NEAR(jockey->GetChild(1)->GetRollAngle(), 20, 1e-4);
  EXPECT_NEAR(jockey->GetChild(5)->GetRollAngle(), -30, 1e-4);
  EXPECT_NEAR(jockey->GetChild(6)->GetRollAngle(), -30, 1e-4);

  // The belt runs at r1 x Phase on both cones.
  TSceneFixture cones;
  BuildStepConeScene(cones.Get(), &cones.Lib, 0, false);
  AnimateStepConeScene(cones.Get(), 0, 100);
  EXPECT_FLOAT_EQ(cones->GetChild(3)->GetRollAngle(), 100);
  EXPECT_FLOAT_EQ(cones->GetChild(5)->GetRollAngle(), 100);
  EXPECT_NEAR(cones->GetChild(4)->GetRollAngle(), 250, 1e-3);
  EXPECT_NEAR(cones->GetChild(6)->GetRollAngle(), 250, 1e-3);
  EXPECT_FLOAT_EQ(cones->GetChild(1)->GetRollAngle(), 0);
  auto* belt = static_cast<TBelt*>(cones->GetChild(0));
  EXPECT_NEAR(belt->Radius2 * belt->Angle, 0.5 * 100, 1e-3);
}

TEST(PulleysTest, EqualRadiiTurnTogether)
{
  TSceneFixture f;
  BuildOpenBeltScene(f.Get(), &f.Lib, false, 0.5f, 0.5f, VeeBelt);
  AnimateOpenBeltScene(f.Get(), 77, 0.5f, 0.5f);
  EXPECT_FLOAT_EQ(f->GetChild(1)->GetRollAngle(), 77);
  EXPECT_FLOAT_EQ(f->GetChild(2)->GetRollAngle(), 77);
  EXPECT_EQ(PulleyPairRepeatAngle(5, 5), 360);
}

TEST(PulleysTest, JockeyRepeatAngleBringsTheJockeyRound)
{
  // The pulley pair's rule alone leaves the jockey half a turn out when s2 is odd and the
  // pair's period an odd number of turns.
  EXPECT_EQ(JockeyBeltRepeatAngle(3, 3), 720);
  EXPECT_EQ(JockeyBeltRepeatAngle(3, 6), 720);
  EXPECT_EQ(JockeyBeltRepeatAngle(4, 4), 360);
  EXPECT_EQ(JockeyBeltRepeatAngle(6, 4), 2160);
  EXPECT_EQ(JockeyBeltRepeatAngle(3, 5), 10800);
  EXPECT_EQ(JockeyBeltRepeatAngle(5, 3), 10800);
  EXPECT_EQ(JockeyBeltRepeatAngle(9, 7), 2 * 63 * 360);
  for (Integer s1 = 3; s1 <= 10; ++s1)
    for (Integer s2 = 3; s2 <= 10; ++s2) {
      const Integer a = JockeyBeltRepeatAngle(s1, s2);
      EXPECT_EQ(a % PulleyPairRepeatAngle(s1, s2), 0);
      EXPECT_EQ((int64_t(a) / 360 * s2) % 2, 0) << s1 << "/" << s2;
    }
}

TEST(PulleysTest, EveryPartIsBackAtItsStartAfterOneRepeat)
{
  for (const TBeltCase& c : BeltCases()) {
    TSceneFixture f;
    c.Build(f);
    c.Animate(f.Get(), 0);
    const TPose start = PartsPose(f.Get());
    c.Animate(f.Get(), Single(c.Repeat));
    // Rolls of up to 40 turns in single precision: a few thousandths of a unit.
    EXPECT_EQ(PoseDifference(start, PartsPose(f.Get()), 5 * Tol), "") << c.Name << " repeat " << c.Repeat;
  }
  // The pulley pair's period alone leaves the jockey and its arrow half a turn out.
  TSceneFixture f;
  BuildJockeyBeltScene(f.Get(), &f.Lib, true, 0.3f, 0.3f, VeeBelt);
  AnimateJockeyBeltScene(f.Get(), 0, 0.3f, 0.3f);
  const TPose start = PartsPose(f.Get());
  AnimateJockeyBeltScene(f.Get(), Single(PulleyPairRepeatAngle(3, 3)), 0.3f, 0.3f);
  EXPECT_NE(PoseDifference(start, PartsPose(f.Get()), Tol), "");
}

TEST(PulleysTest, PoseAtAPhaseDoesNotDependOnTheWayThere)
{
  for (const TBeltCase& c : BeltCases()) {
    if (c.Name.find("open 3/") != 0 && c.Name.find("jockey 7/") != 0 && c.Name.find("cones") != 0
        && c.Name != "crossed")
      continue;
    TSceneFixture direct, stepped;
    c.Build(direct);
    c.Build(stepped);
    const Single target = 0.37f * Single(c.Repeat);
    c.Animate(direct.Get(), target);
    c.Animate(direct.Get(), target);
    for (Integer k = 0; k <= 500; ++k)
      c.Animate(stepped.Get(), Single(c.Repeat) * Single(k) / 500.0f);
    c.Animate(stepped.Get(), Single(c.Repeat) * 0.9f);
    c.Animate(stepped.Get(), target);
    EXPECT_EQ(PoseDifference(Snapshot(direct.Get()), Snapshot(stepped.Get()), 1e-4), "") << c.Name;
  }
}

// The shell's clock: the phase grows by a step, wraps once past the period, the belt's
// run is folded at the wrap, then the scene is posed.
TEST(PulleysTest, BeltRunsOnAcrossTheWrap)
{
  for (Integer step : {0, 3}) {
    TSceneFixture f;
    BuildStepConeScene(f.Get(), &f.Lib, step, false);
    auto* belt = static_cast<TBelt*>(f->GetChild(0));
    const Single period = Single(StepConeRepeatAngle(step)), delta = 7.3f;
    const Single L = belt->PathLength();
    const double maxRun =
        belt->Radius2 * double(delta) * StepConeLeftRadius(step) / StepConeRightRadius(step) * cPIdiv180 * 1.01 + 1e-4;
    Single phase = 0;
    AnimateStepConeScene(f.Get(), step, phase);
    Single last = belt->BandStart();
    Integer wraps = 0;
    for (Integer k = 0; k < 1000; ++k) {
      phase += delta;
      if (phase > period) {
        phase -= period;
        UpdateBeltTravel(f.Get());
        ++wraps;
      }
      AnimateStepConeScene(f.Get(), step, phase);
      const Single now = belt->BandStart();
      const Single run = WrapPositive(now - last, L);
      // Forward by at most one frame's run; never back.
      EXPECT_LE(run, maxRun) << "step " << step << " frame " << k;
      last = now;
    }
    EXPECT_GE(wraps, 3);
  }
}

TEST(PulleysTest, WithoutTheFoldTheBeltWouldJumpBack)
{
  TSceneFixture f;
  BuildOpenBeltScene(f.Get(), &f.Lib, false, 0.3f, 0.4f, VeeBelt);
  auto* belt = static_cast<TBelt*>(f->GetChild(0));
  const Single period = Single(PulleyPairRepeatAngle(3, 4));
  AnimateOpenBeltScene(f.Get(), period - 1, 0.3f, 0.4f);
  const Single before = belt->BandStart();
  AnimateOpenBeltScene(f.Get(), 1, 0.3f, 0.4f);
  const Single jumped = WrapPositive(belt->BandStart() - before, belt->PathLength());
  EXPECT_GT(jumped, 0.01f);

  AnimateOpenBeltScene(f.Get(), period - 1, 0.3f, 0.4f);
  UpdateBeltTravel(f.Get());
  AnimateOpenBeltScene(f.Get(), 1, 0.3f, 0.4f);
  const Single run = WrapPositive(belt->BandStart() - before, belt->PathLength());
  EXPECT_NEAR(run, 0.4f * 1 * cPIdiv180, 1e-4);
}

TEST(PulleysTest, MarkersShowWithoutRebuild)
{
  TSceneFixture open, crossed, jockey, cones;
  BuildOpenBeltScene(open.Get(), &open.Lib, false, 0.3f, 0.6f, VeeBelt);
  BuildCrossedBeltScene(crossed.Get(), &crossed.Lib, false, 0.4f);
  BuildJockeyBeltScene(jockey.Get(), &jockey.Lib, false, 0.3f, 0.6f, VeeBelt);
  BuildStepConeScene(cones.Get(), &cones.Lib, 2, false);
  ShowBeltDriveMarkers(open.Get(), true);
  ShowBeltDriveMarkers(crossed.Get(), true);
  ShowJockeyBeltMarkers(jockey.Get(), true);
  ShowStepConeMarkers(cones.Get(), true);
  for (TSceneFixture* f : {&open, &crossed, &cones})
    for (Integer i : {3, 4})
      EXPECT_TRUE((*f)->GetChild(i)->GetVisible());
  for (Integer i : {3, 4, 6})
    EXPECT_TRUE(jockey->GetChild(i)->GetVisible());
  EXPECT_EQ(open->GetCount(), 5);
  ShowBeltDriveMarkers(open.Get(), false);
  EXPECT_FALSE(open->GetChild(3)->GetVisible());
}

TEST(PulleysTest, UpdateBeltTravelNeedsABelt)
{
  TSceneFixture empty;
  UpdateBeltTravel(empty.Get());
  UpdateBeltTravel(nullptr);
  TSceneFixture f;
  f->AddChild(std::make_unique<TDummyCube>(nullptr));
  auto* belt = f->AddChild(std::make_unique<TBelt>(nullptr));
  belt->SetAngle(100);
  const TPose before = Snapshot(f.Get());
  UpdateBeltTravel(f.Get());
  EXPECT_EQ(PoseDifference(before, Snapshot(f.Get())), "");
}

// The cones' arrows as the program shows them at 640 x 480 from the topic's view point, white
// on a black background and black on a white one: in every phase of every step each stands
// out from what lies behind it (the dark belt, shafts and faces, the brass, the background).
TEST(PulleysTest, StepConeArrowsShowOnEitherBackground)
{
  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  viewer.GetSurface()->SetSize(640, 480);
  if (!viewer.GetSurface()->CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  for (auto [background, colour] : {std::pair{clBlack, DefaultMarkerColour}, {clWhite, TVector{0, 0, 0, 1}}})
    for (Integer step = 0; step < 4; ++step) {
      TGLScene scene;
      TStandardScene stage = BuildStandardScene(scene);
      TGLMaterialLibrary lib;
      FillStandardMaterials(lib);
      stage.Camera->Position.SetAsVector(GetViewPoint(7, 0).Camera);
      stage.SceneBase->Position.SetAsVector(GetViewPoint(7, 0).SceneBase);
      viewer.GetBuffer()->SetBackgroundColor(background);
      viewer.SetCamera(stage.Camera);
      BuildStepConeScene(stage.SceneBase, &lib, step, true, colour);
      auto shot = [&](bool left, bool right) {
        stage.SceneBase->GetChild(3)->SetVisible(left);
        stage.SceneBase->GetChild(4)->SetVisible(right);
        viewer.GetSurface()->Repaint();
        return viewer.GetBuffer()->CreateSnapshot();
      };
      const std::string name = std::string(background == clBlack ? "black" : "white") + "-" + std::to_string(step);
      for (Integer k = 0; k < 8; ++k) {
        SCOPED_TRACE(name + ", phase " + std::to_string(k));
        AnimateStepConeScene(stage.SceneBase, step, Single(StepConeRepeatAngle(step) * k / 8));
        const auto bare = shot(false, false);
        for (Integer arrow : {3, 4}) {
          const auto drawn = shot(arrow == 3, arrow == 4);
          // The pixels it changes by a quarter of a colour's range or more: a stroke 2 pixels
          // wide and 15 long at least, what an arrow pointing at the viewer still shows.
          int seen = 0;
          const uint8_t *a = bare->Data(), *b = drawn->Data();
          for (size_t i = 0; i < size_t(drawn->Width()) * size_t(drawn->Height()) * 4; i += 4)
            seen +=
                std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])}) >= 64;
          EXPECT_GE(seen, 30) << (arrow == 3 ? "the left (input) cone's arrow" : "the right cone's arrow");
        }
        if (step == 3) {
          const auto both = shot(true, true);
          SavePixelsToPng(std::string(ORRELO_TEST_OUTPUT) + "/step-cones-" + name + "-" + std::to_string(k) + ".png",
                          both->Width(), both->Height(), both->Data(), true);
        }
      }
      viewer.SetCamera(nullptr);
    }
}

}   // namespace
