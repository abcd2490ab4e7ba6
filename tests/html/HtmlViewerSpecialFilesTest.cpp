// Names on a page that lead to something other than a regular file: a named pipe must be
// refused at once wherever a page names it, and a page that is there but cannot be read says
// so rather than claiming it is missing.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Files.h"
#include "tests/html/HtmlViewerTestUtil.h"

namespace {

// Should a read block on the pipe, a writer opens and closes it after a while so that the
// test ends (and fails) instead of hanging.
class TPipeRescue {
public:
  explicit TPipeRescue(std::string Path) : FPath(std::move(Path))
  {
    FThread = std::thread([this] {
      std::unique_lock<std::mutex> lock(FMutex);
      while (!FDone) {
        if (FWake.wait_for(lock, std::chrono::seconds(5)) == std::cv_status::timeout && !FDone) {
          const int fd = ::open(FPath.c_str(), O_WRONLY | O_NONBLOCK);
          if (fd >= 0) {
            Fired = true;
            ::close(fd);
          }
        }
      }
    });
  }
  ~TPipeRescue()
  {
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FDone = true;
    }
    FWake.notify_all();
    FThread.join();
  }
  std::atomic<bool> Fired{false};

private:
  std::string FPath;
  std::mutex FMutex;
  std::condition_variable FWake;
  bool FDone = false;
  std::thread FThread;
};

}   // namespace

TEST_F(HtmlViewerTest, ANamedPipeIsRefusedAtOnceAsPictureSheetBackgroundOrPage)
{
  const std::string pipe = Dir + "/pipe.gif";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
  TPipeRescue rescue(pipe);

  Write("picture.htm", "<html><body><p>Before</p><img src=\"pipe.gif\" width=20 height=20><p>After</p></body></html>");
  Write("sheet.htm",
        "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"pipe.gif\"></head>"
        "<body><p>Sheet</p></body></html>");
  Write("background.htm",
        "<html><head><style>body { background-image: url(pipe.gif) }</style></head>"
        "<body><p>Background</p><div style=\"background: url('pipe.gif')\">x</div></body></html>");
  for (const char* page : {"picture.htm", "sheet.htm", "background.htm"}) {
    SCOPED_TRACE(page);
    Viewer->LoadFromFile(Dir + "/" + page);
    Shot();   // pictures load as they come into view
    EXPECT_FALSE(Viewer->DocumentSource().empty());
  }
  EXPECT_NE(Viewer->DocumentSource().find("Background"), std::string::npos);

  // The pipe as the page itself: there, but not a file.
  try {
    Viewer->LoadFromFile(pipe);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Cannot open file \"" + pipe + "\". Not a file");
  }
  EXPECT_THROW(ReadFileBytes(pipe, 100), EFOpenError);
  EXPECT_THROW(CheckFileReadable(pipe), EFOpenError);

  EXPECT_FALSE(rescue.Fired) << "a read waited on the pipe";
}

TEST_F(HtmlViewerTest, APageThatIsThereButUnreadableSaysWhy)
{
  std::filesystem::create_directories(Dir + "/folder.htm");
  for (auto load : {&THTMLViewer::LoadFromFile, &THTMLViewer::LoadImageFile}) {
    try {
      (Viewer.get()->*load)(Dir + "/Folder.HTM");
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message, "Cannot open file \"" + Dir + "/Folder.HTM\". Not a file");
    }
  }
  EXPECT_TRUE(PathExists(Dir + "/FOLDER.htm"));
  EXPECT_FALSE(PathExists(Dir + "/nothing.htm"));
  EXPECT_FALSE(PathExists(Dir + "/nothing/below.htm"));
  EXPECT_FALSE(PathExists(""));
}
