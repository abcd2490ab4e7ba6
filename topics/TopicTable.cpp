#include "topics/TopicTable.h"

#include <algorithm>

#include "topics/ChainCamTopics.h"
#include "topics/GearCogs.h"
#include "topics/GearLinkTopics.h"
#include "topics/LeverTopicsA.h"
#include "topics/LeverTopicsB.h"
#include "topics/PulleyTopics.h"
#include "topics/ToggleMotionTopics.h"
#include "topics/SliderScrewTopics.h"

namespace {

TTopicControls Cogs(const Integer* counts, int n)
{
  TTopicControls c;
  for (int i = 0; i < n; ++i)
    c.Cog[i] = counts[i];
  return c;
}

std::vector<TTopicEntry> MakeEntries()
{
  std::vector<TTopicEntry> r;
  auto add = [&](Integer id, Integer example) -> TTopicEntry& {
    r.push_back({});
    r.back().Id = id;
    r.back().Example = example;
    return r.back();
  };

  TTopicEntry& two = add(1, 0);
  two.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildTwoCogScene(b, m, c.Cog[0], c.Cog[1], c.Markers, c.MarkerColour);
  };
  two.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateTwoCogScene(b, c.Cog[0], c.Cog[1], p); };
  two.ShowMarkers = ShowTwoCogMarkers;
  two.RepeatAngle = [](const TTopicControls& c) { return GearPairRepeatAngle(c.Cog[0], c.Cog[1]); };
  two.DefaultControls = [] { return Cogs(PairStartTeeth, 2); };

  TTopicEntry& three = add(2, 0);
  three.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildThreeCogScene(b, m, c.Cog[0], c.Cog[1], c.Cog[2], c.Markers, c.MarkerColour);
  };
  three.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateThreeCogScene(b, c.Cog[0], c.Cog[1], c.Cog[2], p);
  };
  three.ShowMarkers = ShowThreeCogMarkers;
  three.RepeatAngle = [](const TTopicControls& c) { return GearTrainRepeatAngle(c.Cog[0], c.Cog[1], c.Cog[2]); };
  three.DefaultControls = [] { return Cogs(TrainStartTeeth, 3); };

  TTopicEntry& compound = add(3, 0);
  compound.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildCompoundGearScene(b, m, c.Cog[0], c.Cog[1], c.Cog[2], c.Cog[3], c.Markers, c.MarkerColour);
  };
  compound.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateCompoundGearScene(b, c.Cog[0], c.Cog[1], c.Cog[2], c.Cog[3], p);
  };
  compound.ShowMarkers = ShowThreeCogMarkers;
  compound.RepeatAngle = [](const TTopicControls& c) {
    return CompoundGearRepeatAngle(c.Cog[0], c.Cog[1], c.Cog[2], c.Cog[3]);
  };
  compound.DefaultControls = [] { return Cogs(CompoundStartTeeth, 4); };

  TTopicEntry& helical = add(38, 0);
  helical.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildHelicalGearScene(b, m, c.Cog[0], c.Cog[1], c.Markers, c.MarkerColour);
  };
  helical.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateHelicalGearScene(b, c.Cog[0], c.Cog[1], p);
  };
  helical.ShowMarkers = ShowHelicalGearMarkers;
  helical.RepeatAngle = [](const TTopicControls& c) { return GearPairRepeatAngle(c.Cog[0], c.Cog[1]); };
  helical.DefaultControls = [] { return Cogs(PairStartTeeth, 2); };

  AddGearLinkTopics(r);
  AddPulleyTopics(r);
  AddChainCamTopics(r);
  AddToggleMotionTopics(r);
  AddLeverTopicsA(r);
  AddLeverTopicsB(r);
  AddSliderScrewTopics(r);
  return r;
}

}   // namespace

const std::vector<TTopicEntry>& TopicEntries()
{
  // Each topic family adds its own rows; the table is read in id order.
  static const std::vector<TTopicEntry> entries = [] {
    std::vector<TTopicEntry> r = MakeEntries();
    for (TTopicEntry& e : r)
      if (!e.DefaultControls)   // a topic without controls starts from the plain values
        e.DefaultControls = [] { return TTopicControls{}; };
    std::stable_sort(r.begin(), r.end(), [](const TTopicEntry& a, const TTopicEntry& b) {
      return a.Id != b.Id ? a.Id < b.Id : a.Example < b.Example;
    });
    return r;
  }();
  return entries;
}

const TTopicEntry* FindTopic(Integer id, Integer example)
{
  // A topic with a single example takes it whatever example is asked for.
  const TTopicEntry* first = nullptr;
  for (const TTopicEntry& e : TopicEntries()) {
    if (e.Id != id)
      continue;
    if (e.Example == example)
      return &e;
    if (e.Example == 0)
      first = &e;
    else
      return nullptr;   // a topic with examples answers only the ones it has
  }
  return first;
}
