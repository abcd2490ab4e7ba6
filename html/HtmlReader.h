// The HTML reader: a tokenizer that turns a document's text into tags with attributes,
// text with decoded entities in Unicode, and end of file; and its fixed tables (tags,
// attributes, entities, charset names). The document builder works on its symbols.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "html/DocumentUtils.h"
#include "html/HtmlSymbols.h"
#include "platform/SysUtils.h"

class TPropStack;
class TStyleList;

class EParseError : public Exception {
  using Exception::Exception;
};

// ---- tables ----

constexpr int TagCount = 73;
constexpr int TagsWithEnd = 52;
constexpr int AttribCount = 79;
constexpr int EntityCount = 252;
constexpr int CharsetCount = 46;
// Charset value that stands for EUC-JP, whose text is turned into Shift-JIS.
constexpr int32_t EUCJPCharsetMarker = 30;

struct TTagRec {
  const char* Name;
  THtmlSymbol Start;
  THtmlSymbol End;   // OtherSy for tags that have no end symbol
};
struct TAttrRec {
  const char* Name;
  THtmlSymbol Sym;
};
struct TEntity {
  const char* Name;
  int32_t Value;
};
struct TCharsetRec {
  const char* Name;
  int32_t Charset;
};
extern const TTagRec TagTable[TagCount];
extern const TAttrRec AttribTable[AttribCount];
extern const TEntity EntityTable[EntityCount];
extern const TCharsetRec CharsetTable[CharsetCount];

// The code point of a named entity (case-sensitive), -1 when unknown.
int32_t LookUpEntity(const std::string& Name);
// The first charset name of the table that occurs in Text (ignoring case); EUC-JP gives
// EUCJPCharsetMarker.
bool CharsetFromName(const std::string& Text, int32_t& Charset);

// ISO-2022-JP text (recognised by ESC "$@" or ESC "$B") to Shift-JIS; false when Doc is not
// such text (or holds a NUL, which no such text does).
bool ConvertJISToShiftJIS(std::string& Doc);
// EUC-JP to Shift-JIS from byte From on; lengths stay the same.
void ConvertEUCToShiftJIS(std::string& Doc, size_t From);

// ---- tokenizer ----

// The include callback: Command and its name=value parameter lines; Buffer receives the text
// to read in place of the comment (empty: nothing).
using TIncludeCallback =
    std::function<void(const std::string& Command, const std::vector<std::string>& Params, std::string& Buffer)>;
// Progress: characters read so far and the length of the text.
using TProgressCallback = std::function<void(int32_t Done, int32_t Total)>;

class THtmlTokenizer {
public:
  static constexpr char EofChar = 26;

  THtmlTokenizer();
  ~THtmlTokenizer();

  // Starts on a document. ISO-2022-JP text is turned into Shift-JIS first (then
  // ConvertedFromJIS is set, and the root context wants charset 128).
  void Start(const std::string& Doc);
  bool ConvertedFromJIS = false;

  TIncludeCallback OnInclude;
  TProgressCallback OnProgress;
  // Where ID attributes are registered as they are read (may be null).
  TIDNameList* IDNameList = nullptr;
  // The style contexts; the top one's code page converts text. Without one, CodePage does.
  const TPropStack* PropStack = nullptr;
  int32_t CodePage = 1252;

  // Reads the next character into LCh (comments, declarations and processing instructions
  // skipped).
  void GetCh();
  // Skips tab, CR and space.
  void SkipSpace();
  // Reads the next symbol into Sy, with its attributes or text.
  void Next();
  // The charset named in Text; EUC-JP converts the rest of the text and gives 128.
  bool LookUpCharset(const std::string& Text, int32_t& Charset);

  // Preformatted content, one piece per call: text up to a tag, a line end or the end
  // with every space kept and entities decoded (TextSy); EolSy for a line end; at "<" the
  // tag as Next reads it.
  void NextPre();
  // Raw TEXTAREA content, one piece per call: EofSy, EolSy (a line end), TextAreaEndSy,
  // OtherSy (a "<" run that is not the end tag, text in Token), TextSy (text or an
  // entity, in Token) or OtherChar.
  void NextTextArea();
  // Raw SCRIPT content up to "</script" (any case; the end tag is consumed) or the end of
  // the text; line ends become CR LF. Returns ScriptEndSy or EofSy. Comments are part of
  // the content when KeepComments is set.
  THtmlSymbol ReadScript(std::string& Text, bool KeepComments);
  // At a STYLE start tag: reads the element's sheet into Styles (relative URLs against
  // BasePath) and then the symbol after it.
  void ReadStyleElement(TStyleList& Styles, const std::string& BasePath);
  // The next character of a STYLE element for the style-sheet reader: line ends and tabs
  // normalised, no comment skipping.
  char GetStyleChar();

  // Current state, read by the document builder.
  char LCh = EofChar;       // as read
  char LCToken = EofChar;   // upper case
  THtmlSymbol Sy = EofSy;
  int32_t SIndex = -1;       // source position of LCh (main text only)
  int32_t TagIndex = 0;      // source position of the last "<"
  int32_t HeaderLevel = 0;   // 1 to 6 after H and its end tag
  bool PlainText = false;    // "<!" and "<?" start no comment
  bool InComment = false;
  TAttributeList Attributes;
  TokenObj Token;

private:
  enum class TLineEnd { None, CR, LF };
  int32_t CurrentCodePage() const;
  int RawPeek() const;
  char RawGet();
  char ReadLineChar();
  // A character inside a comment; the end of the text there is an error.
  char CommentChar();
  void SkipComment(int First = -1);
  void ReadInclude();
  bool ReadTag();
  bool ReadAttribute(TAttribute& A);
  void ReadText();
  void DecodeEntityInText(TCharCollection& Pending);
  std::string DecodeEntityInValue();
  // Reads "#..." or a name after "&"; Code gets the character (or -1); Literal the text read.
  void ReadEntity(int32_t& Code, bool& Numeric, std::string& Literal, std::vector<int32_t>& LiteralPos);
  void Flush(TCharCollection& Pending);

  std::string FDoc;
  size_t FPos = 0;
  std::string FInclude;
  size_t FIncludePos = 0;
  bool FInInclude = false;
  TLineEnd FLineEnd = TLineEnd::None;
  bool FEUCDone = false;
  bool FNoComments = false;
  bool FOpenComment = false;
};

// ---- document builder ----

class TSectionList;

// LINK tags: REL, REV and HREF.
using TLinkTagEvent = std::function<void(const std::string& Rel, const std::string& Rev, const std::string& Href)>;
// META tags: HTTP-EQUIV, NAME and CONTENT.
using TMetaTagEvent =
    std::function<void(const std::string& HttpEquiv, const std::string& Name, const std::string& Content)>;
// BGSOUND: the sound's SRC, its LOOP count (1 when absent) and whether to stop playing.
using TSoundTagEvent = std::function<void(const std::string& Src, int32_t Loop, bool Terminate)>;
// SCRIPT content with the element's NAME and LANGUAGE.
using TScriptTagEvent =
    std::function<void(const std::string& Name, const std::string& Language, const std::string& Script)>;
// The text of a linked style sheet named by HREF, and the path its own relative URLs start
// from; false when there is no such sheet.
using TStyleSheetRequest = std::function<bool(const std::string& Href, std::string& Text, std::string& SheetPath)>;

// What the viewer hands the document builder, and what it reads back besides the document.
struct THtmlParseContext {
  TLinkTagEvent OnLink;
  TMetaTagEvent OnMeta;
  TSoundTagEvent OnSound;
  TIncludeCallback OnInclude;
  TScriptTagEvent OnScript;
  TStyleSheetRequest OnStyleSheet;
  TProgressCallback OnProgress;
  // The viewer's margins, the body's defaults.
  int32_t MarginWidth = 10;
  int32_t MarginHeight = 5;
  // Where relative URLs of STYLE elements start from.
  std::string BasePath;

  // Filled by the parse: BASE's HREF and TARGET, and TITLE's text.
  std::string Base;
  std::string BaseTarget;
  std::u16string Title;
};

// Caps on what a page can ask of the builder.
constexpr int MaxBlockNesting = 100;   // nested blocks, lists, items, divisions, tables
constexpr int MaxTableNesting = 10;
constexpr int MaxStyleContexts = 256;   // open elements that carry style
constexpr int MaxTableColumns = 200;
constexpr int MaxSpanRows = 1000;   // rows a cell may span
constexpr int MaxSelectOptions = 10000;

// Fills SectionList (emptied by the caller) from an HTML page. Nothing is reported: an
// error ends the parse and what was built stays.
void ParseHTMLDocument(const std::string& Doc, TSectionList& SectionList, THtmlParseContext& Context);
// Fills SectionList from plain text, one preformatted section per line.
void ParsePlainText(const std::string& Doc, TSectionList& SectionList);

// Places table cells on a grid of rows and columns when a table describes its columns:
// each row is a string with 'o' for a free column and 'x' for a taken one.
class TCellManager {
public:
  explicit TCellManager(int32_t AColumnCount) : FColumns(std::clamp(AColumnCount, 0, MaxTableColumns)) {}
  // A new row begins.
  void NewRow();
  // Places a cell of ColSpan by RowSpan in the current row; ColSpan is cut to the free run.
  // Returns the cell's column.
  int32_t FindColumn(int32_t& ColSpan, int32_t RowSpan);
  const std::vector<std::string>& Rows() const { return FRows; }

private:
  int32_t FColumns;
  int32_t FRow = -1;
  std::vector<std::string> FRows;
};
