// Every topic in the table rendered as the gallery and the shell show it: from its own
// viewpoint, lit, in the middle of the view, and moving from phase to phase.
#include <gtest/gtest.h>

#include <memory>

#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "tests/topics/RenderStats.h"
#include "topics/GearCogs.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"

TEST(TopicsRender, EveryTopicIsLitCentredAndMoves)
{
  constexpr int W = 320, H = 240;
  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  viewer.GetSurface()->SetSize(W, H);
  viewer.GetBuffer()->SetBackgroundColor(clBlack);
  if (!viewer.GetSurface()->CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  ASSERT_GE(TopicEntries().size(), 39u);
  for (const TTopicEntry& e : TopicEntries()) {
    SCOPED_TRACE(std::to_string(e.Id) + "." + std::to_string(e.Example));
    TGLScene scene;
    TStandardScene stage = BuildStandardScene(scene);
    TGLMaterialLibrary lib;
    FillStandardMaterials(lib);
    TViewPoint vp = GetViewPoint(e.Id, e.Example);
    stage.Camera->Position.SetAsVector(vp.Camera);
    stage.SceneBase->Position.SetAsVector(vp.SceneBase);
    TTopicControls c = e.DefaultControls();
    c.Markers = true;
    e.Build(stage.SceneBase, &lib, c);
    viewer.SetCamera(stage.Camera);
    const Integer repeat = e.RepeatAngle(c);
    std::unique_ptr<TGLBitmap32> previous;
    int moved = 0;
    for (int k = 0; k < 4; ++k) {
      // Off the quarter turns, so no two phases pose a symmetric part alike.
      e.Animate(stage.SceneBase, c, Single(repeat * k / 4.0 + 10 + 7 * k));
      viewer.GetSurface()->Repaint();
      std::unique_ptr<TGLBitmap32> shot = viewer.GetBuffer()->CreateSnapshot();
      TRenderStats s = Measure(*shot);
      EXPECT_GT(s.Lit, W * H / 200) << "phase " << k;
      EXPECT_GT(s.Brightest, 250) << "phase " << k;
      EXPECT_NEAR(s.CentreX, 0.5, 0.2) << "phase " << k;
      EXPECT_NEAR(s.CentreY, 0.5, 0.2) << "phase " << k;
      if (previous && Differing(*previous, *shot) > 30)
        ++moved;
      previous = std::move(shot);
    }
    EXPECT_GE(moved, 2) << "the model hardly moves";
    viewer.SetCamera(nullptr);
  }
}
