#include "topics/GearLinkTopics.h"

#include "topics/GearCogs.h"
#include "topics/Linkages.h"
#include "topics/ParaLinks.h"
#include "topics/Ratchets.h"
#include "topics/WormGears.h"

namespace {

// The rack scene's rack length and bar sizes, as the shell passes them.
constexpr Single RackLength = 4.0f;
constexpr Single RackBar = 0.2f;
constexpr Single RackThickness = 0.2f;
// The worm wheel's teeth whenever the topic is shown.
constexpr Integer WormStartTeeth = 10;

}   // namespace

void AddGearLinkTopics(std::vector<TTopicEntry>& Entries)
{
  TTopicEntry& bevel = AddTopicRow(Entries, 4);
  bevel.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildBevelGearScene(b, m, c.Markers, c.MarkerColour);
  };
  bevel.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateBevelGearScene(b, p); };
  bevel.ShowMarkers = ShowBevelGearMarkers;
  bevel.RepeatAngle = FixedRepeatAngle(360);

  TTopicEntry& mitre = AddTopicRow(Entries, 10);
  mitre.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildMitreGearScene(b, m, c.Markers, c.MarkerColour);
  };
  mitre.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateMitreGearScene(b, p); };
  mitre.ShowMarkers = ShowMitreGearMarkers;
  mitre.RepeatAngle = FixedRepeatAngle(360);

  TTopicEntry& reverse = AddTopicRow(Entries, 29);
  reverse.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildReverseMotionScene(b, m, c.PivotOffset);
  };
  reverse.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateReverseMotionScene(b, p); };
  reverse.RepeatAngle = FixedRepeatAngle(LinkageRepeatAngle);

  TTopicEntry& parallel = AddTopicRow(Entries, 31);
  parallel.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildParallelLinkScene(b, m); };
  parallel.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateParallelLinkScene(b, p); };
  parallel.RepeatAngle = FixedRepeatAngle(ParaLinkRepeatAngle);

  // The treadle's check box is "Show linkage only": Markers carries its state.
  TTopicEntry& treadle = AddTopicRow(Entries, 32);
  treadle.BoxShowsMarkers = false;
  treadle.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildTreadleScene(b, m, c.Markers, c.TreadleLength);
  };
  treadle.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateTreadleScene(b, c.TreadleLength, p);
  };
  treadle.ShowMarkers = ShowTreadleLinkageOnly;
  treadle.RepeatAngle = FixedRepeatAngle(LinkageRepeatAngle);
  treadle.DefaultControls = [] {
    TTopicControls c;
    c.Markers = true;
    return c;
  };

  TTopicEntry& rack = AddTopicRow(Entries, 35);
  rack.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildRackPinionScene(b, m, c.Cog[0], RackLength, RackBar, RackThickness, c.Markers, c.MarkerColour);
  };
  rack.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateRackPinionScene(b, c.Cog[0], p); };
  rack.ShowMarkers = ShowRackPinionMarkers;
  rack.RepeatAngle = [](const TTopicControls& c) { return RackPinionRepeatAngle(c.Cog[0], RackLength); };
  rack.NegativeRange = true;
  rack.DefaultControls = [] {
    TTopicControls c;
    c.Cog[0] = RackStartTeeth;
    return c;
  };

  TTopicEntry& worm = AddTopicRow(Entries, 36);
  worm.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildWormGearScene(b, m, c.Cog[0], c.Markers, c.MarkerColour);
  };
  worm.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateWormGearScene(b, c.Cog[0], p); };
  worm.ShowMarkers = ShowWormGearMarkers;
  worm.RepeatAngle = FixedRepeatAngle(WormRepeatAngle);
  worm.Wrap = [](TDummyCube* b, const TTopicControls& c, Integer wrapAngle) {
    if (c.Cog[0] > 0)
      AdvanceWormWheel(b, Single(wrapAngle) / Single(c.Cog[0]));
  };
  worm.DefaultControls = [] {
    TTopicControls c;
    c.Cog[0] = WormStartTeeth;
    return c;
  };

  TTopicEntry& ratchet = AddTopicRow(Entries, 37);
  ratchet.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildRatchetScene(b, m); };
  ratchet.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateRatchetScene(b, c.Advancing, p); };
  ratchet.RepeatAngle = FixedRepeatAngle(RatchetRepeatAngle);
}
