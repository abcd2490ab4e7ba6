#include "lessons/Questions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace {

// Little-endian bytes laid out by hand, independent of the writer.
struct TBytes {
  std::vector<uint8_t> B;
  TBytes& U16(uint16_t v)
  {
    B.push_back(uint8_t(v));
    B.push_back(uint8_t(v >> 8));
    return *this;
  }
  TBytes& U32(uint32_t v)
  {
    for (int i = 0; i < 4; ++i)
      B.push_back(uint8_t(v >> (8 * i)));
    return *this;
  }
  TBytes& Str(const std::string& s)
  {
    U32(uint32_t(s.size()));
    B.insert(B.end(), s.begin(), s.end());
    return *this;
  }
};

// One record: topics, correct, reserved, size, text, image, answers.
TBytes& Record(TBytes& b, uint16_t topics, int32_t correct, const std::string& text,
               const std::vector<std::string>& answers, const std::string& image = "", int32_t w = 0, int32_t h = 0)
{
  b.U16(topics).U32(uint32_t(correct)).U32(7).U32(9).U32(uint32_t(w)).U32(uint32_t(h)).Str(text).Str(image);
  b.U32(uint32_t(answers.size()));
  for (const auto& a : answers)
    b.Str(a);
  return b;
}

TQuestionList Read(const std::vector<uint8_t>& bytes, TTopicCategories mask = 0)
{
  TByteStream s(bytes);
  return ReadQuestions(s, mask, "C:\\Tarv\\questions\\test.mq");
}

std::unique_ptr<TTarvQuestion> Question(TTopicCategories topics, Integer correct, std::vector<std::string> answers)
{
  auto q = std::make_unique<TTarvQuestion>();
  q->Topics = topics;
  q->Correct = correct;
  q->Text = "Which?";
  q->Answers = std::move(answers);
  return q;
}

const std::string BadFileMessage = "test.mq\r\nThis is not a valid question file.";

}   // namespace

TEST(QuestionsTest, ReadsTheRecordsAsLaidOut)
{
  TBytes b;
  b.U32(0x12F67).U32(2);
  Record(b, 8 | 2, 2, "Gears <b>mesh</b>", {"a", "", "c\xE9"}, "gear.gif", 120, 90);
  Record(b, 1024, 0, "", {"only"});
  TQuestionList list = Read(b.B);
  ASSERT_EQ(list.size(), 2u);
  const TTarvQuestion& q = *list[0];
  EXPECT_EQ(q.Topics, 10);
  EXPECT_EQ(q.Correct, 2);
  EXPECT_EQ(q.Reserved1, 7);
  EXPECT_EQ(q.Reserved2, 9);
  EXPECT_EQ(q.ImageWidth, 120);
  EXPECT_EQ(q.ImageHeight, 90);
  EXPECT_EQ(q.Text, "Gears <b>mesh</b>");
  EXPECT_EQ(q.ImageName, "gear.gif");
  EXPECT_EQ(q.Answers, (std::vector<std::string>{"a", "", "c\xE9"}));
  EXPECT_EQ(q.State, 0);
  // The answer list is emptied before the file's answers go in.
  EXPECT_EQ(list[1]->Answers, std::vector<std::string>{"only"});
  EXPECT_TRUE(list[1]->Text.empty());

  // The writer lays the same bytes down.
  EXPECT_EQ(SaveQuestionFile(list), b.B);

  // The smallest record (no text or picture, one answer of one letter) alone fills a file
  // exactly.
  TBytes least;
  least.U32(0x12F67).U32(1);
  Record(least, 1, 0, "", {"a"});
  EXPECT_EQ(least.B.size(), 8u + 34u + 5u);
  EXPECT_EQ(Read(least.B).size(), 1u);

  TTarvQuestion fresh;
  EXPECT_EQ(fresh.Text, "Enter the text for the question");
  EXPECT_EQ(fresh.Answers.size(), 5u);
  EXPECT_EQ(fresh.Correct, -1);
}

TEST(QuestionsTest, BadFilesAreReportedNeverTrusted)
{
  // Wrong magic, or too short to hold one.
  for (std::vector<uint8_t> bytes :
       {TBytes().U32(0x12F66).U32(0).B, std::vector<uint8_t>{0x67, 0x2F}, std::vector<uint8_t>{}}) {
    try {
      Read(bytes);
      ADD_FAILURE() << "accepted";
    } catch (const EBadFile& e) {
      EXPECT_EQ(e.Message, BadFileMessage);
    }
  }

  TBytes good;
  good.U32(0x12F67).U32(2);
  Record(good, 8, 1, "How many teeth?", {"10", "20", "30"}, "cog.gif", 10, 10);
  Record(good, 16, 0, "Pawl?", {"yes", "no"});
  // Every truncation makes a bad file, reported with the same message.
  for (size_t n = 0; n < good.B.size(); ++n) {
    std::vector<uint8_t> cut(good.B.begin(), good.B.begin() + long(n));
    try {
      Read(cut);
      ADD_FAILURE() << "accepted a file cut at " << n;
    } catch (const EBadFile& e) {
      EXPECT_EQ(e.Message, BadFileMessage) << n;
    }
  }
  EXPECT_EQ(Read(good.B).size(), 2u);

  // Counts and lengths that promise more than the file holds, or less than nothing, are
  // refused before anything is allocated for them.
  const size_t textLength = 4 + 4 + 2 + 4 * 5;
  for (uint32_t bad : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, uint32_t(good.B.size())}) {
    std::vector<uint8_t> b = good.B;
    for (int i = 0; i < 4; ++i)
      b[textLength + size_t(i)] = uint8_t(bad >> (8 * i));
    EXPECT_THROW(Read(b), EBadFile) << bad;
    b = good.B;
    for (int i = 0; i < 4; ++i)
      b[4 + size_t(i)] = uint8_t(bad >> (8 * i));
    EXPECT_THROW(Read(b), EBadFile) << bad;
  }
  TBytes answers;
  answers.U32(0x12F67).U32(1).U16(1).U32(0).U32(0).U32(0).U32(0).U32(0).Str("t").Str("").U32(1000000).U32(0).U32(0);
  EXPECT_THROW(Read(answers.B), EBadFile);
}

TEST(QuestionsTest, RecordsThatCannotBeAskedAreRefused)
{
  struct TCase {
    const char* Why;
    uint16_t Topics;
    int32_t Correct;
    std::vector<std::string> Answers;
    int32_t W, H;
  };
  const std::vector<std::string> three = {"a", "b", "c"};
  const std::vector<std::string> six = {"a", "b", "c", "d", "e", "f"};
  const TCase bad[] = {
      {"correct past the answers", 1, 99, three, 0, 0},
      {"correct negative", 1, -5, three, 0, 0},
      {"correct one past the last answer", 1, 3, three, 0, 0},
      {"correct past the fifth answer", 1, 5, six, 0, 0},
      {"correct at an answer that is not offered", 1, 1, {"a", "", "c"}, 0, 0},
      {"no answers at all", 1, 0, {}, 0, 0},
      {"a category no question has", 1u << TopicCategoryCount, 0, three, 0, 0},
      {"the highest category bit", 0x8001, 0, three, 0, 0},
      {"negative width", 1, 0, three, -1, 10},
      {"negative height", 1, 0, three, 10, -2147483647 - 1},
      {"huge width", 1, 0, three, TTarvQuestion::MaxPictureSide + 1, 10},
      {"huge height", 1, 0, three, 10, 0x7FFFFFFF},
  };
  for (const TCase& c : bad) {
    TBytes b;
    b.U32(0x12F67).U32(2);
    Record(b, 8, 0, "fine", {"x"});
    Record(b, c.Topics, c.Correct, "Which?", c.Answers, "p.gif", c.W, c.H);
    try {
      Read(b.B);
      ADD_FAILURE() << "accepted: " << c.Why;
    } catch (const EBadFile& e) {
      EXPECT_EQ(e.Message, BadFileMessage) << c.Why;
    }
  }
  // The edges of what is allowed read.
  TBytes b;
  b.U32(0x12F67).U32(3);
  Record(b, (1u << TopicCategoryCount) - 1, 4, "last of five", six, "p.gif", TTarvQuestion::MaxPictureSide, 0);
  Record(b, 0, 2, "last answer", three, "", 0, TTarvQuestion::MaxPictureSide);
  Record(b, 1, 0, "first answer", three);
  EXPECT_EQ(Read(b.B).size(), 3u);
}

TEST(QuestionsTest, FilesOnDisk)
{
  std::string dir = std::string(ORRELO_TEST_OUTPUT) + "/questions";
  std::filesystem::create_directories(dir);
  TQuestionList list;
  list.push_back(Question(8, 0, {"x", "y"}));
  WriteFileBytes(dir + "/test.mq", SaveQuestionFile(list));
  EXPECT_EQ(LoadQuestionFile(dir + "/TEST.MQ", 0).size(), 1u);
  EXPECT_THROW(LoadQuestionFile(dir + "/missing.mq", 0), EFOpenError);

  // A file far larger than any question file is refused without being read.
  std::string big = dir + "/big.mq";
  WriteFileBytes(big, SaveQuestionFile(list));
  std::filesystem::resize_file(big, MaxQuestionFileSize + 1);
  try {
    LoadQuestionFile(big, 0);
    ADD_FAILURE() << "accepted";
  } catch (const EBadFile& e) {
    EXPECT_EQ(e.Message, "big.mq\r\nThis is not a valid question file.");
  }
  std::filesystem::remove(big);
}

TEST(QuestionsTest, CategoriesAndMasks)
{
  EXPECT_EQ(TopicCategoryName(0), "Motion");
  EXPECT_EQ(TopicCategoryName(4), "Ratchet and pawl");
  EXPECT_EQ(TopicCategoryName(10), "Screw threads");
  EXPECT_EQ(TopicCategoryName(11), "");
  EXPECT_EQ(TopicCategoryName(-1), "");

  // A question in Gears and Levers is found by either test and by the all-topics test.
  TQuestionList list;
  list.push_back(Question(8 | 2, 0, {"a", "b"}));
  list.push_back(Question(8, 0, {"a", "b"}));
  list.push_back(Question(256, 0, {"a", "b"}));
  std::vector<uint8_t> bytes = SaveQuestionFile(list);
  EXPECT_EQ(Read(bytes, 0).size(), 3u);
  EXPECT_EQ(Read(bytes, 8).size(), 2u);
  EXPECT_EQ(Read(bytes, 2).size(), 1u);
  EXPECT_EQ(Read(bytes, 8 | 2).size(), 1u);
  EXPECT_EQ(Read(bytes, 16).size(), 0u);
}

TEST(QuestionsTest, PagesAndPrintParts)
{
  TTarvQuestion q;
  q.Text = "Which gear turns faster?";
  q.Answers = {"The small one", "The large one", "", "Both alike"};
  EXPECT_EQ(q.BuildPage(3),
            "<html><body ><table border=\"0\" width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr><td "
            "width=\"100%\" bgcolor=\"#E0E8F4\"><font color=\"#000000\"><strong>&nbsp; Question 3</strong></font>"
            "</td></tr></table><p><a name=\"question\"></a>Which gear turns faster?</p><p><font color=\"#FF0000\">"
            "Click on one of the buttons "
            "below to select an answer</font></p><ol type=\"A\">"
            "<li><a href=\"A\"><img border=\"0\" src=\"/Images/button.gif\" align=\"middle\" width=\"20\" "
            "height=\"18\"></a> &nbsp;The small one</li>"
            "<li><a href=\"B\"><img border=\"0\" src=\"/Images/button.gif\" align=\"middle\" width=\"20\" "
            "height=\"18\"></a> &nbsp;The large one</li>"
            // The empty third answer is left out; the fourth keeps its letter.
            "<li><a href=\"D\"><img border=\"0\" src=\"/Images/button.gif\" align=\"middle\" width=\"20\" "
            "height=\"18\"></a> &nbsp;Both alike</li>"
            "</ol></body></html>");
  EXPECT_EQ(q.BuildPrintPart(),
            "<p>Which gear turns faster?</p><ol type=\"A\">"
            "<li><font FACE=\"Arial\">\x8D</font>&nbsp; The small one</li>"
            "<li><font FACE=\"Arial\">\x8D</font>&nbsp; The large one</li>"
            "<li><font FACE=\"Arial\">\x8D</font>&nbsp; Both alike</li></ol>");

  q.ImageName = "cogs.gif";
  q.ImageWidth = 120;
  q.ImageHeight = 80;
  q.Answers = {"x"};
  const std::string table =
      "<table border=\"0\" width=\"100%\"><tr> <td width=\"25%\" valign=\"top\" align=\"left\">"
      "<img src=\"/Images/cogs.gif\" width=\"120\" height=\"80\"></td>"
      "<td width=\"75%\" valign=\"top\" align=\"left\">Which gear turns faster?  </tr></table>";
  // (The page names where the question's words begin, beside the picture; the print has no need.)
  std::string page = q.BuildPage(1);
  std::string named = table;
  named.insert(named.find("Which"), "<a name=\"question\"></a>");
  EXPECT_NE(page.find("Question 1</strong></font></td></tr></table>" + named + "<p><font color=\"#FF0000\">"),
            std::string::npos);
  EXPECT_EQ(q.BuildPrintPart(), table + "<ol type=\"A\"><li><font FACE=\"Arial\">\x8D</font>&nbsp; x</li></ol>");

  // Past "Z" there is no letter to link with: those entries are not offered.
  q.Answers.assign(40, "n");
  page = q.BuildPage(1);
  EXPECT_NE(page.find("href=\"Z\""), std::string::npos);
  EXPECT_EQ(page.find("href=\"["), std::string::npos);
  size_t links = 0;
  for (size_t p = page.find("<li>"); p != std::string::npos; p = page.find("<li>", p + 1))
    ++links;
  EXPECT_EQ(links, 26u);
}

TEST(QuestionsTest, AnswersAreCheckedByLetter)
{
  TTarvQuestion q;
  const char* letters[] = {"A", "B", "C", "D", "E"};
  for (Integer c = 0; c < 5; ++c) {
    q.Correct = c;
    for (Integer l = 0; l < 5; ++l) {
      q.CheckAnswer(letters[l]);
      EXPECT_EQ(q.State, l == c ? TTarvQuestion::qsRight : TTarvQuestion::qsWrong);
    }
  }
  // A correct index outside 0 to 4 can never be answered right.
  for (Integer c : {5, -1, 25, 0x7FFFFFFF}) {
    q.Correct = c;
    for (const char* l : {"A", "E", "F", "Z", ""}) {
      q.CheckAnswer(l);
      EXPECT_EQ(q.State, TTarvQuestion::qsWrong) << c << l;
    }
  }
  q.Correct = 0;
  q.CheckAnswer("a");
  EXPECT_EQ(q.State, TTarvQuestion::qsWrong);
}

TEST(QuestionsTest, ATestTakesAtMostTenShuffledQuestions)
{
  auto make = [](int n) {
    TQuestionList list;
    for (int i = 0; i < n; ++i)
      list.push_back(Question(1, i, {"a"}));
    return list;
  };
  uint32_t seed = 12345;
  auto random = [&](Integer n) {
    seed = seed * 1103515245u + 12345u;
    return Integer((seed >> 8) % uint32_t(n));
  };
  TQuestionList seven = make(7);
  PickTestQuestions(seven, random);
  EXPECT_EQ(seven.size(), 7u);
  std::set<Integer> kept;
  for (auto& q : seven)
    kept.insert(q->Correct);
  EXPECT_EQ(kept.size(), 7u);

  TQuestionList many = make(25);
  PickTestQuestions(many, random);
  EXPECT_EQ(many.size(), 10u);
  kept.clear();
  for (auto& q : many)
    kept.insert(q->Correct);
  EXPECT_EQ(kept.size(), 10u);

  // The swaps follow the generator, entry i with entry Random(n) in turn; a generator that
  // strays outside the range swaps nothing.
  TQuestionList three = make(3);
  PickTestQuestions(three, [](Integer) { return 0; });
  EXPECT_EQ(three[0]->Correct, 2);
  EXPECT_EQ(three[1]->Correct, 0);
  EXPECT_EQ(three[2]->Correct, 1);
  three = make(3);
  PickTestQuestions(three, [](Integer n) { return n; });
  PickTestQuestions(three, [](Integer) { return -1; });
  EXPECT_EQ(three[0]->Correct, 0);
  EXPECT_EQ(three[2]->Correct, 2);
  TQuestionList none;
  PickTestQuestions(none, random);
  EXPECT_TRUE(none.empty());
}

TEST(QuestionsTest, TheShippedQuestionFile)
{
  // The build writes it beside the executables, as the program finds it.
  const std::string file = ExeFolder() + "questions/test.mq";
  TQuestionList all = LoadQuestionFile(file, 0);
  EXPECT_GT(all.size(), MaxTestQuestions);
  for (Integer c = 0; c < TopicCategoryCount; ++c)
    EXPECT_GE(LoadQuestionFile(file, TTopicCategories(1u << c)).size(), 2u) << TopicCategoryName(c);
  for (const auto& q : all) {
    EXPECT_FALSE(q->Text.empty());
    ASSERT_GE(q->Correct, 0) << q->Text;
    ASSERT_LE(q->Correct, 4) << q->Text;
    ASSERT_LT(size_t(q->Correct), q->Answers.size()) << q->Text;
    EXPECT_FALSE(q->Answers[size_t(q->Correct)].empty()) << q->Text;
    EXPECT_EQ(q->Topics >> TopicCategoryCount, 0) << q->Text;
  }
}
