// The gear topics rendered as the gallery and the shell show them: lit, in the middle of
// the view, and moving from phase to phase.
#include <gtest/gtest.h>

#include "tests/topics/RenderStats.h"

#include <memory>

#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "topics/GearCogs.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"


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
      TRenderStats s = Measure(*shot);
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
