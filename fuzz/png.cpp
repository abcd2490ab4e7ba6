// PNG reader fuzz target: any bytes must end in a picture or the codec's exception.
#include <cstddef>
#include <cstdint>

#include "html/PNGImage.h"

static bool TooLarge(const uint8_t* data, size_t size)
{
  // Big but legal sizes only cost time here; the caps are tested elsewhere.
  if (size < 24)
    return false;
  uint64_t w = uint64_t(data[16]) << 24 | uint64_t(data[17]) << 16 | uint64_t(data[18]) << 8 | data[19];
  uint64_t h = uint64_t(data[20]) << 24 | uint64_t(data[21]) << 16 | uint64_t(data[22]) << 8 | data[23];
  return w * h > (1u << 22);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (TooLarge(data, size))
    return 0;
  TByteStream s(data, size);
  TPNGImage png;
  try {
    png.LoadFromStream(s);
    TByteStream out;
    png.SaveToStream(out);
  } catch (const Exception&) {}
  return 0;
}
