#include "platform/Printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include "platform/Files.h"
#include "tests/CommandOutput.h"
#include "tests/platform/PrintSpooler.h"
#include "tests/platform/SmallDisk.h"

namespace {

std::string OutputFile(const char* name) { return std::string(ORRELO_TEST_OUTPUT) + "/" + name; }

template <class F>
std::string ErrorOf(F&& f)
{
  try {
    f();
  } catch (const EPrinter& e) {
    return e.Message;
  }
  return "";
}

// A job of a page full of text, too big for a small disk.
void PrintBigPage(TPrinter& Printer)
{
  Printer.BeginDoc();
  for (int line = 0; line < 60; ++line)
    Printer.Canvas().TextOut(10, 10 + line * 20, std::string(80, char('A' + line % 26)) + " " + std::to_string(line));
  Printer.EndDoc();
}


// The kinds of ink on the first page of a PDF rastered at 20 dpi: "grey" for any pixel
// darker than the paper without colour, "red", "green" or "blue" for one of that colour.
std::string PageColours(const std::string& pdf)
{
  const std::string ppm = testcmd::Output("pdftoppm -r 20 -f 1 -l 1 '" + pdf + "' 2>/dev/null");
  std::istringstream in(ppm);
  std::string magic;
  int w = 0, h = 0, maxval = 0;
  in >> magic >> w >> h >> maxval;
  in.get();
  if (magic != "P6" || w <= 0 || h <= 0)
    return "no picture";
  std::set<std::string> kinds;
  for (int i = 0; i < w * h; ++i) {
    const int r = in.get(), g = in.get(), b = in.get();
    if (!in)
      return "cut short";
    const int most = std::max({r, g, b}), least = std::min({r, g, b});
    if (most - least > 60)
      kinds.insert(r == most ? "red" : g == most ? "green" : "blue");
    else if (most < 200)
      kinds.insert("grey");
  }
  std::string out;
  for (const std::string& k : kinds)
    out += (out.empty() ? "" : " ") + k;
  return out;
}

// The pictures in a PDF as pdfimages lists them: width x height and the encoding ("image"
// where stored without loss, "jpeg" where not).
std::vector<std::string> PicturesIn(const std::string& pdf)
{
  std::istringstream images(testcmd::Output("pdfimages -list '" + pdf + "' 2>/dev/null"));
  std::vector<std::string> found;
  for (std::string line; std::getline(images, line);) {
    std::istringstream fields(line);
    std::string page, number, type, width, height, colour, components, bits, encoding;
    if (fields >> page >> number >> type >> width >> height >> colour >> components >> bits >> encoding
        && type == "image")
      found.push_back(width + "x" + height + " " + encoding);
  }
  return found;
}

}   // namespace

TEST(PrintersTest, PdfJobPagesAndMetrics)
{
  std::string file = OutputFile("printer.pdf");
  TPrinter printer;
  printer.SetOutputFileName(file);
  printer.SetResolution(150);
  EXPECT_EQ(printer.Resolution(), 150);
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.PageNumber(), 0);
  // Measurements need no job.
  Integer w = printer.PageWidth(), h = printer.PageHeight();
  EXPECT_GT(w, 1000);
  EXPECT_GT(h, w);   // portrait
  EXPECT_EQ(printer.GetDeviceCaps(LOGPIXELSX), 150);
  EXPECT_GE(printer.GetDeviceCaps(PHYSICALWIDTH), w + printer.GetDeviceCaps(PHYSICALOFFSETX));
  EXPECT_TRUE(printer.GetDeviceCaps(RASTERCAPS) & RC_BITMAP64);
  EXPECT_EQ(printer.Handle()->GetDeviceCaps(HORZRES), w);

  printer.Title = "A job name longer than the thirty-one characters a spooler shows";
  printer.BeginDoc();
  EXPECT_TRUE(printer.Printing());
  EXPECT_EQ(printer.PageNumber(), 1);
  TCanvas& c = printer.Canvas();
  EXPECT_EQ(c.GetDeviceCaps(HORZRES), w);
  EXPECT_EQ(c.GetDeviceCaps(LOGPIXELSY), 150);
  c.Font().SetName("Arial");
  c.Font().SetSize(10);
  // Ten points at 150 dpi.
  EXPECT_NEAR(c.GetTextMetrics().tmHeight, 24, 4);
  c.TextOut(0, 0, "Page one");
  c.Brush().SetColor(clRed);
  c.FillRect(Rect(100, 100, 400, 300));
  // A small picture of flat colours, enlarged thirty times: its colours come out as they are.
  TBitmap flat(10, 10);
  flat.Fill(clWhite);
  for (Integer y = 0; y < 10; ++y)
    for (Integer x = 0; x < 10; ++x)
      flat.SetPixel(x, y, (x + y) % 3 == 0 ? clGreen : (x + y) % 3 == 1 ? clRed : clWhite);
  printer.Handle()->StretchPicture(Rect(500, 100, 800, 400), flat);
  printer.NewPage();
  EXPECT_EQ(printer.PageNumber(), 2);
  printer.Canvas().TextOut(0, 0, "Page two");
  EXPECT_EQ(ErrorOf([&] { printer.BeginDoc(); }), "Printing in progress");
  EXPECT_EQ(ErrorOf([&] { printer.SetResolution(300); }), "Printing in progress");
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(printer.PageNumber(), 0);

  std::vector<uint8_t> bytes = ReadFileBytes(file, 1 << 24);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");
  std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("/Count 2"), std::string::npos);
  EXPECT_EQ(PageColours(file), "green grey red") << "the red fill or the picture is not on the page";
  // The picture goes into the file at its own size, stored without loss: in the lossy form a
  // small picture's colours bleed into each other, and enlarged each smear shows.
  EXPECT_EQ(PicturesIn(file), std::vector<std::string>{"10x10 image"});

  // Printed in greys, as "Grayscale" in the print dialog asks, a coloured fill, text and
  // picture come out in their shades of grey.
  printer.SetGreys(true);
  EXPECT_TRUE(printer.Greys());
  printer.BeginDoc();
  EXPECT_EQ(ErrorOf([&] { printer.SetGreys(false); }), "Printing in progress");
  TCanvas& grey = printer.Canvas();
  grey.Brush().SetColor(clRed);
  grey.FillRect(Rect(100, 100, 400, 300));
  grey.Font().SetColor(clBlue);
  grey.Font().SetSize(40);
  grey.TextOut(100, 400, "Blue");
  TBitmap picture(20, 20);
  picture.Fill(clLime);
  printer.Handle()->StretchPicture(Rect(100, 600, 400, 900), picture);
  // A tall picture going on past the sheet's foot: 15 of its 100 rows are on the sheet, 5 of
  // them inside the clip that keeps the sheet's foot clear.
  TBitmap tall(10, 100);
  tall.Fill(clBlue);
  grey.IntersectClipRect(0, 0, w, h - 100);
  printer.Handle()->StretchPicture(Rect(500, h - 150, 600, h + 850), tall);
  printer.EndDoc();
  EXPECT_EQ(PageColours(file), "grey") << "colour in a job printed in greys";
  printer.SetGreys(false);
  // The pictures, enlarged on the page, are in the file at their own size, the tall one with
  // only the rows shown on the sheet: the page scales them (a picture made at the printer's
  // resolution for each would make a file many times larger and a preview of many pictures
  // take seconds a page).
  EXPECT_EQ(PicturesIn(file), (std::vector<std::string>{"20x20 image", "10x5 image"}));
}

// The job's name is cut to the 31 characters a spooler shows, never inside a character.
TEST(PrintersTest, AJobNameIsCutBetweenCharacters)
{
  std::string file = OutputFile("printer-title.pdf");
  TPrinter printer;
  printer.SetOutputFileName(file);
  // Thirty letters, then two-byte characters: a cut at byte 31 halves the first of them.
  printer.Title = std::string(30, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9 more";
  printer.BeginDoc();
  printer.Canvas().TextOut(0, 0, "x");
  printer.EndDoc();
  const std::string info = testcmd::Output("pdfinfo '" + file + "' 2>/dev/null");
  ASSERT_NE(info.find("Pages:"), std::string::npos) << "pdfinfo reads the file";
  EXPECT_NE(info.find(std::string(30, 'a') + "\xC3\xA9\n"), std::string::npos) << info;
}

TEST(PrintersTest, OutsideAJobAndAborted)
{
  TPrinter printer;
  EXPECT_EQ(ErrorOf([&] { printer.NewPage(); }), "Printer is not currently printing");
  EXPECT_EQ(ErrorOf([&] { printer.EndDoc(); }), "Printer is not currently printing");
  EXPECT_EQ(ErrorOf([&] { printer.Abort(); }), "Printer is not currently printing");
  EXPECT_EQ(ErrorOf([&] { printer.Canvas(); }), "Printer is not currently printing");
  EXPECT_EQ(ErrorOf([&] { printer.SetPrinterIndex(int(PrinterNames().size())); }), "Printer index out of range");

  std::string file = OutputFile("aborted.pdf");
  printer.SetOutputFileName(file);
  printer.SetResolution(72);
  printer.BeginDoc();
  printer.Canvas().TextOut(10, 10, "never printed");
  printer.Abort();
  EXPECT_TRUE(printer.Aborted());
  EXPECT_FALSE(printer.Printing());
  EXPECT_FALSE(FileExists(file));

  // A printer destroyed in a job ends it, so what was printed is kept.
  std::string kept = OutputFile("kept.pdf");
  {
    TPrinter p;
    p.SetOutputFileName(kept);
    p.SetResolution(72);
    p.BeginDoc();
    p.Canvas().TextOut(10, 10, "kept");
  }
  EXPECT_TRUE(FileExists(kept));
}

// A PDF file that cannot be written whole is an error naming the file and the cause; the
// file of that name is left as it was, and nothing half written stays beside it.
TEST(PrintersTest, AFileThatCannotBeWrittenWholeIsAnErrorAndKeepsTheOldFile)
{
  const std::string dir = OutputFile("printing-full-disk");
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string file = dir + "/old.pdf";
  TPrinter printer;
  printer.SetOutputFileName(file);
  printer.SetResolution(150);
  printer.BeginDoc();
  printer.Canvas().TextOut(10, 10, "The old file");
  printer.EndDoc();
  const std::vector<uint8_t> old = ReadFileBytes(file, 1 << 24);
  ASSERT_GT(old.size(), 500u);

  std::string error;
  {
    TFileSizeLimit disk(old.size() / 2);
    error = ErrorOf([&] { PrintBigPage(printer); });
  }
  EXPECT_NE(error.find("The printer could not finish the document"), std::string::npos) << error;
  EXPECT_NE(error.find(file), std::string::npos) << "the file is not named: " << error;
  EXPECT_NE(error.find("File too large"), std::string::npos) << "the cause is not named: " << error;
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(ReadFileBytes(file, 1 << 24), old) << "the old file was touched";
  EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"old.pdf"}) << "a half-written file was left";
  // Written whole, the new file takes the name.
  PrintBigPage(printer);
  EXPECT_NE(testcmd::Output("pdftotext '" + file + "' -").find(std::string(80, 'C')), std::string::npos);
  EXPECT_EQ(FolderNames(dir), std::vector<std::string>{"old.pdf"});

  // A pipe under the name is neither replaced by a file nor written to: the job does not start,
  // and the error names the file.
  const std::string pipe = dir + "/pipe.pdf";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  printer.SetOutputFileName(pipe);
  error = ErrorOf([&] { printer.BeginDoc(); });
  EXPECT_NE(error.find(pipe), std::string::npos) << error;
  EXPECT_FALSE(printer.Printing());
  EXPECT_TRUE(std::filesystem::is_fifo(pipe)) << "the pipe was replaced";
  // A folder the file cannot be made in: the printer is not at fault, the file is.
  printer.SetOutputFileName(file + "/in-a-file.pdf");
  EXPECT_EQ(ErrorOf([&] { printer.BeginDoc(); }),
            "The printer could not finish the document: " + file + "/in-a-file.pdf: Not a directory");
  // A link stays a link: the file it points to takes the new PDF.
  const std::string link = dir + "/link.pdf";
  std::filesystem::create_symlink("old.pdf", link);
  printer.SetOutputFileName(link);
  printer.BeginDoc();
  printer.Canvas().TextOut(10, 10, "Through the link");
  printer.EndDoc();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_NE(testcmd::Output("pdftotext '" + file + "' -").find("Through the link"), std::string::npos);
  EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"link.pdf", "old.pdf", "pipe.pdf"}));
}

TEST(PrintersTest, ProcessWidePrinterCanBeReplaced)
{
  TPrinter& first = Printer();
  EXPECT_EQ(&Printer(), &first);
  auto mine = std::make_unique<TPrinter>();
  TPrinter* raw = mine.get();
  std::unique_ptr<TPrinter> old = SetPrinter(std::move(mine));
  EXPECT_EQ(old.get(), &first);
  EXPECT_EQ(&Printer(), raw);
  SetPrinter(std::move(old));
  EXPECT_EQ(&Printer(), &first);
}

// Through the run's spooler: a printer on a queue takes the queue's own paper, a job reaches
// the queue whole on the paper chosen for it, and a cancelled one never does.
TEST(PrintersTest, SpoolerJobsArriveWholeAndCancelledOnesNever)
{
  using namespace printtest;
  ASSERT_TRUE(PrintToQueue());
  TPrinter printer;
  const std::vector<std::string> names = printer.Printers();
  printer.SetPrinterIndex(static_cast<Integer>(std::find(names.begin(), names.end(), QueueName) - names.begin()));
  EXPECT_EQ(printer.Paper(), "Letter") << "the queue's own paper";
  printer.SetResolution(150);
  const Integer letterHeight = printer.PageHeight();
  printer.Title = "Spooled";
  const int before = QueueJobs();
  printer.BeginDoc();
  printer.Canvas().TextOut(10, 10, "Spooled whole");
  printer.EndDoc();
  const std::string letter = TakeQueued("spooled-letter.pdf");
  EXPECT_EQ(QueueJobs(), before + 1);
  ASSERT_FALSE(letter.empty()) << "the queue printed nothing";
  EXPECT_EQ(PageSize(letter), "612 x 792");
  EXPECT_NE(testcmd::Output("pdftotext '" + letter + "' -").find("Spooled whole"), std::string::npos);

  // Another paper, turned: measured and printed as chosen.
  printer.SetPaper("A5");
  printer.SetLandscape(true);
  EXPECT_LT(printer.PageHeight(), letterHeight * 3 / 5);
  EXPECT_LT(printer.PageHeight(), printer.PageWidth());
  printer.BeginDoc();
  printer.Canvas().TextOut(10, 10, "Turned");
  printer.EndDoc();
  const std::string a5 = TakeQueued("spooled-a5-landscape.pdf");
  ASSERT_FALSE(a5.empty());
  EXPECT_EQ(PageSize(a5), "595 x 420");
  // The pages are turned already: the job does not ask the spooler to turn them (nor, sent
  // empty, not to: "nolandscape").
  const std::string attributes = LastJobAttributes();
  EXPECT_NE(attributes.find("media"), std::string::npos) << "no control file of the job";
  EXPECT_EQ(attributes.find("landscape"), std::string::npos);

  // Cancelled after a page and a half: no job, no file.
  printer.BeginDoc();
  printer.Canvas().TextOut(10, 10, "Never printed");
  printer.NewPage();
  printer.Abort();
  EXPECT_TRUE(QueueIdle());
  EXPECT_EQ(QueueJobs(), before + 2);
  EXPECT_FALSE(std::filesystem::exists(QueueOutput()));
  EXPECT_EQ(ErrorOf([&] { printer.SetPaper("Napkin"); }), "Paper size not supported");

  // A queue that refuses jobs: the job ends with the printer's error, not as printed, naming
  // the queue and the spooler's reason.
  testcmd::Output(std::string("cupsreject ") + QueueName);
  printer.BeginDoc();
  printer.Canvas().TextOut(10, 10, "Refused");
  const std::string refused = ErrorOf([&] { printer.EndDoc(); });
  EXPECT_EQ(refused.rfind(std::string("The printer could not finish the document: ") + QueueName + ": ", 0), 0u)
      << refused;
  EXPECT_NE(refused.find("accepting"), std::string::npos) << "no reason given: " << refused;
  testcmd::Output(std::string("cupsaccept ") + QueueName);
  EXPECT_FALSE(printer.Printing());
  EXPECT_EQ(QueueJobs(), before + 2);

  // A job that cannot be written whole (the temporary folder full) is an error, and no
  // broken job reaches the queue.
  std::string full;
  {
    TFileSizeLimit disk(2048);
    full = ErrorOf([&] { PrintBigPage(printer); });
  }
  EXPECT_NE(full.find("File too large"), std::string::npos) << full;
  EXPECT_FALSE(printer.Printing());
  EXPECT_TRUE(QueueIdle());
  EXPECT_EQ(QueueJobs(), before + 2) << "a broken job reached the queue";

  // A queue chosen, then taken away before the page is printed on a printer that copies the
  // chosen settings (as a page's print does): the job fails and goes to no other queue.
  const std::string gone = "OrreloGone";
  testcmd::Output("lpadmin -p " + gone + " -E -v file:/dev/null 2>&1");
  TPrinter chosen;
  const std::vector<std::string> withGone = chosen.Printers();
  const auto at = std::find(withGone.begin(), withGone.end(), gone);
  ASSERT_NE(at, withGone.end()) << "the queue was not made";
  chosen.SetPrinterIndex(static_cast<Integer>(at - withGone.begin()));
  testcmd::Output("lpadmin -x " + gone + " 2>&1");
  TPrinter copy;
  copy.AssignSettings(chosen);
  EXPECT_EQ(ErrorOf([&] {
              copy.BeginDoc();
              copy.Canvas().TextOut(10, 10, "Elsewhere");
              copy.EndDoc();
            }),
            "Printer selected is not valid");
  EXPECT_FALSE(copy.Printing());
  EXPECT_TRUE(QueueIdle());
  EXPECT_EQ(QueueJobs(), before + 2) << "the job went to another queue";
}
