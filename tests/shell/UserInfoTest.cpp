#include "shell/UserInfo.h"

#include <gtest/gtest.h>

#include "tests/platform/ModalSupport.h"
#include "tests/shell/PictureOutput.h"

namespace {

void Type(TEdit* edit, const std::string& text)
{
  for (char ch : text)
    edit->DispatchKeyPress(ch);
}

TUserFrm* ShownForm() { return dynamic_cast<TUserFrm*>(Screen().ActiveForm()); }

}   // namespace

TEST(UserInfoTest, ApplyOnlyWithAName)
{
  TUserFrm form;
  EXPECT_EQ(form.Caption(), "Print information");
  EXPECT_EQ(form.Label1->Caption(), "Please enter your name and form.");
  EXPECT_EQ(form.Label2->Caption(), "This will be added to the printout.");
  EXPECT_EQ(form.OKBtn->Caption(), "apply");
  EXPECT_EQ(form.OKBtn->ModalResult(), mrOk);
  EXPECT_EQ(form.CancelBtn->Caption(), "cancel");
  EXPECT_EQ(form.CancelBtn->ModalResult(), mrCancel);
  EXPECT_EQ(form.Font().Height(), -MulDiv(8, ScreenPixelsPerInch(), 72));

  EXPECT_FALSE(form.OKBtn->Enabled());
  Type(form.NameEdit, "J");
  EXPECT_TRUE(form.OKBtn->Enabled());
  char back = '\b';
  form.NameEdit->DispatchKeyPress(back);
  EXPECT_FALSE(form.OKBtn->Enabled());
  Type(form.NameEdit, "Jo Bloggs, 4B");
  EXPECT_TRUE(form.OKBtn->Enabled());

  TBitmap shot(form.Width(), form.Height());
  form.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "user-name-dialog.png");
}

TEST(UserInfoTest, AsksOnlyWhenTheNameIsUnknown)
{
  modal::InMessageLoop([] {
    // A known name: no dialog.
    std::string name = "login";
    EXPECT_TRUE(AskUserName(name));
    EXPECT_EQ(name, "login");

    name.clear();
    modal::Later([] {
      TUserFrm* form = ShownForm();
      ASSERT_NE(form, nullptr);
      // Enter with no name does nothing: "apply" is disabled.
      Word key = VK_RETURN;
      form->NameEdit->DispatchKeyDown(key, 0);
      EXPECT_TRUE(form->Visible());
      Type(form->NameEdit, "Ann");
      modal::Click(form->OKBtn);
    });
    EXPECT_TRUE(AskUserName(name));
    EXPECT_EQ(name, "Ann");

    // Cancelled: still no name, so nothing is printed.
    name.clear();
    modal::Later([] {
      TUserFrm* form = ShownForm();
      ASSERT_NE(form, nullptr);
      Type(form->NameEdit, "Bob");
      Word key = VK_ESCAPE;
      form->NameEdit->DispatchKeyDown(key, 0);
    });
    EXPECT_FALSE(AskUserName(name));
    EXPECT_EQ(name, "");
  });
}
