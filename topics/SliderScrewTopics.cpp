#include "topics/SliderScrewTopics.h"

#include "topics/CaliperBrake.h"
#include "topics/Screws.h"
#include "topics/Sliders.h"

namespace {

// The shell's scalings of its scroll bars.
Single CrankOffset(const TTopicControls& c) { return Single(c.CrankOffset) * 0.01f; }
Single ScrewPitch(const TTopicControls& c) { return Single(c.ScrewPitch) * 0.01f; }
Single HandleRadius(const TTopicControls& c) { return Single(c.HandleRadius) * 0.01f; }

}   // namespace

void AddSliderScrewTopics(std::vector<TTopicEntry>& Entries)
{
  TTopicEntry& slider = AddTopicRow(Entries, 17, 0, CrankSliderRepeatAngle);
  slider.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildCrankSliderScene(b, m, CrankOffset(c));
  };
  slider.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateCrankSliderScene(b, p, CrankOffset(c));
  };

  TTopicEntry& thread = AddTopicRow(Entries, 18, 0, ScrewThreadRepeatAngle);
  thread.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildScrewThreadScene(b, m, TThreadProfile(c.ThreadProfile), ScrewPitch(c));
  };
  thread.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateScrewThreadScene(b, ScrewPitch(c), p);
  };

  // The shell builds the jack at the step bar's position, 0 after the scene is cleared.
  TTopicEntry& jack = AddTopicRow(Entries, 19, 0, ScrewJackRepeatAngle);
  jack.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildScrewJackScene(b, m, 0); };
  jack.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateScrewJackScene(b, p); };

  TTopicEntry& slot = AddTopicRow(Entries, 20, 0, CrankSlotRepeatAngle);
  slot.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildCrankSlotScene(b, m, CrankOffset(c), 0);
  };
  slot.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateCrankSlotScene(b, CrankOffset(c), p); };

  TTopicEntry& windlass = AddTopicRow(Entries, 21, 0, WindlassRepeatAngle);
  windlass.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildWindlassScene(b, m, HandleRadius(c), 0);
  };
  windlass.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateWindlassScene(b, p); };

  TTopicEntry& brake = AddTopicRow(Entries, 30, 0, BellCrankRepeatAngle);
  brake.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildBellCrankScene(b, m); };
  brake.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateBellCrankScene(b, p); };
}
