// The "Printing" box a print job shows, on a desktop with a window manager: it belongs to the
// window the job was started from and stays above it when the user clicks that window, without
// being kept above every other program. The box that tells how the program's job ended belongs
// to the main window, whose menu bar works again, and looks it, once the box is closed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Forms.h"
#include "shell/PrintHelpers.h"
#include "tests/desktop/DesktopSupport.h"
#include "tests/desktop/ScreenReadBack.h"
#include "tests/html/PrintTestUtil.h"
#include "tests/platform/XInputSupport.h"

using namespace xinput;

namespace {

// The program on a desktop of its own, its main window shown (Main empty when it never
// showed) with its client area at M.
struct TProgramShown {
  desktop::TDesktop Desk{"1280x1024"};
  desktop::TProgram Program{Desk};
  std::string Main = Desk.Running() ? Desk.WaitFramedWindow("^Orrelo$") : std::string();
  desktop::TWindowPlace M = Main.empty() ? desktop::TWindowPlace{} : Desk.Place(Main);
};

// Opens a topic from the index in the program's main window (its client area at m): the
// heading of its book, then the topic below it, each clicked where it shows.
void OpenTopic(const desktop::TDesktop& desk, const desktop::TWindowPlace& m, TPoint book, TPoint topic)
{
  std::this_thread::sleep_for(std::chrono::seconds(2));
  desk.Click(m.X + book.X, m.Y + book.Y);
  std::this_thread::sleep_for(std::chrono::seconds(2));
  desk.Click(m.X + topic.X, m.Y + topic.Y);
  std::this_thread::sleep_for(std::chrono::seconds(5));
}

// Opens the model picture's preview from the main window (its client area at m): File,
// "Print mechanism..", a name when asked for (the box may come late on a busy machine); gives
// the preview ("" when none opens).
std::string OpenPicturePreview(const desktop::TDesktop& desk, const desktop::TWindowPlace& m)
{
  desk.Click(m.X + 15, m.Y + 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  desk.Click(m.X + 69, m.Y + 31);
  desk.WaitWindow("^(Print information|Print preview)$", 40000);
  if (const std::vector<std::string> box = desk.WindowsNamed("^Print information$"); !box.empty()) {
    desk.Run("xdotool windowactivate --sync " + box.front());
    desk.Type("Ann");
    desk.Keys("Return");
  }
  return desk.WaitWindow("^Print preview$", 40000);
}

// Starts printing the model's picture from the main window (its client area at m): its
// preview's Print; gives the print dialog that opens ("" when none does).
std::string PrintModelPicture(const desktop::TDesktop& desk, const desktop::TWindowPlace& m)
{
  const std::string preview = OpenPicturePreview(desk, m);
  if (preview.empty())
    return {};
  desk.Run("xdotool windowactivate --sync " + preview + " key Return");
  return desk.WaitWindow("^Print$", 40000);
}

// How ChoosePaper leaves the paper: as it is, or turned.
enum class TTurn { Keep, Landscape, Portrait };

// Chooses in the print dialog's Properties the queue's paper that many steps below its first
// (Letter, A4, A5, A0), turned as asked.
void ChoosePaper(const desktop::TDesktop& desk, const std::string& dialog, int downs, TTurn turn)
{
  desk.Run("xdotool windowactivate --sync " + dialog + " key alt+r");
  const std::string properties = desk.WaitWindow("^Printer Properties$");
  ASSERT_FALSE(properties.empty()) << "no properties";
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const desktop::TWindowPlace pp = desk.Place(properties);
  desk.Click(pp.X + 230, pp.Y + 114);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  std::string keys = "Home";
  for (int i = 0; i < downs; ++i)
    keys += " Down";
  desk.Keys(keys + " Return");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  if (turn != TTurn::Keep)
    desk.Click(pp.X + 40, pp.Y + (turn == TTurn::Landscape ? 236 : 210));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const char* turned[] = {".png", "-landscape.png", "-portrait.png"};
  desk.Screenshot("print-dialog-paper-" + std::to_string(downs) + turned[int(turn)]);
  desk.Run("xdotool windowactivate --sync " + properties + " key Return");
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Printer Properties$").empty(); }, 5000));
}

// The sheet the model picture's preview shows (File, "Print mechanism..", a name when asked),
// as its width and height on the screen: the longest runs of white across and down the box
// (the sheet's margins; nothing else in it is white that far). Closed again by Escape.
std::pair<int, int> PreviewedSheet(const desktop::TDesktop& desk, const desktop::TWindowPlace& m,
                                   const std::string& shot)
{
  const std::string preview = OpenPicturePreview(desk, m);
  EXPECT_FALSE(preview.empty()) << "no preview";
  if (preview.empty())
    return {0, 0};
  std::this_thread::sleep_for(std::chrono::seconds(1));
  desk.Screenshot(shot);
  const desktop::TWindowPlace p = desk.Place(preview);
  desktop::TXConnection x(desk.Display());
  const desktop::TPixels box = x.Grab(p.X, p.Y, p.Width, p.Height);
  int across = 0, down = 0;
  for (int y = 0, run = 0; y < box.Height; ++y, run = 0)
    for (int i = 0; i < box.Width; ++i)
      across = std::max(across, run = box.Luminance(i, y) >= 250 ? run + 1 : 0);
  for (int i = 0, run = 0; i < box.Width; ++i, run = 0)
    for (int y = 0; y < box.Height; ++y)
      down = std::max(down, run = box.Luminance(i, y) >= 250 ? run + 1 : 0);
  desk.Run("xdotool windowactivate --sync " + preview + " key Escape");
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Print preview$").empty(); }));
  return {across, down};
}

}   // namespace

TEST(DesktopPrintingBox, StaysAboveTheWindowThePrintingStartedFromAfterAClickOnIt)
{
  if (!Available())
    GTEST_SKIP() << "xdotool is not installed";
  TForm owner;
  owner.SetCaption("Picture to print");
  owner.SetBounds(100, 100, 500, 400);
  owner.Show();
  ASSERT_TRUE(PumpUntil([&] { return owner.Showing(); }));
  PumpFor(300);
  Click(Centre(&owner));
  ASSERT_TRUE(PumpUntil([&] { return owner.Active(); }, 3000)) << "the window never became active";

  std::unique_ptr<TAbortDialog> box = CreateAbortDialog();
  ASSERT_NE(box, nullptr);
  SetAbortDialogText(box.get(), "Printing Page 1:1 - 0%");
  desktop::TDesktop desk{desktop::TDesktop::TThisDisplay{}};
  std::string boxId, ownerId;
  auto named = [&](const std::string& pattern) {
    const std::vector<std::string> ids = desk.WindowsNamed(pattern);
    return ids.empty() ? std::string() : ids.front();
  };
  ASSERT_TRUE(PumpUntil(
      [&] {
        boxId = named("^Printing Page 1:1");
        ownerId = named("^Picture to print$");
        return !boxId.empty() && !ownerId.empty();
      },
      5000))
      << "the box or its window is not on the screen";
  EXPECT_EQ(desk.TransientFor(boxId), ownerId) << "the box does not belong to its window";

  // A click on the window the job started from: the box stays above it.
  Click(owner.ClientToScreen({20, owner.ClientHeight() - 20}));
  PumpFor(500);
  EXPECT_TRUE(PumpUntil([&] { return desk.Above(boxId, ownerId); }, 3000)) << "the box fell behind its window";
  EXPECT_EQ(desk.NetState(boxId).find("_NET_WM_STATE_ABOVE"), std::string::npos) << "kept above every program";
  desk.Screenshot("printing-box-above-its-window.png");
  // Its one button has the keyboard: Space stops the job, and so do Alt and the button's
  // access key, on a box of their own.
  for (const char* key : {"space", "alt+c"}) {
    if (!box) {
      box = CreateAbortDialog();
      SetAbortDialogText(box.get(), "Printing Page 1:1 - 5%");
      ASSERT_TRUE(PumpUntil([&] { return !(boxId = named("^Printing Page 1:1 - 5%")).empty(); }, 5000));
    }
    desk.Run("xdotool windowactivate --sync " + boxId);
    X(std::string("key ") + key);
    EXPECT_TRUE(PumpUntil([&] { return AbortDialogCancelled(box.get()) == -1; }, 3000)) << key << " left the job going";
    FreeAbortDialog(box);
  }

  // Waiting for a job with no box of its own (a page printing), the window is activated by a
  // click all the same, but the keys typed there reach nothing of it.
  {
    TWindowsDisabled waiting;
    Click(Centre(&owner));
    ASSERT_TRUE(PumpUntil([&] { return owner.Active(); }, 3000)) << "the window never became active";
    int heard = 0;
    const int filter = AddInputFilter([&](const TInputEvent& e) {
      heard += (e.Kind == TInputKind::KeyDown || e.Kind == TInputKind::KeyUp) && e.Target
               && e.Target->GetParentForm() == &owner;
      return false;
    });
    X("key a alt+f");
    PumpFor(500);
    RemoveInputFilter(filter);
    EXPECT_EQ(heard, 0) << "a window waiting for a job took keys";
  }
  owner.Hide();
}

// The program itself on a desktop of its own: a model's picture printed through the menus and
// the print dialog to the run's spooler. The box that says the job is done belongs to the
// main window, and once it is closed the main window's menu bar is drawn as a working one
// (black entries), without a menu being opened first. Printed again on A0 (seconds of work),
// the "Printing" box closed by its title bar's button stops the job as its Cancel does: no
// job reaches the queue, and the main window works again. While a job runs the main window
// takes neither the keys nor a close request.
TEST(DesktopPrintingBox, TheProgramsMenuBarWorksAgainOnceThePrintedPictureIsReported)
{
  TProgramShown shown;
  ASSERT_FALSE(shown.Main.empty()) << "the main window never showed";
  const desktop::TDesktop& desk = shown.Desk;
  const std::string& main = shown.Main;
  const desktop::TWindowPlace& m = shown.M;
  desktop::TXConnection x(desk.Display());
  // Dark pixels of the menu bar's entries: black when they work, grey when drawn disabled.
  auto menuInk = [&] {
    const desktop::TPixels p = x.Grab(m.X, m.Y, 260, 18);
    int dark = 0;
    for (size_t i = 0; i + 2 < p.Rgb.size(); i += 3)
      dark += p.Rgb[i] < 70 && p.Rgb[i + 1] < 70 && p.Rgb[i + 2] < 70;
    return dark;
  };
  // "Levers", then "Levers class 1": a model to print.
  OpenTopic(desk, m, {696, 204}, {747, 224});
  const int working = menuInk();
  ASSERT_GT(working, 40) << "no menu bar to look at";
  const std::string dialog = PrintModelPicture(desk, m);
  ASSERT_FALSE(dialog.empty()) << "no print dialog";
  desk.Run("xdotool windowactivate --sync " + dialog + " key Return");
  const std::string box = desk.WaitWindow("^Information$", 60000);
  ASSERT_FALSE(box.empty()) << "no box said how the job ended";
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_EQ(desk.TransientFor(box), main) << "the box does not belong to the main window";
  desk.Screenshot("program-print-completed.png");
  desk.Run("xdotool windowactivate --sync " + box + " key Return");
  // The keyboard back on the main window, and the repaints that follow done: the entries
  // must be black then, and stay so.
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.ActiveWindow() == main; })) << "the main window is not active";
  std::this_thread::sleep_for(std::chrono::seconds(2));
  desk.Screenshot("program-after-print.png");
  EXPECT_GE(menuInk(), working * 9 / 10) << "the menu bar is drawn disabled";
  EXPECT_FALSE(testcmd::Output(std::string("lpstat -W completed -o ") + printtest::QueueName).empty())
      << "the picture never reached the queue";

  const int jobs = printtest::QueueJobs();
  const std::string a0 = PrintModelPicture(desk, m);
  ASSERT_FALSE(a0.empty()) << "no print dialog";
  ChoosePaper(desk, a0, 3, TTurn::Keep);
  desk.Run("xdotool windowactivate --sync " + a0 + " key Return");
  const std::string printing = desk.WaitWindow("^Printing Page", 30000);
  ASSERT_FALSE(printing.empty()) << "no Printing box";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const desktop::TWindowPlace p = desk.Place(printing);
  desk.Screenshot("program-print-a0.png");
  desk.Click(p.OuterRight() - 10, p.OuterTop() + p.FrameTop / 2);
  const std::string stopped = desk.WaitWindow("^Information$", 60000);
  ASSERT_FALSE(stopped.empty()) << "no box said how the job ended";
  EXPECT_TRUE(desk.WindowsNamed("^Printing").empty()) << "the Printing box stayed";
  EXPECT_EQ(desk.TransientFor(stopped), main);
  desk.Screenshot("program-print-closed.png");
  desk.Run("xdotool windowactivate --sync " + stopped + " key Return");
  EXPECT_TRUE(printtest::QueueIdle());
  EXPECT_EQ(printtest::QueueJobs(), jobs) << "the job went on to the queue";
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.ActiveWindow() == main; })) << "the main window is not active";

  // On A0 once more (a minute's work here), the main window clicked while the job runs: it
  // waits for the job, so the keys go on to the "Printing" box, and its frame's close button
  // asks nothing while the job goes on. Escape then stops it, as the box's Cancel does.
  const std::string again = PrintModelPicture(desk, m);
  ASSERT_FALSE(again.empty()) << "no print dialog";
  ChoosePaper(desk, again, 3, TTurn::Keep);
  desk.Run("xdotool windowactivate --sync " + again + " key Return");
  const std::string running = desk.WaitWindow("^Printing Page", 30000);
  ASSERT_FALSE(running.empty()) << "no Printing box";
  auto percent = [&] {
    const std::string title = desk.Run("xdotool getwindowname " + running);
    return std::atoi(title.substr(title.rfind('-') + 1).c_str());
  };
  desk.Click(m.X + 1000, m.Y + 600);
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.ActiveWindow() == running; }, 3000))
      << "the main window took the keys";
  const int before = percent();
  const desktop::TWindowPlace frame = desk.Place(main);
  desk.Click(frame.OuterRight() - 10, frame.OuterTop() + frame.FrameTop / 2);
  EXPECT_TRUE(desktop::WaitFor([&] { return percent() > before + 1; })) << "the job stalled";
  desk.Screenshot("program-print-a0-main-closed.png");
  const std::vector<std::string> asked = desk.WindowsNamed("^Confirm$");
  EXPECT_TRUE(asked.empty()) << "the main window asked to end the program while it printed";
  for (const std::string& box : asked)
    desk.Run("xdotool windowactivate --sync " + box + " key n");
  desk.Keys("Escape");
  const std::string cancelled = desk.WaitWindow("^Information$", 30000);
  ASSERT_FALSE(cancelled.empty()) << "no box said how the job ended";
  EXPECT_EQ(desk.TransientFor(cancelled), main) << "the main window went";
  desk.Run("xdotool windowactivate --sync " + cancelled + " key Return");
  EXPECT_TRUE(printtest::QueueIdle());
  EXPECT_EQ(printtest::QueueJobs(), jobs);
}

// The program on a desktop of its own, printing a topic's page through the page preview and
// the real print dialog to the run's spooler, as a user does. The page is printed once with
// the dialog left alone (the queue's Letter, one sheet), then with A5 turned to landscape
// chosen in the dialog's Properties: every word of the page is on the second job too, on A5
// sheets, however many the page needs there. A print dialog cancelled changes nothing.
TEST(DesktopPrintingBox, APagePrintedOnThePaperChosenInThePrintDialogKeepsEveryWord)
{
  using namespace printtest;
  ASSERT_FALSE(QueueOutput().empty()) << "no print spooler";
  TProgramShown shown;
  ASSERT_FALSE(shown.Main.empty()) << "the main window never showed";
  const desktop::TDesktop& desk = shown.Desk;
  const desktop::TWindowPlace& m = shown.M;
  // "Motion", then "Rotary": a page of one Letter sheet. The model picture's preview shows
  // the queue's Letter sheet upright.
  OpenTopic(desk, m, {697, 180}, {723, 201});
  const int before = QueueJobs();
  const auto [uprightW, uprightH] = PreviewedSheet(desk, m, "model-preview-letter.png");
  EXPECT_NEAR(double(uprightH) / std::max(uprightW, 1), 11 / 8.5, 0.05) << uprightW << " x " << uprightH;

  // The page toolbar's "print", the preview's "Print", then the dialog; choose() chooses in it.
  // Jobs a queue has taken, and whether it has done them all.
  auto jobsOf = [](const std::string& queue) {
    const std::string list = testcmd::Output("lpstat -W all -o " + queue + " 2>/dev/null");
    return std::count(list.begin(), list.end(), '\n');
  };
  auto idle = [](const std::string& queue) {
    return testcmd::Output("lpstat -W not-completed -o " + queue + " 2>/dev/null").empty();
  };
  // The page toolbar's "print", the preview's "Print", then the dialog, where choose()
  // chooses; gives the PDF the queue printed into its file, kept under name ("": none).
  auto print = [&](const std::string& name, const std::function<void(const std::string&)>& choose,
                   const std::string& queue = QueueName, const std::string& output = QueueOutput()) {
    std::filesystem::remove(output);
    desk.Click(m.X + 877, m.Y + 33);
    const std::string preview = desk.WaitWindow("^Print preview$", 40000);
    EXPECT_FALSE(preview.empty()) << "no preview";
    if (preview.empty())
      return std::string();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const desktop::TWindowPlace p = desk.Place(preview);
    desk.Click(p.X + 47, p.Y + 14);
    const std::string dialog = desk.WaitWindow("^Print$");
    EXPECT_FALSE(dialog.empty()) << "no print dialog";
    if (dialog.empty())
      return std::string();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    choose(dialog);
    const auto jobs = jobsOf(queue);
    desk.Run("xdotool windowactivate --sync " + dialog + " key Return");
    EXPECT_TRUE(desktop::WaitFor([&] { return jobsOf(queue) > jobs && idle(queue); }, 60000))
        << "no job reached the queue " << queue;
    EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Print preview$").empty(); }, 10000))
        << "the preview did not close after the job";
    const std::string kept = OutputDir() + "/" + name;
    std::error_code ec;
    std::filesystem::copy_file(output, kept, std::filesystem::copy_options::overwrite_existing, ec);
    return ec ? std::string() : kept;
  };

  const std::string letter = print("desktop-rotary-letter.pdf", [](const std::string&) {});
  ASSERT_FALSE(letter.empty()) << "the queue printed nothing";
  EXPECT_EQ(PageSize(letter), "612 x 792");
  const std::map<std::string, int> words = WordCounts(Text(letter));
  ASSERT_GT(words.size(), 50u) << "not the topic's page";

  // Properties: the paper A5 (the queue's third), turned to landscape, OK.
  auto chooseA5Landscape = [&](const std::string& dialog) { ChoosePaper(desk, dialog, 2, TTurn::Landscape); };
  const std::string a5 = print("desktop-rotary-a5-landscape.pdf", chooseA5Landscape);
  ASSERT_FALSE(a5.empty()) << "the queue printed nothing";
  EXPECT_EQ(PageSize(a5), "595 x 420");
  EXPECT_GT(PageCount(a5), 1) << "Rotary fits no A5 sheet turned";
  EXPECT_EQ(WordCountDifferences(words, WordCounts(Text(a5))), "");

  // The same paper, and "1,3" typed in the dialog's "Pages" (under "Options >>"): the first
  // and the third A5 sheet, not the second, and no page range sent on to the spooler to pick
  // pages of the job again.
  const std::string named = print("desktop-rotary-a5-pages-1-3.pdf", [&](const std::string& dialog) {
    chooseA5Landscape(dialog);
    desk.Run("xdotool windowactivate --sync " + dialog + " key alt+o");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const desktop::TWindowPlace d = desk.Place(dialog);
    desk.Click(d.X + 38, d.Y + 270);
    desk.Click(d.X + 182, d.Y + 270);
    desk.Type("1,3");
    desk.Screenshot("print-dialog-pages-1-3.png");
  });
  ASSERT_FALSE(named.empty()) << "the queue printed nothing";
  ASSERT_GE(PageCount(a5), 3);
  ASSERT_EQ(PageCount(named), 2);
  EXPECT_EQ(Text(named, 1, 1), Text(a5, 1, 1));
  EXPECT_EQ(Text(named, 2, 2), Text(a5, 3, 3));
  EXPECT_EQ(LastJobAttributes().find("page-ranges"), std::string::npos);
  EXPECT_EQ(QueueJobs(), before + 3);

  // The model's picture on A5 turned to landscape, chosen in the same dialog's Properties.
  std::filesystem::remove(QueueOutput());
  const std::string pictureDialog = PrintModelPicture(desk, m);
  ASSERT_FALSE(pictureDialog.empty()) << "no print dialog for the picture";
  chooseA5Landscape(pictureDialog);
  desk.Run("xdotool windowactivate --sync " + pictureDialog + " key Return");
  const std::string box = desk.WaitWindow("^Information$", 60000);
  ASSERT_FALSE(box.empty()) << "no box said how the job ended";
  desk.Run("xdotool windowactivate --sync " + box + " key Return");
  const std::string picture = TakeQueued("desktop-rotary-picture-a5-landscape.pdf");
  ASSERT_FALSE(picture.empty()) << "the picture never reached the queue";
  EXPECT_EQ(PageSize(picture), "595 x 420");
  EXPECT_EQ(QueueJobs(), before + 4);
  // Another queue, paper and orientation chosen in the print dialog, which is then cancelled:
  // nothing changes.
  const std::string cancelled = PrintModelPicture(desk, m);
  ASSERT_FALSE(cancelled.empty()) << "no print dialog for the picture";
  desk.Run("xdotool windowactivate --sync " + cancelled + " key alt+n Up");
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ChoosePaper(desk, cancelled, 3, TTurn::Portrait);
  desk.Run("xdotool windowactivate --sync " + cancelled + " key Escape");
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Print$").empty(); }));
  const std::string sheet = desk.WaitWindow("^Print preview$");
  desk.Run("xdotool windowactivate --sync " + sheet + " key Escape");
  EXPECT_TRUE(desktop::WaitFor([&] { return desk.WindowsNamed("^Print preview$").empty(); }));
  // The orientation chosen stays, on the paper the print dialog proposes again, the queue's
  // own: the next picture's preview shows a Letter sheet turned.
  const auto [turnedW, turnedH] = PreviewedSheet(desk, m, "model-preview-letter-landscape.png");
  EXPECT_NEAR(double(turnedH) / std::max(turnedW, 1), 8.5 / 11, 0.05) << turnedW << " x " << turnedH;

  // Another queue chosen by its name, whose paper is A5: the job is laid out on that paper
  // and every word is on it.
  const char* a5Output = std::getenv("ORRELO_PRINT_OUTPUT_A5");
  ASSERT_NE(a5Output, nullptr) << "the spooler has no A5 queue";
  const std::string other = print(
      "desktop-rotary-a5-queue.pdf",
      [&](const std::string& dialog) {
        desk.Run("xdotool windowactivate --sync " + dialog + " key alt+n Up");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        desk.Screenshot("print-dialog-a5-queue.png");
      },
      "OrreloA5", a5Output);
  ASSERT_FALSE(other.empty()) << "the A5 queue printed nothing";
  // A5, turned as the last job was (the orientation chosen stays).
  EXPECT_EQ(PageSize(other), "595 x 420");
  EXPECT_GT(PageCount(other), 1);
  EXPECT_EQ(WordCountDifferences(words, WordCounts(Text(other))), "");
  EXPECT_EQ(QueueJobs(), before + 4);
}
