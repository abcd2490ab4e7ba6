#include "tests/html/BlocksTestUtil.h"

#include <optional>

namespace {

class TablesTest : public BlocksTestBase {
protected:
  // A table in its box, added to the document; rows and cells follow as the parser adds them.
  TTableBlock* AddTable(TAttributeList* Attr = nullptr, JustifyType Around = NoJustify, TCellBasic* Cell = nullptr)
  {
    if (!Cell)
      Cell = Doc.get();
    auto table = std::make_unique<ThtmlTable>(Doc.get(), Attr, &Style("table"));
    auto block = std::make_unique<TTableBlock>(Doc.get(), Style("table", {{MarginTop, "0"}}), Cell, std::move(table),
                                               Attr, Around);
    TTableBlock* raw = block.get();
    Cell->Add(std::move(block));
    return raw;
  }

  TCellList* AddRow(ThtmlTable& T) { return T.Rows.Add(std::make_unique<TCellList>(nullptr, nullptr)); }

  TCellObj* AddCell(TCellList& Row, const std::u16string& Text, TAttributeList* Attr = nullptr,
                    AlignmentType VAlign = AMiddle)
  {
    TCellObj* c = Row.Add(std::make_unique<TCellObj>(Doc.get(), VAlign, Attr, &Style("td")));
    if (!Text.empty())
      AddText(*c->Cell, Text);
    return c;
  }

  static int32_t ColumnSum(const ThtmlTable& T)
  {
    int32_t s = 0;
    for (int32_t i = 0; i < T.NumCols; ++i)
      s += T.Widths[i];
    return s;
  }
};

TEST_F(TablesTest, MoreThan200ColumnsAreRefused)
{
  for (int32_t cols : {200, 201}) {
    Doc->Clear();
    TTableBlock* b = AddTable();
    TCellList* row = AddRow(*b->Table);
    for (int32_t i = 0; i < cols; ++i)
      AddCell(*row, u"");
    if (cols == 200) {
      EXPECT_NO_THROW(Layout(400));
      EXPECT_EQ(b->Table->NumCols, 200);
    } else {
      try {
        Layout(400);
        ADD_FAILURE() << "no exception";
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "Table has too many Columns");
      }
    }
  }
  // Refused inside a list item, the document is left as it was for the next layout.
  Doc->Clear();
  auto* li = AddBlock<TBlockLI>(*Doc, Style("li"), lkItem, 1, '1', false, 0);
  TCellList* wide = AddRow(*AddTable(nullptr, NoJustify, li->MyCell.get())->Table);
  for (int32_t i = 0; i < 201; ++i)
    AddCell(*wide, u"");
  EXPECT_THROW(Layout(400), ETableError);
  EXPECT_EQ(Doc->FirstLineHtPtr, nullptr);
  // A column span from a page cannot make a row longer than a table may be: it stops at
  // the last column, leaving room for the real cells after it, and the page lays out.
  Doc->Clear();
  TTableBlock* b = AddTable();
  auto huge = Attrs({{ColSpanSy, 2000000000, "2000000000"}});
  auto span201 = Attrs({{ColSpanSy, 201, "201"}});
  TCellList* r1 = AddRow(*b->Table);
  AddCell(*r1, u"a");
  TCellObj* spanning = AddCell(*r1, u"x", huge.get());
  AddCell(*r1, u"b");
  AddCell(*r1, u"c");
  TCellObj* alone = AddCell(*AddRow(*b->Table), u"y", span201.get());
  EXPECT_NO_THROW(Layout(400));
  EXPECT_EQ(b->Table->NumCols, 200);
  EXPECT_EQ(spanning->ColSpan, 197);
  EXPECT_TRUE(r1->Items(197)->IsPlaceholder());
  EXPECT_FALSE(r1->Items(198)->IsPlaceholder());   // "b" and "c" in the last two columns
  EXPECT_FALSE(r1->Items(199)->IsPlaceholder());
  EXPECT_EQ(alone->ColSpan, 200);
}

TEST_F(TablesTest, SpansBecomePlaceholders)
{
  TTableBlock* b = AddTable();
  ThtmlTable& t = *b->Table;
  auto span3 = Attrs({{ColSpanSy, 3, "3"}});
  auto down = Attrs({{RowSpanSy, 9, "9"}});
  TCellList* r1 = AddRow(t);
  AddCell(*r1, u"wide", span3.get());
  AddCell(*r1, u"d", down.get());
  TCellList* r2 = AddRow(t);
  AddCell(*r2, u"a");
  AddCell(*r2, u"b");
  Layout(400);
  ASSERT_EQ(r1->Count(), 4);
  EXPECT_TRUE(r1->Items(1)->IsPlaceholder());
  EXPECT_TRUE(r1->Items(2)->IsPlaceholder());
  EXPECT_EQ(t.NumCols, 4);
  // The row span is cut to the rows there are, and the row below keeps its place for it.
  EXPECT_EQ(r1->Items(3)->RowSpan, 2);
  ASSERT_EQ(r2->Count(), 4);
  EXPECT_TRUE(r2->Items(3)->IsPlaceholder());
  // The spanning cells cover their columns and rows.
  EXPECT_EQ(r1->Items(0)->Wd, t.Widths[0] + t.Widths[1] + t.Widths[2]);
  EXPECT_EQ(r1->Items(3)->Ht, r1->RowHt + r2->RowHt);
  EXPECT_EQ(ColumnSum(t) + t.CellSpacing, t.TableWidth);
}

TEST_F(TablesTest, NaturalWidthAndSpacing)
{
  auto border = Attrs({{BorderSy, 1, ""}});
  TTableBlock* b = AddTable(border.get());
  ThtmlTable& t = *b->Table;
  TCellList* r = AddRow(t);
  TCellObj* a = AddCell(*r, u"aaaa");
  AddCell(*r, u"bb");
  Layout(400);
  EXPECT_EQ(t.CellSpacing, 4);
  EXPECT_EQ(a->HzSpace, 4);   // padding 1 and border 1 on each side
  // Each column: content + spacing + padding and borders.
  EXPECT_EQ(t.Widths[0], 32 + 4 + 4);
  EXPECT_EQ(t.Widths[1], 16 + 4 + 4);
  EXPECT_EQ(t.TableWidth, 40 + 24 + 4);
  EXPECT_EQ(b->NewWidth, t.TableWidth);
  EXPECT_EQ(r->RowHt, 16 + 4 + 4);
  EXPECT_EQ(t.SectionHeight, r->RowHt + 4);
}

TEST_F(TablesTest, FixedWidthSpreadsTheExtra)
{
  // Columns without room share the extra equally.
  auto w300 = Attrs({{WidthSy, 300, "300"}});
  TTableBlock* b = AddTable(w300.get());
  TCellList* r = AddRow(*b->Table);
  AddCell(*r, u"aaaa");
  AddCell(*r, u"bb");
  Layout(1000);
  EXPECT_EQ(b->Table->Widths[0], 36 + 121);
  EXPECT_EQ(b->Table->Widths[1], 20 + 121);
  EXPECT_EQ(b->Table->TableWidth, 300);
  // A column with room between its minimum and maximum takes it all.
  Doc->Clear();
  auto w150 = Attrs({{WidthSy, 150, "150"}});
  b = AddTable(w150.get());
  r = AddRow(*b->Table);
  AddCell(*r, u"aa aa aa aa");
  AddCell(*r, u"b");
  Layout(1000);
  EXPECT_EQ(b->Table->Widths[0], 20 + 116);
  EXPECT_EQ(b->Table->Widths[1], 12);
  EXPECT_EQ(b->Table->TableWidth, 150);
}

TEST_F(TablesTest, SpanningCellsShareTheirWidthByWhatTheirColumnsHave)
{
  // Above: "aa" (20 with spacing and padding) and "bbbb" (36); below, across both, a word
  // of 12 (100). The 44 the columns lack is shared in proportion to what each has.
  struct Case {
    const char* Name;
    std::optional<std::tuple<THtmlSymbol, int32_t, std::string>> FirstWidth;
    int32_t W0, W1;
    int32_t Max;   // the table's maximum width: its columns' maximums and the spacing
  };
  const Case cases[] = {
      // No widths: both minimums and maximums scale to the spanning cell: 36 and 64.
      {"plain", std::nullopt, 36, 64, 102},
      // A pixel width (40, so a maximum of 44) on the first: the minimums take 16 and 28,
      // the maximums (44 and 36) the missing 20 as 11 and 9; the widest of each counts.
      {"pixels", std::make_tuple(WidthSy, 40, std::string("40")), 44 + 11, 64, 121},
      // 25 % on the first: the minimums share by the maximums (16 and 28); the maximums'
      // lack goes whole to the column without a percent (36 + 44). The table is as wide as
      // its maximums (116), where 25 % (29) is below the first column's minimum, so the
      // columns get their maximums.
      {"percent", std::make_tuple(WidthSy, 25, std::string("25%")), 36, 80, 118},
  };
  for (const Case& c : cases) {
    Doc->Clear();
    TTableBlock* b = AddTable();
    ThtmlTable& t = *b->Table;
    TCellList* r1 = AddRow(t);
    std::unique_ptr<TAttributeList> first;
    if (c.FirstWidth)
      first = Attrs({*c.FirstWidth});
    AddCell(*r1, u"aa", first.get());
    AddCell(*r1, u"bbbb");
    TCellList* r2 = AddRow(t);
    auto span = Attrs({{ColSpanSy, 2, "2"}});
    TCellObj* wide = AddCell(*r2, u"cccccccccccc", span.get());
    Layout(1000);
    ASSERT_EQ(t.NumCols, 2) << c.Name;
    EXPECT_EQ(t.Widths[0], c.W0) << c.Name;
    EXPECT_EQ(t.Widths[1], c.W1) << c.Name;
    EXPECT_EQ(t.TableWidth, 2 + c.W0 + c.W1) << c.Name;
    // The spanning cell is as wide as its two columns, so its word fits on one line.
    EXPECT_EQ(wide->Wd, c.W0 + c.W1) << c.Name;
    EXPECT_EQ(r2->RowHt, 16 + 2 + 2) << c.Name;
    int32_t mn = 0, mx = 0;
    t.MinMaxWidth(*Canvas, mn, mx);
    EXPECT_EQ(mn, 102) << c.Name;
    EXPECT_EQ(mx, c.Max) << c.Name;
  }
}

TEST_F(TablesTest, PercentColumnsGiveWayToMinimums)
{
  auto half = Attrs({{WidthSy, 50, "50%"}});
  TTableBlock* b = AddTable();
  TCellList* r = AddRow(*b->Table);
  AddCell(*r, u"aaaaaaaaaa", half.get());
  AddCell(*r, u"b b b b b b b b b b", half.get());
  Layout(120);
  // The first column cannot have half: it keeps its minimum, the second takes the rest.
  EXPECT_EQ(b->Table->Widths[0], 84);
  EXPECT_EQ(b->Table->Widths[1], 34);
  EXPECT_EQ(b->Table->TableWidth, 120);
  // Wide enough, both have their half of the natural width.
  Layout(1000);
  EXPECT_EQ(b->Table->Widths[0], b->Table->Widths[1]);

  // More than 100 % in all: the columns still fill the table without going below minimums.
  Doc->Clear();
  auto big = Attrs({{WidthSy, 60, "60%"}});
  b = AddTable();
  r = AddRow(*b->Table);
  AddCell(*r, u"aaaaaa", big.get());
  AddCell(*r, u"bbbbbb", big.get());
  for (int32_t w : {60, 130, 500}) {
    Layout(w);
    const ThtmlTable& t = *b->Table;
    EXPECT_GE(t.Widths[0], t.MinWidths[0]);
    EXPECT_GE(t.Widths[1], t.MinWidths[1]);
    EXPECT_EQ(ColumnSum(t) + t.CellSpacing, t.TableWidth);
  }
  // A percentage table is a share of what is there.
  Doc->Clear();
  auto pct = Attrs({{WidthSy, 50, "50%"}});
  b = AddTable(pct.get());
  AddCell(*AddRow(*b->Table), u"x");
  Layout(400);
  EXPECT_EQ(b->Table->TableWidth, 200);
}

TEST_F(TablesTest, AlignmentPlacesTheTable)
{
  auto centre = Attrs({{AlignSy, 0, "center"}, {WidthSy, 100, "100"}});
  TTableBlock* c = AddTable(centre.get());
  AddCell(*AddRow(*c->Table), u"x");
  TTableBlock* around = AddTable(nullptr, Right);
  AddCell(*AddRow(*around->Table), u"xx");
  auto left = Attrs({{AlignSy, 0, "left"}});
  TTableBlock* f = AddTable(left.get());
  AddCell(*AddRow(*f->Table), u"float");
  TSection* beside = AddText(*Doc, u"text");
  Layout(400);
  EXPECT_EQ(c->Indent, 150);
  EXPECT_EQ(around->Indent, 400 - around->NewWidth);
  EXPECT_EQ(f->FloatLR, ALeft);
  EXPECT_EQ(f->SectionHeight, 0);
  EXPECT_EQ(beside->Lines[0]->LineIndent, f->NewWidth);
}

TEST_F(TablesTest, RowHeightsAndVerticalAlignment)
{
  TTableBlock* b = AddTable();
  ThtmlTable& t = *b->Table;
  auto tall = Attrs({{HeightSy, 100, "100"}});
  TCellList* r1 = AddRow(t);
  AddCell(*r1, u"t", tall.get());
  TCellObj* mid = AddCell(*r1, u"m", nullptr, AMiddle);
  TCellObj* bot = AddCell(*r1, u"b", nullptr, ABottom);
  TCellObj* top = AddCell(*r1, u"t", nullptr, ATop);
  auto span = Attrs({{RowSpanSy, 2, "2"}, {HeightSy, 300, "300"}});
  TCellList* r2 = AddRow(t);
  AddCell(*r2, u"s", span.get());
  AddRow(t);
  AddCell(*t.Rows[2], u"z");
  Layout(400);
  EXPECT_EQ(r1->RowHt, 102);
  EXPECT_EQ(top->YIndent, 0);
  EXPECT_EQ(mid->YIndent, (102 - 2 - 2 - 16) / 2);
  EXPECT_EQ(bot->YIndent, 102 - 2 - 2 - 16);
  // The spanning cell's height is spread over its two rows.
  EXPECT_EQ(r2->RowHt + t.Rows[2]->RowHt, 302);
  EXPECT_EQ(r2->RowHt, (302 - 20) / 2);
  // Text sits where the alignment put it.
  TSection* m = static_cast<TSection*>(mid->Cell->Items(0));
  EXPECT_EQ(m->ContentTop, 2 + 1 + mid->YIndent);
  // A table height taller than its rows grows them.
  Doc->Clear();
  auto high = Attrs({{HeightSy, 200, "200"}});
  b = AddTable(high.get());
  AddCell(*AddRow(*b->Table), u"a");
  AddCell(*AddRow(*b->Table), u"b");
  Layout(400);
  EXPECT_EQ(b->Table->SectionHeight, 200);
}

TEST_F(TablesTest, CellsAreSearchedAndHitInDocumentOrder)
{
  TTableBlock* b = AddTable();
  ThtmlTable& t = *b->Table;
  t.Caption = std::make_unique<TCellObj>(Doc.get(), AMiddle, nullptr, &Style("caption"));
  AddText(*t.Caption->Cell, u"cap");
  TCellList* r = AddRow(t);
  AddCell(*r, u"one");
  AddCell(*r, u"two");
  AddText(*Doc, u"after");
  Layout(400);
  DrawAll();
  EXPECT_EQ(Device->Texts(), (std::vector<std::u16string>{u"cap", u"one", u"two", u"after"}));
  EXPECT_EQ(Doc->FindString(0, u"two", true), 6);
  EXPECT_EQ(Doc->FindString(0, u"after", true), 9);
  char16_t ch = 0;
  TSectionBase* owner = nullptr;
  ASSERT_TRUE(Doc->CharAt(4, ch, owner));
  EXPECT_EQ(ch, u'n');
  // A point in the second cell finds its text.
  const int32_t x = t.Widths[0] + t.CellSpacing + 1 + 1;
  TCursorInfo info;
  EXPECT_EQ(Doc->CursorAt(*Canvas, x, t.CaptionHeight + 5, info), 6);
  Doc->SelB = 0;
  Doc->SelE = 100;
  EXPECT_EQ(Doc->GetSelText(), u"cap\r\none\r\ntwo\r\nafter\r\n");
}

TEST_F(TablesTest, PrintingBreaksBeforeARowThatWouldBeCut)
{
  TTableBlock* b = AddTable();
  for (int i = 0; i < 10; ++i)
    AddCell(*AddRow(*b->Table), u"row");
  std::unique_ptr<TSectionList> printCopy = PrintingCopy();
  TSectionList& copy = *printCopy;
  Device->ClearRecords();
  copy.Draw(*Canvas, Rect(0, 0, 200, 90), 200, 0, 0, 0);
  // Rows are 20 apart; the fifth starts at 80, below two thirds, and would be cut.
  EXPECT_EQ(copy.PageBottom, 81);
  EXPECT_TRUE(copy.PageBreak);
  EXPECT_EQ(Device->Texts().size(), 4u);
}

TEST_F(TablesTest, HostileSizesAreBounded)
{
  auto attrs = Attrs({{CellPaddingSy, 2000000000, ""},
                      {CellSpacingSy, 2000000000, ""},
                      {WidthSy, 2000000000, ""},
                      {HeightSy, 2000000000, ""},
                      {HSpaceSy, -2147483647, ""},
                      {VSpaceSy, 2000000000, ""}});
  TTableBlock* b = AddTable(attrs.get());
  EXPECT_EQ(b->Table->CellPadding, 50);
  EXPECT_EQ(b->Table->CellSpacing, 40);
  EXPECT_LE(b->VSpace, 200);
  auto cellAttrs = Attrs({{HeightSy, 2000000000, ""}, {WidthSy, 2000000000, ""}, {RowSpanSy, 2000000000, ""}});
  for (int i = 0; i < 50; ++i)
    AddCell(*AddRow(*b->Table), u"x", cellAttrs.get());
  for (int32_t w : {0, 400, 1000000})
    EXPECT_NO_THROW(Layout(w));
  DrawAll();
  EXPECT_LE(b->SectionHeight, MaxDocY);

  // Row spans that would fill a huge grid are cut.
  Doc->Clear();
  b = AddTable();
  auto down = Attrs({{RowSpanSy, 100000, "100000"}});
  TCellList* first = AddRow(*b->Table);
  for (int i = 0; i < 100; ++i)
    AddCell(*first, u"", down.get());
  for (int i = 0; i < 3000; ++i)
    AddRow(*b->Table);
  Layout(400);
  int64_t grid = 0;
  for (const auto& row : b->Table->Rows)
    grid += row->Count();
  EXPECT_LE(grid, 250000);
  EXPECT_LT(first->Items(99)->RowSpan, 3001);
}

}   // namespace
