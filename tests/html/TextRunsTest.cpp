#include "tests/html/GifTestUtil.h"
#include "tests/html/DocumentTestUtil.h"

namespace {

using ImagesTest = HtmlsubsTest;

// A paragraph holding one image (and optional text after it), added to the document.
TImageObj* AddImagePara(HtmlsubsTest& T, TSectionList& Doc, TProperties& Prop, TAttributeList& L,
                        const std::u16string& Text = u"", const TUrlTarget* Link = nullptr,
                        TSection** Section = nullptr)
{
  auto s = std::make_unique<TSection>(&Doc, nullptr, Prop, Link);
  TImageObj* img = s->AddImage(L, Prop, 0);
  if (!Text.empty()) {
    TokenObj t;
    for (size_t i = 0; i < Text.size(); ++i)
      t.AddUnicodeChar(Text[i], 1 + static_cast<int32_t>(i));
    s->AddTokenObj(t);
  }
  if (Section)
    *Section = s.get();
  Doc.Add(std::move(s));
  return img;
}

TEST_F(ImagesTest, AttributesAreReadAndBounded)
{
  auto a = Attrs(
      {{WidthSy, 150, "150%"}, {HeightSy, 0, "0"}, {HSpaceSy, -60, "-60"}, {UseMapSy, 0, "#"}, {AltSy, 0, "pic"}});
  TImageObj img(Doc.get(), 0, *a);
  EXPECT_EQ(img.SpecWidth, 0);
  EXPECT_FALSE(img.PercentWidth);
  EXPECT_EQ(img.SpecHeight, 1);
  EXPECT_EQ(img.HSpaceL, 40);
  EXPECT_EQ(img.HSpaceR, 40);
  EXPECT_TRUE(img.UseMap);
  EXPECT_EQ(img.MapName, "#");
  EXPECT_EQ(img.Title, "pic");

  auto b = Attrs({{AlignSy, 0, "left"},
                  {UseMapSy, 0, "#nav"},
                  {WidthSy, 2147483647, "99999999999"},
                  {TitleSy, 0, "t"},
                  {AltSy, 0, "a"}});
  TImageObj left(Doc.get(), 0, *b);
  EXPECT_EQ(left.ObjAlign, ALeft);
  EXPECT_EQ(left.HSpaceL, 3);
  EXPECT_EQ(left.HSpaceR, 3);
  EXPECT_EQ(left.MapName, "NAV");
  EXPECT_EQ(left.SpecWidth, MaxImageSide);
  EXPECT_EQ(left.Title, "t");

  auto c = Attrs({{AlignSy, 0, "absmiddle"}, {BorderSy, 0, "0"}, {TranspSy, 0, ""}});
  TImageObj inl(Doc.get(), 0, *c);
  EXPECT_EQ(inl.ObjAlign, AMiddle);
  EXPECT_EQ(inl.HSpaceL, 0);
  EXPECT_TRUE(inl.NoBorder);
  EXPECT_EQ(inl.Transparent, LLCorner);
}

TEST_F(ImagesTest, StylePropertiesAfterAttributes)
{
  auto a = Attrs({{WidthSy, 50, "50%"}});
  TImageObj img(Doc.get(), 0, *a);
  TProperties p;
  p.Props[piFloat] = std::string("right");
  p.Props[MarginTop] = std::string("7px");
  p.Props[piWidth] = std::string("30px");
  p.PropTitle = "styled";
  img.ProcessProperties(p);
  EXPECT_EQ(img.ObjAlign, ARight);
  EXPECT_EQ(img.HSpaceL, 3);
  EXPECT_EQ(img.VSpaceT, 7);
  EXPECT_EQ(img.SpecWidth, 30);
  EXPECT_FALSE(img.PercentWidth);
  EXPECT_EQ(img.Title, "styled");
}

TEST_F(ImagesTest, AFloatsDefaultSpaceLeavesTheMarginsTheStyleGives)
{
  struct Case {
    const char* Name;
    const char* Left;    // margin-left, or none
    const char* Right;   // margin-right, or none
    int32_t HSpace;      // the HSPACE attribute, or -1
    int32_t L, R;
  };
  for (const Case& c : {Case{"none", nullptr, nullptr, -1, 3, 3}, Case{"left", "10px", nullptr, -1, 10, 3},
                        Case{"right", nullptr, "5px", -1, 3, 5}, Case{"both", "10px", "5px", -1, 10, 5},
                        Case{"hspace", "10px", nullptr, 7, 10, 7}}) {
    auto a = c.HSpace >= 0 ? Attrs({{HSpaceSy, c.HSpace, std::to_string(c.HSpace)}}) : Attrs({});
    TImageObj img(Doc.get(), 0, *a);
    TProperties p;
    p.Props[piFloat] = std::string("right");
    if (c.Left)
      p.Props[MarginLeft] = std::string(c.Left);
    if (c.Right)
      p.Props[MarginRight] = std::string(c.Right);
    img.ProcessProperties(p);
    EXPECT_EQ(img.ObjAlign, ARight) << c.Name;
    EXPECT_EQ(img.HSpaceL, c.L) << c.Name;
    EXPECT_EQ(img.HSpaceR, c.R) << c.Name;
  }
}

TEST_F(ImagesTest, PlaceholderBoxWhileImagesAreOff)
{
  Doc->ShowImages = false;
  auto a = Attrs({{AltSy, 0, "abcd"}, {SrcSy, 0, "x.png"}});
  auto b = Attrs({{AltSy, 0, "abcd"}, {WidthSy, 10, "10"}, {HeightSy, 12, "12"}});
  TImageObj* free = AddImagePara(*this, *Doc, Prop, *a, u"x");
  TImageObj* sized = AddImagePara(*this, *Doc, Prop, *b, u"x");
  Layout(500);
  // Arial 8 points on the fixed canvas: 11 pixels high, 5 wide.
  EXPECT_EQ(free->ImageWidth, 4 * 5 + 26);
  EXPECT_EQ(free->ImageHeight, 24);
  EXPECT_FALSE(free->ImageKnown);
  EXPECT_EQ(sized->ImageWidth, 10);
  EXPECT_EQ(sized->ImageHeight, 12);
  EXPECT_TRUE(Cache.Count() == 0);   // nothing fetched while images are off
}

TEST_F(ImagesTest, PercentWidthFollowsTheColumn)
{
  int requests = 0;
  Doc->GetBitmap = [&](TObject*, const std::string& Src, std::unique_ptr<TBitmap>& B, TColor& Color) {
    ++requests;
    if (Src == "pic.bmp")
      B = std::make_unique<TBitmap>(100, 50);
  };
  auto a = Attrs({{SrcSy, 0, "pic.bmp"}, {WidthSy, 50, "50%"}});
  TImageObj* img = AddImagePara(*this, *Doc, Prop, *a, u"x");
  Layout(300);
  EXPECT_EQ(img->ObjWidth, 150);
  EXPECT_EQ(img->ObjHeight, 75);
  Layout(200);
  EXPECT_EQ(img->ObjWidth, 100);
  EXPECT_EQ(img->ObjHeight, 50);
  EXPECT_EQ(requests, 1);   // the picture is fetched once
  EXPECT_EQ(img->Transparent, NotTransp);
  EXPECT_EQ(img->Mask(), nullptr);
}

TEST_F(ImagesTest, CacheSharesPicturesAndCountsUses)
{
  Doc->GetBitmap = [&](TObject*, const std::string&, std::unique_ptr<TBitmap>& B, TColor& Color) {
    B = std::make_unique<TBitmap>(8, 8);
    Color = clBlack;
  };
  auto a = Attrs({{SrcSy, 0, " pic.bmp "}});
  auto b = Attrs({{SrcSy, 0, "PIC.BMP"}});
  TImageObj* one = AddImagePara(*this, *Doc, Prop, *a, u"x");
  TImageObj* two = AddImagePara(*this, *Doc, Prop, *b, u"x");
  Layout(300);
  ASSERT_EQ(Cache.Count(), 1);
  EXPECT_EQ(one->Bitmap(), two->Bitmap());
  EXPECT_EQ(one->Transparent, TrGif);   // the host named a transparent colour
  EXPECT_NE(one->Mask(), nullptr);
  EXPECT_EQ(Cache.Objects(0)->UsageCount, 2);
  Doc->Clear();
  EXPECT_EQ(Cache.Objects(0)->UsageCount, 0);
}

TEST_F(ImagesTest, MissingPictureShowsTheErrorImage)
{
  auto a = Attrs({{SrcSy, 0, "/no/such/file.png"}, {AltSy, 0, "gone"}});
  TImageObj* img = AddImagePara(*this, *Doc, Prop, *a, u"x");
  Layout(300);
  EXPECT_TRUE(img->IsErrorImage());
  EXPECT_EQ(img->Mask(), &ErrorBitmapMask());
  EXPECT_EQ(img->Transparent, LLCorner);
  EXPECT_EQ(img->ImageWidth, 4 * 5 + 26);
  EXPECT_EQ(img->GetBitmap(), nullptr);
}

TEST_F(ImagesTest, AwaitedPicturesWaitOnceAndArriveLater)
{
  int requests = 0;
  Doc->GetImage = [&](TObject*, const std::string&, TStream*& S) {
    ++requests;
    S = WaitStream();
  };
  auto a = Attrs({{SrcSy, 0, "later.png"}});
  auto b = Attrs({{SrcSy, 0, "later.png"}});
  TImageObj* one = AddImagePara(*this, *Doc, Prop, *a, u"x");
  TImageObj* two = AddImagePara(*this, *Doc, Prop, *b, u"x");
  Layout(300);
  EXPECT_EQ(requests, 1);
  EXPECT_TRUE(one->Waiting);
  EXPECT_TRUE(two->Waiting);
  EXPECT_TRUE(one->IsDefImage());
  ASSERT_EQ(Doc->MissingImages.size(), 2u);
  EXPECT_EQ(Doc->MissingImages[0].first, "LATER.PNG");
  Layout(300);
  EXPECT_EQ(requests, 1);   // still waiting: not asked again

  TBitmap arrived(20, 10);
  TImageResult r;
  r.Bitmap = &arrived;
  one->InsertImage(r);
  Layout(300);
  EXPECT_EQ(one->ImageWidth, 20);
  EXPECT_EQ(one->ImageHeight, 10);
  Doc->Clear();
  EXPECT_TRUE(Doc->MissingImages.empty());
}

TEST_F(ImagesTest, LinkBorderAndDrawing)
{
  Doc->GetBitmap = [&](TObject*, const std::string&, std::unique_ptr<TBitmap>& B, TColor&) {
    B = std::make_unique<TBitmap>(30, 20);
  };
  TUrlTarget link;
  link.Assign("go.htm", "", 1);
  TProperties linkProp;
  linkProp.Props[Color] = static_cast<int32_t>(clBlue);
  auto a = Attrs({{SrcSy, 0, "a.bmp"}});
  auto b = Attrs({{SrcSy, 0, "a.bmp"}, {BorderSy, 0, "0"}});
  TImageObj* bordered = AddImagePara(*this, *Doc, linkProp, *a, u"", &link);
  TImageObj* plain = AddImagePara(*this, *Doc, linkProp, *b, u"", &link);
  Layout(300);
  EXPECT_TRUE(bordered->HasBorder);
  EXPECT_EQ(bordered->ImageWidth, 32);
  EXPECT_EQ(bordered->ImageHeight, 22);
  EXPECT_FALSE(plain->HasBorder);
  EXPECT_EQ(plain->ImageWidth, 30);

  Device->ClearRecords();
  Doc->Draw(*Canvas, Rect(0, 0, 300, 300), 300, 0, 0, 0);
  int frames = 0;
  for (const TCanvasRecord& r : Device->Records)
    if (r.Kind == TCanvasRecord::Shape && r.ShapeKind == TShape::Rectangle && r.Color == clBlue) {
      ++frames;
      EXPECT_EQ(r.Rect.Right - r.Rect.Left, 32);
    }
  EXPECT_EQ(frames, 1);
  // A line of nothing but the image is as tall as the image.
  EXPECT_EQ(bordered->DrawYY, 0);
  EXPECT_EQ(Doc->First()->SectionHeight, 22);

  // Hit test on the image gives the link.
  TLinkInfo info;
  EXPECT_EQ(Doc->LinkAt(*Canvas, 5, 5, info), guUrl);
  ASSERT_TRUE(info.UrlTarg);
  EXPECT_EQ(info.UrlTarg->URL, "go.htm");
  EXPECT_EQ(Doc->ActiveImage, bordered);
}

TEST_F(ImagesTest, AltTextIsWrittenInsideTheBoxOnALineOfText)
{
  // Pictures off: boxes with their alt texts, one plain and one framed as a link, each on a
  // line of text (which is written on its baseline).
  Doc->ShowImages = false;
  TUrlTarget link;
  link.Assign("go.htm", "", 1);
  auto a = Attrs({{AltSy, 0, "plain"}, {WidthSy, 80, "80"}, {HeightSy, 40, "40"}});
  auto b = Attrs({{AltSy, 0, "linked"}, {WidthSy, 80, "80"}, {HeightSy, 40, "40"}});
  TImageObj* plain = AddImagePara(*this, *Doc, Prop, *a, u" text");
  TImageObj* linked = AddImagePara(*this, *Doc, Prop, *b, u" text", &link);
  Layout(300);
  ASSERT_TRUE(linked->HasBorder);

  Canvas->Font().SetName("Arial");
  Canvas->Font().SetSize(8);
  const TTextMetric tm = Canvas->GetTextMetrics();
  Device->ClearRecords();
  Doc->Draw(*Canvas, Rect(0, 0, 300, 300), 300, 0, 0, 0);
  for (TImageObj* img : {plain, linked}) {
    const int32_t top = img->DrawYY + (img->HasBorder ? 1 : 0);
    const std::u16string alt(img->Alt.begin(), img->Alt.end());
    const TCanvasRecord* text = nullptr;
    for (const TCanvasRecord& r : Device->Records)
      if (r.Kind == TCanvasRecord::TextOut && r.Text == alt)
        text = &r;
    ASSERT_NE(text, nullptr) << img->Alt;
    // The text hangs one pixel below the box's top, 24 pixels in: all of it inside the box.
    EXPECT_EQ(text->Point.X, img->DrawXX + (img->HasBorder ? 1 : 0) + 24) << img->Alt;
    EXPECT_EQ(text->Point.Y, top + 1 + tm.tmAscent) << img->Alt;
    EXPECT_LE(text->Point.Y + tm.tmDescent, top + img->ObjHeight) << img->Alt;
  }
  // The paragraph's own text still stands on its baseline.
  const TCanvasRecord* words = nullptr;
  for (const TCanvasRecord& r : Device->Records)
    if (r.Kind == TCanvasRecord::TextOut && r.Text.find(u"text") != std::u16string::npos)
      words = &r;
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(words->Point.Y, linked->DrawYY + linked->ImageHeight);   // the box stands on it
}

TEST_F(ImagesTest, ImageMapsAndServerMaps)
{
  Doc->ShowImages = false;
  auto map = std::make_unique<TMapItem>();
  map->MapName = "NAV";
  map->AddArea(*Attrs({{HrefSy, 0, "left.htm"}, {CoordsSy, 0, "0,0,9,9"}}));
  Doc->MapList.Add(std::move(map));
  TUrlTarget link;
  link.Assign("srv.cgi", "", 1);
  auto a = Attrs({{UseMapSy, 0, "#nav"}, {WidthSy, 40, "40"}, {HeightSy, 40, "40"}});
  auto b = Attrs({{IsMapSy, 0, ""}, {WidthSy, 40, "40"}, {HeightSy, 40, "40"}});
  AddImagePara(*this, *Doc, Prop, *a, u"");
  AddImagePara(*this, *Doc, Prop, *b, u"", &link);
  Layout(300);
  Doc->Draw(*Canvas, Rect(0, 0, 300, 300), 300, 0, 0, 0);
  TLinkInfo info;
  EXPECT_EQ(Doc->LinkAt(*Canvas, 3, 3, info), guUrl);
  EXPECT_EQ(info.UrlTarg->URL, "left.htm");
  TLinkInfo miss;
  EXPECT_EQ(Doc->LinkAt(*Canvas, 30, 30, miss), 0u);
  TLinkInfo server;
  const int32_t top = Doc->Items(1)->ContentTop;
  EXPECT_EQ(Doc->LinkAt(*Canvas, 6, top + 8, server), guUrl);
  EXPECT_EQ(server.UrlTarg->URL, "srv.cgi?6,8");
}

TEST_F(ImagesTest, FloatsReserveTheirSideAndTextFlowsBeside)
{
  Doc->ShowImages = false;
  auto a = Attrs({{AlignSy, 0, "left"}, {WidthSy, 40, "40"}, {HeightSy, 40, "40"}});
  TSection* s = nullptr;
  TImageObj* img = AddImagePara(*this, *Doc, Prop, *a, u" aaaa bbbb cccc dddd eeee ffff", nullptr, &s);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->BuffS[1], u'a');   // the space after the float went
  Layout(100);
  EXPECT_EQ(img->Indent, 3);
  // Beside the float 54 pixels remain: six characters.
  ASSERT_GE(s->Lines.Count(), 4);
  EXPECT_EQ(s->Lines[0]->LineIndent, 46);
  EXPECT_EQ(LineText(*s, 1), u"bbbb ");
  EXPECT_EQ(s->Lines[2]->LineIndent, 46);
  EXPECT_EQ(s->Lines[3]->DrawY, 48);
  EXPECT_EQ(s->Lines[3]->LineIndent, 0);
  EXPECT_EQ(LineText(*s, 3), u"dddd eeee ");

  Device->ClearRecords();
  Doc->Draw(*Canvas, Rect(0, 0, 100, 300), 100, 0, 0, 0);
  EXPECT_EQ(img->DrawXX, 3);
  EXPECT_EQ(img->DrawYY, 0);
  // Floats are painted after the text of the window.
  size_t lastText = 0, firstShape = Device->Records.size();
  for (size_t i = 0; i < Device->Records.size(); ++i) {
    if (Device->Records[i].Kind == TCanvasRecord::TextOut)
      lastText = i;
    else if (Device->Records[i].Kind == TCanvasRecord::Shape && firstShape == Device->Records.size())
      firstShape = i;
  }
  EXPECT_LT(lastText, firstShape);
}

TEST_F(ImagesTest, RightFloatAndWordThatOnlyFitsBelow)
{
  Doc->ShowImages = false;
  auto a = Attrs({{AlignSy, 0, "right"}, {WidthSy, 60, "60"}, {HeightSy, 30, "30"}, {HSpaceSy, 0, "0"}});
  TSection* s = nullptr;
  TImageObj* img = AddImagePara(*this, *Doc, Prop, *a, u"abcdefgh", nullptr, &s);
  Layout(100);
  EXPECT_EQ(img->Indent, 40);
  // The word is 64 pixels: it cannot stand beside the float, so it moves below it.
  ASSERT_EQ(s->Lines.Count(), 3);
  EXPECT_EQ(s->Lines[1]->Ln, 0);
  EXPECT_EQ(s->Lines[2]->DrawY, 30);
  EXPECT_EQ(LineText(*s, 2), u"abcdefgh");
  EXPECT_EQ(s->DrawHeight, 46);
}

TEST_F(ImagesTest, ClearedParagraphStartsBelowTheFloat)
{
  Doc->ShowImages = false;
  auto a = Attrs({{AlignSy, 0, "left"}, {WidthSy, 20, "20"}, {HeightSy, 50, "50"}});
  AddImagePara(*this, *Doc, Prop, *a, u"x");
  auto clear = Attrs({{ClearSy, 0, "all"}});
  auto p = Para(u"below", nullptr, clear.get());
  TSection* s = p.get();
  Doc->Add(std::move(p));
  Layout(200);
  ASSERT_GE(s->Lines.Count(), 2);
  EXPECT_EQ(s->Lines[1]->DrawY, 50);
  EXPECT_EQ(s->Lines[1]->LineIndent, 0);
}

TEST_F(ImagesTest, LinkRunsChangeFontWithStateAndHoverWholeLinks)
{
  TUrlTarget link;
  link.Assign("a.htm", "", 1);
  TProperties a;
  a.FontsSet = true;
  a.FIArray[lsNormal].iColor = clBlue;
  a.FIArray[lsHover].iColor = clRed;
  a.FIArray[lsVisited].iColor = clPurple;
  a.FIArray[lsVisitedHover].iColor = clGreen;
  a.FIArray[lsHover].iSize = 24;
  auto p = Para(u"", &a, nullptr, &link);
  p->AddTokenObj(Token(u"one"));
  TProperties bold;
  bold.Assign(a);
  bold.Props[FontWeight] = std::string("bold");
  p->ChangeFont(bold, &link);
  p->AddTokenObj(Token(u"two"));
  p->ChangeFont(Prop);
  p->AddTokenObj(Token(u"three"));
  Doc->Add(std::move(p));
  ASSERT_EQ(Doc->LinkList.size(), 2u);
  TFontObj* first = Doc->LinkList[0];
  first->SetAllHovered(Doc->LinkList, true);
  EXPECT_TRUE(Doc->LinkList[1]->Hover);
  EXPECT_EQ(first->TheFont->Color(), clRed);
  EXPECT_EQ(first->FontHeight, 32);
  first->SetVisited(true);
  EXPECT_EQ(first->TheFont->Color(), clGreen);
  first->SetAllHovered(Doc->LinkList, false);
  EXPECT_EQ(first->TheFont->Color(), clPurple);
  EXPECT_FALSE(Doc->LinkList[1]->Hover);
}

TEST_F(ImagesTest, RunsOfOneFontChangeStateApart)
{
  // Two links and a plain run of the same properties share one font until a state change
  // gives the changed run a font of its own.
  TProperties a;
  a.FontsSet = true;
  a.FIArray[lsNormal].iColor = clBlue;
  a.FIArray[lsHover].iColor = clRed;
  a.FIArray[lsHover].iSize = 24;
  TUrlTarget one, two;
  one.Assign("one.htm", "", 1);
  two.Assign("two.htm", "", 2);
  auto p = Para(u"", &a, nullptr, &one);
  p->AddTokenObj(Token(u"one "));
  p->ChangeFont(a, &two);
  p->AddTokenObj(Token(u"two "));
  p->ChangeFont(a);
  p->AddTokenObj(Token(u"plain"));
  TSection* s = p.get();
  Doc->Add(std::move(p));
  ASSERT_EQ(Doc->LinkList.size(), 2u);
  TFontObj* first = Doc->LinkList[0];
  TFontObj* second = Doc->LinkList[1];
  TFontObj* plain = s->Fonts.Last();
  EXPECT_EQ(first->TheFont, second->TheFont);
  EXPECT_EQ(first->TheFont, plain->TheFont);
  const TColor before = second->TheFont->Color();
  const int32_t height = second->FontHeight;

  first->SetAllHovered(Doc->LinkList, true);
  EXPECT_EQ(first->TheFont->Color(), clRed);
  EXPECT_EQ(first->FontHeight, 32);
  EXPECT_FALSE(second->Hover);   // another link
  EXPECT_EQ(second->TheFont->Color(), before);
  EXPECT_EQ(second->FontHeight, height);
  EXPECT_EQ(plain->TheFont->Color(), before);
  first->SetAllHovered(Doc->LinkList, false);
  EXPECT_EQ(first->TheFont->Color(), clBlue);
  EXPECT_EQ(first->FontHeight, height);
  EXPECT_EQ(plain->TheFont->Color(), before);
  EXPECT_FALSE(plain->IsLink());
  EXPECT_EQ(plain->GetURL(), "");
}

TEST_F(ImagesTest, FontListLookups)
{
  auto p = Para(u"abc");
  TProperties it;
  it.Props[FontStyle] = std::string("italic");
  p->ChangeFont(it);
  p->AddTokenObj(Token(u"def", 3));
  int32_t ohang = -1;
  EXPECT_EQ(p->Fonts.GetFontAt(1, ohang), p->Fonts[0]);
  EXPECT_EQ(ohang, 0);
  EXPECT_EQ(p->Fonts.GetFontAt(4, ohang), p->Fonts[1]);
  EXPECT_EQ(ohang, 16 / 10);
  EXPECT_EQ(p->Fonts.GetFontCountAt(1, 6), 2);
  EXPECT_EQ(p->Fonts.GetFontCountAt(4, 6), 2);
  // A run of one character: deleting a character before it leaves two runs at one place.
  p->ChangeFont(Prop);
  p->AddTokenObj(Token(u"g", 6));
  p->ChangeFont(it);
  p->AddTokenObj(Token(u"h", 7));
  ASSERT_EQ(p->Fonts.Count(), 4);
  p->Fonts.Decrement(5, Doc.get());
  p->Fonts.Decrement(5, Doc.get());
  ASSERT_EQ(p->Fonts.Count(), 3);
  EXPECT_EQ(p->Fonts[2]->Pos, 5);
}

std::vector<uint8_t> TwoFrameGif()
{
  giftest::GifBuilder g(4, 4);
  g.Control(0, 10);
  g.Image(0, 0, 4, 4, std::vector<uint8_t>(16, 1));
  g.Control(0, 10);
  g.Image(0, 0, 4, 4, std::vector<uint8_t>(16, 2));
  return g.Finish();
}

TEST_F(ImagesTest, AnimatedGifsAnimateApartAndHoverFrames)
{
  const std::vector<uint8_t> bytes = TwoFrameGif();
  TByteStream stream(bytes);
  Doc->GetImage = [&](TObject*, const std::string&, TStream*& S) { S = &stream; };
  auto a = Attrs({{SrcSy, 0, "anim.gif"}});
  auto b = Attrs({{SrcSy, 0, "anim.gif"}, {ActiveSy, 0, ""}});
  TImageObj* plain = AddImagePara(*this, *Doc, Prop, *a, u"x");
  TImageObj* hover = AddImagePara(*this, *Doc, Prop, *b, u"x");
  Layout(300);
  ASSERT_NE(plain->GIF(), nullptr);
  ASSERT_NE(hover->GIF(), nullptr);
  EXPECT_NE(plain->GIF(), hover->GIF());   // the second is a copy of the cached one
  ASSERT_EQ(Doc->AGifList.size(), 1u);
  ASSERT_TRUE(Doc->Timer);
  EXPECT_TRUE(Doc->Timer->Enabled());
  EXPECT_EQ(Doc->Timer->Interval(), 50u);
  Doc->AnimateImages();
  EXPECT_EQ(Doc->Timer->Interval(), 40u);

  hover->SetHover(1);
  EXPECT_EQ(hover->GIF()->CurrentFrame(), 2);
  hover->SetHover(0);
  EXPECT_EQ(hover->GIF()->CurrentFrame(), 1);
  EXPECT_GT(Host.Invalidated, 0);
  Doc->Clear();
  EXPECT_TRUE(Doc->AGifList.empty());
  EXPECT_FALSE(Doc->Timer);
}

}   // namespace
