#include "shell/PrintHelpers.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Application.h"
#include "platform/BmpFile.h"
#include "platform/Controls.h"
#include "tests/shell/PrintTestSupport.h"

namespace {

std::vector<uint8_t> BmpOf(int w, int h, TPixelFormat f = TPixelFormat::pf24bit)
{
  TBitmap b(w, h, f);
  b.Fill(clRed);
  return SaveBmpToBytes(b);
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
  for (int i = 0; i < 4; ++i)
    v[at + i] = uint8_t(x >> (8 * i));
}

struct TLoaded {
  bool Ok = false;
  std::vector<uint8_t> Header, Bits;
  Integer Width = -1, Height = -1;
};

TLoaded Load(std::vector<uint8_t> bytes, size_t skip = 0)
{
  TLoaded r;
  TByteStream s(std::move(bytes));
  s.SetPosition(int64_t(skip));
  r.Header = {1, 2, 3};
  r.Bits = {4};
  r.Ok = LoadDIBFromStream(s, r.Header, r.Bits, r.Width, r.Height);
  return r;
}

void ExpectRefused(const TLoaded& r)
{
  EXPECT_FALSE(r.Ok);
  EXPECT_TRUE(r.Header.empty());
  EXPECT_TRUE(r.Bits.empty());
  EXPECT_EQ(r.Width, 0);
  EXPECT_EQ(r.Height, 0);
}

}   // namespace

TEST(PrintHelpersTest, PageInfoHasAnEvenMargin)
{
  TBitmapPrinterDC dc(4800, 6600);
  dc.PhysicalWidth = 5100;
  dc.PhysicalHeight = 6900;
  dc.OffsetX = 100;
  dc.OffsetY = 120;
  TPrinterPageInfo info;
  ASSERT_TRUE(GetPrinterPageInfo(&dc, &info));
  EXPECT_EQ(info.RightEdge, 200);
  EXPECT_EQ(info.BottomEdge, 180);
  EXPECT_EQ(info.MarginLeft, 200);
  EXPECT_EQ(info.MarginTop, 200);
  EXPECT_EQ(info.MarginRight, 200);
  EXPECT_EQ(info.MarginBottom, 200);
  EXPECT_EQ(info.UsableWidth, 4700);
  EXPECT_EQ(info.UsableHeight, 6500);
  EXPECT_EQ(info.PageOriginX, 100);
  EXPECT_EQ(info.PageOriginY, 80);
  EXPECT_EQ(info.PageWidth, 4800);
  EXPECT_EQ(info.PixelsPerInchX, 300);

  // A device that reports no physical size: the printable area stands for the paper.
  TBitmapPrinterDC bare(1000, 1400);
  bare.OffsetX = 30;
  ASSERT_TRUE(GetPrinterPageInfo(&bare, &info));
  EXPECT_EQ(info.PhysicalWidth, 1000);
  EXPECT_EQ(info.RightEdge, -30);
  EXPECT_EQ(info.MarginLeft, 30);

  EXPECT_FALSE(GetPrinterPageInfo(&dc, nullptr));
  EXPECT_FALSE(GetPrinterPageInfo(nullptr, &info));
}

TEST(PrintHelpersTest, LoadsBitmapsAsDIBs)
{
  TLoaded r = Load(BmpOf(10, 7));
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Width, 10);
  EXPECT_EQ(r.Height, 7);
  EXPECT_EQ(r.Header.size(), 40u);
  EXPECT_EQ(r.Bits.size(), 32u * 7);
  EXPECT_EQ(r.Bits[2], 0xFF);   // red, stored blue-green-red

  // From the middle of a stream.
  std::vector<uint8_t> prefixed = {9, 9, 9};
  std::vector<uint8_t> bmp = BmpOf(10, 7, TPixelFormat::pf8bit);
  prefixed.insert(prefixed.end(), bmp.begin(), bmp.end());
  r = Load(prefixed, 3);
  ASSERT_TRUE(r.Ok);
  EXPECT_EQ(r.Header.size(), 40u + 4 * 256);

  std::vector<uint8_t> h, b;
  Integer w = 0, ht = 0;
  TBitmap pic(3, 20);
  ASSERT_TRUE(LoadDIBFromBitmap(pic, h, b, w, ht));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(ht, 20);
  EXPECT_FALSE(LoadDIBFromBitmap(TBitmap(), h, b, w, ht));
  EXPECT_EQ(w, 0);
}

TEST(PrintHelpersTest, RefusesMalformedBitmapsWithoutTrustingThem)
{
  std::vector<uint8_t> good = BmpOf(10, 7);
  {
    std::vector<uint8_t> x = good;
    x[1] = 'A';   // "BA"
    ExpectRefused(Load(x));
  }
  // Less than 32 bytes of pixels.
  ExpectRefused(Load(BmpOf(2, 2)));
  {
    std::vector<uint8_t> x = good;
    Put32(x, 14, 64);   // a header size the file does not have
    ExpectRefused(Load(x));
  }
  {
    std::vector<uint8_t> x = good;
    Put32(x, 14 + 20, 1u << 30);   // claims far more pixels than there are
    ExpectRefused(Load(x));
  }
  {
    std::vector<uint8_t> x = good;
    Put32(x, 10, 14);   // no room for a header
    ExpectRefused(Load(x));
  }
  {
    std::vector<uint8_t> x = good;
    Put32(x, 10, 0xFFFFFFF0u);   // bit offset past the end
    ExpectRefused(Load(x));
  }
  {
    std::vector<uint8_t> x = good;
    Put32(x, 14 + 4, 0);   // no width
    ExpectRefused(Load(x));
  }
  {
    std::vector<uint8_t> x = good;
    x.pop_back();   // pixels cut short
    ExpectRefused(Load(x));
  }
  ExpectRefused(Load({'B', 'M', 0}));
  ExpectRefused(Load({}));
  // Every prefix of a good file is refused or read; none reads past the end.
  for (size_t n = 0; n < 80; ++n)
    Load(std::vector<uint8_t>(good.begin(), good.begin() + long(n)));
}

TEST(PrintHelpersTest, AbortDialogLayoutAndCancel)
{
  std::unique_ptr<TAbortDialog> dialog = CreateAbortDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Caption(), "Printing");
  EXPECT_EQ(dialog->ClientWidth(), 174);
  EXPECT_EQ(dialog->ClientHeight(), 98);
  EXPECT_EQ(dialog->BorderStyle(), bsDialog);
  EXPECT_EQ(dialog->FormStyle(), fsStayOnTop);
  EXPECT_TRUE(dialog->Visible());
  EXPECT_EQ(dialog->btnCancel->Caption(), "&Cancel");
  EXPECT_EQ(dialog->btnCancel->BoundsRect(), Bounds(48, 32, 75, 25));
  EXPECT_TRUE(dialog->btnCancel->Default());
  EXPECT_EQ(dialog->Font().Name(), "MS Sans Serif");
  EXPECT_EQ(dialog->Font().Height(), -11);

  SetAbortDialogText(dialog.get(), "Printing Page 1:1 - 0%");
  EXPECT_EQ(dialog->Caption(), "Printing Page 1:1 - 0%");
  EXPECT_EQ(AbortDialogCancelled(dialog.get()), 0);

  // The user presses Cancel between two polls.
  TPoint p = dialog->btnCancel->ClientToScreen({30, 12});
  SimulateMouse(TInputKind::MouseDown, p);
  SimulateMouse(TInputKind::MouseUp, p);
  EXPECT_EQ(AbortDialogCancelled(dialog.get()), -1);
  EXPECT_EQ(AbortDialogCancelled(dialog.get()), -1);
  // Closed by the window manager instead: the same, and it stays until the job lets it go.
  std::unique_ptr<TAbortDialog> closed = CreateAbortDialog();
  closed->Close();
  EXPECT_EQ(AbortDialogCancelled(closed.get()), -1);
  EXPECT_TRUE(closed->Visible());
  EXPECT_EQ(FreeAbortDialog(dialog), 0);
  EXPECT_EQ(dialog, nullptr);
  EXPECT_EQ(AbortDialogCancelled(nullptr), 0);
}
