// Controls: the visual components of the program's windows. Every control has its own
// window on the toolkit side (made when first needed); the bounds, visibility and the rest
// are kept here, so coordinates and layout do not depend on the toolkit or a window manager.
// A control paints with a TCanvas and receives mouse and key calls in its client
// coordinates. Also here: mouse capture, the application's input filters (hooks that see
// mouse and key input before its control and may swallow it), enter and leave tracking,
// the cursor position, shortcuts and image lists.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Classes.h"
#include "platform/Graphics.h"

// ---------------------------------------------------------------------------------------
// Input values

using TShiftState = uint16_t;
constexpr TShiftState ssShift = 0x01, ssAlt = 0x02, ssCtrl = 0x04, ssLeft = 0x08, ssRight = 0x10, ssMiddle = 0x20,
                      ssDouble = 0x40;

enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
using enum TMouseButton;

// Virtual key codes.
enum : Word {
  VK_LBUTTON = 1,
  VK_RBUTTON = 2,
  VK_BACK = 8,
  VK_TAB = 9,
  VK_RETURN = 13,
  VK_SHIFT = 16,
  VK_CONTROL = 17,
  VK_MENU = 18,
  VK_PAUSE = 19,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_PRIOR = 33,
  VK_NEXT = 34,
  VK_END = 35,
  VK_HOME = 36,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_INSERT = 45,
  VK_DELETE = 46,
  VK_F1 = 0x70,
  VK_F2,
  VK_F3,
  VK_F4,
  VK_F5,
  VK_F6,
  VK_F7,
  VK_F8,
  VK_F9,
  VK_F10,
  VK_F11,
  VK_F12,
  VK_NUMPAD0 = 0x60,
  VK_NUMPAD9 = 0x69,
  VK_ADD = 0x6B,
  VK_SUBTRACT = 0x6D,
  VK_PROCESSKEY = 0xE5
};

// Shortcuts: a key plus modifier bits.
using TShortCut = Word;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(Word key, TShiftState shift);
// "Ctrl+S", "Shift+F1", "Del"...; empty for 0.
std::string ShortCutToText(TShortCut shortCut);

// Cursors.
using TCursor = int16_t;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6, crSizeNS = -7,
                  crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12, crNoDrop = -13,
                  crHSplit = -14, crVSplit = -15, crNo = -18, crAppStart = -19, crHelp = -20, crHandPoint = -21,
                  crSizeAll = -22;

enum class TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
using enum TAlign;
using TAnchors = uint8_t;
constexpr TAnchors akLeft = 1, akTop = 2, akRight = 4, akBottom = 8;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// Window styles the program's controls ask for (CreateParams).
enum : Cardinal {
  WS_CHILD = 0x40000000,
  WS_POPUP = 0x80000000u,
  WS_CAPTION = 0x00C00000,
  WS_BORDER = 0x00800000,
  WS_DLGFRAME = 0x00400000,
  WS_SYSMENU = 0x00080000,
  WS_THICKFRAME = 0x00040000,
  WS_MINIMIZEBOX = 0x00020000,
  WS_MAXIMIZEBOX = 0x00010000
};
enum : Cardinal { WS_EX_DLGMODALFRAME = 0x1, WS_EX_TOPMOST = 0x8, WS_EX_TOOLWINDOW = 0x80 };
// Class styles.
enum : Cardinal { CS_SAVEBITS = 0x800, CS_DROPSHADOW = 0x20000 };

class TControl;

struct TCreateParams {
  Cardinal Style = WS_CHILD;
  Cardinal ExStyle = 0;
  Cardinal WindowClassStyle = 0;
  // The window a top-level window belongs to (its owner): the window manager keeps it above
  // that window. A top-level window that names none stands on its own, unless it is a tool
  // or stay-on-top window: those are kept above the program's other windows.
  TControl* WndParent = nullptr;
};

// Control style bits. A control without csDoubleClicks has the second press of a double click
// as a plain press (no DblClick, no ssDouble), so the click that follows is a click of its own.
using TControlStyle = uint32_t;
constexpr TControlStyle csAcceptsControls = 0x1, csCaptureMouse = 0x2, csOpaque = 0x4, csClickEvents = 0x8,
                        csDoubleClicks = 0x10, csActionClient = 0x20, csMenuEvents = 0x40;

class TWinControl;
class TCustomForm;
struct TControlWidgetAccess;

// A list that takes no memory while empty (as most controls' lists of children are) and lets
// go of either end at once (a page's thousands of fields come and go mostly in order).
template <class T>
class TEndsList {
public:
  using iterator = typename std::vector<T>::iterator;
  using const_iterator = typename std::vector<T>::const_iterator;
  iterator begin() { return FItems.begin() + static_cast<std::ptrdiff_t>(FFront); }
  iterator end() { return FItems.end(); }
  const_iterator begin() const { return FItems.begin() + static_cast<std::ptrdiff_t>(FFront); }
  const_iterator end() const { return FItems.end(); }
  auto rbegin() const { return FItems.rbegin(); }
  auto rend() const { return FItems.rend() - static_cast<std::ptrdiff_t>(FFront); }
  size_t size() const { return FItems.size() - FFront; }
  bool empty() const { return size() == 0; }
  T at(size_t i) const { return FItems.at(FFront + i); }
  void push_back(T v) { FItems.push_back(v); }
  iterator insert(const_iterator at, T v) { return FItems.insert(at, v); }
  // Moves the shorter side: the front by stepping past it, its space given back once it is
  // half the list (all of it with the last item).
  iterator erase(const_iterator at)
  {
    const auto i = static_cast<size_t>(at - begin());
    if (i >= size() / 2) {
      if (size() == 1) {
        clear();
        return end();
      }
      return FItems.erase(at);
    }
    std::move_backward(begin(), begin() + static_cast<std::ptrdiff_t>(i), begin() + static_cast<std::ptrdiff_t>(i + 1));
    if (++FFront >= 32 && FFront * 2 >= FItems.size()) {
      FItems.erase(FItems.begin(), FItems.begin() + static_cast<std::ptrdiff_t>(FFront));
      FFront = 0;
    }
    return begin() + static_cast<std::ptrdiff_t>(i);
  }
  void clear()
  {
    FItems.clear();
    FFront = 0;
  }

private:
  std::vector<T> FItems;
  size_t FFront = 0;
};

// ---------------------------------------------------------------------------------------
// TControl

class TAccessibleNode;

class TControl : public TComponent {
public:
  TControl();
  ~TControl() override;

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);

  Integer Left() const { return FLeft; }
  Integer Top() const { return FTop; }
  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  void SetLeft(Integer v) { SetBounds(v, FTop, FWidth, FHeight); }
  void SetTop(Integer v) { SetBounds(FLeft, v, FWidth, FHeight); }
  void SetWidth(Integer v) { SetBounds(FLeft, FTop, v, FHeight); }
  void SetHeight(Integer v) { SetBounds(FLeft, FTop, FWidth, v); }
  // Position in the parent's client area (screen position for a window without parent).
  virtual void SetBounds(Integer left, Integer top, Integer width, Integer height);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // The client area in client coordinates: the bounds less the non-client size.
  virtual TRect ClientRect() const;
  Integer ClientWidth() const { return ClientRect().Width(); }
  Integer ClientHeight() const { return ClientRect().Height(); }
  void SetClientSize(Integer w, Integer h);
  // Width of the frame on each side (x: left and right, y: top and bottom).
  virtual TPoint NonClientSize() const { return {0, 0}; }

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors a) { FAnchors = a; }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible itself and every parent up to a shown top-level window.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool enabled);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& hint) { FHint = hint; }
  // The name a screen reader gives the control; empty: its caption, the label beside it or
  // its hint, in that order (Accessible.cpp).
  const std::string& AccessibleName() const { return FAccessibleName; }
  void SetAccessibleName(const std::string& name) { FAccessibleName = name; }
  // A window that only tells something and is closed, as a message box is: a screen reader
  // reads it as an alert, with its labels' words, when it opens.
  bool AccessibleAlert() const { return FAccessibleAlert; }
  void SetAccessibleAlert(bool alert) { FAccessibleAlert = alert; }
  // For a control that draws its parts itself, what gives the root of the nodes a screen
  // reader reads (SetAccessibleRoot, Accessible.h); empty: the toolkit's own description.
  const std::function<std::shared_ptr<TAccessibleNode>()>& AccessibleRoot() const { return FAccessibleRoot; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool v) { FShowHint = v; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor c);
  TColor Color() const { return FColor; }
  virtual void SetColor(TColor c);
  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  const std::string& Caption() const { return FCaption; }
  virtual void SetCaption(const std::string& caption);
  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle s);

  TEventSlot<TNotifyEvent> OnClick;
  TEventSlot<TNotifyEvent> OnDblClick;
  TEventSlot<TMouseEvent> OnMouseDown;
  TEventSlot<TMouseEvent> OnMouseUp;
  TEventSlot<TMouseMoveEvent> OnMouseMove;
  TEventSlot<TMouseWheelEvent> OnMouseWheel;
  TEventSlot<TNotifyEvent> OnMouseEnter;
  TEventSlot<TNotifyEvent> OnMouseLeave;
  TEventSlot<TNotifyEvent> OnResize;

  // Repaint requests: Invalidate marks all for painting, InvalidateRect part of the client
  // area; Update paints what is marked now; Repaint does both.
  virtual void Invalidate();
  void InvalidateRect(const TRect& clientRect);
  void Update();
  void Repaint();
  // Moves what the window shows by (dx, dy) and marks only the uncovered part for painting
  // (child windows move along); a window not shown is marked all.
  void ScrollContents(Integer dx, Integer dy);

  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  // The client area's top-left in screen coordinates.
  TPoint ClientOrigin() const;
  TCustomForm* GetParentForm() const;

  // Mouse capture: while set, every mouse event goes to this control.
  bool MouseCapture() const;
  void SetMouseCapture(bool on);

  // A top-level window of the popup kind (WS_POPUP): above ordinary windows, not activated.
  bool IsPopupWindow() const { return FIsPopup; }
  // A top-level window the mouse passes through to the windows under it (hint windows).
  bool MouseTransparent() const { return FMouseTransparent; }
  void SetMouseTransparent(bool on) { FMouseTransparent = on; }
  // The toolkit window exists.
  bool HandleAllocated() const { return FWidget != nullptr; }
  // The toolkit's window itself (QWidget*), for platform code that embeds other windows.
  void* ToolkitWidget() const { return FWidget; }
  // A message window for posted messages and timers of this control (made on first use).
  HWND Handle();
  bool MessageHandleAllocated() const { return FHandle != 0; }
  // Messages posted or sent to Handle arrive here.
  virtual void WndProc(TMessage& message);

  // Limits the visible part of the window to r (window coordinates); nullptr shows it all.
  void SetWindowRegion(const TRect* r);

  // Paints the control (non-client area first) onto canvas with its top-left at (x, y):
  // for pictures of windows.
  void PaintTo(TCanvas& canvas, Integer x, Integer y);
  // Paints the control's window and its children as the toolkit composes them on the screen
  // (a control without a colour shows what its parent paints beneath it) onto a black bitmap
  // of the control's size; an empty bitmap before the window exists.
  void RenderTo(TBitmap& bitmap);
  // What the display shows of the control now, read back from the screen (nothing painted
  // again); empty when the control is not shown.
  void CaptureScreen(TBitmap& bitmap);
  // Screen pixels per logical pixel where the control is shown (1 on ordinary screens).
  double DevicePixelRatio() const;

  // What the hint window shows for a point of the client area, and the area (client
  // coordinates) within which the hint stays; false: no hint there. By default the short
  // part of Hint over the whole client area, when ShowHint is set.
  virtual bool GetHintInfo(TPoint clientPos, std::string& hint, TRect& hintArea);

  // Input entry points (client coordinates); the toolkit side calls them, and so may tests.
  void DispatchMouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y);
  void DispatchMouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y);
  void DispatchMouseMove(TShiftState shift, Integer x, Integer y);
  // True when the control took the wheel; one that did not leaves it to its parent.
  bool DispatchMouseWheel(TShiftState shift, Integer delta, TPoint screenPos);
  void DispatchKeyDown(Word& key, TShiftState shift);
  void DispatchKeyUp(Word& key, TShiftState shift);
  void DispatchKeyPress(char& key);
  void DispatchMouseEnter();
  void DispatchMouseLeave();

protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void Paint() {}
  // The frame outside the client area, on a canvas of the whole window.
  virtual void PaintNonClient(TCanvas& canvas) {}
  // Before Paint: fills the client area with Color unless the control is opaque.
  virtual void EraseBackground(TCanvas& canvas);
  virtual void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y);
  virtual void MouseMove(TShiftState shift, Integer x, Integer y);
  virtual bool DoMouseWheel(TShiftState shift, Integer delta, TPoint mousePos);
  virtual void KeyDown(Word& key, TShiftState shift) {}
  virtual void KeyUp(Word& key, TShiftState shift) {}
  virtual void KeyPress(char& key) {}
  virtual void Click();
  virtual void DblClick();
  virtual void MouseEnter();
  virtual void MouseLeave();
  // The mouse capture was taken away from this control.
  virtual void CaptureLost() {}
  virtual void Resize();
  virtual void VisibleChanged() {}
  virtual void EnabledChanged() {}
  // The toolkit window has just been made (its children too).
  virtual void HandleCreated() {}
  // The toolkit window is about to go.
  virtual void DestroyingHandle() {}
  // A top-level window is about to appear on the screen: its toolkit window exists and is
  // not yet mapped, so what is sized and placed here is where the window first shows.
  virtual void WindowShowing() {}
  // A shown top-level window has come onto the screen (the window manager has framed and
  // mapped it): it is exposed, once per showing.
  virtual void WindowExposed() {}
  // The canvas valid during Paint (and PaintNonClient).
  TCanvas& Canvas();
  bool HasCanvas() const { return FCanvas != nullptr; }
  // Makes the toolkit window now.
  void HandleNeeded();
  void DestroyHandle();
  void RecreateHandle();

private:
  void DestroyWidget(bool withParent);
  friend struct TControlWidgetAccess;
  friend class TWinControl;
  friend void SetAccessibleRoot(TControl* Control, std::function<std::shared_ptr<TAccessibleNode>()> Provider);
  // The toolkit window as a visible control under a parent with one wants it: now, or, under
  // a parent that makes its children's windows in sight, once the control comes into sight.
  void WindowWanted();
  void UpdateWidgetGeometry();
  void UpdateWidgetOpacity();
  void UpdateWidgetVisibility();
  void PaintAll(TCanvas& canvas, const TRect& area);

  TWinControl* FParent = nullptr;
  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors = akLeft | akTop;
  bool FVisible = true;
  bool FEnabled = true;
  bool FShowHint = false;
  bool FIsPopup = false;
  bool FFixedFrame = false;   // a top-level window whose frame the user cannot size
  bool FMouseTransparent = false;
  bool FInResize = false;
  std::string FHint;
  std::string FAccessibleName;
  bool FAccessibleAlert = false;
  std::function<std::shared_ptr<TAccessibleNode>()> FAccessibleRoot;
  std::string FCaption;
  TCursor FCursor = crDefault;
  TColor FColor = clBtnFace;
  TFont FFont;
  TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
  void* FWidget = nullptr;   // the toolkit window (owned; freed in DestroyHandle)
  HWND FHandle = 0;
  TCanvas* FCanvas = nullptr;
  bool FMouseDownForClick = false;
};

// A control that holds other controls and lays out the aligned ones.
class TWinControl : public TControl {
public:
  ~TWinControl() override;
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
  // Lays out the aligned children in order: top, bottom, left, right, then client.
  void Realign();
  // Between these, children come and go as a batch: the layout waits for the end, and
  // each child that shows meanwhile is shown without looking for the one under the pointer.
  void DisableAlign() { ++FAlignDisabled; }
  void EnableAlign();
  // Children standing wholly outside this control get their toolkit windows only once they
  // come into it or take the focus (or a screen reader asks for them): a page parks
  // thousands of fields off its panel, and most never show.
  void SetChildWindowsInSight(bool on) { FChildWindowsInSight = on; }
  // The child under a point of the client area (direct children only), or nullptr.
  TControl* ControlAtPos(TPoint p, bool allowDisabled = false) const;
  bool Focused() const;
  void SetFocus();
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;

  // Keyboard navigation: a tab stop takes the focus when clicked and is reached with Tab
  // in the order of its parent's tab list (new children go to its end).
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool v) { FTabStop = v; }
  // The place in the parent's tab list; setting it moves the control there (clamped).
  Integer TabOrder() const;
  void SetTabOrder(Integer order);
  // The tab stop after (or before) current among the children and theirs, wrapping;
  // nullptr when none. A control with tab parts counts as one stop (it may be the answer
  // for itself when it is the only one).
  TWinControl* FindNextControl(TWinControl* current, bool forward) const;
  // Moves the focus on from current as Tab (or Shift+Tab) does; false when nothing takes it.
  bool SelectNext(TWinControl* current, bool forward);
  // A control whose parts take the keyboard focus one by one (a page's links and fields)
  // stands in the window's Tab walk as one stop, for itself and the controls inside it.
  // Reaching it, the walk calls TabInto: it gives the focus to its first part (Shift+Tab:
  // its last) and answers true, or false, and the walk goes on past it. While the focus is
  // on it or inside it, Tab asks TabWithin first: true when the focus moved to the next
  // (previous) part, false past the last (first), and the walk goes on to the next stop.
  virtual bool HasTabParts() const { return false; }
  // For TabWithin: the part Tab (Shift+Tab) goes to from part At of Count (-1: none has the
  // focus, so the first, or the last), or -1 past the last (before the first).
  static std::ptrdiff_t NextTabPart(std::ptrdiff_t At, std::ptrdiff_t Count, bool Forward);
  virtual bool TabInto(bool forward) { return false; }
  virtual bool TabWithin(bool forward) { return false; }
  // While it keeps the focus on one of its parts, that part is what a screen reader hears
  // take the focus (the control tells it, NotifyAccessibleFocus), not the control itself.
  virtual bool FocusInPart() const { return false; }
  // The child control that part is, where it is one (a row of speed buttons Tab goes round).
  virtual TControl* FocusedPart() const { return nullptr; }
  // The focus as Tab gives it: SetFocus, then FocusedByTab (an edit selects its text).
  void SetFocusByTab();
  // The children the Tab walk visits, in order: by default every windowed child in its tab
  // order. A control that places children of its own (a toolbar hosting them as items)
  // may leave some out; the walk then also skips what lies inside those.
  virtual std::vector<TWinControl*> TabOrderList() const { return {FTabList.begin(), FTabList.end()}; }
  // The control gains or loses the keyboard focus.
  TEventSlot<TNotifyEvent> OnEnter;
  TEventSlot<TNotifyEvent> OnExit;

protected:
  virtual void ControlInserted(TControl* control) {}
  virtual void ControlRemoved(TControl* control) {}
  virtual void AlignControls(TRect& rect);
  virtual void DoEnter();
  virtual void DoExit();
  // The focus has just come by Tab or Shift+Tab.
  virtual void FocusedByTab() {}

private:
  friend class TControl;
  friend struct TControlWidgetAccess;
  // Not owned: owners free controls.
  TEndsList<TControl*> FControls;
  TEndsList<TWinControl*> FTabList;   // the children that are windowed, in tab order
  int FAlignDisabled = 0;
  bool FTabStop = false;
  bool FChildWindowsInSight = false;
};

// A control that paints itself: override Paint and use Canvas.
class TCustomControl : public TWinControl {
public:
  using TControl::Canvas;
};

// A control without own children that paints itself.
class TGraphicControl : public TControl {
public:
  using TControl::Canvas;
};

// ---------------------------------------------------------------------------------------
// Capture, input filters, cursor

// The control holding the mouse capture, or nullptr.
TControl* GetCaptureControl();
// Gives the capture to control; the previous holder gets CaptureLost.
void SetCaptureControl(TControl* control);
void ReleaseCapture();
// While a menu is open the whole screen's pointer is the program's: the display server
// reports every press (on the window's own title bar, on the desktop) to the window of
// control, and the input filters see it at its screen position. nullptr lets it go.
void SetPointerGrab(TControl* control);

enum class TInputKind : uint8_t { MouseDown, MouseUp, MouseMove, MouseDblClick, MouseWheel, KeyDown, KeyUp };
struct TInputEvent {
  TInputKind Kind = TInputKind::MouseMove;
  // The control the toolkit delivers to (the window under the mouse, the focused one for
  // keys); nullptr when none of ours.
  TControl* Target = nullptr;
  TPoint ScreenPos;
  TMouseButton Button = mbLeft;
  TShiftState Shift = 0;
  Word Key = 0;
  // The character a key produces (0: none), in the system code page.
  char Char = 0;
  Integer WheelDelta = 0;
};
// A filter sees every input event first (the last added first); returning true swallows it.
// The application holds the filters (0, and no filter, when there is none).
using TInputFilter = std::function<bool(const TInputEvent& event)>;
int AddInputFilter(TInputFilter filter);
void RemoveInputFilter(int id);

// The cursor shown over every window while set (crDefault: each control shows its own).
void SetOverrideCursor(TCursor c);
// The program's own cursors, numbered from 1 in the screen's cursor table: a black and white
// image, a mask that is white where the screen shows through, and the point that aims.
// Controls whose Cursor is that number show it from then on.
void SetScreenCursorImage(TCursor index, const TBitmap& image, const TBitmap& mask, TPoint hotSpot);
bool HasScreenCursorImage(TCursor index);
// What a cursor image and mask show over a screen of one colour.
TBitmap CursorPicture(const TBitmap& image, const TBitmap& mask, TColor screen);

// Where the pointer is, in screen coordinates: the display server's (the pointer may have
// left our windows since they last saw it), or the position simulated input gave last.
TPoint GetCursorPos();
void SetCursorPos(TPoint p);
// The state of the mouse buttons and modifier keys as last seen.
bool IsMouseButtonDown(TMouseButton button);
// The control under a screen point: the topmost of our shown windows, then its deepest child.
TControl* FindControlAtPos(TPoint screenPos);
// The control the pointer is over (enter and leave tracking).
TControl* GetMouseControl();
// The control that has the keyboard focus (the system's GetFocus); nullptr when none of ours.
TWinControl* FindFocusedControl();

// The widgets of freed controls: how many wait for the loop's next turn to be freed, and
// since the program started, how many releases the loop was given for them and how many of
// them were hidden first (tests count what a page's fields cost as they go).
struct TWidgetReleaseCounts {
  size_t Waiting = 0;
  size_t Queued = 0;
  size_t Hidden = 0;
};
TWidgetReleaseCounts WidgetReleaseCounts();

// Application-wide notifications of windows (the hooks build on these). Shown and Hidden
// come when a top-level window appears or goes (minimising included). The application holds
// the handlers, as it does the input filters.
enum class TWindowEvent : uint8_t { Activated, Deactivated, Moved, Destroying, Shown, Hidden };
using TWindowEventHandler = std::function<void(TWindowEvent event, TControl* control)>;
int AddWindowEventHandler(TWindowEventHandler handler);
void RemoveWindowEventHandler(int id);

// Mouse input for another program's window, given through the display server to whatever
// window lies at the point: a press as a whole click (once the hand lets go of the button,
// where it still holds it), a release not at all (the click had it), a move as a move. A
// click the menus held while they were open reaches that program so. False where the display
// server takes no such input.
bool GiveMouseToDisplayServer(TInputKind kind, TPoint screenPos, TMouseButton button);
// Whether the display server shows another program's window (or the desktop) uppermost at a
// point of the screen, though one of ours may lie under it there. False where it cannot say.
bool AnotherProgramAtPos(TPoint screenPos);

// Synthetic input through the toolkit, as the user would give it (tests and the program's
// own scripted demonstrations): the event goes to the window under the point (or to the
// focused window for keys) through the same route as real input.
void SimulateMouse(TInputKind kind, TPoint screenPos, TMouseButton button = mbLeft, TShiftState shift = 0);
void SimulateKey(Word key, TShiftState shift = 0, char ch = 0);
// The window manager resizes a shown top-level window, as when the user drags its frame.
void SimulateWindowResize(TControl* window, Integer width, Integer height);

// ---------------------------------------------------------------------------------------
// Image lists

class TCustomImageList;

// Registered with an image list to hear of its changes.
class TChangeLink : public TObject {
public:
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return FSender; }
  TNotifyEvent OnChange;

private:
  friend class TCustomImageList;
  TCustomImageList* FSender = nullptr;
};

// A list of equally sized images with masks.
class TCustomImageList : public TComponent {
public:
  TCustomImageList();
  TCustomImageList(Integer width, Integer height);
  ~TCustomImageList() override;

  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  // Changing the size clears the list.
  void SetSize(Integer width, Integer height);
  void SetWidth(Integer w) { SetSize(w, FHeight); }
  void SetHeight(Integer h) { SetSize(FWidth, h); }
  Integer Count() const { return static_cast<Integer>(FImages.size()); }
  // Cuts the bitmap into images of the list's width; mask: 1-bit, white where transparent
  // (nullptr: opaque). Returns the index of the first image added, -1 when none.
  Integer Add(const TBitmap& image, const TBitmap* mask);
  // As Add, with the pixels of maskColor transparent.
  Integer AddMasked(const TBitmap& image, TColor maskColor);
  void Delete(Integer index);
  void Clear();
  // Draws image index (nothing when out of range); a disabled image is drawn as an
  // embossed shape in the highlight and shadow colours.
  void Draw(TCanvas& canvas, Integer x, Integer y, Integer index, bool enabled = true) const;
  // Image index as a bitmap with its mask (false when out of range).
  bool GetImage(Integer index, TBitmap& image, TBitmap& mask) const;

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  TNotifyEvent OnChange;
  // Tells every change link and OnChange.
  void Change();
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

protected:
  virtual void DoDraw(TCanvas& canvas, Integer x, Integer y, Integer index, bool enabled) const;

private:
  struct TImage {
    std::unique_ptr<TBitmap> Picture;
    std::unique_ptr<TBitmap> Mask;
  };
  Integer FWidth = 16, FHeight = 16;
  std::vector<TImage> FImages;
  std::vector<TChangeLink*> FLinks;
  int FUpdateCount = 0;
  bool FChanged = false;
};

using TImageList = TCustomImageList;
using TImageIndex = Integer;
