// Tables and lists as the builder reads them, and the placing of cells on a grid.
#include "tests/html/DocumentBuilderTestUtil.h"

#include <algorithm>
#include <functional>

#include "html/SmallSections.h"
#include "platform/CodePages.h"

std::string DumpTree(const TCellBasic& Cell)
{
  std::string out;
  for (const auto& s : Cell) {
    if (!out.empty())
      out += ' ';
    TSectionBase* b = s.get();
    if (auto* pre = dynamic_cast<TPreFormated*>(b)) {
      out += "pre'" + WideToMultiByte(1252, pre->BuffS) + "'";
    } else if (auto* t = dynamic_cast<TSection*>(b)) {
      out += "'" + WideToMultiByte(1252, t->BuffS) + "'";
    } else if (dynamic_cast<THRBlock*>(b)) {
      out += "hr";
    } else if (auto* tb = dynamic_cast<TTableBlock*>(b)) {
      out += "table[";
      const ThtmlTable& table = *tb->Table;
      if (table.Caption)
        out += "caption[" + DumpTree(*table.Caption->Cell) + "] ";
      for (int r = 0; r < table.Rows.Count(); ++r) {
        out += r ? " tr[" : "tr[";
        const TCellList& row = *table.Rows[r];
        for (int c = 0; c < row.Count(); ++c) {
          if (c)
            out += ' ';
          const TCellObj* cell = row[c];
          out += !cell ? "-"
                       : "td" + (cell->ColSpan > 1 ? std::to_string(cell->ColSpan) : std::string()) + "["
                             + DumpTree(*cell->Cell) + "]";
        }
        out += "]";
      }
      out += "]";
    } else if (auto* li = dynamic_cast<TBlockLI*>(b)) {
      out += "li" + std::to_string(li->ListNumb) + "[" + DumpTree(*li->MyCell) + "]";
    } else if (auto* body = dynamic_cast<TBodyBlock*>(b)) {
      out += "body[" + DumpTree(*body->MyCell) + "]";
    } else if (auto* block = dynamic_cast<TBlock*>(b)) {
      out += block->Tag() + "[" + DumpTree(*block->MyCell) + "]";
    } else if (dynamic_cast<TPage*>(b)) {
      out += "page";
    } else {
      out += "?";
    }
  }
  return out;
}

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
  EXPECT_EQ(span, 2);   // cut short by the row span from above
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

using Tables = DocumentBuilderTest;

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

TEST_F(Tables, RowsCellsAndCaptions)
{
  Parse(
      "<table border=1><caption align=bottom>c</caption><tr><th colspan=2>h</th><tr><td>a</td><td>b</td></tr>"
      "<td>new row</table>");
  EXPECT_EQ(DumpTree(*Doc), "body[table[caption['c'] tr[td2['h']] tr[td['a'] td['b']] tr[td['new row']]]]");
  auto* tb = dynamic_cast<TTableBlock*>((*dynamic_cast<TBodyBlock*>((*Doc)[0])->MyCell)[0]);
  ASSERT_NE(tb, nullptr);
  EXPECT_FALSE(tb->Table->TopCaption);
}

TEST_F(Tables, ASpanRunningIntoARowSpanIsCut)
{
  Parse("<table><col span=3><tr><td>a<td>b<td rowspan=2>c<tr><td colspan=3>d</table>");
  EXPECT_EQ(DumpTree(*Doc), "body[table[tr[td['a'] td['b'] td['c']] tr[td2['d']]]]");
}

TEST_F(Tables, NestedTablesStopAtTenDeep)
{
  std::string page;
  for (int i = 0; i < 12; ++i)
    page += "<table><tr><td>" + std::to_string(i);
  Parse(page);
  // The deeper tables' rows and cells go to the tenth table.
  const std::string tree = DumpTree(*Doc);
  size_t tables = 0;
  for (size_t at = tree.find("table["); at != std::string::npos; at = tree.find("table[", at + 1))
    ++tables;
  EXPECT_EQ(tables, 10u);
  EXPECT_NE(tree.find("tr[td['9']] tr[td['10']] tr[td['11']]"), std::string::npos) << tree;
  Layout(500);
}

TEST_F(Tables, AFloatInACellHoldsItsSidePastATableInside)
{
  // The nested table's cells are laid out while the outer cell's float stands: they must
  // not take the outer cell's record of it.
  Doc->ShowImages = false;
  Parse(
      "<table cellspacing=0 cellpadding=0><tr><td width=300><img align=left hspace=0 width=40 height=200>"
      "<table><tr><td>in<img align=right width=10 height=5></td></tr></table>beside</td></tr></table><p>after");
  for (int32_t width : {400, 0, 400}) {
    Layout(width);
    TSection* in = SectionWith(u"in");
    TSection* beside = SectionWith(u"beside");
    ASSERT_TRUE(in && beside);
    ASSERT_GE(beside->Lines.Count(), 1);
    if (width > 0) {
      EXPECT_EQ(beside->Lines[0]->LineIndent, 40) << width;
      EXPECT_LT(beside->Lines[0]->DrawY, 200);
    }
    EXPECT_GE(SectionWith(u"after")->ContentTop, 200) << width;   // below the float in the cell
  }
}

TEST_F(Tables, TheSameTextInAnotherFontTakesItsOwnWidth)
{
  // Short texts measured in a layout are kept for the rest of it, by font.
  auto widths = [&](const std::string& Page) {
    Doc->Clear();
    Parse(Page);
    Layout(800);
    std::vector<int32_t> out;
    std::function<void(const TCellBasic&)> walk = [&](const TCellBasic& C) {
      for (const auto& s : C) {
        if (auto* tb = dynamic_cast<const TTableBlock*>(s.get()))
          out.push_back(tb->Table->TableWidth);
        else if (auto* b = dynamic_cast<const TBlock*>(s.get()))
          walk(*b->MyCell);
      }
    };
    walk(*Doc);
    return out;
  };
  const std::string small = "<table><tr><td>abcd</td></tr></table>";
  const std::string big = "<table><tr><td style=\"font-size:30px\">abcd</td></tr></table>";
  const std::string bold = "<table><tr><td><b>abcd</b></td></tr></table>";
  const std::vector<int32_t> alone = {widths(small)[0], widths(big)[0], widths(bold)[0]};
  EXPECT_LT(alone[0], alone[1]);
  EXPECT_EQ(widths(small + big + bold + small), (std::vector<int32_t>{alone[0], alone[1], alone[2], alone[0]}));
}

TEST_F(Tables, CellBordersFromTheStyleAreDrawn)
{
  Parse(
      "<style>td.all { border: 3px solid #ff0000 } td.under { border-bottom: 2px solid #00ff00 }</style>"
      "<table cellspacing=0 cellpadding=0><tr><td class=all>ab</td><td class=under>cd</td>"
      "<td style='border: 1px solid; color: #0000ff'>ef</td><td>gh</td></tr></table>"
      "<table border=1 cellspacing=0 bordercolorlight=#00ffff bordercolordark=#00ffff><tr><td class=all>ij</td>"
      "<td class=under>kl</td></tr></table>");
  Layout(600);
  Device->ClearRecords();
  Doc->Draw(*Canvas, Rect(0, 0, 600, 400), 600, 0, 0, 0);
  auto fills = [&](TColor RGB) {
    std::vector<TRect> out;
    for (const TCanvasRecord& r : Device->Records)
      if (r.Kind == TCanvasRecord::Fill && ColorToRGB(r.Color) == RGB)
        out.push_back(r.Rect);
    return out;
  };
  auto textAt = [&](const std::u16string& Text) {
    for (const TCanvasRecord& r : Device->Records)
      if (r.Kind == TCanvasRecord::TextOut && r.Text == Text)
        return r.Point;
    ADD_FAILURE() << "not drawn";
    return TPoint{};
  };
  auto bounds = [](const std::vector<TRect>& Rs) {
    TRect u = Rs.empty() ? TRect{} : Rs[0];
    for (const TRect& r : Rs)
      u = {std::min(u.Left, r.Left), std::min(u.Top, r.Top), std::max(u.Right, r.Right), std::max(u.Bottom, r.Bottom)};
    return u;
  };
  // Red (0x0000FF as a colour value): the four sides of both ".all" cells, 3 pixels wide,
  // around their text; the one in the bordered table draws no sunken frame of its own.
  std::vector<TRect> red = fills(0x0000FF);
  ASSERT_EQ(red.size(), 8u);
  for (const TRect& r : red)
    EXPECT_EQ(std::min(r.Right - r.Left, r.Bottom - r.Top), 3);
  const TRect first = bounds({red.begin(), red.begin() + 4});
  const TPoint ab = textAt(u"ab");
  EXPECT_EQ(ab.X, first.Left + 3);
  EXPECT_GT(ab.Y, first.Top + 3);
  EXPECT_LT(ab.Y, first.Bottom - 3);
  const TRect second = bounds({red.begin() + 4, red.end()});
  const TPoint ij = textAt(u"ij");
  EXPECT_GT(ij.X, second.Left + 3 - 1);
  EXPECT_LT(ij.X, second.Right);
  // A side of its own: only the bottom, 2 pixels high, under the text and beside the first cell.
  std::vector<TRect> green = fills(0x00FF00);   // the plain table's, then the bordered one's
  ASSERT_EQ(green.size(), 2u);
  EXPECT_EQ(green[0].Bottom - green[0].Top, 2);
  EXPECT_EQ(green[0].Bottom, first.Bottom);
  EXPECT_EQ(green[0].Left, first.Right);
  EXPECT_GT(green[0].Top, textAt(u"cd").Y);
  // No colour of its own: the cell's text colour.
  std::vector<TRect> blue = fills(0xFF0000);
  EXPECT_EQ(blue.size(), 4u);
  EXPECT_EQ(bounds(blue).Left, green[0].Right);
  // In the bordered table the sides the style leaves keep the table's one-pixel frame.
  const TRect under = green[1];
  EXPECT_GE(under.Left, second.Right);
  bool framed = false;
  for (const TCanvasRecord& r : Device->Records)
    if (r.Kind == TCanvasRecord::Shape && ColorToRGB(r.Color) == 0xFFFF00u)
      for (const TPoint& p : r.Points)
        framed = framed || (p.X == under.Left && p.Y < under.Top);
  EXPECT_TRUE(framed) << "the frame's left side beside the text";
  const auto* tables = Doc->Count() ? dynamic_cast<TBlock*>((*Doc)[0]) : nullptr;
  ASSERT_NE(tables, nullptr);
  const auto* bordered = dynamic_cast<TTableBlock*>((*tables->MyCell)[1]);
  ASSERT_NE(bordered, nullptr);
  const TCellObj* kl = (*bordered->Table->Rows[0])[1];
  EXPECT_EQ(kl->Border, (std::array<int32_t, 4>{1, 1, 2, 1}));
  const auto* plain = dynamic_cast<TTableBlock*>((*tables->MyCell)[0]);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ((*plain->Table->Rows[0])[1]->Border, (std::array<int32_t, 4>{0, 0, 2, 0}));
}

TEST_F(Tables, APaintDuringALayoutLeavesTheLayoutAsItWouldBe)
{
  // A host may paint the page when a layout reports progress, from inside a cell's layout.
  struct TPaintingHost : THtmlDocHost {
    TSectionList* Doc = nullptr;
    TCanvas* Canvas = nullptr;
    int Paints = 0;
    void DoProgress(int32_t, int32_t) override
    {
      if (!Doc)
        return;
      ++Paints;
      Doc->Draw(*Canvas, Rect(0, 0, 400, 3000), 400, 0, 0, 0);
    }
  } host;
  std::string page = "<table>";
  for (int i = 0; i < 120; ++i)
    page += "<tr><td>cell " + std::to_string(i) + "<td><img align=left width=5 height=30>x y z";
  page += "</table>";
  auto places = [](const TCellBasic& Doc) {
    std::vector<TSection*> sections;
    Collect(Doc, sections);
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const TSection* t : sections)
      out.emplace_back(t->ContentTop, t->Lines.Count() ? t->Lines[0]->LineIndent : -1);
    return out;
  };
  Doc->ShowImages = false;
  Parse(page);
  Layout(400);

  TSectionList painted(&host, nullptr);
  painted.BitmapList = Doc->BitmapList;
  painted.ShowImages = false;
  painted.SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10,
                   12);
  THtmlParseContext ctx;
  ParseHTMLDocument(page, painted, ctx);
  int32_t sw = 0, curs = 0;
  painted.DoLogic(*Canvas, 0, 300, 1000, sw, curs);
  // Laid out again with the page painted from the places of the first layout.
  host.Doc = &painted;
  host.Canvas = Canvas.get();
  painted.DoLogic(*Canvas, 0, 400, 1000, sw, curs);
  EXPECT_GT(host.Paints, 0);
  EXPECT_EQ(places(painted), places(*Doc));
}

using Lists = DocumentBuilderTest;

TEST_F(Lists, NumbersFollowStartAndValue)
{
  Parse("<ol start=5><li>a<li value=9>b<li>c</ol>");
  EXPECT_EQ(DumpTree(*Doc), "body[ol[li5['a'] li9['b'] li10['c']]]");
}

TEST_F(Lists, BulletsFollowTheNesting)
{
  Parse("<ul><li>a<ul><li>b<ul><li>c</ul></ul></ul><ul plain><li>d</ul>");
  std::vector<ListBulletType> styles;
  std::function<void(const TCellBasic&)> walk = [&](const TCellBasic& c) {
    for (const auto& s : c)
      if (auto* b = dynamic_cast<TBlock*>(s.get())) {
        if (auto* li = dynamic_cast<TBlockLI*>(b))
          styles.push_back(li->ListStyleType);
        walk(*b->MyCell);
      }
  };
  walk(*Doc);
  EXPECT_EQ(styles, (std::vector<ListBulletType>{lbDisc, lbCircle, lbSquare, lbNone}));
}

TEST_F(Lists, DefinitionListsAndQuotes)
{
  Parse("<dl><dt>t<dd>d</dl><blockquote>q<p>r</blockquote><address>s</address>");
  EXPECT_EQ(DumpTree(*Doc), "body[dl[li1['t'] li2['d']] blockquote['q' p['r']] address['s']]");
}

using Blocks = DocumentBuilderTest;

TEST_F(Blocks, ParagraphsHeadingsAndDivisions)
{
  Parse("<p>a<p>b</p></p><p><h1 align=center>T</h1>x<div>y<p>z</div>w<center>c</center>");
  EXPECT_EQ(DumpTree(*Doc), "body[p['a'] p['b'] p[h1['T'] 'x'] div['y' p['z']] 'w' 'c']");
  EXPECT_EQ(SectionWith(u"T")->Justify, Centered);
  EXPECT_EQ(SectionWith(u"c")->Justify, Centered);
  EXPECT_EQ(SectionWith(u"w")->Justify, Left);
}

TEST_F(Blocks, RulesPagesAndPreformattedLines)
{
  Parse("a<hr size=3>b<page>c<pre>\r\n  x  <b>y</b>\r\n\r\nz</pre>after");
  EXPECT_EQ(DumpTree(*Doc), "body['a' hr 'b' page 'c' pre[pre'  x  y' pre'' pre'z'] 'after']");
}

TEST_F(Blocks, TheLastAutomaticMarginMovesOutOfADivision)
{
  Parse("<div><p>x</p></div>");
  auto* body = dynamic_cast<TBodyBlock*>((*Doc)[0]);
  ASSERT_NE(body, nullptr);
  auto* div = dynamic_cast<TBlock*>((*body->MyCell)[0]);
  ASSERT_NE(div, nullptr);
  auto* p = dynamic_cast<TBlock*>((*div->MyCell)[0]);
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->BottomAuto);
  EXPECT_TRUE(div->BottomAuto);
}

TEST_F(Blocks, BodyReplacesTheFirstBodyBlock)
{
  Parse("<html><head><title>t</title></head><body bgcolor=#ff0000 marginwidth=300>x</body></html>");
  ASSERT_EQ(Doc->Count(), 1);
  EXPECT_EQ(DumpTree(*Doc), "body['x']");
  Layout(400);
  EXPECT_EQ(ColorToRGB(Doc->Background), 0x0000FFu);
}

TEST_F(Lists, ItemsAndNestedLists)
{
  Parse("<ul><li>a<li>b<ol start=5><li>c<li value=9>d<li>e</ol></ul><dl><dt>t<dd>d2</dl>after");
  EXPECT_EQ(Texts(), u"a|b|c|d|e|t|d2|after");
  EXPECT_EQ(DumpTree(*Doc),
            "body[ul[li1['a'] li2['b' ol[li5['c'] li9['d'] li10['e']]]] dl[li1['t'] li2['d2']] 'after']");
}

TEST_F(Lists, EmptyListsAndItemsOutsideLists)
{
  Parse("<ul></ul><li>x<dd>y<ol></ul>z");
  EXPECT_EQ(Texts(), u"x|y|z");
}

}   // namespace

// A list item's end leaves its last paragraph's margin alone; the list's end takes it out to
// the list. So items holding paragraphs, or a list ending in a nested list, end the list
// where plain items do, and what follows the list starts at the same place.
TEST_F(Blocks, TheLastParagraphsMarginMovesOutOfTheListNotOutOfItsItem)
{
  auto height = [&](const std::string& Html) {
    Doc->Clear();
    Parse(Html);
    return Layout(400);
  };
  const int32_t plain = height("<ul><li>a</ul>");
  EXPECT_EQ(height("<ul><li><p>a</p></ul>"), plain);
  EXPECT_EQ(height("<ol><li>a<li><p>b</p></ol>"), height("<ol><li>a<li>b</ol>"));
  EXPECT_EQ(height("<ul><li>a<ul><li>b</ul></ul>"), height("<ul><li>a<li>b</ul>"));
  EXPECT_EQ(height("<ul><li><p>a</p></ul><p>x</p>"), height("<ul><li>a</ul><p>x</p>"));

  Doc->Clear();
  Parse("<ul><li><p>a</p></ul>");
  auto* body = dynamic_cast<TBodyBlock*>((*Doc)[0]);
  ASSERT_NE(body, nullptr);
  auto* list = dynamic_cast<TBlock*>((*body->MyCell)[0]);
  ASSERT_NE(list, nullptr);
  auto* item = dynamic_cast<TBlockLI*>((*list->MyCell)[0]);
  ASSERT_NE(item, nullptr);
  auto* para = dynamic_cast<TBlock*>((*item->MyCell)[item->MyCell->Count() - 1]);
  ASSERT_NE(para, nullptr);
  EXPECT_FALSE(para->BottomAuto);
  EXPECT_FALSE(item->BottomAuto);
  EXPECT_TRUE(list->BottomAuto);
}
