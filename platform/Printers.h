// Printing: a printer object over the system's printers or a PDF file, with the page
// metrics in device pixels, one job at a time (BeginDoc, NewPage, EndDoc, Abort) and a
// canvas on the current page; and TPrinterDC, the device context printing code draws on,
// which tests may implement over a bitmap.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"

class EPrinter : public Exception {
  using Exception::Exception;
};

// Device capabilities a printer answers beyond the canvas's own (GetDeviceCaps indexes).
enum : int { RASTERCAPS = 38, PHYSICALWIDTH = 110, PHYSICALHEIGHT = 111, PHYSICALOFFSETX = 112, PHYSICALOFFSETY = 113 };
// RASTERCAPS bits.
enum : Integer {
  RC_BITBLT = 0x1,
  RC_BITMAP64 = 0x8,
  RC_PALETTE = 0x100,
  RC_DIBTODEV = 0x200,
  RC_STRETCHBLT = 0x800,
  RC_STRETCHDIB = 0x2000
};

// A printer's device context: the canvas of the page and what printing code asks of the
// device. Pictures are placed in the canvas's logical coordinates.
class TPrinterDC {
public:
  virtual ~TPrinterDC() = default;
  // EPrinter "Printer is not currently printing" outside a job.
  virtual TCanvas& Canvas() = 0;
  // The canvas's capabilities plus the physical page (PHYSICAL...) and RASTERCAPS.
  virtual Integer GetDeviceCaps(int index) = 0;
  // Draws the picture stretched over dest; false when the device refuses it.
  virtual bool StretchPicture(const TRect& dest, const TBitmap& picture);
  // The plain route: the picture converted to the device's format and copied at its size.
  virtual bool BltPicture(Integer x, Integer y, const TBitmap& picture);
  // Selects a palette (nullptr: none) and gives the one selected before; only palette
  // devices make use of it.
  virtual const TPalette* SelectPalette(const TPalette* palette, bool forceBackground);
  // Hands what was drawn so far on to the device.
  virtual void Flush() {}

private:
  const TPalette* FPalette = nullptr;
};

struct TPrinterImpl;

class TPrinter : public TObject {
public:
  TPrinter();
  ~TPrinter() override;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // The system's printers by name; the selected one is PrinterIndex (-1: the default one).
  std::vector<std::string> Printers() const;
  Integer PrinterIndex() const { return FPrinterIndex; }
  // EPrinter "Printer index out of range" for an index that names no printer.
  void SetPrinterIndex(Integer index);
  // A PDF file to print into instead of a printer; empty prints on the selected printer.
  const std::string& OutputFileName() const { return FOutputFileName; }
  void SetOutputFileName(const std::string& fileName);
  // Device resolution in dots per inch (the device's own until set).
  Integer Resolution() const;
  void SetResolution(Integer dpi);
  bool Landscape() const;
  void SetLandscape(bool landscape);
  // Whether the job is printed in shades of grey ("Grayscale" in the print dialog): its file
  // then holds no colour.
  bool Greys() const;
  void SetGreys(bool greys);
  // The paper by its spooler name ("A4", "Letter", "A5"...); a selected queue starts on its
  // own default paper. EPrinter "Paper size not supported" for a name no paper has.
  std::string Paper() const;
  void SetPaper(const std::string& name);
  // Puts a printer on a queue back on the queue's own paper, which the print dialog proposes
  // whatever was chosen before (the orientation stays); nothing for a PDF file.
  void UseQueuePaper();

  // Name of the job, as the spooler shows it.
  std::string Title;

  // Takes the other printer's choice of device, output file, paper, orientation and
  // resolution (not its job); EPrinter "Printing in progress" while this one prints.
  void AssignSettings(const TPrinter& source);

  // Printable area of the page, in device pixels.
  Integer PageWidth() const;
  Integer PageHeight() const;
  Integer GetDeviceCaps(int index) const;

  bool Printing() const { return FPrinting; }
  bool Aborted() const { return FAborted; }
  // 1 on the first page of a job, 0 outside one.
  Integer PageNumber() const { return FPageNumber; }

  // EPrinter "Printing in progress" when a job runs; "Printer selected is not valid" when
  // the device cannot be opened; "There is no default printer currently selected" with
  // neither a printer nor an output file.
  void BeginDoc();
  // These three raise EPrinter "Printer is not currently printing" outside a job.
  void NewPage();
  // Ends the job; EPrinter "The printer could not finish the document" when the device
  // failed to take it or the spooler refused it, followed by the file and the cause when the
  // job's PDF could not be written whole (the job is over either way). A spooler's job is
  // handed to the spooler here, whole; a PDF file takes the name chosen for it here, and a
  // job that failed leaves the file of that name as it was.
  void EndDoc();
  // Drops the job: nothing of it reaches the spooler or the PDF file chosen.
  void Abort();

  // The current page's canvas (see TPrinterDC::Canvas).
  TCanvas& Canvas();
  // The device context: measurements at any time, drawing during a job.
  TPrinterDC* Handle();

private:
  friend struct TPrinterImpl;
  void CheckPrinting() const;

  std::unique_ptr<TPrinterImpl> FImpl;
  Integer FPrinterIndex = -1;
  std::string FOutputFileName;
  bool FPrinting = false;
  bool FAborted = false;
  Integer FPageNumber = 0;
};

// The application's printer, made on first use (EPrinter without an application object).
TPrinter& Printer();
// Makes printer the application's and gives back the one it replaces (nullptr when none had
// been made yet).
std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer);
// Names of the system's printers.
std::vector<std::string> PrinterNames();

// One recorded page: a canvas records what is drawn on it (in the device pixels of the
// printer it stands for) and the page can be played back at any size later, as often as
// wanted. Print previews keep one per page.
struct TRecordedPageImpl;

class TRecordedPage {
public:
  TRecordedPage();
  ~TRecordedPage();
  TRecordedPage(const TRecordedPage&) = delete;
  TRecordedPage& operator=(const TRecordedPage&) = delete;

  // Starts recording a page of the given device size; the canvas measures text like a
  // printer of logPixels dots per inch. Recording again drops what was recorded.
  TCanvas& BeginRecording(Integer width, Integer height, Integer logPixels);
  bool Recording() const;
  // The canvas of the recording (EPrinter "Printer is not currently printing" when none).
  TCanvas& Canvas();
  // Ends the recording; the page is complete.
  void EndRecording();
  Integer Width() const { return FWidth; }
  Integer Height() const { return FHeight; }
  // Plays the page's source area (device pixels of the page) into a new bitmap of the given
  // size on a white ground. Nothing recorded gives a white bitmap.
  std::unique_ptr<TBitmap> Render(Integer width, Integer height, const TRect& source) const;

private:
  std::unique_ptr<TRecordedPageImpl> FImpl;
  Integer FWidth = 0, FHeight = 0;
};
