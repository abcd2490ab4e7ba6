// Themed edit, drop-down and combo-box items, their viewers, and the edit control they use.
#include "toolbar/ThemedEditItems.h"

#include <algorithm>

#include "platform/SysSettings.h"
#include "toolbar/AccessibleItems.h"
#include "toolbar/KitHelpers.h"

namespace {

const char XEditViewerClassToken = 0;
const char XDropDownViewerClassToken = 0;
const char XComboViewerClassToken = 0;
const char XPlainViewerClassToken = 0;

Integer Metric(Integer Index) { return CurrentTheme()->GetIntegerMetric(Index); }
bool BoolMetric(Integer Index) { return CurrentTheme()->GetBooleanMetric(Index); }

// Case-insensitive over Windows-1252 letters, as the user's locale compares them.
std::string Folded(const std::string& S) { return ApplyCharCase(S, ecLowerCase); }
bool StartsTextI(const std::string& Prefix, const std::string& S)
{
  return Prefix.size() <= S.size() && Folded(S.substr(0, Prefix.size())) == Folded(Prefix);
}

// The plain button an edit item shows in a vertical view: a class of its own, so that the
// view does not take it for a viewer of the wrong kind and make it again.
class TTBXEditPlainViewer : public TTBXItemViewer {
public:
  using TTBXItemViewer::TTBXItemViewer;
  const void* ViewerClass() const override { return &XPlainViewerClassToken; }
};

bool UsesEditViewer(const TTBEditItem* Item, TTBView* AView)
{
  return (Item->EditOptions() & tboUseEditWhenVertical) || !AView || AView->Orientation() != voVertical;
}

}   // namespace

// ---------------------------------------------------------------------------------------
// The combo's list: a string list whose viewers the combo can scroll while the user types,
// on which Enter picks the entry as a click does, and Escape puts back the entry the list
// opened with (moving with the keys selects as it goes).

class TTBXComboListViewer;

class TTBXComboList : public TTBXStringList {
public:
  std::unique_ptr<TTBItemViewer> CreateViewer(TTBView* AView, Integer AGroupLevel) override;
  // Brings the entry into view in every open list, without selecting it.
  void ScrollIntoView(Integer AIndex);
  std::function<void()> OnCancel;

private:
  friend class TTBXComboListViewer;
  std::vector<TTBXComboListViewer*> FOpenViewers;
};

class TTBXComboListViewer : public TTBXCustomListViewer {
public:
  TTBXComboListViewer(TTBView* AView, TTBXComboList* AList, Integer AGroupLevel)
      : TTBXCustomListViewer(AView, AList, AGroupLevel), FList(AList)
  {
    FList->FOpenViewers.push_back(this);
  }
  ~TTBXComboListViewer() override
  {
    auto& v = FList->FOpenViewers;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  void KeyDown(Word& Key, TShiftState Shift) override
  {
    bool pick = Key == VK_RETURN;
    if (Key == VK_ESCAPE && FList->OnCancel)
      FList->OnCancel();   // the key goes on and closes the list
    TTBXCustomListViewer::KeyDown(Key, Shift);
    // A list that only moved its selection on Enter would leave the menu open and the
    // combo's owner unaware of the choice: Enter picks, as a click does.
    if (pick && ItemCount() > 0)
      Execute(true);
  }

private:
  TTBXComboList* FList;
};

std::unique_ptr<TTBItemViewer> TTBXComboList::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  return std::make_unique<TTBXComboListViewer>(AView, this, AGroupLevel);
}

void TTBXComboList::ScrollIntoView(Integer AIndex)
{
  for (TTBXComboListViewer* v : FOpenViewers)
    v->MakeVisible(AIndex);
}

// ---------------------------------------------------------------------------------------
// TTBXEdit

void TTBXEdit::SetAlignment(TAlignment v)
{
  if (v == FAlignment)
    return;
  FAlignment = v;
  Invalidate();
}

Integer TTBXEdit::TextLeft(const std::string& Shown) const
{
  if (FAlignment == taLeftJustify)
    return 1;
  Integer room = ClientWidth() - 2 - TextWidth(Shown);
  // Text wider than the box starts at the left, as left-justified text does.
  if (room <= 0)
    return 1;
  return 1 + (FAlignment == taRightJustify ? room : room / 2);
}

// ---------------------------------------------------------------------------------------
// TTBXEditItem

TTBXEditItem::TTBXEditItem() : FFontSettings(std::make_unique<TFontSettings>([this] { Change(true); })) {}

void TTBXEditItem::SetAlignment(TAlignment v)
{
  if (v == FAlignment)
    return;
  FAlignment = v;
  Change(true);
}

void TTBXEditItem::SetPasswordChar(char v)
{
  if (v == FPasswordChar)
    return;
  FPasswordChar = v;
  Change(true);
}

void TTBXEditItem::SetShowImage(bool v)
{
  FShowImage = v;
  Change(true);
}

const void* TTBXEditItem::GetItemViewerClass(TTBView* AView) const
{
  return UsesEditViewer(this, AView) ? &XEditViewerClassToken : &XPlainViewerClassToken;
}

std::unique_ptr<TTBItemViewer> TTBXEditItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  if (UsesEditViewer(this, AView))
    return std::make_unique<TTBXEditItemViewer>(AView, this, AGroupLevel);
  return std::make_unique<TTBXEditPlainViewer>(AView, this, AGroupLevel);
}

std::unique_ptr<TTBPopupWindow> TTBXEditItem::CreatePopupWindow(TTBView* ParentView, TTBCustomItem* ItemToShow,
                                                                bool Customizing)
{
  return std::make_unique<TTBXEditPopupWindow>(ParentView, ItemToShow, Customizing);
}

void TTBXEditItem::DoBeginEdit(TTBEditItemViewer* Viewer)
{
  TTBEditControl* control = Viewer->EditControl();
  if (auto* edit = dynamic_cast<TTBXEdit*>(control)) {
    edit->SetAlignment(FAlignment);
    edit->SetPasswordChar(FPasswordChar);
    edit->SelectAll();
    edit->SetReadOnly(FReadOnly);
    FFontSettings->Apply(edit->Font());
  }
  TTBEditItem::DoBeginEdit(Viewer);
  if (auto* v = dynamic_cast<TTBXEditItemViewer*>(Viewer); v && control)
    control->OnChange = [v](TObject*) { v->EditChanged(); };
}

void TTBXEditItem::HandleEditChange(TTBEditControl* Edit)
{
  if (OnChange)
    OnChange(this, Edit ? Edit->Text() : Text());
}

// ---------------------------------------------------------------------------------------
// TTBXCustomDropDownItem

TTBXCustomDropDownItem::TTBXCustomDropDownItem()
{
  SetItemStyle((ItemStyle() | tbisSubmenu | tbisSplitDropdown | tbisCarried) & ~tbisSkipOnSelectFirst);
}

void TTBXCustomDropDownItem::SetDropDownList(bool v)
{
  if (v == FDropDownList)
    return;
  FDropDownList = v;
  Change(false);
}

const void* TTBXCustomDropDownItem::GetItemViewerClass(TTBView* AView) const
{
  return UsesEditViewer(this, AView) ? &XDropDownViewerClassToken : &XPlainViewerClassToken;
}

std::unique_ptr<TTBItemViewer> TTBXCustomDropDownItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  if (UsesEditViewer(this, AView))
    return std::make_unique<TTBXDropDownItemViewer>(AView, this, AGroupLevel);
  return TTBXEditItem::CreateViewer(AView, AGroupLevel);
}

TTBPopupWindow* TTBXCustomDropDownItem::CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer,
                                                    bool PositionAsSubmenu, bool SelectFirstItem, bool Customizing,
                                                    TPoint PopupPoint, TTBPopupAlignment Alignment)
{
  return TTBXEditItem::CreatePopup(ParentView, ParentViewer, PositionAsSubmenu, SelectFirstItem || FAlwaysSelectFirst,
                                   Customizing, PopupPoint, Alignment);
}

// ---------------------------------------------------------------------------------------
// TTBXComboBoxItem

// Raises the busy flag for a scope and puts back what it was on every way out, a throwing
// event handler included (a flag left up would stop auto-completion for good).
class TTBXComboBoxItem::TBusy {
public:
  explicit TBusy(TTBXComboBoxItem* Combo) : FCombo(Combo), FWas(Combo->FBusy) { Combo->FBusy = true; }
  ~TBusy() { FCombo->FBusy = FWas; }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

private:
  TTBXComboBoxItem* FCombo;
  bool FWas;
};

TTBXComboBoxItem::TTBXComboBoxItem()
{
  SetItemStyle(ItemStyle() & ~tbisCarried);
  auto list = std::make_unique<TTBXComboList>();
  FList = list.get();
  FList->OnChange = [this](TObject*) { ListChange(); };
  FList->OnClick = [this](TObject*) { ListClick(); };
  static_cast<TTBXComboList*>(FList)->OnCancel = [this] {
    if (FList && FIndexAtPopup != FList->ItemIndex())
      FList->SetItemIndex(FIndexAtPopup);
  };
  // The entries' images are the combo's to adjust, each with its text and index.
  FList->OnAdjustImageIndex = [this](TTBXCustomList*, Integer AIndex, Integer& ImageIndex) {
    if (OnAdjustImageIndex && AIndex >= 0 && AIndex < static_cast<Integer>(Strings().size()))
      OnAdjustImageIndex(this, Strings()[static_cast<size_t>(AIndex)], AIndex, ImageIndex);
  };
  FList->SetMinWidth(64);
  FreeNotification(FList);
  // The list is the only child, so the popup is a list popup.
  Add(std::move(list));
}

TTBXComboBoxItem::~TTBXComboBoxItem()
{
  // The children go after this part of the combo: the list must no longer call back.
  if (FList) {
    FList->OnChange = nullptr;
    FList->OnClick = nullptr;
    FList->OnAdjustImageIndex = nullptr;
    static_cast<TTBXComboList*>(FList)->OnCancel = nullptr;
    RemoveFreeNotification(FList);
  }
}

void TTBXComboBoxItem::Notification(TComponent* AComponent, TOperation Operation)
{
  TTBXCustomDropDownItem::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FList)
    FList = nullptr;
}

Integer TTBXComboBoxItem::ItemIndex() const
{
  if (!FList)
    return -1;
  Integer i = FList->ItemIndex();
  return i >= 0 && i < FList->GetCount() ? i : -1;
}

void TTBXComboBoxItem::SetItemIndex(Integer Value)
{
  if (FList)
    FList->SetItemIndex(Value);
}

namespace {
const std::vector<std::string> NoStrings;
}

const std::vector<std::string>& TTBXComboBoxItem::Strings() const { return FList ? FList->Strings() : NoStrings; }
void TTBXComboBoxItem::SetStrings(const std::vector<std::string>& v)
{
  if (FList)
    FList->SetStrings(v);
}
Integer TTBXComboBoxItem::MaxVisibleItems() const { return FList ? FList->MaxVisibleItems() : 8; }
void TTBXComboBoxItem::SetMaxVisibleItems(Integer v)
{
  if (FList)
    FList->SetMaxVisibleItems(v);
}
Integer TTBXComboBoxItem::MaxListWidth() const { return FList ? FList->MaxWidth() : 0; }
void TTBXComboBoxItem::SetMaxListWidth(Integer v)
{
  if (FList)
    FList->SetMaxWidth(v);
}
Integer TTBXComboBoxItem::MinListWidth() const { return FList ? FList->MinWidth() : 64; }
void TTBXComboBoxItem::SetMinListWidth(Integer v)
{
  if (FList)
    FList->SetMinWidth(v);
}
bool TTBXComboBoxItem::ShowListImages() const { return FList && FList->ShowImages(); }
void TTBXComboBoxItem::SetShowListImages(bool v)
{
  if (FList)
    FList->SetShowImages(v);
}
void TTBXComboBoxItem::SetOnClearItem(TTBXLPaintEvent v)
{
  if (FList)
    FList->OnClearItem = std::move(v);
}
void TTBXComboBoxItem::SetOnDrawItem(TTBXLPaintEvent v)
{
  if (FList)
    FList->OnDrawItem = std::move(v);
}
void TTBXComboBoxItem::SetOnMeasureHeight(TTBXLMeasureHeight v)
{
  if (FList)
    FList->OnMeasureHeight = std::move(v);
}
void TTBXComboBoxItem::SetOnMeasureWidth(TTBXLMeasureWidth v)
{
  if (FList)
    FList->OnMeasureWidth = std::move(v);
}

const void* TTBXComboBoxItem::GetItemViewerClass(TTBView* AView) const
{
  return UsesEditViewer(this, AView) ? &XComboViewerClassToken : &XPlainViewerClassToken;
}

std::unique_ptr<TTBItemViewer> TTBXComboBoxItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  if (UsesEditViewer(this, AView))
    return std::make_unique<TTBXComboBoxItemViewer>(AView, this, AGroupLevel);
  return TTBXEditItem::CreateViewer(AView, AGroupLevel);
}

Integer TTBXComboBoxItem::IndexOfText(const std::string& S) const
{
  const auto& s = Strings();
  auto it = std::find(s.begin(), s.end(), S);
  return it == s.end() ? -1 : static_cast<Integer>(it - s.begin());
}

void TTBXComboBoxItem::Loaded()
{
  TTBXCustomDropDownItem::Loaded();
  Integer i = IndexOfText(Text());
  if (FList && i >= 0) {
    TBusy busy(this);
    FList->SetItemIndex(i);
  }
}

void TTBXComboBoxItem::ListChange()
{
  FCachedImageIndexValid = false;
  Integer i = ItemIndex();
  if (i < 0)
    return;
  TBusy busy(this);
  const std::string& entry = Strings()[static_cast<size_t>(i)];
  if (Text() != entry) {
    SetText(entry);
    TTBXEditItem::HandleEditChange(nullptr);
  }
}

void TTBXComboBoxItem::ListClick()
{
  FCachedImageIndexValid = false;
  if (OnItemClick)
    OnItemClick(this);
}

void TTBXComboBoxItem::DoPopup(TTBCustomItem* Sender, bool FromLink)
{
  TTBXCustomDropDownItem::DoPopup(Sender, FromLink);
  if (FList) {
    FList->SetItemIndex(IndexOfText(Text()));
    FIndexAtPopup = FList->ItemIndex();
  }
}

void TTBXComboBoxItem::DoBeginEdit(TTBEditItemViewer* Viewer)
{
  // Completion compares what is typed with what the edit held before: at first, the text
  // the edit starts with (not what an earlier edit left behind).
  if (Viewer->EditControl())
    FLastEditText = Viewer->EditControl()->Text();
  TTBXCustomDropDownItem::DoBeginEdit(Viewer);
}

void TTBXComboBoxItem::HandleEditChange(TTBEditControl* Edit)
{
  TTBXCustomDropDownItem::HandleEditChange(Edit);
  FCachedImageIndexValid = false;
  if (FBusy || HasState(csDesigning) || !FList)
    return;
  TBusy busy(this);
  std::string s = Edit ? Edit->Text() : Text();
  const auto& strings = Strings();
  Integer first = -1;
  if (!s.empty())
    for (size_t k = 0; k < strings.size() && first < 0; ++k)
      if (StartsTextI(s, strings[k]))
        first = static_cast<Integer>(k);
  std::string typed = s;
  if (first < 0) {
    FList->SetItemIndex(-1);
  } else {
    static_cast<TTBXComboList*>(FList)->ScrollIntoView(first);
    const std::string& entry = strings[static_cast<size_t>(first)];
    // Completed only when the user typed at the end of what was there.
    if (FAutoComplete && Edit && s.size() > FLastEditText.size() && StartsTextI(FLastEditText, s)) {
      std::string full = entry;
      Edit->SetText(full);
      Edit->SetSel(static_cast<Integer>(s.size()), static_cast<Integer>(full.size() - s.size()));
      s = full;
    }
    // The entry the text names, whichever comes first among those that start with it.
    Integer exact = -1;
    for (size_t k = 0; k < strings.size() && exact < 0; ++k)
      if (Folded(strings[k]) == Folded(s))
        exact = static_cast<Integer>(k);
    FList->SetItemIndex(exact);
  }
  // What the user typed, not what was added to it: typing on over the added part goes on
  // completing.
  FLastEditText = typed;
}

void TTBXComboBoxItem::SetEditTextQuietly(TTBEditControl* Edit, const std::string& S)
{
  TBusy busy(this);
  Edit->SetText(S);
  FLastEditText = S;
}

Integer TTBXComboBoxItem::GetImageIndex()
{
  if (!FCachedImageIndexValid) {
    Integer index = ImageIndex();
    if (ItemIndex() >= 0)
      index = ItemIndex();
    if (OnAdjustImageIndex)
      OnAdjustImageIndex(this, Text(), -1, index);
    FCachedImageIndex = index;
    FCachedImageIndexValid = true;
  }
  return FCachedImageIndex;
}

// ---------------------------------------------------------------------------------------
// TTBXEditItemViewer

const void* TTBXEditItemViewer::ViewerClass() const { return &XEditViewerClassToken; }

Integer TTBXEditItemViewer::GetAccRole() { return TTBEditItemViewer::GetAccRole(); }

bool TTBXEditItemViewer::IsToolbarSize()
{
  return TTBEditItemViewer::IsToolbarSize() || HasViewBits(GetViewType(View()), PVT_TOOLBOX);
}

bool TTBXEditItemViewer::IsToolbarStyle()
{
  return TTBEditItemViewer::IsToolbarStyle() || HasViewBits(GetViewType(View()), PVT_TOOLBOX);
}

bool TTBXEditItemViewer::ShowImage() { return XItem()->ShowImage(); }

std::unique_ptr<TTBEditControl> TTBXEditItemViewer::CreateEditControl() { return std::make_unique<TTBXEdit>(); }

void TTBXEditItemViewer::EditChanged() { XItem()->HandleEditChange(EditControl()); }

Integer TTBXEditItemViewer::PopupMargin(TCanvas& Canvas)
{
  TCustomImageList* list = GetImageList();
  Integer w = list ? list->Width() : 0, h = list ? list->Height() : 0;
  if (w == 0 || h == 0)
    w = h = 16;
  TTextMetric tm = Canvas.GetTextMetrics();
  return TBXPopupMargin(w, h, tm.tmHeight + tm.tmExternalLeading, Metric(TMI_MENU_ITEM_VMARGIN));
}

void TTBXEditItemViewer::GetItemInfo(TCanvas& Canvas, TTBXItemInfo& ItemInfo, bool IsPushed, bool IsSelected)
{
  TTBView* view = View();
  ItemInfo = TTBXItemInfo{};
  ItemInfo.ViewType = GetViewType(view);
  bool toolbarStyle = IsToolbarStyle();
  if (toolbarStyle)
    ItemInfo.ItemOptions |= IO_TOOLBARSTYLE;
  if (Item()->HasState(csDesigning))
    ItemInfo.ItemOptions |= IO_DESIGNING;
  ItemInfo.Enabled = Item()->Enabled() || view->Customizing();
  ItemInfo.Pushed = IsPushed;
  if (IsSelected) {
    if (ItemInfo.Enabled)
      ItemInfo.HoverKind = 2;
    else if (!view->MouseOverSelected())
      ItemInfo.HoverKind = 1;
  }
  ItemInfo.Selected = Item()->Checked();
  if (!toolbarStyle)
    ItemInfo.PopupMargin = PopupMargin(Canvas);
}

Integer TTBXEditItemViewer::GetIndentBefore()
{
  TCustomImageList* list = GetImageList();
  return ShowImage() && list ? list->Width() + 2 : 0;
}

Integer TTBXEditItemViewer::GetIndentAfter() { return 0; }

void TTBXEditItemViewer::GetEditInfo(TTBXEditFrameInfo& EditInfo, const TTBXItemInfo&)
{
  EditInfo = TTBXEditFrameInfo{};
  EditInfo.LeftBtnWidth = GetIndentBefore();
  EditInfo.RightBtnWidth = GetIndentAfter();
}

void TTBXEditItemViewer::CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight)
{
  // The view measures every item on this canvas: its font goes back as it was.
  TFont saved;
  saved.Assign(Canvas.Font());
  struct TRestore {
    TCanvas& C;
    TFont& F;
    ~TRestore() { C.Font().Assign(F); }
  } restore{Canvas, saved};
  Canvas.Font().Assign(View()->GetFont());
  XItem()->FontSettings().Apply(Canvas.Font());
  Integer textH = GetTextHeight(Canvas);
  Integer h = textH + 1;
  AWidth = EditItem()->EditWidth();
  bool toolbarStyle = IsToolbarStyle();
  if (!toolbarStyle) {
    if (BoolMetric(TMB_EDITMENUFULLSELECT))
      AWidth += Metric(TMI_MENU_IMGTEXTSPACE) + PopupMargin(Canvas);
    else
      AWidth += Metric(TMI_MENU_LCAPTIONMARGIN);
    if (!EditItem()->EditCaption().empty())
      AWidth += GetTextWidth(Canvas, EditItem()->EditCaption(), true) + Metric(TMI_EDIT_MENURIGHTINDENT)
                + Metric(TMI_MENU_RCAPTIONMARGIN);
  }
  // The frame and the text margins round the font's own height.
  Integer minH = 2 * Metric(TMI_EDIT_TEXTMARGINVERT) + textH + 2 * Metric(TMI_EDIT_FRAMEWIDTH);
  if (toolbarStyle)
    h += 2 * Metric(TMI_EDIT_FRAMEWIDTH);
  else
    h += h / 4;
  h = std::max(h, minH);
  if (BoolMetric(TMB_EDITHEIGHTEVEN))
    h = (h + 1) & ~1;
  else
    h |= 1;
  AHeight = h;
}

TRect TTBXEditItemViewer::GetFrameRect()
{
  TRect r{0, 0, BoundsRect.Width(), BoundsRect.Height()};
  if (!IsToolbarStyle()) {
    TCanvas& c = View()->MeasureCanvas();
    c.Font().Assign(View()->GetFont());
    if (BoolMetric(TMB_EDITMENUFULLSELECT))
      r.Left += Metric(TMI_MENU_IMGTEXTSPACE) + PopupMargin(c);
    else
      r.Left += Metric(TMI_MENU_LCAPTIONMARGIN);
    if (!EditItem()->EditCaption().empty())
      r.Left += GetTextWidth(c, EditItem()->EditCaption(), true) + Metric(TMI_EDIT_MENURIGHTINDENT)
                + Metric(TMI_MENU_RCAPTIONMARGIN);
  }
  return r;
}

TRect TTBXEditItemViewer::GetEditControlRect()
{
  TRect f = GetFrameRect();
  TRect r{BoundsRect.Left + f.Left, BoundsRect.Top + f.Top, BoundsRect.Left + f.Right, BoundsRect.Top + f.Bottom};
  // The edit control lies 3 pixels inside this rectangle.
  Integer dx = Metric(TMI_EDIT_TEXTMARGINHORZ) + Metric(TMI_EDIT_FRAMEWIDTH) - 3;
  Integer dy = Metric(TMI_EDIT_FRAMEWIDTH) - 3 + Metric(TMI_EDIT_TEXTMARGINVERT);
  r = {r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy};
  r.Left += GetIndentBefore();
  r.Right -= GetIndentAfter();
  return r;
}

void TTBXEditItemViewer::Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed, bool)
{
  TTBXTheme* theme = CurrentTheme();
  TTBXEditItem* item = XItem();
  Canvas.Font().Assign(View()->GetFont());
  TTBXItemInfo info;
  GetItemInfo(Canvas, info, IsPushed, IsSelected);
  TTBXEditFrameInfo editInfo;
  GetEditInfo(editInfo, info);
  TPoint o{ClientAreaRect.Left, ClientAreaRect.Top};
  auto moved = [&](TRect r) { return TRect{r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y}; };
  TRect frame = moved(GetFrameRect());

  if (!IsToolbarStyle()) {
    // The selection spans caption and box; the caption stands left of the box.
    theme->PaintMenuItemFrame(Canvas, ClientAreaRect, info);
    const std::string& caption = item->EditCaption();
    if (!caption.empty()) {
      Integer w = GetTextWidth(Canvas, caption, true);
      TRect c{frame.Left - Metric(TMI_EDIT_MENURIGHTINDENT) - Metric(TMI_MENU_RCAPTIONMARGIN) - w, ClientAreaRect.Top,
              frame.Left - Metric(TMI_EDIT_MENURIGHTINDENT) - Metric(TMI_MENU_RCAPTIONMARGIN), ClientAreaRect.Bottom};
      Canvas.Font().SetColor(theme->GetItemTextColor(info));
      theme->PaintCaption(Canvas, c, info, caption, DT_SINGLELINE | DT_VCENTER, false);
    }
  }
  theme->PaintEditFrame(Canvas, frame, info, editInfo);

  TRect editR = GetEditControlRect();
  TRect box = moved({editR.Left - BoundsRect.Left + 3, editR.Top - BoundsRect.Top + 3,
                     editR.Right - BoundsRect.Left - 3, editR.Bottom - BoundsRect.Top - 3});
  if (ShowImage()) {
    TCustomImageList* list = GetImageList();
    Integer index = item->GetImageIndex();
    if (list && index >= 0 && index < list->Count()) {
      Integer fw = Metric(TMI_EDIT_FRAMEWIDTH);
      TRect area{frame.Left + fw, frame.Top + fw, frame.Left + fw + editInfo.LeftBtnWidth, frame.Bottom - fw};
      Integer x = area.Left + (area.Width() - list->Width()) / 2, y = area.Top + (area.Height() - list->Height()) / 2;
      theme->PaintImage(Canvas, {x, y, x + list->Width(), y + list->Height()}, info, list, index);
    }
  }
  if (Editing())
    return;   // the edit control shows the text
  Canvas.Font().SetColor(clWindowText);
  item->FontSettings().Apply(Canvas.Font());
  if (!info.Enabled)
    Canvas.Font().SetColor(clGrayText);
  std::string text = item->Text();
  if (item->PasswordChar())
    text.assign(text.size(), item->PasswordChar());
  // Where the edit control will show it: one pixel in, from the top.
  uint32_t align = item->Alignment() == taRightJustify ? DT_RIGHT : item->Alignment() == taCenter ? DT_CENTER : DT_LEFT;
  TRect t{box.Left + 1, box.Top, box.Right - 1, box.Bottom};
  Canvas.SetTextColor(Canvas.Font().Color());
  Canvas.SetBkMode(TRANSPARENT);
  Canvas.DrawText(text, t, DT_SINGLELINE | DT_NOPREFIX | align);
}

// ---------------------------------------------------------------------------------------
// TTBXDropDownItemViewer

const void* TTBXDropDownItemViewer::ViewerClass() const { return &XDropDownViewerClassToken; }

Integer TTBXDropDownItemViewer::GetAccRole() { return ROLE_SYSTEM_COMBOBOX; }

bool TTBXDropDownItemViewer::IsDropDownList() const
{
  return static_cast<TTBXCustomDropDownItem*>(Item())->DropDownList();
}

Integer TTBXDropDownItemViewer::GetIndentAfter()
{
  return IsToolbarStyle() ? Metric(TMI_EDIT_BTNWIDTH) : SystemSettings().MenuCheckWidth;
}

void TTBXDropDownItemViewer::GetEditInfo(TTBXEditFrameInfo& EditInfo, const TTBXItemInfo& ItemInfo)
{
  TTBXEditItemViewer::GetEditInfo(EditInfo, ItemInfo);
  EditInfo.RightBtnInfo.ButtonType = EBT_DROPDOWN;
  Integer state = 0;
  if (!ItemInfo.Enabled)
    state |= EBDS_DISABLED;
  if (ItemInfo.HoverKind == 2)
    state |= EBDS_HOT;
  if (ItemInfo.Pushed)
    state |= EBDS_PRESSED;
  EditInfo.RightBtnInfo.ButtonState = state;
}

bool TTBXDropDownItemViewer::IsPtInButtonPart(Integer X, Integer)
{
  if (IsDropDownList())
    return false;
  return X < BoundsRect.Width() - GetIndentAfter();
}

bool TTBXDropDownItemViewer::HandleEditMessage(const TInputEvent& Ev)
{
  if (Ev.Kind == TInputKind::KeyDown && Ev.Key == VK_F4 && !(Ev.Shift & ssAlt)) {
    if (View()->Selected() != this)
      View()->Select(this, false);
    View()->OpenChildPopup(true);
    return true;
  }
  return false;
}

void TTBXDropDownItemViewer::GetCursor(TPoint Pt, TCursor& ACursor)
{
  if (!IsDropDownList())
    TTBXEditItemViewer::GetCursor(Pt, ACursor);
}

bool TTBXDropDownItemViewer::DoExecute()
{
  if (IsDropDownList())
    return false;
  return TTBXEditItemViewer::DoExecute();
}

void TTBXDropDownItemViewer::MouseDown(TShiftState Shift, Integer X, Integer Y, bool& MouseDownOnMenu)
{
  // A list that cannot be typed into is a button that opens its popup.
  if (IsDropDownList())
    TTBItemViewer::MouseDown(Shift, X, Y, MouseDownOnMenu);
  else
    TTBXEditItemViewer::MouseDown(Shift, X, Y, MouseDownOnMenu);
}

void TTBXDropDownItemViewer::MouseUp(Integer X, Integer Y, bool MouseWasDownOnMenu)
{
  if (IsDropDownList())
    TTBItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
  else
    TTBXEditItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
}

// ---------------------------------------------------------------------------------------
// TTBXComboBoxItemViewer

const void* TTBXComboBoxItemViewer::ViewerClass() const { return &XComboViewerClassToken; }

bool TTBXComboBoxItemViewer::HandleEditMessage(const TInputEvent& Ev)
{
  if (Ev.Kind == TInputKind::KeyDown && (Ev.Key == VK_UP || Ev.Key == VK_DOWN) && !(Ev.Shift & ssAlt)) {
    auto* combo = static_cast<TTBXComboBoxItem*>(Item());
    Integer count = static_cast<Integer>(combo->Strings().size());
    if (count > 0) {
      // Up and Down stay within the list: an index past either end would name no entry.
      Integer i = combo->ItemIndex();
      Integer next = Ev.Key == VK_UP ? (i > 0 ? i - 1 : i) : (i < count - 1 ? i + 1 : i);
      combo->SetItemIndex(next);
    }
    if (TTBEditControl* edit = EditControl()) {
      // The edit shows the entry; that is no typing to complete.
      combo->SetEditTextQuietly(edit, combo->Text());
      edit->SelectAll();
    }
    return true;
  }
  return TTBXDropDownItemViewer::HandleEditMessage(Ev);
}

// ---------------------------------------------------------------------------------------
// TTBXEditPopupWindow

Integer TTBXEditPopupWindow::ViewType() const
{
  TTBCustomItem* parent = View() ? View()->RootItem() : nullptr;
  if (parent && parent->Count() == 1 && dynamic_cast<TTBXCustomList*>(parent->Items(0)))
    return PVT_LISTBOX;
  return PVT_TOOLBOX;
}
