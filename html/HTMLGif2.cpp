#include "html/HTMLGif2.h"

#include <algorithm>

#include "html/HTMLUn2_Display.h"
#include "html/HtmlGif1.h"
#include "platform/Application.h"

static TGifClock& ClockSlot()
{
  static TGifClock clock;
  return clock;
}

void SetGifClock(TGifClock clock) { ClockSlot() = std::move(clock); }

Cardinal GifClockNow() { return ClockSlot() ? ClockSlot()() : GetTickCount(); }

TGIFImage::TGIFImage() = default;
TGIFImage::~TGIFImage() = default;

std::unique_ptr<TGIFImage> CreateAGif(TStream& stream, bool& nonAnimated)
{
  nonAnimated = true;
  TGif gif;
  gif.LoadFromStream(stream);
  auto img = std::make_unique<TGIFImage>();
  img->NumFrames = gif.ImageCount();
  img->Animated = img->NumFrames >= 2;
  nonAnimated = img->NumFrames < 2;
  img->Width = gif.Width();
  img->Height = gif.Height();
  img->NumIterations = gif.LoopCount() < 1 ? 0 : gif.LoopCount();
  img->IsTransparent = gif.IsTransparent();

  std::unique_ptr<TBitmap> mask;
  std::unique_ptr<TBitmap> strip = gif.GetStripBitmap(mask);
  auto ht = std::make_shared<ThtBitmap>();
  static_cast<TBitmap&>(*ht) = std::move(*strip);
  ht->HasMask = mask != nullptr;
  ht->Mask = std::move(mask);
  ht->SetPalette(CopyPalette(ThePalette()));
  img->Strip = std::move(ht);

  for (int i = 0; i < gif.ImageCount(); ++i) {
    TgfFrame f;
    f.Disposal = uint8_t(gif.ImageDisposal(i));
    f.Left = gif.ImageLeft(i);
    f.Top = gif.ImageTop(i);
    f.Width = gif.ImageWidth(i);
    f.Height = gif.ImageHeight(i);
    // Hundredths become milliseconds; no frame is shorter than 30 ms.
    f.Delay = std::max(30, 10 * gif.ImageDelay(i));
    img->Frames.Add(f);
  }
  if (img->Animated)
    img->Change = 2;
  return img;
}

std::unique_ptr<TGIFImage> CreateAGifFromFile(const std::string& fileName, bool& nonAnimated)
{
  TByteStream s;
  s.LoadFromFile(fileName);
  return CreateAGif(s, nonAnimated);
}

std::unique_ptr<TGIFImage> TGIFImage::CreateCopy() const
{
  auto c = std::make_unique<TGIFImage>();
  c->Animated = Animated;
  c->Width = Width;
  c->Height = Height;
  c->NumFrames = NumFrames;
  c->NumIterations = NumIterations;
  c->IsTransparent = IsTransparent;
  c->Visible = Visible;
  c->Change = Change;
  c->Strip = Strip;
  c->IsCopy = true;
  for (int i = 1; i <= Frames.Count(); ++i) {
    TgfFrame f = Frames[i];
    f.IsCopy = 1;
    c->Frames.Add(f);
  }
  c->FCurrentFrame = 1;
  c->CurrentIteration = 1;
  return c;
}

void TGIFImage::SetAnimate(bool value)
{
  if (value == FAnimate)
    return;
  FAnimate = value;
  CurrentIteration = 1;
  if (value && NumFrames > 1) {
    CurrentInterval = std::max(Frames[FCurrentFrame].Delay, 1);
    LastTime = GifClockNow();
  }
}

void TGIFImage::SetCurrentFrame(int frame)
{
  if (frame == FCurrentFrame || NumFrames == 0)
    return;
  Change = Frames[FCurrentFrame].Disposal;
  if (frame > NumFrames)
    frame = 1;
  else if (frame < 1)
    frame = NumFrames;
  FCurrentFrame = frame;
  if (Animated)
    Change = 2;
}

void TGIFImage::CheckTime(const std::function<void(const TRect&)>& invalidate)
{
  if (!FAnimate || NumFrames == 0)
    return;
  Cardinal t = GifClockNow();
  // Unsigned difference: stays right when the clock wraps at 2^32.
  if (Cardinal(t - LastTime) < Cardinal(std::max(CurrentInterval, 0)))
    return;
  LastTime = t;
  if (FCurrentFrame == NumFrames) {
    if (NumIterations >= 1 && NumIterations <= CurrentIteration) {
      FAnimate = false;
      return;
    }
    ++CurrentIteration;
  }
  Change = Frames[FCurrentFrame].Disposal;
  ++FCurrentFrame;
  if (FCurrentFrame > NumFrames || FCurrentFrame < 1)
    FCurrentFrame = 1;
  if (invalidate)
    invalidate(StripRect);
  CurrentInterval = std::max(Frames[FCurrentFrame].Delay, 1);
}

TBitmap* TGIFImage::GetBitmap()
{
  if (!FCurrentBitmap && Strip) {
    FCurrentBitmap = std::make_unique<TBitmap>(static_cast<const TBitmap&>(*Strip));
    FCurrentBitmap->SetWidth(std::min(Width, Strip->Width()));
    if (Strip->Mask)
      FCurrentMask = std::make_unique<TBitmap>(*Strip->Mask);
    FCurrentBitmap->SetTransparent(false);
  }
  return FCurrentBitmap.get();
}

TBitmap* TGIFImage::GetMaskImage()
{
  GetBitmap();
  return IsTransparent ? FCurrentMask.get() : nullptr;
}

void TGIFImage::Draw(TCanvas& canvas, int height, int width, int y, int x)
{
  StripRect = Rect(x, y, x + width, y + height);
  if (!Visible || Frames.Count() == 0 || !Strip)
    return;
  TRect source = Rect((FCurrentFrame - 1) * Width, 0, FCurrentFrame * Width, Height);
  Strip->StretchDraw(canvas, StripRect, source);
}

void ThtBitmap::StretchDraw(TCanvas&, const TRect&, const TRect&) const
{
  // Drawing comes with the platform canvas.
}
