#include "shell/SpeedDialog.h"

#include "shell/DialogControls.h"
#include "shell/HelpContexts.h"

namespace {

constexpr Integer MinRate = 1, MaxRate = 200;

}   // namespace

TSpeedFrm::TSpeedFrm()
{
  SetName("SpeedFrm");
  SetHelpContext(IDH_SPEED_DIALOG);
  SetCaption("Set the animation speed");
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientSize(296, 104);
  Font().SetHeight(-MulDiv(8, ScreenPixelsPerInch(), 72));

  SpeedHsb = AddDialogControl<TTrackBar>(*this, "SpeedHsb");
  SpeedHsb->SetBounds(8, 8, 280, 34);
  SpeedHsb->SetAccessibleName("Animation speed");
  SpeedHsb->SetRange(MinRate, MaxRate);
  SpeedHsb->SetFrequency(20);
  SpeedHsb->SetPageSize(20);

  SlowLabel = AddDialogLabel(*this, "SlowLabel", "Slow", 12, 44);
  FastLabel = AddDialogLabel(*this, "FastLabel", "Fast", 0, 44);
  FastLabel->SetLeft(284 - FastLabel->Width());

  ApplyBtn = AddDialogButton(*this, "ApplyBtn", "Apply", Bounds(132, 70, 75, 25), mrOk);
  ApplyBtn->SetDefault(true);
  CancelBtn = AddDialogButton(*this, "CancelBtn", "Cancel", Bounds(213, 70, 75, 25), mrCancel);
  CancelBtn->SetCancel(true);
  // The bar is the dialog's one value: the keyboard starts on it, then Apply and Cancel.
  SetActiveControl(SpeedHsb);
}

bool EditAnimationRate(Integer& Rate)
{
  TSpeedFrm form;
  form.SpeedHsb->SetPosition(Rate);
  if (form.ShowModal() != mrOk)
    return false;
  Rate = form.SpeedHsb->Position();
  return true;
}
