// What the main window dispatches on: the topic index's headings and links, and the map
// from a page name to the topic whose model goes with it.
#pragma once

#include <string>
#include <vector>

#include "lessons/Questions.h"
#include "platform/Types.h"

struct TIndexLink {
  const char* Title;
  const char* URL;
};

struct TIndexHeading {
  const char* Title;
  std::vector<TIndexLink> Items;
};

// The twelve headings of the topic index, in order, with their links.
const std::vector<TIndexHeading>& TopicIndexContents();

// The topic id of a page link such as "/Cam_Circular.htm#PEAR" or a file name the
// viewer reports; any page that has no model keeps currentTopic. A leading "/" is dropped,
// then everything up to the last "\", "/" or ":" (so full paths match too); the rest is
// compared without regard to case, the anchor included.
Integer PageToTopic(const std::string& page, Integer currentTopic);

// The page keys of every topic (upper case, anchors included; "CAM_BOX.HTM" among them) with
// their topic ids, as the topics' rows list them.
struct TPageTopic {
  const char* Key;
  Integer Id;
};
const std::vector<TPageTopic>& PageTopicTable();

// The question categories of a topic id, from its row (empty for ids without one: all
// questions).
TTopicCategories TopicCategorySet(Integer TopicId);
