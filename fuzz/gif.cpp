// GIF reader fuzz target: decoding, the strip and a few animation steps.
#include <cstddef>
#include <cstdint>

#include "html/GifAnimation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // Big but legal screens only cost time here; the caps are tested elsewhere.
  if (size >= 10 && uint64_t(data[6] | data[7] << 8) * uint64_t(data[8] | data[9] << 8) > (1u << 20))
    return 0;
  Cardinal now = 0;
  TByteStream s(data, size);
  try {
    bool nonAnimated = false;
    auto img = CreateAGif(s, nonAnimated);
    img->Clock = [&now] { return now; };
    img->SetAnimate(true);
    for (int i = 0; i < 5; ++i) {
      now += 1000;
      img->CheckTime(nullptr);
    }
    auto copy = img->CreateCopy();
    img.reset();
    copy->GetBitmap();
    copy->GetMaskImage();
  } catch (const Exception&) {}
  return 0;
}
