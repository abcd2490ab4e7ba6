// Printing tests: the program's printer pointed at a PDF file in the tests' output, and the
// PDF read back with poppler's tools (page count, text in reading order, word boxes).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Printers.h"
#include "tests/platform/PrintSpooler.h"

namespace printtest {

// Points the program's printer at a fresh PDF file of that name (300 dpi); gives its path.
inline std::string PrintToPdf(const std::string& name, Integer dpi = 300)
{
  std::string path = OutputDir() + "/" + name;
  std::filesystem::remove(path);
  Printer().SetOutputFileName(path);
  Printer().SetResolution(dpi);
  return path;
}

// pdfinfo's page count; -1 when the file is no PDF.
inline int PageCount(const std::string& pdf)
{
  std::smatch m;
  std::string info = testcmd::Output("pdfinfo '" + pdf + "' 2>/dev/null");
  if (std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")))
    return std::stoi(m[1]);
  return -1;
}

// The text of pages first..last (0: all) in reading order.
inline std::string Text(const std::string& pdf, int first = 0, int last = 0)
{
  std::string range = first > 0 ? " -f " + std::to_string(first) + " -l " + std::to_string(last) : "";
  return testcmd::Output("pdftotext -layout" + range + " '" + pdf + "' - 2>/dev/null");
}

struct TWordBox {
  std::string Word;
  double XMin = 0, YMin = 0, XMax = 0, YMax = 0;   // points from the page's top left
};

// Every word of page `page` with its box.
inline std::vector<TWordBox> Words(const std::string& pdf, int page)
{
  std::string p = std::to_string(page);
  std::string html = testcmd::Output("pdftotext -bbox -f " + p + " -l " + p + " '" + pdf + "' - 2>/dev/null");
  std::vector<TWordBox> words;
  std::regex re("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), re); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    words.push_back({m[5], std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4])});
  }
  return words;
}

inline const TWordBox* FindWord(const std::vector<TWordBox>& words, const std::string& w)
{
  for (const TWordBox& b : words)
    if (b.Word == w)
      return &b;
  return nullptr;
}

// Positions of the needles in the text, in order; -1 for one not found after the previous.
inline bool InOrder(const std::string& text, const std::vector<std::string>& needles)
{
  size_t at = 0;
  for (const std::string& n : needles) {
    size_t p = text.find(n, at);
    if (p == std::string::npos)
      return false;
    at = p + n.size();
  }
  return true;
}

// How often each word stands in a text: words are runs of ASCII letters and digits, so that
// a PDF's text and the page's own text compare whatever punctuation and spacing they hold.
inline std::map<std::string, int> WordCounts(const std::string& text)
{
  std::map<std::string, int> counts;
  std::string word;
  auto isWordChar = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); };
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && isWordChar(text[i])) {
      word += text[i];
    } else if (!word.empty()) {
      ++counts[word];
      word.clear();
    }
  }
  return counts;
}

// The words whose counts differ, as "word: expected n, found m" lines; empty when none.
inline std::string WordCountDifferences(const std::map<std::string, int>& expected,
                                        const std::map<std::string, int>& found)
{
  std::string out;
  auto count = [](const std::map<std::string, int>& m, const std::string& w) {
    auto it = m.find(w);
    return it == m.end() ? 0 : it->second;
  };
  std::map<std::string, int> all = expected;
  all.insert(found.begin(), found.end());
  for (const auto& [w, n] : all)
    if (count(expected, w) != count(found, w))
      out +=
          w + ": expected " + std::to_string(count(expected, w)) + ", found " + std::to_string(count(found, w)) + "\n";
  return out;
}

// Every page of a PDF rastered at dpi, in order: its pixels row by row as 0x00RRGGBB.
struct TRaster {
  int W = 0, H = 0;
  std::vector<uint32_t> Px;
};
inline std::vector<TRaster> PageRasters(const std::string& pdf, int dpi)
{
  const std::filesystem::path base = pdf + ".raster";
  const std::string prefix = base.filename().string() + "-";
  auto pictures = [&] {
    std::vector<std::filesystem::path> found;
    for (const auto& e : std::filesystem::directory_iterator(base.parent_path()))
      if (e.path().filename().string().rfind(prefix, 0) == 0 && e.path().extension() == ".ppm")
        found.push_back(e.path());
    // pdftoppm numbers pages with as many digits as the last one has: sorting by length
    // first keeps them in page order.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
      const std::string x = a.string(), y = b.string();
      return x.size() != y.size() ? x.size() < y.size() : x < y;
    });
    return found;
  };
  for (const auto& old : pictures())
    std::filesystem::remove(old);
  testcmd::Output("pdftoppm -r " + std::to_string(dpi) + " '" + pdf + "' '" + base.string() + "' 2>/dev/null");
  std::vector<TRaster> pages;
  for (const auto& picture : pictures()) {
    std::ifstream in(picture, std::ios::binary);
    std::string magic;
    int maxval = 0;
    TRaster& r = pages.emplace_back();
    in >> magic >> r.W >> r.H >> maxval;
    in.get();
    std::string rgb(static_cast<size_t>(std::max(r.W, 0)) * static_cast<size_t>(std::max(r.H, 0)) * 3, '\xFF');
    in.read(rgb.data(), static_cast<std::streamsize>(rgb.size()));
    if (magic != "P6" || maxval != 255 || !in)
      r = {};
    r.Px.resize(static_cast<size_t>(r.W) * static_cast<size_t>(r.H));
    for (size_t i = 0; i < r.Px.size(); ++i)
      r.Px[i] = uint32_t(uint8_t(rgb[i * 3])) << 16 | uint32_t(uint8_t(rgb[i * 3 + 1])) << 8 | uint8_t(rgb[i * 3 + 2]);
    in.close();
    std::filesystem::remove(picture);
  }
  return pages;
}

// Every page of a PDF in order: whether anything was printed on it (pixels clearly darker
// than the paper).
inline std::vector<bool> InkedPages(const std::string& pdf, int dpi = 30)
{
  std::vector<bool> inked;
  for (const TRaster& r : PageRasters(pdf, dpi))
    inked.push_back(std::count_if(r.Px.begin(), r.Px.end(),
                                  [](uint32_t c) { return (c >> 16) + (c >> 8 & 0xFF) + (c & 0xFF) < 600; })
                    >= 2);
  return inked;
}

// Leaves the program's printer on no file again.
struct TPrinterReset {
  ~TPrinterReset() { Printer().SetOutputFileName(""); }
};

}   // namespace printtest
