// List items, their viewer and the light scroll bar.
#include "toolbar/ListItems.h"

#include <algorithm>

#include "platform/Accessible.h"
#include "toolbar/AccessibleItems.h"
#include "platform/SysUtils.h"
#include "toolbar/KitHelpers.h"

// ---------------------------------------------------------------------------------------
// TTBXScrollBar

namespace {
constexpr uintptr_t tiRepeat = 1, tiAutoScroll = 2;
constexpr Cardinal FirstRepeatMs = 500, RepeatMs = 100;
}   // namespace

TTBXScrollBar::TTBXScrollBar() = default;

TTBXScrollBar::~TTBXScrollBar()
{
  if (FWnd)
    DeallocateHWnd(FWnd);
}

HWND TTBXScrollBar::TimerWindow()
{
  if (!FWnd)
    FWnd = AllocateHWnd([this](TMessage& m) {
      if (m.Msg == WM_TIMER)
        Timer(static_cast<uintptr_t>(m.WParam));
    });
  return FWnd;
}

void TTBXScrollBar::SetBounds(const TRect& R) { FBounds = R; }
void TTBXScrollBar::SetKind(TScrollBarKind K) { FKind = K; }

void TTBXScrollBar::SetRange(Integer Value)
{
  FRange = std::max(Value, 0);
  UpdatePosition(FPosition, false);
}

void TTBXScrollBar::SetPageSize(Integer Value)
{
  FPageSize = std::max(Value, 0);
  UpdatePosition(FPosition, false);
}

Integer TTBXScrollBar::EffectivePage() const
{
  if (FPageSize > 0)
    return FPageSize;
  return FKind == sbVertical ? FBounds.Height() : FBounds.Width();
}

bool TTBXScrollBar::Enabled() const { return EffectivePage() < FRange; }

void TTBXScrollBar::UpdatePosition(Integer Value, bool ByUser)
{
  Integer v = std::clamp(Value, 0, std::max(FRange - EffectivePage(), 0));
  if (v == FPosition)
    return;
  FPosition = v;
  Redraw();
  if (ByUser && OnChange)
    OnChange(this);
}

void TTBXScrollBar::Redraw()
{
  if (OnRedraw)
    OnRedraw(this);
}

Integer TTBXScrollBar::Along(Integer X, Integer Y) const
{
  return FKind == sbVertical ? Y - FBounds.Top : X - FBounds.Left;
}

TTBXScrollBar::TLayout TTBXScrollBar::CalcLayout() const
{
  TLayout l;
  l.Length = FKind == sbVertical ? FBounds.Height() : FBounds.Width();
  l.Thickness = FKind == sbVertical ? FBounds.Width() : FBounds.Height();
  l.Arrow = l.Length - 2 <= 2 * l.Thickness ? std::max((l.Length - 2) / 2, 0) : l.Thickness;
  l.Track = std::max(l.Length - 2 * l.Arrow, 0);
  if (Enabled() && l.Track >= 13 && FRange > 0) {
    Integer page = EffectivePage();
    Integer thumb = Round(static_cast<double>(l.Track) * page / FRange);
    if (thumb >= 8) {
      l.ThumbLength = thumb;
      l.ThumbStart = l.Arrow + Round(static_cast<double>(l.Track) * FPosition / FRange);
    } else {
      l.ThumbLength = 8;
      l.Widened = true;
      l.ThumbStart = l.Arrow + Round(static_cast<double>(l.Track - 8) * FPosition / (FRange - page));
    }
  }
  return l;
}

bool TTBXScrollBar::HasThumb() { return CalcLayout().ThumbLength > 0; }

TRect TTBXScrollBar::GetZoneRect(Integer Zone)
{
  TLayout l = CalcLayout();
  Integer a = 0, b = 0;
  switch (Zone) {
  case zBackArrow: a = 0, b = l.Arrow; break;
  case zForwardArrow: a = l.Length - l.Arrow, b = l.Length; break;
  case zThumb: a = l.ThumbStart, b = l.ThumbStart + l.ThumbLength; break;
  case zTrackBefore: a = l.Arrow, b = l.ThumbLength ? l.ThumbStart : l.Length - l.Arrow; break;
  case zTrackAfter:
    a = l.ThumbLength ? l.ThumbStart + l.ThumbLength : l.Length - l.Arrow, b = l.Length - l.Arrow;
    break;
  default: return {};
  }
  if (FKind == sbVertical)
    return Rect(FBounds.Left, FBounds.Top + a, FBounds.Right, FBounds.Top + b);
  return Rect(FBounds.Left + a, FBounds.Top, FBounds.Left + b, FBounds.Bottom);
}

Integer TTBXScrollBar::GetZone(Integer X, Integer Y)
{
  if (!FBounds.Contains({X, Y}))
    return zNone;
  TLayout l = CalcLayout();
  Integer p = Along(X, Y);
  if (p < l.Arrow)
    return zBackArrow;
  if (p >= l.Length - l.Arrow)
    return zForwardArrow;
  if (!l.ThumbLength)
    return zNone;   // a track without thumb is one empty zone
  if (p < l.ThumbStart)
    return zTrackBefore;
  if (p < l.ThumbStart + l.ThumbLength)
    return zThumb;
  return zTrackAfter;
}

void TTBXScrollBar::Step()
{
  switch (FZone) {
  case zBackArrow: UpdatePosition(FPosition - SmallChange, true); break;
  case zForwardArrow: UpdatePosition(FPosition + SmallChange, true); break;
  case zTrackBefore: UpdatePosition(FPosition - EffectivePage(), true); break;
  case zTrackAfter: UpdatePosition(FPosition + EffectivePage(), true); break;
  default: break;
  }
}

void TTBXScrollBar::MouseDown(Integer X, Integer Y)
{
  FZone = GetZone(X, Y);
  FLastPoint = {X, Y};
  if (FZone == zNone)
    return;
  if (FZone == zThumb) {
    FDragStartPos = FPosition;
    FDragStartAlong = Along(X, Y);
  } else {
    Step();
    FRepeating = false;
    SetTimer(TimerWindow(), tiRepeat, FirstRepeatMs);
  }
  Redraw();
}

void TTBXScrollBar::MouseMove(Integer X, Integer Y)
{
  FLastPoint = {X, Y};
  if (FZone != zThumb)
    return;
  TLayout l = CalcLayout();
  Integer d = Along(X, Y) - FDragStartAlong;
  Integer page = EffectivePage();
  double moved = l.Widened ? (l.Track > 8 ? static_cast<double>(d) * (FRange - page) / (l.Track - 8) : 0.0)
                           : (l.Track > 0 ? static_cast<double>(d) * FRange / l.Track : 0.0);
  UpdatePosition(FDragStartPos + Round(moved), true);
}

void TTBXScrollBar::MouseUp(Integer, Integer)
{
  if (FWnd)
    KillTimer(FWnd, tiRepeat);
  FZone = zNone;
  Redraw();
}

void TTBXScrollBar::Timer(uintptr_t Id)
{
  if (Id == tiRepeat) {
    if (!FRepeating) {
      FRepeating = true;
      SetTimer(TimerWindow(), tiRepeat, RepeatMs);
    }
    // A track zone repeats only while the pointer stays in it.
    bool track = FZone == zTrackBefore || FZone == zTrackAfter;
    if (!track || GetZone(FLastPoint.X, FLastPoint.Y) == FZone)
      Step();
  } else if (Id == tiAutoScroll) {
    UpdatePosition(FPosition + FAutoScrollDelta, true);
    Integer end = std::max(FRange - EffectivePage(), 0);
    if ((FAutoScrollDelta < 0 && FPosition <= 0) || (FAutoScrollDelta > 0 && FPosition >= end)) {
      StopAutoScroll();
      return;
    }
    Integer delta = FAutoScrollDelta, interval = FAutoScrollInterval;
    if (OnAutoScroll)
      OnAutoScroll(this, delta, interval);
    if (interval <= 0)
      StopAutoScroll();
    else if (delta != FAutoScrollDelta || interval != FAutoScrollInterval)
      StartAutoScroll(delta, interval);
  }
}

void TTBXScrollBar::StartAutoScroll(Integer Delta, Integer Interval)
{
  if (Interval <= 0) {
    StopAutoScroll();
    return;
  }
  if (Delta == FAutoScrollDelta && Interval == FAutoScrollInterval)
    return;
  FAutoScrollDelta = Delta;
  FAutoScrollInterval = Interval;
  SetTimer(TimerWindow(), tiAutoScroll, static_cast<Cardinal>(Interval));
}

void TTBXScrollBar::StopAutoScroll()
{
  if (FWnd)
    KillTimer(FWnd, tiAutoScroll);
  FAutoScrollDelta = 0;
  FAutoScrollInterval = 0;
}

namespace {

// A classic arrow button: a raised face with a small triangle pointing along Dir
// (0 up, 1 down, 2 left, 3 right).
void PaintArrowButton(TCanvas& Canvas, TRect R, int Dir, bool Pushed, bool Disabled)
{
  Canvas.FillRect(R, clBtnFace);
  TRect e = R;
  Canvas.DrawEdge(e, Pushed ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT);
  Integer cx = (R.Left + R.Right) / 2 + (Pushed ? 1 : 0), cy = (R.Top + R.Bottom) / 2 + (Pushed ? 1 : 0);
  TPoint p[3];
  switch (Dir) {
  case 0:
    p[0] = {cx - 3, cy + 1};
    p[1] = {cx + 3, cy + 1};
    p[2] = {cx, cy - 2};
    break;
  case 1:
    p[0] = {cx - 3, cy - 1};
    p[1] = {cx + 3, cy - 1};
    p[2] = {cx, cy + 2};
    break;
  case 2:
    p[0] = {cx + 1, cy - 3};
    p[1] = {cx + 1, cy + 3};
    p[2] = {cx - 2, cy};
    break;
  default:
    p[0] = {cx - 1, cy - 3};
    p[1] = {cx - 1, cy + 3};
    p[2] = {cx + 2, cy};
    break;
  }
  TColor c = Disabled ? clGrayText : clBtnText;
  Canvas.Pen().SetColor(c);
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetColor(c);
  Canvas.Polygon(p, 3);
}

}   // namespace

void TTBXScrollBar::Paint(TCanvas& Canvas)
{
  // The classic look: visual styles are not in use on this platform.
  bool enabled = Enabled();
  bool vertical = FKind == sbVertical;
  PaintArrowButton(Canvas, GetZoneRect(zBackArrow), vertical ? 0 : 2, FZone == zBackArrow, !enabled);
  PaintArrowButton(Canvas, GetZoneRect(zForwardArrow), vertical ? 1 : 3, FZone == zForwardArrow, !enabled);
  if (!HasThumb()) {
    Canvas.FillRect(GetZoneRect(zTrackBefore), clScrollBar);
    return;
  }
  for (Integer z : {zTrackBefore, zTrackAfter}) {
    TRect r = GetZoneRect(z);
    if (r.IsEmpty())
      continue;
    if (FZone == z) {
      Canvas.FillRect(r, cl3DDkShadow);
    } else {
      TColor oldText = Canvas.SetTextColor(clBtnHighlight);
      TColor oldBk = Canvas.SetBkColor(clScrollBar);
      Canvas.Brush().SetBitmap(&HalftoneBrushBitmap());
      Canvas.FillRect(r);
      Canvas.Brush().SetBitmap(nullptr);
      Canvas.SetTextColor(oldText);
      Canvas.SetBkColor(oldBk);
    }
  }
  TRect t = GetZoneRect(zThumb);
  Canvas.FillRect(t, clBtnFace);
  Canvas.DrawEdge(t, EDGE_RAISED, BF_RECT);
}

// ---------------------------------------------------------------------------------------
// TTBXCustomList

static const char ListViewerClassToken = 0;

TTBXCustomList::TTBXCustomList() = default;

TTBXCustomList::~TTBXCustomList()
{
  // Viewers go with their views; any still here no longer point back.
  FViewers.clear();
}

std::unique_ptr<TTBItemViewer> TTBXCustomList::CreateViewer(TTBView* AView, Integer AGroupLevel)
{
  return std::make_unique<TTBXCustomListViewer>(AView, this, AGroupLevel);
}

const void* TTBXCustomList::GetItemViewerClass(TTBView*) const { return &ListViewerClassToken; }

void TTBXCustomList::SetItemIndex(Integer Value)
{
  FItemIndex = Value < 0 ? -1 : Value;
  for (TTBXCustomListViewer* v : FViewers)
    v->MakeVisible(FItemIndex);
  HandleChange();
}

void TTBXCustomList::HandleChange()
{
  if (OnChange)
    OnChange(this);
}

bool TTBXCustomList::DoClearItem(TCanvas& ACanvas, TRect& ARect, Integer AIndex, Integer AHoverIndex)
{
  bool drawDefault = true;
  if (OnClearItem)
    OnClearItem(this, ACanvas, ARect, AIndex, AHoverIndex, drawDefault);
  return drawDefault;
}

bool TTBXCustomList::DoDrawItem(TCanvas& ACanvas, TRect& ARect, Integer AIndex, Integer AHoverIndex)
{
  bool drawDefault = true;
  if (OnDrawItem)
    OnDrawItem(this, ACanvas, ARect, AIndex, AHoverIndex, drawDefault);
  return drawDefault;
}

void TTBXCustomList::DoMeasureHeight(TCanvas& ACanvas, Integer& AHeight)
{
  if (OnMeasureHeight)
    OnMeasureHeight(this, ACanvas, AHeight);
}

void TTBXCustomList::DoMeasureWidth(TCanvas& ACanvas, Integer AIndex, Integer& AWidth)
{
  if (OnMeasureWidth)
    OnMeasureWidth(this, ACanvas, AIndex, AWidth);
}

Integer TTBXCustomList::GetImageIndex(Integer AIndex)
{
  Integer i = AIndex;
  if (OnAdjustImageIndex)
    OnAdjustImageIndex(this, AIndex, i);
  return i;
}

void TTBXCustomList::DrawItem(TCanvas& ACanvas, TTBXCustomListViewer* AViewer, const TRect& ARect, Integer AIndex,
                              Integer AHoverIndex)
{
  bool hover = AIndex == AHoverIndex;
  TRect r = ARect;
  ACanvas.Brush().SetStyle(bsSolid);
  ACanvas.Brush().SetColor(hover ? clHighlight : clWindow);
  ACanvas.Font().SetColor(hover ? clHighlightText : clWindowText);
  if (DoClearItem(ACanvas, r, AIndex, AHoverIndex))
    ACanvas.FillRect(r);
  if (!DoDrawItem(ACanvas, r, AIndex, AHoverIndex))
    return;
  r = Rect(r.Left + 4, r.Top + 1, r.Right - 4, r.Bottom - 1);
  TCustomImageList* images = FShowImages ? AViewer->GetImageList() : nullptr;
  if (images) {
    Integer y = r.Top + (r.Height() - images->Height()) / 2;
    images->Draw(ACanvas, r.Left, y, GetImageIndex(AIndex), Enabled());
    r.Left += images->Width() + 4;
  }
  ACanvas.SetTextColor(ACanvas.Font().Color());
  ACanvas.SetBkMode(TRANSPARENT);
  ACanvas.DrawText(GetItemText(AIndex), r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TTBXStringList::SetStrings(const std::vector<std::string>& v)
{
  FStrings = v;
  Change(true);
}

std::string TTBXStringList::GetItemText(Integer AIndex)
{
  if (AIndex < 0 || AIndex >= GetCount())
    return {};
  return FStrings[static_cast<size_t>(AIndex)];
}

// ---------------------------------------------------------------------------------------
// TTBXCustomListViewer

TTBXCustomListViewer::TTBXCustomListViewer(TTBView* AView, TTBCustomItem* AItem, Integer AGroupLevel)
    : TTBXItemViewer(AView, AItem, AGroupLevel)
{
  TTBXCustomList* list = List();
  list->FViewers.push_back(this);
  FItemCount = list->GetCount();
  FVisibleItems = std::clamp(FItemCount, 1, std::max(list->MaxVisibleItems(), 1));
  Integer index = list->ItemIndex();
  if (index >= 0 && index < FItemCount) {
    MakeVisible(index);
    FHoverIndex = index;
  }
}

TTBXCustomListViewer::~TTBXCustomListViewer()
{
  auto& v = List()->FViewers;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

const void* TTBXCustomListViewer::ViewerClass() const { return &ListViewerClassToken; }

Integer TTBXCustomListViewer::GetAccRole() { return ROLE_SYSTEM_LIST; }

Integer TTBXCustomListViewer::GetItemHeight(TCanvas& ACanvas)
{
  Integer h = ACanvas.TextHeight("Q") + 2;
  TCustomImageList* images = List()->ShowImages() ? GetImageList() : nullptr;
  if (images)
    h = std::max(h, images->Height() + 2);
  List()->DoMeasureHeight(ACanvas, h);
  // Hit tests divide by it.
  return std::max(h, 1);
}

Integer TTBXCustomListViewer::GetItemWidth(TCanvas& ACanvas, Integer AIndex)
{
  std::string text = List()->GetItemText(AIndex);
  Integer w = ACanvas.TextWidth(text);
  TCustomImageList* images = List()->ShowImages() ? GetImageList() : nullptr;
  if (images)
    w += images->Width() + (text.empty() ? 0 : 4);
  w += 8;
  List()->DoMeasureWidth(ACanvas, AIndex, w);
  return w;
}

void TTBXCustomListViewer::CalcSize(TCanvas& Canvas, Integer& AWidth, Integer& AHeight)
{
  TTBXCustomList* list = List();
  Canvas.Font().Assign(View()->GetFont());
  FItemCount = list->GetCount();
  FItemHeight = GetItemHeight(Canvas);
  FVisibleItems = std::clamp(FItemCount, 1, std::max(list->MaxVisibleItems(), 1));
  AHeight = FVisibleItems * FItemHeight;
  AWidth = 0;
  for (Integer i = 0; i < FItemCount; ++i)
    AWidth = std::max(AWidth, GetItemWidth(Canvas, i));
  FScrollBarWidth = FItemCount > FVisibleItems ? TBXListScrollBarWidth : 0;
  AWidth += FScrollBarWidth;
  AWidth = std::max(AWidth, list->MinWidth());
  if (list->MaxWidth() > list->MinWidth())
    AWidth = std::min(AWidth, list->MaxWidth());
  SetTopIndex(FOffset);
}

void TTBXCustomListViewer::SetTopIndex(Integer Value)
{
  Integer v = std::clamp(Value, 0, std::max(FItemCount - FVisibleItems, 0));
  if (v == FOffset)
    return;
  FOffset = v;
  if (FScrollBar)
    FScrollBar->SetPosition(v);
  View()->Invalidate(this);
}

void TTBXCustomListViewer::MakeVisible(Integer AIndex)
{
  if (AIndex < 0 || AIndex >= FItemCount)
    return;
  if (AIndex < FOffset)
    SetTopIndex(AIndex);
  else if (AIndex >= FOffset + FVisibleItems)
    SetTopIndex(AIndex - FVisibleItems + 1);
}

Integer TTBXCustomListViewer::GetItemIndexAt(Integer X, Integer Y)
{
  if (X < 0 || X >= ListWidth() || Y < 0 || Y >= BoundsRect.Height())
    return -1;
  Integer i = Y / FItemHeight;
  if (i >= FVisibleItems)
    return -1;
  i += FOffset;
  return i < FItemCount ? i : -1;
}

void TTBXCustomListViewer::SetHoverIndex(Integer Value)
{
  if (Value == FHoverIndex)
    return;
  FHoverIndex = Value;
  View()->Invalidate(this);
  List()->HandleChange();
}

void TTBXCustomListViewer::UpdateScrollBar()
{
  if (!FScrollBarWidth)
    return;
  if (!FScrollBar) {
    FScrollBar = std::make_unique<TTBXScrollBar>();
    FScrollBar->SetKind(sbVertical);
    FScrollBar->OnChange = [this](TTBXScrollBar* sb) { SetTopIndex(sb->Position()); };
    FScrollBar->OnRedraw = [this](TTBXScrollBar*) { View()->Invalidate(this); };
  }
  FScrollBar->SetBounds(Rect(BoundsRect.Width() - FScrollBarWidth, 0, BoundsRect.Width(), BoundsRect.Height()));
  FScrollBar->SetRange(FItemCount);
  FScrollBar->SetPageSize(FVisibleItems);
  FScrollBar->SetPosition(FOffset);
}

void TTBXCustomListViewer::Paint(TCanvas& Canvas, const TRect& ClientAreaRect, bool, bool, bool)
{
  TTBXCustomList* list = List();
  Canvas.Font().Assign(View()->GetFont());
  Integer listRight = ClientAreaRect.Right - FScrollBarWidth;
  Integer y = ClientAreaRect.Top;
  for (Integer i = FOffset; i < FItemCount && y < ClientAreaRect.Bottom; ++i, y += FItemHeight) {
    TRect r = Rect(ClientAreaRect.Left, y, listRight, y + FItemHeight);
    list->DrawItem(Canvas, this, r, i, FHoverIndex);
  }
  if (y < ClientAreaRect.Bottom)
    Canvas.FillRect(Rect(ClientAreaRect.Left, y, listRight, ClientAreaRect.Bottom), clWindow);
  if (FScrollBarWidth) {
    UpdateScrollBar();
    FScrollBar->Paint(Canvas);
  }
}

void TTBXCustomListViewer::KeyDown(Word& Key, TShiftState)
{
  Integer index = FHoverIndex;
  switch (Key) {
  case VK_RETURN: break;
  case VK_PRIOR: index -= FVisibleItems; break;
  case VK_NEXT: index += FVisibleItems; break;
  case VK_HOME: index = 0; break;
  case VK_END: index = FItemCount - 1; break;
  case VK_UP: --index; break;
  case VK_DOWN: ++index; break;
  default: return;
  }
  Key = 0;
  if (FItemCount == 0)
    return;
  index = std::clamp(index, 0, FItemCount - 1);
  const bool moved = index != FHoverIndex;
  SetHoverIndex(index);
  MakeVisible(index);
  List()->SetItemIndex(index);
  // Readers hear each entry the keys reach.
  if (moved)
    TBAccNotifyFocus(View(), this);
}

void TTBXCustomListViewer::MouseDown(TShiftState Shift, Integer X, Integer Y, bool& MouseDownOnMenu)
{
  if (X < ListWidth()) {
    FMouseInList = true;
    MouseMove(X, Y);
  } else if (FScrollBarWidth) {
    FMouseInScrollBar = true;
    UpdateScrollBar();
    FScrollBar->MouseDown(X, Y);
  }
  TTBXItemViewer::MouseDown(Shift, X, Y, MouseDownOnMenu);
  View()->SetCapture(true);
}

void TTBXCustomListViewer::MouseMove(Integer X, Integer Y)
{
  if (FMouseInScrollBar) {
    FScrollBar->MouseMove(X, Y);
    return;
  }
  if (IsMouseButtonDown(mbLeft))
    FMouseInList = true;
  Integer h = BoundsRect.Height();
  if (FMouseInList && (Y < 0 || Y >= h)) {
    // Dragged above or below: scroll towards the pointer, faster the farther it is.
    Integer d = Y < 0 ? -Y : Y - h + 1;
    Integer lines = d < 30 ? 1 : (d <= 50 ? 2 : 4);
    Integer delta = Y < 0 ? -lines : lines;
    Integer interval = d < 10 ? 150 : 100;
    bool canScroll = Y < 0 ? FOffset > 0 : FOffset < FItemCount - FVisibleItems;
    UpdateScrollBar();
    if (canScroll && FScrollBar) {
      FScrollBar->OnAutoScroll = nullptr;
      FScrollBar->StartAutoScroll(delta, interval);
    } else if (FScrollBar) {
      FScrollBar->StopAutoScroll();
    }
    SetHoverIndex(DragOutsideHoverIndex());
    return;
  }
  if (FScrollBar)
    FScrollBar->StopAutoScroll();
  Integer i = GetItemIndexAt(X, Y);
  if (i >= 0 || FMouseInList)
    SetHoverIndex(i);
}

void TTBXCustomListViewer::MouseUp(Integer X, Integer Y, bool MouseWasDownOnMenu)
{
  if (FScrollBar)
    FScrollBar->StopAutoScroll();
  if (FMouseInScrollBar) {
    FMouseInScrollBar = false;
    FScrollBar->MouseUp(X, Y);
    View()->SetCapture(false);
    return;
  }
  if (FMouseInList) {
    FMouseInList = false;
    List()->SetItemIndex(FHoverIndex);
    TTBXItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
  }
}

void TTBXCustomListViewer::MouseWheel(Integer WheelDelta, Integer, Integer)
{
  FWheelAccumulator += WheelDelta;
  Integer steps = FWheelAccumulator / 120;   // truncates towards zero: the remainder stays
  if (steps == 0)
    return;
  FWheelAccumulator -= steps * 120;
  SetTopIndex(FOffset - steps);
}
