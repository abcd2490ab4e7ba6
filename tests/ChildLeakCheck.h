// Tests that start a program as a child under the sanitizers: LeakSanitizer checks the child
// at its exit by stopping every thread it has and scanning their memory. On a loaded machine
// a thread still starting or ending then (the GL driver's and the toolkit's are wound down as
// the program exits) can make that scan itself fault: "Tracer caught signal 11 ...
// LeakSanitizer has encountered a fatal error", exit status 1. That says nothing of the
// program, so such a run is made again (a few times at most); a leak found, or any other
// failure, still fails at once.
#pragma once

#include <sys/wait.h>

#include <string>

namespace childcheck {

constexpr int MaxRuns = 3;

inline bool LeakCheckerFailed(int Status, const std::string& Output)
{
  return WIFEXITED(Status) && WEXITSTATUS(Status) != 0 && Output.find("Tracer caught signal") != std::string::npos
         && Output.find("LeakSanitizer has encountered a fatal error") != std::string::npos;
}

}   // namespace childcheck
