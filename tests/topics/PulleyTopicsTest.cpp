#include "topics/PulleyTopics.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/GLObjects.h"

#include "topics/GearCogs.h"
#include "topics/Hoists.h"
#include "topics/Pulleys.h"
#include "topics/TopicTable.h"
#include "topics/Weston.h"
#include "tests/topics/PulleyTopicsTestSupport.h"

namespace {

const std::set<Integer> OwnIds = {5, 6, 7, 9, 12, 39};

TEST(PulleyTopicsTest, TableRows)
{
  for (Integer id : OwnIds) {
    const TTopicEntry* e = FindTopic(id);
    ASSERT_NE(e, nullptr) << id;
    EXPECT_TRUE(e->Build && e->Animate && e->RepeatAngle && e->DefaultControls) << id;
    EXPECT_EQ(bool(e->ShowMarkers), id != 9 && id != 39) << id;
    EXPECT_EQ(bool(e->Wrap), id <= 7) << id;
    EXPECT_FALSE(e->NegativeRange);
  }
  const TTopicControls c = FindTopic(5)->DefaultControls();
  EXPECT_EQ(c.PulleySize[0], 3);
  EXPECT_EQ(c.PulleySize[1], 6);
  EXPECT_EQ(c.BeltItem, 0);
  EXPECT_EQ(c.BeltStep, 3);
  EXPECT_EQ(c.HoistWheels, 1);
  EXPECT_EQ(c.WestonRadius, 15);
  EXPECT_EQ(c.PlaneAngle, 10);
  EXPECT_EQ(FindTopic(5)->RepeatAngle(c), 720);
  EXPECT_EQ(FindTopic(6)->RepeatAngle(c), 720);
  EXPECT_EQ(FindTopic(7)->RepeatAngle(c), 1800);
  EXPECT_EQ(FindTopic(9)->RepeatAngle(c), 180);
  EXPECT_EQ(FindTopic(12)->RepeatAngle(c), 1080);
  EXPECT_EQ(FindTopic(39)->RepeatAngle(c), 400);
  TTopicControls odd = c;
  odd.PulleySize[0] = 3;
  odd.PulleySize[1] = 3;
  EXPECT_EQ(FindTopic(5)->RepeatAngle(odd), 360);
  EXPECT_EQ(FindTopic(6)->RepeatAngle(odd), 720);
}

TEST(PulleyTopicsTest, RowsBuildWhatTheControlsSay)
{
  TTopicControls c = FindTopic(5)->DefaultControls();
  const Integer counts[] = {5, 7, 7, 5, 6, 1};
  Integer k = 0;
  for (Integer id : {5, 6, 7, 9, 12, 39}) {
    TSceneFixture f;
    FindTopic(id)->Build(f.Get(), &f.Lib, c);
    EXPECT_EQ(f->GetCount(), counts[k++]) << id;
  }
  c.BeltItem = 2;
  TSceneFixture crossed;
  FindTopic(5)->Build(crossed.Get(), &crossed.Lib, c);
  EXPECT_NE(dynamic_cast<TXBelt*>(crossed->GetChild(0)), nullptr);
  FindTopic(5)->Animate(crossed.Get(), c, 30);
  EXPECT_FLOAT_EQ(crossed->GetChild(1)->GetRollAngle(), -30);
  c.HoistWheels = 3;
  TSceneFixture hoist;
  FindTopic(9)->Build(hoist.Get(), &hoist.Lib, c);
  FindTopic(9)->Animate(hoist.Get(), c, 90);
  EXPECT_NEAR(hoist->GetChild(2)->Position.Y, 0.3 - 0.6, 1e-6);
  c.WestonRadius = 20;
  TSceneFixture weston;
  FindTopic(12)->Build(weston.Get(), &weston.Lib, c);
  EXPECT_NEAR(static_cast<TCube*>(At(weston.Get(), {1, 3}))->GetCubeWidth(), 0.684, 1e-3);
  // The wrap hook folds the belt's run.
  TSceneFixture belt;
  FindTopic(6)->Build(belt.Get(), &belt.Lib, c);
  FindTopic(6)->Animate(belt.Get(), c, 700);
  FindTopic(6)->Wrap(belt.Get(), c, FindTopic(6)->RepeatAngle(c));
  EXPECT_NE(static_cast<TBelt*>(belt->GetChild(0))->Travel, 0);
}

// Every scene these procedures may meet: theirs in all its forms, and every other topic's.
struct TScene {
  std::string Kind;
  std::function<void(TSceneFixture&)> Build;
};

std::vector<TScene> Scenes()
{
  std::vector<TScene> r;
  r.push_back({"empty", [](TSceneFixture&) {}});
  for (Byte kind : {VeeBelt, FlatBelt}) {
    r.push_back({"open", [=](TSceneFixture& f) { BuildOpenBeltScene(f.Get(), &f.Lib, true, 0.3f, 0.6f, kind); }});
    r.push_back({"jockey", [=](TSceneFixture& f) { BuildJockeyBeltScene(f.Get(), &f.Lib, true, 0.7f, 0.4f, kind); }});
  }
  r.push_back({"crossed", [](TSceneFixture& f) { BuildCrossedBeltScene(f.Get(), &f.Lib, true, 0.4f); }});
  for (Integer step = 0; step < 4; ++step)
    r.push_back({"cones", [=](TSceneFixture& f) { BuildStepConeScene(f.Get(), &f.Lib, step, true); }});
  for (Integer n = 1; n <= 4; ++n)
    r.push_back({"hoist" + std::to_string(n), [=](TSceneFixture& f) { BuildPulleyHoistScene(f.Get(), &f.Lib, n); }});
  for (Single b : {0.12f, 0.2f})
    r.push_back({"weston", [=](TSceneFixture& f) { BuildWestonScene(f.Get(), &f.Lib, true, 0.2f, b); }});
  r.push_back({"plane", [](TSceneFixture& f) { BuildInclinedPlaneScene(f.Get(), &f.Lib, 20); }});
  for (const TTopicEntry& e : TopicEntries()) {
    if (OwnIds.count(e.Id) || !e.Build)
      continue;
    r.push_back({"topic " + std::to_string(e.Id) + "." + std::to_string(e.Example), [&e](TSceneFixture& f) {
                   e.Build(f.Get(), &f.Lib, e.DefaultControls ? e.DefaultControls() : TTopicControls{});
                 }});
  }
  return r;
}

struct TProcedure {
  std::string Name;
  std::set<std::string> Owners;   // the scene kinds it acts on
  std::function<void(TDummyCube*)> Call;
};

std::vector<TProcedure> Procedures()
{
  std::vector<TProcedure> r;
  r.push_back({"AnimateOpenBeltScene", {"open"}, [](TDummyCube* b) { AnimateOpenBeltScene(b, 33, 0.3f, 0.6f); }});
  r.push_back({"AnimateCrossedBeltScene", {"crossed"}, [](TDummyCube* b) { AnimateCrossedBeltScene(b, 33); }});
  r.push_back({"ShowBeltDriveMarkers", {"open", "crossed"}, [](TDummyCube* b) { ShowBeltDriveMarkers(b, false); }});
  r.push_back({"AnimateJockeyBeltScene", {"jockey"}, [](TDummyCube* b) { AnimateJockeyBeltScene(b, 33, 0.7f, 0.4f); }});
  r.push_back({"ShowJockeyBeltMarkers", {"jockey"}, [](TDummyCube* b) { ShowJockeyBeltMarkers(b, false); }});
  for (Integer step = 0; step < 4; ++step)
    r.push_back({"AnimateStepConeScene", {"cones"}, [=](TDummyCube* b) { AnimateStepConeScene(b, step, 33); }});
  r.push_back({"ShowStepConeMarkers", {"cones"}, [](TDummyCube* b) { ShowStepConeMarkers(b, false); }});
  r.push_back({"UpdateBeltTravel", {"open", "crossed", "jockey", "cones"}, [](TDummyCube* b) {
                 if (b->GetCount() > 0)
                   if (auto* belt = dynamic_cast<TBelt*>(b->GetChild(0)))
                     belt->SetAngle(50);
                 UpdateBeltTravel(b);
               }});
  for (Integer n = 1; n <= 4; ++n)
    r.push_back({"AnimatePulleyHoistScene " + std::to_string(n), {"hoist" + std::to_string(n)}, [=](TDummyCube* b) {
                   AnimatePulleyHoistScene(b, n, 0.7f);
                 }});
  r.push_back({"AnimateWestonScene", {"weston"}, [](TDummyCube* b) { AnimateWestonScene(b, 0.2f, 0.15f, 33); }});
  r.push_back({"ShowWestonMarkers", {"weston"}, [](TDummyCube* b) { ShowWestonMarkers(b, false); }});
  r.push_back({"AnimateInclinedPlaneScene", {"plane"}, [](TDummyCube* b) { AnimateInclinedPlaneScene(b, 33); }});
  r.push_back({"SetInclinedPlaneAngle", {"plane"}, [](TDummyCube* b) { SetInclinedPlaneAngle(b, 33); }});
  return r;
}

TEST(PulleyTopicsTest, ProceduresLeaveEveryOtherSceneAlone)
{
  const std::vector<TScene> scenes = Scenes();
  // Every other topic of the table is there too.
  EXPECT_GE(scenes.size(), 17u + TopicEntries().size() - OwnIds.size());
  for (const TProcedure& p : Procedures())
    for (const TScene& s : scenes) {
      TSceneFixture f;
      s.Build(f);
      const TPose before = Snapshot(f.Get());
      p.Call(f.Get());
      const std::string diff = PoseDifference(before, Snapshot(f.Get()));
      if (p.Owners.count(s.Kind))
        EXPECT_NE(diff, "") << p.Name << " did nothing on its own scene " << s.Kind;
      else if (p.Name == "UpdateBeltTravel")
        continue;   // it set a belt angle itself only where child 0 is a belt
      else
        EXPECT_EQ(diff, "") << p.Name << " changed the " << s.Kind << " scene";
    }
}

TEST(PulleyTopicsTest, UpdateBeltTravelLeavesBeltlessScenesAlone)
{
  for (const TScene& s : Scenes()) {
    TSceneFixture f;
    s.Build(f);
    if (f->GetCount() > 0 && dynamic_cast<TBelt*>(f->GetChild(0)))
      continue;
    const TPose before = Snapshot(f.Get());
    UpdateBeltTravel(f.Get());
    EXPECT_EQ(PoseDifference(before, Snapshot(f.Get())), "") << s.Kind;
  }
}

}   // namespace
