// The splash window shown while the program starts: a borderless picture on top of
// everything, centred on the screen.
#pragma once

#include <string>

#include "platform/StdCtrls.h"

class TSplashFrm : public TDialogForm {
public:
  // AppFolder is the program's folder (with its separator) where the pictures lie.
  explicit TSplashFrm(const std::string& AppFolder);
  TImage* Pic;

  void FormCreate();
  void FormShow(TObject* Sender);

private:
  std::string FAppFolder;
};
