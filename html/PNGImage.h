// PNG reading and writing. A TPNGImage is a bitmap that keeps the file as a list of chunks;
// reading turns the chunks into a 1-, 4-, 8- or 24-bit bitmap, writing does the reverse.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/HTMLStreams.h"
#include "platform/Bitmap.h"

class EPNGImageException : public EInvalidGraphic {
public:
  // Prefixes the codec's heading to the message.
  explicit EPNGImageException(const std::string& message);
};

// Message texts.
extern const char* const EPNGInvalidFileHeaderText;
extern const char* const EPNGOutOfRangeText;
extern const char* const EPNGInvalidClassText;
extern const char* const EPNGInvalidCRCText;
extern const char* const EPNGIHDRNotFirstText;
extern const char* const EPNGMissingMultipleIDATText;
extern const char* const EPNGInvalidPaletteText;
extern const char* const EPNGUnknownColorTypeText;
extern const char* const EPNGUnknownFilterTypeText;
extern const char* const EPNGUnknownInterlaceText;
extern const char* const EPNGUnknownCriticalChunkText;
extern const char* const EPNGMissingPaletteText;
extern const char* const EPNGCannotGetTransparentText;
extern const char* const EPNGCannotRemoveText;
extern const char* const EPNGInvalidBitDepthText;
extern const char* const EPNGInvalidSizeText;
extern const char* const EPNGTruncatedText;

class TChunkList;
class TPNGImage;

// Chunk type as the four type bytes read in file order into one value (first byte lowest).
constexpr uint32_t ChunkTypeOf(const char (&s)[5])
{
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16
         | uint32_t(uint8_t(s[3])) << 24;
}
std::string ChunkTypeName(uint32_t type);

class TChunk {
public:
  explicit TChunk(TChunkList* owner);
  virtual ~TChunk();
  TChunk(const TChunk&) = delete;
  TChunk& operator=(const TChunk&) = delete;

  // What the chunk does once the whole file is read (empty for most).
  virtual void DoAction() {}
  virtual void Assign(const TChunk& source);
  // Length, type, data and CRC.
  virtual void SaveToStream(TStream& stream);

  TChunkList* Owner() const { return FOwner; }
  TPNGImage* Image() const;
  std::vector<uint8_t> Data;
  uint32_t ChunkType = 0;

private:
  friend class TChunkList;
  TChunkList* FOwner;
};

class TChunkIEND : public TChunk {
public:
  explicit TChunkIEND(TChunkList* owner);
};

class TChunkIHDR : public TChunk {
public:
  explicit TChunkIHDR(TChunkList* owner);
  void SaveToStream(TStream& stream) override;
  uint32_t Width() const { return Get32(0); }
  uint32_t Height() const { return Get32(4); }
  uint8_t BitDepth() const { return Data[8]; }
  uint8_t ColorType() const { return Data[9]; }
  uint8_t CompressionMethod() const { return Data[10]; }
  uint8_t FilterMethod() const { return Data[11]; }
  uint8_t InterlaceMethod() const { return Data[12]; }
  void Set(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType);

private:
  uint32_t Get32(size_t at) const;
};

class TChunkPLTE : public TChunk {
public:
  explicit TChunkPLTE(TChunkList* owner);
  void SaveToStream(TStream& stream) override;
  // The entries, checked: raises the invalid-palette message for a length that is not a
  // multiple of three, is zero or holds more than 256 entries.
  TPalette Palette() const;
};

class TChunkGAMA : public TChunk {
public:
  explicit TChunkGAMA(TChunkList* owner);
  void DoAction() override;
  // The gamma times 100000 (0 when the data are short).
  uint32_t Value() const;
  // False for a zero or missing value: no correction is applied then.
  bool Valid() const { return FValid; }
  std::array<uint8_t, 256> GammaTable{};
  std::array<uint8_t, 256> InverseTable{};

private:
  bool FValid = false;
};

class TChunkTRNS : public TChunk {
public:
  explicit TChunkTRNS(TChunkList* owner);
  void SaveToStream(TStream& stream) override;
};

class TChunkTEXT : public TChunk {
public:
  explicit TChunkTEXT(TChunkList* owner);
};

class TChunkIDAT : public TChunk {
public:
  explicit TChunkIDAT(TChunkList* owner);
  void DoAction() override;
  void SaveToStream(TStream& stream) override;
};

class TChunkList {
public:
  explicit TChunkList(TPNGImage* image) : FImage(image) {}
  TPNGImage* Image() const { return FImage; }

  int Count() const { return static_cast<int>(FItems.size()); }
  // Raises the chunk-index message when out of range.
  TChunk* Item(int index) const;
  template <class T>
  int IndexOfClass() const
  {
    for (size_t i = 0; i < FItems.size(); ++i)
      if (dynamic_cast<T*>(FItems[i].get()))
        return static_cast<int>(i);
    return -1;
  }
  template <class T>
  T* FindChunk() const
  {
    int i = IndexOfClass<T>();
    return i < 0 ? nullptr : static_cast<T*>(FItems[i].get());
  }
  TChunk* Add(std::unique_ptr<TChunk> chunk);
  template <class T>
  T* AddClass()
  {
    auto c = std::make_unique<T>(this);
    T* raw = c.get();
    Add(std::move(c));
    return raw;
  }
  // Makes a new chunk of the class registered for the type (a plain chunk when none).
  std::unique_ptr<TChunk> CreateChunk(uint32_t type);
  void Insert(int index, std::unique_ptr<TChunk> chunk);
  void Move(int from, int to);
  // Raises when the chunk is not in this list.
  void Remove(TChunk* chunk);
  void Clear() { FItems.clear(); }
  // Reads one chunk; gives nullptr at the end of the stream, and for a chunk cut off by the
  // end of the stream once image data have been read. IDATs after the first are joined into
  // it. Raises on a bad CRC, an unknown critical chunk or a length beyond the bytes left.
  TChunk* ReadChunk(TStream& stream);

private:
  TPNGImage* FImage;
  std::vector<std::unique_ptr<TChunk>> FItems;
};

// The registered chunk types in their order; an index outside raises the class-index message.
int ChunkClassCount();
uint32_t ChunkClassType(int index);

enum : uint8_t { FILTERNONE = 1, FILTERSUB = 2, FILTERUP = 4, FILTERAVERAGE = 8, FILTERPAETH = 16 };

class TPNGImage : public TBitmap {
public:
  // Decoded pictures are capped at this many pixels.
  static constexpr int64_t MaxPixels = 100000000;

  TPNGImage();
  ~TPNGImage() override;
  TPNGImage(const TPNGImage&) = delete;
  TPNGImage& operator=(const TPNGImage&) = delete;

  void Assign(const TPNGImage& source);
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream);
  void LoadFromFile(const std::string& fileName);

  TChunkList& Chunks() { return *FChunks; }
  const TChunkList& Chunks() const { return *FChunks; }
  uint8_t Filters = FILTERNONE | FILTERSUB | FILTERAVERAGE | FILTERPAETH;
  bool Interlaced = false;
  // Set before loading: palette and grey pictures are read straight into 24-bit pixels (the
  // colours their palette gives them) rather than an indexed bitmap, as a screen wants them.
  bool DirectColor = false;

  // The RGB value of the tRNS chunk of a colour-type-2 image; raises for other colour types.
  TColor GetTRNSColor() const;
  // For palette and RGB images with a transparency chunk: the mask of the pixels that chunk
  // makes transparent (palette entries with alpha below 128, or the exact RGB samples), white
  // where transparent. Null otherwise.
  const TBitmap* TransparencyMask() const { return FTransparencyMask.get(); }

  // Used by the IDAT chunk.
  void DecodeImage(const TChunkIDAT& idat);
  void EncodeImage(TStream& dest);
  // While saving: the gAMA chunk whose inverse the written samples go through (the reader
  // applies it again), or null when the samples are written as they stand.
  const TChunkGAMA* SaveGamma() const { return FSaveGamma; }

private:
  // Decides SaveGamma for the chunk list as it will be written; drops a gAMA chunk that
  // some sample of the picture has no exact inverse for, so a reload gives the same pixels.
  void ChooseSaveGamma();
  const TChunkGAMA* FSaveGamma = nullptr;
  void ResetChunks();
  std::unique_ptr<TChunkList> FChunks;
  std::unique_ptr<TBitmap> FTransparencyMask;
};
