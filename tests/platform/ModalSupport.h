// Driving modal windows from tests: run code from the message loop once a modal loop is
// running, and run a test body inside a message loop of its own.
#pragma once

#include <functional>
#include <memory>

#include "platform/Application.h"
#include "platform/Controls.h"
#include "tests/TestWait.h"

namespace modal {

// Runs f from the message loop (so from inside the next modal loop).
inline void Later(std::function<void()> f)
{
  auto holder = std::make_shared<std::function<void()>>(std::move(f));
  auto wnd = std::make_shared<HWND>(0);
  *wnd = AllocateHWnd([holder, wnd](TMessage&) {
    DeallocateHWnd(*wnd);
    (*holder)();
  });
  PostMessage(*wnd, WM_USER, 0, 0);
}

// Modal loops end at once while the application is quitting (an earlier test may have
// left it so); the body runs from a message loop of its own. A body still running after
// 20 s (a modal window that nothing closed) fails the test, and the quit then ends every
// loop in it.
inline void InMessageLoop(std::function<void()> body)
{
  testwait::TLoopBound bound("the modal windows of a test body to close", 20000, [] { Application->Terminate(); });
  Later([&] {
    body();
    Application->Terminate();
  });
  Application->Run();
  bound.Done();
}

// A click in the middle of the control, through the toolkit.
inline void Click(TControl* c)
{
  TPoint p = c->ClientToScreen({c->Width() / 2, c->Height() / 2});
  SimulateMouse(TInputKind::MouseDown, p);
  SimulateMouse(TInputKind::MouseUp, p);
}

}   // namespace modal
