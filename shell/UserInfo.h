// The "Print information" dialog: asks for the name printed on the model's picture when
// the login name is not known.
#pragma once

#include <string>

#include "platform/StdCtrls.h"

class TUserFrm : public TDialogForm {
public:
  TUserFrm();

  TLabel* Label1;
  TLabel* Label2;
  TEdit* NameEdit;
  TButton* OKBtn;
  TButton* CancelBtn;

  // "apply" is enabled only while there is a name.
  void NameEditChange(TObject* Sender);
};

// When UserName is empty, asks for it ("apply" stores the edited name). Gives whether there
// is a name now.
bool AskUserName(std::string& UserName);
