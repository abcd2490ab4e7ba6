// Shared main of every test program: the application object exists for every test.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORRELO_LEAK_CHECK 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ORRELO_LEAK_CHECK 1
#endif
#ifdef ORRELO_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/Application.h"
#include "platform/Controls.h"
#include "tests/TestWait.h"

namespace {

// Ends the program when one test runs past the per-test limit, naming the test and what it
// was waiting for: a hang then fails in a minute or two with a reason, not at ctest's limit.
class TWatchdog : public testing::EmptyTestEventListener {
public:
  TWatchdog() : FThread([this] { Run(); }) {}
  ~TWatchdog() override
  {
    {
      std::lock_guard<std::mutex> g(FLock);
      FStop = true;
    }
    FWake.notify_all();
    FThread.join();
  }
  void OnTestStart(const testing::TestInfo& info) override
  {
    // Simulated input leaves the pointer where it went last; every test starts with it
    // resting where no test window lies, so no test decides another's hover.
    SetCursorPos({1270, 1015});
    std::lock_guard<std::mutex> g(FLock);
    FTest = std::string(info.test_suite_name()) + "." + info.name();
    FDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(testwait::TestTimeLimitSeconds());
    FRunning = true;
    FWake.notify_all();
  }
  void OnTestEnd(const testing::TestInfo&) override
  {
    std::lock_guard<std::mutex> g(FLock);
    FRunning = false;
    FWake.notify_all();
  }

private:
  void Run()
  {
    std::unique_lock<std::mutex> g(FLock);
    while (!FStop) {
      if (!FRunning) {
        FWake.wait(g);
        continue;
      }
      auto deadline = FDeadline;
      if (FWake.wait_until(g, deadline) == std::cv_status::timeout && FRunning && FDeadline == deadline) {
        std::string waits = testwait::OpenWaits();
        std::fprintf(stderr, "\n*** %s did not finish within %d s; waiting for: %s\n", FTest.c_str(),
                     testwait::TestTimeLimitSeconds(), waits.empty() ? "(nothing named)" : waits.c_str());
        std::fflush(stderr);
        _exit(3);
      }
    }
  }
  std::mutex FLock;
  std::condition_variable FWake;
  std::string FTest;
  std::chrono::steady_clock::time_point FDeadline;
  bool FRunning = false, FStop = false;
  std::thread FThread;
};

}   // namespace

int main(int argc, char** argv)
{
  // Without a display, pure-logic tests still run on the toolkit's offscreen platform.
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

  testing::InitGoogleTest(&argc, argv);
  TApplication::Initialize(argc, argv);
  // An exception that reaches the application uninvited fails the test instead of waiting
  // on a message box; tests that expect one install their own handler.
  Application->OnException = [](TObject*, const Exception& e) {
    ADD_FAILURE() << "Exception reached the application: " << e.Message;
  };
  auto* watchdog = new TWatchdog;   // the listener list owns it from here
  testing::UnitTest::GetInstance()->listeners().Append(watchdog);
  int result = RUN_ALL_TESTS();
  delete testing::UnitTest::GetInstance()->listeners().Release(watchdog);
  TApplication::Finalize();
#ifdef ORRELO_LEAK_CHECK
  // Leaks are looked for here, with the threads that are left at rest, and not at exit, where
  // the toolkit's library destructors end their threads while the checker stops every thread
  // to scan it: on a loaded machine that scan faulted now and then ("Tracer caught signal 11",
  // the test program failing after all its tests passed).
  __lsan_do_leak_check();
#endif
  return result;
}
