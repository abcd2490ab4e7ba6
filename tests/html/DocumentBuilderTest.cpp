#include "tests/html/DocumentBuilderTestUtil.h"

#include "html/Document.h"
#include "platform/CodePages.h"

void DocumentBuilderTest::Collect(const TCellBasic& Cell, std::vector<TSection*>& Out)
{
  for (const auto& s : Cell) {
    if (auto* t = dynamic_cast<TSection*>(s.get())) {
      Out.push_back(t);
    } else if (auto* b = dynamic_cast<TBlock*>(s.get())) {
      Collect(*b->MyCell, Out);
    } else if (auto* tb = dynamic_cast<ThtmlTable*>(s.get())) {
      for (TCellObj* c : tb->CellsInOrder())
        if (c && c->Cell)
          Collect(*c->Cell, Out);
    }
  }
}

namespace {

using Text = DocumentBuilderTest;

TEST_F(Text, WhiteSpaceAndEntities)
{
  Parse("<p>a  \r\n\t b &amp;lt; &copy &bogus; &#233;</p>");
  EXPECT_EQ(Texts(), u"a b &lt; \u00a9 &bogus; \u00e9");
}

TEST_F(Text, ParagraphsAndBreaksMakeSections)
{
  Parse("<p>a<p>b<br>c<p></p><p>d");
  EXPECT_EQ(Texts(), u"a|b\b|c|d");
}

// Breaks standing alone share one paragraph, so a page of many breaks stays small; a break
// whose line would lay out otherwise (another font, a clear) or that an anchor names keeps
// its own. (That the page looks the same either way is pinned by the layout pin tests.)
TEST_F(Text, BreaksStandingAloneShareAParagraph)
{
  std::string page = "x";
  for (int i = 0; i < 1000; ++i)
    page += i % 2 ? "<br>" : "<br>\n";
  Parse(page + "y");
  EXPECT_EQ(Texts(), u"x\b|" + std::u16string(999, BrkCh) + u"|y");
  // Copied, each break is one line end, whether its paragraph was joined on or not.
  Doc->Clear();
  Parse("<p>a<br>b</p><p>c<br><br>d<br><br><br>e</p>");
  int32_t scrollWidth = 0, curs = 0;
  Doc->DoLogic(*Canvas, 0, 600, 600, scrollWidth, curs);
  Doc->SelB = 0;
  Doc->SelE = curs;
  const std::u16string copied = Doc->GetSelText();
  // (The paragraphs keep the blank line between them.)
  EXPECT_EQ(copied, u"a\r\nb\r\n\r\nc\r\n\r\nd\r\n\r\n\r\ne\r\n\r\n") << WideToUtf8(copied);

  Doc->Clear();
  Parse("<br><br><b><br><br></b><br><br clear=all><br><br><a name=n><br><br></a><br>");
  // The bold breaks, the break back in the normal font, the clear (the break after it joins
  // its paragraph), the anchor's paragraph (the breaks after it join it).
  EXPECT_EQ(Texts(), u"\b\b|\b\b|\b|\b\b|\b\b\b");
}

TEST_F(Text, DocumentWithoutBodyKeepsItsText)
{
  Parse("plain words <i>and more</i>");
  EXPECT_EQ(Texts(), u"plain words and more");
}

TEST_F(Text, MisnestedFontTagsPopTheRightContext)
{
  Parse("<b>x<i>y</b>z</i>w");
  ASSERT_NE(RunAt(u"x"), nullptr);
  EXPECT_EQ(RunAt(u"x")->TheFont->Style() & (fsBold | fsItalic), fsBold);
  EXPECT_EQ(RunAt(u"y")->TheFont->Style() & (fsBold | fsItalic), fsBold | fsItalic);
  EXPECT_EQ(RunAt(u"z")->TheFont->Style() & (fsBold | fsItalic), fsItalic);
  EXPECT_EQ(RunAt(u"w")->TheFont->Style() & (fsBold | fsItalic), 0);
}

TEST_F(Text, FontSizesFollowTheBaseFont)
{
  // Default size 12 points: HTML sizes 1..7 are 8, 10, 12, 14, 18, 24, 36 points.
  Parse(
      "<font size=+1>a</font><basefont size=5><font size=+1>b</font><font size=+9>c</font><font size=2 color=red>d</font>e");
  auto points = [&](const char16_t* t) { return RunAt(t)->TheFont->Size(); };
  EXPECT_EQ(points(u"a"), 14);
  EXPECT_EQ(points(u"b"), 24);
  EXPECT_EQ(points(u"c"), 36);
  EXPECT_EQ(points(u"d"), 10);
  EXPECT_EQ(ColorToRGB(RunAt(u"d")->TheFont->Color()), 0x0000FFu);
  // After BASEFONT the text is in a "font" context of size 5 (18 points).
  EXPECT_EQ(points(u"e"), 18);
}

TEST_F(Text, SubscriptsAndSuperscriptsShiftTheirRuns)
{
  Parse("H<sub>2</sub>O x<sup>2</sup>");
  EXPECT_EQ(RunAt(u"2")->SScript, ASub);
  EXPECT_EQ(RunAt(u"O")->SScript, 0);
}

TEST_F(Text, LinksCarryTheirTargetsAndEnd)
{
  {   // another document read first, with a link of its own
    TSectionList other(&Host, nullptr);
    THtmlParseContext ctx;
    ParseHTMLDocument("<a href=x.htm>x</a>", other, ctx);
  }
  Parse("<p>see <a href=\"page.htm#x\" target=_top>the <b>page</b></a> now <a href=b.htm>b</a>");
  TFontObj* the = RunAt(u"the");
  TFontObj* page = RunAt(u"page");
  ASSERT_TRUE(the && page);
  EXPECT_EQ(the->GetURL(), "page.htm#x");
  EXPECT_EQ(the->UrlTarget->Target, "_top");
  EXPECT_EQ(page->GetURL(), "page.htm#x");
  EXPECT_EQ(page->UrlTarget->ID, the->UrlTarget->ID);   // one link
  EXPECT_TRUE(page->TheFont->Style() & fsBold);
  EXPECT_TRUE(the->TheFont->Style() & fsUnderline);
  EXPECT_FALSE(RunAt(u"now")->IsLink());
  EXPECT_FALSE(RunAt(u"see")->IsLink());
  EXPECT_EQ(RunAt(u"b")->GetURL(), "b.htm");
  // Each document numbers its links from 1, whatever other documents were read before.
  EXPECT_EQ(the->UrlTarget->ID, 1);
  EXPECT_EQ(RunAt(u"b")->UrlTarget->ID, 2);
  EXPECT_EQ(Doc->LinkList.size(), 3u);
}

TEST_F(Text, ANewLinkEndsAnOpenOne)
{
  Parse("<a href=one>1<a href=two>2</a>3");
  EXPECT_EQ(RunAt(u"1")->GetURL(), "one");
  EXPECT_EQ(RunAt(u"2")->GetURL(), "two");
  EXPECT_FALSE(RunAt(u"3")->IsLink());
}

TEST_F(Text, NamedAnchorBeforeABlockStaysAJumpTarget)
{
  Parse("<a name=\"#CIRCULAR\"></a><h2>Circular</h2><p>text");
  EXPECT_NE(Doc->IDNameList->Find("CIRCULAR"), nullptr);
}

TEST_F(Text, ImagesStandInTheirParagraph)
{
  Parse("<p>a<img src=\"x.gif\" width=20 height=10 align=left alt=\"pic\">b");
  TSection* s = SectionWith(u"a");
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->Images.Count(), 1);
  auto* img = dynamic_cast<TImageObj*>(s->Images[0]);
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->Source, "x.gif");
  EXPECT_EQ(img->ObjAlign, ALeft);
  EXPECT_EQ(img->Alt, "pic");
  EXPECT_EQ(s->BuffS, std::u16string(u"a") + ImgPan + u"b");
}

TEST_F(Text, TitleBaseAndMeta)
{
  std::vector<std::string> metas;
  Ctx.OnMeta = [&](const std::string& h, const std::string& n, const std::string& c) {
    metas.push_back(h + "|" + n + "|" + c);
  };
  Parse(
      "<html><head><title>Gears &amp; cogs</title><base href=\"http://x/y/\" target=main>"
      "<meta name=author content=me></head><body>t</body></html>");
  EXPECT_EQ(Ctx.Title, u"Gears & cogs");
  EXPECT_EQ(Ctx.Base, "http://x/y/");
  EXPECT_EQ(Ctx.BaseTarget, "main");
  ASSERT_EQ(metas.size(), 1u);
  EXPECT_EQ(metas[0], "|author|me");
  EXPECT_EQ(Texts(), u"t");
}

TEST_F(Text, MetaCharsetSwitchesTheCodePageForWhatFollows)
{
  // Byte 0xE9 is "é" in Windows-1252 and "й" in Windows-1251.
  Parse("\xE9<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"><p>\xE9 &#233; &eacute;");
  EXPECT_EQ(Texts(), u"\u00e9|\u0439 \u0439 \u00e9");
}

TEST_F(Text, MetaUtf8)
{
  Parse("<meta http-equiv=content-type content=\"text/html; charset=utf-8\"><p>\xC3\xA9");
  EXPECT_EQ(Texts(), u"\u00e9");
}

TEST_F(Text, StyleElementsApplyToWhatFollows)
{
  Parse(
      "<p class=n>before<style><!-- p.n {color: red} b { font-weight: normal } --></style><p class=n>after<b>bold?</b>");
  EXPECT_EQ(ColorToRGB(RunAt(u"before")->TheFont->Color()), 0u);
  EXPECT_EQ(ColorToRGB(RunAt(u"after")->TheFont->Color()), 0x0000FFu);
  EXPECT_FALSE(RunAt(u"bold?")->TheFont->Style() & fsBold);
}

TEST_F(Text, StyleAttributeWinsOverAlign)
{
  Parse("<p align=right style=\"text-align: left\">a<p align=center>b<div align=middle>c</div>");
  EXPECT_EQ(SectionWith(u"a")->Justify, Left);
  EXPECT_EQ(SectionWith(u"b")->Justify, Centered);
  EXPECT_EQ(SectionWith(u"c")->Justify, Centered);
}

TEST_F(Text, LinkedStyleSheetsAreReadAndReported)
{
  std::vector<std::string> asked, links;
  Ctx.OnStyleSheet = [&](const std::string& href, std::string& text, std::string& path) {
    asked.push_back(href);
    // Line ends of both kinds separate words as spaces do: "div" and "span" stay two
    // compounds of one selector, and "b" and "i" two selectors.
    text = "p {\n\tcolor: #00ff00 }\ndiv\nspan { color: #0000ff }\r\nb,\r\ni\r\n{ color: #ff0000 }";
    path = "";
    return true;
  };
  Ctx.OnLink = [&](const std::string& rel, const std::string& rev, const std::string& href) {
    links.push_back(rel + "|" + href);
  };
  Parse(
      "<link rel=StyleSheet href=s.css><link rel=next href=n.htm><p>green<div><span>blue</span></div><p><b>bold</b><i>it</i>");
  EXPECT_EQ(asked, std::vector<std::string>{"s.css"});
  EXPECT_EQ(links, (std::vector<std::string>{"StyleSheet|s.css", "next|n.htm"}));
  EXPECT_EQ(ColorToRGB(RunAt(u"green")->TheFont->Color()), 0x00FF00u);
  EXPECT_EQ(ColorToRGB(RunAt(u"blue")->TheFont->Color()), 0xFF0000u);
  EXPECT_EQ(ColorToRGB(RunAt(u"bold")->TheFont->Color()), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(RunAt(u"it")->TheFont->Color()), 0x0000FFu);
}

TEST_F(Text, BodyAttributesAndLinkColours)
{
  Parse("<body text=#112233 bgcolor=#ffeedd link=green vlink=navy olink=red><p>x<a href=a>l</a>");
  EXPECT_EQ(ColorToRGB(RunAt(u"x")->TheFont->Color()), 0x332211u);
  EXPECT_EQ(ColorToRGB(RunAt(u"l")->TheFont->Color()), 0x008000u);
  EXPECT_EQ(ColorToRGB(Doc->Background), 0xDDEEFFu);
  EXPECT_TRUE(Doc->Styles->LinksActive);
}

TEST_F(Text, AHoverRuleOrOlinkGivesLinksTheirHoverLook)
{
  // The viewer's own switch is off here: only the page asks for hover looks.
  ASSERT_FALSE(Doc->LinksActive);
  struct Case {
    const char* Page;
    bool Hovers;
    uint32_t HoverRGB;
  };
  for (const Case& c : {Case{"<style>a:hover { color: #00ff00 }</style><p>x <a href=a>link</a>", true, 0x00FF00u},
                        Case{"<body olink=#0000ff><p>x <a href=a>link</a>", true, 0xFF0000u},
                        Case{"<style>a { color: #00ff00 }</style><p>x <a href=a>link</a>", false, 0}}) {
    Doc->Clear();
    Doc->SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10,
                  12);
    Parse(c.Page);
    Layout(500);
    TFontObj* link = RunAt(u"link");
    ASSERT_TRUE(link && link->GetURL() == "a") << c.Page;
    const uint32_t normal = ColorToRGB(link->TheFont->Color());
    TSection* s = SectionWith(u"link");
    int32_t x = 0, y = 0;
    ASSERT_TRUE(Doc->CursorToXY(*Canvas, s->StartCurs + 2, x, y));
    TLinkInfo info;
    ASSERT_EQ(Doc->LinkAt(*Canvas, x + 4, y + 4, info) & guUrl, guUrl) << c.Page;
    EXPECT_EQ(link->Hover, c.Hovers) << c.Page;
    EXPECT_EQ(ColorToRGB(link->TheFont->Color()), c.Hovers ? c.HoverRGB : normal) << c.Page;
    // Moving off the link gives it its own look back.
    TLinkInfo none;
    Doc->LinkAt(*Canvas, x - 8, y + 4, none);
    EXPECT_FALSE(link->Hover) << c.Page;
    EXPECT_EQ(ColorToRGB(link->TheFont->Color()), normal) << c.Page;
  }
}

TEST_F(Text, LinkStatesTakeTheSheetsStateRules)
{
  Parse(
      "<style>a:visited { color: #ff0000 } a.k:hover { color: #0000ff; font-weight: bold } .j:hover { color: #00ffff }"
      "</style><p><a href=a>plain</a> <a class=k href=b>classed</a> <a class=j href=c>other</a>");
  TFontObj* plain = RunAt(u"plain");
  TFontObj* classed = RunAt(u"classed");
  TFontObj* other = RunAt(u"other");
  ASSERT_TRUE(plain && classed && other);
  const uint32_t link = ColorToRGB(plain->TheFont->Color());
  EXPECT_EQ(ColorToRGB(classed->TheFont->Color()), link) << "no state rule touches the normal look";
  // Hover: the default hover colour, unless a rule for the link's class says otherwise.
  plain->SetHover(true);
  classed->SetHover(true);
  other->SetHover(true);
  EXPECT_EQ(ColorToRGB(plain->TheFont->Color()), ColorToRGB(clRed));
  EXPECT_EQ(ColorToRGB(classed->TheFont->Color()), 0xFF0000u);
  EXPECT_TRUE(classed->TheFont->Style() & fsBold);
  EXPECT_EQ(ColorToRGB(other->TheFont->Color()), 0xFFFF00u);
  EXPECT_FALSE(plain->TheFont->Style() & fsBold);
  // Visited, and visited while hovered: the hover rule still wins for its class.
  plain->SetHover(false);
  plain->SetVisited(true);
  classed->SetVisited(true);
  EXPECT_EQ(ColorToRGB(plain->TheFont->Color()), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(classed->TheFont->Color()), 0xFF0000u);
  classed->SetHover(false);
  EXPECT_EQ(ColorToRGB(classed->TheFont->Color()), 0x0000FFu);
  EXPECT_FALSE(classed->TheFont->Style() & fsBold);
}

TEST_F(Text, StateRulesInsideDescendantSelectorsReachTheirLinks)
{
  Parse(
      "<style>#nav a:hover { color: #00ff00 } td a:visited { color: #ff0000; font-style: italic } div .k:hover { color: #0000ff }"
      " #nav a { text-decoration: none } #nav #home:hover { color: #ffff00 }</style>"
      "<div id=nav><p><a href=a>menu</a> <a class=k href=b>keyed</a> <a id=home href=h>home</a></div>"
      "<p><a href=c>outside</a> <a class=k href=d>loose</a><table><tr><td><a href=e>cell</a></td></tr></table>"
      "<div id=nav><p><a href=f style='color: #808080'><b>own</b></a></div>"
      "<div id=nav><p><b><a href=g>mis</b>nested</a></div>");
  TFontObj* menu = RunAt(u"menu");
  TFontObj* keyed = RunAt(u"keyed");
  TFontObj* outside = RunAt(u"outside");
  TFontObj* loose = RunAt(u"loose");
  TFontObj* cell = RunAt(u"cell");
  TFontObj* own = RunAt(u"own");
  TFontObj* nested = RunAt(u"nested");   // the link's look recomputed after a mis-nested end
  TFontObj* home = RunAt(u"home");
  ASSERT_TRUE(home);
  home->SetHover(true);
  EXPECT_EQ(ColorToRGB(home->TheFont->Color()), 0x00FFFFu) << "a rule led by the link's id";
  ASSERT_TRUE(menu && keyed && outside && loose && cell && own && nested);
  const uint32_t link = ColorToRGB(outside->TheFont->Color());
  // The normal look takes none of the state rules, only the plain descendant rule.
  EXPECT_EQ(ColorToRGB(menu->TheFont->Color()), link);
  EXPECT_FALSE(menu->TheFont->Style() & fsUnderline);
  EXPECT_TRUE(outside->TheFont->Style() & fsUnderline);
  for (TFontObj* f : {menu, keyed, outside, loose, cell, own, nested})
    f->SetHover(true);
  EXPECT_EQ(ColorToRGB(nested->TheFont->Color()), 0x00FF00u);
  EXPECT_FALSE(nested->TheFont->Style() & fsBold);
  EXPECT_EQ(ColorToRGB(menu->TheFont->Color()), 0x00FF00u) << "hover inside #nav";
  EXPECT_FALSE(menu->TheFont->Style() & fsUnderline) << "the hover look keeps the link's own decoration";
  EXPECT_EQ(ColorToRGB(keyed->TheFont->Color()), 0xFF0000u) << "the later rule for its class inside a division";
  EXPECT_EQ(ColorToRGB(outside->TheFont->Color()), ColorToRGB(clRed)) << "the document's hover colour outside";
  EXPECT_EQ(ColorToRGB(loose->TheFont->Color()), ColorToRGB(clRed));
  EXPECT_EQ(ColorToRGB(cell->TheFont->Color()), ColorToRGB(clRed)) << "no hover rule for links in cells";
  EXPECT_EQ(ColorToRGB(own->TheFont->Color()), 0x00FF00u) << "a run inside the link takes the link's hover look";
  for (TFontObj* f : {menu, keyed, outside, loose, cell, own}) {
    f->SetHover(false);
    f->SetVisited(true);
  }
  EXPECT_EQ(ColorToRGB(cell->TheFont->Color()), 0x0000FFu);
  EXPECT_TRUE(cell->TheFont->Style() & fsItalic);
  EXPECT_FALSE(outside->TheFont->Style() & fsItalic);
  EXPECT_EQ(ColorToRGB(outside->TheFont->Color()), ColorToRGB(clPurple));
  EXPECT_EQ(ColorToRGB(menu->TheFont->Color()), ColorToRGB(clPurple));
  EXPECT_TRUE(Doc->Styles->LinksActive);
}

TEST_F(Text, LateBodyIsIgnored)
{
  Parse("text<body text=red>more");
  EXPECT_EQ(ColorToRGB(RunAt(u"more")->TheFont->Color()), 0u);
}

// Pages as they are usually written: a document type, line breaks and a comment before
// BODY. The white space between them is no content, so BODY still sets up the page.
TEST_F(Text, BodyAfterDoctypeCommentAndLineBreaksStillCounts)
{
  Parse("<!DOCTYPE html>\n<!-- generated -->\n<body bgcolor=#ffeedd text=#112233 link=green>\n<p>x <a href=a>l</a>");
  EXPECT_EQ(ColorToRGB(Doc->Background), 0xDDEEFFu);
  EXPECT_EQ(ColorToRGB(RunAt(u"x")->TheFont->Color()), 0x332211u);
  EXPECT_EQ(ColorToRGB(RunAt(u"l")->TheFont->Color()), 0x008000u);
  EXPECT_EQ(Texts(), u"x l");
}

TEST_F(Text, BodyRuleAppliesAfterAHeadWithLineBreaks)
{
  Parse(
      "<?xml version=\"1.0\"?>\r\n<!DOCTYPE html>\r\n<html>\r\n<head>\r\n  <title>T</title>\r\n"
      "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
      "  <script type=\"text/javascript\">var a = 1;</script>\r\n"
      "  <style>body { color: #445566; background-color: #010203 }</style>\r\n</head>\r\n<body>\r\n<p>y</p>\r\n</body>\r\n</html>\r\n");
  EXPECT_EQ(ColorToRGB(RunAt(u"y")->TheFont->Color()), 0x665544u);
  EXPECT_EQ(ColorToRGB(Doc->Background), 0x030201u);
  EXPECT_EQ(Ctx.Title, u"T");
  EXPECT_EQ(Texts(), u"y");
}

TEST_F(Text, BodyAfterRealContentIsStillIgnored)
{
  // A non-breaking space, a line break or a rule is content: BODY after it changes nothing.
  for (const char* before : {"&nbsp;\n", "<br>\n", "<hr>\n", "\n<p>\n"}) {
    SCOPED_TRACE(before);
    Doc->Clear();
    Parse(std::string("<!DOCTYPE html>\n") + before + "<body text=red>\nmore");
    EXPECT_EQ(ColorToRGB(RunAt(u"more")->TheFont->Color()), 0u);
  }
}

TEST_F(Text, PageSheetWithMissingFontsAndVariablesKeepsTheLook)
{
  Parse(
      "<!DOCTYPE html>\n<!-- c -->\n<html><head><style>\n"
      ":root { --big: 40px }\n"
      "body { font-family: 'Segoe UI', NoSuchSans, Arial }\n"
      "pre, code { font-family: Consolas, Menlo, NoSuchMono }\n"
      "h1 { font-size: var(--big); font-weight: var(--w) }\n"
      "</style></head>\n<body bgcolor=#fffff0>\n"
      "<h1>Title</h1><p>text <code>call()</code></p><pre>line</pre>");
  EXPECT_EQ(ColorToRGB(Doc->Background), 0xF0FFFFu);
  EXPECT_EQ(RunAt(u"text")->TheFont->Name(), "Arial");
  EXPECT_EQ(RunAt(u"call()")->TheFont->Name(), "Courier New");
  EXPECT_EQ(RunAt(u"line")->TheFont->Name(), "Courier New");
  TFontObj* title = RunAt(u"Title");
  EXPECT_EQ(title->TheFont->Size(), 24);   // the heading's own size, not the default 12
  EXPECT_TRUE(title->TheFont->Style() & fsBold);
  EXPECT_EQ(title->TheFont->Name(), "Arial");
}

TEST_F(Text, SoundAndScriptCallbacks)
{
  std::vector<std::string> sounds, scripts;
  Ctx.OnSound = [&](const std::string& src, int32_t loop, bool term) {
    sounds.push_back(src + "|" + std::to_string(loop));
  };
  Ctx.OnScript = [&](const std::string& name, const std::string& lang, const std::string& text) {
    scripts.push_back(name + "|" + lang + "|" + text);
  };
  Parse(
      "<bgsound src=a.wav><bgsound src=b.wav loop=3><bgsound><script language=js name=s>if (a<b) {}\n<!-- x --></script>after");
  EXPECT_EQ(sounds, (std::vector<std::string>{"a.wav|1", "b.wav|3"}));
  ASSERT_EQ(scripts.size(), 1u);
  EXPECT_EQ(scripts[0], "s|js|if (a<b) {}\r\n<!-- x -->");
  EXPECT_EQ(Texts(), u"after");
}

TEST_F(Text, ScriptWithoutHandlerIsDropped)
{
  Parse("a<script>document.write('<b>x</b>')</script>b");
  EXPECT_EQ(Texts(), u"ab");
}

TEST_F(Text, IncludeCommentsReadTheirText)
{
  Ctx.OnInclude = [](const std::string& cmd, const std::vector<std::string>& params, std::string& buffer) {
    buffer = "<b>" + cmd + (params.empty() ? "" : ":" + params[0]) + "</b>";
  };
  Parse("a <!--#date fmt=\"long\"--> b");
  EXPECT_EQ(Texts(), u"a date:fmt=long b");
  EXPECT_TRUE(RunAt(u"date")->TheFont->Style() & fsBold);
}

TEST_F(Text, NobrForbidsBreaksAndWbrAllowsOne)
{
  Parse("<p>a <nobr>b c<wbr>d e</nobr> f");
  TSection* s = SectionWith(u"a");
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->BuffS, u"a b cd e f");
  EXPECT_EQ(s->Brk, "yynnynnnyyy");
}

TEST_F(Text, MapsWithAreas)
{
  Parse(
      "<map name=\"m\"><area shape=rect coords=\"0,0,10,10\" href=a.htm>x</map>"
      "<map name=bad><b><i><u>y");
  ASSERT_EQ(Doc->MapList.Count(), 1);
  EXPECT_EQ(Doc->MapList[0]->MapName, "M");
  EXPECT_EQ(Doc->MapList[0]->Areas.size(), 1u);
  EXPECT_EQ(Texts(), u"y");
}

using Plain = DocumentBuilderTest;

TEST_F(Plain, EachLineIsAPreformattedSection)
{
  ParsePlainText("a  <b>\r\n\r\nc &amp;\n", *Doc);
  std::vector<std::u16string> lines;
  for (TSection* s : Sections())
    lines.push_back(s->BuffS);
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"a  <b>", u"", u"c &amp;", u""}));
}

TEST_F(Plain, LongLinesArePassedInPieces)
{
  std::string line(1000, 'x');
  ParsePlainText(line, *Doc);
  EXPECT_EQ(Texts(), std::u16string(1000, u'x'));
}

}   // namespace
