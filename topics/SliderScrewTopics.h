// The topic-table rows of the crank, screw, windlass and brake topics (17 to 21 and 30).
#pragma once

#include <vector>

#include "topics/TopicFrame.h"

// Appends the rows in id order.
void AddSliderScrewTopics(std::vector<TTopicEntry>& Entries);
