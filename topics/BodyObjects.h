// The head of the seated figure: a cylinder with chamfered ends whose side and top carry the
// material's texture (a face), and whose underside is plain skin colour.
#pragma once

#include "engine/GLScene.h"

class THead : public TGLSceneObject {
public:
  explicit THead(TGLBaseSceneObject* AOwner = nullptr);
  Integer Slices = 16;    // steps around the axis (Y), at least 3
  Single Radius = 0.4f;   // of the cylindrical part
  Single Height = 0.8f;   // in all, centred on the origin

  void BuildList(TRenderContextInfo& rci) override;
};
