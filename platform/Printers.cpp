#include "platform/Printers.h"

#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <utility>

#include "platform/Application.h"
#include "platform/CanvasQt.h"
#include "platform/Fonts.h"

// ---------------------------------------------------------------------------------------
// TPrinterDC

bool TPrinterDC::StretchPicture(const TRect& dest, const TBitmap& picture)
{
  if (picture.Empty())
    return false;
  return Canvas().StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), picture, 0, 0, picture.Width(),
                             picture.Height(), SRCCOPY);
}

bool TPrinterDC::BltPicture(Integer x, Integer y, const TBitmap& picture)
{
  if (picture.Empty())
    return false;
  // The device's own format: plain 24-bit colour.
  TBitmap device(picture);
  device.SetPixelFormat(TPixelFormat::pf24bit);
  return Canvas().BitBlt(x, y, device.Width(), device.Height(), device, 0, 0, SRCCOPY);
}

const TPalette* TPrinterDC::SelectPalette(const TPalette* palette, bool)
{
  const TPalette* old = FPalette;
  FPalette = palette;
  return old;
}

// ---------------------------------------------------------------------------------------
// TPrinter

namespace {

QString ToQ(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

constexpr Integer PrinterRasterCaps = RC_BITBLT | RC_BITMAP64 | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;

}   // namespace

struct TPrinterImpl : public TPrinterDC {
  explicit TPrinterImpl(TPrinter& owner) : Owner(owner)
  {
    EnsureGuiApplication();
    Device = std::make_unique<QPrinter>(QPrinter::HighResolution);
  }

  TCanvas& Canvas() override
  {
    Owner.CheckPrinting();
    return *PageCanvas;
  }

  Integer GetDeviceCaps(int index) override { return Caps(index); }

  void Flush() override {}

  Integer Caps(int index) const
  {
    QPageLayout layout = Device->pageLayout();
    int dpi = Device->resolution();
    QRect full = layout.fullRectPixels(dpi);
    QRect paint = layout.paintRectPixels(dpi);
    switch (index) {
    case HORZRES: return paint.width();
    case VERTRES: return paint.height();
    case PHYSICALWIDTH: return full.width();
    case PHYSICALHEIGHT: return full.height();
    case PHYSICALOFFSETX: return paint.left() - full.left();
    case PHYSICALOFFSETY: return paint.top() - full.top();
    case LOGPIXELSX:
    case LOGPIXELSY: return dpi;
    case BITSPIXEL: return 24;
    case PLANES: return 1;
    case RASTERCAPS: return PrinterRasterCaps;
    default: return 0;
    }
  }

  void OpenPageCanvas()
  {
    PageCanvas = std::make_unique<TCanvas>(
        CreatePainterDevice(*Painter, {0, 0, Caps(HORZRES), Caps(VERTRES)}, Caps(LOGPIXELSX), true));
    PageCanvas->Font().SetPixelsPerInch(Caps(LOGPIXELSY));
  }

  void Close()
  {
    PageCanvas.reset();
    if (Painter) {
      if (Painter->isActive())
        Painter->end();
      Painter.reset();
    }
  }

  static TPrinterImpl& Of(TPrinter& printer) { return *printer.FImpl; }

  static void TakeSettings(TPrinter& printer)
  {
    QPrinter& device = *printer.FImpl->Device;
    if (device.outputFormat() == QPrinter::PdfFormat && !device.outputFileName().isEmpty()) {
      printer.FOutputFileName = device.outputFileName().toStdString();
      return;
    }
    printer.FOutputFileName.clear();
    std::vector<std::string> names = PrinterNames();
    auto it = std::find(names.begin(), names.end(), device.printerName().toStdString());
    printer.FPrinterIndex = it == names.end() ? -1 : static_cast<Integer>(it - names.begin());
  }

  TPrinter& Owner;
  std::unique_ptr<QPrinter> Device;
  std::unique_ptr<QPainter> Painter;
  std::unique_ptr<TCanvas> PageCanvas;
};

TPrinter::TPrinter() : FImpl(std::make_unique<TPrinterImpl>(*this)) {}

TPrinter::~TPrinter()
{
  // A job still running is ended, so what was printed is not lost.
  if (FPrinting)
    GuardedCall([&] { EndDoc(); });
  FImpl->Close();
}

std::vector<std::string> PrinterNames()
{
  EnsureGuiApplication();
  std::vector<std::string> names;
  for (const QString& n : QPrinterInfo::availablePrinterNames())
    names.push_back(n.toStdString());
  return names;
}

std::vector<std::string> TPrinter::Printers() const { return PrinterNames(); }

void TPrinter::SetPrinterIndex(Integer index)
{
  std::vector<std::string> names = PrinterNames();
  if (index < -1 || index >= static_cast<Integer>(names.size()))
    throw EPrinter("Printer index out of range");
  if (FPrinting)
    throw EPrinter("Printing in progress");
  FPrinterIndex = index;
  QString name = index < 0 ? QPrinterInfo::defaultPrinterName() : ToQ(names[static_cast<size_t>(index)]);
  if (FOutputFileName.empty())
    FImpl->Device->setPrinterName(name);
}

void TPrinter::SetOutputFileName(const std::string& fileName)
{
  if (FPrinting)
    throw EPrinter("Printing in progress");
  FOutputFileName = fileName;
  if (fileName.empty()) {
    FImpl->Device->setOutputFileName(QString());
    FImpl->Device->setOutputFormat(QPrinter::NativeFormat);
  } else {
    FImpl->Device->setOutputFormat(QPrinter::PdfFormat);
    FImpl->Device->setOutputFileName(ToQ(fileName));
  }
}

Integer TPrinter::Resolution() const { return FImpl->Device->resolution(); }

void TPrinter::SetResolution(Integer dpi)
{
  if (FPrinting)
    throw EPrinter("Printing in progress");
  FImpl->Device->setResolution(std::clamp<Integer>(dpi, 1, 4800));
}

bool TPrinter::Landscape() const { return FImpl->Device->pageLayout().orientation() == QPageLayout::Landscape; }

void TPrinter::SetLandscape(bool landscape)
{
  if (FPrinting)
    throw EPrinter("Printing in progress");
  FImpl->Device->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

Integer TPrinter::PageWidth() const { return FImpl->Caps(HORZRES); }
Integer TPrinter::PageHeight() const { return FImpl->Caps(VERTRES); }
Integer TPrinter::GetDeviceCaps(int index) const { return FImpl->Caps(index); }

void TPrinter::CheckPrinting() const
{
  if (!FPrinting)
    throw EPrinter("Printer is not currently printing");
}

void TPrinter::BeginDoc()
{
  if (FPrinting)
    throw EPrinter("Printing in progress");
  QPrinter& device = *FImpl->Device;
  if (FOutputFileName.empty() && device.printerName().isEmpty()) {
    QString name = QPrinterInfo::defaultPrinterName();
    if (name.isEmpty())
      throw EPrinter("There is no default printer currently selected");
    device.setPrinterName(name);
  }
  // The spooler shows at most 31 characters of the job's name (characters, not bytes: a
  // cut inside one would leave half a character).
  QString docName = ToQ(Title);
  qsizetype keep = std::min<qsizetype>(31, docName.size());
  if (keep < docName.size() && keep > 0 && docName.at(keep - 1).isHighSurrogate())
    --keep;
  device.setDocName(docName.left(keep));
  FImpl->Painter = std::make_unique<QPainter>();
  if (!FImpl->Painter->begin(&device)) {
    FImpl->Painter.reset();
    throw EPrinter("Printer selected is not valid");
  }
  FPrinting = true;
  FAborted = false;
  FPageNumber = 1;
  FImpl->OpenPageCanvas();
}

void TPrinter::NewPage()
{
  CheckPrinting();
  FImpl->PageCanvas.reset();
  FImpl->Device->newPage();
  ++FPageNumber;
  FImpl->OpenPageCanvas();
}

void TPrinter::EndDoc()
{
  CheckPrinting();
  // The document is complete only when the device took all of it (a PDF file written to
  // the end, the job handed to the spooler).
  FImpl->PageCanvas.reset();
  const bool ended = !FImpl->Painter || FImpl->Painter->end();
  FImpl->Close();
  FPrinting = false;
  FAborted = false;
  FPageNumber = 0;
  if (!ended)
    throw EPrinter("The printer could not finish the document");
}

void TPrinter::Abort()
{
  CheckPrinting();
  FImpl->Device->abort();
  FImpl->Close();
  // A PDF writer has no spooler to drop the job: remove the partial file.
  if (!FOutputFileName.empty())
    QFile::remove(ToQ(FOutputFileName));
  FAborted = true;
  FPrinting = false;
  FPageNumber = 0;
}

TCanvas& TPrinter::Canvas() { return FImpl->Canvas(); }

TPrinterDC* TPrinter::Handle() { return FImpl.get(); }

QPrinter& PrinterDevice(TPrinter& printer) { return *TPrinterImpl::Of(printer).Device; }

void PrinterSettingsChanged(TPrinter& printer) { TPrinterImpl::TakeSettings(printer); }

// ---------------------------------------------------------------------------------------
// The application's printer

namespace {

// The application holds its printer, and frees it before the toolkit goes.
struct TApplicationPrinter : TApplicationState {
  std::unique_ptr<TPrinter> Printer;
};

TApplicationPrinter& ApplicationPrinter()
{
  TApplicationPrinter* state = ApplicationState<TApplicationPrinter>();
  if (!state)
    throw EPrinter("There is no application to print for");
  return *state;
}

}   // namespace

TPrinter& Printer()
{
  auto& p = ApplicationPrinter().Printer;
  if (!p)
    p = std::make_unique<TPrinter>();
  return *p;
}

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer)
{
  return std::exchange(ApplicationPrinter().Printer, std::move(printer));
}

void TPrinter::AssignSettings(const TPrinter& source)
{
  if (FPrinting)
    throw EPrinter("Printing in progress");
  QPrinter& to = *FImpl->Device;
  const QPrinter& from = *source.FImpl->Device;
  FPrinterIndex = source.FPrinterIndex;
  FOutputFileName = source.FOutputFileName;
  if (FOutputFileName.empty()) {
    to.setOutputFileName(QString());
    to.setOutputFormat(QPrinter::NativeFormat);
    to.setPrinterName(from.printerName());
  } else {
    to.setOutputFormat(QPrinter::PdfFormat);
    to.setOutputFileName(ToQ(FOutputFileName));
  }
  to.setResolution(from.resolution());
  to.setPageLayout(from.pageLayout());
  to.setCopyCount(from.copyCount());
  to.setColorMode(from.colorMode());
}
