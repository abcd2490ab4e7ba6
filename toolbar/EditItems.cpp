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

// One edit in place: what it saved to put back, its status, and its input.
class TTBEditItemViewer::TEditSession {
public:
  TEditSession(TTBEditItemViewer& Viewer, TCustomControl* Window, bool& ShiftHeld)
      : FViewer(Viewer), Window(Window), SavedCapture(GetCaptureControl()), SavedCursor(Screen().Cursor()),
        SavedFocus(FindFocusedControl()), FShiftHeld(ShiftHeld)
  {}
  // The edit's input filter: true when the event was the edit's.
  bool Input(const TInputEvent& Ev);
  // The nested loop's end: ended, accepted or cancelled, the item disabled, or the focus
  // gone from the control that had it.
  bool Done();

  TTBEditItemViewer& FViewer;
  TCustomControl* const Window;
  TTBEditControl* Edit = nullptr;
  TControl* const SavedCapture;
  const TCursor SavedCursor;
  TFocusWatch SavedFocus;
  uint8_t Status = esContinue;
  bool Ended = false;
  std::vector<TInputEvent> Replay;

private:
  bool KeyDown(const TInputEvent& Ev);
  bool Button(const TInputEvent& Ev);
  bool Move(const TInputEvent& Ev);

  bool& FShiftHeld;
  bool FCapturing = false;
  bool FHadFocus = false;
};

bool TTBEditItemViewer::TEditSession::Input(const TInputEvent& Ev)
{
  if (Ended) {
    // A press that ended the edit waits to be replayed; the buttons' input after it waits
    // with it, or its release would arrive first and leave the button held.
    bool mouseButton =
        Ev.Kind == TInputKind::MouseDown || Ev.Kind == TInputKind::MouseDblClick || Ev.Kind == TInputKind::MouseUp;
    if (!mouseButton || Replay.empty())
      return false;
    Replay.push_back(Ev);
    return true;
  }
  if (FViewer.HandleEditMessage(Ev))
    return true;
  switch (Ev.Kind) {
  case TInputKind::KeyDown: return KeyDown(Ev);
  case TInputKind::KeyUp:
    if (Ev.Key == VK_MENU) {
      Status = esClose;
      Ended = true;
    }
    return true;
  case TInputKind::MouseDown:
  case TInputKind::MouseDblClick:
  case TInputKind::MouseUp: return Button(Ev);
  case TInputKind::MouseMove: return Move(Ev);
  case TInputKind::MouseWheel: return true;
  }
  return false;
}

bool TTBEditItemViewer::TEditSession::KeyDown(const TInputEvent& Ev)
{
  FShiftHeld = (Ev.Shift & ssShift) != 0;
  if (Ev.Key == VK_MENU)
    return true;   // Alt ends the edit on its release
  // Alt held with another key (a system key): only keypad digits, which type a character by
  // their codes, go on; Shift and Kanji are no reason to stop.
  constexpr Word VK_KANJI = 0x19;
  if ((Ev.Shift & ssAlt) && Ev.Key != VK_SHIFT && Ev.Key != VK_KANJI
      && !(Ev.Key >= VK_NUMPAD0 && Ev.Key <= VK_NUMPAD9)) {
    Status = esClose;
    Ended = true;
    return true;
  }
  if (Ev.Key == VK_TAB || Ev.Char == '\t') {
    Status = esAccept;
    FViewer.AcceptText(Edit->Text());
    return true;
  }
  if (Ev.Key == VK_RETURN || Ev.Char == '\r') {
    Status = esAccept | esClose;
    FViewer.AcceptText(Edit->Text());
    return true;
  }
  if (Ev.Key == VK_ESCAPE || Ev.Char == '\x1b') {
    Status = 0;
    return true;
  }
  Word key = Ev.Key;
  if (key != 0)
    Edit->DispatchKeyDown(key, Ev.Shift);
  char ch = Ev.Char;
  if ((key != 0 || Ev.Key == 0) && ch != 0)
    Edit->DispatchKeyPress(ch);
  return true;
}

bool TTBEditItemViewer::TEditSession::Button(const TInputEvent& Ev)
{
  TPoint p = Edit->ScreenToClient(Ev.ScreenPos);
  if (!Edit->ClientRect().Contains(p)) {
    // A click elsewhere ends the edit and then reaches its own window.
    Replay.push_back(Ev);
    Ended = true;
    return true;
  }
  if (Ev.Kind == TInputKind::MouseUp)
    Edit->DispatchMouseUp(Ev.Button, Ev.Shift, p.X, p.Y);
  else
    Edit->DispatchMouseDown(Ev.Button, Ev.Shift, p.X, p.Y);
  return true;
}

// Outside the box the window holds the mouse and shows the arrow; inside, the box has it.
bool TTBEditItemViewer::TEditSession::Move(const TInputEvent& Ev)
{
  TPoint p = Edit->ScreenToClient(Ev.ScreenPos);
  bool inside = Edit->ClientRect().Contains(p);
  if (!inside && !FCapturing) {
    SetCaptureControl(Window);
    Screen().SetCursor(crArrow);
    FCapturing = true;
  } else if (inside && FCapturing) {
    SetCaptureControl(SavedCapture);
    Screen().SetCursor(SavedCursor);
    FCapturing = false;
  }
  if (inside)
    Edit->DispatchMouseMove(Ev.Shift, p.X, p.Y);
  return true;
}

bool TTBEditItemViewer::TEditSession::Done()
{
  if (Ended || !(Status & esContinue) || !FViewer.Item()->Enabled())
    return true;
  // The edit ends when its control loses the focus it had.
  if (Edit->Focused())
    FHadFocus = true;
  else if (FHadFocus)
    return true;
  return false;
}

uint8_t TTBEditItemViewer::EditLoop(bool& ShiftHeld)
{
  TCustomControl* window = View()->Window();
  TRect r = GetEditControlRect();
  if (r.IsEmpty() || !window)
    return 0;
  TEditSession session(*this, window, ShiftHeld);
  ShowEditControl(r, window);
  session.Edit = FEditControl.get();
  int filter = AddInputFilter([&session](const TInputEvent& ev) { return session.Input(ev); });
  RunNestedLoop([&session] { return session.Done(); });
  RemoveInputFilter(filter);
  EndEdit(session);
  return session.Status;
}

// The platform's text box without a frame, over the item's box, holding the item's text
// all selected and the focus.
void TTBEditItemViewer::ShowEditControl(const TRect& R, TCustomControl* Window)
{
  TTBEditItem* item = EditItem();
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
  edit->SetBounds(R.Left + 3, R.Top + 3, R.Width() - 6, R.Height() - 6);
  edit->SetParent(Window);
  edit->SelectAll();
  item->DoBeginEdit(this);
  edit->Show();
  edit->SetFocus();
}

void TTBEditItemViewer::EndEdit(TEditSession& Session)
{
  std::string text = Session.Edit->Text();
  if (Session.Status == esContinue)
    AcceptText(text);   // a click elsewhere or lost focus keeps what was typed
  FEditControl.reset();
  Session.Edit = nullptr;
  // The focus goes back to the control that had it, as the capture does below.
  if (TWinControl* c = Session.SavedFocus.Control; c && c->Showing() && c->Enabled() && !c->Focused())
    c->SetFocus();
  if (GetCaptureControl() != Session.SavedCapture) {
    if (Session.SavedCapture)
      SetCaptureControl(Session.SavedCapture);
    else
      ReleaseCapture();
  }
  Screen().SetCursor(Session.SavedCursor);
  Session.Window->Invalidate();
  for (const TInputEvent& ev : Session.Replay)
    SimulateMouse(ev.Kind, ev.ScreenPos, ev.Button, ev.Shift & (ssShift | ssCtrl | ssAlt));
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
