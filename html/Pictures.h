// The display side of the document utilities: the screen's colour depth and the 8-bit
// palette, DIB and bitmap drawing helpers, and the loading of pictures (format sniffing,
// BMP, PNG and JPEG, transparency masks, adaptation to the screen's depth).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "html/HTMLStreams.h"
#include "platform/Bitmap.h"
#include "platform/Graphics.h"
#include "platform/Regions.h"

// How a picture is transparent.
enum TTransparency : uint8_t { NotTransp = 0, LLCorner = 1, TrGif = 2, TrPng = 3 };

// The screen's colour depth: 4, 8 or 24. Set from the screen at start-up; settable so that the
// palette paths can be exercised. Setting it rebuilds ThePalette.
int ColorBits();
void SetColorBits(int bits);
// The viewer's palette on 8-bit screens, null on others.
const TPalette* ThePalette();
// A copy of up to 256 entries of the palette, on screens of 8 bits or fewer; empty otherwise.
TPalette CopyPalette(const TPalette* palette);

// A picture held as a device-independent bitmap (indexed pictures keep their palette,
// others become 24 bits), drawn stretched onto canvases.
class TDib {
public:
  explicit TDib(const TBitmap& bitmap);
  const TBitmap& Image() const { return FImage; }
  void DrawDIB(TCanvas& canvas, int x, int y, int w, int h, uint32_t rop) const;

private:
  TBitmap FImage;
};

// Stretches the bitmap's DIB onto the canvas.
void DrawBitmap(TCanvas& canvas, int x, int y, int w, int h, const TBitmap& bitmap);
// For devices that cannot mask: the picture's DIB clipped to the mask's opaque (non-white)
// pixels; the canvas's clip is restored afterwards.
void PrintTransparentBitmap(TCanvas& canvas, int x, int y, int w, int h, const TBitmap& bitmap, const TBitmap& mask);
// The pixels that differ from the transparent colour, as one region.
TRegion BitmapToRegion(const TBitmap& bitmap, TColor transparent);
// Draws the bitmap through its mask (white = transparent) stretched to width x height at X, Y;
// nothing on a one-bit target.
void FinishTransparentBitmap(TCanvas& canvas, const TBitmap& bitmap, const TBitmap& mask, int height, int width, int y,
                             int x);

// Image types from the first bytes.
enum : uint8_t { itNone = 0, itBMP = 1, itGIF = 2, itGIF89 = 3, itPNG = 4, itJPG = 5 };
uint8_t DetectImageFormat(const uint8_t* data, size_t size);

// A 32-bit big-endian value to the host's order.
uint32_t IntelSwap(uint32_t v);

// Null when the file does not exist or is no BMP, PNG or JPEG. Transparent goes in as the
// page asks (LLCorner for lower-left transparency) and may come out as TrPng.
std::unique_ptr<TBitmap> LoadImageFromFile(const std::string& fileName, TTransparency& transparent,
                                           std::unique_ptr<TBitmap>& mask);
std::unique_ptr<TBitmap> LoadImageFromStream(TByteStream* stream, TTransparency& transparent,
                                             std::unique_ptr<TBitmap>& mask);
// True when the PNG holds a transparency chunk that the loader honours (palette or RGB
// image, the chunk before the image data). The position is kept.
bool PngHasTransparency(TByteStream& stream);
// The mask (white where transparent) for the colour given, or the lower-left pixel's colour.
std::unique_ptr<TBitmap> GetImageMask(TBitmap& bitmap, bool useColor, TColor color);
// The bitmap adapted to the screen depth; the argument is consumed.
std::unique_ptr<TBitmap> ConvertImage(std::unique_ptr<TBitmap> bitmap);
// The bitmap as the screen shows it: 24 bits, or 8 bits through ThePalette on 8-bit screens.
std::unique_ptr<TBitmap> ConvertToScreenBitmap(std::unique_ptr<TBitmap> bitmap);
