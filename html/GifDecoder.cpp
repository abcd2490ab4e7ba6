#include "html/GifDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

static const char* const GifErrors[] = {
    "no error",
    "Invalid GIF Signature Code",
    "No Local or Global Color Table for Image",
    "Unknown Graphics Extension Type",
    "Unknown Graphics Operation Code",
    "Invalid Extension Block Size",
    "",
    "Invalid Extension Block Terminator",
    "Invalid Integer Size",
    "No GIF Terminator Found",
    "Extension Block Out-Of-Order With Image Data",
    "Invalid Image Descriptor Index",
    "Invalid LZW Code Size",
    "Invalid LZW Data Format",
    "LZW Code Overflow",
    "Value Out Of Range",
    "NIL Pointer assigned",
    "Invalid Color Table Size",
    "No Image Description",
    "Invalid Bitmap Image",
    "Invalid Color Table Index",
    "Invalid Interlace Pass",
    "Invalid Bitmap",
    "Too Many Colors In Bitmap",
    "Unexpected end of file",
};

const char* GifErrorMessage(int code)
{
  if (code < 0 || code >= int(std::size(GifErrors)))
    return "";
  return GifErrors[code];
}

enum : int {
  geNone = 0,
  geSignature = 1,
  geNoTable = 2,
  geOpCode = 4,
  geBlockSize = 5,
  geText = 6,
  geTerminator = 7,
  geIntSize = 8,
  geNoTrailer = 9,
  geCodeSize = 12,
  geDataFormat = 13,
  geRange = 15,
  geNoImage = 18,
  geBitmap = 19,
  geEOF = 24
};

const TGifGraphicControl* TGifImageDescriptor::GraphicControl() const
{
  for (const auto& e : Extensions)
    if (e.Kind == TGifExtensionKind::GraphicControl)
      return &e.Control;
  return nullptr;
}

// A cursor over the file's bytes.
struct TGif::TReader {
  TGif& Owner;
  const uint8_t* P;
  size_t Size;
  size_t Pos = 0;

  bool AtEnd() const { return Pos >= Size; }
  size_t Left() const { return Size - Pos; }
  void Need(size_t n)
  {
    if (Left() < n)
      Owner.Error(geEOF);
  }
  int Byte()
  {
    Need(1);
    return P[Pos++];
  }
  // Integers are 1 or 2 bytes, little-endian.
  int Int(int size)
  {
    if (size == 1)
      return Byte();
    if (size != 2)
      Owner.Error(geIntSize);
    Need(2);
    int v = P[Pos] | P[Pos + 1] << 8;
    Pos += 2;
    return v;
  }
  void Bytes(void* out, size_t n)
  {
    Need(n);
    std::memcpy(out, P + Pos, n);
    Pos += n;
  }
  // Data sub-blocks up to the zero length; each one kept when blocks is given.
  void SubBlocks(std::vector<std::vector<uint8_t>>* blocks, std::vector<uint8_t>* joined = nullptr)
  {
    for (;;) {
      int len = Byte();
      if (len == 0)
        return;
      if (Left() < size_t(len))
        Owner.Error(geEOF);
      if (blocks)
        blocks->emplace_back(P + Pos, P + Pos + len);
      if (joined)
        joined->insert(joined->end(), P + Pos, P + Pos + len);
      Pos += size_t(len);
    }
  }
};

TGif::TGif() = default;
TGif::~TGif() = default;

void TGif::Error(int code, const std::string& text)
{
  ErrorCode = code;
  ErrorMessage = code == geText ? text : GifErrorMessage(code);
  throw EInvalidGraphic("TGif: " + ErrorMessage);
}

void TGif::Clear()
{
  ErrorCode = 0;
  ErrorMessage.clear();
  Signature.clear();
  FWidth = FHeight = 0;
  FLoopCount = -1;
  FPixelTotal = 0;
  GlobalTableIndex = -1;
  FColorTables.clear();
  FImages.clear();
}

static TGifColorTable ReadColorTable(TGif::TReader& r, int count);

void TGif::LoadFromStream(TStream& stream)
{
  Clear();
  std::vector<uint8_t> bytes(size_t(std::max<int64_t>(stream.Size(), 0)));
  stream.SetPosition(0);
  bytes.resize(stream.Read(bytes.data(), bytes.size()));
  TReader r{*this, bytes.data(), bytes.size()};

  if (r.Left() < 6)
    Error(geSignature);
  Signature.assign(reinterpret_cast<const char*>(r.P), 6);
  r.Pos = 6;
  std::string upper = UpperCase(Signature);
  if (upper != "GIF87A" && upper != "GIF89A")
    Error(geSignature);

  FWidth = r.Int(2);
  FHeight = r.Int(2);
  int packed = r.Byte();
  GlobalTable = (packed & 0x80) != 0;
  ColorResolution = ((packed >> 4) & 7) + 1;
  Sorted = (packed & 0x08) != 0;
  GlobalTableSize = 1 << ((packed & 7) + 1);
  BackgroundIndex = r.Byte();
  AspectRatio = r.Byte();
  if (GlobalTable) {
    FColorTables.push_back(ReadColorTable(r, GlobalTableSize));
    GlobalTableIndex = 0;
  }

  std::vector<TGifExtension> pending;
  for (;;) {
    if (r.AtEnd())
      Error(geNoTrailer);
    int op = r.Byte();
    if (op == 0 || op == 0x3B)
      break;
    if (op == 0x2C)
      ReadImage(r, pending);
    else if (op == 0x21)
      ReadExtension(r, pending);
    else
      Error(geOpCode);
  }
  if (FImages.empty())
    Error(geNoImage);
  // A logical screen without area has nothing to show frames in.
  if (FWidth == 0 || FHeight == 0)
    Error(geBitmap);
  // The pixel budget bounds the memory; the frames wrap into rows, so only a single frame
  // wider or higher than a bitmap can be is refused for its shape.
  if (int64_t(FWidth) * FHeight * int64_t(FImages.size()) > MaxPixels || FWidth > TBitmap::MaxSide
      || int64_t(FHeight) * ((int64_t(FImages.size()) + FramesPerRow() - 1) / FramesPerRow()) > TBitmap::MaxSide)
    Error(geBitmap);
}

int TGif::FramesPerRow() const
{
  const int count = std::max(1, ImageCount());
  if (FWidth <= 0 || int64_t(FWidth) * count <= TBitmap::MaxSide)
    return count;
  return std::max(1, TBitmap::MaxSide / FWidth);
}

TPoint TGif::FramePlace(int i) const
{
  const int perRow = FramesPerRow();
  return TPoint{int32_t(int64_t(i % perRow) * FWidth), int32_t(int64_t(i / perRow) * FHeight)};
}

static TGifColorTable ReadColorTable(TGif::TReader& r, int count)
{
  TGifColorTable t;
  t.Count = count;
  r.Need(size_t(count) * 3);
  for (int i = 0; i < count; ++i) {
    const uint8_t* p = r.P + r.Pos + 3 * size_t(i);
    t.Colors[size_t(i)] = RGBColor(p[0], p[1], p[2]);
  }
  r.Pos += size_t(count) * 3;
  return t;
}

void TGif::ReadImage(TReader& r, std::vector<TGifExtension>& pending)
{
  TGifImageDescriptor img;
  img.Number = int(FImages.size());
  img.Extensions = std::move(pending);
  pending.clear();
  img.Left = r.Int(2);
  img.Top = r.Int(2);
  img.Width = r.Int(2);
  img.Height = r.Int(2);
  int packed = r.Byte();
  img.LocalTable = (packed & 0x80) != 0;
  img.Interlaced = (packed & 0x40) != 0;
  img.Sorted = (packed & 0x20) != 0;
  img.LocalTableSize = 1 << ((packed & 7) + 1);
  if (img.LocalTable) {
    FColorTables.push_back(ReadColorTable(r, img.LocalTableSize));
    img.ColorTableIndex = int(FColorTables.size()) - 1;
  } else if (GlobalTableIndex >= 0) {
    img.ColorTableIndex = GlobalTableIndex;
  } else {
    Error(geNoTable);
  }
  img.LZWCodeSize = r.Byte();
  std::vector<uint8_t> data;
  r.SubBlocks(nullptr, &data);
  if (!FImages.empty() && int64_t(FImages.size() + 1) * FWidth * FHeight * 3 > StripBudget)
    return;   // past the strip's budget: nothing of it is kept
  int64_t pixels = int64_t(img.Width) * img.Height;
  FPixelTotal += pixels;
  if (pixels > MaxPixels || FPixelTotal > MaxPixels)
    Error(geBitmap);
  img.Pixels.assign(size_t(pixels), 0);
  Decode(img, data);
  FImages.push_back(std::move(img));
}

void TGif::ReadExtension(TReader& r, std::vector<TGifExtension>& pending)
{
  int label = r.Byte();
  TGifExtension ext;
  switch (label) {
  case 0xF9: {
    ext.Kind = TGifExtensionKind::GraphicControl;
    TGifGraphicControl& c = ext.Control;
    c.BlockSize = r.Byte();
    if (c.BlockSize != 4)
      Error(geBlockSize);
    int packed = r.Byte();
    c.Disposal = (packed >> 2) & 7;
    c.UserInput = (packed & 2) != 0;
    c.TransparentFlag = (packed & 1) != 0;
    c.Delay = r.Int(2);
    c.TransparentIndex = r.Byte();
    if (r.Byte() != 0)
      Error(geTerminator);
    break;
  }
  case 0xFE:
    ext.Kind = TGifExtensionKind::Comment;
    r.SubBlocks(&ext.Comment);
    break;
  case 0x01: {
    ext.Kind = TGifExtensionKind::PlainText;
    TGifPlainText& t = ext.PlainText;
    t.BlockSize = r.Byte();
    if (t.BlockSize != 12)
      Error(geBlockSize);
    t.Left = r.Int(2);
    t.Top = r.Int(2);
    t.Width = r.Int(2);
    t.Height = r.Int(2);
    t.CellWidth = r.Byte();
    t.CellHeight = r.Byte();
    t.Foreground = r.Byte();
    t.Background = r.Byte();
    r.SubBlocks(&t.Data);
    break;
  }
  case 0xFF: {
    ext.Kind = TGifExtensionKind::Application;
    TGifApplication& a = ext.Application;
    a.BlockSize = r.Byte();
    if (a.BlockSize != 11)
      Error(geBlockSize);
    char id[8], code[3];
    r.Bytes(id, 8);
    r.Bytes(code, 3);
    a.Identifier.assign(id, 8);
    a.Authentication.assign(code, 3);
    r.SubBlocks(&a.Data);
    if (a.Identifier == "NETSCAPE" && !a.Data.empty() && a.Data[0].size() == 3)
      FLoopCount = a.Data[0][1] + 256 * a.Data[0][2];
    break;
  }
  default: {
    char text[40];
    std::snprintf(text, sizeof text, "unknown extension: %04X", label);
    Error(geText, text);
  }
  }
  pending.push_back(std::move(ext));
}

// LZW decoding as the GIF standard has it; output indices land at the cursor, which walks
// the rows (in the four interlace passes when flagged) and drops what falls outside.
void TGif::Decode(TGifImageDescriptor& image, const std::vector<uint8_t>& data)
{
  const int minSize = image.LZWCodeSize;
  // Pixel indices are bytes and the tables hold 4096 codes: sizes beyond 8 cannot be right.
  if (minSize < 1 || minSize > 8)
    Error(geCodeSize);
  const int width = image.Width, height = image.Height;
  if (width == 0 || height == 0)
    return;

  static const int passStart[4] = {0, 4, 2, 1};
  static const int passStep[4] = {8, 8, 4, 2};
  int pass = 0;
  int col = 0, row = 0;
  const bool interlaced = image.Interlaced;
  uint8_t* out = image.Pixels.data();
  bool full = false;
  // Without interlacing the rows follow each other: a plain cursor into the pixels.
  const size_t total = size_t(width) * size_t(height);
  size_t at = 0;
  // The next interlaced row, skipping passes that start below a short image.
  auto nextRow = [&] {
    col = 0;
    row += passStep[pass];
    while (row >= height) {
      if (++pass >= 4) {
        full = true;
        return;
      }
      row = passStart[pass];
    }
  };
  auto put = [&](uint8_t v) {
    if (!interlaced) {
      out[at] = v;
      full = ++at >= total;
      return;
    }
    out[size_t(row) * size_t(width) + size_t(col)] = v;
    if (++col >= width)
      nextRow();
  };
  // Room for a string at the cursor without leaving the image (or, interlaced, the row).
  auto room = [&] { return interlaced ? size_t(width - col) : total - at; };

  const int clear = 1 << minSize;
  const int end = clear + 1;
  int codeSize = minSize + 1;
  int next = clear + 2;
  int limit = 1 << codeSize;
  uint16_t prefix[4096];
  uint8_t suffix[4096];
  uint8_t stack[4097];
  uint16_t length[4096];   // the string length of each code
  for (int i = 0; i < clear; ++i) {
    prefix[i] = 0;
    suffix[i] = uint8_t(i);
    length[i] = 1;
  }
  int old = -1;
  uint8_t first = 0;
  bool afterClear = false;

  // The table gains the previous string and the first byte of this one; in becomes the old.
  auto addString = [&](int in) {
    if (next < 4096) {
      prefix[next] = uint16_t(old);
      suffix[next] = first;
      length[next] = uint16_t(length[old] + 1);
      ++next;
      if (next >= limit && codeSize < 12) {
        ++codeSize;
        limit <<= 1;
      }
    }
    old = in;
  };

  uint32_t bits = 0;
  int bitCount = 0;
  size_t pos = 0;
  const size_t size = data.size();
  while (!full) {
    while (bitCount < codeSize && pos < size) {
      bits |= uint32_t(data[pos++]) << bitCount;
      bitCount += 8;
    }
    if (bitCount < codeSize)
      break;   // the data ran out
    int code = int(bits & ((1u << codeSize) - 1));
    bits >>= codeSize;
    bitCount -= codeSize;

    if (code == clear) {
      codeSize = minSize + 1;
      limit = 1 << codeSize;
      next = clear + 2;
      old = -1;
      afterClear = true;
      continue;
    }
    if (code == end) {
      if (afterClear)
        Error(geDataFormat);
      break;
    }
    afterClear = false;
    if (old < 0) {
      // The first code is a root; anything else is not in the table yet and reads as 0.
      uint8_t v = code < clear ? uint8_t(code) : 0;
      put(v);
      old = v;
      first = v;
      continue;
    }
    if (code > next)
      Error(geDataFormat);
    int in = code;
    if (code == next && next >= 4096)
      Error(geDataFormat);
    const size_t strLen = code == next ? size_t(length[old]) + 1 : size_t(length[code]);
    if (strLen <= room()) {
      // The whole string fits: written in place from its last byte back to its first.
      uint8_t* p = (interlaced ? out + size_t(row) * size_t(width) + size_t(col) : out + at) + strLen - 1;
      if (code == next) {
        *p-- = first;
        code = old;
      }
      while (code >= clear) {
        *p-- = suffix[code];
        code = prefix[code];
      }
      *p = uint8_t(code);
      first = uint8_t(code);
      if (!interlaced) {
        at += strLen;
        full = at >= total;
      } else if ((col += int(strLen)) >= width) {
        nextRow();
      }
      addString(in);
      continue;
    }
    int sp = 0;
    if (code == next) {
      stack[sp++] = first;
      code = old;
    }
    while (code >= clear) {
      if (sp >= 4096 || code == clear || code == end)
        Error(geDataFormat);
      stack[sp++] = suffix[code];
      code = prefix[code];
    }
    first = uint8_t(code);
    stack[sp++] = first;
    addString(in);
    while (sp > 0 && !full)
      put(stack[--sp]);
  }
}

bool TGif::FirstImageCoversScreen() const
{
  if (FImages.empty())
    return false;
  const TGifImageDescriptor& img = FImages.front();
  return img.Left == 0 && img.Top == 0 && img.Width >= FWidth && img.Height >= FHeight;
}

const TGifImageDescriptor& TGif::Image(int i) const
{
  if (i < 0 || i >= ImageCount())
    const_cast<TGif*>(this)->Error(geRange);
  return FImages[size_t(i)];
}

int TGif::ImageDelay(int i) const
{
  const TGifGraphicControl* c = Image(i).GraphicControl();
  return c && c->Delay >= 1 ? c->Delay : 1;
}

int TGif::ImageDisposal(int i) const
{
  const TGifGraphicControl* c = Image(i).GraphicControl();
  return c ? (c->Disposal & 3) : 0;
}

int TGif::TransparentIndex(int i) const
{
  const TGifGraphicControl* c = Image(i).GraphicControl();
  return c && c->TransparentFlag ? c->TransparentIndex : -1;
}

bool TGif::IsTransparent() const
{
  for (const auto& img : FImages)
    if (const TGifGraphicControl* c = img.GraphicControl(); c && c->TransparentFlag)
      return true;
  return false;
}

std::unique_ptr<TBitmap> TGif::GetStripBitmap(std::unique_ptr<TBitmap>& mask) const
{
  auto strip = std::make_unique<TBitmap>();
  DrawStrip(*strip, mask);
  return strip;
}

void TGif::DrawStrip(TBitmap& into, std::unique_ptr<TBitmap>& mask) const
{
  mask.reset();
  const int count = ImageCount();
  const int perRow = FramesPerRow();
  const int32_t stripWidth = int32_t(int64_t(FWidth) * std::min(count, perRow));
  const int32_t stripHeight = int32_t(int64_t(FHeight) * ((count + perRow - 1) / perRow));
  into.SetPixelFormat(TPixelFormat::pf24bit);
  into.SetSize(stripWidth, stripHeight);
  TBitmap* const strip = &into;
  // A mask is made wherever the page must show through: transparent pixels, a first image
  // that leaves part of the screen empty, or a frame restored to the background.
  bool needMask = IsTransparent() || !FirstImageCoversScreen();
  for (int i = 0; i + 1 < count; ++i)
    if (ImageDisposal(i) == 2)
      needMask = true;
  if (needMask) {
    mask = std::make_unique<TBitmap>(stripWidth, stripHeight, TPixelFormat::pf1bit);
    TPalette mono;
    mono.Entries = {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
    mask->SetPalette(mono);
  }
  auto setMask = [&](int32_t x, int32_t y, bool white) {
    uint8_t* b = mask->ScanLine(y) + (x >> 3);
    uint8_t bit = uint8_t(0x80 >> (x & 7));
    *b = white ? uint8_t(*b | bit) : uint8_t(*b & ~bit);
  };
  auto getMask = [&](int32_t x, int32_t y) { return ((mask->ScanLine(y)[x >> 3] >> (7 - (x & 7))) & 1) != 0; };
  // An image's rectangle clipped to the logical screen.
  auto clipped = [&](const TGifImageDescriptor& img) {
    return Rect(std::min(img.Left, FWidth), std::min(img.Top, FHeight), std::min(img.Left + img.Width, FWidth),
                std::min(img.Top + img.Height, FHeight));
  };
  // The screen starts clear (black colours, and transparent when there is a mask): where the
  // first image does not reach, the page shows through.
  if (mask)   // the first frame sits at the strip's top left
    for (int32_t y = 0; y < FHeight; ++y) {
      std::memset(mask->ScanLine(y), 0xFF, size_t(FWidth) / 8);
      for (int32_t x = FWidth & ~7; x < FWidth; ++x)
        setMask(x, y, true);
    }
  // What a "restore to previous" frame covered before it was drawn: colours and mask bits.
  std::vector<uint8_t> savedColours;
  std::vector<uint8_t> savedMask;

  for (int i = 0; i < count; ++i) {
    const TGifImageDescriptor& img = FImages[size_t(i)];
    const TPoint place = FramePlace(i);
    const int32_t frameX = place.X, frameY = place.Y;
    if (i > 0) {
      // Each frame starts from the one before.
      const TPoint prevPlace = FramePlace(i - 1);
      const int32_t prevX = prevPlace.X;
      for (int32_t y = 0; y < FHeight; ++y) {
        std::memcpy(strip->ScanLine(frameY + y) + 3 * size_t(frameX),
                    strip->ScanLine(prevPlace.Y + y) + 3 * size_t(prevX), 3 * size_t(FWidth));
        if (mask)
          for (int32_t x = 0; x < FWidth; ++x)
            setMask(frameX + x, frameY + y, getMask(prevX + x, prevPlace.Y + y));
      }
      const TRect r = clipped(FImages[size_t(i) - 1]);
      const int disposal = ImageDisposal(i - 1);
      if (mask && disposal == 2) {
        for (int32_t y = r.Top; y < r.Bottom; ++y)
          for (int32_t x = r.Left; x < r.Right; ++x)
            setMask(frameX + x, frameY + y, true);
      } else if (disposal == 3 && !r.IsEmpty()) {
        // Back to what the previous image was drawn over.
        size_t k = 0;
        for (int32_t y = r.Top; y < r.Bottom; ++y) {
          std::memcpy(strip->ScanLine(frameY + y) + 3 * size_t(frameX + r.Left),
                      savedColours.data() + 3 * size_t(r.Width()) * size_t(y - r.Top), 3 * size_t(r.Width()));
          if (mask)
            for (int32_t x = r.Left; x < r.Right; ++x)
              setMask(frameX + x, frameY + y, savedMask[k++] != 0);
        }
      }
    }
    const TRect area = clipped(img);
    if (i + 1 < count && ImageDisposal(i) == 3 && !area.IsEmpty()) {
      savedColours.resize(3 * size_t(area.Width()) * size_t(area.Height()));
      savedMask.clear();
      for (int32_t y = area.Top; y < area.Bottom; ++y) {
        std::memcpy(savedColours.data() + 3 * size_t(area.Width()) * size_t(y - area.Top),
                    strip->ScanLine(frameY + y) + 3 * size_t(frameX + area.Left), 3 * size_t(area.Width()));
        if (mask)
          for (int32_t x = area.Left; x < area.Right; ++x)
            savedMask.push_back(getMask(frameX + x, frameY + y) ? 1 : 0);
      }
    }
    // The table as B-G-R-0 words, the strip's byte order; indices past it read as black.
    const TGifColorTable& table = FColorTables[size_t(img.ColorTableIndex)];
    uint32_t colours[256];
    for (int k = 0; k < 256; ++k) {
      const TColor c = k < table.Count ? table.Colors[size_t(k)] : clBlack;
      colours[k] = uint32_t(GetBValue(c)) | uint32_t(GetGValue(c)) << 8 | uint32_t(GetRValue(c)) << 16;
    }
    const int trans = TransparentIndex(i);
    // The image is clipped to the logical screen.
    const int32_t w = area.Width();
    const int32_t h = area.Height();
    for (int32_t y = 0; y < h; ++y) {
      const uint8_t* src = img.Pixels.data() + size_t(y) * size_t(img.Width);
      const int32_t ty = frameY + img.Top + y;
      const int32_t tx0 = frameX + img.Left;
      uint8_t* out = strip->ScanLine(ty) + 3 * size_t(tx0);
      if (trans < 0 && !mask) {
        // Every pixel drawn: four bytes stored per pixel, each overlapping the next pixel's
        // first byte, the last one three bytes.
        for (int32_t x = 0; x + 1 < w; ++x)
          std::memcpy(out + 3 * size_t(x), &colours[src[x]], 4);
        if (w > 0)
          std::memcpy(out + 3 * size_t(w - 1), &colours[src[w - 1]], 3);
        continue;
      }
      for (int32_t x = 0; x < w; ++x) {
        const uint8_t index = src[x];
        uint8_t* px = out + 3 * size_t(x);
        if (index != trans) {
          std::memcpy(px, &colours[index], 3);
          if (mask)
            setMask(tx0 + x, ty, false);
        } else if (i == 0) {
          px[0] = px[1] = px[2] = 0;
          if (mask)
            setMask(tx0 + x, ty, true);
        }
      }
    }
  }
  strip->Changed();
  if (mask)
    mask->Changed();
}
