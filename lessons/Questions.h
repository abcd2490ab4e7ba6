// Test questions: one multiple-choice question, its page for the test window and its part
// of the printed test, the topic categories the questions belong to, and the question file
// (a magic number, a count and the records), which is read with every length checked.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/HTMLStreams.h"
#include "platform/SysUtils.h"

// A file that is not what it claims to be.
class EBadFile : public Exception {
  using Exception::Exception;
};

// A set of topic categories: bit i is category i.
using TTopicCategories = uint16_t;
constexpr Integer TopicCategoryCount = 11;

// "Motion" to "Screw threads" for 0 to 10; empty for any other index.
std::string TopicCategoryName(Integer Index);

class TTarvQuestion {
public:
  // Answer states.
  static constexpr Byte qsNotAnswered = 0, qsRight = 1, qsWrong = 2;
  // Answers beyond the fifth cannot be named as the correct one.
  static constexpr Integer MaxCorrect = 4;
  // A question's picture shares the test window with the question; larger is a broken file.
  static constexpr Integer MaxPictureSide = 4096;

  TTarvQuestion();

  TTopicCategories Topics = 0;
  std::string ImageName;
  std::string Text;
  std::vector<std::string> Answers;
  Integer Correct = -1;
  Integer Reserved1 = 0, Reserved2 = 0;
  Integer ImageWidth = 0, ImageHeight = 0;
  Byte State = qsNotAnswered;

  // Reads one record in file order; EReadError when the stream holds fewer bytes than a
  // length or count promises (nothing is allocated beyond what the stream holds).
  void ReadFrom(TStream& Stream);
  // Whether the record can be asked: the correct answer is one of the first five and is
  // offered (not empty), the categories are among the known ones and the picture size is
  // between 0 and MaxPictureSide on each side.
  bool Usable() const;
  // Writes the record as ReadFrom reads it (the content generator and the tests).
  void WriteTo(TStream& Stream) const;

  // The test window's page for question Number (1-based). The question's words begin at the
  // place named QuestionPlace, where a screen reader's reading starts.
  std::string BuildPage(Integer Number) const;
  static constexpr const char* QuestionPlace = "question";
  // The question and its answers as the printed test shows them.
  std::string BuildPrintPart() const;
  // Records the answer given by the letter of a link ("A" to "E").
  void CheckAnswer(const std::string& Letter);

private:
  // The picture and the question text, up to where the answers begin; Place stands just
  // before the text.
  std::string BuildHeader(const std::string& Place = "") const;
};

using TQuestionList = std::vector<std::unique_ptr<TTarvQuestion>>;

constexpr uint32_t QuestionFileMagic = 0x12F67;
// Question files are small; anything larger is refused before it is read.
constexpr size_t MaxQuestionFileSize = size_t(16) << 20;

// Reads the questions of a question file held in Stream that have every category of Mask
// (the empty Mask keeps all). FileName names the file in the message of EBadFile, raised
// when the magic number is wrong, a count or length does not fit in what is left, or a
// record is not Usable.
TQuestionList ReadQuestions(TStream& Stream, TTopicCategories Mask, const std::string& FileName);
// The same from the file; EFOpenError when it cannot be opened, EBadFile when it is larger
// than MaxQuestionFileSize.
TQuestionList LoadQuestionFile(const std::string& FileName, TTopicCategories Mask);
// The file's bytes for the questions.
std::vector<uint8_t> SaveQuestionFile(const TQuestionList& Questions);

// How many questions one test asks at most.
constexpr size_t MaxTestQuestions = 10;
// Shuffles the list (for every i, swaps entry i with entry Random(n) when they differ) and
// keeps the first MaxTestQuestions. Random(n) gives an integer in [0, n).
void PickTestQuestions(TQuestionList& Questions, const std::function<Integer(Integer n)>& Random);
