// The section protocol's base behaviour, cells, and the document root with its images by
// name, background, animation timer, hover state, drawing and selection copy.
#include <algorithm>
#include <tuple>
#include <unordered_set>

#include "html/Document.h"

// ---- sections ----

TSectionBase::TSectionBase(TSectionList* AMasterList) : ParentSectionList(AMasterList) {}

TSectionBase::TSectionBase(TSectionList* AMasterList, const TSectionBase& T)
    : ParentSectionList(AMasterList), SectionHeight(T.SectionHeight), ZIndex(T.ZIndex)
{}

TSectionBase::~TSectionBase()
{
  if (ParentSectionList)
    ParentSectionList->Forget(this);
}

std::unique_ptr<TSectionBase> TSectionBase::CreateCopy(TSectionList* AMasterList) const
{
  return std::make_unique<TSectionBase>(AMasterList, *this);
}

int32_t TSectionBase::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t AWidth, int32_t AHeight,
                             IndentManager& IMgr, int32_t& MaxWidth, int32_t& Curs)
{
  StartCurs = Curs;
  DrawHeight = SectionHeight;
  ContentTop = DrawTop = YDraw = Y;
  ContentBot = Y + SectionHeight;
  DrawBot = Y + DrawHeight;
  MaxWidth = IMgr.Width;
  return SectionHeight;
}

int32_t TSectionBase::Draw(TCanvas& Canvas, const TRect& ARect, IndentManager& IMgr, int32_t X, int32_t XRef,
                           int32_t YRef)
{
  return YDraw + SectionHeight;
}

// ---- cells ----

TCellBasic::TCellBasic(TSectionList* AMasterList) : MasterList(AMasterList) {}

TCellBasic::TCellBasic(TSectionList* AMasterList, const TCellBasic& T) : MasterList(AMasterList)
{
  for (const auto& s : T)
    TFreeList<TSectionBase>::Add(s->CreateCopy(AMasterList));
}

TCellBasic::~TCellBasic() = default;

void TCellBasic::Add(std::unique_ptr<TSectionBase> Item)
{
  if (!Item)
    return;
  if (auto* s = dynamic_cast<TSection*>(Item.get())) {
    if (!s->Finished)
      s->Finish();
    if (s->BuffS.empty() && !s->IsPreformatted() && s->ClearAttr == clrNone && !s->KeepEmpty)
      return;   // its destructor takes its links and names out of the document's lists
  }
  Item->ParentSectionList = MasterList;
  TFreeList<TSectionBase>::Add(std::move(Item));
  FMinMaxCycle = -1;
}

int32_t TCellBasic::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs,
                           int32_t& MaxWidth)
{
  CellTop = Y;
  StartCurs = Curs;
  int32_t h = 0;
  tcDrawTop = 999999999;
  tcDrawBot = 0;
  const TSection* prevText = nullptr;
  for (int i = 0; i < Count(); ++i) {
    TSectionBase* s = Items(i);
    auto* t = dynamic_cast<TSection*>(s);
    // The line end before the end of a PRE block leaves an empty last line; it takes no
    // height, or every such block would end with a blank line.
    if (t) {
      t->EndsPreformatted =
          i == Count() - 1 && t->IsPreformatted() && t->Len == 0 && prevText && prevText->IsPreformatted();
      if (t->EndsPreformatted) {
        auto* bc = dynamic_cast<TBlockCell*>(this);
        t->EndsPreformatted = bc && bc->OwnerBlock && bc->OwnerBlock->Tag() == "pre";
      }
    }
    prevText = t;
    int32_t sw = 0;
    h += s->Layout(Canvas, X, Y + h, Width, Height, *IMgr, sw, Curs);
    MaxWidth = std::max(MaxWidth, sw);
    tcDrawTop = std::min(tcDrawTop, s->DrawTop);
    tcDrawBot = std::max(tcDrawBot, s->DrawBot);
  }
  Len = Curs - StartCurs;
  tcContentBot = Y + h;
  return h;
}

void TCellBasic::MinMaxWidth(TCanvas& Canvas, int32_t& Min, int32_t& Max)
{
  const bool cache = MasterList && MasterList->InLayoutPass;
  if (cache && FMinMaxCycle == MasterList->CycleNumber && FMinMaxCanvas == &Canvas) {
    Min = FMinCache;
    Max = FMaxCache;
    return;
  }
  Min = 0;
  Max = 0;
  for (const auto& s : *this) {
    int32_t mn = 0, mx = 0;
    s->MinMaxWidth(Canvas, mn, mx);
    Min = std::max(Min, mn);
    Max = std::max(Max, mx);
  }
  if (cache) {
    FMinMaxCycle = MasterList->CycleNumber;
    FMinMaxCanvas = &Canvas;
    FMinCache = Min;
    FMaxCache = Max;
  }
}

int32_t TCellBasic::Draw(TCanvas& Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef, int32_t YRef)
{
  int32_t y = CellTop;
  for (const auto& s : *this)
    y = s->Draw(Canvas, ARect, *IMgr, X, XRef, YRef);
  return y;
}

uint32_t TCellBasic::LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info)
{
  for (const auto& s : *this)
    if (Y >= s->DrawTop && Y < s->DrawBot)
      if (uint32_t r = s->LinkAt(Canvas, X, Y, Info))
        return r;
  return 0;
}

TFloatingObj* TCellBasic::ObjectAt(int32_t X, int32_t Y, int32_t& IX, int32_t& IY)
{
  for (const auto& s : *this)
    if (Y >= s->DrawTop && Y < s->DrawBot)
      if (TFloatingObj* o = s->ObjectAt(X, Y, IX, IY))
        return o;
  return nullptr;
}

int32_t TCellBasic::CursorAt(TCanvas& Canvas, int32_t X, int32_t Y, TCursorInfo& Info)
{
  for (const auto& s : *this)
    if (Y >= s->DrawTop && Y < s->DrawBot) {
      int32_t r = s->CursorAt(Canvas, X, Y, Info);
      if (r >= 0)
        return r;
    }
  return -1;
}

bool TCellBasic::CursorToXY(TCanvas& Canvas, int32_t Cursor, int32_t& X, int32_t& Y)
{
  for (const auto& s : *this)
    if (s->CursorToXY(Canvas, Cursor, X, Y))
      return true;
  return false;
}

int32_t TCellBasic::FindString(int32_t From, const std::u16string& ToFind, bool MatchCase)
{
  for (const auto& s : *this) {
    int32_t r = s->FindString(From, ToFind, MatchCase);
    if (r >= 0)
      return r;
  }
  return -1;
}

int32_t TCellBasic::FindStringBackward(int32_t From, const std::u16string& ToFind, bool MatchCase)
{
  for (int i = Count() - 1; i >= 0; --i) {
    int32_t r = Items(i)->FindStringBackward(From, ToFind, MatchCase);
    if (r >= 0)
      return r;
  }
  return -1;
}

int32_t TCellBasic::SourcePosOf(int32_t Pos) const
{
  for (const auto& s : *this) {
    int32_t r = s->SourcePosOf(Pos);
    if (r >= 0)
      return r;
  }
  return -1;
}

int32_t TCellBasic::DocPosOf(int32_t SourcePos, bool Backward) const
{
  if (Backward) {
    for (int i = Count() - 1; i >= 0; --i) {
      int32_t r = Items(i)->DocPosOf(SourcePos, true);
      if (r >= 0)
        return r;
    }
  } else {
    for (const auto& s : *this) {
      int32_t r = s->DocPosOf(SourcePos, false);
      if (r >= 0)
        return r;
    }
  }
  return -1;
}

bool TCellBasic::CharAt(int32_t Pos, char16_t& Ch, TSectionBase*& Obj)
{
  if (Pos < StartCurs || Pos > StartCurs + Len)
    return false;
  for (const auto& s : *this)
    if (s->CharAt(Pos, Ch, Obj))
      return true;
  return false;
}

void TCellBasic::CopyToClipboard()
{
  if (!MasterList)
    return;
  const int32_t selB = MasterList->SelB;
  const int32_t selE = MasterList->SelE;
  for (const auto& s : *this) {
    if (s->StartCurs >= selE)
      break;
    if (s->StartCurs + s->Len > selB)
      s->CopyToClipboard();
  }
}

void TCellBasic::AddToPositionList(std::vector<TSectionBase*>& List)
{
  for (const auto& s : *this)
    s->AddToPositionList(List);
}

bool TCellBasic::CheckLastBottomMargin()
{
  for (int i = Count() - 1; i >= 0; --i)
    if (Items(i)->IsFlowBlock())
      return Items(i)->ClearAutoBottomMargin();
  return false;
}

TCell::TCell(TSectionList* AMasterList) : TCellBasic(AMasterList) {}

TCell::TCell(TSectionList* AMasterList, const TCell& T) : TCellBasic(AMasterList, T), FIMgrWidth(T.FIMgrWidth) {}

TCell::~TCell() = default;

// Sets a table cell's IMgr for the time of a layout or a drawing, lent by the document
// (given back on the way out, exceptions included; a drawing inside a layout of the same
// cell, from a progress report, leaves the layout its own). The document keeps its own; a
// cell of no document lends from its own pool.
class TCell::TIMgrLoan {
public:
  explicit TIMgrLoan(TCell& C) : FCell(C), FSaved(C.IMgr)
  {
    if (static_cast<TCellBasic*>(C.MasterList) == &C)
      return;
    if (C.MasterList) {
      C.IMgr = C.MasterList->LendIMgr();
    } else {
      if (!C.FOwnIMgrs)
        C.FOwnIMgrs = std::make_unique<TIndentManagerPool>();
      C.IMgr = C.FOwnIMgrs->Lend();
    }
    FLent = true;
  }
  ~TIMgrLoan()
  {
    if (!FLent)
      return;
    if (FCell.MasterList)
      FCell.MasterList->ReturnIMgr();
    else
      FCell.FOwnIMgrs->Return();
    FCell.IMgr = FSaved;
  }
  bool Lent() const { return FLent; }
  TIMgrLoan(const TIMgrLoan&) = delete;
  TIMgrLoan& operator=(const TIMgrLoan&) = delete;

private:
  TCell& FCell;
  IndentManager* FSaved;
  bool FLent = false;
};

int32_t TCell::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs,
                      int32_t& MaxWidth)
{
  TIMgrLoan loan(*this);
  // The cell's own edges are the manager's defaults (left 0, right Width), so they need no
  // records of their own.
  IMgr->Clear();
  IMgr->Reset(0, Width);
  FIMgrWidth = IMgr->Width;
  const TCellBasic* saved = IMgr->CurrentOwner;
  IMgr->CurrentOwner = this;
  int32_t h = TCellBasic::Layout(Canvas, X, Y, Width, Height, Curs, MaxWidth);
  h = std::max(h, IMgr->ImageBottom() - Y);
  IMgr->CurrentOwner = saved;
  return h;
}

int32_t TCell::Draw(TCanvas& Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef, int32_t YRef)
{
  TIMgrLoan loan(*this);
  if (loan.Lent())
    IMgr->Width = FIMgrWidth;
  IMgr->LfEdge = X;
  IMgr->RtEdge = X + IMgr->Width;
  IMgr->CurrentYRef = YRef;
  DrawYY = CellTop;
  return TCellBasic::Draw(Canvas, ARect, ClipWidth, X, XRef, YRef);
}

// ---- the document ----

namespace {

// The stand-in for a stream request answered "later": hosts hand back its address, and it is
// only ever compared by address, never read or written, so one marker serves every document.
// NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): one marker per process.
TByteStream GWaitStream;

bool EndsWithGif(const std::string& Name)
{
  return Name.size() >= 4 && LowerCase(Name.substr(Name.size() - 4)) == ".gif";
}

std::string CacheKey(const std::string& Name)
{
  size_t b = 0, e = Name.size();
  while (b < e && static_cast<unsigned char>(Name[b]) < 33)
    ++b;
  while (e > b && static_cast<unsigned char>(Name[e - 1]) < 33)
    --e;
  return UpperCase(Name.substr(b, e - b));
}

}   // namespace

TStream* WaitStream() { return &GWaitStream; }

int32_t DocumentLineTop(TSectionList* List, int32_t ChPos);

TSectionList::TSectionList(THtmlDocHost* AOwner, TObject* ASender)
    : TCell(this), TheOwner(AOwner), Sender(ASender), Styles(std::make_unique<TStyleList>()),
      IDNameList(std::make_unique<TIDNameList>(this, DocumentLineTop))
{
  IMgr = &FDocIMgr;
}

TSectionList::TSectionList(const TSectionList& T)
    : TCell(this), TheOwner(T.TheOwner), Sender(T.Sender), Styles(std::make_unique<TStyleList>()),
      IDNameList(std::make_unique<TIDNameList>(this, DocumentLineTop))
{
  IMgr = &FDocIMgr;
  ShowImages = T.ShowImages;
  YOff = T.YOff;
  SelB = T.SelB;
  SelE = T.SelE;
  PreFontName = T.PreFontName;
  LinkVisitedColor = T.LinkVisitedColor;
  LinkActiveColor = T.LinkActiveColor;
  HotSpotColor = T.HotSpotColor;
  Printing = T.Printing;
  PrintTableBackground = T.PrintTableBackground;
  PrintMonoBlack = T.PrintMonoBlack;
  ShowDummyCaret = T.ShowDummyCaret;
  GetBitmap = T.GetBitmap;
  GetImage = T.GetImage;
  ExpandName = T.ExpandName;
  Background = T.Background;
  BitmapList = T.BitmapList;
  IsCopy = true;
  // The sections are copied once this document exists, since copies register with it.
  for (const auto& s : T)
    TFreeList<TSectionBase>::Add(s->CreateCopy(this));
  Len = T.Len;
  StartCurs = T.StartCurs;
}

TSectionList::~TSectionList() { Clear(); }

namespace {

bool FontBefore(const TMyFont& A, const TMyFont& B)
{
  return std::forward_as_tuple(A.Name(), A.Height(), A.Style(), A.Color(), A.bgColor, A.Charset(), A.Pitch(),
                               A.Orientation(), A.PixelsPerInch())
         < std::forward_as_tuple(B.Name(), B.Height(), B.Style(), B.Color(), B.bgColor, B.Charset(), B.Pitch(),
                                 B.Orientation(), B.PixelsPerInch());
}

}   // namespace

int32_t TSectionList::KnownTextWidth(const TCanvas& Canvas, const std::shared_ptr<TMyFont>& Font,
                                     std::u16string_view Text) const
{
  const TTextWidths& w = FTextWidths;
  if (!InLayoutPass || w.Cycle != CycleNumber || w.Canvas != &Canvas || w.Font != Font
      || Text.size() > MaxKeptTextWidth)
    return -1;
  const auto it = w.Widths.find(Text);
  return it == w.Widths.end() ? -1 : it->second;
}

void TSectionList::KeepTextWidth(const TCanvas& Canvas, const std::shared_ptr<TMyFont>& Font, std::u16string_view Text,
                                 int32_t Width)
{
  if (!InLayoutPass || Text.size() > MaxKeptTextWidth)
    return;
  TTextWidths& w = FTextWidths;
  if (w.Cycle != CycleNumber || w.Canvas != &Canvas || w.Font != Font || w.Widths.size() >= 4096) {
    w.Cycle = CycleNumber;
    w.Canvas = &Canvas;
    w.Font = Font;
    w.Widths.clear();
  }
  w.Widths.emplace(Text, Width);
}

std::shared_ptr<TMyFont> TSectionList::SharedFont(const TMyFont& F)
{
  // Text mostly keeps the font of the text before it.
  if (FLastFont && SameFont(F, *FLastFont))
    return FLastFont;
  auto it = std::lower_bound(FFonts.begin(), FFonts.end(), F,
                             [](const auto& P, const TMyFont& V) { return FontBefore(*P, V); });
  if (it != FFonts.end() && !FontBefore(F, **it))
    return FLastFont = *it;
  auto font = std::make_shared<TMyFont>();
  font->Assign(F);
  return FLastFont = *FFonts.insert(it, std::move(font));
}

void TSectionList::Forget(const TFontObj* F)
{
  std::erase(LinkList, F);
  if (ActiveLink == F)
    ActiveLink = nullptr;
  std::erase_if(TabOrderList, [F](const auto& e) { return e.second.first == F; });
}

void TSectionList::Forget(const TImageObj* I)
{
  if (IDNameList)
    IDNameList->RemoveObject(I);
  std::erase_if(MissingImages, [I](const auto& m) { return m.second == I; });
  if (I->GIF())
    std::erase(AGifList, I->GIF());
  if (ActiveImage == I)
    ActiveImage = nullptr;
  std::erase_if(DrawList, [I](const TImageRec& r) { return r.AObj == I; });
}

void TSectionList::Forget(const TFormControlObj* C)
{
  std::erase(FormControlList, C);
  std::erase_if(TabOrderList, [C](const auto& e) { return e.second.second == C; });
  if (IDNameList)
    IDNameList->RemoveObject(C);
}

void TSectionList::Forget(const TSectionBase* S)
{
  if (IDNameList)
    IDNameList->RemoveObject(S);
  std::erase(PositionList, S);
}

void TSectionList::Clear()
{
  if (!IsCopy) {
    if (IDNameList)
      IDNameList->Clear();
    PositionList.clear();
  }
  BackgroundBitmap = nullptr;
  BackgroundMask = nullptr;
  if (!FBackgroundKey.empty() && BitmapList) {
    int i = BitmapList->IndexOf(FBackgroundKey);
    if (i >= 0) {
      BitmapList->DecUsage(FBackgroundKey);
      // Dropped unless a page image still uses the same picture.
      if (BitmapList->Objects(i)->UsageCount <= 0)
        BitmapList->Delete(i);
    }
  }
  FBackgroundKey.clear();
  BitmapName.clear();
  BitmapLoaded = false;
  // The lists forget the page's fields before the fields go, or each would be searched for
  // in them as it goes.
  FormControlList.clear();
  TabOrderList.clear();
  AGifList.clear();
  Timer.reset();
  SelB = SelE = 0;
  MapList.Clear();
  MissingImages.clear();
  LinkList.clear();
  FocusLinkID = 0;
  ActiveLink = nullptr;
  ActiveImage = nullptr;
  PanelList.clear();
  if (!IsCopy && Styles)
    Styles->Clear();
  TabOrderList.clear();
  DrawList.clear();
  // (A copy's paragraphs share the page's fields and leave them be.)
  FreeingFields = !IsCopy;
  TFreeList<TSectionBase>::Clear();
  FreeingFields = false;
  htmlFormList.Clear();
  FFonts.clear();
  FLastFont.reset();
  Len = 0;
  StartCurs = 0;
  SectionCount = 0;
}

std::vector<TSectionList::TTabItem> TSectionList::TabItems() const
{
  struct TKeyed {
    int32_t Group, Pos;
    TTabItem Item;
  };
  auto group = [](int32_t TabIndex) { return TabIndex >= 1 ? TabIndex : INT32_MAX; };
  std::vector<TKeyed> all;
  std::unordered_set<int32_t> seen;
  // A link may be split over several runs: its first one stands for it.
  for (TFontObj* f : LinkList)
    if (f->IsLink() && f->Section && f->Section->LineTopAt(f->Pos) >= 0 && seen.insert(f->LinkID()).second)
      all.push_back({group(f->UrlTarget->TabIndex), f->Section->StartCurs + f->Pos, {f, nullptr}});
  for (TFormControlObj* c : FormControlList)
    if (const TWinControl* w = c->GetControl(); w && w->Enabled())
      if (const int32_t p = c->DocumentPos(); p >= 0)
        all.push_back({group(c->TabIndex), p, {nullptr, c}});
  std::stable_sort(all.begin(), all.end(), [](const TKeyed& a, const TKeyed& b) {
    return std::tie(a.Group, a.Pos) < std::tie(b.Group, b.Pos);
  });
  std::vector<TTabItem> items;
  items.reserve(all.size());
  for (const TKeyed& k : all)
    items.push_back(k.Item);
  return items;
}

std::vector<TFontObj*> TSectionList::TabLinks() const
{
  std::vector<TFontObj*> links;
  for (const TTabItem& i : TabItems())
    if (i.Link)
      links.push_back(i.Link);
  return links;
}

void TSectionList::ClearPanels()
{
  PanelList.clear();
  FormControlList.clear();
}

void TSectionList::SetYOffset(int32_t Y)
{
  YOff = Y;
  YOffChange = true;
  for (const auto& f : htmlFormList)
    for (const auto& c : f->ControlList)
      if (c)
        c->ShowIt = false;
  for (TFloatingObj* p : PanelList)
    p->SetShown(false);
}

void TSectionList::SetFonts(const std::string& Name, const std::string& PreName, TColor Color, TColor AHotSpot,
                            TColor AVisitedColor, TColor AActiveColor, TColor ABackground, bool LnksActive,
                            bool LinkUnderLine, int32_t ACharSet, double MarginHeight, int32_t MarginWidth,
                            double FontSize)
{
  if (Styles)
    Styles->BuildDefaults(Name, PreName, MarginWidth, SafeRound(MarginHeight), ACharSet, LinkUnderLine, AActiveColor,
                          AVisitedColor, AHotSpot, Color, FontSize);
  PreFontName = PreName.substr(0, 32);
  HotSpotColor = AHotSpot;
  LinkVisitedColor = AVisitedColor;
  LinkActiveColor = AActiveColor;
  LinksActive = LnksActive;
  SetBackground(ABackground);
}

void TSectionList::SetBackground(TColor ABackground)
{
  Background = ABackground;
  if (OnBackgroundChange)
    OnBackgroundChange(Sender);
}

void TSectionList::SetBackgroundBitmap(const std::string& Name, const PtPositionRec& APrec)
{
  BackgroundBitmap = nullptr;
  BackgroundMask = nullptr;
  BitmapName = Name;
  BackgroundPRec = APrec;
  BitmapLoaded = false;
}

const TBitmap* TSectionList::GetBackgroundBitmap()
{
  if (ShowImages && !BitmapLoaded && !BitmapName.empty() && !BackgroundBitmap) {
    std::string name = BitmapName;
    if (!GetBitmap && !GetImage) {
      if (TheOwner)
        name = TheOwner->HTMLExpandFilename(name);
    } else if (ExpandName) {
      name = ExpandName(name);
    }
    TImageResult r = GetTheBitmap(name, NotTransp);
    if (r.Bitmap) {
      BackgroundBitmap = r.Bitmap;
      BackgroundMask = r.Mask;
    } else if (r.GIF) {
      BackgroundBitmap = r.GIF->GetBitmap();
      BackgroundMask = r.GIF->GetMaskImage();
    } else if (r.Delayed) {
      MissingImages.emplace_back(CacheKey(name), nullptr);
    }
    if (!r.Empty())
      FBackgroundKey = CacheKey(name);
    BitmapLoaded = true;
  }
  return BackgroundBitmap;
}

TImageResult TSectionList::LoadPicture(const std::string& Name, const std::string& Key, TTransparency Transparent)
{
  TImageResult r;
  std::unique_ptr<TBitmap> bitmap;
  std::unique_ptr<TGIFImage> gif;
  std::unique_ptr<TBitmap> mask;
  TTransparency transp = Transparent;

  auto loadFile = [&](const std::string& FileName) {
    if (EndsWithGif(FileName)) {
      try {
        bool nonAnimated = true;
        gif = CreateAGifFromFile(FileName, nonAnimated);
      } catch (const std::exception&) {
        gif.reset();
      }
    }
    if (!gif) {
      try {
        bitmap = LoadImageFromFile(FileName, transp, mask);
      } catch (const std::exception&) {
        bitmap.reset();
        mask.reset();
      }
    }
  };

  if (GetBitmap) {
    TColor color = -1;
    GetBitmap(Sender, Name, bitmap, color);
    if (bitmap && !bitmap->Empty()) {
      if (color != -1) {
        mask = GetImageMask(*bitmap, true, color);
        transp = TrGif;
      } else if (Transparent == LLCorner) {
        mask = GetImageMask(*bitmap, false, 0);
      }
    } else {
      bitmap.reset();
    }
  } else if (GetImage) {
    TStream* stream = nullptr;
    GetImage(Sender, Name, stream);
    if (stream == WaitStream()) {
      r.Delayed = true;
      return r;
    }
    if (!stream) {
      loadFile(TheOwner ? TheOwner->HTMLExpandFilename(Name) : Name);
    } else if (stream->Size() > 0) {
      try {
        TByteStream bytes;
        stream->SetPosition(0);
        bytes.CopyFrom(*stream, 0);
        bytes.SetPosition(0);
        uint8_t kind = DetectImageFormat(bytes.Memory(), bytes.Bytes().size());
        if (kind == itGIF || kind == itGIF89) {
          bool nonAnimated = true;
          gif = CreateAGif(bytes, nonAnimated);
        } else {
          bitmap = LoadImageFromStream(&bytes, transp, mask);
        }
      } catch (const std::exception&) {
        gif.reset();
        bitmap.reset();
        mask.reset();
      }
    }
  } else {
    loadFile(Name);
  }

  if (gif && !gif->Animated) {
    // A still GIF is kept as a plain bitmap.
    if (TBitmap* b = gif->GetBitmap())
      bitmap = std::make_unique<TBitmap>(*b);
    if (TBitmap* m = gif->GetMaskImage()) {
      mask = std::make_unique<TBitmap>(*m);
      transp = TrGif;
    } else if (Transparent == LLCorner && bitmap) {
      mask = GetImageMask(*bitmap, false, 0);
      transp = LLCorner;
    }
    gif.reset();
  }
  if (!bitmap && !gif)
    return r;

  if (!mask)
    transp = NotTransp;
  std::unique_ptr<TImageHolder> holder = gif ? MakeImageHolder(std::move(gif)) : MakeImageHolder(std::move(bitmap));
  TBitmapItem* item =
      BitmapList->AddObject(Key, std::make_unique<TBitmapItem>(std::move(holder), std::move(mask), transp));
  r.Bitmap = item->MImage->Bitmap();
  r.GIF = item->MImage->GIF();
  r.Mask = item->Mask.get();
  r.Transparent = item->Transp == NotTransp ? Transparent : item->Transp;
  return r;
}

TImageResult TSectionList::GetTheBitmap(const std::string& BMName, TTransparency Transparent)
{
  TImageResult r;
  if (BMName.empty())
    return r;
  if (!BitmapList) {
    if (!FOwnCache)
      FOwnCache = std::make_unique<TStringBitmapList>();
    BitmapList = FOwnCache.get();
  }
  const std::string key = CacheKey(BMName);
  if (key.empty())
    return r;
  int i = BitmapList->IndexOf(key);
  if (i < 0)
    return LoadPicture(BMName, key, Transparent);

  TBitmapItem* item = BitmapList->Objects(i);
  TImageHolder* h = BitmapList->GetImage(i);
  r.FromCache = true;
  r.Transparent = Transparent;
  if (!h)
    return r;
  if (TBitmap* b = h->Bitmap()) {
    r.Bitmap = b;
    if (item->Transp == TrGif || item->Transp == TrPng) {
      r.Transparent = item->Transp;
    } else if (Transparent == LLCorner) {
      if (!item->Mask)
        item->Mask = GetImageMask(*b, false, 0);
      item->Transp = LLCorner;
    }
    r.Mask = item->Mask.get();
  } else {
    r.GIF = h->GIF();
  }
  return r;
}

std::unique_ptr<std::vector<std::vector<std::string>>> TSectionList::GetFormControlData() const
{
  if (htmlFormList.Count() == 0)
    return nullptr;
  auto result = std::make_unique<std::vector<std::vector<std::string>>>();
  for (const auto& f : htmlFormList)
    result->push_back(f->GetControlData());
  return result;
}

void TSectionList::SetFormControlData(const std::vector<std::vector<std::string>>& T)
{
  const size_t n = std::min(T.size(), static_cast<size_t>(htmlFormList.Count()));
  for (size_t i = 0; i < n; ++i)
    htmlFormList[static_cast<int>(i)]->SetControlData(T[i]);
}

TSectionBase* TSectionList::FindSectionAtPosition(int32_t Pos, int32_t& TopPos, int32_t& Index) const
{
  for (int i = static_cast<int>(PositionList.size()) - 1; i >= 0; --i) {
    TSectionBase* s = PositionList[static_cast<size_t>(i)];
    if (s->GetYPosition() <= Pos) {
      TopPos = s->GetYPosition();
      Index = i;
      return s;
    }
  }
  Index = -1;
  return nullptr;
}

int32_t TSectionList::DocPosOfList(int32_t SourcePos, bool Backward) const
{
  int32_t r = TCellBasic::DocPosOf(SourcePos, Backward);
  return r >= 0 ? r : Len + 1;
}

void TSectionList::CopyToClipboard()
{
  if (SelE <= SelB)
    return;
  CB = std::make_unique<ClipBuffer>();
  TCellBasic::CopyToClipboard();
  CB->Terminate();
  CB.reset();
}

std::u16string TSectionList::GetSelText()
{
  if (SelE <= SelB)
    return std::u16string();
  CB = std::make_unique<ClipBuffer>();
  TCellBasic::CopyToClipboard();
  std::u16string text = CB->Text();
  CB.reset();
  return text;
}

uint32_t TSectionList::LinkAt(TCanvas& Canvas, int32_t X, int32_t Y, TLinkInfo& Info)
{
  TFontObj* oldLink = ActiveLink;
  TImageObj* oldImage = ActiveImage;
  ActiveLink = nullptr;
  ActiveImage = nullptr;
  uint32_t result = TCellBasic::LinkAt(Canvas, X, Y, Info);
  // Hover looks are shown when the viewer asks for them or the page styles a hovered link.
  const bool hoverLooks = LinksActive || (Styles && Styles->LinksActive);
  if (hoverLooks && ActiveLink != oldLink) {
    if (oldLink)
      oldLink->SetAllHovered(LinkList, false);
    if (ActiveLink)
      ActiveLink->SetAllHovered(LinkList, true);
    InvalidatePanel();
  }
  if (ActiveImage != oldImage && oldImage)
    oldImage->SetHover(0);
  if (ActiveImage)
    ActiveImage->SetHover(LeftButtonDown ? 2 : 1);
  return result;
}

int32_t TSectionList::Layout(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t& Curs,
                             int32_t& MaxWidth)
{
  ++CycleNumber;
  // Widths and cell heights found during this pass are kept for the rest of it (nested
  // tables would otherwise ask their content again at every level).
  struct TPass {
    bool& Flag;
    bool Saved;
    explicit TPass(bool& F) : Flag(F), Saved(F) { Flag = true; }
    ~TPass() { Flag = Saved; }
  } pass(InLayoutPass);
  if (Timer)
    Timer->SetEnabled(false);
  for (const auto& f : htmlFormList)
    f->SetSizes(Canvas);
  Canvas.SetTextJustification(0, 0);

  if (!TabOrderList.empty()) {
    // Sorted by tab index, then by order of appearance (the key says both).
    std::stable_sort(TabOrderList.begin(), TabOrderList.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    int32_t order = 0;
    for (const auto& e : TabOrderList)
      if (TFormControlObj* c = e.second.second; c && c->HasWindowControl())
        c->SetTabOrder(order++);
    TabOrderList.clear();
  }

  int32_t h = TCell::Layout(Canvas, X, Y, Width, Height, Curs, MaxWidth);
  FTextWidths = {};   // (no longer valid: not kept with the document)
  Len = Curs - StartCurs;

  // Every animation starts again from its first frame after a layout, and waits to be drawn
  // at its new place.
  for (TGIFImage* g : AGifList) {
    g->Placed = false;
    g->SetCurrentFrame(1);
    g->SetAnimate(false);
    if (!IsCopy)
      g->SetAnimate(true);
  }
  if (!IsCopy && !Timer) {
    Timer = std::make_unique<TTimer>();
    Timer->SetEnabled(false);
    Timer->SetInterval(50);
    Timer->SetOnTimer([this](TObject*) { AnimateImages(); });
  }
  if (Timer)
    Timer->SetEnabled(!AGifList.empty());
  PlaceControls();
  if (!IsCopy && PositionList.empty())
    AddToPositionList(PositionList);
  return h;
}

int32_t TSectionList::DoLogic(TCanvas& Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t& ScrollWidth,
                              int32_t& Curs)
{
  ScrollWidth = 0;
  Curs = 0;
  return Layout(Canvas, 0, Y, std::clamp(Width, 0, 1000000), AHeight, Curs, ScrollWidth);
}

void TSectionList::AnimateImages()
{
  if (IsCopy)
    return;
  // Every picture in the visible part of the pane steps by its own frame times, wherever the
  // last paint reached: a paint of one small corner (a fast picture's own next frame) leaves
  // the others where they were on screen. Pictures scrolled out of view wait.
  const TRect view = TheOwner ? TheOwner->VisibleDocRect() : TRect{};
  for (TGIFImage* g : AGifList) {
    if (!g->Placed)
      continue;
    const TRect& d = g->DocRect;
    if (d.Right <= view.Left || d.Left >= view.Right || d.Bottom <= view.Top || d.Top >= view.Bottom)
      continue;
    g->StripRect = Rect(d.Left - view.Left, d.Top - view.Top, d.Right - view.Left, d.Bottom - view.Top);
    g->CheckTime([this](const TRect& R) {
      if (TheOwner)
        TheOwner->InvalidatePaintRect(R);
    });
  }
  if (Timer)
    Timer->SetInterval(40);
}

int32_t TSectionList::Draw(TCanvas& Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef,
                           int32_t YRef)
{
  PageTop = YOff + ARect.Top;
  PageFoot = YOff + ARect.Bottom;
  PageBottom = std::min(PageFoot, PageEndLimit);
  PageBreak = false;
  PageFloats.clear();
  // (The animation timer runs on: a paint cannot be interrupted by its step, and stopping
  // and starting it would restart its interval, so that paints coming faster than the
  // interval, as a drag's do, would freeze every picture.)
  for (TGIFImage* g : AGifList)
    g->ShowIt = false;
  DrawList.clear();
  int32_t y = TCell::Draw(Canvas, ARect, ClipWidth, X, XRef, YRef);
  // What belongs to the next page does not show on this one, down to the foot of the clip
  // (which lets a pixel or two below the text area through); but pictures floated from lines
  // on this page that may reach below its end are drawn whole, over the blank.
  if (Printing)
    Canvas.FillRect(Rect(ARect.Left, PageBottom - YOff, ARect.Right + 1, ARect.Bottom + 3), clWhite);
  // Floats are painted over the text, in the order they were met. A picture taller than a
  // page ends where the page does, and goes on from there on the next.
  const int32_t pageHeight = ARect.Bottom - ARect.Top;
  for (size_t i = 0; i < DrawList.size(); ++i) {
    TImageRec r = DrawList[i];
    const bool tall = Printing && r.AObj->ImageHeight + r.AObj->VSpaceT + r.AObj->VSpaceB >= pageHeight;
    if (tall) {
      r.ACanvas->SaveDC();
      r.ACanvas->IntersectClipRect(ARect.Left - 1, ARect.Top - 1, ARect.Right + 1, PageBottom - YOff);
    }
    r.AObj->Draw(*r.ACanvas, r.AX, r.AFO, r.AYBaseline, r.AY);
    if (tall)
      r.ACanvas->RestoreDC(-1);
  }
  DrawList.clear();
  // Where the pictures drawn now stand in the document (the canvas is in window
  // coordinates: the document moved by X across and up by the vertical offset).
  if (!IsCopy)
    for (TGIFImage* g : AGifList)
      if (g->ShowIt) {
        const TRect& s = g->StripRect;
        g->DocRect = Rect(s.Left - X, s.Top + YOff, s.Right - X, s.Bottom + YOff);
        g->Placed = true;
      }
  if (YOffChange) {
    PlaceControls();
    for (TFloatingObj* p : PanelList)
      if (!p->Shown())
        p->Hide();
    YOffChange = false;
  }
  if (Timer)
    Timer->SetEnabled(!AGifList.empty());
  return y;
}

void TSectionList::PlaceControls()
{
  if (IsCopy)
    return;
  // Controls out of view stay visible for the keyboard, off the panel.
  for (TFormControlObj* c : FormControlList)
    if (!c->ShowIt && c->HasWindowControl())
      c->ShowControlAt(-4000, c->YValue - YOff);
}

void TSectionList::HoverLinkDown(bool Pressed)
{
  if (ActiveImage)
    ActiveImage->SetHover(Pressed ? 2 : 1);
  InvalidatePanel();
}

void TSectionList::ClearHover()
{
  if (ActiveLink || ActiveImage)
    InvalidatePanel();
  if (ActiveLink) {
    ActiveLink->SetAllHovered(LinkList, false);
    ActiveLink = nullptr;
  }
  if (ActiveImage) {
    ActiveImage->SetHover(0);
    ActiveImage = nullptr;
  }
}

TMapItem* TSectionList::FindMap(const std::string& Name) const
{
  for (const auto& m : MapList)
    if (m->MapName == Name)
      return m.get();
  return nullptr;
}
