// Every content page printed as the page toolbar's "print" prints it: through the viewer's own
// print path into a PDF at 300 dpi with the default margins, read back with poppler's tools,
// and recorded for the print preview.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "html/HtmlReader.h"
#include "html/HtmlViewer.h"
#include "platform/Bitmap.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/Dialogs.h"
#include "shell/MainWindow.h"
#include "shell/PrintPreview.h"
#include "shell/TopicDispatch.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/shell/PictureOutput.h"

using namespace printtest;

namespace {

std::string Upper(std::string s)
{
  for (char& c : s)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The pages the topic map names (the index's links and the topics' page keys), each once, as
// files beside the program.
std::vector<std::string> TopicMapPages()
{
  std::set<std::string> names;
  auto add = [&](std::string link) {
    link = link.substr(0, link.find('#'));
    if (!link.empty() && link[0] == '/')
      link.erase(0, 1);
    // Keys that name no page (a topic reached from the index alone) are no page to print.
    if (link.size() > 4 && Upper(link.substr(link.size() - 4)) == ".HTM")
      names.insert(Upper(link));
  };
  for (const TIndexHeading& h : TopicIndexContents())
    for (const TIndexLink& l : h.Items)
      add(l.URL);
  for (const TPageTopic& t : PageTopicTable())
    add(t.Key);
  std::vector<std::string> files;
  for (const std::string& n : names)
    files.push_back(ResolveFileName(ExeFolder() + "HTML/" + n));
  return files;
}

// A viewer set up as the main window's page pane sets its own.
void SetUpAsThePagePane(THTMLViewer& Viewer)
{
  Viewer.SetBounds(0, 0, 630, 760);
  Viewer.DefFontName = "Arial";
  Viewer.SetDefFontSize(10);
  Viewer.SetDefPreFontName("Courier New");
  Viewer.SetDefBackground(clWhite);
  Viewer.SethtOptions(Viewer.htOptions() | htOverLinksActive | htNoLinkUnderline);
  Viewer.SetServerRoot(ExeFolder() + "HTML");
}

// The numbers an ordered list draws before its items, which the page's text (what a copy
// takes) does not hold; from the page's own tags.
std::string OrderedListMarkers(const std::string& File)
{
  const std::vector<uint8_t> bytes = ReadFileBytes(File, size_t(1) << 20);
  THtmlTokenizer t;
  t.Start(std::string(bytes.begin(), bytes.end()));
  t.GetCh();
  std::vector<int> lists;   // per open list: the items of an ordered one so far, -1 for others
  std::string markers;
  for (int guard = 0; guard < 100000; ++guard) {
    t.Next();
    if (t.Sy == EofSy)
      break;
    if (t.Sy == OLSy)
      lists.push_back(0);
    else if (t.Sy == ULSy || t.Sy == DLSy)
      lists.push_back(-1);
    else if ((t.Sy == OLEndSy || t.Sy == ULEndSy || t.Sy == DLEndSy) && !lists.empty())
      lists.pop_back();
    else if (t.Sy == LISy && !lists.empty() && lists.back() >= 0)
      markers += " " + std::to_string(++lists.back()) + ".";
  }
  return markers;
}

std::string PageName(const std::string& File) { return std::filesystem::path(File).stem().string(); }

// The page loaded into a viewer set up as the page pane.
std::unique_ptr<THTMLViewer> LoadAsThePagePane(const std::string& File)
{
  auto viewer = std::make_unique<THTMLViewer>();
  SetUpAsThePagePane(*viewer);
  viewer->LoadFromFile(File);
  return viewer;
}

class ContentPagePrint : public ::testing::TestWithParam<std::string> {
protected:
  void TearDown() override { Printer().SetOutputFileName(""); }
};

}   // namespace

TEST(ContentPagesPrint, EveryPageBesideTheProgramIsAmongThoseTheTopicMapNames)
{
  std::set<std::string> named;
  for (const std::string& p : TopicMapPages())
    named.insert(Upper(std::filesystem::path(p).filename().string()));
  for (const auto& e : std::filesystem::directory_iterator(ExeFolder() + "HTML"))
    if (Upper(e.path().extension().string()) == ".HTM") {
      EXPECT_TRUE(named.count(Upper(e.path().filename().string()))) << e.path() << " is not printed";
    }
  EXPECT_GE(named.size(), 40u);
}

// No sheet is blank, and every word of the page is printed exactly as often as the page holds
// it: counted in the PDF's text, so a word printed twice, even once under a white fill where
// the eye misses it but search and copy find it, or a word lost at a page's end, shows.
TEST_P(ContentPagePrint, EveryWordOnceOnSheetsThatAllHoldSomething)
{
  const std::string& file = GetParam();
  std::unique_ptr<THTMLViewer> viewer = LoadAsThePagePane(file);
  // The page's own text: all of it selected, as a copy would take it.
  viewer->SectionList().SelB = 0;
  viewer->SectionList().SelE = std::numeric_limits<int32_t>::max();
  const std::map<std::string, int> expected = WordCounts(WideToUtf8(viewer->SelText()) + OrderedListMarkers(file));
  ASSERT_GT(expected.size(), 20u);

  const std::string pdf = PrintToPdf("content-" + PageName(file) + ".pdf");
  viewer->Print(1, 9999);
  const int sheets = PageCount(pdf);
  ASSERT_GE(sheets, 1);
  EXPECT_EQ(viewer->PrintPageNumber(), sheets);
  const std::vector<bool> inked = InkedPages(pdf);
  ASSERT_EQ(static_cast<int>(inked.size()), sheets);
  for (int p = 0; p < sheets; ++p)
    EXPECT_TRUE(inked[static_cast<size_t>(p)]) << "sheet " << p + 1 << " of " << sheets << " is blank";
  EXPECT_EQ(WordCountDifferences(expected, WordCounts(Text(pdf))), "");
}

INSTANTIATE_TEST_SUITE_P(TopicMap, ContentPagePrint, ::testing::ValuesIn(TopicMapPages()),
                         [](const ::testing::TestParamInfo<std::string>& Info) {
                           std::string name = PageName(Info.param);
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           return name;
                         });

// "Cams and followers", then "print": the preview window counts as many pages as the printer
// prints, and every one it turns to shows the page's text and pictures. The spooler lists
// each job by a name: the page's title, or the window's for the index, which has none.
TEST(ContentPagesPrint, ThePreviewOfTheCamPageShowsNoBlankPage)
{
  TPrinterReset reset;
  const std::string file = ResolveFileName(ExeFolder() + "HTML/Cam_Circular.htm");
  std::unique_ptr<THTMLViewer> viewer = LoadAsThePagePane(file);
  // The preview measures against the printer: the same 300 dpi as the PDF.
  const std::string pdf = PrintToPdf("content-Cam_Circular-preview-check.pdf");
  viewer->Print(1, 9999);
  const int sheets = PageCount(pdf);
  TPrntPrevFrm form(viewer.get());
  form.SetBounds(0, 0, 700, 900);
  form.ScrollBox1Resize(nullptr);
  ASSERT_EQ(form.PageCount(), sheets);
  for (int p = 1; p <= sheets; ++p) {
    EXPECT_EQ(form.CurPageLabel->Caption(), "Page " + std::to_string(p) + " of " + std::to_string(sheets));
    TBitmap shot(form.PB->Width(), form.PB->Height());
    form.PB->PaintTo(shot.Canvas(), 0, 0);
    SaveTestPicture(shot, "printing/content-Cam_Circular-preview-" + std::to_string(p) + ".png");
    int dark = 0;
    for (int32_t y = 0; y < shot.Height(); ++y)
      for (int32_t x = 0; x < shot.Width(); ++x)
        dark += GetRValue(shot.GetPixel(x, y)) < 160;
    EXPECT_GT(dark, 20) << "page " << p << " of " << sheets;
    form.NextPageBtn->Click();
  }

  // Printed from the preview through the spooler on a paper chosen in the print dialog, A5
  // turned, smaller than the preview's: every word of the page once.
  viewer->SectionList().SelB = 0;
  viewer->SectionList().SelE = std::numeric_limits<int32_t>::max();
  const std::map<std::string, int> expected = WordCounts(WideToUtf8(viewer->SelText()) + OrderedListMarkers(file));
  viewer->SectionList().SelE = 0;
  ASSERT_TRUE(PrintToQueue("", 150));
  TPrntPrevFrm preview(viewer.get());
  SetDialogAnswerer([](TCommonDialog& d) {
    Printer().SetPaper("A5");
    Printer().SetLandscape(true);
    dynamic_cast<TPrintDialog&>(d).PrintRange = prAllPages;
    return true;
  });
  preview.PrintBtn->Click();
  SetDialogAnswerer(nullptr);
  const std::string queued = TakeQueued("content-Cam_Circular-A5-landscape.pdf");
  SetPrinter(std::make_unique<TPrinter>());
  ASSERT_FALSE(queued.empty()) << "the queue printed nothing";
  EXPECT_EQ(PageSize(queued), "595 x 420");
  EXPECT_EQ(WordCountDifferences(expected, WordCounts(Text(queued))), "");
  // The spooler lists the job under the page's title.
  EXPECT_EQ(LastJobName(), "Cams and followers");

  // The index page has no title: its job goes under the name of the window that shows it.
  auto main = std::make_unique<TKVMainFrm>(ExeFolder());
  ASSERT_TRUE(main->Viewer->Title().empty());
  ASSERT_TRUE(PrintToQueue("", 150));
  main->Viewer->Print(1, 1);
  const std::string index = TakeQueued("content-index.pdf");
  SetPrinter(std::make_unique<TPrinter>());
  ASSERT_FALSE(index.empty()) << "the index never reached the queue";
  EXPECT_EQ(LastJobName(), "Orrelo");
  main.reset();
  Application->ProcessMessages();
}
