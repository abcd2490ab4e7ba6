// Small services around picture printing: the printer's page with an even margin, a
// bitmap turned into a DIB (header with colour table, and pixel rows), and the "Printing"
// window with a Cancel button that a print job polls between tiles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/HTMLStreams.h"
#include "platform/Bitmap.h"
#include "platform/Printers.h"
#include "platform/StdCtrls.h"

// The page of a printer in device pixels (the resolution in dots per inch).
struct TPrinterPageInfo {
  Integer OffsetX = 0, OffsetY = 0;        // unprintable left and top edges
  Integer RightEdge = 0, BottomEdge = 0;   // unprintable right and bottom edges
  Integer PhysicalWidth = 0, PhysicalHeight = 0;
  Integer PageWidth = 0, PageHeight = 0;   // the printable area
  Integer MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
  Integer UsableWidth = 0, UsableHeight = 0;
  Integer PageOriginX = 0, PageOriginY = 0;   // where the even margin starts in the printable area
  Integer PixelsPerInchX = 0, PixelsPerInchY = 0;
};

// Fills Info from the device; the margin on every side is the largest unprintable edge.
// False for a nil record or device.
bool GetPrinterPageInfo(TPrinterDC* DC, TPrinterPageInfo* Info);

// Reads a ".bmp" picture from the stream's position into its header (with colour table)
// and its pixel rows. False, with everything emptied and zeroed, for anything malformed.
bool LoadDIBFromStream(TStream& Stream, std::vector<uint8_t>& Header, std::vector<uint8_t>& Bits, Integer& Width,
                       Integer& Height);
// The bitmap as a DIB, through its ".bmp" form.
bool LoadDIBFromBitmap(const TBitmap& Graphic, std::vector<uint8_t>& Header, std::vector<uint8_t>& Bits, Integer& Width,
                       Integer& Height);

// The modeless "Printing" window with its Cancel button; closing it is pressing Cancel.
class TAbortDialog : public TDialogForm {
public:
  TAbortDialog();
  TButton* btnCancel;
  // 0, or -1 once Cancel was pressed.
  Integer Cancelled() const { return FCancelled; }
  void btnCancelClick(TObject* Sender);

private:
  Integer FCancelled = 0;
};

// Creates and shows the dialog and lets it paint; nullptr when it cannot be made.
std::unique_ptr<TAbortDialog> CreateAbortDialog();
// Sets the caption and handles what is pending for the dialog.
void SetAbortDialogText(TAbortDialog* Dialog, const std::string& Text);
// Handles what is pending and gives -1 when Cancel was pressed, else 0.
Integer AbortDialogCancelled(TAbortDialog* Dialog);
// Destroys the dialog; gives 0.
Integer FreeAbortDialog(std::unique_ptr<TAbortDialog>& Dialog);
