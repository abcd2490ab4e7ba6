#include "platform/JpegImage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/Files.h"

// libjpeg reports fatal errors by calling error_exit, which must not return. Ours jumps back
// to the setjmp of the C-style function that called the library; that function then returns
// a failure and its C++ caller throws. Nothing with a destructor lives in those functions,
// and no exception ever passes through libjpeg's frames.

namespace {

struct TJpegError {
  jpeg_error_mgr Manager;   // first member: libjpeg hands us this pointer
  jmp_buf Jump;
  int Code;
  char Text[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo)
{
  auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
  err->Code = err->Manager.msg_code;
  (*err->Manager.format_message)(cinfo, err->Text);
  longjmp(err->Jump, 1);
}

// Warnings (corrupt or missing data) are not fatal: the decoder fills in and goes on, so a
// truncated picture still shows what it has.
extern "C" void JpegEmitMessage(j_common_ptr, int) {}

void InitError(TJpegError& err)
{
  std::memset(&err, 0, sizeof(err));
  jpeg_std_error(&err.Manager);
  err.Manager.error_exit = JpegErrorExit;
  err.Manager.emit_message = JpegEmitMessage;
}

[[noreturn]] void Raise(const TJpegError& err)
{
  throw EInvalidGraphic("JPEG error #" + std::to_string(err.Code) + ": " + err.Text);
}

[[noreturn]] void RaiseOwn(const char* text) { throw EInvalidGraphic(std::string("JPEG error: ") + text); }

// ---- decoding ----

struct TDecodeJob {
  const uint8_t* Data;
  size_t Size;
  // Only read the header: fills in Width, Height and Gray, and stops.
  bool HeaderOnly;
  bool Gray;
  // Output: Rows top-down, Stride apart, already allocated for Width x Height.
  uint8_t* Pixels;
  size_t Stride;
  uint32_t Width;
  uint32_t Height;
  enum { Bgr24, Gray8, Quantised8 } Mode;
  // Palette to map colour pictures to in Quantised8 mode (Count 0: libjpeg chooses).
  int PaletteCount;
  uint8_t PaletteRgb[256][3];
  // Out: the palette libjpeg used for Quantised8.
  int UsedCount;
  uint8_t UsedRgb[256][3];
};

bool DecodeRaw(TDecodeJob* job, TJpegError* err)
{
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof(cinfo));
  cinfo.err = &err->Manager;
  if (setjmp(err->Jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = static_cast<long>(TJPEGImage::MaxDecoderMemory);
  jpeg_mem_src(&cinfo, job->Data, static_cast<unsigned long>(job->Size));
  jpeg_read_header(&cinfo, TRUE);
  if (job->HeaderOnly) {
    job->Width = cinfo.image_width;
    job->Height = cinfo.image_height;
    job->Gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    jpeg_destroy_decompress(&cinfo);
    return true;
  }
  // The caller sized the output from an earlier look at this same header.
  if (cinfo.image_width != job->Width || cinfo.image_height != job->Height)
    ERREXIT(&cinfo, JERR_IMAGE_TOO_BIG);
  switch (job->Mode) {
  case TDecodeJob::Bgr24: cinfo.out_color_space = JCS_EXT_BGR; break;
  case TDecodeJob::Gray8: cinfo.out_color_space = JCS_GRAYSCALE; break;
  case TDecodeJob::Quantised8:
    cinfo.out_color_space = JCS_RGB;
    cinfo.quantize_colors = TRUE;
    cinfo.dither_mode = JDITHER_FS;
    cinfo.desired_number_of_colors = 256;
    cinfo.two_pass_quantize = TRUE;
    if (job->PaletteCount > 0) {
      JSAMPARRAY map = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                  static_cast<JDIMENSION>(job->PaletteCount), 3);
      for (int i = 0; i < job->PaletteCount; ++i)
        for (int c = 0; c < 3; ++c)
          map[c][i] = job->PaletteRgb[i][c];
      cinfo.colormap = map;
      cinfo.actual_number_of_colors = job->PaletteCount;
    }
    break;
  }
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != job->Width || cinfo.output_height != job->Height)
    ERREXIT(&cinfo, JERR_IMAGE_TOO_BIG);
  if (job->Mode == TDecodeJob::Quantised8) {
    job->UsedCount = std::min(cinfo.actual_number_of_colors, 256);
    for (int i = 0; i < job->UsedCount; ++i)
      for (int c = 0; c < 3; ++c)
        job->UsedRgb[i][c] = cinfo.colormap[c][i];
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = job->Pixels + job->Stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

// ---- encoding ----

struct TEncodeJob {
  const uint8_t* Pixels;   // top-down rows, Stride apart
  size_t Stride;
  uint32_t Width;
  uint32_t Height;
  bool FourBytes;   // B, G, R, X rather than B, G, R
  int Quality;
  unsigned char* Out;   // malloc'ed by libjpeg; the caller frees it
  unsigned long OutSize;
};

bool EncodeRaw(TEncodeJob* job, TJpegError* err)
{
  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof(cinfo));
  cinfo.err = &err->Manager;
  if (setjmp(err->Jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &job->Out, &job->OutSize);
  cinfo.image_width = job->Width;
  cinfo.image_height = job->Height;
  cinfo.input_components = job->FourBytes ? 4 : 3;
  cinfo.in_color_space = job->FourBytes ? JCS_EXT_BGRX : JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, job->Quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(job->Pixels + job->Stride * cinfo.next_scanline);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

// Files of compressed pictures beyond this are refused before they are read.
constexpr size_t MaxFileSize = size_t(256) << 20;

}   // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::LoadFromBytes(const uint8_t* data, size_t size)
{
  FData.clear();
  FBitmap.reset();
  FFromBitmap = false;
  FWidth = FHeight = 0;
  FGrayscale = false;
  if (!data || size == 0)
    RaiseOwn("the picture is empty");
  if (size > MaxFileSize)
    RaiseOwn("the picture is too large");
  std::vector<uint8_t> bytes(data, data + size);
  auto header = std::make_unique<TDecodeJob>();
  header->Data = bytes.data();
  header->Size = bytes.size();
  header->HeaderOnly = true;
  auto err = std::make_unique<TJpegError>();
  InitError(*err);
  if (!DecodeRaw(header.get(), err.get()))
    Raise(*err);
  if (header->Width == 0 || header->Height == 0 || header->Width > static_cast<uint32_t>(MaxSide)
      || header->Height > static_cast<uint32_t>(MaxSide))
    RaiseOwn("the picture's size is out of range");
  // The 24-bit output must fit the bitmap's byte cap.
  size_t stride = BytesPerScanline(static_cast<int32_t>(header->Width), 24);
  if (stride == 0 || stride > TBitmap::MaxBytes / header->Height)
    RaiseOwn("the picture's size is out of range");
  FData = std::move(bytes);
  FWidth = static_cast<int32_t>(header->Width);
  FHeight = static_cast<int32_t>(header->Height);
  FGrayscale = header->Gray;
}

void TJPEGImage::LoadFromFile(const std::string& fileName)
{
  std::vector<uint8_t> bytes = ReadFileBytes(fileName, MaxFileSize);
  LoadFromBytes(bytes);
}

void TJPEGImage::Assign(const TBitmap& source)
{
  if (source.Empty())
    RaiseOwn("the picture is empty");
  auto copy = std::make_unique<TBitmap>(source);
  FData.clear();
  FBitmap = std::move(copy);
  FFromBitmap = true;
  FWidth = FBitmap->Width();
  FHeight = FBitmap->Height();
  FGrayscale = false;
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat format)
{
  if (format == FPixelFormat)
    return;
  FPixelFormat = format;
  if (!FFromBitmap)
    FBitmap.reset();
}

void TJPEGImage::SetQuantizePalette(const TPalette& palette)
{
  FQuantizePalette = palette;
  if (FQuantizePalette.Entries.size() > 256)
    FQuantizePalette.Entries.resize(256);
  if (!FFromBitmap && FPixelFormat == TJPEGPixelFormat::jf8Bit)
    FBitmap.reset();
}

void TJPEGImage::SetCompressionQuality(int32_t quality)
{
  quality = std::clamp(quality, 1, 100);
  if (quality == FQuality)
    return;
  FQuality = quality;
  if (FFromBitmap)
    FData.clear();
}

const TBitmap& TJPEGImage::Bitmap()
{
  if (!FBitmap) {
    if (Empty())
      FBitmap = std::make_unique<TBitmap>();
    else
      Decode();
  }
  return *FBitmap;
}

void TJPEGImage::Decode()
{
  auto job = std::make_unique<TDecodeJob>();
  job->Data = FData.data();
  job->Size = FData.size();
  job->Width = static_cast<uint32_t>(FWidth);
  job->Height = static_cast<uint32_t>(FHeight);
  TPixelFormat format = TPixelFormat::pf24bit;
  job->Mode = TDecodeJob::Bgr24;
  if (FPixelFormat == TJPEGPixelFormat::jf8Bit) {
    format = TPixelFormat::pf8bit;
    job->Mode = FGrayscale ? TDecodeJob::Gray8 : TDecodeJob::Quantised8;
    job->PaletteCount = static_cast<int>(FQuantizePalette.Entries.size());
    for (int i = 0; i < job->PaletteCount; ++i) {
      const TRGBQuad& q = FQuantizePalette.Entries[i];
      job->PaletteRgb[i][0] = q.rgbRed;
      job->PaletteRgb[i][1] = q.rgbGreen;
      job->PaletteRgb[i][2] = q.rgbBlue;
    }
  }
  auto bitmap = std::make_unique<TBitmap>(FWidth, FHeight, format);
  job->Pixels = bitmap->Bits();
  job->Stride = bitmap->Stride();
  auto err = std::make_unique<TJpegError>();
  InitError(*err);
  if (!DecodeRaw(job.get(), err.get()))
    Raise(*err);
  if (job->Mode == TDecodeJob::Gray8) {
    TPalette grey;
    grey.Entries.resize(256);
    for (int i = 0; i < 256; ++i)
      grey.Entries[i] = {Byte(i), Byte(i), Byte(i), 0};
    bitmap->SetPalette(grey);
  } else if (job->Mode == TDecodeJob::Quantised8) {
    TPalette used;
    used.Entries.resize(static_cast<size_t>(job->UsedCount));
    for (int i = 0; i < job->UsedCount; ++i)
      used.Entries[i] = {job->UsedRgb[i][2], job->UsedRgb[i][1], job->UsedRgb[i][0], 0};
    bitmap->SetPalette(used);
  }
  bitmap->Changed();
  FBitmap = std::move(bitmap);
}

void TJPEGImage::Compress()
{
  // The encoder reads 24- or 32-bit rows directly; other formats go through a 24-bit copy.
  const TBitmap* source = FBitmap.get();
  std::unique_ptr<TBitmap> converted;
  if (source->PixelFormat() != TPixelFormat::pf24bit && source->PixelFormat() != TPixelFormat::pf32bit
      && source->PixelFormat() != TPixelFormat::pfDevice) {
    converted = std::make_unique<TBitmap>(*source);
    converted->SetPixelFormat(TPixelFormat::pf24bit);
    source = converted.get();
  }
  auto job = std::make_unique<TEncodeJob>();
  job->Pixels = source->Bits();
  job->Stride = source->Stride();
  job->Width = static_cast<uint32_t>(source->Width());
  job->Height = static_cast<uint32_t>(source->Height());
  job->FourBytes = source->BitsPerPixel() == 32;
  job->Quality = FQuality;
  auto err = std::make_unique<TJpegError>();
  InitError(*err);
  bool ok = EncodeRaw(job.get(), err.get());
  std::unique_ptr<unsigned char, decltype(&std::free)> out(job->Out, &std::free);
  if (!ok)
    Raise(*err);
  if (!out || job->OutSize == 0)
    RaiseOwn("the encoder wrote nothing");
  FData.assign(out.get(), out.get() + job->OutSize);
}

std::vector<uint8_t> TJPEGImage::SaveToBytes()
{
  if (Empty())
    RaiseOwn("the picture is empty");
  if (FData.empty())
    Compress();
  return FData;
}

void TJPEGImage::SaveToFile(const std::string& fileName) { WriteFileBytes(fileName, SaveToBytes()); }
