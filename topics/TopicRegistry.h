// Everything the program knows about a topic, in one row per topic id: its examples (their
// procedures and view points), how the shell shows it (the model, the lever toolbar or the
// cam graph; its page of controls and how those controls look for it), the page names that
// lead to it, its animation rate and its question category.
#pragma once

#include <string>
#include <vector>

#include "topics/TopicFrame.h"
#include "topics/ViewPoints.h"

// The id that stands for no topic (the index page, or a page without a model).
constexpr Integer NoTopic = 0;
// The cam graph: a drawing of a cam's lift, not a model.
constexpr Integer CamGraphTopic = 40;
// The highest topic id.
constexpr Integer LastTopicId = 40;

enum class TTopicView {
  Model,      // a model with its page of controls
  Levers,     // a model with the lever toolbar choosing between two examples
  CamGraph,   // the cam graph panel
};

// The pages of controls beside the models, one of which a model topic shows.
enum class TControlPage {
  Blank,
  Cogs,
  Bevel,
  Belts,
  StepCone,
  Chain,
  Hoist,
  Weston,
  Cams,
  BoxCam,
  Crank,
  Screw,
  Windlass,
  Linkage,
  Treadle,
  Bike,
  InclinedPlane,
  Count
};

// How one control on the topic's page looks while the topic shows: by the control's name.
struct TControlSetting {
  std::string Control;
  bool Visible = true;
  Integer Min = 0, Max = 0;         // Max > Min: the topic's range (the position is kept inside it)
  std::string Hint;                 // empty: the hint stays as it is
  std::vector<std::string> Items;   // a list box's items, when the topic sets them (the first picked)
};

struct TTopicExample {
  const TTopicEntry* Procedures = nullptr;   // build, animate, markers, repeat angle, wrap
  TViewPoint View;
  std::string Caption;   // the lever toolbar's button (lever topics only)
  Integer Image = -1;    // and its picture
};

struct TTopicRow {
  Integer Id = NoTopic;
  TTopicView View = TTopicView::Model;
  std::vector<TTopicExample> Examples;   // the first is the one a topic opens with
  TControlPage Page = TControlPage::Blank;
  // How many of the page's cog counters the topic uses (from the left).
  Integer Cogs = 0;
  std::vector<TControlSetting> Controls;
  // Topics naming the same memory reopen with the cog counts any of them was last built with;
  // empty: the topic starts from its own counts every time.
  std::string TeethMemory;
  // Topics naming the same page file (told apart by anchors alone): moving between them in the
  // page history keeps the model.
  std::string SharedPage;
  std::string LeverCaption;   // the lever toolbar's label
  // Page names that show this topic: upper case, without folder, anchors included.
  std::vector<std::string> PageKeys;
  Integer Rate = 100;      // degrees a second at start
  Integer Category = -1;   // the question category, -1 for none
};

// Every row, in id order.
const std::vector<TTopicRow>& TopicRows();
// The row of an id, or null.
const TTopicRow* FindTopicRow(Integer id);
// Each id's starting rate (index 0 to LastTopicId; ids without a row take the common rate).
std::vector<Integer> TopicStartRates();
