#include "topics/SliderScrewTopics.h"

#include "topics/CaliperBrake.h"
#include "topics/Screws.h"
#include "topics/Sliders.h"

namespace {

// The shell's scalings of its scroll bars.
Single CrankOffset(const TTopicControls& c) { return Single(c.CrankOffset) * 0.01f; }
Single ScrewPitch(const TTopicControls& c) { return Single(c.ScrewPitch) * 0.01f; }
Single HandleRadius(const TTopicControls& c) { return Single(c.HandleRadius) * 0.01f; }

TTopicEntry& Add(std::vector<TTopicEntry>& r, Integer id, Integer repeat)
{
  r.push_back({});
  r.back().Id = id;
  r.back().RepeatAngle = [repeat](const TTopicControls&) { return repeat; };
  r.back().DefaultControls = [] { return TTopicControls{}; };
  return r.back();
}

}   // namespace

void AddSliderScrewTopics(std::vector<TTopicEntry>& Entries)
{
  TTopicEntry& slider = Add(Entries, 17, CrankSliderRepeatAngle);
  slider.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildCrankSliderScene(b, m, CrankOffset(c));
  };
  slider.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateCrankSliderScene(b, p, CrankOffset(c));
  };

  TTopicEntry& thread = Add(Entries, 18, ScrewThreadRepeatAngle);
  thread.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildScrewThreadScene(b, m, TThreadProfile(c.ThreadProfile), ScrewPitch(c));
  };
  thread.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateScrewThreadScene(b, ScrewPitch(c), p);
  };

  // The shell builds the jack at the step bar's position, 0 after the scene is cleared.
  TTopicEntry& jack = Add(Entries, 19, ScrewJackRepeatAngle);
  jack.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildScrewJackScene(b, m, 0); };
  jack.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateScrewJackScene(b, p); };

  TTopicEntry& slot = Add(Entries, 20, CrankSlotRepeatAngle);
  slot.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildCrankSlotScene(b, m, CrankOffset(c), 0);
  };
  slot.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateCrankSlotScene(b, CrankOffset(c), p);
  };

  TTopicEntry& windlass = Add(Entries, 21, WindlassRepeatAngle);
  windlass.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildWindlassScene(b, m, HandleRadius(c), 0);
  };
  windlass.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateWindlassScene(b, p); };

  TTopicEntry& brake = Add(Entries, 30, BellCrankRepeatAngle);
  brake.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildBellCrankScene(b, m); };
  brake.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateBellCrankScene(b, p); };
}
