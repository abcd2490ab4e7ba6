// Small pieces the crank, screw and brake scenes share: plain cylinders, single-axis poses
// that do not depend on the poses before them, and the radians-to-degrees step.
#pragma once

#include <memory>

#include "engine/GLGeomObjects.h"
#include "engine/GLScene.h"
#include "platform/Types.h"

// A cylinder (or cone frustum) along local Y, one stack and loop, normals outside.
std::unique_ptr<TCylinder> NewCylinder(Single BottomRadius, Single TopRadius, Single Height, Integer Slices,
                                       TCylinderParts Parts);
inline std::unique_ptr<TCylinder> NewCylinder(Single Radius, Single Height, Integer Slices, TCylinderParts Parts)
{
  return NewCylinder(Radius, Radius, Height, Slices, Parts);
}

// Unturned, then pitched by Degrees: the same matrix whatever the object's pose was.
void PitchFromRest(TGLBaseSceneObject* Obj, Single Degrees);

// Radians to degrees with the engine's single-precision factor.
Single RadToDegrees(double Radians);

// Sine of an angle in degrees, exactly 0 at every multiple of 180.
double SinDegrees(double Degrees);
