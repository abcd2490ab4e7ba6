#include "shell/UserInfo.h"

#include "shell/DialogControls.h"
#include "shell/HelpContexts.h"

TUserFrm::TUserFrm()
{
  SetName("UserFrm");
  SetHelpContext(IDH_USER_NAME);
  SetCaption("Print information");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientSize(272, 124);
  Font().SetHeight(-MulDiv(8, ScreenPixelsPerInch(), 72));

  Label1 = AddDialogLabel(*this, "Label1", "Please enter your name and form.", 12, 10);
  Label2 = AddDialogLabel(*this, "Label2", "This will be added to the printout.", 12, 28);

  NameEdit = AddDialogControl<TEdit>(*this, "NameEdit");
  NameEdit->SetBounds(12, 52, 248, 21);
  NameEdit->OnChange = [this](TObject* Sender) { NameEditChange(Sender); };

  OKBtn = AddDialogButton(*this, "OKBtn", "apply", Bounds(104, 88, 75, 25), mrOk);
  OKBtn->SetDefault(true);
  OKBtn->SetEnabled(false);
  CancelBtn = AddDialogButton(*this, "CancelBtn", "cancel", Bounds(185, 88, 75, 25), mrCancel);
  CancelBtn->SetCancel(true);
  // The name is typed at once.
  OnShow = [this](TObject*) { NameEdit->SetFocus(); };
}

void TUserFrm::NameEditChange(TObject*) { OKBtn->SetEnabled(!NameEdit->Text().empty()); }

bool AskUserName(std::string& UserName)
{
  if (UserName.empty()) {
    TUserFrm form;
    if (form.ShowModal() == mrOk)
      UserName = form.NameEdit->Text();
  }
  return !UserName.empty();
}
