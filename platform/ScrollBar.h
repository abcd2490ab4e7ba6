// The classic scroll bar, drawn on our canvas: arrows, a track and a thumb, with full 32-bit
// range, position and page. A user's scroll asks OnScroll first (which may change the
// position asked for), then moves and tells OnChange; setting values from code tells no one.
// A bar standing as a control of its own is a tab stop moved by the keys as by the mouse
// (the arrows a line, Page Up and Down a page, Home and End to the ends); the bars of a
// window that scrolls its own contents are made no tab stop by their owner.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Controls.h"

enum class TScrollBarKind : uint8_t { sbHorizontal, sbVertical };
using enum TScrollBarKind;
enum class TScrollCode : uint8_t {
  scLineUp,
  scLineDown,
  scPageUp,
  scPageDown,
  scPosition,
  scTrack,
  scTop,
  scBottom,
  scEndScroll
};
using enum TScrollCode;
// ScrollPos holds the position asked for; the handler may change it.
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int32_t& ScrollPos)>;

class TScrollBar : public TCustomControl {
public:
  explicit TScrollBar(TScrollBarKind AKind = sbHorizontal);
  TScrollBarKind Kind() const { return FKind; }
  int32_t Position() const { return FPosition; }
  int32_t Min() const { return FMin; }
  int32_t Max() const { return FMax; }
  int32_t PageSize() const { return FPageSize; }
  int32_t SmallChange() const { return FSmallChange; }
  int32_t LargeChange() const { return FLargeChange; }
  void SetSmallChange(int32_t V) { FSmallChange = V; }
  void SetLargeChange(int32_t V) { FLargeChange = V; }
  // Max is kept at or above Min, the position within Min..(Max - PageSize + 1).
  void SetParams(int32_t APosition, int32_t AMin, int32_t AMax, int32_t APageSize);
  void SetPosition(int32_t V) { SetParams(V, FMin, FMax, FPageSize); }
  void SetMin(int32_t V) { SetParams(FPosition, V, FMax, FPageSize); }
  void SetMax(int32_t V) { SetParams(FPosition, FMin, V, FPageSize); }
  void SetPageSize(int32_t V) { SetParams(FPosition, FMin, FMax, V); }
  // The highest position the thumb can reach.
  int32_t MaxPosition() const;
  // A scroll as the user's input makes it: OnScroll, then the move, then OnChange when the
  // position changed.
  void Scroll(TScrollCode Code, int32_t Pos);
  TScrollEvent OnScroll;
  TNotifyEvent OnChange;
  // The thumb's rectangle (client coordinates); empty when there is no room for one.
  TRect ThumbRect() const;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void EnabledChanged() override { Invalidate(); }
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

private:
  int32_t Along(Integer X, Integer Y) const { return FKind == sbVertical ? Y : X; }
  int32_t Length() const { return FKind == sbVertical ? Height() : Width(); }
  int32_t Thickness() const { return FKind == sbVertical ? Width() : Height(); }
  TScrollBarKind FKind;
  int32_t FPosition = 0, FMin = 0, FMax = 100, FPageSize = 0;
  int32_t FSmallChange = 1, FLargeChange = 1;
  bool FDragging = false;
  int32_t FDragOffset = 0;
};
