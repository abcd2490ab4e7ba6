#include "topics/TopicRegistry.h"

#include <algorithm>

#include "topics/TopicTable.h"

namespace {

// Question categories, in the order the test menu lists them.
enum : Integer {
  MotionQuestions,
  LeverQuestions,
  LinkageQuestions,
  GearQuestions,
  RatchetQuestions,
  PulleyQuestions,
  ChainQuestions,
  LiftingQuestions,
  CamQuestions,
  CrankQuestions,
  ScrewQuestions
};

struct TViewData {
  Single Camera[3];
  Single Base[2];
};

TViewPoint ViewOf(const TViewData& v)
{
  return {PointMake(v.Camera[0], v.Camera[1], v.Camera[2]), PointMake(v.Base[0], v.Base[1], 0)};
}

TControlSetting Shown(const char* control, bool visible) { return {control, visible, 0, 0, "", {}}; }
TControlSetting Hinted(const char* control, const char* hint) { return {control, true, 0, 0, hint, {}}; }

class TRowMaker {
public:
  explicit TRowMaker(std::vector<TTopicRow>& rows) : FRows(rows) {}

  // A topic with one example.
  TTopicRow& Add(Integer id, TControlPage page, Integer category, std::vector<std::string> keys, TViewData view)
  {
    TTopicRow& r = Start(id, page, category, std::move(keys));
    r.Examples.push_back({FindTopic(id, 0), ViewOf(view), "", -1});
    return r;
  }

  // A lever topic: the toolbar's label and its two examples.
  TTopicRow& AddLevers(Integer id, const char* label, const char* first, const char* second, Integer firstImage,
                       std::vector<std::string> keys, TViewData firstView, TViewData secondView)
  {
    TTopicRow& r = Start(id, TControlPage::Blank, LeverQuestions, std::move(keys));
    r.View = TTopicView::Levers;
    r.LeverCaption = label;
    r.Examples.push_back({FindTopic(id, 0), ViewOf(firstView), first, firstImage});
    r.Examples.push_back({FindTopic(id, 1), ViewOf(secondView), second, firstImage + 1});
    return r;
  }

  TTopicRow& Start(Integer id, TControlPage page, Integer category, std::vector<std::string> keys)
  {
    FRows.push_back({});
    TTopicRow& r = FRows.back();
    r.Id = id;
    r.Page = page;
    r.Category = category;
    r.PageKeys = std::move(keys);
    return r;
  }

private:
  std::vector<TTopicRow>& FRows;
};

std::vector<TTopicRow> MakeRows()
{
  using P = TControlPage;
  std::vector<TTopicRow> rows;
  rows.reserve(LastTopicId);
  TRowMaker m(rows);

  // Gear trains.
  auto cogs = [](TTopicRow& r, Integer n, const char* memory, std::vector<TControlSetting> hints) -> TTopicRow& {
    r.Cogs = n;
    r.TeethMemory = memory;
    r.Controls = std::move(hints);
    return r;
  };
  cogs(m.Add(1, P::Cogs, GearQuestions, {"TWOCOG.HTM"}, {{-6.16f, 3.42f, 7.09f}, {-0.08f, -0.12f}}), 2, "pair",
       {Hinted("Cog2UpDn", "Set the number of teeth on the right cog")});
  cogs(m.Add(2, P::Cogs, GearQuestions, {"THREECOG.HTM"}, {{-5.57f, 5, 6.63f}, {0, 0}}), 3, "three",
       {Hinted("Cog2UpDn", "Set the number of teeth on the centre cog"),
        Hinted("Cog3UpDn", "Set the number of teeth on the right cog")});
  cogs(m.Add(3, P::Cogs, GearQuestions, {"COMPGEAR.HTM"}, {{-4.9f, 4.38f, 7.54f}, {0.13f, 0}}), 4, "compound",
       {Hinted("Cog2UpDn", "set the number of teeth on the front centre cog"),
        Hinted("Cog3UpDn", "set the number of teeth on the back centre cog"),
        Hinted("Cog4UpDn", "Set the number of teeth on the right cog")});
  m.Add(4, P::Bevel, GearQuestions, {"BEVELGEAR.HTM"}, {{-3.77f, 4.54f, 8.08f}, {0, 0}}).Controls = {
      Shown("BevelLabel", true)};
  m.Add(10, P::Bevel, GearQuestions, {"MITREGEAR.HTM"}, {{6.02f, 5, 6.23f}, {0.28f, -0.12f}}).Controls = {
      Shown("BevelLabel", false)};
  cogs(m.Add(35, P::Cogs, GearQuestions, {"RACK_PINION.HTM"}, {{-5.51f, 5.15f, 6.57f}, {0.1f, -0.11f}}), 1, "rack", {});
  cogs(m.Add(36, P::Cogs, GearQuestions, {"WORM.HTM"}, {{-5.19f, 4.69f, 7.14f}, {-0.52f, -0.17f}}), 1, "", {});
  cogs(m.Add(38, P::Cogs, GearQuestions, {"HELICAL.HTM"}, {{-4.94f, 4.23f, 7.6f}, {0, 0}}), 2, "pair",
       {Hinted("Cog2UpDn", "set the number of teeth on the right cog")});
  m.Add(37, P::Blank, RatchetQuestions, {"RATCHET.HTM"}, {{-4.33f, 5, 7.5f}, {-0.07f, -0.23f}});

  // Pulleys, chains and lifting.
  m.Add(5, P::Belts, PulleyQuestions, {"VEEPULLEY.HTM", "PULLEYBELT.HTM"}, {{-5.39f, 5.15f, 6.66f}, {0, -0.06f}})
      .Controls = {{"BeltCB", true, 0, 0, "", {"Vee belt", "Flat belt", "Cross belt"}}};
  m.Add(6, P::Belts, PulleyQuestions, {"JOCKEY.HTM"}, {{-5.66f, 4.38f, 6.98f}, {0, 0}}).Controls = {
      {"BeltCB", true, 0, 0, "", {"Vee belt", "Flat belt"}}};
  m.Add(7, P::StepCone, PulleyQuestions, {"STEPCONE.HTM"}, {{0.3f, -9.39f, 3.42f}, {0, 0}});
  m.Add(8, P::Chain, ChainQuestions, {"CHAIN.HTM"}, {{-4.62f, 5.3f, 7.11f}, {0, 0}});
  m.Add(34, P::Bike, ChainQuestions, {"DERAILLEUR.HTM"}, {{-6.41f, 4.23f, 6.41f}, {-0.14f, -0.08f}});
  m.Add(9, P::Hoist, LiftingQuestions, {"PULLEYS.HTM"}, {{-6.62f, 2.42f, 7.1f}, {0, 0}});
  m.Add(12, P::Weston, LiftingQuestions, {"WESTON.HTM"}, {{-6.79f, 2.08f, 7.04f}, {0, 0}});
  m.Add(21, P::Windlass, LiftingQuestions, {"WINDLASS.HTM"}, {{-4.6f, 3.91f, -7.97f}, {0, 0}});
  m.Add(39, P::InclinedPlane, LiftingQuestions, {"INCLINED.HTM"}, {{-4.94f, 4.23f, 7.6f}, {0, 0}});

  // Cams: one page file, a topic per anchor.
  auto cam = [](TTopicRow& r, std::vector<TControlSetting> controls = {}) {
    r.SharedPage = "CAM_CIRCULAR.HTM";
    r.Controls = std::move(controls);
  };
  m.Add(11, P::Blank, CamQuestions, {"CAM_CIRCULAR.HTM#LINEAR", "#LINEAR"}, {{-6.72f, 3.58f, 6.49f}, {0.37f, 0.02f}});
  cam(m.Add(13, P::Cams, CamQuestions, {"CAM_CIRCULAR.HTM#CIRCULAR", "#CIRCULAR"},
            {{-5.95f, 2.59f, 7.61f}, {0.08f, -0.23f}}),
      {Shown("CamOffsetHsb", true), Shown("CamLabel", true)});
  cam(m.Add(14, P::Cams, CamQuestions, {"CAM_CIRCULAR.HTM", "CAM_CIRCULAR.HTM#PEAR", "#PEAR"},
            {{-5.68f, 1.39f, 8.11f}, {0.01f, -0.47f}}),
      {Shown("CamOffsetHsb", true), Shown("CamLabel", true)});
  cam(m.Add(15, P::Cams, CamQuestions, {"CAM_CIRCULAR.HTM#HEART", "#HEART"},
            {{-5.23f, 1.56f, 8.38f}, {-0.01f, -0.51f}}),
      {Shown("CamOffsetHsb", false), Shown("CamLabel", false)});
  cam(m.Add(16, P::BoxCam, CamQuestions, {"CAM_CIRCULAR.HTM#BOX", "#BOX"}, {{-4.35f, 3.75f, 8.19f}, {0.01f, -0.17f}}));

  // Cranks and screws.
  m.Add(17, P::Crank, CrankQuestions, {"CRANK_SLIDER.HTM"}, {{-3.04f, 3.58f, 8.83f}, {0.01f, -0.22f}}).Controls = {
      {"CrankOffsetHsb", true, 20, 35, "Set the offset on the crankshaft", {}}};
  m.Add(20, P::Crank, CrankQuestions, {"CRANK_SLOT.HTM"}, {{-5.09f, 2.76f, 8.15f}, {0.1f, -0.29f}}).Controls = {
      {"CrankOffsetHsb", true, 10, 30, "Set the offset from the centre", {}}};
  m.Add(18, P::Screw, ScrewQuestions, {"SCREWS.HTM"}, {{-3.88f, 6.02f, 6.99f}, {-0.3f, -0.06f}});
  m.Add(19, P::Blank, ScrewQuestions, {"SCREWJACK.HTM"}, {{-5.71f, 3.75f, 7.31f}, {-0.01f, 0.12f}});

  // Kinds of motion.
  m.Add(22, P::Blank, MotionQuestions, {"ROTARY.HTM"}, {{-4.27f, 3.42f, 8.37f}, {-0.01f, 0.15f}});
  m.Add(23, P::Blank, MotionQuestions, {"OSCILLATE.HTM"}, {{-4.87f, 3.26f, 8.1f}, {-0.01f, -0.07f}});
  m.Add(24, P::Blank, MotionQuestions, {"LINEAR.HTM"}, {{-3.06f, 3.42f, 8.88f}, {-0.08f, 0.03f}});
  m.Add(25, P::Blank, MotionQuestions, {"RECIPROCATE.HTM"}, {{-4.98f, 3.42f, 7.97f}, {0, 0.1f}});

  // Levers.
  m.AddLevers(26, "Class 1 levers", "Claw hammer", "Scissors", 0, {"LEVER_CLASS1.HTM"},
              {{-5.32f, 3.75f, 7.6f}, {-0.23f, -0.16f}}, {{-5.83f, 3.75f, 7.21f}, {0.72f, -0.2f}});
  m.AddLevers(27, "Class 2 levers", "Nut crackers", "Wheelbarrow", 2, {"LEVER_CLASS2.HTM"},
              {{-4.98f, 3.42f, 7.97f}, {-0.08f, -0.2f}}, {{-4.81f, 2.76f, 8.32f}, {-0.34f, -0.33f}});
  m.AddLevers(28, "Class 3 levers", "Arm", "Tweezers", 4, {"LEVER_CLASS3.HTM"},
              {{-6.07f, 5.74f, 26.32f}, {-2.63f, -1.17f}}, {{4.12f, 3.42f, 8.45f}, {-0.08f, -0.01f}});

  // Linkages.
  m.Add(29, P::Linkage, LinkageQuestions, {"REV_MOTION.HTM"}, {{-7.26f, 3.58f, 5.88f}, {0, 0}}).Controls = {
      Shown("LinkOffsetHsb", true), Shown("PivotLabel", true)};
  m.Add(30, P::Blank, LinkageQuestions, {"BELL_CRANK.HTM"}, {{-5.73f, 4.54f, 6.83f}, {0.03f, 0.03f}});
  m.Add(31, P::Linkage, LinkageQuestions, {"PARALLEL.HTM"}, {{25.75f, 11.25f, 29.62f}, {2.24f, -2.71f}}).Controls = {
      Shown("LinkOffsetHsb", false), Shown("PivotLabel", false)};
  m.Add(32, P::Treadle, LinkageQuestions, {"TREADLE.HTM"}, {{-6.08f, 4.54f, 6.52f}, {0, 0}});
  m.Add(33, P::Blank, LinkageQuestions, {"TOGGLE.HTM"}, {{-6.35f, 4.07f, 6.57f}, {0.09f, 0.01f}});

  // The cam graph draws in its own panel: no model, no view point, no questions of its own.
  m.Start(CamGraphTopic, P::Blank, -1, {"CAM_BOX.HTM"}).View = TTopicView::CamGraph;

  std::sort(rows.begin(), rows.end(), [](const TTopicRow& a, const TTopicRow& b) { return a.Id < b.Id; });
  return rows;
}

}   // namespace

const std::vector<TTopicRow>& TopicRows()
{
  static const std::vector<TTopicRow> rows = MakeRows();
  return rows;
}

std::vector<Integer> TopicStartRates()
{
  std::vector<Integer> rates(size_t(LastTopicId) + 1, TTopicRow{}.Rate);
  for (const TTopicRow& r : TopicRows())
    rates[size_t(r.Id)] = r.Rate;
  return rates;
}

const TTopicRow* FindTopicRow(Integer id)
{
  const auto& rows = TopicRows();
  auto it = std::lower_bound(rows.begin(), rows.end(), id, [](const TTopicRow& r, Integer i) { return r.Id < i; });
  return it != rows.end() && it->Id == id ? &*it : nullptr;
}
