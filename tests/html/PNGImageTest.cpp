#include "html/PNGImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "html/ZlibStreams.h"
#include "tests/html/PNGTestUtil.h"

using namespace pngtest;

namespace {

const std::string Heading = "Portable Network Graphics format handler error\r\n\r\n";

std::vector<uint8_t> TestPalette(int entries)
{
  std::vector<uint8_t> p;
  for (int i = 0; i < entries; ++i) {
    p.push_back(uint8_t(i * 37 + 5));
    p.push_back(uint8_t(255 - i * 11));
    p.push_back(uint8_t(i * 73));
  }
  return p;
}

// What a pixel must decode to, worked out from the samples.
TColor Expected(const RawImage& img, const std::vector<uint8_t>& plte, uint32_t x, uint32_t y)
{
  const uint16_t* s = &img.Samples[y][x * img.Channels];
  auto to8 = [&](uint16_t v) -> int {
    if (img.Depth == 16)
      return v >> 8;
    if (img.Depth == 8)
      return v;
    return v * 255 / ((1 << img.Depth) - 1);
  };
  switch (img.Type) {
  case 0:
  case 4: return RGBColor(to8(s[0]), to8(s[0]), to8(s[0]));
  case 3:
    if (size_t(s[0]) * 3 + 2 < plte.size())
      return RGBColor(plte[s[0] * 3], plte[s[0] * 3 + 1], plte[s[0] * 3 + 2]);
    return clBlack;
  default: return RGBColor(to8(s[0]), to8(s[1]), to8(s[2]));
  }
}

void ExpectPixels(const TPNGImage& png, const RawImage& img, const std::vector<uint8_t>& plte)
{
  ASSERT_EQ(png.Width(), int(img.Width));
  ASSERT_EQ(png.Height(), int(img.Height));
  int bad = 0;
  for (uint32_t y = 0; y < img.Height; ++y)
    for (uint32_t x = 0; x < img.Width; ++x)
      if (png.GetPixel(int(x), int(y)) != Expected(img, plte, x, y) && ++bad < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << png.GetPixel(int(x), int(y)) << " not "
                      << Expected(img, plte, x, y);
  EXPECT_EQ(bad, 0);
}

void Load(TPNGImage& png, const std::vector<uint8_t>& bytes)
{
  TByteStream s(bytes);
  png.LoadFromStream(s);
}

std::string LoadError(const std::vector<uint8_t>& bytes)
{
  TPNGImage png;
  try {
    Load(png, bytes);
  } catch (const EPNGImageException& e) {
    EXPECT_EQ(e.Message.rfind(Heading, 0), 0u);
    return e.Message.substr(Heading.size());
  } catch (const EZLibError& e) {
    return "zlib: " + e.Message;
  }
  return "no error";
}

std::vector<uint8_t> FileOf(const std::vector<Chunk>& chunks)
{
  auto out = Signature();
  for (auto& c : chunks)
    AppendChunk(out, c.Type, c.Data);
  return out;
}

std::vector<uint8_t> Idat(const RawImage& img, int filter = 0) { return Deflate(RawData(img, false, filter)); }

}   // namespace

// Every legal colour type and depth, every filter, with and without interlacing.
class PNGDecodeAll : public testing::TestWithParam<std::tuple<std::pair<int, int>, bool, int>> {};

TEST_P(PNGDecodeAll, DecodesSamplesExactly)
{
  auto [typeDepth, interlace, filter] = GetParam();
  auto [type, depth] = typeDepth;
  std::vector<uint8_t> plte = type == 3 ? TestPalette(1 << depth) : std::vector<uint8_t>{};
  // Odd sizes put pixels in partial bytes and leave some Adam7 passes short; 1x1 and 3x2
  // leave passes empty.
  for (auto [w, h] : {std::pair<uint32_t, uint32_t>{1, 1}, {3, 2}, {13, 11}, {33, 17}}) {
    RawImage img = RandomImage(w, h, type, depth, w * 131 + h + uint32_t(filter) * 7 + uint32_t(type));
    std::vector<Chunk> extra;
    if (type == 3)
      extra.push_back({"PLTE", plte});
    TPNGImage png;
    Load(png, MakePng(img, interlace, filter, extra));
    SCOPED_TRACE(testing::Message() << "type " << type << " depth " << depth << " size " << w << "x" << h);
    ExpectPixels(png, img, plte);
    EXPECT_EQ(png.Interlaced, interlace);
    EXPECT_FALSE(png.Transparent());
  }
}

INSTANTIATE_TEST_SUITE_P(AllTypes, PNGDecodeAll,
                         testing::Combine(testing::Values(std::pair{0, 1}, std::pair{0, 2}, std::pair{0, 4},
                                                          std::pair{0, 8}, std::pair{0, 16}, std::pair{2, 8},
                                                          std::pair{2, 16}, std::pair{3, 1}, std::pair{3, 2},
                                                          std::pair{3, 4}, std::pair{3, 8}, std::pair{4, 8},
                                                          std::pair{4, 16}, std::pair{6, 8}, std::pair{6, 16}),
                                          testing::Bool(), testing::Values(-1, 0, 1, 2, 3, 4)));

TEST(PNGImage, PixelFormatsFollowDepthAndType)
{
  struct Case {
    int Type, Depth;
    TPixelFormat Format;
    size_t PaletteSize;
  };
  for (Case c : {Case{0, 1, TPixelFormat::pf1bit, 2}, Case{0, 2, TPixelFormat::pf4bit, 16},
                 Case{0, 4, TPixelFormat::pf4bit, 16}, Case{0, 16, TPixelFormat::pf8bit, 256},
                 Case{4, 8, TPixelFormat::pf8bit, 256}, Case{2, 16, TPixelFormat::pf24bit, 0},
                 Case{6, 8, TPixelFormat::pf24bit, 0}, Case{3, 8, TPixelFormat::pf8bit, 256}}) {
    RawImage img = RandomImage(5, 4, c.Type, c.Depth, 3, c.Type == 3 ? 3 : -1);
    std::vector<Chunk> extra;
    if (c.Type == 3)
      extra.push_back({"PLTE", TestPalette(4)});
    TPNGImage png;
    Load(png, MakePng(img, false, 0, extra));
    EXPECT_EQ(png.PixelFormat(), c.Format) << c.Type << "/" << c.Depth;
    EXPECT_EQ(png.Palette().Entries.size(), c.PaletteSize) << c.Type << "/" << c.Depth;
  }
  // 16-bit grey: 256 greys, entry i = i.
  RawImage grey = RandomImage(4, 4, 0, 16, 9);
  TPNGImage png;
  Load(png, MakePng(grey, false, 1));
  for (int i = 0; i < 256; i += 51)
    EXPECT_EQ(png.Palette().Entries[size_t(i)], (TRGBQuad{Byte(i), Byte(i), Byte(i), 0}));
}

TEST(PNGImage, JoinsIdatChunksAndSkipsUnknownAncillaryChunks)
{
  RawImage img = RandomImage(40, 30, 2, 8, 5);
  TPNGImage png;
  Load(png, MakePng(img, false, -1, {{"zzZz", {1, 2, 3}}, {"tIME", {7, 220, 1, 1, 0, 0, 0}}}, true));
  ExpectPixels(png, img, {});
  EXPECT_EQ(png.Chunks().Count(), 5);   // IHDR, zzZz, tIME, one IDAT, IEND
  // "tIME" is a plain chunk, never transparency.
  EXPECT_EQ(png.Chunks().FindChunk<TChunkTRNS>(), nullptr);
  EXPECT_FALSE(png.Transparent());
  EXPECT_EQ(png.TransparencyMask(), nullptr);
}

TEST(PNGImage, PaletteTransparencyComesFromTheAlphaTable)
{
  RawImage img = RandomImage(9, 7, 3, 2, 4);
  img.Samples[0][0] = 2;
  img.Samples[0][1] = 0;
  auto plte = TestPalette(4);
  // Entry 2 transparent, entry 0 opaque, entry 1 half: below 128 counts as transparent.
  TPNGImage png;
  Load(png, MakePng(img, false, 0, {{"PLTE", plte}, {"tRNS", {255, 100, 0}}}));
  const TBitmap* mask = png.TransparencyMask();
  ASSERT_NE(mask, nullptr);
  for (uint32_t y = 0; y < img.Height; ++y)
    for (uint32_t x = 0; x < img.Width; ++x) {
      int idx = img.Samples[y][x];
      EXPECT_EQ(mask->GetPixel(int(x), int(y)), (idx == 1 || idx == 2) ? clWhite : clBlack);
    }
  ExpectPixels(png, img, plte);
}

TEST(PNGImage, RgbTransparencyMatchesFullSixteenBitSamples)
{
  RawImage img = RandomImage(6, 5, 2, 16, 8);
  // Same high bytes, different low bytes: only the exact sample is transparent.
  img.Samples[1][0] = 0x1234;
  img.Samples[1][1] = 0x5678;
  img.Samples[1][2] = 0x9ABC;
  img.Samples[2][0] = 0x1299;
  img.Samples[2][1] = 0x5678;
  img.Samples[2][2] = 0x9ABC;
  TPNGImage png;
  Load(png, MakePng(img, false, 4, {{"tRNS", {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}}));
  ASSERT_NE(png.TransparencyMask(), nullptr);
  EXPECT_EQ(png.TransparencyMask()->GetPixel(0, 1), clWhite);
  EXPECT_EQ(png.TransparencyMask()->GetPixel(0, 2), clBlack);
  // The bitmap's colour is the high bytes, as the pixels keep them.
  EXPECT_TRUE(png.Transparent());
  EXPECT_EQ(png.TransparentColor(), RGBColor(0x12, 0x56, 0x9A));
  EXPECT_EQ(png.GetTRNSColor(), RGBColor(0x12, 0x56, 0x9A));
  EXPECT_EQ(png.GetPixel(0, 1), RGBColor(0x12, 0x56, 0x9A));

  RawImage img8 = RandomImage(3, 3, 2, 8, 2);
  img8.Samples[2][6] = 10;
  img8.Samples[2][7] = 20;
  img8.Samples[2][8] = 30;
  TPNGImage png8;
  Load(png8, MakePng(img8, true, 0, {{"tRNS", {0, 10, 0, 20, 0, 30}}}));
  EXPECT_EQ(png8.TransparentColor(), RGBColor(10, 20, 30));
  EXPECT_EQ(png8.TransparencyMask()->GetPixel(2, 2), clWhite);
}

TEST(PNGImage, GammaTableAndZeroGamma)
{
  RawImage img = RandomImage(4, 4, 2, 8, 1);
  img.Samples[0][0] = 128;
  std::vector<uint8_t> g;
  Put32(g, 50000);
  TPNGImage png;
  Load(png, MakePng(img, false, 0, {{"gAMA", g}}));
  int want = int(std::lround(255 * std::pow(128 / 255.0, 1 / 1.1)));
  EXPECT_EQ(GetRValue(png.GetPixel(0, 0)), want);
  auto* gama = png.Chunks().FindChunk<TChunkGAMA>();
  ASSERT_NE(gama, nullptr);
  EXPECT_EQ(gama->InverseTable[gama->GammaTable[128]], 128);

  // A gamma of 0 is ignored instead of dividing by zero.
  std::vector<uint8_t> zero(4, 0);
  TPNGImage png0;
  Load(png0, MakePng(img, false, 0, {{"gAMA", zero}}));
  ExpectPixels(png0, img, {});
}

TEST(PNGImage, IndicesPastThePaletteMakeTheFileInvalid)
{
  // Indices 0..5 against a palette of 3 entries.
  RawImage img = RandomImage(8, 8, 3, 8, 6, 5);
  EXPECT_EQ(LoadError(MakePng(img, false, 2, {{"PLTE", TestPalette(3)}})),
            "The current image being loaded has an invalid palette!");
  // The same rows against a palette that covers them decode; the bitmap's palette is padded.
  auto plte = TestPalette(6);
  TPNGImage png;
  Load(png, MakePng(img, false, 2, {{"PLTE", plte}}));
  ExpectPixels(png, img, plte);
  EXPECT_EQ(png.Palette().Entries.size(), 256u);
}

TEST(PNGImage, ErrorMessages)
{
  RawImage img = RandomImage(4, 3, 2, 8, 1);
  auto ihdr = Ihdr(4, 3, 8, 2);
  auto idat = Idat(img);

  auto bad = MakePng(img, false, 0);
  bad[0] = 0x88;
  EXPECT_EQ(LoadError(bad), "Invalid Portable Graphics Network image, it has an invalid file header.");
  EXPECT_EQ(LoadError({0x89, 'P', 'N'}), "Invalid Portable Graphics Network image, it has an invalid file header.");

  auto crc = Signature();
  AppendChunk(crc, "IHDR", ihdr);
  AppendChunk(crc, "IDAT", idat, true);
  EXPECT_EQ(LoadError(crc), "Can't read the PNG image, it has corrupted data. ");
  // A corrupted byte in a chunk's data.
  auto flip = MakePng(img, false, 0);
  flip[8 + 8 + 5] ^= 0x40;
  EXPECT_EQ(LoadError(flip), "Can't read the PNG image, it has corrupted data. ");

  const std::string ihdrMsg =
      "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first chunk.";
  EXPECT_EQ(LoadError(FileOf({{"IDAT", idat}, {"IHDR", ihdr}, {"IEND", {}}})), ihdrMsg);
  EXPECT_EQ(LoadError(FileOf({{"IDAT", idat}, {"IEND", {}}})), ihdrMsg);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", std::vector<uint8_t>(ihdr.begin(), ihdr.begin() + 8)}, {"IDAT", idat}})),
            ihdrMsg);
  EXPECT_EQ(LoadError(Signature()), ihdrMsg);

  EXPECT_EQ(LoadError(FileOf({{"IHDR", ihdr}, {"IEND", {}}})),
            "The current image being loaded has no data and could not be loaded.");

  RawImage pal = RandomImage(4, 3, 3, 8, 1, 3);
  const std::string palMsg = "The current image being loaded has an invalid palette!";
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(4, 3, 8, 3)}, {"PLTE", {1, 2, 3, 4}}, {"IDAT", Idat(pal)}})), palMsg);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(4, 3, 8, 3)}, {"PLTE", TestPalette(257)}, {"IDAT", Idat(pal)}})), palMsg);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(4, 3, 8, 3)}, {"IDAT", Idat(pal)}})),
            "The current image requeries a palette but it is not avaliable.");

  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(4, 3, 8, 5)}, {"IDAT", idat}})),
            "Could not read the image because it has an unknown color type.");
  for (auto [type, depth] : {std::pair{2, 4}, {3, 16}, {0, 3}, {6, 1}, {4, 2}})
    EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(4, 3, depth, type)}, {"PLTE", TestPalette(2)}, {"IDAT", idat}})),
              "The image has a bit depth that its color type does not allow.")
        << type << "/" << depth;

  auto rawBadFilter = RawData(img, false, 0);
  rawBadFilter[0] = 5;
  EXPECT_EQ(LoadError(FileOf({{"IHDR", ihdr}, {"IDAT", Deflate(rawBadFilter)}})),
            "The image could not be loaded because it uses an unknown set of filter types.");
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(4, 3, 8, 2, 2)}, {"IDAT", idat}})),
            "The image has an unknown interlace method.");
  EXPECT_EQ(LoadError(FileOf({{"IHDR", ihdr}, {"ABCD", {1}}, {"IDAT", idat}})),
            "The currently being loaded image contains critical(s) chunk(s) not reconized by the decoder.");

  const std::string sizeMsg = "The image has an invalid size or is too large to be loaded.";
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(0, 3, 8, 2)}, {"IDAT", idat}})), sizeMsg);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(4, 0, 8, 2)}, {"IDAT", idat}})), sizeMsg);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(0x7FFFFFFF, 0x7FFFFFFF, 8, 2)}, {"IDAT", idat}})), sizeMsg);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(20000, 20000, 8, 2)}, {"IDAT", idat}})), sizeMsg);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", Ihdr(0xFFFFFFFF, 1, 1, 0)}, {"IDAT", idat}})), sizeMsg);

  // Image data that end early, and data that are not zlib at all.
  auto raw = RawData(img, false, 0);
  raw.resize(raw.size() - 3);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", ihdr}, {"IDAT", Deflate(raw)}})), "The image data end before the last row.");
  auto cut = idat;
  cut.resize(cut.size() / 2);
  EXPECT_EQ(LoadError(FileOf({{"IHDR", ihdr}, {"IDAT", cut}})), "The image data end before the last row.");
  EXPECT_EQ(LoadError(FileOf({{"IHDR", ihdr}, {"IDAT", {1, 2, 3, 4, 5, 6}}})), "zlib: data error");
  // A stream that asks for a preset dictionary.
  EXPECT_EQ(LoadError(FileOf({{"IHDR", ihdr}, {"IDAT", {0x78, 0xBB, 0, 0, 0, 1, 0, 0}}})), "zlib: need dictionary");
}

TEST(PNGImage, ChunkLengthsAreCheckedAgainstTheBytesLeft)
{
  RawImage img = RandomImage(4, 3, 2, 8, 1);
  for (uint32_t length : {0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu, 1000u}) {
    auto f = Signature();
    AppendChunk(f, "IHDR", Ihdr(4, 3, 8, 2));
    Put32(f, length);
    f.insert(f.end(), {'I', 'D', 'A', 'T', 1, 2, 3, 4, 5, 6, 7, 8});
    EXPECT_EQ(LoadError(f), "Can't read the PNG image, it has corrupted data. ") << length;
  }
  // A chunk cut inside its header, before the image data.
  auto f = MakePng(img, false, 0, {{"tEXt", {'a', 0, 'b'}}});
  f.resize(33 + 6);
  EXPECT_EQ(LoadError(f), "Can't read the PNG image, it has corrupted data. ");
  // A file cut anywhere after its image data shows the whole picture, as one without its
  // end chunk does; cut inside the image data it is refused, never shown half wrong.
  auto whole = MakePng(img, false, 0, {}, true);
  const size_t idatEnd = whole.size() - 12;
  for (size_t size = 8; size < whole.size(); ++size) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(size));
    SCOPED_TRACE(size);
    if (size < idatEnd) {
      EXPECT_NE(LoadError(cut), "no error");
      continue;
    }
    TPNGImage png;
    Load(png, cut);
    ExpectPixels(png, img, {});
  }
  // What follows the image data still has its CRC checked when it is all there.
  auto bad = MakePng(img, false, 0);
  bad.insert(bad.end() - 12, {0, 0, 0, 1, 't', 'E', 'X', 't', 'x', 0, 0, 0, 0});
  EXPECT_EQ(LoadError(bad), "Can't read the PNG image, it has corrupted data. ");
}

TEST(PNGImage, ChunkListErrors)
{
  TPNGImage png;
  EXPECT_EQ(png.Chunks().Count(), 3);
  try {
    png.Chunks().Item(3);
    FAIL();
  } catch (const EPNGImageException& e) {
    EXPECT_EQ(e.Message, Heading + "The chunk index especified is out of the range.");
  }
  TPNGImage other;
  try {
    png.Chunks().Remove(other.Chunks().Item(0));
    FAIL();
  } catch (const EPNGImageException& e) {
    EXPECT_EQ(e.Message, Heading + "The especified chunk is not inside the chunk list containing the method being "
                                   "used. The funcion could not be completed.");
  }
  try {
    ChunkClassType(ChunkClassCount());
    FAIL();
  } catch (const EPNGImageException& e) {
    EXPECT_EQ(e.Message, Heading + "The chunk class index especified is  out of range.");
  }
  try {
    png.GetTRNSColor();
    FAIL();
  } catch (const EPNGImageException& e) {
    EXPECT_EQ(e.Message, Heading + "Can not get transparency information because the current image color type is "
                                   "not RGB (value 3)");
  }
}

TEST(PNGImage, WriterRoundTrips)
{
  for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf24bit,
                         TPixelFormat::pf32bit}) {
    TPNGImage src;
    static_cast<TBitmap&>(src) = TBitmap(23, 9, f);
    if (PixelFormatBits(f) <= 8) {
      TPalette p;
      for (int i = 0; i < (1 << PixelFormatBits(f)); ++i)
        p.Entries.push_back(TRGBQuad{Byte(i * 3), Byte(255 - i), Byte(i * 7), 0});
      src.SetPalette(p);
    }
    Rng rng{uint32_t(f)};
    for (int y = 0; y < 9; ++y)
      for (size_t x = 0; x < src.Stride(); ++x)
        src.ScanLine(y)[x] = uint8_t(rng.Next() >> 24 & (x % 3 ? 0xFF : 0x0F));
    for (uint8_t filters : {uint8_t(FILTERNONE), uint8_t(31), uint8_t(FILTERNONE | FILTERPAETH)}) {
      src.Filters = filters;
      TByteStream out;
      src.SaveToStream(out);
      TPNGImage back;
      out.SetPosition(0);
      back.LoadFromStream(out);
      ASSERT_EQ(back.Width(), 23);
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x)
          ASSERT_EQ(back.GetPixel(x, y), src.GetPixel(x, y)) << int(f) << " at " << x << "," << y;
    }
  }
}

// The writer makes the image data anew, so of the chunks it does not know only those safe to
// copy (a lower-case fourth letter) go out; the ones that are not, which describe the old
// pixels, are left behind. Chunks that stood after the image data stay after them.
TEST(PNGImage, WriterKeepsTransparencyAndOnlyTheChunksSafeToCopy)
{
  TPNGImage src;
  static_cast<TBitmap&>(src) = TBitmap(4, 4, TPixelFormat::pf24bit);
  src.Fill(RGBColor(1, 2, 3));
  src.SetPixel(1, 1, RGBColor(200, 100, 50));
  src.SetTransparentColor(RGBColor(200, 100, 50));
  src.SetTransparent(true);
  auto add = [&](const char(&type)[5], std::vector<uint8_t> data) {
    auto c = src.Chunks().CreateChunk(ChunkTypeOf(type));
    c->Data = std::move(data);
    src.Chunks().Add(std::move(c));
  };
  add("tEXt", {'K', 'e', 'y', 0, 'v'});
  add("prVt", {1});   // unknown, safe to copy
  add("prVT", {2});   // unknown, not safe to copy
  add("bKGD", {0, 1, 0, 2, 0, 3});
  add("tIME", {7, 220, 1, 1, 0, 0, 0});
  TByteStream out;
  src.SaveToStream(out);
  TPNGImage back;
  out.SetPosition(0);
  back.LoadFromStream(out);
  EXPECT_TRUE(back.Transparent());
  EXPECT_EQ(back.TransparentColor(), RGBColor(200, 100, 50));
  EXPECT_EQ(back.TransparencyMask()->GetPixel(1, 1), clWhite);
  std::string order;
  for (int i = 0; i < back.Chunks().Count(); ++i)
    order += ChunkTypeName(back.Chunks().Item(i)->ChunkType) + " ";
  EXPECT_EQ(order, "IHDR tRNS IDAT tEXt prVt IEND ");
  ASSERT_NE(back.Chunks().FindChunk<TChunkTEXT>(), nullptr);
  EXPECT_EQ(back.Chunks().FindChunk<TChunkTEXT>()->Data, (std::vector<uint8_t>{'K', 'e', 'y', 0, 'v'}));
}

// The writer picks per row the filter whose output has the most bytes equal to the four before.
TEST(PNGImage, WriterFilterChoice)
{
  TPNGImage src;
  static_cast<TBitmap&>(src) = TBitmap(16, 3, TPixelFormat::pf8bit);
  TPalette p;
  p.Entries.resize(256);
  src.SetPalette(p);
  for (int x = 0; x < 16; ++x) {
    src.ScanLine(0)[x] = uint8_t(x * 5);            // a ramp: sub makes it constant
    src.ScanLine(1)[x] = uint8_t(x * 5 + 9);        // the ramp shifted: up makes it constant
    src.ScanLine(2)[x] = uint8_t((x * 97) % 251);   // noise: nothing scores, none is used
  }
  src.Filters = 31;
  TByteStream out;
  src.SaveToStream(out);
  TPNGImage back;
  out.SetPosition(0);
  back.LoadFromStream(out);
  const auto& data = back.Chunks().FindChunk<TChunkIDAT>()->Data;
  std::vector<uint8_t> raw(3 * 17);
  uLongf size = uLongf(raw.size());
  ASSERT_EQ(uncompress(raw.data(), &size, data.data(), uLong(data.size())), Z_OK);
  EXPECT_EQ(raw[0], 1);
  EXPECT_EQ(raw[17], 2);
  EXPECT_EQ(raw[34], 0);
}

TEST(ZlibStreams, StreamsRoundTripAndRefuseWrongOperations)
{
  std::vector<uint8_t> data(300000);
  Rng rng(3);
  for (auto& b : data)
    b = uint8_t(rng.Next() % 7);
  TByteStream packed;
  {
    TZCompressionStream z(packed, TZCompressionLevel::zcMax);
    z.WriteBuffer(data.data(), data.size());
    EXPECT_EQ(z.Seek(0, TSeekOrigin::soCurrent), int64_t(data.size()));
    EXPECT_THROW(z.Read(data.data(), 1), EZCompressionError);
    EXPECT_THROW(z.Seek(1, TSeekOrigin::soBeginning), EZCompressionError);
  }
  packed.SetPosition(0);
  TZDecompressionStream u(packed);
  std::vector<uint8_t> back(data.size() + 10);
  EXPECT_EQ(u.Read(back.data(), back.size()), data.size());
  back.resize(data.size());
  EXPECT_EQ(back, data);
  EXPECT_THROW(u.Write(data.data(), 1), EZDecompressionError);
  try {
    u.Seek(5, TSeekOrigin::soEnd);
  } catch (const EZDecompressionError& e) {
    EXPECT_EQ(e.Message, "Invalid ZStream operation!");
  }
  // Restart, then skip forward.
  u.Seek(0, TSeekOrigin::soBeginning);
  u.Seek(1000, TSeekOrigin::soCurrent);
  uint8_t b = 0;
  EXPECT_EQ(u.Read(&b, 1), 1u);
  EXPECT_EQ(b, data[1000]);
}

TEST(PNGImage, AssignCopiesChunksFiltersAndPixels)
{
  RawImage img = RandomImage(7, 5, 2, 8, 12);
  std::vector<uint8_t> g;
  Put32(g, 45455);
  TPNGImage src;
  Load(src, MakePng(img, true, -1, {{"gAMA", g}, {"zzZz", {9}}}));
  src.Filters = FILTERNONE | FILTERUP;
  TPNGImage copy;
  copy.Assign(src);
  EXPECT_EQ(copy.Chunks().Count(), src.Chunks().Count());
  EXPECT_NE(copy.Chunks().FindChunk<TChunkGAMA>(), nullptr);
  EXPECT_EQ(copy.Chunks().Item(2)->ChunkType, ChunkTypeOf("zzZz"));
  EXPECT_EQ(copy.Chunks().Item(2)->Owner(), &copy.Chunks());
  EXPECT_EQ(copy.Filters, FILTERNONE | FILTERUP);
  EXPECT_TRUE(copy.Interlaced);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      ASSERT_EQ(copy.GetPixel(x, y), src.GetPixel(x, y));
  // The writer always writes non-interlaced data, and the gamma survives the round trip.
  TByteStream out;
  copy.SaveToStream(out);
  EXPECT_FALSE(copy.Interlaced);
  TPNGImage back;
  out.SetPosition(0);
  back.LoadFromStream(out);
  EXPECT_FALSE(back.Interlaced);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      ASSERT_EQ(back.GetPixel(x, y), src.GetPixel(x, y));
}

// 16-bit colour samples keep their high bytes whatever the gamma; 8-bit ones go through it.
TEST(PNGImage, GammaAppliesToEightBitColourSamplesOnly)
{
  std::vector<uint8_t> g;
  Put32(g, 50000);
  for (int type : {2, 6}) {
    SCOPED_TRACE(type);
    RawImage img16 = RandomImage(5, 3, type, 16, 9);
    img16.Samples[1][0] = 0x80FF;   // red 0x80 in the high byte, a low byte that must not count
    img16.Samples[1][1] = 0x4001;
    img16.Samples[1][2] = 0xC0AA;
    TPNGImage png16;
    Load(png16, MakePng(img16, false, 0, {{"gAMA", g}}));
    EXPECT_EQ(png16.GetPixel(0, 1), RGBColor(0x80, 0x40, 0xC0));
    for (uint32_t y = 0; y < 3; ++y)
      for (uint32_t x = 0; x < 5; ++x) {
        const auto& s = img16.Samples[y];
        const size_t c = size_t(x) * (type == 6 ? 4 : 3);
        ASSERT_EQ(png16.GetPixel(int(x), int(y)), RGBColor(s[c] >> 8, s[c + 1] >> 8, s[c + 2] >> 8)) << x << "," << y;
      }
    RawImage img8 = RandomImage(5, 3, type, 8, 9);
    img8.Samples[1][0] = 0x80;
    TPNGImage png8;
    Load(png8, MakePng(img8, false, 0, {{"gAMA", g}}));
    EXPECT_EQ(GetRValue(png8.GetPixel(0, 1)), int(std::lround(255 * std::pow(128 / 255.0, 1 / 1.1))));
  }
}

// Saving and loading again gives every pixel back: palette, grey and truecolour pictures at
// their depths, with and without a gamma (the reader applies the gamma again, so the writer
// must not write the corrected samples under it).
TEST(PNGImage, RoundTripKeepsEveryPixelWithAndWithoutGamma)
{
  const std::vector<uint8_t>* none = nullptr;
  std::vector<uint8_t> g45, g100, g220;
  Put32(g45, 45455);
  Put32(g100, 100000);
  Put32(g220, 220000);
  const std::vector<std::pair<int, int>> kinds = {{3, 1}, {3, 2},  {3, 4}, {3, 8}, {0, 1},  {0, 2}, {0, 4},
                                                  {0, 8}, {0, 16}, {4, 8}, {2, 8}, {2, 16}, {6, 8}, {6, 16}};
  for (auto [type, depth] : kinds)
    for (const std::vector<uint8_t>* gamma :
         {none, static_cast<const std::vector<uint8_t>*>(&g45), static_cast<const std::vector<uint8_t>*>(&g100),
          static_cast<const std::vector<uint8_t>*>(&g220)}) {
      SCOPED_TRACE(testing::Message() << "type " << type << " depth " << depth << " gamma "
                                      << (gamma ? (uint32_t(gamma->at(0)) << 24 | uint32_t(gamma->at(1)) << 16
                                                   | uint32_t(gamma->at(2)) << 8 | gamma->at(3))
                                                : 0u));
      RawImage img = RandomImage(9, 6, type, depth, uint32_t(type * 100 + depth));
      std::vector<Chunk> extra;
      if (gamma)
        extra.push_back({"gAMA", *gamma});
      if (type == 3)
        extra.push_back({"PLTE", TestPalette(1 << depth)});
      TPNGImage first;
      Load(first, MakePng(img, false, 0, extra));
      TByteStream out;
      first.SaveToStream(out);
      TPNGImage again;
      out.SetPosition(0);
      again.LoadFromStream(out);
      ASSERT_EQ(again.Width(), first.Width());
      ASSERT_EQ(again.Height(), first.Height());
      for (int y = 0; y < first.Height(); ++y)
        for (int x = 0; x < first.Width(); ++x)
          ASSERT_EQ(again.GetPixel(x, y), first.GetPixel(x, y)) << x << "," << y;
      // A second round changes nothing more.
      TByteStream out2;
      again.SaveToStream(out2);
      TPNGImage third;
      out2.SetPosition(0);
      third.LoadFromStream(out2);
      for (int y = 0; y < first.Height(); ++y)
        for (int x = 0; x < first.Width(); ++x)
          ASSERT_EQ(third.GetPixel(x, y), first.GetPixel(x, y)) << x << "," << y;
    }
}

// The transparent colour of an RGB picture with a gamma survives a save and reload too.
TEST(PNGImage, RoundTripKeepsTheTransparentColourUnderGamma)
{
  std::vector<uint8_t> g;
  Put32(g, 100000);   // corrects by 1 / 2.2
  RawImage img = RandomImage(4, 4, 2, 8, 3);
  img.Samples[1][3] = 10;
  img.Samples[1][4] = 200;
  img.Samples[1][5] = 90;
  TPNGImage first;
  Load(first, MakePng(img, false, 0, {{"gAMA", g}, {"tRNS", {0, 10, 0, 200, 0, 90}}}));
  ASSERT_TRUE(first.Transparent());
  TByteStream out;
  first.SaveToStream(out);
  TPNGImage again;
  out.SetPosition(0);
  again.LoadFromStream(out);
  ASSERT_TRUE(again.Transparent());
  EXPECT_EQ(again.TransparentColor(), first.TransparentColor());
  EXPECT_EQ(again.GetPixel(1, 1), first.GetPixel(1, 1));
  ASSERT_NE(again.TransparencyMask(), nullptr);
  EXPECT_EQ(again.TransparencyMask()->GetPixel(1, 1), clWhite);
}

// Adam7 on pictures of 1x1 to 8x8: the passes that hold no pixel are absent from the data,
// short passes end inside a byte, and every pixel and its transparency lands where it was.
TEST(PNGImage, TinyInterlacedPicturesOfEveryKindAndSize)
{
  const std::pair<int, int> kinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                                       {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  for (auto [type, depth] : kinds)
    for (uint32_t w = 1; w <= 8; ++w)
      for (uint32_t h = 1; h <= 8; ++h) {
        SCOPED_TRACE(testing::Message() << "type " << type << " depth " << depth << " size " << w << "x" << h);
        RawImage img = RandomImage(w, h, type, depth, w * 17 + h * 3 + uint32_t(type * 100 + depth));
        std::vector<Chunk> extra;
        std::vector<uint8_t> plte;
        if (type == 3) {
          plte = TestPalette(1 << depth);
          extra.push_back({"PLTE", plte});
          extra.push_back({"tRNS", {255, 0}});   // entry 1 transparent
        } else if (type == 2) {
          // The colour of the last pixel is the transparent one.
          const uint16_t* s = &img.Samples[h - 1][(w - 1) * 3];
          std::vector<uint8_t> t;
          for (int c = 0; c < 3; ++c)
            t.insert(t.end(), {uint8_t(s[c] >> 8), uint8_t(s[c])});
          extra.push_back({"tRNS", t});
        }
        TPNGImage png;
        Load(png, MakePng(img, true, -1, extra));
        ExpectPixels(png, img, plte);
        if (type != 2 && type != 3) {
          EXPECT_EQ(png.TransparencyMask(), nullptr);
          continue;
        }
        const TBitmap* mask = png.TransparencyMask();
        const uint16_t* last = &img.Samples[h - 1][(w - 1) * 3];
        for (uint32_t y = 0; y < h; ++y)
          for (uint32_t x = 0; x < w; ++x) {
            const uint16_t* s = &img.Samples[y][x * uint32_t(img.Channels)];
            bool clear = type == 3 ? s[0] == 1 : (s[0] == last[0] && s[1] == last[1] && s[2] == last[2]);
            TColor want = clear ? clWhite : clBlack;
            TColor got = mask ? mask->GetPixel(int(x), int(y)) : clBlack;
            ASSERT_EQ(got, want) << "mask at " << x << "," << y;
          }
      }
}
