// The page print preview ("Print preview"): the viewer's document laid out into recorded
// pages at the printer's resolution, one page shown at a time fitted to the window's height
// or width, and printed as a whole or a range of pages through the viewer.
#pragma once

#include <memory>

#include "html/HtmlViewer.h"
#include "html/MetaFilePrinter.h"
#include "platform/Dialogs.h"
#include "platform/StdCtrls.h"
#include "toolbar/ThemedItems.h"

// Which pictures of the image list the toolbar's buttons show (-1: the caption alone).
struct TPreviewGlyphs {
  TImageIndex Print = -1, PrevPage = -1, NextPage = -1, Zoom = -1, Close = -1;
};

class TPrntPrevFrm : public TDialogForm {
public:
  // Lays Viewer's document out into pages (the viewer's errors pass on) and shows page 1.
  TPrntPrevFrm(THTMLViewer* AViewer, TCustomImageList* Images = nullptr, const TPreviewGlyphs& Glyphs = {});
  ~TPrntPrevFrm() override;

  THTMLViewer* Viewer;
  std::unique_ptr<TMetaFilePrinter> MFPrinter;
  int32_t CurrentPage = 0;
  bool FitWidth = false;

  TPanel* ScrollBox1;
  TPanel* PagePanel;
  TPaintBox* PB;
  T32ScrollBar* VScroll;
  T32ScrollBar* HScroll;
  TTBXToolbar* PPToolbar;
  TTBXItem* PrintBtn;
  TTBXItem* PrevPageBtn;
  TTBXItem* NextPageBtn;
  TTBXItem* ZoomBtn;
  TTBXItem* CloseBtn;
  TLabel* CurPageLabel;
  TPrintDialog* PrintDlg;

  int32_t PageCount() const { return MFPrinter->PageCount(); }
  void ShowPage(int32_t N);
  void UpdateButtons();
  void PBPaint(TObject* Sender);
  void ScrollBox1Resize(TObject* Sender);
  void ZoomBtnClick(TObject* Sender);
  void PrevPageBtnClick(TObject* Sender);
  void NextPageBtnClick(TObject* Sender);
  void PrintBtnClick(TObject* Sender);
  void CloseBtnClick(TObject* Sender);

protected:
  // Escape closes the preview as "Close" does; Page Up and Page Down turn the pages.
  void KeyDown(Word& key, TShiftState shift) override;

private:
  // Places the page scrolled by X and Y.
  void PlacePage(int32_t X, int32_t Y);
  // Scrolls the page for a wheel turn of Delta; false when there is nothing to scroll.
  bool ScrollByWheel(Integer Delta);
  std::unique_ptr<TBitmap> FShown;   // the page as last drawn, at the paint box's size
  int32_t FShownPage = -1;
};

// "Print text.." and the page toolbar's "print": previews the viewer's page modally and
// prints from there. Images are the toolbar's pictures (the main window's image list).
void PrintTextPreview(THTMLViewer& Viewer, TCustomImageList* Images = nullptr, const TPreviewGlyphs& Glyphs = {});
