// Input controls in the classic look, drawn on our own canvas: single-line edit, memo,
// check box, radio button, list box and drop-down list. They are tab stops, take the
// focus when clicked, and report user changes through OnChange (setting a value from code
// does not fire it). Text is 8-bit in the system code page.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

// The system's vertical scroll bar width (and horizontal scroll bar height).
constexpr Integer VScrollBarWidth = 16;

enum class TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// A focusable control with key events and a sunken 2-pixel frame (Bordered).
class TInputControl : public TCustomControl {
public:
  TInputControl();
  TEventSlot<TKeyEvent> OnKeyDown;
  TEventSlot<TKeyPressEvent> OnKeyPress;
  // The user changed the contents.
  TEventSlot<TNotifyEvent> OnChange;
  bool Bordered() const { return FBordered; }
  void SetBordered(bool v);
  TPoint NonClientSize() const override { return FBordered ? TPoint{2, 2} : TPoint{0, 0}; }

protected:
  void PaintNonClient(TCanvas& canvas) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoEnter() override;
  void DoExit() override;
  void Changed();
  // Height of a line of text in the control's font.
  Integer LineHeight() const;

private:
  bool FBordered = true;
};

// How an edit shows letters as they are typed or set.
enum class TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };
using enum TEditCharCase;
// Text in the case asked for (ASCII and Windows-1252 letters).
std::string ApplyCharCase(const std::string& text, TEditCharCase charCase);

// A one-line text box as any desktop has: a caret and a selection that the keyboard (Shift
// with the arrows, Home and End; Ctrl+A), a double click (a word) and a drag of the mouse
// make; typing replaces the selection; Ctrl+C, Ctrl+X and Ctrl+V reach the clipboard. Taking
// the focus by Tab selects all of it, as a dialog's text boxes do.
class TEdit : public TInputControl {
public:
  TEdit();
  const std::string& Text() const { return FText; }
  // From code: no OnChange, and MaxLength (a limit to typing) does not cut it; the caret
  // stays where it was as far as the new text reaches, nothing selected.
  void SetText(const std::string& text);
  // 0: no limit.
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer n);
  TEditCharCase CharCase() const { return FCharCase; }
  // Applies the case to the text at once.
  void SetCharCase(TEditCharCase c);
  // Shown for every character when not 0.
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char c)
  {
    FPasswordChar = c;
    Invalidate();
  }
  // The caret moves and text may be selected and copied, but nothing changes it.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool v) { FReadOnly = v; }
  // The selection: where it starts and how many characters it holds (0: the caret alone,
  // at SelStart). SetSelStart collapses the selection there; SetSelLength selects from
  // SelStart on, leaving the caret at its end.
  Integer SelStart() const { return std::min(FAnchor, FCaret); }
  void SetSelStart(Integer p);
  Integer SelLength() const { return std::abs(FCaret - FAnchor); }
  // Where the caret stands: at one end of the selection, the end the user moved last.
  Integer CaretPosition() const { return FCaret; }
  void SetSelLength(Integer n);
  // Selects from start, length characters on (clamped).
  void SetSel(Integer start, Integer length);
  void SelectAll() { SetSel(0, static_cast<Integer>(FText.size())); }
  std::string SelText() const;
  // Replaces the selection as typing does (MaxLength and CharCase apply), with OnChange.
  void SetSelText(const std::string& text);
  // Makes the height fit the font.
  void AdjustHeight();
  // Where the character at Index stands in the client area, as the box shows it now (at
  // the end: the caret's place after the last one).
  TRect CharBounds(Integer Index) const;

protected:
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void FocusedByTab() override { SelectAll(); }
  // What the box shows, a character for each of the text's (masks for a password).
  virtual std::string DisplayText() const;
  // Where the shown text starts in the client area, before scrolling.
  virtual Integer TextLeft(const std::string& shown) const { return 1; }
  // Where the text's line starts from the top of the client area.
  virtual Integer TextTop() const;
  // The width of a text in the control's font.
  Integer TextWidth(const std::string& s) const;

private:
  // The caret to p, the selection's other end staying when extending.
  void MoveCaret(Integer p, bool extend);
  // Tells readers where the caret went, and the selection when there was or is one.
  void AnnounceCaret(bool selectedBefore);
  // Delete and Backspace: the selection, else the character after (before) the caret.
  void DeleteFromCaret(bool forward);
  // The character boundary nearest to a point of the client area.
  Integer PositionAt(Integer x) const;
  // Clipboard keys (Ctrl+C, X, V and A); true when the key was one.
  bool ClipboardKey(Word key);
  std::string FText;
  Integer FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  char FPasswordChar = 0;
  bool FReadOnly = false;
  Integer FAnchor = 0, FCaret = 0;
  Integer FScroll = 0;       // pixels of text scrolled out at the left
  bool FSelecting = false;   // the left button went down in the box and is held
};

class TMemo : public TInputControl {
public:
  TMemo();
  // The text with CR LF between lines.
  const std::string& Text() const { return FText; }
  // Sets the text and puts the caret at the start.
  void SetText(const std::string& text);
  // The lines as shown: the text's own lines, wrapped to the width when WordWrap is on.
  std::vector<std::string> Lines() const;
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v)
  {
    FWordWrap = v;
    Invalidate();
  }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle s)
  {
    FScrollBars = s;
    Invalidate();
  }
  Integer SelStart() const { return FCaret; }
  void SetSelStart(Integer p);
  Integer TopLine() const { return FTopLine; }
  // The area the text is drawn in (client less the scroll bars).
  TRect TextRect() const;

protected:
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  bool DoMouseWheel(TShiftState shift, Integer delta, TPoint mousePos) override;

private:
  struct TLine {
    Integer Start = 0, Length = 0;   // in FText
  };
  std::vector<TLine> Layout() const;
  Integer LineOfCaret(const std::vector<TLine>& lines) const;
  void ScrollToCaret();
  void Insert(const std::string& s);
  std::string FText;
  bool FWordWrap = true;
  TScrollStyle FScrollBars = TScrollStyle::ssNone;
  Integer FCaret = 0;
  Integer FTopLine = 0;
};

// A check box or radio button: a mark at the left and an optional caption; space clicks it.
class TMarkControl : public TCustomControl {
public:
  TMarkControl();
  bool Checked() const { return FChecked; }
  virtual void SetChecked(bool v);
  TEventSlot<TKeyEvent> OnKeyDown;

protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void DoEnter() override;
  void DoExit() override;
  void PaintCaption(TCanvas& canvas);
  // The box or circle at the left, centred.
  TRect MarkRect() const;

private:
  bool FChecked = false;
};

class TCheckBox : public TMarkControl {
public:
  TCheckBox();
  // The user toggles it (click or space), then OnClick.
  void Toggle();

protected:
  void Paint() override;
  void Click() override;
};

class TRadioButton : public TMarkControl {
public:
  TRadioButton();
  // Checking one unchecks the other radio buttons of the same parent.
  void SetChecked(bool v) override;

protected:
  void Paint() override;
  void Click() override;
};

class TListBox : public TInputControl {
public:
  TListBox();
  std::vector<std::string>& Items() { return FItems; }
  const std::vector<std::string>& Items() const { return FItems; }
  // Call after changing Items: selection and scrolling follow the new count.
  void ItemsChanged();
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  // -1: none.
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer i);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool v) { FMultiSelect = v; }
  bool ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(bool v) { FExtendedSelect = v; }
  bool Selected(Integer i) const;
  void SetSelected(Integer i, bool v);
  void ClearSelection();
  Integer TopIndex() const { return FTopIndex; }
  void SetTopIndex(Integer i);
  Integer ItemHeight() const { return LineHeight(); }
  // Whole rows the client area shows.
  Integer VisibleRows() const;
  bool ScrollBarShown() const { return Count() > VisibleRows(); }

protected:
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  bool DoMouseWheel(TShiftState shift, Integer delta, TPoint mousePos) override;

private:
  void MoveTo(Integer i, TShiftState shift);
  void MakeVisible(Integer i);
  std::vector<std::string> FItems;
  std::vector<bool> FSelected;
  Integer FItemIndex = -1;
  Integer FAnchor = -1;
  Integer FTopIndex = 0;
  bool FMultiSelect = false;
  bool FExtendedSelect = true;
};

class TComboPopup;

// A drop-down list: the box shows the chosen item; the button or Alt+Down opens the list.
class TComboBox : public TInputControl {
public:
  TComboBox();
  ~TComboBox() override;
  std::vector<std::string>& Items() { return FItems; }
  const std::vector<std::string>& Items() const { return FItems; }
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer i);
  // The chosen item's text, empty with none.
  std::string Text() const;
  // Picks item i as the user's pick in the list does: OnChange fires when the choice changes.
  void ChooseItem(Integer i) { Choose(i); }
  // The window of the list while it has been made (it shows while DroppedDown), else none.
  TControl* ListWindow() const;
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  // Makes the height fit the font.
  void AdjustHeight();

protected:
  void Paint() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void DoExit() override;

private:
  friend class TComboPopup;
  void Choose(Integer i);
  std::vector<std::string> FItems;
  Integer FItemIndex = -1;
  std::unique_ptr<TComboPopup> FPopup;
  int FFilter = 0;
};

// Draws a classic scroll bar in r (vertical or horizontal) for a position within a range.
void DrawScrollBar(TCanvas& canvas, const TRect& r, bool vertical, Integer pos, Integer range, Integer page);
