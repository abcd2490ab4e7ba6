// Input through the X server, as a user's mouse and keyboard give it (xdotool's XTest
// requests), and waiting for the program to answer it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/Application.h"
#include "platform/Controls.h"

namespace xinput {

inline bool Available() { return std::system("command -v xdotool > /dev/null 2>&1") == 0; }

// Runs xdotool with the arguments (a failing call fails the test).
inline void X(const std::string& args) { ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args; }

inline std::string At(TPoint p) { return std::to_string(p.X) + " " + std::to_string(p.Y); }
inline void Move(TPoint p) { X("mousemove " + At(p)); }
inline void Click(TPoint p) { X("mousemove " + At(p) + " click 1"); }
inline TPoint Centre(TControl* c) { return c->ClientToScreen({c->Width() / 2, c->Height() / 2}); }

// Handles messages until cond() holds or the time runs out; gives whether it held.
inline bool PumpUntil(const std::function<bool()>& cond, Cardinal timeoutMs = 5000)
{
  Cardinal start = GetTickCount();
  while (!cond()) {
    if (GetTickCount() - start > timeoutMs)
      return false;
    Application->ProcessMessages();
  }
  return true;
}

// Handles messages for ms milliseconds.
inline void PumpFor(Cardinal ms)
{
  PumpUntil([] { return false; }, ms);
}

}   // namespace xinput
