// The start-up benchmark's plain-toolkit reference: a window made with Qt alone, the way a
// program without our platform layer would make it, with a GL view that clears itself black.
// It is built into platform_reference, which only the benchmarks link: the program never
// holds it.
#pragma once

#include <functional>

enum class TReferenceGLKind {
  Widget,   // the toolkit's GL widget, composed into the window with the other widgets
  Window    // the toolkit's GL window, embedded in the window as a native child
};

// Makes the toolkit's application, shows a window as large as the desktop's work area whose
// left part is a GL view glWidth(work area width) pixels wide, and runs the event loop. It
// calls mark("shown") once the window has been painted and mark("frame") once the GL view's
// first frame is on screen, each from the event loop after the moment, as the platform
// layer's bare window does, and quits after both. Returns the application's exit code.
int RunReferenceGLWindow(int argc, char** argv, TReferenceGLKind kind, const std::function<int(int)>& glWidth,
                         const std::function<void(const char*)>& mark);
