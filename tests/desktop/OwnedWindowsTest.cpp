// The program on a 1280 by 1024 desktop, one program run shared by the cases in order: its
// main window framed on the screen, the modal windows it opens kept above it by the window
// manager (a click on the main window leaves them on top) with a dialog's frame, and the
// exit box, whose Alt+Y ends the program at once.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/desktop/DesktopSupport.h"
#include "tests/desktop/ScreenReadBack.h"

namespace {

using desktop::TWindowPlace;

// "Levers", then "Levers class 1" in the index page of a main window standing at m.
void OpenLeversClass1(const desktop::TDesktop& desk, const TWindowPlace& m)
{
  desk.Click(m.X + 696, m.Y + 203);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  desk.Click(m.X + 746, m.Y + 223);
}


// Slows a program down as a busy machine does: it runs 2 ms in every 50 until it is held
// (stopped where it is) or let go with the object.
class TSlowedProgram {
public:
  explicit TSlowedProgram(pid_t pid) : FPid(pid), FThread([this] { Run(); }) {}
  ~TSlowedProgram()
  {
    Signal(0, true);
    FThread.join();
    kill(FPid, SIGCONT);
  }
  TSlowedProgram(const TSlowedProgram&) = delete;
  TSlowedProgram& operator=(const TSlowedProgram&) = delete;
  void Hold() { Signal(SIGSTOP, true); }

private:
  // Sends the signal unless the slowing has ended (end ends it); whether it goes on.
  bool Signal(int signal, bool end = false)
  {
    std::lock_guard<std::mutex> lock(FMutex);
    if (!FEnd && signal)
      kill(FPid, signal);
    FEnd = FEnd || end;
    return !FEnd;
  }
  void Run()
  {
    while (Signal(SIGCONT)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      if (!Signal(SIGSTOP))
        return;
      std::this_thread::sleep_for(std::chrono::milliseconds(48));
    }
  }
  pid_t FPid;
  std::mutex FMutex;
  bool FEnd = false;
  std::thread FThread;
};

class OwnedWindows : public ::testing::Test {
protected:
  static void SetUpTestSuite()
  {
    Desk = std::make_unique<desktop::TDesktop>("1280x1024");
    if (!Desk->Running())
      return;
    Program = std::make_unique<desktop::TProgram>(*Desk);
    Main = Desk->WaitFramedWindow("^Orrelo$");
    if (Main.empty())
      Desk->Screenshot("owned-no-main-window.png");
  }
  static void TearDownTestSuite()
  {
    Program.reset();
    Desk.reset();
  }
  void SetUp() override
  {
    ASSERT_TRUE(Desk && Desk->Running());
    ASSERT_TRUE(Program->Running()) << "the program ended";
    ASSERT_FALSE(Main.empty()) << "the main window never showed";
  }

  static void ClickMain(int x, int y)
  {
    Desk->WaitActiveShows();
    TWindowPlace m = Desk->Place(Main);
    Desk->Click(m.X + x, m.Y + y);
  }
  // Opens a menu of the main window's bar by a click and waits until its window shows (a busy
  // machine may take a while); MenuCommand then picks an item by keys.
  static void OpenMenu(int x)
  {
    auto shown = [] { return Desk->Run("xdotool search --onlyvisible --classname orrelo"); };
    const std::string before = shown();
    ClickMain(x, 9);
    EXPECT_TRUE(desktop::WaitFor([&] { return shown() != before; }, 10000)) << "no menu opened at " << x;
  }
  static void MenuCommand(int x, const std::string& keys)
  {
    OpenMenu(x);
    Desk->Keys(keys);
  }
  // Chooses an item of the menu of the bar at x by keys while the program is slowed as a busy
  // machine slows it, stops the program as the window the item opens maps (before it has read
  // that), waits until the window manager has activated that window, and does meanwhile what
  // the user does; then the program goes on. The window, or empty where a step failed.
  static std::string ShowOnASlowedProgram(int x, const std::string& keys, const std::string& title,
                                          const std::function<bool()>& meanwhile)
  {
    desktop::TXConnection watch(Desk->Display());
    watch.WatchFramesShown();
    OpenMenu(x);
    TSlowedProgram slow(Program->Pid());
    Desk->Keys(keys);
    if (!watch.WaitFrameShown(30000)) {
      ADD_FAILURE() << title << " never showed";
      return "";
    }
    slow.Hold();
    const std::string w = Desk->WaitWindow(title);
    if (w.empty() || !desktop::WaitFor([&] { return Desk->ActiveWindow() == w; })) {
      ADD_FAILURE() << "the window manager did not activate " << title;
      return "";
    }
    return meanwhile() ? w : "";
  }
  // A dialog's frame as the window asks the window manager for it and as the window manager
  // grants it: a dialog (or a tool window), with a close button and neither minimise nor
  // maximise (_MOTIF_WM_HINTS: functions, then decorations), and a size the user cannot
  // change, so nothing to maximise either.
  static void ExpectDialogFrame(const std::string& w, const std::string& title)
  {
    const std::string type = Desk->Property(w, "_NET_WM_WINDOW_TYPE");
    EXPECT_TRUE(type.find("= _NET_WM_WINDOW_TYPE_DIALOG") != std::string::npos
                || type.find("= _NET_WM_WINDOW_TYPE_UTILITY") != std::string::npos)
        << title << ": " << type;
    unsigned flags = 0, functions = 0, decorations = 0;
    const std::string motif = Desk->Property(w, "_MOTIF_WM_HINTS");
    const auto eq = motif.find('=');
    ASSERT_NE(eq, std::string::npos) << title << " asks for no frame: " << motif;
    ASSERT_EQ(std::sscanf(motif.c_str() + eq + 1, " %x, %x, %x", &flags, &functions, &decorations), 3) << motif;
    constexpr unsigned closeFunction = 0x20, minimiseFunction = 0x08, maximiseFunction = 0x10;
    constexpr unsigned titleDecoration = 0x08, minimiseDecoration = 0x20, maximiseDecoration = 0x40;
    EXPECT_TRUE((flags & 1) && (functions & closeFunction)) << title << " has no close button: " << motif;
    EXPECT_FALSE(functions & (minimiseFunction | maximiseFunction))
        << title << " may be minimised or maximised: " << motif;
    EXPECT_TRUE((flags & 2) && (decorations & titleDecoration)) << title << " has no title bar: " << motif;
    EXPECT_FALSE(decorations & (minimiseDecoration | maximiseDecoration))
        << title << " asks for minimise or maximise buttons: " << motif;
    const std::string actions = Desk->Property(w, "_NET_WM_ALLOWED_ACTIONS");
    EXPECT_NE(actions.find("_NET_WM_ACTION_CLOSE"), std::string::npos) << title << ": " << actions;
    EXPECT_EQ(actions.find("_NET_WM_ACTION_MAXIMIZE"), std::string::npos) << title << ": " << actions;
    EXPECT_EQ(actions.find("_NET_WM_ACTION_RESIZE"), std::string::npos) << title << ": " << actions;
  }
  // The window shows with a dialog's frame, declares itself modal and belongs to the main
  // window; after a click on the main window's page pane it is still above it and keeps the
  // keyboard: Escape closes it, and the main window is active again.
  static void ExpectKeptAboveTheMainWindow(const std::string& title, const char* shot)
  {
    std::string w = Desk->WaitWindow(title);
    ASSERT_FALSE(w.empty()) << title << " never showed";
    EXPECT_EQ(Desk->TransientFor(w), Main) << title;
    EXPECT_NE(Desk->NetState(w).find("_NET_WM_STATE_MODAL"), std::string::npos) << title << ": " << Desk->NetState(w);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ExpectDialogFrame(w, title);
    ClickMain(1000, 700);
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    Desk->Screenshot(shot);
    EXPECT_TRUE(Desk->Above(w, Main)) << title << " fell behind the main window";
    Desk->Keys("Escape");
    EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed(title).empty(); }))
        << title << " lost the keys to a click on the main window";
    EXPECT_TRUE(desktop::WaitFor([&] { return Desk->ActiveWindow() == Main; }));
  }
  // Closes the modal window by key after another program was active last and the window was
  // clicked back: the activation goes back to the main window, not to the other program.
  static void ExpectActivationBackOnTheMainWindow(const std::string& title, const std::string& other,
                                                  const std::string& keys)
  {
    std::string w = Desk->WaitWindow(title);
    ASSERT_FALSE(w.empty()) << title << " never showed";
    // Into the other program by a click on it: the pointer is the desktop's, and the other
    // program keeps the activation the click gave it.
    ASSERT_TRUE(Desk->Raise(other)) << "the other program's window was not raised";
    desktop::TXConnection x(Desk->Display());
    EXPECT_TRUE(x.PointerGrabbable()) << "the program holds the pointer with " << title << " up";
    const TWindowPlace o = Desk->Place(other);
    Desk->Click(o.X + o.Width / 2, o.Y + 5);
    ASSERT_TRUE(desktop::WaitFor([&] { return Desk->ActiveWindow() == other; })
                && !desktop::WaitFor([&] { return Desk->ActiveWindow() != other; }, 1000))
        << "a click on the other program left " << Desk->ActiveWindow() << " active (" << title << " is " << w << ")";
    TWindowPlace p = Desk->Place(w);
    Desk->Click(p.X + p.Width / 2, p.Y - p.FrameTop / 2);
    ASSERT_TRUE(desktop::WaitFor([&] { return Desk->ActiveWindow() == w; })) << title << " took no click";
    Desk->Keys(keys);
    ASSERT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed(title).empty(); })) << title << " stayed";
    Desk->WaitActiveShows();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(Desk->ActiveWindow(), Main) << "closing " << title << " activated " << Desk->ActiveWindow();
  }

  static std::unique_ptr<desktop::TDesktop> Desk;
  static std::unique_ptr<desktop::TProgram> Program;
  static std::string Main;
};

std::unique_ptr<desktop::TDesktop> OwnedWindows::Desk;
std::unique_ptr<desktop::TProgram> OwnedWindows::Program;
std::string OwnedWindows::Main;

TEST_F(OwnedWindows, TheMainWindowsFrameFillsTheWorkArea)
{
  desktop::ExpectFrameCovers(Desk->Place(Main), Desk->WorkArea());
}

TEST_F(OwnedWindows, ModalWindowsStayAboveTheMainWindowAfterAClickOnIt)
{
  MenuCommand(117, "Down Return");   // Animation > "Speed.."
  ExpectKeptAboveTheMainWindow("^Set the animation speed$", "owned-speed.png");
  MenuCommand(193, "Up Return");   // Help > "About"
  ExpectKeptAboveTheMainWindow("^About$", "owned-about.png");
  // "Levers", then "Levers class 1" in the index page; with its model shown, File > "Print
  // mechanism.." shows the picture's print preview (the user's login name is the name printed).
  ClickMain(696, 203);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(746, 223);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  MenuCommand(14, "Down Return");
  ExpectKeptAboveTheMainWindow("^Print preview$", "owned-picture-preview.png");

  // The page toolbar's "print": the preview fills the work area, frame and all, belongs to
  // the main window, and its buttons take the keys.
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 246, 36);
  std::string preview = Desk->WaitWindow("^Print preview$");
  ASSERT_FALSE(preview.empty());
  EXPECT_EQ(Desk->TransientFor(preview), Main);
  desktop::ExpectFrameCovers(Desk->Place(preview), Desk->WorkArea());
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  Desk->Screenshot("owned-print-preview.png");
  // The keyboard is on its first button: Return presses Print, whose dialog Escape closes,
  // the preview staying; Tab then goes on, and Escape closes the preview from any button.
  Desk->Keys("Return");
  const std::string dialog = Desk->WaitWindow("^Print$");
  EXPECT_FALSE(dialog.empty()) << "Return did not press Print";
  Desk->Keys("Escape");
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Print$").empty(); }));
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->ActiveWindow() == preview; })) << "the preview lost the keys";
  Desk->Keys("Tab Tab");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Desk->Screenshot("owned-print-preview-keys.png");
  Desk->Keys("Escape");
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Print preview$").empty(); }));
  // Again: Shift+Tab goes round from Print to Close, and Space presses it.
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 246, 36);
  preview = Desk->WaitWindow("^Print preview$");
  ASSERT_FALSE(preview.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  Desk->Keys("shift+Tab space");
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Print preview$").empty(); }))
      << "Shift+Tab and Space did not press Close";
}

// A modal window keeps the keys after the main window is minimised and restored and after
// Alt+Tab from another program, and closing it by key or by Alt+F4 activates the main window
// even when another program was active last. On a slowed program the windows leave the
// keyboard where the user takes it.
TEST_F(OwnedWindows, ModalWindowsKeepTheKeysAndGiveThemBackToTheMainWindow)
{
  MenuCommand(117, "Down Return");   // Animation > "Speed.."
  std::string speed = Desk->WaitWindow("^Set the animation speed$");
  ASSERT_FALSE(speed.empty());
  Desk->Run("xdotool windowminimize --sync " + Main);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Desk->Run("xdotool windowactivate --sync " + Main);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Desk->Keys("Escape");
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Set the animation speed$").empty(); }))
      << "the speed dialog lost the keys to a minimise and restore";

  desktop::TOtherProgram xmessage(*Desk, "Another program", 200, 200);
  const std::string other = Desk->WaitWindow("^Another program$");
  ASSERT_FALSE(other.empty());
  MenuCommand(193, "Up Return");   // Help > "About"
  std::string about = Desk->WaitWindow("^About$");
  ASSERT_FALSE(about.empty());
  // The box has had the keys before the other program takes them: the window manager's
  // Alt+Tab goes back to the window active last.
  ASSERT_TRUE(desktop::WaitFor([&] { return Desk->ActiveWindow() == about; })) << "About never had the keys";
  Desk->Run("xdotool windowactivate --sync " + other);
  ASSERT_TRUE(desktop::WaitFor([&] { return Desk->ActiveWindow() == other; })) << "the other program is not active";
  Desk->Keys("alt+Tab");
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->ActiveWindow() == about; }))
      << "Alt+Tab activated " << Desk->ActiveWindow();
  ExpectActivationBackOnTheMainWindow("^About$", other, "Return");
  MenuCommand(117, "Down Return");
  ExpectActivationBackOnTheMainWindow("^Set the animation speed$", other, "Escape");
  // The enlarged picture of the claw hammer (Levers, "Levers class 1", its picture), closed
  // by the window manager.
  ClickMain(696, 203);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(746, 223);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ClickMain(1127, 210);
  ExpectActivationBackOnTheMainWindow("^ $", other, "alt+F4");

  // On a slowed program (a busy machine), a window asks for nothing more once the window
  // manager has given it the keyboard. Animation > "Speed..", and the user goes to the other
  // program meanwhile: it keeps the keyboard and its place above the program's windows.
  const std::string dialog =
      ShowOnASlowedProgram(117, "Down Return", "^Set the animation speed$", [&] { return Desk->Focus(other); });
  ASSERT_FALSE(dialog.empty());
  EXPECT_FALSE(desktop::WaitFor([&] { return Desk->ActiveWindow() != other; }, 1500))
      << "the program took the keyboard back: " << Desk->ActiveWindow() << " (the dialog is " << dialog << ")";
  EXPECT_TRUE(Desk->Above(other, dialog) && Desk->Above(other, Main)) << "the program came back over the other one";
  ASSERT_TRUE(Desk->Focus(dialog));
  Desk->Keys("Escape");
  ASSERT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Set the animation speed$").empty(); }));
  // The test window, which the main window owns without waiting for it: Alt+Tab back to the
  // main window as soon as it has the keyboard stays there; closed after a visit to the other
  // program, it gives the keyboard to the main window, not to the program visited last.
  ASSERT_TRUE(Desk->Focus(Main));
  const std::string test = ShowOnASlowedProgram(161, "Down Return", "^Test$", [&] {
    Desk->Keys("alt+Tab");
    return desktop::WaitFor([&] { return Desk->ActiveWindow() == Main; });
  });
  ASSERT_FALSE(test.empty()) << "Alt+Tab did not reach the main window";
  EXPECT_FALSE(desktop::WaitFor([&] { return Desk->ActiveWindow() != Main; }, 1500))
      << "the test window took the keyboard back from the user";
  ASSERT_TRUE(Desk->Focus(other) && Desk->Focus(test));
  Desk->Keys("alt+F4");
  ASSERT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Test$").empty(); })) << "the test window stayed";
  Desk->WaitActiveShows();
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->ActiveWindow() == Main; }))
      << "closing the test window activated " << Desk->ActiveWindow();
}

// F1 in the speed dialog, the About box, the enlarged picture, the video window and the three
// print previews (the model's, the page's, the test's) shows the help window, each time at a
// page of its own: none shows what another, or the main window behind them, shows; the
// previews of pages (the page's, the test's) share theirs. The model's, with its Print and
// Cancel only, shows the page about printing, not the one about the pages' Previous, Next and
// Zoom.
TEST_F(OwnedWindows, F1InEachModalWindowShowsItsOwnHelpPage)
{
  desktop::TXConnection x(Desk->Display());
  std::vector<std::pair<std::string, desktop::TPixels>> pages;
  auto helpFor = [&](const std::string& title, const std::string& shown) {
    std::string w = Desk->WaitWindow(title);
    ASSERT_FALSE(w.empty()) << title << " never showed";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Desk->Keys("F1");
    std::string help = Desk->WaitWindow("^Orrelo Help$", 10000);
    ASSERT_FALSE(help.empty()) << "F1 in " << shown << " showed no help";
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    TWindowPlace p = Desk->Place(help);
    pages.emplace_back(shown, x.Grab(p.X, p.Y, p.Width, p.Height));
    Desk->Screenshot("owned-help-" + std::to_string(pages.size()) + ".png");
    Desk->Keys("alt+F4");
    ASSERT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Orrelo Help$").empty(); }));
    if (w == Main)
      return;
    Desk->Run("xdotool windowactivate --sync " + w);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Desk->Keys("Escape");
    EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed(title).empty(); })) << title << " stayed";
  };
  ClickMain(1000, 600);
  helpFor("^Orrelo$", "the main window");
  MenuCommand(117, "Down Return");   // Animation > "Speed.."
  helpFor("^Set the animation speed$", "the speed dialog");
  MenuCommand(193, "Up Return");   // Help > "About"
  helpFor("^About$", "the About box");
  ClickMain(1127, 210);   // the claw hammer's picture on the page of "Levers class 1"
  helpFor("^ $", "the enlarged picture");
  // The page's end, and its link to the claw hammer's clip.
  ClickMain(1000, 600);
  Desk->Keys("End");
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickMain(783, 674);
  helpFor("^Video clip$", "the video window");
  MenuCommand(14, "Down Return");   // File > "Print mechanism.."
  helpFor("^Print preview$", "the model's picture preview");
  ClickMain(Desk->WorkArea().Width / 2 - 10 + 246, 36);   // the page toolbar's "print"
  helpFor("^Print preview$", "a preview: the page's");
  MenuCommand(161, "Down Return");   // Test > "All topics", and the test window's "Print"
  const std::string test = Desk->WaitWindow("^Test$");
  ASSERT_FALSE(test.empty()) << "no test window";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const TWindowPlace t = Desk->Place(test);
  Desk->Click(t.X + 20, t.Y + 12);
  helpFor("^Print preview$", "a preview: the test's");
  Desk->Run("xdotool windowactivate --sync " + test);
  Desk->Keys("alt+F4");
  EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Test$").empty(); }));
  ASSERT_EQ(pages.size(), 8u);
  const std::string preview = "a preview";
  for (size_t i = 0; i < pages.size(); ++i)
    for (size_t j = i + 1; j < pages.size(); ++j) {
      const double difference = desktop::MeanDifference(pages[i].second, pages[j].second);
      if (pages[i].first.starts_with(preview) && pages[j].first.starts_with(preview))
        EXPECT_LT(difference, 0.5) << pages[i].first << " and " << pages[j].first << " show different help";
      else
        EXPECT_GT(difference, 0.5) << pages[i].first << " and " << pages[j].first << " show the same help";
    }
}

// F1 in "Print information", the box that asks for the name to print when the login gives
// none (a user without an entry in the user database, and no USER or LOGNAME), shows its help.
TEST(OwnedNameBox, F1ShowsItsHelp)
{
  if (geteuid() != 0)
    GTEST_SKIP() << "only the superuser can start the program as a user the system does not know";
  const std::string folder = std::string(ORRELO_TEST_OUTPUT) + "/unknown-user";
  desktop::Output("rm -rf " + desktop::Quoted(folder) + " && mkdir -p " + desktop::Quoted(folder));
  const std::string launcher = folder + "/orrelo";
  std::ofstream(launcher)
      << "#!/bin/sh\nexec setpriv --reuid=54321 --regid=54321 --clear-groups env -u USER -u LOGNAME "
         "HOME=/tmp "
      << desktop::Quoted(desktop::BinFolder() + "/orrelo") << "\n";
  desktop::Output("chmod 755 " + desktop::Quoted(launcher));
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TProgram program(desk, "orrelo", folder);
  const std::string main = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  const TWindowPlace m = desk.Place(main);
  // "Levers", "Levers class 1", then File > "Print mechanism..".
  OpenLeversClass1(desk, m);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  desk.Click(m.X + 14, m.Y + 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Keys("Down Return");
  const std::string box = desk.WaitWindow("^Print information$");
  ASSERT_FALSE(box.empty()) << "no box asked for the name";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  desk.Keys("F1");
  EXPECT_FALSE(desk.WaitWindow("^Orrelo Help$", 10000).empty()) << "F1 in the box showed no help";
  desk.Screenshot("owned-name-box-help.png");
}

// Without the help file F1 is silent: on a highlighted menu item, in the main window and in
// the test window no error box shows.
TEST(OwnedWindowsWithoutHelp, F1ShowsNoErrorBox)
{
  // The program's folder without its Help folder: the program linked in, its content beside it.
  const std::string folder = std::string(ORRELO_TEST_OUTPUT) + "/no-help-file";
  const std::string bin = desktop::BinFolder();
  desktop::Output("rm -rf " + desktop::Quoted(folder) + " && mkdir -p " + desktop::Quoted(folder));
  desktop::Output("ln " + desktop::Quoted(bin + "/orrelo") + " " + desktop::Quoted(folder + "/orrelo") + " || cp "
                  + desktop::Quoted(bin + "/orrelo") + " " + desktop::Quoted(folder + "/orrelo"));
  for (const char* item : {"HTML", "3DS", "Video", "questions", "liborrelo_media.so"})
    desktop::Output("ln -sn " + desktop::Quoted(bin + "/" + item) + " " + desktop::Quoted(folder + "/" + item));
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TProgram program(desk, "orrelo", folder);
  const std::string main = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  TWindowPlace m = desk.Place(main);
  // The titles of the program's visible windows but the ones named.
  auto others = [&](const std::vector<std::string>& known) {
    std::vector<std::string> out;
    for (const std::string& w : desk.WindowsNamed("."))
      if (std::find(known.begin(), known.end(), w) == known.end())
        out.push_back(desk.Run("xdotool getwindowname " + w));
    return out;
  };
  // "Help", "About" highlighted; F1.
  desk.Click(m.X + 193, m.Y + 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Keys("Up F1");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(others({main}), std::vector<std::string>{}) << "F1 on a menu item";
  desk.Keys("Escape Escape");
  desk.Click(m.X + 1000, m.Y + 600);
  desk.Keys("F1");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(others({main}), std::vector<std::string>{}) << "F1 in the main window";
  // Test > "All topics"; F1 in the test window.
  desk.Click(m.X + 161, m.Y + 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Keys("Down Return");
  const std::string test = desk.WaitWindow("^Test$");
  ASSERT_FALSE(test.empty()) << "no test window";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Run("xdotool windowactivate --sync " + test);
  desk.Keys("F1");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  desk.Screenshot("no-help-file-f1.png");
  EXPECT_EQ(others({main, test}), std::vector<std::string>{}) << "F1 in the test window";
}

// The 3D view: the program's window with a size that the window manager does not manage.
TWindowPlace ModelView(const desktop::TDesktop& desk)
{
  const std::vector<std::string> managed = desk.Stacking();
  std::istringstream ids(desk.Run("xdotool search --onlyvisible --class '^orrelo$'"));
  for (std::string id; ids >> id;)
    if (std::find(managed.begin(), managed.end(), id) == managed.end() && desk.Place(id).Width > 50)
      return desk.Place(id);
  return TWindowPlace{};
}

// A topic link whose model is damaged ("Levers class 3" with the forearm's file cut short):
// the error box shows, and once it is answered the linked page loads, though the pointer
// left the link while the box was up.
TEST(OwnedErrorBox, ADamagedModelsLinkLoadsItsPageWhereverThePointerWent)
{
  const std::string folder = std::string(ORRELO_TEST_OUTPUT) + "/damaged-model";
  const std::string bin = desktop::BinFolder();
  desktop::Output("rm -rf " + desktop::Quoted(folder) + " && mkdir -p " + desktop::Quoted(folder + "/3DS"));
  desktop::Output("ln " + desktop::Quoted(bin + "/orrelo") + " " + desktop::Quoted(folder + "/orrelo") + " || cp "
                  + desktop::Quoted(bin + "/orrelo") + " " + desktop::Quoted(folder + "/orrelo"));
  for (const char* item : {"HTML", "Help", "Video", "questions", "liborrelo_media.so"})
    desktop::Output("ln -sn " + desktop::Quoted(bin + "/" + item) + " " + desktop::Quoted(folder + "/" + item));
  desktop::Output("cp " + desktop::Quoted(bin + "/3DS") + "/* " + desktop::Quoted(folder + "/3DS/")
                  + " && head -c 3000 " + desktop::Quoted(bin + "/3DS/Arm_02.3ds") + " > "
                  + desktop::Quoted(folder + "/3DS/Arm_02.3ds"));
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TXConnection x(desk.Display());
  desktop::TProgram program(desk, "orrelo", folder);
  const std::string main = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  const TWindowPlace m = desk.Place(main);
  // "Levers" opens its entries in the index page; the page pane as it shows them.
  desk.Click(m.X + 696, m.Y + 203);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  desk.Run("xdotool mousemove " + std::to_string(m.X + 1000) + " " + std::to_string(m.Y + 800));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const desktop::TPixels index = x.Grab(m.X + 700, m.Y + 100, 500, 500);
  // "Levers class 3": the box, answered after the pointer went to the model pane.
  desk.Click(m.X + 746, m.Y + 293);
  std::string error;
  ASSERT_TRUE(desktop::WaitFor([&] {
    for (const std::string& w : desk.WindowsNamed("."))
      if (w != main && desk.Place(w).FrameTop > 0)
        error = w;
    return !error.empty();
  })) << "no error box";
  desk.Run("xdotool mousemove " + std::to_string(m.X + 300) + " " + std::to_string(m.Y + 600));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Screenshot("owned-damaged-model-box.png");
  desk.Run("xdotool windowactivate --sync " + error);
  desk.Keys("Return");
  ASSERT_TRUE(desktop::WaitFor([&] { return desk.Place(error).Width == 0; })) << "the box stayed";
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  desk.Screenshot("owned-damaged-model-page.png");
  EXPECT_GT(desktop::MeanDifference(index, x.Grab(m.X + 700, m.Y + 100, 500, 500)), 5)
      << "the page pane still shows the index";
}

// A picture the program loads while it starts (the answer strip's tick, cut short): its error
// box stands above the splash window, which every other window stays below, and takes the
// keys; once answered, the program comes up.
TEST(OwnedErrorBox, APictureThatFailsAtStartIsToldAboveTheSplash)
{
  const std::string folder = std::string(ORRELO_TEST_OUTPUT) + "/damaged-tick";
  const std::string bin = desktop::BinFolder();
  const std::string html = desktop::Quoted(folder + "/HTML");
  desktop::Output("rm -rf " + desktop::Quoted(folder) + " && mkdir -p " + desktop::Quoted(folder + "/HTML/images"));
  desktop::Output("ln " + desktop::Quoted(bin + "/orrelo") + " " + desktop::Quoted(folder + "/orrelo") + " || cp "
                  + desktop::Quoted(bin + "/orrelo") + " " + desktop::Quoted(folder + "/orrelo"));
  for (const char* item : {"3DS", "Help", "Video", "questions", "liborrelo_media.so"})
    desktop::Output("ln -sn " + desktop::Quoted(bin + "/" + item) + " " + desktop::Quoted(folder + "/" + item));
  desktop::Output("for f in " + desktop::Quoted(bin + "/HTML") + "/*; do [ \"${f##*/}\" = images ] || ln -s \"$f\" "
                  + html + "/; done; ln -s " + desktop::Quoted(bin + "/HTML/images") + "/* " + html + "/images/ && rm "
                  + html + "/images/Tick.bmp && head -c 100 " + desktop::Quoted(bin + "/HTML/images/Tick.bmp") + " > "
                  + html + "/images/Tick.bmp");
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TProgram program(desk, "orrelo", folder);
  const std::string box = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(box.empty()) << "no window came up";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Screenshot("owned-error-box-at-start.png");
  ASSERT_LT(desk.Place(box).Width, 600) << "the main window came up without telling of the picture";
  // The splash stands, unframed, and the box above it.
  std::string splash;
  for (const std::string& w : desk.Stacking())
    if (w != box && desk.Place(w).FrameTop == 0 && desk.Place(w).Width > 100)
      splash = w;
  ASSERT_FALSE(splash.empty()) << "no splash window";
  EXPECT_TRUE(desk.Above(box, splash)) << "the splash window hides the error box";
  ASSERT_TRUE(desktop::WaitFor([&] { return desk.ActiveWindow() == box; }, 10000)) << "the box does not take the keys";
  desk.Keys("Return");
  EXPECT_TRUE(desktop::WaitFor(
      [&] {
        for (const std::string& w : desk.WindowsNamed("^Orrelo$"))
          if (desk.Place(w).FrameTop > 0 && desk.Place(w).Width > 600)
            return true;
        return false;
      },
      30000))
      << "the main window never showed";
}

// The test window opened before any topic covers the splash pane; once a topic shows, its
// frame covers the 3D view alone, clear of the toolbar and the control row above it, and its
// buttons work where it now stands.
TEST(OwnedTestWindow, OpenedBeforeAnyTopicItMovesOffTheTopicsControls)
{
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TProgram program(desk);
  const std::string main = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  TWindowPlace m = desk.Place(main);
  // Test > "All topics".
  desk.Click(m.X + 161, m.Y + 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Keys("Down Return");
  const std::string test = desk.WaitWindow("^Test$");
  ASSERT_FALSE(test.empty()) << "no test window";
  OpenLeversClass1(desk, m);
  auto modelView = [&] { return ModelView(desk); };
  TWindowPlace view;
  ASSERT_TRUE(desktop::WaitFor([&] {
    view = modelView();
    return view.Width > 0 && view.Y > m.Y + 60;
  })) << "no model shows";
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  desk.Screenshot("owned-test-window-after-topic.png");
  desktop::ExpectFrameCovers(desk.Place(test), modelView());
  desktop::ExpectTestWindowButtonsWork(desk, test, "owned-test-window-moved-preview.png");
}

// The model pane keeps its share of the window: the starting split on a narrowing, then a
// splitter dragged by hand, then three maximise and restore cycles by double clicks on the
// title bar, and a narrowing and widening, each give the 3D view its width back.
TEST(OwnedMainWindow, TheModelPaneKeepsItsShareOverMaximiseRestoreAndGrowing)
{
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TProgram program(desk);
  const std::string main = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  TWindowPlace m = desk.Place(main);
  OpenLeversClass1(desk, m);
  ASSERT_TRUE(desktop::WaitFor([&] { return ModelView(desk).Width > 0; })) << "no model shows";
  // The window's client area sized to 1000 by 800; the 3D view settles at that width.
  auto resizeTo = [&](int width) {
    desk.Run("xdotool windowsize --sync " + main + " " + std::to_string(width) + " 800");
    return desktop::WaitFor([&] { return desk.Place(main).Width == width; });
  };
  auto settledView = [&] {
    int last = -1, width = ModelView(desk).Width;
    desktop::WaitFor([&] {
      last = width;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      width = ModelView(desk).Width;
      return width == last;
    });
    return width;
  };
  // Before any drag, the starting split is the share kept: a narrower window takes from both
  // panes, the page pane is not squeezed into a strip.
  const int startView = settledView(), startWidth = desk.Place(main).Width;
  ASSERT_TRUE(resizeTo(1000));
  EXPECT_NEAR(settledView(), startView * 1000 / startWidth, 6) << "the starting split was not kept as a share";
  // The splitter, dragged by hand 150 pixels left of where it stands.
  m = desk.Place(main);
  const TWindowPlace before = ModelView(desk);
  const int splitterX = before.X + before.Width + 2, splitterY = m.Y + m.Height / 2;
  desk.Run("xdotool mousemove " + std::to_string(splitterX) + " " + std::to_string(splitterY) + " mousedown 1");
  for (int dx = 10; dx <= 150; dx += 10)
    desk.Run("xdotool mousemove " + std::to_string(splitterX - dx) + " " + std::to_string(splitterY));
  desk.Run("xdotool mouseup 1");
  const int dragged = settledView();
  ASSERT_LT(dragged, before.Width - 100) << "the splitter did not follow the drag";
  for (int cycle = 1; cycle <= 3; ++cycle) {
    m = desk.Place(main);
    desk.Run("xdotool mousemove " + std::to_string(m.X + m.Width / 2) + " " + std::to_string(m.Y - m.FrameTop / 2)
             + " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(desktop::WaitFor([&] { return desk.Place(main).Width > 1000; })) << "not maximised, cycle " << cycle;
    const int maximised = settledView();
    EXPECT_GT(maximised, dragged) << "the model pane did not grow with the window, cycle " << cycle;
    m = desk.Place(main);
    desk.Run("xdotool mousemove " + std::to_string(m.X + m.Width / 2) + " " + std::to_string(m.Y - m.FrameTop / 2)
             + " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(desktop::WaitFor([&] { return desk.Place(main).Width == 1000; })) << "not restored, cycle " << cycle;
    EXPECT_NEAR(settledView(), dragged, 2) << "after restore " << cycle;
  }
  ASSERT_TRUE(resizeTo(600));
  EXPECT_LT(settledView(), dragged);
  ASSERT_TRUE(resizeTo(1000));
  EXPECT_NEAR(settledView(), dragged, 2) << "after growing the window again";
  desk.Screenshot("owned-pane-share-kept.png");
}

// With the help window open behind the main window, the 3D view's hint shows in the status
// line wherever the pointer is over the view, over the part the help window's rectangle
// covers as elsewhere.
TEST(OwnedHelpWindow, TheStatusLineHintFollowsTheWindowUnderThePointer)
{
  desktop::TDesktop desk;
  ASSERT_TRUE(desk.Running());
  desktop::TProgram program(desk);
  const std::string main = desk.WaitFramedWindow("^Orrelo$");
  ASSERT_FALSE(main.empty()) << "the main window never showed";
  desktop::TXConnection x(desk.Display());
  TWindowPlace m = desk.Place(main);
  // Help > "Contents..", then back to the main window by a click beside the help window.
  desk.Click(m.X + 193, m.Y + 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Keys("Down Down Return");
  const std::string help = desk.WaitWindow("^Orrelo Help$");
  ASSERT_FALSE(help.empty()) << "no help window";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  desk.Click(m.X + 1200, m.Y + 950);
  // "Levers", then "Levers class 1".
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  OpenLeversClass1(desk, m);
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));
  ASSERT_TRUE(desk.Above(main, help));
  const TWindowPlace h = desk.Place(help);
  // The status line's ink with the pointer resting at a point.
  auto statusInk = [&](int px, int py) {
    desk.Run("xdotool mousemove " + std::to_string(px) + " " + std::to_string(py));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    desk.Run("xdotool mousemove " + std::to_string(px + 2) + " " + std::to_string(py + 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    desktop::TPixels status = x.Grab(m.X, m.Y + m.Height - 20, 600, 20);
    int ink = 0;
    for (int yy = 0; yy < status.Height; ++yy)
      for (int xx = 0; xx < status.Width; ++xx)
        ink += status.Luminance(xx, yy) < 90;
    return ink;
  };
  const int outside = statusInk(m.X + 100, m.Y + 900);
  EXPECT_GT(outside, 200) << "no hint for the 3D view";
  ASSERT_LT(h.X + 60, m.X + 590);
  const int under = statusInk(h.X + 60, h.Y + 200);
  desk.Screenshot("owned-hint-under-help-window.png");
  EXPECT_EQ(under, outside) << "the hint changed where the help window lies behind the view";
}

// The exit box closed by Escape, by Alt+F4 and by its frame's close button answers No: the box
// goes and the program runs on. Alt+Y on it ends the program at once.
TEST_F(OwnedWindows, AltYOnTheExitBoxEndsTheProgramAtOnceAndClosingItAnswersNo)
{
  for (const char* closing : {"Escape", "alt+F4", "the close button"}) {
    ClickMain(1000, 700);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Desk->Keys("alt+F4");
    const std::string box = Desk->WaitWindow("^Confirm$");
    ASSERT_FALSE(box.empty()) << "closing did not ask";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (std::string(closing) == "the close button") {
      const TWindowPlace b = Desk->Place(box);
      Desk->Click(b.OuterRight() - 10, b.OuterTop() + b.FrameTop / 2);
    } else {
      Desk->Keys(closing);
    }
    EXPECT_TRUE(desktop::WaitFor([&] { return Desk->WindowsNamed("^Confirm$").empty(); }, 3000))
        << closing << " left the exit box up";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(Program->Running()) << closing << " on the exit box ended the program";
  }
  ClickMain(1000, 700);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Desk->Keys("alt+F4");
  std::string box = Desk->WaitWindow("^Confirm$");
  ASSERT_FALSE(box.empty()) << "closing did not ask";
  EXPECT_EQ(Desk->TransientFor(box), Main);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ExpectDialogFrame(box, "the exit box");
  Desk->Screenshot("owned-exit-box.png");
  Desk->Keys("alt+y");
  // No further key or click: the program ends by itself.
  EXPECT_TRUE(desktop::WaitFor([&] { return !Program->Running(); }, 15000)) << "the program ran on after Alt+Y";
}

}   // namespace
