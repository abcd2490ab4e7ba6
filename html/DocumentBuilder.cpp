// The document builder: reads the tokenizer's symbols and builds the section list with a
// stack of style contexts, one per open element that carries style. Forgiving by design:
// unknown tags are skipped, end tags close what they can, and any error ends the parse with
// what was built kept.
#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "html/SmallSections.h"
#include "html/Document.h"
#include "html/HtmlReader.h"
#include "html/StyleParser.h"
#include "html/StyleModel.h"
#include "html/Urls.h"
#include "platform/CodePages.h"

// ---- cell placing ----

void TCellManager::NewRow()
{
  ++FRow;
  if (static_cast<size_t>(FRow) >= FRows.size())
    FRows.emplace_back();
  std::string& r = FRows[static_cast<size_t>(FRow)];
  if (static_cast<int32_t>(r.size()) < FColumns)
    r.resize(static_cast<size_t>(FColumns), 'o');
}

int32_t TCellManager::FindColumn(int32_t& ColSpan, int32_t RowSpan)
{
  if (FRow < 0)
    NewRow();
  ColSpan = std::clamp(ColSpan, 1, MaxTableColumns);
  RowSpan = std::clamp(RowSpan, 1, MaxSpanRows);
  std::string& r = FRows[static_cast<size_t>(FRow)];
  size_t col = r.find('o');
  if (col == std::string::npos) {
    // More cells than the columns described: the row grows, up to the column limit.
    if (r.size() >= static_cast<size_t>(MaxTableColumns))
      return static_cast<int32_t>(r.size());
    col = r.size();
    r += 'o';
  }
  // The span runs over free columns only; past the row's end it may grow the row.
  int32_t n = 0;
  while (n < ColSpan && col + static_cast<size_t>(n) < static_cast<size_t>(MaxTableColumns)) {
    size_t c = col + static_cast<size_t>(n);
    if (c < r.size() && r[c] != 'o')
      break;
    ++n;
  }
  ColSpan = std::max(n, 1);
  const size_t need = col + static_cast<size_t>(ColSpan);
  for (int32_t dr = 0; dr < RowSpan; ++dr) {
    const size_t ri = static_cast<size_t>(FRow + dr);
    if (ri >= FRows.size())
      FRows.emplace_back(static_cast<size_t>(FColumns), 'o');
    std::string& row = FRows[ri];
    if (row.size() < need)
      row.resize(need, 'o');
    for (size_t c = col; c < need; ++c)
      row[c] = 'x';
  }
  return static_cast<int32_t>(col);
}

namespace {

using TSymbolSet = std::bitset<SymbolCount>;

TSymbolSet Set(std::initializer_list<THtmlSymbol> L)
{
  TSymbolSet s;
  for (THtmlSymbol y : L)
    s.set(y);
  return s;
}

TSymbolSet operator+(TSymbolSet A, THtmlSymbol B)
{
  A.set(B);
  return A;
}

// Symbols that change the font of the text that follows.
const TSymbolSet FontSyms = Set({BSy, ISy, EmSy, StrongSy, USy, CiteSy, VarSy, TTSy, CodeSy, KbdSy, SampSy, SSy,
                                 StrikeSy, SpanSy, SubSy, SupSy, BigSy, SmallSy});
const TSymbolSet FontEndSyms =
    Set({BEndSy, IEndSy, EmEndSy, StrongEndSy, UEndSy, CiteEndSy, VarEndSy, TTEndSy, CodeEndSy, KbdEndSy, SampEndSy,
         SEndSy, StrikeEndSy, SpanEndSy, SubEndSy, SupEndSy, BigEndSy, SmallEndSy});
// Everything the common handler takes: text and the inline symbols.
const TSymbolSet CommonSyms =
    FontSyms | FontEndSyms
    | Set({TextSy,     HeadingSy, HeadingEndSy, HRSy,       BRSy,          PreSy,    ImageSy,   ASy,
           AEndSy,     TableSy,   InputSy,      TextAreaSy, TextAreaEndSy, SelectSy, FontSy,    FontEndSy,
           BaseFontSy, MapSy,     PageSy,       ScriptSy,   PanelSy,       NoBrSy,   NoBrEndSy, WbrSy});
const TSymbolSet ListStartSyms = Set({OLSy, ULSy, DirSy, MenuSy, DLSy, AddressSy, BlockQuoteSy});
const TSymbolSet ListEndSyms = Set({OLEndSy, ULEndSy, DirEndSy, MenuEndSy, DLEndSy, AddressEndSy, BlockQuoteEndSy});
const TSymbolSet ItemSyms = Set({LISy, DDSy, DTSy});

// The tag name of a start or end symbol, lower case ("" for none).
std::string TagName(THtmlSymbol Sy)
{
  // Asked for every element: the names by symbol, made once.
  static const std::unordered_map<THtmlSymbol, std::string> names = [] {
    std::unordered_map<THtmlSymbol, std::string> m;
    for (const TTagRec& t : TagTable) {
      m.emplace(t.Start, LowerCase(t.Name));
      if (t.End != OtherSy)
        m.emplace(t.End, LowerCase(t.Name));
    }
    return m;
  }();
  const auto it = names.find(Sy);
  return it == names.end() ? std::string() : it->second;
}

THtmlSymbol EndSymbolOf(THtmlSymbol Sy)
{
  static const std::unordered_map<THtmlSymbol, THtmlSymbol> ends = [] {
    std::unordered_map<THtmlSymbol, THtmlSymbol> m;
    for (const TTagRec& t : TagTable)
      m.emplace(t.Start, t.End);
    return m;
  }();
  const auto it = ends.find(Sy);
  return it == ends.end() ? OtherSy : it->second;
}

std::unique_ptr<TAttributeList> CopyAttributes(const TAttributeList& L)
{
  auto c = std::make_unique<TAttributeList>();
  for (const auto& a : L)
    c->Add(std::make_unique<TAttribute>(*a));
  return c;
}

// Font sizes of the seven HTML sizes, in twelfths of the default size.
constexpr int FontSizeTwelfths[7] = {8, 10, 12, 14, 18, 24, 36};
constexpr int PreFontSizeTwelfths[7] = {7, 8, 10, 12, 15, 20, 30};

// A list being read: its kind and the numbering of its items.
struct TListInfo {
  THtmlSymbol Sy = LISy;   // the list element (LISy: an item outside any list)
  int32_t Number = 1;
  char NumberType = '1';
  bool Plain = false;
};

class THtmlParser {
public:
  THtmlParser(TSectionList& AMasterList, THtmlParseContext* AContext) : MasterList(AMasterList), Ctx(AContext) {}

  void ParseHTML(const std::string& Doc);
  void ParseText(const std::string& Doc);

private:
  // ---- state ----
  TSectionList& MasterList;
  THtmlParseContext* Ctx;   // nullptr for plain text
  THtmlTokenizer T;
  TPropStack PropStack;
  TCellBasic* SectionList = nullptr;   // the cell that receives new sections
  std::unique_ptr<TSection> Section;   // the paragraph being filled
  TBodyBlock* BodyBlock = nullptr;
  TCellBasic* BodyCell = nullptr;   // the cell of the body block
  ThtmlTable* Table = nullptr;      // the table being read, and its open row
  TCellList* Row = nullptr;
  TUrlTarget CurrentURLTarget;
  int32_t LinksStarted = 0;   // numbers the document's links
  bool InHref = false;
  ThtmlForm* CurrentForm = nullptr;
  int32_t ListLevel = 0;
  bool NoBreak = false;
  bool InPre = false;
  int32_t BaseFontSize = 3;
  int32_t Depth = 0;   // nested blocks being read
  int32_t TableLevel = 0;
  uint64_t SymbolsRead = 0;

  // ---- reading ----
  void Next()
  {
    ++SymbolsRead;
    if (InPre)
      T.NextPre();
    else
      T.Next();
  }
  THtmlSymbol Sy() const { return T.Sy; }
  const TAttribute* Attr(THtmlSymbol A) const { return T.Attributes.Find(A); }
  std::string AttrText(THtmlSymbol A) const
  {
    const TAttribute* a = Attr(A);
    return a ? a->Name : std::string();
  }

  void Start(const std::string& Doc);
  void Finish();

  // ---- style contexts ----
  TProperties& Top() const { return PropStack.Last(); }
  // Pushes the context of an element; false when too many are open already.
  bool PushProp(const std::string& Tag, const std::string& Class, const std::string& ID, const std::string& Pseudo,
                const std::string& Title, TProperties* Inline);
  bool PushProp(const std::string& Tag, TAttributeList& L, const std::string& Pseudo = "");
  bool PushProp(const std::string& Tag) { return PushProp(Tag, "", "", "", "", nullptr); }
  // ALIGN of the element sets its context's text alignment.
  void AlignFrom(const TAttributeList& L);
  // Removes the nearest context of that tag and recomputes those above it.
  void PopProp(const std::string& Tag);
  void PopTo(int Count);

  // ---- sections ----
  void NewSection(TAttributeList* L = nullptr);
  TSection& CurrentSection()
  {
    if (!Section)
      NewSection();
    return *Section;
  }
  void CloseSection();
  void ChangeFont()
  {
    if (Section)
      Section->ChangeFont(Top(), InHref ? &CurrentURLTarget : nullptr);
  }
  void EndLink();
  // Preformatted text keeps its spaces: they go in as non-breaking placeholders, which the
  // section turns back into spaces when it is finished.
  void AddPreText(const TokenObj& Tok);

  // ---- blocks: what the layout module builds ----
  struct TSaved {
    TCellBasic* Cell = nullptr;
    int Props = 0;         // contexts open inside the block
    int PropsBefore = 0;   // contexts open before its element
  };
  // Opens the block of an element: its context (with ALIGN when Align), its box.
  TSaved BeginBlock(const std::string& Tag, TAttributeList& L, bool Align, bool ListBlock);
  // Ends it: back to the enclosing cell and context, the end tag EndSy consumed when it is next.
  void EndBlock(const TSaved& S, bool CollapseBottom, THtmlSymbol EndSy);
  TSaved OpenBlock(TAttributeList* L, bool ListBlock);
  TSaved OpenListItem(TAttributeList* L, const TListInfo& List, int32_t Number);
  // Closes the section and returns to the enclosing cell, the contexts of the block popped.
  void CloseBlock(const TSaved& S, bool CollapseBottom);
  void NewBodyBlock(TAttributeList* L);
  void AddHorzLine(TAttributeList& L);
  void AddPage();
  void NewPreSection();

  // ---- handlers ----
  bool Nest()
  {
    if (Depth >= MaxBlockNesting)
      return false;
    ++Depth;
    return true;
  }
  void MainLoop(const TSymbolSet& Term);
  void DoCommon(const TSymbolSet& Term);
  void DoBody();
  void DoMeta();
  void DoLink();
  void DoTitle();
  void DoP(const TSymbolSet& Term);
  void DoHeading(const TSymbolSet& Term);
  void DoDiv(const TSymbolSet& Term);
  void DoCenter(const TSymbolSet& Term);
  void DoList(const TSymbolSet& Term);
  void DoListItem(const TSymbolSet& Term, const TListInfo& List, int32_t Number);
  void DoFont();
  void DoAnchor();
  void DoBreak();
  void DoImage();
  void DoFormControl(const TSymbolSet& Term);
  void DoMap();
  void DoScript();
  void DoPre();
  void DoTable(const TSymbolSet& Term);
  // What the steps of one table share while its tags are read.
  struct TTableRead;
  void DoColGroup();
  void DoTableCaption(TTableRead& R);
  void DoTableRow(TTableRead& R);
  void DoTableCell(TTableRead& R);
  // A column described by COL or COLGROUP.
  struct TColSpec {
    int32_t Width = 0;   // pixels, or tenths of a percent
    bool Percent = false;
    int32_t Span = 1;
    std::string Align;
    AlignmentType VAlign = AMiddle;
    bool VAlignGiven = false;
  };
  std::vector<TColSpec> Columns;   // of the table being read
  void AddColumns(TAttributeList& L, const TColSpec& Defaults);
  static AlignmentType VAlignOf(const std::string& Text, AlignmentType Default);
  // The table being built, in the layout module's terms.
  void TableBegin(TAttributeList& L, JustifyType Enclosing);
  void TableAddColumn(const TColSpec& C, int32_t Span);
  TCellBasic* TableCaption(TAttributeList& L, bool Bottom);
  void TableRow(TAttributeList* L);
  TCellBasic* TableCell(TAttributeList& L, AlignmentType VAlign);
  void TableEnd();
  void DispatchOne(const TSymbolSet& Term);
  // Skips a symbol that did not move the reader on, so no loop can stall.
  void Progress(uint64_t Before)
  {
    if (SymbolsRead == Before && Sy() != EofSy)
      Next();
  }
};

// ---- start and end ----

void THtmlParser::Start(const std::string& Doc)
{
  PropStack.Clear();
  if (!MasterList.Styles)
    MasterList.Styles = std::make_unique<TStyleList>();
  TStyleList& styles = *MasterList.Styles;
  if (!styles.GetDefProp())
    styles.BuildDefaults("Times New Roman", "Courier New", Ctx ? Ctx->MarginWidth : 10, Ctx ? Ctx->MarginHeight : 5, 1,
                         true, clRed, clPurple, clBlue, clBlack, 12);
  auto root = std::make_unique<TProperties>();
  root->Assign(*styles.GetDefProp());
  PropStack.Push(std::move(root));

  T.PropStack = &PropStack;
  T.IDNameList = MasterList.IDNameList.get();
  if (Ctx) {
    T.OnInclude = Ctx->OnInclude;
    T.OnProgress = Ctx->OnProgress;
  }
  T.Start(Doc);
  if (T.ConvertedFromJIS)
    Top().SetCharset(128);

  SectionList = &MasterList;
  NewBodyBlock(nullptr);
  CurrentURLTarget.Clear();
  InHref = false;
  NoBreak = false;
  InPre = false;
  ListLevel = 0;
  BaseFontSize = 3;
}

void THtmlParser::Finish()
{
  // Whatever ended the parse, the pending paragraph is kept and the stack emptied.
  try {
    InPre = false;
    CloseSection();
  } catch (...) {
    Section.reset();
  }
  T.Attributes.Clear();
  CurrentURLTarget.Clear();
  PropStack.Clear();
  T.PropStack = nullptr;
}

void THtmlParser::ParseHTML(const std::string& Doc)
{
  try {
    Start(Doc);
    T.GetCh();
    Next();
    MainLoop(TSymbolSet());
  } catch (...) {
    // The page ends here; what was built stays.
  }
  Finish();
}

void THtmlParser::ParseText(const std::string& Doc)
{
  try {
    Start(Doc);
    T.PlainText = true;
    PushProp("pre");
    NewPreSection();
    TCharCollection pending;
    auto pass = [&] {
      if (pending.Size() > 0) {
        TokenObj tok;
        tok.AddString(pending, Top().CodePage);
        AddPreText(tok);
        pending.Clear();
      }
    };
    T.GetCh();
    while (T.LCh != THtmlTokenizer::EofChar) {
      if (T.LCh == '\r') {
        pass();
        CloseSection();
        NewPreSection();
      } else {
        // Passed on in pieces, but never between the bytes of one character.
        if (pending.Size() >= 200 && static_cast<uint8_t>(pending.Chars().back()) < 0x80)
          pass();
        pending.Add(T.LCh, T.SIndex);
      }
      T.GetCh();
    }
    pass();
  } catch (...) {}
  Finish();
}

// ---- style contexts ----

bool THtmlParser::PushProp(const std::string& Tag, const std::string& Class, const std::string& ID,
                           const std::string& Pseudo, const std::string& Title, TProperties* Inline)
{
  if (PropStack.Count() >= MaxStyleContexts)
    return false;
  std::unique_ptr<TProperties> p = PropStack.Take();
  p->PropStyle.clear();   // the rest is set from the parent and the rules
  p->InheritFrom(Top());
  p->ApplyRules(*MasterList.Styles, &PropStack, Tag, Class, ID, Pseudo, Title, Inline);
  PropStack.Push(std::move(p));
  return true;
}

bool THtmlParser::PushProp(const std::string& Tag, TAttributeList& L, const std::string& Pseudo)
{
  return PushProp(Tag, L.TheClass(), L.TheID(), Pseudo, L.TheTitle(), L.TheStyle());
}

void THtmlParser::AlignFrom(const TAttributeList& L)
{
  const TAttribute* a = L.Find(AlignSy);
  if (!a)
    return;
  std::string v = LowerCase(Trim(a->Name));
  if (v == "middle")
    v = "center";
  if (v == "left" || v == "center" || v == "right" || v == "justify")
    Top().SetProperty(TextAlign, v);
}

void THtmlParser::PopProp(const std::string& Tag)
{
  for (int i = PropStack.Count() - 1; i > 0; --i)
    if (PropStack[i].PropTag == Tag) {
      PropStack.Delete(i);
      for (int j = i; j < PropStack.Count(); ++j)
        PropStack[j].Reinherit(PropStack[j - 1], &PropStack, j - 1);
      return;
    }
}

void THtmlParser::PopTo(int Count)
{
  while (PropStack.Count() > std::max(Count, 1))
    PropStack.Pop();
}

// ---- sections ----

void THtmlParser::NewSection(TAttributeList* L)
{
  if (InPre) {
    NewPreSection();
    return;
  }
  CloseSection();
  Section = std::make_unique<TSection>(&MasterList, L, Top(), InHref ? &CurrentURLTarget : nullptr);
  Section->NoBreak = NoBreak;
}

void THtmlParser::CloseSection()
{
  if (Section && SectionList)
    SectionList->Add(std::move(Section));
  Section.reset();
}

void THtmlParser::EndLink()
{
  if (InHref) {
    InHref = false;
    CurrentURLTarget.Clear();
  }
  PopProp("a");
  ChangeFont();
}

void THtmlParser::AddPreText(const TokenObj& Tok)
{
  TokenObj t;
  const std::u16string& s = Tok.S();
  const std::vector<int32_t>& idx = Tok.Indices();
  for (size_t i = 0; i < s.size(); ++i)
    t.AddUnicodeChar(s[i] == u' ' ? NbSpace : s[i], i < idx.size() ? idx[i] : 0);
  CurrentSection().AddTokenObj(t);
}

// ---- blocks ----

THtmlParser::TSaved THtmlParser::BeginBlock(const std::string& Tag, TAttributeList& L, bool Align, bool ListBlock)
{
  CloseSection();
  const int before = PropStack.Count();
  if (PushProp(Tag, L) && Align)
    AlignFrom(L);
  TSaved s = OpenBlock(&L, ListBlock);
  s.PropsBefore = before;
  return s;
}

void THtmlParser::EndBlock(const TSaved& S, bool CollapseBottom, THtmlSymbol EndSy)
{
  CloseBlock(S, CollapseBottom);
  PopTo(S.PropsBefore);
  ChangeFont();
  if (Sy() == EndSy && EndSy != OtherSy)
    Next();
  --Depth;
}

THtmlParser::TSaved THtmlParser::OpenBlock(TAttributeList* L, bool ListBlock)
{
  CloseSection();
  TSaved s{SectionList, PropStack.Count()};
  auto block = std::make_unique<TBlock>(&MasterList, Top(), SectionList, L);
  block->IsListBlock = ListBlock;
  TBlockCell* cell = block->MyCell.get();
  SectionList->Add(std::move(block));
  SectionList = cell;
  return s;
}

THtmlParser::TSaved THtmlParser::OpenListItem(TAttributeList* L, const TListInfo& List, int32_t Number)
{
  CloseSection();
  TSaved s{SectionList, PropStack.Count()};
  ListKind kind = lkItem;
  switch (List.Sy) {
  case OLSy: kind = lkOrdered; break;
  case ULSy:
  case DirSy:
  case MenuSy: kind = lkUnordered; break;
  case DLSy: kind = lkDefinition; break;
  default: break;
  }
  auto block = std::make_unique<TBlockLI>(&MasterList, Top(), SectionList, kind, Number, List.NumberType, List.Plain,
                                          ListLevel, L);
  TBlockCell* cell = block->MyCell.get();
  SectionList->Add(std::move(block));
  SectionList = cell;
  return s;
}

void THtmlParser::CloseBlock(const TSaved& S, bool CollapseBottom)
{
  CloseSection();
  // The last block's automatic bottom margin moves out to the block that ends here.
  if (CollapseBottom && SectionList && SectionList->CheckLastBottomMargin())
    if (auto* cell = dynamic_cast<TBlockCell*>(SectionList); cell && cell->OwnerBlock)
      cell->OwnerBlock->SetAutoBottomMargin();
  SectionList = S.Cell;
  PopTo(S.Props);
}

void THtmlParser::NewBodyBlock(TAttributeList* L)
{
  CloseSection();
  // The body block it replaces holds nothing yet.
  if (BodyBlock) {
    const int i = MasterList.IndexOf(BodyBlock);
    if (i >= 0)
      MasterList.Delete(i);
  }
  auto body = std::make_unique<TBodyBlock>(&MasterList, Top(), &MasterList, L);
  BodyBlock = body.get();
  BodyCell = body->MyCell.get();
  MasterList.Add(std::move(body));
  SectionList = BodyCell;
}

void THtmlParser::AddHorzLine(TAttributeList& L)
{
  CloseSection();
  const bool pushed = PushProp("hr", L);
  auto line = std::make_unique<THorzLine>(&MasterList, &L, Top());
  SectionList->Add(std::make_unique<THRBlock>(&MasterList, Top(), SectionList, std::move(line), &L));
  if (pushed)
    PropStack.Pop();
}

void THtmlParser::AddPage()
{
  CloseSection();
  SectionList->Add(std::make_unique<TPage>(&MasterList));
}

void THtmlParser::TableBegin(TAttributeList& L, JustifyType Enclosing)
{
  auto table = std::make_unique<ThtmlTable>(&MasterList, &L, &Top());
  Table = table.get();
  SectionList->Add(std::make_unique<TTableBlock>(&MasterList, Top(), SectionList, std::move(table), &L, Enclosing));
  Row = nullptr;
}

void THtmlParser::TableAddColumn(const TColSpec& C, int32_t Span)
{
  Table->AddColumn(C.Width, C.Percent, Span, C.Align, C.VAlign);
}

TCellBasic* THtmlParser::TableCaption(TAttributeList& L, bool Bottom)
{
  Table->Caption = std::make_unique<TCellObj>(&MasterList, AMiddle, &L, &Top());
  Table->TopCaption = !Bottom;
  Row = nullptr;
  return Table->Caption->Cell.get();
}

void THtmlParser::TableRow(TAttributeList* L) { Row = Table->Rows.Add(std::make_unique<TCellList>(L, &Top())); }

TCellBasic* THtmlParser::TableCell(TAttributeList& L, AlignmentType VAlign)
{
  if (!Row)
    TableRow(nullptr);
  return Row->Add(std::make_unique<TCellObj>(&MasterList, VAlign, &L, &Top()))->Cell.get();
}

void THtmlParser::TableEnd()
{
  Table = nullptr;
  Row = nullptr;
}

void THtmlParser::NewPreSection()
{
  CloseSection();
  Section = std::make_unique<TPreFormated>(&MasterList, nullptr, Top(), InHref ? &CurrentURLTarget : nullptr);
}

// ---- the main loop ----

void THtmlParser::MainLoop(const TSymbolSet& Term)
{
  while (Sy() != EofSy && !Term[Sy()]) {
    const uint64_t before = SymbolsRead;
    DispatchOne(Term);
    Progress(before);
  }
}

void THtmlParser::DispatchOne(const TSymbolSet& Term)
{
  {
    switch (Sy()) {
    case TitleSy: DoTitle(); break;
    case BodySy: DoBody(); break;
    case PSy: DoP(Term); break;
    case BaseSy:
      if (Ctx) {
        Ctx->Base = AttrText(HrefSy);
        Ctx->BaseTarget = AttrText(TargetSy);
      }
      Next();
      break;
    case OLSy:
    case ULSy:
    case DirSy:
    case MenuSy:
    case DLSy:
    case AddressSy:
    case BlockQuoteSy: DoList(Term); break;
    case LISy:
    case DDSy:
    case DTSy: {
      TListInfo outside;
      DoListItem(Term, outside, 1);
      break;
    }
    case CenterSy: DoCenter(Term); break;
    case FormSy:
    case DivSy: DoDiv(Term); break;
    case LinkSy: DoLink(); break;
    case FormEndSy:
      CurrentForm = nullptr;
      Next();
      break;
    case BgSoundSy:
      if (Ctx && Ctx->OnSound && Attr(SrcSy)) {
        const TAttribute* loop = Attr(LoopSy);
        Ctx->OnSound(AttrText(SrcSy), loop ? loop->Value : 1, false);
      }
      Next();
      break;
    case MetaSy: DoMeta(); break;
    case StyleSy:
      T.ReadStyleElement(*MasterList.Styles, Ctx ? Ctx->BasePath : std::string());
      ++SymbolsRead;
      break;
    default:
      if (CommonSyms[Sy()])
        DoCommon(Term);
      else
        Next();
      break;
    }
  }
}

void THtmlParser::DoTitle()
{
  Next();
  std::u16string title;
  while (Sy() == TextSy) {
    title += T.Token.S();
    Next();
  }
  if (Ctx)
    Ctx->Title = title;
}

void THtmlParser::DoBody()
{
  // A BODY after content, or inside a table, changes nothing. The white space between the
  // tags of a page's head (line breaks around a document type or a comment) is no content:
  // it collapses to spaces that a paragraph drops anyway.
  const bool pendingText = Section && Section->BuffS.find_first_not_of(u' ') != std::u16string::npos;
  const bool hasContent = SectionList != BodyCell || (BodyCell && BodyCell->Count() > 0) || pendingText;
  if (TableLevel > 0 || hasContent) {
    Next();
    return;
  }
  PushProp("body", T.Attributes);
  TProperties& p = Top();
  TStyleList& styles = *MasterList.Styles;
  TColor c;
  if (const TAttribute* a = Attr(TextAttrSy); a && ParseColor(a->Name, false, c))
    p.SetProperty(Color, static_cast<int32_t>(c));
  if (const TAttribute* a = Attr(BGColorSy); a && ParseColor(a->Name, false, c))
    p.SetProperty(BackgroundColor, static_cast<int32_t>(c));
  if (const TAttribute* a = Attr(BackgroundSy); a && !a->Name.empty())
    p.SetProperty(BackgroundImage, "url(" + a->Name + ")");
  if (LowerCase(AttrText(BGPropertiesSy)) == "fixed")
    p.SetProperty(BackgroundAttachment, std::string("fixed"));
  if (const TAttribute* a = Attr(LinkSy); a && ParseColor(a->Name, false, c))
    styles.ModifyLinkColor("link", c);
  if (const TAttribute* a = Attr(VLinkSy); a && ParseColor(a->Name, false, c))
    styles.ModifyLinkColor("visited", c);
  if (const TAttribute* a = Attr(OLinkSy); a && ParseColor(a->Name, false, c)) {
    styles.ModifyLinkColor("hover", c);
    styles.LinksActive = true;
    MasterList.LinksActive = true;
  }
  const TAttribute* mw = Attr(MarginWidthSy);
  const int32_t w = std::clamp(mw ? mw->Value : (Ctx ? Ctx->MarginWidth : 10), 0, 200);
  p.SetProperty(MarginLeft, w);
  p.SetProperty(MarginRight, w);
  const TAttribute* mh = Attr(MarginHeightSy);
  const int32_t h = std::clamp(mh ? mh->Value : (Ctx ? Ctx->MarginHeight : 5), 0, 200);
  p.SetProperty(MarginTop, h);
  p.SetProperty(MarginBottom, h);
  NewBodyBlock(&T.Attributes);
  Next();
}

void THtmlParser::DoMeta()
{
  const std::string httpEquiv = AttrText(HttpEqSy);
  const std::string name = AttrText(NameSy);
  const std::string content = AttrText(ContentSy);
  if (LowerCase(Trim(httpEquiv)) == "content-type") {
    int32_t cs;
    if (T.LookUpCharset(content, cs))
      Top().SetCharset(cs);
    else if (LowerCase(content).find("utf-8") != std::string::npos)
      Top().SetUTF8();
  }
  if (Ctx && Ctx->OnMeta)
    Ctx->OnMeta(httpEquiv, name, content);
  Next();
}

void THtmlParser::DoLink()
{
  const std::string href = AttrText(HrefSy);
  const std::string rel = AttrText(RelSy);
  const std::string rev = AttrText(RevSy);
  if (LowerCase(Trim(rel)) == "stylesheet" && !href.empty() && Ctx && Ctx->OnStyleSheet) {
    std::string text, path;
    if (Ctx->OnStyleSheet(href, text, path)) {
      // A line feed after a CR is dropped (the CR reads as a space); one on its own, as a
      // sheet written with bare line feeds has them, separates words as a space does.
      std::string sheet;
      sheet.reserve(text.size());
      for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' && i > 0 && text[i - 1] == '\r')
          continue;
        sheet += c == '\t' || c == '\n' ? ' ' : c;
      }
      ParseStyleSheetText(*MasterList.Styles, sheet, path);
    }
  }
  if (Ctx && Ctx->OnLink)
    Ctx->OnLink(rel, rev, href);
  Next();
}

// ---- the common handler ----

void THtmlParser::DoCommon(const TSymbolSet& Term)
{
  const THtmlSymbol sy = Sy();
  if (sy == TextSy) {
    CurrentSection().AddTokenObj(T.Token);
    Next();
    return;
  }
  if (FontSyms[sy]) {
    PushProp(TagName(sy), T.Attributes);
    ChangeFont();
    Next();
    return;
  }
  if (FontEndSyms[sy]) {
    PopProp(TagName(sy));
    ChangeFont();
    Next();
    return;
  }
  switch (sy) {
  case FontSy:
  case BaseFontSy: DoFont(); break;
  case FontEndSy:
    PopProp("font");
    ChangeFont();
    Next();
    break;
  case ASy: DoAnchor(); break;
  case AEndSy:
    EndLink();
    Next();
    break;
  case BRSy: DoBreak(); break;
  case HeadingSy: DoHeading(Term); break;
  case HRSy:
    AddHorzLine(T.Attributes);
    Next();
    break;
  case ImageSy:
  case PanelSy: DoImage(); break;
  case InputSy:
  case SelectSy:
  case TextAreaSy: DoFormControl(Term); break;
  case MapSy: DoMap(); break;
  case TableSy: DoTable(Term); break;
  case PageSy:
    AddPage();
    Next();
    break;
  case ScriptSy: DoScript(); break;
  case NoBrSy:
  case NoBrEndSy:
    NoBreak = sy == NoBrSy;
    if (Section)
      Section->NoBreak = NoBreak || InPre;
    Next();
    break;
  case WbrSy:
    if (NoBreak && Section)
      Section->AllowBreakAtEnd();
    Next();
    break;
  case PreSy:
    if (InPre)
      Next();
    else
      DoPre();
    break;
  default:   // heading and text-area ends without their element
    Next();
    break;
  }
}

void THtmlParser::DoFont()
{
  const bool base = Sy() == BaseFontSy;
  if (!PushProp("font", T.Attributes)) {
    Next();   // too deep: the enclosing context stays as it is
    return;
  }
  TProperties& p = Top();
  if (const TAttribute* a = Attr(SizeSy)) {
    const std::string v = Trim(a->Name);
    int64_t size = a->Value;
    if (v.size() >= 2 && (v[0] == '+' || v[0] == '-'))
      size += BaseFontSize;
    const int32_t s = static_cast<int32_t>(std::clamp<int64_t>(size, 1, 7));
    if (base)
      BaseFontSize = s;
    const int twelfths = (InPre ? PreFontSizeTwelfths : FontSizeTwelfths)[s - 1];
    p.SetProperty(FontSize, MasterList.Styles->DefPointSize() * twelfths / 12.0);
  }
  TColor c;
  if (const TAttribute* a = Attr(ColorSy); a && ParseColor(a->Name, false, c))
    p.SetProperty(Color, static_cast<int32_t>(c));
  if (const TAttribute* a = Attr(FaceSy); a && !base && !Trim(a->Name).empty()) {
    std::string face = FirstInstalledFont(a->Name);
    if (!face.empty())
      p.SetProperty(FontFamily, face);
  }
  if (const TAttribute* a = Attr(CharSetSy)) {
    int32_t cs;
    if (T.LookUpCharset(a->Name, cs))
      p.SetCharset(cs);
  }
  ChangeFont();
  Next();
}

void THtmlParser::DoAnchor()
{
  if (const TAttribute* href = Attr(HrefSy)) {
    if (InHref)
      EndLink();
    CurrentURLTarget.Assign(href->Name, AttrText(TargetSy), ++LinksStarted);
    if (const TAttribute* ti = Attr(TabIndexSy))
      CurrentURLTarget.TabIndex = ti->Value;
    InHref = true;
    PushProp("a", T.Attributes, "link");
  } else {
    PushProp("a", T.Attributes);
  }
  TSection& s = CurrentSection();
  ChangeFont();
  if (const TAttribute* name = Attr(NameSy)) {
    std::string n = name->Name;
    if (!n.empty() && n[0] == '#')
      n.erase(0, 1);
    if (!n.empty() && MasterList.IDNameList) {
      MasterList.IDNameList->AddObject(n, &s);
      // A name that stands before a heading or a block marks an otherwise empty paragraph;
      // it is kept, or the jump would have nowhere to go.
      s.KeepEmpty = true;
    }
  }
  Next();
}

void THtmlParser::DoBreak()
{
  if (Attr(ClearSy)) {
    NewSection(&T.Attributes);
    Section->KeepEmpty = true;
  } else {
    CurrentSection().AddChar(BrkCh, T.TagIndex);
    // A break that stands alone joins the breaks before it: a page of many breaks would
    // otherwise keep a paragraph for each.
    auto* last = SectionList ? dynamic_cast<TSection*>(SectionList->Last()) : nullptr;
    if (last) {
      Section->Finish();
      if (last->JoinBreaks(*Section))
        Section.reset();
    }
    CloseSection();
  }
  Next();
}

void THtmlParser::DoImage()
{
  const bool panel = Sy() == PanelSy;
  TSection& s = CurrentSection();
  const bool pushed = PushProp(panel ? "panel" : "img", T.Attributes);
  if (panel)
    s.AddFloatingObj(std::make_unique<TPanelObj>(&MasterList, s.Len, T.Attributes), T.TagIndex);
  else
    s.AddImage(T.Attributes, Top(), T.TagIndex);
  if (pushed)
    PopProp(panel ? "panel" : "img");
  Next();
}

void THtmlParser::DoFormControl(const TSymbolSet& Term)
{
  const THtmlSymbol sy = Sy();
  TSection& s = CurrentSection();
  const std::string tag = TagName(sy);
  const bool pushed = PushProp(tag, T.Attributes);
  TFormControlObj* c = AddFormControl(s, CurrentForm, sy, T.Attributes, Top(), T.TagIndex);

  if (sy == SelectSy) {
    // The options: value, selected flag and caption.
    const bool noBreak = NoBreak;
    NoBreak = false;
    auto* list = dynamic_cast<TListBoxFormControlObj*>(c);
    int32_t options = 0;
    std::u16string caption;
    std::string value;
    bool selected = false;
    bool inOption = false;
    auto finish = [&] {
      if (inOption && list && options++ < MaxSelectOptions)
        list->AddStr(WideToMultiByte(static_cast<Cardinal>(Top().CodePage), WideTrim(caption)), value, selected);
      inOption = false;
      caption.clear();
    };
    Next();
    while (Sy() != EofSy && Sy() != SelectEndSy && !Term[Sy()]) {
      if (Sy() == OptionSy) {
        finish();
        inOption = true;
        value = AttrText(ValueSy);
        selected = Attr(SelectedSy) != nullptr;
      } else if (Sy() == OptionEndSy) {
        finish();
      } else if (Sy() == TextSy && inOption && caption.size() < 10000) {
        caption += T.Token.S();
      }
      Next();
    }
    finish();
    c->ResetToValue();
    NoBreak = noBreak;
    if (Sy() == SelectEndSy)
      Next();
  } else if (sy == TextAreaSy) {
    std::string text;
    const bool inPre = InPre;
    InPre = false;
    for (;;) {
      T.NextTextArea();
      ++SymbolsRead;
      if (T.Sy == TextAreaEndSy || T.Sy == EofSy)
        break;
      if (text.size() >= 1000000)
        continue;   // the rest of an over-long text is dropped
      if (T.Sy == EolSy)
        text += "\r\n";
      else
        text += WideToMultiByte(static_cast<Cardinal>(Top().CodePage), T.Token.S());
    }
    InPre = inPre;
    if (auto* area = dynamic_cast<TTextAreaFormControlObj*>(c)) {
      area->AddStr(text);
      area->ResetToValue();
    }
    if (T.Sy == TextAreaEndSy)
      Next();
  } else {
    Next();
  }
  if (pushed)
    PopProp(tag);
}

void THtmlParser::DoMap()
{
  auto map = std::make_unique<TMapItem>();
  map->MapName = UpperCase(AttrText(NameSy));
  int others = 0;
  Next();
  for (;;) {
    if (Sy() == EofSy)
      return;   // dropped
    if (Sy() == MapEndSy) {
      MasterList.MapList.Add(std::move(map));
      Next();
      return;
    }
    if (Sy() == AreaSy) {
      map->AddArea(T.Attributes);
    } else if (Sy() != TextSy && ++others >= 3) {
      return;   // not a map after all: dropped, and the symbol is read as usual
    }
    Next();
  }
}

void THtmlParser::DoScript()
{
  const bool handled = !InPre && Ctx && Ctx->OnScript;
  const std::string name = AttrText(NameSy);
  const std::string language = AttrText(LanguageSy);
  std::string text;
  T.ReadScript(text, handled);
  if (handled)
    Ctx->OnScript(name, language, text);
  Next();
}

// ---- paragraphs, headings and blocks ----

void THtmlParser::DoP(const TSymbolSet& Term)
{
  if (Term[PSy])
    return;
  CloseSection();
  std::unique_ptr<TAttributeList> attrs = CopyAttributes(T.Attributes);
  // P tags and P end tags in a row make one paragraph; the last P's attributes count.
  while (Sy() == PSy || Sy() == PEndSy) {
    if (Sy() == PSy)
      attrs = CopyAttributes(T.Attributes);
    Next();
  }
  if (!Nest())
    return;
  TSaved saved = BeginBlock("p", *attrs, true, false);
  NewSection();
  const TSymbolSet inner = Term + PSy + PEndSy;
  while (Sy() != EofSy && !Term[Sy()]) {
    const uint64_t before = SymbolsRead;
    if (CommonSyms[Sy()])
      DoCommon(inner);
    else if (Sy() == OtherSy)
      Next();
    else
      break;
    Progress(before);
  }
  EndBlock(saved, false, PEndSy);
}

void THtmlParser::DoHeading(const TSymbolSet& Term)
{
  const int32_t level = T.HeaderLevel;
  if (level < 1 || level > 6 || !Nest()) {
    Next();
    return;
  }
  std::unique_ptr<TAttributeList> attrs = CopyAttributes(T.Attributes);
  TSaved saved = BeginBlock("h" + std::to_string(level), *attrs, true, false);
  NewSection();
  Next();
  const TSymbolSet inner = Term + HeadingEndSy;
  while (Sy() != EofSy && !inner[Sy()] && Sy() != HeadingSy) {   // a heading ends the one before
    const uint64_t before = SymbolsRead;
    if (CommonSyms[Sy()])
      DoCommon(inner);
    else if (Sy() == PSy)
      DoP(inner);
    else if (Sy() == DivSy)
      DoDiv(inner);
    else
      break;
    Progress(before);
  }
  EndBlock(saved, false, HeadingEndSy);
}

void THtmlParser::DoDiv(const TSymbolSet& Term)
{
  // DIV and FORM: a block read by the main loop up to its end tag; a FORM also ends at the
  // next FORM, which then starts a form of its own.
  if (!Nest()) {
    Next();
    return;
  }
  const bool form = Sy() == FormSy;
  std::unique_ptr<TAttributeList> attrs = CopyAttributes(T.Attributes);
  TSaved saved = BeginBlock(form ? "form" : "div", *attrs, !form, false);
  if (form)
    CurrentForm = MasterList.htmlFormList.Add(std::make_unique<ThtmlForm>(&MasterList, *attrs));
  Next();
  MainLoop(form ? Term + FormEndSy + FormSy : Term + DivEndSy);
  if (form && Sy() == FormEndSy)
    CurrentForm = nullptr;
  EndBlock(saved, true, form ? FormEndSy : DivEndSy);
}

void THtmlParser::DoCenter(const TSymbolSet& Term)
{
  if (!Nest()) {
    Next();
    return;
  }
  CloseSection();
  const int props = PropStack.Count();
  PushProp("center");
  Next();
  MainLoop(Term + CenterEndSy);
  CloseSection();
  PopTo(props);
  if (Sy() == CenterEndSy)
    Next();
  --Depth;
}

void THtmlParser::DoList(const TSymbolSet& Term)
{
  if (!Nest()) {
    Next();
    return;
  }
  TListInfo list;
  list.Sy = Sy();
  if (list.Sy == OLSy) {
    if (const TAttribute* a = Attr(StartSy); a && a->Value >= 0)
      list.Number = a->Value;
    if (const TAttribute* a = Attr(TypeSy); a && !a->Name.empty())
      list.NumberType = a->Name[0];
  } else if (list.Sy == ULSy) {
    const std::string type = LowerCase(Trim(AttrText(TypeSy)));
    list.Plain = type == "none" || type == "plain" || Attr(PlainSy);
  }
  const THtmlSymbol endSy = EndSymbolOf(list.Sy);
  std::unique_ptr<TAttributeList> attrs = CopyAttributes(T.Attributes);
  const bool listBlock = list.Sy != DLSy && list.Sy != AddressSy && list.Sy != BlockQuoteSy;
  TSaved saved = BeginBlock(TagName(list.Sy), *attrs, false, listBlock);
  Next();
  if (Sy() == OLEndSy || Sy() == ULEndSy || Sy() == DirEndSy || Sy() == MenuEndSy || Sy() == DLEndSy
      || Sy() == BlockQuoteEndSy) {
    // An empty list: it ends at the first end tag of a list, whichever it is.
    EndBlock(saved, false, Sy());
    return;
  }
  const bool raises = listBlock;
  if (raises)
    ++ListLevel;
  const TSymbolSet term = Term + endSy;
  const TSymbolSet blockTerm = term | ItemSyms | ListEndSyms;
  int32_t number = list.Number;
  while (Sy() != EofSy && !term[Sy()]) {
    const uint64_t before = SymbolsRead;
    const THtmlSymbol sy = Sy();
    if (ItemSyms[sy]) {
      if (sy == LISy)
        if (const TAttribute* v = Attr(ValueSy))
          number = v->Value;
      DoListItem(term, list, number);
      number = number < 1000000000 ? number + 1 : number;
    } else if (ListStartSyms[sy]) {
      DoList(term);
    } else if (sy == PSy) {
      DoP(term);
    } else if (sy == DivSy || sy == FormSy) {
      DoDiv(blockTerm);
    } else if (sy == CenterSy) {
      DoCenter(blockTerm);
    } else if (CommonSyms[sy]) {
      DoCommon(term);
    } else {
      Next();
    }
    Progress(before);
  }
  if (raises)
    --ListLevel;
  EndBlock(saved, true, endSy);
}

void THtmlParser::DoListItem(const TSymbolSet& Term, const TListInfo& List, int32_t Number)
{
  if (!Nest()) {
    Next();
    return;
  }
  std::unique_ptr<TAttributeList> attrs = CopyAttributes(T.Attributes);
  CloseSection();
  const int props = PropStack.Count();
  PushProp(TagName(Sy()), *attrs);
  TSaved saved = OpenListItem(attrs.get(), List, Number);
  saved.PropsBefore = props;
  NewSection();
  Next();
  const TSymbolSet blockTerm = Term | ItemSyms | ListEndSyms;
  while (Sy() != EofSy && !Term[Sy()] && !ItemSyms[Sy()]) {
    const uint64_t before = SymbolsRead;
    const THtmlSymbol sy = Sy();
    if (CommonSyms[sy])
      DoCommon(Term);
    else if (sy == PSy)
      DoP(Term);
    else if (sy == DivSy || sy == FormSy)
      DoDiv(blockTerm);
    else if (sy == CenterSy)
      DoCenter(blockTerm);
    else if (ListStartSyms[sy])
      DoList(Term);
    else if (sy == OtherSy)
      Next();
    else
      break;
    Progress(before);
  }
  EndBlock(saved, false, OtherSy);
}

// ---- preformatted text ----

void THtmlParser::DoPre()
{
  if (!Nest()) {
    Next();
    return;
  }
  std::unique_ptr<TAttributeList> attrs = CopyAttributes(T.Attributes);
  TSaved saved = BeginBlock("pre", *attrs, false, false);
  ThtmlForm* formBefore = CurrentForm;
  NewPreSection();
  while (T.LCh == '\r')
    T.GetCh();
  InPre = true;
  Next();
  while (Sy() != EofSy && Sy() != PreEndSy) {
    const uint64_t before = SymbolsRead;
    const THtmlSymbol sy = Sy();
    switch (sy) {
    case TextSy:
      AddPreText(T.Token);
      Next();
      break;
    case EolSy:
      NewPreSection();
      Next();
      break;
    case PSy:
    case PEndSy:
      // A paragraph inside preformatted text is a line end.
      NewPreSection();
      Next();
      break;
    case FormSy:
      CurrentForm = MasterList.htmlFormList.Add(std::make_unique<ThtmlForm>(&MasterList, T.Attributes));
      Next();
      break;
    case FormEndSy:
      CurrentForm = formBefore;
      Next();
      break;
    default:
      if (FontSyms[sy] || FontEndSyms[sy] || sy == FontSy || sy == FontEndSy || sy == BaseFontSy || sy == ASy
          || sy == AEndSy || sy == ImageSy || sy == InputSy || sy == SelectSy || sy == TextAreaSy || sy == BRSy
          || sy == NoBrSy || sy == NoBrEndSy || sy == WbrSy || sy == ScriptSy || sy == MapSy || sy == PageSy) {
        if (sy == BRSy) {
          NewPreSection();
          Next();
        } else {
          DoCommon(TSymbolSet());
        }
      } else {
        Next();
      }
      break;
    }
    Progress(before);
  }
  InPre = false;
  CurrentForm = formBefore;
  EndBlock(saved, false, PreEndSy);
}

// ---- tables ----

void THtmlParser::AddColumns(TAttributeList& L, const TColSpec& Defaults)
{
  TColSpec c = Defaults;
  if (const TAttribute* a = L.Find(AlignSy))
    c.Align = LowerCase(Trim(a->Name));
  if (const TAttribute* a = L.Find(VAlignSy)) {
    c.VAlign = VAlignOf(a->Name, c.VAlign);
    c.VAlignGiven = true;
  }
  if (const TAttribute* a = L.Find(WidthSy)) {
    if (a->Name.find('%') != std::string::npos) {
      if (a->Value >= 1 && a->Value <= 100) {
        c.Width = a->Value * 10;
        c.Percent = true;
      }
    } else if (a->Value >= 0) {
      c.Width = std::min(a->Value, MaxImageSide);
      c.Percent = false;
    }
  }
  int32_t span = c.Span;
  if (const TAttribute* a = L.Find(SpanSy))
    span = a->Value;
  span = std::clamp(span, 1, MaxTableColumns);
  for (int32_t i = 0; i < span && static_cast<int32_t>(Columns.size()) < MaxTableColumns; ++i)
    Columns.push_back(c);
  TableAddColumn(c, span);
}

AlignmentType THtmlParser::VAlignOf(const std::string& Text, AlignmentType Default)
{
  if (Text.empty())   // asked for every row and cell, mostly without the attribute
    return Default;
  const std::string v = LowerCase(Trim(Text));
  if (v == "top")
    return ATop;
  if (v == "middle" || v == "center")
    return AMiddle;
  if (v == "bottom")
    return ABottom;
  if (v == "baseline")
    return ABaseLine;
  return Default;
}

struct THtmlParser::TTableRead {
  // The cell or document the table stands in; text outside the cells goes there.
  TCellBasic* Outer = nullptr;
  bool SavedNoBreak = false;
  // The property stack's depth inside the table, and inside the open row.
  int TableProps = 0;
  int RowProps = 0;
  bool RowOpen = false;
  AlignmentType RowVAlign = AMiddle;
  // Which columns the cells take, once COL or COLGROUP gave columns.
  std::unique_ptr<TCellManager> Cells;
  TSymbolSet CellTerm;
};

void THtmlParser::DoTable(const TSymbolSet& Term)
{
  // Tables nest ten deep at most; a deeper one's content flows into the enclosing cell.
  if (TableLevel >= MaxTableNesting || !Nest()) {
    Next();
    return;
  }
  if (InHref)
    EndLink();
  CloseSection();
  TTableRead r;
  r.Outer = SectionList;
  r.SavedNoBreak = NoBreak;
  const int32_t savedListLevel = ListLevel;
  std::vector<TColSpec> savedColumns = std::move(Columns);
  ThtmlTable* const savedTable = Table;
  TCellList* const savedRow = Row;
  Columns.clear();
  ListLevel = 0;
  ++TableLevel;
  const JustifyType enclosing = Top().GetTextAlign();
  const int propsBefore = PropStack.Count();
  std::unique_ptr<TAttributeList> attrs = CopyAttributes(T.Attributes);
  PushProp("table", *attrs);
  r.TableProps = PropStack.Count();
  TableBegin(*attrs, enclosing);
  r.RowProps = r.TableProps;
  Next();

  r.CellTerm = Set({TDSy, THSy, TRSy, TREndSy, TableEndSy, CaptionSy, CaptionEndSy, ColSy, ColGroupSy, ColGroupEndSy});
  while (Sy() != EofSy && Sy() != TableEndSy) {
    const uint64_t before = SymbolsRead;
    switch (Sy()) {
    case ColGroupSy: DoColGroup(); break;
    case ColSy:
      AddColumns(T.Attributes, TColSpec());
      Next();
      break;
    case CaptionSy: DoTableCaption(r); break;
    case TRSy: DoTableRow(r); break;
    case TREndSy:
      CloseSection();
      SectionList = r.Outer;
      PopTo(r.TableProps);
      r.RowOpen = false;
      Next();
      break;
    case TDSy:
    case THSy: DoTableCell(r); break;
    case TDEndSy:
    case THEndSy:
    case ColGroupEndSy:
    case CaptionEndSy: Next(); break;
    default:
      // Text and tags outside the cells go after the table.
      SectionList = r.Outer;
      DispatchOne(r.CellTerm);
      break;
    }
    Progress(before);
  }
  CloseSection();
  SectionList = r.Outer;
  TableEnd();
  Table = savedTable;
  Row = savedRow;
  PopTo(propsBefore);
  NoBreak = r.SavedNoBreak;
  ListLevel = savedListLevel;
  Columns = std::move(savedColumns);
  --TableLevel;
  ChangeFont();
  if (Sy() == TableEndSy)
    Next();
  --Depth;
}

void THtmlParser::DoColGroup()
{
  // The group's attributes are the defaults of its COL tags; without any it is one span.
  std::unique_ptr<TAttributeList> group = CopyAttributes(T.Attributes);
  TColSpec defaults;
  if (const TAttribute* a = group->Find(AlignSy))
    defaults.Align = LowerCase(Trim(a->Name));
  defaults.VAlign = VAlignOf(AttrText(VAlignSy), AMiddle);
  defaults.VAlignGiven = Attr(VAlignSy) != nullptr;
  Next();
  bool cols = false;
  while (Sy() == ColSy) {
    TColSpec d = defaults;
    TAttributeList merged;
    for (const auto& a : *group)
      if (!T.Attributes.Find(a->Which))
        merged.Add(std::make_unique<TAttribute>(*a));
    for (const auto& a : T.Attributes)
      merged.Add(std::make_unique<TAttribute>(*a));
    AddColumns(merged, d);
    cols = true;
    Next();
  }
  if (!cols)
    AddColumns(*group, defaults);
  if (Sy() == ColGroupEndSy)
    Next();
}

void THtmlParser::DoTableCaption(TTableRead& R)
{
  CloseSection();
  PopTo(R.TableProps);
  R.RowOpen = false;
  const bool bottom = LowerCase(Trim(AttrText(AlignSy))) == "bottom";
  PushProp("caption", T.Attributes);
  SectionList = TableCaption(T.Attributes, bottom);
  Next();
  MainLoop(R.CellTerm);
  CloseSection();
  SectionList = R.Outer;
  PopTo(R.TableProps);
  if (Sy() == CaptionEndSy)
    Next();
}

void THtmlParser::DoTableRow(TTableRead& R)
{
  CloseSection();
  SectionList = R.Outer;
  PopTo(R.TableProps);
  if (PushProp("tr", T.Attributes))
    AlignFrom(T.Attributes);
  R.RowProps = PropStack.Count();
  R.RowVAlign = VAlignOf(AttrText(VAlignSy), AMiddle);
  TableRow(&T.Attributes);
  R.RowOpen = true;
  if (R.Cells)
    R.Cells->NewRow();
  Next();
}

void THtmlParser::DoTableCell(TTableRead& R)
{
  CloseSection();
  if (!R.RowOpen) {
    PopTo(R.TableProps);
    R.RowProps = R.TableProps;
    R.RowVAlign = AMiddle;
    TableRow(nullptr);
    R.RowOpen = true;
    if (R.Cells)
      R.Cells->NewRow();
  }
  PopTo(R.RowProps);
  const bool th = Sy() == THSy;
  std::unique_ptr<TAttributeList> cellAttrs = CopyAttributes(T.Attributes);
  PushProp(th ? "th" : "td", *cellAttrs);
  // The column's alignment first, then the cell's own.
  AlignmentType valign = R.RowVAlign;
  if (!Columns.empty()) {
    if (!R.Cells)
      R.Cells = std::make_unique<TCellManager>(static_cast<int32_t>(Columns.size()));
    if (R.Cells->Rows().empty())
      R.Cells->NewRow();
    const TAttribute* cs = cellAttrs->Find(ColSpanSy);
    const TAttribute* rs = cellAttrs->Find(RowSpanSy);
    int32_t colSpan = cs ? cs->Value : 1;
    const int32_t col = R.Cells->FindColumn(colSpan, rs ? rs->Value : 1);
    if (col >= 0 && col < static_cast<int32_t>(Columns.size())) {
      const TColSpec& c = Columns[static_cast<size_t>(col)];
      if (c.Align == "left" || c.Align == "center" || c.Align == "right" || c.Align == "justify")
        Top().SetProperty(TextAlign, c.Align);
      if (!cellAttrs->Find(VAlignSy) && c.VAlignGiven)
        valign = c.VAlign;
    }
    if (cs && cs->Value != colSpan)
      for (const auto& a : *cellAttrs)
        if (a->Which == ColSpanSy)
          a->Value = colSpan;
  }
  AlignFrom(*cellAttrs);
  if (PropString(Top().Props[TextAlign]) == "none") {
    Top().Props[TextAlign] = std::string(th ? "center" : "left");
    Top().Originals[TextAlign] = true;
  }
  valign = VAlignOf(AttrText(VAlignSy), valign);
  SectionList = TableCell(*cellAttrs, valign);
  NoBreak = cellAttrs->Find(NoWrapSy) && !cellAttrs->Find(WidthSy);
  Next();
  MainLoop(R.CellTerm);
  CloseSection();
  SectionList = R.Outer;
  NoBreak = R.SavedNoBreak;
}

}   // namespace

// ---- entry points ----

void ParseHTMLDocument(const std::string& Doc, TSectionList& SectionList, THtmlParseContext& Context)
{
  THtmlParser parser(SectionList, &Context);
  parser.ParseHTML(Doc);
}

void ParsePlainText(const std::string& Doc, TSectionList& SectionList)
{
  THtmlParser parser(SectionList, nullptr);
  parser.ParseText(Doc);
}
