// Form controls built from pages: their kinds, sizes, values, submission, reset and data,
// the keyboard within radio groups and the tab order on a real paint panel.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "html/SmallSections.h"
#include "platform/Forms.h"
#include "tests/html/DocumentBuilderTestUtil.h"

namespace {

class FormsTest : public DocumentBuilderTest {
protected:
  struct TFormHost : THost {
    TWinControl* Panel = nullptr;
    std::vector<Word> Keys;
    TFormControlObj* Focused = nullptr;
    TWinControl* PaintPanel() override { return Panel; }
    void ViewerKeyDown(Word& Key, TShiftState) override { Keys.push_back(Key); }
    void ControlFocused(TFormControlObj* C) override { Focused = C; }
  };

  void SetUp() override
  {
    DocumentBuilderTest::SetUp();
    Doc = std::make_unique<TSectionList>(&FormHost, nullptr);
    Doc->BitmapList = &Cache;
    Doc->SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10,
                  12);
    Doc->SubmitForm = [this](TObject*, const std::string& Action, const std::string& Target, const std::string& EncType,
                             const std::string& Method, const std::vector<std::string>& Results) {
      ++Submits;
      LastAction = Action + "|" + Target + "|" + EncType + "|" + Method;
      LastResults = Results;
    };
  }
  void TearDown() override
  {
    Doc.reset();
    Window.reset();
    DocumentBuilderTest::TearDown();
  }

  // A shown window whose client area is the paint panel.
  void MakeWindow()
  {
    Window = std::make_unique<TForm>();
    Window->SetBounds(100, 100, 500, 400);
    PaintPanel = std::make_unique<TPanel>();
    PaintPanel->SetParent(Window.get());
    PaintPanel->SetAlign(alClient);
    FormHost.Panel = PaintPanel.get();
  }

  TFormControlObj* Ctl(size_t I) const { return Doc->FormControlList.at(I); }
  template <class T>
  T* As(size_t I) const
  {
    auto* c = dynamic_cast<T*>(Ctl(I));
    EXPECT_NE(c, nullptr) << "control " << I;
    return c;
  }
  // Text measured on the layout canvas in the font of control I.
  int32_t Width(size_t I, const std::string& S)
  {
    Canvas->Font().Assign(Ctl(I)->TheControl->Font());
    return Canvas->TextWidth(S);
  }
  int32_t Height(size_t I, const std::string& S)
  {
    Canvas->Font().Assign(Ctl(I)->TheControl->Font());
    return Canvas->TextHeight(S);
  }

  TFormHost FormHost;
  std::unique_ptr<TForm> Window;
  std::unique_ptr<TPanel> PaintPanel;
  int Submits = 0;
  std::string LastAction;
  std::vector<std::string> LastResults;
};

using Forms = FormsTest;

TEST_F(Forms, ElementsMakeTheirKindsOfControl)
{
  Parse(
      "<form method=postit action=/go target=t enctype=x>"
      "<input type=text><input type=password><input type=hidden name=h value=1><input type=submit>"
      "<input type=reset><input type=button><input type=checkbox><input type=radio><input type=bogus>"
      "<select><option>a</select><select size=2><option>a</select><select multiple><option>a</select>"
      "<textarea></textarea></form>");
  ASSERT_EQ(Doc->FormControlList.size(), 13u);
  As<TEditFormControlObj>(0);
  EXPECT_EQ(As<TEditFormControlObj>(1)->Edit()->PasswordChar(), '*');
  As<THiddenFormControlObj>(2);
  EXPECT_EQ(As<TButtonFormControlObj>(3)->Which, 0);
  EXPECT_EQ(As<TButtonFormControlObj>(4)->Which, 1);
  EXPECT_EQ(As<TButtonFormControlObj>(5)->Which, 2);
  EXPECT_EQ(As<TButtonFormControlObj>(3)->TheControl->Caption(), "Submit");
  As<TCheckBoxFormControlObj>(6);
  As<TRadioButtonFormControlObj>(7);
  As<TEditFormControlObj>(8);   // an unknown type is a text edit
  As<TComboFormControlObj>(9);
  const TFormControlObj& listBox = *Ctl(10);
  EXPECT_EQ(typeid(listBox), typeid(TListBoxFormControlObj));
  EXPECT_TRUE(As<TListBoxFormControlObj>(11)->List()->MultiSelect());
  As<TTextAreaFormControlObj>(12);
  ASSERT_EQ(Doc->htmlFormList.Count(), 1);
  ThtmlForm* f = Doc->htmlFormList[0];
  EXPECT_EQ(f->Method, "post");
  EXPECT_EQ(f->Action, "/go");
  EXPECT_EQ(f->Target, "t");
  EXPECT_EQ(f->EncType, "x");
  EXPECT_EQ(f->NonHiddenCount, 12);
  // The hidden input takes no character in the text.
  TSection* s = Sections().front();
  EXPECT_EQ(std::count(s->BuffS.begin(), s->BuffS.end(), FmCtl), 12);
}

TEST_F(Forms, ControlOutsideAFormGetsAnImplicitOne)
{
  Parse("<p><input name=a value=1></p>");
  ASSERT_EQ(Doc->htmlFormList.Count(), 1);
  EXPECT_EQ(Doc->htmlFormList[0]->Method, "get");
  EXPECT_EQ(Doc->htmlFormList[0]->GetFormSubmission(), std::vector<std::string>{"a=1"});
}

TEST_F(Forms, EditWidthFollowsItsSize)
{
  Parse(
      "<input size=7><input size='30,2'><input size='wide,2'><input size=wide><input style='width:50px;height:40px'>"
      "<input size=99999999>");
  Layout(600);
  const int32_t zero = Width(0, "0");
  EXPECT_EQ(Ctl(0)->Width, 7 * zero + 5);
  EXPECT_EQ(Ctl(1)->Width, 30 * zero + 5);
  EXPECT_EQ(Ctl(2)->Width, 20 * zero + 5);
  EXPECT_EQ(Ctl(3)->Width, 15 * zero + 5);
  EXPECT_EQ(Ctl(4)->Width, 50);
  EXPECT_EQ(Ctl(4)->Height, 40);
  EXPECT_EQ(As<TEditFormControlObj>(5)->EditSize, 1000) << "a page's size is bounded";
  EXPECT_EQ(Ctl(0)->Height, Ctl(0)->TheControl->Height());
}

TEST_F(Forms, ButtonAndChoiceSizes)
{
  Parse(
      "<input type=submit value='Go on'><input type=checkbox><input type=radio>"
      "<select name=s><option>one<option>three three</select>"
      "<select size=3><option>a</select>"
      "<select multiple><option>1<option>2<option>3<option>4<option>5<option>6<option>7<option>8<option>9<option>10</select>"
      "<textarea rows=2 cols=4></textarea>");
  Layout(800);
  EXPECT_EQ(Ctl(0)->Width, Width(0, "Go on") + 20);
  EXPECT_EQ(Ctl(0)->Height, Height(0, "A") + 8);
  EXPECT_EQ(Ctl(1)->Width, 13);
  EXPECT_EQ(Ctl(2)->Height, 14);
  auto* combo = As<TComboFormControlObj>(3);
  EXPECT_EQ(combo->Longest, Width(3, "three three"));
  EXPECT_EQ(combo->Width, VScrollBarWidth + combo->Longest + 10 + 4);
  EXPECT_EQ(As<TListBoxFormControlObj>(4)->LBSize, 3);
  auto* ten = As<TListBoxFormControlObj>(5);
  EXPECT_EQ(ten->LBSize, 8) << "ten options without a size show eight rows";
  EXPECT_EQ(ten->Height, 8 * Height(5, "A") + 4);
  auto* area = As<TTextAreaFormControlObj>(6);
  EXPECT_EQ(area->Height, 2 * Height(6, "A") + 5 + 4);
  EXPECT_EQ(area->Width, 4 * Width(6, "s") + 5 + 4 + VScrollBarWidth);
  // The paragraph's line is as tall as its tallest control.
  TSection* s = Sections().front();
  const LineRec* l = s->Lines[0];
  EXPECT_GE(l->SpaceBefore + l->LineHt + l->SpaceAfter, ten->Height);
}

TEST_F(Forms, SubmissionInControlOrderWithTheButton)
{
  Parse(
      "<form action=a><input type=hidden name=h value='x y'><input name=e value=typed>"
      "<input type=checkbox name=c1 checked><input type=checkbox name=c2 value=v>"
      "<input type=radio name=r value=1><input type=radio name=r value=2 checked>"
      "<select name=s><option value=v1>one<option selected>two</select>"
      "<select name=m multiple><option selected>a<option>b<option selected value=cv>c</select>"
      "<textarea name=t>line</textarea><input type=submit name=go value=Go><input type=submit></form>");
  ASSERT_EQ(Doc->FormControlList.size(), 11u);
  As<TButtonFormControlObj>(9)->ButtonClick();
  EXPECT_EQ(Submits, 1);
  EXPECT_EQ(LastAction, "a|||get");
  EXPECT_EQ(LastResults,
            (std::vector<std::string>{"h=x y", "e=typed", "c1=on", "r=2", "s=two", "m=a", "m=cv", "t=line", "go=Go"}));
  // An unnamed submit button adds nothing of its own; a plain button submits nothing.
  As<TButtonFormControlObj>(10)->ButtonClick();
  EXPECT_EQ(LastResults.back(), "t=line");
  Doc->SubmitForm = nullptr;
  As<TButtonFormControlObj>(10)->ButtonClick();
  EXPECT_EQ(Submits, 2) << "without a handler nothing is submitted";
}

TEST_F(Forms, ResetAndFormDataGiveValuesBack)
{
  Parse(
      "<form><input name=e value=start><input type=checkbox name=c value=Yes>"
      "<input type=radio name=r value=1 checked><input type=radio name=r value=2>"
      "<select name=s><option>a<option>b</select><select name=m size=3 multiple><option>a<option>b<option>c</select>"
      "<textarea name=t>one</textarea><input type=reset></form>");
  ThtmlForm* f = Doc->htmlFormList[0];
  f->SetFormData({"e=changed", "c=yes", "r=2", "s=b", "m=a", "m=c", "t=new", "junk"});
  EXPECT_EQ(f->GetFormSubmission(),
            (std::vector<std::string>{"e=changed", "c=Yes", "r=2", "s=b", "m=a", "m=c", "t=new"}));
  // The data saved with the history comes back after a reload.
  auto saved = Doc->GetFormControlData();
  As<TButtonFormControlObj>(7)->ButtonClick();
  EXPECT_EQ(f->GetFormSubmission(), (std::vector<std::string>{"e=start", "r=1", "s=a", "t=one"}));
  Doc->SetFormControlData(*saved);
  EXPECT_EQ(f->GetFormSubmission(),
            (std::vector<std::string>{"e=changed", "c=Yes", "r=2", "s=b", "m=a", "m=c", "t=new"}));
}

TEST_F(Forms, TextAreaWrapModes)
{
  Parse(
      "<textarea name=h wrap=hard cols=5>aaaa bbbb cccc</textarea><textarea name=o wrap=off cols=5>aaaa bbbb cccc\r\nx</textarea>"
      "<textarea name=s cols=5>aaaa bbbb cccc</textarea>");
  Layout(800);
  auto* hard = As<TTextAreaFormControlObj>(0);
  auto* off = As<TTextAreaFormControlObj>(1);
  auto* soft = As<TTextAreaFormControlObj>(2);
  EXPECT_EQ(hard->Wrap, 2);
  EXPECT_EQ(off->Wrap, 0);
  EXPECT_EQ(soft->Wrap, 1);
  EXPECT_EQ(off->Memo()->ScrollBars(), TScrollStyle::ssBoth);
  EXPECT_EQ(soft->Memo()->ScrollBars(), TScrollStyle::ssVertical);
  EXPECT_FALSE(off->Memo()->WordWrap());
  std::string s;
  ASSERT_TRUE(hard->GetSubmission(0, s));
  EXPECT_GT(hard->Memo()->Lines().size(), 1u) << "a five-column box wraps the text";
  EXPECT_NE(s.find("\r\n"), std::string::npos);
  EXPECT_EQ(s.find(' '), std::string::npos) << "wrapped lines keep no trailing space";
  ASSERT_TRUE(off->GetSubmission(0, s));
  EXPECT_EQ(s, "o=aaaa bbbb cccc\r\nx");
  ASSERT_TRUE(soft->GetSubmission(0, s));
  EXPECT_EQ(s, "s=aaaa bbbb cccc");
  EXPECT_FALSE(soft->GetSubmission(1, s));
}

TEST_F(Forms, PrintedControlsWriteTheirTextsInsideTheirFrames)
{
  Parse(
      "<p>words <input value=hello> <input type=submit value=Go> <select><option>pick</select> "
      "<select size=3><option>listed</select> <textarea rows=2>first</textarea></p>");
  Layout(800);
  TSectionList copy(*Doc);
  int32_t sw = 0, curs = 0;
  copy.DoLogic(*Canvas, 0, 800, 1000, sw, curs);
  copy.Printing = true;
  copy.YOff = 0;
  Device->ClearRecords();
  copy.Draw(*Canvas, Rect(0, 0, 800, 1000), 800, 0, 0, 0);
  // The line's text is written on its baseline; the controls' pictures hang from their tops,
  // so each text's baseline lies in the lower half of its control.
  const std::vector<std::pair<std::u16string, size_t>> texts = {
      {u"hello", 0}, {u"Go", 1}, {u"pick", 2}, {u"listed", 3}, {u"first", 4}};
  for (const auto& [text, i] : texts) {
    const TCanvasRecord* r = nullptr;
    for (const TCanvasRecord& rec : Device->Records)
      if (rec.Kind == TCanvasRecord::TextOut && rec.Text == text)
        r = &rec;
    ASSERT_NE(r, nullptr) << "not printed: " << std::string(text.begin(), text.end());
    const int32_t top = Ctl(i)->YValue;
    const int32_t h = Ctl(i)->Height;
    EXPECT_GT(r->Point.Y, top + (i == 3 || i == 4 ? 2 : h / 2)) << std::string(text.begin(), text.end());
    EXPECT_LT(r->Point.Y, top + h) << std::string(text.begin(), text.end());
  }
  const TCanvasRecord* words = nullptr;
  for (const TCanvasRecord& rec : Device->Records)
    if (rec.Kind == TCanvasRecord::TextOut && rec.Text.find(u"words") != std::u16string::npos)
      words = &rec;
  ASSERT_NE(words, nullptr);
  EXPECT_GE(words->Point.Y, Ctl(0)->YValue + Ctl(0)->Height / 2) << "the line's own text stays on its baseline";
}

TEST_F(Forms, AMiddleAlignedControlIsCentredOnItsLine)
{
  Parse("<p>ab <input style='vertical-align: middle; height: 40px'> cd</p><p>ef <input style='height: 40px'> gh</p>");
  Layout(600);
  ASSERT_EQ(Ctl(0)->FormAlign, AMiddle);
  ASSERT_EQ(Ctl(0)->Height, 40);
  const LineRec& middle = *SectionWith(u"ab")->Lines[0];
  const LineRec& bottom = *SectionWith(u"ef")->Lines[0];
  // The line is as tall as the control, which stands out as much above the text as below.
  EXPECT_EQ(middle.SpaceBefore + middle.LineHt + middle.SpaceAfter, 40);
  EXPECT_EQ(middle.SpaceBefore, middle.SpaceAfter);
  // At the bottom (the default) it stands out above the text only.
  EXPECT_EQ(bottom.SpaceBefore + bottom.LineHt + bottom.SpaceAfter, 40);
  EXPECT_EQ(bottom.SpaceAfter, 0);
}

TEST_F(Forms, ImageInputSubmitsItsPointOnce)
{
  Parse("<form><input name=e value=v><input type=image name=map src=missing.gif width=40 height=30></form>");
  auto* img = As<TImageFormControlObj>(1);
  ASSERT_NE(img->MyImage, nullptr);
  EXPECT_EQ(img->MyImage->MyFormControl, img);
  std::string s;
  EXPECT_FALSE(img->GetSubmission(0, s)) << "nothing before a click";
  img->SetImagePoint(12, 7);
  img->ImageClick();
  EXPECT_EQ(Submits, 1);
  EXPECT_EQ(LastResults, (std::vector<std::string>{"e=v", "map.x=12", "map.y=7"}));
  Doc->htmlFormList[0]->SubmitTheForm("");
  EXPECT_EQ(LastResults, std::vector<std::string>{"e=v"}) << "the point is sent once";
}

TEST_F(Forms, EnterInAnEditSubmits)
{
  Parse("<form><input name=a value=1></form>");
  char key = 13;
  Doc->htmlFormList[0]->ControlKeyPress(Ctl(0), key);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(Submits, 1);
  EXPECT_EQ(LastResults, std::vector<std::string>{"a=1"});
}

TEST_F(Forms, ObjectEventsGetTheScriptTexts)
{
  Parse("<input name=a value=x onfocus=F() onblur=B() onchange=C() onclick=K()>");
  std::vector<std::string> events;
  auto record = [&](const char* kind) {
    return
        [&events, kind](TObject*, TFormControlObj*, const std::string& M) { events.push_back(std::string(kind) + M); };
  };
  Doc->ObjectFocus = record("focus ");
  Doc->ObjectBlur = record("blur ");
  Doc->ObjectChange = record("change ");
  Doc->ObjectClick = record("click ");
  auto* e = As<TEditFormControlObj>(0);
  e->EnterControl();
  EXPECT_TRUE(e->Active);
  EXPECT_EQ(FormHost.Focused, e);
  e->ExitControl();   // nothing changed
  e->EnterControl();
  e->Edit()->SetText("y");
  e->ExitControl();
  e->ClickControl();
  EXPECT_EQ(events,
            (std::vector<std::string>{"focus F()", "blur B()", "focus F()", "change C()", "blur B()", "click K()"}));
  EXPECT_FALSE(e->Active);
}

TEST_F(Forms, ManyOptionsAndHugeAttributesAreBounded)
{
  std::string page = "<select name=s rows=9999999 size=2000000000>";
  for (int i = 0; i < 300; ++i)
    page += "<option value=" + std::to_string(i) + ">" + std::to_string(i);
  page += "</select><textarea rows=2000000000 cols=-5></textarea>";
  Parse(page);
  Layout(600);
  auto* list = As<TListBoxFormControlObj>(0);
  EXPECT_EQ(list->TheOptions.size(), 300u);
  EXPECT_EQ(list->LBSize, 1000);
  EXPECT_LE(list->Height, 32004);
  auto* area = As<TTextAreaFormControlObj>(1);
  EXPECT_EQ(area->Rows, 1000);
  EXPECT_EQ(area->Cols, 1);
}

// ---- on a real paint panel ----

TEST_F(Forms, ControlsLiveOnThePaintPanelAndParkOutOfView)
{
  MakeWindow();
  Parse("<p><input name=a><input type=radio name=r></p>");
  EXPECT_EQ(Ctl(0)->TheControl->Parent(), PaintPanel.get());
  auto* radio = As<TRadioButtonFormControlObj>(1);
  EXPECT_EQ(radio->RButton->Parent(), radio->TheControl.get());
  EXPECT_EQ(radio->RButton->GroupName, "r");
  Layout(400);
  EXPECT_EQ(Ctl(0)->TheControl->Left(), -4000) << "not drawn yet";
  TBitmap b(400, 200);
  Doc->Draw(b.Canvas(), Rect(0, 0, 400, 200), 400, 0, 0, 0);
  EXPECT_GE(Ctl(0)->TheControl->Left(), 0);
  EXPECT_TRUE(Ctl(0)->ShowIt);
  // Scrolled far away: it stays visible for the keyboard, parked left of the panel.
  Doc->SetYOffset(5000);
  Doc->Draw(b.Canvas(), Rect(0, 0, 400, 200), 400, 0, 0, 0);
  EXPECT_EQ(Ctl(0)->TheControl->Left(), -4000);
  EXPECT_TRUE(Ctl(0)->TheControl->Visible());
  Doc->Clear();
  EXPECT_EQ(PaintPanel->ControlCount(), 0) << "freed controls leave the panel";
}

TEST_F(Forms, TabIndexOrdersTheControls)
{
  MakeWindow();
  Parse("<input name=a><input name=b tabindex=10><input name=c tabindex=2><input name=d tabindex=10><input name=e>");
  Layout(400);
  auto order = [&](size_t i) { return Ctl(i)->TheControl->TabOrder(); };
  EXPECT_EQ(order(2), 0) << "tab index 2 first";
  EXPECT_EQ(order(1), 1);
  EXPECT_EQ(order(3), 2) << "the same tab index keeps document order";
  EXPECT_LT(order(3), order(0));
  EXPECT_LT(order(0), order(4));
  // Tab walks that order, wrapping at the end.
  EXPECT_EQ(PaintPanel->FindNextControl(Ctl(2)->GetControl(), true), Ctl(1)->GetControl());
  EXPECT_EQ(PaintPanel->FindNextControl(Ctl(4)->GetControl(), true), Ctl(2)->GetControl());
  EXPECT_EQ(PaintPanel->FindNextControl(Ctl(2)->GetControl(), false), Ctl(4)->GetControl());
}

// Links and fields share one tab order: tab indexes first (2 before 10, equal ones in
// document order), then the rest in document order, in and out of tables; a hidden input,
// a disabled field and a link split over runs each count as they should.
TEST_F(Forms, LinksAndFieldsShareOneTabOrder)
{
  MakeWindow();
  Parse(
      "<a href=a.htm>a</a><input name=b tabindex=10><a href=c.htm tabindex=2>c</a>"
      "<table><tr><td><input name=d></td><td><a href=e.htm tabindex=10>e <b>split</b></a></td></tr></table>"
      "<input type=hidden name=h tabindex=1><input name=f tabindex=2><input name=off><a href=g.htm>g</a>");
  Layout(400);
  Doc->FormControlList.back()->TheControl->SetEnabled(false);
  std::vector<std::string> order;
  for (const TSectionList::TTabItem& i : Doc->TabItems())
    order.push_back(i.Link ? i.Link->GetURL() : i.Control->Name);
  EXPECT_EQ(order, (std::vector<std::string>{"c.htm", "f", "b", "e.htm", "a.htm", "d", "g.htm"}));
  EXPECT_EQ(Doc->TabLinks().size(), 4u);
}

TEST_F(Forms, RadiosOfOneNameExcludeEachOtherAndTakeArrows)
{
  MakeWindow();
  Parse(
      "<form><input type=radio name=r value=1 checked><input type=radio name=R value=2>"
      "<input type=radio name=other value=3 checked><input type=checkbox name=c></form>");
  Layout(400);
  auto* r1 = As<TRadioButtonFormControlObj>(0);
  auto* r2 = As<TRadioButtonFormControlObj>(1);
  auto* r3 = As<TRadioButtonFormControlObj>(2);
  EXPECT_TRUE(r1->Checked());
  r2->RButton->DispatchMouseDown(mbLeft, 0, 5, 5);   // the user clicks it
  r2->RButton->DispatchMouseUp(mbLeft, 0, 5, 5);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked()) << "names compare without case";
  EXPECT_TRUE(r3->Checked()) << "another group is left alone";
  // The radios' tab stops are reached through their panels.
  EXPECT_EQ(PaintPanel->FindNextControl(r1->RButton.get(), true), r2->RButton.get());

  ThtmlForm* f = Doc->htmlFormList[0];
  Word key = VK_UP;
  f->ControlKeyDown(r1, key, 0);
  EXPECT_EQ(key, 0) << "arrows on a radio stay within its group";
  EXPECT_TRUE(FormHost.Keys.empty());
  key = VK_DOWN;
  f->ControlKeyDown(As<TCheckBoxFormControlObj>(3), key, 0);
  key = VK_NEXT;
  f->ControlKeyDown(r1, key, 0);
  EXPECT_EQ(FormHost.Keys, (std::vector<Word>{VK_DOWN, VK_NEXT})) << "other keys scroll the page";

  Window->Show();
  Window->Activate();
  // Focusing a control activates its window; the display may take a moment to give it
  // the keyboard focus (up to 3 s on a loaded machine).
  for (int i = 0; i < 300 && !r1->RButton->Focused(); ++i) {
    Application->ProcessMessages();
    r1->RButton->SetFocus();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(r1->RButton->Focused()) << "the window was given the keyboard focus";
  key = VK_RIGHT;
  f->ControlKeyDown(r1, key, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(r2->RButton->Focused());
  EXPECT_TRUE(r2->Active) << "entering the control marks it active";
  key = VK_RIGHT;
  f->ControlKeyDown(r2, key, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(r2->RButton->Focused()) << "the end of the group stops the move";
}

}   // namespace
