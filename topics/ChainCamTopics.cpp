#include "topics/ChainCamTopics.h"

#include "topics/Cams.h"
#include "topics/Chains.h"

namespace {

// The shell's scalings of its scroll bars.
Single CircularCamOffset(const TTopicControls& c) { return Single(c.CamOffset) * 0.01f; }
Single PearNoseRadius(const TTopicControls& c) { return Single(c.CamOffset) * 0.004f + 0.1f; }
Single BoxCamRadius(const TTopicControls& c) { return Single(c.BoxCamRadius) * 0.01f; }

constexpr Single CamRadius = 0.5f;
constexpr Single CamThickness = 0.2f;
constexpr Single PearBaseRadius = 0.3f;
constexpr Single PearNoseDistance = 0.25f;
constexpr Single HeartRise = 0.1f;
constexpr Single HeartBaseRadius = 0.25f;

Integer Fixed360(const TTopicControls&) { return 360; }

}   // namespace

void AddChainCamTopics(std::vector<TTopicEntry>& Entries)
{
  TTopicEntry& chain = AddTopicRow(Entries, 8);
  chain.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildChainDriveScene(b, m, c.Chain[0], c.Chain[1], c.Markers, c.MarkerColour);
  };
  chain.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateChainDriveScene(b, c.Chain[0], c.Chain[1], p);
  };
  chain.ShowMarkers = ShowChainDriveMarkers;
  chain.RepeatAngle = [](const TTopicControls& c) { return ChainDriveRepeatAngle(c.Chain[0], c.Chain[1]); };

  TTopicEntry& linear = AddTopicRow(Entries, 11);
  linear.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildLinearCamScene(b, m); };
  linear.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateLinearCamScene(b, p); };
  linear.RepeatAngle = [](const TTopicControls&) { return 180; };

  TTopicEntry& circular = AddTopicRow(Entries, 13);
  circular.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildCircularCamScene(b, m, c.CamFollower, CamRadius, CircularCamOffset(c), CamThickness, c.Markers,
                          c.MarkerColour);
  };
  circular.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateCircularCamScene(b, c.CamFollower, CamRadius, CircularCamOffset(c), p);
  };
  circular.ShowMarkers = ShowCircularCamMarkers;
  circular.RepeatAngle = Fixed360;

  TTopicEntry& pear = AddTopicRow(Entries, 14);
  pear.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildPearCamScene(b, m, c.CamFollower, PearBaseRadius, PearNoseRadius(c), PearNoseDistance, CamThickness, c.Markers,
                      c.MarkerColour);
  };
  pear.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimatePearCamScene(b, c.CamFollower, PearBaseRadius, PearNoseRadius(c), PearNoseDistance, p);
  };
  pear.ShowMarkers = ShowPearCamMarkers;
  pear.RepeatAngle = Fixed360;

  TTopicEntry& heart = AddTopicRow(Entries, 15);
  heart.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildHeartCamScene(b, m, c.CamFollower, HeartRise, HeartBaseRadius, CamThickness, c.Markers, c.MarkerColour);
  };
  heart.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateHeartCamScene(b, c.CamFollower, HeartRise, HeartBaseRadius, p);
  };
  heart.ShowMarkers = ShowHeartCamMarkers;
  heart.RepeatAngle = Fixed360;

  TTopicEntry& box = AddTopicRow(Entries, 16);
  box.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildBoxCamScene(b, m, c.Markers, BoxCamRadius(c), Single(c.CamSlot), c.MarkerColour);
  };
  box.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateBoxCamScene(b, BoxCamRadius(c), Single(c.CamSlot), p);
  };
  box.ShowMarkers = ShowBoxCamMarkers;
  box.RepeatAngle = Fixed360;

  // The shell builds with the bar's maximum less its position (the position being 0 after
  // the scene is cleared) and animates with the maximum less the phase, so the drive runs
  // forwards while the phase counts up.
  TTopicEntry& bike = AddTopicRow(Entries, 34);
  bike.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls& c) {
    BuildDerailleurScene(b, m, c.BikeGear, DerailleurRepeatAngle(c.BikeGear), c.Markers, c.MarkerColour);
  };
  bike.Animate = [](TDummyCube* b, const TTopicControls& c, Single p) {
    AnimateDerailleurScene(b, c.BikeGear, Single(DerailleurRepeatAngle(c.BikeGear)) - p);
  };
  bike.ShowMarkers = ShowDerailleurMarkers;
  bike.RepeatAngle = [](const TTopicControls& c) { return DerailleurRepeatAngle(c.BikeGear); };
}
