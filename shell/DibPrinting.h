// Printing a device-independent bitmap (header with colour table, and pixel rows) onto a
// printer, scaled from a source rectangle to a destination rectangle and clipped. The
// destination is cut into tiles about the size of the screen and each tile is resampled
// from the source on its own, so the driver never receives a page-sized bitmap. Results are
// integer codes, never exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Printers.h"

// Results of PrintDIB besides 1 (printed) and 0 (nothing to print).
constexpr Integer BAD_PARAMETER = -1;
constexpr Integer MEMORY_ALLOC_FAILED = -2;
constexpr Integer MEMORY_READ_FAILED = -3;
constexpr Integer MEMORY_WRITE_FAILED = -4;
constexpr Integer USER_ABORT_OR_OTHER_ERROR = -5;

// Compression of a DIB.
constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;

// Called after every tile with its number (from 1) and the number of tiles; false stops.
using TPrintDIBProgress = std::function<bool(Integer Done, Integer Total)>;

// Prints the DIB (Header: the header with its colour table, HeaderSize bytes; Bits: the
// pixel rows, BitsSize bytes) from the source rectangle (in picture pixels from the top
// left) onto the destination rectangle, clipped to the clip rectangle. Palette, when given,
// is used on palette devices; otherwise MakePalette builds one there from the colour table.
Integer PrintDIB(TPrinterDC* DC, Integer DestX, Integer DestY, Integer DestWidth, Integer DestHeight, Integer SrcX,
                 Integer SrcY, Integer SrcWidth, Integer SrcHeight, const uint8_t* Header, size_t HeaderSize,
                 const uint8_t* Bits, size_t BitsSize, const TPalette* Palette, bool ForceBackground, bool MakePalette,
                 Integer ClipLeft, Integer ClipTop, Integer ClipRight, Integer ClipBottom,
                 const TPrintDIBProgress& Callback);

// A device of at most 8 bits per pixel that works with palettes; a nil DC asks the screen.
bool IsPaletteDevice(TPrinterDC* DC);

// The pixel rows of an RLE8 or RLE4 bitmap (bottom row first) unpacked into rows of
// BytesPerScanline(width, bits) bytes; false when the data runs out or breaks the format.
bool DecodeRLE(const uint8_t* Data, size_t DataSize, uint32_t Compression, Integer Width, Integer Height,
               std::vector<uint8_t>& Rows);
