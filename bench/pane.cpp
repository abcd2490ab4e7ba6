// The page pane against Qt's text browser on the same pages at the same size, both shown on
// screen side by side:
//
//   bench_pane [--size WxH] [--runs N] [--html DIR] [--only repaint|scroll] [PAGE ...]
//
// For every page (default: every page of the content beside the program, HTML/*.htm) it
// times, in turns (ours, the browser's, ours, the browser's... so that a change in the
// machine's load hits both sides alike), N runs of each side:
// - load: the file read, laid out and painted once (N / 3 runs, at least 3);
// - repaint: the whole pane invalidated and painted through the event loop;
// - scroll: a 40 px step down (wrapping to the top, untimed, at the end), painted;
// and prints per page the medians, the ratios ours/browser (for the repaint also the quartiles
// of the ratio run by run), our scroll step against our own full repaint, and which
// operations are slower than the browser's. Then, over the pages, the
// median ratio with its spread, and the pages where the pane is slower.
// --only times just our pane's repaint or scroll step on the first page, for a profiler.
// The targets: repaint at most 1.0x the browser, a scroll step at most 0.3x a repaint.
// Run it under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bin/bench_pane
// With QT_SCALE_FACTOR=2 (and a screen twice as large) it measures the high-density case.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/DecoderTiming.h"
#include "html/HtmlViewer.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/ReferenceTextBrowser.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(const std::vector<double>& v) { return Quantile(v, 0.5); }

double Ms(const std::function<void()>& f)
{
  auto t0 = Clock::now();
  f();
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Milliseconds of f, median of runs; before() runs untimed ahead of each.
double TimeMs(int runs, const std::function<void()>& f, const std::function<void()>& before = nullptr)
{
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    if (before)
      before();
    t.push_back(Ms(f));
  }
  return Median(t);
}

// One side of a timing: what is timed, and what runs untimed ahead of it.
struct TSide {
  std::function<void()> Timed;
  std::function<void()> Before = nullptr;
};

// Milliseconds of each run of both sides, taken in turns: ours, theirs, ours, theirs...
struct TPair {
  std::vector<double> Ours, Theirs;
  double Ratio() const { return Median(Ours) / Median(Theirs); }
};

TPair InTurns(int runs, const TSide& ours, const TSide& theirs)
{
  TPair p;
  for (int i = 0; i < runs; ++i)
    for (auto [side, out] : {std::pair{&ours, &p.Ours}, std::pair{&theirs, &p.Theirs}}) {
      if (side->Before)
        side->Before();
      out->push_back(Ms(side->Timed));
    }
  return p;
}

void Settle() { SettleEvents(); }

// Every page of the folder, by name.
std::vector<std::string> PagesOf(const std::string& folder)
{
  std::vector<std::string> pages;
  if (std::filesystem::is_directory(folder))
    for (const auto& e : std::filesystem::directory_iterator(folder))
      if (e.is_regular_file() && (e.path().extension() == ".htm" || e.path().extension() == ".html"))
        pages.push_back(e.path().string());
  std::sort(pages.begin(), pages.end());
  return pages;
}

// The median of per-page ratios with their spread over the pages.
void PrintSpread(const char* what, const std::vector<double>& ratios)
{
  if (ratios.empty())
    return;
  std::printf("  %-8s median %.2f, pages' quartiles %.2f-%.2f, range %.2f-%.2f over %zu pages\n", what, Median(ratios),
              Quantile(ratios, 0.25), Quantile(ratios, 0.75), Quantile(ratios, 0), Quantile(ratios, 1), ratios.size());
}

}   // namespace

int main(int argc, char** argv)
{
  int w = 630, h = 940, runs = 25;
  std::string htmlDir = (std::filesystem::path(argv[0]).parent_path() / "HTML").string();
  std::vector<std::string> pages;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--size") && i + 1 < argc)
      std::sscanf(argv[++i], "%dx%d", &w, &h);
    else if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (!std::strcmp(argv[i], "--html") && i + 1 < argc)
      htmlDir = argv[++i];
    else if (!std::strcmp(argv[i], "--only") && i + 1 < argc)
      only = argv[++i];
    else
      pages.push_back(argv[i]);
  }
  if (pages.empty())
    pages = PagesOf(htmlDir);
  if (pages.empty()) {
    std::fprintf(stderr, "no pages: give files or --html DIR\n");
    return 1;
  }

  TApplication::Initialize(argc, argv);
  int status = 0;
  {
    TForm form;
    form.SetCaption("Page pane");
    form.SetBounds(0, 0, w + 20, h + 40);
    auto viewerOwner = std::make_unique<THTMLViewer>();
    THTMLViewer* viewer = viewerOwner.get();
    viewer->SetParent(&form);
    viewer->SetBounds(0, 0, w, h);
    form.Show();

    TReferenceBrowser browser(w + 30, 0, w, h);
    Settle();

    std::printf(
        "page pane %dx%d against the text browser, %d pages, runs taken in turns (load %d, repaint and"
        " scroll %d); medians in ms, ratio ours/browser\n",
        w, h, int(pages.size()), std::max(3, runs / 3), runs);
    std::printf("%-22s %7s %7s %5s  %7s %7s %5s %9s  %7s %7s %5s  %7s  %s\n", "page", "load", "browser", "ratio",
                "repaint", "browser", "ratio", "(per run)", "scroll", "browser", "ratio", "scr/rep",
                "slower than the browser");
    // 40 px steps down; the wrap to the top is not timed.
    auto ourStep = [&] {
      viewer->SetVScrollBarPosition(viewer->VScrollBarPosition() + 40);
      Settle();
    };
    auto ourWrap = [&] {
      int before = viewer->VScrollBarPosition();
      viewer->SetVScrollBarPosition(before + 40);
      bool stuck = viewer->VScrollBarPosition() == before;
      viewer->SetVScrollBarPosition(stuck ? 0 : before);
      Settle();
    };
    auto theirStep = [&] {
      browser.SetScrollPosition(browser.ScrollPosition() + 40);
      Settle();
    };
    auto theirWrap = [&] {
      if (browser.ScrollPosition() + 40 > browser.ScrollMaximum()) {
        browser.SetScrollPosition(0);
        Settle();
      }
    };
    std::vector<double> loadRatios, repaintRatios, scrollRatios, scrollShares;
    std::vector<std::string> slowerLoad, slowerRepaint, slowerScroll;
    for (const std::string& page : pages) {
      const std::string name = std::filesystem::path(page).filename().string();
      if (!only.empty()) {
        viewer->LoadFromFile(page);
        viewer->SetVScrollBarPosition(0);
        Settle();
        double ms = only == "scroll" ? TimeMs(runs, ourStep, ourWrap) : TimeMs(runs, [&] {
          viewer->Repaint();
          Settle();
        });
        std::printf("%s: our %s, median %.3f ms\n", page.c_str(), only.c_str(), ms);
        break;
      }
      const TPair load = InTurns(std::max(3, runs / 3), {[&] {
                                   viewer->LoadFromFile(page);
                                   viewer->Invalidate();
                                   Settle();
                                 }},
                                 {[&] {
                                   browser.Load(page);
                                   Settle();
                                 }});
      const TPair repaint = InTurns(runs, {[&] {
                                      viewer->Repaint();
                                      Settle();
                                    }},
                                    {[&] {
                                      browser.Repaint();
                                      Settle();
                                    }});
      viewer->SetVScrollBarPosition(0);
      browser.SetScrollPosition(0);
      Settle();
      // A page that fits on one side has nothing to scroll: no scroll figures for it.
      const bool scrolls = browser.ScrollMaximum() >= 80 && [&] {
        viewer->SetVScrollBarPosition(80);
        bool moved = viewer->VScrollBarPosition() == 80;
        viewer->SetVScrollBarPosition(0);
        Settle();
        return moved;
      }();
      const TPair scroll = scrolls ? InTurns(runs, {ourStep, ourWrap}, {theirStep, theirWrap}) : TPair{};
      std::string slower;
      auto note = [&](const char* what, double ratio, std::vector<double>& ratios,
                      std::vector<std::string>& pagesSlower) {
        ratios.push_back(ratio);
        if (ratio > 1.0) {
          slower += (slower.empty() ? "" : ", ") + std::string(what);
          char figure[16];
          std::snprintf(figure, sizeof figure, " %.2f", ratio);
          pagesSlower.push_back(name + figure);
        }
      };
      note("load", load.Ratio(), loadRatios, slowerLoad);
      note("repaint", repaint.Ratio(), repaintRatios, slowerRepaint);
      // The repaint ratio run by run (each run's pair), as quartiles: how sure the ratio is.
      const std::vector<double> perRun = RoundRatios(repaint.Ours, repaint.Theirs);
      std::printf("%-22s %7.2f %7.2f %5.2f  %7.2f %7.2f %5.2f %4.2f-%4.2f", name.c_str(), Median(load.Ours),
                  Median(load.Theirs), load.Ratio(), Median(repaint.Ours), Median(repaint.Theirs), repaint.Ratio(),
                  Quantile(perRun, 0.25), Quantile(perRun, 0.75));
      if (scrolls) {
        note("scroll", scroll.Ratio(), scrollRatios, slowerScroll);
        scrollShares.push_back(Median(scroll.Ours) / Median(repaint.Ours));
        std::printf("  %7.2f %7.2f %5.2f  %7.2f", Median(scroll.Ours), Median(scroll.Theirs), scroll.Ratio(),
                    scrollShares.back());
      } else {
        std::printf("  %7s %7s %5s  %7s", "-", "-", "-", "-");
      }
      std::printf("  %s\n", slower.c_str());
      std::fflush(stdout);
    }
    if (only.empty()) {
      std::printf("over the pages, ratio ours/browser:\n");
      PrintSpread("load", loadRatios);
      PrintSpread("repaint", repaintRatios);
      PrintSpread("scroll", scrollRatios);
      std::printf("  scroll step / our repaint: median %.2f, quartiles %.2f-%.2f\n", Median(scrollShares),
                  Quantile(scrollShares, 0.25), Quantile(scrollShares, 0.75));
      for (auto [what, list] :
           {std::pair{"load", &slowerLoad}, std::pair{"repaint", &slowerRepaint}, std::pair{"scroll", &slowerScroll}}) {
        std::printf("pages where our %s is slower than the browser's (%zu):", what, list->size());
        for (const std::string& p : *list)
          std::printf(" %s", p.c_str());
        std::printf("\n");
      }
      const double rep = Median(repaintRatios), scr = Median(scrollShares);
      std::printf(
          "median repaint ratio %.2f (target <= 1.0: %s); median scroll step / repaint %.2f (target <= 0.3: %s)\n", rep,
          rep <= 1.0 ? "met" : "NOT met", scr, scr <= 0.3 ? "met" : "NOT met");
    }
    browser.Hide();
  }
  TApplication::Finalize();
  return status;
}
