// The printers the viewer prints on. TvwPrinter runs one job on the system's selected
// printer (or the PDF file chosen for it), with its page metrics and the canvas of the
// current page. TMetaFilePrinter (html/MetaFilePrinter.h) records pages for a preview.
#pragma once

#include <memory>
#include <string>

#include "platform/Printers.h"

class TvwPrinter : public TObject {
public:
  // Takes the choice of printer, file, paper and resolution of the program's printer
  // (Printer(), which the print dialog sets).
  TvwPrinter();
  ~TvwPrinter() override;

  // The job's name (the spooler shows 31 characters of it).
  std::string Title;
  bool Printing() const { return FPrinter->Printing(); }
  bool Aborted() const { return FAborted; }
  // 1 after BeginDoc, one more for every NewPage, 0 after EndDoc.
  Integer PageNumber() const { return FPrinter->PageNumber(); }

  // EPrinter "Printing in progress" when a job runs; the printer's own error (for instance
  // "Printer selected is not valid") when the job cannot start, with Printing left false.
  void BeginDoc();
  // These three raise EPrinter "Printer is not currently printing" outside a job.
  void NewPage();
  void EndDoc();
  // Drops the job and ends it.
  void Abort();

  // The current page's canvas (EPrinter outside a job).
  TCanvas& Canvas();
  // Printable area and device capabilities (LOGPIXELSX, PHYSICALOFFSETX...).
  Integer PageWidth() const { return FPrinter->PageWidth(); }
  Integer PageHeight() const { return FPrinter->PageHeight(); }
  Integer GetDeviceCaps(int Index) const { return FPrinter->GetDeviceCaps(Index); }
  TPrinter& Device() { return *FPrinter; }

private:
  std::unique_ptr<TPrinter> FPrinter;
  bool FAborted = false;
};

// The current viewer printer, made on first request.
TvwPrinter& vwPrinter();
// Makes Printer the current one and gives back the one it replaces (nullptr when none had
// been made).
std::unique_ptr<TvwPrinter> vwSetPrinter(std::unique_ptr<TvwPrinter> Printer);
