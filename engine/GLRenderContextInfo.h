// What a frame's rendering passes down the scene graph.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

class TGLScene;
class TGLCamera;
class TGLSceneBuffer;
class TGLContextNames;

struct TRenderContextInfo {
  // The GL context that holds display lists and textures (none: nothing is kept in lists).
  std::shared_ptr<TGLContextNames> Context;
  TGLScene* Scene = nullptr;
  TGLCamera* Camera = nullptr;
  TGLSceneBuffer* Buffer = nullptr;
  int32_t ViewportWidth = 0;
  int32_t ViewportHeight = 0;
  int32_t ProxyDepth = 0;   // proxies drawing proxies stop at a fixed depth
  // The front and back material last set in this frame (colours and shininess), so that
  // parts of one material in a row, such as the links of a chain, set it once. Whoever
  // changes GL's material other than through TGLMaterial::Apply clears AppliedFacesValid.
  std::array<float, 34> AppliedFaces{};
  bool AppliedFacesValid = false;
  // Whether GL culls back faces now: on for objects that draw closed solids only (see
  // TGLBaseSceneObject::IsClosedSolid), off for everything else. The frame starts with it off.
  bool CullingBackFaces = false;
};
