// BMP files: reading every common variant (1, 4, 8, 16, 24 and 32 bits; uncompressed, RLE4,
// RLE8 and bit-field masks; bottom-up and top-down; the old OS/2 header) into a TBitmap of
// the matching pixel format, and writing a TBitmap as a BMP file. Nothing in a file is
// trusted: a header, palette, offset or run that does not fit raises EInvalidGraphic
// ("Bitmap image is not valid") before anything is written past what the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

// Replaces bitmap with the picture; on failure bitmap is left as it was.
void LoadBmpFromBytes(TBitmap& bitmap, const uint8_t* data, size_t size);
inline void LoadBmpFromBytes(TBitmap& bitmap, const std::vector<uint8_t>& data)
{
  LoadBmpFromBytes(bitmap, data.data(), data.size());
}
// Reads the whole file (case-insensitively resolved; EFOpenError when it cannot be read); a
// damaged file's error begins with its name.
void LoadBmpFromFile(TBitmap& bitmap, const std::string& fileName);

// The bitmap as a BMP file: indexed formats with their palette (a grey ramp, or black and
// white for 1 bit, when they have none), 15 bits plain, 16 bits with 5-6-5 masks, 24 and 32
// bits plain. EInvalidGraphic for an empty bitmap.
std::vector<uint8_t> SaveBmpToBytes(const TBitmap& bitmap);
void SaveBmpToFile(const TBitmap& bitmap, const std::string& fileName);
