#include <gtest/gtest.h>

#include <numeric>

#include "platform/CanvasFixed.h"
#include "platform/Fonts.h"
#include "platform/Graphics.h"

namespace {

struct TBitmapCanvas {
  explicit TBitmapCanvas(Integer w = 200, Integer h = 100, TPixelFormat f = TPixelFormat::pf24bit) : Bitmap(w, h, f)
  {
    Bitmap.Fill(clWhite);
  }
  TCanvas& C() { return Bitmap.Canvas(); }
  TBitmap Bitmap;
};

// Bounding box of the pixels that are not white.
TRect InkBox(const TBitmap& b)
{
  TRect r{b.Width(), b.Height(), -1, -1};
  for (Integer y = 0; y < b.Height(); ++y)
    for (Integer x = 0; x < b.Width(); ++x)
      if (b.GetPixel(x, y) != clWhite) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

}   // namespace

TEST(CanvasText, MetricsAreSelfConsistent)
{
  TBitmapCanvas bc;
  for (const char* name : {"Arial", "Times New Roman", "Courier New", "MS Sans Serif"}) {
    for (Integer h : {-11, -13, -16, -24, 20}) {
      TCanvas& c = bc.C();
      c.Font().SetName(name);
      c.Font().SetHeight(h);
      TTextMetric tm = c.GetTextMetrics();
      SCOPED_TRACE(std::string(name) + " " + std::to_string(h));
      EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
      EXPECT_GT(tm.tmAscent, 0);
      EXPECT_GE(tm.tmDescent, 0);
      if (h < 0)
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, -h);
      else
        EXPECT_NEAR(tm.tmHeight, h, 1);
      EXPECT_GE(tm.tmMaxCharWidth, tm.tmAveCharWidth);

      std::u16string s = u"Gears, pulleys & cams: WAVY text.";
      std::vector<Integer> partial(s.size());
      Integer fit = -1;
      TSize whole = c.GetTextExtentExPointW(s.data(), s.size(), 1 << 20, &fit, partial.data());
      EXPECT_EQ(fit, static_cast<Integer>(s.size()));
      Integer sum = 0;
      for (char16_t ch : s)
        sum += c.TextWidthW(std::u16string(1, ch));
      EXPECT_EQ(whole.cx, sum) << "character widths must add up to the extent";
      EXPECT_EQ(partial.back(), whole.cx);
      EXPECT_EQ(whole.cy, tm.tmHeight);
      // The fit count is the longest prefix within the limit.
      Integer limit = partial[9];
      c.GetTextExtentExPointW(s.data(), s.size(), limit, &fit, nullptr);
      EXPECT_EQ(fit, 10);
      c.GetTextExtentExPointW(s.data(), s.size(), limit - 1, &fit, nullptr);
      EXPECT_EQ(fit, partial[8] <= limit - 1 ? 9 : 8);
      c.GetTextExtentExPointW(s.data(), s.size(), 0, &fit, nullptr);
      EXPECT_EQ(fit, 0);
    }
  }
}

TEST(CanvasText, LiberationSubstitutes)
{
  EXPECT_EQ(ResolveFontFamily("Arial"), "Liberation Sans");
  EXPECT_EQ(ResolveFontFamily("ms sans serif"), "Liberation Sans");
  EXPECT_EQ(ResolveFontFamily("Times New Roman"), "Liberation Serif");
  EXPECT_EQ(ResolveFontFamily("Courier New"), "Liberation Mono");
  EXPECT_EQ(ResolveFontFamily("No Such Font At All"), "Liberation Sans");
  EXPECT_TRUE(IsScreenFont("arial"));
  EXPECT_TRUE(IsScreenFont("Liberation Serif"));
  EXPECT_FALSE(IsScreenFont("No Such Font At All"));
  const auto& fonts = ScreenFonts();
  EXPECT_TRUE(std::is_sorted(fonts.begin(), fonts.end(),
                             [](const std::string& a, const std::string& b) { return LowerCase(a) < LowerCase(b); }));

  // Courier New is fixed pitch, Arial is not, Arial matches Liberation Sans exactly.
  TBitmapCanvas bc;
  TCanvas& c = bc.C();
  c.Font().SetName("Courier New");
  c.Font().SetHeight(-16);
  EXPECT_EQ(c.TextWidth("iiii"), c.TextWidth("WWWW"));
  c.Font().SetName("Arial");
  EXPECT_LT(c.TextWidth("iiii"), c.TextWidth("WWWW"));
  Integer arial = c.TextWidth("Mechanism");
  c.Font().SetName("Liberation Sans");
  EXPECT_EQ(c.TextWidth("Mechanism"), arial);
}

TEST(CanvasText, TopAndBaselineAlignmentPlaceInk)
{
  TBitmapCanvas bc(200, 100);
  TCanvas& c = bc.C();
  c.Font().SetName("Arial");
  c.Font().SetHeight(-20);
  c.Font().SetColor(clBlack);
  c.Brush().SetStyle(bsClear);
  TTextMetric tm = c.GetTextMetrics();

  c.TextOut(10, 10, "H");
  TRect top = InkBox(bc.Bitmap);
  // A capital H stands on the baseline, which lies tmAscent below the top.
  EXPECT_EQ(top.Bottom, 10 + tm.tmAscent);
  EXPECT_GE(top.Top, 10);
  EXPECT_GE(top.Left, 10);

  bc.Bitmap.Fill(clWhite);
  c.SetTextAlign(TA_BASELINE | TA_LEFT);
  c.TextOut(10, 50, "H");
  TRect base = InkBox(bc.Bitmap);
  EXPECT_EQ(base.Bottom, 50);
  EXPECT_EQ(base.Height(), top.Height());

  bc.Bitmap.Fill(clWhite);
  c.SetTextAlign(TA_BOTTOM | TA_RIGHT);
  c.TextOut(150, 60, "H");
  TRect bottom = InkBox(bc.Bitmap);
  EXPECT_EQ(bottom.Bottom, 60 - tm.tmDescent);
  EXPECT_LE(bottom.Right, 150);
  EXPECT_GE(bottom.Right, 150 - 3);
}

TEST(CanvasText, OpaqueAndTransparentBackground)
{
  TBitmapCanvas bc(200, 60);
  TCanvas& c = bc.C();
  c.Font().SetName("Arial");
  c.Font().SetHeight(-16);
  c.Font().SetColor(clBlack);
  TSize ext = c.TextExtent("x");
  // A solid brush makes the background opaque in the brush colour.
  c.Brush().SetColor(clYellow);
  c.TextOut(10, 10, "x");
  EXPECT_EQ(bc.Bitmap.GetPixel(10, 10), clYellow);
  EXPECT_EQ(bc.Bitmap.GetPixel(10 + ext.cx - 1, 10 + ext.cy - 1), clYellow);
  EXPECT_EQ(bc.Bitmap.GetPixel(10 + ext.cx, 10), clWhite);
  // Transparent mode leaves the cell alone.
  c.SetBkMode(TRANSPARENT);
  c.TextOut(100, 10, "x");
  EXPECT_EQ(bc.Bitmap.GetPixel(100, 10), clWhite);
  // ExtTextOut with ETO_OPAQUE fills its rectangle in the background colour.
  c.SetBkColor(clRed);
  TRect r{10, 40, 60, 55};
  c.ExtTextOutW(12, 40, ETO_OPAQUE | ETO_CLIPPED, &r, u"xx", 2);
  EXPECT_EQ(bc.Bitmap.GetPixel(58, 54), clRed);
  EXPECT_EQ(bc.Bitmap.GetPixel(60, 54), clWhite);
}

TEST(CanvasText, JustificationSpreadsOverBreaks)
{
  TBitmapCanvas bc;
  TCanvas& c = bc.C();
  std::u16string s = u"a b c d";
  Integer plain = c.TextWidthW(s);
  c.SetTextJustification(7, 3);
  std::vector<Integer> partial(s.size());
  TSize wide = c.GetTextExtentExPointW(s.data(), s.size(), -1, nullptr, partial.data());
  EXPECT_EQ(wide.cx, plain + 7);
  c.SetTextJustification(0, 0);
  EXPECT_EQ(c.TextWidthW(s), plain);
}

TEST(CanvasText, FixedMetricBackend)
{
  TFixedMetricDevice* dev = nullptr;
  auto c = CreateFixedMetricCanvas(400, 300, &dev);
  dev->SetCharWidth(13, 7);
  c->Font().SetHeight(-20);
  TTextMetric tm = c->GetTextMetrics();
  EXPECT_EQ(tm.tmHeight, 20);
  EXPECT_EQ(tm.tmDescent, 4);
  EXPECT_EQ(tm.tmAscent, 16);
  EXPECT_EQ(c->TextWidth("hello"), 50);
  c->Font().SetHeight(-13);
  EXPECT_EQ(c->TextWidth("hello"), 35);
  Integer fit = 0;
  std::u16string s = u"abcdefgh";
  c->GetTextExtentExPointW(s.data(), s.size(), 22, &fit, nullptr);
  EXPECT_EQ(fit, 3);

  dev->ClearRecords();
  c->SetTextAlign(TA_BASELINE);
  c->SetBkMode(TRANSPARENT);
  c->TextOutW(10, 40, u"ab");
  ASSERT_EQ(dev->Records.size(), 1u);
  EXPECT_EQ(dev->Records[0].Kind, TCanvasRecord::TextOut);
  EXPECT_EQ(dev->Records[0].Point, (TPoint{10, 40}));
  EXPECT_EQ(dev->Records[0].Text, u"ab");
  EXPECT_EQ(dev->Records[0].Advances, (std::vector<Integer>{7, 7}));

  dev->ClearRecords();
  c->IntersectClipRect(0, 0, 50, 50);
  c->Rectangle(1, 2, 30, 40);
  ASSERT_EQ(dev->Records.size(), 2u);
  EXPECT_EQ(dev->Records[0].Kind, TCanvasRecord::Clip);
  EXPECT_EQ(dev->Records[0].Rect, (TRect{0, 0, 50, 50}));
  EXPECT_EQ(dev->Records[1].Kind, TCanvasRecord::Shape);
  EXPECT_EQ(dev->Records[1].Rect, (TRect{1, 2, 30, 40}));
  EXPECT_TRUE(dev->Records[1].HasClip);
}
