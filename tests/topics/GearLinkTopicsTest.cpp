#include <gtest/gtest.h>

#include <random>

#include "topics/GearCogs.h"
#include "topics/TopicTable.h"
#include "topics/WormGears.h"
#include "tests/topics/GearLinkTestSupport.h"

namespace {

const Integer OurTopics[] = {4, 10, 29, 31, 32, 35, 36, 37};

const TTopicEntry& Entry(Integer id)
{
  const TTopicEntry* e = FindTopic(id);
  EXPECT_NE(e, nullptr) << id;
  return *e;
}

TTopicControls Start(const TTopicEntry& e) { return e.DefaultControls ? e.DefaultControls() : TTopicControls{}; }

TEST(GearLinkTopics, RowsInTheTable)
{
  for (Integer id : OurTopics) {
    const TTopicEntry& e = Entry(id);
    EXPECT_TRUE(e.Build && e.Animate && e.RepeatAngle) << id;
    const bool markers = id == 4 || id == 10 || id == 32 || id == 35 || id == 36;
    EXPECT_EQ(bool(e.ShowMarkers), markers) << id;
    EXPECT_EQ(e.NegativeRange, id == 35) << id;
    EXPECT_EQ(bool(e.Wrap), id == 36) << id;
  }
  const auto& all = TopicEntries();
  for (size_t i = 1; i < all.size(); ++i)
    EXPECT_LE(all[i - 1].Id, all[i].Id);

  EXPECT_EQ(Entry(35).RepeatAngle(Start(Entry(35))), RackPinionRepeatAngle(10, 4.0f));
  EXPECT_EQ(Start(Entry(36)).Cog[0], 10);
  EXPECT_EQ(Entry(36).RepeatAngle(Start(Entry(36))), 720);
  EXPECT_TRUE(Start(Entry(32)).Markers);   // "Show linkage only" starts checked
  for (Integer id : {4, 10, 29, 31, 32, 37})
    EXPECT_EQ(Entry(id).RepeatAngle(Start(Entry(id))), 360) << id;
}

// After one repeat angle every part stands as at the start (the rack has no period; the
// worm's wheel goes on through the wrap hook).
TEST(GearLinkTopics, RepeatAngleBringsEveryPartBack)
{
  for (Integer id : OurTopics) {
    if (id == 35)
      continue;
    const TTopicEntry& e = Entry(id);
    const TTopicControls c = Start(e);
    const Integer repeat = e.RepeatAngle(c);
    TTopicScene s;
    e.Build(s.B(), &s.Lib, c);
    e.Animate(s.B(), c, 0);
    const auto start = Pose(s.B());
    for (Integer k = 1; k <= 8; ++k)
      e.Animate(s.B(), c, Single(repeat) * Single(k) / 8);
    if (e.Wrap) {
      // Across the wrap the pose goes on without a jump.
      const auto atEnd = Pose(s.B());
      e.Wrap(s.B(), c, repeat);
      e.Animate(s.B(), c, 0);
      EXPECT_LT(PoseDistance(atEnd, Pose(s.B())), 1e-4) << id;
    } else {
      EXPECT_LT(PoseDistance(start, Pose(s.B())), 1e-4) << id;
    }
  }
}

TEST(GearLinkTopics, PoseDependsOnlyOnThePhase)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> any(-400, 800);
  for (Integer id : OurTopics) {
    const TTopicEntry& e = Entry(id);
    const TTopicControls c = Start(e);
    for (Single phase : {0.0f, 33.3f, 179.0f, 359.5f}) {
      TTopicScene direct, wandering;
      e.Build(direct.B(), &direct.Lib, c);
      e.Animate(direct.B(), c, phase);
      e.Build(wandering.B(), &wandering.Lib, c);
      for (int i = 0; i < 25; ++i)
        e.Animate(wandering.B(), c, any(rng));
      e.Animate(wandering.B(), c, phase);
      EXPECT_LT(PoseDistance(Pose(direct.B()), Pose(wandering.B())), 1e-4) << id << " at " << phase;
      // Twice the same phase changes nothing.
      const auto once = Pose(direct.B());
      e.Animate(direct.B(), c, phase);
      EXPECT_EQ(once, Pose(direct.B()));
    }
  }
}

TEST(GearLinkTopics, MarkersShowWithoutRebuild)
{
  for (Integer id : {4, 10, 35, 36}) {
    const TTopicEntry& e = Entry(id);
    TTopicControls hidden = Start(e), shown = Start(e);
    hidden.Markers = false;
    shown.Markers = true;
    TTopicScene a, b;
    e.Build(a.B(), &a.Lib, hidden);
    e.Build(b.B(), &b.Lib, shown);
    EXPECT_EQ(a.B()->GetCount(), b.B()->GetCount()) << id;
    EXPECT_NE(Pose(a.B()), Pose(b.B())) << id;
    e.ShowMarkers(a.B(), true);
    EXPECT_EQ(Pose(a.B()), Pose(b.B())) << id;
  }
}

// Every animate and show-markers procedure leaves an empty scene base, and the scene of any
// other topic in the table, exactly as it found it.
TEST(GearLinkTopics, ProceduresLeaveOtherScenesAlone)
{
  std::vector<const TTopicEntry*> scenes{nullptr};   // null: the empty scene base
  for (const TTopicEntry& e : TopicEntries())
    scenes.push_back(&e);
  for (const TTopicEntry* target : scenes) {
    TTopicScene s;
    if (target)
      target->Build(s.B(), &s.Lib, Start(*target));
    const auto before = Pose(s.B());
    for (const TTopicEntry& other : TopicEntries()) {
      if (target && other.Id == target->Id)
        continue;
      TTopicControls c = Start(other);
      for (Integer teeth : {10, 20, 40}) {
        c.Cog[0] = teeth;
        for (Single phase : {0.0f, 37.0f, 90.0f, 400.0f, -50.0f})
          other.Animate(s.B(), c, phase);
      }
      c.Advancing = false;
      other.Animate(s.B(), c, 77);
      if (other.ShowMarkers) {
        other.ShowMarkers(s.B(), true);
        other.ShowMarkers(s.B(), false);
      }
      ASSERT_EQ(before, Pose(s.B())) << "topic " << other.Id << " on " << (target ? target->Id : 0);
    }
  }
}

}   // namespace
