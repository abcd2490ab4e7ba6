#include "tools/make-content/Sketch.h"

#include <algorithm>
#include <cmath>

TSketch::TSketch(int32_t width, int32_t height, TRGB background, int samples)
    : FWidth(width), FHeight(height), FSamples(samples),
      FColour(size_t(width * samples) * size_t(height * samples), background), FCovered(FColour.size(), 0)
{}

void TSketch::Fill(const std::function<bool(double, double)>& inside, TRGB colour)
{
  Shade(inside, [&](double, double) { return colour; });
}

void TSketch::Fill(const std::function<bool(double, double)>& inside, TRGB colour, double x0, double y0, double x1,
                   double y1)
{
  Shade(
      inside, [&](double, double) { return colour; }, x0, y0, x1, y1);
}

void TSketch::Shade(const std::function<bool(double, double)>& inside, const std::function<TRGB(double, double)>& shade)
{
  Shade(inside, shade, 0, 0, FWidth, FHeight);
}

void TSketch::Shade(const std::function<bool(double, double)>& inside, const std::function<TRGB(double, double)>& shade,
                    double x0, double y0, double x1, double y1)
{
  const int32_t w = FWidth * FSamples, h = FHeight * FSamples;
  const int32_t i0 = std::max(0, SafeTrunc(std::floor(x0 * FSamples))),
                i1 = std::min(w, SafeTrunc(std::ceil(x1 * FSamples)) + 1);
  const int32_t j0 = std::max(0, SafeTrunc(std::floor(y0 * FSamples))),
                j1 = std::min(h, SafeTrunc(std::ceil(y1 * FSamples)) + 1);
  for (int32_t j = j0; j < j1; ++j)
    for (int32_t i = i0; i < i1; ++i) {
      const double x = (i + 0.5) / FSamples, y = (j + 0.5) / FSamples;
      if (!inside(x, y))
        continue;
      const size_t k = size_t(j) * size_t(w) + size_t(i);
      FColour[k] = shade(x, y);
      FCovered[k] = 1;
    }
}

TPicture TSketch::Picture() const
{
  TPicture pic(FWidth, FHeight);
  const int32_t w = FWidth * FSamples;
  for (int32_t y = 0; y < FHeight; ++y)
    for (int32_t x = 0; x < FWidth; ++x) {
      TRGB sum;
      for (int j = 0; j < FSamples; ++j)
        for (int i = 0; i < FSamples; ++i) {
          const TRGB& c = FColour[size_t(y * FSamples + j) * size_t(w) + size_t(x * FSamples + i)];
          sum = {sum.R + Clamp01(c.R), sum.G + Clamp01(c.G), sum.B + Clamp01(c.B)};
        }
      pic.At(x, y) = ScaleColour(sum, 1.0 / (FSamples * FSamples));
    }
  return pic;
}

std::vector<double> TSketch::Coverage() const
{
  std::vector<double> out(size_t(FWidth) * size_t(FHeight));
  const int32_t w = FWidth * FSamples;
  for (int32_t y = 0; y < FHeight; ++y)
    for (int32_t x = 0; x < FWidth; ++x) {
      int n = 0;
      for (int j = 0; j < FSamples; ++j)
        for (int i = 0; i < FSamples; ++i)
          n += FCovered[size_t(y * FSamples + j) * size_t(w) + size_t(x * FSamples + i)];
      out[size_t(y) * size_t(FWidth) + size_t(x)] = double(n) / (FSamples * FSamples);
    }
  return out;
}

bool InDisc(double x, double y, double cx, double cy, double r)
{
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

bool InBox(double x, double y, double x0, double y0, double x1, double y1)
{
  return x >= x0 && x <= x1 && y >= y0 && y <= y1;
}

bool InRoundBox(double x, double y, double x0, double y0, double x1, double y1, double r)
{
  if (!InBox(x, y, x0, y0, x1, y1))
    return false;
  const double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
  return InDisc(x, y, cx, cy, r);
}

bool NearSegment(double x, double y, TPt a, TPt b, double width)
{
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((x - a.X) * dx + (y - a.Y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return InDisc(x, y, a.X + t * dx, a.Y + t * dy, width / 2);
}

bool InPolygon(double x, double y, const std::vector<TPt>& p)
{
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
    if ((p[i].Y > y) != (p[j].Y > y) && x < (p[j].X - p[i].X) * (y - p[i].Y) / (p[j].Y - p[i].Y) + p[i].X)
      in = !in;
  return in;
}

bool InCog(double x, double y, double cx, double cy, double root, double tip, int teeth, double turn)
{
  const double r = std::hypot(x - cx, y - cy);
  if (r <= root)
    return true;
  if (r > tip)
    return false;
  // Where in its tooth pitch the point lies, 0 to 1; a tooth is wide at the root, narrow at
  // the tip.
  double a = std::atan2(y - cy, x - cx) * 180 / Pi - turn;
  const double pitch = 360.0 / teeth;
  double f = std::fmod(a, pitch) / pitch;
  if (f < 0)
    f += 1;
  const double half = 0.3 - 0.12 * (r - root) / (tip - root);
  return std::fabs(f - 0.5) <= half;
}

TBitmap KeyedBitmap(const TSketch& sketch, TColor key)
{
  TBitmap bmp = sketch.Picture().ToBitmap();
  const std::vector<double> cover = sketch.Coverage();
  for (int32_t y = 0; y < bmp.Height(); ++y)
    for (int32_t x = 0; x < bmp.Width(); ++x)
      if (cover[size_t(y) * size_t(bmp.Width()) + size_t(x)] == 0)
        bmp.SetPixel(x, y, key);
  return bmp;
}
