// Tables and lists as the builder reads them, and the placing of cells on a grid.
#include "tests/html/ReadhtmlParserTestUtil.h"

namespace {

TEST(CellManager, SpansRunOverFreeColumnsOnly)
{
  TCellManager m(3);
  m.NewRow();
  int32_t span = 1;
  EXPECT_EQ(m.FindColumn(span, 1), 0);
  EXPECT_EQ(m.FindColumn(span, 1), 1);
  EXPECT_EQ(m.FindColumn(span, 2), 2);   // takes column 2 of the next row too
  m.NewRow();
  span = 3;
  EXPECT_EQ(m.FindColumn(span, 1), 0);
  EXPECT_EQ(span, 2);                    // cut short by the row span from above
  EXPECT_EQ(m.Rows()[1], "xxx");
}

TEST(CellManager, RowsGrowPastTheDescribedColumnsUpToTheLimit)
{
  TCellManager m(1);
  m.NewRow();
  int32_t span = 1;
  m.FindColumn(span, 1);
  EXPECT_EQ(m.FindColumn(span, 1), 1);
  span = 100000;
  EXPECT_EQ(m.FindColumn(span, 100000), 2);
  EXPECT_EQ(span, MaxTableColumns - 2);
  EXPECT_EQ(m.Rows().size(), static_cast<size_t>(MaxSpanRows));
  span = 1;
  EXPECT_EQ(m.FindColumn(span, 1), MaxTableColumns);   // no room left
}

using Tables = ReadhtmlParserTest;

TEST_F(Tables, CellsRowsAndCaptionsKeepTheirText)
{
  Parse("<p>before<table border=1><caption>cap</caption><tr><th>h1<th>h2<tr><td>a<td>b</table>after");
  EXPECT_EQ(Texts(), u"before|cap|h1|h2|a|b|after");
}

TEST_F(Tables, TextOutsideCellsGoesAfterTheTable)
{
  Parse("<table>stray<tr>also<td>in</td>between</tr></table>");
  const std::u16string t = Texts();
  EXPECT_NE(t.find(u"in"), std::u16string::npos);
  EXPECT_NE(t.find(u"stray"), std::u16string::npos);
  EXPECT_NE(t.find(u"between"), std::u16string::npos);
}

TEST_F(Tables, CellAlignmentFromColumnsAndTags)
{
  Parse("<table><colgroup align=right><col><col align=center></colgroup><tr><td>r<td>c<td>l<th>h</table>");
  EXPECT_EQ(SectionWith(u"r")->Justify, Right);
  EXPECT_EQ(SectionWith(u"c")->Justify, Centered);
  EXPECT_EQ(SectionWith(u"l")->Justify, Left);
  EXPECT_EQ(SectionWith(u"h")->Justify, Centered);
}

TEST_F(Tables, AnOpenLinkEndsAtATable)
{
  Parse("<a href=x>in<table><tr><td>cell</table>out");
  EXPECT_TRUE(RunAt(u"in")->IsLink());
  EXPECT_FALSE(RunAt(u"cell")->IsLink());
  EXPECT_FALSE(RunAt(u"out")->IsLink());
}

TEST_F(Tables, FormsAroundRowsKeepTheTable)
{
  Parse("<table><form><tr><td><input name=a></td></tr></form></table><input name=b>");
  ASSERT_EQ(Doc->FormControlList.size(), 2u);
  // The cell's control joins the form; the one after the form's end gets a form of its own.
  EXPECT_EQ(Doc->htmlFormList.Count(), 2);
  EXPECT_NE(Doc->FormControlList[0]->MyForm, Doc->FormControlList[1]->MyForm);
  EXPECT_EQ(Doc->FormControlList[0]->Name, "a");
}

using Lists = ReadhtmlParserTest;

TEST_F(Lists, ItemsAndNestedLists)
{
  Parse("<ul><li>a<li>b<ol start=5><li>c<li value=9>d<li>e</ol></ul><dl><dt>t<dd>d2</dl>after");
  EXPECT_EQ(Texts(), u"a|b|c|d|e|t|d2|after");
}

TEST_F(Lists, EmptyListsAndItemsOutsideLists)
{
  Parse("<ul></ul><li>x<dd>y<ol></ul>z");
  EXPECT_EQ(Texts(), u"x|y|z");
}

}  // namespace
