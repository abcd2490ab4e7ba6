#include "tools/page-shot/PageShot.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "html/HtmlViewer.h"
#include "platform/Bitmap.h"
#include "platform/ImageSave.h"

void SetPagePaneDefaults(THTMLViewer& Viewer)
{
  Viewer.DefFontName = "Arial";
  Viewer.SetDefFontSize(10);
  Viewer.SetDefPreFontName("Courier New");
  Viewer.SetDefBackground(clWhite);
  Viewer.SetDefVisitedLinkColor(clBlue);
  Viewer.SetDefOverLinkColor(clRed);
  Viewer.SethtOptions(Viewer.htOptions() | htOverLinksActive | htNoLinkUnderline);
}

std::string PageServerRoot(const std::string& FileName)
{
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path folder = fs::absolute(fs::path(FileName), ec).parent_path();
  for (fs::path p = folder; !p.empty(); p = p.parent_path()) {
    std::string name = p.filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    if (name == "HTML")
      return p.string();
    if (p == p.parent_path())
      break;
  }
  return folder.string();
}

std::unique_ptr<TBitmap> ShootPage(const std::string& FileName, int32_t Width, int32_t MaxHeight)
{
  std::error_code ec;
  if (!std::filesystem::is_regular_file(FileName, ec))
    throw EInOutError("Can't locate file: " + FileName);
  Width = std::clamp(Width, MinPageShotWidth, MaxPageShotWidth);
  MaxHeight = std::clamp(MaxHeight, 1, MaxPageShotHeight);

  THTMLViewer viewer;
  SetPagePaneDefaults(viewer);
  // No border and no scroll bars: the picture is the page itself, laid out at its width.
  viewer.SetBorderStyle(htNone);
  viewer.SetScrollBars(ssNone);
  viewer.SetServerRoot(PageServerRoot(FileName));
  viewer.SetBounds(0, 0, Width, 600);
  viewer.LoadFromFile(FileName);
  const int32_t height = std::clamp(viewer.DocumentHeight(), 1, MaxHeight);
  viewer.SetBounds(0, 0, Width, height);

  auto picture = std::make_unique<TBitmap>(Width, height, TPixelFormat::pf32bit);
  picture->Fill(clWhite);
  viewer.PaintTo(picture->Canvas(), 0, 0);
  return picture;
}

void SavePagePicture(const TBitmap& Picture, const std::string& FileName)
{
  if (Picture.PixelFormat() == TPixelFormat::pf32bit) {
    SavePixelsToPng(FileName, Picture.Width(), Picture.Height(), Picture.Bits(), false);
    return;
  }
  TBitmap copy(Picture);
  copy.SetPixelFormat(TPixelFormat::pf32bit);
  SavePixelsToPng(FileName, copy.Width(), copy.Height(), copy.Bits(), false);
}
