// Writes the question file from its text source: "make-questions SOURCE OUTPUT". The
// format is described at the top of content/questions/questions.txt. The output is written
// only when its bytes change, and through a temporary file, so a build that copies the
// content meanwhile never sees half a file.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "lessons/Questions.h"

namespace {

struct TSourceError {
  int Line;
  std::string Text;
};

std::string TrimBlanks(const std::string& s)
{
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos)
    return "";
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

Integer CategoryIndex(const std::string& name)
{
  for (Integer i = 0; i < TopicCategoryCount; ++i)
    if (TopicCategoryName(i) == name)
      return i;
  return -1;
}

class TSourceReader {
public:
  TQuestionList Questions;

  void Read(const std::string& text)
  {
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos)
        end = text.size();
      ++FLine;
      Line(text.substr(pos, end - pos));
      pos = end + 1;
    }
    Finish();
  }

private:
  void Line(const std::string& raw)
  {
    std::string line = TrimBlanks(raw);
    if (line.empty() || line[0] == '#')
      return;
    if (raw[0] == ' ' || raw[0] == '\t') {
      if (!FLast)
        throw TSourceError{FLine, "a continuation line follows nothing"};
      *FLast += " " + line;
      return;
    }
    size_t colon = line.find(':');
    if (colon == std::string::npos)
      throw TSourceError{FLine, "expected \"key: value\""};
    std::string key = line.substr(0, colon);
    std::string value = TrimBlanks(line.substr(colon + 1));
    if (key == "category") {
      Finish();
      FCurrent = std::make_unique<TTarvQuestion>();
      FCurrent->Text.clear();
      FCurrent->Answers.clear();
      FStartLine = FLine;
      FLast = nullptr;
      size_t p = 0;
      while (p <= value.size()) {
        size_t comma = value.find(',', p);
        if (comma == std::string::npos)
          comma = value.size();
        std::string name = TrimBlanks(value.substr(p, comma - p));
        Integer c = CategoryIndex(name);
        if (c < 0)
          throw TSourceError{FLine, "unknown category \"" + name + "\""};
        FCurrent->Topics |= TTopicCategories(1u << c);
        p = comma + 1;
      }
      return;
    }
    if (!FCurrent)
      throw TSourceError{FLine, "\"" + key + "\" before the first \"category:\""};
    if (key == "question") {
      FCurrent->Text = value;
      FLast = &FCurrent->Text;
    } else if (key == "answer" || key == "correct") {
      if (key == "correct") {
        if (FCurrent->Correct >= 0)
          throw TSourceError{FLine, "a second correct answer"};
        FCurrent->Correct = static_cast<Integer>(FCurrent->Answers.size());
      }
      FCurrent->Answers.push_back(value);
      FLast = &FCurrent->Answers.back();
    } else if (key == "image") {
      char name[256];
      int w = 0, h = 0;
      if (std::sscanf(value.c_str(), "%255s %d %d", name, &w, &h) != 3 || w <= 0 || h <= 0)
        throw TSourceError{FLine, "expected \"image: NAME WIDTH HEIGHT\""};
      FCurrent->ImageName = name;
      FCurrent->ImageWidth = w;
      FCurrent->ImageHeight = h;
      FLast = nullptr;
    } else {
      throw TSourceError{FLine, "unknown key \"" + key + "\""};
    }
  }

  // Checks the question being read and adds it to the list.
  void Finish()
  {
    if (!FCurrent)
      return;
    if (FCurrent->Text.empty())
      throw TSourceError{FStartLine, "the question has no text"};
    if (FCurrent->Answers.size() < 2 || FCurrent->Answers.size() > 5)
      throw TSourceError{FStartLine, "a question takes two to five answers"};
    if (FCurrent->Correct < 0)
      throw TSourceError{FStartLine, "the question has no correct answer"};
    Questions.push_back(std::move(FCurrent));
    FLast = nullptr;
  }

  int FLine = 0;
  int FStartLine = 0;
  std::unique_ptr<TTarvQuestion> FCurrent;
  std::string* FLast = nullptr;
};

}   // namespace

int main(int argc, char** argv)
{
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-questions SOURCE OUTPUT\n");
    return 2;
  }
  const std::string source = argv[1], output = argv[2];
  try {
    std::vector<uint8_t> text = ReadFileBytes(source, MaxQuestionFileSize);
    TSourceReader reader;
    reader.Read(std::string(text.begin(), text.end()));
    std::vector<uint8_t> bytes = SaveQuestionFile(reader.Questions);
    if (FileExists(output) && ReadFileBytes(output, MaxQuestionFileSize) == bytes)
      return 0;
    std::string temp = output + ".tmp";
    WriteFileBytes(temp, bytes);
    std::filesystem::rename(temp, output);
    std::printf("%s: %zu questions\n", output.c_str(), reader.Questions.size());
  } catch (const TSourceError& e) {
    std::fprintf(stderr, "%s:%d: %s\n", source.c_str(), e.Line, e.Text.c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make-questions: %s\n", e.what());
    return 1;
  }
  return 0;
}
