// TGLBitmap32: a picture read back from GL, 32 bits per pixel, as GL gives it (rows
// bottom-up, bytes B, G, R, A).
#pragma once

#include <memory>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Types.h"

class TGLBitmap32 : public TObject {
public:
  // Black and transparent pixels; sizes are capped like TBitmap's (EOutOfResources beyond).
  TGLBitmap32(int32_t width, int32_t height);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // Row y counted from the bottom, as GL reads it; width x 4 bytes.
  uint8_t* ScanLine(int32_t y) { return FData.data() + size_t(y) * size_t(FWidth) * 4; }
  const uint8_t* ScanLine(int32_t y) const { return FData.data() + size_t(y) * size_t(FWidth) * 4; }
  uint8_t* Data() { return FData.data(); }
  // Colour of a pixel with y counted from the top, or clBlack outside.
  TColor GetPixel(int32_t x, int32_t yFromTop) const;
  void Fill(TColor c);
  // A new 32-bit bitmap of the same size, rows in screen order, bytes B, G, R, 0.
  std::unique_ptr<TBitmap> ToBitmap() const;

private:
  int32_t FWidth;
  int32_t FHeight;
  std::vector<uint8_t> FData;
};
