#include <gtest/gtest.h>

#include <cmath>

#include "engine/GLBezier.h"
#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "tests/engine/ShapesTestUtil.h"

namespace {

// Sound stream, every triangle facing its normals; returns the triangles.
std::vector<TRecordedTriangle> CheckShape(TGLBaseSceneObject& obj, TGLRecorder& rec)
{
  RecordBuild(obj, rec);
  EXPECT_SOUND_STREAM(rec);
  auto tris = RecordedTriangles(rec.Calls());
  EXPECT_EQ(MisWoundTriangles(tris), 0);
  return tris;
}

double PolygonArea(const std::vector<std::pair<double, double>>& p)
{
  double a = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const auto& q = p[(i + 1) % p.size()];
    a += p[i].first * q.second - q.first * p[i].second;
  }
  return std::fabs(a) / 2;
}

TEST(ShapesBasic, CubeFacesAndCounts)
{
  TGLRecorder rec;
  auto cube = TCube::CreateSized(nullptr, 2, 1, 0.5f, cpAll, ndOutside);
  auto tris = CheckShape(*cube, rec);
  EXPECT_EQ(rec.VertexCount(), 24);
  EXPECT_NEAR(TotalArea(tris), 2 * (2 * 1 + 2 * 0.5 + 1 * 0.5), 1e-5);
  // All faces but the bottom, as the scenes' keys are made.
  cube->SetParts(cpAll & ~cpBottom);
  CheckShape(*cube, rec);
  EXPECT_EQ(rec.VertexCount(), 20);
  // Normals inside turn every face round.
  cube->SetNormalDirection(ndInside);
  CheckShape(*cube, rec);
  // A default cube is a unit cube with every face.
  TCube unit;
  unit.SetCubeWidth(0.02f);
  CheckShape(unit, rec);
  EXPECT_EQ(rec.VertexCount(), 24);
}

TEST(ShapesBasic, CylindersConesAndCaps)
{
  TGLRecorder rec;
  // Sides, bottom and top with 20 slices, one stack and one loop.
  auto cyl = TCylinder::CreateSized(nullptr, 0.1f, 0.1f, 0.5f, 20, 1, 1, cyAll, ndOutside);
  auto tris = CheckShape(*cyl, rec);
  EXPECT_EQ(rec.VertexCount(), 2 * 21 + 2 * 22);
  for (const auto& t : tris)
    for (const auto& p : t.P)
      EXPECT_NEAR(std::fabs(p[1]), p[1] == 0 ? 0 : 0.25, 1e-6);   // bottom at -H/2, top at +H/2
  // A cone point: bottom radius 0, sides only; and a taper with both caps inside out.
  auto cone = TCylinder::CreateSized(nullptr, 0, 0.1f, 0.1f, 50, 1, 1, cySides, ndOutside);
  CheckShape(*cone, rec);
  EXPECT_EQ(rec.VertexCount(), 2 * 51);
  auto taper = TCylinder::CreateSized(nullptr, 0.25f, 0.1f, 0.1f, 16, 3, 2, cyAll, ndInside);
  CheckShape(*taper, rec);
  // End discs only (a web), and a cylinder of height 0.
  auto web = TCylinder::CreateSized(nullptr, 0.3f, 0.3f, 0.05f, 20, 1, 1, cyBottom | cyTop, ndOutside);
  tris = CheckShape(*web, rec);
  EXPECT_NEAR(TotalArea(tris), 2 * 20 * 0.5 * 0.09 * std::sin(2 * M_PI / 20), 1e-5);
  web->SetHeight(0);
  CheckShape(*web, rec);
}

TEST(ShapesBasic, AnnulusFrustrumSphereTorus)
{
  TGLRecorder rec;
  auto ring = TAnnulus::CreateSized(nullptr, 0.1f, 0.053f, 0.1f, 0.053f, 0.04f, anInnerSides | anOuterSides | anTop);
  CheckShape(*ring, rec);
  EXPECT_GT(rec.VertexCount(), 0);

  TFrustrum f;
  f.SetBaseWidth(1.4f);
  f.SetBaseDepth(1.4f);
  f.SetHeight(1.4f);
  f.SetApexHeight(5.6f);
  auto tris = CheckShape(f, rec);
  EXPECT_EQ(rec.VertexCount(), 24);
  EXPECT_NEAR(f.TopWidth(), 1.05f, 1e-6f);
  for (const auto& t : tris)
    for (const auto& p : t.P) {
      EXPECT_GE(p[1], 0);   // the base stands on the origin
      EXPECT_LE(p[1], 1.4f + 1e-6f);
    }
  // Cut at the apex: a pyramid, no top face.
  f.SetHeight(5.6f);
  CheckShape(f, rec);
  EXPECT_EQ(rec.VertexCount(), 20);

  TSphere s;
  s.SetRadius(0.2f);
  CheckShape(s, rec);
  EXPECT_EQ(rec.VertexCount(), 16 * 2 * 17);
  s.SetStop(180);
  tris = CheckShape(s, rec);
  EXPECT_EQ(rec.VertexCount(), 16 * 2 * 9);
  for (const auto& t : tris)
    for (const auto& p : t.P)
      EXPECT_GE(p[0], -1e-6f);   // the half on the +X side
  s.SetStop(0);
  CheckShape(s, rec);
  EXPECT_EQ(rec.VertexCount(), 0);

  TTorus tyre;
  tyre.SetRings(30);
  tyre.SetMajorRadius(0.15f);
  tyre.SetMinorRadius(0.05f);
  tris = CheckShape(tyre, rec);
  EXPECT_EQ(rec.VertexCount(), 30 * 2 * 16);
  for (const auto& t : tris)
    for (const auto& p : t.P)
      EXPECT_LE(std::fabs(p[2]), 0.05f + 1e-6f);   // lies round Z
}

TEST(ShapesBasic, ClosedShapesSayTheyAreAndAreClosed)
{
  // What says it is closed gets its back faces culled: it must be closed and wound outwards.
  auto cyl = TCylinder::CreateSized(nullptr, 0.1f, 0.1f, 0.5f, 20, 3, 2, cyAll, ndOutside);
  auto cone = TCylinder::CreateSized(nullptr, 0, 0.2f, 0.3f, 12, 1, 1, cyAll, ndOutside);
  auto cube = TCube::CreateSized(nullptr, 0.3f, 0.2f, 0.1f, cpAll, ndOutside);
  auto ring = TAnnulus::CreateSized(nullptr, 0.2f, 0.1f, 0.25f, 0.12f, 0.05f, anAll);
  TFrustrum frustrum, pyramid;
  pyramid.SetHeight(pyramid.GetApexHeight());
  TSphere ball;
  TTorus tyre;
  std::vector<TGLBaseSceneObject*> closed{cyl.get(), cone.get(), cube.get(), ring.get(),
                                          &frustrum, &pyramid,   &ball,      &tyre};
  for (size_t i = 0; i < closed.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(closed[i]->IsClosedSolid());
    ExpectClosedSolid(*closed[i]);
  }
  // Anything left open, or turned inside out, is drawn from both sides.
  auto tube = TCylinder::CreateSized(nullptr, 0.1f, 0.1f, 0.5f, 20, 1, 1, cySides | cyTop, ndOutside);
  auto inside = TCylinder::CreateSized(nullptr, 0.1f, 0.1f, 0.5f, 20, 1, 1, cyAll, ndInside);
  auto tray = TCube::CreateSized(nullptr, 0.3f, 0.2f, 0.1f, cpAll & ~cpTop, ndOutside);
  auto room = TCube::CreateSized(nullptr, 0.3f, 0.2f, 0.1f, cpAll, ndInside);
  auto washer = TAnnulus::CreateSized(nullptr, 0.2f, 0.1f, 0.2f, 0.1f, 0.05f, anOuterSides | anTop | anBottom);
  TSphere half;
  half.SetStop(180);
  TFrustrum hollow;
  hollow.SetNormalDirection(ndInside);
  for (TGLBaseSceneObject* o :
       std::vector<TGLBaseSceneObject*>{tube.get(), inside.get(), tray.get(), room.get(), washer.get(), &half, &hollow})
    EXPECT_FALSE(o->IsClosedSolid());
}

TEST(ShapesBasic, SettersRefuseNonsenseAndKeepFlagsClean)
{
  TCylinder c;
  c.SetHeight(NAN);
  c.SetBottomRadius(-1);
  c.SetSlices(-5);
  EXPECT_EQ(c.GetHeight(), 1);
  EXPECT_EQ(c.GetBottomRadius(), 0.5f);
  EXPECT_EQ(c.GetSlices(), 3);
  TGLRecorder rec;
  CheckShape(c, rec);
}

// Renders the object through its display list in one context and counts compilations.
int CompilesAfterRender(TGLBaseSceneObject& obj, TGLRecorder& rec)
{
  static const std::shared_ptr<TGLContextNames> context = std::make_shared<TGLContextNames>();
  TRenderContextInfo rci;
  rci.Context = context;
  obj.Render(rci);
  return rec.Count("glNewList");
}

TEST(ShapesRebuild, CylinderHeightSetterRebuildsOnce)
{
  TGLRecorder rec;
  auto rope = TCylinder::CreateSized(nullptr, 0.01f, 0.01f, 1, 10, 1, 1, cyAll, ndOutside);
  EXPECT_EQ(CompilesAfterRender(*rope, rec), 1);
  EXPECT_EQ(CompilesAfterRender(*rope, rec), 1);   // nothing changed: the list is called
  rope->SetHeight(1.5f);
  rope->SetHeight(1.5f);   // the same value again changes nothing
  EXPECT_EQ(CompilesAfterRender(*rope, rec), 2);
  EXPECT_EQ(CompilesAfterRender(*rope, rec), 2);
  EXPECT_EQ(rope->GetHeight(), 1.5f);
}

TEST(ShapesLines, AddNodeNotifiesAndSilentDoesNot)
{
  TGLRecorder rec;
  TLines arrow;
  arrow.SetNodesAspect(lnaInvisible);
  arrow.SetAntiAliased(true);
  arrow.SetLineColor(TVector{1, 1, 1, 1});
  for (auto [x, y] :
       {std::pair{0.f, 0.f}, {0.425f, 0.f}, {0.425f, 0.02f}, {0.5f, 0.f}, {0.425f, -0.02f}, {0.425f, 0.f}})
    arrow.AddNodeSilent(x, y, 0);
  EXPECT_EQ(CompilesAfterRender(arrow, rec), 1);
  arrow.AddNodeSilent(1, 1, 1);
  EXPECT_FALSE(arrow.GetStructureChangedFlag());
  EXPECT_EQ(CompilesAfterRender(arrow, rec), 1);
  arrow.AddNode(2, 2, 2);
  EXPECT_TRUE(arrow.GetStructureChangedFlag());
  EXPECT_EQ(CompilesAfterRender(arrow, rec), 2);
  // One line strip through all eight nodes, unlit and anti-aliased, no node marks.
  const auto prims = rec.Primitives();
  ASSERT_FALSE(prims.empty());
  EXPECT_EQ(prims.back().Mode, GL_LINE_STRIP);
  EXPECT_EQ(prims.back().VertexCount, 8);
  EXPECT_EQ(rec.Count("glLineWidth"), 3);
  EXPECT_EQ(rec.AttribBalanced(), true);
  EXPECT_GT(rec.Count("glBlendFunc"), 0);
  // Moving a node through its setter rebuilds too.
  arrow.Nodes.GetItem(0)->SetAsVector(PointMake(-1, 0, 0));
  EXPECT_TRUE(arrow.GetStructureChangedFlag());
  // With marks, each node gets its axes.
  TLines marked;
  marked.AddNode(0, 0, 0);
  RecordBuild(marked, rec);
  EXPECT_EQ(rec.VertexCount(), 6);
  EXPECT_EQ(rec.Problems(), "");
}

TEST(ShapesPipe, RepeatedNodesGiveNoNaNNormals)
{
  TGLRecorder rec;
  TPipe frame;
  frame.SetRadius(0.03f);
  frame.SetParts(ppOutside | ppStartDisk | ppStopDisk);
  // A closed path that passes its first point twice, as the wheelbarrow frame does, and
  // repeats other points three times.
  const TAffineVector path[] = {{0, 0, 0.2f},     {0.5f, 0, 0.2f},  {0.5f, 0, 0.2f}, {0.5f, 0, 0.2f}, {1, 0.2f, 0.1f},
                                {1, 0.2f, -0.1f}, {0.5f, 0, -0.2f}, {0, 0, -0.2f},   {0, 0, 0.2f},    {0, 0, 0.2f}};
  for (const auto& p : path)
    frame.AddNode(p);
  auto tris = CheckShape(frame, rec);
  // Six spans between seven distinct points, 16 slices, two discs.
  EXPECT_EQ(rec.VertexCount(), 6 * 2 * 17 + 2 * 18);
  // Every node equal: nothing to draw, and no fault.
  TPipe dot;
  dot.AddNode(1, 1, 1);
  dot.AddNode(1, 1, 1);
  CheckShape(dot, rec);
  EXPECT_EQ(rec.VertexCount(), 0);
  // A path that turns straight back on itself.
  TPipe back;
  back.AddNode(0, 0, 0);
  back.AddNode(1, 0, 0);
  back.AddNode(0, 0, 0);
  CheckShape(back, rec);
}

TEST(ShapesPipe, SplineRadiusFactorAndNodeMoves)
{
  TGLRecorder rec;
  TPipe muscle;
  muscle.SetRadius(0.08f);
  muscle.SetSplineMode(lsmCubicSpline);
  const TAffineVector nodes[] = {{0.2f, 5.25f, 0}, {0.7f, 4.95f, 0}, {0.8f, 4.35f, 0},
                                 {0.8f, 3.05f, 0}, {0.6f, 1.25f, 0}, {0.6f, 0.45f, 0}};
  for (const auto& p : nodes)
    muscle.AddNodeVector(PointMake(p));
  muscle.GetPipeNode(3)->SetRadiusFactor(3.5f);
  EXPECT_EQ(CompilesAfterRender(muscle, rec), 1);
  EXPECT_EQ(rec.Problems(), "");
  EXPECT_TRUE(rec.AllNormalsFinite());
  // Five spans of ten steps each: 51 path points, 50 strips of 17 pairs.
  EXPECT_EQ(rec.VertexCount(), 50 * 2 * 17);
  // The ring at node 3 has 3.5 times the radius.
  int onRing = 0;
  for (const auto& v : rec.ExecutedVertices())
    onRing += std::fabs(VectorDistance(v, nodes[3]) - 0.28) < 1e-4;
  EXPECT_GE(onRing, 17);
  // The animation moves nodes and swells the muscle: each is one rebuild.
  muscle.GetNodes().GetItem(5)->SetAsVector(PointMake(0.2946f, 0.6897f, 0));
  muscle.GetPipeNode(3)->SetRadiusFactor(5.0f);
  EXPECT_EQ(CompilesAfterRender(muscle, rec), 2);
  EXPECT_EQ(rec.Problems(), "");
  EXPECT_TRUE(rec.AllNormalsFinite());
  EXPECT_THROW(muscle.GetPipeNode(6), EGLSceneError);
  // Factors below zero or NaN are refused.
  muscle.GetPipeNode(0)->SetRadiusFactor(-1);
  muscle.GetPipeNode(0)->SetRadiusFactor(NAN);
  EXPECT_EQ(muscle.GetPipeNode(0)->GetRadiusFactor(), 1);
}

// The letters' outlines, in units of the scale.
const std::vector<std::pair<double, double>> kLetterE = {{0, 0},     {1.2, 0},   {1.2, 0.2}, {0.2, 0.2},
                                                         {0.2, 0.8}, {1.2, 0.8}, {1.2, 1.0}, {0.2, 1.0},
                                                         {0.2, 1.6}, {1.2, 1.6}, {1.2, 1.8}, {0, 1.8}};
const std::vector<std::pair<double, double>> kLetterF = {{0, 0},     {0.2, 0},   {0.2, 0.8}, {1.2, 0.8}, {1.2, 1.0},
                                                         {0.2, 1.0}, {0.2, 1.6}, {1.2, 1.6}, {1.2, 1.8}, {0, 1.8}};
const std::vector<std::pair<double, double>> kLetterL = {{0, 0},     {1.2, 0},   {1.2, 0.2},
                                                         {0.2, 0.2}, {0.2, 1.8}, {0, 1.8}};

TEST(ShapesExtrusion, ConcaveLetterCapsCoverTheirOutline)
{
  for (const auto* letter : {&kLetterE, &kLetterF, &kLetterL}) {
    for (bool reversed : {false, true}) {
      TGLRecorder rec;
      TExtrusionSolid solid;
      solid.SetHeight(0.02f);
      solid.SetParts(espOutside | espStartPolygon | espStopPolygon);
      const Single s = 0.05f;
      std::vector<std::pair<double, double>> pts = *letter;
      if (reversed)
        std::reverse(pts.begin(), pts.end());
      for (const auto& [x, y] : pts)
        solid.AddNode(0, Single(x * s), Single(y * s), 0);
      auto tris = CheckShape(solid, rec);
      // Caps: triangles only, covering the outline's area on each face.
      double start = 0, stop = 0;
      for (const auto& t : tris) {
        if (t.P[0][2] == 0 && t.P[1][2] == 0 && t.P[2][2] == 0)
          start += t.Area();
        else if (std::fabs(t.P[0][2] - 0.02f) < 1e-7 && std::fabs(t.P[1][2] - 0.02f) < 1e-7
                 && std::fabs(t.P[2][2] - 0.02f) < 1e-7)
          stop += t.Area();
      }
      const double area = PolygonArea(pts) * s * s;
      EXPECT_NEAR(start, area, 1e-7);
      EXPECT_NEAR(stop, area, 1e-7);
      // Walls: one quad per outline edge.
      int quads = 0;
      for (const auto& p : rec.Primitives())
        if (p.Mode == GL_QUADS)
          quads += p.VertexCount / 4;
        else
          EXPECT_EQ(p.Mode, GL_TRIANGLES);
      EXPECT_EQ(quads, int(pts.size()));
    }
  }
}

TEST(ShapesExtrusion, HolesSmoothingAndNegativeHeight)
{
  TGLRecorder rec;
  TExtrusionSolid ring;
  ring.SetHeight(0.5f);
  ring.SetParts(espOutside | espInside | espStartPolygon | espStopPolygon);
  // A square with a square hole: caps have the hole's area taken out.
  for (auto [x, y] : {std::pair{0.f, 0.f}, {4.f, 0.f}, {4.f, 4.f}, {0.f, 4.f}})
    ring.AddNode(0, x, y, 0);
  for (auto [x, y] : {std::pair{1.f, 1.f}, {3.f, 1.f}, {3.f, 3.f}, {1.f, 3.f}})
    ring.AddNode(1, x, y, 0);
  auto tris = RecordedTriangles((RecordBuild(ring, rec), rec.Calls()));
  EXPECT_EQ(rec.Problems(), "");
  double top = 0;
  for (const auto& t : tris)
    if (t.P[0][2] == 0.5f && t.P[1][2] == 0.5f && t.P[2][2] == 0.5f)
      top += t.Area();
  EXPECT_NEAR(top, 12, 1e-4);
  // The hole's walls face into the hole (outside part only).
  ring.SetParts(espOutside | espStartPolygon | espStopPolygon);
  CheckShape(ring, rec);
  // The leg with smooth normals and a minimum angle of 0 (faceted), then a big angle.
  TExtrusionSolid leg;
  leg.SetHeight(0.4f);
  leg.SetNormals(nsSmooth);
  leg.SetMinSmoothAngle(0);
  leg.AddNode(0, -0.5f, -1, 0);
  leg.AddNode(0, -0.5f, 0, 0);
  for (int m = 0; m <= 5; ++m)
    leg.AddNode(0, 0.25f + 0.25f * std::sin(DegToRad(18.f * m)), 0.25f - 0.25f * std::cos(DegToRad(18.f * m)), 0);
  leg.AddNode(0, 0.5f, 0.5f, 0);
  leg.AddNode(0, -0.9f, 0.5f, 0);
  leg.AddNode(0, -1, 0.4f, 0);
  leg.AddNode(0, -1, -1, 0);
  CheckShape(leg, rec);
  leg.SetMinSmoothAngle(30);
  CheckShape(leg, rec);
  // Extruded downwards.
  leg.SetHeight(-0.4f);
  CheckShape(leg, rec);
  // Contour indices out of bounds are refused; an empty solid draws nothing.
  EXPECT_THROW(leg.AddNode(-1, 0, 0, 0), EGLSceneError);
  EXPECT_THROW(leg.AddNode(1 << 20, 0, 0, 0), EGLSceneError);
  TExtrusionSolid empty;
  RecordBuild(empty, rec);
  EXPECT_EQ(rec.Calls().size(), 0u);
}

TEST(ShapesRevolution, NailAndTorso)
{
  TGLRecorder rec;
  TRevolutionSolid nail;
  for (auto [x, y] :
       {std::pair{0.f, 0.262f}, {0.025f, 0.262f}, {0.025f, 0.25f}, {0.01f, 0.25f}, {0.01f, 0.01f}, {0.f, 0.f}})
    nail.AddNode(x, y, 0);
  CheckShape(nail, rec);
  EXPECT_EQ(rec.VertexCount(), 5 * 2 * 17);

  TRevolutionSolid torso;
  torso.SetParts(rspOutside | rspStartPolygon | rspStopPolygon);
  torso.SetSplineMode(lsmCubicSpline);
  torso.SetSlices(4);
  for (auto [x, y] : {std::pair{0.f, 1.5f}, {0.25f, 1.5f}, {0.5f, 1.25f}, {0.6f, 0.f}, {0.f, 0.f}})
    torso.AddNode(x, y, 0);
  CheckShape(torso, rec);
  // An outline given the other way round, off the axis at both ends, with its end discs.
  TRevolutionSolid cup;
  cup.SetParts(rspOutside | rspInside | rspStartPolygon | rspStopPolygon);
  cup.AddNode(0.5f, 0, 0);
  cup.AddNode(0.5f, 1, 0);
  CheckShape(cup, rec);
  cup.SetParts(rspOutside | rspStartPolygon | rspStopPolygon);
  auto tris = CheckShape(cup, rec);
  EXPECT_NEAR(TotalArea(tris), 16 * std::sin(M_PI / 16) + 2 * 16 * 0.125 * std::sin(M_PI / 8), 1e-4);
}

// A class that reads the strip's fields its own way, as a tweezers blade does.
class TBlade : public TBezierStrip {
public:
  explicit TBlade(TGLBaseSceneObject* AOwner = nullptr) : TBezierStrip(AOwner)
  {
    SetThickness(0.01f);
    SetControlPoint(3, 1.0f, 0.1f, false);
  }
  int Builds = 0;
  void BuildList(TRenderContextInfo&) override
  {
    ++Builds;
    glBegin(GL_TRIANGLES);
    glNormal3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(GetControlPoint(3)[0], 0, 0);
    glVertex3f(0, GetControlPoint(3)[1] + FThickness, 0);
    glEnd();
  }
};

TEST(ShapesBezier, StripFacesWallsAndSideColour)
{
  TGLRecorder rec;
  // The caliper brake's pieces: a rounded head, a curved limb, a head with a lone edge.
  const TVector2f head[8] = {{-0.35f, 0.05f}, {-0.4f, 0.05f}, {-0.4f, -0.05f}, {-0.35f, -0.05f},
                             {0, 0.05f},      {0, 0.05f},     {0, -0.05f},     {0, -0.05f}};
  const TVector2f limb[8] = {{0, -0.05f}, {0.13f, -0.05f}, {0.25f, -0.12f}, {0.25f, -0.28f},
                             {0, 0.05f},  {0.29f, 0.05f},  {0.29f, -0.12f}, {0.29f, -0.28f}};
  const TVector2f headB[8] = {{0, 0.05f},      {0, 0.05f},  {0, -0.05f},      {0, -0.05f},
                              {0.035f, 0.05f}, {0.076f, 0}, {0.044f, -0.05f}, {0, -0.05f}};
  for (const auto* pts : {head, limb, headB}) {
    TBezierStrip strip;
    strip.SetThickness(0.04f);
    strip.SetUseSideColour(true);
    strip.SetSideColour({1, 0, 0, 1});
    for (int i = 0; i < 8; ++i)
      strip.SetControlPoint(i, pts[i][0], pts[i][1], false);
    CheckShape(strip, rec);
    EXPECT_TRUE(rec.AttribBalanced());
    EXPECT_EQ(rec.Count("glColorMaterial"), 1);
    strip.SetSides(bssFirstEdge | BezierStripSide(2) | BezierStripSide(3));
    CheckShape(strip, rec);
    strip.SetSides(0);
    strip.SetUseSideColour(false);
    CheckShape(strip, rec);
    // Two faces of 21 pairs each.
    EXPECT_EQ(rec.VertexCount(), 2 * 2 * 21);
  }
  // SetControlPoint rebuilds only when asked to.
  TBezierStrip strip;
  EXPECT_EQ(CompilesAfterRender(strip, rec), 1);
  strip.SetControlPoint(1, 0, 0.2f, false);
  EXPECT_FALSE(strip.GetStructureChangedFlag());
  strip.SetControlPoint(1, 0, 0.3f, true);
  EXPECT_TRUE(strip.GetStructureChangedFlag());
  strip.SetControlPoint(9, 5, 5, true);   // ignored
  EXPECT_EQ(strip.GetControlPoint(7)[0], 1);
  // A derived class's BuildList replaces the strip's.
  TBlade blade;
  EXPECT_EQ(CompilesAfterRender(blade, rec), 2);
  EXPECT_EQ(blade.Builds, 1);
  EXPECT_EQ(rec.Primitives().back().VertexCount, 3);
}

TEST(ShapesBezier, SurfaceHeapsUpAndFacesUp)
{
  TGLRecorder rec;
  TBezierSurface load;
  auto tris = CheckShape(load, rec);
  EXPECT_EQ(rec.VertexCount(), 16 * 2 * 17);
  EXPECT_NEAR(TotalArea(tris), 1.0, 1e-5);
  load.SetWidth(0.932f);
  load.SetDepth(0.71f);
  load.SetControlPoint(1, 1, {-0.5f, 1.0f, 0});
  tris = CheckShape(load, rec);
  // Flat edges on the rim, a heap of a quarter of the control height in the middle.
  EXPECT_NEAR(load.SurfacePoint(0.5f, 0.5f)[1], 0.25f, 1e-6f);
  EXPECT_NEAR(load.SurfacePoint(0, 0.3f)[1], 0, 1e-6f);
  EXPECT_NEAR(load.SurfacePoint(0, 0)[0], -0.466f, 1e-6f);
  for (const auto& t : tris)
    for (const auto& n : t.N)
      EXPECT_GT(n[1], 0);
  load.SetControlPoint(3, 0, {0, 9, 0});     // ignored
  load.SetControlPoint(0, 0, {NAN, 0, 0});   // refused
  EXPECT_EQ(load.GetControlPoint(0, 0)[0], -0.5f);
}

}   // namespace
