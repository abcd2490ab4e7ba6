// The index page's stripe and icons, the test window's answer button and the answer strip's
// tick and cross: small flat drawings.
#include <cmath>

#include "platform/BmpFile.h"
#include "tools/common/GifWriter.h"
#include "tools/make-content/Content.h"
#include "tools/make-content/Sketch.h"

namespace {

// The colour that stands for "transparent" in the icons: no drawing uses it.
constexpr TColor Key = RGBColor(255, 0, 255);
const TRGB White{1, 1, 1};
const TRGB Ink{0.13, 0.2, 0.33};
const TRGB Cover{0.23, 0.43, 0.7};
const TRGB CoverDark{0.14, 0.28, 0.5};
const TRGB Paper{0.99, 0.97, 0.9};

std::vector<uint8_t> TransparentGif(const TSketch& sketch)
{
  return SaveGifToBytes(GifPictureFromBitmap(KeyedBitmap(sketch, Key), Key));
}

// A round badge with a plus or a minus, lower right of the book icons.
void Badge(TSketch& s, bool plus)
{
  const double cx = 15, cy = 11.5, r = 4.4;
  s.Fill([&](double x, double y) { return InDisc(x, y, cx, cy, r); }, {0.85, 0.55, 0.12});
  s.Fill([&](double x, double y) { return InDisc(x, y, cx, cy, r - 1); }, {0.98, 0.75, 0.25});
  s.Fill([&](double x, double y) { return InBox(x, y, cx - 2.6, cy - 0.7, cx + 2.6, cy + 0.7); }, White);
  if (plus)
    s.Fill([&](double x, double y) { return InBox(x, y, cx - 0.7, cy - 2.6, cx + 0.7, cy + 2.6); }, White);
}

}   // namespace

TRGB StripeColour(double t)
{
  // Pale at the top, a little deeper towards the foot, with a bright line on top.
  if (t < 0.02)
    return {1, 1, 1};
  const TRGB top{0.95, 0.97, 0.995}, bottom{0.8, 0.87, 0.95};
  return MixColour(top, bottom, t * t);
}

std::vector<uint8_t> MakeStripeLight()
{
  TSketch s(8, IndexStripeHeight, White, 1);
  s.Shade([](double, double) { return true; }, [](double, double y) { return StripeColour(y / IndexStripeHeight); });
  return SaveGifToBytes(GifPictureFromBitmap(s.Picture().ToBitmap()));
}

std::vector<uint8_t> MakePlusBook()
{
  // A closed book, spine on the left, the page edges showing below the cover.
  TSketch s(20, 17, White);
  s.Fill([](double x, double y) { return InBox(x, y, 3, 3, 16, 15.5); }, Paper);
  s.Fill([](double x, double y) { return InRoundBox(x, y, 2, 1, 15, 14, 1); }, CoverDark);
  s.Fill([](double x, double y) { return InRoundBox(x, y, 4, 1.8, 14.2, 13.2, 0.6); }, Cover);
  s.Fill([](double x, double y) { return InBox(x, y, 6, 4, 12, 5.2); }, {0.85, 0.9, 0.97});
  Badge(s, true);
  return TransparentGif(s);
}

std::vector<uint8_t> MakeMinusBook()
{
  // An open book seen from above: two pages rising from the spine, the cover beneath.
  TSketch s(20, 17, White);
  s.Fill(
      [](double x, double y) {
        return InPolygon(x, y, {{1, 5}, {10, 7}, {19, 5}, {19, 15}, {10, 16.5}, {1, 15}});
      },
      CoverDark);
  s.Fill([](double x, double y) { return InPolygon(x, y, {{2, 3}, {9.6, 5}, {9.6, 14.8}, {2, 13.3}}); }, Paper);
  s.Fill([](double x, double y) { return InPolygon(x, y, {{10.4, 5}, {18, 3}, {18, 13.3}, {10.4, 14.8}}); }, Paper);
  for (double line : {6.0, 8.0, 10.0})
    s.Fill([&](double x, double y) { return NearSegment(x, y, {3.5, line}, {8, line + 1.1}, 0.7); }, {0.55, 0.6, 0.7});
  Badge(s, false);
  return TransparentGif(s);
}

std::vector<uint8_t> MakeTopicIcon()
{
  // A small gear wheel: each topic is a mechanism.
  TSketch s(14, 14, White);
  s.Fill([](double x, double y) { return InCog(x, y, 7, 7, 4.6, 6.6, 8, 0); }, CoverDark);
  s.Fill([](double x, double y) { return InDisc(x, y, 7, 7, 4.0); }, Cover);
  s.Fill([](double x, double y) { return InDisc(x, y, 7, 7, 1.7); }, White);
  return TransparentGif(s);
}

std::vector<uint8_t> MakeAnswerButton()
{
  // A raised round-cornered key, lit from above.
  TSketch s(20, 18, White);
  s.Fill([](double x, double y) { return InRoundBox(x, y, 0.5, 0.5, 19.5, 17.5, 4); }, Ink);
  s.Shade([](double x, double y) { return InRoundBox(x, y, 1.5, 1.5, 18.5, 16.5, 3.2); },
          [](double, double y) {
            return MixColour({0.72, 0.83, 0.96}, {0.26, 0.46, 0.74}, (y - 1.5) / 15);
          });
  s.Fill([](double x, double y) { return InRoundBox(x, y, 3, 2.3, 17, 6.5, 2); }, {0.86, 0.92, 0.99});
  s.Fill([](double x, double y) { return InDisc(x, y, 10, 10.2, 2.8); }, White);
  return TransparentGif(s);
}

std::vector<uint8_t> MakeTick()
{
  TSketch s(16, 14, White);
  const TRGB green{0.1, 0.6, 0.15};
  s.Fill([](double x, double y) { return NearSegment(x, y, {2.5, 7.5}, {6.2, 11.3}, 2.6); }, green);
  s.Fill([](double x, double y) { return NearSegment(x, y, {6.2, 11.3}, {13.6, 2.4}, 2.6); }, green);
  return SaveBmpToBytes(s.Picture().ToBitmap());
}

std::vector<uint8_t> MakeCross()
{
  TSketch s(16, 14, White);
  const TRGB red{0.85, 0.1, 0.1};
  s.Fill([](double x, double y) { return NearSegment(x, y, {3, 2}, {13, 12}, 2.6); }, red);
  s.Fill([](double x, double y) { return NearSegment(x, y, {13, 2}, {3, 12}, 2.6); }, red);
  return SaveBmpToBytes(s.Picture().ToBitmap());
}
