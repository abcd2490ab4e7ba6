#include "shell/HtmlHelpApi.h"

#include "shell/HelpViewer.h"

namespace {

struct TBinding {
  bool Loaded = false;
  THtmlHelpProc Entry;
  bool Overridden = false;
  THtmlHelpProc Override;
};

TBinding& Binding()
{
  // The viewer is bound once for the process, as a library is loaded once into it.
  static TBinding b;   // NOLINT(orrelo-static-local-state): the one help binding of the process
  return b;
}

}   // namespace

bool LoadHtmlHelp()
{
  TBinding& b = Binding();
  if (!b.Loaded) {
    b.Loaded = true;
    b.Entry = b.Overridden ? b.Override : THtmlHelpProc(&HelpViewerHtmlHelp);
  }
  return static_cast<bool>(b.Entry);
}

const THtmlHelpProc& HtmlHelpEntry() { return Binding().Entry; }

void UnloadHtmlHelp()
{
  TBinding& b = Binding();
  if (b.Loaded && !b.Overridden)
    CloseHelpViewer();
  b.Loaded = false;
  b.Entry = nullptr;
}

void SetHtmlHelpBinding(THtmlHelpProc proc)
{
  UnloadHtmlHelp();
  Binding().Overridden = true;
  Binding().Override = std::move(proc);
}

void ResetHtmlHelpBinding()
{
  UnloadHtmlHelp();
  Binding().Overridden = false;
  Binding().Override = nullptr;
}
