// The four scenes of the motion types: rotary (a playground roundabout with a rider, topic
// 22), oscillating (a weight-driven clock escapement, 23), linear (a paper trimmer, 24) and
// reciprocating (a sewing machine's needle drive and thread take-up lever, 25). None has
// controls or markers; the step bar's range is fixed.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

constexpr Integer RoundaboutRepeatAngle = 360;
constexpr Integer EscapementRepeatAngle = 1440;
constexpr Integer GuillotineRepeatAngle = 320;
constexpr Integer SewingMachineRepeatAngle = 720;
// The shell drives the trimmer with this much travel per degree of phase.
constexpr Single GuillotineTravelPerDegree = 0.005f;

void BuildRoundaboutScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
void AnimateRoundaboutScene(TDummyCube* SceneBase, Single Phase);

void BuildEscapementScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
void AnimateEscapementScene(TDummyCube* SceneBase, Single Phase);
// The escape wheel's angle (degrees) at Phase: it creeps through each swing, stands while
// the pallet locks it, and has moved one tooth (18 degrees) back after every 360 of phase.
Single EscapeWheelAngle(Single Phase);

void BuildGuillotineScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
// Travel 0 .. 1.6: the carriage runs from X 0.8 to -0.8.
void AnimateGuillotineScene(TDummyCube* SceneBase, Single Travel);

// The fixed pivot of the sewing machine's rocker link.
extern const Single RockerPivotX;
extern const Single RockerPivotY;
void BuildSewingMachineScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
void AnimateSewingMachineScene(TDummyCube* SceneBase, Single Phase);
