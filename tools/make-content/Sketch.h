// Small flat drawings (icons, buttons, stripes) painted by coverage: each shape is a test
// "is this point inside", sampled several times per pixel, so edges come out smooth and the
// same on every machine. Coordinates are in output pixels, y down; (0, 0) is the top-left
// corner of the top-left pixel.
#pragma once

#include <functional>
#include <vector>

#include "tools/make-content/ContentKit.h"

struct TPt {
  double X = 0, Y = 0;
};

class TSketch {
public:
  TSketch(int32_t width, int32_t height, TRGB background, int samples = 4);

  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }

  // Paints colour wherever inside() holds (looking only within the box x0..x1, y0..y1 when
  // one is given: long lists of small shapes stay quick).
  void Fill(const std::function<bool(double x, double y)>& inside, TRGB colour);
  void Fill(const std::function<bool(double x, double y)>& inside, TRGB colour, double x0, double y0, double x1,
            double y1);
  // Paints each sample with shade(x, y) where inside() holds (gradients).
  void Shade(const std::function<bool(double x, double y)>& inside,
             const std::function<TRGB(double x, double y)>& shade);
  void Shade(const std::function<bool(double x, double y)>& inside,
             const std::function<TRGB(double x, double y)>& shade, double x0, double y0, double x1, double y1);

  // Per pixel: the average colour, and the share of samples any shape covered.
  TPicture Picture() const;
  std::vector<double> Coverage() const;

private:
  int32_t FWidth, FHeight;
  int FSamples;
  std::vector<TRGB> FColour;
  std::vector<uint8_t> FCovered;
};

// Shape tests.
bool InDisc(double x, double y, double cx, double cy, double r);
bool InBox(double x, double y, double x0, double y0, double x1, double y1);
bool InRoundBox(double x, double y, double x0, double y0, double x1, double y1, double r);
// Within half `width` of the segment from a to b (round ends).
bool NearSegment(double x, double y, TPt a, TPt b, double width);
bool InPolygon(double x, double y, const std::vector<TPt>& points);
// A gear wheel's outline: `teeth` trapezoid teeth between the root and tip radii, turned by
// `turn` degrees.
bool InCog(double x, double y, double cx, double cy, double root, double tip, int teeth, double turn);

// A picture's bitmap where every pixel no shape touched is `key` (for transparent GIFs):
// partly covered edge pixels keep their blend with the background.
TBitmap KeyedBitmap(const TSketch& sketch, TColor key);
