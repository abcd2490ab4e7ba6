// Printing through the test run's own print spooler (tests/desktop/with-print-spooler.sh,
// which ctest starts for the programs whose tests print): a queue whose paper is Letter and
// which writes each job's PDF into one file, read back with poppler's tools.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Printers.h"
#include "tests/CommandOutput.h"

namespace printtest {

inline std::string OutputDir()
{
  std::string dir = std::string(ORRELO_TEST_OUTPUT) + "/printing";
  std::filesystem::create_directories(dir);
  return dir;
}


// The test run's print spooler (tests/desktop/with-print-spooler.sh, started by ctest): a
// queue whose paper is Letter and which writes each job's PDF into one file.
constexpr const char* QueueName = "OrreloPDF";

// The file the queue prints into; "" when the run has no spooler.
inline std::string QueueOutput()
{
  const char* out = std::getenv("ORRELO_PRINT_OUTPUT");
  return out && std::getenv("CUPS_SERVER") ? out : "";
}

// Jobs the queue has taken so far, finished or not.
inline int QueueJobs()
{
  const std::string list = testcmd::Output(std::string("lpstat -W all -o ") + QueueName + " 2>/dev/null");
  return static_cast<int>(std::count(list.begin(), list.end(), '\n'));
}

// Waits until the queue has done every job it took (30 s at most); false when it has not.
inline bool QueueIdle()
{
  for (int i = 0; i < 300; ++i) {
    if (testcmd::Output(std::string("lpstat -W not-completed -o ") + QueueName + " 2>/dev/null").empty())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

// Points the program's printer at the queue, on the paper given ("": the queue's own) at dpi,
// and clears the queue's file; fails the test when the run has no spooler.
inline ::testing::AssertionResult PrintToQueue(const std::string& paper = "", Integer dpi = 300)
{
  if (QueueOutput().empty())
    return ::testing::AssertionFailure()
           << "no print spooler: run the tests under tests/desktop/with-print-spooler.sh (ctest does)";
  std::filesystem::remove(QueueOutput());
  Printer().SetOutputFileName("");
  const std::vector<std::string> names = Printer().Printers();
  const auto it = std::find(names.begin(), names.end(), QueueName);
  if (it == names.end())
    return ::testing::AssertionFailure() << "the program does not see the queue " << QueueName;
  Printer().SetPrinterIndex(static_cast<Integer>(it - names.begin()));
  if (!paper.empty())
    Printer().SetPaper(paper);
  Printer().SetResolution(dpi);
  return ::testing::AssertionSuccess();
}

// Once the queue is idle, moves what it printed to the tests' output under name and gives
// its path; "" when the queue printed nothing.
inline std::string TakeQueued(const std::string& name)
{
  EXPECT_TRUE(QueueIdle()) << "the queue did not finish its jobs";
  const std::string path = OutputDir() + "/" + name;
  std::filesystem::remove(path);
  std::error_code ec;
  std::filesystem::copy_file(QueueOutput(), path, ec);
  if (ec)
    return "";
  std::filesystem::remove(QueueOutput());
  return path;
}

// The attributes the spooler keeps for the last job it took (its control file, where the
// options the job was sent with stand by name), as raw bytes; "" when there is none.
inline std::string LastJobAttributes()
{
  const char* server = std::getenv("CUPS_SERVER");
  if (!server)
    return "";
  const std::filesystem::path spool = std::filesystem::path(server).parent_path() / "spool";
  std::filesystem::path last;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(spool, ec)) {
    const std::string name = e.path().filename().string();
    if (name.size() > 1 && name[0] == 'c' && (last.empty() || name > last.filename().string()))
      last = e.path();
  }
  std::ifstream in(last, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The name the spooler gave the last job it took, as its queue lists it (the value of the
// job's "job-name" attribute); "" when it has none.
inline std::string LastJobName()
{
  const std::string attributes = LastJobAttributes();
  const std::string key = "job-name";
  const size_t at = attributes.find(key);
  if (at == std::string::npos || at + key.size() + 2 > attributes.size())
    return "";
  const size_t length = static_cast<unsigned char>(attributes[at + key.size()]) * 256u
                        + static_cast<unsigned char>(attributes[at + key.size() + 1]);
  return attributes.substr(at + key.size() + 2, length);
}

// The size of a PDF's page in points, as pdfinfo gives it ("612 x 792").
inline std::string PageSize(const std::string& pdf, int page = 1)
{
  const std::string p = std::to_string(page);
  std::smatch m;
  std::string info = testcmd::Output("pdfinfo -f " + p + " -l " + p + " '" + pdf + "' 2>/dev/null");
  if (std::regex_search(info, m, std::regex("size:\\s+([0-9.]+ x [0-9.]+)")))
    return m[1];
  return "";
}

}   // namespace printtest
