// The topics the program can show, by id: their build, animate, show-markers and
// repeat-angle procedures and the control values they start with. The shell and the topic
// gallery dispatch through this one table.
#pragma once

#include <vector>

#include "topics/TopicFrame.h"

// The procedures of a topic id and example, or null when the topic has no model here. A
// topic with one example gives it for any example asked for.
const TTopicEntry* FindTopic(Integer id, Integer example = 0);
// Every row, in id order.
const std::vector<TTopicEntry>& TopicEntries();
