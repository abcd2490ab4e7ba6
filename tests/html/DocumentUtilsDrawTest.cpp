#include <gtest/gtest.h>

#include <set>

#include "html/DocumentUtils.h"
#include "platform/Controls.h"
#include "platform/CanvasFixed.h"
#include "platform/Fonts.h"

namespace {

std::unique_ptr<TAttributeList> AreaTag(const std::string& shape, const std::string& coords, const std::string& href,
                                        bool nohref = false)
{
  auto a = std::make_unique<TAttributeList>();
  a->Add(std::make_unique<TAttribute>(HrefSy, 0, href));
  if (nohref)
    a->Add(std::make_unique<TAttribute>(NoHrefSy, 0, ""));
  a->Add(std::make_unique<TAttribute>(ShapeSy, 0, shape));
  a->Add(std::make_unique<TAttribute>(CoordsSy, 0, coords));
  a->Add(std::make_unique<TAttribute>(TargetSy, 0, "_blank"));
  return a;
}

TEST(DocumentUtilsMap, AreasAndHits)
{
  TMapItem map;
  map.AddArea(*AreaTag("circle", "10,10", "nothing.htm"));   // too few numbers
  map.AddArea(*AreaTag("rect", "0, 0, 9, 9", "hidden.htm", true));
  map.AddArea(*AreaTag("RECT", "0 0 49 49", "rect.htm"));
  map.AddArea(*AreaTag("Circle", "100,100,10", "circle.htm"));
  map.AddArea(*AreaTag("Polygon", "200,0,300,0,250,50,999", "poly.htm"));
  map.AddArea(*AreaTag("poly", "1,2,3,4,5", "short.htm"));
  map.AddArea(*AreaTag("rect", "x,y,99999999999999999999999,2147483647", "huge.htm"));
  ASSERT_EQ(map.Areas.size(), 5u);

  std::unique_ptr<TUrlTarget> ut;
  EXPECT_FALSE(map.GetURL(5, 5, ut));   // an area without link hides the rest
  ASSERT_TRUE(map.GetURL(49, 49, ut));
  EXPECT_EQ(ut->URL, "rect.htm");
  EXPECT_EQ(ut->Target, "_blank");
  EXPECT_FALSE(map.GetURL(50, 50, ut) && ut->URL == "rect.htm");
  ASSERT_TRUE(map.GetURL(100, 110, ut));
  EXPECT_EQ(ut->URL, "circle.htm");
  ASSERT_TRUE(map.GetURL(250, 10, ut));
  EXPECT_EQ(ut->URL, "poly.htm");
  ASSERT_TRUE(map.GetURL(0, 900000, ut));   // numbers too big for a field count as 0, the rest clamp
  EXPECT_EQ(ut->URL, "huge.htm");
  EXPECT_FALSE(map.GetURL(-5, -5, ut));
}

TEST(DocumentUtilsMap, RectangleCornersInEitherOrder)
{
  TMapItem map;
  map.AddArea(*AreaTag("rect", "49,49,10,10", "swapped.htm"));
  map.AddArea(*AreaTag("rect", "100,20,60,0", "mixed.htm"));
  ASSERT_EQ(map.Areas.size(), 2u);
  std::unique_ptr<TUrlTarget> ut;
  for (TPoint p : {Point(10, 10), Point(49, 49), Point(30, 20)}) {
    ASSERT_TRUE(map.GetURL(p.X, p.Y, ut)) << p.X << "," << p.Y;
    EXPECT_EQ(ut->URL, "swapped.htm");
  }
  EXPECT_FALSE(map.GetURL(50, 30, ut));
  EXPECT_FALSE(map.GetURL(9, 30, ut));
  for (TPoint p : {Point(60, 0), Point(100, 20)}) {
    ASSERT_TRUE(map.GetURL(p.X, p.Y, ut)) << p.X << "," << p.Y;
    EXPECT_EQ(ut->URL, "mixed.htm");
  }
  EXPECT_FALSE(map.GetURL(101, 10, ut));
}

// An area answers for each pixel as a region of the same shape would: the pixel's centre
// decides, for circles, odd polygons (self-crossing, with a hole by winding) and rectangles.
TEST(DocumentUtilsMap, AreasHitThePixelsOfTheirRegions)
{
  struct TCase {
    const char* Shape;
    const char* Coords;
    TRegion Region;
  };
  const std::vector<TPoint> star = {Point(20, 0), Point(32, 38), Point(0, 14), Point(40, 14), Point(8, 38)};
  const std::vector<TPoint> ring = {Point(0, 0),   Point(40, 0),  Point(40, 40), Point(0, 40),  Point(0, 0),
                                    Point(10, 10), Point(10, 30), Point(30, 30), Point(30, 10), Point(10, 10)};
  const std::vector<TPoint> slant = {Point(3, 1), Point(37, 6), Point(29, 33), Point(2, 27)};
  const TCase cases[] = {
      {"circle", "20,20,13", TRegion::Ellipse(Rect(7, 7, 34, 34))},
      {"circle", "20,21,1", TRegion::Ellipse(Rect(19, 20, 22, 23))},
      {"circle", "20,20,0", TRegion::Ellipse(Rect(20, 20, 21, 21))},
      {"poly", "20,0,32,38,0,14,40,14,8,38", TRegion::Polygon(star, WINDING)},
      {"poly", "0,0,40,0,40,40,0,40,0,0,10,10,10,30,30,30,30,10,10,10", TRegion::Polygon(ring, WINDING)},
      {"poly", "3,1,37,6,29,33,2,27", TRegion::Polygon(slant, WINDING)},
      {"rect", "5,6,30,25", TRegion(Rect(5, 6, 31, 26))},
  };
  for (const TCase& c : cases) {
    TMapItem map;
    map.AddArea(*AreaTag(c.Shape, c.Coords, "in.htm"));
    ASSERT_EQ(map.Areas.size(), 1u) << c.Coords;
    int inside = 0;
    for (int32_t y = -2; y < 44; ++y)
      for (int32_t x = -2; x < 44; ++x) {
        std::unique_ptr<TUrlTarget> ut;
        const bool hit = map.GetURL(x, y, ut);
        ASSERT_EQ(hit, c.Region.Contains(x, y)) << c.Shape << " " << c.Coords << " at " << x << "," << y;
        inside += hit;
      }
    EXPECT_GT(inside, 0) << c.Coords;
  }
  // The ring's hole: the winding of the inner loop cancels the outer one.
  TMapItem map;
  map.AddArea(*AreaTag("poly", "0,0,40,0,40,40,0,40,0,0,10,10,10,30,30,30,30,10,10,10", "ring.htm"));
  std::unique_ptr<TUrlTarget> ut;
  EXPECT_TRUE(map.GetURL(5, 20, ut));
  EXPECT_FALSE(map.GetURL(20, 20, ut));
}

// Areas far larger than any picture keep their shape however far out the point is, and a
// many-pointed area over such a range is had at once.
TEST(DocumentUtilsMap, HugeAreasKeepTheirShape)
{
  TMapItem map;
  map.AddArea(*AreaTag("circle", "0,0,900000", "circle.htm"));
  std::string comb;
  for (int i = 0; i < 75; ++i)
    comb += std::to_string(i * 13000) + ",-1000000," + std::to_string(i * 13000 + 6500) + ",1000000,";
  map.AddArea(*AreaTag("poly", comb, "comb.htm"));
  std::unique_ptr<TUrlTarget> ut;
  ASSERT_TRUE(map.GetURL(600000, 600000, ut));
  EXPECT_EQ(ut->URL, "circle.htm");
  EXPECT_FALSE(map.GetURL(700000, 700000, ut));
  ASSERT_TRUE(map.GetURL(-800000, 100000, ut));
  EXPECT_EQ(ut->URL, "circle.htm");
  // Past the circle, at the comb's far end: right of its closing edge, between two teeth.
  ASSERT_TRUE(map.GetURL(960000, 0, ut));
  EXPECT_EQ(ut->URL, "comb.htm");
  EXPECT_FALSE(map.GetURL(1000000, 0, ut));
}

// FitText's answer is the longest prefix that fits, on whichever device measures.
void CheckFit(TCanvas& canvas)
{
  const std::u16string text = u"The quick brown fox jumps over the lazy dog";
  const int32_t n = static_cast<int32_t>(text.size());
  int32_t whole = GetXExtent(canvas, text.data(), n);
  ASSERT_GT(whole, 0);
  for (int32_t width : {0, 1, whole / 3, whole / 2, whole - 1, whole, whole + 50}) {
    int32_t extent = -1;
    int32_t fit = FitText(canvas, text.data(), n, width, extent);
    EXPECT_EQ(extent, GetXExtent(canvas, text.data(), fit));
    EXPECT_LE(extent, std::max(width, 0));
    if (fit < n) {
      EXPECT_GT(GetXExtent(canvas, text.data(), fit + 1), width) << width;
    }
  }
  int32_t extent;
  EXPECT_EQ(FitText(canvas, text.data(), 5, 100000, extent), 5);
  EXPECT_EQ(FitText(canvas, text.data(), 0, 100000, extent), 0);
  EXPECT_EQ(extent, 0);
  const std::u16string smile = u"ab\U0001F600";
  int32_t two = GetXExtent(canvas, smile.data(), 2);
  int32_t four = GetXExtent(canvas, smile.data(), 4);
  if (four > two) {   // a pair is never cut
    EXPECT_EQ(FitText(canvas, smile.data(), 4, four - 1, extent), 2);
  }
}

TEST(DocumentUtilsText, FitOnFixedMetrics)
{
  TFixedMetricDevice* dev = nullptr;
  auto canvas = CreateFixedMetricCanvas(400, 300, &dev);
  canvas->Font().SetHeight(-10);
  const std::u16string abc = u"abcdef";
  EXPECT_EQ(GetXExtent(*canvas, abc.data(), 6), 30);
  int32_t extent;
  EXPECT_EQ(FitText(*canvas, abc.data(), 6, 17, extent), 3);
  EXPECT_EQ(extent, 15);
  EXPECT_EQ(FitText(*canvas, abc.data(), 6, 20, extent), 4);
  CheckFit(*canvas);
}

TEST(DocumentUtilsText, FitOnTheScreenCanvas)
{
  EnsureGuiApplication();
  TBitmap bmp(200, 50);
  auto canvas = CreateBitmapCanvas(bmp);
  canvas->Font().SetName("Arial");
  canvas->Font().SetHeight(-13);
  CheckFit(*canvas);
}

TEST(DocumentUtilsText, WrapText)
{
  TFixedMetricDevice* dev = nullptr;
  auto canvas = CreateFixedMetricCanvas(400, 300, &dev);
  canvas->Font().SetHeight(-10);   // 5 pixels a character, lines 10 high
  WrapText(*canvas, 10, 20, 60, 45, "one two three four five");
  std::vector<std::u16string> expect = {u"one two", u"three four"};
  EXPECT_EQ(dev->Texts(), expect);
  ASSERT_EQ(dev->Records.size(), 2u);
  EXPECT_EQ(canvas->BkMode(), OPAQUE);
}

TEST(DocumentUtilsDraw, FramesUseTheThreeDColours)
{
  TFixedMetricDevice* dev = nullptr;
  auto canvas = CreateFixedMetricCanvas(400, 300, &dev);
  auto colours = [&]() {
    std::vector<TColor> c;
    for (const TCanvasRecord& r : dev->Records)
      if (r.Kind == TCanvasRecord::Shape)
        c.push_back(r.Color);
    dev->ClearRecords();
    return c;
  };
  FormControlRect(*canvas, 0, 0, 100, 20, false, true);
  ASSERT_FALSE(dev->Records.empty());
  EXPECT_EQ(dev->Records[0].Kind, TCanvasRecord::Fill);
  EXPECT_EQ(dev->Records[0].Color, clWhite);
  std::vector<TColor> c = colours();
  ASSERT_FALSE(c.empty());
  EXPECT_EQ(c.front(), ColorToRGB(clBtnShadow));   // sunken: dark top and left
  EXPECT_EQ(c.back(), ColorToRGB(clSilver));

  TBorderLook look;
  RaisedRect(look, *canvas, 0, 0, 50, 50, true);
  c = colours();
  EXPECT_EQ(c.front(), ColorToRGB(clSilver));
  EXPECT_EQ(c.back(), ColorToRGB(clBtnShadow));
  look.Background = RGBColor(0, 0, 128);
  RaisedRect(look, *canvas, 0, 0, 50, 50, true);
  EXPECT_EQ(colours().front(), ColorToRGB(clBtnHighlight));
  RaisedRectColor(look, *canvas, 0, -100000, 50, 100000, clRed, clBlue, false);
  ASSERT_FALSE(dev->Records.empty());
  for (const TCanvasRecord& r : dev->Records)
    for (const TPoint& p : r.Points)
      EXPECT_TRUE(p.Y >= -200 && p.Y <= 5000) << p.Y;
  EXPECT_EQ(colours().front(), clBlue);
}

// Table borders on a canvas taller than a window (a whole page drawn at once, as the page
// pictures are) are drawn where they are, not pulled up to a fixed line.
TEST(DocumentUtilsDraw, BordersFarDownATallCanvasStayInPlace)
{
  TFixedMetricDevice* dev = nullptr;
  auto canvas = CreateFixedMetricCanvas(300, 8000, &dev);
  TBorderLook look;
  RaisedRect(look, *canvas, 10, 6000, 60, 6100, true);
  int32_t top = INT32_MAX, bottom = INT32_MIN;
  for (const TCanvasRecord& r : dev->Records)
    for (const TPoint& p : r.Points) {
      top = std::min(top, p.Y);
      bottom = std::max(bottom, p.Y);
    }
  EXPECT_EQ(top, 6000);
  EXPECT_EQ(bottom, 6099);
  // A border far beyond the canvas still stays near it.
  dev->ClearRecords();
  RaisedRect(look, *canvas, 10, -1000000, 60, 1000000, true);
  for (const TCanvasRecord& r : dev->Records)
    for (const TPoint& p : r.Points)
      EXPECT_TRUE(p.Y >= -200 && p.Y <= 8200) << p.Y;
}

TEST(DocumentUtilsPictures, BuiltIns)
{
  EXPECT_FALSE(DefBitmap().Empty());
  ASSERT_EQ(ErrorBitmap().Width(), ErrorBitmapMask().Width());
  ASSERT_EQ(ErrorBitmap().Height(), ErrorBitmapMask().Height());
  EXPECT_EQ(ErrorBitmapMask().PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(ErrorBitmap().GetPixel(2, 2), clRed);
  EXPECT_EQ(ErrorBitmapMask().GetPixel(2, 2), clBlack);   // the cross shows
  EXPECT_EQ(ErrorBitmapMask().GetPixel(7, 2), clWhite);   // the page shows through
  for (int i = HandCursor; i <= DownOnlyCursor; ++i) {
    const TCursorImage* c = BuiltInCursor(i);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Image.Width(), c->Mask.Width());
    EXPECT_TRUE(Bounds(0, 0, c->Mask.Width(), c->Mask.Height()).Contains(c->HotSpot));
    EXPECT_EQ(c->Mask.GetPixel(c->HotSpot.X, c->HotSpot.Y), clBlack) << i;
  }
  EXPECT_EQ(BuiltInCursor(0), nullptr);
  EXPECT_EQ(BuiltInCursor(6), nullptr);
  // They are the screen's cursors 1 to 5 once the application is up: the hand over links.
  InstallViewerCursors();
  for (int i = HandCursor; i <= DownOnlyCursor; ++i)
    EXPECT_TRUE(HasScreenCursorImage(static_cast<TCursor>(i))) << i;
  // The hand: black outline, white inside, the page round it.
  const TCursorImage* hand = BuiltInCursor(HandCursor);
  const TBitmap shown = CursorPicture(hand->Image, hand->Mask, clRed);
  std::set<TColor> colours;
  for (int y = 0; y < shown.Height(); ++y)
    for (int x = 0; x < shown.Width(); ++x)
      colours.insert(shown.GetPixel(x, y));
  EXPECT_EQ(colours, (std::set<TColor>{clBlack, clWhite, clRed}));
  EXPECT_EQ(shown.GetPixel(hand->HotSpot.X, hand->HotSpot.Y), clBlack);
  EXPECT_EQ(shown.GetPixel(0, shown.Height() - 1), clRed);
}

}   // namespace
