// Start-up of the program against a bare window of the same toolkit, launched the same way in
// the same run. Each process is started with ORRELO_EXIT_AFTER_STARTUP=1 and writes the
// moments it reaches on the monotonic clock; the time from just before the launch to each
// moment is the start-up time. The program marks "index" (the window with the topic index
// painted) and "frame" (the first model's first frame on screen, after the index's first
// topic link); the bare window (bench_bare_window, beside this program) marks "shown", and
// with a GL view of the 3D view's size also "frame" (its first, empty, GL frame on screen).
// The bare window is also started showing a splash window first, as the program must, which
// tells what that order costs the toolkit on its own. The plain-toolkit reference is the same
// window and GL view made with Qt alone (bench_bare_window --qt-gl with the toolkit's GL widget,
// --qt-gl-window with its GL window embedded): the first 3D frame is also measured against the
// faster of the two, what a user could get from the toolkit without our platform layer.
// Runs take turns so that a change in the machine's load hits every kind alike.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bin/bench_startup [--runs N]
//
// Exit code 1 when a process did not reach its moments.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/DecoderTiming.h"

extern char** environ;

namespace {

// The index against the bare window, the first 3D frame against the bare GL view's first frame.
constexpr double IndexTarget = 1.3;
constexpr double FrameTarget = 1.4;
constexpr int RunTimeoutMs = 60000;

long long NowNs()
{
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct TRun {
  bool Ok = false;
  std::map<std::string, double> Ms;   // moment name -> milliseconds after the launch
  std::string Errors;                 // what the process wrote to its error stream
};

// Reads "<name> <ns>" lines into marks.
void ParseMarks(const std::string& out, long long start, TRun& run)
{
  size_t pos = 0;
  while (pos < out.size()) {
    size_t end = out.find('\n', pos);
    if (end == std::string::npos)
      break;
    std::string line = out.substr(pos, end - pos);
    pos = end + 1;
    char name[32];
    long long ns = 0;
    if (std::sscanf(line.c_str(), "%31s %lld", name, &ns) == 2)
      run.Ms[name] = double(ns - start) / 1e6;
  }
}

// Launches program with the start-up flag and collects its marks; a process that does not
// end in time is killed.
TRun Launch(const std::string& program, const std::vector<std::string>& args)
{
  TRun run;
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) {
    run.Errors = "no pipe";
    return run;
  }
  std::vector<std::string> envStrings{"ORRELO_EXIT_AFTER_STARTUP=1"};
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "ORRELO_EXIT_AFTER_STARTUP=", 26) != 0)
      envStrings.push_back(*e);
  std::vector<char*> env;
  for (std::string& s : envStrings)
    env.push_back(s.data());
  env.push_back(nullptr);
  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argStrings)
    argv.push_back(s.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  pid_t pid = 0;
  const long long start = NowNs();
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  if (rc != 0) {
    close(out[0]);
    close(err[0]);
    run.Errors = std::string("cannot start: ") + std::strerror(rc);
    return run;
  }

  std::string text;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  bool killed = false;
  while (open > 0) {
    int left = int(RunTimeoutMs - (NowNs() - start) / 1000000);
    if (left <= 0 || poll(fds, 2, left) <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    for (pollfd& f : fds) {
      if (f.fd < 0 || !(f.revents & (POLLIN | POLLHUP | POLLERR)))
        continue;
      char buf[4096];
      ssize_t n = read(f.fd, buf, sizeof buf);
      if (n <= 0) {
        close(f.fd);
        f.fd = -1;
        --open;
        continue;
      }
      (f.fd == out[0] ? text : run.Errors).append(buf, size_t(n));
    }
  }
  for (pollfd& f : fds)
    if (f.fd >= 0)
      close(f.fd);
  int status = 0;
  waitpid(pid, &status, 0);
  ParseMarks(text, start, run);
  run.Ok = !killed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (killed)
    run.Errors += "\n(killed after " + std::to_string(RunTimeoutMs / 1000) + " s)";
  return run;
}

double Median(const std::vector<double>& v) { return Quantile(v, 0.5); }

struct TSeries {
  const char* Label;
  std::vector<double> Ms;
};

}   // namespace

int main(int argc, char** argv)
{
  int runs = 15;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "usage: %s [--runs N]\n", argv[0]);
      return 2;
    }
  const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  const std::string bare = (folder / "bench_bare_window").string();
  const std::string program = (folder / "orrelo").string();

  TSeries shown{"bare window shown", {}}, glShown{"bare window with a GL view shown", {}},
      glFrame{"bare window with a GL view, first GL frame", {}}, index{"Orrelo index shown", {}},
      frame{"Orrelo first 3D frame", {}}, splashShown{"bare window after a splash window shown", {}},
      qtWidgetFrame{"Qt alone, GL widget, first GL frame", {}},
      qtWindowFrame{"Qt alone, GL window, first GL frame", {}}, qtWidgetShown{"Qt alone, GL widget, window shown", {}},
      qtWindowShown{"Qt alone, GL window, window shown", {}};
  struct TExpect {
    const std::string* Program;
    std::vector<std::string> Args;
    std::vector<std::pair<const char*, TSeries*>> Marks;
  };
  const TExpect bareRun{&bare, {}, {{"shown", &shown}}};
  const TExpect glRun{&bare, {"--gl"}, {{"shown", &glShown}, {"frame", &glFrame}}};
  const TExpect splashRun{&bare, {"--splash"}, {{"shown", &splashShown}}};
  const TExpect programRun{&program, {}, {{"index", &index}, {"frame", &frame}}};
  const TExpect qtWidgetRun{&bare, {"--qt-gl"}, {{"shown", &qtWidgetShown}, {"frame", &qtWidgetFrame}}};
  const TExpect qtWindowRun{&bare, {"--qt-gl-window"}, {{"shown", &qtWindowShown}, {"frame", &qtWindowFrame}}};
  // One untimed start of each first: the first start after a build pays for the disk. The
  // order turns with every round.
  std::vector<const TExpect*> order{&bareRun, &programRun, &glRun, &qtWidgetRun, &splashRun, &qtWindowRun};
  for (int i = -1; i < runs; ++i) {
    std::rotate(order.begin(), order.begin() + 1, order.end());
    for (const TExpect* e : order) {
      TRun r = Launch(*e->Program, e->Args);
      bool complete = r.Ok;
      for (auto [mark, series] : e->Marks)
        complete = complete && r.Ms.count(mark);
      if (!complete) {
        std::fprintf(stderr, "%s did not reach its start-up marks:\n%s\n", e->Program->c_str(), r.Errors.c_str());
        return 1;
      }
      if (i >= 0)
        for (auto [mark, series] : e->Marks)
          series->Ms.push_back(r.Ms[mark]);
    }
  }
  const double base = Median(shown.Ms);
  std::printf("start-up over %d runs each (ms from launch)         median      min  p25-p75       ratio to bare\n",
              runs);
  for (const TSeries* s : {&shown, &splashShown, &glShown, &glFrame, &qtWidgetShown, &qtWidgetFrame, &qtWindowShown,
                           &qtWindowFrame, &index, &frame})
    std::printf("  %-45s %9.1f %8.1f %6.1f-%-6.1f %9.2f\n", s->Label, Median(s->Ms),
                *std::min_element(s->Ms.begin(), s->Ms.end()), Quantile(s->Ms, 0.25), Quantile(s->Ms, 0.75),
                Median(s->Ms) / base);
  const double indexRatio = Median(index.Ms) / base;
  const double frameRatio = Median(frame.Ms) / Median(glFrame.Ms);
  std::printf("start-up to the index shown: %.2f x the bare window (target %.1f x): %s\n", indexRatio, IndexTarget,
              indexRatio <= IndexTarget ? "met" : "MISSED");
  std::printf("  (%.2f x the bare window that shows a splash window first)\n",
              Median(index.Ms) / Median(splashShown.Ms));
  std::printf("start-up to the first 3D frame: %.2f x the bare GL view's first frame (target %.1f x): %s\n", frameRatio,
              FrameTarget, frameRatio <= FrameTarget ? "met" : "MISSED");
  const TSeries& qt = Median(qtWidgetFrame.Ms) <= Median(qtWindowFrame.Ms) ? qtWidgetFrame : qtWindowFrame;
  std::printf("start-up to the first 3D frame: %.2f x a plain Qt GL window's first frame (%s)\n",
              Median(frame.Ms) / Median(qt.Ms), &qt == &qtWidgetFrame ? "GL widget" : "GL window");
  std::printf("  the platform layer's bare GL view: %.2f x the plain Qt GL window's first frame\n",
              Median(glFrame.Ms) / Median(qt.Ms));
  return 0;
}
