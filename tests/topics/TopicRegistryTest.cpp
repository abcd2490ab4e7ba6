// The registry's rows against the procedures and each other: a row wired to another topic's
// procedures, a page name listed twice, or topics sharing cog memories of different sizes
// would show a wrong model, open the wrong topic or hand a topic counts it does not have.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "topics/TopicRegistry.h"
#include "topics/TopicTable.h"

namespace {

TEST(TopicRegistry, EveryModelRowCarriesItsOwnProcedures)
{
  const auto& rows = TopicRows();
  ASSERT_FALSE(rows.empty());
  std::set<Integer> ids;
  for (const TTopicRow& row : rows) {
    SCOPED_TRACE(row.Id);
    EXPECT_TRUE(ids.insert(row.Id).second) << "two rows";
    EXPECT_EQ(FindTopicRow(row.Id), &row);
    if (row.View == TTopicView::CamGraph) {
      EXPECT_TRUE(row.Examples.empty());
      continue;
    }
    ASSERT_EQ(row.Examples.size(), row.View == TTopicView::Levers ? 2u : 1u);
    for (size_t i = 0; i < row.Examples.size(); ++i) {
      const TTopicEntry* p = row.Examples[i].Procedures;
      ASSERT_NE(p, nullptr) << "example " << i;
      EXPECT_EQ(p->Id, row.Id);
      EXPECT_EQ(p->Example, Integer(i));
      EXPECT_TRUE(p->Build && p->Animate);
      EXPECT_NE(row.Examples[i].View.Camera, GetViewPoint(NoTopic, 0).Camera) << "no view point of its own";
      if (row.View == TTopicView::Levers) {
        EXPECT_FALSE(row.Examples[i].Caption.empty());
        EXPECT_EQ(row.Examples[i].Image, row.Examples[0].Image + Integer(i));
      }
    }
    EXPECT_GE(row.Category, 0);
  }
  // Every topic the procedures serve has its row, and the rows end at the last id.
  for (const TTopicEntry& e : TopicEntries())
    EXPECT_NE(FindTopicRow(e.Id), nullptr) << e.Id;
  EXPECT_EQ(rows.back().Id, LastTopicId);
  EXPECT_EQ(FindTopicRow(NoTopic), nullptr);
  EXPECT_EQ(FindTopicRow(CamGraphTopic)->View, TTopicView::CamGraph);
  EXPECT_EQ(FindTopicRow(LastTopicId + 1), nullptr);
}

TEST(TopicRegistry, PageNamesLeadToOneTopicEach)
{
  std::map<std::string, Integer> owner;
  for (const TTopicRow& row : TopicRows()) {
    EXPECT_FALSE(row.PageKeys.empty()) << row.Id;
    for (const std::string& key : row.PageKeys) {
      for (char c : key)
        EXPECT_FALSE(std::islower(static_cast<unsigned char>(c))) << key;
      auto [it, added] = owner.emplace(key, row.Id);
      EXPECT_TRUE(added) << key << " leads to " << it->second << " and " << row.Id;
    }
  }
}

TEST(TopicRegistry, SharedCogMemoriesHoldAsManyCountsEverywhere)
{
  std::map<std::string, Integer> counts;
  for (const TTopicRow& row : TopicRows()) {
    EXPECT_GE(row.Cogs, 0);
    EXPECT_LE(row.Cogs, 4);
    if (row.Cogs > 0) {
      EXPECT_EQ(row.Page, TControlPage::Cogs) << row.Id;
    }
    if (row.TeethMemory.empty())
      continue;
    auto [it, added] = counts.emplace(row.TeethMemory, row.Cogs);
    EXPECT_EQ(it->second, row.Cogs) << row.TeethMemory << " at " << row.Id;
  }
}

TEST(TopicRegistry, StartRatesCoverEveryId)
{
  const std::vector<Integer> rates = TopicStartRates();
  ASSERT_EQ(rates.size(), size_t(LastTopicId) + 1);
  for (const TTopicRow& row : TopicRows())
    EXPECT_EQ(rates[size_t(row.Id)], row.Rate);
  for (Integer r : rates)
    EXPECT_GT(r, 0);
}

}   // namespace
