// Frame time of every topic model against the empty scene, in one run on one GL context.
//
//   bench_frames [--size WxH] [--frames N] [--warmup N] [--threads N|default]
//                [--surface offscreen|readback|hidden|shown|hosted] [--detail] [ID[.EXAMPLE] ...]
//
// Each topic (both examples of the lever topics) is built under its own viewpoint, shown once
// (build + first frame: the display lists compile there), warmed up, then timed for N frames
// while it animates evenly over its repeat angle; a frame is animate + repaint + glFinish.
// The empty scene (the stage with nothing under the scene base) is timed the same way just
// before each topic, and each topic is given as a ratio to those empty frames. Triangles and
// vertices per frame come from the driver's own counters where it has them ("-" otherwise);
// --detail adds the triangles of each kind of part under each child of the scene base.
//
// --surface: where a frame goes. offscreen (the default) renders into a framebuffer of its
// own: the model's cost alone. readback also reads every frame back from GL, as a frame on
// its way to the screen through a software path is copied (a fixed cost per frame, the same
// for every topic). hidden repaints the viewer's window surface while it is not
// shown, which renders and then reads the frame back into a toolkit image; that read-back is
// a fixed cost of a few milliseconds per frame, and it varies. shown repaints the surface
// shown as a window of its own. hosted places it in a shown form through the control that
// holds the 3D view in the main window (TGLHost), beside a panel: the frame a user sees.
//
// --threads sets Mesa's rasteriser threads (LP_NUM_THREADS) before GL is loaded: a number, or
// "default" for Mesa's own choice (one per processor); the default here is 1, the case of an
// old machine on the software renderer. Run it under Xvfb like the
// topic gallery:
//   LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bin/bench_frames
#include <cxxabi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "platform/Application.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// Driver counters: GL 3.0 query objects and ARB_pipeline_statistics_query, looked up by name
// because the engine's table holds only what the program itself draws with.
constexpr GLenum GL_PRIMITIVES_GENERATED_ = 0x8C87;
constexpr GLenum GL_VERTICES_SUBMITTED_ = 0x82EE;
constexpr GLenum GL_QUERY_RESULT_ = 0x8866;
constexpr GLenum GL_EXTENSIONS_ = 0x1F03;
constexpr GLenum GL_RENDERER_ = 0x1F01;
constexpr GLenum GL_NUM_EXTENSIONS_ = 0x821D;

struct TQueries {
  void (*GenQueries)(GLsizei, GLuint*) = nullptr;
  void (*DeleteQueries)(GLsizei, const GLuint*) = nullptr;
  void (*BeginQuery)(GLenum, GLuint) = nullptr;
  void (*EndQuery)(GLenum) = nullptr;
  void (*GetQueryObjectuiv)(GLuint, GLenum, GLuint*) = nullptr;
  const GLubyte* (*GetStringi)(GLenum, GLuint) = nullptr;
  bool Primitives = false;
  bool Vertices = false;

  void Load(TGLSurface& s)
  {
    GenQueries = reinterpret_cast<decltype(GenQueries)>(s.GetProcAddress("glGenQueries"));
    DeleteQueries = reinterpret_cast<decltype(DeleteQueries)>(s.GetProcAddress("glDeleteQueries"));
    BeginQuery = reinterpret_cast<decltype(BeginQuery)>(s.GetProcAddress("glBeginQuery"));
    EndQuery = reinterpret_cast<decltype(EndQuery)>(s.GetProcAddress("glEndQuery"));
    GetQueryObjectuiv = reinterpret_cast<decltype(GetQueryObjectuiv)>(s.GetProcAddress("glGetQueryObjectuiv"));
    GetStringi = reinterpret_cast<decltype(GetStringi)>(s.GetProcAddress("glGetStringi"));
    bool calls = GenQueries && DeleteQueries && BeginQuery && EndQuery && GetQueryObjectuiv;
    GLint major = 0;
    glGetIntegerv(0x821B /* GL_MAJOR_VERSION */, &major);
    Primitives = calls && major >= 3;
    Vertices = calls && HasExtension("GL_ARB_pipeline_statistics_query");
  }

  bool HasExtension(const std::string& name) const
  {
    if (!GetStringi)
      return false;
    GLint n = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS_, &n);
    for (GLint i = 0; i < n; ++i) {
      const GLubyte* e = GetStringi(GL_EXTENSIONS_, GLuint(i));
      if (e && name == reinterpret_cast<const char*>(e))
        return true;
    }
    return false;
  }
};

struct TCounts {
  long Triangles = -1;   // primitives the vertex stage put out (lines count too)
  long Vertices = -1;
};

struct TResult {
  std::string Name;
  double BuildFirstMs = 0;
  double MedianMs = 0;
  double MinMs = 0;
  std::vector<double> Times;   // every timed frame, sorted
  double EmptyMedianMs = 0;    // the empty scene timed just before, for the ratio
  TCounts Counts;
  double Ratio() const { return EmptyMedianMs > 0 ? MedianMs / EmptyMedianMs : 0; }
};

double MedianOf(std::vector<double> v)
{
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

constexpr const char* SurfaceNames[] = {"offscreen", "offscreen, read back", "hidden window", "shown window",
                                        "window in a form"};

struct TSettings {
  int32_t Width = 1280;
  int32_t Height = 1000;
  int Frames = 100;
  int Warmup = 10;
  enum class TSurface { Offscreen, ReadBack, Hidden, Shown, Hosted } Surface = TSurface::Offscreen;
  bool Detail = false;
};

// One frame: animate, repaint (for a window: render, compose and present), wait for the
// rasteriser.
// Set from --surface readback: every frame is also read back from GL, into this buffer.
std::vector<uint8_t>* gReadBack = nullptr;

void Frame(TGLSceneViewer& viewer, const TTopicEntry* entry, TDummyCube* sceneBase, const TTopicControls& c,
           Single phase)
{
  if (entry && entry->Animate)
    entry->Animate(sceneBase, c, phase);
  viewer.GetSurface()->Repaint();
  viewer.GetSurface()->MakeCurrent();
  if (gReadBack) {
    const int32_t w = viewer.GetSurface()->FramebufferWidth(), h = viewer.GetSurface()->FramebufferHeight();
    gReadBack->resize(size_t(w) * size_t(h) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, gReadBack->data());
  }
  glFinish();
  // A window's paint events are handled here, as the program's loop would between ticks.
  Application->ProcessMessages();
}

TCounts Count(TGLSceneViewer& viewer, const TQueries& q, const TTopicEntry* entry, TDummyCube* sceneBase,
              const TTopicControls& c, Single phase)
{
  TCounts r;
  if (!q.Primitives)
    return r;
  GLuint ids[2] = {0, 0};
  q.GenQueries(2, ids);
  q.BeginQuery(GL_PRIMITIVES_GENERATED_, ids[0]);
  if (q.Vertices)
    q.BeginQuery(GL_VERTICES_SUBMITTED_, ids[1]);
  Frame(viewer, entry, sceneBase, c, phase);
  if (q.Vertices)
    q.EndQuery(GL_VERTICES_SUBMITTED_);
  q.EndQuery(GL_PRIMITIVES_GENERATED_);
  GLuint v = 0;
  q.GetQueryObjectuiv(ids[0], GL_QUERY_RESULT_, &v);
  r.Triangles = long(v);
  if (q.Vertices) {
    q.GetQueryObjectuiv(ids[1], GL_QUERY_RESULT_, &v);
    r.Vertices = long(v);
  }
  q.DeleteQueries(2, ids);
  return r;
}

std::string ClassName(const TGLBaseSceneObject* o)
{
  int status = 0;
  char* d = abi::__cxa_demangle(typeid(*o).name(), nullptr, nullptr, &status);
  std::string r = status == 0 && d ? d : typeid(*o).name();
  std::free(d);
  return r;
}

// Triangles per object: each object is drawn alone (its siblings, its ancestors' siblings and
// its own children hidden), and the counts are summed by class under each child of the scene
// base. For finding what a topic's frame is made of.
void Detail(TGLSceneViewer& viewer, const TQueries& q, const TTopicEntry* entry, TDummyCube* sceneBase,
            const TTopicControls& c, Single phase)
{
  std::vector<TGLBaseSceneObject*> path;
  std::vector<long> drawn;   // what each node on the path draws with its ancestors
  std::map<std::pair<Integer, std::string>, std::pair<long, int>> sums;
  std::function<void(TGLBaseSceneObject*)> visit = [&](TGLBaseSceneObject* o) {
    if (!o->GetVisible())
      return;
    path.push_back(o);
    // Alone: hide every child of every node on the path except the next one on it.
    std::vector<std::pair<TGLBaseSceneObject*, bool>> saved;
    for (size_t k = 0; k < path.size(); ++k)
      for (Integer i = 0; i < path[k]->GetCount(); ++i) {
        TGLBaseSceneObject* ch = path[k]->GetChild(i);
        bool keep = k + 1 < path.size() && ch == path[k + 1];
        saved.push_back({ch, ch->GetVisible()});
        ch->SetVisible(keep);
      }
    TCounts n = Count(viewer, q, entry, sceneBase, c, phase);
    for (auto it = saved.rbegin(); it != saved.rend(); ++it)
      it->first->SetVisible(it->second);
    long own = n.Triangles - (drawn.empty() ? 0 : drawn.back());
    if (path.size() > 1 && own > 0) {
      auto& e = sums[{sceneBase->IndexOfChild(path[1]), ClassName(o)}];
      e.first += own;
      e.second += 1;
    }
    drawn.push_back(n.Triangles);
    for (Integer i = 0; i < o->GetCount(); ++i)
      visit(o->GetChild(i));
    drawn.pop_back();
    path.pop_back();
  };
  visit(sceneBase);
  for (const auto& [key, v] : sums)
    std::printf("    child %2d  %-28s x%-4d %8ld triangles\n", key.first, key.second.c_str(), v.second, v.first);
}

// Builds the topic (null: the empty stage), shows it once, then times the frames.
TResult Measure(TGLSceneViewer& viewer, const TQueries& q, const TSettings& s, const TTopicEntry* entry,
                const std::string& name)
{
  TResult r;
  r.Name = name;
  TGLScene scene;
  TStandardScene stage = BuildStandardScene(scene);
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);
  TViewPoint vp = entry ? GetViewPoint(entry->Id, entry->Example) : GetViewPoint(0, 0);
  stage.Camera->Position.SetAsVector(vp.Camera);
  stage.SceneBase->Position.SetAsVector(vp.SceneBase);
  TTopicControls controls = entry && entry->DefaultControls ? entry->DefaultControls() : TTopicControls{};
  Integer repeat = entry && entry->RepeatAngle ? entry->RepeatAngle(controls) : 360;
  if (repeat == 0)
    repeat = 360;
  viewer.SetCamera(stage.Camera);

  // Whatever the previous topic left queued for deletion goes before the clock starts.
  viewer.GetSurface()->Repaint();
  glFinish();

  Clock::time_point t0 = Clock::now();
  if (entry)
    entry->Build(stage.SceneBase, &lib, controls);
  Frame(viewer, entry, stage.SceneBase, controls, 0);
  r.BuildFirstMs = MsSince(t0);

  for (int k = 0; k < s.Warmup; ++k)
    Frame(viewer, entry, stage.SceneBase, controls, Single(double(repeat) * k / std::max(1, s.Warmup)));
  std::vector<double> times;
  times.reserve(size_t(s.Frames));
  for (int k = 0; k < s.Frames; ++k) {
    Single phase = Single(double(repeat) * k / s.Frames);
    Clock::time_point f0 = Clock::now();
    Frame(viewer, entry, stage.SceneBase, controls, phase);
    times.push_back(MsSince(f0));
  }
  std::sort(times.begin(), times.end());
  r.MinMs = times.front();
  r.MedianMs = times[times.size() / 2];
  r.Times = times;
  r.Counts = Count(viewer, q, entry, stage.SceneBase, controls, Single(repeat) / 3);
  if (s.Detail && q.Primitives) {
    std::printf("%s: %ld triangles\n", name.c_str(), r.Counts.Triangles);
    Detail(viewer, q, entry, stage.SceneBase, controls, Single(repeat) / 3);
  }
  viewer.SetCamera(nullptr);
  return r;
}

std::string EntryName(const TTopicEntry& e)
{
  std::string name = std::to_string(e.Id);
  if (e.Id >= 26 && e.Id <= 28) {
    name += '.';
    name += std::to_string(e.Example);
  }
  return name;
}

bool Wanted(const std::vector<std::string>& only, const TTopicEntry& e)
{
  if (only.empty())
    return true;
  for (const std::string& w : only)
    if (w == EntryName(e) || w == std::to_string(e.Id))
      return true;
  return false;
}

std::string CountText(long n) { return n < 0 ? std::string("-") : std::to_string(n); }

int Usage()
{
  std::fprintf(stderr,
               "usage: bench_frames [--size WxH] [--frames N] [--warmup N] [--threads N|default] "
               "[--surface offscreen|readback|hidden|shown|hosted] "
               "[--detail] [ID[.EXAMPLE] ...]\n");
  return 2;
}

}   // namespace

int main(int argc, char** argv)
{
  TSettings s;
  std::string threads = "1";
  std::vector<std::string> only;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool more = i + 1 < argc;
    if (a == "--size" && more) {
      std::string v = argv[++i];
      size_t x = v.find('x');
      if (x == std::string::npos)
        return Usage();
      s.Width = StrToIntDef(v.substr(0, x), 0);
      s.Height = StrToIntDef(v.substr(x + 1), 0);
      if (s.Width < 16 || s.Height < 16 || s.Width > 8192 || s.Height > 8192)
        return Usage();
    } else if (a == "--frames" && more) {
      s.Frames = StrToIntDef(argv[++i], 0);
      if (s.Frames < 1 || s.Frames > 100000)
        return Usage();
    } else if (a == "--warmup" && more) {
      s.Warmup = StrToIntDef(argv[++i], -1);
      if (s.Warmup < 0 || s.Warmup > 100000)
        return Usage();
    } else if (a == "--threads" && more) {
      threads = argv[++i];
      if (threads != "default" && StrToIntDef(threads, -1) < 0)
        return Usage();
    } else if (a == "--detail") {
      s.Detail = true;
    } else if (a == "--surface" && more) {
      std::string v = argv[++i];
      if (v == "offscreen")
        s.Surface = TSettings::TSurface::Offscreen;
      else if (v == "readback")
        s.Surface = TSettings::TSurface::ReadBack;
      else if (v == "hidden")
        s.Surface = TSettings::TSurface::Hidden;
      else if (v == "shown")
        s.Surface = TSettings::TSurface::Shown;
      else if (v == "hosted")
        s.Surface = TSettings::TSurface::Hosted;
      else
        return Usage();
    } else if (!a.empty() && a[0] != '-') {
      only.push_back(a);
    } else {
      return Usage();
    }
  }
  // Mesa reads it when the driver loads, so before any context exists.
  if (threads == "default")
    unsetenv("LP_NUM_THREADS");
  else
    setenv("LP_NUM_THREADS", threads.c_str(), 1);

  TApplication::Initialize(argc, argv);
  int result = 0;
  {
    bool window = s.Surface == TSettings::TSurface::Hidden || s.Surface == TSettings::TSurface::Shown
                  || s.Surface == TSettings::TSurface::Hosted;
    std::vector<uint8_t> readBack;
    if (s.Surface == TSettings::TSurface::ReadBack)
      gReadBack = &readBack;
    TGLSceneViewer viewer(nullptr, window ? TGLSurface::TKind::Window : TGLSurface::TKind::Offscreen);
    viewer.GetSurface()->SetSize(s.Width, s.Height);
    if (s.Surface == TSettings::TSurface::Shown) {
      viewer.GetSurface()->Show();
      Application->ProcessMessages();
    }
    // The main window's arrangement in small: a panel beside the 3D view.
    TForm form;
    TPanel panel;
    TGLHost host;
    if (s.Surface == TSettings::TSurface::Hosted) {
      form.SetBounds(0, 0, s.Width + 120, s.Height);
      panel.SetParent(&form);
      panel.SetAlign(alLeft);
      panel.SetWidth(120);
      host.SetParent(&form);
      host.SetAlign(alClient);
      host.SetSurface(viewer.GetSurface());
      form.Show();
      Application->ProcessMessages();
    }
    viewer.GetBuffer()->SetBackgroundColor(clBlack);
    if (!viewer.GetSurface()->CreateContext() || !viewer.GetSurface()->MakeCurrent()) {
      std::fprintf(stderr, "bench_frames: no OpenGL context on this display\n");
      result = 1;
    } else {
      TQueries q;
      q.Load(*viewer.GetSurface());
      const GLubyte* renderer = GLTable->GetString ? GLTable->GetString(GL_RENDERER_) : nullptr;
      std::printf("renderer: %s, LP_NUM_THREADS=%s, %s %dx%d, %d frames after %d warm-up frames\n",
                  renderer ? reinterpret_cast<const char*>(renderer) : "?", threads.c_str(),
                  SurfaceNames[int(s.Surface)], s.Width, s.Height, s.Frames, s.Warmup);
      // The empty scene is timed again before every topic: each topic's ratio is against the
      // empty frames next to it, so a machine that speeds up or slows down during the run
      // (other work, clocks) moves both alike. The empty row gives all its frames together.
      TResult empty;
      empty.Name = "empty";
      std::vector<double> emptyTimes;
      std::vector<TResult> results;
      for (const TTopicEntry& e : TopicEntries())
        if (e.Build && Wanted(only, e)) {
          TResult before = Measure(viewer, q, s, nullptr, "empty");
          if (empty.Times.empty())
            empty = before;
          emptyTimes.insert(emptyTimes.end(), before.Times.begin(), before.Times.end());
          results.push_back(Measure(viewer, q, s, &e, EntryName(e)));
          results.back().EmptyMedianMs = before.MedianMs;
        }
      if (results.empty())
        empty = Measure(viewer, q, s, nullptr, "empty");
      else {
        std::sort(emptyTimes.begin(), emptyTimes.end());
        empty.MedianMs = emptyTimes[emptyTimes.size() / 2];
        empty.MinMs = emptyTimes.front();
      }
      empty.EmptyMedianMs = empty.MedianMs;

      std::printf("%-7s %10s %8s %7s %12s %10s %10s\n", "topic", "median ms", "min ms", "ratio", "build+1st ms",
                  "triangles", "vertices");
      auto row = [&](const TResult& r) {
        std::printf("%-7s %10.2f %8.2f %7.2f %12.1f %10s %10s\n", r.Name.c_str(), r.MedianMs, r.MinMs, r.Ratio(),
                    r.BuildFirstMs, CountText(r.Counts.Triangles).c_str(), CountText(r.Counts.Vertices).c_str());
      };
      row(empty);
      for (const TResult& r : results)
        row(r);
      if (!results.empty()) {
        std::vector<double> medians, ratios;
        const TResult* worst = &results.front();
        const TResult* slowest = &results.front();
        for (const TResult& r : results) {
          medians.push_back(r.MedianMs);
          ratios.push_back(r.Ratio());
          if (r.Ratio() > worst->Ratio())
            worst = &r;
          if (r.BuildFirstMs > slowest->BuildFirstMs)
            slowest = &r;
        }
        std::printf(
            "median topic %.2f ms, median ratio %.2f; highest ratio: topic %s, %.2f ms, %.2fx; "
            "slowest build + first frame: topic %s, %.1f ms\n",
            MedianOf(medians), MedianOf(ratios), worst->Name.c_str(), worst->MedianMs, worst->Ratio(),
            slowest->Name.c_str(), slowest->BuildFirstMs);
      }
    }
  }
  TApplication::Finalize();
  return result;
}
