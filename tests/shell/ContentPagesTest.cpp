// The content beside the program, as the build lays it out: every page read with our own
// tokenizer, its links followed as the program follows them, its pictures decoded and its
// clips opened in the media player; the index reaching every page; the question file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "html/HTMLIndex.h"
#include "html/HTMLStreams.h"
#include "html/Pictures.h"
#include "html/GifDecoder.h"
#include "html/HtmlViewer.h"
#include "html/MetaFilePrinter.h"
#include "html/HtmlReader.h"
#include "platform/Files.h"
#include "platform/MediaPlayer.h"
#include "lessons/Questions.h"
#include "shell/TopicDispatch.h"
#include "tests/platform/VideoClipSupport.h"
#include "tests/shell/PictureOutput.h"

namespace {

const std::string HtmlDir = ExeFolder() + "HTML/";
const std::string VideoDir = ExeFolder() + "Video/";
constexpr char ClipMark = '\xA3';   // the pound sign of Windows-1252

std::string Upper(std::string s)
{
  for (char& c : s)
    c = char(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Every page, found by its upper-cased file name.
std::map<std::string, std::string> PageFiles()
{
  std::map<std::string, std::string> pages;
  for (const auto& e : std::filesystem::directory_iterator(HtmlDir))
    if (e.is_regular_file() && Upper(e.path().extension().string()) == ".HTM")
      pages[Upper(e.path().filename().string())] = e.path().string();
  return pages;
}

// A picture as a page places it: its file and the size the page gives it (0 where not given).
struct TPlacedPicture {
  std::string Source;
  Integer Width = 0, Height = 0;
};

struct TPageLinks {
  std::vector<std::string> Links;       // A HREF
  std::vector<std::string> Pictures;    // IMG SRC, BACKGROUND
  std::vector<std::string> Sheets;      // LINK HREF
  std::set<std::string> Anchors;        // A NAME and ID, upper-cased
  std::vector<TPlacedPicture> Placed;   // IMG with its WIDTH and HEIGHT
};

// A viewer set up as the main window's page pane (630 pixels wide, Arial 10, links below
// the content's HTML folder), with the given height and background.
void SetUpPagePane(THTMLViewer& viewer, Integer height, TColor background)
{
  viewer.SetBounds(0, 0, 630, height);
  viewer.DefFontName = "Arial";
  viewer.SetDefFontSize(10);
  viewer.SetDefBackground(background);
  viewer.SetServerRoot(ExeFolder() + "HTML");
}

// The page read with the viewer's own tokenizer.
TPageLinks ReadPage(const std::string& file)
{
  const std::vector<uint8_t> bytes = ReadFileBytes(file, size_t(1) << 20);
  THtmlTokenizer t;
  t.Start(std::string(bytes.begin(), bytes.end()));
  t.GetCh();
  TPageLinks out;
  for (int guard = 0; guard < 100000; ++guard) {
    t.Next();
    if (t.Sy == EofSy)
      break;
    if (t.Sy == ImageSy) {
      TPlacedPicture placed;
      for (const auto& a : t.Attributes)
        if (a->Which == SrcSy)
          placed.Source = a->Name;
        else if (a->Which == WidthSy)
          placed.Width = StrToIntDef(a->Name, 0);
        else if (a->Which == HeightSy)
          placed.Height = StrToIntDef(a->Name, 0);
      out.Placed.push_back(placed);
    }
    for (const auto& a : t.Attributes) {
      if (t.Sy == ASy && a->Which == HrefSy)
        out.Links.push_back(a->Name);
      else if (t.Sy == LinkSy && a->Which == HrefSy)
        out.Sheets.push_back(a->Name);
      else if ((t.Sy == ImageSy && a->Which == SrcSy) || a->Which == BackgroundSy)
        out.Pictures.push_back(a->Name);
      else if ((t.Sy == ASy && a->Which == NameSy) || a->Which == IDSy)
        out.Anchors.insert(Upper(a->Name));
    }
  }
  return out;
}

// A name from a page as a file below the HTML folder: "/x" from the root, "x" beside the
// page (all pages lie in the root).
std::string HtmlPath(const std::string& name)
{
  return HtmlDir + (name.empty() || name[0] != '/' ? name : name.substr(1));
}

// The picture's size in pixels as the viewer decodes it; 0 x 0, and why, when it does not.
std::pair<Integer, Integer> DecodedSize(const std::string& file, std::string& why)
{
  try {
    const std::vector<uint8_t> bytes = ReadFileBytes(file, size_t(16) << 20);
    if (Upper(std::filesystem::path(file).extension().string()) == ".GIF") {
      TByteStream s(bytes);
      TGif gif;
      gif.LoadFromStream(s);
      return {gif.Width(), gif.Height()};
    }
    TByteStream s(bytes);
    TTransparency tr = NotTransp;
    std::unique_ptr<TBitmap> mask;
    std::unique_ptr<TBitmap> bmp = LoadImageFromStream(&s, tr, mask);
    return bmp ? std::pair<Integer, Integer>{bmp->Width(), bmp->Height()} : std::pair<Integer, Integer>{0, 0};
  } catch (const Exception& e) {
    why = e.Message;
    return {0, 0};
  }
}

bool PictureDecodes(const std::string& file, std::string& why)
{
  const auto [width, height] = DecodedSize(file, why);
  return width > 0 && height > 0;
}

// The topic each page goes with (reference pages other than the inclined plane: none).
const std::map<std::string, Integer>& PageTopics()
{
  static const std::map<std::string, Integer> topics{
      {"TWOCOG.HTM", 1},        {"THREECOG.HTM", 2},      {"COMPGEAR.HTM", 3},      {"BEVELGEAR.HTM", 4},
      {"VEEPULLEY.HTM", 5},     {"PULLEYBELT.HTM", 5},    {"JOCKEY.HTM", 6},        {"STEPCONE.HTM", 7},
      {"CHAIN.HTM", 8},         {"PULLEYS.HTM", 9},       {"MITREGEAR.HTM", 10},    {"WESTON.HTM", 12},
      {"CAM_CIRCULAR.HTM", 14}, {"CRANK_SLIDER.HTM", 17}, {"SCREWS.HTM", 18},       {"SCREWJACK.HTM", 19},
      {"CRANK_SLOT.HTM", 20},   {"WINDLASS.HTM", 21},     {"ROTARY.HTM", 22},       {"OSCILLATE.HTM", 23},
      {"LINEAR.HTM", 24},       {"RECIPROCATE.HTM", 25},  {"LEVER_CLASS1.HTM", 26}, {"LEVER_CLASS2.HTM", 27},
      {"LEVER_CLASS3.HTM", 28}, {"REV_MOTION.HTM", 29},   {"BELL_CRANK.HTM", 30},   {"PARALLEL.HTM", 31},
      {"TREADLE.HTM", 32},      {"TOGGLE.HTM", 33},       {"DERAILLEUR.HTM", 34},   {"RACK_PINION.HTM", 35},
      {"WORM.HTM", 36},         {"RATCHET.HTM", 37},      {"HELICAL.HTM", 38},      {"INCLINED.HTM", 39},
      {"CAM_BOX.HTM", 40},
  };
  return topics;
}

const char* const ReferencePages[] = {"MECHANISM.HTM",    "REF_MOMENTS.HTM", "REF_EQUILIB.HTM",    "REF_MA.HTM",
                                      "REF_TORQUE.HTM",   "REF_VR.HTM",      "REF_EFFICIENCY.HTM", "REF_SHAFTS.HTM",
                                      "REF_BEARINGS.HTM", "REF_CLUTCHES.HTM"};

}   // namespace

TEST(ContentPagesTest, EveryPageIsThereAndGoesWithItsTopic)
{
  const auto pages = PageFiles();
  for (const auto& [key, id] : PageTopics()) {
    EXPECT_TRUE(pages.count(key)) << key << " is missing";
    // As the index and the pages link to it, and as the viewer reports a loaded file.
    EXPECT_EQ(PageToTopic("/" + key, -1), id) << key;
    if (pages.count(key)) {
      EXPECT_EQ(PageToTopic(pages.at(key), -1), id) << key;
    }
  }
  for (const char* key : ReferencePages) {
    EXPECT_TRUE(pages.count(key)) << key << " is missing";
    EXPECT_EQ(PageToTopic(std::string("/") + key, 7), 7) << key << " keeps the model shown";
  }
  EXPECT_EQ(pages.size(), PageTopics().size() + std::size(ReferencePages)) << "a page that nothing expects";
  // The cam page's anchors pick their cams.
  for (auto [anchor, id] : {std::pair{"CIRCULAR", 13}, {"PEAR", 14}, {"HEART", 15}, {"BOX", 16}, {"LINEAR", 11}})
    EXPECT_EQ(PageToTopic(std::string("/Cam_Circular.htm#") + anchor, 0), id) << anchor;
}

TEST(ContentPagesTest, EveryLinkPictureAndClipResolvesAsTheProgramLooksThemUp)
{
  const auto pages = PageFiles();
  ASSERT_FALSE(pages.empty()) << "no pages beside the program in " << HtmlDir;
  std::map<std::string, std::set<std::string>> anchors;
  std::map<std::string, TPageLinks> read;
  for (const auto& [key, file] : pages) {
    read[key] = ReadPage(file);
    anchors[key] = read[key].Anchors;
  }
  std::set<std::string> clips, pictures;
  for (const auto& [key, links] : read) {
    SCOPED_TRACE(key);
    EXPECT_FALSE(links.Sheets.empty()) << "the page does not use the style sheet";
    // Every page leads on to others (a reader never reaches a dead end).
    EXPECT_GE(links.Links.size(), 2u);
    for (const std::string& s : links.Sheets)
      EXPECT_TRUE(FileExists(HtmlPath(s))) << s;
    for (const std::string& p : links.Pictures) {
      EXPECT_TRUE(FileExists(HtmlPath(p))) << p;
      pictures.insert(ResolveFileName(HtmlPath(p)));
    }
    for (const std::string& link : links.Links) {
      ASSERT_FALSE(link.empty());
      if (link[0] == '$') {
        EXPECT_TRUE(FileExists(HtmlDir + "images/" + link.substr(1))) << link;
        pictures.insert(ResolveFileName(HtmlDir + "images/" + link.substr(1)));
      } else if (link[0] == ClipMark) {
        EXPECT_TRUE(FileExists(VideoDir + link.substr(1))) << link;
        clips.insert(ResolveFileName(VideoDir + link.substr(1)));
      } else if (link[0] == '*') {
        const Integer n = StrToIntDef(link.substr(1), -1);
        EXPECT_TRUE(n >= 0 && n < Integer(TopicIndexContents().size())) << link;
      } else {
        const size_t hash = link.find('#');
        std::string target = Upper(std::filesystem::path(link.substr(0, hash)).filename().string());
        if (target.empty())
          target = key;
        EXPECT_TRUE(anchors.count(target)) << link << " leads to no page";
        if (hash != std::string::npos && anchors.count(target)) {
          EXPECT_TRUE(anchors[target].count(Upper(link.substr(hash + 1)))) << link << " names no anchor there";
        }
      }
    }
  }
  // A picture placed at a size keeps its own proportions and is never stretched beyond its
  // pixels (a page may show a model's picture smaller): a diagram redrawn at another size
  // than its page says would come out squeezed.
  for (const auto& [key, links] : read)
    for (const TPlacedPicture& p : links.Placed) {
      if (p.Width == 0 && p.Height == 0)
        continue;
      std::string why;
      const auto [width, height] = DecodedSize(ResolveFileName(HtmlPath(p.Source)), why);
      ASSERT_GT(width, 0) << key << ": " << p.Source << why;
      EXPECT_LE(p.Width, width) << key << ": " << p.Source;
      EXPECT_NEAR(double(p.Height) / p.Width, double(height) / width, 1.0 / p.Width) << key << ": " << p.Source;
    }
  // The cam page holds the five anchors the index links to.
  for (const char* a : {"CIRCULAR", "PEAR", "HEART", "BOX", "LINEAR"})
    EXPECT_TRUE(anchors["CAM_CIRCULAR.HTM"].count(a)) << a;

  for (const std::string& p : pictures) {
    std::string why;
    EXPECT_TRUE(PictureDecodes(p, why)) << p << ": " << why;
  }
  // The index page's own pictures and the test window's.
  for (const char* p : {"IMAGES/StripeLight.gif", "IMAGES/TarvTitle.bmp", "images/PlusBook.gif", "images/MinusBook.gif",
                        "images/topic.gif", "Images/button.gif", "images/Tick.bmp", "images/Cross.bmp"}) {
    std::string why;
    EXPECT_TRUE(PictureDecodes(ResolveFileName(HtmlDir + p), why)) << p << ": " << why;
  }

  ASSERT_FALSE(clips.empty());
  if (!TMediaPlayer::Available())
    GTEST_SKIP() << "no media back end here to open the clips";
  videoclip::RunIsolated([clips] {
    for (const std::string& c : clips) {
      TMediaPlayer player;
      player.SetFileName(c);
      EXPECT_NO_THROW(player.Open()) << c;
      EXPECT_EQ(player.ClipWidth(), 240) << c;
      EXPECT_EQ(player.ClipHeight(), 180) << c;
      EXPECT_GE(player.Length(), 2000) << c;
      player.Close();
    }
  });
}

TEST(ContentPagesTest, EveryCategoryHasAClipAndEveryTopicPageAPicture)
{
  std::set<Integer> clipped;
  for (const auto& [key, file] : PageFiles()) {
    const TPageLinks links = ReadPage(file);
    const auto topic = PageTopics().find(key);
    if (topic == PageTopics().end() || topic->second == 40)
      continue;
    bool enlarged = false;
    for (const std::string& l : links.Links) {
      enlarged = enlarged || l[0] == '$';
      if (l[0] == ClipMark)
        for (Integer c = 0; c < TopicCategoryCount; ++c)
          if (TopicCategorySet(topic->second) & (1u << c))
            clipped.insert(c);
    }
    EXPECT_TRUE(enlarged) << key << " has no enlarged picture of its model";
  }
  for (Integer c = 0; c < TopicCategoryCount; ++c)
    EXPECT_TRUE(clipped.count(c)) << TopicCategoryName(c) << " has no clip";
}

TEST(ContentPagesTest, TheIndexReachesEveryPage)
{
  const auto pages = PageFiles();
  std::set<std::string> seen;
  std::vector<std::string> todo;
  for (const TIndexHeading& h : TopicIndexContents())
    for (const TIndexLink& item : h.Items)
      todo.push_back(Upper(
          std::filesystem::path(std::string(item.URL).substr(0, std::string(item.URL).find('#'))).filename().string()));
  while (!todo.empty()) {
    const std::string key = todo.back();
    todo.pop_back();
    if (!seen.insert(key).second)
      continue;
    ASSERT_TRUE(pages.count(key)) << "the index or a page links to the missing " << key;
    for (const std::string& l : ReadPage(pages.at(key)).Links)
      if (l[0] != '$' && l[0] != ClipMark && l[0] != '*' && l[0] != '#')
        todo.push_back(Upper(std::filesystem::path(l.substr(0, l.find('#'))).filename().string()));
  }
  for (const auto& [key, file] : pages)
    EXPECT_TRUE(seen.count(key)) << key << " cannot be reached from the index";
}

TEST(ContentPagesTest, TheQuestionFileCoversEveryCategory)
{
  const std::string file = ExeFolder() + "questions/test.mq";
  const std::vector<uint8_t> bytes = ReadFileBytes(file, MaxQuestionFileSize);
  TQuestionList all = LoadQuestionFile(file, 0);
  // Written back, the questions give the same file: nothing the reader skips or adds.
  EXPECT_EQ(SaveQuestionFile(all), bytes);
  for (Integer c = 0; c < TopicCategoryCount; ++c)
    EXPECT_GE(LoadQuestionFile(file, TTopicCategories(1u << c)).size(), 20u) << TopicCategoryName(c);
  std::set<std::string> texts;
  for (const auto& q : all) {
    SCOPED_TRACE(q->Text);
    EXPECT_TRUE(texts.insert(q->Text).second) << "asked twice";
    ASSERT_GE(q->Correct, 0);
    ASSERT_LT(size_t(q->Correct), q->Answers.size());
    ASSERT_LE(q->Answers.size(), 5u);
    EXPECT_NE(q->Topics, 0);
    std::set<std::string> answers(q->Answers.begin(), q->Answers.end());
    EXPECT_EQ(answers.size(), q->Answers.size()) << "two answers alike";
    if (!q->ImageName.empty()) {
      const std::string picture = ResolveFileName(HtmlDir + "Images/" + q->ImageName);
      std::string why;
      EXPECT_TRUE(PictureDecodes(picture, why)) << q->ImageName << ": " << why;
      EXPECT_GT(q->ImageWidth, 0);
      EXPECT_GT(q->ImageHeight, 0);
    }
  }
}

TEST(ContentPagesTest, PicturesOfPagesInTheViewer)
{
  // The page pane of the main window on a 1280 x 1024 screen.
  struct TShot {
    const char* Page;
    const char* Anchor;
    const char* Picture;
  };
  const TShot shots[] = {
      {"TwoCog.htm", "", "content-page-topic.png"},
      {"ref_Moments.htm", "", "content-page-reference.png"},
      {"Cam_Circular.htm", "#HEART", "content-page-cam-anchor.png"},
      {"VeePulley.htm", "", "content-page-enlarged-link.png"},
      {"Rotary.htm", "", "content-page-clip-link.png"},
  };
  for (const TShot& s : shots) {
    SCOPED_TRACE(s.Page);
    THTMLViewer viewer;
    SetUpPagePane(viewer, 760, clWhite);
    viewer.LoadFromFile(HtmlDir + s.Page);
    if (*s.Anchor) {
      EXPECT_TRUE(viewer.PositionTo(s.Anchor));
    }
    TBitmap shot(viewer.Width(), viewer.Height());
    viewer.PaintTo(shot.Canvas(), 0, 0);
    SaveTestPicture(shot, s.Picture);
    // The page shows text and its picture: many colours, not a blank pane.
    std::set<TColor> colours;
    for (int y = 0; y < shot.Height(); y += 3)
      for (int x = 0; x < shot.Width(); x += 3)
        colours.insert(shot.GetPixel(x, y));
    EXPECT_GT(colours.size(), 50u);
  }
  // The index page with one heading open, as the main window shows it at first use.
  THTMLViewer viewer;
  SetUpPagePane(viewer, 760, clWhite);
  THTMLIndex index(&viewer);
  for (const TIndexHeading& h : TopicIndexContents()) {
    const Integer n = index.AddHeading(h.Title);
    for (const TIndexLink& item : h.Items)
      index.AddItem(n, item.Title, item.URL);
  }
  index.ToggleHeading(3);
  TBitmap shot(viewer.Width(), viewer.Height());
  viewer.PaintTo(shot.Canvas(), 0, 0);
  SaveTestPicture(shot, "content-page-index.png");
}

TEST(ContentPagesTest, TheChosenTextBackgroundShowsOnEveryPage)
{
  // View, "Text background colour": the pane's colour is the page's, on every page (a page
  // or style sheet giving the body its own colour would hide the choice).
  const TColor paleYellow = TColor(0xE0FFFF);
  for (const auto& [name, file] : PageFiles()) {
    SCOPED_TRACE(name);
    THTMLViewer viewer;
    SetUpPagePane(viewer, 400, paleYellow);
    viewer.LoadFromFile(file);
    TBitmap shot(viewer.Width(), viewer.Height());
    viewer.PaintTo(shot.Canvas(), 0, 0);
    // The top left corner lies in the body's margin.
    EXPECT_EQ(shot.GetPixel(3, 3), paleYellow);
  }
}

TEST(ContentPagesTest, TheChosenTextSizeReachesEveryPartOfEveryPage)
{
  // The page toolbar's "font" sizes: a page whose style sheet fixed its sizes in points
  // would lay out the same at every one of them.
  for (const auto& [name, file] : PageFiles()) {
    SCOPED_TRACE(name);
    int32_t last = 0;
    for (int32_t points : {8, 10, 14}) {
      THTMLViewer viewer;
      viewer.SetBounds(0, 0, 630, 760);
      viewer.DefFontName = "Arial";
      viewer.SetDefFontSize(points);
      viewer.SetServerRoot(ExeFolder() + "HTML");
      viewer.LoadFromFile(file);
      EXPECT_GT(viewer.DocumentHeight(), last) << points << " points";
      last = viewer.DocumentHeight();
    }
  }
}

TEST(ContentPagesTest, PagesPreviewForPrinting)
{
  // Printing lays out a copy of the document: every kind of section the pages hold
  // (tables, nested and floated, lists, pictures) goes through its copy. (A page at the
  // printer's resolution takes seconds in the checked build: a sample of the kinds.)
  for (const char* name : {"Cam_Circular.htm", "ref_Moments.htm", "TwoCog.htm"}) {
    SCOPED_TRACE(name);
    const std::string file = HtmlDir + name;
    THTMLViewer viewer;
    viewer.SetBounds(0, 0, 630, 760);
    viewer.DefFontName = "Arial";
    viewer.SetDefFontSize(10);
    viewer.SetServerRoot(ExeFolder() + "HTML");
    viewer.LoadFromFile(file);
    TMetaFilePrinter preview;
    viewer.PrintPreview(preview);
    EXPECT_GE(preview.PageCount(), 1);
  }
}
