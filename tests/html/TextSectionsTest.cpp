#include "tests/html/DocumentTestUtil.h"

namespace {

using TextTest = HtmlsubsTest;

TEST_F(TextTest, FinishCollapsesSpacesAndKeepsNonBreakingOnes)
{
  auto s = Para(u"  a   b \u00A0c ");
  s->AddChar(BrkCh, 20);
  s->AddTokenObj(Token(u" d", 21));
  s->Finish();
  EXPECT_EQ(s->BuffS, u"a b  c\bd");   // the nbsp stays (a space that never breaks)
  ASSERT_EQ(s->Brk.size(), s->BuffS.size() + 1);
  EXPECT_EQ(s->Brk[4], 'n');
  EXPECT_EQ(s->Brk.back(), 'y');
  EXPECT_EQ(s->Len, 8);
  // Source positions follow the characters that stayed.
  EXPECT_EQ(s->SourcePosOf(0), 2);
  EXPECT_EQ(s->SourcePosOf(2), 6);
  EXPECT_EQ(s->SourcePosOf(7), 22);
}

TEST_F(TextTest, EmptyParagraphsAreDroppedUnlessTheyClear)
{
  EXPECT_EQ(AddPara(u"   "), nullptr);
  EXPECT_EQ(Doc->Count(), 0);
  auto clear = Attrs({{ClearSy, 0, "left"}});
  auto s = Para(u"", nullptr, clear.get());
  Doc->Add(std::move(s));
  EXPECT_EQ(Doc->Count(), 1);
  ASSERT_NE(AddPara(u"x"), nullptr);
  EXPECT_EQ(static_cast<TSection*>(Doc->Last())->SectionNumber, 1);
}

TEST_F(TextTest, DroppedParagraphLeavesNoLinkOrAnchorBehind)
{
  TUrlTarget link;
  link.Assign("a.htm", "", 1);
  auto ids = Attrs({{IDSy, 0, "here"}});
  auto s = Para(u" ", nullptr, ids.get(), &link);
  EXPECT_EQ(Doc->LinkList.size(), 1u);
  EXPECT_NE(Doc->IDNameList->Find("here"), nullptr);
  Doc->Add(std::move(s));
  EXPECT_TRUE(Doc->LinkList.empty());
  EXPECT_EQ(Doc->IDNameList->Find("here"), nullptr);
}

TEST_F(TextTest, WordsWrapAtSpacesAndPositionsRunOn)
{
  TSection* a = AddPara(u"aaa bbb ccc");
  TSection* b = AddPara(u"dd");
  Layout(70);   // 8 characters of 8 pixels fit
  ASSERT_EQ(a->Lines.Count(), 2);
  EXPECT_EQ(LineText(*a, 0), u"aaa bbb ");
  EXPECT_EQ(LineText(*a, 1), u"ccc");
  EXPECT_EQ(a->SectionHeight, 32);
  EXPECT_EQ(a->StartCurs, 0);
  EXPECT_EQ(b->StartCurs, 11);
  EXPECT_EQ(b->ContentTop, 32);
  EXPECT_EQ(Doc->DocLength(), 13);
  char16_t ch = 0;
  TSectionBase* owner = nullptr;
  ASSERT_TRUE(Doc->CharAt(12, ch, owner));
  EXPECT_EQ(ch, u'd');
  EXPECT_EQ(owner, b);
}

TEST_F(TextTest, BreakOpportunities)
{
  TSection* s = AddPara(u"abc-defgh");   // "-" allows a break after it
  TSection* w = AddPara(u"\u4E00\u4E01\u4E02\u4E03\u4E04");
  TSection* nb = AddPara(u"ab\u00A0cd ef");   // the non-breaking space holds "ab cd" together
  Layout(48);                                 // six characters
  ASSERT_EQ(s->Lines.Count(), 2);
  EXPECT_EQ(LineText(*s, 0), u"abc-");
  ASSERT_EQ(w->Lines.Count(), 1);
  Layout(24);
  ASSERT_EQ(w->Lines.Count(), 2);
  EXPECT_EQ(LineText(*w, 0), u"\u4E00\u4E01\u4E02");
  ASSERT_EQ(nb->Lines.Count(), 2);
  EXPECT_EQ(LineText(*nb, 0), u"ab cd ");
}

TEST_F(TextTest, LongWordOverflowsAndReportsItsWidth)
{
  TSection* s = AddPara(u"x abcdefghij y");
  int32_t sw = 0, curs = 0;
  Doc->DoLogic(*Canvas, 0, 40, 1000, sw, curs);
  ASSERT_EQ(s->Lines.Count(), 3);
  EXPECT_EQ(LineText(*s, 1), u"abcdefghij ");
  EXPECT_EQ(sw, 80);
}

TEST_F(TextTest, LoneBreakGetsTheFontHeight)
{
  auto p = Para();
  p->AddChar(BrkCh, 0);
  TSection* s = p.get();
  Doc->Add(std::move(p));
  Layout(200);
  ASSERT_EQ(s->Lines.Count(), 1);
  EXPECT_EQ(s->SectionHeight, 16);
}

TEST_F(TextTest, ForcedBreakEndsTheLineEvenWithSpacesBefore)
{
  auto p = Para(u"ab cd");
  p->AddChar(BrkCh, 5);
  p->AddTokenObj(Token(u"ef", 6));
  TSection* s = p.get();
  Doc->Add(std::move(p));
  Layout(400);
  ASSERT_EQ(s->Lines.Count(), 2);
  EXPECT_EQ(LineText(*s, 0), u"ab cd\b");
  EXPECT_EQ(LineText(*s, 1), u"ef");
}

TEST_F(TextTest, AlignmentAndJustification)
{
  TProperties centre, right, just;
  centre.Props[TextAlign] = std::string("center");
  right.Props[TextAlign] = std::string("right");
  just.Props[TextAlign] = std::string("justify");
  TSection* c = AddPara(u"abcd", &centre);
  TSection* r = AddPara(u"abcd", &right);
  TSection* j = AddPara(u"aa bb cc dd ee", &just);
  Layout(100);
  EXPECT_EQ(c->Lines[0]->LineIndent, 34);
  EXPECT_EQ(r->Lines[0]->LineIndent, 68);
  ASSERT_EQ(j->Lines.Count(), 2);
  EXPECT_EQ(LineText(*j, 0), u"aa bb cc dd ");
  EXPECT_EQ(j->Lines[0]->Spaces, 3);
  EXPECT_EQ(j->Lines[0]->Extra, 100 - 88);
  EXPECT_EQ(j->Lines[1]->Extra, 0);   // the last line stays ragged

  // Drawn, the justified words reach the right edge; the trailing space is not drawn.
  Device->ClearRecords();
  Doc->Draw(*Canvas, Rect(0, 0, 100, 1000), 100, 0, 0, 0);
  const TCanvasRecord* first = nullptr;
  for (const TCanvasRecord& rec : Device->Records)
    if (rec.Kind == TCanvasRecord::TextOut && rec.Text.rfind(u"aa", 0) == 0)
      first = &rec;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Text, u"aa bb cc dd");
  int32_t total = 0;
  for (Integer a : first->Advances)
    total += a;
  EXPECT_EQ(first->Point.X + total, 100);
}

TEST_F(TextTest, FirstLineIndentAndLineHeight)
{
  TProperties p;
  p.Props[TextIndent] = std::string("16px");
  p.Props[LineHeight] = std::string("24px");
  TSection* s = AddPara(u"aaaa bbbb", &p);
  Layout(80);
  ASSERT_EQ(s->Lines.Count(), 2);
  EXPECT_EQ(s->Lines[0]->LineIndent, 16);
  EXPECT_EQ(s->Lines[1]->LineIndent, 0);
  EXPECT_EQ(s->Lines[0]->SpaceBefore, 4);
  EXPECT_EQ(s->Lines[0]->SpaceAfter, 4);
  EXPECT_EQ(s->SectionHeight, 48);
}

TEST_F(TextTest, FindForwardBackwardAndCase)
{
  AddPara(u"The cat and the Hat");
  AddPara(u"another cat");
  Layout(1000);
  EXPECT_EQ(Doc->FindString(0, u"cat", true), 4);
  EXPECT_EQ(Doc->FindString(5, u"cat", true), 27);
  EXPECT_EQ(Doc->FindString(0, u"hat", true), -1);
  EXPECT_EQ(Doc->FindString(0, u"HAT", false), 16);
  EXPECT_EQ(Doc->FindString(0, u"the", false), 0);
  EXPECT_EQ(Doc->FindStringBackward(30, u"cat", true), 27);
  EXPECT_EQ(Doc->FindStringBackward(27, u"cat", true), 4);
  EXPECT_EQ(Doc->FindStringBackward(4, u"cat", true), -1);
  EXPECT_EQ(Doc->FindString(0, u"", true), -1);
}

TEST_F(TextTest, SelectionToTextAcrossParagraphs)
{
  auto p = Para(u"one two");
  p->AddChar(BrkCh, 7);
  p->AddTokenObj(Token(u"three", 8));
  Doc->Add(std::move(p));
  AddPara(u"four");
  Layout(40);
  Doc->SelB = 4;
  Doc->SelE = 16;
  EXPECT_EQ(Doc->GetSelText(), u"two\r\nthree\r\nfou\r\n");
  Doc->SelB = 0;
  Doc->SelE = 3;
  EXPECT_EQ(Doc->GetSelText(), u"one\r\n");
  Doc->SelB = Doc->SelE = 3;
  EXPECT_EQ(Doc->GetSelText(), u"");
}

TEST_F(TextTest, SourceAndDocumentPositions)
{
  auto p = Para();
  p->AddTokenObj(Token(u"abc", 10));
  p->AddTokenObj(Token(u"def", 20));
  Doc->Add(std::move(p));
  AddPara(u"");
  Layout(500);
  EXPECT_EQ(Doc->SourcePosOf(4), 21);
  EXPECT_EQ(Doc->DocPosOf(21, false), 4);
  EXPECT_EQ(Doc->DocPosOf(5, false), 0);    // before the first run: the first position
  EXPECT_EQ(Doc->DocPosOf(15, false), 3);   // between runs, forward: the later run
  EXPECT_EQ(Doc->DocPosOf(15, true), 2);    // backward: the earlier run's last
  EXPECT_EQ(Doc->DocPosOf(99, true), 5);
  EXPECT_EQ(Doc->DocPosOfList(99, false), Doc->DocLength() + 1);
}

TEST_F(TextTest, CursorMappingBothWays)
{
  TSection* s = AddPara(u"abcd efgh");
  Layout(48);
  ASSERT_EQ(s->Lines.Count(), 2);
  TCursorInfo info;
  // Second line, 13 pixels in: past the middle of "f".
  EXPECT_EQ(Doc->CursorAt(*Canvas, 13, 20, info), 7);
  EXPECT_TRUE(info.IntText);
  EXPECT_EQ(info.LineTop, 16);
  EXPECT_EQ(info.CursorX, 16);
  TCursorInfo past;
  EXPECT_EQ(Doc->CursorAt(*Canvas, 500, 2, past), 5);
  EXPECT_FALSE(past.IntText);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(Doc->CursorToXY(*Canvas, 7, x, y));
  EXPECT_EQ(x, 16);
  EXPECT_EQ(y, 16);
  EXPECT_EQ(Doc->CursorAt(*Canvas, 5, 500, info), -1);
}

TEST_F(TextTest, LinksAnswerHitTestsAndHover)
{
  TUrlTarget link;
  link.Assign("next.htm", "_top", 1);
  Doc->LinksActive = true;
  auto p = Para(u"go ");
  TProperties a;
  a.PropTitle = "a hint";
  p->ChangeFont(a, &link);
  p->AddTokenObj(Token(u"there", 3));
  p->ChangeFont(Prop, nullptr);
  p->AddTokenObj(Token(u" now", 8));
  Doc->Add(std::move(p));
  Layout(500);
  ASSERT_EQ(Doc->LinkList.size(), 1u);
  TLinkInfo info;
  uint32_t r = Doc->LinkAt(*Canvas, 3 * 8 + 2, 5, info);
  EXPECT_EQ(r, guUrl | guTitle);
  ASSERT_TRUE(info.UrlTarg);
  EXPECT_EQ(info.UrlTarg->URL, "next.htm");
  EXPECT_EQ(info.Title, "a hint");
  EXPECT_EQ(Doc->ActiveLink, Doc->LinkList[0]);
  EXPECT_TRUE(Doc->LinkList[0]->Hover);
  TLinkInfo none;
  EXPECT_EQ(Doc->LinkAt(*Canvas, 2, 5, none), 0u);
  EXPECT_FALSE(Doc->LinkList[0]->Hover);
}

TEST_F(TextTest, RunsMoveWithDeletedCharacters)
{
  auto p = Para();
  TProperties bold;
  bold.Props[FontWeight] = std::string("bold");
  p->AddTokenObj(Token(u"a  "));
  p->ChangeFont(bold);
  p->AddTokenObj(Token(u" "));
  p->ChangeFont(Prop);
  p->AddTokenObj(Token(u"b"));
  ASSERT_EQ(p->Fonts.Count(), 3);
  p->Finish();
  // The bold run lost its only character and gives way.
  EXPECT_EQ(p->BuffS, u"a b");
  ASSERT_EQ(p->Fonts.Count(), 2);
  EXPECT_EQ(p->Fonts[1]->Pos, 2);
}

TEST_F(TextTest, SuperscriptAndSelectionDrawing)
{
  auto p = Para(u"x");
  TProperties sup;
  sup.Props[VerticalAlign] = std::string("super");
  p->ChangeFont(sup);
  p->AddTokenObj(Token(u"2", 1));
  p->ChangeFont(Prop);
  p->AddTokenObj(Token(u" yz", 2));
  Doc->Add(std::move(p));
  Layout(500);
  Doc->SelB = 3;
  Doc->SelE = 4;
  Device->ClearRecords();
  Doc->Draw(*Canvas, Rect(0, 0, 500, 500), 500, 0, 0, 0);
  std::vector<std::u16string> texts = Device->Texts();
  // Chunks end at font changes and at both ends of the selection.
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"x", u"2", u" ", u"y", u"z"}));
  int32_t base = 0, raised = 0;
  for (const TCanvasRecord& r : Device->Records)
    if (r.Kind == TCanvasRecord::TextOut) {
      if (r.Text == u"x")
        base = r.Point.Y;
      if (r.Text == u"2")
        raised = r.Point.Y;
    }
  EXPECT_EQ(base - raised, 16 / 3);
}

TEST_F(TextTest, ProgressOncePerLayoutEveryFiftyParagraphs)
{
  for (int i = 0; i < 120; ++i)
    AddPara(u"p");
  Layout(100);
  EXPECT_EQ(Host.Progress, (std::vector<int32_t>{41, 83}));
  Layout(100);
  EXPECT_EQ(Host.Progress.size(), 4u);
}

TEST_F(TextTest, MinAndMaxWidths)
{
  TProperties p;
  p.Props[TextIndent] = std::string("10px");
  auto s = Para(u"ab abcdef-gh", &p);
  s->AddChar(BrkCh, 12);
  s->AddTokenObj(Token(u"x", 13));
  TSection* raw = s.get();
  Doc->Add(std::move(s));
  int32_t mn = 0, mx = 0;
  raw->MinMaxWidth(*Canvas, mn, mx);
  EXPECT_EQ(mn, 7 * 8);   // "abcdef-"
  EXPECT_EQ(mx, 12 * 8 + 10);
}

}   // namespace
