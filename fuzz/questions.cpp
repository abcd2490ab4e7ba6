// Question file reader: any bytes either read or raise EBadFile or EReadError; what reads
// builds its pages and writes back to bytes that read to the same questions.
#include <cstdint>
#include <cstdlib>

#include "lessons/Questions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  TQuestionList list;
  try {
    TByteStream stream(data, size);
    list = ReadQuestions(stream, 0, "test.mq");
  } catch (const EBadFile&) {
    return 0;
  } catch (const EReadError&) {
    return 0;
  }
  for (size_t i = 0; i < list.size(); ++i) {
    list[i]->BuildPage(static_cast<Integer>(i + 1));
    list[i]->BuildPrintPart();
    list[i]->CheckAnswer("A");
  }
  TByteStream again(SaveQuestionFile(list));
  TQuestionList back = ReadQuestions(again, 0, "test.mq");
  if (back.size() != list.size())
    std::abort();
  for (size_t i = 0; i < list.size(); ++i)
    if (back[i]->Text != list[i]->Text || back[i]->Answers != list[i]->Answers
        || back[i]->ImageName != list[i]->ImageName || back[i]->Topics != list[i]->Topics
        || back[i]->Correct != list[i]->Correct)
      std::abort();
  return 0;
}
