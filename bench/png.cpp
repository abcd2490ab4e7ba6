// Our PNG decoder against libpng on the same in-memory files. Before the benchmarks run, both
// decode every file once and the pixels are compared, and a throughput ratio is printed.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstring>
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

const std::vector<Sample>& Samples()
{
  static const std::vector<Sample> samples = [] {
    std::vector<Sample> s;
    s.push_back({"rgb8_1024x768", pngtest::MakePng(Photo(1024, 768, 2, 8), false, -1)});
    s.push_back({"rgba8_1024x768", pngtest::MakePng(Photo(1024, 768, 6, 8), false, 4)});
    s.push_back({"rgb8_adam7_800x600", pngtest::MakePng(Photo(800, 600, 2, 8), true, 1)});
    std::vector<uint8_t> plte;
    for (int i = 0; i < 256; ++i)
      plte.insert(plte.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)});
    s.push_back({"pal8_1024x768", pngtest::MakePng(Photo(1024, 768, 3, 8), false, -1, {{"PLTE", plte}})});
    s.push_back({"grey16_640x480", pngtest::MakePng(Photo(640, 480, 0, 16), false, 2)});
    return s;
  }();
  return samples;
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

// libpng set to give what our decoder gives: 8-bit samples, no alpha, B-G-R order, packed
// indices left as they are.
void LibpngDecode(const std::vector<uint8_t>& file, std::vector<uint8_t>& pixels, size_t& stride, uint32_t& height)
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

bool SamePixels(const Sample& s)
{
  std::vector<uint8_t> ref;
  size_t stride;
  uint32_t height;
  LibpngDecode(s.File, ref, stride, height);
  TPNGImage png;
  OurDecode(s.File, png);
  if (uint32_t(png.Height()) != height)
    return false;
  for (uint32_t y = 0; y < height; ++y)
    if (std::memcmp(png.ScanLine(int(y)), ref.data() + y * stride, stride) != 0)
      return false;
  return true;
}

void BM_Ours(benchmark::State& state)
{
  const Sample& s = Samples()[size_t(state.range(0))];
  state.SetLabel(s.Name);
  for (auto _ : state) {
    TPNGImage png;
    OurDecode(s.File, png);
    benchmark::DoNotOptimize(png.Bits());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.File.size()));
}

void BM_Libpng(benchmark::State& state)
{
  const Sample& s = Samples()[size_t(state.range(0))];
  state.SetLabel(s.Name);
  std::vector<uint8_t> pixels;
  size_t stride;
  uint32_t height;
  for (auto _ : state) {
    LibpngDecode(s.File, pixels, stride, height);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.File.size()));
}

}   // namespace

BENCHMARK(BM_Ours)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libpng)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
  int failures = 0;
  for (const Sample& s : Samples()) {
    bool same = SamePixels(s);
    std::vector<uint8_t> px;
    size_t stride;
    uint32_t height;
    double ours = SecondsPer([&] {
      TPNGImage png;
      OurDecode(s.File, png);
    });
    double ref = SecondsPer([&] { LibpngDecode(s.File, px, stride, height); });
    // The viewer's loading path: sniffing, decoding and the picture made ready for the screen.
    double loaded = SecondsPer([&] {
      TByteStream stream(s.File);
      TTransparency transparent = NotTransp;
      std::unique_ptr<TBitmap> mask;
      std::unique_ptr<TBitmap> b = LoadImageFromStream(&stream, transparent, mask);
      benchmark::DoNotOptimize(b.get());
    });
    std::printf("%-22s pixels %s libpng, throughput ours/libpng = %.2f, through the viewer's loading = %.2f\n",
                s.Name.c_str(), same ? "match" : "DIFFER from", ref / ours, ref / loaded);
    failures += same ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return failures == 0 ? 0 : 1;
}
