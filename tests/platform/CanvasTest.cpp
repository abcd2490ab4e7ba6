#include <gtest/gtest.h>

#include "platform/CanvasFixed.h"
#include "platform/Graphics.h"

namespace {

TBitmap White(Integer w, Integer h, TPixelFormat f = TPixelFormat::pf24bit)
{
  TBitmap b(w, h, f);
  b.Fill(clWhite);
  return b;
}

Integer CountColour(const TBitmap& b, TColor c)
{
  Integer n = 0;
  for (Integer y = 0; y < b.Height(); ++y)
    for (Integer x = 0; x < b.Width(); ++x)
      n += b.GetPixel(x, y) == c;
  return n;
}

}   // namespace

TEST(Canvas, LinesLeaveOutTheirLastPoint)
{
  TBitmap b = White(20, 20);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clBlack);
  c.MoveTo(2, 5);
  c.LineTo(10, 5);
  EXPECT_EQ(b.GetPixel(2, 5), clBlack);
  EXPECT_EQ(b.GetPixel(9, 5), clBlack);
  EXPECT_EQ(b.GetPixel(10, 5), clWhite);
  EXPECT_EQ(c.PenPos(), (TPoint{10, 5}));
  EXPECT_EQ(CountColour(b, clBlack), 8);

  b.Fill(clWhite);
  std::vector<TPoint> pts{{2, 2}, {2, 12}, {12, 12}};
  c.Polyline(pts);
  EXPECT_EQ(b.GetPixel(2, 2), clBlack);
  EXPECT_EQ(b.GetPixel(2, 12), clBlack);   // inner vertex drawn
  EXPECT_EQ(b.GetPixel(11, 12), clBlack);
  EXPECT_EQ(b.GetPixel(12, 12), clWhite);   // last point left out
  EXPECT_EQ(CountColour(b, clBlack), 20);
}

TEST(Canvas, RectanglesFillsAndFrames)
{
  TBitmap b = White(30, 30);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(clRed);
  c.Rectangle(2, 2, 12, 8);
  // The outline covers 2..11 x 2..7, the brush the inside.
  EXPECT_EQ(b.GetPixel(2, 2), clBlack);
  EXPECT_EQ(b.GetPixel(11, 7), clBlack);
  EXPECT_EQ(b.GetPixel(12, 7), clWhite);
  EXPECT_EQ(b.GetPixel(11, 8), clWhite);
  EXPECT_EQ(b.GetPixel(3, 3), clRed);
  EXPECT_EQ(CountColour(b, clRed), 8 * 4);

  b.Fill(clWhite);
  c.FillRect(Rect(5, 5, 9, 7));
  EXPECT_EQ(CountColour(b, clRed), 8);
  c.Brush().SetColor(clBlue);
  c.FrameRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(CountColour(b, clBlue), 12);
  // clNone and clear brushes draw nothing.
  b.Fill(clWhite);
  c.FillRect(Rect(0, 0, 5, 5), clNone);
  c.Brush().SetStyle(bsClear);
  c.FillRect(Rect(0, 0, 5, 5));
  c.Pen().SetColor(clNone);
  c.Rectangle(0, 0, 10, 10);
  EXPECT_EQ(CountColour(b, clWhite), 900);
  // System colours resolve through the fixed table.
  c.FillRect(Rect(0, 0, 1, 1), clBtnFace);
  EXPECT_EQ(b.GetPixel(0, 0), clSilver);
  EXPECT_EQ(ColorToRGB(clBtnShadow), clGray);
  EXPECT_EQ(ColorToRGB(clHighlight), clNavy);
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), clWhite);
}

TEST(Canvas, EllipseAndPolygonStayInTheirBox)
{
  TBitmap b = White(40, 40);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clBlack);
  c.Brush().SetColor(clLime);
  c.Ellipse(5, 5, 25, 15);
  for (Integer y = 0; y < 40; ++y)
    for (Integer x = 0; x < 40; ++x)
      if (b.GetPixel(x, y) != clWhite) {
        ASSERT_TRUE(x >= 5 && x < 25 && y >= 5 && y < 15) << x << "," << y;
      }
  EXPECT_EQ(b.GetPixel(15, 10), clLime);
  EXPECT_EQ(b.GetPixel(5, 5), clWhite);

  b.Fill(clWhite);
  c.Pen().SetStyle(psClear);
  std::vector<TPoint> tri{{10, 20}, {30, 20}, {20, 39}};
  c.Polygon(tri);
  EXPECT_EQ(b.GetPixel(20, 25), clLime);
  EXPECT_EQ(b.GetPixel(10, 30), clWhite);
}

TEST(Canvas, RasterOperationsOnKnownPixels)
{
  TBitmap dst = White(4, 1);
  dst.SetPixel(0, 0, 0x0F0F0F);
  dst.SetPixel(1, 0, 0x00FF00);
  dst.SetPixel(2, 0, clBlack);
  TBitmap src(4, 1);
  src.SetPixel(0, 0, 0x3C3C3C);
  src.SetPixel(1, 0, 0xFF00FF);
  src.SetPixel(2, 0, clWhite);
  src.SetPixel(3, 0, 0x123456);
  TCanvas& c = dst.Canvas();
  TBitmap saved = dst;

  struct TCase {
    uint32_t Rop;
    TColor Expect[3];
  };
  const TCase cases[] = {
      {SRCCOPY, {0x3C3C3C, 0xFF00FF, clWhite}},    {SRCAND, {0x0C0C0C, 0x000000, clBlack}},
      {SRCPAINT, {0x3F3F3F, 0xFFFFFF, clWhite}},   {SRCINVERT, {0x333333, 0xFFFFFF, clWhite}},
      {NOTSRCCOPY, {0xC3C3C3, 0x00FF00, clBlack}}, {MERGEPAINT, {0xCFCFCF, 0x00FF00, clBlack}},
      {DSTINVERT, {0xF0F0F0, 0xFF00FF, clWhite}},  {BLACKNESS, {clBlack, clBlack, clBlack}},
      {WHITENESS, {clWhite, clWhite, clWhite}},
  };
  for (const TCase& k : cases) {
    dst = saved;
    c.BitBlt(0, 0, 3, 1, src, 0, 0, k.Rop);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(dst.GetPixel(i, 0), k.Expect[i]) << std::hex << k.Rop << " pixel " << i;
    EXPECT_EQ(dst.GetPixel(3, 0), clWhite);
  }
  // Pattern operations use the brush.
  dst = saved;
  c.Brush().SetColor(0x00F0F0);
  c.PatBlt(0, 0, 2, 1, PATINVERT);
  EXPECT_EQ(dst.GetPixel(0, 0), 0x0FFFFF);
  c.PatBlt(2, 0, 1, 1, PATCOPY);
  EXPECT_EQ(dst.GetPixel(2, 0), 0x00F0F0);
  // The toolbar's mask operation: source 1 (white) keeps the destination, 0 takes the brush.
  dst = saved;
  c.Brush().SetColor(clRed);
  c.BitBlt(0, 0, 3, 1, src, 0, 0, PSDPXAX);
  EXPECT_EQ(dst.GetPixel(2, 0), clBlack);   // white source: destination kept
}

TEST(Canvas, MonochromeConversions)
{
  // A 1-bit source turns 0 into the text colour and 1 into the background colour.
  TBitmap mono(2, 1, TPixelFormat::pf1bit);
  mono.ScanLine(0)[0] = 0x40;   // pixel 0 = 0, pixel 1 = 1
  TBitmap dst = White(2, 1);
  TCanvas& c = dst.Canvas();
  c.SetTextColor(clRed);
  c.SetBkColor(clBlue);
  c.BitBlt(0, 0, 2, 1, mono, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.GetPixel(0, 0), clRed);
  EXPECT_EQ(dst.GetPixel(1, 0), clBlue);

  // A colour source onto a 1-bit target: its background colour (white) becomes 1.
  TBitmap colour(3, 1);
  colour.SetPixel(0, 0, clWhite);
  colour.SetPixel(1, 0, clGreen);
  colour.SetPixel(2, 0, clWhite);
  TBitmap maskTarget(3, 1, TPixelFormat::pf1bit);
  maskTarget.Canvas().BitBlt(0, 0, 3, 1, colour, 0, 0, SRCCOPY);
  EXPECT_EQ(maskTarget.ScanLine(0)[0] & 0xE0, 0xA0);
}

TEST(Canvas, MasksDrawTransparent)
{
  TBitmap picture(4, 4);
  picture.Fill(clRed);
  TBitmap mask(4, 4, TPixelFormat::pf1bit);
  // White (1) is transparent: the left half.
  for (Integer y = 0; y < 4; ++y)
    mask.ScanLine(y)[0] = 0xC0;
  TBitmap dst = White(8, 8);
  dst.Canvas().DrawMasked(Rect(0, 0, 8, 8), picture, mask);   // stretched twice
  EXPECT_EQ(dst.GetPixel(0, 0), clWhite);
  EXPECT_EQ(dst.GetPixel(3, 7), clWhite);
  EXPECT_EQ(dst.GetPixel(4, 0), clRed);
  EXPECT_EQ(dst.GetPixel(7, 7), clRed);

  // A Transparent bitmap leaves out its lower-left colour.
  TBitmap sprite(3, 3);
  sprite.Fill(clLime);
  sprite.SetPixel(1, 1, clBlue);
  sprite.SetTransparent(true);
  TBitmap back = White(5, 5);
  back.Canvas().Draw(1, 1, sprite);
  EXPECT_EQ(back.GetPixel(2, 2), clBlue);
  EXPECT_EQ(back.GetPixel(1, 1), clWhite);
  EXPECT_EQ(CountColour(back, clWhite), 24);

  // The classic mask sequence gives the same result as DrawMasked.
  TBitmap seq = White(4, 4);
  seq.SetPixel(0, 0, clYellow);
  TCanvas& c = seq.Canvas();
  c.SetBkColor(clWhite);
  c.SetTextColor(clBlack);
  c.BitBlt(0, 0, 4, 4, mask, 0, 0, SRCAND);
  TBitmap work = picture;
  TBitmap inverted(4, 4, TPixelFormat::pf1bit);
  inverted.Canvas().BitBlt(0, 0, 4, 4, mask, 0, 0, NOTSRCCOPY);
  work.Canvas().BitBlt(0, 0, 4, 4, inverted, 0, 0, SRCAND);
  c.BitBlt(0, 0, 4, 4, work, 0, 0, SRCPAINT);
  EXPECT_EQ(seq.GetPixel(0, 0), clYellow);
  EXPECT_EQ(seq.GetPixel(1, 3), clWhite);
  EXPECT_EQ(seq.GetPixel(2, 0), clRed);
}

TEST(Canvas, StretchModes)
{
  TBitmap src(4, 1);
  src.SetPixel(0, 0, clBlack);
  src.SetPixel(1, 0, clWhite);
  src.SetPixel(2, 0, clWhite);
  src.SetPixel(3, 0, clWhite);
  TBitmap dst = White(2, 1);
  TCanvas& c = dst.Canvas();
  c.SetStretchBltMode(BLACKONWHITE);   // black wins when shrinking
  c.StretchBlt(0, 0, 2, 1, src, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(dst.GetPixel(0, 0), clBlack);
  EXPECT_EQ(dst.GetPixel(1, 0), clWhite);
  c.SetStretchBltMode(WHITEONBLACK);
  c.StretchBlt(0, 0, 2, 1, src, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(dst.GetPixel(0, 0), clWhite);
  c.SetStretchBltMode(HALFTONE);
  c.StretchBlt(0, 0, 2, 1, src, 0, 0, 4, 1, SRCCOPY);
  EXPECT_EQ(dst.GetPixel(0, 0), RGBColor(127, 127, 127));
  // Negative widths mirror.
  TBitmap wide = White(4, 1);
  wide.Canvas().StretchBlt(3, 0, -4, 1, src, 0, 0, 4, 1, SRCCOPY);   // x + w + 1 .. x
  EXPECT_EQ(wide.GetPixel(3, 0), clBlack);
  EXPECT_EQ(wide.GetPixel(0, 0), clWhite);
}

TEST(Canvas, DrawingOnIndexedBitmapsKeepsThePalette)
{
  TBitmap b(16, 8, TPixelFormat::pf8bit);
  TPalette pal;
  pal.Entries = {{255, 255, 255, 0}, {0, 0, 0, 0}, {0, 0, 200, 0}, {0, 200, 0, 0}};   // B,G,R
  b.SetPalette(pal);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clRed);
  c.Pen().SetColor(clBlack);
  c.Rectangle(0, 0, 8, 8);
  c.MoveTo(8, 4);
  c.LineTo(16, 4);
  c.Font().SetColor(clBlack);
  c.SetBkMode(TRANSPARENT);
  c.TextOut(9, 0, "x");
  EXPECT_EQ(b.Palette().Entries.size(), 4u);
  EXPECT_EQ(b.ScanLine(0)[0], 1);    // outline: black entry
  EXPECT_EQ(b.ScanLine(3)[3], 2);    // red maps to the nearest entry (200, 0, 0)
  EXPECT_EQ(b.ScanLine(4)[10], 1);   // the line
  EXPECT_EQ(b.ScanLine(7)[15], 0);   // untouched stays white
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 16; ++x)
      ASSERT_LT(b.ScanLine(y)[x], 4);
}

TEST(Canvas, DrawEdgeClassicColours)
{
  TBitmap b = White(10, 10);
  TCanvas& c = b.Canvas();
  TRect r = Rect(0, 0, 10, 10);
  EXPECT_TRUE(c.DrawEdge(r, EDGE_RAISED, BF_RECT | BF_ADJUST | BF_MIDDLE));
  EXPECT_EQ(r, Rect(2, 2, 8, 8));
  EXPECT_EQ(b.GetPixel(0, 0), clSilver);   // outer top-left: 3-D light
  EXPECT_EQ(b.GetPixel(1, 1), clWhite);    // inner top-left: highlight
  EXPECT_EQ(b.GetPixel(9, 9), clBlack);    // outer bottom-right: dark shadow
  EXPECT_EQ(b.GetPixel(8, 8), clGray);     // inner bottom-right: shadow
  EXPECT_EQ(b.GetPixel(9, 0), clBlack);    // the top-right corner belongs to the right side
  EXPECT_EQ(b.GetPixel(5, 5), clSilver);   // middle: button face

  b.Fill(clWhite);
  r = Rect(0, 0, 10, 10);
  c.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
  EXPECT_EQ(r, Rect(0, 0, 10, 10));
  EXPECT_EQ(b.GetPixel(0, 5), clGray);
  EXPECT_EQ(b.GetPixel(1, 5), clBlack);
  EXPECT_EQ(b.GetPixel(9, 5), clWhite);
  EXPECT_EQ(b.GetPixel(8, 5), clSilver);
  EXPECT_EQ(b.GetPixel(5, 5), clWhite);

  // A focus rectangle drawn twice leaves nothing behind.
  b.Fill(clWhite);
  c.DrawFocusRect(Rect(1, 1, 9, 9));
  EXPECT_GT(CountColour(b, clBlack), 0);
  c.DrawFocusRect(Rect(1, 1, 9, 9));
  EXPECT_EQ(CountColour(b, clWhite), 100);
}

TEST(Canvas, ClippingInDeviceSpace)
{
  TBitmap b = White(20, 20);
  TCanvas& c = b.Canvas();
  c.IntersectClipRect(5, 5, 15, 15);
  c.ExcludeClipRect(8, 8, 10, 10);
  c.FillRect(Rect(0, 0, 20, 20), clRed);
  EXPECT_EQ(CountColour(b, clRed), 100 - 4);
  EXPECT_EQ(b.GetPixel(9, 9), clWhite);
  EXPECT_EQ(c.ClipRect(), Rect(5, 5, 15, 15));

  int saved = c.SaveDC();
  TRegion ellipse = TRegion::Ellipse(Rect(0, 0, 4, 4));
  c.SelectClipRgn(&ellipse);
  c.FillRect(Rect(0, 0, 20, 20), clBlue);
  EXPECT_EQ(b.GetPixel(0, 0), clWhite);
  EXPECT_EQ(b.GetPixel(1, 1), clBlue);
  EXPECT_TRUE(c.RestoreDC(saved));
  TRegion back;
  ASSERT_TRUE(c.GetClipRgn(back));
  EXPECT_FALSE(back.Contains(9, 9));
  EXPECT_TRUE(back.Contains(5, 5));
  c.SelectClipRgn(nullptr);
  EXPECT_FALSE(c.GetClipRgn(back));
  EXPECT_EQ(c.ClipRect(), Rect(0, 0, 20, 20));

  // The window origin moves drawing; clip regions stay in device space.
  c.SetWindowOrgEx(10, 0);
  b.Fill(clWhite);
  c.FillRect(Rect(10, 0, 11, 1), clRed);
  EXPECT_EQ(b.GetPixel(0, 0), clRed);
  EXPECT_EQ(c.GetPixel(10, 0), clRed);
}

TEST(Canvas, AnisotropicMappingScales)
{
  TFixedMetricDevice* dev;
  auto c = CreateFixedMetricCanvas(2000, 2000, &dev);
  c->SetMapMode(MM_ANISOTROPIC);
  c->SetWindowExtEx(96, 96);
  c->SetViewportExtEx(600, 300);   // a 600 x 300 dpi printer
  c->SetViewportOrgEx(50, 60);
  EXPECT_EQ(c->LPtoDP(TPoint{96, 96}), (TPoint{650, 360}));
  EXPECT_EQ(c->DPtoLP(TPoint{650, 360}), (TPoint{96, 96}));
  dev->ClearRecords();
  c->Rectangle(0, 0, 48, 96);
  ASSERT_EQ(dev->Records.size(), 1u);
  EXPECT_EQ(dev->Records[0].Rect, Rect(50, 60, 350, 360));
  // Fonts scale with the mapping and metrics come back in logical units.
  c->Font().SetHeight(-16);
  EXPECT_EQ(c->GetTextMetrics().tmHeight, 16);
  dev->ClearRecords();
  c->TextOut(0, 0, "a");
  ASSERT_EQ(dev->Records.size(), 2u);   // opaque background, then the text
  EXPECT_EQ(dev->Records[1].Font.Height, -50);
  c->SetMapMode(MM_TEXT);
  EXPECT_EQ(c->LPtoDP(TPoint{96, 96}), (TPoint{146, 156}));
}

// A run drawn with logical advances under a printer's mapping: its glyphs stand where their
// logical offsets map to, however long the run, so the run ends where the next one begins.
TEST(Canvas, MappedAdvancesDoNotAddUpTheirRounding)
{
  TFixedMetricDevice* dev;
  auto c = CreateFixedMetricCanvas(3000, 300, &dev);
  c->SetMapMode(MM_ANISOTROPIC);
  c->SetWindowExtEx(96, 96);
  c->SetViewportExtEx(300, 300);
  c->SetBkMode(TRANSPARENT);
  const std::u16string run(64, u'n');
  const std::vector<Integer> dx(run.size(), 7);   // 21.875 device pixels each
  dev->ClearRecords();
  c->ExtTextOutW(10, 0, 0, nullptr, run.data(), run.size(), dx.data());
  ASSERT_EQ(dev->Records.size(), 1u);
  const TCanvasRecord& r = dev->Records[0];
  ASSERT_EQ(r.Advances.size(), run.size());
  Integer x = r.Point.X;
  for (size_t i = 0; i < run.size(); ++i) {
    EXPECT_NEAR(x, c->LPtoDP(TPoint{10 + 7 * static_cast<Integer>(i), 0}).X, 1) << i;
    x += r.Advances[i];
  }
  EXPECT_NEAR(x, c->LPtoDP(TPoint{10 + 7 * 64, 0}).X, 1);
}

TEST(Canvas, DrawTextLayout)
{
  TFixedMetricDevice* dev;
  auto c = CreateFixedMetricCanvas(400, 400, &dev);
  c->Font().SetHeight(-10);   // 5 pixels a character, 10 a line
  c->SetBkMode(TRANSPARENT);
  TRect r = Rect(0, 0, 50, 100);
  EXPECT_EQ(c->DrawText("one two three four", r, DT_CALCRECT | DT_WORDBREAK), 20);
  EXPECT_EQ(r.Bottom, 20);
  r = Rect(0, 0, 50, 100);
  dev->ClearRecords();
  c->DrawText("one two three four", r, DT_WORDBREAK);
  EXPECT_EQ(dev->Texts(), (std::vector<std::u16string>{u"one two", u"three four"}));

  r = Rect(0, 0, 100, 30);
  EXPECT_EQ(c->DrawText("&File", r, DT_CALCRECT | DT_SINGLELINE), 10);
  EXPECT_EQ(r.Right, 20);
  dev->ClearRecords();
  r = Rect(0, 0, 100, 30);
  c->DrawText("&File", r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  auto texts = dev->Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], u"File");
  // Centred: (100 - 20) / 2 = 40; baseline at top 10 + ascent 8.
  for (const TCanvasRecord& rec : dev->Records)
    if (rec.Kind == TCanvasRecord::TextOut) {
      EXPECT_EQ(rec.Point, (TPoint{40, 18}));
    }
  bool underline = false;
  for (const TCanvasRecord& rec : dev->Records)
    if (rec.Kind == TCanvasRecord::Fill && rec.Rect.Left == 40 && rec.Rect.Right == 45)
      underline = true;
  EXPECT_TRUE(underline) << "the prefixed F is underlined";

  dev->ClearRecords();
  r = Rect(0, 0, 40, 30);
  c->DrawText("A long caption", r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  EXPECT_EQ(dev->Texts(), (std::vector<std::u16string>{u"A lon..."}));
}

TEST(Canvas, CopiesWithinOneBitmapOverlap)
{
  TBitmap b(6, 1, TPixelFormat::pf32bit);
  for (Integer x = 0; x < 6; ++x)
    b.SetPixel(x, 0, RGBColor(x * 10, 0, 0));
  // Shift right by one: a naive left-to-right copy would smear pixel 0.
  b.Canvas().BitBlt(1, 0, 5, 1, b, 0, 0, SRCCOPY);
  for (Integer x = 1; x < 6; ++x)
    EXPECT_EQ(b.GetPixel(x, 0), RGBColor((x - 1) * 10, 0, 0));
  // 24 to 32 bits and back, partly outside the source.
  TBitmap src(3, 3, TPixelFormat::pf24bit);
  src.Fill(clRed);
  TBitmap dst(4, 4, TPixelFormat::pf32bit);
  dst.Fill(clWhite);
  dst.Canvas().BitBlt(0, 0, 4, 4, src, 1, 1, SRCCOPY);
  EXPECT_EQ(dst.GetPixel(1, 1), clRed);
  EXPECT_EQ(dst.GetPixel(2, 2), clWhite);   // beyond the source: left alone
  EXPECT_EQ(dst.GetPixel(2, 0), clWhite);
}

TEST(Canvas, PatternBrushesTileFromTheDeviceOrigin)
{
  // An 8 x 8 checkerboard of a 1-bit pattern: 0 takes the text colour, 1 the background.
  TBitmap pattern(8, 8, TPixelFormat::pf1bit);
  for (Integer y = 0; y < 8; ++y)
    pattern.ScanLine(y)[0] = (y & 1) ? 0x55 : 0xAA;
  TBitmap b = White(10, 10);
  TCanvas& c = b.Canvas();
  c.Brush().SetBitmap(&pattern);
  c.SetTextColor(clRed);
  c.SetBkColor(clBlue);
  c.FillRect(Rect(1, 1, 9, 9));
  EXPECT_EQ(b.GetPixel(0, 0), clWhite);
  EXPECT_EQ(b.GetPixel(1, 1), clBlue);   // (1,1): row 1 = 0x55, bit 1 set
  EXPECT_EQ(b.GetPixel(2, 1), clRed);
  EXPECT_EQ(b.GetPixel(8, 8), clBlue);
  TBitmap p = White(4, 1);
  p.Canvas().Brush().SetBitmap(&pattern);
  p.Canvas().SetTextColor(clRed);
  p.Canvas().SetBkColor(clBlue);
  p.Canvas().PatBlt(0, 0, 4, 1, PATCOPY);
  EXPECT_EQ(p.GetPixel(0, 0), clBlue);
  EXPECT_EQ(p.GetPixel(1, 0), clRed);
}
