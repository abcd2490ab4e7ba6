#include <gtest/gtest.h>

#include "html/HtmlReader.h"
#include "html/StyleModel.h"

namespace {

struct TSym {
  THtmlSymbol Sy;
  std::u16string Text;
  friend bool operator==(const TSym&, const TSym&) = default;
};

// Every symbol of a document until the end, text symbols with their text.
std::vector<TSym> Symbols(THtmlTokenizer& T, const std::string& doc)
{
  T.Start(doc);
  T.GetCh();
  std::vector<TSym> out;
  for (int guard = 0; guard < 10000; ++guard) {
    T.Next();
    out.push_back({T.Sy, T.Sy == TextSy ? T.Token.S() : std::u16string()});
    if (T.Sy == EofSy)
      break;
  }
  return out;
}

std::vector<TSym> Symbols(const std::string& doc, int32_t codePage = 1252)
{
  THtmlTokenizer T;
  T.CodePage = codePage;
  return Symbols(T, doc);
}

// The text of all text symbols joined.
std::u16string AllText(const std::string& doc, int32_t codePage = 1252)
{
  std::u16string s;
  for (const TSym& t : Symbols(doc, codePage))
    s += t.Text;
  return s;
}

TEST(HtmlReader, Tables)
{
  EXPECT_EQ(std::size(TagTable), 73u);
  EXPECT_EQ(std::size(AttribTable), 79u);
  EXPECT_EQ(std::size(EntityTable), 252u);
  EXPECT_EQ(std::size(CharsetTable), 46u);
  EXPECT_EQ(std::string(EntityTable[0].Name), "nbsp");
  EXPECT_EQ(EntityTable[EntityCount - 1].Value, 8364);
  for (const TEntity& e : EntityTable)
    EXPECT_EQ(LookUpEntity(e.Name), e.Value) << e.Name;
  EXPECT_EQ(LookUpEntity("Agrave"), 192);
  EXPECT_EQ(LookUpEntity("agrave"), 224);
  EXPECT_EQ(LookUpEntity("AGRAVE"), -1);
  int32_t cs = -1;
  EXPECT_TRUE(CharsetFromName("text/html; charset=iso-8859-15", cs));
  EXPECT_EQ(cs, 0);   // "8859-1" comes first
  EXPECT_TRUE(CharsetFromName("Windows-1251", cs));
  EXPECT_EQ(cs, 204);
  EXPECT_TRUE(CharsetFromName("koi8-r", cs));
  EXPECT_EQ(cs, 204);
  EXPECT_TRUE(CharsetFromName("x-euc-jp", cs));
  EXPECT_EQ(cs, EUCJPCharsetMarker);
  EXPECT_FALSE(CharsetFromName("utf-8", cs));
}

TEST(HtmlReader, TagsTextAndWhiteSpace)
{
  std::vector<TSym> expect = {{PSy, u""}, {TextSy, u"a b"}, {PEndSy, u""}, {EofSy, u""}};
  EXPECT_EQ(Symbols("<p>a  \r\n\t b</p>"), expect);
  EXPECT_EQ(AllText("a < b"), u"a < b");
  EXPECT_EQ(Symbols("</li>")[0].Sy, OtherSy);
  EXPECT_EQ(Symbols("<blink>")[0].Sy, OtherSy);
  EXPECT_EQ(Symbols("</br>")[0].Sy, OtherSy);
  EXPECT_EQ(Symbols("</B>")[0].Sy, BEndSy);
  EXPECT_EQ(Symbols("<ColGroup>")[0].Sy, ColGroupSy);
  EXPECT_EQ(Symbols("<a href=x")[0].Sy, ASy);   // an unterminated tag runs to the end

  THtmlTokenizer T;
  Symbols(T, "<h3 class=x>");
  T.Start("<h3 class=X id=Y>");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Sy, HeadingSy);
  EXPECT_EQ(T.HeaderLevel, 3);
  EXPECT_EQ(T.Attributes.TheClass(), "x");
  EXPECT_EQ(T.Attributes.TheID(), "y");
  T.Start("</H6><h7>");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Sy, HeadingEndSy);
  EXPECT_EQ(T.HeaderLevel, 6);
  T.Next();
  EXPECT_EQ(T.Sy, HeadingSy);
  EXPECT_EQ(T.HeaderLevel, 0);
}

TEST(HtmlReader, Attributes)
{
  THtmlTokenizer T;
  T.Start(
      "<table border width=\"50%\" height=50% cellpadding=+3 bogus-attr=q align='left' "
      "value=\"a &amp; b\" alt=x&amp;y span=99999999999 size=\"1e400\" cols=\" 2.5 \">");
  T.GetCh();
  T.Next();
  ASSERT_EQ(T.Sy, TableSy);
  const TAttributeList& A = T.Attributes;
  ASSERT_NE(A.Find(BorderSy), nullptr);
  EXPECT_EQ(A.Find(BorderSy)->Value, 1);
  EXPECT_EQ(A.Find(WidthSy)->Name, "50%");
  EXPECT_EQ(A.Find(WidthSy)->Value, 50);
  EXPECT_EQ(A.Find(HeightSy)->Name, "50%");
  EXPECT_EQ(A.Find(HeightSy)->Value, 50);
  EXPECT_EQ(A.Find(CellPaddingSy)->Value, 3);
  EXPECT_EQ(A.Find(UnknownSy)->Name, "q");
  EXPECT_EQ(A.Find(AlignSy)->Name, "left");
  EXPECT_EQ(A.Find(ValueSy)->Name, "a & b");
  EXPECT_EQ(A.Find(AltSy)->Name, "x&amp;y");   // bare values keep their entities
  EXPECT_EQ(A.Find(SpanSy)->Value, INT32_MAX);
  EXPECT_EQ(A.Find(SizeSy)->Value, 0);
  EXPECT_EQ(A.Find(ColsSy)->Value, 2);
}

TEST(HtmlReader, EntitiesInText)
{
  EXPECT_EQ(AllText("&amp;lt;"), u"&lt;");
  EXPECT_EQ(AllText("&copy 2"), u"\u00A9 2");
  EXPECT_EQ(AllText("&bogus;"), u"&bogus;");
  EXPECT_EQ(AllText("&Agrave;&agrave;"), u"\u00C0\u00E0");
  EXPECT_EQ(AllText("&#233;", 1251), u"\u0439");   // a byte of the page
  EXPECT_EQ(AllText("&eacute;", 1251), u"\u00E9");
  EXPECT_EQ(AllText("&#x41;&#X42&#67;"), u"ABC");
  EXPECT_EQ(AllText("&# &#x; & x"), u"&# &#x; & x");
  EXPECT_EQ(AllText("a&<b>c"), u"a&c");
  EXPECT_EQ(AllText("&#128;"), u"\u20AC");
  EXPECT_EQ(AllText("&#8364;&euro;"), u"\u20AC\u20AC");
}

TEST(HtmlReader, NumericReferencesAreBounded)
{
  EXPECT_EQ(AllText("&#x1F600;"), u"\U0001F600");
  EXPECT_EQ(AllText("&#128512;"), u"\U0001F600");
  EXPECT_EQ(AllText("&#x10FFFF;"), u"\U0010FFFF");
  EXPECT_EQ(AllText("&#x110000;"), u"\uFFFD");
  EXPECT_EQ(AllText("&#99999999999999999999;x"), u"\uFFFDx");
  EXPECT_EQ(AllText("&#xD800;&#xdfff;"), u"\uFFFD\uFFFD");
  EXPECT_EQ(AllText("&#0;&#9;&#31;"), u"???");
  THtmlTokenizer T;
  T.CodePage = 932;
  T.Start("<a title=\"&#x1F600;&#65;&#233;\">");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Attributes.TheTitle(), "?A\xE9");
}

TEST(HtmlReader, SourcePositions)
{
  THtmlTokenizer T;
  T.Start("<b>ab &amp;\r\n c&#233;</b>");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.TagIndex, 0);
  T.Next();
  ASSERT_EQ(T.Sy, TextSy);
  EXPECT_EQ(T.Token.S(), u"ab & c\u00E9");
  std::vector<int32_t> expect = {3, 4, 5, 6, 11, 14, 15};
  EXPECT_EQ(T.Token.Indices(), expect);
  T.Next();
  EXPECT_EQ(T.Sy, BEndSy);
  EXPECT_EQ(T.TagIndex, 21);
}

TEST(HtmlReader, CharsetsWithPositions)
{
  THtmlTokenizer T;
  T.CodePage = 932;
  T.Start("x\x82\xa0\x83\x41y");   // x, hiragana a, katakana a, y
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Token.S(), u"x\u3042\u30A2y");
  EXPECT_EQ(T.Token.Indices(), (std::vector<int32_t>{0, 1, 3, 5}));

  T.CodePage = 65001;
  T.Start("\xc3\xa9t\xe2\x82\xac");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Token.S(), u"\u00E9t\u20AC");
  EXPECT_EQ(T.Token.Indices(), (std::vector<int32_t>{0, 2, 3}));

  T.CodePage = 1252;
  T.Start("\x80\x93q\x94");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Token.S(), u"\u20AC\u201Cq\u201D");

  T.CodePage = 1251;
  T.Start("\xcf\xf0\xe8");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Token.S(), u"\u041F\u0440\u0438");

  // The style context's page wins over the default.
  TPropStack stack;
  auto p = std::make_unique<TProperties>();
  p->SetCharset(161);
  stack.Push(std::move(p));
  T.PropStack = &stack;
  T.Start("\xe1");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Token.S(), u"\u03B1");
}

TEST(HtmlReader, JapaneseEncodings)
{
  THtmlTokenizer T;
  T.CodePage = 932;
  T.Start("a\x1b$B\x24\x22\x24\x24\x1b(Bb");
  EXPECT_TRUE(T.ConvertedFromJIS);
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Token.S(), u"a\u3042\u3044b");

  // An odd last byte in double-byte mode reads nothing past the end.
  std::string odd = "\x1b$B\x24";
  EXPECT_TRUE(ConvertJISToShiftJIS(odd));
  EXPECT_EQ(odd, "\x24");
  std::string nul("\x1b$B\x24\x22\0", 6);
  EXPECT_FALSE(ConvertJISToShiftJIS(nul));

  std::string euc = "ab\xa4\xa2\xa4";
  ConvertEUCToShiftJIS(euc, 0);
  EXPECT_EQ(euc, "ab\x82\xa0\xa4");

  // A META naming EUC-JP turns the rest of the text into Shift-JIS.
  T.Start("<meta content=\"text/html; charset=EUC-JP\">\xa4\xa2");
  T.GetCh();
  T.Next();
  int32_t cs = 0;
  ASSERT_TRUE(T.LookUpCharset(T.Attributes.Find(ContentSy)->Name, cs));
  EXPECT_EQ(cs, 128);
  T.Next();
  EXPECT_EQ(T.Token.S(), u"\u3042");
}

TEST(HtmlReader, ControlBytesAreSkipped)
{
  std::vector<TSym> expect = {{TextSy, u"abc"}, {BSy, u""}, {TextSy, u"d"}, {EofSy, u""}};
  EXPECT_EQ(Symbols(std::string("a\0b\x01\x08"
                                "c<b>d",
                                10)),
            expect);
  EXPECT_EQ(AllText("ab\x1a"
                    "cd"),
            u"ab");   // Ctrl-Z ends the document
}

TEST(HtmlReader, CommentsAndDeclarations)
{
  EXPECT_EQ(Symbols("<!DOCTYPE html>")[0].Sy, EofSy);
  EXPECT_EQ(Symbols("<!-- a -- >")[0].Sy, EofSy);
  EXPECT_EQ(AllText("a<!-- x -- y --->b<!---->c<!>d"), u"abcd");
  THtmlTokenizer T;
  T.Start("<a href=\"x<!-- c -->y\" title=a<!-- -->b>");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Attributes.Find(HrefSy)->Name, "xy");
  EXPECT_EQ(T.Attributes.TheTitle(), "ab");

  T.Start("kept<!-- never closed");
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Token.S(), u"kept");
  EXPECT_THROW(
      {
        try {
          T.Next();
        } catch (const EParseError& e) {
          EXPECT_EQ(e.Message, "Open Comment at End of HTML File");
          throw;
        }
      },
      EParseError);
}

TEST(HtmlReader, ProcessingInstructionsVanish)
{
  // An XML declaration at the top of a page, and one between words, leave nothing.
  std::vector<TSym> expect = {{TextSy, u" "}, {BodySy, u""}, {TextSy, u"ab"}, {EofSy, u""}};
  EXPECT_EQ(Symbols("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<body>a<?php x ?>b"), expect);
  // A lone "<" is still text, and so is "?" that follows no "<".
  EXPECT_EQ(AllText("a < b? c"), u"a < b? c");
  // Plain text keeps it as written.
  THtmlTokenizer T;
  T.Start("<?x?>");
  T.PlainText = true;
  T.GetCh();
  EXPECT_EQ(T.LCh, '<');
  // Never closed: the page ends there, what came before is kept.
  T.Start("kept<?never closed");
  T.PlainText = false;
  T.GetCh();
  T.Next();
  EXPECT_EQ(T.Token.S(), u"kept");
  EXPECT_THROW(T.Next(), EParseError);
}

TEST(HtmlReader, IncludeComments)
{
  THtmlTokenizer T;
  std::string command;
  std::vector<std::string> params;
  T.OnInclude = [&](const std::string& c, const std::vector<std::string>& p, std::string& buffer) {
    command = c;
    params = p;
    buffer = c == "date" ? "" : "<b>in</b><!--#nested-->";
  };
  std::vector<TSym> expect = {{TextSy, u"a"}, {BSy, u""}, {TextSy, u"in"}, {BEndSy, u""}, {TextSy, u"z"}, {EofSy, u""}};
  EXPECT_EQ(Symbols(T, "a<!--#include file=\"x.htm\" mode=raw-->z"), expect);
  EXPECT_EQ(command, "include");
  EXPECT_EQ(params, (std::vector<std::string>{"file=x.htm", "mode=raw"}));
  EXPECT_EQ(T.SIndex, 38);   // included characters do not count
  EXPECT_EQ(AllText("a<!--#date-->b"), u"ab");
}

TEST(HtmlReader, IdsAreRegisteredAsRead)
{
  THtmlTokenizer T;
  TIDNameList ids;
  T.IDNameList = &ids;
  Symbols(T, "xx<p id=Here>y<a id=\"\">");
  EXPECT_EQ(ids.Count(), 1);
  auto* obj = dynamic_cast<TChPosObj*>(ids.Find("here"));
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->ChPos, 12);
}

TEST(HtmlReader, TextAreaContent)
{
  THtmlTokenizer T;
  T.Start("<textarea>a<b>&amp;\r\nline</TEXTAREA >z");
  T.GetCh();
  T.Next();
  ASSERT_EQ(T.Sy, TextAreaSy);
  std::vector<TSym> got;
  do {
    T.NextTextArea();
    got.push_back({T.Sy, T.Token.S()});
  } while (T.Sy != TextAreaEndSy && T.Sy != EofSy);
  std::vector<TSym> expect = {{TextSy, u"a"}, {OtherSy, u"<b"},  {TextSy, u">"},      {TextSy, u"&"},
                              {EolSy, u""},   {TextSy, u"line"}, {TextAreaEndSy, u""}};
  EXPECT_EQ(got, expect);
  T.Next();
  EXPECT_EQ(T.Token.S(), u"z");
}

TEST(HtmlReader, PreformattedContent)
{
  THtmlTokenizer T;
  T.Start("<pre>a  &lt; b\r\n\tc<b>d</b></pre>");
  T.GetCh();
  T.Next();
  ASSERT_EQ(T.Sy, PreSy);
  std::vector<TSym> got;
  do {
    T.NextPre();
    got.push_back({T.Sy, T.Token.S()});
  } while (T.Sy != PreEndSy && T.Sy != EofSy);
  std::vector<TSym> expect = {{TextSy, u"a  < b"}, {EolSy, u""},  {TextSy, u" c"}, {BSy, u""},
                              {TextSy, u"d"},      {BEndSy, u""}, {PreEndSy, u""}};
  EXPECT_EQ(got, expect);
}

TEST(HtmlReader, ScriptContent)
{
  THtmlTokenizer T;
  T.Start("<script language=js><!-- if (a<b) x='</p>';\r\n// --></SCRIPT>t");
  T.GetCh();
  T.Next();
  ASSERT_EQ(T.Sy, ScriptSy);
  std::string text;
  EXPECT_EQ(T.ReadScript(text, true), ScriptEndSy);
  EXPECT_EQ(text, "<!-- if (a<b) x='</p>';\r\n// -->");
  T.Next();
  EXPECT_EQ(T.Token.S(), u"t");

  T.Start("<script>x<!-- y --> z");
  T.GetCh();
  T.Next();
  text.clear();
  EXPECT_EQ(T.ReadScript(text, false), EofSy);
  EXPECT_EQ(text, "x z");
}

TEST(HtmlReader, StyleElements)
{
  THtmlTokenizer T;
  TStyleList styles;
  T.Start("<style type=\"text/css\"><!--\r\n p {color:red}\r\n--><!-- td {color:blue} --></style><p>x");
  T.GetCh();
  T.Next();
  ASSERT_EQ(T.Sy, StyleSy);
  T.ReadStyleElement(styles, "");
  EXPECT_EQ(T.Sy, StyleEndSy);
  ASSERT_NE(styles.Find("p"), nullptr);
  ASSERT_NE(styles.Find("td"), nullptr);
  EXPECT_EQ(styles.Find("td")->Props[Color], TPropValue(int32_t(RGBColor(0, 0, 255) | PalRelative)));
  T.Next();
  EXPECT_EQ(T.Sy, PSy);
}

TEST(HtmlReader, Progress)
{
  THtmlTokenizer T;
  std::vector<int32_t> reports;
  T.OnProgress = [&](int32_t done, int32_t total) {
    EXPECT_EQ(total, 10000);
    reports.push_back(done);
  };
  Symbols(T, std::string(10000, 'x'));
  EXPECT_EQ(reports, (std::vector<int32_t>{4096, 8192}));
}

}   // namespace
