#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/JpegImage.h"
#include "platform/ShellApi.h"
#include "shell/About.h"
#include "shell/BigPicture.h"
#include "shell/Splash.h"
#include "shell/Video.h"
#include "tests/platform/VideoClipSupport.h"
#include "tests/shell/PictureOutput.h"

namespace {

// A program folder of its own with the pictures the windows look for.
std::string MakeAppFolder(const char* name, bool withPictures)
{
  std::filesystem::path root = std::filesystem::path(ORRELO_TEST_OUTPUT) / name;
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "HTML" / "images");
  if (withPictures)
    for (const char* file : {"Splash_B.jpg", "Splash_NB.jpg"}) {
      TBitmap b(file[7] == 'B' ? 200 : 180, 120);
      b.Fill(clTeal);
      TJPEGImage jpeg;
      jpeg.Assign(b);
      jpeg.SaveToFile((root / "HTML" / "images" / file).string());
    }
  return root.string() + "/";
}

std::string WritePicture(const std::string& name, int w, int h)
{
  std::string file = std::string(ORRELO_TEST_OUTPUT) + "/" + name;
  TBitmap b(w, h);
  b.Fill(clYellow);
  TJPEGImage jpeg;
  jpeg.Assign(b);
  jpeg.SaveToFile(file);
  return file;
}

struct TMessages {
  TMessages()
  {
    SetMessageAnswerer([this](const TMessageRequest& r) {
      Texts.push_back(r.Text);
      return mrOk;
    });
  }
  ~TMessages() { SetMessageAnswerer(nullptr); }
  std::vector<std::string> Texts;
};

}   // namespace

TEST(SmallDialogsTest, SplashShowsItsPictureOrStaysAtItsSize)
{
  TSplashFrm splash(MakeAppFolder("splash", true));
  EXPECT_EQ(splash.BorderStyle(), bsNone);
  EXPECT_EQ(splash.FormStyle(), fsStayOnTop);
  EXPECT_EQ(splash.Pic->Width(), 200);
  splash.Show();
  EXPECT_EQ(splash.ClientWidth(), 200);
  EXPECT_EQ(splash.ClientHeight(), 120);
  TRect work = Screen().WorkAreaRect();
  EXPECT_EQ(splash.Left(), work.Left + (work.Width() - 200) / 2);
  splash.Hide();

  TSplashFrm bare(MakeAppFolder("nosplash", false));
  bare.Show();
  EXPECT_TRUE(bare.Pic->Picture().Empty());
  EXPECT_EQ(bare.ClientWidth(), 400);
  EXPECT_EQ(bare.ClientHeight(), 300);
  bare.Hide();
}

TEST(SmallDialogsTest, AboutBoxTextsAndLink)
{
  TAboutFrm about(MakeAppFolder("about", true));
  EXPECT_EQ(about.Caption(), "About");
  EXPECT_EQ(about.BorderStyle(), bsToolWindow);
  EXPECT_EQ(about.Font().Height(), -MulDiv(8, ScreenPixelsPerInch(), 72));
  EXPECT_EQ(about.VersionLabel->Caption(), "Version " + VersionString());
  EXPECT_EQ(about.Image1->Width(), 180);
  EXPECT_EQ(about.Panel1->Color(), clWhite);
  EXPECT_EQ(about.Panel1->BevelOuter(), bvLowered);
  EXPECT_EQ(about.SpeedButton1->Caption(), "OK");
  EXPECT_EQ(about.Label1->Cursor(), crHandPoint);
  EXPECT_EQ(about.Label1->Font().Color(), clBlue);
  EXPECT_TRUE(about.Label1->Font().Style() & fsUnderline);

  std::vector<std::string> opened;
  SetShellOpenHandler([&](const std::string& t) {
    opened.push_back(t);
    return true;
  });
  about.Label1->OnClick(about.Label1);
  SetShellOpenHandler(nullptr);
  EXPECT_EQ(opened, std::vector<std::string>{PublisherWebAddress});
  // No browser to open it: the click says so.
  SetShellOpenHandler([](const std::string&) { return false; });
  try {
    about.Label1->OnClick(about.Label1);
    ADD_FAILURE() << "a web page that could not be opened went unreported";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message.find(PublisherWebAddress), std::string::npos) << e.Message;
  }
  SetShellOpenHandler(nullptr);
  about.SpeedButton1->Click();
  EXPECT_EQ(about.ModalResult(), mrOk);

  TAboutFrm plain(MakeAppFolder("aboutbare", false));
  EXPECT_TRUE(plain.Image1->Picture().Empty());
}

TEST(SmallDialogsTest, AboutBoxMakesRoomForALargePicture)
{
  // The program's own picture is 400 by 240, larger than the box's first layout.
  std::string folder = MakeAppFolder("aboutlarge", true);
  TBitmap b(400, 240);
  b.Fill(clTeal);
  TJPEGImage jpeg;
  jpeg.Assign(b);
  jpeg.SaveToFile(folder + "HTML/images/Splash_NB.jpg");
  for (const char* which : {"large", "small"}) {
    SCOPED_TRACE(which);
    TAboutFrm about(which[0] == 'l' ? folder : MakeAppFolder("aboutsmall", true));
    const TRect inner = about.Panel1->ClientRect();
    EXPECT_LE(about.Image1->Left() + about.Image1->Width(), inner.Right);
    EXPECT_LE(about.Image1->Top() + about.Image1->Height(), about.VersionLabel->Top());
    EXPECT_LE(about.VersionLabel->Top() + about.VersionLabel->Height(), inner.Bottom);
    // Below the panel, in order and inside the box.
    EXPECT_GE(about.Label1->Top(), about.Panel1->Top() + about.Panel1->Height());
    EXPECT_GE(about.Label4->Top(), about.Label1->Top() + about.Label1->Height());
    EXPECT_GE(about.SpeedButton1->Top(), about.Label4->Top() + about.Label4->Height());
    EXPECT_LE(about.SpeedButton1->Top() + about.SpeedButton1->Height(), about.ClientHeight());
    EXPECT_LE(about.Panel1->Left() + about.Panel1->Width(), about.ClientWidth());
    EXPECT_EQ(about.SpeedButton1->Left() + about.SpeedButton1->Width(), about.Panel1->Left() + about.Panel1->Width());
  }
  // A picture that fits keeps the box at its first size.
  TAboutFrm small(MakeAppFolder("aboutsmall", true));
  EXPECT_EQ(small.ClientWidth(), 330);
  EXPECT_EQ(small.ClientHeight(), 330);
}

TEST(SmallDialogsTest, EscapeClosesTheAboutBoxAndTheEnlargedPicture)
{
  // Neither has a button the form's default keys reach: the About box's OK is a speed
  // button and the picture closes by a click on itself.
  {
    TAboutFrm about(MakeAppFolder("aboutkeys", true));
    about.Show();
    Application->ProcessMessages();
    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(about.ModalResult(), mrOk);
    about.SetModalResult(mrNone);
    SimulateKey(VK_RETURN);
    EXPECT_EQ(about.ModalResult(), mrOk);
    about.Hide();
  }
  TBigPicFrm big(WritePicture("bigpickeys.jpg", 60, 40));
  big.Show();
  Application->ProcessMessages();
  SimulateKey(VK_SPACE);
  EXPECT_EQ(big.ModalResult(), mrNone);
  SimulateKey(VK_ESCAPE);
  EXPECT_EQ(big.ModalResult(), mrOk);
  big.Hide();
}

TEST(SmallDialogsTest, EnlargedPictureSizesCopiesAndCloses)
{
  std::string file = WritePicture("bigpic.jpg", 150, 90);
  TBigPicFrm big(file);
  EXPECT_EQ(big.Caption(), " ");
  EXPECT_EQ(big.BorderStyle(), bsDialog);
  EXPECT_EQ(big.ClientWidth(), 150);
  EXPECT_EQ(big.ClientHeight(), 90);
  ASSERT_EQ(big.PUM->Count(), 2);
  EXPECT_EQ(big.PUM->Items(0)->Caption(), "Copy picture to clipboard");
  EXPECT_EQ(big.PUM->Items(1)->Caption(), "Copy picture to file..");

  big.CopyToClipboard1Click(nullptr);
  std::unique_ptr<TBitmap> clip = Clipboard().GetBitmap();
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(clip->Width(), 150);

  // The chosen name keeps its folder but takes the picture's extension.
  std::string chosen = std::string(ORRELO_TEST_OUTPUT) + "/copied.png";
  std::filesystem::remove(std::string(ORRELO_TEST_OUTPUT) + "/copied.jpg");
  big.InitialDir = "/somewhere";
  SetDialogAnswerer([&](TCommonDialog& d) {
    auto& save = dynamic_cast<TSaveDialog&>(d);
    EXPECT_EQ(save.Title, "Copy the picture to a file");
    EXPECT_EQ(save.DefaultExt, ".jpg");
    EXPECT_EQ(save.Filter, "pictures files|*.jpg");
    EXPECT_EQ(save.FileName, "bigpic.jpg");
    EXPECT_EQ(save.InitialDir, "/somewhere");
    EXPECT_TRUE(save.Options & ofOverwritePrompt);
    save.FileName = chosen;
    return true;
  });
  big.CopyToFile1Click(nullptr);
  SetDialogAnswerer(nullptr);
  EXPECT_EQ(ReadFileBytes(std::string(ORRELO_TEST_OUTPUT) + "/copied.jpg", 1 << 20), ReadFileBytes(file, 1 << 20));

  {
    TMessages messages;
    EXPECT_FALSE(CopyPictureFile(file, "/nonexistent/folder/x.bmp"));
    ASSERT_EQ(messages.Texts.size(), 1u);
    // The box says why, below its first lines.
    EXPECT_EQ(messages.Texts[0],
              "Unable to copy file\r/nonexistent/folder/x.jpgto the specified destination\r\n"
              "Cannot create file \"/nonexistent/folder/x.jpg\". No such file or directory");
  }

  // A click on the picture closes the window.
  big.Show();
  TPoint p = big.MagPic->ClientToScreen({10, 10});
  SimulateMouse(TInputKind::MouseDown, p);
  SimulateMouse(TInputKind::MouseUp, p);
  EXPECT_EQ(big.ModalResult(), mrOk);
  big.Hide();

  EXPECT_THROW(TBigPicFrm(std::string(ORRELO_TEST_OUTPUT) + "/missing.gif"), Exception);
  EXPECT_EQ(ChangeFileExt("/a.b/c", ".jpg"), "/a.b/c.jpg");
  EXPECT_EQ(ChangeFileExt("c.JPEG", ".jpg"), "c.jpg");
  EXPECT_EQ(ExtractFileName("C:\\x\\y.gif"), "y.gif");
}

TEST(SmallDialogsTest, VideoWindowRefusesAClipItCannotOpen)
{
  EXPECT_THROW(TVideoFrm("/nonexistent/clip.avi"), EMCIDeviceError);
}

TEST(SmallDialogsTest, VideoWindowPlaysInALoopAndZooms)
{
  if (!TMediaPlayer::Available())
    GTEST_SKIP() << "no media back end";
  videoclip::RunIsolated([] {
    std::string clip = std::string(ORRELO_TEST_OUTPUT) + "/video.avi";
    videoclip::WriteClip(clip, 80, 60, std::vector<TColor>(4, clGreen), 10);
    TVideoFrm video(clip);
    EXPECT_EQ(video.Caption(), "Video clip");
    EXPECT_EQ(video.OrigRect, Rect(0, 0, 80, 60));
    EXPECT_EQ(video.ClientWidth(), 80);
    EXPECT_EQ(video.ClientHeight(), 60 + video.ToolPnl->Height());
    EXPECT_FALSE(video.PlayBtn->Enabled());
    EXPECT_TRUE(video.StopBtn->Enabled());
    EXPECT_FALSE(video.RewindBtn->Enabled());
    EXPECT_EQ(video.StopBtn->Caption(), "stop ");
    EXPECT_EQ(video.CloseBtn->Hint(), "Close video clip");

    // The buttons stay side by side inside the bar, however narrow the clip.
    auto buttonsInARow = [&video] {
      TSpeedButton* row[] = {video.PlayBtn, video.StopBtn, video.RewindBtn, video.ZoomBtn, video.CloseBtn};
      for (int i = 0; i < 5; ++i) {
        EXPECT_GE(row[i]->Left(), i == 0 ? 0 : row[i - 1]->Left() + row[i - 1]->Width()) << i;
        EXPECT_GT(row[i]->Width(), 0) << i;
      }
      EXPECT_LE(video.CloseBtn->Left() + video.CloseBtn->Width(), video.ToolPnl->ClientWidth());
    };
    video.Show();
    EXPECT_EQ(video.player->DisplayRect(), video.VidPanel->ClientRect());
    EXPECT_EQ(video.CloseBtn->Left() + video.CloseBtn->Width() + 4, video.ToolPnl->ClientWidth());
    buttonsInARow();
    // The clip (0.4 s) keeps playing well past its end.
    Cardinal start = GetTickCount();
    while (GetTickCount() - start < 1500)
      Application->ProcessMessages();
    EXPECT_TRUE(video.player->Playing());
    EXPECT_TRUE(video.player->Notify);

    video.PlayBtnClick(video.StopBtn);
    EXPECT_TRUE(video.PlayBtn->Enabled());
    EXPECT_FALSE(video.StopBtn->Enabled());
    EXPECT_TRUE(video.RewindBtn->Enabled());
    video.PlayBtnClick(video.RewindBtn);
    EXPECT_FALSE(video.PlayBtn->Enabled());
    EXPECT_TRUE(video.StopBtn->Enabled());
    EXPECT_FALSE(video.RewindBtn->Enabled());

    video.ZoomBtn->Click();
    ASSERT_TRUE(video.ZoomBtn->Down());
    double f = Screen().Width() == 800 ? 1.8 : 2.0;
    EXPECT_EQ(video.ClientWidth(), Round(80 * f));
    EXPECT_EQ(video.player->DisplayRect().Width(), Round(80 * f));
    buttonsInARow();
    video.ZoomBtn->Click();
    EXPECT_EQ(video.ClientWidth(), 80);
    EXPECT_EQ(video.ClientHeight(), 60 + video.ToolPnl->Height());

    SimulateKey(VK_ESCAPE);
    EXPECT_EQ(video.ModalResult(), mrOk);
    video.SetModalResult(mrNone);
    video.CloseBtn->Click();
    EXPECT_EQ(video.ModalResult(), mrOk);
    video.Hide();
    EXPECT_FALSE(video.player->IsOpen());
  });
}

TEST(SmallDialogsTest, RenderingOfTheAboutBox)
{
  TAboutFrm about(MakeAppFolder("aboutshot", true));
  TBitmap shot(about.Width(), about.Height());
  about.PaintTo(shot.Canvas(), 0, 0);
  // The link's blue and the panel's white are there.
  bool blue = false;
  for (int y = about.Label1->Top(); y < about.Label1->Top() + about.Label1->Height(); ++y)
    for (int x = about.Label1->Left(); x < about.Label1->Left() + about.Label1->Width(); ++x)
      blue = blue || (shot.GetPixel(x, y) & 0xFFFFFF) == clBlue;
  EXPECT_TRUE(blue);
  EXPECT_EQ(shot.GetPixel(about.Panel1->Left() + 300, about.Panel1->Top() + 215) & 0xFFFFFF, clWhite);
  SaveTestPicture(shot, "about.png");
}
