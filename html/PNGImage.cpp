#include "html/PNGImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "html/ZlibStreams.h"

#include <zlib.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char* const EPNGInvalidFileHeaderText = "Invalid Portable Graphics Network image, it has an invalid file header.";
const char* const EPNGOutOfRangeText = "The chunk index especified is out of the range.";
const char* const EPNGInvalidClassText = "The chunk class index especified is  out of range.";
const char* const EPNGInvalidCRCText = "Can't read the PNG image, it has corrupted data. ";
const char* const EPNGIHDRNotFirstText =
    "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first chunk.";
const char* const EPNGMissingMultipleIDATText = "The current image being loaded has no data and could not be loaded.";
const char* const EPNGInvalidPaletteText = "The current image being loaded has an invalid palette!";
const char* const EPNGUnknownColorTypeText = "Could not read the image because it has an unknown color type.";
const char* const EPNGUnknownFilterTypeText =
    "The image could not be loaded because it uses an unknown set of filter types.";
const char* const EPNGUnknownInterlaceText = "The image has an unknown interlace method.";
const char* const EPNGUnknownCriticalChunkText =
    "The currently being loaded image contains critical(s) chunk(s) not reconized by the decoder.";
const char* const EPNGMissingPaletteText = "The current image requeries a palette but it is not avaliable.";
const char* const EPNGCannotGetTransparentText =
    "Can not get transparency information because the current image color type is not RGB (value 3)";
const char* const EPNGCannotRemoveText =
    "The especified chunk is not inside the chunk list containing the method being used. The funcion could not "
    "be completed.";
const char* const EPNGInvalidBitDepthText = "The image has a bit depth that its color type does not allow.";
const char* const EPNGInvalidSizeText = "The image has an invalid size or is too large to be loaded.";
const char* const EPNGTruncatedText = "The image data end before the last row.";

EPNGImageException::EPNGImageException(const std::string& message)
    : EInvalidGraphic("Portable Network Graphics format handler error\r\n\r\n" + message)
{}

[[noreturn]] static void Fail(const char* message) { throw EPNGImageException(message); }

static const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::string ChunkTypeName(uint32_t type)
{
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i)
    s[i] = static_cast<char>((type >> (8 * i)) & 0xFF);
  return s;
}

// CRC-32 of a chunk's type and data (zlib's, which works on several bytes at a time).
static uint32_t ChunkCrc(uint32_t type, const std::vector<uint8_t>& data)
{
  uint8_t t[4] = {uint8_t(type), uint8_t(type >> 8), uint8_t(type >> 16), uint8_t(type >> 24)};
  uLong crc = crc32(0L, t, 4);
  if (!data.empty())   // a null buffer would ask zlib for its starting value instead
    crc = crc32_z(crc, data.data(), data.size());
  return uint32_t(crc);
}

static uint32_t Get32BE(const uint8_t* p)
{
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

static void Put32BE(uint8_t* p, uint32_t v)
{
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

// Chunks

TChunk::TChunk(TChunkList* owner) : FOwner(owner) {}
TChunk::~TChunk() = default;

TPNGImage* TChunk::Image() const { return FOwner ? FOwner->Image() : nullptr; }

void TChunk::Assign(const TChunk& source)
{
  Data = source.Data;
  ChunkType = source.ChunkType;
}

void TChunk::SaveToStream(TStream& stream)
{
  uint8_t head[8];
  Put32BE(head, static_cast<uint32_t>(Data.size()));
  for (int i = 0; i < 4; ++i)
    head[4 + i] = uint8_t(ChunkType >> (8 * i));
  stream.WriteBuffer(head, 8);
  stream.WriteBuffer(Data.data(), Data.size());
  uint8_t crc[4];
  Put32BE(crc, ChunkCrc(ChunkType, Data));
  stream.WriteBuffer(crc, 4);
}

TChunkIEND::TChunkIEND(TChunkList* owner) : TChunk(owner) { ChunkType = ChunkTypeOf("IEND"); }

TChunkIHDR::TChunkIHDR(TChunkList* owner) : TChunk(owner)
{
  ChunkType = ChunkTypeOf("IHDR");
  Data.assign(13, 0);
  Data[8] = 8;
  Data[9] = 3;
}

uint32_t TChunkIHDR::Get32(size_t at) const { return Get32BE(Data.data() + at); }

void TChunkIHDR::Set(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType)
{
  Data.assign(13, 0);
  Put32BE(Data.data(), width);
  Put32BE(Data.data() + 4, height);
  Data[8] = bitDepth;
  Data[9] = colorType;
}

static bool IsIndexedFormat(const TBitmap& b)
{
  TPixelFormat f = b.PixelFormat();
  return f == TPixelFormat::pf1bit || f == TPixelFormat::pf4bit || f == TPixelFormat::pf8bit;
}

void TChunkIHDR::SaveToStream(TStream& stream)
{
  TPNGImage* img = Image();
  if (IsIndexedFormat(*img))
    Set(uint32_t(img->Width()), uint32_t(img->Height()), uint8_t(img->BitsPerPixel()), 3);
  else
    Set(uint32_t(img->Width()), uint32_t(img->Height()), 8, 2);
  TChunk::SaveToStream(stream);
}

TChunkPLTE::TChunkPLTE(TChunkList* owner) : TChunk(owner) { ChunkType = ChunkTypeOf("PLTE"); }

TPalette TChunkPLTE::Palette() const
{
  if (Data.empty() || Data.size() % 3 != 0 || Data.size() > 768)
    Fail(EPNGInvalidPaletteText);
  TPalette p;
  p.Entries.resize(Data.size() / 3);
  for (size_t i = 0; i < p.Entries.size(); ++i)
    p.Entries[i] = TRGBQuad{Data[3 * i + 2], Data[3 * i + 1], Data[3 * i], 0};
  return p;
}

// The palette as the bitmap reads it, entries past the palette given as GetPixel shows them.
static TPalette FullPalette(const TBitmap& b)
{
  TPalette p = b.Palette();
  size_t count = size_t(1) << b.BitsPerPixel();
  for (size_t i = p.Entries.size(); i < count; ++i) {
    TColor c = b.PixelFormat() == TPixelFormat::pf1bit ? (i ? clWhite : clBlack) : RGBColor(int(i), int(i), int(i));
    p.Entries.push_back(TRGBQuad{Byte(GetBValue(c)), Byte(GetGValue(c)), Byte(GetRValue(c)), 0});
  }
  return p;
}

void TChunkPLTE::SaveToStream(TStream& stream)
{
  TPNGImage* img = Image();
  TPalette p = FullPalette(*img);
  // The reader corrects the palette by the gamma again: write it uncorrected.
  const TChunkGAMA* gama = img->SaveGamma();
  auto out = [gama](uint8_t V) { return gama ? gama->InverseTable[V] : V; };
  Data.resize(p.Entries.size() * 3);
  for (size_t i = 0; i < p.Entries.size(); ++i) {
    Data[3 * i] = out(p.Entries[i].rgbRed);
    Data[3 * i + 1] = out(p.Entries[i].rgbGreen);
    Data[3 * i + 2] = out(p.Entries[i].rgbBlue);
  }
  TChunk::SaveToStream(stream);
}

TChunkGAMA::TChunkGAMA(TChunkList* owner) : TChunk(owner)
{
  ChunkType = ChunkTypeOf("gAMA");
  Data.assign(4, 0);
  Put32BE(Data.data(), 100000);
}

uint32_t TChunkGAMA::Value() const { return Data.size() >= 4 ? Get32BE(Data.data()) : 0; }

void TChunkGAMA::DoAction()
{
  uint32_t g = Value();
  // A zero gamma would divide by zero; such a chunk is ignored.
  FValid = g != 0;
  for (int i = 0; i < 256; ++i) {
    GammaTable[i] = uint8_t(i);
    InverseTable[i] = uint8_t(i);
  }
  if (!FValid)
    return;
  double exponent = 1.0 / (double(g) / 100000.0 * 2.2);
  for (int i = 0; i < 256; ++i) {
    double v = 255.0 * std::pow(i / 255.0, exponent);
    GammaTable[i] = uint8_t(std::clamp(SafeRound(v), 0, 255));
  }
  for (int i = 0; i < 256; ++i)
    InverseTable[GammaTable[i]] = uint8_t(i);
}

TChunkTRNS::TChunkTRNS(TChunkList* owner) : TChunk(owner) { ChunkType = ChunkTypeOf("tRNS"); }

void TChunkTRNS::SaveToStream(TStream& stream)
{
  TPNGImage* img = Image();
  if (!IsIndexedFormat(*img)) {
    TColor c = img->TransparentColor();
    const TChunkGAMA* gama = img->SaveGamma();
    auto out = [gama](int V) { return gama ? gama->InverseTable[size_t(V)] : uint8_t(V); };
    Data.assign(6, 0);
    Data[1] = out(GetRValue(c));
    Data[3] = out(GetGValue(c));
    Data[5] = out(GetBValue(c));
  }
  TChunk::SaveToStream(stream);
}

TChunkTEXT::TChunkTEXT(TChunkList* owner) : TChunk(owner)
{
  ChunkType = ChunkTypeOf("tEXt");
  Data.assign(2, 0);
}

TChunkIDAT::TChunkIDAT(TChunkList* owner) : TChunk(owner) { ChunkType = ChunkTypeOf("IDAT"); }

void TChunkIDAT::DoAction() { Image()->DecodeImage(*this); }

void TChunkIDAT::SaveToStream(TStream& stream)
{
  TByteStream compressed;
  Image()->EncodeImage(compressed);
  Data = std::move(compressed.Bytes());
  TChunk::SaveToStream(stream);
  Data.clear();
}

// Chunk class registry

namespace {
struct TChunkClassEntry {
  uint32_t Type;
  std::unique_ptr<TChunk> (*Make)(TChunkList*);
};
template <class T>
std::unique_ptr<TChunk> MakeChunk(TChunkList* owner)
{
  return std::make_unique<T>(owner);
}
// "tIME" is an ordinary chunk: it is kept as a plain chunk, never read as transparency.
const TChunkClassEntry ChunkClasses[] = {
    {ChunkTypeOf("IEND"), MakeChunk<TChunkIEND>}, {ChunkTypeOf("IHDR"), MakeChunk<TChunkIHDR>},
    {ChunkTypeOf("gAMA"), MakeChunk<TChunkGAMA>}, {ChunkTypeOf("IDAT"), MakeChunk<TChunkIDAT>},
    {ChunkTypeOf("PLTE"), MakeChunk<TChunkPLTE>}, {ChunkTypeOf("tEXt"), MakeChunk<TChunkTEXT>},
    {ChunkTypeOf("tRNS"), MakeChunk<TChunkTRNS>},
};
}   // namespace

int ChunkClassCount() { return int(std::size(ChunkClasses)); }

uint32_t ChunkClassType(int index)
{
  if (index < 0 || index >= ChunkClassCount())
    Fail(EPNGInvalidClassText);
  return ChunkClasses[index].Type;
}

// Chunk list

TChunk* TChunkList::Item(int index) const
{
  if (index < 0 || index >= Count())
    Fail(EPNGOutOfRangeText);
  return FItems[size_t(index)].get();
}

TChunk* TChunkList::Add(std::unique_ptr<TChunk> chunk)
{
  chunk->FOwner = this;
  FItems.push_back(std::move(chunk));
  return FItems.back().get();
}

void TChunkList::Insert(int index, std::unique_ptr<TChunk> chunk)
{
  index = std::clamp(index, 0, Count());
  chunk->FOwner = this;
  FItems.insert(FItems.begin() + index, std::move(chunk));
}

std::unique_ptr<TChunk> TChunkList::CreateChunk(uint32_t type)
{
  for (const auto& e : ChunkClasses)
    if (e.Type == type)
      return e.Make(this);
  auto c = std::make_unique<TChunk>(this);
  c->ChunkType = type;
  return c;
}

void TChunkList::Move(int from, int to)
{
  if (from < 0 || from >= Count() || to < 0 || to >= Count())
    Fail(EPNGOutOfRangeText);
  auto c = std::move(FItems[size_t(from)]);
  FItems.erase(FItems.begin() + from);
  FItems.insert(FItems.begin() + to, std::move(c));
}

void TChunkList::Remove(TChunk* chunk)
{
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == chunk) {
      FItems.erase(FItems.begin() + ptrdiff_t(i));
      return;
    }
  Fail(EPNGCannotRemoveText);
}

TChunk* TChunkList::ReadChunk(TStream& stream)
{
  uint8_t head[8];
  size_t got = stream.Read(head, 8);
  if (got == 0)
    return nullptr;
  // A file cut off after its image data has lost only what follows them (the end chunk,
  // comments): that is the end of the file, as a missing end chunk is. Before the image data
  // a cut chunk leaves nothing to show.
  auto haveImage = [this] { return FindChunk<TChunkIDAT>() != nullptr; };
  if (got != 8) {
    if (haveImage())
      return nullptr;
    Fail(EPNGInvalidCRCText);
  }
  uint32_t length = Get32BE(head);
  uint32_t type = uint32_t(head[4]) | uint32_t(head[5]) << 8 | uint32_t(head[6]) << 16 | uint32_t(head[7]) << 24;
  // Lengths are at most 2^31 - 1 and never beyond the bytes left (data and CRC).
  int64_t left = stream.Size() - stream.Position();
  if (length > 0x7FFFFFFFu || int64_t(length) + 4 > left) {
    if (haveImage())
      return nullptr;
    Fail(EPNGInvalidCRCText);
  }
  bool critical = (head[4] & 0x20) == 0;
  auto chunk = CreateChunk(type);
  const TChunk& made = *chunk;
  if (critical && typeid(made) == typeid(TChunk))
    Fail(EPNGUnknownCriticalChunkText);
  chunk->Data.resize(length);
  stream.ReadBuffer(chunk->Data.data(), length);
  uint8_t crcBytes[4];
  stream.ReadBuffer(crcBytes, 4);
  if (Get32BE(crcBytes) != ChunkCrc(type, chunk->Data))
    Fail(EPNGInvalidCRCText);
  if (type == ChunkTypeOf("IDAT")) {
    if (TChunkIDAT* first = FindChunk<TChunkIDAT>()) {
      first->Data.insert(first->Data.end(), chunk->Data.begin(), chunk->Data.end());
      return first;
    }
  }
  return Add(std::move(chunk));
}

// Image

TPNGImage::TPNGImage() : FChunks(std::make_unique<TChunkList>(this)) { ResetChunks(); }
TPNGImage::~TPNGImage() = default;

void TPNGImage::ResetChunks()
{
  FChunks->Clear();
  FChunks->AddClass<TChunkIHDR>();
  FChunks->AddClass<TChunkIDAT>();
  FChunks->AddClass<TChunkIEND>();
}

void TPNGImage::Assign(const TPNGImage& source)
{
  FChunks->Clear();
  for (int i = 0; i < source.FChunks->Count(); ++i) {
    TChunk* s = source.FChunks->Item(i);
    auto c = FChunks->CreateChunk(s->ChunkType);
    c->Assign(*s);
    if (auto* g = dynamic_cast<TChunkGAMA*>(c.get()))
      g->DoAction();
    FChunks->Add(std::move(c));
  }
  Filters = source.Filters;
  Interlaced = source.Interlaced;
  static_cast<TBitmap&>(*this) = static_cast<const TBitmap&>(source);
  FTransparencyMask = source.FTransparencyMask ? std::make_unique<TBitmap>(*source.FTransparencyMask) : nullptr;
}

void TPNGImage::LoadFromFile(const std::string& fileName)
{
  TByteStream s;
  s.LoadFromFile(fileName);
  LoadFromStream(s);
}

void TPNGImage::LoadFromStream(TStream& stream)
{
  static_cast<TBitmap&>(*this) = TBitmap();
  FTransparencyMask.reset();
  Interlaced = false;
  FChunks->Clear();
  uint8_t sig[8];
  if (stream.Read(sig, 8) != 8 || std::memcmp(sig, PngSignature, 8) != 0)
    Fail(EPNGInvalidFileHeaderText);
  for (;;) {
    TChunk* c = FChunks->ReadChunk(stream);
    if (!c || c->ChunkType == ChunkTypeOf("IEND"))
      break;
  }
  if (FChunks->Count() == 0 || !dynamic_cast<TChunkIHDR*>(FChunks->Item(0)) || FChunks->Item(0)->Data.size() != 13)
    Fail(EPNGIHDRNotFirstText);
  if (FChunks->IndexOfClass<TChunkIDAT>() < 0)
    Fail(EPNGMissingMultipleIDATText);
  for (int i = 0; i < FChunks->Count(); ++i)
    FChunks->Item(i)->DoAction();
}

TColor TPNGImage::GetTRNSColor() const
{
  auto* ihdr = FChunks->FindChunk<TChunkIHDR>();
  auto* trns = FChunks->FindChunk<TChunkTRNS>();
  if (!ihdr || ihdr->ColorType() != 2)
    Fail(EPNGCannotGetTransparentText);
  if (!trns || trns->Data.size() < 6)
    return clNone;
  // 16-bit images keep the high byte of each sample, 8-bit ones the low byte of the field.
  bool wide = ihdr->BitDepth() == 16;
  const uint8_t* d = trns->Data.data();
  auto sample = [&](int i) { return wide ? d[2 * i] : d[2 * i + 1]; };
  return RGBColor(sample(0), sample(1), sample(2));
}

// Decoding

namespace {

struct TPassInfo {
  int RowStart, ColStart, RowStep, ColStep;
};
const TPassInfo Adam7[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                            {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};

inline uint8_t Paeth(uint8_t a, uint8_t b, uint8_t c)
{
  // Distances of a + b - c to a, b and c, written without the sum; ties go to a, then b.
  // Chosen through masks rather than branches: the data decide, so branches would often be
  // mispredicted, and a row's bytes wait on each other.
  const int pa = std::abs(int(b) - int(c)), pb = std::abs(int(a) - int(c)), pc = std::abs(int(a) + int(b) - 2 * int(c));
  const int nearB = -int(pb < pa);
  const int ab = (int(b) & nearB) | (int(a) & ~nearB);
  const int nearest = pa + ((pb - pa) & nearB);
  const int nearC = -int(pc < nearest);
  return uint8_t((int(c) & nearC) | (ab & ~nearC));
}

#if defined(__SSE2__)
// One pixel of Bpp bytes in the low 16-bit lanes of a vector, and back. A load takes the
// pixel in one piece, with up to two bytes after it (the row storage leaves room): small
// pieces put together on the stack would stall the next load along the row. A store writes
// exactly Bpp bytes, so the next pixel is never touched.
template <size_t Bpp>
inline __m128i LoadPixel(const uint8_t* p)
{
  if constexpr (Bpp <= 4) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(v)), _mm_setzero_si128());
  } else {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return _mm_unpacklo_epi8(_mm_cvtsi64_si128(int64_t(v)), _mm_setzero_si128());
  }
}

template <size_t Bpp>
inline void StorePixel(uint8_t* p, __m128i v)
{
  const uint64_t bytes = uint64_t(_mm_cvtsi128_si64(_mm_packus_epi16(v, v)));
  std::memcpy(p, &bytes, Bpp);
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no)
{
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Sub, Average and Paeth for pixels of three or more bytes: each pixel depends on the one
// to its left, so the bytes of one pixel go through together, one per 16-bit lane, with the
// left (a) and upper-left (c) pixels kept in registers. The first pixel sees a = c = 0,
// which is what the filters define for it.
template <size_t Bpp>
void UnfilterPixels(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n)
{
  const __m128i zero = _mm_setzero_si128(), low = _mm_set1_epi16(0xFF);
  __m128i a = zero, c = zero;
  switch (filter) {
  case 1:
    for (size_t i = 0; i + Bpp <= n; i += Bpp) {
      a = _mm_and_si128(_mm_add_epi16(LoadPixel<Bpp>(row + i), a), low);
      StorePixel<Bpp>(row + i, a);
    }
    break;
  case 3:
    for (size_t i = 0; i + Bpp <= n; i += Bpp) {
      const __m128i b = LoadPixel<Bpp>(prev + i);
      a = _mm_and_si128(_mm_add_epi16(LoadPixel<Bpp>(row + i), _mm_srli_epi16(_mm_add_epi16(a, b), 1)), low);
      StorePixel<Bpp>(row + i, a);
    }
    break;
  case 4:
    for (size_t i = 0; i + Bpp <= n; i += Bpp) {
      const __m128i b = LoadPixel<Bpp>(prev + i);
      __m128i pa = _mm_sub_epi16(b, c);     // p - a
      __m128i pb = _mm_sub_epi16(a, c);     // p - b
      __m128i pc = _mm_add_epi16(pa, pb);   // p - c
      pa = _mm_max_epi16(pa, _mm_sub_epi16(zero, pa));
      pb = _mm_max_epi16(pb, _mm_sub_epi16(zero, pb));
      pc = _mm_max_epi16(pc, _mm_sub_epi16(zero, pc));
      const __m128i ab = Select(_mm_cmplt_epi16(pb, pa), b, a);
      const __m128i pred = Select(_mm_cmplt_epi16(pc, _mm_min_epi16(pa, pb)), c, ab);
      a = _mm_and_si128(_mm_add_epi16(LoadPixel<Bpp>(row + i), pred), low);
      c = b;
      StorePixel<Bpp>(row + i, a);
    }
    break;
  default: break;
  }
}
#endif

// Undoes one row's filter in place; prev is the previous row of the pass (zeros for the first).
// Bpp is the pixel's size in bytes when known at compile time (0: the bpp argument).
template <size_t Bpp>
void UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n, size_t bpp)
{
  if constexpr (Bpp != 0)
    bpp = Bpp;
  if (filter > 4)
    Fail(EPNGUnknownFilterTypeText);
  if (filter == 0)
    return;
  if (filter == 2) {
    for (size_t i = 0; i < n; ++i)
      row[i] = uint8_t(row[i] + prev[i]);
    return;
  }
#if defined(__SSE2__)
  if constexpr (Bpp >= 3) {
    UnfilterPixels<Bpp>(filter, row, prev, n);
    return;
  }
#endif
  if constexpr (Bpp == 1 || Bpp == 2) {
    // Small pixels byte by byte, the left (a) and upper-left (c) bytes carried in registers
    // rather than read back from the row just written.
    uint8_t a[Bpp] = {}, c[Bpp] = {};
    for (size_t i = 0; i + Bpp <= n; i += Bpp)
      for (size_t k = 0; k < Bpp; ++k) {
        const uint8_t b = prev[i + k];
        const uint8_t pred = filter == 1   ? a[k]
                             : filter == 3 ? uint8_t((unsigned(a[k]) + b) >> 1)
                                           : Paeth(a[k], b, c[k]);
        a[k] = uint8_t(row[i + k] + pred);
        row[i + k] = a[k];
        c[k] = b;
      }
    return;
  }
  switch (filter) {
  case 1:
    for (size_t i = bpp; i < n; ++i)
      row[i] = uint8_t(row[i] + row[i - bpp]);
    break;
  case 3: {
    size_t i = 0;
    for (; i < bpp && i < n; ++i)
      row[i] = uint8_t(row[i] + (prev[i] >> 1));
    for (; i < n; ++i)
      row[i] = uint8_t(row[i] + ((unsigned(row[i - bpp]) + prev[i]) >> 1));
    break;
  }
  default: {
    size_t i = 0;
    for (; i < bpp && i < n; ++i)
      row[i] = uint8_t(row[i] + prev[i]);
    for (; i < n; ++i)
      row[i] = uint8_t(row[i] + Paeth(row[i - bpp], prev[i], prev[i - bpp]));
    break;
  }
  }
}

void Unfilter(uint8_t filter, uint8_t* row, const uint8_t* prev, size_t n, size_t bpp)
{
  switch (bpp) {
  case 1: UnfilterRow<1>(filter, row, prev, n, bpp); break;
  case 2: UnfilterRow<2>(filter, row, prev, n, bpp); break;
  case 3: UnfilterRow<3>(filter, row, prev, n, bpp); break;
  case 4: UnfilterRow<4>(filter, row, prev, n, bpp); break;
  case 6: UnfilterRow<6>(filter, row, prev, n, bpp); break;
  case 8: UnfilterRow<8>(filter, row, prev, n, bpp); break;
  default: UnfilterRow<0>(filter, row, prev, n, bpp);
  }
}

// Everything the row conversion needs.
struct TRowDecoder {
  int ColorType = 0;
  int Depth = 0;
  int Channels = 1;
  const uint8_t* Gamma = nullptr;   // 256 entries, null for none (RGB samples only)
  // Transparency
  bool MaskWanted = false;
  std::array<bool, 256> IndexTransparent{};
  uint16_t TrnsR = 0, TrnsG = 0, TrnsB = 0;
  // Entries of the PLTE chunk (palette images); an index at or past it makes the file invalid.
  unsigned PaletteSize = 256;
  // For palette and grey pictures decoded to direct colour: each index's B-G-R-0 pixel.
  const uint32_t* Colours = nullptr;

  // Palette index of pixel i of a raw row (1, 2, 4 or 8 bits, most significant bits first).
  unsigned PaletteIndex(const uint8_t* src, size_t i) const
  {
    if (Depth == 8)
      return src[i];
    size_t bit = i * size_t(Depth);
    return (src[bit >> 3] >> (8 - Depth - (bit & 7))) & ((1u << Depth) - 1);
  }

  // Refuses a palette row that points past the palette (checked only when it can happen).
  void CheckIndices(const uint8_t* src, size_t n) const
  {
    if (ColorType != 3 || PaletteSize >= (1u << Depth))
      return;
    for (size_t i = 0; i < n; ++i)
      if (PaletteIndex(src, i) >= PaletteSize)
        Fail(EPNGInvalidPaletteText);
  }

  // Converts n pixels of a raw palette or grey row into 24-bit pixels through Colours.
  void ConvertToColours(const uint8_t* src, uint8_t* dst, size_t n) const
  {
    if (n == 0)
      return;
    // Four bytes stored per pixel, each overlapping the next pixel's first byte, all but the
    // last: the row may end right after it.
    const uint32_t* const colours = Colours;
    auto put = [&](size_t i, unsigned index) { std::memcpy(dst + 3 * i, &colours[index], i + 1 < n ? 4 : 3); };
    if (ColorType == 4) {
      const size_t step = Depth == 16 ? 4 : 2;
      for (size_t i = 0; i < n; ++i)
        put(i, src[i * step]);
    } else if (Depth == 16) {
      for (size_t i = 0; i < n; ++i)
        put(i, src[2 * i]);
    } else if (Depth == 8) {
      for (size_t i = 0; i + 1 < n; ++i)
        std::memcpy(dst + 3 * i, &colours[src[i]], 4);
      put(n - 1, src[n - 1]);
    } else {
      for (size_t i = 0; i < n; ++i)
        put(i, PaletteIndex(src, i));
    }
  }

  // Converts n pixels of a raw row into the bitmap's scanline format.
  void Convert(const uint8_t* src, uint8_t* dst, size_t n) const
  {
    if (Colours) {
      ConvertToColours(src, dst, n);
      return;
    }
    switch (ColorType) {
    case 0:
    case 3:
      if (Depth == 1 || Depth == 4)
        std::memcpy(dst, src, (n * Depth + 7) / 8);
      else if (Depth == 8)
        std::memcpy(dst, src, n);
      else if (Depth == 2) {
        for (size_t i = 0; i < n; i += 2) {
          uint8_t b = src[i >> 2];
          int shift = (i & 2) ? 2 : 6;   // pixel i in bits 7-6 or 3-2 of its byte
          uint8_t hi = (b >> shift) & 3;
          uint8_t lo = (b >> (shift - 2)) & 3;
          dst[i >> 1] = uint8_t(hi << 4 | lo);
        }
      } else {   // 16: the high byte
        for (size_t i = 0; i < n; ++i)
          dst[i] = src[2 * i];
      }
      break;
    case 4: {
      size_t step = Depth == 16 ? 4 : 2;
      for (size_t i = 0; i < n; ++i)
        dst[i] = src[i * step];
      break;
    }
    case 2:
    case 6: {
      size_t sample = Depth == 16 ? 2 : 1;
      size_t step = sample * (ColorType == 6 ? 4 : 3);
      const uint8_t* s = src;
      if (Gamma) {
        for (size_t i = 0; i < n; ++i, s += step, dst += 3) {
          dst[0] = Gamma[s[2 * sample]];
          dst[1] = Gamma[s[sample]];
          dst[2] = Gamma[s[0]];
        }
      } else if (sample == 1 && ColorType == 2) {
        for (size_t i = 0; i < n; ++i, s += 3, dst += 3) {
          dst[0] = s[2];
          dst[1] = s[1];
          dst[2] = s[0];
        }
      } else {
        for (size_t i = 0; i < n; ++i, s += step, dst += 3) {
          dst[0] = s[2 * sample];
          dst[1] = s[sample];
          dst[2] = s[0];
        }
      }
      break;
    }
    default: break;
    }
  }

  // Whether pixel i of a raw row is made transparent by the tRNS chunk.
  bool Transparent(const uint8_t* src, size_t i) const
  {
    if (ColorType == 3)
      return IndexTransparent[PaletteIndex(src, i)];
    if (Depth == 16) {
      const uint8_t* p = src + 6 * i;
      return (uint16_t(p[0] << 8 | p[1]) == TrnsR) && (uint16_t(p[2] << 8 | p[3]) == TrnsG)
             && (uint16_t(p[4] << 8 | p[5]) == TrnsB);
    }
    const uint8_t* p = src + 3 * i;
    return p[0] == TrnsR && p[1] == TrnsG && p[2] == TrnsB;
  }
};

bool ValidDepth(int type, int depth)
{
  switch (type) {
  case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
  case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
  case 2:
  case 4:
  case 6: return depth == 8 || depth == 16;
  default: return false;
  }
}

// Puts the n pixels of a converted pass row at x0, x0 + step, ... of a bitmap row.
void Scatter(const uint8_t* src, uint8_t* dst, size_t x0, size_t step, size_t n, int bits)
{
  switch (bits) {
  case 1:
    for (size_t i = 0, x = x0; i < n; ++i, x += step) {
      const int v = (src[i >> 3] >> (7 - (i & 7))) & 1;
      const uint8_t m = uint8_t(0x80 >> (x & 7));
      dst[x >> 3] = v ? uint8_t(dst[x >> 3] | m) : uint8_t(dst[x >> 3] & ~m);
    }
    break;
  case 4:
    for (size_t i = 0, x = x0; i < n; ++i, x += step) {
      const int v = (i & 1) ? (src[i >> 1] & 0x0F) : (src[i >> 1] >> 4);
      uint8_t& b = dst[x >> 1];
      b = (x & 1) ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | (v << 4));
    }
    break;
  case 8:
    for (size_t i = 0, x = x0; i < n; ++i, x += step)
      dst[x] = src[i];
    break;
  default:
    for (size_t i = 0, x = x0; i < n; ++i, x += step) {
      dst[3 * x] = src[3 * i];
      dst[3 * x + 1] = src[3 * i + 1];
      dst[3 * x + 2] = src[3 * i + 2];
    }
    break;
  }
}

// Bytes the row storage keeps after each row: the unfilter reads pixels whole.
constexpr size_t RowSlack = 8;
// Inflated bytes asked for at once: many rows, still well inside the processor's cache.
constexpr size_t BatchBytes = 128 * 1024;

// The image data inflated straight into row storage, many rows per call: zlib then brings its
// window up to date once per batch instead of once per row, and the input is read where it
// lies.
class TRowReader {
public:
  TRowReader(const uint8_t* data, size_t size) : FNext(data), FLeft(size)
  {
    const int r = inflateInit(&FZ);
    if (r != Z_OK)
      throw EZDecompressionError(zError(r));
  }
  ~TRowReader() { inflateEnd(&FZ); }
  TRowReader(const TRowReader&) = delete;
  TRowReader& operator=(const TRowReader&) = delete;

  // Reads Rows rows of RowBytes bytes, each after its filter byte, undoes the filters and
  // hands each row to Done(index, row) in turn; the row before the first counts as zeros.
  // The rows read whole are handed on before a short or broken stream raises.
  template <class F>
  void ReadPass(size_t rowBytes, size_t rows, size_t bpp, F&& done)
  {
    const size_t stride = rowBytes + 1;
    const size_t batch = std::clamp<size_t>(BatchBytes / stride, 1, rows);
    // Row 0 of the storage holds the previous batch's last row.
    FRows.assign((batch + 1) * stride + RowSlack, 0);
    uint8_t* const base = FRows.data();
    for (size_t first = 0; first < rows;) {
      const size_t n = std::min(batch, rows - first);
      const size_t whole = Inflate(base + stride, n * stride) / stride;
      for (size_t r = 1; r <= whole; ++r) {
        uint8_t* row = base + r * stride + 1;
        Unfilter(row[-1], row, row - stride, rowBytes, bpp);
        done(first + r - 1, static_cast<const uint8_t*>(row));
      }
      if (whole < n) {
        if (FError != Z_OK)
          throw EZDecompressionError(zError(FError));
        Fail(EPNGTruncatedText);
      }
      std::memcpy(base + 1, base + n * stride + 1, rowBytes);
      first += n;
    }
  }

private:
  // Inflates up to n bytes into out; gives the count made. Stops at the end of the stream or
  // of the data, or at an error, which is kept in FError.
  size_t Inflate(uint8_t* out, size_t n)
  {
    size_t got = 0;
    while (got < n && !FEnded && FError == Z_OK) {
      if (FZ.avail_in == 0) {
        if (FLeft == 0)
          break;
        const size_t take = std::min<size_t>(FLeft, 1u << 30);
        FZ.next_in = const_cast<Bytef*>(FNext);
        FZ.avail_in = uInt(take);
        FNext += take;
        FLeft -= take;
      }
      const uInt want = uInt(std::min<size_t>(n - got, 1u << 30));
      FZ.next_out = out + got;
      FZ.avail_out = want;
      const int r = inflate(&FZ, Z_NO_FLUSH);
      const size_t produced = want - FZ.avail_out;
      got += produced;
      if (r == Z_STREAM_END)
        FEnded = true;
      else if (r == Z_BUF_ERROR) {
        // No progress: only an error while input is left (none left ends the loop above).
        if (FZ.avail_in != 0 && produced == 0)
          FError = r;
      } else if (r != Z_OK)
        FError = r;   // a preset dictionary is never available here either
    }
    return got;
  }

  z_stream FZ{};
  const uint8_t* FNext;
  size_t FLeft;
  bool FEnded = false;
  int FError = Z_OK;
  std::vector<uint8_t> FRows;
};

inline void SetMaskBit(uint8_t* row, size_t x) { row[x >> 3] |= uint8_t(0x80 >> (x & 7)); }

// The header checked: a known colour type with a depth it allows, a known interlace method
// and a size within the caps.
const TChunkIHDR& CheckedHeader(const TChunkList& chunks)
{
  auto* ihdr = chunks.FindChunk<TChunkIHDR>();
  if (!ihdr || ihdr->Data.size() != 13)
    Fail(EPNGIHDRNotFirstText);
  const int type = ihdr->ColorType();
  if (type != 0 && type != 2 && type != 3 && type != 4 && type != 6)
    Fail(EPNGUnknownColorTypeText);
  if (!ValidDepth(type, ihdr->BitDepth()))
    Fail(EPNGInvalidBitDepthText);
  if (ihdr->InterlaceMethod() > 1)
    Fail(EPNGUnknownInterlaceText);
  const uint32_t w32 = ihdr->Width(), h32 = ihdr->Height();
  if (w32 == 0 || h32 == 0 || w32 > uint32_t(TBitmap::MaxSide) || h32 > uint32_t(TBitmap::MaxSide)
      || int64_t(w32) * int64_t(h32) > TPNGImage::MaxPixels)
    Fail(EPNGInvalidSizeText);
  return *ihdr;
}

// The bits per pixel of the bitmap a picture decodes to: 24 for colour, and for palette and
// grey pictures read as direct colour; else 1, 4 (depths 2 and 4) or 8.
int DecodedBits(int type, int depth, bool directColor)
{
  if (type == 2 || type == 6 || directColor)
    return 24;
  return depth == 1 ? 1 : depth <= 4 ? 4 : 8;
}

// Gamma from a valid gAMA chunk that came before the image data.
const TChunkGAMA* ImageGamma(const TChunkList& chunks)
{
  const int idatIndex = chunks.IndexOfClass<TChunkIDAT>();
  for (int i = 0; i < idatIndex; ++i)
    if (auto* g = dynamic_cast<TChunkGAMA*>(chunks.Item(i)); g && g->Valid())
      return g;
  return nullptr;
}

// The picture's palette, gamma-corrected: the PLTE chunk's for a palette picture, a grey ramp
// for a grey one, padded with black to the bitmap's entries (outBits of 8 or fewer). For a
// palette or grey picture read as direct colour, colours receives each index's pixel and
// the decoder points at it.
TPalette DecodePalette(const TChunkList& chunks, int type, int depth, int outBits, const TChunkGAMA* gama,
                       TRowDecoder& dec, std::array<uint32_t, 256>& colours)
{
  TPalette palette;
  if (type == 3) {
    auto* plte = chunks.FindChunk<TChunkPLTE>();
    if (!plte)
      Fail(EPNGMissingPaletteText);
    palette = plte->Palette();
    dec.PaletteSize = unsigned(palette.Entries.size());
    if (gama)
      for (auto& e : palette.Entries) {
        e.rgbRed = gama->GammaTable[e.rgbRed];
        e.rgbGreen = gama->GammaTable[e.rgbGreen];
        e.rgbBlue = gama->GammaTable[e.rgbBlue];
      }
  } else if (type == 0 || type == 4) {
    int count = depth >= 8 ? 256 : 1 << depth;
    palette.Entries.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
      uint8_t v = uint8_t(i * 255 / (count - 1));
      if (gama)
        v = gama->GammaTable[v];
      palette.Entries[size_t(i)] = TRGBQuad{v, v, v, 0};
    }
  }
  if (outBits <= 8) {
    // A short palette is padded for the bitmap; the rows are checked against the real one.
    size_t full = size_t(1) << outBits;
    if (palette.Entries.size() < full)
      palette.Entries.resize(full, TRGBQuad{0, 0, 0, 0});
  }
  if (outBits == 24 && type != 2 && type != 6) {
    for (size_t i = 0; i < palette.Entries.size(); ++i) {
      const TRGBQuad& e = palette.Entries[i];
      colours[i] = uint32_t(e.rgbRed) << 16 | uint32_t(e.rgbGreen) << 8 | e.rgbBlue;
    }
    dec.Colours = colours.data();
  }
  return palette;
}

// Decodes the rows of the image data into the bitmap, and the pixels the tRNS chunk makes
// transparent into the mask (when there is one): top to bottom, or pass by pass.
void DecodeRows(const std::vector<uint8_t>& data, const TRowDecoder& dec, bool interlaced, int outBits, TBitmap& bitmap,
                TBitmap* mask)
{
  const int32_t width = bitmap.Width(), height = bitmap.Height();
  const size_t pixelBits = size_t(dec.Channels) * size_t(dec.Depth);
  const size_t bpp = std::max<size_t>(1, pixelBits / 8);
  TRowReader reader(data.data(), data.size());
  if (!interlaced) {
    const size_t maxRow = (size_t(width) * pixelBits + 7) / 8;
    reader.ReadPass(maxRow, size_t(height), bpp, [&](size_t y, const uint8_t* row) {
      dec.CheckIndices(row, size_t(width));
      dec.Convert(row, bitmap.ScanLine(int32_t(y)), size_t(width));
      if (mask) {
        uint8_t* mrow = mask->ScanLine(int32_t(y));
        for (size_t x = 0; x < size_t(width); ++x)
          if (dec.Transparent(row, x))
            SetMaskBit(mrow, x);
      }
    });
    return;
  }
  std::vector<uint8_t> converted(BytesPerScanline(width, outBits) + 4);
  for (const TPassInfo& pass : Adam7) {
    if (pass.ColStart >= width || pass.RowStart >= height)
      continue;   // empty passes have no rows in the data
    const size_t pw = size_t(width - pass.ColStart + pass.ColStep - 1) / size_t(pass.ColStep);
    const size_t rows = size_t(height - pass.RowStart + pass.RowStep - 1) / size_t(pass.RowStep);
    const size_t rowBytes = (pw * pixelBits + 7) / 8;
    reader.ReadPass(rowBytes, rows, bpp, [&](size_t k, const uint8_t* row) {
      const int32_t y = pass.RowStart + int32_t(k) * pass.RowStep;
      dec.CheckIndices(row, pw);
      dec.Convert(row, converted.data(), pw);
      Scatter(converted.data(), bitmap.ScanLine(y), size_t(pass.ColStart), size_t(pass.ColStep), pw, outBits);
      if (mask) {
        uint8_t* mrow = mask->ScanLine(y);
        for (size_t i = 0; i < pw; ++i)
          if (dec.Transparent(row, i))
            SetMaskBit(mrow, size_t(pass.ColStart) + i * size_t(pass.ColStep));
      }
    });
  }
}

}   // namespace

void TPNGImage::DecodeImage(const TChunkIDAT& idat)
{
  const TChunkIHDR& ihdr = CheckedHeader(*FChunks);
  const int type = ihdr.ColorType();
  const int depth = ihdr.BitDepth();
  const int32_t width = int32_t(ihdr.Width()), height = int32_t(ihdr.Height());
  const int outBits = DecodedBits(type, depth, DirectColor);
  const TPixelFormat format = outBits == 24  ? TPixelFormat::pf24bit
                              : outBits == 1 ? TPixelFormat::pf1bit
                              : outBits == 4 ? TPixelFormat::pf4bit
                                             : TPixelFormat::pf8bit;
  if (int64_t(BytesPerScanline(width, outBits)) * height > int64_t(TBitmap::MaxBytes))
    Fail(EPNGInvalidSizeText);

  const TChunkGAMA* gama = ImageGamma(*FChunks);
  TRowDecoder dec;
  dec.ColorType = type;
  dec.Depth = depth;
  dec.Channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
  // Only 8-bit colour samples go through the table; 16-bit ones keep their high bytes.
  dec.Gamma = gama && depth == 8 ? gama->GammaTable.data() : nullptr;
  std::array<uint32_t, 256> colours{};
  const TPalette palette = DecodePalette(*FChunks, type, depth, outBits, gama, dec, colours);

  // Transparency chunk.
  auto* trns = FChunks->FindChunk<TChunkTRNS>();
  TColor trnsColor = clNone;
  if (trns && type == 3) {
    size_t n = std::min<size_t>(trns->Data.size(), 256);
    for (size_t i = 0; i < n; ++i)
      if (trns->Data[i] < 128) {
        dec.IndexTransparent[i] = true;
        dec.MaskWanted = true;
      }
  } else if (trns && type == 2 && trns->Data.size() >= 6) {
    const uint8_t* d = trns->Data.data();
    dec.TrnsR = uint16_t(d[0] << 8 | d[1]);
    dec.TrnsG = uint16_t(d[2] << 8 | d[3]);
    dec.TrnsB = uint16_t(d[4] << 8 | d[5]);
    dec.MaskWanted = true;
    trnsColor = GetTRNSColor();
    if (dec.Gamma)
      trnsColor = RGBColor(gama->GammaTable[GetRValue(trnsColor)], gama->GammaTable[GetGValue(trnsColor)],
                           gama->GammaTable[GetBValue(trnsColor)]);
  }

  static_cast<TBitmap&>(*this) = TBitmap(width, height, format);
  if (outBits <= 8)
    SetPalette(palette);
  std::unique_ptr<TBitmap> mask;
  if (dec.MaskWanted) {
    mask = std::make_unique<TBitmap>(width, height, TPixelFormat::pf1bit);
    TPalette mono;
    mono.Entries = {TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}};
    mask->SetPalette(mono);
  }
  Interlaced = ihdr.InterlaceMethod() == 1;
  DecodeRows(idat.Data, dec, Interlaced, outBits, *this, mask.get());
  Changed();
  FTransparencyMask = std::move(mask);
  if (type == 2 && trnsColor != clNone) {
    SetTransparentColor(trnsColor);
    SetTransparent(true);
  }
}

// Encoding

namespace {

// Bytes from the fifth on that equal all four bytes before them: long runs compress well.
size_t RunScore(const uint8_t* p, size_t n)
{
  size_t score = 0;
  for (size_t i = 4; i < n; ++i)
    if (p[i] == p[i - 1] && p[i] == p[i - 2] && p[i] == p[i - 3] && p[i] == p[i - 4])
      ++score;
  return score;
}

void ApplyFilter(int filter, const uint8_t* row, const uint8_t* prev, uint8_t* out, size_t n, size_t bpp)
{
  for (size_t i = 0; i < n; ++i) {
    uint8_t a = i >= bpp ? row[i - bpp] : 0;
    uint8_t b = prev[i];
    uint8_t c = i >= bpp ? prev[i - bpp] : 0;
    uint8_t pred = 0;
    switch (filter) {
    case 1: pred = a; break;
    case 2: pred = b; break;
    case 3: pred = uint8_t((unsigned(a) + b) >> 1); break;
    case 4: pred = Paeth(a, b, c); break;
    default: break;
    }
    out[i] = uint8_t(row[i] - pred);
  }
}

}   // namespace

void TPNGImage::EncodeImage(TStream& dest)
{
  const bool indexed = IsIndexedFormat(*this);
  TBitmap rgb;
  const TBitmap* src = this;
  if (!indexed && PixelFormat() != TPixelFormat::pf24bit) {
    rgb = *this;
    rgb.SetPixelFormat(TPixelFormat::pf24bit);
    src = &rgb;
  }
  const int32_t width = src->Width(), height = src->Height();
  const size_t bits = indexed ? size_t(src->BitsPerPixel()) : 24;
  const size_t rowBytes = (size_t(width) * bits + 7) / 8;
  const size_t bpp = std::max<size_t>(1, bits / 8);
  const TChunkGAMA* gama = FSaveGamma;
  TZCompressionStream z(dest, TZCompressionLevel::zcDefault);
  std::vector<uint8_t> row(rowBytes), prev(rowBytes, 0), best(rowBytes + 1), trial(rowBytes);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* line = src->ScanLine(y);
    if (indexed) {
      std::memcpy(row.data(), line, rowBytes);
    } else {
      for (int32_t x = 0; x < width; ++x) {
        uint8_t r = line[3 * x + 2], g = line[3 * x + 1], b = line[3 * x];
        if (gama) {
          r = gama->InverseTable[r];
          g = gama->InverseTable[g];
          b = gama->InverseTable[b];
        }
        row[3 * size_t(x)] = r;
        row[3 * size_t(x) + 1] = g;
        row[3 * size_t(x) + 2] = b;
      }
    }
    int chosen = 0;
    if ((Filters & ~FILTERNONE) == 0 || rowBytes == 0) {
      std::memcpy(best.data() + 1, row.data(), rowBytes);
    } else {
      size_t bestScore = 0;
      std::memcpy(best.data() + 1, row.data(), rowBytes);
      bestScore = RunScore(best.data() + 1, rowBytes);
      for (int f = 1; f <= 4; ++f) {
        if (!(Filters & (1 << f)))
          continue;
        ApplyFilter(f, row.data(), prev.data(), trial.data(), rowBytes, bpp);
        size_t score = RunScore(trial.data(), rowBytes);
        if (score > bestScore) {
          bestScore = score;
          chosen = f;
          std::memcpy(best.data() + 1, trial.data(), rowBytes);
        }
      }
    }
    best[0] = uint8_t(chosen);
    z.WriteBuffer(best.data(), rowBytes + 1);
    std::swap(row, prev);
  }
  z.Finish();
}

namespace {

bool IsType(const TChunk& c, const char (&type)[5]) { return c.ChunkType == ChunkTypeOf(type); }

bool TypeIn(const TChunk& c, std::initializer_list<uint32_t> types)
{
  return std::find(types.begin(), types.end(), c.ChunkType) != types.end();
}

// Where a chunk may stand in a file: the header first, the colour-space chunks before the
// palette, the palette, the chunks that must precede the image data, the image data, the
// other chunks on the side of the image data where they stood, the end last. Readers ignore
// a gAMA after PLTE, and some refuse a tRNS before it; a chunk copied as it is may move
// anywhere but across the image data.
int SaveRank(const TChunk& c, bool afterImage)
{
  if (IsType(c, "IHDR"))
    return 0;
  if (TypeIn(c,
             {ChunkTypeOf("gAMA"), ChunkTypeOf("cHRM"), ChunkTypeOf("sRGB"), ChunkTypeOf("iCCP"), ChunkTypeOf("sBIT")}))
    return 1;
  if (IsType(c, "PLTE"))
    return 2;
  if (IsType(c, "IDAT"))
    return 4;
  if (IsType(c, "IEND"))
    return 6;
  if (TypeIn(c,
             {ChunkTypeOf("tRNS"), ChunkTypeOf("bKGD"), ChunkTypeOf("hIST"), ChunkTypeOf("pHYs"), ChunkTypeOf("sPLT")}))
    return 3;
  return afterImage ? 5 : 3;
}

// A stable sort by rank, through the list's own moves (few chunks).
void OrderChunksForSaving(TChunkList& chunks)
{
  std::vector<int> rank;
  bool afterImage = false;
  for (int i = 0; i < chunks.Count(); ++i) {
    const TChunk& c = *chunks.Item(i);
    rank.push_back(SaveRank(c, afterImage));
    afterImage = afterImage || IsType(c, "IDAT");
  }
  for (int i = 1; i < chunks.Count(); ++i) {
    const int r = rank[size_t(i)];
    int to = i;
    while (to > 0 && rank[size_t(to) - 1] > r)
      --to;
    if (to != i) {
      chunks.Move(i, to);
      rank.erase(rank.begin() + i);
      rank.insert(rank.begin() + to, r);
    }
  }
}

// The safe-to-copy bit: bit 5 of the type's fourth byte (a lower-case fourth letter).
bool SafeToCopy(uint32_t type) { return ((type >> 24) & 0x20) != 0; }

// The writer makes the header, the palette and the image data anew from the bitmap, which
// may have been drawn on since it was read: to the chunks that came with the file the image
// data have changed. As the PNG standard has an editor do then, a chunk this codec does not
// know is kept only when it is safe to copy (a text, the pixel size); one that is not (a
// background colour, a histogram, significant bits, a time stamp: they speak of the old
// pixels) is dropped. Of the known ones, a palette picture's alpha table is kept for a
// palette picture only, cut to the palette's entries; tRNS of a direct-colour picture, PLTE
// and gAMA are looked after by the writer itself.
void DropChunksTheImageNoLongerMatches(TChunkList& chunks, uint8_t oldColorType, const TBitmap& image)
{
  for (int i = chunks.Count() - 1; i >= 0; --i) {
    TChunk* c = chunks.Item(i);
    const TChunk& chunk = *c;
    if (typeid(chunk) == typeid(TChunk) && !SafeToCopy(c->ChunkType)) {
      chunks.Remove(c);
    } else if (IsType(chunk, "tRNS") && IsIndexedFormat(image)) {
      if (oldColorType != 3)
        chunks.Remove(c);
      else if (c->Data.size() > (size_t(1) << image.BitsPerPixel()))
        c->Data.resize(size_t(1) << image.BitsPerPixel());
    }
  }
}

}   // namespace

void TPNGImage::SaveToStream(TStream& stream)
{
  stream.WriteBuffer(PngSignature, 8);
  if (FChunks->Count() == 0)
    ResetChunks();
  int ihdr = FChunks->IndexOfClass<TChunkIHDR>();
  // The colour type the other chunks were made for, before the header is written anew.
  const uint8_t oldColorType =
      ihdr >= 0 && FChunks->Item(ihdr)->Data.size() == 13 ? FChunks->Item(ihdr)->Data[9] : uint8_t(3);
  if (ihdr < 0)
    FChunks->Insert(0, std::make_unique<TChunkIHDR>(FChunks.get()));
  else if (ihdr > 0)
    FChunks->Move(ihdr, 0);
  DropChunksTheImageNoLongerMatches(*FChunks, oldColorType, *this);
  const bool indexed = IsIndexedFormat(*this);
  if (indexed && FChunks->IndexOfClass<TChunkPLTE>() < 0)
    FChunks->Insert(1, std::make_unique<TChunkPLTE>(FChunks.get()));
  if (!indexed)   // a palette from an earlier picture no longer applies
    while (TChunkPLTE* p = FChunks->FindChunk<TChunkPLTE>())
      FChunks->Remove(p);
  if (Transparent() && !indexed) {
    if (FChunks->IndexOfClass<TChunkTRNS>() < 0) {
      // After the palette when there is one: the standard wants tRNS behind PLTE.
      int plte = FChunks->IndexOfClass<TChunkPLTE>();
      FChunks->Insert(plte >= 0 ? plte + 1 : 1, std::make_unique<TChunkTRNS>(FChunks.get()));
    }
  } else if (!Transparent() && !indexed) {
    // A palette image keeps its alpha table: its transparency lives there, not in the flag.
    while (TChunkTRNS* t = FChunks->FindChunk<TChunkTRNS>())
      FChunks->Remove(t);
  }
  if (FChunks->IndexOfClass<TChunkIEND>() < 0)
    FChunks->AddClass<TChunkIEND>();
  if (FChunks->IndexOfClass<TChunkIDAT>() < 0) {
    int plte = FChunks->IndexOfClass<TChunkPLTE>();
    int trns = FChunks->IndexOfClass<TChunkTRNS>();
    FChunks->Insert(std::max({1, plte + 1, trns + 1}), std::make_unique<TChunkIDAT>(FChunks.get()));
  }
  OrderChunksForSaving(*FChunks);
  Interlaced = false;
  ChooseSaveGamma();
  // Only the gAMA the samples are written for goes out: a reader that takes the first one,
  // or stops at a repeated one, then sees the same picture as ours.
  for (int i = FChunks->Count() - 1; i >= 0; --i)
    if (auto* g = dynamic_cast<TChunkGAMA*>(FChunks->Item(i)); g && g != FSaveGamma)
      FChunks->Remove(g);
  struct TReset {
    const TChunkGAMA*& G;
    ~TReset() { G = nullptr; }
  } reset{FSaveGamma};
  for (int i = 0; i < FChunks->Count(); ++i)
    FChunks->Item(i)->SaveToStream(stream);
}

void TPNGImage::ChooseSaveGamma()
{
  FSaveGamma = nullptr;
  // The reader applies the first valid gAMA before the image data, so that is the one the
  // samples must be written for.
  const int idat = FChunks->IndexOfClass<TChunkIDAT>();
  TChunkGAMA* gama = nullptr;
  for (int i = 0; i < idat; ++i)
    if (auto* g = dynamic_cast<TChunkGAMA*>(FChunks->Item(i))) {
      g->DoAction();
      if (g->Valid()) {
        gama = g;
        break;
      }
    }
  if (!gama)
    return;
  // A sample the table never produces (a 16-bit picture kept its high bytes, or pixels were
  // drawn since) has no exact inverse: then the file gets the samples as they stand and no
  // gamma, rather than a gamma that would change them on every reload.
  std::array<bool, 256> produced{};
  for (uint8_t v : gama->GammaTable)
    produced[v] = true;
  bool exact = true;
  auto check = [&](int V) { exact = exact && produced[size_t(V & 255)]; };
  if (IsIndexedFormat(*this)) {
    for (const TRGBQuad& e : FullPalette(*this).Entries) {
      check(e.rgbRed);
      check(e.rgbGreen);
      check(e.rgbBlue);
    }
  } else {
    TBitmap rgb;
    const TBitmap* src = this;
    if (PixelFormat() != TPixelFormat::pf24bit) {
      rgb = *this;
      rgb.SetPixelFormat(TPixelFormat::pf24bit);
      src = &rgb;
    }
    for (int32_t y = 0; y < src->Height() && exact; ++y) {
      const uint8_t* line = src->ScanLine(y);
      for (size_t x = 0; x < size_t(src->Width()) * 3; ++x)
        check(line[x]);
    }
    if (Transparent()) {
      const TColor c = TransparentColor();
      check(GetRValue(c));
      check(GetGValue(c));
      check(GetBValue(c));
    }
  }
  if (exact) {
    FSaveGamma = gama;
    return;
  }
  while (TChunkGAMA* g = FChunks->FindChunk<TChunkGAMA>())
    FChunks->Remove(g);
}
