#include "platform/ComCtrls.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/Accessible.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"

namespace {

// Classic metrics: the thumb is 11 pixels wide and 19 high with a 5-pixel point; the ticks
// hang below it.
constexpr Integer ThumbHalf = 5, ThumbTop = 4, ThumbHeight = 19, ThumbPoint = 5;
constexpr Integer ChannelTop = 11, ChannelHeight = 4;
constexpr Integer Margin = 13;   // from the edge to the centre of the thumb at either end
constexpr Integer TickTop = ThumbTop + ThumbHeight + 2, TickLength = 3;

Integer Clamp64(int64_t v, Integer lo, Integer hi) { return static_cast<Integer>(std::clamp<int64_t>(v, lo, hi)); }

}   // namespace

TTrackBar::TTrackBar()
{
  SetBounds(0, 0, 150, 45);
  SetColor(clBtnFace);
  // Reached by Tab, so the keys below can move it without the mouse.
  SetTabStop(true);
}

void TTrackBar::SetRange(Integer min, Integer max)
{
  FMin = min;
  FMax = std::max(min, max);
  FPosition = std::clamp(FPosition, FMin, FMax);
  Invalidate();
}

void TTrackBar::SetMin(Integer v) { SetRange(v, std::max(v, FMax)); }

void TTrackBar::SetMax(Integer v) { SetRange(std::min(v, FMin), v); }

void TTrackBar::SetPosition(Integer v)
{
  v = std::clamp(v, FMin, FMax);
  if (v == FPosition)
    return;
  FPosition = v;
  Invalidate();
  NotifyAccessibleChange(this, TAccessibleChange::Value);
}

void TTrackBar::SetFrequency(Integer v)
{
  FFrequency = v < 1 ? 1 : v;
  Invalidate();
}

void TTrackBar::UserSetPosition(Integer v)
{
  Integer old = FPosition;
  SetPosition(v);
  if (FPosition != old && OnChange)
    OnChange(this);
}

TRect TTrackBar::ChannelRect() const
{
  Integer right = std::max(Margin + ThumbHalf + 1, Width() - Margin + ThumbHalf + 1);
  return {Margin - ThumbHalf - 1, ChannelTop, right, ChannelTop + ChannelHeight};
}

Integer TTrackBar::PositionToX(Integer position) const
{
  const int64_t span = int64_t(Width()) - 1 - 2 * Margin;
  const int64_t range = int64_t(FMax) - FMin;
  if (span <= 0 || range <= 0)
    return Margin;
  int64_t offset = (int64_t(std::clamp(position, FMin, FMax)) - FMin) * span;
  return static_cast<Integer>(Margin + (offset + range / 2) / range);
}

Integer TTrackBar::XToPosition(Integer x) const
{
  const int64_t span = int64_t(Width()) - 1 - 2 * Margin;
  const int64_t range = int64_t(FMax) - FMin;
  if (span <= 0 || range <= 0)
    return FMin;
  int64_t dx = std::clamp<int64_t>(int64_t(x) - Margin, 0, span);
  return Clamp64(FMin + (dx * range + span / 2) / span, FMin, FMax);
}

TRect TTrackBar::ThumbRect() const
{
  Integer cx = PositionToX(FPosition);
  return {cx - ThumbHalf, ThumbTop, cx + ThumbHalf + 1, ThumbTop + ThumbHeight};
}

void TTrackBar::Paint()
{
  TCanvas& c = Canvas();
  TRect channel = ChannelRect();
  c.DrawEdge(channel, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  c.FillRect(channel, clWindow);

  // Ticks: every Frequency positions while they stay apart, always both ends.
  c.Pen().SetColor(clWindowText);
  auto tick = [&](Integer pos) {
    Integer x = PositionToX(pos);
    c.MoveTo(x, TickTop);
    c.LineTo(x, TickTop + TickLength);
  };
  const int64_t range = int64_t(FMax) - FMin;
  if (range / FFrequency <= Width() / 2)
    for (int64_t p = FMin; p < FMax; p += FFrequency)
      tick(static_cast<Integer>(p));
  tick(FMin);
  tick(FMax);

  TRect t = ThumbRect();
  const Integer cx = t.Left + ThumbHalf;
  const Integer bottom = t.Bottom - 1;
  std::vector<TPoint> outline = {{t.Left, t.Top},
                                 {t.Right - 1, t.Top},
                                 {t.Right - 1, bottom - ThumbPoint},
                                 {cx, bottom},
                                 {t.Left, bottom - ThumbPoint}};
  c.Pen().SetColor(cl3DDkShadow);
  c.Brush().SetColor(FDragging ? clBtnHighlight : clBtnFace);
  c.Polygon(outline);
  // The lit edges: left and top.
  c.Pen().SetColor(clBtnHighlight);
  c.MoveTo(t.Left + 1, bottom - ThumbPoint);
  c.LineTo(t.Left + 1, t.Top + 1);
  c.LineTo(t.Right - 1, t.Top + 1);
  c.Pen().SetColor(clBtnShadow);
  c.MoveTo(t.Right - 2, t.Top + 1);
  c.LineTo(t.Right - 2, bottom - ThumbPoint);
  c.LineTo(cx, bottom - 1);

  if (Focused()) {
    c.Brush().SetColor(clBtnFace);
    c.DrawFocusRect(ClientRect());
  }
}

void TTrackBar::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft && Enabled()) {
    SetFocus();
    TRect t = ThumbRect();
    if (t.Contains({x, y})) {
      FDragging = true;
      FDragOffset = x - (t.Left + ThumbHalf);
      SetMouseCapture(true);
      Invalidate();
    } else {
      // Beside the thumb: a page towards the click.
      int64_t step = x < t.Left ? -int64_t(FPageSize) : FPageSize;
      UserSetPosition(Clamp64(FPosition + step, FMin, FMax));
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TTrackBar::MouseMove(TShiftState shift, Integer x, Integer y)
{
  if (FDragging)
    UserSetPosition(XToPosition(x - FDragOffset));
  TCustomControl::MouseMove(shift, x, y);
}

void TTrackBar::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  if (button == mbLeft && FDragging) {
    FDragging = false;
    SetMouseCapture(false);
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TTrackBar::KeyDown(Word& key, TShiftState shift)
{
  int64_t target;
  switch (key) {
  case VK_LEFT:
  case VK_UP: target = int64_t(FPosition) - FLineSize; break;
  case VK_RIGHT:
  case VK_DOWN: target = int64_t(FPosition) + FLineSize; break;
  case VK_PRIOR: target = int64_t(FPosition) - FPageSize; break;
  case VK_NEXT: target = int64_t(FPosition) + FPageSize; break;
  case VK_HOME: target = FMin; break;
  case VK_END: target = FMax; break;
  default:
    // Enter and Escape belong to the dialog.
    if (key == VK_RETURN || key == VK_ESCAPE)
      if (auto* form = GetParentForm())
        form->DispatchKeyDown(key, shift);
    return;
  }
  key = 0;
  UserSetPosition(Clamp64(target, FMin, FMax));
}

// ---------------------------------------------------------------------------------------
// TUpDown

namespace {
constexpr Cardinal RepeatPauseMs = 400, RepeatIntervalMs = 100;

// A solid arrow, pointing up or down, centred in r.
void DrawArrow(TCanvas& c, const TRect& r, bool up, TColor color)
{
  const Integer cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  const Integer s = std::max<Integer>(2, std::min(r.Width(), r.Height()) / 4);
  std::vector<TPoint> p = up ? std::vector<TPoint>{{cx - s, cy + s / 2}, {cx + s, cy + s / 2}, {cx, cy - s / 2 - 1}}
                             : std::vector<TPoint>{{cx - s, cy - s / 2}, {cx + s, cy - s / 2}, {cx, cy + s / 2 + 1}};
  c.Pen().SetColor(color);
  c.Brush().SetColor(color);
  c.Polygon(p);
}
}   // namespace

TUpDown::TUpDown()
{
  SetBounds(0, 0, 17, 22);
  SetColor(clBtnFace);
  SetTabStop(true);
  FRepeat = std::make_unique<TTimer>();
  FRepeat->SetEnabled(false);
  FRepeat->SetOnTimer([this](TObject*) {
    FRepeat->SetInterval(RepeatIntervalMs);
    if (FHeld && Enabled())
      Step(FHeldButton);
    else
      StopRepeat();
  });
}

TUpDown::~TUpDown()
{
  BeforeDestruction();
  UnhookEdit();
  if (FAssociate)
    FAssociate->RemoveFreeNotification(this);
  DestroyHandle();
}

void TUpDown::SetMin(Integer v)
{
  FMin = v;
  FMax = std::max(FMax, v);
  SetPosition(FPosition);
}

void TUpDown::SetMax(Integer v)
{
  FMax = v;
  FMin = std::min(FMin, v);
  SetPosition(FPosition);
}

void TUpDown::SetPosition(Integer v)
{
  const Integer before = FPosition;
  FPosition = std::clamp(v, FMin, FMax);
  UpdateAssociate();
  // Beside a box, the box holds the value for readers.
  if (FPosition != before)
    NotifyAccessibleChange(FEdit ? static_cast<TControl*>(FEdit) : this, TAccessibleChange::Value);
}

void TUpDown::SetAssociate(TControl* c)
{
  UnhookEdit();
  if (FAssociate)
    FAssociate->RemoveFreeNotification(this);
  FAssociate = c;
  if (c)
    c->FreeNotification(this);
  HookEdit();
  // With a box beside it the arrows are no stop of their own: the box's Up and Down step it.
  SetTabStop(FEdit == nullptr);
  UpdateAssociate();
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation)
{
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FAssociate) {
    FAssociate = nullptr;
    FEdit = nullptr;   // going: its handlers go with it
  }
}

void TUpDown::HookEdit()
{
  FEdit = dynamic_cast<TEdit*>(FAssociate);
  if (!FEdit)
    return;
  FEditKeyDown = FEdit->OnKeyDown.Get();
  FEditExit = FEdit->OnExit.Get();
  FEdit->OnKeyDown = [this](TObject* Sender, Word& Key, TShiftState Shift) {
    if (FEditKeyDown)
      FEditKeyDown(Sender, Key, Shift);
    // The arrows are no stop of their own beside the box: its Up and Down step them.
    if ((Key == VK_UP || Key == VK_DOWN) && !(Shift & (ssAlt | ssCtrl))) {
      TakeTypedPosition();
      Step(Key == VK_UP ? btNext : btPrev);
      Key = 0;
    } else if (Key == VK_RETURN) {
      Key = 0;
      TakeTypedPosition();
    }
  };
  FEdit->OnExit = [this](TObject* Sender) {
    // A window going away takes the focus from the edit too: that is no confirmation.
    const bool closing = HasState(csDestroying) || (Owner() && Owner()->HasState(csDestroying));
    if (!closing)
      TakeTypedPosition();
    if (FEditExit)
      FEditExit(Sender);
  };
}

void TUpDown::UnhookEdit()
{
  if (!FEdit)
    return;
  FEdit->OnKeyDown = std::move(FEditKeyDown);
  FEdit->OnExit = std::move(FEditExit);
  FEditKeyDown = nullptr;
  FEditExit = nullptr;
  FEdit = nullptr;
}

void TUpDown::TakeTypedPosition()
{
  if (!FEdit)
    return;
  // An optional sign and digits, with blanks around; anything else is no number.
  const std::string& text = FEdit->Text();
  size_t i = 0, end = text.size();
  while (i < end && std::isspace(static_cast<unsigned char>(text[i])))
    ++i;
  while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1])))
    --end;
  const bool negative = i < end && text[i] == '-';
  if (i < end && (text[i] == '-' || text[i] == '+'))
    ++i;
  if (i == end) {
    UpdateAssociate();
    return;
  }
  int64_t value = 0;
  for (; i < end; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
      UpdateAssociate();
      return;
    }
    // However many digits, the value only has to land beyond either end of the range.
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(1) << 40);
  }
  const Integer old = FPosition;
  SetPosition(Clamp64(negative ? -value : value, FMin, FMax));
  if (FPosition != old && OnClick)
    OnClick(this, FPosition > old ? btNext : btPrev);
}

void TUpDown::UpdateAssociate()
{
  if (!FAssociate)
    return;
  FAssociate->SetCaption(IntToStr(FPosition));
  if (FEdit)
    FEdit->SetText(IntToStr(FPosition));
}

void TUpDown::Step(TUDBtnType Button)
{
  Integer old = FPosition;
  int64_t next = int64_t(FPosition) + (Button == btNext ? FIncrement : -FIncrement);
  SetPosition(Clamp64(next, FMin, FMax));
  if (FPosition != old && OnClick)
    OnClick(this, Button);
}

void TUpDown::StopRepeat()
{
  FHeld = false;
  FRepeat->SetEnabled(false);
  Invalidate();
}

void TUpDown::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled())
    return;
  // No stop of its own beside a box: a click on the arrows gives the box the keyboard.
  if (FEdit && !FEdit->Focused() && FEdit->Showing() && FEdit->Enabled())
    FEdit->SetFocus();
  FHeld = true;
  FHeldButton = ButtonAt(y);
  Invalidate();
  FRepeat->SetInterval(RepeatPauseMs);
  FRepeat->SetEnabled(true);
  Step(FHeldButton);
}

void TUpDown::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y)
{
  TCustomControl::MouseUp(button, shift, x, y);
  if (button == mbLeft)
    StopRepeat();
}

void TUpDown::KeyDown(Word& key, TShiftState shift)
{
  if (key == VK_UP || key == VK_DOWN) {
    Step(key == VK_UP ? btNext : btPrev);
    key = 0;
    return;
  }
  if (key == VK_RETURN || key == VK_ESCAPE)
    if (auto* form = GetParentForm())
      form->DispatchKeyDown(key, shift);
}

void TUpDown::Paint()
{
  TCanvas& c = Canvas();
  const Integer half = Height() / 2;
  for (TUDBtnType b : {btNext, btPrev}) {
    TRect r = b == btNext ? Rect(0, 0, Width(), half) : Rect(0, half, Width(), Height());
    c.FillRect(r, clBtnFace);
    TRect edge = r;
    c.DrawEdge(edge, FHeld && FHeldButton == b ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    DrawArrow(c, r, b == btNext, Enabled() ? clBtnText : clGrayText);
  }
  if (Focused()) {
    c.Brush().SetColor(clBtnFace);
    c.DrawFocusRect({2, 2, Width() - 2, Height() - 2});
  }
}

// ---------------------------------------------------------------------------------------
// TTabSheet and TPageControl

TTabSheet::TTabSheet()
{
  SetColor(clBtnFace);
  SetVisible(false);
}

TTabSheet::~TTabSheet()
{
  if (FPageControl)
    FPageControl->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* p)
{
  if (p == FPageControl)
    return;
  if (FPageControl)
    FPageControl->RemovePage(this);
  FPageControl = p;
  if (p)
    p->InsertPage(this);
}

Integer TTabSheet::PageIndex() const
{
  if (!FPageControl)
    return -1;
  auto& v = FPageControl->FPages;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<Integer>(it - v.begin());
}

TPageControl::TPageControl()
{
  SetBounds(0, 0, 289, 193);
  SetColor(clBtnFace);
}

TPageControl::~TPageControl()
{
  for (TTabSheet* p : FPages)
    p->FPageControl = nullptr;
  FPages.clear();
  FActive = nullptr;
  DestroyHandle();
}

void TPageControl::InsertPage(TTabSheet* page)
{
  FPages.push_back(page);
  page->SetVisible(false);
  page->SetParent(this);
  page->SetAlign(alClient);
}

void TPageControl::RemovePage(TTabSheet* page)
{
  std::erase(FPages, page);
  if (FActive == page)
    FActive = nullptr;
  if (page->Parent() == this)
    page->SetParent(nullptr);
}

void TPageControl::SetActivePage(TTabSheet* page)
{
  if (page && page->PageControl() != this)
    page = nullptr;
  FActive = page;
  // Show the new page before hiding the old one, so the area is never blank in between.
  if (page)
    page->SetVisible(true);
  for (TTabSheet* p : FPages)
    if (p != page)
      p->SetVisible(false);
  Realign();
}

Integer TPageControl::ActivePageIndex() const { return FActive ? FActive->PageIndex() : -1; }

// ---------------------------------------------------------------------------------------
// TStatusBar

TStatusBar::TStatusBar()
{
  SetBounds(0, 0, 200, 19);
  SetColor(clBtnFace);
  SetAlign(alBottom);
}

void TStatusBar::SetSimpleText(const std::string& s)
{
  if (s == FSimpleText)
    return;
  FSimpleText = s;
  Invalidate();
  NotifyAccessibleChange(this, TAccessibleChange::Name);
}

void TStatusBar::Paint()
{
  TCanvas& c = Canvas();
  c.FillRect(ClientRect(), Color());
  TRect r = Rect(0, 2, Width(), Height());
  c.DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
  c.Font().Assign(Font());
  c.Brush().SetStyle(bsClear);
  TRect t = Rect(4, 2, Width() - 4, Height());
  c.DrawText(FSimpleText, t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}
