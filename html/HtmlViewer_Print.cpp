// The viewer's printing: the document laid out again on a copy at the printer's
// resolution, cut into pages where the document says a page ends, with the margins blanked
// and the host's header and footer on every page; either printed on a fresh viewer printer
// or recorded page by page for a preview.
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "html/HtmlViewer.h"
#include "html/MetaFilePrinter.h"
#include "html/ViewerPrinter.h"
#include "platform/Application.h"
#include "platform/CodePages.h"
#include "platform/Forms.h"
#include "platform/Printers.h"

namespace {

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

// Where a run's pages lie: in the target's device pixels and in the document's units.
struct TPageGeometry {
  int32_t U = 1, LogX = 1, LogY = 1;
  int32_t PageW = 0, PageH = 0;                      // the printable area, device pixels
  int32_t Left = 0, Top = 0, TextW = 0, TextH = 0;   // the text area, device pixels
  int32_t L = 0, T = 0, TW = 0, TH = 0;              // the text area, document units
  int32_t PW = 0, PH = 0;                            // the printable area, document units
};

template <class TDest>
TPageGeometry MeasurePages(TDest& Dest, double Scale, double MarginLeft, double MarginRight, double MarginTop,
                           double MarginBottom)
{
  TPageGeometry g;
  // Layout: the document as on the screen, scaled by the print scale.
  g.U = std::max(Round(ScreenPixelsPerInch() * Scale), 1);
  g.LogX = std::max(Dest.Caps(LOGPIXELSX), 1);
  g.LogY = std::max(Dest.Caps(LOGPIXELSY), 1);
  g.PageW = Dest.Caps(HORZRES);
  g.PageH = Dest.Caps(VERTRES);
  // Unprintable edges.
  const int32_t leftEdge = Dest.Caps(PHYSICALOFFSETX), topEdge = Dest.Caps(PHYSICALOFFSETY);
  const int32_t rightEdge = std::max(Dest.Caps(PHYSICALWIDTH) - g.PageW - leftEdge, 0);
  const int32_t bottomEdge = std::max(Dest.Caps(PHYSICALHEIGHT) - g.PageH - topEdge, 0);
  // Margins from the printable area; a margin inside the unprintable edge is no margin.
  auto margin = [](double cm, int32_t log, int32_t edge) { return std::max(SafeTrunc(cm / 2.54 * log) - edge, 0); };
  g.Left = margin(MarginLeft, g.LogX, leftEdge);
  g.Top = margin(MarginTop, g.LogY, topEdge);
  g.TextW = g.PageW - (g.Left + margin(MarginRight, g.LogX, rightEdge));
  g.TextH = g.PageH - (g.Top + margin(MarginBottom, g.LogY, bottomEdge));
  g.L = MulDiv(g.Left, g.U, g.LogX);
  g.TW = MulDiv(g.TextW, g.U, g.LogX);
  g.T = MulDiv(g.Top, g.U, g.LogY);
  g.TH = MulDiv(g.TextH, g.U, g.LogY);
  g.PH = MulDiv(g.PageH, g.U, g.LogY);
  g.PW = MulDiv(g.PageW, g.U, g.LogX);
  // Margins that leave no room would make pages without end.
  if (g.TextW <= 0 || g.TextH <= 0 || g.TW <= 0 || g.TH <= 0)
    throw EPrinter("The margins leave no room to print on the page");
  return g;
}

void SetPrintMapping(TCanvas& C, const TPageGeometry& G)
{
  C.SetMapMode(MM_ANISOTROPIC);
  C.SetWindowExtEx(G.U, G.U);
  C.SetViewportExtEx(G.LogX, G.LogY);
  C.SetWindowOrgEx(0, 0);
}

// Where a page ends, and whether there is anything on it.
struct TPageCut {
  int32_t Next = 0;                                      // where the next page starts
  int32_t Limit = std::numeric_limits<int32_t>::max();   // the end to draw the page with
  bool Hang = false;   // pictures floated from the page's lines may reach below its end
  bool Ink = false;
};

// Draws the page of the document that starts at document position Y into the text area,
// ending where the cut says at the latest; gives where the document says the page ends (at
// Y or above when nothing of the page fitted).
int32_t DrawDocumentPage(TSectionList& Doc, TCanvas& C, const TPageGeometry& G, const TRegion& Clip, int32_t Y,
                         const TPageCut& Cut)
{
  Doc.SetYOffset(Y - G.T);
  SetPrintMapping(C, G);
  C.SelectClipRgn(&Clip);
  Doc.PageEndLimit = Cut.Limit;
  Doc.PageFloatsHang = Cut.Hang;
  Doc.Draw(C, Rect(G.L, G.T, G.L + G.TW, G.T + G.TH), G.TW, G.L, 0, 0);
  Doc.PageEndLimit = std::numeric_limits<int32_t>::max();
  Doc.PageFloatsHang = false;
  return Doc.PageBottom;
}

// A device that draws nothing but notes where ink would go: drawing a page on it first tells
// where the page ends and whether anything of the document is on it, before a sheet is
// started or anything reaches the paper. It works in the document's own units (a picture
// is not stretched to the printer's resolution only to be measured) and measures text with
// the printer's fonts.
class TInkProbe : public TCanvasDevice {
public:
  TInkProbe(const TPageGeometry& G, TCanvasDevice& Printer)
      : Metrics(&Printer), FArea{0, 0, G.PW, G.PH}, FPixelsPerInch(G.U)
  {}

  // The printer's device, for text metrics (its canvas may change from page to page).
  TCanvasDevice* Metrics;

  struct TMark {
    TRect Box;              // what shows, clipped
    bool Text = false;      // glyphs that are not blank
    Integer Baseline = 0;   // of text, whether it shows or not
  };
  std::vector<TMark> Marks;

  // Text drawn below Bottom: a PDF would hold it even where the page's white fill hides it.
  bool TextBelow(Integer Bottom) const
  {
    return std::any_of(Marks.begin(), Marks.end(), [&](const TMark& m) { return m.Text && m.Baseline > Bottom; });
  }
  // Whether anything shows between Top and Bottom.
  bool InkBetween(Integer Top, Integer Bottom) const
  {
    return std::any_of(Marks.begin(), Marks.end(),
                       [&](const TMark& m) { return !m.Box.IsEmpty() && m.Box.Top < Bottom && m.Box.Bottom > Top; });
  }

  TRect DeviceRect() const override { return FArea; }
  Integer LogPixels() const override { return FPixelsPerInch; }
  Integer BitsPerPixel() const override { return Metrics->BitsPerPixel(); }
  bool IsPrinter() const override { return Metrics->IsPrinter(); }
  TTextMetric TextMetrics(const TDeviceFont& Font) override { return Metrics->TextMetrics(Font); }
  void CharWidths(const TDeviceFont& Font, const char16_t* Text, size_t Count, Integer* Widths) override
  {
    Metrics->CharWidths(Font, Text, Count, Widths);
  }

  void DrawGlyphs(const TDeviceFont& Font, Integer X, Integer Y, const char16_t* Text, size_t Count,
                  const Integer* Advances, TColor, const TRegion* Clip) override
  {
    if (std::all_of(Text, Text + Count, [](char16_t c) { return c <= u' ' || c == u'\u00A0'; }))
      return;
    int64_t total = 0;
    for (size_t i = 0; i < Count; ++i)
      total += Advances[i];
    const TTextMetric tm = Metrics->TextMetrics(Font);
    const Integer run = static_cast<Integer>(std::clamp<int64_t>(total, -(1 << 28), 1 << 28));
    TRect box{std::min(X, X + run), Y - tm.tmAscent, std::max(X, X + run), Y + tm.tmDescent};
    if (Font.Orientation != 0) {
      // Turned text may lie in any direction from its start.
      const Integer reach = std::abs(run) + tm.tmHeight;
      box = {X - reach, Y - reach, X + reach, Y + reach};
    }
    Marks.push_back({Shown(box, Clip), true, Y});
  }
  void DrawShape(const TShape& Shape, const TDevicePen* Pen, const TDeviceBrush* Brush, const TRegion* Clip) override
  {
    const bool outline = Pen && Pen->Style != psClear && !White(Pen->Color);
    const bool inside = Brush && Brush->Style != bsClear && !(Brush->Style == bsSolid && White(Brush->Color));
    if (!outline && !inside)
      return;
    TRect box = Shape.Rect;
    if (!Shape.Points.empty()) {
      box = {Shape.Points[0].X, Shape.Points[0].Y, Shape.Points[0].X, Shape.Points[0].Y};
      for (const TPoint& p : Shape.Points)
        box = {std::min(box.Left, p.X), std::min(box.Top, p.Y), std::max(box.Right, p.X), std::max(box.Bottom, p.Y)};
    }
    const Integer w = Pen ? std::max<Integer>(Pen->Width, 1) : 1;
    Marks.push_back({Shown({box.Left - w, box.Top - w, box.Right + w, box.Bottom + w}, Clip)});
  }
  void FillSolid(const TRect& R, TColor Color, const TRegion* Clip) override
  {
    if (!White(Color))
      Marks.push_back({Shown(R, Clip)});
  }
  void DrawImage(const TRect& Dest, const TBitmap&, const TRect&, uint32_t, const TRegion* Clip) override
  {
    Marks.push_back({Shown(Dest, Clip)});
  }

private:
  static bool White(TColor C) { return (C & 0xFFFFFF) == 0xFFFFFF; }
  // The part of Box that the clip lets through (its bounds).
  TRect Shown(const TRect& Box, const TRegion* Clip) const
  {
    const TRect limit = Clip ? Clip->BoundingBox() : FArea;
    return {std::max(Box.Left, limit.Left), std::max(Box.Top, limit.Top), std::min(Box.Right, limit.Right),
            std::min(Box.Bottom, limit.Bottom)};
  }
  TRect FArea;
  Integer FPixelsPerInch;
};

// The probe's canvas: the document's units are its pixels; the clip is the text area's.
struct TPageProbe {
  TPageProbe(const TPageGeometry& G, TCanvasDevice& Printer)
      : Geometry(G), Clip(Rect(0, G.T - 1, G.L + G.TW + 1, G.T + G.TH + 1)), Canvas(MakeDevice(G, Printer))
  {
    Geometry.LogX = Geometry.LogY = G.U;
  }
  TPageGeometry Geometry;
  TRegion Clip;
  TInkProbe* Ink = nullptr;
  TCanvas Canvas;

private:
  std::unique_ptr<TCanvasDevice> MakeDevice(const TPageGeometry& G, TCanvasDevice& Printer)
  {
    auto device = std::make_unique<TInkProbe>(G, Printer);
    Ink = device.get();
    return device;
  }
};

// Finds where the page starting at Y ends by drawing it on the probe. A section may move the
// page's end up after lines below the new end were drawn (a float beside them that goes to
// the next page, a cell of a table row beside another whose lines fall elsewhere): the page
// is then cut again, ending there from the start, until no line is left below its end.
// Those lines are printed on the next page only. (Each cut ends the page higher, so that a
// page is never cut without end; where the lines of a row's cells never end together, the
// row goes whole to the next page.) Gives no cut when the end reached the page's top with
// nothing on the page; Once, the page as it ends when drawn once.
std::optional<TPageCut> CutPageAs(TSectionList& Doc, TPageProbe& Probe, int32_t Y, bool Hang, bool Once = false)
{
  const TPageGeometry& g = Probe.Geometry;
  TPageCut cut;
  cut.Hang = Hang;
  for (;;) {
    Probe.Ink->Marks.clear();
    const int32_t end = DrawDocumentPage(Doc, Probe.Canvas, g, Probe.Clip, Y, cut);
    // Nothing fitted: with no end set before, the page holds something taller than a page,
    // cut where the page ends (the run must move on); after a cut, nothing is left to print
    // of what lies above the cut.
    if (end <= Y && cut.Limit < Y + g.TH)
      return std::nullopt;
    cut.Next = end > Y ? end : Y + g.TH;
    const int32_t bottom = g.T + (cut.Next - Y);
    if (!Once && cut.Next < cut.Limit && Probe.Ink->TextBelow(bottom)) {
      cut.Limit = cut.Next;
      continue;
    }
    cut.Ink = Probe.Ink->InkBetween(g.T, bottom);
    return cut;
  }
}

// Where the page starting at Y ends. The page ends above every picture that would reach
// below it, with the line it is floated from. Where pictures stack on both sides, such an
// end may leave the page less than half full, or empty: the pictures floated from the
// page's lines are then drawn whole below its end, and only those that would reach below
// the page's foot move to the next page.
TPageCut CutPage(TSectionList& Doc, TPageProbe& Probe, int32_t Y)
{
  const std::optional<TPageCut> clean = CutPageAs(Doc, Probe, Y, false);
  if (clean && clean->Next - Y >= Probe.Geometry.TH / 2)
    return *clean;
  if (const std::optional<TPageCut> hang = CutPageAs(Doc, Probe, Y, true); hang && (!clean || hang->Next > clean->Next))
    return *hang;
  // (Not met: at worst, the page as it ends when drawn once.)
  return clean ? *clean : *CutPageAs(Doc, Probe, Y, false, true);
}

// Prints one page of the run on the target's canvas: the document down to the page's end,
// the margins blanked, the host's header and footer. PageRgn is the preview's clip for the
// header and footer (none on a printer).
void PrintSheet(THTMLViewer& Viewer, TCanvas& C, TSectionList& Doc, const TPageGeometry& G, const TPageCut& Cut,
                const TRegion& TextRgn, const TRegion* PageRgn, int32_t Y, bool& Stop)
{
  DrawDocumentPage(Doc, C, G, TextRgn, Y, Cut);
  TFont savedFont;
  TPen savedPen;
  TBrush savedBrush;
  savedFont.Assign(C.Font());
  savedPen.Assign(C.Pen());
  savedBrush.Assign(C.Brush());
  if (!PageRgn)
    C.SelectClipRgn(nullptr);
  C.Brush().SetColor(clWhite);
  C.Brush().SetStyle(bsSolid);
  C.Pen().SetColor(clWhite);
  // What reaches into the top margin must not show (the document blanks what belongs to the
  // next page itself).
  C.FillRect(Rect(G.L, 0, G.L + G.TW + 1, G.T - 1));
  C.Pen().Assign(savedPen);
  const uint32_t oldAlign = C.SetTextAlign(TA_TOP | TA_LEFT);
  if (PageRgn)
    C.SelectClipRgn(PageRgn);
  const int32_t page = Viewer.PrintPageNumber();
  if (Viewer.OnPrintHeader) {
    C.SetWindowOrgEx(0, 0);
    Viewer.OnPrintHeader(&Viewer, C, page, G.PW, G.T, Stop);
  }
  if (Viewer.OnPrintFooter) {
    C.SetWindowOrgEx(0, -(G.T + G.TH));
    Viewer.OnPrintFooter(&Viewer, C, page, G.PW, G.PH - (G.T + G.TH), Stop);
  }
  C.SetTextAlign(oldAlign);
  C.Font().Assign(savedFont);
  C.Pen().Assign(savedPen);
  C.Brush().Assign(savedBrush);
  if (PageRgn)
    C.SelectClipRgn(&TextRgn);
}

}   // namespace

template <class TDest>
int32_t THTMLViewer::PrintRun(TDest& Dest, const TPageSpans& Pages)
{
  int32_t lastWanted = 0;
  for (const auto& [first, last] : Pages)
    lastWanted = std::max(lastWanted, last);
  auto wanted = [&](int32_t page) {
    return TDest::Preview || std::any_of(Pages.begin(), Pages.end(), [&](const auto& span) {
             return span.first <= page && page <= span.second;
           });
  };
  int32_t drawn = 0;
  bool stop = false;
  const TPageGeometry g =
      MeasurePages(Dest, PrintScale, PrintMarginLeft, PrintMarginRight, PrintMarginTop, PrintMarginBottom);

  std::unique_ptr<TSectionList> copy = std::make_unique<TSectionList>(*FSectionList);
  copy->SetYOffset(0);
  copy->Printing = true;
  copy->Background = clWhite;
  FPrintPage = 1;

  SetPrintMapping(Dest.LayoutCanvas(), g);
  int32_t sw = 0, curs = 0;
  const int32_t DH = copy->DoLogic(Dest.LayoutCanvas(), 0, g.TW, g.TH, sw, curs);

  TRegion textRgn(Rect(0, g.Top - 1, g.TextW + g.Left + 2, g.Top + g.TextH + 2));
  TRegion pageRgn(Rect(0, 0, g.PageW, g.PageH));
  if constexpr (TDest::Preview)
    textRgn = TRegion(Rect(0, std::max(g.Top - 1, 0), std::min(g.TextW + g.Left + 2, g.PageW),
                           std::min(g.Top + g.TextH + 2, g.PageH)));
  TPageProbe probe(g, Dest.LayoutCanvas().Device());

  HandlePending();
  if (OnPageEvent)
    OnPageEvent(this, FPrintPage, stop);

  // The last page laid out (none yet), and whether the sheet open on the target holds one.
  int32_t laidOut = 0;
  bool sheetUsed = false;
  int32_t Y = 0;
  while (!stop && (TDest::Preview || FPrintPage <= lastWanted)) {
    probe.Ink->Metrics = &Dest.LayoutCanvas().Device();
    const TPageCut cut = CutPage(*copy, probe, Y);
    // A stretch with nothing of the document on it (the margin below the last line, a page
    // a forced break left empty) starts no sheet; a document with nothing to show at all
    // still prints its one page.
    if (!cut.Ink && (laidOut > 0 || cut.Next < DH)) {
      Y = cut.Next;
      if (Y >= DH)
        break;
      continue;
    }
    if (wanted(FPrintPage)) {
      if (sheetUsed)
        Dest.NewPage();
      sheetUsed = true;
      ++drawn;
      PrintSheet(*this, Dest.Canvas(), *copy, g, cut, textRgn, TDest::Preview ? &pageRgn : nullptr, Y, stop);
    }
    laidOut = FPrintPage;
    Y = cut.Next;
    HandlePending();
    if (OnPageEvent)
      OnPageEvent(this, FPrintPage, stop);
    if (Y >= DH)
      break;
    ++FPrintPage;
  }
  // Afterwards the counter names the last page laid out: 0 when the run was stopped before
  // its first page.
  FPrintPage = laidOut;
  return drawn;
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

std::string THTMLViewer::PrintJobTitle() const
{
  if (!FTitle.empty())
    return WideToUtf8(FTitle);
  // A page without a title (the topic index) goes by the name of the window it shows in, as
  // the user sees it there; a viewer in no window by the program's.
  if (const TCustomForm* form = GetParentForm(); form && !form->Caption().empty())
    return form->Caption();
  return Application ? Application->Title() : std::string();
}

void THTMLViewer::Print(int32_t FromPage, int32_t ToPage) { Print(TPageSpans{{FromPage, ToPage}}); }

void THTMLViewer::Print(const TPageSpans& Pages)
{
  if (!PrintRunMayStart())
    return;
  TPageSpans spans;
  for (auto [first, last] : Pages)
    if (std::max(first, 1) <= last)
      spans.emplace_back(std::max(first, 1), last);
  if (spans.empty())
    return;
  TPrintRunFlags running(*this);
  // While pages are made the program handles its messages, but the copy being printed shares
  // the viewer's pictures: so the user's input waits until the run is over.
  TWindowsDisabled block;
  auto printer = std::make_unique<TvwPrinter>();
  TvwPrinter& prn = *printer;
  std::unique_ptr<TvwPrinter> previous = vwSetPrinter(std::move(printer));
  try {
    prn.Title = PrintJobTitle();
    prn.BeginDoc();
    TPrinterTarget target{prn};
    if (PrintRun(target, spans) == 0)
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
  // While pages are made the program handles its messages, but the copy being printed shares
  // the viewer's pictures: so the user's input waits until the run is over.
  TWindowsDisabled block;
  try {
    MFPrinter.BeginDoc();
    TPreviewTarget target{MFPrinter};
    PrintRun(target, {});
    MFPrinter.EndDoc();
  } catch (...) {
    // No page is left open for recording.
    if (MFPrinter.Printing())
      GuardedCall([&] { MFPrinter.EndDoc(); });
    throw;
  }
}
