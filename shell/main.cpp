// The Orrelo program: shows the splash window while the main window is made, then
// runs the message loop until the main window closes.
//
// With ORRELO_EXIT_AFTER_STARTUP set (the start-up benchmark sets it), the program writes two
// moments of the monotonic clock, which the launching process shares, to standard output and
// quits: "index <ns>" once the window with the topic index has been painted, then "frame
// <ns>" once the first 3D frame with a model in it is on screen, the index's first topic link
// having been followed as a click follows it. Without it nothing is written.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/Application.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/Fonts.h"
#include "platform/Forms.h"
#include "platform/GLSurface.h"
#include "platform/StdCtrls.h"
#include "shell/Splash.h"
#include "shell/MainWindow.h"
#include "shell/TopicDispatch.h"
#include "toolbar/AccessibleItems.h"

namespace {

void Mark(const char* what)
{
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch());
  std::printf("%s %lld\n", what, static_cast<long long>(ns.count()));
  std::fflush(stdout);
}

// Watches the start-up for the benchmark. Each moment is marked from a posted message, so
// the paint that caused it has reached the screen first.
class TStartupProbe {
public:
  explicit TStartupProbe(TKVMainFrm& Main) : FMain(Main)
  {
    enum : Cardinal { IndexShown = WM_APP, FrameShown };
    FWnd = AllocateHWnd([this](TMessage& m) {
      if (m.Msg == IndexShown) {
        Mark("index");
        FMain.Viewer->URL = TopicIndexContents().front().Items.front().URL;
        FMain.Viewer->FollowLink();
      } else if (m.Msg == FrameShown) {
        Mark("frame");
        Application->Terminate();
      }
    });
    // One pixel at the page pane's corner, painted in the same pass as the index.
    FBox = TComponent::Create<TPaintBox>(&Main);
    FBox->SetBounds(0, 0, 1, 1);
    FBox->SetParent(Main.RightPanel);
    FBox->OnPaint = [this](TObject*) { Once(FIndexPosted, IndexShown); };
    // (The view may draw while the topic is being shown, before its model is there.)
    Main.SceneViewer->GetBuffer()->OnAfterRender = [this] {
      if (FMain.SceneBase->GetCount() > 0)
        Once(FFramePosted, FrameShown);
    };
  }
  ~TStartupProbe()
  {
    FBox->OnPaint = nullptr;
    FMain.SceneViewer->GetBuffer()->OnAfterRender = nullptr;
    DeallocateHWnd(FWnd);
  }

private:
  void Once(bool& Posted, Cardinal Msg)
  {
    if (!Posted)
      Posted = PostMessage(FWnd, Msg, 0, 0);
  }
  TKVMainFrm& FMain;
  TPaintBox* FBox = nullptr;
  HWND FWnd = 0;
  bool FIndexPosted = false, FFramePosted = false;
};

}   // namespace

int main(int argc, char** argv)
{
  TApplication::Initialize(argc, argv);
  {
    Screen().SetCursor(crAppStart);
    // Reading the font list takes several milliseconds; done beside the splash window's
    // showing, which waits on the display, the main window finds it ready for its first text.
    std::thread fontList([] { ScreenFonts(); });
    // The GL driver's libraries are loaded on a thread while the windows are built. Loading
    // them holds the library loader for tens of milliseconds, and with it every new thread's
    // start: the font thread starts first, and the code page converter the menus need, a
    // library of its own, is loaded first.
    IsValidCodePage(CP_ACP);
    PrepareGLDriver();
    const std::string folder = ExeFolder();
    // A splash window that cannot be made is reported; the program goes on without it.
    std::unique_ptr<TSplashFrm> splash;
    GuardedCall([&] {
      splash = std::make_unique<TSplashFrm>(folder);
      splash->ShowAndPaint();
    });
    fontList.join();
    Application->SetTitle(ProductTitle);
    std::unique_ptr<TKVMainFrm> main;
    GuardedCall([&] { main = std::make_unique<TKVMainFrm>(folder); });
    if (main) {
      std::unique_ptr<TStartupProbe> probe;
      if (std::getenv("ORRELO_EXIT_AFTER_STARTUP"))
        probe = std::make_unique<TStartupProbe>(*main);
      main->Show();
      // Once the main window shows, the splash window goes and the cursor comes back.
      splash.reset();
      Screen().SetCursor(crDefault);
      Application->Run();
    }
  }
  // Screen readers still holding objects of the toolbars and menus are cut off from them.
  TBAccDisconnectAll();
  TApplication::Finalize();
  return 0;
}
