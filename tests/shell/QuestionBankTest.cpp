// The shipped question bank, read as the test window reads it: a pupil who always clicks the
// same letter must not pass, and no question may be asked twice in other words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "lessons/Questions.h"

namespace {

const std::string BankFile = ExeFolder() + "questions/test.mq";

// Lower case words of letters and digits, and the signs a sum is written with (an entity's
// name standing for its sign); the tags of the page text dropped.
std::vector<std::string> Words(const std::string& text)
{
  std::vector<std::string> words;
  std::string w;
  bool inEntity = false, inTag = false;
  auto flush = [&] {
    if (!w.empty())
      words.push_back(w);
    w.clear();
  };
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (inTag) {
      inTag = c != '>';
      continue;
    }
    if (inEntity) {
      // An entity stands for a sign: its name is the word ("divide", "times").
      if (c == ';') {
        inEntity = false;
        flush();
      } else {
        w += char(std::tolower(c));
      }
      continue;
    }
    if (c == '<' || c == '&') {
      flush();
      (c == '<' ? inTag : inEntity) = true;
    } else if (std::ispunct(c) && std::string("+-=/%").find(char(c)) != std::string::npos) {
      flush();
      words.push_back(std::string(1, char(c)));
    } else if (std::isalnum(c) || (c == '.' && !w.empty() && std::isdigit(static_cast<unsigned char>(w.back())))) {
      w += char(std::tolower(c));
    } else {
      flush();
    }
  }
  flush();
  return words;
}

std::string Normalised(const std::string& text)
{
  std::string s;
  for (const std::string& w : Words(text))
    s += (s.empty() ? "" : " ") + w;
  return s;
}

// The words that carry the question's meaning: small words and plural endings left out.
std::set<std::string> ContentWords(const std::string& text)
{
  static const std::set<std::string> small = {"a",    "an",   "the",   "of",   "to",   "is",   "it",   "its",
                                              "in",   "on",   "for",   "and",  "or",   "by",   "what", "which",
                                              "how",  "does", "do",    "this", "that", "with", "from", "one",
                                              "be",   "are",  "as",    "at",   "each", "when", "why",  "can",
                                              "many", "much", "times", "turn", "turns"};
  std::set<std::string> out;
  for (std::string w : Words(text)) {
    if (small.count(w))
      continue;
    if (w.size() > 3 && w.back() == 's')
      w.pop_back();
    out.insert(w);
  }
  return out;
}

double Overlap(const std::set<std::string>& a, const std::set<std::string>& b)
{
  size_t common = 0;
  for (const auto& w : a)
    common += b.count(w);
  return double(common) / double(std::max<size_t>(1, std::min(a.size(), b.size())));
}

}   // namespace

// Every category, as the Test menu offers it, spreads its right answers over the letters: no
// letter holds much more or much less than its share, so always clicking one letter fails.
TEST(QuestionBankTest, RightAnswersAreSpreadOverTheLettersInEveryCategory)
{
  const TQuestionList all = LoadQuestionFile(BankFile, 0);
  ASSERT_GT(all.size(), 100u);
  for (Integer c = -1; c < TopicCategoryCount; ++c) {
    const TTopicCategories mask = c < 0 ? TTopicCategories(0) : TTopicCategories(1u << c);
    const std::string name = c < 0 ? std::string("All topics") : TopicCategoryName(c);
    const TQuestionList list = LoadQuestionFile(BankFile, mask);
    ASSERT_GE(list.size(), 12u) << name;
    size_t byLetter[5] = {};
    for (const auto& q : list) {
      ASSERT_GE(q->Correct, 0) << q->Text;
      ASSERT_LT(size_t(q->Correct), q->Answers.size()) << q->Text;
      ++byLetter[q->Correct];
    }
    const double n = double(list.size());
    for (int letter = 0; letter < 4; ++letter) {
      const double share = byLetter[letter] / n;
      EXPECT_GE(share, 0.15) << name << ": right answer " << char('A' + letter) << " in " << byLetter[letter] << " of "
                             << list.size();
      EXPECT_LE(share, 0.35) << name << ": right answer " << char('A' + letter) << " in " << byLetter[letter] << " of "
                             << list.size();
    }
  }
}

// A question asked twice, in the same words or with the same answer to much the same words,
// lets a pupil score by memory rather than by understanding, and wastes one of the ten.
TEST(QuestionBankTest, NoQuestionIsAskedTwice)
{
  const TQuestionList all = LoadQuestionFile(BankFile, 0);
  ASSERT_GT(all.size(), 100u);
  std::set<std::string> texts;
  for (const auto& q : all)
    EXPECT_TRUE(texts.insert(Normalised(q->Text)).second) << "asked twice: " << q->Text;

  for (size_t i = 0; i < all.size(); ++i)
    for (size_t j = i + 1; j < all.size(); ++j) {
      const TTarvQuestion& a = *all[i];
      const TTarvQuestion& b = *all[j];
      if ((a.Topics & b.Topics) == 0)
        continue;
      const bool sameAnswer = Normalised(a.Answers[size_t(a.Correct)]) == Normalised(b.Answers[size_t(b.Correct)]);
      EXPECT_FALSE(sameAnswer && Overlap(ContentWords(a.Text), ContentWords(b.Text)) >= 0.6)
          << "the same question twice:\n  " << a.Text << "\n  " << b.Text;
    }
}

// Every answer offered is a different answer, and none is left empty where it would be
// skipped and shift the letters after it.
TEST(QuestionBankTest, EveryAnswerIsAChoice)
{
  for (const auto& q : LoadQuestionFile(BankFile, 0)) {
    EXPECT_GE(q->Answers.size(), 3u) << q->Text;
    std::set<std::string> seen;
    for (const std::string& a : q->Answers) {
      EXPECT_FALSE(Normalised(a).empty()) << q->Text;
      EXPECT_TRUE(seen.insert(Normalised(a)).second) << q->Text << ": \"" << a << "\" twice";
    }
  }
}
