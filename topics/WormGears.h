// The worm and worm wheel (topic 36): a single-start worm on a horizontal shaft turning a
// wheel beneath it one tooth per turn, with a drive unit on the worm's shaft.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"
#include "topics/Markers.h"

// The worm wheel's group: it keeps the angle the wheel has been carried on by across the
// clock's phase wraps, degrees in [0, 360], so each build starts from 0.
class TWheelGroup : public TDummyCube {
public:
  using TDummyCube::TDummyCube;
  Single Advance = 0;
};

// The step bar's range: two turns of the worm.
constexpr Integer WormRepeatAngle = 720;

void BuildWormGearScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Integer Teeth, bool ShowMarkers,
                        const TVector& MarkerColour = DefaultMarkerColour);
void AnimateWormGearScene(TDummyCube* SceneBase, Integer Teeth, Single Phase);
void ShowWormGearMarkers(TDummyCube* SceneBase, bool Visible);
// Called by the clock each time it wraps the phase, with the wrap amount over the teeth, so
// the wheel goes on from where it stood.
void AdvanceWormWheel(TDummyCube* SceneBase, Single Step);
// The angle the scene's wheel has been carried on by (0 for another scene).
Single WormWheelAdvance(const TDummyCube* SceneBase);
