#include "shell/TopicTest.h"

#include <algorithm>
#include <chrono>
#include <random>

#include "html/DocumentUtils.h"
#include "platform/AppHelp.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "shell/HelpContexts.h"
#include "shell/PrintPreview.h"

namespace {

constexpr Integer BoxWidth = TTestFrm::AnswerBoxWidth;

// The window lets go of its toolbar's window before the toolbar goes.
class TTestToolbar : public TTBXToolbar {
public:
  ~TTestToolbar() override { DestroyHandle(); }
};

// Marks drawn when no pictures were given: a green tick and a red cross.
TBitmap DrawnMark(bool Tick)
{
  TBitmap b(14, 14);
  b.Fill(clWhite);
  TCanvas& c = b.Canvas();
  c.Pen().SetWidth(2);
  if (Tick) {
    c.Pen().SetColor(RGBColor(0, 150, 0));
    c.MoveTo(2, 7);
    c.LineTo(5, 11);
    c.LineTo(12, 2);
  } else {
    c.Pen().SetColor(clRed);
    c.MoveTo(2, 2);
    c.LineTo(12, 12);
    c.MoveTo(12, 2);
    c.LineTo(2, 12);
  }
  // A copy holds the pixels only, not the canvas drawn with.
  TBitmap mark(b);
  mark.SetTransparent(true);
  mark.SetTransparentColor(clWhite);
  return mark;
}

TTBXItem* AddButton(TTBXToolbar* Bar, const char* Name, const std::string& Caption, TImageIndex Image, bool HaveImages)
{
  auto* item = static_cast<TTBXItem*>(Bar->Items()->Add(std::make_unique<TTBXItem>()));
  item->SetName(Name);
  item->SetCaption(Caption);
  item->SetHint(Caption);
  if (HaveImages && Image >= 0) {
    item->SetImageIndex(Image);
    item->SetDisplayMode(nbdmImageAndText);
  } else {
    item->SetDisplayMode(nbdmTextOnly);
  }
  return item;
}

}   // namespace

TTestFrm::TTestFrm(TTestWindows& Owner, const TRect& ABounds, const std::string& ServerRoot, TCustomImageList* AImages,
                   const TPreviewGlyphs& AGlyphs)
    : AnsPic(301, 31), Images(AImages), Glyphs(AGlyphs), FOwner(Owner),
      FRandom(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()))
{
  SetName("TestFrm");
  SetCaption("Test");
  SetFormStyle(fsStayOnTop);
  Font().SetHeight(-MulDiv(8, ScreenPixelsPerInch(), 72));
  // The window with its frame covers the area, so its title bar leaves the bars above free.
  SetFrameBounds(ABounds);

  TestToolbar = TComponent::Create<TTestToolbar>(this);
  TestToolbar->SetBorderStyle(bsNone);
  TestToolbar->SetAccessibleName("Test");
  TestToolbar->SetItemTransparency(itEnable);
  TestToolbar->SetName("TestToolbar");
  TestToolbar->SetParent(this);
  TestToolbar->SetAlign(alTop);
  TestToolbar->SetImages(Images);
  PrntBtn = AddButton(TestToolbar, "PrntBtn", "Print", Glyphs.Print, Images != nullptr);
  CloseBtn = AddButton(TestToolbar, "CloseBtn", "Close", Glyphs.Close, Images != nullptr);
  PrntBtn->OnClick = [this](TObject* s) { PrntBtnClick(s); };
  CloseBtn->OnClick = [this](TObject* s) { CloseBtnClick(s); };

  auto* strip = TComponent::Create<TPanel>(this);
  strip->SetName("StripPanel");
  strip->SetParent(this);
  strip->SetAlign(alTop);
  strip->SetHeight(AnsPic.LogicalHeight() + 6);
  strip->SetBevelOuter(bvNone);
  strip->SetCaption("");
  AnsPicBox = TComponent::Create<TPaintBox>(this);
  AnsPicBox->SetName("AnsPicBox");
  AnsPicBox->SetParent(strip);
  AnsPicBox->SetBounds(4, 3, AnsPic.LogicalWidth(), AnsPic.LogicalHeight());
  AnsPicBox->OnPaint = [this](TObject*) {
    // Drawn again for a screen of another density (the window moved to it).
    if (AnsPic.DevicePixelRatio() != AnsPicBox->DevicePixelRatio())
      PaintAnswers();
    AnsPicBox->Canvas().Draw(0, 0, AnsPic);
  };
  AnsPicBox->OnMouseMove = [this](TObject* s, TShiftState sh, Integer x, Integer y) { AnsPicMouseMove(s, sh, x, y); };
  AnsPicBox->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    AnsPicMouseDown(s, b, sh, x, y);
  };

  viewer = TComponent::Create<THTMLViewer>(this);
  viewer->SetName("viewer");
  viewer->SetParent(this);
  viewer->SetAlign(alClient);
  viewer->SetServerRoot(ServerRoot);
  viewer->SetDefBackground(clWhite);
  viewer->SetAccessibleName("Question");
  viewer->OnHotSpotClick = [this](TObject* s, const std::string& src, bool& handled) {
    viewerHotSpotClick(s, src, handled);
  };
  // The keys go to the page, so the answers can be chosen with Tab and Enter.
  OnShow = [this](TObject*) { viewer->SetFocus(); };

  DummyViewer = TComponent::Create<THTMLViewer>(this);
  DummyViewer->SetName("DummyViewer");
  DummyViewer->SetParent(this);
  DummyViewer->SetVisible(false);
  DummyViewer->SetBounds(0, 0, std::max(ABounds.Width(), 100), std::max(ABounds.Height(), 100));
  DummyViewer->SetServerRoot(ServerRoot);

  // Closing frees the window, later, from the message loop.
  OnClose = [this](TObject*, TCloseAction& action) {
    action = caFree;
    FOwner.ScheduleFree(this);
  };
  // F1 anywhere in the window opens the help page about tests.
  FHelpKeyFilter = AddInputFilter([this](const TInputEvent& ev) {
    if (ev.Kind != TInputKind::KeyDown || ev.Key != VK_F1 || ev.Shift != 0 || !ev.Target
        || ev.Target->GetParentForm() != this)
      return false;
    GuardedCall([] { ApplicationHelpContext(IDH_TEST_WINDOW); });
    return true;
  });
  PaintAnswers();
  ExposeAnswers(true);
}

TTestFrm::~TTestFrm()
{
  ExposeAnswers(false);
  RemoveInputFilter(FHelpKeyFilter);
}

void TTestFrm::Reload(const std::string& FileName, TTopicCategories Mask)
{
  // The new questions replace the old only once they have all been read.
  TQuestionList list = LoadQuestionFile(FileName, Mask);
  PickTestQuestions(list, [this](Integer n) {
    return n > 0 ? static_cast<Integer>(std::uniform_int_distribution<Integer>(0, n - 1)(FRandom)) : 0;
  });
  Questions = std::move(list);
  Current = 0;
  Finished = false;
  Reported = false;
  if (Questions.empty())
    viewer->Clear();
  else
    ShowQuestion(0);
  PaintAnswers();
  if (Questions.empty())
    MessageDlg("No questions found", mtInformation, mbOK);
}

void TTestFrm::ShowQuestion(int32_t I, int32_t Answered)
{
  if (I < 0 || I >= static_cast<int32_t>(Questions.size()))
    return;
  // A reader names the page as it takes the focus, then reads the line its caret is on: the
  // mark just given and the question's number come in the name, the question's words on the
  // caret's line (its number heads the page for the eye).
  const std::string number = "Question " + IntToStr(I + 1);
  viewer->SetAccessibleName(Answered >= 0 && Answered != I ? AnswerWords(Answered) + ". " + number : number);
  viewer->LoadFromString(Questions[size_t(I)]->BuildPage(I + 1));
  viewer->CaretToName(TTarvQuestion::QuestionPlace);
}

std::string TTestFrm::AnswerWords(int32_t I) const
{
  static const char* const words[] = {"not answered", "right", "wrong"};
  const Byte state = Questions[size_t(I)]->State;
  return "Question " + IntToStr(I + 1) + ": " + words[state <= 2 ? state : 0];
}

bool TTestFrm::AllRight() const
{
  for (const auto& q : Questions)
    if (q->State == TTarvQuestion::qsWrong)
      return false;
  return true;
}

void TTestFrm::PaintAnswers()
{
  // The strip has the screen's pixels and is drawn in logical units.
  const Integer w = AnsPic.LogicalWidth(), h = AnsPic.LogicalHeight();
  FitScreenBuffer(AnsPic, w, h, AnsPicBox->DevicePixelRatio());
  TCanvas& c = AnsPic.Canvas();
  AnsPic.Fill(clWhite);
  c.Brush().SetStyle(bsClear);
  c.Pen().SetColor(clBlack);
  c.Pen().SetWidth(1);
  c.Font().SetName("arial");
  c.Font().SetHeight(13);
  c.Font().SetColor(clBlack);
  c.Rectangle(0, 0, w, h);
  const bool outline = Reported && !AllRight();
  for (int32_t i = 0; i < static_cast<int32_t>(Questions.size()) && i < static_cast<int32_t>(MaxTestQuestions); ++i) {
    c.Pen().SetColor(clBlack);
    c.MoveTo((i + 1) * BoxWidth, 0);
    c.LineTo((i + 1) * BoxWidth, 30);
    c.TextOut(i * BoxWidth + 2, 1, IntToStr(i + 1));
    const Byte state = Questions[size_t(i)]->State;
    if (state == TTarvQuestion::qsRight)
      c.Draw(i * BoxWidth + 10, 13, FOwner.TickPic());
    else if (state == TTarvQuestion::qsWrong)
      c.Draw(i * BoxWidth + 10, 13, FOwner.CrossPic());
    if (outline && i == Current) {
      c.Pen().SetColor(clRed);
      c.Rectangle(i * BoxWidth + 1, 1, (i + 1) * BoxWidth, 29);
    }
  }
  AnsPicBox->Invalidate();
}

void TTestFrm::viewerHotSpotClick(TObject*, const std::string& SRC, bool& Handled)
{
  // The page's links are answers; the viewer follows none of them.
  Handled = true;
  Answer(SRC);
}

void TTestFrm::Answer(const std::string& Letter)
{
  const int32_t count = static_cast<int32_t>(Questions.size());
  if (Current < 0 || Current >= count)
    return;
  Questions[size_t(Current)]->CheckAnswer(Letter);
  const int32_t answered = Current;
  if (Current < count - 1 && !Finished) {
    ++Current;
    PaintAnswers();
    ShowQuestion(Current, answered);
    AnnounceAnswer(answered);
    return;
  }
  PaintAnswers();
  AnnounceAnswer(answered);
  // No new page comes: the page shown carries the mark instead, heard now, and still its
  // name when the focus comes back from the result's message.
  viewer->SetAccessibleName(AnswerWords(answered));
  viewer->AnnounceRenamed();
  Finished = true;
  if (!Reported) {
    Reported = true;
    ReportResult();
  } else if (AllRight()) {
    ReportResult();
  }
}

void TTestFrm::ReportResult()
{
  if (AllRight()) {
    MessageDlg("All answers correct.", mtInformation, mbOK);
    Close();
  } else {
    MessageDlg("Some answers are wrong.\r\nTo try the question again, click\r\non the questions marked with X.",
               mtInformation, mbOK);
    PaintAnswers();
  }
}

int32_t TTestFrm::BoxAt(Integer X) const
{
  if (X < 0)
    return -1;
  const int32_t box = X / BoxWidth;
  return box < static_cast<int32_t>(Questions.size()) ? box : -1;
}

void TTestFrm::AnsPicMouseMove(TObject*, TShiftState, Integer X, Integer)
{
  const int32_t box = BoxAt(X);
  const bool retry = Finished && box >= 0 && Questions[size_t(box)]->State == TTarvQuestion::qsWrong;
  AnsPicBox->SetCursor(retry ? crHandPoint : crDefault);
}

void TTestFrm::AnsPicMouseDown(TObject*, TMouseButton, TShiftState, Integer X, Integer)
{
  const int32_t box = BoxAt(X);
  if (!Finished || box < 0 || Questions[size_t(box)]->State != TTarvQuestion::qsWrong)
    return;
  Current = box;
  ShowQuestion(box);
  PaintAnswers();
}

std::string TTestFrm::BuildPrintPage() const
{
  // The window's title is the document's: the print job goes to the spooler under it.
  std::string page = "<html><head><title>" + HtmlEscape(Caption()) + "</title></head><body>";
  for (size_t n = 0; n < Questions.size(); ++n)
    page += "<p><b>Question " + IntToStr(int64_t(n) + 1) + "</b></p>" + Questions[n]->BuildPrintPart();
  return page + "</body></html>";
}

void TTestFrm::PrntBtnClick(TObject*)
{
  DummyViewer->LoadFromString(BuildPrintPage());
  PrintTextPreview(*DummyViewer, Images, Glyphs);
}

void TTestFrm::CloseBtnClick(TObject*) { Close(); }

// ---------------------------------------------------------------------------------------

std::string QuestionFileName() { return ExeFolder() + "questions/test.mq"; }

TTopicCategories TestMenuMask(Integer Tag)
{
  if (Tag < 1 || Tag > TopicCategoryCount)
    return 0;
  return static_cast<TTopicCategories>(1u << (Tag - 1));
}

namespace {
// The test window's place on the screen that holds most of the area, beside the window the
// area lies in (the main window).
TRect PlaceOnScreen(const TRect& Area)
{
  TRect window = Area;
  for (int i = 0; i < Screen().FormCount(); ++i)
    if (TCustomForm* f = Screen().Forms(i);
        f->Showing() && !dynamic_cast<TTestFrm*>(f) && f->BoundsRect().Contains({Area.Left, Area.Top})) {
      window = f->FrameRect();
      break;
    }
  return TestWindowPlace(Area, Screen().MonitorFromRect(Area).WorkArea, window);
}
}   // namespace

TTestWindows::TTestWindows() : FTick(DrawnMark(true)), FCross(DrawnMark(false)) {}

TTestWindows::~TTestWindows() { FreeTestWindow(); }

void TTestWindows::SetAnswerMarks(const TBitmap& Tick, const TBitmap& Cross)
{
  FTick = Tick;
  FCross = Cross;
}

namespace {

int64_t Extent(const TRect& r) { return int64_t(std::max(r.Width(), 0)) * std::max(r.Height(), 0); }

// A window of Area's size, shrunk to what Free holds, within Free as near to Area as it goes.
TRect PlaceWithin(const TRect& Free, const TRect& Area)
{
  const Integer w = std::min(Area.Width(), Free.Width()), h = std::min(Area.Height(), Free.Height());
  if (w < 1 || h < 1)
    return TRect{};
  return Bounds(std::clamp(Area.Left, Free.Left, Free.Right - w), std::clamp(Area.Top, Free.Top, Free.Bottom - h), w,
                h);
}

}   // namespace

TRect TestWindowPlace(const TRect& Area, const TRect& WorkArea, const TRect& Window)
{
  // The least of the window that is of use: its toolbar, the strip of boxes and a few lines
  // of the question, in its frame.
  constexpr Integer MinWidth = 320, MinHeight = 200;
  if (WorkArea.Width() < 1 || WorkArea.Height() < 1)
    return Area;
  auto useful = [&](const TRect& r) { return r.Width() >= MinWidth && r.Height() >= MinHeight; };
  // A window that leaves the work area is pushed back into it by the window manager: this
  // one, kept above the main window, would then cover its menu bar and toolbars.
  const TRect on = Rect(std::max(Area.Left, WorkArea.Left), std::max(Area.Top, WorkArea.Top),
                        std::min(Area.Right, WorkArea.Right), std::min(Area.Bottom, WorkArea.Bottom));
  if (useful(on) && 2 * Extent(on) >= Extent(Area))
    return on;
  // Too little of the area is on the screen: the window takes the area's size, as far as it
  // fits, in the work area's part beside the main window, above it or below it (clear of
  // its menu bar and toolbars), where most of it shows.
  const TRect& w = WorkArea;
  const TRect beside[] = {Rect(w.Left, w.Top, w.Right, std::min(Window.Top, w.Bottom)),
                          Rect(w.Left, w.Top, std::min(Window.Left, w.Right), w.Bottom),
                          Rect(std::max(Window.Right, w.Left), w.Top, w.Right, w.Bottom),
                          Rect(w.Left, std::max(Window.Bottom, w.Top), w.Right, w.Bottom)};
  TRect best;
  for (const TRect& free : beside)
    if (const TRect r = PlaceWithin(free, Area); useful(r) && Extent(r) > Extent(best))
      best = r;
  if (Extent(best) > Extent(on))
    return best;
  if (useful(on))
    return on;
  const Integer width = std::min(std::max(on.Width(), MinWidth), WorkArea.Width());
  const Integer height = std::min(std::max(on.Height(), MinHeight), WorkArea.Height());
  const Integer left = std::clamp(on.Width() > 0 ? on.Left : Area.Left, WorkArea.Left, WorkArea.Right - width);
  Integer top = std::max(Area.Top, WorkArea.Top);
  // No room below the bars: the main window stands low on the screen, its bars near the
  // foot, and the window goes above them.
  if (top + height > WorkArea.Bottom)
    top = WorkArea.Top;
  return Bounds(left, top, width, height);
}

void TTestWindows::RunTest(TTopicCategories Mask, const TRect& Bounds, TCustomImageList* Images,
                           const TPreviewGlyphs& Glyphs, const std::string& FileName, const std::string& ServerRoot)
{
  const std::string file = FileName.empty() ? QuestionFileName() : FileName;
  if (!FileExists(file)) {
    MessageDlg("File of test questions not found.", mtError, mbOK);
    return;
  }
  try {
    if (FWindow) {
      FWindow->Reload(file, Mask);
      return;
    }
    // The window counts as open only once it holds its test.
    auto form = std::make_unique<TTestFrm>(*this, PlaceOnScreen(Bounds),
                                           ServerRoot.empty() ? ExeFolder() + "HTML" : ServerRoot, Images, Glyphs);
    form->Reload(file, Mask);
    FWindow = std::move(form);
    FArea = Bounds;
    FWindow->Show();
  } catch (const Exception&) {
    // A damaged file is told in the application's error box, as every error is.
    HandleCurrentException(nullptr);
  }
}

void TTestWindows::FollowArea(const TRect& Bounds)
{
  if (!FWindow || Bounds == FArea)
    return;
  FArea = Bounds;
  FWindow->SetFrameBounds(PlaceOnScreen(Bounds));
}

void TTestWindows::ScheduleFree(TTestFrm* Form)
{
  if (!FWindow || FWindow.get() != Form)
    return;
  FClosed.push_back(std::move(FWindow));
  if (!FFreeWindow)
    FFreeWindow = AllocateHWnd([this](TMessage&) { FreeClosedWindows(); });
  PostMessage(FFreeWindow, WM_USER, 0, 0);
}

void TTestWindows::FreeClosedWindows()
{
  std::vector<std::unique_ptr<TTestFrm>> dying = std::move(FClosed);
  FClosed.clear();
  dying.clear();
}

void TTestWindows::FreeTestWindow()
{
  FWindow.reset();
  FreeClosedWindows();
  if (FFreeWindow) {
    DeallocateHWnd(FFreeWindow);
    FFreeWindow = 0;
  }
}
