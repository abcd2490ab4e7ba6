// The shipped question bank, read as the test window reads it: a pupil who always clicks the
// same letter must not pass, and no question may be asked twice in other words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <regex>
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

// A pattern compiled once: the checks below ask the same few dozen patterns of every question.
const std::regex& Pattern(const std::string& re, std::regex::flag_type flags = std::regex::ECMAScript)
{
  static std::map<std::pair<std::string, std::regex::flag_type>, std::regex> compiled;
  auto [at, added] = compiled.try_emplace({re, flags});
  if (added)
    at->second = std::regex(re, flags);
  return at->second;
}

// The text as a pupil reads it: tags dropped, the entities the questions use written as their
// signs, runs of blanks made one.
std::string Plain(const std::string& html)
{
  static const std::pair<const char*, const char*> entities[] = {{"&times;", "x"}, {"&divide;", "/"}, {"&minus;", "-"},
                                                                 {"&pi;", "pi"},   {"&deg;", " deg"}, {"&nbsp;", " "}};
  std::string s = std::regex_replace(html, Pattern("<[^>]*>"), "");
  for (const auto& [entity, sign] : entities)
    for (size_t at = s.find(entity); at != std::string::npos; at = s.find(entity, at))
      s.replace(at, std::string(entity).size(), sign);
  return std::regex_replace(s, Pattern("\\s+"), " ");
}

// An answer that is a quantity ("12 mm", "About 0.38 m", "1:1"), not words.
bool IsNumber(const std::string& answer)
{
  return std::regex_search(Plain(answer), Pattern("^\\s*(about |roughly )?[-+]?[0-9.]", std::regex::icase));
}

// The numbers written in a text, in order.
std::vector<double> Numbers(const std::string& text)
{
  std::vector<double> out;
  const std::string plain = Plain(text);
  for (auto it = std::sregex_iterator(plain.begin(), plain.end(), Pattern("[0-9]+(\\.[0-9]+)?"));
       it != std::sregex_iterator(); ++it)
    out.push_back(std::stod(it->str()));
  return out;
}

// The word before a quantity ("About 15.7 mm" gives "about", "15.7 mm" gives ""); none for an
// answer that is no quantity.
std::optional<std::string> QuantityPrefix(const std::string& answer)
{
  std::smatch m;
  const std::string plain = Plain(answer);
  if (!std::regex_search(plain, m, Pattern("^\\s*([A-Za-z]+ )?[-+]?[0-9.]*[0-9]")))
    return std::nullopt;
  return Normalised(m[1].str());
}

std::string Key(const TTarvQuestion& q) { return Plain(q.Answers[size_t(q.Correct)]); }

bool Near(double a, double b) { return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(b)); }

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
    // Fewer would make a category's test of ten mostly the same questions every time.
    ASSERT_GE(list.size(), 20u) << name;
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
// lets a pupil score by memory rather than by understanding, and wastes one of the ten; so
// does a stem that states another's key, as a ratio or a number of times, of a thing both name.
TEST(QuestionBankTest, NoQuestionIsAskedTwice)
{
  auto tells = [](const TTarvQuestion& asks, const TTarvQuestion& tells) {
    std::smatch n;
    const std::string key = Key(asks);
    if (!std::regex_match(key, n, Pattern("\\s*([0-9]+(\\.[0-9]+)?)\\s*")))
      return false;
    const std::string number = std::regex_replace(n[1].str(), Pattern("\\."), "\\.");
    return std::regex_search(Plain(tells.Text), Pattern("ratio (of )?" + number + "\\b|\\b" + number + " times"))
           && Overlap(ContentWords(asks.Text), ContentWords(tells.Text)) > 0;
  };
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
      EXPECT_FALSE(tells(a, b) || tells(b, a)) << "one stem gives the other's key:\n  " << a.Text << "\n  " << b.Text;
    }
}

// Every answer offered is a different answer, and none is left empty where it would be
// skipped and shift the letters after it. Answers are worded alike: a word before the number
// ("About 15.7 mm") that only the key has, or the key and one other, points to it, and so
// does a gloss in brackets ("(timing)") or a hedge ("usually") that only the key has.
TEST(QuestionBankTest, EveryAnswerIsAChoice)
{
  for (const auto& q : LoadQuestionFile(BankFile, 0)) {
    EXPECT_GE(q->Answers.size(), 3u) << q->Text;
    std::set<std::string> seen;
    std::vector<std::string> prefixes;
    for (const std::string& a : q->Answers) {
      EXPECT_FALSE(Normalised(a).empty()) << q->Text;
      EXPECT_TRUE(seen.insert(Normalised(a)).second) << q->Text << ": \"" << a << "\" twice";
      if (const auto p = QuantityPrefix(a))
        prefixes.push_back(*p);
    }
    const auto key = QuantityPrefix(Key(*q));
    if (key && prefixes.size() >= 3)
      EXPECT_GT(std::count(prefixes.begin(), prefixes.end(), *key), 2)
          << q->Text << ": the key begins \"" << *key << "\" as only one other answer does, or none";
    for (const char* cue : {"\\(", "\\b(usually|often|generally|sometimes|normally|mostly)\\b"})
      if (std::regex_search(Key(*q), Pattern(cue, std::regex::icase)))
        EXPECT_GT(std::count_if(q->Answers.begin(), q->Answers.end(),
                                [&](const std::string& a) {
                                  return std::regex_search(Plain(a), Pattern(cue, std::regex::icase));
                                }),
                  1)
            << q->Text << ": only the key says \"" << Key(*q) << "\"";
  }
}

// A pupil who always picks the longest answer must do no better than chance: among the
// questions answered in words, the right answer is the one longest answer in at most 30%,
// overall and in every category the Test menu offers.
TEST(QuestionBankTest, TheLongestAnswerIsRarelyTheRightOne)
{
  for (Integer c = -1; c < TopicCategoryCount; ++c) {
    const TTopicCategories mask = c < 0 ? TTopicCategories(0) : TTopicCategories(1u << c);
    const std::string name = c < 0 ? std::string("All topics") : TopicCategoryName(c);
    size_t asked = 0, longest = 0;
    for (const auto& q : LoadQuestionFile(BankFile, mask)) {
      if (std::all_of(q->Answers.begin(), q->Answers.end(), IsNumber))
        continue;
      std::vector<size_t> lengths;
      for (const std::string& a : q->Answers)
        lengths.push_back(Plain(a).size());
      const size_t right = lengths[size_t(q->Correct)];
      ++asked;
      if (std::count_if(lengths.begin(), lengths.end(), [&](size_t l) { return l >= right; }) == 1)
        ++longest;
    }
    ASSERT_GT(asked, 10u) << name;
    EXPECT_LE(double(longest), 0.3 * double(asked))
        << name << ": the right answer is the longest in " << longest << " of " << asked << " questions";
  }
}

// Words that count as the pages count them. A stroke is one way, from one end to the other
// ("the cutting stroke and the return stroke"): a crank makes two strokes in every turn. Its
// length is twice the crank's offset, and a part that goes down through a stroke and back up
// travels twice that in every turn ("each piston travels 2 x 80 mm = 160 mm in every turn").
TEST(QuestionBankTest, StrokesAndTurnsAreCountedAsThePagesCountThem)
{
  size_t checked = 0;
  for (const auto& q : LoadQuestionFile(BankFile, 0)) {
    const std::string text = Plain(q->Text);
    const std::vector<double> key = Numbers(Key(*q));
    if (key.empty())
      continue;
    std::smatch m;
    // Strokes a minute of a crank turning at so many rpm.
    if (std::regex_search(text, m, Pattern("([0-9.]+) rpm"))
        && std::regex_search(text, Pattern("how many strokes", std::regex::icase))) {
      ++checked;
      EXPECT_TRUE(Near(key[0], 2 * std::stod(m[1]))) << text << "\n  keyed " << Key(*q);
    }
    // How far a part driven by a crank of a given length moves up and down, or down and
    // back, in one turn.
    if (std::regex_search(text, m, Pattern("crank[^.]* (is|of) ([0-9.]+) mm( long)?"))
        && std::regex_search(text, Pattern("in one turn", std::regex::icase))
        && std::regex_search(text, Pattern("up and down|and back", std::regex::icase))) {
      ++checked;
      EXPECT_TRUE(Near(key[0], 4 * std::stod(m[2]))) << text << "\n  keyed " << Key(*q);
    }
    // A stroke from a crank's offset or throw.
    if (std::regex_search(text, m, Pattern("(offset|throw)[^0-9]*([0-9.]+)"))
        && std::regex_search(text, Pattern("what is the [a-z' ]*stroke", std::regex::icase))) {
      ++checked;
      EXPECT_TRUE(Near(key[0], 2 * std::stod(m[2]))) << text << "\n  keyed " << Key(*q);
    }
  }
  EXPECT_GE(checked, 2u);
}

// Questions that ask one thing in other words or with the same numbers are asked once: a
// group of them may have at most one member in the bank.
TEST(QuestionBankTest, NearRepeatsAreAskedOnce)
{
  using TTest = std::function<bool(const std::string& text, const std::string& key)>;
  auto has = [](const std::string& s, const char* re) { return std::regex_search(s, Pattern(re, std::regex::icase)); };
  const std::pair<const char*, TTest> groups[] = {
      // However the key puts it: the load running back, or the pawl holding it up.
      {"a ratchet stops a hoisted load running back",
       [&](const std::string& t, const std::string& k) {
         return has(t + " " + k, "winch|windlass|crane|clock") && has(t + " " + k, "ratchet|pawl")
                && has(t + " " + k, "(running|falling|run|fall) back|pawl holds|holds? (it|the (load|drum|bucket))");
       }},
      {"a speed from a distance and a time",
       [&](const std::string& t, const std::string&) {
         return has(t, "speed") && has(t, "[0-9.]+ (m|km|mm)\\b") && has(t, "[0-9.]+ (s|min|h)\\b");
       }},
      {"a ratchet's pawl clicks once for each tooth",
       [&](const std::string& t, const std::string&) {
         return has(t, "ratchet") && has(t, "[0-9]+ teeth") && has(t, "click");
       }},
      {"the stroke is twice the crank's offset",
       [&](const std::string& t, const std::string&) {
         return has(t, "crank") && has(t, "offset|throw") && has(t, "what is the [a-z' ]*stroke");
       }},
      {"a flywheel carries a crank past its dead centres",
       [&](const std::string& t, const std::string& k) {
         return has(t + " " + k, "flywheel") && has(t + " " + k, "dead centre");
       }},
      {"a ramp 6 m long rising 1 m",
       [&](const std::string& t, const std::string&) {
         return has(t, "ramp|slope") && has(t, "\\b6 m\\b") && has(t, "\\b1 m\\b");
       }},
      {"a 48-tooth chain wheel and a 16-tooth rear sprocket",
       [&](const std::string& t, const std::string&) {
         std::vector<double> n = Numbers(t);
         std::sort(n.begin(), n.end());
         return n == std::vector<double>{16, 48};
       }},
      {"how often a bicycle's back wheel turns for a turn of its 48-tooth chain wheel",
       [&](const std::string& t, const std::string&) {
         std::vector<double> n = Numbers(t);
         std::sort(n.begin(), n.end());
         return n.size() == 2 && n[1] == 48 && n[0] >= 14 && n[0] <= 18 && has(t, "how many times");
       }},
      {"a bigger rear sprocket makes pedalling easier",
       [&](const std::string& t, const std::string& k) {
         return has(t, "rear sprocket") && has(t + " " + k, "easi|harder|hill");
       }},
      {"a ratchet lets its wheel turn one way and locks it the other",
       [&](const std::string& t, const std::string& k) {
         return has(t, "ratchet") && has(k, "one direction only|locks the wheel");
       }},
      {"a driven pulley's speed from the pulleys' sizes",
       [&](const std::string& t, const std::string&) { return has(t, "pulley") && has(t, "how fast (does|must)"); }},
      {"a driven gear's turns or speed from the teeth of a driver gear and a driven gear",
       [&](const std::string& t, const std::string&) {
         return has(t, "driver gear") && has(t, "driven gear") && has(t, "[0-9]");
       }},
      {"a worm's turns for one turn of its wheel",
       [&](const std::string& t, const std::string&) { return has(t, "worm") && has(t, "how many turns"); }},
      {"friction in a screw thread",
       [&](const std::string& t, const std::string& k) { return has(t, "screw") && has(k, "friction"); }},
      // One question's stem names the motion another asks the pupil to name.
      {"a piston's reciprocating motion",
       [&](const std::string& t, const std::string& k) { return has(t, "piston") && has(t + " " + k, "reciprocat"); }},
      {"a pendulum's oscillating motion",
       [&](const std::string& t, const std::string& k) { return has(t, "pendulum") && has(t + " " + k, "oscillat"); }},
      {"a part that goes there and back once for each turn of a crank at so many rpm",
       [&](const std::string& t, const std::string& k) {
         std::smatch m;
         const std::vector<double> key = Numbers(k);
         if (key.empty() || !std::regex_search(t, m, Pattern("([0-9.]+) rpm")) || !has(t, "how many"))
           return false;
         const double rpm = std::stod(m[1]);
         return Near(key[0], rpm) || Near(key[0], rpm / 60);
       }},
      {"naming rotary motion",
       [&](const std::string& t, const std::string& k) {
         return (has(k, "^rotary( motion)?$") && !has(t, "into")) || has(t, "moves with rotary motion");
       }},
      {"naming oscillating motion",
       [&](const std::string& t, const std::string& k) {
         return (has(k, "^oscillating( motion)?$") && !has(t, "into")) || has(t, "moves with oscillating motion");
       }},
      {"naming reciprocating motion",
       [&](const std::string& t, const std::string& k) {
         return (has(k, "^reciprocating( motion)?$") && !has(t, "into")) || has(t, "moves with reciprocating motion");
       }},
      {"a pulley block on four strands",
       [&](const std::string& t, const std::string&) {
         return has(t, "pulley block") && has(t, "(4|four) (strands|sections|ropes)");
       }},
      {"an eccentric cam's follower rises and falls smoothly",
       [&](const std::string& t, const std::string& k) { return has(t, "eccentric") && has(k, "smooth"); }},
      {"a velocity ratio is the driven wheel over the driver",
       [&](const std::string&, const std::string& k) { return has(k, "driven[^/]*/[^/]*driver"); }},
      {"a ratchet spanner",
       [&](const std::string& t, const std::string& k) { return has(t + " " + k, "ratchet spanner"); }},
      {"a crank and slider turns rotary motion into reciprocating",
       [&](const std::string& t,
           const std::string& k) { return has(t, "crank and slider") && has(k, "rotary") && has(k, "reciprocating"); }},
      {"a reverse motion linkage's output goes the other way",
       [&](const std::string& t,
           const std::string& k) { return has(t, "reverse[ -]motion") && has(k, "opposite|right"); }},
      {"a single-start worm moves its wheel one tooth a turn",
       [&](const std::string& t, const std::string&) { return has(t, "single-start worm"); }},
      {"an efficiency from a load, its effort and a velocity ratio",
       [&](const std::string& t, const std::string&) {
         return has(t, "what is (its|the) efficiency") && has(t, "[0-9] N\\b.*[0-9] N\\b");
       }},
      {"a sprocket's turns for one turn of the sprocket driving it",
       [&](const std::string& t, const std::string&) {
         return has(t, "sprocket") && has(t, "how many times does") && has(t, "for (one|each) turn");
       }},
      {"a parallelogram's moving link stays parallel",
       [&](const std::string& t, const std::string& k) { return has(t, "parallel") && has(k, "level|parallel to"); }},
      {"a pawl rides over the teeth while its wheel turns the free way",
       [&](const std::string& t, const std::string& k) {
         return has(t + " " + k, "pawl") && has(t + " " + k, "clicks? over|drops behind|up the back|free (way|direction)");
       }},
      {"a treadle turns the foot's rocking into the wheel's turning",
       [&](const std::string& t, const std::string& k) {
         return has(t + " " + k, "treadle") && has(t + " " + k, "rock|oscillat") && has(t + " " + k, "turning|rotary");
       }},
      {"bevel gears take the drive round an angle",
       [&](const std::string& t, const std::string& k) {
         return has(t + " " + k, "bevel|mitre") && has(k, "through (an angle|90|a right angle)|at an angle");
       }},
      {"a single-start screw moves one pitch a turn",
       [&](const std::string& t,
           const std::string&) { return has(t, "pitch of") && has(t, "how far") && !has(t, "two-start|multi-start"); }},
  };
  const TQuestionList all = LoadQuestionFile(BankFile, 0);
  for (const auto& [what, test] : groups) {
    std::vector<std::string> found;
    for (const auto& q : all)
      if (test(Plain(q->Text), Key(*q)))
        found.push_back(Plain(q->Text));
    EXPECT_LE(found.size(), 1u) << what << ", asked " << found.size() << " times:\n  "
                                << (found.empty() ? "" : found.front()) << "\n  " << (found.size() > 1 ? found[1] : "");
  }
}
