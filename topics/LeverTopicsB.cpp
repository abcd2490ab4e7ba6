#include "topics/LeverTopicsB.h"

#include "topics/Nutcrackers.h"
#include "topics/Tweezers.h"

namespace {

// The lever examples run over a fixed bar of 180 and start with the labels check box ticked.
constexpr Integer LeverRepeat = 180;

TTopicEntry& Add(std::vector<TTopicEntry>& r, Integer id, Integer example)
{
  TTopicEntry& e = AddTopicRow(r, id, example, LeverRepeat);
  e.DefaultControls = [] {
    TTopicControls c;
    c.Markers = true;
    return c;
  };
  return e;
}

}   // namespace

void AddLeverTopicsB(std::vector<TTopicEntry>& Entries)
{
  // The markers flag is the lever toolbar's "Show labels" box; the nutcracker's animate
  // procedure applies it on every frame.
  TTopicEntry& nut = Add(Entries, 27, 0);
  nut.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildNutCrackerScene(b, m, c.ModelFolder, c.Markers, c.MarkerColour);
  };
  nut.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateNutCrackerScene(b, c.Markers, p); };
  nut.ShowMarkers = ShowNutCrackerMarkers;
  // While the animation runs, its frames apply the box.
  nut.LabelsShown = [](bool ticked, Integer, bool stopped) -> std::optional<bool> {
    return stopped ? std::optional<bool>(ticked) : std::nullopt;
  };

  TTopicEntry& tweezers = Add(Entries, 28, 1);
  tweezers.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildTweezersScene(b, m, c.Markers, c.MarkerColour);
  };
  tweezers.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateTweezersScene(b, p); };
  tweezers.ShowMarkers = ShowTweezersMarkers;
}
