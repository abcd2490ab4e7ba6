// The help window and popups, driven through the router as the program drives them, on the
// help file the build lays beside the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>
#include <filesystem>
#include <set>
#include <memory>

#include "html/Document.h"
#include "html/HtmlViewer.h"
#include "platform/Dialogs.h"
#include "platform/FormCtrls.h"
#include "shell/HelpContexts.h"
#include "shell/HelpViewer.h"
#include "shell/HelpRouter.h"
#include "shell/HtmlHelpApi.h"
#include "tests/shell/HelpTestSupport.h"
#include "tests/shell/PictureOutput.h"
#include "tests/toolbar/TestBar.h"
#include "toolbar/KitHelpers.h"

using namespace helptest;

namespace {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

void Pump()
{
  for (int i = 0; i < 5; ++i)
    Application->ProcessMessages();
}

// Handles messages until cond holds (activation comes from the display server) or 3 s passed.
void WaitFor(const std::function<bool()>& cond)
{
  Cardinal start = GetTickCount();
  while (!cond() && GetTickCount() - start < 3000) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// The program's help set up as the main window does, on a folder of its own.
struct HelpViewerTest : ::testing::Test {
  std::unique_ptr<THelpRouter> Router;
  std::vector<std::string> Messages;
  std::string Folder;
  void SetUp() override
  {
    ResetHtmlHelpBinding();
    SetApplicationOnHelp(nullptr);
    SetMessageAnswerer([this](const TMessageRequest& r) {
      Messages.push_back(r.Text);
      return mrOk;
    });
    Folder = MakeProgramFolder("viewer", true, ReadText(BuiltHelpFile()));
    Router = std::make_unique<THelpRouter>();
    ASSERT_TRUE(SetupHelp(*Router, Folder));
  }
  void TearDown() override
  {
    Router.reset();
    EXPECT_EQ(HelpViewerWindow(), nullptr) << "the router closes the viewer at its end";
    SetMessageAnswerer(nullptr);
    SetApplicationHelpFile("");
    Pump();
  }
  THelpViewerFrm& Window()
  {
    THelpViewerFrm* w = HelpViewerWindow();
    if (!w)
      throw std::runtime_error("no help window");
    return *w;
  }
  Integer TreeEntry(const std::string& name)
  {
    for (Integer i = 0; i < Window().Contents->Count(); ++i)
      if (Window().Contents->Entry(i).Name == name)
        return i;
    return -1;
  }
};

}   // namespace

TEST_F(HelpViewerTest, ContentsOpensTheWelcomePageBesideTheContentsTree)
{
  Router->ShowHelpContents();
  ASSERT_NE(HelpViewerWindow(), nullptr);
  THelpViewerFrm& w = Window();
  EXPECT_TRUE(w.Showing());
  EXPECT_TRUE(w.ContentsShown());
  EXPECT_FALSE(w.IndexShown());
  EXPECT_EQ(w.Caption(), "Orrelo Help");
  EXPECT_EQ(w.CurrentTopic(), "/Welcome.htm");
  EXPECT_EQ(Narrow(w.Viewer->Title()), "Welcome to Orrelo");
  EXPECT_EQ(w.Contents->Selected(), TreeEntry("Welcome to Orrelo"));
  EXPECT_TRUE(Messages.empty());
  // Asking again keeps the one window.
  Router->ShowHelpContents();
  EXPECT_EQ(HelpViewerWindow(), &w);
}

// Opened from the keyboard (F1, Help > Contents), the help window takes the keys at once:
// the contents tree has the focus, shows it, and the arrow keys walk it.
TEST_F(HelpViewerTest, TheOpenedWindowTakesTheKeysInItsContentsTree)
{
  TForm main;   // the window the user pressed F1 in, with the focus in a control
  main.SetBounds(10, 10, 200, 100);
  TEdit edit;
  edit.SetParent(&main);
  main.Show();
  edit.SetFocus();
  WaitFor([&] { return edit.Focused(); });
  ASSERT_TRUE(edit.Focused());

  Router->ShowHelpContents();
  THelpViewerFrm& w = Window();
  WaitFor([&] { return w.Contents->Focused(); });
  ASSERT_TRUE(w.Contents->Focused());
  const Integer first = w.Contents->Selected();
  ASSERT_EQ(first, TreeEntry("Welcome to Orrelo"));
  SimulateKey(VK_DOWN);
  Pump();
  EXPECT_EQ(w.Contents->Selected(), first + 1);
  EXPECT_EQ(edit.Text(), "") << "the key reached the help, not the window behind it";

  // Asked again while the user is in the index's list, the focus stays there.
  Router->SearchHelpKeyword("zoom");
  w.IndexList->SetFocus();
  WaitFor([&] { return w.IndexList->Focused(); });
  ASSERT_TRUE(w.IndexList->Focused());
  Router->SearchHelpKeyword("gear");
  Pump();
  EXPECT_TRUE(w.IndexList->Focused());
}

TEST_F(HelpViewerTest, KeywordSearchFindsThePageOfAKeywordOfTheIndex)
{
  Router->SearchHelpKeyword("zoom");
  THelpViewerFrm& w = Window();
  EXPECT_TRUE(w.IndexShown());
  EXPECT_FALSE(w.ContentsShown());
  EXPECT_EQ(w.KeyEdit->Text(), "zoom");
  ASSERT_GE(w.IndexList->ItemIndex(), 0);
  EXPECT_EQ(w.IndexList->Items()[size_t(w.IndexList->ItemIndex())], "zoom");
  EXPECT_EQ(w.CurrentTopic(), "/Using/ViewingModels.htm");
  // The first letters, in any case, choose the first keyword that begins with them.
  Router->SearchHelpKeyword("PRI");
  EXPECT_EQ(w.IndexList->Items()[size_t(w.IndexList->ItemIndex())], "print preview");
  EXPECT_EQ(w.CurrentTopic(), "/Windows/PrintPreview.htm");
  // No keyword: the index shows, the page stays; an unknown one changes nothing either.
  Router->SearchHelpKeyword("");
  EXPECT_TRUE(w.IndexShown());
  EXPECT_EQ(w.CurrentTopic(), "/Windows/PrintPreview.htm");
  EXPECT_FALSE(w.ShowIndex("xylophone"));
  EXPECT_EQ(w.CurrentTopic(), "/Windows/PrintPreview.htm");

  // Typing moves the list; Enter shows the entry's page.
  w.KeyEdit->SetText("");
  for (char c : std::string("cl")) {
    char k = c;
    w.KeyEdit->DispatchKeyPress(k);
  }
  EXPECT_EQ(w.IndexList->Items()[size_t(w.IndexList->ItemIndex())], "clipboard");
  EXPECT_EQ(w.CurrentTopic(), "/Windows/PrintPreview.htm");   // not shown before Enter
  Word enter = VK_RETURN;
  w.KeyEdit->DispatchKeyDown(enter, 0);
  EXPECT_EQ(w.CurrentTopic(), "/Printing/CopyingPictures.htm");
  // The Down key in the edit walks the list; the Display button shows the entry.
  Word down = VK_DOWN;
  w.KeyEdit->DispatchKeyDown(down, 0);
  EXPECT_EQ(w.IndexList->Items()[size_t(w.IndexList->ItemIndex())], "copy text");
  w.DisplayButton->Click();
  EXPECT_EQ(w.CurrentTopic(), "/Menus/CopyText.htm");
  // The contents tab comes back with the page's entry selected.
  w.ContentsTab->Click();
  EXPECT_TRUE(w.ContentsShown());
  EXPECT_EQ(w.Contents->Selected(), TreeEntry("Copy selected text"));
}

TEST_F(HelpViewerTest, PopupsShowTheirTextFromThePopupFileAtThePointAndCloseOnAClick)
{
  ApplicationHelpCommand(HELP_SETPOPUP_POS, MakePopupPos(400, 120));
  EXPECT_TRUE(ApplicationHelpCommand(HELP_CONTEXTPOPUP, IDH_POPUP_STEP_BAR));
  EXPECT_EQ(HelpPopupText(),
            "Runs the animation by hand: drag the bar to move the model through its run, forwards or backwards.");
  // Its top is centred on the point.
  TRect r = HelpPopupBounds();
  EXPECT_LE(std::abs(r.Left + r.Width() / 2 - 400), 1);
  EXPECT_EQ(r.Top, 120);
  EXPECT_GT(r.Width(), 100);
  EXPECT_LE(r.Width(), 340);                // wrapped, not one long line
  EXPECT_EQ(HelpViewerWindow(), nullptr);   // a popup opens no help window

  TBitmap shot(r.Width(), r.Height());
  HelpPopupWindow()->PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "help-popup.png");

  // Paragraphs stay apart; a popup near the screen's corner stays on the screen.
  ApplicationHelpCommand(HELP_SETPOPUP_POS, MakePopupPos(1275, 1020));
  ApplicationHelpCommand(HELP_CONTEXTPOPUP, IDH_POPUP_TEST_ANSWERS);
  EXPECT_EQ(HelpPopupText(),
            "Click the answer you think is right.\nThe boxes above show a tick for every right answer and a cross for "
            "every wrong one.");
  TRect work = MonitorFromPoint({1275, 1020}).WorkArea;
  EXPECT_LE(HelpPopupBounds().Right, work.Right);
  EXPECT_LE(HelpPopupBounds().Bottom, work.Bottom);

  // An id without a text says so.
  ApplicationHelpCommand(HELP_CONTEXTPOPUP, 4242);
  EXPECT_EQ(HelpPopupText(), "No help topic is associated with this item.");

  // The next click anywhere closes it.
  SimulateMouse(TInputKind::MouseDown, {5, 5});
  SimulateMouse(TInputKind::MouseUp, {5, 5});
  Pump();
  EXPECT_EQ(HelpPopupText(), "");
}

TEST_F(HelpViewerTest, ContextNumbersOpenTheirPagesAndUnknownOnesTheContents)
{
  EXPECT_TRUE(ApplicationHelpContext(IDH_VIEW_AXES));
  EXPECT_EQ(Window().CurrentTopic(), "/Menus/ShowAxes.htm");
  EXPECT_EQ(Narrow(Window().Viewer->Title()), "Show axes");
  EXPECT_TRUE(ApplicationHelpContext(IDH_TEST_WINDOW));
  EXPECT_EQ(Window().CurrentTopic(), "/Windows/TestWindow.htm");
  EXPECT_FALSE(ApplicationHelpContext(99999));
  EXPECT_TRUE(Window().ContentsShown());
  EXPECT_EQ(Window().CurrentTopic(), "/Windows/TestWindow.htm");
}

TEST_F(HelpViewerTest, LinksAreFollowedInsideTheFileWithBackAndForward)
{
  Router->ShowHelpContents();
  THelpViewerFrm& w = Window();
  auto click = [&](const std::string& href) {
    bool handled = false;
    w.Viewer->OnHotSpotClick(w.Viewer, href, handled);
    return handled;
  };
  w.ShowTopic("/Windows/MainWindow.htm");
  EXPECT_TRUE(click("../Using/ChoosingTopic.htm"));
  EXPECT_EQ(w.CurrentTopic(), "/Using/ChoosingTopic.htm");
  EXPECT_EQ(Narrow(w.Viewer->Title()), "Choosing a topic");
  EXPECT_TRUE(click("PicturesAndClips.htm"));   // beside the page
  EXPECT_EQ(w.CurrentTopic(), "/Using/PicturesAndClips.htm");
  EXPECT_TRUE(click("ms-its:KVHelp.chm::/Tests/Tests.htm"));
  EXPECT_EQ(w.CurrentTopic(), "/Tests/Tests.htm");
  // An anchor of the page is the viewer's own; the world outside the file is not followed.
  EXPECT_FALSE(click("#top"));
  EXPECT_TRUE(click("http://example.org/"));
  EXPECT_EQ(w.CurrentTopic(), "/Tests/Tests.htm");
  // A page that is not there says so.
  EXPECT_TRUE(click("../Nowhere.htm"));
  EXPECT_EQ(w.CurrentTopic(), "/Nowhere.htm");
  EXPECT_EQ(Narrow(w.Viewer->Title()), "Page not found");

  w.BackButton->Click();
  EXPECT_EQ(w.CurrentTopic(), "/Tests/Tests.htm");
  // A double click in the index shows its entry's page too.
  w.IndexTab->Click();
  w.IndexList->SetItemIndex(0);
  w.IndexList->DispatchMouseDown(mbLeft, ssDouble, 10, 3);
  w.IndexList->DispatchMouseUp(mbLeft, 0, 10, 3);
  EXPECT_EQ(w.CurrentTopic(), "/Windows/About.htm");   // "about", the first keyword
  w.Back();
  w.BackButton->Click();
  w.BackButton->Click();
  EXPECT_EQ(w.CurrentTopic(), "/Using/ChoosingTopic.htm");
  w.ForwardButton->Click();
  EXPECT_EQ(w.CurrentTopic(), "/Using/PicturesAndClips.htm");
  EXPECT_TRUE(w.ForwardButton->Enabled());
  // A new page drops the pages ahead.
  w.ShowTopic("/Welcome.htm");
  EXPECT_FALSE(w.CanGoForward());
  EXPECT_FALSE(w.ForwardButton->Enabled());
  w.Back();
  EXPECT_EQ(w.CurrentTopic(), "/Using/PicturesAndClips.htm");
  for (int i = 0; i < 10; ++i)
    w.Back();
  EXPECT_EQ(w.CurrentTopic(), "/Welcome.htm");   // the first page of the window
  EXPECT_FALSE(w.BackButton->Enabled());
}

TEST_F(HelpViewerTest, TheSplitterSizesTheContentsPaneWithinLimits)
{
  Router->ShowHelpContents();
  THelpViewerFrm& w = Window();
  w.SetBounds(w.Left(), w.Top(), 700, 450);
  Integer before = w.NavPanel->Width();
  EXPECT_EQ(w.Splitter->Left(), w.NavPanel->Left() + before);
  auto drag = [&](Integer dx) {
    w.Splitter->DispatchMouseDown(mbLeft, 0, 2, 50);
    w.Splitter->DispatchMouseMove(ssLeft, 2 + dx, 50);
    w.Splitter->DispatchMouseUp(mbLeft, 0, 2 + dx, 50);
  };
  drag(60);
  EXPECT_EQ(w.NavPanel->Width(), before + 60);
  EXPECT_EQ(w.Splitter->Left(), w.NavPanel->Left() + before + 60);   // the bar follows
  EXPECT_EQ(w.Viewer->Left(), w.Splitter->Left() + w.Splitter->Width());
  drag(-1000);
  EXPECT_EQ(w.NavPanel->Width(), 120);
  drag(5000);
  EXPECT_EQ(w.NavPanel->Width(), w.ClientWidth() - 120 - w.Splitter->Width());
  EXPECT_GE(w.Viewer->Width(), 120);
}

TEST_F(HelpViewerTest, ABadHelpFileGivesAClearMessageAndNoWindow)
{
  std::string good = ReadText(BuiltHelpFile());
  std::string cut = MakeProgramFolder("viewer-cut", true, good.substr(0, good.size() / 2));
  SetApplicationHelpFile(cut + "Help/KVHelp.chm");
  Router->ShowHelpContents();
  EXPECT_EQ(HelpViewerWindow(), nullptr);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_NE(Messages[0].find("truncated"), std::string::npos) << Messages[0];
  // A popup says why it has nothing to show.
  ApplicationHelpCommand(HELP_CONTEXTPOPUP, IDH_POPUP_START);
  EXPECT_NE(HelpPopupText().find("truncated"), std::string::npos) << HelpPopupText();
  // A missing file as well.
  SetApplicationHelpFile(Folder + "Help/Missing.chm");
  Router->SearchHelpKeyword("zoom");
  ASSERT_EQ(Messages.size(), 2u);
  EXPECT_NE(Messages[1].find("Cannot open"), std::string::npos) << Messages[1];
}

TEST_F(HelpViewerTest, F1OnAMenuItemOpensThatItemsHelp)
{
  using namespace tbtest;
  TTBRootItem root;
  TTBCustomItem* animation = root.Add(Item("&Animation", tbisSubmenu));
  TTBCustomItem* speed = animation->Add(Item("&Speed.."));
  TTBCustomItem* plain = animation->Add(Item("&Plain"));
  speed->SetHelpContext(IDH_ANIMATION_SPEED);
  TForm form;
  form.SetBounds(100, 100, 400, 300);
  TTestBar bar(&root);
  bar.SetParent(&form);
  bar.SetBounds(0, 0, 400, 24);
  form.Show();
  bar.View->UpdatePositions();
  auto f1On = [&](TTBCustomItem* item, bool hasHelp) {
    TScript script;
    TPoint button = ScreenCentre(bar.View->Find(animation));
    script.Do([&] { SimulateMouse(TInputKind::MouseUp, button); });
    script.WaitFor([&] { return bar.View->OpenViewerView() != nullptr; }, "the menu opens");
    script.Do([&] { SimulateMouse(TInputKind::MouseMove, ScreenCentre(bar.View->OpenViewerView()->Find(item))); });
    script.WaitFor([&] { return bar.View->OpenViewerView()->Selected() != nullptr; }, "the item is selected");
    script.Do([&] { SimulateKey(VK_F1); });
    if (!hasHelp) {
      // Nothing to show: the menu stays open until it is closed.
      script.Sleep(50);
      script.Do([&] {
        EXPECT_TRUE(bar.View->InModalLoop);
        SimulateKey(VK_ESCAPE);
        SimulateKey(VK_ESCAPE);
      });
    }
    script.Abort = [&] { bar.View->EndModal(); };
    script.Running = [&] { return bar.View->InModalLoop; };
    script.Start();
    SimulateMouse(TInputKind::MouseDown, button);
    while (!script.Finished() || bar.View->InModalLoop)
      Application->HandleMessage();
    Pump();
  };
  f1On(speed, true);
  ASSERT_NE(HelpViewerWindow(), nullptr);
  EXPECT_EQ(Window().CurrentTopic(), "/Menus/Speed.htm");
  // An item without a help context gives no help.
  Window().ShowTopic("/Welcome.htm");
  f1On(plain, false);
  EXPECT_EQ(Window().CurrentTopic(), "/Welcome.htm");

  // In a window with the help button, F1 asks for the item's popup instead.
  CloseHelpViewer();
  speed->SetHelpContext(IDH_POPUP_STEP_BAR);
  form.SetBorderIcons(biSystemMenu | biHelp);
  form.Activate();
  Pump();
  if (Screen().ActiveForm() != &form)
    GTEST_SKIP() << "the display gives the test window no activation";
  f1On(speed, true);
  EXPECT_EQ(HelpViewerWindow(), nullptr);
  EXPECT_EQ(HelpPopupText(),
            "Runs the animation by hand: drag the bar to move the model through its run, forwards or backwards.");
  CloseHelpViewer();
}

TEST_F(HelpViewerTest, PictureOfTheHelpWindowWithItsContentsAndAPage)
{
  ApplicationHelpContext(IDH_ANIMATION_SPEED);
  THelpViewerFrm& w = Window();
  w.ShowTopic("/Using/Animation.htm");
  w.SetBounds(w.Left(), w.Top(), 760, 480);
  Pump();
  TBitmap shot(w.Width(), w.Height());
  w.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "help-window.png");
  // The contents pane shows the selected entry in the highlight colour, the page its text.
  auto count = [&](const TRect& area, auto pred) {
    int n = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
      for (int x = area.Left; x < area.Right; ++x)
        n += pred(shot.GetPixel(x, y)) ? 1 : 0;
    return n;
  };
  TPoint tree = w.Contents->ClientToScreen({0, 0}), form = w.ClientToScreen({0, 0});
  TRect treeArea = Bounds(tree.X - form.X, tree.Y - form.Y, w.Contents->Width(), w.Contents->Height());
  TPoint view = w.Viewer->ClientToScreen({0, 0});
  TRect pageArea = Bounds(view.X - form.X, view.Y - form.Y, w.Viewer->Width() - 20, w.Viewer->Height() - 20);
  // The selected row, and only it, has the selection's background (the face colour while
  // the tree does not have the focus).
  std::vector<Integer> rows = w.Contents->VisibleEntries();
  Integer selectedRow = Integer(std::find(rows.begin(), rows.end(), w.Contents->Selected()) - rows.begin());
  ASSERT_LT(selectedRow, Integer(rows.size()));
  EXPECT_EQ(w.Contents->Entry(w.Contents->Selected()).Name, "Running the animation");
  const Integer h = w.Contents->RowHeight();
  auto rowArea = [&](Integer row) { return Bounds(treeArea.Left, treeArea.Top + row * h, treeArea.Width(), h); };
  auto selection = [](TColor c) { return c == ColorToRGB(clBtnFace) || c == ColorToRGB(clHighlight); };
  EXPECT_GT(count(rowArea(selectedRow), selection), 300);
  EXPECT_LT(count(rowArea(selectedRow + 1), [](TColor c) { return c == ColorToRGB(clBtnFace); }),
            30);   // text edges at most
  EXPECT_LT(count(rowArea(0), [](TColor c) { return c == ColorToRGB(clBtnFace); }), 30);
  EXPECT_GT(count(pageArea, [](TColor c) { return GetRValue(c) < 80 && GetGValue(c) < 80; }), 500);   // text
  EXPECT_GT(count(pageArea, [](TColor c) { return c == ColorToRGB(clWindow); }),
            pageArea.Width() * pageArea.Height() / 2);

  // The index side, with a keyword looked up.
  w.ShowIndex("tee");
  Pump();
  TBitmap index(w.Width(), w.Height());
  w.PaintTo(index.Canvas(), 0, 0);
  SaveTestPicture(index, "help-window-index.png");
  EXPECT_EQ(w.CurrentTopic(), "/Using/TopicControls.htm");
}

// The pictures of a help page are read from inside the help file; one that is not in the
// file shows as missing, and nothing is looked for beside the program.
TEST_F(HelpViewerTest, PicturesOfAPageComeFromInsideTheHelpFile)
{
  Router->ShowHelpContents();
  THelpViewerFrm& w = Window();
  auto pictures = [&] {
    std::set<TImageObj*> found;
    TSectionList& doc = w.Viewer->SectionList();
    for (int32_t y = 0; y < w.Viewer->DocumentHeight(); y += 2)
      for (int32_t x = 0; x < w.Viewer->DocumentWidth(); x += 2) {
        int32_t ix = 0, iy = 0;
        if (auto* img = dynamic_cast<TImageObj*>(doc.ObjectAt(x, y, ix, iy)))
          found.insert(img);
      }
    return found;
  };
  w.ShowTopic("/Using/ChoosingTopic.htm");
  w.SetBounds(w.Left(), w.Top(), 760, 480);
  Pump();
  TBitmap shot(w.Width(), w.Height());
  w.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "help-window-pictures.png");
  std::set<TImageObj*> books = pictures();
  ASSERT_EQ(books.size(), 3u) << "the closed book, the open book and the topic sign";
  for (TImageObj* img : books) {
    EXPECT_FALSE(img->IsErrorImage());
    EXPECT_FALSE(img->IsDefImage());
    EXPECT_TRUE(img->Bitmap() || img->GIF());
  }
  EXPECT_EQ(w.File()->Read("/images/PlusBook.gif").substr(0, 6), "GIF89a");

  // A page whose picture is not in the file, though a file of that name lies beside it.
  std::filesystem::create_directories(Folder + "Help/images");
  std::filesystem::copy_file(std::string(ORRELO_TEST_OUTPUT) + "/../bin/HTML/images/topic.gif",
                             Folder + "Help/images/gone.gif", std::filesystem::copy_options::overwrite_existing);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(Folder + "Help");
  w.Viewer->LoadFromString("<p><img src=\"images/gone.gif\" width=14 height=14> gone</p>");
  std::filesystem::current_path(before);
  Pump();
  std::set<TImageObj*> gone = pictures();
  ASSERT_EQ(gone.size(), 1u);
  EXPECT_TRUE((*gone.begin())->IsErrorImage());
}

TEST(HelpContentsTree, BooksOpenAndCloseAndTheSelectionFollows)
{
  THelpContentsTree tree;
  tree.SetBounds(0, 0, 200, 400);
  tree.SetEntries({{0, "Intro", "Intro.htm"},
                   {0, "Book A", ""},
                   {1, "A one", "A1.htm"},
                   {1, "Book A2", ""},
                   {2, "A2 deep", "A2.htm"},
                   {1, "A three", "A3.htm"},
                   {0, "Book B", ""},
                   {5, "B jumps", "B1.htm"},   // deeper than one below its book: kept one below
                   {0, "Last", "Last.htm"}});
  EXPECT_EQ(tree.Entry(7).Level, 1);
  EXPECT_TRUE(tree.HasChildren(1));
  EXPECT_TRUE(tree.HasChildren(3));
  EXPECT_FALSE(tree.HasChildren(2));
  EXPECT_FALSE(tree.HasChildren(8));
  EXPECT_EQ(tree.VisibleEntries(), (std::vector<Integer>{0, 1, 6, 8}));
  std::vector<Integer> chosen;
  tree.OnChoose = [&](Integer i) { chosen.push_back(i); };

  // Selecting from code opens the books above the entry, without choosing it.
  tree.Select(4);
  EXPECT_EQ(tree.VisibleEntries(), (std::vector<Integer>{0, 1, 2, 3, 4, 5, 6, 8}));
  EXPECT_TRUE(chosen.empty());
  // Closing a book that holds the selection moves it to the book.
  tree.SetExpanded(1, false);
  EXPECT_EQ(tree.Selected(), 1);
  EXPECT_EQ(tree.VisibleEntries(), (std::vector<Integer>{0, 1, 6, 8}));

  // A click on a book opens it (and closes it again); a click on a page chooses it.
  const Integer h = tree.RowHeight();
  tree.DispatchMouseDown(mbLeft, 0, 30, 2 * h + 3);   // "Book B", third row
  tree.DispatchMouseUp(mbLeft, 0, 30, 2 * h + 3);
  EXPECT_TRUE(tree.Expanded(6));
  EXPECT_EQ(tree.VisibleEntries(), (std::vector<Integer>{0, 1, 6, 7, 8}));
  tree.DispatchMouseDown(mbLeft, 0, 30, 3 * h + 3);
  tree.DispatchMouseUp(mbLeft, 0, 30, 3 * h + 3);
  EXPECT_EQ(tree.Selected(), 7);
  EXPECT_EQ(chosen, (std::vector<Integer>{6, 7}));
  EXPECT_EQ(tree.EntryAt(30, 10 * h), -1);

  // Keys: Up and Down walk the shown rows (not the hidden ones), Left goes to the book and
  // closes it, Right opens it.
  auto press = [&](Word key) { tree.DispatchKeyDown(key, 0); };
  press(VK_UP);
  EXPECT_EQ(tree.Selected(), 6);
  press(VK_UP);
  EXPECT_EQ(tree.Selected(), 1);   // past the closed book's pages
  press(VK_RIGHT);
  EXPECT_TRUE(tree.Expanded(1));
  press(VK_DOWN);
  EXPECT_EQ(tree.Selected(), 2);
  press(VK_LEFT);
  EXPECT_EQ(tree.Selected(), 1);
  press(VK_LEFT);
  EXPECT_FALSE(tree.Expanded(1));
  press(VK_END);
  EXPECT_EQ(tree.Selected(), 8);
  press(VK_DOWN);
  EXPECT_EQ(tree.Selected(), 8);   // stays at the end
  press(VK_HOME);
  EXPECT_EQ(tree.Selected(), 0);
}

TEST(HelpContentsTree, AScrollBarShowsWhileTheRowsDoNotFit)
{
  THelpContentsTree tree;
  tree.SetBounds(0, 0, 200, 3 * 18 + 5);   // three whole rows
  std::vector<TSitemapEntry> entries;
  for (int i = 0; i < 6; ++i)
    entries.push_back({0, "Page " + std::to_string(i), "P.htm"});
  tree.SetEntries(entries);
  ASSERT_TRUE(tree.ScrollBar()->Visible());
  EXPECT_EQ(tree.ScrollBar()->Max(), 5);
  EXPECT_EQ(tree.ScrollBar()->PageSize(), 3);
  // The rows give way to the bar: a click on it is no row's.
  EXPECT_EQ(tree.EntryAt(200 - 5, 5), -1);
  EXPECT_EQ(tree.EntryAt(50, 5), 0);
  tree.ScrollBar()->Scroll(scLineDown, 0);
  EXPECT_EQ(tree.TopRow(), 1);
  EXPECT_EQ(tree.EntryAt(50, 5), 1);
  tree.ScrollBar()->Scroll(scBottom, 0);
  EXPECT_EQ(tree.TopRow(), 3);   // the last page of rows fills the view
  EXPECT_EQ(tree.EntryAt(50, 2 * 18 + 5), 5);
  // Selecting the first row brings it back into view; the wheel scrolls and stops at the ends.
  tree.Select(0);
  EXPECT_EQ(tree.TopRow(), 0);
  EXPECT_EQ(tree.ScrollBar()->Position(), 0);
  tree.DispatchMouseWheel(0, -120, tree.ClientToScreen({10, 10}));
  EXPECT_EQ(tree.TopRow(), 3);
  tree.DispatchMouseWheel(0, 120, tree.ClientToScreen({10, 10}));
  EXPECT_EQ(tree.TopRow(), 0);
  // Fewer rows than fit: no bar, rows over the whole width.
  entries.resize(2);
  tree.SetEntries(entries);
  EXPECT_FALSE(tree.ScrollBar()->Visible());
  EXPECT_EQ(tree.EntryAt(200 - 5, 5), 0);
}

TEST(HelpText, PopupTextsContextPagesAndLinkResolution)
{
  std::string map =
      "// numbers\n#define IDH_ONE 10\r\n  #define IDH_TWO   20 // the second\n#define BROKEN x\n#define IDH_BIG 1234567890123\n";
  std::map<std::string, Integer> names = ParseContextNames(map);
  EXPECT_EQ(names.size(), 2u);
  EXPECT_EQ(names["idh_two"], 20);
  std::map<Integer, std::string> pages =
      ParseContextPages(map,
                        "; comment\nIDH_ONE = One.htm\nidh_two=Sub\\Two.htm#x\n30=Thirty.htm\nIDH_NONE=No.htm\njunk\n");
  EXPECT_EQ(pages.size(), 3u);
  EXPECT_EQ(pages[10], "One.htm");
  EXPECT_EQ(pages[20], "Sub\\Two.htm#x");
  EXPECT_EQ(pages[30], "Thirty.htm");

  std::string popups =
      ".topic IDH_ONE\nFirst line\ncontinues here.\n\nSecond paragraph.\n\n.topic 20\n  Twenty.  \n.topic IDH_UNKNOWN\nLost.\n";
  EXPECT_EQ(FindPopupText(popups, 10, names), "First line continues here.\nSecond paragraph.");
  EXPECT_EQ(FindPopupText(popups, 20, names), "Twenty.");
  EXPECT_EQ(FindPopupText(popups, 30, names), "");
  EXPECT_EQ(FindPopupText("", 10, names), "");

  std::vector<TSitemapEntry> sorted = SortIndex({{1, "orphan", "O.htm"},
                                                 {0, "zoom", "Z.htm"},
                                                 {0, "Gears", ""},
                                                 {1, "spur", "S.htm"},
                                                 {1, "bevel", "B.htm"},
                                                 {0, "axes", "A.htm"},
                                                 {0, "gears", "G2.htm"}});
  std::vector<std::string> order;
  for (const TSitemapEntry& e : sorted)
    order.push_back(e.Name);
  EXPECT_EQ(order, (std::vector<std::string>{"axes", "Gears", "spur", "bevel", "gears", "orphan", "zoom"}));

  EXPECT_EQ(ResolveHelpLink("/Windows/Main.htm", "../Using/A.htm"), "/Using/A.htm");
  EXPECT_EQ(ResolveHelpLink("/Windows/Main.htm", "B.htm#part"), "/Windows/B.htm#part");
  EXPECT_EQ(ResolveHelpLink("/Windows/Main.htm#x", "#y"), "/Windows/Main.htm#y");
  EXPECT_EQ(ResolveHelpLink("/Main.htm", "../../../Up.htm"), "/Up.htm");   // never above the top
  EXPECT_EQ(ResolveHelpLink("/A/B/C.htm", "./D\\E.htm"), "/A/B/D/E.htm");
  EXPECT_EQ(ResolveHelpLink("/A/B/C.htm", "/Top.htm"), "/Top.htm");
  EXPECT_EQ(ResolveHelpLink("/A/B/C.htm", "mk:@MSITStore:x.chm::/In/Z.htm"), "/In/Z.htm");
}

namespace {

// A form that records the system commands it receives.
class TRecordingForm : public TForm {
public:
  std::vector<std::pair<WPARAM, LPARAM>> SysCommands;
  void WndProc(TMessage& message) override
  {
    if (message.Msg == 0x0112)   // WM_SYSCOMMAND
      SysCommands.emplace_back(message.WParam, message.LParam);
    TForm::WndProc(message);
  }
};

}   // namespace

TEST(HelpMenuLoop, ASpaceTypedOnTheBarOpensTheWindowsSystemMenu)
{
  using namespace tbtest;
  TTBRootItem root;
  TTBCustomItem* file = root.Add(Item("&File"));
  root.Add(Item("&View"));
  TRecordingForm form;
  form.SetBounds(100, 100, 400, 300);
  TTestBar bar(&root);
  bar.SetParent(&form);
  bar.SetBounds(0, 0, 400, 24);
  form.Show();
  form.Activate();
  WaitFor([] { return ApplicationIsActive(); });
  if (!ApplicationIsActive())
    GTEST_SKIP() << "the display gives the test window no activation";
  bar.View->UpdatePositions();
  auto typeIn = [&](char ch) {
    TScript script;
    script.Do([&] { SimulateKey(ch == ' ' ? VK_SPACE : VK_SUBTRACT, 0, ch); });
    script.Sleep(30);
    script.Abort = [&] { bar.View->EndModal(); };
    script.Running = [&] { return bar.View->InModalLoop; };
    script.Start();
    bar.View->Select(bar.View->Find(file), false);
    bar.View->EnterToolbarLoop(0);
    while (!script.Finished())
      Application->HandleMessage();
  };
  typeIn(' ');
  ASSERT_EQ(form.SysCommands.size(), 1u);
  EXPECT_EQ(form.SysCommands[0].first, 0xF100u);   // SC_KEYMENU
  EXPECT_EQ(form.SysCommands[0].second, ' ');
  typeIn('-');
  ASSERT_EQ(form.SysCommands.size(), 2u);
  EXPECT_EQ(form.SysCommands[1].second, '-');
}
