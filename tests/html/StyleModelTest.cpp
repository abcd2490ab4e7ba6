#include <gtest/gtest.h>

#include "html/StyleParser.h"
#include "html/StyleModel.h"

namespace {

constexpr TColor Pal(int r, int g, int b) { return RGBColor(r, g, b) | PalRelative; }

TColor Parsed(const std::string& s, bool needPound = false)
{
  TColor c = 0x7777777;
  EXPECT_TRUE(ParseColor(s, needPound, c)) << s;
  return c;
}

TEST(StyleModelColor, Conversions)
{
  EXPECT_EQ(Parsed("#abc"), Parsed("#aabbcc"));
  EXPECT_EQ(Parsed("#aabbcc"), Pal(0xAA, 0xBB, 0xCC));
  EXPECT_EQ(Parsed("rgb(100%,0,50%)"), Pal(255, 0, 128));
  EXPECT_EQ(Parsed("rgb( 300, -4 , 7 )"), Pal(255, 0, 7));
  EXPECT_EQ(Parsed("red"), Parsed("#ff0000"));
  EXPECT_EQ(Parsed(" RED "), Pal(255, 0, 0));
  EXPECT_EQ(Parsed("LightGoldenrodYellow"), Pal(0xFA, 0xFA, 0xD2));
  EXPECT_EQ(Parsed("transparent"), NoColor);
  EXPECT_EQ(Parsed("buttonface"), clBtnFace);
  EXPECT_EQ(Parsed("AppWorkSpace"), clAppWorkSpace);
  EXPECT_EQ(Parsed("scrollbar"), clScrollBar);
  EXPECT_EQ(ColorNameCount(), 169);
  TColor c;
  EXPECT_FALSE(ParseColor("nonsense", false, c));
  EXPECT_FALSE(ParseColor("", false, c));
  EXPECT_FALSE(ParseColor("#12345678901", false, c));
}

TEST(StyleModelColor, NeedPoundIsHonouredEveryTime)
{
  TColor c;
  EXPECT_TRUE(ParseColor("00ff00", false, c));
  EXPECT_EQ(c, Pal(0, 255, 0));
  // The same text again, now requiring "#": no stale success.
  EXPECT_FALSE(ParseColor("00ff00", true, c));
  EXPECT_FALSE(ParseColor("00ff00", true, c));
  EXPECT_TRUE(ParseColor("#00ff00", true, c));
  EXPECT_TRUE(ParseColor("lime", true, c));
  EXPECT_EQ(c, Pal(0, 255, 0));
}

TEST(StyleModelConvert, FontSizes)
{
  const double D = 12;
  EXPECT_DOUBLE_EQ(ConvertFontSize("larger", 12, D), 15);
  EXPECT_DOUBLE_EQ(ConvertFontSize("smaller", 12, D), 9);
  EXPECT_DOUBLE_EQ(ConvertFontSize("small", 30, D), 12);
  EXPECT_DOUBLE_EQ(ConvertFontSize("xx-large", 30, D), 36);
  EXPECT_DOUBLE_EQ(ConvertFontSize("x-small", 30, D), 10);
  EXPECT_DOUBLE_EQ(ConvertFontSize("16", 30, D), 12);   // pixels at 96 dpi
  EXPECT_DOUBLE_EQ(ConvertFontSize("16px", 30, D), 12);
  EXPECT_DOUBLE_EQ(ConvertFontSize("1in", 30, D), 72);
  EXPECT_DOUBLE_EQ(ConvertFontSize("2pc", 30, D), 24);
  EXPECT_DOUBLE_EQ(ConvertFontSize("1.5em", 10, D), 15);
  EXPECT_DOUBLE_EQ(ConvertFontSize("2ex", 10, D), 10);
  EXPECT_DOUBLE_EQ(ConvertFontSize("150%", 10, D), 15);
  EXPECT_NEAR(ConvertFontSize("2.54cm", 10, D), 72, 1e-9);
  EXPECT_DOUBLE_EQ(ConvertFontSize("whatever", 10, D), D);
}

TEST(StyleModelConvert, FontSizesStaySane)
{
  EXPECT_DOUBLE_EQ(ConvertFontSize("0pt", 10, 12), MinFontSize);
  EXPECT_DOUBLE_EQ(ConvertFontSize("-5pt", 10, 12), 10);                         // invalid: the parent's size
  EXPECT_DOUBLE_EQ(ConvertFontSize("1e308pt", 10, 12), 12);                      // "e" ends the number: unknown unit
  EXPECT_DOUBLE_EQ(ConvertFontSize(std::string(400, '9') + "pt", 10, 12), 12);   // no number: a word
  EXPECT_DOUBLE_EQ(ConvertFontSize("999999pt", 10, 12), MaxFontSize);
  EXPECT_DOUBLE_EQ(ConvertFontSize("999999em", 10, 12), MaxFontSize);
}

TEST(StyleModelConvert, Lengths)
{
  EXPECT_EQ(ConvertLength("1in", false, 0, -1, 0, 0), 96);
  EXPECT_EQ(ConvertLength("72pt", false, 0, -1, 0, 0), 96);
  EXPECT_EQ(ConvertLength("1pc", false, 0, -1, 0, 0), 16);
  EXPECT_EQ(ConvertLength("2.54cm", false, 0, -1, 0, 0), 96);
  EXPECT_EQ(ConvertLength("25.4mm", false, 0, -1, 0, 0), 96);
  EXPECT_EQ(ConvertLength("7px", false, 0, -1, 0, 0), 7);
  EXPECT_EQ(ConvertLength("2em", false, 0, -1, 5, 11), 22);
  EXPECT_EQ(ConvertLength("2ex", false, 0, -1, 5, 11), 10);
  EXPECT_EQ(ConvertLength("50%", false, 300, -1, 0, 0), 150);
  EXPECT_EQ(ConvertLength("12", false, 300, -1, 0, 0), 12);
  EXPECT_EQ(ConvertLength("0.5", true, 300, -1, 0, 0), 150);
  EXPECT_EQ(ConvertLength("3furlongs", false, 0, -1, 0, 0), -1);
  EXPECT_EQ(ConvertLength("auto", false, 0, -1, 0, 0), -1);
  EXPECT_EQ(ConvertLength("", false, 0, -1, 0, 0), -1);
  EXPECT_EQ(ConvertLength("-4px", false, 0, -1, 0, 0), -4);
  EXPECT_EQ(ConvertLength("99999999999px", false, 0, -1, 0, 0), MaxLength);
  EXPECT_EQ(ConvertLength("-99999999999in", false, 0, -1, 0, 0), -MaxLength);
  EXPECT_EQ(ConvertLength(std::string(400, '9'), false, 0, -1, 0, 0), -1);
}

// A style list with the usual defaults and a stack holding the root context.
class Cascade : public ::testing::Test {
protected:
  void SetUp() override
  {
    Styles.BuildDefaults("Times New Roman", "Courier New", 10, 8, 0, true, clRed, clPurple, clBlue, clBlack, 12);
    auto root = std::make_unique<TProperties>();
    root->Assign(*Styles.GetDefProp());
    Stack.Push(std::move(root));
  }
  TProperties& Push(const std::string& tag, const std::string& cls = "", const std::string& id = "",
                    const std::string& pseudo = "", const std::string& style = "")
  {
    auto p = std::make_unique<TProperties>();
    p->InheritFrom(Stack.Last());
    std::unique_ptr<TProperties> inl;
    if (!style.empty()) {
      inl = std::make_unique<TProperties>();
      ParseInlineStyle(*inl, style);
    }
    p->ApplyRules(Styles, &Stack, tag, cls, id, pseudo, "", inl.get());
    Stack.Push(std::move(p));
    return Stack.Last();
  }
  void Sheet(const std::string& text) { ParseStyleSheetText(Styles, text, ""); }
  TStyleList Styles;
  TPropStack Stack;
};

TEST_F(Cascade, DefaultsAndInheritance)
{
  TProperties& root = Stack.Last();
  EXPECT_EQ(root.GetFontFamily(), "Times New Roman");
  EXPECT_DOUBLE_EQ(root.GetFontSize(), 12);
  EXPECT_EQ(root.CodePage, 1252);
  TProperties& h1 = Push("h1");
  EXPECT_DOUBLE_EQ(h1.GetFontSize(), 24);
  EXPECT_TRUE(h1.GetFontStyle() & fsBold);
  TProperties& i = Push("i");
  EXPECT_DOUBLE_EQ(i.GetFontSize(), 24);
  EXPECT_EQ(i.GetFontStyle(), fsBold | fsItalic);
  TProperties& code = Push("code");
  EXPECT_EQ(code.GetFontFamily(), "Courier New");
  EXPECT_NEAR(code.GetFontSize(), 24 * 0.833, 1e-9);
  TProperties& small = Push("small");
  EXPECT_NEAR(small.GetFontSize(), 24 * 0.833 * 0.75, 1e-9);
  // Box properties are not inherited.
  TBoxValues b;
  h1.GetBoxValues(500, 0, 16, 8, b);
  EXPECT_EQ(b.V[bxMarginTop], 19);
  code.GetBoxValues(500, 0, 16, 8, b);
  EXPECT_EQ(b.V[bxMarginTop], 0);
  EXPECT_EQ(b.V[bxWidth], Auto);
}

TEST_F(Cascade, RuleOrderClassAndId)
{
  Sheet(
      "p { color: red } .note { color: green } p.note { color: blue } #x { font-weight: bold } p.note#x { color: #010203 }");
  EXPECT_EQ(Push("p").GetFontColor(), Pal(255, 0, 0));
  Stack.Pop();
  EXPECT_EQ(Push("p", "note").GetFontColor(), Pal(0, 0, 255));
  Stack.Pop();
  EXPECT_EQ(Push("div", "note").GetFontColor(), Pal(0, 128, 0));
  Stack.Pop();
  TProperties& x = Push("p", "note", "x");
  EXPECT_EQ(x.GetFontColor(), Pal(1, 2, 3));
  EXPECT_TRUE(x.GetFontStyle() & fsBold);
}

TEST_F(Cascade, DescendantRules)
{
  Sheet("td p { color: red } div p.note { color: blue }");
  Push("td");
  Push("div");
  EXPECT_EQ(Push("p").GetFontColor(), Pal(255, 0, 0));   // a DIV between them does not matter
  Stack.Pop();
  EXPECT_EQ(Push("p", "note").GetFontColor(), Pal(0, 0, 255));
  Stack.Pop();
  Stack.Pop();
  Stack.Pop();
  EXPECT_EQ(Push("p").GetFontColor(), clBlack);
}

TEST_F(Cascade, DescendantRulesLedByAnId)
{
  // The element's own compound may be an ID alone: "div #main" reaches any element with
  // that id inside a DIV, and a later "#main" rule still counts before it.
  Sheet("div #main { color: red; margin-left: 7px } body #main.wide { color: blue } #other { color: lime }");
  Push("div");
  TProperties& p = Push("p", "", "main");
  EXPECT_EQ(p.GetFontColor(), Pal(255, 0, 0));
  TBoxValues b;
  p.GetBoxValues(500, 0, 16, 8, b);
  EXPECT_EQ(b.V[bxMarginLeft], 7);
  Stack.Pop();
  EXPECT_EQ(Push("span", "wide", "main").GetFontColor(), Pal(255, 0, 0)) << "no BODY above";
  Stack.Pop();
  EXPECT_EQ(Push("span", "", "other").GetFontColor(), Pal(0, 255, 0));
  Stack.Pop();
  Stack.Pop();
  EXPECT_EQ(Push("p", "", "main").GetFontColor(), clBlack) << "no DIV above";
  Stack.Pop();
  Push("body");
  EXPECT_EQ(Push("td", "wide", "main").GetFontColor(), Pal(0, 0, 255));
}

TEST_F(Cascade, EachWordOfAClassAttributeIsAClass)
{
  Sheet(
      ".note { color: red } .big { font-size: 20pt } p.big { font-weight: bold } .wide:hover { color: lime }"
      " div .note { font-style: italic } p.note#k { text-decoration: underline } .late { color: blue }");
  TProperties& p = Push("p", "note big");
  EXPECT_EQ(p.GetFontColor(), Pal(255, 0, 0));
  EXPECT_DOUBLE_EQ(p.GetFontSize(), 20);
  EXPECT_TRUE(p.GetFontStyle() & fsBold);
  Stack.Pop();
  // A later word wins where two classes set the same property.
  EXPECT_EQ(Push("span", "note  late").GetFontColor(), Pal(0, 0, 255));
  Stack.Pop();
  EXPECT_EQ(Push("span", "late note").GetFontColor(), Pal(255, 0, 0));
  Stack.Pop();
  EXPECT_EQ(Push("span", "notes").GetFontColor(), clBlack) << "a word, not a piece of one";
  Stack.Pop();
  Push("div");
  EXPECT_EQ(Push("span", "x note").GetFontStyle(), fsItalic);
  Stack.Pop();
  // A compound of two classes asks for both, not for their letters run together.
  Sheet("div .x.y { color: #010203 }");
  EXPECT_EQ(Push("span", "y x").GetFontColor(), Pal(1, 2, 3));
  Stack.Pop();
  EXPECT_EQ(Push("span", "x").GetFontColor(), clBlack);
  Stack.Pop();
  EXPECT_EQ(Push("span", "xy").GetFontColor(), clBlack);
  Stack.Pop();
  Stack.Pop();
  // So does one of a rule's own: "p.note.big" and ".x.y" reach an element of both classes.
  Sheet("p.note.big { color: #040506 } .x.y { font-style: italic }");
  EXPECT_EQ(Push("p", "big note").GetFontColor(), Pal(4, 5, 6));
  Stack.Pop();
  EXPECT_EQ(Push("p", "note").GetFontColor(), Pal(255, 0, 0));
  Stack.Pop();
  EXPECT_EQ(Push("span", "big note").GetFontColor(), Pal(255, 0, 0));
  Stack.Pop();
  EXPECT_TRUE(Push("b", "y z x").GetFontStyle() & fsItalic);
  Stack.Pop();
  EXPECT_FALSE(Push("span", "y").GetFontStyle() & fsItalic);
  Stack.Pop();
  Push("div");
  EXPECT_EQ(Push("p", "big note", "k").GetFontStyle(), fsBold | fsItalic | fsUnderline);
  Stack.Pop();
  EXPECT_EQ(Push("a", "wide big", "", "hover").GetFontColor(), Pal(0, 255, 0));
}

TEST_F(Cascade, PInsidePreHasNoTopMargin)
{
  TBoxValues b;
  Push("p").GetBoxValues(500, 0, 16, 8, b);
  EXPECT_EQ(b.V[bxMarginTop], 14);
  EXPECT_TRUE(b.TopAuto);
  Stack.Pop();
  Push("pre");
  Push("p").GetBoxValues(500, 0, 16, 8, b);
  EXPECT_EQ(b.V[bxMarginTop], 0);
  EXPECT_FALSE(b.TopAuto);
}

TEST_F(Cascade, ManyDescendantRulesKeepSheetOrder)
{
  std::string sheet;
  for (int i = 1; i <= 120; ++i)
    sheet += "div p { color: rgb(0,0," + std::to_string(i) + ") }\n";
  Sheet(sheet);
  Push("div");
  EXPECT_EQ(Push("p").GetFontColor(), Pal(0, 0, 120));
}

TEST_F(Cascade, LongDescendantSelectors)
{
  std::string sel;
  for (int i = 0; i < 11; ++i)
    sel += "div ";
  Sheet(sel + "p { color: red } div p { color: blue }");
  for (int i = 0; i < 11; ++i)
    Push("div");
  // More parts come later in the order: the 12-part rule wins over the 2-part one.
  EXPECT_EQ(Push("p").GetFontColor(), Pal(255, 0, 0));
  Stack.Pop();
  Stack.Pop();
  EXPECT_EQ(Push("p").GetFontColor(), Pal(0, 0, 255));
}

TEST_F(Cascade, StyleAttributeWinsOverAlign)
{
  TProperties& p = Push("p", "", "", "", "text-align: left");
  p.SetProperty(TextAlign, std::string("right"));
  EXPECT_EQ(p.GetTextAlign(), Left);
  Stack.Pop();
  Sheet("p { text-align: center }");
  TProperties& q = Push("p");
  q.SetProperty(TextAlign, std::string("right"));
  EXPECT_EQ(q.GetTextAlign(), Centered);
  Stack.Pop();
  TProperties& d = Push("div");
  d.SetProperty(TextAlign, std::string("right"));
  EXPECT_EQ(d.GetTextAlign(), Right);
}

TEST_F(Cascade, LinkColoursAndFonts)
{
  Sheet("a { color: green } a:hover { font-weight: bold }");
  EXPECT_TRUE(Styles.LinksActive);
  EXPECT_EQ(Styles.Find("::link")->Props[Color], TPropValue(int32_t(Pal(0, 128, 0))));
  TProperties& a = Push("a", "", "", "link");
  ASSERT_TRUE(a.FontsSet);
  EXPECT_EQ(a.FIArray[lsNormal].iColor, Pal(0, 128, 0));
  EXPECT_EQ(a.FIArray[lsVisited].iColor, clPurple);
  EXPECT_EQ(a.FIArray[lsHover].iColor, clRed);
  EXPECT_EQ(a.FIArray[lsNormal].iStyle, fsUnderline);
  TProperties& b = Push("b");
  ASSERT_TRUE(b.FontsSet);
  EXPECT_EQ(b.FIArray[lsHover].iColor, clRed);
  EXPECT_EQ(b.FIArray[lsHover].iStyle, fsUnderline | fsBold);
}

// What a page sets on a block carries to what is inside it, beyond the font and colour:
// indent, line height, list style, case, visibility, stacking; boxes and backgrounds do not.
TEST_F(Cascade, TextPropertiesCarryToChildrenBoxesDoNot)
{
  const std::string set =
      "text-indent: 37px; line-height: 23px; list-style-type: square; list-style-image: url(dot.gif); "
      "text-transform: uppercase; visibility: hidden; z-index: 7; text-align: right; "
      "text-decoration: underline; color: #010203; font-family: Arial; font-size: 17pt; "
      "margin-left: 11px; padding-top: 9px; background-color: #00FF00; width: 50px";
  TProperties& outer = Push("div", "", "", "", set);
  auto check = [&](TProperties& p, const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(p.GetTextIndent(500), 37);
    EXPECT_EQ(p.GetLineHeight(12), 23);
    EXPECT_EQ(p.GetListStyleType(), lbSquare);
    EXPECT_NE(p.GetListStyleImage().find("dot.gif"), std::string::npos);
    EXPECT_EQ(p.GetTextTransform(), 1);
    EXPECT_TRUE(p.IsHidden());
    EXPECT_EQ(p.GetZIndex(), 7);
    EXPECT_EQ(p.GetTextAlign(), Right);
    EXPECT_TRUE(p.GetFontStyle() & fsUnderline);
    EXPECT_EQ(p.GetFontColor(), Pal(1, 2, 3));
    EXPECT_EQ(p.GetFontFamily(), "Arial");
    EXPECT_DOUBLE_EQ(p.GetFontSize(), 17);
  };
  check(outer, "the block itself");
  TProperties& inner = Push("span");
  check(inner, "a child");
  TBoxValues b;
  inner.GetBoxValues(500, 0, 16, 8, b);
  EXPECT_EQ(b.V[bxMarginLeft], 0);
  EXPECT_EQ(b.V[bxPaddingTop], 0);
  EXPECT_EQ(b.V[bxWidth], Auto);
  TColor bg = clNone;
  EXPECT_FALSE(inner.GetBackgroundColor(bg) && bg == Pal(0, 255, 0));
  check(Push("em"), "a grandchild");
  // A context moved onto another parent (the span ended early) takes that parent's values.
  Stack.Delete(2);
  Stack.Last().Reinherit(Stack[1]);
  check(Stack.Last(), "re-inherited");
}

TEST_F(Cascade, ReinheritAfterMisnestedEnd)
{
  // <b>x<i>y</b>z</i>: after </b> the I context sits on the root.
  Push("b");
  Push("i");
  EXPECT_EQ(Stack.Last().GetFontStyle(), fsBold | fsItalic);
  Stack.Delete(1);
  Stack.Last().Reinherit(Stack[0]);
  EXPECT_EQ(Stack.Last().GetFontStyle(), fsItalic);
}

TEST_F(Cascade, InlineColourFallbacks)
{
  TProperties p;
  ParseInlineStyle(p, "color: nonsense; background-color: nonsense; border-color: #123");
  EXPECT_EQ(p.Props[Color], TPropValue(int32_t(clBlack)));
  EXPECT_EQ(p.Props[BackgroundColor], TPropValue(int32_t(NoColor)));
  EXPECT_EQ(p.Props[BorderColor], TPropValue(int32_t(Pal(0x11, 0x22, 0x33))));
  Sheet("p { color: nonsense; background-color: nonsense }");
  TProperties& q = Push("p");
  EXPECT_EQ(q.GetFontColor(), clBlack);
  TColor c;
  EXPECT_FALSE(q.GetBackgroundColor(c));
}

TEST_F(Cascade, BoxValues)
{
  TProperties& p = Push(
      "div", "", "", "",
      "margin: 10px auto; padding: -3px 50%; border: thick solid red; border-left-style: none; width: -5px; height: 1e3px");
  TBoxValues b;
  p.GetBoxValues(200, 100, 16, 8, b);
  EXPECT_EQ(b.V[bxMarginTop], 10);
  EXPECT_EQ(b.V[bxMarginRight], Auto);
  EXPECT_EQ(b.V[bxPaddingTop], 0);
  EXPECT_EQ(b.V[bxPaddingRight], 100);
  EXPECT_EQ(b.V[bxBorderTop], 6);
  EXPECT_EQ(b.V[bxBorderLeft], 0);
  EXPECT_EQ(b.BorderColor, Pal(255, 0, 0));
  EXPECT_EQ(b.V[bxWidth], Auto);
  EXPECT_EQ(b.V[bxHeight], Auto);   // "1e3px" is no length we read
}

TEST_F(Cascade, ABlocksBoxKeepsTheValuesOfItsElement)
{
  Sheet("div { background-color: #102030 }");
  const std::string styles[] = {
      "margin: 10px auto 2em; padding: 5% 3px; border: thin dashed blue; width: 50%; height: 7px",
      "border-left-style: none; border-top-width: 4px; margin-left: -4px", ""};
  for (const std::string& style : styles) {
    TProperties& p = Push("div", "", "", "", style);
    const TBoxProps box(p);
    TBoxValues want, got;
    for (int base : {0, 300}) {
      p.GetBoxValues(base, base / 2, 16, 8, want);
      box.GetBoxValues(base, base / 2, 16, 8, got);
      EXPECT_EQ(got.V, want.V) << style << " at " << base;
      EXPECT_EQ(got.BackgroundColor, want.BackgroundColor);
      EXPECT_EQ(got.BorderColor, want.BorderColor) << style;
      EXPECT_EQ(got.TopAuto, want.TopAuto);
      EXPECT_EQ(got.BottomAuto, want.BottomAuto);
    }
    for (int i = BorderStyle; i <= LastBoxProp; ++i)
      if (TBoxProps::Holds(i)) {
        EXPECT_EQ(box.Get(i), p.Props[static_cast<size_t>(i)]) << style << " property " << i;
      }
    Stack.Pop();
  }
  // Setting a value back to unset leaves it as the element had it unset.
  TBoxProps box(Push("p"));
  box.Set(MarginLeft, TPropValue(int32_t{12}));
  EXPECT_EQ(box.Get(MarginLeft), TPropValue(int32_t{12}));
  box.Set(MarginLeft, TPropValue(IntNull));
  EXPECT_EQ(box.Get(MarginLeft), TPropValue(IntNull));
  box.Set(BackgroundColor, TPropValue(int32_t{5}));
  box.Set(BackgroundColor, TPropValue());
  EXPECT_TRUE(IsEmpty(box.Get(BackgroundColor)));
}

TEST_F(Cascade, LayoutWords)
{
  TProperties& p =
      Push("div", "", "", "",
           "float: right; clear: both; position: absolute; vertical-align: text-top; visibility: hidden; display: none;"
           "page-break-before: always; list-style-type: upper-roman; text-transform: uppercase;"
           "background: url('a.gif') no-repeat fixed top right");
  AlignmentType a;
  ASSERT_TRUE(p.GetFloat(a));
  EXPECT_EQ(a, ARight);
  ClearAttrType c;
  ASSERT_TRUE(p.GetClear(c));
  EXPECT_EQ(c, clrAll);
  EXPECT_EQ(p.GetPosition(), posAbsolute);
  ASSERT_TRUE(p.GetVertAlign(a));
  EXPECT_EQ(a, ATop);
  EXPECT_TRUE(p.IsHidden());
  EXPECT_TRUE(p.DisplayNone());
  EXPECT_TRUE(p.GetPageBreakBefore());
  EXPECT_EQ(p.GetListStyleType(), lbUpperRoman);
  EXPECT_EQ(p.GetTextTransform(), 1);
  std::string url;
  ASSERT_TRUE(p.GetBackgroundImage(url));
  EXPECT_EQ(url, "a.gif");
  PtPositionRec pos;
  p.GetBackgroundPos(16, 8, pos);
  EXPECT_EQ(pos[0].PosType, bpRight);
  EXPECT_EQ(pos[1].PosType, bpTop);
  EXPECT_FALSE(pos[0].RepeatD);
  EXPECT_TRUE(pos[1].Fixed);
  // None of it is inherited.
  TProperties& q = Push("span");
  EXPECT_FALSE(q.GetFloat(a));
  EXPECT_EQ(q.GetPosition(), posStatic);
  EXPECT_EQ(q.GetTextTransform(), 1);
}

// Each document has its default font size to itself: the page pane's and the help viewer's
// documents read their own, whichever of them was set up last.
TEST(StyleModelDefaults, EachDocumentKeepsItsOwnDefaultFontSize)
{
  TStyleList page, help;
  page.BuildDefaults("Arial", "Courier New", 10, 8, 0, true, clRed, clPurple, clBlue, clBlack, 10);
  ParseStyleSheetText(page, "a:hover { font-size: medium }", "");
  help.BuildDefaults("Arial", "Courier New", 10, 8, 0, true, clRed, clPurple, clBlue, clBlack, 20);
  ParseStyleSheetText(help, "a:hover { font-size: medium }", "");
  for (auto [styles, size] : {std::pair{&page, 10.0}, std::pair{&help, 20.0}}) {
    SCOPED_TRACE(size);
    // A rule that sets no size has the document's.
    EXPECT_DOUBLE_EQ(styles->Find("p")->GetFontSize(), size);
    // A link's hover font: "medium" is 1.2 times the document's size.
    TPropStack stack;
    auto root = std::make_unique<TProperties>();
    root->Assign(*styles->GetDefProp());
    stack.Push(std::move(root));
    TProperties a;
    a.InheritFrom(stack.Last());
    a.ApplyRules(*styles, &stack, "a", "", "", "", "", nullptr);
    EXPECT_DOUBLE_EQ(a.GetFontSize(), size);
    EXPECT_DOUBLE_EQ(a.FIArray[lsHover].iSize, size * 1.2);
  }
}

TEST(StyleModelCharset, CodePages)
{
  TProperties p;
  p.SetCharset(204);
  EXPECT_EQ(p.CodePage, 1251);
  p.SetCharset(128);
  EXPECT_EQ(p.CodePage, 932);
  p.SetCharset(99);   // unknown: the page stays
  EXPECT_EQ(p.CodePage, 932);
  EXPECT_EQ(p.FCharset, 99);
  p.SetUTF8();
  EXPECT_EQ(p.CodePage, 65001);
  EXPECT_EQ(p.FCharset, 0);
}

}   // namespace

namespace {

TEST_F(Cascade, UninstalledFamiliesKeepTheFamilyFromEarlierRules)
{
  Sheet(
      "body { font-family: NoSuchSans, Arial } pre, code { font-family: NoSuchMono, 'Also Missing', monospace-ish }"
      " span { font-family: NoSuchAtAll }");
  EXPECT_EQ(Push("body").GetFontFamily(), "Arial");
  // The default rule made PRE monospaced; the sheet's list names nothing installed, so it
  // stays monospaced rather than taking the body's proportional family.
  EXPECT_EQ(Push("pre").GetFontFamily(), "Courier New");
  EXPECT_EQ(Push("span").GetFontFamily(), "Courier New");
  Stack.Pop();
  Stack.Pop();
  EXPECT_EQ(Push("code").GetFontFamily(), "Courier New");
  Stack.Pop();
  EXPECT_EQ(Push("span").GetFontFamily(), "Arial");
  Stack.Pop();
  // A later installed name in the list still wins.
  Sheet("kbd { font-family: NoSuchMono, Arial }");
  EXPECT_EQ(Push("kbd").GetFontFamily(), "Arial");
}

TEST_F(Cascade, UnreadableValuesAreIgnored)
{
  Sheet(
      ":root { --x: 30px } h1 { font-size: var(--x); font-weight: var(--w); color: var(--c) }"
      " h2 { font-size: 20pt; font-size: calc(1em + 2px); font-style: var(--s) }"
      " h3 { font-size: huge; font-weight: heavy; text-align: start; text-decoration: wavy }"
      " p { background-color: var(--bg); margin-top: calc(2px); color: #010203 }");
  TProperties& h1 = Push("h1");
  EXPECT_DOUBLE_EQ(h1.GetFontSize(), 24);   // the default heading size
  EXPECT_TRUE(h1.GetFontStyle() & fsBold);
  EXPECT_EQ(h1.GetFontColor(), clBlack);
  Stack.Pop();
  TProperties& h2 = Push("h2");
  EXPECT_DOUBLE_EQ(h2.GetFontSize(), 20);   // the rule's own earlier value stands
  EXPECT_EQ(h2.GetFontStyle(), fsBold);
  Stack.Pop();
  TProperties& h3 = Push("h3");
  EXPECT_DOUBLE_EQ(h3.GetFontSize(), 14);
  EXPECT_EQ(h3.GetFontStyle(), fsBold);
  h3.SetProperty(TextAlign, std::string("right"));   // ALIGN still applies: no rule set it
  EXPECT_EQ(h3.GetTextAlign(), Right);
  Stack.Pop();
  TProperties& p = Push("p");
  TBoxValues b;
  p.GetBoxValues(500, 0, 16, 8, b);
  EXPECT_EQ(b.BackgroundColor, NoColor);
  EXPECT_TRUE(b.TopAuto);   // the default paragraph margin, not calc()'s
  EXPECT_EQ(p.GetFontColor(), Pal(1, 2, 3));
  Stack.Pop();
  // In a STYLE attribute a function is ignored too, while an unknown colour word is black.
  Sheet("div { color: #0a0b0c }");
  Push("div");
  EXPECT_EQ(Push("span", "", "", "", "color: var(--c); font-size: var(--x)").GetFontColor(), Pal(10, 11, 12));
  EXPECT_DOUBLE_EQ(Stack.Last().GetFontSize(), 12);
  Stack.Pop();
  EXPECT_EQ(Push("span", "", "", "", "color: nonsense").GetFontColor(), clBlack);
  // Readable values of the same properties still apply.
  Stack.Pop();
  TProperties& q =
      Push("span", "", "", "",
           "font-size: larger; font-weight: 700; font-style: oblique; text-decoration: underline overline");
  EXPECT_DOUBLE_EQ(q.GetFontSize(), 15);
  EXPECT_EQ(q.GetFontStyle(), fsBold | fsItalic | fsUnderline);
}

TEST_F(Cascade, FontFamiliesAndFonts)
{
  EXPECT_EQ(FirstInstalledFont("NoSuchFontAnywhere, 'Courier New', arial"), "Courier New");
  EXPECT_EQ(FirstInstalledFont("\"NoSuch\", serif-ish"), "");
  Sheet("p { font-family: NoSuchFontAnywhere, Arial; font-size: 18pt } i { font-family: NoSuchFontAnywhere }");
  TProperties& p = Push("p");
  EXPECT_EQ(p.GetFontFamily(), "Arial");
  TProperties& i = Push("i");
  EXPECT_EQ(i.GetFontFamily(), "Arial");   // none installed: keeps the family it had
  TMyFont* f = i.GetFont();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Name(), "Arial");
  EXPECT_EQ(f->Height(), -24);   // 18 points at 96 dpi
  EXPECT_EQ(f->Style(), fsItalic);
  EXPECT_EQ(i.GetFont(), f);   // kept
  i.SetProperty(FontWeight, std::string("700"));
  EXPECT_EQ(i.GetFont()->Style(), fsItalic | fsBold);
}

}   // namespace
