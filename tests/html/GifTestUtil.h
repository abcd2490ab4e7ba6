// A small GIF writer for the tests: an LZW encoder (optionally without clearing a full
// table), a raw code packer for hand-made code sequences, and block builders.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace giftest {

struct BitPacker {
  std::vector<uint8_t> Bytes;
  uint32_t Acc = 0;
  int Count = 0;
  void Put(int code, int size)
  {
    Acc |= uint32_t(code) << Count;
    Count += size;
    while (Count >= 8) {
      Bytes.push_back(uint8_t(Acc));
      Acc >>= 8;
      Count -= 8;
    }
  }
  std::vector<uint8_t> Finish()
  {
    if (Count > 0)
      Bytes.push_back(uint8_t(Acc));
    Count = 0;
    Acc = 0;
    return Bytes;
  }
};

// Standard GIF LZW. With deferClear the full table is kept and coding goes on at 12 bits.
inline std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& indices, int minSize, bool deferClear = false)
{
  const int clear = 1 << minSize, end = clear + 1;
  int size = minSize + 1, next = clear + 2;
  std::map<std::pair<int, int>, int> dict;
  BitPacker out;
  out.Put(clear, size);
  int w = -1;
  for (uint8_t k : indices) {
    if (w < 0) {
      w = k;
      continue;
    }
    auto it = dict.find({w, k});
    if (it != dict.end()) {
      w = it->second;
      continue;
    }
    out.Put(w, size);
    if (next < 4096) {
      dict[{w, k}] = next++;
      if (next > (1 << size) && size < 12)
        ++size;
      if (next == 4096 && !deferClear) {
        out.Put(clear, size);
        dict.clear();
        size = minSize + 1;
        next = clear + 2;
      }
    }
    w = k;
  }
  if (w >= 0)
    out.Put(w, size);
  out.Put(end, size);
  return out.Finish();
}

// Codes as given, each at the size given.
inline std::vector<uint8_t> RawCodes(const std::vector<std::pair<int, int>>& codes)
{
  BitPacker p;
  for (auto [code, size] : codes)
    p.Put(code, size);
  return p.Finish();
}

inline void Put16(std::vector<uint8_t>& o, int v)
{
  o.push_back(uint8_t(v));
  o.push_back(uint8_t(v >> 8));
}

inline void SubBlocks(std::vector<uint8_t>& o, const std::vector<uint8_t>& data)
{
  for (size_t i = 0; i < data.size(); i += 255) {
    size_t n = std::min<size_t>(255, data.size() - i);
    o.push_back(uint8_t(n));
    o.insert(o.end(), data.begin() + long(i), data.begin() + long(i + n));
  }
  o.push_back(0);
}

// Colour of entry i of the test tables.
inline void TableColor(int i, uint8_t& r, uint8_t& g, uint8_t& b)
{
  r = uint8_t(i * 7 + 1);
  g = uint8_t(255 - i);
  b = uint8_t(i * 13);
}

struct GifBuilder {
  std::vector<uint8_t> Out;
  explicit GifBuilder(int width, int height, int globalBits = 8, const char* sig = "GIF89a")
  {
    Out.assign(sig, sig + 6);
    Put16(Out, width);
    Put16(Out, height);
    if (globalBits > 0) {
      Out.push_back(uint8_t(0x80 | (globalBits - 1)));
      Out.push_back(0);
      Out.push_back(0);
      for (int i = 0; i < (1 << globalBits); ++i) {
        uint8_t r, g, b;
        TableColor(i, r, g, b);
        Out.insert(Out.end(), {r, g, b});
      }
    } else {
      Out.insert(Out.end(), {0, 0, 0});
    }
  }
  void Control(int disposal, int delay, int transparent = -1)
  {
    Out.insert(Out.end(), {0x21, 0xF9, 4, uint8_t((disposal << 2) | (transparent >= 0 ? 1 : 0))});
    Put16(Out, delay);
    Out.push_back(uint8_t(transparent >= 0 ? transparent : 0));
    Out.push_back(0);
  }
  void Loop(int count)
  {
    Out.insert(Out.end(), {0x21, 0xFF, 11});
    std::string id = "NETSCAPE2.0";
    Out.insert(Out.end(), id.begin(), id.end());
    Out.insert(Out.end(), {3, 1, uint8_t(count), uint8_t(count >> 8), 0});
  }
  void Comment(const std::string& text)
  {
    Out.insert(Out.end(), {0x21, 0xFE});
    SubBlocks(Out, std::vector<uint8_t>(text.begin(), text.end()));
  }
  // An image; data are LZW-coded unless codes are given.
  void Image(int left, int top, int width, int height, const std::vector<uint8_t>& indices, int minSize = 8,
             bool interlace = false, int localBits = 0, const std::vector<uint8_t>* codes = nullptr)
  {
    Out.push_back(0x2C);
    Put16(Out, left);
    Put16(Out, top);
    Put16(Out, width);
    Put16(Out, height);
    Out.push_back(uint8_t((interlace ? 0x40 : 0) | (localBits > 0 ? 0x80 | (localBits - 1) : 0)));
    for (int i = 0; i < (localBits > 0 ? 1 << localBits : 0); ++i)
      Out.insert(Out.end(), {uint8_t(255 - i), uint8_t(i), uint8_t(128)});
    Out.push_back(uint8_t(minSize));
    SubBlocks(Out, codes ? *codes : LzwEncode(indices, minSize));
  }
  std::vector<uint8_t> Finish()
  {
    Out.push_back(0x3B);
    return Out;
  }
};

// Rows of an image in interlaced file order.
inline std::vector<uint8_t> InterlaceOrder(const std::vector<uint8_t>& pixels, int width, int height)
{
  std::vector<uint8_t> out;
  const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int p = 0; p < 4; ++p)
    for (int y = start[p]; y < height; y += step[p])
      out.insert(out.end(), pixels.begin() + long(y * width), pixels.begin() + long((y + 1) * width));
  return out;
}

}   // namespace giftest
