// What a desktop test stands on: desktops with a window manager (with-window-manager.sh),
// the program started on one as a user starts it, and the X server's own tools to read back
// what the user sees (xprop, xwininfo, a screenshot) and to give input as a hand does
// (xdotool). Everything here goes through the X server; nothing reads the program's memory.
#pragma once

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/CommandOutput.h"

namespace desktop {

using testcmd::Output;

inline std::string Quoted(const std::string& s)
{
  std::string q = "'";
  for (char c : s)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The folder of this test program, where the program and its content lie too.
inline std::string BinFolder()
{
  char exe[4096] = {};
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::string path(exe, n > 0 ? size_t(n) : 0);
  return path.substr(0, path.rfind('/'));
}

// Polls until the condition holds or the time runs out; true when it held.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000, int stepMs = 50)
{
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
  }
  return true;
}

// A window's place as the X server has it: the client area in root coordinates, and the
// frame the window manager put around it (left, right, top, bottom).
struct TWindowPlace {
  int X = 0, Y = 0, Width = 0, Height = 0;
  int FrameLeft = 0, FrameRight = 0, FrameTop = 0, FrameBottom = 0;
  int OuterLeft() const { return X - FrameLeft; }
  int OuterTop() const { return Y - FrameTop; }
  int OuterRight() const { return X + Width + FrameRight; }
  int OuterBottom() const { return Y + Height + FrameBottom; }
};

// One desktop: a display of its own with openbox on it, ended with the object. The tools
// below run against it.
class TDesktop {
public:
  // The display this test program runs on (with-window-manager.sh started it), read and
  // driven with the same tools; it is not ended with the object.
  struct TThisDisplay {};
  explicit TDesktop(TThisDisplay)
  {
    const char* display = std::getenv("DISPLAY");
    FDisplay = display ? display : "";
  }
  explicit TDesktop(const std::string& size = "1280x1024")
  {
    std::string script = std::string(ORRELO_DESKTOP_SCRIPT);
    int fds[2];
    if (pipe(fds) != 0)
      return;
    FPid = fork();
    if (FPid == 0) {
      setpgid(0, 0);
      dup2(fds[1], 1);
      close(fds[0]);
      close(fds[1]);
      execl(script.c_str(), script.c_str(), "--size", size.c_str(), "--announce", "--", "sleep", "100000",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string line;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
      line += c;
    close(fds[0]);
    if (line.rfind("DISPLAY=", 0) == 0)
      FDisplay = line.substr(8);
  }
  ~TDesktop()
  {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      int status = 0;
      waitpid(FPid, &status, 0);
    }
  }
  TDesktop(const TDesktop&) = delete;
  TDesktop& operator=(const TDesktop&) = delete;

  bool Running() const { return !FDisplay.empty(); }
  const std::string& Display() const { return FDisplay; }

  // A command run against this desktop's display.
  std::string Run(const std::string& command) const
  {
    return Output("DISPLAY=" + FDisplay + " " + command + " 2>/dev/null");
  }

  // Windows whose title matches the pattern (xdotool's regular expression), visible ones only.
  std::vector<std::string> WindowsNamed(const std::string& pattern) const
  {
    std::vector<std::string> ids;
    std::istringstream in(Run("xdotool search --onlyvisible --name " + Quoted(pattern)));
    for (std::string id; in >> id;)
      ids.push_back(id);
    return ids;
  }
  // The one visible window with that title, waited for.
  std::string WaitWindow(const std::string& pattern, int timeoutMs = 20000) const
  {
    std::string found;
    WaitFor(
        [&] {
          auto ids = WindowsNamed(pattern);
          if (ids.empty())
            return false;
          found = ids.front();
          return true;
        },
        timeoutMs);
    return found;
  }

  std::string Property(const std::string& id, const std::string& name) const
  {
    return Run("xprop -id " + id + " " + name);
  }
  // The window this one is transient for ("" where none).
  std::string TransientFor(const std::string& id) const
  {
    std::string out = Property(id, "WM_TRANSIENT_FOR");
    auto at = out.find("window id # ");
    return at == std::string::npos ? std::string() : Decimal(out.substr(at + 12));
  }
  // The window manager's state atoms of a window (_NET_WM_STATE_ABOVE...), as xprop lists them.
  std::string NetState(const std::string& id) const { return Property(id, "_NET_WM_STATE"); }

  TWindowPlace Place(const std::string& id) const
  {
    TWindowPlace p;
    std::string info = Run("xwininfo -id " + id);
    p.X = Field(info, "Absolute upper-left X:");
    p.Y = Field(info, "Absolute upper-left Y:");
    p.Width = Field(info, "Width:");
    p.Height = Field(info, "Height:");
    std::string extents = Property(id, "_NET_FRAME_EXTENTS");
    auto eq = extents.find('=');
    if (eq != std::string::npos)
      std::sscanf(extents.c_str() + eq + 1, " %d, %d, %d, %d", &p.FrameLeft, &p.FrameRight, &p.FrameTop,
                  &p.FrameBottom);
    return p;
  }

  // The managed windows bottom to top, as the window manager stacks them (decimal ids).
  std::vector<std::string> Stacking() const
  {
    std::vector<std::string> ids;
    std::string out = Run("xprop -root _NET_CLIENT_LIST_STACKING");
    auto at = out.find('#');
    if (at == std::string::npos)
      return ids;
    std::istringstream in(out.substr(at + 1));
    for (std::string id; std::getline(in, id, ',');)
      ids.push_back(Decimal(id));
    return ids;
  }
  // Raises another program's window as it asks the window manager to, and waits, with a
  // bound, until the window manager has it on top: a click sent before then (a busy window
  // manager reads the request late) goes to the window that was there.
  bool Raise(const std::string& id, int timeoutMs = 10000) const
  {
    Run("xdotool windowraise " + id);
    return WaitFor(
        [&] {
          const auto order = Stacking();
          return !order.empty() && order.back() == Decimal(id);
        },
        timeoutMs);
  }
  // Whether window a is stacked above window b.
  bool Above(const std::string& a, const std::string& b) const
  {
    auto order = Stacking();
    auto ia = std::find(order.begin(), order.end(), Decimal(a));
    auto ib = std::find(order.begin(), order.end(), Decimal(b));
    return ia != order.end() && ib != order.end() && ia > ib;
  }
  // The desktop's work area (_NET_WORKAREA of the first desktop) as left, top, right, bottom.
  TWindowPlace WorkArea() const
  {
    TWindowPlace p;
    std::string out = Run("xprop -root _NET_WORKAREA");
    auto eq = out.find('=');
    if (eq != std::string::npos)
      std::sscanf(out.c_str() + eq + 1, " %d, %d, %d, %d", &p.X, &p.Y, &p.Width, &p.Height);
    return p;
  }
  // The window with that title that the window manager has framed, waited for (a window of
  // the same name without a frame, such as a splash, is not it).
  std::string WaitFramedWindow(const std::string& pattern, int timeoutMs = 60000) const
  {
    std::string found;
    WaitFor(
        [&] {
          for (const std::string& id : WindowsNamed(pattern))
            if (Place(id).FrameTop > 0) {
              found = id;
              return true;
            }
          return false;
        },
        timeoutMs);
    return found;
  }
  std::string ActiveWindow() const
  {
    std::string out = Run("xdotool getactivewindow");
    return out.empty() ? out : Decimal(out);
  }
  // Waits, with a bound, until the window manager has caught up with a window that went: the
  // window it holds active is one that shows. Until then the gone window's empty frame stays
  // on the screen, and a click there reaches no program.
  bool WaitActiveShows(int timeoutMs = 10000) const
  {
    return WaitFor(
        [&] {
          const std::string active = ActiveWindow();
          return active.empty() || Run("xwininfo -id " + active).find("IsViewable") != std::string::npos;
        },
        timeoutMs);
  }
  // Activates a window and waits, with a bound, until the X server gives it the keyboard:
  // the window manager marks a window active a moment before the focus follows, and keys
  // typed in between go to the window that had it.
  bool Focus(const std::string& window, int timeoutMs = 10000) const
  {
    Run("xdotool windowactivate --sync " + window);
    return WaitFor(
        [&] {
          const std::string out = Run("xdotool getwindowfocus -f");
          return !out.empty() && Decimal(out) == Decimal(window);
        },
        timeoutMs);
  }

  // Input as a hand gives it, through the X server.
  void Click(int x, int y, int button = 1) const
  {
    Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click " + std::to_string(button));
  }
  void Keys(const std::string& keys) const { Run("xdotool key --delay 40 " + keys); }
  void Type(const std::string& text) const { Run("xdotool type --delay 40 " + Quoted(text)); }

  // The whole screen into the test output folder.
  void Screenshot(const std::string& name) const
  {
    Run("import -window root " + Quoted(std::string(ORRELO_TEST_OUTPUT) + "/" + name));
  }

private:
  static int Field(const std::string& text, const std::string& label)
  {
    auto at = text.find(label);
    return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + label.size());
  }
  // Window ids as decimal text, however the tool wrote them ("0x1e00003" or "31457283").
  static std::string Decimal(const std::string& id)
  {
    unsigned long v = std::strtoul(id.c_str(), nullptr, 0);
    return std::to_string(v);
  }
  pid_t FPid = -1;
  std::string FDisplay;
};

// The program itself, started on a desktop from its folder as a user starts it, ended with
// the object.
class TProgram {
public:
  // folder: where the program lies with its content (empty: this test program's folder).
  TProgram(const TDesktop& desk, const std::string& name = "orrelo", const std::string& programFolder = "")
  {
    std::string folder = programFolder.empty() ? BinFolder() : programFolder;
    FPid = fork();
    if (FPid == 0) {
      setpgid(0, 0);
      setenv("DISPLAY", desk.Display().c_str(), 1);
      if (chdir(folder.c_str()) != 0)
        _exit(127);
      std::string exe = folder + "/" + name;
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TProgram() { End(); }
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  // The program's process (its windows carry it as _NET_WM_PID).
  pid_t Pid() const { return FPid; }
  // Still running?
  bool Running()
  {
    if (FPid <= 0)
      return false;
    int status = 0;
    if (waitpid(FPid, &status, WNOHANG) == FPid) {
      FPid = -1;
      return false;
    }
    return true;
  }
  void End()
  {
    if (FPid > 0) {
      kill(-FPid, SIGKILL);
      int status = 0;
      waitpid(FPid, &status, 0);
      FPid = -1;
    }
  }

private:
  pid_t FPid = -1;
};

// Another program's window (xmessage) on a desktop, ended with the object.
class TOtherProgram {
public:
  TOtherProgram(const TDesktop& desk, const std::string& title, int x, int y)
  {
    FPid = fork();
    if (FPid == 0) {
      setpgid(0, 0);
      setenv("DISPLAY", desk.Display().c_str(), 1);
      const std::string geometry = "+" + std::to_string(x) + "+" + std::to_string(y);
      execlp("xmessage", "xmessage", "-title", title.c_str(), "-geometry", geometry.c_str(), "another program's window",
             static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TOtherProgram()
  {
    if (FPid > 0) {
      kill(-FPid, SIGKILL);
      waitpid(FPid, nullptr, 0);
    }
  }
  TOtherProgram(const TOtherProgram&) = delete;
  TOtherProgram& operator=(const TOtherProgram&) = delete;
  pid_t Pid() const { return FPid; }
  // Whether it has ended (its "okay" button clicked ends it).
  bool Ended()
  {
    if (FPid > 0 && waitpid(FPid, nullptr, WNOHANG) == FPid)
      FPid = -1;
    return FPid <= 0;
  }

private:
  pid_t FPid = -1;
};

}   // namespace desktop
