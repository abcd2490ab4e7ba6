#include <gtest/gtest.h>

#include "html/DocumentUtils.h"
#include "html/StyleModel.h"
#include "platform/Clipboard.h"

namespace {

std::unique_ptr<TBitmapItem> Item()
{
  return std::make_unique<TBitmapItem>(MakeImageHolder(std::make_unique<TBitmap>(2, 2)), nullptr, NotTransp);
}

TEST(DocumentUtilsCache, UnusedImagesAgeOut)
{
  TStringBitmapList cache;
  cache.SetCacheCount(2);
  TBitmapItem* shown = cache.AddObject("SHOWN.GIF", Item());
  cache.AddObject("OLD.GIF", Item());
  EXPECT_EQ(shown->UsageCount, 1);
  cache.DecUsage("OLD.GIF");   // its page went away
  cache.DecUsage("NOT THERE");
  for (int load = 0; load < 2; ++load)
    cache.BumpAndCheck();
  EXPECT_EQ(cache.Count(), 2);   // two loads: still young enough
  cache.BumpAndCheck();
  EXPECT_EQ(cache.Count(), 1);   // dropped at the next load
  EXPECT_EQ(cache.IndexOf("OLD.GIF"), -1);
  for (int load = 0; load < 10; ++load)
    cache.BumpAndCheck();
  ASSERT_EQ(cache.IndexOf("SHOWN.GIF"), 0);   // in use: never dropped

  // Using an entry makes it young again and counts a user.
  TImageHolder* img = cache.GetImage(0);
  ASSERT_NE(img, nullptr);
  EXPECT_NE(img->Bitmap(), nullptr);
  EXPECT_EQ(img->GIF(), nullptr);
  EXPECT_EQ(cache.Objects(0)->AccessCount, 0);
  EXPECT_EQ(cache.Objects(0)->UsageCount, 2);
}

TEST(DocumentUtilsCache, SameNameKeepsTheStoredImage)
{
  TStringBitmapList cache;
  TBitmapItem* first = cache.AddObject("A", Item());
  TBitmapItem* second = cache.AddObject("A", Item());
  EXPECT_EQ(first, second);
  EXPECT_EQ(cache.Count(), 1);
  EXPECT_EQ(first->UsageCount, 2);
  cache.AddObject("B", Item());
  cache.DecUsage("B");
  cache.BumpAndCheck();
  cache.SetCacheCount(0);
  EXPECT_EQ(cache.IndexOf("B"), -1);
  EXPECT_EQ(cache.MaxCache(), 0);
}

TEST(DocumentUtilsSelection, CounterAndBuffers)
{
  const std::u16string text = u"a\u0002b\u0004c\u0008d";
  SelTextCount count;
  count.AddText(text);
  count.AddTextCR(u"x", 1);
  EXPECT_EQ(count.Terminate(), 5 + 3);   // markers 2 and 4 left out, 8 counted

  char16_t buf[5];
  SelTextBuf sb(buf, 5);
  sb.AddText(text);
  sb.AddText(u"zz");
  EXPECT_EQ(sb.Terminate(), 5);   // four characters and the zero
  EXPECT_EQ(std::u16string(buf), u"abcd");
}

TEST(DocumentUtilsSelection, ClipBufferCopiesEverythingAsUnicode)
{
  ClipBuffer cb;
  std::u16string big;
  for (int i = 0; i < 40000; ++i)
    big += static_cast<char16_t>(u'\u0410' + i % 32);
  cb.AddTextCR(big.data(), static_cast<int32_t>(big.size()));
  cb.AddText(u"\u20AC\u0008");
  EXPECT_EQ(cb.Terminate(), 40000 + 2 + 1 + 1);
  EXPECT_EQ(cb.Text(), big + u"\r\n\u20AC");
  EXPECT_EQ(Clipboard().AsTextW(), cb.Text());
}

TEST(DocumentUtilsIndent, Sides)
{
  IndentManagerBasic im;
  im.Reset(10, 500);
  EXPECT_EQ(im.LeftSide(0), 10);
  EXPECT_EQ(im.RightSide(0), 500);   // no right floats: the width
  IndentRec* l = im.AddLeft(100, 0);
  l->YB = 50;
  im.AddLeft(60, 20)->YB = 80;
  im.AddRight(300, 10)->YB = 40;
  EXPECT_EQ(im.LeftSide(30), 110);
  EXPECT_EQ(im.LeftSide(60), 70);
  EXPECT_EQ(im.LeftSide(80), 10);
  EXPECT_EQ(im.RightSide(20), 310);
  EXPECT_EQ(im.ImageBottom(), 80);
  int32_t cl, cr;
  im.GetClearY(cl, cr);
  EXPECT_EQ(cl, 81);
  EXPECT_EQ(cr, 41);
  EXPECT_EQ(im.GetNextWiderY(30), 40);
  EXPECT_EQ(im.GetNextWiderY(45), 50);
  EXPECT_EQ(im.GetNextWiderY(90), 90);

  // A record of another block does not narrow this one, nor count as a document float.
  auto other = reinterpret_cast<const TBlock*>(&im);
  im.CurrentID = other;
  im.AddLeft(400, 0)->YB = 1000;
  EXPECT_EQ(im.LeftSide(90), 410);
  im.CurrentID = nullptr;
  EXPECT_EQ(im.LeftSide(90), 10);
  EXPECT_EQ(im.ImageBottom(), 80);
  im.L.Delete(2);
  im.Clear();
  im.GetClearY(cl, cr);
  EXPECT_EQ(cl + cr, 0);
}

// Float edges and bottoms from a page with absurd sizes saturate instead of wrapping round
// to the other side of the page.
TEST(DocumentUtilsIndent, HugeEdgesDoNotWrapRound)
{
  IndentManagerBasic im;
  im.Reset(2000000000, 500);
  im.AddLeft(2000000000, 0)->YB = INT32_MAX;
  im.AddRight(99998, 0)->YB = 10;
  EXPECT_EQ(im.LeftSide(5), INT32_MAX);
  EXPECT_EQ(im.RightSide(5), 2000099998);
  int32_t cl = 0, cr = 0;
  im.GetClearY(cl, cr);
  EXPECT_EQ(cl, INT32_MAX);
  EXPECT_EQ(cr, 11);
  im.Clear();
  im.Reset(-2000000000, 500);
  im.AddLeft(-99998, 0)->YB = 10;
  im.AddRight(-2000000000, 0)->YB = 10;
  EXPECT_EQ(im.LeftSide(5), -2000099998);
  EXPECT_EQ(im.RightSide(5), INT32_MIN);
}

struct TFixedY : TIDObject {
  int32_t Y;
  explicit TFixedY(int32_t y) : Y(y) {}
  int32_t YPosition() const override { return Y; }
};

TEST(DocumentUtilsIds, SecondNameWins)
{
  TIDNameList ids;
  TFixedY a(5), b(7);
  ids.AddObject("top", &a);
  ids.AddObject("TOP", &b);
  EXPECT_EQ(ids.Count(), 1);
  EXPECT_EQ(ids.Find("Top")->YPosition(), 7);
  ids.AddChPosObj("top", 42);
  EXPECT_EQ(ids.Find("top")->YPosition(), 0);   // no document to ask
  // A position asks the lookup of the list that made it.
  TIDNameList documents(nullptr, [](TSectionList*, int32_t pos) { return pos * 10; });
  documents.AddChPosObj("top", 42);
  EXPECT_EQ(documents.Find("top")->YPosition(), 420);
  EXPECT_EQ(ids.Find("top")->YPosition(), 0);
  ids.AddObject("top", &a);   // frees the position object it made
  EXPECT_EQ(ids.Find("top"), &a);
  ids.Clear();
  EXPECT_EQ(ids.Count(), 0);
}

TEST(DocumentUtilsTokens, CodePagesAndPositions)
{
  TCharCollection cc;
  const std::string bytes =
      "a\x82\xa0"
      "b";
  for (size_t i = 0; i < bytes.size(); ++i)
    cc.Add(bytes[i], static_cast<int32_t>(100 + i));
  TokenObj t;
  t.AddUnicodeChar(u'<', 7);
  t.AddString(cc, 932);
  EXPECT_EQ(t.S(), u"<a\u3042b");
  EXPECT_EQ(t.Indices(), (std::vector<int32_t>{7, 100, 101, 103}));
  t.Clear();
  t.AddString(cc, 1252);
  EXPECT_EQ(t.S(), u"a\u201A\u00A0b");
  EXPECT_EQ(t.Indices(), (std::vector<int32_t>{100, 101, 102, 103}));
  TCharCollection more;
  more.Add('!', 9);
  cc.Concat(more);
  EXPECT_EQ(cc.AsString(), bytes + "!");
  EXPECT_EQ(cc.Indices().back(), 9);
}

TEST(DocumentUtilsWide, Helpers)
{
  EXPECT_EQ(WidePos(u"lo", u"hello"), 4);
  EXPECT_EQ(WidePos(u"x", u"hello"), 0);
  EXPECT_EQ(WidePosChar(u'l', u"hello"), 3);
  EXPECT_EQ(WideLastPosChar(u'l', u"hello"), 4);
  EXPECT_EQ(WideTrim(u"\u0001 \tab c\r\n "), u"ab c");
  EXPECT_EQ(WideUpperCase(u"abc\u00e9\u00ff\u0101\u017e\u03b1\u03c2\u0430\u0451"),
            u"ABC\u00c9\u0178\u0100\u017d\u0391\u03a3\u0410\u0401");
  EXPECT_EQ(WideLowerCase(u"ABC\u00c9\u0178\u0100\u017d\u0391\u0410\u0401\u00d7"),
            u"abc\u00e9\u00ff\u0101\u017e\u03b1\u0430\u0451\u00d7");
}

TEST(DocumentUtilsAttributes, Lookups)
{
  TAttributeList a;
  a.Add(std::make_unique<TAttribute>(ClassSy, 0, " Note "));
  a.Add(std::make_unique<TAttribute>(IDSy, 0, "Main"));
  a.Add(std::make_unique<TAttribute>(TitleSy, 0, "Hello World"));
  a.Add(std::make_unique<TAttribute>(StyleSy, 0, "color: red"));
  a.Add(std::make_unique<TAttribute>(ClassSy, 0, "second"));
  EXPECT_EQ(a.TheClass(), "note");
  EXPECT_EQ(a.TheID(), "main");
  EXPECT_EQ(a.TheTitle(), "Hello World");
  TProperties* style = a.TheStyle();
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(style->Props[Color], TPropValue(int32_t(RGBColor(255, 0, 0) | PalRelative)));
  a.Clear();
  EXPECT_EQ(a.TheID(), "");
  EXPECT_EQ(a.TheStyle(), nullptr);
}

TEST(DocumentUtilsLinks, CopyAndClear)
{
  TUrlTarget u;
  u.Assign("a.htm", "_top", 7);
  TUrlTarget v;
  v.Copy(u);
  EXPECT_EQ(v.URL, "a.htm");
  EXPECT_EQ(v.ID, 7);
  v.Clear();
  EXPECT_EQ(v.URL, "");
  EXPECT_EQ(v.ID, 0);
}

}   // namespace
