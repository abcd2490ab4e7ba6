// Shared main of every test program: the application object exists for every test.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Application.h"

int main(int argc, char** argv)
{
  // Without a display, pure-logic tests still run on the toolkit's offscreen platform.
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

  testing::InitGoogleTest(&argc, argv);
  TApplication::Initialize(argc, argv);
  // An exception that reaches the application uninvited fails the test instead of waiting
  // on a message box; tests that expect one install their own handler.
  Application->OnException = [](TObject*, const Exception& e) {
    ADD_FAILURE() << "Exception reached the application: " << e.Message;
  };
  int result = RUN_ALL_TESTS();
  TApplication::Finalize();
  return result;
}
