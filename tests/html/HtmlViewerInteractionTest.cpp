// The viewer control: what a page's form holds travels with the history, a control that
// takes the focus is brought into view, pictures age out of the viewer's cache, the
// scroll-bar styles, and scrolling while panning or dragging a selection past the edge.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "html/SmallSections.h"
#include "platform/Application.h"
#include "platform/BmpFile.h"
#include "platform/FormCtrls.h"
#include "platform/Forms.h"
#include "tests/TestWait.h"
#include "tests/html/HtmlViewerTestUtil.h"
#include "tests/shell/PictureOutput.h"

namespace {

std::string FormPage(const std::string& Title, int LinesBefore, int LinesAfter = 0)
{
  std::string s = "<html><head><title>" + Title + "</title></head><body>";
  for (int i = 0; i < LinesBefore; ++i)
    s += "<p>Line " + std::to_string(i) + "</p>";
  s += "<form><input name=who value=start> <input type=checkbox name=c value=on></form>";
  for (int i = 0; i < LinesAfter; ++i)
    s += "<p>More " + std::to_string(i) + "</p>";
  return s + "<p>End</p></body></html>";
}

TEditFormControlObj* EditOf(THTMLViewer& V)
{
  for (TFormControlObj* c : V.SectionList().FormControlList)
    if (auto* e = dynamic_cast<TEditFormControlObj*>(c))
      return e;
  return nullptr;
}

TCheckBoxFormControlObj* BoxOf(THTMLViewer& V)
{
  for (TFormControlObj* c : V.SectionList().FormControlList)
    if (auto* b = dynamic_cast<TCheckBoxFormControlObj*>(c))
      return b;
  return nullptr;
}

}   // namespace

TEST_F(HtmlViewerTest, WhatAFormHoldsComesBackWithItsPage)
{
  Write("form.htm", FormPage("Form", 2));
  Write("other.htm", FormPage("Other", 0));
  Viewer->SetHistoryMaxCount(20);
  Viewer->LoadFromFile(Dir + "/form.htm");
  ASSERT_NE(EditOf(*Viewer), nullptr);
  EditOf(*Viewer)->Edit()->SetText("typed here");
  BoxOf(*Viewer)->Box()->SetChecked(true);
  // A reload for another text size keeps what was typed.
  Viewer->SetDefFontSize(14);
  Viewer->Reload();
  EXPECT_EQ(EditOf(*Viewer)->Edit()->Text(), "typed here");
  EXPECT_TRUE(BoxOf(*Viewer)->Box()->Checked());

  Viewer->LoadFromFile(Dir + "/other.htm");
  EXPECT_EQ(EditOf(*Viewer)->Edit()->Text(), "start");   // a new page starts fresh
  EditOf(*Viewer)->Edit()->SetText("second page");

  int clicks = 0;
  Viewer->SetOnObjectClick([&](TObject*, TFormControlObj*, const std::string&) { ++clicks; });
  Viewer->SetHistoryIndex(1);   // back
  EXPECT_EQ(Viewer->Title(), u"Form");
  EXPECT_EQ(EditOf(*Viewer)->Edit()->Text(), "typed here");
  EXPECT_TRUE(BoxOf(*Viewer)->Box()->Checked());
  EXPECT_EQ(clicks, 0);   // giving the values back is no click of the user's

  Viewer->SetHistoryIndex(0);   // forward: the values left there come back too
  EXPECT_EQ(Viewer->Title(), u"Other");
  EXPECT_EQ(EditOf(*Viewer)->Edit()->Text(), "second page");
  // Handed back once: a fresh load of the page shows its own values.
  Viewer->LoadFromFile(Dir + "/form.htm");
  EXPECT_EQ(EditOf(*Viewer)->Edit()->Text(), "start");
}

// A page's fields go with it, in a table cell, hidden or holding the keyboard, and the next
// page's fields work; the fields going hand the keyboard on without telling the page.
TEST_F(HtmlViewerTest, APagesFieldsGoWithItTheFocusedOneToo)
{
  TForm window;
  window.SetBounds(100, 100, 420, 320);
  Viewer->SetParent(&window);
  Viewer->SetBounds(0, 0, 400, 300);
  window.Show();
  const std::string page =
      "<form><input type=hidden name=h value=1><table><tr><td><input name=a value=cell>"
      "</td></tr></table><input name=b value=focused> <input name=c value=next></form>"
      "<p>Text</p><form><input type=checkbox name=d><select name=s><option>x</select></form>";
  int told = 0;
  Viewer->SetOnObjectFocus([&](TObject*, TFormControlObj*, const std::string&) { ++told; });
  Viewer->SetOnObjectBlur([&](TObject*, TFormControlObj*, const std::string&) { ++told; });
  for (int round = 0; round < 2; ++round) {
    Viewer->LoadFromString(page);
    std::vector<TEditFormControlObj*> edits;
    for (TFormControlObj* c : Viewer->SectionList().FormControlList)
      if (auto* e = dynamic_cast<TEditFormControlObj*>(c))
        edits.push_back(e);
    ASSERT_EQ(edits.size(), 3U);
    EXPECT_EQ(edits[0]->Edit()->Text(), "cell");
    TEdit* focused = edits[1]->Edit();
    focused->SetFocus();
    ASSERT_TRUE(testwait::WaitUntil([&] { return focused->Focused(); }));
    told = 0;
  }
  Viewer->LoadFromString("<p>Another page</p>");
  Application->ProcessMessages();
  EXPECT_EQ(told, 0);
  EXPECT_TRUE(Viewer->SectionList().FormControlList.empty());
  window.Hide();
  Viewer->SetParent(nullptr);
}

TEST_F(HtmlViewerTest, AControlTakingTheFocusIsBroughtIntoView)
{
  Viewer->LoadFromString(FormPage("Form", 80, 80));
  TEditFormControlObj* e = EditOf(*Viewer);
  ASSERT_NE(e, nullptr);
  const int32_t ph = Viewer->PaintPanel()->Height();
  ASSERT_GT(e->YValue, 2 * ph);
  Viewer->ControlFocused(e);
  EXPECT_EQ(Viewer->VScrollBarPosition(), e->YValue - ph / 2);
  // Already in view: the page stays where it is.
  Viewer->SetVScrollBarPosition(e->YValue - 30);
  Viewer->ControlFocused(e);
  EXPECT_EQ(Viewer->VScrollBarPosition(), e->YValue - 30);
  // Near the bottom edge counts as out of view.
  Viewer->SetVScrollBarPosition(e->YValue - ph + 10);
  Viewer->ControlFocused(e);
  EXPECT_EQ(Viewer->VScrollBarPosition(), e->YValue - ph / 2);
}

TEST_F(HtmlViewerTest, PicturesNoPageUsesAgeOutOfTheCache)
{
  TBitmap pic(8, 8);
  pic.Canvas().FillRect(Rect(0, 0, 8, 8), clRed);
  SaveBmpToFile(pic, Dir + "/Pic.bmp");
  const std::string withPic = Write("pic.htm", "<p><img src=Pic.bmp></p>");
  const std::string without = Write("plain.htm", "<p>plain</p>");
  Viewer->LoadFromFile(withPic);
  const TStringBitmapList* cache = Viewer->SectionList().BitmapList;
  ASSERT_NE(cache, nullptr);
  ASSERT_EQ(cache->Count(), 1);
  // Kept for as many loads as the cache count says, dropped at the next.
  for (int i = 0; i < 5; ++i)
    Viewer->LoadFromString("<p>" + std::to_string(i) + "</p>");
  EXPECT_EQ(cache->Count(), 1);
  Viewer->LoadFromFile(without);
  EXPECT_EQ(cache->Count(), 0);

  // A picture on the page shown stays, however small the cache is made.
  Viewer->LoadFromFile(withPic);
  Viewer->SetImageCacheCount(0);
  EXPECT_EQ(cache->Count(), 1);
  Viewer->SetImageCacheCount(-3);   // clamped
  EXPECT_EQ(Viewer->ImageCacheCount(), 0);
  Viewer->SetImageCacheCount(99);
  EXPECT_EQ(Viewer->ImageCacheCount(), 20);
}

TEST_F(HtmlViewerTest, EachScrollBarStyleShowsOnlyItsOwnBars)
{
  std::string tall;
  for (int i = 0; i < 60; ++i)
    tall += "<p>Line " + std::to_string(i) + "</p>";
  const std::string wide = "<table width=900><tr><td>wide</td></tr></table>";
  // 400 x 300 with a 2-pixel border: 398 x 298 of room, bars 16 thick.
  Viewer->SetScrollBars(ssHorizontal);
  Viewer->LoadFromString(tall);
  EXPECT_FALSE(Viewer->VScrollBar()->Visible());
  EXPECT_FALSE(Viewer->HScrollBar()->Visible());
  Viewer->LoadFromString(wide + tall);
  EXPECT_FALSE(Viewer->VScrollBar()->Visible());
  EXPECT_TRUE(Viewer->HScrollBar()->Visible());
  EXPECT_EQ(Viewer->PaintPanel()->Width(), 398);
  EXPECT_EQ(Viewer->PaintPanel()->Height(), 298 - 16);

  Viewer->SetScrollBars(ssVertical);
  Viewer->LoadFromString(wide + tall);
  EXPECT_TRUE(Viewer->VScrollBar()->Visible());
  EXPECT_FALSE(Viewer->HScrollBar()->Visible());
  EXPECT_EQ(Viewer->PaintPanel()->Height(), 298);

  // Both: a page a little narrower than the room (370 and the margins of 10) still needs the horizontal bar once the
  // vertical one takes its width.
  Viewer->SetScrollBars(ssBoth);
  Viewer->LoadFromString("<table width=370 cellpadding=0 cellspacing=0><tr><td>x</td></tr></table>" + tall);
  EXPECT_TRUE(Viewer->VScrollBar()->Visible());
  EXPECT_TRUE(Viewer->HScrollBar()->Visible());
  Viewer->LoadFromString("<table width=370 cellpadding=0 cellspacing=0><tr><td>x</td></tr></table>");
  EXPECT_FALSE(Viewer->VScrollBar()->Visible());
  EXPECT_FALSE(Viewer->HScrollBar()->Visible());
}

// Panning with the middle button: the farther the mouse is from where the button went
// down, the faster the page moves, with a cursor that says which way.
TEST_F(HtmlViewerTest, PanningScrollsByTheMousesDistanceUntilItComesBack)
{
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "Line " + std::to_string(i) + "<br>";
  Viewer->LoadFromString(text);
  TPaintPanel* p = Viewer->PaintPanel();
  auto panFor = [&](int32_t StartY, int32_t MouseY, TCursor& During) {
    p->DispatchMouseDown(mbMiddle, ssMiddle, 50, StartY);
    p->DispatchMouseUp(mbMiddle, 0, 50, StartY);
    SetCursorPos(p->ClientToScreen({50, MouseY}));
    TTimer back;
    back.SetInterval(450);
    back.SetOnTimer([&](TObject*) {
      During = p->Cursor();
      SetCursorPos(p->ClientToScreen({50, StartY}));   // back at the start: the loop ends
      back.SetEnabled(false);
    });
    back.SetEnabled(true);
    Viewer->MouseScrollLoop();
  };

  TCursor during = crDefault;
  panFor(100, 200, during);   // 100 pixels below: 32 at a step
  const int32_t down = Viewer->VScrollBarPosition();
  EXPECT_GT(down, 0);
  EXPECT_LE(down, 32 * 6);
  EXPECT_EQ(down % 32, 0);
  EXPECT_EQ(during, static_cast<TCursor>(DownOnlyCursor));
  EXPECT_EQ(p->Cursor(), static_cast<TCursor>(UpDownCursor));   // still panning

  Word k = VK_ESCAPE;   // a key ends panning
  Viewer->ViewerKeyDown(k, 0);
  Viewer->SetVScrollBarPosition(1000);
  panFor(200, 170, during);   // 30 pixels above: 8 at a step, upward
  const int32_t up = 1000 - Viewer->VScrollBarPosition();
  EXPECT_GT(up, 0);
  EXPECT_LE(up, 8 * 6);
  EXPECT_EQ(up % 8, 0);
  EXPECT_EQ(during, static_cast<TCursor>(UpOnlyCursor));
  Viewer->ViewerKeyDown(k, 0);
  SetCursorPos({1270, 1015});
}

// With real input on a shown window: a click gives the viewer the keys, and dragging below
// the page scrolls it while the selection follows the mouse, until the button comes up.
TEST_F(HtmlViewerTest, DraggingBelowThePageScrollsAndSelectsUntilTheButtonComesUp)
{
  TForm window;
  window.SetBounds(100, 100, 420, 320);
  Viewer->SetParent(&window);
  Viewer->SetBounds(0, 0, 400, 300);
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += "Line " + std::to_string(i) + "<br>";
  Viewer->LoadFromString(text);
  window.Show();
  Shot();
  TPaintPanel* p = Viewer->PaintPanel();
  const TPoint start = p->ClientToScreen({12, 12});
  SimulateMouse(TInputKind::MouseDown, start);
  SimulateMouse(TInputKind::MouseUp, start);
  // The window comes to the front first; the focus follows.
  for (int i = 0; i < 100 && !Viewer->Focused(); ++i) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(Viewer->Focused());
  SimulateKey(VK_DOWN);
  Application->ProcessMessages();
  EXPECT_EQ(Viewer->VScrollBarPosition(), 16);
  SimulateKey(VK_HOME);
  Application->ProcessMessages();
  EXPECT_EQ(Viewer->VScrollBarPosition(), 0);

  SimulateMouse(TInputKind::MouseDown, start);
  const TPoint below = p->ClientToScreen({20, p->Height() + 40});   // more than 15 below
  TTimer release;
  release.SetInterval(450);
  release.SetOnTimer([&](TObject*) {
    release.SetEnabled(false);
    SimulateMouse(TInputKind::MouseUp, below);
  });
  release.SetEnabled(true);
  SimulateMouse(TInputKind::MouseMove, below);
  for (int i = 0; i < 100 && release.Enabled(); ++i) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Application->ProcessMessages();
  const int32_t y = Viewer->VScrollBarPosition();
  EXPECT_GT(y, 0);
  EXPECT_EQ(y % (8 * 16), 0);   // eight lines at a step, far below
  // The selection runs from the press to the text at the mouse, scrolled into view.
  EXPECT_LT(Viewer->SelLength(), 0);   // a forward drag leaves the caret at the end
  const std::u16string sel = Viewer->SelText();
  EXPECT_EQ(sel.substr(0, 4), u"Line");
  int32_t lastX = 0, lastY = 0;
  ASSERT_TRUE(Viewer->SectionList().CursorToXY(FontMeasureCanvas(), Viewer->SectionList().SelE, lastX, lastY));
  EXPECT_GE(lastY, y + p->Height() - 40);
  window.Hide();
  Viewer->SetParent(nullptr);
}

TEST_F(HtmlViewerTest, AnyPictureFileNameShowsAsAPage)
{
  TBitmap pic(9, 7);
  pic.Canvas().FillRect(Rect(0, 0, 9, 7), clRed);
  for (const std::string name :
       {"plain.bmp", "say \"hi\".bmp", "R&amp;D.bmp", "a&b <c>.bmp", "it's.bmp", "a%20b.bmp", "100%.bmp"}) {
    SaveBmpToFile(pic, Dir + "/" + name);
    Viewer->LoadImageFile(Dir + "/" + name);
    EXPECT_EQ(Viewer->FileType(), ftImage) << name;
    EXPECT_EQ(Viewer->DocumentHeight() > 7 && Viewer->DocumentWidth() >= 9, true) << name;
    TBitmap shot = Shot();
    int red = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
        red += shot.Canvas().GetPixel(x, y) == clRed;
    EXPECT_EQ(red, 9 * 7) << name;
  }
}

// Under a server root, a picture link is shown with the picture itself, not a broken one.
TEST_F(HtmlViewerTest, APictureFollowedUnderTheServerRootShowsThePicture)
{
  TBitmap pic(9, 7);
  pic.Canvas().FillRect(Rect(0, 0, 9, 7), clRed);
  SaveBmpToFile(pic, Dir + "/Sub/Pic.bmp");
  Write("page.htm", "<p>x</p>");
  Viewer->SetServerRoot(Dir);
  Viewer->LoadFromFile(Dir + "/page.htm");
  Viewer->URL = "/Sub/Pic.bmp";
  Viewer->FollowLink();
  ASSERT_EQ(Viewer->FileType(), ftImage);
  TBitmap shot = Shot();
  int red = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      red += shot.Canvas().GetPixel(x, y) == clRed;
  EXPECT_EQ(red, 9 * 7);
}

// The default border shows while the viewer has the focus, and goes when the focus leaves.
TEST_F(HtmlViewerTest, TheFocusBorderFollowsTheFocus)
{
  TForm window;
  window.SetBounds(100, 100, 420, 360);
  Viewer->SetParent(&window);
  Viewer->SetBounds(0, 0, 400, 300);
  TEdit other;
  other.SetParent(&window);
  other.SetBounds(0, 310, 100, 24);
  Viewer->LoadFromString("<p>Text</p>");
  ASSERT_EQ(Viewer->BorderStyle(), htFocused);
  window.Show();
  other.SetFocus();
  auto settle = [&](const std::function<bool()>& Done) {
    for (int i = 0; i < 100 && !Done(); ++i) {
      Application->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Application->ProcessMessages();
  };
  settle([&] { return other.Focused(); });
  EXPECT_FALSE(Viewer->BorderPanel()->ShowBorder());

  const TPoint inside = Viewer->PaintPanel()->ClientToScreen({30, 30});
  SimulateMouse(TInputKind::MouseDown, inside);
  SimulateMouse(TInputKind::MouseUp, inside);
  settle([&] { return Viewer->BorderPanel()->ShowBorder(); });
  EXPECT_TRUE(Viewer->Focused());
  EXPECT_TRUE(Viewer->BorderPanel()->ShowBorder());
  TBitmap focused = Shot();
  SaveTestPicture(focused, "htmlview-focus-border.png");
  const TColor edge = focused.Canvas().GetPixel(0, 150);
  EXPECT_EQ(edge, ColorToRGB(clBtnShadow));

  other.SetFocus();
  settle([&] { return !Viewer->BorderPanel()->ShowBorder(); });
  EXPECT_FALSE(Viewer->BorderPanel()->ShowBorder());
  EXPECT_NE(Shot().Canvas().GetPixel(0, 150), edge);
  window.Hide();
  other.SetParent(nullptr);
  Viewer->SetParent(nullptr);
}

// A click on an image input submits its form with the point clicked in the picture, once.
TEST_F(HtmlViewerTest, AClickOnAnImageInputSubmitsThePointClicked)
{
  TForm window;
  window.SetBounds(100, 100, 420, 360);
  Viewer->SetParent(&window);
  Viewer->SetBounds(0, 0, 400, 300);
  Viewer->LoadFromString(
      "<form action=\"go.htm\"><p>Pick: <input type=image name=pt src=none.gif width=60 height=40></p></form>");
  std::vector<std::string> sent;
  Viewer->OnFormSubmit = [&](TObject*, const std::string& Action, const std::string&, const std::string&,
                             const std::string&, const std::vector<std::string>& Results) {
    sent.push_back(Action);
    sent.insert(sent.end(), Results.begin(), Results.end());
  };
  window.Show();
  testwait::WaitUntil([&] { return window.Showing(); }, 3000);
  Shot();   // places the picture where it is drawn
  auto* image = dynamic_cast<TImageFormControlObj*>(Viewer->SectionList().FormControlList.at(0));
  ASSERT_TRUE(image && image->MyImage);
  const TImageObj& pic = *image->MyImage;
  const int32_t y = pic.DrawYY - Viewer->VScrollBarPosition();
  const TPoint at = Viewer->PaintPanel()->ClientToScreen({pic.DrawXX + 12, y + 7});
  SimulateMouse(TInputKind::MouseDown, at);
  SimulateMouse(TInputKind::MouseUp, at);
  ASSERT_TRUE(testwait::WaitUntil([&] { return !sent.empty(); }, 3000)) << "no submission";
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], "go.htm");
  EXPECT_EQ(sent[1], "pt.x=12");
  EXPECT_EQ(sent[2], "pt.y=7");
  window.Hide();
  Viewer->SetParent(nullptr);
}

TEST_F(HtmlViewerTest, TheVisitedListKeepsTheNewestFirstWithinItsMaximum)
{
  std::string links;
  for (int i = 0; i < 5; ++i) {
    Write("p" + std::to_string(i) + ".htm", "<p>page " + std::to_string(i) + "</p>");
    links += "<a href=\"p" + std::to_string(i) + ".htm\">" + std::to_string(i) + "</a> ";
  }
  const std::string index = Write("index.htm", "<p>" + links + "</p>");
  Viewer->SetVisitedMaxCount(3);
  for (int i = 0; i < 5; ++i) {
    Viewer->LoadFromFile(index);
    Viewer->URL = "p" + std::to_string(i) + ".htm";
    Viewer->FollowLink();
  }
  auto name = [&](int I) { return Dir + "/p" + std::to_string(I) + ".htm"; };
  EXPECT_EQ(Viewer->Visited(), (std::vector<std::string>{name(4), name(3), name(2)}));
  // Visiting one again moves it to the front (letter case aside) instead of adding it.
  Viewer->LoadFromFile(index);
  Viewer->URL = "P2.HTM";
  Viewer->FollowLink();
  ASSERT_EQ(Viewer->Visited().size(), 3u);
  EXPECT_EQ(LowerCase(Viewer->Visited()[0]), LowerCase(name(2)));
  EXPECT_EQ(Viewer->Visited()[1], name(4));
  EXPECT_EQ(Viewer->Visited()[2], name(3));
  // Back on the index, exactly the links still listed are marked.
  Viewer->LoadFromFile(index);
  std::vector<std::string> marked;
  for (TFontObj* f : Viewer->SectionList().LinkList)
    if (f->Visited)
      marked.push_back(f->GetURL());
  EXPECT_EQ(marked, (std::vector<std::string>{"p2.htm", "p3.htm", "p4.htm"}));
  Viewer->SetVisitedMaxCount(1);
  EXPECT_EQ(Viewer->Visited().size(), 1u);
  EXPECT_EQ(LowerCase(Viewer->Visited()[0]), LowerCase(name(2)));
}
