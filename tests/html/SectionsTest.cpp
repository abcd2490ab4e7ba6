#include "tests/html/DocumentTestUtil.h"

namespace {

using SectionsTest = HtmlsubsTest;

// A form control with a window control that records where it is put.
class TFakeControl : public TFormControlObj {
public:
  TFakeControl(TSectionList* L, int32_t W, int32_t H) : TFormControlObj(L, 0)
  {
    Width = W;
    Height = H;
  }
  bool HasWindowControl() const override { return true; }
  void ShowControlAt(int32_t Left, int32_t Top) override
  {
    Shown = true;
    At = Point(Left, Top);
  }
  void SetTabOrder(int32_t Order) override { TabOrder = Order; }
  bool Shown = false;
  TPoint At{};
  int32_t TabOrder = -1;
};

TFakeControl* AddControl(TSectionList& Doc, TSection& S, int32_t W, int32_t H, AlignmentType Align = ABottom)
{
  auto form = std::make_unique<ThtmlForm>(&Doc);
  auto c = std::make_unique<TFakeControl>(&Doc, W, H);
  TFakeControl* raw = c.get();
  raw->FormAlign = Align;
  form->InsertControl(std::move(c));
  Doc.htmlFormList.Add(std::move(form));
  Doc.FormControlList.push_back(raw);
  S.AddFormControlObj(raw, 0);
  return raw;
}

TEST_F(SectionsTest, TimerStaysOffWithoutAnimations)
{
  AddPara(u"text");
  EXPECT_FALSE(Doc->Timer);
  Layout(100);
  ASSERT_TRUE(Doc->Timer);
  EXPECT_FALSE(Doc->Timer->Enabled());
  Doc->Draw(*Canvas, Rect(0, 0, 100, 100), 100, 0, 0, 0);
  EXPECT_FALSE(Doc->Timer->Enabled());
}

TEST_F(SectionsTest, PositionListAndFindSection)
{
  TSection* a = AddPara(u"aaaa bbbb");
  TSection* b = AddPara(u"cc");
  Layout(40);
  ASSERT_EQ(Doc->PositionList.size(), 2u);
  int32_t top = -1, index = -1;
  EXPECT_EQ(Doc->FindSectionAtPosition(40, top, index), b);
  EXPECT_EQ(top, 32);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(Doc->FindSectionAtPosition(5, top, index), a);
  EXPECT_EQ(Doc->FindSectionAtPosition(-1, top, index), nullptr);
  // Later layouts keep the list.
  Layout(400);
  EXPECT_EQ(Doc->PositionList.size(), 2u);
}

TEST_F(SectionsTest, ControlsAreLaidOutPlacedAndParked)
{
  auto p = Para(u"ab ");
  TFakeControl* c = AddControl(*Doc, *p, 50, 30);
  p->AddTokenObj(Token(u" cd"));
  TSection* s = p.get();
  Doc->Add(std::move(p));
  Layout(400);
  EXPECT_EQ(s->BuffS.size(), 7u);
  ASSERT_EQ(s->Lines.Count(), 1);
  // The control stands on the line's bottom: 30 - 16 above the text.
  EXPECT_EQ(s->Lines[0]->SpaceBefore, 14);
  Doc->SetYOffset(0);
  Doc->Draw(*Canvas, Rect(0, 0, 400, 400), 400, 0, 0, 0);
  EXPECT_TRUE(c->ShowIt);
  EXPECT_EQ(c->At, Point(24, 0));
  // Scrolled out of the window it stays visible for the keyboard, off the panel.
  Doc->SetYOffset(1000);
  Doc->Draw(*Canvas, Rect(0, 0, 400, 400), 400, 0, 0, 0);
  EXPECT_FALSE(c->ShowIt);
  EXPECT_EQ(c->At.X, -4000);
  // After the text it gives its width to the line.
  EXPECT_EQ(s->FindTextWidth(*Canvas, 0, 7, false), 6 * 8 + 50);
}

TEST_F(SectionsTest, TabOrderFollowsTheKeys)
{
  auto p = Para(u"x");
  TFakeControl* ten = AddControl(*Doc, *p, 10, 10);
  TFakeControl* two = AddControl(*Doc, *p, 10, 10);
  TFakeControl* twoLater = AddControl(*Doc, *p, 10, 10);
  Doc->Add(std::move(p));
  Doc->TabOrderList.push_back({"00010000", {nullptr, ten}});
  Doc->TabOrderList.push_back({"00002001", {nullptr, two}});
  Doc->TabOrderList.push_back({"00002002", {nullptr, twoLater}});
  Layout(200);
  EXPECT_EQ(two->TabOrder, 0);
  EXPECT_EQ(twoLater->TabOrder, 1);
  EXPECT_EQ(ten->TabOrder, 2);
  EXPECT_TRUE(Doc->TabOrderList.empty());
}

TEST_F(SectionsTest, PrintingCopyBreaksPagesAboveCutLines)
{
  for (int i = 0; i < 10; ++i)
    AddPara(u"line");
  Doc->SelB = 0;
  Doc->SelE = 3;
  TSectionList copy(*Doc);
  EXPECT_TRUE(copy.IsCopy);
  ASSERT_EQ(copy.Count(), 10);
  int32_t sw = 0, curs = 0;
  copy.DoLogic(*Canvas, 0, 200, 1000, sw, curs);
  EXPECT_FALSE(copy.Timer);
  EXPECT_TRUE(copy.PositionList.empty());
  copy.Printing = true;
  copy.YOff = 0;
  Device->ClearRecords();
  // A page 50 pixels high: the fourth line (48 to 64) would be cut, so the page ends at 48.
  copy.Draw(*Canvas, Rect(0, 0, 200, 50), 200, 0, 0, 0);
  EXPECT_EQ(copy.PageBottom, 48);
  EXPECT_EQ(Device->Texts().size(), 3u);
  // The printing copy shows no selection: every line prints transparently. Below the page's
  // end the page is blank.
  int blank = 0;
  for (const TCanvasRecord& r : Device->Records)
    if (r.Kind == TCanvasRecord::Fill && r.Color == clWhite)
      blank += r.Rect.Top == 48 && r.Rect.Bottom >= 50;
    else if (r.Kind == TCanvasRecord::Fill)
      ADD_FAILURE() << "opaque text on the printing copy";
  EXPECT_EQ(blank, 1);
}

TEST_F(SectionsTest, SelectionIsDrawnOpaqueInTheFontColour)
{
  AddPara(u"abc");
  Layout(200);
  Doc->SelB = 1;
  Doc->SelE = 2;
  Device->ClearRecords();
  Doc->Draw(*Canvas, Rect(0, 0, 200, 100), 200, 0, 0, 0);
  bool filled = false;
  for (const TCanvasRecord& r : Device->Records) {
    if (r.Kind == TCanvasRecord::Fill && r.Color == clBlack)
      filled = true;
    if (r.Kind == TCanvasRecord::TextOut && r.Text == u"b") {
      EXPECT_EQ(r.Color, clWhite);
    }
  }
  EXPECT_TRUE(filled);
}

TEST_F(SectionsTest, BitmapRequestWithoutColourStoresNoMask)
{
  Doc->GetBitmap = [&](TObject*, const std::string&, std::unique_ptr<TBitmap>& B, TColor&) {
    B = std::make_unique<TBitmap>(4, 4);
  };
  TImageResult r = Doc->GetTheBitmap("a.bmp", NotTransp);
  ASSERT_NE(r.Bitmap, nullptr);
  EXPECT_FALSE(r.FromCache);
  ASSERT_EQ(Cache.Count(), 1);
  EXPECT_EQ(Cache.Objects(0)->Transp, NotTransp);
  EXPECT_EQ(Cache.Objects(0)->Mask, nullptr);
  // Asked again with lower-left transparency, the cached entry gets its mask once.
  TImageResult again = Doc->GetTheBitmap("  A.BMP", LLCorner);
  EXPECT_TRUE(again.FromCache);
  EXPECT_EQ(again.Bitmap, r.Bitmap);
  ASSERT_NE(again.Mask, nullptr);
  EXPECT_EQ(Cache.Objects(0)->Transp, LLCorner);
  EXPECT_EQ(Doc->GetTheBitmap("", NotTransp).Bitmap, nullptr);
}

TEST_F(SectionsTest, BackgroundImageLoadsOnceAndLeavesWithTheDocument)
{
  int requests = 0;
  Doc->GetBitmap = [&](TObject*, const std::string&, std::unique_ptr<TBitmap>& B, TColor&) {
    ++requests;
    B = std::make_unique<TBitmap>(4, 4);
  };
  Doc->SetBackgroundBitmap("back.bmp", PtPositionRec{});
  EXPECT_NE(Doc->GetBackgroundBitmap(), nullptr);
  EXPECT_NE(Doc->GetBackgroundBitmap(), nullptr);
  EXPECT_EQ(requests, 1);
  Doc->Clear();
  EXPECT_EQ(Cache.Count(), 0);
  EXPECT_EQ(Doc->BackgroundBitmap, nullptr);
}

TEST_F(SectionsTest, HoverClearsAndRepaints)
{
  TUrlTarget link;
  link.Assign("x.htm", "", 1);
  auto p = Para(u"", nullptr, nullptr, &link);
  p->AddTokenObj(Token(u"link"));
  Doc->Add(std::move(p));
  Doc->LinksActive = true;
  Layout(200);
  TLinkInfo info;
  Doc->LinkAt(*Canvas, 4, 4, info);
  ASSERT_NE(Doc->ActiveLink, nullptr);
  EXPECT_TRUE(Doc->LinkList[0]->Hover);
  const int before = Host.Invalidated;
  Doc->ClearHover();
  EXPECT_EQ(Doc->ActiveLink, nullptr);
  EXPECT_FALSE(Doc->LinkList[0]->Hover);
  EXPECT_GT(Host.Invalidated, before);
}

TEST_F(SectionsTest, AnchorsJumpToTheirLine)
{
  AddPara(u"aaaa bbbb cccc");
  Layout(40);
  Doc->IDNameList->AddChPosObj("spot", 10);
  TIDObject* o = Doc->IDNameList->Find("SPOT");
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->YPosition(), 32);
}

TEST_F(SectionsTest, HugeStyleValuesStayBounded)
{
  TProperties p;
  p.Props[TextIndent] = std::string("99999999px");
  p.Props[LineHeight] = std::string("99999999px");
  TSection* s = AddPara(u"a b", &p);
  Layout(100);
  ASSERT_GE(s->Lines.Count(), 1);
  EXPECT_GT(s->SectionHeight, 0);
  EXPECT_LE(s->SectionHeight, 4 * MaxLength);
}

}   // namespace
