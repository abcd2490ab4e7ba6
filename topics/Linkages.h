// The linkage scenes: the reverse-motion linkage (topic 29), a lever rocking about a movable
// pivot with a link at each end moving in opposite directions, and the treadle (topic 32),
// a foot treadle driving a crank and flywheel through a connecting rod.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

constexpr Integer LinkageRepeatAngle = 360;

// PivotOffset -30 to 30 moves the lever's pivot from 0.2 to 0.8 of its length; the scene is
// posed at Phase (the step bar's position, 0 after a rebuild).
void BuildReverseMotionScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer PivotOffset,
                             Integer Phase = 0);
void AnimateReverseMotionScene(TDummyCube* SceneBase, Single Phase);

// CrankLength in scene units (the shell's 0.1 to 0.3); LinkageOnly hides the flywheel and the
// foot plate.
void BuildTreadleScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool LinkageOnly, Single CrankLength);
void AnimateTreadleScene(TDummyCube* SceneBase, Single CrankLength, Single Phase);
void ShowTreadleLinkageOnly(TDummyCube* SceneBase, bool LinkageOnly);
