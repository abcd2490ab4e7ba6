#include "shell/DibPrinting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Files.h"
#include "shell/PrintHelpers.h"
#include "tests/shell/PrintTestSupport.h"

namespace {

TColor Pattern(int x, int y) { return RGBColor(x * 6, y * 8, (x * 3 + y * 5) & 0xFF); }

TBitmap PatternBitmap(int w, int h)
{
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, Pattern(x, y));
  return b;
}

struct TDib {
  std::vector<uint8_t> Header, Bits;
  Integer Width = 0, Height = 0;
};

TDib DibOf(const TBitmap& b)
{
  TDib d;
  EXPECT_TRUE(LoadDIBFromBitmap(b, d.Header, d.Bits, d.Width, d.Height));
  return d;
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
  for (int i = 0; i < 4; ++i)
    v[at + i] = uint8_t(x >> (8 * i));
}

// An info header with a grey table of entries colours.
std::vector<uint8_t> InfoHeader(int32_t w, int32_t h, uint16_t bits, uint32_t compression, uint32_t imageSize,
                                int entries)
{
  std::vector<uint8_t> hd(40 + 4 * size_t(entries), 0);
  Put32(hd, 0, 40);
  Put32(hd, 4, uint32_t(w));
  Put32(hd, 8, uint32_t(h));
  hd[12] = 1;
  hd[14] = uint8_t(bits);
  Put32(hd, 16, compression);
  Put32(hd, 20, imageSize);
  Put32(hd, 32, uint32_t(entries));
  for (int i = 0; i < entries; ++i) {
    uint8_t g = uint8_t(entries > 1 ? i * 255 / (entries - 1) : 0);
    hd[40 + 4 * i] = g;
    hd[41 + 4 * i] = g;
    hd[42 + 4 * i] = g;
  }
  return hd;
}

Integer Print(TBitmapPrinterDC& dc, const TDib& d, TRect dest, TRect src, TRect clip,
              const TPrintDIBProgress& cb = nullptr, bool makePalette = false)
{
  return PrintDIB(&dc, dest.Left, dest.Top, dest.Width(), dest.Height(), src.Left, src.Top, src.Width(), src.Height(),
                  d.Header.data(), d.Header.size(), d.Bits.data(), d.Bits.size(), nullptr, false, makePalette,
                  clip.Left, clip.Top, clip.Right, clip.Bottom, cb);
}

TColor PagePixel(const TBitmapPrinterDC& dc, int x, int y) { return dc.Page.GetPixel(x, y) & 0xFFFFFF; }

}   // namespace

TEST(DibPrintingTest, PrintsThePictureAtItsSizeAndScaled)
{
  TScreenSizeScope screen(64, 48);
  TDib d = DibOf(PatternBitmap(40, 30));
  TBitmapPrinterDC dc(300, 200);
  EXPECT_EQ(Print(dc, d, Bounds(10, 20, 40, 30), Bounds(0, 0, 40, 30), Rect(0, 0, 300, 200)), 1);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(PagePixel(dc, 10 + x, 20 + y), Pattern(x, y)) << x << "," << y;
  EXPECT_EQ(PagePixel(dc, 9, 20), clWhite);
  EXPECT_EQ(PagePixel(dc, 50, 20), clWhite);

  // Twice the size from a part of the picture: every source pixel becomes a 2 x 2 block.
  TBitmapPrinterDC big(300, 200);
  EXPECT_EQ(Print(big, d, Bounds(100, 0, 40, 50), Bounds(5, 3, 20, 25), Rect(0, 0, 300, 200)), 1);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(PagePixel(big, 100 + x, y), Pattern(5 + x / 2, 3 + y / 2)) << x << "," << y;
}

TEST(DibPrintingTest, TilesCoverTheClippedAreaInOrderWithProgress)
{
  TScreenSizeScope screen(64, 48);
  TDib d = DibOf(PatternBitmap(40, 30));
  TBitmapPrinterDC dc(400, 300);
  std::vector<std::pair<Integer, Integer>> calls;
  TRect dest = Bounds(0, 0, 400, 300);
  TRect clip = Rect(10, 5, 300, 200);   // 290 x 195: 5 columns and 5 rows of tiles
  Integer r = Print(dc, d, dest, Bounds(0, 0, 40, 30), clip, [&](Integer done, Integer total) {
    calls.emplace_back(done, total);
    return true;
  });
  EXPECT_EQ(r, 1);
  ASSERT_EQ(dc.Stretched.size(), 25u);
  ASSERT_EQ(calls.size(), 25u);
  for (size_t i = 0; i < calls.size(); ++i)
    EXPECT_EQ(calls[i], std::make_pair(Integer(i + 1), Integer(25)));
  EXPECT_EQ(dc.Stretched.front(), Rect(10, 5, 74, 53));
  EXPECT_EQ(dc.Stretched[1], Rect(74, 5, 138, 53));
  EXPECT_EQ(dc.Stretched.back(), Rect(266, 197, 300, 200));
  long area = 0;
  for (const TRect& t : dc.Stretched)
    area += long(t.Width()) * t.Height();
  EXPECT_EQ(area, 290L * 195);
  // Outside the clip nothing was drawn; inside, the tiles fit together seamlessly: the
  // picture is what one stretch of the whole would give.
  EXPECT_EQ(PagePixel(dc, 5, 100), clWhite);
  EXPECT_EQ(PagePixel(dc, 100, 250), clWhite);
  for (int y = 5; y < 200; y += 7)
    for (int x = 10; x < 300; x += 3)
      ASSERT_EQ(PagePixel(dc, x, y), Pattern(x * 40 / 400, y * 30 / 300)) << x << "," << y;
}

TEST(DibPrintingTest, NothingToPrintAndBadParameters)
{
  TScreenSizeScope screen(64, 48);
  TDib d = DibOf(PatternBitmap(40, 30));
  TBitmapPrinterDC dc(100, 100);
  TRect all = Rect(0, 0, 100, 100);
  // A clip rectangle that misses the destination, an empty destination or source.
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 40, 30), Bounds(0, 0, 40, 30), Rect(50, 50, 90, 90)), 0);
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 0, 30), Bounds(0, 0, 40, 30), all), 0);
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 40, -5), Bounds(0, 0, 40, 30), all), 0);
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 40, 30), Bounds(0, 0, 0, 30), all), 0);
  EXPECT_TRUE(dc.Stretched.empty());

  // A source one pixel wider or taller than the picture, or starting before it.
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 40, 30), Bounds(0, 0, 41, 30), all), BAD_PARAMETER);
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 40, 30), Bounds(1, 0, 40, 30), all), BAD_PARAMETER);
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 40, 30), Bounds(0, 1, 40, 30), all), BAD_PARAMETER);
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 40, 30), Bounds(-1, 0, 10, 10), all), BAD_PARAMETER);
  // No bits, too few bits, no device, a header that is not one.
  EXPECT_EQ(PrintDIB(&dc, 0, 0, 40, 30, 0, 0, 40, 30, d.Header.data(), d.Header.size(), nullptr, 0, nullptr, false,
                     false, 0, 0, 100, 100, nullptr),
            BAD_PARAMETER);
  EXPECT_EQ(PrintDIB(&dc, 0, 0, 40, 30, 0, 0, 40, 30, d.Header.data(), d.Header.size(), d.Bits.data(),
                     d.Bits.size() - 1, nullptr, false, false, 0, 0, 100, 100, nullptr),
            BAD_PARAMETER);
  EXPECT_EQ(PrintDIB(nullptr, 0, 0, 40, 30, 0, 0, 40, 30, d.Header.data(), d.Header.size(), d.Bits.data(),
                     d.Bits.size(), nullptr, false, false, 0, 0, 100, 100, nullptr),
            BAD_PARAMETER);
  for (auto damage : {+[](TDib& x) { Put32(x.Header, 0, 64); },   // unknown header size
                      +[](TDib& x) { x.Header[14] = 7; },         // 7 bits per pixel
                      +[](TDib& x) { Put32(x.Header, 4, 0); },    // no width
                      +[](TDib& x) { Put32(x.Header, 8, 0); },    // no height
                      +[](TDib& x) { Put32(x.Header, 16, 9); },   // unknown compression
                      +[](TDib& x) { x.Header.resize(20); }}) {   // cut short
    TDib bad = d;
    damage(bad);
    EXPECT_EQ(Print(dc, bad, Bounds(0, 0, 40, 30), Bounds(0, 0, 10, 10), all), BAD_PARAMETER);
  }
  EXPECT_TRUE(dc.Stretched.empty());
}

TEST(DibPrintingTest, CallbackStopsAfterExactlyOneTile)
{
  TScreenSizeScope screen(64, 48);
  TDib d = DibOf(PatternBitmap(40, 30));
  TBitmapPrinterDC dc(400, 300);
  int calls = 0;
  Integer r = Print(dc, d, Bounds(0, 0, 400, 300), Bounds(0, 0, 40, 30), Rect(0, 0, 400, 300),
                    [&](Integer, Integer) { return ++calls, false; });
  EXPECT_EQ(r, USER_ABORT_OR_OTHER_ERROR);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(dc.Stretched.size(), 1u);
}

TEST(DibPrintingTest, TopDownPrintsAsItsBottomUpTwin)
{
  TScreenSizeScope screen(64, 48);
  TDib up = DibOf(PatternBitmap(13, 9));
  ASSERT_GT(static_cast<int32_t>(up.Header[8] | up.Header[9] << 8), 0);
  // The twin: negative height, rows in the other order.
  TDib down = up;
  Put32(down.Header, 8, uint32_t(-9));
  size_t row = up.Bits.size() / 9;
  for (int y = 0; y < 9; ++y)
    std::memcpy(down.Bits.data() + y * row, up.Bits.data() + (8 - y) * row, row);
  TBitmapPrinterDC a(100, 100), b(100, 100);
  EXPECT_EQ(Print(a, up, Bounds(3, 4, 50, 33), Bounds(2, 1, 10, 7), Rect(0, 0, 100, 100)), 1);
  EXPECT_EQ(Print(b, down, Bounds(3, 4, 50, 33), Bounds(2, 1, 10, 7), Rect(0, 0, 100, 100)), 1);
  EXPECT_EQ(0, std::memcmp(a.Page.Bits(), b.Page.Bits(), a.Page.Stride() * 100));
  EXPECT_EQ(PagePixel(a, 3, 4), Pattern(2, 1));
}

TEST(DibPrintingTest, IndexedAndPackedPictures)
{
  TScreenSizeScope screen(64, 48);
  TBitmapPrinterDC dc(100, 100);
  TRect all = Rect(0, 0, 100, 100);
  // 4 x 2, 8 bits, grey ramp of 4: bottom row 0 1 2 3, top row 3 2 1 0.
  TDib eight;
  eight.Header = InfoHeader(4, 2, 8, BI_RGB, 0, 4);
  eight.Bits = {0, 1, 2, 3, 3, 2, 1, 0};
  EXPECT_EQ(Print(dc, eight, Bounds(0, 0, 4, 2), Bounds(0, 0, 4, 2), all), 1);
  EXPECT_EQ(PagePixel(dc, 0, 0), RGBColor(255, 255, 255));
  EXPECT_EQ(PagePixel(dc, 1, 0), RGBColor(170, 170, 170));
  EXPECT_EQ(PagePixel(dc, 0, 1), clBlack);
  EXPECT_EQ(PagePixel(dc, 3, 1), clWhite);

  // The same picture packed as RLE8: a run of two 0s is not it, a literal run is.
  TDib rle8;
  rle8.Bits = {0, 4, 0, 1, 2, 3, 0, 0, 1, 3, 1, 2, 1, 1, 1, 0, 0, 1};
  rle8.Header = InfoHeader(4, 2, 8, BI_RLE8, uint32_t(rle8.Bits.size()), 4);
  EXPECT_EQ(Print(dc, rle8, Bounds(10, 0, 4, 2), Bounds(0, 0, 4, 2), all), 1);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 2; ++y)
      EXPECT_EQ(PagePixel(dc, 10 + x, y), PagePixel(dc, x, y)) << x << "," << y;

  // RLE4: bottom row 0 1 2 3 as a literal run, top row 3 2 1 0 as two runs.
  TDib rle4;
  rle4.Bits = {0, 4, 0x01, 0x23, 0, 0, 2, 0x32, 2, 0x10, 0, 1};
  rle4.Header = InfoHeader(4, 2, 4, BI_RLE4, uint32_t(rle4.Bits.size()), 4);
  EXPECT_EQ(Print(dc, rle4, Bounds(20, 0, 4, 2), Bounds(0, 0, 4, 2), all), 1);
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 2; ++y)
      EXPECT_EQ(PagePixel(dc, 20 + x, y), PagePixel(dc, x, y)) << x << "," << y;

  // A packed picture without its size, or with data cut in the middle of a command.
  TDib noSize = rle4;
  Put32(noSize.Header, 20, 0);
  EXPECT_EQ(Print(dc, noSize, Bounds(0, 0, 4, 2), Bounds(0, 0, 4, 2), all), BAD_PARAMETER);
  TDib cut = rle8;
  cut.Bits = {0, 4, 0, 1};
  Put32(cut.Header, 20, 4);
  EXPECT_EQ(Print(dc, cut, Bounds(0, 0, 4, 2), Bounds(0, 0, 4, 2), all), MEMORY_READ_FAILED);

  // 1 bit: a black and white checker, 8 wide.
  TDib mono;
  mono.Header = InfoHeader(8, 2, 1, BI_RGB, 0, 2);
  mono.Bits = {0xAA, 0, 0, 0, 0x55, 0, 0, 0};
  EXPECT_EQ(Print(dc, mono, Bounds(0, 10, 8, 2), Bounds(0, 0, 8, 2), all), 1);
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(PagePixel(dc, x, 10), (x & 1) ? clWhite : clBlack) << x;
    EXPECT_EQ(PagePixel(dc, x, 11), (x & 1) ? clBlack : clWhite) << x;
  }
}

TEST(DibPrintingTest, DecodeRLEKeepsInsideItsRows)
{
  std::vector<uint8_t> rows;
  // A run longer than the row and a move far beyond the picture: nothing written outside.
  const uint8_t data[] = {200, 7, 0, 2, 250, 250, 3, 9};
  ASSERT_TRUE(DecodeRLE(data, sizeof data, BI_RLE8, 5, 2, rows));
  ASSERT_EQ(rows.size(), 16u);
  EXPECT_EQ(rows[0], 7);
  EXPECT_EQ(rows[4], 7);
  EXPECT_EQ(rows[5], 0);   // padding untouched
  EXPECT_EQ(rows[8], 0);
  const uint8_t literalCut[] = {0, 5, 1, 2};
  EXPECT_FALSE(DecodeRLE(literalCut, sizeof literalCut, BI_RLE8, 5, 2, rows));
  const uint8_t deltaCut[] = {0, 2, 1};
  EXPECT_FALSE(DecodeRLE(deltaCut, sizeof deltaCut, BI_RLE4, 5, 2, rows));
  EXPECT_FALSE(DecodeRLE(data, sizeof data, BI_RGB, 5, 2, rows));
}

TEST(DibPrintingTest, SmallBitmapDriversGetShortTiles)
{
  TScreenSizeScope screen(1024, 768);
  TDib d = DibOf(PatternBitmap(40, 30));
  TBitmapPrinterDC dc(100, 100);
  dc.RasterCaps = RC_BITBLT | RC_STRETCHDIB;
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 100, 100), Bounds(0, 0, 40, 30), Rect(0, 0, 100, 100)), 1);
  // 65503 / (24 x 1024 / 8) = 21 rows a tile.
  ASSERT_EQ(dc.Stretched.size(), 5u);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(dc.Stretched[i].Height(), 21) << i;
  EXPECT_EQ(dc.Stretched[4].Height(), 16);

  // A screen so wide that not even one row fits below 64 KB still prints row by row.
  TScreenSizeScope wide(30000, 10);
  TBitmapPrinterDC narrow(10, 5);
  narrow.RasterCaps = RC_BITBLT;
  EXPECT_EQ(Print(narrow, d, Bounds(0, 0, 10, 5), Bounds(0, 0, 40, 30), Rect(0, 0, 10, 5)), 1);
  EXPECT_EQ(narrow.Stretched.size(), 5u);
}

TEST(DibPrintingTest, RefusedStretchFallsBackForTheRestOfThePicture)
{
  TScreenSizeScope screen(64, 48);
  TDib d = DibOf(PatternBitmap(40, 30));
  TBitmapPrinterDC dc(200, 100);
  dc.RefuseStretch = true;
  EXPECT_EQ(Print(dc, d, Bounds(0, 0, 200, 100), Bounds(0, 0, 40, 30), Rect(0, 0, 200, 100)), 1);
  EXPECT_EQ(dc.Stretched.size(), 1u);   // asked once only
  EXPECT_EQ(dc.Blitted.size(), 12u);    // 4 columns x 3 rows
  EXPECT_EQ(PagePixel(dc, 199, 99), Pattern(39, 29));
  EXPECT_EQ(PagePixel(dc, 0, 0), Pattern(0, 0));

  TBitmapPrinterDC broken(200, 100);
  broken.RefuseStretch = broken.RefuseBlt = true;
  EXPECT_EQ(Print(broken, d, Bounds(0, 0, 200, 100), Bounds(0, 0, 40, 30), Rect(0, 0, 200, 100)),
            USER_ABORT_OR_OTHER_ERROR);
  EXPECT_EQ(broken.Blitted.size(), 1u);
}

TEST(DibPrintingTest, PaletteDevicesGetThePictureOwnPaletteAndTheOldOneBack)
{
  TScreenSizeScope screen(64, 48);
  TDib eight;
  eight.Header = InfoHeader(4, 2, 8, BI_RGB, 0, 4);
  eight.Bits = {0, 1, 2, 3, 3, 2, 1, 0};
  TBitmapPrinterDC colour(10, 10);
  EXPECT_EQ(Print(colour, eight, Bounds(0, 0, 4, 2), Bounds(0, 0, 4, 2), Rect(0, 0, 10, 10), nullptr, true), 1);
  EXPECT_TRUE(colour.Selected.empty());

  TBitmapPrinterDC paletted(10, 10);
  paletted.BitsPixel = 8;
  paletted.RasterCaps |= RC_PALETTE;
  EXPECT_TRUE(IsPaletteDevice(&paletted));
  EXPECT_FALSE(IsPaletteDevice(nullptr));
  EXPECT_EQ(Print(paletted, eight, Bounds(0, 0, 4, 2), Bounds(0, 0, 4, 2), Rect(0, 0, 10, 10), nullptr, true), 1);
  ASSERT_EQ(paletted.Selected.size(), 2u);
  EXPECT_EQ(paletted.SelectedSizes[0], 4);
  EXPECT_EQ(paletted.Selected[1], nullptr);

  // Restored even when the job stops early.
  TBitmapPrinterDC stopped(10, 10);
  stopped.BitsPixel = 8;
  stopped.RasterCaps |= RC_PALETTE;
  TPalette given;
  given.Entries.resize(2);
  EXPECT_EQ(PrintDIB(&stopped, 0, 0, 4, 2, 0, 0, 4, 2, eight.Header.data(), eight.Header.size(), eight.Bits.data(),
                     eight.Bits.size(), &given, false, false, 0, 0, 10, 10, [](Integer, Integer) { return false; }),
            USER_ABORT_OR_OTHER_ERROR);
  ASSERT_EQ(stopped.Selected.size(), 2u);
  EXPECT_EQ(stopped.Selected[0], &given);
  EXPECT_EQ(stopped.Selected[1], nullptr);
}

TEST(DibPrintingTest, PrintsOnAPdfPrinter)
{
  TScreenSizeScope screen(256, 256);
  std::string file = std::string(ORRELO_TEST_OUTPUT) + "/prndib.pdf";
  TPrinter printer;
  printer.SetOutputFileName(file);
  printer.SetResolution(72);
  printer.Title = "Orrelo picture";
  printer.BeginDoc();
  TDib d = DibOf(PatternBitmap(40, 30));
  TPrinterDC* dc = printer.Handle();
  Integer w = printer.PageWidth(), h = printer.PageHeight();
  ASSERT_GT(w, 300);
  ASSERT_GT(h, 300);
  int tiles = 0, total = 0;
  Integer r = PrintDIB(dc, 0, 0, 400, 300, 0, 0, 40, 30, d.Header.data(), d.Header.size(), d.Bits.data(), d.Bits.size(),
                       nullptr, false, true, 0, 0, w, h, [&](Integer done, Integer all) {
                         tiles = done;
                         total = all;
                         return true;
                       });
  EXPECT_EQ(r, 1);
  EXPECT_EQ(tiles, 4);   // 400 x 300 in tiles of 256 x 256
  EXPECT_EQ(total, 4);
  EXPECT_EQ(PrintDIB(dc, 0, 0, 400, 300, 0, 0, 41, 30, d.Header.data(), d.Header.size(), d.Bits.data(), d.Bits.size(),
                     nullptr, false, true, 0, 0, w, h, nullptr),
            BAD_PARAMETER);
  printer.EndDoc();
  std::vector<uint8_t> bytes = ReadFileBytes(file, 1 << 24);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "%PDF");
}
