#include <gtest/gtest.h>

#include "platform/CodePages.h"

TEST(CodePage, SingleBytePagesRoundTrip)
{
  std::string all;
  for (int b = 1; b < 256; ++b)
    all += static_cast<char>(b);
  for (Cardinal cp : {1250u, 1251u, 1252u, 1253u, 1254u, 1257u, 437u, 20866u, 28591u, 28592u, 28605u}) {
    SCOPED_TRACE(cp);
    ASSERT_TRUE(IsValidCodePage(cp));
    std::vector<Integer> pos;
    std::u16string w = MultiByteToWide(cp, all, &pos);
    ASSERT_EQ(w.size(), all.size());
    for (size_t i = 0; i < pos.size(); ++i)
      ASSERT_EQ(pos[i], static_cast<Integer>(i));
    // Every byte with a character comes back as itself.
    for (size_t i = 0; i < w.size(); ++i) {
      if (w[i] == 0xFFFD)
        continue;
      ASSERT_EQ(WideToMultiByte(cp, std::u16string(1, w[i])), std::string(1, all[i])) << i;
    }
  }
  EXPECT_EQ(MultiByteToWide(1252, "\x80\x93\xE9"), u"\u20AC\u201C\u00E9");
  EXPECT_EQ(MultiByteToWide(1251, "\xE9"), u"\u0439");
  EXPECT_EQ(MultiByteToWide(20866, "\xC1"), u"\u0430");    // KOI8-R
  EXPECT_EQ(MultiByteToWide(CP_ACP, "\x81"), u"\u0081");   // unassigned 1252 bytes pass through
  bool defaulted = false;
  EXPECT_EQ(WideToMultiByte(1252, u"a\u0439b", '?', &defaulted), "a?b");
  EXPECT_TRUE(defaulted);
}

TEST(CodePage, ShiftJisLeadBytePositions)
{
  // "A" + "日本" (two double-byte characters) + "B" + a half-width katakana.
  std::string sjis =
      "A\x93\xFA\x96\x7B"
      "B\xB1";
  std::vector<Integer> pos;
  std::u16string w = MultiByteToWide(932, sjis, &pos);
  EXPECT_EQ(w, u"A\u65E5\u672CB\uFF71");
  EXPECT_EQ(pos, (std::vector<Integer>{0, 1, 3, 5, 6}));
  EXPECT_EQ(WideToMultiByte(932, w), sjis);
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x93));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xB1));
  EXPECT_EQ(NextCharIndex(932, sjis, 1), 3u);
  EXPECT_EQ(NextCharIndex(932, sjis, 6), 7u);
  // A lead byte at the very end is one character and does not read past the end.
  std::string cut = "A\x93";
  EXPECT_EQ(NextCharIndex(932, cut, 1), 2u);
  std::u16string c = MultiByteToWide(932, cut, &pos);
  EXPECT_EQ(c, u"A\uFFFD");
  EXPECT_EQ(pos, (std::vector<Integer>{0, 1}));
}

TEST(CodePage, Utf8PositionsAndInvalidBytes)
{
  std::string s = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";   // a é € 😀 z
  std::vector<Integer> pos;
  std::u16string w = MultiByteToWide(CP_UTF8, s, &pos);
  EXPECT_EQ(w, u"a\u00E9\u20AC\U0001F600z");
  EXPECT_EQ(pos, (std::vector<Integer>{0, 1, 3, 6, 6, 10}));
  EXPECT_EQ(WideToMultiByte(CP_UTF8, w), s);
  EXPECT_EQ(NextCharIndex(CP_UTF8, s, 3), 6u);
  // Overlong forms, encoded surrogates, stray continuation bytes and a cut sequence.
  EXPECT_EQ(MultiByteToWide(CP_UTF8, "\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(MultiByteToWide(CP_UTF8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(MultiByteToWide(CP_UTF8, "\x80x"), u"\uFFFDx");
  EXPECT_EQ(MultiByteToWide(CP_UTF8, "x\xE2\x82"), u"x\uFFFD\uFFFD");
  EXPECT_EQ(WideToMultiByte(CP_UTF8, std::u16string(1, char16_t(0xD800))), "?");
}

// Every overlong form, of every length, is refused byte by byte, and the shortest forms at
// each length's lower edge decode.
TEST(CodePage, Utf8OverlongFormsOfEveryLength)
{
  auto bytes = [](std::initializer_list<int> b) {
    std::string s;
    for (int v : b)
      s += static_cast<char>(v);
    return s;
  };
  const std::u16string two(2, u'\uFFFD'), three(3, u'\uFFFD'), four(4, u'\uFFFD');
  // Two bytes for U+0000-U+007F.
  for (int c = 0; c < 0x80; ++c)
    ASSERT_EQ(MultiByteToWide(CP_UTF8, bytes({0xC0 | (c >> 6), 0x80 | (c & 0x3F)})), two) << c;
  // Three bytes for U+0000-U+07FF.
  for (int c = 0; c < 0x800; ++c)
    ASSERT_EQ(MultiByteToWide(CP_UTF8, bytes({0xE0, 0x80 | (c >> 6), 0x80 | (c & 0x3F)})), three) << c;
  // Four bytes for U+0000-U+FFFF, U+0800-U+FFFF among them.
  for (int c = 0; c < 0x10000; ++c)
    ASSERT_EQ(MultiByteToWide(CP_UTF8, bytes({0xF0, 0x80 | (c >> 12), 0x80 | ((c >> 6) & 0x3F), 0x80 | (c & 0x3F)})),
              four)
        << c;
  // Past U+10FFFF.
  EXPECT_EQ(MultiByteToWide(CP_UTF8, "\xF4\x90\x80\x80"), four);
  // The shortest forms at each edge.
  EXPECT_EQ(MultiByteToWide(CP_UTF8, "\xC2\x80\xDF\xBF"), u"\u0080\u07FF");
  EXPECT_EQ(MultiByteToWide(CP_UTF8, "\xE0\xA0\x80\xEF\xBF\xBF"), u"\u0800\uFFFF");
  EXPECT_EQ(MultiByteToWide(CP_UTF8, "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"), u"\U00010000\U0010FFFF");
}

TEST(CodePage, OtherMultiBytePages)
{
  struct TCase {
    Cardinal Cp;
    std::string Bytes;
    std::u16string Text;
  };
  const TCase cases[] = {
      {936, "\xC4\xE3\xBA\xC3", u"\u4F60\u597D"},   // GBK
      {950, "\xA4\xA4", u"\u4E2D"},                 // Big5
      {949, "\xC7\xD1", u"\uD55C"},                 // Korean
      {51949, "\xC7\xD1", u"\uD55C"},               // EUC-KR
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Cp);
    EXPECT_TRUE(IsMultiByteCodePage(k.Cp));
    std::vector<Integer> pos;
    EXPECT_EQ(MultiByteToWide(k.Cp, "x" + k.Bytes, &pos), u"x" + k.Text);
    EXPECT_EQ(pos[1], 1);
    EXPECT_EQ(WideToMultiByte(k.Cp, k.Text), k.Bytes);
  }
  // Unknown pages fall back to the system page.
  EXPECT_FALSE(IsValidCodePage(12345));
  EXPECT_EQ(MultiByteToWide(12345, "\xE9"), u"\u00E9");
}

TEST(CodePage, CharsetTable)
{
  struct TCase {
    TFontCharset Charset;
    Cardinal Cp;
  };
  const TCase table[] = {{0, 1252},   {1, 0},      {2, 0},      {77, 2},     {128, 932},  {129, 949},  {130, 1361},
                         {134, 936},  {136, 950},  {255, 1},    {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255},
                         {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}};
  for (const TCase& k : table) {
    Cardinal cp = 99;
    EXPECT_TRUE(CharsetToCodePage(k.Charset, cp));
    EXPECT_EQ(cp, k.Cp) << int(k.Charset);
  }
  Cardinal cp = 777;
  EXPECT_FALSE(CharsetToCodePage(30, cp));
  EXPECT_EQ(cp, 777u);
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(ResolveCodePage(CP_ACP), 1252u);
  EXPECT_EQ(CodePageToCharset(1251), RUSSIAN_CHARSET);
}
