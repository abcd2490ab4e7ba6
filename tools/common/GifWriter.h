// GIF 89a writing for the pages' small pictures: an LZW coder and a one-frame file from a
// picture of at most 256 colours (an exact palette) or from any picture (a fixed colour
// cube, for drawings whose soft edges bring more colours than that).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

// The LZW code stream of GIF for indices below 2^minCodeSize (minCodeSize 2 to 8): a clear
// code first, a clear code whenever the table is full, the end code last; bytes packed from
// the low bit, not yet cut into sub-blocks.
std::vector<uint8_t> GifLzwEncode(const std::vector<uint8_t>& indices, int minCodeSize);

struct TGifPicture {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<TColor> Palette;    // at most 256 entries
  std::vector<uint8_t> Indices;   // Width x Height, row by row from the top
  int TransparentIndex = -1;      // -1: none
};

// The picture's colours as a palette when there are at most 256 of them, otherwise the
// nearest entries of a 6 x 7 x 6 colour cube. `transparent`, when not clNone, is the colour
// that becomes the transparent entry.
TGifPicture GifPictureFromBitmap(const TBitmap& bitmap, TColor transparent = clNone);
// The file's bytes. EInvalidGraphic for an empty picture, a palette of 0 or more than 256
// entries, or an index outside the palette.
std::vector<uint8_t> SaveGifToBytes(const TGifPicture& picture);
