#include "engine/GLGraphics.h"

#include <algorithm>

TGLBitmap32::TGLBitmap32(int32_t width, int32_t height) : FWidth(width), FHeight(height)
{
  if (width < 0 || height < 0 || width > TBitmap::MaxSide || height > TBitmap::MaxSide
      || size_t(width) * size_t(height) * 4 > TBitmap::MaxBytes)
    throw EOutOfResources("Bitmap too large");
  FData.assign(size_t(width) * size_t(height) * 4, 0);
}

TColor TGLBitmap32::GetPixel(int32_t x, int32_t yFromTop) const
{
  if (x < 0 || yFromTop < 0 || x >= FWidth || yFromTop >= FHeight)
    return clBlack;
  const uint8_t* p = ScanLine(FHeight - 1 - yFromTop) + size_t(x) * 4;
  return RGBColor(p[2], p[1], p[0]);
}

void TGLBitmap32::Fill(TColor c)
{
  for (size_t i = 0; i + 3 < FData.size(); i += 4) {
    FData[i] = uint8_t(GetBValue(c));
    FData[i + 1] = uint8_t(GetGValue(c));
    FData[i + 2] = uint8_t(GetRValue(c));
    FData[i + 3] = 255;
  }
}

std::unique_ptr<TBitmap> TGLBitmap32::ToBitmap() const
{
  auto bmp = std::make_unique<TBitmap>(FWidth, FHeight, TPixelFormat::pf32bit);
  for (int32_t y = 0; y < FHeight; ++y) {
    const uint8_t* src = ScanLine(FHeight - 1 - y);
    uint8_t* dst = bmp->ScanLine(y);
    for (int32_t x = 0; x < FWidth; ++x) {
      dst[x * 4] = src[x * 4];
      dst[x * 4 + 1] = src[x * 4 + 1];
      dst[x * 4 + 2] = src[x * 4 + 2];
      dst[x * 4 + 3] = 0;
    }
  }
  bmp->Changed();
  return bmp;
}
