#include "html/Dither.h"

#include <gtest/gtest.h>

#include <set>

#include "html/Pictures.h"

namespace {

TPalette BlackWhite()
{
  TPalette p;
  p.Entries = {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
  return p;
}

struct ColorBitsGuard {
  explicit ColorBitsGuard(int bits) { SetColorBits(bits); }
  ~ColorBitsGuard() { SetColorBits(24); }
};

}   // namespace

TEST(Dither, WebPaletteAndNetscapeLookup)
{
  TPalette web = WebPalette();
  ASSERT_EQ(web.Entries.size(), 216u);
  EXPECT_EQ(web.Entries[180], (TRGBQuad{0, 0, 255, 0}));
  EXPECT_EQ(web.Entries[1 * 36 + 2 * 6 + 3], (TRGBQuad{153, 102, 51, 0}));
  TNetscapeColorLookup look;
  int r, g, b;
  EXPECT_EQ(look.Lookup(255, 0, 0, r, g, b), 180);
  EXPECT_EQ(RGBColor(r, g, b), RGBColor(255, 0, 0));
  EXPECT_EQ(look.Lookup(24, 25, 48, r, g, b), 0 * 36 + 0 * 6 + 1);   // (c + 3) div 51
  EXPECT_EQ(b, 51);
}

TEST(Dither, FastLookupTakesTheFirstNearestByChannelSum)
{
  TPalette p;
  p.Entries = {TRGBQuad{0, 0, 10, 0}, TRGBQuad{10, 0, 0, 0}, TRGBQuad{200, 200, 200, 0}};
  TFastColorLookup look(p);
  int r, g, b;
  // (5, 0, 5) is 10 away from both first entries: the first wins.
  EXPECT_EQ(look.Lookup(5, 0, 5, r, g, b), 0);
  EXPECT_EQ(RGBColor(r, g, b), RGBColor(10, 0, 0));
  EXPECT_EQ(look.Lookup(190, 190, 190, r, g, b), 2);
  // Cached by 5 bits per channel: a colour in the same cell gives the same answer.
  EXPECT_EQ(look.Lookup(191, 188, 184, r, g, b), 2);
  // Palette colours sharing a cell: each colour of the cell finds its own nearest, however
  // often and in whatever order it is asked (the answers are kept colour by colour).
  TPalette near;
  near.Entries = {TRGBQuad{248, 248, 248, 0}, TRGBQuad{255, 248, 248, 0}, TRGBQuad{248, 255, 248, 0}};
  TFastColorLookup cell(near);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(cell.Lookup(248, 248, 254, r, g, b), 1);
    EXPECT_EQ(cell.Lookup(248, 254, 248, r, g, b), 2);
    EXPECT_EQ(cell.Lookup(249, 249, 249, r, g, b), 0);
  }
}

// Grey 100 on black and white, worked out by hand: row 0 left to right gives black (error
// +100), white (wanted 100 + 708/16 = 144, error -111), black (wanted 100 - 769/16 = 52);
// row 1 right to left starts from the errors left below: 109 black, 129 white, 56 black.
TEST(Dither, FloydSteinbergByHand)
{
  TBitmap src(3, 2, TPixelFormat::pf24bit);
  src.Fill(RGBColor(100, 100, 100));
  TFastColorLookup look(BlackWhite());
  TFloydSteinbergEngine engine(3, look);
  int r, g, b;
  std::vector<int> got;
  std::vector<int> columns;
  for (int row = 0; row < 2; ++row) {
    while (engine.Column >= 0 && engine.Column < 3) {
      columns.push_back(engine.Column);
      got.push_back(engine.Dither(100, 100, 100, r, g, b));
    }
    engine.NextLine();
  }
  EXPECT_EQ(columns, (std::vector<int>{0, 1, 2, 2, 1, 0}));
  EXPECT_EQ(got, (std::vector<int>{0, 1, 0, 0, 1, 0}));
}

TEST(Dither, ReduceColorsWritesIndicesThroughTheEngine)
{
  TBitmap src(3, 2, TPixelFormat::pf24bit);
  src.Fill(RGBColor(100, 100, 100));
  // The 20-colour palette holds no grey 100: nearest is (128,128,128), entry 12.
  auto nearest = ReduceColors(src, rmWindows20, dmNearest);
  ASSERT_EQ(nearest->PixelFormat(), TPixelFormat::pf8bit);
  EXPECT_EQ(nearest->Palette().Entries.size(), 20u);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(nearest->ScanLine(y)[x], 12);
  auto none = ReduceColors(src, rmNone, dmNearest);
  EXPECT_EQ(none->PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(none->GetPixel(2, 1), RGBColor(100, 100, 100));
  auto web = ReduceColors(src, rmNetscape, dmFloydSteinberg);
  EXPECT_EQ(web->Palette().Entries.size(), 216u);
}

TEST(Dither, QuantizingFewColoursKeepsThemExactly)
{
  const TColor colours[] = {RGBColor(40, 2, 3), RGBColor(250, 10, 10), RGBColor(10, 250, 10), RGBColor(77, 77, 200),
                            RGBColor(255, 255, 255)};
  TBitmap src(10, 5, TPixelFormat::pf24bit);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x)
      src.SetPixel(x, y, colours[(x + y) % 5]);
  TPalette p = CreateOptimizedPaletteFromBitmap(src, 256, 8, false);
  std::set<TColor> got;
  for (auto& e : p.Entries)
    got.insert(RGBColor(e.rgbRed, e.rgbGreen, e.rgbBlue));
  EXPECT_EQ(got, std::set<TColor>(std::begin(colours), std::end(colours)));

  auto reduced = ReduceColors(src, rmQuantize, dmFloydSteinberg);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(reduced->GetPixel(x, y), colours[(x + y) % 5]);
  EXPECT_EQ(reduced->Palette().Entries[0], (TRGBQuad{0, 0, 0, 0}));
  EXPECT_EQ(reduced->Palette().Entries[255], (TRGBQuad{255, 255, 255, 0}));
}

TEST(Dither, OctreeReducesToTheLimit)
{
  TBitmap src(64, 64, TPixelFormat::pf24bit);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      src.SetPixel(x, y, RGBColor(x * 4, y * 4, (x * y) & 255));
  for (int limit : {8, 16, 100}) {
    TPalette p = CreateOptimizedPaletteFromBitmap(src, limit, 8, false);
    EXPECT_LE(int(p.Entries.size()), limit);
    EXPECT_GT(int(p.Entries.size()), limit / 2);
  }
}

TEST(Dither, DitherBitmapFollowsTheScreenDepth)
{
  TBitmap photo(40, 30, TPixelFormat::pf24bit);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      photo.SetPixel(x, y, RGBColor(x * 6, y * 8, 128));
  {
    ColorBitsGuard g(4);
    auto d = DitherBitmap(&photo);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Palette().Entries.size(), 20u);
    std::set<int> used;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x)
        used.insert(d->ScanLine(y)[x]);
    EXPECT_GT(used.size(), 3u);   // diffusion mixes several of the standard colours
  }
  {
    ColorBitsGuard g(8);
    auto d = DitherBitmap(&photo);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Palette().Entries, ThePalette()->Entries);
  }
  EXPECT_EQ(DitherBitmap(nullptr), nullptr);
  TBitmap empty;
  EXPECT_EQ(DitherBitmap(&empty), nullptr);
}

TEST(Dither, RowAccessErrors)
{
  TBitmap b(2, 2, TPixelFormat::pf24bit);
  try {
    TDIBWriter w(b, TPixelFormat::pf16bit, 2, 2, {});
    FAIL();
  } catch (const GIFException& e) {
    EXPECT_EQ(e.Message, "Invalid pixel format");
  }
  TDIBWriter w(b, TPixelFormat::pf8bit, 2, 2, {});
  try {
    w.ScanLine(2);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "Scan line index out of range");
  }
  TDIBReader r(b, TPixelFormat::pf24bit);
  EXPECT_THROW(r.ScanLine(-1), EInvalidGraphic);
}

// Palette colours that share a 5-bit cell (the 8-bit palette's greys 250 and 255, 145 and
// 150, 128 and 135) must each come back as themselves, and a colour between them goes to
// the nearer one.
TEST(Dither, PaletteColoursCloseTogetherKeepTheirOwnEntries)
{
  TPalette p;
  p.Entries = {TRGBQuad{0, 0, 0, 0},    TRGBQuad{250, 250, 250, 0}, TRGBQuad{255, 255, 255, 0},
               TRGBQuad{0, 0, 200, 0},  TRGBQuad{0, 0, 200, 0},     TRGBQuad{100, 100, 100, 0},
               TRGBQuad{96, 96, 96, 0}, TRGBQuad{100, 100, 97, 0}};
  TFastColorLookup look(p);
  int r, g, b;
  for (int pass = 0; pass < 2; ++pass) {   // the second time through whatever was cached
    EXPECT_EQ(look.Lookup(255, 255, 255, r, g, b), 2);
    EXPECT_EQ(RGBColor(r, g, b), clWhite);
    EXPECT_EQ(look.Lookup(250, 250, 250, r, g, b), 1);
    EXPECT_EQ(look.Lookup(254, 253, 254, r, g, b), 2);
    EXPECT_EQ(look.Lookup(249, 251, 250, r, g, b), 1);
    // A colour given twice is still one colour: its cell is answered by the first.
    EXPECT_EQ(look.Lookup(200, 0, 0, r, g, b), 3);
    EXPECT_EQ(look.Lookup(203, 1, 2, r, g, b), 3);
    // A third colour in a shared cell does not take the cell over.
    EXPECT_EQ(look.Lookup(100, 100, 100, r, g, b), 5);
    EXPECT_EQ(look.Lookup(96, 96, 96, r, g, b), 6);
    EXPECT_EQ(look.Lookup(97, 100, 100, r, g, b), 7);
  }

  // On an 8-bit screen white, mid grey and the palette's greys come through exactly, so a
  // white picture matches a white page instead of turning light grey.
  ColorBitsGuard guard(8);
  const TColor colours[] = {clWhite,
                            RGBColor(128, 128, 128),
                            RGBColor(150, 150, 150),
                            RGBColor(160, 160, 160),
                            RGBColor(195, 195, 195),
                            RGBColor(245, 245, 245),
                            clBlack};
  TBitmap src(int(std::size(colours)), 3, TPixelFormat::pf24bit);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < src.Width(); ++x)
      src.SetPixel(x, y, colours[x]);
  for (TDitherMode mode : {dmNearest, dmFloydSteinberg}) {
    auto out = ReduceColors(src, rmMyPalette, mode);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < src.Width(); ++x)
        EXPECT_EQ(out->GetPixel(x, y), colours[x]) << "mode " << int(mode) << " at " << x << "," << y;
  }
}
