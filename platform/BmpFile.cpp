#include "platform/BmpFile.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/Files.h"

namespace {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

constexpr size_t FileHeaderSize = 14;
constexpr size_t CoreHeaderSize = 12;
constexpr size_t InfoHeaderSize = 40;
// Files of pictures beyond the bitmap's caps are refused before they are read.
constexpr size_t MaxFileSize = TBitmap::MaxBytes + (size_t(1) << 20);

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

// Little-endian reads that never pass the end of the data.
struct TReader {
  const uint8_t* Data;
  size_t Size;

  uint16_t U16(size_t at) const
  {
    if (at > Size || Size - at < 2)
      Invalid();
    return static_cast<uint16_t>(Data[at] | (Data[at + 1] << 8));
  }
  uint32_t U32(size_t at) const
  {
    if (at > Size || Size - at < 4)
      Invalid();
    return static_cast<uint32_t>(Data[at]) | (static_cast<uint32_t>(Data[at + 1]) << 8)
           | (static_cast<uint32_t>(Data[at + 2]) << 16) | (static_cast<uint32_t>(Data[at + 3]) << 24);
  }
  int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
};

// One colour channel of a bit-field pixel: the mask's position and width.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;   // largest value after shifting

  explicit TChannel(uint32_t mask) : Mask(mask)
  {
    if (!mask)
      return;
    while (!((mask >> Shift) & 1))
      ++Shift;
    Max = mask >> Shift;
    if (Max & (Max + 1))   // not one run of ones
      Invalid();
  }
  int Value(uint32_t pixel) const { return Max ? static_cast<int>(uint64_t((pixel & Mask) >> Shift) * 255 / Max) : 0; }
};

struct THeader {
  int32_t Width = 0;
  int32_t Height = 0;
  bool TopDown = false;
  int Bits = 0;
  uint32_t Compression = BI_RGB;
  uint32_t Masks[3] = {0, 0, 0};
  TPalette Palette;
  size_t DataStart = 0;
  size_t DataSize = 0;   // what RLE data may use
};

THeader ReadHeader(const TReader& r)
{
  THeader h;
  if (r.Size < FileHeaderSize + CoreHeaderSize || r.Data[0] != 'B' || r.Data[1] != 'M')
    Invalid();
  uint32_t offBits = r.U32(10);
  uint32_t infoSize = r.U32(14);
  if (infoSize != CoreHeaderSize && (infoSize < InfoHeaderSize || infoSize > r.Size - FileHeaderSize))
    Invalid();
  bool core = infoSize == CoreHeaderSize;
  uint32_t clrUsed = 0;
  uint32_t sizeImage = 0;
  int64_t height;
  if (core) {
    h.Width = r.U16(18);
    height = r.U16(20);
    if (r.U16(22) != 1)
      Invalid();
    h.Bits = r.U16(24);
  } else {
    h.Width = r.I32(18);
    height = r.I32(22);
    if (r.U16(26) != 1)
      Invalid();
    h.Bits = r.U16(28);
    h.Compression = r.U32(30);
    sizeImage = r.U32(34);
    clrUsed = r.U32(46);
  }
  h.TopDown = height < 0;
  height = height < 0 ? -height : height;
  if (h.Width <= 0 || h.Width > TBitmap::MaxSide || height <= 0 || height > TBitmap::MaxSide)
    Invalid();
  h.Height = static_cast<int32_t>(height);

  switch (h.Compression) {
  case BI_RGB:
    if (h.Bits != 1 && h.Bits != 4 && h.Bits != 8 && h.Bits != 16 && h.Bits != 24 && h.Bits != 32)
      Invalid();
    if (core && (h.Bits == 16 || h.Bits == 32))
      Invalid();
    break;
  case BI_RLE8:
  case BI_RLE4:
    if (h.Bits != (h.Compression == BI_RLE8 ? 8 : 4) || h.TopDown)
      Invalid();
    break;
  case BI_BITFIELDS:
    if (h.Bits != 16 && h.Bits != 32)
      Invalid();
    break;
  default: Invalid();
  }

  size_t headerEnd = FileHeaderSize + infoSize;
  if (h.Compression == BI_BITFIELDS) {
    // The masks follow a plain info header, or sit inside a larger one at the same place.
    for (int i = 0; i < 3; ++i)
      h.Masks[i] = r.U32(FileHeaderSize + InfoHeaderSize + 4 * i);
    if (infoSize < InfoHeaderSize + 12)
      headerEnd += 12;
    if (h.Bits == 16 && (h.Masks[0] | h.Masks[1] | h.Masks[2]) > 0xFFFF)
      Invalid();
  }

  // The palette: 2^bits entries unless the header names fewer, and never more than fit
  // before the pixel data.
  size_t entrySize = core ? 3 : 4;
  size_t count = 0;
  if (h.Bits <= 8) {
    if (clrUsed > 256)
      Invalid();
    count = clrUsed ? clrUsed : (size_t(1) << h.Bits);
  } else if (clrUsed > 256) {
    Invalid();
  } else {
    count = clrUsed;   // an optional hint for palette screens: skipped
  }
  if (offBits != 0) {
    if (offBits < headerEnd || offBits > r.Size)
      Invalid();
    count = std::min(count, (offBits - headerEnd) / entrySize);
  }
  if (headerEnd > r.Size || count * entrySize > r.Size - headerEnd)
    Invalid();
  if (h.Bits <= 8) {
    size_t used = std::min(count, size_t(1) << h.Bits);
    h.Palette.Entries.resize(used);
    for (size_t i = 0; i < used; ++i) {
      const uint8_t* e = r.Data + headerEnd + i * entrySize;
      h.Palette.Entries[i] = {e[0], e[1], e[2], 0};
    }
  }
  h.DataStart = offBits ? offBits : headerEnd + count * entrySize;
  if (h.DataStart > r.Size)
    Invalid();
  h.DataSize = r.Size - h.DataStart;
  if (sizeImage && (h.Compression == BI_RLE8 || h.Compression == BI_RLE4))
    h.DataSize = std::min<size_t>(h.DataSize, sizeImage);
  return h;
}

TPixelFormat TargetFormat(const THeader& h)
{
  switch (h.Bits) {
  case 1: return TPixelFormat::pf1bit;
  case 4: return TPixelFormat::pf4bit;
  case 8: return TPixelFormat::pf8bit;
  case 16:
    if (h.Compression == BI_RGB || (h.Masks[0] == 0x7C00 && h.Masks[1] == 0x03E0 && h.Masks[2] == 0x001F))
      return TPixelFormat::pf15bit;
    if (h.Masks[0] == 0xF800 && h.Masks[1] == 0x07E0 && h.Masks[2] == 0x001F)
      return TPixelFormat::pf16bit;
    return TPixelFormat::pf24bit;   // other masks: converted
  case 24: return TPixelFormat::pf24bit;
  default: return TPixelFormat::pf32bit;
  }
}

bool NeedsConversion(const THeader& h)
{
  if (h.Compression != BI_BITFIELDS)
    return false;
  if (h.Bits == 16)
    return TargetFormat(h) == TPixelFormat::pf24bit;
  return !(h.Masks[0] == 0xFF0000 && h.Masks[1] == 0xFF00 && h.Masks[2] == 0xFF);
}

// Bytes of one row's pixels, without the padding.
size_t RowBytes(const THeader& h) { return (static_cast<size_t>(h.Width) * static_cast<size_t>(h.Bits) + 7) / 8; }

// Uncompressed pixel data must all be there; the last row's padding may be missing at the
// end of the file.
void CheckPixelData(const THeader& h)
{
  size_t srcStride = BytesPerScanline(h.Width, h.Bits);
  size_t lastRow = RowBytes(h);
  if (srcStride == 0 || h.DataSize < lastRow || static_cast<size_t>(h.Height - 1) > (h.DataSize - lastRow) / srcStride)
    Invalid();
}

void ReadUncompressed(const TReader& r, const THeader& h, TBitmap& b)
{
  CheckPixelData(h);
  size_t srcStride = BytesPerScanline(h.Width, h.Bits);
  size_t lastRow = RowBytes(h);
  bool convert = NeedsConversion(h);
  TChannel red(h.Masks[0]), green(h.Masks[1]), blue(h.Masks[2]);
  for (int32_t y = 0; y < h.Height; ++y) {
    const uint8_t* src = r.Data + h.DataStart + srcStride * static_cast<size_t>(y);
    uint8_t* dst = b.ScanLine(h.TopDown ? y : h.Height - 1 - y);
    if (!convert) {
      std::memcpy(dst, src, lastRow);
      continue;
    }
    int outBytes = b.BitsPerPixel() / 8;
    for (int32_t x = 0; x < h.Width; ++x) {
      uint32_t p = h.Bits == 16 ? static_cast<uint32_t>(src[2 * x] | (src[2 * x + 1] << 8))
                                : static_cast<uint32_t>(src[4 * x]) | (static_cast<uint32_t>(src[4 * x + 1]) << 8)
                                      | (static_cast<uint32_t>(src[4 * x + 2]) << 16)
                                      | (static_cast<uint32_t>(src[4 * x + 3]) << 24);
      uint8_t* o = dst + outBytes * x;
      o[0] = static_cast<uint8_t>(blue.Value(p));
      o[1] = static_cast<uint8_t>(green.Value(p));
      o[2] = static_cast<uint8_t>(red.Value(p));
    }
  }
}

void PutIndex(TBitmap& b, int bits, int32_t x, int32_t line, int index)
{
  uint8_t* row = b.ScanLine(b.Height() - 1 - line);   // RLE pictures are bottom-up
  if (bits == 8) {
    row[x] = static_cast<uint8_t>(index);
  } else {
    uint8_t& byte = row[x >> 1];
    byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | (index & 0x0F))
                   : static_cast<uint8_t>((byte & 0x0F) | ((index & 0x0F) << 4));
  }
}

// RLE8 and RLE4: runs, end of line, end of picture, deltas and literal runs. A run that
// passes the end of its row or of the picture, or data that stops before the end of the
// picture, is a bad file.
void ReadRle(const TReader& r, const THeader& h, TBitmap& b)
{
  const uint8_t* p = r.Data + h.DataStart;
  const uint8_t* end = p + h.DataSize;
  int bits = h.Bits;
  int32_t x = 0, line = 0;
  auto checkRun = [&](uint32_t n) {
    if (line >= h.Height || n > static_cast<uint32_t>(h.Width - x))
      Invalid();
  };
  for (;;) {
    if (end - p < 2) {
      if (line >= h.Height)
        return;   // every row done; the end mark is missing, which is harmless
      Invalid();
    }
    uint32_t n = p[0], c = p[1];
    p += 2;
    if (n > 0) {
      checkRun(n);
      for (uint32_t i = 0; i < n; ++i, ++x)
        PutIndex(b, bits, x, line, bits == 8 ? static_cast<int>(c) : static_cast<int>((i & 1) ? (c & 0x0F) : (c >> 4)));
      continue;
    }
    if (c == 0) {   // end of line
      x = 0;
      if (++line > h.Height)
        Invalid();
    } else if (c == 1) {   // end of picture
      return;
    } else if (c == 2) {   // delta
      if (end - p < 2)
        Invalid();
      x += p[0];
      line += p[1];
      p += 2;
      if (x > h.Width || line > h.Height)
        Invalid();
    } else {   // literal run of c pixels, padded to a 16-bit boundary
      checkRun(c);
      size_t bytes = bits == 8 ? c : (c + 1) / 2;
      size_t padded = (bytes + 1) & ~size_t(1);
      if (static_cast<size_t>(end - p) < bytes)
        Invalid();
      for (uint32_t i = 0; i < c; ++i, ++x)
        PutIndex(b, bits, x, line, bits == 8 ? p[i] : ((i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4)));
      p += std::min(padded, static_cast<size_t>(end - p));
    }
  }
}

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
  PutU16(out, at, v & 0xFFFF);
  PutU16(out, at + 2, v >> 16);
}

}   // namespace

void LoadBmpFromBytes(TBitmap& bitmap, const uint8_t* data, size_t size)
{
  if (!data)
    Invalid();
  TReader r{data, size};
  THeader h = ReadHeader(r);
  TPixelFormat format = TargetFormat(h);
  size_t stride = BytesPerScanline(h.Width, PixelFormatBits(format));
  if (stride == 0 || stride > TBitmap::MaxBytes / static_cast<size_t>(h.Height))
    Invalid();
  if (h.Compression != BI_RLE8 && h.Compression != BI_RLE4)
    CheckPixelData(h);   // before the bitmap is made
  auto b = std::make_unique<TBitmap>(h.Width, h.Height, format);
  if (h.Bits <= 8)
    b->SetPalette(h.Palette);
  if (h.Compression == BI_RLE8 || h.Compression == BI_RLE4)
    ReadRle(r, h, *b);
  else
    ReadUncompressed(r, h, *b);
  b->Changed();
  bitmap = *b;
}

void LoadBmpFromFile(TBitmap& bitmap, const std::string& fileName)
{
  std::vector<uint8_t> bytes = ReadFileBytes(fileName, MaxFileSize);
  DecodingFile(fileName, [&] { LoadBmpFromBytes(bitmap, bytes); });
}

std::vector<uint8_t> SaveBmpToBytes(const TBitmap& bitmap)
{
  if (bitmap.Empty())
    Invalid();
  const TBitmap* src = &bitmap;
  std::unique_ptr<TBitmap> converted;
  if (bitmap.PixelFormat() == TPixelFormat::pfCustom) {
    converted = std::make_unique<TBitmap>(bitmap);
    converted->SetPixelFormat(TPixelFormat::pf24bit);
    src = converted.get();
  }
  TPixelFormat format = src->PixelFormat();
  int bits = src->BitsPerPixel();
  bool masks = format == TPixelFormat::pf16bit;
  TPalette palette;
  if (bits <= 8) {
    palette = src->Palette();
    if (palette.Entries.empty()) {
      // What the bitmap shows for its indices without a palette.
      size_t n = size_t(1) << bits;
      for (size_t i = 0; i < n; ++i) {
        Byte v = bits == 1 ? Byte(i ? 255 : 0) : Byte(i);
        palette.Entries.push_back({v, v, v, 0});
      }
    }
  }
  size_t stride = src->Stride();
  size_t pixelBytes = stride * static_cast<size_t>(src->Height());
  size_t offBits = FileHeaderSize + InfoHeaderSize + (masks ? 12 : 0) + palette.Entries.size() * 4;
  std::vector<uint8_t> out(offBits + pixelBytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, static_cast<uint32_t>(out.size()));
  PutU32(out, 10, static_cast<uint32_t>(offBits));
  PutU32(out, 14, InfoHeaderSize);
  PutU32(out, 18, static_cast<uint32_t>(src->Width()));
  PutU32(out, 22, static_cast<uint32_t>(src->Height()));
  PutU16(out, 26, 1);
  PutU16(out, 28, static_cast<uint32_t>(bits));
  PutU32(out, 30, masks ? BI_BITFIELDS : BI_RGB);
  PutU32(out, 34, static_cast<uint32_t>(pixelBytes));
  PutU32(out, 46, static_cast<uint32_t>(palette.Entries.size()));
  size_t at = FileHeaderSize + InfoHeaderSize;
  if (masks) {
    PutU32(out, at, 0xF800);
    PutU32(out, at + 4, 0x07E0);
    PutU32(out, at + 8, 0x001F);
    at += 12;
  }
  for (const TRGBQuad& q : palette.Entries) {
    out[at++] = q.rgbBlue;
    out[at++] = q.rgbGreen;
    out[at++] = q.rgbRed;
    out[at++] = 0;
  }
  for (int32_t y = 0; y < src->Height(); ++y)   // bottom-up
    std::memcpy(out.data() + offBits + stride * static_cast<size_t>(y), src->ScanLine(src->Height() - 1 - y), stride);
  return out;
}

void SaveBmpToFile(const TBitmap& bitmap, const std::string& fileName)
{
  WriteFileBytes(fileName, SaveBmpToBytes(bitmap));
}
