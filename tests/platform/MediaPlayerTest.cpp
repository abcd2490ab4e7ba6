#include "platform/MediaPlayer.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "tests/platform/VideoClipSupport.h"

namespace {

std::string ErrorOf(TMediaPlayer& p)
{
  try {
    p.Open();
  } catch (const EMCIDeviceError& e) {
    return e.Message;
  }
  return "";
}

// Handles messages until done() or the time runs out.
bool WaitFor(const std::function<bool()>& done, Cardinal ms)
{
  Cardinal start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms)
      return false;
    Application->ProcessMessages();
  }
  return true;
}

}   // namespace

TEST(MediaPlayerTest, FilesThatCannotBePlayedRaiseThePlayersError)
{
  TMediaPlayer player;
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(player.Length(), 0);
  player.SetFileName("/nonexistent/clip.avi");
  std::string missing = ErrorOf(player);
  if (!TMediaPlayer::Available()) {
    EXPECT_EQ(missing, "There is no driver installed on your system.");
    return;
  }
  EXPECT_EQ(missing, "Cannot find the specified file. Make sure the path and filename are correct.");
  std::string junk = std::string(ORRELO_TEST_OUTPUT) + "/junk.avi";
  WriteFileBytes(junk, std::vector<uint8_t>(3000, 0x5A));
  player.SetFileName(junk);
  EXPECT_EQ(ErrorOf(player),
            "The specified file cannot be played on the specified MCI device. The file may be corrupt, or not in the "
            "correct format.");
  EXPECT_FALSE(player.IsOpen());
  EXPECT_THROW(player.Play(), EMCIDeviceError);
}

TEST(MediaPlayerTest, PlaysAClipIntoItsDisplayAndNotifiesAtTheEnd)
{
  if (!TMediaPlayer::Available())
    GTEST_SKIP() << "no media back end";
  videoclip::RunIsolated([] {
    std::string clip = std::string(ORRELO_TEST_OUTPUT) + "/clip.avi";
    std::vector<TColor> colours(5, clRed);
    colours.resize(10, clBlue);
    videoclip::WriteClip(clip, 64, 48, colours, 10);

    TForm form;
    form.SetBounds(10, 10, 200, 150);
    TPanel* panel = TComponent::Create<TPanel>(&form);
    panel->SetParent(&form);
    panel->SetAlign(alClient);
    panel->SetColor(clBlack);
    form.Show();

    TMediaPlayer player;
    player.SetDisplay(panel);
    player.SetFileName(clip);
    player.Open();
    ASSERT_TRUE(player.IsOpen());
    EXPECT_EQ(player.ClipWidth(), 64);
    EXPECT_EQ(player.ClipHeight(), 48);
    EXPECT_EQ(player.DisplayRect(), Rect(0, 0, 64, 48));
    EXPECT_NEAR(player.Length(), 1000, 200);

    int notices = 0;
    player.OnNotify = [&](TObject*) { ++notices; };
    player.Notify = true;
    player.Play();
    ASSERT_TRUE(WaitFor([&] { return notices > 0; }, 10000));
    EXPECT_EQ(player.NotifyValue, nvSuccessful);
    EXPECT_FALSE(player.Notify);
    ASSERT_FALSE(player.Frame().Empty());
    TColor last = player.Frame().GetPixel(32, 24);
    EXPECT_GT(GetBValue(last), 200);
    EXPECT_LT(GetRValue(last), 60);

    // Playing again starts from the beginning.
    player.Notify = true;
    player.Play();
    ASSERT_TRUE(WaitFor([&] { return notices > 1; }, 10000));
    player.Rewind();
    EXPECT_FALSE(player.Playing());
    EXPECT_TRUE(WaitFor([&] { return player.Position() == 0; }, 2000));

    // The display can go first.
    player.SetDisplayRect(Rect(10, 10, 138, 106));
    panel->SetVisible(false);
    form.DestroyComponent(panel);
    EXPECT_EQ(player.Display(), nullptr);
    player.Close();
    EXPECT_FALSE(player.IsOpen());
  });
}
