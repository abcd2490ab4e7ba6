// The built scenes read back object by object: class, place, turn, material, visibility and
// the sizes handed to each shape, against the trees the topics are drawn up with. A wrong
// number in a build procedure (a part out of place, a wrong colour, a marker left showing)
// changes one line here, even where no animation or mesh invariant would notice it.
#include <cxxabi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "engine/GLBezier.h"
#include "engine/GLExtrusion.h"
#include "engine/GLGeomObjects.h"
#include "engine/GLObjects.h"
#include "engine/GLStandardScene.h"
#include "parts/MachineParts.h"
#include "parts/BasicParts.h"
#include "topics/BarrowObjects.h"
#include "topics/GearCogs.h"
#include "topics/NutcrackerObjects.h"
#include "topics/TopicTable.h"

namespace {

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string ClassName(const TGLBaseSceneObject& o)
{
  int status = 0;
  char* d = abi::__cxa_demangle(typeid(o).name(), nullptr, nullptr, &status);
  std::string r = d ? d : typeid(o).name();
  std::free(d);
  const size_t colon = r.rfind("::");
  return colon == std::string::npos ? r : r.substr(colon + 2);
}

std::string Num(double v)
{
  char b[32];
  std::snprintf(b, sizeof b, "%.4g", std::fabs(v) < 5e-6 ? 0.0 : v);
  return b;
}

std::string Rgb(const TGLColor& c) { return Num(c.GetRed()) + "," + Num(c.GetGreen()) + "," + Num(c.GetBlue()); }

// What one object is and where it stands, in one line.
class TDescriber {
public:
  explicit TDescriber(const TGLMaterialLibrary& lib) : FLib(lib) {}

  std::vector<std::string> Tree(const TGLBaseSceneObject& root)
  {
    FPaths.clear();
    Index(root, "");
    std::vector<std::string> out;
    for (Integer i = 0; i < root.GetCount(); ++i)
      Walk(*root.GetChild(i), std::to_string(i), out);
    return out;
  }

private:
  void Index(const TGLBaseSceneObject& o, const std::string& path)
  {
    FPaths[&o] = path;
    for (Integer i = 0; i < o.GetCount(); ++i)
      Index(*o.GetChild(i), path.empty() ? std::to_string(i) : path + "." + std::to_string(i));
  }

  void Walk(const TGLBaseSceneObject& o, const std::string& path, std::vector<std::string>& out)
  {
    out.push_back(path + " " + Line(o));
    Integer links = 0;
    for (Integer i = 0; i < o.GetCount(); ++i) {
      const TGLBaseSceneObject& c = *o.GetChild(i);
      // The chain's links are laid by the path arithmetic the chain tests check; here only
      // their number counts.
      if (dynamic_cast<const TChainLink*>(&c))
        ++links;
      else
        Walk(c, path + "." + std::to_string(i), out);
    }
    if (links)
      out.push_back(path + " links " + std::to_string(links));
  }

  std::string Material(const TGLCustomSceneObject& c) const
  {
    for (Integer i = 0; i < FLib.Materials.GetCount(); ++i)
      if (FLib.Materials.GetItem(i)->Material.FrontProperties == c.Material.FrontProperties)
        return FLib.Materials.GetItem(i)->Name;
    const TGLFaceProperties& f = c.Material.FrontProperties;
    return "own(a" + Rgb(f.Ambient) + ";d" + Rgb(f.Diffuse) + ")";
  }

  std::string Line(const TGLBaseSceneObject& o) const
  {
    std::ostringstream s;
    s << ClassName(o) << " @" << Num(o.Position.X) << "," << Num(o.Position.Y) << "," << Num(o.Position.Z);
    // Turns below a thousandth of a degree are rounding, not placement.
    auto angle = [&s](const char* axis, Single a) {
      if (std::fabs(a) >= 1e-3f)
        s << " " << axis << Num(a);
    };
    angle("p", o.GetPitchAngle());
    angle("t", o.GetTurnAngle());
    angle("r", o.GetRollAngle());
    if (o.Scale.X != 1 || o.Scale.Y != 1 || o.Scale.Z != 1)
      s << " x" << Num(o.Scale.X) << "," << Num(o.Scale.Y) << "," << Num(o.Scale.Z);
    if (!o.GetVisible())
      s << " hidden";
    if (auto* c = dynamic_cast<const TGLCustomSceneObject*>(&o))
      s << " " << Material(*c);
    Shape(o, s);
    return s.str();
  }

  void Shape(const TGLBaseSceneObject& o, std::ostringstream& s) const
  {
    if (auto* c = dynamic_cast<const TCylinder*>(&o))
      s << " cyl " << Num(c->GetBottomRadius()) << "/" << Num(c->GetTopRadius()) << " h" << Num(c->GetHeight()) << " s"
        << c->GetSlices() << " parts" << int(c->GetParts());
    if (auto* c = dynamic_cast<const TAnnulus*>(&o))
      s << " ann " << Num(c->GetTopRadius()) << "/" << Num(c->GetTopInnerRadius()) << " h" << Num(c->GetHeight())
        << " parts" << int(c->GetParts());
    if (auto* c = dynamic_cast<const TCube*>(&o))
      s << " cube " << Num(c->GetCubeWidth()) << "x" << Num(c->GetCubeHeight()) << "x" << Num(c->GetCubeDepth())
        << " parts" << int(c->GetParts());
    if (auto* c = dynamic_cast<const TSphere*>(&o))
      s << " sphere " << Num(c->GetRadius()) << " stop" << c->GetStop();
    if (auto* c = dynamic_cast<const TPipe*>(&o))
      s << " pipe " << Num(c->GetRadius()) << " n" << const_cast<TPipe*>(c)->GetNodes().GetCount();
    if (auto* c = dynamic_cast<const TLines*>(&o)) {
      auto* l = const_cast<TLines*>(c);
      s << " lines (" << Rgb(l->LineColor) << "," << Num(l->LineColor.GetAlpha()) << ")"
        << (l->GetAntiAliased() ? " aa" : "") << (l->GetNodesAspect() == lnaInvisible ? "" : " marks");
      for (Integer k = 0; k < l->GetNodes().GetCount(); ++k)
        s << " " << Num(l->GetNodes()[k]->X) << "," << Num(l->GetNodes()[k]->Y) << "," << Num(l->GetNodes()[k]->Z);
    }
    if (auto* c = dynamic_cast<const TExtrusionSolid*>(&o); c && c->GetContourCount() == 1) {
      // The letters by their outlines: E has 12 nodes, F 10 and L 6, and is 1.2 scales wide.
      const TGLNodes& n = c->GetContour(0);
      Single width = 0;
      for (Integer k = 0; k < n.GetCount(); ++k)
        width = std::max(width, n[k]->X);
      s << " outline n" << n.GetCount() << " w" << Num(width) << " h" << Num(c->GetHeight());
    }
    if (auto* c = dynamic_cast<const TGLProxyObject*>(&o)) {
      auto at = FPaths.find(c->GetMasterObject());
      s << " of " << (at == FPaths.end() ? "?" : at->second) << " opt" << int(c->GetProxyOptions());
    }
    if (auto* c = dynamic_cast<const TCog*>(&o))
      s << " cog " << c->Teeth << " " << Num(c->Pitch) << " " << Num(c->ToothDepth) << " " << Num(c->Thickness) << " "
        << Num(c->BoreRadius);
    if (auto* c = dynamic_cast<const TLinkage*>(&o))
      s << " link " << Num(c->EndRadius) << " " << Num(c->Thickness) << " " << Num(c->Length) << " " << c->Segments
        << " place" << int(c->Placement) << (c->SideColoured ? " side" : "");
    if (auto* c = dynamic_cast<const TVPulley*>(&o))
      s << " pulley " << Num(c->RadiusA) << "/" << Num(c->RadiusB) << " w" << Num(c->Width) << " s" << c->Slices << " n"
        << c->N << " f" << int(c->Faces) << " in" << Num(c->InnerRadius) << " k" << int(c->GrooveKind);
    if (auto* c = dynamic_cast<const TSpoke*>(&o))
      s << " spoke " << Num(c->Radius) << " " << Num(c->Width) << " " << Num(c->Thickness) << " " << c->AngleDeg << " "
        << c->Segments;
    if (auto* c = dynamic_cast<const TOpenBox*>(&o))
      s << " box " << Num(c->SizeX) << "x" << Num(c->SizeY) << "x" << Num(c->SizeZ) << " wall" << Num(c->WallThickness)
        << " style" << int(c->GetStyle());
    if (auto* c = dynamic_cast<const TSlotAxle*>(&o))
      s << " axle " << Num(c->Radius) << " " << Num(c->Length) << " " << Num(c->SlotWidth) << " " << Num(c->SlotDepth)
        << " " << c->Slices;
    if (auto* c = dynamic_cast<const THelicalGear*>(&o))
      s << " twist " << Num(c->Twist);
    if (auto* c = dynamic_cast<const TBelt*>(&o))
      s << " belt " << Num(c->TopWidth) << "/" << Num(c->BottomWidth) << " d" << Num(c->Depth) << " r"
        << Num(c->Radius1) << "/" << Num(c->Radius2) << " c" << Num(c->CentreDistance);
    if (auto* c = dynamic_cast<const TJockeyBelt*>(&o))
      s << " jockey " << Num(c->JockeyRadius) << " @" << Num(c->JockeyX) << "," << Num(c->JockeyY) << " s"
        << c->Segments;
    if (auto* c = dynamic_cast<const TRope*>(&o))
      s << " rope " << Num(c->SheaveRadius) << "/" << Num(c->SmallSheaveRadius) << " n" << c->SheaveCount << " drop"
        << Num(c->Drop) << " t" << Num(c->Thickness) << " sides" << c->Sides << " arcs" << c->ArcSegments;
    if (auto* c = dynamic_cast<const TWestonRope*>(&o))
      s << " chain " << Num(c->LargeRadius) << "/" << Num(c->SmallRadius) << " pulley" << Num(c->PulleyRadius)
        << " drop" << Num(c->Drop) << " off" << Num(c->Offset);
    if (auto* c = dynamic_cast<const THelix*>(&o))
      s << " helix " << Num(c->CoilRadius) << " " << Num(c->WireRadius) << " pitch" << Num(c->Pitch) << " turns"
        << Num(c->Turns) << " " << c->SegmentsPerTurn << " sides" << c->Sides << " ends" << int(c->Ends);
    if (auto* c = dynamic_cast<const TScrew*>(&o))
      s << " screw " << Num(c->Radius) << " " << Num(c->ThreadDepth) << " " << Num(c->Pitch) << " "
        << Num(c->ThreadWidth) << " turns" << c->Turns << " " << c->SegmentsPerTurn << " profile" << int(c->Profile)
        << (c->InternalThread ? " internal" : "") << (c->LeftHanded ? " left" : "") << " parts" << int(c->Parts);
    if (auto* c = dynamic_cast<const THexNut*>(&o))
      s << " hexnut " << Num(c->Radius) << " " << Num(c->HoleRadius) << " " << Num(c->Thickness)
        << (c->Solid ? " solid" : "");
    if (auto* c = dynamic_cast<const TPawl*>(&o))
      s << " pawl hook" << Num(c->HookRadius) << (c->SideColoured ? " side" : "");
    if (auto* c = dynamic_cast<const TAnnulusEx*>(&o))
      s << " ring " << Num(c->OuterRadius) << " w" << Num(c->Width) << " t" << Num(c->Thickness) << " "
        << Num(c->StartAngle) << ".." << Num(c->EndAngle) << " s" << c->Segments;
    if (auto* c = dynamic_cast<const TPie*>(&o))
      s << " pie " << Num(c->Radius) << " t" << Num(c->Thickness) << " s" << c->Segments << " " << Num(c->StartAngle)
        << ".." << Num(c->EndAngle) << (c->UseSideColour ? " side" : "");
    if (auto* c = dynamic_cast<const TFrustrum*>(&o))
      s << " frustrum " << Num(c->GetBaseWidth()) << "x" << Num(c->GetBaseDepth()) << " h" << Num(c->GetHeight())
        << " apex" << Num(c->GetApexHeight());
    if (auto* c = dynamic_cast<const TTorus*>(&o))
      s << " torus " << Num(c->GetMajorRadius()) << "/" << Num(c->GetMinorRadius()) << " rings" << c->GetRings();
    if (auto* c = dynamic_cast<const TCam*>(&o))
      s << " cam " << Num(c->BaseRadius) << " " << Num(c->NoseRadius) << " " << Num(c->NoseDistance) << " t"
        << Num(c->Thickness) << " s" << c->Segments << (c->SideColoured ? " side" : "");
    if (auto* c = dynamic_cast<const THeartCam*>(&o))
      s << " heart " << Num(c->RisePerRadian) << " " << Num(c->BaseRadius) << " t" << Num(c->Thickness) << " s"
        << c->Segments;
    if (auto* c = dynamic_cast<const THSCylinder*>(&o))
      s << " drum " << Num(c->Radius) << " groove" << Num(c->GrooveWidth) << "/" << Num(c->GrooveDepth) << " at"
        << Num(c->GrooveAngle) << " l" << Num(c->Length) << " s" << c->Segments << (c->UseSideColour ? " side" : "");
    if (auto* c = dynamic_cast<const TBezierStrip*>(&o)) {
      s << " strip t" << Num(c->GetThickness()) << " sides" << int(c->GetSides())
        << (c->GetUseSideColour() ? " side" : "");
      for (Integer k = 0; k < 8; ++k)
        s << " " << Num(c->GetControlPoint(k)[0]) << "," << Num(c->GetControlPoint(k)[1]);
    }
    if (auto* c = dynamic_cast<const TBezierSurface*>(&o))
      s << " surface " << Num(c->GetWidth()) << "x" << Num(c->GetDepth()) << " middle "
        << Num(c->GetControlPoint(1, 1)[0]) << "," << Num(c->GetControlPoint(1, 1)[1]) << ","
        << Num(c->GetControlPoint(1, 1)[2]);
    if (auto* c = dynamic_cast<const TAsymBox*>(&o))
      for (const TAffineVector& v : c->Corners)
        s << " " << Num(v[0]) << "," << Num(v[1]) << "," << Num(v[2]);
    if (auto* c = dynamic_cast<const TRoundCuboid*>(&o))
      s << " cuboid " << Num(c->Length) << "x" << Num(c->Height) << "x" << Num(c->Depth);
    if (auto* c = dynamic_cast<const TSlotLinkage*>(&o))
      s << " slot " << Num(c->SlotWidth) << " " << Num(c->SlotBottom) << ".." << Num(c->SlotTop);
    if (auto* c = dynamic_cast<const TAToggleLink*>(&o))
      s << " rocker " << Num(c->ArmLength) << " " << Num(c->PinSpacing) << " " << Num(c->Width) << " "
        << Num(c->PlateThickness) << " pin" << Num(c->PinOffset);
    if (auto* c = dynamic_cast<const TBToggleLink*>(&o))
      s << " sidelink " << Num(c->Length) << " " << Num(c->EndRadius) << " " << Num(c->Thickness) << " cut"
        << Num(c->CutAngle) << " ext" << Num(c->Extension);
    if (auto* c = dynamic_cast<const TCToggleLink*>(&o))
      s << " coupler " << Num(c->Length) << " lever" << Num(c->LeverLength) << " at" << Num(c->LeverAngle);
    if (auto* c = dynamic_cast<const TCrank*>(&o))
      s << " crank " << Num(c->BossRadius1) << "/" << Num(c->BossRadius2) << " " << Num(c->ArmWidth1) << "/"
        << Num(c->ArmWidth2) << " t" << Num(c->Thickness) << " l" << Num(c->Length);
    if (auto* c = dynamic_cast<const TSprocket*>(&o))
      s << " sprocket " << c->Teeth << " " << Num(c->Pitch) << " " << Num(c->Thickness);
    if (auto* c = dynamic_cast<const TRatchet*>(&o))
      s << " ratchet " << c->Teeth << " " << Num(c->Pitch) << " " << Num(c->ToothDepth) << " " << Num(c->Thickness);
    if (auto* c = dynamic_cast<const TWorm*>(&o))
      s << " worm " << Num(c->RootRadius) << " " << Num(c->ThreadDepth) << " " << Num(c->Pitch) << " " << Num(c->D)
        << " " << Num(c->E) << " turns" << c->Turns << " " << c->SegmentsPerTurn;
    if (auto* c = dynamic_cast<const TWormWheel*>(&o))
      s << " wheel " << c->Teeth << " " << Num(c->Pitch) << " " << Num(c->ToothDepth) << " " << Num(c->Thickness) << " "
        << Num(c->D) << " " << Num(c->E);
    if (auto* c = dynamic_cast<const TBevelCog*>(&o))
      s << " bevel " << c->Teeth << " " << Num(c->Pitch) << " " << Num(c->BackThickness) << " " << Num(c->C) << " cone"
        << Num(c->ConeAngleDeg);
    if (auto* c = dynamic_cast<const TBevelCogEx*>(&o))
      s << " bevel " << c->Teeth << " " << Num(c->Pitch) << " " << Num(c->B) << " cone" << Num(c->ConeAngleDeg);
    if (auto* c = dynamic_cast<const TRackGear*>(&o))
      s << " rack " << Num(c->Length) << " " << Num(c->B) << " " << Num(c->Thickness) << " " << Num(c->Pitch) << " "
        << Num(c->ToothDepth) << " " << c->Teeth;
    if (auto* c = dynamic_cast<const TPiston*>(&o))
      s << " piston " << Num(c->A) << " " << Num(c->B) << " " << Num(c->C) << " " << Num(c->D) << " " << Num(c->E)
        << " s" << c->Slices;
    if (auto* c = dynamic_cast<const TRoundCube*>(&o))
      s << " slab " << Num(c->SizeX) << "x" << Num(c->SizeY) << " t" << Num(c->Thickness) << " corner"
        << Num(c->CornerRadius);
    if (auto* c = dynamic_cast<const TPartialTorus*>(&o))
      s << " bend " << Num(c->MajorRadius) << "/" << Num(c->MinorRadius) << " " << Num(c->StartAngle) << ".."
        << Num(c->EndAngle);
    if (auto* c = dynamic_cast<const TSquareNut*>(&o))
      s << " squarenut " << Num(c->Size) << " " << Num(c->HoleRadius) << " " << Num(c->Thickness);
    if (auto* c = dynamic_cast<const TWheelBracket*>(&o))
      s << " fork " << Num(c->SizeX) << "x" << Num(c->SizeY) << "x" << Num(c->SizeZ) << " plate"
        << Num(c->PlateThickness);
    if (auto* c = dynamic_cast<const TLinkAxle*>(&o))
      s << " pin " << Num(c->Length) << " " << Num(c->RadiusA) << " " << Num(c->RadiusB) << " " << Num(c->HeadThickness)
        << " " << c->Slices << " m" << c->Mode;
  }

  const TGLMaterialLibrary& FLib;
  std::map<const TGLBaseSceneObject*, std::string> FPaths;
};

// Two words agree when they agree letter for letter outside their numbers and their numbers
// agree to the printed precision (rounding in the last printed place is allowed for).
bool SameWord(const std::string& want, const std::string& got)
{
  static const std::regex number(R"(-?\d+(\.\d+)?(e[-+]?\d+)?)");
  auto split = [](const std::string& s, std::vector<double>& nums) {
    std::string shape;
    size_t last = 0;
    for (std::sregex_iterator it(s.begin(), s.end(), number), end; it != end; ++it) {
      shape += s.substr(last, size_t(it->position()) - last) + "#";
      nums.push_back(std::stod(it->str()));
      last = size_t(it->position() + it->length());
    }
    return shape + s.substr(last);
  };
  std::vector<double> a, b;
  if (split(want, a) != split(got, b) || a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::fabs(a[i] - b[i]) > 1e-3 + 1e-3 * std::fabs(a[i]))
      return false;
  return true;
}

// Lines agree word for word; "~" in the wanted line stands for any one word (a material
// that a picture file beside the program may change).
bool SameLine(const std::string& want, const std::string& got)
{
  std::istringstream a(want), b(got);
  std::string x, y;
  while (true) {
    const bool moreA = bool(a >> x), moreB = bool(b >> y);
    if (moreA != moreB)
      return false;
    if (!moreA)
      return true;
    if (x != "~" && !SameWord(x, y))
      return false;
  }
}

struct TBuiltScene {
  TGLMaterialLibrary Lib;
  TDummyCube Base{nullptr};
  std::vector<std::string> Lines;
};

void BuildTopic(TBuiltScene& s, const TTopicEntry& e, const std::function<void(TTopicControls&)>& set = {})
{
  FillStandardMaterials(s.Lib);
  TTopicControls c = e.DefaultControls();
  c.Markers = false;
  if (set)
    set(c);
  e.Build(&s.Base, &s.Lib, c);
  s.Lines = TDescriber(s.Lib).Tree(s.Base);
}

std::string Listing(const std::vector<std::string>& lines)
{
  std::string r;
  for (const std::string& l : lines)
    r += "  " + l + "\n";
  return r;
}

// Compares a whole tree; on a difference names the first line that differs and prints the
// tree as built.
void ExpectTree(const std::vector<std::string>& got, const std::vector<std::string>& want, const std::string& what)
{
  size_t n = std::min(got.size(), want.size());
  for (size_t i = 0; i < n; ++i)
    if (!SameLine(want[i], got[i])) {
      ADD_FAILURE() << what << ", line " << i << ":\n  want " << want[i] << "\n  got  " << got[i] << "\nbuilt:\n"
                    << Listing(got);
      return;
    }
  EXPECT_EQ(got.size(), want.size()) << what << "\nbuilt:\n" << Listing(got);
}

// The line of one path, for the checks of control values.
std::string LineOf(const std::vector<std::string>& lines, const std::string& path)
{
  for (const std::string& l : lines)
    if (l.compare(0, path.size() + 1, path + " ") == 0)
      return l;
  return "(no " + path + ")";
}

// Checks the line of one path against its wanted start: the words given must agree, and
// the line may go on (an arrow's nodes, say, when only its place is wanted).
void ExpectLine(const std::vector<std::string>& lines, const std::string& want, const std::string& what)
{
  const std::string path = want.substr(0, want.find(' '));
  const std::string got = LineOf(lines, path);
  std::istringstream in(got);
  std::string start, word;
  for (size_t words = size_t(std::count(want.begin(), want.end(), ' ')) + 1; words > 0 && in >> word; --words)
    start += (start.empty() ? "" : " ") + word;
  EXPECT_TRUE(SameLine(want, start)) << what << "\n  want " << want << "\n  got  " << got;
}

const TTopicEntry& Topic(Integer id, Integer example = 0)
{
  const TTopicEntry* e = FindTopic(id, example);
  if (!e)
    throw std::runtime_error("no topic " + std::to_string(id));
  return *e;
}

// The trees the topics are drawn up with, built with their starting controls and the markers
// off. Lines of the form "path class @position angles material sizes".
const std::map<std::string, std::vector<std::string>>& ExpectedTrees()
{
  // The roller follower, the same in every cam scene that carries one.
  static const std::vector<std::string> RollerFollower = {
      "1.0 TCylinder @0,0.49,0 Brass cyl 0.05/0.05 h0.48 s20 parts5",
      "1.1 TCylinder @0,0.1,0 p90 Bronze cyl 0.1/0.1 h0.2 s20 parts7",
      "1.2 TCylinder @0,0.1,0 p90 DarkMetal cyl 0.03/0.03 h0.3 s10 parts7",
      "1.3 TWheelBracket @0,0.18,0 Brass fork 0.1x0.15x0.28 plate0.02",
  };
  // The pear and heart cams turn about the origin under a roller resting on them at followerY.
  auto CamOnItsAxis = [](const std::string& cam, const std::string& followerY) {
    return std::vector<std::string>{"0 TDummyCube @0,0,0", cam,
                                    "0.1 TCylinder @0,0,0 p-90 Metal cyl 0.2/0.2 h0.5 s40 parts7",
                                    "1 TDummyCube @0," + followerY + ",0"}
           + RollerFollower
           + std::vector<std::string>{"2 TDummyCube @0,0,0 hidden",
                                      "2.0 TLines @0,0,0.306 lines (1,1,1,1) aa 0,0,0 0.125,0,0 0.125,0.02,0 0.2,0,0"
                                      " 0.125,-0.02,0 0.125,0,0"};
  };
  static const std::map<std::string, std::vector<std::string>> trees = {
    {"1.0",
     {
       "0 TDummyCube @-0.4775,0,0",
       "0.0 TCog @0,0,0 Brass cog 20 0.15 0.075 0.2 0.3275",
       "0.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.3475/0.3475 h0.1 s20 parts6",
       "0.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "0.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "0.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "1 TDummyCube @0.4025,0,0",
       "1.0 TCog @0,0,0 r-13.5 Brass cog 20 0.15 0.075 0.2 0.3275",
       "1.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.3475/0.3475 h0.1 s20 parts6",
       "1.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "1.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "1.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "2 TDummyCube @-0.4775,0,0 hidden",
       "2.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.32 0.3275,0,0.32 0.3275,0.02,0.32 0.4025,0,0.32"
       " 0.3275,-0.02,0.32 0.3275,0,0.32",
       "3 TDummyCube @0.4025,0,0 hidden",
       "3.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.32 -0.3275,0,0.32 -0.3275,0.02,0.32 -0.4025,0,0.32"
       " -0.3275,-0.02,0.32 -0.3275,0,0.32",
     }},
    {"2.0",
     {
       "0 TDummyCube @-0.6412,0,0",
       "0.0 TCog @0,0,0 Brass cog 20 0.15 0.075 0.2 0.3275",
       "0.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.3475/0.3475 h0.1 s20 parts6",
       "0.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "0.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "0.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "1 TDummyCube @-0.6412,0,0 hidden",
       "1.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.32 0.3275,0,0.32 0.3275,0.02,0.32 0.4025,0,0.32"
       " 0.3275,-0.02,0.32 0.3275,0,0.32",
       "2 TDummyCube @0,0,0",
       "2.0 TCog @0,0,0 r-27 Brass cog 10 0.15 0.075 0.2 0.08873",
       "2.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.1087/0.1087 h0.1 s20 parts6",
       "2.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "2.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "2.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "3 TDummyCube @0,0,0 hidden",
       "3.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.32 -0.08873,0,0.32 -0.08873,0.02,0.32 -0.1637,0,0.32"
       " -0.08873,-0.02,0.32 -0.08873,0,0.32",
       "4 TDummyCube @0.6412,0,0",
       "4.0 TCog @0,0,0 r18 Brass cog 20 0.15 0.075 0.2 0.3275",
       "4.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.3475/0.3475 h0.1 s20 parts6",
       "4.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "4.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "4.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "5 TDummyCube @0.6412,0,0 hidden",
       "5.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.32 0.3275,0,0.32 0.3275,0.02,0.32 0.4025,0,0.32"
       " 0.3275,-0.02,0.32 0.3275,0,0.32",
     }},
    {"3.0",
     {
       "0 TDummyCube @-0.6412,0,0.2",
       "0.0 TCog @0,0,0 r-13.5 Brass cog 20 0.15 0.075 0.2 0.3275",
       "0.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.3475/0.3475 h0.1 s20 parts6",
       "0.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "0.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "0.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "1 TDummyCube @-0.6412,0,0.2 hidden",
       "1.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.22 0.3275,0,0.22 0.3275,0.02,0.22 0.4025,0,0.22"
       " 0.3275,-0.02,0.22 0.3275,0,0.22",
       "2 TDummyCube @0,0,0",
       "2.0 TCog @0,0,0.2 Brass cog 10 0.15 0.075 0.2 0.08873",
       "2.1 TCylinder @0,0,0.2 p90 DarkBrass cyl 0.1087/0.1087 h0.1 s20 parts6",
       "2.2 TCylinder @0,0,0.275 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "2.3 TSlotAxle @0,0,0.2 Metal axle 0.06 0.6 0.021 0.03 20",
       "2.4 TCube @0,0.042,0.2 DarkMetal cube 0.021x0.06x0.4 parts61",
       "2.5 TCog @0,0,-0.2 Brass cog 20 0.15 0.075 0.2 0.3275",
       "2.6 TCylinder @0,0,-0.2 p90 DarkBrass cyl 0.3475/0.3475 h0.1 s20 parts6",
       "2.7 TCylinder @0,0,-0.125 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "2.8 TSlotAxle @0,0,-0.2 Metal axle 0.06 0.6 0.021 0.03 20",
       "2.9 TCube @0,0.042,-0.2 DarkMetal cube 0.021x0.06x0.4 parts61",
       "3 TDummyCube @0,0,0 hidden",
       "3.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.42 0.08873,0,0.42 0.08873,0.02,0.42 0.1637,0,0.42"
       " 0.08873,-0.02,0.42 0.08873,0,0.42",
       "4 TDummyCube @0.6412,0,-0.2",
       "4.0 TCog @0,0,0 r-27 Brass cog 10 0.15 0.075 0.2 0.08873",
       "4.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.1087/0.1087 h0.1 s20 parts6",
       "4.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "4.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "4.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "5 TDummyCube @0.6412,0,-0.2 hidden",
       "5.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.22 0.08873,0,0.22 0.08873,0.02,0.22 0.1637,0,0.22"
       " 0.08873,-0.02,0.22 0.08873,0,0.22",
     }},
    {"4.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 TBevelCog @0,0,0 p90 Brass bevel 60 0.1 0.05 0.24 cone15",
       "0.1 TCylinder @0,-0.12,0 DarkBrass cyl 0.778/0.778 h0.1 s20 parts6",
       "0.2 TCylinder @0,-0.12,0 Metal cyl 0.1/0.1 h0.5 s20 parts7",
       "1 TDummyCube @0.758,0.142,0",
       "1.0 TBevelCogEx @0,0,0 Brass bevel 15 0.1 0.05 cone75",
       "1.1 TCylinder @0.1,0,0 r90 Metal cyl 0.1/0.1 h0.4 s20 parts7",
       "2 TDummyCube @0,0,0 hidden",
       "2.0 TLines @0,0,0 p90 lines (1,1,1,1) aa 0,0,0.15 0.379,0,0.15 0.379,0.02,0.15 0.429,0,0.15"
       " 0.379,-0.02,0.15 0.379,0,0.15",
       "3 TDummyCube @0.758,0.142,0 hidden",
       "3.0 TLines @0,0,0 lines (1,1,1,1) aa -0.12,0,0 -0.12,0.142,0 -0.12,0.142,0.02 -0.12,0.192,0"
       " -0.12,0.142,-0.02 -0.12,0.142,0",
     }},
    {"5.0",
     {
       "0 TBelt @0,0,0 DarkMetal belt 0.15/0.05 d0.1 r0.3/0.6 c1.4",
       "1 TDummyCube @-0.7,0,0",
       "1.0 TVPulley @0,0,0 Brass pulley 0.3/0.2 w0.2 s50 n1 f15 in0.15 k0",
       "1.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.12/0.12 h0.21 s20 parts7",
       "1.2 TSlotAxle @0,0,0 Metal axle 0.08 0.6 0.028 0.04 20",
       "1.3 TCube @0,0.056,0 DarkMetal cube 0.028x0.08x0.3 parts61",
       "2 TDummyCube @0.7,0,0",
       "2.0 TVPulley @0,0,0 Brass pulley 0.6/0.5 w0.2 s50 n1 f15 in0.45 k0",
       "2.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.12/0.12 h0.21 s20 parts7",
       "2.2 TSlotAxle @0,0,0 Metal axle 0.08 0.6 0.028 0.04 20",
       "2.3 TCube @0,0.056,0 DarkMetal cube 0.028x0.08x0.3 parts61",
       "3 TDummyCube @-0.7,0,0 hidden",
       "3.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.15 0.2,0,0.15 0.2,0.02,0.15 0.25,0,0.15 0.2,-0.02,0.15 0.2,0,0.15",
       "4 TDummyCube @0.7,0,0 hidden",
       "4.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.15 0.5,0,0.15 0.5,0.02,0.15 0.55,0,0.15 0.5,-0.02,0.15 0.5,0,0.15",
     }},
    {"6.0",
     {
       "0 TJockeyBelt @0,0,0 DarkMetal belt 0.1125/0.0375 d0.06 r0.3/0.6 c1.9 jockey 0.2 @-0.15,-0.3 s100",
       "1 TDummyCube @-0.95,0,0",
       "1.0 TVPulley @0,0,0 Brass pulley 0.3/0.24 w0.15 s50 n1 f15 in0.2025 k0",
       "1.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.12/0.12 h0.16 s20 parts7",
       "1.2 TSlotAxle @0,0,0 Metal axle 0.08 0.6 0.028 0.04 20",
       "1.3 TCube @0,0.056,0 DarkMetal cube 0.028x0.08x0.25 parts61",
       "2 TDummyCube @0.95,0,0",
       "2.0 TVPulley @0,0,0 Brass pulley 0.6/0.54 w0.15 s50 n1 f15 in0.5025 k0",
       "2.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.12/0.12 h0.16 s20 parts7",
       "2.2 TSlotAxle @0,0,0 Metal axle 0.08 0.6 0.028 0.04 20",
       "2.3 TCube @0,0.056,0 DarkMetal cube 0.028x0.08x0.25 parts61",
       "3 TLines @-0.95,0,0.31 hidden lines (1,1,1,1) aa 0,0,0 0.225,0,0 0.225,0.02,0 0.3,0,0 0.225,-0.02,0 0.225,0,0",
       "4 TLines @0.95,0,0.31 hidden lines (1,1,1,1) aa 0,0,0 0.525,0,0 0.525,0.02,0 0.6,0,0 0.525,-0.02,0 0.525,0,0",
       "5 TDummyCube @-0.15,-0.28,0",
       "5.0 TVPulley @0,0,0 Brass pulley 0.2/0.18 w0.15 s30 n1 f15 in0.1425 k1",
       "5.1 TCylinder @0,0,0 p90 Metal cyl 0.06/0.06 h0.16 s20 parts7",
       "6 TLines @-0.15,-0.28,0.11 hidden lines (1,1,1,1) aa 0,0,0 0.125,0,0 0.125,0.02,0 0.2,0,0 0.125,-0.02,0 0.125,0,0",
     }},
    {"7.0",
     {
       "0 TBelt @0,0,0.225 DarkMetal belt 0.1125/0.0375 d0.075 r0.2/0.5 c1.6",
       "1 TDummyCube @-0.8,0,0",
       "1.0 TVPulley @0,0,-0.225 Brass pulley 0.5/0.425 w0.15 s50 n1 f19 in0.3875 k0",
       "1.1 TVPulley @0,0,-0.075 Brass pulley 0.4/0.325 w0.15 s50 n1 f15 in0.2875 k0",
       "1.2 TVPulley @0,0,0.075 Brass pulley 0.3/0.225 w0.15 s50 n0 f15 in0.1875 k0",
       "1.3 TVPulley @0,0,0.225 Brass pulley 0.2/0.125 w0.15 s50 n1 f15 in0.0875 k0",
       "2 TDummyCube @0.8,0,0 p180",
       "2.0 TVPulley @0,0,-0.225 Brass pulley 0.5/0.425 w0.15 s50 n1 f19 in0.3875 k0",
       "2.1 TVPulley @0,0,-0.075 Brass pulley 0.4/0.325 w0.15 s50 n1 f15 in0.2875 k0",
       "2.2 TVPulley @0,0,0.075 Brass pulley 0.3/0.225 w0.15 s50 n0 f15 in0.1875 k0",
       "2.3 TVPulley @0,0,0.225 Brass pulley 0.2/0.125 w0.15 s50 n1 f15 in0.0875 k0",
       "3 TLines @-0.8,0,0.4 hidden lines (1,1,1,1) aa 0,0,0 0.425,0,0 0.425,0.02,0 0.5,0,0 0.425,-0.02,0 0.425,0,0",
       "4 TLines @0.8,0,0.38 hidden lines (1,1,1,1) aa 0,0,0 0.625,0,0 0.625,0.02,0 0.7,0,0 0.625,-0.02,0 0.625,0,0",
       "5 TDummyCube @-0.8,0,0",
       "5.0 TSlotAxle @0,0,0 Metal axle 0.08 0.7 0.028 0.04 20",
       "5.1 TCube @0,0.056,0.1 DarkMetal cube 0.028x0.08x0.5 parts61",
       "6 TDummyCube @0.8,0,0",
       "6.0 TSlotAxle @0,0,0 Metal axle 0.08 0.7 0.028 0.04 20",
       "6.1 TCube @0,0.056,-0.1 DarkMetal cube 0.028x0.08x0.5 parts61",
     }},
    {"8.0",
     {
       "0 TDummyCube @0.6703,0,0",
       "0.0 TChainWheel @0,0,0 Brass sprocket 20 0.1 0.02",
       "0.1 TSpoke @0,0,0 Brass spoke 0.2595 0.02595 0.02 72 8",
       "0.2 TGLProxyObject @0,0,0 r72 of 0.1 opt7",
       "0.3 TGLProxyObject @0,0,0 r144 of 0.1 opt7",
       "0.4 TGLProxyObject @0,0,0 r216 of 0.1 opt7",
       "0.5 TGLProxyObject @0,0,0 r288 of 0.1 opt7",
       "0.6 TSlotAxle @0,0,0 Metal axle 0.04775 0.2 0.01671 0.02387 20",
       "0.7 TCube @0,0.03342,0 DarkMetal cube 0.01671x0.04775x0.1 parts61",
       "1 TDummyCube @-0.6703,0,0",
       "1.0 TSprocket @0,0,0 Brass sprocket 10 0.1 0.02",
       "1.1 TSlotAxle @0,0,0 Metal axle 0.034 0.2 0.0119 0.017 20",
       "1.2 TCube @0,0.0238,0 DarkMetal cube 0.0119x0.034x0.1 parts61",
       "2 TDummyCube @0,0,0",
       "2 links 42",
       "3 TDummyCube @0.6703,0,0.05 hidden",
       "3.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0 0.2433,0,0 0.2433,0.02,0 0.3183,0,0 0.2433,-0.02,0 0.2433,0,0",
       "4 TDummyCube @-0.6703,0,0.05 hidden",
       "4.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0 0.08415,0,0 0.08415,0.02,0 0.1592,0,0 0.08415,-0.02,0 0.08415,0,0",
     }},
    {"9.0",
     {
       "0 TDummyCube @0,1.1,0",
       "0.0 TOpenBox @0,0,0 r90 Metal box 0.46x0.1x0.14 wall0.018 style1",
       "1 TRope @0,1.1,0 Red rope 0.18/0.135 n1 drop1.7 t0.025 sides6 arcs16",
       "2 TDummyCube @-0.18,-0.6,0",
       "2.0 TFrustrum @0,-0.6,0 DarkMetal frustrum 0.3x0.3 h0.3 apex1",
       "3 TDummyCube @0,-0.6,0",
       "4 TDummyCube @0,1.1,0",
       "4.0 TVPulley @0,0,0 Brass pulley 0.18/0.16 w0.08 s50 n1 f19 in0.144 k0",
       "4.1 TCylinder @0,0,0 p90 Bronze cyl 0.03/0.03 h0.15 s10 parts7",
       "4.2 TGLProxyObject @0,0,0 r72 of 4.6 opt7",
       "4.3 TGLProxyObject @0,0,0 r144 of 4.6 opt7",
       "4.4 TGLProxyObject @0,0,0 r216 of 4.6 opt7",
       "4.5 TGLProxyObject @0,0,0 r288 of 4.6 opt7",
       "4.6 TSpoke @0,0,0 Brass spoke 0.144 0.018 0.08 72 10",
     }},
    {"10.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 TBevelCogEx @0,0,0 r-16.88 Brass bevel 16 0.25 0.08 cone45",
       "0.1 TCylinder @0,0,-0.49 p90 Metal cyl 0.15/0.15 h1 s20 parts7",
       "1 TDummyCube @-0.6366,0,0.6366",
       "1.0 TBevelCogEx @0,0,0 t90 Brass bevel 16 0.25 0.08 cone45",
       "1.1 TCylinder @-0.49,0,0 r90 Metal cyl 0.15/0.15 h1 s20 parts7",
       "2 TDummyCube @-0.4044,0,0.6366 t90 hidden",
       "2.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0 0.175,0,0 0.175,0.02,0 0.25,0,0 0.175,-0.02,0 0.175,0,0",
       "3 TDummyCube @0,0,0.2322 hidden",
       "3.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0 0.175,0,0 0.175,0.02,0 0.25,0,0 0.175,-0.02,0 0.175,0,0",
     }},
    {"11.0",
     std::vector<std::string>{
       "0 TLinearCam @0,0,0 Brass",
       "1 TDummyCube @0,0,0",
     } + RollerFollower + std::vector<std::string>{
       "2 TLinearPlate @0,-0.2,0 Blue",
     }},
    {"12.0",
     {
       "0 TDummyCube @0,1,0",
       "0.0 TVPulley @0,0,-0.04 Brass pulley 0.2/0.18 w0.06 s30 n0 f19 in0.165 k0",
       "0.1 TSpoke @0,0,-0.04 Brass spoke 0.165 0.018 0.06 72 20",
       "0.2 TGLProxyObject @0,0,0 r72 of 0.1 opt7",
       "0.3 TGLProxyObject @0,0,0 r144 of 0.1 opt7",
       "0.4 TGLProxyObject @0,0,0 r216 of 0.1 opt7",
       "0.5 TGLProxyObject @0,0,0 r288 of 0.1 opt7",
       "0.6 TVPulley @0,0,0.04 Brass pulley 0.15/0.13 w0.06 s30 n0 f19 in0.115 k0",
       "0.7 TSpoke @0,0,0.04 Brass spoke 0.115 0.018 0.06 72 20",
       "0.8 TGLProxyObject @0,0,0 r72 of 0.7 opt7",
       "0.9 TGLProxyObject @0,0,0 r144 of 0.7 opt7",
       "0.10 TGLProxyObject @0,0,0 r216 of 0.7 opt7",
       "0.11 TGLProxyObject @0,0,0 r288 of 0.7 opt7",
       "0.12 TCylinder @0,0,0 p90 Bronze cyl 0.03/0.03 h0.2 s10 parts7",
       "1 TDummyCube @-0.025,-0.5,0",
       "1.0 TVPulley @0,0,0 Brass pulley 0.1/0.08 w0.06 s20 n0 f15 in0.065 k0",
       "1.1 TOpenBox @0,-0.05,0 Metal box 0.1x0.2x0.12 wall0.02 style2",
       "1.2 TCylinder @0,0,0 p90 Bronze cyl 0.03/0.03 h0.14 s10 parts7",
       "1.3 TCube @0,-0.45,0 PaleWhite cube 0.4x0.4x0.4 parts63",
       "1.4 TCylinder @0,-0.2,0 Red cyl 0.0125/0.0125 h0.1 s6 parts7",
       "2 TWestonRope @0,1,0 Metal chain 0.2/0.15 pulley0.1 drop1.5 off0.04",
       "3 TLines @0,1,0.14 hidden lines (1,1,1,1) aa 0,0,0 0.125,0,0 0.125,0.02,0 0.2,0,0 0.125,-0.02,0 0.125,0,0",
       "4 TLines @-0.025,-0.5,0.1 hidden lines (1,1,1,1) aa 0,0,0 0.125,0,0 0.125,0.02,0 0.2,0,0 0.125,-0.02,0 0.125,0,0",
       "5 TOpenBox @0,1.1,0 r180 Metal box 0.1x0.3x0.18 wall0.02 style2",
     }},
    {"13.0",
     std::vector<std::string>{
       "0 TDummyCube @0,-0.1,0",
       "0.0 TCylinder @0,0.1,0 p-90 Bronze cyl 0.5/0.5 h0.2 s50 parts1",
       "0.1 TCylinder @0,0.1,0 p-90 Brass cyl 0.5/0.5 h0.2 s50 parts6",
       "0.2 TCylinder @0,0,0 p-90 Metal cyl 0.2/0.2 h0.5 s40 parts7",
       "1 TDummyCube @0,0.5,0",
     } + RollerFollower + std::vector<std::string>{
       "2 TDummyCube @0,-0.1,0 hidden",
       "2.0 TLines @0,0,0.306 lines (1,1,1,1) aa 0,0,0 0.125,0,0 0.125,0.02,0 0.2,0,0 0.125,-0.02,0 0.125,0,0",
     }},
    {"14.0", CamOnItsAxis("0.0 TCam @0,0,0 r90 Brass cam 0.3 0.14 0.25 t0.2 s50 side", "0.3")},
    {"15.0", CamOnItsAxis("0.0 THeartCam @0,0,0 r90 Brass heart 0.1 0.25 t0.2 s50", "0.25")},
    {"16.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 THSCylinder @0,0,0 Brass drum 0.2 groove0.1/0.05 at21.34 l0.4456 s40 side",
       "0.1 TCylinder @0,0,0 r90 Metal cyl 0.05/0.05 h1 s20 parts7",
       "0.2 TLines @-0.52,0,0 t90 hidden lines (1,1,1,1) aa 0,0,0 0.175,0,0 0.175,0.02,0 0.25,0,0 0.175,-0.02,0 0.175,0,0",
       "1 TDummyCube @0.07279,0.15,0",
       "1.0 TCylinder @0,0.05,0 Metal cyl 0.045/0.055 h0.1 s20 parts7",
       "1.1 TCylinder @0,0.15,0 Metal cyl 0.035/0.035 h0.1 s20 parts7",
     }},
    {"17.0",
     {
       "0 TDummyCube @0.25,-0.5,0 r14.48",
       "0.0 TPiston @0,1,0 r-14.48 BrightMetal piston 0.3 0.05 0.1 0.35 0.03 s50",
       "0.1 TCrankEx @0,0,0 Brass",
       "0.2 TCylinder @0,1,0 p-90 Bronze cyl 0.035/0.035 h0.58 s20 parts7",
       "1 TDummyCube @0,-0.5,0",
       "1.0 TCylinder @0,0,0.33 p-90 BrightMetal cyl 0.13/0.13 h0.3 s20 parts5",
       "1.1 TCylinder @0,0,-0.33 p90 BrightMetal cyl 0.13/0.13 h0.3 s20 parts5",
       "1.2 TBigEnd @0,0,0.13 DarkMetal cam 0.32 0.18 0.25 t0.1 s20 side",
       "1.3 TBigEnd @0,0,-0.13 DarkMetal cam 0.32 0.18 0.25 t0.1 s20 side",
       "2 TDummyCube @0,-0.5,0",
       "2.0 TAnnulusEx @0,1.2,0 Metal ring 0.3475 w0.04 t0.9 0..180 s30",
     }},
    {"18.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 TScrew @0,0,0 Metal screw 0.2 0.05 0.1 0.1 turns10 32 profile0 parts12",
       "0.1 TCylinder @0.55,0,0 r90 Metal cyl 0.2/0.2 h1.1 s32 parts7",
       "0.2 THexNut @1.22,0,0 t90 Metal hexnut 0.4 0 0.24 solid",
       "1 TDummyCube @-0.6,0,0",
       "1.0 THexNut @0.15,0,0 t90 Metal hexnut 0.4 0.25 0.3",
       "1.1 TScrew @0,0,0 Metal screw 0.2 0.05 0.1 0.1 turns2 32 profile0 internal parts12",
     }},
    {"19.0",
     {
       "0 TDummyCube @0,-0.4764,0",
       "0.0 TScrew @0.2,0,0 Metal screw 0.04 0.02 0.05 0.04 turns18 20 profile1 left parts12",
       "0.1 TScrew @-0.2,0,0 r180 Metal screw 0.04 0.02 0.05 0.04 turns18 20 profile1 parts12",
       "0.2 TCylinder @0,0,0 r90 Metal cyl 0.04/0.04 h2.25 s20 parts7",
       "0.3 TPartialTorus @1.125,0.1,0 p180 Metal bend 0.1/0.04 0..1.571",
       "0.4 TPartialTorus @1.325,0.3,0 t180 Metal bend 0.1/0.04 0..1.571",
       "0.5 TCylinder @1.225,0.2,0 Metal cyl 0.04/0.04 h0.2 s20 parts1",
       "0.6 TCylinder @1.425,0.4,0 r-90 Metal cyl 0.04/0.04 h0.2 s20 parts5",
       "1 TDummyCube @0,-0.2028,0",
       "1.0 TOpenBox @0,0,0 r180 Blue box 0.6x0.2x0.24 wall0.02 style2",
       "1.1 TLinkAxle @-0.2,0,0 Bronze pin 0.24 0.035 0.05 0.02 20 m0",
       "1.2 TLinkAxle @0.2,0,0 Bronze pin 0.24 0.035 0.05 0.02 20 m0",
       "2 TDummyCube @-0.9518,-0.4764,0",
       "2.0 TLinkage @0,0,0.088 r-160 Red link 0.06 0.02 0.8 20 place0 side",
       "2.1 TLinkage @0,0,-0.088 r-160 Red link 0.06 0.02 0.8 20 place0 side",
       "2.2 TLinkage @0,0,0.11 r160 Red link 0.06 0.02 0.8 20 place0 side",
       "2.3 TLinkage @0,0,-0.11 r160 Red link 0.06 0.02 0.8 20 place0 side",
       "2.4 TSquareNut @0,0,0 t90 Bronze squarenut 0.152 0.06 0.15",
       "2.5 TLinkAxle @0,0,0 Bronze pin 0.24 0.035 0.05 0.02 20 m0",
       "3 TDummyCube @0.9518,-0.4764,0",
       "3.0 TLinkage @0,0,0.088 r-20 Red link 0.06 0.02 0.8 20 place0 side",
       "3.1 TLinkage @0,0,-0.088 r-20 Red link 0.06 0.02 0.8 20 place0 side",
       "3.2 TLinkage @0,0,0.11 r20 Red link 0.06 0.02 0.8 20 place0 side",
       "3.3 TLinkage @0,0,-0.11 r20 Red link 0.06 0.02 0.8 20 place0 side",
       "3.4 TSquareNut @0,0,0 t90 Bronze squarenut 0.152 0.06 0.15",
       "3.5 TLinkAxle @0,0,0 Bronze pin 0.24 0.035 0.05 0.02 20 m0",
       "4 TDummyCube @0,-0.75,0",
       "4.0 TOpenBox @0,0,0 Blue box 0.6x0.2x0.284 wall0.02 style2",
       "4.1 TLinkAxle @-0.2,0,0 Bronze pin 0.284 0.035 0.05 0.02 20 m0",
       "4.2 TLinkAxle @0.2,0,0 Bronze pin 0.284 0.035 0.05 0.02 20 m0",
     }},
    {"20.0",
     {
       "0 TDummyCube @0,-0.75,0 r-18.43",
       "0.0 TSlotLinkage @0,0,0.02 Red link 0.1 0.04 1.6 20 place0 side slot 0.1 0.25..1.25",
       "1 TDummyCube @0,0,-0.1",
       "1.0 TCylinder @0,0,0 p90 DarkBrass cyl 0.5/0.5 h0.05 s10 parts7",
       "1.1 TCog @0,0,0 Brass cog 25 0.14 0.06 0.06 0.45",
       "1.2 TSlotAxle @0,0,0 Metal axle 0.05 0.14 0.0175 0.025 20",
       "1.3 TCube @0,0.035,0 DarkMetal cube 0.0175x0.05x0.1 parts63",
       "1.4 TCylinder @0.25,0,0.07 p90 Bronze cyl 0.03/0.03 h0.17 s20 parts7",
       "2 TDummyCube @0.506,0.7679,0 r-152.3",
       "2.0 TLinkage @0,0,0.062 Red link 0.07 0.04 0.5 10 place0 side",
       "2.1 TLinkAxle @0,0,0.04 Bronze pin 0.084 0.04 0.06 0.02 20 m0",
       "3 TDummyCube @0.9488,1,0",
       "3.0 TOpenBox @0,0,0.062 r180 Blue box 0.2x0.2x0.16 wall0.02 style2",
       "3.1 TLinkAxle @0,0,0.062 Bronze pin 0.16 0.04 0.06 0.02 20 m0",
       "3.2 TCube @-0.3,0.22,0.062 Blue cube 1x0.24x0.2 parts63",
       "3.3 TOpenBox @-0.9,0.22,0.062 r-90 Blue box 0.24x0.2x0.2 wall0.04 style1",
       "3.4 TCutBit @-0.85,0.22,0.062 Metal",
       "3.5 TCylinder @-0.91,0.22,0.062 r90 Metal cyl 0.04/0.04 h0.02 s20 parts3",
       "3.6 TScrew @-1.12,0.22,0.062 Metal screw 0.04 0.01 0.02 0.02 turns10 20 profile0 parts8",
       "3.7 THexNut @-1.12,0.22,0.062 t90 Metal hexnut 0.07 0 0.08",
       "4 TDummyCube @-0.7249,0,-0.1",
       "4.0 TCog @0,0,0 r-9 Brass cog 10 0.14 0.06 0.06 0.1",
       "4.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.15/0.15 h0.05 s10 parts7",
       "4.2 TSlotAxle @0,0,0 Metal axle 0.05 0.14 0.0175 0.025 20",
       "4.3 TCube @0,0.035,0 DarkMetal cube 0.0175x0.05x0.1 parts63",
       "5 TDummyCube @0.25,0,0 r-18.43",
       "5.0 TCube @0,0,0.02 Metal cube 0.1x0.15x0.06 parts63",
       "6 TDummyCube @0,-0.75,0.02",
       "6.0 TOpenBox @0,0,0 Blue box 0.4x0.3x0.16 wall0.04 style2",
       "6.1 TLinkAxle @0,0,0 Bronze pin 0.16 0.04 0.06 0.02 20 m0",
     }},
    {"21.0",
     {
       "0 TDummyCube @0,0.7,0",
       "0.0 THelix @-0.125,0,0 t-90 Red helix 0.07 0.01 pitch0.03 turns1 20 sides5 ends2",
       "1 TDummyCube @0,0.7,0",
       "1.0 TCylinder @-0.125,-1,0.07 Red cyl 0.01/0.01 h2 s10 parts7",
       "2 TDummyCube @0,0.7,0",
       "2.0 TCylinder @0.1,0,0 r90 Brass cyl 0.06/0.06 h0.6 s20 parts7",
       "2.1 TCylinder @0.55,0,0.6 r90 Blue cyl 0.03/0.03 h0.3 s10 parts7",
       "2.2 TCylinder @0.42,0,0 r-90 Bronze cyl 0.04/0.03 h0.01 s10 parts5",
       "2.3 TLinkage @0.4,0,0 t90 Blue link 0.1 0.03 0.6 20 place0 side",
       "3 TDummyCube @0,-1.3,0",
       "3.0 TFrustrum @-0.125,-0.3915,0.07 DarkMetal frustrum 0.3915x0.3915 h0.3915 apex1",
     }},
    {"22.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 TRoundabout @0,-0.02,0 p90 HazelNut",
       "0.1 TSlattedPlane @0,-0.27,0.856 DarkBrown",
       "0.2 TGLProxyObject @0,0,0 t60 of 0.1 opt7",
       "0.3 TGLProxyObject @0,0,0 t120 of 0.1 opt7",
       "0.4 TGLProxyObject @0,0,0 t180 of 0.1 opt7",
       "0.5 TGLProxyObject @0,0,0 t240 of 0.1 opt7",
       "0.6 TGLProxyObject @0,0,0 t300 of 0.1 opt7",
       "0.7 TPipe @0,-0.5,0 Metal pipe 0.02 n13",
       "0.8 TGLProxyObject @0,0,0 t60 of 0.7 opt7",
       "0.9 TGLProxyObject @0,0,0 t120 of 0.7 opt7",
       "0.10 TGLProxyObject @0,0,0 t180 of 0.7 opt7",
       "0.11 TGLProxyObject @0,0,0 t240 of 0.7 opt7",
       "0.12 TGLProxyObject @0,0,0 t300 of 0.7 opt7",
       "0.13 TAnnulusEx @0,-0.52,0 HazelNut ring 1.15 w0.4 t0.04 0..360 s50",
       "0.14 TCylinder @0,-0.24,0 Metal cyl 0.1/0.1 h0.8 s50 parts7",
       "0.15 TDummyCube @0.75,0,0.25 t90 x0.2,0.2,0.2",
       "0.15.0 THead @0,2.4,0 FaceBrown",
       "0.15.1 TRevolutionSolid @0,0.5,0 t45 mtOrange40",
       "0.15.2 TPipe @0,1.8,0.3 p10 mtOrange40 pipe 0.15 n3",
       "0.15.2.0 TExtrusionSolid @0,-1,0.25 mtPink70 outline n6 w0.2 h0.1",
       "0.15.3 TGLProxyObject @0,1.8,-0.3 p10 t180 of 0.15.2 opt2",
       "0.15.4 TExtrusionSolid @-0.1,0,0.05 Blue outline n12 w0.5 h0.4",
       "0.15.5 TGLProxyObject @-0.1,0,-0.45 of 0.15.4 opt2",
       "0.15.6 TCube @-0.9,-1.15,0.25 own(a0.2,0.2,0.2;d0.8,0.8,0.8) cube 0.8x0.3x0.4 parts63",
       "0.15.7 TGLProxyObject @-0.9,-1.15,-0.25 of 0.15.6 opt2",
     }},
    {"23.0",
     {
       "0 TDummyCube @0,0.384,0",
       "0.0 TEscWheel @0,0,0 ShinyBrass",
       "0.1 TSpoke @0,0,0 ShinyBrass spoke 0.2 0.01 0.04 72 10",
       "0.2 TGLProxyObject @0,0,0 r72 of 0.1 opt7",
       "0.3 TGLProxyObject @0,0,0 r144 of 0.1 opt7",
       "0.4 TGLProxyObject @0,0,0 r216 of 0.1 opt7",
       "0.5 TGLProxyObject @0,0,0 r288 of 0.1 opt7",
       "0.6 TCog @0,0,0.1 ShinyBrass cog 10 0.05 0.025 0.04 0",
       "0.7 TCylinder @0,0,0.05 p90 Metal cyl 0.02/0.02 h0.2 s20 parts7",
       "1 TDummyCube @0,1.3,0 r-2",
       "1.0 TPallet @0,0,0 ShinyBrass",
       "1.1 TCylinder @0,0,0 p90 ShinyBrass cyl 0.05/0.05 h0.05 s20 parts7",
       "1.2 TCylinder @0,0,-0.11 p90 Metal cyl 0.02/0.02 h0.3 s10 parts7",
       "1.3 TCube @0,-0.07,-0.1 DarkMetal cube 0.1x0.2x0.1 parts63",
       "1.4 TCylinder @0,-1.1,-0.1 Metal cyl 0.02/0.02 h2 s10 parts7",
       "1.5 TCylinder @0,-2.2,-0.1 p90 Bronze cyl 0.25/0.25 h0.04 s50 parts1",
       "1.6 TCylinder @0,-2.2,-0.07 p90 Bronze cyl 0.2/0.25 h0.02 s50 parts3",
       "1.7 TCylinder @0,-2.2,-0.13 p90 Bronze cyl 0.25/0.2 h0.02 s50 parts5",
       "2 TDummyCube @-0.182,0.202,0.1",
       "2.0 THelix @0,0,0.17 Red helix 0.06 0.01 pitch0.03 turns0.5 20 sides5 ends0",
       "2.1 TCog @0,0,0 r9 ShinyBrass cog 25 0.05 0.025 0.02 0",
       "2.2 TCylinder @0,0,0.1 p90 Metal cyl 0.05/0.05 h0.2 s20 parts7",
       "2.3 THelix @0,0,0.05 Red helix 0.06 0.01 pitch0.03 turns4 20 sides5 ends1",
       "3 TCylinder @-0.242,-0.398,0.285 Red cyl 0.01/0.01 h1.2 s5 parts1",
       "4 TCylinder @-0.242,-1.016,0.285 Metal cyl 0.1/0.1 h0.4 s20 parts7",
     }},
    {"24.0",
     {
       "0 TDummyCube @0.8,0.2,0.7",
       "0.0 TGTSlider @0,0,0 t-90 Blue",
       "0.1 TGTBlade @0,-0.19,0 Metal",
       "1 TDummyCube @0.7,0,0.7",
       "1.0 TCard @-0.7,0.005,0.1 Brass",
       "2 TCube @0,-0.03,0 Blue cube 2x0.06x1.4 parts63",
       "3 TGTEnd @-0.97,0,0.7 t-90 Blue",
       "4 TGTEnd @0.97,0,0.7 t-90 Blue",
       "5 TCylinder @0,0.2,0.7 r90 BrightMetal cyl 0.05/0.05 h1.94 s20 parts1",
       "6 TCube @0,0.0025,0.2 Brass cube 1.4x0.005x1 parts63",
     }},
    {"25.0",
     {
       "0 TCam @0,0.5,-0.05 r-90 Brass cam 0.15 0.1 0.3 t0.1 s20",
       "0.0 TCylinder @0,0,-0.55 p90 Metal cyl 0.05/0.05 h1 s20 parts7",
       "0.1 TCylinder @-0.3,0,0.09 p90 Bronze cyl 0.03/0.03 h0.08 s20 parts1",
       "0.2 TCylinder @-0.3,0,0.175 p-90 Bronze cyl 0.04/0.03 h0.01 s20 parts5",
       "1 TLinkage @0,0.8,0.1 r90 Blue link 0.06 0.04 0.5 20 place0 side",
       "2 TCube @0,0.3,0.2 Brass cube 0.1x0.1x0.1 parts63",
       "2.0 TCylinder @0,-0.04,0 Bronze cyl 0.012/0.012 h1.5 s20 parts7",
       "2.1 TCylinder @0,0,-0.065 p90 Bronze cyl 0.03/0.03 h0.03 s20 parts7",
       "2.2 TCylinder @0,0,-0.125 p90 Bronze cyl 0.04/0.03 h0.01 s20 parts5",
       "2.3 TNeedle @0,-0.84,0 BrightMetal",
       "2.4 TCylinder @0,-0.8,0 Bronze cyl 0.02/0.02 h0.1 s10 parts7",
       "3 TLinkage @-0.4464,1.154,0.1 Blue link 0.06 0.04 0.8 20 place2 side",
       "3.0 TLinkAxle @0.8,0,-0.02 Bronze pin 0.08 0.03 0.04 0.01 20 m0",
       "3.1 TCylinder @0,0,0 p90 Bronze cyl 0.03/0.03 h0.1 s20 parts7",
       "4 TLinkage @0,0.8,0.06 r45 Red link 0.06 0.04 0.5 20 place2 side",
       "4.0 TSMRing @0.6414,-0.1414,0 r-45 Red",
       "5 TOpenBox @0,0,0.22 p90 Red box 0.1x0.15x0.8 wall0.02 style2",
     }},
    {"26.0",
     {
       "0 TDummyCube @0,0,0 r-70",
       "0.0 THammerhead @0,0,0 Metal",
       "0.1 TCylinder @0,0.25,0 own(a0.7,0.7,0.7;d0.7,0.7,0.7) cyl 0.06/0.06 h0.5 s20 parts1",
       "0.2 TCylinder @0,1,0 Blue cyl 0.09/0.09 h1 s20 parts1",
       "0.3 TCylinder @0,1.51,0 Blue cyl 0.09/0.07 h0.02 s20 parts5",
       "0.4 TCylinder @0,0.49,0 Blue cyl 0.07/0.09 h0.02 s20 parts3",
       "1 TDummyCube @0.6353,-0.48,0",
       "1.0 TRevolutionSolid @0,-0.25,0 Bronze",
       "2 TDummyCube @0.9397,0.342,0 hidden",
       "2.0 TExtrusionSolid @-0.1,0.4,0 r-90 own(a1,1,1;d0.8,0.8,0.8) outline n12 w0.06 h0.02",
       "2.1 TLines @0,0,0 r110 lines (1,1,1,1) aa 0,0,0 0.325,0,0 0.325,0.02,0 0.4,0,0 0.325,-0.02,0 0.325,0,0",
       "3 TDummyCube @0.6353,-0.47,0 hidden",
       "3.0 TExtrusionSolid @0.05,0.3,0 own(a1,1,1;d0.8,0.8,0.8) outline n6 w0.06 h0.02",
       "3.1 TLines @0,0,0 lines (1,1,1,1) aa 0,0.3,0 0,0.075,0 0,0.075,-0.02 0,0,0 0,0.075,0.02 0,0.075,0",
       "4 TExtrusionSolid @0,-0.48,0.15 hidden own(a1,1,1;d0.8,0.8,0.8) outline n10 w0.06 h0.02",
       "5 TCube @0,-0.65,0 ~ cube 2x0.26x0.6 parts63",
     }},
    {"26.1",
     {
       "0 TDummyCube @0,0,0 x2,2,2",
       "0.0 TScissorBlade @0,0,0 Metal",
       "0.1 TScissorHandle @0.38,0.125,0.005 r10 Blue",
       "0.2 TBezierStrip @0,0,0.005 Blue strip t0.03 sides15 0.17,0.01 0.22,0.04 0.25,0.08 0.28,0.05"
       " 0.14,0.09 0.2,0.1 0.26,0.16 0.28,0.187",
       "1 TDummyCube @0,0,0 x2,2,2",
       "1.0 TGLProxyObject @0,0,0 p180 of 0.0 opt2",
       "1.1 TGLProxyObject @0.38,-0.125,-0.005 r-10 of 0.1 opt2",
       "1.2 TGLProxyObject @0,0,-0.005 p180 of 0.2 opt2",
       "1.3 TFlatHead @0,0,0.01 own(a0.2,0.2,0.2;d0.8,0.8,0.8)",
       "1.4 TCylinder @0,0,-0.012 p90 own(a0.2,0.2,0.2;d0.8,0.8,0.8) cyl 0.02/0.02 h0.004 s10 parts5",
       "2 TPaper @-1.3,0,0 PaleWhite",
       "3 TPaper @-1.3,0,0 p180 PaleWhite",
       "4 TDummyCube @0.8,0.5,0 hidden",
       "4.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0.3,0 0,0.075,0 0,0.075,-0.02 0,0,0 0,0.075,0.02 0,0.075,0",
       "4.1 TExtrusionSolid @0.03,0.15,0 own(a1,1,1;d0.8,0.8,0.8) outline n12 w0.06 h0.02",
       "5 TDummyCube @-1.2,-0.1,0 hidden",
       "5.0 TLines @0,-0.3,0 lines (1,1,1,1) aa 0,0.3,0 0,0.075,0 0,0.075,-0.02 0,0,0 0,0.075,0.02 0,0.075,0",
       "5.1 TExtrusionSolid @0.03,-0.2,0 own(a1,1,1;d0.8,0.8,0.8) outline n6 w0.06 h0.02",
       "6 TDummyCube @0.8,-0.5,0 hidden",
       "6.0 TLines @0,0,0 lines (1,1,1,1) aa 0,-0.3,0 0,-0.075,0 0,-0.075,-0.02 0,0,0 0,-0.075,0.02 0,-0.075,0",
       "6.1 TExtrusionSolid @0.03,-0.2,0 own(a1,1,1;d0.8,0.8,0.8) outline n12 w0.06 h0.02",
       "7 TDummyCube @-1.2,0.1,0 hidden",
       "7.0 TLines @0,0.3,0 lines (1,1,1,1) aa 0,-0.3,0 0,-0.075,0 0,-0.075,-0.02 0,0,0 0,-0.075,0.02 0,-0.075,0",
       "7.1 TExtrusionSolid @0.03,0.15,0 own(a1,1,1;d0.8,0.8,0.8) outline n6 w0.06 h0.02",
       "8 TExtrusionSolid @0,0,0.05 hidden own(a1,1,1;d0.8,0.8,0.8) outline n10 w0.06 h0.02",
     }},
    {"27.0",
     {
       "0 TDummyCube @-0.8,0,-0.001 r15",
       "0.0 TNutCracker @0,0,0 Metal",
       "0.1 TRoundCuboid @1.1,0.15,0 Blue cuboid 1x0.14x0.13",
       "1 TGLProxyObject @-0.8,0,0.001 p180 r15 of 0 opt2",
       "2 TDummyCube @-0.96,0,0 r15 hidden",
       "2.0 TExtrusionSolid @1.501,0.4442,0 r-15 own(a1,1,1;d0.8,0.8,0.8) outline n12 w0.06 h0.01",
       "2.1 TLines @1.471,0.2942,0 lines (1,1,1,1) aa 0,0.3,0 0,0.075,0 0,0.075,-0.02 0,0,0 0,0.075,0.02 0,0.075,0",
       "2.2 TExtrusionSolid @0.4222,0.3284,0 r-15 own(a1,1,1;d0.8,0.8,0.8) outline n6 w0.06 h0.01",
       "2.3 TLines @0.3922,0.1784,0 r90 lines (1,1,1,1) aa 0,0,0 0.225,0,0 0.225,0.02,0 0.3,0,0 0.225,-0.02,0 0.225,0,0",
       "3 TDummyCube @-0.96,0,0 r-15 hidden",
       "3.0 TExtrusionSolid @1.501,-0.4942,0 r15 own(a1,1,1;d0.8,0.8,0.8) outline n12 w0.06 h0.01",
       "3.1 TLines @1.471,-0.2942,0 lines (1,1,1,1) aa 0,-0.3,0 0,-0.075,0 0,-0.075,-0.02 0,0,0 0,-0.075,0.02 0,-0.075,0",
       "3.2 TExtrusionSolid @0.4222,-0.3784,0 r15 own(a1,1,1;d0.8,0.8,0.8) outline n6 w0.06 h0.01",
       "3.3 TLines @0.3922,-0.1784,0 r-90 lines (1,1,1,1) aa 0,0,0 0.225,0,0 0.225,0.02,0 0.3,0,0 0.225,-0.02,0 0.225,0,0",
       "4 TFreeForm @-0.6,0,0 p180 ~",
       "5 TExtrusionSolid @-1,0,0 r15 hidden own(a1,1,1;d0.8,0.8,0.8) outline n10 w0.06 h0.01",
     }},
    {"27.1",
     {
       "0 TDummyCube @-0.4,0,0",
       "0.0 TCylinder @0,0,0 p90 Brass cyl 0.15/0.15 h0.07 s20 parts6",
       "0.1 TTorus @0,0,0 own(a0.2,0.2,0.2;d0.8,0.8,0.8) torus 0.15/0.05 rings30",
       "0.2 TCylinder @0,0,0 p90 Metal cyl 0.01/0.01 h0.3 s20 parts7",
       "0.3 TPipe @0,0,0 r5.71 Metal pipe 0.03 n118",
       "0.4 TAsymBox @0.246,0.055,0 t90 r5.71 Metal 0.4,0.4,-0.2 0.4,0.3,0.849 -0.4,0.3,0.849 -0.4,0.4,-0.2"
       " 0.3,0,0 0.3,0,0.74 -0.3,0,0.74 -0.3,0,0",
       "0.5 TBezierSurface @0.558,0.3,0 PaleWhite surface 0.932x0.71 middle -0.5,1,0",
       "1 TDummyCube @1,0.5,0 hidden",
       "1.0 TLines @0,0.3,0.35 lines (1,1,1,1) aa 0,-0.3,0 0,-0.075,0 0,-0.075,-0.02 0,0,0 0,-0.075,0.02 0,-0.075,0",
       "1.1 TLines @0,0.3,-0.35 lines (1,1,1,1) aa 0,-0.3,0 0,-0.075,0 0,-0.075,-0.02 0,0,0 0,-0.075,0.02 0,-0.075,0",
       "1.2 TExtrusionSolid @0.03,0.1,0.35 own(a1,1,1;d0.8,0.8,0.8) outline n12 w0.06 h0.01",
       "1.3 TGLProxyObject @0,0,-0.7 of 1.2 opt7",
       "2 TDummyCube @0,0,0 hidden",
       "2.0 TLines @0,-0.3,0 lines (1,1,1,1) aa 0,0.3,0 0,0.075,0 0,0.075,-0.02 0,0,0 0,0.075,0.02 0,0.075,0",
       "2.1 TExtrusionSolid @0.03,-0.2,0 own(a1,1,1;d0.8,0.8,0.8) outline n6 w0.06 h0.01",
       "3 TExtrusionSolid @-0.43,0,0.15 hidden own(a1,1,1;d0.8,0.8,0.8) outline n10 w0.06 h0.01",
     }},
    {"28.0",
     {
       "0 TFreeForm @0,0,0 PaleWhite",
       "1 TFreeForm @0,0,0 PaleWhite",
       "1.0 TLines @0.8,0.5,0.38 r90 hidden lines (1,1,1,1) aa 0,0,0 1.7,0,0 1.7,0.1,0 2,0,0 1.7,-0.1,0 1.7,0,0",
       "1.0.0 TExtrusionSolid @1.5,-0.2,0 r-90 own(a1,1,1;d0.8,0.8,0.8) outline n12 w0.3 h0.05",
       "2 TFreeForm @4,0,0 PaleWhite",
       "2.0 TLines @1.3,0,0 r-90 hidden lines (1,1,1,1) aa 0,0,0 1.7,0,0 1.7,0.1,0 2,0,0 1.7,-0.1,0 1.7,0,0",
       "2.1 TExtrusionSolid @1.5,-2,0 hidden own(a1,1,1;d0.8,0.8,0.8) outline n6 w0.3 h0.05",
       "2.2 TFrustrum @1.3,0.1,-0.2 own(a0.2,0.2,0.2;d0.8,0.8,0.8) frustrum 1.4x1.4 h1.4 apex5.6",
       "3 TPipe @0,0,0 Muscle pipe 0.08 n6",
       "4 TExtrusionSolid @-0.8,-0.5,0 hidden own(a1,1,1;d0.8,0.8,0.8) outline n10 w0.3 h0.05",
     }},
    {"28.1",
     {
       "0 TDummyCube @0,1.1,0 r-90 x1.8,1.8,1.8",
       "0.0 TTweezers @0,0,0 Metal strip t0.01 sides15 0,0 0.05,0 0.47,0.15 1,0.1 0,0.03 0.5,0.05 0.5,0.02 1,0.01",
       "1 TDummyCube @0,1.1,0 r-90 x1.8,1.8,1.8",
       "1.0 TTweezers @0,0,0 p180 Metal strip t0.01 sides15 0,0 0.05,0 0.47,0.15 1,0.1 0,0.03 0.5,0.05 0.5,0.02 1,0.01",
       "2 TTweezerEnd @0,1.09,0 r-90 x0.9,0.9,0.9 Metal",
       "3 TCube @0,-1.26,0 Blue cube 0.0625x0.07x0.3 parts63",
       "4 TDummyCube @0,0,0 hidden",
       "4.0 TLines @0.55,0,0 r180 lines (1,1,1,1) aa 0,0,0 0.225,0,0 0.225,0.02,0 0.3,0,0 0.225,-0.02,0 0.225,0,0",
       "4.1 TLines @0.25,-0.5,0 lines (1,1,1,1) aa 0,0,0 0.225,0,0 0.225,0.02,0 0.3,0,0 0.225,-0.02,0 0.225,0,0",
       "4.2 TLines @-0.55,0,0 lines (1,1,1,1) aa 0,0,0 0.225,0,0 0.225,0.02,0 0.3,0,0 0.225,-0.02,0 0.225,0,0",
       "4.3 TLines @-0.25,-0.5,0 r180 lines (1,1,1,1) aa 0,0,0 0.225,0,0 0.225,0.02,0 0.3,0,0 0.225,-0.02,0 0.225,0,0",
       "4.4 TExtrusionSolid @0.1,1,0 own(a1,1,1;d0.8,0.8,0.8) outline n10 w0.06 h0.01",
       "4.5 TExtrusionSolid @0.4,0.03,0 own(a1,1,1;d0.8,0.8,0.8) outline n12 w0.06 h0.01",
       "4.6 TGLProxyObject @-0.45,0.03,0 of 4.5 opt2",
       "4.7 TExtrusionSolid @0.3,-0.47,0 own(a1,1,1;d0.8,0.8,0.8) outline n6 w0.06 h0.01",
       "4.8 TGLProxyObject @-0.35,-0.47,0 of 4.7 opt2",
     }},
    {"29.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 TLinkage @0,0.5,0 r90 Red link 0.1 0.02 1 20 place0 side",
       "0.1 TCylinder @0,0,0 p90 Bronze cyl 0.04/0.04 h0.5 s20 parts7",
       "0.2 TLinkAxle @0,0.5,0.015 Bronze pin 0.05 0.035 0.05 0.02 20 m0",
       "0.3 TLinkAxle @0,-0.5,-0.015 Bronze pin 0.05 0.035 0.05 0.02 20 m0",
       "0.4 TLinkage @0,0.5,0.03 Blue link 0.1 0.02 1 20 place0 side",
       "0.5 TLinkage @0,-0.5,-0.03 r180 Blue link 0.1 0.02 1 20 place0 side",
     }},
    {"30.0",
     {
       "0 TDummyCube @0,0,0.0502 x2,2,2",
       "0.0 TBezierStrip @0,0,0 Red strip t0.04 sides13 side -0.35,0.05 -0.4,0.05 -0.4,-0.05 -0.35,-0.05"
       " 0,0.05 0,0.05 0,-0.05 0,-0.05",
       "0.1 TBezierStrip @0,0,0 Red strip t0.04 sides3 side 0,-0.05 0.13,-0.05 0.25,-0.12 0.25,-0.28 0,0.05"
       " 0.29,0.05 0.29,-0.12 0.29,-0.28",
       "0.2 TSlotLinkage @0.27,-0.44,0 t90 Metal link 0.05 0.04 0.12 20 place0 side slot 0.04 0..0.12",
       "0.3 TCube @0.235,-0.38,0 Metal cube 0.03x0.09x0.36 parts63",
       "0.4 TFrustrum @0.22,-0.38,0 r90 DarkMetal frustrum 0.09x0.36 h0.08 apex1",
       "0.5 TCylinder @0.3,-0.38,0 r-90 Bronze cyl 0.016/0.016 h0.1 s16 parts5",
       "0.6 TScrew @0.25,-0.38,0 Bronze screw 0.016 0.004 0.01 0.01 turns9 10 profile0 parts10",
       "0.7 THexNut @0.31,-0.38,0 t90 Metal hexnut 0.05 0 0.04 solid",
       "0.8 TCylinder @-0.3175,0,0.03 p-90 Bronze cyl 0.04/0.025 h0.02 s16 parts5",
       "1 TDummyCube @0,0,-0.0502 x2,2,2",
       "1.0 TBezierStrip @0,0,0 t180 Blue strip t0.04 sides3 side 0,-0.05 0.13,-0.05 0.25,-0.12 0.25,-0.28"
       " 0,0.05 0.29,0.05 0.29,-0.12 0.29,-0.28",
       "1.1 TBezierStrip @0,0,0 Blue strip t0.04 sides2 side 0,0.05 0,0.05 0,-0.05 0,-0.05 0.035,0.05"
       " 0.076,0 0.044,-0.05 0,-0.05",
       "1.2 TBezierStrip @0,0,0 Blue strip t0.04 sides3 side -0.3,0.2 -0.22,0.2 -0.04,0.06 -0.11,0.02"
       " -0.3,0.27 -0.19,0.28 -0.07,0.17 0.035,0.05",
       "1.3 TSlotLinkage @-0.27,-0.44,0 t90 Metal link 0.05 0.04 0.12 20 place0 side slot 0.04 0..0.12",
       "1.4 TCube @-0.235,-0.38,0 Metal cube 0.03x0.09x0.36 parts63",
       "1.5 TFrustrum @-0.22,-0.38,0 r-90 DarkMetal frustrum 0.09x0.36 h0.08 apex1",
       "1.6 TCylinder @-0.3,-0.38,0 r90 Bronze cyl 0.016/0.016 h0.1 s16 parts5",
       "1.7 TScrew @-0.25,-0.38,0 r180 Bronze screw 0.016 0.004 0.01 0.01 turns9 10 profile0 parts10",
       "1.8 THexNut @-0.31,-0.38,0 t90 Metal hexnut 0.05 0 0.04 solid",
       "1.9 TPie @-0.3175,0.235,0 p90 Metal pie 0.035 t0.07 s16 0..360 side",
       "1.10 TCylinder @-0.3175,0.47,0 PaleWhite cyl 0.02/0.02 h0.4 s8 parts5",
       "2 TDummyCube @-0.635,0,0 x2,2,2",
       "2.0 TCylinder @0,0,0 p90 Bronze cyl 0.03/0.03 h0.03 s16 parts7",
       "2.1 TPie @0,0,-0.05 Bronze pie 0.03 t0.08 s20 270..90",
       "2.2 TCylinder @0,0.35,-0.0251 BrightMetal cyl 0.005/0.005 h0.8 s8 parts7",
       "2.3 TCube @-0.015,0,-0.051 Bronze cube 0.02x0.06x0.08 parts63",
       "2.4 THexNut @-0.03,0,-0.051 t90 Metal hexnut 0.03 0 0.03 solid",
       "2.5 TCylinder @0,0,-0.051 r90 Metal cyl 0.02/0.02 h0.02 s16 parts7",
       "3 TCylinder @0,0,-0.3 p90 Bronze cyl 0.05/0.05 h0.8 s16 parts5",
       "4 TCylinder @0,0,0.1102 p-90 Bronze cyl 0.08/0.05 h0.04 s16 parts5",
     }},
    {"31.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 TLinkage @0,5,0 r90 Red link 0.5 0.1 5 16 place0 side",
       "0.1 TLinkage @0,5,-0.15 Blue link 0.5 0.1 5 16 place0 side",
       "0.2 TLinkAxle @0,5,-0.075 Bronze pin 0.25 0.12 0.3 0.1 16 m0",
       "0.3 TGLProxyObject @0,0,-0.075 of 0.2 opt2",
       "1 TGLProxyObject @-5,5,0 r180 of 0 opt2",
     }},
    {"32.0",
     {
       "0 TDummyCube @-0.4,-0.75,0",
       "0.0 TLinkage @0,0,-0.01522 Red link 0.05 0.03 0.4 20 place2 side",
       "0.1 TLinkAxle @0.4,0,0 Bronze pin 0.0609 0.025 0.04 0.02 20 m0",
       "0.2 TCylinder @0,0,-0.01522 p90 Metal cyl 0.025/0.025 h0.1 s10 parts7",
       "1 TLinkage @0.15,0.75,0.01522 r84.29 Blue link 0.05 0.03 1.507 20 place0 side",
       "2 TDummyCube @0,0.75,0",
       "2.0 TLinkage @0,0,-0.01522 Red link 0.05 0.03 0.15 20 place2 side",
       "2.1 TLinkAxle @0.15,0,0 Bronze pin 0.0609 0.025 0.04 0.02 20 m0",
       "2.2 TCylinder @0,0,-0.11 p90 Metal cyl 0.03/0.03 h0.2 s10 parts5",
       "3 TDummyCube @0,0.75,-0.2",
       "3.0 TAnnulusEx @0,0,0 p90 Brass ring 0.5 w0.05 t0.08 0..360 s50",
       "3.1 TSpoke @0,0,0 Brass spoke 0.5 0.02 0.03 45 10",
       "3.2 TSpoke @0,0,0 r45 Brass spoke 0.5 0.02 0.03 45 10",
       "3.3 TSpoke @0,0,0 r90 Brass spoke 0.5 0.02 0.03 45 10",
       "3.4 TSpoke @0,0,0 r135 Brass spoke 0.5 0.02 0.03 45 10",
       "3.5 TSpoke @0,0,0 r180 Brass spoke 0.5 0.02 0.03 45 10",
       "3.6 TSpoke @0,0,0 r225 Brass spoke 0.5 0.02 0.03 45 10",
       "3.7 TSpoke @0,0,0 r270 Brass spoke 0.5 0.02 0.03 45 10",
       "3.8 TSpoke @0,0,0 r315 Brass spoke 0.5 0.02 0.03 45 10",
       "4 TDummyCube @-0.4,-0.75,0.4",
       "4.0 TCube @0,0.05,0 PaleWhite cube 0.6x0.03x0.2 parts63",
       "4.1 TCylinder @0,0,-0.1 p90 Metal cyl 0.025/0.025 h0.6 s10 parts7",
       "4.2 TOpenBox @0,0,0 r180 Metal box 0.07x0.07x0.2 wall0.01 style2",
     }},
    {"33.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 TAToggleLink @0,0,0 Red rocker 1.1 0.5 0.2 0.05 pin0.02",
       "0.1 TLinkAxle @0,0,0 Bronze pin 0.2 0.04 0.06 0.02 20 m0",
       "0.2 TLinkAxle @0,0.5,0 Bronze pin 0.2 0.04 0.06 0.02 20 m0",
       "0.3 TCylinder @-1,0.475,0 Red cyl 0.11/0.11 h0.25 s16 parts7",
       "0.4 TCylinder @-1,0.2,0 Metal cyl 0.05/0.05 h1 s16 parts7",
       "0.5 TScrew @-1,-0.3,0 r90 Metal screw 0.05 0.01 0.02 0.02 turns30 20 profile0 parts6",
       "0.6 THexNut @-1,0.48,0 p90 Metal hexnut 0.095 0 0.38 solid",
       "1 TDummyCube @0.75,-0.35,0",
       "1.0 TBToggleLink @0,0,0.075 r-48.58 Red sidelink 0.75 0.1 0.05 cut41.42 ext0.1",
       "1.1 TBToggleLink @0,0,-0.075 r-48.58 Red sidelink 0.75 0.1 0.05 cut41.42 ext0.1",
       "1.2 TLinkAxle @0,0,0 Bronze pin 0.2 0.04 0.06 0.02 20 m0",
       "2 TDummyCube @0.2538,0.2124,0",
       "2.0 TLinkAxle @0,0,0 Bronze pin 0.2 0.04 0.06 0.02 20 m0",
       "3 TCToggleLink @0.2538,0.2124,0 r-48.58 Blue coupler 0.3836 lever1 at48.58",
       "4 TRoundCube @0.4,-0.2,0 Metal slab 1.05x0.6 t0.05 corner0.1",
       "5 TCube @-0.2,-0.525,0 Metal cube 2.4x0.05x1 parts63",
       "6 TCube @-1,-0.4,0 PaleWhite cube 0.5x0.2x0.5 parts63",
     }},
    {"34.0",
     {
       "0 TDummyCube @1.6,0,0",
       "0.0 TChainWheel @0,0,0 Brass sprocket 48 0.1 0.02",
       "0.1 TSpoke @0,0,0 Brass spoke 0.6875 0.06875 0.02 72 8",
       "0.2 TGLProxyObject @0,0,0 r72 of 0.1 opt7",
       "0.3 TGLProxyObject @0,0,0 r144 of 0.1 opt7",
       "0.4 TGLProxyObject @0,0,0 r216 of 0.1 opt7",
       "0.5 TGLProxyObject @0,0,0 r288 of 0.1 opt7",
       "0.6 TCylinder @0,0,-0.13 p-90 Metal cyl 0.08/0.08 h0.5 s16 parts7",
       "0.7 TCrank @0,0,0.1 Metal crank 0.12/0.06 0.07/0.05 t0.06 l1",
       "0.8 TCrank @0,0,-0.32 r180 Metal crank 0.12/0.06 0.07/0.05 t0.06 l1",
       "0.9 TCylinder @1,0,0.3 p-90 Bronze cyl 0.04/0.04 h0.5 s10 parts7",
       "0.10 TCylinder @-1,0,-0.53 p-90 Bronze cyl 0.04/0.04 h0.5 s10 parts7",
       "1 TDummyCube @-1.6,0.4775,0",
       "1.0 TSprocket @0,0,-0.05 r10 Red sprocket 18 0.1 0.02",
       "1.1 TSprocket @0,0,0 r22.46 Yellow sprocket 16 0.1 0.02",
       "1.2 TSprocket @0,0,0.05 r12.86 Blue sprocket 14 0.1 0.02",
       "1.3 TCylinder @0,0,0 p-90 Metal cyl 0.05/0.05 h0.25 s36 parts7",
       "2 TDummyCube @-1.6,-0.1,0",
       "2.0 TSprocket @0,0,0 r12.07 Brass sprocket 10 0.1 0.02",
       "3 TDummyCube @-1.727,-0.5886,0",
       "3.0 TSprocket @0,0,0 r27.63 Brass sprocket 10 0.1 0.02",
       "4 TDummyCube @0,0,0",
       "4 links 110",
       "5 TDummyCube @-1.6,0.4775,0.15 hidden",
       "5.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0 0.425,0,0 0.425,0.02,0 0.5,0,0 0.425,-0.02,0 0.425,0,0",
       "6 TDummyCube @-1.6,-0.1,0 r-14.54",
       "6.0 TLinkage @0,0,0.04 r90 Metal link 0.05 0.01 0.5048 10 place0",
       "6.1 TLinkage @0,0,-0.04 r90 Metal link 0.05 0.01 0.5048 10 place0",
       "6.2 TCylinder @0,0,0 p-90 Bronze cyl 0.02/0.025 h0.1 s10 parts7",
       "6.3 TCylinder @0,-0.5048,0 p-90 Bronze cyl 0.02/0.025 h0.1 s10 parts7",
       "7 TDummyCube @1.6,0,0",
       "7.0 TOpenBox @1,0,0.35 DarkMetal box 0.3x0.12x0.38 wall0.02 style1",
       "7.1 TOpenBox @-1,0,-0.58 DarkMetal box 0.3x0.12x0.38 wall0.02 style1",
     }},
    {"35.0",
     {
       "0 TDummyCube @0,0,0",
       "0.0 TRackGear @0,0,0 Brass rack 4 0.2 0.2 0.15 0.075 10",
       "1 TDummyCube @0,0.1712,0",
       "1.0 TCog @0,0,0 r-90 Brass cog 10 0.15 0.075 0.2 0.08873",
       "1.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.1087/0.1087 h0.1 s20 parts6",
       "1.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "1.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "1.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "2 TDummyCube @0,0.1712,0.25 hidden",
       "2.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0 0.1637,0,0 0.1637,0.02,0 0.2387,0,0 0.1637,-0.02,0 0.1637,0,0",
     }},
    {"36.0",
     {
       "0 TDummyCube @0,0.3437,0",
       "0.0 TWorm @0.0375,0,0 Bronze worm 0.1 0.075 0.15 0.075 0.02 turns6 20",
       "0.1 TCylinder @0.0375,0,0 r90 Bronze cyl 0.1/0.1 h0.98 s20 parts7",
       "0.2 TCylinder @0.45,0,0 r90 ShinyBrass cyl 0.05/0.05 h0.9 s20 parts1",
       "1 TWheelGroup @0,0,0",
       "1.0 TWormWheel @0,0,0 r90 Brass wheel 10 0.15 0.075 0.2 0.1262 -0.1558",
       "1.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.1462/0.1462 h0.1 s20 parts6",
       "1.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.13/0.11 h0.15 s20 parts5",
       "1.3 TSlotAxle @0,0,0 Metal axle 0.08 0.6 0.028 0.04 20",
       "1.4 TCube @0,0.056,0.06 DarkMetal cube 0.028x0.08x0.3 parts61",
       "2 TDummyCube @0,0,0 hidden",
       "2.0 TLines @0,0,0.2 lines (1,1,1,1) aa 0,0,0 0.1637,0,0 0.1637,0.02,0 0.2387,0,0 0.1637,-0.02,0 0.1637,0,0",
       "3 TDummyCube @0,0.3437,0 t-90 hidden",
       "3.0 TLines @0,0,0.5 lines (1,1,1,1) aa 0,0,0 0.1,0,0 0.1,0.02,0 0.175,0,0 0.1,-0.02,0 0.1,0,0",
       "4 TCylinder @1.2,0.3437,0 r90 Blue cyl 0.4/0.4 h0.8 s50 parts1",
       "5 TCylinder @0.78,0.3437,0 r90 Blue cyl 0.4/0.35 h0.04 s50 parts5",
       "6 TCylinder @1.61,0.3437,0 r90 Metal cyl 0.41/0.41 h0.04 s50 parts7",
       "7 TAnnulus @0.74,0.3437,0 r90 Metal ann 0.1/0.053 h0.04 parts11",
       "8 TPipe @1.6,0.3437,0.2 Red pipe 0.02 n9",
       "9 TPipe @1.6,0.3437,-0.2 Yellow pipe 0.02 n9",
     }},
    {"37.0",
     {
       "0 TDummyCube @0,0,0 x2,2,2",
       "0.0 TRatchet @0,0,0 Brass ratchet 20 0.1 0.05 0.05",
       "0.1 TSlotAxle @0,0,0 Metal axle 0.05 0.2 0.0175 0.025 20",
       "0.2 TCube @0,0.035,0 DarkMetal cube 0.0175x0.05x0.15 parts61",
       "1 TDummyCube @0.806,0.5466,0 x2,2,2",
       "1.0 TPawl @0,0,0 Red pawl hook0.18 side",
       "1.1 TCylinder @0,0,0 p90 Metal cyl 0.05/0.05 h0.2 s20 parts7",
     }},
    {"38.0",
     {
       "0 TDummyCube @-0.4775,0,0",
       "0.0 THelicalGear @0,0,0 Brass cog 20 0.15 0.075 0.2 0.3275 twist 0.0375",
       "0.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.3475/0.3475 h0.1 s20 parts6",
       "0.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "0.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "0.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "0.5 TLines @0,0,0 hidden lines (1,1,1,1) aa 0,0,0.32 0.3275,0,0.32 0.3275,0.02,0.32 0.4025,0,0.32"
       " 0.3275,-0.02,0.32 0.3275,0,0.32",
       "1 TDummyCube @0.4025,0,0",
       "1.0 THelicalGear @0,0,0 r-13.5 Brass cog 20 0.15 0.075 0.2 0.3275 twist -0.0375",
       "1.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.3475/0.3475 h0.1 s20 parts6",
       "1.2 TCylinder @0,0,0.075 p-90 DarkBrass cyl 0.12/0.105 h0.15 s20 parts5",
       "1.3 TSlotAxle @0,0,0 Metal axle 0.06 0.6 0.021 0.03 20",
       "1.4 TCube @0,0.042,0 DarkMetal cube 0.021x0.06x0.4 parts61",
       "1.5 TLines @0,0,0 hidden lines (1,1,1,1) aa 0,0,0.32 0.3275,0,0.32 0.3275,0.02,0.32 0.4025,0,0.32"
       " 0.3275,-0.02,0.32 0.3275,0,0.32",
     }},
    {"39.0",
     {
       "0 TDummyCube @0,0,0 r10",
       "0.0 TAsymBox @-0.75,0.08,0 Blue 0.16,0.2,-0.25 0.16,0.2,0.25 -0.16,0.2,0.25 -0.16,0.2,-0.25"
       " 0.12,0.01,-0.2 0.12,0.01,0.2 -0.12,0.01,0.2 -0.12,0.01,-0.2",
       "0.0.0 TBezierSurface @0,0.15,0 PaleWhite surface 0.29x0.28 middle -0.1,0.5,0",
       "0.0.1 TWheel @-0.12,0,0.15 Metal",
       "0.0.2 TGLProxyObject @0.12,0,0.15 of 0.0.1 opt2",
       "0.0.3 TWheel @-0.12,0,-0.15 p180 Metal",
       "0.0.4 TGLProxyObject @0.12,0,-0.15 p180 of 0.0.3 opt2",
       "0.0.5 TCylinder @-0.12,0,0 p90 DarkMetal cyl 0.01/0.01 h0.4 s20 parts7",
       "0.0.6 TGLProxyObject @0.24,0,0 of 0.0.5 opt7",
       "0.1 TLines @-0.75,0.15,0 lines (1,1,1,1) aa 0,0,0 0.525,0,0 0.525,0.02,0 0.6,0,0 0.525,-0.02,0 0.525,0,0",
       "0.2 TLines @-0.75,0.4,0 r-10 lines (1,1,1,1) aa 0,0.4,0 0,0.075,0 0,0.075,-0.02 0,0,0 0,0.075,0.02 0,0.075,0",
       "0.3 TExtrusionSolid @-0.1,0.15,0 r-10 own(a0.2,0.2,0.2;d1,1,1) outline n12 w0.06 h0.02",
       "0.4 TExtrusionSolid @-0.7,0.4,0 r-10 own(a0.2,0.2,0.2;d1,1,1) outline n6 w0.06 h0.02",
       "0.5 TCube @0,0.01,0.165 Metal cube 2x0.02x0.02 parts63",
       "0.6 TGLProxyObject @0,0.01,-0.165 of 0.5 opt2",
       "0.7 TCube @-0.95,-0.01,0 DarkBrown cube 0.1x0.02x0.5 parts63",
       "0.8 TGLProxyObject @-0.75,-0.01,0 of 0.7 opt2",
       "0.9 TGLProxyObject @-0.55,-0.01,0 of 0.7 opt2",
       "0.10 TGLProxyObject @-0.35,-0.01,0 of 0.7 opt2",
       "0.11 TGLProxyObject @-0.15,-0.01,0 of 0.7 opt2",
       "0.12 TGLProxyObject @0.05,-0.01,0 of 0.7 opt2",
       "0.13 TGLProxyObject @0.25,-0.01,0 of 0.7 opt2",
       "0.14 TGLProxyObject @0.45,-0.01,0 of 0.7 opt2",
       "0.15 TGLProxyObject @0.65,-0.01,0 of 0.7 opt2",
       "0.16 TGLProxyObject @0.85,-0.01,0 of 0.7 opt2",
     }},
  };
  return trees;
}

}   // namespace

TEST(SceneTrees, EveryTopicBuildsItsTree)
{
  std::set<std::string> built;
  for (const TTopicEntry& e : TopicEntries()) {
    const std::string key = std::to_string(e.Id) + "." + std::to_string(e.Example);
    built.insert(key);
    auto want = ExpectedTrees().find(key);
    if (want == ExpectedTrees().end()) {
      ADD_FAILURE() << "no tree for topic " << key;
      continue;
    }
    TBuiltScene s;
    BuildTopic(s, e);
    ExpectTree(s.Lines, want->second, "topic " + key);
  }
  for (const auto& [key, lines] : ExpectedTrees())
    EXPECT_TRUE(built.count(key)) << "topic " << key << " is not in the table";
}

// The paths of the marker objects, which the markers flag hides and shows and which nothing
// else does. The treadle's check box hides its flywheel and foot plate instead; the claw
// hammer and the scissors build theirs hidden whatever the flag says.
TEST(SceneTrees, MarkersFlagTogglesExactlyTheMarkers)
{
  const std::map<std::string, std::set<std::string>> markers = {
      {"1.0", {"2", "3"}},
      {"2.0", {"1", "3", "5"}},
      {"3.0", {"1", "3", "5"}},
      {"4.0", {"2", "3"}},
      {"5.0", {"3", "4"}},
      {"6.0", {"3", "4", "6"}},
      {"7.0", {"3", "4"}},
      {"8.0", {"3", "4"}},
      {"10.0", {"2", "3"}},
      {"12.0", {"3", "4"}},
      {"13.0", {"2"}},
      {"14.0", {"2"}},
      {"15.0", {"2"}},
      {"16.0", {"0.2"}},
      {"26.0", {"2", "3", "4"}},
      {"26.1", {"4", "5", "6", "7", "8"}},
      {"27.0", {"2", "3", "5"}},
      {"27.1", {"1", "2", "3"}},
      {"28.0", {"1.0", "2.0", "2.1", "4"}},
      {"28.1", {"4"}},
      {"32.0", {"3", "4"}},
      {"34.0", {"5"}},
      {"35.0", {"2"}},
      {"36.0", {"2", "3"}},
      {"38.0", {"0.5", "1.5"}},
  };
  auto differing = [](const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::set<std::string> paths;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
      if (a[i] != b[i])
        paths.insert(a[i].substr(0, a[i].find(' ')));
    if (a.size() != b.size())
      paths.insert("(count)");
    return paths;
  };
  for (const TTopicEntry& e : TopicEntries()) {
    const std::string key = std::to_string(e.Id) + "." + std::to_string(e.Example);
    auto want = markers.find(key);
    TBuiltScene off, on;
    BuildTopic(off, e);
    BuildTopic(on, e, [](TTopicControls& c) { c.Markers = true; });
    if (want == markers.end()) {
      EXPECT_FALSE(e.ShowMarkers) << key;
      EXPECT_EQ(on.Lines, off.Lines) << key;
      continue;
    }
    ASSERT_TRUE(e.ShowMarkers) << key;
    const bool buildIgnoresFlag = e.Id == 26;
    EXPECT_EQ(differing(off.Lines, on.Lines), buildIgnoresFlag ? std::set<std::string>{} : want->second) << key;

    // Shown and hidden again without a rebuild: only the markers change, and they change back.
    e.ShowMarkers(&off.Base, true);
    const std::vector<std::string> shown = TDescriber(off.Lib).Tree(off.Base);
    EXPECT_EQ(differing(off.Lines, shown), want->second) << key;
    if (!buildIgnoresFlag) {
      EXPECT_EQ(shown, on.Lines) << key;
    }
    for (const std::string& line : shown)
      if (want->second.count(line.substr(0, line.find(' ')))) {
        EXPECT_EQ(line.find(" hidden") == std::string::npos, e.BoxShowsMarkers) << key << ": " << line;
      }
    e.ShowMarkers(&off.Base, false);
    EXPECT_EQ(TDescriber(off.Lib).Tree(off.Base), off.Lines) << key;
  }
}

// Handed black for the markers (the View menu's white background), every topic builds its
// arrows and letters black, and nothing else changes: the white of each marker line above
// reads black, line for line. An arrow or letter that kept white would stay white here.
TEST(SceneTrees, MarkersTakeTheColourTheBuildIsHanded)
{
  auto swap = [](std::string line, const std::string& from, const std::string& to) {
    const size_t at = line.find(from);
    return at == std::string::npos ? line : line.replace(at, from.size(), to);
  };
  for (const TTopicEntry& e : TopicEntries()) {
    const std::string key = std::to_string(e.Id) + "." + std::to_string(e.Example);
    TBuiltScene white, black;
    BuildTopic(white, e, [](TTopicControls& c) { c.Markers = true; });
    BuildTopic(black, e, [](TTopicControls& c) {
      c.Markers = true;
      c.MarkerColour = {0, 0, 0, 1};
    });
    std::vector<std::string> want;
    Integer markers = 0;
    for (const std::string& line : white.Lines) {
      std::string b = swap(line, " lines (1,1,1,1)", " lines (0,0,0,1)");
      if (line.find(" TExtrusionSolid ") != std::string::npos)
        b = swap(swap(b, "own(a1,1,1;", "own(a0,0,0;"), ";d1,1,1)", ";d0,0,0)");
      markers += b != line;
      want.push_back(b);
    }
    EXPECT_EQ(black.Lines, want) << key;
    // The treadle's check box shows its flywheel and foot plate, not markers.
    if (e.ShowMarkers && e.BoxShowsMarkers) {
      EXPECT_GT(markers, 0) << key << ": markers, but none in the markers' colour";
    }
  }
}

// What the topics' controls change in the build, worked out from the drawn-up sizes.
TEST(SceneTrees, ControlsShapeTheBuild)
{
  struct TCase {
    Integer Id;
    std::function<void(TTopicControls&)> Set;
    size_t Children;   // of the scene base; 0 for any
    std::vector<std::string> Lines;
  };
  const TCase cases[] = {
      // Hoist: the blocks grow a second sheave, the weight with the cube root of the load.
      {9,
       [](TTopicControls& c) { c.HoistWheels = 2; },
       6,
       {"0.0 TOpenBox @0,0,0 r90 Metal box 0.46x0.1x0.14", "2 TDummyCube @0,-0.6,0",
        "2.0 TFrustrum @0,-0.678,0 DarkMetal", "2.1 TCylinder @0,-0.25,0 Red cyl 0.0125/0.0125 h0.1 s6 parts7",
        "3.0 TOpenBox @0,0,0 r90 Metal box 0.46x0.1x0.14", "5 TDummyCube @0,-0.6,0",
        "5.0 TVPulley @0,0,0 Brass pulley 0.18/0.16 w0.08 s50 n1 f19 in0.144"}},
      {9,
       [](TTopicControls& c) { c.HoistWheels = 3; },
       7,
       {"0.0 TOpenBox @0,-0.1575,0 r90 Metal box 0.775x0.1x0.14", "2.0 TFrustrum @0,-0.7327,0",
        "3.0 TOpenBox @0,0,0 r90 Metal box 0.46x0.1x0.14", "6 TDummyCube @0,0.74,0",
        "6.0 TVPulley @0,0,0 Brass pulley 0.135/0.115 w0.08 s50 n1 f19 in0.108"}},
      {9,
       [](TTopicControls& c) { c.HoistWheels = 4; },
       8,
       {"0.0 TOpenBox @0,-0.1575,0 r90 Metal box 0.775x0.1x0.14", "1 TRope @0,1.1,0 Red rope 0.18/0.135 n4 drop1.7",
        "2.0 TFrustrum @0,-0.7762,0 DarkMetal frustrum 0.4762x0.4762 h0.4762 apex1.176",
        "3.0 TOpenBox @0,0.1575,0 r90 Metal box 0.775x0.1x0.14", "6 TDummyCube @0,0.74,0", "7 TDummyCube @0,-0.24,0",
        "7.0 TVPulley @0,0,0 Brass pulley 0.135/0.115 w0.08 s50 n1 f19 in0.108"}},
      // Belts: the flat belt's shallow groove, the crossed belt's fixed pulleys.
      {5,
       [](TTopicControls& c) { c.BeltItem = 1; },
       5,
       {"0 TBelt @0,0,0 DarkMetal belt 0.15/0.15 d0.02 r0.3/0.6 c1.4", "1 TDummyCube @-0.7,0,0",
        "1.0 TVPulley @0,0,0 Brass pulley 0.3/0.28 w0.2 s50 n1 f15 ~ k1",
        "2.0 TVPulley @0,0,0 Brass pulley 0.6/0.58 w0.2 s50 n1 f15 ~ k1",
        "3.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.15 0.28,0,0.15 0.28,0.02,0.15 0.33,0,0.15"}},
      {5,
       [](TTopicControls& c) {
         c.BeltItem = 2;
         c.PulleySize[0] = 7;
       },
       5,
       {"0 TXBelt @0,0,0 DarkMetal belt 0.15/0.15 d0.02 r0.38/0.38 c1.8", "1 TDummyCube @-0.9,0,0",
        "1.0 TVPulley @0,0,0 Brass pulley 0.4/0.38 w0.2 s50 n1 f15 ~ k1", "2 TDummyCube @0.9,0,0",
        "3 TLines @-0.9,0,0.31 hidden lines (1,1,1,1) aa 0,0,0 0.325,0,0 0.325,0.02,0 0.4,0,0",
        "4 TLines @0.9,0,0.31 hidden lines (1,1,1,1) aa 0,0,0 0.325,0,0 0.325,0.02,0 0.4,0,0"}},
      // Jockey: with the left pulley the larger one, the jockey moves under the right one.
      {6,
       [](TTopicControls& c) {
         c.BeltItem = 1;
         c.PulleySize[0] = 7;
         c.PulleySize[1] = 4;
       },
       7,
       {"0 TJockeyBelt @0,0,0 DarkMetal belt 0.1125/0.1125 d0.02 r0.7/0.4 c2.1 jockey 0.2 @0.15,-0.4 s100",
        "1 TDummyCube @-1.05,0,0", "1.0 TVPulley @0,0,0 Brass pulley 0.7/0.68 w0.15 s50 n1 f15 ~ k1",
        "2.0 TVPulley @0,0,0 Brass pulley 0.4/0.38 w0.15 s50 n1 f15 ~ k1",
        "3 TLines @-1.05,0,0.31 hidden lines (1,1,1,1) aa 0,0,0 0.625,0,0 0.625,0.02,0 0.7,0,0",
        "4 TLines @1.05,0,0.31 hidden lines (1,1,1,1) aa 0,0,0 0.325,0,0 0.325,0.02,0 0.4,0,0",
        "5 TDummyCube @0.15,-0.38,0", "6 TLines @0.15,-0.38,0.11 hidden"}},
      {7,
       [](TTopicControls& c) { c.BeltStep = 0; },
       7,
       {"0 TBelt @0,0,-0.225 DarkMetal belt 0.1125/0.0375 d0.075 r0.5/0.2 c1.6"}},
      // Cams: the followers and the eccentric's offset.
      {13,
       [](TTopicControls& c) {
         c.CamFollower = 1;
         c.CamOffset = 25;
       },
       3,
       {"0 TDummyCube @0,-0.25,0", "0.0 TCylinder @0,0.25,0 p-90 Bronze", "1 TDummyCube @0,0.5,0",
        "1.0 TCylinder @0,0.4,0 Brass cyl 0.1/0.1 h0.6 s50 parts7",
        "1.1 TCylinder @0,0.05,0 Brass cyl 0.25/0.25 h0.1 s50 parts3",
        "1.2 TCylinder @0,0.15,0 Brass cyl 0.25/0.1 h0.1 s50 parts5", "2 TDummyCube @0,-0.25,0 hidden"}},
      {13,
       [](TTopicControls& c) { c.CamFollower = 2; },
       3,
       {"1.0 TCylinder @0,0.4,0 Brass cyl 0.1/0.1 h0.6 s50 parts7",
        "1.1 TCylinder @0,0.05,0 Brass cyl 0/0.1 h0.1 s50 parts1"}},
      {13,
       [](TTopicControls& c) { c.CamFollower = 3; },
       3,
       {"1.0 TCylinder @0,0.4,0 Brass cyl 0.1/0.1 h0.6 s50 parts7",
        "1.1 TSphere @0,0.1,0 r-90 Brass sphere 0.1 stop180"}},
      {14, [](TTopicControls& c) { c.CamOffset = 25; }, 3, {"0.0 TCam @0,0,0 r90 Brass cam 0.3 0.2 0.25 t0.2 s50"}},
      {15, [](TTopicControls& c) { c.CamFollower = 1; }, 3, {"1 TDummyCube @0,0.268,0"}},
      {16,
       [](TTopicControls& c) {
         c.BoxCamRadius = 30;
         c.CamSlot = 45;
       },
       2,
       {"0.0 THSCylinder @0,0,0 Brass drum 0.3 groove0.1/0.05 at90 l0.9 s40", "1 TDummyCube @0.3,0.25,0"}},
      // Cranks, screws and the windlass.
      {17,
       [](TTopicControls& c) { c.CrankOffset = 35; },
       3,
       {"0 TDummyCube @0.35,-0.5,0 r20.49", "0.0 TPiston @0,1,0 r-20.49",
        "1.2 TBigEnd @0,0,0.13 DarkMetal cam 0.32 0.18 0.35",
        "2.0 TAnnulusEx @0,1.2,0 Metal ring 0.3475 w0.04 t1.1 0..180"}},
      {20,
       [](TTopicControls& c) { c.CrankOffset = 30; },
       7,
       {"0 TDummyCube @0,-0.75,0 r-21.8", "1.4 TCylinder @0.3,0,0.07 p90 Bronze",
        "2 TDummyCube @0.5942,0.7356,0 r-148.1", "3 TDummyCube @1.019,1,0", "5 TDummyCube @0.3,0,0 r-21.8"}},
      {21,
       [](TTopicControls& c) { c.HandleRadius = 96; },
       4,
       {"2.1 TCylinder @0.55,0,0.96 r90 Blue", "2.3 TLinkage @0.4,0,0 t90 Blue link 0.1 0.03 0.96 20",
        "3.0 TFrustrum @-0.125,-0.4579,0.07 DarkMetal frustrum 0.4579x0.4579 h0.4579"}},
      {18,
       [](TTopicControls& c) { c.ScrewPitch = 40; },
       2,
       {"0.0 TScrew @0,0,0 Metal screw 0.2 0.05 0.4 0.1 turns10 32 profile0",
        "0.1 TCylinder @2.05,0,0 r90 Metal cyl 0.2/0.2 h4.1 s32 parts7", "0.2 THexNut @4.22,0,0 t90 Metal",
        "1 TDummyCube @-2.1,0,0", "1.0 THexNut @0.45,0,0 t90 Metal hexnut 0.4 0.25 0.9"}},
      {18,
       [](TTopicControls& c) { c.ThreadProfile = 3; },
       2,
       {"0.0 TScrew @0,0,0 Metal screw 0.2 0.05 0.1 0.1 turns10 32 profile3 parts12",
        "1.1 TScrew ~ Metal screw 0.2 0.05 0.1 0.1 turns2 32 profile3 internal parts12"}},
      // Linkages.
      {29,
       [](TTopicControls& c) { c.PivotOffset = -30; },
       1,
       {"0.0 TLinkage @0,0.2,0 r90 Red", "0.2 TLinkAxle @0,0.2,0.015", "0.3 TLinkAxle @0,-0.8,-0.015",
        "0.4 TLinkage @0,0.2,0.03 Blue", "0.5 TLinkage @0,-0.8,-0.03 r180 Blue"}},
      {32,
       [](TTopicControls& c) { c.TreadleLength = 0.3f; },
       5,
       {"1 TLinkage @0.3,0.75,0.01522 r78.69 Blue link 0.05 0.03 1.53 20",
        "2.0 TLinkage @0,0,-0.01522 Red link 0.05 0.03 0.3 20", "2.1 TLinkAxle @0.3,0,0 Bronze"}},
      // Chains: an odd left wheel turns half a tooth; the bicycle's gears move the cage.
      {8,
       [](TTopicControls& c) {
         c.Chain[0] = 15;
         c.Chain[1] = 30;
       },
       5,
       {"0.0 TChainWheel @0,0,0 Brass", "1.0 TChainWheel @0,0,0 r12 Brass"}},
      // (The cage's swing is fitted to the chain's length; the derailleur tests check it.)
      {34,
       [](TTopicControls& c) { c.BikeGear = 0; },
       8,
       {"0 TDummyCube @1.6,0,0 t0.8951", "1.2 TSprocket @0,0,0.05", "2 TDummyCube @-1.6,-0.1,0.05",
        "4 TDummyCube @0,0,0.025 t0.8951", "6 TDummyCube @-1.6,-0.1,0.05"}},
      {34,
       [](TTopicControls& c) { c.BikeGear = 2; },
       8,
       {"0 TDummyCube @1.6,0,0 t-0.8951", "1.0 TSprocket @0,0,-0.05", "2 TDummyCube @-1.6,-0.1,-0.05",
        "4 TDummyCube @0,0,-0.025 t-0.8951", "6 TDummyCube @-1.6,-0.1,-0.05"}},
      // Gears with tooth counts from the controls: each wheel's bore, web and arrow follow its own
      // count.
      {1,
       [](TTopicControls& c) {
         c.Cog[0] = 15;
         c.Cog[1] = 30;
       },
       4,
       {"0 TDummyCube @-0.3581,0,0", "0.0 TCog @0,0,0 Brass cog 15 0.15 0.075 0.2 0.2081",
        "0.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.2281/0.2281", "1 TDummyCube @0.6412,0,0",
        "1.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.5862/0.5862",
        "2.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.32 0.2081,0,0.32 0.2081,0.02,0.32 0.2831,0,0.32",
        "3.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0.32 -0.5662,0,0.32 -0.5662,0.02,0.32 -0.6412,0,0.32"}},
      {35,
       [](TTopicControls& c) { c.Cog[0] = 20; },
       3,
       {"0.0 TRackGear @0,0,0 Brass rack 4 0.2 0.2 0.15 0.075 20", "1 TDummyCube @0,0.41,0",
        "1.0 TCog @0,0,0 r-90 Brass cog 20 0.15 0.075 0.2 0.3275", "2 TDummyCube @0,0.41,0.25 hidden",
        "2.0 TLines @0,0,0 lines (1,1,1,1) aa 0,0,0 0.4025,0,0 0.4025,0.02,0 0.4775,0,0"}},
      {36,
       [](TTopicControls& c) { c.Cog[0] = 20; },
       10,
       {"0 TDummyCube @0,0.5825,0", "1.0 TWormWheel @0,0,0 r90 Brass wheel 20 0.15 0.075 0.2 0.365 -0.07838",
        "1.1 TCylinder @0,0,0 p90 DarkBrass cyl 0.385/0.385 h0.1",
        "2.0 TLines @0,0,0.2 lines (1,1,1,1) aa 0,0,0 0.4025,0,0 0.4025,0.02,0 0.4775,0,0",
        "3 TDummyCube @0,0.5825,0 t-90 hidden", "4 TCylinder @1.2,0.5825,0 r90 Blue"}},
      // The differential pulley's smaller sheave and the load it can lift.
      {12,
       [](TTopicControls& c) { c.WestonRadius = 12; },
       6,
       {"0.6 TVPulley @0,0,0.04 Brass pulley 0.12/0.1 w0.06 s30 n0 f19",
        "0.7 TSpoke @0,0,0.04 Brass spoke 0.085 0.018 0.06 72 20", "1 TDummyCube @-0.04,-0.5,0",
        "2 TWestonRope @0,1,0 Metal chain 0.2/0.12 pulley0.1 drop1.5 off0.04",
        "1.3 TCube @0,-0.421,0 PaleWhite cube 0.342x0.342x0.342", "4 TLines @-0.04,-0.5,0.1 hidden"}},
      // The inclined plane's slope, with the load arrow and letters kept upright.
      {39,
       [](TTopicControls& c) { c.PlaneAngle = 30; },
       1,
       {"0 TDummyCube @0,0,0 r30", "0.2 TLines @-0.75,0.4,0 r-30", "0.3 TExtrusionSolid @-0.1,0.15,0 r-30",
        "0.4 TExtrusionSolid @-0.7,0.4,0 r-30"}},
  };
  for (const TCase& k : cases) {
    TBuiltScene s;
    BuildTopic(s, Topic(k.Id), k.Set);
    const std::string what = "topic " + std::to_string(k.Id);
    if (k.Children) {
      EXPECT_EQ(size_t(s.Base.GetCount()), k.Children) << what;
    }
    for (const std::string& line : k.Lines)
      ExpectLine(s.Lines, line, what);
  }
}
