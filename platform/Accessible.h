// Accessibility for controls that draw their parts themselves (toolbars and menus, the
// page of the HTML viewer, the test window's answers): such a control hands the desktop's
// accessibility service a tree of nodes of its own, with the roles, names, states, texts
// and default actions a screen reader reads. The nodes reach the service through the
// toolkit's accessibility interfaces (AT-SPI on Linux desktops).
//
// Texts cross to the service as UTF-16: the program holds its captions in its 8-bit code
// page (Windows-1252), so whoever hands one over converts it from that page (AnsiToWide).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

class TControl;

// Roles and states are numbered as the classic accessibility interface numbers them.
constexpr int32_t ROLE_SYSTEM_SCROLLBAR = 3, ROLE_SYSTEM_MENUBAR = 2, ROLE_SYSTEM_CLIENT = 10,
                  ROLE_SYSTEM_MENUPOPUP = 11, ROLE_SYSTEM_MENUITEM = 12, ROLE_SYSTEM_DOCUMENT = 15,
                  ROLE_SYSTEM_PANE = 16, ROLE_SYSTEM_GROUPING = 20, ROLE_SYSTEM_SEPARATOR = 21,
                  ROLE_SYSTEM_TOOLBAR = 22, ROLE_SYSTEM_LINK = 30, ROLE_SYSTEM_LIST = 33, ROLE_SYSTEM_LISTITEM = 34,
                  ROLE_SYSTEM_OUTLINE = 35, ROLE_SYSTEM_OUTLINEITEM = 36, ROLE_SYSTEM_GRAPHIC = 40,
                  ROLE_SYSTEM_STATICTEXT = 41, ROLE_SYSTEM_TEXT = 42, ROLE_SYSTEM_PUSHBUTTON = 43,
                  ROLE_SYSTEM_COMBOBOX = 46, ROLE_SYSTEM_SLIDER = 51, ROLE_SYSTEM_BUTTONMENU = 57,
                  ROLE_SYSTEM_BUTTONDROPDOWNGRID = 58;
constexpr uint32_t STATE_SYSTEM_UNAVAILABLE = 0x1, STATE_SYSTEM_SELECTED = 0x2, STATE_SYSTEM_FOCUSED = 0x4,
                   STATE_SYSTEM_PRESSED = 0x8, STATE_SYSTEM_CHECKED = 0x10, STATE_SYSTEM_READONLY = 0x40,
                   STATE_SYSTEM_HOTTRACKED = 0x80, STATE_SYSTEM_EXPANDED = 0x200, STATE_SYSTEM_COLLAPSED = 0x400,
                   STATE_SYSTEM_INVISIBLE = 0x8000, STATE_SYSTEM_OFFSCREEN = 0x10000, STATE_SYSTEM_FOCUSABLE = 0x100000,
                   STATE_SYSTEM_SELECTABLE = 0x200000, STATE_SYSTEM_LINKED = 0x400000,
                   STATE_SYSTEM_TRAVERSED = 0x800000, STATE_SYSTEM_HASPOPUP = 0x40000000;

// Text a reader reads through: a box's contents, a page's words. Offsets count UTF-16 units.
struct TAccessibleText {
  std::u16string Text;
  int32_t Caret = -1;   // -1: no caret
  int32_t SelStart = 0, SelEnd = 0;
};

// A value within a range: a position, the index of a chosen entry.
struct TAccessibleRange {
  int32_t Position = 0, Min = 0, Max = 0;
};

class TAccessibleNode {
public:
  virtual ~TAccessibleNode() = default;
  // False once what the node describes has gone.
  virtual bool Valid() = 0;
  virtual std::u16string Name() = 0;
  virtual std::u16string Description() { return {}; }
  virtual std::u16string Value() { return {}; }
  virtual std::u16string KeyboardShortcut() { return {}; }
  virtual int32_t Role() = 0;
  // What the node says of itself; whether it shows on the screen is worked out from where
  // it stands (a node outside its control's visible part, or of a hidden control, is
  // reported invisible whatever it says).
  virtual uint32_t State() = 0;
  virtual TRect ScreenRect() = 0;
  // None, unless the node has children.
  virtual int ChildCount() { return 0; }
  // Index from 0; nullptr when out of range.
  virtual std::shared_ptr<TAccessibleNode> Child(int) { return nullptr; }
  // Empty: no default action.
  virtual std::u16string DefaultAction() { return {}; }
  virtual bool DoDefaultAction() { return false; }
  // Whether a client may give the node the focus (a reader's grabFocus), and doing it.
  virtual bool CanTakeFocus() { return false; }
  virtual void TakeFocus() {}
  // Stays the same for the same described object while it lives (nodes are remade freely);
  // Part tells the parts of one object apart (the entries of a list).
  virtual const void* Identity() = 0;
  virtual int32_t Part() { return 0; }
  // A control placed where the node stands (a control hosted in a toolbar, a field in a
  // page): clients then meet the control itself there, as its own kind of control.
  virtual TControl* HostedControl() { return nullptr; }
  // The control the node is drawn in, where another than the one whose tree holds it (a
  // popup reached through the item that opened it): whether it shows is judged there.
  virtual TControl* ShownIn() { return nullptr; }
  // False: the node holds no text.
  virtual bool GetText(TAccessibleText&) { return false; }
  // Where the character at an offset of the text stands on the screen (empty: nowhere), and
  // the offset of the character at a point of the screen (-1: none).
  virtual TRect CharacterRect(int32_t) { return {}; }
  virtual int32_t OffsetAtPoint(TPoint) { return -1; }
  // The line on the screen that the offset's character stands on, [Start, End) of the text;
  // false where the text is not laid out in lines of its own (its line ends make them then).
  virtual bool LineAt(int32_t, int32_t&, int32_t&) { return false; }
  // A reader moves the caret to an offset of the text.
  virtual void SetCaret(int32_t) {}
  // False: the node holds no value in a range. A value set by a client goes to SetValue.
  virtual bool GetRange(TAccessibleRange&) { return false; }
  virtual void SetValue(int32_t) {}
};

// A node where a control of its own stands (a field in a page, a tree's scroll bar):
// clients meet the control there as its own kind of control.
std::shared_ptr<TAccessibleNode> AccessibleControlNode(TControl* Control);

using TAccessibleRootProvider = std::function<std::shared_ptr<TAccessibleNode>()>;

// Makes every control of the platform answer screen readers as its kind of control (role,
// name, value, text, actions); called when a control's window is made.
void EnsureAccessibleControls();

// The accessible description of the control becomes the root node the provider gives (asked
// at every request; nullptr: the toolkit's own description). An empty provider removes it.
void SetAccessibleRoot(TControl* Control, TAccessibleRootProvider Provider);

// A popup window whose nodes readers reach through the control that opened it (Opener's
// tree holds them) is left out of the program's top-level windows, so it is read once,
// there. A null Opener (and the popup's end) makes it a window of its own again.
void SetAccessibleOpener(TControl* Popup, TControl* Opener);

// Whether a node of the control at this screen rectangle can be seen: the control shows,
// and the rectangle meets the part of it that is not clipped away by its parents.
bool AccessibleRectShows(TControl* Control, const TRect& ScreenRect);

// Events for clients: a node became focused (Child: its path of indices below the root,
// empty for the root), a menu or popup started or ended, its name changed, it became
// selected or no longer is, its document was loaded.
enum class TAccessibleEvent : uint8_t {
  Focus,
  MenuStart,
  MenuEnd,
  PopupStart,
  PopupEnd,
  NameChange,
  SelectedChange,
  DocumentLoad
};
void NotifyAccessible(TControl* Control, TAccessibleEvent Event, const std::vector<int>& Child = {});

// The keyboard focus is on this control, though its window holds it (a part of a control
// whose parts Tab reaches one by one).
void NotifyAccessibleFocus(TControl* Control);
// An entry of a control's list holds the focus as readers see it (a drop-down list's open
// list, whose keys the box keeps).
void NotifyAccessibleEntryFocus(TControl* Control, int Index);
// The focus is told again where the keyboard has it (the control, or its focused part): a
// menu or popup that held a reader's focus has closed, and no reader may stay on it. Told
// from the message loop, once what is already queued (the item chosen) has run.
void NotifyAccessibleFocusReturn();
// A control that took the keyboard (back from a dialog, a window's activation) whose focus is
// on a part inside it (a page's link) tells the reader of that part too.
void NotifyAccessibleFocusedPart(TControl* Control);

// What of a platform control changed, for readers that follow events as every screen reader
// does: its name (a label's or a status bar's text), its checked state, its value (a
// position), its caret, its selection. Nothing is sent while no reader listens.
enum class TAccessibleChange : uint8_t { Name, Checked, Value, Caret, Selection };
void NotifyAccessibleChange(TControl* Control, TAccessibleChange Change);
// The text of a box changed from Before (in the code page) to what it holds now: readers hear
// what went and what came, where.
void NotifyAccessibleTextChange(TControl* Control, const std::string& Before);

// What the desktop's accessibility service is shown for a control, read back through the
// same toolkit interfaces it uses (for tests and diagnostics). Texts are UTF-8, as they
// travel on the bus.
struct TAccessibleSnapshot {
  std::string Name;
  std::string Description;
  int32_t Role = 0;
  uint32_t State = 0;
  std::string Actions;   // the default action's name as clients see it, else empty
  std::string KeyboardShortcut;
  TRect Rect;
  bool HasText = false;   // the text interface, with what it gives
  std::string Text;
  int32_t Caret = -1;
  bool HasRange = false;   // the value interface, with what it gives
  TAccessibleRange Range;
  std::vector<TAccessibleSnapshot> Children;
};
TAccessibleSnapshot AccessibleSnapshot(TControl* Control, int MaxDepth = 8);
// Where a control stands among its parent's children as a reader asks it (its window made
// first, as asking makes it); -1 where it stands nowhere.
int AccessibleIndexInParent(TControl* Control);
// Runs the default action of the node at Path below the control's root, as a client would.
bool AccessibleDoDefaultAction(TControl* Control, const std::vector<int>& Path);
