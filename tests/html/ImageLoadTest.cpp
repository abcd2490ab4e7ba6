#include <gtest/gtest.h>

#include "html/Pictures.h"
#include "html/PNGImage.h"
#include "platform/JpegImage.h"
#include "tests/html/PNGTestUtil.h"

using namespace pngtest;

namespace {

struct ColorBitsGuard {
  explicit ColorBitsGuard(int bits) { SetColorBits(bits); }
  ~ColorBitsGuard() { SetColorBits(24); }
};

void Le32(std::vector<uint8_t>& o, uint32_t v)
{
  for (int i = 0; i < 4; ++i)
    o.push_back(uint8_t(v >> (8 * i)));
}
void Le16(std::vector<uint8_t>& o, uint32_t v)
{
  o.push_back(uint8_t(v));
  o.push_back(uint8_t(v >> 8));
}

// A BMP with an information header; rows given top-down, written bottom-up unless topDown.
std::vector<uint8_t> MakeBmp(int w, int h, int bpp, const std::vector<TRGBQuad>& palette,
                             const std::vector<std::vector<uint8_t>>& rows, bool topDown = false, int compression = 0,
                             const std::vector<uint8_t>* rle = nullptr)
{
  std::vector<uint8_t> bits;
  size_t stride = ((size_t(w) * size_t(bpp) + 31) / 32) * 4;
  if (rle) {
    bits = *rle;
  } else {
    for (int i = 0; i < h; ++i) {
      const auto& r = rows[size_t(topDown ? i : h - 1 - i)];
      std::vector<uint8_t> line(stride, 0);
      std::copy(r.begin(), r.end(), line.begin());
      bits.insert(bits.end(), line.begin(), line.end());
    }
  }
  std::vector<uint8_t> o = {'B', 'M'};
  uint32_t off = 14 + 40 + uint32_t(palette.size()) * 4;
  Le32(o, off + uint32_t(bits.size()));
  Le32(o, 0);
  Le32(o, off);
  Le32(o, 40);
  Le32(o, uint32_t(w));
  Le32(o, uint32_t(topDown ? -h : h));
  Le16(o, 1);
  Le16(o, uint32_t(bpp));
  Le32(o, uint32_t(compression));
  Le32(o, uint32_t(bits.size()));
  Le32(o, 2835);
  Le32(o, 2835);
  Le32(o, uint32_t(palette.size()));
  Le32(o, 0);
  for (auto& q : palette)
    o.insert(o.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
  o.insert(o.end(), bits.begin(), bits.end());
  return o;
}

std::unique_ptr<TBitmap> Load(const std::vector<uint8_t>& bytes, TTransparency& t, std::unique_ptr<TBitmap>& mask)
{
  TByteStream s(bytes);
  return LoadImageFromStream(&s, t, mask);
}

std::vector<uint8_t> PalettePng(bool trnsFirst)
{
  RawImage img = RandomImage(6, 4, 3, 8, 2, 3);
  img.Samples[0][0] = 2;
  img.Samples[3][0] = 1;
  std::vector<uint8_t> plte = {10, 20, 30, 40, 50, 60, 70, 80, 90, 200, 210, 220};
  auto out = Signature();
  AppendChunk(out, "IHDR", Ihdr(6, 4, 8, 3));
  AppendChunk(out, "PLTE", plte);
  if (trnsFirst)
    AppendChunk(out, "tRNS", {255, 255, 0});
  AppendChunk(out, "IDAT", Deflate(RawData(img, false, 0)));
  if (!trnsFirst)
    AppendChunk(out, "tRNS", {255, 255, 0});
  AppendChunk(out, "IEND", {});
  return out;
}

}   // namespace

TEST(ImageLoad, DetectImageFormat)
{
  auto detect = [](std::string s) { return DetectImageFormat(reinterpret_cast<const uint8_t*>(s.data()), s.size()); };
  EXPECT_EQ(detect("GIF89a"), itGIF89);
  EXPECT_EQ(detect("GIF87a"), itGIF);
  EXPECT_EQ(detect("GIF8x"), itGIF);
  EXPECT_EQ(detect("BM...."), itBMP);
  EXPECT_EQ(detect("\x89PNG\r\n"), itPNG);
  EXPECT_EQ(detect(std::string("\xFF\xD8\xFF\xE0\0", 5)), itJPG);
  EXPECT_EQ(detect("hello"), itNone);
  EXPECT_EQ(detect(""), itNone);
  uint8_t be[4] = {0x12, 0x34, 0x56, 0x78};
  uint32_t raw;
  std::memcpy(&raw, be, 4);
  EXPECT_EQ(IntelSwap(raw), 0x12345678u);
}

TEST(ImageLoad, ShortUnknownAndGifStreamsGiveNothing)
{
  TTransparency t = NotTransp;
  std::unique_ptr<TBitmap> mask;
  std::vector<uint8_t> bm19 = {'B', 'M'};
  bm19.resize(19, 0);
  EXPECT_EQ(Load(bm19, t, mask), nullptr);
  std::vector<uint8_t> bm20 = bm19;
  bm20.push_back(0);
  EXPECT_THROW(Load(bm20, t, mask), EInvalidGraphic);   // tried, and found broken
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
  gif.resize(40, 0);
  EXPECT_EQ(Load(gif, t, mask), nullptr);
  EXPECT_EQ(LoadImageFromStream(nullptr, t, mask), nullptr);
  EXPECT_EQ(LoadImageFromFile("/nonexistent/picture.png", t, mask), nullptr);
}

TEST(ImageLoad, BmpFormats)
{
  std::vector<TRGBQuad> pal = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {9, 9, 9, 0}};
  auto check = [&](const std::vector<uint8_t>& file, const std::vector<std::vector<TColor>>& want) {
    TTransparency t = NotTransp;
    std::unique_ptr<TBitmap> mask;
    auto b = Load(file, t, mask);
    ASSERT_TRUE(b);
    for (size_t y = 0; y < want.size(); ++y)
      for (size_t x = 0; x < want[y].size(); ++x)
        EXPECT_EQ(b->GetPixel(int(x), int(y)), want[y][x]) << x << "," << y;
  };
  const TColor R = clRed, G = clLime, B = clBlue, K = RGBColor(9, 9, 9);
  check(MakeBmp(3, 2, 8, pal, {{0, 1, 2}, {3, 3, 0}}), {{R, G, B}, {K, K, R}});
  check(MakeBmp(3, 2, 8, pal, {{0, 1, 2}, {3, 3, 0}}, true), {{R, G, B}, {K, K, R}});
  check(MakeBmp(3, 2, 4, pal, {{0x01, 0x20}, {0x33, 0x00}}), {{R, G, B}, {K, K, R}});
  check(MakeBmp(3, 1, 1, pal, {{0xA0}}), {{G, R, G}});
  check(MakeBmp(2, 1, 24, {}, {{0, 0, 255, 255, 0, 0}}), {{R, B}});
  check(MakeBmp(2, 1, 32, {}, {{0, 0, 255, 0, 255, 0, 0, 0}}), {{R, B}});
  // A run of three 1s, end of line, three absolute pixels 2 0 1, end of bitmap.
  std::vector<uint8_t> rle = {3, 1, 0, 0, 0, 3, 2, 0, 1, 0, 0, 1};
  check(MakeBmp(3, 2, 8, pal, {}, false, 1, &rle), {{B, R, G}, {G, G, G}});
  // Pixel data shorter than the rows claim.
  auto cut = MakeBmp(30, 20, 24, {}, std::vector<std::vector<uint8_t>>(20, std::vector<uint8_t>(90, 1)));
  cut.resize(cut.size() - 100);
  TTransparency t = NotTransp;
  std::unique_ptr<TBitmap> mask;
  EXPECT_THROW(Load(cut, t, mask), EInvalidGraphic);
}

TEST(ImageLoad, ScreenDepthDecidesTheBitmapFormat)
{
  std::vector<TRGBQuad> pal = {{0, 0, 255, 0}, {0, 255, 0, 0}};
  auto eight = MakeBmp(4, 2, 8, pal, {{0, 1, 0, 1}, {1, 1, 0, 0}});
  auto deep = MakeBmp(4, 1, 24, {}, {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
  TTransparency t = NotTransp;
  std::unique_ptr<TBitmap> mask;
  // 24-bit screen: the 8-bit picture is re-made at the screen's depth, the 24-bit one kept.
  auto a = Load(eight, t, mask);
  EXPECT_EQ(a->PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(a->GetPixel(1, 0), clLime);
  auto b = Load(deep, t, mask);
  EXPECT_EQ(b->PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(b->GetPixel(3, 0), RGBColor(12, 11, 10));
  {
    ColorBitsGuard g(8);
    auto c = Load(deep, t, mask);
    EXPECT_EQ(c->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(c->Palette().Entries, ThePalette()->Entries);
  }
  {
    ColorBitsGuard g(4);
    auto c = Load(eight, t, mask);
    EXPECT_EQ(c->PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(c->Palette().Entries.size(), 20u);
    EXPECT_EQ(c->GetPixel(1, 0), clLime);   // a standard colour survives exactly
  }
}

TEST(ImageLoad, ThePaletteLayout)
{
  EXPECT_EQ(ThePalette(), nullptr);
  ColorBitsGuard g(8);
  EXPECT_EQ(ColorBits(), 8);
  const TPalette* p = ThePalette();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(p->Entries.size(), 256u);
  EXPECT_EQ(p->Entries[0], (TRGBQuad{0, 0, 0, 0}));
  EXPECT_EQ(p->Entries[10], (TRGBQuad{55, 55, 55, 0}));
  EXPECT_EQ(p->Entries[11], (TRGBQuad{55, 55, 115, 0}));   // red changes fastest
  EXPECT_EQ(p->Entries[16], (TRGBQuad{55, 115, 55, 0}));
  EXPECT_EQ(p->Entries[224], (TRGBQuad{255, 255, 235, 0}));   // the cube without white
  EXPECT_EQ(p->Entries[225], (TRGBQuad{135, 135, 135, 0}));
  EXPECT_EQ(p->Entries[231], (TRGBQuad{170, 170, 170, 0}));   // 165 (i = 7) left out
  EXPECT_EQ(p->Entries[245], (TRGBQuad{250, 250, 250, 0}));
  EXPECT_EQ(p->Entries[255], (TRGBQuad{255, 255, 255, 0}));
  EXPECT_EQ(CopyPalette(p).Entries, p->Entries);
  SetColorBits(16);
  EXPECT_EQ(ColorBits(), 24);
  EXPECT_TRUE(CopyPalette(p).Entries.empty());
  SetColorBits(1);
  EXPECT_EQ(ColorBits(), 4);
}

TEST(ImageLoad, PalettePngMaskFollowsTheAlphaTable)
{
  for (bool first : {true, false}) {
    TTransparency t = NotTransp;
    std::unique_ptr<TBitmap> mask;
    auto b = Load(PalettePng(first), t, mask);
    ASSERT_TRUE(b);
    if (!first) {
      EXPECT_EQ(t, NotTransp);
      EXPECT_EQ(mask, nullptr);
      continue;
    }
    EXPECT_EQ(t, TrPng);
    ASSERT_NE(mask, nullptr);
    // Entry 2 is transparent (not entry 0): black in the bitmap, white in the mask.
    EXPECT_EQ(mask->GetPixel(0, 0), clWhite);
    EXPECT_EQ(b->GetPixel(0, 0), clBlack);
    EXPECT_EQ(mask->GetPixel(0, 3), clBlack);
    EXPECT_EQ(b->GetPixel(0, 3), RGBColor(40, 50, 60));
  }
}

// A palette or grey PNG loaded for a 24-bit screen is read straight into 24-bit pixels: the
// colours must be those of the indexed picture the decoder gives on its own, at every depth,
// interlaced or not, with a gamma, and for widths whose rows end right after the last pixel.
TEST(ImageLoad, PaletteAndGreyPngsLoadAsTheirIndexedColours)
{
  std::vector<uint8_t> plte;
  for (int i = 0; i < 256; ++i)
    plte.insert(plte.end(), {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3 + 1)});
  const std::pair<int, int> kinds[] = {{3, 1}, {3, 2}, {3, 4},  {3, 8}, {0, 1}, {0, 2},
                                       {0, 4}, {0, 8}, {0, 16}, {4, 8}, {4, 16}};
  for (auto [type, depth] : kinds)
    for (bool interlace : {false, true})
      for (uint32_t w : {8u, 13u}) {
        RawImage img = RandomImage(w, 9, type, depth, 11 + w);
        std::vector<Chunk> chunks;
        if (interlace)
          chunks.push_back({"gAMA", {0, 0, 0xAF, 0xC8}});   // 0.45
        if (type == 3)
          chunks.push_back({"PLTE", std::vector<uint8_t>(plte.begin(), plte.begin() + 3 * (1 << depth))});
        const auto file = MakePng(img, interlace, -1, chunks);
        TPNGImage png;
        TByteStream s(file);
        png.LoadFromStream(s);
        TTransparency t = NotTransp;
        std::unique_ptr<TBitmap> mask;
        auto b = Load(file, t, mask);
        ASSERT_TRUE(b);
        ASSERT_EQ(b->PixelFormat(), TPixelFormat::pf24bit);
        ASSERT_EQ(b->Width(), png.Width());
        int bad = 0;
        for (int32_t y = 0; y < png.Height(); ++y)
          for (int32_t x = 0; x < png.Width(); ++x)
            if (b->GetPixel(x, y) != png.GetPixel(x, y) && ++bad < 3)
              ADD_FAILURE() << "type " << type << " depth " << depth << " interlace " << interlace << " width " << w
                            << " pixel " << x << "," << y;
      }
}

// Indexed bitmaps of every depth made direct colour keep each pixel's colour.
TEST(ImageLoad, IndexedBitmapsBecomeDirectColourPixelForPixel)
{
  for (TPixelFormat from : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit})
    for (TPixelFormat to : {TPixelFormat::pf24bit, TPixelFormat::pf32bit})
      for (int32_t w : {4, 8, 13}) {
        TBitmap b(w, 5, from);
        TPalette p;
        const int entries = from == TPixelFormat::pf1bit ? 2 : from == TPixelFormat::pf4bit ? 16 : 200;
        for (int i = 0; i < entries; ++i)   // 8-bit indices also point past the palette
          p.Entries.push_back(TRGBQuad{uint8_t(i * 5), uint8_t(255 - i), uint8_t(i * 11), 0});
        b.SetPalette(p);
        Rng rng{uint32_t(w)};
        for (int32_t y = 0; y < b.Height(); ++y)
          for (size_t k = 0; k < b.Stride(); ++k)
            b.ScanLine(y)[k] = uint8_t(rng.Next());
        TBitmap c = b;
        c.SetPixelFormat(to);
        for (int32_t y = 0; y < b.Height(); ++y)
          for (int32_t x = 0; x < w; ++x)
            EXPECT_EQ(c.GetPixel(x, y), b.GetPixel(x, y)) << int(from) << " " << int(to) << " " << w;
      }
}

TEST(ImageLoad, PngMasksOnlyForPaletteAndRgb)
{
  for (int type : {0, 4, 6, 2}) {
    RawImage img = RandomImage(5, 5, type, 8, 4);
    img.Samples[4][0] = 7;
    if (type >= 2) {
      img.Samples[4][1] = 8;
      img.Samples[4][2] = 9;
    }
    std::vector<uint8_t> trns =
        type == 0 || type == 4 ? std::vector<uint8_t>{0, 7} : std::vector<uint8_t>{0, 7, 0, 8, 0, 9};
    TTransparency t = LLCorner;
    std::unique_ptr<TBitmap> mask;
    auto b = Load(MakePng(img, false, 0, {{"tRNS", trns}}), t, mask);
    ASSERT_TRUE(b);
    if (type == 2) {
      EXPECT_EQ(t, TrPng);
      ASSERT_NE(mask, nullptr);
      EXPECT_EQ(mask->GetPixel(0, 4), clWhite);
      EXPECT_EQ(b->GetPixel(0, 4), clBlack);
    } else {
      // The page's lower-left request still holds for these.
      EXPECT_EQ(t, LLCorner) << type;
      ASSERT_NE(mask, nullptr);
      EXPECT_EQ(mask->GetPixel(0, 4), clWhite);
    }
  }
}

TEST(ImageLoad, PngHasTransparencyScansSafely)
{
  auto good = PalettePng(true);
  TByteStream s(good);
  s.SetPosition(5);
  EXPECT_TRUE(PngHasTransparency(s));
  EXPECT_EQ(s.Position(), 5);
  // Lengths far beyond the data, or chunks cut short, end the scan.
  auto bad = Signature();
  Put32(bad, 0xFFFFFFF0u);
  bad.insert(bad.end(), {'I', 'H', 'D', 'R', 0, 0});
  TByteStream b(bad);
  EXPECT_FALSE(PngHasTransparency(b));
  auto shortHdr = Signature();
  AppendChunk(shortHdr, "IHDR", {0, 0, 0, 1});
  AppendChunk(shortHdr, "tRNS", {0});
  TByteStream sh(shortHdr);
  EXPECT_FALSE(PngHasTransparency(sh));
}

TEST(ImageLoad, LowerLeftMaskAndJpeg)
{
  std::vector<TRGBQuad> pal = {{0, 0, 255, 0}, {0, 255, 0, 0}};
  TTransparency t = LLCorner;
  std::unique_ptr<TBitmap> mask;
  auto b = Load(MakeBmp(3, 2, 8, pal, {{0, 1, 0}, {1, 0, 1}}), t, mask);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->GetPixel(0, 1), clWhite);
  EXPECT_EQ(mask->GetPixel(1, 1), clBlack);
  EXPECT_EQ(mask->GetPixel(1, 0), clWhite);

  TBitmap src(16, 8, TPixelFormat::pf24bit);
  src.Fill(RGBColor(200, 40, 40));
  TJPEGImage enc;
  enc.Assign(src);
  auto jpeg = enc.SaveToBytes();
  t = LLCorner;
  auto j = Load(jpeg, t, mask);
  ASSERT_TRUE(j);
  EXPECT_EQ(t, NotTransp);
  EXPECT_EQ(mask, nullptr);
  EXPECT_EQ(j->Width(), 16);
  EXPECT_NEAR(GetRValue(j->GetPixel(5, 5)), 200, 8);
  {
    ColorBitsGuard g(8);
    auto j8 = Load(jpeg, t, mask);
    EXPECT_EQ(j8->PixelFormat(), TPixelFormat::pf8bit);
  }
  // A broken JPEG raises; it does not end the process.
  jpeg.resize(40);
  EXPECT_THROW(Load(jpeg, t, mask), EInvalidGraphic);
}

#include <filesystem>

#include "html/GifAnimation.h"

// The fuzz seeds are valid pictures: each must load, so the fuzzers start from decoding paths.
TEST(ImageLoad, FuzzSeedsDecode)
{
  const std::filesystem::path corpus =
      std::filesystem::path(ORRELO_TEST_DATA).parent_path().parent_path() / "fuzz" / "corpus";
  int count = 0;
  for (const auto& e : std::filesystem::directory_iterator(corpus / "png")) {
    TPNGImage png;
    png.LoadFromFile(e.path().string());
    EXPECT_GT(png.Width(), 0) << e.path();
    ++count;
  }
  for (const auto& e : std::filesystem::directory_iterator(corpus / "gif")) {
    bool nonAnimated;
    auto gif = CreateAGifFromFile(e.path().string(), nonAnimated);
    EXPECT_GT(gif->NumFrames, 0) << e.path();
    ++count;
  }
  EXPECT_GE(count, 8);
}

// An RGB PNG whose transparency chunk comes after the image data is not transparent to the
// loader; a page that asks for lower-left transparency must then get the lower-left colour,
// not the colour of the chunk the bitmap still remembers.
TEST(ImageLoad, LowerLeftMaskIsTheLowerLeftColourWhateverThePngSaid)
{
  RawImage img = RandomImage(4, 3, 2, 8, 9);
  const uint16_t ll[3] = {1, 2, 3}, other[3] = {200, 100, 50};
  for (int c = 0; c < 3; ++c) {
    img.Samples[2][size_t(c)] = ll[c];          // lower left
    img.Samples[0][size_t(3 + c)] = other[c];   // (1, 0): the chunk's colour
    img.Samples[1][size_t(6 + c)] = ll[c];      // (2, 1): the lower-left colour again
  }
  auto file = Signature();
  AppendChunk(file, "IHDR", Ihdr(4, 3, 8, 2));
  AppendChunk(file, "IDAT", Deflate(RawData(img, false, 0)));
  AppendChunk(file, "tRNS", {0, 200, 0, 100, 0, 50});
  AppendChunk(file, "IEND", {});
  TTransparency t = LLCorner;
  std::unique_ptr<TBitmap> mask;
  auto b = Load(file, t, mask);
  ASSERT_TRUE(b);
  EXPECT_EQ(t, LLCorner);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->GetPixel(0, 2), clWhite);
  EXPECT_EQ(mask->GetPixel(2, 1), clWhite);
  EXPECT_EQ(mask->GetPixel(1, 0), clBlack);
  // Asked later of the cached bitmap, the same answer.
  auto again = GetImageMask(*b, false, 0);
  EXPECT_EQ(again->GetPixel(0, 2), clWhite);
  EXPECT_EQ(again->GetPixel(1, 0), clBlack);
  // A colour given is used as it is.
  auto given = GetImageMask(*b, true, RGBColor(200, 100, 50));
  EXPECT_EQ(given->GetPixel(1, 0), clWhite);
  EXPECT_EQ(given->GetPixel(0, 2), clBlack);
}
