#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/Files.h"
#include "platform/JpegImage.h"

namespace {

// Smooth colours with a few flat blocks: what a model snapshot looks like to the encoder.
TBitmap TestPicture(int w, int h, TPixelFormat format = TPixelFormat::pf24bit)
{
  TBitmap b(w, h, TPixelFormat::pf24bit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, RGBColor(x * 255 / w, y * 255 / h, 128));
  for (int y = 8; y < 24; ++y)
    for (int x = 8; x < 24; ++x)
      b.SetPixel(x, y, clRed);
  if (format != TPixelFormat::pf24bit)
    b.SetPixelFormat(format);
  return b;
}

int ChannelDiff(TColor a, TColor b)
{
  return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                   std::abs(GetBValue(a) - GetBValue(b))});
}

double MeanDiff(const TBitmap& a, const TBitmap& b)
{
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      sum += ChannelDiff(a.GetPixel(x, y), b.GetPixel(x, y));
  return sum / (a.Width() * a.Height());
}

std::vector<uint8_t> Encode(const TBitmap& b, int quality = 90)
{
  TJPEGImage jpeg;
  jpeg.SetCompressionQuality(quality);
  jpeg.Assign(b);
  return jpeg.SaveToBytes();
}

// A one-component JPEG, written with libjpeg directly (our encoder always writes colour).
std::vector<uint8_t> EncodeGrey(int w, int h)
{
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 1;
  c.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      row[x] = static_cast<uint8_t>(x * 255 / w);
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

void ExpectInvalid(const std::vector<uint8_t>& bytes, const std::string& fragment)
{
  TJPEGImage jpeg;
  try {
    jpeg.LoadFromBytes(bytes);
    jpeg.Bitmap();
    FAIL() << "no error for " << fragment;
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(e.Message.find(fragment), std::string::npos) << e.Message;
  }
  EXPECT_TRUE(jpeg.Empty() || jpeg.Width() > 0);
}

}   // namespace

TEST(JpegImage, RoundTripKeepsSizeAndColours)
{
  TBitmap source = TestPicture(64, 48);
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(Encode(source, 95));
  EXPECT_EQ(jpeg.Width(), 64);
  EXPECT_EQ(jpeg.Height(), 48);
  EXPECT_FALSE(jpeg.Grayscale());
  const TBitmap& b = jpeg.Bitmap();
  ASSERT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
  ASSERT_EQ(b.Width(), 64);
  ASSERT_EQ(b.Height(), 48);
  EXPECT_LT(MeanDiff(source, b), 4.0);
  EXPECT_LE(ChannelDiff(b.GetPixel(15, 15), clRed), 12);
}

TEST(JpegImage, QualityTradesSizeForFidelity)
{
  TBitmap source = TestPicture(96, 96);
  std::vector<uint8_t> low = Encode(source, 5), high = Encode(source, 100);
  EXPECT_LT(low.size(), high.size());
  TJPEGImage a, b;
  a.LoadFromBytes(low);
  b.LoadFromBytes(high);
  EXPECT_GT(MeanDiff(source, a.Bitmap()), MeanDiff(source, b.Bitmap()));

  TJPEGImage clamp;
  clamp.SetCompressionQuality(0);
  EXPECT_EQ(clamp.CompressionQuality(), 1);
  clamp.SetCompressionQuality(1000);
  EXPECT_EQ(clamp.CompressionQuality(), 100);
  EXPECT_EQ(TJPEGImage().CompressionQuality(), TJPEGImage::DefaultQuality);
}

TEST(JpegImage, EncodesEveryBitmapFormat)
{
  for (TPixelFormat f : {TPixelFormat::pf32bit, TPixelFormat::pf16bit, TPixelFormat::pf8bit, TPixelFormat::pf1bit}) {
    TBitmap source =
        TestPicture(40, 30, f == TPixelFormat::pf8bit || f == TPixelFormat::pf1bit ? TPixelFormat::pf24bit : f);
    if (f == TPixelFormat::pf8bit || f == TPixelFormat::pf1bit) {
      TPalette p;
      p.Entries = {{0, 0, 0, 0}, {255, 255, 255, 0}, {0, 0, 255, 0}};
      source.SetPixelFormat(f);
      source.SetPalette(p);
    }
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(Encode(source, 100));
    EXPECT_LT(MeanDiff(source, jpeg.Bitmap()), 8.0) << PixelFormatBits(f);
  }
  TJPEGImage empty;
  EXPECT_THROW(empty.Assign(TBitmap()), EInvalidGraphic);
  EXPECT_THROW(empty.SaveToBytes(), EInvalidGraphic);
}

TEST(JpegImage, SavesAndLoadsFiles)
{
  std::string name = std::string(ORRELO_TEST_OUTPUT) + "/jpeg_round_trip.jpg";
  TJPEGImage out;
  out.Assign(TestPicture(50, 20));
  out.SaveToFile(name);
  TJPEGImage in;
  in.LoadFromFile(name);
  EXPECT_EQ(in.Width(), 50);
  EXPECT_EQ(in.Height(), 20);
  // A loaded picture saves its bytes unchanged.
  EXPECT_EQ(in.SaveToBytes(), ReadFileBytes(name, 1 << 20));
  EXPECT_THROW(in.LoadFromFile(std::string(ORRELO_TEST_OUTPUT) + "/no such.jpg"), EFOpenError);
  EXPECT_THROW(out.SaveToFile(std::string(ORRELO_TEST_OUTPUT) + "/no/such/folder/x.jpg"), EFCreateError);
}

TEST(JpegImage, EightBitOutput)
{
  // Grey pictures get a grey ramp.
  TJPEGImage grey;
  grey.LoadFromBytes(EncodeGrey(64, 8));
  EXPECT_TRUE(grey.Grayscale());
  grey.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
  const TBitmap& g = grey.Bitmap();
  ASSERT_EQ(g.PixelFormat(), TPixelFormat::pf8bit);
  ASSERT_EQ(g.Palette().Entries.size(), 256u);
  EXPECT_EQ(g.Palette().Entries[77], (TRGBQuad{77, 77, 77, 0}));
  EXPECT_LE(ChannelDiff(g.GetPixel(32, 4), RGBColor(127, 127, 127)), 6);
  // ... and grey pixels in 24 bits too.
  grey.SetPixelFormat(TJPEGPixelFormat::jf24Bit);
  EXPECT_EQ(grey.Bitmap().PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_LE(ChannelDiff(grey.Bitmap().GetPixel(32, 4), RGBColor(127, 127, 127)), 6);

  // Colour pictures are quantised by the library...
  TBitmap source = TestPicture(64, 48);
  TJPEGImage colour;
  colour.LoadFromBytes(Encode(source, 95));
  colour.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
  const TBitmap& q = colour.Bitmap();
  ASSERT_EQ(q.PixelFormat(), TPixelFormat::pf8bit);
  EXPECT_GT(q.Palette().Entries.size(), 16u);
  EXPECT_LE(q.Palette().Entries.size(), 256u);
  EXPECT_LT(MeanDiff(source, q), 10.0);

  // ... or mapped to the palette the caller gives.
  TPalette eight;
  for (int i = 0; i < 8; ++i)
    eight.Entries.push_back({Byte(i & 4 ? 255 : 0), Byte(i & 2 ? 255 : 0), Byte(i & 1 ? 255 : 0), 0});
  colour.SetQuantizePalette(eight);
  const TBitmap& m = colour.Bitmap();
  EXPECT_EQ(m.Palette().Entries, eight.Entries);
  EXPECT_EQ(m.GetPixel(15, 15), clRed);
  for (int y = 0; y < m.Height(); ++y)
    for (int x = 0; x < m.Width(); ++x)
      ASSERT_LT(m.ScanLine(y)[x], 8);
}

TEST(JpegImage, MalformedDataRaisesInvalidGraphic)
{
  ExpectInvalid({}, "empty");
  ExpectInvalid({'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, "JPEG error #");
  ExpectInvalid({0xFF, 0xD8, 0xFF}, "JPEG error #");

  // A header that claims a picture beyond the caps is refused before decoding.
  std::vector<uint8_t> good = Encode(TestPicture(16, 16));
  std::vector<uint8_t> huge = good;
  for (size_t i = 0; i + 9 < huge.size(); ++i)
    if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {   // start of frame: height and width follow
      huge[i + 5] = 0xF0;
      huge[i + 7] = 0xF0;
      break;
    }
  ExpectInvalid(huge, "size");

  // Every truncation either fails cleanly or decodes to the header's size.
  for (size_t n = 1; n < good.size(); n += 7) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    TJPEGImage jpeg;
    try {
      jpeg.LoadFromBytes(cut);
      const TBitmap& b = jpeg.Bitmap();
      EXPECT_EQ(b.Width(), 16);
      EXPECT_EQ(b.Height(), 16);
    } catch (const EInvalidGraphic&) {}
  }
  // Scrambled bytes after the header likewise.
  for (size_t at = 2; at < good.size(); at += 5) {
    std::vector<uint8_t> bad = good;
    bad[at] ^= 0x5A;
    TJPEGImage jpeg;
    try {
      jpeg.LoadFromBytes(bad);
      jpeg.SetPixelFormat(at % 2 ? TJPEGPixelFormat::jf8Bit : TJPEGPixelFormat::jf24Bit);
      jpeg.Bitmap();
    } catch (const EInvalidGraphic&) {}
  }
}
