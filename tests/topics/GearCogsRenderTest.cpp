// The gear topics rendered as the gallery and the shell show them: lit, in the middle of
// the view, and moving from phase to phase.
#include <gtest/gtest.h>

#include <memory>

#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "topics/GearCogs.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"

namespace {

struct TStats {
  int Lit = 0;         // pixels that are not background
  double CentreX = 0;  // of the lit pixels, as fractions of the view
  double CentreY = 0;
  int Brightest = 0;
};

TStats Measure(const TGLBitmap32& shot)
{
  TStats s;
  for (int32_t y = 0; y < shot.Height(); ++y)
    for (int32_t x = 0; x < shot.Width(); ++x) {
      TColor c = shot.GetPixel(x, y);
      int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
      if (sum > 30) {
        ++s.Lit;
        s.CentreX += x;
        s.CentreY += y;
        s.Brightest = std::max(s.Brightest, sum);
      }
    }
  if (s.Lit) {
    s.CentreX /= double(s.Lit) * shot.Width();
    s.CentreY /= double(s.Lit) * shot.Height();
  }
  return s;
}

int Differing(const TGLBitmap32& a, const TGLBitmap32& b)
{
  int n = 0;
  for (int32_t y = 0; y < a.Height(); ++y)
    for (int32_t x = 0; x < a.Width(); ++x)
      n += a.GetPixel(x, y) != b.GetPixel(x, y);
  return n;
}

}   // namespace

TEST(GearCogsRender, GearTopicsAreLitCentredAndMove)
{
  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  viewer.GetSurface()->SetSize(320, 240);
  viewer.GetBuffer()->SetBackgroundColor(clBlack);
  if (!viewer.GetSurface()->CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  for (Integer id : {1, 2, 3, 38}) {
    SCOPED_TRACE(id);
    const TTopicEntry* e = FindTopic(id);
    ASSERT_NE(e, nullptr);
    TGLScene scene;
    TStandardScene stage = BuildStandardScene(scene);
    TGLMaterialLibrary lib;
    FillStandardMaterials(lib);
    TViewPoint vp = GetViewPoint(id, 0);
    stage.Camera->Position.SetAsVector(vp.Camera);
    stage.SceneBase->Position.SetAsVector(vp.SceneBase);
    TTopicControls c = e->DefaultControls();
    c.Markers = true;
    e->Build(stage.SceneBase, &lib, c);
    viewer.SetCamera(stage.Camera);
    Integer repeat = e->RepeatAngle(c);
    std::unique_ptr<TGLBitmap32> previous;
    for (int k = 0; k < 4; ++k) {
      e->Animate(stage.SceneBase, c, Single(repeat * k / 4.0 + 10));
      viewer.GetSurface()->Repaint();
      std::unique_ptr<TGLBitmap32> shot = viewer.GetBuffer()->CreateSnapshot();
      TStats s = Measure(*shot);
      EXPECT_GT(s.Lit, 320 * 240 / 40) << "phase " << k;
      EXPECT_GT(s.Brightest, 250) << "phase " << k;
      EXPECT_NEAR(s.CentreX, 0.5, 0.12) << "phase " << k;
      EXPECT_NEAR(s.CentreY, 0.5, 0.12) << "phase " << k;
      if (previous)
        EXPECT_GT(Differing(*previous, *shot), 50) << "phase " << k;
      previous = std::move(shot);
    }
    viewer.SetCamera(nullptr);
  }
  GearSceneTeeth = TGearSceneTeeth{};
}
