// The speed dialog: a track bar from "Slow" (1) to "Fast" (200) degrees per second for the
// shown topic's animation rate, with "Apply" and "Cancel".
#pragma once

#include "platform/ComCtrls.h"
#include "platform/StdCtrls.h"

class TSpeedFrm : public TDialogForm {
public:
  TSpeedFrm();

  TTrackBar* SpeedHsb;
  TLabel* SlowLabel;
  TLabel* FastLabel;
  TButton* ApplyBtn;
  TButton* CancelBtn;
};

// Runs the dialog on Rate: the bar starts at Rate; "Apply" stores the bar's position in
// Rate and gives true, "Cancel" leaves Rate alone.
bool EditAnimationRate(Integer& Rate);
