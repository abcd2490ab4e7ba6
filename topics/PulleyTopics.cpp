#include "topics/PulleyTopics.h"

#include "topics/GearCogs.h"
#include "topics/Hoists.h"
#include "topics/Pulleys.h"
#include "topics/Weston.h"

namespace {

constexpr Integer CrossedBeltItem = 2;
constexpr Single CrossedBeltRadius = 0.4f;
constexpr Single WestonLargeRadius = 0.2f;

Single R1(const TTopicControls& c) { return PulleySizeRadius(c.PulleySize[0]); }

Single R2(const TTopicControls& c) { return PulleySizeRadius(c.PulleySize[1]); }

Single WestonSmallRadius(const TTopicControls& c) { return Single(c.WestonRadius) * 0.01f; }

Byte BeltKind(const TTopicControls& c) { return c.BeltItem == VeeBelt ? VeeBelt : FlatBelt; }

void FoldBelt(TDummyCube* b, const TTopicControls&, Integer) { UpdateBeltTravel(b); }

}   // namespace

Single PulleySizeRadius(Integer position) { return Single(position) * 0.1f; }

void AddPulleyTopics(std::vector<TTopicEntry>& Entries)
{
  auto add = [&](Integer id) -> TTopicEntry& { return AddTopicRow(Entries, id); };

  TTopicEntry& belt = add(5);
  belt.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    if (c.BeltItem == CrossedBeltItem)
      BuildCrossedBeltScene(b, m, c.Markers, CrossedBeltRadius, c.MarkerColour);
    else
      BuildOpenBeltScene(b, m, c.Markers, R1(c), R2(c), BeltKind(c), c.MarkerColour);
  };
  belt.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    if (c.BeltItem == CrossedBeltItem)
      AnimateCrossedBeltScene(b, p);
    else
      AnimateOpenBeltScene(b, p, R1(c), R2(c));
  };
  belt.ShowMarkers = ShowBeltDriveMarkers;
  belt.RepeatAngle = [](const TTopicControls& c) { return PulleyPairRepeatAngle(c.PulleySize[0], c.PulleySize[1]); };
  belt.DefaultControls = [] { return TTopicControls{}; };
  belt.Wrap = FoldBelt;

  TTopicEntry& jockey = add(6);
  jockey.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildJockeyBeltScene(b, m, c.Markers, R1(c), R2(c), BeltKind(c), c.MarkerColour);
  };
  jockey.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateJockeyBeltScene(b, p, R1(c), R2(c)); };
  jockey.ShowMarkers = ShowJockeyBeltMarkers;
  jockey.RepeatAngle = [](const TTopicControls& c) { return JockeyBeltRepeatAngle(c.PulleySize[0], c.PulleySize[1]); };
  jockey.DefaultControls = [] { return TTopicControls{}; };
  jockey.Wrap = FoldBelt;

  TTopicEntry& cones = add(7);
  cones.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildStepConeScene(b, m, c.BeltStep, c.Markers, c.MarkerColour);
  };
  cones.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) { AnimateStepConeScene(b, c.BeltStep, p); };
  cones.ShowMarkers = ShowStepConeMarkers;
  cones.RepeatAngle = [](const TTopicControls& c) { return StepConeRepeatAngle(c.BeltStep); };
  cones.DefaultControls = [] { return TTopicControls{}; };
  cones.Wrap = FoldBelt;

  TTopicEntry& hoist = add(9);
  hoist.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildPulleyHoistScene(b, m, c.HoistWheels);
  };
  hoist.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimatePulleyHoistScene(b, c.HoistWheels, 0.01f * p);
  };
  hoist.RepeatAngle = [](const TTopicControls&) { return 180; };
  hoist.DefaultControls = [] { return TTopicControls{}; };

  TTopicEntry& weston = add(12);
  weston.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildWestonScene(b, m, c.Markers, WestonLargeRadius, WestonSmallRadius(c), c.MarkerColour);
  };
  weston.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateWestonScene(b, WestonLargeRadius, WestonSmallRadius(c), p);
  };
  weston.ShowMarkers = ShowWestonMarkers;
  weston.RepeatAngle = [](const TTopicControls&) { return 1080; };
  weston.DefaultControls = [] { return TTopicControls{}; };

  TTopicEntry& plane = add(39);
  plane.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildInclinedPlaneScene(b, m, Single(c.PlaneAngle), c.MarkerColour);
  };
  plane.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateInclinedPlaneScene(b, p); };
  plane.RepeatAngle = [](const TTopicControls&) { return 400; };
  plane.DefaultControls = [] { return TTopicControls{}; };
}
