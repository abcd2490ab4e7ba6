// Tarv2: the Orrelo program. Shows the splash window while the main window is made, then
// runs the message loop until the main window closes.
#include <memory>

#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "shell/Splash.h"
#include "shell/TarvMain.h"

int main(int argc, char** argv)
{
  TApplication::Initialize(argc, argv);
  {
    Screen().SetCursor(crAppStart);
    const std::string folder = ExeFolder();
    auto splash = std::make_unique<TSplashFrm>(folder);
    GuardedCall([&] {
      splash->Show();
      splash->Update();
    });
    Application->SetTitle(ProductTitle);
    std::unique_ptr<TKVMainFrm> main;
    GuardedCall([&] { main = std::make_unique<TKVMainFrm>(folder); });
    if (main) {
      main->Show();
      // Once the main window shows, the splash window goes and the cursor comes back.
      splash.reset();
      Screen().SetCursor(crDefault);
      Application->Run();
    }
  }
  TApplication::Finalize();
  return 0;
}
