// What a teacher meets in a first lesson, driven through the X server as the user drives it
// (xdotool's XTest input): the window narrowed to a small screen's size, the splash picture
// on a small screen, a number typed into a teeth box, F1 in the test window, a toolbar
// button's menu opened under its tooltip.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "MainWindowSupport.h"
#include "PrintTestSupport.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/HelpViewer.h"
#include "shell/TarvMain.h"
#include "shell/TopicTest.h"
#include "topics/GearCogs.h"

namespace {

using mainwindow::Pump;

bool PumpUntil(const std::function<bool()>& cond, Cardinal timeoutMs = 5000)
{
  Cardinal start = GetTickCount();
  while (!cond()) {
    if (GetTickCount() - start > timeoutMs)
      return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// XTest input, as a user's mouse and keyboard give it.
void X(const std::string& args) { ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args; }
void XClick(TPoint p) { X("mousemove " + std::to_string(p.X) + " " + std::to_string(p.Y) + " click 1"); }
void XMove(TPoint p) { X("mousemove " + std::to_string(p.X) + " " + std::to_string(p.Y)); }
TPoint Centre(TControl* c) { return c->ClientToScreen({c->Width() / 2, c->Height() / 2}); }

class FirstLesson : public ::testing::Test {
protected:
  void SetUp() override
  {
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0)
      GTEST_SKIP() << "xdotool is not installed";
    SetMessageAnswerer([this](const TMessageRequest& r) {
      Messages.push_back(r.Text);
      return mrOk;
    });
    SavedTeeth = GearSceneTeeth;
  }
  void TearDown() override
  {
    Frm.reset();
    Pump();
    GearSceneTeeth = SavedTeeth;
    SetMessageAnswerer(nullptr);
  }
  void Start()
  {
    // The content beside the test program is laid out as the program's own.
    Frm = std::make_unique<TKVMainFrm>(ExeFolder());
    Frm->Show();
    Pump(100);
  }
  void Follow(const std::string& url)
  {
    Frm->Viewer->URL = url;
    GuardedCall([this] { Frm->Viewer->FollowLink(); });
    Pump(50);
  }

  std::unique_ptr<TKVMainFrm> Frm;
  std::vector<std::string> Messages;
  TGearSceneTeeth SavedTeeth;
};

}  // namespace

// A window made from the full screen's size down to 800 by 600 keeps a page pane that reads
// as a page, with every button of its toolbar in view (none behind the chevron).
TEST_F(FirstLesson, ANarrowedWindowKeepsAReadablePagePane)
{
  TScreenSizeScope screen(1280, 1024);
  Start();
  ASSERT_EQ(Frm->Width(), 1280);
  SimulateWindowResize(Frm.get(), 800, 600);
  ASSERT_TRUE(PumpUntil([&] { return Frm->Width() == 800; }));
  Pump(100);
  // The panes share the narrower window as they shared the wide one.
  EXPECT_GE(Frm->RightPanel->Width(), 360);
  EXPECT_GE(Frm->LeftPanel->Width(), 360);
  for (TTBCustomItem* b : std::initializer_list<TTBCustomItem*>{Frm->IndexBtn, Frm->FwdBtn, Frm->BackBtn, Frm->CopyBtn,
                                                                Frm->FontBtn, Frm->PrintBtn, Frm->TestBtn}) {
    TTBItemViewer* v = Frm->HTMLToolbar->View()->Find(b);
    ASSERT_NE(v, nullptr) << b->Caption();
    EXPECT_TRUE(v->Show && !v->Clipped) << b->Caption() << " is behind the chevron";
  }
  mainwindow::SaveWindowPicture(*Frm, "first-lesson-800x600.png");
  Follow("/TwoCog.htm");
  mainwindow::SaveWindowPicture(*Frm, "first-lesson-800x600-model.png");
}

// On an 800 by 600 screen the splash picture is wider than the left pane: it shows whole,
// scaled into the pane with its proportions, not cut at the pane's edges.
TEST_F(FirstLesson, TheSplashPictureFitsASmallScreensPane)
{
  TScreenSizeScope screen(800, 600);
  Start();
  const TBitmap& picture = Frm->SplashPic->Picture();
  ASSERT_FALSE(picture.Empty());
  ASSERT_GT(picture.Width(), Frm->SplashPanel->Width()) << "the pane no longer cuts the picture";
  const TRect r = Frm->SplashPic->BoundsRect();
  EXPECT_GE(r.Left, 0);
  EXPECT_LE(r.Right, Frm->SplashPanel->Width());
  EXPECT_GE(r.Top, 0);
  EXPECT_LE(r.Bottom, Frm->SplashPanel->Height());
  EXPECT_GE(r.Width(), Frm->SplashPanel->Width() - 2);
  EXPECT_NEAR(double(r.Height()) / r.Width(), double(picture.Height()) / picture.Width(), 0.02);
  // Centred.
  EXPECT_LE(std::abs(r.Top - (Frm->SplashPanel->Height() - r.Bottom)), 1);
  mainwindow::SaveWindowPicture(*Frm, "first-lesson-splash-800x600.png");
}
