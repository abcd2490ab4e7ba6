// The belt drives: two pulleys with an open vee, open flat or crossed belt (topic 5), an
// open belt pressed in by a jockey pulley (topic 6) and a pair of step cones (topic 7).
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

// Belt kinds of the open and jockey belts.
constexpr Byte VeeBelt = 0;
constexpr Byte FlatBelt = 1;
// How far a pulley's hub stands out beyond each face of the pulley.
constexpr Single PulleyHubProud = 0.005f;

// Pieces the pulley-family scenes (belts, hoist, differential pulley) share.
// A group at (x, y, 0) appended to Parent.
TDummyCube* AddGroupAt(TGLBaseSceneObject* Parent, Single X, Single Y);
// A round shaft or hub along Z (a cylinder pitched 90) of library material Material.
TCylinder* AddShaftCylinder(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Single Radius, Single Height,
                            Integer Slices, Integer Material);

// Pulley, hub, slotted axle and key, appended to Parent (Kind 0 V groove, else flat band).
void AddPulleyAssembly(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Slices, Single RadiusB,
                       Single RadiusA, Single Width, Byte Faces, Byte Kind);

void BuildOpenBeltScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single R1, Single R2,
                        Byte Kind, const TVector& MarkerColour = DefaultMarkerColour);
void AnimateOpenBeltScene(TDummyCube* SceneBase, Single Phase, Single R1, Single R2);
void BuildCrossedBeltScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single R,
                           const TVector& MarkerColour = DefaultMarkerColour);
void AnimateCrossedBeltScene(TDummyCube* SceneBase, Single Phase);
// Topic 5, open or crossed.
void ShowBeltDriveMarkers(TDummyCube* SceneBase, bool Visible);

void BuildJockeyBeltScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single R1,
                          Single R2, Byte Kind, const TVector& MarkerColour = DefaultMarkerColour);
void AnimateJockeyBeltScene(TDummyCube* SceneBase, Single Phase, Single R1, Single R2);
void ShowJockeyBeltMarkers(TDummyCube* SceneBase, bool Visible);
// The jockey scene's period for pulley sizes s1, s2 (radii s x 0.1): the pulley pair's,
// doubled where the jockey (radius 0.2, turning s2 / 2 times per drive turn) would
// otherwise stop half a turn short.
Integer JockeyBeltRepeatAngle(Integer s1, Integer s2);

// Step 0 to 3 puts the belt on the left cone's step of that index; other values count as 3.
void BuildStepConeScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Step, bool ShowMarkers,
                        const TVector& MarkerColour = DefaultMarkerColour);
void AnimateStepConeScene(TDummyCube* SceneBase, Integer Step, Single Phase);
void ShowStepConeMarkers(TDummyCube* SceneBase, bool Visible);
Integer StepConeRepeatAngle(Integer Step);
// The belt radii of a step: left r1 = 0.5 - 0.1 Step, right r2 = 0.5 - 0.1 (3 - Step).
Single StepConeLeftRadius(Integer Step);
Single StepConeRightRadius(Integer Step);

// At a wrap of the phase (topics 5 to 7): hands the belt's run so far to its travel, so the
// belt goes on from where it stands instead of jumping back.
void UpdateBeltTravel(TDummyCube* SceneBase);
