#include "html/DocumentUtils.h"

#include <cmath>

#include "html/StyleParser.h"
#include "html/StyleModel.h"
#include "platform/Clipboard.h"
#include "platform/Controls.h"
#include "platform/CodePages.h"
#include "platform/SysUtils.h"

namespace {

// Sizes come from pages; a page with absurd ones must not wrap a sum round.
int32_t SatAdd(int32_t A, int32_t B)
{
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t(A) + B, INT32_MIN, INT32_MAX));
}

}   // namespace

// ---- attributes ----

TAttributeList::TAttributeList() = default;
TAttributeList::~TAttributeList() = default;

bool TAttributeList::Find(THtmlSymbol Sy, TAttribute*& T) const
{
  for (const auto& a : FItems)
    if (a && a->Which == Sy) {
      T = a.get();
      return true;
    }
  return false;
}

const TAttribute* TAttributeList::Find(THtmlSymbol Sy) const
{
  TAttribute* T = nullptr;
  return Find(Sy, T) ? T : nullptr;
}

std::string TAttributeList::TheClass() const
{
  const TAttribute* T = Find(ClassSy);
  return T ? LowerCase(Trim(T->Name)) : std::string();
}

std::string TAttributeList::TheTitle() const
{
  const TAttribute* T = Find(TitleSy);
  return T ? T->Name : std::string();
}

std::string TAttributeList::TheID()
{
  if (!FIDCached) {
    const TAttribute* T = Find(IDSy);
    FID = T ? LowerCase(Trim(T->Name)) : std::string();
    FIDCached = true;
  }
  return FID;
}

TProperties* TAttributeList::TheStyle()
{
  FStyle.reset();
  if (const TAttribute* T = Find(StyleSy)) {
    FStyle = std::make_unique<TProperties>();
    ParseInlineStyle(*FStyle, T->Name);
  }
  return FStyle.get();
}

void TAttributeList::Clear()
{
  TFreeList<TAttribute>::Clear();
  FID.clear();
  FIDCached = false;
}

// ---- link record ----

void TUrlTarget::Assign(const std::string& AnURL, const std::string& ATarget, int32_t AnID)
{
  URL = AnURL;
  Target = ATarget;
  ID = AnID;
}

void TUrlTarget::Clear()
{
  URL.clear();
  Target.clear();
  ID = 0;
  TabIndex = 0;
}

// ---- image cache ----

TStringBitmapList::TStringBitmapList() = default;
TStringBitmapList::~TStringBitmapList() = default;

int TStringBitmapList::IndexOf(const std::string& Name) const
{
  auto it = std::lower_bound(FItems.begin(), FItems.end(), Name,
                             [](const auto& e, const std::string& k) { return e.first < k; });
  return it != FItems.end() && it->first == Name ? static_cast<int>(it - FItems.begin()) : -1;
}

TBitmapItem* TStringBitmapList::AddObject(const std::string& Name, std::unique_ptr<TBitmapItem> Item)
{
  auto it = std::lower_bound(FItems.begin(), FItems.end(), Name,
                             [](const auto& e, const std::string& k) { return e.first < k; });
  if (it == FItems.end() || it->first != Name) {
    if (!Item)
      return nullptr;
    it = FItems.emplace(it, Name, std::move(Item));
  }
  TBitmapItem* stored = it->second.get();
  ++stored->UsageCount;
  stored->AccessCount = 0;
  return stored;
}

TImageHolder* TStringBitmapList::GetImage(int I)
{
  TBitmapItem* item = Objects(I);
  item->AccessCount = 0;
  ++item->UsageCount;
  return item->MImage.get();
}

void TStringBitmapList::DecUsage(const std::string& Name)
{
  int I = IndexOf(Name);
  if (I >= 0 && Objects(I)->UsageCount > 0)
    --Objects(I)->UsageCount;
}

void TStringBitmapList::PurgeOlderThan(int32_t N)
{
  std::erase_if(FItems, [N](const auto& e) { return e.second->AccessCount > N && e.second->UsageCount <= 0; });
}

void TStringBitmapList::BumpAndCheck()
{
  for (auto& e : FItems)
    ++e.second->AccessCount;
  PurgeOlderThan(FMaxCache);
}

void TStringBitmapList::SetCacheCount(int32_t N)
{
  PurgeOlderThan(N);
  FMaxCache = N;
}

void TStringBitmapList::Delete(int I) { FItems.erase(FItems.begin() + I); }

void TStringBitmapList::Clear() { FItems.clear(); }

// ---- selection to text ----

namespace {

// Images and form controls stand in the text as 2 and 4, line breaks as 8.
bool IsObjectMarker(char16_t c) { return c == 2 || c == 4; }

bool IsBufferSkipped(char16_t c) { return c == 2 || c == 4 || c == 8; }

}   // namespace

void SelTextCount::AddText(const char16_t* P, int32_t Size)
{
  for (int32_t i = 0; i < Size; ++i)
    if (!IsObjectMarker(P[i]))
      ++Leng;
}

void SelTextCount::AddTextCR(const char16_t* P, int32_t Size)
{
  AddText(P, Size);
  static const char16_t crlf[2] = {13, 10};
  AddText(crlf, 2);
}

int32_t SelTextCount::Terminate() { return Leng; }

SelTextBuf::SelTextBuf(char16_t* ABuffer, int32_t Size) : Buffer(ABuffer), BufferLeng(Size)
{
  if (Buffer && BufferLeng > 0)
    Buffer[0] = 0;
}

void SelTextBuf::AddText(const char16_t* P, int32_t Size)
{
  for (int32_t i = 0; i < Size && Leng < BufferLeng - 1; ++i)
    if (!IsBufferSkipped(P[i]))
      Buffer[Leng++] = P[i];
}

int32_t SelTextBuf::Terminate()
{
  if (Buffer && BufferLeng > 0)
    Buffer[std::min(Leng, BufferLeng - 1)] = 0;
  return Leng + 1;
}

void ClipBuffer::AddText(const char16_t* P, int32_t Size)
{
  for (int32_t i = 0; i < Size; ++i)
    if (!IsBufferSkipped(P[i]))
      FText += P[i];
  Leng = static_cast<int32_t>(FText.size());
}

int32_t ClipBuffer::Terminate()
{
  Clipboard().SetAsTextW(FText);
  return Leng + 1;
}

// ---- float bookkeeping ----

int TIndentList::LiveFrom(int32_t Y)
{
  if (Y < FDeadY)
    return 0;   // above what was filed away: every record may count
  for (size_t i = FDead; i < FItems.size(); ++i)
    if (FItems[i] && FItems[i]->YB <= Y)
      std::swap(FItems[i], FItems[FDead++]);
  FDeadY = Y;
  return static_cast<int>(FDead);
}

void TIndentList::Remove(const IndentRec* Rec)
{
  // Most often the newest record: looked for from the end.
  for (size_t i = FItems.size(); i-- > 0;)
    if (FItems[i].get() == Rec) {
      FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(i));
      if (i < FDead)
        --FDead;
      return;
    }
}

void TIndentList::Clear()
{
  TFreeList<IndentRec>::Clear();
  FDead = 0;
  FDeadY = INT32_MIN;
}

IndentManagerBasic::IndentManagerBasic() = default;
IndentManagerBasic::~IndentManagerBasic() = default;

void IndentManagerBasic::Reset(int32_t ABaseX, int32_t AWidth)
{
  BaseX = ABaseX;
  Width = AWidth;
  CurrentID = nullptr;
}

void IndentManagerBasic::Clear()
{
  L.Clear();
  R.Clear();
  CurrentID = nullptr;
}

IndentRec* IndentManagerBasic::AddLeft(int32_t X, int32_t YT)
{
  auto r = std::make_unique<IndentRec>();
  r->X = X;
  r->YT = YT;
  r->YB = IndentYBOpen;
  r->ID = CurrentID;
  return L.Add(std::move(r));
}

IndentRec* IndentManagerBasic::AddRight(int32_t X, int32_t YT)
{
  auto r = std::make_unique<IndentRec>();
  r->X = X;
  r->YT = YT;
  r->YB = IndentYBOpen;
  r->ID = CurrentID;
  return R.Add(std::move(r));
}

namespace {

bool Covers(const IndentRec& r, int32_t Y, const TBlock* Current)
{
  return r.YT <= Y && Y < r.YB && (r.ID == nullptr || r.ID == Current);
}

}   // namespace

void IndentManagerBasic::Remove(const IndentRec* Rec)
{
  L.Remove(Rec);
  R.Remove(Rec);
}

int32_t IndentManagerBasic::LeftSide(int32_t Y) const
{
  int32_t result = -99999;
  for (int i = L.LiveFrom(Y); i < L.Count(); ++i)
    if (const IndentRec* r = L[i]; r && Covers(*r, Y, CurrentID))
      result = std::max(result, r->X);
  return result == -99999 ? BaseX : SatAdd(result, BaseX);
}

int32_t IndentManagerBasic::RightSide(int32_t Y) const
{
  int32_t result = 99999;
  for (int i = R.LiveFrom(Y); i < R.Count(); ++i)
    if (const IndentRec* r = R[i]; r && Covers(*r, Y, CurrentID))
      result = std::min(result, r->X);
  return result == 99999 ? Width : SatAdd(result, BaseX);
}

int32_t IndentManagerBasic::ImageBottom() const
{
  int32_t result = 0;
  for (const TFreeList<IndentRec>* list : {&L, &R})
    for (const auto& r : *list)
      if (r && !r->ID)
        result = std::max(result, r->YB);
  return result;
}

void IndentManagerBasic::GetClearY(int32_t& CL, int32_t& CR) const
{
  auto lowest = [](const TFreeList<IndentRec>& list) {
    int32_t result = -1;
    for (const auto& r : list)
      if (r && !r->ID)
        result = std::max(result, r->YB);
    return SatAdd(result, 1);
  };
  CL = lowest(L);
  CR = lowest(R);
}

int32_t IndentManagerBasic::GetNextWiderY(int32_t Y) const
{
  int32_t result = INT32_MAX;
  for (TIndentList* list : {&L, &R})
    for (int i = list->LiveFrom(Y); i < list->Count(); ++i)
      if (const IndentRec* r = (*list)[i]; r && !r->ID && r->YB > Y)
        result = std::min(result, r->YB);
  return result == INT32_MAX ? Y : result;
}

// ---- jump targets ----

int32_t TChPosObj::YPosition() const { return LineTop ? LineTop(List, ChPos) : 0; }

TIDNameList::~TIDNameList() = default;

void TIDNameList::Put(const std::string& Name, TIDObject* Obj, std::unique_ptr<TChPosObj> Owned)
{
  TEntry& e = FItems[UpperCase(Name)];
  e.Obj = Obj;
  e.Owned = std::move(Owned);
}

void TIDNameList::AddObject(const std::string& Name, TIDObject* Obj) { Put(Name, Obj, nullptr); }

void TIDNameList::AddChPosObj(const std::string& Name, int32_t Pos)
{
  auto obj = std::make_unique<TChPosObj>(OwnerList, Pos, LineTop);
  TIDObject* raw = obj.get();
  Put(Name, raw, std::move(obj));
}

TIDObject* TIDNameList::Find(const std::string& Name) const
{
  auto it = FItems.find(UpperCase(Name));
  return it == FItems.end() ? nullptr : it->second.Obj;
}

void TIDNameList::RemoveObject(const TIDObject* Obj)
{
  std::erase_if(FItems, [Obj](const auto& e) { return e.second.Obj == Obj; });
}

void TIDNameList::Clear() { FItems.clear(); }

// ---- token buffers ----

namespace {
constexpr size_t TokenStartRoom = 300;
}

TCharCollection::TCharCollection()
{
  FChars.reserve(TokenStartRoom);
  FIndices.reserve(TokenStartRoom);
}

void TCharCollection::Add(char C, int32_t Index)
{
  FChars += C;
  FIndices.push_back(Index);
}

void TCharCollection::Concat(const TCharCollection& T)
{
  FChars += T.FChars;
  FIndices.insert(FIndices.end(), T.FIndices.begin(), T.FIndices.end());
}

void TCharCollection::Clear()
{
  FChars.clear();
  FIndices.clear();
}

TokenObj::TokenObj()
{
  C.reserve(TokenStartRoom);
  I.reserve(TokenStartRoom);
}

void TokenObj::AddUnicodeChar(char16_t Ch, int32_t Ind)
{
  C += Ch;
  I.push_back(Ind);
}

void TokenObj::AddString(const TCharCollection& S, int32_t ACodePage)
{
  if (S.Size() == 0)
    return;
  std::vector<Integer> starts;
  std::u16string w = MultiByteToWide(static_cast<Cardinal>(ACodePage), S.Chars(), &starts);
  const std::vector<int32_t>& src = S.Indices();
  for (size_t k = 0; k < w.size(); ++k) {
    size_t b = k < starts.size() ? static_cast<size_t>(starts[k]) : src.size() - 1;
    C += w[k];
    I.push_back(src[std::min(b, src.size() - 1)]);
  }
}

void TokenObj::Concat(const TokenObj& T)
{
  C += T.C;
  I.insert(I.end(), T.I.begin(), T.I.end());
}

void TokenObj::Clear()
{
  C.clear();
  I.clear();
}

// ---- wide strings ----

int32_t WidePos(const std::u16string& Sub, const std::u16string& S)
{
  if (Sub.empty())
    return 0;
  size_t p = S.find(Sub);
  return p == std::u16string::npos ? 0 : static_cast<int32_t>(p) + 1;
}

int32_t WidePosChar(char16_t Ch, const std::u16string& S)
{
  size_t p = S.find(Ch);
  return p == std::u16string::npos ? 0 : static_cast<int32_t>(p) + 1;
}

int32_t WideLastPosChar(char16_t Ch, const std::u16string& S)
{
  size_t p = S.rfind(Ch);
  return p == std::u16string::npos ? 0 : static_cast<int32_t>(p) + 1;
}

bool WideSameStr(const std::u16string& A, const std::u16string& B) { return A == B; }

std::u16string WideTrim(const std::u16string& S)
{
  size_t b = 0;
  size_t e = S.size();
  while (b < e && S[b] < 33)
    ++b;
  while (e > b && S[e - 1] < 33)
    --e;
  return S.substr(b, e - b);
}

// Case pairs of the scripts our pages are written in: Latin-1, Latin Extended-A, Greek and
// Cyrillic.
char16_t WideUpCaseChar(char16_t c)
{
  if (c >= u'a' && c <= u'z')
    return static_cast<char16_t>(c - 32);
  if (c < 0xE0)
    return c;
  if (c <= 0xFE)
    return c == 0xF7 ? c : static_cast<char16_t>(c - 32);
  if (c == 0xFF)
    return 0x178;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
    return static_cast<char16_t>(c & ~1u);
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
    return (c & 1u) ? c : static_cast<char16_t>(c - 1);
  if (c == 0x3C2)
    return 0x3A3;
  if (c >= 0x3B1 && c <= 0x3CB)
    return static_cast<char16_t>(c - 32);
  if (c == 0x3AC)
    return 0x386;
  if (c >= 0x3AD && c <= 0x3AF)
    return static_cast<char16_t>(c - 37);
  if (c == 0x3CC)
    return 0x38C;
  if (c == 0x3CD || c == 0x3CE)
    return static_cast<char16_t>(c - 63);
  if (c >= 0x430 && c <= 0x44F)
    return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F)
    return static_cast<char16_t>(c - 80);
  return c;
}

char16_t WideLowCaseChar(char16_t c)
{
  if (c >= u'A' && c <= u'Z')
    return static_cast<char16_t>(c + 32);
  if (c < 0xC0)
    return c;
  if (c <= 0xDE)
    return c == 0xD7 ? c : static_cast<char16_t>(c + 32);
  if (c == 0x178)
    return 0xFF;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
    return static_cast<char16_t>(c | 1u);
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
    return (c & 1u) ? static_cast<char16_t>(c + 1) : c;
  if ((c >= 0x391 && c <= 0x3AB) && c != 0x3A2)
    return static_cast<char16_t>(c + 32);
  if (c == 0x386)
    return 0x3AC;
  if (c >= 0x388 && c <= 0x38A)
    return static_cast<char16_t>(c + 37);
  if (c == 0x38C)
    return 0x3CC;
  if (c == 0x38E || c == 0x38F)
    return static_cast<char16_t>(c + 63);
  if (c >= 0x410 && c <= 0x42F)
    return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F)
    return static_cast<char16_t>(c + 80);
  return c;
}

std::u16string WideUpperCase(const std::u16string& S)
{
  std::u16string r(S);
  for (char16_t& c : r)
    c = WideUpCaseChar(c);
  return r;
}

std::string HtmlEscape(const std::string& S)
{
  std::string out;
  out.reserve(S.size());
  for (char c : S) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    default: out += c;
    }
  }
  return out;
}

std::u16string WideLowerCase(const std::u16string& S)
{
  std::u16string r(S);
  for (char16_t& c : r)
    c = WideLowCaseChar(c);
  return r;
}

// ---- image maps ----

namespace {

// Image-map coordinates beyond this are of no picture we show; the cap keeps the shape
// arithmetic (x2 + 1, x + r) in range.
constexpr int32_t MaxMapCoord = 1000000;

std::vector<int32_t> ParseCoords(const std::string& S)
{
  std::vector<int32_t> out;
  size_t i = 0;
  while (i < S.size() && out.size() < 301) {
    while (i < S.size() && (S[i] == ',' || S[i] == ' ' || S[i] == '\t' || S[i] == '\r'))
      ++i;
    if (i >= S.size())
      break;
    size_t j = i;
    while (j < S.size() && S[j] != ',' && S[j] != ' ' && S[j] != '\t' && S[j] != '\r')
      ++j;
    std::string field = S.substr(i, std::min<size_t>(j - i, 20));
    out.push_back(std::clamp(StrToIntDef(field, 0), -MaxMapCoord, MaxMapCoord));
    i = j;
  }
  return out;
}

}   // namespace

void TMapItem::AddArea(const TAttributeList& Attrib)
{
  std::string href, target, shape, coords;
  for (const auto& a : Attrib) {
    if (!a)
      continue;
    switch (a->Which) {
    case HrefSy: href = a->Name; break;
    case NoHrefSy: href.clear(); break;
    case TargetSy: target = a->Name; break;
    case ShapeSy: shape = LowerCase(a->Name.substr(0, 4)); break;
    case CoordsSy: coords = a->Name; break;
    default: break;
    }
  }
  std::vector<int32_t> c = ParseCoords(coords);
  TMapArea area;
  if (shape == "circ") {
    if (c.size() < 3)
      return;
    area.Kind = TMapArea::Ellipse;
    area.Box = Rect(c[0] - c[2], c[1] - c[2], c[0] + c[2] + 1, c[1] + c[2] + 1);
  } else if (shape == "poly") {
    if (c.size() < 6)
      return;
    area.Kind = TMapArea::Polygon;
    for (size_t k = 0; k + 1 < c.size(); k += 2)
      area.Points.push_back(Point(c[k], c[k + 1]));
  } else {
    if (c.size() < 4)
      return;
    // Corners written the other way round still mark the same rectangle.
    area.Box = Rect(std::min(c[0], c[2]), std::min(c[1], c[3]), std::max(c[0], c[2]) + 1, std::max(c[1], c[3]) + 1);
  }
  Areas.emplace_back(href, std::move(area));
  AreaTargets.push_back(target);
}

bool TMapArea::Contains(int32_t X, int32_t Y) const
{
  const double yc = Y + 0.5;
  switch (Kind) {
  case Rectangle: return X >= Box.Left && X < Box.Right && Y >= Box.Top && Y < Box.Bottom;
  case Ellipse: {
    const double l = std::min(Box.Left, Box.Right), r = std::max(Box.Left, Box.Right);
    const double t = std::min(Box.Top, Box.Bottom), b = std::max(Box.Top, Box.Bottom);
    if (r <= l || b <= t || yc < t || yc >= b)
      return false;
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
    const double dy = (yc - cy) / ry;
    const double q = 1 - dy * dy;
    if (q <= 0)
      return false;
    // The row's run, with pixel ends rounded as the row of a region would be.
    const double half = rx * std::sqrt(q);
    return X >= std::ceil(cx - half - 0.5) && X < std::ceil(cx + half - 0.5);
  }
  case Polygon: {
    // Winding number of the crossings on the pixel's row that lie at or left of the pixel.
    int winding = 0;
    const size_t n = Points.size();
    for (size_t i = 0; i < n; ++i) {
      const TPoint& a = Points[i];
      const TPoint& b = Points[(i + 1) % n];
      if (a.Y == b.Y)
        continue;
      const bool down = b.Y > a.Y;
      const double y0 = down ? a.Y : b.Y, y1 = down ? b.Y : a.Y;
      if (yc < y0 || yc >= y1)
        continue;
      const double x = a.X + (yc - a.Y) * double(b.X - a.X) / double(b.Y - a.Y);
      if (std::ceil(x - 0.5) <= X)
        winding += down ? 1 : -1;
    }
    return n >= 3 && winding != 0;
  }
  }
  return false;
}

bool TMapItem::GetURL(int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg) const
{
  for (size_t i = 0; i < Areas.size(); ++i) {
    if (!Areas[i].second.Contains(X, Y))
      continue;
    if (Areas[i].first.empty())
      return false;
    UrlTarg = std::make_unique<TUrlTarget>();
    UrlTarg->URL = Areas[i].first;
    UrlTarg->Target = AreaTargets[i];
    return true;
  }
  return false;
}

// ---- measuring and drawing ----

int32_t GetXExtent(TCanvas& Canvas, const char16_t* Text, int32_t Count)
{
  if (Count <= 0)
    return 0;
  return Canvas.GetTextExtentPoint32W(Text, static_cast<size_t>(Count)).cx;
}

int32_t FitText(TCanvas& Canvas, const char16_t* Text, int32_t Max, int32_t Width, int32_t& Extent)
{
  int32_t lo = 0;
  int32_t hi = std::max(Max, 0);
  int32_t result = -1;
  while (lo <= hi) {
    int32_t mid = lo + (hi - lo) / 2;
    int32_t w = GetXExtent(Canvas, Text, mid);
    if (w > Width) {
      hi = mid - 1;
    } else if (w < Width) {
      lo = mid + 1;
    } else {
      result = mid;
      break;
    }
  }
  if (result < 0)
    result = std::max(hi, 0);
  if (result > 0 && Text[result - 1] >= 0xD800 && Text[result - 1] <= 0xDBFF)
    --result;
  Extent = GetXExtent(Canvas, Text, result);
  return result;
}

void WrapText(TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const std::string& S)
{
  int oldMode = Canvas.SetBkMode(TRANSPARENT);
  // Lines hang from Y1 even when the caller is writing on baselines (a paragraph's line).
  const uint32_t oldAlign = Canvas.SetTextAlign(TA_TOP | TA_LEFT);
  int32_t h = Canvas.TextHeight("A");
  int32_t y = Y1;
  std::string line;
  auto emit = [&]() {
    if (y + h > Y2)
      return false;
    Canvas.TextOut(X1, y, line);
    y += h;
    return true;
  };
  size_t i = 0;
  bool room = true;
  while (room && i < S.size()) {
    size_t j = S.find(' ', i);
    if (j == std::string::npos)
      j = S.size();
    std::string word = S.substr(i, j - i);
    i = j + 1;
    if (word.empty())
      continue;
    std::string longer = line.empty() ? word : line + " " + word;
    if (line.empty() || Canvas.TextWidth(longer) <= X2 - X1) {
      line = longer;
    } else {
      room = emit();
      line = word;
    }
  }
  if (room && !line.empty())
    emit();
  Canvas.SetTextAlign(oldAlign);
  Canvas.SetBkMode(oldMode);
}

namespace {

bool MonochromePrinter(TCanvas& Canvas)
{
  return Canvas.Device().IsPrinter() && Canvas.GetDeviceCaps(BITSPIXEL) * Canvas.GetDeviceCaps(PLANES) == 1;
}

// Top and left edges in one colour, bottom and right in the other, Width pixels deep.
void Bevel(TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor TopLeft, TColor BottomRight,
           int Width)
{
  TPen saved;
  saved.Assign(Canvas.Pen());
  Canvas.Pen().SetWidth(1);
  Canvas.Pen().SetStyle(psSolid);
  for (int i = 0; i < Width; ++i) {
    Canvas.Pen().SetColor(TopLeft);
    Canvas.MoveTo(X1 + i, Y2 - 1 - i);
    Canvas.LineTo(X1 + i, Y1 + i);
    Canvas.LineTo(X2 - i, Y1 + i);
    Canvas.Pen().SetColor(BottomRight);
    Canvas.MoveTo(X2 - 1 - i, Y1 + i + 1);
    Canvas.LineTo(X2 - 1 - i, Y2 - 1 - i);
    Canvas.LineTo(X1 + i, Y2 - 1 - i);
  }
  Canvas.Pen().Assign(saved);
}

}   // namespace

void FormControlRect(TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool Raised, bool PrintMonoBlack)
{
  Canvas.FillRect(Rect(X1, Y1, X2, Y2), clWhite);
  if (PrintMonoBlack && MonochromePrinter(Canvas)) {
    Bevel(Canvas, X1, Y1, X2, Y2, clBlack, clBlack, 1);
    return;
  }
  TColor light = clSilver;
  TColor dark = clBtnShadow;
  if (Raised)
    Bevel(Canvas, X1, Y1, X2, Y2, light, dark, 2);
  else
    Bevel(Canvas, X1, Y1, X2, Y2, dark, light, 2);
}

void RaisedRectColor(const TBorderLook& Look, TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                     TColor Light, TColor Dark, bool Raised)
{
  // A border reaching far beyond what can show (a tall table scrolled through) is cut to a
  // little outside the canvas's visible part, however tall the canvas is.
  const TRect clip = Canvas.ClipRect();
  const int32_t lo = SatAdd(clip.Top, -200), hi = std::max(lo, SatAdd(clip.Bottom, 200));
  Y1 = std::clamp(Y1, lo, hi);
  Y2 = std::clamp(Y2, lo, hi);
  if (Look.Printing && Look.PrintMonoBlack && MonochromePrinter(Canvas))
    Light = Dark = clBlack;
  if (Raised)
    Bevel(Canvas, X1, Y1, X2, Y2, Light, Dark, 1);
  else
    Bevel(Canvas, X1, Y1, X2, Y2, Dark, Light, 1);
}

void RaisedRect(const TBorderLook& Look, TCanvas& Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool Raised)
{
  bool whitePage = ColorToRGB(Look.Background) == clWhite;
  TColor light = whitePage || Look.Printing ? clSilver : clBtnHighlight;
  RaisedRectColor(Look, Canvas, X1, Y1, X2, Y2, light, clBtnShadow, Raised);
}

// ---- built-in pictures and cursors ----

namespace {

// A picture from rows of characters; Colors maps each character to a colour.
TBitmap Picture(const std::vector<std::string>& Rows, const std::vector<std::pair<char, TColor>>& Colors,
                TPixelFormat Format)
{
  int32_t h = static_cast<int32_t>(Rows.size());
  int32_t w = static_cast<int32_t>(Rows[0].size());
  TBitmap b(w, h, Format);
  if (Format == TPixelFormat::pf1bit)
    b.SetPalette(TPalette{{TRGBQuad{0, 0, 0, 0}, TRGBQuad{255, 255, 255, 0}}});
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      char ch = x < static_cast<int32_t>(Rows[static_cast<size_t>(y)].size())
                    ? Rows[static_cast<size_t>(y)][static_cast<size_t>(x)]
                    : ' ';
      for (const auto& [k, c] : Colors)
        if (k == ch)
          b.SetPixel(x, y, c);
    }
  return b;
}

const std::vector<std::string> DefRows = {
    "################", "#..............#", "#.############.#", "#.#yyyyyyyyyy#.#",
    "#.#yyyyyyyyyy#.#", "#.#yyyyyyyyyy#.#", "#.#yyyyyyyggy#.#", "#.#yyyyyyggggy.#",
    "#.#yyyggyggggg.#", "#.#yyggggggggg.#", "#.#ggggggggggg.#", "#.#ggggggggggg.#",
    "#.############.#", "#..............#", "#..............#", "################",
};

const std::vector<std::string> ErrorRows = {
    "################", "#..............#", "#.rr........rr.#", "#.rrr......rrr.#",
    "#..rrr....rrr..#", "#...rrr..rrr...#", "#....rrrrrr....#", "#.....rrrr.....#",
    "#.....rrrr.....#", "#....rrrrrr....#", "#...rrr..rrr...#", "#..rrr....rrr..#",
    "#.rrr......rrr.#", "#.rr........rr.#", "#..............#", "################",
};

// Cursors: '#' black, '.' white, ' ' transparent.
const std::vector<std::string> HandRows = {
    "     ##         ", "    #..#        ", "    #..#        ", "    #..#        ",
    "    #..###      ", "    #..#..###   ", "    #..#..#..## ", " ## #..#..#..#.#",
    "#..##........#.#", "#...#..........#", " #..#..........#", "  #............#",
    "  #...........# ", "   #..........# ", "    #........#  ", "    ##########  ",
};
const std::vector<std::string> IBeamRows = {
    "###.###", ".#####.", "  ###  ", "  ###  ", "  ###  ", "  ###  ", "  ###  ", "  ###  ",
    "  ###  ", "  ###  ", "  ###  ", "  ###  ", "  ###  ", "  ###  ", ".#####.", "###.###",
};
const std::vector<std::string> UpRows = {
    "      .      ", "     .#.     ", "    .###.    ", "   .#####.   ", "  .#######.  ", " .#########. ",
    ".###########.", ".....###.....", "    .###.    ", "    .###.    ", "    .###.    ",
};

std::vector<std::string> Flipped(const std::vector<std::string>& Rows)
{
  return std::vector<std::string>(Rows.rbegin(), Rows.rend());
}

TCursorImage MakeCursor(const std::vector<std::string>& Rows, TPoint Hot)
{
  TCursorImage c;
  // Where the mask lets the screen through the image is black: white there would turn the
  // screen over.
  c.Image = Picture(Rows, {{'#', clBlack}, {'.', clWhite}, {' ', clBlack}}, TPixelFormat::pf1bit);
  c.Mask = Picture(Rows, {{'#', clBlack}, {'.', clBlack}, {' ', clWhite}}, TPixelFormat::pf1bit);
  c.HotSpot = Hot;
  return c;
}

}   // namespace

const TBitmap& DefBitmap()
{
  static const TBitmap b =
      Picture(DefRows, {{'#', clGray}, {'.', clSilver}, {'y', RGBColor(255, 255, 192)}, {'g', RGBColor(0, 160, 0)}},
              TPixelFormat::pf24bit);
  return b;
}

const TBitmap& ErrorBitmap()
{
  static const TBitmap b = Picture(ErrorRows, {{'#', clGray}, {'.', clWhite}, {'r', clRed}}, TPixelFormat::pf24bit);
  return b;
}

const TBitmap& ErrorBitmapMask()
{
  // The frame and the cross show; the white inside lets the page through.
  static const TBitmap b = Picture(ErrorRows, {{'#', clBlack}, {'.', clWhite}, {'r', clBlack}}, TPixelFormat::pf1bit);
  return b;
}

const TCursorImage* BuiltInCursor(int Index)
{
  static const TCursorImage cursors[5] = {
      MakeCursor(HandRows, Point(5, 0)),
      MakeCursor(IBeamRows, Point(3, 8)),
      MakeCursor(
          [] {
            std::vector<std::string> r = UpRows;
            r.push_back("    .###.    ");
            std::vector<std::string> down = Flipped(UpRows);
            r.insert(r.end(), down.begin(), down.end());
            return r;
          }(),
          Point(6, 11)),
      MakeCursor(UpRows, Point(6, 0)),
      MakeCursor(Flipped(UpRows), Point(6, 10)),
  };
  return Index >= 1 && Index <= 5 ? &cursors[Index - 1] : nullptr;
}

void InstallViewerCursors()
{
  if (HasScreenCursorImage(HandCursor))
    return;
  for (int i = HandCursor; i <= DownOnlyCursor; ++i) {
    const TCursorImage* c = BuiltInCursor(i);
    SetScreenCursorImage(static_cast<TCursor>(i), c->Image, c->Mask, c->HotSpot);
  }
}
