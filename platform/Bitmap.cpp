#include "platform/Bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/Graphics.h"

int PixelFormatBits(TPixelFormat f)
{
  switch (f) {
  case TPixelFormat::pf1bit: return 1;
  case TPixelFormat::pf4bit: return 4;
  case TPixelFormat::pf8bit: return 8;
  case TPixelFormat::pf15bit:
  case TPixelFormat::pf16bit: return 16;
  case TPixelFormat::pf24bit: return 24;
  case TPixelFormat::pf32bit:
  case TPixelFormat::pfDevice: return 32;
  case TPixelFormat::pfCustom: return 0;
  }
  return 0;
}

size_t BytesPerScanline(int32_t width, int bitsPerPixel)
{
  if (width < 0 || bitsPerPixel <= 0)
    return 0;
  uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitsPerPixel);
  uint64_t bytes = ((bits + 31) / 32) * 4;
  if (bytes > TBitmap::MaxBytes)
    return 0;
  return static_cast<size_t>(bytes);
}

int TPalette::NearestIndex(TColor c) const
{
  int best = 0;
  long bestDist = -1;
  int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  for (size_t i = 0; i < Entries.size(); ++i) {
    const TRGBQuad& e = Entries[i];
    long dr = e.rgbRed - r, dg = e.rgbGreen - g, db = e.rgbBlue - b;
    long d = dr * dr + dg * dg + db * db;
    if (bestDist < 0 || d < bestDist) {
      bestDist = d;
      best = static_cast<int>(i);
      if (d == 0)
        break;
    }
  }
  return best;
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int32_t width, int32_t height, TPixelFormat format) { Allocate(width, height, format); }

TBitmap::TBitmap(const TBitmap& other)
    : FWidth(other.FWidth), FHeight(other.FHeight), FFormat(other.FFormat), FStride(other.FStride),
      FPixels(other.FPixels), FPalette(other.FPalette), FHandleType(other.FHandleType),
      FTransparent(other.FTransparent), FTransparentMode(other.FTransparentMode),
      FTransparentColor(other.FTransparentColor), FGeneration(other.FGeneration),
      FDevicePixelRatio(other.FDevicePixelRatio)
{}

TBitmap& TBitmap::operator=(const TBitmap& other)
{
  // The canvas stays: it draws on this bitmap whatever its content.
  if (this != &other) {
    FWidth = other.FWidth;
    FHeight = other.FHeight;
    FFormat = other.FFormat;
    FStride = other.FStride;
    FPixels = other.FPixels;
    FPalette = other.FPalette;
    FHandleType = other.FHandleType;
    FTransparent = other.FTransparent;
    FTransparentMode = other.FTransparentMode;
    FTransparentColor = other.FTransparentColor;
    FDevicePixelRatio = other.FDevicePixelRatio;
    ++FGeneration;
  }
  return *this;
}

TBitmap::TBitmap(TBitmap&& other) noexcept { TakeFrom(other); }

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept
{
  if (this != &other) {
    TakeFrom(other);
    ++FGeneration;
  }
  return *this;
}

void TBitmap::TakeFrom(TBitmap& other) noexcept
{
  FWidth = std::exchange(other.FWidth, 0);
  FHeight = std::exchange(other.FHeight, 0);
  FFormat = other.FFormat;
  FStride = std::exchange(other.FStride, 0);
  FPixels = std::move(other.FPixels);
  other.FPixels.clear();
  FPalette = std::move(other.FPalette);
  other.FPalette.Entries.clear();
  FHandleType = other.FHandleType;
  FTransparent = other.FTransparent;
  FTransparentMode = other.FTransparentMode;
  FTransparentColor = other.FTransparentColor;
  FDevicePixelRatio = std::exchange(other.FDevicePixelRatio, 1.0);
  FGeneration = std::max(FGeneration, other.FGeneration);
  ++other.FGeneration;
}

TBitmap::~TBitmap() = default;

TCanvas& TBitmap::Canvas()
{
  if (!FCanvas)
    FCanvas = CreateBitmapCanvas(*this);
  return *FCanvas;
}

int TBitmap::BitsPerPixel() const { return PixelFormatBits(FFormat); }

static void CheckSize(int32_t width, int32_t height, TPixelFormat format)
{
  if (width < 0 || height < 0 || width > TBitmap::MaxSide || height > TBitmap::MaxSide)
    throw EOutOfResources("Bitmap image is too large");
  size_t stride = BytesPerScanline(width, std::max(1, PixelFormatBits(format)));
  if (width > 0 && stride == 0)
    throw EOutOfResources("Bitmap image is too large");
  if (height > 0 && stride > TBitmap::MaxBytes / static_cast<size_t>(height))
    throw EOutOfResources("Bitmap image is too large");
}

void TBitmap::Allocate(int32_t width, int32_t height, TPixelFormat format)
{
  CheckSize(width, height, format);
  FWidth = width;
  FHeight = height;
  FFormat = format;
  FStride = BytesPerScanline(width, std::max(1, PixelFormatBits(format)));
  FPixels.assign(FStride * static_cast<size_t>(height), 0);
  ++FGeneration;
}

void TBitmap::SetSize(int32_t width, int32_t height)
{
  if (width == FWidth && height == FHeight)
    return;
  CheckSize(width, height, FFormat);   // before the pixels move out
  const int32_t oldHeight = FHeight;
  const size_t oldStride = FStride;
  std::vector<uint8_t> old = std::move(FPixels);
  Allocate(width, height, FFormat);
  int32_t rows = std::min(FHeight, oldHeight);
  size_t bytes = std::min(FStride, oldStride);
  for (int32_t y = 0; y < rows; ++y)
    std::memcpy(ScanLine(y), old.data() + oldStride * static_cast<size_t>(y), bytes);
}

uint8_t* TBitmap::ScanLine(int32_t y) { return FPixels.data() + FStride * static_cast<size_t>(y); }
const uint8_t* TBitmap::ScanLine(int32_t y) const { return FPixels.data() + FStride * static_cast<size_t>(y); }

void TBitmap::SetPalette(const TPalette& p)
{
  FPalette = p;
  int bits = BitsPerPixel();
  size_t limit = bits <= 8 ? (size_t(1) << bits) : 256;
  if (FPalette.Entries.size() > limit)
    FPalette.Entries.resize(limit);
  ++FGeneration;
}

static TColor QuadColor(const TRGBQuad& q) { return RGBColor(q.rgbRed, q.rgbGreen, q.rgbBlue); }

TColor TBitmap::GetPixel(int32_t x, int32_t y) const
{
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
    return clBlack;
  const uint8_t* row = ScanLine(y);
  auto indexed = [&](int index) -> TColor {
    if (index < static_cast<int>(FPalette.Entries.size()))
      return QuadColor(FPalette.Entries[index]);
    if (FFormat == TPixelFormat::pf1bit)   // a mask without palette: 1 is white
      return index ? clWhite : clBlack;
    return RGBColor(index, index, index);
  };
  switch (FFormat) {
  case TPixelFormat::pf1bit: return indexed((row[x >> 3] >> (7 - (x & 7))) & 1);
  case TPixelFormat::pf4bit: return indexed((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
  case TPixelFormat::pf8bit: return indexed(row[x]);
  case TPixelFormat::pf15bit: {
    uint16_t v = static_cast<uint16_t>(row[2 * x] | (row[2 * x + 1] << 8));
    return RGBColor(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
  }
  case TPixelFormat::pf16bit: {
    uint16_t v = static_cast<uint16_t>(row[2 * x] | (row[2 * x + 1] << 8));
    return RGBColor(((v >> 11) & 31) * 255 / 31, ((v >> 5) & 63) * 255 / 63, (v & 31) * 255 / 31);
  }
  case TPixelFormat::pf24bit: return RGBColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  case TPixelFormat::pf32bit:
  case TPixelFormat::pfDevice: return RGBColor(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
  case TPixelFormat::pfCustom: return clBlack;
  }
  return clBlack;
}

void TBitmap::SetPixel(int32_t x, int32_t y, TColor c)
{
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
    return;
  uint8_t* row = ScanLine(y);
  int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  auto index = [&]() -> int {
    if (!FPalette.Entries.empty())
      return FPalette.NearestIndex(c);
    if (FFormat == TPixelFormat::pf1bit)
      return (r + g + b) >= 384 ? 1 : 0;
    return (r + g + b) / 3;
  };
  switch (FFormat) {
  case TPixelFormat::pf1bit: {
    uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
    if (index())
      row[x >> 3] |= bit;
    else
      row[x >> 3] &= static_cast<uint8_t>(~bit);
    break;
  }
  case TPixelFormat::pf4bit: {
    int v = index() & 0x0F;
    uint8_t& byte = row[x >> 1];
    byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | v) : static_cast<uint8_t>((byte & 0x0F) | (v << 4));
    break;
  }
  case TPixelFormat::pf8bit: row[x] = static_cast<uint8_t>(index()); break;
  case TPixelFormat::pf15bit: {
    uint16_t v = static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    row[2 * x] = static_cast<uint8_t>(v);
    row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
    break;
  }
  case TPixelFormat::pf16bit: {
    uint16_t v = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
    row[2 * x] = static_cast<uint8_t>(v);
    row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
    break;
  }
  case TPixelFormat::pf24bit:
    row[3 * x] = static_cast<uint8_t>(b);
    row[3 * x + 1] = static_cast<uint8_t>(g);
    row[3 * x + 2] = static_cast<uint8_t>(r);
    break;
  case TPixelFormat::pf32bit:
  case TPixelFormat::pfDevice:
    row[4 * x] = static_cast<uint8_t>(b);
    row[4 * x + 1] = static_cast<uint8_t>(g);
    row[4 * x + 2] = static_cast<uint8_t>(r);
    row[4 * x + 3] = 0;
    break;
  case TPixelFormat::pfCustom: break;
  }
  ++FGeneration;
}

void TBitmap::Fill(TColor c)
{
  if (FFormat == TPixelFormat::pf24bit || FFormat == TPixelFormat::pf32bit || FFormat == TPixelFormat::pfDevice) {
    if (Empty())
      return;
    // One row by pixels, the others copied from it.
    const int bpp = FFormat == TPixelFormat::pf24bit ? 3 : 4;
    const uint8_t px[4] = {uint8_t(GetBValue(c)), uint8_t(GetGValue(c)), uint8_t(GetRValue(c)), 0};
    uint8_t* first = ScanLine(0);
    for (int32_t x = 0; x < FWidth; ++x)
      std::memcpy(first + size_t(x) * bpp, px, bpp);
    for (int32_t y = 1; y < FHeight; ++y)
      std::memcpy(ScanLine(y), first, size_t(FWidth) * bpp);
    ++FGeneration;
    return;
  }
  for (int32_t y = 0; y < FHeight; ++y)
    for (int32_t x = 0; x < FWidth; ++x)
      SetPixel(x, y, c);
}

// The colours of an indexed bitmap's entries as GetPixel gives them.
static void EntryColours(const TBitmap& b, uint32_t (&lut)[256])
{
  const std::vector<TRGBQuad>& pal = b.Palette().Entries;
  const bool mono = b.PixelFormat() == TPixelFormat::pf1bit;
  for (int i = 0; i < 256; ++i) {
    if (i < int(pal.size()))
      lut[i] = uint32_t(pal[i].rgbRed) << 16 | uint32_t(pal[i].rgbGreen) << 8 | pal[i].rgbBlue;
    else if (mono)
      lut[i] = i ? 0xFFFFFFu : 0u;
    else
      lut[i] = uint32_t(i) * 0x010101u;
  }
}

void TBitmap::ReadRow(int32_t y, int32_t x0, int32_t count, uint32_t* out) const
{
  const uint8_t* row = ScanLine(y);
  uint32_t lut[256];
  switch (FFormat) {
  case TPixelFormat::pf32bit:
  case TPixelFormat::pfDevice:
    std::memcpy(out, row + size_t(x0) * 4, size_t(count) * 4);
    for (int32_t x = 0; x < count; ++x)
      out[x] &= 0xFFFFFFu;
    return;
  case TPixelFormat::pf24bit: {
    const uint8_t* s = row + size_t(x0) * 3;
    for (int32_t x = 0; x < count; ++x, s += 3)
      out[x] = uint32_t(s[2]) << 16 | uint32_t(s[1]) << 8 | s[0];
    return;
  }
  case TPixelFormat::pf8bit:
    EntryColours(*this, lut);
    for (int32_t x = 0; x < count; ++x)
      out[x] = lut[row[x0 + x]];
    return;
  case TPixelFormat::pf4bit:
    EntryColours(*this, lut);
    for (int32_t x = 0; x < count; ++x) {
      int32_t sx = x0 + x;
      out[x] = lut[(sx & 1) ? (row[sx >> 1] & 0x0F) : (row[sx >> 1] >> 4)];
    }
    return;
  case TPixelFormat::pf1bit:
    EntryColours(*this, lut);
    for (int32_t x = 0; x < count; ++x) {
      int32_t sx = x0 + x;
      out[x] = lut[(row[sx >> 3] >> (7 - (sx & 7))) & 1];
    }
    return;
  case TPixelFormat::pf15bit:
  case TPixelFormat::pf16bit:
  case TPixelFormat::pfCustom:
    for (int32_t x = 0; x < count; ++x) {
      TColor c = GetPixel(x0 + x, y);
      out[x] = uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
    }
    return;
  }
}

// Row of Width indices (1, 4 or 8 bits, most significant first) as pixels of 3 or 4 bytes,
// B-G-R(-0), through the colours in Lut.
static void ExpandIndexedRow(const uint8_t* from, uint8_t* to, int32_t width, int bits, const uint32_t (&lut)[256],
                             int bytes)
{
  if (width <= 0)
    return;
  const size_t w = size_t(width);
  auto index = [&](size_t x) -> uint8_t {
    if (bits == 8)
      return from[x];
    if (bits == 4)
      return (x & 1) ? (from[x >> 1] & 0x0F) : (from[x >> 1] >> 4);
    return (from[x >> 3] >> (7 - (x & 7))) & 1;
  };
  if (bytes == 4) {
    uint32_t* out = reinterpret_cast<uint32_t*>(to);   // rows start on four-byte bounds
    if (bits == 8)
      for (size_t x = 0; x < w; ++x)
        out[x] = lut[from[x]];
    else
      for (size_t x = 0; x < w; ++x)
        out[x] = lut[index(x)];
    return;
  }
  // Four bytes written per pixel, each overlapping the next pixel's first byte, all but the
  // last: a row may end exactly at the end of the pixels.
  size_t x = 0;
  if (bits == 8)
    for (; x + 1 < w; ++x)
      std::memcpy(to + 3 * x, &lut[from[x]], 4);
  else
    for (; x + 1 < w; ++x)
      std::memcpy(to + 3 * x, &lut[index(x)], 4);
  std::memcpy(to + 3 * x, &lut[index(x)], 3);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
  if (format == FFormat)
    return;
  CheckSize(FWidth, FHeight, format);   // before the pixels move out
  TBitmap old(std::move(*this));
  Allocate(old.FWidth, old.FHeight, format);
  FDevicePixelRatio = old.FDevicePixelRatio;
  if (PixelFormatBits(format) <= 8) {
    FPalette = old.FPalette;
    size_t limit = size_t(1) << PixelFormatBits(format);
    if (FPalette.Entries.size() > limit)
      FPalette.Entries.resize(limit);
  } else {
    FPalette.Entries.clear();
  }
  if (format == TPixelFormat::pf24bit || format == TPixelFormat::pf32bit || format == TPixelFormat::pfDevice) {
    const int oldBits = old.BitsPerPixel();
    if (oldBits <= 8 && oldBits > 0) {
      // Indexed to direct colour: each index looked up once in the entries' colours.
      uint32_t lut[256];
      EntryColours(old, lut);
      for (int32_t y = 0; y < FHeight; ++y)
        ExpandIndexedRow(old.ScanLine(y), ScanLine(y), FWidth, oldBits, lut, format == TPixelFormat::pf24bit ? 3 : 4);
      ++FGeneration;
      return;
    }
    // Direct colour: whole rows at a time.
    std::vector<uint32_t> line(static_cast<size_t>(FWidth));
    for (int32_t y = 0; y < FHeight; ++y) {
      old.ReadRow(y, 0, FWidth, line.data());
      uint8_t* to = ScanLine(y);
      if (format == TPixelFormat::pf24bit)
        for (int32_t x = 0; x < FWidth; ++x, to += 3) {
          to[0] = uint8_t(line[x]);
          to[1] = uint8_t(line[x] >> 8);
          to[2] = uint8_t(line[x] >> 16);
        }
      else
        std::memcpy(to, line.data(), line.size() * 4);
    }
    ++FGeneration;
    return;
  }
  for (int32_t y = 0; y < FHeight; ++y)
    for (int32_t x = 0; x < FWidth; ++x)
      SetPixel(x, y, old.GetPixel(x, y));
}

TColor TBitmap::TransparentColor() const
{
  if (FTransparentMode == TTransparentMode::tmFixed && FTransparentColor != clDefault)
    return FTransparentColor;
  if (Empty())
    return clBlack;
  return GetPixel(0, FHeight - 1);
}

std::unique_ptr<TBitmap> TBitmap::CreateMask(TColor colour) const
{
  auto mask = std::make_unique<TBitmap>(FWidth, FHeight, TPixelFormat::pf1bit);
  TPalette mono;
  mono.Entries = {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
  mask->SetPalette(mono);
  colour &= 0xFFFFFF;
  for (int32_t y = 0; y < FHeight; ++y) {
    uint8_t* row = mask->ScanLine(y);
    for (int32_t x = 0; x < FWidth; ++x)
      if (GetPixel(x, y) == colour)
        row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
  }
  mask->Changed();
  return mask;
}

int32_t ScreenPixels(int32_t logical, double ratio)
{
  if (logical <= 0)
    return 0;
  if (ratio == 1)
    return logical;
  // The small allowance keeps a product like 100 * 1.1 from rounding up a whole pixel.
  return std::max<int32_t>(1, int32_t(std::ceil(double(logical) * ratio - 1e-6)));
}

namespace {

int32_t LogicalExtent(int32_t pixels, double ratio)
{
  if (ratio == 1 || pixels <= 0)
    return pixels;
  // ScreenPixels rounds up by less than a device pixel, so the whole logical pixels below
  // pixels / ratio are the extent (at ratios of one or more).
  return std::max<int32_t>(1, int32_t(std::floor(double(pixels) / ratio + 1e-6)));
}

}   // namespace

int32_t TBitmap::LogicalWidth() const { return LogicalExtent(FWidth, FDevicePixelRatio); }
int32_t TBitmap::LogicalHeight() const { return LogicalExtent(FHeight, FDevicePixelRatio); }

bool FitScreenBuffer(TBitmap& buffer, int32_t width, int32_t height, double ratio)
{
  if (!(ratio > 0))
    ratio = 1;
  const int32_t w = ScreenPixels(std::max(width, 1), ratio), h = ScreenPixels(std::max(height, 1), ratio);
  if (buffer.Width() == w && buffer.Height() == h && buffer.DevicePixelRatio() == ratio
      && buffer.PixelFormat() == TPixelFormat::pf32bit)
    return false;
  buffer = TBitmap(w, h, TPixelFormat::pf32bit);
  buffer.SetDevicePixelRatio(ratio);
  return true;
}
