#include "toolbar/PopupAnimation.h"

#include <memory>

#include "platform/Forms.h"

namespace {

struct TAnimateState {
  TControl* Wnd = nullptr;
  Integer Time = 0;
  bool Blend = false;
  Integer Step = 0;
  Byte Direction = 0;
  std::unique_ptr<TBitmap> Image;
  TRect ScreenClientRect;
  TSize Size;
  TPoint LastCursorPos;
  int64_t StartCount = 0;
  int64_t Frequency = 1000;
  HWND TimerWnd = 0;
  Cardinal Serial = 0;
};

TAnimateState& Anim()
{
  // One for the process: at most one popup animates at a time (starting one ends the one
  // running), so its state is the kit's, not a window's.
  // NOLINTNEXTLINE(orrelo-static-local-state)
  static TAnimateState s;
  return s;
}

constexpr uintptr_t TimerId = 1;

void ApplyFrame()
{
  TAnimateState& a = Anim();
  if (!a.Wnd)
    return;
  TPoint d = AnimationSlideOffset(a.Direction, a.Step, a.Size.cx, a.Size.cy);
  TRect region{d.X, d.Y, a.Size.cx + d.X, a.Size.cy + d.Y};
  a.Wnd->SetWindowRegion(&region);
  a.Wnd->Repaint();
}

void Tick()
{
  TAnimateState& a = Anim();
  if (!a.Wnd)
    return;
  int64_t now = 0;
  QueryPerformanceCounter(now);
  int64_t elapsed = AnimationElapsedMs(now - a.StartCount, a.Frequency);
  Integer q = AnimationStep(elapsed, a.Time);
  bool stop = q >= 255;
  TPoint cur = GetCursorPos();
  if (!(cur == a.LastCursorPos)) {
    // The user points into the window: show it at once.
    if (a.ScreenClientRect.Contains(cur))
      stop = true;
    a.LastCursorPos = cur;
  }
  if (stop) {
    EndAnimation(a.Wnd);
    return;
  }
  if (q > a.Step) {
    a.Step = q;
    PostMessage(a.Wnd->Handle(), WM_TB2K_ANIMATIONFRAME, 0, static_cast<LPARAM>(a.Serial));
  }
}

}   // namespace

Integer AnimationStep(int64_t ElapsedMs, Integer TimeMs)
{
  if (TimeMs <= 0 || ElapsedMs >= TimeMs)
    return 255;
  if (ElapsedMs < 0)
    return 0;
  int64_t raw = 255 * ElapsedMs / TimeMs;
  return static_cast<Integer>(raw & ~int64_t(15));
}

int64_t AnimationElapsedMs(int64_t Ticks, int64_t Frequency)
{
  int64_t perMs = Frequency / 1000;
  if (perMs < 1)
    perMs = 1;
  return Ticks / perMs;
}

TPoint AnimationSlideOffset(Byte Direction, Integer Step, Integer W, Integer H)
{
  TPoint d;
  if (Direction & tbadDownward)
    d.Y = MulDiv(H, Step, 255) - H;
  else if (Direction & tbadUpward)
    d.Y = H - MulDiv(H, Step, 255);
  if (Direction & tbadRightward)
    d.X = MulDiv(W, Step, 255) - W;
  else if (Direction & tbadLeftward)
    d.X = W - MulDiv(W, Step, 255);
  return d;
}

void StartAnimation(TControl* Wnd, Integer Time, bool Blend, Byte Direction)
{
  EndAnimation(nullptr);
  if (!Wnd)
    return;
  // The picture has the screen's pixels, so the sliding window is as sharp as the still one.
  // It is taken before the window counts as animating: an animating popup paints this
  // picture, not itself.
  auto image = std::make_unique<TBitmap>();
  FitScreenBuffer(*image, std::max(1, Wnd->Width()), std::max(1, Wnd->Height()), Wnd->DevicePixelRatio());
  Wnd->PaintTo(image->Canvas(), 0, 0);
  TAnimateState& a = Anim();
  a.Wnd = Wnd;
  a.Time = Time;
  a.Direction = Direction;
  // Fading needs layered windows, which are not available: slide.
  a.Blend = false;
  (void)Blend;
  a.LastCursorPos = GetCursorPos();
  TPoint o = Wnd->ClientToScreen({0, 0});
  TRect cr = Wnd->ClientRect();
  a.ScreenClientRect = {o.X, o.Y, o.X + cr.Width(), o.Y + cr.Height()};
  a.Size = {Wnd->Width(), Wnd->Height()};
  a.Image = std::move(image);
  a.Step = 0;
  QueryPerformanceFrequency(a.Frequency);
  QueryPerformanceCounter(a.StartCount);
  ++a.Serial;
  if (!a.TimerWnd)
    a.TimerWnd = AllocateHWnd([](TMessage& m) {
      if (m.Msg == WM_TIMER)
        Tick();
    });
  ApplyFrame();
  Wnd->Show();
  // Showing may give the window a new native window without the region: once more.
  ApplyFrame();
  if (SetTimer(a.TimerWnd, TimerId, 10) == 0)
    EndAnimation(Wnd);   // no timer: show the window at once
}

void EndAnimation(TControl* Wnd)
{
  TAnimateState& a = Anim();
  if (!a.Wnd || (Wnd && Wnd != a.Wnd))
    return;
  KillTimer(a.TimerWnd, TimerId);
  TControl* w = a.Wnd;
  a.Wnd = nullptr;
  a.Image.reset();
  w->SetWindowRegion(nullptr);
  w->Invalidate();
  SendMessage(w->Handle(), WM_TB2K_ANIMATIONEND, 0, 0);
}

bool IsAnimating(const TControl* Wnd) { return Wnd && Anim().Wnd == Wnd; }

bool GetAnimationFrame(const TControl* Wnd, const TBitmap*& Image, TPoint& Offset)
{
  TAnimateState& a = Anim();
  if (!Wnd || a.Wnd != Wnd || !a.Image)
    return false;
  Image = a.Image.get();
  Offset = AnimationSlideOffset(a.Direction, a.Step, a.Size.cx, a.Size.cy);
  return true;
}

bool DrawAnimationFrame(const TControl* Wnd, TCanvas& Canvas, TPoint Origin)
{
  const TBitmap* image = nullptr;
  TPoint offset;
  if (!GetAnimationFrame(Wnd, image, offset))
    return false;
  Canvas.Draw(offset.X - Origin.X, offset.Y - Origin.Y, *image);
  return true;
}

void HandleAnimationMessage(TControl* Wnd, const TMessage& Message)
{
  TAnimateState& a = Anim();
  if (Wnd != a.Wnd || static_cast<Cardinal>(Message.LParam) != a.Serial)
    return;
  ApplyFrame();
}
