#include "shell/HelpRouter.h"

#include "platform/Controls.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/HtmlHelpApi.h"

namespace {

// The router in service: a second one is refused, since the application has one help event
// for it to take over.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): one router per process
THelpRouter* GInstance = nullptr;

std::string WithExtension(const std::string& file, const std::string& ext)
{
  size_t slash = file.find_last_of("/\\");
  size_t dot = file.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return file + ext;
  return file.substr(0, dot) + ext;
}

// The window help requests are made for: the active form's, else none.
HWND ActiveWindow()
{
  TCustomForm* f = Screen().ActiveForm();
  return f ? f->Handle() : 0;
}

}   // namespace

THelpRouter* HelpRouter() { return GInstance; }

THelpRouter::THelpRouter()
{
  if (GInstance)
    throw EHelpRouterError("Multiple instances of THelpRouter are not allowed");
  GInstance = this;
  FOldHelpEvent = ApplicationOnHelp();
  SetApplicationOnHelp(
      [this](Word Command, intptr_t Data, bool& CallHelp) { return RouteHelp(Command, Data, CallHelp); });
}

THelpRouter::~THelpRouter()
{
  // The viewer is closed whenever this router opened it, so no help window outlives the
  // program's main window.
  if (FViewerUsed)
    ApplicationHelpCommand(HELP_QUIT, 0);
  SetApplicationOnHelp(FOldHelpEvent);
  GInstance = nullptr;
}

void THelpRouter::SetHelpType(THelpType Value)
{
  FHelpType = Value;
  if ((Value == htHTMLhelp || Value == htMixedMode) && !HasState(csDesigning))
    LoadHtmlHelp();
}

bool THelpRouter::HtmlHelpAvailable() { return LoadHtmlHelp(); }

bool THelpRouter::RouteHelp(Word Command, intptr_t Data, bool& CallHelp)
{
  bool result = false;
  if (OnHelp)
    result = OnHelp(Command, Data, CallHelp);
  if (CallHelp && FOldHelpEvent)
    result = FOldHelpEvent(Command, Data, CallHelp);
  if (!CallHelp)
    return result;

  std::string file = !FHelpfile.empty() ? FHelpfile : ApplicationHelpFile();
  if (FShowType == stMain) {
    if (Command == HELP_CONTEXTPOPUP)
      Command = HELP_CONTEXT;
    else if (Command == HELP_SETPOPUP_POS)
      Command = 0;
  }
  const bool html = FHelpType == htHTMLhelp
                    || (FHelpType == htMixedMode && Command != HELP_CONTEXTPOPUP && Command != HELP_SETPOPUP_POS);
  if (!html) {
    CallHelp = false;
    if (Command == 0)
      return true;
    return WinHelp(ActiveWindow(), WithExtension(file, ".hlp"), Command, Data);
  }
  if (!HtmlHelpAvailable())
    return result;
  file = WithExtension(file, ".chm");
  // A missing help file is no error: F1's requests (a page, a popup) then do nothing. (The
  // menu items that open the contents and the index are disabled then.)
  if ((Command == HELP_CONTEXT || Command == HELP_CONTEXTPOPUP) && !FileExists(file)) {
    CallHelp = false;
    return false;
  }
  const THtmlHelpProc& hh = HtmlHelpEntry();
  HWND shown = 0;
  CallHelp = false;
  switch (Command) {
  case HELP_CONTEXT:
    FViewerUsed = true;
    shown = hh(0, file.c_str(), HH_HELP_CONTEXT, uintptr_t(Data));
    break;
  case HELP_QUIT:
    shown = hh(0, nullptr, HH_CLOSE_ALL, 0);
    FViewerUsed = false;
    break;
  case HELP_INDEX:
  case HELP_FINDER:
    FViewerUsed = true;
    shown = hh(0, file.c_str(), HH_DISPLAY_TOC, 0);
    break;
  case HELP_CONTEXTPOPUP: ShowTextPopup(file, Data); return true;
  case HELP_SETPOPUP_POS: FPopupPos = PopupPosFromData(Data); break;
  case HELP_TAB:
    FViewerUsed = true;
    shown = hh(0, file.c_str(), Data != 0 ? HH_DISPLAY_INDEX : HH_DISPLAY_TOC, 0);
    break;
  case HELP_KEY:
  case HELP_PARTIALKEY:
    FViewerUsed = true;
    shown = hh(0, file.c_str(), HH_DISPLAY_INDEX, uintptr_t(Data));
    break;
  default: break;
  }
  return shown != 0;
}

void THelpRouter::ShowTextPopup(const std::string& File, intptr_t Context)
{
  THHPopup popup;
  popup.idString = Cardinal(Context);
  popup.pt = FPopupPos == TPoint{0, 0} ? GetCursorPos() : FPopupPos;
  popup.pszFont = "MS Sans Serif, 8";
  std::string topics = FCHMPopupTopics.empty() ? std::string("CSHelp.txt") : FCHMPopupTopics;
  std::string url = File + "::/" + topics;
  FViewerUsed = true;
  HtmlHelpEntry()(ActiveWindow(), url.c_str(), HH_DISPLAY_TEXT_POPUP, reinterpret_cast<uintptr_t>(&popup));
  FPopupPos = {0, 0};
}

void THelpRouter::ShowHelpContents() { ApplicationHelpCommand(HELP_TAB, 0); }

void THelpRouter::SearchHelpKeyword(const std::string& Keyword)
{
  std::string key = Keyword.substr(0, 255);
  ApplicationHelpCommand(HELP_KEY, reinterpret_cast<intptr_t>(key.c_str()));
}

bool SetupHelp(THelpRouter& Router, const std::string& ExeDir)
{
  std::string file = ExeDir;
  if (!file.empty() && file.back() != '/' && file.back() != '\\')
    file += '/';
  file += "Help/KVHelp.chm";
  SetApplicationHelpFile(file);
  Router.SetHelpType(htHTMLhelp);
  // A damaged file enables them too: the viewer says what is wrong with it when asked.
  return Router.HtmlHelpAvailable() && FileExists(file);
}
