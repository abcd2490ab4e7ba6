// What the help promises about the step bar of every model, checked against the models
// themselves. Each model is built with its starting controls and drawn into the recording GL
// table at both ends of the bar; what it draws there tells whether one length of the bar
// brings every part back, carries one part on while the rest come back, or leaves the model
// somewhere else, to jump back to the start when the running animation wraps. The help page
// names the models of the last two kinds in two lists, and must name exactly those.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "engine/GLContext.h"
#include "engine/GLObjects.h"
#include "engine/GLRecorder.h"
#include "engine/GLStandardScene.h"
#include "platform/ChmFile.h"
#include "shell/TopicDispatch.h"
#include "tests/shell/HelpTestSupport.h"
#include "tests/topics/TurnAngle.h"
#include "topics/TopicRegistry.h"
#include "topics/TopicTable.h"

using namespace helptest;

namespace {

// What one length of the step bar does to a model.
enum class TBarEnd {
  Cycle,       // every part is back where it started
  RunsOn,      // a part ends elsewhere, and the running animation carries it on from there
  JumpsBack,   // the model ends elsewhere and jumps back to its start when the animation wraps
};

const char* BarEndName(TBarEnd e)
{
  return e == TBarEnd::Cycle ? "comes back" : e == TBarEnd::RunsOn ? "runs on" : "jumps back";
}

// A model: a topic, or one example of a lever topic.
using TModelKey = std::pair<Integer, Integer>;

std::string ModelName(TModelKey m) { return std::to_string(m.first) + "." + std::to_string(m.second); }

// Every vertex the model draws, in the scene's space: the place and the shape of each part
// the user sees.
std::vector<TAffineVector> Drawn(TGLRecorder& rec, TDummyCube& base, TRenderContextInfo& rci)
{
  rec.ClearExecuted();
  base.Render(rci);
  return rec.ExecutedVertices();
}

// Whether two drawings show the same: every vertex of each lies on a vertex of the other.
// The order does not count, so a chain whose links have each moved on to the place of
// another, all alike, looks as it did, as it does to the user.
bool SameDrawing(const std::vector<TAffineVector>& a, const std::vector<TAffineVector>& b)
{
  if (a.size() != b.size())
    return false;
  constexpr double Tolerance = 1e-3;
  auto cell = [](const TAffineVector& v, int k) { return std::int64_t(std::floor(double(v[k]) / Tolerance)); };
  std::map<std::array<std::int64_t, 3>, std::vector<const TAffineVector*>> grid;
  for (const TAffineVector& v : b)
    grid[{cell(v, 0), cell(v, 1), cell(v, 2)}].push_back(&v);
  auto onB = [&](const TAffineVector& v) {
    for (std::int64_t dx = -1; dx <= 1; ++dx)
      for (std::int64_t dy = -1; dy <= 1; ++dy)
        for (std::int64_t dz = -1; dz <= 1; ++dz) {
          auto it = grid.find({cell(v, 0) + dx, cell(v, 1) + dy, cell(v, 2) + dz});
          if (it == grid.end())
            continue;
          for (const TAffineVector* w : it->second)
            if (std::fabs(double(v[0]) - double((*w)[0])) <= Tolerance
                && std::fabs(double(v[1]) - double((*w)[1])) <= Tolerance
                && std::fabs(double(v[2]) - double((*w)[2])) <= Tolerance)
              return true;
        }
    return false;
  };
  return std::all_of(a.begin(), a.end(), onB);
}

// The model posed at the start and at the end of the bar, and, when the two differ, posed at
// the start again after the clock's wrap has been told of one period, as the running
// program does when the phase passes the bar's end.
// A topic's model built with its starting controls and its markers shown (the arrows turn with
// their wheels: they are parts the user watches too), drawn into the recording GL table.
struct TBuiltModel {
  explicit TBuiltModel(const TTopicEntry& entry) : e(entry)
  {
    rci.Context = std::make_shared<TGLContextNames>();
    FillStandardMaterials(lib);
    c.Markers = true;
    e.Build(&base, &lib, c);
    end = e.RepeatAngle ? e.RepeatAngle(c) : 360;
  }
  // What the model draws posed at the phase.
  std::vector<TAffineVector> At(Single phase)
  {
    e.Animate(&base, c, phase);
    return Drawn(rec, base, rci);
  }
  const TTopicEntry& e;
  TGLRecorder rec;
  TRenderContextInfo rci;
  TDummyCube base;
  TGLMaterialLibrary lib;
  TTopicControls c = e.DefaultControls ? e.DefaultControls() : TTopicControls{};
  Integer end = 360;   // the bar's end
};

TBarEnd BarEndOf(const TTopicEntry& e)
{
  TBuiltModel m(e);
  const std::vector<TAffineVector> start = m.At(0);
  const std::vector<TAffineVector> atEnd = m.At(Single(m.end));
  if (SameDrawing(start, atEnd))
    return TBarEnd::Cycle;
  if (e.Wrap)
    e.Wrap(&m.base, m.c, m.end);
  return SameDrawing(atEnd, m.At(0)) ? TBarEnd::RunsOn : TBarEnd::JumpsBack;
}

// Whether the second half of the bar draws what the first half drew, at every place sampled:
// a bar that holds two cycles of the model. (A linkage that swings to and fro stands at the
// same place at the start and the middle, moving the other way, so one place is not enough.)
bool HalfBarRepeats(const TTopicEntry& e)
{
  TBuiltModel m(e);
  for (double at : {0.0, 0.13, 0.29, 0.41}) {
    const std::vector<TAffineVector> first = m.At(Single(at * m.end));
    if (!SameDrawing(first, m.At(Single((at + 0.5) * m.end))))
      return false;
  }
  return true;
}

void CollectParts(TGLBaseSceneObject* o, std::vector<TGLBaseSceneObject*>& out)
{
  for (Integer i = 0; i < o->GetCount(); ++i) {
    out.push_back(o->GetChild(i));
    CollectParts(o->GetChild(i), out);
  }
}

// Whether one mark of the step bar is one degree of a driving shaft's turn: some part turns by
// one degree for every mark, all along the bar.
bool MarksAreDegrees(const TTopicEntry& e)
{
  TDummyCube base;
  TGLMaterialLibrary lib;
  FillStandardMaterials(lib);
  const TTopicControls c = e.DefaultControls ? e.DefaultControls() : TTopicControls{};
  e.Build(&base, &lib, c);
  std::vector<TGLBaseSceneObject*> parts;
  CollectParts(&base, parts);
  std::vector<bool> degree(parts.size(), true);
  const Integer end = e.RepeatAngle ? e.RepeatAngle(c) : 360;
  for (Integer k = 0; k < 8; ++k) {
    const Single at = Single(end * k / 8);
    e.Animate(&base, c, at);
    std::vector<TMatrix> before;
    for (TGLBaseSceneObject* p : parts)
      before.push_back(p->AbsoluteMatrix());
    e.Animate(&base, c, at + 1);
    for (size_t i = 0; i < parts.size(); ++i)
      degree[i] = degree[i] && std::fabs(TurnedBy(before[i], parts[i]->AbsoluteMatrix()) - 1) < 1e-2;
  }
  return std::find(degree.begin(), degree.end(), true) != degree.end();
}

// The models a name in the help stands for: a topic's title in the index, or a lever
// example's button caption.
std::set<TModelKey> ModelsNamed(const std::string& name)
{
  std::set<TModelKey> out;
  for (const TTopicRow& row : TopicRows())
    for (size_t k = 0; k < row.Examples.size(); ++k)
      if (!row.Examples[k].Caption.empty() && row.Examples[k].Caption == name)
        out.insert({row.Id, Integer(k)});
  for (const TIndexHeading& h : TopicIndexContents())
    for (const TIndexLink& item : h.Items)
      if (name == item.Title) {
        const Integer id = PageToTopic(item.URL, NoTopic);
        if (const TTopicRow* row = FindTopicRow(id))
          for (size_t k = 0; k < row->Examples.size(); ++k)
            out.insert({id, Integer(k)});
      }
  return out;
}

// The names in bold in the list of the given class on the page, and the models they stand for.
std::set<TModelKey> ListedModels(const std::string& page, const std::string& listClass)
{
  std::smatch list;
  const std::regex listRe("<ul class=\"" + listClass + "\">([\\s\\S]*?)</ul>");
  if (!std::regex_search(page, list, listRe)) {
    ADD_FAILURE() << "the page has no list of class " << listClass;
    return {};
  }
  std::set<TModelKey> out;
  const std::string items = list[1].str();
  const std::regex boldRe("<b>([^<]*)</b>");
  for (auto it = std::sregex_iterator(items.begin(), items.end(), boldRe); it != std::sregex_iterator(); ++it) {
    // As the page shows it: a line break inside a name is a blank.
    const std::string name = std::regex_replace((*it)[1].str(), std::regex("\\s+"), " ");
    const std::set<TModelKey> models = ModelsNamed(name);
    EXPECT_FALSE(models.empty()) << "\"" << name << "\" is no topic's name in the index nor a lever example's";
    out.insert(models.begin(), models.end());
  }
  return out;
}

}   // namespace

// "Running the animation" tells which models come back at the end of the step bar and which
// do not; the models themselves decide.
TEST(StepBarHelp, TheHelpNamesExactlyTheModelsThatDoNotComeBack)
{
  std::map<TModelKey, TBarEnd> ends;
  for (const TTopicEntry& e : TopicEntries()) {
    SCOPED_TRACE("model " + ModelName({e.Id, e.Example}));
    ends[{e.Id, e.Example}] = BarEndOf(e);
  }
  // Every model the index offers is one of them.
  for (const TTopicRow& row : TopicRows())
    for (size_t k = 0; k < row.Examples.size(); ++k)
      EXPECT_TRUE(ends.count({row.Id, Integer(k)})) << ModelName({row.Id, Integer(k)});

  TChmFile chm(BuiltHelpFile());
  const std::string page = chm.Read("/Using/Animation.htm");
  ASSERT_FALSE(page.empty());
  const std::set<TModelKey> runsOn = ListedModels(page, "runs-on");
  const std::set<TModelKey> jumpsBack = ListedModels(page, "jumps-back");
  for (const auto& [model, end] : ends) {
    const TBarEnd told = runsOn.count(model)      ? TBarEnd::RunsOn
                         : jumpsBack.count(model) ? TBarEnd::JumpsBack
                                                  : TBarEnd::Cycle;
    EXPECT_TRUE(told == end) << "model " << ModelName(model) << ": the help says it " << BarEndName(told)
                             << " at the end of the bar; the model " << BarEndName(end);
  }
}

// The models whose bar comes back to its start half way are the ones the help says hold two
// cycles; on every other model that comes back the bar is one cycle.
TEST(StepBarHelp, TheHelpNamesTheModelsWhoseBarHoldsTwoCycles)
{
  TChmFile chm(BuiltHelpFile());
  const std::set<TModelKey> listed = ListedModels(chm.Read("/Using/Animation.htm"), "two-cycles");
  EXPECT_FALSE(listed.empty());
  for (const TTopicEntry& e : TopicEntries()) {
    const TModelKey model{e.Id, e.Example};
    EXPECT_EQ(listed.count(model) != 0, HalfBarRepeats(e))
        << "model " << ModelName(model) << ": the help says its bar holds " << (listed.count(model) ? "two" : "one")
        << " cycle(s)";
  }
}

// The speed is in marks of the step bar; "Running the animation" says on which models a mark is
// not a degree of a driving shaft's turn, and the models decide.
TEST(StepBarHelp, TheHelpNamesTheModelsWhoseMarksAreNotDegrees)
{
  TChmFile chm(BuiltHelpFile());
  const std::set<TModelKey> listed = ListedModels(chm.Read("/Using/Animation.htm"), "not-degrees");
  for (const TTopicEntry& e : TopicEntries()) {
    const TModelKey model{e.Id, e.Example};
    EXPECT_EQ(!listed.count(model), MarksAreDegrees(e))
        << "model " << ModelName(model) << ": the help says a mark is " << (listed.count(model) ? "not " : "")
        << "a degree of its driving shaft's turn";
  }
}
