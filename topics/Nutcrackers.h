// The nutcracker (class-2 lever, example 0 of topic 27): two arms hinged at one end squeeze a
// nut lying in their jaws, with effort and load arrows and the letters E, L and F.
#pragma once

#include <string>

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

void BuildNutCrackerScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, const std::string& ModelFolder,
                          bool ShowMarkers, const TVector& MarkerColour = DefaultMarkerColour);
// Poses the arms and markers for Phase and applies ShowMarkers (the labels check box) again.
void AnimateNutCrackerScene(TDummyCube* SceneBase, bool ShowMarkers, Single Phase);
void ShowNutCrackerMarkers(TDummyCube* SceneBase, bool Visible);

// The arms' roll at a phase: 15 degrees open at 0 and 180, 5 at 90.
Single NutCrackerArmAngle(Single Phase);
