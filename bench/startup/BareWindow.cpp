// The start-up benchmark's reference: the platform layer's application with one empty form
// as large as the program's main window (the desktop's work area). It writes "shown <ns>"
// (the monotonic clock, which the launching process shares) once the form has been painted,
// and quits. It is watched exactly as the program is: a one-pixel box painted in the
// window's first pass posts a message, and the moment is marked when that message arrives.
#include <chrono>
#include <cstdio>

#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

int main(int argc, char** argv)
{
  TApplication::Initialize(argc, argv);
  {
    TForm form;
    form.SetCaption("Bare window");
    TRect work = Screen().WorkAreaRect();
    if (work.IsEmpty())
      work = Bounds(0, 0, Screen().Width(), Screen().Height());
    form.SetBoundsRect(work);
    HWND wnd = AllocateHWnd([](TMessage&) {
      auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch());
      std::printf("shown %lld\n", static_cast<long long>(ns.count()));
      std::fflush(stdout);
      Application->Terminate();
    });
    auto* box = TComponent::Create<TPaintBox>(&form);
    box->SetBounds(0, 0, 1, 1);
    box->SetParent(&form);
    bool posted = false;
    box->OnPaint = [&](TObject*) {
      if (!posted)
        posted = PostMessage(wnd, WM_APP, 0, 0);
    };
    form.Show();
    Application->Run();
    box->OnPaint = nullptr;
    DeallocateHWnd(wnd);
  }
  TApplication::Finalize();
  return 0;
}
