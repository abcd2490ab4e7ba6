// The splash window at start-up with a picture it cannot read.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Application.h"
#include "platform/Files.h"
#include "shell/Splash.h"

TEST(SplashTest, APictureThatCannotBeReadIsReportedAndTheWindowKeepsItsSize)
{
  const std::filesystem::path root = std::filesystem::path(ORRELO_TEST_OUTPUT) / "splash-badpicture";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "HTML" / "images");
  // A JPEG's first bytes and then nothing a decoder can use.
  std::vector<uint8_t> bytes = {0xFF, 0xD8, 0xFF, 0xE0};
  bytes.resize(300, 0x5A);
  WriteFileBytes((root / "HTML" / "images" / "Splash_B.jpg").string(), bytes);

  std::vector<std::string> reported;
  TExceptionEvent saved = Application->OnException;
  Application->OnException = [&](TObject*, const Exception& e) { reported.push_back(e.Message); };
  std::unique_ptr<TSplashFrm> splash;
  EXPECT_NO_THROW(splash = std::make_unique<TSplashFrm>(root.string() + "/"));
  Application->OnException = saved;
  ASSERT_TRUE(splash);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].rfind((root / "HTML" / "images" / "Splash_B.jpg").string() + ": ", 0), 0u) << reported[0];
  EXPECT_TRUE(splash->Pic->Picture().Empty());
  splash->Show();
  EXPECT_EQ(splash->ClientWidth(), 400);
  EXPECT_EQ(splash->ClientHeight(), 300);
  splash->Hide();
}
