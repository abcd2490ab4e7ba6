// Whole-picture paths of bitmaps: rows read at once, format changes, moves, and pictures
// drawn on a window, each checked against the pixel-by-pixel reading.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Application.h"
#include "platform/Bitmap.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/StdCtrls.h"
#include "tests/TestWait.h"

namespace {

const TPixelFormat AllFormats[] = {TPixelFormat::pf1bit,  TPixelFormat::pf4bit,  TPixelFormat::pf8bit,
                                   TPixelFormat::pf15bit, TPixelFormat::pf16bit, TPixelFormat::pf24bit,
                                   TPixelFormat::pf32bit, TPixelFormat::pfDevice};

// A bitmap of the format with varied content; indexed ones get a palette shorter than the
// format holds (entries past it read as grey or black/white).
TBitmap Sample(TPixelFormat f, int32_t w = 37, int32_t h = 11)
{
  TBitmap b(w, h, f);
  int bits = PixelFormatBits(f);
  if (bits <= 8) {
    TPalette p;
    int n = bits == 1 ? 1 : (1 << bits) - 3;
    for (int i = 0; i < n; ++i)
      p.Entries.push_back(TRGBQuad{Byte(i * 37), Byte(255 - i * 11), Byte(i * 5 + 60), 0});
    b.SetPalette(p);
  }
  uint32_t seed = 12345;
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = b.ScanLine(y);
    for (size_t i = 0; i < b.Stride(); ++i) {
      seed = seed * 1103515245u + 12345u;
      row[i] = uint8_t(seed >> 16);
    }
  }
  b.Changed();
  return b;
}

uint32_t RowWord(TColor c) { return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c); }

}   // namespace

TEST(BitmapRows, RowsAndFormatChangesAgreeWithPixelReads)
{
  for (TPixelFormat f : AllFormats) {
    SCOPED_TRACE(PixelFormatBits(f));
    const TBitmap b = Sample(f);
    std::vector<uint32_t> row(30);
    for (int32_t y = 0; y < b.Height(); ++y) {
      b.ReadRow(y, 5, 30, row.data());   // a span not starting on a byte boundary
      for (int32_t x = 0; x < 30; ++x)
        ASSERT_EQ(row[size_t(x)], RowWord(b.GetPixel(x + 5, y))) << x << "," << y;
    }
    for (TPixelFormat to : {TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
      TBitmap c = b;
      c.SetPixelFormat(to);
      ASSERT_EQ(c.PixelFormat(), to);
      for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x)
          ASSERT_EQ(c.GetPixel(x, y), b.GetPixel(x, y)) << x << "," << y;
    }
  }
}

TEST(BitmapRows, MovesTakeThePixelsAndCanvasesStayWithTheirBitmap)
{
  TBitmap a = Sample(TPixelFormat::pf24bit, 20, 10);
  const TColor corner = a.GetPixel(19, 9);
  TBitmap b(std::move(a));
  EXPECT_TRUE(a.Empty());
  EXPECT_EQ(b.Width(), 20);
  EXPECT_EQ(b.GetPixel(19, 9), corner);

  // A bitmap whose canvas exists gets new pixels by a move; its canvas draws on them.
  TBitmap target(4, 4, TPixelFormat::pf32bit);
  target.Canvas().FillRect(TRect{0, 0, 4, 4}, clRed);
  const uint32_t gen = target.Generation();
  target = std::move(b);
  EXPECT_NE(target.Generation(), gen);
  EXPECT_EQ(target.Width(), 20);
  target.Canvas().FillRect(TRect{15, 5, 20, 10}, clBlue);
  EXPECT_EQ(target.GetPixel(19, 9), clBlue);
  EXPECT_EQ(target.GetPixel(0, 0), Sample(TPixelFormat::pf24bit, 20, 10).GetPixel(0, 0));

  // Growing keeps the top-left; a size past the caps throws and keeps the picture.
  target.SetSize(30, 12);
  EXPECT_EQ(target.GetPixel(19, 9), clBlue);
  EXPECT_EQ(target.GetPixel(25, 11), clBlack);
  EXPECT_THROW(target.SetSize(TBitmap::MaxSide + 1, 1), EOutOfResources);
  EXPECT_EQ(target.Width(), 30);
  EXPECT_EQ(target.GetPixel(19, 9), clBlue);
}

TEST(BitmapRows, PicturesDrawnOnAWindowShowTheirPixels)
{
  // Each format drawn 1:1 at an offset, from a part of the source, and one stretched
  // twice, through a window's paint; the window's picture must hold the same colours.
  std::vector<TBitmap> pics;
  for (TPixelFormat f : AllFormats)
    pics.push_back(Sample(f));
  TForm form;
  form.SetBounds(50, 50, 360, 400);
  auto* box = TComponent::Create<TPaintBox>(&form);
  box->SetBounds(0, 0, 340, 380);
  box->SetParent(&form);
  box->OnPaint = [&](TObject*) {
    TCanvas& c = box->Canvas();
    c.FillRect(TRect{0, 0, 340, 380}, clWhite);
    for (size_t i = 0; i < pics.size(); ++i) {
      Integer top = Integer(i) * 40 + 3;
      c.BitBlt(2, top, 30, 9, pics[i], 4, 1, SRCCOPY);
      c.StretchBlt(60, top, 74, 22, pics[i], 0, 0, 37, 11, SRCCOPY);
    }
  };
  form.Show();
  TBitmap shot;
  form.RenderTo(shot);
  for (size_t i = 0; i < pics.size(); ++i) {
    SCOPED_TRACE(PixelFormatBits(pics[i].PixelFormat()));
    const TBitmap& p = pics[i];
    const Integer top = Integer(i) * 40 + 3;
    const bool isMono = p.PixelFormat() == TPixelFormat::pf1bit;
    // A monochrome source takes the canvas's text (0) and background (1) colours.
    auto source = [&](Integer x, Integer y) {
      if (isMono)
        return ((p.ScanLine(y)[x >> 3] >> (7 - (x & 7))) & 1) ? clWhite : clBlack;
      return p.GetPixel(x, y);
    };
    for (Integer y = 0; y < 9; ++y)
      for (Integer x = 0; x < 30; ++x) {
        ASSERT_EQ(shot.GetPixel(2 + x, top + y), source(x + 4, y + 1)) << x << "," << y;
      }
    for (Integer y = 0; y < 22; ++y)
      for (Integer x = 0; x < 74; ++x) {
        ASSERT_EQ(shot.GetPixel(60 + x, top + y), source(x / 2, y / 2)) << x << "," << y;
      }
  }
}

TEST(BitmapRows, AHighDensityPictureIsDrawnInLogicalUnitsAtItsOwnResolution)
{
  // Two pixels per logical pixel: the canvas covers half the pixels' extent, a fill of a
  // logical box fills twice the pixels, and text has detail within each 2x2 block.
  TBitmap b(80, 40, TPixelFormat::pf32bit);
  b.SetDevicePixelRatio(2);
  TCanvas& c = b.Canvas();
  EXPECT_EQ(c.ClipRect(), (TRect{0, 0, 40, 20}));
  c.FillRect(TRect{0, 0, 40, 20}, clWhite);
  c.FillRect(TRect{5, 5, 10, 10}, clRed);
  EXPECT_EQ(b.GetPixel(10, 10), clRed);
  EXPECT_EQ(b.GetPixel(19, 19), clRed);
  EXPECT_EQ(b.GetPixel(9, 10), clWhite);
  EXPECT_EQ(b.GetPixel(20, 19), clWhite);
  c.Font().SetHeight(-12);
  c.Font().SetColor(clBlack);
  c.Brush().SetStyle(bsClear);
  c.TextOut(12, 2, "Wx");
  int ink = 0, detailed = 0;
  for (int32_t y = 0; y + 1 < b.Height(); y += 2)
    for (int32_t x = 24; x + 1 < b.Width(); x += 2) {
      TColor p[4] = {b.GetPixel(x, y), b.GetPixel(x + 1, y), b.GetPixel(x, y + 1), b.GetPixel(x + 1, y + 1)};
      if (p[0] == clWhite && p[1] == clWhite && p[2] == clWhite && p[3] == clWhite)
        continue;
      ++ink;
      detailed += !(p[0] == p[1] && p[1] == p[2] && p[2] == p[3]);
    }
  EXPECT_GT(ink, 10);
  EXPECT_GT(detailed, ink / 10);
  // Copied, the ratio goes along; a format change keeps it.
  TBitmap copy = b;
  copy.SetPixelFormat(TPixelFormat::pf24bit);
  EXPECT_EQ(copy.DevicePixelRatio(), 2);
}

TEST(BitmapRows, AScreenBufferCoversItsLogicalAreaAtWholeAndFractionalRatios)
{
  // Enough pixels for the area and less than one more, the same logical extent back, and
  // kept when it already fits.
  for (double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0})
    for (int32_t w : {1, 2, 3, 7, 99, 101, 333, 1000}) {
      TBitmap b;
      EXPECT_TRUE(FitScreenBuffer(b, w, 17, ratio));
      EXPECT_EQ(b.DevicePixelRatio(), ratio);
      EXPECT_GE(b.Width(), w * ratio - 1e-9) << ratio << " " << w;
      EXPECT_LT(b.Width(), w * ratio + 1) << ratio << " " << w;
      EXPECT_EQ(b.LogicalWidth(), w) << ratio << " " << w;
      EXPECT_EQ(b.LogicalHeight(), 17) << ratio;
      EXPECT_FALSE(FitScreenBuffer(b, w, 17, ratio));
      EXPECT_TRUE(FitScreenBuffer(b, w, 17, ratio + 0.5));
    }
}

TEST(BitmapRows, AHighDensityPictureDrawnOnAWindowCoversItsLogicalArea)
{
  // A picture of twice the pixels drawn on a window lands on its logical area only, also
  // when it reaches past the window's edge.
  TForm form;
  form.SetBounds(40, 40, 200, 120);
  auto* box = TComponent::Create<TPaintBox>(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 200, 120);
  TBitmap picture;
  FitScreenBuffer(picture, 60, 40, 2);
  picture.Fill(clRed);
  box->OnPaint = [&](TObject*) {
    box->Canvas().FillRect(TRect{0, 0, 200, 120}, clWhite);
    box->Canvas().Draw(10, 10, picture);
    box->Canvas().Draw(170, 90, picture);
  };
  form.Show();
  // The window reaches the screen in the display server's own time: read it back once the
  // painted page shows there.
  TBitmap shot;
  auto showsPage = [&] {
    Application->ProcessMessages();
    box->CaptureScreen(shot);
    return !shot.Empty() && (shot.GetPixel(2, 2) & 0xFFFFFF) == clWhite;
  };
  ASSERT_TRUE(testwait::WaitUntil(showsPage, 5000));
  const double k = shot.Width() / 200.0;   // the screen's pixels per logical pixel
  // The middle of a logical pixel, so fractional ratios read inside it.
  auto at = [&](int x, int y) { return shot.GetPixel(int((x + 0.5) * k), int((y + 0.5) * k)) & 0xFFFFFF; };
  EXPECT_EQ(at(10, 10), clRed);
  EXPECT_EQ(at(69, 49), clRed);
  EXPECT_EQ(at(70, 30), clWhite);
  EXPECT_EQ(at(30, 50), clWhite);
  EXPECT_EQ(at(9, 9), clWhite);
  EXPECT_EQ(at(199, 119), clRed);
  EXPECT_EQ(at(169, 89), clWhite);
}
