// Recorded pages for print previews: a QPicture per page, drawn through our canvas.
#include "platform/Printers.h"

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QRegion>

#include <algorithm>
#include <cmath>

#include "platform/Fonts.h"
#include "platform/CanvasQt.h"

namespace {
// A rendering is a picture on screen: its sides stay within what a screen could show.
constexpr Integer MaxRenderSide = 8192;
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
  // Played smaller than recorded, a box's thin border or a table's rule would be rounded to a
  // whole row of pixels, or to none: drawn at up to three times the size and shrunk by
  // averaging, every line keeps a trace at least.
  Integer times = 1;
  if (source.Width() > 0 && source.Height() > 0) {
    const double shrink = std::max(double(source.Width()) / width, double(source.Height()) / height);
    times = std::clamp<Integer>(Integer(std::ceil(shrink)), 1, 3);
    while (times > 1 && std::max(width, height) * times > MaxRenderSide)
      --times;
  }
  QImage image(width * times, height * times, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (!FImpl->Painter && source.Width() > 0 && source.Height() > 0) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(double(width) * times / source.Width(), double(height) * times / source.Height());
    p.translate(-source.Left, -source.Top);
    // Pictures laid side by side (a tiled background) are each rounded to whole pixels when
    // played scaled; under a clip of a plain rectangle the toolkit rounds their widths on
    // their own, and a seam of the ground shows where two meet. Under a clip of two parts each
    // edge is rounded where it lies, so neighbours meet. (The second part leaves out the
    // paper's last column on the right, which no printer prints on.)
    const int half = source.Height() / 2;
    QRegion area(QRect(source.Left, source.Top, source.Width(), half));
    area += QRect(source.Left, source.Top + half, std::max(source.Width() - 1, 1), source.Height() - half);
    p.setClipRegion(area);
    FImpl->Picture.play(&p);
  }
  if (times > 1)
    image = image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return std::make_unique<TBitmap>(QImageToBitmap(image));
}
