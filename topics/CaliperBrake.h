// The bell-crank brake (topic 30): a bicycle's caliper brake whose two arms are bell cranks
// on one central bolt; the cable clamp rises and falls and the arms close and open the
// brake blocks.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

constexpr Integer BellCrankRepeatAngle = 360;

// The arms' swing at a phase, degrees: 3 sin(Phase), exactly 0 at 0, 180 and 360.
Single BellCrankSwing(Single Phase);

void BuildBellCrankScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
void AnimateBellCrankScene(TDummyCube* SceneBase, Single Phase);
