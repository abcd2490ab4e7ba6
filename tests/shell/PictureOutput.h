// Writes a bitmap as a PNG file into the tests' output folder, to be looked at.
#pragma once

#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/ImageSave.h"

inline void SaveTestPicture(const TBitmap& picture, const std::string& name)
{
  std::vector<uint8_t> pixels(size_t(picture.Width()) * picture.Height() * 4);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      TColor c = picture.GetPixel(x, y);
      uint8_t* p = &pixels[(size_t(y) * picture.Width() + x) * 4];
      p[0] = uint8_t(GetBValue(c));
      p[1] = uint8_t(GetGValue(c));
      p[2] = uint8_t(GetRValue(c));
      p[3] = 255;
    }
  SavePixelsToPng(std::string(ORRELO_TEST_OUTPUT) + "/" + name, picture.Width(), picture.Height(), pixels.data(),
                  false);
}
