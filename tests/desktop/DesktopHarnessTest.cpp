// The desktop the other desktop tests stand on: a window manager that manages the program's
// main window, on a screen of the size asked for.
#include "tests/desktop/DesktopSupport.h"

namespace {

TEST(DesktopHarness, TheWindowManagerFramesTheProgramsMainWindow)
{
  desktop::TDesktop desk("800x600");
  ASSERT_TRUE(desk.Running());
  EXPECT_NE(desk.Run("xwininfo -root").find("Width: 800"), std::string::npos);
  desktop::TProgram program(desk);
  std::string main = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  // A managed window has the frame the window manager drew around it.
  desktop::TWindowPlace place = desk.Place(main);
  EXPECT_GT(place.FrameTop, 0);
  EXPECT_GT(place.Width, 0);
  EXPECT_TRUE(program.Running());
}

}   // namespace
