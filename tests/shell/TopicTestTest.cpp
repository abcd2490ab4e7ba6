// The test window driven by clicks on its pages and its answer strip.
#include "shell/TopicTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "platform/Files.h"
#include "shell/PrintPreview.h"
#include "shell/TopicDispatch.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/TestWait.h"
#include "tests/platform/ModalSupport.h"
#include "tests/shell/PictureOutput.h"

using namespace printtest;

namespace {

std::unique_ptr<TTarvQuestion> Question(TTopicCategories topics, Integer correct, const std::string& text,
                                        std::vector<std::string> answers)
{
  auto q = std::make_unique<TTarvQuestion>();
  q->Topics = topics;
  q->Correct = correct;
  q->Text = text;
  q->Answers = std::move(answers);
  return q;
}

class TopicTestTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Dir = std::string(ORRELO_TEST_OUTPUT) + "/topictest/"
          + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir + "/HTML/Images");
    testcmd::Output("convert -size 20x18 xc:orange '" + Dir + "/HTML/Images/button.gif' 2>/dev/null");
    SetMessageAnswerer([this](const TMessageRequest& r) {
      Messages.push_back(r.Text);
      return mrOk;
    });
    // A bad file's error goes to the application's own box, as it does with no main window.
    SavedErrors = std::exchange(Application->OnException, nullptr);
  }
  void TearDown() override
  {
    Application->OnException = SavedErrors;
    Tests.FreeTestWindow();
    SetMessageAnswerer(nullptr);
    SetDialogAnswerer(nullptr);
    Printer().SetOutputFileName("");
  }

  std::string WriteFile(const TQuestionList& list, const std::string& name = "test.mq")
  {
    const std::string file = Dir + "/" + name;
    WriteFileBytes(file, SaveQuestionFile(list));
    return file;
  }
  void Run(TTopicCategories mask, const std::string& file)
  {
    Tests.RunTest(mask, Bounds(40, 40, 620, 480), nullptr, {}, file, Dir + "/HTML");
  }

  // Clicks the button of answer Letter on the page shown, as the mouse does.
  bool ClickAnswer(TTestFrm& form, const std::string& letter)
  {
    THTMLViewer& v = *form.viewer;
    TBitmap shot(v.Width(), v.Height());
    v.PaintTo(shot.Canvas(), 0, 0);
    for (int y = 0; y < v.PaintPanel()->Height(); y += 2)
      for (int x = 0; x < 120; x += 2) {
        TLinkInfo info;
        if ((v.SectionList().LinkAt(shot.Canvas(), x, y + v.SectionList().YOff, info) & guUrl) && info.UrlTarg
            && info.UrlTarg->URL == letter) {
          v.PanelMouseDown(mbLeft, 0, x, y);
          v.PanelMouseUp(mbLeft, 0, x, y);
          return true;
        }
      }
    return false;
  }
  static bool RightOf(const TTarvQuestion& q, std::string& letter)
  {
    letter = std::string(1, char('A' + q.Correct));
    return true;
  }
  // The box's colour at its mark.
  static TColor MarkColour(const TTestFrm& form, int box)
  {
    for (int y = 13; y < 27; ++y)
      for (int x = box * 30 + 10; x < box * 30 + 24; ++x) {
        TColor c = form.AnsPic.GetPixel(x, y);
        if (c != clWhite && c != clBlack)
          return c;
      }
    return clWhite;
  }

  std::string Dir;
  std::vector<std::string> Messages;
  TExceptionEvent SavedErrors;
  TTestWindows Tests;
};

}   // namespace

TEST_F(TopicTestTest, AnswersTicksCrossesRetryAndTheResult)
{
  TQuestionList list;
  list.push_back(Question(8, 0, "Which wheel drives?", {"The driver", "The idler", "The driven"}));
  list.push_back(Question(8, 1, "Which way does the idler turn?", {"Back", "With the driver", "", "Neither"}));
  list.push_back(Question(8, 3, "How many teeth?", {"10", "", "30", "40"}));
  const std::string file = WriteFile(list);
  Run(0, file);
  TTestFrm* form = Tests.TestFrm();
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(Tests.TestFrmOpen());
  EXPECT_EQ(form->FormStyle(), fsStayOnTop);
  ASSERT_EQ(form->Questions.size(), 3u);
  EXPECT_NE(form->viewer->DocumentSource().find("Question 1"), std::string::npos);

  // First a wrong answer, then right ones.
  const std::string wrong = form->Questions[0]->Correct == 0 ? "B" : "A";
  ASSERT_TRUE(ClickAnswer(*form, wrong));
  EXPECT_EQ(form->Current, 1);
  EXPECT_NE(form->viewer->DocumentSource().find("Question 2"), std::string::npos);
  for (int i = 1; i < 3; ++i) {
    std::string right;
    RightOf(*form->Questions[size_t(i)], right);
    // An empty answer is not offered, but the ones after it keep their letters.
    ASSERT_TRUE(ClickAnswer(*form, right)) << right;
  }
  EXPECT_TRUE(form->Finished);
  EXPECT_TRUE(form->Reported);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0],
            "Some answers are wrong.\r\nTo try the question again, click\r\non the questions marked with X.");
  EXPECT_EQ(form->Questions[0]->State, TTarvQuestion::qsWrong);
  const TColor cross = MarkColour(*form, 0), tick = MarkColour(*form, 1);
  EXPECT_GT(GetRValue(cross), GetGValue(cross));
  EXPECT_GT(GetGValue(tick), GetRValue(tick));
  EXPECT_EQ(MarkColour(*form, 2), tick);
  // The current box is outlined in red.
  EXPECT_EQ(form->AnsPic.GetPixel(2 * 30 + 1, 15), clRed);
  EXPECT_EQ(form->AnsPic.GetPixel(0 * 30 + 1, 15), clWhite);
  {
    TBitmap shot(form->Width(), form->Height());
    form->PaintTo(shot.Canvas(), 0, 0);
    SaveTestPicture(shot, "test-window.png");
  }

  // Boxes past the last question, and right answers, are no place to retry.
  form->AnsPicMouseMove(nullptr, 0, 5 * 30 + 5, 10);
  EXPECT_EQ(form->AnsPicBox->Cursor(), crDefault);
  form->AnsPicMouseDown(nullptr, mbLeft, 0, 9 * 30 + 5, 10);
  form->AnsPicMouseDown(nullptr, mbLeft, 0, 1 * 30 + 5, 10);
  EXPECT_EQ(form->Current, 2);
  form->AnsPicMouseMove(nullptr, 0, 1 * 30 + 5, 10);
  EXPECT_EQ(form->AnsPicBox->Cursor(), crDefault);
  form->AnsPicMouseMove(nullptr, 0, 0 * 30 + 5, 10);
  EXPECT_EQ(form->AnsPicBox->Cursor(), crHandPoint);
  form->AnsPicMouseDown(nullptr, mbLeft, 0, 0 * 30 + 5, 10);
  EXPECT_EQ(form->Current, 0);
  EXPECT_NE(form->viewer->DocumentSource().find("Question 1"), std::string::npos);
  EXPECT_EQ(form->AnsPic.GetPixel(0 * 30 + 1, 15), clRed);

  // Another wrong try keeps the window and says so again.
  ASSERT_TRUE(ClickAnswer(*form, wrong));
  EXPECT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Tests.TestFrm(), form);
  // Right now: all correct, the window closes from inside its own viewer's click, and is
  // freed afterwards.
  std::string right;
  RightOf(*form->Questions[0], right);
  ASSERT_TRUE(ClickAnswer(*form, right));
  ASSERT_EQ(Messages.size(), 2u);
  EXPECT_EQ(Messages[1], "All answers correct.");
  EXPECT_EQ(Tests.TestFrm(), nullptr);
  EXPECT_FALSE(Tests.TestFrmOpen());
  Application->ProcessMessages();
  // A new test opens a new window.
  Run(0, file);
  EXPECT_NE(Tests.TestFrm(), nullptr);
}

// Each owner (each main window) has its own test window and its own marks: a second owner's
// test opens a window of its own, its pictures are not the first's, and its window closing
// and going leaves the first's open.
TEST_F(TopicTestTest, EachOwnerKeepsItsOwnWindowAndMarks)
{
  TQuestionList list;
  list.push_back(Question(8, 0, "Which wheel drives?", {"The driver", "The idler"}));
  list.push_back(Question(8, 1, "Which way does the idler turn?", {"Back", "With the driver"}));
  const std::string file = WriteFile(list);
  auto answerRight = [](TTestFrm& f) {
    std::string right;
    RightOf(*f.Questions[size_t(f.Current)], right);
    f.Answer(right);
  };
  Run(0, file);
  TTestFrm* mine = Tests.TestFrm();
  ASSERT_NE(mine, nullptr);
  {
    TBitmap blue(14, 14);
    blue.Fill(clBlue);
    TTestWindows other;
    other.SetAnswerMarks(blue, blue);
    other.RunTest(0, Bounds(80, 80, 620, 480), nullptr, {}, file, Dir + "/HTML");
    TTestFrm* theirs = other.TestFrm();
    ASSERT_NE(theirs, nullptr);
    EXPECT_NE(theirs, mine);
    answerRight(*mine);
    answerRight(*theirs);
    const TColor tick = MarkColour(*mine, 0);
    EXPECT_GT(GetGValue(tick), GetRValue(tick)) << "the drawn green tick";
    EXPECT_EQ(MarkColour(*theirs, 0), clBlue);
    theirs->Close();
    EXPECT_EQ(other.TestFrm(), nullptr);
    Application->ProcessMessages();
    EXPECT_EQ(Tests.TestFrm(), mine);
  }
  ASSERT_EQ(Tests.TestFrm(), mine);
  answerRight(*mine);
  ASSERT_FALSE(Messages.empty());
  EXPECT_EQ(Messages.back(), "All answers correct.");
  EXPECT_EQ(Tests.TestFrm(), nullptr);
}

TEST_F(TopicTestTest, CategoriesAndCounts)
{
  EXPECT_EQ(TestMenuMask(0), 0);
  EXPECT_EQ(TestMenuMask(1), 1);
  EXPECT_EQ(TestMenuMask(4), 8);
  EXPECT_EQ(TestMenuMask(11), 1024);
  EXPECT_EQ(TestMenuMask(12), 0);

  TQuestionList list;
  for (int i = 0; i < 25; ++i)
    list.push_back(Question(8, 0, "Gear " + std::to_string(i), {"a", "b"}));
  for (int i = 0; i < 7; ++i)
    list.push_back(Question(2, 0, "Lever " + std::to_string(i), {"a", "b"}));
  list.push_back(Question(8 | 2, 0, "Both", {"a", "b"}));
  const std::string file = WriteFile(list);
  Run(TestMenuMask(4), file);
  ASSERT_NE(Tests.TestFrm(), nullptr);
  EXPECT_EQ(Tests.TestFrm()->Questions.size(), 10u);
  // The open window is reloaded with the new category.
  TTestFrm* first = Tests.TestFrm();
  Run(TestMenuMask(2), file);
  EXPECT_EQ(Tests.TestFrm(), first);
  ASSERT_EQ(Tests.TestFrm()->Questions.size(), 8u);
  bool both = false;
  for (const auto& q : Tests.TestFrm()->Questions) {
    EXPECT_NE(q->Topics & 2, 0);
    both = both || q->Text == "Both";
  }
  EXPECT_TRUE(both);
  EXPECT_EQ(Tests.TestFrm()->Current, 0);
  EXPECT_FALSE(Tests.TestFrm()->Finished);
  // The toolbar's button: the category of the topic.
  Run(TopicCategorySet(26), file);
  EXPECT_EQ(Tests.TestFrm()->Questions.size(), 8u);

  // No question of that category: said so, the window stays, empty.
  Run(TestMenuMask(11), file);
  ASSERT_FALSE(Messages.empty());
  EXPECT_EQ(Messages.back(), "No questions found");
  EXPECT_EQ(Tests.TestFrm(), first);
  EXPECT_TRUE(Tests.TestFrm()->Questions.empty());
  Tests.TestFrm()->Answer("A");
  Tests.TestFrm()->AnsPicMouseDown(nullptr, mbLeft, 0, 5, 5);
}

// The window keeps to the work area and off the bars above the area it covers, wherever the
// main window was dragged (a window manager pushes a window that leaves the work area back in).
TEST(TestWindowPlace, KeepsToTheWorkAreaAndOffTheBarsAboveTheArea)
{
  const TRect work = Rect(0, 0, 1280, 1000);
  // The main window's frame round the area, its bars 95 pixels above it.
  auto place = [&](const TRect& area) {
    return TestWindowPlace(area, work, Rect(area.Left - 5, area.Top - 95, area.Left + 1275, area.Bottom + 5));
  };
  EXPECT_EQ(place(Rect(0, 120, 630, 980)), Rect(0, 120, 630, 980));
  // Dragged 100 down and right, or up and left off the screen: the part on the work area.
  EXPECT_EQ(place(Rect(100, 220, 730, 1080)), Rect(100, 220, 730, 1000));
  EXPECT_EQ(place(Rect(-200, -50, 430, 810)), Rect(0, 0, 430, 810));
  // Too little on the screen: the area's size beside the main window, or above its bars when
  // that shows more of it.
  EXPECT_EQ(place(Rect(1150, 890, 1780, 1750)), Rect(515, 140, 1145, 1000));
  EXPECT_EQ(place(Rect(5, 795, 635, 1655)), Rect(5, 0, 635, 700));
  EXPECT_EQ(place(Rect(-600, 700, 30, 1560)), Rect(675, 140, 1280, 1000));
  // No room beside it either: the least size below the bars, or above them.
  const TRect wide = Rect(-1000, -200, 2280, 1100);
  EXPECT_EQ(TestWindowPlace(Rect(1100, 750, 1730, 1610), work, wide), Rect(960, 750, 1280, 1000));
  EXPECT_EQ(TestWindowPlace(Rect(1100, 950, 1730, 1810), work, wide), Rect(960, 0, 1280, 200));
}

TEST_F(TopicTestTest, BadFilesAreRefusedAndTheWindowWorksOn)
{
  // No file: nothing opens.
  Run(0, Dir + "/missing.mq");
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_EQ(Messages[0], "File of test questions not found.");
  EXPECT_EQ(Tests.TestFrm(), nullptr);

  // A bad file as the first test: the message, and no window.
  auto bytes = [](std::vector<uint32_t> words, size_t cut = 0) {
    std::vector<uint8_t> b;
    for (uint32_t w : words)
      for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(w >> (8 * i)));
    b.resize(b.size() - cut);
    return b;
  };
  const std::string bad = Dir + "/bad.mq";
  WriteFileBytes(bad, bytes({0x12F67, 0xFFFFFFFF}));
  Run(0, bad);
  EXPECT_EQ(Messages.back(), "bad.mq\r\nThis is not a valid question file.");
  EXPECT_EQ(Tests.TestFrm(), nullptr);

  TQuestionList list;
  list.push_back(Question(8, 1, "Kept question", {"x", "y"}));
  list.push_back(Question(8, 1, "Kept question", {"x", "y"}));
  const std::string good = WriteFile(list);
  Run(0, good);
  TTestFrm* form = Tests.TestFrm();
  ASSERT_NE(form, nullptr);
  const std::string page = form->viewer->DocumentSource();

  // Hostile files: negative and huge counts, a record cut short, a text longer than the file.
  std::vector<uint8_t> cut = SaveQuestionFile(list);
  cut.resize(cut.size() - 3);
  std::vector<uint8_t> longText = SaveQuestionFile(list);
  longText[8 + 2 + 20] = 0xF0;   // the first text's length
  for (const std::vector<uint8_t>& hostile :
       {bytes({0x12F67, 0x80000000}), bytes({0x12F67, 0x7FFFFFFF}), cut, longText, bytes({0x12F67}, 2)}) {
    Messages.clear();
    WriteFileBytes(bad, hostile);
    Run(0, bad);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "bad.mq\r\nThis is not a valid question file.");
    // The test shown goes on as it was.
    EXPECT_EQ(Tests.TestFrm(), form);
    EXPECT_EQ(form->Questions.size(), 2u);
    EXPECT_EQ(form->viewer->DocumentSource(), page);
  }
  ASSERT_TRUE(ClickAnswer(*form, "B"));
  EXPECT_EQ(form->Questions[0]->State, TTarvQuestion::qsRight);
  EXPECT_EQ(form->Current, 1);
}

TEST_F(TopicTestTest, PrintsTheTestThroughThePreview)
{
  TQuestionList list;
  // Question texts are Windows-1252 on disk: "\xE9" is e-acute.
  list.push_back(Question(8, 0, "Caf\xE9 gears mesh?", {"Yes", "", "No"}));
  list.push_back(Question(8, 1, "Pulleys lift?", {"Up", "Down"}));
  const std::string file = WriteFile(list);
  Run(0, file);
  TTestFrm* form = Tests.TestFrm();
  ASSERT_NE(form, nullptr);
  const std::string html = form->BuildPrintPage();
  EXPECT_EQ(html.rfind("<html><head><title>Test</title></head><body><p><b>Question 1</b></p>", 0), 0u);
  EXPECT_NE(html.find("<p><b>Question 2</b></p>"), std::string::npos);

  // Through the spooler, which lists the job under the window's title.
  ASSERT_TRUE(PrintToQueue("", 150));
  SetDialogAnswerer([](TCommonDialog& d) {
    dynamic_cast<TPrintDialog&>(d).PrintRange = prAllPages;
    return true;
  });
  modal::InMessageLoop([&] {
    // The preview lays the pages out (handling messages meanwhile) before it shows.
    std::function<void()> whenShown = [&] {
      auto* preview = dynamic_cast<TPrntPrevFrm*>(Screen().ActiveForm());
      if (!preview || !preview->Visible()) {
        modal::Later(whenShown);
        return;
      }
      EXPECT_EQ(preview->PageCount(), 1);
      preview->PrintBtn->Click();
    };
    modal::Later(whenShown);
    form->PrntBtn->Click();
  });
  const std::string pdf = TakeQueued("test-printed.pdf");
  SetPrinter(std::make_unique<TPrinter>());
  ASSERT_FALSE(pdf.empty()) << "the queue printed nothing";
  EXPECT_EQ(LastJobName(), "Test");
  EXPECT_EQ(PageCount(pdf), 1);
  const std::string text = Text(pdf);
  // The questions come shuffled; each with its answers, the empty one left out.
  std::vector<std::string> order;
  for (const auto& q : form->Questions) {
    order.push_back("Question");
    if (q->Text == "Pulleys lift?")
      order.insert(order.end(), {"Pulleys lift?", "Up", "Down"});
    else
      order.insert(order.end(), {"Caf\xC3\xA9 gears mesh?", "Yes", "No"});
  }
  EXPECT_TRUE(InOrder(text, order)) << text;
}

// A question with a picture prints as a table beside its text.
TEST_F(TopicTestTest, PrintsQuestionsWithTheirPictures)
{
  TQuestionList list;
  auto q = Question(8, 0, "Which cog is the driver?", {"Left", "Right"});
  q->ImageName = "button.gif";
  q->ImageWidth = 20;
  q->ImageHeight = 18;
  list.push_back(std::move(q));
  Run(0, WriteFile(list));
  TTestFrm* form = Tests.TestFrm();
  ASSERT_NE(form, nullptr);
  form->DummyViewer->LoadFromString(form->BuildPrintPage());
  TPrntPrevFrm preview(form->DummyViewer, form->Images, form->Glyphs);
  EXPECT_EQ(preview.PageCount(), 1);
}

// The test without a mouse, through the X server's keyboard: the window opens with the keys
// on its page, Tab walks the answers' buttons in order (Shift+Tab back), the focused one is
// framed, and Enter answers with it.
TEST_F(TopicTestTest, AnswersAreChosenWithTabAndEnter)
{
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool is not installed";
  TQuestionList list;
  for (int i = 0; i < 2; ++i)
    list.push_back(Question(8, 1, "Which way does the idler turn?", {"Back", "With the driver", "Neither"}));
  Run(0, WriteFile(list));
  TTestFrm* form = Tests.TestFrm();
  ASSERT_NE(form, nullptr);
  THTMLViewer& v = *form->viewer;
  ASSERT_TRUE(testwait::WaitUntil([&] { return v.Focused(); }, 3000));
  auto keys = [](const std::string& k) { return std::system(("xdotool key --delay 30 " + k).c_str()) == 0; };
  auto focusedOn = [&](const std::string& Letter) {
    return testwait::WaitUntil([&] { return v.FocusedLinkURL() == Letter; });
  };
  ASSERT_TRUE(keys("Tab"));
  EXPECT_TRUE(focusedOn("A"));
  ASSERT_TRUE(keys("Tab Tab"));
  EXPECT_TRUE(focusedOn("C"));
  ASSERT_TRUE(keys("shift+Tab"));
  EXPECT_TRUE(focusedOn("B"));
  TBitmap shot(v.Width(), v.Height());
  v.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "topictest-answer-focus.png");
  testwait::WaitUntil([] { return false; }, 300);
  testcmd::Output("import -window root '" + std::string(ORRELO_TEST_OUTPUT)
                  + "/topictest-answer-focus-screen.png' 2>/dev/null");

  ASSERT_TRUE(keys("Return"));
  EXPECT_TRUE(testwait::WaitUntil([&] { return form->Current == 1; }));
  EXPECT_EQ(form->Questions[0]->State, TTarvQuestion::qsRight);
  // The next question's page starts with no answer focused; Tab begins again at A.
  ASSERT_TRUE(keys("Tab"));
  EXPECT_TRUE(focusedOn("A"));
}

// A question page with fields of its own: Tab walks the fields and the answers' buttons in
// one order (a tab index first, then the page's order), Space ticks the box, the edit takes
// typing; the page is the window's only stop, so past the last answer Tab comes round to the
// first field and Shift+Tab goes back the same way; Enter still answers with a focused button.
TEST_F(TopicTestTest, FieldsOnAQuestionPageShareTheTabOrderWithTheAnswers)
{
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool is not installed";
  TQuestionList list;
  list.push_back(Question(8, 1,
                          "Which way does the idler turn? Your reason: <input name=why size=8> "
                          "<input type=checkbox name=sure tabindex=1> I am sure",
                          {"Back", "With the driver", "Neither"}));
  Run(0, WriteFile(list));
  TTestFrm* form = Tests.TestFrm();
  ASSERT_NE(form, nullptr);
  THTMLViewer& v = *form->viewer;
  ASSERT_TRUE(testwait::WaitUntil([&] { return v.Focused(); }, 3000));
  const std::vector<TFormControlObj*>& fields = v.SectionList().FormControlList;
  ASSERT_EQ(fields.size(), 2u);
  TFormControlObj* why = fields[0];
  TFormControlObj* sure = fields[1];
  auto keys = [](const std::string& k) { return std::system(("xdotool key --delay 30 " + k).c_str()) == 0; };
  auto onLink = [&](const std::string& Letter) {
    return testwait::WaitUntil([&] { return v.FocusedLinkURL() == Letter; });
  };
  auto onField = [&](TFormControlObj* F) {
    return testwait::WaitUntil([&] { return F->GetControl()->Focused() && v.FocusedLinkURL().empty(); });
  };
  auto ticked = [&] {
    std::string s;
    return sure->GetSubmission(0, s) && s == "sure=on";
  };

  ASSERT_TRUE(keys("Tab"));
  EXPECT_TRUE(onField(sure)) << "the tab index comes first";
  ASSERT_TRUE(keys("space"));
  EXPECT_TRUE(testwait::WaitUntil(ticked));
  ASSERT_TRUE(keys("Tab"));
  EXPECT_TRUE(onField(why));
  ASSERT_TRUE(keys("g e a r s"));
  ASSERT_TRUE(keys("Tab"));
  EXPECT_TRUE(onLink("A"));
  ASSERT_TRUE(keys("Tab Tab"));
  EXPECT_TRUE(onLink("C"));
  ASSERT_TRUE(keys("Tab"));
  EXPECT_TRUE(onField(sure)) << "round the window to the first field";
  ASSERT_TRUE(keys("shift+Tab"));
  EXPECT_TRUE(onLink("C"));
  ASSERT_TRUE(keys("shift+Tab shift+Tab shift+Tab"));
  EXPECT_TRUE(onField(why));
  std::string reason;
  EXPECT_TRUE(why->GetSubmission(0, reason));
  EXPECT_EQ(reason, "why=gears");
  TBitmap shot(v.Width(), v.Height());
  v.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "topictest-field-focus.png");
  testwait::WaitUntil([] { return false; }, 300);
  testcmd::Output("import -window root '" + std::string(ORRELO_TEST_OUTPUT)
                  + "/topictest-field-focus-screen.png' 2>/dev/null");

  ASSERT_TRUE(keys("Tab Tab"));
  EXPECT_TRUE(onLink("B"));
  ASSERT_TRUE(keys("Return"));
  EXPECT_TRUE(testwait::WaitUntil([&] { return form->Questions[0]->State == TTarvQuestion::qsRight; }));
}
