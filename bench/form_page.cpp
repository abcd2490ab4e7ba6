// A page of many form fields in the shown page pane: opening a page of N `<input type=text>`
// (and a line of text each) and leaving it for a small page, as following a link and going
// Back do, for N = 2,000 to 16,000 doubling (--max N to go further). Printed per size: the
// best time of each (of three rounds or more), their growth per doubling (linear work gives 2;
// the target is at most 2.2), and the times to open and leave a page of the same text without
// the fields. The pointer stands over the pane, as a user's does (xdotool moves it there;
// without it the toolkit skips the work a pointer inside the window asks for). --mix makes the
// fields text boxes, check boxes and radio buttons in turn. --profile N only opens and leaves a page of N fields
// five times, for a profiler; with --perf-control CTL ACK it tells `perf record --control
// fifo:CTL,ACK -D -1` to count the opening only (--leave: the leaving only); --text profiles the
// page's text alone. Run it under Xvfb:
//     xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bin/bench_form_page
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "html/HtmlViewer.h"
#include "platform/Application.h"
#include "platform/Forms.h"

namespace {

using Clock = std::chrono::steady_clock;

void Settle()
{
  for (int i = 0; i < 4; ++i)
    Application->ProcessMessages();
}

// With --mix the fields are text boxes, check boxes and radio buttons in turn (a group of
// three radio buttons each).
bool Mix = false;

std::string Page(int fields, bool withFields)
{
  std::string s = "<html><body><form>";
  s.reserve(static_cast<size_t>(fields) * 48 + 64);
  for (int i = 0; i < fields; ++i) {
    const std::string n = std::to_string(i);
    s += "Field " + n + " ";
    if (!withFields)
      s += "<b>f" + n + "</b>";
    else if (!Mix || i % 3 == 0)
      s += "<input type=text name=f" + n + ">";
    else if (i % 3 == 1)
      s += "<input type=checkbox name=f" + n + ">";
    else
      s += "<input type=radio name=r" + std::to_string(i / 9) + " value=" + n + ">";
    s += "<br>";
  }
  return s + "</form></body></html>";
}

// The best of at least three rounds, more while they add up to under half a second (at most
// 30): a leaving of a few milliseconds is otherwise as much the machine's noise as its own.
double BestSeconds(const std::function<void()>& before, const std::function<void()>& timed)
{
  double best = 1e30, total = 0;
  for (int r = 0; r < 30 && (r < 3 || total < 0.5); ++r) {
    before();
    const auto t0 = Clock::now();
    timed();
    const double t = std::chrono::duration<double>(Clock::now() - t0).count();
    best = std::min(best, t);
    total += t;
  }
  return best;
}

// The table: open, leave and the text alone per size, doubling up to maxFields; 0 when the
// growth keeps to the target. A step's growth also shows where the page's memory outgrows the
// processor's caches (about 8,000 to 16,000 fields here, up to 2.3 for leaving); the target is
// judged on the growth per doubling over the whole range.
int Table(THTMLViewer& viewer, const std::string& small, int maxFields, bool pointer)
{
  std::printf("page pane 800x600, pointer %s, %s; best of 3 to 30, seconds; growth per doubling\n",
              pointer ? "over the pane" : "elsewhere (no xdotool)",
              Mix ? "text boxes, check boxes and radio buttons" : "text boxes");
  std::printf("%7s %9s %7s %9s %7s %9s %10s %10s\n", "fields", "open", "growth", "leave", "growth", "text", "open/text",
              "text leave");
  double first[3] = {0, 0, 0}, last[3] = {0, 0, 0};
  int doublings = 0;
  for (int n = 2000; n <= maxFields; n *= 2) {
    const std::string page = Page(n, true);
    const std::string text = Page(n, false);
    auto toSmall = [&] {
      viewer.LoadFromString(small);
      Settle();
    };
    auto to = [&](const std::string& p) {
      return [&] {
        viewer.LoadFromString(p);
        Settle();
      };
    };
    const double open = BestSeconds(toSmall, to(page));
    const double leave = BestSeconds(to(page), toSmall);
    const double plain = BestSeconds(toSmall, to(text));
    const double plainLeave = BestSeconds(to(text), toSmall);
    char og[16] = "", lg[16] = "";
    if (last[0] > 0) {
      std::snprintf(og, sizeof og, "%.2f", open / last[0]);
      std::snprintf(lg, sizeof lg, "%.2f", leave / last[1]);
      ++doublings;
    } else {
      first[0] = open;
      first[1] = leave;
      first[2] = plainLeave;
    }
    std::printf("%7d %9.3f %7s %9.3f %7s %9.3f %10.2f %10.3f\n", n, open, og, leave, lg, plain, open / plain,
                plainLeave);
    std::fflush(stdout);
    last[0] = open;
    last[1] = leave;
    last[2] = plainLeave;
  }
  if (doublings == 0)
    return 0;
  auto growth = [&](int i) { return std::pow(last[i] / first[i], 1.0 / doublings); };
  const bool met = growth(0) <= 2.2 && growth(1) <= 2.2;
  std::printf("growth per doubling from 2000 to %d fields: open %.2f, leave %.2f (the text alone: leave %.2f)\n",
              maxFields, growth(0), growth(1), growth(2));
  std::printf("target (growth at most 2.2 per doubling): %s\n", met ? "met" : "NOT met");
  return met ? 0 : 1;
}

}   // namespace

int main(int argc, char** argv)
{
  int maxFields = 16000;
  int profileFields = 0;   // --profile N: opens and leaves a page of N fields 5 times, untimed
  bool leaveOnly = false;
  bool textOnly = false;   // --text: --profile opens and leaves the page's text without the fields
  const char* controlFifo = nullptr;
  const char* ackFifo = nullptr;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--max") == 0 && i + 1 < argc)
      maxFields = std::max(2000, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--profile") == 0 && i + 1 < argc)
      profileFields = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--leave") == 0)
      leaveOnly = true;
    else if (std::strcmp(argv[i], "--mix") == 0)
      Mix = true;
    else if (std::strcmp(argv[i], "--text") == 0)
      textOnly = true;
    else if (std::strcmp(argv[i], "--perf-control") == 0 && i + 2 < argc) {
      controlFifo = argv[++i];
      ackFifo = argv[++i];
    }

  TApplication::Initialize(argc, argv);
  int status = 0;
  {
    TForm form;
    form.SetCaption("Form page");
    form.SetBounds(0, 0, 820, 640);
    THTMLViewer viewer;
    viewer.SetParent(&form);
    viewer.SetBounds(0, 0, 800, 600);
    form.Show();
    Settle();
    const std::string small = "<p>A small page.</p>";
    viewer.LoadFromString(small);
    Settle();
    const bool pointer = std::system("xdotool mousemove 400 300 >/dev/null 2>&1") == 0;
    Settle();
    if (profileFields > 0) {
      const std::string page = Page(profileFields, !textOnly);
      // perf record --control fifo:CTL,ACK: the events count only while the page opens (or
      // goes, with --leave).
      FILE* control = controlFifo ? std::fopen(controlFifo, "w") : nullptr;
      FILE* ack = control && ackFifo ? std::fopen(ackFifo, "r") : nullptr;
      auto tell = [&](const char* what) {
        if (!control)
          return;
        std::fputs(what, control);
        std::fflush(control);
        char line[16];
        if (ack && !std::fgets(line, sizeof line, ack))
          ack = nullptr;
      };
      for (int r = 0; r < 5; ++r) {
        tell(leaveOnly ? "disable\n" : "enable\n");
        viewer.LoadFromString(page);
        Settle();
        tell(leaveOnly ? "enable\n" : "disable\n");
        viewer.LoadFromString(small);
        Settle();
      }
      tell("disable\n");
      for (FILE* f : {control, ack})
        if (f)
          std::fclose(f);
    } else {
      status = Table(viewer, small, maxFields, pointer);
    }
  }
  TApplication::Finalize();
  return status;
}
