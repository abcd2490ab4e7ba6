// List items: a scrollable list of entries inside a menu or toolbar, drawn by its viewer,
// with a hover entry that follows the mouse and keyboard, a light scroll bar of its own that
// paints into the viewer and repeats on timers, and the mouse wheel. TTBXStringList fills
// the list from strings.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ScrollBar.h"
#include "toolbar/ThemedItems.h"

// The classic vertical scroll bar's width at 96 dpi.
constexpr Integer TBXListScrollBarWidth = 16;

// A scroll bar that is no window: the owner gives it bounds, input and a canvas.
class TTBXScrollBar : public TObject {
public:
  // Zones of the bar.
  enum : Integer { zNone = 0, zBackArrow = 1, zTrackBefore = 2, zThumb = 3, zTrackAfter = 4, zForwardArrow = 5 };
  TTBXScrollBar();
  ~TTBXScrollBar() override;

  const TRect& Bounds() const { return FBounds; }
  void SetBounds(const TRect& R);
  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind K);
  Integer Position() const { return FPosition; }
  // From code: clamped, no change callback.
  void SetPosition(Integer Value) { UpdatePosition(Value, false); }
  Integer Range() const { return FRange; }
  void SetRange(Integer Value);
  // 0: the bar's own length.
  Integer PageSize() const { return FPageSize; }
  void SetPageSize(Integer Value);
  Integer SmallChange = 1;
  Integer PressedZone() const { return FZone; }

  // Auto-scroll (timer 2): every Interval ms the position moves by Delta, until an end.
  void StartAutoScroll(Integer Delta, Integer Interval);
  void StopAutoScroll();
  bool AutoScrolling() const { return FAutoScrollInterval > 0; }
  Integer AutoScrollDelta() const { return FAutoScrollDelta; }
  Integer AutoScrollInterval() const { return FAutoScrollInterval; }

  // Input in the bar's parent coordinates (as Bounds).
  void MouseDown(Integer X, Integer Y);
  void MouseMove(Integer X, Integer Y);
  void MouseUp(Integer X, Integer Y);
  // Timer 1 repeats a press, timer 2 auto-scrolls (the hidden window delivers them).
  void Timer(uintptr_t Id);

  // Layout: the zone under a point, and the rectangles of the zones.
  Integer GetZone(Integer X, Integer Y);
  TRect GetZoneRect(Integer Zone);
  bool Enabled() const;
  bool HasThumb();
  void Paint(TCanvas& Canvas);

  // The position moved by the user; the bar wants painting; auto-scroll may change its
  // delta and interval.
  std::function<void(TTBXScrollBar*)> OnChange;
  std::function<void(TTBXScrollBar*)> OnRedraw;
  std::function<void(TTBXScrollBar*, Integer& Delta, Integer& Interval)> OnAutoScroll;

private:
  struct TLayout {
    Integer Length = 0, Thickness = 0, Arrow = 0, Track = 0;
    Integer ThumbStart = 0, ThumbLength = 0;   // 0 length: no thumb
    bool Widened = false;                      // the thumb was made 8 long
  };
  TLayout CalcLayout() const;
  Integer EffectivePage() const;
  Integer Along(Integer X, Integer Y) const;
  void UpdatePosition(Integer Value, bool ByUser);
  void Step();
  void Redraw();
  HWND TimerWindow();
  TRect FBounds;
  TScrollBarKind FKind = sbVertical;
  Integer FPosition = 0, FRange = 0, FPageSize = 0;
  Integer FZone = zNone;
  Integer FDragStartPos = 0, FDragStartAlong = 0;
  TPoint FLastPoint;
  HWND FWnd = 0;
  bool FRepeating = false;
  Integer FAutoScrollDelta = 0, FAutoScrollInterval = 0;
};

class TTBXCustomList;
class TTBXCustomListViewer;

// Sender, ACanvas, var ARect, AIndex, AHoverIndex, var DrawDefault.
using TTBXLPaintEvent = std::function<void(TTBXCustomList* Sender, TCanvas& ACanvas, TRect& ARect, Integer AIndex,
                                           Integer AHoverIndex, bool& DrawDefault)>;
using TTBXLMeasureHeight = std::function<void(TTBXCustomList* Sender, TCanvas& ACanvas, Integer& AHeight)>;
using TTBXLMeasureWidth =
    std::function<void(TTBXCustomList* Sender, TCanvas& ACanvas, Integer AIndex, Integer& AWidth)>;
using TTBXLAdjustImageIndex = std::function<void(TTBXCustomList* Sender, Integer AItemIndex, Integer& ImageIndex)>;

class TTBXCustomList : public TTBXCustomItem {
public:
  TTBXCustomList();
  ~TTBXCustomList() override;

  Integer ItemIndex() const { return FItemIndex; }
  // Negative values become -1; every viewer brings the entry into view; OnChange.
  void SetItemIndex(Integer Value);
  Integer MinWidth() const { return FMinWidth; }
  void SetMinWidth(Integer v) { FMinWidth = v; }
  Integer MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(Integer v) { FMaxWidth = v; }
  Integer MaxVisibleItems() const { return FMaxVisibleItems; }
  void SetMaxVisibleItems(Integer v) { FMaxVisibleItems = v; }
  bool ShowImages() const { return FShowImages; }
  void SetShowImages(bool v) { FShowImages = v; }

  TNotifyEvent OnChange;
  TTBXLPaintEvent OnClearItem;
  TTBXLPaintEvent OnDrawItem;
  TTBXLMeasureHeight OnMeasureHeight;
  TTBXLMeasureWidth OnMeasureWidth;
  TTBXLAdjustImageIndex OnAdjustImageIndex;

  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView*) const override;

  // Entry steps; the clear and draw steps answer whether the default drawing goes on.
  virtual bool DoClearItem(TCanvas& ACanvas, TRect& ARect, Integer AIndex, Integer AHoverIndex);
  virtual bool DoDrawItem(TCanvas& ACanvas, TRect& ARect, Integer AIndex, Integer AHoverIndex);
  virtual void DoMeasureHeight(TCanvas& ACanvas, Integer& AHeight);
  virtual void DoMeasureWidth(TCanvas& ACanvas, Integer AIndex, Integer& AWidth);
  virtual void DrawItem(TCanvas& ACanvas, TTBXCustomListViewer* AViewer, const TRect& ARect, Integer AIndex,
                        Integer AHoverIndex);
  virtual Integer GetImageIndex(Integer AIndex);
  virtual std::string GetItemText(Integer AIndex) { return {}; }
  virtual Integer GetCount() { return 0; }
  virtual void HandleChange();
  virtual void HandleHover(Integer AIndex) {}

private:
  friend class TTBXCustomListViewer;
  Integer FItemIndex = -1;
  Integer FMinWidth = 32, FMaxWidth = 0, FMaxVisibleItems = 8;
  bool FShowImages = false;
  std::vector<TTBXCustomListViewer*> FViewers;
};

class TTBXStringList : public TTBXCustomList {
public:
  const std::vector<std::string>& Strings() const { return FStrings; }
  // Copies the strings given.
  void SetStrings(const std::vector<std::string>& v);
  std::string GetItemText(Integer AIndex) override;
  Integer GetCount() override { return static_cast<Integer>(FStrings.size()); }

private:
  std::vector<std::string> FStrings;
};

class TTBXCustomListViewer : public TTBXItemViewer {
public:
  TTBXCustomListViewer(TTBView* AView, TTBCustomItem* AItem, Integer AGroupLevel);
  ~TTBXCustomListViewer() override;

  void CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TShiftState Shift, Integer X, Integer Y, bool& MouseDownOnMenu) override;
  void MouseMove(Integer X, Integer Y) override;
  void MouseUp(Integer X, Integer Y, bool MouseWasDownOnMenu) override;
  void MouseWheel(Integer WheelDelta, Integer X, Integer Y) override;
  void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  const void* ViewerClass() const override;
  // A list, whose entries screen readers meet as its children.
  Integer GetAccRole() override;

  // The hover entry while a press is dragged outside the list: none.
  virtual Integer DragOutsideHoverIndex() { return -1; }
  virtual Integer GetItemHeight(TCanvas& ACanvas);
  virtual Integer GetItemWidth(TCanvas& ACanvas, Integer AIndex);

  Integer ItemCount() const { return FItemCount; }
  Integer ItemHeight() const { return FItemHeight; }
  Integer VisibleItems() const { return FVisibleItems; }
  Integer TopIndex() const { return FOffset; }
  Integer HoverIndex() const { return FHoverIndex; }
  Integer ScrollBarWidth() const { return FScrollBarWidth; }
  TTBXScrollBar* ScrollBar() const { return FScrollBar.get(); }
  // The entry under a point of the viewer, -1 for none.
  Integer GetItemIndexAt(Integer X, Integer Y);
  void MakeVisible(Integer AIndex);
  void SetTopIndex(Integer Value);

protected:
  TTBXCustomList* List() const { return static_cast<TTBXCustomList*>(Item()); }

private:
  void SetHoverIndex(Integer Value);
  void UpdateScrollBar();
  Integer ListWidth() const { return BoundsRect.Width() - FScrollBarWidth; }
  Integer FItemCount = 0, FItemHeight = 1, FVisibleItems = 1, FOffset = 0, FHoverIndex = -1;
  Integer FScrollBarWidth = 0;
  std::unique_ptr<TTBXScrollBar> FScrollBar;
  bool FMouseInList = false, FMouseInScrollBar = false;
  Integer FWheelAccumulator = 0;
};
