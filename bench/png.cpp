// Our PNG decoder against libpng on the same in-memory files: pictures of every kind written
// by the test helpers, and RGB and RGBA pictures that libpng itself writes when the program
// starts. Before the benchmarks run, both decode every file once and the pixels are compared,
// and the time ratios are printed.
#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/DecoderTiming.h"
#include "html/HTMLStreams.h"
#include "html/Pictures.h"
#include "html/PNGImage.h"
#include "tests/html/PNGTestUtil.h"

namespace {

struct Sample {
  std::string Name;
  std::vector<uint8_t> File;
};

// A photo-like picture: smooth gradients with a little noise, so every filter gets used.
pngtest::RawImage Photo(uint32_t w, uint32_t h, int type, int depth)
{
  pngtest::RawImage img;
  img.Width = w;
  img.Height = h;
  img.Type = type;
  img.Depth = depth;
  img.Channels = pngtest::ChannelsOf(type);
  pngtest::Rng rng(7);
  const uint32_t max = (1u << depth) - 1;
  img.Samples.assign(h, std::vector<uint16_t>(size_t(w) * size_t(img.Channels)));
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int c = 0; c < img.Channels; ++c) {
        double v = (double(x) / w * (c + 1) + double(y) / h * (3 - c)) * 0.25 + (rng.Next() % 9) / 400.0;
        img.Samples[y][x * uint32_t(img.Channels) + uint32_t(c)] = uint16_t(std::min<double>(v, 1.0) * max);
      }
  return img;
}

// A picture with detail at every scale, as a photograph has: waves of several sizes in each
// channel and noise of a few levels, so that no filter wins everywhere and the compressed
// data is about as dense as a photograph's.
pngtest::RawImage Detailed(uint32_t w, uint32_t h, int type)
{
  pngtest::RawImage img;
  img.Width = w;
  img.Height = h;
  img.Type = type;
  img.Depth = 8;
  img.Channels = pngtest::ChannelsOf(type);
  pngtest::Rng rng(11);
  img.Samples.assign(h, std::vector<uint16_t>(size_t(w) * size_t(img.Channels)));
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int c = 0; c < img.Channels; ++c) {
        const double fx = double(x) * (c + 1), fy = double(y) * (4 - c);
        double v = 128 + 60 * std::sin(fx * 0.011 + fy * 0.007) + 30 * std::sin(fx * 0.063 - fy * 0.041)
                   + 15 * std::sin((fx + fy) * 0.21) + double(rng.Next() % 13) - 6;
        img.Samples[y][x * uint32_t(img.Channels) + uint32_t(c)] = uint16_t(std::clamp(v, 0.0, 255.0));
      }
  return img;
}

void WriteMem(png_structp png, png_bytep data, png_size_t n)
{
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

// The picture as libpng itself writes it, with its own filter choice and compression: what a
// file saved by most programs looks like. 8-bit RGB or RGBA.
std::vector<uint8_t> LibpngWritten(const pngtest::RawImage& img)
{
  std::vector<uint8_t> file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng could not write a sample");
  }
  png_set_write_fn(png, &file, WriteMem, nullptr);
  png_set_IHDR(png, info, img.Width, img.Height, 8, img.Type == 6 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(size_t(img.Width) * size_t(img.Channels));
  for (uint32_t y = 0; y < img.Height; ++y) {
    for (size_t i = 0; i < row.size(); ++i)
      row[i] = uint8_t(img.Samples[y][i]);
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file;
}

struct TSampleKind {
  const char* Name;
  std::vector<uint8_t> (*Make)();
};

std::vector<uint8_t> Palette()
{
  std::vector<uint8_t> plte;
  for (int k = 0; k < 256; ++k)
    plte.insert(plte.end(), {uint8_t(k), uint8_t(255 - k), uint8_t(k * 3)});
  return plte;
}

// Pictures of every kind the viewer meets, 2000x2000, written by the test helpers; then RGB
// and RGBA pictures written by libpng itself, from 300x200 up.
const TSampleKind SampleKinds[] = {
    {"rgb8_2000x2000", [] { return pngtest::MakePng(Photo(2000, 2000, 2, 8), false, -1); }},
    {"rgba8_2000x2000", [] { return pngtest::MakePng(Photo(2000, 2000, 6, 8), false, 4); }},
    {"pal8_2000x2000",
     [] {
       return pngtest::MakePng(Photo(2000, 2000, 3, 8), false, -1, {{"PLTE", Palette()}});
     }},
    {"rgb8_adam7_2000x2000", [] { return pngtest::MakePng(Photo(2000, 2000, 2, 8), true, -1); }},
    {"rgb16_2000x2000", [] { return pngtest::MakePng(Photo(2000, 2000, 2, 16), false, -1); }},
    {"grey16_2000x2000", [] { return pngtest::MakePng(Photo(2000, 2000, 0, 16), false, 2); }},
    {"libpng_rgb8_300x200", [] { return LibpngWritten(Photo(300, 200, 2, 8)); }},
    {"libpng_rgba8_300x200", [] { return LibpngWritten(Photo(300, 200, 6, 8)); }},
    {"libpng_rgb8_800x600", [] { return LibpngWritten(Photo(800, 600, 2, 8)); }},
    {"libpng_rgba8_800x600", [] { return LibpngWritten(Photo(800, 600, 6, 8)); }},
    {"libpng_rgb8_2000x2000", [] { return LibpngWritten(Photo(2000, 2000, 2, 8)); }},
    {"libpng_rgba8_2000x2000", [] { return LibpngWritten(Photo(2000, 2000, 6, 8)); }},
    {"libpng_detailed_rgb8_300x200", [] { return LibpngWritten(Detailed(300, 200, 2)); }},
    {"libpng_detailed_rgba8_300x200", [] { return LibpngWritten(Detailed(300, 200, 6)); }},
    {"libpng_detailed_rgb8_800x600", [] { return LibpngWritten(Detailed(800, 600, 2)); }},
    {"libpng_detailed_rgba8_800x600", [] { return LibpngWritten(Detailed(800, 600, 6)); }},
    {"libpng_detailed_rgb8_2000x2000", [] { return LibpngWritten(Detailed(2000, 2000, 2)); }},
    {"libpng_detailed_rgba8_2000x2000", [] { return LibpngWritten(Detailed(2000, 2000, 6)); }},
};
constexpr int SampleCount = int(std::size(SampleKinds));

// Each sample is made when first asked for.
const Sample& Samples(int i)
{
  static std::vector<std::unique_ptr<Sample>> made(SampleCount);
  if (!made[size_t(i)])
    made[size_t(i)] = std::make_unique<Sample>(Sample{SampleKinds[i].Name, SampleKinds[i].Make()});
  return *made[size_t(i)];
}

struct MemReader {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

void ReadMem(png_structp png, png_bytep out, png_size_t n)
{
  auto* r = static_cast<MemReader*>(png_get_io_ptr(png));
  if (r->Size - r->Pos < n)
    png_error(png, "read past end");
  std::memcpy(out, r->Data + r->Pos, n);
  r->Pos += n;
}

// What libpng is asked for: what our decoder gives (8-bit samples, no alpha, B-G-R order,
// indices and greys left as they are), or what the viewer's loading path gives (the same,
// with indices and greys expanded to B-G-R pixels).
enum class TOutput { Decoder, Screen };

void LibpngDecode(const std::vector<uint8_t>& file, TOutput output, std::vector<uint8_t>& pixels, size_t& stride,
                  uint32_t& height)
{
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw std::runtime_error("libpng failed");
  }
  MemReader r{file.data(), file.size(), 0};
  png_set_read_fn(png, &r, ReadMem);
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_strip_alpha(png);
  if (output == TOutput::Screen) {
    png_set_palette_to_rgb(png);
    png_set_gray_to_rgb(png);
  }
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  height = png_get_image_height(png, info);
  stride = png_get_rowbytes(png, info);
  pixels.resize(stride * height);
  std::vector<png_bytep> rows(height);
  for (uint32_t y = 0; y < height; ++y)
    rows[y] = pixels.data() + y * stride;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
}

void OurDecode(const std::vector<uint8_t>& file, TPNGImage& png)
{
  TByteStream s(file);
  png.LoadFromStream(s);
}

// The viewer's loading path: sniffing, decoding and the picture made ready for the screen.
std::unique_ptr<TBitmap> OurLoad(const std::vector<uint8_t>& file)
{
  TByteStream stream(file);
  TTransparency transparent = NotTransp;
  std::unique_ptr<TBitmap> mask;
  return LoadImageFromStream(&stream, transparent, mask);
}

bool SameRows(const TBitmap& b, const std::vector<uint8_t>& ref, size_t stride, uint32_t height)
{
  if (uint32_t(b.Height()) != height || b.Stride() < stride)
    return false;
  for (uint32_t y = 0; y < height; ++y)
    if (std::memcmp(b.ScanLine(int(y)), ref.data() + y * stride, stride) != 0)
      return false;
  return true;
}

// Whether the decoder and the loading path give libpng's pixels.
bool SamePixels(const Sample& s)
{
  std::vector<uint8_t> ref;
  size_t stride;
  uint32_t height;
  LibpngDecode(s.File, TOutput::Decoder, ref, stride, height);
  TPNGImage png;
  OurDecode(s.File, png);
  if (!SameRows(png, ref, stride, height))
    return false;
  LibpngDecode(s.File, TOutput::Screen, ref, stride, height);
  std::unique_ptr<TBitmap> loaded = OurLoad(s.File);
  return loaded && loaded->PixelFormat() == TPixelFormat::pf24bit && SameRows(*loaded, ref, stride, height);
}

void BM_Ours(benchmark::State& state)
{
  const Sample& s = Samples(int(state.range(0)));
  state.SetLabel(s.Name);
  for (auto _ : state) {
    TPNGImage png;
    OurDecode(s.File, png);
    benchmark::DoNotOptimize(png.Bits());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.File.size()));
}

void BM_OursLoading(benchmark::State& state)
{
  const Sample& s = Samples(int(state.range(0)));
  state.SetLabel(s.Name);
  for (auto _ : state)
    benchmark::DoNotOptimize(OurLoad(s.File));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.File.size()));
}

void BM_Libpng(benchmark::State& state)
{
  const Sample& s = Samples(int(state.range(0)));
  state.SetLabel(s.Name);
  std::vector<uint8_t> pixels;
  size_t stride;
  uint32_t height;
  for (auto _ : state) {
    LibpngDecode(s.File, TOutput::Decoder, pixels, stride, height);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.File.size()));
}

}   // namespace

BENCHMARK(BM_Ours)->DenseRange(0, SampleCount - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursLoading)->DenseRange(0, SampleCount - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libpng)->DenseRange(0, SampleCount - 1)->Unit(benchmark::kMillisecond);

// Per sample: the pixel check, then our decoder alone and the viewer's loading path, each as
// a multiple of libpng's time to give what our decoder gives (the target: at most 1.0x for
// the loading path). libpng's time to give the loading path's 24-bit pixels is shown beside.
// "--profile NAME [loading|decoder|libpng [COUNT]]": only the loading path (or the decoder
// alone, or libpng) on that sample, COUNT times (40), for a profiler.
int main(int argc, char** argv)
{
  if (argc >= 3 && std::strcmp(argv[1], "--profile") == 0) {
    for (int i = 0; i < SampleCount; ++i)
      if (std::strcmp(SampleKinds[i].Name, argv[2]) == 0) {
        const Sample& s = Samples(i);
        const std::string what = argc >= 4 ? argv[3] : "loading";
        const int count = argc >= 5 ? std::atoi(argv[4]) : 40;
        std::vector<uint8_t> px;
        size_t stride;
        uint32_t height;
        const std::clock_t start = std::clock();
        for (int k = 0; k < count; ++k)
          if (what == "decoder") {
            TPNGImage png;
            OurDecode(s.File, png);
          } else if (what == "libpng") {
            LibpngDecode(s.File, TOutput::Decoder, px, stride, height);
          } else {
            benchmark::DoNotOptimize(OurLoad(s.File));
          }
        std::printf("%s, %s: %.2f ms of processor time per call\n", argv[2], what.c_str(),
                    count ? double(std::clock() - start) * 1e3 / CLOCKS_PER_SEC / count : 0.0);
        return 0;
      }
    std::fprintf(stderr, "no sample named %s\n", argv[2]);
    return 2;
  }
  int failures = 0;
  for (int i = 0; i < SampleCount; ++i) {
    const Sample& s = Samples(i);
    const bool same = SamePixels(s);
    std::vector<uint8_t> px;
    size_t stride;
    uint32_t height;
    const auto rounds = SecondsSideBySide(
        2.0,
        [&] {
          TPNGImage png;
          OurDecode(s.File, png);
          benchmark::DoNotOptimize(png.Bits());
        },
        [&] { benchmark::DoNotOptimize(OurLoad(s.File)); },
        [&] { LibpngDecode(s.File, TOutput::Decoder, px, stride, height); },
        [&] { LibpngDecode(s.File, TOutput::Screen, px, stride, height); });
    const double ours = Quantile(rounds[0], 0.5), loaded = Quantile(rounds[1], 0.5), ref = Quantile(rounds[2], 0.5),
                 refScreen = Quantile(rounds[3], 0.5);
    // The loading path against libpng round by round: the spread of the ratio.
    const std::vector<double> loadRatios = RoundRatios(rounds[1], rounds[2]);
    std::printf("%-22s %zu bytes, pixels %s libpng's\n", s.Name.c_str(), s.File.size(), same ? "match" : "DIFFER from");
    std::printf("  decoder alone          %6.1f ms, libpng %6.1f ms: %.2fx libpng's time\n", ours * 1e3, ref * 1e3,
                ours / ref);
    std::printf(
        "  through viewer loading %6.1f ms, libpng %6.1f ms: %.2fx libpng's time (per round %.2f-%.2f, %zu rounds)"
        " (libpng to 24-bit pixels %6.1f ms: %.2fx)\n",
        loaded * 1e3, ref * 1e3, loaded / ref, Quantile(loadRatios, 0.25), Quantile(loadRatios, 0.75),
        loadRatios.size(), refScreen * 1e3, loaded / refScreen);
    std::printf("  target, loading at most 1.0x libpng: %s\n", loaded <= ref ? "met" : "MISSED");
    std::fflush(stdout);
    failures += same ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return failures == 0 ? 0 : 1;
}
