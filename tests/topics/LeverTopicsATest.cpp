#include "topics/LeverTopicsA.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/topics/LeverTopicsATestSupport.h"
#include "topics/Arms.h"
#include "topics/Barrows.h"
#include "topics/Hammers.h"
#include "topics/Scissors.h"
#include "topics/TopicTable.h"

namespace {

const std::set<std::pair<Integer, Integer>> OwnRows = {{26, 0}, {26, 1}, {27, 1}, {28, 0}};

TEST(LeverTopicsATest, TableRows)
{
  const Integer repeats[] = {180, 500, 180, 180};
  const Integer counts[] = {6, 9, 4, 5};
  Integer k = 0;
  for (auto [id, example] : OwnRows) {
    const TTopicEntry* e = FindTopic(id, example);
    ASSERT_NE(e, nullptr) << id << "." << example;
    EXPECT_EQ(e->Example, example);
    EXPECT_TRUE(e->Build && e->Animate && e->ShowMarkers && e->RepeatAngle && e->DefaultControls);
    EXPECT_FALSE(e->Wrap);
    EXPECT_FALSE(e->NegativeRange);
    TTopicControls c = e->DefaultControls();
    EXPECT_EQ(e->RepeatAngle(c), repeats[k]);
    c.Markers = true;
    TSceneFixture f;
    e->Build(f.Get(), &f.Lib, c);
    EXPECT_EQ(f->GetCount(), counts[k]);
    ++k;
  }
  // The table passes the markers box to the animate procedures that take it.
  TSceneFixture f;
  TTopicControls c;
  c.Markers = true;
  FindTopic(26, 0)->Build(f.Get(), &f.Lib, c);
  FindTopic(26, 0)->Animate(f.Get(), c, 90);
  EXPECT_TRUE(f->GetChild(2)->GetVisible());
  c.Markers = false;
  FindTopic(26, 0)->Animate(f.Get(), c, 90);
  EXPECT_FALSE(f->GetChild(2)->GetVisible());
}

struct TScene {
  std::string Kind;
  std::function<void(TSceneFixture&)> Build;
};

std::vector<TScene> Scenes()
{
  std::vector<TScene> r;
  r.push_back({"empty", [](TSceneFixture&) {}});
  for (const TTopicEntry& e : TopicEntries()) {
    if (!e.Build)
      continue;
    const bool own = OwnRows.count({e.Id, e.Example}) != 0;
    r.push_back({own ? std::to_string(e.Id) + "." + std::to_string(e.Example) : "other", [&e](TSceneFixture& f) {
                   TTopicControls c = e.DefaultControls();
                   c.Markers = true;
                   e.Build(f.Get(), &f.Lib, c);
                 }});
  }
  return r;
}

struct TProcedure {
  std::string Name;
  std::string Owner;
  std::function<void(TDummyCube*)> Call;
};

TEST(LeverTopicsATest, ProceduresLeaveEveryOtherSceneAlone)
{
  const std::vector<TProcedure> procedures = {
      {"AnimateClawHammerScene", "26.0", [](TDummyCube* b) { AnimateClawHammerScene(b, false, 90); }},
      {"ShowClawHammerMarkers", "26.0", [](TDummyCube* b) { ShowClawHammerMarkers(b, true); }},
      {"AnimateScissorsScene", "26.1", [](TDummyCube* b) { AnimateScissorsScene(b, true, 300); }},
      {"ShowScissorsMarkers", "26.1", [](TDummyCube* b) { ShowScissorsMarkers(b, true); }},
      {"AnimateWheelbarrowScene", "27.1", [](TDummyCube* b) { AnimateWheelbarrowScene(b, 90); }},
      {"ShowWheelbarrowMarkers", "27.1", [](TDummyCube* b) { ShowWheelbarrowMarkers(b, false); }},
      {"AnimateArmScene", "28.0", [](TDummyCube* b) { AnimateArmScene(b, 90); }},
      {"ShowArmMarkers", "28.0", [](TDummyCube* b) { ShowArmMarkers(b, false); }},
  };
  const std::vector<TScene> scenes = Scenes();
  EXPECT_GE(scenes.size(), TopicEntries().size());
  for (const TProcedure& p : procedures)
    for (const TScene& s : scenes) {
      TSceneFixture f;
      s.Build(f);
      const TPose before = LeverPose(f.Get());
      p.Call(f.Get());
      const std::string diff = PoseDifference(before, LeverPose(f.Get()));
      if (s.Kind == p.Owner)
        EXPECT_NE(diff, "") << p.Name << " did nothing on its own scene";
      else
        EXPECT_EQ(diff, "") << p.Name << " changed the " << s.Kind << " scene";
    }
}

}   // namespace
