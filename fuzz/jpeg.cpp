// JPEG decoder: any bytes either decode to a bitmap of the header's size or raise
// EInvalidGraphic, in 24-bit and in 8-bit output.
#include <cstdint>
#include <cstdlib>

#include "platform/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromBytes(data, size);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  // Keep claimed sizes small enough for a quick run; the caps themselves are tested.
  if (int64_t(jpeg.Width()) * jpeg.Height() > (int64_t(1) << 20))
    return 0;
  for (TJPEGPixelFormat f : {TJPEGPixelFormat::jf24Bit, TJPEGPixelFormat::jf8Bit}) {
    jpeg.SetPixelFormat(f);
    try {
      const TBitmap& b = jpeg.Bitmap();
      if (b.Width() != jpeg.Width() || b.Height() != jpeg.Height())
        std::abort();
    } catch (const EInvalidGraphic&) {}
  }
  return 0;
}
