#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/GLContext.h"
#include "engine/GLObjects.h"
#include "engine/GLRecorder.h"
#include "engine/GLStandardScene.h"
#include "topics/GearCogs.h"
#include "topics/TopicFrame.h"
#include "topics/TopicTable.h"

namespace {

// Every object below the base in tree order with its path, for comparing poses.
void Collect(TGLBaseSceneObject* o, const std::string& path,
             std::vector<std::pair<std::string, TGLBaseSceneObject*>>& out)
{
  for (Integer i = 0; i < o->GetCount(); ++i) {
    std::string p = path + "/" + std::to_string(i);
    out.push_back({p, o->GetChild(i)});
    Collect(o->GetChild(i), p, out);
  }
}

struct TPose {
  std::vector<std::string> Items;
  bool operator==(const TPose&) const = default;
};

TPose Pose(TDummyCube& base)
{
  std::vector<std::pair<std::string, TGLBaseSceneObject*>> all;
  Collect(&base, "", all);
  TPose r;
  for (auto& [path, o] : all) {
    TMatrix m = o->LocalMatrix();
    std::string s = path + (o->GetVisible() ? " v" : " h");
    // Turning by angle differences leaves rounding of a few units in the last place, so poses
    // compare to four decimals.
    auto num = [](Single f) {
      char buf[32];
      std::snprintf(buf, sizeof buf, " %.4f", std::round(double(f) * 1e4) / 1e4 + 0.0);
      return std::string(buf);
    };
    for (const TVector& row : m)
      for (Single f : row)
        s += num(f);
    s += num(o->GetRollAngle()) + num(o->GetPitchAngle()) + num(o->GetTurnAngle());
    r.Items.push_back(s);
  }
  return r;
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

}   // namespace

TEST(TopicFrame, ChildCountsDoNotDependOnMarkers)
{
  const std::pair<Integer, Integer> expected[] = {{1, 4}, {2, 6}, {3, 6}, {38, 2}};
  for (auto [id, count] : expected) {
    const TTopicEntry* e = FindTopic(id);
    ASSERT_NE(e, nullptr) << id;
    TBuilt on, off;
    Build(on, *e, true);
    Build(off, *e, false);
    EXPECT_EQ(on.Base.GetCount(), count) << id;
    std::vector<std::pair<std::string, TGLBaseSceneObject*>> a, b;
    Collect(&on.Base, "", a);
    Collect(&off.Base, "", b);
    EXPECT_EQ(a.size(), b.size()) << id;
  }
  EXPECT_EQ(FindTopic(0), nullptr);    // no model
  EXPECT_EQ(FindTopic(40), nullptr);   // the cam graph is drawn in 2D
}

TEST(TopicFrame, ShowMarkersFlipsExactlyTheMarkers)
{
  const std::pair<Integer, std::set<std::string>> expected[] = {{1, {"/2", "/3"}},
                                                                {2, {"/1", "/3", "/5"}},
                                                                {3, {"/1", "/3", "/5"}},
                                                                {38, {"/0/5", "/1/5"}}};
  for (const auto& [id, markers] : expected) {
    const TTopicEntry* e = FindTopic(id);
    TBuilt b;
    Build(b, *e, false);
    EXPECT_EQ(Hidden(b.Base), markers) << id;
    TPose hidden = Pose(b.Base);
    e->ShowMarkers(&b.Base, true);
    EXPECT_TRUE(Hidden(b.Base).empty()) << id;
    e->ShowMarkers(&b.Base, false);
    EXPECT_EQ(Pose(b.Base), hidden) << id;
    // Every marker is an arrow, or a group holding only arrows.
    for (const std::string& path : markers) {
      TGLBaseSceneObject* o = &b.Base;
      for (size_t at = 1; at < path.size();) {
        size_t next = path.find('/', at);
        o = o->GetChild(std::stoi(path.substr(at, next - at)));
        at = next == std::string::npos ? path.size() : next + 1;
      }
      bool arrow = dynamic_cast<TLines*>(o) || (o->GetCount() == 1 && dynamic_cast<TLines*>(o->GetChild(0)));
      EXPECT_TRUE(arrow) << id << " " << path;
    }
  }
}

TEST(TopicFrame, AnimateAndMarkersLeaveOtherScenesAlone)
{
  const std::vector<TTopicEntry>& all = TopicEntries();
  TDummyCube empty;
  for (const TTopicEntry& e : all) {
    e.Animate(&empty, e.DefaultControls(), 123);
    e.Animate(nullptr, e.DefaultControls(), 123);
    if (e.ShowMarkers) {
      e.ShowMarkers(&empty, true);
      e.ShowMarkers(nullptr, true);
    }
  }
  EXPECT_EQ(empty.GetCount(), 0);
  for (const TTopicEntry& scene : all)
    for (const TTopicEntry& other : all) {
      if (scene.Id == other.Id)
        continue;
      TBuilt b;
      Build(b, scene, false);
      TPose before = Pose(b.Base);
      other.Animate(&b.Base, other.DefaultControls(), 77.5f);
      EXPECT_EQ(Pose(b.Base), before) << other.Id << " animated " << scene.Id << "'s scene";
      // Topics 2 and 3 share their show-markers procedure, so it may act on either.
      bool shared = (scene.Id == 2 || scene.Id == 3) && (other.Id == 2 || other.Id == 3);
      if (other.ShowMarkers && !shared) {
        other.ShowMarkers(&b.Base, true);
        EXPECT_EQ(Pose(b.Base), before) << other.Id << " showed markers on " << scene.Id << "'s scene";
      }
    }
}

TEST(TopicFrame, SamePhaseGivesTheSamePose)
{
  for (const TTopicEntry& e : TopicEntries()) {
    TBuilt b;
    Build(b, e, true);
    e.Animate(&b.Base, e.DefaultControls(), 200);
    TPose at200 = Pose(b.Base);
    e.Animate(&b.Base, e.DefaultControls(), 31);
    EXPECT_NE(Pose(b.Base), at200) << e.Id;
    e.Animate(&b.Base, e.DefaultControls(), 200);
    EXPECT_EQ(Pose(b.Base), at200) << e.Id;
  }
}

TEST(TopicFrame, OnlyPartsThatChangeShapeRebuildWhileAnimating)
{
  // A frame recompiles only the lists of parts whose shape follows the phase: belts, ropes,
  // springs, paper, the muscle and the tweezers' arms. Everything else only moves.
  const std::map<std::pair<Integer, Integer>, int> reshaped = {{{5, 0}, 1},  {{6, 0}, 1},  {{7, 0}, 1},  {{9, 0}, 1},
                                                               {{12, 0}, 1}, {{21, 0}, 2}, {{23, 0}, 1}, {{24, 0}, 1},
                                                               {{28, 0}, 1}, {{28, 1}, 2}};
  for (const TTopicEntry& e : TopicEntries()) {
    SCOPED_TRACE(std::to_string(e.Id) + "." + std::to_string(e.Example));
    TGLRecorder rec;
    TBuilt b;
    Build(b, e, true);
    TRenderContextInfo rci;
    rci.Context = std::make_shared<TGLContextNames>();
    e.Animate(&b.Base, e.DefaultControls(), 0);
    b.Base.Render(rci);
    const int first = rec.Count("glNewList");
    e.Animate(&b.Base, e.DefaultControls(), 31);
    b.Base.Render(rci);
    auto it = reshaped.find({e.Id, e.Example});
    EXPECT_EQ(rec.Count("glNewList") - first, it == reshaped.end() ? 0 : it->second);
    // The chains' links and pins share their lists: a few dozen at most, not hundreds.
    EXPECT_LE(first, 30);
  }
}

TEST(TopicFrame, HelpersRefuseWhatIsNotThere)
{
  TDummyCube base;
  EXPECT_EQ(ChildOf<TDummyCube>(&base, 0), nullptr);
  EXPECT_EQ(ChildOf<TDummyCube>(nullptr, 0), nullptr);
  base.AddNewChild<TLines>();
  EXPECT_EQ(ChildOf<TDummyCube>(&base, 0), nullptr);
  EXPECT_NE(ChildOf<TLines>(&base, 0), nullptr);
  EXPECT_EQ(ChildOf<TLines>(&base, -1), nullptr);
  EXPECT_EQ(GroupOf(&base, 0, 0), nullptr);
  SetChildRoll(&base, 5, 10);
  SetChildVisible(&base, 5, false);
  TGLMaterialLibrary lib;
  auto cube = std::make_unique<TCube>(nullptr);
  SetLibMaterial(cube.get(), &lib, 3);   // an empty library leaves the material as it is
  SetLibMaterial(cube.get(), nullptr, 0);
}
