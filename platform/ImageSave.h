// Pictures written as PNG files for tools (the topic gallery): encoded by the toolkit's codec,
// written by WriteFileBytes.
#pragma once

#include <cstdint>
#include <string>

// Writes width x height pixels of four bytes each (blue, green, red, unused), rows from the
// top, or from the bottom when bottomUp (as GL reads them). Throws EFCreateError when the
// file cannot be written or the size is not a picture's.
void SavePixelsToPng(const std::string& fileName, int32_t width, int32_t height, const uint8_t* bgra, bool bottomUp);
