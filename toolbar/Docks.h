// Docks and dockable windows. A TTBDock sits at one edge of its parent and holds dockable
// windows (toolbars) in rows; a TTBCustomDockableWindow lives in a dock, floats in a small
// tool window of its own, or is an ordinary child of any control. The user drags it between
// docks and the floating state, and resizes its floating frame.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

class TTBDock;
class TTBCustomDockableWindow;
class TTBFloatingWindowParent;

class EInvalidOperation : public Exception {
  using Exception::Exception;
};

extern const char* const
    STBDockParentNotAllowed;   // "A TTBDock control cannot be placed inside a tool window or another TTBDock"
extern const char* const
    STBDockCannotChangePosition;            // "Cannot change Position of a TTBDock if it already contains controls"
extern const char* const SParentRequired;   // "Control '%s' has no parent window"

enum class TTBDockPosition : uint8_t { dpTop, dpBottom, dpLeft, dpRight };
using enum TTBDockPosition;
using TTBDockableTo = uint8_t;   // bit (1 << position)
constexpr TTBDockableTo DockableToBit(TTBDockPosition P)
{
  return static_cast<TTBDockableTo>(1u << static_cast<unsigned>(P));
}
constexpr TTBDockableTo dtAllPositions = 0x0F;

enum class TTBDockType : uint8_t { dtNotDocked, dtFloating, dtTopBottom, dtLeftRight };
using enum TTBDockType;
enum class TTBDockMode : uint8_t { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
using enum TTBDockMode;
enum class TTBDragHandleStyle : uint8_t { dhDouble, dhNone, dhSingle };
using enum TTBDragHandleStyle;
enum class TTBFloatingMode : uint8_t { fmOnTopOfParentForm, fmOnTopOfAllForms };
using enum TTBFloatingMode;
enum class TTBShrinkMode : uint8_t { tbsmNone, tbsmWrap, tbsmChevron };
using enum TTBShrinkMode;
// The sides of a floating frame that a resize drags.
enum class TTBSizeHandle : uint8_t {
  twshLeft,
  twshRight,
  twshTop,
  twshTopLeft,
  twshTopRight,
  twshBottom,
  twshBottomLeft,
  twshBottomRight
};
using enum TTBSizeHandle;

using TTBDockBoundLines = uint8_t;
constexpr TTBDockBoundLines blTop = 1, blBottom = 2, blLeft = 4, blRight = 8;

// A dockable window's border: bsNone or bsSingle.
using TBorderStyle = TFormBorderStyle;

// Resize styles of a dockable window.
using TTBDockableWindowStyles = uint8_t;
constexpr TTBDockableWindowStyles tbdsResizeEightCorner = 1, tbdsResizeClipCursor = 2;

using TTBInsertRemoveEvent = std::function<void(TObject* Sender, bool Inserting, TTBCustomDockableWindow* Bar)>;
using TTBRequestDockEvent = std::function<void(TObject* Sender, TTBCustomDockableWindow* Bar, bool& Accept)>;
using TTBDockChangingEvent = std::function<void(TObject* Sender, bool Floating, TTBDock* DockingTo)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TTBPositionReadIntProc =
    std::function<Integer(const std::string& ToolbarName, const std::string& Value, Integer Default)>;
using TTBPositionWriteIntProc =
    std::function<void(const std::string& ToolbarName, const std::string& Value, Integer Data)>;

// Whatever paints a dock's background: the dock asks it to paint rectangles and hears of its
// changes.
class TTBBasicBackground : public TComponent {
public:
  ~TTBBasicBackground() override;
  virtual void PaintBackground(TCanvas& Canvas, const TRect& R) = 0;
  virtual bool UsingBackground() = 0;
  virtual void SysColorChanged() {}
  void RegisterChanges(const void* Key, TNotifyEvent Proc);
  void UnregisterChanges(const void* Key);

protected:
  // Tells every registered listener.
  void Changed();

private:
  std::vector<std::pair<const void*, TNotifyEvent>> FListeners;
};

// ---------------------------------------------------------------------------------------
// Dock

class TTBDock : public TCustomControl {
public:
  TTBDock();
  ~TTBDock() override;

  void SetParent(TWinControl* parent) override;
  TRect ClientRect() const override;
  TPoint NonClientSize() const override;

  TTBDockPosition Position() const { return FPosition; }
  void SetPosition(TTBDockPosition Value);
  bool AllowDrag() const { return FAllowDrag; }
  void SetAllowDrag(bool Value);
  TTBBasicBackground* Background() const { return FBackground; }
  void SetBackground(TTBBasicBackground* Value);
  bool BackgroundOnToolbars() const { return FBackgroundOnToolbars; }
  void SetBackgroundOnToolbars(bool Value);
  TTBDockBoundLines BoundLines() const { return FBoundLines; }
  void SetBoundLines(TTBDockBoundLines Value);
  bool FixAlign() const { return FFixAlign; }
  void SetFixAlign(bool Value);
  bool LimitToOneRow() const { return FLimitToOneRow; }
  void SetLimitToOneRow(bool Value);

  TTBInsertRemoveEvent OnInsertRemoveBar;
  TTBRequestDockEvent OnRequestDock;

  // Windows associated with the dock (docked here, or having it as LastDock), in the order
  // they joined; and the visible ones docked here.
  Integer DockListCount() const { return static_cast<Integer>(FDockList.size()); }
  TTBCustomDockableWindow* DockList(Integer I) const { return FDockList.at(static_cast<size_t>(I)); }
  Integer DockVisibleListCount() const { return static_cast<Integer>(FDockVisibleList.size()); }
  TTBCustomDockableWindow* DockVisibleList(Integer I) const { return FDockVisibleList.at(static_cast<size_t>(I)); }
  bool ToolbarVisibleOnDock(const TTBCustomDockableWindow* Toolbar) const;

  // Arrangement, and blocking it while several changes are made.
  virtual void ArrangeToolbars();
  void BeginUpdate() { ++FDisableArrangeToolbars; }
  void EndUpdate();
  bool ArrangePending() const { return FArrangeToolbarsNeeded; }

  // Rows: the largest cross size of the visible windows of Row (FullSize, when given, tells
  // whether one of them has FullSize); the largest content cross size the other windows of
  // the row reported at the last arrangement; the highest row in use (-1 when none); the
  // row at an offset across the dock.
  Integer GetRowSize(Integer Row, bool* FullSize) const;
  Integer GetMinRowSize(Integer Row, const TTBCustomDockableWindow* ExcludeControl) const;
  Integer GetHighestRow(bool HighestEffective) const;
  Integer GetRowOf(Integer XY, bool& Before) const;

  // Answers a system command or dialog key for the windows that take menu events.
  bool HandleKeyboardNotification(const std::function<bool(TTBCustomDockableWindow*)>& Offer);

  // Used to draw the background under the dock's windows.
  virtual bool UsingBackground() const;
  virtual void DrawBackground(TCanvas& Canvas, const TRect& DrawRect);
  // The bound lines' extents: x the number of left and right lines, y of top and bottom.
  TPoint BoundLinesExtent() const;

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void PaintNonClient(TCanvas& Canvas) override;
  void EraseBackground(TCanvas& Canvas) override;
  void Resize() override;
  void ControlInserted(TControl* Control) override;
  void ControlRemoved(TControl* Control) override;

private:
  friend class TTBCustomDockableWindow;
  void ChangeDockList(bool Insert, TTBCustomDockableWindow* Bar);
  void ChangeDockVisibleList(bool Insert, TTBCustomDockableWindow* Bar);
  void RemoveFromDockLists(TTBCustomDockableWindow* Bar);
  void BackgroundChanged(TObject* Sender);
  void InvalidateBackgrounds();
  // The length along the dock less the bound lines, not below 0.
  Integer AvailableLength() const;
  // The arrangement's steps, on one record per window (Docks.cpp).
  struct TArrangeItem;
  std::vector<TArrangeItem> CollectArrangeItems();
  void NumberArrangeRows(std::vector<TArrangeItem>& Items);
  void MeasureArrangeItems(std::vector<TArrangeItem>& Items, Integer Avail);
  static void PlaceArrangeRow(const std::vector<TArrangeItem*>& Row, Integer Avail);
  Integer SizeArrangeRows(std::vector<TArrangeItem>& Items, Integer Highest);
  void SetArrangedThickness(Integer Thickness);
  bool IsHorizontal() const { return FPosition == dpTop || FPosition == dpBottom; }

  TTBDockPosition FPosition = dpTop;
  bool FAllowDrag = true;
  TTBBasicBackground* FBackground = nullptr;
  bool FBackgroundOnToolbars = true;
  TTBDockBoundLines FBoundLines = 0;
  bool FFixAlign = false;
  bool FLimitToOneRow = false;
  std::vector<TTBCustomDockableWindow*> FDockList;
  std::vector<TTBCustomDockableWindow*> FDockVisibleList;
  Integer FDisableArrangeToolbars = 0;
  bool FArrangeToolbarsNeeded = false;
  Integer FLastLength = -1;
  // Drag state (set by the dragged window).
  TTBCustomDockableWindow* FDragToolbar = nullptr;
  bool FDragToolbarSharedRow = false;
  bool FDragSplitting = false;   // moving within the row
  bool FDragNewRow = false;
  bool FCommitNewPositions = false;
};

// ---------------------------------------------------------------------------------------
// Floating window parent

class TTBFloatingWindowParent : public TForm {
public:
  explicit TTBFloatingWindowParent(TTBCustomDockableWindow* ADockableWindow);
  ~TTBFloatingWindowParent() override;
  TTBCustomDockableWindow* DockableWindow() const { return FDockableWindow; }
  TCustomForm* ParentForm() const { return FParentForm; }
  // The form the window floats for; forgotten when that form goes.
  void SetParentForm(TCustomForm* Value);
  TPoint NonClientSize() const override;
  TRect ClientRect() const override;
  // The frame's parts under a point of the window (window coordinates).
  enum THitTest : uint8_t {
    htClient,
    htCaption,
    htClose,
    htLeft,
    htRight,
    htTop,
    htBottom,
    htTopLeft,
    htTopRight,
    htBottomLeft,
    htBottomRight
  };
  THitTest HitTest(TPoint WindowPoint) const;
  // Redraws the caption (after a caption or close-button change).
  void RedrawNCArea();
  // Width and height the frame adds to the client size (caption included).
  TSize FrameSize() const;
  // Escape cancels the running drag or resize.
  void KeyDown(Word& Key, TShiftState Shift) override;
  // The unique part of the window's name.
  static Cardinal InstanceNumber(const TTBFloatingWindowParent* W);
  // The form the window floats for, which the window manager keeps it above (a window
  // floating above all forms belongs to the program as a whole: none).
  TCustomForm* OwnerWindow() const override;

protected:
  // The kit draws the caption, the close button and the frame: the window asks the window
  // manager for a frame of none of its own, and stays one it manages.
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PaintNonClient(TCanvas& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave() override;
  void DblClick() override;

private:
  TTBCustomDockableWindow* FDockableWindow;
  TCustomForm* FParentForm = nullptr;
  Cardinal FNumber;
  int FClickFilter = 0;
};

// ---------------------------------------------------------------------------------------
// Dockable window

class TTBCustomDockableWindow : public TCustomControl {
public:
  TTBCustomDockableWindow();
  ~TTBCustomDockableWindow() override;

  // Moving between places: into a dock, into the floating parent, or to any other control.
  void SetParent(TWinControl* parent) override;
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  TRect ClientRect() const override;
  TPoint NonClientSize() const override;

  // Properties.
  bool ActivateParent() const { return FActivateParent; }
  void SetActivateParent(bool Value) { FActivateParent = Value; }
  bool AutoResize() const { return FAutoResize; }
  void SetAutoResize(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  bool CloseButton() const { return FCloseButton; }
  void SetCloseButton(bool Value);
  bool CloseButtonWhenDocked() const { return FCloseButtonWhenDocked; }
  void SetCloseButtonWhenDocked(bool Value);
  TTBDock* CurrentDock() const { return FCurrentDock; }
  void SetCurrentDock(TTBDock* Value);
  bool DblClickUndock() const { return FDblClickUndock; }
  void SetDblClickUndock(bool Value) { FDblClickUndock = Value; }
  TTBDock* DefaultDock() const { return FDefaultDock; }
  void SetDefaultDock(TTBDock* Value);
  TTBDockableTo DockableTo() const { return FDockableTo; }
  void SetDockableTo(TTBDockableTo Value) { FDockableTo = Value; }
  TTBDockMode DockMode() const { return FDockMode; }
  void SetDockMode(TTBDockMode Value) { FDockMode = Value; }
  Integer DockPos() const { return FDockPos; }
  void SetDockPos(Integer Value);
  Integer DockRow() const { return FDockRow; }
  void SetDockRow(Integer Value);
  TTBDragHandleStyle DragHandleStyle() const { return FDragHandleStyle; }
  void SetDragHandleStyle(TTBDragHandleStyle Value);
  TTBFloatingMode FloatingMode() const { return FFloatingMode; }
  void SetFloatingMode(TTBFloatingMode Value);
  bool FullSize() const { return FFullSize; }
  void SetFullSize(bool Value);
  bool HideWhenInactive() const { return FHideWhenInactive; }
  void SetHideWhenInactive(bool Value);
  TTBDock* LastDock() const { return FLastDock; }
  void SetLastDock(TTBDock* Value);
  bool Resizable() const { return FResizable; }
  void SetResizable(bool Value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);
  bool SmoothDrag() const { return FSmoothDrag; }
  void SetSmoothDrag(bool Value) { FSmoothDrag = Value; }
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool UseLastDock() const { return FUseLastDock; }
  void SetUseLastDock(bool Value);
  TTBDockableWindowStyles DockableWindowStyles() const { return FDockableWindowStyles; }
  void SetDockableWindowStyles(TTBDockableWindowStyles Value) { FDockableWindowStyles = Value; }
  TComponent* PopupMenu() const { return FPopupMenu; }
  // The menu a right click on the frame shows at the pointer, after OnContextPopup: an
  // item whose children are the menu's entries.
  void SetPopupMenu(TComponent* Value);

  // Run-time state.
  bool Docked() const { return FDocked; }
  bool Floating() const { return FFloating; }
  void SetFloating(bool Value);
  TPoint FloatingPosition() const { return FFloatingPosition; }
  void SetFloatingPosition(TPoint Value);
  TTBFloatingWindowParent* FloatingWindowParent() const { return FFloatingWindowParent.get(); }
  Integer EffectiveDockRow() const { return FEffectiveDockRow; }
  Integer EffectiveDockPos() const { return FEffectiveDockPos; }
  bool DragMode() const { return FDragMode; }
  bool CloseButtonHover() const { return FCloseButtonHover; }
  bool CloseButtonDown() const { return FCloseButtonDown; }
  TTBDockType DockType() const;
  // Further forms whose docks also accept the window while dragging.
  void AddDockForm(TCustomForm* Form);
  void RemoveDockForm(TCustomForm* Form);

  // Arranging: skipped while blocked or loading, and done when the block ends.
  void Arrange();
  void BeginUpdate() { ++FDisableArrange; }
  void EndUpdate();
  void BeginSizing() { ++FDisableOnMove; }
  void EndSizing() { --FDisableOnMove; }
  // Shows or hides the floating parent as the showing rules say.
  void UpdateVisibility();
  // Hides the window after OnCloseQuery allows it, then runs OnClose.
  void Close();
  // Cancels a running drag or floating resize.
  void CancelDragResize() { FCancelDrag = true; }
  // Moves a floating window back onto its monitor's work area when it lies wholly outside.
  void MoveOnScreen(bool OnlyIfFullyOffscreen);

  // Position data in the caller's store, under the section Name().
  virtual void ReadPositionData(const TTBPositionReadIntProc& ReadIntProc);
  virtual void WritePositionData(const TTBPositionWriteIntProc& WriteIntProc);

  // Frame geometry.
  // The size of the frame in dock-type terms: the docked non-client size (total width and
  // height the frame takes) and the floating parent's.
  virtual TPoint GetDockedNCAreaSize(TTBDock* ADock) const;
  TPoint GetFloatingNCAreaSize() const;
  // Border widths of the floating parent (the small caption not included).
  virtual TPoint GetFloatingBorderSize() const;
  // Drag handle width along the dock.
  Integer GetDragHandleSize() const;
  virtual TRect GetDockedCloseButtonRect(bool LeftRight) const;
  virtual bool CanDockTo(TTBDock* ADock) const;
  // The content size for a dock type: arrange; CanMoveControls false is a trial for another
  // dock during a drag.
  virtual TPoint DoArrange(bool CanMoveControls, TTBDockType PreviousDockType, bool NewFloating, TTBDock* NewDock);
  virtual void GetBaseSize(TPoint& ASize);
  virtual void GetMinShrinkSize(Integer& AMinimumSize) {}
  virtual TTBShrinkMode GetShrinkMode() { return tbsmNone; }
  virtual void SizeChanging(Integer AWidth, Integer AHeight) {}
  // Floating resize hooks.
  virtual void ResizeBegin(TTBSizeHandle ASizeHandle) {}
  virtual void ResizeTrack(TRect& Rect, const TRect& OrigRect) {}
  virtual void ResizeTrackAccept() {}
  virtual void ResizeEnd() {}
  // The floating parent's class.
  virtual std::unique_ptr<TTBFloatingWindowParent> CreateFloatingWindowParent();
  // The non-client area (frame, drag handle, close button).
  virtual void DrawNCArea(TCanvas& Canvas, const TRect& R);
  // Whether a press at P (client coordinates) may start a drag.
  virtual bool DragStartAllowed(TPoint P);

  TNotifyEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDockChanged;
  TTBDockChangingEvent OnDockChanging;
  TTBDockChangingEvent OnDockChangingHidden;
  TNotifyEvent OnMove;
  TNotifyEvent OnRecreated;
  TNotifyEvent OnRecreating;
  TNotifyEvent OnVisibleChanged;
  TNotifyEvent OnContextPopup;

  // The length along its dock row last given to the window (0 after a position reset).
  Integer CurrentSize() const { return FCurrentSize; }
  void SetCurrentSize(Integer Value) { FCurrentSize = Value; }
  // The content cross size reported at the last arrangement.
  Integer LastRowSize() const { return FLastRowSize; }
  // The last size given to the window in its dock row.
  TPoint ArrangedSize() const { return FArrangedSize; }

  // Used by the floating parent and by tests: the frame input, in window coordinates of
  // the floating parent or of this window.
  // ScreenPos: where the press went down (the pointer may have moved on since).
  void FloatingFrameMouseDown(TTBFloatingWindowParent::THitTest Hit, TMouseButton Button, TShiftState Shift,
                              TPoint ScreenPos);
  void FloatingFrameMouseMove(TTBFloatingWindowParent::THitTest Hit);

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CreateParams(TCreateParams& Params) override;
  void PaintNonClient(TCanvas& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave() override;
  void VisibleChanged() override;
  // The drag loop, begun by a press at the pointer.
  void BeginMoving(Integer InitX, Integer InitY);
  void BeginSizingLoop(TTBSizeHandle ASizeHandle, TPoint Start);
  bool IsAutoResized() const;
  // Where the window goes on a double click of its handle or caption.
  void DoubleClick();

private:
  friend class TTBDock;
  friend class TTBFloatingWindowParent;
  struct TDragLoop;
  void ChangeSize(Integer AWidth, Integer AHeight);
  void ArrangeNow();
  void MoveToParentForm();
  void SetCurrentDockInternal(TTBDock* NewDock);
  void SetFloatingInternal(bool Value);
  void CloseButtonLoop(bool Floating);
  // A right click on the frame: OnContextPopup, then PopupMenu at the pointer.
  void FrameContextPopup();
  void RedrawNC();
  void FreeFloatingParentIfUnused();
  TCustomForm* ParentFormOf() const;
  bool IsPointOnCloseButton(TPoint WindowPoint) const;
  void DockedFrameChanged();

  bool FActivateParent = true;
  bool FAutoResize = true;
  TBorderStyle FBorderStyle = bsSingle;
  bool FCloseButton = true;
  bool FCloseButtonWhenDocked = false;
  TTBDock* FCurrentDock = nullptr;
  bool FDblClickUndock = true;
  TTBDock* FDefaultDock = nullptr;
  TTBDockableTo FDockableTo = dtAllPositions;
  TTBDockMode FDockMode = dmCanFloat;
  Integer FDockPos = -1;
  Integer FDockRow = 0;
  TTBDragHandleStyle FDragHandleStyle = dhSingle;
  TTBFloatingMode FFloatingMode = fmOnTopOfParentForm;
  bool FFullSize = false;
  bool FHideWhenInactive = true;
  TTBDock* FLastDock = nullptr;
  bool FResizable = true;
  bool FShowCaption = true;
  bool FSmoothDrag = true;
  bool FStretch = false;
  bool FUseLastDock = true;
  TTBDockableWindowStyles FDockableWindowStyles = tbdsResizeEightCorner | tbdsResizeClipCursor;
  TComponent* FPopupMenu = nullptr;

  bool FDocked = false;
  bool FFloating = false;
  Integer FEffectiveDockRow = -1;
  Integer FEffectiveDockPos = 0;
  Integer FLastRowSize = 0;
  TPoint FArrangedSize;
  TPoint FFloatingPosition;
  std::unique_ptr<TTBFloatingWindowParent> FFloatingWindowParent;
  std::vector<TCustomForm*> FDockForms;
  Integer FDisableArrange = 0;
  Integer FDisableOnMove = 0;
  Integer FHidden = 0;   // hidden during a dock change
  bool FArrangeNeeded = false;
  bool FDragMode = false;
  bool FCancelDrag = false;
  bool FFloatingPositionSet = false;
  TPoint FContentSize;   // the size of the content as last set from outside
  Integer FCurrentSize = 0;
  bool FCloseButtonHover = false;
  bool FCloseButtonDown = false;
  bool FInArrange = false;
};

// The floating windows of the process, in the order they began floating.
const std::vector<TTBCustomDockableWindow*>& FloatingToolWindows();

// ---------------------------------------------------------------------------------------
// Frame drawing shared by the plain windows and the themes

// Drag-handle width along the dock: 0 when the dock does not allow dragging; else by the
// style (dhDouble 9, dhNone 0, dhSingle 6), 14 for every style with a close button.
Integer DragHandleWidth(bool AllowDrag, TTBDragHandleStyle Style, bool CloseButton);

struct TTBFrameState {
  bool Vertical = false;   // in a left or right dock
  bool AllowDrag = false;
  TBorderStyle BorderStyle = bsSingle;
  TTBDragHandleStyle DragHandleStyle = dhSingle;
  bool CloseShown = false, CloseHot = false, ClosePushed = false;
};
// The docked frame: border, drag handle grips and close button, in Face colour.
void DrawDockedFrame(TCanvas& Canvas, const TRect& R, const TTBFrameState& State, TColor Face);

struct TTBFloatingFrameState {
  TPoint Border;   // frame widths (the caption not included)
  bool ShowCaption = true;
  std::string Caption;
  bool CloseShown = false, CloseHot = false, ClosePushed = false;
  bool Inactive = false;
};
// The floating frame: edge, caption bar with its text and close button.
void DrawFloatingFrame(TCanvas& Canvas, const TRect& R, const TTBFloatingFrameState& State, TColor Face);
