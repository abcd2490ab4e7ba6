#include <gtest/gtest.h>

#include <random>

#include "topics/Screws.h"
#include "topics/Sliders.h"
#include "topics/TopicTable.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

const Integer OurTopics[] = {17, 18, 19, 20, 21, 30};

const TTopicEntry& Entry(Integer id)
{
  const TTopicEntry* e = FindTopic(id);
  EXPECT_NE(e, nullptr) << id;
  return *e;
}

// The start values and a few others the controls allow.
std::vector<TTopicControls> ControlSets()
{
  std::vector<TTopicControls> r(1);
  TTopicControls c;
  c.CrankOffset = 10;
  c.ThreadProfile = 1;
  c.ScrewPitch = 25;
  c.HandleRadius = 18;
  r.push_back(c);
  c.CrankOffset = 35;
  c.ThreadProfile = 3;
  c.ScrewPitch = 40;
  c.HandleRadius = 96;
  r.push_back(c);
  return r;
}

TEST(SliderScrewTopics, RowsInTheTable)
{
  const std::pair<Integer, Integer> repeats[] = {{17, 360}, {18, 3600}, {19, 3600}, {20, 720}, {21, 1800}, {30, 360}};
  for (auto [id, repeat] : repeats) {
    const TTopicEntry& e = Entry(id);
    EXPECT_TRUE(e.Build && e.Animate && e.RepeatAngle) << id;
    EXPECT_FALSE(e.ShowMarkers) << id;
    EXPECT_FALSE(e.Wrap) << id;
    EXPECT_FALSE(e.NegativeRange) << id;
    EXPECT_EQ(e.RepeatAngle(e.DefaultControls()), repeat) << id;
  }
  const TTopicControls c = Entry(17).DefaultControls();
  EXPECT_EQ(c.CrankOffset, 25);
  EXPECT_EQ(c.ThreadProfile, 0);
  EXPECT_EQ(c.ScrewPitch, 10);
  EXPECT_EQ(c.HandleRadius, 60);
}

// The crank topics and the brake come back whole after their repeat angle; the windlass,
// the bolt and the jack make one stroke in theirs, and only their turning parts come back.
TEST(SliderScrewTopics, RepeatAngleBringsThePartsBack)
{
  for (Integer id : OurTopics)
    for (const TTopicControls& c : ControlSets()) {
      const TTopicEntry& e = Entry(id);
      const Integer repeat = e.RepeatAngle(c);
      TTopicScene s;
      e.Build(s.B(), &s.Lib, c);
      e.Animate(s.B(), c, 0);
      const auto start = Pose(s.B());
      const TMatrix turning0 = s.B()->GetChild(id == 21 ? 2 : 0)->LocalMatrix();
      for (Integer k = 1; k <= 8; ++k)
        e.Animate(s.B(), c, Single(repeat) * Single(k) / 8);
      if (id == 17 || id == 20 || id == 30) {
        EXPECT_LT(PoseDistance(start, Pose(s.B())), 1e-4) << id;
      } else {
        const TMatrix turning = s.B()->GetChild(id == 21 ? 2 : 0)->LocalMatrix();
        for (int row = 0; row < 3; ++row)
          for (int col = 0; col < 3; ++col)
            EXPECT_NEAR(turning[row][col], turning0[row][col], 1e-4) << id;
      }
    }
}

TEST(SliderScrewTopics, PoseDependsOnlyOnThePhase)
{
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> any(-400, 4000);
  for (Integer id : OurTopics)
    for (const TTopicControls& c : ControlSets()) {
      const TTopicEntry& e = Entry(id);
      for (Single phase : {0.0f, 33.3f, 179.0f, 719.5f, 1799.0f}) {
        TTopicScene direct, wandering;
        e.Build(direct.B(), &direct.Lib, c);
        e.Animate(direct.B(), c, phase);
        e.Build(wandering.B(), &wandering.Lib, c);
        for (int i = 0; i < 20; ++i)
          e.Animate(wandering.B(), c, any(rng));
        e.Animate(wandering.B(), c, phase);
        EXPECT_EQ(Pose(direct.B()), Pose(wandering.B())) << id << " at " << phase;
      }
    }
}

// Built at a phase, a scene stands as built at 0 and then posed at that phase.
TEST(SliderScrewTopics, BuildAtAPhaseEqualsAnimating)
{
  for (Single phase : {0.0f, 75.0f, 300.0f, 1000.0f}) {
    TTopicScene a, b;
    BuildCrankSlotScene(a.B(), &a.Lib, 0.2f, phase);
    BuildCrankSlotScene(b.B(), &b.Lib, 0.2f, 0);
    AnimateCrankSlotScene(b.B(), 0.2f, phase);
    EXPECT_LT(PoseDistance(Pose(a.B()), Pose(b.B())), 1e-5) << phase;

    TTopicScene c, d;
    BuildWindlassScene(c.B(), &c.Lib, 0.5f, phase);
    BuildWindlassScene(d.B(), &d.Lib, 0.5f, 0);
    AnimateWindlassScene(d.B(), phase);
    EXPECT_LT(PoseDistance(Pose(c.B()), Pose(d.B())), 1e-5) << phase;
    EXPECT_EQ(c.B()->GetChild(0)->GetChildAs<THelix>(0)->Turns, d.B()->GetChild(0)->GetChildAs<THelix>(0)->Turns);

    TTopicScene e, f;
    BuildScrewJackScene(e.B(), &e.Lib, Integer(phase));
    BuildScrewJackScene(f.B(), &f.Lib, 0);
    AnimateScrewJackScene(f.B(), phase);
    EXPECT_LT(PoseDistance(Pose(e.B()), Pose(f.B())), 1e-4) << phase;
  }
}

// Our procedures leave an empty scene base and every other topic's scene alone, and the
// other topics' procedures leave ours alone, whatever the controls.
TEST(SliderScrewTopics, ProceduresLeaveOtherScenesAlone)
{
  std::vector<const TTopicEntry*> scenes{nullptr};
  for (const TTopicEntry& e : TopicEntries())
    scenes.push_back(&e);
  const auto ours = [](Integer id) {
    return std::find(std::begin(OurTopics), std::end(OurTopics), id) != std::end(OurTopics);
  };
  for (const TTopicEntry* target : scenes) {
    TTopicScene s;
    if (target)
      target->Build(s.B(), &s.Lib, target->DefaultControls());
    const auto before = Pose(s.B());
    for (const TTopicEntry& other : TopicEntries()) {
      if (target && other.Id == target->Id)
        continue;
      if (!ours(other.Id) && !(target && ours(target->Id)))
        continue;
      for (const TTopicControls& c : ControlSets())
        for (Single phase : {0.0f, 45.0f, 400.0f, -50.0f, NAN})
          other.Animate(s.B(), c, phase);
      ASSERT_EQ(before, Pose(s.B())) << "topic " << other.Id << " on " << (target ? target->Id : 0);
    }
  }
  AnimateCrankSliderScene(nullptr, 10, 0.2f);
  AnimateCrankSlotScene(nullptr, 0.2f, 10);
  AnimateWindlassScene(nullptr, 10);
  AnimateScrewThreadScene(nullptr, 0.1f, 10);
  AnimateScrewJackScene(nullptr, 10);
}

}   // namespace
