#include "shell/DialogControls.h"

TLabel* AddDialogLabel(TDialogForm& Form, const char* Name, const std::string& Caption, Integer Left, Integer Top)
{
  TLabel* label = AddDialogControl<TLabel>(Form, Name);
  label->SetCaption(Caption);
  label->SetLeft(Left);
  label->SetTop(Top);
  return label;
}

TButton* AddDialogButton(TDialogForm& Form, const char* Name, const std::string& Caption, const TRect& Bounds,
                         TModalResult Result)
{
  TButton* button = AddDialogControl<TButton>(Form, Name);
  button->SetBoundsRect(Bounds);
  button->SetCaption(Caption);
  button->SetModalResult(Result);
  return button;
}
