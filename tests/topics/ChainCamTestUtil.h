// What the chain and cam tests share: a scene base with the standard materials.
#pragma once

#include "engine/GLScene.h"
#include "engine/GLStandardScene.h"

constexpr double TestPi = 3.14159265358979323846;

struct TBuiltScene {
  TDummyCube Base;
  TGLMaterialLibrary Lib;
  TBuiltScene() { FillStandardMaterials(Lib); }
};
