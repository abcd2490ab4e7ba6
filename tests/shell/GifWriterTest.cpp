// The content tools' GIF writer, read back with the viewer's own GIF decoder.
#include "tools/common/GifWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "html/HTMLStreams.h"
#include "html/GifDecoder.h"

namespace {

std::vector<uint8_t> Indices(size_t n, int colours, uint32_t seed, int runEvery)
{
  std::vector<uint8_t> v(n);
  uint32_t x = seed;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1664525u + 1013904223u;
    v[i] = (runEvery > 0 && i > 0 && (x >> 28) % uint32_t(runEvery) == 0) ? v[i - 1]
                                                                          : uint8_t((x >> 16) % uint32_t(colours));
  }
  return v;
}

void Decode(TGif& gif, const std::vector<uint8_t>& bytes)
{
  TByteStream s(bytes);
  gif.LoadFromStream(s);
}

TColor DecodedColour(const TGif& gif, int x, int y)
{
  const TGifImageDescriptor& image = gif.Image(0);
  const int index = image.Pixels[size_t(y) * size_t(image.Width) + size_t(x)];
  return gif.ColorTables()[size_t(gif.GlobalTableIndex)].Colors[size_t(index)];
}

}   // namespace

TEST(GifWriterTest, IndicesSurviveTheRoundTripAtEveryPaletteSize)
{
  // Sizes on both sides of each power of two, noisy data (the table fills and is cleared
  // several times) and long runs (the codes grow long before the table fills).
  for (int colours : {1, 2, 3, 4, 5, 16, 17, 128, 129, 255, 256})
    for (int runEvery : {0, 2, 30}) {
      SCOPED_TRACE(testing::Message() << colours << " colours, runs " << runEvery);
      TGifPicture pic;
      pic.Width = 233;
      pic.Height = 97;
      for (int i = 0; i < colours; ++i)
        pic.Palette.push_back(RGBColor(i, 255 - i, (i * 37) & 255));
      pic.Indices =
          Indices(size_t(pic.Width) * size_t(pic.Height), colours, uint32_t(colours * 7 + runEvery), runEvery);
      TGif gif;
      ASSERT_NO_THROW(Decode(gif, SaveGifToBytes(pic)));
      ASSERT_EQ(gif.ImageCount(), 1);
      EXPECT_EQ(gif.Width(), pic.Width);
      EXPECT_EQ(gif.Height(), pic.Height);
      EXPECT_FALSE(gif.IsTransparent());
      ASSERT_EQ(gif.Image(0).Pixels, pic.Indices);
      for (int i = 0; i < colours; ++i)
        ASSERT_EQ(gif.ColorTables()[size_t(gif.GlobalTableIndex)].Colors[size_t(i)], pic.Palette[size_t(i)]);
    }
}

TEST(GifWriterTest, TheLongestCodesAndATableThatFillsExactly)
{
  // Every pair of two colours once, then repeated strings: the table reaches 4096 entries
  // and the coder must clear at the right moment, with the codes at 12 bits.
  TGifPicture pic;
  pic.Width = 4096;
  pic.Height = 6;
  pic.Palette = {clBlack, clWhite};
  for (int i = 0; i < pic.Width * pic.Height; ++i)
    pic.Indices.push_back(uint8_t((i / (1 + (i % 7))) & 1));
  TGif gif;
  ASSERT_NO_THROW(Decode(gif, SaveGifToBytes(pic)));
  EXPECT_EQ(gif.Image(0).Pixels, pic.Indices);
  // An empty stream of indices is still a valid code stream: clear and end, 3 bits each.
  EXPECT_EQ(GifLzwEncode({}, 2), std::vector<uint8_t>({4 | (5 << 3)}));
}

TEST(GifWriterTest, BitmapsWithFewColoursKeepThemExactlyAndMarkTheKeyTransparent)
{
  TBitmap bmp(40, 30);
  const TColor key = RGBColor(255, 0, 255);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      bmp.SetPixel(x, y, x < 5 ? key : RGBColor(x * 6, (y % 4) * 60, 0));
  const TGifPicture pic = GifPictureFromBitmap(bmp, key);
  ASSERT_LE(pic.Palette.size(), 256u);
  ASSERT_GE(pic.TransparentIndex, 0);
  EXPECT_EQ(pic.Palette[size_t(pic.TransparentIndex)], key);
  TGif gif;
  ASSERT_NO_THROW(Decode(gif, SaveGifToBytes(pic)));
  EXPECT_TRUE(gif.IsTransparent());
  EXPECT_EQ(gif.TransparentIndex(0), pic.TransparentIndex);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(DecodedColour(gif, x, y), bmp.GetPixel(x, y)) << x << "," << y;
  // The same bitmap gives the same file.
  EXPECT_EQ(SaveGifToBytes(GifPictureFromBitmap(bmp, key)), SaveGifToBytes(pic));
}

TEST(GifWriterTest, BitmapsWithManyColoursComeCloseThroughTheColourCube)
{
  TBitmap bmp(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      bmp.SetPixel(x, y, RGBColor(x * 4, y * 4, (x * y) & 255));
  const TGifPicture pic = GifPictureFromBitmap(bmp);
  EXPECT_EQ(pic.TransparentIndex, -1);
  TGif gif;
  ASSERT_NO_THROW(Decode(gif, SaveGifToBytes(pic)));
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const TColor a = bmp.GetPixel(x, y), b = DecodedColour(gif, x, y);
      // Half a step of the cube at most: 255 / 5 / 2 for red and blue, 255 / 6 / 2 for green.
      ASSERT_LE(std::abs(GetRValue(a) - GetRValue(b)), 26) << x << "," << y;
      ASSERT_LE(std::abs(GetGValue(a) - GetGValue(b)), 22) << x << "," << y;
      ASSERT_LE(std::abs(GetBValue(a) - GetBValue(b)), 26) << x << "," << y;
    }
}

TEST(GifWriterTest, PicturesThatCannotBeWrittenAreRefused)
{
  TGifPicture pic;
  pic.Width = 2;
  pic.Height = 1;
  pic.Indices = {0, 1};
  EXPECT_THROW(SaveGifToBytes(pic), EInvalidGraphic);   // no palette
  pic.Palette = {clBlack};
  EXPECT_THROW(SaveGifToBytes(pic), EInvalidGraphic);   // index 1 outside it
  pic.Palette.push_back(clWhite);
  pic.Indices.pop_back();
  EXPECT_THROW(SaveGifToBytes(pic), EInvalidGraphic);   // fewer indices than pixels
  pic.Indices.push_back(1);
  EXPECT_NO_THROW(SaveGifToBytes(pic));
  pic.Palette.assign(257, clWhite);
  EXPECT_THROW(SaveGifToBytes(pic), EInvalidGraphic);
}
