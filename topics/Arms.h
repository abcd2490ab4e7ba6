// The forearm (topic 28, example 0): the forearm, holding a weight, turns about the elbow
// while the biceps shortens and swells. The bones are model files; missing ones leave the
// bone empty.
#pragma once

#include <string>

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

constexpr Single HandDistance = 4.0f;

void BuildArmScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, const std::string& ModelFolder,
                   bool ShowMarkers, const TVector& MarkerColour = DefaultMarkerColour);
// Phase 0 to 180: the forearm rises to 30 degrees at 90 and comes back.
void AnimateArmScene(TDummyCube* SceneBase, Single Phase);
void ShowArmMarkers(TDummyCube* SceneBase, bool Visible);
