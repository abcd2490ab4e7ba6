// The toolbar: one item tree shown as a bar through a toolbar view. It sits in a dock,
// floats, or is an ordinary child of any control; it sizes itself from its view, puts what
// does not fit behind a chevron button or wraps it, can serve as a form's menu bar, and
// answers the shortcuts of its items for the whole form.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolbar/Docks.h"
#include "toolbar/Items.h"

class TTBCustomToolbar;

extern const char* const STBChevronItemMoreButtonsHint;   // "More Buttons|"

// Handled set by the handler takes the shortcut away from the items.
using TShortCutEvent = std::function<void(TObject* Sender, TShortCut ShortCut, bool& Handled)>;

// The chevron: a submenu item linked to the toolbar's root whose popup lists the items the
// toolbar's view hid.
class TTBChevronItem : public TTBCustomItem {
public:
  explicit TTBChevronItem(TTBCustomToolbar* AToolbar);
  TTBCustomToolbar* Toolbar() const { return FToolbar; }
  TTBView* GetChevronParentView() override;
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView*) const override;

private:
  TTBCustomToolbar* FToolbar;
};

class TTBChevronItemViewer : public TTBItemViewer {
public:
  using TTBItemViewer::TTBItemViewer;
  void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  const void* ViewerClass() const override;
};

class TTBToolbarView : public TTBView {
public:
  explicit TTBToolbarView(TTBCustomToolbar* AToolbar);
  TTBCustomToolbar* Toolbar() const { return FToolbar; }
  void AutoSize(Integer AWidth, Integer AHeight) override;
  void DoUpdatePositions(TPoint& ASize) override;
  TTBCustomItem* GetChevronItem() override;
  TFont& GetFont() override;
  void InvalidatePositions() override;

private:
  TTBCustomToolbar* FToolbar;
};

// The classes a toolbar is made of; themed toolbars hand their own.
struct TTBToolbarClasses {
  std::function<std::unique_ptr<TTBRootItem>()> ItemClass;
  std::function<std::unique_ptr<TTBToolbarView>(TTBCustomToolbar*)> ViewClass;
  std::function<std::unique_ptr<TTBChevronItem>(TTBCustomToolbar*)> ChevronClass;
};

class TTBCustomToolbar : public TTBCustomDockableWindow {
public:
  TTBCustomToolbar();
  ~TTBCustomToolbar() override;

  TTBRootItem* Items() const { return FItems.get(); }
  TTBToolbarView* View() const { return FView.get(); }
  TTBChevronItem* ChevronItem() const { return FChevronItem.get(); }
  // The item that has the keyboard while the toolbar holds it without a menu loop (a toolbar
  // Tab goes round), as readers find it; none by default.
  virtual TTBCustomItem* KeyboardItem() const { return nullptr; }

  // The view's update counter: the layout waits until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();

  bool ChevronMoveItems() const { return FChevronMoveItems; }
  void SetChevronMoveItems(bool Value);
  const std::string& ChevronHint() const { return FChevronHint; }
  void SetChevronHint(const std::string& Value);
  bool IsChevronHintStored() const { return FChevronHint != STBChevronItemMoreButtonsHint; }
  TTBShrinkMode ShrinkMode() const { return FShrinkMode; }
  void SetShrinkMode(TTBShrinkMode Value);
  bool MenuBar() const { return FMenuBar; }
  void SetMenuBar(bool Value);
  bool ProcessShortCuts() const { return FProcessShortCuts; }
  void SetProcessShortCuts(bool Value);
  bool SystemFont() const { return FSystemFont; }
  void SetSystemFont(bool Value);
  bool UpdateActions() const { return FUpdateActions; }
  void SetUpdateActions(bool Value) { FUpdateActions = Value; }
  TCustomImageList* Images() const { return FItems->SubMenuImages(); }
  void SetImages(TCustomImageList* Value) { FItems->SetSubMenuImages(Value); }
  TTBCustomItem* LinkSubitems() const { return FItems->LinkSubitems(); }
  void SetLinkSubitems(TTBCustomItem* Value) { FItems->SetLinkSubitems(Value); }
  TTBItemOptions Options() const { return FItems->Options(); }
  void SetOptions(TTBItemOptions Value) { FItems->SetOptions(Value); }
  void SetShowHint(bool Value);
  void SetFont(const TFont& Value);
  TShortCutEvent OnShortCut;

  // The wrap width while floating (kept with the position data as "FloatRightX").
  Integer FloatingRightX() const { return FFloatingRightX; }
  void SetFloatingRightX(Integer Value);
  TPoint BaseSize() const { return FBaseSize; }
  // The running action updates of the view's items.
  void InitiateActions();

  // Whether the toolbar takes the shortcut: OnShortCut, else an item with it.
  bool AcceptsShortCut(TShortCut ShortCut);
  // Alt or F10 alone (Key 0) or Alt with a key: selects and maybe runs an item through the
  // toolbar loop. True when the toolbar acted.
  bool KeyboardOpen(char Key, bool RequirePrimaryAccel);
  // The key-menu system command of a menu bar; true when handled (a "-" nobody takes is
  // left to the system, anything else beeps).
  bool SystemCommandKey(char Key);
  // A dialog character (Alt with a letter on an ordinary toolbar); true when handled.
  bool DialogChar(char Key);

  void ReadPositionData(const TTBPositionReadIntProc& ReadIntProc) override;
  void WritePositionData(const TTBPositionWriteIntProc& WriteIntProc) override;

  // Dockable-window hooks.
  TPoint DoArrange(bool CanMoveControls, TTBDockType PreviousDockType, bool NewFloating, TTBDock* NewDock) override;
  void GetBaseSize(TPoint& ASize) override;
  void GetMinShrinkSize(Integer& AMinimumSize) override;
  // The hint of the item under the point, kept while the pointer stays on that item: the
  // next item's hint comes after its own pause.
  bool GetHintInfo(TPoint ClientPos, std::string& Hint, TRect& HintArea) override;
  TTBShrinkMode GetShrinkMode() override { return FShrinkMode; }
  void SizeChanging(Integer AWidth, Integer AHeight) override;
  void ResizeBegin(TTBSizeHandle ASizeHandle) override;
  void ResizeTrack(TRect& Rect, const TRect& OrigRect) override;
  void ResizeTrackAccept() override;
  void ResizeEnd() override;
  bool DragStartAllowed(TPoint P) override;

  // The toolbar is sized from its view (auto-resized, docked or floating).
  bool AutoResized() const { return IsAutoResized(); }
  // Sets the view's orientation, chevron and wrap offsets for the present place.
  void SetViewProperties();
  // The controls the toolbar hosts as items stay out of the window's Tab walk (with what
  // lies inside them): they show only where the bar has room for them.
  std::vector<TWinControl*> TabOrderList() const override;

protected:
  explicit TTBCustomToolbar(const TTBToolbarClasses& Classes);
  void Loaded() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave() override;
  void ControlInserted(TControl* Control) override;
  void ControlRemoved(TControl* Control) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TTBToolbarView;
  struct TFloatingSizes;
  void Construct(const TTBToolbarClasses& Classes);
  void UpdateShortCutInstallation();
  void ClearHover();
  // The offsets for a place: docked in ADock, floating, or neither.
  void OffsetsFor(TTBDock* ADock, bool AFloating, Integer& ChevronOffset, Integer& WrapOffset);
  TTBViewOrientation OrientationFor(TTBDock* ADock, bool AFloating) const;
  TPoint NCSizeFor(TTBDock* ADock) const;
  Integer FloatingWrapOffset(Integer RightX);
  TTBControlItem* FindControlItem(TControl* Control) const;

  std::unique_ptr<TTBRootItem> FItems;
  std::unique_ptr<TTBChevronItem> FChevronItem;
  std::unique_ptr<TTBToolbarView> FView;
  bool FChevronMoveItems = true;
  std::string FChevronHint;
  TTBShrinkMode FShrinkMode = tbsmChevron;
  bool FMenuBar = false;
  bool FProcessShortCuts = false;
  bool FSystemFont = true;
  int FSettingsHandler = 0;   // hears of changes of the desktop's settings
  bool FUpdateActions = true;
  TPoint FBaseSize;
  Integer FFloatingRightX = 0;
  bool FInArrange = false;
  bool FMouseDownLoop = false;
  bool FViewerCursor = false;
  bool FShortCutsInstalled = false;
  std::unique_ptr<TFloatingSizes> FSizing;
};

class TTBToolbar : public TTBCustomToolbar {
public:
  using TTBCustomToolbar::TTBCustomToolbar;
};

// For tests: the toolbars whose shortcuts are answered, and whether the hook is in place.
Integer ShortCutToolbarCount();
bool ShortCutHookInstalled();
// Offers a key press (as the application's key-down notification would) to the toolbars
// of the active form, then of the main form; true when one took it.
bool ToolbarsHandleKeyDown(Word Key, TShiftState Shift, char Char);
