#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Application.h"
#include "platform/Controls.h"
#include "tests/platform/ModalSupport.h"

namespace {

// Records the boxes asked for and answers with the given result.
struct TMessageLog {
  explicit TMessageLog(TModalResult answer)
  {
    SetMessageAnswerer([this, answer](const TMessageRequest& r) {
      Requests.push_back(r);
      return answer;
    });
  }
  ~TMessageLog() { SetMessageAnswerer(nullptr); }
  std::vector<TMessageRequest> Requests;
};

}   // namespace

TEST(DialogsTest, MessageBoxesCarryTheirTextsButtonsAndCaptions)
{
  std::string title = Application->Title();
  Application->SetTitle("Orrelo");
  {
    TMessageLog log(mrYes);
    EXPECT_EQ(MessageDlg("Exit program", mtConfirmation, mbYesNo), mrYes);
    ShowMessage("Printing Completed!");
    EXPECT_EQ(MessageDlg("Unable to copy file", mtError, mbOK), mrYes);
    ASSERT_EQ(log.Requests.size(), 3u);
    EXPECT_EQ(log.Requests[0].Caption, "Confirm");
    EXPECT_EQ(log.Requests[0].Text, "Exit program");
    EXPECT_EQ(log.Requests[0].Buttons, mbYes | mbNo);
    EXPECT_EQ(log.Requests[1].Caption, "Orrelo");
    EXPECT_EQ(log.Requests[1].Buttons, mbOK);
    EXPECT_EQ(log.Requests[2].Caption, "Error");
    EXPECT_EQ(log.Requests[2].Type, mtError);
  }
  {
    TMessageLog log(mrNo);
    EXPECT_EQ(MessageBox("Really?", "Question", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBox("Failed", "Oops", MB_OK | MB_ICONERROR), IDNO);
    EXPECT_EQ(MessageBox("Go on?", "Job", MB_OKCANCEL), IDNO);
    ASSERT_EQ(log.Requests.size(), 3u);
    EXPECT_EQ(log.Requests[0].Caption, "Question");
    EXPECT_EQ(log.Requests[0].Buttons, mbYesNo);
    EXPECT_EQ(log.Requests[0].Type, mtConfirmation);
    EXPECT_EQ(log.Requests[1].Buttons, mbOK);
    EXPECT_EQ(log.Requests[1].Type, mtError);
    EXPECT_EQ(log.Requests[2].Buttons, mbOKCancel);
    EXPECT_EQ(log.Requests[2].Type, mtCustom);
  }
  Application->SetTitle(title);
}

TEST(DialogsTest, CommonDialogsAreAnsweredByTheAnswerer)
{
  std::vector<std::string> seen;
  SetDialogAnswerer([&](TCommonDialog& d) {
    seen.push_back(d.Title);
    if (auto* save = dynamic_cast<TSaveDialog*>(&d)) {
      EXPECT_EQ(save->Filter, "pictures files (*.jpg)|*.jpg");
      EXPECT_TRUE(save->Options & ofOverwritePrompt);
      save->FileName = "/tmp/picture.jpg";
      return true;
    }
    if (auto* colour = dynamic_cast<TColorDialog*>(&d)) {
      colour->Color = clYellow;
      return true;
    }
    return false;
  });
  TSaveDialog save;
  save.Title = "Copy the mechanism picture to a file";
  save.Filter = "pictures files (*.jpg)|*.jpg";
  save.DefaultExt = "*.jpg";
  save.Options |= ofOverwritePrompt;
  EXPECT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName, "/tmp/picture.jpg");
  TColorDialog colour;
  EXPECT_TRUE(colour.Execute());
  EXPECT_EQ(colour.Color, clYellow);
  TPrintDialog print;
  print.Title = "Print";
  EXPECT_FALSE(print.Execute());
  SetDialogAnswerer(nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"Copy the mechanism picture to a file", "", "Print"}));

  EXPECT_EQ(PlainExtension("*.jpg"), "jpg");
  EXPECT_EQ(PlainExtension(".gif"), "gif");
  EXPECT_EQ(PlainExtension("png"), "png");
  EXPECT_EQ(PlainExtension("*."), "");
}

// The dialog lists a folder of files whose reads never return (the kernel's message log,
// readable by root) without reading them: it still answers its keys.
TEST(DialogsTest, SaveDialogListsFilesWithoutReadingThem)
{
  bool answered = true;
  modal::InMessageLoop([&] {
    TTimer escape;
    escape.SetInterval(1500);
    escape.SetOnTimer([&](TObject*) {
      escape.SetEnabled(false);
      SimulateKey(VK_ESCAPE);
    });
    TSaveDialog save;
    save.Title = "Save in /proc";
    save.InitialDir = "/proc";
    answered = save.Execute();
  });
  EXPECT_FALSE(answered);
}
