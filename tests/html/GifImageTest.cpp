#include <gtest/gtest.h>

#include "html/GifAnimation.h"
#include "tests/html/GifTestUtil.h"

using namespace giftest;

namespace {

Cardinal FakeNow = 0;

class GifImage : public testing::Test {
protected:
  void SetUp() override { FakeNow = 1000; }
  // An image timed by the test's clock.
  static std::unique_ptr<TGIFImage> OnTestClock(std::unique_ptr<TGIFImage> img)
  {
    img->Clock = [] { return FakeNow; };
    return img;
  }

  // Three frames of 2x2 with the given delays (hundredths) and loop count (-1: no block).
  static std::unique_ptr<TGIFImage> Make(std::vector<int> delays, int loop, bool& nonAnimated)
  {
    GifBuilder b(2, 2, 2);
    if (loop >= 0)
      b.Loop(loop);
    for (size_t i = 0; i < delays.size(); ++i) {
      b.Control(1, delays[i], i == 0 ? 3 : -1);
      b.Image(0, 0, 2, 2, {uint8_t(i), uint8_t(i), 3, uint8_t(i)}, 2);
    }
    TByteStream s(b.Finish());
    return OnTestClock(CreateAGif(s, nonAnimated));
  }

  // Steps the clock by ms and lets the image check; gives whether it invalidated.
  static bool Tick(TGIFImage& img, Cardinal ms)
  {
    FakeNow += ms;
    bool called = false;
    img.CheckTime([&](const TRect&) { called = true; });
    return called;
  }
};

}   // namespace

TEST_F(GifImage, FrameDelaysBecomeMilliseconds)
{
  bool nonAnimated = false;
  auto img = Make({0, 1, 5}, -1, nonAnimated);
  EXPECT_FALSE(nonAnimated);
  EXPECT_TRUE(img->Animated);
  EXPECT_EQ(img->Change, 2);
  EXPECT_EQ(img->NumIterations, 0);
  EXPECT_EQ(img->Frames[1].Delay, 30);
  EXPECT_EQ(img->Frames[2].Delay, 30);
  EXPECT_EQ(img->Frames[3].Delay, 50);
  EXPECT_EQ(img->Frames[3].Disposal, 1);
  EXPECT_TRUE(img->IsTransparent);
  EXPECT_EQ(img->Strip->Width(), 6);
  EXPECT_TRUE(img->Strip->HasMask);

  auto single = Make({3}, -1, nonAnimated);
  EXPECT_TRUE(nonAnimated);
  EXPECT_FALSE(single->Animated);
}

TEST_F(GifImage, LoopCountOnePlaysOncePassAndStopsOnTheLast)
{
  bool na;
  auto img = Make({10, 10, 10}, 1, na);
  EXPECT_EQ(img->NumIterations, 1);
  img->SetAnimate(true);
  EXPECT_FALSE(Tick(*img, 99));
  EXPECT_EQ(img->CurrentFrame(), 1);
  EXPECT_TRUE(Tick(*img, 1));
  EXPECT_EQ(img->CurrentFrame(), 2);
  EXPECT_TRUE(Tick(*img, 100));
  EXPECT_EQ(img->CurrentFrame(), 3);
  EXPECT_FALSE(Tick(*img, 100));
  EXPECT_EQ(img->CurrentFrame(), 3);
  EXPECT_FALSE(img->Animate());
}

TEST_F(GifImage, LoopCountTwoPlaysTwiceAndZeroForEver)
{
  bool na;
  auto img = Make({10, 10}, 2, na);
  img->SetAnimate(true);
  std::vector<int> seen;
  for (int i = 0; i < 8; ++i) {
    Tick(*img, 100);
    seen.push_back(img->CurrentFrame());
  }
  EXPECT_EQ(seen, (std::vector<int>{2, 1, 2, 2, 2, 2, 2, 2}));
  EXPECT_FALSE(img->Animate());

  auto endless = Make({10, 10}, 0, na);
  endless->SetAnimate(true);
  for (int i = 0; i < 50; ++i)
    Tick(*endless, 100);
  EXPECT_TRUE(endless->Animate());
}

TEST_F(GifImage, TimingSurvivesTheClockWrapping)
{
  bool na;
  auto img = Make({10, 10}, 0, na);
  FakeNow = 0xFFFFFFF0u;
  img->SetAnimate(true);
  EXPECT_FALSE(Tick(*img, 50));   // 0xFFFFFFF0 + 50 wraps to 34
  EXPECT_EQ(img->CurrentFrame(), 1);
  EXPECT_TRUE(Tick(*img, 50));
  EXPECT_EQ(img->CurrentFrame(), 2);
}

TEST_F(GifImage, SetCurrentFrameWraps)
{
  bool na;
  auto img = Make({10, 10, 10}, 0, na);
  img->SetCurrentFrame(0);
  EXPECT_EQ(img->CurrentFrame(), 3);
  img->SetCurrentFrame(4);
  EXPECT_EQ(img->CurrentFrame(), 1);
  img->SetCurrentFrame(2);
  EXPECT_EQ(img->Change, 2);
}

TEST_F(GifImage, CopiesShareTheStripAndStepOnTheirOwn)
{
  bool na;
  auto img = Make({10, 10, 10}, 0, na);
  img->SetCurrentFrame(3);
  auto copy = img->CreateCopy();
  EXPECT_TRUE(copy->IsCopy);
  EXPECT_EQ(copy->Strip, img->Strip);
  EXPECT_EQ(copy->CurrentFrame(), 1);
  EXPECT_EQ(copy->Frames[2].IsCopy, 1);
  copy->SetAnimate(true);
  Tick(*copy, 100);
  EXPECT_EQ(copy->CurrentFrame(), 2);
  EXPECT_EQ(img->CurrentFrame(), 3);
  // Freeing the source leaves the copy's strip alive.
  img.reset();
  ASSERT_NE(copy->GetBitmap(), nullptr);
  EXPECT_EQ(copy->GetBitmap()->Width(), 2);
  EXPECT_EQ(copy->GetBitmap()->GetPixel(0, 0), copy->Strip->GetPixel(0, 0));
  ASSERT_NE(copy->GetMaskImage(), nullptr);
  EXPECT_EQ(copy->GetMaskImage()->GetPixel(0, 1), clWhite);
  EXPECT_FALSE(copy->GetBitmap()->Transparent());
}

// 400 frames of 100 by 100 are more than one bitmap row can hold side by side: the frames
// wrap into further rows, each frame still starting from the one before it, and the
// animation steps through all of them.
TEST_F(GifImage, FourHundredFramesOfAHundredPixelsLoadAndAnimate)
{
  const int n = 400;
  // A screen of 100 by 4: the 400 frames make a strip wider than a bitmap may be, yet
  // within the strip's budget.
  GifBuilder b(100, 4, 8);
  b.Control(1, 3);
  b.Image(0, 0, 100, 4, std::vector<uint8_t>(100 * 4, 1));
  for (int i = 1; i < n; ++i) {
    // Frame i adds one pixel, at (i mod 100, i div 100), to what the frames before left.
    b.Control(1, 3);
    b.Image(i % 100, i / 100, 1, 1, {uint8_t(2 + i % 200)});
  }
  TByteStream s(b.Finish());
  bool nonAnimated = true;
  auto img = OnTestClock(CreateAGif(s, nonAnimated));
  ASSERT_TRUE(img);
  EXPECT_FALSE(nonAnimated);
  EXPECT_EQ(img->NumFrames, n);
  EXPECT_LE(img->Strip->Width(), TBitmap::MaxSide);

  auto colour = [](int index) {
    uint8_t r, g, bl;
    TableColor(index, r, g, bl);
    return RGBColor(r, g, bl);
  };
  // The pixel of frame k at (x, y), through the frame's place in the strip.
  auto pixel = [&](int k, int x, int y) {
    img->SetCurrentFrame(k);
    const TRect src = img->FrameSource();
    EXPECT_EQ(src.Width(), 100);
    EXPECT_EQ(src.Height(), 4);
    return img->Strip->GetPixel(src.Left + x, src.Top + y);
  };
  for (int k : {1, 2, 327, 328, 329, 400}) {
    SCOPED_TRACE(k);
    // Every pixel added up to frame k shows; the next one does not yet.
    for (int j : {1, k / 2, k - 1})
      if (j >= 1 && j < k) {
        EXPECT_EQ(pixel(k, j % 100, j / 100), colour(2 + j % 200)) << j;
      }
    if (k < n) {
      EXPECT_EQ(pixel(k, k % 100, k / 100), colour(1));
    }
  }
  // Frames in different rows of the strip are different places.
  img->SetCurrentFrame(1);
  const TRect first = img->FrameSource();
  img->SetCurrentFrame(n);
  EXPECT_NE(img->FrameSource().Top, first.Top);

  // One full pass: every frame comes in turn, then the first again.
  img->SetCurrentFrame(1);
  img->SetAnimate(true);
  for (int k = 2; k <= n; ++k) {
    ASSERT_TRUE(Tick(*img, 30));
    ASSERT_EQ(img->CurrentFrame(), k);
  }
  ASSERT_TRUE(Tick(*img, 30));
  EXPECT_EQ(img->CurrentFrame(), 1);
  // The first frame as a plain bitmap is one frame, not a row of them.
  EXPECT_EQ(img->GetBitmap()->Width(), 100);
  EXPECT_EQ(img->GetBitmap()->Height(), 4);
}

// Many tiny updates of a large screen would unfold to far more than the file: the
// animation stops at the frame that would take the strip past its budget, and the first
// frame always stays.
TEST_F(GifImage, AnAnimationStopsAtTheStripsBudget)
{
  for (int frames : {10001, 3000}) {
    SCOPED_TRACE(frames);
    GifBuilder b(100, 100, 2);
    for (int i = 0; i < frames; ++i)
      b.Image(i % 100, 0, 1, 1, {uint8_t(1 + i % 2)}, 2);
    const std::vector<uint8_t> file = b.Finish();
    TByteStream s(file);
    bool nonAnimated = false;
    auto img = CreateAGif(s, nonAnimated);
    const int64_t budget = std::max<int64_t>(MinGifStripBytes, GifStripBytesPerFileByte * int64_t(file.size()));
    const int64_t frameBytes = 100 * 100 * 3;
    EXPECT_EQ(img->NumFrames, budget / frameBytes);
    EXPECT_LE(int64_t(img->Strip->Width()) * img->Strip->Height() * 3, budget);
    EXPECT_FALSE(nonAnimated);
  }
  // A still picture larger than the budget keeps its one frame.
  GifBuilder big(800, 700, 2);
  big.Image(0, 0, 1, 1, {1}, 2);
  TByteStream s(big.Finish());
  bool nonAnimated = false;
  auto img = CreateAGif(s, nonAnimated);
  EXPECT_EQ(img->NumFrames, 1);
  EXPECT_EQ(img->Strip->Width(), 800);
}

// A still GIF whose image is smaller than its screen: the rest shows the page, so the
// picture comes with a mask that is white there.
TEST_F(GifImage, StillGifSmallerThanItsScreenIsTransparentAroundTheImage)
{
  GifBuilder b(3, 2, 2);
  b.Image(1, 1, 1, 1, {2}, 2);
  TByteStream s(b.Finish());
  bool nonAnimated = false;
  auto img = CreateAGif(s, nonAnimated);
  EXPECT_TRUE(nonAnimated);
  EXPECT_TRUE(img->IsTransparent);
  TBitmap* mask = img->GetMaskImage();
  ASSERT_NE(mask, nullptr);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(mask->GetPixel(x, y), x == 1 && y == 1 ? clBlack : clWhite) << x << "," << y;
  uint8_t r, g, bl;
  TableColor(2, r, g, bl);
  EXPECT_EQ(img->GetBitmap()->GetPixel(1, 1), RGBColor(r, g, bl));
}
