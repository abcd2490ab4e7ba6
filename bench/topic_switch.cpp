// Switching topics in the real main window, beside the program's own content: a topic link
// followed as a click in the page delivers it (the model built, the page loaded) until the
// first frame of the new model is on screen. Every topic from 1 to 40 is timed, and the
// second example of each lever topic (its toolbar button, no page to load). Each timed
// switch starts from another topic whose page is another file, with its frame shown and
// the message queue empty. Topic 40 has no 3D view: its first frame is the cam graph's.
//
// Before the Google Benchmark table, one line per topic: whether the switch landed (topic,
// example, page, a model in the scene), the median and the fastest of the runs, and whether
// the median is within the target. The target is a time, so it is only meaningful for a
// release build on a quiet machine.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bin/bench_topic_switch [--runs N] [--topic ID]
//
// (--topic times one topic alone, for a profiler.)
//
// Exit code 1 when a switch did not land.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/MainWindow.h"
#include "shell/TopicDispatch.h"

namespace {

constexpr double TargetMs = 25;
constexpr double FrameTimeoutSeconds = 10;

struct TTarget {
  Integer Id = 0;
  Integer Example = 0;   // the lever topics' second example is 1
  std::string URL;       // the link that shows the topic
  std::string Label;
};

using Clock = std::chrono::steady_clock;

TKVMainFrm* Frm = nullptr;
int CamGraphPaints = 0;
// Where a switch's time went: the link handler (the model built), the rest of following
// the link (the page loaded), and the wait for the frame.
struct TSplit {
  double Total = 0, Build = 0, Page = 0, Frame = 0;
};
double HandlerSeconds = 0;
// The frame count when the link handler returned: frames drawn while it ran showed the old
// model or none.
int FramesAfterHandler = 0;
std::vector<std::string> Errors;

// The link a user follows to reach topic id: the index's, else a page of the program's
// that the page table names.
std::string LinkTo(Integer Id, const std::string& HTMLDir)
{
  for (const TIndexHeading& h : TopicIndexContents())
    for (const TIndexLink& l : h.Items)
      if (PageToTopic(l.URL, 0) == Id)
        return l.URL;
  for (const TPageTopic& t : PageTopicTable())
    if (t.Id == Id && std::strchr(t.Key, '#') == nullptr)
      for (const auto& e : std::filesystem::directory_iterator(HTMLDir))
        if (UpperCase(e.path().filename().string()) == t.Key)
          return "/" + e.path().filename().string();
  return {};
}

std::vector<TTarget> Targets(const std::string& HTMLDir)
{
  std::vector<TTarget> targets;
  for (Integer id = 1; id <= 40; ++id) {
    std::string url = LinkTo(id, HTMLDir);
    targets.push_back({id, 0, url, std::to_string(id) + " " + url});
    if (id >= 26 && id <= 28)
      targets.push_back({id, 1, url, std::to_string(id) + " second example"});
  }
  return targets;
}

std::string PageFile(const std::string& URL)
{
  std::string page = URL.substr(0, URL.find('#'));
  return UpperCase(std::filesystem::path(page).filename().string());
}

// A count that grows with every frame the left pane shows.
int Frames() { return Frm->SceneViewer->GetBuffer()->FrameCount() + CamGraphPaints; }

// Handles messages until a frame after `before` has been shown and the messages it caused
// are handled (a frame drawn meanwhile, as a page's own repaint may draw it, counts); false
// when none comes in time.
bool WaitForFrame(int before)
{
  const auto give = Clock::now() + std::chrono::duration<double>(FrameTimeoutSeconds);
  while (Frames() <= before) {
    if (Clock::now() > give)
      return false;
    Application->ProcessMessages();
  }
  Application->ProcessMessages();
  return true;
}

// Follows a link as a click does; gives the frame count once the model was built.
int Follow(const std::string& URL)
{
  FramesAfterHandler = Frames();
  Frm->Viewer->URL = URL;
  GuardedCall([] { Frm->Viewer->FollowLink(); });
  return FramesAfterHandler;
}

// A topic whose page is not the target's: the switch must load a page and build a model.
const TTarget& StartFor(const TTarget& T, const std::vector<TTarget>& All)
{
  for (const TTarget& s : All)
    if (s.Example == 0 && s.Id != 40 && s.Id != T.Id && PageFile(s.URL) != PageFile(T.URL))
      return s;
  return All.front();
}

// One switch to T (Total negative when no frame came).
TSplit TimeSwitch(const TTarget& T, const std::vector<TTarget>& All)
{
  TSplit split;
  split.Total = -1;
  const TTarget& start = StartFor(T, All);
  // (The last switch may have landed there already: following it again would change nothing.)
  if (Frm->CurrentTopic != start.Id || PageFile(Frm->Viewer->CurrentFile()) != PageFile(start.URL))
    if (!WaitForFrame(Follow(start.URL)))
      return split;
  // The second example is reached from the first one's model.
  if (T.Example == 1 && !WaitForFrame(Follow(T.URL)))
    return split;
  int before = Frames();
  HandlerSeconds = 0;
  const auto t0 = Clock::now();
  if (T.Example == 1) {
    Frm->LeverBtn2->Click();
    HandlerSeconds = std::chrono::duration<double>(Clock::now() - t0).count();
  } else {
    before = Follow(T.URL);
  }
  const auto t1 = Clock::now();
  if (!WaitForFrame(before))
    return split;
  const auto t2 = Clock::now();
  split.Total = std::chrono::duration<double>(t2 - t0).count();
  split.Build = HandlerSeconds;
  split.Page = std::chrono::duration<double>(t1 - t0).count() - HandlerSeconds;
  split.Frame = std::chrono::duration<double>(t2 - t1).count();
  return split;
}

// What is wrong after a switch to T, or empty.
std::string CheckLanded(const TTarget& T)
{
  std::string wrong;
  if (Frm->CurrentTopic != T.Id)
    wrong += " topic " + std::to_string(Frm->CurrentTopic);
  if (Frm->LeverExample != T.Example && T.Id >= 26 && T.Id <= 28)
    wrong += " example " + std::to_string(Frm->LeverExample);
  if (PageFile(Frm->Viewer->CurrentFile()) != PageFile(T.URL))
    wrong += " page " + Frm->Viewer->CurrentFile();
  if (T.Id <= 39 && Frm->SceneBase->GetCount() == 0)
    wrong += " empty scene";
  if (T.Id == 40 && !Frm->GraphPanel->Visible())
    wrong += " no cam graph";
  for (const std::string& e : Errors)
    wrong += " error: " + e;
  Errors.clear();
  return wrong;
}

double Median(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void BM_TopicSwitch(benchmark::State& state, const TTarget& T, const std::vector<TTarget>& All)
{
  for (auto _ : state) {
    double s = TimeSwitch(T, All).Total;
    if (s < 0) {
      state.SkipWithError("no frame");
      break;
    }
    state.SetIterationTime(s);
  }
}

}   // namespace

int main(int argc, char** argv)
{
  int runs = 9;
  Integer only = 0;
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--topic") == 0 && i + 1 < argc)
      only = std::atoi(argv[++i]);
    else
      rest.push_back(argv[i]);
  int restCount = int(rest.size());

  TApplication::Initialize(argc, argv);
  // A failed build would show a modal box; the bench records it instead.
  SetMessageAnswerer([](const TMessageRequest& r) {
    Errors.push_back(r.Text);
    return mrOk;
  });
  int failures = 0;
  {
    auto main = std::make_unique<TKVMainFrm>(ExeFolder());
    Frm = main.get();
    Application->OnException = [](TObject*, const Exception& E) { Errors.push_back(E.Message); };
    auto handler = Frm->Viewer->OnHotSpotClick;
    Frm->Viewer->OnHotSpotClick = [handler](TObject* Sender, const std::string& SRC, bool& Handled) {
      const auto t0 = Clock::now();
      // Timed however it ends.
      struct TStop {
        Clock::time_point T0;
        ~TStop()
        {
          HandlerSeconds = std::chrono::duration<double>(Clock::now() - T0).count();
          FramesAfterHandler = Frames();
        }
      } stop{t0};
      handler(Sender, SRC, Handled);
    };
    auto drawGraph = Frm->pic->OnPaint;
    Frm->pic->OnPaint = [drawGraph](TObject* Sender) {
      if (drawGraph)
        drawGraph(Sender);
      ++CamGraphPaints;
    };
    Frm->Show();
    for (auto give = Clock::now() + std::chrono::milliseconds(300); Clock::now() < give;)
      Application->ProcessMessages();

    const std::vector<TTarget> targets = Targets(Frm->HTMLDir);
    std::printf("topic switch: link followed to first frame shown, %d runs each (target: median under %.0f ms)\n", runs,
                TargetMs);
    std::printf("  %-36s %-8s %9s %9s   %s\n", "topic", "landed", "median", "min", "median of model / page / frame");
    int over = 0, timed = 0;
    double worst = 0;
    for (const TTarget& t : targets) {
      if (only && t.Id != only)
        continue;
      std::vector<double> ms, build, page, frame;
      std::string wrong;
      // One untimed switch first: the first build of a model loads its files.
      for (int i = -1; i < runs && wrong.empty(); ++i) {
        TSplit s = TimeSwitch(t, targets);
        wrong = s.Total < 0 ? " no frame" : CheckLanded(t);
        if (i >= 0 && s.Total >= 0) {
          ms.push_back(s.Total * 1000);
          build.push_back(s.Build * 1000);
          page.push_back(s.Page * 1000);
          frame.push_back(s.Frame * 1000);
        }
      }
      if (!wrong.empty() || ms.empty()) {
        std::printf("  %-36s %s\n", t.Label.c_str(), ("NO:" + wrong).c_str());
        ++failures;
        continue;
      }
      ++timed;
      const double median = Median(ms);
      worst = std::max(worst, median);
      over += median >= TargetMs ? 1 : 0;
      std::printf("  %-36s %-8s %9.1f %9.1f   %5.1f / %5.1f / %5.1f%s\n", t.Label.c_str(), "yes", median,
                  *std::min_element(ms.begin(), ms.end()), Median(build), Median(page), Median(frame),
                  median >= TargetMs ? "  over target" : "");
      std::fflush(stdout);
    }
    std::printf("slowest median %.1f ms; %d of %d switches at or over %.0f ms: %s\n", worst, over, timed + failures,
                TargetMs, over == 0 && failures == 0 ? "met" : "MISSED");
    std::fflush(stdout);

    for (const TTarget& t : targets)
      if (!only || t.Id == only)
        benchmark::RegisterBenchmark(
            ("BM_TopicSwitch/" + std::to_string(t.Id) + (t.Example ? "/second_example" : "")).c_str(), BM_TopicSwitch,
            t, targets)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Frm = nullptr;
  }
  SetMessageAnswerer({});
  TApplication::Finalize();
  return failures == 0 ? 0 : 1;
}
