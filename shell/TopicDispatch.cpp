#include "shell/TopicDispatch.h"

#include <algorithm>

#include "platform/SysUtils.h"
#include "topics/TopicRegistry.h"

const std::vector<TIndexHeading>& TopicIndexContents()
{
  static const std::vector<TIndexHeading> headings = {
      {"Motion",
       {{"Rotary", "/Rotary.htm"},
        {"Oscillating", "/Oscillate.htm"},
        {"Linear", "/Linear.htm"},
        {"Reciprocating", "/Reciprocate.htm"}}},
      {"Levers",
       {{"Levers class 1", "/Lever_Class1.htm"},
        {"Levers class 2", "/Lever_Class2.htm"},
        {"Levers class 3", "/Lever_Class3.htm"}}},
      {"Linkages",
       {{"Reverse motion", "/Rev_Motion.htm"},
        {"Bell cranks", "/Bell_Crank.htm"},
        {"Parallel motion", "/Parallel.htm"},
        {"Treadle", "/Treadle.htm"},
        {"Toggle clamp", "/Toggle.htm"}}},
      {"Gear systems",
       {{"Simple gear train", "/TwoCog.htm"},
        {"Idler gear", "/ThreeCog.htm"},
        {"Compound gear train", "/CompGear.htm"},
        {"Bevel gears", "/BevelGear.htm"},
        {"Mitre gears", "/MitreGear.htm"},
        {"Rack and pinion", "/Rack_Pinion.htm"},
        {"Worm and wormwheel", "/Worm.htm"},
        {"Helical gears", "/Helical.htm"}}},
      {"Ratchet and Pawl", {{"Ratchet and pawl", "/Ratchet.htm"}}},
      {"Pulley systems",
       {{"Pulley systems", "/VeePulley.htm"},
        {"Pulley belts", "/PulleyBelt.htm"},
        {"Jockey wheels", "/Jockey.htm"},
        {"Stepped cone pulleys", "/StepCone.htm"}}},
      {"Sprockets and chain", {{"Sprocket and chain", "/Chain.htm"}, {"Derailleur gear", "/Derailleur.htm"}}},
      {"Lifting systems",
       {{"Pulleys", "/Pulleys.htm"}, {"Weston differential pulley", "/Weston.htm"}, {"Windlass", "/Windlass.htm"}}},
      {"Cams and followers",
       {{"Cams and followers", "/Cam_Circular.htm"},
        {"Circular cam", "/Cam_Circular.htm#CIRCULAR"},
        {"Pear shaped cam", "/Cam_Circular.htm#PEAR"},
        {"Heart shaped cam", "/Cam_Circular.htm#HEART"},
        {"Box cam", "/Cam_Circular.htm#BOX"},
        {"Linear cam", "/Cam_Circular.htm#LINEAR"}}},
      {"Crank and slider", {{"Crank and slider", "/Crank_Slider.htm"}, {"Crank and slotted lever", "/Crank_Slot.htm"}}},
      {"Screw threads", {{"Screw threads", "/Screws.htm"}, {"Scissors jack", "/ScrewJack.htm"}}},
      {"Reference",
       {{"What is a mechanism", "/Mechanism.htm"},
        {"Moments", "/ref_Moments.htm"},
        {"Equilibrium", "/ref_Equilib.htm"},
        {"Mechanical advantage", "/Ref_MA.htm"},
        {"Torque", "/ref_Torque.htm"},
        {"Velocity ratio", "/ref_VR.htm"},
        {"Efficiency", "/ref_Efficiency.htm"},
        {"Shafts and couplings", "/ref_Shafts.htm"},
        {"Bearings and lubrication", "/ref_Bearings.htm"},
        {"Clutches and brakes", "/ref_Clutches.htm"},
        {"Inclined plane", "/Inclined.htm"}}},
  };
  return headings;
}

const std::vector<TPageTopic>& PageTopicTable()
{
  static const std::vector<TPageTopic> table = [] {
    std::vector<TPageTopic> t;
    for (const TTopicRow& row : TopicRows())
      for (const std::string& key : row.PageKeys)
        t.push_back({key.c_str(), row.Id});
    return t;
  }();
  return table;
}

Integer PageToTopic(const std::string& page, Integer currentTopic)
{
  std::string key = page;
  if (!key.empty() && key[0] == '/')
    key.erase(0, 1);
  // The viewer reports files with "/" separators here, so a full path must lose its folder
  // as a backslash path does; an anchor never holds one of these.
  size_t cut = key.find_last_of("\\/:");
  if (cut != std::string::npos)
    key.erase(0, cut + 1);
  key = UpperCase(key);
  const auto& table = PageTopicTable();
  auto it = std::find_if(table.begin(), table.end(), [&](const TPageTopic& t) { return key == t.Key; });
  return it == table.end() ? currentTopic : it->Id;
}

TTopicCategories TopicCategorySet(Integer TopicId)
{
  const TTopicRow* row = FindTopicRow(TopicId);
  if (!row || row->Category < 0 || row->Category >= TopicCategoryCount)
    return 0;
  return static_cast<TTopicCategories>(1u << row->Category);
}
