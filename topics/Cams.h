// Cams and followers: the rotary disc cams (eccentric circle, pear and heart; topics 13 to
// 15) with the followers they share and the lift that puts each follower on its cam, the
// box cam (topic 16) and the linear cam (topic 11).
#pragma once

#include <memory>

#include "engine/GLGeomObjects.h"
#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

// The follower combo's items; any other value builds a flat follower.
enum TCamFollowerKind : Integer { cfRoller = 0, cfFlat = 1, cfPoint = 2, cfRadius = 3 };

// Builds the follower of that kind into Parent, its contact point at Parent's origin and
// the follower reaching up from it.
void AddCamFollower(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Kind, Single Size);

// Lifts (distance from the cam's axis to the contact on the line of stroke) for a cam angle
// in degrees, counted from the pose with the pear cam's nose pointing away from the follower.
Single CircularArcCamLift(Single BaseRadius, Single NoseRadius, Single NoseDistance, Single CamAngle);
Single CircularArcCamFlatLift(Single BaseRadius, Single NoseRadius, Single NoseDistance, Single CamAngle);
// The heart cam: Angle in radians; the flat follower's version takes whole degrees.
Single HeartCamLift(Single Angle, Single RisePerRadian, Single BaseRadius);
Single HeartCamFlatLift(Integer AngleDeg, Single RisePerRadian, Single BaseRadius);
// The eccentric circle: the follower's height above the disc's centre at phase 0.
Single CircularCamLift(Integer Kind, Single Radius, Single Offset, Single Phase);

void BuildCircularCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Kind, Single Radius,
                           Single Offset, Single Thickness, bool ShowMarkers,
                           const TVector& MarkerColour = DefaultMarkerColour);
void AnimateCircularCamScene(TDummyCube* SceneBase, Integer Kind, Single Radius, Single Offset, Single Phase);
void ShowCircularCamMarkers(TDummyCube* SceneBase, bool Visible);

void BuildPearCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Kind, Single BaseRadius,
                       Single NoseRadius, Single NoseDistance, Single Thickness, bool ShowMarkers,
                       const TVector& MarkerColour = DefaultMarkerColour);
void AnimatePearCamScene(TDummyCube* SceneBase, Integer Kind, Single BaseRadius, Single NoseRadius, Single NoseDistance,
                         Single Phase);
void ShowPearCamMarkers(TDummyCube* SceneBase, bool Visible);

void BuildHeartCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Kind, Single RisePerRadian,
                        Single BaseRadius, Single Thickness, bool ShowMarkers,
                        const TVector& MarkerColour = DefaultMarkerColour);
void AnimateHeartCamScene(TDummyCube* SceneBase, Integer Kind, Single RisePerRadian, Single BaseRadius, Single Phase);
void ShowHeartCamMarkers(TDummyCube* SceneBase, bool Visible);

// Box cam: Radius of the drum, SlotAngle the groove's incline in degrees.
void BuildBoxCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers, Single Radius,
                      Single SlotAngle, const TVector& MarkerColour = DefaultMarkerColour);
void AnimateBoxCamScene(TDummyCube* SceneBase, Single Radius, Single SlotAngle, Single Phase);
void ShowBoxCamMarkers(TDummyCube* SceneBase, bool Visible);

void BuildLinearCamScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib);
void AnimateLinearCamScene(TDummyCube* SceneBase, Single Phase);

// --- shared by the cam scenes --------------------------------------------------------------

// A sized cylinder of one stack and loop, normals outside.
std::unique_ptr<TCylinder> CamCylinder(Single Bottom, Single Top, Single Height, Integer Slices, TCylinderParts Parts);
// Places the part at (X, Y, Z), gives it library material Material and appends it.
void AddCamPart(TGLBaseSceneObject* Parent, std::unique_ptr<TGLSceneObject> Part, const TGLMaterialLibrary* MatLib,
                Integer Material, Single X, Single Y, Single Z);
// Child i is a group holding a follower made by AddCamFollower.
bool IsCamFollowerGroup(const TGLBaseSceneObject* base, Integer i);
