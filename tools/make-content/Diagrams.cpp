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

TStroke Digit6()
{
  return {{0.7, 0.92}, {0.5, 1},     {0.25, 0.97}, {0.07, 0.75}, {0.03, 0.4},  {0.1, 0.12}, {0.35, 0},
          {0.6, 0.05}, {0.75, 0.25}, {0.72, 0.45}, {0.5, 0.58},  {0.25, 0.55}, {0.05, 0.4}};
}

// Capital letters, digits and a few signs as strokes in a box 0.8 wide and 1 high, y up from
// the baseline.
const std::map<char, std::vector<TStroke>>& Letters()
{
  static const std::map<char, std::vector<TStroke>> letters{
      {'=', {{{0.1, 0.32}, {0.7, 0.32}}, {{0.1, 0.68}, {0.7, 0.68}}}},
      {'/', {{{0.1, 0}, {0.7, 1}}}},
      {'0', Arc(0.4, 0.5, 0.36, 0.5, 0, 360)},
      {'1', {{{0.15, 0.8}, {0.4, 1}, {0.4, 0}}}},
      {'2', {{{0.05, 0.8}, {0.2, 0.97}, {0.55, 0.97}, {0.72, 0.8}, {0.72, 0.6}, {0, 0}, {0.78, 0}}}},
      {'3',
       {{{0.05, 0.88}, {0.2, 1}, {0.55, 1}, {0.72, 0.88}, {0.72, 0.65}, {0.55, 0.53}, {0.3, 0.53}},
        {{0.55, 0.53}, {0.76, 0.4}, {0.76, 0.13}, {0.56, 0}, {0.2, 0}, {0.02, 0.12}}}},
      {'4', {{{0.6, 0}, {0.6, 1}, {0, 0.32}, {0.8, 0.32}}}},
      {'5',
       {{{0.72, 1},
         {0.12, 1},
         {0.06, 0.55},
         {0.45, 0.6},
         {0.7, 0.48},
         {0.76, 0.25},
         {0.6, 0.03},
         {0.3, 0},
         {0.02, 0.12}}}},
      {'6', {Digit6()}},
      {'7', {{{0, 1}, {0.78, 1}, {0.3, 0}}}},
      {'8',
       [] {
         auto eight = Arc(0.4, 0.76, 0.3, 0.24, 0, 360);
         eight.push_back(Arc(0.4, 0.26, 0.36, 0.26, 0, 360)[0]);
         return eight;
       }()},
      {'9',
       [] {
         // A six turned half round.
         TStroke nine = Digit6();
         for (TPt& p : nine)
           p = {0.8 - p.X, 1 - p.Y};
         return std::vector<TStroke>{nine};
       }()},
      {'A', {{{0, 0}, {0.4, 1}, {0.8, 0}}, {{0.15, 0.38}, {0.65, 0.38}}}},
      {'B',
       {{{0, 0}, {0, 1}, {0.5, 1}, {0.7, 0.9}, {0.7, 0.62}, {0.5, 0.52}, {0, 0.52}},
        {{0.5, 0.52}, {0.76, 0.4}, {0.76, 0.12}, {0.55, 0}, {0, 0}}}},
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
      {'M', {{{0, 0}, {0, 1}, {0.45, 0.35}, {0.9, 1}, {0.9, 0}}}},
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
      {'V', {{{0, 1}, {0.4, 0}, {0.8, 1}}}},
      {'W', {{{0, 1}, {0.22, 0}, {0.45, 0.7}, {0.68, 0}, {0.9, 1}}}},
      {'X', {{{0, 0}, {0.8, 1}}, {{0, 1}, {0.8, 0}}}},
      {'Y', {{{0, 1}, {0.4, 0.5}, {0.8, 1}}, {{0.4, 0.5}, {0.4, 0}}}},
      // The unit metre, small, beside capital N for newtons.
      {'m',
       {{{0, 0}, {0, 0.6}},
        {{0, 0.42}, {0.12, 0.57}, {0.27, 0.6}, {0.4, 0.48}, {0.4, 0}},
        {{0.4, 0.48}, {0.53, 0.57}, {0.68, 0.6}, {0.8, 0.48}, {0.8, 0}}}},
  };
  return letters;
}

void Line(TSketch& s, TPt a, TPt b, double width, TRGB colour)
{
  s.Fill([&](double x, double y) { return NearSegment(x, y, a, b, width); }, colour, std::min(a.X, b.X) - width,
         std::min(a.Y, b.Y) - width, std::max(a.X, b.X) + width, std::max(a.Y, b.Y) + width);
}

double Advance(char c) { return c == 'I' ? 0.45 : (c == 'W' || c == 'M') ? 1.15 : c == ' ' ? 0.5 : 1.05; }

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
  // Four panels, each named below its drawing: rotary, a circle with an arrow head; linear,
  // one arrow; reciprocating, a double arrow; oscillating, an arc with heads at both ends.
  TSketch s(480, 130, White);
  for (const TStroke& st : Arc(60, 50, 30, 30, 20, 330))
    for (size_t i = 1; i < st.size(); ++i)
      Line(s, st[i - 1], st[i], 4, Ink);
  Arrow(s, {84, 66}, {88.2, 60.3}, 4, Ink);
  s.Fill([](double x, double y) { return InDisc(x, y, 60, 50, 5); }, EffortRed);
  Arrow(s, {145, 50}, {215, 50}, 4, Ink);
  Arrow(s, {300, 50}, {338, 50}, 4, Ink);
  Arrow(s, {300, 50}, {262, 50}, 4, Ink);
  const TStroke arc = Arc(420, 20, 42, 42, 50, 130)[0];
  for (size_t i = 2; i + 2 < arc.size(); ++i)
    Line(s, arc[i - 1], arc[i], 4, Ink);
  Arrow(s, arc[2], arc[0], 4, Ink);
  Arrow(s, arc[arc.size() - 3], arc[arc.size() - 1], 4, Ink);
  s.Fill([](double x, double y) { return InDisc(x, y, 420, 20, 5); }, EffortRed);
  for (double x : {120.0, 240.0, 360.0})
    Line(s, {x, 10}, {x, 120}, 1, {0.8, 0.84, 0.9});
  const char* names[] = {"ROTARY", "LINEAR", "RECIPROCATING", "OSCILLATING"};
  for (int i = 0; i < 4; ++i)
    Label(s, names[i], 60 + 120 * i, 116, 8, Ink);
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
  // The page's worked example: a plank 4 m long on two trestles, a painter's 700 N pressing
  // down 1 m from the left end, and the trestles pushing up 525 N and 175 N (drawn to scale).
  TSketch s(360, 230, White);
  const double left = 40, right = 320, perMetre = (right - left) / 4, painter = left + perMetre;
  // Every arrow is drawn to one scale, so the painter's push is the longest.
  const double perNewton = 72.0 / 700;
  Beam(s, 20, 340, 90);
  Fulcrum(s, left, 95, 28);
  Fulcrum(s, right, 95, 28);
  Arrow(s, {painter, 84 - 700 * perNewton}, {painter, 84}, 3.5, LoadBlue);
  Label(s, "700 N", painter + 36, 52, 10, LoadBlue);
  Dimension(s, {left, 26}, {painter, 26});
  Label(s, "1 m", (left + painter) / 2, 20, 10, Ink);
  Arrow(s, {left, 128 + 525 * perNewton}, {left, 128}, 3, Green);
  Label(s, "525 N", left + 38, 170, 10, Green);
  Arrow(s, {right, 128 + 175 * perNewton}, {right, 128}, 3, Green);
  Label(s, "175 N", right - 38, 148, 10, Green);
  Dimension(s, {left, 212}, {right, 212});
  Label(s, "4 m", (left + right) / 2, 206, 10, Ink);
  return Gif(s);
}

std::vector<uint8_t> MakeVRPulleysDiagram()
{
  // A small driver pulley turning a large driven one by an open belt, both the same way, with
  // the diameters D1 and D2 that the velocity ratio is worked out from.
  TSketch s(360, 175, White);
  const TPt c1{90, 72}, c2{240, 72};
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
    ArcArrow(s, c.X, c.Y, r * 0.55, r * 0.55, 200, 320, 2, EffortRed);
  }
  // The diameters, measured beside each pulley.
  Dimension(s, {c1.X - r1 - 16, c1.Y - r1}, {c1.X - r1 - 16, c1.Y + r1});
  Label(s, "D1", c1.X - r1 - 34, c1.Y + 5, 10, Ink);
  Dimension(s, {c2.X + r2 + 16, c2.Y - r2}, {c2.X + r2 + 16, c2.Y + r2});
  Label(s, "D2", c2.X + r2 + 36, c2.Y + 5, 10, Ink);
  Label(s, "DRIVER", c1.X, 146, 9, EffortRed);
  Label(s, "DRIVEN", c2.X, 146, 9, LoadBlue);
  Label(s, "VR = D2 / D1", 180, 169, 9, Ink);
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
  // A flange coupling: the motor's shaft and the pump's shaft end in flanges bolted together,
  // each flange keyed to its shaft.
  TSketch s(360, 170, White);
  const double top = 24;
  s.Fill([&](double x, double y) { return InBox(x, y, 10, top + 50, 175, top + 70); }, Steel);
  s.Fill([&](double x, double y) { return InBox(x, y, 185, top + 50, 350, top + 70); }, Steel);
  for (double x0 : {150.0, 180.0})
    s.Fill([&](double x, double y) { return InRoundBox(x, y, x0, top + 16, x0 + 30, top + 104, 3); }, DarkSteel);
  Line(s, {180, top + 16}, {180, top + 104}, 1, White);
  for (double y : {top + 26, top + 94})
    s.Fill([&](double x, double py) { return InBox(x, py, 144, y - 4, 216, y + 4); }, {0.25, 0.27, 0.3});
  s.Fill([&](double x, double y) { return InBox(x, y, 150, top + 44, 178, top + 50); }, Bronze);
  s.Fill([&](double x, double y) { return InBox(x, y, 182, top + 44, 210, top + 50); }, Bronze);
  const TRGB lead{0.6, 0.64, 0.7};
  Label(s, "FLANGES", 180, 14, 9, Ink);
  Line(s, {250, top + 26}, {218, top + 26}, 1, lead);
  Label(s, "BOLTS", 278, top + 30, 9, Ink);
  Line(s, {112, top + 36}, {158, top + 46}, 1, lead);
  Label(s, "KEYS", 88, top + 40, 9, Ink);
  Label(s, "MOTOR SHAFT", 80, top + 92, 9, Ink);
  Label(s, "PUMP SHAFT", 284, top + 92, 9, Ink);
  return Gif(s);
}

std::vector<uint8_t> MakeBearingsDiagram()
{
  // A plain bearing (a bronze bush round the shaft with a film of oil between) and a ball
  // bearing (balls between an outer and an inner race), each named below, its parts beside it.
  TSketch s(460, 180, White);
  const double y = 72, plain = 150, ball = 310;
  s.Fill([&](double x, double py) { return InDisc(x, py, plain, y, 58); }, DarkSteel);
  s.Fill([&](double x, double py) { return InDisc(x, py, plain, y, 46); }, Bronze);
  s.Fill([&](double x, double py) { return InDisc(x, py, plain, y, 32); }, {0.98, 0.85, 0.3});
  s.Fill([&](double x, double py) { return InDisc(x, py, plain, y, 29); }, Steel);
  s.Fill([&](double x, double py) { return InDisc(x, py, ball, y, 60); }, DarkSteel);
  s.Fill([&](double x, double py) { return InDisc(x, py, ball, y, 50); }, White);
  for (int k = 0; k < 10; ++k) {
    const double a = k * Pi / 5;
    s.Fill([&](double x, double py) { return InDisc(x, py, ball + 39 * std::cos(a), y + 39 * std::sin(a), 10); },
           Steel);
  }
  s.Fill([&](double x, double py) { return InDisc(x, py, ball, y, 29); }, DarkSteel);
  s.Fill([&](double x, double py) { return InDisc(x, py, ball, y, 20); }, {0.78, 0.8, 0.84});
  const TRGB lead{0.6, 0.64, 0.7};
  // The plain bearing's parts, named on its left.
  Line(s, {60, y - 40}, {plain - 36, y - 22}, 1, lead);
  Label(s, "BUSH", 34, y - 36, 8, Ink);
  Line(s, {60, y}, {plain - 31, y}, 1, lead);
  Label(s, "OIL", 38, y + 4, 8, Ink);
  Line(s, {60, y + 40}, {plain - 14, y + 14}, 1, lead);
  Label(s, "SHAFT", 30, y + 44, 8, Ink);
  // The ball bearing's, on its right.
  Line(s, {ball + 56, y - 22}, {382, y - 40}, 1, lead);
  Label(s, "OUTER RACE", 418, y - 36, 8, Ink);
  Line(s, {ball + 39, y}, {382, y}, 1, lead);
  Label(s, "BALL", 400, y + 4, 8, Ink);
  Line(s, {ball + 20, y + 16}, {382, y + 40}, 1, lead);
  Label(s, "INNER RACE", 418, y + 44, 8, Ink);
  Label(s, "PLAIN BEARING", plain, 166, 9, Ink);
  Label(s, "BALL BEARING", ball, 166, 9, Ink);
  return Gif(s);
}

std::vector<uint8_t> MakeClutchDiagram()
{
  // A plate clutch engaged on the left (the springs press the pressure plate and the friction
  // plate against the flywheel) and disengaged on the right (the pressure plate pulled back,
  // the friction plate free), with a key to its three plates below.
  TSketch s(460, 190, White);
  const TRGB plates[3] = {DarkSteel, Bronze, LoadBlue};
  for (int side = 0; side < 2; ++side) {
    const double cx = side == 0 ? 115 : 345, back = side == 0 ? 0 : 12;
    // The engine's shaft ends at the flywheel; the gearbox's carries the friction plate.
    s.Fill([&](double x, double y) { return InBox(x, y, cx - 90, 58, cx - 20, 72); }, Steel);
    s.Fill([&](double x, double y) { return InBox(x, y, cx - 4, 60, cx + 90, 70); }, Steel);
    s.Fill([&](double x, double y) { return InRoundBox(x, y, cx - 22, 12, cx - 6, 118, 3); }, plates[0]);
    s.Fill([&](double x, double y) { return InRoundBox(x, y, cx - 6 + back / 2, 18, cx + 2 + back / 2, 112, 2); },
           plates[1]);
    s.Fill([&](double x, double y) { return InRoundBox(x, y, cx + 2 + back, 12, cx + 18 + back, 118, 3); }, plates[2]);
    // The cover, bolted to the flywheel, holds the springs that push the pressure plate
    // towards it; pulling the plate back squeezes them shorter.
    const TRGB cover = DarkSteel;
    s.Fill([&](double x,
               double y) { return InBox(x, y, cx - 22, 4, cx + 54, 7) || InBox(x, y, cx - 22, 123, cx + 54, 126); },
           cover);
    s.Fill([&](double x,
               double y) { return InBox(x, y, cx + 50, 4, cx + 54, 54) || InBox(x, y, cx + 50, 76, cx + 54, 126); },
           cover);
    for (double sy : {30.0, 100.0}) {
      const double x0 = cx + 18 + back, x1 = cx + 50, coils = 5;
      TPt last{x0, sy};
      for (int k = 1; k <= 2 * coils; ++k) {
        const TPt next{x0 + (x1 - x0) * k / (2 * coils), sy + (k == 2 * coils ? 0 : (k % 2 ? -7 : 7))};
        Line(s, last, next, 1.3, Steel);
        last = next;
      }
    }
    if (side == 1)
      Arrow(s, {cx + 62, 40}, {cx + 88, 40}, 3, EffortRed);
    else {
      Line(s, {cx + 40, 104}, {cx + 58, 110}, 1, {0.7, 0.74, 0.8});
      Label(s, "SPRINGS", cx + 84, 113, 7, Ink);
    }
    Label(s, "ENGINE", cx - 58, 52, 7, Ink);
    // Clear of the cover's wall at cx + 54.
    Label(s, "GEARBOX", cx + 86, 86, 7, Ink);
    Label(s, side == 0 ? "ENGAGED" : "DISENGAGED", cx, 140, 9, Ink);
  }
  Line(s, {230, 8}, {230, 146}, 1, {0.8, 0.84, 0.9});
  const char* names[3] = {"FLYWHEEL", "FRICTION PLATE", "PRESSURE PLATE"};
  double x = 22;
  for (int i = 0; i < 3; ++i) {
    s.Fill([&](double px, double py) { return InBox(px, py, x, 166, x + 10, 176); }, plates[i]);
    const double w = LabelWidth(names[i], 8);
    Label(s, names[i], x + 16 + w / 2, 176, 8, Ink);
    x += 16 + w + 26;
  }
  return Gif(s);
}

std::vector<uint8_t> MakeInclineDiagram()
{
  // A load on a slope: its weight straight down, the effort along the slope, the height the
  // slope rises and the length along it, the two that its mechanical advantage is worked out
  // from.
  TSketch s(420, 190, White);
  const TPt foot{20, 170}, top{330, 80};
  const std::vector<TPt> slope{foot, {330, 170}, top};
  s.Fill([&](double x, double y) { return InPolygon(x, y, slope); }, {0.86, 0.8, 0.7});
  Line(s, foot, top, 2, Wood);
  // The load on the slope, turned to lie on it.
  const double a = std::atan2(top.Y - foot.Y, top.X - foot.X);
  const TPt c{190, foot.Y + (190 - foot.X) * std::tan(a) - 17};
  const double ca = std::cos(a), sa = std::sin(a);
  auto corner = [&](double u, double v) { return TPt{c.X + u * ca - v * sa, c.Y + u * sa + v * ca}; };
  const std::vector<TPt> block{corner(-22, -15), corner(22, -15), corner(22, 15), corner(-22, 15)};
  s.Fill([&](double x, double y) { return InPolygon(x, y, block); }, LoadBlue);
  Arrow(s, {c.X, c.Y}, {c.X, c.Y + 52}, 3, LoadBlue);
  Label(s, "LOAD", c.X - 30, c.Y + 50, 10, LoadBlue);
  Arrow(s, corner(24, 0), corner(84, 0), 3, EffortRed);
  const TPt tip = corner(84, 0);
  Label(s, "EFFORT", tip.X - 10, tip.Y - 14, 10, EffortRed);
  Dimension(s, {342, top.Y}, {342, foot.Y});
  Label(s, "HEIGHT", 384, (top.Y + foot.Y) / 2, 9, Ink);
  // The length, measured along the slope above it, clear of the load and its arrows.
  const double off = 62;
  const TPt n{sa * off, -ca * off};
  const TRGB lead{0.7, 0.74, 0.8};
  Line(s, foot, {foot.X + n.X, foot.Y + n.Y}, 1, lead);
  Line(s, top, {top.X + n.X, top.Y + n.Y}, 1, lead);
  Dimension(s, {foot.X + n.X, foot.Y + n.Y}, {top.X + n.X, top.Y + n.Y});
  Label(s, "LENGTH", 150, foot.Y + n.Y + (150 - foot.X - n.X) * std::tan(a) - 12, 9, Ink);
  // The slope's angle, between the ground and the slope at its foot: the angle the page and
  // the model's label give.
  const double r = 62;
  const TStroke arc = Arc(foot.X, foot.Y, r, r, a * 180 / Pi, 0)[0];
  for (size_t i = 1; i < arc.size(); ++i)
    Line(s, arc[i - 1], arc[i], 1.2, Ink);
  Label(s, "ANGLE", foot.X + r + 28, foot.Y - 7, 9, Ink);
  return Gif(s);
}
