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

// The two panes side by side, and the 40 px scroll steps down on each (the wrap to the top
// runs untimed ahead of a step).
struct TPanes {
  THTMLViewer& Viewer;
  TReferenceBrowser& Browser;

  TSide OurStep() const
  {
    THTMLViewer* v = &Viewer;
    return {[v] {
              v->SetVScrollBarPosition(v->VScrollBarPosition() + 40);
              Settle();
            },
            [v] {
              int before = v->VScrollBarPosition();
              v->SetVScrollBarPosition(before + 40);
              bool stuck = v->VScrollBarPosition() == before;
              v->SetVScrollBarPosition(stuck ? 0 : before);
              Settle();
            }};
  }
  TSide TheirStep() const
  {
    TReferenceBrowser* b = &Browser;
    return {[b] {
              b->SetScrollPosition(b->ScrollPosition() + 40);
              Settle();
            },
            [b] {
              if (b->ScrollPosition() + 40 > b->ScrollMaximum()) {
                b->SetScrollPosition(0);
                Settle();
              }
            }};
  }
  TSide OurRepaint() const
  {
    THTMLViewer* v = &Viewer;
    return {[v] {
      v->Repaint();
      Settle();
    }};
  }
};

struct TPageFigures {
  TPair Load, Repaint, Scroll;
  bool Scrolls = false;   // a page that fits on one side has nothing to scroll
};

// One page on both sides: load, repaint and scroll step, in turns.
TPageFigures MeasurePage(const TPanes& panes, const std::string& page, int runs)
{
  THTMLViewer& viewer = panes.Viewer;
  TReferenceBrowser& browser = panes.Browser;
  TPageFigures f;
  f.Load = InTurns(std::max(3, runs / 3), {[&] {
                     viewer.LoadFromFile(page);
                     viewer.Invalidate();
                     Settle();
                   }},
                   {[&] {
                     browser.Load(page);
                     Settle();
                   }});
  f.Repaint = InTurns(runs, panes.OurRepaint(), {[&] {
                        browser.Repaint();
                        Settle();
                      }});
  viewer.SetVScrollBarPosition(0);
  browser.SetScrollPosition(0);
  Settle();
  f.Scrolls = browser.ScrollMaximum() >= 80 && [&] {
    viewer.SetVScrollBarPosition(80);
    bool moved = viewer.VScrollBarPosition() == 80;
    viewer.SetVScrollBarPosition(0);
    Settle();
    return moved;
  }();
  if (f.Scrolls)
    f.Scroll = InTurns(runs, panes.OurStep(), panes.TheirStep());
  return f;
}

// The ratios of every page so far, and the pages where ours is slower, per operation.
struct TSummary {
  std::vector<double> Load, Repaint, Scroll, ScrollShare;
  std::vector<std::string> SlowerLoad, SlowerRepaint, SlowerScroll;
};

// Prints a page's line and adds its figures to the summary.
void PrintPage(const std::string& name, const TPageFigures& f, TSummary& sum)
{
  std::string slower;
  auto note = [&](const char* what, double ratio, std::vector<double>& ratios, std::vector<std::string>& pagesSlower) {
    ratios.push_back(ratio);
    if (ratio > 1.0) {
      slower += (slower.empty() ? "" : ", ") + std::string(what);
      char figure[16];
      std::snprintf(figure, sizeof figure, " %.2f", ratio);
      pagesSlower.push_back(name + figure);
    }
  };
  note("load", f.Load.Ratio(), sum.Load, sum.SlowerLoad);
  note("repaint", f.Repaint.Ratio(), sum.Repaint, sum.SlowerRepaint);
  // The repaint ratio run by run (each run's pair), as quartiles: how sure the ratio is.
  const std::vector<double> perRun = RoundRatios(f.Repaint.Ours, f.Repaint.Theirs);
  std::printf("%-22s %7.2f %7.2f %5.2f  %7.2f %7.2f %5.2f %4.2f-%4.2f", name.c_str(), Median(f.Load.Ours),
              Median(f.Load.Theirs), f.Load.Ratio(), Median(f.Repaint.Ours), Median(f.Repaint.Theirs),
              f.Repaint.Ratio(), Quantile(perRun, 0.25), Quantile(perRun, 0.75));
  if (f.Scrolls) {
    note("scroll", f.Scroll.Ratio(), sum.Scroll, sum.SlowerScroll);
    sum.ScrollShare.push_back(Median(f.Scroll.Ours) / Median(f.Repaint.Ours));
    std::printf("  %7.2f %7.2f %5.2f  %7.2f", Median(f.Scroll.Ours), Median(f.Scroll.Theirs), f.Scroll.Ratio(),
                sum.ScrollShare.back());
  } else {
    std::printf("  %7s %7s %5s  %7s", "-", "-", "-", "-");
  }
  std::printf("  %s\n", slower.c_str());
  std::fflush(stdout);
}

// The median of per-page ratios with their spread over the pages.
void PrintSpread(const char* what, const std::vector<double>& ratios)
{
  if (ratios.empty())
    return;
  std::printf("  %-8s median %.2f, pages' quartiles %.2f-%.2f, range %.2f-%.2f over %zu pages\n", what, Median(ratios),
              Quantile(ratios, 0.25), Quantile(ratios, 0.75), Quantile(ratios, 0), Quantile(ratios, 1), ratios.size());
}

void PrintSummary(const TSummary& sum)
{
  std::printf("over the pages, ratio ours/browser:\n");
  PrintSpread("load", sum.Load);
  PrintSpread("repaint", sum.Repaint);
  PrintSpread("scroll", sum.Scroll);
  std::printf("  scroll step / our repaint: median %.2f, quartiles %.2f-%.2f\n", Median(sum.ScrollShare),
              Quantile(sum.ScrollShare, 0.25), Quantile(sum.ScrollShare, 0.75));
  for (auto [what, list] : {std::pair{"load", &sum.SlowerLoad}, std::pair{"repaint", &sum.SlowerRepaint},
                            std::pair{"scroll", &sum.SlowerScroll}}) {
    std::printf("pages where our %s is slower than the browser's (%zu):", what, list->size());
    for (const std::string& p : *list)
      std::printf(" %s", p.c_str());
    std::printf("\n");
  }
  const double rep = Median(sum.Repaint), scr = Median(sum.ScrollShare);
  std::printf("median repaint ratio %.2f (target <= 1.0: %s); median scroll step / repaint %.2f (target <= 0.3: %s)\n",
              rep, rep <= 1.0 ? "met" : "NOT met", scr, scr <= 0.3 ? "met" : "NOT met");
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

    const TPanes panes{*viewer, browser};
    if (!only.empty()) {
      // Our pane alone on the first page, for a profiler.
      viewer->LoadFromFile(pages.front());
      viewer->SetVScrollBarPosition(0);
      Settle();
      const TSide side = only == "scroll" ? panes.OurStep() : panes.OurRepaint();
      std::printf("%s: our %s, median %.3f ms\n", pages.front().c_str(), only.c_str(),
                  TimeMs(runs, side.Timed, side.Before));
    } else {
      std::printf(
          "page pane %dx%d against the text browser, %d pages, runs taken in turns (load %d, repaint and"
          " scroll %d); medians in ms, ratio ours/browser\n",
          w, h, int(pages.size()), std::max(3, runs / 3), runs);
      std::printf("%-22s %7s %7s %5s  %7s %7s %5s %9s  %7s %7s %5s  %7s  %s\n", "page", "load", "browser", "ratio",
                  "repaint", "browser", "ratio", "(per run)", "scroll", "browser", "ratio", "scr/rep",
                  "slower than the browser");
      TSummary sum;
      for (const std::string& page : pages)
        PrintPage(std::filesystem::path(page).filename().string(), MeasurePage(panes, page, runs), sum);
      PrintSummary(sum);
    }
    browser.Hide();
  }
  TApplication::Finalize();
  return status;
}
