// The viewer's style model: the 49 properties of an element or a style rule (TProperties),
// the document's style sheet (TStyleList), the cascade from parent and sheet, and the
// conversions of font sizes, lengths and colours.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/Graphics.h"
#include "platform/Types.h"

// Property indices; PropWords gives each its CSS name.
enum PropIndices : int {
  FontFamily,
  FontSize,
  FontStyle,
  FontWeight,
  TextAlign,
  TextDecoration,
  BorderStyle,
  Color,
  BackgroundColor,
  BorderColor,
  MarginTop,
  MarginRight,
  MarginBottom,
  MarginLeft,
  PaddingTop,
  PaddingRight,
  PaddingBottom,
  PaddingLeft,
  BorderTopWidth,
  BorderRightWidth,
  BorderBottomWidth,
  BorderLeftWidth,
  BorderTopStyle,
  BorderRightStyle,
  BorderBottomStyle,
  BorderLeftStyle,
  piWidth,
  piHeight,
  TopPos,
  LeftPos,
  Visibility,
  LineHeight,
  BackgroundImage,
  BackgroundPosition,
  BackgroundRepeat,
  BackgroundAttachment,
  VerticalAlign,
  piPosition,
  ZIndex,
  ListStyleType,
  ListStyleImage,
  piFloat,
  piClear,
  TextIndent,
  PageBreakBefore,
  PageBreakAfter,
  PageBreakInside,
  TextTransform,
  piDisplay
};
constexpr int MaxStyleIndex = piDisplay;
constexpr int PropCount = MaxStyleIndex + 1;
extern const char* const PropWords[PropCount];
// Index of a CSS property name, -1 when it is none of ours.
int PropIndex(const std::string& Name);

// Box properties (margins, paddings, border widths and styles, width, height, top, left)
// start as IntNull on every element; they are never inherited.
constexpr int FirstBoxProp = MarginTop;
constexpr int LastBoxProp = LeftPos;
constexpr int32_t IntNull = -12345678;
constexpr int32_t Auto = -12348766;
constexpr TColor NoColor = clNone;
// Colours from style text carry the palette-relative flag.
constexpr TColor PalRelative = 0x02000000;

// Caps on converted sizes: a page that asks for a 10^9-pixel margin or a zero-point font
// gets the nearest sane value instead of overflowing the layout arithmetic.
constexpr double MinFontSize = 1.0;
constexpr double MaxFontSize = 1000.0;
// A document's default font size until its defaults are built, and for properties of no
// document.
constexpr double DefaultPointSize = 12.0;
constexpr int32_t MaxLength = 100000;

// Empty, an integer (colours, pixels, enumerations), a number (points) or text as written.
using TPropValue = std::variant<std::monostate, int32_t, double, std::string>;

bool IsEmpty(const TPropValue& V);
// The value as text ("" unless it holds a string).
const std::string& PropString(const TPropValue& V);

// Alignment codes shared with images, panels and form controls.
enum AlignmentType : int {
  ANone = 0,
  ATop = 1,
  AMiddle = 2,
  ABaseLine = 3,
  ABottom = 4,
  ALeft = 5,
  ARight = 6,
  AJustify = 7,
  ASub = 8,
  ASuper = 9
};
enum JustifyType : int { NoJustify, Left, Centered, Right, FullJustify };
enum ClearAttrType : int { clrNone, clrLeft, clrRight, clrAll };
enum PositionType : int { posStatic, posAbsolute, posRelative };
// Marker styles of list items; lbBlank means "the list element's default".
enum ListBulletType : int {
  lbBlank,
  lbCircle,
  lbDecimal,
  lbDisc,
  lbLowerAlpha,
  lbLowerRoman,
  lbNone,
  lbSquare,
  lbUpperAlpha,
  lbUpperRoman
};

// Background position of one axis.
enum PositionRecType : int { bpTop, bpCenter, bpBottom, bpLeft, bpRight, bpPercent, bpDim };
struct PositionRec {
  PositionRecType PosType = bpDim;
  int32_t Value = 0;
  bool RepeatD = true;   // tiles along this axis
  bool Fixed = false;
};
using PtPositionRec = std::array<PositionRec, 2>;   // [0] horizontal, [1] vertical

// Box values in pixels, as layout uses them.
enum BoxIndex : int {
  bxMarginTop,
  bxMarginRight,
  bxMarginBottom,
  bxMarginLeft,
  bxPaddingTop,
  bxPaddingRight,
  bxPaddingBottom,
  bxPaddingLeft,
  bxBorderTop,
  bxBorderRight,
  bxBorderBottom,
  bxBorderLeft,
  bxWidth,
  bxHeight,
  bxTop,
  bxLeft
};
struct TBoxValues {
  TColor BackgroundColor = NoColor;
  TColor BorderColor = NoColor;
  // Horizontal margins, width, height, top and left may hold Auto; vertical auto margins are
  // 14 with their flag set.
  std::array<int32_t, 16> V{};
  bool TopAuto = false;
  bool BottomAuto = false;
};

// One link-state font: name, size in points, styles, colours and charset.
struct ThtFontInfo {
  std::string iName;
  double iSize = 12.0;
  TFontStyles iStyle = 0;
  TColor iColor = clBlack;
  TColor ibgColor = NoColor;
  int iCharset = 1;
  friend bool operator==(const ThtFontInfo&, const ThtFontInfo&) = default;
};
// Normal, visited, hover, visited-and-hover.
enum LinkState : int { lsNormal, lsVisited, lsHover, lsVisitedHover };
using TFontInfoArray = std::array<ThtFontInfo, 4>;

// Font size in points from style text; words use the document's default size, DefaultSize.
double ConvertFontSize(const std::string& Text, double ParentSize, double DefaultSize);
// Length in whole pixels, clamped to +-MaxLength.
int32_t ConvertLength(const std::string& Text, bool Relative, int32_t Base, int32_t Default, int32_t ExHeight,
                      int32_t EmSize);
// A colour name, "rgb(r, g, b)" or hex "#rrggbb"/"#rgb" (the "#" optional unless NeedPound).
bool ParseColor(const std::string& Text, bool NeedPound, TColor& Color);
class TProperties;
// Sets property Index of P from style text as a style sheet does (border-style fans out to
// the sides, colours parse, visibility and text-transform become numbers) and marks it
// explicit. InlineColor: a "color" that does not parse gives black, as a STYLE attribute
// wants. Returns whether a value was stored.
bool SetPropertyText(TProperties& P, int Index, const std::string& Value, bool InlineColor);
// The text inside "url(...)", quotes removed; empty when there is none.
std::string ExtractUrl(const std::string& Value);
// Number of names in the colour table (for tests).
int ColorNameCount();

class TStyleList;
class TPropStack;

// A font made from computed properties: the platform font and the background colour of
// the text it draws.
class TMyFont : public TFont {
public:
  TColor bgColor = NoColor;
  void Assign(const TMyFont& Source)
  {
    TFont::Assign(Source);
    bgColor = Source.bgColor;
  }
};

// The first installed font of a comma-separated family list (quotes and spaces dropped),
// or empty when none is installed.
std::string FirstInstalledFont(const std::string& Families);

class TProperties {
public:
  TProperties();
  TProperties(const TProperties&) = delete;
  TProperties& operator=(const TProperties&) = delete;

  std::array<TPropValue, PropCount> Props;
  std::bitset<PropCount> Originals;   // explicitly set by a rule, STYLE or attribute

  std::string PropTag, PropClass, PropID, PropPseudo, PropTitle, PropStyle;
  int32_t FCharset = 1;   // font charset
  int32_t CodePage = 0;   // code page of the element's 8-bit text

  // Link-state fonts, filled inside links.
  TFontInfoArray FIArray{};
  bool FontsSet = false;

  // Copy of everything (the root context is a copy of the "default" rule).
  void Assign(const TProperties& Source);
  // The inheritable properties, title, charset, code page and link fonts of Parent; box
  // properties not set; the rest empty.
  void InheritFrom(const TProperties& Parent);
  // Merges the matching rules of Styles, then the descendant rules against Stack (the
  // ancestors, parent on top), then InlineStyle; resolves the font size.
  void ApplyRules(TStyleList& Styles, const TPropStack* Stack, const std::string& Tag, const std::string& Class,
                  const std::string& ID, const std::string& PseudoClass, const std::string& Title,
                  const TProperties* InlineStyle);
  // After a pop below this context: everything not explicitly set comes from the new parent.
  // Stack (when given) holds the ancestors up to NewParent at ParentLevel, for the
  // descendant rules of a link's states.
  void Reinherit(const TProperties& NewParent, const TPropStack* Stack = nullptr, int ParentLevel = -1);
  // A presentational attribute: ignored when a rule or STYLE already set the property.
  void SetProperty(int Index, const TPropValue& Value);
  // Copies every property Rule sets (box properties only when set) and marks them explicit.
  void Merge(const TProperties& Rule);
  // Sets the charset and the code page that goes with it (unknown charsets keep the page).
  void SetCharset(int32_t Charset);
  void SetUTF8();

  // Queries for layout.
  double GetFontSize() const;   // points
  std::string GetFontFamily() const;
  TFontStyles GetFontStyle() const;   // from weight, style and decoration
  TColor GetFontColor() const;
  void GetFontInfo(ThtFontInfo& Info) const;
  // The element's font, made once and kept until the properties change.
  TMyFont* GetFont();
  JustifyType GetTextAlign() const;
  bool GetFloat(AlignmentType& Align) const;
  bool GetClear(ClearAttrType& Clear) const;
  PositionType GetPosition() const;
  bool GetVertAlign(AlignmentType& Align) const;
  bool GetBackgroundColor(TColor& C) const;
  bool GetBackgroundImage(std::string& URL) const;
  void GetBackgroundPos(int32_t EmSize, int32_t ExHeight, PtPositionRec& P) const;
  bool GetPageBreakBefore() const;
  bool GetPageBreakAfter() const;
  bool GetPageBreakAvoid() const;
  bool IsHidden() const;
  bool DisplayNone() const;
  int32_t GetTextTransform() const;   // 0 none, 1 upper case, 2 lower case
  ListBulletType GetListStyleType() const;
  std::string GetListStyleImage() const;
  int32_t GetZIndex() const;
  int32_t GetTextIndent(int32_t BaseWidth) const;
  // Line height in pixels for a font of the given height ("normal": that height).
  int32_t GetLineHeight(int32_t FontHeight) const;
  bool HasBorderStyle() const;
  // Box values for a block laid out in BaseWidth (percentages of width and margins) and
  // BaseHeight (percentage heights); em and ex in pixels.
  void GetBoxValues(int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExHeight, TBoxValues& B) const;

private:
  friend class TStyleList;
  // Stack and Level: the ancestors, the parent at Level (the state rules of descendant
  // selectors are matched against them).
  void BuildLinkFonts(const TProperties* Parent, const TPropStack* Stack, int Level);
  // Merges the sheet's rules for one element's tag, class, id and pseudo-class (no
  // descendant rules), in the order in which later ones win.
  void MergeSimpleRules(const TStyleList& Styles, const std::string& T, const std::string& C, const std::string& I,
                        const std::string& P);
  // Merges the descendant rules whose own compound is led by the element's tag T, one of its
  // classes C, its id I or its pseudo-class P, matched against Stack from From down (see
  // TStyleList::MergeDescendants).
  void MergeDescendantRules(const TStyleList& Styles, const std::string& T, const std::string& C, const std::string& I,
                            const std::string& P, const TPropStack* Stack, int From, bool PseudoOnly);
  TStyleList* FStyles = nullptr;   // the sheet the rules came from (for link fonts)
  std::unique_ptr<TMyFont> FFont;
};

// The box of a block as its element's properties give it: margins, paddings, border
// widths and styles, width, height, top and left, with the background colour, border colour
// and border style. A block keeps them for every layout; only the values other than unset
// ones are stored, as a whole property set per paragraph would outweigh the paragraph.
class TBoxProps {
public:
  TBoxProps() = default;
  // The box values of P.
  explicit TBoxProps(const TProperties& P);
  static bool Holds(int Index) { return Index >= BorderStyle && Index <= LastBoxProp && Index != Color; }
  // A value as the element's properties held it (IntNull or empty for an unset one).
  const TPropValue& Get(int Index) const;
  void Set(int Index, const TPropValue& Value);
  // As TProperties::GetBoxValues.
  void GetBoxValues(int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExHeight, TBoxValues& B) const;

private:
  std::vector<std::pair<int32_t, TPropValue>> FValues;   // by index
};

// The document's style sheet: selector -> rule, sorted by selector.
class TStyleList {
public:
  TStyleList();
  ~TStyleList();

  void Clear();
  void BuildDefaults(const std::string& FontName, const std::string& PreFontName, int32_t MarginWidth,
                     int32_t MarginHeight, int32_t Charset, bool UnderlineLinks, TColor HoverColor, TColor VisitedColor,
                     TColor LinkColor, TColor FontColor, double AFontSize);
  void SetRuleProperty(const std::string& Selector, const std::string& PropertyName, const std::string& Value);
  // BODY LINK, VLINK and OLINK: Pseudo is "link", "visited" or "hover".
  void ModifyLinkColor(const std::string& Pseudo, TColor AColor);
  // The stored key of a lower-cased selector: itself for one compound; for a descendant
  // selector a key led by its own compound, then the part count and a rule number (both
  // fixed-width, so keys sort by number), then the ancestors nearest first. Empty when the
  // selector has too many parts to be kept.
  std::string SelectorKey(const std::string& Selector);

  TProperties* Find(const std::string& Key) const;
  TProperties* GetDefProp() const { return FDefProp; }
  double DefPointSize() const { return FDefPointSize; }
  int Count() const { return static_cast<int>(FRules.size()); }
  const std::map<std::string, std::unique_ptr<TProperties>>& Rules() const { return FRules; }

  // Set by a ":hover" selector or OLINK: the document tracks the hovered link.
  bool LinksActive = false;

  // Merges the descendant rules whose key starts with Prefix and that match, the ancestors
  // searched from Stack's entry From (-1: its top) downwards. PseudoOnly: only the rules whose
  // own compound names P's pseudo-class (a link state's look).
  void MergeDescendants(TProperties& P, const std::string& Prefix, const TPropStack* Stack, int From = -1,
                        bool PseudoOnly = false) const;

private:
  TProperties& GetOrAdd(const std::string& Key);
  std::map<std::string, std::unique_ptr<TProperties>> FRules;
  // What every element looks up (its tag's rule, the descendant rules under its tag),
  // kept until the sheet gains a rule or is cleared.
  struct TRuleCache;
  mutable std::unique_ptr<TRuleCache> FCache;
  TProperties* FDefProp = nullptr;
  double FDefPointSize = DefaultPointSize;
  uint32_t FRuleNumber = 10;
};

// The parser's stack of style contexts; the top is the element being read.
class TPropStack {
public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TProperties& operator[](int I) const { return *FItems[static_cast<size_t>(I)]; }
  TProperties& Last() const { return *FItems.back(); }
  void Push(std::unique_ptr<TProperties> P) { FItems.push_back(std::move(P)); }
  void Pop()
  {
    Keep(std::move(FItems.back()));
    FItems.pop_back();
  }
  void Delete(int I)
  {
    Keep(std::move(FItems[static_cast<size_t>(I)]));
    FItems.erase(FItems.begin() + I);
  }
  void Clear()
  {
    FItems.clear();
    FSpare.clear();
  }
  // A context to fill for the next push: one popped earlier, or a new one. Every element
  // pushes one, and a page of many elements would otherwise make and free one per element.
  std::unique_ptr<TProperties> Take()
  {
    if (FSpare.empty())
      return std::make_unique<TProperties>();
    std::unique_ptr<TProperties> p = std::move(FSpare.back());
    FSpare.pop_back();
    return p;
  }

private:
  void Keep(std::unique_ptr<TProperties> P)
  {
    if (P && FSpare.size() < 64)
      FSpare.push_back(std::move(P));
  }
  std::vector<std::unique_ptr<TProperties>> FItems;
  std::vector<std::unique_ptr<TProperties>> FSpare;
};
