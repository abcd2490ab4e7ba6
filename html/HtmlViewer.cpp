// The viewer control: construction, loading from files, buffers and strings, link
// expansion and following, the history and the visited links.
#include "html/HtmlViewer.h"

#include <algorithm>
#include <filesystem>

#include "html/Urls.h"
#include "platform/Files.h"
#include "platform/Forms.h"

namespace {

// Pages, text files and style sheets larger than this are refused rather than read.
constexpr size_t MaxDocumentBytes = size_t(64) << 20;
constexpr size_t MaxStyleSheetBytes = size_t(4) << 20;
constexpr size_t MaxAnchorLength = 255;

bool IsSeparator(char C) { return C == '/' || C == '\\'; }

// The folder part of a file name, with its trailing separator.
std::string ExtractFilePath(const std::string& Name)
{
  size_t i = Name.find_last_of("/\\");
  return i == std::string::npos ? std::string() : Name.substr(0, i + 1);
}

// A full path: both separators read as "/", relative names taken from the working folder,
// "." and ".." folded.
std::string ExpandFileName(const std::string& Name)
{
  std::string s = Name;
  std::replace(s.begin(), s.end(), '\\', '/');
  if (s.empty() || s[0] != '/') {
    std::error_code ec;
    std::string cwd = std::filesystem::current_path(ec).string();
    s = cwd + "/" + s;
  }
  return FoldDotSegments(s, '/');
}

// The extension from the last ".", upper-cased, at most five characters (".HTML" counts
// for ".HTMLX").
std::string LinkExtension(const std::string& Name)
{
  size_t dot = Name.find_last_of('.');
  size_t sep = Name.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && sep > dot))
    return std::string();
  return UpperCase(Name.substr(dot, 5));
}

bool SameText(const std::string& A, const std::string& B) { return LowerCase(A) == LowerCase(B); }

std::string Narrow(const std::vector<uint8_t>& Bytes) { return std::string(Bytes.begin(), Bytes.end()); }

}   // namespace

// ---- construction ----

THTMLViewer::THTMLViewer()
{
  InstallViewerCursors();
  FBorderPanel = TComponent::Create<THtmlBorderPanel>(this);
  FBorderPanel->SetParent(this);
  FBorderPanel->SetAlign(alClient);
  FPaintPanel = Own(std::make_unique<TPaintPanel>(this));
  FPaintPanel->SetParent(FBorderPanel);
  FPaintPanel->SetChildWindowsInSight(true);
  FVScrollBar = Own(std::make_unique<T32ScrollBar>(sbVertical));
  FVScrollBar->SetParent(FBorderPanel);
  FVScrollBar->SetSmallChange(16);
  FVScrollBar->SetVisible(false);
  FVScrollBar->SetTabStop(false);
  FVScrollBar->OnScroll = [this](TObject*, TScrollCode Code, int32_t& Pos) { VScroll(Code, Pos); };
  FHScrollBar = Own(std::make_unique<T32ScrollBar>(sbHorizontal));
  FHScrollBar->SetParent(FBorderPanel);
  FHScrollBar->SetSmallChange(15);
  FHScrollBar->SetVisible(false);
  FHScrollBar->SetTabStop(false);
  FHScrollBar->OnScroll = [this](TObject*, TScrollCode Code, int32_t& Pos) { HScroll(Code, Pos); };
  FHoverTimer = std::make_unique<TTimer>();
  FHoverTimer->SetEnabled(false);
  FHoverTimer->SetInterval(200);
  FHoverTimer->SetOnTimer([this](TObject*) { HoverTimerTimer(); });
  FSectionList = std::make_unique<TSectionList>(this, this);
  FSectionList->ShowImages = true;
  FSectionList->OnBackgroundChange = [this](TObject*) { FPaintPanel->SetColor(FSectionList->Background); };
  // A form's submission (a submit button, Enter in a box, a click on an image input) reaches
  // OnFormSubmit once the click has finished.
  FSectionList->SubmitForm = [this](TObject*, const std::string& Action, const std::string& Target,
                                    const std::string& EncType, const std::string& Method,
                                    const std::vector<std::string>& Results) {
    SubmitForm(Action, Target, EncType, Method, Results);
  };
  FSectionList->PrintTableBackground = true;
  FSectionList->PrintMonoBlack = true;
  SetColor(clBtnFace);
  SetCursor(crIBeam);
  FSectionList->SetBackground(FDefBackground);
  SetBounds(0, 0, 150, 150);
  DoScrollBars();
  ExposeToReaders();
}

THTMLViewer::~THTMLViewer()
{
  HideFromReaders();
  FHoverTimer.reset();
  // The document goes before the cache its pictures live in.
  FSectionList.reset();
  FBitmapList.reset();
}

void THTMLViewer::SetProcessing(bool Value)
{
  if (FProcessing == Value)
    return;
  FProcessing = Value;
  // A page's fields come and go on the paint panel as one batch.
  if (Value)
    FPaintPanel->DisableAlign();
  else
    FPaintPanel->EnableAlign();
  if (OnProcessing && !HasState(csLoading))
    OnProcessing(this, Value);
}

// ---- loading ----

void THTMLViewer::InitLoad()
{
  if (!FBitmapList) {
    FBitmapList = std::make_unique<TStringBitmapList>();
    FBitmapList->SetCacheCount(FImageCacheCount);
  }
  FSectionList->BitmapList = FBitmapList.get();
  FFailedAfterPage = false;
  FReaderText.reset();   // what readers were told of the page goes with it
  FSectionList->Clear();
  FBitmapList->BumpAndCheck();
  FSectionList->SetFonts(DefFontName, FPreFontName, DefFontColor, FHotSpotColor, FVisitedColor, FOverColor,
                         FDefBackground, (FOptions & htOverLinksActive) != 0, (FOptions & htNoLinkUnderline) == 0,
                         CharSet, MarginHeight, MarginWidth, FFontSize);
  FCaretPos = 0;
  FSelStartDown = -1;
  FSectionList->SelB = FSectionList->SelE = 0;
  FSectionList->SetYOffset(0);
}

void THTMLViewer::DoMeta(const std::string& HttpEq, const std::string& Name, const std::string& Content)
{
  if (OnMeta)
    OnMeta(this, HttpEq, Name, Content);
  if (!OnMetaRefresh || !SameText(HttpEq, "refresh"))
    return;
  const size_t semi = Content.find(';');
  const std::string delayText = semi == std::string::npos ? Content : Content.substr(0, semi);
  int32_t delay = StrToIntDef(delayText, -1);
  if (delay < 0)
    return;
  if (delay == 0)
    delay = 1;
  std::string url;
  const size_t u = LowerCase(Content).find("url=");
  if (u != std::string::npos)
    url = Content.substr(u + 4);
  FRefreshDelay = delay;
  FRefreshURL = url;
}

bool THTMLViewer::ReadStyleSheet(const std::string& Href, std::string& Text, std::string& SheetPath)
{
  const std::string name = HTMLExpandFilename(Href);
  if (name.empty() || !FileExists(name))
    return false;
  try {
    Text = Narrow(ReadFileBytes(name, MaxStyleSheetBytes));
  } catch (const Exception&) {
    return false;
  }
  SheetPath = ExtractFilePath(name);
  return true;
}

THtmlParseContext THTMLViewer::MakeContext()
{
  THtmlParseContext c;
  c.OnLink = [this](const std::string& Rel, const std::string& Rev, const std::string& Href) {
    if (OnLink)
      OnLink(this, Rel, Rev, Href);
  };
  c.OnMeta = [this](const std::string& H, const std::string& N, const std::string& C) { DoMeta(H, N, C); };
  c.OnSound = [this](const std::string& Src, int32_t Loop, bool Terminate) {
    if (OnSoundRequest)
      OnSoundRequest(this, Src, Loop, Terminate);
  };
  if (OnInclude)
    c.OnInclude = [this](const std::string& Command, const std::vector<std::string>& Params, std::string& Buffer) {
      OnInclude(this, Command, Params, Buffer);
    };
  c.OnStyleSheet = [this](const std::string& Href, std::string& Text, std::string& Path) {
    return ReadStyleSheet(Href, Text, Path);
  };
  c.OnProgress = [this](int32_t Done, int32_t Total) {
    if (OnProgress && Total > 0)
      OnProgress(this, psRunning, static_cast<int32_t>(int64_t(Done) * 100 / Total));
  };
  if (OnScript)
    c.OnScript = [this](const std::string& Name, const std::string& Language, const std::string& Script) {
      OnScript(this, Name, Language, Script);
    };
  c.MarginWidth = MarginWidth;
  c.MarginHeight = MarginHeight;
  return c;
}

void THTMLViewer::AfterParse()
{
  FSectionList->GetBackgroundBitmap();
  DoScrollBars();
  CheckVisitedLinks();
  AnnounceNewDocument();
}

void THTMLViewer::FireRefresh()
{
  if (FRefreshDelay > 0 && OnMetaRefresh)
    OnMetaRefresh(this, FRefreshDelay, FRefreshURL);
}

void THTMLViewer::LoadFromString(const std::string& S) { LoadFromBuffer(S.data(), static_cast<int32_t>(S.size())); }

void THTMLViewer::LoadFromBuffer(const char* Buffer, int32_t BufSize)
{
  if (FProcessing)
    return;
  SetProcessing(true);
  FRefreshDelay = 0;
  const bool leftPage = !FCurrentFile.empty() || FFailedAfterPage;
  bool touched = false;
  TShownPage shown;
  try {
    if (OnProgress)
      OnProgress(this, psStarting, 0);
    shown = SaveShownPage();
    touched = true;
    InitLoad();
    if (OnSoundRequest)
      OnSoundRequest(this, std::string(), 0, true);
    FDocumentSource = Buffer && BufSize > 0 ? std::string(Buffer, static_cast<size_t>(BufSize)) : std::string();
    if (OnParseBegin)
      OnParseBegin(this, FDocumentSource);
    THtmlParseContext ctx = MakeContext();
    ParseHTMLDocument(FDocumentSource, *FSectionList, ctx);
    if (OnParseEnd)
      OnParseEnd(this);
    FTitle = ctx.Title;
    FBase = ctx.Base.empty() ? BaseEx : ctx.Base;
    FBaseTarget = ctx.BaseTarget;
    AfterParse();
    ScrollTo(0);
    ScrollHorzTo(0);
    Repaint();
    FCurrentFile.clear();
  } catch (...) {
    FCurrentFile.clear();
    if (touched && !RestoreShownPage(shown))
      DropFailedDocument(leftPage);
    if (OnProgress)
      OnProgress(this, psEnding, 100);
    SetProcessing(false);
    throw;
  }
  if (OnProgress)
    OnProgress(this, psEnding, 100);
  SetProcessing(false);
  FireRefresh();
}

void THTMLViewer::LoadFile(const std::string& FileName, TViewerFileType Type)
{
  const TCursor savedCursor = Screen().Cursor();
  Screen().SetCursor(crHourGlass);
  std::string name = FileName;
  std::string dest;
  if (size_t hash = name.find('#'); hash != std::string::npos) {
    dest = name.substr(hash + 1, MaxAnchorLength);
    name.erase(hash);
  }
  FRefreshDelay = 0;
  SetProcessing(true);
  const bool leftPage = !FCurrentFile.empty() || FFailedAfterPage;
  bool touched = false;
  TShownPage shown;
  try {
    if (!PathExists(name))
      throw EInOutError("Can't locate file: " + name);
    // Read before the document is touched, so that a file that cannot be read leaves the
    // page on screen as it was; one that is there but unreadable says why.
    std::string source;
    if (Type != ftImage)
      source = Narrow(ReadFileBytes(name, MaxDocumentBytes));
    else
      CheckFileReadable(name);
    if (OnProgress)
      OnProgress(this, psStarting, 0);
    const int32_t oldY = FSectionList->YOff;
    shown = SaveShownPage();
    touched = true;
    InitLoad();
    const std::string oldFile = FCurrentFile;
    FCurrentFile = ExpandFileName(name);
    FFileType = Type;
    FDocumentSource = std::move(source);
    if (Type != ftImage && OnParseBegin)
      OnParseBegin(this, FDocumentSource);
    THtmlParseContext ctx = MakeContext();
    if (Type == ftHTML) {
      if (OnSoundRequest)
        OnSoundRequest(this, std::string(), 0, true);
      ParseHTMLDocument(FDocumentSource, *FSectionList, ctx);
    } else if (Type == ftText) {
      ParsePlainText(FDocumentSource, *FSectionList);
    } else {
      // Not cut to a fixed length: a long path would leave the tag open. The name is
      // written as attribute text, so that a quote or an ampersand in it names the file.
      std::string tag = "<img src=\"" + HtmlEscape(FCurrentFile) + "\">";
      THtmlParseContext plain;
      ParseHTMLDocument(tag, *FSectionList, plain);
      ctx = std::move(plain);
    }
    if (Type != ftImage && OnParseEnd)
      OnParseEnd(this);
    FTitle = ctx.Title;
    FBase = ctx.Base.empty() ? BaseEx : ctx.Base;
    FBaseTarget = ctx.BaseTarget;
    AfterParse();
    if (dest.empty() || !PositionTo(dest)) {
      if (FCurrentFile != oldFile) {
        ScrollTo(0);
        ScrollHorzTo(0);
      } else {
        ScrollTo(oldY);
      }
    }
    Repaint();
  } catch (...) {
    if (touched && !RestoreShownPage(shown))
      DropFailedDocument(leftPage);
    Screen().SetCursor(savedCursor);
    if (OnProgress)
      OnProgress(this, psEnding, 100);
    SetProcessing(false);
    throw;
  }
  Screen().SetCursor(savedCursor);
  if (OnProgress)
    OnProgress(this, psEnding, 100);
  SetProcessing(false);
  FireRefresh();
}

void THTMLViewer::LoadFileAndPush(const std::string& FileName, TViewerFileType Type)
{
  if (FProcessing || FileName.empty())
    return;
  std::string oldFile = FCurrentFile;
  std::u16string oldTitle = FTitle;
  TViewerPosition oldPos = Position();
  TViewerFileType oldType = FFileType;
  std::unique_ptr<TFormData> formData = FSectionList->GetFormControlData();
  const size_t entry = static_cast<size_t>(std::max(FHistoryIndex, 0));
  if (FFailedAfterPage && FCurrentFile.empty() && entry < FHistory.size()) {
    // The pane is empty after a failed load: the page being left is the one shown before it,
    // as its history entry keeps it.
    oldFile = FHistory[entry];
    oldTitle = FTitleHistory[entry];
    oldPos = FPositionHistory[entry]->Pos;
    oldType = FPositionHistory[entry]->FileType;
    formData = std::move(FPositionHistory[entry]->FormData);
  }
  try {
    LoadFile(FileName, Type);
  } catch (...) {
    // The history stays as it was: its entry for the page left keeps where that page was
    // left, for Back and Forward and the next load to go on from.
    if (FFailedAfterPage && entry < FHistory.size() && FHistory[entry] == oldFile) {
      FPositionHistory[entry]->Pos = oldPos;
      FPositionHistory[entry]->FileType = oldType;
      FPositionHistory[entry]->FormData = std::move(formData);
      FTitleHistory[entry] = oldTitle;
    }
    throw;
  }
  if (oldFile != FCurrentFile || oldType != FFileType)
    PushHistory(oldFile, oldTitle, oldType, std::move(formData), oldPos);
}

void THTMLViewer::LoadFromFile(const std::string& FileName) { LoadFileAndPush(FileName, ftHTML); }
void THTMLViewer::LoadTextFile(const std::string& FileName) { LoadFileAndPush(FileName, ftText); }
void THTMLViewer::LoadImageFile(const std::string& FileName) { LoadFileAndPush(FileName, ftImage); }

void THTMLViewer::Reload()
{
  if (FProcessing || FCurrentFile.empty())
    return;
  const TViewerPosition pos = Position();
  // What was typed into the page's fields stays (a reload for another text size would
  // otherwise throw it away).
  std::unique_ptr<TFormData> formData = FSectionList->GetFormControlData();
  KeepingFocusedLink([this] { LoadFile(FCurrentFile, FFileType); });
  SetPosition(pos);
  // The link the keyboard stayed on stays in view, where the old place would hide it.
  if (Focused() || FPaintPanel->Focused())
    ShowFocusedLink();
  if (formData)
    FSectionList->SetFormControlData(*formData);
}

void THTMLViewer::Clear()
{
  if (FProcessing)
    return;
  FPaintPanel->DisableAlign();
  EmptyDocument();
  FPaintPanel->EnableAlign();
  FFailedAfterPage = false;
  BaseEx.clear();
  if (OnSoundRequest)
    OnSoundRequest(this, std::string(), 0, true);
  Repaint();
}

void THTMLViewer::EmptyDocument()
{
  FHoverTimer->SetEnabled(false);
  FReaderText.reset();
  FSectionList->Clear();
  if (FBitmapList)
    FBitmapList->Clear();
  FSectionList->SetFonts(DefFontName, FPreFontName, DefFontColor, FHotSpotColor, FVisitedColor, FOverColor,
                         FDefBackground, (FOptions & htOverLinksActive) != 0, (FOptions & htNoLinkUnderline) == 0,
                         CharSet, MarginHeight, MarginWidth, FFontSize);
  FCurrentFile.clear();
  FDocumentSource.clear();
  FBase.clear();
  FBaseTarget.clear();
  FTitle.clear();
  FMaxVertical = 0;
  FScrollWidth = 0;
  FSectionList->SetYOffset(0);
  FVScrollBar->SetParams(0, 0, 0, 1);
  FVScrollBar->SetVisible(false);
  FHScrollBar->SetParams(0, 0, 0, 1);
  FHScrollBar->SetVisible(false);
  DoScrollBars();
  FCaretPos = 0;
  FSelStartDown = -1;
}

THTMLViewer::TShownPage THTMLViewer::SaveShownPage()
{
  TShownPage page;
  page.Shown = FSectionList->Count() > 0 && !FFailedAfterPage;
  if (!page.Shown)
    return page;
  // (Taken rather than copied: the load that follows replaces it, and a page's text may be
  // large.)
  page.Source = std::move(FDocumentSource);
  FDocumentSource.clear();
  page.File = FCurrentFile;
  page.Type = FFileType;
  page.Title = FTitle;
  page.Base = FBase;
  page.BaseTarget = FBaseTarget;
  page.Pos = Position();
  page.Horz = HScrollBarPosition();
  page.FormData = FSectionList->GetFormControlData();
  return page;
}

bool THTMLViewer::RestoreShownPage(TShownPage& Page)
{
  if (!Page.Shown)
    return false;
  try {
    InitLoad();
    FCurrentFile = Page.File;
    FFileType = Page.Type;
    FDocumentSource = std::move(Page.Source);
    // The page's text went through the host's hands when it was first loaded; this is only
    // putting it back, so the host hears nothing of it (no sounds, meta tags or links).
    THtmlParseContext ctx = MakeContext();
    ctx.OnLink = nullptr;
    ctx.OnMeta = nullptr;
    ctx.OnSound = nullptr;
    ctx.OnProgress = nullptr;
    if (ctx.OnScript)
      ctx.OnScript = [](const std::string&, const std::string&, const std::string&) {};
    if (FCurrentFile.empty() || FFileType == ftHTML) {
      ParseHTMLDocument(FDocumentSource, *FSectionList, ctx);
    } else if (FFileType == ftText) {
      ParsePlainText(FDocumentSource, *FSectionList);
    } else {
      THtmlParseContext plain;
      ParseHTMLDocument("<img src=\"" + HtmlEscape(FCurrentFile) + "\">", *FSectionList, plain);
    }
    FTitle = Page.Title;
    FBase = Page.Base;
    FBaseTarget = Page.BaseTarget;
    AfterParse();
    SetPosition(Page.Pos);
    ScrollHorzTo(Page.Horz);
    if (Page.FormData)
      FSectionList->SetFormControlData(*Page.FormData);
    InvalidatePaintPanel();
    return true;
  } catch (...) {
    return false;
  }
}

void THTMLViewer::DropFailedDocument(bool LeftPage)
{
  FFailedAfterPage = LeftPage;
  // Whatever of the page was built stays out: it would fail again at every layout, and it is
  // no page to go back to.
  GuardedCall([this] {
    EmptyDocument();
    InvalidatePaintPanel();
  });
}

// ---- links ----

std::string THTMLViewer::ExpandLinkName(const std::string& Link)
{
  const size_t scheme = Link.find("://");
  if (scheme != std::string::npos && scheme > 0 && LowerCase(Link).find("file://") == std::string::npos)
    return Link;
  const std::string name = HTMLServerToDos(Trim(Link), FServerRoot);
  if (!name.empty() && IsSeparator(name[0]) && !(name.size() > 1 && name[0] == '\\' && name[1] == '\\'))
    return ExpandFileName(name);
  if ((name.size() > 1 && name[1] == ':') || name.rfind("\\\\", 0) == 0 || SameText(FBase, "DosPath"))
    return name;
  if (!FBase.empty())
    return ExpandFileName(HTMLToDos(FBase) + name);
  return ExpandFileName(ExtractFilePath(FCurrentFile) + name);
}

std::string THTMLViewer::HTMLExpandFilename(const std::string& Name)
{
  if (IsFullURL(Name) && LowerCase(Name).find("file://") == std::string::npos)
    return Name;
  // Pictures and style sheets are read by loaders that take the name as it is on disk.
  const std::string expanded = ResolveFileName(ExpandLinkName(Name));
  // A full file name (an image file's own page, a loaded picture's name handed back by a
  // host) starts with "/" as a link from the server root does; where only the name as it
  // stands is a file, it is that file, not one below the root.
  if (!Name.empty() && Name[0] == '/' && !FileExists(expanded)) {
    const std::string asIs = ResolveFileName(Name);
    if (FileExists(asIs))
      return asIs;
  }
  return expanded;
}

bool THTMLViewer::PositionTo(const std::string& Dest)
{
  if (Dest.empty())
    return false;
  const std::string name = Dest[0] == '#' ? Dest.substr(1) : Dest;
  if (name.empty() || !FSectionList->IDNameList)
    return false;
  TIDObject* obj = FSectionList->IDNameList->Find(UpperCase(name));
  if (!obj)
    return false;
  ScrollTo(obj->YPosition());
  ScrollHorzTo(0);
  AddVisited(FCurrentFile + "#" + name);
  return true;
}

void THTMLViewer::FollowLink()
{
  const TViewerPosition oldPos = Position();
  // The link as clicked: a box the handler shows lets the pointer move, and the hover
  // changes URL meanwhile.
  const std::string link = URL;
  bool handled = false;
  if (OnHotSpotClick)
    OnHotSpotClick(this, link, handled);
  if (!handled)
    FollowURL(link, oldPos);
}

void THTMLViewer::FollowURL(const std::string& link) { FollowURL(link, Position()); }

void THTMLViewer::FollowURL(const std::string& link, const TViewerPosition& oldPos)
{
  if (!link.empty() && link[0] == '#') {
    if (PositionTo(link)) {
      PushHistory(FCurrentFile, FTitle, FFileType, nullptr, oldPos);
      AddVisited(FCurrentFile + link);
    }
    return;
  }
  std::string name = link;
  std::string dest;
  if (size_t hash = name.find('#'); hash != std::string::npos) {
    dest = "#" + name.substr(hash + 1, MaxAnchorLength);
    name.erase(hash);
  }
  if (name.empty())
    return;
  name = ExpandLinkName(name);
  // Links off this machine are the host's business.
  if (const size_t scheme = name.find("://"); scheme != std::string::npos && scheme > 0)
    return;
  const std::string ext = LinkExtension(name);
  if (ext == ".HTM" || ext == ".HTML") {
    if (name == FCurrentFile) {
      if (PositionTo(dest)) {
        PushHistory(FCurrentFile, FTitle, ftHTML, nullptr, oldPos);
        AddVisited(name + dest);
      }
    } else {
      LoadFromFile(name + dest);
      AddVisited(name + dest);
    }
  } else if (ext == ".BMP" || ext == ".GIF" || ext == ".JPG" || ext == ".JPEG" || ext == ".PNG") {
    LoadImageFile(name);
  }
}

// ---- history ----

void THTMLViewer::PushHistory(const std::string& FileName, const std::u16string& ATitle, TViewerFileType AType,
                              std::unique_ptr<TFormData> FormData, TViewerPosition APosition)
{
  if (FHistoryMaxCount < 1 || FCurrentFile.empty())
    return;
  if (FileName == FCurrentFile && AType == FFileType && APosition == Position())
    return;
  if (!FHistory.empty() && !FileName.empty()) {
    const size_t i =
        static_cast<size_t>(std::clamp<int32_t>(FHistoryIndex, 0, static_cast<int32_t>(FHistory.size()) - 1));
    FHistory[i] = FileName;
    PositionObj& rec = *FPositionHistory[i];
    rec.Pos = APosition;
    rec.FileType = AType;
    rec.FormData = FileName != FCurrentFile ? std::move(FormData) : nullptr;
    FTitleHistory[i] = ATitle;
    FHistory.erase(FHistory.begin(), FHistory.begin() + static_cast<ptrdiff_t>(i));
    FPositionHistory.erase(FPositionHistory.begin(), FPositionHistory.begin() + static_cast<ptrdiff_t>(i));
    FTitleHistory.erase(FTitleHistory.begin(), FTitleHistory.begin() + static_cast<ptrdiff_t>(i));
  }
  FHistoryIndex = 0;
  auto rec = std::make_unique<PositionObj>();
  rec->Pos = Position();
  rec->FileType = FFileType;
  FHistory.insert(FHistory.begin(), FCurrentFile);
  FPositionHistory.insert(FPositionHistory.begin(), std::move(rec));
  FTitleHistory.insert(FTitleHistory.begin(), FTitle);
  if (static_cast<int32_t>(FHistory.size()) > FHistoryMaxCount) {
    const auto at = static_cast<ptrdiff_t>(FHistoryMaxCount);
    FHistory.erase(FHistory.begin() + at);
    FPositionHistory.erase(FPositionHistory.begin() + at);
    FTitleHistory.erase(FTitleHistory.begin() + at);
  }
  if (OnHistoryChange)
    OnHistoryChange(this);
}

void THTMLViewer::SetHistoryIndex(int32_t I)
{
  if (I == FHistoryIndex || I < 0 || I >= static_cast<int32_t>(FHistory.size()) || FProcessing)
    return;
  // The first (newest) entry of the run of entries naming the same file as entry Index.
  auto runStart = [this](int32_t Index) {
    int32_t j = Index;
    while (j > 0 && FHistory[static_cast<size_t>(j - 1)] == FHistory[static_cast<size_t>(Index)])
      --j;
    return j;
  };
  if (!FCurrentFile.empty() && FHistoryIndex < static_cast<int32_t>(FHistory.size())) {
    const auto cur = static_cast<size_t>(FHistoryIndex);
    FHistory[cur] = FCurrentFile;
    FPositionHistory[cur]->Pos = Position();
    FPositionHistory[cur]->FileType = FFileType;
    FPositionHistory[static_cast<size_t>(runStart(FHistoryIndex))]->FormData = FSectionList->GetFormControlData();
    FTitleHistory[cur] = FTitle;
  }
  const std::string file = FHistory[static_cast<size_t>(I)];
  const TViewerFileType type = FPositionHistory[static_cast<size_t>(I)]->FileType;
  if (file != FCurrentFile || type != FFileType)
    LoadFile(file, type);
  SetPosition(FPositionHistory[static_cast<size_t>(I)]->Pos);
  PositionObj& first = *FPositionHistory[static_cast<size_t>(runStart(I))];
  if (first.FormData) {
    FSectionList->SetFormControlData(*first.FormData);
    first.FormData.reset();
  }
  FHistoryIndex = I;
  if (OnHistoryChange)
    OnHistoryChange(this);
}

void THTMLViewer::ClearHistory()
{
  const bool had = !FHistory.empty();
  FHistory.clear();
  FTitleHistory.clear();
  FPositionHistory.clear();
  FHistoryIndex = 0;
  if (had && OnHistoryChange)
    OnHistoryChange(this);
}

void THTMLViewer::SetHistoryMaxCount(int32_t V)
{
  if (V < 0 || V == FHistoryMaxCount)
    return;
  if (V < FHistoryMaxCount)
    ClearHistory();
  FHistoryMaxCount = V;
}

// ---- visited links ----

std::string THTMLViewer::ExpandedLink(const TFontObj& F)
{
  const std::string& url = F.GetURL();
  if (!url.empty() && url[0] == '#')
    return FCurrentFile + url;
  return ExpandLinkName(url);
}

void THTMLViewer::AddVisited(const std::string& Name)
{
  if (FVisitedMaxCount == 0)
    return;
  const std::string lower = LowerCase(Name);
  auto it = std::find_if(FVisited.begin(), FVisited.end(), [&](const std::string& V) { return LowerCase(V) == lower; });
  if (it == FVisited.begin() && it != FVisited.end())
    return;
  if (it != FVisited.end()) {
    FVisited.erase(it);
  } else {
    bool changed = false;
    for (TFontObj* f : FSectionList->LinkList)
      if (f->IsLink() && LowerCase(ExpandedLink(*f)) == lower) {
        f->SetVisited(true);
        changed = true;
      }
    if (changed)
      InvalidatePaintPanel();
  }
  FVisited.insert(FVisited.begin(), Name);
  if (static_cast<int32_t>(FVisited.size()) > FVisitedMaxCount)
    FVisited.resize(static_cast<size_t>(FVisitedMaxCount));
}

void THTMLViewer::CheckVisitedLinks()
{
  if (FVisited.empty())
    return;
  std::vector<std::string> lower;
  lower.reserve(FVisited.size());
  for (const auto& v : FVisited)
    lower.push_back(LowerCase(v));
  for (TFontObj* f : FSectionList->LinkList) {
    if (!f->IsLink())
      continue;
    const std::string name = LowerCase(ExpandedLink(*f));
    if (std::find(lower.begin(), lower.end(), name) != lower.end())
      f->SetVisited(true);
  }
}

void THTMLViewer::SetVisitedMaxCount(int32_t V)
{
  V = std::max(V, 0);
  if (V == FVisitedMaxCount)
    return;
  FVisitedMaxCount = V;
  if (V == 0) {
    FVisited.clear();
    for (TFontObj* f : FSectionList->LinkList)
      f->SetVisited(false);
    Repaint();
  } else if (static_cast<int32_t>(FVisited.size()) > V) {
    FVisited.resize(static_cast<size_t>(V));
  }
}

void THTMLViewer::SetServerRoot(const std::string& Value)
{
  std::string s = Trim(Value);
  // Either separator may end the folder given.
  if (!s.empty() && IsSeparator(s.back()))
    s.pop_back();
  FServerRoot = s;
}
