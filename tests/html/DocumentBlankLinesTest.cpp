// Blank space that used to appear where nothing stands: a line holding only the space after
// an image (below an image that fills a table cell), and the empty line that the line end
// before the end of preformatted text leaves.
#include "html/SmallSections.h"
#include "tests/html/DocumentBuilderTestUtil.h"

namespace {

using BlankLines = DocumentBuilderTest;

int32_t LayOut(TSectionList& Doc, TCanvas& Canvas, int32_t Width)
{
  int32_t sw = 0, curs = 0;
  return Doc.DoLogic(Canvas, 0, Width, 600, sw, curs);
}

TEST_F(BlankLines, AnImageInACellTakesNoLineForTheSpaceAfterIt)
{
  Doc->ShowImages = false;
  Parse("<table><tr><td>\n<img src=a.gif width=50 height=50>\n</td></tr></table>");
  LayOut(*Doc, *Canvas, 600);
  const auto texts = Sections();
  ASSERT_EQ(texts.size(), 1u);
  const TSection* s = texts[0];
  // One line: the image and the space after it; the cell is as high as that line.
  ASSERT_EQ(s->Lines.Count(), 1);
  EXPECT_EQ(s->Lines[0]->Ln, s->Len);
  EXPECT_LT(s->SectionHeight, 50 + 16);

  // In running text the space after an image at the end of a line stays on that line, so
  // the next line does not start with it.
  Doc->Clear();
  Parse("<p>ab <img src=a.gif width=50 height=20> cd ef</p>");
  // "ab " is 24 pixels, the image 50: the line is full after the image (the body's margins
  // take 10 pixels on either side).
  LayOut(*Doc, *Canvas, 20 + 24 + 50 + 4);
  const TSection* p = Sections().at(0);
  ASSERT_GE(p->Lines.Count(), 2);
  EXPECT_EQ(LineText(*p, 1).substr(0, 2), u"cd");
}

TEST_F(BlankLines, PreformattedTextEndsWithItsLastLine)
{
  auto preBlock = [&]() -> const TBlock* {
    for (const auto& s : *Doc->Items(0)->ParentSectionList)
      if (auto* body = dynamic_cast<const TBlock*>(s.get()))
        for (const auto& c : *body->MyCell)
          if (auto* b = dynamic_cast<const TBlock*>(c.get()); b && b->Tag() == "pre")
            return b;
    return nullptr;
  };
  Parse("<pre>\nline1\nline2\n</pre>");
  LayOut(*Doc, *Canvas, 600);
  const TBlock* pre = preBlock();
  ASSERT_NE(pre, nullptr);
  int32_t lines = 0, lineHeight = 0;
  for (const auto& s : *pre->MyCell)
    if (auto* t = dynamic_cast<const TPreFormated*>(s.get()); t && t->Len > 0) {
      ++lines;
      lineHeight = t->SectionHeight;
    }
  ASSERT_EQ(lines, 2);
  EXPECT_EQ(pre->BoxBot - pre->ContentTop, 2 * lineHeight);

  // A blank line inside the text keeps its height; only the one at the end goes.
  Doc->Clear();
  Parse("<pre>a\n\nb\n</pre>");
  LayOut(*Doc, *Canvas, 600);
  pre = preBlock();
  ASSERT_NE(pre, nullptr);
  int32_t blank = 0;
  std::vector<int32_t> heights;
  for (const auto& s : *pre->MyCell)
    heights.push_back(s->SectionHeight);
  ASSERT_EQ(heights.size(), 4u);
  EXPECT_GT(heights[1], 0);
  EXPECT_EQ(heights[3], 0);
  blank = heights[1];
  EXPECT_EQ(pre->BoxBot - pre->ContentTop, heights[0] + blank + heights[2]);
}

}   // namespace
