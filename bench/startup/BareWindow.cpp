// The start-up benchmark's reference: the platform layer's application with one empty form
// as large as the program's main window (the desktop's work area). It writes "shown <ns>"
// (the monotonic clock, which the launching process shares) once the form has been painted,
// and quits. It is watched exactly as the program is: a one-pixel box painted in the
// window's first pass posts a message, and the moment is marked when that message arrives.
//
// With --splash a borderless window of the splash picture's size is shown and painted first,
// and goes once the form shows: the order the program must keep, with nothing else in it.
//
// With --gl the form's left half is a GL view, as large as the program's 3D view, that
// clears itself black; the window then also writes "frame <ns>" once that view's first frame
// is on screen, and quits after both. This tells what the toolkit's GL costs on its own.
//
// With --qt-gl (the toolkit's GL widget) or --qt-gl-window (its GL window, embedded) the
// same window and GL view are made with Qt alone, without the platform layer
// (platform/ReferenceGLWindow): what a plain toolkit program gets to its first frame.
#include <chrono>
#include <cstdio>
#include <cstring>

#include "platform/Application.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/GLSurface.h"
#include "platform/ReferenceGLWindow.h"
#include "platform/StdCtrls.h"

namespace {

void Mark(const char* what)
{
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch());
  std::printf("%s %lld\n", what, static_cast<long long>(ns.count()));
  std::fflush(stdout);
}

using TGLClearColor = void (*)(float, float, float, float);
using TGLClear = void (*)(unsigned);
constexpr unsigned GL_COLOR_BUFFER_BIT = 0x4000, GL_DEPTH_BUFFER_BIT = 0x100;

// The GL view's width in a window as wide as the work area: about the program's 3D view.
int GLViewWidth(int workWidth) { return workWidth / 2 - 10; }

}   // namespace

int main(int argc, char** argv)
{
  const bool gl = argc > 1 && std::strcmp(argv[1], "--gl") == 0;
  const bool splashFirst = argc > 1 && std::strcmp(argv[1], "--splash") == 0;
  if (argc > 1 && (std::strcmp(argv[1], "--qt-gl") == 0 || std::strcmp(argv[1], "--qt-gl-window") == 0))
    return RunReferenceGLWindow(argc, argv,
                                std::strcmp(argv[1], "--qt-gl") == 0 ? TReferenceGLKind::Widget
                                                                     : TReferenceGLKind::Window,
                                GLViewWidth, Mark);
  TApplication::Initialize(argc, argv);
  {
    std::unique_ptr<TDialogForm> splash;
    if (splashFirst) {
      splash = std::make_unique<TDialogForm>();
      splash->SetBorderStyle(bsNone);
      splash->SetFormStyle(fsStayOnTop);
      splash->SetPosition(poScreenCenter);
      splash->SetColor(clWhite);
      splash->SetClientSize(480, 300);
      splash->Show();
      splash->Update();
    }
    enum : Cardinal { Shown = WM_APP, FrameShown };
    int marks = gl ? 2 : 1;
    HWND wnd = AllocateHWnd([&](TMessage& m) {
      Mark(m.Msg == Shown ? "shown" : "frame");
      if (--marks == 0)
        Application->Terminate();
    });
    bool shownPosted = false, framePosted = false;

    TForm form;
    form.SetCaption("Bare window");
    TRect work = Screen().WorkAreaRect();
    if (work.IsEmpty())
      work = Bounds(0, 0, Screen().Width(), Screen().Height());
    form.SetBoundsRect(work);

    std::unique_ptr<TGLSurface> surface;
    std::unique_ptr<TGLHost> host;
    if (gl) {
      surface = std::make_unique<TGLSurface>(TGLSurface::TKind::Window);
      TGLSurface* s = surface.get();
      surface->OnPaint = [&, s] {
        auto clearColor = reinterpret_cast<TGLClearColor>(s->GetProcAddress("glClearColor"));
        auto clear = reinterpret_cast<TGLClear>(s->GetProcAddress("glClear"));
        if (clearColor && clear) {
          clearColor(0, 0, 0, 1);
          clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        if (!framePosted)
          framePosted = PostMessage(wnd, FrameShown, 0, 0);
      };
      host = std::make_unique<TGLHost>();
      host->SetParent(&form);
      host->SetAlign(alLeft);
      host->SetWidth(GLViewWidth(work.Width()));
      host->SetSurface(s);
    }
    // Made last, so it lies above the GL view.
    auto* box = TComponent::Create<TPaintBox>(&form);
    box->SetBounds(0, 0, 1, 1);
    box->SetParent(&form);
    box->OnPaint = [&](TObject*) {
      if (!shownPosted)
        shownPosted = PostMessage(wnd, Shown, 0, 0);
    };
    form.Show();
    splash.reset();
    Application->Run();
    box->OnPaint = nullptr;
    if (surface)
      surface->OnPaint = nullptr;
    host.reset();
    DeallocateHWnd(wnd);
  }
  TApplication::Finalize();
  return 0;
}
