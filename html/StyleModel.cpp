#include "html/StyleModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/CodePages.h"
#include "platform/Fonts.h"
#include "platform/SysUtils.h"

const char* const PropWords[PropCount] = {"font-family",
                                          "font-size",
                                          "font-style",
                                          "font-weight",
                                          "text-align",
                                          "text-decoration",
                                          "border-style",
                                          "color",
                                          "background-color",
                                          "border-color",
                                          "margin-top",
                                          "margin-right",
                                          "margin-bottom",
                                          "margin-left",
                                          "padding-top",
                                          "padding-right",
                                          "padding-bottom",
                                          "padding-left",
                                          "border-top-width",
                                          "border-right-width",
                                          "border-bottom-width",
                                          "border-left-width",
                                          "border-top-style",
                                          "border-right-style",
                                          "border-bottom-style",
                                          "border-left-style",
                                          "width",
                                          "height",
                                          "top",
                                          "left",
                                          "visibility",
                                          "line-height",
                                          "background-image",
                                          "background-position",
                                          "background-repeat",
                                          "background-attachment",
                                          "vertical-align",
                                          "position",
                                          "z-index",
                                          "list-style-type",
                                          "list-style-image",
                                          "float",
                                          "clear",
                                          "text-indent",
                                          "page-break-before",
                                          "page-break-after",
                                          "page-break-inside",
                                          "text-transform",
                                          "display"};

int PropIndex(const std::string& Name)
{
  for (int i = 0; i < PropCount; ++i)
    if (Name == PropWords[i])
      return i;
  return -1;
}

bool IsEmpty(const TPropValue& V) { return std::holds_alternative<std::monostate>(V); }

const std::string& PropString(const TPropValue& V)
{
  static const std::string empty;
  const std::string* s = std::get_if<std::string>(&V);
  return s ? *s : empty;
}

namespace {

bool IntValue(const TPropValue& V, int32_t& I)
{
  if (const int32_t* p = std::get_if<int32_t>(&V)) {
    I = *p;
    return true;
  }
  return false;
}

// A value that a rule or element really holds (not empty, not the box properties' not-set marker).
bool IsSet(const TPropValue& V)
{
  int32_t i;
  return !IsEmpty(V) && !(IntValue(V, i) && i == IntNull);
}

bool Contains(const std::string& s, const char* sub) { return s.find(sub) != std::string::npos; }

// Calls F with each word of a CLASS attribute ("note big" names two classes); a single
// class, as nearly every element has, is handed over as it is.
template <class TFn>
void ForEachClass(const std::string& Classes, const TFn& F)
{
  if (Classes.find(' ') == std::string::npos) {
    F(Classes);
    return;
  }
  size_t i = 0;
  while (i < Classes.size()) {
    size_t j = Classes.find(' ', i);
    if (j == std::string::npos)
      j = Classes.size();
    if (j > i)
      F(Classes.substr(i, j - i));
    i = j + 1;
  }
}

// Whether the CLASS attribute Classes names Class.
bool HasClass(const std::string& Classes, const std::string& Class)
{
  if (Classes.size() == Class.size())
    return Classes == Class;
  bool found = false;
  ForEachClass(Classes, [&](const std::string& c) { found = found || c == Class; });
  return found;
}

// Splits "12.5pt" into 12.5 and "pt". The number is an optional sign, digits and one point;
// it ends at the first other character (so "1.5em" splits before the "e").
bool SplitNumber(const std::string& Text, double& Value, std::string& Unit)
{
  std::string s = Trim(Text);
  size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    neg = s[i] == '-';
    ++i;
  }
  double v = 0;
  bool digits = false;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    digits = true;
  }
  if (i < s.size() && s[i] == '.') {
    double scale = 0.1;
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      v += (s[i] - '0') * scale;
      scale /= 10;
      digits = true;
    }
  }
  if (!digits || !std::isfinite(v))
    return false;
  Value = neg ? -v : v;
  Unit = LowerCase(Trim(s.substr(i)));
  return true;
}

int32_t ClampLength(double v)
{
  if (std::isnan(v))
    return 0;
  return SafeRound(std::clamp(v, -double(MaxLength), double(MaxLength)));
}

double ClampFontSize(double v, double fallback)
{
  if (std::isnan(v) || v < 0)
    return fallback;
  return std::clamp(v, MinFontSize, MaxFontSize);
}

// ---- colour names ----

struct TColorName {
  const char* Name;
  uint32_t Value;   // 0xRRGGBB, or a system colour index with SysFlag
};
constexpr uint32_t SysFlag = 0x80000000u;
constexpr uint32_t TransparentValue = 0xFFFFFFFFu;

const TColorName ColorNames[] = {
    {"transparent", TransparentValue},
    {"black", 0x000000},
    {"maroon", 0x800000},
    {"green", 0x008000},
    {"olive", 0x808000},
    {"navy", 0x000080},
    {"purple", 0x800080},
    {"teal", 0x008080},
    {"gray", 0x808080},
    {"silver", 0xC0C0C0},
    {"red", 0xFF0000},
    {"lime", 0x00FF00},
    {"yellow", 0xFFFF00},
    {"blue", 0x0000FF},
    {"fuchsia", 0xFF00FF},
    {"aqua", 0x00FFFF},
    {"white", 0xFFFFFF},
    {"aliceblue", 0xF0F8FF},
    {"antiquewhite", 0xFAEBD7},
    {"aquamarine", 0x7FFFD4},
    {"azure", 0xF0FFFF},
    {"beige", 0xF5F5DC},
    {"bisque", 0xFFE4C4},
    {"blanchedalmond", 0xFFEBCD},
    {"blueviolet", 0x8A2BE2},
    {"brown", 0xA52A2A},
    {"burlywood", 0xDEB887},
    {"cadetblue", 0x5F9EA0},
    {"chartreuse", 0x7FFF00},
    {"chocolate", 0xD2691E},
    {"coral", 0xFF7F50},
    {"cornflowerblue", 0x6495ED},
    {"cornsilk", 0xFFF8DC},
    {"crimson", 0xDC143C},
    {"cyan", 0x00FFFF},
    {"darkblue", 0x00008B},
    {"darkcyan", 0x008B8B},
    {"darkgoldenrod", 0xB8860B},
    {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400},
    {"darkkhaki", 0xBDB76B},
    {"darkmagenta", 0x8B008B},
    {"darkolivegreen", 0x556B2F},
    {"darkorange", 0xFF8C00},
    {"darkorchid", 0x9932CC},
    {"darkred", 0x8B0000},
    {"darksalmon", 0xE9967A},
    {"darkseagreen", 0x8FBC8F},
    {"darkslateblue", 0x483D8B},
    {"darkslategray", 0x2F4F4F},
    {"darkturquoise", 0x00CED1},
    {"darkviolet", 0x9400D3},
    {"deeppink", 0xFF1493},
    {"deepskyblue", 0x00BFFF},
    {"dimgray", 0x696969},
    {"dodgerblue", 0x1E90FF},
    {"firebrick", 0xB22222},
    {"floralwhite", 0xFFFAF0},
    {"forestgreen", 0x228B22},
    {"gainsboro", 0xDCDCDC},
    {"ghostwhite", 0xF8F8FF},
    {"gold", 0xFFD700},
    {"goldenrod", 0xDAA520},
    {"greenyellow", 0xADFF2F},
    {"honeydew", 0xF0FFF0},
    {"hotpink", 0xFF69B4},
    {"indianred", 0xCD5C5C},
    {"indigo", 0x4B0082},
    {"ivory", 0xFFFFF0},
    {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA},
    {"lavenderblush", 0xFFF0F5},
    {"lawngreen", 0x7CFC00},
    {"lemonchiffon", 0xFFFACD},
    {"lightblue", 0xADD8E6},
    {"lightcoral", 0xF08080},
    {"lightcyan", 0xE0FFFF},
    {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgreen", 0x90EE90},
    {"lightgrey", 0xD3D3D3},
    {"lightpink", 0xFFB6C1},
    {"lightsalmon", 0xFFA07A},
    {"lightseagreen", 0x20B2AA},
    {"lightskyblue", 0x87CEFA},
    {"lightslategray", 0x778899},
    {"lightsteelblue", 0xB0C4DE},
    {"lightyellow", 0xFFFFE0},
    {"limegreen", 0x32CD32},
    {"linen", 0xFAF0E6},
    {"magenta", 0xFF00FF},
    {"mediumaquamarine", 0x66CDAA},
    {"mediumblue", 0x0000CD},
    {"mediumorchid", 0xBA55D3},
    {"mediumpurple", 0x9370DB},
    {"mediumseagreen", 0x3CB371},
    {"mediumslateblue", 0x7B68EE},
    {"mediumspringgreen", 0x00FA9A},
    {"mediumturquoise", 0x48D1CC},
    {"mediumvioletred", 0xC71585},
    {"midnightblue", 0x191970},
    {"mintcream", 0xF5FFFA},
    {"mistyrose", 0xFFE4E1},
    {"moccasin", 0xFFE4B5},
    {"navajowhite", 0xFFDEAD},
    {"oldlace", 0xFDF5E6},
    {"olivedrab", 0x6B8E23},
    {"orange", 0xFFA500},
    {"orangered", 0xFF4500},
    {"orchid", 0xDA70D6},
    {"palegoldenrod", 0xEEE8AA},
    {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE},
    {"palevioletred", 0xDB7093},
    {"papayawhip", 0xFFEFD5},
    {"peachpuff", 0xFFDAB9},
    {"peru", 0xCD853F},
    {"pink", 0xFFC0CB},
    {"plum", 0xDDA0DD},
    {"powderblue", 0xB0E0E6},
    {"rosybrown", 0xBC8F8F},
    {"royalblue", 0x4169E1},
    {"saddlebrown", 0x8B4513},
    {"salmon", 0xFA8072},
    {"sandybrown", 0xF4A460},
    {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE},
    {"sienna", 0xA0522D},
    {"skyblue", 0x87CEEB},
    {"slateblue", 0x6A5ACD},
    {"slategray", 0x708090},
    {"snow", 0xFFFAFA},
    {"springgreen", 0x00FF7F},
    {"steelblue", 0x4682B4},
    {"tan", 0xD2B48C},
    {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347},
    {"turquoise", 0x40E0D0},
    {"violet", 0xEE82EE},
    {"wheat", 0xF5DEB3},
    {"whitesmoke", 0xF5F5F5},
    {"yellowgreen", 0x9ACD32},
    {"background", SysFlag | 1},
    {"activecaption", SysFlag | 2},
    {"inactivecaption", SysFlag | 3},
    {"menu", SysFlag | 4},
    {"window", SysFlag | 5},
    {"windowframe", SysFlag | 6},
    {"menutext", SysFlag | 7},
    {"windowtext", SysFlag | 8},
    {"captiontext", SysFlag | 9},
    {"activeborder", SysFlag | 10},
    {"inactiveborder", SysFlag | 11},
    {"appworkspace", SysFlag | 12},
    {"highlight", SysFlag | 13},
    {"highlighttext", SysFlag | 14},
    {"buttonface", SysFlag | 15},
    {"buttonshadow", SysFlag | 16},
    {"graytext", SysFlag | 17},
    {"buttontext", SysFlag | 18},
    {"inactivecaptiontext", SysFlag | 19},
    {"buttonhighlight", SysFlag | 20},
    {"threeddarkshadow", SysFlag | 21},
    {"threedlightshadow", SysFlag | 20},
    {"infotext", SysFlag | 23},
    {"infobackground", SysFlag | 24},
    {"scrollbar", SysFlag | 0},
    {"threedface", SysFlag | 15},
    {"threedhighlight", SysFlag | 22},
    {"threedshadow", SysFlag | 16},
};

struct TColorMap {
  std::vector<std::pair<std::string, TColor>> Sorted;
  TColorMap()
  {
    for (const TColorName& n : ColorNames) {
      TColor c;
      if (n.Value == TransparentValue)
        c = NoColor;
      else if (n.Value & SysFlag)
        c = SystemColor(static_cast<int>(n.Value & 0xFF));
      else
        c = RGBColor((n.Value >> 16) & 0xFF, (n.Value >> 8) & 0xFF, n.Value & 0xFF) | PalRelative;
      Sorted.emplace_back(n.Name, c);
    }
    std::sort(Sorted.begin(), Sorted.end());
  }
  bool Find(const std::string& name, TColor& c) const
  {
    auto it = std::lower_bound(Sorted.begin(), Sorted.end(), name,
                               [](const auto& e, const std::string& k) { return e.first < k; });
    if (it == Sorted.end() || it->first != name)
      return false;
    c = it->second;
    return true;
  }
};

const TColorMap& ColorMap()
{
  static const TColorMap map;
  return map;
}

int HexValue(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

std::vector<std::string> SplitSpaces(const std::string& s)
{
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ')
      ++i;
    size_t j = s.find(' ', i);
    if (j == std::string::npos)
      j = s.size();
    if (j > i)
      parts.push_back(s.substr(i, j - i));
    i = j;
  }
  return parts;
}

// FirstInstalledFont for the cascade, which asks the same few lists for every element. The
// fonts installed are the system's, one set for the process: so is the cache of answers.
std::string InstalledFamily(const std::string& Families)
{
  static std::map<std::string, std::string> cache;   // NOLINT(orrelo-static-local-state): the fonts, as above
  if (auto it = cache.find(Families); it != cache.end())
    return it->second;
  if (cache.size() >= 256)
    cache.clear();
  std::string first = FirstInstalledFont(Families);
  cache.emplace(Families, first);
  return first;
}

bool OneOf(const std::string& s, std::initializer_list<const char*> words)
{
  for (const char* w : words)
    if (s == w)
      return true;
  return false;
}

// Whether a value is one we can read for property I. Anything else (a word we do not know,
// a function such as var() or calc() that we do not evaluate) is ignored, so it never
// replaces a good value from an earlier rule or the parent with a default.
bool IsReadable(int I, const std::string& Value)
{
  for (size_t open = Value.find('('); open != std::string::npos; open = Value.find('(', open + 1)) {
    size_t start = open;
    while (start > 0 && ((Value[start - 1] >= 'a' && Value[start - 1] <= 'z') || Value[start - 1] == '-'))
      --start;
    const std::string fn = Value.substr(start, open - start);
    if (fn != "url" && fn != "rgb")
      return false;
  }
  double v;
  std::string unit;
  switch (I) {
  case FontFamily:
    // A list that names no installed font leaves the family as it was: the rule's own
    // (the default PRE rule's monospaced font), or the parent's.
    return !InstalledFamily(Value).empty();
  case FontSize:
    if (SplitNumber(Value, v, unit))
      return OneOf(unit, {"", "in", "cm", "mm", "pt", "pc", "em", "ex", "%", "px"});
    return OneOf(Value,
                 {"smaller", "larger", "xx-small", "x-small", "small", "medium", "large", "x-large", "xx-large"});
  case FontWeight:
    return OneOf(Value, {"normal", "bold", "bolder", "lighter"}) || (SplitNumber(Value, v, unit) && unit.empty());
  case FontStyle: return OneOf(Value, {"normal", "italic", "oblique"});
  case TextAlign: return OneOf(Value, {"left", "center", "right", "justify"});
  case TextDecoration:
    for (const std::string& w : SplitSpaces(Value))
      if (OneOf(w, {"none", "underline", "overline", "line-through", "blink"}))
        return true;
    return false;
  default: return true;
  }
}

}   // namespace

bool SetPropertyText(TProperties& P, int I, const std::string& Value, bool InlineColor)
{
  if (!IsReadable(I, Value))
    return false;
  auto store = [&](int idx, TPropValue v) {
    P.Props[idx] = std::move(v);
    P.Originals[idx] = true;
  };
  switch (I) {
  case BorderTopStyle:
  case BorderRightStyle:
  case BorderBottomStyle:
  case BorderLeftStyle:
    store(I, Value);
    if (Value != "none")
      store(BorderStyle, Value);
    return true;
  case BorderStyle:
    store(BorderStyle, Value);
    for (int s = BorderTopStyle; s <= BorderLeftStyle; ++s)
      store(s, Value);
    return true;
  case Visibility:
    if (Value == "visible")
      store(I, int32_t(2));
    else if (Value == "hidden")
      store(I, int32_t(1));
    else
      return false;
    return true;
  case TextTransform: store(I, int32_t(Value == "uppercase" ? 1 : Value == "lowercase" ? 2 : 0)); return true;
  case Color: {
    TColor c;
    if (ParseColor(Value, false, c))
      store(I, int32_t(c));
    else if (InlineColor)
      store(I, int32_t(clBlack));
    else
      return false;
    return true;
  }
  case BackgroundColor:
  case BorderColor: {
    TColor c;
    if (!ParseColor(Value, false, c))
      c = NoColor;
    store(I, int32_t(c));
    return true;
  }
  default:
    if (I < 0 || I >= PropCount)
      return false;
    store(I, Value);
    return true;
  }
}

namespace {

struct TCompound {
  std::string Tag, Class, ID, Pseudo;
};

TCompound SplitCompound(const std::string& s)
{
  TCompound c;
  std::string* field = &c.Tag;
  for (char ch : s) {
    if (ch == '.') {
      // ".a.b" asks for both classes: kept as the words "a b".
      if (!c.Class.empty())
        c.Class += ' ';
      field = &c.Class;
    } else if (ch == '#')
      field = &c.ID;
    else if (ch == ':')
      field = &c.Pseudo;
    else
      *field += ch;
  }
  return c;
}

// Whether the CLASS attribute Classes names every class of Wanted (words).
bool HasClasses(const std::string& Classes, const std::string& Wanted)
{
  bool all = true;
  ForEachClass(Wanted, [&](const std::string& c) { all = all && HasClass(Classes, c); });
  return all;
}

bool CompoundMatches(const TCompound& c, const TProperties& P)
{
  return (c.Tag.empty() || c.Tag == P.PropTag) && (c.Class.empty() || HasClasses(P.PropClass, c.Class))
         && (c.ID.empty() || c.ID == P.PropID) && (c.Pseudo.empty() || c.Pseudo == P.PropPseudo);
}

// Widths of the numbers in a descendant key: part count, then rule number.
constexpr size_t KeyCountDigits = 2;
constexpr size_t KeyNumberDigits = 10;
constexpr size_t MaxSelectorParts = 32;

std::string ZeroPad(uint64_t v, size_t width)
{
  std::string s = std::to_string(v);
  return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
}

}   // namespace

// ---- conversions ----

double ConvertFontSize(const std::string& Text, double ParentSize, double DefaultSize)
{
  std::string s = LowerCase(Trim(Text));
  double v;
  std::string unit;
  double r;
  if (SplitNumber(s, v, unit)) {
    if (unit == "in")
      r = v * 72;
    else if (unit == "cm")
      r = v * 72 / 2.54;
    else if (unit == "mm")
      r = v * 72 / 25.4;
    else if (unit == "pt")
      r = v;
    else if (unit == "pc")
      r = v * 12;
    else if (unit == "em")
      r = v * ParentSize;
    else if (unit == "ex")
      r = v * ParentSize / 2;
    else if (unit == "%")
      r = v * ParentSize / 100;
    else if (unit == "px" || unit.empty())
      r = v * 72 / ScreenPixelsPerInch();
    else
      r = DefaultSize;
  } else if (s == "smaller")
    r = 0.75 * ParentSize;
  else if (s == "larger")
    r = 1.25 * ParentSize;
  else if (s == "xx-small")
    r = DefaultSize / 1.5;
  else if (s == "x-small")
    r = DefaultSize / 1.2;
  else if (s == "small")
    r = DefaultSize;
  else if (s == "medium")
    r = DefaultSize * 1.2;
  else if (s == "large")
    r = DefaultSize * 1.5;
  else if (s == "x-large")
    r = DefaultSize * 2;
  else if (s == "xx-large")
    r = DefaultSize * 3;
  else
    r = DefaultSize;
  return ClampFontSize(r, ClampFontSize(ParentSize, DefaultPointSize));
}

int32_t ConvertLength(const std::string& Text, bool Relative, int32_t Base, int32_t Default, int32_t ExHeight,
                      int32_t EmSize)
{
  double v;
  std::string unit;
  if (!SplitNumber(Text, v, unit))
    return Default;
  double ppi = ScreenPixelsPerInch();
  double r;
  if (unit.empty())
    r = Relative ? v * Base : v;
  else if (unit == "in")
    r = v * ppi;
  else if (unit == "cm")
    r = v * ppi / 2.54;
  else if (unit == "mm")
    r = v * ppi / 25.4;
  else if (unit == "pt")
    r = v * ppi / 72;
  else if (unit == "pc")
    r = v * ppi / 6;
  else if (unit == "px")
    r = v;
  else if (unit == "em")
    r = v * EmSize;
  else if (unit == "ex")
    r = v * ExHeight;
  else if (unit == "%")
    r = v * Base / 100;
  else
    return Default;
  return ClampLength(r);
}

bool ParseColor(const std::string& Text, bool NeedPound, TColor& Color)
{
  std::string s = LowerCase(Trim(Text));
  if (s.empty())
    return false;
  size_t rgb = s.find("rgb(");
  if (s[0] != '#' && rgb == std::string::npos) {
    if (ColorMap().Find(s, Color))
      return true;
  }
  if (rgb != std::string::npos) {
    size_t open = rgb + 4;
    size_t close = s.find(')', open);
    std::string inner = s.substr(open, close == std::string::npos ? std::string::npos : close - open);
    int comp[3] = {0, 0, 0};
    size_t start = 0;
    for (int k = 0; k < 3; ++k) {
      size_t comma = inner.find(',', start);
      std::string part = Trim(inner.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      double v;
      std::string unit;
      if (!SplitNumber(part, v, unit))
        v = 0;
      if (!unit.empty() && unit[0] == '%')
        v = SafeRound(v * 255 / 100);
      else
        v = SafeTrunc(v);
      comp[k] = static_cast<int>(std::clamp(v, 0.0, 255.0));
      if (comma == std::string::npos)
        break;
      start = comma + 1;
    }
    Color = RGBColor(comp[0], comp[1], comp[2]) | PalRelative;
    return true;
  }
  if (s[0] != '#' && NeedPound)
    return false;
  std::string hex;
  for (char c : s)
    if (c != '#')
      hex += c;
  if (hex.size() < 4) {
    std::string doubled;
    for (char c : hex)
      doubled += std::string(2, c);
    hex = doubled;
  }
  if (hex.empty() || hex.size() > 8)
    return false;
  uint32_t v = 0;
  for (char c : hex) {
    int d = HexValue(c);
    if (d < 0)
      return false;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  Color = RGBColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) | PalRelative;
  return true;
}

int ColorNameCount() { return static_cast<int>(std::size(ColorNames)); }

// ---- TProperties ----

TProperties::TProperties()
{
  for (int i = FirstBoxProp; i <= LastBoxProp; ++i)
    Props[i] = IntNull;
  Props[ZIndex] = int32_t(0);
}

void TProperties::Assign(const TProperties& Source)
{
  Props = Source.Props;
  Originals = Source.Originals;
  PropTag = Source.PropTag;
  PropClass = Source.PropClass;
  PropID = Source.PropID;
  PropPseudo = Source.PropPseudo;
  PropTitle = Source.PropTitle;
  PropStyle = Source.PropStyle;
  FCharset = Source.FCharset;
  CodePage = Source.CodePage;
  FIArray = Source.FIArray;
  FontsSet = Source.FontsSet;
  FStyles = Source.FStyles;
  FFont.reset();
}

namespace {

constexpr int InheritedProps[] = {FontFamily,     FontSize,       FontStyle,  FontWeight,   TextAlign,
                                  TextDecoration, Color,          Visibility, LineHeight,   ZIndex,
                                  ListStyleType,  ListStyleImage, TextIndent, TextTransform};

// Looked up for every property of every element: a table rather than a search.
constexpr std::array<bool, PropCount> InheritedTable = [] {
  std::array<bool, PropCount> t{};
  for (int p : InheritedProps)
    t[static_cast<size_t>(p)] = true;
  return t;
}();

bool IsInherited(int I) { return I >= 0 && I < PropCount && InheritedTable[static_cast<size_t>(I)]; }

}   // namespace

namespace {

// What an element's context takes of its parent's, by property: 1 the value, 2 IntNull
// (box properties), 0 nothing. A plain array: InheritFrom runs for every element.
struct TPropKinds {
  uint8_t K[PropCount];
};
constexpr TPropKinds PropKinds = [] {
  TPropKinds k{};
  for (int p : InheritedProps)
    k.K[p] = 1;
  for (int p = FirstBoxProp; p <= LastBoxProp; ++p)
    k.K[p] = 2;
  return k;
}();

}   // namespace

void TProperties::InheritFrom(const TProperties& Parent)
{
  // Mostly over a reused context whose values are of the same kinds already: those are
  // copied without the general variant assignment.
  TPropValue* v = Props.data();
  const TPropValue* p = Parent.Props.data();
  for (int i = 0; i < PropCount; ++i, ++v, ++p) {
    const size_t kind = v->index();
    switch (PropKinds.K[i]) {
    case 1:
      if (kind == p->index() && kind == 1)
        *std::get_if<int32_t>(v) = *std::get_if<int32_t>(p);
      else if (kind == p->index() && kind == 3)
        *std::get_if<std::string>(v) = *std::get_if<std::string>(p);
      else if (kind != 0 || p->index() != 0)
        *v = *p;
      break;
    case 2:
      if (kind != 1 || *std::get_if<int32_t>(v) != IntNull)
        *v = IntNull;
      break;
    default:
      if (kind != 0)
        *v = std::monostate{};
      break;
    }
  }
  Originals.reset();
  PropTitle = Parent.PropTitle;
  FCharset = Parent.FCharset;
  CodePage = Parent.CodePage;
  // The link fonts are read only while FontsSet holds, and whatever sets it fills them all.
  if (Parent.FontsSet)
    FIArray = Parent.FIArray;
  FontsSet = Parent.FontsSet;
  FStyles = Parent.FStyles;
  FFont.reset();
}

void TProperties::Merge(const TProperties& Rule)
{
  for (int i = 0; i < PropCount; ++i) {
    if (!Rule.Originals[i] || !IsSet(Rule.Props[i]))
      continue;
    if (const std::string* list = std::get_if<std::string>(&Rule.Props[i]); list && i == FontFamily) {
      // A family list becomes its first installed font; with none installed the element
      // keeps the family it had.
      std::string first = InstalledFamily(*list);
      if (first.empty())
        continue;
      Props[i] = std::move(first);
    } else {
      Props[i] = Rule.Props[i];
    }
    Originals[i] = true;
  }
}

void TProperties::MergeSimpleRules(const TStyleList& Styles, const std::string& T, const std::string& C,
                                   const std::string& I, const std::string& P)
{
  auto merge = [&](const std::string& key) {
    if (const TProperties* rule = Styles.Find(key))
      Merge(*rule);
  };
  // Each step that names the class runs once per word of the CLASS attribute.
  auto eachClass = [&](const auto& F) {
    if (!C.empty())
      ForEachClass(C, F);
  };
  // For a link's visited and hover looks only the rules naming that state apply.
  bool linkState = P == "hover" || P == "visited";
  if (!P.empty() && T == "a")
    merge("::" + P);
  if (!linkState)
    merge(T);
  if (!P.empty())
    merge(":" + P);
  if (!linkState)
    eachClass([&](const std::string& c) {
      merge("." + c);
      merge(T + "." + c);
    });
  if (!P.empty()) {
    merge(T + ":" + P);
    eachClass([&](const std::string& c) {
      merge("." + c + ":" + P);
      merge(T + "." + c + ":" + P);
    });
  }
  if (!I.empty()) {
    merge("#" + I);
    merge(T + "#" + I);
    eachClass([&](const std::string& c) { merge("." + c + "#" + I); });
    if (!P.empty()) {
      merge("#" + I + ":" + P);
      merge(T + "#" + I + ":" + P);
    }
    eachClass([&](const std::string& c) {
      merge(T + "." + c + "#" + I);
      if (!P.empty()) {
        merge("." + c + "#" + I + ":" + P);
        merge(T + "." + c + "#" + I + ":" + P);
      }
    });
  }
}

void TProperties::MergeDescendantRules(const TStyleList& Styles, const std::string& T, const std::string& C,
                                       const std::string& I, const std::string& P, const TPropStack* Stack, int From,
                                       bool PseudoOnly)
{
  if (!T.empty())
    Styles.MergeDescendants(*this, T, Stack, From, PseudoOnly);
  if (!C.empty())
    ForEachClass(C, [&](const std::string& c) { Styles.MergeDescendants(*this, "." + c, Stack, From, PseudoOnly); });
  if (!P.empty())
    Styles.MergeDescendants(*this, ":" + P, Stack, From, PseudoOnly);
  // Rules whose own compound is led by an id ("div #main", "#nav #item.on").
  if (!I.empty())
    Styles.MergeDescendants(*this, "#" + I, Stack, From, PseudoOnly);
}

void TProperties::ApplyRules(TStyleList& Styles, const TPropStack* Stack, const std::string& Tag,
                             const std::string& Class, const std::string& ID, const std::string& PseudoClass,
                             const std::string& Title, const TProperties* InlineStyle)
{
  FStyles = &Styles;
  FFont.reset();
  PropTag = Tag;
  PropClass = Class;
  PropID = ID;
  PropPseudo = PseudoClass;
  MergeSimpleRules(Styles, Tag, Class, ID, PseudoClass);
  MergeDescendantRules(Styles, Tag, Class, ID, PseudoClass, Stack, -1, false);

  if (InlineStyle)
    Merge(*InlineStyle);

  const TProperties* parent = Stack && Stack->Count() > 0 ? &Stack->Last() : nullptr;
  if (const std::string* s = std::get_if<std::string>(&Props[FontSize])) {
    double parentSize = parent ? parent->GetFontSize() : Styles.DefPointSize();
    Props[FontSize] = ConvertFontSize(*s, parentSize, Styles.DefPointSize());
  }
  PropTitle = Title.empty() ? PropTitle : Title;
  if (InlineStyle)
    PropStyle = InlineStyle->PropStyle;
  if (Tag == "a" || FontsSet)
    BuildLinkFonts(parent, Stack, Stack ? Stack->Count() - 1 : -1);
}

void TProperties::Reinherit(const TProperties& NewParent, const TPropStack* Stack, int ParentLevel)
{
  // Recomputed as if it had been opened under NewParent: what the element set itself stays.
  for (int i = 0; i < PropCount; ++i)
    if (!Originals[i] && IsInherited(i))
      Props[i] = NewParent.Props[i];
  FontsSet = NewParent.FontsSet;
  FIArray = NewParent.FIArray;
  FFont.reset();
  if (PropTag == "a" || FontsSet)
    BuildLinkFonts(&NewParent, Stack, ParentLevel);
}

void TProperties::BuildLinkFonts(const TProperties* Parent, const TPropStack* Stack, int Level)
{
  if (PropTag == "a" && FStyles) {
    // A link's state fonts: its own font with the rules of the state over it (the
    // document's ::visited and ::hover looks first, then the sheet's :visited and :hover
    // rules for its tag, class and id, then those of descendant selectors such as
    // "#menu a:hover" that match its ancestors).
    auto state = [&](TProperties& Tmp, const std::string& Pseudo) {
      Tmp.MergeSimpleRules(*FStyles, PropTag, PropClass, PropID, Pseudo);
      if (!Stack)
        return;
      Tmp.PropPseudo = Pseudo;
      Tmp.MergeDescendantRules(*FStyles, PropTag, PropClass, PropID, Pseudo, Stack, Level, true);
    };
    for (int s = lsNormal; s <= lsVisitedHover; ++s) {
      TProperties tmp;
      tmp.Assign(*this);
      if (s == lsVisited || s == lsVisitedHover)
        state(tmp, "visited");
      if (s == lsHover || s == lsVisitedHover)
        state(tmp, "hover");
      tmp.GetFontInfo(FIArray[static_cast<size_t>(s)]);
    }
    FontsSet = true;
    return;
  }
  if (!Parent || !Parent->FontsSet) {
    FontsSet = false;
    return;
  }
  // Inside a link: each state font is the parent's, changed by what this element set itself.
  ThtFontInfo own;
  GetFontInfo(own);
  for (int s = lsNormal; s <= lsVisitedHover; ++s) {
    ThtFontInfo info = Parent->FIArray[static_cast<size_t>(s)];
    if (Originals[FontFamily])
      info.iName = own.iName;
    if (Originals[FontSize])
      info.iSize = own.iSize;
    if (Originals[FontWeight])
      info.iStyle = static_cast<TFontStyles>((info.iStyle & ~fsBold) | (own.iStyle & fsBold));
    if (Originals[FontStyle])
      info.iStyle = static_cast<TFontStyles>((info.iStyle & ~fsItalic) | (own.iStyle & fsItalic));
    if (Originals[TextDecoration])
      info.iStyle = static_cast<TFontStyles>((info.iStyle & ~(fsUnderline | fsStrikeOut))
                                             | (own.iStyle & (fsUnderline | fsStrikeOut)));
    if (Originals[Color])
      info.iColor = own.iColor;
    info.iCharset = own.iCharset;
    FIArray[static_cast<size_t>(s)] = info;
  }
  FontsSet = true;
}

void TProperties::SetProperty(int Index, const TPropValue& Value)
{
  if (Index < 0 || Index >= PropCount || Originals[Index])
    return;
  Props[Index] = Value;
  Originals[Index] = true;
  FFont.reset();
}

void TProperties::SetCharset(int32_t Charset)
{
  FCharset = Charset;
  Cardinal cp;
  if (Charset >= 0 && Charset <= 255 && CharsetToCodePage(static_cast<TFontCharset>(Charset), cp))
    CodePage = static_cast<int32_t>(cp);
  for (ThtFontInfo& info : FIArray)
    info.iCharset = Charset;
  FFont.reset();
}

void TProperties::SetUTF8()
{
  CodePage = 65001;
  FCharset = 0;
  FFont.reset();
}

std::string FirstInstalledFont(const std::string& Families)
{
  size_t start = 0;
  while (start <= Families.size()) {
    size_t comma = Families.find(',', start);
    std::string name = Trim(Families.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (name.size() >= 2 && (name[0] == '"' || name[0] == '\'') && name.back() == name[0])
      name = Trim(name.substr(1, name.size() - 2));
    if (!name.empty() && IsScreenFont(name)) {
      // The installed font's own spelling: sheets write names in any case.
      for (const std::string& f : ScreenFonts())
        if (LowerCase(f) == LowerCase(name))
          return f;
      return name;
    }
    if (comma == std::string::npos)
      break;
    start = comma + 1;
  }
  return std::string();
}

TMyFont* TProperties::GetFont()
{
  if (!FFont) {
    FFont = std::make_unique<TMyFont>();
    std::string name = GetFontFamily();
    if (!name.empty())
      FFont->SetName(name);
    FFont->SetHeight(-std::max(1, SafeRound(GetFontSize() * ScreenPixelsPerInch() / 72)));
    FFont->SetStyle(GetFontStyle());
    FFont->SetColor(GetFontColor());
    FFont->SetCharset(static_cast<TFontCharset>(std::clamp(FCharset, 0, 255)));
    TColor bg;
    FFont->bgColor = GetBackgroundColor(bg) ? bg : NoColor;
  }
  return FFont.get();
}

// ---- queries ----

double TProperties::GetFontSize() const
{
  // The default size of the document whose sheet the properties came from.
  const double def = FStyles ? FStyles->DefPointSize() : DefaultPointSize;
  if (const double* d = std::get_if<double>(&Props[FontSize]))
    return ClampFontSize(*d, def);
  if (const std::string* s = std::get_if<std::string>(&Props[FontSize]))
    return ConvertFontSize(*s, def, def);
  int32_t i;
  if (IntValue(Props[FontSize], i) && i != IntNull)
    return ClampFontSize(i, def);
  return def;
}

std::string TProperties::GetFontFamily() const { return PropString(Props[FontFamily]); }

TFontStyles TProperties::GetFontStyle() const
{
  TFontStyles st = 0;
  const std::string& weight = PropString(Props[FontWeight]);
  double w;
  std::string unit;
  if (Contains(weight, "bold") || (SplitNumber(weight, w, unit) && w >= 600))
    st |= fsBold;
  const std::string& style = PropString(Props[FontStyle]);
  if (Contains(style, "italic") || Contains(style, "oblique"))
    st |= fsItalic;
  const std::string& deco = PropString(Props[TextDecoration]);
  if (Contains(deco, "underline"))
    st |= fsUnderline;
  if (Contains(deco, "line-through"))
    st |= fsStrikeOut;
  return st;
}

TColor TProperties::GetFontColor() const
{
  int32_t c;
  if (IntValue(Props[Color], c) && c != IntNull)
    return c;
  return clBlack;
}

void TProperties::GetFontInfo(ThtFontInfo& Info) const
{
  Info.iName = GetFontFamily();
  Info.iSize = GetFontSize();
  Info.iStyle = GetFontStyle();
  Info.iColor = GetFontColor();
  TColor bg;
  Info.ibgColor = GetBackgroundColor(bg) ? bg : NoColor;
  Info.iCharset = FCharset;
}

JustifyType TProperties::GetTextAlign() const
{
  const std::string& s = PropString(Props[TextAlign]);
  if (s == "left")
    return Left;
  if (s == "center")
    return Centered;
  if (s == "right")
    return Right;
  if (s == "justify")
    return FullJustify;
  return NoJustify;
}

bool TProperties::GetFloat(AlignmentType& Align) const
{
  const std::string& s = PropString(Props[piFloat]);
  if (s == "left")
    Align = ALeft;
  else if (s == "right")
    Align = ARight;
  else if (s == "none")
    Align = ANone;
  else
    return false;
  return true;
}

bool TProperties::GetClear(ClearAttrType& Clear) const
{
  const std::string& s = PropString(Props[piClear]);
  if (s == "left")
    Clear = clrLeft;
  else if (s == "right")
    Clear = clrRight;
  else if (s == "both")
    Clear = clrAll;
  else if (s == "none")
    Clear = clrNone;
  else
    return false;
  return true;
}

PositionType TProperties::GetPosition() const
{
  const std::string& s = PropString(Props[piPosition]);
  if (s == "absolute")
    return posAbsolute;
  if (s == "relative")
    return posRelative;
  return posStatic;
}

bool TProperties::GetVertAlign(AlignmentType& Align) const
{
  const std::string& s = PropString(Props[VerticalAlign]);
  if (s.empty())
    return false;
  if (s == "top" || s == "text-top")
    Align = ATop;
  else if (s == "middle")
    Align = AMiddle;
  else if (s == "baseline")
    Align = ABaseLine;
  else if (s == "bottom")
    Align = ABottom;
  else if (s == "sub")
    Align = ASub;
  else if (s == "super")
    Align = ASuper;
  else
    return false;
  return true;
}

bool TProperties::GetBackgroundColor(TColor& C) const
{
  int32_t c;
  if (IntValue(Props[BackgroundColor], c) && c != IntNull && c != NoColor) {
    C = c;
    return true;
  }
  return false;
}

std::string ExtractUrl(const std::string& Value)
{
  size_t p = Value.find("url(");
  if (p == std::string::npos)
    return std::string();
  size_t close = Value.rfind(')');
  std::string u =
      Trim(Value.substr(p + 4, close == std::string::npos || close < p + 4 ? std::string::npos : close - p - 4));
  if (u.size() >= 2 && (u[0] == '"' || u[0] == '\'') && u.back() == u[0])
    u = u.substr(1, u.size() - 2);
  return u;
}

bool TProperties::GetBackgroundImage(std::string& URL) const
{
  URL = ExtractUrl(PropString(Props[BackgroundImage]));
  return !URL.empty();
}

void TProperties::GetBackgroundPos(int32_t EmSize, int32_t ExHeight, PtPositionRec& P) const
{
  P = PtPositionRec{};
  std::vector<std::string> words = SplitSpaces(PropString(Props[BackgroundPosition]));
  if (words.size() > 2)
    words.resize(2);
  auto isVert = [](const std::string& w) { return w == "top" || w == "bottom"; };
  auto isHorz = [](const std::string& w) { return w == "left" || w == "right"; };
  // "top left" names the axes the other way round.
  if (words.size() == 2 && (isVert(words[0]) || isHorz(words[1])))
    std::swap(words[0], words[1]);
  for (size_t axis = 0; axis < 2; ++axis) {
    PositionRec& r = P[axis];
    if (words.empty()) {
      r.PosType = axis == 0 ? bpLeft : bpTop;
      continue;
    }
    const std::string& w = words[std::min(axis, words.size() - 1)];
    if (w == "center")
      r.PosType = bpCenter;
    else if (w == "left")
      r.PosType = bpLeft;
    else if (w == "right")
      r.PosType = bpRight;
    else if (w == "top")
      r.PosType = bpTop;
    else if (w == "bottom")
      r.PosType = bpBottom;
    else if (!w.empty() && w.back() == '%') {
      r.PosType = bpPercent;
      r.Value = ConvertLength(w.substr(0, w.size() - 1), false, 100, 0, ExHeight, EmSize);
    } else {
      r.PosType = bpDim;
      r.Value = ConvertLength(w, false, 100, 0, ExHeight, EmSize);
    }
  }
  const std::string& rep = PropString(Props[BackgroundRepeat]);
  P[0].RepeatD = !(rep == "no-repeat" || rep == "repeat-y");
  P[1].RepeatD = !(rep == "no-repeat" || rep == "repeat-x");
  bool fixed = PropString(Props[BackgroundAttachment]) == "fixed";
  P[0].Fixed = P[1].Fixed = fixed;
}

bool TProperties::GetPageBreakBefore() const { return PropString(Props[PageBreakBefore]) == "always"; }

bool TProperties::GetPageBreakAfter() const { return PropString(Props[PageBreakAfter]) == "always"; }

bool TProperties::GetPageBreakAvoid() const { return PropString(Props[PageBreakInside]) == "avoid"; }

bool TProperties::IsHidden() const
{
  int32_t v;
  return IntValue(Props[Visibility], v) && v == 1;
}

bool TProperties::DisplayNone() const { return PropString(Props[piDisplay]) == "none"; }

int32_t TProperties::GetTextTransform() const
{
  int32_t v;
  return IntValue(Props[TextTransform], v) && v >= 0 && v <= 2 ? v : 0;
}

ListBulletType TProperties::GetListStyleType() const
{
  static const std::pair<const char*, ListBulletType> words[] = {
      {"circle", lbCircle},          {"decimal", lbDecimal},        {"disc", lbDisc},
      {"lower-alpha", lbLowerAlpha}, {"lower-roman", lbLowerRoman}, {"none", lbNone},
      {"square", lbSquare},          {"upper-alpha", lbUpperAlpha}, {"upper-roman", lbUpperRoman}};
  const std::string& s = PropString(Props[ListStyleType]);
  for (const auto& [w, t] : words)
    if (s == w)
      return t;
  return lbBlank;
}

std::string TProperties::GetListStyleImage() const { return ExtractUrl(PropString(Props[ListStyleImage])); }

int32_t TProperties::GetZIndex() const
{
  int32_t v;
  if (IntValue(Props[ZIndex], v))
    return v;
  double d;
  std::string unit;
  if (SplitNumber(PropString(Props[ZIndex]), d, unit))
    return std::clamp(SafeRound(d), -MaxLength, MaxLength);
  return 0;
}

int32_t TProperties::GetTextIndent(int32_t BaseWidth) const
{
  int32_t em = SafeRound(GetFontSize() * ScreenPixelsPerInch() / 72);
  return ConvertLength(PropString(Props[TextIndent]), false, BaseWidth, 0, em / 2, em);
}

int32_t TProperties::GetLineHeight(int32_t FontHeight) const
{
  const std::string& s = PropString(Props[LineHeight]);
  double v;
  std::string unit;
  if (s.empty() || s == "normal" || !SplitNumber(s, v, unit))
    return FontHeight;
  int32_t em = SafeRound(GetFontSize() * ScreenPixelsPerInch() / 72);
  int32_t r = unit.empty() ? ClampLength(v * em) : ConvertLength(s, false, em, FontHeight, em / 2, em);
  return std::max(r, 0);
}

bool TProperties::HasBorderStyle() const
{
  for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i) {
    const std::string& s = PropString(Props[i]);
    if (!s.empty() && s != "none")
      return true;
  }
  return false;
}

namespace {

// Box values from the properties Get gives by index.
template <class TGet>
void BoxValuesOf(const TGet& Get, int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExHeight,
                 TBoxValues& B)
{
  int32_t bg;
  B.BackgroundColor = IntValue(Get(BackgroundColor), bg) && bg != IntNull && bg != NoColor ? bg : NoColor;
  int32_t bc;
  B.BorderColor = IntValue(Get(BorderColor), bc) && bc != IntNull ? bc : NoColor;
  B.TopAuto = B.BottomAuto = false;

  // Margins: pixels, "auto", or lengths against the width; vertical auto is 14 with a flag.
  for (int k = 0; k < 4; ++k) {
    const TPropValue& v = Get(MarginTop + k);
    int32_t i;
    int32_t r;
    if (IntValue(v, i))
      r = i == IntNull ? 0 : i == Auto ? Auto : std::clamp(i, -MaxLength, MaxLength);
    else if (PropString(v) == "auto")
      r = Auto;
    else
      r = ConvertLength(PropString(v), false, BaseWidth, 0, ExHeight, EmSize);
    bool vertical = k == 0 || k == 2;
    if (vertical && r == Auto) {
      r = 14;
      (k == 0 ? B.TopAuto : B.BottomAuto) = true;
    }
    B.V[static_cast<size_t>(bxMarginTop + k)] = r;
  }
  for (int k = 0; k < 4; ++k) {
    const TPropValue& v = Get(PaddingTop + k);
    int32_t i;
    int32_t r;
    if (IntValue(v, i))
      r = i == IntNull || i == Auto ? 0 : i;
    else
      r = ConvertLength(PropString(v), false, BaseWidth, 0, ExHeight, EmSize);
    B.V[static_cast<size_t>(bxPaddingTop + k)] = std::clamp(r, 0, MaxLength);
  }
  for (int k = 0; k < 4; ++k) {
    const std::string& style = PropString(Get(BorderTopStyle + k));
    int32_t r = 0;
    if (!style.empty() && style != "none") {
      const TPropValue& v = Get(BorderTopWidth + k);
      int32_t i;
      const std::string& s = PropString(v);
      if (IntValue(v, i))
        r = i == IntNull || i == Auto ? 4 : i;
      else if (s == "thin")
        r = 2;
      else if (s == "medium")
        r = 4;
      else if (s == "thick")
        r = 6;
      else
        r = ConvertLength(s, false, BaseWidth, 4, ExHeight, EmSize);
    }
    B.V[static_cast<size_t>(bxBorderTop + k)] = std::clamp(r, 0, MaxLength);
  }
  // Width, height, top, left: Auto when not given; a negative width or height is no width.
  const int props[4] = {piWidth, piHeight, TopPos, LeftPos};
  for (int k = 0; k < 4; ++k) {
    const TPropValue& v = Get(props[k]);
    int32_t base = k == 1 || k == 2 ? BaseHeight : BaseWidth;
    int32_t i;
    int32_t r;
    if (IntValue(v, i))
      r = i == IntNull ? Auto : i;
    else if (PropString(v).empty() || PropString(v) == "auto")
      r = Auto;
    else
      r = ConvertLength(PropString(v), false, base, Auto, ExHeight, EmSize);
    if (k < 2 && r != Auto && r < 0)
      r = Auto;
    B.V[static_cast<size_t>(bxWidth + k)] = r;
  }
}

}   // namespace

void TProperties::GetBoxValues(int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExHeight,
                               TBoxValues& B) const
{
  BoxValuesOf([this](int I) -> const TPropValue& { return Props[static_cast<size_t>(I)]; }, BaseWidth, BaseHeight,
              EmSize, ExHeight, B);
}

TBoxProps::TBoxProps(const TProperties& P)
{
  for (int i = BorderStyle; i <= LastBoxProp; ++i)
    if (Holds(i))
      Set(i, P.Props[static_cast<size_t>(i)]);
  FValues.shrink_to_fit();
}

namespace {

const TPropValue& UnsetBoxValue(int Index)
{
  static const TPropValue intNull = IntNull, empty;
  return Index >= FirstBoxProp && Index <= LastBoxProp ? intNull : empty;
}

}   // namespace

const TPropValue& TBoxProps::Get(int Index) const
{
  for (const auto& [i, v] : FValues)
    if (i == Index)
      return v;
  return UnsetBoxValue(Index);
}

void TBoxProps::Set(int Index, const TPropValue& Value)
{
  auto it = std::find_if(FValues.begin(), FValues.end(), [Index](const auto& E) { return E.first == Index; });
  if (Value == UnsetBoxValue(Index)) {
    if (it != FValues.end())
      FValues.erase(it);
  } else if (it != FValues.end()) {
    it->second = Value;
  } else {
    FValues.emplace_back(Index, Value);
  }
}

void TBoxProps::GetBoxValues(int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExHeight,
                             TBoxValues& B) const
{
  BoxValuesOf([this](int I) -> const TPropValue& { return Get(I); }, BaseWidth, BaseHeight, EmSize, ExHeight, B);
}

// ---- TStyleList ----

struct TStyleList::TRuleCache {
  // A page of many class and id names would grow the cache without end: it starts over.
  static constexpr size_t MaxEntries = 4096;
  struct TDescendant {
    TProperties* Rule;
    std::vector<TCompound> Parts;   // the element's own compound, then its ancestors' nearest first
  };
  std::unordered_map<std::string, TProperties*> Found;
  std::unordered_map<std::string, std::vector<TDescendant>> Descendants;
};

TStyleList::TStyleList() = default;
TStyleList::~TStyleList() = default;

void TStyleList::Clear()
{
  FCache.reset();
  FRules.clear();
  FDefProp = nullptr;
  FRuleNumber = 10;
  LinksActive = false;
}

TProperties* TStyleList::Find(const std::string& Key) const
{
  if (!FCache)
    FCache = std::make_unique<TRuleCache>();
  auto& found = FCache->Found;
  if (const auto c = found.find(Key); c != found.end())
    return c->second;
  auto it = FRules.find(Key);
  TProperties* rule = it == FRules.end() ? nullptr : it->second.get();
  if (found.size() >= TRuleCache::MaxEntries)
    found.clear();
  found.emplace(Key, rule);
  return rule;
}

TProperties& TStyleList::GetOrAdd(const std::string& Key)
{
  auto& slot = FRules[Key];
  if (!slot) {
    FCache.reset();
    slot = std::make_unique<TProperties>();
    slot->FStyles = this;
  }
  return *slot;
}

std::string TStyleList::SelectorKey(const std::string& Selector)
{
  std::vector<std::string> parts = SplitSpaces(Selector);
  if (parts.empty())
    return std::string();
  // One compound of several classes ("p.note.big") is never looked up by its text, as an
  // element's classes are one at a time: it is kept as a descendant key without ancestors,
  // which the descendant scan matches class by class.
  if (parts.size() == 1 && SplitCompound(parts[0]).Class.find(' ') == std::string::npos)
    return parts[0];
  if (parts.size() > MaxSelectorParts)
    return std::string();
  std::string key =
      parts.back() + " " + ZeroPad(parts.size() - 1, KeyCountDigits) + ZeroPad(FRuleNumber++, KeyNumberDigits);
  for (size_t i = parts.size() - 1; i-- > 0;)
    key += parts[i] + " ";
  return key;
}

void TStyleList::MergeDescendants(TProperties& P, const std::string& Prefix, const TPropStack* Stack, int From,
                                  bool PseudoOnly) const
{
  if (!FCache)
    FCache = std::make_unique<TRuleCache>();
  auto& cached = FCache->Descendants;
  auto found = cached.find(Prefix);
  if (found == cached.end()) {
    // The descendant rules whose key starts with Prefix, their compounds split once.
    std::vector<TRuleCache::TDescendant> rules;
    for (auto it = FRules.lower_bound(Prefix); it != FRules.end() && it->first.compare(0, Prefix.size(), Prefix) == 0;
         ++it) {
      const std::string& key = it->first;
      if (key.find(' ') == std::string::npos)
        continue;   // a rule of one compound
      std::vector<std::string> parts = SplitSpaces(key);
      if (parts.size() < 2 || parts[1].size() < KeyCountDigits + KeyNumberDigits)
        continue;
      parts[1].erase(0, KeyCountDigits + KeyNumberDigits);
      TRuleCache::TDescendant d{it->second.get(), {}};
      for (const std::string& part : parts)
        if (!part.empty())   // a key without ancestors leaves nothing after its numbers
          d.Parts.push_back(SplitCompound(part));
      rules.push_back(std::move(d));
    }
    if (cached.size() >= TRuleCache::MaxEntries)
      cached.clear();
    found = cached.emplace(Prefix, std::move(rules)).first;
  }
  const int top = Stack ? (From < 0 ? Stack->Count() - 1 : std::min(From, Stack->Count() - 1)) : -1;
  for (const TRuleCache::TDescendant& d : found->second) {
    if (PseudoOnly && d.Parts[0].Pseudo.empty())
      continue;
    if (!CompoundMatches(d.Parts[0], P))
      continue;
    // Each ancestor part must match a context further down the stack than the last one.
    int level = top;
    bool ok = true;
    for (size_t k = 1; k < d.Parts.size() && ok; ++k) {
      while (level >= 0 && !CompoundMatches(d.Parts[k], (*Stack)[level]))
        --level;
      ok = level >= 0;
      --level;
    }
    if (ok)
      P.Merge(*d.Rule);
  }
}

void TStyleList::ModifyLinkColor(const std::string& Pseudo, TColor AColor)
{
  TProperties& r = GetOrAdd("::" + Pseudo);
  r.Props[Color] = int32_t(AColor);
  r.Originals[Color] = true;
  if (Pseudo == "hover")
    LinksActive = true;
}

void TStyleList::SetRuleProperty(const std::string& Selector, const std::string& PropertyName, const std::string& Value)
{
  int I = PropIndex(PropertyName);
  if (I < 0 || Selector.empty())
    return;
  TProperties& rule = GetOrAdd(Selector);
  bool stored = SetPropertyText(rule, I, Value, false);
  if (stored && I == Color) {
    const TPropValue c = rule.Props[Color];
    if (Selector == ":link") {
      for (const char* k : {"::hover", "::visited"}) {
        TProperties& r = GetOrAdd(k);
        r.Props[Color] = c;
        r.Originals[Color] = true;
      }
    } else if (Selector == ":visited") {
      TProperties& r = GetOrAdd("::hover");
      r.Props[Color] = c;
      r.Originals[Color] = true;
    }
  }
  if (Selector.find(":hover") != std::string::npos)
    LinksActive = true;
  if (Selector == "a")
    SetRuleProperty("::link", PropertyName, Value);
}

void TStyleList::BuildDefaults(const std::string& FontName, const std::string& PreFontName, int32_t MarginWidth,
                               int32_t MarginHeight, int32_t Charset, bool UnderlineLinks, TColor HoverColor,
                               TColor VisitedColor, TColor LinkColor, TColor FontColor, double AFontSize)
{
  Clear();
  FDefPointSize = ClampFontSize(AFontSize, DefaultPointSize);
  auto set = [this](const std::string& sel, int idx, TPropValue v) {
    TProperties& r = GetOrAdd(sel);
    r.Props[idx] = std::move(v);
    r.Originals[idx] = true;
  };
  auto str = [](const char* s) { return TPropValue(std::string(s)); };
  auto px = [](int32_t v) { return TPropValue(v); };

  set("default", FontFamily, FontName);
  set("default", FontSize, FDefPointSize);
  set("default", FontStyle, str("none"));
  set("default", FontWeight, str("normal"));
  set("default", TextAlign, str("left"));
  set("default", TextDecoration, str("none"));
  set("default", TextTransform, px(0));
  set("default", Color, px(FontColor));
  set("default", MarginTop, px(MarginHeight));
  set("default", MarginBottom, px(MarginHeight));
  set("default", MarginLeft, px(MarginWidth));
  set("default", MarginRight, px(MarginWidth));
  set("default", Visibility, px(2));
  FDefProp = Find("default");
  FDefProp->SetCharset(Charset);

  set("::link", Color, px(LinkColor));
  set("::link", TextDecoration, str(UnderlineLinks ? "underline" : "none"));
  set("::visited", Color, px(VisitedColor));
  set("::hover", Color, px(HoverColor));
  GetOrAdd("null");

  set("pre", FontFamily, PreFontName);
  set("pre", FontSize, FDefPointSize * 10 / 12);
  set("pre", FontStyle, str("none"));
  set("pre", FontWeight, str("normal"));
  set("pre", TextDecoration, str("none"));

  set("p", MarginTop, px(Auto));
  set("p", MarginBottom, px(Auto));
  // A P inside PRE: rule number 1, below every rule a sheet can add.
  std::string pInPre = "p " + ZeroPad(1, KeyCountDigits) + ZeroPad(1, KeyNumberDigits) + "pre ";
  set(pInPre, MarginTop, px(0));

  for (const char* s : {"ul", "ol", "menu", "dir"}) {
    set(s, MarginLeft, px(35));
    set(s, ListStyleType, str("blank"));
    set(s, MarginTop, px(Auto));
    set(s, MarginBottom, px(Auto));
  }
  set("dl", MarginLeft, px(0));
  set("dl", ListStyleType, str("none"));
  set("dl", MarginTop, px(0));
  set("dl", MarginBottom, px(0));
  set("dd", MarginLeft, px(40));
  set("dd", MarginTop, px(0));
  set("dd", MarginBottom, px(0));
  set("blockquote", MarginLeft, px(35));
  set("blockquote", MarginTop, px(Auto));
  set("blockquote", MarginBottom, px(14));
  for (const char* s : {"code", "tt", "kbd", "samp"}) {
    set(s, FontFamily, PreFontName);
    set(s, FontSize, str("0.833em"));
  }
  for (const char* s : {"b", "strong", "th"})
    set(s, FontWeight, str("bold"));
  set("sup", FontSize, str("75%"));
  set("sup", VerticalAlign, str("super"));
  set("sub", FontSize, str("75%"));
  set("sub", VerticalAlign, str("sub"));
  set("big", FontSize, str("1.25em"));
  set("small", FontSize, str("0.75em"));
  set("table", TextAlign, str("none"));
  for (const char* s : {"i", "em", "cite", "var", "address"})
    set(s, FontStyle, str("italic"));
  set("u", TextDecoration, str("underline"));
  for (const char* s : {"s", "strike"})
    set(s, TextDecoration, str("line-through"));
  for (const char* s : {"center", "caption"})
    set(s, TextAlign, str("center"));
  for (const char* s : {"input", "select", "textarea"}) {
    set(s, FontFamily, std::string(s) == "textarea" ? PreFontName : std::string("MS sans serif, sans-serif"));
    set(s, FontSize, str("10pt"));
    set(s, FontStyle, str("none"));
    set(s, FontWeight, str("normal"));
    set(s, TextAlign, str("left"));
    set(s, TextDecoration, str("none"));
    set(s, Color, px(FontColor));
  }
  set("hr", MarginLeft, px(0));
  set("hr", MarginRight, px(0));
  set("hr", MarginTop, px(10));
  set("hr", MarginBottom, px(10));
  const int headingSizes[6] = {24, 18, 14, 12, 10, 8};
  for (int h = 0; h < 6; ++h) {
    std::string sel = "h" + std::to_string(h + 1);
    set(sel, FontSize, FDefPointSize / 12 * headingSizes[h]);
    set(sel, MarginTop, px(19));
    set(sel, MarginBottom, px(19));
    set(sel, FontWeight, str("bold"));
  }
}
