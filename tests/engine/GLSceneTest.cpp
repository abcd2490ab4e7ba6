#include "engine/GLScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/GLContext.h"
#include "engine/GLRecorder.h"

namespace {

void ExpectNear(const TAffineVector& a, const TAffineVector& b, float eps = 1e-5f)
{
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(a[i], b[i], eps) << "component " << i;
}

// Draws one point at (1, 0, 0) and counts its builds.
class TMarker : public TGLSceneObject {
public:
  using TGLSceneObject::TGLSceneObject;
  int Builds = 0;
  void BuildList(TRenderContextInfo&) override
  {
    ++Builds;
    glBegin(GL_POINTS);
    glNormal3f(0, 0, 1);
    glVertex3f(1, 0, 0);
    glEnd();
  }
};

// Records its own destruction in a shared log.
class TLogged : public TDummyCube {
public:
  TLogged(TGLBaseSceneObject* owner, std::vector<std::string>* log, std::string name) : TDummyCube(owner), Log(log)
  {
    Name = std::move(name);
  }
  ~TLogged() override { Log->push_back(Name); }
  std::vector<std::string>* Log;
};

TRenderContextInfo Rci()
{
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  return rci;
}

TEST(SceneAngles, PositiveRollTurnsUpTowardsMinusX)
{
  TDummyCube o;
  o.SetRollAngle(90);
  ExpectNear(o.UpVector(), AffineVectorMake(-1, 0, 0));
  ExpectNear(o.DirectionVector(), ZVector);
  // A point on local +X goes to +Y: counter-clockwise seen from +Z.
  ExpectNear(VectorTransform(XVector, o.LocalMatrix()), YVector);
}

TEST(SceneAngles, SettersRotateByTheDeltaSoAbsoluteValuesAreIdempotent)
{
  TDummyCube a, b;
  a.SetRollAngle(30);
  a.SetRollAngle(75);
  a.SetRollAngle(75);
  b.SetRollAngle(75);
  EXPECT_EQ(a.GetRollAngle(), 75);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_NEAR(a.LocalMatrix()[i][j], b.LocalMatrix()[i][j], 1e-5f);
  // Every frame setting the same absolute angle leaves the pose alone.
  TMatrix before = a.LocalMatrix();
  for (int k = 0; k < 100; ++k)
    a.SetRollAngle(75);
  EXPECT_EQ(a.LocalMatrix(), before);
  // A NaN angle is refused rather than spoiling every later delta.
  a.SetRollAngle(NAN);
  a.SetPitchAngle(INFINITY);
  a.Turn(NAN);
  EXPECT_EQ(a.GetRollAngle(), 75);
  EXPECT_EQ(a.LocalMatrix(), before);
}

TEST(SceneAngles, PitchAndTurnSigns)
{
  // Pitch -90 stands a cylinder's top (+Y) towards +Z.
  TDummyCube p;
  p.SetPitchAngle(-90);
  ExpectNear(VectorTransform(YVector, p.LocalMatrix()), ZVector);
  // Turn -90 takes local +X to +Z and local +Z to -X (the windlass coil).
  TDummyCube t;
  t.SetTurnAngle(-90);
  ExpectNear(VectorTransform(AffineVectorMake(0.07f, 0, 0), t.LocalMatrix()), AffineVectorMake(0, 0, 0.07f));
  ExpectNear(VectorTransform(ZVector, t.LocalMatrix()), AffineVectorMake(-1, 0, 0));
}

TEST(SceneAngles, AnglesComposeAboutTheObjectsOwnAxes)
{
  // Roll -90 turns the length (+X) down and the bend (+Y) towards +X; a pitch of 180 inside
  // then mirrors the bend.
  TDummyCube g;
  g.SetRollAngle(-90);
  ExpectNear(VectorTransform(XVector, g.LocalMatrix()), AffineVectorMake(0, -1, 0));
  ExpectNear(VectorTransform(YVector, g.LocalMatrix()), XVector);
  g.SetPitchAngle(180);
  ExpectNear(VectorTransform(YVector, g.LocalMatrix()), AffineVectorMake(-1, 0, 0));
  // RotateByAngles turns by the full angles and leaves the stored ones.
  TDummyCube r;
  r.RotateByAngles(0, 90, 0);
  ExpectNear(r.DirectionVector(), XVector);
  EXPECT_EQ(r.GetTurnAngle(), 0);
}

TEST(SceneAngles, DirectionAndUpCopyAnotherObjectsOrientation)
{
  TDummyCube spoke, copy;
  spoke.SetRollAngle(72);
  spoke.SetPitchAngle(10);
  copy.SetDirection(spoke.Direction);
  copy.SetUp(spoke.Up);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      EXPECT_NEAR(copy.LocalMatrix()[i][j], spoke.LocalMatrix()[i][j], 1e-6f);
}

TEST(SceneCoordinates, WhichWritesNotify)
{
  TGLCoordinates c(0, 0, 0, 1, TGLCoordinatesStyle::csPoint);
  int n = 0;
  c.OnNotifyChange = [&] { ++n; };
  c.SetPoint(1, 2, 3);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(c.W, 1);
  c.SetCoordinate(1, 5);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(c.Y, 5);
  c.SetCoordinate(7, 1);   // no such coordinate
  EXPECT_EQ(n, 2);
  c.X = 9;   // direct write
  c.ScaleBy(2);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(c.AsAffineVector(), AffineVectorMake(18, 10, 6));
  c.SetAsVector({1, 1, 1, 0});   // a point keeps w = 1
  EXPECT_EQ(n, 3);
  EXPECT_EQ(c.W, 1);
}

TEST(SceneCoordinates, DirectWritesStillMoveTheObject)
{
  TDummyCube o;
  o.Position.X = 2;   // as an animate procedure does every frame
  EXPECT_EQ(o.LocalMatrix()[3][0], 2);
  o.Scale.ScaleBy(1.8f);
  ExpectNear(VectorTransform(XVector, o.LocalMatrix()), AffineVectorMake(3.8f, 0, 0));
}

TEST(SceneTree, AddChildIndicesAndLookup)
{
  TDummyCube base;
  auto* a = base.AddChild(std::make_unique<TDummyCube>(nullptr));
  auto* b = base.AddNewChild<TMarker>();
  EXPECT_EQ(base.GetCount(), 2);
  EXPECT_EQ(base.GetChild(0), a);
  EXPECT_EQ(base.GetChild(1), b);
  EXPECT_EQ(base.IndexOfChild(b), 1);
  EXPECT_EQ(b->GetParent(), &base);
  EXPECT_EQ(base.GetChildAs<TMarker>(1), b);
  EXPECT_EQ(base.GetChildAs<TMarker>(0), nullptr);
  EXPECT_EQ(base.GetChildAs<TMarker>(5), nullptr);
  EXPECT_THROW(base.GetChild(2), EGLSceneError);
  EXPECT_THROW(base.GetChild(-1), EGLSceneError);
  // A node cannot become its own descendant.
  std::unique_ptr<TGLBaseSceneObject> detached = base.Remove(a);
  ASSERT_TRUE(detached);
  EXPECT_EQ(base.GetCount(), 1);
  EXPECT_EQ(base.GetChild(0), b);
}

TEST(SceneTree, DeleteChildrenFreesLastFirst)
{
  std::vector<std::string> log;
  {
    TDummyCube base;
    base.AddChild(std::make_unique<TLogged>(nullptr, &log, "a"));
    auto* b = base.AddChild(std::make_unique<TLogged>(nullptr, &log, "b"));
    b->AddChild(std::make_unique<TLogged>(nullptr, &log, "b0"));
    base.AddChild(std::make_unique<TLogged>(nullptr, &log, "c"));
    base.DeleteChildren();
    EXPECT_EQ(base.GetCount(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "b", "b0", "a"}));
    base.AddChild(std::make_unique<TLogged>(nullptr, &log, "d"));
  }
  EXPECT_EQ(log.back(), "d");   // the parent frees what is left
}

TEST(SceneRender, StructureChangedCausesExactlyOneRebuild)
{
  TGLRecorder rec;
  TDummyCube root;
  auto* m = root.AddNewChild<TMarker>();
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  root.Render(rci);
  EXPECT_EQ(m->Builds, 1);
  EXPECT_EQ(rec.Count("glNewList"), 1);
  EXPECT_EQ(rec.Count("glCallList"), 2);
  m->StructureChanged();
  m->StructureChanged();
  root.Render(rci);
  root.Render(rci);
  EXPECT_EQ(m->Builds, 2);
  EXPECT_EQ(rec.Count("glNewList"), 2);
  EXPECT_EQ(rec.LiveLists(), 1);   // the same list name is reused
  EXPECT_EQ(rec.Problems(), "");
  // Four frames, one point each, though the point was recorded only twice.
  EXPECT_EQ(rec.ExecutedVertices().size(), 4u);
}

TEST(SceneRender, AGroupBuildsNoList)
{
  TGLRecorder rec;
  TDummyCube root;
  root.AddNewChild<TDummyCube>();
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  EXPECT_EQ(rec.Count("glNewList"), 0);
  EXPECT_TRUE(rec.MatrixBalanced());
}

TEST(SceneRender, InvisibleHidesTheSubtree)
{
  TGLRecorder rec;
  TDummyCube root;
  auto* group = root.AddNewChild<TDummyCube>();
  auto* m = group->AddNewChild<TMarker>();
  group->AddNewChild<TDummyCube>()->AddNewChild<TMarker>();
  group->SetVisible(false);
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  EXPECT_EQ(rec.ExecutedVertices().size(), 0u);
  EXPECT_EQ(m->Builds, 0);
  group->SetVisible(true);
  root.Render(rci);
  EXPECT_EQ(rec.ExecutedVertices().size(), 2u);
}

TEST(SceneRender, ChildrenMoveWithTheirParent)
{
  TGLRecorder rec;
  TDummyCube root;
  auto* group = root.AddNewChild<TDummyCube>();
  group->Position.SetPoint(0, 2, 0);
  group->SetRollAngle(90);
  auto* m = group->AddNewChild<TMarker>();
  m->Position.SetPoint(1, 0, 0);
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  ASSERT_EQ(rec.ExecutedVertices().size(), 1u);
  // Local (1,0,0) + (1,0,0) = (2,0,0), rolled a quarter to (0,2,0), moved up 2.
  ExpectNear(rec.ExecutedVertices()[0], AffineVectorMake(0, 4, 0));
  ExpectNear(AffineVectorMake(m->AbsolutePosition()), AffineVectorMake(0, 3, 0));
}

TEST(SceneRender, ProxyWithAndWithoutTheMastersTransformation)
{
  TGLRecorder rec;
  TDummyCube root;
  auto* master = root.AddNewChild<TMarker>();
  master->Position.SetPoint(0, 2, 0);
  master->AddNewChild<TMarker>()->Position.SetPoint(0, 0, 3);   // a child drawn again too
  master->SetVisible(false);                                    // a hidden master still serves its proxies
  auto* proxy = root.AddNewChild<TGLProxyObject>();
  proxy->SetMasterObject(master);
  proxy->Position.SetPoint(5, 0, 0);
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  ASSERT_EQ(rec.ExecutedVertices().size(), 2u);
  ExpectNear(rec.ExecutedVertices()[0], AffineVectorMake(6, 2, 0));
  ExpectNear(rec.ExecutedVertices()[1], AffineVectorMake(6, 2, 3));
  rec.ClearExecuted();
  proxy->SetProxyOptions(pooObjects);
  root.Render(rci);
  ASSERT_EQ(rec.ExecutedVertices().size(), 2u);
  ExpectNear(rec.ExecutedVertices()[0], AffineVectorMake(6, 0, 0));
  ExpectNear(rec.ExecutedVertices()[1], AffineVectorMake(6, 0, 3));
  // Without pooObjects there is nothing to draw.
  rec.ClearExecuted();
  proxy->SetProxyOptions(pooTransformation);
  root.Render(rci);
  EXPECT_EQ(rec.ExecutedVertices().size(), 0u);
  EXPECT_EQ(rec.Problems(), "");
}

TEST(SceneRender, ProxySurvivesItsMasterAndItsOwnCycle)
{
  TGLRecorder rec;
  TDummyCube root;
  auto* master = root.AddNewChild<TMarker>();
  auto* proxy = root.AddNewChild<TGLProxyObject>();
  proxy->SetMasterObject(master);
  // A proxy below its own master must not recurse for ever.
  auto* inner = master->AddNewChild<TGLProxyObject>();
  inner->SetMasterObject(master);
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  EXPECT_TRUE(rec.MatrixBalanced());
  root.Remove(master).reset();
  EXPECT_EQ(proxy->GetMasterObject(), nullptr);
  root.Render(rci);
}

TEST(SceneRender, MaterialIsAppliedAroundTheList)
{
  TGLRecorder rec;
  TDummyCube root;
  TGLMaterialLibrary lib;
  TGLLibMaterial* red = lib.Materials.Add("Red");
  red->Material.FrontProperties.Diffuse.SetColor(1, 0, 0, 1);
  auto* m = root.AddNewChild<TMarker>();
  m->Material = lib.Materials.GetItem(0)->Material;
  red->Material.FrontProperties.Diffuse.SetColor(0, 1, 0, 1);   // the object kept a copy
  EXPECT_EQ(m->Material.FrontProperties.Diffuse.GetColor(), (TVector{1, 0, 0, 1}));
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  bool sawRed = false;
  for (const TGLCall& c : rec.Calls())
    if (c.Name == "glMaterialfv" && c.Args[0] == GL_FRONT && c.Args[1] == GL_DIFFUSE)
      sawRed = c.Args[2] == 1 && c.Args[3] == 0;
  EXPECT_TRUE(sawRed);
  EXPECT_THROW(lib.Materials.GetItem(1), EGLMaterialError);
  EXPECT_EQ(lib.Materials.GetLibMaterialByName("red"), red);
}

TEST(SceneRender, FreedListsAreDeletedInTheirContextNextFrame)
{
  TGLRecorder rec;
  TGLScene scene;
  scene.Objects()->AddNewChild<TMarker>();
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  scene.RenderScene(rci);
  EXPECT_EQ(rec.LiveLists(), 1);
  scene.Objects()->DeleteChildren();
  EXPECT_EQ(rec.LiveLists(), 1);   // no context current here
  scene.RenderScene(rci);
  EXPECT_EQ(rec.LiveLists(), 0);
}

TEST(SceneRender, ShowAxesDrawsBalancedLines)
{
  TGLRecorder rec;
  TDummyCube root;
  root.SetShowAxes(true);
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  EXPECT_EQ(rec.VertexCount(), 12);
  EXPECT_EQ(rec.Problems(), "");
}

TEST(SceneCamera, OrbitKeepsTheDistanceAndZoomRestores)
{
  TGLScene scene;
  auto* target = scene.Objects()->AddNewChild<TDummyCube>();
  auto* cam = scene.Objects()->AddNewChild<TGLCamera>();
  cam->SetTargetObject(target);
  cam->Position.SetPoint(0, 0, 10);
  cam->MoveAroundTarget(30, 45);
  EXPECT_NEAR(cam->DistanceToTarget(), 10, 1e-4f);
  // Positive turn moves the camera to its right (+X), positive pitch lowers it.
  EXPECT_GT(cam->Position.X, 0);
  EXPECT_LT(cam->Position.Y, 0);
  // Straight over the top and beyond stays well defined.
  cam->MoveAroundTarget(-200, 0);
  EXPECT_NEAR(cam->DistanceToTarget(), 10, 1e-4f);
  EXPECT_TRUE(std::isfinite(cam->Up.X) && std::isfinite(cam->Up.Y));
  for (int i = 0; i < 3; ++i)
    cam->AdjustDistanceToTarget(Power(1.05f, -1));
  for (int i = 0; i < 3; ++i)
    cam->AdjustDistanceToTarget(1.05f);
  EXPECT_NEAR(cam->DistanceToTarget(), 10, 1e-4f);
  cam->AdjustDistanceToTarget(0);   // ignored
  cam->AdjustDistanceToTarget(NAN);
  EXPECT_NEAR(cam->DistanceToTarget(), 10, 1e-4f);
  // Freeing the target leaves the camera without one.
  scene.Objects()->Remove(target).reset();
  EXPECT_EQ(cam->GetTargetObject(), nullptr);
}

TEST(SceneCamera, ApplySetsPerspectiveAndView)
{
  TGLRecorder rec;
  TGLCamera cam;
  cam.SetFocalLength(200);
  cam.SetDepthOfView(1000);
  cam.Position.SetPoint(0, 0, 10);
  cam.Apply(400, 200);
  ASSERT_EQ(rec.Count("gluPerspective"), 1);
  for (const TGLCall& c : rec.Calls())
    if (c.Name == "gluPerspective") {
      EXPECT_NEAR(c.Args[0], 2 * std::atan(0.2) * 180 / M_PI, 1e-3);
      EXPECT_DOUBLE_EQ(c.Args[1], 2.0);
      EXPECT_DOUBLE_EQ(c.Args[3], 1000);
    }
  // A tall viewport keeps the same angle across its width, so a model seen whole in a wide
  // view is not cut off at the sides.
  rec.Clear();
  cam.Apply(200, 400);
  ASSERT_EQ(rec.Count("gluPerspective"), 1);
  for (const TGLCall& c : rec.Calls())
    if (c.Name == "gluPerspective") {
      EXPECT_DOUBLE_EQ(c.Args[1], 0.5);
      const double horizontal = 2 * std::atan(std::tan(c.Args[0] * M_PI / 360) * c.Args[1]) * 180 / M_PI;
      EXPECT_NEAR(horizontal, 2 * std::atan(0.2) * 180 / M_PI, 1e-3);
    }
}

TEST(SceneLights, OnlyShiningVisibleLightsAreSwitchedOn)
{
  TGLRecorder rec;
  TGLScene scene;
  auto* l1 = scene.Objects()->AddNewChild<TGLLightSource>();
  auto* l2 = scene.Objects()->AddNewChild<TGLLightSource>();
  auto* hidden = scene.Objects()->AddNewChild<TDummyCube>();
  hidden->AddNewChild<TGLLightSource>();
  hidden->SetVisible(false);
  l2->SetShining(false);
  EXPECT_EQ(scene.ActiveLights(), std::vector<TGLLightSource*>{l1});
  TRenderContextInfo rci = Rci();
  scene.RenderScene(rci);
  EXPECT_TRUE(rec.Enabled(GL_LIGHT0));
  EXPECT_FALSE(rec.Enabled(GL_LIGHT1));
  EXPECT_TRUE(rec.MatrixBalanced());
}

// A marker whose geometry follows one number and which says so, to share its list.
class TKeyedMarker : public TMarker {
public:
  using TMarker::TMarker;
  double Size = 1;
  bool Closed = false;
  std::string ListKey() const override { return MakeListKey({Size}); }
  bool IsClosedSolid() const override { return Closed; }
};

// The same geometry numbers under another class: never the same list.
class TOtherKeyedMarker : public TKeyedMarker {
public:
  using TKeyedMarker::TKeyedMarker;
};

TEST(SceneRender, EqualKeysShareOneListAndTheLastUserFreesIt)
{
  TGLRecorder rec;
  TGLScene scene;
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  auto* a = scene.Objects()->AddNewChild<TKeyedMarker>();
  auto* b = scene.Objects()->AddNewChild<TKeyedMarker>();
  auto* c = scene.Objects()->AddNewChild<TKeyedMarker>();
  auto* other = scene.Objects()->AddNewChild<TOtherKeyedMarker>();
  c->Size = 2;
  scene.RenderScene(rci);
  scene.RenderScene(rci);
  // a and b share; c's size and the other class's name each make their own.
  EXPECT_EQ(a->Builds + b->Builds, 1);
  EXPECT_EQ(c->Builds, 1);
  EXPECT_EQ(other->Builds, 1);
  EXPECT_EQ(rec.Count("glNewList"), 3);
  EXPECT_EQ(rec.Count("glCallList"), 8);
  EXPECT_EQ(rci.Context->SharedLists(), 3);
  EXPECT_EQ(rec.ExecutedVertices().size(), 8u);

  // b changes: it leaves the shared list to a and takes c's.
  b->Size = 2;
  b->StructureChanged();
  scene.RenderScene(rci);
  EXPECT_EQ(rec.Count("glNewList"), 3);
  EXPECT_EQ(rci.Context->SharedLists(), 3);
  // A change back to a's size finds a's list still there.
  b->Size = 1;
  b->StructureChanged();
  scene.RenderScene(rci);
  EXPECT_EQ(rec.Count("glNewList"), 3);

  // The list goes when its last user does, not before.
  scene.Objects()->Remove(a).reset();
  scene.RenderScene(rci);
  EXPECT_EQ(rec.LiveLists(), 3);
  scene.Objects()->Remove(b).reset();
  scene.RenderScene(rci);
  EXPECT_EQ(rec.LiveLists(), 2);
  EXPECT_EQ(rci.Context->SharedLists(), 2);
  scene.Objects()->DeleteChildren();
  scene.RenderScene(rci);
  EXPECT_EQ(rec.LiveLists(), 0);
  EXPECT_EQ(rci.Context->SharedLists(), 0);
  EXPECT_EQ(rec.Problems(), "");
}

TEST(SceneRender, ASharedListIsCompiledAgainInANewContext)
{
  TGLRecorder rec;
  TDummyCube root;
  auto* a = root.AddNewChild<TKeyedMarker>();
  auto* b = root.AddNewChild<TKeyedMarker>();
  TRenderContextInfo first;
  first.Context = std::make_shared<TGLContextNames>();
  root.Render(first);
  // The context goes, and its lists with it; the objects only ever kept a weak reference.
  const std::weak_ptr<TGLContextNames> gone = first.Context;
  first.Context.reset();
  EXPECT_TRUE(gone.expired());
  TRenderContextInfo second;
  second.Context = std::make_shared<TGLContextNames>();
  root.Render(second);
  root.Render(second);
  EXPECT_EQ(a->Builds + b->Builds, 2);
  EXPECT_EQ(second.Context->SharedLists(), 1);
}

TEST(SceneRender, AMaterialRepeatedInARowIsSetOnce)
{
  TGLRecorder rec;
  TDummyCube root;
  TGLMaterial red, green;
  red.FrontProperties.Diffuse.SetColor(1, 0, 0, 1);
  green.FrontProperties.Diffuse.SetColor(0, 1, 0, 1);
  for (const TGLMaterial* m : {&red, &red, &green, &red})
    root.AddNewChild<TMarker>()->Material = *m;
  TRenderContextInfo rci = Rci();
  root.Render(rci);
  // Red, green, red again: three settings of both faces, five calls each.
  EXPECT_EQ(rec.Count("glMaterialfv") + rec.Count("glMateriali"), 3 * 2 * 5);
  std::vector<double> diffuse;
  for (const TGLCall& c : rec.Calls())
    if (c.Name == "glMaterialfv" && c.Args[0] == GL_FRONT && c.Args[1] == GL_DIFFUSE)
      diffuse.push_back(c.Args[2]);
  EXPECT_EQ(diffuse, (std::vector<double>{1, 0, 1}));
  // A new frame knows nothing of the last one's material.
  TRenderContextInfo next = Rci();
  root.Render(next);
  EXPECT_EQ(rec.Count("glMaterialfv") + rec.Count("glMateriali"), 6 * 2 * 5);
}

TEST(SceneRender, OnlyClosedSolidsCullTheirBackFaces)
{
  TGLRecorder rec;
  TGLScene scene;
  auto* open = scene.Objects()->AddNewChild<TKeyedMarker>();
  auto* closed1 = scene.Objects()->AddNewChild<TKeyedMarker>();
  auto* closed2 = scene.Objects()->AddNewChild<TKeyedMarker>();
  auto* open2 = scene.Objects()->AddNewChild<TMarker>();
  closed1->Closed = closed2->Closed = true;
  closed2->Size = 3;
  TRenderContextInfo rci;
  rci.Context = std::make_shared<TGLContextNames>();
  scene.RenderScene(rci);
  // Culling is on exactly while the closed ones draw: switched on once for both, off again
  // before the open marker, and off when the frame ends.
  std::vector<std::string> seen;
  std::vector<bool> cullingAtEachList;   // the objects draw in tree order, one list each
  bool culling = false;
  for (const TGLCall& c : rec.Calls()) {
    if ((c.Name == "glEnable" || c.Name == "glDisable") && c.Args[0] == GL_CULL_FACE) {
      culling = c.Name == "glEnable";
      seen.push_back(c.Name);
    }
    if (c.Name == "glCallList")
      cullingAtEachList.push_back(culling);
  }
  EXPECT_EQ(cullingAtEachList, (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(seen, (std::vector<std::string>{"glEnable", "glDisable"}));
  // A frame that ends on a closed solid leaves culling off for whatever is drawn next.
  scene.Objects()->Remove(open2).reset();
  scene.RenderScene(rci);
  EXPECT_FALSE(rec.Enabled(GL_CULL_FACE));
  EXPECT_FALSE(rci.CullingBackFaces);
  EXPECT_EQ(open->Builds, 1);
}

}   // namespace
