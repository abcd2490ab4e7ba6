#include "shell/PrintPreview.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/Glyphs.h"
#include "platform/Accessible.h"
#include "platform/Files.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/platform/ModalSupport.h"
#include "tests/platform/SmallDisk.h"
#include "tests/shell/PictureOutput.h"

using namespace printtest;

namespace {

std::string Lines(int n)
{
  std::string s = "<html><head><title>Preview</title></head><body><h2>Gear trains</h2>";
  for (int i = 0; i < n; ++i)
    s += "<p>Paragraph " + std::to_string(i) + ": the driver turns the driven wheel the other way.</p>";
  return s + "</body></html>";
}

class PrintPreviewTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Viewer = std::make_unique<THTMLViewer>();
    Viewer->SetBounds(0, 0, 500, 400);
  }
  void TearDown() override
  {
    SetDialogAnswerer(nullptr);
    // A fresh printer: no paper chosen here reaches the next test.
    SetPrinter(std::make_unique<TPrinter>());
  }
  std::unique_ptr<THTMLViewer> Viewer;
};

}   // namespace

TEST_F(PrintPreviewTest, PagesLabelAndButtons)
{
  Viewer->LoadFromString(Lines(120));
  TPrntPrevFrm form(Viewer.get());
  const int32_t pages = form.PageCount();
  ASSERT_GE(pages, 3);
  EXPECT_EQ(form.Caption(), "Print preview");
  EXPECT_EQ(form.CurPageLabel->Caption(), "Page 1 of " + std::to_string(pages));
  EXPECT_FALSE(form.PrevPageBtn->Enabled());
  EXPECT_TRUE(form.NextPageBtn->Enabled());
  EXPECT_TRUE(form.PrintBtn->Enabled());
  form.NextPageBtn->Click();
  EXPECT_EQ(form.CurrentPage, 1);
  EXPECT_EQ(form.CurPageLabel->Caption(), "Page 2 of " + std::to_string(pages));
  EXPECT_TRUE(form.PrevPageBtn->Enabled());
  for (int i = 0; i < pages + 3; ++i)
    form.NextPageBtn->Click();
  EXPECT_EQ(form.CurrentPage, pages - 1);
  EXPECT_FALSE(form.NextPageBtn->Enabled());
  EXPECT_EQ(form.CurPageLabel->Caption(), "Page " + std::to_string(pages) + " of " + std::to_string(pages));
  form.PrevPageBtn->Click();
  EXPECT_EQ(form.CurrentPage, pages - 2);
  EXPECT_TRUE(form.NextPageBtn->Enabled());

  // From the keyboard: Page Up and Down turn the pages, Escape closes.
  form.Show();
  SimulateKey(VK_PRIOR);
  EXPECT_EQ(form.CurrentPage, pages - 3);
  EXPECT_EQ(form.CurPageLabel->Caption(), "Page " + std::to_string(pages - 2) + " of " + std::to_string(pages));
  SimulateKey(VK_NEXT);
  SimulateKey(VK_NEXT);
  SimulateKey(VK_NEXT);
  EXPECT_EQ(form.CurrentPage, pages - 1);
  EXPECT_EQ(form.ModalResult(), mrNone);
  SimulateKey(VK_ESCAPE);
  EXPECT_EQ(form.ModalResult(), mrCancel);
  form.Hide();

  // One page: nowhere to go.
  Viewer->LoadFromString("<p>Short</p>");
  TPrntPrevFrm one(Viewer.get());
  EXPECT_EQ(one.PageCount(), 1);
  EXPECT_FALSE(one.PrevPageBtn->Enabled());
  EXPECT_FALSE(one.NextPageBtn->Enabled());

  // No page at all: nothing to count, nothing to print, nothing divides by zero.
  Viewer->Clear();
  TPrntPrevFrm none(Viewer.get());
  EXPECT_EQ(none.PageCount(), 0);
  EXPECT_EQ(none.CurPageLabel->Caption(), "Page 0 of 0");
  EXPECT_FALSE(none.PrintBtn->Enabled());
  EXPECT_FALSE(none.NextPageBtn->Enabled());
  none.ZoomBtn->Click();
  TBitmap shot(400, 300);
  none.PaintTo(shot.Canvas(), 0, 0);
}

// Opened as a dialog, the keyboard is on Print (on Close with nothing to print): Tab and
// Shift+Tab go round the buttons that work, Return and Space press the one it is on, and
// the window's own keys still work while a button holds it.
TEST_F(PrintPreviewTest, TheKeyboardStartsOnTheFirstButtonAndGoesRoundThem)
{
  // Keys go once the window has the keyboard, which the display server gives in its time.
  auto shown = [](TPrntPrevFrm& f) {
    EXPECT_TRUE(testwait::WaitUntil([&] { return f.PPToolbar->Focused(); }, 5000)) << "no button has the keyboard";
  };
  // The buttons a reader finds focused on the toolbar, by name.
  auto focused = [](TPrntPrevFrm& f) {
    std::string names;
    for (const TAccessibleSnapshot& b : AccessibleSnapshot(f.PPToolbar).Children)
      names += b.State & STATE_SYSTEM_FOCUSED ? b.Name + ";" : "";
    return names;
  };
  Viewer->LoadFromString(Lines(120));
  TPrntPrevFrm form(Viewer.get());
  ASSERT_GE(form.PageCount(), 4);
  std::vector<std::string> heard;
  int dialogs = 0;
  SetDialogAnswerer([&](TCommonDialog&) { return ++dialogs, false; });
  std::vector<int32_t> pages;
  TModalResult result = mrNone;
  modal::InMessageLoop([&] {
    modal::Later([&] {
      shown(form);
      heard.push_back(focused(form));
      SimulateKey(VK_RETURN);   // Print: its dialog, cancelled, leaves the preview open
      SimulateKey(VK_TAB);      // Next (Previous does not work on page 1)
      heard.push_back(focused(form));
      SimulateKey(VK_RETURN);
      pages.push_back(form.CurrentPage);
      SimulateKey(VK_TAB, ssShift);   // Previous, which works now
      SimulateKey(VK_SPACE);
      pages.push_back(form.CurrentPage);
      // Previous stopped working: the keyboard went on to Next.
      SimulateKey(VK_RETURN);
      pages.push_back(form.CurrentPage);
      SimulateKey(VK_NEXT);
      pages.push_back(form.CurrentPage);
      SimulateKey(VK_ESCAPE);
    });
    result = form.ShowModal();
  });
  EXPECT_EQ(dialogs, 1) << "Return did not press Print";
  EXPECT_EQ(pages, (std::vector<int32_t>{1, 0, 1, 2}));
  // A reader finds the button with the keyboard focused, and no other.
  EXPECT_EQ(heard, (std::vector<std::string>{"Print;", "Next;"}));
  EXPECT_EQ(result, mrCancel);

  // Shift+Tab from the first goes round to the last: Close.
  TPrntPrevFrm again(Viewer.get());
  modal::InMessageLoop([&] {
    modal::Later([&] {
      shown(again);
      SimulateKey(VK_TAB, ssShift);
      SimulateKey(VK_RETURN);
    });
    result = again.ShowModal();
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(dialogs, 1);

  Viewer->Clear();
  TPrntPrevFrm none(Viewer.get());
  bool zoomed = false;
  modal::InMessageLoop([&] {
    modal::Later([&] {
      shown(none);
      SimulateKey(VK_TAB, ssShift);   // from Close back to Zoom
      SimulateKey(VK_SPACE);
      zoomed = none.FitWidth;
      SimulateKey(VK_TAB);
      SimulateKey(VK_RETURN);
    });
    result = none.ShowModal();
  });
  EXPECT_TRUE(zoomed);
  EXPECT_EQ(result, mrCancel);
}

TEST_F(PrintPreviewTest, ZoomFitsTheHeightOrTheWidth)
{
  Viewer->LoadFromString(Lines(30));
  // With the page toolbar's pictures, as the main window opens it.
  TTBImageList images(20, 20);
  AddPageGlyphs(images);
  TPrntPrevFrm form(Viewer.get(), &images, {pgPrint, pgBack, pgForward, -1, -1});
  EXPECT_EQ(form.PrintBtn->ImageIndex(), pgPrint);
  EXPECT_EQ(form.ZoomBtn->ImageIndex(), -1);
  form.SetBounds(0, 0, 700, 600);
  form.ScrollBox1Resize(nullptr);
  const TMetaFilePrinter& mf = *form.MFPrinter;
  const double aspect =
      (double(mf.PhysicalWidth) / mf.PixelsPerInchX) / (double(mf.PhysicalHeight) / mf.PixelsPerInchY);
  EXPECT_FALSE(form.FitWidth);
  EXPECT_NEAR(form.PagePanel->Height(), form.ScrollBox1->ClientHeight() - 20, 1);
  EXPECT_NEAR(form.PagePanel->Width(), form.PagePanel->Height() * aspect, 2);
  EXPECT_FALSE(form.VScroll->Visible());

  TBitmap shot(form.Width(), form.Height());
  form.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "print-preview-fit-height.png");

  form.ZoomBtn->Click();
  EXPECT_TRUE(form.FitWidth);
  form.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "print-preview-fit-width.png");
  EXPECT_NEAR(form.PagePanel->Width(), form.ScrollBox1->ClientWidth() - 20, 1);
  EXPECT_NEAR(form.PagePanel->Height(), form.PagePanel->Width() / aspect, 2);
  // The page is taller than the window now: it scrolls.
  EXPECT_TRUE(form.VScroll->Visible());
  form.VScroll->Scroll(scPosition, 100);
  EXPECT_EQ(form.PagePanel->Top(), -100);

  form.ZoomBtn->Click();
  EXPECT_FALSE(form.FitWidth);
  EXPECT_NEAR(form.PagePanel->Height(), form.ScrollBox1->ClientHeight() - 20, 1);
  EXPECT_EQ(form.PagePanel->Top(), 0);

  // A sheet turned on its side, fitted to the height, would be wider than the window: it is
  // fitted to the width and shows whole, as Zoom shows it.
  Printer().SetLandscape(true);
  TPrntPrevFrm turned(Viewer.get());
  turned.SetBounds(0, 0, 700, 600);
  for (bool zoomed : {false, true}) {
    turned.ZoomBtn->SetChecked(zoomed);
    turned.ZoomBtnClick(nullptr);
    EXPECT_NEAR(turned.PagePanel->Width(), turned.ScrollBox1->ClientWidth() - 20, 1) << zoomed;
    EXPECT_LT(turned.PagePanel->Height(), turned.PagePanel->Width()) << zoomed;
    EXPECT_FALSE(turned.HScroll->Visible() || turned.VScroll->Visible()) << zoomed;
  }
  turned.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "print-preview-turned.png");
}

TEST_F(PrintPreviewTest, ThePageShowsWhereThePaperHasIt)
{
  // The header fills the printable area's top band: on the paper it starts at the printer's
  // unprintable edges, and so it must in the preview.
  Viewer->OnPrintHeader = [](TObject*, TCanvas& C, int32_t, int32_t W, int32_t H, bool&) {
    C.Brush().SetColor(clBlack);
    C.Brush().SetStyle(bsSolid);
    C.FillRect(Rect(0, 0, W, H));
  };
  Viewer->LoadFromString(Lines(5));
  TPrntPrevFrm form(Viewer.get());
  form.SetBounds(0, 0, 700, 900);
  form.ScrollBox1Resize(nullptr);
  const TMetaFilePrinter& mf = *form.MFPrinter;
  ASSERT_GT(mf.PhysicalOffsetX, 0);
  ASSERT_GT(mf.PhysicalOffsetY, 0);
  TBitmap shot(form.PB->Width(), form.PB->Height());
  form.PB->PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "print-preview-page.png");

  const double sx = double(shot.Width()) / mf.PhysicalWidth, sy = double(shot.Height()) / mf.PhysicalHeight;
  auto dark = [&](int32_t x, int32_t y) { return GetRValue(shot.GetPixel(x, y)) < 64; };
  // Along a row inside the band, and down a column inside it.
  const int32_t row = SafeTrunc((mf.PhysicalOffsetY + 20) * sy);
  const int32_t column = shot.Width() / 2;
  int32_t left = 0, top = 0;
  while (left < shot.Width() && !dark(left, row))
    ++left;
  while (top < shot.Height() && !dark(column, top))
    ++top;
  EXPECT_NEAR(left, mf.PhysicalOffsetX * sx, 1.5);
  EXPECT_NEAR(top, mf.PhysicalOffsetY * sy, 1.5);
  // The band ends where the printable area does on the right.
  int32_t right = shot.Width() - 1;
  while (right > 0 && !dark(right, row))
    --right;
  EXPECT_NEAR(right + 1, (mf.PhysicalOffsetX + mf.PageWidth) * sx, 1.5);
}

TEST_F(PrintPreviewTest, TheWheelScrollsAPageTallerThanTheWindow)
{
  Viewer->LoadFromString(Lines(30));
  TPrntPrevFrm form(Viewer.get());
  form.SetBounds(0, 0, 700, 600);
  form.Show();
  form.ZoomBtn->Click();
  ASSERT_TRUE(form.VScroll->Visible());
  // Over the page or round it, three lines a notch; up again stops at the top.
  form.PB->DispatchMouseWheel(0, -240, {});
  EXPECT_EQ(form.VScroll->Position(), 96);
  EXPECT_EQ(form.PagePanel->Top(), -96);
  form.ScrollBox1->DispatchMouseWheel(0, 360, {});
  EXPECT_EQ(form.VScroll->Position(), 0);
  EXPECT_EQ(form.PagePanel->Top(), 0);
  for (int i = 0; i < 200; ++i)
    form.PagePanel->DispatchMouseWheel(0, -120, {});
  EXPECT_EQ(form.VScroll->Position(), form.VScroll->MaxPosition());
  EXPECT_EQ(form.PagePanel->Top() + form.PagePanel->Height(), form.VScroll->Height());
  // Fitted to the height the page has nowhere to go.
  form.ZoomBtn->Click();
  form.PB->DispatchMouseWheel(0, -120, {});
  EXPECT_EQ(form.PagePanel->Top(), 0);
  form.Hide();
}

TEST_F(PrintPreviewTest, PrintsTheChosenRange)
{
  Viewer->LoadFromString(Lines(120));
  TPrntPrevFrm form(Viewer.get());
  const int32_t pages = form.PageCount();
  ASSERT_GE(pages, 3);
  // Cancelling the print dialog leaves the preview open and prints nothing.
  const std::string cancelled = PrintToPdf("preview-cancelled.pdf");
  int asked = 0;
  SetDialogAnswerer([&](TCommonDialog& d) {
    auto& p = dynamic_cast<TPrintDialog&>(d);
    ++asked;
    // Unless the user names pages, every page of the paper chosen is printed; a range may
    // name pages past the preview's, which the paper chosen may have.
    EXPECT_EQ(p.PrintRange, prAllPages);
    EXPECT_GT(p.MaxPage, pages * 4);
    EXPECT_EQ(p.FromPage, 1);
    EXPECT_EQ(p.ToPage, pages);
    return false;
  });
  form.PrintBtn->Click();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(form.ModalResult(), mrNone);
  EXPECT_FALSE(std::filesystem::exists(cancelled));

  const std::string pdf = PrintToPdf("preview-range.pdf");
  SetDialogAnswerer([&](TCommonDialog& d) {
    auto& p = dynamic_cast<TPrintDialog&>(d);
    p.PrintRange = prPageNums;
    p.FromPage = 2;
    p.ToPage = 3;
    return true;
  });
  form.PrintBtn->Click();
  EXPECT_EQ(form.ModalResult(), mrOk);
  EXPECT_EQ(PageCount(pdf), 2);
  EXPECT_EQ(Text(pdf).find("Paragraph 0:"), std::string::npos);

  // "1,3": pages 1 and 3, not the second between them; "2": that page alone.
  auto printPages = [&](const std::string& name, std::vector<std::pair<Integer, Integer>> ranges) {
    const std::string file = PrintToPdf(name);
    SetDialogAnswerer([&](TCommonDialog& d) {
      auto& p = dynamic_cast<TPrintDialog&>(d);
      p.PrintRange = prPageNums;
      p.FromPage = 1;
      p.ToPage = 3;
      p.PageRanges = ranges;
      return true;
    });
    form.PrintBtn->Click();
    return file;
  };
  const std::string two = printPages("preview-pages-1-and-3.pdf", {{3, 3}, {1, 1}});
  const std::string first = printPages("preview-page-1.pdf", {{1, 1}});
  const std::string second = printPages("preview-page-2.pdf", {{2, 2}});
  ASSERT_EQ(PageCount(two), 2);
  ASSERT_EQ(PageCount(second), 1);
  EXPECT_EQ(Text(two, 1, 1), Text(first, 1, 1));
  EXPECT_EQ(Text(two, 2, 2), Text(pdf, 2, 2)) << "the second sheet is page 3";
  EXPECT_EQ(Text(two).find(Text(second)), std::string::npos) << "page 2 was printed";

  const std::string all = PrintToPdf("preview-all.pdf");
  SetDialogAnswerer([&](TCommonDialog& d) {
    dynamic_cast<TPrintDialog&>(d).PrintRange = prAllPages;
    return true;
  });
  TPrntPrevFrm again(Viewer.get());
  again.PrintBtn->Click();
  EXPECT_EQ(PageCount(all), pages);
  EXPECT_TRUE(InOrder(Text(all), {"Gear trains", "Paragraph 0:", "Paragraph 60:", "Paragraph 119:"}));
}

// Through the run's spooler, whose queue prints on Letter: the preview shows the queue's
// paper, which the print dialog proposes whatever was chosen before; whatever paper the
// dialog then chooses, the job is laid out on it: every word once, "All" every page of that
// layout. A range that begins past the last page sends
// nothing to the queue and tells the user.
TEST_F(PrintPreviewTest, PrintsEveryWordOnThePaperTheJobUses)
{
  // The program's printer as the program starts: on the default queue, with its paper.
  ASSERT_TRUE(PrintToQueue());
  SetPrinter(std::make_unique<TPrinter>());
  Viewer->LoadFromString(Lines(10));
  {
    TPrntPrevFrm form(Viewer.get());
    EXPECT_EQ(form.MFPrinter->PhysicalHeight * 72 / form.MFPrinter->PixelsPerInchY, 792) << "Letter's height";
  }
  const int paragraphs = 120;
  std::string plain = "Gear trains";
  for (int i = 0; i < paragraphs; ++i)
    plain += " Paragraph " + std::to_string(i) + ": the driver turns the driven wheel the other way.";
  const std::map<std::string, int> expected = WordCounts(plain);
  Viewer->LoadFromString(Lines(paragraphs));
  const int before = QueueJobs();
  struct TPaper {
    std::string Job;
    bool Landscape;
    std::string Size;
  };
  // The preview shows Letter; the dialog chooses a smaller paper, upright and turned.
  for (const TPaper& paper : {TPaper{"A5", false, "420 x 595"}, TPaper{"A5", true, "595 x 420"}}) {
    SCOPED_TRACE(paper.Landscape);
    ASSERT_TRUE(PrintToQueue("A4", 150));
    Printer().SetLandscape(false);
    TPrntPrevFrm form(Viewer.get());
    EXPECT_EQ(form.MFPrinter->PhysicalHeight * 72 / form.MFPrinter->PixelsPerInchY, 792) << "Letter's height";
    SetDialogAnswerer([&](TCommonDialog& d) {
      // The dialog's choice of paper, made on the program's printer as the real one does.
      Printer().SetPaper(paper.Job);
      Printer().SetLandscape(paper.Landscape);
      dynamic_cast<TPrintDialog&>(d).PrintRange = prAllPages;
      return true;
    });
    form.PrintBtn->Click();
    EXPECT_EQ(form.ModalResult(), mrOk);
    const std::string pdf = TakeQueued("preview-on-" + paper.Job + (paper.Landscape ? "-landscape" : "") + ".pdf");
    ASSERT_FALSE(pdf.empty()) << "the queue printed nothing";
    EXPECT_EQ(PageSize(pdf), paper.Size);
    EXPECT_GT(PageCount(pdf), form.PageCount());
    EXPECT_EQ(WordCountDifferences(expected, WordCounts(Text(pdf))), "");
  }
  EXPECT_EQ(QueueJobs(), before + 2);
  // The next preview shows the paper the print dialog will propose again: the queue's own,
  // turned as it was last.
  {
    TPrntPrevFrm next(Viewer.get());
    EXPECT_EQ(next.MFPrinter->PhysicalHeight * 72 / next.MFPrinter->PixelsPerInchY, 612) << "Letter turned";
  }

  // Pages past the end, counted on the job's paper.
  ASSERT_TRUE(PrintToQueue("A4", 150));
  TPrntPrevFrm form(Viewer.get());
  const int32_t pages = form.PageCount();
  SetDialogAnswerer([&](TCommonDialog& d) {
    auto& p = dynamic_cast<TPrintDialog&>(d);
    p.PrintRange = prPageNums;
    p.FromPage = p.ToPage = pages + 1;
    return true;
  });
  std::string told;
  SetMessageAnswerer([&](const TMessageRequest& r) {
    told = r.Text;
    return mrOk;
  });
  form.PrintBtn->Click();
  SetMessageAnswerer(nullptr);
  EXPECT_EQ(told, "Nothing was printed: on the paper chosen the document has " + std::to_string(pages) + " pages.");
  EXPECT_EQ(form.ModalResult(), mrNone) << "the preview stays open for another choice";
  EXPECT_TRUE(QueueIdle());
  EXPECT_EQ(QueueJobs(), before + 2);
  EXPECT_FALSE(std::filesystem::exists(QueueOutput()));

  // A queue that refuses the job, and a temporary folder too full for it: the user is told
  // why, the preview stays open, and nothing reaches the queue.
  SetDialogAnswerer([&](TCommonDialog& d) {
    dynamic_cast<TPrintDialog&>(d).PrintRange = prAllPages;
    return true;
  });
  SetMessageAnswerer([&](const TMessageRequest& r) {
    told = r.Text;
    return mrOk;
  });
  testcmd::Output(std::string("cupsreject ") + QueueName);
  told.clear();
  form.PrintBtn->Click();
  testcmd::Output(std::string("cupsaccept ") + QueueName);
  EXPECT_EQ(told.rfind(std::string("The printer could not finish the document: ") + QueueName + ": ", 0), 0u) << told;
  EXPECT_EQ(form.ModalResult(), mrNone);
  told.clear();
  {
    TFileSizeLimit full(4096);
    form.PrintBtn->Click();
  }
  EXPECT_NE(told.find("The printer could not finish the document: "), std::string::npos) << told;
  EXPECT_NE(told.find("File too large"), std::string::npos) << told;
  EXPECT_EQ(form.ModalResult(), mrNone);
  EXPECT_TRUE(QueueIdle());
  EXPECT_EQ(QueueJobs(), before + 2) << "a refused or broken job reached the queue";

  // Printed to a file on a disk too small for it: the old file is left as it was.
  const std::string file = PrintToPdf("preview-old.pdf", 150);
  form.PrintBtn->Click();
  const std::vector<uint8_t> old = ReadFileBytes(file, 1 << 24);
  ASSERT_GT(old.size(), 1000u);
  told.clear();
  {
    TFileSizeLimit full(old.size() / 2);
    form.PrintBtn->Click();
  }
  EXPECT_NE(told.find(file), std::string::npos) << told;
  EXPECT_NE(told.find("File too large"), std::string::npos) << told;
  EXPECT_EQ(ReadFileBytes(file, 1 << 24), old);
  SetMessageAnswerer(nullptr);
}
