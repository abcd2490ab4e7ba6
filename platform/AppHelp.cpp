#include "platform/AppHelp.h"

#include "platform/Application.h"

namespace {

// The application's help file and help event.
struct THelpState : TApplicationState {
  std::string HelpFile;
  THelpEvent OnHelp;
};

const THelpState& Help()
{
  static const THelpState none;
  const THelpState* help = FoundApplicationState<THelpState>();
  return help ? *help : none;
}

}   // namespace

const std::string& ApplicationHelpFile() { return Help().HelpFile; }
void SetApplicationHelpFile(const std::string& fileName)
{
  if (THelpState* help = ApplicationState<THelpState>())
    help->HelpFile = fileName;
}
const THelpEvent& ApplicationOnHelp() { return Help().OnHelp; }
void SetApplicationOnHelp(THelpEvent handler)
{
  if (THelpState* help = ApplicationState<THelpState>())
    help->OnHelp = std::move(handler);
}

bool ApplicationHelpCommand(Word Command, intptr_t Data)
{
  bool callHelp = true;
  bool result = false;
  // A copy: the handler may replace itself (a router being freed restores its predecessor).
  if (THelpEvent handler = Help().OnHelp)
    result = handler(Command, Data, callHelp);
  if (callHelp)
    result = WinHelp(0, Help().HelpFile, Command, Data);
  return result;
}

bool ApplicationHelpContext(THelpContext Context) { return ApplicationHelpCommand(HELP_CONTEXT, Context); }

bool WinHelp(uintptr_t, const std::string&, Word, intptr_t) { return false; }
