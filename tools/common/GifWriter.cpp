#include "tools/common/GifWriter.h"

#include <algorithm>
#include <map>

namespace {

constexpr int MaxCodes = 4096;

struct TBitPacker {
  std::vector<uint8_t> Bytes;
  uint32_t Bits = 0;
  int Count = 0;

  void Put(int code, int size)
  {
    Bits |= uint32_t(code) << Count;
    Count += size;
    while (Count >= 8) {
      Bytes.push_back(uint8_t(Bits));
      Bits >>= 8;
      Count -= 8;
    }
  }
  void Flush()
  {
    if (Count > 0)
      Bytes.push_back(uint8_t(Bits));
    Bits = 0;
    Count = 0;
  }
};

void Put16(std::vector<uint8_t>& out, int32_t v)
{
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

}   // namespace

std::vector<uint8_t> GifLzwEncode(const std::vector<uint8_t>& indices, int minCodeSize)
{
  if (minCodeSize < 2 || minCodeSize > 8)
    throw EInvalidGraphic("GIF code size out of range");
  const int clear = 1 << minCodeSize, end = clear + 1;
  int size = minCodeSize + 1, next = clear + 2;
  // The table as (prefix code, next index) -> code; a flat array keeps it quick.
  std::vector<int16_t> table(size_t(MaxCodes) * 256, -1);
  auto reset = [&] {
    std::fill(table.begin(), table.end(), int16_t(-1));
    size = minCodeSize + 1;
    next = clear + 2;
  };
  TBitPacker out;
  out.Put(clear, size);
  int prefix = -1;
  for (uint8_t k : indices) {
    if (k >= clear)
      throw EInvalidGraphic("GIF index outside the palette");
    if (prefix < 0) {
      prefix = k;
      continue;
    }
    int16_t& slot = table[size_t(prefix) * 256 + k];
    if (slot >= 0) {
      prefix = slot;
      continue;
    }
    out.Put(prefix, size);
    slot = int16_t(next++);
    // The decoder reads one code behind us, so the width grows once the code just added
    // needs the wider field.
    if (next > (1 << size) && size < 12)
      ++size;
    if (next == MaxCodes) {
      out.Put(clear, size);
      reset();
    }
    prefix = k;
  }
  if (prefix >= 0)
    out.Put(prefix, size);
  out.Put(end, size);
  out.Flush();
  return out.Bytes;
}

TGifPicture GifPictureFromBitmap(const TBitmap& bitmap, TColor transparent)
{
  TGifPicture pic;
  pic.Width = bitmap.Width();
  pic.Height = bitmap.Height();
  pic.Indices.resize(size_t(pic.Width) * size_t(pic.Height));
  std::map<TColor, int> exact;
  bool tooMany = false;
  for (int32_t y = 0; y < pic.Height && !tooMany; ++y)
    for (int32_t x = 0; x < pic.Width; ++x) {
      const TColor c = bitmap.GetPixel(x, y);
      if (exact.count(c))
        continue;
      if (exact.size() == 256) {
        tooMany = true;
        break;
      }
      exact.emplace(c, 0);
    }
  if (!tooMany) {
    // Entries in colour order, so the same picture always gives the same file.
    for (auto& [colour, index] : exact) {
      index = int(pic.Palette.size());
      pic.Palette.push_back(colour);
      if (colour == transparent)
        pic.TransparentIndex = index;
    }
    for (int32_t y = 0; y < pic.Height; ++y)
      for (int32_t x = 0; x < pic.Width; ++x)
        pic.Indices[size_t(y) * size_t(pic.Width) + size_t(x)] = uint8_t(exact[bitmap.GetPixel(x, y)]);
    return pic;
  }
  // 6 levels of red and blue, 7 of green (the eye's most sensitive), and one spare entry
  // kept for the transparent colour.
  auto level = [](int v, int steps) { return (v * (steps - 1) + 127) / 255; };
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 7; ++g)
      for (int b = 0; b < 6; ++b)
        pic.Palette.push_back(RGBColor(r * 255 / 5, g * 255 / 6, b * 255 / 5));
  if (transparent != clNone) {
    pic.TransparentIndex = int(pic.Palette.size());
    pic.Palette.push_back(transparent);
  }
  for (int32_t y = 0; y < pic.Height; ++y)
    for (int32_t x = 0; x < pic.Width; ++x) {
      const TColor c = bitmap.GetPixel(x, y);
      uint8_t index;
      if (c == transparent)
        index = uint8_t(pic.TransparentIndex);
      else
        index = uint8_t((level(GetRValue(c), 6) * 7 + level(GetGValue(c), 7)) * 6 + level(GetBValue(c), 6));
      pic.Indices[size_t(y) * size_t(pic.Width) + size_t(x)] = index;
    }
  return pic;
}

std::vector<uint8_t> SaveGifToBytes(const TGifPicture& picture)
{
  if (picture.Width <= 0 || picture.Height <= 0 || picture.Width > 65535 || picture.Height > 65535
      || picture.Indices.size() != size_t(picture.Width) * size_t(picture.Height))
    throw EInvalidGraphic("GIF picture has no valid size");
  if (picture.Palette.empty() || picture.Palette.size() > 256)
    throw EInvalidGraphic("GIF palette must hold 1 to 256 colours");
  // The table's size is a power of two of at least 2 bits, as the format requires.
  int bits = 1;
  while ((size_t(1) << bits) < picture.Palette.size())
    ++bits;
  for (uint8_t i : picture.Indices)
    if (i >= picture.Palette.size())
      throw EInvalidGraphic("GIF index outside the palette");
  const int codeSize = std::max(2, bits);

  std::vector<uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, picture.Width);
  Put16(out, picture.Height);
  out.push_back(uint8_t(0x80 | ((bits - 1) << 4) | (bits - 1)));
  out.push_back(0);   // background entry
  out.push_back(0);   // square pixels
  for (int i = 0; i < (1 << bits); ++i) {
    const TColor c = i < int(picture.Palette.size()) ? picture.Palette[size_t(i)] : clBlack;
    out.insert(out.end(), {uint8_t(GetRValue(c)), uint8_t(GetGValue(c)), uint8_t(GetBValue(c))});
  }
  if (picture.TransparentIndex >= 0 && picture.TransparentIndex < int(picture.Palette.size()))
    out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0, uint8_t(picture.TransparentIndex), 0});
  out.push_back(0x2C);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, picture.Width);
  Put16(out, picture.Height);
  out.push_back(0);   // no local table, not interlaced
  out.push_back(uint8_t(codeSize));
  const std::vector<uint8_t> data = GifLzwEncode(picture.Indices, codeSize);
  for (size_t i = 0; i < data.size(); i += 255) {
    const size_t n = std::min<size_t>(255, data.size() - i);
    out.push_back(uint8_t(n));
    out.insert(out.end(), data.begin() + long(i), data.begin() + long(i + n));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}
