#include "html/StyleParser.h"

#include <vector>

#include "html/StyleModel.h"
#include "html/Urls.h"
#include "platform/SysUtils.h"

namespace {

using TSink = std::function<void(const std::string& Name, const std::string& Value)>;

const char* const FontWords[] = {"italic",     "oblique", "normal",  "bolder",   "lighter", "bold",
                                 "small-caps", "larger",  "smaller", "xx-small", "x-small", "small",
                                 "medium",     "large",   "x-large", "xx-large"};
const char* const FontWordProps[] = {"font-style",  "font-style",  "font-weight",  "font-weight",
                                     "font-weight", "font-weight", "font-variant", "font-size",
                                     "font-size",   "font-size",   "font-size",    "font-size",
                                     "font-size",   "font-size",   "font-size",    "font-size"};
const char* const BorderStyles[] = {"none",   "solid", "dashed", "dotted", "double",
                                    "groove", "inset", "outset", "ridge"};
const char* const Sides[] = {"top", "right", "bottom", "left"};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '-'; }

bool IsSelectorChar(char c)
{
  return IsLetter(c) || IsDigit(c) || c == ' ' || c == '#' || c == '-' || c == '.' || c == ':' || c == '_';
}

// A value without its "!important" mark: we have no levels of importance, and the mark
// would otherwise spoil the value (a colour that does not parse, a margin word too many).
std::string DropImportant(const std::string& Value)
{
  const size_t bang = Value.rfind('!');
  if (bang == std::string::npos || Trim(Value.substr(bang + 1)) != "important")
    return Value;
  return Trim(Value.substr(0, bang));
}

// A font weight as a number: 100, 200 ... 900 with no unit (a size always has one but for
// pixels, which are never written in whole hundreds in a font shorthand).
bool IsNumericWeight(const std::string& w)
{
  return w.size() == 3 && w[0] >= '1' && w[0] <= '9' && w[1] == '0' && w[2] == '0';
}

std::string StripQuotes(std::string s)
{
  if (s.size() >= 2 && (s[0] == '"' || s[0] == '\'') && s.back() == s[0])
    s = s.substr(1, s.size() - 2);
  return s;
}

// Characters with comments removed, CR read as space, and one character of push-back.
class TStyleReader {
public:
  explicit TStyleReader(std::function<char()> read) : FRead(std::move(read)) {}

  char Ch = StyleEOF;

  void Next() { Ch = Get(); }
  void SkipSpace()
  {
    while (Ch == ' ' || Ch == '\t' || Ch == '\n')
      Next();
  }
  bool AtEnd() const { return Ch == StyleEOF || Ch == '<'; }

private:
  char Raw()
  {
    if (FHasBack) {
      FHasBack = false;
      return FBack;
    }
    char c = FRead();
    return c == '\r' ? ' ' : c;
  }
  char Get()
  {
    for (;;) {
      char c = Raw();
      if (c != '/')
        return c;
      char n = Raw();
      if (n != '*') {
        FBack = n;
        FHasBack = true;
        return c;
      }
      // A comment; it also ends at "<" or the end of the text.
      char prev = 0;
      for (;;) {
        c = Raw();
        if (c == StyleEOF || c == '<')
          return c;
        if (prev == '*' && c == '/')
          break;
        prev = c;
      }
    }
  }

  std::function<char()> FRead;
  char FBack = 0;
  bool FHasBack = false;
};

class TStyleParser {
public:
  TStyleParser(TStyleReader& R, std::string BasePath) : FR(R), FBase(std::move(BasePath)) {}

  // Declarations up to "}" (consumed), "<" or the end; each one handed to Sink.
  void ReadDeclarations(const TSink& Sink)
  {
    for (;;) {
      FR.SkipSpace();
      if (FR.Ch == '}') {
        FR.Next();
        return;
      }
      if (FR.AtEnd())
        return;
      std::string name;
      while (IsNameChar(FR.Ch)) {
        name += FR.Ch;
        FR.Next();
      }
      name = LowerCase(Trim(name));
      FR.SkipSpace();
      if (FR.Ch == ':' || FR.Ch == '=') {
        FR.Next();
        std::string value;
        while (FR.Ch != ';' && FR.Ch != '}' && !FR.AtEnd()) {
          value += FR.Ch;
          FR.Next();
        }
        value = StripQuotes(DropImportant(LowerCase(Trim(value))));
        if (!name.empty())
          Property(name, value, Sink);
      }
      if (FR.Ch == ';')
        FR.Next();
      while (!IsNameChar(FR.Ch) && FR.Ch != '}' && !FR.AtEnd())
        FR.Next();
    }
  }

  void ReadSheet(TStyleList& Styles)
  {
    while (FR.Ch == ' ' || FR.Ch == '\t' || FR.Ch == '\n' || FR.Ch == '!' || FR.Ch == '-' || FR.Ch == '<'
           || FR.Ch == '>')
      FR.Next();
    for (;;) {
      while (FR.Ch == ' ' || FR.Ch == '\t' || FR.Ch == '\n' || FR.Ch == '-' || FR.Ch == '>')
        FR.Next();
      if (FR.AtEnd())
        return;
      if (FR.Ch == '@') {
        SkipAtRule();
        continue;
      }
      std::vector<std::string> keys;
      ReadSelectors(Styles, keys);
      if (FR.Ch != '{')
        return;
      FR.Next();
      ReadDeclarations([&](const std::string& name, const std::string& value) {
        for (const std::string& key : keys)
          Styles.SetRuleProperty(key, name, value);
      });
    }
  }

private:
  void SkipAtRule()
  {
    while (FR.Ch != ';' && FR.Ch != '{' && !FR.AtEnd())
      FR.Next();
    if (FR.Ch == ';') {
      FR.Next();
      return;
    }
    if (FR.Ch != '{')
      return;
    int depth = 0;
    while (!FR.AtEnd()) {
      if (FR.Ch == '{')
        ++depth;
      else if (FR.Ch == '}' && --depth == 0) {
        FR.Next();
        return;
      }
      FR.Next();
    }
  }

  // Comma-separated selectors up to "{". A selector broken by a character we do not read
  // (a child combinator, "*", an attribute test) is dropped rather than applied too widely.
  void ReadSelectors(TStyleList& Styles, std::vector<std::string>& Keys)
  {
    for (;;) {
      std::string sel;
      while (IsSelectorChar(FR.Ch) || FR.Ch == '\t' || FR.Ch == '\n') {
        sel += FR.Ch == '\t' || FR.Ch == '\n' ? ' ' : FR.Ch;
        FR.Next();
      }
      bool good = FR.Ch == ',' || FR.Ch == '{';
      while (FR.Ch != ',' && FR.Ch != '{' && !FR.AtEnd())
        FR.Next();
      sel = LowerCase(Trim(sel));
      if (good && !sel.empty()) {
        std::string key = Styles.SelectorKey(sel);
        if (!key.empty())
          Keys.push_back(key);
      }
      if (FR.Ch != ',')
        return;
      FR.Next();
    }
  }

  std::string MakeAbsolute(const std::string& Value) const
  {
    size_t p = Value.find("url(");
    if (FBase.empty() || p == std::string::npos)
      return Value;
    std::string u = ExtractUrl(Value);
    if (FBase.find("://") != std::string::npos) {
      if (!IsFullURL(u))
        u = Combine(FBase, u);
    } else if (!(u.size() > 1 && u[1] == ':') && u.compare(0, 2, "\\\\") != 0) {
      u = FBase + u;
    }
    return "url(" + u + ")";
  }

  // Splits a shorthand's value into at most 7 words; quotes keep their spaces.
  static std::vector<std::string> Words(const std::string& Value)
  {
    std::string s;
    for (size_t i = 0; i < Value.size(); ++i) {
      char c = Value[i];
      if (c == ' ' && (s.empty() || s.back() == ' ' || s.back() == ','))
        continue;
      if (c == ',' && !s.empty() && s.back() == ' ')
        s.pop_back();
      s += c;
    }
    std::vector<std::string> words;
    std::string w;
    char quote = 0;
    for (char c : s) {
      if (quote) {
        if (c == quote)
          quote = 0;
        w += c;
      } else if (c == '"' || c == '\'') {
        quote = c;
        w += c;
      } else if (c == ' ') {
        if (!w.empty())
          words.push_back(w);
        w.clear();
      } else {
        w += c;
      }
    }
    if (!w.empty())
      words.push_back(w);
    if (words.size() > 7)
      words.resize(7);
    return words;
  }

  // Cuts every "fn(...)" piece out of Value, returning them; the rest stays in Value.
  static std::vector<std::string> CutPieces(std::string& Value, const char* Fn)
  {
    std::vector<std::string> pieces;
    size_t p;
    while ((p = Value.find(Fn)) != std::string::npos) {
      size_t close = Value.find(')', p);
      size_t end = close == std::string::npos ? Value.size() : close + 1;
      pieces.push_back(Value.substr(p, end - p));
      Value.replace(p, end - p, " ");
    }
    return pieces;
  }

  static bool IsColorWord(const std::string& w)
  {
    TColor c;
    return ParseColor(w, true, c);
  }

  static bool IsBorderStyle(const std::string& w)
  {
    for (const char* s : BorderStyles)
      if (w == s)
        return true;
    return false;
  }

  void Property(const std::string& Name, const std::string& Value, const TSink& Sink)
  {
    if (Name == "margin" || Name == "padding" || Name == "border-width") {
      std::vector<std::string> w = Words(Value);
      if (w.empty())
        return;
      // top, right, bottom, left from 1 to 4 words
      static const int pick[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1}, {0, 1, 2, 3}};
      size_t n = std::min<size_t>(w.size(), 4);
      for (int side = 0; side < 4; ++side) {
        std::string prop =
            Name == "border-width" ? std::string("border-") + Sides[side] + "-width" : Name + "-" + Sides[side];
        Sink(prop, w[static_cast<size_t>(pick[n - 1][side])]);
      }
    } else if (Name == "font") {
      std::vector<std::string> w = Words(Value);
      bool nextIsLineHeight = false;
      for (std::string word : w) {
        if (nextIsLineHeight) {
          nextIsLineHeight = false;
          Sink("line-height", word);
          continue;
        }
        size_t slash = word.find('/');
        if (slash != std::string::npos) {
          std::string after = word.substr(slash + 1);
          if (after.empty())
            nextIsLineHeight = true;
          else
            Sink("line-height", after);
          word.erase(slash);
          if (word.empty())
            continue;
        }
        const char* prop = nullptr;
        for (size_t k = 0; k < std::size(FontWords); ++k)
          if (word == FontWords[k])
            prop = FontWordProps[k];
        if (prop)
          Sink(prop, word);
        else if (IsNumericWeight(word))
          Sink("font-weight", word);
        else if (IsDigit(word[0]) || (word.size() > 1 && word[0] == '.' && IsDigit(word[1])))
          Sink("font-size", word);
        else
          Sink("font-family", word);
      }
    } else if (Name == "background") {
      std::string rest = Value;
      for (const std::string& p : CutPieces(rest, "rgb("))
        Sink("background-color", p);
      for (const std::string& p : CutPieces(rest, "url("))
        Sink("background-image", MakeAbsolute(p));
      std::string position;
      for (const std::string& word : Words(rest)) {
        if (IsColorWord(word))
          Sink("background-color", word);
        else if (word == "none")
          Sink("background-image", word);
        else if (word.find("repeat") != std::string::npos)
          Sink("background-repeat", word);
        else if (word == "fixed" || word == "scroll")
          Sink("background-attachment", word);
        else
          position += (position.empty() ? "" : " ") + word;
      }
      if (!position.empty())
        Sink("background-position", position);
    } else if (Name == "border" || Name == "border-top" || Name == "border-right" || Name == "border-bottom"
               || Name == "border-left") {
      std::string rest = Value;
      for (const std::string& p : CutPieces(rest, "rgb("))
        Sink("border-color", p);
      for (const std::string& word : Words(rest)) {
        if (IsColorWord(word)) {
          Sink("border-color", word);
        } else if (IsBorderStyle(word)) {
          Sink(Name + "-style", word);
        } else if (Name == "border") {
          for (const char* side : Sides)
            Sink(std::string("border-") + side + "-width", word);
        } else {
          Sink(Name + "-width", word);
        }
      }
    } else if (Name == "list-style") {
      for (const std::string& word : Words(Value)) {
        if (word.find("url(") != std::string::npos)
          Sink("list-style-image", MakeAbsolute(word));
        else if (word != "inside" && word != "outside")   // the marker's place, which we do not keep
          Sink("list-style-type", word);
      }
    } else {
      Sink(Name, Value.find("url(") != std::string::npos ? MakeAbsolute(Value) : Value);
    }
  }

  TStyleReader& FR;
  std::string FBase;
};

// A reader over a string; StyleEOF after its end.
std::function<char()> StringSource(const std::string& Text, size_t& Pos)
{
  return [&Text, &Pos]() -> char { return Pos < Text.size() ? Text[Pos++] : StyleEOF; };
}

}   // namespace

void ParseStyleSheet(TStyleList& Styles, char& Ch, const std::function<char()>& ReadCh, const std::string& BasePath)
{
  // The first character is already read: hand it back through the reader once.
  bool first = true;
  char firstCh = Ch;
  TStyleReader reader([&]() -> char {
    if (first) {
      first = false;
      return firstCh;
    }
    return ReadCh();
  });
  reader.Next();
  TStyleParser parser(reader, BasePath);
  parser.ReadSheet(Styles);
  Ch = reader.Ch;
}

void ParseStyleSheetText(TStyleList& Styles, const std::string& Text, const std::string& BasePath)
{
  size_t pos = 0;
  auto source = StringSource(Text, pos);
  char ch = source();
  ParseStyleSheet(Styles, ch, source, BasePath);
}

void ParseInlineStyle(TProperties& Props, const std::string& Text)
{
  std::string lower = LowerCase(Text);
  size_t pos = 0;
  TStyleReader reader(StringSource(lower, pos));
  reader.Next();
  TStyleParser parser(reader, std::string());
  parser.ReadDeclarations([&Props](const std::string& name, const std::string& value) {
    int I = PropIndex(name);
    if (I >= 0)
      SetPropertyText(Props, I, value, true);
  });
  Props.PropStyle = Text;
}
