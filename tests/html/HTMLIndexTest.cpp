#include <gtest/gtest.h>

#include "html/HTMLIndex.h"

namespace {

const std::string StripeAndTitle =
    "<html><body ><table border=\"0\" width=\"100%\" cellspacing=\"0\" cellpadding=\"0\" height=\"3\"><tr><td "
    "background=\"/IMAGES/StripeLight.gif\" ><img border=\"0\" src=\"/IMAGES/TarvTitle.";
const std::string Rule = "\"></td></tr><tr><td><hr noshade size=\"3\" color=\"#6295C9\"></td></tr><tr><td>";

THTMLIndex ThreeHeadings()
{
  THTMLIndex index(nullptr);
  for (const char* t : {"Motion", "Levers", "Gears"})
    index.AddHeading(t);
  index.AddItem(0, "Rotary", "/Rotary.htm");
  index.AddItem(1, "Levers class 1", "/Lever_Class1.htm");
  index.AddItem(1, "Levers class 2", "/Lever_Class2.htm");
  index.AddItem(2, "Circular cam", "/Cam_Circular.htm#CIRCULAR");
  return index;
}

size_t Count(const std::string& s, const std::string& what)
{
  size_t n = 0;
  for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1))
    ++n;
  return n;
}

}   // namespace

TEST(HTMLIndex, EmptyIndexIsTheInstructionHeaderAndAnEmptyTable)
{
  THTMLIndex index(nullptr);
  EXPECT_TRUE(index.AllCollapsed());
  EXPECT_EQ(index.PageText(),
            StripeAndTitle + "bmp" + Rule +
                "<b>Click on one of the book symbols or headings to expand the list of topics.</b></td></tr></table>"
                "<table border=\"0\" width=\"100%\"></table></body></html>");
}

TEST(HTMLIndex, CollapsedHeadingsLinkByTheirPosition)
{
  THTMLIndex index = ThreeHeadings();
  std::string page = index.PageText();
  EXPECT_NE(page.find("<tr><td><a href=\"*2\"><img src=\"/images/PlusBook.gif\" border=\"0\"> &nbsp;<strong><font "
                      "color=\"#000000\">Gears</font></a></strong></td></tr>"),
            std::string::npos);
  EXPECT_EQ(Count(page, "PlusBook.gif"), 3u);
  EXPECT_EQ(Count(page, "topic.gif"), 0u);
  // The headings come in the order they were added.
  EXPECT_LT(page.find(">Motion<"), page.find(">Levers<"));
  EXPECT_LT(page.find(">Levers<"), page.find(">Gears<"));
}

TEST(HTMLIndex, OpeningOneHeadingClosesTheOthers)
{
  THTMLIndex index = ThreeHeadings();
  index.ToggleHeading(0);
  index.ToggleHeading(1);
  EXPECT_FALSE(index.Heading(0).Expanded);
  EXPECT_TRUE(index.Heading(1).Expanded);
  std::string page = index.PageText();
  // An open list swaps the instruction for a blank line.
  EXPECT_NE(page.find(StripeAndTitle + "bmp" + Rule + " &nbsp;</td></tr></table>"), std::string::npos);
  EXPECT_EQ(page.find("Click on one of"), std::string::npos);
  EXPECT_NE(page.find("<a href=\"*1\"><img src=\"/images/MinusBook.gif\""), std::string::npos);
  EXPECT_EQ(Count(page, "MinusBook.gif"), 1u);
  EXPECT_EQ(Count(page, "topic.gif"), 2u);
  EXPECT_NE(page.find("<tr><td><blockquote><p><img src=\"/images/topic.gif\"><a href=\"/Lever_Class2.htm\"> "
                      "&nbsp;Levers class 2</a></p></blockquote></td></tr>"),
            std::string::npos);
  EXPECT_EQ(page.find("/Rotary.htm"), std::string::npos);
  // The items follow their own heading's row, before the next heading.
  EXPECT_GT(page.find("/Lever_Class1.htm"), page.find(">Levers<"));
  EXPECT_LT(page.find("/Lever_Class2.htm"), page.find(">Gears<"));

  // Toggling the open heading closes it: the instruction is back.
  index.ToggleHeading(1);
  EXPECT_TRUE(index.AllCollapsed());
  EXPECT_NE(index.PageText().find("Click on one of"), std::string::npos);
}

TEST(HTMLIndex, SeveralHeadingsOpenWithoutSingleExpand)
{
  THTMLIndex index = ThreeHeadings();
  index.SingleExpand = false;
  index.ToggleHeading(0);
  index.ToggleHeading(2);
  std::string page = index.PageText();
  EXPECT_EQ(Count(page, "MinusBook.gif"), 2u);
  EXPECT_NE(page.find("/Rotary.htm"), std::string::npos);
  EXPECT_NE(page.find("/Cam_Circular.htm#CIRCULAR"), std::string::npos);
  EXPECT_EQ(page.find("/Lever_Class1.htm"), std::string::npos);
}

TEST(HTMLIndex, OutOfRangeHeadingNumbersChangeNothing)
{
  THTMLIndex index = ThreeHeadings();
  std::string before = index.PageText();
  index.AddItem(-1, "x", "/x.htm");
  index.AddItem(3, "y", "/y.htm");
  index.ToggleHeading(3);
  index.ToggleHeading(-1);
  EXPECT_EQ(index.PageText(), before);
  for (Integer i = 0; i < index.HeadingCount(); ++i)
    EXPECT_FALSE(index.Heading(i).Expanded);
  EXPECT_EQ(index.Heading(0).Items.size(), 1u);
}

TEST(HTMLIndex, SecondLanguageInstructionNamesTheJpegTitle)
{
  THTMLIndex index = ThreeHeadings();
  index.SecondLanguage = true;
  std::string page = index.PageText();
  EXPECT_NE(page.find(StripeAndTitle + "jpg" + Rule + "<b>Haga click"), std::string::npos);
  // With a list open the title picture is the bitmap again.
  index.ToggleHeading(0);
  EXPECT_NE(index.PageText().find(StripeAndTitle + "bmp" + Rule + " &nbsp;"), std::string::npos);
}
