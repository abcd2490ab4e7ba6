// Themes: the one object through which the themed toolbar layer paints and sizes items,
// bars and popups. Themes are registered by name in a process-wide registry and made on
// first use; the theme manager watches the system (colours, display, activation), keeps
// the values derived from it, and tells the themes and the nexus of every change.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "toolbar/Docks.h"
#include "toolbar/VisualStyles.h"

// ---------------------------------------------------------------------------------------
// Messages among themed windows, and the change codes they carry in WParam

constexpr Cardinal TBXM_VIEWTYPE = 1261;         // query; the view type in the result
constexpr Cardinal TBXM_EFFECTIVECOLOR = 1262;   // query; the colour in the result, LParam set to 1 when answered
constexpr Cardinal TBXM_THEMENOTIFY = 1336;      // theme manager to themes and the nexus
constexpr Cardinal TBXM_THEMEUPDATE = 1338;      // nexus to themed controls

constexpr Cardinal WM_SYSCOLORCHANGE = 0x0015;
constexpr Cardinal WM_ACTIVATEAPP = 0x001C;
constexpr Cardinal WM_DISPLAYCHANGE = 0x007E;
constexpr Cardinal WM_THEMECHANGED = 0x031A;

enum : Integer {
  TSC_BEFOREVIEWCHANGE = 1,   // a change begins
  TSC_VIEWCHANGE = 2,         // themes refresh their cached values
  TSC_AFTERVIEWCHANGE = 3,    // the change has ended; controls refresh
  TSC_APPACTIVATE = 4,
  TSC_APPDEACTIVATE = 5
};

// ---------------------------------------------------------------------------------------
// View types: what kind of window shows an item (themes branch on them)

enum : Integer {
  VT_UNKNOWN = 0,
  VT_TOOLBAR = 0x1000,
  TVT_NORMALTOOLBAR = 0x1001,
  TVT_MENUBAR = 0x1002,
  TVT_FLOATING = 0x0800,    // added: the toolbar floats
  TVT_RESIZABLE = 0x0400,   // added: the toolbar is resizable
  TVT_EMBEDDED = 0x0200,    // added: items are drawn opaque
  VT_POPUP = 0x2000,
  PVT_POPUPMENU = 0x2001,
  PVT_LISTBOX = 0x2002,
  PVT_TOOLBOX = 0x2004,
  PVT_CHEVRONMENU = 0x2008,
  VT_DOCKPANEL = 0x4000
};
// All bits of Mask are set in ViewType.
constexpr bool HasViewBits(Integer ViewType, Integer Mask) { return (ViewType & Mask) == Mask; }

// ---------------------------------------------------------------------------------------
// Records the themes are called with

// Item options.
enum : Cardinal {
  IO_TOOLBARSTYLE = 0x01,
  IO_SUBMENUITEM = 0x04,
  IO_COMBO = 0x08,
  IO_DESIGNING = 0x10,
  IO_APPACTIVE = 0x20
};
// Combo parts.
enum : Byte { CMB_NONE = 0, CMB_DROPDOWN = 1, CMB_SPLITBTN = 2, CMB_SPLITARROW = 3 };

struct TTBXItemInfo {
  Integer ViewType = 0;
  Cardinal ItemOptions = 0;
  bool Enabled = false;
  bool Pushed = false;
  Byte HoverKind = 0;   // 0 not selected; 1 selected and disabled; 2 selected and enabled
  bool Selected = false;
  bool HasImage = false;
  Integer ImageWidth = 0, ImageHeight = 0;
  bool IsVertical = false;
  Byte ComboPart = CMB_NONE;
  bool IsPopupParent = false;
  Integer PopupMargin = 0;
};

// Margin ids of GetMargins.
enum : Integer { MID_TOOLBARITEM = 1, MID_MENUITEM = 2, MID_STATUSPANE = 3 };

struct TTBXMargins {
  Integer LeftWidth = 0, TopHeight = 0, RightWidth = 0, BottomHeight = 0;
  friend bool operator==(const TTBXMargins&, const TTBXMargins&) = default;
};

// Popup shadow kinds.
enum : Integer { PST_NONE = 0, PST_WINDOWSXP = 1, PST_OFFICEXP = 2, PST_WINDOWS2K = 3 };

// Close-button states of frames.
enum : Integer { CDBS_VISIBLE = 1, CDBS_HOT = 2, CDBS_PRESSED = 4 };

struct TTBXPopupInfo {
  TControl* WindowHandle = nullptr;
  Integer ViewType = 0;
  // The parent item in window coordinates; empty unless it is a toolbar-style item.
  TRect ParentRect;
  TPoint BorderSize;
};

struct TTBXToolbarInfo {
  TControl* WindowHandle = nullptr;
  Integer ViewType = 0;
  bool IsVertical = false;
  bool AllowDrag = false;
  TBorderStyle BorderStyle = bsNone;
  TPoint BorderSize;
  Integer ClientWidth = 0, ClientHeight = 0;
  TTBDragHandleStyle DragHandleStyle = dhNone;
  Integer CloseButtonState = 0;
};

struct TTBXFloatingWindowParentInfo {
  TControl* WindowHandle = nullptr;
  TControl* ParentHandle = nullptr;
  Integer ParentViewType = 0;
  Integer ClientWidth = 0, ClientHeight = 0;
  bool ShowCaption = false;
  TPoint CaptionSize;   // the frame widths around the caption and the client area
  Integer CloseButtonState = 0;
  Integer RedrawPart = 0;
  std::string Caption;
  bool Inactive = false;
};

struct TTBXDockPanelInfo {
  TControl* WindowHandle = nullptr;
  Integer ViewType = 0;
  bool IsVertical = false;
  bool AllowDrag = false;
  TBorderStyle BorderStyle = bsNone;
  TPoint BorderSize;
  Integer ClientWidth = 0, ClientHeight = 0;
  bool ShowCaption = false;
  Integer CloseButtonState = 0;
  std::string Caption;
};

// Edit-item buttons: types and state bits.
enum : Integer { EBT_DROPDOWN = 1, EBT_SPIN = 2 };
enum : Integer { EBDS_DISABLED = 1, EBDS_HOT = 2, EBDS_PRESSED = 4, EBSS_UP = 4, EBSS_DOWN = 8 };

struct TTBXEditBtnInfo {
  Integer ButtonType = 0;
  Integer ButtonState = 0;
};

struct TTBXEditFrameInfo {
  Integer LeftBtnWidth = 0, RightBtnWidth = 0;
  TTBXEditBtnInfo LeftBtnInfo, RightBtnInfo;
};

// MDI buttons of a menu bar.
enum class TTBXMDIButton : uint8_t { mbMinimize, mbRestore, mbClose };
// Page-scroll arrows of a long popup.
enum : Integer { PSBT_UP = 1, PSBT_DOWN = 2, PSBT_LEFT = 3, PSBT_RIGHT = 4 };
// Frame controls: kinds and states.
enum : Integer { PFC_CHECKBOX = 1, PFC_RADIOBUTTON = 2 };
enum : Integer { PFS_CHECKED = 1, PFS_MIXED = 2, PFS_DISABLED = 4, PFS_HOT = 8, PFS_PUSHED = 16, PFS_FOCUSED = 32 };
// Status-bar parts.
enum : Integer { SBP_BODY = 0, SBP_PANE = 1, SBP_LASTPANE = 2, SBP_GRIPPER = 3 };

// Integer metric indices that callers use.
enum : Integer {
  TMI_SPLITBTN_ARROWWIDTH = 10,
  TMI_DROPDOWN_ARROWWIDTH = 20,
  TMI_DROPDOWN_ARROWMARGIN = 21,
  TMI_MENU_ITEM_VMARGIN = 30,
  TMI_MENU_ITEM_HMARGIN = 31,
  TMI_MENU_IMGTEXTSPACE = 32,
  TMI_MENU_LCAPTIONMARGIN = 33,
  TMI_MENU_RCAPTIONMARGIN = 34,
  TMI_MENU_SEPARATORSIZE = 35,
  TMI_MENU_MDI_DW = 36,
  TMI_MENU_MDI_DH = 37,
  TMI_TLBR_SEPARATORSIZE = 50,
  TMI_EDIT_FRAMEWIDTH = 60,
  TMI_EDIT_TEXTMARGINHORZ = 61,
  TMI_EDIT_TEXTMARGINVERT = 62,
  TMI_EDIT_MENURIGHTINDENT = 64,
  TMI_EDIT_BTNWIDTH = 65
};
// Boolean metric indices that callers use.
enum : Integer {
  TMB_OFFICEXPPOPUPALIGNMENT = 1,
  TMB_EDITMENUFULLSELECT = 3,
  TMB_EDITHEIGHTEVEN = 4,
  TMB_PAINTDOCKBACKGROUND = 5,
  TMB_SOLIDTOOLBARNCAREA = 6
};

// ---------------------------------------------------------------------------------------
// The theme interface

class TTBXTheme : public TObject {
public:
  explicit TTBXTheme(const std::string& AName) : FName(AName) {}
  const std::string& Name() const { return FName; }
  // Messages sent to the theme (TBXM_THEMENOTIFY); ignored unless a theme wants them.
  virtual void Dispatch(TMessage& Message) {}

  virtual TPoint GetImageOffset(const TTBXItemInfo& ItemInfo) = 0;
  virtual TColor GetItemColor(const TTBXItemInfo& ItemInfo) = 0;
  virtual TColor GetItemTextColor(const TTBXItemInfo& ItemInfo) = 0;
  virtual TColor GetItemImageBackground(const TTBXItemInfo& ItemInfo) = 0;
  virtual void GetMargins(Integer MarginID, TTBXMargins& Margins) = 0;
  virtual Integer GetPopupShadowType() = 0;
  virtual void GetViewBorder(Integer ViewType, TPoint& Border) = 0;
  virtual TColor GetViewColor(Integer ViewType) = 0;
  virtual void GetViewMargins(Integer ViewType, TTBXMargins& Margins) = 0;
  virtual void PaintBackgnd(TCanvas& Canvas, const TRect& ADockRect, const TRect& ARect, const TRect& AClipRect,
                            TColor AColor, bool Transparent, Integer AViewType) = 0;
  virtual void PaintButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintCaption(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                            const std::string& ACaption, uint32_t AFormat, bool Rotated) = 0;
  virtual void PaintCheckMark(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintChevron(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintEditFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                              const TTBXEditFrameInfo& EditFrameInfo) = 0;
  virtual void PaintEditButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                               const TTBXEditBtnInfo& ButtonInfo) = 0;
  virtual void PaintDock(TCanvas& Canvas, const TRect& AClientRect, const TRect& ADockRect,
                         TTBDockPosition ADockPosition) = 0;
  virtual void PaintDockPanelNCArea(TCanvas& Canvas, const TRect& R, const TTBXDockPanelInfo& DockPanelInfo) = 0;
  virtual void PaintDropDownArrow(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintFloatingBorder(TCanvas& Canvas, const TRect& ARect,
                                   const TTBXFloatingWindowParentInfo& WindowInfo) = 0;
  virtual void PaintFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintImage(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                          TCustomImageList* ImageList, Integer ImageIndex) = 0;
  virtual void PaintMDIButton(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo,
                              TTBXMDIButton ButtonKind) = 0;
  virtual void PaintMenuItem(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintMenuItemFrame(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintPageScrollButton(TCanvas& Canvas, const TRect& ARect, Integer ButtonType, bool Hot) = 0;
  virtual void PaintPopupNCArea(TCanvas& Canvas, const TRect& R, const TTBXPopupInfo& PopupInfo) = 0;
  virtual void PaintSeparator(TCanvas& Canvas, const TRect& ARect, const TTBXItemInfo& ItemInfo, bool Horizontal,
                              bool LineSeparator) = 0;
  virtual void PaintToolbarNCArea(TCanvas& Canvas, const TRect& R, const TTBXToolbarInfo& ToolbarInfo) = 0;
  virtual void PaintFrameControl(TCanvas& Canvas, const TRect& R, Integer Kind, Integer State, void* Params) = 0;
  virtual void PaintStatusBar(TCanvas& Canvas, const TRect& R, Integer Part) = 0;
  virtual Integer GetIntegerMetric(Integer Index) = 0;
  virtual bool GetBooleanMetric(Integer Index) = 0;

private:
  std::string FName;
};

class ETBXThemeError : public Exception {
  using Exception::Exception;
};

// Makes a theme of a registered class with its name.
using TTBXThemeClass = std::function<std::unique_ptr<TTBXTheme>(const std::string& AName)>;

// ---------------------------------------------------------------------------------------
// Registry

// Raises "Cannot register theme" for an empty or over-long name or a missing class, and
// "Theme %s is already registered" for a name registered already (without regard to case).
void RegisterTBXTheme(const std::string& AName, TTBXThemeClass AThemeClass);
// The instance, made on the first call; every call counts one reference. Raises
// "Unknown theme " + the name for a name not registered.
TTBXTheme* GetTBXTheme(const std::string& AName);
// One reference fewer; the last frees the instance and clears ATheme.
void ReleaseTBXTheme(TTBXTheme*& ATheme);
// Index of the record, or -1.
Integer FindTBXTheme(const std::string& AName);
// The registered names, in registration order.
std::vector<std::string> GetAvailableTBXThemes();
Integer TBXThemeRefCount(const std::string& AName);

// ---------------------------------------------------------------------------------------
// Theme manager and the shared values

// The manager tells every listed object of system changes (TBXM_THEMENOTIFY); an object is
// listed once.
void AddThemeNotify(TObject* AObject, TWndMethod AHandler);
void RemoveThemeNotify(TObject* AObject);

// The values the manager keeps, read by the themes.
struct TTBXSystemValues {
  bool TBXLoColor = false;           // fewer than 12 bits per pixel
  bool TBXWhiteButtonFace = false;   // the button face is white
  bool TBXLoColorOrWhiteFace = false;
  bool USE_THEMES = false;           // visual styles in use
  std::array<HTHEME, 9> Handles{};   // BUTTON, SCROLLBAR, REBAR, TOOLBAR, WINDOW, COMBOBOX, EXPLORERBAR, STATUS, SPIN
  TColor ToolbarColor = clBtnFace;
  TColor ToolbarTextColor = clBtnText;
  bool USE_FLATMENUS = false;
  TColor MenuColor = clMenu;
  TColor MenuTextColor = clMenuText;
  TColor HotLightColor = clHighlight;
};

class TTBXThemeManager : public TObject {
public:
  TTBXThemeManager();
  ~TTBXThemeManager() override;
  // The window that receives the system's notifications.
  HWND Handle() const { return FWindow; }
  bool UseThemes() const { return FUseThemes; }
  void SetUseThemes(bool Value);
  // 0, 1 or 2: which menus count as flat (see UpdateVariables).
  Integer MenuStyle() const { return FMenuStyle; }
  void SetMenuStyle(Integer Value);
  // Re-reads the system and tells everybody (what colour, display and visual-style
  // changes cause).
  void UpdateVariables();
  Integer NotifyCount() const { return static_cast<Integer>(FNotifies.size()); }
  // What UpdateVariables last read.
  const TTBXSystemValues& Values() const { return FValues; }

private:
  friend void AddThemeNotify(TObject*, TWndMethod);
  friend void RemoveThemeNotify(TObject*);
  void WndProc(TMessage& Message);
  void Broadcast(Integer Code);

  bool FUseThemes = true;
  Integer FMenuStyle = 0;
  std::vector<std::pair<TObject*, TWndMethod>> FNotifies;
  HWND FWindow = 0;
  TTBXSystemValues FValues;
};

// The one manager (made on first use).
TTBXThemeManager& TBXThemeManager();

const TTBXSystemValues& TBXSystemValues();
