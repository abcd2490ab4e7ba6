// Pages shaped as pages written elsewhere start (an XML declaration, a document type, line
// breaks and a comment before BODY, a sheet with fonts that are not installed and CSS
// variables), rendered as the page pane shows them and written out to be looked at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "html/HtmlViewer.h"
#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "tools/page-shot/PageShot.h"

namespace {

class PageShot : public ::testing::Test {
protected:
  void SetUp() override
  {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Dir = std::string(ORRELO_TEST_OUTPUT) + "/pageshot/" + info->name();
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir + "/Html/Topics");
    std::filesystem::create_directories(Dir + "/Html/Images");
  }
  std::string Write(const std::string& Name, const std::string& Text) const
  {
    const std::string path = Dir + "/" + Name;
    std::ofstream(path, std::ios::binary) << Text;
    return path;
  }
  // Pixels of exactly one colour (0x00BBGGRR) within rows Top..Bottom-1.
  static int Count(const TBitmap& B, TColor C, int Top = 0, int Bottom = -1)
  {
    if (Bottom < 0)
      Bottom = B.Height();
    int n = 0;
    for (int y = Top; y < Bottom; ++y)
      for (int x = 0; x < B.Width(); ++x)
        n += (B.GetPixel(x, y) & 0xFFFFFF) == C;
    return n;
  }
  // The first and last rows holding a pixel of colour C, -1 when none does.
  static std::pair<int, int> Rows(const TBitmap& B, TColor C)
  {
    int first = -1, last = -1;
    for (int y = 0; y < B.Height(); ++y)
      for (int x = 0; x < B.Width(); ++x)
        if ((B.GetPixel(x, y) & 0xFFFFFF) == C) {
          if (first < 0)
            first = y;
          last = y;
          break;
        }
    return {first, last};
  }
  std::string Dir;
};

constexpr TColor PageBack = 0xDCF8FF;   // #fff8dc
constexpr TColor PreBack = 0xFFE8E8;    // #e8e8ff
constexpr TColor Heading = 0x004080;    // #804000

const char* const RealPage = R"(<?xml version="1.0" encoding="windows-1252"?>
<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<!-- Written in another editor -->
<html>
<head>
  <title>Gear trains</title>
  <style type="text/css">
    :root { --heading: 40px; }
    body { font-family: "Segoe UI", Helvetica, Arial, sans-serif; }
    h1 { font-size: var(--heading); color: #804000; font-weight: var(--w); }
    pre, code { font-family: Consolas, Menlo, monospace; }
    pre { background-color: #e8e8ff; }
  </style>
</head>
<body bgcolor="#fff8dc" text="#202060" link="#006000" marginwidth="20">
<h1>Gear trains</h1>
<p>A <b>gear train</b> passes motion from one shaft to another. See the <a href="next.htm">next page</a>
and the call <code>Mesh(driver, driven)</code>.</p>
<pre>
ratio  = teeth(driven) / teeth(driver)
       = 36 / 12
</pre>
<p><img src="/images/gear.bmp"> The end.</p>
</body>
</html>
)";

TEST_F(PageShot, ARealPageKeepsItsBodyHeadingAndPreformattedLook)
{
  TBitmap gear(30, 20);
  gear.Canvas().FillRect(Rect(0, 0, 30, 20), clRed);
  SaveBmpToFile(gear, Dir + "/Html/Images/gear.bmp");
  const std::string page = Write("Html/Topics/gears.htm", RealPage);
  std::unique_ptr<TBitmap> shot = ShootPage(page, 600);
  SavePagePicture(*shot, std::string(ORRELO_TEST_OUTPUT) + "/pageshot_real_page.png");

  ASSERT_EQ(shot->Width(), 600);
  EXPECT_GT(shot->Height(), 150);
  EXPECT_LT(shot->Height(), 400);
  // The BODY's background fills the page from the very top: nothing (no XML declaration
  // shown as text) stands above the heading.
  EXPECT_EQ(shot->GetPixel(0, 0) & 0xFFFFFF, PageBack);
  EXPECT_EQ(shot->GetPixel(599, shot->Height() - 1) & 0xFFFFFF, PageBack);
  EXPECT_GT(Count(*shot, PageBack), 600 * 100);
  const auto [top, bottom] = Rows(*shot, Heading);
  ASSERT_GE(top, 0);
  for (int y = 0; y < top; ++y)
    ASSERT_EQ(Count(*shot, PageBack, y, y + 1), 600) << "row " << y;
  // The heading keeps its default size (20 points at a default of 10, 26 pixels) rather
  // than falling to the default text size.
  EXPECT_GE(bottom - top, 14);
  EXPECT_GT(Count(*shot, PreBack), 500);
  // The picture below the server root ("/images/..." from the HTML folder).
  EXPECT_GT(Count(*shot, clRed), 500);
}

TEST_F(PageShot, LongPagesAreCutAtTheCapAndMissingPagesFail)
{
  std::string lines = "<!DOCTYPE html>\n<body bgcolor=#fff8dc>\n";
  for (int i = 0; i < 120; ++i)
    lines += "<p>Line " + std::to_string(i) + "</p>\n";
  const std::string page = Write("long.htm", lines);
  std::unique_ptr<TBitmap> full = ShootPage(page, 200);
  EXPECT_GT(full->Height(), 1500);
  EXPECT_EQ(full->GetPixel(5, full->Height() - 1) & 0xFFFFFF, PageBack);
  std::unique_ptr<TBitmap> cut = ShootPage(page, 200, 700);
  EXPECT_EQ(cut->Height(), 700);
  EXPECT_EQ(ShootPage(page, 200, 999999)->Height(), full->Height());

  try {
    ShootPage(Dir + "/nowhere.htm", 200);
    ADD_FAILURE() << "a missing page loaded";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Can't locate file: " + Dir + "/nowhere.htm");
  }
  EXPECT_THROW(ShootPage(Dir + "/Html", 200), Exception);   // a folder is no page
}

TEST(PageShotRoot, TheNearestHtmlFolderStandsForTheRoot)
{
  EXPECT_EQ(PageServerRoot("/a/HTML/b/Html/c/page.htm"), "/a/HTML/b/Html");
  EXPECT_EQ(PageServerRoot("/a/html/page.htm"), "/a/html");
  EXPECT_EQ(PageServerRoot("/a/htmlx/page.htm"), "/a/htmlx");
  EXPECT_EQ(PageServerRoot("/page.htm"), "/");
}

}   // namespace
