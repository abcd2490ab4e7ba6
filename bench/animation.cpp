// The cost of a turning model: the real main window shows topic 1 (reached through its
// index link, as a click does) and animates it (its start button pressed) for a while; the program's frames shown per
// second and the share of one processor core it used meanwhile (its own time, the GL
// driver's threads included) are printed against the targets: at most 65 frames a second
// (one per display refresh; a display server that does not pace them gets 60) and at most
// 0.3 of a core.
//
//   LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bin/bench_animation [--seconds S] [--topic ID]
//
// Exit code 1 when the topic's model did not show.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/GLViewer.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/MainWindow.h"
#include "shell/TopicDispatch.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds()
{
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Handles messages as the program's loop does (waiting when there are none) for a while.
void RunFor(double seconds)
{
  // A slow timer of our own makes sure the wait ends even when nothing else happens.
  HWND wake = AllocateHWnd([](TMessage&) {});
  SetTimer(wake, 1, 100);
  for (auto end = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < end;)
    Application->HandleMessage();
  KillTimer(wake, 1);
  DeallocateHWnd(wake);
}

}   // namespace

int main(int argc, char** argv)
{
  double seconds = 20;
  Integer topic = 1;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
      seconds = std::atof(argv[++i]);
    else if (std::strcmp(argv[i], "--topic") == 0 && i + 1 < argc)
      topic = std::atoi(argv[++i]);

  TApplication::Initialize(argc, argv);
  SetMessageAnswerer([](const TMessageRequest&) { return mrOk; });
  int status = 0;
  {
    auto main = std::make_unique<TKVMainFrm>(ExeFolder());
    main->Show();
    RunFor(0.5);
    std::string url;
    for (const TIndexHeading& h : TopicIndexContents())
      for (const TIndexLink& l : h.Items)
        if (url.empty() && PageToTopic(l.URL, 0) == topic)
          url = l.URL;
    std::printf("following %s\n", url.c_str());
    std::fflush(stdout);
    main->Viewer->URL = url;
    GuardedCall([&] { main->Viewer->FollowLink(); });
    RunFor(1.0);               // the model built, its first frames shown
    main->StartBtn->Click();   // the user starts the model turning
    RunFor(1.0);
    auto frames = [&] { return main->SceneViewer->GetBuffer()->FrameCount(); };
    const int32_t f0 = frames();
    const double c0 = CpuSeconds();
    const auto t0 = Clock::now();
    RunFor(seconds);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double fps = (frames() - f0) / wall, core = (CpuSeconds() - c0) / wall;
    std::printf("topic %d (%s) animated %.1f s: %.1f frames/s (target <= 65: %s), %.2f of a core (target <= 0.3: %s)\n",
                int(topic), url.c_str(), wall, fps, fps <= 65 ? "met" : "NOT met", core,
                core <= 0.3 ? "met" : "NOT met");
    if (frames() == f0) {
      std::printf("no frames shown\n");
      status = 1;
    }
  }
  TApplication::Finalize();
  return status;
}
