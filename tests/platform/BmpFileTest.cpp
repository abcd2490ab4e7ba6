#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/BmpFile.h"

namespace {

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
  v[at] = uint8_t(x);
  v[at + 1] = uint8_t(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
  Put16(v, at, x & 0xFFFF);
  Put16(v, at + 2, x >> 16);
}

// A BMP with a 40-byte header; extra (masks, palette) and data follow in that order.
std::vector<uint8_t> MakeBmp(int32_t w, int32_t h, int bits, uint32_t compression, const std::vector<uint8_t>& extra,
                             const std::vector<uint8_t>& data, uint32_t clrUsed = 0)
{
  std::vector<uint8_t> v(54, 0);
  v[0] = 'B';
  v[1] = 'M';
  Put32(v, 10, uint32_t(54 + extra.size()));
  Put32(v, 14, 40);
  Put32(v, 18, uint32_t(w));
  Put32(v, 22, uint32_t(h));
  Put16(v, 26, 1);
  Put16(v, 28, uint32_t(bits));
  Put32(v, 30, compression);
  Put32(v, 34, uint32_t(data.size()));
  Put32(v, 46, clrUsed);
  v.insert(v.end(), extra.begin(), extra.end());
  v.insert(v.end(), data.begin(), data.end());
  Put32(v, 2, uint32_t(v.size()));
  return v;
}

std::vector<uint8_t> Palette(std::initializer_list<TColor> colours)
{
  std::vector<uint8_t> p;
  for (TColor c : colours) {
    p.push_back(uint8_t(GetBValue(c)));
    p.push_back(uint8_t(GetGValue(c)));
    p.push_back(uint8_t(GetRValue(c)));
    p.push_back(0);
  }
  return p;
}

TBitmap Load(const std::vector<uint8_t>& bytes)
{
  TBitmap b;
  LoadBmpFromBytes(b, bytes);
  return b;
}

void ExpectInvalid(const std::vector<uint8_t>& bytes, const char* what)
{
  TBitmap b(3, 3);
  b.SetPixel(1, 1, clLime);
  try {
    LoadBmpFromBytes(b, bytes);
    ADD_FAILURE() << "accepted: " << what;
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "Bitmap image is not valid") << what;
  }
  EXPECT_EQ(b.Width(), 3) << what;   // left as it was
  EXPECT_EQ(b.GetPixel(1, 1), clLime) << what;
}

TBitmap Pattern(int w, int h, TPixelFormat format)
{
  TBitmap b(w, h, format);
  if (PixelFormatBits(format) <= 8) {
    TPalette p;
    int n = 1 << PixelFormatBits(format);
    for (int i = 0; i < n; ++i)
      p.Entries.push_back({Byte(i * 37), Byte(255 - i * 11), Byte(i * 5), 0});
    b.SetPalette(p);
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, RGBColor(x * 19 + y * 7, 255 - x * 13, y * 29));
  return b;
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b)
{
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      ASSERT_EQ(a.GetPixel(x, y), b.GetPixel(x, y)) << x << "," << y;
}

}   // namespace

TEST(BmpFile, EveryFormatRoundTrips)
{
  for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit, TPixelFormat::pf15bit,
                         TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
    SCOPED_TRACE(PixelFormatBits(f));
    TBitmap source = Pattern(13, 7, f);   // odd width: rows need padding
    std::vector<uint8_t> bytes = SaveBmpToBytes(source);
    TBitmap back = Load(bytes);
    EXPECT_EQ(back.PixelFormat(), f);
    EXPECT_EQ(back.Palette().Entries, source.Palette().Entries);
    ExpectSamePixels(source, back);
  }
  // Indexed bitmaps without a palette keep their look.
  TBitmap mono(9, 2, TPixelFormat::pf1bit);
  mono.SetPixel(3, 1, clWhite);
  ExpectSamePixels(mono, Load(SaveBmpToBytes(mono)));
  EXPECT_THROW(SaveBmpToBytes(TBitmap()), EInvalidGraphic);
}

TEST(BmpFile, TopDownAndOldHeaders)
{
  TBitmap source = Pattern(5, 4, TPixelFormat::pf24bit);
  std::vector<uint8_t> bytes = SaveBmpToBytes(source);
  // Negative height: the same rows stored top row first.
  std::vector<uint8_t> topDown = bytes;
  Put32(topDown, 22, uint32_t(-4));
  size_t stride = 16;
  for (int y = 0; y < 4; ++y)
    std::memcpy(topDown.data() + 54 + y * stride, bytes.data() + 54 + (3 - y) * stride, stride);
  ExpectSamePixels(source, Load(topDown));

  // The old 12-byte header with a three-byte palette.
  std::vector<uint8_t> os2 = {'B',  'M', 0, 0, 0,    0, 0, 0, 0, 0, 32, 0, 0,   0,           12,  0,
                              0,    0,   2, 0, 2,    0, 1, 0, 1, 0, 0,  0, 255, /* red */ 0, 255, 0 /* green */,
                              0x40, 0,   0, 0, 0x80, 0, 0, 0};
  TBitmap b = Load(os2);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(b.GetPixel(0, 1), clRed);   // bottom row first: 0 1
  EXPECT_EQ(b.GetPixel(1, 1), clLime);
  EXPECT_EQ(b.GetPixel(0, 0), clLime);   // top row: 1 0
  EXPECT_EQ(b.GetPixel(1, 0), clRed);
}

TEST(BmpFile, RunLengthEncodings)
{
  // RLE8, 4 x 3, bottom-up: a run, a literal, a delta and the end marks.
  std::vector<uint8_t> rle8 = {3, 1,               // row 0: 1 1 1
                               0, 0,               // end of line
                               0, 3, 2, 1, 2, 0,   // row 1: literal 2 1 2 (padded)
                               0, 2, 1, 1,         // delta: x + 1, row + 1 -> row 2, x 4 ...
                               0, 1};
  // After the literal x is 3; the delta moves to x 4 of row 2, then the picture ends.
  TBitmap b = Load(MakeBmp(4, 3, 8, 1, Palette({clBlack, clRed, clBlue}), rle8, 3));
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf8bit);
  EXPECT_EQ(b.GetPixel(0, 2), clRed);
  EXPECT_EQ(b.GetPixel(2, 2), clRed);
  EXPECT_EQ(b.GetPixel(3, 2), clBlack);
  EXPECT_EQ(b.GetPixel(0, 1), clBlue);
  EXPECT_EQ(b.GetPixel(1, 1), clRed);
  EXPECT_EQ(b.GetPixel(2, 1), clBlue);
  EXPECT_EQ(b.GetPixel(0, 0), clBlack);   // skipped by the delta

  // RLE4: a run alternates the two nibbles; a literal lists them.
  std::vector<uint8_t> rle4 = {5, 0x12, 0, 0, 0, 3, 0x21, 0x20, 0, 1};
  TBitmap c = Load(MakeBmp(5, 2, 4, 2, Palette({clBlack, clRed, clBlue}), rle4, 3));
  EXPECT_EQ(c.PixelFormat(), TPixelFormat::pf4bit);
  for (int x = 0; x < 5; ++x)
    EXPECT_EQ(c.GetPixel(x, 1), x % 2 ? clBlue : clRed);
  EXPECT_EQ(c.GetPixel(0, 0), clBlue);
  EXPECT_EQ(c.GetPixel(1, 0), clRed);
  EXPECT_EQ(c.GetPixel(2, 0), clBlue);
  EXPECT_EQ(c.GetPixel(3, 0), clBlack);

  // Bad runs: past the row, a literal past the data, a delta out of the picture, too many
  // lines, data that stops early, and a top-down RLE picture.
  auto pal = Palette({clBlack, clRed});
  ExpectInvalid(MakeBmp(4, 2, 8, 1, pal, {5, 1, 0, 1}, 2), "run past the row");
  ExpectInvalid(MakeBmp(4, 2, 8, 1, pal, {0, 4, 1, 1}, 2), "literal past the data");
  ExpectInvalid(MakeBmp(4, 2, 8, 1, pal, {0, 2, 9, 0, 0, 1}, 2), "delta out of the row");
  ExpectInvalid(MakeBmp(4, 2, 8, 1, pal, {0, 2, 0, 5, 0, 1}, 2), "delta below the picture");
  ExpectInvalid(MakeBmp(4, 2, 8, 1, pal, {0, 0, 0, 0, 0, 0, 1, 1}, 2), "too many lines");
  ExpectInvalid(MakeBmp(4, 2, 8, 1, pal, {4, 1}, 2), "stops early");
  ExpectInvalid(MakeBmp(4, -2, 8, 1, pal, {0, 1}, 2), "top-down RLE");
  ExpectInvalid(MakeBmp(5, 1, 4, 2, pal, {6, 0x11, 0, 1}, 2), "RLE4 run past the row");
}

TEST(BmpFile, BitFieldMasks)
{
  auto masks = [](uint32_t r, uint32_t g, uint32_t b) {
    std::vector<uint8_t> m(12);
    Put32(m, 0, r);
    Put32(m, 4, g);
    Put32(m, 8, b);
    return m;
  };
  // 32 bits with red in the low byte: converted.
  TBitmap a = Load(MakeBmp(1, 1, 32, 3, masks(0xFF, 0xFF00, 0xFF0000), {0x10, 0x20, 0x30, 0}));
  EXPECT_EQ(a.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(a.GetPixel(0, 0), RGBColor(0x10, 0x20, 0x30));
  // 16 bits 5-6-5 and 5-5-5 keep their format; 4-4-4 becomes 24 bits.
  TBitmap b = Load(MakeBmp(1, 1, 16, 3, masks(0xF800, 0x07E0, 0x001F), {0x00, 0xF8, 0, 0}));
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf16bit);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  TBitmap c = Load(MakeBmp(1, 1, 16, 3, masks(0x7C00, 0x03E0, 0x001F), {0x1F, 0x00, 0, 0}));
  EXPECT_EQ(c.PixelFormat(), TPixelFormat::pf15bit);
  EXPECT_EQ(c.GetPixel(0, 0), clBlue);
  TBitmap d = Load(MakeBmp(1, 1, 16, 3, masks(0x0F00, 0x00F0, 0x000F), {0xF0, 0x0F, 0, 0}));
  EXPECT_EQ(d.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(d.GetPixel(0, 0), RGBColor(255, 255, 0));
  ExpectInvalid(MakeBmp(1, 1, 32, 3, masks(0xF0F0, 0xFF00, 0xFF), {0, 0, 0, 0}), "mask with a gap");
  ExpectInvalid(MakeBmp(1, 1, 16, 3, masks(0xF0000, 0xF0, 0xF), {0, 0, 0, 0}), "mask wider than the pixel");
  ExpectInvalid(MakeBmp(1, 1, 24, 3, masks(0xFF, 0xFF00, 0xFF0000), {0, 0, 0, 0}), "bit fields on 24 bits");
}

TEST(BmpFile, MalformedHeadersAndData)
{
  std::vector<uint8_t> good = SaveBmpToBytes(Pattern(6, 5, TPixelFormat::pf8bit));
  ASSERT_NO_THROW(Load(good));

  // Every truncation fails; only the last row's padding may be missing.
  for (size_t n = 0; n + 2 < good.size(); ++n)
    ExpectInvalid(std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(n)), "truncated");
  EXPECT_NO_THROW(Load(std::vector<uint8_t>(good.begin(), good.end() - 2)));

  auto patched = [&](size_t at, uint32_t v, int width = 4) {
    std::vector<uint8_t> b = good;
    if (width == 2)
      Put16(b, at, v);
    else
      Put32(b, at, v);
    return b;
  };
  ExpectInvalid(patched(0, 'X' | ('M' << 8), 2), "signature");
  ExpectInvalid(patched(10, uint32_t(good.size() + 1)), "offset past the end");
  ExpectInvalid(patched(10, 20), "offset inside the header");
  ExpectInvalid(patched(10, uint32_t(good.size() - 10)), "offset leaves too little data");
  ExpectInvalid(patched(14, 30), "header size");
  ExpectInvalid(patched(14, 0xFFFFFFF0u), "header size past the end");
  ExpectInvalid(patched(18, 0), "zero width");
  ExpectInvalid(patched(18, uint32_t(-6)), "negative width");
  ExpectInvalid(patched(22, 0x80000000u), "smallest height");
  ExpectInvalid(patched(18, 1000000), "huge width");
  ExpectInvalid(patched(18, 30000), "large width without the data");
  ExpectInvalid(patched(26, 2, 2), "planes");
  ExpectInvalid(patched(28, 7, 2), "bit count");
  ExpectInvalid(patched(30, 4), "embedded JPEG");
  ExpectInvalid(patched(46, 1000), "palette count");

  // A header naming fewer colours than the format holds is fine; indices past them read
  // as something, never out of bounds.
  std::vector<uint8_t> few = MakeBmp(2, 1, 8, 0, Palette({clRed}), {0, 200, 0, 0}, 1);
  TBitmap b = Load(few);
  EXPECT_EQ(b.Palette().Entries.size(), 1u);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  b.GetPixel(1, 0);
}

TEST(BmpFile, Files)
{
  std::string name = std::string(ORRELO_TEST_OUTPUT) + "/bmp_round_trip.bmp";
  TBitmap source = Pattern(8, 8, TPixelFormat::pf4bit);
  SaveBmpToFile(source, name);
  TBitmap back;
  LoadBmpFromFile(back, name);
  ExpectSamePixels(source, back);
  EXPECT_THROW(LoadBmpFromFile(back, name + ".missing"), EFOpenError);
}
