#include "html/Dither.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "html/Pictures.h"

static const TRGBQuad SystemColors[20] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},   {128, 0, 0, 0},
    {128, 0, 128, 0},   {128, 128, 0, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {240, 202, 166, 0},
    {240, 251, 255, 0}, {164, 160, 160, 0}, {128, 128, 128, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},
    {0, 255, 255, 0},   {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0},
};

const TRGBQuad* StandardSystemColors() { return SystemColors; }

TPalette DefaultSystemPalette()
{
  TPalette p;
  p.Entries.assign(std::begin(SystemColors), std::end(SystemColors));
  return p;
}

// Row access

static bool SupportedFormat(TPixelFormat f)
{
  return f == TPixelFormat::pf1bit || f == TPixelFormat::pf4bit || f == TPixelFormat::pf8bit
         || f == TPixelFormat::pf24bit;
}

TDIB::TDIB(TBitmap& bitmap, TPixelFormat format) : FBitmap(bitmap), FFormat(format)
{
  if (!SupportedFormat(format))
    throw GIFException("Invalid pixel format");
}

void TDIB::CheckRow(int row) const
{
  if (row < 0 || row >= FBitmap.Height())
    throw EInvalidGraphic("Scan line index out of range");
}

TDIBReader::TDIBReader(TBitmap& bitmap, TPixelFormat format) : TDIB(bitmap, format), FSource(&bitmap)
{
  if (bitmap.PixelFormat() != format) {
    FCopy = std::make_unique<TBitmap>(bitmap);
    FCopy->SetPixelFormat(format);
    FSource = FCopy.get();
  }
}

const uint8_t* TDIBReader::ScanLine(int row) const
{
  CheckRow(row);
  return FSource->ScanLine(row);
}

TDIBWriter::TDIBWriter(TBitmap& target, TPixelFormat format, int width, int height, const TPalette& palette)
    : TDIB(target, format)
{
  target = TBitmap(width, height, format);
  target.SetPalette(palette);
}

TDIBWriter::~TDIBWriter() { FBitmap.Changed(); }

uint8_t* TDIBWriter::ScanLine(int row)
{
  CheckRow(row);
  if (FBitmap.Bits() == nullptr)
    throw GIFException("Image has no DIB");
  return FBitmap.ScanLine(row);
}

// Look-ups

static int Key(int r, int g, int b) { return (r >> 3) + ((g >> 3) << 5) + ((b >> 3) << 10); }

TFastColorLookup::TFastColorLookup(const TPalette& palette)
    : TColorLookup(int(std::min<size_t>(palette.Entries.size(), 256))), FCache(32768, 0xFFFF), FShared(32768, false)
{
  FEntries.assign(palette.Entries.begin(), palette.Entries.begin() + FColors);
  for (int i = 0; i < FColors; ++i) {
    const TRGBQuad& e = FEntries[size_t(i)];
    const size_t key = size_t(Key(e.rgbRed, e.rgbGreen, e.rgbBlue));
    uint16_t& slot = FCache[key];
    if (FShared[key])
      continue;
    if (slot == 0xFFFF) {
      slot = uint16_t(i);
    } else {
      const TRGBQuad& first = FEntries[slot];
      if (first.rgbRed != e.rgbRed || first.rgbGreen != e.rgbGreen || first.rgbBlue != e.rgbBlue) {
        // Two palette colours 5 bits apart: one cache entry cannot answer for both (a palette
        // with greys of 250 and 255 would show white as 250), so such colours are searched.
        FShared[key] = true;
        slot = 0xFFFF;
      }
    }
  }
}

int TFastColorLookup::Lookup(int red, int green, int blue, int& r, int& g, int& b)
{
  const size_t key = size_t(Key(red, green, blue));
  uint16_t* slot = &FCache[key];
  if (FShared[key]) {
    std::vector<uint16_t>& exact = FExact[key];
    if (exact.empty())
      exact.assign(512, 0xFFFF);
    slot = &exact[size_t((red & 7) | (green & 7) << 3 | (blue & 7) << 6)];
  }
  int index = *slot;
  if (index == 0xFFFF) {
    int best = 0, bestDist = 0x30000;
    for (int i = 0; i < FColors; ++i) {
      const TRGBQuad& e = FEntries[size_t(i)];
      int d = std::abs(e.rgbRed - red) + std::abs(e.rgbGreen - green) + std::abs(e.rgbBlue - blue);
      if (d < bestDist) {
        bestDist = d;
        best = i;
      }
    }
    index = best;
    *slot = uint16_t(best);
  }
  const TRGBQuad& e = FEntries[size_t(index)];
  r = e.rgbRed;
  g = e.rgbGreen;
  b = e.rgbBlue;
  return index;
}

int TNetscapeColorLookup::Lookup(int red, int green, int blue, int& r, int& g, int& b)
{
  int ri = (red + 3) / 51, gi = (green + 3) / 51, bi = (blue + 3) / 51;
  r = ri * 51;
  g = gi * 51;
  b = bi * 51;
  return bi + gi * 6 + ri * 36;
}

// Dithering engines

TDitherEngine::TDitherEngine(int width, TColorLookup& lookup) : FLookup(lookup), FWidth(width) {}

int TDitherEngine::Dither(int red, int green, int blue, int& r, int& g, int& b)
{
  int index = FLookup.Lookup(red, green, blue, r, g, b);
  Column += Direction;
  return index;
}

void TDitherEngine::NextLine()
{
  Direction = -Direction;
  Column = Direction == 1 ? 0 : FWidth - 1;
}

TFloydSteinbergEngine::TFloydSteinbergEngine(int width, TColorLookup& lookup) : TDitherEngine(width, lookup)
{
  for (int c = 0; c < 3; ++c) {
    FThis[size_t(c)].assign(size_t(width) + 2, 0);
    FNext[size_t(c)].assign(size_t(width) + 2, 0);
  }
}

int TFloydSteinbergEngine::Dither(int red, int green, int blue, int& r, int& g, int& b)
{
  const size_t at = size_t(Column + 1);
  int wanted[3] = {red, green, blue};
  for (int c = 0; c < 3; ++c) {
    int v = wanted[c] + (FThis[size_t(c)][at] + FCarry[size_t(c)] + 8) / 16;
    wanted[c] = std::clamp(v, 0, 255);
  }
  int index = FLookup.Lookup(wanted[0], wanted[1], wanted[2], r, g, b);
  const int got[3] = {r, g, b};
  for (int c = 0; c < 3; ++c) {
    int e = wanted[c] - got[c];
    std::vector<int>& next = FNext[size_t(c)];
    next[size_t(ptrdiff_t(at) - Direction)] += 3 * e;   // below, one column back
    next[at] += 5 * e;                                  // below
    next[size_t(ptrdiff_t(at) + Direction)] += e;       // below, one column ahead
    FCarry[size_t(c)] = 7 * e;                          // the next pixel of this row
  }
  Column += Direction;
  return index;
}

void TFloydSteinbergEngine::NextLine()
{
  for (int c = 0; c < 3; ++c) {
    std::swap(FThis[size_t(c)], FNext[size_t(c)]);
    std::fill(FNext[size_t(c)].begin(), FNext[size_t(c)].end(), 0);
  }
  FCarry = {0, 0, 0};
  TDitherEngine::NextLine();
}

// Palettes

TPalette WebPalette()
{
  TPalette p;
  p.Entries.resize(216);
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        p.Entries[size_t(r * 36 + g * 6 + b)] = TRGBQuad{Byte(b * 51), Byte(g * 51), Byte(r * 51), 0};
  return p;
}

namespace {

struct TOctreeNode {
  bool IsLeaf = false;
  int64_t PixelCount = 0;
  int64_t RedSum = 0, GreenSum = 0, BlueSum = 0;
  TOctreeNode* Next = nullptr;   // next reducible node of the level
  std::unique_ptr<TOctreeNode> Children[8];
};

class TColorQuantizer {
public:
  TColorQuantizer(int maxColors, int colorBits) : FMaxColors(maxColors), FColorBits(std::clamp(colorBits, 1, 8)) {}

  void AddColor(int r, int g, int b)
  {
    Add(FTree, r, g, b, 0);
    while (FLeafCount > FMaxColors)
      Reduce();
  }

  void Palette(std::vector<TRGBQuad>& out) const { Collect(FTree.get(), out); }

private:
  void Add(std::unique_ptr<TOctreeNode>& node, int r, int g, int b, int level)
  {
    if (!node) {
      node = std::make_unique<TOctreeNode>();
      if (level == FColorBits) {
        node->IsLeaf = true;
        ++FLeafCount;
      } else {
        node->Next = FReducible[size_t(level)];
        FReducible[size_t(level)] = node.get();
      }
    }
    if (node->IsLeaf) {
      ++node->PixelCount;
      node->RedSum += r;
      node->GreenSum += g;
      node->BlueSum += b;
      return;
    }
    int shift = 7 - level;
    int i = (((r >> shift) & 1) << 2) | (((g >> shift) & 1) << 1) | ((b >> shift) & 1);
    Add(node->Children[i], r, g, b, level + 1);
  }

  void Reduce()
  {
    int level = FColorBits - 1;
    while (level > 0 && !FReducible[size_t(level)])
      --level;
    TOctreeNode* node = FReducible[size_t(level)];
    if (!node)
      return;
    FReducible[size_t(level)] = node->Next;
    int children = 0;
    for (auto& c : node->Children)
      if (c) {
        node->PixelCount += c->PixelCount;
        node->RedSum += c->RedSum;
        node->GreenSum += c->GreenSum;
        node->BlueSum += c->BlueSum;
        c.reset();
        ++children;
      }
    node->IsLeaf = true;
    FLeafCount -= children - 1;
  }

  static void Collect(const TOctreeNode* node, std::vector<TRGBQuad>& out)
  {
    if (!node)
      return;
    if (node->IsLeaf) {
      TRGBQuad q{};
      if (node->PixelCount > 0)
        q = TRGBQuad{Byte(node->BlueSum / node->PixelCount), Byte(node->GreenSum / node->PixelCount),
                     Byte(node->RedSum / node->PixelCount), 0};
      out.push_back(q);
      return;
    }
    for (const auto& c : node->Children)
      Collect(c.get(), out);
  }

  std::unique_ptr<TOctreeNode> FTree;
  int FLeafCount = 0;
  std::array<TOctreeNode*, 9> FReducible{};
  int FMaxColors;
  int FColorBits;
};

}   // namespace

TPalette CreateOptimizedPaletteFromBitmap(const TBitmap& bitmap, int colors, int colorBits, bool windowsColors)
{
  int wanted = windowsColors ? 236 : std::clamp(colors, 1, 256);
  TColorQuantizer q(wanted, colorBits);
  TBitmap& source = const_cast<TBitmap&>(bitmap);
  TDIBReader reader(source, TPixelFormat::pf24bit);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = reader.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x)
      q.AddColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  }
  std::vector<TRGBQuad> leaves;
  q.Palette(leaves);
  TPalette p;
  if (!windowsColors) {
    p.Entries = std::move(leaves);
    return p;
  }
  p.Entries.assign(256, TRGBQuad{});
  for (int i = 0; i < 10; ++i) {
    p.Entries[size_t(i)] = SystemColors[i];
    p.Entries[size_t(246 + i)] = SystemColors[10 + i];
  }
  for (size_t i = 0; i < leaves.size() && i < 236; ++i)
    p.Entries[10 + i] = leaves[i];
  return p;
}

std::unique_ptr<TBitmap> ReduceColors(const TBitmap& bitmap, TColorReduction reduction, TDitherMode mode)
{
  auto result = std::make_unique<TBitmap>();
  if (reduction == rmNone) {
    *result = bitmap;
    result->SetPixelFormat(TPixelFormat::pf24bit);
    return result;
  }
  TPalette palette;
  switch (reduction) {
  case rmWindows20: palette = DefaultSystemPalette(); break;
  case rmNetscape: palette = WebPalette(); break;
  case rmMyPalette: palette = CopyPalette(ThePalette()); break;
  case rmQuantize: palette = CreateOptimizedPaletteFromBitmap(bitmap, 256, 8, true); break;
  default: break;
  }
  TBitmap& source = const_cast<TBitmap&>(bitmap);
  TDIBReader reader(source, TPixelFormat::pf24bit);
  TDIBWriter writer(*result, TPixelFormat::pf8bit, bitmap.Width(), bitmap.Height(), palette);
  std::unique_ptr<TColorLookup> lookup;
  if (reduction == rmNetscape)
    lookup = std::make_unique<TNetscapeColorLookup>();
  else
    lookup = std::make_unique<TFastColorLookup>(palette);
  if (lookup->Colors() == 0)
    return result;
  const int width = bitmap.Width();
  std::unique_ptr<TDitherEngine> engine;
  if (mode == dmFloydSteinberg)
    engine = std::make_unique<TFloydSteinbergEngine>(width, *lookup);
  else
    engine = std::make_unique<TDitherEngine>(width, *lookup);
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* src = reader.ScanLine(y);
    uint8_t* dst = writer.ScanLine(y);
    int r, g, b;
    while (engine->Column >= 0 && engine->Column < width) {
      int x = engine->Column;
      dst[x] = uint8_t(engine->Dither(src[3 * x + 2], src[3 * x + 1], src[3 * x], r, g, b));
    }
    engine->NextLine();
  }
  return result;
}

std::unique_ptr<TBitmap> DitherBitmap(const TBitmap* bitmap)
{
  if (!bitmap || bitmap->Empty())
    return nullptr;
  if (bitmap->HandleType() == TBitmapHandleType::bmDDB)
    return std::make_unique<TBitmap>(*bitmap);
  return ReduceColors(*bitmap, ColorBits() < 8 ? rmWindows20 : rmMyPalette, dmFloydSteinberg);
}
