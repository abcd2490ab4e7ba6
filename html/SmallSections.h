// Small sections of their own: a forced page break for printing, the horizontal rule of an
// HR tag, and preformatted text whose lines never wrap; and the form controls.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/Document.h"
#include "platform/FormCtrls.h"

// Ends the printed page where it stands; draws nothing.
class TPage : public TSectionBase {
public:
  using TSectionBase::TSectionBase;
  TPage(TSectionList* AMasterList, const TPage& T) : TSectionBase(AMasterList, T) {}
  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
               int32_t YRef) override;
};

// A horizontal rule: solid in its colour, or etched when it has none.
class THorzLine : public TSectionBase {
public:
  // Reads COLOR, NOSHADE, SIZE, ALIGN and WIDTH; writes width, height and colour back into
  // Prop for the block that holds the rule.
  THorzLine(TSectionList* AMasterList, TAttributeList* L, TProperties& Prop);
  THorzLine(TSectionList* AMasterList, const THorzLine& T);

  int32_t VSize = 2;
  TColor Color = NoColor;
  int32_t Align = 2;   // 1 left, 2 centre, 3 right
  bool NoShade = false;
  int32_t Indent = 0;
  int32_t Width = 0;

  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;
  int32_t Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
               int32_t YRef) override;
};

// A line of preformatted text: laid out without wrapping.
class TPreFormated : public TSection {
public:
  using TSection::TSection;
  TPreFormated(TSectionList* AMasterList, const TPreFormated& T);

  void Finish() override;
  bool IsPreformatted() const override { return true; }
  std::unique_ptr<TSectionBase> CreateCopy(TSectionList* AMasterList) const override;
  void MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max) override;
  int32_t Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                 int32_t& MaxWidth, int32_t& Curs) override;

private:
  int32_t FullWidth = -1;   // width of the whole text, measured once
};

// ---- form controls ----
// Every control of a form lives on the viewer's paint panel, out of sight until placed; the
// printing copy of the document draws pictures of them instead.

class TFormCheckBox : public TCheckBox {};

// A radio button that knows its group (the control's name).
class TFormRadioButton : public TRadioButton {
public:
  std::string GroupName;
};

// An INPUT, SELECT or TEXTAREA element (Sy) added to Section at its end: the control joins
// the open form (one without attributes is opened when none is), the document's control
// list, its tab order and its name list. A hidden input takes no character; an image input
// stands in the text as its image. Returns the control (owned by its form).
TFormControlObj* AddFormControl(TSection& Section, ThtmlForm*& CurrentForm, THtmlSymbol Sy, TAttributeList& L,
                                TProperties& Prop, int32_t TagIndex);

class THiddenFormControlObj : public TFormControlObj {
public:
  THiddenFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  bool IsHidden() const override { return true; }
  bool GetSubmission(int32_t Index, std::string& S) override;
  void SetData(int32_t Index, const std::string& V) override { Value = V; }
};

class TEditFormControlObj : public TFormControlObj {
public:
  TEditFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  int32_t EditSize = 15;
  std::string EnterContents;
  TEdit* Edit() const { return static_cast<TEdit*>(TheControl.get()); }
  void SetHeightWidth(TCanvas& Canvas) override;
  void Draw(TCanvas& Canvas, int32_t X1, int32_t Y1) override;
  void ResetToValue() override;
  bool GetSubmission(int32_t Index, std::string& S) override;
  void SetData(int32_t Index, const std::string& V) override;
  void SaveContents() override { EnterContents = Edit()->Text(); }
  void DoOnChange() override;
  std::string GetSaveData() const override { return Edit()->Text(); }
  void RestoreData(const std::string& Data) override { Edit()->SetText(Data); }
};

class TButtonFormControlObj : public TFormControlObj {
public:
  TButtonFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  int32_t Which = 0;   // 0 submit, 1 reset, 2 button
  void SetHeightWidth(TCanvas& Canvas) override;
  void Draw(TCanvas& Canvas, int32_t X1, int32_t Y1) override;
  void ButtonClick();
};

class TCheckBoxFormControlObj : public TFormControlObj {
public:
  TCheckBoxFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  bool IsChecked = false, WasChecked = false;
  TFormCheckBox* Box() const { return static_cast<TFormCheckBox*>(TheControl.get()); }
  bool IsRadioOrCheck() const override { return true; }
  void SetHeightWidth(TCanvas& Canvas) override;
  void Draw(TCanvas& Canvas, int32_t X1, int32_t Y1) override;
  void ResetToValue() override { Box()->SetChecked(IsChecked); }
  bool GetSubmission(int32_t Index, std::string& S) override;
  void SetDataInit() override { Box()->SetChecked(false); }
  void SetData(int32_t Index, const std::string& V) override;
  void SaveContents() override { WasChecked = Box()->Checked(); }
  void DoOnChange() override;
  std::string GetSaveData() const override { return Box()->Checked() ? "1" : "0"; }
  void RestoreData(const std::string& Data) override { Box()->SetChecked(Data == "1"); }
};

class TRadioButtonFormControlObj : public TFormControlObj {
public:
  TRadioButtonFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  ~TRadioButtonFormControlObj() override;
  bool IsChecked = false, WasChecked = false;
  std::unique_ptr<TFormRadioButton> RButton;   // on the borderless panel TheControl
  TWinControl* GetControl() const override { return RButton.get(); }
  bool Focused() const override { return RButton->Focused() || Active; }
  bool IsRadioOrCheck() const override { return true; }
  bool Checked() const { return RButton->Checked(); }
  void SetChecked(bool V) { RButton->SetChecked(V); }
  void SetHeightWidth(TCanvas& Canvas) override;
  void Draw(TCanvas& Canvas, int32_t X1, int32_t Y1) override;
  void ResetToValue() override { SetChecked(IsChecked); }
  bool GetSubmission(int32_t Index, std::string& S) override;
  void SetDataInit() override { SetChecked(false); }
  void SetData(int32_t Index, const std::string& V) override;
  void SaveContents() override { WasChecked = Checked(); }
  void DoOnChange() override;
  std::string GetSaveData() const override { return Checked() ? "1" : "0"; }
  void RestoreData(const std::string& Data) override { SetChecked(Data == "1"); }
};

class TImageFormControlObj : public TFormControlObj {
public:
  TImageFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  int32_t XPos = -1, YPos = -1;   // -1 until clicked
  TImageObj* MyImage = nullptr;   // the image that stands for it in the text
  int32_t DocumentPos() const override;
  void ProcessProperties(TProperties& Prop) override;
  void SetImagePoint(int32_t IX, int32_t IY) override;
  void ImageClick() override;
  bool GetSubmission(int32_t Index, std::string& S) override;

private:
  int32_t FClickX = -1, FClickY = -1;
};

struct TOptionObj {
  std::string Caption, Value;
  bool Selected = false;
};

class TListBoxFormControlObj : public TFormControlObj {
public:
  TListBoxFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L, TProperties& Prop);
  std::vector<TOptionObj> TheOptions;
  int32_t LBSize = -1;   // -1 when SIZE is not given
  int32_t Longest = 3;
  TFont TheFont;
  int32_t EnterIndex = 0;
  std::array<bool, 51> EnterSelected{};
  // An OPTION: its caption (in the control's code page), value and selected flag.
  void AddStr(const std::string& Caption, const std::string& AValue, bool Selected);
  TListBox* List() const { return static_cast<TListBox*>(TheControl.get()); }
  void SetHeightWidth(TCanvas& Canvas) override;
  void Draw(TCanvas& Canvas, int32_t X1, int32_t Y1) override;
  void ResetToValue() override;
  bool GetSubmission(int32_t Index, std::string& S) override;
  void SetData(int32_t Index, const std::string& V) override;
  void SaveContents() override;
  void DoOnChange() override;
  std::string GetSaveData() const override;
  void RestoreData(const std::string& Data) override;

protected:
  // For the drop-down list, which replaces the list box.
  struct TNoList {};
  TListBoxFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L, TProperties& Prop, TNoList);
};

class TComboFormControlObj : public TListBoxFormControlObj {
public:
  TComboFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L, TProperties& Prop);
  TComboBox* Combo() const { return static_cast<TComboBox*>(TheControl.get()); }
  void SetHeightWidth(TCanvas& Canvas) override;
  void Draw(TCanvas& Canvas, int32_t X1, int32_t Y1) override;
  void ResetToValue() override;
  bool GetSubmission(int32_t Index, std::string& S) override;
  void SetData(int32_t Index, const std::string& V) override;
  void SaveContents() override { EnterIndex = Combo()->ItemIndex(); }
  void DoOnChange() override;
  std::string GetSaveData() const override { return std::to_string(Combo()->ItemIndex()); }
  void RestoreData(const std::string& Data) override;
};

class TTextAreaFormControlObj : public TFormControlObj {
public:
  TTextAreaFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L);
  int32_t Rows = 5, Cols = 30;
  int32_t Wrap = 1;   // 0 off, 1 soft, 2 hard
  std::string TheText;
  std::string EnterContents;
  // The element's text, CR LF between lines.
  void AddStr(const std::string& S) { TheText += S; }
  TMemo* Memo() const { return static_cast<TMemo*>(TheControl.get()); }
  void SetHeightWidth(TCanvas& Canvas) override;
  void Draw(TCanvas& Canvas, int32_t X1, int32_t Y1) override;
  void ResetToValue() override;
  bool GetSubmission(int32_t Index, std::string& S) override;
  void SetData(int32_t Index, const std::string& V) override;
  void SaveContents() override { EnterContents = Memo()->Text(); }
  void DoOnChange() override;
  std::string GetSaveData() const override { return Memo()->Text(); }
  void RestoreData(const std::string& Data) override { Memo()->SetText(Data); }
};
