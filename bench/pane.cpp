// The page pane against Qt's text browser on the same pages at the same size, both shown on
// screen side by side:
//
//   bench_pane [--size WxH] [--runs N] [--html DIR] [--only repaint|scroll] [PAGE ...]
//
// For every page (default: the first topic pages of the content beside the program, and
// the index page when it is there) it times, median of N runs each:
// - load: the file read, laid out and painted once;
// - repaint: the whole pane invalidated and painted through the event loop;
// - scroll: a 40 px step down (wrapping to the top, untimed, at the end), painted;
// and prints the ratios ours/browser, and our scroll step against our own full repaint.
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

#include "html/HtmlViewer.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/ReferenceTextBrowser.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v)
{
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Milliseconds of f, median of runs; before() runs untimed ahead of each.
double TimeMs(int runs, const std::function<void()>& f, const std::function<void()>& before = nullptr)
{
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    if (before)
      before();
    auto t0 = Clock::now();
    f();
    t.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  return Median(t);
}

void Settle() { SettleEvents(); }

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
  if (pages.empty()) {
    for (const char* name :
         {"Mechanism.htm", "Lever_Class1.htm", "Screws.htm", "CompGear.htm", "Chain.htm", "Helical.htm"})
      if (std::filesystem::exists(htmlDir + "/" + name))
        pages.push_back(htmlDir + "/" + name);
    if (pages.empty() && std::filesystem::is_directory(htmlDir))
      for (const auto& e : std::filesystem::directory_iterator(htmlDir))
        if (e.path().extension() == ".htm" && pages.size() < 6)
          pages.push_back(e.path().string());
  }
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

    std::printf("page pane %dx%d, median of %d runs (ms; ratio ours/browser)\n", w, h, runs);
    std::printf("%-20s %8s %8s %6s  %8s %8s %6s  %8s %8s %6s  %9s\n", "page", "load", "browser", "ratio", "repaint",
                "browser", "ratio", "scroll", "browser", "ratio", "scr/rep");
    std::vector<double> repaintRatios, scrollShares;
    for (const std::string& page : pages) {
      double loadOurs = TimeMs(only.empty() ? std::max(3, runs / 3) : 1, [&] {
        viewer->LoadFromFile(page);
        viewer->Invalidate();
        Settle();
      });
      double loadTheirs = !only.empty() ? 0 : TimeMs(std::max(3, runs / 3), [&] {
        browser.Load(page);
        Settle();
      });
      double repOurs = !only.empty() ? 0 : TimeMs(runs, [&] {
        viewer->Repaint();
        Settle();
      });
      double repTheirs = !only.empty() ? 0 : TimeMs(runs, [&] {
        browser.Repaint();
        Settle();
      });
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
      if (!only.empty()) {
        viewer->SetVScrollBarPosition(0);
        Settle();
        double ms = only == "scroll" ? TimeMs(runs, ourStep, ourWrap) : TimeMs(runs, [&] {
          viewer->Repaint();
          Settle();
        });
        std::printf("%s: our %s, median %.3f ms\n", page.c_str(), only.c_str(), ms);
        break;
      }
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
      double scrOurs = scrolls ? TimeMs(runs, ourStep, ourWrap) : 0;
      double scrTheirs = scrolls ? TimeMs(runs, theirStep, theirWrap) : 0;
      std::string name = std::filesystem::path(page).filename().string();
      std::printf("%-20s %8.2f %8.2f %6.2f  %8.2f %8.2f %6.2f", name.c_str(), loadOurs, loadTheirs,
                  loadOurs / loadTheirs, repOurs, repTheirs, repOurs / repTheirs);
      if (scrolls)
        std::printf("  %8.2f %8.2f %6.2f  %9.2f\n", scrOurs, scrTheirs, scrOurs / scrTheirs, scrOurs / repOurs);
      else
        std::printf("  %8s %8s %6s  %9s\n", "-", "-", "-", "-");
      repaintRatios.push_back(repOurs / repTheirs);
      if (scrolls)
        scrollShares.push_back(scrOurs / repOurs);
    }
    double rep = Median(repaintRatios), scr = Median(scrollShares);
    if (only.empty())
      std::printf(
          "median repaint ratio %.2f (target <= 1.0: %s); median scroll step / repaint %.2f (target <= 0.3: %s)\n", rep,
          rep <= 1.0 ? "met" : "NOT met", scr, scr <= 0.3 ? "met" : "NOT met");
    browser.Hide();
  }
  TApplication::Finalize();
  return status;
}
