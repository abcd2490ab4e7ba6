// Where a save dialog opens when the program has no folder of its own to offer: the user's
// pictures folder, or else home; never the working folder the program was started from.
// The name is typed into the real dialog through the X server, as a user types it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/Controls.h"
#include "platform/Dialogs.h"
#include "tests/platform/ModalSupport.h"

namespace fs = std::filesystem;

namespace {

// HOME and the working folder pointed at folders of the test's own while alive.
class TUserScope {
public:
  explicit TUserScope(const fs::path& root) : Home(root / "home"), Work(root / "sources")
  {
    fs::remove_all(root);
    fs::create_directories(Home);
    fs::create_directories(Work);
    Saved("HOME", FHome);
    Saved("XDG_CONFIG_HOME", FConfig);
    Saved("XDG_PICTURES_DIR", FPictures);
    setenv("HOME", Home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_PICTURES_DIR");
    FCwd = fs::current_path();
    fs::current_path(Work);
  }
  ~TUserScope()
  {
    fs::current_path(FCwd);
    Restore("HOME", FHome);
    Restore("XDG_CONFIG_HOME", FConfig);
    Restore("XDG_PICTURES_DIR", FPictures);
  }
  const fs::path Home, Work;

private:
  static void Saved(const char* name, std::optional<std::string>& to)
  {
    if (const char* v = std::getenv(name))
      to = v;
  }
  static void Restore(const char* name, const std::optional<std::string>& from)
  {
    if (from)
      setenv(name, from->c_str(), 1);
    else
      unsetenv(name);
  }
  std::optional<std::string> FHome, FConfig, FPictures;
  fs::path FCwd;
};

// Opens a save dialog with no folder given, types a bare name into it and confirms it;
// gives the file the dialog chose ("" when it was not confirmed).
std::string SaveWithTypedName(const std::string& title, const std::string& name)
{
  std::string chosen;
  modal::InMessageLoop([&] {
    TTimer typist;
    typist.SetInterval(800);
    typist.SetOnTimer([&](TObject*) {
      typist.SetEnabled(false);
      std::system(("xdotool search --sync --name '^" + title + "$' windowfocus --sync type --delay 20 '" + name
                   + "'; xdotool key Return")
                      .c_str());
    });
    typist.SetEnabled(true);
    TSaveDialog save;
    save.Title = title;
    if (save.Execute())
      chosen = save.FileName;
  });
  return chosen;
}

}   // namespace

TEST(SaveDialogFolder, OpensInThePicturesFolderOrHomeNeverTheWorkingFolder)
{
  if (std::system("command -v xdotool > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "xdotool is not installed";
  TUserScope user(fs::path(ORRELO_TEST_OUTPUT) / "save-dialog-folder");
  // No pictures folder: home.
  EXPECT_EQ(SaveDialogFolder(""), user.Home.string());
  EXPECT_EQ(SaveWithTypedName("Save the picture", "first.jpg"), (user.Home / "first.jpg").string());
  // With one, there.
  fs::create_directories(user.Home / "Pictures");
  EXPECT_EQ(SaveDialogFolder(""), (user.Home / "Pictures").string());
  EXPECT_EQ(SaveWithTypedName("Save the picture", "second.jpg"), (user.Home / "Pictures" / "second.jpg").string());
  // A folder the program remembers stands; one that has gone since gives way.
  EXPECT_EQ(SaveDialogFolder(user.Work.string()), user.Work.string());
  EXPECT_EQ(SaveDialogFolder((user.Work / "gone").string()), (user.Home / "Pictures").string());
}
