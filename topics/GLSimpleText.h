// Solid letters E, L and F (effort, load, fulcrum) for the lever and incline scenes.
#pragma once

#include <memory>

#include "engine/GLExtrusion.h"

// A new extrusion of the letter's outline (coordinates times Scale) Depth deep along Z,
// walls and both faces; codes other than 'E', 'F' and 'L' give a solid without nodes.
std::unique_ptr<TExtrusionSolid> BuildLetterSolid(Integer Letter, Single Scale, Single Depth);
