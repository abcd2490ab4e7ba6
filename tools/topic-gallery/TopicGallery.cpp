// topic-gallery --out DIR [--phases N] [--markers] ID[.EXAMPLE] ...
// Builds each topic with its starting control values under its view point, poses it at N
// evenly spaced phases over its repeat angle and writes DIR/topic-ID[.EXAMPLE]-K.png
// (640 x 480) for K = 0 .. N-1. Exits with 1 when a topic cannot be built or a picture
// cannot be written, 2 for a bad command line. Markers, arrows and letters, are drawn only
// with --markers (each topic's show-markers procedure shows them after the build, and hides
// them without): they tell apart phases that a wheel's symmetry draws alike. A check box that
// shows something else (the treadle's "Show linkage only") stands as the topic starts.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "platform/Application.h"
#include "platform/ImageSave.h"
#include "platform/SysUtils.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"

namespace {

constexpr int32_t PictureWidth = 640;
constexpr int32_t PictureHeight = 480;
constexpr Integer MaxPhases = 360;

struct TRequest {
  std::string Name;   // as given: "26" or "26.1"
  Integer Id = 0;
  Integer Example = 0;
};

bool ParseRequest(const std::string& arg, TRequest& r)
{
  r.Name = arg;
  size_t dot = arg.find('.');
  r.Id = StrToIntDef(arg.substr(0, dot), -1);
  r.Example = dot == std::string::npos ? 0 : StrToIntDef(arg.substr(dot + 1), -1);
  return r.Id >= 0 && r.Example >= 0 && r.Example <= 1 && arg.find_first_of(" +") == std::string::npos;
}

int Usage()
{
  std::fprintf(stderr, "usage: topic-gallery --out DIR [--phases N] [--markers] ID[.EXAMPLE] ...\n");
  return 2;
}

// Renders one topic; false when it has no model here or a picture cannot be written.
bool RenderTopic(TGLSceneViewer& viewer, const TRequest& req, const std::string& outDir, Integer phases, bool markers)
{
  const TTopicEntry* entry = FindTopic(req.Id, req.Example);
  if (!entry || !entry->Build) {
    std::fprintf(stderr, "topic-gallery: topic %s has no model\n", req.Name.c_str());
    return false;
  }
  TGLScene scene;
  TStandardScene stage = BuildStandardScene(scene);
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);
  TViewPoint vp = GetViewPoint(req.Id, req.Example);
  stage.Camera->Position.SetAsVector(vp.Camera);
  stage.SceneBase->Position.SetAsVector(vp.SceneBase);
  TTopicControls controls = entry->DefaultControls ? entry->DefaultControls() : TTopicControls{};
  // A marker box stands as the markers are shown: the lever scenes read it as they move. Some
  // topics start with it ticked; the pictures show markers only when asked for.
  if (entry->BoxShowsMarkers)
    controls.Markers = markers;
  entry->Build(stage.SceneBase, &lib, controls);
  if (entry->ShowMarkers)
    entry->ShowMarkers(stage.SceneBase, controls.Markers);
  Integer repeat = entry->RepeatAngle ? entry->RepeatAngle(controls) : 360;
  viewer.SetCamera(stage.Camera);
  bool ok = true;
  for (Integer k = 0; k < phases; ++k) {
    Single phase = Single(double(repeat) * k / phases);
    if (entry->Animate)
      entry->Animate(stage.SceneBase, controls, phase);
    viewer.GetSurface()->Repaint();
    std::unique_ptr<TGLBitmap32> shot = viewer.GetBuffer()->CreateSnapshot();
    std::string file = outDir + "/topic-" + req.Name + "-" + std::to_string(k) + ".png";
    try {
      SavePixelsToPng(file, shot->Width(), shot->Height(), shot->Data(), true);
    } catch (const Exception& e) {
      std::fprintf(stderr, "topic-gallery: %s\n", e.Message.c_str());
      ok = false;
    }
  }
  viewer.SetCamera(nullptr);
  return ok;
}

}   // namespace

int main(int argc, char** argv)
{
  std::string outDir;
  Integer phases = 4;
  bool markers = false;
  std::vector<TRequest> requests;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--out" && i + 1 < argc) {
      outDir = argv[++i];
    } else if (a == "--phases" && i + 1 < argc) {
      phases = StrToIntDef(argv[++i], 0);
      if (phases < 1 || phases > MaxPhases)
        return Usage();
    } else if (a == "--markers") {
      markers = true;
    } else {
      TRequest r;
      if (!ParseRequest(a, r))
        return Usage();
      requests.push_back(r);
    }
  }
  if (outDir.empty() || requests.empty())
    return Usage();
  std::error_code ec;
  std::filesystem::create_directories(outDir, ec);
  if (ec) {
    std::fprintf(stderr, "topic-gallery: cannot make the folder %s: %s\n", outDir.c_str(), ec.message().c_str());
    return 1;
  }

  TApplication::Initialize(argc, argv);
  int result = 0;
  {
    TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
    viewer.GetSurface()->SetSize(PictureWidth, PictureHeight);
    viewer.GetBuffer()->SetBackgroundColor(clBlack);
    if (!viewer.GetSurface()->CreateContext()) {
      std::fprintf(stderr, "topic-gallery: no OpenGL context on this display\n");
      result = 1;
    } else {
      for (const TRequest& r : requests)
        if (!RenderTopic(viewer, r, outDir, phases, markers))
          result = 1;
    }
  }
  TApplication::Finalize();
  return result;
}
