// Windows the program draws through off-screen pictures, on a screen of two device pixels per
// logical pixel. The toolkit's scale is fixed when a program starts, so the first test runs
// this program again with the scale at 2 and only the HighDensityScreen tests; those show each
// window, read it back from the display and count the 2x2 pixel blocks holding ink whose four
// pixels span near-black to near-white: a picture drawn at half resolution and enlarged has none.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "lessons/Questions.h"
#include "platform/AppHelp.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "shell/CamGraph.h"
#include "shell/HelpRouter.h"
#include "shell/HelpViewer.h"
#include "shell/HtmlHelpApi.h"
#include "shell/PrintPreview.h"
#include "shell/TopicTest.h"
#include "tests/ChildLeakCheck.h"
#include "tests/shell/HelpTestSupport.h"
#include "tests/shell/PictureOutput.h"
#include "toolbar/PopupAnimation.h"

extern char** environ;

namespace {

bool ScaledRun() { return std::getenv("ORRELO_SCALED_RUN") != nullptr; }

void Settle(int ms = 300)
{
  for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
       std::chrono::steady_clock::now() < end;)
    Application->ProcessMessages();
}

struct TInk {
  long Blocks = 0, Sharp = 0;
  double Share() const { return Blocks ? double(Sharp) / double(Blocks) : 0; }
};

// The 2x2 blocks holding ink (a pixel darker than mid grey), and those of them holding both
// near-black and near-white: a picture of half the resolution enlarged, even smoothly, mixes
// each pixel with its neighbours by at most 7/16 and so never spans that much in one block.
TInk InkBlocks(const TBitmap& shot)
{
  auto level = [](TColor c) { return (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3; };
  TInk ink;
  for (int32_t y = 0; y + 1 < shot.Height(); y += 2)
    for (int32_t x = 0; x + 1 < shot.Width(); x += 2) {
      const int l[4] = {level(shot.GetPixel(x, y)), level(shot.GetPixel(x + 1, y)), level(shot.GetPixel(x, y + 1)),
                        level(shot.GetPixel(x + 1, y + 1))};
      const int lo = std::min({l[0], l[1], l[2], l[3]}), hi = std::max({l[0], l[1], l[2], l[3]});
      if (lo >= 128)
        continue;
      ++ink.Blocks;
      ink.Sharp += hi - lo > 128;
    }
  return ink;
}

// Reads Control back from the display, keeps the picture to be looked at, and checks it has
// the screen's pixels with detail in its ink.
void ExpectSharp(TControl& control, const std::string& name, double least)
{
  EXPECT_EQ(control.DevicePixelRatio(), 2) << name;
  TBitmap shot;
  control.CaptureScreen(shot);
  ASSERT_FALSE(shot.Empty()) << name;
  SaveTestPicture(shot, "highdensity-" + name + ".png");
  EXPECT_EQ(shot.Width(), 2 * control.Width()) << name;
  const TInk ink = InkBlocks(shot);
  EXPECT_GT(ink.Blocks, 20) << name << ": no ink to look at";
  EXPECT_GE(ink.Share(), least) << name << ": " << ink.Sharp << " of " << ink.Blocks << " ink blocks sharp";
  std::printf("%s: %ld of %ld ink blocks sharp\n", name.c_str(), ink.Sharp, ink.Blocks);
}

}   // namespace

TEST(HighDensity, WindowsDrawnOffScreenHaveTheScreensPixelsAtScaleTwo)
{
  if (ScaledRun())
    GTEST_SKIP() << "the run at scale 2 itself";
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::vector<std::string> args{self, "--gtest_filter=HighDensityScreen.*"};
  std::vector<std::string> envStrings{"QT_SCALE_FACTOR=2", "ORRELO_SCALED_RUN=1"};
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("QT_SCALE_FACTOR=", 0) != 0)
      envStrings.push_back(*e);
  std::vector<char*> argv, env;
  for (std::string& s : args)
    argv.push_back(s.data());
  argv.push_back(nullptr);
  for (std::string& s : envStrings)
    env.push_back(s.data());
  env.push_back(nullptr);

  // The child's run: its exit status and everything it wrote.
  auto runChild = [&](int& status, std::string& text) {
    int out[2];
    if (pipe(out) != 0)
      return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
      close(out[0]);
      return false;
    }
    pollfd fd{out[0], POLLIN, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(100);
    for (;;) {
      const int left =
          int(std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
      if (left <= 0 || poll(&fd, 1, left) <= 0) {
        kill(pid, SIGKILL);
        break;
      }
      char buf[1024];
      const ssize_t n = read(out[0], buf, sizeof buf);
      if (n <= 0)
        break;
      text.append(buf, size_t(n));
    }
    close(out[0]);
    waitpid(pid, &status, 0);
    return true;
  };
  int status = 0;
  std::string text;
  ASSERT_TRUE(runChild(status, text));
  for (int run = 1; run < childcheck::MaxRuns && childcheck::LeakCheckerFailed(status, text); ++run) {
    text.clear();
    ASSERT_TRUE(runChild(status, text));
  }
  ASSERT_TRUE(WIFEXITED(status)) << text;
  EXPECT_EQ(WEXITSTATUS(status), 0) << text;
  EXPECT_NE(text.find("[  PASSED  ] 5 tests"), std::string::npos) << text;
}

TEST(HighDensityScreen, CamGraph)
{
  if (!ScaledRun())
    GTEST_SKIP() << "runs at scale 2, started by HighDensity";
  TForm form;
  form.SetBounds(10, 10, 420, 430);
  auto* box = TComponent::Create<TPaintBox>(&form);
  box->SetParent(&form);
  box->SetBounds(0, 0, 400, 400);
  TCamGraph graph(nullptr, 400, 400);
  graph.SetShape(TCamGraph::ckPear);
  graph.Angle = 30;
  box->OnPaint = [&](TObject*) {
    graph.PixelRatio = box->DevicePixelRatio();
    graph.Draw();
    box->Canvas().Draw(0, 0, *graph.Picture());
  };
  form.Show();
  Settle();
  // The picture covers the box in logical pixels with twice the pixels each way.
  ASSERT_NE(graph.Picture(), nullptr);
  EXPECT_EQ(graph.Picture()->LogicalWidth(), 400);
  EXPECT_EQ(graph.Picture()->Width(), 800);
  ExpectSharp(*box, "camgraph", 0.15);
}

TEST(HighDensityScreen, PrintPreview)
{
  if (!ScaledRun())
    GTEST_SKIP() << "runs at scale 2, started by HighDensity";
  THTMLViewer viewer;
  viewer.SetBounds(0, 0, 500, 400);
  std::string page = "<html><body><h2>Gear trains</h2>";
  for (int i = 0; i < 30; ++i)
    page += "<p>Paragraph " + std::to_string(i) + ": the driver turns the driven wheel the other way.</p>";
  viewer.LoadFromString(page + "</body></html>");
  TPrntPrevFrm form(&viewer);
  form.SetBounds(10, 10, 560, 480);
  form.Show();
  Settle();
  ExpectSharp(*form.PB, "printpreview", 0.15);
}

TEST(HighDensityScreen, TestWindow)
{
  if (!ScaledRun())
    GTEST_SKIP() << "runs at scale 2, started by HighDensity";
  const std::string dir = std::string(ORRELO_TEST_OUTPUT) + "/highdensity-test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir + "/HTML/Images");
  TQuestionList list;
  for (int i = 0; i < 6; ++i) {
    auto q = std::make_unique<TTarvQuestion>();
    q->Topics = 8;
    q->Correct = 0;
    q->Text = "Which wheel drives the train of gears in question " + std::to_string(i + 1) + "?";
    q->Answers = {"The driver", "The idler", "The driven"};
    list.push_back(std::move(q));
  }
  WriteFileBytes(dir + "/test.mq", SaveQuestionFile(list));
  TTestWindows tests;
  tests.RunTest(0, Bounds(10, 10, 600, 480), nullptr, {}, dir + "/test.mq", dir + "/HTML");
  TTestFrm* form = tests.TestFrm();
  ASSERT_NE(form, nullptr);
  Settle();
  // The answer strip's numbers and the question page.
  ExpectSharp(*form->AnsPicBox, "teststrip", 0.15);
  ExpectSharp(*form->viewer->PaintPanel(), "testpage", 0.15);
  tests.FreeTestWindow();
  Settle(50);
}

TEST(HighDensityScreen, HelpWindow)
{
  if (!ScaledRun())
    GTEST_SKIP() << "runs at scale 2, started by HighDensity";
  using namespace helptest;
  ResetHtmlHelpBinding();
  SetApplicationOnHelp(nullptr);
  const std::string folder = MakeProgramFolder("highdensity", true, ReadText(BuiltHelpFile()));
  {
    THelpRouter router;
    ASSERT_TRUE(SetupHelp(router, folder));
    router.ShowHelpContents();
    Settle(500);
    THelpViewerFrm* w = HelpViewerWindow();
    ASSERT_NE(w, nullptr);
    ExpectSharp(*w->Viewer->PaintPanel(), "helppage", 0.15);
  }
  SetApplicationHelpFile("");
  Settle(50);
}

TEST(HighDensityScreen, PopupSlidesInAtTheScreensPixels)
{
  if (!ScaledRun())
    GTEST_SKIP() << "runs at scale 2, started by HighDensity";
  TForm popup;
  popup.SetBounds(40, 40, 260, 120);
  popup.SetColor(clWindow);
  auto* label = TComponent::Create<TLabel>(&popup);
  label->SetParent(&popup);
  label->SetBounds(8, 8, 240, 40);
  label->Font().SetSize(14);
  label->SetCaption("Gear train: driver, idler and driven wheel");
  StartAnimation(&popup, 150, false, tbadDownward);
  const TBitmap* image = nullptr;
  TPoint offset;
  ASSERT_TRUE(GetAnimationFrame(&popup, image, offset));
  ASSERT_NE(image, nullptr);
  // The window's picture, taken as the slide starts, covers it in logical pixels with the
  // screen's two pixels each way, and its caption is drawn at that resolution.
  EXPECT_EQ(image->DevicePixelRatio(), 2);
  EXPECT_EQ(image->LogicalWidth(), popup.Width());
  EXPECT_EQ(image->Width(), 2 * popup.Width());
  SaveTestPicture(*image, "highdensity-popupslide.png");
  const TInk ink = InkBlocks(*image);
  EXPECT_GT(ink.Blocks, 20) << "no caption in the picture";
  EXPECT_GE(ink.Share(), 0.15) << ink.Sharp << " of " << ink.Blocks << " ink blocks sharp";
  EndAnimation(&popup);
  EXPECT_FALSE(IsAnimating(&popup));
  popup.Hide();
  Settle(50);
}
