// A viewer control on pages written into a folder of the tests' output.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "html/HtmlViewer.h"
#include "platform/Bitmap.h"

class HtmlViewerTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Dir = std::string(ORRELO_TEST_OUTPUT) + "/htmlview/" + info->test_suite_name() + "_" + info->name();
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir + "/Sub");
    Viewer = std::make_unique<THTMLViewer>();
    Viewer->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override { Viewer.reset(); }

  // Writes a file below Dir; returns its full name.
  std::string Write(const std::string& Name, const std::string& Text) const
  {
    const std::string path = Dir + "/" + Name;
    std::ofstream(path, std::ios::binary) << Text;
    return path;
  }

  // A page of Lines numbered paragraphs, then an anchor named Anchor and a last line.
  static std::string LongPage(int Lines, const std::string& Anchor = "deep", const std::string& Title = "Long")
  {
    std::string s = "<html><head><title>" + Title + "</title></head><body>";
    for (int i = 0; i < Lines; ++i)
      s += "<p>Line " + std::to_string(i) + "</p>";
    s += "<a name=\"" + Anchor + "\">Target</a><p>End</p></body></html>";
    return s;
  }

  // Paints the whole viewer (which also records where the text lies for hit tests).
  TBitmap Shot() const
  {
    TBitmap b(Viewer->Width(), Viewer->Height());
    Viewer->PaintTo(b.Canvas(), 0, 0);
    return b;
  }

  std::string Dir;
  std::unique_ptr<THTMLViewer> Viewer;
};
