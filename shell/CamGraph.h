// The 2D cam graph of the cam topic: a cam of one of three shapes turning about its centre,
// a pointed follower riding on it and, above them, the follower's lift over three turns,
// scrolling as the cam turns. Drawn off screen and copied onto Canvas in one piece.
#pragma once

#include <memory>

#include "platform/Graphics.h"
#include "platform/Types.h"

class TCamGraph {
public:
  // Cam kinds.
  static constexpr Byte ckPear = 0;
  static constexpr Byte ckRound = 1;
  static constexpr Byte ckHeart = 2;

  // Canvas is where Draw copies the finished picture (it may be replaced before each Draw,
  // for instance by the paint box's canvas of the paint in progress; nullptr draws nothing).
  TCamGraph(TCanvas* ACanvas, Integer AWidth, Integer AHeight);

  void SetShape(Byte Kind);
  // V is the shape scroll bar's position, 0 to 100 (50: the start shape).
  void SetShapeParam(Single V);
  void Draw();

  // Follower lift in model units for a cam angle in degrees, as the follower and the curve
  // read it.
  Single Lift(Single AngleDeg) const;
  // The picture of the last Draw.
  const TBitmap* Picture() const { return FPicture.get(); }

  TCanvas* Canvas;
  Integer Width;
  Integer Height;
  // Device pixels per logical pixel of the screen the graph is shown on: the picture has
  // the screen's pixels, drawn in logical units (Width and Height stay logical).
  double PixelRatio = 1;
  Byte Shape = ckPear;
  Single BaseRadius = 0.3f;
  Single NoseRadius = 0.19f;
  Single NoseDistance = 0.25f;
  Single Angle = 0;
  Single Eccentricity = 0.1f;
  Single HeartBase = 0.15f;
  Single HeartRate = 0.1f;

private:
  // Lift for theta in radians (the cam's own direction, the kind's formula).
  double LiftAt(double theta) const;
  void DrawCurve(TCanvas& c) const;
  void DrawCam(TCanvas& c) const;

  std::unique_ptr<TBitmap> FPicture;
};
