// Malformed pages end with what was built, within bounded nesting, and lay out.
#include "tests/html/DocumentBuilderTestUtil.h"

namespace {

using Malformed = DocumentBuilderTest;

std::string Repeat(const std::string& S, int N)
{
  std::string r;
  r.reserve(S.size() * static_cast<size_t>(N));
  for (int i = 0; i < N; ++i)
    r += S;
  return r;
}

TEST_F(Malformed, DeepNestingIsBounded)
{
  for (const char* open : {"<div>", "<b>", "<ul><li>", "<table><tr><td>", "<p><h1>", "<blockquote>", "<center>",
                           "<font size=+1>", "<form>", "<pre>", "<a href=x>", "<dl><dd>", "<h2><div>"}) {
    SCOPED_TRACE(open);
    Doc->Clear();
    Doc->SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10,
                  12);
    Parse(Repeat(open, 20000) + "deep" + Repeat("</div></b></ul></table>", 50) + " end");
    EXPECT_NE(SectionWith(u"deep"), nullptr);
    EXPECT_NE(SectionWith(u"end"), nullptr);
    Layout(300);
  }
}

TEST_F(Malformed, UnclosedAndStrayTags)
{
  Parse(
      "</p></b></div></table></td></tr></ul></li></h1></a></font></form></select></textarea></pre></html>"
      "<p>one<b>two<table><tr><td>three<ul><li>four<div>five");
  EXPECT_EQ(Texts(), u"onetwo|three|four|five");
}

TEST_F(Malformed, OpenCommentKeepsWhatCameBefore)
{
  Parse("<p>kept <b>bold</b><!-- never closed <p>lost");
  EXPECT_EQ(Texts(), u"kept bold");
}

TEST_F(Malformed, ControlBytesAndNulsCarryNothing)
{
  Parse(std::string("<p>a\0b\x01\x02\x04\x08", 10) + "c\x1a" + "after the end");
  EXPECT_EQ(Texts(), u"abc");
}

TEST_F(Malformed, HugeAttributeValues)
{
  const std::string big(200000, '9');
  Parse("<font size=" + big + " color=\"" + big + "\">a</font><img src=\"" + std::string(100000, 'x')
        + "\" width=" + big + " height=-" + big + " hspace=" + big + "><ol start=" + big + "><li value=" + big
        + ">b<li>c</ol><p align=\"" + big + "\">d" + "<table border=" + big + " cellpadding=" + big
        + "><tr><td colspan=" + big + " rowspan=" + big + ">e</table>");
  EXPECT_NE(SectionWith(u"a"), nullptr);
  EXPECT_NE(SectionWith(u"e"), nullptr);
  Layout(400);
}

TEST_F(Malformed, UnterminatedTagsAndTextAreas)
{
  Parse("<p>x<textarea>never ends <b>");
  EXPECT_EQ(Texts(), u"x" + std::u16string(1, FmCtl));
  Doc->Clear();
  Parse("<p>y<select><option>a<option selected>b");
  EXPECT_EQ(Texts(), u"y" + std::u16string(1, FmCtl));
  Doc->Clear();
  Parse("<p>z<img src=a.gif");
  EXPECT_EQ(SectionWith(u"z")->Images.Count(), 1);
}

TEST_F(Malformed, EveryExceptionEndsTheParseQuietly)
{
  Ctx.OnMeta = [](const std::string&, const std::string&, const std::string&) {
    throw std::runtime_error("host failed");
  };
  Parse("<p>before<meta name=x content=y><p>after");
  EXPECT_EQ(Texts(), u"before");
  Layout(200);
}

TEST_F(Malformed, ManyOptionsAndAreas)
{
  Parse("<select>" + Repeat("<option value=v>text", 20000) + "</select><map name=m>"
        + Repeat("<area shape=rect coords=\"0,0,1,1\" href=a>", 5000) + "</map>tail");
  EXPECT_NE(SectionWith(u"tail"), nullptr);
  ASSERT_EQ(Doc->MapList.Count(), 1);
}

}   // namespace
