// The enlarged-picture window that "$" links open: the picture at its own size, closed by
// a click, with a popup menu to copy it to the clipboard or to a file.
#pragma once

#include <memory>
#include <string>

#include "platform/Dialogs.h"
#include "platform/StdCtrls.h"
#include "toolbar/Items.h"

class TBigPicFrm : public TDialogForm {
public:
  // Raises the loader's error when the file holds no picture.
  explicit TBigPicFrm(const std::string& AFileName);
  ~TBigPicFrm() override;

  TImage* MagPic;
  TTBCustomItem* PUM;   // the popup menu's items
  TTBCustomItem* CopyToClipboard1;
  TTBCustomItem* CopyToFile1;
  TSaveDialog* SaveDlg;
  std::string FileName;
  // Where the save dialog opens (the program's picture folder).
  std::string InitialDir;

  void MagPicClick(TObject* Sender);
  void MagPicMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void CopyToClipboard1Click(TObject* Sender);
  void CopyToFile1Click(TObject* Sender);

protected:
  // Escape closes the window as its own close action does.
  void KeyDown(Word& key, TShiftState shift) override;

private:
  std::unique_ptr<TTBRootItem> FMenu;
};

// Copies Source over Destination, which takes Source's extension; on failure an error box
// names the destination. Gives whether the copy was made.
bool CopyPictureFile(const std::string& Source, const std::string& Destination);
