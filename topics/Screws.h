// The screw-thread topics: a bolt screwing into a nut, its thread profile and pitch chosen
// by the user (topic 18), and a scissor jack whose screw draws two nuts together and lifts
// a platform (topic 19).
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "parts/BasicParts.h"
#include "platform/Types.h"

// Ten turns of the bolt or of the jack's screw: one stroke, which then starts again.
constexpr Integer ScrewThreadRepeatAngle = 3600;
constexpr Integer ScrewJackRepeatAngle = 3600;

// Profile: the thread combo's item (V, square, buttress, Acme); Pitch the shell's 0.10 to 0.40.
void BuildScrewThreadScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, TThreadProfile Profile,
                           Single Pitch);
void AnimateScrewThreadScene(TDummyCube* SceneBase, Single Pitch, Single Phase);

// The jack's geometry at a phase: X from a nut's pivot to the top and bottom pivots on its
// side, Y the arms' rise, Alpha their angle from the horizontal in degrees, NutX the nut's
// distance from the middle.
struct TScrewJackPose {
  Single X = 0;
  Single Y = 0;
  Single Alpha = 0;
  Single NutX = 0;
};
TScrewJackPose ScrewJackPose(Single Phase);

// Posed at Phase (the step bar's position, 0 after the shell has cleared the scene).
void BuildScrewJackScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Phase);
void AnimateScrewJackScene(TDummyCube* SceneBase, Single Phase);
