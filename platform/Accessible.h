// Accessibility for controls that draw their parts themselves (toolbars and menus): such a
// control hands the desktop's accessibility service a tree of nodes of its own, with the
// roles, names, states and default actions a screen reader reads. The nodes reach the
// service through the toolkit's accessibility interfaces (AT-SPI on Linux desktops).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

class TControl;

// Roles and states are numbered as the classic accessibility interface numbers them
// (push button 43, menu item 12...; unavailable 0x1, focused 0x4...).
class TAccessibleNode {
public:
  virtual ~TAccessibleNode() = default;
  // False once what the node describes has gone.
  virtual bool Valid() = 0;
  virtual std::string Name() = 0;
  virtual std::string Value() { return {}; }
  virtual std::string KeyboardShortcut() { return {}; }
  virtual int32_t Role() = 0;
  virtual uint32_t State() = 0;
  virtual TRect ScreenRect() = 0;
  virtual int ChildCount() = 0;
  // Index from 0; nullptr when out of range.
  virtual std::shared_ptr<TAccessibleNode> Child(int Index) = 0;
  // Empty: no default action.
  virtual std::string DefaultAction() { return {}; }
  virtual bool DoDefaultAction() { return false; }
  // Stays the same for the same described object while it lives (nodes are remade freely).
  virtual const void* Identity() = 0;
  // A control placed where the node stands (a control hosted in a toolbar): clients then
  // meet the control itself there, as its own kind of control.
  virtual TControl* HostedControl() { return nullptr; }
};

using TAccessibleRootProvider = std::function<std::shared_ptr<TAccessibleNode>()>;

// Makes every control of the platform answer screen readers as its kind of control (role,
// name, value, actions); called when a control's window is made.
void EnsureAccessibleControls();

// The accessible description of the control becomes the root node the provider gives (asked
// at every request; nullptr: the toolkit's own description). An empty provider removes it.
void SetAccessibleRoot(TControl* Control, TAccessibleRootProvider Provider);

// Events for clients: a node became focused (Child: its path of indices below the root,
// empty for the root), a menu or popup started or ended.
enum class TAccessibleEvent : uint8_t { Focus, MenuStart, MenuEnd, PopupStart, PopupEnd };
void NotifyAccessible(TControl* Control, TAccessibleEvent Event, const std::vector<int>& Child = {});

// What the desktop's accessibility service is shown for a control, read back through the
// same toolkit interfaces it uses (for tests and diagnostics).
struct TAccessibleSnapshot {
  std::string Name;
  int32_t Role = 0;
  uint32_t State = 0;
  std::string Actions;   // the default action's name as clients see it, else empty
  std::string KeyboardShortcut;
  TRect Rect;
  std::vector<TAccessibleSnapshot> Children;
};
TAccessibleSnapshot AccessibleSnapshot(TControl* Control, int MaxDepth = 8);
// Runs the default action of the node at Path below the control's root, as a client would.
bool AccessibleDoDefaultAction(TControl* Control, const std::vector<int>& Path);
