// The tweezers (class-3 lever, example 1 of topic 28): a pair of tweezers joined at the top is
// lowered onto a small block, squeezes it and lifts it, with effort and load arrows on both
// blades and the letters F, E and L.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

void BuildTweezersScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, bool ShowMarkers,
                        const TVector& MarkerColour = DefaultMarkerColour);
void AnimateTweezersScene(TDummyCube* SceneBase, Single Phase);
void ShowTweezersMarkers(TDummyCube* SceneBase, bool Visible);

// The stroke at a phase: 600 sin(Phase); up to 200 the tweezers come down, from 201 to 401
// they grip, from 402 they lift.
Single TweezersStroke(Single Phase);
