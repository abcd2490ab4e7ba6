// Our decoder against Debian's libpng on every legal colour type, depth, filter and interlace.
// libpng is a test-only reference, loaded at run time so that nothing links it; the test is
// skipped where it is not installed.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
  decltype(&png_get_error_ptr) GetErrorPtr = nullptr;
  decltype(&png_read_end) ReadEnd = nullptr;
  decltype(&png_longjmp) LongJump = nullptr;

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
    get(GetErrorPtr, "png_get_error_ptr");
    get(ReadEnd, "png_read_end");
    get(LongJump, "png_longjmp");
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

namespace {

// What libpng says while it reads a whole file (every chunk, the rows, the end): its warnings,
// and its error, which ends the reading.
struct TLibpngReport {
  std::vector<std::string> Warnings;
  std::string Error;
};

void NoteWarning(png_structp png, png_const_charp message)
{
  static_cast<TLibpngReport*>(Lib().GetErrorPtr(png))->Warnings.push_back(message);
}

void NoteError(png_structp png, png_const_charp message)
{
  static_cast<TLibpngReport*>(Lib().GetErrorPtr(png))->Error = message;
  Lib().LongJump(png, 1);
}

TLibpngReport LibpngReads(const std::vector<uint8_t>& file)
{
  Libpng& L = Lib();
  TLibpngReport report;
  png_structp png = L.CreateRead(PNG_LIBPNG_VER_STRING, &report, NoteError, NoteWarning);
  png_infop info = L.CreateInfo(png);
  png_infop end = L.CreateInfo(png);
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;
  if (setjmp(*L.SetLongjmp(png, longjmp, sizeof(jmp_buf)))) {
    L.Destroy(&png, &info, &end);
    return report;
  }
  MemReader r{&file, 0};
  L.SetReadFn(png, &r, ReadMem);
  L.ReadInfo(png, info);
  L.Interlace(png);
  L.UpdateInfo(png, info);
  const size_t rowBytes = L.RowBytes(png, info);
  // The height from the file's header, which the reading has checked by now.
  const uint32_t height = uint32_t(file[20]) << 24 | uint32_t(file[21]) << 16 | uint32_t(file[22]) << 8 | file[23];
  pixels.assign(rowBytes * height, 0);
  for (uint32_t y = 0; y < height; ++y)
    rows.push_back(pixels.data() + size_t(y) * rowBytes);
  L.ReadImage(png, rows.data());
  L.ReadEnd(png, end);
  L.Destroy(&png, &info, &end);
  return report;
}

// The chunk types of a file in order, read straight from its bytes.
std::vector<std::string> ChunkTypes(const std::vector<uint8_t>& file)
{
  std::vector<std::string> types;
  for (size_t at = 8; at + 12 <= file.size();) {
    const size_t length =
        size_t(file[at]) << 24 | size_t(file[at + 1]) << 16 | size_t(file[at + 2]) << 8 | file[at + 3];
    types.emplace_back(file.begin() + long(at) + 4, file.begin() + long(at) + 8);
    at += 12 + length;
  }
  return types;
}

bool Holds(const std::vector<std::string>& types, const std::string& type)
{
  return std::find(types.begin(), types.end(), type) != types.end();
}

// A file of the colour type and depth with every kind of chunk that describes its pixels,
// each valid for it: colour space, significant bits, palette and its histogram, transparency,
// background; and chunks that do not: pixel size, time, texts before and after the image
// data, and two private chunks, one safe to copy and one not.
std::vector<uint8_t> FileWithEveryChunk(int type, int depth)
{
  RawImage img = RandomImage(9, 5, type, depth, uint32_t(type * 17 + depth));
  const int top = (1 << std::min(depth, 8)) - 1;   // the largest sample in the file's depth
  const uint8_t bits = uint8_t(std::min(depth, 8));
  auto sample16 = [](int v) { return std::vector<uint8_t>{uint8_t(v >> 8), uint8_t(v)}; };
  std::vector<Chunk> extra;
  std::vector<uint8_t> gamma, chrm;
  Put32(gamma, 45455);
  extra.push_back({"gAMA", gamma});
  for (uint32_t v : {31270u, 32900u, 64000u, 33000u, 30000u, 60000u, 15000u, 6000u})
    Put32(chrm, v);
  extra.push_back({"cHRM", chrm});
  const size_t channels = size_t(type == 3 ? 3 : ChannelsOf(type));
  extra.push_back({"sBIT", std::vector<uint8_t>(channels, bits)});
  const int entries = 1 << std::min(depth, 8);
  if (type == 3) {
    std::vector<uint8_t> plte, hist;
    for (int i = 0; i < entries; ++i) {
      plte.insert(plte.end(), {uint8_t(i * 37 + 5), uint8_t(255 - i * 11), uint8_t(i * 73)});
      hist.insert(hist.end(), {0, uint8_t(i)});
    }
    extra.push_back({"PLTE", plte});
    extra.push_back({"tRNS", {255, 0}});
    extra.push_back({"bKGD", {uint8_t(entries - 1)}});
    extra.push_back({"hIST", hist});
  } else if (type == 0 || type == 4) {
    if (type == 0)
      extra.push_back({"tRNS", sample16(top / 2)});
    extra.push_back({"bKGD", sample16(top)});
  } else {
    std::vector<uint8_t> rgb;
    for (int v : {top, top / 2, 0}) {
      auto s = sample16(v);
      rgb.insert(rgb.end(), s.begin(), s.end());
    }
    if (type == 2)
      extra.push_back({"tRNS", rgb});
    extra.push_back({"bKGD", rgb});
  }
  extra.push_back({"pHYs", {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}});
  extra.push_back({"tIME", {7, 220, 1, 1, 0, 0, 0}});
  extra.push_back({"tEXt", {'T', 'i', 't', 'l', 'e', 0, 'A'}});
  extra.push_back({"prVt", {1, 2}});
  extra.push_back({"prVT", {3, 4}});
  std::vector<uint8_t> file = MakePng(img, false, -1, extra);
  file.resize(file.size() - 12);   // the end chunk, written again after a text
  AppendChunk(file, "tEXt", {'A', 'f', 't', 'e', 'r', 0, 'B'});
  AppendChunk(file, "IEND", {});
  return file;
}

}   // namespace

// Every colour type and depth, read as a palette picture and as direct colour, and saved:
// libpng reads each saved file without a warning, since what described the old pixels is
// gone (the chunks not safe to copy) or made anew (palette, transparency), and what is safe
// to copy is kept where it stood.
TEST(PNGLibpng, SavedFilesDrawNoWarningFromLibpng)
{
  if (!Lib().Ok() || !Lib().GetErrorPtr || !Lib().ReadEnd || !Lib().LongJump)
    GTEST_SKIP() << "libpng16 not installed";
  const std::pair<int, int> kinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                                       {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  auto joined = [](const std::vector<std::string>& v) {
    std::string s;
    for (const auto& t : v)
      s += t + "; ";
    return s;
  };
  int saves = 0;
  for (auto [type, depth] : kinds) {
    const std::vector<uint8_t> file = FileWithEveryChunk(type, depth);
    const std::string kind = "type " + std::to_string(type) + " depth " + std::to_string(depth);
    TLibpngReport source = LibpngReads(file);
    ASSERT_TRUE(source.Error.empty() && source.Warnings.empty())
        << kind << ": the test's own file: " << source.Error << " " << joined(source.Warnings);
    for (bool direct : {false, true}) {
      SCOPED_TRACE(kind + (direct ? " read as direct colour" : " read as it is"));
      TPNGImage png;
      png.DirectColor = direct;
      TByteStream in(file);
      png.LoadFromStream(in);
      TByteStream out;
      png.SaveToStream(out);
      const TLibpngReport saved = LibpngReads(out.Bytes());
      EXPECT_EQ(saved.Error, "");
      EXPECT_EQ(joined(saved.Warnings), "");
      const std::vector<std::string> types = ChunkTypes(out.Bytes());
      for (const char* gone : {"cHRM", "sBIT", "hIST", "bKGD", "tIME", "prVT"})
        EXPECT_FALSE(Holds(types, gone)) << gone << " in " << joined(types);
      for (const char* kept : {"pHYs", "prVt"})
        EXPECT_TRUE(Holds(types, kept)) << kept << " not in " << joined(types);
      EXPECT_EQ(std::count(types.begin(), types.end(), "tEXt"), 2) << joined(types);
      EXPECT_EQ(types[types.size() - 2], "tEXt") << "the text after the image data moved: " << joined(types);
      // Transparency stays where the saved picture can hold it as the file had it.
      const bool indexed = !direct && type != 2 && type != 6;
      EXPECT_EQ(Holds(types, "tRNS"), (type == 3 && indexed) || type == 2) << joined(types);
      ++saves;
    }
  }
  EXPECT_EQ(saves, 15 * 2);

  // A palette picture made smaller after reading: its alpha table is cut to the palette
  // written, which no longer has entries for all of it.
  RawImage img = RandomImage(9, 5, 3, 8, 5, 15);
  std::vector<uint8_t> plte, alpha;
  for (int i = 0; i < 256; ++i)
    plte.insert(plte.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
  for (int i = 0; i < 20; ++i)
    alpha.push_back(i % 2 ? 255 : 0);
  TPNGImage png;
  TByteStream in(MakePng(img, false, 0, {{"PLTE", plte}, {"tRNS", alpha}}));
  png.LoadFromStream(in);
  png.SetPixelFormat(TPixelFormat::pf4bit);
  TByteStream out;
  png.SaveToStream(out);
  const TLibpngReport saved = LibpngReads(out.Bytes());
  EXPECT_EQ(saved.Error, "");
  EXPECT_EQ(joined(saved.Warnings), "");
  TPNGImage back;
  out.SetPosition(0);
  back.LoadFromStream(out);
  ASSERT_NE(back.Chunks().FindChunk<TChunkTRNS>(), nullptr);
  EXPECT_EQ(back.Chunks().FindChunk<TChunkTRNS>()->Data, std::vector<uint8_t>(alpha.begin(), alpha.begin() + 16));
}
