// Printing tests: the program's printer pointed at a PDF file in the tests' output, and the
// PDF read back with poppler's tools (page count, text in reading order, word boxes).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "platform/Printers.h"

namespace printtest {

inline std::string OutputDir()
{
  std::string dir = std::string(ORRELO_TEST_OUTPUT) + "/printing";
  std::filesystem::create_directories(dir);
  return dir;
}

// Points the program's printer at a fresh PDF file of that name (300 dpi); gives its path.
inline std::string PrintToPdf(const std::string& name, Integer dpi = 300)
{
  std::string path = OutputDir() + "/" + name;
  std::filesystem::remove(path);
  Printer().SetOutputFileName(path);
  Printer().SetResolution(dpi);
  return path;
}

inline std::string RunCommand(const std::string& command)
{
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
      out.append(buf, n);
    pclose(p);
  }
  return out;
}

// pdfinfo's page count; -1 when the file is no PDF.
inline int PageCount(const std::string& pdf)
{
  std::smatch m;
  std::string info = RunCommand("pdfinfo '" + pdf + "' 2>/dev/null");
  if (std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")))
    return std::stoi(m[1]);
  return -1;
}

// The text of pages first..last (0: all) in reading order.
inline std::string Text(const std::string& pdf, int first = 0, int last = 0)
{
  std::string range = first > 0 ? " -f " + std::to_string(first) + " -l " + std::to_string(last) : "";
  return RunCommand("pdftotext -layout" + range + " '" + pdf + "' - 2>/dev/null");
}

struct TWordBox {
  std::string Word;
  double XMin = 0, YMin = 0, XMax = 0, YMax = 0;   // points from the page's top left
};

// Every word of page `page` with its box.
inline std::vector<TWordBox> Words(const std::string& pdf, int page)
{
  std::string p = std::to_string(page);
  std::string html = RunCommand("pdftotext -bbox -f " + p + " -l " + p + " '" + pdf + "' - 2>/dev/null");
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

// Leaves the program's printer on no file again.
struct TPrinterReset {
  ~TPrinterReset() { Printer().SetOutputFileName(""); }
};

}   // namespace printtest
