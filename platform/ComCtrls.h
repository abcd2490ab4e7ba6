// Common controls beyond the standard ones: the horizontal track bar, drawn in the classic
// look (a sunken channel, a thumb pointing down at its tick marks).
#pragma once

#include "platform/Controls.h"

class TTrackBar : public TCustomControl {
public:
  TTrackBar();

  Integer Min() const { return FMin; }
  Integer Max() const { return FMax; }
  Integer Position() const { return FPosition; }
  // Setting the range keeps Min <= Max (the other end follows) and the position inside it.
  void SetMin(Integer v);
  void SetMax(Integer v);
  void SetRange(Integer min, Integer max);
  // Clamped to the range. Setting from code does not fire OnChange.
  void SetPosition(Integer v);
  // A tick mark every Frequency positions from Min, and one at Max.
  Integer Frequency() const { return FFrequency; }
  void SetFrequency(Integer v);
  // Steps of the arrow keys and of Page Up and Page Down (and of a click beside the thumb).
  Integer LineSize() const { return FLineSize; }
  void SetLineSize(Integer v) { FLineSize = v < 1 ? 1 : v; }
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer v) { FPageSize = v < 1 ? 1 : v; }

  // The user moved the thumb.
  TNotifyEvent OnChange;

  // Geometry, in client coordinates: the channel the thumb runs in, the thumb at a
  // position, and the x of a position's tick.
  TRect ChannelRect() const;
  TRect ThumbRect() const;
  Integer PositionToX(Integer position) const;
  // The position nearest to x.
  Integer XToPosition(Integer x) const;

protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void KeyDown(Word& key, TShiftState shift) override;

private:
  // A change by the user: clamps, repaints and tells OnChange when the position moved.
  void UserSetPosition(Integer v);
  Integer FMin = 0;
  Integer FMax = 10;
  Integer FPosition = 0;
  Integer FFrequency = 1;
  Integer FLineSize = 1;
  Integer FPageSize = 2;
  bool FDragging = false;
  Integer FDragOffset = 0;
};
