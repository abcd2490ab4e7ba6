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

namespace {

// Where decoded indices land: row after row, or for an interlaced image the rows of the four
// passes (starting at rows 0, 4, 2 and 1, every 8th, 8th, 4th and 2nd row), skipping passes
// that start below a short image. Nothing lands outside the image.
class TGifCursor {
public:
  TGifCursor(uint8_t* out, int width, int height, bool interlaced)
      : FOut(out), FWidth(width), FHeight(height), FInterlaced(interlaced), FTotal(size_t(width) * size_t(height))
  {}
  bool Full() const { return FFull; }
  // Room for a string at the cursor without leaving the image (or, interlaced, the row).
  size_t Room() const { return FInterlaced ? size_t(FWidth - FCol) : FTotal - FAt; }
  // Where the next index goes.
  uint8_t* Here() const { return FInterlaced ? FOut + size_t(FRow) * size_t(FWidth) + size_t(FCol) : FOut + FAt; }
  // Moves past n indices written at Here(), n at most Room().
  void Skip(size_t n)
  {
    if (!FInterlaced) {
      FAt += n;
      FFull = FAt >= FTotal;
    } else if ((FCol += int(n)) >= FWidth) {
      NextRow();
    }
  }
  void Put(uint8_t v)
  {
    *Here() = v;
    Skip(1);
  }

private:
  void NextRow()
  {
    static constexpr int PassStart[4] = {0, 4, 2, 1};
    static constexpr int PassStep[4] = {8, 8, 4, 2};
    FCol = 0;
    FRow += PassStep[FPass];
    while (FRow >= FHeight) {
      if (++FPass >= 4) {
        FFull = true;
        return;
      }
      FRow = PassStart[FPass];
    }
  }

  uint8_t* const FOut;
  const int FWidth, FHeight;
  const bool FInterlaced;
  // Without interlacing the rows follow each other: a plain count into the pixels.
  const size_t FTotal;
  size_t FAt = 0;
  int FPass = 0, FRow = 0, FCol = 0;
  bool FFull = false;
};

// The LZW string table: per code its prefix code, its last byte and its string's length. The
// roots are the codes below the clear code; the code size grows with the table up to 12 bits.
struct TLzwTable {
  explicit TLzwTable(int minSize) : MinSize(minSize), Clear(1 << minSize), End(Clear + 1)
  {
    for (int i = 0; i < Clear; ++i) {
      Prefix[i] = 0;
      Suffix[i] = uint8_t(i);
      Length[i] = 1;
    }
    Reset();
  }
  // After a clear code: only the roots are left.
  void Reset()
  {
    CodeSize = MinSize + 1;
    Limit = 1 << CodeSize;
    Next = Clear + 2;
    Old = -1;
  }
  // The table gains the previous string and the first byte of this one; in becomes the old.
  void AddString(int in)
  {
    if (Next < 4096) {
      Prefix[Next] = uint16_t(Old);
      Suffix[Next] = First;
      Length[Next] = uint16_t(Length[Old] + 1);
      ++Next;
      if (Next >= Limit && CodeSize < 12) {
        ++CodeSize;
        Limit <<= 1;
      }
    }
    Old = in;
  }

  const int MinSize, Clear, End;
  int CodeSize = 0, Limit = 0, Next = 0;
  int Old = -1;        // the previous code, -1 right after a clear
  uint8_t First = 0;   // the first byte of the previous string
  uint16_t Prefix[4096];
  uint8_t Suffix[4096];
  uint16_t Length[4096];
};

// Codes taken from the data's bits, least significant first.
struct TCodeReader {
  const std::vector<uint8_t>& Data;
  size_t Pos = 0;
  uint32_t Bits = 0;
  int BitCount = 0;
  // False when the data ran out.
  bool Read(int codeSize, int& code)
  {
    while (BitCount < codeSize && Pos < Data.size()) {
      Bits |= uint32_t(Data[Pos++]) << BitCount;
      BitCount += 8;
    }
    if (BitCount < codeSize)
      return false;
    code = int(Bits & ((1u << codeSize) - 1));
    Bits >>= codeSize;
    BitCount -= codeSize;
    return true;
  }
};

}   // namespace

// LZW decoding as the GIF standard has it; output indices land at the cursor, which walks
// the rows (in the four interlace passes when flagged) and drops what falls outside.
void TGif::Decode(TGifImageDescriptor& image, const std::vector<uint8_t>& data)
{
  const int minSize = image.LZWCodeSize;
  // Pixel indices are bytes and the tables hold 4096 codes: sizes beyond 8 cannot be right.
  if (minSize < 1 || minSize > 8)
    Error(geCodeSize);
  if (image.Width == 0 || image.Height == 0)
    return;
  TGifCursor cursor(image.Pixels.data(), image.Width, image.Height, image.Interlaced);
  TLzwTable t(minSize);
  TCodeReader codes{data};
  uint8_t stack[4097];
  bool afterClear = false;
  int code = 0;
  while (!cursor.Full() && codes.Read(t.CodeSize, code)) {
    if (code == t.Clear) {
      t.Reset();
      afterClear = true;
      continue;
    }
    if (code == t.End) {
      if (afterClear)
        Error(geDataFormat);
      break;
    }
    afterClear = false;
    if (t.Old < 0) {
      // The first code is a root; anything else is not in the table yet and reads as 0.
      uint8_t v = code < t.Clear ? uint8_t(code) : 0;
      cursor.Put(v);
      t.Old = v;
      t.First = v;
      continue;
    }
    if (code > t.Next)
      Error(geDataFormat);
    int in = code;
    if (code == t.Next && t.Next >= 4096)
      Error(geDataFormat);
    const size_t strLen = code == t.Next ? size_t(t.Length[t.Old]) + 1 : size_t(t.Length[code]);
    if (strLen <= cursor.Room()) {
      // The whole string fits: written in place from its last byte back to its first.
      uint8_t* p = cursor.Here() + strLen - 1;
      if (code == t.Next) {
        *p-- = t.First;
        code = t.Old;
      }
      while (code >= t.Clear) {
        *p-- = t.Suffix[code];
        code = t.Prefix[code];
      }
      *p = uint8_t(code);
      t.First = uint8_t(code);
      cursor.Skip(strLen);
      t.AddString(in);
      continue;
    }
    // Past the cursor's room: the string is unwound onto a stack and put index by index.
    int sp = 0;
    if (code == t.Next) {
      stack[sp++] = t.First;
      code = t.Old;
    }
    while (code >= t.Clear) {
      if (sp >= 4096 || code == t.Clear || code == t.End)
        Error(geDataFormat);
      stack[sp++] = t.Suffix[code];
      code = t.Prefix[code];
    }
    t.First = uint8_t(code);
    stack[sp++] = t.First;
    t.AddString(in);
    while (sp > 0 && !cursor.Full())
      cursor.Put(stack[--sp]);
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
