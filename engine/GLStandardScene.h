// The program's standard stage: the twenty named materials the scenes take by index, and
// the scene every topic is built into (RootDC holding four lights and SceneBase, and a
// camera aimed at RootDC).
#pragma once

#include "engine/GLMaterial.h"
#include "engine/GLScene.h"

// Names of the standard materials, in library order.
extern const char* const StandardMaterialNames[20];

// Appends the twenty materials ("Metal" 0 ... "mtOrange40" 19) to the library.
void FillStandardMaterials(TGLMaterialLibrary& library);

struct TStandardScene {
  TDummyCube* RootDC = nullptr;
  TGLLightSource* Lights[4] = {};
  TDummyCube* SceneBase = nullptr;
  TGLCamera* Camera = nullptr;
};

// Adds RootDC (lights Light1 to Light4, then SceneBase) and the camera GLCamera (target
// RootDC, depth of view 1000, focal length 200, at (0, 0, 10)) to the scene's root.
TStandardScene BuildStandardScene(TGLScene& scene);
