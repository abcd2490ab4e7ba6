// GIF 87a/89a reading: the parts of the file, LZW decoding of every image, and the
// composition of all frames side by side into one strip bitmap with a mask.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/HTMLStreams.h"
#include "platform/Bitmap.h"

struct TGifColorTable {
  int Count = 0;
  // Red in the low byte, green in the next, blue in the third.
  std::array<TColor, 256> Colors{};
};

struct TGifGraphicControl {
  int BlockSize = 0;
  int Disposal = 0;
  bool UserInput = false;
  bool TransparentFlag = false;
  int Delay = 0;   // hundredths of a second
  int TransparentIndex = 0;
};

struct TGifPlainText {
  int BlockSize = 0;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  int CellWidth = 0, CellHeight = 0, Foreground = 0, Background = 0;
  std::vector<std::vector<uint8_t>> Data;
};

struct TGifApplication {
  int BlockSize = 0;
  std::string Identifier;       // 8 bytes
  std::string Authentication;   // 3 bytes
  std::vector<std::vector<uint8_t>> Data;
};

enum class TGifExtensionKind : uint8_t { GraphicControl, Comment, PlainText, Application };

struct TGifExtension {
  TGifExtensionKind Kind = TGifExtensionKind::Comment;
  TGifGraphicControl Control;
  std::vector<std::vector<uint8_t>> Comment;
  TGifPlainText PlainText;
  TGifApplication Application;
};

struct TGifImageDescriptor {
  int Number = 0;
  std::vector<TGifExtension> Extensions;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool LocalTable = false;
  bool Interlaced = false;
  bool Sorted = false;
  int LocalTableSize = 0;
  int ColorTableIndex = -1;
  int LZWCodeSize = 0;
  std::vector<uint8_t> Pixels;   // Width x Height indices, row by row

  const TGifGraphicControl* GraphicControl() const;
};

class TGif {
public:
  // Decoded pictures are capped at this many pixels (every image, and the strip).
  static constexpr int64_t MaxPixels = 100000000;

  TGif();
  ~TGif();

  // Reads the whole stream from position 0; raises EInvalidGraphic("TGif: ...") on bad data.
  void LoadFromStream(TStream& stream);

  int ImageCount() const { return static_cast<int>(FImages.size()); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int LoopCount() const { return FLoopCount; }
  bool IsTransparent() const;

  // Per image, 0-based; a number outside the list raises "Value Out Of Range".
  int ImageLeft(int i) const { return Image(i).Left; }
  int ImageTop(int i) const { return Image(i).Top; }
  int ImageWidth(int i) const { return Image(i).Width; }
  int ImageHeight(int i) const { return Image(i).Height; }
  int ImageDelay(int i) const;
  int ImageDisposal(int i) const;
  int TransparentIndex(int i) const;
  const TGifImageDescriptor& Image(int i) const;
  const std::vector<TGifColorTable>& ColorTables() const { return FColorTables; }

  // Whether the first image fills the logical screen (else the rest of the screen is clear).
  bool FirstImageCoversScreen() const;
  // The frames side by side (24 bits) and, when any part of a frame is clear, their mask
  // (1 bit, white where transparent); the caller owns both. A part is clear where the image
  // has transparent pixels, where the first image does not reach, or where a frame restored
  // to the background (disposal 2) was; each frame starts from the one before, with the area
  // of an image restored to what was before it (disposal 3) put back as it was. Frames that would make the strip wider than a
  // bitmap go on in further rows of FramesPerRow() frames each.
  std::unique_ptr<TBitmap> GetStripBitmap(std::unique_ptr<TBitmap>& mask) const;
  // The same drawn into a bitmap of the caller's (resized to the strip), without a copy.
  void DrawStrip(TBitmap& into, std::unique_ptr<TBitmap>& mask) const;
  int FramesPerRow() const;
  // The top-left corner of frame i (0-based) in the strip.
  TPoint FramePlace(int i) const;

  // Frames that would make the strip (3 bytes a pixel of the screen, a frame each) larger
  // than this are read past and dropped; the first frame always stays.
  int64_t StripBudget = INT64_MAX;

  int ErrorCode = 0;
  std::string ErrorMessage;
  std::string Signature;
  bool GlobalTable = false;
  int ColorResolution = 0;
  bool Sorted = false;
  int GlobalTableSize = 0;
  int BackgroundIndex = 0;
  int AspectRatio = 0;
  int GlobalTableIndex = -1;

  struct TReader;   // cursor over the file's bytes

private:
  [[noreturn]] void Error(int code, const std::string& text = {});
  void ReadImage(TReader& r, std::vector<TGifExtension>& pending);
  void ReadExtension(TReader& r, std::vector<TGifExtension>& pending);
  void Decode(TGifImageDescriptor& image, const std::vector<uint8_t>& data);
  void Clear();

  int FWidth = 0;
  int FHeight = 0;
  int FLoopCount = -1;
  int64_t FPixelTotal = 0;
  std::vector<TGifColorTable> FColorTables;
  std::vector<TGifImageDescriptor> FImages;
};

// The messages of the error codes.
const char* GifErrorMessage(int code);
