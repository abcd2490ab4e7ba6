#include "platform/MediaPlayer.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "platform/MediaBackEnd.h"
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

// The media stack is no part of starting a program: Qt Multimedia (and the sound server's
// client, codecs and network library it brings) comes in with the player's module the first
// time a player is needed. This test program links the platform library as the program does.
TEST(MediaPlayerTest, TheMediaLibrariesAreLoadedOnlyWhenAPlayerIsNeeded)
{
  videoclip::RunIsolated([] {
    auto loaded = [](const char* lib) { return dlopen(lib, RTLD_LAZY | RTLD_NOLOAD) != nullptr; };
    EXPECT_FALSE(loaded("libQt6Multimedia.so.6"));
    EXPECT_FALSE(loaded("libpulse.so.0"));
    TMediaPlayer::Available();
    EXPECT_TRUE(loaded("libQt6Multimedia.so.6"));
  });
}

// Run by the next test in a copy of this program in a folder without the back end module.
TEST(MediaPlayerTest, DISABLED_WithoutTheBackEndModule)
{
  const std::string clip = std::string(ORRELO_TEST_OUTPUT) + "/no-back-end.avi";
  videoclip::WriteClip(clip, 32, 24, std::vector<TColor>(3, clRed), 10);
  TForm form;
  form.SetBounds(10, 10, 200, 150);
  form.Show();
  EXPECT_FALSE(TMediaPlayer::Available());
  TMediaPlayer player;
  player.SetDisplay(&form);
  player.SetFileName(clip);
  EXPECT_EQ(ErrorOf(player), "There is no driver installed on your system.");
  EXPECT_FALSE(player.IsOpen());
  EXPECT_EQ(player.Length(), 0);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_FALSE(player.Playing());
  EXPECT_THROW(player.Play(), EMCIDeviceError);
  player.Pause();
  player.Rewind();
  player.SetPosition(500);
  player.SetDisplayRect(Rect(0, 0, 32, 24));
  player.Close();
  EXPECT_TRUE(player.Frame().Empty());
}

// Where the module cannot be loaded, a player still works as one with no driver to play on.
TEST(MediaPlayerTest, WhereTheBackEndModuleIsMissingThereIsNoDriver)
{
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(ORRELO_TEST_OUTPUT) / "without-media-back-end";
  const fs::path copy = folder / "test_platform";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path self = fs::read_symlink("/proc/self/exe");
  ASSERT_TRUE(fs::exists(self.parent_path() / MediaBackEndFile));
  std::error_code linkFailed;
  fs::create_hard_link(self, copy, linkFailed);
  if (linkFailed)
    fs::copy_file(self, copy);

  const std::string test = "MediaPlayerTest.DISABLED_WithoutTheBackEndModule";
  const std::string command =
      "'" + copy.string() + "' --gtest_also_run_disabled_tests --gtest_filter=" + test + " 2>&1";
  FILE* run = popen(command.c_str(), "r");
  ASSERT_NE(run, nullptr);
  std::string printed;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, run)) > 0;)
    printed.append(buf, n);
  const int status = pclose(run);
  EXPECT_EQ(status, 0) << printed;
  EXPECT_NE(printed.find("[       OK ] " + test), std::string::npos) << printed;
  fs::remove_all(folder);
}
