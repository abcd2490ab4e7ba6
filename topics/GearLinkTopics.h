// The topic-table rows of the bevel, mitre, rack, worm, ratchet and linkage topics.
#pragma once

#include <vector>

#include "topics/TopicFrame.h"

// Appends the rows of topics 4, 10, 29, 31, 32, 35, 36 and 37, in id order.
void AddGearLinkTopics(std::vector<TTopicEntry>& Entries);
