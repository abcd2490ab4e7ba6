#include "platform/JpegImage.h"
#include "tools/make-content/Content.h"
#include "tools/make-content/ContentKit.h"

// The claw hammer's board: 2.0 long, 0.6 wide, its faces mapped once each, the picture's
// width along the board. Ash is pale with straight grain and darker latewood bands; on a
// plain-sawn face the bands wander and bend into long arches.

namespace {

constexpr int32_t Width = 512;
constexpr int32_t Height = 256;
constexpr uint32_t Seed = 4211;
constexpr int32_t Quality = 85;

}   // namespace

std::vector<uint8_t> MakeAshWood()
{
  TPicture pic(Width, Height);
  const TRGB early{0.87, 0.77, 0.6}, late{0.66, 0.52, 0.34}, pore{0.55, 0.42, 0.27};
  for (int32_t y = 0; y < Height; ++y)
    for (int32_t x = 0; x < Width; ++x) {
      const double u = double(x) / Width, v = double(y) / Height;
      // Growth rings across the board, pushed about by a slow noise and bent into an arch
      // towards the middle of the board's length.
      const double arch = 0.9 * std::exp(-((u - 0.55) / 0.3) * ((u - 0.55) / 0.3)) * (v - 0.5) * (v - 0.5);
      const double wander = 1.6 * Fractal2(u * 3, v * 1.5, 4, Seed);
      const double ring = v * 9 + arch * 6 + wander;
      const double f = ring - std::floor(ring);
      // Latewood: a sharp edge where the year ends, fading back into the next spring's wood.
      const double band = SmoothStep(0.62, 0.72, f) * (1 - SmoothStep(0.88, 1.0, f));
      TRGB c = MixColour(early, late, 0.75 * band);
      // Open pores: short dark streaks along the grain, most in the latewood.
      const double streak = Noise2(u * 28, v * 260, Seed + 3);
      c = MixColour(c, pore, (0.25 + 0.5 * band) * SmoothStep(0.62, 0.85, streak));
      // A faint sheen varying along the grain.
      const double sheen = Fractal2(u * 6, v * 40, 2, Seed + 7);
      pic.At(x, y) = ScaleColour(c, 0.95 + 0.1 * sheen);
    }
  TJPEGImage jpeg;
  jpeg.Assign(pic.ToBitmap());
  jpeg.SetCompressionQuality(Quality);
  return jpeg.SaveToBytes();
}
