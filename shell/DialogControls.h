// The controls of the shell's small dialogs, made the one way: owned by the form, named,
// placed on it and written in its font.
#pragma once

#include <string>

#include "platform/StdCtrls.h"

template <class T>
T* AddDialogControl(TDialogForm& Form, const char* Name)
{
  T* control = TComponent::Create<T>(&Form);
  control->SetName(Name);
  control->SetParent(&Form);
  control->Font().Assign(Form.Font());
  return control;
}

TLabel* AddDialogLabel(TDialogForm& Form, const char* Name, const std::string& Caption, Integer Left, Integer Top);
// A push button that ends the dialog with Result.
TButton* AddDialogButton(TDialogForm& Form, const char* Name, const std::string& Caption, const TRect& Bounds,
                         TModalResult Result);
