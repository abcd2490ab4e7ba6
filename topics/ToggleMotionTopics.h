// The topic-table rows of the motion types (22 to 25) and the toggle clamp (33).
#pragma once

#include <vector>

#include "topics/TopicFrame.h"

// Appends the rows in id order.
void AddToggleMotionTopics(std::vector<TTopicEntry>& Entries);
