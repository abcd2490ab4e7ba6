#include "topics/MachineHelpers.h"

#include <cmath>

#include "engine/Base/VectorGeometry.h"

std::unique_ptr<TCylinder> NewCylinder(Single BottomRadius, Single TopRadius, Single Height, Integer Slices,
                                       TCylinderParts Parts)
{
  return TCylinder::CreateSized(nullptr, BottomRadius, TopRadius, Height, Slices, 1, 1, Parts, ndOutside);
}

void PitchFromRest(TGLBaseSceneObject* Obj, Single Degrees)
{
  if (!Obj)
    return;
  Obj->ResetRotations();
  Obj->SetPitchAngle(Degrees);
}

Single RadToDegrees(double Radians) { return Single(Radians) * c180divPI; }

double SinDegrees(double Degrees)
{
  // Reducing first keeps the rest poses exact: sin of pi in floating point is not 0.
  const double r = std::fmod(Degrees, 360.0);
  if (r == 0 || std::fabs(r) == 180)
    return 0;
  return std::sin(r * double(cPIdiv180));
}
