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

  void ExpectPinned(const char* Name, const std::string& Html, uint64_t Expected)
  {
    const std::string dump = LayoutDump(Html);
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

TEST_F(LayoutPin, PagesLayOutAsBefore)
{
  ExpectPinned("prose", ProsePage(), 0x8e83c5f4bd56bb35ull);
  ExpectPinned("lists", ListsPage(), 0xad788894d708fe43ull);
  ExpectPinned("floats", FloatsPage(), 0x4156d79c021533d7ull);
  ExpectPinned("tables", TablesPage(), 0x5601fbafaf48e2f4ull);
  ExpectPinned("styles", StylesPage(), 0xd0bd6bb21e4b8f8bull);
}

}   // namespace
