// The main window driven as a user drives it, in one process under a display: links
// followed through the viewer's own link path, toolbar buttons and menu commands, the clock
// ticked with chosen time steps.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "engine/GLVectorFileObjects.h"
#include "MainWindowSupport.h"
#include "PictureOutput.h"
#include "tests/platform/ModalSupport.h"
#include "platform/BmpFile.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/ShellApi.h"
#include "platform/SysSettings.h"
#include "shell/HelpViewer.h"
#include "shell/MainWindow.h"
#include "shell/TopicDispatch.h"
#include "shell/TopicTest.h"
#include "shell/SpeedDialog.h"
#include "topics/Chains.h"
#include "topics/GearCogs.h"
#include "topics/Pulleys.h"
#include "topics/Toggles.h"
#include "topics/TopicTable.h"
#include "topics/ViewPoints.h"
#include "topics/WormGears.h"

namespace fs = std::filesystem;

namespace {

using mainwindow::Pump;

// Runs f (which shows a modal window) and, from a timer, closes whatever modal window comes
// up with the given result; gives whether one came up within the time limit.
bool WithModal(const std::function<void()>& f, const std::function<void(TDialogForm&)>& answer = {})
{
  bool seen = false;
  Cardinal start = GetTickCount();
  TTimer timer;
  timer.SetInterval(20);
  timer.SetOnTimer([&](TObject*) {
    for (int i = 0; i < Screen().FormCount(); ++i)
      if (auto* d = dynamic_cast<TDialogForm*>(Screen().Forms(i)); d && d->Modal() && d->Visible()) {
        seen = true;
        if (answer)
          answer(*d);
        if (d->ModalResult() == mrNone)
          d->SetModalResult(mrCancel);
        return;
      }
    if (GetTickCount() - start > 5000)
      timer.SetEnabled(false);
  });
  timer.SetEnabled(true);
  // A loop of our own: an earlier test may have left the application quitting, which ends
  // modal loops at once.
  modal::InMessageLoop(f);
  timer.SetEnabled(false);
  return seen;
}

// A content folder of the program's own pages and pictures (as the build lays them out),
// with a picture for "$" links, a clip, a secret beside the content that no link may
// reach, and the models the lever scenes load.
std::string MakeAppFolder(const std::string& name, bool with3DS = true)
{
  fs::path root = fs::path(ORRELO_TEST_OUTPUT) / name;
  fs::remove_all(root);
  fs::create_directories(root / "Video");
  fs::create_directories(root / "3DS");
  fs::copy(ExeFolder() + "HTML", root / "HTML", fs::copy_options::recursive);
  TBitmap picture(40, 30);
  picture.Fill(clRed);
  SaveBmpToFile(picture, (root / "HTML" / "images" / "Gears.bmp").string());
  for (const auto& e : fs::directory_iterator(ExeFolder() + "Video"))
    if (e.path().extension() == ".avi") {
      fs::copy_file(e.path(), root / "Video" / "clip.avi");
      break;
    }
  WriteFileBytes((root / "secret.bmp").string(), SaveBmpToBytes(picture));
  fs::copy(ExeFolder() + "Help", root / "Help", fs::copy_options::recursive);
  if (with3DS)
    for (const auto& e : fs::directory_iterator(ExeFolder() + "3DS"))
      fs::copy_file(e.path(), root / "3DS" / e.path().filename(), fs::copy_options::overwrite_existing);
  return root.string() + "/";
}

struct TMessages {
  std::vector<std::string> Texts;
  TModalResult Answer = mrOk;
};

class MainWindow : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    Messages = new TMessages;
    SetMessageAnswerer([](const TMessageRequest& r) {
      Messages->Texts.push_back(r.Text);
      return Messages->Answer;
    });
    Folder = new std::string(MakeAppFolder("mainwindow-app"));
    Frm = new TKVMainFrm(*Folder);
    Frm->Show();
    Pump(100);
  }
  static void TearDownTestSuite()
  {
    delete Frm;
    Frm = nullptr;
    delete Folder;
    SetMessageAnswerer({});
    delete Messages;
    Pump();
  }
  void SetUp() override
  {
    Messages->Texts.clear();
    Messages->Answer = mrOk;
  }

  static void Follow(const std::string& url)
  {
    // As a click in the page delivers it: errors go to the application's handler.
    Frm->Viewer->URL = url;
    GuardedCall([] { Frm->Viewer->FollowLink(); });
    Pump();
  }
  static std::string LoadedPage() { return ExtractFileName(Frm->Viewer->CurrentFile()); }
  static std::string ExtractFileName(const std::string& path) { return fs::path(path).filename().string(); }
  // The first child of the scene base, which a rebuild replaces.
  static TGLBaseSceneObject* FirstPart() { return Frm->SceneBase->GetCount() ? Frm->SceneBase->GetChild(0) : nullptr; }

  static TMessages* Messages;
  static std::string* Folder;
  static TKVMainFrm* Frm;
};

TMessages* MainWindow::Messages = nullptr;
std::string* MainWindow::Folder = nullptr;
TKVMainFrm* MainWindow::Frm = nullptr;

using mainwindow::SaveWindowPicture;

}   // namespace

TEST_F(MainWindow, StartsOnTheIndexWithTheSplashPicture)
{
  EXPECT_EQ(Frm->Caption(), "Orrelo");
  EXPECT_EQ(Frm->CurrentTopic, 0);
  EXPECT_TRUE(Frm->SplashPanel->Visible());
  EXPECT_FALSE(Frm->GLPanel->Visible());
  EXPECT_FALSE(Frm->GraphPanel->Visible());
  EXPECT_FALSE(Frm->SplashPic->Picture().Empty());
  EXPECT_NE(Frm->Viewer->DocumentSource().find("Click on one of the book symbols"), std::string::npos);
  EXPECT_TRUE(Frm->Viewer->CurrentFile().empty());
  EXPECT_FALSE(Frm->StopBtn->Enabled());
  EXPECT_TRUE(Frm->StartBtn->Enabled());
  for (Integer r : Frm->TopicRates)
    EXPECT_EQ(r, 100);
  EXPECT_EQ(Frm->Font().Height(), -MulDiv(8, ScreenPixelsPerInch(), 72));
  // The index page has no file: the home button stays off until a page file shows.
  bool done = true;
  Frm->AppIdle(nullptr, done);
  EXPECT_FALSE(Frm->IndexBtn->Enabled());
  ASSERT_EQ(Frm->TestCategoryItems.size(), 11u);
  EXPECT_EQ(Frm->TestCategoryItems[10]->Caption(), "Screw threads");
}

// The program's toolbars sit flat in their panels: an idle button shows no frame, only its
// picture and caption on the panel's colour.
TEST_F(MainWindow, IdleToolbarButtonsShowNoFrame)
{
  for (auto [bar, item] : {std::pair<TTBXToolbar*, TTBCustomItem*>{Frm->HTMLToolbar, Frm->PrintBtn},
                           {Frm->HTMLToolbar, Frm->TestBtn},
                           {Frm->MainToolbar, Frm->ZoomInBtn}}) {
    SCOPED_TRACE(item->Caption());
    TTBItemViewer* v = bar->View()->Find(item);
    ASSERT_NE(v, nullptr);
    TBitmap shot(bar->Width(), bar->Height());
    bar->RenderTo(shot);
    const TRect r = v->BoundsRect;
    const TColor face = shot.GetPixel(r.Left + 1, r.Top + 1);
    for (Integer x = r.Left; x < r.Right; ++x)
      for (Integer y : {r.Top, r.Bottom - 1})
        ASSERT_EQ(shot.GetPixel(x, y), face) << x << "," << y;
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x : {r.Left, r.Right - 1})
        ASSERT_EQ(shot.GetPixel(x, y), face) << x << "," << y;
  }
}

namespace {

struct TExpect {
  Integer Id;
  const char* Page;   // control page, or "" for the lever toolbar / cam graph
  Integer Min, Max;
};

// The topics' control pages and step ranges with their controls at their starting values.
std::map<Integer, TExpect> Expectations()
{
  std::vector<TExpect> v = {
      {1, "TwoCogTab", 0, GearPairRepeatAngle(20, 20)},
      {2, "TwoCogTab", 0, GearTrainRepeatAngle(20, 10, 20)},
      {3, "TwoCogTab", 0, CompoundGearRepeatAngle(20, 10, 20, 10)},
      {4, "BevelTab", 0, 360},
      {5, "VPulleyTab", 0, PulleyPairRepeatAngle(3, 6)},
      {6, "VPulleyTab", 0, JockeyBeltRepeatAngle(3, 6)},
      {7, "StepConeTab", 0, StepConeRepeatAngle(3)},
      {8, "ChainTab", 0, ChainDriveRepeatAngle(10, 20)},
      {9, "HoistTab", 0, 180},
      {10, "BevelTab", 0, 360},
      {11, "BlankTab", 0, 180},
      {12, "WestonTab", 0, 1080},
      {13, "CamTab", 0, 360},
      {14, "CamTab", 0, 360},
      {15, "CamTab", 0, 360},
      {16, "BoxCamTab", 0, 360},
      {17, "CrankTab", 0, 360},
      {18, "ScrewTab", 0, 3600},
      {19, "BlankTab", 0, 3600},
      {20, "CrankTab", 0, 720},
      {21, "WindlassTab", 0, 1800},
      {22, "BlankTab", 0, 360},
      {23, "BlankTab", 0, 1440},
      {24, "BlankTab", 0, 320},
      {25, "BlankTab", 0, 720},
      {26, "", 0, 180},
      {27, "", 0, 180},
      {28, "", 0, 180},
      {29, "LinkTab", 0, 360},
      {30, "BlankTab", 0, 360},
      {31, "LinkTab", 0, 360},
      {32, "TreadleTab", 0, 360},
      {33, "BlankTab", 0, ToggleRepeatAngle()},
      {34, "BikeTab", 0, DerailleurRepeatAngle(1)},
      {35, "TwoCogTab", -RackPinionRepeatAngle(10, 4.0f), RackPinionRepeatAngle(10, 4.0f)},
      {36, "TwoCogTab", 0, 720},
      {37, "BlankTab", 0, 360},
      {38, "TwoCogTab", 0, GearPairRepeatAngle(20, 20)},
      {39, "IncPlaneTab", 0, 400},
      {40, "", 0, 0},
  };
  std::map<Integer, TExpect> m;
  for (const TExpect& e : v)
    m[e.Id] = e;
  return m;
}

}   // namespace

TEST_F(MainWindow, EveryPageKeyShowsItsTopicPanelControlsAndRange)
{
  auto expect = Expectations();
  Integer last = -1;
  for (const TPageTopic& key : PageTopicTable()) {
    SCOPED_TRACE(key.Key);
    std::string url = key.Key[0] == '#' ? std::string("/CAM_CIRCULAR.HTM") + key.Key : std::string("/") + key.Key;
    // Mixed case, as pages write their links.
    std::string link = url;
    for (size_t i = 2; i < link.size(); i += 2)
      link[i] = char(std::tolower(static_cast<unsigned char>(link[i])));
    Follow(link);
    ASSERT_TRUE(Messages->Texts.empty()) << Messages->Texts.front();
    ASSERT_EQ(Frm->CurrentTopic, key.Id);
    const TExpect& e = expect.at(key.Id);
    std::string file = url.substr(1, url.find('#') - 1);
    EXPECT_EQ(UpperCase(LoadedPage()), file);
    EXPECT_FALSE(Frm->SplashPanel->Visible());
    if (key.Id == 40) {
      EXPECT_TRUE(Frm->GraphPanel->Visible());
      EXPECT_FALSE(Frm->GLPanel->Visible());
      EXPECT_TRUE(Frm->CamStartBtn->Enabled());
      EXPECT_FALSE(Frm->CamStopBtn->Enabled());
      continue;
    }
    EXPECT_TRUE(Frm->GLPanel->Visible());
    EXPECT_FALSE(Frm->GraphPanel->Visible());
    bool lever = key.Id >= 26 && key.Id <= 28;
    EXPECT_EQ(Frm->LeverToolbar->Visible(), lever);
    EXPECT_EQ(Frm->ToolPC->Visible(), !lever);
    if (!lever) {
      EXPECT_EQ(Frm->ToolPC->ActivePage()->Name(), e.Page);
    }
    EXPECT_EQ(Frm->RTChsb->Min(), e.Min);
    EXPECT_EQ(Frm->RTChsb->Max(), e.Max);
    EXPECT_EQ(Frm->RTChsb->Position(), 0);
    EXPECT_EQ(Frm->Phase, 0);
    EXPECT_TRUE(Frm->Stopped);
    // A model stands under the scene base, placed at the topic's view point.
    EXPECT_GT(Frm->SceneBase->GetCount(), 0);
    if (key.Id != last) {
      TViewPoint vp = GetViewPoint(key.Id, 0);
      EXPECT_FLOAT_EQ(Frm->GLCamera->Position.X, vp.Camera[0]);
      EXPECT_FLOAT_EQ(Frm->SceneBase->Position.Y, vp.SceneBase[1]);
    }
    last = key.Id;
  }
}

TEST_F(MainWindow, TopicsSetTheirControlsBeforeTheBuild)
{
  Follow("/ThreeCog.htm");
  EXPECT_TRUE(Frm->CogUpDn[2]->Visible());
  EXPECT_FALSE(Frm->CogUpDn[3]->Visible());
  EXPECT_EQ(Frm->CogUpDn[1]->Position(), 10);
  EXPECT_EQ(Frm->CogST[1]->Caption(), "10");
  EXPECT_EQ(Frm->CogUpDn[1]->Hint(), "Set the number of teeth on the centre cog");
  Follow("/Worm.htm");
  EXPECT_EQ(Frm->CogUpDn[0]->Position(), 10);
  EXPECT_FALSE(Frm->CogUpDn[1]->Visible());
  Follow("/Crank_Slot.htm");
  EXPECT_EQ(Frm->CrankOffsetHsb->Min(), 10);
  EXPECT_EQ(Frm->CrankOffsetHsb->Max(), 30);
  EXPECT_EQ(Frm->CrankOffsetHsb->Hint(), "Set the offset from the centre");
  Follow("/Crank_Slider.htm");
  EXPECT_EQ(Frm->CrankOffsetHsb->Min(), 20);
  EXPECT_EQ(Frm->CrankOffsetHsb->Hint(), "Set the offset on the crankshaft");
  Follow("/Cam_Circular.htm#HEART");
  EXPECT_FALSE(Frm->CamOffsetHsb->Visible());
  Follow("/Cam_Circular.htm#CIRCULAR");
  EXPECT_TRUE(Frm->CamOffsetHsb->Visible());
  Follow("/Parallel.htm");
  EXPECT_FALSE(Frm->LinkOffsetHsb->Visible());
  Follow("/Rev_Motion.htm");
  EXPECT_TRUE(Frm->LinkOffsetHsb->Visible());
  Follow("/PulleyBelt.htm");
  EXPECT_EQ(Frm->BeltCB->Items().size(), 3u);
  Follow("/Jockey.htm");
  EXPECT_EQ(Frm->BeltCB->Items().size(), 2u);
  EXPECT_EQ(Frm->BeltCB->ItemIndex(), 0);
  Follow("/Lever_Class2.htm");
  EXPECT_EQ(Frm->LeverLabel->Caption(), "Class 2 levers");
  EXPECT_EQ(Frm->LeverBtn1->Caption(), "Nut crackers");
  EXPECT_EQ(Frm->LeverBtn2->Caption(), "Wheelbarrow");
  EXPECT_TRUE(Frm->LeverBtn1->Checked());
  EXPECT_EQ(Frm->LeverExample, 0);
}

TEST_F(MainWindow, SamePageTwiceKeepsTheModelAndReferencePagesKeepIt)
{
  Follow("/Chain.htm");
  TGLBaseSceneObject* part = FirstPart();
  Follow("/Chain.htm");
  EXPECT_EQ(FirstPart(), part);
  Follow("/ref_Moments.htm");
  EXPECT_EQ(Frm->CurrentTopic, 8);
  EXPECT_EQ(FirstPart(), part);
  EXPECT_EQ(UpperCase(LoadedPage()), "REF_MOMENTS.HTM");
}

TEST_F(MainWindow, BackForwardAndIndex)
{
  Frm->IndexBtnClick(nullptr);
  Follow("/TwoCog.htm");
  Follow("/Chain.htm");
  Follow("/Windlass.htm");
  EXPECT_EQ(Frm->CurrentTopic, 21);
  EXPECT_TRUE(Frm->BackBtn->Enabled());
  Frm->FwdBtnClick(Frm->BackBtn);
  EXPECT_EQ(Frm->CurrentTopic, 8);
  EXPECT_EQ(UpperCase(LoadedPage()), "CHAIN.HTM");
  EXPECT_TRUE(Frm->FwdBtn->Enabled());
  Frm->FwdBtnClick(Frm->FwdBtn);
  EXPECT_EQ(Frm->CurrentTopic, 21);
  Frm->FwdBtnClick(Frm->BackBtn);
  Frm->FwdBtnClick(Frm->BackBtn);
  EXPECT_EQ(Frm->CurrentTopic, 1);
  // Back from the oldest page shows the index; the model stays.
  Frm->FwdBtnClick(Frm->BackBtn);
  EXPECT_TRUE(Frm->Viewer->CurrentFile().empty());
  EXPECT_NE(Frm->Viewer->DocumentSource().find("book symbols"), std::string::npos);
  EXPECT_FALSE(Frm->BackBtn->Enabled());
  EXPECT_FALSE(Frm->FwdBtn->Enabled());
  EXPECT_EQ(Frm->CurrentTopic, 1);
}

TEST_F(MainWindow, BackBetweenCamAnchorsKeepsTheModel)
{
  Frm->IndexBtnClick(nullptr);
  Follow("/Cam_Circular.htm#CIRCULAR");
  EXPECT_EQ(Frm->CurrentTopic, 13);
  Follow("#LINEAR");
  EXPECT_EQ(Frm->CurrentTopic, 11);
  Follow("/Cam_Circular.htm#HEART");
  EXPECT_EQ(Frm->CurrentTopic, 15);
  TGLBaseSceneObject* part = FirstPart();
  Frm->FwdBtnClick(Frm->BackBtn);
  EXPECT_EQ(Frm->CurrentTopic, 15);
  EXPECT_EQ(FirstPart(), part);
}

TEST_F(MainWindow, StarLinksOpenOneCategoryAtATime)
{
  Frm->IndexBtnClick(nullptr);
  Integer topic = Frm->CurrentTopic;
  Follow("*3");
  ASSERT_TRUE(Messages->Texts.empty());
  EXPECT_TRUE(Frm->TopicIndex->Heading(3).Expanded);
  EXPECT_NE(Frm->Viewer->DocumentSource().find("/Rack_Pinion.htm"), std::string::npos);
  Follow("*5");
  EXPECT_FALSE(Frm->TopicIndex->Heading(3).Expanded);
  EXPECT_TRUE(Frm->TopicIndex->Heading(5).Expanded);
  EXPECT_EQ(Frm->Viewer->DocumentSource().find("/Rack_Pinion.htm"), std::string::npos);
  EXPECT_EQ(Frm->CurrentTopic, topic);
  // Not a number: the error box, nothing else.
  Follow("*x");
  ASSERT_EQ(Messages->Texts.size(), 1u);
  EXPECT_NE(Messages->Texts[0].find("An unexpected error has occured."), std::string::npos);
  EXPECT_TRUE(Frm->TopicIndex->Heading(5).Expanded);
  Follow("*5");
  EXPECT_TRUE(Frm->TopicIndex->AllCollapsed());
}

// A link to a page that cannot be laid out (a table of more columns than any may have): the
// error box comes, and the page that was shown stays on screen at its place, with Home, Back
// and Forward as they were.
TEST_F(MainWindow, APageThatFailsToLayOutLeavesThePageShown)
{
  const std::string wide = std::string(ORRELO_TEST_OUTPUT) + "/mainwindow-wide.htm";
  std::string cells;
  for (int i = 0; i < 201; ++i)
    cells += "<td>" + std::to_string(i) + "</td>";
  std::ofstream(wide) << "<html><body><table><tr>" << cells << "</tr></table></body></html>";
  Follow("/Chain.htm");
  Follow("/TwoCog.htm");
  Frm->Viewer->SetVScrollBarPosition(120);
  const int32_t y = Frm->Viewer->VScrollBarPosition();
  ASSERT_GT(y, 0);
  const std::vector<std::string> history = Frm->Viewer->History();
  const int32_t index = Frm->Viewer->HistoryIndex();
  Follow("file://" + wide);
  ASSERT_EQ(Messages->Texts.size(), 1u);
  EXPECT_EQ(Messages->Texts[0].rfind("Table has too many Columns", 0), 0u) << Messages->Texts[0];
  EXPECT_EQ(LoadedPage(), "TwoCog.htm");
  EXPECT_GT(Frm->Viewer->DocumentHeight(), 0);
  EXPECT_EQ(Frm->Viewer->VScrollBarPosition(), y);
  EXPECT_EQ(Frm->Viewer->History(), history);
  EXPECT_EQ(Frm->Viewer->HistoryIndex(), index);

  bool done = true;
  Frm->AppIdle(nullptr, done);
  EXPECT_TRUE(Frm->IndexBtn->Enabled());
  EXPECT_TRUE(Frm->BackBtn->Enabled());
  EXPECT_FALSE(Frm->FwdBtn->Enabled());
  Frm->FwdBtnClick(Frm->BackBtn);
  EXPECT_EQ(LoadedPage(), "Chain.htm");

  // A topic's own page damaged so: the model stays the one the page shown explains, and
  // once the page can be laid out the link changes both.
  const Integer chain = Frm->CurrentTopic;
  ASSERT_EQ(chain, PageToTopic("/Chain.htm", -1));
  const TGLBaseSceneObject* part = FirstPart();
  const std::string lever = *Folder + "HTML/Lever_Class1.htm";
  const std::vector<uint8_t> page = ReadFileBytes(lever, 1 << 20);
  std::ofstream(lever, std::ios::trunc) << "<html><body><table><tr>" << cells << "</tr></table></body></html>";
  Follow("/Lever_Class1.htm");
  WriteFileBytes(lever, page);
  ASSERT_EQ(Messages->Texts.size(), 2u);
  EXPECT_EQ(Messages->Texts[1].rfind("Table has too many Columns", 0), 0u) << Messages->Texts[1];
  EXPECT_EQ(LoadedPage(), "Chain.htm");
  EXPECT_EQ(Frm->CurrentTopic, chain);
  EXPECT_EQ(FirstPart(), part);
  EXPECT_FALSE(Frm->LeverToolbar->Visible());
  Follow("/Lever_Class1.htm");
  EXPECT_EQ(Messages->Texts.size(), 2u);
  EXPECT_EQ(LoadedPage(), "Lever_Class1.htm");
  EXPECT_EQ(Frm->CurrentTopic, PageToTopic("/Lever_Class1.htm", -1));
  EXPECT_TRUE(Frm->LeverToolbar->Visible());

  // Back to a page damaged meanwhile: the same, both panes stay; repaired, Back changes both.
  const Integer levers = Frm->CurrentTopic;
  const std::string chained = *Folder + "HTML/Chain.htm";
  const std::vector<uint8_t> chainPage = ReadFileBytes(chained, 1 << 20);
  std::ofstream(chained, std::ios::trunc) << "<html><body><table><tr>" << cells << "</tr></table></body></html>";
  GuardedCall([] { Frm->FwdBtnClick(Frm->BackBtn); });
  WriteFileBytes(chained, chainPage);
  ASSERT_EQ(Messages->Texts.size(), 3u);
  EXPECT_EQ(LoadedPage(), "Lever_Class1.htm");
  EXPECT_EQ(Frm->CurrentTopic, levers);
  EXPECT_TRUE(Frm->LeverToolbar->Visible());
  GuardedCall([] { Frm->FwdBtnClick(Frm->BackBtn); });
  EXPECT_EQ(Messages->Texts.size(), 3u);
  EXPECT_EQ(LoadedPage(), "Chain.htm");
  EXPECT_EQ(Frm->CurrentTopic, chain);
}

TEST_F(MainWindow, PictureLinksOpenTheEnlargedPictureAndNothingOutsideItsFolder)
{
  Follow("/TwoCog.htm");
  std::string page = Frm->Viewer->CurrentFile();
  bool shown = WithModal([] { Follow("$GEARS.BMP"); });
  EXPECT_TRUE(shown);
  EXPECT_TRUE(Messages->Texts.empty());
  // The link was ours: the viewer stayed on its page.
  EXPECT_EQ(Frm->Viewer->CurrentFile(), page);
  EXPECT_EQ(Frm->CurrentTopic, 1);

  for (const char* bad : {"$../secret.bmp", "$../../secret.bmp", "$/etc/passwd", "$missing.bmp", "$", "$.."}) {
    SCOPED_TRACE(bad);
    Messages->Texts.clear();
    EXPECT_FALSE(WithModal([&] { Follow(bad); }));
    ASSERT_EQ(Messages->Texts.size(), 1u);
    EXPECT_EQ(Frm->Viewer->CurrentFile(), page);
  }
}

TEST_F(MainWindow, RightClickOnAPagePictureOpensItsMenu)
{
  Follow("/Rotary.htm");
  Clipboard().Clear();
  // On the model's picture at the page's top right, as the user clicks it: the menu comes up
  // and takes the keys; its first item copies the picture.
  modal::InMessageLoop([] {
    modal::Later([] {
      SimulateKey(VK_DOWN);
      SimulateKey(VK_RETURN);
    });
    Frm->Viewer->PanelMouseUp(mbRight, 0, Frm->Viewer->Width() - 130, 150);
  });
  ASSERT_NE(Frm->PopupImage, nullptr);
  std::unique_ptr<TBitmap> copied = Clipboard().GetBitmap();
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->Width(), Frm->PopupImage->Bitmap()->Width());

  // Its second item copies the picture's file, as a JPEG beside the name the user gives.
  const std::string dest = std::string(ORRELO_TEST_OUTPUT) + "/page-picture-copy";
  fs::remove(dest + ".jpg");
  SetDialogAnswerer([&](TCommonDialog& d) {
    dynamic_cast<TSaveDialog&>(d).FileName = dest;
    return true;
  });
  modal::InMessageLoop([] {
    modal::Later([] {
      SimulateKey(VK_DOWN);
      SimulateKey(VK_DOWN);
      SimulateKey(VK_RETURN);
    });
    Frm->Viewer->PanelMouseUp(mbRight, 0, Frm->Viewer->Width() - 130, 150);
  });
  SetDialogAnswerer(nullptr);
  EXPECT_TRUE(Messages->Texts.empty()) << Messages->Texts.front();
  ASSERT_TRUE(fs::exists(dest + ".jpg"));
  EXPECT_EQ(fs::file_size(dest + ".jpg"), fs::file_size(fs::path(Frm->HTMLDir) / "images" / "Rotary.jpg"));
}

TEST_F(MainWindow, ClipLinksPlayInTheChosenPlayerAndStayInTheirFolder)
{
  std::vector<std::string> opened;
  SetShellOpenHandler([&](const std::string& target) {
    opened.push_back(target);
    return true;
  });
  Frm->VideoMode = 1;
  Follow(
      "\xA3"
      "clip.avi");
  Follow(
      "\xC2\xA3"
      "CLIP.AVI");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(fs::path(opened[0]).filename(), "clip.avi");
  EXPECT_TRUE(Messages->Texts.empty());
  Follow("\xA3../secret.bmp");
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_EQ(Messages->Texts.size(), 1u);
  // A player that will not start is reported.
  SetShellOpenHandler([](const std::string&) { return false; });
  Follow(
      "\xA3"
      "clip.avi");
  EXPECT_EQ(Messages->Texts.size(), 2u);
  SetShellOpenHandler({});
  Frm->VideoMode = 0;
}

TEST_F(MainWindow, TickAdvancesAtTheTopicsRateAndWrapsWholePeriods)
{
  Follow("/Rotary.htm");
  ASSERT_EQ(Frm->CurrentTopic, 22);
  const Integer max = Frm->RTChsb->Max();
  Frm->CadencerProgress(nullptr, 0.25, 0.25);
  EXPECT_FLOAT_EQ(Frm->Phase, 25);
  EXPECT_EQ(Frm->RTChsb->Position(), 25);
  Frm->TopicRates[22] = 40;
  Frm->CadencerProgress(nullptr, 0.5, 0.75);
  EXPECT_FLOAT_EQ(Frm->Phase, 45);
  // A long stall: every whole period comes off at once.
  Frm->CadencerProgress(nullptr, 3.5 * max / 40.0, 10);
  EXPECT_NEAR(Frm->Phase, 45 + 0.5 * max, 0.01);
  EXPECT_LE(Frm->Phase, max);
  // The wrap is strict: exactly Max stays Max.
  Frm->Phase = 0;
  Frm->CadencerProgress(nullptr, max / 40.0, 11);
  EXPECT_FLOAT_EQ(Frm->Phase, Single(max));
  Frm->TopicRates[22] = 100;
}

TEST_F(MainWindow, WormWheelAdvancesOncePerPeriodTakenOff)
{
  Follow("/Worm.htm");
  ASSERT_EQ(Frm->CurrentTopic, 36);
  const Integer max = Frm->RTChsb->Max();
  const Integer teeth = Frm->CogUpDn[0]->Position();
  Single before = WormWheelAdvance(Frm->SceneBase);
  // 2.5 periods in one tick.
  Frm->CadencerProgress(nullptr, 2.5 * max / 100.0, 1);
  EXPECT_NEAR(Frm->Phase, 0.5 * max, 0.01);
  double turned = std::fmod(double(WormWheelAdvance(Frm->SceneBase)) - before + 720, 360);
  EXPECT_NEAR(turned, std::fmod(2.0 * max / teeth, 360), 0.01);
}

TEST_F(MainWindow, StepBarPosesWithoutWrappingAndTheClockGoesOnFromIt)
{
  Follow("/Bell_Crank.htm");
  int32_t pos = 300;
  Frm->RTChsbScroll(nullptr, scTrack, pos);
  EXPECT_FLOAT_EQ(Frm->Phase, 300);
  Frm->RTChsb->SetPosition(300);
  Frm->CadencerProgress(nullptr, 0.1, 0.1);
  EXPECT_FLOAT_EQ(Frm->Phase, 310);
  // Through the bar's own input: a page step to the end.
  Frm->RTChsb->Scroll(scPageDown, 0);
  EXPECT_EQ(Frm->RTChsb->Position(), Frm->RTChsb->Max());
  EXPECT_FLOAT_EQ(Frm->Phase, Single(Frm->RTChsb->Max()));
}

TEST_F(MainWindow, RatchetDrivesForwardsAcrossAWrap)
{
  Follow("/Ratchet.htm");
  ASSERT_EQ(Frm->CurrentTopic, 37);
  const TTopicEntry* entry = FindTopic(37);
  ASSERT_TRUE(entry);
  int32_t pos = 350;
  Frm->RTChsbScroll(nullptr, scPosition, pos);
  Frm->RTChsb->SetPosition(350);
  // 20 degrees on: the phase wraps to 10, and the frame must be the forward one.
  Frm->CadencerProgress(nullptr, 0.2, 0.2);
  ASSERT_NEAR(Frm->Phase, 10, 0.01);
  std::vector<TVector> drawn;
  for (Integer i = 0; i < Frm->SceneBase->GetCount(); ++i)
    drawn.push_back(Frm->SceneBase->GetChild(i)->Direction.AsVector());
  TTopicControls c = Frm->CurrentControls();
  c.Advancing = true;
  entry->Animate(Frm->SceneBase, c, Frm->Phase);
  for (Integer i = 0; i < Frm->SceneBase->GetCount(); ++i)
    for (int k = 0; k < 3; ++k)
      EXPECT_FLOAT_EQ(Frm->SceneBase->GetChild(i)->Direction.AsVector()[k], drawn[size_t(i)][k]) << i;
}

TEST_F(MainWindow, StartAndStopEnableEachOtherAndClearingStops)
{
  Follow("/TwoCog.htm");
  Frm->StartBtnClick(Frm->StartBtn);
  EXPECT_FALSE(Frm->Stopped);
  EXPECT_TRUE(Frm->Cadencer->GetEnabled());
  EXPECT_FALSE(Frm->StartBtn->Enabled());
  EXPECT_TRUE(Frm->StopBtn->Enabled());
  Pump(200);
  EXPECT_GT(Frm->Phase, 0);
  Frm->StopBtnClick(Frm->StopBtn);
  EXPECT_TRUE(Frm->Stopped);
  EXPECT_FALSE(Frm->Cadencer->GetEnabled());
  Single phase = Frm->Phase;
  Pump(100);
  EXPECT_EQ(Frm->Phase, phase);
  // Showing another topic stops a running clock.
  Frm->StartBtnClick(Frm->StartBtn);
  Follow("/Chain.htm");
  EXPECT_TRUE(Frm->Stopped);
  EXPECT_FALSE(Frm->Cadencer->GetEnabled());
  EXPECT_TRUE(Frm->StartBtn->Enabled());
}

TEST_F(MainWindow, SpeedDialogSetsTheCurrentTopicsRateOnly)
{
  Follow("/Lever_Class1.htm");
  bool shown = WithModal([] { Frm->Speed1Click(nullptr); },
                         [](TDialogForm& d) {
                           if (auto* speed = dynamic_cast<TSpeedFrm*>(&d)) {
                             speed->SpeedHsb->SetPosition(37);
                             speed->ApplyBtn->Click();
                           }
                         });
  EXPECT_TRUE(shown);
  EXPECT_EQ(Frm->TopicRates[26], 37);
  EXPECT_EQ(Frm->TopicRates[27], 100);
  // Cancel keeps the rate.
  WithModal([] { Frm->Speed1Click(nullptr); },
            [](TDialogForm& d) {
              if (auto* speed = dynamic_cast<TSpeedFrm*>(&d))
                speed->SpeedHsb->SetPosition(5);
              d.SetModalResult(mrCancel);
            });
  EXPECT_EQ(Frm->TopicRates[26], 37);
  // Both examples of the class share the rate.
  Frm->LeverBtn1Click(Frm->LeverBtn2);
  Frm->CadencerProgress(nullptr, 1.0, 1.0);
  EXPECT_FLOAT_EQ(Frm->Phase, 37);
  Frm->TopicRates[26] = 100;
}

TEST_F(MainWindow, ClosingAsksAndNoKeepsTheClockRunning)
{
  Follow("/TwoCog.htm");
  Frm->StartBtnClick(nullptr);
  Messages->Answer = mrNo;
  EXPECT_FALSE(Frm->FormCloseQuery());
  EXPECT_EQ(Messages->Texts.back(), "Exit program");
  EXPECT_FALSE(Frm->Stopped);
  EXPECT_TRUE(Frm->Cadencer->GetEnabled());
  // File, Exit asks the same question.
  Messages->Texts.clear();
  Frm->Exit1->Click();
  Pump();
  ASSERT_EQ(Messages->Texts.size(), 1u);
  EXPECT_EQ(Messages->Texts[0], "Exit program");
  EXPECT_TRUE(Frm->Visible());
  EXPECT_TRUE(Frm->Cadencer->GetEnabled());
  Messages->Answer = mrYes;
  EXPECT_TRUE(Frm->FormCloseQuery());
  EXPECT_TRUE(Frm->Stopped);
  EXPECT_FALSE(Frm->Cadencer->GetEnabled());
}

TEST_F(MainWindow, ClipLinksOpenTheVideoWindow)
{
  Frm->VideoMode = 0;
  bool shown = WithModal([] {
    Follow(
        "\xA3"
        "clip.avi");
  });
  // Without a media back end the window cannot open the clip: then the error box says so.
  EXPECT_TRUE(shown || Messages->Texts.size() == 1u);
  if (shown) {
    EXPECT_TRUE(Messages->Texts.empty());
  }
}

TEST_F(MainWindow, OneErrorBoxAtATime)
{
  // A box whose own loop meets another error (a clock tick, say) shows no second box.
  int boxes = 0;
  SetMessageAnswerer([&](const TMessageRequest& r) {
    ++boxes;
    Frm->AppException(nullptr, Exception("again"));
    Messages->Texts.push_back(r.Text);
    return mrOk;
  });
  Frm->AppException(nullptr, Exception("first"));
  EXPECT_EQ(boxes, 1);
  Frm->AppException(nullptr, Exception("later"));
  EXPECT_EQ(boxes, 2);
  SetMessageAnswerer([](const TMessageRequest& r) {
    Messages->Texts.push_back(r.Text);
    return Messages->Answer;
  });
}

TEST_F(MainWindow, HelpFromTheMenuAndFromF1)
{
  ASSERT_TRUE(Frm->Contents1->Enabled());
  ASSERT_TRUE(Frm->SearchForHelp1->Enabled());
  Frm->Contents1->Click();
  Pump(50);
  ASSERT_NE(HelpViewerWindow(), nullptr);
  std::string contents = HelpViewerWindow()->CurrentTopic();
  EXPECT_FALSE(contents.empty());
  CloseHelpViewer();
  Pump(50);
  // F1 in the page pane: the main window's page.
  Frm->Viewer->PaintPanel()->SetFocus();
  Pump(50);
  SimulateKey(VK_F1);
  Pump(50);
  ASSERT_NE(HelpViewerWindow(), nullptr);
  EXPECT_NE(HelpViewerWindow()->CurrentTopic().find("MainWindow.htm"), std::string::npos)
      << HelpViewerWindow()->CurrentTopic();
  EXPECT_NE(HelpViewerWindow()->CurrentTopic(), contents);
  CloseHelpViewer();
  Pump(50);
}

TEST_F(MainWindow, TestsTakeTheTopicsOrTheMenusCategoryAndOpenOverTheLeftPane)
{
  TTestWindows& tests = Frm->TestWindows;
  struct TCloseTest {
    TTestWindows& Tests;
    ~TCloseTest() { Tests.FreeTestWindow(); }
  } closeTest{tests};
  auto screenRect = [](TControl* c) {
    TPoint o = c->ClientToScreen({0, 0});
    return Bounds(o.X, o.Y, c->Width(), c->Height());
  };
  // Every question of the test shown has category bit; with bit -1, no category is common
  // to all (a test of all topics).
  auto expectCategory = [&](int bit) {
    ASSERT_NE(tests.TestFrm(), nullptr);
    const TQuestionList& q = tests.TestFrm()->Questions;
    ASSERT_EQ(q.size(), MaxTestQuestions);
    TTopicCategories common = 0xFFFF;
    for (const auto& question : q)
      common &= question->Topics;
    if (bit < 0)
      EXPECT_EQ(common, 0) << "a test of every topic";
    else
      EXPECT_NE(common & (1u << bit), 0u) << "category " << bit;
  };

  // The toolbar's "test" asks about the topic shown, over the 3D view.
  Follow("/Ratchet.htm");
  ASSERT_EQ(Frm->CurrentTopic, 37);
  Frm->TestBtn->Click();
  Pump();
  expectCategory(4);
  TTestFrm* window = tests.TestFrm();
  EXPECT_EQ(window->BoundsRect(), screenRect(Frm->GLViewer));

  // The Test menu: "All topics", then each category by its place in the menu; the open
  // window is reloaded.
  Frm->AllTopics1->Click();
  Pump();
  EXPECT_EQ(tests.TestFrm(), window);
  expectCategory(-1);
  for (int i : {0, 6, 10}) {
    Frm->TestCategoryItems[size_t(i)]->Click();
    Pump();
    EXPECT_EQ(tests.TestFrm(), window);
    expectCategory(i);
  }
  tests.FreeTestWindow();

  // On the cam graph the window covers the drawing below its bars.
  Follow("/Cam_Box.htm");
  ASSERT_EQ(Frm->CurrentTopic, 40);
  Frm->TestBtn->Click();
  Pump();
  expectCategory(-1);
  EXPECT_EQ(tests.TestFrm()->BoundsRect(), screenRect(Frm->pic));
  EXPECT_GE(tests.TestFrm()->Top(), screenRect(Frm->GDIPanel).Bottom);
}

TEST_F(MainWindow, LeverToolbarTakesTheControlPagesPlace)
{
  // Swapping the control pages for the lever toolbar must not resize the 3D view: a resize
  // costs a frame drawn at once.
  Follow("/TwoCog.htm");
  TRect view = Frm->GLViewer->BoundsRect();
  Follow("/Lever_Class1.htm");
  EXPECT_EQ(Frm->GLViewer->BoundsRect(), view) << Frm->LeverToolbar->Height() << " " << Frm->ToolPC->Height();
  Follow("/TwoCog.htm");
  EXPECT_EQ(Frm->GLViewer->BoundsRect(), view);
}

TEST_F(MainWindow, ErrorBoxText)
{
  EXPECT_EQ(TKVMainFrm::ErrorBoxText("Bad thing"),
            "Bad thing\r\nAn unexpected error has occured.\r\nIf the problem persists, please report it to\r\n"
                + std::string(PublisherName));
}

TEST_F(MainWindow, PicturesOfTopicsInTheWindow)
{
  Follow("/TwoCog.htm");
  SaveWindowPicture(*Frm, "mainwindow-topic-1.png");
  Follow("/Cam_Circular.htm#CIRCULAR");
  SaveWindowPicture(*Frm, "mainwindow-topic-13.png");
  Follow("/Lever_Class2.htm");
  Frm->LeverBtn1Click(Frm->LeverBtn2);
  EXPECT_EQ(Frm->LeverExample, 1);
  SaveWindowPicture(*Frm, "mainwindow-topic-27-1.png");
  Follow("/Cam_Box.htm");
  SaveWindowPicture(*Frm, "mainwindow-topic-40.png");
}

namespace {

// Runs the application's own loop (idle passes included, as the program runs it) until
// done() holds or ms milliseconds have gone by; gives done().
bool RunLoopUntil(const std::function<bool()>& done, Cardinal ms = 2000)
{
  Cardinal start = GetTickCount();
  while (!done() && GetTickCount() - start < ms)
    Application->HandleMessage();
  return done();
}

}   // namespace

TEST_F(MainWindow, IdleWorkGoesOnWhileTheModelTurns)
{
  Follow("/TwoCog.htm");
  Frm->IndexBtnClick(nullptr);
  ASSERT_TRUE(RunLoopUntil([] { return !Frm->IndexBtn->Enabled(); }));
  // The clock ticks on as fast as it can; a reference page keeps the model turning.
  Frm->StartBtnClick(nullptr);
  Follow("/ref_Moments.htm");
  ASSERT_FALSE(Frm->Stopped);
  EXPECT_TRUE(RunLoopUntil([] { return Frm->IndexBtn->Enabled(); })) << "the home button stayed off";
  // The status line follows the pointer over the turning model.
  TPoint over = Frm->GLViewer->ClientToScreen({Frm->GLViewer->Width() / 2, Frm->GLViewer->Height() / 2});
  Frm->Viewer->SetFocus();
  SimulateMouse(TInputKind::MouseMove, over, mbLeft, 0);
  EXPECT_TRUE(RunLoopUntil([] { return Frm->StatusBar->SimpleText() == Frm->GLViewer->Hint(); }))
      << Frm->StatusBar->SimpleText();
  EXPECT_GT(Frm->Phase, 0);
  EXPECT_FALSE(Frm->Stopped);
  Frm->StopBtnClick(nullptr);
}

TEST_F(MainWindow, FileAndEditMenusOfferTheModelsCommandsOnlyWhileItShows)
{
  for (bool model : {false, true}) {
    SCOPED_TRACE(model ? "3D model" : "cam graph");
    Follow(model ? "/TwoCog.htm" : "/Cam_Box.htm");
    ASSERT_EQ(Frm->GLPanel->Visible(), model);
    // The text item follows the page's selection (none yet), whatever the left pane shows and
    // whatever the copy button, which waits for the idle pass, still says.
    ASSERT_EQ(Frm->Viewer->SelLength(), 0);
    Frm->CopyBtn->SetEnabled(true);
    Frm->File1Click(Frm->File1, false);
    Frm->Edit1Click(Frm->Edit1, false);
    EXPECT_EQ(Frm->PrintMechanism1->Enabled(), model);
    EXPECT_TRUE(Frm->PrintText1->Enabled());
    EXPECT_EQ(Frm->CopyMechanism1->Enabled(), model);
    EXPECT_EQ(Frm->CopyMechanismToFile1->Enabled(), model);
    EXPECT_FALSE(Frm->CopySelectedText1->Enabled());
  }
}

TEST_F(MainWindow, SelectingPageTextOffersItsCopyAndCtrlCCopiesIt)
{
  Follow("/Chain.htm");
  Pump(50);
  TControl* panel = Frm->Viewer->PaintPanel();
  // A drag along the page's first lines, as the user selects.
  TPoint from = panel->ClientToScreen({12, 24}), to = panel->ClientToScreen({panel->Width() / 2, 70});
  SimulateMouse(TInputKind::MouseMove, from);
  SimulateMouse(TInputKind::MouseDown, from);
  for (int i = 1; i <= 4; ++i)
    SimulateMouse(TInputKind::MouseMove, {from.X + (to.X - from.X) * i / 4, from.Y + (to.Y - from.Y) * i / 4}, mbLeft,
                  ssLeft);
  SimulateMouse(TInputKind::MouseUp, to);
  Pump(50);
  // The caret ends where the drag ended: after the text it selected.
  ASSERT_LT(Frm->Viewer->SelLength(), 0);
  EXPECT_TRUE(Frm->CopyBtn->Enabled());
  Clipboard().Clear();
  Frm->Viewer->SetFocus();
  Pump(20);
  // Ctrl+C at once, before the idle pass has told the button (on a heavy page it comes late).
  Frm->CopyBtn->SetEnabled(false);
  SimulateKey('C', ssCtrl);
  Pump(50);
  const std::u16string selected = Frm->Viewer->SelText();
  EXPECT_FALSE(selected.empty());
  EXPECT_EQ(Clipboard().AsTextW(), selected);
  // A click without a drag lets the selection go, and the button with it.
  SimulateMouse(TInputKind::MouseDown, to);
  SimulateMouse(TInputKind::MouseUp, to);
  Pump(50);
  EXPECT_EQ(Frm->Viewer->SelLength(), 0);
  EXPECT_FALSE(Frm->CopyBtn->Enabled());
}

TEST_F(MainWindow, FontItemsSetTheSizeAndLayTheShownPageOutAgain)
{
  // The index has no file: it is made again at the new size.
  Frm->IndexBtnClick(nullptr);
  Pump();
  const int32_t index10 = Frm->Viewer->DocumentHeight();
  Frm->Font14pt->Click();
  Pump();
  EXPECT_TRUE(Frm->Font14pt->Checked());
  EXPECT_FALSE(Frm->Font10pt->Checked());
  EXPECT_EQ(Frm->Viewer->DefFontSize(), 14);
  EXPECT_TRUE(Frm->Viewer->CurrentFile().empty());
  EXPECT_GT(Frm->Viewer->DocumentHeight(), index10);
  // A page file is loaded again, and stays the page shown.
  Follow("/Chain.htm");
  const int32_t page14 = Frm->Viewer->DocumentHeight();
  Frm->Font8pt->Click();
  Pump();
  EXPECT_EQ(Frm->Viewer->DefFontSize(), 8);
  EXPECT_EQ(UpperCase(LoadedPage()), "CHAIN.HTM");
  EXPECT_LT(Frm->Viewer->DocumentHeight(), page14);
  Frm->Font10pt->Click();
  Pump();
  EXPECT_EQ(Frm->Viewer->DefFontSize(), 10);
}

// Windows of their own, made while no other main window stands.

namespace {
std::vector<uint8_t> ToBytes(const std::string& s) { return {s.begin(), s.end()}; }
}   // namespace

TEST(MainWindowAlone, LeftPaneIsHalfTheWorkAreaWhereverItStarts)
{
  // A taskbar on the left: the work area starts at 100.
  TSystemSettings s = SystemSettings();
  TMonitorInfo m;
  m.Bounds = Rect(0, 0, 1280, 1024);
  m.WorkArea = Rect(100, 0, 1280, 1000);
  m.Primary = true;
  s.Monitors = {m};
  SetSystemSettings(s);
  {
    TKVMainFrm f(MakeAppFolder("mainwindow-workarea"));
    EXPECT_EQ(f.Left(), 100);
    EXPECT_EQ(f.Width(), 1180);
    EXPECT_EQ(f.Height(), 1000);
    EXPECT_EQ(f.LeftPanel->Width(), 1180 / 2 - 10);
  }
  ResetSystemSettings();
}

TEST(MainWindowAlone, TheIniFileSetsTheSaveFolderAndThePlayer)
{
  const std::string folder = MakeAppFolder("mainwindow-ini", false);
  {
    // Sections and keys are found whatever their case.
    WriteFileBytes(folder + "Tarv.ini", ToBytes("[userdir]\r\nDIR=/home/pupil/pictures\r\n[Video]\r\nmp=1\r\n"));
    TKVMainFrm f(folder);
    EXPECT_EQ(f.UserDir, "/home/pupil/pictures");
    EXPECT_EQ(f.VideoMode, 1);
  }
  {
    // A folder where the file should be is no file; the window made before leaves it no
    // folder either.
    fs::remove(folder + "Tarv.ini");
    fs::create_directory(folder + "Tarv.ini");
    TKVMainFrm f(folder);
    EXPECT_EQ(f.UserDir, "");
    EXPECT_EQ(f.VideoMode, 0);
  }
  {
    // Keys that are not there keep the defaults; nothing is written back.
    fs::remove(folder + "Tarv.ini");
    WriteFileBytes(folder + "Tarv.ini", ToBytes("[video]\r\nMP=none\r\n"));
    TKVMainFrm f(folder);
    EXPECT_EQ(f.UserDir, "");
    EXPECT_EQ(f.VideoMode, 0);
    EXPECT_EQ(ReadFileBytes(folder + "Tarv.ini", 1024), ToBytes("[video]\r\nMP=none\r\n"));
  }
}

TEST(MainWindowAlone, StartsWithContentFilesItCannotRead)
{
  const std::string folder = MakeAppFolder("mainwindow-badfiles", false);
  std::vector<uint8_t> junk(400, 0x5A);
  junk[0] = 0xFF;
  junk[1] = 0xD8;
  WriteFileBytes(folder + "HTML/images/Splash_NB.jpg", junk);
  WriteFileBytes(folder + "HTML/images/Tick.bmp", junk);
  WriteFileBytes(folder + "Help/KVHelp.chm", junk);
  WriteFileBytes(folder + "Tarv.ini", junk);
  std::vector<std::string> reported;
  SetMessageAnswerer([&](const TMessageRequest& r) {
    reported.push_back(r.Text);
    return mrOk;
  });
  std::unique_ptr<TKVMainFrm> f;
  EXPECT_NO_THROW(f = std::make_unique<TKVMainFrm>(folder));
  ASSERT_TRUE(f);
  // The two pictures are reported in the window's own error box, as any later error is, each
  // naming its file; the rest keep their defaults, and the damaged help file is left
  // to the viewer to report.
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[1], TKVMainFrm::ErrorBoxText(folder + "HTML/images/Tick.bmp: Bitmap image is not valid"));
  EXPECT_EQ(reported[0].rfind(folder + "HTML/images/Splash_NB.jpg: JPEG error #", 0), 0u) << reported[0];
  EXPECT_NE(reported[0].find("\r\nAn unexpected error has occured.\r\n"), std::string::npos) << reported[0];
  EXPECT_TRUE(f->SplashPic->Picture().Empty());
  EXPECT_TRUE(f->Contents1->Enabled());
  EXPECT_TRUE(f->SearchForHelp1->Enabled());
  EXPECT_EQ(f->VideoMode, 0);
  EXPECT_NE(f->Viewer->DocumentSource().find("Click on one of the book symbols"), std::string::npos);
  // And a model comes up.
  f->Viewer->URL = "/TwoCog.htm";
  GuardedCall([&] { f->Viewer->FollowLink(); });
  EXPECT_EQ(f->CurrentTopic, 1);
  EXPECT_GT(f->SceneBase->GetCount(), 0);
  f.reset();
  SetMessageAnswerer({});
}

TEST(MainWindowAlone, ANarrowedWindowKeepsThePagePaneInViewAndAWiderOneGivesTheModelPaneItsShare)
{
  TKVMainFrm f(MakeAppFolder("mainwindow-narrow"));
  f.SetBounds(0, 0, 1280, 1000);
  f.LeftPanel->SetWidth(1000);
  f.SetBounds(0, 0, 700, 600);
  // The splitter and at least its minimum of page pane stay inside the window.
  EXPECT_LE(f.Splitter->Left() + f.Splitter->Width(), f.ClientWidth() - 50);
  EXPECT_GE(f.RightPanel->Width(), 50);
  EXPECT_EQ(f.RightPanel->Left() + f.RightPanel->Width(), f.ClientWidth());
  // Far too narrow for both: the model pane keeps its minimum.
  f.SetBounds(0, 0, 60, 600);
  EXPECT_EQ(f.LeftPanel->Width(), 50);
  // Widening again gives the model pane back its share, the width it was given.
  f.SetBounds(0, 0, 1280, 1000);
  EXPECT_EQ(f.LeftPanel->Width(), 1000);
  // A width set since is the share from then on, through a narrowing and a widening.
  f.LeftPanel->SetWidth(320);
  f.SetBounds(0, 0, 640, 1000);
  EXPECT_EQ(f.LeftPanel->Width(), 160);
  f.SetBounds(0, 0, 1280, 1000);
  EXPECT_EQ(f.LeftPanel->Width(), 320);
}

TEST(MainWindowAlone, ALinkToATopicWithADamagedModelGivesOneMessageAndTheRestOfTheScene)
{
  std::string folder = MakeAppFolder("mainwindow-badmodels", false);
  WriteFileBytes(folder + "3DS/Arm_01.3ds", std::vector<uint8_t>(64, 0x4D));
  std::vector<std::string> texts;
  SetMessageAnswerer([&](const TMessageRequest& r) {
    texts.push_back(r.Text);
    return mrOk;
  });
  TKVMainFrm f(folder);
  f.Viewer->URL = "/Lever_Class3.htm";
  GuardedCall([&] { f.Viewer->FollowLink(); });
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find("Arm_01.3ds"), std::string::npos) << texts[0];
  EXPECT_NE(texts[0].find("\r\nAn unexpected error has occured.\r\n"), std::string::npos) << texts[0];
  EXPECT_EQ(f.CurrentTopic, 28);
  // The upper arm stays empty; forearm, hand, muscle and labels stand.
  ASSERT_EQ(f.SceneBase->GetCount(), 5);
  EXPECT_EQ(f.SceneBase->GetChildAs<TFreeForm>(0)->MeshObjectCount(), 0);
  // The link still shows its page beside the topic's controls.
  EXPECT_EQ(fs::path(f.Viewer->CurrentFile()).filename().string(), "Lever_Class3.htm");
  // The clock and the step bar move what is there.
  f.CadencerProgress(nullptr, 0.5, 0.5);
  int32_t pos = 90;
  f.RTChsbScroll(nullptr, scPosition, pos);
  EXPECT_EQ(texts.size(), 1u);
  // The program goes on: the next topic builds.
  f.Viewer->URL = "/TwoCog.htm";
  GuardedCall([&] { f.Viewer->FollowLink(); });
  EXPECT_EQ(f.CurrentTopic, 1);
  EXPECT_GT(f.SceneBase->GetCount(), 0);
  SetMessageAnswerer({});
}

// ---------------------------------------------------------------------------------------
// The animation drive
