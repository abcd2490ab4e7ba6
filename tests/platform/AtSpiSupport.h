// Reading a test program's own windows over the AT-SPI bus, as a screen reader
// does. The bus needs a session of its own with the accessibility bridge
// switched on before the program starts: a test runs itself again under
// dbus-run-session (RerunUnderBus), and the run under the bus reads its windows
// with tests/data/atspi/walk.py while its loop runs.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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
  int status = std::system(cmd.c_str());
  std::ifstream in(log);
  std::stringstream ss;
  ss << in.rdbuf();
  output = ss.str();
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
  bool Interactive() const
  {
    static const char* const kinds[] = {"push button", "check box", "radio button", "spin button", "slider",
                                        "scroll bar",  "text",      "combo box",    "menu item",   "toggle button",
                                        "page tab",    "link",      "list",         "entry"};
    for (const char* k : kinds)
      if (Role == k)
        return true;
    return !Actions.empty();
  }
  bool HoldsValue() const { return Role == "spin button" || Role == "slider" || Role == "scroll bar"; }
};

// Reads this program's accessibility tree (after running the requests, see
// walk.py) while the message loop runs, so the program answers the reader.
inline std::vector<TNode> Walk(const std::vector<std::string>& requests = {}, std::string* raw = nullptr)
{
  std::string out = std::string(ORRELO_TEST_OUTPUT) + "/atspi-walk-" + std::to_string(getpid()) + ".txt";
  pid_t child = fork();
  if (child == 0) {
    FILE* f = std::freopen(out.c_str(), "w", stdout);
    (void)f;
    std::vector<std::string> args = {Python(), std::string(ORRELO_TEST_DATA) + "/atspi/walk.py",
                                     std::to_string(getppid())};
    args.insert(args.end(), requests.begin(), requests.end());
    std::vector<char*> argv;
    for (auto& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(Python(), argv.data());
    _exit(127);
  }
  int status = 0;
  bool ended = testwait::WaitUntil([&] { return waitpid(child, &status, WNOHANG) == child; }, 60000);
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  std::vector<TNode> nodes;
  std::ifstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (raw)
      *raw += line + "\n";
    std::vector<std::string> f;
    std::stringstream ls(line);
    std::string field;
    while (std::getline(ls, field, '\t'))
      f.push_back(field);
    if (f.size() < 4)
      continue;
    f.resize(6);
    TNode node;
    node.Depth = std::atoi(f[0].c_str());
    node.Role = f[1];
    node.Name = f[2];
    node.Value = f[3] == "-" ? std::string() : f[3];
    node.Actions = f[4];
    node.States = f[5];
    nodes.push_back(node);
  }
  unlink(out.c_str());
  return nodes;
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

inline const TNode* Find(const std::vector<TNode>& nodes, const std::string& role, const std::string& name)
{
  for (const TNode& n : nodes)
    if (n.Role == role && n.Name == name)
      return &n;
  return nullptr;
}

}   // namespace atspi
