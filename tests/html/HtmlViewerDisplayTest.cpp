// The viewer control: scroll bars, scrolling, painting, the mouse, selection and hover.
#include <gtest/gtest.h>

#include <cstdlib>

#include "html/GifAnimation.h"
#include "platform/BmpFile.h"
#include "platform/Clipboard.h"
#include "platform/Forms.h"
#include "tests/html/GifTestUtil.h"
#include "tests/html/HtmlViewerTestUtil.h"
#include "tests/TestWait.h"
#include "tests/shell/PictureOutput.h"

namespace {

std::string Lines(int N)
{
  std::string s;
  for (int i = 0; i < N; ++i)
    s += "Line " + std::to_string(i) + "<br>";
  return s;
}

}   // namespace

TEST_F(HtmlViewerTest, ScrollBarsShowOnlyWhenTheDocumentDoesNotFit)
{
  Viewer->LoadFromString("<p>Short</p>");
  EXPECT_FALSE(Viewer->VScrollBar()->Visible());
  EXPECT_FALSE(Viewer->HScrollBar()->Visible());
  EXPECT_EQ(Viewer->PaintPanel()->Width(), 398);
  EXPECT_EQ(Viewer->PaintPanel()->Height(), 298);
  // A page break is as wide as the page, as a rule is: neither makes a narrow page scroll
  // sideways, short or long, at the body's margins or inside a list.
  for (const char* mark : {"<hr>", "<page>", "<ul><li>item<page></ul>"})
    for (int lines : {1, 40}) {
      Viewer->LoadFromString("<p>Short</p>" + std::string(mark) + Lines(lines));
      EXPECT_FALSE(Viewer->HScrollBar()->Visible()) << mark << ' ' << lines;
      EXPECT_LE(Viewer->DocumentWidth(), Viewer->PaintPanel()->Width()) << mark << ' ' << lines;
    }

  // Forced: shown but disabled while the document fits.
  Viewer->SethtOptions(Viewer->htOptions() | htShowVScroll);
  Viewer->LoadFromString("<p>Short</p>");
  EXPECT_TRUE(Viewer->VScrollBar()->Visible());
  EXPECT_FALSE(Viewer->VScrollBar()->Enabled());
  EXPECT_EQ(Viewer->PaintPanel()->Width(), 398 - 16);
  Viewer->SethtOptions(Viewer->htOptions() & ~htShowVScroll);

  // A height equal to the room counts as too tall.
  Viewer->SetScrollBars(ssVertical);
  Viewer->LoadFromString(Lines(5));
  const int32_t h = Viewer->DocumentHeight();
  ASSERT_GT(h, 0);
  Viewer->SetBounds(0, 0, 400, h + 2);
  EXPECT_TRUE(Viewer->VScrollBar()->Visible());
  EXPECT_TRUE(Viewer->VScrollBar()->Enabled());
  Viewer->SetBounds(0, 0, 400, h + 3);
  EXPECT_FALSE(Viewer->VScrollBar()->Visible());

  Viewer->SetScrollBars(ssNone);
  Viewer->LoadFromString(Lines(100));
  EXPECT_FALSE(Viewer->VScrollBar()->Visible());
}

TEST_F(HtmlViewerTest, AWidePageScrollsOnlyTo6000Pixels)
{
  Viewer->LoadFromString("<table width=9000><tr><td>wide</td></tr></table>" + Lines(40));
  EXPECT_EQ(Viewer->DocumentWidth(), 6000);
  EXPECT_TRUE(Viewer->HScrollBar()->Visible());
  EXPECT_TRUE(Viewer->VScrollBar()->Visible());
  EXPECT_EQ(Viewer->HScrollBar()->Max(), 6000);
  for (int i = 0; i < 500; ++i) {
    Word k = VK_RIGHT;
    Viewer->ViewerKeyDown(k, 0);
  }
  EXPECT_EQ(Viewer->HScrollBarPosition(), 6000 - Viewer->PaintPanel()->Width());
  Word home = VK_LEFT;
  Viewer->ViewerKeyDown(home, 0);
  EXPECT_EQ(Viewer->HScrollBarPosition(), 6000 - Viewer->PaintPanel()->Width() - 15);
}

TEST_F(HtmlViewerTest, KeysWheelAndBarsScrollWithinTheDocument)
{
  Viewer->LoadFromString(Lines(200));
  const int32_t maxY = Viewer->DocumentHeight() - Viewer->PaintPanel()->Height();
  ASSERT_GT(maxY, 1000);
  auto key = [&](Word K) {
    Viewer->ViewerKeyDown(K, 0);
    return Viewer->VScrollBarPosition();
  };
  EXPECT_EQ(key(VK_DOWN), 16);
  EXPECT_EQ(key(VK_NEXT), 16 + Viewer->PaintPanel()->Height() - 16);
  EXPECT_EQ(key(VK_END), maxY);
  EXPECT_EQ(key(VK_DOWN), maxY);
  EXPECT_EQ(key(VK_HOME), 0);
  EXPECT_EQ(key(VK_UP), 0);
  // A wheel notch moves three lines whatever its size.
  Viewer->PaintPanel()->DispatchMouseWheel(0, -1, {});
  EXPECT_EQ(Viewer->VScrollBarPosition(), 48);
  Viewer->PaintPanel()->DispatchMouseWheel(0, 360, {});
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);
  // The bar's own input.
  Viewer->VScrollBar()->Scroll(scPageDown, 0);
  EXPECT_EQ(Viewer->VScrollBarPosition(), Viewer->VScrollBar()->LargeChange());
  Viewer->VScrollBar()->Scroll(scTrack, 999999);
  EXPECT_EQ(Viewer->VScrollBarPosition(), maxY);
  EXPECT_EQ(Viewer->VScrollBar()->Position(), maxY);
  Viewer->SetVScrollBarPosition(-50);
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);
}

TEST_F(HtmlViewerTest, APositionSurvivesALayoutAtAnotherWidth)
{
  std::string text;
  for (int i = 0; i < 60; ++i)
    text += "<p>Paragraph " + std::to_string(i) + " with some words that wrap when the window is narrow enough.</p>";
  Viewer->LoadFromString(text);
  Viewer->SetVScrollBarPosition(1000);
  const TViewerPosition pos = Viewer->Position();
  EXPECT_NE(static_cast<uint64_t>(pos) >> 32, 0u);
  int32_t top = 0, index = 0;
  TSectionBase* s = Viewer->SectionList().FindSectionAtPosition(1000, top, index);
  ASSERT_NE(s, nullptr);
  const int32_t into = 1000 - top;
  Viewer->SetBounds(0, 0, 200, 300);   // narrower: paragraphs grow
  EXPECT_EQ(Viewer->VScrollBarPosition(), s->GetYPosition() + into);
  EXPECT_GT(Viewer->VScrollBarPosition(), 1000);
  // Upper bits naming no section: nothing happens.
  Viewer->SetPosition(TViewerPosition{0x7FFF} << 32);
  EXPECT_EQ(Viewer->VScrollBarPosition(), s->GetYPosition() + into);
}

// A place far inside one section (a table is one) is kept whole across a resize: a distance
// of more than 16 bits below the section's top is not cut.
TEST_F(HtmlViewerTest, APositionDeepInsideOneTallSectionSurvivesAResize)
{
  std::string rows;
  for (int i = 0; i < 5000; ++i)
    rows += "<tr><td>Row " + std::to_string(i) + "</td></tr>";
  Viewer->LoadFromString("<p>Before</p><table>" + rows + "</table>");
  ASSERT_GT(Viewer->DocumentHeight(), 80000);
  Viewer->SetVScrollBarPosition(70000);
  int32_t top = 0, index = 0;
  ASSERT_NE(Viewer->SectionList().FindSectionAtPosition(70000, top, index), nullptr);
  ASSERT_GT(70000 - top, 0xFFFF);
  Viewer->SetBounds(0, 0, 300, 300);
  EXPECT_EQ(Viewer->VScrollBarPosition(), 70000);
  // The same place as a plain pixel position.
  Viewer->SetPosition(70001);
  EXPECT_EQ(Viewer->VScrollBarPosition(), 70001);
}

TEST_F(HtmlViewerTest, DraggingSelectsTextAndCopiesIt)
{
  Viewer->LoadFromString("<p>Alpha beta gamma delta</p><p>Second line</p>");
  Shot();
  TPaintPanel* p = Viewer->PaintPanel();
  p->DispatchMouseDown(mbLeft, ssLeft, 12, 12);
  p->DispatchMouseMove(ssLeft, 200, 50);
  p->DispatchMouseUp(mbLeft, 0, 200, 50);
  const std::u16string sel = Viewer->SelText();
  ASSERT_FALSE(sel.empty());
  EXPECT_EQ(sel.substr(0, 10), u"Alpha beta");
  EXPECT_NE(sel.find(u"Second"), std::u16string::npos);
  // The length counts from the caret, which a forward drag leaves at the end.
  EXPECT_LT(Viewer->SelLength(), 0);
  Viewer->CopyToClipboard();
  EXPECT_EQ(Clipboard().AsTextW(), sel);

  // Dragging backwards leaves the caret at the start.
  p->DispatchMouseDown(mbLeft, ssLeft, 200, 50);
  p->DispatchMouseMove(ssLeft, 12, 12);
  p->DispatchMouseUp(mbLeft, 0, 12, 12);
  EXPECT_GT(Viewer->SelLength(), 0);

  Viewer->SetNoSelect(true);
  EXPECT_EQ(Viewer->SelLength(), 0);
  p->DispatchMouseDown(mbLeft, ssLeft, 12, 12);
  p->DispatchMouseMove(ssLeft, 200, 50);
  p->DispatchMouseUp(mbLeft, 0, 200, 50);
  EXPECT_TRUE(Viewer->SelText().empty());
}

TEST_F(HtmlViewerTest, ADoubleClickSelectsOneWordOfAHyphenatedPair)
{
  Viewer->LoadFromString("<p>left-right gr\xFCne</p>");   // Windows-1252: u with diaeresis is 252
  Shot();
  TPaintPanel* p = Viewer->PaintPanel();
  int doubles = 0;
  Viewer->OnMouseDouble = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++doubles; };
  // Find the X of the characters from the caret positions the section list gives.
  auto xOf = [&](int32_t Pos) {
    int32_t x = 0, y = 0;
    Viewer->SectionList().CursorToXY(FontMeasureCanvas(), Pos, x, y);
    return std::pair(x, y - Viewer->VScrollBarPosition());
  };
  auto [x1, y1] = xOf(1);   // inside "left"
  p->DispatchMouseDown(mbLeft, ssLeft | ssDouble, x1 + 2, y1 + 5);
  // A section's text is copied with a line end after it.
  EXPECT_EQ(Viewer->SelText().substr(0, 5), u"left\r");
  EXPECT_EQ(doubles, 1);
  auto [x2, y2] = xOf(7);   // inside "right"
  p->DispatchMouseDown(mbLeft, ssLeft | ssDouble, x2 + 2, y2 + 5);
  EXPECT_EQ(Viewer->SelText().substr(0, 6), u"right\r");
  auto [x3, y3] = xOf(13);   // inside "grüne": 252 is a word character
  p->DispatchMouseDown(mbLeft, ssLeft | ssDouble, x3 + 2, y3 + 5);
  EXPECT_EQ(Viewer->SelText().substr(0, 6), u"gr\u00FCne\r");
  EXPECT_EQ(Viewer->CaretPos(), Viewer->SectionList().SelB);
  EXPECT_GT(Viewer->SelLength(), 0);
  EXPECT_EQ(Viewer->GetWordAt(x1 + 2, y1 + 5), u"left");
}

TEST_F(HtmlViewerTest, LinksAreFollowedOnAClickButNotAfterADrag)
{
  Viewer->LoadFromString("<p><a href=\"target.htm\">A link with several words in it</a> and text after it.</p>");
  Shot();
  std::vector<std::string> clicked, covered;
  Viewer->OnHotSpotClick = [&](TObject*, const std::string& Src, bool& Handled) {
    clicked.push_back(Src);
    Handled = true;
  };
  Viewer->OnHotSpotCovered = [&](TObject*, const std::string& Src) { covered.push_back(Src); };
  TPaintPanel* p = Viewer->PaintPanel();
  int32_t x = 0, y = 0;
  ASSERT_TRUE(Viewer->SectionList().CursorToXY(FontMeasureCanvas(), 3, x, y));
  y += 5;

  // Hover: the hand, the event once, the timer running.
  p->DispatchMouseMove(0, x, y);
  p->DispatchMouseMove(0, x + 1, y);
  EXPECT_EQ(p->Cursor(), static_cast<TCursor>(HandCursor));
  EXPECT_EQ(covered, std::vector<std::string>{"target.htm"});
  EXPECT_TRUE(Viewer->HoverTimer().Enabled());
  EXPECT_EQ(Viewer->URL, "target.htm");

  // Dragging across the link selects and does not follow it.
  p->DispatchMouseDown(mbLeft, ssLeft, x, y);
  p->DispatchMouseMove(ssLeft, x + 60, y);
  p->DispatchMouseUp(mbLeft, 0, x + 60, y);
  EXPECT_TRUE(clicked.empty());
  EXPECT_FALSE(Viewer->SelText().empty());

  p->DispatchMouseDown(mbLeft, ssLeft, x, y);
  p->DispatchMouseUp(mbLeft, 0, x, y);
  EXPECT_EQ(clicked, std::vector<std::string>{"target.htm"});

  // Off the link, over text: the viewer's text cursor.
  p->DispatchMouseMove(0, 5, 280);
  EXPECT_EQ(covered.back(), "");
  EXPECT_FALSE(Viewer->HoverTimer().Enabled());
  EXPECT_EQ(Viewer->Cursor(), static_cast<TCursor>(ThickIBeamCursor));

  // The hover timer drops the link once the mouse has left the panel.
  p->DispatchMouseMove(0, x, y);
  SetCursorPos({-5000, -5000});
  Viewer->HoverTimerTimer();
  EXPECT_TRUE(Viewer->URL.empty());
  EXPECT_EQ(covered.back(), "");
  EXPECT_FALSE(Viewer->HoverTimer().Enabled());
}

TEST_F(HtmlViewerTest, RightClickReportsTheWordAndTheLink)
{
  Viewer->LoadFromString("<p><a href=\"x.htm\" target=\"main\" title=\"Go there\">Linked</a> words</p>");
  Shot();
  int32_t x = 0, y = 0;
  ASSERT_TRUE(Viewer->SectionList().CursorToXY(FontMeasureCanvas(), 2, x, y));
  std::string url, target;
  std::u16string word;
  Viewer->OnRightClick = [&](TObject*, TRightClickParameters& P) {
    url = P.URL;
    target = P.Target;
    word = P.ClickWord;
    EXPECT_EQ(P.Image, nullptr);
  };
  Viewer->PaintPanel()->DispatchMouseMove(0, x + 1, y + 5);
  std::string hint;
  TRect area;
  EXPECT_TRUE(Viewer->PaintPanel()->GetHintInfo({x + 1, y + 5}, hint, area));
  EXPECT_EQ(hint, "Go there");
  Viewer->PaintPanel()->DispatchMouseDown(mbRight, ssRight, x + 1, y + 5);
  Viewer->PaintPanel()->DispatchMouseUp(mbRight, 0, x + 1, y + 5);
  EXPECT_EQ(url, "x.htm");
  EXPECT_EQ(target, "main");
  EXPECT_EQ(word, u"Linked");
}

TEST_F(HtmlViewerTest, AMiddleClickStartsPanningAndTheNextOneEndsIt)
{
  Viewer->LoadFromString(Lines(200));
  TPaintPanel* p = Viewer->PaintPanel();
  const TCursor before = p->Cursor();
  p->DispatchMouseDown(mbMiddle, ssMiddle, 50, 100);
  p->DispatchMouseUp(mbMiddle, 0, 50, 100);
  EXPECT_EQ(p->Cursor(), static_cast<TCursor>(UpDownCursor));
  p->DispatchMouseDown(mbMiddle, ssMiddle, 50, 100);
  p->DispatchMouseUp(mbMiddle, 0, 50, 100);
  EXPECT_EQ(p->Cursor(), before);
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);
  // A key ends panning as well.
  p->DispatchMouseDown(mbMiddle, ssMiddle, 50, 100);
  Word k = VK_DOWN;
  Viewer->ViewerKeyDown(k, 0);
  EXPECT_EQ(p->Cursor(), before);
}

TEST_F(HtmlViewerTest, APageWithATableAListAnImageAndStyledTextIsPainted)
{
  TBitmap pic(60, 40);
  pic.Canvas().FillRect(Rect(0, 0, 60, 40), clRed);
  pic.Canvas().FillRect(Rect(20, 10, 40, 30), clYellow);
  SaveBmpToFile(pic, Dir + "/Sub/Gear.bmp");
  Write(
      "page.htm",
      R"(<html><head><title>Gears</title><style>h1 { color: #004080; font-family: Arial } .note { background-color: #FFFFC0; font-style: italic }</style></head><body bgcolor="#FFFFFF">
<h1>Gear trains</h1>
<p>A <b>gear train</b> passes motion from one <i>shaft</i> to another. <a href="next.htm">Read on</a>.</p>
<img src="sub/GEAR.BMP" align="right">
<ul><li>Driver gear</li><li>Idler gear</li><li>Driven gear</li></ul>
<table border=1 cellpadding=4 bgcolor="#E0F0E0"><tr><th>Gear</th><th>Teeth</th></tr>
<tr><td>Driver</td><td>12</td></tr><tr><td>Driven</td><td>36</td></tr></table>
<p class="note">The velocity ratio is 36 / 12 = 3.</p>
</body></html>)");
  Viewer->SetBounds(0, 0, 480, 400);
  Viewer->SetBorderStyle(htSingle);
  Viewer->LoadFromFile(Dir + "/page.htm");
  TBitmap shot = Shot();
  SaveTestPicture(shot, "htmlview_page.png");

  int red = 0, green = 0, blue = 0, yellowish = 0;
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) {
      const TColor c = shot.GetPixel(x, y) & 0xFFFFFF;
      red += c == clRed;
      green += c == 0xE0F0E0;
      blue += c == 0x804000;
      yellowish += c == 0xC0FFFF;
    }
  EXPECT_GT(red, 500);          // the picture
  EXPECT_GT(green, 1000);       // the table's background
  EXPECT_GT(blue, 20);          // the heading's text
  EXPECT_GT(yellowish, 1000);   // the styled paragraph
  // The border, then white page.
  EXPECT_NE(shot.GetPixel(0, 0) & 0xFFFFFF, 0xFFFFFF);
  EXPECT_EQ(shot.GetPixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(HtmlViewerTest, ABackgroundPictureIsTiledAndScrollsWithThePage)
{
  TBitmap tile(10, 10);
  tile.Canvas().FillRect(Rect(0, 0, 10, 10), clWhite);
  tile.Canvas().FillRect(Rect(0, 0, 5, 5), clBlue);
  SaveBmpToFile(tile, Dir + "/tile.bmp");
  Write("bg.htm", "<body background=\"tile.bmp\">" + Lines(100) + "</body>");
  Viewer->SetBorderStyle(htNone);
  Viewer->LoadFromFile(Dir + "/bg.htm");
  auto blue = [](const TBitmap& B, int X, int Y) {
    const TColor c = B.GetPixel(X, Y);
    return GetBValue(c) > 150 && GetRValue(c) < 100 && GetGValue(c) < 100;
  };
  TBitmap a = Shot();
  EXPECT_TRUE(blue(a, 1, 1));
  EXPECT_TRUE(blue(a, 11, 11));
  EXPECT_FALSE(blue(a, 7, 7));
  Viewer->SetVScrollBarPosition(5);
  TBitmap b = Shot();
  EXPECT_FALSE(blue(b, 1, 1));
  EXPECT_TRUE(blue(b, 1, 6));
  SaveTestPicture(b, "htmlview_background.png");

  // Without images the background picture goes.
  Viewer->SetViewImages(false);
  TBitmap c = Shot();
  EXPECT_FALSE(blue(c, 1, 6));
}

TEST_F(HtmlViewerTest, TheScrollBarAnswersItsArrowsTrackAndThumb)
{
  Viewer->LoadFromString(Lines(200));
  T32ScrollBar* bar = Viewer->VScrollBar();
  ASSERT_TRUE(bar->Visible());
  const int32_t maxY = Viewer->DocumentHeight() - Viewer->PaintPanel()->Height();
  EXPECT_EQ(bar->MaxPosition(), maxY);
  bar->DispatchMouseDown(mbLeft, ssLeft, 8, bar->Height() - 4);   // down arrow
  bar->DispatchMouseUp(mbLeft, 0, 8, bar->Height() - 4);
  EXPECT_EQ(Viewer->VScrollBarPosition(), 16);
  const TRect thumb = bar->ThumbRect();
  ASSERT_FALSE(thumb.IsEmpty());
  bar->DispatchMouseDown(mbLeft, ssLeft, 8, thumb.Bottom + 5);   // the track below the thumb
  bar->DispatchMouseUp(mbLeft, 0, 8, thumb.Bottom + 5);
  EXPECT_EQ(Viewer->VScrollBarPosition(), 16 + bar->LargeChange());
  // Dragging the thumb to the far end reaches the bottom of the document.
  const TRect t2 = bar->ThumbRect();
  bar->DispatchMouseDown(mbLeft, ssLeft, 8, t2.Top + 1);
  bar->DispatchMouseMove(ssLeft, 8, bar->Height() + 100);
  bar->DispatchMouseUp(mbLeft, 0, 8, bar->Height() + 100);
  EXPECT_EQ(Viewer->VScrollBarPosition(), maxY);
  bar->DispatchMouseDown(mbLeft, ssLeft, 8, 4);   // up arrow
  EXPECT_EQ(Viewer->VScrollBarPosition(), maxY - 16);
}

TEST_F(HtmlViewerTest, ImagesReportTheMouseAndFormsSubmitAfterTheClick)
{
  TBitmap pic(40, 30);
  pic.Canvas().FillRect(Rect(0, 0, 40, 30), clGreen);
  SaveBmpToFile(pic, Dir + "/pic.bmp");
  Write("img.htm", "<p><img src=\"PIC.bmp\"> after</p>");
  Viewer->LoadFromFile(Dir + "/img.htm");
  Shot();
  TImageObj* over = nullptr;
  TImageObj* clicked = nullptr;
  int32_t cx = -1, cy = -1;
  Viewer->OnImageOver = [&](TObject*, TImageObj* Obj, TShiftState, int32_t, int32_t) { over = Obj; };
  Viewer->OnImageClick = [&](TObject*, TImageObj* Obj, TMouseButton, TShiftState, int32_t X, int32_t Y) {
    clicked = Obj;
    cx = X;
    cy = Y;
  };
  // The picture stands first, inside the page margins.
  const int32_t x = 10 + 5, y = 5 + 5;
  Viewer->PaintPanel()->DispatchMouseMove(0, x, y);
  ASSERT_NE(over, nullptr);
  TImageObj* img = over;
  EXPECT_EQ(img->Bitmap()->Width(), 40);
  Viewer->PaintPanel()->DispatchMouseDown(mbLeft, ssLeft, x, y);
  Viewer->PaintPanel()->DispatchMouseUp(mbLeft, 0, x, y);
  EXPECT_EQ(clicked, img);
  EXPECT_GE(cx, 0);
  EXPECT_GE(cy, 0);

  std::vector<std::string> got;
  Viewer->OnFormSubmit = [&](TObject*, const std::string& Action, const std::string&, const std::string&,
                             const std::string& Method, const std::vector<std::string>& Results) {
    got.push_back(Action + " " + Method + " " + std::to_string(Results.size()));
  };
  Viewer->SubmitForm("go.htm", "", "", "get", {"a=1", "b=2"});
  EXPECT_TRUE(got.empty());   // not before the click has finished
  Application->ProcessMessages();
  EXPECT_EQ(got, std::vector<std::string>{"go.htm get 2"});
}

TEST_F(HtmlViewerTest, ScrollingMovesThePictureOnScreenAndPaintsTheUncoveredStrip)
{
  // What the screen shows after each scroll must be what a full repaint shows there.
  TForm form;
  form.SetBounds(40, 40, 440, 340);
  Viewer->SetParent(&form);
  Viewer->SetBounds(0, 0, 400, 300);
  // Text, and every tenth line a picture with a transparent colour over a coloured cell: the
  // first paint goes straight to the window and later ones through the viewer's buffer, and
  // neither may show in the pixels.
  giftest::GifBuilder gif(16, 16, 2);
  gif.Control(0, 0, 0);
  std::vector<uint8_t> indices(16 * 16);
  for (size_t i = 0; i < indices.size(); ++i)
    indices[i] = uint8_t((i / 16 + i % 16) % 3);
  gif.Image(0, 0, 16, 16, indices, 2);
  const std::vector<uint8_t> gifBytes = gif.Finish();
  Write("mark.gif", std::string(gifBytes.begin(), gifBytes.end()));
  std::string page = "<body><h2>Scrolling</h2>";
  for (int i = 0; i < 120; ++i) {
    page += "<p><font color=\"#" + std::string(i % 2 ? "aa2020" : "2020aa") + "\">Line " + std::to_string(i)
            + "</font> of <b>text</b> with <u>more</u></p>";
    if (i % 10 == 0)
      page += "<table><tr><td bgcolor=\"#40c040\"><img src=\"mark.gif\"> picture</td></tr></table>";
  }
  Write("scroll.htm", page + "</body>");
  Viewer->LoadFromFile(Dir + "/scroll.htm");
  form.Show();
  auto settle = [] {
    for (int i = 0; i < 5; ++i)
      Application->ProcessMessages();
  };
  settle();
  TControl* pane = Viewer->PaintPanel();
  TBitmap before;
  pane->CaptureScreen(before);
  ASSERT_FALSE(before.Empty());
  SaveTestPicture(before, "htmlview_scroll_first_paint.png");
  // A step is one scroll; a step of two scrolls before one paint, and a step followed by a
  // new page colour before the paint, must not show the strip the first scroll drew ahead.
  auto scrollBy = [&](int step) {
    if (step == 1001 || step == 1002) {
      Viewer->SetVScrollBarPosition(Viewer->VScrollBarPosition() - 40);
      if (step == 1001)
        Viewer->SetVScrollBarPosition(Viewer->VScrollBarPosition() - 24);
      else
        Viewer->SetDefBackground(clYellow);
      return;
    }
    Viewer->SetVScrollBarPosition(Viewer->VScrollBarPosition() + step);
  };
  for (int step : {16, 40, -16, 120, -56, 250, -250, 3, 1000, 1001, 1002}) {
    SCOPED_TRACE(step);
    scrollBy(step);
    settle();
    TBitmap scrolled, full, bar, barFull;
    pane->CaptureScreen(scrolled);
    Viewer->VScrollBar()->CaptureScreen(bar);
    pane->Invalidate();
    Viewer->VScrollBar()->Invalidate();
    settle();
    pane->CaptureScreen(full);
    // The scroll bar repaints only its thumb's old and new place: the same picture.
    Viewer->VScrollBar()->CaptureScreen(barFull);
    ASSERT_FALSE(bar.Empty());
    for (int32_t y = 0; y < bar.Height(); ++y)
      for (int32_t x = 0; x < bar.Width(); ++x)
        ASSERT_EQ(bar.GetPixel(x, y), barFull.GetPixel(x, y)) << x << "," << y;
    ASSERT_EQ(scrolled.Width(), full.Width());
    ASSERT_EQ(scrolled.Height(), full.Height());
    int differ = 0, moved = 0;
    for (int32_t y = 0; y < full.Height(); ++y)
      for (int32_t x = 0; x < full.Width(); ++x) {
        differ += scrolled.GetPixel(x, y) != full.GetPixel(x, y);
        moved += before.GetPixel(x, y) != full.GetPixel(x, y);
      }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(moved, 100);   // the page did move
    before = std::move(full);
  }
  Viewer->SetParent(nullptr);
}

// Animated pictures on a shown page: every one in the visible part of the pane keeps its own
// timing, however small the repaints of a fast one next to it and whatever else repaints the
// pane meanwhile; one scrolled out of view is not stepped until it is scrolled into view; an
// active picture animates while the mouse (through the X server) is over it.
TEST_F(HtmlViewerTest, EveryAnimationInViewKeepsItsOwnTiming)
{
  // Frames of 2 x 2 pixels, each Delay hundredths of a second.
  auto writeGif = [&](const std::string& Name, int Delay, uint8_t Frames = 3) {
    giftest::GifBuilder gif(2, 2, 2);
    for (uint8_t i = 0; i < Frames; ++i) {
      gif.Control(1, Delay);
      gif.Image(0, 0, 2, 2, {i, i, 3, i}, 2);
    }
    const std::vector<uint8_t> bytes = gif.Finish();
    Write(Name, std::string(bytes.begin(), bytes.end()));
  };
  writeGif("slow.gif", 10);        // 100 ms a frame
  writeGif("fast.gif", 0);         // as fast as a frame goes
  writeGif("active.gif", 10, 4);   // (two or three frames would be the looks of a button)
  const std::string img = " width=24 height=24>";
  std::string page = "<p><img src=slow.gif" + img + " text <img src=slow.gif" + img + " <img src=active.gif active"
                     + img + "</p><p>row two <img src=fast.gif" + img + "</p>";
  for (int i = 0; i < 60; ++i)
    page += "<p>Line " + std::to_string(i) + "</p>";
  Write("gifs.htm", page + "<p><img src=slow.gif" + img + " far below</p>");

  TForm form;
  form.SetBounds(60, 60, 440, 340);
  Viewer->SetParent(&form);
  Viewer->SetBounds(0, 0, 400, 300);
  Viewer->LoadFromFile(Dir + "/gifs.htm");
  form.Show();
  const std::vector<TGIFImage*> gifs = Viewer->SectionList().AGifList;   // the active one joins on hover
  ASSERT_EQ(gifs.size(), 4u);
  TGIFImage *rowOne = gifs[0], *rowOneToo = gifs[1], *fast = gifs[2], *far = gifs[3];

  // Frames each picture moved on while the message loop ran for Ms milliseconds.
  auto framesIn = [&](Cardinal Ms, const std::vector<TGIFImage*>& Watched) {
    std::vector<int> steps(Watched.size()), last(Watched.size());
    for (size_t i = 0; i < Watched.size(); ++i)
      last[i] = Watched[i]->CurrentFrame();
    testwait::WaitUntil(
        [&] {
          for (size_t i = 0; i < Watched.size(); ++i)
            if (Watched[i]->CurrentFrame() != last[i]) {
              last[i] = Watched[i]->CurrentFrame();
              ++steps[i];
            }
          return false;
        },
        Ms);
    return steps;
  };
  testwait::WaitUntil([&] { return form.Showing(); }, 3000);
  ASSERT_FALSE(Viewer->VScrollBarPosition());

  // Meanwhile the text beside the pictures is repainted more often than any frame changes,
  // as a drag over it would.
  TTimer repaint;
  repaint.SetInterval(15);
  repaint.SetOnTimer([&](TObject*) { Viewer->InvalidatePaintRect(Rect(150, 60, 250, 90)); });
  repaint.SetEnabled(true);
  // 2 s: 20 frames of each slow picture, 50 of the fast one at the animation timer's pace.
  std::vector<int> steps = framesIn(2000, {rowOne, rowOneToo, fast, far});
  EXPECT_GE(steps[0], 6) << "the first picture of row one";
  EXPECT_GE(steps[1], 6) << "the second picture of row one";
  EXPECT_GE(steps[2], 12) << "the fast picture of row two";
  EXPECT_EQ(steps[3], 0) << "the picture below the pane";
  repaint.SetEnabled(false);

  // Scrolled to the end: the far picture steps, row one is out of view and waits.
  Viewer->SetVScrollBarPosition(Viewer->DocumentHeight());
  steps = framesIn(1000, {rowOne, far});
  EXPECT_EQ(steps[0], 0) << "row one, scrolled out of view";
  EXPECT_GE(steps[1], 3) << "the far picture, scrolled into view";

  // Back at the top, the mouse over the active picture: it animates while hovered.
  Viewer->SetVScrollBarPosition(0);
  framesIn(100, {});
  if (std::system("command -v xdotool > /dev/null 2>&1") == 0) {
    const TPoint over = Viewer->PaintPanel()->ClientToScreen({0, 0});
    int32_t x = -1, y = -1;
    // The third picture of the first paragraph: the pictures stand at document positions 0,
    // 6 and 8 ("text " between the first two).
    ASSERT_TRUE(Viewer->SectionList().CursorToXY(FontMeasureCanvas(), 8, x, y));
    const std::string to = std::to_string(over.X + x + 12) + " " + std::to_string(over.Y + y + 12);
    // Into the pane first, then onto the picture, as a hand moves it: a pointer that jumps
    // into a window from outside may only enter it.
    const std::string inPane = std::to_string(over.X + 2) + " " + std::to_string(over.Y + 150);
    ASSERT_EQ(std::system(("xdotool mousemove " + inPane).c_str()), 0);
    framesIn(200, {});
    ASSERT_EQ(std::system(("xdotool mousemove " + to).c_str()), 0);
    ASSERT_TRUE(testwait::WaitUntil([&] { return Viewer->SectionList().AGifList.size() == 5u; }, 3000))
        << "the active picture did not start on hover";
    TGIFImage* active = Viewer->SectionList().AGifList.back();
    steps = framesIn(1000, {active});
    EXPECT_GE(steps[0], 3) << "the hovered active picture";
    std::system("xdotool mousemove 5 5");
  }
  Viewer->SetParent(nullptr);
}
