#include <gtest/gtest.h>

#include "html/StyleParser.h"
#include "html/StyleModel.h"

namespace {

constexpr TColor Pal(int r, int g, int b) { return RGBColor(r, g, b) | PalRelative; }

std::string Str(const TStyleList& s, const std::string& sel, int prop)
{
  const TProperties* p = s.Find(sel);
  return p ? PropString(p->Props[prop]) : "<no rule>";
}

TPropValue Val(const TStyleList& s, const std::string& sel, int prop)
{
  const TProperties* p = s.Find(sel);
  return p ? p->Props[prop] : TPropValue(std::string("<no rule>"));
}

TEST(StyleParser, SelectorListsAndShorthands)
{
  TStyleList s;
  ParseStyleSheetText(s, "p, td { color: red; margin: 2px 4px }", "");
  for (const char* sel : {"p", "td"}) {
    EXPECT_EQ(Val(s, sel, Color), TPropValue(int32_t(Pal(255, 0, 0))));
    EXPECT_EQ(Str(s, sel, MarginTop), "2px");
    EXPECT_EQ(Str(s, sel, MarginBottom), "2px");
    EXPECT_EQ(Str(s, sel, MarginLeft), "4px");
    EXPECT_EQ(Str(s, sel, MarginRight), "4px");
  }
  ParseStyleSheetText(s, "h2 { padding: 1px 2px 3px }", "");
  EXPECT_EQ(Str(s, "h2", PaddingTop), "1px");
  EXPECT_EQ(Str(s, "h2", PaddingRight), "2px");
  EXPECT_EQ(Str(s, "h2", PaddingLeft), "2px");
  EXPECT_EQ(Str(s, "h2", PaddingBottom), "3px");
}

TEST(StyleParser, FontShorthand)
{
  TStyleList s;
  ParseStyleSheetText(s,
                      "b { font: bold 12pt/14pt Arial } i { font: italic small-caps 10px verdana, 'times new roman' }",
                      "");
  EXPECT_EQ(Str(s, "b", FontWeight), "bold");
  EXPECT_EQ(Str(s, "b", FontSize), "12pt");
  EXPECT_EQ(Str(s, "b", LineHeight), "14pt");
  EXPECT_EQ(Str(s, "b", FontFamily), "arial");
  EXPECT_EQ(Str(s, "i", FontStyle), "italic");
  EXPECT_EQ(Str(s, "i", FontSize), "10px");
  EXPECT_EQ(Str(s, "i", FontFamily), "verdana,'times new roman'");
  // A weight written as a number, and a size that starts with its point.
  ParseStyleSheetText(s, "u { font: 700 14px/1.5 arial } s { font: italic .9em arial } tt { font: 12 serif }", "");
  struct Want {
    const char* Sel;
    int Prop;
    const char* Text;
  };
  for (const Want& w : {Want{"u", FontWeight, "700"}, Want{"u", FontSize, "14px"}, Want{"u", LineHeight, "1.5"},
                        Want{"s", FontSize, ".9em"}, Want{"s", FontFamily, "arial"}, Want{"tt", FontSize, "12"},
                        Want{"tt", FontWeight, ""}})
    EXPECT_EQ(Str(s, w.Sel, w.Prop), w.Text) << w.Sel << " " << PropWords[w.Prop];
}

TEST(StyleParser, ImportantMarksDoNotSpoilTheirValues)
{
  // The mark is dropped and the value kept, in sheets and in STYLE attributes alike.
  TStyleList s;
  ParseStyleSheetText(s,
                      "b { color: red !important; font-weight: bold ! IMPORTANT } i { margin: 0 4px!important }"
                      "s { background-image: url('x!important.gif') }",
                      "");
  EXPECT_EQ(Val(s, "b", Color), TPropValue(int32_t(Pal(255, 0, 0))));
  EXPECT_EQ(Str(s, "b", FontWeight), "bold");
  EXPECT_EQ(Str(s, "i", MarginTop), "0");
  EXPECT_EQ(Str(s, "i", MarginLeft), "4px");
  EXPECT_EQ(Str(s, "i", MarginRight), "4px");
  EXPECT_EQ(Str(s, "s", BackgroundImage), "url('x!important.gif')");
  TProperties p;
  ParseInlineStyle(p, "color: #00ff00 !important; text-align: center !important");
  EXPECT_EQ(p.Props[Color], TPropValue(int32_t(Pal(0, 255, 0))));
  EXPECT_EQ(PropString(p.Props[TextAlign]), "center");
}

TEST(StyleParser, ListStyleKeepsItsTypeBesideAPosition)
{
  // "inside" and "outside" place the marker; they are no marker type and leave the type be.
  TStyleList s;
  ParseStyleSheetText(s,
                      "ul { list-style: none outside } ol { list-style: inside lower-roman } dl { list-style: circle }",
                      "");
  for (const auto& [sel, type] : {std::pair{"ul", "none"}, {"ol", "lower-roman"}, {"dl", "circle"}})
    EXPECT_EQ(Str(s, sel, ListStyleType), type);
  TProperties p;
  ParseInlineStyle(p, "list-style: square inside");
  EXPECT_EQ(p.GetListStyleType(), lbSquare);
}

TEST(StyleParser, BorderAndBackgroundShorthands)
{
  TStyleList s;
  ParseStyleSheetText(s,
                      "div { border: 1px solid #000 } td { border-top: dashed rgb(1, 2, 3) thick }"
                      "body { background: #fff url(img/bg.gif) repeat-x fixed 0 50% }",
                      "");
  for (int side = BorderTopWidth; side <= BorderLeftWidth; ++side)
    EXPECT_EQ(Str(s, "div", side), "1px");
  EXPECT_EQ(Str(s, "div", BorderStyle), "solid");
  EXPECT_EQ(Str(s, "div", BorderLeftStyle), "solid");
  EXPECT_EQ(Val(s, "div", BorderColor), TPropValue(int32_t(Pal(0, 0, 0))));
  EXPECT_EQ(Str(s, "td", BorderTopStyle), "dashed");
  EXPECT_EQ(Str(s, "td", BorderTopWidth), "thick");
  EXPECT_EQ(Val(s, "td", BorderColor), TPropValue(int32_t(Pal(1, 2, 3))));
  EXPECT_EQ(Val(s, "body", BackgroundColor), TPropValue(int32_t(Pal(255, 255, 255))));
  EXPECT_EQ(Str(s, "body", BackgroundImage), "url(img/bg.gif)");
  EXPECT_EQ(Str(s, "body", BackgroundRepeat), "repeat-x");
  EXPECT_EQ(Str(s, "body", BackgroundAttachment), "fixed");
  EXPECT_EQ(Str(s, "body", BackgroundPosition), "0 50%");
}

TEST(StyleParser, UrlsAgainstTheBase)
{
  TStyleList s;
  ParseStyleSheetText(s, "p { background-image: url('../img/a.gif') } ul { list-style: square url(b.gif) }",
                      "http://host/css/");
  EXPECT_EQ(Str(s, "p", BackgroundImage), "url(http://host/img/a.gif)");
  EXPECT_EQ(Str(s, "ul", ListStyleImage), "url(http://host/css/b.gif)");
  EXPECT_EQ(Str(s, "ul", ListStyleType), "square");
  TStyleList t;
  ParseStyleSheetText(t, "p { background-image: url(a.gif) } i { background-image: url(c:\\x.gif) }", "c:\\pages\\");
  EXPECT_EQ(Str(t, "p", BackgroundImage), "url(c:\\pages\\a.gif)");
  EXPECT_EQ(Str(t, "i", BackgroundImage), "url(c:\\x.gif)");
}

TEST(StyleParser, CommentsAtRulesAndHtmlCommentsVanish)
{
  TStyleList s;
  ParseStyleSheetText(
      s, "/* c */ h1 {color:blue} @import url(x.css); @media print { p { color: red } } h2 /* x */ { color : blue }",
      "");
  EXPECT_EQ(Val(s, "h1", Color), TPropValue(int32_t(Pal(0, 0, 255))));
  EXPECT_EQ(Val(s, "h2", Color), TPropValue(int32_t(Pal(0, 0, 255))));
  EXPECT_EQ(s.Find("p"), nullptr);
  EXPECT_EQ(s.Count(), 2);

  // Inside a STYLE element: the reader starts at ">" and stops at the end tag's "<".
  TStyleList t;
  std::string text = "\r\n<!--\r\n h1 {color:blue}\r\n -->\r\n</style>rest";
  size_t pos = 0;
  char ch = '>';
  ParseStyleSheet(
      t, ch, [&]() -> char { return pos < text.size() ? text[pos++] : StyleEOF; }, "");
  EXPECT_EQ(ch, '<');
  EXPECT_EQ(text.substr(pos), "/style>rest");
  EXPECT_EQ(Val(t, "h1", Color), TPropValue(int32_t(Pal(0, 0, 255))));
}

TEST(StyleParser, SelectorsWeCannotReadAreDropped)
{
  TStyleList s;
  ParseStyleSheetText(s, "div > p, span, * { color: red } a:hover { color: blue }", "");
  EXPECT_EQ(s.Find("div"), nullptr);
  EXPECT_NE(s.Find("span"), nullptr);
  EXPECT_EQ(s.Count(), 2);   // span and a:hover
  EXPECT_TRUE(s.LinksActive);
}

TEST(StyleParser, DescendantKeysCarryTheirOrder)
{
  TStyleList s;
  ParseStyleSheetText(s, "div p { color: red } ul li a { color: blue }", "");
  std::vector<std::string> keys;
  for (const auto& [k, v] : s.Rules())
    keys.push_back(k);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0], "a 020000000011li ul ");
  EXPECT_EQ(keys[1], "p 010000000010div ");
}

TEST(StyleParser, MalformedTextEndsQuietly)
{
  for (const char* text : {"p { color: red", "p { color", "/* open", "p, { }", "{}}}{{", "@media { p { x } ",
                           "p { : ; ; }", "<", "\x1a"}) {
    TStyleList s;
    ParseStyleSheetText(s, text, "");
  }
  TProperties p;
  ParseInlineStyle(p, "COLOR: Red;; margin-left:3PX; bogus: 1; font-variant: small-caps");
  EXPECT_EQ(p.Props[Color], TPropValue(int32_t(Pal(255, 0, 0))));
  EXPECT_EQ(PropString(p.Props[MarginLeft]), "3px");
}

}   // namespace
