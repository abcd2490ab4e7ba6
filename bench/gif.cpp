// Our GIF decoder against giflib on the same in-memory files (LZW decoding of every frame).
// Both decode each file once first and the indices are compared; then per file our decoder
// alone and the viewer's loading path (decoding and the frame strip, the 24-bit picture of
// all frames the page draws from) are timed beside giflib's decoding.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/DecoderTiming.h"
#include "html/GifAnimation.h"
#include "html/GifDecoder.h"
#include "tests/html/GifTestUtil.h"
#include "tests/html/PNGTestUtil.h"

namespace {

struct Sample {
  std::string Name;
  std::vector<uint8_t> File;
};

std::vector<uint8_t> Picture(int w, int h, int colors, int frames, bool interlace)
{
  giftest::GifBuilder b(w, h, 8);
  pngtest::Rng rng(5);
  for (int f = 0; f < frames; ++f) {
    std::vector<uint8_t> idx(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        idx[size_t(y * w + x)] = uint8_t(((x + f * 3) / 4 + y / 5 + (rng.Next() % 5 == 0 ? 1 : 0)) % colors);
    b.Control(1, 10);
    b.Image(0, 0, w, h, interlace ? giftest::InterlaceOrder(idx, w, h) : idx, 8, interlace);
  }
  return b.Finish();
}

const std::vector<Sample>& Samples()
{
  static const std::vector<Sample> s = {
      {"photo_800x600", Picture(800, 600, 256, 1, false)},
      {"anim_200x150x20", Picture(200, 150, 64, 20, false)},
      {"interlaced_640x480", Picture(640, 480, 128, 1, true)},
      {"photo_2000x2000", Picture(2000, 2000, 256, 1, false)},
  };
  return s;
}

struct MemReader {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

int ReadMem(GifFileType* gif, GifByteType* out, int n)
{
  auto* r = static_cast<MemReader*>(gif->UserData);
  size_t take = std::min(size_t(n), r->Size - r->Pos);
  std::memcpy(out, r->Data + r->Pos, take);
  r->Pos += take;
  return int(take);
}

// giflib's frames (its slurp puts interlaced rows in place, as ours does).
std::vector<std::vector<uint8_t>> GiflibDecode(const std::vector<uint8_t>& file)
{
  MemReader r{file.data(), file.size(), 0};
  int err = 0;
  GifFileType* gif = DGifOpen(&r, ReadMem, &err);
  std::vector<std::vector<uint8_t>> frames;
  if (!gif)
    return frames;
  if (DGifSlurp(gif) == GIF_OK)
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& im = gif->SavedImages[i];
      const int w = im.ImageDesc.Width, h = im.ImageDesc.Height;
      std::vector<uint8_t> px(size_t(w) * size_t(h));
      std::memcpy(px.data(), im.RasterBits, px.size());
      frames.push_back(std::move(px));
    }
  DGifCloseFile(gif, &err);
  return frames;
}

void GiflibDecodeOnly(const std::vector<uint8_t>& file)
{
  MemReader r{file.data(), file.size(), 0};
  int err = 0;
  GifFileType* gif = DGifOpen(&r, ReadMem, &err);
  if (!gif)
    return;
  DGifSlurp(gif);
  benchmark::DoNotOptimize(gif->SavedImages);
  DGifCloseFile(gif, &err);
}

void OurDecode(const std::vector<uint8_t>& file, TGif& gif)
{
  TByteStream s(file);
  gif.LoadFromStream(s);
}

// The viewer's way in: decoding, then the frame strip.
std::unique_ptr<TGIFImage> OurLoad(const std::vector<uint8_t>& file)
{
  TByteStream s(file);
  bool nonAnimated = false;
  return CreateAGif(s, nonAnimated);
}

void BM_Ours(benchmark::State& state)
{
  const Sample& s = Samples()[size_t(state.range(0))];
  state.SetLabel(s.Name);
  for (auto _ : state) {
    TGif gif;
    OurDecode(s.File, gif);
    benchmark::DoNotOptimize(gif.ImageCount());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.File.size()));
}

void BM_OursWithStrip(benchmark::State& state)
{
  const Sample& s = Samples()[size_t(state.range(0))];
  state.SetLabel(s.Name);
  for (auto _ : state)
    benchmark::DoNotOptimize(OurLoad(s.File));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.File.size()));
}

void BM_Giflib(benchmark::State& state)
{
  const Sample& s = Samples()[size_t(state.range(0))];
  state.SetLabel(s.Name);
  for (auto _ : state)
    GiflibDecodeOnly(s.File);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.File.size()));
}

}   // namespace

BENCHMARK(BM_Ours)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursWithStrip)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Giflib)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
  int failures = 0;
  for (const Sample& s : Samples()) {
    TGif gif;
    OurDecode(s.File, gif);
    auto ref = GiflibDecode(s.File);
    bool same = int(ref.size()) == gif.ImageCount();
    for (int i = 0; same && i < gif.ImageCount(); ++i)
      same = gif.Image(i).Pixels == ref[size_t(i)];
    const auto t = MedianSecondsSideBySide(
        1.0,
        [&] {
          TGif g;
          OurDecode(s.File, g);
        },
        [&] { benchmark::DoNotOptimize(OurLoad(s.File)); }, [&] { GiflibDecodeOnly(s.File); });
    const double ours = t[0], loaded = t[1], theirs = t[2];
    std::printf("%-20s indices %s giflib's\n", s.Name.c_str(), same ? "match" : "DIFFER from");
    std::printf("  decoder alone          %6.2f ms, giflib %6.2f ms: %.2fx giflib's time\n", ours * 1e3, theirs * 1e3,
                ours / theirs);
    std::printf("  with the frame strip   %6.2f ms, giflib %6.2f ms: %.2fx giflib's time\n", loaded * 1e3, theirs * 1e3,
                loaded / theirs);
    std::printf("  target, with the strip at most 1.0x giflib: %s\n", loaded <= theirs ? "met" : "MISSED");
    std::fflush(stdout);
    failures += same ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return failures == 0 ? 0 : 1;
}
