// Document builder fuzz target: any bytes as a page (or, by the first byte, as plain text),
// built into a document and laid out on the fixed-metric canvas at a few widths.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/Document.h"
#include "html/HtmlReader.h"
#include "platform/CanvasFixed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size == 0)
    return 0;
  static std::unique_ptr<TCanvas> canvas = [] {
    TFixedMetricDevice* device = nullptr;
    auto c = CreateFixedMetricCanvas(2000, 2000, &device);
    SetFontMeasureCanvas(c.get());
    return c;
  }();
  TStringBitmapList cache;
  THtmlDocHost host;
  TSectionList doc(&host, nullptr);
  doc.BitmapList = &cache;
  doc.ShowImages = false;
  doc.SetFonts("Times New Roman", "Courier New", clBlack, clBlue, clPurple, clRed, clWhite, false, true, 0, 8, 10, 12);
  const std::string page(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] == 'T') {
    ParsePlainText(page, doc);
  } else {
    THtmlParseContext ctx;
    int includes = 0;
    ctx.OnInclude = [&](const std::string& command, const std::vector<std::string>&, std::string& buffer) {
      if (++includes < 4)
        buffer = "<p><b>" + command + "</b>";
    };
    ctx.OnStyleSheet = [](const std::string& href, std::string& text, std::string& path) {
      text = "p { margin: " + href + " } " + href + " { color: red; float: left }";
      return true;
    };
    ctx.OnScript = [](const std::string&, const std::string&, const std::string&) {};
    ParseHTMLDocument(page, doc, ctx);
  }
  // Two layouts, the second over the first as a resized window does, at widths picked by the
  // last byte from narrowest to wide: every width is reached over a campaign at half the
  // cost per input of laying out at all of them each time. Pages up to 1 MB come in, so
  // that work growing faster than the page shows as a time-out.
  static const int32_t widths[] = {0, 37, 300, 1200};
  const uint8_t pick = data[size - 1];
  for (int32_t width : {widths[pick & 3], widths[(pick >> 2) & 3]}) {
    int32_t scrollWidth = 0, curs = 0;
    try {
      doc.DoLogic(*canvas, 0, width, 600, scrollWidth, curs);
    } catch (const Exception&) {
      // a table of too many columns says so; the document stays as it is
    }
  }
  return 0;
}
