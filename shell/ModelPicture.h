// The model's picture: printed on one page with the user's name after a preview, copied to
// the clipboard, saved as a JPEG file; and the page pictures' popup menu (copy a picture of
// the page to the clipboard or to a file).
#pragma once

#include <memory>
#include <string>

#include "html/HtmlViewer.h"
#include "platform/Dialogs.h"
#include "platform/StdCtrls.h"
#include "toolbar/Items.h"

class TGLSceneViewer;

// The "Print preview" of the model's picture: the printer's sheet as it is now (its paper's
// shape, upright or turned) with the picture where it will print, "Print" (asks for the
// printer; mrOk when confirmed) and "Cancel" (mrCancel).
class TTarvPPFrm : public TDialogForm {
public:
  explicit TTarvPPFrm(const TBitmap& Bitmap);
  TPanel* PagePanel;
  TImage* Image;
  TButton* PrintBtn;
  TButton* CancelBtn;
  TPrintDialog* PrintDlg;
  void PrintBtnClick(TObject* Sender);
};

// The 3D view's last frame; nullptr when the view gives an empty picture.
std::unique_ptr<TBitmap> TakeSnapshot(TGLSceneViewer& View);

// "Print mechanism..": asks for the name when it is not known, previews the view's picture
// and prints it with the name.
void PrintMechanism(TGLSceneViewer& View, std::string& UserName);
// The same for a picture already taken.
void PrintMechanismPicture(const TBitmap& Snapshot, std::string& UserName);
// Prints the picture fitted and centred on one page of the program's printer with Title in
// the top-left corner, through the tiled DIB printer and its "Printing" window. Every
// window of the program is disabled meanwhile. Reports the outcome in a message box;
// gives whether the page was printed.
bool PrintBitmap(const TBitmap& Bitmap, const std::string& Title);
// Where a picture of DibWidth x DibHeight goes on a W x H page: fitted, centred.
TRect FitPictureOnPage(Integer DibWidth, Integer DibHeight, Integer W, Integer H);

// "Copy mechanism to clipboard".
void CopyMechanism(TGLSceneViewer& View);
// "Copy mechanism to file..": the save dialog opens in UserDir; the picture is written as a
// JPEG and UserDir becomes the file's folder.
void CopyMechanismToFile(TGLSceneViewer& View, std::string& UserDir);
// The same for a picture already taken; Dialog is the save dialog to use.
void SavePictureAsJpeg(const TBitmap& Snapshot, TSaveDialog& Dialog, std::string& UserDir);
// The name a JPEG is saved under: ".jpg" unless the extension is ".jpg" in any case.
std::string JpegFileName(const std::string& FileName);
// Writes the picture as a JPEG under exactly that name; errors pass on.
void SaveSnapshotJpeg(const TBitmap& Snapshot, const std::string& FileName);

// Before a file is written under a name the user did not see asked about: true when the
// file is new or the user agrees to replace it.
bool ConfirmReplace(const std::string& FileName);

// The page pictures' commands, for a menu of the caller's own: whether a right-clicked
// picture (nullptr: none) can be copied; "Copy picture to clipboard"; "Copy picture to
// file" (the save dialog opens in UserDir, which becomes the folder of the copy).
bool PagePictureAvailable(const TImageObj* Image);
void CopyPageImage(const TImageObj* Image);
void CopyPageImageToFile(THTMLViewer& Viewer, const TImageObj* Image, TSaveDialog& SaveDlg, std::string& UserDir);

// The page pictures' popup: "Copy picture to clipboard" and "Copy picture to file".
class TPagePictureMenu {
public:
  explicit TPagePictureMenu(THTMLViewer& Viewer);
  ~TPagePictureMenu();

  THTMLViewer& Viewer;
  TTBCustomItem* PicPopUp;
  TTBCustomItem* CopyImage1;
  TTBCustomItem* CopyPicturetofile1;
  std::unique_ptr<TSaveDialog> SaveDlg;
  // The picture under the mouse at the last right click (until the next one).
  TImageObj* PopupImage = nullptr;
  // Where the save dialog opens; the folder of the file written afterwards.
  std::string* UserDir = nullptr;

  // The viewer's right click: remembers the picture and, when there is one, opens the menu
  // at ScreenPos (runs the menu's loop unless ShowMenu is false).
  void ViewerRightClick(TRightClickParameters& Parameters, TPoint ScreenPos, bool ShowMenu = true);
  // The same at the mouse pointer: the viewer's OnRightClick.
  void ViewerRightClick(TRightClickParameters& Parameters) { ViewerRightClick(Parameters, GetCursorPos()); }
  void CopyImage1Click(TObject* Sender);
  void CopyPicturetofile1Click(TObject* Sender);

private:
  std::unique_ptr<TTBRootItem> FMenu;
};

// Copies a page picture's file to the destination, which takes the source's extension,
// asking before an existing file is replaced and refusing to copy a file onto itself.
bool CopyPagePicture(const std::string& Source, const std::string& Destination);
