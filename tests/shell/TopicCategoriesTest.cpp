// The question categories that a topic's test asks from, as its registry row gives them.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "shell/TopicDispatch.h"

TEST(TopicCategories, EveryModelTopicLiesInExactlyOneCategory)
{
  // Every topic id of the table in exactly one category; 0, 40 and others in none.
  const std::vector<std::vector<int>> ids = {
      {22, 23, 24, 25}, {26, 27, 28}, {29, 30, 31, 32, 33}, {1, 2, 3, 4, 10, 35, 36, 38}, {37},
      {5, 6, 7},        {8, 34},      {9, 12, 21, 39},      {11, 13, 14, 15, 16},         {17, 20},
      {18, 19}};
  std::set<int> seen;
  for (size_t c = 0; c < ids.size(); ++c)
    for (int id : ids[c]) {
      EXPECT_EQ(TopicCategorySet(id), 1 << c) << id;
      seen.insert(id);
    }
  EXPECT_EQ(seen.size(), 39u);
  for (int id : {0, 40, 41, -1, 1000})
    EXPECT_EQ(TopicCategorySet(id), 0) << id;
}
