// The program starts without the media stack: Qt Multimedia, the sound server's client, the
// codecs and the network library they bring come in with the media player's module only when
// a clip is first needed, so nobody pays for loading them at start-up.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Files.h"

TEST(ProgramLibraries, TheProgramDoesNotLinkTheMediaLibraries)
{
  const std::string program = ExeFolder() + "orrelo";
  ASSERT_TRUE(FileExists(program));
  FILE* run = popen(("readelf -d '" + program + "'").c_str(), "r");
  ASSERT_NE(run, nullptr);
  std::string needed;
  char line[1024];
  while (std::fgets(line, sizeof line, run))
    if (std::string(line).find("(NEEDED)") != std::string::npos)
      needed += line;
  ASSERT_EQ(pclose(run), 0);
  // The list was read: the program does link the toolkit's widgets.
  ASSERT_NE(needed.find("libQt6Widgets.so"), std::string::npos) << needed;
  for (const char* lib : {"libQt6Multimedia", "libQt6Network", "libpulse", "libsndfile"})
    EXPECT_EQ(needed.find(lib), std::string::npos) << lib << " in\n" << needed;
}
