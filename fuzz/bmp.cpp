// BMP reader: any bytes either load or raise EInvalidGraphic; what loads saves and loads
// again to the same picture.
#include <cstdint>
#include <cstdlib>

#include "platform/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // Keep claimed sizes small enough for a quick run; the caps themselves are tested.
  if (size >= 26) {
    int64_t w = static_cast<int32_t>(data[18] | data[19] << 8 | data[20] << 16 | static_cast<uint32_t>(data[21]) << 24);
    int64_t h = static_cast<int32_t>(data[22] | data[23] << 8 | data[24] << 16 | static_cast<uint32_t>(data[25]) << 24);
    if (std::llabs(w) * std::llabs(h) > (int64_t(1) << 22))
      return 0;
  }
  TBitmap bitmap;
  try {
    LoadBmpFromBytes(bitmap, data, size);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  TBitmap again;
  LoadBmpFromBytes(again, SaveBmpToBytes(bitmap));
  if (again.Width() != bitmap.Width() || again.Height() != bitmap.Height()
      || again.PixelFormat() != bitmap.PixelFormat())
    std::abort();
  for (int32_t y = 0; y < bitmap.Height(); y += 7)
    for (int32_t x = 0; x < bitmap.Width(); x += 7)
      if (again.GetPixel(x, y) != bitmap.GetPixel(x, y))
        std::abort();
  return 0;
}
