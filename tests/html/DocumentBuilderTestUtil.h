// Documents built from HTML strings on the fixed-metric canvas, and their section trees
// written out as text so tests can compare shapes.
#pragma once

#include <string>
#include <vector>

#include "html/HtmlReader.h"
#include "tests/html/DocumentTestUtil.h"

class DocumentBuilderTest : public HtmlsubsTest {
protected:
  void SetUp() override
  {
    HtmlsubsTest::SetUp();
    Doc->SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10,
                  12);
  }

  void Parse(const std::string& Html) { ParseHTMLDocument(Html, *Doc, Ctx); }

  // Every text section in document order.
  std::vector<TSection*> Sections() const
  {
    std::vector<TSection*> out;
    Collect(*Doc, out);
    return out;
  }

  // The texts of the non-empty text sections, joined by "|".
  std::u16string Texts() const
  {
    std::u16string s;
    for (TSection* t : Sections()) {
      if (t->BuffS.empty())
        continue;
      if (!s.empty())
        s += u'|';
      s += t->BuffS;
    }
    return s;
  }

  // The first text section holding Text, and the run at its first character.
  TSection* SectionWith(const std::u16string& Text) const
  {
    for (TSection* t : Sections())
      if (t->BuffS.find(Text) != std::u16string::npos)
        return t;
    return nullptr;
  }
  TFontObj* RunAt(const std::u16string& Text) const
  {
    TSection* s = SectionWith(Text);
    if (!s)
      return nullptr;
    int32_t index = 0;
    return s->Fonts.GetFontObjAt(static_cast<int32_t>(s->BuffS.find(Text)), index);
  }

  static void Collect(const TCellBasic& Cell, std::vector<TSection*>& Out);

  THtmlParseContext Ctx;
};

// The section tree as text: blocks by tag with their content in brackets, text sections
// quoted, preformatted lines as pre'...', tables as rows of cells.
std::string DumpTree(const TCellBasic& Cell);
