#include "lessons/Questions.h"

#include <utility>

#include "platform/Files.h"

namespace {

const char* const CategoryNames[TopicCategoryCount] = {"Motion",
                                                       "Levers",
                                                       "Linkages",
                                                       "Gears",
                                                       "Ratchet and pawl",
                                                       "Pulley systems",
                                                       "Sprockets and chain",
                                                       "Lifting systems",
                                                       "Cams and followers",
                                                       "Crank and slider",
                                                       "Screw threads"};

// The fixed part of a record: topics (2), then correct, two reserved, width, height and the
// text length, image length and answer count (4 each).
constexpr int64_t MinRecordSize = 2 + 4 * 8;

int64_t BytesLeft(TStream& Stream) { return Stream.Size() - Stream.Position(); }

uint32_t ReadUInt(TStream& Stream, size_t size)
{
  uint8_t b[4] = {0, 0, 0, 0};
  Stream.ReadBuffer(b, size);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

Integer ReadInt(TStream& Stream) { return static_cast<Integer>(ReadUInt(Stream, 4)); }

// A length or count of items of at least itemSize bytes each, checked against what the
// stream still holds before anything is allocated for it.
size_t ReadCount(TStream& Stream, int64_t itemSize)
{
  Integer n = ReadInt(Stream);
  if (n < 0 || int64_t(n) * itemSize > BytesLeft(Stream))
    throw EReadError("Stream read error");
  return static_cast<size_t>(n);
}

std::string ReadString(TStream& Stream)
{
  std::string s(ReadCount(Stream, 1), '\0');
  Stream.ReadBuffer(s.data(), s.size());
  return s;
}

void WriteInt(TStream& Stream, uint32_t v, size_t size = 4)
{
  const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  Stream.WriteBuffer(b, size);
}

void WriteString(TStream& Stream, const std::string& s)
{
  WriteInt(Stream, static_cast<uint32_t>(s.size()));
  Stream.WriteBuffer(s.data(), s.size());
}

// Links name an answer by the letter of its place in the list; past "Z" there is no letter,
// and a wrapped-round one would answer for another entry.
constexpr size_t MaxLetteredAnswers = 26;

}   // namespace

std::string TopicCategoryName(Integer Index)
{
  return Index >= 0 && Index < TopicCategoryCount ? CategoryNames[Index] : "";
}

// ---------------------------------------------------------------------------------------
// TTarvQuestion

TTarvQuestion::TTarvQuestion() : Text("Enter the text for the question"), Answers(5) {}

void TTarvQuestion::ReadFrom(TStream& Stream)
{
  Topics = static_cast<TTopicCategories>(ReadUInt(Stream, 2));
  Correct = ReadInt(Stream);
  Reserved1 = ReadInt(Stream);
  Reserved2 = ReadInt(Stream);
  ImageWidth = ReadInt(Stream);
  ImageHeight = ReadInt(Stream);
  Text = ReadString(Stream);
  ImageName = ReadString(Stream);
  Answers.clear();
  // Every answer takes at least its 4-byte length.
  size_t count = ReadCount(Stream, 4);
  Answers.reserve(count);
  for (size_t i = 0; i < count; ++i)
    Answers.push_back(ReadString(Stream));
}

void TTarvQuestion::WriteTo(TStream& Stream) const
{
  WriteInt(Stream, Topics, 2);
  WriteInt(Stream, static_cast<uint32_t>(Correct));
  WriteInt(Stream, static_cast<uint32_t>(Reserved1));
  WriteInt(Stream, static_cast<uint32_t>(Reserved2));
  WriteInt(Stream, static_cast<uint32_t>(ImageWidth));
  WriteInt(Stream, static_cast<uint32_t>(ImageHeight));
  WriteString(Stream, Text);
  WriteString(Stream, ImageName);
  WriteInt(Stream, static_cast<uint32_t>(Answers.size()));
  for (const std::string& a : Answers)
    WriteString(Stream, a);
}

bool TTarvQuestion::Usable() const
{
  return Correct >= 0 && Correct <= MaxCorrect && size_t(Correct) < Answers.size() && !Answers[size_t(Correct)].empty()
         && (Topics >> TopicCategoryCount) == 0 && ImageWidth >= 0 && ImageWidth <= MaxPictureSide && ImageHeight >= 0
         && ImageHeight <= MaxPictureSide;
}

std::string TTarvQuestion::BuildHeader(const std::string& Place) const
{
  if (ImageName.empty())
    return "<p>" + Place + Text + "</p>";
  return std::string("<table border=\"0\" width=\"100%\"><tr> ")
         + "<td width=\"25%\" valign=\"top\" align=\"left\"><img src=\"/Images/" + ImageName + "\" width=\""
         + IntToStr(ImageWidth) + "\" height=\"" + IntToStr(ImageHeight) + "\"></td>"
         + "<td width=\"75%\" valign=\"top\" align=\"left\">" + Place + Text + "  </tr></table>";
}

std::string TTarvQuestion::BuildPage(Integer Number) const
{
  std::string page =
      "<html><body ><table border=\"0\" width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr><td width=\"100%\" "
      "bgcolor=\"#E0E8F4\"><font color=\"#000000\"><strong>&nbsp; Question "
      + IntToStr(Number) + "</strong></font></td></tr></table>";
  page += BuildHeader(std::string("<a name=\"") + QuestionPlace + "\"></a>");
  page += "<p><font color=\"#FF0000\">Click on one of the buttons below to select an answer</font></p>";
  page += "<ol type=\"A\">";
  for (size_t k = 0; k < Answers.size() && k < MaxLetteredAnswers; ++k) {
    if (Answers[k].empty())
      continue;
    page += "<li><a href=\"" + std::string(1, char('A' + k))
            + "\"><img border=\"0\" src=\"/Images/button.gif\" align=\"middle\" width=\"20\" height=\"18\"></a> &nbsp;"
            + Answers[k] + "</li>";
  }
  page += "</ol></body></html>";
  return page;
}

std::string TTarvQuestion::BuildPrintPart() const
{
  std::string part = BuildHeader() + "<ol type=\"A\">";
  for (const std::string& a : Answers)
    if (!a.empty())
      part += "<li><font FACE=\"Arial\">\x8D</font>&nbsp; " + a + "</li>";
  return part + "</ol>";
}

void TTarvQuestion::CheckAnswer(const std::string& Letter)
{
  bool right = Correct >= 0 && Correct <= 4 && Letter == std::string(1, char('A' + Correct));
  State = right ? qsRight : qsWrong;
}

// ---------------------------------------------------------------------------------------
// The question file

TQuestionList ReadQuestions(TStream& Stream, TTopicCategories Mask, const std::string& FileName)
{
  const std::string message = ExtractFileName(FileName) + "\r\nThis is not a valid question file.";
  if (Stream.Size() < 4 || ReadUInt(Stream, 4) != QuestionFileMagic)
    throw EBadFile(message);
  // A count or length that the file cannot hold (negative, huge, or cut short) makes the
  // whole file invalid: the user hears what is wrong, not how the reading failed.
  try {
    size_t count = ReadCount(Stream, MinRecordSize);
    TQuestionList list;
    for (size_t i = 0; i < count; ++i) {
      auto q = std::make_unique<TTarvQuestion>();
      q->ReadFrom(Stream);
      // A record that points at no answer, or names categories or a picture size no
      // question has, is a damaged file as much as a cut one.
      if (!q->Usable())
        throw EBadFile(message);
      if ((q->Topics & Mask) == Mask)
        list.push_back(std::move(q));
    }
    return list;
  } catch (const EReadError&) {
    throw EBadFile(message);
  }
}

TQuestionList LoadQuestionFile(const std::string& FileName, TTopicCategories Mask)
{
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadFileBytes(FileName, MaxQuestionFileSize);
  } catch (const EReadError&) {
    throw EBadFile(ExtractFileName(FileName) + "\r\nThis is not a valid question file.");
  }
  TByteStream stream(std::move(bytes));
  return ReadQuestions(stream, Mask, FileName);
}

std::vector<uint8_t> SaveQuestionFile(const TQuestionList& Questions)
{
  TByteStream stream;
  WriteInt(stream, QuestionFileMagic);
  WriteInt(stream, static_cast<uint32_t>(Questions.size()));
  for (const auto& q : Questions)
    q->WriteTo(stream);
  return std::move(stream.Bytes());
}

void PickTestQuestions(TQuestionList& Questions, const std::function<Integer(Integer n)>& Random)
{
  const Integer n = static_cast<Integer>(Questions.size());
  for (Integer i = 0; i < n; ++i) {
    Integer j = Random(n);
    // A generator that strays outside [0, n) must not reach outside the list.
    if (j < 0 || j >= n)
      j = i;
    if (j != i)
      std::swap(Questions[size_t(i)], Questions[size_t(j)]);
  }
  if (Questions.size() > MaxTestQuestions)
    Questions.resize(MaxTestQuestions);
}
