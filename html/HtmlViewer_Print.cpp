// The viewer's printing: the document laid out again on a copy at the printer's
// resolution, cut into pages where the document says a page ends, with the margins blanked
// and the host's header and footer on every page; either printed on a fresh viewer printer
// or recorded page by page for a preview.
#include <algorithm>
#include <memory>

#include "html/HtmlViewer.h"
#include "html/MetaFilePrinter.h"
#include "html/ViewerPrinter.h"
#include "platform/Application.h"
#include "platform/CodePages.h"
#include "platform/Forms.h"
#include "platform/Printers.h"

namespace {

// While pages are made the program handles its messages, but the copy being printed shares
// the viewer's pictures: so the user's input waits (the windows are disabled) until the run
// is over.
class TInputBlock {
public:
  TInputBlock()
  {
    for (int i = 0; i < Screen().FormCount(); ++i) {
      TCustomForm* f = Screen().Forms(i);
      if (f->Visible() && f->Enabled()) {
        f->SetEnabled(false);
        FDisabled.push_back(f);
      }
    }
  }
  ~TInputBlock()
  {
    for (TCustomForm* f : FDisabled)
      f->SetEnabled(true);
  }
  TInputBlock(const TInputBlock&) = delete;
  TInputBlock& operator=(const TInputBlock&) = delete;

private:
  std::vector<TCustomForm*> FDisabled;
};

void HandlePending()
{
  if (Application)
    Application->ProcessMessages();
}

// The printer of a Print run.
struct TPrinterTarget {
  TvwPrinter& Prn;
  static constexpr bool Preview = false;
  TCanvas& Canvas() { return Prn.Canvas(); }
  TCanvas& LayoutCanvas() { return Prn.Canvas(); }
  int32_t Caps(int Index) { return Prn.GetDeviceCaps(Index); }
  void NewPage() { Prn.NewPage(); }
};

// The metafile printer of a preview run.
struct TPreviewTarget {
  TMetaFilePrinter& MF;
  static constexpr bool Preview = true;
  TCanvas& Canvas() { return MF.Canvas(); }
  // Laying the document out draws nothing: a run stopped before its first page leaves no
  // blank page behind.
  TCanvas& LayoutCanvas() { return MF.LayoutCanvas(); }
  int32_t Caps(int Index) { return MF.GetDeviceCaps(Index); }
  void NewPage() { MF.NewPage(); }
};

void SetPrintMapping(TCanvas& C, int32_t U, int32_t LogX, int32_t LogY)
{
  C.SetMapMode(MM_ANISOTROPIC);
  C.SetWindowExtEx(U, U);
  C.SetViewportExtEx(LogX, LogY);
  C.SetWindowOrgEx(0, 0);
}

}   // namespace

template <class TDest>
void THTMLViewer::PrintRun(TDest& Dest, int32_t FromPage, int32_t ToPage)
{
  bool stop = false;
  // Layout: the document as on the screen, scaled by PrintScale.
  const int32_t U = std::max(Round(ScreenPixelsPerInch() * PrintScale), 1);
  const int32_t logX = std::max(Dest.Caps(LOGPIXELSX), 1), logY = std::max(Dest.Caps(LOGPIXELSY), 1);
  const int32_t pageW = Dest.Caps(HORZRES), pageH = Dest.Caps(VERTRES);
  // Unprintable edges.
  const int32_t leftEdge = Dest.Caps(PHYSICALOFFSETX), topEdge = Dest.Caps(PHYSICALOFFSETY);
  const int32_t rightEdge = std::max(Dest.Caps(PHYSICALWIDTH) - pageW - leftEdge, 0);
  const int32_t bottomEdge = std::max(Dest.Caps(PHYSICALHEIGHT) - pageH - topEdge, 0);
  // Margins from the printable area; a margin inside the unprintable edge is no margin.
  auto margin = [](double cm, int32_t log, int32_t edge) { return std::max(SafeTrunc(cm / 2.54 * log) - edge, 0); };
  const int32_t left = margin(PrintMarginLeft, logX, leftEdge), right = margin(PrintMarginRight, logX, rightEdge);
  const int32_t top = margin(PrintMarginTop, logY, topEdge), bottom = margin(PrintMarginBottom, logY, bottomEdge);
  const int32_t textW = pageW - (left + right), textH = pageH - (top + bottom);
  const int32_t L = MulDiv(left, U, logX), TW = MulDiv(textW, U, logX);
  const int32_t T = MulDiv(top, U, logY), TH = MulDiv(textH, U, logY);
  const int32_t PH = MulDiv(pageH, U, logY), PW = MulDiv(pageW, U, logX);
  // Margins that leave no room would make pages without end.
  if (textW <= 0 || textH <= 0 || TW <= 0 || TH <= 0)
    throw EPrinter("The margins leave no room to print on the page");

  std::unique_ptr<TSectionList> copy = std::make_unique<TSectionList>(*FSectionList);
  copy->SetYOffset(0);
  copy->Printing = true;
  copy->Background = clWhite;
  TFont savedFont;
  TPen savedPen;
  TBrush savedBrush;
  FPrintPage = 1;

  SetPrintMapping(Dest.LayoutCanvas(), U, logX, logY);
  int32_t sw = 0, curs = 0;
  const int32_t DH = copy->DoLogic(Dest.LayoutCanvas(), 0, TW, TH, sw, curs);

  TRegion textRgn(Rect(0, top - 1, textW + left + 2, top + textH + 2));
  TRegion pageRgn(Rect(0, 0, pageW, pageH));
  if constexpr (TDest::Preview)
    textRgn =
        TRegion(Rect(0, std::max(top - 1, 0), std::min(textW + left + 2, pageW), std::min(top + textH + 2, pageH)));

  HandlePending();
  if (OnPageEvent)
    OnPageEvent(this, FPrintPage, stop);

  // The last page laid out; none yet.
  int32_t laidOut = 0;
  int32_t Y = 0;
  while (!stop && (TDest::Preview || FPrintPage <= ToPage)) {
    TCanvas& C = Dest.Canvas();
    copy->SetYOffset(Y - T);
    SetPrintMapping(C, U, logX, logY);
    C.SelectClipRgn(&textRgn);
    const bool shown = TDest::Preview || FPrintPage >= FromPage;
    // A page before the range is drawn off the paper, only to learn where it ends.
    copy->Draw(C, Rect(L, T, L + TW, T + TH), TW, shown ? L : 3 * TW + L, 0, 0);
    int32_t next = copy->PageBottom;
    laidOut = FPrintPage;
    if (shown) {
      savedFont.Assign(C.Font());
      savedPen.Assign(C.Pen());
      savedBrush.Assign(C.Brush());
      if constexpr (!TDest::Preview)
        C.SelectClipRgn(nullptr);
      C.Brush().SetColor(clWhite);
      C.Brush().SetStyle(bsSolid);
      C.Pen().SetColor(clWhite);
      // Lines that belong to the next page must not show twice.
      C.FillRect(Rect(L, 0, L + TW + 1, T - 1));
      C.FillRect(Rect(L, next - Y + T, L + TW + 1, T + TH));
      C.Pen().Assign(savedPen);
      const uint32_t oldAlign = C.SetTextAlign(TA_TOP | TA_LEFT);
      if constexpr (TDest::Preview)
        C.SelectClipRgn(&pageRgn);
      if (OnPrintHeader) {
        C.SetWindowOrgEx(0, 0);
        OnPrintHeader(this, C, FPrintPage, PW, T, stop);
      }
      if (OnPrintFooter) {
        C.SetWindowOrgEx(0, -(T + TH));
        OnPrintFooter(this, C, FPrintPage, PW, PH - (T + TH), stop);
      }
      C.SetTextAlign(oldAlign);
      C.Font().Assign(savedFont);
      C.Pen().Assign(savedPen);
      C.Brush().Assign(savedBrush);
      if constexpr (TDest::Preview)
        C.SelectClipRgn(&textRgn);
    }
    // A page must move on, or the run would make pages without end.
    if (next <= Y)
      next = Y + TH;
    Y = next;
    HandlePending();
    if (OnPageEvent)
      OnPageEvent(this, FPrintPage, stop);
    // A document that ends at a page's bottom needs no further page.
    if (Y >= DH)
      break;
    if (!stop) {
      if (TDest::Preview || (FPrintPage >= FromPage && FPrintPage < ToPage))
        Dest.NewPage();
      if (!TDest::Preview && FPrintPage >= ToPage)
        break;
      ++FPrintPage;
    }
  }
  // Afterwards the counter names the last page laid out: 0 when the run was stopped before
  // its first page.
  FPrintPage = laidOut;
}

bool THTMLViewer::PrintRunMayStart()
{
  // A run started from inside a run's own events is refused before anything happens.
  if (FPrintRunning)
    return false;
  FPrintPage = 0;
  bool stop = false;
  if (OnPageEvent)
    OnPageEvent(this, 0, stop);
  // Stopped before it began, the run starts no job at all.
  if (stop || FProcessing || FSectionList->begin() == FSectionList->end())
    return false;
  return true;
}

// Loads, reloads, clears and further prints are refused while a run goes, however it ends.
struct THTMLViewer::TPrintRunFlags {
  explicit TPrintRunFlags(THTMLViewer& V) : Viewer(V) { Viewer.FProcessing = Viewer.FPrintRunning = true; }
  ~TPrintRunFlags() { Viewer.FProcessing = Viewer.FPrintRunning = false; }
  THTMLViewer& Viewer;
};

void THTMLViewer::Print(int32_t FromPage, int32_t ToPage)
{
  if (!PrintRunMayStart())
    return;
  FromPage = std::max(FromPage, 1);
  if (ToPage < FromPage)
    return;
  TPrintRunFlags running(*this);
  TInputBlock block;
  auto printer = std::make_unique<TvwPrinter>();
  TvwPrinter& prn = *printer;
  std::unique_ptr<TvwPrinter> previous = vwSetPrinter(std::move(printer));
  try {
    if (!FTitle.empty())
      prn.Title = WideToUtf8(FTitle);
    prn.BeginDoc();
    TPrinterTarget target{prn};
    PrintRun(target, FromPage, ToPage);
    if (FPrintPage < FromPage)
      prn.Abort();
    else
      prn.EndDoc();
  } catch (...) {
    // The job is dropped and everything the run changed is put back.
    if (prn.Printing())
      GuardedCall([&] { prn.Abort(); });
    vwSetPrinter(std::move(previous));
    throw;
  }
  vwSetPrinter(std::move(previous));
}

void THTMLViewer::PrintPreview(TMetaFilePrinter& MFPrinter)
{
  if (!PrintRunMayStart())
    return;
  TPrintRunFlags running(*this);
  TInputBlock block;
  try {
    MFPrinter.BeginDoc();
    TPreviewTarget target{MFPrinter};
    PrintRun(target, 1, 0);
    MFPrinter.EndDoc();
  } catch (...) {
    // No page is left open for recording.
    if (MFPrinter.Printing())
      GuardedCall([&] { MFPrinter.EndDoc(); });
    throw;
  }
}
