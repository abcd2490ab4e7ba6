// Reading a test program's own windows over the AT-SPI bus, as a screen reader
// does. The bus needs a session of its own with the accessibility bridge
// switched on before the program starts: a test runs itself again under
// dbus-run-session (RerunUnderBus), and the run under the bus reads its windows
// with tests/data/atspi/walk.py while its loop runs. A TReader keeps one
// reader running for many walks (one start-up of the reader per window kind).
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "tests/ChildLeakCheck.h"
#include "tests/TestWait.h"

namespace atspi {

inline const char* Python() { return "/usr/bin/python3"; }

// The tools are there: a session bus, the accessibility bus and the reader's
// library.
inline bool ToolsPresent()
{
  return std::system("command -v dbus-run-session > /dev/null 2>&1") == 0
         && access("/usr/libexec/at-spi-bus-launcher", X_OK) == 0
         && std::system((std::string(Python()) + " -c 'import pyatspi' > /dev/null 2>&1").c_str()) == 0;
}

// In a child just forked: becomes one of the reader's scripts (tests/data/atspi/) with its
// arguments; never returns.
[[noreturn]] inline void RunScript(const std::string& script, std::vector<std::string> args)
{
  args.insert(args.begin(), {Python(), std::string(ORRELO_TEST_DATA) + "/atspi/" + script});
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  execv(Python(), argv.data());
  _exit(127);
}

// This run is the one under the bus.
inline bool UnderBus() { return std::getenv("ORRELO_ATSPI_SESSION") != nullptr; }

// Runs the current test again in a new program under its own session bus with
// the accessibility bridge on; its exit status (0: passed) and what it printed.
inline int RerunUnderBus(std::string& output, const std::string& extraArgs = {})
{
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string filter = std::string(info->test_suite_name()) + "." + info->name();
  char exe[4096] = {};
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0)
    return -1;
  std::string log = std::string(ORRELO_TEST_OUTPUT) + "/atspi-" + filter + ".log";
  std::string cmd =
      "ORRELO_ATSPI_SESSION=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "
      "QT_ACCESSIBILITY=1 "
      "dbus-run-session -- '"
      + std::string(exe) + "' --gtest_filter='" + filter + "' " + extraArgs + " > '" + log + "' 2>&1";
  int status = 0;
  for (int run = 0; run < childcheck::MaxRuns; ++run) {
    status = std::system(cmd.c_str());
    std::ifstream in(log);
    std::stringstream ss;
    ss << in.rdbuf();
    output = ss.str();
    if (!childcheck::LeakCheckerFailed(status, output))
      break;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Opens a test that reads the tree over the bus: skips it where the tools are missing, and
// outside the bus runs it again under one and ends this run with that run's verdict.
#define ATSPI_TEST_UNDER_BUS()                                             \
  do {                                                                     \
    if (!atspi::ToolsPresent())                                            \
      GTEST_SKIP() << "dbus-run-session, at-spi2-core or pyatspi missing"; \
    if (!atspi::UnderBus()) {                                              \
      std::string rerunOutput;                                             \
      EXPECT_EQ(atspi::RerunUnderBus(rerunOutput), 0) << rerunOutput;      \
      return;                                                              \
    }                                                                      \
  } while (0)

struct TNode {
  int Depth = 0;
  std::string Role, Name, Value, Actions, States;
  TRect Extents;
  bool HasText = false;   // the text interface, with its text and caret
  std::string Text;
  int Caret = -1;
  std::string Selection;   // "start-end" of the selected text, empty where nothing is selected
  bool Interactive() const
  {
    static const char* const kinds[] = {"push button", "check box",     "radio button", "spin button", "slider",
                                        "scroll bar",  "text",          "combo box",    "menu item",   "toggle button",
                                        "page tab",    "link",          "list",         "entry",       "list item",
                                        "menu",        "document frame"};
    for (const char* k : kinds)
      if (Role == k)
        return true;
    return !Actions.empty();
  }
  bool HoldsValue() const { return Role == "spin button" || Role == "slider" || Role == "scroll bar"; }
  bool Has(const std::string& state) const { return ("," + States + ",").find("," + state + ",") != std::string::npos; }
};

inline std::vector<TNode> ParseWalk(const std::string& text)
{
  std::vector<TNode> nodes;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream ls(line);
    std::string field;
    while (std::getline(ls, field, '\t'))
      f.push_back(field);
    if (f.size() < 4 || f[0].empty() || !std::isdigit(static_cast<unsigned char>(f[0][0])))
      continue;
    f.resize(10);
    TNode node;
    node.Depth = std::atoi(f[0].c_str());
    node.Role = f[1];
    node.Name = f[2];
    node.Value = f[3] == "-" ? std::string() : f[3];
    node.Actions = f[4];
    node.States = f[5];
    int x = 0, y = 0, w = 0, h = 0;
    if (std::sscanf(f[6].c_str(), "%d,%d,%d,%d", &x, &y, &w, &h) == 4)
      node.Extents = {x, y, x + w, y + h};
    node.HasText = !f[7].empty() && f[7] != "-";
    node.Text = node.HasText ? f[7] : std::string();
    node.Caret = f[8].empty() ? -1 : std::atoi(f[8].c_str());
    node.Selection = f[9] == "-" ? std::string() : f[9];
    nodes.push_back(node);
  }
  return nodes;
}

// A reader over the bus that stays up for many walks of this program's tree; each walk runs
// while the message loop runs, so the program answers the reader.
class TReader {
public:
  TReader()
  {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
      return;
    FChild = fork();
    if (FChild == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      RunScript("walk.py", {std::to_string(getppid()), "serve"});
    }
    close(in[0]);
    close(out[1]);
    FTo = in[1];
    FFrom = out[0];
    fcntl(FFrom, F_SETFL, O_NONBLOCK);
    std::string greeting;
    FReady = ReadToEnd(greeting);
  }
  ~TReader()
  {
    if (FTo >= 0) {
      (void)!write(FTo, "\n", 1);
      close(FTo);
    }
    if (FChild > 0) {
      int status = 0;
      if (!testwait::WaitUntil([&] { return waitpid(FChild, &status, WNOHANG) == FChild; }, 5000)) {
        kill(FChild, SIGKILL);
        waitpid(FChild, &status, 0);
      }
    }
    if (FFrom >= 0)
      close(FFrom);
  }
  bool Ready() const { return FReady; }

  // Runs the requests (see walk.py), then reads the tree; raw gets what the reader said.
  std::vector<TNode> Walk(const std::vector<std::string>& requests = {}, std::string* raw = nullptr)
  {
    std::vector<std::vector<TNode>> walks = Walks(requests, raw);
    return walks.back();
  }
  // The same, with every walk the requests asked for on the way ("walk") before the last.
  std::vector<std::vector<TNode>> Walks(const std::vector<std::string>& requests, std::string* raw = nullptr)
  {
    std::string command;
    for (const std::string& r : requests)
      command += (command.empty() ? "" : "\t") + r;
    command = (command.empty() ? "-" : command) + "\n";
    std::string out;
    if (!FReady || write(FTo, command.data(), command.size()) != static_cast<ssize_t>(command.size())
        || !ReadToEnd(out))
      out += "reader gave no answer\n";
    if (raw)
      *raw += out;
    std::vector<std::vector<TNode>> walks;
    std::stringstream in(out);
    std::string part, line;
    while (std::getline(in, line)) {
      if (line == "walk") {
        walks.push_back(ParseWalk(part));
        part.clear();
      } else {
        part += line + "\n";
      }
    }
    walks.push_back(ParseWalk(part));
    return walks;
  }

private:
  // Reads until the reader's "end" line, while the loop runs; false after a minute without.
  bool ReadToEnd(std::string& out)
  {
    bool ended = false;
    testwait::WaitUntil(
        [&] {
          char buf[4096];
          ssize_t n;
          while ((n = read(FFrom, buf, sizeof buf)) > 0)
            FPending.append(buf, static_cast<size_t>(n));
          for (size_t eol; !ended && (eol = FPending.find('\n')) != std::string::npos;) {
            std::string l = FPending.substr(0, eol);
            FPending.erase(0, eol + 1);
            if (l == "end")
              ended = true;
            else
              out += l + "\n";
          }
          return ended || n == 0;
        },
        60000);
    return ended;
  }
  pid_t FChild = -1;
  int FTo = -1, FFrom = -1;
  bool FReady = false;
  std::string FPending;
};

// An event a reader heard (events.py): from which program, its type ("focus:",
// "object:state-changed:checked"...), the role and name of what sent it, its details, and
// whether what sent it said it had the focus.
struct TEvent {
  int Pid = 0;
  std::string Type, Role, Name;
  int Detail1 = 0, Detail2 = 0;
  std::string Data;
  bool SourceFocused = false;
};

// A reader listening on the bus for the events of some programs, as every screen reader
// does, from its start to its end; what it heard is read while the loop of whoever listens
// runs on (the programs may be this one).
class TListener {
public:
  explicit TListener(const std::vector<int>& pids)
  {
    int out[2];
    if (pipe(out) != 0)
      return;
    FChild = fork();
    if (FChild == 0) {
      dup2(out[1], 1);
      close(out[0]);
      std::vector<std::string> args;
      for (int pid : pids)
        args.push_back(std::to_string(pid));
      RunScript("events.py", args);
    }
    close(out[1]);
    FFrom = out[0];
    fcntl(FFrom, F_SETFL, O_NONBLOCK);
    testwait::WaitUntil(
        [&] {
          Read();
          return FReady;
        },
        30000);
  }
  ~TListener()
  {
    if (FChild > 0) {
      kill(FChild, SIGTERM);
      int status = 0;
      waitpid(FChild, &status, 0);
    }
    if (FFrom >= 0)
      close(FFrom);
  }
  TListener(const TListener&) = delete;
  TListener& operator=(const TListener&) = delete;
  bool Ready() const { return FReady; }

  // What came since the last Take, kept, or taken (forgotten).
  std::vector<TEvent> Since()
  {
    Read();
    return std::vector<TEvent>(FHeard.begin() + static_cast<std::ptrdiff_t>(FTaken), FHeard.end());
  }
  std::vector<TEvent> Take()
  {
    Read();
    std::vector<TEvent> taken(FHeard.begin() + static_cast<std::ptrdiff_t>(FTaken), FHeard.end());
    FTaken = FHeard.size();
    return taken;
  }
  // Waits (a bounded while) until an event heard since the last Take passes the test.
  bool WaitHeard(const std::function<bool(const TEvent&)>& match, int timeoutMs = 10000)
  {
    return testwait::WaitUntil(
        [&] {
          Read();
          for (size_t i = FTaken; i < FHeard.size(); ++i)
            if (match(FHeard[i]))
              return true;
          return false;
        },
        timeoutMs);
  }
  // All that was heard, one line each, for messages.
  std::string Log()
  {
    Read();
    return FLog;
  }

private:
  void Read()
  {
    char buf[4096];
    ssize_t n;
    while (FFrom >= 0 && (n = read(FFrom, buf, sizeof buf)) > 0)
      FPending.append(buf, static_cast<size_t>(n));
    for (size_t eol; (eol = FPending.find('\n')) != std::string::npos;) {
      std::string l = FPending.substr(0, eol);
      FPending.erase(0, eol + 1);
      FLog += l + "\n";
      if (l == "ready")
        FReady = true;
      std::vector<std::string> f;
      std::stringstream ls(l);
      std::string field;
      while (std::getline(ls, field, '\t'))
        f.push_back(field);
      if (f.size() < 7 || f[0] != "event")
        continue;
      f.resize(9);
      FHeard.push_back({std::atoi(f[1].c_str()), f[2], f[3], f[4], std::atoi(f[5].c_str()), std::atoi(f[6].c_str()),
                        f[7], f[8] == "focused"});
    }
  }
  pid_t FChild = -1;
  int FFrom = -1;
  bool FReady = false;
  std::string FPending, FLog;
  std::vector<TEvent> FHeard;
  size_t FTaken = 0;
};

// One walk with a reader of its own.
inline std::vector<TNode> Walk(const std::vector<std::string>& requests = {}, std::string* raw = nullptr)
{
  TReader reader;
  return reader.Walk(requests, raw);
}

// The nodes a user can act on that a screen reader could not name or read, one
// line each.
inline std::vector<std::string> Unreadable(const std::vector<TNode>& nodes)
{
  std::vector<std::string> bad;
  for (const TNode& n : nodes) {
    if (!n.Interactive())
      continue;
    if (n.Role == "filler" || n.Role == "unknown" || n.Name.empty() || (n.HoldsValue() && n.Value.empty()))
      bad.push_back(n.Role + " '" + n.Name + "' value '" + n.Value + "' actions '" + n.Actions + "'");
  }
  return bad;
}

// Boxes and lists a screen reader could not read the text or entries of: a combo box
// without its text, its value or its entries as selectable children; a text box without
// its text or caret.
inline std::vector<std::string> Unread(const std::vector<TNode>& nodes)
{
  std::vector<std::string> bad;
  for (size_t i = 0; i < nodes.size(); ++i) {
    const TNode& n = nodes[i];
    if (n.Role == "text" && (!n.HasText || n.Caret < 0 || !n.Has("editable")))
      bad.push_back("text '" + n.Name + "' without its text or caret");
    if (n.Role != "combo box")
      continue;
    if (!n.HasText || n.Value.empty())
      bad.push_back("combo box '" + n.Name + "' without its text or value");
    int entries = 0;
    for (size_t k = i + 1; k < nodes.size() && nodes[k].Depth > n.Depth; ++k)
      if (nodes[k].Role == "list item" && nodes[k].Has("selectable"))
        ++entries;
    if (entries == 0)
      bad.push_back("combo box '" + n.Name + "' without selectable entries");
  }
  return bad;
}

// Nodes that say they show but lie off the screen or outside their window, or stand in
// something that does not show.
inline std::vector<std::string> ShowingOffScreen(const std::vector<TNode>& nodes, const TRect& Screen)
{
  std::vector<std::string> bad;
  std::vector<const TNode*> above;   // the node's ancestors, by depth
  for (const TNode& n : nodes) {
    above.resize(static_cast<size_t>(std::max(n.Depth, 0)));
    above.push_back(&n);
    if (n.Depth < 2 || !n.Has("showing"))
      continue;
    const TRect& e = n.Extents;
    auto meets = [&](const TRect& r) {
      return e.Left < r.Right && r.Left < std::max(e.Right, e.Left + 1) && e.Top < r.Bottom
             && r.Top < std::max(e.Bottom, e.Top + 1);
    };
    bool hiddenAbove = false;
    for (int d = 2; d < n.Depth; ++d)
      hiddenAbove = hiddenAbove || (above[static_cast<size_t>(d)] && !above[static_cast<size_t>(d)]->Has("showing"));
    if (!meets(Screen) || !meets(above[1] ? above[1]->Extents : Screen) || hiddenAbove)
      bad.push_back(n.Role + " '" + n.Name + "' at " + std::to_string(e.Left) + "," + std::to_string(e.Top) + " "
                    + std::to_string(e.Width()) + "x" + std::to_string(e.Height())
                    + (hiddenAbove ? " in something hidden" : ""));
  }
  return bad;
}

// The nodes below the first node of that role and name (empty when there is none).
inline std::vector<TNode> Below(const std::vector<TNode>& nodes, const std::string& role, const std::string& name)
{
  std::vector<TNode> below;
  for (size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i].Role == role && nodes[i].Name == name) {
      for (size_t k = i + 1; k < nodes.size() && nodes[k].Depth > nodes[i].Depth; ++k)
        below.push_back(nodes[k]);
      break;
    }
  return below;
}

inline const TNode* Find(const std::vector<TNode>& nodes, const std::string& role, const std::string& name)
{
  for (const TNode& n : nodes)
    if (n.Role == role && n.Name == name)
      return &n;
  return nullptr;
}

}   // namespace atspi
