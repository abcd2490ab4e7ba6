#include "html/Pictures.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "html/Dither.h"
#include "html/PNGImage.h"
#include "platform/BmpFile.h"
#include "platform/JpegImage.h"

namespace {

struct TDisplay {
  int Bits = 24;
  std::unique_ptr<TPalette> Palette;
};

// The screen's, so one for the process, as the screen is.
TDisplay& Display()
{
  static TDisplay d;   // NOLINT(orrelo-static-local-state): the screen's, as above
  return d;
}

// The 8-bit palette: the system's 20 colours at both ends, a 6x6x6 cube (white left out)
// and 21 greys between.
std::unique_ptr<TPalette> MakeThePalette()
{
  auto p = std::make_unique<TPalette>();
  p->Entries.assign(256, TRGBQuad{});
  const TRGBQuad* system = StandardSystemColors();
  for (int i = 0; i < 10; ++i) {
    p->Entries[size_t(i)] = system[i];
    p->Entries[size_t(246 + i)] = system[10 + i];
  }
  static const uint8_t levels[6] = {55, 115, 165, 205, 235, 255};
  size_t n = 10;
  for (int b = 0; b < 6; ++b)
    for (int g = 0; g < 6; ++g)
      for (int r = 0; r < 6; ++r) {
        if (r == 5 && g == 5 && b == 5)
          continue;
        p->Entries[n++] = TRGBQuad{levels[b], levels[g], levels[r], 0};
      }
  for (int i = 1; i <= 24; ++i) {
    if (i == 7 || i == 15 || i == 21)
      continue;
    uint8_t v = uint8_t(5 * i + 130);
    p->Entries[n++] = TRGBQuad{v, v, v, 0};
  }
  return p;
}

}   // namespace

int ColorBits() { return Display().Bits; }

void SetColorBits(int bits)
{
  // Below 5 counts as 4, above 8 as 24.
  int b = bits < 5 ? 4 : bits > 8 ? 24 : 8;
  Display().Bits = b;
  Display().Palette = b == 8 ? MakeThePalette() : nullptr;
}

const TPalette* ThePalette() { return Display().Palette.get(); }

TPalette CopyPalette(const TPalette* palette)
{
  TPalette p;
  if (palette && ColorBits() <= 8) {
    p = *palette;
    if (p.Entries.size() > 256)
      p.Entries.resize(256);
  }
  return p;
}

uint8_t DetectImageFormat(const uint8_t* data, size_t size)
{
  if (size >= 5 && std::memcmp(data, "GIF8", 4) == 0)
    return data[4] == '9' ? itGIF89 : itGIF;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M')
    return itBMP;
  if (size >= 4 && data[0] == 0x89 && std::memcmp(data + 1, "PNG", 3) == 0)
    return itPNG;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8)
    return itJPG;
  return itNone;
}

uint32_t IntelSwap(uint32_t v)
{
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&v);
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

namespace {

// A BMP file through the platform's reader, which checks every size against the file.
std::unique_ptr<TBitmap> LoadBmp(const uint8_t* d, size_t n)
{
  auto bmp = std::make_unique<TBitmap>();
  LoadBmpFromBytes(*bmp, d, n);
  return bmp;
}

const uint8_t PngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}   // namespace

bool PngHasTransparency(TByteStream& stream)
{
  const uint8_t* d = stream.Memory();
  const size_t n = stream.Bytes().size();
  if (n < 8 || std::memcmp(d, PngSig, 8) != 0)
    return false;
  size_t at = 8;
  // Each turn moves on by at least a chunk header, and a chunk longer than what is left ends
  // the scan, so malformed lengths cannot make it loop or read past the data.
  while (at + 8 <= n) {
    uint32_t length = Be32(d + at);
    const uint8_t* type = d + at + 4;
    at += 8;
    if (length > n - at)
      return false;
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (length < 13)
        return false;
      uint8_t colorType = d[at + 9];
      if (colorType != 2 && colorType != 3)
        return false;
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
      return true;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      return false;
    }
    at += size_t(length) + 4;
  }
  return false;
}

std::unique_ptr<TBitmap> GetImageMask(TBitmap& bitmap, bool useColor, TColor color)
{
  if (useColor) {
    bitmap.SetTransparentColor(color);
    return bitmap.CreateMask(color);
  }
  // The lower-left pixel, even when the bitmap keeps a fixed colour of its own (an RGB PNG
  // remembers its transparency chunk's colour whether or not the loader honoured it).
  return bitmap.CreateMask(bitmap.Empty() ? clBlack : bitmap.GetPixel(0, bitmap.Height() - 1));
}

std::unique_ptr<TBitmap> ConvertToScreenBitmap(std::unique_ptr<TBitmap> bitmap)
{
  if (!bitmap)
    return nullptr;
  std::unique_ptr<TBitmap> result = std::move(bitmap);
  if (ColorBits() > 8) {
    result->SetPixelFormat(TPixelFormat::pf24bit);
  } else {
    TPalette p = ThePalette() ? *ThePalette() : DefaultSystemPalette();
    result = ReduceColors(*result, ColorBits() < 8 ? rmWindows20 : rmMyPalette, dmNearest);
    if (ColorBits() == 8 && !result->HasPalette())
      result->SetPalette(p);
  }
  result->SetHandleType(TBitmapHandleType::bmDIB);
  return result;
}

std::unique_ptr<TBitmap> ConvertImage(std::unique_ptr<TBitmap> bitmap)
{
  if (!bitmap)
    return nullptr;
  if (ColorBits() >= 9) {
    if (bitmap->BitsPerPixel() <= 8 || bitmap->PixelFormat() == TPixelFormat::pfDevice)
      return ConvertToScreenBitmap(std::move(bitmap));
    return bitmap;
  }
  if (bitmap->HandleType() == TBitmapHandleType::bmDIB) {
    auto dithered = DitherBitmap(bitmap.get());
    return dithered ? std::move(dithered) : std::move(bitmap);
  }
  return ConvertToScreenBitmap(std::move(bitmap));
}

std::unique_ptr<TBitmap> LoadImageFromFile(const std::string& fileName, TTransparency& transparent,
                                           std::unique_ptr<TBitmap>& mask)
{
  mask.reset();
  TByteStream s;
  try {
    s.LoadFromFile(fileName);
  } catch (const EFOpenError&) {
    return nullptr;
  }
  return LoadImageFromStream(&s, transparent, mask);
}

std::unique_ptr<TBitmap> LoadImageFromStream(TByteStream* stream, TTransparency& transparent,
                                             std::unique_ptr<TBitmap>& mask)
{
  mask.reset();
  if (!stream || stream->Size() < 20)
    return nullptr;
  stream->SetPosition(0);
  const uint8_t* d = stream->Memory();
  const size_t n = stream->Bytes().size();
  const uint8_t type = DetectImageFormat(d, n);
  if (type != itBMP && type != itPNG && type != itJPG)
    return nullptr;

  std::unique_ptr<TBitmap> result;
  std::unique_ptr<TBitmap> pngMask;
  if (type == itJPG) {
    transparent = NotTransp;
    TJPEGImage jpg;
    jpg.LoadFromBytes(d, n);
    if (ColorBits() < 9) {
      jpg.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
      if (ColorBits() == 8 && !jpg.Grayscale() && ThePalette())
        jpg.SetQuantizePalette(*ThePalette());
    } else {
      jpg.SetPixelFormat(TJPEGPixelFormat::jf24Bit);
    }
    result = std::make_unique<TBitmap>(jpg.Bitmap());
  } else if (type == itPNG) {
    const bool honoured = PngHasTransparency(*stream);
    TPNGImage png;
    // A screen of more than 256 colours takes every picture as 24-bit pixels: palette and grey
    // pictures are read straight into them, not into an indexed bitmap converted afterwards.
    png.DirectColor = ColorBits() > 8;
    png.LoadFromStream(*stream);
    // The mask follows the transparency chunk pixel by pixel (alpha table or exact RGB).
    if (honoured && png.TransparencyMask()) {
      transparent = TrPng;
      pngMask = std::make_unique<TBitmap>(*png.TransparencyMask());
    }
    result = std::make_unique<TBitmap>(std::move(static_cast<TBitmap&>(png)));   // the pixels, not a copy
  } else {
    result = LoadBmp(d, n);
  }

  if (transparent == LLCorner) {
    mask = GetImageMask(*result, false, 0);
  } else if (transparent == TrPng && pngMask) {
    // Re-made so that it can be drawn through the mask: transparent pixels black, the rest as
    // they are.
    auto made = std::make_unique<TBitmap>(result->Width(), result->Height(), TPixelFormat::pf24bit);
    made->SetPalette(CopyPalette(ThePalette()));
    std::vector<uint32_t> line(size_t(result->Width()));
    for (int32_t y = 0; y < result->Height(); ++y) {
      const uint8_t* m = pngMask->ScanLine(y);
      uint8_t* out = made->ScanLine(y);
      result->ReadRow(y, 0, result->Width(), line.data());
      for (int32_t x = 0; x < result->Width(); ++x) {
        if ((m[x >> 3] >> (7 - (x & 7))) & 1)
          continue;
        const uint32_t c = line[size_t(x)];   // 0x00RRGGBB
        out[3 * x] = uint8_t(c);
        out[3 * x + 1] = uint8_t(c >> 8);
        out[3 * x + 2] = uint8_t(c >> 16);
      }
    }
    made->Changed();
    result = std::move(made);
    mask = std::move(pngMask);
  } else if (transparent == TrPng) {
    transparent = NotTransp;
  }
  return ConvertImage(std::move(result));
}

// Drawing

TDib::TDib(const TBitmap& bitmap) : FImage(bitmap)
{
  if (FImage.BitsPerPixel() > 8 && FImage.PixelFormat() != TPixelFormat::pf24bit)
    FImage.SetPixelFormat(TPixelFormat::pf24bit);
  FImage.SetHandleType(TBitmapHandleType::bmDIB);
}

void TDib::DrawDIB(TCanvas& canvas, int x, int y, int w, int h, uint32_t rop) const
{
  if (FImage.Empty())
    return;
  canvas.StretchBlt(x, y, w, h, FImage, 0, 0, FImage.Width(), FImage.Height(), rop);
}

void DrawBitmap(TCanvas& canvas, int x, int y, int w, int h, const TBitmap& bitmap)
{
  TDib dib(bitmap);
  int old = canvas.SetStretchBltMode(COLORONCOLOR);
  dib.DrawDIB(canvas, x, y, w, h, SRCCOPY);
  canvas.SetStretchBltMode(old);
}

TRegion BitmapToRegion(const TBitmap& bitmap, TColor transparent)
{
  transparent &= 0xFFFFFF;
  TRegion result;
  std::vector<TRect> batch;
  batch.reserve(2000);
  auto flush = [&] {
    if (batch.empty())
      return;
    result.Unite(TRegion::FromRects(batch));
    batch.clear();
  };
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    int32_t x = 0;
    while (x < bitmap.Width()) {
      while (x < bitmap.Width() && bitmap.GetPixel(x, y) == transparent)
        ++x;
      int32_t start = x;
      while (x < bitmap.Width() && bitmap.GetPixel(x, y) != transparent)
        ++x;
      if (x > start) {
        batch.push_back(Rect(start, y, x, y + 1));
        if (batch.size() == 2000)
          flush();
      }
    }
  }
  flush();
  return result;
}

void PrintTransparentBitmap(TCanvas& canvas, int x, int y, int w, int h, const TBitmap& bitmap, const TBitmap& mask)
{
  if (bitmap.Empty() || mask.Empty() || w <= 0 || h <= 0)
    return;
  // The opaque part of the mask, scaled to the target box in device units.
  TRegion opaque = BitmapToRegion(mask, clWhite);
  std::vector<TRect> scaled;
  const TRect box = canvas.LPtoDP(Rect(x, y, x + w, y + h));
  const int64_t mw = mask.Width(), mh = mask.Height();
  for (const TRect& r : opaque.Rects())
    scaled.push_back(Rect(box.Left + int32_t(r.Left * box.Width() / mw), box.Top + int32_t(r.Top * box.Height() / mh),
                          box.Left + int32_t(r.Right * box.Width() / mw),
                          box.Top + int32_t(r.Bottom * box.Height() / mh)));
  TRegion clip = TRegion::FromRects(scaled);
  TRegion saved;
  const bool hadClip = canvas.GetClipRgn(saved);
  canvas.ExtSelectClipRgn(&clip, RGN_AND);
  TDib(bitmap).DrawDIB(canvas, x, y, w, h, SRCCOPY);
  canvas.SelectClipRgn(hadClip ? &saved : nullptr);
}

void FinishTransparentBitmap(TCanvas& canvas, const TBitmap& bitmap, const TBitmap& mask, int height, int width, int y,
                             int x)
{
  if (canvas.GetDeviceCaps(BITSPIXEL) * canvas.GetDeviceCaps(PLANES) <= 1)
    return;
  TColor oldText = canvas.SetTextColor(clBlack);
  TColor oldBk = canvas.SetBkColor(clWhite);
  int oldMode = canvas.SetStretchBltMode(COLORONCOLOR);
  canvas.DrawMasked(Rect(x, y, x + width, y + height), bitmap, mask);
  canvas.SetStretchBltMode(oldMode);
  canvas.SetBkColor(oldBk);
  canvas.SetTextColor(oldText);
}
