#include "shell/TopicDispatch.h"

#include <algorithm>

#include "platform/SysUtils.h"

const std::vector<TIndexHeading>& TopicIndexContents()
{
  static const std::vector<TIndexHeading> headings = {
      {"Motion",
       {{"Rotary", "/Rotary.htm"}, {"Oscillating", "/Oscillate.htm"}, {"Linear", "/Linear.htm"},
        {"Reciprocating", "/Reciprocate.htm"}}},
      {"Levers",
       {{"Levers class 1", "/Lever_Class1.htm"}, {"Levers class 2", "/Lever_Class2.htm"},
        {"Levers class 3", "/Lever_Class3.htm"}}},
      {"Linkages",
       {{"Reverse motion", "/Rev_Motion.htm"}, {"Bell cranks", "/Bell_Crank.htm"}, {"Parallel motion", "/Parallel.htm"},
        {"Treadle", "/Treadle.htm"}, {"Toggle clamp", "/Toggle.htm"}}},
      {"Gear systems",
       {{"Simple gear train", "/TwoCog.htm"}, {"Idler gear", "/ThreeCog.htm"}, {"Compound gear train", "/CompGear.htm"},
        {"Bevel gears", "/BevelGear.htm"}, {"Mitre gears", "/MitreGear.htm"}, {"Rack and pinion", "/Rack_Pinion.htm"},
        {"Worm and wormwheel", "/Worm.htm"}, {"Helical gears", "/Helical.htm"}}},
      {"Ratchet and Pawl", {{"Ratchet and pawl", "/Ratchet.htm"}}},
      {"Pulley systems",
       {{"Pulley systems", "/VeePulley.htm"}, {"Pulley belts", "/PulleyBelt.htm"}, {"Jockey wheels", "/Jockey.htm"},
        {"Stepped cone pulleys", "/StepCone.htm"}}},
      {"Sprockets and chain", {{"Sprocket and chain", "/Chain.htm"}, {"Derailleur gear", "/Derailleur.htm"}}},
      {"Lifting systems",
       {{"Pulleys", "/Pulleys.htm"}, {"Weston differential pulley", "/Weston.htm"}, {"Windlass", "/Windlass.htm"}}},
      {"Cams and followers",
       {{"Cams and followers", "/Cam_Circular.htm"}, {"Circular cam", "/Cam_Circular.htm#CIRCULAR"},
        {"Pear shaped cam", "/Cam_Circular.htm#PEAR"}, {"Heart shaped cam", "/Cam_Circular.htm#HEART"},
        {"Box cam", "/Cam_Circular.htm#BOX"}, {"Linear cam", "/Cam_Circular.htm#LINEAR"}}},
      {"Crank and slider", {{"Crank and slider", "/Crank_Slider.htm"}, {"Crank and slotted lever", "/Crank_Slot.htm"}}},
      {"Screw threads", {{"Screw threads", "/Screws.htm"}, {"Scissors jack", "/ScrewJack.htm"}}},
      {"Reference",
       {{"What is a mechanism", "/Mechanism.htm"}, {"Moments", "/ref_Moments.htm"}, {"Equilibrium", "/ref_Equilib.htm"},
        {"Mechanical advantage", "/Ref_MA.htm"}, {"Torque", "/ref_Torque.htm"}, {"Velocity ratio", "/ref_VR.htm"},
        {"Efficiency", "/ref_Efficiency.htm"}, {"Shafts and couplings", "/ref_Shafts.htm"},
        {"Bearings and lubrication", "/ref_Bearings.htm"}, {"Clutches and brakes", "/ref_Clutches.htm"},
        {"Inclined plane", "/Inclined.htm"}}},
  };
  return headings;
}

const std::vector<TPageTopic>& PageTopicTable()
{
  static const std::vector<TPageTopic> table = {
      {"TWOCOG.HTM", 1}, {"THREECOG.HTM", 2}, {"COMPGEAR.HTM", 3}, {"BEVELGEAR.HTM", 4},
      {"VEEPULLEY.HTM", 5}, {"PULLEYBELT.HTM", 5}, {"JOCKEY.HTM", 6}, {"STEPCONE.HTM", 7},
      {"CHAIN.HTM", 8}, {"PULLEYS.HTM", 9}, {"MITREGEAR.HTM", 10},
      {"CAM_CIRCULAR.HTM#LINEAR", 11}, {"#LINEAR", 11}, {"WESTON.HTM", 12},
      {"CAM_CIRCULAR.HTM#CIRCULAR", 13}, {"#CIRCULAR", 13},
      {"CAM_CIRCULAR.HTM", 14}, {"CAM_CIRCULAR.HTM#PEAR", 14}, {"#PEAR", 14},
      {"CAM_CIRCULAR.HTM#HEART", 15}, {"#HEART", 15}, {"CAM_CIRCULAR.HTM#BOX", 16}, {"#BOX", 16},
      {"CRANK_SLIDER.HTM", 17}, {"SCREWS.HTM", 18}, {"SCREWJACK.HTM", 19}, {"CRANK_SLOT.HTM", 20},
      {"WINDLASS.HTM", 21}, {"ROTARY.HTM", 22}, {"OSCILLATE.HTM", 23}, {"LINEAR.HTM", 24},
      {"RECIPROCATE.HTM", 25}, {"LEVER_CLASS1.HTM", 26}, {"LEVER_CLASS2.HTM", 27}, {"LEVER_CLASS3.HTM", 28},
      {"REV_MOTION.HTM", 29}, {"BELL_CRANK.HTM", 30}, {"PARALLEL.HTM", 31}, {"TREADLE.HTM", 32},
      {"TOGGLE.HTM", 33}, {"DERAILLEUR.HTM", 34}, {"RACK_PINION.HTM", 35}, {"WORM.HTM", 36},
      {"RATCHET.HTM", 37}, {"HELICAL.HTM", 38}, {"INCLINED.HTM", 39}, {"CAM_BOX.HTM", 40},
  };
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
