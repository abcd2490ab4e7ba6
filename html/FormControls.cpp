// Forms: the controls of INPUT, SELECT and TEXTAREA elements as window controls on the
// viewer's paint panel, their sizes for layout, their pictures for printing, and the
// form's reset, submission and keyboard handling.
#include <algorithm>
#include <cstdio>

#include "html/SmallSections.h"

namespace {

const std::string& AttrText(const TAttributeList& L, THtmlSymbol Sy)
{
  static const std::string empty;
  const TAttribute* a = L.Find(Sy);
  return a ? a->Name : empty;
}

bool SameText(const std::string& A, const std::string& B) { return LowerCase(A) == LowerCase(B); }

bool MonochromeDevice(TCanvas& Canvas)
{
  return Canvas.Device().IsPrinter() && Canvas.GetDeviceCaps(BITSPIXEL) * Canvas.GetDeviceCaps(PLANES) == 1;
}

// The control goes on the paint panel, out of sight until layout places it (placed there
// first, it gets no window of the toolkit's until it shows or takes the focus).
void PlaceOnPanel(TFormControlObj& C, TWinControl& Ctl, int32_t W, int32_t H)
{
  Ctl.SetBounds(0, -400, W, H);
  if (C.MasterList && C.MasterList->TheOwner)
    if (TWinControl* panel = C.MasterList->TheOwner->PaintPanel())
      Ctl.SetParent(panel);
}

// What every control reads of its element before its own attributes.
void ReadBase(TFormControlObj& C, const TAttributeList& L)
{
  C.Name = AttrText(L, NameSy);
  C.Value = AttrText(L, ValueSy);
}

// Focus and click of a window control report to its form control object.
void HookControl(TFormControlObj& C, TWinControl& Ctl)
{
  Ctl.OnEnter = [&C](TObject*) { C.EnterControl(); };
  Ctl.OnExit = [&C](TObject*) { C.ExitControl(); };
}

// The picture of a control when printing: its frame, and text drawn with a hollow brush.
void PrintFrame(TFormControlObj& C, TCanvas& Canvas, int32_t X1, int32_t Y1, bool Raised)
{
  FormControlRect(Canvas, X1, Y1, X1 + C.Width, Y1 + C.Height, Raised, C.MasterList && C.MasterList->PrintMonoBlack);
  Canvas.Brush().SetStyle(bsClear);
  if (C.TheControl)
    Canvas.Font().Assign(C.TheControl->Font());
  Canvas.SetTextColor(clBlack);
  Canvas.SetBkMode(TRANSPARENT);
}

void SetWin(TFormControlObj& C, int32_t W, int32_t H)
{
  C.Width = W;
  C.Height = H;
  if (C.TheControl)
    C.TheControl->SetBounds(C.TheControl->Left(), C.TheControl->Top(), W, H);
}

}   // namespace

// ---- the base: placing, focus and clicks ----

void TFormControlObj::ShowControlAt(int32_t Left, int32_t Top)
{
  if (!TheControl || !TheControl->Parent())
    return;
  TheControl->SetBounds(Left, Top, TheControl->Width(), TheControl->Height());
  TheControl->Show();
}

int32_t TFormControlObj::DocumentPos() const
{
  if (!Section || IsHidden() || Section->LineTopAt(Pos) < 0)
    return -1;
  return Section->StartCurs + Pos;
}

void TFormControlObj::SetTabOrder(int32_t Order)
{
  if (TheControl)
    TheControl->SetTabOrder(Order);
}

void TFormControlObj::EnterControl()
{
  // A printing copy's fields tell no one, nor do a page's as it goes (the keyboard may pass
  // to a field whose paragraph has gone).
  if (!MasterList || MasterList->IsCopy || MasterList->FreeingFields)
    return;
  Active = true;
  MasterList->InvalidatePanel();
  if (MasterList->TheOwner)
    MasterList->TheOwner->ControlFocused(this);
  if (MasterList->ObjectFocus && !OnFocusMessage.empty())
    MasterList->ObjectFocus(MasterList->Sender, this, OnFocusMessage);
  if (!OnChangeMessage.empty())
    SaveContents();
}

void TFormControlObj::ExitControl()
{
  if (!MasterList || MasterList->IsCopy || MasterList->FreeingFields)
    return;
  Active = false;
  if (!OnChangeMessage.empty())
    DoOnChange();
  if (MasterList->ObjectBlur && !OnBlurMessage.empty())
    MasterList->ObjectBlur(MasterList->Sender, this, OnBlurMessage);
  MasterList->InvalidatePanel();
}

void TFormControlObj::ClickControl()
{
  if (MasterList && MasterList->ObjectClick)
    MasterList->ObjectClick(MasterList->Sender, this, OnClickMessage);
}

namespace {

void RaiseChange(TFormControlObj& C)
{
  if (C.MasterList && C.MasterList->ObjectChange)
    C.MasterList->ObjectChange(C.MasterList->Sender, &C, C.OnChangeMessage);
}

}   // namespace

// ---- forms ----

ThtmlForm::ThtmlForm(TSectionList* AMasterList, const TAttributeList& L) : MasterList(AMasterList)
{
  if (const TAttribute* a = L.Find(MethodSy))
    Method = a->Name.substr(0, 4);
  Action = AttrText(L, ActionSy);
  Target = AttrText(L, TargetSy);
  EncType = AttrText(L, EncTypeSy);
}

void ThtmlForm::DoRadios(TFormControlObj* Radio)
{
  for (const auto& c : ControlList)
    if (auto* r = dynamic_cast<TRadioButtonFormControlObj*>(c.get()); r && r != Radio && SameText(r->Name, Radio->Name))
      r->SetChecked(false);
}

void ThtmlForm::ControlKeyDown(TFormControlObj* Sender, Word& Key, TShiftState Shift)
{
  auto* radio = dynamic_cast<TRadioButtonFormControlObj*>(Sender);
  if (radio && Key >= VK_LEFT && Key <= VK_DOWN) {
    const bool forward = Key == VK_RIGHT || Key == VK_DOWN;
    std::vector<TRadioButtonFormControlObj*> group;
    for (const auto& c : ControlList)
      if (auto* r = dynamic_cast<TRadioButtonFormControlObj*>(c.get()); r && SameText(r->Name, radio->Name))
        group.push_back(r);
    auto it = std::find(group.begin(), group.end(), radio);
    const auto i = it - group.begin();
    // The ends of the group stop the move.
    if (forward && i + 1 < static_cast<std::ptrdiff_t>(group.size()))
      group[static_cast<size_t>(i + 1)]->RButton->SetFocus();
    else if (!forward && i > 0)
      group[static_cast<size_t>(i - 1)]->RButton->SetFocus();
    Key = 0;
    return;
  }
  if (MasterList && MasterList->TheOwner)
    MasterList->TheOwner->ViewerKeyDown(Key, Shift);
}

void ThtmlForm::ControlKeyPress(TFormControlObj* Sender, char& Key)
{
  if (Key == 13 && dynamic_cast<TEditFormControlObj*>(Sender)) {
    SubmitTheForm("");
    Key = 0;
  }
}

void ThtmlForm::ResetControls()
{
  for (const auto& c : ControlList)
    c->ResetToValue();
}

std::vector<std::string> ThtmlForm::GetFormSubmission()
{
  std::vector<std::string> out;
  for (const auto& c : ControlList) {
    std::string s;
    // Every control gives a bounded number of entries; the cap guards against one that
    // would never stop.
    for (int32_t i = 0; i < 100000 && c->GetSubmission(i, s); ++i) {
      if (!s.empty())
        out.push_back(s);
      s.clear();
    }
  }
  return out;
}

void ThtmlForm::SubmitTheForm(const std::string& ButtonSubmission)
{
  if (!MasterList || !MasterList->SubmitForm)
    return;
  std::vector<std::string> list = GetFormSubmission();
  if (!ButtonSubmission.empty())
    list.push_back(ButtonSubmission);
  MasterList->SubmitForm(MasterList->Sender, Action, Target, EncType, Method, list);
}

void ThtmlForm::SetFormData(const std::vector<std::string>& SL)
{
  for (const auto& c : ControlList) {
    c->SetDataInit();
    int32_t n = 0;
    for (const std::string& line : SL) {
      const size_t eq = line.find('=');
      if (eq == std::string::npos || !SameText(line.substr(0, eq), c->Name))
        continue;
      c->SetData(n++, line.substr(eq + 1));
    }
  }
}

std::vector<std::string> ThtmlForm::GetControlData() const
{
  std::vector<std::string> out;
  for (const auto& c : ControlList)
    out.push_back(c->GetSaveData());
  return out;
}

void ThtmlForm::SetControlData(const std::vector<std::string>& Data)
{
  const size_t n = std::min(Data.size(), ControlList.size());
  for (size_t i = 0; i < n; ++i)
    ControlList[i]->RestoreData(Data[i]);
}

// ---- hidden ----

THiddenFormControlObj::THiddenFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L)
    : TFormControlObj(AMasterList, Position)
{
  ReadBase(*this, L);
}

bool THiddenFormControlObj::GetSubmission(int32_t Index, std::string& S)
{
  if (Index != 0)
    return false;
  S = Name + "=" + Value;
  return true;
}

// ---- edit ----

TEditFormControlObj::TEditFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L)
    : TFormControlObj(AMasterList, Position)
{
  ReadBase(*this, L);
  if (const TAttribute* a = L.Find(SizeSy)) {
    if (a->Value >= 1) {
      EditSize = std::min(a->Value, 1000);
    } else {
      const std::string& t = a->Name;
      const size_t sep = t.find_first_of(" ,", 1);
      if (!t.empty() && sep != std::string::npos) {
        const std::string num = Trim(t.substr(0, sep));
        const bool digits =
            !num.empty() && std::all_of(num.begin(), num.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
        EditSize = digits && num.size() <= 4 ? std::clamp(std::stoi(num), 1, 1000) : 20;
      }
    }
  }
  auto edit = std::make_unique<TEdit>();
  PlaceOnPanel(*this, *edit, 120, 20);
  if (const TAttribute* a = L.Find(MaxLengthSy))
    edit->SetMaxLength(a->Value);
  if (LowerCase(Trim(AttrText(L, TypeSy))) == "password")
    edit->SetPasswordChar('*');
  HookControl(*this, *edit);
  edit->OnKeyPress = [this](TObject*, char& Key) {
    if (MyForm)
      MyForm->ControlKeyPress(this, Key);
  };
  edit->OnClick = [this](TObject*) { ClickControl(); };
  TheControl = std::move(edit);
}

void TEditFormControlObj::ResetToValue() { Edit()->SetText(Value); }

void TEditFormControlObj::SetHeightWidth(TCanvas& Canvas)
{
  Canvas.Font().Assign(Edit()->Font());
  const int32_t w = FWidth >= 10 ? FWidth : Canvas.TextWidth("0") * EditSize + 5;
  SetWin(*this, w, std::max(Edit()->Height(), FHeight));
}

bool TEditFormControlObj::GetSubmission(int32_t Index, std::string& S)
{
  if (Index != 0)
    return false;
  S = Name + "=" + Edit()->Text();
  return true;
}

void TEditFormControlObj::SetData(int32_t Index, const std::string& V) { Edit()->SetText(V); }

void TEditFormControlObj::DoOnChange()
{
  if (Edit()->Text() != EnterContents)
    RaiseChange(*this);
}

void TEditFormControlObj::Draw(TCanvas& Canvas, int32_t X1, int32_t Y1)
{
  PrintFrame(*this, Canvas, X1, Y1, false);
  const std::string s =
      Edit()->PasswordChar() ? std::string(Edit()->Text().size(), Edit()->PasswordChar()) : Edit()->Text();
  const int32_t h = Canvas.TextHeight("A");
  TRect clip = Rect(X1 + 2, Y1 + 2, X1 + Width - 2, Y1 + Height - 2);
  Canvas.TextRect(clip, X1 + 4, Y1 + (Height - h) / 2, s);
}

// ---- buttons ----

TButtonFormControlObj::TButtonFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L)
    : TFormControlObj(AMasterList, Position)
{
  ReadBase(*this, L);
  const std::string type = LowerCase(Trim(AttrText(L, TypeSy)));
  std::string caption;
  if (type == "submit") {
    Which = 0;
    caption = "Submit";
  } else if (type == "reset") {
    Which = 1;
    caption = "Reset";
  } else {
    Which = 2;
    caption = "Button";
  }
  if (L.Find(ValueSy))
    caption = Value;
  auto button = std::make_unique<TButton>();
  PlaceOnPanel(*this, *button, 75, 25);
  button->SetTabStop(true);
  button->SetCaption(caption);
  HookControl(*this, *button);
  button->OnClick = [this](TObject*) { ButtonClick(); };
  TheControl = std::move(button);
}

void TButtonFormControlObj::ButtonClick()
{
  ClickControl();
  if (!MyForm)
    return;
  if (Which == 1)
    MyForm->ResetControls();
  else if (Which == 0)
    MyForm->SubmitTheForm(Name.empty() ? std::string() : Name + "=" + Value);
}

void TButtonFormControlObj::SetHeightWidth(TCanvas& Canvas)
{
  Canvas.Font().Assign(TheControl->Font());
  const int32_t h = Canvas.TextHeight("A") + 8;
  const int32_t w = FWidth >= 10 ? FWidth : Canvas.TextWidth(TheControl->Caption()) + 20;
  SetWin(*this, w, h > FHeight ? h : FHeight);
}

void TButtonFormControlObj::Draw(TCanvas& Canvas, int32_t X1, int32_t Y1)
{
  PrintFrame(*this, Canvas, X1, Y1, true);
  const std::string& s = TheControl->Caption();
  Canvas.TextOut(X1 + (Width - Canvas.TextWidth(s)) / 2, Y1 + (Height - Canvas.TextHeight("A")) / 2, s);
}

// ---- check box ----

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L)
    : TFormControlObj(AMasterList, Position)
{
  ReadBase(*this, L);
  if (Value.empty())
    Value = "on";
  FormAlign = ABaseLine;
  IsChecked = L.Find(CheckedSy) != nullptr;
  auto box = std::make_unique<TFormCheckBox>();
  PlaceOnPanel(*this, *box, 13, 13);
  HookControl(*this, *box);
  box->OnClick = [this](TObject*) { ClickControl(); };
  box->OnKeyDown = [this](TObject*, Word& Key, TShiftState Shift) {
    if (MyForm)
      MyForm->ControlKeyDown(this, Key, Shift);
  };
  TheControl = std::move(box);
}

void TCheckBoxFormControlObj::SetHeightWidth(TCanvas&) { SetWin(*this, 13, 13); }

bool TCheckBoxFormControlObj::GetSubmission(int32_t Index, std::string& S)
{
  if (Index != 0)
    return false;
  if (Box()->Checked())
    S = Name + "=" + Value;
  return true;
}

void TCheckBoxFormControlObj::SetData(int32_t, const std::string& V)
{
  if (SameText(V, Value))
    Box()->SetChecked(true);
}

void TCheckBoxFormControlObj::DoOnChange()
{
  if (Box()->Checked() != WasChecked)
    RaiseChange(*this);
}

void TCheckBoxFormControlObj::Draw(TCanvas& Canvas, int32_t X1, int32_t Y1)
{
  PrintFrame(*this, Canvas, X1, Y1, false);
  if (!Box()->Checked())
    return;
  Canvas.Pen().SetColor(clBlack);
  const TPoint tick[3] = {{X1 + 3, Y1 + Height / 2}, {X1 + 5, Y1 + Height / 2 + 2}, {X1 + 9, Y1 + Height / 2 - 2}};
  for (int32_t d = -1; d <= 1; ++d) {
    TPoint p[3] = {tick[0], tick[1], tick[2]};
    for (TPoint& q : p)
      q.Y += d;
    Canvas.Polyline(p, 3);
  }
}

// ---- radio button ----

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L)
    : TFormControlObj(AMasterList, Position)
{
  ReadBase(*this, L);
  if (Value.empty())
    Value = "on";
  FormAlign = ABaseLine;
  IsChecked = L.Find(CheckedSy) != nullptr;
  auto panel = std::make_unique<TPanel>();
  panel->SetBevelOuter(bvNone);
  panel->SetColor(clNone);
  // The button goes on its panel before the panel goes on the page: shown on a panel that
  // shows already, it would ask its window for the child under the pointer and its panel for
  // a layout (a search through the page's other fields each).
  RButton = std::make_unique<TFormRadioButton>();
  RButton->SetParent(panel.get());
  RButton->SetBounds(0, 0, 13, 14);
  PlaceOnPanel(*this, *panel, 13, 14);
  RButton->GroupName = Name;
  HookControl(*this, *RButton);
  RButton->OnClick = [this](TObject*) {
    if (MyForm)
      MyForm->DoRadios(this);
    ClickControl();
  };
  RButton->OnKeyDown = [this](TObject*, Word& Key, TShiftState Shift) {
    if (MyForm)
      MyForm->ControlKeyDown(this, Key, Shift);
  };
  TheControl = std::move(panel);
}

TRadioButtonFormControlObj::~TRadioButtonFormControlObj()
{
  // The button goes before the panel it sits on.
  RButton.reset();
}

void TRadioButtonFormControlObj::SetHeightWidth(TCanvas&) { SetWin(*this, 13, 14); }

bool TRadioButtonFormControlObj::GetSubmission(int32_t Index, std::string& S)
{
  if (Index != 0)
    return false;
  if (Checked())
    S = Name + "=" + Value;
  return true;
}

void TRadioButtonFormControlObj::SetData(int32_t, const std::string& V)
{
  if (SameText(V, Value))
    SetChecked(true);
}

void TRadioButtonFormControlObj::DoOnChange()
{
  if (Checked() != WasChecked)
    RaiseChange(*this);
}

void TRadioButtonFormControlObj::Draw(TCanvas& Canvas, int32_t X1, int32_t Y1)
{
  const bool mono = MasterList && MasterList->PrintMonoBlack && MonochromeDevice(Canvas);
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetColor(clWhite);
  Canvas.Pen().SetColor(clWhite);
  Canvas.Ellipse(X1, Y1, X1 + 14, Y1 + 14);
  Canvas.Brush().SetStyle(bsClear);
  if (mono) {
    Canvas.Pen().SetColor(clBlack);
    Canvas.Ellipse(X1, Y1, X1 + 14, Y1 + 14);
  } else {
    // Shadow on the upper left, light grey on the lower right, two pixels deep.
    Canvas.Pen().SetWidth(2);
    Canvas.Pen().SetColor(clBtnShadow);
    Canvas.Arc(X1, Y1, X1 + 14, Y1 + 14, X1 + 14, Y1, X1, Y1 + 14);
    Canvas.Pen().SetColor(clSilver);
    Canvas.Arc(X1, Y1, X1 + 14, Y1 + 14, X1, Y1 + 14, X1 + 14, Y1);
    Canvas.Pen().SetWidth(1);
  }
  if (Checked()) {
    Canvas.Brush().SetStyle(bsSolid);
    Canvas.Brush().SetColor(clBlack);
    Canvas.Pen().SetColor(clBlack);
    Canvas.Ellipse(X1 + 5, Y1 + 5, X1 + 9, Y1 + 9);
  }
}

// ---- image input ----

TImageFormControlObj::TImageFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L)
    : TFormControlObj(AMasterList, Position)
{
  ReadBase(*this, L);
  // An invisible button holds the focus for the image.
  auto button = std::make_unique<TButton>();
  PlaceOnPanel(*this, *button, 1, 1);
  button->SetTabStop(true);
  HookControl(*this, *button);
  TheControl = std::move(button);
}

int32_t TImageFormControlObj::DocumentPos() const
{
  // It stands in the text as its image.
  if (!Section || !MyImage || Section->LineTopAt(MyImage->Pos) < 0)
    return -1;
  return Section->StartCurs + MyImage->Pos;
}

void TImageFormControlObj::ProcessProperties(TProperties& Prop)
{
  TFormControlObj::ProcessProperties(Prop);
  if (!MyImage)
    return;
  if (FHeight > 0)
    MyImage->SpecHeight = FHeight;
  if (FWidth > 0) {
    MyImage->SpecWidth = FWidth;
    MyImage->PercentWidth = false;
  }
  // Only a style's alignment: the image's own ALIGN stays otherwise.
  AlignmentType a;
  if (Prop.GetVertAlign(a))
    MyImage->ObjAlign = FormAlign;
}

void TImageFormControlObj::SetImagePoint(int32_t IX, int32_t IY)
{
  FClickX = IX;
  FClickY = IY;
}

void TImageFormControlObj::ImageClick()
{
  // Its focus control may have no window yet: focusing makes it.
  if (TheControl && TheControl->Visible() && TheControl->Parent() && TheControl->Enabled())
    TheControl->SetFocus();
  ClickControl();
  XPos = FClickX;
  YPos = FClickY;
  if (MyForm)
    MyForm->SubmitTheForm("");
}

bool TImageFormControlObj::GetSubmission(int32_t Index, std::string& S)
{
  if (XPos < 0 || Index > 1)
    return false;
  const std::string prefix = Name.empty() ? std::string() : Name + ".";
  if (Index == 0) {
    S = prefix + "x=" + std::to_string(XPos);
  } else {
    S = prefix + "y=" + std::to_string(YPos);
    XPos = -1;   // the point goes once
  }
  return true;
}

// ---- list box ----

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L,
                                               TProperties& Prop, TNoList)
    : TFormControlObj(AMasterList, Position)
{
  ReadBase(*this, L);
  if (TMyFont* f = Prop.GetFont())
    TheFont.Assign(*f);
  if (const TAttribute* a = L.Find(SizeSy))
    LBSize = std::clamp(a->Value, 1, 1000);
}

TListBoxFormControlObj::TListBoxFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L,
                                               TProperties& Prop)
    : TListBoxFormControlObj(AMasterList, Position, L, Prop, TNoList{})
{
  auto list = std::make_unique<TListBox>();
  PlaceOnPanel(*this, *list, 100, 60);
  if (L.Find(MultipleSy)) {
    list->SetMultiSelect(true);
    list->SetExtendedSelect(true);
  }
  HookControl(*this, *list);
  list->OnClick = [this](TObject*) { ClickControl(); };
  TheControl = std::move(list);
}

void TListBoxFormControlObj::AddStr(const std::string& Caption, const std::string& AValue, bool Selected)
{
  TheOptions.push_back({Caption, AValue.empty() ? Caption : AValue, Selected});
  TCanvas& c = FontMeasureCanvas();
  c.Font().Assign(TheControl ? TheControl->Font() : TheFont);
  Longest = std::max(Longest, c.TextWidth(Caption));
}

void TListBoxFormControlObj::ResetToValue()
{
  TListBox* lb = List();
  lb->Items().clear();
  for (const TOptionObj& o : TheOptions)
    lb->Items().push_back(o.Caption);
  lb->ItemsChanged();
  int32_t last = -1;
  for (size_t i = 0; i < TheOptions.size(); ++i)
    if (TheOptions[i].Selected) {
      if (lb->MultiSelect())
        lb->SetSelected(static_cast<int32_t>(i), true);
      last = static_cast<int32_t>(i);
    }
  if (!lb->MultiSelect())
    lb->SetItemIndex(last >= 0 ? last : (lb->Count() > 0 ? 0 : -1));
  else if (last < 0 && lb->Count() > 0)
    lb->SetItemIndex(0);
  lb->SetTopIndex(0);
}

void TListBoxFormControlObj::SetHeightWidth(TCanvas& Canvas)
{
  TListBox* lb = List();
  Canvas.Font().Assign(lb->Font());
  if (LBSize < 0)
    LBSize = std::clamp(static_cast<int32_t>(TheOptions.size()), 1, 8);
  const int32_t nc = 2 * lb->NonClientSize().Y;
  const int32_t h = FHeight >= 10
                        ? FHeight
                        : static_cast<int32_t>(std::min<int64_t>(int64_t(Canvas.TextHeight("A")) * LBSize, 32000)) + nc;
  const int32_t w = FWidth >= 10 ? FWidth : VScrollBarWidth + Longest + 10;
  SetWin(*this, w, h);
}

bool TListBoxFormControlObj::GetSubmission(int32_t Index, std::string& S)
{
  TListBox* lb = List();
  if (Index >= lb->Count())
    return false;
  const bool on = lb->MultiSelect() ? lb->Selected(Index) : Index == lb->ItemIndex();
  if (on && static_cast<size_t>(Index) < TheOptions.size())
    S = Name + "=" + TheOptions[static_cast<size_t>(Index)].Value;
  return true;
}

void TListBoxFormControlObj::SetData(int32_t Index, const std::string& V)
{
  TListBox* lb = List();
  if (Index == 0)
    lb->ClearSelection();
  for (size_t i = 0; i < TheOptions.size() && static_cast<int32_t>(i) < lb->Count(); ++i)
    if (TheOptions[i].Value == V) {
      if (lb->MultiSelect())
        lb->SetSelected(static_cast<int32_t>(i), true);
      else
        lb->SetItemIndex(static_cast<int32_t>(i));
    }
}

void TListBoxFormControlObj::SaveContents()
{
  TListBox* lb = List();
  EnterIndex = lb->ItemIndex();
  for (int32_t i = 0; i < static_cast<int32_t>(EnterSelected.size()); ++i)
    EnterSelected[static_cast<size_t>(i)] = lb->Selected(i);
}

void TListBoxFormControlObj::DoOnChange()
{
  TListBox* lb = List();
  bool changed = lb->ItemIndex() != EnterIndex;
  for (int32_t i = 0; !changed && i < static_cast<int32_t>(EnterSelected.size()); ++i)
    changed = EnterSelected[static_cast<size_t>(i)] != lb->Selected(i);
  if (changed)
    RaiseChange(*this);
}

std::string TListBoxFormControlObj::GetSaveData() const
{
  std::string s;
  for (int32_t i = 0; i < List()->Count(); ++i)
    s += List()->Selected(i) ? '1' : '0';
  return s;
}

void TListBoxFormControlObj::RestoreData(const std::string& Data)
{
  TListBox* lb = List();
  for (int32_t i = 0; i < lb->Count() && static_cast<size_t>(i) < Data.size(); ++i)
    if (Data[static_cast<size_t>(i)] == '1') {
      if (lb->MultiSelect())
        lb->SetSelected(i, true);
      else
        lb->SetItemIndex(i);
    } else if (lb->MultiSelect()) {
      lb->SetSelected(i, false);
    }
}

void TListBoxFormControlObj::Draw(TCanvas& Canvas, int32_t X1, int32_t Y1)
{
  PrintFrame(*this, Canvas, X1, Y1, false);
  TListBox* lb = List();
  const int32_t h = Canvas.TextHeight("A");
  TRect clip = Rect(X1 + 2, Y1 + 2, X1 + Width - 2, Y1 + Height - 2);
  for (int32_t i = lb->TopIndex(), y = Y1 + 2; i < lb->Count() && y < Y1 + Height - 2; ++i, y += h)
    Canvas.TextRect(clip, X1 + 4, y, lb->Items()[static_cast<size_t>(i)]);
}

// ---- combo box ----

TComboFormControlObj::TComboFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L,
                                           TProperties& Prop)
    : TListBoxFormControlObj(AMasterList, Position, L, Prop, TNoList{})
{
  auto combo = std::make_unique<TComboBox>();
  PlaceOnPanel(*this, *combo, 100, 21);
  HookControl(*this, *combo);
  combo->OnClick = [this](TObject*) { ClickControl(); };
  TheControl = std::move(combo);
}

void TComboFormControlObj::ResetToValue()
{
  TComboBox* cb = Combo();
  cb->Items().clear();
  int32_t last = -1;
  for (size_t i = 0; i < TheOptions.size(); ++i) {
    cb->Items().push_back(TheOptions[i].Caption);
    if (TheOptions[i].Selected)
      last = static_cast<int32_t>(i);
  }
  cb->SetItemIndex(last >= 0 ? last : 0);
}

void TComboFormControlObj::SetHeightWidth(TCanvas& Canvas)
{
  TComboBox* cb = Combo();
  Canvas.Font().Assign(cb->Font());
  const int32_t h = FHeight >= 10 ? FHeight : cb->Height();
  const int32_t w = FWidth >= 10 ? FWidth : VScrollBarWidth + Longest + 10 + 2 * cb->NonClientSize().X;
  SetWin(*this, w, h);
}

bool TComboFormControlObj::GetSubmission(int32_t Index, std::string& S)
{
  if (Index != 0)
    return false;
  const int32_t i = Combo()->ItemIndex();
  if (i >= 0 && static_cast<size_t>(i) < TheOptions.size())
    S = Name + "=" + TheOptions[static_cast<size_t>(i)].Value;
  return true;
}

void TComboFormControlObj::SetData(int32_t, const std::string& V)
{
  for (size_t i = 0; i < TheOptions.size(); ++i)
    if (TheOptions[i].Value == V)
      Combo()->SetItemIndex(static_cast<int32_t>(i));
}

void TComboFormControlObj::DoOnChange()
{
  if (Combo()->ItemIndex() != EnterIndex)
    RaiseChange(*this);
}

void TComboFormControlObj::RestoreData(const std::string& Data)
{
  int32_t i = -1;
  if (!Data.empty() && Data.size() < 10
      && std::all_of(Data.begin(), Data.end(), [](char c) { return c >= '0' && c <= '9'; }))
    i = std::stoi(Data);
  Combo()->SetItemIndex(i);
}

void TComboFormControlObj::Draw(TCanvas& Canvas, int32_t X1, int32_t Y1)
{
  PrintFrame(*this, Canvas, X1, Y1, false);
  TRect clip = Rect(X1 + 2, Y1 + 2, X1 + Width - 2, Y1 + Height - 2);
  Canvas.TextRect(clip, X1 + 4, Y1 + (Height - Canvas.TextHeight("A")) / 2, Combo()->Text());
}

// ---- text area ----

TTextAreaFormControlObj::TTextAreaFormControlObj(TSectionList* AMasterList, int32_t Position, TAttributeList& L)
    : TFormControlObj(AMasterList, Position)
{
  ReadBase(*this, L);
  if (const TAttribute* a = L.Find(RowsSy))
    Rows = std::clamp(a->Value, 1, 1000);
  if (const TAttribute* a = L.Find(ColsSy))
    Cols = std::clamp(a->Value, 1, 1000);
  auto memo = std::make_unique<TMemo>();
  PlaceOnPanel(*this, *memo, 100, 60);
  if (const TAttribute* a = L.Find(WrapSy)) {
    const std::string w = LowerCase(Trim(a->Name));
    if (w == "off")
      Wrap = 0;
    else if (w == "hard")
      Wrap = 2;
  }
  memo->SetScrollBars(Wrap == 0 ? TScrollStyle::ssBoth : TScrollStyle::ssVertical);
  memo->SetWordWrap(Wrap != 0);
  HookControl(*this, *memo);
  memo->OnClick = [this](TObject*) { ClickControl(); };
  TheControl = std::move(memo);
}

void TTextAreaFormControlObj::ResetToValue() { Memo()->SetText(TheText); }

void TTextAreaFormControlObj::SetHeightWidth(TCanvas& Canvas)
{
  TMemo* m = Memo();
  Canvas.Font().Assign(m->Font());
  const int32_t nc = 2 * m->NonClientSize().X;
  const int32_t hBar = Wrap == 0 ? VScrollBarWidth : 0;
  const int32_t h = FHeight >= 10 ? FHeight : Canvas.TextHeight("A") * Rows + 5 + nc + hBar;
  const int32_t w = FWidth >= 10 ? FWidth : Canvas.TextWidth("s") * Cols + 5 + nc + VScrollBarWidth;
  SetWin(*this, w, h);
}

bool TTextAreaFormControlObj::GetSubmission(int32_t Index, std::string& S)
{
  if (Index != 0)
    return false;
  S = Name + "=";
  if (Wrap == 2) {
    const std::vector<std::string> lines = Memo()->Lines();
    for (size_t i = 0; i < lines.size(); ++i)
      S += (i ? "\r\n" : "") + lines[i];
  } else {
    S += Memo()->Text();
  }
  return true;
}

void TTextAreaFormControlObj::SetData(int32_t Index, const std::string& V)
{
  if (Index == 0)
    Memo()->SetText(V);
  else
    Memo()->SetText(Memo()->Text() + "\r\n" + V);
}

void TTextAreaFormControlObj::DoOnChange()
{
  if (Memo()->Text() != EnterContents)
    RaiseChange(*this);
}

void TTextAreaFormControlObj::Draw(TCanvas& Canvas, int32_t X1, int32_t Y1)
{
  PrintFrame(*this, Canvas, X1, Y1, false);
  const std::vector<std::string> lines = Memo()->Lines();
  const int32_t h = Canvas.TextHeight("A");
  TRect clip = Rect(X1 + 2, Y1 + 2, X1 + Width - 2, Y1 + Height - 2);
  for (size_t i = 0; i < lines.size() && static_cast<int32_t>(i) < Rows; ++i)
    Canvas.TextRect(clip, X1 + 4, Y1 + 2 + static_cast<int32_t>(i) * h, lines[i]);
}

// ---- the factory ----

TFormControlObj* AddFormControl(TSection& Section, ThtmlForm*& CurrentForm, THtmlSymbol Sy, TAttributeList& L,
                                TProperties& Prop, int32_t TagIndex)
{
  TSectionList* doc = Section.ParentSectionList;
  if (!CurrentForm)
    CurrentForm = doc->htmlFormList.Add(std::make_unique<ThtmlForm>(doc));
  const int32_t pos = Section.Len;
  const std::string type = LowerCase(Trim(AttrText(L, TypeSy)));
  std::unique_ptr<TFormControlObj> ctrl;
  if (Sy == SelectSy) {
    const TAttribute* size = L.Find(SizeSy);
    if (L.Find(MultipleSy) || (size && size->Value >= 2))
      ctrl = std::make_unique<TListBoxFormControlObj>(doc, pos, L, Prop);
    else
      ctrl = std::make_unique<TComboFormControlObj>(doc, pos, L, Prop);
  } else if (Sy == TextAreaSy) {
    ctrl = std::make_unique<TTextAreaFormControlObj>(doc, pos, L);
  } else if (type == "hidden") {
    ctrl = std::make_unique<THiddenFormControlObj>(doc, pos, L);
  } else if (type == "submit" || type == "reset" || type == "button") {
    ctrl = std::make_unique<TButtonFormControlObj>(doc, pos, L);
  } else if (type == "checkbox") {
    ctrl = std::make_unique<TCheckBoxFormControlObj>(doc, pos, L);
  } else if (type == "radio") {
    ctrl = std::make_unique<TRadioButtonFormControlObj>(doc, pos, L);
  } else if (type == "image") {
    ctrl = std::make_unique<TImageFormControlObj>(doc, pos, L);
  } else {
    ctrl = std::make_unique<TEditFormControlObj>(doc, pos, L);
  }
  TFormControlObj* c = ctrl.get();
  c->ID = L.TheID();
  c->OnClickMessage = AttrText(L, OnClickSy);
  c->OnFocusMessage = AttrText(L, OnFocusSy);
  c->OnBlurMessage = AttrText(L, OnBlurSy);
  c->OnChangeMessage = AttrText(L, OnChangeSy);
  if (TMyFont* f = Prop.GetFont()) {
    if (c->TheControl)
      c->TheControl->Font().Assign(*f);
    if (auto* r = dynamic_cast<TRadioButtonFormControlObj*>(c))
      r->RButton->Font().Assign(*f);
  }
  if (auto* e = dynamic_cast<TEditFormControlObj*>(c))
    e->Edit()->AdjustHeight();
  else if (auto* cb = dynamic_cast<TComboFormControlObj*>(c))
    cb->Combo()->AdjustHeight();
  doc->FormControlList.push_back(c);
  c->Section = &Section;
  // Keys of tab index and count sort by tab index, then by order of appearance.
  if (const TAttribute* ti = L.Find(TabIndexSy); ti && ti->Value >= 1) {
    c->TabIndex = ti->Value;
    char key[32];
    std::snprintf(key, sizeof key, "%.5d%.3d", std::min(ti->Value, 99999),
                  static_cast<int>(doc->TabOrderList.size() % 1000));
    doc->TabOrderList.push_back({key, {nullptr, c}});
  }
  if (!c->ID.empty() && doc->IDNameList)
    doc->IDNameList->AddObject(c->ID, c);
  CurrentForm->InsertControl(std::move(ctrl));
  if (auto* img = dynamic_cast<TImageFormControlObj*>(c)) {
    img->MyImage = Section.AddImage(L, Prop, TagIndex);
    img->MyImage->MyFormControl = c;
  } else {
    Section.AddFormControlObj(c, TagIndex);
  }
  c->ProcessProperties(Prop);
  c->ResetToValue();
  return c;
}
