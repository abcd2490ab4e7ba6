#include "html/HtmlReader.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "html/StyleParser.h"
#include "html/StyleModel.h"
#include "platform/CodePages.h"

// ---- tables ----

namespace {

// A table's entries by name (the first of equal names), for the lookup of every tag and
// attribute read.
template <class T, size_t N>
std::unordered_map<std::string_view, const T*> IndexByName(const T (&Table)[N])
{
  std::unordered_map<std::string_view, const T*> m;
  for (const T& r : Table)
    m.emplace(r.Name, &r);
  return m;
}

}   // namespace

const TTagRec TagTable[TagCount] = {
    {"HTML", HtmlSy, HtmlEndSy},
    {"TITLE", TitleSy, TitleEndSy},
    {"BODY", BodySy, BodyEndSy},
    {"HEAD", HeadSy, HeadEndSy},
    {"B", BSy, BEndSy},
    {"I", ISy, IEndSy},
    {"H", HeadingSy, HeadingEndSy},
    {"EM", EmSy, EmEndSy},
    {"STRONG", StrongSy, StrongEndSy},
    {"U", USy, UEndSy},
    {"CITE", CiteSy, CiteEndSy},
    {"VAR", VarSy, VarEndSy},
    {"TT", TTSy, TTEndSy},
    {"CODE", CodeSy, CodeEndSy},
    {"KBD", KbdSy, KbdEndSy},
    {"SAMP", SampSy, SampEndSy},
    {"OL", OLSy, OLEndSy},
    {"UL", ULSy, ULEndSy},
    {"DIR", DirSy, DirEndSy},
    {"MENU", MenuSy, MenuEndSy},
    {"DL", DLSy, DLEndSy},
    {"A", ASy, AEndSy},
    {"ADDRESS", AddressSy, AddressEndSy},
    {"BLOCKQUOTE", BlockQuoteSy, BlockQuoteEndSy},
    {"PRE", PreSy, PreEndSy},
    {"CENTER", CenterSy, CenterEndSy},
    {"TABLE", TableSy, TableEndSy},
    {"TD", TDSy, TDEndSy},
    {"TH", THSy, THEndSy},
    {"CAPTION", CaptionSy, CaptionEndSy},
    {"FORM", FormSy, FormEndSy},
    {"TEXTAREA", TextAreaSy, TextAreaEndSy},
    {"SELECT", SelectSy, SelectEndSy},
    {"OPTION", OptionSy, OptionEndSy},
    {"FONT", FontSy, FontEndSy},
    {"SUB", SubSy, SubEndSy},
    {"SUP", SupSy, SupEndSy},
    {"BIG", BigSy, BigEndSy},
    {"SMALL", SmallSy, SmallEndSy},
    {"P", PSy, PEndSy},
    {"MAP", MapSy, MapEndSy},
    {"FRAMESET", FrameSetSy, FrameSetEndSy},
    {"NOFRAMES", NoFramesSy, NoFramesEndSy},
    {"SCRIPT", ScriptSy, ScriptEndSy},
    {"DIV", DivSy, DivEndSy},
    {"S", SSy, SEndSy},
    {"STRIKE", StrikeSy, StrikeEndSy},
    {"TR", TRSy, TREndSy},
    {"NOBR", NoBrSy, NoBrEndSy},
    {"STYLE", StyleSy, StyleEndSy},
    {"SPAN", SpanSy, SpanEndSy},
    {"COLGROUP", ColGroupSy, ColGroupEndSy},
    {"LI", LISy, OtherSy},
    {"BR", BRSy, OtherSy},
    {"HR", HRSy, OtherSy},
    {"DD", DDSy, OtherSy},
    {"DT", DTSy, OtherSy},
    {"IMG", ImageSy, OtherSy},
    {"BASE", BaseSy, OtherSy},
    {"BUTTON", ButtonSy, OtherSy},
    {"INPUT", InputSy, OtherSy},
    {"SELECTED", SelectedSy, OtherSy},
    {"BASEFONT", BaseFontSy, OtherSy},
    {"AREA", AreaSy, OtherSy},
    {"FRAME", FrameSy, OtherSy},
    {"PAGE", PageSy, OtherSy},
    {"BGSOUND", BgSoundSy, OtherSy},
    {"WRAP", WrapSy, OtherSy},
    {"META", MetaSy, OtherSy},
    {"PANEL", PanelSy, OtherSy},
    {"WBR", WbrSy, OtherSy},
    {"LINK", LinkSy, OtherSy},
    {"COL", ColSy, OtherSy},
};

const TAttrRec AttribTable[AttribCount] = {
    {"HREF", HrefSy},
    {"NAME", NameSy},
    {"SRC", SrcSy},
    {"ALT", AltSy},
    {"ALIGN", AlignSy},
    {"TEXT", TextAttrSy},
    {"BGCOLOR", BGColorSy},
    {"LINK", LinkSy},
    {"BACKGROUND", BackgroundSy},
    {"COLSPAN", ColSpanSy},
    {"ROWSPAN", RowSpanSy},
    {"BORDER", BorderSy},
    {"CELLPADDING", CellPaddingSy},
    {"CELLSPACING", CellSpacingSy},
    {"VALIGN", VAlignSy},
    {"WIDTH", WidthSy},
    {"START", StartSy},
    {"VALUE", ValueSy},
    {"TYPE", TypeSy},
    {"CHECKBOX", CheckBoxSy},
    {"RADIO", RadioSy},
    {"METHOD", MethodSy},
    {"ACTION", ActionSy},
    {"CHECKED", CheckedSy},
    {"SIZE", SizeSy},
    {"MAXLENGTH", MaxLengthSy},
    {"COLS", ColsSy},
    {"ROWS", RowsSy},
    {"MULTIPLE", MultipleSy},
    {"VALUE", ValueSy},
    {"SELECTED", SelectedSy},
    {"FACE", FaceSy},
    {"COLOR", ColorSy},
    {"TRANSP", TranspSy},
    {"CLEAR", ClearSy},
    {"ISMAP", IsMapSy},
    {"BORDERCOLOR", BorderColorSy},
    {"USEMAP", UseMapSy},
    {"SHAPE", ShapeSy},
    {"COORDS", CoordsSy},
    {"NOHREF", NoHrefSy},
    {"HEIGHT", HeightSy},
    {"PLAIN", PlainSy},
    {"TARGET", TargetSy},
    {"NORESIZE", NoResizeSy},
    {"SCROLLING", ScrollingSy},
    {"HSPACE", HSpaceSy},
    {"LANGUAGE", LanguageSy},
    {"FRAMEBORDER", FrameBorderSy},
    {"MARGINWIDTH", MarginWidthSy},
    {"MARGINHEIGHT", MarginHeightSy},
    {"LOOP", LoopSy},
    {"ONCLICK", OnClickSy},
    {"WRAP", WrapSy},
    {"NOSHADE", NoShadeSy},
    {"HTTP-EQUIV", HttpEqSy},
    {"CONTENT", ContentSy},
    {"ENCTYPE", EncTypeSy},
    {"VLINK", VLinkSy},
    {"OLINK", OLinkSy},
    {"ACTIVE", ActiveSy},
    {"VSPACE", VSpaceSy},
    {"CLASS", ClassSy},
    {"ID", IDSy},
    {"STYLE", StyleSy},
    {"REL", RelSy},
    {"REV", RevSy},
    {"NOWRAP", NoWrapSy},
    {"BORDERCOLORLIGHT", BorderColorLightSy},
    {"BORDERCOLORDARK", BorderColorDarkSy},
    {"CHARSET", CharSetSy},
    {"RATIO", RatioSy},
    {"TITLE", TitleSy},
    {"ONFOCUS", OnFocusSy},
    {"ONBLUR", OnBlurSy},
    {"ONCHANGE", OnChangeSy},
    {"SPAN", SpanSy},
    {"TABINDEX", TabIndexSy},
    {"BGPROPERTIES", BGPropertiesSy},
};

const TEntity EntityTable[EntityCount] = {
    // Latin-1
    {"nbsp", 160},
    {"iexcl", 161},
    {"cent", 162},
    {"pound", 163},
    {"curren", 164},
    {"yen", 165},
    {"brvbar", 166},
    {"sect", 167},
    {"uml", 168},
    {"copy", 169},
    {"ordf", 170},
    {"laquo", 171},
    {"not", 172},
    {"shy", 173},
    {"reg", 174},
    {"macr", 175},
    {"deg", 176},
    {"plusmn", 177},
    {"sup2", 178},
    {"sup3", 179},
    {"acute", 180},
    {"micro", 181},
    {"para", 182},
    {"middot", 183},
    {"cedil", 184},
    {"sup1", 185},
    {"ordm", 186},
    {"raquo", 187},
    {"frac14", 188},
    {"frac12", 189},
    {"frac34", 190},
    {"iquest", 191},
    {"Agrave", 192},
    {"Aacute", 193},
    {"Acirc", 194},
    {"Atilde", 195},
    {"Auml", 196},
    {"Aring", 197},
    {"AElig", 198},
    {"Ccedil", 199},
    {"Egrave", 200},
    {"Eacute", 201},
    {"Ecirc", 202},
    {"Euml", 203},
    {"Igrave", 204},
    {"Iacute", 205},
    {"Icirc", 206},
    {"Iuml", 207},
    {"ETH", 208},
    {"Ntilde", 209},
    {"Ograve", 210},
    {"Oacute", 211},
    {"Ocirc", 212},
    {"Otilde", 213},
    {"Ouml", 214},
    {"times", 215},
    {"Oslash", 216},
    {"Ugrave", 217},
    {"Uacute", 218},
    {"Ucirc", 219},
    {"Uuml", 220},
    {"Yacute", 221},
    {"THORN", 222},
    {"szlig", 223},
    {"agrave", 224},
    {"aacute", 225},
    {"acirc", 226},
    {"atilde", 227},
    {"auml", 228},
    {"aring", 229},
    {"aelig", 230},
    {"ccedil", 231},
    {"egrave", 232},
    {"eacute", 233},
    {"ecirc", 234},
    {"euml", 235},
    {"igrave", 236},
    {"iacute", 237},
    {"icirc", 238},
    {"iuml", 239},
    {"eth", 240},
    {"ntilde", 241},
    {"ograve", 242},
    {"oacute", 243},
    {"ocirc", 244},
    {"otilde", 245},
    {"ouml", 246},
    {"divide", 247},
    {"oslash", 248},
    {"ugrave", 249},
    {"uacute", 250},
    {"ucirc", 251},
    {"uuml", 252},
    {"yacute", 253},
    {"thorn", 254},
    {"yuml", 255},
    // symbols, mathematical symbols and Greek letters
    {"fnof", 402},
    {"Alpha", 913},
    {"Beta", 914},
    {"Gamma", 915},
    {"Delta", 916},
    {"Epsilon", 917},
    {"Zeta", 918},
    {"Eta", 919},
    {"Theta", 920},
    {"Iota", 921},
    {"Kappa", 922},
    {"Lambda", 923},
    {"Mu", 924},
    {"Nu", 925},
    {"Xi", 926},
    {"Omicron", 927},
    {"Pi", 928},
    {"Rho", 929},
    {"Sigma", 931},
    {"Tau", 932},
    {"Upsilon", 933},
    {"Phi", 934},
    {"Chi", 935},
    {"Psi", 936},
    {"Omega", 937},
    {"alpha", 945},
    {"beta", 946},
    {"gamma", 947},
    {"delta", 948},
    {"epsilon", 949},
    {"zeta", 950},
    {"eta", 951},
    {"theta", 952},
    {"iota", 953},
    {"kappa", 954},
    {"lambda", 955},
    {"mu", 956},
    {"nu", 957},
    {"xi", 958},
    {"omicron", 959},
    {"pi", 960},
    {"rho", 961},
    {"sigmaf", 962},
    {"sigma", 963},
    {"tau", 964},
    {"upsilon", 965},
    {"phi", 966},
    {"chi", 967},
    {"psi", 968},
    {"omega", 969},
    {"thetasym", 977},
    {"upsih", 978},
    {"piv", 982},
    {"bull", 8226},
    {"hellip", 8230},
    {"prime", 8242},
    {"Prime", 8243},
    {"oline", 8254},
    {"frasl", 8260},
    {"weierp", 8472},
    {"image", 8465},
    {"real", 8476},
    {"trade", 8482},
    {"alefsym", 8501},
    {"larr", 8592},
    {"uarr", 8593},
    {"rarr", 8594},
    {"darr", 8595},
    {"harr", 8596},
    {"crarr", 8629},
    {"lArr", 8656},
    {"uArr", 8657},
    {"rArr", 8658},
    {"dArr", 8659},
    {"hArr", 8660},
    {"forall", 8704},
    {"part", 8706},
    {"exist", 8707},
    {"empty", 8709},
    {"nabla", 8711},
    {"isin", 8712},
    {"notin", 8713},
    {"ni", 8715},
    {"prod", 8719},
    {"sum", 8721},
    {"minus", 8722},
    {"lowast", 8727},
    {"radic", 8730},
    {"prop", 8733},
    {"infin", 8734},
    {"ang", 8736},
    {"and", 8743},
    {"or", 8744},
    {"cap", 8745},
    {"cup", 8746},
    {"int", 8747},
    {"there4", 8756},
    {"sim", 8764},
    {"cong", 8773},
    {"asymp", 8776},
    {"ne", 8800},
    {"equiv", 8801},
    {"le", 8804},
    {"ge", 8805},
    {"sub", 8834},
    {"sup", 8835},
    {"nsub", 8836},
    {"sube", 8838},
    {"supe", 8839},
    {"oplus", 8853},
    {"otimes", 8855},
    {"perp", 8869},
    {"sdot", 8901},
    {"lceil", 8968},
    {"rceil", 8969},
    {"lfloor", 8970},
    {"rfloor", 8971},
    {"lang", 9001},
    {"rang", 9002},
    {"loz", 9674},
    {"spades", 9824},
    {"clubs", 9827},
    {"hearts", 9829},
    {"diams", 9830},
    // markup-significant and internationalisation characters
    {"quot", 34},
    {"amp", 38},
    {"lt", 60},
    {"gt", 62},
    {"OElig", 338},
    {"oelig", 339},
    {"Scaron", 352},
    {"scaron", 353},
    {"Yuml", 376},
    {"circ", 710},
    {"tilde", 732},
    {"ensp", 8194},
    {"emsp", 8195},
    {"thinsp", 8201},
    {"zwnj", 8204},
    {"zwj", 8205},
    {"lrm", 8206},
    {"rlm", 8207},
    {"ndash", 8211},
    {"mdash", 8212},
    {"lsquo", 8216},
    {"rsquo", 8217},
    {"sbquo", 8218},
    {"ldquo", 8220},
    {"rdquo", 8221},
    {"bdquo", 8222},
    {"dagger", 8224},
    {"Dagger", 8225},
    {"permil", 8240},
    {"lsaquo", 8249},
    {"rsaquo", 8250},
    {"euro", 8364},
};

const TCharsetRec CharsetTable[CharsetCount] = {
    {"1252", 0},         {"8859-1", 0},     {"1253", 161},      {"8859-7", 161},     {"1250", 238},
    {"8859-2", 238},     {"1251", 204},     {"8859-5", 204},    {"koi", 204},        {"866", 204},
    {"1254", 162},       {"8859-3", 162},   {"8859-9", 162},    {"1257", 186},       {"8859-4", 186},
    {"932", 128},        {"949", 129},      {"936", 134},       {"950", 136},        {"1255", 177},
    {"1256", 178},       {"1258", 163},     {"874", 222},       {"ansi", 0},         {"default", 1},
    {"symbol", 2},       {"shiftjis", 128}, {"shift_jis", 128}, {"x-sjis", 128},     {"hangeul", 129},
    {"gb2312", 134},     {"big5", 136},     {"oem", 255},       {"johab", 130},      {"hebrew", 177},
    {"arabic", 178},     {"greek", 161},    {"turkish", 162},   {"vietnamese", 163}, {"thai", 222},
    {"easteurope", 238}, {"russian", 204},  {"euc-kr", 129},    {"5601", 129},       {"euc-jp", EUCJPCharsetMarker},
    {"8859-15", 0},
};

int32_t LookUpEntity(const std::string& Name)
{
  // Sorted once; looked up by bisection, case-sensitively.
  static const std::vector<TEntity> sorted = [] {
    std::vector<TEntity> v(std::begin(EntityTable), std::end(EntityTable));
    std::sort(v.begin(), v.end(),
              [](const TEntity& a, const TEntity& b) { return std::string_view(a.Name) < std::string_view(b.Name); });
    return v;
  }();
  auto it = std::lower_bound(sorted.begin(), sorted.end(), Name,
                             [](const TEntity& e, const std::string& k) { return std::string_view(e.Name) < k; });
  return it != sorted.end() && Name == it->Name ? it->Value : -1;
}

bool CharsetFromName(const std::string& Text, int32_t& Charset)
{
  std::string lower = LowerCase(Text);
  for (const TCharsetRec& r : CharsetTable)
    if (lower.find(r.Name) != std::string::npos) {
      Charset = r.Charset;
      return true;
    }
  return false;
}

// ---- Japanese encodings ----

namespace {

// One JIS X 0208 pair (high bits clear) to Shift-JIS.
void JISPairToShiftJIS(uint8_t j1, uint8_t j2, std::string& out)
{
  int s1 = j1 < 97 ? (j1 + 1) / 2 + 112 : (j1 + 1) / 2 + 176;
  int s2;
  if (j1 % 2 == 0)
    s2 = j2 + 126;
  else
    s2 = j2 + 31 + (j2 > 95 ? 1 : 0);
  out += static_cast<char>(s1 & 0xFF);
  out += static_cast<char>(s2 & 0xFF);
}

}   // namespace

bool ConvertJISToShiftJIS(std::string& Doc)
{
  if (Doc.find('\0') != std::string::npos)
    return false;
  if (Doc.find("\x1b$@") == std::string::npos && Doc.find("\x1b$B") == std::string::npos)
    return false;
  std::string out;
  out.reserve(Doc.size());
  bool twoByte = false;
  size_t i = 0;
  while (i < Doc.size()) {
    uint8_t c = static_cast<uint8_t>(Doc[i]) & 0x7F;
    if (c == 27 && i + 2 < Doc.size()) {
      uint8_t a = static_cast<uint8_t>(Doc[i + 1]) & 0x7F;
      uint8_t b = static_cast<uint8_t>(Doc[i + 2]) & 0x7F;
      if (a == '(' && (b == 'B' || b == 'J')) {
        twoByte = false;
        i += 3;
        continue;
      }
      if (a == '$' && (b == '@' || b == 'B')) {
        twoByte = true;
        i += 3;
        continue;
      }
    }
    // A pair needs two bytes; an odd last byte and line ends pass as they are.
    if (twoByte && c >= 0x21 && i + 1 < Doc.size()) {
      JISPairToShiftJIS(c, static_cast<uint8_t>(Doc[i + 1]) & 0x7F, out);
      i += 2;
      continue;
    }
    out += static_cast<char>(c);
    ++i;
  }
  Doc = std::move(out);
  return true;
}

void ConvertEUCToShiftJIS(std::string& Doc, size_t From)
{
  size_t i = From;
  while (i < Doc.size()) {
    uint8_t c = static_cast<uint8_t>(Doc[i]);
    if (c < 161 || i + 1 >= Doc.size()) {
      ++i;
      continue;
    }
    std::string pair;
    JISPairToShiftJIS(c & 0x7F, static_cast<uint8_t>(Doc[i + 1]) & 0x7F, pair);
    Doc[i] = pair[0];
    Doc[i + 1] = pair[1];
    i += 2;
  }
}

// ---- tokenizer ----

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// A decimal number as attribute values write it: sign, digits, point, exponent. NaN and
// infinity are no numbers.
bool StrToFloatSafe(const std::string& s, double& v)
{
  size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-'))
    neg = s[i++] == '-';
  double m = 0;
  int digits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++digits)
    m = m * 10 + (s[i] - '0');
  if (i < s.size() && s[i] == '.') {
    double scale = 0.1;
    for (++i; i < s.size() && IsDigit(s[i]); ++i, ++digits, scale /= 10)
      m += (s[i] - '0') * scale;
  }
  if (digits == 0)
    return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool eneg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
      eneg = s[i++] == '-';
    int e = 0;
    int edigits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++edigits)
      e = std::min(e * 10 + (s[i] - '0'), 10000);
    if (edigits == 0)
      return false;
    m *= std::pow(10.0, eneg ? -e : e);
  }
  if (i != s.size() || !std::isfinite(m))
    return false;
  v = neg ? -m : m;
  return true;
}

void AppendCodePoint(TokenObj& T, int32_t Code, int32_t Pos)
{
  if (Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
    Code = 0xFFFD;
  if (Code > 0xFFFF) {
    Code -= 0x10000;
    T.AddUnicodeChar(static_cast<char16_t>(0xD800 + (Code >> 10)), Pos);
    T.AddUnicodeChar(static_cast<char16_t>(0xDC00 + (Code & 0x3FF)), Pos);
  } else {
    T.AddUnicodeChar(static_cast<char16_t>(Code), Pos);
  }
}

}   // namespace

THtmlTokenizer::THtmlTokenizer() = default;
THtmlTokenizer::~THtmlTokenizer() = default;

void THtmlTokenizer::Start(const std::string& Doc)
{
  FDoc = Doc;
  ConvertedFromJIS = ConvertJISToShiftJIS(FDoc);
  FPos = 0;
  FInclude.clear();
  FIncludePos = 0;
  FInInclude = false;
  FLineEnd = TLineEnd::None;
  FEUCDone = false;
  FNoComments = false;
  FOpenComment = false;
  SIndex = -1;
  TagIndex = 0;
  HeaderLevel = 0;
  PlainText = false;
  InComment = false;
  Sy = EofSy;
  LCh = LCToken = EofChar;
  Attributes.Clear();
  Token.Clear();
}

int32_t THtmlTokenizer::CurrentCodePage() const
{
  return PropStack && PropStack->Count() > 0 ? PropStack->Last().CodePage : CodePage;
}

int THtmlTokenizer::RawPeek() const
{
  if (FInInclude && FIncludePos < FInclude.size())
    return static_cast<uint8_t>(FInclude[FIncludePos]);
  return FPos < FDoc.size() ? static_cast<uint8_t>(FDoc[FPos]) : EofChar;
}

char THtmlTokenizer::RawGet()
{
  if (FInInclude) {
    if (FIncludePos < FInclude.size())
      return FInclude[FIncludePos++];
    FInInclude = false;
    FInclude.clear();
  }
  if (FPos >= FDoc.size())
    return EofChar;
  char c = FDoc[FPos++];
  ++SIndex;
  if (OnProgress && FPos % 4096 == 0)
    OnProgress(static_cast<int32_t>(FPos), static_cast<int32_t>(FDoc.size()));
  return c;
}

char THtmlTokenizer::ReadLineChar()
{
  for (;;) {
    char c = RawGet();
    if (c == '\n') {
      if (FLineEnd == TLineEnd::CR) {
        FLineEnd = TLineEnd::None;
        continue;
      }
      FLineEnd = TLineEnd::LF;
      return '\r';
    }
    if (c == '\r') {
      if (FLineEnd == TLineEnd::LF) {
        FLineEnd = TLineEnd::None;
        continue;
      }
      FLineEnd = TLineEnd::CR;
      return '\r';
    }
    // NUL and the other control bytes below tab carry nothing in a page (and 2, 4 and 8
    // mean objects in document text): they are dropped rather than ending the page.
    if (static_cast<uint8_t>(c) < 9)
      continue;
    FLineEnd = TLineEnd::None;
    return c == '\t' ? ' ' : c;
  }
}

char THtmlTokenizer::CommentChar()
{
  char c = ReadLineChar();
  if (c == EofChar)
    throw EParseError("Open Comment at End of HTML File");
  return c;
}

char THtmlTokenizer::GetStyleChar() { return ReadLineChar(); }

void THtmlTokenizer::GetCh()
{
  for (;;) {
    char c = ReadLineChar();
    LCh = c;
    LCToken = Upper(c);
    if (c == EofChar && InComment)
      throw EParseError("Open Comment at End of HTML File");
    if (c != '<' || PlainText || FNoComments)
      return;
    if (RawPeek() == '?') {
      // An XML declaration or processing instruction: skipped up to its ">" as a
      // declaration is.
      InComment = true;
      RawGet();   // the "?"
      try {
        while (CommentChar() != '>') {}
      } catch (const EParseError&) {
        InComment = false;
        FOpenComment = true;
        LCh = LCToken = EofChar;
        return;
      }
      InComment = false;
      continue;
    }
    if (RawPeek() != '!')
      return;
    InComment = true;
    RawGet();   // the "!"
    try {
      char c1 = CommentChar();
      char c2 = c1 == '-' ? CommentChar() : c1;
      if (c1 != '-' || c2 != '-') {
        // a declaration such as a document type
        while (c2 != '>')
          c2 = CommentChar();
      } else if (OnInclude && !FInInclude && RawPeek() == '#') {
        ReadInclude();
      } else {
        SkipComment();
      }
    } catch (const EParseError&) {
      // The text read before the open comment still makes its symbol; the next one fails.
      InComment = false;
      FOpenComment = true;
      LCh = LCToken = EofChar;
      return;
    }
    InComment = false;
  }
}

void THtmlTokenizer::SkipComment(int First)
{
  // Ends at "--", any further dashes, spaces and line ends, then ">".
  int dashes = 0;
  for (char c = First >= 0 ? static_cast<char>(First) : CommentChar();; c = CommentChar()) {
    if (c == '-') {
      ++dashes;
      continue;
    }
    if (dashes >= 2) {
      while (c == ' ' || c == '\r')
        c = CommentChar();
      if (c == '>')
        return;
      dashes = c == '-' ? 1 : 0;
      continue;
    }
    dashes = 0;
  }
}

void THtmlTokenizer::ReadInclude()
{
  char c = CommentChar();   // the "#"
  c = CommentChar();
  std::string command;
  while (IsLetter(c) || IsDigit(c) || c == '_') {
    command += c;
    c = CommentChar();
  }
  std::vector<std::string> params;
  for (;;) {
    while (c == ' ' || c == '\r')
      c = CommentChar();
    if (!IsLetter(c))
      break;
    std::string name;
    while (IsLetter(c) || IsDigit(c) || c == '_') {
      name += c;
      c = CommentChar();
    }
    while (c == ' ' || c == '\r')
      c = CommentChar();
    std::string value;
    if (c == '=') {
      c = CommentChar();
      while (c == ' ' || c == '\r')
        c = CommentChar();
      if (c == '"' || c == '\'') {
        char q = c;
        for (c = CommentChar(); c != q; c = CommentChar())
          value += c;
        c = CommentChar();
      } else {
        while (c != ' ' && c != '\r' && c != '-' && c != '>') {
          value += c;
          c = CommentChar();
        }
      }
    }
    params.push_back(name + "=" + value);
  }
  SkipComment(static_cast<uint8_t>(c));   // the rest, from the character in hand
  std::string buffer;
  OnInclude(command, params, buffer);
  if (!buffer.empty()) {
    FInclude = std::move(buffer);
    FIncludePos = 0;
    FInInclude = true;
  }
}

void THtmlTokenizer::SkipSpace()
{
  while (LCh == ' ' || LCh == '\r' || LCh == '\t')
    GetCh();
}

bool THtmlTokenizer::LookUpCharset(const std::string& Text, int32_t& Charset)
{
  if (!CharsetFromName(Text, Charset))
    return false;
  if (Charset == EUCJPCharsetMarker) {
    if (!FEUCDone) {
      // From the character in hand on: it was read already but belongs to the rest.
      size_t from = FPos > 0 && !FInInclude ? FPos - 1 : FPos;
      ConvertEUCToShiftJIS(FDoc, from);
      if (from < FPos && static_cast<uint8_t>(LCh) >= 161) {
        LCh = FDoc[from];
        LCToken = Upper(LCh);
      }
      FEUCDone = true;
    }
    Charset = 128;
  }
  return true;
}

void THtmlTokenizer::Next()
{
  Token.Clear();
  if (FOpenComment)
    throw EParseError("Open Comment at End of HTML File");
  if (LCh == EofChar) {
    Sy = EofSy;
    return;
  }
  if (ReadTag())
    return;
  if (static_cast<uint8_t>(LCh) >= 9) {
    ReadText();
    return;
  }
  throw EParseError("Not an HTML or Text document");
}

bool THtmlTokenizer::ReadTag()
{
  if (LCh != '<')
    return false;
  TagIndex = SIndex;
  GetCh();
  bool end = false;
  if (LCh == '/') {
    end = true;
    GetCh();
  } else if (!IsLetter(LCh)) {
    Sy = TextSy;
    Token.AddUnicodeChar(u'<', TagIndex);
    return true;
  }
  std::string name;
  while (IsLetter(LCh)) {
    if (name.size() < 255)
      name += LCToken;
    GetCh();
  }
  static const auto tags = IndexByName(TagTable);
  const auto found = tags.find(name);
  const TTagRec* tag = found == tags.end() ? nullptr : found->second;
  Sy = !tag ? OtherSy : end ? tag->End : tag->Start;
  if (tag && tag->Start == HeadingSy) {
    HeaderLevel = 0;
    if (LCh >= '1' && LCh <= '6') {
      HeaderLevel = LCh - '0';
      GetCh();
    }
  }
  Attributes.Clear();
  TAttribute a;
  while (ReadAttribute(a))
    Attributes.Add(std::make_unique<TAttribute>(a));
  while (LCh != '>' && LCh != EofChar)
    GetCh();
  // STYLE and SCRIPT content is read by their own readers, which start at the ">".
  if (LCh == '>' && Sy != StyleSy && Sy != ScriptSy)
    GetCh();
  return true;
}

bool THtmlTokenizer::ReadAttribute(TAttribute& A)
{
  SkipSpace();
  if (!IsLetter(LCh))
    return false;
  std::string name;
  while (IsLetter(LCh) || LCh == '-') {
    if (name.size() < 255)
      name += LCToken;
    GetCh();
  }
  static const auto attributes = IndexByName(AttribTable);
  const auto found = attributes.find(name);
  A.Which = found == attributes.end() ? UnknownSy : found->second->Sym;
  A.Value = A.Which == BorderSy ? 1 : 0;
  A.Name.clear();
  SkipSpace();
  if (LCh == '=') {
    GetCh();
    SkipSpace();
    std::string s;
    double v;
    if (LCh == '"' || LCh == '\'') {
      char q = LCh;
      GetCh();
      while (LCh != q && LCh != EofChar) {
        if (LCh == '\r') {
          GetCh();
        } else if (LCh == '&') {
          s += DecodeEntityInValue();
        } else {
          s += LCh;
          GetCh();
        }
      }
      if (LCh == q)
        GetCh();
      std::string t = Trim(s);
      if (!t.empty() && t.back() == '%')
        t.pop_back();
      if (!t.empty() && (t[0] == '+' || t[0] == '-' || t[0] == '.' || IsDigit(t[0])) && StrToFloatSafe(t, v))
        A.Value = SafeRound(v);
    } else if (LCh == '+' || LCh == '-' || IsDigit(LCh)) {
      while (LCh != ' ' && LCh != '\r' && LCh != EofChar && LCh != '%' && LCh != '>') {
        s += LCh;
        GetCh();
      }
      if (StrToFloatSafe(s, v))
        A.Value = SafeRound(v);
      if (LCh == '%') {
        s += '%';
        GetCh();
      }
    } else {
      while (LCh != ' ' && LCh != '\r' && LCh != EofChar && LCh != '>') {
        s += LCh;
        GetCh();
      }
    }
    A.Name = std::move(s);
  }
  if (A.Which == IDSy && !A.Name.empty() && IDNameList)
    IDNameList->AddChPosObj(A.Name, SIndex);
  return true;
}

void THtmlTokenizer::Flush(TCharCollection& Pending)
{
  if (Pending.Size() > 0) {
    Token.AddString(Pending, CurrentCodePage());
    Pending.Clear();
  }
}

void THtmlTokenizer::ReadText()
{
  Sy = TextSy;
  TCharCollection pending;
  auto isSpace = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
  while (static_cast<uint8_t>(LCh) >= 9 && LCh != EofChar && LCh != '<') {
    if (LCh == '&') {
      DecodeEntityInText(pending);
    } else if (isSpace(LCh)) {
      Flush(pending);
      Token.AddUnicodeChar(u' ', SIndex);
      while (isSpace(LCh))
        GetCh();
    } else {
      while (static_cast<uint8_t>(LCh) >= 9 && LCh != EofChar && LCh != '<' && LCh != '&' && !isSpace(LCh)) {
        pending.Add(LCh, SIndex);
        GetCh();
      }
    }
  }
  Flush(pending);
}

void THtmlTokenizer::ReadEntity(int32_t& Code, bool& Numeric, std::string& Literal, std::vector<int32_t>& LiteralPos)
{
  Code = -1;
  Numeric = false;
  Literal = "&";
  LiteralPos.assign(1, SIndex);
  auto take = [&]() {
    Literal += LCh;
    LiteralPos.push_back(SIndex);
    GetCh();
  };
  GetCh();
  if (LCh == '#') {
    take();
    bool hex = false;
    if (LCh == 'x' || LCh == 'X') {
      hex = true;
      take();
    }
    // Digits run on as long as they come, but the value stops growing past the last code point.
    int32_t v = 0;
    int digits = 0;
    while (hex ? IsHexDigit(LCh) : IsDigit(LCh)) {
      int d = IsDigit(LCh) ? LCh - '0' : (Upper(LCh) - 'A' + 10);
      v = std::min(v * (hex ? 16 : 10) + d, 0x110000);
      ++digits;
      take();
    }
    if (digits == 0)
      return;
    if (LCh == ';')
      GetCh();
    Code = v;
    Numeric = true;
    return;
  }
  std::string name;
  std::vector<int32_t> pos;
  while (name.size() < 11 && (IsLetter(LCh) || IsDigit(LCh))) {
    name += LCh;
    pos.push_back(SIndex);
    GetCh();
  }
  int32_t c = name.empty() ? -1 : LookUpEntity(name);
  if (c < 0) {
    Literal += name;
    LiteralPos.insert(LiteralPos.end(), pos.begin(), pos.end());
    return;
  }
  if (LCh == ';')
    GetCh();
  Code = c;
}

void THtmlTokenizer::DecodeEntityInText(TCharCollection& Pending)
{
  while (LCh == '&') {
    int32_t pos = SIndex;
    int32_t code;
    bool numeric;
    std::string literal;
    std::vector<int32_t> literalPos;
    ReadEntity(code, numeric, literal, literalPos);
    if (code < 0) {
      for (size_t i = 0; i < literal.size(); ++i)
        Pending.Add(literal[i], literalPos[i]);
    } else if (code < 32) {
      Pending.Add('?', pos);
    } else if (numeric && code < 256) {
      Pending.Add(static_cast<char>(code), pos);   // a byte of the page, read with its neighbours
    } else {
      Flush(Pending);
      AppendCodePoint(Token, code, pos);
    }
  }
}

std::string THtmlTokenizer::DecodeEntityInValue()
{
  int32_t code;
  bool numeric;
  std::string literal;
  std::vector<int32_t> literalPos;
  ReadEntity(code, numeric, literal, literalPos);
  if (code < 0)
    return literal;
  if (code < 32)
    return "?";
  if (numeric && code < 256)
    return std::string(1, static_cast<char>(code));
  TokenObj t;
  AppendCodePoint(t, code, 0);
  std::string s = WideToMultiByte(static_cast<Cardinal>(CurrentCodePage()), t.S());
  if (s.size() > 11)
    s.resize(11);
  return s;
}

void THtmlTokenizer::NextPre()
{
  if (LCh == '<' || LCh == EofChar) {
    Next();
    return;
  }
  Token.Clear();
  if (LCh == '\r') {
    Sy = EolSy;
    GetCh();
    return;
  }
  Sy = TextSy;
  TCharCollection pending;
  while (LCh != EofChar && LCh != '<' && LCh != '\r') {
    if (LCh == '&') {
      DecodeEntityInText(pending);
    } else {
      pending.Add(LCh, SIndex);
      GetCh();
    }
  }
  Flush(pending);
}

void THtmlTokenizer::NextTextArea()
{
  Token.Clear();
  if (LCh == EofChar) {
    Sy = EofSy;
    return;
  }
  if (LCh == '\r') {
    Sy = EolSy;
    GetCh();
    return;
  }
  TCharCollection run;
  if (LCh == '<') {
    TagIndex = SIndex;
    while (LCh != ' ' && LCh != '\r' && LCh != '>' && LCh != EofChar) {
      run.Add(LCh, SIndex);
      GetCh();
    }
    if (LowerCase(run.AsString()) == "</textarea") {
      Sy = TextAreaEndSy;
      while (LCh != '>' && LCh != EofChar)
        GetCh();
      if (LCh == '>')
        GetCh();
    } else {
      Sy = OtherSy;
      Flush(run);
    }
    return;
  }
  Sy = TextSy;
  if (LCh == '&') {
    DecodeEntityInText(run);
  } else {
    while (LCh != '\r' && LCh != EofChar && LCh != '&' && LCh != '<') {
      run.Add(LCh, SIndex);
      GetCh();
    }
  }
  Flush(run);
  if (Token.Leng() == 0) {
    Sy = OtherChar;
    Token.AddUnicodeChar(static_cast<uint8_t>(LCh), SIndex);
    GetCh();
  }
}

void THtmlTokenizer::ReadStyleElement(TStyleList& Styles, const std::string& BasePath)
{
  char ch = LCh;
  ParseStyleSheet(
      Styles, ch, [this]() { return GetStyleChar(); }, BasePath);
  // A sheet in several comment-wrapped pieces: "<!--" after a piece starts the next one.
  while (ch == '<' && RawPeek() == '!')
    ParseStyleSheet(
        Styles, ch, [this]() { return GetStyleChar(); }, BasePath);
  LCh = ch;
  LCToken = Upper(ch);
  Next();
}

THtmlSymbol THtmlTokenizer::ReadScript(std::string& Text, bool KeepComments)
{
  FNoComments = KeepComments;
  if (LCh == '>')
    GetCh();
  for (;;) {
    if (LCh == EofChar) {
      FNoComments = false;
      return EofSy;
    }
    if (LCh == '\r') {
      Text += "\r\n";
      GetCh();
      continue;
    }
    if (LCh == '<') {
      std::string run(1, '<');
      GetCh();
      while (LCh == '/' || IsLetter(LCh)) {
        run += LCh;
        GetCh();
      }
      if (LowerCase(run) == "</script") {
        while (LCh != '>' && LCh != EofChar)
          GetCh();
        FNoComments = false;
        if (LCh == '>')
          GetCh();
        return ScriptEndSy;
      }
      Text += run;
      continue;
    }
    Text += LCh;
    GetCh();
  }
}
