// The crank-and-slider topics: an engine's crank, connecting rod and piston (topic 17), a
// shaping machine's crank and slotted link driving a ram (topic 20), and a windlass whose
// drum winds up a rope and lifts a load (topic 21).
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

constexpr Integer CrankSliderRepeatAngle = 360;
// The pinion turns 2.5 times per turn of the wheel, so the model repeats after two turns.
constexpr Integer CrankSlotRepeatAngle = 720;
// Five turns of the drum: one lift of the load, which then starts again from the bottom.
constexpr Integer WindlassRepeatAngle = 1800;

// CrankOffset is the crank's throw (the shell's 0.20 to 0.35).
void BuildCrankSliderScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Single CrankOffset);
void AnimateCrankSliderScene(TDummyCube* SceneBase, Single Phase, Single CrankOffset);

// The angles of the slotted link (theta) and of the connecting link (psi) from the vertical,
// in radians, for a crank pin at CrankOffset from the wheel's centre and the phase in degrees.
struct TCrankSlotAngles {
  double Theta = 0;
  double Psi = 0;
};
TCrankSlotAngles CrankSlotAngles(Single CrankOffset, Single Phase);

// CrankOffset the shell's 0.10 to 0.30; the scene is posed at Phase (0 from the shell).
void BuildCrankSlotScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Single CrankOffset, Single Phase);
void AnimateCrankSlotScene(TDummyCube* SceneBase, Single CrankOffset, Single Phase);

// The drum's radius: the rope wound per radian of the handle.
Single WindlassAxleRadius();
// The hanging rope's length at a phase: 2.0 at 0, less the rope wound on since (never below 0).
Single WindlassRopeLength(Single Phase);
// HandleRadius the shell's 0.18 to 0.96 (the load grows with it); posed at Phase (0 from the shell).
void BuildWindlassScene(TDummyCube* SceneBase, const TGLMaterialLibrary* MatLib, Single HandleRadius, Single Phase);
void AnimateWindlassScene(TDummyCube* SceneBase, Single Phase);
