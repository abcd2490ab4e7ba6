#include <gtest/gtest.h>

#include "html/GifAnimation.h"
#include "html/GifDecoder.h"
#include "tests/html/GifTestUtil.h"
#include "tests/html/PNGTestUtil.h"

using namespace giftest;

namespace {

std::vector<uint8_t> RandomIndices(size_t n, int colors, uint32_t seed, bool runs = true)
{
  pngtest::Rng rng(seed);
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) {
    uint32_t r = rng.Next();
    v[i] = (runs && i > 0 && (r & 3) == 0) ? v[i - 1] : uint8_t((r >> 8) % uint32_t(colors));
  }
  return v;
}

TColor Table(int i)
{
  uint8_t r, g, b;
  TableColor(i, r, g, b);
  return RGBColor(r, g, b);
}

void LoadGif(TGif& gif, const std::vector<uint8_t>& bytes)
{
  TByteStream s(bytes);
  gif.LoadFromStream(s);
}

std::string GifError(const std::vector<uint8_t>& bytes)
{
  TGif gif;
  try {
    LoadGif(gif, bytes);
    std::unique_ptr<TBitmap> mask;
    gif.GetStripBitmap(mask);
  } catch (const EInvalidGraphic& e) {
    return e.Message;
  }
  return "no error";
}

}   // namespace

TEST(GifDecoder, LzwRoundTripsAtEveryCodeSize)
{
  for (int minSize = 2; minSize <= 8; ++minSize)
    for (bool defer : {false, true})
      for (bool runs : {false, true}) {
        const int w = 157, h = 61;   // enough codes to fill the 4096-entry table
        auto idx = RandomIndices(size_t(w * h), 1 << minSize, uint32_t(minSize * 10 + defer), runs);
        GifBuilder b(w, h);
        b.Out.clear();
        GifBuilder g(w, h, 8);
        g.Out.push_back(0x2C);
        Put16(g.Out, 0);
        Put16(g.Out, 0);
        Put16(g.Out, w);
        Put16(g.Out, h);
        g.Out.push_back(0);
        g.Out.push_back(uint8_t(minSize));
        SubBlocks(g.Out, LzwEncode(idx, minSize, defer));
        TGif gif;
        LoadGif(gif, g.Finish());
        ASSERT_EQ(gif.Image(0).Pixels, idx) << "code size " << minSize << " defer " << defer;
      }
}

TEST(GifDecoder, StripHoldsTableColours)
{
  auto idx = RandomIndices(20 * 10, 256, 4);
  GifBuilder b(20, 10);
  b.Image(0, 0, 20, 10, idx);
  TGif gif;
  LoadGif(gif, b.Finish());
  std::unique_ptr<TBitmap> mask;
  auto strip = gif.GetStripBitmap(mask);
  EXPECT_EQ(mask, nullptr);
  ASSERT_EQ(strip->Width(), 20);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(strip->GetPixel(x, y), Table(idx[size_t(y * 20 + x)]));
  EXPECT_EQ(gif.LoopCount(), -1);
  EXPECT_EQ(gif.ImageDelay(0), 1);
  EXPECT_EQ(gif.ImageDisposal(0), 0);
  EXPECT_EQ(gif.TransparentIndex(0), -1);
  EXPECT_FALSE(gif.IsTransparent());
}

TEST(GifDecoder, InterlacedRowsLandInPlaceForEveryHeight)
{
  // Runs make long strings, which end inside a row, at its end or past it.
  for (bool runs : {false, true})
    for (int w : {3, 37})
      for (int h = 1; h <= 17; ++h) {
        auto idx = RandomIndices(size_t(w * h), 16, uint32_t(h + w), runs);
        GifBuilder b(w, h, 4);
        b.Image(0, 0, w, h, InterlaceOrder(idx, w, h), 4, true);
        TGif gif;
        LoadGif(gif, b.Finish());
        EXPECT_EQ(gif.Image(0).Pixels, idx) << "width " << w << " height " << h << " runs " << runs;
      }
}

TEST(GifDecoder, LzwEdgeCases)
{
  // Clear codes in a row, a code equal to the next free code (the KwKwK case), data that
  // run out without an end code, and codes after the image is full.
  std::vector<uint8_t> codes = RawCodes({{4, 3}, {4, 3}, {1, 3}, {6, 3}, {2, 3}, {7, 3}});
  GifBuilder b(8, 1, 2);
  b.Image(0, 0, 8, 1, {}, 2, false, 0, &codes);
  TGif gif;
  LoadGif(gif, b.Finish());
  // 1, then 6 = 1 1, then 2, then 7 = 1 1 2 ... cut at the image's end.
  EXPECT_EQ(gif.Image(0).Pixels, (std::vector<uint8_t>{1, 1, 1, 2, 1, 1, 2, 0}));

  // The first code after a clear that is not a root reads as 0.
  codes = RawCodes({{4, 3}, {6, 3}, {5, 3}});
  GifBuilder b2(2, 1, 2);
  b2.Image(0, 0, 2, 1, {}, 2, false, 0, &codes);
  TGif gif2;
  LoadGif(gif2, b2.Finish());
  EXPECT_EQ(gif2.Image(0).Pixels, (std::vector<uint8_t>{0, 0}));

  // A code beyond the next free code.
  codes = RawCodes({{4, 3}, {1, 3}, {7, 3}});
  GifBuilder b3(4, 1, 2);
  b3.Image(0, 0, 4, 1, {}, 2, false, 0, &codes);
  EXPECT_EQ(GifError(b3.Finish()), "TGif: Invalid LZW Data Format");
  // An end code straight after a clear.
  codes = RawCodes({{4, 3}, {5, 3}});
  GifBuilder b4(4, 1, 2);
  b4.Image(0, 0, 4, 1, {}, 2, false, 0, &codes);
  EXPECT_EQ(GifError(b4.Finish()), "TGif: Invalid LZW Data Format");
}

TEST(GifDecoder, TransparencyAndDisposalInTheStrip)
{
  const int w = 4, h = 3;
  GifBuilder b(w, h, 2);
  b.Loop(0);
  b.Control(2, 0, 3);   // index 3 transparent, restore to background afterwards
  b.Image(0, 0, w, h, {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 1, 1}, 2);
  b.Control(1, 5, 3);
  b.Image(1, 1, 2, 2, {3, 2, 0, 3}, 2);
  b.Control(0, 7);
  b.Image(0, 0, 1, 1, {2}, 2);
  TGif gif;
  LoadGif(gif, b.Finish());
  EXPECT_EQ(gif.LoopCount(), 0);
  EXPECT_TRUE(gif.IsTransparent());
  EXPECT_EQ(gif.ImageDelay(0), 1);
  EXPECT_EQ(gif.ImageDelay(1), 5);
  EXPECT_EQ(gif.ImageDisposal(0), 2);
  EXPECT_EQ(gif.TransparentIndex(1), 3);
  EXPECT_EQ(gif.TransparentIndex(2), -1);
  std::unique_ptr<TBitmap> mask;
  auto strip = gif.GetStripBitmap(mask);
  ASSERT_NE(mask, nullptr);
  ASSERT_EQ(strip->Width(), 3 * w);
  // Frame 0: transparent pixels black in the strip and white in the mask.
  EXPECT_EQ(strip->GetPixel(3, 0), clBlack);
  EXPECT_EQ(mask->GetPixel(3, 0), clWhite);
  EXPECT_EQ(strip->GetPixel(1, 0), Table(1));
  EXPECT_EQ(mask->GetPixel(1, 0), clBlack);
  // Frame 1 starts from frame 0; disposal 2 of frame 0 makes its area transparent in the mask.
  EXPECT_EQ(strip->GetPixel(w + 1, 0), Table(1));
  EXPECT_EQ(mask->GetPixel(w + 1, 0), clWhite);
  // Its own transparent pixel at (1,1) leaves frame 0's colour there.
  EXPECT_EQ(strip->GetPixel(w + 1, 1), Table(2));
  EXPECT_EQ(strip->GetPixel(w + 2, 1), Table(2));
  EXPECT_EQ(mask->GetPixel(w + 2, 1), clBlack);
  EXPECT_EQ(strip->GetPixel(w + 1, 2), Table(0));
  // Frame 2 keeps frame 1 (disposal 1) and paints one pixel.
  EXPECT_EQ(strip->GetPixel(2 * w, 0), Table(2));
  EXPECT_EQ(strip->GetPixel(2 * w + 2, 1), Table(2));
  EXPECT_EQ(mask->GetPixel(2 * w + 2, 1), clBlack);
}

TEST(GifDecoder, ClipsImagesAndTreatsIndicesPastTheTableAsBlack)
{
  GifBuilder b(4, 4, 1);   // two colours
  b.Image(2, 3, 5, 3, RandomIndices(15, 4, 2, false), 2);
  b.Image(70, 70, 2, 2, {1, 1, 1, 1}, 2);
  TGif gif;
  LoadGif(gif, b.Finish());
  std::unique_ptr<TBitmap> mask;
  auto strip = gif.GetStripBitmap(mask);
  const auto& px = gif.Image(0).Pixels;
  EXPECT_EQ(strip->GetPixel(2, 3), px[0] < 2 ? Table(px[0]) : clBlack);
  EXPECT_EQ(strip->GetPixel(3, 3), px[1] < 2 ? Table(px[1]) : clBlack);
  EXPECT_EQ(strip->GetPixel(4, 3), strip->GetPixel(0, 0));   // frame 1 is a copy, not image 0's column 2
}

TEST(GifDecoder, ErrorMessages)
{
  auto idx = RandomIndices(4, 4, 1);
  GifBuilder lower(2, 2, 2, "gif89a");
  lower.Image(0, 0, 2, 2, idx, 2);
  EXPECT_EQ(GifError(lower.Finish()), "no error");

  GifBuilder bad(2, 2, 2, "GIF90a");
  EXPECT_EQ(GifError(bad.Finish()), "TGif: Invalid GIF Signature Code");

  GifBuilder noEnd(2, 2, 2);
  noEnd.Image(0, 0, 2, 2, idx, 2);
  EXPECT_EQ(GifError(noEnd.Out), "TGif: No GIF Terminator Found");

  GifBuilder gce(2, 2, 2);
  gce.Out.insert(gce.Out.end(), {0x21, 0xF9, 5, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(GifError(gce.Finish()), "TGif: Invalid Extension Block Size");

  GifBuilder term(2, 2, 2);
  term.Out.insert(term.Out.end(), {0x21, 0xF9, 4, 0, 0, 0, 0, 7});
  EXPECT_EQ(GifError(term.Finish()), "TGif: Invalid Extension Block Terminator");

  GifBuilder ext(2, 2, 2);
  ext.Out.insert(ext.Out.end(), {0x21, 0xAB, 0});
  EXPECT_EQ(GifError(ext.Finish()), "TGif: unknown extension: 00AB");

  GifBuilder op(2, 2, 2);
  op.Out.push_back(0x99);
  EXPECT_EQ(GifError(op.Finish()), "TGif: Unknown Graphics Operation Code");

  GifBuilder none(2, 2, 2);
  none.Comment("nothing here");
  EXPECT_EQ(GifError(none.Finish()), "TGif: No Image Description");

  GifBuilder noTable(2, 2, 0);
  noTable.Image(0, 0, 2, 2, idx, 2);
  EXPECT_EQ(GifError(noTable.Finish()), "TGif: No Local or Global Color Table for Image");

  for (int size : {0, 9, 12, 255}) {
    GifBuilder big(2, 2, 2);
    auto codes = RawCodes({{1, 8}});
    big.Image(0, 0, 2, 2, {}, size, false, 0, &codes);
    EXPECT_EQ(GifError(big.Finish()), "TGif: Invalid LZW Code Size") << size;
  }

  GifBuilder cut(2, 2, 2);
  cut.Image(0, 0, 2, 2, idx, 2);
  cut.Out.insert(cut.Out.end(), {0x21, 0xFE, 40, 'a'});
  EXPECT_EQ(GifError(cut.Out), "TGif: Unexpected end of file");

  // Screens without area, and strips beyond the caps, are refused before allocating.
  GifBuilder zero(0, 5, 2);
  zero.Image(0, 0, 2, 2, idx, 2);
  EXPECT_EQ(GifError(zero.Finish()), "TGif: Invalid Bitmap Image");
  GifBuilder huge(65535, 65535, 2);
  huge.Image(0, 0, 1, 1, {1}, 2);
  huge.Image(0, 0, 1, 1, {1}, 2);
  EXPECT_EQ(GifError(huge.Finish()), "TGif: Invalid Bitmap Image");
  GifBuilder bigImage(10, 10, 2);
  bigImage.Image(0, 0, 65535, 65535, {1}, 2);
  EXPECT_EQ(GifError(bigImage.Finish()), "TGif: Invalid Bitmap Image");

  TGif gif;
  GifBuilder ok(2, 2, 2);
  ok.Image(0, 0, 2, 2, idx, 2);
  LoadGif(gif, ok.Finish());
  try {
    gif.ImageLeft(1);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "TGif: Value Out Of Range");
    EXPECT_EQ(gif.ErrorCode, 15);
  }
}

TEST(GifDecoder, ZeroSizedImagesDecodeNothing)
{
  GifBuilder b(3, 3, 2);
  b.Image(0, 0, 0, 5, {}, 2);
  b.Image(1, 1, 1, 1, {2}, 2);
  TGif gif;
  LoadGif(gif, b.Finish());
  EXPECT_EQ(gif.ImageCount(), 2);
  std::unique_ptr<TBitmap> mask;
  auto strip = gif.GetStripBitmap(mask);
  EXPECT_EQ(strip->GetPixel(3 + 1, 1), Table(2));
}

namespace {

// Colour and mask of every pixel of frame i, as "c" for colour index c of the table (or "."
// for a transparent pixel), row by row.
std::vector<std::string> Frame(const TGif& gif, const TBitmap& strip, const TBitmap* mask, int i, int colours)
{
  std::vector<std::string> rows;
  const TPoint at = gif.FramePlace(i);
  for (int y = 0; y < gif.Height(); ++y) {
    std::string row;
    for (int x = 0; x < gif.Width(); ++x) {
      if (mask && mask->GetPixel(at.X + x, at.Y + y) == clWhite) {
        row += '.';
        continue;
      }
      const TColor c = strip.GetPixel(at.X + x, at.Y + y);
      char ch = '?';
      for (int k = 0; k < colours; ++k)
        if (c == Table(k))
          ch = char('0' + k);
      if (c == clBlack)
        ch = 'k';
      row += ch;
    }
    rows.push_back(row);
  }
  return rows;
}

using Rows = std::vector<std::string>;

// A GIF loaded and composed, its frames read as rows of Frame.
struct Composed {
  TGif Gif;
  std::unique_ptr<TBitmap> Strip, Mask;
  explicit Composed(GifBuilder& b)
  {
    LoadGif(Gif, b.Finish());
    Strip = Gif.GetStripBitmap(Mask);
  }
  Rows operator[](int i) const { return Frame(Gif, *Strip, Mask.get(), i, 4); }
};

}   // namespace

TEST(GifDecoder, RestoreToPreviousPutsBackWhatTheImageCovered)
{
  // A background, a sprite that is taken away again (disposal 3), then one pixel elsewhere.
  GifBuilder b(4, 3, 2);
  b.Control(1, 10);
  b.Image(0, 0, 4, 3, {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0}, 2);
  b.Control(3, 10);
  b.Image(1, 0, 2, 2, {2, 2, 2, 2}, 2);
  b.Control(1, 10);
  b.Image(3, 2, 1, 1, {3}, 2);
  Composed c(b);
  EXPECT_EQ(c.Mask, nullptr);
  EXPECT_EQ(c[0], (Rows{"0000", "0110", "0000"}));
  EXPECT_EQ(c[1], (Rows{"0220", "0220", "0000"}));
  // No trail of the sprite: its area is as frame 0 left it.
  EXPECT_EQ(c[2], (Rows{"0000", "0110", "0003"}));
}

TEST(GifDecoder, RestoreToPreviousBringsBackTransparencyToo)
{
  // Frame 0 has a hole; frame 1 covers it and is taken away; frame 2 leaves it alone.
  GifBuilder b(3, 2, 2);
  b.Control(1, 10, 3);
  b.Image(0, 0, 3, 2, {0, 3, 0, 1, 1, 1}, 2);
  b.Control(3, 10);
  b.Image(0, 0, 2, 1, {2, 2}, 2);
  b.Control(1, 10);
  b.Image(2, 1, 1, 1, {0}, 2);
  Composed c(b);
  ASSERT_NE(c.Mask, nullptr);
  EXPECT_EQ(c[1], (Rows{"220", "111"}));
  EXPECT_EQ(c[2], (Rows{"0.0", "110"}));

  // Taken away after the first frame: back to the empty screen.
  GifBuilder first(2, 2, 2);
  first.Control(3, 10, 3);
  first.Image(0, 0, 2, 1, {1, 2}, 2);
  first.Control(1, 10, 3);
  first.Image(1, 1, 1, 1, {0}, 2);
  Composed d(first);
  ASSERT_NE(d.Mask, nullptr);
  EXPECT_EQ(d[0], (Rows{"12", ".."}));
  EXPECT_EQ(d[1], (Rows{"..", ".0"}));
}

TEST(GifDecoder, RestoreToBackgroundClearsEvenInAnOpaqueGif)
{
  // No pixel is transparent, but the moving square's old place must not leave a trail.
  GifBuilder b(3, 2, 2);
  b.Control(2, 10);
  b.Image(0, 0, 3, 2, {1, 1, 0, 1, 1, 0}, 2);
  b.Control(2, 10);
  b.Image(1, 0, 2, 2, {2, 2, 2, 2}, 2);
  b.Control(1, 10);
  b.Image(2, 1, 1, 1, {3}, 2);
  Composed c(b);
  EXPECT_FALSE(c.Gif.IsTransparent());
  EXPECT_TRUE(c.Gif.FirstImageCoversScreen());
  ASSERT_NE(c.Mask, nullptr);
  EXPECT_EQ(c[0], (Rows{"110", "110"}));
  EXPECT_EQ(c[1], (Rows{".22", ".22"}));
  EXPECT_EQ(c[2], (Rows{"...", "..3"}));

  // Restoring after the last frame changes nothing, so no mask is made for it.
  GifBuilder last(2, 1, 2);
  last.Control(1, 10);
  last.Image(0, 0, 2, 1, {1, 1}, 2);
  last.Control(2, 10);
  last.Image(0, 0, 2, 1, {2, 2}, 2);
  EXPECT_EQ(Composed(last).Mask, nullptr);
}

TEST(GifDecoder, RestoreToBackgroundClearsOnlyTheImagesRectangle)
{
  // An opaque background, then a sprite narrower and shorter than the screen that is taken
  // away (disposal 2): the next frame is clear exactly where the sprite was, and the
  // background stays on every side of it.
  GifBuilder b(5, 4, 2);
  b.Control(1, 10);
  b.Image(0, 0, 5, 4, std::vector<uint8_t>(20, 1), 2);
  b.Control(2, 10);
  b.Image(1, 1, 2, 2, {2, 2, 2, 2}, 2);
  b.Control(1, 10);
  b.Image(4, 3, 1, 1, {3}, 2);
  Composed c(b);
  ASSERT_NE(c.Mask, nullptr);
  EXPECT_EQ(c[1], (Rows{"11111", "12211", "12211", "11111"}));
  EXPECT_EQ(c[2], (Rows{"11111", "1..11", "1..11", "11113"}));
}

TEST(GifDecoder, FirstFrameShowsThePageWhereItsImageDoesNotReach)
{
  // Opaque pixels only, but the first image is smaller than the screen.
  GifBuilder opaque(3, 2, 2);
  opaque.Image(1, 0, 2, 1, {1, 2}, 2);
  Composed o(opaque);
  EXPECT_FALSE(o.Gif.IsTransparent());
  EXPECT_FALSE(o.Gif.FirstImageCoversScreen());
  ASSERT_NE(o.Mask, nullptr);
  EXPECT_EQ(o[0], (Rows{".12", "..."}));
  // An image beyond the screen's corner covers it too.
  GifBuilder big(2, 2, 2);
  big.Image(0, 0, 3, 3, std::vector<uint8_t>(9, 1), 2);
  Composed g(big);
  EXPECT_TRUE(g.Gif.FirstImageCoversScreen());
  EXPECT_EQ(g.Mask, nullptr);

  // The first image covers only the middle: the rest of the first frame shows the page.
  GifBuilder b(4, 3, 2);
  b.Control(1, 10, 3);
  b.Image(1, 1, 2, 1, {1, 3}, 2);
  b.Control(1, 10, 3);
  b.Image(0, 0, 1, 1, {2}, 2);
  Composed c(b);
  ASSERT_NE(c.Mask, nullptr);
  EXPECT_EQ(c[0], (Rows{"....", ".1..", "...."}));
  EXPECT_EQ(c[1], (Rows{"2...", ".1..", "...."}));
  // The screen is wider than a byte of mask: the bits past the whole bytes are set too.
  GifBuilder wide(11, 1, 2);
  wide.Image(0, 0, 1, 1, {1}, 2);
  EXPECT_EQ(Composed(wide)[0], (Rows{"1.........."}));
}

TEST(GifDecoder, LocalTablesServeTheirOwnImageOnly)
{
  auto local = [](int i) { return RGBColor(uint8_t(255 - i), uint8_t(i), 128); };
  GifBuilder b(3, 2, 2);
  b.Image(0, 0, 3, 2, {0, 1, 2, 3, 2, 1}, 2);
  // An interlaced image with a table of its own, placed at an offset.
  b.Image(1, 0, 2, 2, InterlaceOrder({3, 2, 1, 0}, 2, 2), 2, true, 2);
  b.Image(0, 1, 1, 1, {3}, 2);   // the global table again
  // A local table of two colours: indices past it are black.
  b.Image(0, 0, 2, 1, {1, 3}, 2, false, 1);
  TGif gif;
  LoadGif(gif, b.Finish());
  EXPECT_EQ(gif.ColorTables().size(), 3u);
  EXPECT_EQ(gif.Image(0).ColorTableIndex, 0);
  EXPECT_EQ(gif.Image(1).ColorTableIndex, 1);
  EXPECT_EQ(gif.Image(2).ColorTableIndex, 0);
  EXPECT_EQ(gif.Image(3).ColorTableIndex, 2);
  std::unique_ptr<TBitmap> mask;
  auto strip = gif.GetStripBitmap(mask);
  auto at = [&](int frame, int x, int y) { return strip->GetPixel(frame * 3 + x, y); };
  EXPECT_EQ(at(0, 0, 0), Table(0));
  EXPECT_EQ(at(0, 2, 1), Table(1));
  EXPECT_EQ(at(1, 0, 0), Table(0));   // left of the image: frame 0's
  EXPECT_EQ(at(1, 1, 0), local(3));
  EXPECT_EQ(at(1, 2, 0), local(2));
  EXPECT_EQ(at(1, 1, 1), local(1));
  EXPECT_EQ(at(1, 2, 1), local(0));
  EXPECT_EQ(at(2, 0, 1), Table(3));
  EXPECT_EQ(at(2, 1, 1), local(1));
  EXPECT_EQ(at(3, 0, 0), local(1));
  EXPECT_EQ(at(3, 1, 0), clBlack);
  EXPECT_EQ(at(3, 2, 0), local(2));
}
