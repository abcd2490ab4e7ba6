// Text sections: building a paragraph, breaking it into lines around floats, drawing the
// lines with the selection, and mapping between points, positions and source positions.
#include <algorithm>

#include "html/Document.h"

namespace {

bool IsMarker(char16_t C) { return C == FmCtl || C == ImgPan || C == BrkCh; }

bool IsWide(char16_t C) { return C >= 0x3000; }

int32_t LineTotal(const LineRec& L) { return L.SpaceBefore + L.LineHt + L.SpaceAfter; }

TColor Complement(TColor C) { return ColorToRGB(C) ^ 0xFFFFFF; }

// The source position of character Pos.
int32_t SourceIndexAt(const TIndexList& L, int32_t Pos)
{
  size_t j = 0;
  while (j + 1 < L.size() && L[j + 1].Pos <= Pos)
    ++j;
  return L[j].Index + (Pos - L[j].Pos);
}

// Character Pos (the next one) comes from source position Index.
void AddSourceIndex(TIndexList& L, int32_t Pos, int32_t Index)
{
  if (L.empty() || Index != L.back().Index + (Pos - L.back().Pos))
    L.push_back(IndexObj{Pos, Index});
}

}   // namespace

// Where a named character position's line begins (for jumps to anchors).
int32_t DocumentLineTop(TSectionList* List, int32_t ChPos)
{
  int32_t x = 0, y = 0;
  if (List && List->CursorToXY(FontMeasureCanvas(), ChPos, x, y))
    return y;
  return 0;
}

// ---- building ----

TSection::TSection(TSectionList* AMasterList, TAttributeList* L, TProperties& Prop, const TUrlTarget* AnURL)
    : TSectionBase(AMasterList)
{
  ChangeFont(Prop, AnURL);
  const std::string& lh = PropString(Prop.Props[::LineHeight]);
  if (!lh.empty() && lh != "normal")
    LineHeight = Prop.GetLineHeight(Fonts.First()->FontHeight);
  const std::string& indent = PropString(Prop.Props[TextIndent]);
  if (!indent.empty() && indent.back() == '%')
    TextIndentPercent = std::clamp(Prop.GetTextIndent(100), 0, 90);
  else
    FirstLineIndent = Prop.GetTextIndent(0);
  switch (Prop.GetTextAlign()) {
  case Right: Justify = Right; break;
  case Centered: Justify = Centered; break;
  case FullJustify: Justify = FullJustify; break;
  default: Justify = Left; break;
  }
  if (L) {
    if (const TAttribute* c = L->Find(ClearSy)) {
      std::string v = LowerCase(Trim(c->Name));
      ClearAttr = v == "left" ? clrLeft : v == "right" ? clrRight : clrAll;
    }
    std::string id = L->TheID();
    if (!id.empty() && ParentSectionList && ParentSectionList->IDNameList)
      ParentSectionList->IDNameList->AddObject(id, this);
  }
  ClearAttrType c;
  if (Prop.GetClear(c))
    ClearAttr = c;
}

TSection::TSection(TSectionList* AMasterList, const TSection& T) : TSectionBase(AMasterList, T)
{
  SectionNumber = T.SectionNumber;
  BuffS = T.BuffS;
  Brk = T.Brk;
  Fonts.CreateCopy(this, T.Fonts);
  Images.CreateCopy(AMasterList, T.Images);
  FormControls = T.FormControls;
  SIndexList = T.SIndexList;
  OwnLen = T.OwnLen;
  Lines = T.Lines;
  Justify = T.Justify;
  ClearAttr = T.ClearAttr;
  LineHeight = T.LineHeight;
  AvailableWidth = T.AvailableWidth;
  FirstLineIndent = T.FirstLineIndent;
  TextIndentPercent = T.TextIndentPercent;
  Finished = true;
  KeepEmpty = T.KeepEmpty;
  Len = T.Len;
  StartCurs = T.StartCurs;
}

TSection::~TSection()
{
  if (!ParentSectionList)
    return;
  for (const auto& f : Fonts)
    ParentSectionList->Forget(f.get());
  if (ParentSectionList->FreeingFields)
    for (TFormControlObj* c : FormControls)
      if (c->MyForm)
        c->MyForm->FreeControl(c);
}

std::unique_ptr<TSectionBase> TSection::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<TSection>(AMasterList, *this);
}

TFontObj* TSection::FontAt(int32_t I) const
{
  int32_t index;
  return Fonts.GetFontObjAt(I, index);
}

void TSection::AddChar(char16_t C, int32_t Index)
{
  TokenObj t;
  t.AddUnicodeChar(C, Index);
  AddTokenObj(t);
}

void TSection::AddTokenObj(const TokenObj& T)
{
  const std::u16string& s = T.S();
  const std::vector<int32_t>& idx = T.Indices();
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c == 160)
      c = NbSpace;
    else if (!IsMarker(c) && TextTransform == 1)
      c = WideUpCaseChar(c);
    else if (!IsMarker(c) && TextTransform == 2)
      c = WideLowCaseChar(c);
    const int32_t pos = static_cast<int32_t>(BuffS.size());
    BuffS += c;
    Brk += NoBreak ? 'n' : 'y';
    // A character without a source position of its own follows the one before it.
    const int32_t previous = SIndexList.empty() ? -1 : SIndexList.back().Index + (pos - 1 - SIndexList.back().Pos);
    AddSourceIndex(SIndexList, pos, i < idx.size() ? idx[i] : previous + 1);
  }
  Len = static_cast<int32_t>(BuffS.size());
}

void TSection::AllowBreakAtEnd()
{
  if (!Brk.empty())
    Brk.back() = 'y';
}

void TSection::ChangeFont(TProperties& Prop, const TUrlTarget* Link)
{
  const bool isLink = Link && !Link->URL.empty();
  std::shared_ptr<TMyFont> font;
  if (ParentSectionList) {
    font = ParentSectionList->SharedFont(*Prop.GetFont());
  } else {
    font = std::make_shared<TMyFont>();
    font->Assign(*Prop.GetFont());
  }
  TFontObj* run = Fonts.Last();
  const bool wasLink = run && run->Pos == Len && run->IsLink();   // only a link run is in the link list
  if (run && run->Pos == Len) {
    run->ReplaceFont(std::move(font));   // nothing was added since the last change
  } else {
    run = Fonts.Add(std::make_unique<TFontObj>(this, std::move(font), Len));
  }
  run->Title = Prop.PropTitle;
  AlignmentType va;
  run->SScript = Prop.GetVertAlign(va) && (va == ASub || va == ASuper) ? va : 0;
  std::vector<TFontObj*>* links = ParentSectionList ? &ParentSectionList->LinkList : nullptr;
  if (isLink) {
    run->UrlTarget = std::make_unique<TUrlTarget>(*Link);
    if (Prop.FontsSet) {
      run->CreateFIArray();
      *run->FIArray = Prop.FIArray;
    }
    if (links && (!wasLink || std::find(links->rbegin(), links->rend(), run) == links->rend()))
      links->push_back(run);
  } else {
    run->UrlTarget.reset();
    run->FIArray.reset();
    if (links && wasLink)
      std::erase(*links, run);
  }
  TextTransform = Prop.GetTextTransform();
}

TImageObj* TSection::AddImage(TAttributeList& L, TProperties& Prop, int32_t Index)
{
  auto img = std::make_unique<TImageObj>(ParentSectionList, Len, L);
  img->ProcessProperties(Prop);
  return static_cast<TImageObj*>(AddFloatingObj(std::move(img), Index));
}

TFloatingObj* TSection::AddFloatingObj(std::unique_ptr<TFloatingObj> Obj, int32_t Index)
{
  Obj->Pos = Len;
  TFloatingObj* o = Images.Add(std::move(Obj));
  AddChar(ImgPan, Index);
  return o;
}

void TSection::AddFormControlObj(TFormControlObj* Ctrl, int32_t Index)
{
  if (!Ctrl || Ctrl->IsHidden())
    return;
  Ctrl->Pos = Len;
  FormControls.push_back(Ctrl);
  AddChar(FmCtl, Index);
}

void TSection::Compact(const std::vector<bool>& Keep)
{
  if (std::find(Keep.begin(), Keep.end(), false) == Keep.end())
    return;
  // In place: a kept character only ever moves towards the front. Runs, images and
  // controls move with the text; each takes the count of kept characters before it.
  const size_t n = BuffS.size();
  std::vector<int32_t*> positions;
  positions.reserve(static_cast<size_t>(Fonts.Count() + Images.Count()) + FormControls.size());
  for (const auto& f : Fonts)
    positions.push_back(&f->Pos);
  for (const auto& o : Images)
    positions.push_back(&o->Pos);
  for (TFormControlObj* c : FormControls)
    positions.push_back(&c->Pos);
  std::stable_sort(positions.begin(), positions.end(), [](const int32_t* A, const int32_t* B) { return *A < *B; });
  size_t next = 0;
  size_t kept = 0;
  TIndexList indices;
  size_t run = 0;   // the source run of character i
  for (size_t i = 0; i < n; ++i) {
    while (next < positions.size() && *positions[next] <= static_cast<int32_t>(i))
      *positions[next++] = static_cast<int32_t>(kept);
    if (!Keep[i])
      continue;
    while (run + 1 < SIndexList.size() && SIndexList[run + 1].Pos <= static_cast<int32_t>(i))
      ++run;
    const IndexObj& r = SIndexList[run];
    AddSourceIndex(indices, static_cast<int32_t>(kept), r.Index + (static_cast<int32_t>(i) - r.Pos));
    BuffS[kept] = BuffS[i];
    Brk[kept] = Brk[i];
    ++kept;
  }
  for (; next < positions.size(); ++next)
    *positions[next] = static_cast<int32_t>(kept);
  SIndexList = std::move(indices);
  BuffS.resize(kept);
  Brk.resize(kept);
  Fonts.DropEmptyRuns(ParentSectionList);
}

void TSection::Finish()
{
  if (Finished)
    return;
  Finished = true;
  // One pass over the text with the rules applied in this order: leading spaces go; runs of
  // spaces become one; a space after a floating image goes; a space before a break goes,
  // and then one after it. Each rule looks at the text the earlier ones left, which is the
  // text kept so far.
  std::vector<bool> keep;   // made at the first character dropped
  auto drop = [&](size_t K) {
    if (keep.empty())
      keep.assign(BuffS.size(), true);
    keep[K] = false;
  };
  int64_t lastKept = -1;   // index of the last character kept
  for (size_t i = 0; i < BuffS.size(); ++i) {
    const char16_t c = BuffS[i];
    if (c == u' ') {
      bool dropped = lastKept < 0;
      if (!dropped) {
        const char16_t prev = BuffS[static_cast<size_t>(lastKept)];
        if (prev == u' ' || prev == BrkCh) {
          dropped = true;
        } else if (prev == ImgPan) {
          TFloatingObj* o = Images.FindImage(static_cast<int32_t>(lastKept));
          dropped = o && o->Floating();
        }
      }
      if (dropped) {
        drop(i);
        continue;
      }
    } else if (c == BrkCh && lastKept >= 0 && BuffS[static_cast<size_t>(lastKept)] == u' ') {
      drop(static_cast<size_t>(lastKept));   // the space before a break
    }
    lastKept = static_cast<int64_t>(i);
  }
  if (!keep.empty())
    Compact(keep);
  for (size_t i = 0; i < BuffS.size(); ++i)
    if (BuffS[i] == NbSpace) {
      BuffS[i] = u' ';
      Brk[i] = 'n';
    }
  Brk += 'y';
  SIndexList.shrink_to_fit();
  BuffS.shrink_to_fit();
  Brk.shrink_to_fit();
  Len = static_cast<int32_t>(BuffS.size());
  OwnLen = Len;
  if (!BuffS.empty() && ParentSectionList)
    SectionNumber = ++ParentSectionList->SectionCount;
}

bool TSection::JoinBreaks(const TSection& Next)
{
  auto breaksOnly = [](const TSection& S) {
    return S.Finished && S.Len > 0 && !S.IsPreformatted() && S.Images.Count() == 0 && S.FormControls.empty()
           && S.Fonts.Count() == 1
           && !S.Fonts.First()->UrlTarget
           // (what was joined on is breaks already: only the section's own text is looked at)
           && std::all_of(S.BuffS.begin(), S.BuffS.begin() + S.OwnLen, [](char16_t C) { return C == BrkCh; });
  };
  if (&Next == this || Next.ParentSectionList != ParentSectionList || !breaksOnly(*this) || !breaksOnly(Next)
      || Next.KeepEmpty || Next.ClearAttr != clrNone || Next.FirstLineIndent != 0 || Next.TextIndentPercent != 0
      || Next.LineHeight != LineHeight || Next.Justify != Justify)
    return false;
  const TFontObj& a = *Fonts.First();
  const TFontObj& b = *Next.Fonts.First();
  if (!(a.TheFont == b.TheFont || SameFont(*a.TheFont, *b.TheFont)) || a.Title != b.Title || a.SScript != b.SScript
      || a.FontHeight != b.FontHeight || a.Descent != b.Descent)
    return false;
  // Finished text ends in one more break flag than it has characters.
  Brk.resize(static_cast<size_t>(Len));
  Brk += Next.Brk;
  BuffS += Next.BuffS;
  for (size_t i = 0; i < Next.SIndexList.size(); ++i)
    AddSourceIndex(SIndexList, Len + Next.SIndexList[i].Pos, Next.SIndexList[i].Index);
  Len += Next.Len;
  FMinMaxValid = false;
  // The numbering counts what the document holds.
  if (ParentSectionList && Next.SectionNumber > 0 && Next.SectionNumber == ParentSectionList->SectionCount)
    --ParentSectionList->SectionCount;
  return true;
}

// ---- widths and fitting ----

int32_t TSection::InlineObjectWidth(int32_t I) const
{
  if (BuffS[static_cast<size_t>(I)] == ImgPan) {
    TFloatingObj* o = Images.FindImage(I);
    return o && !o->Floating() ? o->ImageWidth + o->HSpaceL + o->HSpaceR : 0;   // floats take no room in the line
  }
  TFormControlObj* f = FormControls.FindControl(I);
  return f ? f->Width + f->HSpaceL + f->HSpaceR : 0;
}

int32_t TSection::FindTextWidth(TCanvas& Canvas, int32_t Start, int32_t N, bool RemoveSpaces) const
{
  Start = std::clamp(Start, 0, Len);
  N = std::clamp(N, 0, Len - Start);
  if (RemoveSpaces)
    while (N > 0
           && (BuffS[static_cast<size_t>(Start + N - 1)] == u' ' || BuffS[static_cast<size_t>(Start + N - 1)] == BrkCh))
      --N;
  const char16_t* text = BuffS.data() + Start;
  if (N > 0 && Fonts.Count() == 1 && Fonts.First()->Pos <= Start
      && std::none_of(text, text + N, [](char16_t C) { return C == ImgPan || C == FmCtl; })) {
    // One run of plain text, as most paragraphs and table cells are: measured at once (or
    // taken from the document's measurements of short texts).
    const TFontObj* f = Fonts.First();
    TSectionList* doc = ParentSectionList;
    const std::u16string_view t(text, static_cast<size_t>(N));
    int32_t w = doc ? doc->KnownTextWidth(Canvas, f->TheFont, t) : -1;
    if (w < 0) {
      Canvas.SetFont(*f->TheFont);
      w = GetXExtent(Canvas, text, N);
      if (doc)
        doc->KeepTextWidth(Canvas, f->TheFont, t, w);
    }
    return w + f->Overhang;
  }
  int32_t w = 0;
  int32_t i = Start;
  const int32_t end = Start + N;
  while (i < end) {
    const char16_t c = BuffS[static_cast<size_t>(i)];
    if (c == ImgPan || c == FmCtl) {
      w += InlineObjectWidth(i);
      ++i;
      continue;
    }
    int32_t n =
        std::min({Fonts.GetFontCountAt(i, Len), Images.GetImageCountAt(i), FormControls.GetControlCountAt(i), end - i});
    n = std::max(n, 1);
    int32_t ohang = 0;
    TFontObj* f = Fonts.GetFontAt(i, ohang);
    if (f)
      Canvas.SetFont(*f->TheFont);
    w += GetXExtent(Canvas, BuffS.data() + i, n) + ohang;
    i += n;
  }
  return w;
}

int32_t TSection::NextBreakChar(int32_t Start, TLayoutState& R) const
{
  if (R.BrkFrom < 0 || Start < R.BrkFrom || Start > R.BrkAt) {
    R.BrkFrom = Start;
    R.BrkAt = Start;
    while (R.BrkAt < Len && BuffS[static_cast<size_t>(R.BrkAt)] != BrkCh)
      ++R.BrkAt;
  }
  return R.BrkAt;
}

bool TSection::TFitState::IsPlaced(const TFloatingObj* F) const { return Run && Run->Placed.count(F) != 0; }

int32_t TSection::FitCount(TCanvas& Canvas, IndentManager& IMgr, int32_t Start, int32_t Max, TFitState& S)
{
  bool brk = false;
  if (const int32_t b = NextBreakChar(Start, *S.Run); b < Start + Max) {
    if (b == Start)
      return 1;   // the break alone
    Max = b - Start;
    brk = true;
  }
  int32_t left = 0, width = 0;
  auto sides = [&]() {
    left = IMgr.LeftSide(S.Y) + (S.FirstLine ? FirstLineIndent : 0);
    width = IMgr.RightSide(S.Y) - left;
  };
  sides();

  if (S.FirstLine && Images.Count() == 0 && FormControls.empty()) {
    // The widest character of any run bounds the line without measuring it.
    int64_t widest = 0;
    for (const auto& f : Fonts)
      widest = std::max<int64_t>(widest, f->tmMaxCharWidth);
    if (widest * Max <= width)
      return Max + (brk ? 1 : 0);
  }

  int32_t used = 0, count = 0;
  bool content = false;
  int32_t i = Start;
  const int32_t end = Start + Max;
  while (i < end) {
    const char16_t c = BuffS[static_cast<size_t>(i)];
    if (c == ImgPan) {
      TFloatingObj* o = Images.FindImage(i);
      if (o && o->Floating()) {
        if (!S.IsPlaced(o)) {
          if (content) {
            S.Queued.push_back(o);   // placed below this line when it closes
          } else {
            const int32_t w = o->ImageWidth + o->HSpaceL + o->HSpaceR;
            const bool fits = w <= width - used;
            if (!fits && IMgr.GetNextWiderY(S.Y) > S.Y)
              break;   // text and float move down together
            IMgr.Update(S.Y, *o);
            o->YValue = S.Y;
            S.Run->Placed.insert(o);
            S.TallestFloat = std::max(S.TallestFloat, o->ImageHeight + o->VSpaceT + o->VSpaceB);
            ++count;
            ++i;
            if (!fits)
              return count;
            sides();
            continue;
          }
        }
        ++count;
        ++i;
        continue;
      }
    }
    if (c == ImgPan || c == FmCtl) {
      const int32_t w = InlineObjectWidth(i);
      if (used + w > width)
        break;
      used += w;
      content = true;
      ++count;
      ++i;
      continue;
    }
    int32_t n =
        std::min({Fonts.GetFontCountAt(i, Len), Images.GetImageCountAt(i), FormControls.GetControlCountAt(i), end - i});
    n = std::max(n, 1);
    int32_t ohang = 0;
    TFontObj* f = Fonts.GetFontAt(i, ohang);
    if (f)
      Canvas.SetFont(*f->TheFont);
    Integer fit = 0;
    const int32_t room = width - used;
    TSize whole{};
    if (room > 0) {
      // Measure a stretch a little longer than the room can hold, doubling it while all of
      // it fits, so each character is measured a bounded number of times however long the
      // paragraph is. What fits of a stretch is what fits of the whole run when the
      // stretch does not all fit.
      const int32_t narrowest = std::max(1, f ? f->tmHeight / 4 : 4);
      int32_t k = static_cast<int32_t>(std::clamp<int64_t>(room / narrowest + 16, 1, n));
      // A stretch never ends between the halves of a surrogate pair (the pair measures as one).
      auto pairSafe = [&](int32_t K) {
        return K < n && BuffS[static_cast<size_t>(i + K - 1)] >= 0xD800
                       && BuffS[static_cast<size_t>(i + K - 1)] <= 0xDBFF
                   ? K + 1
                   : K;
      };
      k = pairSafe(k);
      for (;;) {
        whole = Canvas.GetTextExtentExPointW(BuffS.data() + i, static_cast<size_t>(k), room, &fit, nullptr);
        if (fit < k || k >= n)
          break;
        k = pairSafe(k > n / 2 ? n : 2 * k);
      }
    }
    fit = std::clamp<Integer>(fit, 0, n);
    count += fit;
    if (fit > 0)
      content = true;
    if (fit < n)
      break;
    used += whole.cx + ohang;
    i += n;
  }
  if (count == Max && brk)
    ++count;
  return count;
}

int32_t TSection::ChooseBreak(int32_t Start, int32_t N) const
{
  const int32_t c = Start + N - 1;
  const int32_t d = c + 1;
  const char16_t cc = BuffS[static_cast<size_t>(c)];
  const char16_t dc = d < Len ? BuffS[static_cast<size_t>(d)] : 0;
  auto withSpaces = [&](int32_t n) {
    while (Start + n < Len && BuffS[static_cast<size_t>(Start + n)] == u' ')
      ++n;
    return n;
  };
  if (cc == BrkCh)
    return N;   // a forced break ends the line where it stands
  // The spaces after the break go with the line: a line of its own holding only a space
  // would add a blank line (below an image that fills a table cell, for instance).
  if ((cc == u' ' || cc == ImgPan || cc == FmCtl) && CanBreakAfter(c))
    return withSpaces(N);
  if (!IsWide(cc)) {
    if (dc == u' ' && CanBreakAfter(c))
      return withSpaces(N);
    if ((dc == ImgPan || dc == FmCtl) && CanBreakAfter(c))
      return N;
  }
  for (int32_t k = c; k >= Start; --k) {
    const char16_t ch = BuffS[static_cast<size_t>(k)];
    const bool marker = ch == ImgPan || ch == FmCtl;
    const bool candidate = k == Start ? marker : (marker || ch == u' ' || ch == u'-' || ch == u'?' || IsWide(ch));
    if (candidate && CanBreakAfter(k))
      return withSpaces(k - Start + 1);
  }
  // A word longer than the line: it ends at its first break opportunity.
  int32_t n = Len - Start;
  for (int32_t k = c; k < Len; ++k) {
    if (k + 1 >= Len)
      break;
    const char16_t ch = BuffS[static_cast<size_t>(k)];
    const char16_t next = BuffS[static_cast<size_t>(k + 1)];
    if ((ch == u'-' || ch == u'?' || IsWide(ch) || next == ImgPan || next == FmCtl || next == BrkCh || next == u' ')
        && CanBreakAfter(k)) {
      n = withSpaces(k - Start + 1);
      if (Start + n < Len && BuffS[static_cast<size_t>(Start + n)] == BrkCh)
        ++n;
      break;
    }
  }
  return -n;
}

int32_t TSection::ClearSpace(IndentManager& IMgr, int32_t Y) const
{
  if (ClearAttr == clrNone)
    return 0;
  int32_t cl = 0, cr = 0;
  IMgr.GetClearY(cl, cr);
  int32_t bottom = ClearAttr == clrLeft ? cl : ClearAttr == clrRight ? cr : std::max(cl, cr);
  return std::max(0, bottom - Y - 1);
}

void TSection::AddEmptyLine(int32_t Start, int32_t& Y, int32_t Height)
{
  Height =
      static_cast<int32_t>(std::clamp<int64_t>(Height, 0, std::max<int64_t>(0, static_cast<int64_t>(MaxDocY) - Y)));
  LineRec l;
  l.Start = Start;
  l.SpaceBefore = Height;
  l.DrawY = Y;
  l.LineImgHt = Height;
  Lines.Add(l);
  SectionHeight += Height;
  Y += Height;
}

void TSection::CloseLine(TCanvas& Canvas, IndentManager& IMgr, int32_t X, int32_t& Y, int32_t Start, int32_t N,
                         bool Last, bool First, TFitState& S, int32_t& LowestFloat)
{
  LineRec L;
  L.Start = Start;
  L.Ln = N;
  L.DrawY = Y;
  L.FirstLine = First;
  const int32_t end = Start + N;

  bool onlyMarkers = true;
  for (int32_t i = Start; i < end && onlyMarkers; ++i)
    onlyMarkers = IsMarker(BuffS[static_cast<size_t>(i)]);
  const bool loneBreak = N == 1 && BuffS[static_cast<size_t>(Start)] == BrkCh;
  if (!onlyMarkers || loneBreak) {
    int32_t index = 0;
    Fonts.GetFontObjAt(Start, index);
    for (int k = std::max(index, 0); k < Fonts.Count(); ++k) {
      const TFontObj* f = Fonts[k];
      if (k > index && f->Pos >= end)
        break;
      L.LineHt = std::max(L.LineHt, f->FontHeight);
      L.Descent = std::max(L.Descent, f->Descent);
    }
  }
  int32_t sb = 0, sa = 0;
  if (LineHeight >= 0) {
    sb = (LineHeight - L.LineHt) / 2;
    sa = LineHeight - L.LineHt - sb;
  }
  for (int32_t i = Start; i < end; ++i) {
    const char16_t c = BuffS[static_cast<size_t>(i)];
    if (c == ImgPan) {
      TFloatingObj* o = Images.FindImage(i);
      if (!o || o->Floating())
        continue;
      const int32_t h = o->ImageHeight + o->VSpaceT + o->VSpaceB;
      switch (o->ObjAlign) {
      case ATop: sa = std::max(sa, h - L.LineHt); break;
      case AMiddle: {
        if (onlyMarkers) {
          if (TFontObj* f = FontAt(i)) {
            L.LineHt = f->FontHeight;
            L.Descent = f->Descent;
          }
        }
        const int32_t half = (h - L.LineHt) / 2;
        sa = std::max(sa, half);
        sb = std::max(sb, h - L.LineHt - half);
        break;
      }
      default: sb = std::max(sb, h - (L.LineHt - L.Descent)); break;
      }
      o->YValue = Y;
    } else if (c == FmCtl) {
      TFormControlObj* f = FormControls.FindControl(i);
      if (!f)
        continue;
      const int32_t h = f->Height;
      switch (f->FormAlign) {
      case ATop: sa = std::max(sa, h - L.LineHt); break;
      case AMiddle: {
        // Centred on the line as a picture is: what it stands out goes half above, half below.
        const int32_t half = (h - L.LineHt) / 2;
        sa = std::max(sa, half);
        sb = std::max(sb, h - L.LineHt - half);
        break;
      }
      case ABaseLine: sb = std::max(sb, h - (L.LineHt - L.Descent)); break;
      default: sb = std::max(sb, h - L.LineHt); break;
      }
      f->YValue = Y;
    }
  }

  const int32_t left = IMgr.LeftSide(Y) + (First ? FirstLineIndent : 0);
  const int32_t right = IMgr.RightSide(Y);
  const int32_t width = FindTextWidth(Canvas, Start, N, true);
  switch (Justify) {
  case Centered: L.LineIndent = (left + right - width) / 2 - X; break;
  case Right: L.LineIndent = right - X - width; break;
  case FullJustify: {
    L.LineIndent = left - X;
    if (!Last) {
      int32_t trimmed = N;
      while (trimmed > 0
             && (BuffS[static_cast<size_t>(Start + trimmed - 1)] == u' '
                 || BuffS[static_cast<size_t>(Start + trimmed - 1)] == BrkCh))
        --trimmed;
      int32_t spaces = 0;
      for (int32_t i = Start; i < Start + trimmed - 1; ++i)
        if (BuffS[static_cast<size_t>(i)] == u' ')
          ++spaces;
      L.Spaces = spaces;
      L.Extra = spaces > 0 ? std::max(0, right - left - width) : 0;
    }
    break;
  }
  default: L.LineIndent = left - X; break;
  }
  L.DrawWidth = right - left;
  FWidestLine = std::max(FWidestLine, L.LineIndent + width);
  // Every term is bounded (fonts, images, style lengths); the sum is kept inside the
  // document's range.
  const int64_t room = std::max<int64_t>(0, static_cast<int64_t>(MaxDocY) - Y);
  if (static_cast<int64_t>(sb) + L.LineHt + sa > room) {
    sb = 0;
    sa = 0;
    L.LineHt = static_cast<int32_t>(std::min<int64_t>(L.LineHt, room));
  }
  L.SpaceBefore = sb;
  L.SpaceAfter = sa;
  const int32_t total = LineTotal(L);
  SectionHeight += total;
  Y += total;
  L.LineImgHt = std::max(total, S.TallestFloat);
  for (TFloatingObj* o : S.Queued) {
    if (o->Pos >= end || S.IsPlaced(o))
      continue;   // not in this line after all: met again on the next one
    IMgr.Update(Y, *o);
    o->YValue = Y;
    S.Run->Placed.insert(o);
    const int32_t h = o->ImageHeight + o->VSpaceT + o->VSpaceB;
    L.LineImgHt = std::max(L.LineImgHt, total + h);
    LowestFloat = std::max(LowestFloat, Y + h);
  }
  S.Queued.clear();
  Lines.Add(L);
}

int32_t TSection::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight, IndentManager& IMgr,
                         int32_t& MaxWidth, int32_t& Curs)
{
  Lines.Clear();
  TLayoutState run;
  FWidestLine = 0;
  YDraw = ContentTop = DrawTop = Y;
  StartCurs = Curs;
  SectionHeight = 0;
  MaxWidth = 0;
  DrawOriginX = X;
  const int32_t y0 = Y;
  int32_t lowestFloat = Y;
  TSectionList* doc = ParentSectionList;

  if (Len == 0) {
    SectionHeight = ClearSpace(IMgr, Y);
    DrawHeight = SectionHeight;
    ContentBot = DrawBot = Y + SectionHeight;
    return SectionHeight;
  }
  if (TextIndentPercent > 0)
    FirstLineIndent = static_cast<int32_t>(static_cast<int64_t>(TextIndentPercent) * std::max(AWidth, 0) / 100);
  AvailableWidth = IMgr.RightSide(Y) - X;
  for (const auto& o : Images) {
    o->DrawLogic(doc, Canvas, FontAt(o->Pos), AvailableWidth);
    MaxWidth = std::max(MaxWidth, o->ImageWidth + o->HSpaceL + o->HSpaceR);
  }
  for (TFormControlObj* f : FormControls)
    MaxWidth = std::max(MaxWidth, f->Width + f->HSpaceL + f->HSpaceR);

  int32_t pStart = 0;
  bool first = true;
  bool clearDone = ClearAttr == clrNone;
  // Every round either closes a line or moves Y down to a lower float bottom; the guard
  // only protects against an indent manager that never reports one.
  int64_t rounds = 0;
  const int64_t maxRounds = 4 * static_cast<int64_t>(Len) + 10000;
  while (pStart < Len) {
    if (!clearDone) {
      clearDone = true;
      if (int32_t cs = ClearSpace(IMgr, Y); cs > 0)
        AddEmptyLine(pStart, Y, cs);
    }
    const bool forceFit = ++rounds > maxRounds || Y >= MaxDocY;
    TFitState S;
    S.Run = &run;
    S.Y = Y;
    S.FirstLine = first;
    const int32_t remaining = Len - pStart;
    int32_t n;
    if (IsPreformatted()) {
      bool floats = false;
      for (const TFreeList<IndentRec>* list : {&IMgr.L, &IMgr.R})
        for (const auto& r : *list)
          if (!r->ID && r->YT <= Y && Y < r->YB)
            floats = true;
      n = floats ? 0 : remaining;
      for (const auto& o : Images)
        if (o->Floating() && o->Pos >= pStart && !S.IsPlaced(o.get()))
          S.Queued.push_back(o.get());
    } else {
      n = FitCount(Canvas, IMgr, pStart, remaining, S);
    }
    if (n <= 0) {
      const int32_t next = IMgr.GetNextWiderY(Y);
      if (next > Y && !forceFit) {
        AddEmptyLine(pStart, Y, next - Y);
        continue;
      }
      n = 1;
    }
    lowestFloat = std::max(lowestFloat, Y + S.TallestFloat);
    bool last = n >= remaining;
    if (last) {
      n = remaining;
    } else {
      int32_t b = ChooseBreak(pStart, n);
      if (b < 0) {
        const int32_t next = IMgr.GetNextWiderY(Y);
        if (next > Y && !forceFit) {
          AddEmptyLine(pStart, Y, next - Y);
          continue;
        }
        n = -b;
      } else {
        n = b;
      }
      n = std::clamp(n, 1, remaining);
      last = n >= remaining;
    }
    CloseLine(Canvas, IMgr, X, Y, pStart, n, last, first, S, lowestFloat);
    first = false;
    pStart += n;
  }
  Lines.Trim();
  Curs = StartCurs + Len;

  if (doc && doc->FirstLineHtPtr && *doc->FirstLineHtPtr == 0)
    for (const auto& l : Lines)
      if (l->Ln > 0) {
        *doc->FirstLineHtPtr = l->DrawY + l->SpaceBefore + l->LineHt - l->Descent;
        break;
      }

  for (const auto& l : Lines)
    lowestFloat = std::max(lowestFloat, l->DrawY + l->LineImgHt);
  DrawHeight = std::max(SectionHeight, lowestFloat - y0);
  ContentBot = y0 + SectionHeight;
  DrawBot = y0 + DrawHeight;
  MaxWidth = std::max(MaxWidth, FWidestLine);

  if (doc && !doc->IsCopy && SectionNumber > 0 && SectionNumber % 50 == 0 && ThisCycle != doc->CycleNumber
      && doc->SectionCount > 0) {
    ThisCycle = doc->CycleNumber;
    if (doc->TheOwner)
      doc->TheOwner->DoProgress(1, doc->ProgressStart
                                       + static_cast<int32_t>(static_cast<int64_t>(100 - doc->ProgressStart)
                                                              * SectionNumber / doc->SectionCount));
  }
  return SectionHeight;
}

// ---- line geometry ----

std::vector<int32_t> TSection::LineOffsets(TCanvas& Canvas, const LineRec& L) const
{
  std::vector<int32_t> off(static_cast<size_t>(L.Ln) + 1, 0);
  const int32_t each = L.Spaces > 0 ? L.Extra / L.Spaces : 0;
  const int32_t rest = L.Spaces > 0 ? L.Extra % L.Spaces : 0;
  int32_t spaceIndex = 0;
  int32_t k = 0;
  while (k < L.Ln) {
    const int32_t i = L.Start + k;
    const char16_t c = BuffS[static_cast<size_t>(i)];
    int32_t base = off[static_cast<size_t>(k)];
    if (c == ImgPan || c == FmCtl) {
      off[static_cast<size_t>(++k)] = base + InlineObjectWidth(i);
      continue;
    }
    int32_t n = std::min(
        {Fonts.GetFontCountAt(i, Len), Images.GetImageCountAt(i), FormControls.GetControlCountAt(i), L.Ln - k});
    n = std::max(n, 1);
    int32_t ohang = 0;
    if (TFontObj* f = Fonts.GetFontAt(i, ohang))
      Canvas.SetFont(*f->TheFont);
    std::vector<Integer> partial(static_cast<size_t>(n), 0);
    Canvas.GetTextExtentExPointW(BuffS.data() + i, static_cast<size_t>(n), -1, nullptr, partial.data());
    int32_t extra = 0;
    for (int32_t j = 0; j < n; ++j) {
      if (BuffS[static_cast<size_t>(i + j)] == u' ' && spaceIndex < L.Spaces) {
        extra += each + (spaceIndex < rest ? 1 : 0);
        ++spaceIndex;
      }
      off[static_cast<size_t>(k + j + 1)] = base + partial[static_cast<size_t>(j)] + extra;
    }
    k += n;
    off[static_cast<size_t>(k)] += ohang;
  }
  return off;
}

const LineRec* TSection::LineAtY(int32_t Y) const
{
  for (const auto& l : Lines)
    if (Y >= l->DrawY && Y < l->DrawY + LineTotal(*l))
      return l;
  return nullptr;
}

// ---- drawing ----

int32_t TSection::PageEndAbove(int32_t End, int32_t PageHeight) const
{
  // A picture floated from a line higher on the page that reaches below the end would be cut
  // there: the page ends above that line instead, and the picture goes whole to the next page
  // with the lines beside it (unless it starts the page, or no page could hold it). Where
  // pictures may hang below the page's end, only those reaching below the page's foot move.
  // The picture may be floated from a line of an earlier paragraph on the page as well.
  const TSectionList* doc = ParentSectionList;
  auto cut = [&](int32_t top, int32_t reach) {
    return top > doc->PageTop && top < End && reach > (doc->PageFloatsHang ? doc->PageFoot : End)
           && reach - top < PageHeight;
  };
  for (bool moved = true; moved;) {
    moved = false;
    for (const auto& l : Lines) {
      if (l->DrawY >= End)
        break;
      if (cut(l->DrawY, l->DrawY + l->LineImgHt)) {
        End = l->DrawY;
        moved = true;
        break;
      }
    }
    for (const auto& [top, reach] : doc->PageFloats)
      if (!moved && cut(top, reach)) {
        End = top;
        moved = true;
      }
  }
  return End;
}

int32_t TSection::Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef, int32_t YRef)
{
  DrawOriginX = X;
  const int32_t result = YDraw + SectionHeight;
  TSectionList* doc = ParentSectionList;
  if (Len == 0 || !doc)
    return result;
  const int32_t yOff = doc->YOff;
  if (DrawBot - yOff < ARect.Top || DrawTop - yOff >= ARect.Bottom)
    return result;
  const uint32_t oldAlign = Canvas.SetTextAlign(TA_BASELINE);
  for (const auto& lp : Lines) {
    const LineRec& L = *lp;
    const int32_t top = L.DrawY;
    const int32_t bottom = L.DrawY + LineTotal(L);
    if (doc->Printing) {
      const int32_t pageHeight = ARect.Bottom - ARect.Top;
      // The line with the pictures floated from it (placed beside or below it), whole: cut
      // by the page's end, the page ends above the line when they fit on a page, and so it
      // does when the end would cut the line's own words, though a picture floated from it
      // is taller than a page (that one goes on from page to page). (A line of an earlier
      // page stays there.)
      const int32_t reach = std::max(bottom, top + L.LineImgHt);
      const bool cut = bottom > doc->PageBottom || reach > (doc->PageFloatsHang ? doc->PageFoot : doc->PageBottom);
      const bool fits = reach - top < pageHeight || (bottom > doc->PageBottom && bottom - top < pageHeight);
      if (top >= doc->PageTop && top < doc->PageBottom && cut && fits && !doc->PageBreak) {
        doc->PageBottom = PageEndAbove(top, pageHeight);   // above the line that would be cut
        break;
      }
      // A line taller than a page, or a picture floated from it, crosses page ends: the
      // part below an earlier page's foot goes on on this one.
      const bool goesOn = top < doc->PageTop && reach > doc->PageTop && reach - top >= pageHeight;
      if ((top < doc->PageTop && !goesOn) || top >= doc->PageBottom)
        continue;
      // (Its words printed on the earlier page: only its pictures go on.)
      if (goesOn && bottom <= doc->PageTop) {
        QueueFloats(Canvas, L, IMgr);
        continue;
      }
      if (reach > bottom)
        doc->PageFloats.emplace_back(top, reach);
    } else if (L.DrawY + std::max(L.LineImgHt, LineTotal(L)) - yOff < ARect.Top || top - yOff >= ARect.Bottom) {
      continue;
    }
    DrawLine(Canvas, L, X, IMgr, yOff);
  }
  Canvas.SetTextAlign(oldAlign);
  return result;
}

void TSection::QueueFloat(TCanvas& Canvas, TFloatingObj& O, TFontObj* FO, const IndentManager& IMgr)
{
  ParentSectionList->DrawList.push_back(TImageRec{&O, &Canvas, IMgr.LfEdge + O.Indent, O.YValue, O.YValue, FO});
}

void TSection::QueueFloats(TCanvas& Canvas, const LineRec& L, const IndentManager& IMgr)
{
  for (int32_t i = L.Start; i < L.Start + L.Ln; ++i)
    if (BuffS[static_cast<size_t>(i)] == ImgPan)
      if (TFloatingObj* o = Images.FindImage(i); o && o->Floating())
        QueueFloat(Canvas, *o, FontAt(i), IMgr);
}

void TSection::DrawLine(TCanvas& Canvas, const LineRec& L, int32_t X, IndentManager& IMgr, int32_t YOff)
{
  TSectionList* doc = ParentSectionList;
  const int32_t lineTop = L.DrawY;
  const int32_t baseline = L.DrawY + L.SpaceBefore + L.LineHt - L.Descent;
  const int32_t x0 = X + L.LineIndent;
  const std::vector<int32_t> off = LineOffsets(Canvas, L);
  const int32_t selB = doc->IsCopy ? 0 : std::clamp(doc->SelB - StartCurs, 0, Len);
  const int32_t selE = doc->IsCopy ? 0 : std::clamp(doc->SelE - StartCurs, 0, Len);
  const int32_t end = L.Start + L.Ln;
  int32_t drawEnd = end;
  while (drawEnd > L.Start
         && (BuffS[static_cast<size_t>(drawEnd - 1)] == u' ' || BuffS[static_cast<size_t>(drawEnd - 1)] == BrkCh))
    --drawEnd;

  int32_t i = L.Start;
  while (i < end) {
    const char16_t c = BuffS[static_cast<size_t>(i)];
    const int32_t x = x0 + off[static_cast<size_t>(i - L.Start)];
    if (c == ImgPan) {
      if (TFloatingObj* o = Images.FindImage(i)) {
        TFontObj* fo = FontAt(i);
        if (o->Floating())
          QueueFloat(Canvas, *o, fo, IMgr);
        else
          o->Draw(Canvas, x + o->HSpaceL, fo, baseline, lineTop);
      }
      ++i;
      continue;
    }
    if (c == FmCtl) {
      if (TFormControlObj* f = FormControls.FindControl(i)) {
        f->ShowIt = true;
        int32_t y;
        switch (f->FormAlign) {
        case ATop: y = lineTop; break;
        case AMiddle: y = lineTop + L.SpaceBefore + (L.LineHt - f->Height) / 2; break;
        case ABaseLine: y = baseline - f->Height; break;
        default: y = lineTop + L.SpaceBefore + L.LineHt - f->Height; break;
        }
        f->YValue = y;
        const int32_t fx = x + f->HSpaceL;
        if (doc->IsCopy) {
          // The control's picture writes its texts from their tops, not on the line's baseline.
          const uint32_t lineAlign = Canvas.SetTextAlign(TA_TOP | TA_LEFT);
          f->Draw(Canvas, fx, y - YOff);
          Canvas.SetTextAlign(lineAlign);
        } else
          f->ShowControlAt(fx, y - YOff);
        if (f->Active && f->IsRadioOrCheck())
          Canvas.DrawFocusRect(Rect(fx - 2, y - YOff - 2, fx + f->Width + 2, y - YOff + f->Height + 2));
      }
      ++i;
      continue;
    }
    if (i >= drawEnd) {
      ++i;
      continue;
    }
    int32_t n = std::min({Fonts.GetFontCountAt(i, Len), Images.GetImageCountAt(i), FormControls.GetControlCountAt(i),
                          drawEnd - i, 32000});
    // Chunks end where the selection begins or ends.
    if (i < selB && i + n > selB)
      n = selB - i;
    else if (i < selE && i + n > selE)
      n = selE - i;
    n = std::max(n, 1);
    TFontObj* f = FontAt(i);
    if (!f) {
      i += n;
      continue;
    }
    Canvas.SetFont(*f->TheFont);
    TColor color = f->TheFont->Color();
    if (doc->Printing && !doc->PrintTableBackground && (ColorToRGB(color) & 0xE0E0) == 0xE0E0)
      color = 0x02A0A0A0;   // very light text would vanish on paper
    if (doc->Printing && doc->PrintMonoBlack && Canvas.Device().IsPrinter()
        && Canvas.GetDeviceCaps(BITSPIXEL) * Canvas.GetDeviceCaps(PLANES) < 3 && ColorToRGB(color) != clWhite)
      color = clBlack;
    const bool selected = i >= selB && i < selE;
    if (selected) {
      Canvas.SetBkMode(OPAQUE);
      Canvas.SetBkColor(color);
      Canvas.SetTextColor(f->TheFont->bgColor != NoColor ? f->TheFont->bgColor : Complement(color));
    } else if (f->TheFont->bgColor != NoColor) {
      Canvas.SetBkMode(OPAQUE);
      Canvas.SetBkColor(f->TheFont->bgColor);
      Canvas.SetTextColor(color);
    } else {
      Canvas.SetBkMode(TRANSPARENT);
      Canvas.SetTextColor(color);
    }
    int32_t y = baseline - YOff;
    if (f->SScript == ASuper)
      y -= f->FontHeight / 3;
    else if (f->SScript == ASub)
      y += (f->Descent + 1) / 2 + 1;
    std::vector<Integer> dx(static_cast<size_t>(n));
    for (int32_t j = 0; j < n; ++j)
      dx[static_cast<size_t>(j)] =
          off[static_cast<size_t>(i - L.Start + j + 1)] - off[static_cast<size_t>(i - L.Start + j)];
    Canvas.ExtTextOutW(x, y, 0, nullptr, BuffS.data() + i, static_cast<size_t>(n), dx.data());
    i += n;
  }
  Canvas.SetBkMode(TRANSPARENT);
  if (doc->ShowLinkFocus && doc->FocusLinkID != 0 && !doc->IsCopy)
    DrawLinkFocus(Canvas, L, x0, off, YOff);

  if (doc->ShowDummyCaret && !doc->IsCopy && doc->SelB == doc->SelE) {
    const int32_t p = doc->SelB - StartCurs;
    if (p >= L.Start && p < end) {
      if (TFontObj* f = FontAt(p)) {
        const int32_t cx = x0 + off[static_cast<size_t>(p - L.Start)];
        const int32_t bottom = baseline + f->Descent - YOff;
        Canvas.FillRect(Rect(cx, bottom - f->FontHeight, cx + 1, bottom), f->TheFont->Color());
      }
    }
  }
}

int32_t TSection::LineTopAt(int32_t I) const
{
  const LineRec* found = nullptr;
  for (const LineRec* L : Lines) {
    if (L->Start > I)
      break;
    found = L;
  }
  return found ? found->DrawY : -1;
}

// The frame of the link that has the keyboard focus, round its part on this line.
void TSection::DrawLinkFocus(TCanvas& Canvas, const LineRec& L, int32_t X0, const std::vector<int32_t>& Off,
                             int32_t YOff)
{
  const int32_t id = ParentSectionList->FocusLinkID;
  const int32_t end = L.Start + L.Ln;
  int32_t first = -1, last = -1;
  for (int32_t i = L.Start; i < end; ++i) {
    const char16_t c = BuffS[static_cast<size_t>(i)];
    if (c == u' ' || c == BrkCh || c == FmCtl)
      continue;
    if (const TFontObj* f = FontAt(i); f && f->IsLink() && f->LinkID() == id) {
      if (first < 0)
        first = i;
      last = i;
    }
  }
  if (first < 0)
    return;
  const int32_t left = X0 + Off[static_cast<size_t>(first - L.Start)];
  const int32_t right = X0 + Off[static_cast<size_t>(last + 1 - L.Start)];
  Canvas.DrawFocusRect(Rect(left - 1, L.DrawY - YOff, right + 1, L.DrawY + LineTotal(L) - YOff));
}

// ---- hit tests ----

uint32_t TSection::LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info)
{
  TSectionList* doc = ParentSectionList;
  int32_t ix = 0, iy = 0, posn = 0;
  bool isMap = false, usesMap = false;
  TMapItem* map = nullptr;
  TImageObj* img = nullptr;
  if (Images.PtInImage(X, Y, ix, iy, posn, isMap, usesMap, map, img)) {
    uint32_t r = 0;
    if (!img->Title.empty()) {
      Info.Title = img->Title;
      r |= guTitle;
    }
    if (doc)
      doc->ActiveImage = img;
    if (img->MyFormControl) {
      img->MyFormControl->SetImagePoint(ix, iy);
      Info.FormControl = img->MyFormControl;
      return r | guControl;
    }
    if (usesMap) {
      std::unique_ptr<TUrlTarget> ut;
      if (map->GetURL(ix, iy, ut)) {
        Info.UrlTarg = std::move(ut);
        r |= guUrl;
      }
      return r;
    }
    TFontObj* fo = FontAt(posn);
    if (fo && fo->IsLink()) {
      Info.UrlTarg = std::make_unique<TUrlTarget>(*fo->UrlTarget);
      if (isMap)
        Info.UrlTarg->URL += "?" + IntToStr(ix) + "," + IntToStr(iy);
      if (doc)
        doc->ActiveLink = fo;
      r |= guUrl;
    }
    return r;
  }
  const LineRec* L = LineAtY(Y);
  if (!L || L->Ln == 0)
    return 0;
  const int32_t x = X - (DrawOriginX + L->LineIndent);
  if (x < 0)
    return 0;
  const std::vector<int32_t> off = LineOffsets(Canvas, *L);
  auto it = std::upper_bound(off.begin(), off.end(), x);
  const int32_t k = static_cast<int32_t>(it - off.begin()) - 1;
  if (k < 0 || k >= L->Ln)
    return 0;
  const int32_t i = L->Start + k;
  if (BuffS[static_cast<size_t>(i)] == ImgPan)
    return 0;
  TFontObj* fo = FontAt(i);
  if (!fo)
    return 0;
  uint32_t r = 0;
  if (fo->IsLink()) {
    Info.UrlTarg = std::make_unique<TUrlTarget>(*fo->UrlTarget);
    if (doc)
      doc->ActiveLink = fo;
    r |= guUrl;
  }
  if (!fo->Title.empty()) {
    Info.Title = fo->Title;
    r |= guTitle;
  }
  return r;
}

TFloatingObj* TSection::ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY)
{
  TFloatingObj* o = nullptr;
  return Images.PtInObject(X, Y, o, IX, IY) ? o : nullptr;
}

int32_t TSection::CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info)
{
  if (Y < ContentTop)
    return -1;
  const LineRec* L = LineAtY(Y);
  if (!L)
    return -1;
  Info.LineHeight = L->LineHt;
  Info.LineTop = L->DrawY;
  const int32_t lineX = DrawOriginX + L->LineIndent;
  const std::vector<int32_t> off = LineOffsets(Canvas, *L);
  int32_t lastPos = L->Ln;
  if (lastPos > 0 && BuffS[static_cast<size_t>(L->Start + lastPos - 1)] == BrkCh)
    --lastPos;   // past the end of a line means before its break
  const int32_t x = X - lineX;
  int32_t k;
  if (x < 0) {
    k = 0;
    Info.IntText = false;
  } else if (x >= off[static_cast<size_t>(lastPos)]) {
    k = lastPos;
    Info.IntText = false;
  } else {
    auto it = std::upper_bound(off.begin(), off.begin() + lastPos + 1, x);
    k = std::max(0, static_cast<int32_t>(it - off.begin()) - 1);
    if (k < lastPos && x > (off[static_cast<size_t>(k)] + off[static_cast<size_t>(k + 1)]) / 2)
      ++k;
    Info.IntText = true;
  }
  Info.CursorX = lineX + off[static_cast<size_t>(k)];
  if (Info.IntText && k < L->Ln && BuffS[static_cast<size_t>(L->Start + k)] == ImgPan)
    Info.Obj = Images.FindImage(L->Start + k);
  return StartCurs + L->Start + k;
}

bool TSection::CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y)
{
  if (Len == 0 || Cursor < StartCurs || Cursor > StartCurs + Len || Lines.Count() == 0)
    return false;
  const int32_t p = Cursor - StartCurs;
  // Where a joined break's paragraph ended, the caret stays at the end of its line.
  const int32_t q = OwnLen < Len && p >= OwnLen ? p - 1 : p;
  const LineRec* found = nullptr;
  for (const auto& l : Lines)
    if (l->Ln > 0 && q >= l->Start && q < l->Start + l->Ln) {
      found = l;
      break;
    }
  if (!found)
    for (int i = Lines.Count() - 1; i >= 0 && !found; --i)
      if (Lines[i]->Ln > 0)
        found = Lines[i];
  if (!found)
    return false;
  const std::vector<int32_t> off = LineOffsets(Canvas, *found);
  X = DrawOriginX + found->LineIndent + off[static_cast<size_t>(std::clamp(p - found->Start, 0, found->Ln))];
  Y = found->DrawY;
  return true;
}

bool TSection::CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj)
{
  if (Pos < StartCurs || Pos >= StartCurs + Len)
    return false;
  Ch = BuffS[static_cast<size_t>(Pos - StartCurs)];
  Obj = this;
  return true;
}

// ---- find ----

int32_t TSection::FindString(int32_t From, const std::u16string& ToFind, bool MatchCase)
{
  if (ToFind.empty() || Len == 0 || From >= StartCurs + Len)
    return -1;
  const size_t start = static_cast<size_t>(std::max(0, From - StartCurs));
  const std::u16string text = MatchCase ? BuffS : WideLowerCase(BuffS);
  const std::u16string target = MatchCase ? ToFind : WideLowerCase(ToFind);
  size_t p = text.find(target, start);
  return p == std::u16string::npos ? -1 : StartCurs + static_cast<int32_t>(p);
}

int32_t TSection::FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase)
{
  if (ToFind.empty() || Len == 0 || From <= StartCurs)
    return -1;
  const int32_t limit = std::min(Len, From - StartCurs);   // matches start before From
  const std::u16string text = MatchCase ? BuffS : WideLowerCase(BuffS);
  const std::u16string target = MatchCase ? ToFind : WideLowerCase(ToFind);
  size_t p = text.rfind(target, static_cast<size_t>(limit - 1));
  return p == std::u16string::npos ? -1 : StartCurs + static_cast<int32_t>(p);
}

// ---- source positions ----

int32_t TSection::SourcePosOf(int32_t Pos) const
{
  if (Pos < StartCurs || Pos >= StartCurs + Len || SIndexList.empty())
    return -1;
  const int32_t p = Pos - StartCurs;
  return SourceIndexAt(SIndexList, p);
}

int32_t TSection::DocPosOf(int32_t SourcePos, bool Backward) const
{
  if (SIndexList.empty() || Len == 0)
    return -1;
  const size_t n = SIndexList.size();
  auto runLen = [&](size_t j) { return (j + 1 < n ? SIndexList[j + 1].Pos : Len) - SIndexList[j].Pos; };
  for (size_t j = 0; j < n; ++j) {
    const IndexObj& e = SIndexList[j];
    if (SourcePos >= e.Index && SourcePos < e.Index + runLen(j))
      return StartCurs + e.Pos + (SourcePos - e.Index);
  }
  if (!Backward) {
    if (SourcePos < SIndexList.front().Index)
      return StartCurs;
    for (size_t j = 1; j < n; ++j)
      if (SourcePos < SIndexList[j].Index && SourcePos >= SIndexList[j - 1].Index + runLen(j - 1))
        return StartCurs + SIndexList[j].Pos;
    return -1;
  }
  const IndexObj& lastRun = SIndexList.back();
  if (SourcePos >= lastRun.Index + runLen(n - 1))
    return StartCurs + Len - 1;
  for (size_t j = n - 1; j >= 1; --j)
    if (SourcePos >= SIndexList[j - 1].Index + runLen(j - 1) && SourcePos < SIndexList[j].Index)
      return StartCurs + SIndexList[j - 1].Pos + runLen(j - 1) - 1;
  return -1;
}

// ---- widths for tables ----

void TSection::MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max)
{
  if (FMinMaxValid && Images.Count() == 0) {
    Min = MinCache;
    Max = MaxCache;
    return;
  }
  Min = 0;
  Max = 0;
  int32_t floats = 0;
  std::vector<bool> breakable;   // at floats: made when there are any
  for (const auto& o : Images) {
    o->DrawLogic(ParentSectionList, Canvas, FontAt(o->Pos), 0);
    const int32_t w = o->ImageWidth + o->HSpaceL + o->HSpaceR;
    if (o->Floating()) {
      floats += w;
      if (o->Pos >= 0 && o->Pos < Len) {
        breakable.resize(static_cast<size_t>(Len), false);
        breakable[static_cast<size_t>(o->Pos)] = true;
      }
    } else {
      Min = std::max(Min, w);
    }
  }
  // A stretch measured again as a word (a one-word cell) takes the last measurement.
  int32_t lastStart = -1, lastN = -1, lastWidth = 0;
  auto width = [&](int32_t Start, int32_t N) {
    if (Start != lastStart || N != lastN) {
      lastStart = Start;
      lastN = N;
      lastWidth = FindTextWidth(Canvas, Start, N, true);
    }
    return lastWidth;
  };
  // Widest stretch between forced breaks.
  int32_t segStart = 0;
  bool firstSeg = true;
  for (int32_t i = 0; i <= Len; ++i)
    if (i == Len || BuffS[static_cast<size_t>(i)] == BrkCh) {
      int32_t w = width(segStart, i - segStart);
      if (firstSeg) {
        if (TextIndentPercent > 0)
          w = static_cast<int32_t>(static_cast<int64_t>(w) * 100 / (100 - TextIndentPercent));
        else
          w += FirstLineIndent;
        firstSeg = false;
      }
      Max = std::max(Max, w);
      segStart = i + 1;
    }
  Max += floats;
  // Widest word.
  auto stop = [&](int32_t i) {
    const char16_t c = BuffS[static_cast<size_t>(i)];
    return c == ImgPan || c == BrkCh || c == u' ' || (!breakable.empty() && breakable[static_cast<size_t>(i)]);
  };
  auto endsWord = [&](int32_t i) {
    const char16_t c = BuffS[static_cast<size_t>(i)];
    return (c == u'-' || c == u'?' || IsWide(c)) && CanBreakAfter(i);
  };
  int32_t i = 0;
  while (i < Len && BuffS[static_cast<size_t>(i)] == u' ')
    ++i;
  while (i < Len) {
    int32_t j = i;
    while (j < Len && !(stop(j) && CanBreakAfter(j)) && !endsWord(j))
      ++j;
    const int32_t wordEnd = (j < Len && endsWord(j)) ? j + 1 : j;
    Min = std::max(Min, width(i, wordEnd - i));
    i = std::max(wordEnd, i + 1);
    while (i < Len && (stop(i) || BuffS[static_cast<size_t>(i)] == u'-' || BuffS[static_cast<size_t>(i)] == u'?'))
      ++i;
  }
  Max = std::max(Max, Min);
  MinCache = Min;
  MaxCache = Max;
  FMinMaxValid = true;
}

// ---- copy ----

void TSection::CopyToClipboard()
{
  TSectionList* doc = ParentSectionList;
  if (!doc || !doc->CB)
    return;
  const int32_t selB = std::max(doc->SelB - StartCurs, 0);
  const int32_t selE = std::min(doc->SelE - StartCurs, Len);
  if (selE <= selB)
    return;
  const int32_t ownE = std::min(selE, OwnLen);
  if (ownE > selB) {
    for (const auto& l : Lines) {
      if (l->Start >= ownE)
        break;
      int32_t a = std::max(l->Start, selB);
      const int32_t b = std::min(l->Start + l->Ln, ownE);
      // A forced break inside the text copies as a line end rather than vanishing between two
      // words; one that ends the text is the line end the section's end adds, not a second.
      for (int32_t k = a; k < b; ++k)
        if (BuffS[static_cast<size_t>(k)] == BrkCh && k < OwnLen - 1) {
          doc->CB->AddTextCR(BuffS.data() + a, k - a);
          a = k + 1;
        }
      if (b > a)
        doc->CB->AddText(BuffS.data() + a, b - a);
    }
    doc->CB->AddTextCR(nullptr, 0);
  }
  // Breaks joined on copy as the paragraphs they were: each one line end.
  for (int32_t k = std::max(selB, OwnLen); k < selE; ++k)
    doc->CB->AddTextCR(nullptr, 0);
}
