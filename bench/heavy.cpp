// Small inputs that could cost far more than their size: a page of <br>, a page of floating
// pictures, an animated GIF of many tiny frames, one huge attribute, and the text box of a
// <textarea> holding one unbroken line. Each is run at three sizes, each twice the one before;
// printed are the time, its growth per doubling (linear work gives 2; the target is at most
// 2.1), and the peak heap per byte of input (the target is at most 40). The reference in the
// same run is a page of ordinary paragraphs of the same number of bytes.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "html/GifAnimation.h"
#include "html/HTMLStreams.h"
#include "html/Document.h"
#include "html/HtmlReader.h"
#include "platform/Application.h"
#include "platform/FormCtrls.h"

// ---- the heap, counted: live bytes and their peak since the last reset ----

namespace {
std::atomic<int64_t> GLive{0};
std::atomic<int64_t> GPeak{0};

void* Counted(size_t n)
{
  void* p = std::malloc(n ? n : 1);
  if (!p)
    throw std::bad_alloc();
  const int64_t live = GLive += static_cast<int64_t>(malloc_usable_size(p));
  int64_t peak = GPeak.load();
  while (live > peak && !GPeak.compare_exchange_weak(peak, live)) {}
  return p;
}

void Uncounted(void* p)
{
  if (!p)
    return;
  GLive -= static_cast<int64_t>(malloc_usable_size(p));
  std::free(p);
}
}   // namespace

void* operator new(size_t n) { return Counted(n); }
void* operator new[](size_t n) { return Counted(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept
{
  try {
    return Counted(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t n, const std::nothrow_t&) noexcept
{
  try {
    return Counted(n);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, size_t) noexcept { Uncounted(p); }

namespace {

// ---- the inputs ----

std::string BreakPage(size_t n)
{
  std::string s;
  s.reserve(n * 4);
  for (size_t i = 0; i < n; ++i)
    s += "<br>";
  return s;
}

std::string FloatPage(size_t n)
{
  std::string s = "<html><body>";
  for (size_t i = 0; i < n; ++i)
    s += (i % 2) ? "<img align=right width=9 height=7>" : "<img align=left width=8 height=9>";
  return s + "</body></html>";
}

// One huge attribute of each kind a page's text keeps: a title, a link, a picture's
// alternative text and a style.
std::string AttributePage(size_t n)
{
  const size_t q = n / 4;
  return "<p title=\"" + std::string(q, 'x') + "\">text <a href=\"" + std::string(q, 'h') + "\">link</a> <img alt=\""
         + std::string(q, 'a') + "\" width=20 height=20> <span style=\"color: red; font-family: " + std::string(q, 'f')
         + "\">styled</span></p>";
}

std::string Paragraphs(size_t bytes)
{
  static const char* words[] = {"gear", "wheel", "the", "a", "mechanism", "of", "pulley", "crank", "to", "lever"};
  std::string s = "<html><body>";
  unsigned v = 7;
  while (s.size() < bytes) {
    s += "<p>";
    for (int w = 0; w < 60; ++w) {
      v = v * 1103515245u + 12345u;
      s += words[(v >> 16) % std::size(words)];
      s += ' ';
    }
    s += "</p>\n";
  }
  return s;
}

// An animated GIF of n frames, each one pixel changed on a 180 x 180 screen: 23 bytes a frame
// in the file.
std::vector<uint8_t> ManyFrameGif(size_t n)
{
  std::vector<uint8_t> g = {'G', 'I', 'F', '8', '9', 'a', 180, 0, 180, 0, 0x81, 0, 0};
  for (uint8_t c : {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255})
    g.push_back(c);
  for (size_t i = 0; i < n; ++i) {
    const uint16_t x = uint16_t(i % 180), y = uint16_t((i / 180) % 180);
    for (uint8_t b : {0x21, 0xF9, 4, 0, 1, 0, 0, 0})   // graphic control: 10 ms, no disposal
      g.push_back(b);
    for (uint8_t b : {uint8_t(0x2C), uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8), uint8_t(1), uint8_t(0),
                      uint8_t(1), uint8_t(0), uint8_t(0)})
      g.push_back(b);
    // LZW of one pixel of colour 1 at code size 2: clear, 1, end.
    for (uint8_t b : {2, 2, 0x4C, 0x01, 0})
      g.push_back(b);
  }
  g.push_back(0x3B);
  return g;
}

// ---- the work ----

std::unique_ptr<TBitmap> GBitmap;

void ParseAndLayout(const std::string& page)
{
  if (!GBitmap)
    GBitmap = std::make_unique<TBitmap>(1, 1);
  TStringBitmapList cache;
  THtmlDocHost host;
  TSectionList doc(&host, nullptr);
  doc.BitmapList = &cache;
  doc.ShowImages = false;
  doc.SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10, 12);
  THtmlParseContext ctx;
  ParseHTMLDocument(page, doc, ctx);
  int32_t scrollWidth = 0, curs = 0;
  doc.DoLogic(GBitmap->Canvas(), 0, 800, 600, scrollWidth, curs);
  benchmark::DoNotOptimize(scrollWidth);
}

void LoadGif(const std::vector<uint8_t>& bytes)
{
  TByteStream s(bytes);
  bool nonAnimated = true;
  try {
    std::unique_ptr<TGIFImage> gif = CreateAGif(s, nonAnimated);
    benchmark::DoNotOptimize(gif.get());
  } catch (const Exception& e) {
    std::printf("GIF refused: %s\n", e.Message.c_str());
  }
}

void MemoLayout(const std::string& text)
{
  TMemo memo;
  memo.SetBounds(0, 0, 300, 200);
  memo.SetText(text);
  benchmark::DoNotOptimize(memo.Lines().size());
}

struct TMeasure {
  double Seconds = 0;
  double PeakPerByte = 0;
};

// The best time of three runs (the machine may be busy) and the peak heap of the first.
TMeasure Measure(const std::function<void()>& work, size_t inputBytes)
{
  TMeasure m;
  m.Seconds = 1e30;
  for (int run = 0; run < 3; ++run) {
    GPeak = GLive.load();
    const int64_t base = GLive.load();
    const auto start = std::chrono::steady_clock::now();
    work();
    m.Seconds = std::min(m.Seconds, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (run == 0)
      m.PeakPerByte = double(GPeak.load() - base) / double(inputBytes);
    if (m.Seconds > 10)
      break;
  }
  return m;
}

struct TCase {
  const char* Name;
  size_t Sizes[3];   // in the case's own unit
  // Makes the input of one size and gives its bytes and the work on it.
  std::function<std::pair<size_t, std::function<void()>>(size_t)> Make;
};

void PrintFigures()
{
  std::vector<TCase> cases;
  cases.push_back({"<br> x n", {250000, 500000, 1000000}, [](size_t n) {
                     auto page = std::make_shared<std::string>(BreakPage(n));
                     return std::make_pair(page->size(), std::function<void()>([page] { ParseAndLayout(*page); }));
                   }});
  cases.push_back({"floats x n", {12500, 25000, 50000}, [](size_t n) {
                     auto page = std::make_shared<std::string>(FloatPage(n));
                     return std::make_pair(page->size(), std::function<void()>([page] { ParseAndLayout(*page); }));
                   }});
  cases.push_back({"GIF frames x n", {750, 1500, 3000}, [](size_t n) {
                     auto gif = std::make_shared<std::vector<uint8_t>>(ManyFrameGif(n));
                     return std::make_pair(gif->size(), std::function<void()>([gif] { LoadGif(*gif); }));
                   }});
  cases.push_back({"attribute bytes", {3750000, 7500000, 15000000}, [](size_t n) {
                     auto page = std::make_shared<std::string>(AttributePage(n));
                     return std::make_pair(page->size(), std::function<void()>([page] { ParseAndLayout(*page); }));
                   }});
  cases.push_back({"textarea chars", {500000, 1000000, 2000000}, [](size_t n) {
                     auto text = std::make_shared<std::string>(n, 'w');
                     return std::make_pair(text->size(), std::function<void()>([text] { MemoLayout(*text); }));
                   }});
  std::printf("%-16s %10s %10s %10s %10s %8s %8s %9s %12s\n", "input", "bytes(4n)", "s at n", "s at 2n", "s at 4n",
              "x/dbl", "x/dbl", "peak B/B", "ref s (4n)");
  for (const TCase& c : cases) {
    TMeasure m[3];
    size_t bytes = 0;
    for (int i = 0; i < 3; ++i) {
      auto [b, work] = c.Make(c.Sizes[i]);
      bytes = b;
      m[i] = Measure(work, b);
      if (m[i].Seconds > 60)   // quadratic: the next size would take minutes
        break;
    }
    const std::string reference = Paragraphs(bytes);
    const TMeasure ref = Measure([&] { ParseAndLayout(reference); }, reference.size());
    auto ratio = [&](int i) {
      return m[i - 1].Seconds > 0 && m[i].Seconds > 0 ? m[i].Seconds / m[i - 1].Seconds : NAN;
    };
    std::printf("%-16s %10zu %10.3f %10.3f %10.3f %8.2f %8.2f %9.1f %12.3f\n", c.Name, bytes, m[0].Seconds,
                m[1].Seconds, m[2].Seconds, ratio(1), ratio(2), m[2].PeakPerByte, ref.Seconds);
    std::fflush(stdout);
  }
}

void BM_TextareaOf2MChars(benchmark::State& state)
{
  const std::string text(2000000, 'w');
  for (auto _ : state)
    MemoLayout(text);
}
BENCHMARK(BM_TextareaOf2MChars)->Unit(benchmark::kMillisecond);

}   // namespace

int main(int argc, char** argv)
{
  TApplication::Initialize(argc, argv);
  PrintFigures();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  GBitmap.reset();
  TApplication::Finalize();
  return 0;
}
