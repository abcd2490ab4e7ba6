// The per-topic controls, the lever toolbar, the cam panel, the 3D view's mouse and the View
// menu, driven through their own input paths on a shown main window: clicks on up-down
// halves, speed buttons and check boxes, scrolls of the bars, picks in the combos, toolbar
// presses, drags and wheel notches on the 3D view.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>
#include <typeinfo>

#include "MainWindowSupport.h"
#include "PictureOutput.h"
#include "engine/GLRecorder.h"
#include "engine/GLRenderContextInfo.h"
#include "engine/GLVectorFileObjects.h"
#include "parts/BasicParts.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "shell/MainWindow.h"
#include "shell/ModelPicture.h"
#include "tests/platform/ModalSupport.h"
#include "tests/toolbar/TestBar.h"
#include "tests/topics/RenderStats.h"
#include "toolbar/ListItems.h"
#include "toolbar/ThemedEditItems.h"
#include "topics/Chains.h"
#include "topics/GearCogs.h"
#include "topics/Hoists.h"
#include "topics/Markers.h"
#include "topics/Pulleys.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"

using namespace tbtest;

namespace {

bool PumpUntil(const std::function<bool()>& cond, Cardinal timeoutMs = 3000)
{
  Cardinal start = GetTickCount();
  while (!cond()) {
    if (GetTickCount() - start > timeoutMs)
      return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

using mainwindow::Pump;

// ---------------------------------------------------------------------------------------
// What a model is: every object's class, visibility, placement, tooth count and the
// geometry it issues, children in order. Two models that print alike draw alike.
struct TModelPrint {
  Integer Children = 0;
  std::string Shape;             // classes, visibility, calls, nesting
  std::vector<double> Numbers;   // matrices and call arguments, in order
  bool operator==(const TModelPrint& o) const
  {
    if (Children != o.Children || Shape != o.Shape || Numbers.size() != o.Numbers.size())
      return false;
    for (size_t i = 0; i < Numbers.size(); ++i)
      if (std::fabs(Numbers[i] - o.Numbers[i]) > 1e-4 * std::max(1.0, std::fabs(Numbers[i])))
        return false;
    return true;
  }
};

std::ostream& operator<<(std::ostream& os, const TModelPrint& p)
{
  return os << p.Children << " children, shape " << std::hash<std::string>{}(p.Shape) << "/" << p.Shape.size() << ", "
            << p.Numbers.size() << " numbers";
}

void PrintObject(TGLBaseSceneObject* o, TModelPrint& out)
{
  out.Shape += typeid(*o).name();
  out.Shape += o->GetVisible() ? "+" : "-";
  TMatrix m = o->LocalMatrix();
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      out.Numbers.push_back(m[i][j]);
  if (auto* cog = dynamic_cast<TCog*>(o))
    out.Shape += " teeth " + std::to_string(cog->Teeth);
  {
    TGLRecorder rec;
    TRenderContextInfo rci;
    try {
      o->BuildList(rci);
    } catch (...) {
      out.Shape += " throws";
    }
    for (const TGLCall& c : rec.Calls()) {
      // Texture and list names depend on the order things were made in, not on the model.
      if (c.Name.find("Texture") != std::string::npos || c.Name.find("List") != std::string::npos)
        continue;
      out.Shape += c.Name;
      out.Numbers.insert(out.Numbers.end(), c.Args.begin(), c.Args.end());
    }
  }
  out.Shape += "(";
  for (Integer i = 0; i < o->GetCount(); ++i)
    PrintObject(o->GetChild(i), out);
  out.Shape += ")";
}

TModelPrint PrintOf(TGLBaseSceneObject* base)
{
  TModelPrint p;
  p.Children = base->GetCount();
  for (Integer i = 0; i < base->GetCount(); ++i)
    PrintObject(base->GetChild(i), p);
  return p;
}

// The tooth counts of the cogs in a model, in tree order.
void CollectTeeth(TGLBaseSceneObject* o, std::vector<Integer>& out)
{
  if (auto* cog = dynamic_cast<TCog*>(o))
    out.push_back(cog->Teeth);
  for (Integer i = 0; i < o->GetCount(); ++i)
    CollectTeeth(o->GetChild(i), out);
}

void CollectLines(TGLBaseSceneObject* o, Integer depth, std::vector<std::pair<TLines*, Integer>>& out)
{
  for (Integer i = 0; i < o->GetCount(); ++i) {
    TGLBaseSceneObject* c = o->GetChild(i);
    if (auto* l = dynamic_cast<TLines*>(c))
      out.push_back({l, depth + 1});
    CollectLines(c, depth + 1, out);
  }
}

// The model on show, told apart from any model built after it: each of its parts gets a
// name no build gives, so a rebuild shows as unmarked parts. (Addresses cannot tell: a new
// part may well take the place a freed one left.)
class TShownModel {
public:
  explicit TShownModel(TGLBaseSceneObject* base) : FBase(base), FCount(base->GetCount())
  {
    for (Integer i = 0; i < FCount; ++i)
      base->GetChild(i)->Name = Mark(i);
  }
  // The scene base holds exactly the marked parts, in their places.
  bool Kept() const
  {
    if (FBase->GetCount() != FCount)
      return false;
    for (Integer i = 0; i < FCount; ++i)
      if (FBase->GetChild(i)->Name != Mark(i))
        return false;
    return true;
  }
  // None of the marked parts is left: the model was built again.
  bool Replaced() const
  {
    for (Integer i = 0; i < FBase->GetCount(); ++i)
      if (FBase->GetChild(i)->Name.rfind("shown-before-", 0) == 0)
        return false;
    return FBase->GetCount() > 0;
  }

private:
  static std::string Mark(Integer i) { return "shown-before-" + std::to_string(i); }
  TGLBaseSceneObject* FBase;
  Integer FCount;
};

struct TMessages {
  std::vector<std::string> Texts;
};

class Controls : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    Messages = new TMessages;
    SetMessageAnswerer([](const TMessageRequest& r) {
      Messages->Texts.push_back(r.Text);
      return mrOk;
    });
    // The content beside the test program is laid out as the program's own.
    Frm = new TKVMainFrm(ExeFolder());
    Frm->Show();
    Pump(100);
  }
  static void TearDownTestSuite()
  {
    delete Frm;
    Frm = nullptr;
    SetMessageAnswerer({});
    delete Messages;
    Pump();
  }
  void SetUp() override { Messages->Texts.clear(); }

  static void Show(Integer id)
  {
    GuardedCall([id] { Frm->ShowTopic(id); });
    Pump();
    ASSERT_EQ(Frm->CurrentTopic, id);
  }

  // A press and release of the left button at a screen point.
  static void ClickAt(TPoint p, TMouseButton b = mbLeft)
  {
    SimulateMouse(TInputKind::MouseDown, p, b);
    SimulateMouse(TInputKind::MouseUp, p, b);
    Pump();
  }
  static TPoint Centre(TControl* c) { return c->ClientToScreen({c->Width() / 2, c->Height() / 2}); }
  static void Click(TControl* c) { ClickAt(Centre(c)); }
  // The up-down's upper half steps up, the lower half down.
  static void ClickUp(TUpDown* u) { ClickAt(u->ClientToScreen({u->Width() / 2, u->Height() / 4})); }
  static void ClickDown(TUpDown* u) { ClickAt(u->ClientToScreen({u->Width() / 2, u->Height() * 3 / 4})); }
  // Opens the list with a click on the box and clicks entry i of it.
  static void Pick(TComboBox* c, Integer i)
  {
    Click(c);
    ASSERT_TRUE(c->DroppedDown());
    TPoint below = c->ClientToScreen({c->Width() / 2, c->Height() + 2});
    TControl* list = FindControlAtPos(below);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list, c);
    Integer rows = std::min<Integer>(Integer(c->Items().size()), 8);
    Integer h = (list->Height() - 2) / rows;
    ClickAt(list->ClientToScreen({10, 1 + i * h + h / 2}));
    EXPECT_FALSE(c->DroppedDown());
  }
  // A press and release on a toolbar item, through the toolbar's own loop; the click is
  // delivered once the loop has ended.
  static void ClickItem(TTBXToolbar* bar, TTBCustomItem* item)
  {
    Pump();
    TTBItemViewer* v = bar->View()->Find(item);
    ASSERT_NE(v, nullptr);
    TPoint p = ScreenCentre(v);
    // In a message loop of our own: an earlier test may have left the application quitting,
    // which ends the toolbar's loop at once.
    modal::InMessageLoop([&] {
      TScript script;
      script.Do([p] { SimulateMouse(TInputKind::MouseUp, p); });
      script.Running = [bar] { return bar->View()->InModalLoop; };
      script.Abort = [bar] { bar->View()->EndModal(); };
      script.Start();
      SimulateMouse(TInputKind::MouseDown, p);
      EXPECT_TRUE(PumpUntil([&] { return script.Finished() && !bar->View()->InModalLoop; }, 8000));
      PumpUntil([] { return PendingClickCount() == 0; }, 1000);
      Pump();
    });
  }
  // The model the current topic's procedures build from these values, as a print.
  static TModelPrint Reference(const TTopicControls& c, Integer example = 0)
  {
    const TTopicEntry* e = FindTopic(Frm->CurrentTopic, example);
    TDummyCube base;
    if (e && e->Build)
      e->Build(&base, &Frm->MatLib, c);
    return PrintOf(&base);
  }
  static Single CameraDistance()
  {
    TVector a = Frm->GLCamera->AbsolutePosition(), b = Frm->RootDC->AbsolutePosition();
    return Single(std::sqrt(double(a[0] - b[0]) * (a[0] - b[0]) + double(a[1] - b[1]) * (a[1] - b[1])
                            + double(a[2] - b[2]) * (a[2] - b[2])));
  }

  static TMessages* Messages;
  static TKVMainFrm* Frm;
};

TMessages* Controls::Messages = nullptr;
TKVMainFrm* Controls::Frm = nullptr;

using mainwindow::SaveWindowPicture;

using K = TKVMainFrm;

// One change of one control and what must follow from it.
struct TControlCase {
  const char* Name;
  Integer Topic;
  std::function<void(K&)> Prepare;                     // before the model is shown (may be empty)
  std::function<void(K&)> Act;                         // the user's input
  std::function<void(TTopicControls&)> Moves;          // what the input does to the values
  std::function<Integer(const TTopicControls&)> Max;   // the step bar's maximum after it
  // The rebuilt model's cogs from the values, when it has any.
  std::function<std::vector<Integer>(const TTopicControls&)> Teeth = {};
  std::vector<std::pair<std::function<std::string(K&)>, std::string>> Labels = {};
};

std::function<std::string(K&)> Caption(TLabel* K::*member)
{
  return [member](K& f) { return (f.*member)->Caption(); };
}

}   // namespace

TEST_F(Controls, EveryControlRebuildsTheModelFromItsNewValue)
{
  auto gearPair = [](const TTopicControls& c) { return GearPairRepeatAngle(c.Cog[0], c.Cog[1]); };
  auto pulleys = [](const TTopicControls& c) { return PulleyPairRepeatAngle(c.PulleySize[0], c.PulleySize[1]); };
  auto pairTeeth = [](const TTopicControls& c) { return std::vector<Integer>{c.Cog[0], c.Cog[1]}; };
  auto fixed = [](Integer v) { return [v](const TTopicControls&) { return v; }; };
  auto scroll = [](TScrollBar* K::*bar, TScrollCode code, int32_t pos = 0) {
    return [bar, code, pos](K& f) { (f.*bar)->Scroll(code, pos); };
  };
  auto at = [](TScrollBar* K::*bar, int32_t pos) { return [bar, pos](K& f) { (f.*bar)->SetPosition(pos); }; };
  auto upDown = [](TUpDown* K::*ud, Integer pos) { return [ud, pos](K& f) { (f.*ud)->SetPosition(pos); }; };

  std::vector<TControlCase> cases = {
      {"left cog up",
       1,
       {},
       [](K& f) { ClickUp(f.CogUpDn[0]); },
       [](TTopicControls& c) { c.Cog[0] += 1; },
       gearPair,
       pairTeeth},
      {"right cog down",
       1,
       {},
       [](K& f) { ClickDown(f.CogUpDn[1]); },
       [](TTopicControls& c) { c.Cog[1] -= 1; },
       gearPair,
       pairTeeth},
      {"train: right cog up",
       2,
       {},
       [](K& f) { ClickUp(f.CogUpDn[2]); },
       [](TTopicControls& c) { c.Cog[2] += 1; },
       [](const TTopicControls& c) { return GearTrainRepeatAngle(c.Cog[0], c.Cog[1], c.Cog[2]); },
       [](const TTopicControls& c) {
         return std::vector<Integer>{c.Cog[0], c.Cog[1], c.Cog[2]};
       }},
      {"compound: last cog up",
       3,
       {},
       [](K& f) { ClickUp(f.CogUpDn[3]); },
       [](TTopicControls& c) { c.Cog[3] += 1; },
       [](const TTopicControls& c) { return CompoundGearRepeatAngle(c.Cog[0], c.Cog[1], c.Cog[2], c.Cog[3]); }},
      {"compound: third cog down",
       3,
       {},
       [](K& f) { ClickDown(f.CogUpDn[2]); },
       [](TTopicControls& c) { c.Cog[2] -= 1; },
       [](const TTopicControls& c) { return CompoundGearRepeatAngle(c.Cog[0], c.Cog[1], c.Cog[2], c.Cog[3]); }},
      {"helical: right cog up",
       38,
       {},
       [](K& f) { ClickUp(f.CogUpDn[1]); },
       [](TTopicControls& c) { c.Cog[1] += 1; },
       gearPair,
       pairTeeth},
      {"rack: pinion up",
       35,
       {},
       [](K& f) { ClickUp(f.CogUpDn[0]); },
       [](TTopicControls& c) { c.Cog[0] += 1; },
       [](const TTopicControls& c) { return RackPinionRepeatAngle(c.Cog[0], 4.0f); }},
      {"worm: wheel teeth up",
       36,
       {},
       [](K& f) { ClickUp(f.CogUpDn[0]); },
       [](TTopicControls& c) { c.Cog[0] = 11; },
       fixed(720)},
      {"belt: left pulley up",
       5,
       {},
       [](K& f) { ClickUp(f.VP1UpDn); },
       [](TTopicControls& c) { c.PulleySize[0] += 1; },
       pulleys},
      {"belt: right pulley down",
       5,
       {},
       [](K& f) { ClickDown(f.VP2UpDn); },
       [](TTopicControls& c) { c.PulleySize[1] -= 1; },
       pulleys},
      {"belt: flat belt", 5, {}, [](K& f) { Pick(f.BeltCB, 1); }, [](TTopicControls& c) { c.BeltItem = 1; }, pulleys},
      {"jockey: right pulley up", 6, upDown(&K::VP2UpDn, 6), [](K& f) { ClickUp(f.VP2UpDn); },
       [](TTopicControls& c) { c.PulleySize[1] = 7; },
       [](const TTopicControls& c) { return JockeyBeltRepeatAngle(c.PulleySize[0], c.PulleySize[1]); }},
      {"jockey: flat belt",
       6,
       {},
       [](K& f) { Pick(f.BeltCB, 1); },
       [](TTopicControls& c) { c.BeltItem = 1; },
       [](const TTopicControls& c) { return JockeyBeltRepeatAngle(c.PulleySize[0], c.PulleySize[1]); }},
      {"derailleur: 14 teeth",
       34,
       {},
       [](K& f) { Click(f.DG14Btn); },
       [](TTopicControls& c) { c.BikeGear = 0; },
       [](const TTopicControls&) { return DerailleurRepeatAngle(0); }},
      {"derailleur: 18 teeth",
       34,
       {},
       [](K& f) { Click(f.DG18Btn); },
       [](TTopicControls& c) { c.BikeGear = 2; },
       [](const TTopicControls&) { return DerailleurRepeatAngle(2); }},
      {"chain: left sprocket up",
       8,
       {},
       [](K& f) { ClickUp(f.Chain1UpDn); },
       [](TTopicControls& c) { c.Chain[0] = 11; },
       [](const TTopicControls& c) { return ChainDriveRepeatAngle(c.Chain[0], c.Chain[1]); }},
      {"chain: right sprocket down",
       8,
       {},
       [](K& f) { ClickDown(f.Chain2UpDn); },
       [](TTopicControls& c) { c.Chain[1] = 19; },
       [](const TTopicControls& c) { return ChainDriveRepeatAngle(c.Chain[0], c.Chain[1]); }},
      {"step cone down",
       7,
       {},
       [](K& f) { ClickDown(f.StepConeUpDn); },
       [](TTopicControls& c) { c.BeltStep = 2; },
       [](const TTopicControls& c) { return StepConeRepeatAngle(c.BeltStep); }},
      {"step cone back up",
       7,
       {},
       [](K& f) { ClickUp(f.StepConeUpDn); },
       [](TTopicControls& c) { c.BeltStep = 3; },
       [](const TTopicControls& c) { return StepConeRepeatAngle(c.BeltStep); }},
      {"circular cam: offset a line on",
       13,
       {},
       scroll(&K::CamOffsetHsb, scLineDown),
       [](TTopicControls& c) { c.CamOffset = 11; },
       fixed(360)},
      {"pear cam: offset dragged",
       14,
       {},
       scroll(&K::CamOffsetHsb, scTrack, 22),
       [](TTopicControls& c) { c.CamOffset = 22; },
       fixed(360)},
      {"circular cam: point follower",
       13,
       {},
       [](K& f) { Pick(f.CamCB, 2); },
       [](TTopicControls& c) { c.CamFollower = 2; },
       fixed(360)},
      {"heart cam: flat follower",
       15,
       {},
       [](K& f) { Pick(f.CamCB, 1); },
       [](TTopicControls& c) { c.CamFollower = 1; },
       fixed(360)},
      {"reverse motion: pivot moved",
       29,
       {},
       scroll(&K::LinkOffsetHsb, scPosition, 12),
       [](TTopicControls& c) { c.PivotOffset = 12; },
       fixed(360)},
      {"crank slider: offset up", 17, at(&K::CrankOffsetHsb, 25), scroll(&K::CrankOffsetHsb, scLineDown),
       [](TTopicControls& c) { c.CrankOffset = 26; }, fixed(360)},
      // The slot builds from where the bar goes, as the slider does.
      {"crank slot: offset dragged", 20, at(&K::CrankOffsetHsb, 20), scroll(&K::CrankOffsetHsb, scTrack, 14),
       [](TTopicControls& c) { c.CrankOffset = 14; }, fixed(720)},
      {"crank slot: one line on", 20, at(&K::CrankOffsetHsb, 20), scroll(&K::CrankOffsetHsb, scLineUp),
       [](TTopicControls& c) { c.CrankOffset = 19; }, fixed(720)},
      {"hoist: two wheels",
       9,
       upDown(&K::HoistUpDn, 1),
       [](K& f) { ClickUp(f.HoistUpDn); },
       [](TTopicControls& c) { c.HoistWheels = 2; },
       fixed(180),
       {},
       {{Caption(&K::HoistLoadLabel), "Effort = 100N     Load = 200N"}}},
      {"hoist: four wheels down to three",
       9,
       upDown(&K::HoistUpDn, 4),
       [](K& f) { ClickDown(f.HoistUpDn); },
       [](TTopicControls& c) { c.HoistWheels = 3; },
       fixed(180),
       {},
       {{Caption(&K::HoistLoadLabel), "Effort = 100N     Load = 300N"}}},
      {"screw: acme thread",
       18,
       {},
       [](K& f) { Pick(f.ScrewCB, 3); },
       [](TTopicControls& c) { c.ThreadProfile = 3; },
       fixed(3600)},
      {"screw: pitch up", 18, at(&K::ScrewPitchHsb, 10), scroll(&K::ScrewPitchHsb, scLineDown),
       [](TTopicControls& c) { c.ScrewPitch = 11; }, fixed(3600)},
      {"windlass: longer handle",
       21,
       at(&K::HandRadHsb, 60),
       scroll(&K::HandRadHsb, scPosition, 90),
       [](TTopicControls& c) { c.HandleRadius = 90; },
       fixed(1800),
       {},
       {{Caption(&K::HandRadLabel), "Handle radius = 15.00"}, {Caption(&K::LoadLabel), "Load = 15.00"}}},
      {"windlass: shorter handle",
       21,
       {},
       scroll(&K::HandRadHsb, scPosition, 30),
       [](TTopicControls& c) { c.HandleRadius = 30; },
       fixed(1800),
       {},
       {{Caption(&K::HandRadLabel), "Handle radius = 5.00"}, {Caption(&K::LoadLabel), "Load = 5.00"}}},
      {"weston: small radius up",
       12,
       at(&K::WPRadiusHsb, 15),
       scroll(&K::WPRadiusHsb, scLineDown),
       [](TTopicControls& c) { c.WestonRadius = 16; },
       fixed(1080),
       {},
       {{Caption(&K::WPradLabel), "Small Radius = 16      Load = 10.00"}}},
      {"weston: small radius down",
       12,
       at(&K::WPRadiusHsb, 15),
       scroll(&K::WPRadiusHsb, scLineUp),
       [](TTopicControls& c) { c.WestonRadius = 14; },
       fixed(1080),
       {},
       {{Caption(&K::WPradLabel), "Small Radius = 14      Load = 6.67"}}},
      {"weston: radii equal",
       12,
       at(&K::WPRadiusHsb, 18),
       scroll(&K::WPRadiusHsb, scBottom),
       [](TTopicControls& c) { c.WestonRadius = 20; },
       fixed(1080),
       {},
       {{Caption(&K::WPradLabel), "Small Radius = 20      Load = "}}},
      {"box cam: slot angle", 16, at(&K::CamSlotHsb, 20), scroll(&K::CamSlotHsb, scPosition, 35),
       [](TTopicControls& c) { c.CamSlot = 35; }, fixed(360)},
      {"box cam: radius", 16, at(&K::SCamRadHsb, 20), scroll(&K::SCamRadHsb, scLineUp),
       [](TTopicControls& c) { c.BoxCamRadius = 19; }, fixed(360)},
      {"treadle: longer top link", 32, at(&K::TreadleHsb, 15), scroll(&K::TreadleHsb, scPosition, 25),
       [](TTopicControls& c) { c.TreadleLength = 0.25f; }, fixed(360)},
  };

  for (const TControlCase& t : cases) {
    SCOPED_TRACE(t.Name);
    if (t.Prepare)
      t.Prepare(*Frm);
    Show(t.Topic);
    // Somewhere into the motion, so the rebuild has something to undo.
    int32_t pos = 30;
    Frm->RTChsb->Scroll(scPosition, pos);
    ASSERT_EQ(Frm->RTChsb->Position(), 30);
    TTopicControls expect = Frm->CurrentControls();
    t.Moves(expect);
    TModelPrint before = PrintOf(Frm->SceneBase);
    const TShownModel old(Frm->SceneBase);

    t.Act(*Frm);

    ASSERT_TRUE(Messages->Texts.empty()) << Messages->Texts.front();
    TTopicControls now = Frm->CurrentControls();
    EXPECT_EQ(std::vector<Integer>(now.Cog, now.Cog + 4), std::vector<Integer>(expect.Cog, expect.Cog + 4));
    EXPECT_EQ(now.BeltItem, expect.BeltItem);
    EXPECT_EQ(std::vector<Integer>(now.PulleySize, now.PulleySize + 2),
              std::vector<Integer>(expect.PulleySize, expect.PulleySize + 2));
    EXPECT_EQ(now.BeltStep, expect.BeltStep);
    EXPECT_EQ(now.HoistWheels, expect.HoistWheels);
    EXPECT_EQ(now.WestonRadius, expect.WestonRadius);
    EXPECT_EQ(now.PivotOffset, expect.PivotOffset);
    EXPECT_FLOAT_EQ(now.TreadleLength, expect.TreadleLength);
    EXPECT_EQ(now.Chain[0], expect.Chain[0]);
    EXPECT_EQ(now.Chain[1], expect.Chain[1]);
    EXPECT_EQ(now.BikeGear, expect.BikeGear);
    EXPECT_EQ(now.CamFollower, expect.CamFollower);
    EXPECT_EQ(now.CamOffset, expect.CamOffset);
    EXPECT_EQ(now.CamSlot, expect.CamSlot);
    EXPECT_EQ(now.BoxCamRadius, expect.BoxCamRadius);
    EXPECT_EQ(now.CrankOffset, expect.CrankOffset);
    EXPECT_EQ(now.ThreadProfile, expect.ThreadProfile);
    EXPECT_EQ(now.ScrewPitch, expect.ScrewPitch);
    EXPECT_EQ(now.HandleRadius, expect.HandleRadius);

    // A new model, from the new values, at phase 0 with the clock stopped.
    EXPECT_TRUE(old.Replaced()) << "not rebuilt";
    TModelPrint after = PrintOf(Frm->SceneBase);
    EXPECT_EQ(after, Reference(expect));
    EXPECT_NE(after, before) << "the model does not show the change";
    EXPECT_EQ(Frm->RTChsb->Position(), 0);
    EXPECT_EQ(Frm->Phase, 0);
    EXPECT_TRUE(Frm->Stopped);
    EXPECT_EQ(Frm->RTChsb->Max(), t.Max(expect));
    if (t.Topic == 35)
      EXPECT_EQ(Frm->RTChsb->Min(), -t.Max(expect));
    else
      EXPECT_EQ(Frm->RTChsb->Min(), 0);
    if (t.Teeth) {
      std::vector<Integer> teeth;
      CollectTeeth(Frm->SceneBase, teeth);
      EXPECT_EQ(teeth, t.Teeth(expect));
    }
    for (const auto& [read, text] : t.Labels)
      EXPECT_EQ(read(*Frm), text);
  }
}

TEST_F(Controls, ControlsAtTheirEndsOrOfOtherTopicsLeaveTheModel)
{
  // An up-down at its end does not move, and nothing is rebuilt.
  Show(1);
  Frm->CogUpDn[0]->SetPosition(40);
  GuardedCall([] { Frm->ShowTopic(1); });
  Frm->CogUpDn[0]->SetPosition(40);
  {
    const TShownModel shown(Frm->SceneBase);
    ClickUp(Frm->CogUpDn[0]);
    EXPECT_EQ(Frm->CogUpDn[0]->Position(), 40);
    EXPECT_TRUE(shown.Kept());
    // Down from there does move.
    ClickDown(Frm->CogUpDn[0]);
    EXPECT_EQ(Frm->CogUpDn[0]->Position(), 39);
    EXPECT_TRUE(shown.Replaced());
  }

  Show(7);
  Frm->StepConeUpDn->SetPosition(3);
  {
    const TShownModel shown(Frm->SceneBase);
    ClickUp(Frm->StepConeUpDn);
    EXPECT_TRUE(shown.Kept());
  }

  // A bar belonging to another topic's page does nothing to this model.
  Show(22);
  const TShownModel shown(Frm->SceneBase);
  TModelPrint print = PrintOf(Frm->SceneBase);
  Frm->CamOffsetHsb->Scroll(scLineDown, 0);
  Frm->CrankOffsetHsb->Scroll(scLineDown, 0);
  Frm->HandRadHsb->Scroll(scLineDown, 0);
  Frm->WPRadiusHsb->Scroll(scLineDown, 0);
  Frm->PlaneAngleHsb->Scroll(scLineDown, 0);
  Frm->CogUpDn[0]->Step(btPrev);
  Frm->HoistUpDn->Step(btNext);
  EXPECT_TRUE(shown.Kept());
  EXPECT_EQ(PrintOf(Frm->SceneBase), print);
  EXPECT_TRUE(Messages->Texts.empty());
}

TEST_F(Controls, ValuesStayWhenTheUserComesBackAndTheCogsTakeTheirTeeth)
{
  Show(1);
  Frm->CogUpDn[0]->SetPosition(22);
  ClickUp(Frm->CogUpDn[0]);
  Show(13);
  Frm->CamOffsetHsb->Scroll(scPosition, 17);
  Show(8);
  Frm->CogUpDn[0]->SetPosition(33);   // meanwhile, on a page not shown
  Show(1);
  EXPECT_EQ(Frm->CogUpDn[0]->Position(), 23) << "the teeth the pair was last built with";
  std::vector<Integer> teeth;
  CollectTeeth(Frm->SceneBase, teeth);
  ASSERT_EQ(teeth.size(), 2u);
  EXPECT_EQ(teeth[0], 23);
  Show(13);
  EXPECT_EQ(Frm->CamOffsetHsb->Position(), 17);
  EXPECT_EQ(PrintOf(Frm->SceneBase), Reference(Frm->CurrentControls()));
  EXPECT_EQ(Frm->CurrentControls().CamOffset, 17);
}

TEST_F(Controls, EveryRowSetsControlsThatStandOnItsPage)
{
  // A misspelt or misplaced name in a topic's row would leave a control as the last topic
  // set it, with nothing to say so.
  for (const TTopicRow& row : TopicRows()) {
    SCOPED_TRACE(row.Id);
    if (row.View != TTopicView::Model)
      continue;
    TTabSheet* page = Frm->ControlPages[size_t(row.Page)];
    ASSERT_NE(page, nullptr);
    for (const TControlSetting& s : row.Controls) {
      auto* control = dynamic_cast<TControl*>(Frm->FindComponent(s.Control));
      ASSERT_NE(control, nullptr) << s.Control;
      EXPECT_EQ(control->Parent(), page) << s.Control;
    }
    // Showing the topic puts its page up with its settings applied.
    Show(row.Id);
    EXPECT_EQ(Frm->ToolPC->ActivePage(), page);
    for (const TControlSetting& s : row.Controls) {
      auto* control = dynamic_cast<TControl*>(Frm->FindComponent(s.Control));
      EXPECT_EQ(control->Visible(), s.Visible) << s.Control;
      if (!s.Hint.empty()) {
        EXPECT_EQ(control->Hint(), s.Hint) << s.Control;
      }
      if (auto* bar = dynamic_cast<TScrollBar*>(control); bar && s.Max > s.Min) {
        EXPECT_EQ(bar->Min(), s.Min);
        EXPECT_EQ(bar->Max(), s.Max);
      }
      if (auto* combo = dynamic_cast<TComboBox*>(control); combo && !s.Items.empty()) {
        EXPECT_EQ(combo->Items(), s.Items);
      }
    }
    for (int i = 1; i < 4 && row.Cogs > 0; ++i)
      EXPECT_EQ(Frm->CogUpDn[i]->Visible(), i < row.Cogs) << "counter " << i;
  }
}

TEST_F(Controls, CrossBeltHidesTheRadiiAndVeeBeltShowsThemAgain)
{
  Show(5);
  ASSERT_EQ(Frm->BeltCB->Items().size(), 3u);
  std::vector<TControl*> radii = {Frm->VP1UpDn, Frm->VP2UpDn, Frm->VPLabel, Frm->VP1ST, Frm->VP2ST};
  Pick(Frm->BeltCB, 2);
  EXPECT_EQ(Frm->BeltCB->Text(), "Cross belt");
  for (TControl* c : radii)
    EXPECT_FALSE(c->Visible()) << c->Name();
  TTopicControls c = Frm->CurrentControls();
  EXPECT_EQ(c.BeltItem, 2);
  EXPECT_EQ(PrintOf(Frm->SceneBase), Reference(c));
  EXPECT_EQ(Frm->RTChsb->Max(), PulleyPairRepeatAngle(c.PulleySize[0], c.PulleySize[1]));
  Pick(Frm->BeltCB, 1);
  EXPECT_EQ(Frm->BeltCB->Text(), "Flat belt");
  for (TControl* ctl : radii)
    EXPECT_TRUE(ctl->Visible()) << ctl->Name();
  Pick(Frm->BeltCB, 2);
  Pick(Frm->BeltCB, 0);
  EXPECT_EQ(Frm->BeltCB->Text(), "Vee belt");
  for (TControl* ctl : radii)
    EXPECT_TRUE(ctl->Visible()) << ctl->Name();
  c.BeltItem = 0;
  EXPECT_EQ(PrintOf(Frm->SceneBase), Reference(c));
  // The jockey drive has no crossed belt to offer and keeps its radii.
  Show(6);
  EXPECT_EQ(Frm->BeltCB->Items(), (std::vector<std::string>{"Vee belt", "Flat belt"}));
  for (TControl* ctl : radii)
    EXPECT_TRUE(ctl->Visible()) << ctl->Name();
}

TEST_F(Controls, InclinedPlaneTurnsWithoutARebuildAndLabelsTheEffort)
{
  Show(39);
  struct TRow {
    TScrollCode Code;
    int32_t Pos;
    const char* Angle;
    const char* Effort;
  };
  const TRow rows[] = {
      {scPosition, 0, "Angle = 0 \xBA", "Effort = 0 N"},      {scLineDown, 0, "Angle = 1 \xBA", "Effort = 175 N"},
      {scPosition, 30, "Angle = 30 \xBA", "Effort = 5000 N"}, {scBottom, 0, "Angle = 45 \xBA", "Effort = 7071 N"},
      {scLineUp, 0, "Angle = 44 \xBA", "Effort = 6947 N"},
  };
  const TShownModel shown(Frm->SceneBase);
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.Angle);
    TModelPrint before = PrintOf(Frm->SceneBase);
    Frm->PlaneAngleHsb->Scroll(r.Code, r.Pos);
    EXPECT_EQ(Frm->PAngleLabel->Caption(), r.Angle);
    EXPECT_EQ(Frm->PEffortLabel->Caption(), r.Effort);
    EXPECT_TRUE(shown.Kept()) << "turned in place, not rebuilt";
    EXPECT_NE(PrintOf(Frm->SceneBase), before);
    // The plane stands as one built at that angle and turned to it.
    TDummyCube base;
    TTopicControls c = Frm->CurrentControls();
    FindTopic(39)->Build(&base, &Frm->MatLib, c);
    SetInclinedPlaneAngle(&base, Single(Frm->PlaneAngleHsb->Position()));
    EXPECT_EQ(PrintOf(Frm->SceneBase), PrintOf(&base));
  }
}

TEST_F(Controls, MarkerBoxesShowAndHideMarkersWithoutARebuild)
{
  struct TRow {
    Integer Topic;
    TCheckBox* K::*Box;
  };
  const TRow rows[] = {
      {1, &K::TwoCogChk},   {2, &K::TwoCogChk},  {3, &K::TwoCogChk},    {35, &K::TwoCogChk}, {36, &K::TwoCogChk},
      {38, &K::TwoCogChk},  {4, &K::BevelChk},   {10, &K::BevelChk},    {5, &K::VPChk},      {6, &K::VPChk},
      {7, &K::StepConeChk}, {8, &K::ChainChk},   {12, &K::WPMarkerChk}, {13, &K::CamChk},    {14, &K::CamChk},
      {15, &K::CamChk},     {16, &K::BoxCamChk}, {32, &K::TreadleChk},  {34, &K::BikeChk},
  };
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.Topic);
    Show(r.Topic);
    TCheckBox* box = Frm->*r.Box;
    ASSERT_TRUE(box->Visible());
    // The bevel gears', the stepped cones' and the box cam's boxes have captions of their own.
    const std::string caption = r.Topic == 32                                     ? "Show linkage only"
                                : r.Box == &K::BevelChk || r.Box == &K::BoxCamChk ? "ShowMarker"
                                : r.Box == &K::StepConeChk                        ? "ShowMarkers"
                                                                                  : "Show markers";
    EXPECT_EQ(box->Caption(), caption);
    const bool was = box->Checked();
    TModelPrint before = PrintOf(Frm->SceneBase);
    const TShownModel model(Frm->SceneBase);
    // The animation goes on while the markers change (running, with the ticks held back
    // so that the model stays in the pose it was built in).
    Frm->StartBtnClick(Frm->StartBtn);
    Frm->Cadencer->SetEnabled(false);
    Click(box);
    EXPECT_FALSE(Frm->Stopped);
    Frm->StopBtnClick(Frm->StopBtn);
    ASSERT_EQ(box->Checked(), !was);
    EXPECT_TRUE(model.Kept()) << "rebuilt";
    TModelPrint shown = PrintOf(Frm->SceneBase);
    EXPECT_NE(shown, before) << "the markers did not change";
    // As if built with the box in its new state.
    EXPECT_EQ(shown, Reference(Frm->CurrentControls()));
    Click(box);
    EXPECT_EQ(box->Checked(), was);
    EXPECT_EQ(PrintOf(Frm->SceneBase), Reference(Frm->CurrentControls()));
  }
}

TEST_F(Controls, LeverToolbarBuildsTheExamplesAndLabelsThem)
{
  struct TRow {
    Integer Topic;
    const char* Label;
    const char* First;
    const char* Second;
    Integer SecondMax;
  };
  const TRow rows[] = {{26, "Class 1 levers", "Claw hammer", "Scissors", 500},
                       {27, "Class 2 levers", "Nut crackers", "Wheelbarrow", 180},
                       {28, "Class 3 levers", "Arm", "Tweezers", 180}};
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.Topic);
    Show(r.Topic);
    EXPECT_TRUE(Frm->LeverToolbar->Visible());
    EXPECT_EQ(Frm->LeverLabel->Caption(), r.Label);
    EXPECT_EQ(Frm->LeverBtn1->Caption(), r.First);
    EXPECT_EQ(Frm->LeverBtn2->Caption(), r.Second);
    EXPECT_EQ(Frm->LeverBtn1->ImageIndex(), (r.Topic - 26) * 2);
    EXPECT_EQ(Frm->LeverBtn2->ImageIndex(), (r.Topic - 26) * 2 + 1);
    EXPECT_TRUE(Frm->LeverBtn1->Checked());
    EXPECT_FALSE(Frm->LeverBtn2->Checked());
    EXPECT_EQ(Frm->LeverExample, 0);

    // The second example: its own model, view point and range.
    Frm->RTChsb->Scroll(scPosition, 40);
    ClickItem(Frm->LeverToolbar, Frm->LeverBtn2);
    ASSERT_TRUE(Messages->Texts.empty()) << Messages->Texts.front();
    EXPECT_EQ(Frm->LeverExample, 1);
    EXPECT_TRUE(Frm->LeverBtn2->Checked());
    EXPECT_FALSE(Frm->LeverBtn1->Checked());
    EXPECT_EQ(Frm->RTChsb->Max(), r.SecondMax);
    EXPECT_EQ(Frm->RTChsb->Position(), 0);
    EXPECT_EQ(PrintOf(Frm->SceneBase), Reference(Frm->CurrentControls(), 1));
    TViewPoint vp = GetViewPoint(r.Topic, 1);
    for (int k = 0; k < 3; ++k) {
      EXPECT_FLOAT_EQ(Frm->GLCamera->Position.AsVector()[k], vp.Camera[k]);
      EXPECT_FLOAT_EQ(Frm->SceneBase->Position.AsVector()[k], vp.SceneBase[k]);
    }

    // The selected button again: the model and its phase stay.
    Frm->RTChsb->Scroll(scPosition, 70);
    const TShownModel shown(Frm->SceneBase);
    TModelPrint posed = PrintOf(Frm->SceneBase);
    ClickItem(Frm->LeverToolbar, Frm->LeverBtn2);
    EXPECT_TRUE(shown.Kept());
    EXPECT_EQ(PrintOf(Frm->SceneBase), posed);
    EXPECT_EQ(Frm->RTChsb->Position(), 70);
    EXPECT_TRUE(Frm->LeverBtn2->Checked());

    // And back to the first.
    ClickItem(Frm->LeverToolbar, Frm->LeverBtn1);
    EXPECT_EQ(Frm->LeverExample, 0);
    EXPECT_EQ(Frm->RTChsb->Max(), 180);
    EXPECT_EQ(PrintOf(Frm->SceneBase), Reference(Frm->CurrentControls(), 0));
    vp = GetViewPoint(r.Topic, 0);
    EXPECT_FLOAT_EQ(Frm->GLCamera->Position.AsVector()[2], vp.Camera[2]);
  }
}

TEST_F(Controls, ShowLabelsFollowsTheBoxAndTheNutcrackerOnlyWhenStopped)
{
  // The arm: labels follow the box at once.
  Show(28);
  ASSERT_TRUE(Frm->LeverChk->Checked());
  TModelPrint on = PrintOf(Frm->SceneBase);
  Click(Frm->LeverChk);
  EXPECT_FALSE(Frm->LeverChk->Checked());
  TModelPrint off = PrintOf(Frm->SceneBase);
  EXPECT_NE(off, on);
  EXPECT_EQ(off, Reference(Frm->CurrentControls()));
  Click(Frm->LeverChk);
  EXPECT_EQ(PrintOf(Frm->SceneBase), on);

  // The nut crackers: while the clock runs the box changes nothing; after Stop it does.
  Show(27);
  ASSERT_TRUE(Frm->LeverChk->Checked());
  // Running, with the ticks held back so that only the box could change the model.
  Frm->StartBtnClick(Frm->StartBtn);
  Frm->Cadencer->SetEnabled(false);
  TModelPrint labelled = PrintOf(Frm->SceneBase);
  Click(Frm->LeverChk);
  EXPECT_FALSE(Frm->LeverChk->Checked());
  EXPECT_EQ(PrintOf(Frm->SceneBase), labelled) << "the labels went while the model ran";
  Frm->StopBtnClick(Frm->StopBtn);
  Click(Frm->LeverChk);
  EXPECT_TRUE(Frm->LeverChk->Checked());
  EXPECT_EQ(PrintOf(Frm->SceneBase), labelled);
  Click(Frm->LeverChk);
  EXPECT_FALSE(Frm->LeverChk->Checked());
  EXPECT_NE(PrintOf(Frm->SceneBase), labelled) << "stopped, the box hides the labels";
  EXPECT_EQ(PrintOf(Frm->SceneBase), Reference(Frm->CurrentControls()));
  Click(Frm->LeverChk);
  EXPECT_EQ(PrintOf(Frm->SceneBase), labelled);

  // The claw hammer shows its letters only once the claw is at work.
  Show(26);
  TTopicControls hidden = Frm->CurrentControls();
  hidden.Markers = false;
  TModelPrint early = Reference(hidden);
  Click(Frm->LeverChk);   // off
  Click(Frm->LeverChk);   // on again, at phase 0: still hidden
  EXPECT_EQ(PrintOf(Frm->SceneBase), early);
  Frm->RTChsb->Scroll(scPosition, 150);
  Click(Frm->LeverChk);   // off
  TModelPrint clawOff = PrintOf(Frm->SceneBase);
  Click(Frm->LeverChk);   // on, with the claw at work
  EXPECT_NE(PrintOf(Frm->SceneBase), clawOff);
  EXPECT_TRUE(Frm->LeverChk->Checked());

  // The scissors' letters show only while the blades cut (between 250 and 394).
  ClickItem(Frm->LeverToolbar, Frm->LeverBtn2);
  ASSERT_EQ(Frm->LeverExample, 1);
  struct TRow {
    int32_t Phase;
    bool Shows;
  };
  for (TRow r : {TRow{100, false}, TRow{250, false}, TRow{300, true}, TRow{393, true}, TRow{394, false}}) {
    SCOPED_TRACE(r.Phase);
    Frm->RTChsb->Scroll(scPosition, r.Phase);
    Click(Frm->LeverChk);   // off
    TModelPrint bladesOff = PrintOf(Frm->SceneBase);
    Click(Frm->LeverChk);   // on
    EXPECT_EQ(PrintOf(Frm->SceneBase) != bladesOff, r.Shows);
  }
}

// The mean colour of the model in a picture of the view: of the pixels brighter than the
// black background.
std::array<double, 3> ModelColour(const TBitmap& picture)
{
  std::array<double, 3> sum{0, 0, 0};
  int n = 0;
  for (Integer y = 0; y < picture.Height(); ++y)
    for (Integer x = 0; x < picture.Width(); ++x) {
      const TColor c = picture.GetPixel(x, y);
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) > 90) {
        sum[0] += GetRValue(c), sum[1] += GetGValue(c), sum[2] += GetBValue(c);
        ++n;
      }
    }
  for (double& s : sum)
    s /= std::max(n, 1);
  return sum;
}

TEST_F(Controls, TheModelPicturesPreviewShowsTheClawHammerInTheViewsColours)
{
  Show(26);
  ASSERT_EQ(Frm->LeverExample, 0);
  Pump(100);
  // What the screen shows of the model.
  TBitmap view;
  EXPECT_TRUE(PumpUntil(
      [&] {
        Frm->GLViewer->CaptureScreen(view);
        return ModelColour(view)[0] > 0;
      },
      5000));
  const std::array<double, 3> viewed = ModelColour(view);
  std::array<double, 3> previewed{0, 0, 0};
  // Looks for the preview from the message loop until it is up (the snapshot may let a
  // message through before the preview's own loop runs).
  std::function<void()> inPreview = [&] {
    TTarvPPFrm* f = nullptr;
    for (int i = 0; i < Screen().FormCount() && !f; ++i)
      if (auto* p = dynamic_cast<TTarvPPFrm*>(Screen().Forms(i)); p && p->Visible())
        f = p;
    if (!f) {
      modal::Later(inPreview);
      return;
    }
    // Once it shows the picture: the view's black all round the model.
    TBitmap shown;
    auto framedInBlack = [&] {
      f->Image->CaptureScreen(shown);
      if (shown.Width() < 2 || shown.Height() < 2 || ModelColour(shown)[0] == 0)
        return false;
      for (Integer x = 0; x < shown.Width(); ++x)
        if (shown.GetPixel(x, 0) != clBlack || shown.GetPixel(x, shown.Height() - 1) != clBlack)
          return false;
      for (Integer y = 0; y < shown.Height(); ++y)
        if (shown.GetPixel(0, y) != clBlack || shown.GetPixel(shown.Width() - 1, y) != clBlack)
          return false;
      return true;
    };
    EXPECT_TRUE(PumpUntil(framedInBlack, 5000));
    SaveTestPicture(shown, "controls-hammer-preview.png");
    previewed = ModelColour(shown);
    f->SetModalResult(mrCancel);
  };
  modal::InMessageLoop([&] {
    modal::Later(inPreview);
    std::string name = "Sam";
    PrintMechanism(*Frm->SceneViewer, name);
  });
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(previewed[size_t(i)], viewed[size_t(i)], 10) << "channel " << i;
}

TEST_F(Controls, ADamagedModelIsReportedOnceAndTheRestOfTheSceneIsBuilt)
{
  // The real models in a folder of their own: the upper arm scrambled past its header, the
  // walnut cut short.
  std::string folder = std::string(ORRELO_TEST_OUTPUT) + "/controls-badmodels/";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const char* f : {"Arm_01.3ds", "Arm_02.3ds", "Arm_03.3ds", "ashwood.jpg", "nut.3ds", "nut.bmp"})
    std::filesystem::copy_file(ExeFolder() + "3DS/" + f, folder + f);
  std::vector<uint8_t> arm = ReadFileBytes(folder + "Arm_01.3ds", 1 << 20);
  for (size_t i = 6; i < arm.size(); ++i)
    arm[i] ^= uint8_t(0x5A + i * 7);
  WriteFileBytes(folder + "Arm_01.3ds", arm);
  std::vector<uint8_t> nut = ReadFileBytes(folder + "nut.3ds", 1 << 20);
  nut.resize(nut.size() / 2);
  WriteFileBytes(folder + "nut.3ds", nut);
  const std::string saved = Frm->ModelFolder;
  Frm->ModelFolder = folder;
  // How much of the view the model covers, as it is drawn now.
  auto drawn = [] {
    Frm->SceneViewer->GetSurface()->Repaint();
    std::unique_ptr<TGLBitmap32> frame = Frm->SceneViewer->GetBuffer()->CreateSnapshot();
    return frame ? Measure(*frame).Lit : 0;
  };

  Show(28);
  ClickItem(Frm->LeverToolbar, Frm->LeverBtn2);
  ASSERT_EQ(Frm->LeverExample, 1);
  Messages->Texts.clear();
  ClickItem(Frm->LeverToolbar, Frm->LeverBtn1);
  ASSERT_EQ(Messages->Texts.size(), 1u);
  EXPECT_NE(Messages->Texts[0].find(folder + "Arm_01.3ds: Bad 3DS file"), std::string::npos) << Messages->Texts[0];
  EXPECT_EQ(Frm->LeverExample, 0);
  // Everything but the upper arm: forearm and hand with their meshes, the muscle, the labels.
  ASSERT_EQ(Frm->SceneBase->GetCount(), 5);
  EXPECT_EQ(Frm->SceneBase->GetChildAs<TFreeForm>(0)->MeshObjectCount(), 0);
  EXPECT_GT(Frm->SceneBase->GetChildAs<TFreeForm>(1)->MeshObjectCount(), 0);
  EXPECT_GT(Frm->SceneBase->GetChildAs<TFreeForm>(2)->MeshObjectCount(), 0);
  // The step bar moves it.
  Frm->RTChsb->Scroll(scPosition, 90);
  EXPECT_NEAR(Frm->SceneBase->GetChild(1)->GetRollAngle(), 30, 1e-3);
  Frm->RTChsb->Scroll(scPosition, 0);
  const int armDrawn = drawn();

  // The nutcracker without its walnut.
  Messages->Texts.clear();
  Show(27);
  ASSERT_EQ(Messages->Texts.size(), 1u);
  EXPECT_NE(Messages->Texts[0].find(folder + "nut.3ds: "), std::string::npos) << Messages->Texts[0];
  ASSERT_EQ(Frm->SceneBase->GetCount(), 6);
  EXPECT_EQ(Frm->SceneBase->GetChildAs<TFreeForm>(4)->MeshObjectCount(), 0);
  EXPECT_GT(Frm->SceneBase->GetChild(0)->GetCount(), 0);
  const int nutcrackerDrawn = drawn();
  Frm->ModelFolder = saved;
  // With the real models both load, nothing is reported, and each picture holds the damaged
  // one's and the missing part besides.
  Show(28);
  EXPECT_GT(Frm->SceneBase->GetChildAs<TFreeForm>(0)->MeshObjectCount(), 0);
  const int armWhole = drawn();
  EXPECT_GT(armDrawn, armWhole / 3);
  EXPECT_LT(armDrawn, armWhole);
  Show(27);
  const int nutcrackerWhole = drawn();
  EXPECT_GT(nutcrackerDrawn, nutcrackerWhole / 2);
  EXPECT_LT(nutcrackerDrawn, nutcrackerWhole);
  EXPECT_EQ(Messages->Texts.size(), 1u);
}

TEST_F(Controls, CamPanelTurnsReshapesAndPicksItsCam)
{
  Show(40);
  ASSERT_TRUE(Frm->GraphPanel->Visible());
  ASSERT_TRUE(Frm->CamDiagram);
  {
    // A pane narrower than the drawing (half a small screen's width): the test window's area
    // ends at the pane's edge, clear of the splitter.
    const Integer saved = Frm->LeftPanel->Width();
    Frm->LeftPanel->SetWidth(Frm->pic->Width());
    const TRect area = Frm->TestBounds();
    const TPoint pane = Frm->LeftPanel->ClientToScreen({0, 0});
    EXPECT_EQ(area.Right, pane.X + Frm->LeftPanel->ClientWidth());
    EXPECT_EQ(area.Left, Frm->pic->ClientToScreen({0, 0}).X);
    Frm->LeftPanel->SetWidth(saved);
  }
  TCamGraph& g = *Frm->CamDiagram;
  Pump(50);
  ASSERT_NE(g.Picture(), nullptr);
  auto copy = [&] { return std::make_unique<TBitmap>(*g.Picture()); };
  auto differs = [](const TBitmap& a, const TBitmap& b) {
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (a.GetPixel(x, y) != b.GetPixel(x, y))
          return true;
    return false;
  };

  auto start = copy();
  Frm->AngleHsb->Scroll(scPosition, 90);
  EXPECT_FLOAT_EQ(g.Angle, 90);
  EXPECT_TRUE(differs(*start, *g.Picture())) << "turned, and drawn";

  Frm->CamShapeHsb->Scroll(scPosition, 0);
  EXPECT_FLOAT_EQ(g.NoseRadius, 0.1f);
  Frm->CamShapeHsb->Scroll(scLineDown, 0);
  EXPECT_FLOAT_EQ(g.NoseRadius, 0.1018f);

  // Every shape's name fits the box that shows it, clear of its drop-down button: the text is
  // drawn 4 pixels in from each side of the edit's rectangle.
  {
    auto* box = dynamic_cast<TTBXEditItemViewer*>(Frm->Cam2DToolbar->View()->Find(Frm->CamGraphCB));
    ASSERT_NE(box, nullptr);
    TBitmap probe(1, 1);
    probe.Canvas().Font().Assign(Frm->Cam2DToolbar->View()->GetFont());
    for (const std::string& shape : Frm->CamGraphCB->Strings())
      EXPECT_LE(probe.Canvas().TextWidth(shape), box->GetEditControlRect().Width() - 8) << shape;
  }

  // A pick in the read-only list through the toolbar's own loop.
  auto pick = [&](Integer i) {
    TTBView* view = Frm->Cam2DToolbar->View();
    TTBItemViewer* v = view->Find(Frm->CamGraphCB);
    ASSERT_NE(v, nullptr);
    TPoint p = ScreenCentre(v);
    auto list = [view]() -> TTBXCustomListViewer* {
      TTBView* open = view->OpenViewerView();
      return open && open->ViewerCount() > 0 ? dynamic_cast<TTBXCustomListViewer*>(open->Viewers(0)) : nullptr;
    };
    TPoint entry;
    modal::InMessageLoop([&] {
      TScript script;
      script.Do([p] { SimulateMouse(TInputKind::MouseUp, p); });
      script.WaitFor([&] { return list() != nullptr; }, "the list opens");
      script.Do([&] {
        TTBXCustomListViewer* l = list();
        const TRect& r = l->BoundsRect;
        entry = l->View()->Window()->ClientToScreen({r.Left + 10, r.Top + l->ItemHeight() * i + l->ItemHeight() / 2});
        SimulateMouse(TInputKind::MouseMove, entry);
      });
      script.Do([&] { SimulateMouse(TInputKind::MouseDown, entry); });
      script.Do([&] { SimulateMouse(TInputKind::MouseUp, entry); });
      script.Running = [view] { return view->InModalLoop; };
      script.Abort = [view] { view->EndModal(); };
      script.Start();
      SimulateMouse(TInputKind::MouseDown, p);
      EXPECT_TRUE(PumpUntil([&] { return script.Finished() && !view->InModalLoop; }, 8000));
      PumpUntil([] { return PendingClickCount() == 0; }, 1000);
      Pump();
    });
  };
  auto pear = copy();
  pick(1);
  EXPECT_EQ(Frm->CamGraphCB->ItemIndex(), 1);
  EXPECT_EQ(g.Shape, 1);
  // The shape bar shapes the cam picked, as it shows.
  EXPECT_FLOAT_EQ(g.Eccentricity, 0.1f - 49 * 0.002f);
  EXPECT_TRUE(differs(*pear, *g.Picture())) << "drawn at once while stopped";
  SaveWindowPicture(*Frm, "controls-cam-panel.png");

  // While the cam turns, the next tick draws the new shape.
  Frm->CamStartBtnClick(Frm->CamStartBtn);
  Frm->Cadencer->SetEnabled(false);   // the tick is held back, to see what the pick alone does
  Frm->Stopped = false;
  auto round = copy();
  pick(2);
  EXPECT_EQ(g.Shape, 2);
  EXPECT_FLOAT_EQ(g.HeartBase, 0.001f + 0.1f);
  EXPECT_FALSE(differs(*round, *g.Picture())) << "left to the next tick";
  Frm->CadencerProgress(nullptr, 0.01, 0.01);
  EXPECT_TRUE(differs(*round, *g.Picture()));
  Frm->CamStopBtnClick(Frm->CamStopBtn);
  Frm->Stopped = true;
  pick(0);
  EXPECT_EQ(g.Shape, 0);
}

TEST_F(Controls, TheCamTurnsOnFromTheAngleItShows)
{
  Frm->TopicRates[40] = 100;
  Frm->TopicRates[1] = 100;
  // Another topic's motion does not carry over to the cam.
  Show(1);
  Frm->CadencerProgress(nullptr, 2.5, 2.5);
  ASSERT_FLOAT_EQ(Frm->Phase, 250);
  Show(40);
  TCamGraph& g = *Frm->CamDiagram;
  const Single shown = g.Angle;
  Frm->CadencerProgress(nullptr, 0.1, 0.1);
  EXPECT_FLOAT_EQ(g.Angle, shown + 10);
  EXPECT_EQ(Frm->AngleHsb->Position(), SafeTrunc(shown + 10));

  // Nor does the clock snap back from where the user turned the cam by hand.
  Frm->AngleHsb->Scroll(scPosition, 200);
  EXPECT_FLOAT_EQ(g.Angle, 200);
  Frm->CadencerProgress(nullptr, 0.1, 0.1);
  EXPECT_FLOAT_EQ(g.Angle, 210);
  EXPECT_EQ(Frm->AngleHsb->Position(), 210);
}

// ---------------------------------------------------------------------------------------
// The 3D view's mouse

TEST_F(Controls, LeftDragTurnsTheCameraAboutTheTarget)
{
  Show(1);
  TControl* view = Frm->GLViewer;
  TPoint p0 = Centre(view);
  struct TDrag {
    Integer Dx, Dy;
  };
  for (TDrag d : {TDrag{30, -12}, TDrag{-7, 25}}) {
    SCOPED_TRACE(d.Dx);
    TVector pos = Frm->GLCamera->Position.AsVector(), dir = Frm->GLCamera->Direction.AsVector(),
            up = Frm->GLCamera->Up.AsVector();
    SimulateMouse(TInputKind::MouseDown, p0, mbLeft);
    // In two steps: each step turns by what the pointer moved since the last.
    SimulateMouse(TInputKind::MouseMove, {p0.X + d.Dx / 2, p0.Y + d.Dy / 2}, mbLeft, ssLeft);
    SimulateMouse(TInputKind::MouseMove, {p0.X + d.Dx, p0.Y + d.Dy}, mbLeft, ssLeft);
    SimulateMouse(TInputKind::MouseUp, {p0.X + d.Dx, p0.Y + d.Dy}, mbLeft);
    Pump();
    TVector dragged = Frm->GLCamera->Position.AsVector();
    // The same turn made directly.
    Frm->GLCamera->Position.SetAsVector(pos);
    Frm->GLCamera->Direction.SetAsVector(dir);
    Frm->GLCamera->Up.SetAsVector(up);
    Frm->GLCamera->MoveAroundTarget(Single(-d.Dy / 2), Single(-d.Dx / 2));
    Frm->GLCamera->MoveAroundTarget(Single(-(d.Dy - d.Dy / 2)), Single(-(d.Dx - d.Dx / 2)));
    TVector direct = Frm->GLCamera->Position.AsVector();
    Single moved = 0;
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(dragged[k], direct[k], 1e-4) << k;
      moved += std::fabs(dragged[k] - pos[k]);
    }
    EXPECT_GT(moved, 0.01f);
  }
  // A click gives the view the keyboard focus (where the display gives any: it may take a
  // moment to hand the window the focus).
  Frm->Activate();
  for (int i = 0; i < 50 && !Frm->TwoCogChk->Focused(); ++i) {
    Application->ProcessMessages();
    Frm->TwoCogChk->SetFocus();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (Frm->TwoCogChk->Focused()) {
    ASSERT_FALSE(Frm->GLViewer->Focused());
    ClickAt(p0);
    EXPECT_TRUE(Frm->GLViewer->Focused());
  }
  // The pan stays where it was.
  TViewPoint vp = GetViewPoint(1, 0);
  EXPECT_FLOAT_EQ(Frm->SceneBase->Position.X, vp.SceneBase[0]);
}

TEST_F(Controls, RightDragPansAtAHundredPixelsAUnitAndGoesOnFromThePan)
{
  Show(8);
  TControl* view = Frm->GLViewer;
  TPoint p0 = Centre(view);
  const Single x0 = Frm->SceneBase->Position.X, y0 = Frm->SceneBase->Position.Y;
  TVector camera = Frm->GLCamera->Position.AsVector();
  SimulateMouse(TInputKind::MouseDown, p0, mbRight);
  SimulateMouse(TInputKind::MouseMove, {p0.X + 50, p0.Y + 20}, mbRight, ssRight);
  SimulateMouse(TInputKind::MouseUp, {p0.X + 50, p0.Y + 20}, mbRight);
  Pump();
  EXPECT_NEAR(Frm->SceneBase->Position.X, x0 + 0.5f, 1e-4);
  EXPECT_NEAR(Frm->SceneBase->Position.Y, y0 - 0.2f, 1e-4);
  // A second drag, from elsewhere, moves on from the panned place.
  TPoint p1{p0.X - 40, p0.Y - 30};
  SimulateMouse(TInputKind::MouseDown, p1, mbRight);
  SimulateMouse(TInputKind::MouseMove, {p1.X - 10, p1.Y + 40}, mbRight, ssRight);
  SimulateMouse(TInputKind::MouseUp, {p1.X - 10, p1.Y + 40}, mbRight);
  Pump();
  EXPECT_NEAR(Frm->SceneBase->Position.X, x0 + 0.4f, 1e-3);
  EXPECT_NEAR(Frm->SceneBase->Position.Y, y0 - 0.6f, 1e-3);
  // Panning moves the model, not the camera.
  for (int k = 0; k < 3; ++k)
    EXPECT_FLOAT_EQ(Frm->GLCamera->Position.AsVector()[k], camera[k]);
}

TEST_F(Controls, WheelAndZoomButtonsChangeTheDistanceByFivePerCent)
{
  Show(1);
  Single d0 = CameraDistance();
  SimulateMouse(TInputKind::MouseWheel, Centre(Frm->GLViewer));
  Pump();
  EXPECT_NEAR(CameraDistance() / d0, 1.05, 1e-4) << "a notch away from the user moves the camera farther";
  Single d1 = CameraDistance();
  bool handled = false;
  Frm->GLViewerMouseWheel(Frm->GLViewer, 0, -240, {}, handled);
  EXPECT_TRUE(handled);
  EXPECT_NEAR(CameraDistance() / d1, std::pow(1.05, -2), 1e-4);

  Single d2 = CameraDistance();
  ClickItem(Frm->MainToolbar, Frm->ZoomInBtn);
  EXPECT_NEAR(CameraDistance() / d2, std::pow(1.05, -3), 1e-4);
  ClickItem(Frm->MainToolbar, Frm->ZoomInBtn);
  ClickItem(Frm->MainToolbar, Frm->ZoomInBtn);
  EXPECT_NEAR(CameraDistance() / d2, std::pow(1.05, -9), 1e-4);
  ClickItem(Frm->MainToolbar, Frm->ZoomOutBtn);
  EXPECT_NEAR(CameraDistance() / d2, std::pow(1.05, -6), 1e-4);
  ClickItem(Frm->MainToolbar, Frm->ZoomOutBtn);
  ClickItem(Frm->MainToolbar, Frm->ZoomOutBtn);
  EXPECT_NEAR(CameraDistance(), d2, 1e-4 * d2);
}

TEST_F(Controls, ResetViewPointUndoesTurnPanAndZoom)
{
  for (auto [topic, example] : {std::pair{9, 0}, std::pair{26, 1}}) {
    SCOPED_TRACE(topic);
    Show(topic);
    if (example)
      ClickItem(Frm->LeverToolbar, Frm->LeverBtn2);
    TPoint p0 = Centre(Frm->GLViewer);
    SimulateMouse(TInputKind::MouseDown, p0, mbLeft);
    SimulateMouse(TInputKind::MouseMove, {p0.X + 40, p0.Y + 15}, mbLeft, ssLeft);
    SimulateMouse(TInputKind::MouseUp, {p0.X + 40, p0.Y + 15}, mbLeft);
    SimulateMouse(TInputKind::MouseDown, p0, mbRight);
    SimulateMouse(TInputKind::MouseMove, {p0.X - 30, p0.Y + 10}, mbRight, ssRight);
    SimulateMouse(TInputKind::MouseUp, {p0.X - 30, p0.Y + 10}, mbRight);
    SimulateMouse(TInputKind::MouseWheel, p0);
    Pump();
    TViewPoint vp = GetViewPoint(topic, example);
    ASSERT_GT(std::fabs(Frm->SceneBase->Position.X - vp.SceneBase[0]), 0.1f);
    ASSERT_LT(Frm->GLCamera->Up.Y, 0.999f);   // the drag's pitch tipped the camera
    Frm->Resetviewpoint1->Click();
    for (int k = 0; k < 3; ++k) {
      EXPECT_FLOAT_EQ(Frm->GLCamera->Position.AsVector()[k], vp.Camera[k]) << k;
      EXPECT_FLOAT_EQ(Frm->SceneBase->Position.AsVector()[k], vp.SceneBase[k]) << k;
      EXPECT_FLOAT_EQ(Frm->GLCamera->Up.AsVector()[k], k == 1 ? 1.0f : 0.0f) << k;
    }
  }
  // A turned view does not carry over to the next topic either.
  TPoint p0 = Centre(Frm->GLViewer);
  SimulateMouse(TInputKind::MouseDown, p0, mbLeft);
  SimulateMouse(TInputKind::MouseMove, {p0.X, p0.Y + 30}, mbLeft, ssLeft);
  SimulateMouse(TInputKind::MouseUp, {p0.X, p0.Y + 30}, mbLeft);
  ASSERT_LT(Frm->GLCamera->Up.Y, 0.999f);
  Show(1);
  EXPECT_FLOAT_EQ(Frm->GLCamera->Up.Y, 1.0f);
}

// ---------------------------------------------------------------------------------------
// The View menu

TEST_F(Controls, BackgroundColoursRecolourMarkersOneAndTwoLevelsDown)
{
  Show(1);
  Frm->CogUpDn[0]->SetPosition(25);
  ClickUp(Frm->CogUpDn[0]);   // a fresh model
  // A marker line nested one level deeper than the scene's own.
  std::vector<std::pair<TLines*, Integer>> lines;
  CollectLines(Frm->SceneBase, 0, lines);
  TGLBaseSceneObject* host = nullptr;
  for (auto [l, depth] : lines)
    if (depth == 2)
      host = l->GetParent();
  ASSERT_NE(host, nullptr) << "the gears' arrows sit in groups";
  auto* deepGroup = host->AddChild(std::make_unique<TDummyCube>());
  auto* deep = deepGroup->AddChild(NewMarkerLines(TVector{1, 0, 0, 1}));
  TLines* shallow = Frm->SceneBase->AddChild(NewMarkerLines(TVector{0, 1, 0, 1}));

  struct TRow {
    TTBXItem* K::*Item;
    TVector Marker;
    TColor Background;
  };
  for (TRow r : {TRow{&K::White1, {0, 0, 0, 1}, clWhite}, TRow{&K::Black1, {1, 1, 1, 1}, clBlack}}) {
    (Frm->*r.Item)->Click();
    EXPECT_EQ(Frm->SceneViewer->GetBuffer()->GetBackgroundColor(), r.Background);
    for (int k = 0; k < 4; ++k)
      EXPECT_FLOAT_EQ(Frm->MarkerColour[k], r.Marker[k]);
    lines.clear();
    CollectLines(Frm->SceneBase, 0, lines);
    Integer recoloured = 0;
    for (auto [l, depth] : lines)
      if (depth == 2) {
        ++recoloured;
        EXPECT_EQ(l->LineColor.GetColor(), r.Marker);
      }
    EXPECT_GT(recoloured, 1);
    EXPECT_EQ(deep->LineColor.GetColor(), (TVector{1, 0, 0, 1})) << "three levels down keeps its colour";
    EXPECT_EQ(shallow->LineColor.GetColor(), r.Marker) << "one level down";
    // The opener checks the colour shown.
    Frm->Backgroundcolor1Click(Frm->Backgroundcolor1, false);
    EXPECT_EQ(Frm->Black1->Checked(), r.Background == clBlack);
    EXPECT_EQ(Frm->White1->Checked(), r.Background == clWhite);
    EXPECT_FALSE(Frm->Other1->Checked());
  }
  // Arrows built later take the colour too.
  Frm->White1->Click();
  ClickDown(Frm->CogUpDn[0]);
  lines.clear();
  CollectLines(Frm->SceneBase, 0, lines);
  ASSERT_FALSE(lines.empty());
  for (auto [l, depth] : lines)
    EXPECT_EQ(l->LineColor.GetColor(), (TVector{0, 0, 0, 1}));
  // Neither black nor white: "Other.." is the one checked.
  Frm->SceneViewer->GetBuffer()->SetBackgroundColor(clNavy);
  Frm->Backgroundcolor1Click(Frm->Backgroundcolor1, false);
  EXPECT_TRUE(Frm->Other1->Checked());
  EXPECT_FALSE(Frm->Black1->Checked());
  EXPECT_FALSE(Frm->White1->Checked());
  // "Other..": the dialog's colour on OK, nothing on Cancel; the markers keep theirs.
  for (bool ok : {false, true}) {
    SetDialogAnswerer([ok](TCommonDialog& d) {
      if (auto* c = dynamic_cast<TColorDialog*>(&d))
        c->Color = clTeal;
      return ok;
    });
    Frm->Other1->Click();
    SetDialogAnswerer({});
    EXPECT_EQ(Frm->SceneViewer->GetBuffer()->GetBackgroundColor(), ok ? clTeal : clNavy);
    EXPECT_EQ(Frm->MarkerColour, (TVector{0, 0, 0, 1}));
  }
  Frm->Black1->Click();
}

TEST_F(Controls, TextBackgroundItemsSetAndCheckThePagesBackground)
{
  struct TRow {
    TTBXItem* K::*Item;
    TColor Colour;
  };
  const TRow rows[] = {{&K::PaleBlue1, 0xFFEAD9}, {&K::PaleYellow1, 0xE0FFFF}, {&K::WhiteBgnd1, 0xFFFFFF}};
  for (const TRow& r : rows) {
    SCOPED_TRACE(r.Colour);
    (Frm->*r.Item)->Click();
    EXPECT_EQ(Frm->Viewer->DefBackground(), r.Colour);
    Frm->Textbackgroundcolour1Click(Frm->Textbackgroundcolour1, false);
    for (const TRow& o : rows)
      EXPECT_EQ((Frm->*o.Item)->Checked(), o.Item == r.Item) << (Frm->*o.Item)->Caption();
  }
  // Any other colour counts as white.
  Frm->Viewer->SetDefBackground(clSilver);
  Frm->Textbackgroundcolour1Click(Frm->Textbackgroundcolour1, false);
  EXPECT_TRUE(Frm->WhiteBgnd1->Checked());
  EXPECT_FALSE(Frm->PaleBlue1->Checked());
  Frm->WhiteBgnd1->Click();
}

TEST_F(Controls, ViewItemsForTheModelOnlyWhileItShowsAndShowAxesToggles)
{
  Show(40);
  Frm->View1Click(Frm->View1, false);
  for (TTBXCustomItem* i :
       std::initializer_list<TTBXCustomItem*>{Frm->Backgroundcolor1, Frm->Showaxes1, Frm->Resetviewpoint1})
    EXPECT_FALSE(i->Enabled()) << i->Caption();
  EXPECT_TRUE(Frm->Textbackgroundcolour1->Enabled());
  Show(1);
  Frm->View1Click(Frm->View1, false);
  for (TTBXCustomItem* i :
       std::initializer_list<TTBXCustomItem*>{Frm->Backgroundcolor1, Frm->Showaxes1, Frm->Resetviewpoint1})
    EXPECT_TRUE(i->Enabled()) << i->Caption();

  ASSERT_FALSE(Frm->Showaxes1->Checked());
  Frm->Showaxes1->Click();
  EXPECT_TRUE(Frm->Showaxes1->Checked());
  EXPECT_TRUE(Frm->SceneBase->GetShowAxes());
  Frm->Showaxes1->Click();
  EXPECT_FALSE(Frm->Showaxes1->Checked());
  EXPECT_FALSE(Frm->SceneBase->GetShowAxes());
}

// ---------------------------------------------------------------------------------------
// Pictures, to be looked at

TEST_F(Controls, PicturesOfControlPages)
{
  Show(1);
  Frm->Resetviewpoint1->Click();
  ClickUp(Frm->CogUpDn[1]);
  SaveWindowPicture(*Frm, "controls-gear-teeth.png");
  Show(13);
  Frm->Resetviewpoint1->Click();
  Pick(Frm->CamCB, 0);
  SaveWindowPicture(*Frm, "controls-cam.png");
  Show(39);
  Frm->Resetviewpoint1->Click();
  Frm->PlaneAngleHsb->Scroll(scPosition, 30);
  SaveWindowPicture(*Frm, "controls-inclined-plane.png");
  EXPECT_TRUE(Messages->Texts.empty());
}

// On an 800-pixel screen the left pane is 390 pixels wide: every topic's page of controls is
// whole there. A page's check box moves left to show its whole caption where the row has room
// for it, never onto the page's other controls; where it has none the box takes a row of its
// own and the page control grows to hold it while that page shows. On a wide pane the boxes
// stay where they were put, on one row.
TEST_F(Controls, EveryTopicsPageIsWholeInANarrowPane)
{
  const Integer wide = Frm->LeftPanel->Width();
  const Integer oneRow = Frm->ToolPC->Height();
  auto paneWidth = [](Integer w) {
    Frm->LeftPanel->SetWidth(w);
    Frm->Splitter->MoveTo(w);
  };
  paneWidth(390);
  TBitmap probe(1, 1);
  // What a control covers of its page; a check box by its box and caption.
  auto covered = [&](TControl* c) {
    TRect r = c->BoundsRect();
    if (auto* box = dynamic_cast<TCheckBox*>(c)) {
      probe.Canvas().Font().Assign(box->Font());
      r.Right = r.Left + 17 + probe.Canvas().TextWidth(box->Caption());
    } else if (auto* label = dynamic_cast<TLabel*>(c)) {
      probe.Canvas().Font().Assign(label->Font());
      r.Right = std::max(r.Right, r.Left + probe.Canvas().TextWidth(label->Caption()));
    }
    return r;
  };
  auto overlap = [](const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
  };
  std::set<TTabSheet*> seen;
  for (const TTopicRow& row : TopicRows()) {
    if (row.View != TTopicView::Model)
      continue;
    SCOPED_TRACE(row.Id);
    Show(row.Id);
    TTabSheet* page = Frm->ToolPC->ActivePage();
    ASSERT_NE(page, nullptr);
    seen.insert(page);
    std::vector<TControl*> shown;
    for (int i = 0; i < page->ControlCount(); ++i)
      if (page->Controls(i)->Visible())
        shown.push_back(page->Controls(i));
    for (size_t i = 0; i < shown.size(); ++i) {
      const TRect r = covered(shown[i]);
      EXPECT_GE(r.Left, 0) << shown[i]->Name();
      EXPECT_LE(r.Right, page->ClientWidth()) << shown[i]->Name() << " is cut at the pane's edge";
      EXPECT_LE(r.Bottom, page->ClientHeight()) << shown[i]->Name() << " is cut at the page's foot";
      for (size_t j = 0; j < i; ++j)
        EXPECT_FALSE(overlap(r, covered(shown[j]))) << shown[i]->Name() << " lies on " << shown[j]->Name();
    }
    // The page control is two rows high only for a page whose box took a row of its own.
    TCheckBox* box = Frm->PageMarkerBoxes[size_t(row.Page)];
    EXPECT_EQ(Frm->ToolPC->Height() > oneRow, box && box->Top() > 6) << page->Name();
  }
  EXPECT_GE(seen.size(), 15u);
  // The hoist's and the windlass's load labels are whole at their longest too.
  Show(9);
  Frm->HoistUpDn->SetPosition(3);
  ClickUp(Frm->HoistUpDn);
  Show(21);
  Frm->HandRadHsb->Scroll(scBottom, 0);
  EXPECT_EQ(Frm->HoistLoadLabel->Caption(), "Effort = 100N     Load = 400N");
  EXPECT_EQ(Frm->LoadLabel->Caption(), "Load = 16.00");
  for (TLabel* label : {Frm->HoistLoadLabel, Frm->LoadLabel})
    EXPECT_LE(covered(label).Right, label->Parent()->ClientWidth()) << label->Caption() << " is cut at the pane's edge";
  // The belt and cam pages have no room beside their controls at this width.
  Show(5);
  EXPECT_GT(Frm->VPChk->Top(), 6);
  EXPECT_GT(Frm->ToolPC->Height(), oneRow);
  // A page with room for its box brings the page control back to one row.
  Show(1);
  EXPECT_EQ(Frm->ToolPC->Height(), oneRow);
  EXPECT_EQ(Frm->TwoCogChk->Top(), 6);
  paneWidth(700);
  Show(5);
  EXPECT_EQ(Frm->ToolPC->Height(), oneRow);
  for (const auto& [box, left] : Frm->PageCheckBoxes) {
    EXPECT_EQ(box->Left(), left) << box->Name();
    EXPECT_EQ(box->Top(), 6) << box->Name();
  }
  paneWidth(wide);
}
