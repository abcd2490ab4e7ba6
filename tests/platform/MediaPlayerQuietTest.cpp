// Playing a clip says nothing on the console: neither the media back end nor the decoder
// library narrates what it tries. Checked in a process of its own, as the first clip of a
// program run, since some of that narration comes only once.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "platform/Application.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/MediaPlayer.h"
#include "tests/platform/VideoClipSupport.h"

namespace {

// A console line that only says this machine has no sound server (a desktop has one).
bool NoSoundServer(const std::string& line) { return line.rfind("PulseAudioService: ", 0) == 0; }

void WaitFor(const std::function<bool()>& done, Cardinal ms)
{
  Cardinal start = GetTickCount();
  while (!done() && GetTickCount() - start < ms)
    Application->ProcessMessages();
}

}   // namespace

TEST(MediaPlayerQuiet, PlayingAClipPrintsNothing)
{
  if (!TMediaPlayer::Available())
    GTEST_SKIP() << "no media back end";
  videoclip::RunIsolated([] {
    const std::string clip = std::string(ORRELO_TEST_OUTPUT) + "/quiet-clip.avi";
    std::vector<TColor> colours(6, clGreen);
    videoclip::WriteClip(clip, 64, 48, colours, 10);
    TForm form;
    form.SetBounds(10, 10, 200, 150);
    form.Show();

    testing::internal::CaptureStderr();
    {
      TMediaPlayer player;
      player.SetDisplay(&form);
      player.SetFileName(clip);
      player.Open();
      int notices = 0;
      player.OnNotify = [&](TObject*) { ++notices; };
      player.Notify = true;
      player.Play();
      WaitFor([&] { return notices > 0; }, 10000);
      EXPECT_EQ(player.NotifyValue, nvSuccessful);
    }
    std::istringstream printed(testing::internal::GetCapturedStderr());
    for (std::string line; std::getline(printed, line);)
      if (!NoSoundServer(line))
        ADD_FAILURE() << "printed: " << line;
  });
}
