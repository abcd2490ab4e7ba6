// TJPEGImage: JPEG pictures through libjpeg. A loaded picture keeps its compressed bytes and
// reads only the header at once; Bitmap() decodes it in the requested pixel format. A
// picture assigned from a bitmap is compressed when it is saved. Every libjpeg failure
// becomes an EInvalidGraphic with the library's message ("JPEG error #N: ...").
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/SysUtils.h"

enum class TJPEGPixelFormat : uint8_t { jf24Bit, jf8Bit };

class TJPEGImage : public TObject {
public:
  // Largest picture we agree to decode: the bitmap's caps, checked on the header before
  // anything is allocated, and a bound on the decoder's own working memory.
  static constexpr int32_t MaxSide = TBitmap::MaxSide;
  static constexpr size_t MaxDecoderMemory = size_t(512) << 20;
  static constexpr int32_t DefaultQuality = 90;

  TJPEGImage();
  ~TJPEGImage() override;
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;

  // Takes the compressed bytes and reads the header; a bad header raises EInvalidGraphic
  // and leaves the image empty.
  void LoadFromBytes(const uint8_t* data, size_t size);
  void LoadFromBytes(const std::vector<uint8_t>& data) { LoadFromBytes(data.data(), data.size()); }
  // Reads the whole file (EFOpenError when it cannot be read) and loads it.
  void LoadFromFile(const std::string& fileName);
  // The picture becomes a copy of the bitmap, to be compressed when saved.
  void Assign(const TBitmap& source);

  // The compressed bytes: those loaded, or the assigned bitmap compressed at
  // CompressionQuality. EInvalidGraphic when the image is empty.
  std::vector<uint8_t> SaveToBytes();
  // Writes SaveToBytes to the file (WriteFileBytes); EFCreateError when it cannot be written.
  void SaveToFile(const std::string& fileName);

  bool Empty() const { return FWidth == 0; }
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // The loaded picture has a single (grey) component.
  bool Grayscale() const { return FGrayscale; }

  // Output of the decoder: 24 bits, or 8 bits with a palette (a grey ramp for grey
  // pictures; for colour pictures QuantizePalette, or 256 colours libjpeg chooses).
  TJPEGPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat format);
  const TPalette& QuantizePalette() const { return FQuantizePalette; }
  void SetQuantizePalette(const TPalette& palette);

  // 1 to 100; values outside are clamped.
  int32_t CompressionQuality() const { return FQuality; }
  void SetCompressionQuality(int32_t quality);

  // The picture as a bitmap, decoded on first use after loading or a format change.
  const TBitmap& Bitmap();

private:
  void Decode();
  void Compress();

  std::vector<uint8_t> FData;
  std::unique_ptr<TBitmap> FBitmap;
  bool FFromBitmap = false;   // FBitmap is the source; FData is made from it when saved
  int32_t FWidth = 0;
  int32_t FHeight = 0;
  bool FGrayscale = false;
  TJPEGPixelFormat FPixelFormat = TJPEGPixelFormat::jf24Bit;
  TPalette FQuantizePalette;
  int32_t FQuality = DefaultQuality;
};
