// The viewer printing to a PDF file and recording pages for a preview.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "html/MetaFilePrinter.h"
#include "html/ViewerPrinter.h"
#include "platform/BmpFile.h"
#include "tests/html/HtmlViewerTestUtil.h"
#include "tests/html/PrintTestUtil.h"

using namespace printtest;

namespace {

class HtmlViewerPrintTest : public HtmlViewerTest {
protected:
  void SetUp() override
  {
    HtmlViewerTest::SetUp();
    // Footers name their page, so the PDF's text tells which pages were printed.
    Viewer->OnPrintFooter = [this](TObject*, TCanvas& C, int32_t Page, int32_t W, int32_t H, bool&) {
      Footers.push_back(Page);
      FooterH = H;
      C.Font().SetName("Arial");
      C.Font().SetHeight(-12);
      C.TextOut(W / 2, H / 2, "Foot" + std::to_string(Page));
    };
    Viewer->OnPrintHeader = [this](TObject*, TCanvas&, int32_t, int32_t W, int32_t H, bool&) {
      HeaderW = W;
      HeaderH = H;
    };
  }
  void TearDown() override
  {
    Printer().SetOutputFileName("");
    HtmlViewerTest::TearDown();
  }

  int32_t PreviewPages()
  {
    TMetaFilePrinter mf;
    Viewer->PrintPreview(mf);
    return mf.PageCount();
  }

  // The height of the text area in the document's units, learnt from the header's and the
  // footer's bands (the document shown is replaced).
  int32_t TextHeight()
  {
    Viewer->LoadFromString("<html><body><p>x</p></body></html>");
    TMetaFilePrinter mf;
    Viewer->PrintPreview(mf);
    const int32_t pageH = MulDiv(mf.PageHeight, ScreenPixelsPerInch(), mf.PixelsPerInchY);
    return pageH - HeaderH - FooterH;
  }

  // Prints the document shown to a PDF of that name; checks that the preview records as many
  // pages as the PDF holds and that every one of them has something on it. Gives the PDF.
  std::string PrintEveryPageInked(const std::string& Name)
  {
    const std::string pdf = PrintToPdf(Name);
    Viewer->Print(1, 9999);
    const int pages = PageCount(pdf);
    EXPECT_EQ(PreviewPages(), pages) << Name;
    const std::vector<bool> inked = InkedPages(pdf);
    EXPECT_EQ(static_cast<int>(inked.size()), pages) << Name;
    for (size_t p = 0; p < inked.size(); ++p)
      EXPECT_TRUE(inked[p]) << Name << ": page " << p + 1 << " of " << pages << " is blank";
    return pdf;
  }

  // n one-line paragraphs, "Filler 0" on.
  static std::string Fillers(int n)
  {
    std::string s;
    for (int i = 0; i < n; ++i)
      s += "<p>Filler " + std::to_string(i) + "</p>";
    return s;
  }
  // The height a filler paragraph takes in the document (the document shown is replaced).
  int32_t FillerHeight()
  {
    Viewer->LoadFromString("<html><body>" + Fillers(10) + "</body></html>");
    const int32_t ten = Viewer->DocumentHeight();
    Viewer->LoadFromString("<html><body>" + Fillers(20) + "</body></html>");
    return (Viewer->DocumentHeight() - ten) / 10;
  }
  // 150 words to stand beside a float, " Ka100" on.
  static std::string BesideWords()
  {
    std::string beside;
    for (int i = 0; i < 150; ++i)
      beside += " Ka" + std::to_string(100 + i);
    return beside;
  }
  // A blue picture, "block.bmp" in the test's folder.
  void SaveBlueBlock()
  {
    TBitmap picture(20, 20);
    picture.Fill(clBlue);
    SaveBmpToFile(picture, Dir + "/block.bmp");
  }

  std::vector<int32_t> Footers;
  int32_t FooterH = 0, HeaderW = 0, HeaderH = 0;
};

}   // namespace

namespace {

// The rows of a grey picture (width w, height h, one byte a pixel) that hold ink, as bands
// of consecutive rows: {first row, last row}.
std::vector<std::pair<int, int>> InkBands(const std::vector<uint8_t>& Grey, int W, int H)
{
  std::vector<std::pair<int, int>> bands;
  for (int y = 0; y < H; ++y) {
    bool ink = false;
    for (int x = 0; x < W && !ink; ++x)
      ink = Grey[static_cast<size_t>(y * W + x)] < 128;
    if (!ink)
      continue;
    if (!bands.empty() && bands.back().second == y - 1)
      bands.back().second = y;
    else
      bands.push_back({y, y});
  }
  return bands;
}

// Page `page` of a PDF rastered at dpi, in grey; empty when it cannot be read.
std::vector<uint8_t> PdfPageGrey(const std::string& pdf, int page, int dpi, int& W, int& H)
{
  const std::string base = pdf + ".page" + std::to_string(page);
  const std::string p = std::to_string(page);
  testcmd::Output("pdftoppm -gray -singlefile -r " + std::to_string(dpi) + " -f " + p + " -l " + p + " '" + pdf + "' '"
                  + base + "'");
  std::ifstream in(base + ".pgm", std::ios::binary);
  std::string magic;
  int maxval = 0;
  in >> magic >> W >> H >> maxval;
  in.get();
  if (magic != "P5" || W <= 0 || H <= 0 || maxval != 255)
    return {};
  std::vector<uint8_t> grey(static_cast<size_t>(W) * static_cast<size_t>(H));
  in.read(reinterpret_cast<char*>(grey.data()), static_cast<std::streamsize>(grey.size()));
  return in ? grey : std::vector<uint8_t>{};
}

// Picture K is coloured (0, 4 K, 255): whose a pixel of a raster is, -1 for none (text is grey,
// and where a picture meets the paper its edge is paler).
TColor PictureColour(int K) { return RGBColor(0, 4 * K, 255); }
int PictureAt(uint32_t Px)
{
  return (Px >> 16) < 3 && (Px & 0xFF) > 252 ? static_cast<int>((Px >> 8 & 0xFF) + 2) / 4 : -1;
}

// Where each of Count pictures shows on a raster: the first row and the number of rows of
// the longest run of rows that hold MinWidth pixels of its colour or more.
std::vector<std::pair<int, int>> PicturesShown(const TRaster& R, int Count, int MinWidth)
{
  std::vector<std::pair<int, int>> shown(static_cast<size_t>(Count));
  std::vector<int> run(static_cast<size_t>(Count));
  for (int y = 0; y < R.H; ++y) {
    std::vector<int> n(static_cast<size_t>(Count));
    for (const uint32_t* px = &R.Px[static_cast<size_t>(y * R.W)]; px < &R.Px[static_cast<size_t>(y * R.W + R.W)]; ++px)
      if (const int k = PictureAt(*px); k >= 0 && k < Count)
        ++n[static_cast<size_t>(k)];
    for (size_t k = 0; k < run.size(); ++k) {
      run[k] = n[k] >= MinWidth ? run[k] + 1 : 0;
      if (run[k] > shown[k].second)
        shown[k] = {y - run[k] + 1, run[k]};
    }
  }
  return shown;
}

// The first and the last row of a raster that hold ink of text (grey and dark).
std::pair<int, int> TextRows(const TRaster& R)
{
  std::pair<int, int> rows{-1, -1};
  for (int y = 0; y < R.H; ++y)
    for (int x = 0; x < R.W; ++x) {
      const int c = static_cast<int>(R.Px[static_cast<size_t>(y * R.W + x)]), r = c >> 16, g = c >> 8 & 0xFF,
                b = c & 0xFF;
      if (r < 160 && g < 160 && b < 160 && std::abs(r - g) < 24 && std::abs(g - b) < 24 && std::abs(r - b) < 24) {
        rows = {rows.first < 0 ? y : rows.first, y};
        break;
      }
    }
  return rows;
}

// The whole sheet of a recorded page, its unprintable edges included as on the paper.
TRect PaperRect(const TMetaFilePrinter& mf)
{
  return {-mf.PhysicalOffsetX, -mf.PhysicalOffsetY, mf.PhysicalWidth - mf.PhysicalOffsetX,
          mf.PhysicalHeight - mf.PhysicalOffsetY};
}

// The words of page `page` of a PDF that do not show whole: no ink in their lower half (a
// line cut by the blank below the page's end).
std::string HiddenWords(const std::string& pdf, int page)
{
  int W = 0, H = 0;
  const std::vector<uint8_t> grey = PdfPageGrey(pdf, page, 72, W, H);
  std::string hidden;
  for (const TWordBox& w : Words(pdf, page)) {
    bool ink = false;
    for (int y = static_cast<int>((w.YMin + w.YMax) / 2); y < std::min(static_cast<int>(w.YMax), H); ++y)
      for (int x = static_cast<int>(w.XMin); x < std::min(static_cast<int>(w.XMax), W); ++x)
        ink = ink || grey[static_cast<size_t>(y * W + x)] < 128;
    hidden += ink ? "" : " " + w.Word;
  }
  return hidden;
}

}   // namespace

TEST_F(HtmlViewerPrintTest, PrintedPagesMatchThePreviewAndReadInOrder)
{
  Viewer->LoadFromString(LongPage(150));
  const std::string pdf = PrintToPdf("viewer-pages.pdf");
  const int32_t pages = PreviewPages();
  ASSERT_GE(pages, 3);
  std::vector<int32_t> expected;
  for (int32_t p = 1; p <= pages; ++p)
    expected.push_back(p);
  EXPECT_EQ(Footers, expected);
  EXPECT_EQ(Viewer->PrintPageNumber(), pages);

  Footers.clear();
  Viewer->Print(1, 9999);
  EXPECT_EQ(Footers, expected);
  EXPECT_EQ(PageCount(pdf), pages);
  const std::string text = Text(pdf);
  std::vector<std::string> lines;
  for (int i = 0; i < 150; ++i)
    lines.push_back("Line " + std::to_string(i) + "\n");
  lines.push_back("Target");
  lines.push_back("End");
  EXPECT_TRUE(InOrder(text, lines)) << text;
  // No line is printed twice at a page's edges.
  for (int i : {0, 40, 77, 149}) {
    const std::string line = "Line " + std::to_string(i) + "\n";
    const size_t first = text.find(line);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(text.find(line, first + 1), std::string::npos) << line;
  }
  // The last footer belongs to the last page.
  EXPECT_NE(Text(pdf, pages, pages).find("Foot" + std::to_string(pages)), std::string::npos);
}

// At any printer resolution the letters of a word keep the font's spacing: the PDF's text, as
// a reader extracts it, holds every word whole (at 150 dpi whole logical units placed letters
// up to a pixel and a half from where the font has them, splitting words).
TEST_F(HtmlViewerPrintTest, WordsReadBackWholeAtAnyResolution)
{
  std::string words;
  const char* stems[] = {"change", "turns.", "Velocity", "ratio,", "Torque", "wheel's", "mechanism", "W0"};
  for (int i = 0; i < 240; ++i)
    words += std::string(i ? " " : "") + stems[i % 8] + std::to_string(i);
  Viewer->OnPrintFooter = nullptr;
  Viewer->LoadFromString("<html><body><p>" + words + "</p><p><font size=2>" + words + "</font></p><p><b>" + words
                         + "</b></p></body></html>");
  auto tokens = [](const std::string& text) {
    std::map<std::string, int> counts;
    std::istringstream in(text);
    for (std::string w; in >> w;)
      ++counts[w];
    return counts;
  };
  std::map<std::string, int> expected = tokens(words);
  for (auto& [w, n] : expected)
    n *= 3;
  for (const Integer dpi : {150, 200, 300}) {
    SCOPED_TRACE(dpi);
    const std::string pdf = PrintToPdf("viewer-words-" + std::to_string(dpi) + ".pdf", dpi);
    Viewer->Print(1, 9999);
    EXPECT_EQ(WordCountDifferences(expected, tokens(testcmd::Output("pdftotext '" + pdf + "' - 2>/dev/null"))), "");
  }
}

// The printing copy of a table keeps the columns the screen's layout measured: tables of
// several columns, one spanning two and one inside a cell, print every cell in its place.
TEST_F(HtmlViewerPrintTest, TablesPrintEveryCell)
{
  Viewer->LoadFromString(
      "<html><body><table border=1><tr><td>North west</td><td>North east</td></tr>"
      "<tr><td colspan=2>Across both</td></tr>"
      "<tr><td><table><tr><td>Inner one</td><td>Inner two</td></tr></table></td><td>South east</td></tr>"
      "</table><p>After</p></body></html>");
  EXPECT_EQ(PreviewPages(), 1);
  const std::string pdf = PrintToPdf("viewer-tables.pdf");
  Viewer->Print(1, 9999);
  const std::string text = Text(pdf);
  EXPECT_TRUE(
      InOrder(text, {"North west", "North east", "Across both", "Inner one", "Inner two", "South east", "After"}))
      << text;

  // A row across the page's end whose cells' lines fall half a line apart (each cell centred
  // on the row), and a row taller than a page: every word once and whole, and nothing of the
  // table's rules below the text area.
  std::string cells, words;
  for (const int lines : {40, 39, 70}) {
    cells += lines < 70 ? "<td>" : "</tr><tr><td valign=top colspan=2>";
    for (int i = 0; i < lines; ++i, words += " Cell" + std::to_string(words.size()))
      cells += "Cell" + std::to_string(words.size()) + "<br>";
  }
  Viewer->OnPrintFooter = nullptr;
  const int32_t fillers = TextHeight() / 2 / FillerHeight();
  for (int i = 0; i < fillers; ++i)
    words += " Filler " + std::to_string(i);
  Viewer->LoadFromString("<html><body>" + Fillers(fillers) + "<table border=1><tr>" + cells
                         + "</tr></table></body></html>");
  const std::string across = PrintToPdf("viewer-tables-across.pdf");
  Viewer->Print(1, 9999);
  EXPECT_EQ(WordCountDifferences(WordCounts(words), WordCounts(Text(across))), "");
  for (int page = 1; page <= PageCount(across); ++page) {
    EXPECT_EQ(HiddenWords(across, page), "") << "page " << page;
    int W = 0, H = 0;
    const std::vector<uint8_t> grey = PdfPageGrey(across, page, 300, W, H);
    const auto margin = grey.end() - static_cast<ptrdiff_t>(2 / 2.54 * 300 - 1) * W;
    EXPECT_EQ(std::count_if(margin, grey.end(), [](uint8_t g) { return g < 200; }), 0) << "page " << page;
  }
}

// The preview shows a page at any window's size with every box's border, each as a line of
// its own, where a border is thinner than a pixel of the preview.
TEST_F(HtmlViewerPrintTest, ThePreviewShowsEveryBorderAtAnySize)
{
  std::string page = "<html><body>";
  for (int i = 0; i < 12; ++i)
    page += "<div style=\"border: 1px solid black; height: 20px; margin: 9px 20px\">&nbsp;</div>";
  Viewer->LoadFromString(page + "</body></html>");
  TMetaFilePrinter mf;
  Viewer->PrintPreview(mf);
  ASSERT_EQ(mf.PageCount(), 1);
  const TRect paper = PaperRect(mf);
  for (int h : {550, 600, 650, 700, 760, 800, 850, 900, 999}) {
    const int w = MulDiv(h, paper.Width(), paper.Height());
    std::unique_ptr<TBitmap> shot = mf.MetaFile(0).Render(w, h, paper);
    // Down the middle, above the footer: a run of darker pixels for each box's top and
    // bottom border.
    int lines = 0;
    bool inLine = false;
    for (int y = 0; y < h * 3 / 4; ++y) {
      const bool dark = GetRValue(shot->GetPixel(w / 2, y)) < 220;
      lines += dark && !inLine;
      inLine = dark;
    }
    EXPECT_EQ(lines, 24) << "borders shown at " << w << " by " << h;
  }
}

// A box whose contents all go to the next page (a table moved there whole, a box whose first
// line does not fit) takes its border with it: no edge of it is left at the first page's foot.
TEST_F(HtmlViewerPrintTest, ABoxThatGoesToTheNextPageLeavesNoEdgeBehind)
{
  const int32_t th = TextHeight();
  const std::string edge = "border: 3px solid #20C040; padding: 2px";
  // A blank table cell fills the page down to where the box starts.
  auto filler = [](int32_t h) {
    return "<table cellspacing=0 cellpadding=0><tr><td height=" + std::to_string(h) + ">Above</td></tr></table>";
  };
  const std::string boxes[] = {filler(th * 4 / 5) + "<table style=\"" + edge + "\"><tr><td height="
                                   + std::to_string(th * 2 / 5) + ">Moved whole</td></tr></table>",
                               filler(th - 8) + "<div style=\"" + edge
                                   + "\"><p>First line</p><p>Second line</p></div>"};
  for (const std::string& box : boxes) {
    SCOPED_TRACE(box);
    Viewer->LoadFromString("<html><body style=\"margin: 0\">" + box + "</body></html>");
    TMetaFilePrinter mf;
    Viewer->PrintPreview(mf);
    ASSERT_EQ(mf.PageCount(), 2);
    auto green = [&](int32_t page) {
      std::unique_ptr<TBitmap> shot =
          mf.MetaFile(page).Render(mf.PageWidth / 4, mf.PageHeight / 4, Rect(0, 0, mf.PageWidth, mf.PageHeight));
      int n = 0;
      for (int y = 0; y < shot->Height(); ++y)
        for (int x = 0; x < shot->Width(); ++x) {
          const TColor c = shot->GetPixel(x, y);
          n += GetGValue(c) > GetRValue(c) + 40 && GetGValue(c) > GetBValue(c) + 40;
        }
      return n;
    };
    EXPECT_EQ(green(0), 0) << "an edge of the box on the first page";
    EXPECT_GT(green(1), 0) << "no box on the second page";
  }
}

TEST_F(HtmlViewerPrintTest, MarginsAndScaleAsSet)
{
  Viewer->MarginWidth = 0;
  Viewer->LoadFromString("<html><body><p>Alpha beta</p><p>Gamma</p></body></html>");
  auto firstWord = [&](const std::string& name) {
    const std::string pdf = PrintToPdf(name);
    Viewer->Print(1, 1);
    std::vector<TWordBox> words = Words(pdf, 1);
    const TWordBox* w = FindWord(words, "Alpha");
    EXPECT_NE(w, nullptr) << name;
    return w ? *w : TWordBox{};
  };
  constexpr double PointsPerCm = 72 / 2.54;
  const TWordBox plain = firstWord("viewer-margins-2cm.pdf");
  // The left margin is measured from the paper's edge.
  EXPECT_NEAR(plain.XMin, 2 * PointsPerCm, 3);

  // No margin at all: the text starts at the printable area's edge, not cut off beyond it.
  Viewer->PrintMarginLeft = 0;
  const double edge = Printer().GetDeviceCaps(PHYSICALOFFSETX) * 72.0 / Printer().GetDeviceCaps(LOGPIXELSX);
  const TWordBox bare = firstWord("viewer-margins-0cm.pdf");
  EXPECT_NEAR(bare.XMin, edge, 1.5);
  EXPECT_NEAR(bare.XMax - bare.XMin, plain.XMax - plain.XMin, 0.5);

  Viewer->PrintMarginLeft = 5;
  Viewer->PrintMarginTop = 4;
  const TWordBox moved = firstWord("viewer-margins-5cm.pdf");
  EXPECT_NEAR(moved.XMin - plain.XMin, 3 * PointsPerCm, 1.5);
  EXPECT_NEAR(moved.YMin - plain.YMin, 2 * PointsPerCm, 1.5);

  // Twice the scale prints at half the size.
  Viewer->PrintScale = 2.0;
  const TWordBox half = firstWord("viewer-scale-2.pdf");
  EXPECT_NEAR((half.YMax - half.YMin) / (plain.YMax - plain.YMin), 0.5, 0.08);
  EXPECT_NEAR((half.XMax - half.XMin) / (plain.XMax - plain.XMin), 0.5, 0.08);
  // Scales beyond 4 print as 4.
  Viewer->PrintScale = 10.0;
  EXPECT_EQ(Viewer->PrintScale, 4.0);   // what a print set-up reads back is what prints
  const TWordBox quarter = firstWord("viewer-scale-10.pdf");
  EXPECT_NEAR((quarter.XMax - quarter.XMin) / (plain.XMax - plain.XMin), 0.25, 0.05);
  Viewer->PrintScale = 0.1;
  EXPECT_EQ(Viewer->PrintScale, 0.25);
  Viewer->PrintScale = std::nan("");
  EXPECT_EQ(Viewer->PrintScale, 0.25);
}

TEST_F(HtmlViewerPrintTest, TwiceTheScaleHoldsTwiceTheLinesAPage)
{
  Viewer->LoadFromString(LongPage(400));
  // How many lines the printed page holds.
  auto linesOfPage = [&](int32_t Page) {
    const std::string pdf = PrintToPdf("viewer-scale-lines.pdf");
    Viewer->Print(Page, Page);
    int lines = 0;
    for (const TWordBox& w : Words(pdf, 1))
      lines += w.Word == "Line";
    return lines;
  };
  const int32_t plainPages = PreviewPages();
  const int plain = linesOfPage(2);
  Viewer->PrintScale = 2.0;
  const int32_t halfPages = PreviewPages();
  const int half = linesOfPage(2);
  ASSERT_GT(plain, 10);
  EXPECT_NEAR(double(half) / plain, 2.0, 0.1);
  EXPECT_NEAR(double(halfPages), plainPages / 2.0, 1.0);
}

TEST_F(HtmlViewerPrintTest, APageRangePrintsOnlyThosePages)
{
  Viewer->LoadFromString(LongPage(250));
  ASSERT_GE(PreviewPages(), 5);
  const std::string pdf = PrintToPdf("viewer-range-2-3.pdf");
  Footers.clear();
  Viewer->Print(2, 3);
  // Pages before the range are laid out only to find where they end.
  EXPECT_EQ(Footers, (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(Viewer->PrintPageNumber(), 3);
  EXPECT_EQ(PageCount(pdf), 2);
  const std::string text = Text(pdf);
  EXPECT_NE(text.find("Foot2"), std::string::npos);
  EXPECT_NE(text.find("Foot3"), std::string::npos);
  EXPECT_EQ(text.find("Foot1"), std::string::npos);
  EXPECT_EQ(text.find("Line 0\n"), std::string::npos);

  // A range past the end prints nothing: the job is dropped.
  Viewer->LoadFromString(LongPage(60));
  const int32_t pages = PreviewPages();
  ASSERT_GE(pages, 2);
  const std::string none = PrintToPdf("viewer-range-past-end.pdf");
  Viewer->Print(pages + 2, pages + 2);
  EXPECT_EQ(Viewer->PrintPageNumber(), pages);
  EXPECT_FALSE(std::filesystem::exists(none));
  // Nor is a range that starts just after the last page a blank sheet.
  const std::string blank = PrintToPdf("viewer-range-just-past-end.pdf");
  Footers.clear();
  Viewer->Print(pages + 1, pages + 3);
  EXPECT_TRUE(Footers.empty());
  EXPECT_FALSE(std::filesystem::exists(blank));
}

TEST_F(HtmlViewerPrintTest, ADocumentEndingAtThePageBottomMakesNoBlankPage)
{
  Viewer->MarginHeight = 0;
  Viewer->MarginWidth = 0;
  const int32_t textH = TextHeight();
  ASSERT_GT(textH, 100);

  TBitmap picture(20, 20);
  picture.Fill(clBlue);
  SaveBmpToFile(picture, Dir + "/block.bmp");
  auto page = [&](int32_t h, const std::string& After = "") {
    return "<html><body><img src=\"" + Dir + "/block.bmp\" width=\"20\" height=\"" + std::to_string(h) + "\">" + After
           + "</body></html>";
  };
  // The image sits on a line that may add a little below it: measure and correct.
  Viewer->LoadFromString(page(100));
  const int32_t extra = Viewer->DocumentHeight() - 100;
  Viewer->LoadFromString(page(textH - extra));
  ASSERT_EQ(Viewer->DocumentHeight(), textH);
  EXPECT_EQ(PreviewPages(), 1);
  // What follows a page filled to its end starts a second page.
  Viewer->LoadFromString(page(textH - extra, "<p>After</p>"));
  const std::string pdf = PrintEveryPageInked("viewer-page-filled.pdf");
  EXPECT_EQ(PageCount(pdf), 2);
  EXPECT_TRUE(InOrder(Text(pdf, 2, 2), {"After"}));
}

// A sheet is started only where something of the document will be drawn on it: what is left
// below the last line (the body's bottom margin) makes no page of its own.
TEST_F(HtmlViewerPrintTest, WhatIsLeftBelowTheLastLineMakesNoBlankSheet)
{
  const int32_t textH = TextHeight();
  ASSERT_GT(textH, 100);
  // No footer: a sheet with nothing but it is what must not be printed.
  Viewer->OnPrintFooter = nullptr;
  std::string lines = "<html><body>";
  for (int i = 0; i < 30; ++i)
    lines += "<p>W" + std::to_string(100 + i) + " line</p>";
  Viewer->LoadFromString(lines + "</body></html>");
  const std::string pdf = PrintEveryPageInked("viewer-30-lines.pdf");
  const std::map<std::string, int> words = WordCounts(Text(pdf));
  for (int i = 0; i < 30; ++i)
    EXPECT_EQ(words.count("W" + std::to_string(100 + i)), 1u) << i;

  // A picture that ends exactly where the text area ends: only the body's bottom margin is
  // left for a second page.
  TBitmap picture(20, 20);
  picture.Fill(clBlue);
  SaveBmpToFile(picture, Dir + "/block.bmp");
  auto page = [&](int32_t h) {
    return "<html><body><img src=\"" + Dir + "/block.bmp\" width=\"20\" height=\"" + std::to_string(h)
           + "\"></body></html>";
  };
  Viewer->MarginHeight = 9;
  Viewer->LoadFromString(page(100));
  // What the line adds to the picture, above and below it, the body's margins among it.
  const int32_t extra = Viewer->DocumentHeight() - 100;
  Viewer->LoadFromString(page(textH - extra + Viewer->MarginHeight));
  ASSERT_EQ(Viewer->DocumentHeight(), textH + Viewer->MarginHeight);
  PrintEveryPageInked("viewer-margin-left-over.pdf");
  EXPECT_EQ(PreviewPages(), 1);
  // One pixel more and the picture's line no longer fits below the top margin: the sheet
  // starts with it rather than leaving a first sheet empty.
  Viewer->LoadFromString(page(textH - extra + Viewer->MarginHeight + 1));
  PrintEveryPageInked("viewer-picture-to-the-top.pdf");
  EXPECT_EQ(PreviewPages(), 1);
}

// A table floated beside a paragraph near the foot of a page may move the page's end up to
// its top after the lines beside it were drawn: those lines belong to the next page alone.
// Neither the paper nor the PDF's text (what search and copy find) holds a word twice.
// Rows of page `page` of a PDF rastered at dpi that hold the blue of the test's picture.
int BlueRows(const std::string& pdf, int page, int dpi)
{
  const std::string base = pdf + ".colour" + std::to_string(page);
  const std::string p = std::to_string(page);
  testcmd::Output("pdftoppm -singlefile -r " + std::to_string(dpi) + " -f " + p + " -l " + p + " '" + pdf + "' '" + base
                  + "'");
  std::ifstream in(base + ".ppm", std::ios::binary);
  std::string magic;
  int W = 0, H = 0, maxval = 0;
  in >> magic >> W >> H >> maxval;
  in.get();
  if (magic != "P6" || W <= 0 || H <= 0 || maxval != 255)
    return -1;
  std::vector<uint8_t> rgb(static_cast<size_t>(W) * static_cast<size_t>(H) * 3);
  in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
  int rows = 0;
  for (int y = 0; y < H; ++y) {
    bool blue = false;
    for (int x = 0; x < W && !blue; ++x) {
      const uint8_t* px = &rgb[(static_cast<size_t>(y) * W + x) * 3];
      blue = px[0] < 80 && px[1] < 80 && px[2] > 180;
    }
    rows += blue ? 1 : 0;
  }
  return rows;
}

TEST_F(HtmlViewerPrintTest, TextBesideAFloatMovedToTheNextPageIsPrintedOnceOnly)
{
  const int32_t textH = TextHeight();
  SaveBlueBlock();
  Viewer->OnPrintFooter = nullptr;
  const int32_t perFiller = FillerHeight();
  ASSERT_GT(perFiller, 5);
  const std::string beside = BesideWords();
  // The table's top from well inside the last third of the page to just past its end.
  int layouts = 0;
  for (int n = (textH - 200) / perFiller - 1; n <= textH / perFiller + 1; ++n, ++layouts) {
    SCOPED_TRACE(n);
    Viewer->LoadFromString("<html><body>" + Fillers(n)
                           + "<table align=right border=1><tr><td width=160 height=150>X</td></tr></table><p>" + beside
                           + "</p></body></html>");
    const std::string pdf = PrintToPdf("viewer-float-" + std::to_string(n) + ".pdf");
    Viewer->Print(1, 9999);
    const std::map<std::string, int> words = WordCounts(Text(pdf));
    std::string twice;
    for (int i = 0; i < 150; ++i) {
      const std::string w = "Ka" + std::to_string(100 + i);
      const auto it = words.find(w);
      const int found = it == words.end() ? 0 : it->second;
      if (found != 1)
        twice += " " + w + " x" + std::to_string(found);
    }
    EXPECT_EQ(twice, "");
    // Nor is anything of the table left at the foot of the page it left.
    int W = 0, H = 0;
    const std::vector<uint8_t> grey = PdfPageGrey(pdf, 1, 100, W, H);
    ASSERT_FALSE(grey.empty());
    double lastText = 0;
    for (const TWordBox& w : Words(pdf, 1))
      lastText = std::max(lastText, w.YMax * 100 / 72);
    int lowestInk = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (grey[static_cast<size_t>(y * W + x)] < 250)
          lowestInk = y;
    EXPECT_LE(lowestInk, lastText + 2);

    // A picture floated beside the paragraph moves whole to the next page as well: all its
    // rows stand on one sheet, and the words beside it are printed once.
    Viewer->LoadFromString("<html><body>" + Fillers(n) + "<p><img src=\"" + Dir
                           + "/block.bmp\" align=left width=40 height=150>" + beside + "</p></body></html>");
    const std::string pictured = PrintToPdf("viewer-float-picture-" + std::to_string(n) + ".pdf");
    Viewer->Print(1, 9999);
    std::string plain = beside;
    for (int i = 0; i < n; ++i)
      plain += " Filler " + std::to_string(i);
    EXPECT_EQ(WordCountDifferences(WordCounts(plain), WordCounts(Text(pictured))), "");
    std::vector<int> rows;
    for (int page = 1; page <= PageCount(pictured); ++page)
      rows.push_back(BlueRows(pictured, page, 72));
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](int r) { return r > 0; }), 1) << testing::PrintToString(rows);
    EXPECT_NEAR(*std::max_element(rows.begin(), rows.end()), 150 * 72 / ScreenPixelsPerInch(), 2);
  }
  EXPECT_GE(layouts, 5);
}

// A picture floated beside a paragraph prints whole wherever the page ends across it, on
// A4 and on Letter: the page's end is moved over the picture a few pixels at a time (the top
// margin grows), from just below its top to past its foot.
TEST_F(HtmlViewerPrintTest, AFloatedPictureAcrossThePageEndPrintsWholeAtEveryPosition)
{
  SaveBlueBlock();
  const THTMLViewer::TPagePrinted footer = Viewer->OnPrintFooter;
  const int32_t perFiller = FillerHeight();
  ASSERT_GT(perFiller, 5);
  const std::string beside = BesideWords();
  const double pixelsPerCm = ScreenPixelsPerInch() / 2.54;
  const std::string sizes[] = {"A4", "Letter"};
  for (const std::string& paper : sizes) {
    SCOPED_TRACE(paper);
    PrintToPdf("viewer-float-across.pdf", 300);
    Printer().SetPaper(paper);
    Viewer->PrintMarginTop = 2.0;
    Viewer->OnPrintFooter = footer;
    const int32_t textH = TextHeight();
    Viewer->OnPrintFooter = nullptr;
    // The picture's foot a filler or more above the page's end at first.
    const int n = (textH - 150) / perFiller - 1;
    std::string plain = beside + " Kb";
    for (int i = 0; i < n; ++i)
      plain += " Filler " + std::to_string(i);
    // The picture floated from the paragraph beside it, or from a short paragraph before it.
    const std::string picture = "<img src=\"" + Dir + "/block.bmp\" align=left width=40 height=150>";
    for (const bool earlier : {false, true})
      for (int shift = 0; shift <= 150 + 3 * perFiller; shift += 4) {
        SCOPED_TRACE(std::to_string(shift) + (earlier ? " from the paragraph before" : ""));
        Viewer->LoadFromString("<html><body>" + Fillers(n) + "<p>" + picture
                               + (earlier ? "Kb</p><p>" + beside : beside + " Kb") + "</p></body></html>");
        Viewer->PrintMarginTop = 2.0 + shift / pixelsPerCm;
        const std::string pdf = PrintToPdf("viewer-float-across-" + paper + "-" + std::to_string(shift) + ".pdf", 300);
        Printer().SetPaper(paper);
        Viewer->Print(1, 9999);
        EXPECT_EQ(WordCountDifferences(WordCounts(plain), WordCounts(Text(pdf))), "");
        std::vector<int> rows;
        for (int page = 1; page <= PageCount(pdf); ++page) {
          rows.push_back(BlueRows(pdf, page, 72));
          std::filesystem::remove(pdf + ".colour" + std::to_string(page) + ".ppm");
        }
        EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](int r) { return r > 0; }), 1)
            << testing::PrintToString(rows);
        ASSERT_FALSE(rows.empty());
        EXPECT_NEAR(*std::max_element(rows.begin(), rows.end()), 150 * 72 / ScreenPixelsPerInch(), 2)
            << testing::PrintToString(rows);
        std::filesystem::remove(pdf);
      }
  }
  Viewer->PrintMarginTop = 2.0;
}

namespace {

// A hand-out page made from a seed: Blocks short paragraphs, each followed by one that starts
// with a picture floated left or right, 120-260 px wide and 90-380 tall, beside 5-90 words:
// many pictures reach past their words into the paragraphs below, and floats stack on both
// sides. Every word is one of its own; picture K has colour K.
struct TFloatsPage {
  std::string Html, Words;
  std::vector<int> Heights;
};
TFloatsPage FloatsPage(uint32_t Seed, int Blocks, const std::string& Dir, int Lowest = 90, int Highest = 380)
{
  auto next = [&](int lo, int hi) {
    Seed = Seed * 1664525u + 1013904223u;
    return lo + static_cast<int>((Seed >> 8) % static_cast<uint32_t>(hi - lo + 1));
  };
  const char* stems[] = {"gear", "a", "lever", "of", "pulley", "mechanism", "to", "ratchet", "turns", "wheel"};
  TFloatsPage page;
  int word = 0;
  auto words = [&](int n) {
    std::string t;
    for (int i = 0; i < n; ++i)
      t += std::string(" ") + stems[next(0, 9)] + std::to_string(word++);
    page.Words += t;
    return t;
  };
  for (int k = 0; k < Blocks; ++k) {
    const std::string name = Dir + "/float" + std::to_string(k) + ".bmp";
    TBitmap picture(8, 8);
    picture.Fill(PictureColour(k));
    SaveBmpToFile(picture, name);
    page.Html += "<p>" + words(next(3, 40)) + "</p>";
    page.Heights.push_back(next(Lowest, Highest));
    page.Html += "<p><img src=\"" + name + "\" align=" + (next(0, 1) ? "left" : "right");
    page.Html += " width=" + std::to_string(next(120, 260));
    page.Html += " height=" + std::to_string(page.Heights.back()) + ">";
    page.Html += words(next(5, 90)) + "</p>";
  }
  page.Html = "<html><body>" + page.Html + "</body></html>";
  return page;
}

}   // namespace

// Pages of stacked floated pictures from several seeds, printed on A4, Letter and A5 at 150
// and 300 dpi, lose nothing where a page ends before a picture that does not fit: every word
// once and every picture whole on one sheet, read back from the PDF. The preview records the
// same pages, with the pictures at the same places.
TEST_F(HtmlViewerPrintTest, PagesOfStackedFloatedPicturesLoseNothing)
{
  Viewer->OnPrintFooter = nullptr;
  constexpr int Dpi = 48;   // to read the pictures back at
  for (const uint32_t seed : {13u, 16u}) {
    const TFloatsPage page = FloatsPage(seed, 12, Dir);
    const int n = static_cast<int>(page.Heights.size()), minWidth = 120 * Dpi / 96 / 2;
    Viewer->LoadFromString(page.Html);
    for (const std::string paper : {"A4", "Letter", "A5"})
      for (const Integer dpi : {150, 300}) {
        const std::string name = "viewer-floats-" + std::to_string(seed) + "-" + paper + "-" + std::to_string(dpi);
        SCOPED_TRACE(name);
        const std::string pdf = PrintToPdf(name + ".pdf", dpi);
        Printer().SetPaper(paper);
        Viewer->Print(1, 9999);
        EXPECT_EQ(WordCountDifferences(WordCounts(page.Words), WordCounts(Text(pdf))), "");
        const std::vector<TRaster> sheets = PageRasters(pdf, Dpi);
        std::vector<std::vector<std::pair<int, int>>> shown;
        for (const TRaster& sheet : sheets)
          shown.push_back(PicturesShown(sheet, n, minWidth));
        for (int k = 0; k < n; ++k) {
          std::string on;
          for (size_t p = 0; p < shown.size(); ++p)
            if (shown[p][k].second > 2) {
              on += " " + std::to_string(p + 1);
              // (A row more at either edge where the picture meets the paper.)
              EXPECT_NEAR(shown[p][k].second - page.Heights[k] * Dpi / 96.0, 0.5, 1.5) << "picture " << k << " cut";
            }
          EXPECT_EQ(std::count(on.begin(), on.end(), ' '), 1) << "picture " << k << " on sheets" << on;
        }
        if (dpi != 150)
          continue;
        TMetaFilePrinter mf;
        Viewer->PrintPreview(mf);
        ASSERT_EQ(mf.PageCount(), static_cast<int32_t>(sheets.size()));
        for (int32_t p = 0; p < mf.PageCount(); ++p) {
          const TRaster& sheet = sheets[static_cast<size_t>(p)];
          const std::unique_ptr<TBitmap> shot = mf.MetaFile(p).Render(sheet.W, sheet.H, PaperRect(mf));
          TRaster previewed{sheet.W, sheet.H, std::vector<uint32_t>(sheet.Px.size())};
          for (int y = 0; y < sheet.H; ++y)
            shot->ReadRow(y, 0, sheet.W, &previewed.Px[static_cast<size_t>(y * sheet.W)]);
          const auto at = PicturesShown(previewed, n, minWidth);
          for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(at[k].first, shown[p][k].first, 2) << "page " << p + 1 << " picture " << k;
            EXPECT_NEAR(at[k].second, shown[p][k].second, 2) << "page " << p + 1 << " picture " << k;
          }
          // And the words from the same first row to the same last.
          const std::pair<int, int> words = TextRows(sheet), previewedWords = TextRows(previewed);
          EXPECT_NEAR(previewedWords.first, words.first, 2) << "page " << p + 1;
          EXPECT_NEAR(previewedWords.second, words.second, 2) << "page " << p + 1;
        }
      }
  }
  // Pictures taller than a page (A5's text is about 640 px high) go on from one sheet to the
  // next: the parts of each add up to its whole height, none shown twice, and every word
  // prints once.
  for (const uint32_t seed : {21u, 22u, 23u, 24u, 25u, 26u}) {
    SCOPED_TRACE("tall pictures, seed " + std::to_string(seed));
    const TFloatsPage tall = FloatsPage(seed, 8, Dir, 300, 900);
    const int n = static_cast<int>(tall.Heights.size());
    Viewer->LoadFromString(tall.Html);
    const std::string pdf = PrintToPdf("viewer-floats-taller-than-a-page-" + std::to_string(seed) + ".pdf", 150);
    Printer().SetPaper("A5");
    Viewer->Print(1, 9999);
    EXPECT_EQ(WordCountDifferences(WordCounts(tall.Words), WordCounts(Text(pdf))), "");
    std::vector<std::vector<std::pair<int, int>>> shown;
    for (const TRaster& sheet : PageRasters(pdf, Dpi))
      shown.push_back(PicturesShown(sheet, n, 120 * Dpi / 96 / 2));
    for (int k = 0; k < n; ++k) {
      int rows = 0, pieces = 0;
      std::string on;
      for (size_t p = 0; p < shown.size(); ++p)
        if (shown[p][k].second > 2) {
          rows += shown[p][k].second;
          ++pieces;
          on += " " + std::to_string(p + 1);
        }
      EXPECT_NEAR(rows, tall.Heights[k] * Dpi / 96.0, 1.5 * pieces) << "picture " << k << " on sheets" << on;
    }
  }
  // The line a picture taller than a page is floated from, met by the first page's end: its
  // words go whole to the next page, not half on each.
  const std::string name = Dir + "/tall.bmp";
  TBitmap picture(8, 8);
  picture.Fill(PictureColour(1));
  SaveBmpToFile(picture, name);
  for (int lines = 30; lines <= 44; ++lines) {
    std::string html = "<html><body><p>";
    for (int i = 0; i < lines; ++i)
      html += "line" + std::to_string(i) + "<br>";
    html +=
        "</p><p><img src=\"" + name + "\" align=left width=150 height=900>beside1 beside2 beside3</p></body></html>";
    Viewer->LoadFromString(html);
    const std::string pdf = PrintToPdf("viewer-floats-tall-line-at-the-end.pdf", 150);
    Printer().SetPaper("A5");
    Viewer->Print(1, 2);
    for (const auto& [word, count] : WordCounts(Text(pdf)))
      EXPECT_EQ(count, 1) << word << " with " << lines << " lines before the picture";
  }
}

// A forced break where the page is still empty, or after which nothing follows, starts no
// sheet; two breaks with nothing between them make one new page, not two.
TEST_F(HtmlViewerPrintTest, ABreakAtTheVeryStartOrEndMakesNoBlankSheet)
{
  Viewer->OnPrintFooter = nullptr;
  const std::vector<std::pair<std::string, int>> cases = {
      {"<div style=\"page-break-before: always\"><p>First</p></div><p>Second</p>", 1},
      {"<table><tr style=\"page-break-before: always\"><td>First</td></tr></table><p>Second</p>", 1},
      {"<p>First</p><p>Second</p><page>", 1},
      {"<p>First</p><div style=\"page-break-after: always\"><p>Second</p></div>", 1},
      {"<p>First</p><table><tr style=\"page-break-after: always\"><td>Second</td></tr></table>", 1},
      {"<p>First</p><div style=\"page-break-after: always\"><p>Second</p></div>"
       "<div style=\"page-break-before: always\"><p>Third</p></div>",
       2},
  };
  for (size_t k = 0; k < cases.size(); ++k) {
    const auto& [body, pages] = cases[k];
    SCOPED_TRACE(body);
    Viewer->LoadFromString("<html><body>" + body + "</body></html>");
    const std::string pdf = PrintEveryPageInked("viewer-edge-break-" + std::to_string(k) + ".pdf");
    EXPECT_EQ(PageCount(pdf), pages);
    EXPECT_TRUE(InOrder(Text(pdf, 1, 1), {"First", "Second"})) << Text(pdf);
  }
}


// Forced breaks when printing: a PAGE element, a block that breaks before itself, a
// paragraph that breaks after itself and a table row that breaks before itself each start a
// new page, and no text is lost after a break or printed twice. The preview records the
// same pages as the printer prints: the same lines at the same heights.
TEST_F(HtmlViewerPrintTest, ForcedBreaksStartNewPagesAndLoseNothing)
{
  Viewer->LoadFromString(
      "<html><body><p>Alpha</p><page><p>Bravo</p>"
      "<div style=\"page-break-before: always\"><p>Charlie</p></div>"
      "<p style=\"page-break-after: always\">Delta</p><p>Echo</p>"
      "<table><tr><td>Foxtrot</td></tr><tr style=\"page-break-before: always\"><td>Golf</td></tr>"
      "<tr><td>Hotel</td></tr></table><p>India</p></body></html>");
  const std::string pdf = PrintToPdf("viewer-breaks.pdf");
  Viewer->Print(1, 9999);
  const std::vector<std::vector<std::string>> pages = {
      {"Alpha"}, {"Bravo"}, {"Charlie", "Delta"}, {"Echo", "Foxtrot"}, {"Golf", "Hotel", "India"}};
  ASSERT_EQ(PageCount(pdf), static_cast<int>(pages.size())) << Text(pdf);
  const std::string all = Text(pdf);
  for (size_t p = 0; p < pages.size(); ++p) {
    const std::string text = Text(pdf, static_cast<int>(p + 1), static_cast<int>(p + 1));
    EXPECT_TRUE(InOrder(text, pages[p])) << "page " << p + 1 << ":\n" << text;
    EXPECT_NE(text.find("Foot" + std::to_string(p + 1)), std::string::npos) << text;
    for (const std::string& w : pages[p]) {
      const size_t first = all.find(w);
      ASSERT_NE(first, std::string::npos) << w;
      EXPECT_EQ(all.find(w, first + 1), std::string::npos) << w << " printed twice";
    }
  }

  TMetaFilePrinter mf;
  Viewer->PrintPreview(mf);
  ASSERT_EQ(mf.PageCount(), static_cast<int32_t>(pages.size()));
  for (int32_t p = 0; p < mf.PageCount(); ++p) {
    int W = 0, H = 0;
    const std::vector<uint8_t> printed = PdfPageGrey(pdf, p + 1, 75, W, H);
    ASSERT_FALSE(printed.empty()) << "page " << p + 1;
    // The recorded page at the same 75 dpi.
    std::unique_ptr<TBitmap> shot = mf.MetaFile(p).Render(W, H, PaperRect(mf));
    std::vector<uint8_t> previewed(static_cast<size_t>(W) * static_cast<size_t>(H));
    for (int y = 0; y < H; ++y) {
      const uint8_t* row = shot->ScanLine(y);
      for (int x = 0; x < W; ++x)
        previewed[static_cast<size_t>(y * W + x)] =
            static_cast<uint8_t>((row[x * 3] + row[x * 3 + 1] + row[x * 3 + 2]) / 3);
    }
    const auto a = InkBands(printed, W, H), b = InkBands(previewed, W, H);
    // The page's lines and its footer.
    EXPECT_EQ(a.size(), pages[static_cast<size_t>(p)].size() + 1) << "page " << p + 1;
    ASSERT_EQ(a.size(), b.size()) << "page " << p + 1;
    for (size_t k = 0; k < a.size(); ++k)
      EXPECT_NEAR(a[k].first, b[k].first, 2) << "page " << p + 1 << " line " << k;
  }
}

TEST_F(HtmlViewerPrintTest, RunsAreRefusedWhileOneGoesAndFailuresUndoEverything)
{
  Viewer->LoadFromString(LongPage(120, "deep", "Refusals"));
  const std::string source = Viewer->DocumentSource();
  const int32_t pages = PreviewPages();
  const std::string pdf = PrintToPdf("viewer-refusals.pdf");
  int nested = 0;
  Viewer->OnPageEvent = [&](TObject*, int32_t Page, bool&) {
    if (Page != 1)
      return;
    ++nested;
    EXPECT_TRUE(Viewer->PrintRunning());
    Viewer->Print(1, 1);
    TMetaFilePrinter other;
    Viewer->PrintPreview(other);
    EXPECT_EQ(other.PageCount(), 0);
    Viewer->LoadFromString("<p>Replaced</p>");
    Viewer->Clear();
    Viewer->Reload();
  };
  Viewer->Print(1, 9999);
  EXPECT_GE(nested, 1);
  EXPECT_FALSE(Viewer->PrintRunning());
  EXPECT_EQ(Viewer->DocumentSource(), source);
  EXPECT_EQ(PageCount(pdf), pages);
  EXPECT_EQ(Text(pdf).find("Replaced"), std::string::npos);
  Viewer->OnPageEvent = nullptr;

  // Margins taller than the paper fail; the job is dropped and the printer that was current
  // is current again.
  vwSetPrinter(std::make_unique<TvwPrinter>());
  TvwPrinter* before = &vwPrinter();
  const std::string failed = PrintToPdf("viewer-margins-too-tall.pdf");
  Viewer->PrintMarginTop = 40;
  EXPECT_THROW(Viewer->Print(1, 1), EPrinter);
  EXPECT_EQ(&vwPrinter(), before);
  EXPECT_FALSE(vwPrinter().Printing());
  EXPECT_FALSE(std::filesystem::exists(failed));
  EXPECT_FALSE(Viewer->PrintRunning());
  TMetaFilePrinter mf;
  EXPECT_THROW(Viewer->PrintPreview(mf), EPrinter);
  EXPECT_FALSE(mf.Printing());
  EXPECT_THROW(mf.Canvas(), EPrinter);
  // The viewer works on.
  Viewer->LoadFromString("<p>Afterwards</p>");
  EXPECT_NE(Viewer->DocumentSource().find("Afterwards"), std::string::npos);
  vwSetPrinter(nullptr);
}

TEST_F(HtmlViewerPrintTest, HeaderAndFooterDrawInTheMarginBands)
{
  Viewer->LoadFromString(LongPage(150));
  // Each draws its mark at its own (0, 0) and fills its band but for a border of 2 units.
  auto band = [](TCanvas& C, int32_t W, int32_t H, const std::string& Mark) {
    C.Brush().SetColor(clSilver);
    C.Brush().SetStyle(bsSolid);
    C.FillRect(Rect(2, 2, W - 2, H - 2));
    C.Font().SetName("Arial");
    C.Font().SetHeight(-12);
    C.Brush().SetStyle(bsClear);
    C.TextOut(0, 0, Mark);
  };
  Viewer->OnPrintHeader = [&](TObject*, TCanvas& C, int32_t, int32_t W, int32_t H, bool&) {
    HeaderW = W;
    HeaderH = H;
    band(C, W, H, "HeadMark");
  };
  Viewer->OnPrintFooter = [&](TObject*, TCanvas& C, int32_t Page, int32_t W, int32_t H, bool&) {
    Footers.push_back(Page);
    FooterH = H;
    band(C, W, H, "FootMark");
  };
  const std::string pdf = PrintToPdf("viewer-header-footer.pdf");
  Viewer->Print(1, 1);
  ASSERT_EQ(PageCount(pdf), 1);

  // Points of the paper from its top left; the printable area starts at the offsets.
  const double dpi = Printer().GetDeviceCaps(LOGPIXELSY);
  const double offX = Printer().GetDeviceCaps(PHYSICALOFFSETX) * 72 / dpi;
  const double offY = Printer().GetDeviceCaps(PHYSICALOFFSETY) * 72 / dpi;
  const double paperH = Printer().GetDeviceCaps(PHYSICALHEIGHT) * 72 / dpi;
  const double unit = 72.0 / ScreenPixelsPerInch();   // one logical unit in points
  constexpr double Margin = 2 * 72 / 2.54;            // 2 cm
  ASSERT_LE(offY, Margin);

  // The header's band is the page above the text: as wide as the page, down to the top margin.
  EXPECT_NEAR(HeaderW * unit, Printer().PageWidth() * 72 / dpi, 1);
  EXPECT_NEAR(offY + HeaderH * unit, Margin, 1);
  // The footer's band runs from the text's bottom, 2 cm above the paper's edge, to the
  // printable area's bottom.
  EXPECT_NEAR(FooterH * unit, Margin - (paperH - offY - Printer().PageHeight() * 72 / dpi), 1);

  const std::vector<TWordBox> words = Words(pdf, 1);
  const TWordBox* head = FindWord(words, "HeadMark");
  const TWordBox* foot = FindWord(words, "FootMark");
  const TWordBox* first = FindWord(words, "Line");
  ASSERT_TRUE(head && foot && first);
  // The header's (0, 0) is the printable area's corner; the footer's is the text's bottom left.
  EXPECT_NEAR(head->XMin, offX, 1.5);
  EXPECT_NEAR(head->YMin, offY, 3);
  EXPECT_NEAR(foot->XMin, offX, 1.5);
  EXPECT_NEAR(foot->YMin, paperH - Margin, 3);
  EXPECT_LT(head->YMax, first->YMin);
  double lowest = 0;
  for (const TWordBox& w : words)
    if (w.Word == "Line")
      lowest = std::max(lowest, w.YMax);
  EXPECT_LT(lowest, foot->YMin);

  // The preview shows the same bands: outside the text's clip, but on the page.
  TMetaFilePrinter mf;
  Viewer->PrintPreview(mf);
  ASSERT_GE(mf.PageCount(), 1);
  const TRecordedPage& page = mf.MetaFile(0);
  const int32_t w = mf.PageWidth / 4, h = mf.PageHeight / 4;
  std::unique_ptr<TBitmap> shot = page.Render(w, h, Rect(0, 0, mf.PageWidth, mf.PageHeight));
  auto at = [&](double xUnits, double yUnits) {
    // Logical units of the page to pixels of the quarter-size rendering.
    const double perUnit = double(mf.PixelsPerInchY) / ScreenPixelsPerInch() / 4;
    return shot->GetPixel(SafeTrunc(xUnits * perUnit), SafeTrunc(yUnits * perUnit));
  };
  auto silver = [](TColor c) {
    return GetRValue(c) > 0xA0 && GetRValue(c) < 0xE0 && GetBValue(c) > 0xA0 && GetBValue(c) < 0xE0;
  };
  const double pageUnits = MulDiv(mf.PageHeight, ScreenPixelsPerInch(), mf.PixelsPerInchY);
  EXPECT_TRUE(silver(at(HeaderW * 0.75, HeaderH / 2.0)));
  EXPECT_TRUE(silver(at(HeaderW * 0.75, pageUnits - FooterH / 2.0)));
  // Between them lies the page's text on white.
  EXPECT_FALSE(silver(at(HeaderW * 0.75, pageUnits / 2)));
}

TEST_F(HtmlViewerPrintTest, StoppingEndsTheJobAfterThePageAndBeforeTheFirstPrintsNothing)
{
  Viewer->LoadFromString(LongPage(250));
  const int32_t pages = PreviewPages();
  ASSERT_GE(pages, 4);

  // A footer that stops on page 2: the job ends normally with two pages.
  const std::string two = PrintToPdf("viewer-stopped-at-2.pdf");
  Viewer->OnPrintFooter = [this](TObject*, TCanvas& C, int32_t Page, int32_t, int32_t, bool& Stop) {
    Footers.push_back(Page);
    C.TextOut(0, 0, "Foot" + std::to_string(Page));
    Stop = Page == 2;
  };
  Footers.clear();
  Viewer->Print(1, 9999);
  EXPECT_EQ(Footers, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(PageCount(two), 2);
  EXPECT_EQ(Viewer->PrintPageNumber(), 2);
  // The same in the preview: the pages made so far are kept.
  TMetaFilePrinter mf;
  Viewer->PrintPreview(mf);
  EXPECT_EQ(mf.PageCount(), 2);
  Viewer->OnPrintFooter = nullptr;

  // Stopped by the page event before a run begins, or before its first page is drawn: no
  // page at all, and no blank sheet either.
  for (const int32_t stopAt : {0, 1}) {
    SCOPED_TRACE(stopAt);
    const std::string none = PrintToPdf("viewer-stopped-before-" + std::to_string(stopAt) + ".pdf");
    std::vector<int32_t> events;
    Viewer->OnPageEvent = [&](TObject*, int32_t Page, bool& Stop) {
      events.push_back(Page);
      Stop = Page == stopAt;
    };
    Viewer->Print(1, 9999);
    EXPECT_FALSE(std::filesystem::exists(none));
    EXPECT_EQ(Viewer->PrintPageNumber(), 0);
    EXPECT_EQ(events.back(), stopAt);
    events.clear();
    TMetaFilePrinter stopped;
    Viewer->PrintPreview(stopped);
    EXPECT_EQ(stopped.PageCount(), 0);
    EXPECT_EQ(Viewer->PrintPageNumber(), 0);
  }
  Viewer->OnPageEvent = nullptr;

  // A run refused for an empty document leaves no page counted from an earlier run.
  Viewer->Print(1, 1);
  Viewer->Clear();
  Viewer->Print(1, 1);
  EXPECT_EQ(Viewer->PrintPageNumber(), 0);
}

TEST_F(HtmlViewerPrintTest, TheJobIsNamedAfterTheTitleCutBetweenCharacters)
{
  // Thirty letters, then accented ones: the spooler's 31 characters end after the first
  // accented letter, not in the middle of its bytes.
  Viewer->LoadFromString("<html><head><title>" + std::string(30, 'a')
                         + "&eacute;&eacute; gears</title></head><body><p>Text</p></body></html>");
  const std::string pdf = PrintToPdf("viewer-title.pdf");
  Viewer->Print(1, 1);
  const std::string info = testcmd::Output("pdfinfo '" + pdf + "' 2>/dev/null");
  ASSERT_NE(info.find("Pages:"), std::string::npos) << info;
  EXPECT_NE(info.find(" " + std::string(30, 'a') + "\xC3\xA9\n"), std::string::npos) << info;
}

TEST(PrinterWrappers, JobStatesAndRecordedPages)
{
  printtest::TPrinterReset reset;
  PrintToPdf("wrapper.pdf");
  TvwPrinter prn;
  EXPECT_THROW(prn.NewPage(), EPrinter);
  EXPECT_THROW(prn.EndDoc(), EPrinter);
  prn.BeginDoc();
  EXPECT_TRUE(prn.Printing());
  EXPECT_EQ(prn.PageNumber(), 1);
  EXPECT_THROW(prn.BeginDoc(), EPrinter);
  prn.NewPage();
  EXPECT_EQ(prn.PageNumber(), 2);
  prn.EndDoc();
  EXPECT_FALSE(prn.Printing());
  EXPECT_EQ(prn.PageNumber(), 0);

  // A job that cannot start is no job.
  Printer().SetOutputFileName("/nonexistent-folder/x/y.pdf");
  TvwPrinter bad;
  try {
    bad.BeginDoc();
    ADD_FAILURE() << "a job on an unwritable file started";
  } catch (const EPrinter& e) {
    EXPECT_EQ(e.Message,
              "The printer could not finish the document: /nonexistent-folder/x/y.pdf: No such file or directory");
  }
  EXPECT_FALSE(bad.Printing());
  EXPECT_THROW(bad.Canvas(), EPrinter);

  TMetaFilePrinter mf;
  EXPECT_EQ(mf.UnitsFactor(), 1.0);
  mf.SetUnits(unCentimeters);
  EXPECT_EQ(mf.UnitsFactor(), 2.54);
  mf.SetUnits(unInches);
  EXPECT_EQ(mf.UnitsFactor(), 1.0);
  int events = 0;
  mf.OnPageEvent = [&](TObject*, int32_t n, bool&) { EXPECT_EQ(n, ++events); };
  mf.BeginDoc();
  mf.Canvas().TextOut(100, 100, "First page");
  mf.NewPage();
  mf.Canvas().TextOut(100, 100, "Second page");
  mf.NewPage();   // never drawn on
  EXPECT_EQ(mf.PageCount(), 3);
  mf.EndDoc();
  EXPECT_EQ(mf.PageCount(), 2);
  EXPECT_EQ(events, 3);
  mf.OnPageEvent = nullptr;
  // A page plays back with its text; a second run starts afresh, even from an open page.
  auto shot = mf.MetaFile(0).Render(200, 200, Rect(0, 0, 400, 400));
  bool dark = false;
  for (int y = 0; y < 200 && !dark; ++y)
    for (int x = 0; x < 200 && !dark; ++x)
      dark = GetRValue(shot->GetPixel(x, y)) < 128;
  EXPECT_TRUE(dark);
  // A stripe of pictures side by side plays back without seams between them, at a size
  // that puts their edges between pixels, drawn with a clip or without.
  TBitmap tile(37, 40);
  tile.Fill(clBlue);
  const TRegion clip = TRegion::FromRects({Rect(0, 0, 500, 100), Rect(500, 0, 1000, 50)});
  const TRegion rect(Rect(0, 0, 1000, 90));
  for (const TRegion* drawnIn : {static_cast<const TRegion*>(nullptr), &clip, &rect}) {
    TRecordedPage stripe;
    TCanvas& sc = stripe.BeginRecording(1000, 100, 300);
    sc.SelectClipRgn(drawnIn);
    for (int x = 0; x < 1000; x += 37)
      sc.Draw(x, 0, tile);
    stripe.EndRecording();
    auto played = stripe.Render(333, 33, Rect(0, 0, 1000, 100));
    std::string seams;
    for (int x = 0; x < 330; ++x)
      if (GetBValue(played->GetPixel(x, 5)) < 200 || GetRValue(played->GetPixel(x, 5)) > 60)
        seams += " " + std::to_string(x);
    EXPECT_EQ(seams, "") << "columns that are not the pictures' blue";
  }
  mf.BeginDoc();
  mf.Canvas();
  mf.BeginDoc();
  EXPECT_EQ(mf.PageCount(), 1);
  mf.EndDoc();
  EXPECT_EQ(mf.PageCount(), 0);
}

TEST(PrinterWrappers, AbortDropsTheJobAndAJobLeftOpenIsEnded)
{
  printtest::TPrinterReset reset;
  auto message = [](auto&& F) {
    try {
      F();
    } catch (const EPrinter& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  // An aborted job leaves no file and ends the job.
  const std::string aborted = PrintToPdf("wrapper-aborted.pdf");
  TvwPrinter prn;
  EXPECT_EQ(message([&] { prn.NewPage(); }), "Printer is not currently printing");
  EXPECT_EQ(message([&] { prn.EndDoc(); }), "Printer is not currently printing");
  EXPECT_EQ(message([&] { prn.Abort(); }), "Printer is not currently printing");
  EXPECT_FALSE(prn.Aborted());
  prn.BeginDoc();
  EXPECT_EQ(message([&] { prn.BeginDoc(); }), "Printing in progress");
  prn.Canvas().TextOut(100, 100, "Dropped");
  prn.Abort();
  EXPECT_TRUE(prn.Aborted());
  EXPECT_FALSE(prn.Printing());
  EXPECT_EQ(prn.PageNumber(), 0);
  EXPECT_FALSE(std::filesystem::exists(aborted));
  // The next job starts clean.
  prn.BeginDoc();
  EXPECT_FALSE(prn.Aborted());
  prn.Canvas().TextOut(100, 100, "Kept");
  prn.EndDoc();
  EXPECT_EQ(PageCount(aborted), 1);
  EXPECT_TRUE(InOrder(Text(aborted), {"Kept"}));

  // A printer destroyed in the middle of a job ends the job: nothing drawn is lost.
  const std::string open = PrintToPdf("wrapper-left-open.pdf");
  {
    TvwPrinter left;
    left.Title = "A job title far longer than the thirty-one characters the spooler shows";
    left.BeginDoc();
    left.Canvas().TextOut(100, 100, "PageOne");
    left.NewPage();
    left.Canvas().TextOut(100, 100, "PageTwo");
  }
  EXPECT_EQ(PageCount(open), 2);
  EXPECT_TRUE(InOrder(Text(open), {"PageOne", "PageTwo"}));
}
