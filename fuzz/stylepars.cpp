// Style-sheet fuzz target: any bytes as a sheet and as a STYLE attribute, then the cascade
// and the layout queries over the rules they made.
#include <cstddef>
#include <cstdint>
#include <string>

#include "html/StyleParser.h"
#include "html/StyleModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  TStyleList styles;
  styles.BuildDefaults("Arial", "Courier New", 10, 8, 0, true, clRed, clPurple, clBlue, clBlack, 12);
  ParseStyleSheetText(styles, text, size % 2 ? "http://host/a/b/" : "c:\\pages\\");
  auto inl = std::make_unique<TProperties>();
  ParseInlineStyle(*inl, text);

  TPropStack stack;
  auto root = std::make_unique<TProperties>();
  root->Assign(*styles.GetDefProp());
  stack.Push(std::move(root));
  const char* tags[] = {"div", "p", "a", "td", "span", "h1"};
  for (const char* tag : tags) {
    auto p = std::make_unique<TProperties>();
    p->InheritFrom(stack.Last());
    p->ApplyRules(styles, &stack, tag, "x", "y", tag[0] == 'a' ? "link" : "", "", inl.get());
    TBoxValues box;
    p->GetBoxValues(640, 480, 16, 8, box);
    PtPositionRec pos;
    p->GetBackgroundPos(16, 8, pos);
    p->GetLineHeight(18);
    p->GetTextIndent(640);
    p->GetZIndex();
    std::string url;
    p->GetBackgroundImage(url);
    stack.Push(std::move(p));
  }
  stack.Delete(2);
  for (int i = 2; i < stack.Count(); ++i)
    stack[i].Reinherit(stack[i - 1]);
  TColor c;
  ParseColor(text, size % 3 == 0, c);
  ConvertFontSize(text, 12, 12);
  ConvertLength(text, size % 5 == 0, 640, 7, 8, 16);
  return 0;
}
