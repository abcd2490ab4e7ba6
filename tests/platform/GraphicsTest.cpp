#include <gtest/gtest.h>

#include "platform/Clipboard.h"
#include "platform/Graphics.h"

TEST(Graphics, FontSizeHeightAndChanges)
{
  TFont f;
  EXPECT_EQ(f.Name(), "MS Sans Serif");
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 8);
  int changes = 0;
  f.OnChange = [&](TFont*) { ++changes; };
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  EXPECT_EQ(f.Size(), 12);
  f.SetSize(12);
  f.SetStyle(fsBold | fsItalic);
  EXPECT_EQ(changes, 2);
  // Absurd sizes are clamped, never overflowing the height.
  f.SetSize(2000000000);
  EXPECT_EQ(f.Size(), 3000);
  f.SetHeight(-2000000000);
  EXPECT_EQ(f.Height(), -30000);

  TFont g;
  g.Assign(f);
  EXPECT_TRUE(g.SameFace(f));
  EXPECT_FALSE(g.OnChange);

  // The canvas takes its text colour from the font and its background from the brush.
  TBitmap b(4, 4);
  TCanvas& c = b.Canvas();
  c.Font().SetColor(clRed);
  EXPECT_EQ(c.TextColor(), clRed);
  c.SetTextColor(clBlue);
  EXPECT_EQ(c.TextColor(), clBlue);
  c.Brush().SetStyle(bsClear);
  EXPECT_EQ(c.BkMode(), TRANSPARENT);
  c.Brush().SetColor(clGreen);   // a colour makes a clear brush solid again
  EXPECT_EQ(c.BkMode(), OPAQUE);
  EXPECT_EQ(c.BkColor(), clGreen);

  // The screen resolution drives point sizes.
  SetScreenPixelsPerInch(120);
  TFont big;
  EXPECT_EQ(big.Height(), -13);
  SetScreenPixelsPerInch(96);
}

TEST(Graphics, ClipboardTextAndPicture)
{
  Clipboard().SetAsTextW(u"Gear \u2013 r\u00E9sum\u00E9");
  EXPECT_TRUE(Clipboard().HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard().AsTextW(), u"Gear \u2013 r\u00E9sum\u00E9");
  EXPECT_EQ(Clipboard().AsText(), "Gear \x96 r\xE9sum\xE9");

  TBitmap pic(3, 2);
  pic.Fill(clTeal);
  pic.SetPixel(2, 1, clYellow);
  Clipboard().Assign(pic);
  auto back = Clipboard().GetBitmap();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Width(), 3);
  EXPECT_EQ(back->GetPixel(0, 0), clTeal);
  EXPECT_EQ(back->GetPixel(2, 1), clYellow);
}
