#include <gtest/gtest.h>

#include <random>

#include "topics/TopicTable.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

const Integer OurTopics[] = {22, 23, 24, 25, 33};

const TTopicEntry& Entry(Integer id)
{
  const TTopicEntry* e = FindTopic(id);
  EXPECT_NE(e, nullptr) << id;
  return *e;
}

TEST(ToggleMotionTopics, RowsInTheTable)
{
  const Integer repeat[] = {360, 1440, 320, 720, 88};
  for (size_t i = 0; i < std::size(OurTopics); ++i) {
    const TTopicEntry& e = Entry(OurTopics[i]);
    ASSERT_TRUE(e.Build && e.Animate && e.RepeatAngle) << OurTopics[i];
    EXPECT_FALSE(e.ShowMarkers || e.Wrap || e.NegativeRange) << OurTopics[i];
    EXPECT_EQ(e.RepeatAngle(e.DefaultControls()), repeat[i]) << OurTopics[i];
  }
}

// The table scales the phase as the shell does: the trimmer runs its whole travel and the
// clamp opens to its last input over the step bar's range.
TEST(ToggleMotionTopics, PhaseScaling)
{
  const TTopicEntry& trimmer = Entry(24);
  TTopicScene s;
  trimmer.Build(s.B(), &s.Lib, trimmer.DefaultControls());
  trimmer.Animate(s.B(), trimmer.DefaultControls(), 320);
  EXPECT_FLOAT_EQ(s.B()->GetChild(0)->Position.X, -0.8f);

  const TTopicEntry& clamp = Entry(33);
  TTopicScene t;
  clamp.Build(t.B(), &t.Lib, clamp.DefaultControls());
  clamp.Animate(t.B(), clamp.DefaultControls(), 88);
  EXPECT_FLOAT_EQ(t.B()->GetChild(1)->GetRollAngle(), -44.0f);
}

// The roundabout and the sewing machine repeat exactly; the trimmer and the clamp run one
// stroke and start again at the wrap, and the escapement is checked by its own symmetry.
TEST(ToggleMotionTopics, RepeatAngleBringsEveryPartBack)
{
  for (Integer id : {22, 25}) {
    const TTopicEntry& e = Entry(id);
    const TTopicControls c = e.DefaultControls();
    TTopicScene s;
    e.Build(s.B(), &s.Lib, c);
    e.Animate(s.B(), c, 0);
    const auto start = Pose(s.B());
    const Integer repeat = e.RepeatAngle(c);
    for (Integer k = 1; k <= 8; ++k)
      e.Animate(s.B(), c, Single(repeat) * Single(k) / 8);
    EXPECT_LT(PoseDistance(start, Pose(s.B())), 1e-4f) << id;
  }
}

TEST(ToggleMotionTopics, PoseDependsOnlyOnThePhase)
{
  std::mt19937 rng(11);
  for (Integer id : OurTopics) {
    const TTopicEntry& e = Entry(id);
    const TTopicControls c = e.DefaultControls();
    const Integer repeat = e.RepeatAngle(c);
    std::uniform_real_distribution<float> any(0, Single(repeat));
    for (Single share : {0.0f, 0.21f, 0.5f, 0.77f, 0.999f}) {
      const Single phase = share * Single(repeat);
      TTopicScene direct, wandering;
      e.Build(direct.B(), &direct.Lib, c);
      e.Animate(direct.B(), c, phase);
      e.Build(wandering.B(), &wandering.Lib, c);
      for (int i = 0; i < 25; ++i)
        e.Animate(wandering.B(), c, any(rng));
      e.Animate(wandering.B(), c, phase);
      EXPECT_EQ(Pose(direct.B()), Pose(wandering.B())) << id << " at " << phase;
    }
  }
}

// Our animate procedures leave an empty scene base, and every other topic's scene, alone.
TEST(ToggleMotionTopics, ProceduresLeaveOtherScenesAlone)
{
  std::vector<const TTopicEntry*> scenes{nullptr};
  for (const TTopicEntry& e : TopicEntries())
    scenes.push_back(&e);
  for (const TTopicEntry* target : scenes) {
    TTopicScene s;
    if (target)
      target->Build(s.B(), &s.Lib, target->DefaultControls());
    const auto before = Pose(s.B());
    for (Integer id : OurTopics) {
      if (target && target->Id == id)
        continue;
      const TTopicEntry& e = Entry(id);
      for (Single phase : {0.0f, 37.0f, 90.0f, 400.0f, -50.0f})
        e.Animate(s.B(), e.DefaultControls(), phase);
      ASSERT_EQ(before, Pose(s.B())) << "topic " << id << " on " << (target ? target->Id : 0);
    }
  }
}

}   // namespace
