// Themed edit items: the edit item drawn by the theme, the drop-down item (an edit with a
// drop-down button and a popup of its own), and the combo box, whose popup is a string
// list with an item index, auto-completion of typed text and list events.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/StdCtrls.h"
#include "toolbar/EditItems.h"
#include "toolbar/ThemedItems.h"
#include "toolbar/ListItems.h"

class TTBXEditItem;
class TTBXEditItemViewer;
class TTBXComboBoxItem;

// The edit control of a themed edit item while it is edited: its text aligned as the item
// asks (the password mask and the read-only mode are the edit's own).
class TTBXEdit : public TTBEditControl {
public:
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);

protected:
  Integer TextLeft(const std::string& Shown) const override;

private:
  TAlignment FAlignment = taLeftJustify;
};

// Sender, the new text.
using TTBXEditChange = std::function<void(TTBXEditItem* Sender, const std::string& Text)>;

class TTBXEditItem : public TTBEditItem {
public:
  TTBXEditItem();

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  TFontSettings& FontSettings() { return *FFontSettings; }
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char v);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  // Whether the item's image shows inside the edit frame.
  bool ShowImage() const { return FShowImage; }
  void SetShowImage(bool v);
  // The text of the edit changed (while typing, or set by the item itself).
  TTBXEditChange OnChange;

  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView* AView) const override;
  std::unique_ptr<TTBPopupWindow> CreatePopupWindow(TTBView* ParentView, TTBCustomItem* ItemToShow,
                                                    bool Customizing) override;
  void DoBeginEdit(TTBEditItemViewer* Viewer) override;
  // The edit's text changed; Edit is the control, or none when the item set the text.
  virtual void HandleEditChange(TTBEditControl* Edit);
  // The image shown inside the frame.
  virtual Integer GetImageIndex() { return ImageIndex(); }

private:
  TAlignment FAlignment = taLeftJustify;
  std::unique_ptr<TFontSettings> FFontSettings;
  char FPasswordChar = 0;
  bool FReadOnly = false;
  bool FShowImage = false;
};

// An edit item with a drop-down button whose children open as a popup.
class TTBXCustomDropDownItem : public TTBXEditItem {
public:
  TTBXCustomDropDownItem();
  // Opening the popup selects its first item.
  bool AlwaysSelectFirst() const { return FAlwaysSelectFirst; }
  void SetAlwaysSelectFirst(bool v) { FAlwaysSelectFirst = v; }
  // The item cannot be typed into; the whole item opens the popup.
  bool DropDownList() const { return FDropDownList; }
  void SetDropDownList(bool v);

  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView* AView) const override;
  TTBPopupWindow* CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool PositionAsSubmenu,
                              bool SelectFirstItem, bool Customizing, TPoint PopupPoint,
                              TTBPopupAlignment Alignment) override;

private:
  bool FAlwaysSelectFirst = true;
  bool FDropDownList = false;
};

class TTBXDropDownItem : public TTBXCustomDropDownItem {};

// Sender, the text, the entry index (-1), var the image index.
using TTBXCAdjustImageIndex =
    std::function<void(TTBXComboBoxItem* Sender, const std::string& AText, Integer AIndex, Integer& ImageIndex)>;

// The combo box: a drop-down item whose popup is a string list. ItemIndex follows the list;
// setting it from code sets Text to that entry and fires OnChange, never OnItemClick; a
// pick from the list (a click, or Enter on the open list) fires OnItemClick. Keys on the
// open list select as they move; Escape there puts back the entry the list opened with.
class TTBXComboBoxItem : public TTBXCustomDropDownItem {
public:
  TTBXComboBoxItem();
  ~TTBXComboBoxItem() override;

  // The selected entry; -1 for none, also when the list holds an index beyond its strings.
  Integer ItemIndex() const;
  // Stores the index in the list (negative: -1; beyond the strings it is kept, and Text
  // stays); an index within the strings sets Text to that entry and fires OnChange.
  void SetItemIndex(Integer Value);
  bool AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(bool v) { FAutoComplete = v; }

  // Stored in the list.
  const std::vector<std::string>& Strings() const;
  void SetStrings(const std::vector<std::string>& v);
  Integer MaxVisibleItems() const;
  void SetMaxVisibleItems(Integer v);
  Integer MaxListWidth() const;
  void SetMaxListWidth(Integer v);
  Integer MinListWidth() const;
  void SetMinListWidth(Integer v);
  bool ShowListImages() const;
  void SetShowListImages(bool v);
  void SetOnClearItem(TTBXLPaintEvent v);
  void SetOnDrawItem(TTBXLPaintEvent v);
  void SetOnMeasureHeight(TTBXLMeasureHeight v);
  void SetOnMeasureWidth(TTBXLMeasureWidth v);
  // The list itself (none once it has been taken away).
  TTBXStringList* List() const { return FList; }

  TTBXCAdjustImageIndex OnAdjustImageIndex;
  TNotifyEvent OnItemClick;

  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  const void* GetItemViewerClass(TTBView* AView) const override;
  void DoPopup(TTBCustomItem* Sender, bool FromLink) override;
  void DoBeginEdit(TTBEditItemViewer* Viewer) override;
  void HandleEditChange(TTBEditControl* Edit) override;
  Integer GetImageIndex() override;
  // Shows S in the edit without completing it (OnChange still hears of it).
  void SetEditTextQuietly(TTBEditControl* Edit, const std::string& S);
  // The busy flag: raised while the combo itself changes the list or the text, so that
  // the changes it causes do not complete the text again.
  bool Busy() const { return FBusy; }

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  class TBusy;
  void ListChange();
  void ListClick();
  Integer IndexOfText(const std::string& S) const;
  TTBXStringList* FList = nullptr;
  bool FAutoComplete = true;
  bool FBusy = false;
  std::string FLastEditText;
  Integer FIndexAtPopup = -1;   // what Escape on the open list goes back to
  Integer FCachedImageIndex = -1;
  bool FCachedImageIndexValid = false;
};

// ---------------------------------------------------------------------------------------
// Viewers

class TTBXEditItemViewer : public TTBEditItemViewer {
public:
  using TTBEditItemViewer::TTBEditItemViewer;

  void CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight) override;
  Integer GetAccRole() override;
  bool IsToolbarSize() override;
  bool IsToolbarStyle() override;
  void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  const void* ViewerClass() const override;
  std::unique_ptr<TTBEditControl> CreateEditControl() override;
  TRect GetEditControlRect() override;

  virtual void GetItemInfo(TCanvas& Canvas, TTBXItemInfo& ItemInfo, bool IsPushed, bool IsSelected);
  virtual void GetEditInfo(TTBXEditFrameInfo& EditInfo, const TTBXItemInfo& ItemInfo);
  virtual Integer GetIndentBefore();
  virtual Integer GetIndentAfter();
  bool ShowImage();
  // The edit's text changed: the item hears of it.
  void EditChanged();

protected:
  TTBXEditItem* XItem() const { return static_cast<TTBXEditItem*>(Item()); }
  // The frame, in the viewer's own coordinates (the menu caption left of it).
  TRect GetFrameRect();
  Integer PopupMargin(TCanvas& Canvas);
};

class TTBXDropDownItemViewer : public TTBXEditItemViewer {
public:
  using TTBXEditItemViewer::TTBXEditItemViewer;

  Integer GetAccRole() override;
  void GetCursor(TPoint Pt, TCursor& ACursor) override;
  void GetEditInfo(TTBXEditFrameInfo& EditInfo, const TTBXItemInfo& ItemInfo) override;
  Integer GetIndentAfter() override;
  bool HandleEditMessage(const TInputEvent& Ev) override;
  bool IsPtInButtonPart(Integer X, Integer Y) override;
  bool DoExecute() override;
  void MouseDown(TShiftState Shift, Integer X, Integer Y, bool& MouseDownOnMenu) override;
  void MouseUp(Integer X, Integer Y, bool MouseWasDownOnMenu) override;
  const void* ViewerClass() const override;

protected:
  bool IsDropDownList() const;
};

class TTBXComboBoxItemViewer : public TTBXDropDownItemViewer {
public:
  using TTBXDropDownItemViewer::TTBXDropDownItemViewer;
  bool HandleEditMessage(const TInputEvent& Ev) override;
  const void* ViewerClass() const override;
};

// The popup of an edit item: a list popup when its only child is a list, else a tool box.
class TTBXEditPopupWindow : public TTBXPopupWindow {
public:
  using TTBXPopupWindow::TTBXPopupWindow;
  Integer ViewType() const override;
};
