// The model's picture: printing, the clipboard, JPEG files; the page pictures' popup.
#include "shell/ModelPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>

#include "engine/GLViewer.h"
#include "html/Pictures.h"
#include "platform/BmpFile.h"
#include "platform/Clipboard.h"
#include "platform/Files.h"
#include "platform/JpegImage.h"
#include "shell/BigPicture.h"
#include "shell/PrintHelpers.h"
#include "shell/UserInfo.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/platform/ModalSupport.h"
#include "tests/platform/SmallDisk.h"
#include "tests/shell/PictureOutput.h"

using namespace printtest;

namespace {

// A picture with a red left half and a blue right half.
TBitmap TwoColours(Integer w, Integer h)
{
  TBitmap b(w, h);
  b.Fill(clBlue);
  b.Canvas().FillRect(Rect(0, 0, w / 2, h), clRed);
  return b;
}

// Message boxes are answered and remembered.
class ModelPictureTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Dir = std::string(ORRELO_TEST_OUTPUT) + "/mechanism/"
          + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    SetMessageAnswerer([this](const TMessageRequest& r) {
      Messages.push_back(r.Text);
      return r.Buttons & mbYes ? Answer : mrOk;
    });
  }
  void TearDown() override
  {
    SetMessageAnswerer(nullptr);
    SetDialogAnswerer(nullptr);
    // A fresh printer: no paper chosen here reaches the next test.
    SetPrinter(std::make_unique<TPrinter>());
  }
  // Runs a program reading the clipboard while this program answers it.
  static std::string ReadClipboardWith(const std::string& command)
  {
    auto result = std::async(std::launch::async, [command] { return testcmd::Output(command); });
    while (result.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
      Application->ProcessMessages();
    return result.get();
  }

  std::string Dir;
  std::vector<std::string> Messages;
  TModalResult Answer = mrYes;
};


}   // namespace

TEST(MechanismPicture, FitsThePictureOnThePageAndCentresIt)
{
  // A wide picture on a portrait page fills the width and is centred down the page.
  EXPECT_EQ(FitPictureOnPage(400, 200, 2000, 3000), Bounds(0, 1000, 2000, 1000));
  // A tall one fills the height and is centred across.
  EXPECT_EQ(FitPictureOnPage(100, 400, 2000, 3000), Bounds(625, 0, 750, 3000));
  // Exactly the page's shape fills it.
  EXPECT_EQ(FitPictureOnPage(200, 300, 2000, 3000), Bounds(0, 0, 2000, 3000));
  // Nothing to fit, or no page: nothing, and no division by zero.
  EXPECT_EQ(FitPictureOnPage(0, 300, 2000, 3000), Rect(0, 0, 0, 0));
  EXPECT_EQ(FitPictureOnPage(200, 300, 0, 3000), Rect(0, 0, 0, 0));
}

TEST_F(ModelPictureTest, PrintsThePictureWithTheNameToPdf)
{
  const std::string pdf = PrintToPdf("mechanism-picture.pdf", 150);
  const TBitmap picture = TwoColours(320, 240);
  EXPECT_TRUE(PrintBitmap(picture, "Jo Bloggs 4B"));
  EXPECT_EQ(Messages, (std::vector<std::string>{"Printing Completed!"}));
  EXPECT_FALSE(Printer().Printing());
  ASSERT_EQ(PageCount(pdf), 1);
  EXPECT_NE(Text(pdf).find("Jo Bloggs 4B"), std::string::npos);
  const std::vector<TWordBox> words = Words(pdf, 1);
  const TWordBox* name = FindWord(words, "Jo");
  ASSERT_NE(name, nullptr);
  // The name stands in the page's top-left corner.
  EXPECT_LT(name->XMin, 72);
  EXPECT_LT(name->YMin, 72);

  // The page as a picture: red on the left, blue on the right, across the whole width,
  // centred down the page.
  const std::string png = Dir + "/page";
  testcmd::Output("pdftoppm -r 20 -png -singlefile '" + pdf + "' '" + png + "'");
  TBitmap page;
  {
    std::unique_ptr<TBitmap> decoded;
    TTransparency t = NotTransp;
    std::unique_ptr<TBitmap> mask;
    decoded = LoadImageFromFile(png + ".png", t, mask);
    ASSERT_NE(decoded, nullptr);
    page = *decoded;
  }
  const Integer w = page.Width(), h = page.Height();
  auto near = [](TColor c, TColor want) {
    return std::abs(int(GetRValue(c)) - int(GetRValue(want))) < 40
           && std::abs(int(GetGValue(c)) - int(GetGValue(want))) < 40
           && std::abs(int(GetBValue(c)) - int(GetBValue(want))) < 40;
  };
  EXPECT_TRUE(near(page.GetPixel(w / 4, h / 2), clRed));
  EXPECT_TRUE(near(page.GetPixel(3 * w / 4, h / 2), clBlue));
  EXPECT_TRUE(near(page.GetPixel(w / 2, h / 8), clWhite));
  EXPECT_TRUE(near(page.GetPixel(w / 2, 7 * h / 8), clWhite));
}

TEST_F(ModelPictureTest, RefusalsAndCancellingLeaveNoJob)
{
  const TBitmap picture = TwoColours(64, 48);
  // A job already running.
  const std::string busy = PrintToPdf("mechanism-busy.pdf", 150);
  Printer().BeginDoc();
  EXPECT_FALSE(PrintBitmap(picture, "Ann"));
  EXPECT_EQ(Messages.back(), "Already printing... Please try again later!");
  Printer().EndDoc();

  // An empty picture.
  EXPECT_FALSE(PrintBitmap(TBitmap(), "Ann"));
  EXPECT_EQ(Messages.back(), "Bitmap load error");

  // Cancel pressed in the "Printing" window: the job is dropped, the windows work again.
  const std::string cancelled = PrintToPdf("mechanism-cancelled.pdf", 150);
  TForm other;
  other.SetBounds(10, 10, 100, 100);
  other.Show();
  bool sawDisabled = false;
  modal::Later([&] {
    for (int i = 0; i < Screen().FormCount(); ++i)
      if (auto* d = dynamic_cast<TAbortDialog*>(Screen().Forms(i))) {
        EXPECT_EQ(d->Caption(), "Printing Page 1:1 - 0%");
        d->btnCancelClick(d);
      }
    sawDisabled = !other.Enabled();
  });
  EXPECT_FALSE(PrintBitmap(picture, "Ann"));
  EXPECT_TRUE(sawDisabled);
  EXPECT_EQ(Messages.back(), "Printing Aborted!");
  EXPECT_FALSE(Printer().Printing());
  EXPECT_TRUE(other.Enabled());
  EXPECT_FALSE(std::filesystem::exists(cancelled));

  // Through the spooler, on A0: Cancel at about 8% of the picture leaves no job and no file
  // in the queue.
  ASSERT_TRUE(PrintToQueue("A0", 150));
  const int jobs = QueueJobs();
  int cancelledAt = -1;
  std::function<void()> watch = [&] {
    for (int i = 0; i < Screen().FormCount(); ++i)
      if (auto* d = dynamic_cast<TAbortDialog*>(Screen().Forms(i))) {
        const std::string caption = d->Caption();
        const int percent = std::atoi(caption.substr(caption.rfind(' ') + 1).c_str());
        if (percent >= 8) {
          cancelledAt = percent;
          d->btnCancelClick(d);
          return;
        }
      }
    modal::Later(watch);
  };
  modal::Later(watch);
  EXPECT_FALSE(PrintBitmap(TwoColours(1600, 1200), "Ann"));
  EXPECT_GE(cancelledAt, 8);
  EXPECT_LT(cancelledAt, 50);
  EXPECT_EQ(Messages.back(), "USER_ABORT_OR_OTHER_ERROR!");
  EXPECT_TRUE(QueueIdle());
  EXPECT_EQ(QueueJobs(), jobs) << "the cancelled job reached the queue";
  EXPECT_FALSE(std::filesystem::exists(QueueOutput()));

  // A disk too small for the job: the error names the file and the cause, and the file
  // printed before is left as it was.
  const std::string old = PrintToPdf("mechanism-old.pdf", 150);
  EXPECT_TRUE(PrintBitmap(picture, "Ann"));
  const std::vector<uint8_t> oldBytes = ReadFileBytes(old, 1 << 24);
  ASSERT_GT(oldBytes.size(), 1000u);
  Messages.clear();
  {
    TFileSizeLimit full(oldBytes.size() / 2);
    EXPECT_FALSE(PrintBitmap(TwoColours(800, 600), "Ann"));
  }
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_NE(Messages[0].find(old), std::string::npos) << Messages[0];
  EXPECT_NE(Messages[0].find("File too large"), std::string::npos) << Messages[0];
  EXPECT_EQ(ReadFileBytes(old, 1 << 24), oldBytes);
  EXPECT_FALSE(Printer().Printing());

  // A job that cannot start is reported, not taken for a success.
  Messages.clear();
  Printer().SetOutputFileName("/nonexistent-folder/x.pdf");
  EXPECT_FALSE(PrintBitmap(picture, "Ann"));
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_NE(Messages[0], "Printing Completed!");
  EXPECT_TRUE(other.Enabled());
}

TEST_F(ModelPictureTest, PrintMechanismAsksTheNamePreviewsAndPrints)
{
  const TBitmap picture = TwoColours(200, 100);
  modal::InMessageLoop([&] {
    // The name dialog cancelled: nothing more happens.
    std::string name;
    const std::string none = PrintToPdf("mechanism-no-name.pdf", 150);
    modal::Later([] {
      if (auto* f = dynamic_cast<TUserFrm*>(Screen().ActiveForm()))
        f->SetModalResult(mrCancel);
    });
    PrintMechanismPicture(picture, name);
    EXPECT_FALSE(std::filesystem::exists(none));

    // With a name: the preview shows the picture across the page, keeping its shape.
    name = "Sam";
    const std::string pdf = PrintToPdf("mechanism-previewed.pdf", 150);
    SetDialogAnswerer([](TCommonDialog&) { return true; });
    modal::Later([&] {
      auto* f = dynamic_cast<TTarvPPFrm*>(Screen().ActiveForm());
      ASSERT_NE(f, nullptr);
      EXPECT_EQ(f->Caption(), "Print preview");
      EXPECT_NEAR(f->Image->Height(), f->Image->Width() / 2, 1);
      EXPECT_EQ(f->Image->Top() + f->Image->Height() / 2, f->PagePanel->Top() + f->PagePanel->Height() / 2);
      TBitmap shot(f->Width(), f->Height());
      f->PaintTo(shot.Canvas(), 0, 0);
      SaveTestPicture(shot, "mechanism-print-preview.png");
      f->PrintBtnClick(f->PrintBtn);
    });
    PrintMechanismPicture(picture, name);
    EXPECT_EQ(PageCount(pdf), 1);
    EXPECT_NE(Text(pdf).find("Sam"), std::string::npos);
  });
}

// The preview shows the sheet the picture prints on: the printer's paper as it is now,
// upright or turned, and on it the picture in its own shape, centred as it prints. (The 3D
// pane of a tall window gives a tall picture, which must not be squeezed to fit.)
TEST_F(ModelPictureTest, ThePreviewShowsThePrintersSheetWithThePictureKeepingItsShape)
{
  struct TSheet {
    const char* Paper;
    bool Landscape;
    double HeightPerWidth;
  };
  for (const TSheet sheet :
       {TSheet{"A4", false, 297.0 / 210}, TSheet{"A5", true, 148.0 / 210}, TSheet{"Letter", true, 8.5 / 11}}) {
    PrintToPdf("mechanism-preview-unused.pdf", 150);
    Printer().SetPaper(sheet.Paper);
    Printer().SetLandscape(sheet.Landscape);
    for (const TBitmap& picture : {TwoColours(300, 1200), TwoColours(400, 100)}) {
      TTarvPPFrm form(picture);
      const TRect page = form.PagePanel->BoundsRect(), image = form.Image->BoundsRect();
      const std::string what = std::string(sheet.Paper) + "-" + std::to_string(picture.Width());
      EXPECT_NEAR(double(page.Height()) / page.Width(), sheet.HeightPerWidth, 0.01) << what;
      // The shorter side follows from the longer to within a pixel's rounding.
      if (picture.Height() > picture.Width())
        EXPECT_NEAR(image.Width(), double(image.Height()) * picture.Width() / picture.Height(), 1.5) << what;
      else
        EXPECT_NEAR(image.Height(), double(image.Width()) * picture.Height() / picture.Width(), 1.5) << what;
      EXPECT_NEAR(image.Left - page.Left, page.Right - image.Right, 1) << what;
      EXPECT_NEAR(image.Top - page.Top, page.Bottom - image.Bottom, 1) << what;
      EXPECT_GE(std::min(image.Left - page.Left, image.Top - page.Top), 0) << what;
      // The whole sheet shows, beside the buttons.
      EXPECT_LE(page.Bottom, form.ClientHeight()) << what;
      EXPECT_GT(form.PrintBtn->Left(), page.Right) << what;
      EXPECT_LE(form.PrintBtn->BoundsRect().Right, form.ClientWidth()) << what;
      TBitmap shot(form.Width(), form.Height());
      form.PaintTo(shot.Canvas(), 0, 0);
      SaveTestPicture(shot, "mechanism-preview-" + what + ".png");
    }
  }
}

TEST_F(ModelPictureTest, JpegNamesAreFixedBeforeTheQuestion)
{
  EXPECT_EQ(JpegFileName("/a/b.jpg"), "/a/b.jpg");
  EXPECT_EQ(JpegFileName("/a/b.JpG"), "/a/b.JpG");
  EXPECT_EQ(JpegFileName("/a/b.png"), "/a/b.jpg");
  EXPECT_EQ(JpegFileName("/a/b.jpeg"), "/a/b.jpg");
  EXPECT_EQ(JpegFileName("/a/noext"), "/a/noext.jpg");
  EXPECT_EQ(JpegFileName("/a.dir/noext"), "/a.dir/noext.jpg");

  const TBitmap picture = TwoColours(64, 48);
  const std::string png = Dir + "/x.png", jpg = Dir + "/x.jpg";
  std::ofstream(png) << "not touched";
  std::ofstream(jpg) << "old";
  std::string userDir = "/start";
  TSaveDialog dialog;
  SetDialogAnswerer([&](TCommonDialog& d) {
    auto& s = dynamic_cast<TSaveDialog&>(d);
    EXPECT_EQ(s.InitialDir, "/start");
    EXPECT_EQ(s.Title, "Copy the mechanism picture to a file");
    EXPECT_EQ(s.Filter, "pictures files (*.jpg)|*.jpg");
    s.FileName = png;
    return true;
  });
  // Declining to replace x.jpg keeps it: the question names the file that would go.
  Answer = mrNo;
  SavePictureAsJpeg(picture, dialog, userDir);
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_NE(Messages[0].find(jpg), std::string::npos);
  EXPECT_EQ(ReadFileBytes(jpg, 100).size(), 3u);
  EXPECT_EQ(userDir, "/start");

  Answer = mrYes;
  SavePictureAsJpeg(picture, dialog, userDir);
  EXPECT_EQ(ReadFileBytes(png, 100).size(), 11u);
  TJPEGImage decoded;
  decoded.LoadFromFile(jpg);
  EXPECT_EQ(decoded.Width(), 64);
  EXPECT_EQ(decoded.Height(), 48);
  EXPECT_NE(testcmd::Output("identify '" + jpg + "'").find("JPEG 64x48"), std::string::npos);
  EXPECT_EQ(userDir, Dir + "/");

  // A new name asks nothing.
  Messages.clear();
  SetDialogAnswerer([&](TCommonDialog& d) {
    dynamic_cast<TSaveDialog&>(d).FileName = Dir + "/fresh";
    return true;
  });
  SavePictureAsJpeg(picture, dialog, userDir);
  EXPECT_TRUE(Messages.empty());
  EXPECT_TRUE(FileExists(Dir + "/fresh.jpg"));
}

TEST_F(ModelPictureTest, TheViewsPictureOnTheClipboardForOtherPrograms)
{
  TGLSceneViewer view(nullptr, TGLSurface::TKind::Offscreen);
  view.GetBuffer()->SetBackgroundColor(RGBColor(10, 200, 30));
  std::unique_ptr<TBitmap> shot = TakeSnapshot(view);
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(shot->Width(), view.Width());
  CopyMechanism(view);
  std::unique_ptr<TBitmap> back = Clipboard().GetBitmap();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Width(), shot->Width());
  EXPECT_EQ(back->GetPixel(5, 5), shot->GetPixel(5, 5));
  const std::string targets = ReadClipboardWith("xclip -selection clipboard -t TARGETS -o 2>/dev/null");
  EXPECT_NE(targets.find("image/png"), std::string::npos) << targets;
  const std::string file = Dir + "/clip.png";
  ReadClipboardWith("xclip -selection clipboard -t image/png -o > '" + file + "' 2>/dev/null");
  EXPECT_NE(testcmd::Output("identify '" + file + "'")
                .find("PNG " + std::to_string(shot->Width()) + "x" + std::to_string(shot->Height())),
            std::string::npos);

  // Saved through the save dialog as a JPEG.
  std::string userDir;
  SetDialogAnswerer([&](TCommonDialog& d) {
    dynamic_cast<TSaveDialog&>(d).FileName = Dir + "/view";
    return true;
  });
  CopyMechanismToFile(view, userDir);
  EXPECT_TRUE(FileExists(Dir + "/view.jpg"));
}

TEST_F(ModelPictureTest, PagePicturesPopupCopiesToTheClipboardAndToFiles)
{
  TBitmap picture = TwoColours(40, 30);
  SaveBmpToFile(picture, Dir + "/gear.bmp");
  THTMLViewer viewer;
  viewer.SetBounds(0, 0, 300, 200);
  viewer.LoadFromString("<html><body><img src=\"" + Dir + "/gear.bmp\" width=40 height=30><p>Text</p></body></html>");
  TPagePictureMenu menu(viewer);
  std::string userDir = "/pictures";
  menu.UserDir = &userDir;
  TRightClickParameters* last = nullptr;
  TRightClickParameters params;
  viewer.OnRightClick = [&](TObject*, TRightClickParameters& p) {
    params = p;
    last = &params;
    menu.ViewerRightClick(p, {0, 0}, false);
  };
  TBitmap shot(300, 200);
  viewer.PaintTo(shot.Canvas(), 0, 0);
  // A right click beside the picture: no picture, the items are off.
  viewer.PanelMouseUp(mbRight, 0, 250, 150);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(menu.PopupImage, nullptr);
  EXPECT_FALSE(menu.CopyImage1->Enabled());
  EXPECT_FALSE(menu.CopyPicturetofile1->Enabled());
  // On the picture.
  viewer.PanelMouseUp(mbRight, 0, 25, 15);
  ASSERT_NE(menu.PopupImage, nullptr);
  EXPECT_TRUE(menu.CopyImage1->Enabled());
  EXPECT_TRUE(menu.CopyPicturetofile1->Enabled());
  EXPECT_EQ(menu.CopyImage1->Caption(), "Copy picture to clipboard");
  EXPECT_EQ(menu.CopyPicturetofile1->Caption(), "Copy picture to file");

  menu.CopyImage1->Click();
  std::unique_ptr<TBitmap> back = Clipboard().GetBitmap();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Width(), 40);
  EXPECT_EQ(back->GetPixel(5, 5), clRed);

  // To a file: the copy takes the picture's extension, asks about that name, and never
  // copies the picture onto itself.
  std::ofstream(Dir + "/copy.bmp") << "old";
  SetDialogAnswerer([&](TCommonDialog& d) {
    auto& s = dynamic_cast<TSaveDialog&>(d);
    EXPECT_EQ(s.Title, "Copy the picture to a file");
    EXPECT_EQ(s.Filter, "pictures files|*.bmp");
    EXPECT_EQ(s.FileName, "gear.bmp");
    EXPECT_EQ(s.InitialDir, "/pictures");
    s.FileName = Dir + "/copy.png";
    return true;
  });
  Answer = mrNo;
  menu.CopyPicturetofile1->Click();
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_NE(Messages[0].find(Dir + "/copy.bmp"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(Dir + "/copy.bmp", 100).size(), 3u);
  Answer = mrYes;
  menu.CopyPicturetofile1->Click();
  EXPECT_EQ(ReadFileBytes(Dir + "/copy.bmp", 1 << 20), ReadFileBytes(Dir + "/gear.bmp", 1 << 20));
  EXPECT_EQ(userDir, Dir + "/");

  Messages.clear();
  const std::vector<uint8_t> original = ReadFileBytes(Dir + "/gear.bmp", 1 << 20);
  SetDialogAnswerer([&](TCommonDialog& d) {
    dynamic_cast<TSaveDialog&>(d).FileName = Dir + "/gear.gif";
    return true;
  });
  menu.CopyPicturetofile1->Click();
  ASSERT_EQ(Messages.size(), 1u);
  EXPECT_NE(Messages[0].find("Unable to copy file"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(Dir + "/gear.bmp", 1 << 20), original);
}

TEST_F(ModelPictureTest, AFailedSaveKeepsTheOldPictureAndLeavesNoPartialFile)
{
  // The old pictures: a JPEG of one picture, a BMP of another.
  SaveSnapshotJpeg(TwoColours(200, 100), Dir + "/old.jpg");
  SaveBmpToFile(TwoColours(40, 30), Dir + "/gear.bmp");
  SaveBmpToFile(TwoColours(30, 40), Dir + "/old.bmp");
  const std::vector<uint8_t> oldJpeg = ReadFileBytes(Dir + "/old.jpg", 1 << 20);
  const std::vector<uint8_t> oldBmp = ReadFileBytes(Dir + "/old.bmp", 1 << 20);
  const std::vector<std::string> before = FolderNames(Dir);
  TBitmap picture(300, 200);
  for (Integer y = 0; y < 200; ++y)
    for (Integer x = 0; x < 300; ++x)
      picture.SetPixel(x, y, RGBColor(x * 7, y * 13, x * y));
  std::string chosen, userDir = "/start";
  SetDialogAnswerer([&](TCommonDialog& d) {
    dynamic_cast<TSaveDialog&>(d).FileName = chosen;
    return true;
  });
  TSaveDialog dialog;
  {
    // Less room than any of the new files needs.
    TFileSizeLimit full(1024);
    // "Copy mechanism to file..": replacing the old picture (answered Yes), and a new name.
    for (const char* name : {"/old.jpg", "/new.jpg"}) {
      Messages.clear();
      chosen = Dir + name;
      SavePictureAsJpeg(picture, dialog, userDir);
      ASSERT_FALSE(Messages.empty()) << name;
      EXPECT_NE(Messages.back().find(Dir + name), std::string::npos) << Messages.back();
      EXPECT_NE(Messages.back().find("File too large"), std::string::npos) << Messages.back();
    }
    // The page picture's and the enlarged picture's "Copy picture to file".
    Messages.clear();
    EXPECT_FALSE(CopyPagePicture(Dir + "/gear.bmp", Dir + "/old.bmp"));
    TBigPicFrm big(Dir + "/gear.bmp");
    chosen = Dir + "/old.bmp";
    big.CopyToFile1Click(nullptr);
    ASSERT_EQ(Messages.size(), 3u);   // the question, then a failure for each copy
    EXPECT_NE(Messages[1].find("Unable to copy file"), std::string::npos);
    EXPECT_NE(Messages[2].find("File too large"), std::string::npos) << Messages[2];
  }
  EXPECT_EQ(ReadFileBytes(Dir + "/old.jpg", 1 << 20), oldJpeg);
  EXPECT_EQ(ReadFileBytes(Dir + "/old.bmp", 1 << 20), oldBmp);
  EXPECT_EQ(FolderNames(Dir), before);
  EXPECT_EQ(userDir, "/start");
  // With room again the same save replaces the picture.
  chosen = Dir + "/old.jpg";
  Messages.clear();
  SavePictureAsJpeg(picture, dialog, userDir);
  EXPECT_EQ(Messages.size(), 1u);   // only the question
  EXPECT_NE(ReadFileBytes(Dir + "/old.jpg", 1 << 20), oldJpeg);
  EXPECT_EQ(FolderNames(Dir), before);

  // Where the system lets us make a small disk of our own, the same on a disk really full.
  const std::string disk = Dir + "/disk";
  std::filesystem::create_directories(disk);
  if (std::system(("mount -t tmpfs -o size=64k tmpfs '" + disk + "' 2>/dev/null").c_str()) != 0)
    return;
  struct TUnmount {
    std::string Folder;
    ~TUnmount() { (void)std::system(("umount '" + Folder + "'").c_str()); }
  } unmount{disk};
  WriteFileBytes(disk + "/old.jpg", oldJpeg);
  {
    std::ofstream filler(disk + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    for (int i = 0; i < 32 && filler.write(block.data(), std::streamsize(block.size())).flush(); ++i) {}
  }
  Messages.clear();
  chosen = disk + "/old.jpg";
  SavePictureAsJpeg(picture, dialog, userDir);
  ASSERT_EQ(Messages.size(), 2u);
  EXPECT_NE(Messages[1].find("No space left on device"), std::string::npos) << Messages[1];
  EXPECT_EQ(ReadFileBytes(disk + "/old.jpg", 1 << 20), oldJpeg);
  EXPECT_EQ(FolderNames(disk), (std::vector<std::string>{"filler", "old.jpg"}));
}
