// The worm and worm wheel (topic 36): a single-start worm on a horizontal shaft turning a
// wheel beneath it one tooth per turn, with a drive unit on the worm's shaft.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

// The wheel's angle carried across the shell's phase wraps, degrees in [0, 360]; every build
// resets it.
extern Single WormWheelAngle;

// The step bar's range: two turns of the worm.
constexpr Integer WormRepeatAngle = 720;

void BuildWormGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Teeth, bool ShowMarkers);
void AnimateWormGearScene(TDummyCube* SceneBase, Integer Teeth, Single Phase);
void ShowWormGearMarkers(TDummyCube* SceneBase, bool Visible);
// Called by the clock each time it wraps the phase, with the wrap amount over the teeth, so
// the wheel goes on from where it stood.
void AdvanceWormWheel(Single Step);
