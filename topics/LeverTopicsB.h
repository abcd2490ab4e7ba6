// The topic-table rows of the nutcracker (topic 27, example 0) and the tweezers (topic 28,
// example 1).
#pragma once

#include <vector>

#include "topics/TopicFrame.h"

// Appends the rows in id order.
void AddLeverTopicsB(std::vector<TTopicEntry>& Entries);
