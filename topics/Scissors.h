// The scissors (topic 26, example 1): the blades open, a sheet slides between them, they
// close and cut it, and the halves part.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

constexpr Integer ScissorsRepeatAngle = 500;

void BuildScissorsScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib,
                        const TVector& MarkerColour = DefaultMarkerColour);
// Phase 0 to 500; the markers show only while the blades cut, and only when ShowMarkers.
void AnimateScissorsScene(TDummyCube* SceneBase, bool ShowMarkers, Single Phase);
void ShowScissorsMarkers(TDummyCube* SceneBase, bool Visible);

// How far from the pivot the two cutting edges cross when each blade stands a degrees open.
Single ScissorsCrossing(Single a);
