// Writes a small Motion-JPEG AVI clip for the media player tests: frames of a solid colour
// each, so a test can tell which part of the clip is showing.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Files.h"
#include "platform/JpegImage.h"
#include "tools/common/AviWriter.h"

namespace videoclip {

inline void WriteClip(const std::string& fileName, int width, int height, const std::vector<TColor>& colours, int fps)
{
  std::vector<std::vector<uint8_t>> frames;
  for (TColor c : colours) {
    TBitmap b(width, height);
    b.Fill(c);
    TJPEGImage jpeg;
    jpeg.Assign(b);
    frames.push_back(jpeg.SaveToBytes());
  }
  WriteFileBytes(fileName, SaveMjpegAvi(width, height, fps, frames));
}

// Runs body in a child process of its own and expects it to succeed there: the system's
// decoders keep a few allocations until the process ends, which the leak checker of the
// test program would otherwise report.
inline void RunIsolated(const std::function<void()>& body)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        body();
        std::_Exit(testing::Test::HasFailure() ? 1 : 0);
      },
      testing::ExitedWithCode(0), "");
}

}   // namespace videoclip
