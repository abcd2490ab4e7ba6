// TMetaFilePrinter behaves like a printer but records every page for a print preview,
// measured against the program's printer (resolution, paper and its unprintable edges).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/Classes.h"
#include "platform/Printers.h"

using TPageEvent = std::function<void(TObject* Sender, int32_t NumPage, bool& StopPrinting)>;

enum class TUnits : uint8_t { unInches, unCentimeters };
using enum TUnits;

class TMetaFilePrinter : public TComponent {
public:
  TMetaFilePrinter();
  ~TMetaFilePrinter() override;

  bool Printing() const { return FPrinting; }
  // Drops the pages of an earlier run, takes the printer's metrics and starts the first
  // page. Exception "Printer not available" when the printer reports no page.
  void BeginDoc();
  // Ends the current page and starts another, white all over.
  void NewPage();
  // Ends the run; a last page nobody drew on is dropped.
  void EndDoc();
  // The current page's canvas; asking for it counts the page as used.
  TCanvas& Canvas();
  // The same canvas for measuring and setting up; asking for it leaves the page unused.
  TCanvas& LayoutCanvas();

  int32_t PageCount() const { return static_cast<int32_t>(FPages.size()); }
  // Page I (0-based) of the last run.
  const TRecordedPage& MetaFile(int32_t I) const { return *FPages.at(static_cast<size_t>(I)); }

  // The printer's metrics, in its device pixels.
  int32_t PixelsPerInchX = 0, PixelsPerInchY = 0;
  int32_t PhysicalWidth = 0, PhysicalHeight = 0;
  int32_t PhysicalOffsetX = 0, PhysicalOffsetY = 0;
  int32_t PageHeight = 0, PageWidth = 0;
  int32_t GetDeviceCaps(int Index) const;

  TUnits Units() const { return FUnits; }
  void SetUnits(TUnits Value);
  double UnitsFactor() const { return FUnitsFactor; }

  TPageEvent OnPageEvent;

private:
  bool FPrinting = false;
  bool FPageUsed = false;
  std::vector<std::unique_ptr<TRecordedPage>> FPages;
  TRecordedPage* FCurrent = nullptr;
  TUnits FUnits = unInches;
  double FUnitsFactor = 1.0;
};
