// The toggle clamp (topic 33): a four-bar linkage in the XY plane whose rocker carries a
// clamping spindle over a workpiece. Input angle 0 is the closed clamp; raising the input
// turns the side links clockwise about their fixed pin and opens it.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

// Solves the linkage for InputAngle (degrees): the rocker angle Theta (degrees), the moving
// pin P and the coupler pin C. Inputs outside 0 .. the dead centre are held at its ends,
// where the linkage still closes.
void ToggleLinkPositions(Single& Theta, Single& Px, Single& Py, Single InputAngle, Single& Cx, Single& Cy);

// The phase range: twice the input angle at which the rocker and the coupler come into line,
// truncated (88).
Integer ToggleRepeatAngle();

void BuildToggleScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
// The shell passes half its phase as InputAngle.
void AnimateToggleScene(TDummyCube* SceneBase, Single InputAngle);
