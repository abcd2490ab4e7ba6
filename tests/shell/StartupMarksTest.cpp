// The program itself, started as the start-up benchmark starts it: with
// ORRELO_EXIT_AFTER_STARTUP set it must mark the index and then the first model's frame on the
// monotonic clock this process shares, and end by itself, cleanly.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "tests/ChildLeakCheck.h"

extern char** environ;

namespace {

long long NowNs()
{
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

struct TRunResult {
  bool Ended = false;   // by itself, within the time limit
  int Status = 0;
  std::string Out;
  std::string Err;   // what it wrote to its standard error (also passed on to ours)
};

// Starts program with the extra environment entry; kills it when it runs past limitMs.
TRunResult RunProgram(const std::string& program, const std::string& extraEnv, int limitMs)
{
  TRunResult result;
  int out[2];
  if (pipe(out) != 0)
    return result;
  std::vector<std::string> envStrings{extraEnv};
  for (char** e = environ; *e; ++e)
    envStrings.push_back(*e);
  std::vector<char*> env;
  for (std::string& s : envStrings)
    env.push_back(s.data());
  env.push_back(nullptr);
  std::string arg0 = program;
  char* argv[] = {arg0.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const std::string errFile = std::string(ORRELO_TEST_OUTPUT) + "/startup-marks-stderr.txt";
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const long long start = NowNs();
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    close(out[0]);
    return result;
  }
  pollfd fd{out[0], POLLIN, 0};
  bool killed = false;
  for (;;) {
    const int left = limitMs - int((NowNs() - start) / 1000000);
    if (left <= 0 || poll(&fd, 1, left) <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    char buf[512];
    const ssize_t n = read(out[0], buf, sizeof buf);
    if (n <= 0)
      break;
    result.Out.append(buf, size_t(n));
  }
  close(out[0]);
  waitpid(pid, &result.Status, 0);
  result.Ended = !killed;
  std::ifstream err(errFile, std::ios::binary);
  result.Err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  std::fputs(result.Err.c_str(), stderr);
  return result;
}

}   // namespace

TEST(StartupMarks, TheProgramMarksTheIndexThenTheFirstFrameAndEndsCleanly)
{
  const std::string program = ExeFolder() + "orrelo";
  ASSERT_TRUE(FileExists(program)) << program;
  const long long before = NowNs();
  // The sanitizers make the start slow; a program that never quits is what this catches.
  TRunResult r = RunProgram(program, "ORRELO_EXIT_AFTER_STARTUP=1", 120000);
  for (int run = 1; run < childcheck::MaxRuns && r.Ended && childcheck::LeakCheckerFailed(r.Status, r.Err); ++run)
    r = RunProgram(program, "ORRELO_EXIT_AFTER_STARTUP=1", 120000);
  const long long after = NowNs();
  ASSERT_TRUE(r.Ended) << "still running; it wrote:\n" << r.Out;
  ASSERT_TRUE(WIFEXITED(r.Status)) << "ended by signal " << WTERMSIG(r.Status);
  EXPECT_EQ(WEXITSTATUS(r.Status), 0);

  std::istringstream lines(r.Out);
  std::string index, frame, extra;
  long long indexNs = 0, frameNs = 0;
  lines >> index >> indexNs >> frame >> frameNs;
  EXPECT_EQ(index, "index");
  EXPECT_EQ(frame, "frame");
  EXPECT_FALSE(lines >> extra) << "more than the two marks: " << r.Out;
  // Marks on this process's clock, in order, within the run.
  EXPECT_GT(indexNs, before);
  EXPECT_GT(frameNs, indexNs);
  EXPECT_LT(frameNs, after);
}
