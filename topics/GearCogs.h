// The gear trains: the arithmetic every gear, pulley and chain scene shares (tooth sizes,
// centre distances, start angles that put a tooth into a gap, repeat angles), the cog
// assemblies, and the spur and helical scenes (topics 1, 2, 3 and 38).
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

constexpr Single CogPitch = 0.15f;
constexpr Single CogToothDepth = 0.075f;
constexpr Single CogThickness = 0.2f;

// The tooth counts the gear scenes start with.
constexpr Integer PairStartTeeth[2] = {20, 20};               // topics 1 and 38
constexpr Integer TrainStartTeeth[3] = {20, 10, 20};          // topic 2
constexpr Integer CompoundStartTeeth[4] = {20, 10, 20, 10};   // topic 3
constexpr Integer RackStartTeeth = 10;                        // the rack's pinion

// --- arithmetic ----------------------------------------------------------------------------

// Tip radius of a cog of n teeth and pitch p: n p / (2 pi).
Single CogRadius(Integer n, Single p = CogPitch);
// Centre distance of two meshing scene cogs: each tip reaches the other's root circle.
Single CogCentreDistance(Integer a, Integer b);

Single CogStartAngle(Integer n);
Single MeshPhaseAngle(Integer a, Integer b);
Single DriverStartAngle(Integer n, Integer m);
Single BevelPinionStartAngle(Integer n);

Integer GreatestCommonDivisor(Integer a, Integer b);
Integer GreatestCommonDivisor(Integer a, Integer b, Integer c);

Integer GearPairRepeatAngle(Integer t1, Integer t2);
Integer GearTrainRepeatAngle(Integer t1, Integer t2, Integer t3);
Integer CompoundGearRepeatAngle(Integer t1, Integer t2, Integer t3, Integer t4);
Integer PulleyPairRepeatAngle(Integer s1, Integer s2);
Integer RackPinionRepeatAngle(Integer n, Single RackLength);

// --- assemblies ----------------------------------------------------------------------------

// Cog, web, boss, slotted axle and key, centred on Position, appended to Parent.
void AddCogAssembly(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Teeth, Single Pitch,
                    Single ToothDepth, Single Thickness, Single BoreRadius, Single Roll, const TAffineVector& Position);
// The same with a helical gear of the given twist, at the parent's origin.
void AddHelicalGearAssembly(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer Teeth, Single Pitch,
                            Single ToothDepth, Single Thickness, Single BoreRadius, Single Roll, Single Twist);

// --- scenes --------------------------------------------------------------------------------

void BuildTwoCogScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer T1, Integer T2, bool ShowMarkers,
                      const TVector& MarkerColour = DefaultMarkerColour);
void BuildThreeCogScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer T1, Integer T2, Integer T3,
                        bool ShowMarkers, const TVector& MarkerColour = DefaultMarkerColour);
void BuildCompoundGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer T1, Integer T2, Integer T3,
                            Integer T4, bool ShowMarkers, const TVector& MarkerColour = DefaultMarkerColour);
void BuildHelicalGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer T1, Integer T2,
                           bool ShowMarkers, const TVector& MarkerColour = DefaultMarkerColour);

// The animate steps take the tooth counts the scene was built with.
void AnimateTwoCogScene(TDummyCube* SceneBase, Integer T1, Integer T2, Single Phase);
void AnimateThreeCogScene(TDummyCube* SceneBase, Integer T1, Integer T2, Integer T3, Single Phase);
void AnimateCompoundGearScene(TDummyCube* SceneBase, Integer T1, Integer T2, Integer T3, Integer T4, Single Phase);
void AnimateHelicalGearScene(TDummyCube* SceneBase, Integer T1, Integer T2, Single Phase);

void ShowTwoCogMarkers(TDummyCube* SceneBase, bool Visible);
void ShowThreeCogMarkers(TDummyCube* SceneBase, bool Visible);
void ShowHelicalGearMarkers(TDummyCube* SceneBase, bool Visible);

// --- bevel, mitre and rack scenes (topics 4, 10 and 35) --------------------------------------

// A 60-tooth bevel wheel driving a 15-tooth pinion at right angles.
void BuildBevelGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers,
                         const TVector& MarkerColour = DefaultMarkerColour);
void AnimateBevelGearScene(TDummyCube* SceneBase, Single Phase);
void ShowBevelGearMarkers(TDummyCube* SceneBase, bool Visible);

// Two equal mitre gears of 16 teeth.
// How far out along its gear's axis a mitre scene's arrow lies: just clear of the small
// end's face, for gears whose pitch cones reach apexHeight.
Single MitreMarkerOffset(Single apexHeight);
void BuildMitreGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers,
                         const TVector& MarkerColour = DefaultMarkerColour);
void AnimateMitreGearScene(TDummyCube* SceneBase, Single Phase);
void ShowMitreGearMarkers(TDummyCube* SceneBase, bool Visible);

// A pinion of Teeth running on a straight rack. The
// step bar runs from minus to plus RackPinionRepeatAngle(Teeth, RackLength).
void BuildRackPinionScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Teeth, Single RackLength,
                          Single RackB, Single Thickness, bool ShowMarkers,
                          const TVector& MarkerColour = DefaultMarkerColour);
void AnimateRackPinionScene(TDummyCube* SceneBase, Integer Teeth, Single Phase);
void ShowRackPinionMarkers(TDummyCube* SceneBase, bool Visible);
