#include "html/MetaFilePrinter.h"

#include "platform/SysSettings.h"

TMetaFilePrinter::TMetaFilePrinter() = default;

TMetaFilePrinter::~TMetaFilePrinter()
{
  if (FCurrent)
    FCurrent->EndRecording();
}

void TMetaFilePrinter::SetUnits(TUnits Value)
{
  FUnits = Value;
  FUnitsFactor = Value == unCentimeters ? 2.54 : 1.0;
}

int32_t TMetaFilePrinter::GetDeviceCaps(int Index) const
{
  switch (Index) {
  case HORZRES: return PageWidth;
  case VERTRES: return PageHeight;
  case PHYSICALWIDTH: return PhysicalWidth;
  case PHYSICALHEIGHT: return PhysicalHeight;
  case PHYSICALOFFSETX: return PhysicalOffsetX;
  case PHYSICALOFFSETY: return PhysicalOffsetY;
  case LOGPIXELSX: return PixelsPerInchX;
  case LOGPIXELSY: return PixelsPerInchY;
  default: return 0;
  }
}

void TMetaFilePrinter::BeginDoc()
{
  // A page still being recorded is closed before the pages go.
  if (FCurrent)
    FCurrent->EndRecording();
  FCurrent = nullptr;
  FPages.clear();
  FPrinting = false;
  const TPrinter& printer = Printer();
  PixelsPerInchX = printer.GetDeviceCaps(LOGPIXELSX);
  PixelsPerInchY = printer.GetDeviceCaps(LOGPIXELSY);
  PhysicalWidth = printer.GetDeviceCaps(PHYSICALWIDTH);
  PhysicalHeight = printer.GetDeviceCaps(PHYSICALHEIGHT);
  PhysicalOffsetX = printer.GetDeviceCaps(PHYSICALOFFSETX);
  PhysicalOffsetY = printer.GetDeviceCaps(PHYSICALOFFSETY);
  PageHeight = printer.PageHeight();
  PageWidth = printer.PageWidth();
  if (PixelsPerInchX < 1 || PixelsPerInchY < 1 || PageWidth < 1 || PageHeight < 1 || PhysicalWidth < 1
      || PhysicalHeight < 1)
    throw Exception("Printer not available");
  FPrinting = true;
  NewPage();
}

void TMetaFilePrinter::NewPage()
{
  if (!FPrinting)
    throw EPrinter("Printer is not currently printing");
  if (FCurrent)
    FCurrent->EndRecording();
  FPages.push_back(std::make_unique<TRecordedPage>());
  FCurrent = FPages.back().get();
  // The page is recorded in the printer's printable-area pixels, as a printer draws.
  TCanvas& c = FCurrent->BeginRecording(PageWidth, PageHeight, PixelsPerInchY);
  c.Brush().SetColor(clWhite);
  c.Brush().SetStyle(bsSolid);
  c.Pen().SetColor(clWhite);
  c.Pen().SetStyle(psSolid);
  c.Rectangle(0, 0, PhysicalWidth, PhysicalHeight);
  c.Font().SetPixelsPerInch(ScreenPixelsPerInch());
  c.Font().SetName("Arial");
  c.Font().SetSize(10);
  c.Brush().SetStyle(bsClear);
  FPageUsed = false;
  bool stop = false;
  if (OnPageEvent)
    OnPageEvent(this, PageCount(), stop);
}

TCanvas& TMetaFilePrinter::Canvas()
{
  if (!FCurrent)
    throw EPrinter("Printer is not currently printing");
  FPageUsed = true;
  return FCurrent->Canvas();
}

TCanvas& TMetaFilePrinter::LayoutCanvas()
{
  if (!FCurrent)
    throw EPrinter("Printer is not currently printing");
  return FCurrent->Canvas();
}

void TMetaFilePrinter::EndDoc()
{
  FPrinting = false;
  if (FCurrent) {
    FCurrent->EndRecording();
    FCurrent = nullptr;
    if (!FPageUsed && !FPages.empty())
      FPages.pop_back();
  }
}
