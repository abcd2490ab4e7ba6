// Pixel statistics of rendered topic pictures: how much is lit, where its centre lies, and
// how many pixels two pictures differ in.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/GLGraphics.h"

struct TRenderStats {
  int Lit = 0;          // pixels that are not background
  double CentreX = 0;   // of the lit pixels, as fractions of the view
  double CentreY = 0;
  int Brightest = 0;   // the largest r + g + b
};

inline TRenderStats Measure(const TGLBitmap32& shot)
{
  TRenderStats s;
  for (int32_t y = 0; y < shot.Height(); ++y)
    for (int32_t x = 0; x < shot.Width(); ++x) {
      TColor c = shot.GetPixel(x, y);
      int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
      if (sum > 30) {
        ++s.Lit;
        s.CentreX += x;
        s.CentreY += y;
        s.Brightest = std::max(s.Brightest, sum);
      }
    }
  if (s.Lit) {
    s.CentreX /= double(s.Lit) * shot.Width();
    s.CentreY /= double(s.Lit) * shot.Height();
  }
  return s;
}

inline int Differing(const TGLBitmap32& a, const TGLBitmap32& b)
{
  int n = 0;
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x)
      n += a.GetPixel(x, y) != b.GetPixel(x, y);
  return n;
}
