// Top-level windows: forms, popup windows shown without taking focus, the screen (monitors,
// work areas, the screen cursor), the application's hint text and nested modal loops.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/AppHelp.h"
#include "platform/Controls.h"
#include "platform/SysSettings.h"

enum class TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using enum TFormBorderStyle;
using TBorderIcons = uint8_t;
constexpr TBorderIcons biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8;
enum class TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
using enum TFormStyle;
enum class TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
using enum TCloseAction;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

// A top-level window of the program.
class TCustomForm : public TCustomControl {
public:
  TCustomForm();
  ~TCustomForm() override;

  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle s) { FBorderStyle = s; }
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons b) { FBorderIcons = b; }
  // fsStayOnTop keeps the window above the program's other windows (above the window that
  // opened it, or all of the program's when none did), not above other programs.
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle s) { FFormStyle = s; }
  // The window this one belongs to, which the window manager keeps it above: the form among
  // its owners; else, for a stay-on-top window, the window active when it is shown (the one
  // that opened it). nullptr: it stands on its own.
  virtual TCustomForm* OwnerWindow() const;
  void SetBounds(Integer left, Integer top, Integer width, Integer height) override;
  // Places the window so that its outer edge, with the frame the window manager draws
  // (title bar and borders), covers r, and the client area takes what is inside the frame.
  // A window manager tells a window's frame only once it has framed it: until the window
  // shows, the frame it announces for the window is used (none where it cannot say), and
  // the window is placed again once it is framed, if its frame came out otherwise. Holds
  // until the window is next placed or sized.
  void SetFrameBounds(const TRect& r);
  // The window's outer edge on the screen: its bounds with the frame the window manager has
  // drawn round it (none before it shows, or where the window manager cannot say).
  TRect FrameRect() const;
  // Shows the window and paints it on the screen before it returns, for a window shown while
  // the program is too busy to come back to its message loop (a splash during start-up).
  // The window manager maps a window in its own time: this waits for that, at most two
  // seconds, handling the program's messages but no input meanwhile.
  void ShowAndPaint();
  // Hides the window after OnClose agrees (caHide); caFree leaves freeing to the owner.
  void Close();
  // The window is up on the screen: shown, and mapped by the window manager since (its first
  // exposure has come), not only made visible. A window that belongs to this one and shows
  // before then is not taken for one of its own by the window manager: it stays beneath.
  bool WindowShown() const;
  bool Active() const;
  void Activate();
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TCloseEvent OnClose;
  // The picture the desktop shows for the window (taskbar, title); pixels of
  // TransparentColor are left out.
  void SetIcon(const TBitmap& icon, TColor transparentColor = clNone);
  // The help page F1 opens anywhere in the window (0: none of its own).
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext context);
  // Kept above every window, other programs' too (the window manager's _NET_WM_STATE_ABOVE),
  // for a window that shows for a moment only, such as a splash. Takes effect when it shows.
  bool KeptAboveAll() const { return FKeptAboveAll; }
  void SetKeptAboveAll(bool above) { FKeptAboveAll = above; }
  // Shows the picture as the window's background, which the display server paints the
  // moment the window maps, before the program paints anything; for a window that is all
  // picture. An empty picture clears it.
  void SetMappedPicture(const TBitmap& picture);
  // Shown modally now (SetShownModally).
  bool ShownModally() const { return FShownModally; }

protected:
  void CreateParams(TCreateParams& params) override;
  void VisibleChanged() override;
  void HandleCreated() override;
  // The frame is fitted (SetFrameBounds) and OnShow runs here, before the window maps, so
  // that what they size and place is where the window first shows.
  void WindowShowing() override;
  void WindowExposed() override;
  // The form active now, when it is another shown one.
  TCustomForm* ActiveOpener() const;
  // Shown modally. The window manager hears it before the window maps (_NET_WM_STATE_MODAL):
  // it keeps the keyboard in the window while it is up, even after a click on the window it
  // belongs to, and gives the activation back to that window when it closes.
  void SetShownModally(bool modal);

private:
  struct TFrameWidths {
    Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TFrameWidths&) const = default;
  };
  void FitFrame(const TFrameWidths& frame);
  // The frame the window manager has drawn round the shown window, or announces for it
  // before it maps; false when it has none to tell.
  bool ReadFrame(TFrameWidths& frame) const;
  bool RequestFrame(TFrameWidths& frame) const;
  void ApplyIcon();
  void DeclareStates();
  void ApplyMappedPicture();
  void RemoveHelpKey();
  TRect FFrameTarget;
  TFrameWidths FFrameUsed;
  bool FFitFrame = false;
  bool FFitting = false;
  TBitmap FIcon;
  TColor FIconTransparent = clNone;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TFormStyle FFormStyle = fsNormal;
  THelpContext FHelpContext = 0;
  int FHelpKeyFilter = 0;
  bool FKeptAboveAll = false;
  bool FShownModally = false;
  TBitmap FMappedPicture;
};

class TForm : public TCustomForm {};

// A borderless window above its owner that never takes the focus: menus, drop-down lists,
// hint windows. Clicks outside it reach their own windows.
class TPopupWindowControl : public TCustomControl {
public:
  // Hidden until shown, as every top-level window.
  TPopupWindowControl() { SetVisible(false); }

protected:
  void CreateParams(TCreateParams& params) override;
};

// The desktop as the program sees it.
class TScreen {
public:
  std::vector<TMonitorInfo> Monitors() const { return GetMonitors(); }
  TMonitorInfo MonitorFromPoint(TPoint p) const { return ::MonitorFromPoint(p); }
  TMonitorInfo MonitorFromRect(const TRect& r) const { return ::MonitorFromRect(r); }
  // The monitor that holds most of the control's window.
  TMonitorInfo MonitorFromWindow(const TControl& control) const;
  TRect WorkAreaRect() const { return GetDesktopWorkArea(); }
  Integer Width() const { return GetScreenSize().cx; }
  Integer Height() const { return GetScreenSize().cy; }
  // The screen cursor: crDefault lets every control show its own.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor c);
  // The form that has the focus, or the last activated one.
  TCustomForm* ActiveForm() const;
  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* Forms(int i) const { return FForms.at(static_cast<size_t>(i)); }
  // Whether the form is still one of the program's (one kept from before may have gone).
  bool HasForm(const TCustomForm* f) const { return std::find(FForms.begin(), FForms.end(), f) != FForms.end(); }

private:
  friend class TCustomForm;
  TCursor FCursor = crDefault;
  std::vector<TCustomForm*> FForms;
  TCustomForm* FLastActive = nullptr;
};

TScreen& Screen();

// The application's hint text (the status line follows it) and the hint window.
void SetApplicationHint(const std::string& hint);
std::string ApplicationHint();
// Hides a hint window that is showing and restarts the hint delay.
void CancelHint();
// The hint machinery hears that the pointer rests at screenPos over control: after the hint
// pause the control's GetHintInfo is shown in the hint window, which stays while the pointer
// keeps inside the hint area (and for at most the hide pause).
void HintMouseMessage(TControl* control, TPoint screenPos);
// The hint window's text and screen rectangle while it shows (empty otherwise).
std::string ShownHintText();
TRect ShownHintBounds();
constexpr Cardinal HintPauseMs = 500, HintHidePauseMs = 2500;
// Called whenever the hint text changes.
void SetOnApplicationHint(TNotifyEvent handler);
// The short part of a hint ("short|long"), and the long part (the whole hint without a bar).
std::string GetShortHint(const std::string& hint);
std::string GetLongHint(const std::string& hint);

// While it lives, every shown window of the program that takes input (but Except) takes
// none: a modal window is up, or a job runs that the user's input must wait for. When it
// ends they take input again, each with the keyboard back on the control that had it there
// (disabling a window takes the keyboard from its control); an inactive window gets it
// when it is next activated.
class TWindowsDisabled {
public:
  explicit TWindowsDisabled(const TCustomForm* Except = nullptr);
  ~TWindowsDisabled();
  TWindowsDisabled(const TWindowsDisabled&) = delete;
  TWindowsDisabled& operator=(const TWindowsDisabled&) = delete;
  // Whether Form is one of the windows it disabled.
  bool Holds(const TCustomForm* Form) const;

private:
  struct TWindow;
  std::vector<TWindow> FWindows;
};

// A nested message loop: handles messages until finished() answers true or the program is
// told to quit (the quit stays in force, so the outer loops end too). Returns false when it
// ended by a quit.
bool RunNestedLoop(const std::function<bool()>& finished);
