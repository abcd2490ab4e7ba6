// Objects of the scissors scene (blade, finger loop, pivot screw head, the sheet they cut)
// and the card that the paper guillotine cuts.
#pragma once

#include <array>

#include "engine/GLScene.h"

// One scissor blade in the xy-plane between z = 0 (back) and z = Thickness (front); the
// pivot is the origin and the blade points along -x.
class TScissorBlade : public TGLSceneObject {
public:
  explicit TScissorBlade(TGLBaseSceneObject* AOwner = nullptr);
  Single Thickness = 0.01f;

  // The outline's 17 points (the last repeats the first) on the front or the back face; the
  // cutting edge's front copy lies lower than the back one (the bevel).
  static std::array<TAffineVector, 17> Outline(bool front, Single thickness);
  void BuildList(TRenderContextInfo& rci) override;
};

// A finger loop about the z axis: an elliptic plate round a hole with a rounded inner edge.
class TScissorHandle : public TGLSceneObject {
public:
  explicit TScissorHandle(TGLBaseSceneObject* AOwner = nullptr);
  Single OuterRadius = 0.12f;   // the outer ellipse's half-axes are 1.1 and 0.9 times this
  Single InnerRadius = 0.06f;
  Single Thickness = 0.03f;
  Integer Segments = 30;
  Integer Sides = 5;

  void BuildList(TRenderContextInfo& rci) override;
};

// The slotted head of the pivot screw: a domed head of unit size drawn scaled by Size.
class TFlatHead : public TGLSceneObject {
public:
  explicit TFlatHead(TGLBaseSceneObject* AOwner = nullptr) : TGLSceneObject(AOwner) {}
  TFlatHead(TGLBaseSceneObject* AOwner, Single size) : TGLSceneObject(AOwner), Size(size) {}
  Single Size = 0;

  void BuildList(TRenderContextInfo& rci) override;
};

// One half of a sheet in the xz-plane: V0, V2, V4 along one long edge, V1, V3, V5 along the
// edge the scissors cut (V3 the middle point).
class TPaper : public TGLSceneObject {
public:
  explicit TPaper(TGLBaseSceneObject* AOwner = nullptr);
  std::array<TAffineVector, 6> Vertices;
  bool Flat = true;

  // A centred Width by Depth rectangle; no change notification (use before the first draw).
  void SetSheetSize(Single Width, Single Depth);
  // Moves the cut point V3 to CutX when it lies on the sheet, and lifts the corner V1.
  void SetCutPoint(Single CutX, Single Lift);
  // Tilts the part beyond x = FoldX so that its +x end stands Lift higher; nothing happens
  // for a line off the sheet.
  void SetFoldLine(Single FoldX, Single Lift);
  // Undoes SetCutPoint (V3 back to the middle, V1 down); a flat sheet is left alone.
  void ResetCut();

  void BuildList(TRenderContextInfo& rci) override;
};

// A sheet with thickness: the lower face Thickness below the upper one.
class TCard : public TPaper {
public:
  explicit TCard(TGLBaseSceneObject* AOwner = nullptr) : TPaper(AOwner) {}
  Single Thickness = 0.005f;

  void BuildList(TRenderContextInfo& rci) override;
};
