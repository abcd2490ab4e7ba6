#include "engine/GLViewer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "engine/GLStandardScene.h"
#include "platform/Application.h"
#include "platform/BmpFile.h"

namespace {

// A lit box of side 2 with outward normals (the shapes live elsewhere).
class TTestBox : public TGLSceneObject {
public:
  using TGLSceneObject::TGLSceneObject;
  void BuildList(TRenderContextInfo&) override
  {
    static const float n[6][3] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    glBegin(GL_QUADS);
    for (const auto& f : n) {
      // Two axes spanning the face.
      float u[3] = {f[1], f[2], f[0]}, v[3] = {f[2], f[0], f[1]};
      glNormal3fv(f);
      for (int k = 0; k < 4; ++k) {
        float a = (k == 0 || k == 3) ? -1.0f : 1.0f, b = k < 2 ? -1.0f : 1.0f;
        glVertex3f(f[0] + a * u[0] + b * v[0], f[1] + a * u[1] + b * v[1], f[2] + a * u[2] + b * v[2]);
      }
    }
    glEnd();
  }
};

struct TPixelStats {
  int R, G, B;
};

TPixelStats At(const TBitmap& b, int x, int y)
{
  TColor c = b.GetPixel(x, y);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

// Where the viewer draws: offscreen, a window surface never shown, and one on the screen
// (which presents its frames rather than keeping them).
struct TSurfaceCase {
  TGLSurface::TKind Kind;
  bool Shown;
  const char* Name;
};

class ViewerTest : public ::testing::TestWithParam<TSurfaceCase> {};

TEST_P(ViewerTest, SnapshotHoldsTheRenderedFrame)
{
  TGLScene scene;
  TStandardScene stage = BuildStandardScene(scene);
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);
  auto* box = stage.SceneBase->AddNewChild<TTestBox>();
  box->Material = lib.Materials.GetLibMaterialByName("Red")->Material;
  box->SetTurnAngle(30);
  box->SetPitchAngle(20);

  TGLSceneViewer viewer(nullptr, GetParam().Kind);
  viewer.GetSurface()->SetSize(240, 180);
  if (GetParam().Shown) {
    viewer.GetSurface()->Show();
    // On the screen once the window system exposes it, which paints the first frame.
    for (int i = 0; i < 200 && viewer.GetBuffer()->FrameCount() == 0; ++i) {
      Application->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(viewer.GetSurface()->Visible());
    ASSERT_GE(viewer.GetBuffer()->FrameCount(), 1);
  }
  stage.Camera->SetFocalLength(160);   // a wide view: the grid spans 0.25 of the distance either side
  viewer.SetCamera(stage.Camera);
  viewer.GetBuffer()->SetBackgroundColor(clBlue);
  if (!viewer.GetSurface()->CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  ASSERT_TRUE(OpenGLLoaded()) << OpenGLLoadError();
  viewer.GetSurface()->Repaint();
  EXPECT_GE(viewer.GetBuffer()->FrameCount(), 1);

  std::unique_ptr<TGLBitmap32> shot = viewer.GetBuffer()->CreateSnapshot();
  ASSERT_EQ(shot->Width(), 240);
  ASSERT_EQ(shot->Height(), 180);
  std::unique_ptr<TBitmap> bmp = shot->ToBitmap();
  ASSERT_EQ(bmp->PixelFormat(), TPixelFormat::pf32bit);
  SaveBmpToFile(*bmp, std::string(ORRELO_TEST_OUTPUT) + "/viewer-snapshot-" + GetParam().Name + ".bmp");
  TPixelStats centre = At(*bmp, 120, 90);
  EXPECT_GT(centre.R, 60);
  EXPECT_GT(centre.R, 2 * centre.G);
  EXPECT_GT(centre.R, 2 * centre.B);
  for (auto [x, y] : {std::pair{2, 2}, {237, 2}, {2, 177}, {237, 177}}) {
    TPixelStats c = At(*bmp, x, y);
    EXPECT_EQ(c.R, 0) << x << "," << y;
    EXPECT_EQ(c.G, 0);
    EXPECT_EQ(c.B, 255);
  }
  // Rows are in screen order: the lit top face shows above the centre, the dark bottom never.
  // A white background shows in the next frame, and the snapshot follows it.
  viewer.GetBuffer()->SetBackgroundColor(clWhite);
  viewer.GetSurface()->Repaint();
  shot = viewer.GetBuffer()->CreateSnapshot();
  EXPECT_EQ(shot->GetPixel(2, 2), clWhite);
  // A change with no frame drawn since: the snapshot still shows it.
  viewer.GetBuffer()->SetBackgroundColor(clLime);
  shot = viewer.GetBuffer()->CreateSnapshot();
  EXPECT_EQ(shot->GetPixel(2, 2), clLime);
}

INSTANTIATE_TEST_SUITE_P(Surfaces, ViewerTest,
                         ::testing::Values(TSurfaceCase{TGLSurface::TKind::Offscreen, false, "offscreen"},
                                           TSurfaceCase{TGLSurface::TKind::Window, false, "window"},
                                           TSurfaceCase{TGLSurface::TKind::Window, true, "shown"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Viewer, CameraFreedBeforeTheViewerIsForgotten)
{
  auto scene = std::make_unique<TGLScene>();
  TStandardScene stage = BuildStandardScene(*scene);
  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  stage.Camera->SetFocalLength(160);   // a wide view: the grid spans 0.25 of the distance either side
  viewer.SetCamera(stage.Camera);
  scene.reset();
  EXPECT_EQ(viewer.GetCamera(), nullptr);
  viewer.GetSurface()->Repaint();   // renders the background only
}

TEST(Viewer, SnapshotWithoutGLIsTheBackground)
{
  TGLSceneBuffer buffer(nullptr);
  buffer.SetBackgroundColor(clRed);
  std::unique_ptr<TGLBitmap32> shot = buffer.CreateSnapshot();
  EXPECT_EQ(shot->Width(), 0);
  TGLBitmap32 b(3, 2);
  b.Fill(RGBColor(10, 20, 30));
  b.ScanLine(0)[0] = 99;   // bottom-left in GL's order
  std::unique_ptr<TBitmap> bmp = b.ToBitmap();
  EXPECT_EQ(bmp->GetPixel(0, 1), RGBColor(10, 20, 99));
  EXPECT_EQ(bmp->GetPixel(0, 0), RGBColor(10, 20, 30));
  EXPECT_THROW(TGLBitmap32(-1, 5), EOutOfResources);
}

}   // namespace

namespace {

TEST(Viewer, EveryStandardMaterialReadsUnderTheStandardLights)
{
  TGLScene scene;
  TStandardScene stage = BuildStandardScene(scene);
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);
  // Five columns, four rows of boxes, turned to show three faces.
  for (int i = 0; i < 20; ++i) {
    auto* box = stage.SceneBase->AddNewChild<TTestBox>();
    box->Material = lib.Materials.GetItem(i)->Material;
    box->Scale.SetPoint(0.3f, 0.3f, 0.3f);
    box->Position.SetPoint(-2.0f + float(i % 5), 1.35f - 0.9f * float(i / 5), 0);
    box->SetTurnAngle(-35);
    box->SetPitchAngle(-25);
  }
  stage.Camera->Position.SetPoint(0, 0, 12);
  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  viewer.GetSurface()->SetSize(500, 400);
  stage.Camera->SetFocalLength(160);   // a wide view: the grid spans 0.25 of the distance either side
  viewer.SetCamera(stage.Camera);
  viewer.GetBuffer()->SetBackgroundColor(clBlack);
  if (!viewer.GetSurface()->CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  viewer.GetSurface()->Repaint();
  std::unique_ptr<TBitmap> bmp = viewer.GetBuffer()->CreateSnapshot()->ToBitmap();
  SaveBmpToFile(*bmp, std::string(ORRELO_TEST_OUTPUT) + "/standard-materials.bmp");
  // Project each box centre and check that it is lit but not burnt out.
  for (int i = 0; i < 20; ++i) {
    TGLBaseSceneObject* box = stage.SceneBase->GetChild(i);
    TAffineVector p = AffineVectorMake(box->AbsolutePosition());
    // Focal length 200: half the view height (2.5 units at distance 10) is 200 pixels.
    float scale = 200.0f / (2.5f * (12.0f - p[2]) / 10.0f);
    int x = 250 + int(p[0] * scale), y = 200 - int(p[1] * scale);
    TColor c = bmp->GetPixel(x, y);
    int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
    EXPECT_GT(sum, 60) << lib.Materials.GetItem(i)->Name;
    EXPECT_LT(sum, 3 * 250) << lib.Materials.GetItem(i)->Name;
  }
}

}   // namespace
