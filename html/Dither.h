// Colour reduction for palette screens: row access to bitmaps, palette look-ups, nearest and
// Floyd-Steinberg dithering, the web-safe palette and octree quantisation.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/Bitmap.h"

class GIFException : public Exception {
  using Exception::Exception;
};

enum TColorReduction : uint8_t { rmNone = 0, rmWindows20 = 1, rmNetscape = 3, rmMyPalette = 4, rmQuantize = 5 };
enum TDitherMode : uint8_t { dmNearest = 0, dmFloydSteinberg = 1 };

// The twenty colours of the default system palette, in its order.
const TRGBQuad* StandardSystemColors();
TPalette DefaultSystemPalette();

// Row access to a bitmap in a pixel format of 1, 4, 8 or 24 bits.
class TDIB {
public:
  TDIB(TBitmap& bitmap, TPixelFormat format);
  virtual ~TDIB() = default;
  TBitmap& Bitmap() { return FBitmap; }
  TPixelFormat PixelFormat() const { return FFormat; }

protected:
  void CheckRow(int row) const;
  TBitmap& FBitmap;
  TPixelFormat FFormat;
};

// Reads the bitmap's rows in the format given (converting a copy when it differs).
class TDIBReader : public TDIB {
public:
  TDIBReader(TBitmap& bitmap, TPixelFormat format);
  const uint8_t* ScanLine(int row) const;

private:
  std::unique_ptr<TBitmap> FCopy;
  const TBitmap* FSource;
};

// Writes rows of the target bitmap, which it makes of the given size, format and palette.
class TDIBWriter : public TDIB {
public:
  TDIBWriter(TBitmap& target, TPixelFormat format, int width, int height, const TPalette& palette);
  ~TDIBWriter() override;
  uint8_t* ScanLine(int row);
};

class TColorLookup {
public:
  explicit TColorLookup(int colors) : FColors(colors) {}
  virtual ~TColorLookup() = default;
  // The palette index for the colour, and the entry's own red, green and blue.
  virtual int Lookup(int red, int green, int blue, int& r, int& g, int& b) = 0;
  int Colors() const { return FColors; }

protected:
  int FColors;
};

class TFastColorLookup : public TColorLookup {
public:
  explicit TFastColorLookup(const TPalette& palette);
  int Lookup(int red, int green, int blue, int& r, int& g, int& b) override;

private:
  std::vector<TRGBQuad> FEntries;
  std::vector<uint16_t> FCache;   // 32768 entries keyed by 5 bits per channel; 0xFFFF empty
  std::vector<bool> FShared;      // keys that hold more than one palette colour: cached exactly
  // For a shared key, the answer for each of its 512 exact colours (the low 3 bits of each
  // channel), made as they come: every pixel there would otherwise search the whole palette.
  std::unordered_map<size_t, std::vector<uint16_t>> FExact;
};

class TNetscapeColorLookup : public TColorLookup {
public:
  TNetscapeColorLookup() : TColorLookup(216) {}
  int Lookup(int red, int green, int blue, int& r, int& g, int& b) override;
};

class TDitherEngine {
public:
  TDitherEngine(int width, TColorLookup& lookup);
  virtual ~TDitherEngine() = default;
  // The palette index for one pixel; moves Column by Direction.
  virtual int Dither(int red, int green, int blue, int& r, int& g, int& b);
  // Reverses the direction (serpentine order).
  virtual void NextLine();
  int Direction = 1;
  int Column = 0;

protected:
  TColorLookup& FLookup;
  int FWidth;
};

class TFloydSteinbergEngine : public TDitherEngine {
public:
  TFloydSteinbergEngine(int width, TColorLookup& lookup);
  int Dither(int red, int green, int blue, int& r, int& g, int& b) override;
  void NextLine() override;

private:
  // Per channel: the errors for this row and those gathered for the next, sixteenths,
  // with one column of room at either end.
  std::array<std::vector<int>, 3> FThis, FNext;
  std::array<int, 3> FCarry{};
};

// A 216-entry palette: index r * 36 + g * 6 + b holds (r, g, b) x 51.
TPalette WebPalette();
// Octree palette of the bitmap's colours; with windowsColors the first and last ten entries
// are the system's standard colours and 236 are quantised.
TPalette CreateOptimizedPaletteFromBitmap(const TBitmap& bitmap, int colors, int colorBits, bool windowsColors);

// A new 8-bit bitmap (a 24-bit copy for rmNone).
std::unique_ptr<TBitmap> ReduceColors(const TBitmap& bitmap, TColorReduction reduction, TDitherMode mode);
// For the screen: the 20 standard colours below 8 bits, ThePalette at 8, with diffusion.
// Null for null or empty bitmaps.
std::unique_ptr<TBitmap> DitherBitmap(const TBitmap* bitmap);
