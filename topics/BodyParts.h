// A simple seated human figure (the roundabout's rider): head, torso, arms with hands, legs
// and feet, facing -X with the torso on the origin's Y axis, 4.1 units tall from the soles to
// the top of the head with straight shins; the caller scales it.
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

// What the figure has and how it sits, as a set of flags.
using FigureOptions = Byte;
enum TFigureOption : Byte {
  foLowShoulders = 1,   // shoulders lower and closer
  foArms = 2,
  foHands = 4,               // only with foArms
  foShinsForward = 8,        // shins slanting forward, feet at -0.55
  foShinsForwardHigh = 16,   // shins slanting forward, feet at -0.45 (only without 8)
  foArmsPitched = 32
};

// Adds the figure's parts to Parent: head, torso, [arm, second arm,] leg, second leg, foot,
// second foot (6 children, 8 with arms); the hand is the arm's child. The second arm, leg and
// foot are proxies of the first.
void BuildFigure(TGLBaseSceneObject* Parent, const TGLMaterialLibrary* MatLib, Integer HeadMaterial,
                 Integer BodyMaterial, Integer LegMaterial, Single ArmRoll, Single OtherArmRoll, Single ArmPitch,
                 FigureOptions Options);
