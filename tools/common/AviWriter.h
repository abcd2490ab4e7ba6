// Motion-JPEG AVI writing for the video clips: one video stream, every frame a JPEG file,
// with the main header, the stream header and format, the frames and the index that
// players expect.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/SysUtils.h"

// The file's bytes for the frames (each the bytes of a JPEG file, all of width x height),
// shown at fps frames a second. EInvalidGraphic when there are no frames or the size or rate
// is not positive.
std::vector<uint8_t> SaveMjpegAvi(int32_t width, int32_t height, int32_t fps,
                                  const std::vector<std::vector<uint8_t>>& frames);
