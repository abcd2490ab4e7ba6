#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "platform/Bitmap.h"
#include "platform/SysUtils.h"

TEST(SysUtils, RoundingAndTruncation)
{
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_EQ(Trunc(std::nan("")), 0);
  EXPECT_EQ(Round(1e300), INT32_MAX);
  EXPECT_EQ(Trunc(-std::numeric_limits<double>::infinity()), INT32_MIN);
  EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
}

TEST(SysUtils, MulDivRoundsHalvesAwayAndReportsOverflow)
{
  EXPECT_EQ(MulDiv(5, 3, 2), 8);   // 7.5
  EXPECT_EQ(MulDiv(-5, 3, 2), -8);
  EXPECT_EQ(MulDiv(10, 96, 72), 13);   // 13.33
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(INT32_MAX, INT32_MAX, 1), -1);
  EXPECT_EQ(SafeDiv(INT32_MIN, -1), INT32_MAX);
  EXPECT_EQ(SafeDiv(7, 0), 0);
}

TEST(SysUtils, EventSlotsHoldCallAndLetGoOfTheirHandlers)
{
  using TKeyHandler = std::function<void(int& key, int shift)>;
  TEventSlot<TKeyHandler> slot;
  int key = 1;
  EXPECT_FALSE(slot);
  EXPECT_FALSE(slot.Get());
  EXPECT_THROW(slot(key, 0), std::bad_function_call);

  // A handler that fits in place, and arguments by reference reach it.
  int* seen = &key;
  slot = [seen](int& k, int shift) { k = *seen * 10 + shift; };
  ASSERT_TRUE(slot);
  slot(key, 2);
  EXPECT_EQ(key, 12);

  // A larger handler, kept elsewhere: replacing it or emptying the slot frees what it holds.
  auto held = std::make_shared<std::string>("held");
  slot = [held, text = std::string(40, 'x')](int& k, int) { k = static_cast<int>(text.size() + held->size()); };
  EXPECT_EQ(held.use_count(), 2);
  slot(key, 0);
  EXPECT_EQ(key, 44);
  TKeyHandler copy = slot.Get();
  slot = [](int& k, int) { k = -1; };
  EXPECT_EQ(held.use_count(), 2);   // the copy still holds it
  copy(key, 0);
  EXPECT_EQ(key, 44);
  copy = nullptr;
  EXPECT_EQ(held.use_count(), 1);

  // An empty function or nullptr empties the slot; a moved slot hands its handler on.
  slot = TKeyHandler();
  EXPECT_FALSE(slot);
  slot = [held](int& k, int) { k = static_cast<int>(held.use_count()); };
  TEventSlot<TKeyHandler> moved(std::move(slot));
  EXPECT_FALSE(slot);   // NOLINT(bugprone-use-after-move): a moved slot is empty
  moved(key, 0);
  EXPECT_EQ(key, 2);
  moved = nullptr;
  EXPECT_FALSE(moved);
  EXPECT_EQ(held.use_count(), 1);
}

TEST(SysUtils, IntegerParsing)
{
  EXPECT_EQ(StrToInt(" -42 "), -42);
  EXPECT_EQ(StrToIntDef("2147483648", 7), 7);
  EXPECT_EQ(StrToIntDef("-2147483648", 7), INT32_MIN);
  try {
    StrToInt("x1");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
  }
}

TEST(Bitmap, FormatsRoundTripColoursAndRowsArePadded)
{
  TBitmap b(3, 2, TPixelFormat::pf24bit);
  EXPECT_EQ(b.Stride(), 12u);
  b.SetPixel(2, 1, RGBColor(10, 20, 30));
  EXPECT_EQ(b.GetPixel(2, 1), RGBColor(10, 20, 30));
  EXPECT_EQ(b.ScanLine(1)[6], 30);   // blue first
  b.SetPixelFormat(TPixelFormat::pf32bit);
  EXPECT_EQ(b.GetPixel(2, 1), RGBColor(10, 20, 30));
  EXPECT_EQ(b.GetPixel(-1, 0), clBlack);
}

TEST(Bitmap, SizeCapsAndMasks)
{
  TBitmap b;
  EXPECT_THROW(b.SetSize(-1, 4), EOutOfResources);
  EXPECT_THROW(b.SetSize(TBitmap::MaxSide, TBitmap::MaxSide), EOutOfResources);
  b.SetSize(9, 3);
  b.SetPixel(0, 2, clRed);
  EXPECT_EQ(b.TransparentColor(), clRed);   // lower-left pixel
  auto mask = b.CreateMask(clRed);
  EXPECT_EQ(mask->PixelFormat(), TPixelFormat::pf1bit);
  EXPECT_EQ(mask->GetPixel(0, 2), clWhite);
  EXPECT_EQ(mask->GetPixel(8, 2), clBlack);
}
