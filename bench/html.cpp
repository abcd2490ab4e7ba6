// Parse plus layout at 800 px of generated pages of 10 KB, 100 KB and 1 MB of each kind:
// one long paragraph, many paragraphs, tables nested 200 deep, a table of one row per ten
// bytes (100,000 rows at 1 MB), styled spans (50,000 at 1 MB), and a small ordinary page.
// Printed first: time per KB, the ratio between sizes (linear growth gives 10 per step of
// ten, that is 2 per doubling; the target is at most 2.5 per doubling) and the heap the
// document holds per byte of page. Then Google Benchmark times the 10 KB and 100 KB pages.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/Document.h"
#include "html/HtmlReader.h"
#include "platform/Application.h"

namespace {

std::string Word(unsigned& V)
{
  static const char* words[] = {"gear",           "wheel", "the",      "a",    "mechanism", "of",    "pulley",
                                "crank",          "to",    "lever",    "is",   "ratchet",   "and",   "in",
                                "counterbalance", "cam",   "sprocket", "belt", "load",      "effort"};
  V = V * 1103515245u + 12345u;
  return words[(V >> 16) % std::size(words)];
}

std::string Text(size_t Bytes, unsigned Seed)
{
  std::string s;
  while (s.size() < Bytes) {
    if (!s.empty())
      s += ' ';
    s += Word(Seed);
  }
  return s;
}

std::string LongParagraph(size_t Bytes) { return "<html><body><p>" + Text(Bytes, 1) + "</p></body></html>"; }

std::string Paragraphs(size_t Bytes)
{
  std::string s = "<html><body>";
  unsigned seed = 2;
  while (s.size() < Bytes) {
    s += "<p>" + Text(300 + seed % 400, seed) + "</p>\n";
    seed = seed * 69069u + 1;
  }
  return s + "</body></html>";
}

std::string NestedTables(size_t Bytes)
{
  std::string s = "<html><body>";
  unsigned seed = 3;
  while (s.size() < Bytes) {
    for (int i = 0; i < 200; ++i)
      s += "<table border=1><tr><td>" + Word(seed) + " ";
    for (int i = 0; i < 200; ++i)
      s += "</td><td>" + Word(seed) + "</td></tr></table>";
  }
  return s + "</body></html>";
}

std::string LongTable(size_t Bytes)
{
  std::string s = "<html><body><table border=1>";
  unsigned seed = 4;
  while (s.size() < Bytes) {
    seed = seed * 69069u + 1;
    s += "<tr><td>" + std::to_string(seed % 100);
  }
  return s + "</table></body></html>";
}

std::string StyledSpans(size_t Bytes)
{
  static const char* styles[] = {"color:red", "font-weight:bold", "font-size:14px", "font-style:italic"};
  std::string s = "<html><body><p>";
  unsigned seed = 5;
  for (int i = 0; s.size() < Bytes; ++i)
    s += "<span style=\"" + std::string(styles[i % 4]) + "\">" + Word(seed) + "</span> ";
  return s + "</p></body></html>";
}

std::string SmallPage()
{
  std::string s = "<html><head><title>Gears</title></head><body><h1>Gears</h1>";
  unsigned seed = 6;
  for (int i = 0; i < 8; ++i)
    s += "<p>" + Text(700, seed + static_cast<unsigned>(i)) + " <b>bold</b> <a href=x.htm>link</a></p>";
  s += "<ul>";
  for (int i = 0; i < 10; ++i)
    s += "<li>" + Text(60, seed + 20 + static_cast<unsigned>(i));
  s += "</ul><table border=1 cellpadding=3><tr><th>Teeth<th>Ratio<th>Notes";
  for (int i = 0; i < 12; ++i)
    s += "<tr><td>" + std::to_string(10 + i) + "<td>1:" + std::to_string(i + 1) + "<td>"
         + Text(40, seed + 40 + static_cast<unsigned>(i));
  return s + "</table></body></html>";
}

struct Kind {
  const char* Name;
  std::function<std::string(size_t)> Make;
};

const std::vector<Kind>& Kinds()
{
  static const std::vector<Kind> k = {{"long paragraph", LongParagraph},
                                      {"paragraphs", Paragraphs},
                                      {"nested tables", NestedTables},
                                      {"long table", LongTable},
                                      {"styled spans", StyledSpans}};
  return k;
}

// The canvas pages are measured on; freed before the application goes.
std::unique_ptr<TBitmap> GBitmap;

TCanvas& MeasureCanvas()
{
  if (!GBitmap)
    GBitmap = std::make_unique<TBitmap>(1, 1);
  return GBitmap->Canvas();
}

// Parses and lays out Page at 800 px; the heap the document holds is given in Heap.
void ParseAndLayout(const std::string& Page, size_t* Heap = nullptr)
{
  TStringBitmapList cache;
  THtmlDocHost host;
  const size_t before = mallinfo2().uordblks;
  TSectionList doc(&host, nullptr);
  doc.BitmapList = &cache;
  doc.ShowImages = false;
  doc.SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10, 12);
  THtmlParseContext ctx;
  ParseHTMLDocument(Page, doc, ctx);
  int32_t scrollWidth = 0, curs = 0;
  doc.DoLogic(MeasureCanvas(), 0, 800, 600, scrollWidth, curs);
  if (Heap) {
    const size_t after = mallinfo2().uordblks;
    *Heap = after > before ? after - before : 0;
  }
  benchmark::DoNotOptimize(scrollWidth);
}

double Seconds(const std::string& Page, int Repeats)
{
  double best = 1e30;
  for (int i = 0; i < Repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ParseAndLayout(Page);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void PrintScaling()
{
  std::printf("%-16s %12s %12s %12s %9s %9s %10s\n", "kind", "10 KB ms/KB", "100 KB ms/KB", "1 MB ms/KB", "x10 ratio",
              "x10 ratio", "heap/byte");
  for (const Kind& k : Kinds()) {
    double t[3] = {0, 0, 0};
    size_t heap = 0, bytes = 0;
    const size_t sizes[3] = {10 * 1024, 100 * 1024, 1024 * 1024};
    for (int i = 0; i < 3; ++i) {
      const std::string page = k.Make(sizes[i]);
      // Best of two at 1 MB: the first run also pays for the heap growing to hold it.
      t[i] = Seconds(page, i == 2 ? 2 : 3);
      if (i == 2) {
        bytes = page.size();
        ParseAndLayout(page, &heap);
      }
      // A super-linear case would run for minutes at the next size: say so and stop.
      if (t[i] > 30)
        break;
    }
    auto perKB = [&](int i) { return t[i] * 1000 / (static_cast<double>(sizes[i]) / 1024); };
    // Ratio per step of ten in size, and its value per doubling (ten = 2^3.32).
    auto ratio = [&](int i) { return t[i - 1] > 0 && t[i] > 0 ? t[i] / t[i - 1] : NAN; };
    std::printf("%-16s %12.4f %12.4f %12.4f %9.1f %9.1f %10.1f\n", k.Name, perKB(0), perKB(1), perKB(2), ratio(1),
                ratio(2), bytes ? static_cast<double>(heap) / static_cast<double>(bytes) : NAN);
    std::printf("%-16s per doubling: %.2f and %.2f\n", "", std::pow(ratio(1), 1 / std::log2(10.0)),
                std::pow(ratio(2), 1 / std::log2(10.0)));
  }
  const std::string small = SmallPage();
  std::printf("small page (%zu bytes: paragraphs, a list, a table): %.3f ms\n", small.size(),
              Seconds(small, 20) * 1000);
  const std::string mb = Paragraphs(1024 * 1024);
  std::printf("1 MB of ordinary paragraphs: %.1f ms\n", Seconds(mb, 3) * 1000);
  std::fflush(stdout);
}

void BM_SmallPage(benchmark::State& State)
{
  const std::string page = SmallPage();
  for (auto _ : State)
    ParseAndLayout(page);
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_SmallPage)->Unit(benchmark::kMillisecond);

void BM_Kind(benchmark::State& State)
{
  const Kind& k = Kinds()[static_cast<size_t>(State.range(0))];
  const std::string page = k.Make(static_cast<size_t>(State.range(1)));
  State.SetLabel(k.Name);
  for (auto _ : State)
    ParseAndLayout(page);
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Kind)->ArgsProduct({{0, 1, 2, 3, 4}, {10 * 1024, 100 * 1024}})->Unit(benchmark::kMillisecond);

}   // namespace

int main(int argc, char** argv)
{
  TApplication::Initialize(argc, argv);
  PrintScaling();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  GBitmap.reset();
  TApplication::Finalize();
  return 0;
}
