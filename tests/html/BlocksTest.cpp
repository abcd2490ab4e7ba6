#include "tests/html/BlocksTestUtil.h"

namespace {

using BlocksTest = BlocksTestBase;

TEST_F(BlocksTest, NeighbouringMarginsCollapse)
{
  struct Case {
    const char* Bottom;
    const char* Top;
    int32_t Gap;
  };
  for (const Case& c : {Case{"20px", "10px", 20}, Case{"-5px", "10px", 5}, Case{"-5px", "-10px", -10}}) {
    Doc->Clear();
    TBlock* a = AddBlock(*Doc, Style("div", {{MarginTop, "0"}, {MarginBottom, c.Bottom}}));
    AddText(*a->MyCell, u"a");
    TBlock* b = AddBlock(*Doc, Style("div", {{MarginTop, c.Top}, {MarginBottom, "0"}}));
    AddText(*b->MyCell, u"b");
    Layout(400);
    EXPECT_EQ(b->BoxTop - a->BoxBot, c.Gap) << c.Bottom << " " << c.Top;
    EXPECT_EQ(a->SectionHeight, 16);
  }
}

TEST_F(BlocksTest, FirstAutoTopMarginGoesExceptInTheBody)
{
  auto body =
      std::make_unique<TBodyBlock>(Doc.get(), Style("body", {{MarginTop, "0"}, {MarginLeft, "0"}}), Doc.get(), nullptr);
  TBodyBlock* bodyRaw = body.get();
  Doc->Add(std::move(body));
  TBlock* p1 = AddBlock(*bodyRaw->MyCell, Style("p", {{MarginTop, "auto"}, {MarginBottom, "auto"}}));
  AddText(*p1->MyCell, u"first");
  auto* li = AddBlock<TBlockLI>(*bodyRaw->MyCell, Style("li", {{MarginTop, "0"}}), lkUnordered, 1, '1', false, 1);
  TBlock* p2 = AddBlock(*li->MyCell, Style("p", {{MarginTop, "auto"}, {MarginBottom, "auto"}}));
  AddText(*p2->MyCell, u"in item");
  Layout(400);
  EXPECT_EQ(p1->BoxTop, 14);               // kept in the body
  EXPECT_EQ(p2->BoxTop, li->ContentTop);   // dropped in a list item
  // The item's top margin met the paragraph's auto bottom margin: 14 apart.
  EXPECT_EQ(li->BoxTop - p1->BoxBot, 14);
  // At the end of a container the last auto bottom margin goes; a list item looks inside.
  EXPECT_TRUE(li->ClearAutoBottomMargin());
  EXPECT_FALSE(li->ClearAutoBottomMargin());
}

TEST_F(BlocksTest, WidthsAndAutoMargins)
{
  TBlock* centred =
      AddBlock(*Doc, Style("div", {{piWidth, "200px"}, {MarginLeft, "auto"}, {MarginRight, "auto"}, {MarginTop, "0"}}));
  AddText(*centred->MyCell, u"x");
  TBlock* right = AddBlock(*Doc, Style("div", {{piWidth, "300px"}, {MarginLeft, "auto"}, {MarginRight, "10px"}}));
  AddText(*right->MyCell, u"x");
  TBlock* narrow = AddBlock(*Doc, Style("div", {{piWidth, "10px"}, {MarginLeft, "5px"}}));
  AddText(*narrow->MyCell, u"wordwordword");
  TBlock* boxed = AddBlock(*Doc, Style("div", {{MarginLeft, "10px"},
                                               {MarginRight, "20px"},
                                               {PaddingLeft, "5px"},
                                               {PaddingTop, "3px"},
                                               {BorderStyle, "solid"},
                                               {BorderTopWidth, "2px"},
                                               {BorderLeftWidth, "2px"},
                                               {BorderRightWidth, "2px"},
                                               {BorderBottomWidth, "2px"}}));
  AddText(*boxed->MyCell, u"y");
  Layout(1000);
  EXPECT_EQ(centred->Indent, 400);
  EXPECT_EQ(centred->NewWidth, 200);
  EXPECT_EQ(right->Indent, 1000 - 10 - 300);
  // A width below the content's widest word grows to it.
  EXPECT_EQ(narrow->NewWidth, 96);
  EXPECT_EQ(boxed->Indent, 10 + 2 + 5);
  EXPECT_EQ(boxed->NewWidth, 1000 - 10 - 20 - 4 - 5);
  EXPECT_EQ(boxed->ContentTop - boxed->BoxTop, 2 + 3);
  EXPECT_EQ(boxed->BoxBot - boxed->BoxTop, 2 + 3 + 16 + 2);
}

TEST_F(BlocksTest, BackgroundAndBordersAreDrawnAroundTheContent)
{
  TBlock* b = AddBlock(*Doc, Style("div", {{MarginTop, "0"},
                                           {MarginLeft, "10px"},
                                           {PaddingLeft, "4px"},
                                           {BorderStyle, "solid"},
                                           {BorderLeftWidth, "3px"},
                                           {BorderTopWidth, "1px"},
                                           {BackgroundColor, "red"},
                                           {::BorderColor, "blue"},
                                           {piWidth, "100px"}}));
  AddText(*b->MyCell, u"t");
  Layout(500);
  DrawAll();
  auto fills = Records(TCanvasRecord::Fill);
  ASSERT_FALSE(fills.empty());
  // The padding box first, inside the borders.
  EXPECT_EQ(fills[0]->Rect, Rect(13, 1, 13 + 4 + 100, 17));
  EXPECT_EQ(ColorToRGB(fills[0]->Color), ColorToRGB(clRed));
  // Sides without a width of their own are medium (4 pixels).
  bool leftBorder = false;
  for (const TCanvasRecord* f : fills)
    if (f->Rect == Rect(10, 0, 13, 21) && ColorToRGB(f->Color) == ColorToRGB(clBlue))
      leftBorder = true;
  EXPECT_TRUE(leftBorder);
  auto texts = Records(TCanvasRecord::TextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->Point.X, 17);
  // The title is the hint over the drawn box only.
  b->Title = "tip";
  TLinkInfo info;
  EXPECT_EQ(Doc->LinkAt(*Canvas, 50, 5, info) & guTitle, guTitle);
  EXPECT_EQ(info.Title, "tip");
  TLinkInfo none;
  EXPECT_EQ(Doc->LinkAt(*Canvas, 400, 5, none) & guTitle, 0u);
}

TEST_F(BlocksTest, BackgroundPicturesAreTiledWhereTheyShow)
{
  Doc->GetBitmap = [](TObject*, const std::string&, std::unique_ptr<TBitmap>& B, TColor&) {
    B = std::make_unique<TBitmap>(2, 2);
  };
  TBlock* tiled =
      AddBlock(*Doc, Style("div", {{MarginTop, "0"}, {BackgroundImage, "url(tile.bmp)"}, {piHeight, "800px"}}));
  AddText(*tiled->MyCell, u"x");
  TBlock* once = AddBlock(*Doc, Style("div", {{MarginTop, "0"},
                                              {BackgroundImage, "url(tile.bmp)"},
                                              {BackgroundRepeat, "no-repeat"},
                                              {BackgroundPosition, "center"},
                                              {piHeight, "100px"}}));
  AddText(*once->MyCell, u"y");
  Layout(1000);
  DrawAll(1000, 900);
  // A tiny picture is repeated into a bigger tile before it is tiled over the box.
  auto images = Records(TCanvasRecord::Image);
  ASSERT_FALSE(images.empty());
  EXPECT_LT(images.size(), 500u);
  EXPECT_EQ(images[0]->Rect, Rect(0, 0, 66, 66));
  int32_t lowest = 0;
  for (const TCanvasRecord* r : images)
    if (r->Rect.Right - r->Rect.Left == 66)
      lowest = std::max(lowest, r->Rect.Top);
  EXPECT_LT(lowest, 800);   // nothing below the box
  // Without repeat one picture is drawn where the position puts it; only the visible part
  // of a tall box is tiled.
  DrawAll(1000, 2000);
  images = Records(TCanvasRecord::Image);
  ASSERT_FALSE(images.empty());
  EXPECT_EQ(images.back()->Rect, Rect(499, 800 + 49, 501, 800 + 51));
}

TEST_F(BlocksTest, ListsKeepRoomForTheirMarkers)
{
  TBlock* ul = AddBlock(*Doc, Style("ul", {{MarginLeft, "0"}, {MarginTop, "0"}}));
  auto* li = AddBlock<TBlockLI>(*ul->MyCell, Style("li"), lkUnordered, 1, '1', false, 1);
  TSection* s = AddText(*li->MyCell, u"item");
  EXPECT_TRUE(ul->IsListBlock);
  Layout(400);
  EXPECT_EQ(ul->Indent, 35);
  EXPECT_EQ(ul->NewWidth, 365);
  EXPECT_EQ(li->FirstLineHt, s->Lines[0]->DrawY + 16 - 3);
  DrawAll();
  // A disc for the first level, left of the content.
  auto shapes = Records(TCanvasRecord::Shape);
  ASSERT_EQ(shapes.size(), 1u);
  EXPECT_EQ(shapes[0]->ShapeKind, TShape::Ellipse);
  const int32_t b = li->FirstLineHt;
  EXPECT_EQ(shapes[0]->Rect, Rect(35 - 15, b - 6, 35 - 10, b - 1));
}

TEST_F(BlocksTest, NumberedMarkers)
{
  EXPECT_EQ(TBlockLI::MarkerText(lbLowerAlpha, 27), u"z.");
  EXPECT_EQ(TBlockLI::MarkerText(lbUpperAlpha, 2), u"B.");
  EXPECT_EQ(TBlockLI::MarkerText(lbLowerRoman, 25), u"xx.");
  EXPECT_EQ(TBlockLI::MarkerText(lbUpperRoman, 14), u"XIV.");
  EXPECT_EQ(TBlockLI::MarkerText(lbDecimal, 7), u"7.");
  // No letters or numerals below 1: the number itself.
  EXPECT_EQ(TBlockLI::MarkerText(lbLowerAlpha, 0), u"0.");
  EXPECT_EQ(TBlockLI::MarkerText(lbUpperRoman, -3), u"-3.");
  EXPECT_EQ(TBlockLI::MarkerText(lbDisc, 3), u"");

  TBlock* ol = AddBlock(*Doc, Style("ol", {{MarginLeft, "40px"}, {MarginTop, "0"}}));
  auto* li = AddBlock<TBlockLI>(*ol->MyCell, Style("li"), lkOrdered, 12, 'i', false, 1);
  AddText(*li->MyCell, u"x");
  EXPECT_EQ(li->ListStyleType, lbLowerRoman);
  Layout(400);
  DrawAll();
  auto texts = Device->Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], u"x");
  EXPECT_EQ(texts[1], u"xii.");
  const TCanvasRecord* marker = Records(TCanvasRecord::TextOut)[1];
  EXPECT_EQ(marker->Point.X, 40 - 10 - 4 * 8);   // ends 10 pixels left of the content
}

TEST_F(BlocksTest, BulletsFollowNestingAndStyle)
{
  auto kind = [&](int32_t Level, bool Plain, const char* Type) {
    TProperties& p = Style("li");
    if (Type)
      SetPropertyText(p, ListStyleType, Type, false);
    return TBlockLI(Doc.get(), p, Doc.get(), lkUnordered, 1, '1', Plain, Level, nullptr).ListStyleType;
  };
  EXPECT_EQ(kind(1, false, nullptr), lbDisc);
  EXPECT_EQ(kind(2, false, nullptr), lbCircle);
  EXPECT_EQ(kind(3, false, nullptr), lbSquare);
  EXPECT_EQ(kind(1, true, nullptr), lbNone);
  EXPECT_EQ(kind(1, false, "upper-alpha"), lbUpperAlpha);
  EXPECT_EQ(TBlockLI(Doc.get(), Style("li"), Doc.get(), lkOrdered, 1, 'A', false, 1, nullptr).ListStyleType,
            lbUpperAlpha);
  EXPECT_EQ(TBlockLI(Doc.get(), Style("dd"), Doc.get(), lkDefinition, 1, '1', false, 1, nullptr).ListStyleType, lbNone);
}

TEST_F(BlocksTest, FloatTakesNoHeightAndTextFlowsBesideIt)
{
  TBlock* f =
      AddBlock(*Doc, Style("div", {{piFloat, "left"}, {piWidth, "100px"}, {MarginTop, "0"}, {MarginRight, "4px"}}));
  AddText(*f->MyCell, u"in the float which wraps");
  TSection* after = AddText(*Doc, u"beside");
  Layout(400);
  EXPECT_EQ(f->SectionHeight, 0);
  EXPECT_GT(f->DrawBot - f->DrawTop, 16);
  EXPECT_EQ(after->ContentTop, 0);
  ASSERT_GE(after->Lines.Count(), 1);
  EXPECT_EQ(after->Lines[0]->LineIndent, 104);
  // A float without a width shrinks to its content.
  Doc->Clear();
  TBlock* g = AddBlock(*Doc, Style("div", {{piFloat, "right"}, {MarginTop, "0"}, {MarginRight, "0"}}));
  AddText(*g->MyCell, u"abc");
  TSection* t = AddText(*Doc, u"left");
  Layout(400);
  EXPECT_EQ(g->NewWidth, 24);
  EXPECT_EQ(g->Indent, 400 - 24);
  EXPECT_EQ(t->Lines[0]->DrawWidth, 400 - 24);
}

TEST_F(BlocksTest, ClearMovesBelowFloats)
{
  TBlock* f =
      AddBlock(*Doc, Style("div", {{piFloat, "left"}, {piWidth, "50px"}, {piHeight, "80px"}, {MarginTop, "0"}}));
  AddText(*f->MyCell, u"f");
  TBlock* c = AddBlock(*Doc, Style("div", {{piClear, "left"}, {MarginTop, "0"}}));
  AddText(*c->MyCell, u"below");
  Layout(400);
  EXPECT_EQ(c->BoxTop, 80);
  EXPECT_EQ(c->Indent, 0);
  EXPECT_EQ(c->SectionHeight, 80 + 16);
}

TEST_F(BlocksTest, AbsoluteBlockTakesNoSpaceAndDrawsOnTop)
{
  TBlock* outer = AddBlock(*Doc, Style("div", {{MarginTop, "0"}}));
  TBlock* abs = AddBlock(*outer->MyCell, Style("div", {{piPosition, "absolute"}, {TopPos, "50px"}, {LeftPos, "30px"}}));
  AddText(*abs->MyCell, u"on top");
  TSection* text = AddText(*outer->MyCell, u"flow");
  Layout(400);
  EXPECT_EQ(abs->SectionHeight, 0);
  EXPECT_EQ(text->ContentTop, 0);
  EXPECT_EQ(abs->BoxTop, 50);
  EXPECT_EQ(abs->Indent, 30);
  ASSERT_EQ(outer->DrawList.size(), 2u);
  EXPECT_EQ(outer->DrawList.back(), abs);
  DrawAll();
  EXPECT_EQ(Device->Texts(), (std::vector<std::u16string>{u"flow", u"on top"}));
  // Its text can be hit where it is drawn.
  TCursorInfo info;
  EXPECT_EQ(Doc->CursorAt(*Canvas, 31, 55, info), abs->StartCurs);
}

TEST_F(BlocksTest, RelativeBlockIsShiftedWithoutMovingTheFlow)
{
  TBlock* rel =
      AddBlock(*Doc, Style("div", {{piPosition, "relative"}, {TopPos, "7px"}, {LeftPos, "9px"}, {MarginTop, "0"}}));
  AddText(*rel->MyCell, u"moved");
  TSection* next = AddText(*Doc, u"next");
  Layout(400);
  EXPECT_EQ(rel->ContentTop, 7);
  EXPECT_EQ(rel->Indent, 9);
  EXPECT_EQ(next->ContentTop, 16);
}

TEST_F(BlocksTest, HiddenAndUndisplayedBlocks)
{
  TBlock* none = AddBlock(*Doc, Style("div", {{piDisplay, "none"}}));
  AddText(*none->MyCell, u"gone");
  TBlock* hidden = AddBlock(*Doc, Style("div", {{Visibility, "hidden"}, {MarginTop, "0"}}));
  AddText(*hidden->MyCell, u"invisible");
  Layout(400);
  EXPECT_EQ(none->SectionHeight, 0);
  EXPECT_EQ(none->FindString(0, u"gone", false), -1);
  EXPECT_EQ(hidden->SectionHeight, 16);
  DrawAll();
  EXPECT_TRUE(Device->Texts().empty());
}

TEST_F(BlocksTest, PrintingBreaksBeforeAndAfterBlocks)
{
  for (int i = 0; i < 2; ++i)
    AddText(*Doc, u"line");
  TBlock* b = AddBlock(*Doc, Style("div", {{PageBreakBefore, "always"}, {MarginTop, "0"}}));
  AddText(*b->MyCell, u"new page");
  std::unique_ptr<TSectionList> printCopy = PrintingCopy();
  TSectionList& copy = *printCopy;
  copy.Draw(*Canvas, Rect(0, 0, 200, 500), 200, 0, 0, 0);
  EXPECT_EQ(copy.PageBottom, 32);
  // On the next page, starting at the block, it prints.
  copy.YOff = 32;
  Device->ClearRecords();
  copy.Draw(*Canvas, Rect(0, 0, 200, 500), 200, 0, 0, 0);
  EXPECT_EQ(Device->Texts(), std::vector<std::u16string>{u"new page"});
  EXPECT_EQ(copy.PageBottom, 532);
}

TEST_F(BlocksTest, HostileSizesStayInRange)
{
  TCellBasic* cell = Doc.get();
  // Deep nesting with huge margins, paddings and offsets.
  for (int i = 0; i < 60; ++i) {
    TBlock* b = AddBlock(*cell, Style("div", {{MarginTop, "99999999px"},
                                              {MarginLeft, "-99999999px"},
                                              {PaddingLeft, "99999999px"},
                                              {piWidth, "99999999px"},
                                              {ZIndex, "2147483647"},
                                              {piPosition, i % 2 ? "relative" : "static"},
                                              {TopPos, "99999999px"},
                                              {BorderStyle, "solid"},
                                              {BorderTopWidth, "99999999px"}}));
    AddText(*b->MyCell, u"x");
    cell = b->MyCell.get();
  }
  for (int w : {0, 1, 400, 1000000})
    Layout(w);
  DrawAll();
  int32_t mn = 0, mx = 0;
  Doc->MinMaxWidth(*Canvas, mn, mx);
  EXPECT_LE(mx, MaxDocY);
}

}   // namespace
