#include "html/GifAnimation.h"

#include <algorithm>
#include <cstring>

#include "html/Pictures.h"
#include "html/GifDecoder.h"
#include "platform/Application.h"
#include "platform/Graphics.h"

TGIFImage::TGIFImage() = default;
TGIFImage::~TGIFImage() = default;

Cardinal TGIFImage::Now() const { return Clock ? Clock() : GetTickCount(); }

std::unique_ptr<TGIFImage> CreateAGif(TStream& stream, bool& nonAnimated)
{
  nonAnimated = true;
  TGif gif;
  // Every frame is kept whole in the strip, so a file of many tiny updates would unfold to
  // hundreds of times its size: the strip gets a budget from the file's size, and the
  // animation stops at the frame that would pass it.
  gif.StripBudget = std::max(MinGifStripBytes, GifStripBytesPerFileByte * stream.Size());
  gif.LoadFromStream(stream);
  auto img = std::make_unique<TGIFImage>();
  img->NumFrames = gif.ImageCount();
  img->Animated = img->NumFrames >= 2;
  nonAnimated = img->NumFrames < 2;
  img->Width = gif.Width();
  img->Height = gif.Height();
  img->NumIterations = gif.LoopCount() < 1 ? 0 : gif.LoopCount();
  // A first image smaller than the screen leaves the rest of the first frame clear.
  img->IsTransparent = gif.IsTransparent() || !gif.FirstImageCoversScreen();
  img->FramesPerRow = gif.FramesPerRow();

  std::unique_ptr<TBitmap> mask;
  auto ht = std::make_shared<ThtBitmap>();
  gif.DrawStrip(*ht, mask);
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
  c->FramesPerRow = FramesPerRow;
  c->IsCopy = true;
  c->Clock = Clock;
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
    LastTime = Now();
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
  Cardinal t = Now();
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
    FCurrentBitmap->SetHeight(std::min(Height, Strip->Height()));
    if (Strip->Mask) {
      // Cut to the first frame like the bitmap: drawing and printing through a mask scale
      // it to the picture's box, so a mask as wide as the strip would squeeze every frame's
      // transparency into it.
      FCurrentMask = std::make_unique<TBitmap>(*Strip->Mask);
      FCurrentMask->SetWidth(FCurrentBitmap->Width());
      FCurrentMask->SetHeight(FCurrentBitmap->Height());
    }
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
  canvas.SetStretchBltMode(COLORONCOLOR);
  if (!Visible || Frames.Count() == 0 || !Strip)
    return;
  ShowIt = true;
  canvas.SetCopyMode(SRCCOPY);
  Strip->StretchDraw(canvas, StripRect, FrameSource());
}

TRect TGIFImage::FrameSource() const
{
  const int perRow = std::max(1, FramesPerRow);
  const int i = std::max(0, FCurrentFrame - 1);
  const int32_t x = int32_t(int64_t(i % perRow) * Width), y = int32_t(int64_t(i / perRow) * Height);
  return Rect(x, y, x + Width, y + Height);
}

void ThtBitmap::StretchDraw(TCanvas& canvas, const TRect& dest, const TRect& source) const
{
  if (Empty() || source.IsEmpty() || dest.IsEmpty())
    return;
  // Palette screens get the smoother halftone stretch for deep pictures.
  const int deviceBits = canvas.GetDeviceCaps(BITSPIXEL) * canvas.GetDeviceCaps(PLANES);
  if (deviceBits < 9 && BitsPerPixel() >= 15)
    canvas.SetStretchBltMode(HALFTONE);
  else if (PixelFormat() != TPixelFormat::pf1bit)
    canvas.SetStretchBltMode(COLORONCOLOR);
  if (HasMask && Mask) {
    // Masked drawing takes whole pictures: cut the source block out of the strip and mask.
    TRect src = source;
    src.Right = std::min(src.Right, Width());
    src.Bottom = std::min(src.Bottom, Height());
    if (src.IsEmpty() || src.Left < 0 || src.Top < 0)
      return;
    const TBitmap* colours = this;
    TBitmap converted;
    if (PixelFormat() != TPixelFormat::pf24bit) {
      converted = *this;
      converted.SetPixelFormat(TPixelFormat::pf24bit);
      colours = &converted;
    }
    TBitmap maskPart(src.Width(), src.Height(), TPixelFormat::pf1bit);
    maskPart.SetPalette(Mask->Palette());
    TBitmap cut(src.Width(), src.Height(), TPixelFormat::pf24bit);
    for (int32_t yy = 0; yy < src.Height(); ++yy) {
      std::memcpy(cut.ScanLine(yy), colours->ScanLine(src.Top + yy) + 3 * size_t(src.Left), 3 * size_t(src.Width()));
      const uint8_t* m = Mask->ScanLine(std::min(src.Top + yy, Mask->Height() - 1));
      uint8_t* o = maskPart.ScanLine(yy);
      for (int32_t xx = 0; xx < src.Width() && src.Left + xx < Mask->Width(); ++xx) {
        int32_t sx = src.Left + xx;
        if ((m[sx >> 3] >> (7 - (sx & 7))) & 1)
          o[xx >> 3] |= uint8_t(0x80 >> (xx & 7));
      }
    }
    cut.Changed();
    maskPart.Changed();
    canvas.DrawMasked(dest, cut, maskPart);
  } else {
    canvas.StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), *this, source.Left, source.Top, source.Width(),
                      source.Height(), canvas.CopyMode());
  }
}
