#include "html/HTMLUn2_Display.h"

#include <algorithm>
#include <cstring>

#include "html/DitherUnit.h"
#include "html/PNGImage.h"
#include "platform/JpegImage.h"

namespace {

struct TDisplay {
  int Bits = 24;
  std::unique_ptr<TPalette> Palette;
};

TDisplay& Display()
{
  static TDisplay d;
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

}  // namespace

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

[[noreturn]] void BadBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// A channel of a bit-field pixel scaled to 0..255.
uint8_t FieldValue(uint32_t pixel, uint32_t mask)
{
  if (mask == 0)
    return 0;
  int shift = 0;
  while (!((mask >> shift) & 1))
    ++shift;
  uint32_t m = mask >> shift;
  uint32_t v = (pixel & mask) >> shift;
  return uint8_t(uint64_t(v) * 255 / m);
}

// Run-length coded 8- and 4-bit rows into the bitmap (rows bottom-up as the file has them).
void DecodeRle(const uint8_t* p, size_t n, TBitmap& bmp, bool four, bool bottomUp)
{
  const int w = bmp.Width(), h = bmp.Height();
  int x = 0, y = 0;
  auto put = [&](int v) {
    if (x < w && y < h) {
      uint8_t* row = bmp.ScanLine(bottomUp ? h - 1 - y : y);
      if (four)
        row[x >> 1] = (x & 1) ? uint8_t((row[x >> 1] & 0xF0) | (v & 15)) : uint8_t((row[x >> 1] & 0x0F) | (v << 4));
      else
        row[x] = uint8_t(v);
    }
    ++x;
  };
  size_t i = 0;
  while (i + 1 < n) {
    int count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k)
        put(four ? ((k & 1) ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (i + 1 >= n)
        return;
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {
      size_t bytes = four ? (size_t(value) + 1) / 2 : size_t(value);
      if (i + bytes > n)
        BadBitmap();
      for (int k = 0; k < value; ++k)
        put(four ? ((k & 1) ? p[i + size_t(k / 2)] & 15 : p[i + size_t(k / 2)] >> 4) : p[i + size_t(k)]);
      i += (bytes + 1) & ~size_t(1);   // runs are word-aligned
    }
    if (y >= h)
      return;
  }
}

// A BMP file (core or information header; 1, 4, 8, 16, 24 or 32 bits; plain, run-length or
// bit fields) into a bitmap. Every size is checked against the file before use.
std::unique_ptr<TBitmap> LoadBmp(const uint8_t* d, size_t n)
{
  if (n < 26 || d[0] != 'B' || d[1] != 'M')
    BadBitmap();
  const uint32_t offBits = Le32(d + 10);
  const uint32_t hs = Le32(d + 14);
  int64_t w, h;
  int bpp, planes;
  uint32_t compression = 0, clrUsed = 0;
  size_t entrySize = 4;
  if (hs == 12) {
    w = Le16(d + 18);
    h = int16_t(Le16(d + 20));
    planes = Le16(d + 22);
    bpp = Le16(d + 24);
    entrySize = 3;
  } else if (hs >= 40 && 14 + size_t(hs) <= n) {
    w = int32_t(Le32(d + 18));
    h = int32_t(Le32(d + 22));
    planes = Le16(d + 26);
    bpp = Le16(d + 28);
    compression = Le32(d + 30);
    clrUsed = Le32(d + 46);
  } else {
    BadBitmap();
  }
  (void)planes;
  const bool bottomUp = h > 0;
  h = h < 0 ? -h : h;
  if (w <= 0 || h <= 0 || w > TBitmap::MaxSide || h > TBitmap::MaxSide || w * h > 100000000)
    BadBitmap();
  size_t at = 14 + size_t(hs);
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bpp == 32)
    masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  if (compression == 3) {
    if (bpp != 16 && bpp != 32)
      BadBitmap();
    if (hs == 40) {
      if (at + 12 > n)
        BadBitmap();
      for (int i = 0; i < 3; ++i)
        masks[i] = Le32(d + at + 4 * size_t(i));
      at += 12;
    } else if (hs >= 52) {
      for (int i = 0; i < 3; ++i)
        masks[i] = Le32(d + 54 + 4 * size_t(i));
    }
  } else if (compression == 1 && bpp != 8) {
    BadBitmap();
  } else if (compression == 2 && bpp != 4) {
    BadBitmap();
  } else if (compression > 3) {
    BadBitmap();
  }
  TPixelFormat format;
  switch (bpp) {
  case 1: format = TPixelFormat::pf1bit; break;
  case 4: format = TPixelFormat::pf4bit; break;
  case 8: format = TPixelFormat::pf8bit; break;
  case 16:
  case 24: format = TPixelFormat::pf24bit; break;
  case 32: format = TPixelFormat::pf32bit; break;
  default: BadBitmap();
  }
  auto bmp = std::make_unique<TBitmap>(int32_t(w), int32_t(h), format);
  if (bpp <= 8) {
    size_t count = clrUsed && clrUsed <= (1u << bpp) ? clrUsed : (size_t(1) << bpp);
    if (at + count * entrySize > n)
      count = at < n ? (n - at) / entrySize : 0;
    TPalette pal;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = d + at + i * entrySize;
      pal.Entries.push_back(TRGBQuad{e[0], e[1], e[2], 0});
    }
    pal.Entries.resize(size_t(1) << bpp, TRGBQuad{});
    bmp->SetPalette(pal);
  }
  if (offBits >= n)
    BadBitmap();
  const uint8_t* bits = d + offBits;
  const size_t avail = n - offBits;
  if (compression == 1 || compression == 2) {
    DecodeRle(bits, avail, *bmp, compression == 2, bottomUp);
    bmp->Changed();
    return bmp;
  }
  const size_t stride = BytesPerScanline(int32_t(w), bpp);
  if (stride == 0 || stride * size_t(h) > avail)
    BadBitmap();
  for (int64_t y = 0; y < h; ++y) {
    const uint8_t* src = bits + size_t(y) * stride;
    uint8_t* dst = bmp->ScanLine(int32_t(bottomUp ? h - 1 - y : y));
    if (bpp <= 8 || bpp == 24 || (bpp == 32 && compression == 0)) {
      std::memcpy(dst, src, std::min(stride, bmp->Stride()));
    } else {
      for (int64_t x = 0; x < w; ++x) {
        uint32_t px = bpp == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
        uint8_t* o = dst + (bpp == 16 ? 3 : 4) * x;
        o[0] = FieldValue(px, masks[2]);
        o[1] = FieldValue(px, masks[1]);
        o[2] = FieldValue(px, masks[0]);
      }
    }
  }
  bmp->Changed();
  return bmp;
}

const uint8_t PngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

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
  if (useColor)
    bitmap.SetTransparentColor(color);
  return bitmap.CreateMask(bitmap.TransparentColor());
}

std::unique_ptr<TBitmap> ConvertToScreenBitmap(std::unique_ptr<TBitmap> bitmap)
{
  if (!bitmap)
    return nullptr;
  auto result = std::make_unique<TBitmap>(*bitmap);
  if (ColorBits() > 8) {
    result->SetPixelFormat(TPixelFormat::pf24bit);
  } else {
    TPalette p = ThePalette() ? *ThePalette() : DefaultSystemPalette();
    result = ReduceColors(*bitmap, ColorBits() < 8 ? rmWindows20 : rmMyPalette, dmNearest);
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
    png.LoadFromStream(*stream);
    result = std::make_unique<TBitmap>(static_cast<const TBitmap&>(png));
    // The mask follows the transparency chunk pixel by pixel (alpha table or exact RGB).
    if (honoured && png.TransparencyMask()) {
      transparent = TrPng;
      pngMask = std::make_unique<TBitmap>(*png.TransparencyMask());
    }
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
    for (int32_t y = 0; y < result->Height(); ++y) {
      const uint8_t* m = pngMask->ScanLine(y);
      uint8_t* out = made->ScanLine(y);
      for (int32_t x = 0; x < result->Width(); ++x) {
        if ((m[x >> 3] >> (7 - (x & 7))) & 1)
          continue;
        TColor c = result->GetPixel(x, y);
        out[3 * x] = uint8_t(GetBValue(c));
        out[3 * x + 1] = uint8_t(GetGValue(c));
        out[3 * x + 2] = uint8_t(GetRValue(c));
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

void FinishTransparentBitmap(TCanvas& canvas, const TBitmap& bitmap, const TBitmap& mask, int height, int width,
                             int y, int x)
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
