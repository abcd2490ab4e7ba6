// A command's standard output, run by the shell (its errors go where the command sends them),
// for tests that read back what a tool says: xprop, xclip, pdfinfo, pdftotext...
#pragma once

#include <cstdio>
#include <string>

namespace testcmd {

inline std::string Output(const std::string& command)
{
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
      out.append(buf, n);
    pclose(p);
  }
  return out;
}

}   // namespace testcmd
