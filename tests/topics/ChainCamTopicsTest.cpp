// The chain and cam topics as the shell and the gallery reach them: through the table.
#include <gtest/gtest.h>


#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/GLObjects.h"
#include "engine/GLStandardScene.h"
#include "engine/GLViewer.h"
#include "topics/GearCogs.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"

namespace {

const Integer Ours[] = {8, 11, 13, 14, 15, 16, 34};

void Collect(TGLBaseSceneObject* o, const std::string& path,
             std::vector<std::pair<std::string, TGLBaseSceneObject*>>& out)
{
  for (Integer i = 0; i < o->GetCount(); ++i) {
    std::string p = path + "/" + std::to_string(i);
    out.push_back({p, o->GetChild(i)});
    Collect(o->GetChild(i), p, out);
  }
}

// Every object's place and visibility; equal poses compare equal within rounding.
struct TPose {
  std::vector<std::string> Paths;
  std::vector<TMatrix> Matrices;
  std::vector<bool> Visible;
};

TPose Pose(TDummyCube& base)
{
  std::vector<std::pair<std::string, TGLBaseSceneObject*>> all;
  Collect(&base, "", all);
  TPose r;
  for (auto& [path, o] : all) {
    r.Paths.push_back(path);
    r.Matrices.push_back(o->AbsoluteMatrix());
    r.Visible.push_back(o->GetVisible());
  }
  return r;
}

double Difference(const TPose& a, const TPose& b)
{
  if (a.Paths != b.Paths || a.Visible != b.Visible)
    return 1e9;
  double worst = 0;
  for (size_t i = 0; i < a.Matrices.size(); ++i)
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c)
        worst = std::max(worst, double(std::fabs(a.Matrices[i][r][c] - b.Matrices[i][r][c])));
  return worst;
}

std::set<std::string> Hidden(TDummyCube& base)
{
  std::vector<std::pair<std::string, TGLBaseSceneObject*>> all;
  Collect(&base, "", all);
  std::set<std::string> r;
  for (auto& [path, o] : all)
    if (!o->GetVisible())
      r.insert(path);
  return r;
}

struct TBuilt {
  TDummyCube Base;
  TGLMaterialLibrary Lib;
};

void Build(TBuilt& b, const TTopicEntry& e, bool markers)
{
  FillStandardMaterials(b.Lib);
  TTopicControls c = e.DefaultControls();
  c.Markers = markers;
  e.Build(&b.Base, &b.Lib, c);
}

bool IsOurs(Integer id)
{
  for (Integer o : Ours)
    if (o == id)
      return true;
  return false;
}

}   // namespace

TEST(ChainCamTopics, RowsAndMarkers)
{
  const std::pair<Integer, std::set<std::string>> expected[] = {{8, {"/3", "/4"}}, {11, {}},     {13, {"/2"}},
                                                                {14, {"/2"}},      {15, {"/2"}}, {16, {"/0/2"}},
                                                                {34, {"/5"}}};
  const Integer counts[] = {5, 3, 3, 3, 3, 2, 8};
  for (size_t k = 0; k < std::size(expected); ++k) {
    const auto& [id, markers] = expected[k];
    SCOPED_TRACE(id);
    const TTopicEntry* e = FindTopic(id);
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(e->Build && e->Animate && e->RepeatAngle && e->DefaultControls);
    EXPECT_EQ(bool(e->ShowMarkers), id != 11);
    TBuilt on, off;
    Build(on, *e, true);
    Build(off, *e, false);
    EXPECT_EQ(on.Base.GetCount(), counts[k]);
    EXPECT_EQ(Pose(on.Base).Paths, Pose(off.Base).Paths);
    EXPECT_EQ(Hidden(off.Base), markers);
    EXPECT_TRUE(Hidden(on.Base).empty());
    if (e->ShowMarkers) {
      e->ShowMarkers(&off.Base, true);
      EXPECT_TRUE(Hidden(off.Base).empty());
      e->ShowMarkers(&off.Base, false);
      EXPECT_EQ(Hidden(off.Base), markers);
    }
  }
  TTopicControls start;
  EXPECT_EQ(FindTopic(8)->RepeatAngle(start), 360);
  EXPECT_EQ(FindTopic(11)->RepeatAngle(start), 180);
  EXPECT_EQ(FindTopic(34)->RepeatAngle(start), 360);
  for (Integer id : {13, 14, 15, 16})
    EXPECT_EQ(FindTopic(id)->RepeatAngle(start), 360);
}

TEST(ChainCamTopics, EveryPartBackAfterOneRepeat)
{
  // The cams come back exactly; topics 8 and 34 come back tooth for tooth and link for link
  // (their own tests). The linear cam jumps back at its wrap by design, so it is left out.
  for (Integer id : {13, 14, 15, 16}) {
    SCOPED_TRACE(id);
    const TTopicEntry* e = FindTopic(id);
    for (Integer follower : {0, 1, 2, 3}) {
      TBuilt b;
      TTopicControls c = e->DefaultControls();
      c.CamFollower = follower;
      c.Markers = true;
      FillStandardMaterials(b.Lib);
      e->Build(&b.Base, &b.Lib, c);
      for (Single start : {0.0f, 35.0f, 170.0f}) {
        e->Animate(&b.Base, c, start);
        TPose first = Pose(b.Base);
        e->Animate(&b.Base, c, start + Single(e->RepeatAngle(c)));
        EXPECT_LT(Difference(first, Pose(b.Base)), 2e-5) << follower << " " << start;
      }
    }
  }
}

TEST(ChainCamTopics, SamePhaseGivesTheSamePose)
{
  for (Integer id : Ours) {
    SCOPED_TRACE(id);
    const TTopicEntry* e = FindTopic(id);
    TBuilt b;
    Build(b, *e, true);
    e->Animate(&b.Base, e->DefaultControls(), 100);
    TPose at100 = Pose(b.Base);
    e->Animate(&b.Base, e->DefaultControls(), 31);
    EXPECT_GT(Difference(Pose(b.Base), at100), 1e-3);
    for (Single p = 0; p < 200; p += 23)
      e->Animate(&b.Base, e->DefaultControls(), p);
    e->Animate(&b.Base, e->DefaultControls(), 100);
    EXPECT_EQ(Difference(Pose(b.Base), at100), 0);
  }
}

TEST(ChainCamTopics, ProceduresLeaveOtherScenesAlone)
{
  const std::vector<TTopicEntry>& all = TopicEntries();
  TDummyCube empty;
  for (const TTopicEntry& e : all)
    if (IsOurs(e.Id)) {
      e.Animate(&empty, e.DefaultControls(), 123);
      e.Animate(nullptr, e.DefaultControls(), 123);
      if (e.ShowMarkers) {
        e.ShowMarkers(&empty, true);
        e.ShowMarkers(nullptr, true);
      }
    }
  EXPECT_EQ(empty.GetCount(), 0);
  // Ours on every other scene, and every other topic's procedures on ours.
  for (const TTopicEntry& scene : all)
    for (const TTopicEntry& other : all) {
      if (scene.Id == other.Id || (!IsOurs(scene.Id) && !IsOurs(other.Id)))
        continue;
      TBuilt b;
      Build(b, scene, false);
      TPose before = Pose(b.Base);
      other.Animate(&b.Base, other.DefaultControls(), 77.5f);
      EXPECT_LT(Difference(Pose(b.Base), before), 1e-9) << other.Id << " animated " << scene.Id << "'s scene";
      if (other.ShowMarkers) {
        other.ShowMarkers(&b.Base, true);
        EXPECT_LT(Difference(Pose(b.Base), before), 1e-9) << other.Id << " showed markers on " << scene.Id;
      }
    }
}
