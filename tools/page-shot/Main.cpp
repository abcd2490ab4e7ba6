// page-shot --width W --out FILE.png PAGE.htm
// Renders PAGE.htm with the HTML viewer control as the program's page pane shows it (Arial
// 10, white background, blue links without underline), W pixels wide and as tall as the
// document (at most 12,000 pixels), and writes the picture to FILE.png. Links that begin
// with "/" are read below the nearest folder above the page named HTML. Exits with 1 when
// the page cannot be loaded or the picture cannot be written, 2 for a bad command line. It
// needs a display; on a headless machine run it through xvfb-run -a.
#include <cstdio>
#include <exception>
#include <string>

#include "platform/Application.h"
#include "platform/Bitmap.h"
#include "platform/SysUtils.h"
#include "tools/page-shot/PageShot.h"

namespace {

int Usage()
{
  std::fprintf(stderr, "usage: page-shot --width W --out FILE.png PAGE.htm   (W from %d to %d)\n", MinPageShotWidth,
               MaxPageShotWidth);
  return 2;
}

}   // namespace

int main(int argc, char** argv)
{
  int32_t width = 0;
  std::string out, page;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--width" && i + 1 < argc) {
      width = StrToIntDef(argv[++i], 0);
      if (width < MinPageShotWidth || width > MaxPageShotWidth)
        return Usage();
    } else if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (!a.empty() && a[0] != '-' && page.empty()) {
      page = a;
    } else {
      return Usage();
    }
  }
  if (width == 0 || out.empty() || page.empty())
    return Usage();

  TApplication::Initialize(argc, argv);
  int result = 0;
  try {
    std::unique_ptr<TBitmap> picture = ShootPage(page, width);
    SavePagePicture(*picture, out);
  } catch (const Exception& e) {
    std::fprintf(stderr, "page-shot: %s\n", e.Message.c_str());
    result = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "page-shot: %s\n", e.what());
    result = 1;
  }
  TApplication::Finalize();
  return result;
}
