#include "html/ViewerPrinter.h"

#include "platform/Application.h"

TvwPrinter::TvwPrinter() : FPrinter(std::make_unique<TPrinter>()) { FPrinter->AssignSettings(Printer()); }

TvwPrinter::~TvwPrinter()
{
  // A job still running is ended, so what was printed is not lost.
  if (FPrinter->Printing())
    GuardedCall([&] { FPrinter->EndDoc(); });
}

void TvwPrinter::BeginDoc()
{
  if (FPrinter->Printing())
    throw EPrinter("Printing in progress");
  // The printer cuts the name to the 31 characters the spooler shows, between characters.
  FPrinter->Title = Title;
  FAborted = false;
  // Printing turns true only once the job has really started.
  FPrinter->BeginDoc();
}

void TvwPrinter::NewPage() { FPrinter->NewPage(); }

void TvwPrinter::EndDoc()
{
  FPrinter->EndDoc();
  FAborted = false;
}

void TvwPrinter::Abort()
{
  FPrinter->Abort();
  FAborted = true;
}

TCanvas& TvwPrinter::Canvas() { return FPrinter->Canvas(); }

namespace {
std::unique_ptr<TvwPrinter>& CurrentPrinter()
{
  // The process's current printer: one for the process, as the system's selected printer
  // is. Kept past the end of main: the toolkit's printer must not be freed after the toolkit.
  // NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables,orrelo-static-local-state): one per process
  static auto* printer = new std::unique_ptr<TvwPrinter>();
  return *printer;
}
}   // namespace

TvwPrinter& vwPrinter()
{
  auto& p = CurrentPrinter();
  if (!p)
    p = std::make_unique<TvwPrinter>();
  return *p;
}

std::unique_ptr<TvwPrinter> vwSetPrinter(std::unique_ptr<TvwPrinter> Printer)
{
  std::unique_ptr<TvwPrinter> old = std::move(CurrentPrinter());
  CurrentPrinter() = std::move(Printer);
  return old;
}
