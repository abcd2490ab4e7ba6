// The toolbar kit's core: items (buttons, menu entries, separators, hosted controls) in
// trees that notify their views; image lists with state images; item viewers that measure
// and paint one item; views that lay the viewers of an item's children out as a bar or a
// menu column and track selection, mouse and keyboard; popup windows and the modal menu
// loop that drives them.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ActnList.h"
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

class TTBCustomItem;
class TTBItemViewer;
class TTBView;
class TTBPopupWindow;
class TTBPopupView;
class TTBModalHandler;
class TTBCustomAccObject;
class TTBCustomItemActionLink;

class ETBItemError : public Exception {
  using Exception::Exception;
};

extern const char* const STBToolbarIndexOutOfBounds;   // "Toolbar item index out of range"
extern const char* const STBToolbarItemReinserted;     // "Toolbar item already inserted"
extern const char* const STBViewerNotFound;   // "An item viewer associated the specified item could not be found"

enum class TTBItemChangeKind : uint8_t {
  ickInserted,
  ickDeleted,
  ickSubitemsChanged,
  ickBeginUpdate,
  ickEndUpdate,
  ickInvalidate,
  ickInvalidateAndResize,
  ickRecreateViewers,
  ickRenamed,
  ickSubMenuImagesChanged
};
using enum TTBItemChangeKind;

enum class TTBItemDisplayMode : uint8_t { nbdmDefault, nbdmTextOnly, nbdmTextOnlyInMenus, nbdmImageAndText };
using enum TTBItemDisplayMode;

using TTBItemOptions = uint16_t;
constexpr TTBItemOptions tboDefault = 0x001, tboDropdownArrow = 0x002, tboImageAboveCaption = 0x004,
                         tboLongHintInMenuOnly = 0x008, tboNoAutoHint = 0x010, tboNoRotation = 0x020,
                         tboSameWidth = 0x040, tboShowHint = 0x080, tboToolbarStyle = 0x100, tboToolbarSize = 0x200;

using TTBItemStyle = uint16_t;
constexpr TTBItemStyle tbisSubmenu = 0x0001, tbisSelectable = 0x0002, tbisSeparator = 0x0004, tbisInlineGroup = 0x0008,
                       tbisClickThrough = 0x0010, tbisSplitDropdown = 0x0020, tbisNoAutoOpen = 0x0040,
                       tbisCarried = 0x0080, tbisNoLineBreakAfterWrap = 0x0100, tbisRightAlign = 0x0200,
                       tbisSkipOnSelectFirst = 0x0400, tbisRepaintOnSelect = 0x0800, tbisRepaintOnHover = 0x1000,
                       tbisStretch = 0x2000;

// A change handler: (Sender, Relayed, Kind, Index, Item). Handlers are known by a key (the
// listener's address), so one listener registers one handler.
using TTBItemChangedProc = std::function<void(TTBCustomItem* Sender, bool Relayed, TTBItemChangeKind Kind,
                                              Integer Index, TTBCustomItem* Item)>;

using TTBPopupEvent = std::function<void(TTBCustomItem* Sender, bool FromLink)>;
using TTBSelectEvent = std::function<void(TTBCustomItem* Sender, TTBItemViewer* Viewer, bool Selecting)>;

enum TTBPopupAlignment : uint8_t { tbpaLeft, tbpaRight, tbpaCenter };

struct TTBPopupPositionRec {
  bool PositionAsSubmenu = false;
  TTBPopupAlignment Alignment = tbpaLeft;
  bool Opposite = false;
  TRect MonitorRect;
  TRect ParentItemRect;
  Integer NCSizeX = 0, NCSizeY = 0;
  Integer X = 0, Y = 0, W = 0, H = 0;
  Byte AnimDir = 0;
  bool PlaySound = true;
};

// ---------------------------------------------------------------------------------------
// Items

class TTBCustomItem : public TComponent {
public:
  TTBCustomItem();
  ~TTBCustomItem() override;

  // Children.
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TTBCustomItem* Items(Integer Index) const;
  TTBCustomItem* Parent() const { return FParent; }
  // The parent takes the item. Raises "Toolbar item index out of range" for an index
  // outside 0..Count, "Toolbar item already inserted" for an item with a parent.
  TTBCustomItem* Insert(Integer NewIndex, std::unique_ptr<TTBCustomItem> AItem);
  TTBCustomItem* Add(std::unique_ptr<TTBCustomItem> AItem) { return Insert(Count(), std::move(AItem)); }
  template <class T>
  T* AddNew()
  {
    return static_cast<T*>(Add(std::make_unique<T>()));
  }
  // Takes child Index out and gives it back (not freed).
  std::unique_ptr<TTBCustomItem> Delete(Integer Index);
  std::unique_ptr<TTBCustomItem> Remove(TTBCustomItem* Item);
  Integer IndexOf(const TTBCustomItem* Item) const;
  void Move(Integer CurIndex, Integer NewIndex);
  void Clear();

  void RegisterNotification(const void* Key, TTBItemChangedProc Proc);
  void UnregisterNotification(const void* Key);

  // Finds and runs the item with the shortcut; true when handled.
  bool IsShortCut(Word Key, TShiftState Shift);
  std::string GetShortCutText() const;
  // Queues a click, delivered after the menus are gone.
  void PostClick();
  // The item whose children a popup of this item shows.
  TTBCustomItem* EffectiveItem() { return FLinkSubitems ? FLinkSubitems : this; }

  // Virtual operations.
  virtual void Change(bool NeedResize);
  virtual TTBPopupWindow* CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool PositionAsSubmenu,
                                      bool SelectFirstItem, bool Customizing, TPoint PopupPoint,
                                      TTBPopupAlignment Alignment);
  virtual void DoPopup(TTBCustomItem* Sender, bool FromLink);
  virtual void EnabledChanged() { Change(false); }
  virtual TTBView* GetChevronParentView() { return nullptr; }
  virtual std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel);
  // A token of the viewer class CreateViewer makes (views compare it).
  virtual const void* GetItemViewerClass(TTBView*) const;
  virtual void GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& PositionRec);
  virtual std::unique_ptr<TTBPopupWindow> CreatePopupWindow(TTBView* ParentView, TTBCustomItem* ItemToShow,
                                                            bool Customizing);
  virtual bool NeedToRecreateViewer(TTBItemViewer*) { return false; }
  virtual void Click();
  // Asks the action, if any, to update itself (and so this item).
  virtual void InitiateAction();

  // Properties.
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool v) { FAutoCheck = v; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v);
  bool Checked() const { return FChecked; }
  void SetChecked(bool v);
  TTBItemDisplayMode DisplayMode() const { return FDisplayMode; }
  void SetDisplayMode(TTBItemDisplayMode v);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);
  TTBItemOptions EffectiveOptions() const { return FEffectiveOptions; }
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer v);
  Integer HelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer v) { FHelpContext = v; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v) { FHint = v; }
  TImageIndex ImageIndex() const { return FImageIndex; }
  void SetImageIndex(TImageIndex v);
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* v);
  TTBItemStyle ItemStyle() const { return FItemStyle; }
  void SetItemStyle(TTBItemStyle v) { FItemStyle = v; }
  TTBItemOptions MaskOptions() const { return FMaskOptions; }
  void SetMaskOptions(TTBItemOptions v);
  TTBItemOptions Options() const { return FOptions; }
  void SetOptions(TTBItemOptions v);
  bool InheritOptions() const { return FInheritOptions; }
  void SetInheritOptions(bool v);
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut v) { FShortCut = v; }
  TCustomImageList* SubMenuImages() const { return FSubMenuImages; }
  void SetSubMenuImages(TCustomImageList* v);
  TTBCustomItem* LinkSubitems() const { return FLinkSubitems; }
  void SetLinkSubitems(TTBCustomItem* v);
  bool Visible() const { return FVisible; }
  void SetVisible(bool v);
  void SetName(const std::string& name) override;
  // For a root item: the control that shows it.
  TComponent* ParentComponent() const { return FParentComponent; }
  void SetParentComponent(TComponent* c) { FParentComponent = c; }

  // The action this item follows (none: the item stands alone). Assigning one takes its
  // caption, state, hint, image and shortcut, and keeps them following it while they still
  // equal the action's; clicking runs the action unless OnClick is set.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TTBCustomItemActionLink* ActionLink() const { return FActionLink.get(); }

  TNotifyEvent OnClick;
  TTBPopupEvent OnPopup;
  TTBSelectEvent OnSelect;

protected:
  // The link made when an action is assigned (edit items make their own kind).
  virtual std::unique_ptr<TTBCustomItemActionLink> CreateActionLink();
  // Takes the action's properties: all of them, or with CheckDefaults only those still at
  // their defaults.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Sends a change notification to this item's handlers (with relaying).
  void Notify(TTBItemChangeKind Kind, Integer Index, TTBCustomItem* Item);

private:
  struct TNotifyEntry {
    const void* Key;
    TTBItemChangedProc Proc;
    int Count;
  };
  void RelayNotify(TTBCustomItem* Originator, int Depth, TTBItemChangeKind Kind, Integer Index, TTBCustomItem* Item);
  void RecalcEffectiveOptions();
  void UncheckGroup();
  void ImageListChanged(bool SubMenu);
  bool FindShortCut(TShortCut S, TTBCustomItem*& TopItem, TTBCustomItem*& Found, int Depth);

  std::unique_ptr<TTBCustomItemActionLink> FActionLink;
  bool FAutoCheck = false;
  std::string FCaption;
  bool FChecked = false;
  TTBItemDisplayMode FDisplayMode = nbdmDefault;
  bool FEnabled = true;
  TTBItemOptions FEffectiveOptions = 0;
  Integer FGroupIndex = 0;
  Integer FHelpContext = 0;
  std::string FHint;
  TImageIndex FImageIndex = -1;
  TCustomImageList* FImages = nullptr;
  std::unique_ptr<TChangeLink> FImagesChangeLink;
  Integer FImagesWidth = -1, FImagesHeight = -1;
  std::vector<std::unique_ptr<TTBCustomItem>> FItems;
  TTBItemStyle FItemStyle = tbisSelectable | tbisRepaintOnSelect | tbisRepaintOnHover;
  std::unique_ptr<std::vector<TTBCustomItem*>> FLinkParents;
  TTBItemOptions FMaskOptions = 0;
  TTBItemOptions FOptions = 0;
  bool FInheritOptions = true;
  std::unique_ptr<std::vector<TNotifyEntry>> FNotifyList;
  TTBCustomItem* FParent = nullptr;
  TComponent* FParentComponent = nullptr;
  TShortCut FShortCut = 0;
  TCustomImageList* FSubMenuImages = nullptr;
  std::unique_ptr<TChangeLink> FSubMenuImagesChangeLink;
  Integer FSubMenuImagesWidth = -1, FSubMenuImagesHeight = -1;
  TTBCustomItem* FLinkSubitems = nullptr;
  bool FVisible = true;
};

// The invisible root of a toolbar or popup.
class TTBRootItem : public TTBCustomItem {};

class TTBSeparatorItem : public TTBCustomItem {
public:
  TTBSeparatorItem();
  bool Blank() const { return FBlank; }
  void SetBlank(bool v);
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView*) const override;

private:
  bool FBlank = false;
};

// Hosts a control on a toolbar; frees it with itself unless KeepControl.
class TTBControlItem : public TTBCustomItem {
public:
  TTBControlItem();
  explicit TTBControlItem(TControl* AControl);
  ~TTBControlItem() override;
  TControl* Control() const { return FControl; }
  void SetControl(TControl* v);
  bool KeepControl() const { return FKeepControl; }
  void SetKeepControl(bool v) { FKeepControl = v; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TControl* FControl = nullptr;
  bool FKeepControl = false;
};

// The link of an item to its action: a property is linked while the action is a
// TCustomAction and the item's value equals the action's; the action's changes reach the
// item only for linked properties.
class TTBCustomItemActionLink : public TActionLink {
public:
  explicit TTBCustomItemActionLink(TTBCustomItem* AClient) : FClient(AClient) {}
  TTBCustomItem* Client() const { return FClient; }
  bool IsAutoCheckLinked() override;
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  void SetAutoCheck(bool v) override;
  void SetCaption(const std::string& v) override;
  void SetChecked(bool v) override;
  void SetEnabled(bool v) override;
  void SetHelpContext(Integer v) override;
  void SetHint(const std::string& v) override;
  void SetImageIndex(TImageIndex v) override;
  void SetShortCut(TShortCut v) override;
  void SetVisible(bool v) override;

private:
  TTBCustomItem* FClient;
};

// Deferred clicks: runs every queued click now (the message loop does it otherwise).
int PendingClickCount();
// Queues a viewer's deferred accessibility action (Code not 0: execute), delivered like a
// click; items and viewers hold the queue while they live.
void PostViewerClick(TTBItemViewer* Viewer, WPARAM Code);
void AddClickQueueRef();
void ReleaseClickQueueRef(TObject* Obj);

// Accessibility objects (AccessibleItems): a view or viewer that goes tells its object, which then
// answers nothing more; the queue hands a viewer's deferred action over.
void TBAccClientDestroying(TTBCustomAccObject* AccObject);
void TBAccDeferredAction(TTBItemViewer* Viewer, WPARAM Code);

// ---------------------------------------------------------------------------------------
// Image list with state images

class TTBCustomImageList : public TCustomImageList {
public:
  TTBCustomImageList();
  TTBCustomImageList(Integer W, Integer H);
  ~TTBCustomImageList() override;
  TCustomImageList* CheckedImages() const { return FCheckedImages; }
  void SetCheckedImages(TCustomImageList* v) { SetCompanion(FCheckedImages, *FCheckedLink, v); }
  TCustomImageList* DisabledImages() const { return FDisabledImages; }
  void SetDisabledImages(TCustomImageList* v) { SetCompanion(FDisabledImages, *FDisabledLink, v); }
  TCustomImageList* HotImages() const { return FHotImages; }
  void SetHotImages(TCustomImageList* v) { SetCompanion(FHotImages, *FHotLink, v); }
  const TBitmap& ImagesBitmap() const { return *FImagesBitmap; }
  void SetImagesBitmap(const TBitmap& v);
  TColor ImagesBitmapMaskColor() const { return FImagesBitmapMaskColor; }
  void SetImagesBitmapMaskColor(TColor v);
  virtual void DrawState(TCanvas& Canvas, Integer X, Integer Y, Integer Index, bool Enabled, bool Selected,
                         bool Checked);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void SetCompanion(TCustomImageList*& field, TChangeLink& link, TCustomImageList* value);
  void Refill();
  TCustomImageList* FCheckedImages = nullptr;
  TCustomImageList* FDisabledImages = nullptr;
  TCustomImageList* FHotImages = nullptr;
  std::unique_ptr<TChangeLink> FCheckedLink, FDisabledLink, FHotLink;
  std::unique_ptr<TBitmap> FImagesBitmap;
  TColor FImagesBitmapMaskColor = clFuchsia;
};

class TTBImageList : public TTBCustomImageList {
public:
  using TTBCustomImageList::TTBCustomImageList;
};

// ---------------------------------------------------------------------------------------
// Item viewers

class TTBItemViewer : public TObject {
public:
  TTBItemViewer(TTBView* AView, TTBCustomItem* AItem, Integer AGroupLevel);
  ~TTBItemViewer() override;

  TRect BoundsRect;
  bool Show = false;
  bool OffEdge = false;
  bool Clipped = false;
  bool LineSep = false;
  bool PaintBuffered = false;
  Integer GroupLevel = 0;
  TTBCustomItem* Item() const { return FItem; }
  TTBView* View() const { return FView; }

  virtual void CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight);
  virtual bool DoExecute();
  virtual void DrawItemCaption(TCanvas& Canvas, TRect ARect, const std::string& ACaption, bool UseDisabledShadow,
                               uint32_t AFormat);
  virtual void Entering(TTBItemViewer* OldSelected);
  virtual Integer GetAccRole();
  // The accessibility value (the edit item's text); false: none.
  virtual bool GetAccValue(std::string& Value) { return false; }
  virtual std::string GetCaptionText();
  virtual void GetCursor(TPoint Pt, TCursor& ACursor) {}
  virtual bool IsToolbarSize();
  virtual bool IsPtInButtonPart(Integer X, Integer Y);
  virtual void KeyDown(Word& Key, TShiftState Shift) {}
  virtual void Leaving();
  virtual void LosingCapture();
  virtual void MouseDown(TShiftState Shift, Integer X, Integer Y, bool& MouseDownOnMenu);
  virtual void MouseMove(Integer X, Integer Y) {}
  virtual void MouseUp(Integer X, Integer Y, bool MouseWasDownOnMenu);
  virtual void MouseWheel(Integer WheelDelta, Integer X, Integer Y) {}
  virtual void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
                     bool UseDisabledShadow);
  virtual bool UsesSameWidth();
  virtual bool IsToolbarStyle();
  virtual bool CaptionShown();
  // Identifies the class (compared with TTBCustomItem::GetItemViewerClass).
  virtual const void* ViewerClass() const;

  bool ImageShown();
  TCustomImageList* GetImageList();
  bool IsRotated();
  std::string GetHint();
  void Execute(bool AGivePriority);
  // The accessibility object handed out for this viewer, if any (not owned).
  TTBCustomAccObject* AccObjectInstance = nullptr;

private:
  // Paint's steps (ItemViewers.cpp): what every step reads, then the frame, the caption, the
  // submenu arrow and the image in turn.
  struct TPaintParts;
  void PaintMenuSelection(TCanvas& Canvas, TPaintParts& P);
  void PaintToolbarFrame(TCanvas& Canvas, TPaintParts& P);
  void PaintCaption(TCanvas& Canvas, const TPaintParts& P);
  void PaintSubmenuArrow(TCanvas& Canvas, const TPaintParts& P);
  void PaintImage(TCanvas& Canvas, const TPaintParts& P);

  TTBView* FView;
  TTBCustomItem* FItem;
};

class TTBSeparatorItemViewer : public TTBItemViewer {
public:
  using TTBItemViewer::TTBItemViewer;
  void CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight) override;
  void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  bool UsesSameWidth() override { return false; }
  const void* ViewerClass() const override;
};

// ---------------------------------------------------------------------------------------
// Views

enum class TTBViewOrientation : uint8_t { voHorizontal, voVertical, voFloating };
using enum TTBViewOrientation;

enum class TTBDoneAction : uint8_t { tbdaNone, tbdaCancel, tbdaClickItem, tbdaOpenSystemMenu, tbdaHelpContext };
using enum TTBDoneAction;

enum TTBViewTimerID : uint8_t { tiOpen, tiClose, tiScrollUp, tiScrollDown };

// EnterToolbarLoop options.
using TTBEnterToolbarLoopOptions = uint8_t;
constexpr TTBEnterToolbarLoopOptions tbetMouseDown = 1, tbetExecuteSelected = 2, tbetFromMSAA = 4;

struct TTBMargins {
  Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TTBView : public TComponent {
public:
  TTBView(TTBView* AParentView, TTBCustomItem* AParentItem, TCustomControl* AWindow, bool AIsToolbar, bool ACustomizing,
          bool AUsePriorityList);
  ~TTBView() override;

  // Virtual operations.
  virtual void AutoSize(Integer AWidth, Integer AHeight) {}
  virtual void DoUpdatePositions(TPoint& ASize);
  virtual TTBCustomItem* GetChevronItem() { return nullptr; }
  virtual void GetMargins(TTBViewOrientation AOrientation, TTBMargins& Margins);
  virtual TTBCustomItem* GetTrailingGroup() { return nullptr; }
  virtual TTBCustomItem* GetLeadingGroup() { return nullptr; }
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual TFont& GetFont();
  virtual void InvalidatePositions();

  void BeginUpdate() { ++FUpdating; }
  void EndUpdate();
  void UpdatePositions();
  void ValidatePositions();
  void TryValidatePositions();
  void Invalidate(TTBItemViewer* AViewer);
  TTBItemViewer* Find(TTBCustomItem* Item);
  Integer IndexOf(const TTBItemViewer* AViewer) const;
  TTBItemViewer* ViewerFromPoint(TPoint P);
  TTBItemViewer* NextSelectable(TTBItemViewer* CurViewer, bool GoForward);
  TTBItemViewer* FirstSelectable();
  void Select(TTBItemViewer* Value, bool ViaMouse);
  void UpdateSelection(const TPoint* P, bool AllowNewSelection);
  void ExecuteSelected(bool AGivePriority);
  void GivePriority(TTBItemViewer* AViewer);
  bool OpenChildPopup(bool SelectFirstItem);
  void CloseChildPopups();
  void ScrollSelectedIntoView();
  void EnterToolbarLoop(TTBEnterToolbarLoopOptions Options);
  void EndModal();
  void EndModalWithClick(TTBItemViewer* AViewer);
  void EndModalWithHelp(Integer AContextID);
  void EndModalWithSystemMenu(Integer AKey);
  // The keyboard is in use: a view that hides accelerators until then shows them.
  void ShowAccels();
  void DrawSubitems(TCanvas& Canvas);
  void DrawItem(TTBItemViewer* Viewer, TCanvas& Canvas, bool Offscreen);
  void RecreateAllViewers();
  TTBView* GetRootView();
  TTBView* GetParentToolbarView();
  bool IsAncestorOf(const TTBView* AView) const;
  void InitiateActions();
  TTBItemViewer* FirstShownNonSeparator();
  // Appends the windowed controls of the control items gone past the edge: the chevron
  // popup takes them over while it shows.
  void GetControls(std::vector<TControl*>& List);
  // The control is away in this view's chevron popup (its toolbar keeps its item).
  bool ControlLent(const TControl* C) const;
  TTBItemViewer* FindAccelViewer(TTBItemViewer* Start, char C, bool& IsOnly, bool OnlyAccelerators);
  void HandleTimer(TTBViewTimerID Timer);
  void StartTimer(TTBViewTimerID Timer, Integer Interval);
  void StopTimer(TTBViewTimerID Timer);
  bool TimerRunning(TTBViewTimerID Timer) const { return (FActiveTimers & (1u << Timer)) != 0; }
  // The layout itself; ChangeViewers false leaves the viewers untouched (trial layouts).
  // Returns TotalSize; AnyChange tells whether a viewer moved, showed or hid.
  TPoint CalculatePositions(bool ChangeViewers, TTBViewOrientation AOrientation, Integer AWrapOffset,
                            Integer AChevronOffset, Integer AChevronSize, TPoint& ABaseSize, Integer& AWrappedLines,
                            bool* AnyChange = nullptr);

  // State.
  Integer ViewerCount() const { return static_cast<Integer>(FViewers.size()); }
  TTBItemViewer* Viewers(Integer I) const { return FViewers.at(static_cast<size_t>(I)).get(); }
  TTBViewOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TTBViewOrientation v);
  TCustomControl* Window() const { return FWindow; }
  TTBView* ParentView() const { return FParentView; }
  TTBCustomItem* ParentItem() const { return FParentItem; }
  TTBCustomItem* RootItem() const { return FCurParentItem; }
  TTBItemViewer* Selected() const { return FSelected; }
  bool SelectedViaMouse() const { return FSelectedViaMouse; }
  bool MouseOverSelected() const { return FMouseOverSelected; }
  bool Capture() const { return FCapture; }
  void SetCapture(bool v) { FCapture = v; }
  TTBItemViewer* OpenViewer() const { return FOpenViewer; }
  TTBView* OpenViewerView() const { return FOpenViewerView; }
  TTBPopupWindow* OpenViewerWindow() const { return FOpenViewerWindow.get(); }
  TTBView* ChevronParentView() const { return FChevronParentView; }
  void SetChevronParentView(TTBView* v) { FChevronParentView = v; }
  Integer ChevronOffset = 0, ChevronSize = 0, WrapOffset = 0;
  TPoint BaseSize;
  Integer WrappedLines = 0;
  Integer MaxHeight = 0;
  Integer ScrollOffset = 0;
  bool ShowUpArrow = false, ShowDownArrow = false;
  bool PositionsValid() const { return FValidated; }
  bool IsToolbar() const { return FIsToolbar; }
  void SetIsToolbar(bool v) { FIsToolbar = v; }
  bool Customizing() const { return FCustomizing; }
  bool UsePriorityList() const { return FUsePriorityList; }
  void SetUsePriorityList(bool v);
  // Style flags.
  bool MenuBar = false;
  bool HideAccelsUntilKeyboard = false;
  bool ShowHintsForAll = false;
  // Tracking flags.
  bool InModalLoop = false;
  bool MouseInWindow = false;
  bool DrawSelectedLast = false;
  bool OpenedOpposite = false;
  bool IgnoreNextMouseUp = false;
  bool AccelsVisible = false;
  bool MenuMode = false;
  bool ChildPopupJustClosed = false;
  TRect MonitorRect;
  TColor BackgroundColor = clNone;
  TTBDoneAction DoneAction() const { return FDoneActionData.Kind; }
  TTBCustomItem* DoneActionItem() const { return FDoneActionData.Item; }
  Integer DoneActionExtra() const { return FDoneActionData.Extra; }
  bool DoneActionFromPopup() const { return FDoneActionData.FromPopup; }
  void ClearDoneAction() { FDoneActionData = {}; }
  // For tests and themes: the priority list, most recent first.
  const std::vector<TTBItemViewer*>& PriorityList() const { return FPriorityList; }
  TCanvas& MeasureCanvas();
  // The accessibility object handed out for this view, if any (not owned).
  TTBCustomAccObject* AccObjectInstance = nullptr;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TTBPopupWindow;
  friend class TTBModalHandler;
  friend struct TTBMenuLoop;
  friend class TTBCustomItem;
  struct TDoneActionData {
    TTBDoneAction Kind = tbdaNone;
    TTBCustomItem* Item = nullptr;
    Integer Extra = 0;
    bool FromPopup = false;
  };
  void ItemNotification(TTBCustomItem* Sender, bool Relayed, TTBItemChangeKind Kind, Integer Index,
                        TTBCustomItem* Item);
  void ParentItemNotification(TTBCustomItem* Sender, bool Relayed, TTBItemChangeKind Kind, Integer Index,
                              TTBCustomItem* Item);
  void SetCurParentItem(TTBCustomItem* Value);
  void PlaceInPriorityList(Integer First, Integer Count);
  Integer InsertItemViewers(Integer NewIndex, TTBCustomItem* AItem, Integer AGroupLevel, bool AddToPriorityList,
                            bool TopOfPriorityList);
  void DeletingViewer(TTBItemViewer* Viewer);
  void FreeViewers();
  void RecreateItemViewer(Integer I);
  void CancelCapture();
  void SetDoneAction(TTBDoneAction Kind, TTBCustomItem* Item, Integer Extra);
  void ScrollOneStep(bool Down);
  // The layout's steps, on the work they share (Views.cpp).
  struct TLayoutPass;
  void LayoutVisibility(TLayoutPass& L);
  void LayoutMeasure(TLayoutPass& L);
  void LayoutChevronCut(TLayoutPass& L);
  void LayoutPlace(TLayoutPass& L);
  void LayoutFinishRow(TLayoutPass& L, Integer first, Integer lastIdx, bool lastRow);
  void LayoutScroll(TLayoutPass& L);
  void LayoutChevronAndRowBreaks(TLayoutPass& L);
  bool LayoutApply(TLayoutPass& L);
  void SelectPreviousByKey();
  void SelectNextByKey();

  TTBView* FParentView;
  TTBCustomItem* FParentItem;
  TTBCustomItem* FCurParentItem = nullptr;
  TCustomControl* FWindow;
  TTBViewOrientation FOrientation = voHorizontal;
  std::vector<std::unique_ptr<TTBItemViewer>> FViewers;
  Integer FInternalViewersAtFront = 0, FInternalViewersAtEnd = 0;
  std::vector<TTBItemViewer*> FPriorityList;
  TTBItemViewer* FSelected = nullptr;
  bool FSelectedViaMouse = false;
  bool FMouseOverSelected = false;
  bool FCapture = false;
  TTBItemViewer* FOpenViewer = nullptr;
  TTBView* FOpenViewerView = nullptr;
  std::unique_ptr<TTBPopupWindow> FOpenViewerWindow;
  TTBView* FChevronParentView = nullptr;
  std::vector<TControl*> FLentControls;
  bool FIsToolbar;
  bool FCustomizing;
  bool FUsePriorityList;
  Integer FUpdating = 0;
  bool FValidated = false;
  bool FInRelayout = false;
  bool FLoopRunning = false;
  uint8_t FActiveTimers = 0;
  TDoneActionData FDoneActionData;
  std::unique_ptr<TCanvas> FMeasureCanvas;
  std::unique_ptr<TBitmap> FMeasureBitmap;
};

// ---------------------------------------------------------------------------------------
// Popups

constexpr Cardinal TBM_POPUPNOTIFY = 0x62A;   // wParam: 1 about to animate, 2 animation ended, 3 shown
constexpr Integer tbMenuScrollArrowHeight = 19;

class TTBPopupView : public TTBView {
public:
  using TTBView::TTBView;
  void AutoSize(Integer AWidth, Integer AHeight) override;
  TFont& GetFont() override;
};

class TTBPopupWindow : public TPopupWindowControl {
public:
  TTBPopupWindow(TTBView* ParentView, TTBCustomItem* Item, bool Customizing);
  ~TTBPopupWindow() override;
  TTBPopupView* View() const { return FView.get(); }
  Byte AnimationDirection = 0;
  TPoint NonClientSize() const override;
  virtual TPoint GetNCSize() const { return {3, 3}; }
  virtual void PaintScrollArrows(TCanvas& Canvas);
  void WndProc(TMessage& Message) override;
  // Shows or hides the window as the popup rules say (animated where they allow).
  void SetPopupVisible(bool Value);
  // The selected viewer's hint, over its rectangle.
  bool GetHintInfo(TPoint ClientPos, std::string& Hint, TRect& HintArea) override;
  // A chevron popup shows the controls that went past its toolbar's edge in its own
  // window, and gives them back when it goes.
  void TakeControls(TTBView* From);
  void ReturnControls();

protected:
  void Paint() override;
  void PaintNonClient(TCanvas& Canvas) override;
  void CaptureLost() override;
  void ControlRemoved(TControl* Control) override;

private:
  std::unique_ptr<TTBPopupView> FView;
  TTBView* FLender = nullptr;
  std::vector<TControl*> FTaken;
};

// The mouse capture of a running menu loop.
class TTBModalHandler : public TObject {
public:
  explicit TTBModalHandler(TControl* Wnd);
  ~TTBModalHandler() override;
  TControl* Wnd() const { return FWnd; }

private:
  TControl* FWnd;
  std::unique_ptr<TCustomControl> FOwnWnd;
};

// Popup at a screen point for the children of Item (applications' popup menus).
std::unique_ptr<TTBPopupWindow> PopupItem(TTBCustomItem* Item, TPoint P, TTBPopupAlignment Alignment);
// A popup menu as a context menu shows: at P, its loop run until the user picks or leaves,
// the window gone afterwards (the chosen item's click comes after the loop).
void TrackPopupItem(TTBCustomItem* Item, TPoint P, TTBPopupAlignment Alignment);
