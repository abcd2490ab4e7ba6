// The page as a screen reader reads it, through the same toolkit interfaces the desktop's
// accessibility service uses: a document of the page's words, its links named and in page
// order, its form fields as the controls they are, its scroll bar named; a link's action
// follows it once the reader's request has been answered.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "html/HtmlViewer.h"
#include "platform/Accessible.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "tests/TestWait.h"
#include "tests/html/HtmlViewerTestUtil.h"

namespace {

void Flatten(const TAccessibleSnapshot& s, std::vector<const TAccessibleSnapshot*>& out)
{
  out.push_back(&s);
  for (const TAccessibleSnapshot& c : s.Children)
    Flatten(c, out);
}

const TAccessibleSnapshot* Find(const std::vector<const TAccessibleSnapshot*>& all,
                                const std::function<bool(const TAccessibleSnapshot&)>& f)
{
  for (const TAccessibleSnapshot* s : all)
    if (f(*s))
      return s;
  return nullptr;
}

constexpr int32_t RoleEditableText = 0x2A, RoleRadioButton = 0x2D;

std::string Page()
{
  std::string s =
      "<html><head><title>Gears</title></head><body>"
      "<p>Read about <a href=\"Gears.htm\">simple gear trains</a> first.</p>"
      "<p><a href=\"Cams.htm\"><img src=\"cam.gif\" alt=\"Cam picture\" width=\"20\" height=\"20\"></a>"
      " <a href=\"$Cam_big.jpg\">Enlarge</a></p>"
      "<p><img src=\"plane.gif\" alt=\"The inclined plane model\" width=\"20\" height=\"20\"> A slope.</p>"
      "<ol><li><a href=\"A\"><img src=\"button.gif\" width=\"20\" height=\"18\"></a> &nbsp;Pear "
      "shaped</li></ol>"
      "<form>Number of teeth: <input type=\"text\" name=\"Teeth\" value=\"20\"><input type=\"submit\" value=\"Go\">"
      "<br><input type=\"radio\" name=\"colour\" value=\"r\"> Red <input type=\"radio\" name=\"colour\" "
      "value=\"g\"> Green</form>";
  for (int i = 0; i < 60; ++i)
    s += "<p>Line " + std::to_string(i) + "</p>";
  return s + "<p><a href=\"Deep.htm\">Far below</a></p><p>Depth: <input type=\"text\" value=\"9\"> Width: <input type=\"text\" value=\"7\"></p>"
             "</body></html>";
}

}   // namespace

class HtmlViewerAccessible : public HtmlViewerTest {};

TEST_F(HtmlViewerAccessible, LinksFieldsAndTheScrollBarStandInThePageAndALinkIsFollowed)
{
  TForm form;
  form.SetBounds(50, 50, 420, 320);
  Viewer->SetParent(&form);
  Viewer->SetAccessibleName("Topic page");
  std::vector<std::string> followed;
  Viewer->OnHotSpotClick = [&](TObject*, const std::string& src, bool& handled) {
    followed.push_back(src);
    handled = true;
  };
  Viewer->LoadFromFile(Write("page.htm", Page()));
  form.Show();
  testwait::WaitUntil([&] { return form.Showing(); }, 3000);
  Shot();   // lays the lines out where they are drawn

  const std::vector<TFormControlObj*>& fields = Viewer->SectionList().FormControlList;
  const TControl* depthField = fields[fields.size() - 2]->TheControl.get();
  TControl* widthField = fields.back()->TheControl.get();
  EXPECT_FALSE(depthField->HandleAllocated()) << "a field far below waits for its window";
  // A reader asking where one far field stands in the page makes no other's window.
  const int widthIndex = AccessibleIndexInParent(widthField);
  EXPECT_FALSE(depthField->HandleAllocated());
  TAccessibleSnapshot tree = AccessibleSnapshot(Viewer.get(), 12);
  std::vector<const TAccessibleSnapshot*> all;
  Flatten(tree, all);
  const TAccessibleSnapshot* doc = Find(all, [](auto& s) { return s.Role == ROLE_SYSTEM_DOCUMENT; });
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->Name, "Gears") << "the document goes by the page's title";
  EXPECT_EQ(doc->Description, "Topic page") << "what the pane is for describes it";
  ASSERT_TRUE(doc->HasText);
  EXPECT_NE(doc->Text.find("Read about simple gear trains first."), std::string::npos) << doc->Text;
  // Lines break with "\n" alone, as in a text browser, and every offset counts the same way:
  // a line's first letter stands where that offset's box is, and is found there again.
  EXPECT_EQ(doc->Text.find('\r'), std::string::npos);
  EXPECT_NE(doc->Text.find("first.\n"), std::string::npos) << doc->Text;
  const auto line3 = static_cast<int32_t>(Viewer->PageText().find(u"Line 3\n"));
  const TRect letter = Viewer->PageCharRect(line3);
  ASSERT_GT(letter.Width(), 0) << line3;
  EXPECT_EQ(Viewer->PageOffsetAt({letter.Left + 1, (letter.Top + letter.Bottom) / 2}), line3);

  // The links in page order: by their words, by a picture's alternative text, and a picture
  // alone by the words after it.
  std::vector<std::string> links;
  for (const TAccessibleSnapshot& c : doc->Children)
    if (c.Role == ROLE_SYSTEM_LINK) {
      links.push_back(c.Name);
      EXPECT_EQ(c.Actions, "Jump");
      EXPECT_NE(c.State & STATE_SYSTEM_FOCUSABLE, 0u);
    }
  EXPECT_EQ(links,
            (std::vector<std::string>{"simple gear trains", "Cam picture", "Enlarge", "Pear shaped", "Far below"}));
  // Where a link leads, when a listener can make sense of it.
  EXPECT_EQ(Find(all, [](auto& s) { return s.Name == "simple gear trains"; })->Description, "Gears.htm");
  EXPECT_EQ(Find(all, [](auto& s) { return s.Name == "Enlarge"; })->Description, "");
  // Where they stand: the first inside the page, the last below what shows.
  const TAccessibleSnapshot* first = Find(all, [](auto& s) { return s.Name == "simple gear trains"; });
  const TAccessibleSnapshot* last = Find(all, [](auto& s) { return s.Name == "Far below"; });
  ASSERT_TRUE(first && last);
  EXPECT_TRUE(first->Rect.Left > doc->Rect.Left && first->Rect.Right < doc->Rect.Right
              && first->Rect.Top >= doc->Rect.Top && first->Rect.Bottom < doc->Rect.Top + 60)
      << first->Rect.Left << "," << first->Rect.Top;
  EXPECT_EQ(first->State & (STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_INVISIBLE), 0u);
  EXPECT_NE(last->State & STATE_SYSTEM_OFFSCREEN, 0u) << "scrolled out of sight";
  // A picture outside a link read by its alternative text, where it stands in the page.
  const TAccessibleSnapshot* picture = Find(all, [](auto& s) { return s.Role == ROLE_SYSTEM_GRAPHIC; });
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Name, "The inclined plane model");
  EXPECT_EQ(picture->Rect.Width(), 20);
  EXPECT_TRUE(picture->Rect.Left >= doc->Rect.Left && picture->Rect.Top > first->Rect.Top);

  // The form's fields as themselves, each named by the words that label it on the page.
  const TAccessibleSnapshot* box = Find(all, [](auto& s) { return s.Role == RoleEditableText; });
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Name, "Number of teeth");
  std::vector<std::string> radios;
  for (const TAccessibleSnapshot* r : all)
    if (r->Role == RoleRadioButton)
      radios.push_back(r->Name);
  EXPECT_EQ(radios, (std::vector<std::string>{"Red", "Green"}));
  EXPECT_EQ(box->Text, "20");
  // The far one too, its window made as the reader asks for it.
  const TAccessibleSnapshot* depth = Find(all, [](auto& s) { return s.Role == RoleEditableText && s.Text == "9"; });
  ASSERT_NE(depth, nullptr);
  EXPECT_EQ(depth->Name, "Depth");
  ASSERT_GE(widthIndex, 1);
  ASSERT_LT(widthIndex, static_cast<int>(doc->Children.size()));
  EXPECT_EQ(&doc->Children[static_cast<size_t>(widthIndex - 1)], depth);
  EXPECT_EQ(doc->Children[static_cast<size_t>(widthIndex)].Text, "7");
  EXPECT_NE(depth->State & STATE_SYSTEM_OFFSCREEN, 0u);
  EXPECT_NE(Find(all, [](auto& s) { return s.Name == "Go"; }), nullptr);

  // The scroll bar by what it scrolls, with its position, read as a stock scroll bar is.
  const TAccessibleSnapshot* bar = Find(all, [](auto& s) { return s.Role == ROLE_SYSTEM_SCROLLBAR; });
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Name, "Vertical scroll bar");
  EXPECT_TRUE(bar->HasRange);

  // Pressing an answer-like link follows it, after the request.
  std::vector<int> path;
  std::function<bool(const TAccessibleSnapshot&, std::vector<int>&)> pathTo = [&](const TAccessibleSnapshot& s,
                                                                                  std::vector<int>& p) {
    if (s.Name == "Pear shaped" && s.Role == ROLE_SYSTEM_LINK)
      return true;
    for (size_t i = 0; i < s.Children.size(); ++i) {
      p.push_back(static_cast<int>(i));
      if (pathTo(s.Children[i], p))
        return true;
      p.pop_back();
    }
    return false;
  };
  ASSERT_TRUE(pathTo(tree, path));
  ASSERT_TRUE(AccessibleDoDefaultAction(Viewer.get(), path));
  EXPECT_TRUE(followed.empty()) << "nothing runs inside the reader's request";
  Application->ProcessMessages();
  EXPECT_EQ(followed, std::vector<std::string>{"A"});
  form.Hide();
  Viewer->SetParent(nullptr);
}

// A reader goes through a long page a line at a time (say-all, flat review): the page's words
// are copied out once, and each query then copies a paragraph, never the page again. Every
// line's first letter still stands where its offset's box is, in lists and tables too, and a
// caret put at a named place reads on from there.
TEST_F(HtmlViewerAccessible, ALongPageIsReadThroughWithoutACopyOfThePageForEachQuery)
{
  TForm form;
  form.SetBounds(50, 50, 420, 320);
  Viewer->SetParent(&form);
  constexpr int Lines = 4000;
  std::string page = "<html><body>";
  for (int i = 0; i < Lines; ++i) {
    const std::string line = (i == 2500 ? "<a name=\"here\"></a>Line " : "Line ") + std::to_string(i);
    page += i % 1000 == 7    ? "<ul><li>" + line + "</li></ul>"
            : i % 1000 == 9  ? "<table><tr><td>" + line + "</td></tr></table>"
            : i % 1000 == 11 ? "<div><p>" + line + "</p></div>"
                             : "<p>" + line + "</p>";
  }
  Viewer->LoadFromString(page + "</body></html>");
  form.Show();
  testwait::WaitUntil([&] { return form.Showing(); }, 3000);
  Shot();

  const std::u16string text = Viewer->PageText();
  const auto size = static_cast<int64_t>(text.size());
  ASSERT_GT(size, Lines * 7);
  EXPECT_LT(Viewer->ReaderCopiedCharacters(), 4 * size) << "found once";
  const int64_t found = Viewer->ReaderCopiedCharacters();
  // The lines a reader reaches from the top, the list's, table's and block's among them.
  for (int i : {0, 1, 7, 9, 11, 12, 1007, 1009, 1011, 2, 3, 4, 5, 6}) {
    const std::u16string words = u"Line " + AnsiToWide(std::to_string(i)) + u"\n";
    const size_t at = text.find(words);
    ASSERT_NE(at, std::u16string::npos) << i;
    ASSERT_TRUE(at == 0 || text[at - 1] == u'\n') << i;
    const auto offset = static_cast<int32_t>(at);
    const TRect letter = Viewer->PageCharRect(offset);
    ASSERT_GT(letter.Width(), 0) << i;
    EXPECT_EQ(Viewer->PageOffsetAt({letter.Left + 1, (letter.Top + letter.Bottom) / 2}), offset) << i;
    EXPECT_EQ(Viewer->PageText(), text);
  }
  EXPECT_LT(Viewer->ReaderCopiedCharacters() - found, size / 20) << "no query copied the page";
  ASSERT_TRUE(Viewer->CaretToName("here"));
  EXPECT_EQ(Viewer->PageCaret(), static_cast<int32_t>(text.find(u"Line 2500\n")));
  EXPECT_FALSE(Viewer->CaretToName("nowhere"));
  form.Hide();
  Viewer->SetParent(nullptr);
}
