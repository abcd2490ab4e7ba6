// The lifting topics: a rope reeved over one to four sheaves lifting a weight (topic 9) and
// a loaded cart running up an inclined track whose slope the user sets (topic 39).
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

constexpr Single HoistSheaveRadius = 0.18f;
constexpr Single HoistSmallSheaveRadius = 0.135f;
constexpr Single HoistTopY = 1.1f;
constexpr Single HoistBottomY = -0.6f;
constexpr Integer TrackLength = 2;
// The load heaped in the inclined plane's cart: its size along the track and across it.
constexpr Single InclinedPlaneLoadWidth = 0.29f;
constexpr Single InclinedPlaneLoadDepth = 0.28f;

// A spoked sheave with its axle, appended to Parent at height Y.
void AddHoistPulleyBlock(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Single Radius, Single Y);
// The weight for N sheaves (its volume grows with N), appended to Parent.
void AddHoistLoad(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer N);

// N is the number of sheaves, 1 to 4; values outside are taken as the nearest of those.
void BuildPulleyHoistScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer N);
// Lift is the length of rope pulled through (0.01 x the phase).
void AnimatePulleyHoistScene(TDummyCube* SceneBase, Integer N, Single Lift);

// Angle is the slope in degrees.
void BuildInclinedPlaneScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Single Angle,
                             const TVector& MarkerColour = DefaultMarkerColour);
void AnimateInclinedPlaneScene(TDummyCube* SceneBase, Single Phase);
// Tilts the built track in place; the load arrow and the letters stay upright.
void SetInclinedPlaneAngle(TDummyCube* SceneBase, Single Angle);
// Where the cart stands along the track at a phase: -0.75 at 0, 0.75 at 400.
Single InclinedPlaneCartX(Single Phase);
