// The differential (Weston) pulley block (topic 12): two sheaves of different radii on one
// upper axle, an endless chain, and a lower pulley with its hook and load.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

void BuildWestonScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single LargeRadius,
                      Single SmallRadius, const TVector& MarkerColour = DefaultMarkerColour);
void AnimateWestonScene(TDummyCube* SceneBase, Single LargeRadius, Single SmallRadius, Single Phase);
void ShowWestonMarkers(TDummyCube* SceneBase, bool Visible);

// The block's ideal mechanical advantage 2A / (A - B); 40 when the radii are equal (within
// the control's step) or the smaller is not smaller.
Single WestonAdvantage(Single LargeRadius, Single SmallRadius);
// The lower block's height at a phase in degrees: (A - B) theta / 2 - 0.5.
Single WestonBlockHeight(Single LargeRadius, Single SmallRadius, Single Phase);
