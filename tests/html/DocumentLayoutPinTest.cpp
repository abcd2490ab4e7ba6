// Pins the layout results of representative pages on the fixed-metric canvas: every line's
// start, length, place and height, every block's box, every table's columns and rows, at
// widths from 0 to 1200. The speed work on line breaking and width caching must not move a
// single line; a change here is a change of layout and must be deliberate.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "html/SmallSections.h"
#include "tests/html/DocumentBuilderTestUtil.h"

namespace {

class LayoutPin : public DocumentBuilderTest {
protected:
  void SetUp() override
  {
    DocumentBuilderTest::SetUp();
    Doc->ShowImages = false;
  }

  static void DumpCell(const TCellBasic& Cell, std::ostringstream& Out, int Depth)
  {
    for (const auto& sp : Cell) {
      const TSectionBase* s = sp.get();
      Out << std::string(static_cast<size_t>(Depth), ' ') << "s " << s->ContentTop << ' ' << s->SectionHeight << ' '
          << s->DrawHeight << ' ' << s->StartCurs << ' ' << s->Len;
      if (auto* t = dynamic_cast<const TSection*>(s)) {
        Out << " text\n";
        for (const auto& l : t->Lines)
          Out << std::string(static_cast<size_t>(Depth + 1), ' ') << "l " << l->Start << ' ' << l->Ln << ' ' << l->DrawY
              << ' ' << l->LineIndent << ' ' << l->LineHt << ' ' << l->SpaceBefore << ' ' << l->SpaceAfter << ' '
              << l->Descent << ' ' << l->DrawWidth << ' ' << l->Spaces << ' ' << l->Extra << ' ' << l->LineImgHt
              << '\n';
      } else if (auto* b = dynamic_cast<const TBlock*>(s)) {
        Out << " block " << b->Tag() << ' ' << b->Indent << ' ' << b->NewWidth << ' ' << b->BoxTop << ' ' << b->BoxBot
            << '\n';
        DumpCell(*b->MyCell, Out, Depth + 1);
      } else if (auto* tb = dynamic_cast<const ThtmlTable*>(s)) {
        Out << " table " << tb->NumCols << ' ' << tb->TableWidth << ' ' << tb->CaptionWidth << " w";
        for (int32_t i = 0; i < tb->NumCols; ++i)
          Out << ' ' << tb->Widths[static_cast<size_t>(i)];
        Out << '\n';
        for (const auto& row : tb->Rows) {
          Out << std::string(static_cast<size_t>(Depth + 1), ' ') << "row " << row->RowHt << '\n';
          for (const auto& c : *row)
            if (c && !c->IsPlaceholder()) {
              Out << std::string(static_cast<size_t>(Depth + 2), ' ') << "cell " << c->Wd << ' ' << c->Ht << ' '
                  << c->YIndent << '\n';
              DumpCell(*c->Cell, Out, Depth + 3);
            }
        }
        if (tb->Caption && tb->Caption->Cell)
          DumpCell(*tb->Caption->Cell, Out, Depth + 1);
      } else {
        Out << " other\n";
      }
    }
  }

  // The layout of Html at every width, as text.
  std::string LayoutDump(const std::string& Html)
  {
    Doc->Clear();
    Parse(Html);
    std::ostringstream out;
    for (int32_t width : {0, 37, 150, 300, 800, 1200}) {
      int32_t scrollWidth = 0, curs = 0;
      const int32_t h = Doc->DoLogic(*Canvas, 0, width, 600, scrollWidth, curs);
      out << "width " << width << ' ' << h << ' ' << scrollWidth << ' ' << curs << '\n';
      DumpCell(*Doc, out, 0);
    }
    return out.str();
  }

  static uint64_t Hash(const std::string& S)
  {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : S) {
      h ^= c;
      h *= 1099511628211ull;
    }
    return h;
  }

  // Pages of forced line breaks: every line flattened to its document cursor and place, so
  // the result does not depend on how the breaks are grouped into paragraphs; with the caret
  // place of every position, the text that a whole and a partial selection copy, and where
  // the named anchors are.
  std::string BreaksDump(const std::string& Html)
  {
    Doc->Clear();
    Parse(Html);
    std::ostringstream out;
    for (int32_t width : {0, 37, 300, 800}) {
      int32_t scrollWidth = 0, curs = 0;
      const int32_t h = Doc->DoLogic(*Canvas, 0, width, 600, scrollWidth, curs);
      out << "width " << width << ' ' << h << ' ' << scrollWidth << ' ' << curs << '\n';
      for (const TSection* t : Sections())
        for (const auto& l : t->Lines)
          out << "l " << t->StartCurs + l->Start << ' ' << l->Ln << ' ' << l->DrawY << ' '
              << t->DrawOriginX + l->LineIndent << ' ' << l->LineHt << ' ' << l->SpaceBefore << ' ' << l->SpaceAfter
              << ' ' << l->Descent << ' ' << l->DrawWidth << ' ' << l->Spaces << ' ' << l->Extra << ' ' << l->LineImgHt
              << '\n';
      for (int32_t c = 0; c <= curs; ++c) {
        int32_t x = -1, y = -1;
        const bool found = Doc->CursorToXY(*Canvas, c, x, y);
        out << "c " << c << ' ' << found << ' ' << x << ' ' << y << '\n';
      }
      auto copied = [&](int32_t B, int32_t E) {
        Doc->SelB = B;
        Doc->SelE = E;
        const std::u16string t = Doc->GetSelText();
        std::string s;
        for (char16_t ch : t)
          s += ch == 13 ? 'R' : ch == 10 ? 'N' : static_cast<char>(ch);
        return s;
      };
      out << "copy " << copied(0, curs) << '\n';
      for (int32_t b = 0; b < curs; b += 3)
        out << "copy " << b << ' ' << copied(b, b + 4) << '\n';
      Doc->SelB = Doc->SelE = 0;
      for (const char* name : {"n", "o"})
        if (TIDObject* o = Doc->IDNameList->Find(name))
          out << "anchor " << name << ' ' << o->YPosition() << '\n';
    }
    return out.str();
  }

  void ExpectPinned(const char* Name, const std::string& Html, uint64_t Expected)
  {
    ExpectHash(Name, LayoutDump(Html), Expected);
  }

  void ExpectHash(const char* Name, const std::string& dump, uint64_t Expected)
  {
    const uint64_t h = Hash(dump);
    if (h != Expected) {
      // The dump goes to the test output, so a deliberate change can be reviewed line by line.
      std::ofstream(std::string(ORRELO_TEST_OUTPUT) + "/layout-pin-" + Name + ".txt") << dump;
      char buf[32];
      std::snprintf(buf, sizeof buf, "0x%016llxull", static_cast<unsigned long long>(h));
      ADD_FAILURE() << Name << ": layout changed, hash " << buf;
    }
  }
};

std::string Words(int N, int Seed)
{
  static const char* words[] = {"gear",           "wheel", "the",   "a",         "mechanism", "of",  "pulley",
                                "crank-shaft",    "to",    "lever", "is",        "ratchet",   "and", "in",
                                "counterbalance", "cam",   "x",     "sprocket?", "belt",      "load"};
  std::string s;
  unsigned v = static_cast<unsigned>(Seed);
  for (int i = 0; i < N; ++i) {
    v = v * 1103515245u + 12345u;
    if (i)
      s += ' ';
    s += words[(v >> 16) % std::size(words)];
  }
  return s;
}

const std::string& ProsePage()
{
  static const std::string s = "<h1>Gears</h1><p>" + Words(120, 1) + " <b>bold " + Words(9, 2) + "</b> <i>" + Words(7, 3) +
                               "</i> <a href=x.htm>a link " + Words(5, 4) + "</a> <big>" + Words(6, 5) + "</big> <small>" +
                               Words(8, 6) + "</small> Supercalifragilisticexpialidociousandevenlongerthanthat " + Words(20, 7) +
                               "</p><p align=center>" + Words(40, 8) + "<br>" + Words(10, 9) + "</p><p align=right>" + Words(30, 10) +
                               "</p><p align=justify>" + Words(60, 11) + "</p><p style=\"text-indent: 40px; line-height: 30px\">" +
                               Words(50, 12) + "</p><p style=\"text-indent: 20%\">" + Words(30, 13) +
                               "</p><p>non&nbsp;breaking&nbsp;words&nbsp;stay&nbsp;together " + Words(10, 14) +
                               " \xE4\xB8\x80\xE4\xBA\x8C\xE4\xB8\x89\xE5\x9B\x9B\xE4\xBA\x94\xE5\x85\xAD\xE4\xB8\x83 hyphen-ated-word-here "
                               "a<sub>2</sub>b<sup>3</sup> " +
                               Words(15, 15) + "<br><br>" + Words(5, 16) + "</p><h3>" + Words(6, 17) + "</h3>" + Words(25, 18);
  return s;
}

const std::string& ListsPage()
{
  static const std::string s = "<ul><li>" + Words(30, 20) + "<li>" + Words(12, 21) + "<ol><li>" + Words(20, 22) + "<li>"
                               + Words(8, 23) + "<ol type=a><li>x<li>" + Words(15, 24)
                               + "</ol></ol></ul><dl><dt>term<dd>" + Words(25, 25) + "<dt>t2<dd>" + Words(5, 26)
                               + "</dl><blockquote>" + Words(40, 27) + "</blockquote><ol start=5><li>" + Words(10, 28)
                               + "<li><p>" + Words(10, 29) + "</ol>";
  return s;
}

const std::string& FloatsPage()
{
  static const std::string s =
      "<p><img src=a.gif width=100 height=80 align=left alt=left>" + Words(80, 30)
      + "<img src=b.gif width=60 height=120 align=right alt=right>" + Words(60, 31)
      + "</p><p><img src=c.gif width=40 height=20 alt=inline> " + Words(20, 32)
      + " <img src=d.gif width=30 height=50 align=middle> " + Words(10, 33)
      + " <img src=e.gif width=30 height=30 align=top hspace=5 vspace=4> " + Words(10, 34) + "<br clear=all>"
      + Words(12, 35) + "</p><div style=\"float:left; width:120px; margin:4px; border: 2px solid black; padding: 3px\">"
      + Words(15, 36) + "</div><div style=\"float:right; width:90px\">" + Words(10, 37) + "</div><p>" + Words(70, 38)
      + "</p><p style=\"clear:both\">" + Words(10, 39) + "</p><img src=f.gif width=300 height=10 align=left><p>"
      + Words(25, 40) + "</p>";
  return s;
}

const std::string& TablesPage()
{
  static const std::string s =
      "<table border=1 cellpadding=3 cellspacing=2><caption>" + Words(6, 41) + "</caption><tr><th>" + Words(2, 42)
      + "<th>" + Words(5, 43) + "<th colspan=2>" + Words(3, 44) + "<tr><td rowspan=2>" + Words(10, 45) + "<td>"
      + Words(3, 46) + "<td width=50>" + Words(4, 47) + "<td>x<tr><td colspan=2>" + Words(20, 48)
      + "<td>y</table><table width=80% border=0><tr><td width=30%>" + Words(12, 49) + "<td>" + Words(30, 50)
      + "<td width=10%>z</table><table width=500 cellspacing=0><tr><td>" + Words(4, 51) + "<td>" + Words(40, 52)
      + "<tr><td>a<td><table border=1><tr><td>" + Words(7, 53) + "<td>" + Words(3, 54)
      + "</table></table><table align=center><tr><td>centred " + Words(3, 55)
      + "</table><table align=right width=200><tr><td>" + Words(20, 56) + "</table><p>" + Words(30, 57)
      + "</p><table><tr><td width=70%>" + Words(10, 58) + "<td width=60%>" + Words(10, 59) + "<td>" + Words(10, 60)
      + "</table><table><colgroup><col width=100><col width=20%></colgroup><tr><td>" + Words(5, 61) + "<td>"
      + Words(9, 62) + "<td>" + Words(3, 63)
      + "</table><table height=200 border=1><tr valign=top><td>top<td valign=bottom>bot<td>" + Words(10, 64)
      + "</table>";
  return s;
}

const std::string& StylesPage()
{
  std::string s =
      "<style>.a{font-size:20px} .b{font-weight:bold} .c{font-style:italic; color:red} div.box{margin:10px auto; width:"
      "300px; padding: 5px; border: 1px solid}</style>";
  for (int i = 0; i < 60; ++i) {
    static const char* cls[] = {"a", "b", "c", ""};
    s += "<span class=" + std::string(cls[i % 4]) + ">" + Words(3 + i % 5, 70 + i) + "</span> ";
    if (i % 13 == 12)
      s += "<span style=\"font-size: " + std::to_string(10 + i % 20) + "px\">" + Words(4, i) + "</span>";
  }
  s += "<div class=box>" + Words(40, 90) + "</div><div style=\"margin-left: 50px; margin-right: 10%\">" + Words(40, 91)
       + "</div><hr width=50%><hr size=5 align=left width=100><h2 style=\"margin-top: 30px\">" + Words(4, 92)
       + "</h2><div style=\"position:relative; left: 10px; top: 5px\">" + Words(10, 93) + "</div><center>"
       + Words(12, 94) + "</center><font size=5 face=Arial>" + Words(10, 95) + "</font><font size=1>" + Words(20, 96)
       + "</font>";
  static const std::string page = s;
  return page;
}

TEST_F(LayoutPin, PagesOfBreaksLayOutAsBefore)
{
  struct TPage {
    const char* Name;
    std::string Html;
    uint64_t Expected;
  };
  const TPage pages[] = {
      {"single", "a<br>b<br>c d e f<br>", 0x7fb35d3475fa4380ull},
      {"runs", "<br><br><br><br>x<br><br><br>y<br><br><br>", 0x131fb2ed9017fc67ull},
      {"paragraphs", "<p>one<br><br><br><br>two</p><p><br><br></p><p>three<br></p>", 0x68da759542389151ull},
      {"spaces", "a<br>\n<br>\n <br> \n<br>\n b <br> <br>  c", 0x80fcbc2f1dca044aull},
      {"aligned",
       "<p align=center>a<br><br><br>b</p><p align=right><br><br><br>c</p><p align=justify>w w w w w w w w "
       "w<br><br><br>x x x x x x x x x x</p>",
       0xdd10cbe379b8ab3aull},
      {"styled",
       "<p style=\"text-indent: 30px; line-height: 40px\">a<br><br><br>b</p><p style=\"text-indent: 10%\">"
       "<br><br>c</p><h2>x<br><br><br>y</h2>",
       0x6294b849925605f2ull},
      {"fonts",
       "a<br><b><br><br></b><big><br><br></big><br>b<font size=7><br><br></font><br><sup><br><br></sup><sub>"
       "<br></sub><br><small><br><br></small>",
       0x022211e5492076b4ull},
      {"lists",
       "<ul><li>a<br><br><br>b<li><br><br><li>c</ul><ol><li><br><br><br><li>d<br></ol><dl><dt><br><br>t<dd>"
       "<br><br><br>u</dl>",
       0x6e6b7a02dd42f861ull},
      {"tables",
       "<table border=1><tr><td>a<br><br><br>b</td><td><br><br><br></td></tr><tr><td colspan=2><br>"
       "<br>c</td></tr></table><br><br>",
       0xee8790b291ad02b3ull},
      {"floats",
       "<img src=a.gif width=50 height=100 align=left><br><br><br><br>text<br><br><img src=b.gif width=40 "
       "height=30 align=right>r<br><br><br><br><br><br><br>after",
       0x426c7e153c0ca8f5ull},
      {"clear",
       "<img src=a.gif width=50 height=100 align=left>a<br clear=left><br><br>b<img src=b.gif width=40 "
       "height=80 align=right><br><br clear=all><br>c<img src=c.gif width=40 height=90 align=left><br "
       "clear=right><br><br><br clear=all><br>",
       0x1b0c466d5d2fe38cull},
      {"links",
       "<a href=x.htm><br><br><br>l</a><br><br><a name=n></a><br><br>m<a name=o><br><br></a>"
       "<nobr>a<br><br>b</nobr><pre>p<br><br><br>q</pre><br><br>",
       0xc49bb1b9df2d678full},
  };
  for (const TPage& p : pages) {
    const std::string dump = BreaksDump(p.Html);
    ExpectHash(p.Name, dump, p.Expected);
  }
}

TEST_F(LayoutPin, PagesLayOutAsBefore)
{
  ExpectPinned("prose", ProsePage(), 0x8e83c5f4bd56bb35ull);
  ExpectPinned("lists", ListsPage(), 0xad788894d708fe43ull);
  ExpectPinned("floats", FloatsPage(), 0x4156d79c021533d7ull);
  ExpectPinned("tables", TablesPage(), 0x5601fbafaf48e2f4ull);
  ExpectPinned("styles", StylesPage(), 0xd0bd6bb21e4b8f8bull);
}

}   // namespace
