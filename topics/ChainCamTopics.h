// The topic-table rows of the chain and cam topics (8, 11, 13 to 16 and 34).
#pragma once

#include <vector>

#include "topics/TopicFrame.h"

// Appends the rows in id order.
void AddChainCamTopics(std::vector<TTopicEntry>& Entries);
