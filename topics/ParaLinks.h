// The parallel-motion linkage (topic 31): two long links pinned together and rocking, with a
// copy of the same assembly drawn through a proxy from the far end, so the four links make a
// parallelogram and the far end keeps a parallel path.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

constexpr Single ParaLinkLength = 5.0f;
constexpr Single ParaLinkThickness = 0.1f;
constexpr Single ParaLinkEndRadius = 0.5f;
constexpr Integer ParaLinkRepeatAngle = 360;

void BuildParallelLinkScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
void AnimateParallelLinkScene(TDummyCube* SceneBase, Single Phase);
