// Tokenizer fuzz target: any bytes as a document, in a code page picked by the first byte,
// with include comments answered and STYLE, SCRIPT and TEXTAREA content read by their own
// readers, as the document builder does.
#include <cstddef>
#include <cstdint>
#include <string>

#include "html/HtmlReader.h"
#include "html/StyleModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const int32_t pages[] = {1252, 932, 65001, 1251, 936, 949, 950, 1253, 874, 0};
  if (size == 0)
    return 0;
  THtmlTokenizer T;
  T.CodePage = pages[data[0] % std::size(pages)];
  TIDNameList ids;
  T.IDNameList = &ids;
  TStyleList styles;
  styles.BuildDefaults("Arial", "Courier New", 10, 8, 0, true, clRed, clPurple, clBlue, clBlack, 12);
  int includes = 0;
  T.OnInclude = [&](const std::string& command, const std::vector<std::string>&, std::string& buffer) {
    if (++includes < 4)
      buffer = "<b>" + command + "</b><!--#again-->&#x1F600;";
  };
  try {
    T.Start(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    T.GetCh();
    T.Next();
    for (int guard = 0; guard < 1000000 && T.Sy != EofSy; ++guard) {
      switch (T.Sy) {
      case StyleSy: T.ReadStyleElement(styles, "http://host/dir/"); continue;
      case ScriptSy: {
        std::string text;
        T.ReadScript(text, (guard & 1) != 0);
        break;
      }
      case TextAreaSy:
        for (int lines = 0; lines < 100000; ++lines) {
          T.NextTextArea();
          if (T.Sy == TextAreaEndSy || T.Sy == EofSy)
            break;
        }
        break;
      case PreSy:
        for (int pieces = 0; pieces < 1000000; ++pieces) {
          T.NextPre();
          if (T.Sy == PreEndSy || T.Sy == EofSy)
            break;
        }
        break;
      case MetaSy:
        if (const TAttribute* a = T.Attributes.Find(ContentSy)) {
          int32_t cs;
          T.LookUpCharset(a->Name, cs);
        }
        break;
      default:
        T.Attributes.TheStyle();
        T.Attributes.TheID();
        break;
      }
      T.Next();
    }
  } catch (const EParseError&) {}
  return 0;
}
