// A small PNG writer for the tests, independent of the codec: raw samples in, file bytes
// out, with a chosen filter per row and optional Adam7 interlacing.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace pngtest {

struct Chunk {
  std::string Type;
  std::vector<uint8_t> Data;
};

inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
  out.push_back(uint8_t(v >> 24));
  out.push_back(uint8_t(v >> 16));
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

inline void AppendChunk(std::vector<uint8_t>& out, const std::string& type, const std::vector<uint8_t>& data,
                        bool badCrc = false)
{
  Put32(out, uint32_t(data.size()));
  size_t at = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, out.data() + at, uInt(4 + data.size()));
  Put32(out, uint32_t(crc) ^ (badCrc ? 1u : 0u));
}

inline std::vector<uint8_t> Signature() { return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

inline std::vector<uint8_t> Ihdr(uint32_t w, uint32_t h, int depth, int type, int interlace = 0)
{
  std::vector<uint8_t> d;
  Put32(d, w);
  Put32(d, h);
  d.push_back(uint8_t(depth));
  d.push_back(uint8_t(type));
  d.push_back(0);
  d.push_back(0);
  d.push_back(uint8_t(interlace));
  return d;
}

inline std::vector<uint8_t> Deflate(const std::vector<uint8_t>& raw, int level = 6)
{
  uLongf size = compressBound(uLong(raw.size()));
  std::vector<uint8_t> out(size);
  compress2(out.data(), &size, raw.data(), uLong(raw.size()), level);
  out.resize(size);
  return out;
}

inline uint8_t PaethPred(int a, int b, int c)
{
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Filters a row (filter 0-4) against the previous row of its pass.
inline std::vector<uint8_t> FilterRow(int filter, const std::vector<uint8_t>& row, const std::vector<uint8_t>& prev,
                                      size_t bpp)
{
  std::vector<uint8_t> out(row.size() + 1);
  out[0] = uint8_t(filter);
  for (size_t i = 0; i < row.size(); ++i) {
    int a = i >= bpp ? row[i - bpp] : 0, b = prev.empty() ? 0 : prev[i],
        c = (i >= bpp && !prev.empty()) ? prev[i - bpp] : 0;
    int pred = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2 : filter == 4 ? PaethPred(a, b, c) : 0;
    out[i + 1] = uint8_t(row[i] - pred);
  }
  return out;
}

// An image as samples: Samples[y][x * channels + c], each 0 .. 2^depth - 1.
struct RawImage {
  uint32_t Width = 0, Height = 0;
  int Depth = 8, Type = 2, Channels = 3;
  std::vector<std::vector<uint16_t>> Samples;
};

inline int ChannelsOf(int type) { return type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1; }

// Packs pixels x0, x0 + step, ... of row y into bytes.
inline std::vector<uint8_t> PackRow(const RawImage& img, uint32_t y, uint32_t x0, uint32_t step)
{
  std::vector<uint8_t> out;
  int bitsUsed = 0;
  for (uint32_t x = x0; x < img.Width; x += step)
    for (int c = 0; c < img.Channels; ++c) {
      uint16_t v = img.Samples[y][x * img.Channels + c];
      if (img.Depth == 16) {
        out.push_back(uint8_t(v >> 8));
        out.push_back(uint8_t(v));
      } else if (img.Depth == 8) {
        out.push_back(uint8_t(v));
      } else {
        if (bitsUsed == 0)
          out.push_back(0);
        out.back() |= uint8_t(v << (8 - img.Depth - bitsUsed));
        bitsUsed = (bitsUsed + img.Depth) % 8;
      }
    }
  return out;
}

// The filtered, uncompressed image data; filter < 0 cycles 0..4 over the rows.
inline std::vector<uint8_t> RawData(const RawImage& img, bool interlace, int filter)
{
  static const int pass[7][4] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                 {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
  size_t bpp = std::max<size_t>(1, size_t(img.Channels * img.Depth) / 8);
  std::vector<uint8_t> out;
  int n = 0;
  auto emit = [&](uint32_t y0, uint32_t x0, uint32_t ys, uint32_t xs) {
    if (x0 >= img.Width || y0 >= img.Height)
      return;
    std::vector<uint8_t> prev;
    for (uint32_t y = y0; y < img.Height; y += ys) {
      auto row = PackRow(img, y, x0, xs);
      if (prev.empty())
        prev.assign(row.size(), 0);
      int f = filter < 0 ? (n++ % 5) : filter;
      auto fr = FilterRow(f, row, prev, bpp);
      out.insert(out.end(), fr.begin(), fr.end());
      prev = row;
    }
  };
  if (!interlace)
    emit(0, 0, 1, 1);
  else
    for (auto& p : pass)
      emit(uint32_t(p[0]), uint32_t(p[1]), uint32_t(p[2]), uint32_t(p[3]));
  return out;
}

// A whole file: IHDR, the extra chunks, IDAT (split in two when asked), IEND.
inline std::vector<uint8_t> MakePng(const RawImage& img, bool interlace, int filter,
                                    const std::vector<Chunk>& before = {}, bool splitIdat = false)
{
  auto out = Signature();
  AppendChunk(out, "IHDR", Ihdr(img.Width, img.Height, img.Depth, img.Type, interlace ? 1 : 0));
  for (auto& c : before)
    AppendChunk(out, c.Type, c.Data);
  auto z = Deflate(RawData(img, interlace, filter));
  if (splitIdat && z.size() > 2) {
    size_t half = z.size() / 2;
    AppendChunk(out, "IDAT", std::vector<uint8_t>(z.begin(), z.begin() + long(half)));
    AppendChunk(out, "IDAT", std::vector<uint8_t>(z.begin() + long(half), z.end()));
  } else {
    AppendChunk(out, "IDAT", z);
  }
  AppendChunk(out, "IEND", {});
  return out;
}

// Simple deterministic pseudo-random numbers.
struct Rng {
  uint32_t S;
  explicit Rng(uint32_t seed) : S(seed * 2654435761u + 1) {}
  uint32_t Next()
  {
    S ^= S << 13;
    S ^= S >> 17;
    S ^= S << 5;
    return S;
  }
};

inline RawImage RandomImage(uint32_t w, uint32_t h, int type, int depth, uint32_t seed, int maxIndex = -1)
{
  RawImage img;
  img.Width = w;
  img.Height = h;
  img.Type = type;
  img.Depth = depth;
  img.Channels = ChannelsOf(type);
  Rng rng(seed);
  uint32_t limit = maxIndex >= 0 ? uint32_t(maxIndex) + 1 : (1u << depth);
  img.Samples.assign(h, std::vector<uint16_t>(size_t(w) * size_t(img.Channels)));
  for (uint32_t y = 0; y < h; ++y)
    for (auto& v : img.Samples[y]) {
      // Runs of equal values now and then, so that every filter sees both kinds of data.
      uint32_t r = rng.Next();
      v = (r & 7) == 0 && &v != img.Samples[y].data() ? *(&v - 1) : uint16_t((r >> 8) % limit);
    }
  return img;
}

}   // namespace pngtest
