#include "shell/DibPrinting.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "platform/SysSettings.h"

namespace {

uint16_t Rd16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Rd32(const uint8_t* p)
{
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Largest pixel block we agree to read or unpack.
constexpr uint64_t MaxPixelBytes = TBitmap::MaxBytes;
// One tile row must stay below 64 KB on drivers without large-bitmap support.
constexpr Integer SmallBitmapLimit = 65503;

// The caller's header, validated and widened to the info layout.
struct TWorkingHeader {
  Integer Width = 0;
  Integer Height = 0;   // negative: top-down
  uint16_t BitCount = 0;
  uint32_t Compression = BI_RGB;
  uint32_t ImageSize = 0;
  std::vector<TRGBQuad> Table;
  bool Masks565 = false;   // 16-bit bit fields in the 5-6-5 layout

  Integer AbsHeight() const { return Height < 0 ? -Height : Height; }
  uint64_t RowBytes() const { return (uint64_t(BitCount) * uint64_t(Width) + 31) / 32 * 4; }
};

// Reads and checks the header; BAD_PARAMETER when it is not one we can print.
Integer ReadHeader(const uint8_t* h, size_t size, TWorkingHeader& w)
{
  if (!h || size < 12)
    return BAD_PARAMETER;
  uint32_t headerSize = Rd32(h);
  uint64_t entrySize, entries, extra = 0;
  uint16_t planes;
  if (headerSize == 12) {
    w.Width = Rd16(h + 4);
    w.Height = Rd16(h + 6);
    planes = Rd16(h + 8);
    w.BitCount = Rd16(h + 10);
    entrySize = 3;
    entries = w.BitCount <= 8 ? (uint64_t(1) << w.BitCount) : 0;
  } else if (headerSize == 40) {
    if (size < 40)
      return BAD_PARAMETER;
    int32_t height = static_cast<int32_t>(Rd32(h + 8));
    if (height == INT32_MIN)
      return BAD_PARAMETER;
    w.Width = static_cast<int32_t>(Rd32(h + 4));
    w.Height = height;
    planes = Rd16(h + 12);
    w.BitCount = Rd16(h + 14);
    w.Compression = Rd32(h + 16);
    w.ImageSize = Rd32(h + 20);
    uint32_t used = Rd32(h + 32);
    entrySize = 4;
    if (w.BitCount <= 8) {
      uint64_t most = uint64_t(1) << std::min<uint16_t>(w.BitCount, 8);
      if (used > most)
        return BAD_PARAMETER;
      entries = used ? used : most;
    } else {
      entries = used;
    }
    if (w.Compression == BI_BITFIELDS)
      extra = 12;
  } else {
    return BAD_PARAMETER;
  }

  switch (w.BitCount) {
  case 1:
  case 4:
  case 8:
  case 16:
  case 24:
  case 32: break;
  default: return BAD_PARAMETER;
  }
  if (w.Width < 1 || w.Height == 0 || planes != 1 || w.Width > TBitmap::MaxSide || w.AbsHeight() > TBitmap::MaxSide)
    return BAD_PARAMETER;
  switch (w.Compression) {
  case BI_RGB: break;
  case BI_RLE8:
  case BI_RLE4:
    // Packed rows run bottom-up only.
    if (w.BitCount != (w.Compression == BI_RLE8 ? 8 : 4) || w.Height < 0)
      return BAD_PARAMETER;
    break;
  case BI_BITFIELDS:
    // Only the layouts our own pictures are saved in.
    if (size < 52)
      return BAD_PARAMETER;
    if (w.BitCount == 16 && Rd32(h + 40) == 0xF800 && Rd32(h + 44) == 0x07E0 && Rd32(h + 48) == 0x001F)
      w.Masks565 = true;
    else if (!(w.BitCount == 32 && Rd32(h + 40) == 0xFF0000 && Rd32(h + 44) == 0xFF00 && Rd32(h + 48) == 0xFF))
      return BAD_PARAMETER;
    break;
  default: return BAD_PARAMETER;
  }
  uint64_t whole = uint64_t(headerSize) + extra + entries * entrySize;
  if (whole > size)
    return BAD_PARAMETER;
  const uint8_t* table = h + headerSize + extra;
  w.Table.resize(static_cast<size_t>(std::min<uint64_t>(entries, 256)));
  for (size_t i = 0; i < w.Table.size(); ++i) {
    const uint8_t* e = table + i * entrySize;
    w.Table[i] = {e[0], e[1], e[2], 0};
  }
  return 1;
}

TPixelFormat FormatOf(const TWorkingHeader& w)
{
  switch (w.BitCount) {
  case 1: return TPixelFormat::pf1bit;
  case 4: return TPixelFormat::pf4bit;
  case 8: return TPixelFormat::pf8bit;
  case 16: return w.Masks565 ? TPixelFormat::pf16bit : TPixelFormat::pf15bit;
  case 24: return TPixelFormat::pf24bit;
  default: return TPixelFormat::pf32bit;
  }
}

// What the tile routine works with.
struct TTileContext {
  TPrinterDC* DC = nullptr;
  const TWorkingHeader* Header = nullptr;
  const uint8_t* Pixels = nullptr;   // rows as stored: bottom-up unless the height is negative
  TRect Whole;                       // the destination rectangle, before clipping
  Integer TileWidth = 0, TileHeight = 0;
  Integer TileNumber = 0, TileCount = 0;
  Integer SrcX = 0, SrcY = 0, SrcWidth = 0, SrcHeight = 0;
  long double RatioX = 0, RatioY = 0;   // source pixels per destination pixel
  bool Fallback = false;
  const TPrintDIBProgress* Callback = nullptr;

  const uint8_t* SourceRow(Integer visualRow) const
  {
    const TWorkingHeader& h = *Header;
    Integer memoryRow = h.Height > 0 ? h.AbsHeight() - 1 - visualRow : visualRow;
    return Pixels + uint64_t(memoryRow) * h.RowBytes();
  }
};

// Source column or row for a destination offset, kept inside the source rectangle.
Integer SourceIndex(Integer first, Integer count, Integer offset, long double ratio)
{
  Integer i = SafeTrunc(static_cast<double>(offset * ratio));
  return first + std::clamp<Integer>(i, 0, count - 1);
}

// Builds the tile's picture and hands it to the printer; false stops the run.
bool PrintTile(TTileContext& ctx, const TRect& tile)
{
  const TWorkingHeader& h = *ctx.Header;
  TBitmap picture(tile.Width(), tile.Height(), FormatOf(h));
  if (h.BitCount <= 8) {
    TPalette palette;
    palette.Entries = h.Table;
    picture.SetPalette(palette);
  }
  std::vector<Integer> columns(static_cast<size_t>(tile.Width()));
  for (Integer c = 0; c < tile.Width(); ++c)
    columns[size_t(c)] = SourceIndex(ctx.SrcX, ctx.SrcWidth, tile.Left - ctx.Whole.Left + c, ctx.RatioX);
  const Integer bytes = h.BitCount / 8;
  for (Integer r = 0; r < tile.Height(); ++r) {
    const uint8_t* src = ctx.SourceRow(SourceIndex(ctx.SrcY, ctx.SrcHeight, tile.Top - ctx.Whole.Top + r, ctx.RatioY));
    uint8_t* dst = picture.ScanLine(r);
    for (Integer c = 0; c < tile.Width(); ++c) {
      Integer sx = columns[size_t(c)];
      switch (h.BitCount) {
      case 1: {
        int bit = (src[sx >> 3] >> (7 - (sx & 7))) & 1;
        dst[c >> 3] = static_cast<uint8_t>(dst[c >> 3] | (bit << (7 - (c & 7))));
        break;
      }
      case 4: {
        int nibble = (sx & 1) ? (src[sx >> 1] & 0x0F) : (src[sx >> 1] >> 4);
        dst[c >> 1] = static_cast<uint8_t>(dst[c >> 1] | ((c & 1) ? nibble : nibble << 4));
        break;
      }
      default: std::memcpy(dst + size_t(c) * bytes, src + size_t(sx) * bytes, size_t(bytes)); break;
      }
    }
  }
  picture.Changed();

  bool printed = false;
  if (!ctx.Fallback) {
    printed = ctx.DC->StretchPicture(tile, picture);
    // A driver that refuses once gets the plain route for the rest of the picture.
    if (!printed)
      ctx.Fallback = true;
  }
  if (ctx.Fallback)
    printed = ctx.DC->BltPicture(tile.Left, tile.Top, picture);
  ctx.DC->Flush();
  if (!printed)
    return false;
  if (!ctx.Callback || !*ctx.Callback)
    return true;
  return (*ctx.Callback)(ctx.TileNumber, ctx.TileCount);
}

// Walks the tiles of area row by row, left to right; false as soon as a tile says stop.
bool RunTiles(TTileContext& ctx, const TRect& area)
{
  auto each = [&](const auto& visit) {
    for (Integer top = area.Top; top < area.Bottom; top += ctx.TileHeight)
      for (Integer left = area.Left; left < area.Right; left += ctx.TileWidth) {
        TRect tile{left, top, std::min(area.Right, left + ctx.TileWidth), std::min(area.Bottom, top + ctx.TileHeight)};
        if (!tile.IsEmpty() && !visit(tile))
          return false;
      }
    return true;
  };
  ctx.TileCount = 0;
  each([&](const TRect&) {
    ++ctx.TileCount;
    return true;
  });
  ctx.TileNumber = 0;
  return each([&](const TRect& tile) {
    ++ctx.TileNumber;
    return PrintTile(ctx, tile);
  });
}

TPalette PaletteOf(const TWorkingHeader& h)
{
  TPalette p;
  p.Entries = h.Table;
  return p;
}

}   // namespace

bool IsPaletteDevice(TPrinterDC* DC)
{
  // The screen here is a true-colour device.
  if (!DC)
    return false;
  return DC->GetDeviceCaps(BITSPIXEL) * DC->GetDeviceCaps(PLANES) < 9 && (DC->GetDeviceCaps(RASTERCAPS) & RC_PALETTE);
}

bool DecodeRLE(const uint8_t* Data, size_t DataSize, uint32_t Compression, Integer Width, Integer Height,
               std::vector<uint8_t>& Rows)
{
  if ((Compression != BI_RLE8 && Compression != BI_RLE4) || Width < 1 || Height < 1 || !Data)
    return false;
  const bool four = Compression == BI_RLE4;
  const size_t rowBytes = BytesPerScanline(Width, four ? 4 : 8);
  if (rowBytes == 0 || uint64_t(rowBytes) * uint64_t(Height) > MaxPixelBytes)
    return false;
  Rows.assign(rowBytes * size_t(Height), 0);
  Integer x = 0, y = 0;
  auto put = [&](int value) {
    // Pixels beyond the row's end are dropped, as the format allows no wrap.
    if (x >= 0 && x < Width && y < Height) {
      uint8_t* row = Rows.data() + size_t(y) * rowBytes;
      if (four)
        row[x >> 1] = static_cast<uint8_t>((x & 1) ? ((row[x >> 1] & 0xF0) | (value & 0x0F))
                                                   : ((row[x >> 1] & 0x0F) | (value << 4)));
      else
        row[x] = static_cast<uint8_t>(value);
    }
    ++x;
  };
  size_t pos = 0;
  while (pos < DataSize) {
    if (DataSize - pos < 2)
      return false;
    uint8_t count = Data[pos], value = Data[pos + 1];
    pos += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i)
        put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
      continue;
    }
    switch (value) {
    case 0:   // end of line
      x = 0;
      if (++y >= Height)
        return true;
      break;
    case 1:   // end of bitmap
      return true;
    case 2:   // move right and up
      if (DataSize - pos < 2)
        return false;
      x += Data[pos];
      y += Data[pos + 1];
      pos += 2;
      if (y >= Height)
        return true;
      break;
    default: {   // a run of literal pixels, padded to a whole word
      size_t n = value;
      size_t bytes = four ? (n + 1) / 2 : n;
      if (DataSize - pos < bytes)
        return false;
      for (size_t i = 0; i < n; ++i)
        put(four ? ((i & 1) ? (Data[pos + i / 2] & 0x0F) : (Data[pos + i / 2] >> 4)) : Data[pos + i]);
      pos += bytes + (bytes & 1);
      break;
    }
    }
  }
  return true;
}

Integer PrintDIB(TPrinterDC* DC, Integer DestX, Integer DestY, Integer DestWidth, Integer DestHeight, Integer SrcX,
                 Integer SrcY, Integer SrcWidth, Integer SrcHeight, const uint8_t* Header, size_t HeaderSize,
                 const uint8_t* Bits, size_t BitsSize, const TPalette* Palette, bool ForceBackground, bool MakePalette,
                 Integer ClipLeft, Integer ClipTop, Integer ClipRight, Integer ClipBottom,
                 const TPrintDIBProgress& Callback)
{
  try {
    // The header and the arguments.
    if (!DC || !Bits || SrcX < 0 || SrcY < 0)
      return BAD_PARAMETER;
    TWorkingHeader header;
    if (ReadHeader(Header, HeaderSize, header) != 1)
      return BAD_PARAMETER;
    const uint64_t rowBytes = header.RowBytes();
    const uint64_t pixelBytes = rowBytes * uint64_t(header.AbsHeight());
    if (rowBytes < 1 || pixelBytes > MaxPixelBytes)
      return BAD_PARAMETER;
    if (header.Compression == BI_RLE8 || header.Compression == BI_RLE4) {
      if (header.ImageSize == 0 || header.ImageSize > BitsSize)
        return BAD_PARAMETER;
    } else if (pixelBytes > BitsSize) {
      // Rows the caller does not have would be read.
      return BAD_PARAMETER;
    }

    // The source must lie inside the picture.
    if (int64_t(SrcX) + SrcWidth > header.Width || int64_t(SrcY) + SrcHeight > header.AbsHeight())
      return BAD_PARAMETER;

    // Anything to print at all?
    auto clampInt = [](int64_t v) { return static_cast<Integer>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    TRect whole{DestX, DestY, clampInt(int64_t(DestX) + DestWidth), clampInt(int64_t(DestY) + DestHeight)};
    TRect area{std::max(whole.Left, ClipLeft), std::max(whole.Top, ClipTop), std::min(whole.Right, ClipRight),
               std::min(whole.Bottom, ClipBottom)};
    if (whole.IsEmpty() || area.IsEmpty() || SrcWidth < 1 || SrcHeight < 1)
      return 0;

    // Packed rows are unpacked first.
    std::vector<uint8_t> unpacked;
    const uint8_t* pixels = Bits;
    if (header.Compression == BI_RLE8 || header.Compression == BI_RLE4) {
      try {
        unpacked.reserve(static_cast<size_t>(pixelBytes));
      } catch (const std::bad_alloc&) {
        return MEMORY_ALLOC_FAILED;
      }
      if (!DecodeRLE(Bits, header.ImageSize, header.Compression, header.Width, header.Height, unpacked))
        return MEMORY_READ_FAILED;
      pixels = unpacked.data();
    }

    // 6 and 7. Rows and ratios.
    TTileContext ctx;
    ctx.DC = DC;
    ctx.Header = &header;
    ctx.Pixels = pixels;
    ctx.Whole = whole;
    ctx.SrcX = SrcX;
    ctx.SrcY = SrcY;
    ctx.SrcWidth = SrcWidth;
    ctx.SrcHeight = SrcHeight;
    ctx.RatioX = static_cast<long double>(SrcWidth) / whole.Width();
    ctx.RatioY = static_cast<long double>(SrcHeight) / whole.Height();
    ctx.Callback = &Callback;

    // Tiles of the screen's size, or below 64 KB where the driver needs it.
    TSize screen = GetScreenSize();
    ctx.TileWidth = std::max<Integer>(1, screen.cx);
    ctx.TileHeight = std::max<Integer>(1, screen.cy);
    if (!(DC->GetDeviceCaps(RASTERCAPS) & RC_BITMAP64)) {
      uint64_t tileRow = (uint64_t(header.BitCount) * uint64_t(ctx.TileWidth) + 31) / 32 * 4;
      // A row wider than the limit still prints, one row at a time.
      ctx.TileHeight = static_cast<Integer>(std::max<uint64_t>(1, SmallBitmapLimit / std::max<uint64_t>(1, tileRow)));
    }

    // Palettes, on devices that use them.
    bool paletteDevice = IsPaletteDevice(DC);
    std::unique_ptr<TPalette> ownPalette;
    const TPalette* previous = nullptr;
    bool selected = false;
    if (paletteDevice && Palette) {
      previous = DC->SelectPalette(Palette, ForceBackground);
      selected = true;
    } else if (paletteDevice && MakePalette && !header.Table.empty()) {
      ownPalette = std::make_unique<TPalette>(PaletteOf(header));
      previous = DC->SelectPalette(ownPalette.get(), ForceBackground);
      selected = true;
    }
    struct TRestorePalette {
      TPrinterDC* DC;
      bool Selected;
      const TPalette* Previous;
      bool Force;
      ~TRestorePalette()
      {
        if (Selected)
          DC->SelectPalette(Previous, Force);
      }
    } restore{DC, selected, previous, ForceBackground};

    // The tiles.
    return RunTiles(ctx, area) ? 1 : USER_ABORT_OR_OTHER_ERROR;
  } catch (const std::bad_alloc&) {
    return MEMORY_ALLOC_FAILED;
  } catch (const EOutOfResources&) {
    return MEMORY_ALLOC_FAILED;
  } catch (...) {
    // A printer that fails while drawing ends the job like a refused tile.
    return USER_ABORT_OR_OTHER_ERROR;
  }
}
