// Format sniffing and loading fuzz target: BMP, PNG and JPEG through the general loader,
// on a palette screen now and then so the dithering runs too.
#include <cstddef>
#include <cstdint>

#include "html/Pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1)
    return 0;
  // The first byte picks the screen and the transparency asked for; the rest is the file.
  const uint8_t mode = data[0];
  ++data;
  --size;
  if (size >= 24 && data[0] == 0x89) {
    uint64_t w = uint64_t(data[16]) << 24 | uint64_t(data[17]) << 16 | uint64_t(data[18]) << 8 | data[19];
    uint64_t h = uint64_t(data[20]) << 24 | uint64_t(data[21]) << 16 | uint64_t(data[22]) << 8 | data[23];
    if (w * h > (1u << 20))
      return 0;
  }
  if (size >= 26 && data[0] == 'B') {
    int64_t w = int32_t(data[18] | data[19] << 8 | data[20] << 16 | uint32_t(data[21]) << 24);
    int64_t h = int32_t(data[22] | data[23] << 8 | data[24] << 16 | uint32_t(data[25]) << 24);
    if (w * w + h * h > (int64_t(1) << 21))
      return 0;
  }
  SetColorBits((mode & 3) == 0 ? 4 : (mode & 3) == 1 ? 8 : 24);
  TByteStream s(data, size);
  TTransparency t = (mode & 4) ? LLCorner : NotTransp;
  std::unique_ptr<TBitmap> mask;
  try {
    PngHasTransparency(s);
    LoadImageFromStream(&s, t, mask);
  } catch (const Exception&) {}
  SetColorBits(24);
  return 0;
}
