// The classic scroll bar: geometry, painting and the user's clicks and drags.
#include "platform/ScrollBar.h"

#include <algorithm>
#include <vector>

#include "platform/Accessible.h"

namespace {
constexpr int32_t MinThumb = 8;
}

TScrollBar::TScrollBar(TScrollBarKind AKind) : FKind(AKind)
{
  SetColor(clScrollBar);
  SetControlStyle(ControlStyle() | csOpaque);   // Paint covers every pixel
  SetBounds(0, 0, AKind == sbVertical ? 16 : 100, AKind == sbVertical ? 100 : 16);
  // Reached by Tab, so the keys below can move it without the mouse.
  SetTabStop(true);
}

int32_t TScrollBar::MaxPosition() const { return std::max(FMin, FMax - std::max(FPageSize - 1, 0)); }

void TScrollBar::SetParams(int32_t APosition, int32_t AMin, int32_t AMax, int32_t APageSize)
{
  const int32_t oldMin = FMin, oldMax = FMax, oldPage = FPageSize, oldPosition = FPosition;
  const TRect before = ThumbRect();
  FMin = AMin;
  FMax = std::max(AMax, AMin);
  FPageSize = std::max(APageSize, 0);
  FPosition = std::clamp(APosition, FMin, MaxPosition());
  if (FMin != oldMin || FMax != oldMax || FPageSize != oldPage) {
    Invalidate();
  } else if (FPosition != oldPosition) {
    // A line scroll moves the thumb a few pixels: only where it was and where it is now
    // change, not the arrows.
    const TRect after = ThumbRect();
    if (before.Left != after.Left || before.Top != after.Top || before.Right != after.Right
        || before.Bottom != after.Bottom) {
      InvalidateRect(before);
      InvalidateRect(after);
    }
  }
  if (FPosition != oldPosition)
    NotifyAccessibleChange(this, TAccessibleChange::Value);
}

void TScrollBar::Scroll(TScrollCode Code, int32_t Pos)
{
  int64_t p = FPosition;
  switch (Code) {
  case scLineUp: p -= FSmallChange; break;
  case scLineDown: p += FSmallChange; break;
  case scPageUp: p -= FLargeChange; break;
  case scPageDown: p += FLargeChange; break;
  case scTop: p = FMin; break;
  case scBottom: p = MaxPosition(); break;
  case scTrack:
  case scPosition: p = Pos; break;
  case scEndScroll: break;
  }
  int32_t np = static_cast<int32_t>(std::clamp<int64_t>(p, FMin, MaxPosition()));
  int32_t old = FPosition;
  if (OnScroll)
    OnScroll(this, Code, np);
  SetPosition(np);
  if (FPosition != old && OnChange)
    OnChange(this);
}

TRect TScrollBar::ThumbRect() const
{
  const int32_t t = Thickness();
  const int32_t track = Length() - 2 * t;
  if (!Enabled() || track < MinThumb || FMax <= FMin || MaxPosition() <= FMin)
    return TRect{};
  const int64_t range = int64_t(FMax) - FMin + 1;
  int32_t thumb = FPageSize > 0 ? static_cast<int32_t>(int64_t(track) * FPageSize / range) : t;
  thumb = std::clamp(thumb, MinThumb, track);
  const int64_t span = int64_t(MaxPosition()) - FMin;
  const int32_t off = static_cast<int32_t>(int64_t(track - thumb) * (int64_t(FPosition) - FMin) / span);
  const int32_t a = t + off;
  return FKind == sbVertical ? Rect(0, a, t, a + thumb) : Rect(a, 0, a + thumb, t);
}

void TScrollBar::Paint()
{
  TCanvas& c = Canvas();
  const int32_t t = Thickness();
  const int32_t len = Length();
  c.FillRect(ClientRect(), clScrollBar);
  // The two arrow buttons.
  TRect b1 = FKind == sbVertical ? Rect(0, 0, t, t) : Rect(0, 0, t, t);
  TRect b2 = FKind == sbVertical ? Rect(0, len - t, t, len) : Rect(len - t, 0, len, t);
  const TColor arrow = Enabled() ? clBtnText : clGrayText;
  const TRect clip = c.ClipRect();
  for (int i = 0; i < 2; ++i) {
    TRect r = i == 0 ? b1 : b2;
    if (r.Right <= clip.Left || clip.Right <= r.Left || r.Bottom <= clip.Top || clip.Bottom <= r.Top)
      continue;   // a thumb move repaints only the track
    c.FillRect(r, clBtnFace);
    c.DrawEdge(r, EDGE_RAISED, BF_RECT);
    const int32_t cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    const int32_t s = std::max(2, t / 4);
    std::vector<TPoint> p;
    if (FKind == sbVertical)
      p = i == 0 ? std::vector<TPoint>{{cx - s, cy + s / 2}, {cx + s, cy + s / 2}, {cx, cy - s / 2 - 1}}
                 : std::vector<TPoint>{{cx - s, cy - s / 2}, {cx + s, cy - s / 2}, {cx, cy + s / 2 + 1}};
    else
      p = i == 0 ? std::vector<TPoint>{{cx + s / 2, cy - s}, {cx + s / 2, cy + s}, {cx - s / 2 - 1, cy}}
                 : std::vector<TPoint>{{cx - s / 2, cy - s}, {cx - s / 2, cy + s}, {cx + s / 2 + 1, cy}};
    c.Pen().SetColor(arrow);
    c.Brush().SetColor(arrow);
    c.Polygon(p);
  }
  TRect th = ThumbRect();
  if (!th.IsEmpty()) {
    c.FillRect(th, clBtnFace);
    c.DrawEdge(th, EDGE_RAISED, BF_RECT);
    if (Focused() && th.Width() > 6 && th.Height() > 6) {
      c.Brush().SetColor(clBtnFace);
      c.DrawFocusRect({th.Left + 3, th.Top + 3, th.Right - 3, th.Bottom - 3});
    }
  }
}

void TScrollBar::KeyDown(Word& Key, TShiftState Shift)
{
  TCustomControl::KeyDown(Key, Shift);
  if (!Enabled())
    return;
  TScrollCode code;
  switch (Key) {
  case VK_LEFT:
  case VK_UP: code = scLineUp; break;
  case VK_RIGHT:
  case VK_DOWN: code = scLineDown; break;
  case VK_PRIOR: code = scPageUp; break;
  case VK_NEXT: code = scPageDown; break;
  case VK_HOME: code = scTop; break;
  case VK_END: code = scBottom; break;
  default: return;
  }
  Key = 0;
  Scroll(code, FPosition);
}

void TScrollBar::DoEnter()
{
  InvalidateRect(ThumbRect());
  TCustomControl::DoEnter();
}

void TScrollBar::DoExit()
{
  InvalidateRect(ThumbRect());
  TCustomControl::DoExit();
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled())
    return;
  const int32_t a = Along(X, Y);
  const int32_t t = Thickness();
  const TRect th = ThumbRect();
  const int32_t thA = FKind == sbVertical ? th.Top : th.Left;
  const int32_t thB = FKind == sbVertical ? th.Bottom : th.Right;
  if (a < t)
    Scroll(scLineUp, 0);
  else if (a >= Length() - t)
    Scroll(scLineDown, 0);
  else if (th.IsEmpty())
    return;
  else if (a < thA)
    Scroll(scPageUp, 0);
  else if (a >= thB)
    Scroll(scPageDown, 0);
  else {
    FDragging = true;
    FDragOffset = a - thA;
  }
}

void TScrollBar::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseMove(Shift, X, Y);
  if (!FDragging)
    return;
  const TRect th = ThumbRect();
  const int32_t thumb = FKind == sbVertical ? th.Height() : th.Width();
  const int32_t free = Length() - 2 * Thickness() - thumb;
  if (free <= 0)
    return;
  const int64_t at = int64_t(Along(X, Y)) - FDragOffset - Thickness();
  const int64_t span = int64_t(MaxPosition()) - FMin;
  const int64_t pos = FMin + std::clamp<int64_t>(at, 0, free) * span / free;
  Scroll(scTrack, static_cast<int32_t>(pos));
}

void TScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (FDragging && Button == mbLeft) {
    FDragging = false;
    Scroll(scEndScroll, FPosition);
  }
}
