// The wheelbarrow (topic 27, example 1): loaded with a heap, it pivots about its wheel axle
// while the effort, load and fulcrum markers ride with it.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

void BuildWheelbarrowScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers,
                           const TVector& MarkerColour = DefaultMarkerColour);
// Phase 0 to 180: the handles rise to 17 degrees at 90 and come back.
void AnimateWheelbarrowScene(TDummyCube* SceneBase, Single Phase);
void ShowWheelbarrowMarkers(TDummyCube* SceneBase, bool Visible);
