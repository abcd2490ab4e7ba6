// The edit item: a one-line text box in a toolbar or menu. Its viewer paints the box; only
// while the user edits does a real edit control lie over it, with a loop of its own that
// ends on Enter, Tab, Escape, Alt or a click elsewhere.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/FormCtrls.h"
#include "toolbar/Items.h"

using TTBEditItemOptions = uint8_t;
constexpr TTBEditItemOptions tboUseEditWhenVertical = 0x01;

class TTBEditItem;
class TTBEditItemViewer;

// The edit control that lies over an edit item's box while it is edited: a text box
// without a frame of its own, outside every Tab walk (the item's loop has the keys).
// Setting its text from code puts the caret at the end and tells OnChange of a change.
class TTBEditControl : public TEdit {
public:
  TTBEditControl();
  void SetText(const std::string& v);
};

// Sender, var NewText, var Accept.
using TTBAcceptTextEvent = std::function<void(TObject* Sender, std::string& NewText, bool& Accept)>;
using TTBBeginEditEvent =
    std::function<void(TTBEditItem* Sender, TTBEditItemViewer* Viewer, TTBEditControl* EditControl)>;

// An action for edit items: besides an action's properties, the edit box's label, options,
// width, text and the acceptance of typed text.
class TTBEditAction : public TCustomAction {
public:
  const std::string& EditCaption() const { return FEditCaption; }
  void SetEditCaption(const std::string& v);
  TTBEditItemOptions EditOptions() const { return FEditOptions; }
  void SetEditOptions(TTBEditItemOptions v);
  Integer EditWidth() const { return FEditWidth; }
  void SetEditWidth(Integer v);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& v);
  // Asked for text typed into an edit item that has no OnAcceptText of its own.
  TTBAcceptTextEvent OnAcceptText;

private:
  template <class F>
  void ForLinks(F f);
  std::string FEditCaption;
  TTBEditItemOptions FEditOptions = 0;
  Integer FEditWidth = 64;
  std::string FText;
};

class TTBEditItem : public TTBCustomItem {
public:
  TTBEditItem();

  const std::string& EditCaption() const { return FEditCaption; }
  void SetEditCaption(const std::string& v);
  TTBEditItemOptions EditOptions() const { return FEditOptions; }
  void SetEditOptions(TTBEditItemOptions v);
  Integer EditWidth() const { return FEditWidth; }
  void SetEditWidth(Integer v);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer v);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase v);
  const std::string& Text() const { return FText; }
  void SetText(const std::string& v);

  TTBAcceptTextEvent OnAcceptText;
  TTBBeginEditEvent OnBeginEdit;

  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  // The edit viewer, except in a vertical view without tboUseEditWhenVertical, where a
  // plain button stands in.
  const void* GetItemViewerClass(TTBView* AView) const override;
  bool NeedToRecreateViewer(TTBItemViewer* AViewer) override;
  // The edit control is made and about to show: OnBeginEdit.
  virtual void DoBeginEdit(TTBEditItemViewer* Viewer);
  // Typed text about to be stored: OnAcceptText, or, without one, the edit action's.
  void DoAcceptText(std::string& NewText, bool& Accept);

protected:
  std::unique_ptr<TTBCustomItemActionLink> CreateActionLink() override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

private:
  std::string FEditCaption;
  TTBEditItemOptions FEditOptions = 0;
  Integer FEditWidth = 64;
  Integer FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  std::string FText;
};

// The link of an edit item to an edit action: the edit properties follow the action too
// while they equal its values.
class TTBEditItemActionLink : public TTBCustomItemActionLink {
public:
  explicit TTBEditItemActionLink(TTBEditItem* AClient) : TTBCustomItemActionLink(AClient), FEdit(AClient) {}
  bool IsEditCaptionLinked();
  bool IsEditOptionsLinked();
  bool IsEditWidthLinked();
  bool IsTextLinked();
  void SetEditCaption(const std::string& v);
  void SetEditOptions(TTBEditItemOptions v);
  void SetEditWidth(Integer v);
  void SetText(const std::string& v);

private:
  TTBEditAction* EditAction() const { return dynamic_cast<TTBEditAction*>(Action()); }
  TTBEditItem* FEdit;
};

class TTBEditItemViewer : public TTBItemViewer {
public:
  using TTBItemViewer::TTBItemViewer;
  ~TTBEditItemViewer() override;

  void CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight) override;
  bool DoExecute() override;
  Integer GetAccRole() override;
  bool GetAccValue(std::string& Value) override;
  std::string GetCaptionText() override;
  void GetCursor(TPoint Pt, TCursor& ACursor) override;
  void MouseDown(TShiftState Shift, Integer X, Integer Y, bool& MouseDownOnMenu) override;
  void MouseUp(Integer X, Integer Y, bool MouseWasDownOnMenu) override;
  void Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  const void* ViewerClass() const override;

  // The edit control's class, and where it lies (client coordinates of the view's window).
  virtual std::unique_ptr<TTBEditControl> CreateEditControl();
  virtual TRect GetEditControlRect();

  // Sees every input event of the edit first; true consumes it.
  virtual bool HandleEditMessage(const TInputEvent& Ev) { return false; }

  // The control while editing, else none.
  TTBEditControl* EditControl() const { return FEditControl.get(); }
  bool Editing() const { return FEditControl != nullptr; }

protected:
  TTBEditItem* EditItem() const { return static_cast<TTBEditItem*>(Item()); }
  // A label is drawn left of the box: a menu with an EditCaption.
  bool ShowsEditCaption();
  Integer EditCaptionWidth();

private:
  // Edit status flags.
  static constexpr uint8_t esContinue = 1, esAccept = 2, esClose = 4;
  void AcceptText(const std::string& NewText);
  // Runs the edit loop; gives the status it ended with and whether Shift was held.
  uint8_t EditLoop(bool& ShiftHeld);
  // EditLoop's steps: the control made and shown over R, one edit's input and state, and
  // the end that puts the focus, capture and cursor back and replays a press that ended it.
  void ShowEditControl(const TRect& R, TCustomControl* Window);
  class TEditSession;
  void EndEdit(TEditSession& Session);
  std::unique_ptr<TTBEditControl> FEditControl;
  bool FPressedOnBox = false;
};
