// The test window: up to ten multiple-choice questions from the question file, of one topic
// category or of all, shown one at a time as pages; a strip of numbered boxes with ticks
// and crosses; the result at the end; wrong answers tried again; the whole test printed
// through the page preview.
#pragma once

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "html/HtmlViewer.h"
#include "shell/PrintPreview.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "lessons/Questions.h"
#include "toolbar/ThemedItems.h"

class TTestWindows;

class TTestFrm : public TForm {
public:
  // Reads nothing yet: Reload fills it. ServerRoot is the folder that stands for "/" in the
  // question pages (the program's HTML folder).
  // Images and Glyphs: the toolbar's pictures (its own print and close, and those the
  // printed test's preview uses). Owner frees the window once it is closed and gives the
  // strip its marks.
  TTestFrm(TTestWindows& Owner, const TRect& ABounds, const std::string& ServerRoot, TCustomImageList* Images = nullptr,
           const TPreviewGlyphs& Glyphs = {});
  ~TTestFrm() override;

  THTMLViewer* viewer;
  THTMLViewer* DummyViewer;   // hidden: lays out the printed test
  TPaintBox* AnsPicBox;
  TTBXToolbar* TestToolbar;
  TTBXItem* PrntBtn;
  TTBXItem* CloseBtn;
  TBitmap AnsPic;
  TCustomImageList* Images;
  TPreviewGlyphs Glyphs;

  TQuestionList Questions;
  int32_t Current = 0;
  bool Finished = false;
  bool Reported = false;

  // Reads the questions of every category of Mask (empty: all) into a new list, shuffles it
  // and keeps ten; only then replaces the test shown. EBadFile or EFOpenError leave the
  // test as it was. With no question: "No questions found".
  void Reload(const std::string& FileName, TTopicCategories Mask);
  // Shows question I; Answered (when not -1) is the question just answered, whose mark a
  // screen reader hears with the new question.
  void ShowQuestion(int32_t I, int32_t Answered = -1);
  // What question I's box on the strip says: "Question 1: right" (wrong, not answered).
  std::string AnswerWords(int32_t I) const;
  void PaintAnswers();
  bool AllRight() const;
  // The viewer's link clicks: the letter of an answer.
  void viewerHotSpotClick(TObject* Sender, const std::string& SRC, bool& Handled);
  void Answer(const std::string& Letter);
  // The strip: after the end, the boxes of wrong answers can be tried again.
  void AnsPicMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void AnsPicMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  // The test as one page, to print: what PrntBtnClick previews.
  std::string BuildPrintPage() const;
  void PrntBtnClick(TObject* Sender);
  void CloseBtnClick(TObject* Sender);

  // The width of a question's box on the strip.
  static constexpr Integer AnswerBoxWidth = 30;
  // Shows the strip to screen readers, or takes it back (TopicTest_Accessible.cpp).
  void ExposeAnswers(bool Expose);
  // Tells readers that question Answered was answered: the score, its entry, the one now
  // chosen.
  void AnnounceAnswer(int32_t Answered);

private:
  TTestWindows& FOwner;
  // Draws the questions kept from those read.
  std::mt19937 FRandom;
  int FHelpKeyFilter = 0;
  void ReportResult();
  // The box under x on the strip, or -1.
  int32_t BoxAt(Integer X) const;
};

// The question file: questions/test.mq beside the executable.
std::string QuestionFileName();

// The test window of one owner (the main window): the one open, the windows closed but not
// yet freed (a window is freed from the message loop, never from inside one of its own
// handlers: its viewer's click closes it), and the marks of right and wrong answers. Frees
// them all when it goes.
class TTestWindows {
public:
  TTestWindows();
  ~TTestWindows();
  TTestWindows(const TTestWindows&) = delete;
  TTestWindows& operator=(const TTestWindows&) = delete;

  // The test window while one is open (and not closing), else nullptr.
  TTestFrm* TestFrm() const { return FWindow.get(); }
  bool TestFrmOpen() const { return FWindow != nullptr; }

  // The toolbar's "test" and the Test menu's items: opens the test window over Bounds (the
  // screen rectangle of what the left pane shows) or reloads the one open with Mask. A
  // missing file shows "File of test questions not found."; a bad one its error, and an
  // open window keeps its test. FileName and ServerRoot default to the program's folders.
  void RunTest(TTopicCategories Mask, const TRect& Bounds, TCustomImageList* Images = nullptr,
               const TPreviewGlyphs& Glyphs = {}, const std::string& FileName = std::string(),
               const std::string& ServerRoot = std::string());
  // The screen rectangle of what the left pane shows now: the open test window is placed
  // over it again whenever it has changed (a topic's control rows came or went or wrapped),
  // so that its frame never covers them.
  void FollowArea(const TRect& Bounds);
  // Frees the test window now, and those closed.
  void FreeTestWindow();

  // The pictures in the boxes of right and wrong answers; drawn ones until set.
  void SetAnswerMarks(const TBitmap& Tick, const TBitmap& Cross);
  const TBitmap& TickPic() const { return FTick; }
  const TBitmap& CrossPic() const { return FCross; }

private:
  friend class TTestFrm;
  // Form closes: it is freed once the message loop runs again.
  void ScheduleFree(TTestFrm* Form);
  void FreeClosedWindows();
  std::unique_ptr<TTestFrm> FWindow;
  std::vector<std::unique_ptr<TTestFrm>> FClosed;
  HWND FFreeWindow = 0;
  TRect FArea;   // the area the open window was placed for last
  TBitmap FTick, FCross;
};

// The Test menu's item Tag: 0 "All topics", 1 to 11 the categories in order.
TTopicCategories TestMenuMask(Integer Tag);

// Where the test window goes (its frame's rectangle) for the screen rectangle of what the
// left pane shows, Area, in Window (the main window, frame included): mostly on the screen,
// the part of Area inside the work area, so that it stays below the main window's menu bar
// and toolbars above the area. With too little of it on the screen, Area's size (shrunk to
// what fits) in the work area beside, above or below Window, clear of its bars, where most
// of it shows; with no room there either, its least size below the bars when there is room,
// else at the work area's top.
TRect TestWindowPlace(const TRect& Area, const TRect& WorkArea, const TRect& Window);
