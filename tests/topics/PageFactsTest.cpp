// What a topic's page says about its model, checked against the model the program builds:
// its tooth counts, radii, pitches, starting control values and the travel its animation
// gives. Each fact names the page, the words around the numbers (each "#" one number, as the
// page writes it) and where the model's values come from, so neither side can change alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <cctype>
#include <functional>
#include <set>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "engine/Base/VectorGeometry.h"
#include "engine/GLScene.h"
#include "engine/GLStandardScene.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "parts/RatchetParts.h"
#include "parts/RopeParts.h"
#include "platform/Files.h"
#include "topics/Cams.h"
#include "topics/GearCogs.h"
#include "topics/Screws.h"
#include "topics/Sliders.h"
#include "topics/TopicTable.h"
#include "tests/topics/TurnAngle.h"
#include "topics/Weston.h"

namespace {

const std::string PageDir =
    std::filesystem::path(ORRELO_TEST_DATA).parent_path().parent_path().string() + "/content/HTML/";

// The page's words as a reader sees them: tags dropped, the entities the pages use written
// out in plain characters, runs of blanks made one.
std::string PageText(const std::string& page)
{
  const std::vector<uint8_t> bytes = ReadFileBytes(PageDir + page, size_t(1) << 20);
  const std::string html(bytes.begin(), bytes.end());
  static const std::map<std::string, std::string> entities = {{"nbsp", " "},   {"minus", "-"},  {"times", "x"},
                                                              {"divide", "/"}, {"deg", " deg"}, {"pi", "pi"},
                                                              {"asymp", "~"},  {"rarr", "->"},  {"amp", "&"},
                                                              {"lt", "<"},     {"gt", ">"}};
  std::string text;
  for (size_t i = 0; i < html.size(); ++i) {
    const char c = html[i];
    if (c == '<') {
      const size_t end = html.find('>', i);
      if (end == std::string::npos)
        break;
      // A tag inside a line of text (bold, a link) joins its words; one that ends a block
      // separates them.
      std::string name;
      for (size_t k = i + 1;
           k < end && (std::isalnum(static_cast<unsigned char>(html[k])) || (k == i + 1 && html[k] == '/')); ++k)
        if (html[k] != '/')
          name += char(std::tolower(static_cast<unsigned char>(html[k])));
      static const std::set<std::string> inline_ = {"b", "i", "a", "font", "span", "sub", "sup", "em", "strong"};
      if (!inline_.count(name))
        text += ' ';
      i = end;
    } else if (c == '&') {
      const size_t end = html.find(';', i);
      const auto e = end == std::string::npos ? entities.end() : entities.find(html.substr(i + 1, end - i - 1));
      if (e == entities.end()) {
        text += c;
      } else {
        text += e->second;
        i = end;
      }
    } else {
      text += (c == '\r' || c == '\n' || c == '\t') ? ' ' : c;
    }
  }
  std::string out;
  for (char c : text)
    if (c != ' ' || (!out.empty() && out.back() != ' '))
      out += c;
  return out;
}

// A topic's scene built with its starting controls (or the given ones) and posed at a phase.
struct TBuiltTopic {
  std::unique_ptr<TDummyCube> Base = std::make_unique<TDummyCube>(nullptr);
  TGLMaterialLibrary Lib;
  const TTopicEntry* Entry;
  TTopicControls Controls;

  explicit TBuiltTopic(Integer id, const std::function<void(TTopicControls&)>& change = {}) : Entry(FindTopic(id))
  {
    FillStandardMaterials(Lib);
    if (!Entry)
      throw std::runtime_error("no topic " + std::to_string(id));
    Controls = Entry->DefaultControls ? Entry->DefaultControls() : TTopicControls{};
    if (change)
      change(Controls);
    Entry->Build(Base.get(), &Lib, Controls);
  }
  void Pose(Single phase) { Entry->Animate(Base.get(), Controls, phase); }
};

TTopicControls StartControls(Integer id)
{
  const TTopicEntry* e = FindTopic(id);
  return e && e->DefaultControls ? e->DefaultControls() : TTopicControls{};
}

// Every object of class T below root, depth first.
template <class T>
void Collect(const TGLBaseSceneObject* root, std::vector<const T*>& out)
{
  for (Integer i = 0; i < root->GetCount(); ++i) {
    const TGLBaseSceneObject* child = root->GetChild(i);
    if (const T* t = dynamic_cast<const T*>(child))
      out.push_back(t);
    Collect(child, out);
  }
}

template <class T>
std::vector<const T*> All(const TGLBaseSceneObject* root)
{
  std::vector<const T*> out;
  Collect(root, out);
  return out;
}

// The tooth counts of the gears of a scene, in the order they were built.
std::vector<double> CogTeeth(const TGLBaseSceneObject* root)
{
  std::vector<double> teeth;
  for (const TCog* c : All<TCog>(root))
    teeth.push_back(c->Teeth);
  return teeth;
}

// Where obj's origin lies in the scene.
TAffineVector Place(const TGLBaseSceneObject* obj)
{
  return VectorTransform(AffineVectorMake(0, 0, 0), obj->AbsoluteMatrix());
}

// The turns of `driven` for one turn of `driver`, from a small step of the phase.
double TurnsPerTurn(TBuiltTopic& t, const TGLBaseSceneObject* driver, const TGLBaseSceneObject* driven, Single step)
{
  t.Pose(0);
  const TMatrix d0 = driver->AbsoluteMatrix(), n0 = driven->AbsoluteMatrix();
  t.Pose(step);
  return TurnedBy(n0, driven->AbsoluteMatrix()) / TurnedBy(d0, driver->AbsoluteMatrix());
}

using TValues = std::vector<double>;

struct TFact {
  const char* Page;
  const char* Words;   // "#" for each number, in the page's order
  std::function<TValues()> Model;
};

// For words without numbers ("watch the follower..."): no values when the model bears them
// out, one it cannot match when it does not.
TValues Holds(bool modelAgrees) { return modelAgrees ? TValues{} : TValues{NAN}; }

// A number stands for any value that rounds to it at the precision it is written with.
double Precision(const std::string& written)
{
  const size_t dot = written.find('.');
  const size_t decimals = dot == std::string::npos ? 0 : written.size() - dot - 1;
  return 0.5 * std::pow(10.0, -double(decimals)) + 1e-9;
}

std::string Pattern(const std::string& words)
{
  std::string re;
  for (char c : words) {
    if (c == '#')
      re += "(-?[0-9]+(?:\\.[0-9]+)?)";
    else if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
      re += std::string("\\") + c;
    else
      re += c;
  }
  return re;
}

// --- the scissors jack: its platform and its nuts through the stroke -------------------------

Single JackPlatformY(Single phase)
{
  TBuiltTopic jack(19);
  jack.Pose(phase);
  return Place(jack.Base->GetChild(1))[1];
}

Single JackNutX(Single turns) { return ScrewJackPose(turns * 360).NutX; }

// The hoist's velocity ratio with this many sheaves: the rope pulled over the load's rise
// (the phase is the pulled length times 100).
double HoistVelocityRatio(Integer sheaves)
{
  TBuiltTopic t(9, [&](TTopicControls& c) { c.HoistWheels = sheaves; });
  t.Pose(0);
  const double y0 = Place(t.Base->GetChild(2))[1];
  t.Pose(100);
  return 1.0 / (Place(t.Base->GetChild(2))[1] - y0);
}

// The differential pulley's two sheave radii, large then small, as its chain is laid on them.
TValues WestonSheaves()
{
  TBuiltTopic t(12);
  const TWestonRope* r = All<TWestonRope>(t.Base.get()).at(0);
  return {r->LargeRadius, r->SmallRadius};
}

// The degrees of each turn in which the pear cam's follower stays still, with the nose it
// starts with (0 when it never rises).
double PearCamDwell()
{
  TBuiltTopic t(14);
  const TGLBaseSceneObject* follower = t.Base->GetChild(1);
  // Hundredths of a degree: the follower leaves the base circle along a tangent, so a coarse
  // step or a loose tolerance would count some of the rise as dwell.
  std::vector<double> y;
  for (int step = 0; step < 36000; ++step) {
    t.Pose(Single(step * 0.01));
    y.push_back(Place(follower)[1]);
  }
  const double low = *std::min_element(y.begin(), y.end()), high = *std::max_element(y.begin(), y.end());
  if (high - low < 0.01)
    return 0;
  return 0.01 * double(std::count_if(y.begin(), y.end(), [&](double v) { return v < low + 1e-6; }));
}

const TFact Facts[] = {
    // Gears.
    {"BevelGear.htm", "A large bevel gear of # teeth drives a small pinion of # teeth",
     [] {
       TBuiltTopic t(4);
       return TValues{double(All<TBevelCog>(t.Base.get()).at(0)->Teeth),
                      double(All<TBevelCogEx>(t.Base.get()).at(0)->Teeth)};
     }},
    {"BevelGear.htm", "Gear ratio = # / # = #: the pinion turns # times for each turn of the large gear",
     [] {
       TBuiltTopic t(4);
       const TBevelCog* wheel = All<TBevelCog>(t.Base.get()).at(0);
       const TBevelCogEx* pinion = All<TBevelCogEx>(t.Base.get()).at(0);
       const double turns = TurnsPerTurn(t, wheel, pinion, 10);
       return TValues{double(pinion->Teeth), double(wheel->Teeth), 1 / turns, turns};
     }},
    {"MitreGear.htm", "Two mitre gears of # teeth each",
     [] {
       TBuiltTopic t(10);
       auto g = All<TBevelCogEx>(t.Base.get());
       return g.size() == 2 && g[0]->Teeth == g[1]->Teeth ? TValues{double(g[0]->Teeth)} : TValues{};
     }},
    {"MitreGear.htm", "Gear ratio = # / # = 1",
     [] {
       TBuiltTopic t(10);
       auto g = All<TBevelCogEx>(t.Base.get());
       return TValues{double(g.at(0)->Teeth), double(g.at(1)->Teeth)};
     }},
    {"TwoCog.htm", "both start with #",
     [] {
       TBuiltTopic t(1);
       auto teeth = CogTeeth(t.Base.get());
       return teeth.size() == 2 && teeth[0] == teeth[1] ? TValues{teeth[0]} : TValues{};
     }},
    {"ThreeCog.htm", "they start at #, # and #",
     [] {
       TBuiltTopic t(2);
       return CogTeeth(t.Base.get());
     }},
    {"CompGear.htm", "they start at #, #, # and #",
     [] {
       TBuiltTopic t(3);
       return CogTeeth(t.Base.get());
     }},
    {"Helical.htm", "both start at #",
     [] {
       TBuiltTopic t(38);
       auto g = All<THelicalGear>(t.Base.get());
       return g.size() == 2 && g[0]->Teeth == g[1]->Teeth ? TValues{double(g[0]->Teeth)} : TValues{};
     }},
    {"Rack_Pinion.htm", "Use the control to set the pinion's teeth (it starts at #)",
     [] {
       TBuiltTopic t(35);
       return TValues{CogTeeth(t.Base.get()).at(0)};
     }},
    {"Rack_Pinion.htm", "The pinion has # teeth, so in one turn # of the rack's teeth pass it",
     [] {
       TBuiltTopic t(35);
       const double pitch = All<TRackGear>(t.Base.get()).at(0)->Pitch;
       const TGLBaseSceneObject* rack = t.Base->GetChild(0);
       t.Pose(0);
       const double x0 = rack->Position.X;
       t.Pose(360);
       return TValues{CogTeeth(t.Base.get()).at(0), std::fabs(rack->Position.X - x0) / pitch};
     }},
    {"Worm.htm", "The control sets the wheel's teeth (it starts at #)",
     [] {
       TBuiltTopic t(36);
       return TValues{double(All<TWormWheel>(t.Base.get()).at(0)->Teeth)};
     }},
    {"Worm.htm", "The wormwheel has # teeth, so the velocity ratio is #:1",
     [] {
       TBuiltTopic t(36);
       const TWormWheel* wheel = All<TWormWheel>(t.Base.get()).at(0);
       const TWorm* worm = All<TWorm>(t.Base.get()).at(0);
       return TValues{double(wheel->Teeth), 1 / TurnsPerTurn(t, worm, wheel, 90)};
     }},
    {"Ratchet.htm", "A ratchet wheel of # teeth",
     [] {
       TBuiltTopic t(37);
       return TValues{double(All<TRatchet>(t.Base.get()).at(0)->Teeth)};
     }},
    {"Ratchet.htm", "The wheel has # teeth",
     [] {
       TBuiltTopic t(37);
       return TValues{double(All<TRatchet>(t.Base.get()).at(0)->Teeth)};
     }},

    // Sprockets and chain.
    {"Chain.htm", "the left one starts with # teeth and the right one with #",
     [] {
       const TTopicControls c = StartControls(8);
       TBuiltTopic t(8);
       std::vector<double> built;
       for (const TSprocket* s : All<TSprocket>(t.Base.get()))
         built.push_back(s->Teeth);
       std::sort(built.begin(), built.end());
       std::vector<double> wanted = {double(c.Chain[0]), double(c.Chain[1])};
       std::sort(wanted.begin(), wanted.end());
       return built == wanted ? TValues{double(c.Chain[0]), double(c.Chain[1])} : TValues{};
     }},
    {"Chain.htm", "Ratio = # / # = #, so the small sprocket turns twice",
     [] {
       TBuiltTopic t(8);
       auto s = All<TSprocket>(t.Base.get());
       std::sort(s.begin(), s.end(), [](const TSprocket* a, const TSprocket* b) { return a->Teeth < b->Teeth; });
       // Large drives small: the small one's turns for one of the large one's, upside down.
       return TValues{double(s.at(0)->Teeth), double(s.at(1)->Teeth), 1 / TurnsPerTurn(t, s.at(1), s.at(0), 10)};
     }},
    {"Derailleur.htm", "A #-tooth chain wheel with pedals drives a cluster of three rear sprockets of #, # and # teeth",
     [] {
       TBuiltTopic t(34);
       TValues v;
       std::vector<double> rear;
       for (const TSprocket* s : All<TSprocket>(t.Base.get()))
         if (dynamic_cast<const TChainWheel*>(s))
           v.push_back(s->Teeth);
         else
           rear.push_back(s->Teeth);
       // The two smallest are the cage's jockey wheels.
       std::sort(rear.begin(), rear.end());
       rear.erase(std::unique(rear.begin(), rear.end()), rear.end());
       if (rear.size() >= 3)
         v.insert(v.end(), rear.end() - 3, rear.end());
       return v;
     }},

    // Belts and pulleys.
    {"VeePulley.htm", "(radii # and # model units at the start)",
     [] {
       TBuiltTopic t(5);
       const TBelt* b = All<TBelt>(t.Base.get()).at(0);
       return TValues{b->Radius1, b->Radius2};
     }},
    {"VeePulley.htm", "VR = # / # = # (2:1)",
     [] {
       TBuiltTopic t(5);
       auto p = All<TVPulley>(t.Base.get());
       std::sort(p.begin(), p.end(), [](const TVPulley* a, const TVPulley* b) { return a->RadiusA < b->RadiusA; });
       // The small pulley drives: the large one's turns for one of the small one's, upside down.
       return TValues{p.back()->RadiusA, p.front()->RadiusA, 1 / TurnsPerTurn(t, p.front(), p.back(), 10)};
     }},
    {"VeePulley.htm", "The small pulley has a radius of # model units and the large one #",
     [] {
       TBuiltTopic t(5);
       const TBelt* b = All<TBelt>(t.Base.get()).at(0);
       return TValues{std::min(b->Radius1, b->Radius2), std::max(b->Radius1, b->Radius2)};
     }},
    {"ref_VR.htm",
     "In the pulley model the small pulley has a radius of # model units and the large pulley a radius of #",
     [] {
       TBuiltTopic t(5);
       const TBelt* b = All<TBelt>(t.Base.get()).at(0);
       return TValues{std::min(b->Radius1, b->Radius2), std::max(b->Radius1, b->Radius2)};
     }},
    {"PulleyBelt.htm", "With the crossed belt both pulleys are the same size",
     [] {
       TBuiltTopic t(5, [](TTopicControls& c) { c.BeltItem = 2; });
       const TBelt* b = All<TBelt>(t.Base.get()).at(0);
       return Holds(b->Radius1 == b->Radius2);
     }},
    {"Jockey.htm", "The pulleys have radii # and # model units",
     [] {
       TBuiltTopic t(6);
       const TBelt* b = All<TBelt>(t.Base.get()).at(0);
       return TValues{b->Radius1, b->Radius2};
     }},
    {"Jockey.htm", "a jockey smaller than the small pulley, as in the model, turns faster than it",
     [] {
       TBuiltTopic t(6);
       const TBelt* b = All<TBelt>(t.Base.get()).at(0);
       return Holds(All<TJockeyBelt>(t.Base.get()).at(0)->JockeyRadius < std::min(b->Radius1, b->Radius2));
     }},
    {"StepCone.htm", "(it starts on step #)", [] { return TValues{double(StartControls(7).BeltStep)}; }},

    // Lifting systems.
    {"Weston.htm", "The larger sheave has a radius of # model units", [] { return TValues{WestonSheaves()[0]}; }},
    {"Weston.htm", "it starts at #). The size of the load", [] { return TValues{WestonSheaves()[1]}; }},
    {"Weston.htm", "A = #, B = #", WestonSheaves},
    {"Weston.htm", "Velocity ratio = 2 x # / (# - #) = # / # = #",
     [] {
       const TValues r = WestonSheaves();
       const Single a = Single(r[0]), b = Single(r[1]);
       // The block's rise in one turn of the sheaves against the chain pulled, 2 pi A.
       const double rise = WestonBlockHeight(a, b, 360) - WestonBlockHeight(a, b, 0);
       return TValues{a, a, b, 2 * a, a - b, 2 * M_PI * a / rise};
     }},
    {"Weston.htm", "Set the small sheave to # and the ratio becomes # / # = #",
     [] {
       const double a = WestonSheaves()[0], b = 0.18;
       return TValues{b, 2 * a, a - b, WestonAdvantage(Single(a), Single(b))};
     }},
    {"Pulleys.htm", "Set the model to # sheaves. A load of 800 N hangs on # strands",
     [] {
       return TValues{4, HoistVelocityRatio(4)};
     }},
    {"Ref_MA.htm", "The pulley hoist in this program, set to # sheaves, has a velocity ratio of #",
     [] {
       return TValues{2, HoistVelocityRatio(2)};
     }},
    // The label measures the handle in radii of the axle (the drum).
    {"Windlass.htm", "and # at the start, when the handle is ten times as far from the axle as the rope",
     [] { return TValues{StartControls(21).HandleRadius * 0.01 / WindlassAxleRadius()}; }},
    {"Windlass.htm", "The handle's radius is # axle radii",
     [] { return TValues{StartControls(21).HandleRadius * 0.01 / WindlassAxleRadius()}; }},
    {"Windlass.htm", "In each turn the hand travels # times as far as the load rises",
     [] {
       const double hand = 2 * M_PI * StartControls(21).HandleRadius * 0.01;
       return TValues{hand / (WindlassRopeLength(0) - WindlassRopeLength(360))};
     }},
    {"Inclined.htm", "it starts at # degrees", [] { return TValues{double(StartControls(39).PlaneAngle)}; }},
    {"Inclined.htm", "At the model's starting angle of # degrees, a slope # m long rises 1 m (sin # deg = #)",
     [] {
       const double a = StartControls(39).PlaneAngle;
       const double s = std::sin(a * M_PI / 180);
       return TValues{a, 1 / s, a, s};
     }},

    // Cams.
    // The example's disc is not the model's, but the model's follower must move as the example says.
    {"Cam_Circular.htm", "A disc with an offset of # mm gives the follower a stroke of # x # = #",
     [] {
       const double offset = StartControls(13).CamOffset * 0.01;
       TBuiltTopic t(13);
       const TGLBaseSceneObject* follower = t.Base->GetChild(1);
       double low = 1e9, high = -1e9;
       for (int phase = 0; phase < 360; phase += 5) {
         t.Pose(Single(phase));
         low = std::min(low, double(Place(follower)[1]));
         high = std::max(high, double(Place(follower)[1]));
       }
       const double times = (high - low) / offset;
       return TValues{10, times, 10, 10 * times};
     }},
    {"Cam_Circular.htm",
     "watch the follower: it stays still for nearly three quarters of each turn, then rises and falls",
     [] {
       const double still = PearCamDwell();
       return Holds(still > 0.68 * 360 && still < 0.75 * 360);
     }},
    {"Cam_Circular.htm", "If it dwells for # degrees of each turn, as the model's cam does",
     [] { return TValues{PearCamDwell()}; }},
    {"Cam_Circular.htm",
     "watch the follower climb at one steady speed for the first half turn and come back down at the same speed",
     [] {
       TBuiltTopic t(15);
       const TGLBaseSceneObject* follower = t.Base->GetChild(1);
       std::vector<double> y;
       for (int phase = 0; phase <= 360; phase += 10) {
         t.Pose(Single(phase));
         y.push_back(Place(follower)[1]);
       }
       // A steady speed: each 10 degrees of the half turn lifts it alike, and it comes back down.
       const double step = y[1] - y[0];
       double spread = std::fabs(y[36] - y[0]);
       for (size_t k = 0; k <= 18; ++k)
         spread = std::max(spread, std::fabs(y[k] - y[0] - double(k) * step));
       return Holds(step > 1e-3 && spread < 1e-3);
     }},
    // The example's numbers are its own; the model's peg must swing by the radius times the
    // tangent.
    {"Cam_Circular.htm",
     "With a radius of # mm and an angle of # degrees: # x tan # deg = # mm either side, so the peg's stroke is #",
     [] {
       const TTopicControls c = StartControls(16);
       const double r = c.BoxCamRadius * 0.01, a = c.CamSlot;
       TBuiltTopic t(16);
       const TGLBaseSceneObject* peg = t.Base->GetChild(1);
       t.Pose(0);
       const double x0 = peg->Position.X;
       t.Pose(180);
       const double x1 = peg->Position.X;
       const double modelTan = std::fabs(x0) / r, swing = std::fabs(x0 - x1) / r;
       const double tan30 = std::tan(M_PI / 6) * modelTan / std::tan(a * M_PI / 180);
       return TValues{50, 30, 50, 30, 50 * tan30, 50 * swing * tan30 / modelTan};
     }},
    {"Cam_Circular.htm",
     "as the bar slides its whole length one way, the ramp passes under the roller and lifts it smoothly by a fifth of that distance",
     [] {
       TBuiltTopic t(11);
       const Single end = Single(t.Entry->RepeatAngle(t.Controls));
       t.Pose(0);
       const double x0 = t.Base->GetChild(0)->Position.X, y0 = t.Base->GetChild(1)->Position.Y;
       t.Pose(end);
       const double travel = std::fabs(t.Base->GetChild(0)->Position.X - x0);
       return Holds(std::fabs(std::fabs(t.Base->GetChild(1)->Position.Y - y0) / travel - 0.2) < 0.005);
     }},

    // Linkages.
    // The arms stand upright at the start, with the top link at its highest: swung either way,
    // it falls. The example's arms are 300 mm long; the model's swing gives the same fraction.
    {"Parallel.htm",
     "If the arms swing from upright through # degrees, the top link (the platform they carry) stays level and falls by # x (1 - cos # deg) = # x # = # mm",
     [] {
       TBuiltTopic t(31);
       const TGLBaseSceneObject* top = t.Base->GetChild(0)->GetChild(1);
       t.Pose(0);
       const TAffineVector pivot = Place(t.Base->GetChild(0)), upright = Place(top);
       t.Pose(30);
       const TAffineVector swung = Place(top);
       const double arm = std::fabs(upright[1] - pivot[1]), fall = (upright[1] - swung[1]) / arm;
       const double angle = std::atan2(std::fabs(swung[0] - pivot[0]), swung[1] - pivot[1]) * 180 / M_PI;
       return TValues{angle, 300, angle, 300, fall, 300 * fall};
     }},

    {"Crank_Slot.htm",
     "In the model, with the crank offset as it starts, watch the ram: its slow stroke takes about three fifths of each turn of the wheel and its quick return the other two fifths",
     [] {
       TBuiltTopic t(20);
       // The degrees of one turn of the wheel in which the ram moves each way, to a hundredth.
       const TGLBaseSceneObject* ram = t.Base->GetChild(3);
       double last = 0;
       int forwards = 0, backwards = 0;
       for (int step = 0; step <= 36000; ++step) {
         t.Pose(Single(step * 0.01));
         const double x = ram->Position.X;
         if (step > 0)
           (x > last ? forwards : backwards) += 1;
         last = x;
       }
       return Holds(std::fabs(0.01 * std::max(forwards, backwards) / 360 - 0.6) < 0.025);
     }},

    // Screw threads.
    {"Screws.htm", "The model turns the bolt # times, so it moves # pitches along its axis: watch # ridges",
     [] {
       TBuiltTopic t(18);
       const double pitch = t.Controls.ScrewPitch * 0.01;
       const double turns = t.Entry->RepeatAngle(t.Controls) / 360.0;
       const TGLBaseSceneObject* bolt = t.Base->GetChild(0);
       t.Pose(0);
       const double x0 = bolt->Position.X;
       t.Pose(Single(turns * 360));
       const double pitches = std::fabs(bolt->Position.X - x0) / pitch;
       return TValues{turns, pitches, pitches};
     }},
    {"ScrewJack.htm", "In the model, # turns of the handle raise the platform from its lowest point to its highest",
     [] { return TValues{FindTopic(19)->RepeatAngle(StartControls(19)) / 360.0}; }},
    {"ScrewJack.htm", "The first turn lifts it about # times as far as the tenth",
     [] { return TValues{(JackPlatformY(360) - JackPlatformY(0)) / (JackPlatformY(3600) - JackPlatformY(3240))}; }},
    {"ScrewJack.htm",
     "Over the fifth and sixth turns, in the middle of the travel, it rises about # times as far as each nut moves in",
     [] { return TValues{(JackPlatformY(2160) - JackPlatformY(1440)) / (JackNutX(4) - JackNutX(6))}; }},

};

}   // namespace

// Every fact is found on its page, and every number in it is the model's own.
TEST(PageFactsTest, PagesGiveTheirModelsNumbers)
{
  for (const TFact& fact : Facts) {
    SCOPED_TRACE(std::string(fact.Page) + ": \"" + fact.Words + "\"");
    const std::string text = PageText(fact.Page);
    std::smatch m;
    const std::regex re(Pattern(fact.Words));
    if (!std::regex_search(text, m, re)) {
      ADD_FAILURE() << "the words are not on the page";
      continue;
    }
    const TValues model = fact.Model();
    ASSERT_EQ(model.size(), m.size() - 1) << "the model does not have what the page describes";
    for (size_t i = 0; i < model.size(); ++i) {
      const std::string written = m[i + 1].str();
      EXPECT_NEAR(std::stod(written), model[i], Precision(written))
          << "number " << i + 1 << " is written " << written << "; the model has " << model[i];
    }
  }
}

// The scissors jack lifts least per turn, and so pushes hardest, at the top of its travel:
// what its page and its test question teach.
TEST(PageFactsTest, TheJackRisesLessForEachTurnAsItGoesUp)
{
  double last = 1e9;
  for (int turn = 0; turn < 10; ++turn) {
    const double rise = JackPlatformY(Single((turn + 1) * 360)) - JackPlatformY(Single(turn * 360));
    EXPECT_GT(rise, 0) << turn;
    EXPECT_LT(rise, last) << turn;
    last = rise;
  }
}

// A page that tells the reader to tick the check box for the arrows (or the letters) is the
// page of a topic that has them to show.
TEST(PageFactsTest, OnlyPagesOfTopicsWithMarkersOfferTheCheckBox)
{
  const std::pair<const char*, Integer> pages[] = {
      {"TwoCog.htm", 1},        {"ThreeCog.htm", 2},      {"CompGear.htm", 3},      {"BevelGear.htm", 4},
      {"VeePulley.htm", 5},     {"Jockey.htm", 6},        {"StepCone.htm", 7},      {"Chain.htm", 8},
      {"Pulleys.htm", 9},       {"MitreGear.htm", 10},    {"Weston.htm", 12},       {"Crank_Slider.htm", 17},
      {"Screws.htm", 18},       {"ScrewJack.htm", 19},    {"Crank_Slot.htm", 20},   {"Windlass.htm", 21},
      {"Rotary.htm", 22},       {"Oscillate.htm", 23},    {"Linear.htm", 24},       {"Reciprocate.htm", 25},
      {"Lever_Class1.htm", 26}, {"Lever_Class2.htm", 27}, {"Lever_Class3.htm", 28}, {"Rev_Motion.htm", 29},
      {"Bell_Crank.htm", 30},   {"Parallel.htm", 31},     {"Toggle.htm", 33},       {"Derailleur.htm", 34},
      {"Rack_Pinion.htm", 35},  {"Worm.htm", 36},         {"Ratchet.htm", 37},      {"Helical.htm", 38},
      {"Inclined.htm", 39}};
  for (const auto& [page, id] : pages) {
    const TTopicEntry* e = FindTopic(id);
    ASSERT_NE(e, nullptr) << id;
    const bool offered = PageText(page).find("Tick the check box") != std::string::npos;
    EXPECT_TRUE(!offered || e->ShowMarkers) << page << " offers a check box its model has no use for";
  }
}

// The crank and slider's page tells the reader where to look: the piston is highest with the
// crank pin straight above the axle and lowest with it straight below.
TEST(PageFactsTest, ThePistonTopsWithTheCrankPinAboveTheAxle)
{
  ASSERT_NE(PageText("Crank_Slider.htm")
                .find("the piston is at its highest point when the crank pin is straight above the axle, and at its "
                      "lowest when the pin is straight below it"),
            std::string::npos);
  TBuiltTopic t(17);
  const TGLBaseSceneObject* piston = All<TPiston>(t.Base.get()).at(0);
  const TGLBaseSceneObject* pin = t.Base->GetChild(0);   // the rod swings on the crank pin
  const TAffineVector axle = Place(t.Base->GetChild(1));
  double low = 1e9, high = -1e9;
  TAffineVector pinAtTop{}, pinAtBottom{};
  for (int phase = 0; phase < 360; ++phase) {
    t.Pose(Single(phase));
    const double y = Place(piston)[1];
    if (y > high)
      high = y, pinAtTop = Place(pin);
    if (y < low)
      low = y, pinAtBottom = Place(pin);
  }
  const double offset = t.Controls.CrankOffset * 0.01;
  EXPECT_NEAR(high - low, 2 * offset, 1e-3) << "the stroke is twice the offset";
  EXPECT_NEAR(pinAtTop[0], axle[0], 0.02 * offset);
  EXPECT_NEAR(pinAtTop[1] - axle[1], offset, 0.01 * offset);
  EXPECT_NEAR(pinAtBottom[0], axle[0], 0.02 * offset);
  EXPECT_NEAR(pinAtBottom[1] - axle[1], -offset, 0.01 * offset);
}
