#include "platform/AppHelp.h"

namespace {
std::string GHelpFile;
THelpEvent GOnHelp;
}   // namespace

const std::string& ApplicationHelpFile() { return GHelpFile; }
void SetApplicationHelpFile(const std::string& fileName) { GHelpFile = fileName; }
const THelpEvent& ApplicationOnHelp() { return GOnHelp; }
void SetApplicationOnHelp(THelpEvent handler) { GOnHelp = std::move(handler); }

bool ApplicationHelpCommand(Word Command, intptr_t Data)
{
  bool callHelp = true;
  bool result = false;
  // A copy: the handler may replace itself (a router being freed restores its predecessor).
  if (THelpEvent handler = GOnHelp)
    result = handler(Command, Data, callHelp);
  if (callHelp)
    result = WinHelp(0, GHelpFile, Command, Data);
  return result;
}

bool ApplicationHelpContext(THelpContext Context) { return ApplicationHelpCommand(HELP_CONTEXT, Context); }

bool WinHelp(uintptr_t, const std::string&, Word, intptr_t) { return false; }
