// TBitmap: a picture in memory laid out like a device-independent bitmap: rows top-down,
// each padded to a multiple of four bytes, in one of the classic pixel formats, with a
// palette for the indexed formats. Pixels are stored in the system's byte order (B, G, R
// for 24 bits; B, G, R, X for 32 bits). Drawing on a bitmap goes through the platform
// canvas; the decoders and the 3D snapshot write scanlines directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/SysUtils.h"
#include "platform/Types.h"

class TCanvas;

enum class TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum class TBitmapHandleType : uint8_t { bmDIB, bmDDB };
enum class TTransparentMode : uint8_t { tmAuto, tmFixed };

struct TRGBQuad {
  Byte rgbBlue = 0;
  Byte rgbGreen = 0;
  Byte rgbRed = 0;
  Byte rgbReserved = 0;
  friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

// A palette of at most 256 entries.
struct TPalette {
  std::vector<TRGBQuad> Entries;
  // Index of the entry nearest to the colour (sum of squared differences); 0 when empty.
  int NearestIndex(TColor c) const;
};

class TBitmap {
public:
  // Largest bitmap we agree to hold: 32768 pixels a side and 256 MiB of pixel data.
  static constexpr int32_t MaxSide = 32768;
  static constexpr size_t MaxBytes = size_t(256) << 20;

  TBitmap();
  TBitmap(int32_t width, int32_t height, TPixelFormat format = TPixelFormat::pf24bit);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  // Moves take the pixels over without copying; the source is left empty. A canvas stays
  // with the object it was made for.
  TBitmap(TBitmap&& other) noexcept;
  TBitmap& operator=(TBitmap&& other) noexcept;
  virtual ~TBitmap();

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  TPixelFormat PixelFormat() const { return FFormat; }
  int BitsPerPixel() const;
  // Changing the format converts the pixels (indexed formats map to the nearest palette entry).
  void SetPixelFormat(TPixelFormat format);
  // Resizes, keeping the top-left content that still fits; new pixels are 0 (black or entry 0).
  // Throws EOutOfResources when the size is beyond the caps or negative.
  void SetSize(int32_t width, int32_t height);
  void SetWidth(int32_t w) { SetSize(w, FHeight); }
  void SetHeight(int32_t h) { SetSize(FWidth, h); }

  // Bytes per row, a multiple of four.
  size_t Stride() const { return FStride; }
  // Row y, 0 at the top. y must be in range.
  uint8_t* ScanLine(int32_t y);
  const uint8_t* ScanLine(int32_t y) const;
  uint8_t* Bits() { return FPixels.data(); }
  const uint8_t* Bits() const { return FPixels.data(); }

  // Palette of the indexed formats (1, 4, 8 bits). Setting one with more entries than the
  // format holds keeps the first ones.
  const TPalette& Palette() const { return FPalette; }
  void SetPalette(const TPalette& p);
  bool HasPalette() const { return !FPalette.Entries.empty(); }

  // Pixel access as TColor (0x00BBGGRR); out-of-range reads give clBlack, writes do nothing.
  TColor GetPixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, TColor c);
  void Fill(TColor c);
  // Pixels x0 .. x0 + count - 1 of row y as 0x00RRGGBB words, the layout of a pf32bit row
  // with its spare byte 0; for copies of whole rows. The span must lie inside the bitmap.
  void ReadRow(int32_t y, int32_t x0, int32_t count, uint32_t* out) const;

  TBitmapHandleType HandleType() const { return FHandleType; }
  void SetHandleType(TBitmapHandleType t) { FHandleType = t; }

  // Transparency: when Transparent, TransparentColor (automatic: the lower-left pixel) is
  // not drawn. Monochrome masks are separate 1-bit bitmaps, white where transparent.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool t) { FTransparent = t; }
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode m) { FTransparentMode = m; }
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c)
  {
    FTransparentColor = c;
    FTransparentMode = TTransparentMode::tmFixed;
  }
  // A new 1-bit bitmap of this size: white (1) where the pixel equals colour, black elsewhere.
  std::unique_ptr<TBitmap> CreateMask(TColor colour) const;

  // A canvas drawing on this bitmap, made on first use and kept with it (copies get their
  // own). Indexed formats are drawn through a 32-bit working copy and keep their palette.
  TCanvas& Canvas();

  // Pixels per logical pixel when the bitmap stands for a screen area of a high-density
  // display (1 otherwise): its canvas then draws in logical units at the full resolution.
  double DevicePixelRatio() const { return FDevicePixelRatio; }
  void SetDevicePixelRatio(double r) { FDevicePixelRatio = r > 0 ? r : 1; }
  // The extent in logical pixels that the pixels stand for (the size itself at ratio 1).
  int32_t LogicalWidth() const;
  int32_t LogicalHeight() const;

  // Incremented on every change through the methods above, so caches can notice.
  uint32_t Generation() const { return FGeneration; }
  void Changed() { ++FGeneration; }

private:
  void Allocate(int32_t width, int32_t height, TPixelFormat format);
  void TakeFrom(TBitmap& other) noexcept;

  int32_t FWidth = 0;
  int32_t FHeight = 0;
  TPixelFormat FFormat = TPixelFormat::pf24bit;
  size_t FStride = 0;
  std::vector<uint8_t> FPixels;
  TPalette FPalette;
  TBitmapHandleType FHandleType = TBitmapHandleType::bmDIB;
  bool FTransparent = false;
  TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
  TColor FTransparentColor = clDefault;
  uint32_t FGeneration = 0;
  double FDevicePixelRatio = 1;
  std::unique_ptr<TCanvas> FCanvas;
};

// Bits per pixel of a format (pfDevice counts as 32, pfCustom as 0).
int PixelFormatBits(TPixelFormat f);

// Device pixels that cover Logical logical pixels at Ratio (at least one for a non-empty extent).
int32_t ScreenPixels(int32_t logical, double ratio);
// Readies Buffer as the off-screen picture of a Width x Height (logical pixels) window area
// shown at Ratio device pixels per logical pixel: 32-bit, the screen's own pixels, its canvas
// drawing in logical units. Kept when it already fits (false), made anew otherwise (true; the
// pixels are then undefined). Every window painted through a picture uses this, so text and
// lines come out at the screen's resolution.
bool FitScreenBuffer(TBitmap& buffer, int32_t width, int32_t height, double ratio);
// Row size in bytes for a width and bit count, padded to four bytes; 0 when it would overflow.
size_t BytesPerScanline(int32_t width, int bitsPerPixel);
