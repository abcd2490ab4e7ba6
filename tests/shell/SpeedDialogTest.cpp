#include "shell/SpeedDialog.h"

#include <gtest/gtest.h>

#include "tests/TestWait.h"
#include "tests/platform/ModalSupport.h"
#include "tests/shell/PictureOutput.h"

TEST(SpeedDialogTest, DialogTextsAndRange)
{
  TSpeedFrm form;
  EXPECT_EQ(form.Caption(), "Set the animation speed");
  EXPECT_EQ(form.SpeedHsb->Min(), 1);
  EXPECT_EQ(form.SpeedHsb->Max(), 200);
  EXPECT_EQ(form.SpeedHsb->Frequency(), 20);
  EXPECT_EQ(form.SlowLabel->Caption(), "Slow");
  EXPECT_EQ(form.FastLabel->Caption(), "Fast");
  EXPECT_EQ(form.ApplyBtn->Caption(), "Apply");
  EXPECT_EQ(form.ApplyBtn->ModalResult(), mrOk);
  EXPECT_EQ(form.CancelBtn->Caption(), "Cancel");
  EXPECT_EQ(form.CancelBtn->ModalResult(), mrCancel);
  // The labels sit under the ends of the bar, inside the window.
  EXPECT_LT(form.SlowLabel->Left(), form.SpeedHsb->Left() + 20);
  EXPECT_LE(form.FastLabel->Left() + form.FastLabel->Width(), form.ClientWidth());
  EXPECT_GT(form.FastLabel->Left(), form.ClientWidth() / 2);

  form.SpeedHsb->SetPosition(60);
  TBitmap shot(form.Width(), form.Height());
  form.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "speed-dialog.png");
}

TEST(SpeedDialogTest, ApplyStoresTheRateCancelKeepsIt)
{
  modal::InMessageLoop([] {
    Integer rate = 100;
    modal::Later([] {
      auto* form = dynamic_cast<TSpeedFrm*>(Screen().ActiveForm());
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->SpeedHsb->Position(), 100);
      // The keyboard starts on the bar, the dialog's one value; Tab goes on to Apply, Cancel.
      EXPECT_TRUE(testwait::WaitUntil([&] { return form->SpeedHsb->Focused(); }, 3000)) << form->ApplyBtn->Focused();
      EXPECT_EQ(form->TabOrderList(), (std::vector<TWinControl*>{form->SpeedHsb, form->ApplyBtn, form->CancelBtn}));
      Word key = VK_END;
      form->SpeedHsb->DispatchKeyDown(key, 0);
      modal::Click(form->ApplyBtn);
    });
    EXPECT_TRUE(EditAnimationRate(rate));
    EXPECT_EQ(rate, 200);

    modal::Later([] {
      auto* form = dynamic_cast<TSpeedFrm*>(Screen().ActiveForm());
      ASSERT_NE(form, nullptr);
      EXPECT_EQ(form->SpeedHsb->Position(), 200);
      Word key = VK_HOME;
      form->SpeedHsb->DispatchKeyDown(key, 0);
      modal::Click(form->CancelBtn);
    });
    EXPECT_FALSE(EditAnimationRate(rate));
    EXPECT_EQ(rate, 200);

    // A rate outside the bar's range comes back inside it when applied.
    rate = 0;
    modal::Later([] {
      auto* form = dynamic_cast<TSpeedFrm*>(Screen().ActiveForm());
      ASSERT_NE(form, nullptr);
      Word key = VK_RETURN;
      form->DispatchKeyDown(key, 0);
    });
    EXPECT_TRUE(EditAnimationRate(rate));
    EXPECT_EQ(rate, 1);
  });
}
