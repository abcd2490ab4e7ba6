#include "tools/common/AviWriter.h"

#include <algorithm>

#include "platform/SysUtils.h"

namespace {

void Put32(std::vector<uint8_t>& v, uint32_t x)
{
  for (int i = 0; i < 4; ++i)
    v.push_back(uint8_t(x >> (8 * i)));
}

void Put16(std::vector<uint8_t>& v, uint32_t x)
{
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}

void Tag(std::vector<uint8_t>& v, const char* t)
{
  for (int i = 0; i < 4; ++i)
    v.push_back(uint8_t(t[i]));
}

// A chunk: its tag, its size and its body, padded to an even length.
void Chunk(std::vector<uint8_t>& out, const char* tag, const std::vector<uint8_t>& body)
{
  Tag(out, tag);
  Put32(out, uint32_t(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1)
    out.push_back(0);
}

std::vector<uint8_t> List(const char* type, const std::vector<uint8_t>& body)
{
  std::vector<uint8_t> v(4 + body.size());
  std::copy(type, type + 4, v.begin());
  std::copy(body.begin(), body.end(), v.begin() + 4);
  return v;
}

}   // namespace

std::vector<uint8_t> SaveMjpegAvi(int32_t width, int32_t height, int32_t fps,
                                  const std::vector<std::vector<uint8_t>>& frames)
{
  if (frames.empty() || width <= 0 || height <= 0 || fps <= 0 || width > 65535 || height > 65535)
    throw EInvalidGraphic("A clip needs frames, a size and a rate");
  const uint32_t count = uint32_t(frames.size());
  size_t largest = 0;
  for (const auto& f : frames)
    largest = std::max(largest, f.size());

  std::vector<uint8_t> avih;
  const uint32_t flagHasIndex = 0x10;
  for (uint32_t x : {uint32_t(1000000 / fps), uint32_t(largest) * uint32_t(fps), 0u, flagHasIndex, count, 0u, 1u,
                     uint32_t(largest), uint32_t(width), uint32_t(height), 0u, 0u, 0u, 0u})
    Put32(avih, x);

  std::vector<uint8_t> strh;
  Tag(strh, "vids");
  Tag(strh, "MJPG");
  // flags, priority and language, initial frames, scale, rate, start, length, buffer
  // size, quality (default), sample size.
  Put32(strh, 0);
  Put16(strh, 0);
  Put16(strh, 0);
  for (uint32_t x : {0u, 1u, uint32_t(fps), 0u, count, uint32_t(largest), 0xFFFFFFFFu, 0u})
    Put32(strh, x);
  Put16(strh, 0);
  Put16(strh, 0);
  Put16(strh, uint32_t(width));
  Put16(strh, uint32_t(height));

  std::vector<uint8_t> strf;   // BITMAPINFOHEADER
  Put32(strf, 40);
  Put32(strf, uint32_t(width));
  Put32(strf, uint32_t(height));
  Put16(strf, 1);
  Put16(strf, 24);
  Tag(strf, "MJPG");
  for (uint32_t x : {uint32_t(width) * uint32_t(height) * 3, 0u, 0u, 0u, 0u})
    Put32(strf, x);

  std::vector<uint8_t> strl, hdrl, movi, index;
  Chunk(strl, "strh", strh);
  Chunk(strl, "strf", strf);
  Chunk(hdrl, "avih", avih);
  Chunk(hdrl, "LIST", List("strl", strl));
  // Index offsets count from the "movi" tag.
  uint32_t offset = 4;
  const uint32_t keyFrame = 0x10;
  for (const auto& f : frames) {
    Tag(index, "00dc");
    Put32(index, keyFrame);
    Put32(index, offset);
    Put32(index, uint32_t(f.size()));
    Chunk(movi, "00dc", f);
    offset += 8 + uint32_t((f.size() + 1) & ~size_t(1));
  }
  std::vector<uint8_t> body;
  Tag(body, "AVI ");
  Chunk(body, "LIST", List("hdrl", hdrl));
  Chunk(body, "LIST", List("movi", movi));
  Chunk(body, "idx1", index);
  std::vector<uint8_t> file;
  Chunk(file, "RIFF", body);
  return file;
}
