// The rows of the topic table for the belt drives (5, 6, 7), the pulley hoist (9), the
// differential pulley (12) and the inclined plane (39).
#pragma once

#include <vector>

#include "topics/TopicFrame.h"

// Appends the rows, in id order.
void AddPulleyTopics(std::vector<TTopicEntry>& Entries);

// The radius a pulley-size control position stands for (position x 0.1).
Single PulleySizeRadius(Integer position);
