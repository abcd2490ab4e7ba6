#include <gtest/gtest.h>

#include "toolbar/Docks.h"
#include "toolbar/ThemeUtils.h"

TEST(ThemeUtils, ColourArithmetic)
{
  EXPECT_EQ(Blend(clWhite, clBlack, 128), RGBColor(127, 127, 127));
  EXPECT_EQ(Blend(clWhite, clBlack, 255), RGBColor(254, 254, 254));
  EXPECT_EQ(Blend(clBlack, clWhite, 0), RGBColor(254, 254, 254));
  // Channels stay apart; system colours are resolved first.
  EXPECT_EQ(Blend(RGBColor(255, 0, 0), RGBColor(0, 0, 255), 128), RGBColor(127, 0, 126));
  EXPECT_EQ(Blend(clBtnFace, clBtnFace, 255), RGBColor(191, 191, 191));
  EXPECT_EQ(Lighten(RGBColor(250, 10, 128), 32), RGBColor(255, 42, 160));
  EXPECT_EQ(Lighten(RGBColor(250, 10, 128), -20), RGBColor(230, 0, 108));
  EXPECT_TRUE(IsDarkColor(clBlack, 100));
  EXPECT_FALSE(IsDarkColor(clWhite, 100));
  EXPECT_TRUE(IsDarkColor(clBtnShadow, 200));   // 128 * 256 < 200 * 256
  EXPECT_EQ(SwapRB(0x00112233), 0x00332211);
}

TEST(ThemeUtils, RectanglesAndLinesOnKnownPixels)
{
  TBitmap b(20, 20, TPixelFormat::pf24bit);
  b.Fill(clWhite);
  TCanvas& c = b.Canvas();
  TRect r{2, 2, 10, 10};
  EXPECT_TRUE(FrameRectEx(c, r, clRed, true));
  EXPECT_EQ(r, (TRect{3, 3, 9, 9}));
  EXPECT_EQ(b.GetPixel(2, 2), clRed);
  EXPECT_EQ(b.GetPixel(9, 9), clRed);
  EXPECT_EQ(b.GetPixel(3, 3), clWhite);
  TRect none{0, 0, 5, 5};
  EXPECT_FALSE(FrameRectEx(c, none, clNone, true));
  EXPECT_EQ(none, (TRect{0, 0, 5, 5}));
  EXPECT_FALSE(FillRectEx(c, {0, 0, 5, 5}, clNone));
  EXPECT_EQ(b.GetPixel(0, 0), clWhite);

  EXPECT_TRUE(DitherRect(c, {12, 0, 16, 4}, clBlack, clWhite));
  // A checkerboard: neighbours differ, diagonals agree.
  EXPECT_NE(b.GetPixel(12, 0), b.GetPixel(13, 0));
  EXPECT_EQ(b.GetPixel(12, 0), b.GetPixel(13, 1));
  // As views leave the canvas for their items, with a hollow brush: still the pattern, and
  // the brush comes back hollow.
  c.Brush().SetStyle(bsClear);
  EXPECT_TRUE(DitherRect(c, {16, 0, 20, 4}, clBlack, clWhite));
  EXPECT_NE(b.GetPixel(16, 0), b.GetPixel(17, 0));
  EXPECT_EQ(b.GetPixel(16, 0), b.GetPixel(17, 1));
  EXPECT_EQ(c.Brush().Style(), bsClear);

  TRect f{0, 12, 6, 18};
  Frame3D(c, f, clBlue, clGreen);
  EXPECT_EQ(f, (TRect{1, 13, 5, 17}));
  EXPECT_EQ(b.GetPixel(0, 12), clBlue);
  EXPECT_EQ(b.GetPixel(5, 17), clGreen);
  EXPECT_EQ(b.GetPixel(0, 17), clGreen);   // the bottom line runs the whole width
  EXPECT_TRUE(DrawLineEx(c, 10, 15, 15, 15, clRed));
  EXPECT_EQ(b.GetPixel(10, 15), clRed);
  EXPECT_EQ(b.GetPixel(15, 15), clWhite);   // end point left out
}

namespace {

// A 4 by 4 image list: a key-coloured pixel, a black one, a white one, a mid grey and red.
std::unique_ptr<TCustomImageList> Icons()
{
  auto list = std::make_unique<TCustomImageList>(4, 4);
  TBitmap img(4, 4, TPixelFormat::pf24bit);
  img.Fill(clFuchsia);
  img.SetPixel(0, 0, TBXKeyColor);
  img.SetPixel(1, 0, clBlack);
  img.SetPixel(2, 0, clWhite);
  img.SetPixel(3, 0, RGBColor(128, 128, 128));
  img.SetPixel(0, 1, clRed);
  list->AddMasked(img, clFuchsia);
  return list;
}

}   // namespace

TEST(ThemeUtils, IconDrawsKeepTheKeyColourTransparent)
{
  auto list = Icons();
  TBitmap b(8, 8, TPixelFormat::pf32bit);
  b.Fill(clGreen);
  DrawTBXIcon(b.Canvas(), {0, 0, 8, 8}, list.get(), 0, true);
  EXPECT_EQ(b.GetPixel(0, 0), clGreen);                   // the key colour is no image
  EXPECT_EQ(b.GetPixel(1, 0), RGBColor(255, 255, 255));   // black lifted to white
  EXPECT_EQ(b.GetPixel(2, 0), RGBColor(32, 32, 32));      // white lowered to black, lightened
  EXPECT_EQ(b.GetPixel(3, 0), RGBColor(160, 160, 160));
  EXPECT_EQ(b.GetPixel(3, 3), clGreen);   // masked out

  b.Fill(clGreen);
  BlendTBXIcon(b.Canvas(), {0, 0, 8, 8}, list.get(), 0, 128, clWhite);
  EXPECT_EQ(b.GetPixel(0, 0), clGreen);
  EXPECT_EQ(b.GetPixel(1, 0), RGBColor(126, 126, 126));
  EXPECT_EQ(b.GetPixel(0, 1), RGBColor(254, 126, 126));

  // Greyed: the background darkened by the image's luminance.
  b.Fill(clWhite);
  DrawTBXIconShadow(b.Canvas(), {0, 0, 8, 8}, list.get(), 0, 0);
  EXPECT_EQ(b.GetPixel(1, 0), ShadowPixel(clBlack, clWhite, 0));
  EXPECT_EQ(ShadowPixel(clBlack, clWhite, 0), RGBColor(169, 169, 169));   // v = 170
  EXPECT_EQ(ShadowPixel(clBlack, clWhite, 2), RGBColor(242, 242, 242));   // v = 243
  EXPECT_EQ(b.GetPixel(3, 3), clWhite);
  // A rectangle smaller than the image clips the draw.
  b.Fill(clGreen);
  DrawTBXIcon(b.Canvas(), {0, 0, 1, 1}, list.get(), 0, true);
  EXPECT_EQ(b.GetPixel(1, 0), clGreen);
  // Out-of-range indices and missing lists draw nothing.
  DrawTBXIcon(b.Canvas(), {0, 0, 8, 8}, list.get(), 5, true);
  BlendTBXIcon(b.Canvas(), {0, 0, 8, 8}, nullptr, 0, 10, clRed);
  EXPECT_EQ(b.GetPixel(1, 0), clGreen);
}

TEST(ThemeUtils, ShadowGradientsAndPlacement)
{
  // Without layered windows the shadow windows are not drawn (nor shown).
  EXPECT_EQ(ShadowLayeringMode(false), 0);
  TVertShadow v({0, 0, 4, 20}, 255, false, seStart | seEnd);
  std::vector<uint32_t> g = v.Gradient();
  ASSERT_EQ(g.size(), 80u);
  auto alpha = [&](Integer x, Integer y) { return g[static_cast<size_t>(y * 4 + x)] >> 24; };
  // Along the strip: 255 - i * 256 / t.
  EXPECT_EQ(alpha(0, 10), 255u);
  EXPECT_EQ(alpha(1, 10), 191u);
  EXPECT_EQ(alpha(3, 10), 63u);
  // Rounded ends fade from the inner corner.
  EXPECT_EQ(alpha(0, 3), 255u);
  EXPECT_EQ(alpha(0, 16), 255u);
  EXPECT_EQ(alpha(3, 19), 0u);
  EXPECT_EQ(alpha(3, 0), 0u);
  THorzShadow h({0, 0, 6, 4}, 255, false, seStart | seEnd);   // both ends do not fit: 3 each
  EXPECT_EQ(h.AlphaAt(2, 0), 255);
  EXPECT_EQ(h.AlphaAt(3, 0), 255);
  EXPECT_EQ(h.AlphaAt(0, 3), 0);
  // A strip of no thickness has no gradient and divides by nothing.
  TVertShadow empty({0, 0, 0, 10}, 255, false, seStart);
  EXPECT_TRUE(empty.Gradient().empty());

  // A popup alone: a strip right of it and one below.
  auto s = TShadows::Layout({10, 20, 110, 100}, {}, 4);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].Bounds, (TRect{110, 24, 114, 104}));
  EXPECT_TRUE(s[0].Vertical);
  EXPECT_EQ(s[1].Bounds, (TRect{14, 100, 110, 104}));
  // Opened below a narrower toolbar item: the item's right edge casts a shadow down to the
  // popup; the item's bottom shadow lies under the popup and goes.
  s = TShadows::Layout({10, 20, 110, 100}, {10, 0, 50, 20}, 4);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[2].Bounds, (TRect{50, 4, 54, 20}));
  EXPECT_EQ(s[2].Edges, seStart);
  TShadows shadows({10, 20, 110, 100}, {10, 0, 50, 20}, 4, 255, false);
  EXPECT_EQ(shadows.Count(), 3);
  shadows.Show(nullptr);
  EXPECT_FALSE(shadows.Shadows(0)->Visible());
}
