#include "topics/ToggleMotionTopics.h"

#include "topics/Motion.h"
#include "topics/Toggles.h"

namespace {

// The shell drives the clamp's input with half its phase.
constexpr Single ToggleInputPerDegree = 0.5f;

}   // namespace

void AddToggleMotionTopics(std::vector<TTopicEntry>& Entries)
{
  TTopicEntry& rotary = AddTopicRow(Entries, 22);
  rotary.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildRoundaboutScene(b, m); };
  rotary.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateRoundaboutScene(b, p); };
  rotary.RepeatAngle = FixedRepeatAngle(RoundaboutRepeatAngle);

  TTopicEntry& oscillating = AddTopicRow(Entries, 23);
  oscillating.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildEscapementScene(b, m); };
  oscillating.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateEscapementScene(b, p); };
  oscillating.RepeatAngle = FixedRepeatAngle(EscapementRepeatAngle);

  TTopicEntry& linear = AddTopicRow(Entries, 24);
  linear.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildGuillotineScene(b, m); };
  linear.Animate = [](TDummyCube* b, const TTopicControls&, Single p) {
    AnimateGuillotineScene(b, GuillotineTravelPerDegree * p);
  };
  linear.RepeatAngle = FixedRepeatAngle(GuillotineRepeatAngle);

  TTopicEntry& reciprocating = AddTopicRow(Entries, 25);
  reciprocating.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) {
    BuildSewingMachineScene(b, m);
  };
  reciprocating.Animate = [](TDummyCube* b, const TTopicControls&, Single p) { AnimateSewingMachineScene(b, p); };
  reciprocating.RepeatAngle = FixedRepeatAngle(SewingMachineRepeatAngle);

  TTopicEntry& toggle = AddTopicRow(Entries, 33);
  toggle.Build = [](TDummyCube* b, TGLMaterialLibrary* m, const TTopicControls&) { BuildToggleScene(b, m); };
  toggle.Animate = [](TDummyCube* b, const TTopicControls&, Single p) {
    AnimateToggleScene(b, ToggleInputPerDegree * p);
  };
  toggle.RepeatAngle = [](const TTopicControls&) { return ToggleRepeatAngle(); };
}
