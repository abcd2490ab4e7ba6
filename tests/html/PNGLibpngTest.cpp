// Our decoder against Debian's libpng on every legal colour type, depth, filter and interlace.
// libpng is a test-only reference, loaded at run time so that nothing links it; the test is
// skipped where it is not installed.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "html/PNGImage.h"
#include "tests/html/PNGTestUtil.h"

using namespace pngtest;

namespace {

struct Libpng {
  void* Handle = nullptr;
  decltype(&png_create_read_struct) CreateRead = nullptr;
  decltype(&png_create_info_struct) CreateInfo = nullptr;
  decltype(&png_set_read_fn) SetReadFn = nullptr;
  decltype(&png_get_io_ptr) GetIoPtr = nullptr;
  decltype(&png_set_longjmp_fn) SetLongjmp = nullptr;
  decltype(&png_read_info) ReadInfo = nullptr;
  decltype(&png_set_strip_16) Strip16 = nullptr;
  decltype(&png_set_strip_alpha) StripAlpha = nullptr;
  decltype(&png_set_palette_to_rgb) PaletteToRgb = nullptr;
  decltype(&png_set_gray_to_rgb) GrayToRgb = nullptr;
  decltype(&png_set_expand_gray_1_2_4_to_8) ExpandGray = nullptr;
  decltype(&png_set_interlace_handling) Interlace = nullptr;
  decltype(&png_read_update_info) UpdateInfo = nullptr;
  decltype(&png_get_rowbytes) RowBytes = nullptr;
  decltype(&png_read_image) ReadImage = nullptr;
  decltype(&png_destroy_read_struct) Destroy = nullptr;
  decltype(&png_get_gAMA_fixed) GetGamma = nullptr;
  decltype(&png_get_bit_depth) BitDepth = nullptr;

  Libpng()
  {
    Handle = dlopen("libpng16.so.16", RTLD_NOW);
    if (!Handle)
      return;
    auto get = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(Handle, name));
    };
    get(CreateRead, "png_create_read_struct");
    get(CreateInfo, "png_create_info_struct");
    get(SetReadFn, "png_set_read_fn");
    get(GetIoPtr, "png_get_io_ptr");
    get(SetLongjmp, "png_set_longjmp_fn");
    get(ReadInfo, "png_read_info");
    get(Strip16, "png_set_strip_16");
    get(StripAlpha, "png_set_strip_alpha");
    get(PaletteToRgb, "png_set_palette_to_rgb");
    get(GrayToRgb, "png_set_gray_to_rgb");
    get(ExpandGray, "png_set_expand_gray_1_2_4_to_8");
    get(Interlace, "png_set_interlace_handling");
    get(UpdateInfo, "png_read_update_info");
    get(RowBytes, "png_get_rowbytes");
    get(ReadImage, "png_read_image");
    get(Destroy, "png_destroy_read_struct");
    get(GetGamma, "png_get_gAMA_fixed");
    get(BitDepth, "png_get_bit_depth");
  }
  bool Ok() const { return Handle && CreateRead && Destroy && ReadImage && SetLongjmp; }
};

Libpng& Lib()
{
  static Libpng lib;
  return lib;
}

struct MemReader {
  const std::vector<uint8_t>* Data;
  size_t Pos;
};

void ReadMem(png_structp png, png_bytep out, png_size_t n)
{
  auto* r = static_cast<MemReader*>(Lib().GetIoPtr(png));
  size_t take = std::min(n, r->Data->size() - r->Pos);
  std::memcpy(out, r->Data->data() + r->Pos, take);
  std::memset(out + take, 0, n - take);
  r->Pos += take;
}

// The file as 8-bit RGB rows, as libpng reads it with every sample expanded. When gamma is
// given it receives the file gamma libpng took (times 100000; 0 for none) and the file's
// bit depth.
bool LibpngRgb(const std::vector<uint8_t>& file, std::vector<uint8_t>& rgb, uint32_t width, uint32_t height,
               uint32_t* gamma = nullptr, int* depth = nullptr)
{
  Libpng& L = Lib();
  png_structp png = L.CreateRead(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = L.CreateInfo(png);
  if (setjmp(*L.SetLongjmp(png, longjmp, sizeof(jmp_buf)))) {
    L.Destroy(&png, &info, nullptr);
    return false;
  }
  MemReader r{&file, 0};
  L.SetReadFn(png, &r, ReadMem);
  L.ReadInfo(png, info);
  if (gamma) {
    png_fixed_point g = 0;
    *gamma = L.GetGamma(png, info, &g) ? uint32_t(g) : 0;
    *depth = L.BitDepth(png, info);
  }
  L.Strip16(png);
  L.StripAlpha(png);
  L.PaletteToRgb(png);
  L.ExpandGray(png);
  L.GrayToRgb(png);
  L.Interlace(png);
  L.UpdateInfo(png, info);
  if (L.RowBytes(png, info) != size_t(width) * 3) {
    L.Destroy(&png, &info, nullptr);
    return false;
  }
  rgb.assign(size_t(width) * 3 * height, 0);
  std::vector<png_bytep> rows(height);
  for (uint32_t y = 0; y < height; ++y)
    rows[y] = rgb.data() + size_t(y) * width * 3;
  L.ReadImage(png, rows.data());
  L.Destroy(&png, &info, nullptr);
  return true;
}

}   // namespace

TEST(PNGLibpng, SamePixelsAsLibpngForEveryKind)
{
  if (!Lib().Ok())
    GTEST_SKIP() << "libpng16 not installed";
  const std::pair<int, int> kinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                                       {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  int files = 0;
  for (auto [type, depth] : kinds)
    for (bool interlace : {false, true})
      for (int filter = -1; filter <= 4; ++filter) {
        const uint32_t w = 19, h = 13;
        RawImage img = RandomImage(w, h, type, depth, uint32_t(type * 100 + depth * 7 + filter + (interlace ? 50 : 0)));
        std::vector<Chunk> extra;
        if (type == 3) {
          std::vector<uint8_t> plte;
          for (int i = 0; i < (1 << depth); ++i)
            plte.insert(plte.end(), {uint8_t(i * 29), uint8_t(200 - i), uint8_t(i * 61)});
          extra.push_back({"PLTE", plte});
        }
        auto file = MakePng(img, interlace, filter, extra);
        std::vector<uint8_t> ref;
        ASSERT_TRUE(LibpngRgb(file, ref, w, h)) << type << "/" << depth;
        TPNGImage png;
        TByteStream s(file);
        png.LoadFromStream(s);
        for (uint32_t y = 0; y < h; ++y)
          for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = &ref[(size_t(y) * w + x) * 3];
            ASSERT_EQ(png.GetPixel(int(x), int(y)), RGBColor(p[0], p[1], p[2]))
                << "type " << type << " depth " << depth << " interlace " << interlace << " filter " << filter << " at "
                << x << "," << y;
          }
        ++files;
      }
  EXPECT_EQ(files, 15 * 2 * 6);
}

namespace {

// What a reader that honours the file gamma shows for an 8-bit sample.
uint8_t Corrected(uint8_t v, uint32_t gamma)
{
  const double exponent = 1.0 / (double(gamma) / 100000.0 * 2.2);
  return uint8_t(std::clamp(std::lround(255.0 * std::pow(v / 255.0, exponent)), 0L, 255L));
}

// Saves what was loaded from file and checks that libpng, honouring the gamma it finds, sees
// in the saved file the pixels we see on reloading it.
void ExpectLibpngSeesOurSave(const std::vector<uint8_t>& file, const std::string& what)
{
  SCOPED_TRACE(what);
  TPNGImage first;
  TByteStream in(file);
  first.LoadFromStream(in);
  TByteStream out;
  first.SaveToStream(out);
  TPNGImage back;
  out.SetPosition(0);
  back.LoadFromStream(out);
  const uint32_t w = uint32_t(back.Width()), h = uint32_t(back.Height());
  std::vector<uint8_t> ref;
  uint32_t gamma = 0;
  int depth = 0;
  ASSERT_TRUE(LibpngRgb(out.Bytes(), ref, w, h, &gamma, &depth)) << "libpng refused the saved file";
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      uint8_t p[3];
      for (int k = 0; k < 3; ++k) {
        p[k] = ref[(size_t(y) * w + x) * 3 + size_t(k)];
        if (gamma && depth <= 8)
          p[k] = Corrected(p[k], gamma);
      }
      ASSERT_EQ(back.GetPixel(int(x), int(y)), RGBColor(p[0], p[1], p[2])) << x << "," << y << " gamma " << gamma;
    }
}

}   // namespace

// Every kind of picture the codec tests read, with and without a gamma and the other chunks
// they use, saved by us: libpng takes the chunks where they stand and sees our pixels.
TEST(PNGLibpng, SavedFilesReadTheSameInLibpng)
{
  if (!Lib().Ok() || !Lib().GetGamma || !Lib().BitDepth)
    GTEST_SKIP() << "libpng16 not installed";
  auto palette = [](int entries) {
    std::vector<uint8_t> p;
    for (int i = 0; i < entries; ++i)
      p.insert(p.end(), {uint8_t(i * 37 + 5), uint8_t(255 - i * 11), uint8_t(i * 73)});
    return p;
  };
  auto gammaChunk = [](uint32_t g) {
    std::vector<uint8_t> d;
    Put32(d, g);
    return Chunk{"gAMA", d};
  };
  const std::pair<int, int> kinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                                       {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  int files = 0;
  for (auto [type, depth] : kinds)
    for (bool interlace : {false, true})
      for (uint32_t gamma : {0u, 45455u, 100000u, 220000u})
        for (bool others : {false, true}) {
          RawImage img = RandomImage(11, 7, type, depth, uint32_t(type * 31 + depth + gamma % 7 + (interlace ? 5 : 0)));
          std::vector<Chunk> extra;
          // gAMA before PLTE, as the format wants; the writer must keep it there.
          if (gamma)
            extra.push_back(gammaChunk(gamma));
          if (type == 3)
            extra.push_back({"PLTE", palette(1 << depth)});
          if (others) {
            extra.push_back({"tIME", {7, 220, 1, 1, 0, 0, 0}});
            if (type == 3)
              extra.push_back({"tRNS", {255, 100, 0}});
            else if (type == 0)
              extra.push_back({"tRNS", {0, uint8_t(img.Samples[0][0] & ((1 << std::min(depth, 8)) - 1))}});
            else if (type == 2)
              extra.push_back({"tRNS", {0, 10, 0, 20, 0, 30}});
          }
          ExpectLibpngSeesOurSave(MakePng(img, interlace, -1, extra),
                                  "type " + std::to_string(type) + " depth " + std::to_string(depth) + " interlace "
                                      + std::to_string(interlace) + " gamma " + std::to_string(gamma) + " others "
                                      + std::to_string(others));
          ++files;
        }
  // A zero gamma (ignored by every reader) and a repeated one.
  RawImage grey = RandomImage(5, 5, 0, 8, 3);
  ExpectLibpngSeesOurSave(MakePng(grey, false, 0, {gammaChunk(0), gammaChunk(45455)}), "zero gamma first");
  ExpectLibpngSeesOurSave(MakePng(grey, false, 0, {gammaChunk(45455), gammaChunk(220000)}), "two gammas");
  EXPECT_EQ(files, 15 * 2 * 4 * 2);

  // And the fuzz corpus's real files.
  int corpus = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(ORRELO_TEST_DATA) + "/../../fuzz/corpus/png")) {
    std::ifstream f(entry.path(), std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ExpectLibpngSeesOurSave(bytes, entry.path().filename().string());
    ++corpus;
  }
  EXPECT_GE(corpus, 5);
}
