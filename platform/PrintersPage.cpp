// Recorded pages for print previews: a QPicture per page, drawn through our canvas.
#include "platform/Printers.h"

#include <QImage>
#include <QPainter>
#include <QPicture>

#include <algorithm>
#include <cstdint>

#include "platform/Fonts.h"
#include "platform/CanvasQt.h"

namespace {
// A rendering is a picture on screen: its sides stay within what a screen could show.
constexpr Integer MaxRenderSide = 8192;
// A page of at most this many pixels (Letter at 400 dots per inch) is played at its own size.
constexpr int64_t MaxWholePagePixels = 15'000'000;
}   // namespace

struct TRecordedPageImpl {
  QPicture Picture;
  std::unique_ptr<QPainter> Painter;
  std::unique_ptr<TCanvas> Canvas;

  void Close()
  {
    Canvas.reset();
    if (Painter) {
      if (Painter->isActive())
        Painter->end();
      Painter.reset();
    }
  }
};

TRecordedPage::TRecordedPage() : FImpl(std::make_unique<TRecordedPageImpl>()) {}

TRecordedPage::~TRecordedPage() { FImpl->Close(); }

TCanvas& TRecordedPage::BeginRecording(Integer width, Integer height, Integer logPixels)
{
  EnsureGuiApplication();
  FImpl->Close();
  FImpl->Picture = QPicture();
  FWidth = std::max(width, 0);
  FHeight = std::max(height, 0);
  FImpl->Painter = std::make_unique<QPainter>();
  if (!FImpl->Painter->begin(&FImpl->Picture)) {
    FImpl->Painter.reset();
    throw EPrinter("Printer selected is not valid");
  }
  FImpl->Canvas =
      std::make_unique<TCanvas>(CreatePainterDevice(*FImpl->Painter, {0, 0, FWidth, FHeight}, logPixels, true));
  FImpl->Canvas->Font().SetPixelsPerInch(logPixels);
  return *FImpl->Canvas;
}

bool TRecordedPage::Recording() const { return FImpl->Canvas != nullptr; }

TCanvas& TRecordedPage::Canvas()
{
  if (!FImpl->Canvas)
    throw EPrinter("Printer is not currently printing");
  return *FImpl->Canvas;
}

void TRecordedPage::EndRecording() { FImpl->Close(); }

std::unique_ptr<TBitmap> TRecordedPage::Render(Integer width, Integer height, const TRect& source) const
{
  width = std::clamp<Integer>(width, 1, MaxRenderSide);
  height = std::clamp<Integer>(height, 1, MaxRenderSide);
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (!FImpl->Painter && source.Width() > 0 && source.Height() > 0) {
    // Played at the page's own size and then made smaller: played scaled, pictures laid side
    // by side (a tiled background) would each be rounded to whole pixels on their own, and a
    // seam of the ground would show where two meet. A page too large for that is played scaled.
    const bool whole = int64_t(source.Width()) * source.Height() <= MaxWholePagePixels && width <= source.Width()
                       && height <= source.Height();
    QImage played(whole ? source.Width() : width, whole ? source.Height() : height, QImage::Format_RGB32);
    played.fill(Qt::white);
    {
      QPainter p(&played);
      p.setRenderHint(QPainter::Antialiasing);
      p.setRenderHint(QPainter::TextAntialiasing);
      p.setRenderHint(QPainter::SmoothPixmapTransform);
      if (!whole)
        p.scale(double(width) / source.Width(), double(height) / source.Height());
      p.translate(-source.Left, -source.Top);
      p.setClipRect(QRect(source.Left, source.Top, source.Width(), source.Height()));
      FImpl->Picture.play(&p);
    }
    image = whole ? played.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation) : played;
  }
  return std::make_unique<TBitmap>(QImageToBitmap(image));
}
