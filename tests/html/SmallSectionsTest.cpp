#include "tests/html/BlocksTestUtil.h"

namespace {

using RulesTest = BlocksTestBase;

// A rule in its block, added to the document.
THRBlock* AddRule(RulesTest& T, TSectionList& Doc, TProperties& P, TAttributeList* L)
{
  auto line = std::make_unique<THorzLine>(&Doc, L, P);
  auto block = std::make_unique<THRBlock>(&Doc, P, &Doc, std::move(line), L);
  THRBlock* raw = block.get();
  Doc.Add(std::move(block));
  return raw;
}

TEST_F(RulesTest, RuleSizeAndWidthFromAttributes)
{
  struct Case {
    int32_t Size;
    int32_t Thickness;
  };
  for (const Case& c : {Case{0, 2}, Case{25, 2}, Case{20, 20}, Case{1, 1}}) {
    auto a = Attrs({{SizeSy, c.Size, IntToStr(c.Size)}});
    THorzLine line(Doc.get(), a.get(), Style("hr"));
    EXPECT_EQ(line.VSize, c.Thickness) << c.Size;
  }
  auto wide = Attrs({{WidthSy, 150, "150%"}});
  auto half = Attrs({{WidthSy, 50, "50%"}});
  auto px = Attrs({{WidthSy, 120, "120"}, {AlignSy, 0, "RIGHT"}});
  THRBlock* w =
      AddRule(*this, *Doc, Style("hr", {{MarginTop, "0"}, {MarginLeft, "0"}, {MarginRight, "0"}}), wide.get());
  THRBlock* h = AddRule(*this, *Doc, Style("hr", {{MarginLeft, "0"}, {MarginRight, "0"}}), half.get());
  THRBlock* p = AddRule(*this, *Doc, Style("hr", {{MarginLeft, "0"}, {MarginRight, "0"}}), px.get());
  Layout(400);
  EXPECT_EQ(w->Line->Width, 400);
  EXPECT_EQ(w->SectionHeight, 2);
  EXPECT_EQ(h->Line->Width, 200);
  EXPECT_EQ(h->Line->Indent, 100);   // centred by default
  EXPECT_EQ(p->Line->Width, 120);
  EXPECT_EQ(p->Line->Indent, 280);
  // With no width room at all a rule is still 15 pixels wide.
  Layout(0);
  EXPECT_EQ(w->NewWidth, 15);
}

TEST_F(RulesTest, RuleColourAndAlignmentFromStyleOnlyWhenGivenToIt)
{
  TProperties& inherited = Style("hr");
  inherited.Props[TextAlign] = std::string("left");
  inherited.Props[Color] = int32_t(clRed);
  THorzLine plain(Doc.get(), nullptr, inherited);
  EXPECT_EQ(plain.Align, 2);
  EXPECT_EQ(plain.Color, NoColor);
  THorzLine styled(Doc.get(), nullptr, Style("hr", {{TextAlign, "right"}, {Color, "green"}}));
  EXPECT_EQ(styled.Align, 3);
  EXPECT_EQ(ColorToRGB(styled.Color), ColorToRGB(clGreen));
  auto a = Attrs({{ColorSy, 0, "#0000FF"}, {NoShadeSy, 0, ""}});
  THorzLine attr(Doc.get(), a.get(), Style("hr"));
  EXPECT_TRUE(attr.NoShade);
  EXPECT_EQ(ColorToRGB(attr.Color), ColorToRGB(clBlue));
}

TEST_F(RulesTest, RulesDrawEtchedOrSolid)
{
  auto solid = Attrs({{ColorSy, 0, "red"}, {SizeSy, 4, "4"}});
  AddRule(*this, *Doc, Style("hr", {{MarginTop, "0"}, {MarginLeft, "0"}, {MarginRight, "0"}}), nullptr);
  AddRule(*this, *Doc, Style("hr", {{MarginTop, "0"}, {MarginLeft, "0"}, {MarginRight, "0"}}), solid.get());
  Layout(100);
  DrawAll();
  auto shapes = Records(TCanvasRecord::Shape);
  ASSERT_FALSE(shapes.empty());
  bool dark = false, light = false;
  for (const TCanvasRecord* s : shapes) {
    dark = dark || ColorToRGB(s->Color) == ColorToRGB(clBtnShadow);
    light = light || ColorToRGB(s->Color) == 0xC0C0C0;   // a white page
  }
  EXPECT_TRUE(dark);
  EXPECT_TRUE(light);
  auto fills = Records(TCanvasRecord::Fill);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0]->Rect, Rect(0, 2, 100, 6));
}

TEST_F(RulesTest, PreformattedLinesKeepSpacesAndNeverWrap)
{
  auto s = std::make_unique<TPreFormated>(Doc.get(), nullptr, Prop, nullptr);
  s->AddTokenObj(Token(u"  a   b\u00A0c "));
  TPreFormated* pre = s.get();
  Doc->Add(std::move(s));
  EXPECT_EQ(pre->BuffS, u"  a   b c ");
  Layout(16);
  EXPECT_EQ(pre->Lines.Count(), 1);
  int32_t mn = 0, mx = 0;
  pre->MinMaxWidth(*Canvas, mn, mx);
  EXPECT_EQ(mx, 80);
  EXPECT_EQ(mn, 80);

  auto longLine = std::make_unique<TPreFormated>(Doc.get(), nullptr, Prop, nullptr);
  longLine->AddTokenObj(Token(std::u16string(375, u'w')));
  longLine->Finish();
  longLine->MinMaxWidth(*Canvas, mn, mx);
  EXPECT_EQ(mx, 3000);
  EXPECT_EQ(mn, 2000);
  int32_t widest = 0, curs = 0;
  longLine->Layout(*Canvas, 0, 0, 100, 100, *Doc->IMgr, widest, curs);
  EXPECT_EQ(widest, 3000);
  EXPECT_EQ(longLine->Lines.Count(), 1);

  // An empty line is kept and is as tall as its font's point size.
  auto empty = std::make_unique<TPreFormated>(Doc.get(), nullptr, Prop, nullptr);
  TPreFormated* e = empty.get();
  Doc->Add(std::move(empty));
  ASSERT_EQ(Doc->Last(), e);
  Layout(100);
  EXPECT_EQ(e->SectionHeight, e->Fonts.First()->TheFont->Size());
}

TEST_F(RulesTest, PageBreakEndsThePrintedPageOnlyBelowItsTop)
{
  AddText(*Doc, u"a");
  Doc->Add(std::make_unique<TPage>(Doc.get()));
  AddText(*Doc, u"b");
  std::unique_ptr<TSectionList> printCopy = PrintingCopy();
  TSectionList& copy = *printCopy;
  copy.Draw(*Canvas, Rect(0, 0, 200, 500), 200, 0, 0, 0);
  EXPECT_EQ(copy.PageBottom, 16);
  // Three pixels below the page's top is too close: the page goes on.
  copy.YOff = 13;
  copy.Draw(*Canvas, Rect(0, 0, 200, 500), 200, 0, 0, 0);
  EXPECT_EQ(copy.PageBottom, 513);
  // Off the printer nothing moves.
  copy.Printing = false;
  copy.YOff = 0;
  copy.Draw(*Canvas, Rect(0, 0, 200, 500), 200, 0, 0, 0);
  EXPECT_EQ(copy.PageBottom, 500);
}

}   // namespace
