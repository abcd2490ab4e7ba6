// The user's name on a printed model picture, read back from the PDF as a reader sees it:
// its text, and the page rendered to pixels under the name.
#include <gtest/gtest.h>

#include <filesystem>

#include "html/Pictures.h"
#include "platform/Dialogs.h"
#include "shell/ModelPicture.h"
#include "shell/PrintHelpers.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/shell/HelpTestSupport.h"

using namespace printtest;

namespace {

// Dark and light pixels inside a box of the page picture (box in points from the top left).
struct TInk {
  int Dark = 0, Light = 0, All = 0;
};
TInk InkIn(const TBitmap& page, double pixelsPerPoint, const TWordBox& box)
{
  TInk ink;
  for (int y = int(box.YMin * pixelsPerPoint); y < int(box.YMax * pixelsPerPoint); ++y)
    for (int x = int(box.XMin * pixelsPerPoint); x < int(box.XMax * pixelsPerPoint); ++x) {
      if (x < 0 || y < 0 || x >= page.Width() || y >= page.Height())
        continue;
      const TColor c = page.GetPixel(x, y);
      const int grey = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
      ++ink.All;
      if (grey < 80)
        ++ink.Dark;
      else if (grey > 180)
        ++ink.Light;
    }
  return ink;
}

}   // namespace

// The name lies over the picture's top-left corner: on a black model background as on a
// white one, it shows as dark letters on a light ground.
TEST(PrintedName, ReadableOnADarkAndOnALightPicture)
{
  SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
  for (TColor background : {clBlack, clWhite}) {
    const std::string name = background == clBlack ? "name-on-black" : "name-on-white";
    const std::string pdf = PrintToPdf(name + ".pdf", 150);
    // A picture of the page's own shape covers the whole printable area, corner included.
    TPrinterPageInfo info;
    ASSERT_TRUE(GetPrinterPageInfo(Printer().Handle(), &info));
    TBitmap picture(info.UsableWidth / 4, info.UsableHeight / 4);
    picture.Fill(background);
    ASSERT_TRUE(PrintBitmap(picture, "Jo Bloggs 4B"));

    ASSERT_EQ(PageCount(pdf), 1);
    const std::vector<TWordBox> words = Words(pdf, 1);
    const TWordBox* first = FindWord(words, "Jo");
    const TWordBox* last = FindWord(words, "4B");
    ASSERT_NE(first, nullptr) << name;
    ASSERT_NE(last, nullptr) << name;
    TWordBox line = *first;
    line.XMax = last->XMax;

    const int dpi = 100;
    const std::string png = OutputDir() + "/" + name;
    testcmd::Output("pdftoppm -r " + std::to_string(dpi) + " -png -singlefile '" + pdf + "' '" + png + "'");
    TTransparency t = NotTransp;
    std::unique_ptr<TBitmap> mask;
    std::unique_ptr<TBitmap> page = LoadImageFromFile(png + ".png", t, mask);
    ASSERT_NE(page, nullptr);
    // The page really carries the picture: its middle has the picture's colour.
    const TColor middle = page->GetPixel(page->Width() / 2, page->Height() / 2);
    EXPECT_EQ(GetGValue(middle) > 128, background == clWhite) << name;

    const TInk ink = InkIn(*page, dpi / 72.0, line);
    ASSERT_GT(ink.All, 0) << name;
    // Letters take some of the box and the ground most of the rest.
    EXPECT_GT(ink.Dark, ink.All / 20) << name;
    EXPECT_GT(ink.Light, ink.All / 3) << name;
  }
  Printer().SetOutputFileName("");
  SetMessageAnswerer(nullptr);
}

// The help about printing describes the printout as it comes out: the picture and the name
// in its top-left corner; no date (none is printed) is promised for it.
TEST(PrintedName, ThePrintingHelpPromisesOnlyWhatIsPrinted)
{
  const std::string page = helptest::ReadText(helptest::HelpSources() + "/Printing/Printing.htm");
  ASSERT_FALSE(page.empty());
  EXPECT_NE(page.find("name is printed in the top left-hand corner"), std::string::npos);
  EXPECT_EQ(page.find("and the date"), std::string::npos);
  EXPECT_NE(page.find("No date is printed"), std::string::npos);
}
