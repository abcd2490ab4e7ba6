// The HTML viewer control: a window that loads a page from a file, a buffer or a string,
// lays it out through its section list, scrolls and paints it with its background, follows
// links (after giving the host the first say), keeps the back-and-forward history and the
// visited links, tracks the link under the mouse, selects text and copies it.
//
// The viewer owns its children: a border panel, the paint panel the document is drawn on,
// and the two scroll bars; the document (section list), its image cache and the history.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/Document.h"
#include "html/HtmlReader.h"
#include "platform/Controls.h"
#include "platform/FormCtrls.h"
#include "platform/ScrollBar.h"
#include "platform/SysUtils.h"

class THTMLViewer;
class TMetaFilePrinter;

class EInOutError : public Exception {
  using Exception::Exception;
};

enum TViewerFileType : uint8_t { ftHTML = 0, ftText = 1, ftImage = 2 };
enum class THTMLBorderStyle : uint8_t { htFocused, htNone, htSingle };
using enum THTMLBorderStyle;
using enum TScrollStyle;   // platform/FormCtrls.h
enum class TProgressStage : uint8_t { psStarting, psRunning, psEnding };
using enum TProgressStage;

using ThtmlViewerOptions = uint32_t;
constexpr ThtmlViewerOptions htOverLinksActive = 0x01, htNoLinkUnderline = 0x02, htPrintTableBackground = 0x04,
                             htPrintMonochromeBlack = 0x08, htShowDummyCaret = 0x10, htShowVScroll = 0x20;

// Private messages the viewer posts itself.
constexpr Cardinal wm_FormSubmit = WM_USER + 100;
constexpr Cardinal wm_MouseScroll = WM_USER + 102;

// ---- scroll bar ----

// The viewer's scroll bars are the platform's, with full 32-bit range.
using T32ScrollBar = TScrollBar;

// ---- child panels ----

// The panel the document is painted on; its input goes to the viewer.
class TPaintPanel : public TCustomControl {
public:
  explicit TPaintPanel(THTMLViewer* AViewer);
  THTMLViewer* Viewer() const { return FViewer; }
  // The title of the link or image under the mouse.
  bool GetHintInfo(TPoint clientPos, std::string& hint, TRect& hintArea) override;

protected:
  void Paint() override;
  void EraseBackground(TCanvas& canvas) override {}
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool DoMouseWheel(TShiftState Shift, Integer Delta, TPoint MousePos) override;
  void KeyDown(Word& Key, TShiftState Shift) override;

private:
  THTMLViewer* FViewer;
};

// The panel behind everything that draws the optional single-line border.
class THtmlBorderPanel : public TCustomControl {
public:
  bool ShowBorder() const { return FShowBorder; }
  void SetShowBorder(bool V);

protected:
  void Paint() override;

private:
  bool FShowBorder = false;
};

// ---- history records and event parameters ----

// The values of a page's form controls, per form.
using TFormData = std::vector<std::vector<std::string>>;

// A place in a document that survives a layout at another width: (index of a section of the
// position list + 1) in the upper 32 bits and the distance below that section's top in the
// lower 32 (a section may be taller than 16 bits reach); upper bits 0: the pixel position.
using TViewerPosition = int64_t;

struct PositionObj {
  TViewerPosition Pos = 0;
  TViewerFileType FileType = ftHTML;
  std::unique_ptr<TFormData> FormData;
};

class TRightClickParameters : public TObject {
public:
  std::string URL, Target;
  TImageObj* Image = nullptr;
  int32_t ImageX = 0, ImageY = 0;
  std::u16string ClickWord;
};

using THotSpotClickEvent = std::function<void(TObject* Sender, const std::string& SRC, bool& Handled)>;
using THotSpotEvent = std::function<void(TObject* Sender, const std::string& SRC)>;
using TMetaType = std::function<void(TObject* Sender, const std::string& HttpEq, const std::string& Name,
                                     const std::string& Content)>;
using TMetaRefreshType = std::function<void(TObject* Sender, int32_t Delay, const std::string& URL)>;
using TParseEvent = std::function<void(TObject* Sender, std::string& Source)>;
using THTMLViewerProgress = std::function<void(TObject* Sender, TProgressStage Stage, int32_t PercentDone)>;
using TProcessingEvent = std::function<void(TObject* Sender, bool ProcessingOn)>;
using TSoundType = std::function<void(TObject* Sender, const std::string& SRC, int32_t Loop, bool Terminate)>;
using TLinkType =
    std::function<void(TObject* Sender, const std::string& Rel, const std::string& Rev, const std::string& Href)>;
using TIncludeType = std::function<void(TObject* Sender, const std::string& Command,
                                        const std::vector<std::string>& Params, std::string& Buffer)>;
using TImageClickEvent =
    std::function<void(TObject* Sender, TImageObj* Obj, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TImageOverEvent = std::function<void(TObject* Sender, TImageObj* Obj, TShiftState Shift, int32_t X, int32_t Y)>;
using TRightClickEvent = std::function<void(TObject* Sender, TRightClickParameters& Parameters)>;
using TFormSubmitEvent =
    std::function<void(TObject* Sender, const std::string& Action, const std::string& Target,
                       const std::string& EncType, const std::string& Method, const std::vector<std::string>& Results)>;

// ---- the viewer ----

class THTMLViewer : public TCustomControl, public THtmlDocHost {
public:
  THTMLViewer();
  ~THTMLViewer() override;

  // Loading (each does nothing while Processing).
  void LoadFromFile(const std::string& FileName);
  void LoadTextFile(const std::string& FileName);
  void LoadImageFile(const std::string& FileName);
  void LoadFromBuffer(const char* Buffer, int32_t BufSize);
  void LoadFromString(const std::string& S);
  void Reload();
  virtual void Clear();

  // Links.
  void FollowLink();
  // Follows Link as a click on it does, without asking OnHotSpotClick first (a handler that
  // takes a link over can still have the page shown, and act only once it is).
  void FollowURL(const std::string& Link);
  // The keyboard focus on the page's links and form fields (HtmlViewer_Keyboard.cpp).
  // FocusNextItem moves it to the next (or previous) one in tab order; false, with no link
  // focused, when it walks past the last (or the first). FollowFocusedLink follows the
  // focused link as a click would; false when none has the focus.
  bool FocusNextItem(bool Forward);
  bool FollowFocusedLink();
  std::string FocusedLinkURL() const;
  virtual std::string ExpandLinkName(const std::string& Link);
  bool PositionTo(const std::string& Dest);
  // Loads S in place of the page shown as the same page laid out anew (a group of it opened
  // or closed): the link that had the keyboard focus, found again by where it leads and by
  // which of the links leading there it is, keeps it, and readers stay on it rather than
  // being taken to the top of a new page.
  void LoadSamePage(const std::string& S);
  // The page shown stays but its reader name changed (a mark given on it): readers hear the
  // new name, and the page as they hear a new one when the keyboard is on it.
  void AnnounceRenamed();

  // History.
  int32_t HistoryIndex() const { return FHistoryIndex; }
  void SetHistoryIndex(int32_t I);
  void ClearHistory();
  int32_t HistoryMaxCount() const { return FHistoryMaxCount; }
  void SetHistoryMaxCount(int32_t V);
  int32_t VisitedMaxCount() const { return FVisitedMaxCount; }
  void SetVisitedMaxCount(int32_t V);
  const std::vector<std::string>& History() const { return FHistory; }
  const std::vector<std::u16string>& TitleHistory() const { return FTitleHistory; }
  const std::vector<std::string>& Visited() const { return FVisited; }

  const std::string& CurrentFile() const { return FCurrentFile; }
  TViewerFileType FileType() const { return FFileType; }
  const std::u16string& Title() const { return FTitle; }
  const std::string& Base() const { return FBase; }
  const std::string& BaseTarget() const { return FBaseTarget; }
  const std::string& DocumentSource() const { return FDocumentSource; }
  const std::string& ServerRoot() const { return FServerRoot; }
  void SetServerRoot(const std::string& Value);
  bool Processing() const { return FProcessing; }
  // The fallback for a document without BASE.
  std::string BaseEx;

  // The link last clicked or covered.
  std::string URL, Target;

  // Display properties.
  TColor DefBackground() const { return FDefBackground; }
  void SetDefBackground(TColor Value);
  std::string DefFontName = "Times New Roman";
  const std::string& DefPreFontName() const { return FPreFontName; }
  void SetDefPreFontName(const std::string& Value);
  int32_t DefFontSize() const { return FFontSize; }
  void SetDefFontSize(int32_t Value) { FFontSize = std::max(Value, 6); }
  TColor DefFontColor = clBtnText;
  TColor DefHotSpotColor() const { return FHotSpotColor; }
  void SetDefHotSpotColor(TColor Value);
  TColor DefVisitedLinkColor() const { return FVisitedColor; }
  void SetDefVisitedLinkColor(TColor Value);
  TColor DefOverLinkColor() const { return FOverColor; }
  void SetDefOverLinkColor(TColor Value);
  int32_t CharSet = 1;   // DEFAULT_CHARSET
  int32_t MarginWidth = 10;
  int32_t MarginHeight = 5;
  THTMLBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(THTMLBorderStyle Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool NoSelect() const { return FNoSelect; }
  void SetNoSelect(bool Value);
  bool ViewImages() const { return FViewImages; }
  void SetViewImages(bool Value);
  int32_t ImageCacheCount() const { return FImageCacheCount; }
  void SetImageCacheCount(int32_t Value);
  ThtmlViewerOptions htOptions() const { return FOptions; }
  void SethtOptions(ThtmlViewerOptions Value);
  double PrintMarginLeft = 2.0, PrintMarginRight = 2.0, PrintMarginTop = 2.0, PrintMarginBottom = 2.0;
  // The print scale; an assignment is clamped to 0.25..4 (a value that is no number is
  // ignored), so what a print set-up reads back is what prints.
  class TPrintScale {
  public:
    TPrintScale& operator=(double Value)
    {
      if (!std::isnan(Value))
        FValue = std::clamp(Value, 0.25, 4.0);
      return *this;
    }
    operator double() const { return FValue; }

  private:
    double FValue = 1.0;
  };
  TPrintScale PrintScale;

  // Scrolling and selection.
  TViewerPosition Position();
  void SetPosition(TViewerPosition Value);
  int32_t VScrollBarPosition() const;
  void SetVScrollBarPosition(int32_t Value);
  int32_t HScrollBarPosition() const;
  int32_t SelLength() const;
  int32_t CaretPos() const { return FCaretPos; }
  void SetCaretPos(int32_t Value);
  std::u16string SelText() { return FSectionList->GetSelText(); }
  void CopyToClipboard();
  int32_t DocumentHeight() const { return FMaxVertical; }
  int32_t DocumentWidth() const { return FScrollWidth; }
  // The word at a point of the paint panel, as a right or double click picks it.
  std::u16string GetWordAt(int32_t X, int32_t Y);
  // Lays the document out for the window's size again, keeping the position.
  void DoLayout();
  void Repaint();

  // Children. The paint panel is also what the document's form controls and panels are
  // placed on (the host's PaintPanel).
  TPaintPanel* PaintPanel() override { return FPaintPanel; }
  TPaintPanel* PaintPanel() const { return FPaintPanel; }
  THtmlBorderPanel* BorderPanel() const { return FBorderPanel; }
  T32ScrollBar* VScrollBar() const { return FVScrollBar; }
  T32ScrollBar* HScrollBar() const { return FHScrollBar; }
  TSectionList& SectionList() const { return *FSectionList; }
  TTimer& HoverTimer() const { return *FHoverTimer; }
  // The title of the link or image under the mouse (for hints).
  const std::string& HoverTitle() const { return FTitleAttr; }

  // The paint panel's virtual handlers.
  virtual void ExtendSelectionTo(int32_t X, int32_t Y);
  virtual void PaintDocument(TCanvas& Canvas, const TRect& ARect);
  virtual void PanelMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void PanelMouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void PanelMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void PanelDblClick(TShiftState Shift, int32_t X, int32_t Y);
  bool PanelMouseWheel(TShiftState Shift, int32_t Delta);
  void PanelPaint(TCanvas& Canvas);
  // Keys (the paint panel forwards its own).
  void ViewerKeyDown(Word& Key, TShiftState Shift) override;
  // Runs the drag auto-scroll loop (the handler of the private message).
  void MouseScrollLoop();
  // The hover timer's check.
  void HoverTimerTimer();

  // THtmlDocHost.
  void InvalidatePaintPanel() override;
  void InvalidatePaintRect(const TRect& R) override;
  TRect VisibleDocRect() override;
  std::string HTMLExpandFilename(const std::string& Name) override;
  void DoProgress(int32_t Stage, int32_t Percent) override;
  void ControlFocused(TFormControlObj* Ctrl) override;

  // A form asks to be submitted: the event follows once the click has finished.
  void SubmitForm(const std::string& Action, const std::string& Target, const std::string& EncType,
                  const std::string& Method, std::vector<std::string> Results);

  // Events of loading and links.
  THotSpotClickEvent OnHotSpotClick;
  TNotifyEvent OnHistoryChange;
  TMetaType OnMeta;
  TMetaRefreshType OnMetaRefresh;
  TParseEvent OnParseBegin;
  TNotifyEvent OnParseEnd;
  THTMLViewerProgress OnProgress;
  TProcessingEvent OnProcessing;
  TSoundType OnSoundRequest;
  TIncludeType OnInclude;
  TLinkType OnLink;
  // Events of the display.
  THotSpotEvent OnHotSpotCovered;
  TImageClickEvent OnImageClick;
  TImageOverEvent OnImageOver;
  TRightClickEvent OnRightClick;
  TMouseEvent OnMouseDouble;
  TFormSubmitEvent OnFormSubmit;
  TKeyEvent OnKeyDown;
  // A SCRIPT element's name, language and text, as each page is read.
  using TScriptEvent = std::function<void(TObject* Sender, const std::string& Name, const std::string& Language,
                                          const std::string& Script)>;
  TScriptEvent OnScript;
  // Pictures, form objects and panels: passed through to the document when set, so they
  // hold for every page (and for the copy a print run lays out).
  void SetOnBitmapRequest(TBitmapRequestEvent E) { FSectionList->GetBitmap = std::move(E); }
  void SetOnImageRequest(TImageRequestEvent E) { FSectionList->GetImage = std::move(E); }
  void SetOnObjectClick(TObjectEvent E) { FSectionList->ObjectClick = std::move(E); }
  void SetOnObjectFocus(TObjectEvent E) { FSectionList->ObjectFocus = std::move(E); }
  void SetOnObjectBlur(TObjectEvent E) { FSectionList->ObjectBlur = std::move(E); }
  void SetOnObjectChange(TObjectEvent E) { FSectionList->ObjectChange = std::move(E); }
  void SetOnPanelCreate(TPanelCreateEvent E) { FSectionList->PanelCreate = std::move(E); }
  void SetOnPanelDestroy(TPanelDestroyEvent E) { FSectionList->PanelDestroy = std::move(E); }
  void SetOnPanelPrint(TPanelPrintEvent E) { FSectionList->PanelPrint = std::move(E); }

  void WndProc(TMessage& Message) override;

  // ---- screen readers (HtmlViewer_Accessible.cpp) ----
  // The page's words, as a copy of the whole page gives them but with lines ended by "\n"
  // alone, with where the selection stands in them when asked.
  std::u16string PageText(int32_t* SelStart = nullptr, int32_t* SelEnd = nullptr);
  // Where the character at that offset of the page's words stands on the screen (empty when
  // it stands nowhere: a line end), and the offset of the character at a point of the
  // screen (-1: none there).
  TRect PageCharRect(int32_t Offset);
  int32_t PageOffsetAt(TPoint Screen);
  // The line on the screen that the offset's character stands on, [Start, End) of the page's
  // words (a line end between paragraphs is a line of its own); false past the words.
  bool PageLineAt(int32_t Offset, int32_t& Start, int32_t& End);
  // A reader puts the caret at that offset of the page's words: the viewer's caret moves
  // there (off a focused link) and the page scrolls to it when it is out of view.
  void PageSetCaret(int32_t Offset);
  // Where a reader's caret stands in the page's words: at the focused link's first
  // character, else where the viewer's caret is (the start, a click, a named place).
  int32_t PageCaret();
  // Puts the viewer's caret at the place the page names (an <a name> or an id), where a
  // reader's reading of the page begins while no link has the focus; false without one.
  bool CaretToName(const std::string& Name);
  // How many characters the readers' answers have copied out of the page so far: the
  // page's words are copied once per laid-out page, then each query copies a paragraph.
  int64_t ReaderCopiedCharacters() const { return FReaderCopied; }
  struct TReaderText;
  // Follows the link with that number as a click on it does; false when the page has none.
  bool FollowLinkNumber(int32_t ID);

  // ---- printing (HtmlViewer_Print.cpp) ----
  using TPagePrinted =
      std::function<void(TObject* Sender, TCanvas& Canvas, int32_t NumPage, int32_t W, int32_t H, bool& StopPrinting)>;
  using TPageEvent = std::function<void(TObject* Sender, int32_t NumPage, bool& StopPrinting)>;
  // Prints pages FromPage..ToPage (1-based) on a fresh viewer printer made current for the
  // run. Does nothing while the viewer is processing (a load or another print run) or
  // empty. EPrinter when the job cannot start or the margins leave no room; the job is then
  // dropped and the previous printer current again.
  void Print(int32_t FromPage, int32_t ToPage);
  // Pages by number, first and last of each span (1-based), in any order.
  using TPageSpans = std::vector<std::pair<int32_t, int32_t>>;
  // Prints exactly the pages the spans name, each once, in the document's order; the job is
  // dropped when none of them exists. Otherwise as Print.
  void Print(const TPageSpans& Pages);
  // Records every page into the metafile printer, for a preview; the same refusals and
  // errors as Print.
  void PrintPreview(TMetaFilePrinter& MFPrinter);
  // The name the spooler lists a job under: the document's title, else the caption of the
  // window the viewer stands in, else the program's title.
  std::string PrintJobTitle() const;
  // While a run goes: the page being printed; afterwards the number of the last page laid out.
  int32_t PrintPageNumber() const { return FPrintPage; }
  bool PrintRunning() const { return FPrintRunning; }
  // Header and footer of every printed page; the page event comes between pages.
  TPagePrinted OnPrintHeader, OnPrintFooter;
  TPageEvent OnPageEvent;

private:
  void FollowURL(const std::string& Link, const TViewerPosition& OldPos);
  // The checks every print or preview run makes first (and its page event); false: refused.
  bool PrintRunMayStart();
  struct TPrintRunFlags;
  // Lays out every page, and draws those that Pages names (all in a preview); gives the
  // number of pages drawn.
  template <class TDest>
  int32_t PrintRun(TDest& Dest, const TPageSpans& Pages);
  int32_t FPrintPage = 0;
  bool FPrintRunning = false;

protected:
  void Resize() override;
  void KeyDown(Word& Key, TShiftState Shift) override { ViewerKeyDown(Key, Shift); }
  // The page's links and form fields stand in the window's Tab walk where the viewer does.
  bool HasTabParts() const override { return true; }
  bool TabInto(bool Forward) override;
  bool TabWithin(bool Forward) override;
  // Readers hear the page (or its focused link) take the focus, never the pane round it.
  bool FocusInPart() const override { return FPaintPanel && FPaintPanel->AccessibleRoot(); }
  // The focused border comes and goes with the focus.
  void DoEnter() override;
  void DoExit() override;

private:
  friend class TPaintPanel;
  // The page shown to screen readers while the viewer lives.
  void ExposeToReaders();
  void HideFromReaders();
  // Tells readers that a new document stands (the objects of the old one answer nothing
  // more), and which link Tab has focused.
  void AnnounceNewDocument();
  // Runs a load of the page shown laid out anew: the focused link keeps the focus.
  void KeepingFocusedLink(const std::function<void()>& Load);
  void AnnounceFocusedLink();
  // The page as readers find it (its links, fields and pictures), found once for the page as
  // laid out.
  std::shared_ptr<TAccessibleNode> ReaderPage();
  // Loading.
  void LoadFile(const std::string& FileName, TViewerFileType FileType);
  void LoadFileAndPush(const std::string& FileName, TViewerFileType FileType);
  void InitLoad();
  void AfterParse();
  // The document emptied, as Clear does, without its events.
  void EmptyDocument();
  // The page on screen, as a failed load puts it back: its text, where it came from, where it
  // was scrolled and what its form fields held.
  struct TShownPage {
    bool Shown = false;
    std::string Source, File, Base, BaseTarget;
    TViewerFileType Type = ftHTML;
    std::u16string Title;
    TViewerPosition Pos = 0;
    int32_t Horz = 0;
    std::unique_ptr<TFormData> FormData;
  };
  TShownPage SaveShownPage();
  // Lays the saved page out again in place of what a failed load left; false when there was
  // none or it could not be laid out again.
  bool RestoreShownPage(TShownPage& Page);
  // A load that failed once the document was touched leaves nothing of it loaded. LeftPage:
  // the document it replaced was a page the history keeps.
  void DropFailedDocument(bool LeftPage);
  void FireRefresh();
  void SetProcessing(bool Value);
  void DoMeta(const std::string& HttpEq, const std::string& Name, const std::string& Content);
  THtmlParseContext MakeContext();
  bool ReadStyleSheet(const std::string& Href, std::string& Text, std::string& SheetPath);
  // History and visited links.
  void PushHistory(const std::string& FileName, const std::u16string& ATitle, TViewerFileType AType,
                   std::unique_ptr<TFormData> FormData, TViewerPosition APosition);
  void AddVisited(const std::string& Name);
  void CheckVisitedLinks();
  std::string ExpandedLink(const TFontObj& F);
  // Layout, scroll bars and painting.
  void DoScrollBars();
  int32_t LayoutAt(int32_t Width);
  void ScrollTo(int32_t Y);
  void ScrollHorzTo(int32_t X);
  void VScroll(TScrollCode Code, int32_t& Pos);
  void HScroll(TScrollCode Code, int32_t& Pos);
  void DrawBackground(TCanvas& Canvas, const TRect& ARect);
  // Shows or hides the single-line border as the style and the focus say.
  void RefreshBorder();
  int32_t PanelHeight() const { return FPaintPanel->Height(); }
  int32_t PanelWidth() const { return FPaintPanel->Width(); }
  // Selection.
  int32_t CharPosAt(int32_t X, int32_t Y);
  bool WordBounds(int32_t Pos, int32_t& First, int32_t& Last);
  void EndPanning();
  void FocusLink(const TFontObj& Link);
  // Scrolls the focused link into view when it is out of view or too near an edge.
  void ShowFocusedLink();
  void FocusTabItem(const TSectionList::TTabItem& Item);
  // No link keeps the keyboard focus (its frame goes).
  void DropLinkFocus();

  THtmlBorderPanel* FBorderPanel = nullptr;
  TPaintPanel* FPaintPanel = nullptr;
  T32ScrollBar* FVScrollBar = nullptr;
  T32ScrollBar* FHScrollBar = nullptr;
  std::unique_ptr<TTimer> FHoverTimer;
  std::unique_ptr<TStringBitmapList> FBitmapList;
  std::unique_ptr<TSectionList> FSectionList;

  std::string FCurrentFile;
  TViewerFileType FFileType = ftHTML;
  std::u16string FTitle;
  std::string FBase, FBaseTarget;
  std::string FDocumentSource;
  std::string FServerRoot;
  bool FProcessing = false;
  int32_t FRefreshDelay = 0;
  std::string FRefreshURL;

  std::vector<std::string> FHistory;
  std::vector<std::u16string> FTitleHistory;
  std::vector<std::unique_ptr<PositionObj>> FPositionHistory;
  int32_t FHistoryIndex = 0;
  int32_t FHistoryMaxCount = 0;
  // The pane is empty after a failed load that replaced a page the history keeps (its entry
  // HistoryIndex): the next load leaves that page, so the history goes on as before.
  bool FFailedAfterPage = false;
  std::vector<std::string> FVisited;
  int32_t FVisitedMaxCount = 50;

  TColor FDefBackground = clBtnFace;
  std::string FPreFontName = "Courier New";
  int32_t FFontSize = 12;
  TColor FHotSpotColor = clBlue, FVisitedColor = clPurple, FOverColor = clBlue;
  THTMLBorderStyle FBorderStyle = htFocused;
  TScrollStyle FScrollBars = ssBoth;
  bool FNoSelect = false;
  bool FViewImages = true;
  int32_t FImageCacheCount = 5;
  ThtmlViewerOptions FOptions = htPrintTableBackground | htPrintMonochromeBlack;

  int32_t FMaxVertical = 0;   // document height
  int32_t FScrollWidth = 0;   // document width, capped
  int32_t FScrollBarThickness = 16;
  int32_t FSelStartDown = -1;
  int32_t FCaretPos = 0;
  // The page's words and where each paragraph's start in them, kept for readers' queries
  // while the page stays laid out as it is (HtmlViewer_Accessible.cpp).
  std::shared_ptr<TReaderText> FReaderText;
  // While the page shown is laid out anew: where the focused link led, and how many links
  // leading there stood before it.
  std::string FKeepLinkTo;
  int32_t FKeepLinkOrdinal = 0;
  int64_t FReaderCopied = 0;
  bool FLeftButtonDown = false;
  bool FSelecting = false;
  bool FPanning = false;
  bool FInMouseScroll = false;
  bool FLinkClicked = false;
  bool FBackgroundFixed = false;
  // The paint panel's off-screen picture, kept between paints at the panel's size.
  std::unique_ptr<TBitmap> FPaintBuffer;
  // The strip a line scroll uncovered, already drawn into the buffer's top-left corner
  // at this vertical position, while the display server moves the rest.
  TRect FPreparedStrip{};
  int32_t FPreparedY = -1;
  bool FPrepared = false;
  void RenderBuffer(const TRect& Box);
  void PrepareStrip(int32_t Dy);
  bool FInLayout = false;
  int32_t FPanY = 0;
  std::string FTitleAttr;
  TCursor FPanCursorBefore = crDefault;
  // A submitted form waiting for its message.
  struct TSubmit {
    std::string Action, Target, EncType, Method;
    std::vector<std::string> Results;
  };
  std::unique_ptr<TSubmit> FPendingSubmit;
};
