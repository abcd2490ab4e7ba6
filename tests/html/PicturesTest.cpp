#include <gtest/gtest.h>

#include "html/GifAnimation.h"
#include "html/Pictures.h"
#include "tests/html/GifTestUtil.h"
#include "tests/shell/PictureOutput.h"

namespace {

TBitmap White(int w, int h)
{
  TBitmap b(w, h, TPixelFormat::pf24bit);
  b.Fill(clWhite);
  return b;
}

// 2x2: red, green / blue, yellow; mask makes the top-right (green) transparent.
void Picture(TBitmap& pic, TBitmap& mask)
{
  pic = TBitmap(2, 2, TPixelFormat::pf24bit);
  pic.SetPixel(0, 0, clRed);
  pic.SetPixel(1, 0, clLime);
  pic.SetPixel(0, 1, clBlue);
  pic.SetPixel(1, 1, clYellow);
  mask = TBitmap(2, 2, TPixelFormat::pf1bit);
  TPalette mono;
  mono.Entries = {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
  mask.SetPalette(mono);
  mask.SetPixel(1, 0, clWhite);
}

}   // namespace

TEST(DocumentUtilsDisplay, DrawBitmapStretches)
{
  TBitmap target = White(8, 8);
  auto canvas = CreateBitmapCanvas(target);
  TBitmap pic, mask;
  Picture(pic, mask);
  DrawBitmap(*canvas, 2, 2, 4, 4, pic);
  EXPECT_EQ(target.GetPixel(2, 2), clRed);
  EXPECT_EQ(target.GetPixel(5, 2), clLime);
  EXPECT_EQ(target.GetPixel(3, 5), clBlue);
  EXPECT_EQ(target.GetPixel(5, 5), clYellow);
  EXPECT_EQ(target.GetPixel(1, 1), clWhite);
  EXPECT_EQ(target.GetPixel(6, 6), clWhite);
}

TEST(DocumentUtilsDisplay, MaskedDrawingLeavesTransparentPixels)
{
  TBitmap pic, mask;
  Picture(pic, mask);
  for (bool print : {false, true}) {
    TBitmap target = White(6, 6);
    auto canvas = CreateBitmapCanvas(target);
    if (print)
      PrintTransparentBitmap(*canvas, 1, 1, 4, 4, pic, mask);
    else
      FinishTransparentBitmap(*canvas, pic, mask, 4, 4, 1, 1);
    EXPECT_EQ(target.GetPixel(1, 1), clRed) << print;
    EXPECT_EQ(target.GetPixel(4, 1), clWhite) << print;   // the transparent quarter
    EXPECT_EQ(target.GetPixel(3, 2), clWhite) << print;
    EXPECT_EQ(target.GetPixel(4, 4), clYellow) << print;
    TRegion clip;
    EXPECT_FALSE(canvas->GetClipRgn(clip)) << "the clip is restored";
  }
  // Nothing on a one-bit target.
  TBitmap mono(4, 4, TPixelFormat::pf1bit);
  auto canvas = CreateBitmapCanvas(mono);
  FinishTransparentBitmap(*canvas, pic, mask, 4, 4, 0, 0);
  for (int y = 0; y < 4; ++y)
    EXPECT_EQ(mono.ScanLine(y)[0], 0);
}

TEST(DocumentUtilsDisplay, BitmapToRegionCoversTheOpaquePixels)
{
  TBitmap b = White(300, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = y % 2; x < 300; x += 2)   // 3000 single-pixel runs: more than one batch
      b.SetPixel(x, y, clBlack);
  TRegion r = BitmapToRegion(b, clWhite);
  EXPECT_TRUE(r.Contains(0, 0));
  EXPECT_FALSE(r.Contains(1, 0));
  EXPECT_TRUE(r.Contains(1, 1));
  EXPECT_TRUE(r.Contains(299, 19));
  EXPECT_FALSE(r.Contains(298, 19));
  EXPECT_EQ(r.BoundingBox(), Rect(0, 0, 300, 20));
  EXPECT_TRUE(BitmapToRegion(White(5, 5), clWhite).IsEmpty());
}

TEST(DocumentUtilsDisplay, AnimatedGifDrawsItsCurrentFrameThroughTheMask)
{
  giftest::GifBuilder b(2, 1, 2);
  b.Control(1, 10, 3);
  b.Image(0, 0, 2, 1, {1, 3}, 2);
  b.Control(1, 10, 3);
  b.Image(0, 0, 2, 1, {2, 2}, 2);
  TByteStream s(b.Finish());
  bool nonAnimated;
  auto gif = CreateAGif(s, nonAnimated);
  uint8_t r, g, bl;
  giftest::TableColor(1, r, g, bl);
  const TColor one = RGBColor(r, g, bl);
  giftest::TableColor(2, r, g, bl);
  const TColor two = RGBColor(r, g, bl);

  TBitmap target = White(4, 2);
  auto canvas = CreateBitmapCanvas(target);
  gif->Draw(*canvas, 2, 4, 0, 0);
  EXPECT_TRUE(gif->ShowIt);
  EXPECT_EQ(gif->StripRect, Rect(0, 0, 4, 2));
  EXPECT_EQ(target.GetPixel(0, 0), one);
  EXPECT_EQ(target.GetPixel(3, 1), clWhite);   // transparent in frame 1
  gif->SetCurrentFrame(2);
  gif->Draw(*canvas, 2, 4, 0, 0);
  EXPECT_EQ(target.GetPixel(3, 1), two);
  gif->Visible = false;
  target.Fill(clWhite);
  gif->Draw(*canvas, 2, 4, 0, 0);
  EXPECT_EQ(target.GetPixel(0, 0), clWhite);
}

TEST(DocumentUtilsDisplay, OpaqueAnimatedGifShowsThePageWhereAFrameWasCleared)
{
  giftest::GifBuilder b(2, 1, 2);
  b.Control(2, 10);
  b.Image(0, 0, 2, 1, {1, 1}, 2);
  b.Control(1, 10);
  b.Image(1, 0, 1, 1, {2}, 2);
  TByteStream s(b.Finish());
  bool nonAnimated;
  auto gif = CreateAGif(s, nonAnimated);
  EXPECT_FALSE(gif->IsTransparent);
  EXPECT_EQ(gif->GetMaskImage(), nullptr);   // the first frame is opaque
  uint8_t r, g, bl;
  giftest::TableColor(2, r, g, bl);
  TBitmap target = White(2, 1);
  auto canvas = CreateBitmapCanvas(target);
  gif->SetCurrentFrame(2);
  gif->Draw(*canvas, 1, 2, 0, 0);
  EXPECT_EQ(target.GetPixel(0, 0), clWhite);   // frame 1's square is gone, not left behind
  EXPECT_EQ(target.GetPixel(1, 0), RGBColor(r, g, bl));
}

// A printed animated GIF shows its first frame through that frame's own transparency: the
// mask handed out with the first frame is that frame's, not the whole strip's.
TEST(DocumentUtilsDisplay, FirstFrameOfAnAnimatedGifPrintsThroughItsOwnMask)
{
  giftest::GifBuilder b(4, 1, 2);
  b.Control(1, 10, 3);
  b.Image(0, 0, 4, 1, {1, 1, 3, 3}, 2);   // the right half transparent
  b.Control(1, 10, 3);
  b.Image(0, 0, 4, 1, {2, 2, 2, 2}, 2);
  b.Control(1, 10, 3);
  b.Image(0, 0, 4, 1, {2, 2, 2, 2}, 2);
  TByteStream s(b.Finish());
  bool nonAnimated;
  auto gif = CreateAGif(s, nonAnimated);
  TBitmap* pic = gif->GetBitmap();
  TBitmap* mask = gif->GetMaskImage();
  ASSERT_TRUE(pic && mask);
  EXPECT_EQ(mask->Width(), pic->Width());
  EXPECT_EQ(mask->Height(), pic->Height());
  uint8_t r, g, bl;
  giftest::TableColor(1, r, g, bl);
  for (bool print : {false, true}) {
    TBitmap target = White(8, 2);
    auto canvas = CreateBitmapCanvas(target);
    if (print)
      PrintTransparentBitmap(*canvas, 0, 0, 8, 2, *pic, *mask);
    else
      FinishTransparentBitmap(*canvas, *pic, *mask, 2, 8, 0, 0);
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(target.GetPixel(x, 1), x < 4 ? RGBColor(r, g, bl) : clWhite) << "x " << x << " print " << print;
  }
}

// A sprite crossing a striped background, taken away after each frame (restore to
// previous), and a square stepping across an opaque GIF that clears behind it (restore to
// background): every frame shows the sprite once, with no trail. The frames are written
// side by side, eight times enlarged, to gif-frames.png.
TEST(DocumentUtilsDisplay, AnimatedGifFramesDrawWithoutTrails)
{
  const int w = 6, h = 3;
  giftest::GifBuilder sprite(w, h, 2);
  sprite.Control(1, 10);
  std::vector<uint8_t> stripes;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      stripes.push_back(uint8_t(x % 2));
  sprite.Image(0, 0, w, h, stripes, 2);
  for (int f = 0; f < 3; ++f) {
    sprite.Control(3, 10, 3);
    sprite.Image(f * 2, 1, 2, 1, {2, 2}, 2);
  }
  giftest::GifBuilder square(w, 1, 2);
  for (int f = 0; f < 4; ++f) {
    square.Control(2, 10);
    square.Image(f, 0, 2, 1, {2, 2}, 2);
  }
  uint8_t r, g, bl;
  giftest::TableColor(2, r, g, bl);
  const TColor spriteColour = RGBColor(r, g, bl);
  const TColor page = RGBColor(230, 230, 250);
  const int scale = 8;
  TBitmap sheet(4 * (w + 1) * scale, (h + 2) * scale, TPixelFormat::pf24bit);
  sheet.Fill(page);
  auto canvas = CreateBitmapCanvas(sheet);
  int frames = 0;
  for (auto* builder : {&sprite, &square}) {
    TByteStream s(builder->Finish());
    bool nonAnimated;
    auto gif = CreateAGif(s, nonAnimated);
    const int top = builder == &sprite ? 0 : (h + 1) * scale;
    for (int f = 1; f <= gif->NumFrames; ++f) {
      gif->SetCurrentFrame(f);
      const int left = (f - 1) * (w + 1) * scale;
      gif->Draw(*canvas, gif->Height * scale, gif->Width * scale, top, left);
      int count = 0;
      for (int y = 0; y < gif->Height; ++y)
        for (int x = 0; x < gif->Width; ++x)
          if (sheet.GetPixel(left + x * scale + scale / 2, top + y * scale + scale / 2) == spriteColour)
            ++count;
      // The first frame of the sprite GIF is the bare background.
      EXPECT_EQ(count, builder == &sprite && f == 1 ? 0 : 2) << "frame " << f;
      ++frames;
    }
  }
  EXPECT_EQ(frames, 8);
  // The test table's colours are all near green: told apart in the picture.
  const TColor shown[3] = {RGBColor(200, 200, 200), RGBColor(90, 90, 90), clRed};
  for (int y = 0; y < sheet.Height(); ++y)
    for (int x = 0; x < sheet.Width(); ++x)
      for (int k = 0; k < 3; ++k) {
        giftest::TableColor(k, r, g, bl);
        if (sheet.GetPixel(x, y) == RGBColor(r, g, bl))
          sheet.SetPixel(x, y, shown[k]);
      }
  SaveTestPicture(sheet, "gif-frames.png");
}
