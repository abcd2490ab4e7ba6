#include <gtest/gtest.h>

#include "html/Urls.h"

namespace {

std::string Decoded(std::string s)
{
  DecodeHex(s);
  return s;
}

TEST(Urls, GetBase)
{
  EXPECT_EQ(GetBase("http://host/dir/page.htm"), "http://host/dir/");
  EXPECT_EQ(GetBase("  http://host/dir/page.htm?a=/b/c  "), "http://host/dir/");
  EXPECT_EQ(GetBase("http://host"), "http://host/");
  EXPECT_EQ(GetBase("dir/page.htm"), "dir/");
  EXPECT_EQ(GetBase("page.htm"), "page.htm/");
}

TEST(Urls, Combine)
{
  EXPECT_EQ(Combine("http://host/dir/", "x.css"), "http://host/dir/x.css");
  EXPECT_EQ(Combine("http://host/dir", "x.css"), "http://host/dir/x.css");
  EXPECT_EQ(Combine("http://host/dir/", "../x.css"), "http://host/x.css");
  EXPECT_EQ(Combine("http://host", "../x.css"), "http://host/x.css");
  EXPECT_EQ(Combine("http://host", "/a.htm"), "http://host/a.htm");
  EXPECT_EQ(Combine("http://host/a/b/", "/c/d.htm"), "http://host/c/d.htm");
  EXPECT_EQ(Combine("http://host/a/b/", "./c/./d.htm"), "http://host/a/b/c/d.htm");
  EXPECT_EQ(Combine("http://host/a/b/", "../../../../x"), "http://host/x");
  EXPECT_EQ(Combine("file:///c|/dir/sub/", "../x.htm"), "file:///c|/dir/x.htm");
  EXPECT_EQ(Combine("dir/sub", "../../x"), "dir/x");
}

TEST(Urls, IsFullURL)
{
  EXPECT_TRUE(IsFullURL("http://host/x"));
  EXPECT_TRUE(IsFullURL("MailTo:someone"));
  EXPECT_FALSE(IsFullURL("dir/x://y"));
  EXPECT_FALSE(IsFullURL("page.htm"));
}

TEST(Urls, DecodeHexDecodesOnceLeftToRight)
{
  EXPECT_EQ(Decoded("a%20b"), "a b");
  EXPECT_EQ(Decoded("%41bc"), "Abc");   // a leading escape is decoded too
  EXPECT_EQ(Decoded("%2541"), "%41");   // a decoded "%" starts nothing
  EXPECT_EQ(Decoded("%252e%252e"), "%2e%2e");
  EXPECT_EQ(Decoded("%2e%2E/x"), "../x");
  EXPECT_EQ(Decoded("a%00b%41"), "a%00bA");   // no NUL in file names
  EXPECT_EQ(Decoded("abc%4"), "abc%4");
  EXPECT_EQ(Decoded("abc%"), "abc%");
  EXPECT_EQ(Decoded("a%zz%41"), "a%zz%41");   // a bad escape ends decoding
  EXPECT_EQ(Decoded("%ff"), "\xff");
}

TEST(Urls, HTMLToDos)
{
  EXPECT_EQ(HTMLToDos("my%20page.htm"), "my page.htm");
  EXPECT_EQ(HTMLToDos("a|b.htm"), "a|b.htm");   // no "/": only decoding
  EXPECT_EQ(HTMLToDos("file:///c|/dir/x.htm"), "c:\\dir\\x.htm");
  EXPECT_EQ(HTMLToDos("FILE://server/x.htm"), "server\\x.htm");
  EXPECT_EQ(HTMLToDos("file:///tmp/x/page.htm"), "\\tmp\\x\\page.htm");   // absolute stays absolute
  EXPECT_EQ(HTMLToDos("/images/a.gif"), "\\images\\a.gif");
}

TEST(Urls, HTMLServerToDos)
{
  EXPECT_EQ(HTMLServerToDos("/page.htm", ""), "\\page.htm");
  EXPECT_EQ(HTMLServerToDos("/page.htm", "HTML"), "HTML\\page.htm");
  EXPECT_EQ(HTMLServerToDos("c|/page.htm", "HTML"), "c:\\page.htm");
  EXPECT_EQ(HTMLServerToDos("//srv/page.htm", "HTML"), "\\\\srv\\page.htm");
  EXPECT_EQ(HTMLServerToDos("dir/page.htm", "HTML"), "dir\\page.htm");
  EXPECT_EQ(HTMLServerToDos("file:///tmp/page.htm", "HTML"), "\\tmp\\page.htm");
}

// A page names files below the server root with "/"; however it climbs, escapes or mixes
// separators, the name it gets stays below the root.
TEST(Urls, RootRelativeNamesStayBelowTheRoot)
{
  EXPECT_EQ(HTMLServerToDos("/../../etc/passwd", "HTML"), "HTML\\etc\\passwd");
  EXPECT_EQ(HTMLServerToDos("/images/../../../x.gif", "HTML"), "HTML\\x.gif");
  EXPECT_EQ(HTMLServerToDos("/a/b/../c.htm", "HTML"), "HTML\\a\\c.htm");   // climbing inside is kept
  EXPECT_EQ(HTMLServerToDos("/%2e%2e/%2E%2E/x.htm", "HTML"), "HTML\\x.htm");
  EXPECT_EQ(HTMLServerToDos("\\..\\..\\x.htm", "HTML"), "HTML\\x.htm");   // backslashes only
  EXPECT_EQ(HTMLServerToDos("/..\\../x.htm", "HTML"), "HTML\\x.htm");
  EXPECT_EQ(HTMLServerToDos("/./images/./a.gif", "HTML"), "HTML\\images\\a.gif");
  EXPECT_EQ(HTMLServerToDos("/images/", "HTML"), "HTML\\images\\");
  EXPECT_EQ(HTMLServerToDos("/..", "HTML"), "HTML\\");
  EXPECT_EQ(HTMLServerToDos("/", "HTML"), "HTML\\");
  // Names that are not root-relative are left to the caller.
  EXPECT_EQ(HTMLServerToDos("../x.htm", "HTML"), "..\\x.htm");
  EXPECT_EQ(HTMLServerToDos("", "HTML"), "");
}

}   // namespace
