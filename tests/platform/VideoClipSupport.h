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

namespace videoclip {

inline void Put(std::vector<uint8_t>& v, uint32_t x)
{
  for (int i = 0; i < 4; ++i)
    v.push_back(uint8_t(x >> (8 * i)));
}
inline void Tag(std::vector<uint8_t>& v, const char* t) { v.insert(v.end(), t, t + 4); }
inline void Chunk(std::vector<uint8_t>& out, const char* tag, const std::vector<uint8_t>& body)
{
  Tag(out, tag);
  Put(out, uint32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1)
    out.push_back(0);
}
inline std::vector<uint8_t> List(const char* type, const std::vector<uint8_t>& body)
{
  std::vector<uint8_t> v;
  Tag(v, type);
  v.insert(v.end(), body.begin(), body.end());
  return v;
}

// colours: one per frame; fps frames a second.
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
  uint32_t n = uint32_t(frames.size());
  std::vector<uint8_t> avih;
  for (uint32_t x : {uint32_t(1000000 / fps), 0u, 0u, 0x10u, n, 0u, 1u, 0u, uint32_t(width), uint32_t(height), 0u, 0u,
                     0u, 0u})
    Put(avih, x);
  std::vector<uint8_t> strh;
  Tag(strh, "vids");
  Tag(strh, "MJPG");
  for (uint32_t x : {0u, 0u, 0u, 1u, uint32_t(fps), 0u, n, 0u, 0xFFFFFFFFu, 0u})
    Put(strh, x);
  Put(strh, 0);
  Put(strh, uint32_t(width) | (uint32_t(height) << 16));
  std::vector<uint8_t> strf;
  for (uint32_t x : {40u, uint32_t(width), uint32_t(height), 1u | (24u << 16)})
    Put(strf, x);
  Tag(strf, "MJPG");
  for (uint32_t x : {uint32_t(width * height * 3), 0u, 0u, 0u, 0u})
    Put(strf, x);

  std::vector<uint8_t> strl, hdrl, movi, idx;
  Chunk(strl, "strh", strh);
  Chunk(strl, "strf", strf);
  Chunk(hdrl, "avih", avih);
  Chunk(hdrl, "LIST", List("strl", strl));
  uint32_t offset = 4;
  for (const auto& f : frames) {
    Tag(idx, "00dc");
    Put(idx, 0x10);
    Put(idx, offset);
    Put(idx, uint32_t(f.size()));
    Chunk(movi, "00dc", f);
    offset += 8 + uint32_t((f.size() + 1) & ~size_t(1));
  }
  std::vector<uint8_t> body;
  Tag(body, "AVI ");
  Chunk(body, "LIST", List("hdrl", hdrl));
  Chunk(body, "LIST", List("movi", movi));
  Chunk(body, "idx1", idx);
  std::vector<uint8_t> file;
  Chunk(file, "RIFF", body);
  WriteFileBytes(fileName, file);
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

}  // namespace videoclip
