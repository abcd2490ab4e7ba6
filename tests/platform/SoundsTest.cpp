#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Sounds.h"
#include "platform/SysSettings.h"

namespace {

// Everything written to the standard error while f runs.
template <class F>
std::string StderrOf(F&& f)
{
  std::fflush(stderr);
  char path[] = "/tmp/orrelo-stderr-XXXXXX";
  int file = mkstemp(path);
  int saved = dup(2);
  dup2(file, 2);
  f();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string out;
  if (FILE* in = std::fopen(path, "r")) {
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0)
      out.append(buf, n);
    std::fclose(in);
  }
  close(file);
  unlink(path);
  return out;
}

}   // namespace

TEST(Sounds, BeepsAndMenuAliasesReachTheLibraryUnderTheThemesEventNames)
{
  std::vector<std::string> ids;
  SetSoundEventHook([&](const std::string& id) { ids.push_back(id); });
  Integer beeps = MessageBeepCount();
  MessageBeep(MB_OK);
  MessageBeep(0xFFFFFFFF);
  MessageBeep(MB_ICONERROR);
  MessageBeep(MB_ICONQUESTION);
  MessageBeep(MB_ICONWARNING);
  MessageBeep(MB_ICONINFORMATION);
  EXPECT_TRUE(IsSoundEventSet("MenuPopup"));
  EXPECT_TRUE(IsSoundEventSet("MenuCommand"));
  EXPECT_FALSE(IsSoundEventSet("SystemExit")) << "an alias the theme has no event for";
  PlaySoundAlias("MenuPopup");
  PlaySoundAlias("MenuCommand");
  PlaySoundAlias("SystemExit");
  SetSoundEventHook(nullptr);
  EXPECT_EQ(MessageBeepCount(), beeps + 6);
  EXPECT_EQ(ids, (std::vector<std::string>{"bell", "bell", "dialog-error", "dialog-question", "dialog-warning",
                                           "dialog-information", "menu-popup", "menu-click"}));

  // Sound schemes switched off: the menus ask and get no sound.
  TSystemSettings off = SystemSettings();
  off.SoundSchemes = false;
  SetSystemSettings(off);
  EXPECT_FALSE(IsSoundEventSet("MenuPopup"));
  ResetSystemSettings();
}

// The test machines have no sound device (nor, often, a sound theme): a real
// call goes all the way into the library, fails there and says nothing.
TEST(Sounds, ARealSoundWithoutADeviceIsQuiet)
{
  bool played = true;
  std::string said = StderrOf([&] {
    played = PlaySoundEvent("bell");
    MessageBeep(MB_OK);
    PlaySoundAlias("MenuPopup");
  });
  EXPECT_EQ(said, "");
  // Where the library is installed the call really went into it.
  if (void* lib = dlopen("libcanberra.so.0", RTLD_LAZY)) {
    EXPECT_TRUE(SoundEventsAvailable());
    dlclose(lib);
  }
  if (access("/dev/snd/controlC0", F_OK) != 0 && !getenv("PULSE_SERVER")) {
    EXPECT_FALSE(played);
  }
}
