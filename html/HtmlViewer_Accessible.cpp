// The page as a screen reader reads it. The paint panel stands as a document whose text is
// the page's words; its children, in the order they stand on the page, are the links (each
// named by its words, else by its picture's alternative text or title, and a picture alone
// by the words that follow it in its paragraph), then the page's form fields and panels as
// the controls they are. A link's action follows it as a click does. The scroll bars are
// named after what they scroll.
#include <algorithm>
#include <cctype>

#include "html/HtmlViewer.h"
#include "platform/Accessible.h"
#include "platform/CodePages.h"
#include "platform/FormCtrls.h"

namespace {

// Where a run's characters end in its section.
int32_t RunEnd(const TFontObj& Run)
{
  const TSection& s = *Run.Section;
  const auto size = static_cast<int32_t>(s.BuffS.size());
  return std::min(Run.Pos + s.Fonts.GetFontCountAt(Run.Pos, s.Len), size);
}

// The words of characters [From, To) of a section as a reader hears them: a picture gives
// its alternative text, breaks and runs of spaces one space.
std::u16string Words(const TSection& S, int32_t From, int32_t To)
{
  std::u16string out;
  auto space = [&] {
    if (!out.empty() && out.back() != u' ')
      out += u' ';
  };
  for (int32_t i = std::max(From, 0); i < To && i < static_cast<int32_t>(S.BuffS.size()); ++i) {
    const char16_t c = S.BuffS[static_cast<size_t>(i)];
    if (c == ImgPan) {
      if (const TFloatingObj* o = S.Images.FindImage(i); o && !o->Alt.empty()) {
        space();
        out += AnsiToWide(o->Alt);
        space();
      }
    } else if (c == u' ' || c == 0xA0 || c == BrkCh || c == FmCtl || c == u'\t' || c == u'\n') {
      space();
    } else if (c >= u' ') {
      out += c;
    }
  }
  while (!out.empty() && out.back() == u' ')
    out.pop_back();
  return out;
}

// The runs of the link with that number, in the order they stand.
std::vector<TFontObj*> RunsOf(const TSectionList& Doc, int32_t ID)
{
  std::vector<TFontObj*> runs;
  for (TFontObj* f : Doc.LinkList)
    if (f->LinkID() == ID && f->IsLink() && f->Section)
      runs.push_back(f);
  return runs;
}

// The words from the end of a run to the next link of its section (or the section's end).
std::u16string WordsAfter(const TSectionList& Doc, const TFontObj& Run)
{
  const TSection& s = *Run.Section;
  int32_t stop = static_cast<int32_t>(s.BuffS.size());
  for (const TFontObj* f : Doc.LinkList)
    if (f->Section == &s && f->Pos > Run.Pos && f->LinkID() != Run.LinkID())
      stop = std::min(stop, f->Pos);
  return Words(s, RunEnd(Run), stop);
}

std::u16string LinkName(const TSectionList& Doc, int32_t ID)
{
  const std::vector<TFontObj*> runs = RunsOf(Doc, ID);
  std::u16string name;
  for (const TFontObj* f : runs) {
    std::u16string w = Words(*f->Section, f->Pos, RunEnd(*f));
    if (!w.empty() && !name.empty())
      name += u' ';
    name += w;
  }
  if (name.empty() && !runs.empty())
    name = AnsiToWide(runs.front()->Title);
  if (name.empty() && !runs.empty())
    name = WordsAfter(Doc, *runs.back());
  return name;
}

// The rectangle of characters [From, To) of a line, in the paint panel, as last laid out
// and drawn; From and To lie in the line.
TRect LineBox(const TSectionList& Doc, const TSection& S, const LineRec& L, int32_t From, int32_t To)
{
  const std::vector<int32_t> off = S.LineOffsets(FontMeasureCanvas(), L);
  const int32_t x0 = S.DrawOriginX + L.LineIndent;
  const int32_t top = L.DrawY - Doc.YOff;
  return {x0 + off[static_cast<size_t>(From - L.Start)], top, x0 + off[static_cast<size_t>(To - L.Start)],
          top + L.SpaceBefore + L.LineHt + L.SpaceAfter};
}

// The screen rectangle round a link's characters, as they were last laid out and drawn.
TRect LinkRect(const TSectionList& Doc, int32_t ID, TControl& Panel)
{
  TRect box{};
  bool any = false;
  auto add = [&](const TRect& r) {
    box = any ? TRect{std::min(box.Left, r.Left), std::min(box.Top, r.Top), std::max(box.Right, r.Right),
                      std::max(box.Bottom, r.Bottom)}
              : r;
    any = true;
  };
  for (const TFontObj* f : RunsOf(Doc, ID)) {
    const TSection& s = *f->Section;
    const int32_t a = f->Pos, b = RunEnd(*f);
    for (const LineRec* L : s.Lines) {
      const int32_t from = std::max(a, L->Start), to = std::min(b, L->Start + L->Ln);
      if (from >= to)
        continue;
      add(LineBox(Doc, s, *L, from, to));
    }
  }
  if (!any)
    return {};
  TPoint o = Panel.ClientToScreen({0, 0});
  return {box.Left + o.X, box.Top + o.Y, box.Right + o.X, box.Bottom + o.Y};
}

// The paragraphs of the document, in document order.
// A table stands in the page's list as one place: its cells' paragraphs (a picture's caption
// in a floating table among them) are read from the cells.
void AddParagraphs(const std::vector<TSectionBase*>& List, std::vector<TSection*>& Out)
{
  for (TSectionBase* b : List) {
    if (auto* s = dynamic_cast<TSection*>(b)) {
      Out.push_back(s);
    } else if (auto* t = dynamic_cast<ThtmlTable*>(b)) {
      std::vector<TSectionBase*> inner;
      if (t->Caption && t->Caption->Cell)
        t->Caption->Cell->AddToPositionList(inner);
      for (int r = 0; r < t->Rows.Count(); ++r)
        if (const TCellList* row = t->Rows[r])
          for (int c = 0; c < row->Count(); ++c)
            if (const TCellObj* cell = (*row)[c]; cell && cell->Cell)
              cell->Cell->AddToPositionList(inner);
      AddParagraphs(inner, Out);
    }
  }
}

std::vector<TSection*> Paragraphs(const TSectionList& Doc)
{
  std::vector<TSection*> out;
  AddParagraphs(Doc.PositionList, out);
  return out;
}

// Whether character Pos of a section lies in a link's run.
bool InLink(const TSectionList& Doc, const TSection& S, int32_t Pos)
{
  for (const TFontObj* f : Doc.LinkList)
    if (f->Section == &S && f->IsLink() && Pos >= f->Pos && Pos < RunEnd(*f))
      return true;
  return false;
}

// A picture outside any link, read by its alternative text.
class TImageNode : public TAccessibleNode {
public:
  TImageNode(THTMLViewer* Viewer, TFloatingObj* Image, int32_t Number) : FViewer(Viewer), FImage(Image), FNumber(Number)
  {}
  bool Valid() override
  {
    for (TSection* s : Paragraphs(FViewer->SectionList()))
      for (int i = 0; i < s->Images.Count(); ++i)
        if (s->Images[i] == FImage)
          return true;
    return false;
  }
  std::u16string Name() override { return AnsiToWide(FImage->Alt.empty() ? FImage->Title : FImage->Alt); }
  int32_t Role() override { return ROLE_SYSTEM_GRAPHIC; }
  uint32_t State() override { return STATE_SYSTEM_READONLY; }
  TRect ScreenRect() override
  {
    const TPoint o = FViewer->PaintPanel()->ClientToScreen({0, 0});
    const int32_t top = FImage->DrawYY - FViewer->SectionList().YOff;
    return Bounds(o.X + FImage->DrawXX, o.Y + top, FImage->ImageWidth, FImage->ImageHeight);
  }
  const void* Identity() override { return &FViewer->SectionList(); }
  int32_t Part() override { return -1 - FNumber; }

private:
  THTMLViewer* FViewer;
  TFloatingObj* FImage;
  int32_t FNumber;
};

// The words that label a field: those just before it in its paragraph, back to the
// paragraph's start or the field, picture or link before; a check box or radio button goes
// by the words after it instead, up to what follows.
std::u16string FieldLabel(const TSectionList& Doc, const TSection& S, int32_t DocPos, bool After)
{
  const int32_t at = DocPos - S.StartCurs;
  if (at < 0 || at >= static_cast<int32_t>(S.BuffS.size()) || S.BuffS[static_cast<size_t>(at)] != FmCtl)
    return {};
  auto stop = [&](int32_t i) {
    const char16_t c = S.BuffS[static_cast<size_t>(i)];
    return c == FmCtl || c == ImgPan || InLink(Doc, S, i);
  };
  int32_t from = at + 1, to = at + 1;
  if (After) {
    while (to < static_cast<int32_t>(S.BuffS.size()) && !stop(to))
      ++to;
  } else {
    from = at;
    while (from > 0 && !stop(from - 1))
      --from;
    to = at;
  }
  std::u16string w = Words(S, from, to);
  while (!w.empty() && (w.back() == u':' || w.back() == u' '))
    w.pop_back();
  return w;
}

class TLinkNode : public TAccessibleNode {
public:
  TLinkNode(THTMLViewer* Viewer, int32_t ID) : FViewer(Viewer), FID(ID) {}
  bool Valid() override { return !RunsOf(Doc(), FID).empty(); }
  std::u16string Name() override { return LinkName(Doc(), FID); }
  // Where it leads, as far as a reader can make sense of it: its title, else the page or
  // address it names; the host's own codes (a category's number, a picture to enlarge) say
  // nothing to a listener and are left out.
  std::u16string Description() override
  {
    const std::vector<TFontObj*> runs = RunsOf(Doc(), FID);
    if (runs.empty())
      return {};
    if (!runs.front()->Title.empty())
      return AnsiToWide(runs.front()->Title);
    const std::string url = runs.front()->GetURL();
    const bool readable = !url.empty() && std::isalpha(static_cast<unsigned char>(url.front()));
    return readable ? AnsiToWide(url) : std::u16string();
  }
  int32_t Role() override { return ROLE_SYSTEM_LINK; }
  uint32_t State() override
  {
    uint32_t s = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED;
    for (const TFontObj* f : RunsOf(Doc(), FID)) {
      s |= f->Visited ? STATE_SYSTEM_TRAVERSED : 0;
      s |= f->Hover ? STATE_SYSTEM_HOTTRACKED : 0;
    }
    if (Doc().FocusLinkID == FID && (FViewer->Focused() || FViewer->PaintPanel()->Focused()))
      s |= STATE_SYSTEM_FOCUSED;
    return s;
  }
  TRect ScreenRect() override { return LinkRect(Doc(), FID, *FViewer->PaintPanel()); }
  std::u16string DefaultAction() override { return u"Jump"; }
  bool DoDefaultAction() override { return FViewer->FollowLinkNumber(FID); }
  // Its words are its text, as a browser's link holds them.
  bool GetText(TAccessibleText& Text) override
  {
    Text.Text = Name();
    return true;
  }
  const void* Identity() override { return &Doc(); }
  int32_t Part() override { return FID; }

private:
  const TSectionList& Doc() const { return FViewer->SectionList(); }
  THTMLViewer* FViewer;
  int32_t FID;
};

// The page: a document of the page's words, its links and its placed controls.
class TPageNode : public TAccessibleNode {
public:
  explicit TPageNode(THTMLViewer* Viewer) : FViewer(Viewer) { CollectChildren(); }
  bool Valid() override { return true; }
  // The document goes by its title; what the pane is for describes it (and names it while
  // the page has no title).
  std::u16string Name() override
  {
    if (!FViewer->Title().empty())
      return FViewer->Title();
    return AnsiToWide(FViewer->AccessibleName());
  }
  std::u16string Description() override
  {
    return FViewer->Title().empty() ? std::u16string() : AnsiToWide(FViewer->AccessibleName());
  }
  int32_t Role() override { return ROLE_SYSTEM_DOCUMENT; }
  uint32_t State() override
  {
    uint32_t s = STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE;
    return s | (FViewer->Focused() || FViewer->PaintPanel()->Focused() ? STATE_SYSTEM_FOCUSED : 0);
  }
  TRect ScreenRect() override
  {
    TControl* p = FViewer->PaintPanel();
    TPoint o = p->ClientToScreen({0, 0});
    return Bounds(o.X, o.Y, p->Width(), p->Height());
  }
  int ChildCount() override { return static_cast<int>(FChildren.size()); }
  std::shared_ptr<TAccessibleNode> Child(int Index) override
  {
    if (Index < 0 || Index >= ChildCount())
      return nullptr;
    const TChild& c = FChildren[static_cast<size_t>(Index)];
    if (c.Control)
      return AccessibleControlNode(c.Control);
    if (c.Image)
      return std::make_shared<TImageNode>(FViewer, c.Image, c.ImageNumber);
    return std::make_shared<TLinkNode>(FViewer, c.LinkID);
  }
  const void* Identity() override { return FViewer; }
  // The number of the link that child is (0: it is no link).
  int32_t LinkAt(int Index) const
  {
    return Index >= 0 && Index < static_cast<int>(FChildren.size()) ? FChildren[static_cast<size_t>(Index)].LinkID : 0;
  }
  bool GetText(TAccessibleText& Text) override
  {
    Text.Text = FViewer->PageText(&Text.SelStart, &Text.SelEnd);
    Text.Caret = FViewer->PageCaret();
    return true;
  }
  TRect CharacterRect(int32_t Offset) override { return FViewer->PageCharRect(Offset); }
  int32_t OffsetAtPoint(TPoint Screen) override { return FViewer->PageOffsetAt(Screen); }
  bool LineAt(int32_t Offset, int32_t& Start, int32_t& End) override { return FViewer->PageLineAt(Offset, Start, End); }
  void SetCaret(int32_t Offset) override { FViewer->PageSetCaret(Offset); }

private:
  struct TChild {
    int32_t Pos = 0;
    int32_t LinkID = 0;
    TControl* Control = nullptr;
    TFloatingObj* Image = nullptr;
    int32_t ImageNumber = 0;
  };
  void CollectChildren()
  {
    const TSectionList& doc = FViewer->SectionList();
    std::vector<int32_t> seen;
    for (const TFontObj* f : doc.LinkList) {
      if (!f->IsLink() || !f->Section || f->Section->LineTopAt(f->Pos) < 0)
        continue;
      if (std::find(seen.begin(), seen.end(), f->LinkID()) != seen.end())
        continue;
      seen.push_back(f->LinkID());
      FChildren.push_back({f->Section->StartCurs + f->Pos, f->LinkID(), nullptr});
    }
    for (TFormControlObj* c : doc.FormControlList)
      if (c->TheControl && !c->IsHidden()) {
        // A field goes by the words that label it on the page, unless it says what it is
        // itself; a box by its name there only when the page gives it no words (a list
        // shows its choice, and goes unnamed as a browser leaves it). (A radio button
        // stands on a panel of its own: the button is the field.)
        TWinControl* field = c->GetControl() ? c->GetControl() : c->TheControl.get();
        if (field->AccessibleName().empty() && field->Caption().empty()) {
          const bool mark = dynamic_cast<TMarkControl*>(field) != nullptr;
          // (The field's own paragraph: a search of them all for each field would cost a page
          // of thousands the square of their number.)
          const int32_t pos = c->DocumentPos();
          std::u16string label = pos >= 0 && c->Section ? FieldLabel(doc, *c->Section, pos, mark) : std::u16string();
          if (mark && label.empty() && pos >= 0 && c->Section)
            label = FieldLabel(doc, *c->Section, pos, false);
          if (!label.empty())
            field->SetAccessibleName(WideToAnsi(label));
          else if (!c->Name.empty() && !dynamic_cast<TComboBox*>(field) && !dynamic_cast<TListBox*>(field))
            field->SetAccessibleName(c->Name);
        }
        FChildren.push_back({c->DocumentPos() >= 0 ? c->DocumentPos() : INT32_MAX, 0, c->TheControl.get()});
      }
    // Pictures outside links, by their alternative text (a link's picture names its link).
    int32_t images = 0;
    for (TSection* s : Paragraphs(doc))
      for (int i = 0; i < s->Images.Count(); ++i) {
        TFloatingObj* o = s->Images[i];
        if (dynamic_cast<TImageObj*>(o) && (!o->Alt.empty() || !o->Title.empty()) && !InLink(doc, *s, o->Pos))
          FChildren.push_back({s->StartCurs + o->Pos, 0, nullptr, o, images++});
      }
    for (TFloatingObj* o : doc.PanelList)
      if (auto* p = dynamic_cast<TPanelObj*>(o); p && p->Panel)
        FChildren.push_back({INT32_MAX, 0, p->Panel.get()});
    std::stable_sort(FChildren.begin(), FChildren.end(),
                     [](const TChild& a, const TChild& b) { return a.Pos < b.Pos; });
  }
  THTMLViewer* FViewer;
  std::vector<TChild> FChildren;
};

// The words of the selected part of the page as a reader gets them: a copy's line ends,
// with lines broken by "\n" alone as a text browser's are (a "\r" would take the box of the
// letter before it).
std::u16string ReaderText(TSectionList& Doc)
{
  std::u16string text = Doc.GetSelText();
  std::erase(text, u'\r');
  return text;
}

}   // namespace

// The page's words as readers get them, with where each paragraph's words start, found once
// for the page as laid out.
struct THTMLViewer::TReaderText {
  int32_t Cycle = -1, Len = -1;
  std::u16string Text;
  std::vector<TSection*> Paragraphs;   // those with words, by their place in the page
  std::vector<int32_t> Starts;         // where each one's words start in Text
  // The page's node, as laid out then.
  std::shared_ptr<TAccessibleNode> Page;
  int32_t PageCycle = -1, PageLen = -1;
};

void THTMLViewer::ExposeToReaders()
{
  FVScrollBar->SetAccessibleName("Vertical scroll bar");
  FHScrollBar->SetAccessibleName("Horizontal scroll bar");
  SetAccessibleRoot(FPaintPanel, [this] { return ReaderPage(); });
}

// A reader going through a page of thousands of links or fields asks for each.
std::shared_ptr<TAccessibleNode> THTMLViewer::ReaderPage()
{
  if (!FReaderText)
    FReaderText = std::make_shared<TReaderText>();
  TReaderText& kept = *FReaderText;
  if (!kept.Page || kept.PageCycle != FSectionList->CycleNumber || kept.PageLen != FSectionList->Len) {
    kept.Page = std::make_shared<TPageNode>(this);
    kept.PageCycle = FSectionList->CycleNumber;
    kept.PageLen = FSectionList->Len;
  }
  return kept.Page;
}

void THTMLViewer::HideFromReaders() { SetAccessibleRoot(FPaintPanel, {}); }

void THTMLViewer::LoadSamePage(const std::string& S)
{
  KeepingFocusedLink([&] { LoadFromString(S); });
}

void THTMLViewer::KeepingFocusedLink(const std::function<void()>& Load)
{
  // Where it leads, and which of the links that lead there it is: a page may link to one
  // place twice.
  FKeepLinkTo = FocusedLinkURL();
  FKeepLinkOrdinal = 0;
  for (const TFontObj* f : FSectionList->TabLinks()) {
    if (f->LinkID() == FSectionList->FocusLinkID)
      break;
    FKeepLinkOrdinal += f->GetURL() == FKeepLinkTo ? 1 : 0;
  }
  // (A load that fails keeps nothing for the next one.)
  struct TForget {
    std::string& Kept;
    ~TForget() { Kept.clear(); }
  } forget{FKeepLinkTo};
  Load();
}

void THTMLViewer::AnnounceNewDocument()
{
  FReaderText.reset();
  // The same page laid out anew: the link the keyboard was on keeps the focus.
  const bool focused = Focused() || FPaintPanel->Focused();
  const TFontObj* kept = nullptr;
  if (!FKeepLinkTo.empty() && focused) {
    int32_t ordinal = FKeepLinkOrdinal;
    for (const TFontObj* f : FSectionList->TabLinks())
      if (f->GetURL() == FKeepLinkTo && ordinal-- == 0) {
        kept = f;
        break;
      }
  }
  // The objects readers hold for the old page's links go with it: the next page numbers its
  // links again from the start, and an object found by its number would read another link.
  if (FPaintPanel->AccessibleRoot()) {
    ExposeToReaders();
    NotifyAccessible(FPaintPanel, TAccessibleEvent::NameChange);
    NotifyAccessible(FPaintPanel, TAccessibleEvent::DocumentLoad);
  }
  if (kept) {
    // (Heard as the focus that stayed on it, with the caret there.)
    FocusLink(*kept);
    return;
  }
  // A focused link went with its page: the reader's focus is on the new document.
  if (FPaintPanel->AccessibleRoot() && focused)
    NotifyAccessible(FPaintPanel, TAccessibleEvent::Focus);
}

void THTMLViewer::AnnounceRenamed()
{
  if (!FPaintPanel->AccessibleRoot())
    return;
  NotifyAccessible(FPaintPanel, TAccessibleEvent::NameChange);
  if (Focused() || FPaintPanel->Focused())
    NotifyAccessible(FPaintPanel, TAccessibleEvent::Focus);
}

void THTMLViewer::AnnounceFocusedLink()
{
  const std::shared_ptr<TAccessibleNode> kept = ReaderPage();
  auto& page = static_cast<TPageNode&>(*kept);
  for (int i = 0, n = page.ChildCount(); i < n; ++i)
    if (page.LinkAt(i) == FSectionList->FocusLinkID) {
      NotifyAccessible(FPaintPanel, TAccessibleEvent::Focus, {i});
      // Reading goes on from the link, as in a browser whose caret Tab moves there.
      NotifyAccessibleChange(FPaintPanel, TAccessibleChange::Caret);
      return;
    }
}

namespace {

// The offsets of the page's words are those of a copy of the page: the words of the page up
// to a place are as long as a copy up to there. The page is copied once while it stays laid
// out as it is; after that a query copies a paragraph or two, never the page.
class TPageOffsets {
public:
  TPageOffsets(TSectionList& Doc, std::shared_ptr<THTMLViewer::TReaderText>& Kept, int64_t& Copied)
      : FDoc(Doc), FKept(Kept ? *Kept : *(Kept = std::make_shared<THTMLViewer::TReaderText>())), FCopied(Copied),
        FSelB(Doc.SelB), FSelE(Doc.SelE)
  {
    if (FKept.Cycle != Doc.CycleNumber || FKept.Len != Doc.Len)
      Find();
  }
  ~TPageOffsets()
  {
    FDoc.SelB = FSelB;
    FDoc.SelE = FSelE;
  }
  TPageOffsets(const TPageOffsets&) = delete;
  TPageOffsets& operator=(const TPageOffsets&) = delete;

  const std::u16string& Text() const { return FKept.Text; }
  // The length of the words of a paragraph's first K characters: measured back from its end
  // (a copy that stops inside it ends with line ends of the blocks it stands in).
  int32_t Within(const TSection& S, int32_t K)
  {
    const int32_t end = S.StartCurs + S.OwnLen;
    return K <= 0 ? 0 : Length(S.StartCurs, end) - Length(S.StartCurs + K, end);
  }
  // The paragraph the offset falls in, with the offset of its first character; nullptr
  // before the first.
  TSection* ParagraphAt(int32_t Offset, int32_t& Start) const
  {
    const auto at = std::upper_bound(FKept.Starts.begin(), FKept.Starts.end(), Offset);
    if (at == FKept.Starts.begin())
      return nullptr;
    const auto k = static_cast<size_t>(at - FKept.Starts.begin() - 1);
    Start = FKept.Starts[k];
    return FKept.Paragraphs[k];
  }
  // Where the words of the paragraph after the one whose words start there begin (the end of
  // the words after the last).
  int32_t NextStart(int32_t Start) const
  {
    const auto at = std::upper_bound(FKept.Starts.begin(), FKept.Starts.end(), Start);
    return at == FKept.Starts.end() ? static_cast<int32_t>(FKept.Text.size()) : *at;
  }
  // The first paragraph whose words start at or after the offset; nullptr: none.
  TSection* ParagraphFrom(int32_t Offset) const
  {
    const auto at = std::lower_bound(FKept.Starts.begin(), FKept.Starts.end(), Offset);
    return at == FKept.Starts.end() ? nullptr : FKept.Paragraphs[static_cast<size_t>(at - FKept.Starts.begin())];
  }
  // The offset of the words at a place of the page: in a paragraph, its character's; between
  // paragraphs, the next one's start.
  int32_t OffsetOf(int32_t DocPos)
  {
    const std::vector<TSection*>& list = FKept.Paragraphs;
    const auto next = std::partition_point(list.begin(), list.end(),
                                           [&](const TSection* s) { return s->StartCurs + s->OwnLen <= DocPos; });
    if (next == list.end())
      return static_cast<int32_t>(FKept.Text.size());
    const size_t k = static_cast<size_t>(next - list.begin());
    return FKept.Starts[k] + Within(**next, DocPos - (*next)->StartCurs);
  }
  const std::vector<TSection*>& ParagraphList() const { return FKept.Paragraphs; }

private:
  int32_t Length(int32_t From, int32_t To) { return static_cast<int32_t>(Copy(From, To).size()); }
  std::u16string Copy(int32_t From, int32_t To)
  {
    FDoc.SelB = From;
    FDoc.SelE = To;
    std::u16string text = ReaderText(FDoc);
    FCopied += static_cast<int64_t>(text.size());
    return text;
  }
  // A paragraph's words start where the page's words before it end: a copy from the start of
  // the one before up to its end, less a copy of it alone, is what lies between the two
  // starts (both copies end with the same line ends of the blocks it stands in).
  void Find()
  {
    FKept = {};
    for (TSection* s : Paragraphs(FDoc))
      if (s->OwnLen > 0)
        FKept.Paragraphs.push_back(s);
    std::stable_sort(FKept.Paragraphs.begin(), FKept.Paragraphs.end(),
                     [](const TSection* a, const TSection* b) { return a->StartCurs < b->StartCurs; });
    FKept.Text = Copy(0, FDoc.Len);
    const TSection* before = nullptr;
    for (const TSection* s : FKept.Paragraphs) {
      const int32_t end = s->StartCurs + s->OwnLen;
      const int32_t from = before ? before->StartCurs : 0;
      FKept.Starts.push_back((before ? FKept.Starts.back() : 0) + Length(from, end) - Length(s->StartCurs, end));
      before = s;
    }
    FKept.Cycle = FDoc.CycleNumber;
    FKept.Len = FDoc.Len;
  }

  TSectionList& FDoc;
  THTMLViewer::TReaderText& FKept;
  int64_t& FCopied;
  const int32_t FSelB, FSelE;
};

}   // namespace

std::u16string THTMLViewer::PageText(int32_t* SelStart, int32_t* SelEnd)
{
  // The selection's ends are where its first and last places stand in the words.
  const int32_t b = FSectionList->SelB, e = FSectionList->SelE;
  TPageOffsets offsets(*FSectionList, FReaderText, FReaderCopied);
  if (SelStart && SelEnd) {
    *SelStart = *SelEnd = 0;
    if (e > b) {
      *SelStart = offsets.OffsetOf(b);
      *SelEnd = std::max(*SelStart, offsets.OffsetOf(e));
    }
  }
  return offsets.Text();
}

namespace {

// The paragraph whose words hold the character at the offset, with where its words start
// and the character's place in it (past characters a copy leaves out); nullptr where the
// offset stands between paragraphs or past the words.
TSection* PlaceOf(TPageOffsets& Offsets, int32_t Offset, int32_t& Start, int32_t& Index)
{
  TSection* s = Offset >= 0 ? Offsets.ParagraphAt(Offset, Start) : nullptr;
  if (!s || Offset - Start >= Offsets.Within(*s, s->OwnLen))
    return nullptr;
  int32_t lo = 0, hi = s->OwnLen - 1;
  while (lo < hi) {
    const int32_t mid = (lo + hi + 1) / 2;
    if (Start + Offsets.Within(*s, mid) <= Offset)
      lo = mid;
    else
      hi = mid - 1;
  }
  Index = lo;
  return s;
}

const LineRec* LineOf(const TSection& S, int32_t Index)
{
  for (const auto& L : S.Lines)
    if (Index >= L->Start && Index < L->Start + L->Ln)
      return L;
  return nullptr;
}

}   // namespace

TRect THTMLViewer::PageCharRect(int32_t Offset)
{
  if (!FSectionList)
    return {};
  TPageOffsets offsets(*FSectionList, FReaderText, FReaderCopied);
  int32_t start = 0, k = 0;
  TSection* s = PlaceOf(offsets, Offset, start, k);
  const LineRec* L = s ? LineOf(*s, k) : nullptr;
  if (!L)
    return {};
  const TRect r = LineBox(*FSectionList, *s, *L, k, k + 1);
  const TPoint o = FPaintPanel->ClientToScreen({0, 0});
  return {r.Left + o.X, r.Top + o.Y, r.Right + o.X, r.Bottom + o.Y};
}

bool THTMLViewer::PageLineAt(int32_t Offset, int32_t& Start, int32_t& End)
{
  if (!FSectionList)
    return false;
  TPageOffsets offsets(*FSectionList, FReaderText, FReaderCopied);
  const auto n = static_cast<int32_t>(offsets.Text().size());
  if (Offset < 0 || Offset > n)
    return false;
  int32_t start = 0, k = 0;
  TSection* s = PlaceOf(offsets, Offset, start, k);
  if (const LineRec* L = s ? LineOf(*s, k) : nullptr) {
    // A line ends where the next one of its paragraph starts, the last one where the
    // paragraph's words end (before the next paragraph's, which a line break may begin).
    const LineRec* next = nullptr;
    for (int i = 0; i + 1 < s->Lines.Count(); ++i)
      if (s->Lines[i] == L)
        next = s->Lines[i + 1];
    Start = start + offsets.Within(*s, L->Start);
    End = std::min(start + offsets.Within(*s, next ? next->Start : s->OwnLen), offsets.NextStart(start));
    if (Start <= Offset && Offset < End)
      return true;
  }
  // A line end between paragraphs (or the end of the words) is a line of its own.
  Start = Offset;
  End = std::min(Offset + 1, n);
  return true;
}

void THTMLViewer::PageSetCaret(int32_t Offset)
{
  if (!FSectionList || Offset < 0)
    return;
  int32_t pos = FSectionList->Len, top = -1;
  {
    TPageOffsets offsets(*FSectionList, FReaderText, FReaderCopied);
    int32_t start = 0, k = 0;
    if (TSection* s = PlaceOf(offsets, Offset, start, k)) {
      pos = s->StartCurs + k;
      top = s->LineTopAt(k);
    } else {
      // Between paragraphs: the start of the next one.
      if (TSection* next = offsets.ParagraphFrom(Offset)) {
        pos = next->StartCurs;
        top = next->LineTopAt(0);
      }
    }
  }
  // The caret leaves a focused link, as a click beside it does; the page follows it where it
  // would leave the view.
  DropLinkFocus();
  FCaretPos = pos;
  const int32_t y = FSectionList->YOff, ph = PanelHeight();
  if (top >= 0 && (top < y || top > y + ph - 30))
    ScrollTo(top - ph / 3);
  NotifyAccessibleChange(FPaintPanel, TAccessibleChange::Caret);
}

int32_t THTMLViewer::PageCaret()
{
  if (!FSectionList)
    return 0;
  TPageOffsets offsets(*FSectionList, FReaderText, FReaderCopied);
  if (FSectionList->FocusLinkID > 0) {
    const std::vector<TFontObj*> runs = RunsOf(*FSectionList, FSectionList->FocusLinkID);
    if (!runs.empty() && runs.front()->Section)
      return offsets.OffsetOf(runs.front()->Section->StartCurs + runs.front()->Pos);
  }
  return FCaretPos > 0 ? offsets.OffsetOf(FCaretPos) : 0;
}

bool THTMLViewer::CaretToName(const std::string& Name)
{
  TIDObject* place = FSectionList->IDNameList ? FSectionList->IDNameList->Find(UpperCase(Name)) : nullptr;
  if (auto* at = dynamic_cast<TChPosObj*>(place))
    FCaretPos = at->ChPos;
  else if (auto* section = dynamic_cast<TSectionBase*>(place))
    FCaretPos = section->StartCurs;
  else
    return false;
  return true;
}

int32_t THTMLViewer::PageOffsetAt(TPoint Screen)
{
  if (!FSectionList)
    return -1;
  const TPoint p = FPaintPanel->ScreenToClient(Screen);
  TPageOffsets offsets(*FSectionList, FReaderText, FReaderCopied);
  for (TSection* s : offsets.ParagraphList())
    for (const auto& L : s->Lines) {
      // (Lines above or below the point are passed by without measuring their characters.)
      const int32_t top = L->DrawY - FSectionList->YOff;
      if (L->Ln <= 0 || p.Y < top || p.Y >= top + L->SpaceBefore + L->LineHt + L->SpaceAfter)
        continue;
      const TRect line = LineBox(*FSectionList, *s, *L, L->Start, L->Start + L->Ln);
      if (p.X < line.Left || p.X >= line.Right)
        continue;
      for (int32_t k = L->Start; k < L->Start + L->Ln; ++k)
        if (p.X < LineBox(*FSectionList, *s, *L, k, k + 1).Right)
          return offsets.OffsetOf(s->StartCurs + k);
    }
  return -1;
}

bool THTMLViewer::FollowLinkNumber(int32_t ID)
{
  const std::vector<TFontObj*> runs = RunsOf(*FSectionList, ID);
  if (runs.empty() || FProcessing)
    return false;
  URL = runs.front()->UrlTarget->URL;
  Target = runs.front()->UrlTarget->Target;
  FLinkClicked = true;
  // (Following may replace the document and the runs with it.)
  FollowLink();
  return true;
}
