// The About box: the product's picture and version, the publisher's web address (a link)
// and telephone lines, and an OK button.
#pragma once

#include <string>

#include "platform/StdCtrls.h"

class TAboutFrm : public TDialogForm {
public:
  explicit TAboutFrm(const std::string& AppFolder);

  TPanel* Panel1;
  TImage* Image1;
  TLabel* VersionLabel;
  TLabel* Label1;
  TLabel* Label4;
  // A push button, so that the keyboard and a screen reader's focus reach it.
  TButton* SpeedButton1;

  void FormCreate();
  void FitToPicture();
  void Label1Click(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);

private:
  std::string FAppFolder;
};

// The publisher's web page that Label1 opens.
extern const char* const PublisherWebAddress;
