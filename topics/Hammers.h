// The claw hammer (topic 26, example 0): the hammer slides along a board until its claw
// grips a nail, then rolls on its claw and draws the nail out.
#pragma once

#include <string>

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

// The length of the claw's outer arc (0.52 x 70 degrees in radians): where the nail stands.
constexpr Single ClawArc = 0.52f * 70.0f * 0.0174532924f;
constexpr Single NailLength = 0.25f;
constexpr Single NailDepth = 0.48f;

// Looks for "ashwood.jpg" in the texture folder for the board; without it the board is plain.
void BuildClawHammerScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, const std::string& ModelFolder,
                          const TVector& MarkerColour = DefaultMarkerColour);
// Phase 0 to 180; the markers show only while the claw levers, and only when ShowMarkers.
void AnimateClawHammerScene(TDummyCube* SceneBase, bool ShowMarkers, Single Phase);
void ShowClawHammerMarkers(TDummyCube* SceneBase, bool Visible);
