// make-clips FOLDER: renders the topics' models with their starting controls under their own
// view points and writes, below FOLDER (a build's content folder, beside the executable):
//   HTML/images/NAME.jpg and NAME_big.jpg  a picture of the model for its page (240 x 180)
//                                          and the enlarged one its "$" link opens (560 x 420);
//   Video/NAME.avi                         a clip of the model moving (Motion-JPEG, 240 x 180,
//                                          3 seconds at 12 frames a second, looping).
// It needs an OpenGL display (run it through xvfb-run on a machine without one) and the
// content folder's 3DS models beside it. Exits with 1 when a model or a file fails.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/JpegImage.h"
#include "tools/common/AviWriter.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"

namespace {

// Pictures are rendered larger than their size and averaged down, which smooths the edges
// the software renderer leaves jagged.
constexpr int32_t PictureOversample = 3, BigOversample = 2, ClipOversample = 2;
constexpr int32_t SmallWidth = 240, SmallHeight = 180;
constexpr int32_t BigWidth = 560, BigHeight = 420;
constexpr int32_t ClipFps = 12, ClipFrames = 36;
constexpr int32_t PictureQuality = 88, ClipQuality = 75;
// A pale grey-blue behind the models, close to the pages' own background.
const TColor Background = RGBColor(232, 238, 246);

struct TShot {
  const char* Name;
  Integer Id;
  Integer Example;
  // Where in the repeat angle the picture is taken (0 to 1), so a mechanism shows a telling
  // pose rather than its start.
  double At;
  // Control values other than the starting ones (the crossed belt of the belt page).
  void (*Tune)(TTopicControls&) = nullptr;
};

const std::vector<TShot>& Pictures()
{
  static const std::vector<TShot> shots{
      {"TwoCog", 1, 0, 0.1},       {"ThreeCog", 2, 0, 0.1},
      {"CompGear", 3, 0, 0.1},     {"BevelGear", 4, 0, 0.1},
      {"VeePulley", 5, 0, 0.1},    {"PulleyBelt", 5, 0, 0.1, [](TTopicControls& c) { c.BeltItem = 2; }},
      {"Jockey", 6, 0, 0.1},       {"StepCone", 7, 0, 0.1},
      {"Chain", 8, 0, 0.1},        {"Pulleys", 9, 0, 0.4},
      {"MitreGear", 10, 0, 0.1},   {"LinearCam", 11, 0, 0.3},
      {"Weston", 12, 0, 0.3},      {"CircularCam", 13, 0, 0.3},
      {"PearCam", 14, 0, 0.3},     {"HeartCam", 15, 0, 0.3},
      {"BoxCam", 16, 0, 0.3},      {"Crank_Slider", 17, 0, 0.15},
      {"Screws", 18, 0, 0.2},      {"ScrewJack", 19, 0, 0.4},
      {"Crank_Slot", 20, 0, 0.15}, {"Windlass", 21, 0, 0.2},
      {"Rotary", 22, 0, 0.1},      {"Oscillate", 23, 0, 0.1},
      {"Linear", 24, 0, 0.4},      {"Reciprocate", 25, 0, 0.15},
      {"ClawHammer", 26, 0, 0.5},  {"Scissors", 26, 1, 0.5},
      {"NutCracker", 27, 0, 0.5},  {"Wheelbarrow", 27, 1, 0.5},
      {"Forearm", 28, 0, 0.5},     {"Tweezers", 28, 1, 0.5},
      {"Rev_Motion", 29, 0, 0.15}, {"Bell_Crank", 30, 0, 0.3},
      {"Parallel", 31, 0, 0.15},   {"Treadle", 32, 0, 0.15},
      {"Toggle", 33, 0, 0.5},      {"Derailleur", 34, 0, 0.1},
      {"Rack_Pinion", 35, 0, 0.6}, {"Worm", 36, 0, 0.1},
      {"Ratchet", 37, 0, 0.3},     {"Helical", 38, 0, 0.1},
      {"Inclined", 39, 0, 0.4},
  };
  return shots;
}

// At least one clip for every topic category.
const std::vector<TShot>& Clips()
{
  static const std::vector<TShot> clips{
      {"Rotary", 22, 0, 0},     {"Reciprocate", 25, 0, 0},  {"ClawHammer", 26, 0, 0}, {"Wheelbarrow", 27, 1, 0},
      {"Bell_Crank", 30, 0, 0}, {"Rev_Motion", 29, 0, 0},   {"CompGear", 3, 0, 0},    {"Worm", 36, 0, 0},
      {"Ratchet", 37, 0, 0},    {"VeePulley", 5, 0, 0},     {"Chain", 8, 0, 0},       {"Pulleys", 9, 0, 0},
      {"PearCam", 14, 0, 0},    {"Crank_Slider", 17, 0, 0}, {"ScrewJack", 19, 0, 0},
  };
  return clips;
}

// A rendered frame: blue, green, red, unused for each pixel, rows from the top.
struct TFrame {
  int32_t Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;
  const uint8_t* At(int32_t x, int32_t y) const { return &Pixels[(size_t(y) * size_t(Width) + size_t(x)) * 4]; }
};

// A rectangle of a rendered frame, in fractions of its width and height.
struct TCrop {
  double Left = 0, Top = 0, Width = 1, Height = 1;
};

class TRenderer {
public:
  explicit TRenderer(TGLSceneViewer& viewer) : FViewer(viewer) {}

  // Builds the shot's topic and frames it: the view points were chosen for the program's
  // large 3D view, so the camera moves in along its line until the model fills most of a
  // small picture, and the picture is cut to where the model moves. False when the topic
  // has no model.
  bool Build(const TShot& shot)
  {
    FEntry = FindTopic(shot.Id, shot.Example);
    if (!FEntry || !FEntry->Build)
      return false;
    FScene = std::make_unique<TGLScene>();
    FStage = BuildStandardScene(*FScene);
    FLib = std::make_unique<TGLMaterialLibrary>();
    FillStandardMaterials(*FLib);
    const TViewPoint vp = GetViewPoint(shot.Id, shot.Example);
    FStage.Camera->Position.SetAsVector(vp.Camera);
    FStage.SceneBase->Position.SetAsVector(vp.SceneBase);
    FControls = FEntry->DefaultControls ? FEntry->DefaultControls() : TTopicControls{};
    if (shot.Tune)
      shot.Tune(FControls);
    FEntry->Build(FStage.SceneBase, FLib.get(), FControls);
    FRepeat = FEntry->RepeatAngle ? FEntry->RepeatAngle(FControls) : 360;
    FViewer.SetCamera(FStage.Camera);
    FCrop = {};

    const TCrop first = Extent(200, 150);
    const double fill = std::max(first.Width, first.Height);
    const double zoom = std::clamp(fill / 0.6, 0.15, 1.0);
    TVector camera = vp.Camera;
    for (int k = 0; k < 3; ++k)
      camera[k] *= Single(zoom);
    FStage.Camera->Position.SetAsVector(camera);
    FCrop = Fit(Extent(320, 240));
    return true;
  }

  Integer RepeatAngle() const { return FRepeat; }

  // The model at the phase, as a picture of the size given (4:3).
  TBitmap Shoot(Single phase, int32_t width, int32_t height, int32_t oversample)
  {
    const TFrame frame = Render(phase, width * oversample, height * oversample);
    TBitmap out(width, height);
    const double x0 = FCrop.Left * frame.Width, y0 = FCrop.Top * frame.Height;
    const double sx = FCrop.Width * frame.Width / width, sy = FCrop.Height * frame.Height / height;
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        // The average of the frame's pixels under the output pixel.
        const int32_t i0 = SafeTrunc(x0 + x * sx), i1 = std::max(i0 + 1, SafeTrunc(x0 + (x + 1) * sx));
        const int32_t j0 = SafeTrunc(y0 + y * sy), j1 = std::max(j0 + 1, SafeTrunc(y0 + (y + 1) * sy));
        int r = 0, g = 0, b = 0, n = 0;
        for (int32_t j = j0; j < std::min(j1, frame.Height); ++j)
          for (int32_t i = i0; i < std::min(i1, frame.Width); ++i) {
            const uint8_t* p = frame.At(i, j);
            b += p[0];
            g += p[1];
            r += p[2];
            ++n;
          }
        if (n > 0)
          out.SetPixel(x, y, RGBColor((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n));
        else
          out.SetPixel(x, y, Background);
      }
    return out;
  }

  void Release()
  {
    FViewer.SetCamera(nullptr);
    FScene.reset();
    FLib.reset();
    FEntry = nullptr;
  }

private:
  TFrame Render(Single phase, int32_t width, int32_t height)
  {
    if (FEntry->Animate)
      FEntry->Animate(FStage.SceneBase, FControls, phase);
    FViewer.GetSurface()->SetSize(width, height);
    FViewer.GetSurface()->Repaint();
    std::unique_ptr<TGLBitmap32> shot = FViewer.GetBuffer()->CreateSnapshot();
    TFrame out{shot->Width(), shot->Height(), {}};
    const size_t row = size_t(out.Width) * 4;
    out.Pixels.resize(row * size_t(out.Height));
    // GL's rows run from the bottom.
    for (int32_t y = 0; y < out.Height; ++y)
      std::copy_n(shot->Data() + size_t(out.Height - 1 - y) * row, row, out.Pixels.begin() + long(size_t(y) * row));
    return out;
  }

  // Where the model lies in frames of this size over its cycle, in fractions.
  TCrop Extent(int32_t width, int32_t height)
  {
    int32_t x0 = width, y0 = height, x1 = -1, y1 = -1;
    constexpr int Poses = 6;
    for (int k = 0; k < Poses; ++k) {
      const TFrame f = Render(Single(std::min<double>(FRepeat, 720) * k / Poses), width, height);
      for (int32_t y = 0; y < f.Height; ++y)
        for (int32_t x = 0; x < f.Width; ++x) {
          const uint8_t* p = f.At(x, y);
          if (std::abs(p[2] - GetRValue(Background)) + std::abs(p[1] - GetGValue(Background))
                  + std::abs(p[0] - GetBValue(Background))
              > 24) {
            x0 = std::min(x0, x);
            x1 = std::max(x1, x);
            y0 = std::min(y0, y);
            y1 = std::max(y1, y);
          }
        }
    }
    if (x1 < 0)
      return {};
    return {double(x0) / width, double(y0) / height, double(x1 + 1 - x0) / width, double(y1 + 1 - y0) / height};
  }

  // The extent grown by a margin to the pictures' shape, kept inside the frame.
  static TCrop Fit(const TCrop& e)
  {
    // Widths in frame fractions: the frame is 4:3 and so are the pictures, so equal
    // fractions keep the shape.
    const double size = std::min(1.0, std::max(e.Width, e.Height) * 1.15);
    const double cx = e.Left + e.Width / 2, cy = e.Top + e.Height / 2;
    TCrop c{cx - size / 2, cy - size / 2, size, size};
    c.Left = std::clamp(c.Left, 0.0, 1.0 - size);
    c.Top = std::clamp(c.Top, 0.0, 1.0 - size);
    return c;
  }

  TGLSceneViewer& FViewer;
  const TTopicEntry* FEntry = nullptr;
  std::unique_ptr<TGLScene> FScene;
  std::unique_ptr<TGLMaterialLibrary> FLib;
  TStandardScene FStage;
  TTopicControls FControls;
  Integer FRepeat = 360;
  TCrop FCrop;
};

std::vector<uint8_t> Jpeg(const TBitmap& bmp, int32_t quality)
{
  TJPEGImage jpeg;
  jpeg.Assign(bmp);
  jpeg.SetCompressionQuality(quality);
  return jpeg.SaveToBytes();
}

bool Run(TGLSceneViewer& viewer, const std::filesystem::path& root)
{
  std::filesystem::create_directories(root / "HTML" / "images");
  std::filesystem::create_directories(root / "Video");
  TRenderer r(viewer);
  bool ok = true;
  for (const TShot& s : Pictures()) {
    if (!r.Build(s)) {
      std::fprintf(stderr, "make-clips: topic %d.%d has no model\n", int(s.Id), int(s.Example));
      ok = false;
      continue;
    }
    const Single phase = Single(r.RepeatAngle() * s.At);
    const std::string base = (root / "HTML" / "images" / s.Name).string();
    WriteFileBytes(base + ".jpg", Jpeg(r.Shoot(phase, SmallWidth, SmallHeight, PictureOversample), PictureQuality));
    WriteFileBytes(base + "_big.jpg", Jpeg(r.Shoot(phase, BigWidth, BigHeight, BigOversample), PictureQuality));
    r.Release();
  }
  for (const TShot& s : Clips()) {
    if (!r.Build(s)) {
      std::fprintf(stderr, "make-clips: topic %d.%d has no model\n", int(s.Id), int(s.Example));
      ok = false;
      continue;
    }
    // Once through the repeat angle, so the clip loops without a jump; a long cycle is cut
    // to two turns of the drive.
    const double span = std::min<double>(r.RepeatAngle(), 720);
    std::vector<std::vector<uint8_t>> frames;
    for (int32_t k = 0; k < ClipFrames; ++k)
      frames.push_back(
          Jpeg(r.Shoot(Single(span * k / ClipFrames), SmallWidth, SmallHeight, ClipOversample), ClipQuality));
    WriteFileBytes((root / "Video" / (std::string(s.Name) + ".avi")).string(),
                   SaveMjpegAvi(SmallWidth, SmallHeight, ClipFps, frames));
    r.Release();
  }
  return ok;
}

}   // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-clips FOLDER\n");
    return 2;
  }
  const std::filesystem::path root(argv[1]);
  TApplication::Initialize(argc, argv);
  int result = 0;
  {
    TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
    viewer.GetSurface()->SetSize(SmallWidth, SmallHeight);
    viewer.GetBuffer()->SetBackgroundColor(Background);
    if (!viewer.GetSurface()->CreateContext()) {
      std::fprintf(stderr, "make-clips: no OpenGL context on this display\n");
      result = 1;
    } else {
      try {
        if (!Run(viewer, root))
          result = 1;
      } catch (const Exception& e) {
        std::fprintf(stderr, "make-clips: %s\n", e.Message.c_str());
        result = 1;
      } catch (const std::exception& e) {
        std::fprintf(stderr, "make-clips: %s\n", e.what());
        result = 1;
      }
    }
  }
  TApplication::Finalize();
  return result;
}
