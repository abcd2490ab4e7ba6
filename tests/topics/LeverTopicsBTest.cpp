// The nutcracker and tweezers rows as the shell and the gallery reach them: through the table.
#include <gtest/gtest.h>

#include "tests/topics/RenderStats.h"

#include <vector>

#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "platform/ImageSave.h"
#include "topics/BodyParts.h"
#include "topics/ViewPoints.h"
#include "tests/topics/PulleyTopicsTestSupport.h"
#include "topics/GearCogs.h"
#include "topics/TopicTable.h"

namespace {

bool IsOurs(const TTopicEntry& e) { return (e.Id == 27 && e.Example == 0) || (e.Id == 28 && e.Example == 1); }

void Build(TSceneFixture& f, const TTopicEntry& e, bool markers)
{
  TTopicControls c = e.DefaultControls();
  c.Markers = markers;
  e.Build(f.Get(), &f.Lib, c);
}

TEST(LeverTopicsB, Rows)
{
  for (auto [id, example] : {std::pair{27, 0}, std::pair{28, 1}}) {
    SCOPED_TRACE(id);
    const TTopicEntry* e = FindTopic(id, example);
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(e->Build && e->Animate && e->ShowMarkers && e->RepeatAngle && e->DefaultControls);
    EXPECT_EQ(e->RepeatAngle(e->DefaultControls()), 180);
    EXPECT_TRUE(e->DefaultControls().Markers);   // "Show labels" starts ticked
    EXPECT_FALSE(e->Wrap);
    TSceneFixture on, off;
    Build(on, *e, true);
    Build(off, *e, false);
    EXPECT_EQ(on->GetCount(), id == 27 ? 6 : 5);
    EXPECT_EQ(Snapshot(on.Get()).size(), Snapshot(off.Get()).size());
    e->ShowMarkers(off.Get(), true);
    EXPECT_EQ(PoseDifference(Snapshot(on.Get()), Snapshot(off.Get())), "");
  }
}

TEST(LeverTopicsB, ProceduresLeaveOtherScenesAlone)
{
  const std::vector<TTopicEntry>& all = TopicEntries();
  TDummyCube empty;
  for (const TTopicEntry& e : all)
    if (IsOurs(e)) {
      e.Animate(&empty, e.DefaultControls(), 45);
      e.Animate(nullptr, e.DefaultControls(), 45);
      e.ShowMarkers(&empty, true);
      e.ShowMarkers(nullptr, true);
    }
  EXPECT_EQ(empty.GetCount(), 0);
  // Ours on every other scene, and every other topic's procedures on ours.
  for (const TTopicEntry& scene : all)
    for (const TTopicEntry& other : all) {
      if (&scene == &other || (!IsOurs(scene) && !IsOurs(other)))
        continue;
      TSceneFixture f;
      Build(f, scene, false);
      const TPose before = Snapshot(f.Get());
      other.Animate(f.Get(), other.DefaultControls(), 77.5f);
      EXPECT_EQ(PoseDifference(before, Snapshot(f.Get())), "")
          << other.Id << "." << other.Example << " animated " << scene.Id << "." << scene.Example;
      if (other.ShowMarkers) {
        other.ShowMarkers(f.Get(), true);
        EXPECT_EQ(PoseDifference(before, Snapshot(f.Get())), "")
            << other.Id << "." << other.Example << " showed markers on " << scene.Id << "." << scene.Example;
      }
    }
}

TEST(LeverTopicsB, SamePhaseGivesTheSamePose)
{
  for (const TTopicEntry& e : TopicEntries())
    if (IsOurs(e)) {
      SCOPED_TRACE(e.Id);
      TSceneFixture f;
      Build(f, e, true);
      e.Animate(f.Get(), e.DefaultControls(), 100);
      const TPose at100 = Snapshot(f.Get());
      e.Animate(f.Get(), e.DefaultControls(), 31);
      EXPECT_NE(PoseDifference(Snapshot(f.Get()), at100, 1e-3), "");
      for (Single p = 0; p < 180; p += 13)
        e.Animate(f.Get(), e.DefaultControls(), p);
      e.Animate(f.Get(), e.DefaultControls(), 100);
      EXPECT_EQ(PoseDifference(Snapshot(f.Get()), at100), "");
    }
}

}   // namespace

TEST(LeverTopicsBRender, SeatedFigure)
{
  // The figure as the roundabout seats it, saved for a look.
  TGLSceneViewer viewer(nullptr, TGLSurface::TKind::Offscreen);
  viewer.GetSurface()->SetSize(320, 240);
  viewer.GetBuffer()->SetBackgroundColor(clBlack);
  if (!viewer.GetSurface()->CreateContext())
    GTEST_SKIP() << "no OpenGL context on this display";
  TGLScene scene;
  TStandardScene stage = BuildStandardScene(scene);
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);
  stage.Camera->Position.SetPoint(-6, 3, 8);
  stage.SceneBase->Position.SetPoint(0, 0, 0);
  auto figure = std::make_unique<TDummyCube>(nullptr);
  figure->Scale.ScaleBy(0.6f);
  figure->Position.Y = -0.5f;
  BuildFigure(figure.get(), &lib, 17, 19, 4, 0, 0, -10, 38);
  stage.SceneBase->AddChild(std::move(figure));
  viewer.SetCamera(stage.Camera);
  viewer.GetSurface()->Repaint();
  std::unique_ptr<TGLBitmap32> shot = viewer.GetBuffer()->CreateSnapshot();
  const TRenderStats s = Measure(*shot);
  EXPECT_GT(s.Lit, 320 * 240 / 30);
  EXPECT_NEAR(s.CentreX, 0.5, 0.2);
  SavePixelsToPng(std::string(ORRELO_TEST_OUTPUT) + "/seated-figure.png", shot->Width(), shot->Height(), shot->Data(),
                  true);
  viewer.SetCamera(nullptr);
}
