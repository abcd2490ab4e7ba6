// The reference pages' diagrams: flat drawings of levers, beams, pulleys, bearings and the
// like, with capital-letter labels drawn from strokes. Colours are the pages' own: effort
// red, load blue, supports and fulcrums grey.
#include <algorithm>
#include <cmath>
#include <map>

#include "tools/common/GifWriter.h"
#include "tools/make-content/Content.h"
#include "tools/make-content/Sketch.h"

namespace {

const TRGB White{1, 1, 1};
const TRGB Ink{0.13, 0.2, 0.33};
const TRGB EffortRed{0.84, 0.16, 0.1};
const TRGB LoadBlue{0.16, 0.36, 0.74};
const TRGB Steel{0.62, 0.65, 0.7};
const TRGB DarkSteel{0.38, 0.41, 0.46};
const TRGB Wood{0.78, 0.6, 0.36};
const TRGB Bronze{0.8, 0.58, 0.25};
const TRGB Green{0.2, 0.6, 0.25};

using TStroke = std::vector<TPt>;

std::vector<TStroke> Arc(double cx, double cy, double rx, double ry, double from, double to, TStroke tail = {})
{
  TStroke s;
  for (int k = 0; k <= 16; ++k) {
    const double a = (from + (to - from) * k / 16) * Pi / 180;
    s.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  s.insert(s.end(), tail.begin(), tail.end());
  return {s};
}

// Capital letters as strokes in a box 0.8 wide and 1 high, y up from the baseline.
const std::map<char, std::vector<TStroke>>& Letters()
{
  static const std::map<char, std::vector<TStroke>> letters{
      {'=', {{{0.1, 0.32}, {0.7, 0.32}}, {{0.1, 0.68}, {0.7, 0.68}}}},
      {'1', {{{0.15, 0.8}, {0.4, 1}, {0.4, 0}}}},
      {'2', {{{0.05, 0.8}, {0.2, 0.97}, {0.55, 0.97}, {0.72, 0.8}, {0.72, 0.6}, {0, 0}, {0.78, 0}}}},
      {'A', {{{0, 0}, {0.4, 1}, {0.8, 0}}, {{0.15, 0.38}, {0.65, 0.38}}}},
      {'C', Arc(0.42, 0.5, 0.4, 0.5, 45, 315)},
      {'D', {{{0, 0}, {0, 1}, {0.4, 1}, {0.7, 0.85}, {0.8, 0.5}, {0.7, 0.15}, {0.4, 0}, {0, 0}}}},
      {'E', {{{0.75, 1}, {0, 1}, {0, 0}, {0.75, 0}}, {{0, 0.5}, {0.6, 0.5}}}},
      {'F', {{{0.75, 1}, {0, 1}, {0, 0}}, {{0, 0.5}, {0.6, 0.5}}}},
      {'G',
       [] {
         auto g = Arc(0.42, 0.5, 0.4, 0.5, 45, 315);
         g.push_back({{0.45, 0.42}, {0.8, 0.42}, {0.8, 0.1}});
         return g;
       }()},
      {'H', {{{0, 0}, {0, 1}}, {{0.75, 0}, {0.75, 1}}, {{0, 0.5}, {0.75, 0.5}}}},
      {'I', {{{0.1, 0}, {0.1, 1}}}},
      {'K', {{{0, 0}, {0, 1}}, {{0.75, 1}, {0, 0.38}}, {{0.24, 0.58}, {0.78, 0}}}},
      {'L', {{{0, 1}, {0, 0}, {0.7, 0}}}},
      {'N', {{{0, 0}, {0, 1}, {0.75, 0}, {0.75, 1}}}},
      {'O', Arc(0.42, 0.5, 0.4, 0.5, 0, 360)},
      {'Q',
       [] {
         auto q = Arc(0.42, 0.5, 0.4, 0.5, 0, 360);
         q.push_back({{0.5, 0.25}, {0.85, -0.05}});
         return q;
       }()},
      {'P', {{{0, 0}, {0, 1}, {0.55, 1}, {0.75, 0.88}, {0.75, 0.62}, {0.55, 0.5}, {0, 0.5}}}},
      {'R', {{{0, 0}, {0, 1}, {0.55, 1}, {0.75, 0.88}, {0.75, 0.62}, {0.55, 0.5}, {0, 0.5}}, {{0.4, 0.5}, {0.75, 0}}}},
      {'S',
       {{{0.75, 0.85},
         {0.6, 1},
         {0.2, 1},
         {0.02, 0.85},
         {0.02, 0.65},
         {0.2, 0.52},
         {0.6, 0.48},
         {0.78, 0.35},
         {0.78, 0.15},
         {0.6, 0},
         {0.2, 0},
         {0.02, 0.15}}}},
      {'T', {{{0, 1}, {0.8, 1}}, {{0.4, 1}, {0.4, 0}}}},
      {'U', {{{0, 1}, {0, 0.25}, {0.15, 0.03}, {0.4, 0}, {0.65, 0.03}, {0.8, 0.25}, {0.8, 1}}}},
      {'W', {{{0, 1}, {0.22, 0}, {0.45, 0.7}, {0.68, 0}, {0.9, 1}}}},
      {'X', {{{0, 0}, {0.8, 1}}, {{0, 1}, {0.8, 0}}}},
  };
  return letters;
}

void Line(TSketch& s, TPt a, TPt b, double width, TRGB colour)
{
  s.Fill([&](double x, double y) { return NearSegment(x, y, a, b, width); }, colour, std::min(a.X, b.X) - width,
         std::min(a.Y, b.Y) - width, std::max(a.X, b.X) + width, std::max(a.Y, b.Y) + width);
}

double Advance(char c) { return c == 'I' ? 0.45 : c == 'W' ? 1.15 : c == ' ' ? 0.5 : 1.05; }

double LabelWidth(const std::string& text, double height)
{
  double w = 0;
  for (char c : text)
    w += Advance(c) * height;
  return w - 0.25 * height;
}

// Draws the text with its capitals `height` pixels high, centred on x, baseline at y.
void Label(TSketch& s, const std::string& text, double x, double y, double height, TRGB colour)
{
  double pen = x - LabelWidth(text, height) / 2;
  for (char c : text) {
    auto it = Letters().find(c);
    if (it != Letters().end())
      for (const TStroke& stroke : it->second)
        for (size_t i = 1; i < stroke.size(); ++i) {
          const TPt a{pen + stroke[i - 1].X * height, y - stroke[i - 1].Y * height};
          const TPt b{pen + stroke[i].X * height, y - stroke[i].Y * height};
          Line(s, a, b, height * 0.15, colour);
        }
    pen += Advance(c) * height;
  }
}

// A straight arrow from a to b with its head at b.
void Arrow(TSketch& s, TPt a, TPt b, double width, TRGB colour)
{
  const double len = std::hypot(b.X - a.X, b.Y - a.Y);
  const double ux = (b.X - a.X) / len, uy = (b.Y - a.Y) / len;
  const double head = width * 3.2;
  const TPt base{b.X - ux * head, b.Y - uy * head};
  Line(s, a, base, width, colour);
  const std::vector<TPt> tri{{b.X, b.Y},
                             {base.X - uy * head * 0.6, base.Y + ux * head * 0.6},
                             {base.X + uy * head * 0.6, base.Y - ux * head * 0.6}};
  s.Fill([&](double x, double y) { return InPolygon(x, y, tri); }, colour, b.X - head * 1.5, b.Y - head * 1.5,
         b.X + head * 1.5, b.Y + head * 1.5);
}

// An arc of an ellipse about (cx, cy) from angle `from` to `to` (degrees, y down, so rising
// angles turn clockwise on the page), with an arrowhead at its `to` end.
void ArcArrow(TSketch& s, double cx, double cy, double rx, double ry, double from, double to, double width, TRGB colour)
{
  const TStroke arc = Arc(cx, cy, rx, ry, from, to)[0];
  for (size_t i = 1; i + 2 < arc.size(); ++i)
    Line(s, arc[i - 1], arc[i], width, colour);
  Arrow(s, arc[arc.size() - 3], arc.back(), width, colour);
}

// A dimension line with end ticks.
void Dimension(TSketch& s, TPt a, TPt b)
{
  const TRGB c{0.45, 0.5, 0.58};
  Line(s, a, b, 1.2, c);
  const double len = std::hypot(b.X - a.X, b.Y - a.Y);
  const double nx = -(b.Y - a.Y) / len * 5, ny = (b.X - a.X) / len * 5;
  Line(s, {a.X - nx, a.Y - ny}, {a.X + nx, a.Y + ny}, 1.2, c);
  Line(s, {b.X - nx, b.Y - ny}, {b.X + nx, b.Y + ny}, 1.2, c);
}

void Box(TSketch& s, double x0, double y0, double x1, double y1, TRGB fill, TRGB edge)
{
  s.Fill([&](double x, double y) { return InBox(x, y, x0, y0, x1, y1); }, edge);
  s.Fill([&](double x, double y) { return InBox(x, y, x0 + 1.5, y0 + 1.5, x1 - 1.5, y1 - 1.5); }, fill);
}

void Fulcrum(TSketch& s, double x, double top, double size)
{
  const std::vector<TPt> tri{{x, top}, {x - size * 0.6, top + size}, {x + size * 0.6, top + size}};
  s.Fill([&](double px, double py) { return InPolygon(px, py, tri); }, DarkSteel);
}

void Beam(TSketch& s, double x0, double x1, double y)
{
  s.Fill([&](double x, double py) { return InRoundBox(x, py, x0, y - 5, x1, y + 5, 2); }, Wood);
}

std::vector<uint8_t> Gif(const TSketch& s) { return SaveGifToBytes(GifPictureFromBitmap(s.Picture().ToBitmap())); }

// A lever with the fulcrum, the load block and the effort arrow at the given places.
std::vector<uint8_t> Lever(double fulcrum, double load, double effort, bool effortUp)
{
  TSketch s(300, 110, White);
  const double beam = 58;
  Beam(s, 14, 286, beam);
  Fulcrum(s, fulcrum, beam + 5, 26);
  Label(s, "F", fulcrum + 22, beam + 32, 11, Ink);
  Box(s, load - 17, beam - 31, load + 17, beam - 5, {0.55, 0.68, 0.9}, LoadBlue);
  Arrow(s, {load, beam - 18}, {load, beam + 30}, 3, LoadBlue);
  Label(s, "L", load, 16, 11, LoadBlue);
  if (effortUp)
    Arrow(s, {effort, beam + 44}, {effort, beam + 6}, 3, EffortRed);
  else
    Arrow(s, {effort, beam - 44}, {effort, beam - 6}, 3, EffortRed);
  Label(s, "E", effort + 16, effortUp ? beam + 40 : beam - 30, 11, EffortRed);
  return Gif(s);
}

}   // namespace

std::vector<uint8_t> MakeClass1Diagram() { return Lever(110, 40, 268, false); }
std::vector<uint8_t> MakeClass2Diagram() { return Lever(28, 120, 268, true); }
std::vector<uint8_t> MakeClass3Diagram() { return Lever(28, 262, 110, true); }

std::vector<uint8_t> MakeSystemDiagram()
{
  TSketch s(420, 90, White);
  const char* words[] = {"INPUT", "PROCESS", "OUTPUT"};
  for (int i = 0; i < 3; ++i) {
    const double x0 = 8 + i * 145;
    s.Fill([&](double x, double y) { return InRoundBox(x, y, x0, 18, x0 + 114, 72, 8); }, Ink);
    s.Fill([&](double x, double y) { return InRoundBox(x, y, x0 + 2, 20, x0 + 112, 70, 6.5); },
           i == 1 ? TRGB{0.86, 0.91, 0.98} : TRGB{0.95, 0.97, 1});
    Label(s, words[i], x0 + 57, 52, 13, Ink);
    if (i < 2)
      Arrow(s, {x0 + 117, 45}, {x0 + 143, 45}, 3.5, EffortRed);
  }
  return Gif(s);
}

std::vector<uint8_t> MakeMotionsDiagram()
{
  TSketch s(400, 100, White);
  // Rotary: a circle with an arrow head; linear: one arrow; reciprocating: a double arrow;
  // oscillating: an arc with heads at both ends.
  for (const TStroke& st : Arc(50, 50, 30, 30, 20, 330))
    for (size_t i = 1; i < st.size(); ++i)
      Line(s, st[i - 1], st[i], 4, Ink);
  Arrow(s, {74, 66}, {78.2, 60.3}, 4, Ink);
  s.Fill([](double x, double y) { return InDisc(x, y, 50, 50, 5); }, EffortRed);
  Arrow(s, {115, 50}, {185, 50}, 4, Ink);
  Arrow(s, {250, 50}, {285, 50}, 4, Ink);
  Arrow(s, {250, 50}, {215, 50}, 4, Ink);
  const TStroke arc = Arc(350, 20, 42, 42, 50, 130)[0];
  for (size_t i = 2; i + 2 < arc.size(); ++i)
    Line(s, arc[i - 1], arc[i], 4, Ink);
  Arrow(s, arc[2], arc[0], 4, Ink);
  Arrow(s, arc[arc.size() - 3], arc[arc.size() - 1], 4, Ink);
  s.Fill([](double x, double y) { return InDisc(x, y, 350, 20, 5); }, EffortRed);
  for (double x : {100.0, 200.0, 300.0})
    Line(s, {x, 10}, {x, 90}, 1, {0.8, 0.84, 0.9});
  return Gif(s);
}

std::vector<uint8_t> MakeMomentsDiagram()
{
  // A beam balanced on a pivot: weight W1 at distance D1 turns it anticlockwise, W2 at D2
  // clockwise.
  TSketch s(360, 180, White);
  const double beam = 95, pivot = 180, left = 70, right = 284;
  Beam(s, 20, 340, beam);
  Fulcrum(s, pivot, beam + 5, 30);
  Box(s, left - 18, 62, left + 18, beam - 5, {0.55, 0.68, 0.9}, LoadBlue);
  Label(s, "W1", left, beam - 11, 10, Ink);
  Arrow(s, {left, beam - 6}, {left, 138}, 3, LoadBlue);
  Box(s, right - 22, 56, right + 22, beam - 5, {0.95, 0.6, 0.55}, EffortRed);
  Label(s, "W2", right, beam - 11, 10, Ink);
  Arrow(s, {right, beam - 6}, {right, 138}, 3, EffortRed);
  Dimension(s, {left, 150}, {pivot, 150});
  Dimension(s, {pivot, 150}, {right, 150});
  Label(s, "D1", (left + pivot) / 2, 172, 10, Ink);
  Label(s, "D2", (pivot + right) / 2, 172, 10, Ink);
  // The turning senses about the pivot: the left weight turns the beam anticlockwise, the
  // right one clockwise.
  ArcArrow(s, pivot, beam, 70, 50, 255, 200, 2.2, LoadBlue);
  ArcArrow(s, pivot, beam, 70, 50, 285, 340, 2.2, EffortRed);
  Label(s, "ANTICLOCKWISE", 92, 20, 8, LoadBlue);
  Label(s, "CLOCKWISE", 268, 20, 8, EffortRed);
  return Gif(s);
}

std::vector<uint8_t> MakeEquilibriumDiagram()
{
  TSketch s(360, 140, White);
  Beam(s, 20, 340, 60);
  Fulcrum(s, 40, 65, 28);
  Fulcrum(s, 320, 65, 28);
  Arrow(s, {115, 10}, {115, 54}, 3.5, LoadBlue);
  Label(s, "L", 130, 22, 11, LoadBlue);
  Arrow(s, {40, 130}, {40, 98}, 3, Green);
  Arrow(s, {320, 130}, {320, 110}, 3, Green);
  Dimension(s, {40, 20}, {115, 20});
  return Gif(s);
}

std::vector<uint8_t> MakeVRPulleysDiagram()
{
  TSketch s(360, 140, White);
  const TPt c1{90, 70}, c2{255, 70};
  const double r1 = 26, r2 = 52, belt = 4;
  const double d = c2.X - c1.X, k = (r2 - r1) / d, h = std::sqrt(1 - k * k);
  const double mid1 = r1 + belt / 2, mid2 = r2 + belt / 2;
  const TRGB beltColour{0.2, 0.2, 0.22};
  Line(s, {c1.X - k * mid1, c1.Y - h * mid1}, {c2.X - k * mid2, c2.Y - h * mid2}, belt, beltColour);
  Line(s, {c1.X - k * mid1, c1.Y + h * mid1}, {c2.X - k * mid2, c2.Y + h * mid2}, belt, beltColour);
  s.Fill([&](double x, double y) { return InDisc(x, y, c1.X, c1.Y, r1 + belt); }, beltColour);
  s.Fill([&](double x, double y) { return InDisc(x, y, c2.X, c2.Y, r2 + belt); }, beltColour);
  for (const auto& [centre, radius] : {std::pair{c1, r1}, std::pair{c2, r2}}) {
    const TPt c = centre;
    const double r = radius;
    s.Fill([&](double x, double y) { return InDisc(x, y, c.X, c.Y, r); }, Steel);
    s.Fill([&](double x, double y) { return InDisc(x, y, c.X, c.Y, r * 0.8); }, {0.78, 0.8, 0.84});
    s.Fill([&](double x, double y) { return InDisc(x, y, c.X, c.Y, 6); }, DarkSteel);
  }
  Dimension(s, {c1.X, c1.Y}, {c1.X, c1.Y + r1});
  Dimension(s, {c2.X, c2.Y}, {c2.X, c2.Y + r2});
  return Gif(s);
}

std::vector<uint8_t> MakeSankeyDiagram()
{
  TSketch s(360, 120, White);
  // 100 units in, 70 useful straight on, 30 wasted bending down.
  const std::vector<TPt> in{{30, 20}, {170, 20}, {170, 80}, {30, 80}, {48, 50}};
  s.Fill([&](double x, double y) { return InPolygon(x, y, in); }, {0.95, 0.62, 0.2});
  const std::vector<TPt> useful{{170, 20}, {300, 20}, {300, 4}, {340, 41}, {300, 78}, {300, 62}, {170, 62}};
  s.Fill([&](double x, double y) { return InPolygon(x, y, useful); }, Green);
  const std::vector<TPt> wasted{{170, 62}, {190, 62}, {190, 98}, {198, 98}, {180, 116}, {162, 98}, {170, 98}};
  s.Fill([&](double x, double y) { return InPolygon(x, y, wasted); }, EffortRed);
  Label(s, "IN", 100, 56, 14, White);
  Label(s, "USEFUL", 245, 48, 12, White);
  Label(s, "WASTED", 262, 108, 11, EffortRed);
  return Gif(s);
}

std::vector<uint8_t> MakeTorqueDiagram()
{
  // A spanner on a nut: the force F at radius R from the nut's centre turns it clockwise.
  TSketch s(300, 150, White);
  const TPt nut{60, 60};
  const double hand = 250;
  s.Fill([&](double x, double y) { return InRoundBox(x, y, nut.X, 48, 262, 72, 10); }, Steel);
  s.Fill([&](double x, double y) { return InDisc(x, y, nut.X, nut.Y, 32); }, Steel);
  std::vector<TPt> hex;
  for (int k = 0; k < 6; ++k)
    hex.push_back({nut.X + 20 * std::cos(k * Pi / 3), nut.Y + 20 * std::sin(k * Pi / 3)});
  s.Fill([&](double x, double y) { return InPolygon(x, y, hex); }, DarkSteel);
  s.Fill([&](double x, double y) { return InDisc(x, y, nut.X, nut.Y, 8); }, {0.78, 0.8, 0.84});
  Arrow(s, {hand, 6}, {hand, 46}, 3.5, EffortRed);
  Label(s, "F", hand + 16, 30, 12, EffortRed);
  Line(s, {nut.X, 78}, {nut.X, 108}, 1, {0.7, 0.74, 0.8});
  Line(s, {hand, 78}, {hand, 108}, 1, {0.7, 0.74, 0.8});
  Dimension(s, {nut.X, 100}, {hand, 100});
  Label(s, "R", (nut.X + hand) / 2, 126, 12, Ink);
  ArcArrow(s, nut.X, nut.Y, 44, 44, 160, 275, 2.5, EffortRed);
  Label(s, "TORQUE = F X R", 150, 146, 9, Ink);
  return Gif(s);
}

std::vector<uint8_t> MakeCouplingDiagram()
{
  TSketch s(360, 120, White);
  s.Fill([](double x, double y) { return InBox(x, y, 10, 50, 175, 70); }, Steel);
  s.Fill([](double x, double y) { return InBox(x, y, 185, 50, 350, 70); }, Steel);
  for (double x0 : {150.0, 180.0})
    s.Fill([&](double x, double y) { return InRoundBox(x, y, x0, 16, x0 + 30, 104, 3); }, DarkSteel);
  Line(s, {180, 16}, {180, 104}, 1, White);
  for (double y : {26.0, 94.0})
    s.Fill([&](double x, double py) { return InBox(x, py, 144, y - 4, 216, y + 4); }, {0.25, 0.27, 0.3});
  // A key in each hub.
  s.Fill([](double x, double y) { return InBox(x, y, 150, 44, 178, 50); }, Bronze);
  s.Fill([](double x, double y) { return InBox(x, y, 182, 44, 210, 50); }, Bronze);
  return Gif(s);
}

std::vector<uint8_t> MakeBearingsDiagram()
{
  TSketch s(360, 140, White);
  // A plain bearing: a bronze bush round the shaft with a film of oil between.
  s.Fill([](double x, double y) { return InDisc(x, y, 90, 70, 58); }, DarkSteel);
  s.Fill([](double x, double y) { return InDisc(x, y, 90, 70, 46); }, Bronze);
  s.Fill([](double x, double y) { return InDisc(x, y, 90, 70, 32); }, {0.98, 0.85, 0.3});
  s.Fill([](double x, double y) { return InDisc(x, y, 90, 70, 29); }, Steel);
  // A ball bearing: balls between an inner and an outer race.
  s.Fill([](double x, double y) { return InDisc(x, y, 270, 70, 60); }, DarkSteel);
  s.Fill([](double x, double y) { return InDisc(x, y, 270, 70, 50); }, White);
  for (int k = 0; k < 10; ++k) {
    const double a = k * Pi / 5;
    s.Fill([&](double x, double y) { return InDisc(x, y, 270 + 39 * std::cos(a), 70 + 39 * std::sin(a), 10); }, Steel);
  }
  s.Fill([](double x, double y) { return InDisc(x, y, 270, 70, 29); }, DarkSteel);
  s.Fill([](double x, double y) { return InDisc(x, y, 270, 70, 20); }, {0.78, 0.8, 0.84});
  return Gif(s);
}

std::vector<uint8_t> MakeClutchDiagram()
{
  TSketch s(360, 130, White);
  // Engaged on the left (plates pressed together), disengaged on the right (a gap).
  for (int side = 0; side < 2; ++side) {
    const double cx = side == 0 ? 90 : 270, gap = side == 0 ? 0 : 12;
    s.Fill([&](double x, double y) { return InBox(x, y, cx - 80, 58, cx - 12 - gap, 72); }, Steel);
    s.Fill([&](double x, double y) { return InBox(x, y, cx + 12 + gap, 58, cx + 80, 72); }, Steel);
    s.Fill([&](double x, double y) { return InRoundBox(x, y, cx - 22 - gap, 12, cx - 6 - gap, 118, 3); }, DarkSteel);
    s.Fill([&](double x, double y) { return InRoundBox(x, y, cx - 6 + gap, 18, cx + 2 + gap, 112, 2); }, Bronze);
    s.Fill([&](double x, double y) { return InRoundBox(x, y, cx + 2 + gap, 12, cx + 18 + gap, 118, 3); }, LoadBlue);
    if (side == 1)
      Arrow(s, {cx + 30, 30}, {cx + 56, 30}, 3, EffortRed);
  }
  Line(s, {180, 8}, {180, 122}, 1, {0.8, 0.84, 0.9});
  return Gif(s);
}

std::vector<uint8_t> MakeInclineDiagram()
{
  // A load on a slope: its weight straight down, the effort along the slope, and the height
  // the slope rises.
  TSketch s(420, 150, White);
  const std::vector<TPt> slope{{20, 130}, {330, 130}, {330, 40}};
  s.Fill([&](double x, double y) { return InPolygon(x, y, slope); }, {0.86, 0.8, 0.7});
  Line(s, {20, 130}, {330, 40}, 2, Wood);
  // The load on the slope, turned to lie on it.
  const double a = std::atan2(-90.0, 310.0);
  const TPt c{190, 130 + (190 - 20) * std::tan(a) - 17};
  const double ca = std::cos(a), sa = std::sin(a);
  auto corner = [&](double u, double v) { return TPt{c.X + u * ca - v * sa, c.Y + u * sa + v * ca}; };
  const std::vector<TPt> block{corner(-22, -15), corner(22, -15), corner(22, 15), corner(-22, 15)};
  s.Fill([&](double x, double y) { return InPolygon(x, y, block); }, LoadBlue);
  Arrow(s, {c.X, c.Y}, {c.X, c.Y + 52}, 3, LoadBlue);
  Label(s, "LOAD", c.X - 30, c.Y + 50, 10, LoadBlue);
  Arrow(s, corner(24, 0), corner(84, 0), 3, EffortRed);
  const TPt tip = corner(84, 0);
  Label(s, "EFFORT", tip.X - 10, tip.Y - 14, 10, EffortRed);
  Dimension(s, {342, 40}, {342, 130});
  Label(s, "HEIGHT", 384, 90, 9, Ink);
  return Gif(s);
}
