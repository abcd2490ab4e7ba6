// The edit item, its viewer with the in-place edit loop, and the edit control it uses.
#include "toolbar/EditItems.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "toolbar/AccessibleItems.h"
#include "toolbar/KitHelpers.h"

// ---------------------------------------------------------------------------------------
// TTBEditControl

TTBEditControl::TTBEditControl()
{
  SetBordered(false);
  SetTabStop(false);
}

void TTBEditControl::SetText(const std::string& v)
{
  const std::string before = Text();
  TEdit::SetText(v);
  SetSelStart(static_cast<Integer>(Text().size()));
  if (Text() != before && OnChange)
    OnChange(this);
}

// ---------------------------------------------------------------------------------------
// TTBEditItem

static const char EditItemViewerClassToken = 0;

TTBEditItem::TTBEditItem() = default;

void TTBEditItem::DoAcceptText(std::string& NewText, bool& Accept)
{
  if (OnAcceptText)
    OnAcceptText(this, NewText, Accept);
  else if (auto* a = dynamic_cast<TTBEditAction*>(Action()); a && a->OnAcceptText)
    a->OnAcceptText(this, NewText, Accept);
}

std::unique_ptr<TTBCustomItemActionLink> TTBEditItem::CreateActionLink()
{
  return std::make_unique<TTBEditItemActionLink>(this);
}

void TTBEditItem::ActionChange(TObject* Sender, bool CheckDefaults)
{
  TTBCustomItem::ActionChange(Sender, CheckDefaults);
  auto* a = dynamic_cast<TTBEditAction*>(Sender);
  if (!a)
    return;
  if (!CheckDefaults || FEditCaption.empty())
    SetEditCaption(a->EditCaption());
  if (!CheckDefaults || FEditOptions == 0)
    SetEditOptions(a->EditOptions());
  if (!CheckDefaults || FEditWidth == 64)
    SetEditWidth(a->EditWidth());
  if (!CheckDefaults || FText.empty())
    SetText(a->Text());
}

template <class F>
void TTBEditAction::ForLinks(F f)
{
  std::vector<TBasicActionLink*> clients = Clients();
  for (TBasicActionLink* l : clients)
    if (auto* el = dynamic_cast<TTBEditItemActionLink*>(l))
      f(*el);
}

void TTBEditAction::SetEditCaption(const std::string& v)
{
  if (v == FEditCaption)
    return;
  ForLinks([&](TTBEditItemActionLink& l) { l.SetEditCaption(v); });
  FEditCaption = v;
}

void TTBEditAction::SetEditOptions(TTBEditItemOptions v)
{
  if (v == FEditOptions)
    return;
  ForLinks([&](TTBEditItemActionLink& l) { l.SetEditOptions(v); });
  FEditOptions = v;
}

void TTBEditAction::SetEditWidth(Integer v)
{
  if (v == FEditWidth)
    return;
  ForLinks([&](TTBEditItemActionLink& l) { l.SetEditWidth(v); });
  FEditWidth = v;
}

void TTBEditAction::SetText(const std::string& v)
{
  if (v == FText)
    return;
  ForLinks([&](TTBEditItemActionLink& l) { l.SetText(v); });
  FText = v;
}

bool TTBEditItemActionLink::IsEditCaptionLinked()
{
  return EditAction() && FEdit->EditCaption() == EditAction()->EditCaption();
}
bool TTBEditItemActionLink::IsEditOptionsLinked()
{
  return EditAction() && FEdit->EditOptions() == EditAction()->EditOptions();
}
bool TTBEditItemActionLink::IsEditWidthLinked()
{
  return EditAction() && FEdit->EditWidth() == EditAction()->EditWidth();
}
bool TTBEditItemActionLink::IsTextLinked() { return EditAction() && FEdit->Text() == EditAction()->Text(); }

void TTBEditItemActionLink::SetEditCaption(const std::string& v)
{
  if (IsEditCaptionLinked())
    FEdit->SetEditCaption(v);
}

void TTBEditItemActionLink::SetEditOptions(TTBEditItemOptions v)
{
  if (IsEditOptionsLinked())
    FEdit->SetEditOptions(v);
}

void TTBEditItemActionLink::SetEditWidth(Integer v)
{
  if (IsEditWidthLinked())
    FEdit->SetEditWidth(v);
}

void TTBEditItemActionLink::SetText(const std::string& v)
{
  if (IsTextLinked())
    FEdit->SetText(v);
}

void TTBEditItem::SetEditCaption(const std::string& v)
{
  if (v == FEditCaption)
    return;
  FEditCaption = v;
  Change(true);
}

void TTBEditItem::SetEditOptions(TTBEditItemOptions v)
{
  if (v == FEditOptions)
    return;
  FEditOptions = v;
  Change(true);
}

void TTBEditItem::SetEditWidth(Integer v)
{
  if (v == FEditWidth)
    return;
  FEditWidth = v;
  Change(true);
}

void TTBEditItem::SetMaxLength(Integer v)
{
  if (v == FMaxLength)
    return;
  FMaxLength = v;
  Change(false);
}

void TTBEditItem::SetCharCase(TEditCharCase v)
{
  if (v == FCharCase)
    return;
  FCharCase = v;
  SetText(FText);
}

void TTBEditItem::SetText(const std::string& v)
{
  std::string t = ApplyCharCase(v, FCharCase);
  if (t == FText)
    return;
  FText = t;
  Change(false);
}

const void* TTBEditItem::GetItemViewerClass(TTBView* AView) const
{
  if ((FEditOptions & tboUseEditWhenVertical) || !AView || AView->Orientation() != voVertical)
    return &EditItemViewerClassToken;
  return TTBCustomItem::GetItemViewerClass(AView);
}

std::unique_ptr<TTBItemViewer> TTBEditItem::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  if (GetItemViewerClass(AView) == &EditItemViewerClassToken)
    return std::make_unique<TTBEditItemViewer>(AView, this, AGroupLevel);
  return TTBCustomItem::CreateViewer(AView, AGroupLevel);
}

bool TTBEditItem::NeedToRecreateViewer(TTBItemViewer* AViewer)
{
  return AViewer->ViewerClass() != GetItemViewerClass(AViewer->View());
}

void TTBEditItem::DoBeginEdit(TTBEditItemViewer* Viewer)
{
  if (OnBeginEdit)
    OnBeginEdit(this, Viewer, Viewer->EditControl());
}

// ---------------------------------------------------------------------------------------
// TTBEditItemViewer

TTBEditItemViewer::~TTBEditItemViewer() = default;

const void* TTBEditItemViewer::ViewerClass() const { return &EditItemViewerClassToken; }

Integer TTBEditItemViewer::GetAccRole() { return ROLE_SYSTEM_TEXT; }

bool TTBEditItemViewer::GetAccValue(std::string& Value)
{
  Value = EditItem()->Text();
  return true;
}

// The box's label names it.
std::string TTBEditItemViewer::GetCaptionText() { return EditItem()->EditCaption(); }

bool TTBEditItemViewer::ShowsEditCaption() { return !IsToolbarStyle() && !EditItem()->EditCaption().empty(); }

Integer TTBEditItemViewer::EditCaptionWidth()
{
  TCanvas& c = View()->MeasureCanvas();
  c.Font().Assign(View()->GetFont());
  return GetTextWidth(c, EditItem()->EditCaption(), true);
}

void TTBEditItemViewer::CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight)
{
  AWidth = EditItem()->EditWidth();
  if (ShowsEditCaption())
    AWidth += GetTextWidth(Canvas, EditItem()->EditCaption(), true) + 10;
  Integer textH = GetTextHeight(Canvas);
  AHeight = textH;
  if (!IsToolbarStyle())
    AHeight += DivRoundUp(AHeight, 4);
  AHeight = std::max(AHeight, textH + 7);
}

TRect TTBEditItemViewer::GetEditControlRect()
{
  TRect r = BoundsRect;
  if (ShowsEditCaption())
    r.Left += EditCaptionWidth() + 10;
  return r;
}

void TTBEditItemViewer::GetCursor(TPoint Pt, TCursor& ACursor)
{
  if (!Item()->Enabled())
    return;
  TRect r = GetEditControlRect();
  TRect box = Rect(r.Left - BoundsRect.Left + 2, r.Top - BoundsRect.Top + 2, r.Right - BoundsRect.Left - 2,
                   r.Bottom - BoundsRect.Top - 2);
  if (box.Contains(Pt))
    ACursor = crIBeam;
}

void TTBEditItemViewer::MouseDown(TShiftState Shift, Integer X, Integer Y, bool& MouseDownOnMenu)
{
  TRect r = GetEditControlRect();
  TPoint p{X + BoundsRect.Left, Y + BoundsRect.Top};
  FPressedOnBox = false;
  if (Item()->Enabled() && r.Contains(p)) {
    // Editing starts on the release, so the release does not end it.
    View()->Select(this, true);
    FPressedOnBox = true;
    return;
  }
  TTBItemViewer::MouseDown(Shift, X, Y, MouseDownOnMenu);
}

void TTBEditItemViewer::MouseUp(Integer X, Integer Y, bool MouseWasDownOnMenu)
{
  if (FPressedOnBox) {
    FPressedOnBox = false;
    if (Item()->Enabled() && View()->Selected() == this)
      Execute(true);
    return;
  }
  TTBItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
}

void TTBEditItemViewer::Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool IsSelected, bool, bool)
{
  TTBEditItem* item = EditItem();
  bool enabled = item->Enabled();
  TRect box = ClientAreaRect;
  if (ShowsEditCaption()) {
    Integer capW = GetTextWidth(Canvas, item->EditCaption(), true) + 6;
    if (IsSelected)
      Canvas.FillRect(ClientAreaRect);
    TRect cell = Rect(ClientAreaRect.Left + 3, ClientAreaRect.Top, ClientAreaRect.Left + capW, ClientAreaRect.Bottom);
    Canvas.SetBkMode(TRANSPARENT);
    DrawItemCaption(Canvas, cell, item->EditCaption(), false, DT_SINGLELINE | DT_VCENTER);
    box.Left += capW + 4;
  }
  if (IsSelected && enabled) {
    TRect e = box;
    Canvas.DrawEdge(e, BDR_SUNKENOUTER, BF_RECT);
  }
  box = Rect(box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1);
  TBrush saved;
  saved.Assign(Canvas.Brush());
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetColor(enabled ? clBtnFace : clWindow);
  Canvas.FrameRect(box);
  box = Rect(box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1);
  Canvas.FillRect(box, enabled ? clWindow : clBtnFace);
  box = Rect(box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1);
  Canvas.SetTextColor(enabled ? clWindowText : clGrayText);
  Canvas.SetBkMode(TRANSPARENT);
  Canvas.DrawText(item->Text(), box, DT_SINGLELINE | DT_NOPREFIX);
  Canvas.Brush().Assign(saved);
}

std::unique_ptr<TTBEditControl> TTBEditItemViewer::CreateEditControl() { return std::make_unique<TTBEditControl>(); }

void TTBEditItemViewer::AcceptText(const std::string& NewText)
{
  TTBEditItem* item = EditItem();
  std::string text = NewText;
  bool accept = true;
  item->DoAcceptText(text, accept);
  if (accept)
    item->SetText(text);
}

namespace {

// The control that had the focus before an edit, forgotten if it is freed meanwhile.
class TFocusWatch : public TComponent {
public:
  explicit TFocusWatch(TWinControl* AControl) : Control(AControl)
  {
    if (Control)
      FreeNotification(Control);
  }
  TWinControl* Control;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override
  {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Control)
      Control = nullptr;
  }
};

}   // namespace

uint8_t TTBEditItemViewer::EditLoop(bool& ShiftHeld)
{
  TTBEditItem* item = EditItem();
  TCustomControl* window = View()->Window();
  TRect r = GetEditControlRect();
  if (r.IsEmpty() || !window)
    return 0;
  TControl* savedCapture = GetCaptureControl();
  TCursor savedCursor = Screen().Cursor();
  TFocusWatch savedFocus(FindFocusedControl());

  FEditControl = CreateEditControl();
  TTBEditControl* edit = FEditControl.get();
  char name[96];
  std::snprintf(name, sizeof name, "TTBEditItemViewer_edit_control_%p", static_cast<void*>(edit));
  edit->SetName(name);
  edit->SetVisible(false);
  edit->Font().Assign(View()->GetFont());
  edit->SetCharCase(item->CharCase());
  edit->SetMaxLength(item->MaxLength());
  edit->SetText(item->Text());
  edit->SetBounds(r.Left + 3, r.Top + 3, r.Width() - 6, r.Height() - 6);
  edit->SetParent(window);
  edit->SelectAll();
  item->DoBeginEdit(this);
  edit->Show();
  edit->SetFocus();

  uint8_t status = esContinue;
  bool ended = false;
  bool capturing = false;
  std::vector<TInputEvent> replay;
  auto finish = [&] { ended = true; };
  int filter = AddInputFilter([&](const TInputEvent& ev) -> bool {
    if (ended) {
      // A press that ended the edit waits to be replayed; the buttons' input after it waits
      // with it, or its release would arrive first and leave the button held.
      bool mouseButton =
          ev.Kind == TInputKind::MouseDown || ev.Kind == TInputKind::MouseDblClick || ev.Kind == TInputKind::MouseUp;
      if (!mouseButton || replay.empty())
        return false;
      replay.push_back(ev);
      return true;
    }
    if (HandleEditMessage(ev))
      return true;
    switch (ev.Kind) {
    case TInputKind::KeyDown: {
      ShiftHeld = (ev.Shift & ssShift) != 0;
      if (ev.Key == VK_MENU)
        return true;   // Alt ends the edit on its release
      // Alt held with another key (a system key): only keypad digits, which type a
      // character by their codes, go on; Shift and Kanji are no reason to stop.
      constexpr Word VK_KANJI = 0x19;
      if ((ev.Shift & ssAlt) && ev.Key != VK_SHIFT && ev.Key != VK_KANJI
          && !(ev.Key >= VK_NUMPAD0 && ev.Key <= VK_NUMPAD9)) {
        status = esClose;
        finish();
        return true;
      }
      if (ev.Key == VK_TAB || ev.Char == '\t') {
        status = esAccept;
        AcceptText(edit->Text());
        return true;
      }
      if (ev.Key == VK_RETURN || ev.Char == '\r') {
        status = esAccept | esClose;
        AcceptText(edit->Text());
        return true;
      }
      if (ev.Key == VK_ESCAPE || ev.Char == '\x1b') {
        status = 0;
        return true;
      }
      Word key = ev.Key;
      if (key != 0)
        edit->DispatchKeyDown(key, ev.Shift);
      char ch = ev.Char;
      if ((key != 0 || ev.Key == 0) && ch != 0)
        edit->DispatchKeyPress(ch);
      return true;
    }
    case TInputKind::KeyUp:
      if (ev.Key == VK_MENU) {
        status = esClose;
        finish();
      }
      return true;
    case TInputKind::MouseDown:
    case TInputKind::MouseDblClick:
    case TInputKind::MouseUp: {
      TPoint p = edit->ScreenToClient(ev.ScreenPos);
      if (!edit->ClientRect().Contains(p)) {
        // A click elsewhere ends the edit and then reaches its own window.
        replay.push_back(ev);
        finish();
        return true;
      }
      if (ev.Kind == TInputKind::MouseUp)
        edit->DispatchMouseUp(ev.Button, ev.Shift, p.X, p.Y);
      else
        edit->DispatchMouseDown(ev.Button, ev.Shift, p.X, p.Y);
      return true;
    }
    case TInputKind::MouseMove: {
      TPoint p = edit->ScreenToClient(ev.ScreenPos);
      bool inside = edit->ClientRect().Contains(p);
      if (!inside && !capturing) {
        SetCaptureControl(window);
        Screen().SetCursor(crArrow);
        capturing = true;
      } else if (inside && capturing) {
        SetCaptureControl(savedCapture);
        Screen().SetCursor(savedCursor);
        capturing = false;
      }
      if (inside)
        edit->DispatchMouseMove(ev.Shift, p.X, p.Y);
      return true;
    }
    case TInputKind::MouseWheel: return true;
    }
    return false;
  });
  bool hadFocus = false;
  RunNestedLoop([&] {
    if (ended || !(status & esContinue) || !item->Enabled())
      return true;
    // The edit ends when its control loses the focus it had.
    if (edit->Focused())
      hadFocus = true;
    else if (hadFocus)
      return true;
    return false;
  });
  RemoveInputFilter(filter);

  std::string text = edit->Text();
  if (status == esContinue)
    AcceptText(text);   // a click elsewhere or lost focus keeps what was typed
  FEditControl.reset();
  // The focus goes back to the control that had it, as the capture does below.
  if (TWinControl* c = savedFocus.Control; c && c->Showing() && c->Enabled() && !c->Focused())
    c->SetFocus();
  if (GetCaptureControl() != savedCapture) {
    if (savedCapture)
      SetCaptureControl(savedCapture);
    else
      ReleaseCapture();
  }
  Screen().SetCursor(savedCursor);
  window->Invalidate();
  for (const TInputEvent& ev : replay)
    SimulateMouse(ev.Kind, ev.ScreenPos, ev.Button, ev.Shift & (ssShift | ssCtrl | ssAlt));
  return status;
}

bool TTBEditItemViewer::DoExecute()
{
  if (!Item()->Enabled() || Editing())
    return false;
  bool shift = false;
  uint8_t status = EditLoop(shift);
  if ((status & esAccept) && !(status & esClose)) {
    // Tab: on to the next item (Shift+Tab: the previous one).
    if (TTBItemViewer* next = View()->NextSelectable(this, !shift)) {
      View()->Select(next, false);
      View()->ScrollSelectedIntoView();
    }
  }
  if (status & esClose) {
    View()->EndModal();
    return (status & esAccept) != 0;
  }
  return false;
}
