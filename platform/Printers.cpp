#include "platform/Printers.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cups/cups.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// The queue's own options chosen in the print dialog's properties, as name-value pairs under
// the toolkit's CUPS options key (an engine without them answers nothing).
constexpr auto CupsOptionsKey = static_cast<QPrintEngine::PrintEnginePropertyKey>(0xfe00);

constexpr Integer PrinterRasterCaps = RC_BITBLT | RC_BITMAP64 | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;

// The job's PDF on its way to the file: every write goes straight to the file (which is
// opened unbuffered), and the cause of the first that fails is kept (the file's own error
// state is cleared by the writes that follow).
class TCheckedOutput : public QIODevice {
public:
  explicit TCheckedOutput(QFileDevice& file) : File(file) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
  QString Failure;

protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 length) override
  {
    if (!Failure.isEmpty())
      return -1;
    for (qint64 done = 0; done < length;) {
      errno = 0;
      const qint64 written = File.write(data + done, length - done);
      if (written <= 0) {
        const int cause = errno;
        Failure = cause != 0 ? QString::fromLocal8Bit(std::strerror(cause)) : File.errorString();
        return -1;
      }
      done += written;
    }
    return length;
  }

private:
  QFileDevice& File;
};

}   // namespace

struct TPrinterImpl : public TPrinterDC {
  explicit TPrinterImpl(TPrinter& owner) : Owner(owner)
  {
    EnsureGuiApplication();
    Device = std::make_unique<QPrinter>(QPrinter::HighResolution);
    TakeQueuePaper();
  }

  // A queue prints on its own paper until the user chooses another: pages laid out on any
  // other would not be the pages printed.
  void TakeQueuePaper()
  {
    if (Device->outputFormat() != QPrinter::NativeFormat || Device->printerName().isEmpty())
      return;
    const QPageSize paper = QPrinterInfo::printerInfo(Device->printerName()).defaultPageSize();
    if (paper.isValid())
      Device->setPageSize(paper);
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
    PageCanvas =
        std::make_unique<TCanvas>(CreatePainterDevice(*Painter, {0, 0, Caps(HORZRES), Caps(VERTRES)}, Caps(LOGPIXELSX),
                                                      true, Device->colorMode() == QPrinter::GrayScale));
    PageCanvas->Font().SetPixelsPerInch(Caps(LOGPIXELSY));
  }

  // Ends the painting; false when the device did not take all of it.
  bool Close()
  {
    PageCanvas.reset();
    bool ended = true;
    if (Painter) {
      if (Painter->isActive())
        ended = Painter->end();
      Painter.reset();
    }
    Writer.reset();
    return ended;
  }

  // Every job is drawn into a PDF file of the program's own, checked as it is written. A
  // spooler's job goes into a temporary file handed to the spooler only when it is complete:
  // a job cancelled or cut short never reaches the queue. A PDF the user named is written
  // beside it and takes its name only once written whole: a failed job leaves the old file.
  // A file that cannot be made is told as every failed write of the job is: the printer is
  // fine, the document cannot be finished there.
  void OpenJobFile(const QString& userFile)
  {
    constexpr auto mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (userFile.isEmpty()) {
      auto temp = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/orrelo-job-XXXXXX.pdf");
      if (!static_cast<QFile&>(*temp).open(mode))
        throw EPrinter(WriteError(NotFinished, temp->fileName().isEmpty() ? QDir::tempPath() : temp->fileName(),
                                  temp->errorString()));
      JobFile = std::move(temp);
    } else {
      // A device or a pipe under the name is not replaced by a file, nor written to: the
      // PDF would take the place of /dev/null, a terminal or a pipe another program reads.
      struct stat st;
      if (::stat(QFile::encodeName(userFile).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw EPrinter(WriteError(NotFinished, userFile, S_ISDIR(st.st_mode) ? "Is a directory" : "Not a file"));
      auto save = std::make_unique<QSaveFile>(userFile);
      if (!save->open(mode))
        throw EPrinter(WriteError(NotFinished, userFile, save->errorString()));
      JobFile = std::move(save);
    }
    Output = std::make_unique<TCheckedOutput>(*JobFile);
    Writer = std::make_unique<QPdfWriter>(Output.get());
    Writer->setResolution(Device->resolution());
    Writer->setPageLayout(Device->pageLayout());
    Writer->setTitle(Device->docName());
    Writer->setCreator(Device->creator());
  }

  // Completes the job's file; the error of the first write that failed, or "" when all of it
  // is on the disk (a file named by the user then has its name).
  std::string FinishJobFile()
  {
    if (!JobFile)
      return {};
    const QString name = FileName();
    QString failure = Output ? Output->Failure : QString();
    if (failure.isEmpty()) {
      if (auto* save = qobject_cast<QSaveFile*>(JobFile.get())) {
        if (save->commit())
          return {};
      } else {
        JobFile->close();
        if (JobFile->error() == QFileDevice::NoError)
          return {};
      }
      failure = JobFile->errorString();
    }
    return WriteError(NotFinished, name, failure);
  }

  // Drops the job's file: a temporary one is removed, a file of the user's left as it was.
  void DropJobFile()
  {
    Writer.reset();
    Output.reset();
    if (auto* save = qobject_cast<QSaveFile*>(JobFile.get()))
      save->cancelWriting();
    JobFile.reset();
  }

  // The file the job's PDF is for: the user's, or the temporary one.
  QString FileName() const
  {
    if (auto* save = qobject_cast<QSaveFile*>(JobFile.get()))
      return save->fileName();
    return JobFile ? JobFile->fileName() : QString();
  }

  static constexpr const char* NotFinished = "The printer could not finish the document";
  // The printer's error followed by the file and why it could not be written.
  static std::string WriteError(const char* error, const QString& file, const QString& cause)
  {
    return std::string(error) + ": " + QDir::toNativeSeparators(file).toStdString() + ": " + cause.toStdString();
  }

  // Hands the finished job's file to the spooler with the paper and the choices made for it
  // (copies, sides, the queue's own options from the print dialog). The printer's error, with
  // the queue and the spooler's reason, when the spooler refused it; "" when it took the job.
  std::string SubmitJob()
  {
    const QPageLayout layout = Device->pageLayout();
    std::vector<std::pair<QByteArray, QByteArray>> options;
    options.emplace_back("media", layout.pageSize().key().toUtf8());
    const int copies = std::max(Device->copyCount(), 1);
    if (copies > 1) {
      options.emplace_back("copies", QByteArray::number(copies));
      if (Device->collateCopies())
        options.emplace_back("Collate", "True");
    }
    switch (Device->duplex()) {
    case QPrinter::DuplexNone: options.emplace_back("sides", "one-sided"); break;
    case QPrinter::DuplexAuto:
      options.emplace_back("sides", layout.orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                                  : "two-sided-short-edge");
      break;
    case QPrinter::DuplexLongSide: options.emplace_back("sides", "two-sided-long-edge"); break;
    case QPrinter::DuplexShortSide: options.emplace_back("sides", "two-sided-short-edge"); break;
    }
    // The file's pages are already turned as chosen: the spooler is told nothing about
    // orientation, which would turn them again.
    if (Device->colorMode() == QPrinter::GrayScale)
      options.emplace_back("print-color-mode", "monochrome");
    if (QPrintEngine* engine = Device->printEngine()) {
      const QStringList chosen = engine->property(CupsOptionsKey).toStringList();
      for (qsizetype i = 0; i + 1 < chosen.size(); i += 2) {
        // The pages named in the dialog are the pages the program drew: a range passed on
        // would pick pages of the job a second time.
        if (chosen[i] == QLatin1String("page-ranges"))
          continue;
        options.emplace_back(chosen[i].toUtf8(), chosen[i + 1].toUtf8());
      }
    }
    std::vector<cups_option_t> list;
    list.reserve(options.size());
    for (auto& [name, value] : options)
      list.push_back({name.data(), value.data()});
    const QByteArray printer = Device->printerName().toUtf8();
    const QByteArray file = QFile::encodeName(JobFile->fileName());
    const QByteArray title = Device->docName().toUtf8();
    if (cupsPrintFile(printer.constData(), file.constData(), title.constData(), static_cast<int>(list.size()),
                      list.data())
        > 0)
      return {};
    const char* reason = cupsLastErrorString();
    return std::string(NotFinished) + ": " + Device->printerName().toStdString()
           + (reason && *reason ? std::string(": ") + reason : std::string());
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
    printer.FImpl->QueueGone = false;
    std::vector<std::string> names = PrinterNames();
    auto it = std::find(names.begin(), names.end(), device.printerName().toStdString());
    printer.FPrinterIndex = it == names.end() ? -1 : static_cast<Integer>(it - names.begin());
  }

  TPrinter& Owner;
  // The printer's settings, which the print dialog changes.
  std::unique_ptr<QPrinter> Device;
  // The job in progress: its file and what draws into it.
  std::unique_ptr<QFileDevice> JobFile;
  std::unique_ptr<TCheckedOutput> Output;
  std::unique_ptr<QPdfWriter> Writer;
  std::unique_ptr<QPainter> Painter;
  std::unique_ptr<TCanvas> PageCanvas;
  // Set when the settings taken from another printer named a queue the spooler no longer
  // has: the device fell back to the default queue, where the job must not go unasked.
  bool QueueGone = false;
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
  FImpl->QueueGone = false;
  QString name = index < 0 ? QPrinterInfo::defaultPrinterName() : ToQ(names[static_cast<size_t>(index)]);
  if (FOutputFileName.empty() && name != FImpl->Device->printerName()) {
    FImpl->Device->setPrinterName(name);
    FImpl->TakeQueuePaper();
  }
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

bool TPrinter::Greys() const { return FImpl->Device->colorMode() == QPrinter::GrayScale; }

void TPrinter::SetGreys(bool greys)
{
  if (FPrinting)
    throw EPrinter("Printing in progress");
  FImpl->Device->setColorMode(greys ? QPrinter::GrayScale : QPrinter::Color);
}

std::string TPrinter::Paper() const { return FImpl->Device->pageLayout().pageSize().key().toStdString(); }

void TPrinter::SetPaper(const std::string& name)
{
  if (FPrinting)
    throw EPrinter("Printing in progress");
  const QString key = ToQ(name);
  for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
    const QPageSize size(static_cast<QPageSize::PageSizeId>(id));
    if (size.isValid() && size.key().compare(key, Qt::CaseInsensitive) == 0) {
      FImpl->Device->setPageSize(size);
      return;
    }
  }
  throw EPrinter("Paper size not supported");
}

void TPrinter::UseQueuePaper()
{
  if (FPrinting)
    throw EPrinter("Printing in progress");
  FImpl->TakeQueuePaper();
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
  if (FOutputFileName.empty() && FImpl->QueueGone)
    throw EPrinter("Printer selected is not valid");
  // The spooler shows at most 31 characters of the job's name (characters, not bytes: a
  // cut inside one would leave half a character).
  QString docName = ToQ(Title);
  qsizetype keep = std::min<qsizetype>(31, docName.size());
  if (keep < docName.size() && keep > 0 && docName.at(keep - 1).isHighSurrogate())
    --keep;
  device.setDocName(docName.left(keep));
  FImpl->OpenJobFile(FOutputFileName.empty() ? QString() : ToQ(FOutputFileName));
  FImpl->Painter = std::make_unique<QPainter>();
  if (!FImpl->Painter->begin(FImpl->Writer.get())) {
    FImpl->Painter.reset();
    FImpl->DropJobFile();
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
  FImpl->Writer->newPage();
  ++FPageNumber;
  FImpl->OpenPageCanvas();
}

void TPrinter::EndDoc()
{
  CheckPrinting();
  // The document is complete only when the device took all of it: every byte of the PDF
  // written, and a spooler's job handed to the spooler.
  std::string error;
  if (!FImpl->Close())
    error = TPrinterImpl::NotFinished;
  else if (std::string failed = FImpl->FinishJobFile(); !failed.empty())
    error = std::move(failed);
  else if (FOutputFileName.empty())
    error = FImpl->SubmitJob();
  FImpl->DropJobFile();
  FPrinting = false;
  FAborted = false;
  FPageNumber = 0;
  if (!error.empty())
    throw EPrinter(error);
}

void TPrinter::Abort()
{
  CheckPrinting();
  FImpl->Close();
  // Nothing of the job reaches the spooler, and a PDF file the user named stays as it was.
  FImpl->DropJobFile();
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
  FImpl->QueueGone = false;
  if (FOutputFileName.empty()) {
    to.setOutputFileName(QString());
    to.setOutputFormat(QPrinter::NativeFormat);
    to.setPrinterName(from.printerName());
    FImpl->QueueGone = to.printerName() != from.printerName();
  } else {
    to.setOutputFormat(QPrinter::PdfFormat);
    to.setOutputFileName(ToQ(FOutputFileName));
  }
  to.setResolution(from.resolution());
  to.setPageLayout(from.pageLayout());
  to.setCopyCount(from.copyCount());
  to.setColorMode(from.colorMode());
  to.setCollateCopies(from.collateCopies());
  to.setDuplex(from.duplex());
  // The queue's own options chosen in the print dialog go with the job too.
  QPrintEngine* fromEngine = const_cast<QPrinter&>(from).printEngine();
  if (QPrintEngine* toEngine = to.printEngine(); fromEngine && toEngine && FOutputFileName.empty())
    toEngine->setProperty(CupsOptionsKey, fromEngine->property(CupsOptionsKey));
}
